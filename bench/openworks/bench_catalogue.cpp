// Opening a large OpenWorks project until its catalogue is shown, against a
// baseline that reads the same records with one SQL query per class.
//
//   bench_catalogue [--wells N] [--lists N] [--horizons N] [--faults N] [--surveys N]
//
// Defaults: 20,000 wells in 200 well lists, 2,000 horizons, 500 faults,
// 200 surveys of 5 data sets each.

#include "benchsupport.h"
#include "iconxpmhandler.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkswellmodel.h"

#include <QApplication>
#include <QDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

struct Sizes
{
    int wells = 20000;
    int lists = 200;
    int horizons = 2000;
    int faults = 500;
    int surveys = 200;
    int dataSetsPerSurvey = 5;
    int segmentsPerFault = 4;
    int surfaces = 50;
};

template <size_t N>
void setText(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N - 1, text.size()));
}

bool check(int status, const char* what)
{
    if (status == 0)
        return true;
    std::fprintf(stderr, "%s failed: %d %s\n", what, status, gdiErrorMessage(status));
    return false;
}

bool populate(const Sizes& sizes)
{
    for (int s = 0; s < sizes.surveys; ++s) {
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        setText(survey.name, "Survey " + std::to_string(s));
        setText(survey.orientation, "TRACE");
        survey.firstLine = 1;
        survey.lastLine = 100;
        survey.firstTrace = 1;
        survey.lastTrace = 100;
        survey.lineCount = 100;
        survey.traceCount = 100;
        const double corners[8] = {0, 0, 0, 1000, 1000, 1000, 1000, 0};
        std::memcpy(survey.corner, corners, sizeof corners);
        if (!check(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), "survey"))
            return false;
        for (int d = 0; d < sizes.dataSetsPerSurvey; ++d) {
            gdiSeismicDataSet_t set;
            gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &set);
            set.surveyId = survey.id;
            setText(set.name, "Data set " + std::to_string(d));
            setText(set.domain, d % 2 ? "DEPTH" : "TIME");
            setText(set.fileName, "survey" + std::to_string(s) + "_" + std::to_string(d) + ".sgy");
            set.inlineMin = 1;
            set.inlineMax = 100;
            if (!check(gdiAdd(GDI_CLASS_SEISMIC_DATA_SET, &set), "data set"))
                return false;
        }
    }
    std::vector<int> listIds;
    std::vector<std::string> listNames;
    for (int l = 0; l < sizes.lists; ++l) {
        gdiWellList_t list;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
        listNames.push_back("List " + std::to_string(l));
        setText(list.name, listNames.back());
        setText(list.listType, "WELL_LIST");
        if (!check(gdiAdd(GDI_CLASS_WELL_LIST, &list), "well list"))
            return false;
        listIds.push_back(list.id);
    }
    for (int w = 0; w < sizes.wells; ++w) {
        gdiWell_t well;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
        const std::string key = "W" + std::to_string(w);
        setText(well.wellKey, key);
        setText(well.uwi, "UWI-" + std::to_string(w));
        setText(well.commonWellName, "Well " + std::to_string(w));
        well.x = 1000.0 + w;
        well.y = 2000.0 + w;
        if (!check(gdiAdd(GDI_CLASS_WELL, &well), "well"))
            return false;
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        const int list = w % sizes.lists;
        member.wellListId = listIds[size_t(list)];
        setText(member.wellKey, key);
        setText(member.wellListName, listNames[size_t(list)]);
        if (!check(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), "membership"))
            return false;
    }
    for (int h = 0; h < sizes.horizons; ++h) {
        gdiHorizonCatalog_t horizon;
        gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &horizon);
        horizon.id = h + 1;
        setText(horizon.name, "Horizon " + std::to_string(h));
        setText(horizon.attribute, "TIME");
        if (!check(gdiAdd(GDI_CLASS_HORIZON_CATALOG, &horizon), "horizon"))
            return false;
    }
    for (int f = 0; f < sizes.faults; ++f) {
        gdiFaultPlane_t fault;
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &fault);
        setText(fault.name, "Fault " + std::to_string(f));
        if (!check(gdiAdd(GDI_CLASS_FAULT_PLANE, &fault), "fault"))
            return false;
        for (int s = 0; s < sizes.segmentsPerFault; ++s) {
            gdiFaultSegment_t segment;
            gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
            segment.planeId = fault.id;
            segment.segmentNumber = s;
            if (!check(gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment), "segment"))
                return false;
        }
    }
    for (int s = 0; s < sizes.surfaces; ++s) {
        gdiSurface_t surface;
        gdiInitiateObject(GDI_CLASS_SURFACE, 1, &surface);
        setText(surface.name, "Surface " + std::to_string(s));
        setText(surface.stratColumn, s % 2 ? "UNKNOWN" : "NORTH SEA");
        if (!check(gdiAdd(GDI_CLASS_SURFACE, &surface), "surface"))
            return false;
    }
    return check(gdiCommit(), "commit");
}

/// The baseline: every record of the classes the catalogue shows, one query per class.
size_t readWithSql(const std::string& databasePath)
{
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(databasePath.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 0;
    size_t bytes = 0;
    std::vector<std::vector<char>> records;
    for (int classId : {GDI_CLASS_3D_SURVEY, GDI_CLASS_SEISMIC_DATA_SET, GDI_CLASS_WELL, GDI_CLASS_WELL_LIST,
                        GDI_CLASS_WELL_LIST_MEMBER, GDI_CLASS_HORIZON_CATALOG, GDI_CLASS_FAULT_PLANE,
                        GDI_CLASS_FAULT_SEGMENT, GDI_CLASS_SURFACE, GDI_CLASS_HORIZON_PARAMS}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database, "SELECT rid, data FROM RECORDS WHERE class = ? ORDER BY rid", -1, &statement,
                           nullptr);
        sqlite3_bind_int(statement, 1, classId);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const char* data = static_cast<const char*>(sqlite3_column_blob(statement, 1));
            const int size = sqlite3_column_bytes(statement, 1);
            records.emplace_back(data, data + size);
            bytes += size_t(size);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return bytes;
}

int argumentValue(const QStringList& arguments, const QString& name, int fallback)
{
    const int index = arguments.indexOf(name);
    return index >= 0 && index + 1 < arguments.size() ? arguments[index + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Sizes sizes;
    const QStringList arguments = application.arguments();
    sizes.wells = argumentValue(arguments, "--wells", sizes.wells);
    sizes.lists = argumentValue(arguments, "--lists", sizes.lists);
    sizes.horizons = argumentValue(arguments, "--horizons", sizes.horizons);
    sizes.faults = argumentValue(arguments, "--faults", sizes.faults);
    sizes.surveys = argumentValue(arguments, "--surveys", sizes.surveys);

    const QString folder = bench::workFolder("bench-catalogue");
    if (bench::sizeForDisk(folder, 256ull << 20) == 0)
        return 1;
    const std::string home = (folder + "/openworks").toStdString();
    owsim::setHomeOverride(home);
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, "Bench", true, &error)
        || !owsim::createProject(home, "Bench", "BIG", owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict("Bench") != 0)
        return 1;
    int status = 0;
    prjOpen("BIG", 0, &status);
    std::printf("Populating: %d wells in %d lists, %d horizons, %d faults, %d surveys of %d data sets\n",
                sizes.wells, sizes.lists, sizes.horizons, sizes.faults, sizes.surveys, sizes.dataSetsPerSurvey);
    std::fflush(stdout);
    if (status != 0 || !populate(sizes))
        return 1;
    prjClose();

    iconHandler = new IconXPMHandler;
    char districtPath[1024] = {};
    lgcGetPathFromDistrict("Bench", districtPath, int(sizeof districtPath));
    const std::string databasePath = std::string(districtPath) + "/BIG/project.db";

    int rows = 0;
    const double ours = bench::bestSecondsOf(3, [&] {
        ZROpenworksProjectBrowser browser(nullptr);
        browser.openOpenworksProject("BIG");
        rows = browser.wellModel()->rowCount() + browser.surveyModel()->rowCount();
        prjClose();
    });
    size_t bytes = 0;
    const double baseline = bench::bestSecondsOf(3, [&] { bytes = readWithSql(databasePath); });

    std::printf("Catalogue rows (wells + surveys): %d; baseline read %zu bytes of records\n", rows, bytes);
    bench::reportRatio("Open project until the catalogue is shown", ours, baseline, false);
    std::printf("Goal: ratio at most 2.0 and ours under 3 s: %s\n", ours <= 2.0 * baseline && ours < 3.0 ? "met" : "NOT met");
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
