// Opening a large OpenWorks project until its catalogue is shown, against a
// baseline that reads the same records with one SQL query per class; the two
// alternate over $DATALINK_BENCH_ROUNDS rounds (default 7). Goal: the median
// ratio ours / baseline at most 2.0.
//
//   bench_catalogue [--wells N] [--lists N] [--horizons N] [--faults N] [--surveys N]
//
// Defaults: 20,000 wells in 200 well lists, 2,000 horizons, 500 faults,
// 200 surveys of 5 data sets each.

#include "benchsupport.h"
#include "catalogueseed.h"
#include "iconxpmhandler.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkswellmodel.h"

#include <QApplication>

#include <memory>
#include <QDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

using Sizes = CatalogueSizes;

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
    if (status != 0 || !populateCatalogue(sizes))
        return 1;
    prjClose();

    iconHandler = new IconXPMHandler;
    char districtPath[1024] = {};
    lgcGetPathFromDistrict("Bench", districtPath, int(sizeof districtPath));
    const std::string databasePath = std::string(districtPath) + "/BIG/project.db";

    int rows = 0;
    size_t bytes = 0;
    // The browser is made before and destroyed after each timed open (the
    // prepare step, not timed): what is timed is opening the project until
    // the catalogue is shown.
    std::unique_ptr<ZROpenworksProjectBrowser> browser;
    const bench::RoundRatios rounds = bench::alternateRounds(
        "Open project until the catalogue is shown", bench::roundsFromEnvironment(7), false,
        [&] {
            browser->openOpenworksProject("BIG");
            rows = browser->wellModel()->rowCount() + browser->surveyModel()->rowCount();
        },
        [&] { bytes = readWithSql(databasePath); },
        [&] {
            browser.reset();
            prjClose();
            browser = std::make_unique<ZROpenworksProjectBrowser>(nullptr);
        });
    browser.reset();
    prjClose();
    std::printf("Catalogue rows (wells + surveys): %d; baseline read %zu bytes of records\n", rows, bytes);
    bench::reportRounds(rounds, 2.0);
    std::printf("Ours under 3 s: %s\n", rounds.medianOurs() < 3.0 ? "met" : "NOT met");
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
