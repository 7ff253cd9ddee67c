// Saving and loading a well database of 1,000 wells with 20 logs of 10,000
// samples each (1.5 GiB of log data), against a baseline that writes the same
// rows with plain prepared SQLite inserts plus raw data-file writes, and reads
// them back likewise. Ours and the baseline alternate over rounds.
//
// Save: as an import does, in batches: every 50 wells the objects made so far
// are saved (ours: ZRLogDatabase::save; baseline: one transaction and the raw
// files), so the values of one batch at most are held at a time.
// Load: open the database and read every log's values once.
// Memory: the peak resident memory of the load alone, opening only and opening
// plus reading every log, ours and the baseline.
//
// DATALINK_BENCH_DIR: where the data goes; DATALINK_BENCH_ROUNDS: rounds (5).

#include "benchsupport.h"
#include "zrlogdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>
#include <fstream>
#include <string>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{
int g_wells = 1000;
constexpr int kLogsPerWell = 20;
constexpr int kSamples = 10000;
constexpr int kWellsPerSave = 50;

double sample(int well, int log, int index)
{
    return well * 1000.0 + log * 10.0 + index * 0.001;
}

void fillValues(QVector<double>& values, int well, int log)
{
    values.resize(kSamples);
    for (int i = 0; i < kSamples; ++i)
        values[i] = sample(well, log, i);
}

void removeFolder(const QString& folder)
{
    QDir(folder).removeRecursively();
}

/// Starts a timed section with no dirty pages left by an earlier one.
void settleDisk()
{
#ifdef Q_OS_UNIX
    ::sync();
#endif
}

/// Resets the peak resident memory of this process to its current value; false
/// where the system cannot (the peak then covers the whole run).
bool resetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

/// Peak resident memory (VmHWM) in bytes.
std::uint64_t peakResident()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024u;
    }
    return bench::peakResidentBytes();
}

// ---------------------------------------------------------------------------------------------
// Ours

void oursSave(const QString& folder)
{
    ZRLogDatabase database;
    if (!database.load(folder, ZRLogDatabase::StartupConnectionName, QStringLiteral("Bench"), true))
        qFatal("cannot load %s", qPrintable(folder));
    QVector<double> values;
    for (int w = 0; w < g_wells; ++w) {
        ZRWell* well = database.CreateWell(QStringLiteral("Well %1").arg(w));
        well->setX(500000.0 + w);
        well->setY(6000000.0 + w);
        well->setKb(25.0);
        ZRSet* set = database.CreateLogSet(QStringLiteral("Logs"), well);
        for (int l = 0; l < kLogsPerWell; ++l) {
            ZRLog* log = database.CreateLog(QStringLiteral("Log %1").arg(l), set, true);
            log->setNoValue(-9999.0);
            log->setUnit(QStringLiteral("m"));
            fillValues(values, w, l);
            database.setLogData(log, values);
        }
        if ((w + 1) % kWellsPerSave == 0 || w + 1 == g_wells) {
            if (!database.save())
                qFatal("save failed");
        }
    }
}

double oursLoad(const QString& folder, bool readValues)
{
    ZRLogDatabase database;
    if (!database.load(folder, ZRLogDatabase::StartupConnectionName, QStringLiteral("Bench"), false))
        qFatal("load failed");
    if (!readValues)
        return double(database.logs().size());
    double sum = 0.0;
    QVector<double> values;
    for (ZRLog* log : database.logs()) {
        if (!database.getLogData(log, values))
            qFatal("log data missing");
        sum += values.constLast(); // the values are shared with the cache: no detaching access

    }
    return sum;
}

// ---------------------------------------------------------------------------------------------
// Baseline

const char* const kConnection = "baseline";

struct BaselineConnection
{
    explicit BaselineConnection(const QString& fileName)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnection));
        db.setDatabaseName(fileName);
        if (!db.open())
            qFatal("baseline open failed");
    }
    ~BaselineConnection() { QSqlDatabase::removeDatabase(QLatin1String(kConnection)); }
    static QSqlDatabase db() { return QSqlDatabase::database(QLatin1String(kConnection), false); }
};

void createBaselineSchema(const QString& folder)
{
    QDir().mkpath(folder);
    BaselineConnection connection(folder + QStringLiteral("/baseline.sql"));
    QSqlQuery create(BaselineConnection::db());
    create.exec("create table WELL_TABLE (ID integer primary key unique,NAME TEXT NOT NULL UNIQUE,XUTM REAL NOT "
                "NULL,YUTM REAL NOT NULL,REFSET_ID INTEGER,KB REAL NOT NULL,KBUnit INTEGER NOT NULL,UWI TEXT,"
                "WELLSTATUS INTEGER,WELLCOLOR TEXT,OriginalSpatialUnit INTEGER);");
    create.exec("create table SET_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_TYPE INTEGER NOT "
                "NULL,WELL_ID INTEGER NOT NULL,SHIFT_DEPTH REAL,TWT_SHIFTING REAL,DEPTH1_TYPE INTEGER,DEPTH2_TYPE "
                "INTEGER,DEVIATION_TYPE INTEGER,CHECKSHOT_TYPE INTEGER,DEVIATION_METHOD INTEGER);");
    create.exec("create table LOG_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_ID INTEGER NOT NULL,"
                "NOVALUE REAL,UNIT TEXT,LOGTYPE INTEGER);");
}

bool writeRaw(const QString& fileName, const QVector<double>& values)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    const quint32 header[2] = {quint32(values.size()), 2u};
    return file.write(reinterpret_cast<const char*>(header), 8) == 8
           && file.write(reinterpret_cast<const char*>(values.constData()), values.size() * 8) == values.size() * 8;
}

/// The same rows through prepared inserts, one transaction per batch, the same values by raw writes.
void baselineSave(const QString& folder)
{
    BaselineConnection connection(folder + QStringLiteral("/baseline.sql"));
    QSqlDatabase db = BaselineConnection::db();
    QSqlQuery wellInsert(db);
    wellInsert.prepare("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (?,?,?,?,?,?)");
    QSqlQuery setInsert(db);
    setInsert.prepare("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID) values (?,?,?,?)");
    QSqlQuery logInsert(db);
    logInsert.prepare("insert into LOG_TABLE (ID,NAME,SET_ID,NOVALUE,UNIT) values (?,?,?,?,?)");
    QVector<QVector<double>> batch;
    QVector<int> batchIds;
    int logId = 0;
    QVector<double> values;
    db.transaction();
    for (int w = 0; w < g_wells; ++w) {
        wellInsert.addBindValue(w + 1);
        wellInsert.addBindValue(QStringLiteral("Well %1").arg(w));
        wellInsert.addBindValue(500000.0 + w);
        wellInsert.addBindValue(6000000.0 + w);
        wellInsert.addBindValue(25.0);
        wellInsert.addBindValue(0);
        if (!wellInsert.exec())
            qFatal("%s", qPrintable(wellInsert.lastError().text()));
        setInsert.addBindValue(w + 1);
        setInsert.addBindValue(QStringLiteral("Logs"));
        setInsert.addBindValue(3);
        setInsert.addBindValue(w + 1);
        setInsert.exec();
        for (int l = 0; l < kLogsPerWell; ++l) {
            ++logId;
            logInsert.addBindValue(logId);
            logInsert.addBindValue(QStringLiteral("Log %1").arg(l));
            logInsert.addBindValue(w + 1);
            logInsert.addBindValue(-9999.0);
            logInsert.addBindValue(QStringLiteral("m"));
            logInsert.exec();
            fillValues(values, w, l);
            batch.append(values);
            batchIds.append(logId);
        }
        if ((w + 1) % kWellsPerSave == 0 || w + 1 == g_wells) {
            for (int i = 0; i < batch.size(); ++i) {
                if (!writeRaw(folder + QStringLiteral("/LOGDATA_") + QString::number(batchIds[i]), batch[i]))
                    qFatal("raw write failed");
            }
            if (!db.commit())
                qFatal("baseline commit failed");
            batch.clear();
            batchIds.clear();
            if (w + 1 < g_wells)
                db.transaction();
        }
    }
}

double baselineLoad(const QString& folder, bool readValues)
{
    BaselineConnection connection(folder + QStringLiteral("/baseline.sql"));
    QSqlDatabase db = BaselineConnection::db();
    int rows = 0;
    for (const char* statement : {"SELECT * FROM WELL_TABLE", "SELECT * FROM SET_TABLE"}) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.exec(QString::fromLatin1(statement));
        while (query.next())
            rows += query.value(0).toInt() > 0 ? 1 : 0;
    }
    QVector<int> logIds;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT ID,NAME,SET_ID,NOVALUE,UNIT FROM LOG_TABLE"));
    while (query.next())
        logIds.append(query.value(0).toInt());
    if (!readValues)
        return double(logIds.size());
    double sum = 0.0;
    QVector<double> values;
    for (int id : logIds) {
        QFile file(folder + QStringLiteral("/LOGDATA_") + QString::number(id));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            qFatal("raw read failed");
        quint32 header[2];
        file.read(reinterpret_cast<char*>(header), 8);
        values.resize(int(header[0]));
        file.read(reinterpret_cast<char*>(values.data()), qint64(header[0]) * 8);
        sum += values.constLast();
    }
    return sum + rows * 0.0;
}

/// Peak resident memory of one load in a fresh process (this program started again with
/// "--peak <ours|baseline> <open|read> <folder>"), above what that process held before it, in MiB.
double peakOfLoad(const QString& side, const QString& what, const QString& folder, bool* exact)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), side, what, folder});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        qFatal("peak measurement of %s %s failed", qPrintable(side), qPrintable(what));
    const QStringList numbers = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
    *exact = numbers.value(2).trimmed() == QLatin1String("exact");
    const double before = numbers.value(0).toDouble();
    const double peak = numbers.value(1).toDouble();
    return std::max(0.0, peak - before) / 1048576.0;
}

/// The child side of peakOfLoad: prints "<resident before> <peak> <exact|whole>".
int measurePeak(const QString& side, const QString& what, const QString& folder)
{
    const bool read = what == QLatin1String("read");
    // Warm up the libraries' one-time allocations (SQLite, the driver) outside the measure.
    {
        QSqlDatabase warm = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("warm"));
        warm.setDatabaseName(QStringLiteral(":memory:"));
        warm.open();
        QSqlQuery(warm).exec(QStringLiteral("SELECT 1"));
        warm.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("warm"));
    const std::uint64_t before = bench::residentBytes();
    const bool exact = resetPeakResident();
    if (side == QLatin1String("ours"))
        oursLoad(folder, read);
    else
        baselineLoad(folder, read);
    std::printf("%llu %llu %s\n", static_cast<unsigned long long>(before),
                static_cast<unsigned long long>(peakResident()), exact ? "exact" : "whole");
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 5 && arguments[1] == QLatin1String("--peak"))
        return measurePeak(arguments[2], arguments[3], arguments[4]);
    const QString root = bench::workFolder(QStringLiteral("welldatabase"));
    const std::uint64_t wanted = std::uint64_t(g_wells) * kLogsPerWell * (kSamples * 8 + 8);
    const int rounds = bench::roundsFromEnvironment(5);
    // Ours and the baseline of every round stay on disk until the rounds are over.
    const std::uint64_t granted = bench::sizeForDisk(root, wanted, 2 * rounds);
    if (granted == 0) {
        std::printf("welldatabase: not enough disk space\n");
        return 1;
    }
    if (granted < wanted)
        g_wells = std::max(1, int(double(g_wells) * double(granted) / double(wanted)));
    const double logMiB = double(g_wells) * kLogsPerWell * kSamples * 8 / 1048576.0;
    std::printf("welldatabase: %d wells x %d logs x %d samples (%.0f MiB of log data), saved every %d wells\n",
                g_wells, kLogsPerWell, kSamples, logMiB, kWellsPerSave);

    // Every save writes into folders of its own, removed only after the rounds: files
    // deleted just before a save make the file system's inode allocation slower for
    // whichever side comes next.
    QString oursFolder;
    QString baselineFolder;
    int pair = 0;
    auto freshFolders = [&] {
        ++pair;
        oursFolder = root + QStringLiteral("/ours-%1").arg(pair);
        baselineFolder = root + QStringLiteral("/baseline-%1").arg(pair);
        ZRLogDatabase empty;
        if (!empty.createEmptyDatabase(oursFolder))
            qFatal("cannot create %s", qPrintable(oursFolder));
        createBaselineSchema(baselineFolder);
        settleDisk();
    };

    const bench::RoundRatios save = bench::alternateRounds(
        QStringLiteral("welldatabase save"), rounds, false, [&] { oursSave(oursFolder); },
        [&] { baselineSave(baselineFolder); }, freshFolders);
    // Both databases, complete, for the loads.
    for (int used = 1; used <= pair; ++used) {
        removeFolder(root + QStringLiteral("/ours-%1").arg(used));
        removeFolder(root + QStringLiteral("/baseline-%1").arg(used));
    }
    freshFolders();
    oursSave(oursFolder);
    baselineSave(baselineFolder);
    settleDisk();

    double oursSum = 0.0;
    double baselineSum = 0.0;
    const bench::RoundRatios load = bench::alternateRounds(
        QStringLiteral("welldatabase load"), rounds, false, [&] { oursSum = oursLoad(oursFolder, true); },
        [&] { baselineSum = baselineLoad(baselineFolder, true); }, [] { settleDisk(); });
    if (oursSum != baselineSum)
        std::printf("welldatabase: checksums differ (%f vs %f)\n", oursSum, baselineSum);

    const double wholeRunPeak = double(bench::peakResidentBytes()) / 1048576.0;
    bool exact = true;
    bool allExact = true;
    struct PeakLine
    {
        const char* label;
        QString side;
        QString what;
        double mebibytes = 0.0;
    };
    PeakLine peaks[] = {{"ours, open only", QStringLiteral("ours"), QStringLiteral("open")},
                        {"baseline, open only", QStringLiteral("baseline"), QStringLiteral("open")},
                        {"ours, open and read every log", QStringLiteral("ours"), QStringLiteral("read")},
                        {"baseline, open and read every log", QStringLiteral("baseline"), QStringLiteral("read")}};
    for (PeakLine& line : peaks) {
        line.mebibytes = peakOfLoad(line.side, line.what, line.side == QLatin1String("ours") ? oursFolder : baselineFolder,
                                    &exact);
        allExact = allExact && exact;
    }

    bench::reportRounds(save, 1.5);
    bench::reportRounds(load, 1.5);
    if (!allExact)
        std::printf("welldatabase: the peak could not be reset; the figures below include start-up\n");
    std::printf("welldatabase load peak resident, each in a fresh process, above what it held before "
                "(%.0f MiB of logs; log cache limit %lld MiB):\n",
                logMiB, static_cast<long long>(ZRLogDatabase::DefaultLogCacheLimit >> 20));
    for (const PeakLine& line : peaks)
        bench::report(QStringLiteral("  ") + QLatin1String(line.label), line.mebibytes, QStringLiteral("MiB"));
    bench::report(QStringLiteral("welldatabase peak resident of the save and load rounds"), wholeRunPeak,
                  QStringLiteral("MiB"));
    removeFolder(root);
    return 0;
}
