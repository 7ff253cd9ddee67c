#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

/// Counts DevKit calls by name and tells a call whether it must fail with an
/// injected status (rules of owsim::injectStatus and $OWSIM_INJECT).
class FaultInjector
{
public:
    static FaultInjector& instance();

    /// Counts one call of function; true with *status set when it must fail.
    bool check(const char* function, int* status);

    void add(const std::string& function, int nthCall, int status, bool everyLater);
    bool addRules(const std::string& rules);
    void clear();
    int calls(const std::string& function) const;

private:
    FaultInjector();

    struct Rule
    {
        int call = 1;     // absolute call number that fails
        bool everyLater = false;
        int status = 0;
    };

    mutable std::mutex m_mutex;
    std::map<std::string, int> m_counts;
    std::map<std::string, std::vector<Rule>> m_rules;
};
