// District and project calls of the DevKit (LGC and prj*).

#include "faultinjector.h"
#include "owsession.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct lgcDistrictDef
{
    std::vector<std::string> names;
    std::vector<char*> pointers;
};

namespace
{
OwSession& session()
{
    return OwSession::instance();
}

#define RETURN_STATUS(status) return status
#define SET_AND_RETURN(status) \
    do {                       \
        if (out)               \
            *out = status;     \
        return status;         \
    } while (0)

void copyText(char* target, int size, const std::string& text)
{
    if (!target || size <= 0)
        return;
    std::memset(target, 0, static_cast<size_t>(size));
    std::strncpy(target, text.c_str(), static_cast<size_t>(size - 1));
}
} // namespace

extern "C" {

int lgc_getdistrict(lgcDistrictDef** definition)
{
    OW_CALL("lgc_getdistrict", RETURN_STATUS);
    if (!definition)
        return session().fail(GDI_INVALID_ARGUMENT);
    auto* def = new lgcDistrictDef;
    def->names = session().districts();
    for (std::string& name : def->names)
        def->pointers.push_back(&name[0]);
    def->pointers.push_back(nullptr);
    *definition = def;
    return 0;
}

int getFindDistrictList(lgcDistrictDef* definition, char*** names)
{
    OW_CALL("getFindDistrictList", RETURN_STATUS);
    if (!definition || !names)
        return session().fail(GDI_INVALID_ARGUMENT);
    *names = definition->pointers.data();
    return 0;
}

int getFreeDistrictDef(lgcDistrictDef* definition)
{
    delete definition;
    return 0;
}

int lgcGetPathFromDistrict(const char* district, char* path, int pathSize)
{
    OW_CALL("lgcGetPathFromDistrict", RETURN_STATUS);
    if (!district || !path || pathSize <= 0)
        return session().fail(GDI_INVALID_ARGUMENT);
    const std::vector<std::string> all = session().districts();
    if (std::find(all.begin(), all.end(), std::string(district)) == all.end())
        return session().fail(LGC_DISTRICT_NOT_FOUND, district);
    const std::string folder = session().districtPath(district);
    if (static_cast<int>(folder.size()) >= pathSize)
        return session().fail(GDI_INVALID_ARGUMENT, "path buffer too small");
    copyText(path, pathSize, folder);
    return 0;
}

int prjGetSysDistrict(char* district, int districtSize)
{
    OW_CALL("prjGetSysDistrict", RETURN_STATUS);
    if (!district || districtSize <= 0)
        return session().fail(GDI_INVALID_ARGUMENT);
    copyText(district, districtSize, session().sysDistrict());
    return 0;
}

int prjSetSysDistrict(const char* district)
{
    OW_CALL("prjSetSysDistrict", RETURN_STATUS);
    if (!district)
        return session().fail(GDI_INVALID_ARGUMENT);
    session().setSysDistrict(district);
    return 0;
}

int prjGetPrjs(char** names, int* count, int* status)
{
    int* out = status;
    OW_CALL("prjGetPrjs", SET_AND_RETURN);
    if (!names || !count || !status)
        return session().fail(GDI_INVALID_ARGUMENT);
    *names = nullptr;
    *count = 0;
    const std::string district = session().sysDistrict();
    if (district.empty()) {
        *status = session().fail(LGC_NO_DISTRICT);
        return *status;
    }
    std::vector<std::string> projects;
    if (DIR* dir = opendir(session().districtPath(district).c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            struct stat info;
            if (name != "." && name != ".." && name.size() <= 20 &&
                stat((session().districtPath(district) + "/" + name + "/project.db").c_str(), &info) == 0)
                projects.push_back(name);
        }
        closedir(dir);
    } else {
        *status = session().fail(LGC_DISTRICT_NOT_FOUND, district);
        return *status;
    }
    std::sort(projects.begin(), projects.end());
    if (!projects.empty()) {
        char* records = static_cast<char*>(std::calloc(projects.size(), 21));
        for (size_t i = 0; i < projects.size(); ++i)
            std::strncpy(records + 21 * i, projects[i].c_str(), 20);
        *names = records;
    }
    *count = static_cast<int>(projects.size());
    *status = 0;
    return 0;
}

int prjOpen(const char* name, int option, int* status)
{
    int* out = status;
    OW_CALL("prjOpen", SET_AND_RETURN);
    (void)option;
    int result = 0;
    if (!name) {
        result = PRJ_INVALID_ARGUMENT;
    } else if (!session().openProject(name, &result)) {
        // result set by openProject
    }
    if (result != 0)
        session().fail(result, name ? name : "");
    else
        session().emit(117700001, std::string(OwSession::message(117700001)) + ": " + name);
    if (status)
        *status = result;
    return result;
}

int prjClose(void)
{
    OW_CALL("prjClose", RETURN_STATUS);
    if (session().store()) {
        const std::string name = session().activeProject().name;
        session().closeProject();
        session().emit(117700002, std::string(OwSession::message(117700002)) + ": " + name);
    }
    return 0;
}

int prjGetActive(prjProject_t* project)
{
    OW_CALL("prjGetActive", RETURN_STATUS);
    if (!project)
        return session().fail(GDI_INVALID_ARGUMENT);
    if (!session().store()) {
        std::memset(project, 0, sizeof(*project));
        return session().fail(PRJ_NO_ACTIVE_PROJECT);
    }
    *project = session().activeProject();
    return 0;
}

int prjGetIntrps(char** list, int* count, const prjProject_t* project)
{
    OW_CALL("prjGetIntrps", RETURN_STATUS);
    if (!list || !count)
        return session().fail(GDI_INVALID_ARGUMENT);
    *list = nullptr;
    *count = 0;
    if (!session().store() || (project && project->name[0] &&
                                std::strncmp(project->name, session().activeProject().name, 21) != 0))
        return session().fail(PRJ_NO_ACTIVE_PROJECT);
    std::vector<std::string> names;
    session().store()->interpreters(&names);
    if (!names.empty()) {
        char* entries = static_cast<char*>(std::calloc(names.size(), 6));
        for (size_t i = 0; i < names.size(); ++i)
            std::strncpy(entries + 6 * i, names[i].c_str(), 5);
        *list = entries;
    }
    *count = static_cast<int>(names.size());
    return 0;
}

} // extern "C"
