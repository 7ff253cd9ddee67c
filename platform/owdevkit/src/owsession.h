#pragma once

#include "owdevkit.h"
#include "projectstore.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct OpenDataSet;

/// Process-wide state of the DevKit stand-in: the home, the system district,
/// the open project and its store, the message handler, key flags and vector
/// access, session units, the current survey of prjin2_, the horizon
/// subsystem and the open seismic files. Every DevKit call holds mutex().
class OwSession
{
public:
    static OwSession& instance();

    std::recursive_mutex& mutex() { return m_mutex; }

    // Home and districts.
    std::string home() const;
    void setHomeOverride(const std::string& home);
    const std::string& homeOverride() const { return m_homeOverride; }
    std::string sysDistrict();
    void setSysDistrict(const std::string& district);
    std::string districtPath(const std::string& district) const;
    std::vector<std::string> districts() const;
    /// Data folder of a district from its "dir.dat"; empty when unusable.
    std::string dataFolder(const std::string& district) const;
    std::string currentDataFolder();

    // Start.
    bool started = false;
    bool gdiStarted = false;

    // Project.
    bool openProject(const std::string& name, int* status);
    void closeProject();
    ProjectStore* store() { return m_store.get(); }
    /// Counts nested DevKit calls; the outermost one lets the store pick up
    /// changes committed by other processes before it reads cached records.
    void enterCall();
    void leaveCall() { --m_callDepth; }
    const prjProject_t& activeProject() const { return m_active; }

    // Messages.
    void setHandler(OhnoErrorHandler handler) { m_handler = handler; }
    void emit(int code, const std::string& text);
    /// Emits status (with detail appended to its text) and returns it.
    int fail(int status, const std::string& detail = std::string());
    static const char* message(int status);

    // Record call state.
    std::map<const void*, std::set<int>> keyFlags;
    std::set<std::pair<int, int>> vectorAccess;

    // Session units of horizon values (reset by hrzcls_).
    std::map<int, int> sessionUnits;
    int sessionUnitFor(int unitType);

    // Current survey (prjin2_) and horizon subsystem.
    bool surveyOpen = false;
    std::vector<char> survey; // a gdi3dSurvey_t
    const gdi3dSurvey_t* currentSurvey() const;
    bool horizonOpen = false;
    float horizonNull = 1.0e37f;

    // Open seismic data sets by handle.
    std::map<int, std::unique_ptr<OpenDataSet>> files;
    int nextFileHandle = 1;
    void closeSurvey();
    /// Writes the pending traces of every data set open for writing; false
    /// when a write failed.
    bool flushSeismicFiles();
    /// Forgets open data sets whose file is gone (removed by a rollback).
    void dropRemovedSeismicFiles();

private:
    OwSession();
    ~OwSession();

    std::recursive_mutex m_mutex;
    std::string m_homeOverride;
    std::string m_sysDistrict;
    bool m_sysDistrictRead = false;
    std::unique_ptr<ProjectStore> m_store;
    prjProject_t m_active{};
    OhnoErrorHandler m_handler = nullptr;
    int m_callDepth = 0;
};

/// Marks the extent of one DevKit call (taken after the session lock).
class OwCallScope
{
public:
    OwCallScope() { OwSession::instance().enterCall(); }
    ~OwCallScope() { OwSession::instance().leaveCall(); }
    OwCallScope(const OwCallScope&) = delete;
    OwCallScope& operator=(const OwCallScope&) = delete;
};

/// Locks the session, marks the call and counts it for fault injection; the
/// macro returns from the calling function through onInjected(status) when an
/// injected status applies.
#define OW_CALL(name, onInjected)                                                  \
    std::lock_guard<std::recursive_mutex> owLock(OwSession::instance().mutex());   \
    OwCallScope owScope;                                                           \
    {                                                                              \
        int owInjected = 0;                                                        \
        if (FaultInjector::instance().check(name, &owInjected)) {                  \
            OwSession::instance().emit(owInjected, std::string(name) + ": " +      \
                                                       OwSession::message(owInjected)); \
            onInjected(owInjected);                                                \
        }                                                                          \
    }
