// owsim: administration tool of the OpenWorks DevKit stand-in.

#include "owsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{
void usage()
{
    std::puts(
        "usage: owsim <command> [options]\n"
        "  create-home      --home DIR\n"
        "  create-district  --home DIR --district NAME [--system]\n"
        "  create-project   --home DIR --district NAME --project NAME [--feet]\n"
        "                   [--unit TYPE=UNIT ...]   e.g. --unit \"Seismic Time=microseconds\"\n"
        "  seed-demo        --home DIR --district NAME --project NAME [--feet]\n"
        "  load-segy        --home DIR --district NAME --project NAME --file SEGY --survey NAME\n"
        "                   [--dataset NAME] [--domain TIME|DEPTH]\n"
        "  list             --home DIR --district NAME --project NAME --class N\n"
        "  dump             --home DIR --district NAME --project NAME --class N [--id ID]\n"
        "--home defaults to $OWHOME, else $HOME/.openworks. Unit types: 58 Elevation, 167 Seismic Time,\n"
        "1001 Depth, 2004 X/Y Coordinate (number or name).");
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "owsim: %s\n", message.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        usage();
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    std::map<std::string, std::string> options;
    std::vector<owsim::UnitChoice> units;
    for (int i = 2; i < argc; ++i) {
        std::string name = argv[i];
        if (name.rfind("--", 0) != 0)
            return fail("unexpected argument " + name);
        name = name.substr(2);
        if (name == "feet" || name == "system") {
            options[name] = "1";
        } else if (name == "unit" && i + 1 < argc) {
            owsim::UnitChoice choice;
            std::string error;
            if (!owsim::parseUnitChoice(argv[++i], &choice, &error))
                return fail(error);
            units.push_back(choice);
        } else if (i + 1 < argc) {
            options[name] = argv[++i];
        } else {
            return fail("missing value of --" + name);
        }
    }
    const std::string home = options.count("home") ? options["home"] : owsim::homePath();
    const std::string district = options["district"];
    const std::string project = options["project"];
    const owsim::MeasurementSystem system =
        options.count("feet") ? owsim::MeasurementSystem::Feet : owsim::MeasurementSystem::Metric;
    std::string error;
    auto need = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (options[name].empty())
                return std::string("missing --") + name;
        return std::string();
    };

    if (command == "create-home") {
        if (!owsim::createHome(home, &error))
            return fail(error);
    } else if (command == "create-district") {
        if (!(error = need({"district"})).empty() || !owsim::createDistrict(home, district, options.count("system"), &error))
            return fail(error);
    } else if (command == "create-project") {
        if (!(error = need({"district", "project"})).empty() || !owsim::createHome(home, &error) ||
            !owsim::createDistrict(home, district, false, &error) ||
            !owsim::createProject(home, district, project, system, units, &error))
            return fail(error);
    } else if (command == "seed-demo") {
        if (!(error = need({"district", "project"})).empty())
            return fail(error);
        bool already = false;
        std::vector<std::string> log;
        if (!owsim::seedDemo(home, district, project, system, &already, &error, &log))
            return fail(error);
        for (const std::string& line : log)
            std::printf("%s\n", line.c_str());
        std::printf(already ? "project %s of district %s already holds the demo: nothing done\n"
                            : "demo seeded into project %s of district %s\n",
                    project.c_str(), district.c_str());
    } else if (command == "load-segy") {
        if (!(error = need({"district", "project", "file", "survey"})).empty())
            return fail(error);
        const std::string dataSet = options.count("dataset") ? options["dataset"] : options["survey"];
        const std::string domain = options.count("domain") ? options["domain"] : "TIME";
        if (domain != "TIME" && domain != "DEPTH")
            return fail("--domain must be TIME or DEPTH");
        if (!owsim::loadSegy(home, district, project, options["file"], options["survey"], dataSet, domain, &error))
            return fail(error);
        std::printf("loaded %s as data set %s of survey %s\n", options["file"].c_str(), dataSet.c_str(),
                    options["survey"].c_str());
    } else if (command == "list" || command == "dump") {
        if (!(error = need({"district", "project", "class"})).empty())
            return fail(error);
        std::vector<std::string> lines;
        const int classId = std::atoi(options["class"].c_str());
        const bool ok = command == "list"
                            ? owsim::listRecords(home, district, project, classId, &lines, &error)
                            : owsim::dumpRecords(home, district, project, classId, std::atoi(options["id"].c_str()),
                                                 &lines, &error);
        if (!ok)
            return fail(error);
        for (const std::string& line : lines)
            std::printf("%s\n", line.c_str());
    } else {
        usage();
        return 2;
    }
    return 0;
}
