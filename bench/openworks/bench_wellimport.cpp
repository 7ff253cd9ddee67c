// Imports 1,000 OpenWorks wells end to end into a host well database
// (importWells: a trajectory of 2,000 stations, a time-depth table, 20 log
// curves of 10,000 samples in two log curve lists and 10 picks per well),
// against a baseline that reads the same records with one DevKit call each
// and writes the same rows with prepared SQLite inserts in one transaction
// plus raw log data file writes. Ours and the baseline run alternately, each
// in a child process of its own (so that its peak memory is its own), on a
// fresh well database folder; the disk is synced before each run.
//
//   bench_wellimport [--wells N]       (DATALINK_BENCH_DIR, DATALINK_BENCH_ROUNDS)
//   bench_wellimport --seed HOME N     (only seeds an OpenWorks home, for profiling the runs:
//   bench_wellimport --ours HOME HOST  /  --baseline HOME FOLDER)

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrwellimport.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{
const char* const kDistrict = "Bench";
const char* const kProject = "WELLS";
const char* const kWellList = "Bench Wells";
constexpr int kStations = 2000;
constexpr int kCurves = 20;
constexpr int kSamples = 10000;
constexpr int kPicks = 10;
constexpr int kTablePoints = 50;
/// OpenWorks bytes (vectors as floats) plus the host's data files (doubles), per well.
constexpr std::uint64_t kBytesPerWell = std::uint64_t(kCurves) * kSamples * 8 + kStations * 16
                                        + std::uint64_t(kCurves + 2) * kSamples * 8 + kStations * 24;

bool openProject(const std::string& home)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0 && prjOpen(kProject, 0, &status) == 0;
}

bool check(int status, const char* what)
{
    if (status == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", what, gdiErrorMessage(status));
    return false;
}

/// Writes the wells into the open project through gdiAdd, committing every 20 wells.
bool seedWells(int wells)
{
    gdiWellList_t list;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
    setRecordText(list.name, kWellList);
    setRecordText(list.listType, "WELL_LIST");
    setRecordText(list.interpreter, "BENCH");
    uint32_t curveLists[2] = {};
    bool ok = check(gdiAdd(GDI_CLASS_WELL_LIST, &list), "well list");
    for (int l = 0; ok && l < 2; ++l) {
        gdiLogCurveList_t curves;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &curves);
        setRecordText(curves.name, l == 0 ? "Bench Logs A" : "Bench Logs B");
        ok = check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST, &curves), "log curve list");
        curveLists[l] = curves.id;
    }
    static const char* const surfaces[kPicks] = {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9"};
    for (int p = 0; ok && p < kPicks; ++p) {
        gdiHorizonParams_t colour;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &colour);
        setRecordText(colour.name, surfaces[p]);
        setRecordText(colour.interpreter, "BENCH");
        colour.red = 20 * p;
        colour.green = 100;
        colour.blue = 250 - 20 * p;
        ok = check(gdiAdd(GDI_CLASS_HORIZON_PARAMS, &colour), "colour");
    }
    std::vector<float> md(kStations), tvd(kStations), dx(kStations), dy(kStations);
    std::vector<float> depths(kSamples), values(kSamples), tableDepths(kTablePoints), tableTimes(kTablePoints);
    for (int w = 0; ok && w < wells; ++w) {
        char key[32];
        std::snprintf(key, sizeof key, "BW-%05d", w);
        gdiWell_t well;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
        setRecordText(well.wellKey, key);
        setRecordText(well.uwi, std::string("UWI-") + key);
        setRecordText(well.wellName, key);
        setRecordText(well.commonWellName, key);
        setRecordText(well.wellNumber, key);
        setRecordText(well.elevationRef, "DF");
        setRecordText(well.status, "OIL");
        well.x = 450000.0 + 10.0 * w;
        well.y = 6780000.0 + 7.0 * w;
        well.elevation = 25.0f;
        well.totalDepth = 3000.0f;
        ok = check(gdiAdd(GDI_CLASS_WELL, &well), "well");
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        member.wellListId = list.id;
        setRecordText(member.wellKey, key);
        ok = ok && check(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), "well list member");

        for (int i = 0; i < kStations; ++i) {
            md[size_t(i)] = 1.5f * float(i);
            tvd[size_t(i)] = md[size_t(i)] * 0.95f;
            dx[size_t(i)] = 0.1f * float(i) + float(w % 7);
            dy[size_t(i)] = -0.05f * float(i);
        }
        gdiPositionLog_t position;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &position);
        setRecordText(position.wellKey, key);
        position.pointCount = kStations;
        position.md = md.data();
        position.tvd = tvd.data();
        position.xDeviation = dx.data();
        position.yDeviation = dy.data();
        ok = ok && check(gdiAdd(GDI_CLASS_POSITION_LOG, &position), "position log");

        for (int i = 0; i < kTablePoints; ++i) {
            tableDepths[size_t(i)] = 60.0f * float(i);
            tableTimes[size_t(i)] = 50.0f * float(i);
        }
        gdiTimeDepthTable_t table;
        gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &table);
        setRecordText(table.wellKey, key);
        setRecordText(table.name, "Checkshot");
        setRecordText(table.depthType, "MD");
        setRecordText(table.timeUnit, "ms");
        table.pointCount = kTablePoints;
        table.depths = tableDepths.data();
        table.times = tableTimes.data();
        ok = ok && check(gdiAdd(GDI_CLASS_TIME_DEPTH_TABLE, &table), "time-depth table");

        for (int c = 0; ok && c < kCurves; ++c) {
            for (int i = 0; i < kSamples; ++i) {
                depths[size_t(i)] = 500.0f + 0.25f * float(i);
                values[size_t(i)] = float(std::sin(0.001 * i + c + w));
            }
            gdiLogCurve_t curve;
            gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
            setRecordText(curve.wellKey, key);
            char name[16];
            std::snprintf(name, sizeof name, "C%02d", c);
            setRecordText(curve.name, name);
            setRecordText(curve.unit, "API");
            curve.topDepth = depths.front();
            curve.bottomDepth = depths.back();
            curve.sampleCount = kSamples;
            curve.nullValue = -999.25;
            curve.depths = depths.data();
            curve.values = values.data();
            ok = check(gdiAdd(GDI_CLASS_LOG_CURVE, &curve), "log curve");
            gdiLogCurveListMember_t curveMember;
            gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 1, &curveMember);
            curveMember.listId = curveLists[c % 2];
            curveMember.curveId = curve.id;
            ok = ok && check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &curveMember), "log curve list member");
        }
        for (int p = 0; ok && p < kPicks; ++p) {
            gdiSurfacePick_t pick;
            gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
            setRecordText(pick.wellKey, key);
            setRecordText(pick.surfaceName, surfaces[p]);
            setRecordText(pick.interpreter, "BENCH");
            pick.topDepth = 800.0f + 150.0f * float(p);
            pick.bottomDepth = pick.topDepth + 10.0f;
            ok = check(gdiAdd(GDI_CLASS_SURFACE_PICK, &pick), "pick");
        }
        if (ok && (w % 20 == 19 || w == wells - 1))
            ok = check(gdiCommit(), "commit");
        if (w % 100 == 99) {
            std::printf("seeded %d wells\n", w + 1);
            std::fflush(stdout);
        }
    }
    if (!ok)
        gdiRollback();
    return ok;
}

/// The import items of every well of the bench's well list.
QVector<WellImportItem> benchItems()
{
    QVector<WellImportItem> items;
    int count = 0;
    void* list = nullptr;
    if (gdiReadSet(GDI_CLASS_WELL, &count, &list) != 0)
        return items;
    for (int i = 0; i < count; ++i) {
        const gdiWell_t& well = static_cast<gdiWell_t*>(list)[i];
        WellImportItem item;
        item.wellSetName = kWellList;
        item.label = QString::fromLatin1(well.wellNumber);
        item.wellKey = QString::fromLatin1(well.wellKey);
        item.uwiKey = QString::fromLatin1(well.uwi);
        item.displayName = QString::fromLatin1(well.commonWellName);
        item.keyNumber = well.id;
        item.statusText = QString::fromLatin1(well.status);
        items.append(item);
    }
    gdiFree(list);
    return items;
}

/// The child run of ours: importWells into the host project's well database.
int runOurs(const QStringList& arguments)
{
    if (!openProject(arguments.value(0).toStdString()))
        return 1;
    ZRProject project(arguments.value(1));
    ZRLogDatabase database;
    if (!database.load(project.wellDatabasePath(), QStringLiteral("bench"), QStringLiteral("Bench"), true))
        return 1;
    const QVector<WellImportItem> items = benchItems();
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.wellDatabase = &database;
    context.ui = &ui;
    const int imported = importWells(context, items);
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    prjClose();
    gdiClose();
    if (imported != items.size())
        return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()));
    return 0;
}

/// A raw log data file: count, kind, then the values.
bool writeRealFile(const QString& path, const QVector<double>& values)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes(8 + 8 * values.size(), Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(values.size()), bytes.data());
    qToLittleEndian<quint32>(2u, bytes.data() + 4);
    std::memcpy(bytes.data() + 8, values.constData(), size_t(values.size()) * 8);
    return file.write(bytes) == bytes.size();
}

bool writeTextFile(const QString& path, const QStringList& values)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes(8, Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(values.size()), bytes.data());
    qToLittleEndian<quint32>(3u, bytes.data() + 4);
    for (const QString& value : values) {
        const QByteArray utf8 = value.toUtf8();
        char length[4];
        qToLittleEndian<quint32>(quint32(utf8.size()), length);
        bytes.append(length, 4).append(utf8);
    }
    return file.write(bytes) == bytes.size();
}

QVector<double> toDoubles(const float* values, int count)
{
    QVector<double> result(count);
    for (int i = 0; i < count; ++i)
        result[i] = double(values[i]);
    return result;
}

/// The child run of the baseline: one DevKit call per record, prepared inserts
/// in one transaction, raw data file writes.
int runBaseline(const QStringList& arguments)
{
    if (!openProject(arguments.value(0).toStdString()))
        return 1;
    const QString folder = arguments.value(1);
    QDir().mkpath(folder);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(folder + "/baseline.sql").constData(), &db) != SQLITE_OK)
        return 1;
    const char* schema =
        "create table WELL_TABLE (ID integer primary key unique, NAME TEXT NOT NULL UNIQUE, XUTM REAL NOT NULL, "
        "YUTM REAL NOT NULL, REFSET_ID INTEGER, KB REAL NOT NULL, KBUnit INTEGER NOT NULL, UWI TEXT, WELLSTATUS "
        "INTEGER, WELLCOLOR TEXT, OriginalSpatialUnit INTEGER);"
        "create table SET_TABLE (ID integer primary key unique, NAME TEXT NOT NULL, SET_TYPE INTEGER NOT NULL, "
        "WELL_ID INTEGER NOT NULL, SHIFT_DEPTH REAL, TWT_SHIFTING REAL, DEPTH1_TYPE INTEGER, DEPTH2_TYPE INTEGER, "
        "DEVIATION_TYPE INTEGER, CHECKSHOT_TYPE INTEGER, DEVIATION_METHOD INTEGER);"
        "create table LOG_TABLE (ID integer primary key unique, NAME TEXT NOT NULL, SET_ID INTEGER NOT NULL, NOVALUE "
        "REAL, UNIT TEXT, LOGTYPE INTEGER);"
        "create table MARKERINFOS_TABLE (ID integer primary key unique, NAME TEXT NOT NULL UNIQUE, COLOR TEXT NOT NULL);"
        "create table MARKERTOPBOTTOM_TABLE (ID integer primary key unique, MARKERINFO_ID INTEGER NOT NULL, "
        "MARKERSET_ID INTEGER NOT NULL, TOP REAL NOT NULL, BOTTOM REAL);"
        "create table WELLSET_TABLE (ID integer primary key unique, NAME TEXT NOT NULL);"
        "create table WELLSETTOWELLSRELATION_TABLE (ID integer primary key autoincrement unique, WELLSET_ID INTEGER "
        "NOT NULL, WELL_ID INTEGER NOT NULL);";
    if (sqlite3_exec(db, schema, nullptr, nullptr, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_stmt* wellInsert = nullptr;
    sqlite3_stmt* setInsert = nullptr;
    sqlite3_stmt* logInsert = nullptr;
    sqlite3_stmt* infoInsert = nullptr;
    sqlite3_stmt* markerInsert = nullptr;
    sqlite3_stmt* relationInsert = nullptr;
    sqlite3_prepare_v2(db, "insert into WELL_TABLE values (?,?,?,?,?,?,?,?,?,?,?)", -1, &wellInsert, nullptr);
    sqlite3_prepare_v2(db, "insert into SET_TABLE values (?,?,?,?,?,?,?,?,?,?,?)", -1, &setInsert, nullptr);
    sqlite3_prepare_v2(db, "insert into LOG_TABLE values (?,?,?,?,?,?)", -1, &logInsert, nullptr);
    sqlite3_prepare_v2(db, "insert into MARKERINFOS_TABLE values (?,?,?)", -1, &infoInsert, nullptr);
    sqlite3_prepare_v2(db, "insert into MARKERTOPBOTTOM_TABLE values (?,?,?,?,?)", -1, &markerInsert, nullptr);
    sqlite3_prepare_v2(db, "insert into WELLSETTOWELLSRELATION_TABLE (WELLSET_ID, WELL_ID) values (?,?)", -1,
                       &relationInsert, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "insert into WELLSET_TABLE values (1, 'Bench Wells')", nullptr, nullptr, nullptr);

    bool ok = true;
    int setId = 0, logId = 0, markerId = 0;
    QHash<QString, int> infoIds;
    auto insertSet = [&](const QString& name, int type, int wellId, double shift) {
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_int(setInsert, 1, ++setId);
        sqlite3_bind_text(setInsert, 2, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(setInsert, 3, type);
        sqlite3_bind_int(setInsert, 4, wellId);
        for (int column = 5; column <= 11; ++column)
            sqlite3_bind_null(setInsert, column);
        if (type == 1) {
            sqlite3_bind_double(setInsert, 5, shift);
            sqlite3_bind_double(setInsert, 6, 0.0);
            sqlite3_bind_int(setInsert, 7, 3);
            sqlite3_bind_int(setInsert, 8, 1);
            sqlite3_bind_int(setInsert, 9, 1);
            sqlite3_bind_int(setInsert, 10, 0);
            sqlite3_bind_int(setInsert, 11, 2);
        }
        ok = ok && sqlite3_step(setInsert) == SQLITE_DONE;
        sqlite3_reset(setInsert);
        return setId;
    };
    auto insertLog = [&](const QString& name, int set, double noValue, const QString& unit) {
        const QByteArray utf8 = name.toUtf8();
        const QByteArray unitUtf8 = unit.toUtf8();
        sqlite3_bind_int(logInsert, 1, ++logId);
        sqlite3_bind_text(logInsert, 2, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(logInsert, 3, set);
        sqlite3_bind_double(logInsert, 4, noValue);
        sqlite3_bind_text(logInsert, 5, unitUtf8.constData(), unitUtf8.size(), SQLITE_TRANSIENT);
        sqlite3_bind_null(logInsert, 6);
        ok = ok && sqlite3_step(logInsert) == SQLITE_DONE;
        sqlite3_reset(logInsert);
        return QStringLiteral("%1/LOGDATA_%2").arg(folder).arg(logId);
    };

    // The log curve lists, once.
    QHash<uint32_t, QString> listOfCurve;
    {
        int count = 0;
        void* lists = nullptr;
        void* members = nullptr;
        int memberCount = 0;
        gdiReadSet(GDI_CLASS_LOG_CURVE_LIST, &count, &lists);
        gdiReadSet(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &memberCount, &members);
        QHash<uint32_t, QString> names;
        for (int i = 0; i < count; ++i)
            names.insert(static_cast<gdiLogCurveList_t*>(lists)[i].id,
                         QString::fromLatin1(static_cast<gdiLogCurveList_t*>(lists)[i].name));
        for (int i = 0; i < memberCount; ++i) {
            const auto& member = static_cast<gdiLogCurveListMember_t*>(members)[i];
            if (!listOfCurve.contains(member.curveId))
                listOfCurve.insert(member.curveId, names.value(member.listId));
        }
        gdiFree(lists);
        gdiFree(members);
    }

    const QVector<WellImportItem> items = benchItems();
    int wellId = 0;
    for (const WellImportItem& item : items) {
        gdiWell_t header;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
        setRecordText(header.wellKey, item.wellKey.toStdString());
        ok = ok && gdiRead(GDI_CLASS_WELL, &header) == 0;
        const QByteArray name = QByteArray(header.wellName);
        const QByteArray uwi = QByteArray(header.uwi);
        ++wellId;

        // Time-depth table: its reference set also holds the trajectory.
        int count = 0;
        void* list = nullptr;
        gdiReadSubset(GDI_CLASS_WELL, &header, GDI_CLASS_TIME_DEPTH_TABLE, &count, &list);
        auto* tables = static_cast<gdiTimeDepthTable_t*>(list);
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        std::memcpy(preferred.wellKey, header.wellKey, sizeof preferred.wellKey);
        gdiRead(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred);
        gdiPositionLog_t position;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &position);
        std::memcpy(position.wellKey, header.wellKey, sizeof position.wellKey);
        ok = ok && gdiRead(GDI_CLASS_POSITION_LOG, &position) == 0 && gdiReadVector(GDI_CLASS_POSITION_LOG, &position) == 0;
        const QVector<double> tvd = toDoubles(position.tvd, position.pointCount);
        int refSet = 0;
        for (int t = 0; t < count; ++t) {
            ok = ok && gdiReadVector(GDI_CLASS_TIME_DEPTH_TABLE, &tables[t]) == 0;
            refSet = insertSet(QString::fromLatin1(tables[t].name), 1, wellId, tvd.value(0));
            ok = ok && writeRealFile(insertLog("LogTWTRefset", refSet, -9999.0, "Millisecond"),
                                     toDoubles(tables[t].times, tables[t].pointCount));
            ok = ok && writeRealFile(insertLog("LogMDRefSet", refSet, -9999.0, "Meter"),
                                     toDoubles(tables[t].depths, tables[t].pointCount));
            gdiReleaseVectors(GDI_CLASS_TIME_DEPTH_TABLE, 1, &tables[t]);
        }
        gdiRelease(GDI_CLASS_TIME_DEPTH_TABLE, count, list);
        ok = ok && writeRealFile(insertLog("LogTVDXY", refSet, -9999.0, "Meter"), tvd);
        ok = ok && writeRealFile(insertLog("LogDevX", refSet, -9999.0, "Meter"),
                                 toDoubles(position.xDeviation, position.pointCount));
        ok = ok && writeRealFile(insertLog("LogDevY", refSet, -9999.0, "Meter"),
                                 toDoubles(position.yDeviation, position.pointCount));
        gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &position);

        sqlite3_bind_int(wellInsert, 1, wellId);
        sqlite3_bind_text(wellInsert, 2, name.constData(), name.size(), SQLITE_TRANSIENT);
        sqlite3_bind_double(wellInsert, 3, header.x);
        sqlite3_bind_double(wellInsert, 4, header.y);
        sqlite3_bind_int(wellInsert, 5, refSet);
        sqlite3_bind_double(wellInsert, 6, double(header.elevation));
        sqlite3_bind_int(wellInsert, 7, 0);
        sqlite3_bind_text(wellInsert, 8, uwi.constData(), uwi.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(wellInsert, 9, 6);
        sqlite3_bind_text(wellInsert, 10, "", 0, SQLITE_STATIC);
        sqlite3_bind_int(wellInsert, 11, 0);
        ok = ok && sqlite3_step(wellInsert) == SQLITE_DONE;
        sqlite3_reset(wellInsert);
        sqlite3_bind_int(relationInsert, 1, 1);
        sqlite3_bind_int(relationInsert, 2, wellId);
        ok = ok && sqlite3_step(relationInsert) == SQLITE_DONE;
        sqlite3_reset(relationInsert);

        // Log curves: one set per list, its "MD" log from its first curve.
        count = 0;
        list = nullptr;
        gdiReadSubset(GDI_CLASS_WELL, &header, GDI_CLASS_LOG_CURVE, &count, &list);
        auto* curves = static_cast<gdiLogCurve_t*>(list);
        QHash<QString, int> sets;
        for (int c = 0; c < count; ++c) {
            ok = ok && gdiReadVector(GDI_CLASS_LOG_CURVE, &curves[c]) == 0;
            const QString setName = listOfCurve.value(curves[c].id);
            int set = sets.value(setName);
            if (set == 0) {
                set = insertSet(setName, 3, wellId, 0.0);
                sets.insert(setName, set);
                ok = ok && writeRealFile(insertLog("MD", set, curves[c].nullValue, "Meter"),
                                         toDoubles(curves[c].depths, curves[c].sampleCount));
            }
            ok = ok && writeRealFile(insertLog(QString::fromLatin1(curves[c].name), set, curves[c].nullValue, "API"),
                                     toDoubles(curves[c].values, curves[c].sampleCount));
            gdiReleaseVectors(GDI_CLASS_LOG_CURVE, 1, &curves[c]);
        }
        gdiRelease(GDI_CLASS_LOG_CURVE, count, list);

        // Picks and their colours.
        count = 0;
        list = nullptr;
        gdiReadSubset(GDI_CLASS_WELL, &header, GDI_CLASS_SURFACE_PICK, &count, &list);
        auto* picks = static_cast<gdiSurfacePick_t*>(list);
        const int markers = insertSet("Markers", 2, wellId, 0.0);
        QStringList names;
        QVector<double> tops, bottoms;
        for (int p = 0; p < count; ++p) {
            const QString surface = QString::fromLatin1(picks[p].surfaceName);
            names.append(surface);
            tops.append(double(picks[p].topDepth));
            bottoms.append(double(picks[p].bottomDepth));
            gdiHorizonParams_t colour;
            gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &colour);
            std::memcpy(colour.name, picks[p].surfaceName, sizeof colour.name);
            std::memcpy(colour.interpreter, picks[p].interpreter, sizeof colour.interpreter);
            gdiRead(GDI_CLASS_HORIZON_PARAMS, &colour);
            int info = infoIds.value(surface);
            if (info == 0) {
                info = infoIds.size() + 1;
                infoIds.insert(surface, info);
                const QByteArray utf8 = surface.toUtf8();
                const QByteArray hex = QStringLiteral("#%1%2%3")
                                           .arg(colour.red, 2, 16, QLatin1Char('0'))
                                           .arg(colour.green, 2, 16, QLatin1Char('0'))
                                           .arg(colour.blue, 2, 16, QLatin1Char('0'))
                                           .toLatin1();
                sqlite3_bind_int(infoInsert, 1, info);
                sqlite3_bind_text(infoInsert, 2, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
                sqlite3_bind_text(infoInsert, 3, hex.constData(), hex.size(), SQLITE_TRANSIENT);
                ok = ok && sqlite3_step(infoInsert) == SQLITE_DONE;
                sqlite3_reset(infoInsert);
            }
            sqlite3_bind_int(markerInsert, 1, ++markerId);
            sqlite3_bind_int(markerInsert, 2, info);
            sqlite3_bind_int(markerInsert, 3, markers);
            sqlite3_bind_double(markerInsert, 4, tops.last());
            sqlite3_bind_double(markerInsert, 5, bottoms.last());
            ok = ok && sqlite3_step(markerInsert) == SQLITE_DONE;
            sqlite3_reset(markerInsert);
        }
        gdiRelease(GDI_CLASS_SURFACE_PICK, count, list);
        ok = ok && writeTextFile(insertLog("LogNameMarkerSet", markers, -9999.0, "Meter"), names);
        ok = ok && writeRealFile(insertLog("LogTopMarkerSet", markers, -9999.0, "Meter"), tops);
        ok = ok && writeRealFile(insertLog("LogBottomMarkerSet", markers, -9999.0, "Meter"), bottoms);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (sqlite3_stmt* statement : {wellInsert, setInsert, logInsert, infoInsert, markerInsert, relationInsert})
        sqlite3_finalize(statement);
    sqlite3_close(db);
    prjClose();
    gdiClose();
    if (!ok)
        return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()));
    return 0;
}

double g_peakMiB = 0.0;

/// Runs a child (--ours / --baseline); its peak memory goes to g_peakMiB.
void runChild(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("the %s run failed", qPrintable(arguments.value(0)));
    g_peakMiB = QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble() / double(1 << 20);
}

void syncDisk()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == "--ours")
        return runOurs(arguments.mid(2));
    if (arguments.value(1) == "--baseline")
        return runBaseline(arguments.mid(2));
    if (arguments.value(1) == "--seed") {
        // Only seeds an OpenWorks home (for profiling the child runs): --seed HOME WELLS.
        const std::string home = arguments.value(2).toStdString();
        std::string error;
        if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
            || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)
            || !openProject(home) || !seedWells(arguments.value(3).toInt())) {
            std::fprintf(stderr, "seeding failed %s\n", error.c_str());
            return 1;
        }
        prjClose();
        gdiClose();
        return 0;
    }

    const QString folder = bench::workFolder("wellimport");
    int wells = argumentValue(arguments, QStringLiteral("--wells"), 1000);
    // Every run writes into a folder of its own, all kept to the end: deleting
    // thousands of files just before a run slows that run's file creations
    // (the file system skips recently freed inodes) and would favour the other.
    const int rounds = bench::roundsFromEnvironment(3);
    const std::uint64_t hostBytesPerWell = std::uint64_t(kCurves + 2) * kSamples * 8 + kStations * 24;
    const std::uint64_t perWell = kBytesPerWell + hostBytesPerWell * std::uint64_t(2 * rounds - 1);
    const std::uint64_t bytes = bench::sizeForDisk(folder, perWell * std::uint64_t(wells));
    if (bytes == 0)
        return 1;
    wells = std::max(1, int(std::min<std::uint64_t>(std::uint64_t(wells), bytes / perWell)));
    std::printf("%d wells: %d stations, 1 time-depth table, %d logs of %d samples, %d picks each\n", wells, kStations,
                kCurves, kSamples, kPicks);
    std::fflush(stdout);

    const std::string home = (folder + "/home").toStdString();
    {
        std::string error;
        if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
            || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        if (!openProject(home)) {
            std::fprintf(stderr, "cannot open the benchmark project\n");
            return 1;
        }
        const double seeding = bench::secondsOf([&] {
            if (!seedWells(wells))
                qFatal("seeding failed");
        });
        std::printf("seeded in %.1f s\n", seeding);
        std::fflush(stdout);
        prjClose();
        gdiClose();
    }

    int runs = 0;
    QString hostPath;
    QString baselineFolder;
    auto prepare = [&] {
        ++runs;
        QString hostError;
        const QString name = QStringLiteral("Host%1").arg(runs);
        if (!ZRProject::createEmptyProject(folder, name, &hostError))
            qFatal("%s", qPrintable(hostError));
        hostPath = folder + "/" + name;
        const QString wellFolder = ZRProject(hostPath).wellDatabasePath();
        QDir().mkpath(wellFolder);
        ZRLogDatabase database;
        if (!database.createEmptyDatabase(wellFolder))
            qFatal("cannot create the well database");
        baselineFolder = folder + QStringLiteral("/baseline%1").arg(runs);
        syncDisk();
    };
    double oursPeak = 0.0;
    double baselinePeak = 0.0;
    const bench::RoundRatios result = bench::alternateRounds(
        QStringLiteral("well import of %1 wells, ours vs prepared SQLite and raw files").arg(wells), rounds, false,
        [&] {
            runChild({"--ours", QString::fromStdString(home), hostPath});
            oursPeak = std::max(oursPeak, g_peakMiB);
        },
        [&] {
            runChild({"--baseline", QString::fromStdString(home), baselineFolder});
            baselinePeak = std::max(baselinePeak, g_peakMiB);
        },
        prepare);
    bench::reportRounds(result, 1.5);
    bench::report(QStringLiteral("well import peak resident memory"), oursPeak, QStringLiteral("MiB"));
    bench::report(QStringLiteral("baseline peak resident memory"), baselinePeak, QStringLiteral("MiB"));
    const double mebibytes = double(wells) * double(kCurves + 2) * kSamples * 8 / double(1 << 20);
    std::printf("log data written per run: %.0f MiB; throughput ours %.0f MiB/s, baseline %.0f MiB/s\n", mebibytes,
                mebibytes / result.medianOurs(), mebibytes / result.medianBaseline());
    QDir(folder).removeRecursively();
    return 0;
}
