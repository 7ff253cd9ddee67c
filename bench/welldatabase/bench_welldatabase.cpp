// Saving and loading a well database of 1,000 wells with 20 logs of 10,000
// samples each, against a baseline that writes the same rows with plain
// prepared SQLite inserts in one transaction plus raw data-file writes, and
// reads them back likewise.

#include "benchsupport.h"
#include "zrlogdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{
int g_wells = 1000;
constexpr int kLogsPerWell = 20;
constexpr int kSamples = 10000;

double sample(int well, int log, int index)
{
    return well * 1000.0 + log * 10.0 + index * 0.001;
}

QVector<double> logValues(int well, int log)
{
    QVector<double> values(kSamples);
    for (int i = 0; i < kSamples; ++i)
        values[i] = sample(well, log, i);
    return values;
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

/// Ours: build the objects, then time the save.
double oursSave(const QString& folder)
{
    removeFolder(folder);
    ZRLogDatabase database;
    if (!database.createEmptyDatabase(folder))
        qFatal("cannot create %s", qPrintable(folder));
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
            database.setLogData(log, logValues(w, l));
        }
    }
    settleDisk();
    return bench::secondsOf([&] {
        if (!database.save())
            qFatal("save failed");
    });
}

double oursLoad(const QString& folder, double* checksum)
{
    settleDisk();
    return bench::secondsOf([&] {
        ZRLogDatabase database;
        if (!database.load(folder, ZRLogDatabase::StartupConnectionName, QStringLiteral("Bench"), false))
            qFatal("load failed");
        double sum = 0.0;
        QVector<double> values;
        for (ZRLog* log : database.logs()) {
            if (!database.getLogData(log, values))
                qFatal("log data missing");
            sum += values.last();
        }
        *checksum = sum;
    });
}

struct BaselineConnection
{
    explicit BaselineConnection(const QString& fileName)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("baseline"));
        db.setDatabaseName(fileName);
        if (!db.open())
            qFatal("baseline open failed");
    }
    ~BaselineConnection() { QSqlDatabase::removeDatabase(QStringLiteral("baseline")); }
    static QSqlDatabase db() { return QSqlDatabase::database(QStringLiteral("baseline"), false); }
};

bool writeRaw(const QString& fileName, const QVector<double>& values)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    const quint32 header[2] = {quint32(values.size()), 2u};
    return file.write(reinterpret_cast<const char*>(header), 8) == 8
           && file.write(reinterpret_cast<const char*>(values.constData()), values.size() * 8) == values.size() * 8;
}

/// Baseline: the same rows through prepared inserts in one transaction, the same values by raw writes.
double baselineSave(const QString& folder)
{
    removeFolder(folder);
    QDir().mkpath(folder);
    QVector<QVector<double>> values;
    values.reserve(g_wells * kLogsPerWell);
    for (int w = 0; w < g_wells; ++w) {
        for (int l = 0; l < kLogsPerWell; ++l)
            values.append(logValues(w, l));
    }
    BaselineConnection connection(folder + QStringLiteral("/baseline.sql"));
    QSqlDatabase db = BaselineConnection::db();
    QSqlQuery create(db);
    create.exec("create table WELL_TABLE (ID integer primary key unique,NAME TEXT NOT NULL UNIQUE,XUTM REAL NOT "
                "NULL,YUTM REAL NOT NULL,REFSET_ID INTEGER,KB REAL NOT NULL,KBUnit INTEGER NOT NULL,UWI TEXT,"
                "WELLSTATUS INTEGER,WELLCOLOR TEXT,OriginalSpatialUnit INTEGER);");
    create.exec("create table SET_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_TYPE INTEGER NOT "
                "NULL,WELL_ID INTEGER NOT NULL,SHIFT_DEPTH REAL,TWT_SHIFTING REAL,DEPTH1_TYPE INTEGER,DEPTH2_TYPE "
                "INTEGER,DEVIATION_TYPE INTEGER,CHECKSHOT_TYPE INTEGER,DEVIATION_METHOD INTEGER);");
    create.exec("create table LOG_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_ID INTEGER NOT NULL,"
                "NOVALUE REAL,UNIT TEXT,LOGTYPE INTEGER);");
    settleDisk();
    return bench::secondsOf([&] {
        db.transaction();
        QSqlQuery wellInsert(db);
        wellInsert.prepare("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (?,?,?,?,?,?)");
        QSqlQuery setInsert(db);
        setInsert.prepare("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID) values (?,?,?,?)");
        QSqlQuery logInsert(db);
        logInsert.prepare("insert into LOG_TABLE (ID,NAME,SET_ID,NOVALUE,UNIT) values (?,?,?,?,?)");
        int logId = 0;
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
            }
        }
        for (int i = 0; i < values.size(); ++i) {
            if (!writeRaw(folder + QStringLiteral("/LOGDATA_") + QString::number(i + 1), values[i]))
                qFatal("raw write failed");
        }
        if (!db.commit())
            qFatal("baseline commit failed");
    });
}

double baselineLoad(const QString& folder, double* checksum)
{
    settleDisk();
    return bench::secondsOf([&] {
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
            sum += values.last();
        }
        *checksum = sum + rows * 0.0;
    });
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString root = bench::workFolder(QStringLiteral("welldatabase"));
    const std::uint64_t wanted = std::uint64_t(g_wells) * kLogsPerWell * (kSamples * 8 + 8);
    const std::uint64_t granted = bench::sizeForDisk(root, wanted, 2);
    if (granted == 0) {
        std::printf("welldatabase: not enough disk space\n");
        return 1;
    }
    if (granted < wanted)
        g_wells = std::max(1, int(double(g_wells) * double(granted) / double(wanted)));
    std::printf("welldatabase: %d wells x %d logs x %d samples (%.0f MiB of log data)\n", g_wells, kLogsPerWell,
                kSamples, double(g_wells) * kLogsPerWell * kSamples * 8 / 1048576.0);

    const QString oursFolder = root + QStringLiteral("/ours");
    const QString baselineFolder = root + QStringLiteral("/baseline");
    double bestOursSave = 1e30, bestBaseSave = 1e30, bestOursLoad = 1e30, bestBaseLoad = 1e30;
    double oursSum = 0.0, baseSum = 0.0;
    for (int run = 0; run < 5; ++run) {
        if (run % 2 == 0) {
            bestBaseSave = std::min(bestBaseSave, baselineSave(baselineFolder));
            bestOursSave = std::min(bestOursSave, oursSave(oursFolder));
        } else {
            bestOursSave = std::min(bestOursSave, oursSave(oursFolder));
            bestBaseSave = std::min(bestBaseSave, baselineSave(baselineFolder));
        }
        bestBaseLoad = std::min(bestBaseLoad, baselineLoad(baselineFolder, &baseSum));
        bestOursLoad = std::min(bestOursLoad, oursLoad(oursFolder, &oursSum));
    }
    if (oursSum != baseSum)
        std::printf("welldatabase: checksums differ (%f vs %f)\n", oursSum, baseSum);
    bench::reportRatio(QStringLiteral("welldatabase save"), bestOursSave, bestBaseSave, false);
    bench::reportRatio(QStringLiteral("welldatabase load"), bestOursLoad, bestBaseLoad, false);
    bench::report(QStringLiteral("welldatabase peak resident"), double(bench::peakResidentBytes()) / 1048576.0,
                  QStringLiteral("MiB"));
    removeFolder(root);
    return 0;
}
