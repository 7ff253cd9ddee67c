#include "faultinjector.h"

#include "owfaults.h"

#include <cstdlib>
#include <sstream>

FaultInjector& FaultInjector::instance()
{
    static FaultInjector injector;
    return injector;
}

FaultInjector::FaultInjector()
{
    if (const char* rules = std::getenv("OWSIM_INJECT"))
        addRules(rules);
}

bool FaultInjector::check(const char* function, int* status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int count = ++m_counts[function];
    const auto it = m_rules.find(function);
    if (it == m_rules.end())
        return false;
    for (const Rule& rule : it->second) {
        if (count == rule.call || (rule.everyLater && count > rule.call)) {
            *status = rule.status;
            return true;
        }
    }
    return false;
}

void FaultInjector::add(const std::string& function, int nthCall, int status, bool everyLater)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Rule rule;
    rule.call = m_counts[function] + (nthCall < 1 ? 1 : nthCall);
    rule.everyLater = everyLater;
    rule.status = status;
    m_rules[function].push_back(rule);
}

bool FaultInjector::addRules(const std::string& rules)
{
    struct Parsed
    {
        std::string name;
        int nth;
        bool everyLater;
        int status;
    };
    std::vector<Parsed> parsed;
    std::stringstream stream(rules);
    std::string item;
    while (std::getline(stream, item, ';')) {
        if (item.find_first_not_of(" \t") == std::string::npos)
            continue;
        const auto colon = item.find(':');
        const auto equals = item.find('=', colon == std::string::npos ? 0 : colon);
        if (colon == std::string::npos || equals == std::string::npos || colon == 0)
            return false;
        Parsed rule;
        rule.name = item.substr(0, colon);
        rule.name.erase(0, rule.name.find_first_not_of(" \t"));
        std::string which = item.substr(colon + 1, equals - colon - 1);
        const std::string statusText = item.substr(equals + 1);
        char* end = nullptr;
        rule.status = static_cast<int>(std::strtol(statusText.c_str(), &end, 10));
        if (statusText.empty() || *end != '\0')
            return false;
        if (which == "*") {
            rule.nth = 1;
            rule.everyLater = true;
        } else {
            rule.everyLater = !which.empty() && which.back() == '+';
            if (rule.everyLater)
                which.pop_back();
            rule.nth = static_cast<int>(std::strtol(which.c_str(), &end, 10));
            if (which.empty() || *end != '\0' || rule.nth < 1)
                return false;
        }
        parsed.push_back(rule);
    }
    for (const Parsed& rule : parsed)
        add(rule.name, rule.nth, rule.status, rule.everyLater);
    return true;
}

void FaultInjector::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.clear();
    m_counts.clear();
}

int FaultInjector::calls(const std::string& function) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_counts.find(function);
    return it == m_counts.end() ? 0 : it->second;
}

namespace owsim
{
void injectStatus(const std::string& function, int nthCall, int status, bool everyLater)
{
    FaultInjector::instance().add(function, nthCall, status, everyLater);
}

bool injectRules(const std::string& rules)
{
    return FaultInjector::instance().addRules(rules);
}

void clearInjections()
{
    FaultInjector::instance().clear();
}

int callCount(const std::string& function)
{
    return FaultInjector::instance().calls(function);
}
} // namespace owsim
