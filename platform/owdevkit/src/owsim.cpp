// Administration of the stand-in's OpenWorks home (owsim.h).

#include "owsim.h"

#include "demoseeder.h"
#include "owdevkit.h"
#include "owsession.h"
#include "recorddumper.h"
#include "segyloader.h"
#include "seismicfile.h"
#include "unitcatalog.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <fstream>

namespace
{
bool makePath(const std::string& path, std::string* error)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            const std::string partial = path.substr(0, i);
            if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
                if (error)
                    *error = "cannot create folder " + partial;
                return false;
            }
        }
    }
    return true;
}

bool validName(const std::string& name, size_t maximum)
{
    return !name.empty() && name.size() <= maximum && name.find('/') == std::string::npos && name != "." &&
           name != ".." && name.find(' ') == std::string::npos;
}

std::string absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buffer[4096];
    if (getcwd(buffer, sizeof(buffer)))
        return std::string(buffer) + "/" + path;
    return path;
}

/// Opens a project of a home for the administration functions and restores
/// the previous home, system district and open project state afterwards.
class ProjectSession
{
public:
    ProjectSession(const std::string& home, const std::string& district, const std::string& project,
                   std::string* error)
        : m_lock(OwSession::instance().mutex())
    {
        OwSession& session = OwSession::instance();
        m_previousHome = session.homeOverride();
        m_previousDistrict = session.sysDistrict();
        session.setHomeOverride(absolute(home));
        session.setSysDistrict(district);
        int status = 0;
        prjOpen(project.c_str(), 0, &status);
        if (status != 0 && error)
            *error = "cannot open project " + project + ": " + gdiErrorMessage(status);
        m_open = status == 0;
    }
    ~ProjectSession()
    {
        OwSession& session = OwSession::instance();
        if (m_open) {
            gdiRollback();
            prjClose();
        }
        session.setHomeOverride(m_previousHome);
        session.setSysDistrict(m_previousDistrict);
    }
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    bool isOpen() const { return m_open; }

private:
    std::lock_guard<std::recursive_mutex> m_lock;
    std::string m_previousHome;
    std::string m_previousDistrict;
    bool m_open = false;
};
} // namespace

namespace owsim
{

std::string homePath()
{
    return OwSession::instance().home();
}

void setHomeOverride(const std::string& home)
{
    std::lock_guard<std::recursive_mutex> lock(OwSession::instance().mutex());
    OwSession::instance().setHomeOverride(home.empty() ? home : absolute(home));
}

bool createHome(const std::string& home, std::string* error)
{
    return makePath(absolute(home), error);
}

bool createDistrict(const std::string& home, const std::string& district, bool makeSystemDistrict,
                    std::string* error)
{
    if (!validName(district, 80)) {
        if (error)
            *error = "invalid district name: " + district;
        return false;
    }
    const std::string folder = absolute(home) + "/" + district;
    const std::string data = folder + "/data";
    if (!makePath(data, error))
        return false;
    struct stat info;
    if (stat((folder + "/dir.dat").c_str(), &info) != 0) {
        std::ofstream dirDat(folder + "/dir.dat");
        dirDat << "# OpenWorks district " << district << "\n"
               << "# The first word of the OTHER_FILES line is the district's data folder.\n"
               << data << " OTHER_FILES\n";
        if (!dirDat) {
            if (error)
                *error = "cannot write " + folder + "/dir.dat";
            return false;
        }
    }
    if (makeSystemDistrict) {
        std::ofstream sys(absolute(home) + "/sysdistrict");
        sys << district << "\n";
    }
    return true;
}

bool projectExists(const std::string& home, const std::string& district, const std::string& project)
{
    struct stat info;
    return stat((absolute(home) + "/" + district + "/" + project + "/project.db").c_str(), &info) == 0;
}

bool parseUnitChoice(const std::string& text, UnitChoice* choice, std::string* error)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos) {
        if (error)
            *error = "a unit is given as TYPE=UNIT, e.g. \"Seismic Time=microseconds\": " + text;
        return false;
    }
    const std::string typeText = text.substr(0, equals);
    const std::string unitText = text.substr(equals + 1);
    const UnitCatalog::UnitType* type = UnitCatalog::unitTypeByName(typeText);
    if (!type) {
        std::string known;
        for (const UnitCatalog::UnitType& t : UnitCatalog::unitTypes())
            known += (known.empty() ? "" : ", ") + std::to_string(t.type) + " " + t.name;
        if (error)
            *error = "unknown unit type " + typeText + " (known: " + known + ")";
        return false;
    }
    const UnitCatalog::Unit* unit = UnitCatalog::unitByName(unitText);
    if (!unit)
        unit = UnitCatalog::unitByAbbreviation(unitText);
    if (!unit && !unitText.empty() && unitText.find_first_not_of("0123456789") == std::string::npos)
        unit = UnitCatalog::unit(std::atoi(unitText.c_str()));
    if (!unit || unit->kind != type->kind) {
        std::string known;
        for (const UnitCatalog::Unit& u : UnitCatalog::units())
            if (u.kind == type->kind)
                known += (known.empty() ? "" : ", ") + std::string(u.name);
        if (error)
            *error = (unit ? std::string("unit ") + unit->name + " does not measure " : "unknown unit " + unitText + " for ") +
                     type->name + " (units of that kind: " + known + ")";
        return false;
    }
    choice->unitType = type->type;
    choice->unitId = unit->id;
    return true;
}

bool createProject(const std::string& home, const std::string& district, const std::string& project,
                   MeasurementSystem system, std::string* error)
{
    return createProject(home, district, project, system, {}, error);
}

bool createProject(const std::string& home, const std::string& district, const std::string& project,
                   MeasurementSystem system, const std::vector<UnitChoice>& units, std::string* error)
{
    std::map<int, int> chosen;
    for (const UnitChoice& choice : units) {
        const UnitCatalog::UnitType* type = UnitCatalog::unitType(choice.unitType);
        const UnitCatalog::Unit* unit = UnitCatalog::unit(choice.unitId);
        if (!type || !unit || type->kind != unit->kind) {
            if (error)
                *error = "unit " + std::to_string(choice.unitId) + " does not suit unit type " +
                         std::to_string(choice.unitType);
            return false;
        }
        chosen[choice.unitType] = choice.unitId;
    }
    if (!validName(project, 20)) {
        if (error)
            *error = "invalid project name (1 to 20 characters, no spaces or '/'): " + project;
        return false;
    }
    struct stat info;
    if (stat((absolute(home) + "/" + district + "/dir.dat").c_str(), &info) != 0) {
        if (error)
            *error = "no district " + district + " in " + home;
        return false;
    }
    if (projectExists(home, district, project)) {
        if (error)
            *error = "project " + project + " exists already";
        return false;
    }
    const std::string folder = absolute(home) + "/" + district + "/" + project;
    if (!makePath(folder, error))
        return false;
    int projectId = 1000;
    if (DIR* dir = opendir((absolute(home) + "/" + district).c_str())) {
        while (readdir(dir) != nullptr)
            ++projectId;
        closedir(dir);
    }
    return ProjectStore::create(folder + "/project.db", project, projectId, static_cast<int>(system), chosen, error);
}

bool seedDemo(const std::string& home, const std::string& district, const std::string& project,
              MeasurementSystem system, bool* alreadySeeded, std::string* error, std::vector<std::string>* log)
{
    if (alreadySeeded)
        *alreadySeeded = false;
    struct stat info;
    const bool makeSystem = stat((absolute(home) + "/sysdistrict").c_str(), &info) != 0;
    if (!createHome(home, error) || !createDistrict(home, district, makeSystem, error))
        return false;
    if (!projectExists(home, district, project) && !createProject(home, district, project, system, error))
        return false;
    ProjectSession session(home, district, project, error);
    if (!session.isOpen())
        return false;
    DemoSeeder seeder(log);
    if (seeder.isSeeded()) {
        if (alreadySeeded)
            *alreadySeeded = true;
        return true;
    }
    return seeder.seed(error);
}

bool loadSegy(const std::string& home, const std::string& district, const std::string& project,
              const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
              const std::string& domain, std::string* error)
{
    ProjectSession session(home, district, project, error);
    if (!session.isOpen())
        return false;
    SegyLoader loader;
    return loader.load(segyPath, surveyName, dataSetName, domain, error);
}

SeismicIoCounts seismicIoCounts()
{
    const SeismicFile::IoCounts counts = SeismicFile::ioCounts();
    SeismicIoCounts result;
    result.reads = counts.reads;
    result.writes = counts.writes;
    return result;
}

bool listRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 std::vector<std::string>* lines, std::string* error)
{
    ProjectSession session(home, district, project, error);
    return session.isOpen() && RecordDumper::list(classId, lines, error);
}

bool dumpRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 int id, std::vector<std::string>* lines, std::string* error)
{
    ProjectSession session(home, district, project, error);
    return session.isOpen() && RecordDumper::dump(classId, id, lines, error);
}

} // namespace owsim
