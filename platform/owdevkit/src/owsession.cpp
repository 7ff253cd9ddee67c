#include "owsession.h"

#include "opendataset.h"
#include "unitcatalog.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace
{
bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
} // namespace

OwSession& OwSession::instance()
{
    static OwSession session;
    return session;
}

OwSession::OwSession() = default;

OwSession::~OwSession()
{
    files.clear();
    m_store.reset();
}

std::string OwSession::home() const
{
    if (!m_homeOverride.empty())
        return m_homeOverride;
    if (const char* env = std::getenv("OWHOME"))
        if (*env)
            return env;
    const char* userHome = std::getenv("HOME");
    return std::string(userHome ? userHome : ".") + "/.openworks";
}

void OwSession::setHomeOverride(const std::string& home)
{
    closeProject();
    m_homeOverride = home;
    m_sysDistrictRead = false;
    m_sysDistrict.clear();
}

std::string OwSession::sysDistrict()
{
    if (!m_sysDistrictRead) {
        m_sysDistrictRead = true;
        if (const char* env = std::getenv("OWSIM_DISTRICT"); env && *env) {
            m_sysDistrict = env;
        } else {
            std::ifstream file(home() + "/sysdistrict");
            std::string line;
            if (std::getline(file, line))
                m_sysDistrict = trimmed(line);
        }
    }
    return m_sysDistrict;
}

void OwSession::setSysDistrict(const std::string& district)
{
    m_sysDistrictRead = true;
    if (district != m_sysDistrict)
        closeProject();
    m_sysDistrict = district;
}

std::string OwSession::districtPath(const std::string& district) const
{
    return home() + "/" + district;
}

std::vector<std::string> OwSession::districts() const
{
    std::vector<std::string> names;
    DIR* dir = opendir(home().c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (isFile(home() + "/" + name + "/dir.dat"))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string OwSession::dataFolder(const std::string& district) const
{
    std::ifstream file(districtPath(district) + "/dir.dat");
    std::string line;
    while (std::getline(file, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::string tag = "OTHER_FILES";
        if (line.size() >= tag.size() && line.compare(line.size() - tag.size(), tag.size(), tag) == 0)
            return line.substr(0, line.find(' '));
    }
    return std::string();
}

std::string OwSession::currentDataFolder()
{
    return dataFolder(m_active.district[0] ? std::string(m_active.district) : sysDistrict());
}

bool OwSession::openProject(const std::string& name, int* status)
{
    if (name.empty() || name.size() > 20) {
        *status = PRJ_INVALID_ARGUMENT;
        return false;
    }
    if (m_store && name == m_active.name) {
        *status = PRJ_ALREADY_OPEN;
        return false;
    }
    const std::string district = sysDistrict();
    const std::string path = districtPath(district) + "/" + name + "/project.db";
    if (district.empty() || !isFile(path)) {
        *status = PRJ_DOES_NOT_EXIST;
        return false;
    }
    closeProject();
    auto store = std::make_unique<ProjectStore>();
    if (!store->open(path)) {
        *status = 317707123;
        return false;
    }
    m_store = std::move(store);
    std::memset(&m_active, 0, sizeof(m_active));
    std::strncpy(m_active.name, name.c_str(), sizeof(m_active.name) - 1);
    std::strncpy(m_active.district, district.c_str(), sizeof(m_active.district) - 1);
    m_active.id = std::atoi(m_store->meta("id").c_str());
    m_active.measurementSystem = std::atoi(m_store->meta("measurement_system").c_str());
    std::strncpy(m_active.interpreter, "LGC", sizeof(m_active.interpreter) - 1);
    *status = 0;
    return true;
}

void OwSession::enterCall()
{
    if (m_callDepth++ == 0 && m_store)
        m_store->refresh();
}

void OwSession::closeProject()
{
    closeSurvey();
    keyFlags.clear();
    sessionUnits.clear();
    if (m_store) {
        if (m_store->inTransaction())
            m_store->rollback();
        m_store.reset();
    }
    std::memset(&m_active, 0, sizeof(m_active));
}

void OwSession::closeSurvey()
{
    files.clear();
    surveyOpen = false;
    horizonOpen = false;
    survey.clear();
}

bool OwSession::flushSeismicFiles()
{
    bool ok = true;
    for (auto& entry : files)
        ok = entry.second->file.flush() && ok;
    return ok;
}

void OwSession::dropRemovedSeismicFiles()
{
    for (auto it = files.begin(); it != files.end();) {
        if (!isFile(it->second->file.path())) {
            it->second->file.discard();
            it = files.erase(it);
        } else {
            ++it;
        }
    }
}

const gdi3dSurvey_t* OwSession::currentSurvey() const
{
    return surveyOpen ? reinterpret_cast<const gdi3dSurvey_t*>(survey.data()) : nullptr;
}

int OwSession::sessionUnitFor(int unitType)
{
    const auto it = sessionUnits.find(unitType);
    if (it != sessionUnits.end())
        return it->second;
    return m_store ? m_store->unitFor(unitType) : UnitCatalog::defaultUnitFor(unitType, 1);
}

void OwSession::emit(int code, const std::string& text)
{
    if (m_handler) {
        int value = code;
        m_handler(&value, text.c_str());
    }
}

int OwSession::fail(int status, const std::string& detail)
{
    std::string text = message(status);
    if (!detail.empty())
        text += text.empty() ? detail : ": " + detail;
    emit(status, text);
    return status;
}

const char* OwSession::message(int status)
{
    switch (status) {
    case 0: return "";
    case GDI_NO_DATA: return "No records found";
    case GDI_NOT_INITIALIZED: return "The GDI subsystem is not initialized";
    case GDI_NO_PROJECT: return "No OpenWorks project is open";
    case GDI_INVALID_CLASS: return "Invalid data class";
    case GDI_KEY_NOT_SET: return "No key field of the record is set";
    case GDI_INVALID_ARGUMENT: return "Invalid argument";
    case GDI_DATABASE_ERROR: return "Project database error";
    case GDI_NO_TRANSACTION: return "No transaction is open";
    case GDI_COMMIT_FAILED: return "The transaction could not be committed";
    case GDI_UNKNOWN_UNIT: return "Unknown unit";
    case GDI_INCOMPATIBLE_UNITS: return "Units of different kinds cannot be converted";
    case GDI_UNKNOWN_UNIT_TYPE: return "Unknown unit type";
    case GDI_INVALID_FIELD: return "Invalid field of the data class";
    case GDI_FIELD_HAS_NO_UNIT: return "The field has no unit";
    case GDI_NOT_A_SUBSET: return "The class is not a subset of the record's class";
    case GDI_RECORD_NOT_FOUND: return "The record does not exist";
    case GDI_DUPLICATE: return "A record with this key already exists";
    case 177600001: return "Transaction committed";
    case 177600002: return "Transaction rolled back";
    case 117700001: return "Project opened";
    case 117700002: return "Project closed";
    case PRJ_ALREADY_OPEN: return "The project was already open.";
    case PRJ_DOES_NOT_EXIST: return "The project does not exist.";
    case 217700702: return "Insufficient access privilege.";
    case 217700703: return "Unable to open the project in shared mode.";
    case PRJ_INVALID_ARGUMENT: return "Invalid input argument.";
    case 317700799: return "Fatal internal error.";
    case 317707103: return "Table not found in DB (Bad group name).";
    case 317707121: return "Host system error (Bad node name provided or server down).";
    case 317707123: return "Unmappable error (Bad project name or bad option field or database has been exclusively locked).";
    case 117700202: return "Did not clear Active Indicator.";
    case 217700203: return "Failed to disconnect from project.";
    case PRJ_NO_ACTIVE_PROJECT: return "Currently no active project.";
    case LGC_NO_DISTRICT: return "No district is selected";
    case LGC_DISTRICT_NOT_FOUND: return "The district does not exist";
    case OW_HOME_UNUSABLE: return "The OpenWorks home folder cannot be used";
    default: break;
    }
    if (status > 0 && status < 100)
        return "Seismic or horizon subsystem status (see the call's status table)";
    return "Unknown OpenWorks status";
}
