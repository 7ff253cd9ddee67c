// Record access of the DevKit stand-in on a large project:
//  - adding the records through gdiAdd (every add checks its unique keys),
//    against inserting the same blobs with plain SQLite in one transaction;
//  - a cold open that reads the well, list, survey and fault catalogue with
//    gdiReadSet / gdiReadSubset / gdiCountSubset, against reading the same
//    classes with one SQL query per class;
//  - gdiRead of every well by its key, against one SQL primary-key lookup per
//    well.
//
// Each comparison alternates ours and the baseline over $DATALINK_BENCH_ROUNDS
// rounds (default 5) and reports the median ratio and its spread.
//
//   bench_owdevkit_records [--wells N] [--lists N] [--surveys N] [--faults N]

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using Sizes = CatalogueSizes;

/// The same number of blobs of the same sizes, inserted with plain SQLite.
bool insertWithSql(const std::string& path, const Sizes& sizes)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; CREATE TABLE RECORDS(rid INTEGER PRIMARY "
                 "KEY AUTOINCREMENT, class INTEGER NOT NULL, data BLOB NOT NULL); CREATE INDEX RECORDS_CLASS ON "
                 "RECORDS(class, rid); BEGIN IMMEDIATE",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO RECORDS(class, data) VALUES(?, ?)", -1, &insert, nullptr);
    std::vector<char> blob(4096, 'x');
    auto add = [&](int classId, size_t size, int count) {
        for (int i = 0; i < count; ++i) {
            sqlite3_bind_int(insert, 1, classId);
            sqlite3_bind_blob(insert, 2, blob.data(), int(size), SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
    };
    add(GDI_CLASS_3D_SURVEY, sizeof(gdi3dSurvey_t), sizes.surveys);
    add(GDI_CLASS_SEISMIC_DATA_SET, sizeof(gdiSeismicDataSet_t), sizes.surveys * sizes.dataSetsPerSurvey);
    add(GDI_CLASS_WELL_LIST, sizeof(gdiWellList_t), sizes.lists);
    add(GDI_CLASS_WELL, sizeof(gdiWell_t), sizes.wells);
    add(GDI_CLASS_WELL_LIST_MEMBER, sizeof(gdiWellListMember_t), sizes.wells);
    add(GDI_CLASS_FAULT_PLANE, sizeof(gdiFaultPlane_t), sizes.faults);
    add(GDI_CLASS_FAULT_SEGMENT, sizeof(gdiFaultSegment_t), sizes.faults * sizes.segmentsPerFault);
    add(GDI_CLASS_HORIZON_CATALOG, sizeof(gdiHorizonCatalog_t), sizes.horizons);
    add(GDI_CLASS_SURFACE, sizeof(gdiSurface_t), sizes.surfaces);
    sqlite3_finalize(insert);
    const bool committed = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return committed;
}

/// Reads the catalogue through the DevKit calls from a cold open; returns the rows.
long long readCatalogue(const std::string& project)
{
    int status = 0;
    prjOpen(project.c_str(), 0, &status);
    if (status != 0)
        return -1;
    long long rows = 0;
    int count = 0;
    void* wells = nullptr;
    void* lists = nullptr;
    if (gdiReadSet(GDI_CLASS_WELL, &count, &wells) == 0)
        rows += count;
    gdiFree(wells);
    int listCount = 0;
    gdiReadSet(GDI_CLASS_WELL_LIST, &listCount, &lists);
    for (int i = 0; i < listCount; ++i) {
        void* members = nullptr;
        if (gdiReadSubset(GDI_CLASS_WELL_LIST, static_cast<gdiWellList_t*>(lists) + i, GDI_CLASS_WELL, &count,
                          &members) == 0)
            rows += count;
        gdiFree(members);
    }
    gdiFree(lists);
    int surveyCount = 0;
    void* surveys = nullptr;
    gdiReadSet(GDI_CLASS_3D_SURVEY, &surveyCount, &surveys);
    for (int i = 0; i < surveyCount; ++i) {
        void* sets = nullptr;
        if (gdiReadSubset(GDI_CLASS_3D_SURVEY, static_cast<gdi3dSurvey_t*>(surveys) + i, GDI_CLASS_SEISMIC_DATA_SET,
                          &count, &sets) == 0)
            rows += count;
        gdiFree(sets);
    }
    gdiFree(surveys);
    int planeCount = 0;
    void* planes = nullptr;
    gdiReadSet(GDI_CLASS_FAULT_PLANE, &planeCount, &planes);
    for (int i = 0; i < planeCount; ++i) {
        if (gdiCountSubset(GDI_CLASS_FAULT_PLANE, static_cast<gdiFaultPlane_t*>(planes) + i, GDI_CLASS_FAULT_SEGMENT,
                           &count) == 0)
            rows += count;
    }
    gdiFree(planes);
    prjClose();
    return rows;
}

/// The baseline: every record of the same classes, one query per class.
long long readWithSql(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return -1;
    long long rows = 0;
    std::vector<std::vector<char>> records;
    for (int classId : {GDI_CLASS_WELL, GDI_CLASS_WELL_LIST, GDI_CLASS_WELL_LIST_MEMBER, GDI_CLASS_3D_SURVEY,
                        GDI_CLASS_SEISMIC_DATA_SET, GDI_CLASS_FAULT_PLANE, GDI_CLASS_FAULT_SEGMENT}) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT rid, data FROM RECORDS WHERE class = ? ORDER BY rid", -1, &select, nullptr);
        sqlite3_bind_int(select, 1, classId);
        while (sqlite3_step(select) == SQLITE_ROW) {
            const char* data = static_cast<const char*>(sqlite3_column_blob(select, 1));
            records.emplace_back(data, data + sqlite3_column_bytes(select, 1));
            ++rows;
        }
        sqlite3_finalize(select);
    }
    sqlite3_close(db);
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    Sizes sizes;
    sizes.wells = std::max(1, argumentValue(arguments, "--wells", sizes.wells));
    sizes.lists = std::max(1, argumentValue(arguments, "--lists", sizes.lists));
    sizes.surveys = argumentValue(arguments, "--surveys", sizes.surveys);
    sizes.faults = argumentValue(arguments, "--faults", sizes.faults);

    const QString folder = bench::workFolder("bench-owdevkit-records");
    if (bench::sizeForDisk(folder, 256ull << 20) == 0)
        return 1;
    const std::string home = (folder + "/openworks").toStdString();
    owsim::setHomeOverride(home);
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, "Bench", true, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict("Bench") != 0)
        return 1;
    std::printf("%d wells in %d lists, %d surveys of %d data sets, %d faults of %d segments\n", sizes.wells,
                sizes.lists, sizes.surveys, sizes.dataSetsPerSurvey, sizes.faults, sizes.segmentsPerFault);
    const int rounds = bench::roundsFromEnvironment(5);

    // Adding: each timed call fills a new project or a new database file.
    std::vector<std::string> projects;
    for (int round = 0; round < rounds; ++round) {
        projects.push_back("ADD" + std::to_string(round + 1));
        if (!owsim::createProject(home, "Bench", projects.back(), owsim::MeasurementSystem::Metric, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    size_t oursAdded = 0, baselineAdded = 0;
    bool populated = true, inserted = true;
    const bench::RoundRatios add = bench::alternateRounds(
        "Add the records (gdiAdd with key checks vs plain SQL inserts)", rounds, false,
        [&] {
            int status = 0;
            prjOpen(projects[oursAdded++].c_str(), 0, &status);
            populated = populated && status == 0 && populateCatalogue(sizes);
            prjClose();
        },
        [&] {
            const std::string path = (folder + "/baseline" + QString::number(++baselineAdded) + ".db").toStdString();
            inserted = inserted && insertWithSql(path, sizes);
        });
    if (!populated || !inserted)
        return 1;
    bench::reportRounds(add);

    // Every well by its key, from the warm cache of the open project, against
    // one SQL primary-key lookup per well.
    const std::string project = projects.front();
    char districtPath[1024] = {};
    lgcGetPathFromDistrict("Bench", districtPath, int(sizeof districtPath));
    const std::string projectPath = std::string(districtPath) + "/" + project + "/project.db";
    int status = 0;
    prjOpen(project.c_str(), 0, &status);
    int found = 0, lookedUp = 0;
    const bench::RoundRatios byKey = bench::alternateRounds(
        "Read every well by key (gdiRead vs SQL by row id)", rounds, false,
        [&] {
            found = 0;
            for (int w = 0; w < sizes.wells; ++w) {
                gdiWell_t well;
                gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
                setRecordText(well.wellKey, "W" + std::to_string(w));
                found += gdiRead(GDI_CLASS_WELL, &well) == 0 ? 1 : 0;
            }
        },
        [&] {
            lookedUp = 0;
            sqlite3* db = nullptr;
            sqlite3_open_v2(projectPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt* select = nullptr;
            sqlite3_prepare_v2(db, "SELECT data FROM RECORDS WHERE rid = ?", -1, &select, nullptr);
            const long long firstWell = 1 + sizes.surveys * (1 + sizes.dataSetsPerSurvey) + sizes.lists;
            for (int w = 0; w < sizes.wells; ++w) {
                sqlite3_bind_int64(select, 1, firstWell + 2 * w);
                if (sqlite3_step(select) == SQLITE_ROW) {
                    gdiWell_t well;
                    std::memcpy(&well, sqlite3_column_blob(select, 0), sizeof well);
                    lookedUp += 1;
                }
                sqlite3_reset(select);
            }
            sqlite3_finalize(select);
            sqlite3_close(db);
        });
    prjClose();
    std::printf("Wells read by key: %d of %d (baseline %d)\n", found, sizes.wells, lookedUp);
    bench::reportRounds(byKey);

    long long rows = 0;
    long long baselineRows = 0;
    const bench::RoundRatios catalogue = bench::alternateRounds(
        "Cold open and catalogue reads (DevKit calls vs one SQL query per class)", rounds, false,
        [&] { rows = readCatalogue(project); }, [&] { baselineRows = readWithSql(projectPath); });
    std::printf("Catalogue rows returned: %lld (baseline reads %lld records)\n", rows, baselineRows);
    bench::reportRounds(catalogue, 2.0);
    std::printf("Peak resident memory: %.1f MiB\n", double(bench::peakResidentBytes()) / (1 << 20));
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
