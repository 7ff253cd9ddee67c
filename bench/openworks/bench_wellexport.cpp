// Exports 1,000 host wells into a new OpenWorks project end to end
// (exportWells: a trajectory of 2,000 stations, a time-depth table, 20 logs
// of 10,000 samples in two log sets and 10 markers per well, all in one host
// well set), against a baseline that reads the same host values through the
// well database and adds the same records with one DevKit call each (one
// gdiAdd per record, one gdiCommit per well). Ours and the baseline run
// alternately, each in a child process of its own (so that its peak memory
// is its own), each into a new OpenWorks project made (untimed) before it;
// the disk is synced before each run.
//
//   bench_wellexport [--wells N]              (DATALINK_BENCH_DIR, DATALINK_BENCH_ROUNDS)
//   bench_wellexport --ours HOME PROJECT HOST / --baseline HOME PROJECT HOST   (one child run)

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrwellexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

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
const char* const kWellSet = "Bench Wells";
constexpr int kStations = 2000;
constexpr int kCurves = 20;
constexpr int kSamples = 10000;
constexpr int kPicks = 10;
constexpr int kTablePoints = 50;
const char* const kSurfaces[kPicks] = {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9"};
/// Host data files (doubles) per well.
constexpr std::uint64_t kHostBytesPerWell =
    std::uint64_t(kCurves + 2) * kSamples * 8 + std::uint64_t(kStations) * 24 + kTablePoints * 16;
/// OpenWorks records and vectors (floats) per well and run.
constexpr std::uint64_t kOpenWorksBytesPerWell =
    std::uint64_t(kCurves) * kSamples * 8 + std::uint64_t(kStations) * 16 + kTablePoints * 8 + 64 * 1024;

bool openProject(const std::string& home, const QString& project)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0
           && prjOpen(project.toLatin1().constData(), 0, &status) == 0;
}

/// Writes the host wells into the well database of hostPath, saving every 20 wells.
bool seedHost(const QString& hostPath, int wells)
{
    ZRProject project(hostPath);
    ZRLogDatabase database;
    if (!database.load(project.wellDatabasePath(), QStringLiteral("seed"), QStringLiteral("Bench"), true))
        return false;
    ZRWellSet* wellSet = database.wellSet(QString::fromLatin1(kWellSet));
    for (int p = 0; p < kPicks; ++p)
        database.CreateMarkerInfo(QString::fromLatin1(kSurfaces[p]))
            ->setColor(QStringLiteral("#%1640a").arg(20 * p, 2, 16, QLatin1Char('0')));
    for (int w = 0; w < wells; ++w) {
        ZRWell* well = database.CreateWell(QStringLiteral("BW-%1").arg(w, 5, 10, QLatin1Char('0')));
        if (!well)
            return false;
        well->setUwi(QStringLiteral("UWI-BW-%1").arg(w, 5, 10, QLatin1Char('0')));
        well->setX(450000.0 + 10.0 * w);
        well->setY(6780000.0 + 7.0 * w);
        well->setKb(25.0);
        well->setStatus(6);
        database.addWellToWellSet(well, wellSet);
        auto log = [&](ZRSet* set, const QString& name, const QString& unit, QVector<double> values) {
            ZRLog* created = database.CreateLog(name, set, false);
            created->setUnit(unit);
            created->setNoValue(-9999.0);
            database.setLogData(created, std::move(values));
        };
        ZRRefSet* refSet = database.CreateRefSet(QStringLiteral("Checkshot"), well, 1);
        refSet->setDepth1Type(3);
        QVector<double> times(kTablePoints), tableDepths(kTablePoints);
        for (int i = 0; i < kTablePoints; ++i) {
            tableDepths[i] = 60.0 * i;
            times[i] = 50.0 * i;
        }
        log(refSet, QStringLiteral("LogTWTRefset"), QStringLiteral("Millisecond"), times);
        log(refSet, QStringLiteral("LogMDRefSet"), QStringLiteral("Meter"), tableDepths);
        QVector<double> tvd(kStations), dx(kStations), dy(kStations);
        for (int i = 0; i < kStations; ++i) {
            tvd[i] = 1.5 * i * 0.95;
            dx[i] = 0.1 * i + (w % 7);
            dy[i] = -0.05 * i;
        }
        log(refSet, QStringLiteral("LogTVDXY"), QStringLiteral("Meter"), tvd);
        log(refSet, QStringLiteral("LogDevX"), QStringLiteral("Meter"), dx);
        log(refSet, QStringLiteral("LogDevY"), QStringLiteral("Meter"), dy);
        for (int s = 0; s < 2; ++s) {
            ZRSet* set = database.CreateLogSet(s == 0 ? QStringLiteral("Bench Logs A") : QStringLiteral("Bench Logs B"),
                                               well);
            QVector<double> md(kSamples);
            for (int i = 0; i < kSamples; ++i)
                md[i] = 500.0 + 0.25 * i;
            log(set, QStringLiteral("MD"), QStringLiteral("Meter"), md);
            for (int c = s; c < kCurves; c += 2) {
                QVector<double> values(kSamples);
                for (int i = 0; i < kSamples; ++i)
                    values[i] = double(float(std::sin(0.001 * i + c + w)));
                log(set, QStringLiteral("C%1").arg(c, 2, 10, QLatin1Char('0')), QStringLiteral("API"), values);
            }
        }
        ZRSet* markers = database.CreateMarkerSet(QStringLiteral("Markers"), well);
        QStringList names;
        QVector<double> tops, bottoms;
        for (int p = 0; p < kPicks; ++p) {
            names.append(QString::fromLatin1(kSurfaces[p]));
            tops.append(800.0 + 150.0 * p);
            bottoms.append(810.0 + 150.0 * p);
        }
        ZRLog* nameLog = database.CreateLog(QStringLiteral("LogNameMarkerSet"), markers, false);
        database.setLogData(nameLog, names);
        log(markers, QStringLiteral("LogTopMarkerSet"), QStringLiteral("Meter"), tops);
        log(markers, QStringLiteral("LogBottomMarkerSet"), QStringLiteral("Meter"), bottoms);
        if ((w % 20 == 19 || w == wells - 1) && (!database.updateMarkerDatabase() || !database.save()))
            return false;
    }
    return true;
}

/// The child run of ours: exportWells of the host well set.
int runOurs(const QStringList& arguments)
{
    if (!openProject(arguments.value(0).toStdString(), arguments.value(1)))
        return 1;
    ZRProject project(arguments.value(2));
    ZRLogDatabase database;
    if (!database.load(project.wellDatabasePath(), QStringLiteral("bench"), QStringLiteral("Bench"), true))
        return 1;
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.wellDatabase = &database;
    context.ui = &ui;
    int requested = 0;
    const int exported =
        exportWells(context, {{WellExportSelection::WellSet, database.wellSets().first()->id(), -1}}, &requested);
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    prjClose();
    gdiClose();
    if (exported != requested || exported != database.wells().size())
        return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()));
    return 0;
}

QVector<float> floatsOf(const ZRLogDatabase& database, const ZRSet* set, const QString& name)
{
    QVector<double> values;
    database.getLogData(database.findLog(name, set), values);
    QVector<float> result(values.size());
    const double* in = values.constData();
    for (int i = 0; i < values.size(); ++i)
        result[i] = float(in[i]);
    return result;
}

bool check(int status, const char* what)
{
    if (status == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", what, gdiErrorMessage(status));
    return false;
}

/// The child run of the baseline: the same host values read, the same records
/// added with one DevKit call each and committed per well.
int runBaseline(const QStringList& arguments)
{
    if (!openProject(arguments.value(0).toStdString(), arguments.value(1)))
        return 1;
    ZRProject project(arguments.value(2));
    ZRLogDatabase database;
    if (!database.load(project.wellDatabasePath(), QStringLiteral("bench"), QStringLiteral("Bench"), true))
        return 1;
    gdiWellList_t list;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
    setRecordText(list.name, kWellSet);
    setRecordText(list.listType, "WELL_LIST");
    setRecordText(list.interpreter, "UNKN");
    bool ok = check(gdiAdd(GDI_CLASS_WELL_LIST, &list), "well list") && check(gdiCommit(), "commit");
    QHash<QString, quint32> curveLists;
    QSet<QString> surfaces;
    for (const ZRWell* well : database.wells()) {
        if (!ok)
            break;
        const std::string key = well->uwi().toStdString();
        gdiWell_t header;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
        setRecordText(header.wellKey, key);
        setRecordText(header.uwi, key);
        setRecordText(header.wellName, well->name().toStdString());
        setRecordText(header.elevationRef, "KB");
        setRecordText(header.status, "OIL");
        setRecordText(header.interpreter, "UNKN");
        header.x = double(float(well->x()));
        header.y = double(float(well->y()));
        header.elevation = float(well->kb());
        ok = check(gdiAdd(GDI_CLASS_WELL, &header), "well");

        const ZRRefSet* refSet = well->currentRefSet();
        const QVector<float> tvd = floatsOf(database, refSet, QStringLiteral("LogTVDXY"));
        const QVector<float> dx = floatsOf(database, refSet, QStringLiteral("LogDevX"));
        const QVector<float> dy = floatsOf(database, refSet, QStringLiteral("LogDevY"));
        QVector<float> md = tvd;
        gdiPositionLog_t position;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &position);
        setRecordText(position.wellKey, key);
        position.pointCount = tvd.size();
        position.md = md.data();
        position.tvd = const_cast<float*>(tvd.constData());
        position.xDeviation = const_cast<float*>(dx.constData());
        position.yDeviation = const_cast<float*>(dy.constData());
        ok = ok && check(gdiAdd(GDI_CLASS_POSITION_LOG, &position), "position log");

        QVector<float> depths = floatsOf(database, refSet, QStringLiteral("LogMDRefSet"));
        QVector<float> times = floatsOf(database, refSet, QStringLiteral("LogTWTRefset"));
        gdiTimeDepthTable_t table;
        gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &table);
        setRecordText(table.wellKey, key);
        setRecordText(table.name, refSet->name().toStdString());
        setRecordText(table.depthType, "MD");
        setRecordText(table.timeUnit, "ms");
        table.pointCount = depths.size();
        table.depths = depths.data();
        table.times = times.data();
        ok = ok && check(gdiAdd(GDI_CLASS_TIME_DEPTH_TABLE, &table), "time-depth table");
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        setRecordText(preferred.wellKey, key);
        preferred.tableId = table.id;
        ok = ok && check(gdiAdd(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred), "preferred table");

        for (const ZRSet* set : database.GetSetsFromWell(well, ZRSet::LogSetType)) {
            if (!curveLists.contains(set->name())) {
                gdiLogCurveList_t curveList;
                gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &curveList);
                setRecordText(curveList.name, set->name().toStdString());
                ok = ok && check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST, &curveList), "log curve list");
                curveLists.insert(set->name(), curveList.id);
            }
            QVector<float> setDepths = floatsOf(database, set, QStringLiteral("MD"));
            for (const ZRLog* log : database.GetLogsFromSet(set)) {
                if (!ok || log->name() == QLatin1String("MD"))
                    continue;
                QVector<float> values = floatsOf(database, set, log->name());
                gdiLogCurve_t curve;
                gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
                setRecordText(curve.wellKey, key);
                setRecordText(curve.name, set->name().toStdString());
                setRecordText(curve.curveName, (set->name() + "_" + log->name()).toStdString());
                setRecordText(curve.unit, log->unit().toStdString());
                curve.sampleCount = values.size();
                curve.depths = setDepths.data();
                curve.values = values.data();
                ok = check(gdiAdd(GDI_CLASS_LOG_CURVE, &curve), "log curve");
                gdiLogCurveListMember_t member;
                gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 1, &member);
                member.listId = curveLists.value(set->name());
                member.curveId = curve.id;
                ok = ok && check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &member), "log curve list member");
            }
        }

        const ZRSet* markers = database.findSet(QStringLiteral("Markers"), well);
        QStringList names;
        database.getLogData(database.findLog(QStringLiteral("LogNameMarkerSet"), markers), names);
        const QVector<float> tops = floatsOf(database, markers, QStringLiteral("LogTopMarkerSet"));
        const QVector<float> bottoms = floatsOf(database, markers, QStringLiteral("LogBottomMarkerSet"));
        for (int p = 0; ok && p < names.size(); ++p) {
            if (!surfaces.contains(names[p])) {
                surfaces.insert(names[p]);
                gdiSurface_t surface;
                gdiInitiateObject(GDI_CLASS_SURFACE, 1, &surface);
                setRecordText(surface.stratColumn, "GLOBAL");
                setRecordText(surface.name, names[p].toStdString());
                setRecordText(surface.interpreter, "UNKN");
                gdiHorizonParams_t colour;
                gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &colour);
                setRecordText(colour.name, names[p].toStdString());
                setRecordText(colour.interpreter, "UNKN");
                ok = check(gdiAdd(GDI_CLASS_SURFACE, &surface), "surface")
                     && check(gdiAdd(GDI_CLASS_HORIZON_PARAMS, &colour), "colour");
            }
            gdiSurfacePick_t pick;
            gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
            setRecordText(pick.wellKey, key);
            setRecordText(pick.surfaceName, names[p].toStdString());
            setRecordText(pick.interpreter, "UNKN");
            pick.topDepth = tops.value(p);
            pick.bottomDepth = bottoms.value(p);
            ok = ok && check(gdiAdd(GDI_CLASS_SURFACE_PICK, &pick), "pick");
        }
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        member.wellListId = list.id;
        setRecordText(member.wellKey, key);
        ok = ok && check(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), "well list member")
             && check(gdiCommit(), "commit");
    }
    if (!ok)
        gdiRollback();
    prjClose();
    gdiClose();
    if (!ok)
        return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()));
    return 0;
}

double g_peakMiB = 0.0;

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

    const QString folder = bench::workFolder("wellexport");
    int wells = argumentValue(arguments, QStringLiteral("--wells"), 1000);
    // The host wells once, and one OpenWorks project per run, all kept to the
    // end: removing a large project just before a run leaves the disk busy
    // freeing it during that run.
    const int rounds = bench::roundsFromEnvironment(5);
    const std::uint64_t perWell = kHostBytesPerWell + std::uint64_t(2 * rounds) * kOpenWorksBytesPerWell;
    const std::uint64_t bytes = bench::sizeForDisk(folder, perWell * std::uint64_t(wells));
    if (bytes == 0)
        return 1;
    wells = std::max(1, int(std::min<std::uint64_t>(std::uint64_t(wells), bytes / perWell)));
    std::printf("%d wells: %d stations, 1 time-depth table, %d logs of %d samples, %d picks each\n", wells, kStations,
                kCurves, kSamples, kPicks);
    std::fflush(stdout);

    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QString hostError;
    if (!ZRProject::createEmptyProject(folder, QStringLiteral("Host"), &hostError))
        qFatal("%s", qPrintable(hostError));
    const QString hostPath = folder + "/Host";
    {
        const QString wellFolder = ZRProject(hostPath).wellDatabasePath();
        QDir().mkpath(wellFolder);
        ZRLogDatabase empty;
        if (!empty.createEmptyDatabase(wellFolder))
            qFatal("cannot create the well database");
    }
    const double seeding = bench::secondsOf([&] {
        if (!seedHost(hostPath, wells))
            qFatal("seeding the host wells failed");
    });
    std::printf("host wells written in %.1f s\n", seeding);
    std::fflush(stdout);

    int runs = 0;
    QString project;
    auto prepare = [&] {
        project = QStringLiteral("EXPORT%1").arg(++runs);
        std::string createError;
        if (!owsim::createProject(home, kDistrict, project.toStdString(), owsim::MeasurementSystem::Metric,
                                  &createError))
            qFatal("%s", createError.c_str());
        syncDisk();
    };
    double oursPeak = 0.0;
    double baselinePeak = 0.0;
    const bench::RoundRatios result = bench::alternateRounds(
        QStringLiteral("well export of %1 wells, ours vs one DevKit call per record").arg(wells), rounds, false,
        [&] {
            runChild({"--ours", QString::fromStdString(home), project, hostPath});
            oursPeak = std::max(oursPeak, g_peakMiB);
        },
        [&] {
            runChild({"--baseline", QString::fromStdString(home), project, hostPath});
            baselinePeak = std::max(baselinePeak, g_peakMiB);
        },
        prepare);
    bench::reportRounds(result, 1.5);
    bench::report(QStringLiteral("well export peak resident memory"), oursPeak, QStringLiteral("MiB"));
    bench::report(QStringLiteral("baseline peak resident memory"), baselinePeak, QStringLiteral("MiB"));
    const double mebibytes = double(wells) * double(kCurves) * kSamples * 8 / double(1 << 20);
    std::printf("log curve vectors written per run: %.0f MiB; throughput ours %.0f MiB/s, baseline %.0f MiB/s\n",
                mebibytes, mebibytes / result.medianOurs(), mebibytes / result.medianBaseline());
    QDir(folder).removeRecursively();
    return 0;
}
