// Log values are read from their data files when first used and cached within
// a limit: opening a database with large logs costs memory for what is used,
// values come back bit for bit, a save writes the changed logs only and lets
// their values go.

#include "testenvironment.h"
#include "welldbfoldersupport.h"
#include "welldbtestsupport.h"
#include "zrlogdatabase.h"
#include "zrlogdatafile.h"

#include <QFile>
#include <QtTest>

#include <cstring>
#include <fstream>
#include <memory>

namespace
{
constexpr int kLargeLogs = 12;
constexpr int kLargeSamples = 2 * 1024 * 1024; // 16 MiB of doubles per log

/// Resident memory of this process in bytes.
qint64 residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0;
    qint64 resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

/// Fills values with bit patterns of every kind (NaNs with payloads, infinities,
/// denormals, negative zero), different for each log.
void fillPattern(QVector<double>& values, int logId)
{
    quint64 state = 0x9e3779b97f4a7c15ull * quint64(logId + 1);
    for (int i = 0; i < values.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(&values[i], &state, sizeof state);
    }
}

bool sameBits(const QVector<double>& a, const QVector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.constData(), b.constData(), size_t(a.size()) * sizeof(double)) == 0;
}
} // namespace

class TestWellDbLogCache : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openingCostsMemoryForWhatIsUsed();
    void cacheKeepsTheMostRecentlyUsedWithinItsLimit();
    void heldValuesSurviveEviction();
    void savedValuesAreLetGo();
    void saveWritesOnlyChangedDataFiles();
    void unreadableDataFilesAreReported();

private:
    QString smallDatabase(const QString& hint, int logs, QVector<int>* logIds);

    std::unique_ptr<TestEnvironment> m_environment;
    MessageCapture m_capture;
};

void TestWellDbLogCache::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    QVERIFY(m_capture.start());
}

void TestWellDbLogCache::init()
{
    ZRWellDbAnswerer::setDefaultAnswerer(std::make_shared<ScriptedAnswerer>(true));
    m_capture.clear();
}

void TestWellDbLogCache::cleanup()
{
    ZRWellDbAnswerer::setDefaultAnswerer(nullptr);
}

QString TestWellDbLogCache::smallDatabase(const QString& hint, int logs, QVector<int>* logIds)
{
    const QString folder = m_environment->makeFolder(hint) + QStringLiteral("/Wells");
    ZRLogDatabase database;
    if (!database.createEmptyDatabase(folder))
        return QString();
    ZRSet* set = database.CreateLogSet(QStringLiteral("S"), database.CreateWell(QStringLiteral("W")));
    for (int l = 0; l < logs; ++l) {
        ZRLog* log = database.CreateLog(QStringLiteral("L%1").arg(l), set, true);
        database.setLogData(log, QVector<double>(1000, double(l))); // 8000 bytes each
        logIds->append(log->id());
    }
    return database.save() ? folder : QString();
}

void TestWellDbLogCache::openingCostsMemoryForWhatIsUsed()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("large")) + QStringLiteral("/Wells");
    QVector<int> logIds;
    {
        // Written as an import would: one log at a time, saved, its values let go.
        ZRLogDatabase database;
        QVERIFY(database.createEmptyDatabase(folder));
        ZRSet* set = database.CreateLogSet(QStringLiteral("Logs"), database.CreateWell(QStringLiteral("Deep")));
        QVector<double> buffer(kLargeSamples);
        for (int l = 0; l < kLargeLogs; ++l) {
            ZRLog* log = database.CreateLog(QStringLiteral("L%1").arg(l), set, true);
            fillPattern(buffer, log->id());
            database.setLogData(log, buffer);
            QVERIFY(database.save());
            QCOMPARE(database.pendingLogBytes(), qint64(0));
            logIds.append(log->id());
        }
    }
    const qint64 fileBytes = qint64(kLargeLogs) * (8 + qint64(kLargeSamples) * 8);
    QCOMPARE(QFileInfo(ZRLogDataFile::logFileName(folder, logIds[0])).size(), fileBytes / kLargeLogs);

    const qint64 before = residentBytes();
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(database.logs().size(), kLargeLogs);
    QCOMPARE(database.logCacheBytes(), qint64(0));
    const qint64 afterOpening = residentBytes() - before;
    QVERIFY2(afterOpening < 8 << 20, qPrintable(QStringLiteral("opening took %1 bytes for %2 bytes of logs")
                                                    .arg(afterOpening)
                                                    .arg(fileBytes)));

    // Every log read in turn, with a cache of one log and a bit: values bit for bit,
    // and memory stays far below the size of the logs.
    database.setLogCacheLimit(20 << 20);
    QVector<double> expected(kLargeSamples);
    qint64 largest = 0;
    for (int id : logIds) {
        QVector<double> values;
        QVERIFY(database.getLogData(database.findLog(id), values));
        fillPattern(expected, id);
        QVERIFY2(sameBits(values, expected), qPrintable(QStringLiteral("log %1").arg(id)));
        QVERIFY(database.isLogCached(database.findLog(id)));
        QVERIFY(database.logCacheBytes() <= database.logCacheLimit());
        values = QVector<double>();
        largest = std::max(largest, residentBytes() - before);
    }
    qInfo("%lld MiB of logs: opening took %lld KiB, reading every log at most %lld MiB", fileBytes >> 20,
          afterOpening >> 10, largest >> 20);
    QVERIFY2(largest < fileBytes / 3, qPrintable(QStringLiteral("reading every log held %1 bytes of %2")
                                                     .arg(largest)
                                                     .arg(fileBytes)));
    database.releaseLogCache();
    QCOMPARE(database.logCacheBytes(), qint64(0));
}

void TestWellDbLogCache::cacheKeepsTheMostRecentlyUsedWithinItsLimit()
{
    QVector<int> ids;
    const QString folder = smallDatabase(QStringLiteral("lru"), 4, &ids);
    QVERIFY(!folder.isEmpty());
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(database.logCacheLimit(), ZRLogDatabase::DefaultLogCacheLimit);
    database.setLogCacheLimit(2 * 8000);
    auto read = [&](int index) {
        QVector<double> values;
        return database.getLogData(database.findLog(ids[index]), values) && values == QVector<double>(1000, index);
    };
    auto cached = [&](int index) { return database.isLogCached(database.findLog(ids[index])); };

    QVERIFY(!cached(0));
    QVERIFY(read(0));
    QVERIFY(read(1));
    QVERIFY(cached(0) && cached(1));
    QVERIFY(read(0)); // 0 is now the most recently used
    QVERIFY(read(2));
    QVERIFY(cached(0) && !cached(1) && cached(2));
    QCOMPARE(database.logCacheBytes(), qint64(2 * 8000));

    // A cached read gives the same values, shared rather than copied.
    QVector<double> first;
    QVector<double> second;
    QVERIFY(database.getLogData(database.findLog(ids[2]), first));
    QVERIFY(database.getLogData(database.findLog(ids[2]), second));
    QCOMPARE(first.constData(), second.constData());

    database.releaseLogCache(database.findLog(ids[0]));
    QVERIFY(!cached(0) && cached(2));
    QCOMPARE(database.logCacheBytes(), qint64(8000));
    database.setLogCacheLimit(0); // nothing kept
    QVERIFY(!cached(2));
    QVERIFY(read(3));
    QVERIFY(!cached(3));
    QCOMPARE(database.logCacheBytes(), qint64(0));

    // Values set for the next save replace any cached ones.
    database.setLogCacheLimit(ZRLogDatabase::DefaultLogCacheLimit);
    QVERIFY(read(1));
    database.setLogData(database.findLog(ids[1]), QVector<double>{42.0});
    QVERIFY(!cached(1));
    QVector<double> values;
    QVERIFY(database.getLogData(database.findLog(ids[1]), values));
    QCOMPARE(values, QVector<double>{42.0});
    QVERIFY(database.getLogData(database.findLog(ids[1]), values, true)); // the file still holds the old ones
    QCOMPARE(values, QVector<double>(1000, 1.0));
    // A removed log leaves the cache.
    QVERIFY(read(3));
    QVERIFY(database.removeLog(database.findLog(ids[3])));
    QCOMPARE(database.logCacheBytes(), qint64(8000));
}

void TestWellDbLogCache::heldValuesSurviveEviction()
{
    QVector<int> ids;
    const QString folder = smallDatabase(QStringLiteral("held"), 6, &ids);
    QVERIFY(!folder.isEmpty());
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    database.setLogCacheLimit(8000); // one log at a time
    QVector<double> held;
    QVERIFY(database.getLogData(database.findLog(ids[0]), held));
    const double* heldData = held.constData();
    // Every further read evicts the one before; the memory of values no caller holds is
    // reused by the next read, the memory of held values never is.
    for (int i = 1; i < ids.size(); ++i) {
        QVector<double> values;
        QVERIFY(database.getLogData(database.findLog(ids[i]), values));
        QCOMPARE(values, QVector<double>(1000, double(i)));
        QVERIFY(values.constData() != heldData);
    }
    QVERIFY(!database.isLogCached(database.findLog(ids[0])));
    QCOMPARE(held, QVector<double>(1000, 0.0));
    QCOMPARE(held.constData(), heldData);
}

void TestWellDbLogCache::savedValuesAreLetGo()
{
    QVector<int> ids;
    const QString folder = smallDatabase(QStringLiteral("letgo"), 2, &ids);
    QVERIFY(!folder.isEmpty());
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRSet* set = database.findLog(ids[0])->set();
    for (int l = 0; l < 5; ++l)
        database.setLogData(database.CreateLog(QStringLiteral("New %1").arg(l), set, true), QVector<double>(500, l));
    database.setLogData(database.findLog(ids[0]), QVector<double>(300, -1.0));
    QCOMPARE(database.pendingLogBytes(), qint64(5 * 500 * 8 + 300 * 8));
    QVERIFY(database.save());
    QCOMPARE(database.pendingLogBytes(), qint64(0));
    QCOMPARE(database.logCacheBytes(), qint64(0));
    for (ZRLog* log : database.logs())
        QVERIFY(!log->pendingData() && !database.isLogCached(log));
    QVector<double> values;
    QVERIFY(database.getLogData(database.findLog(ids[0]), values));
    QCOMPARE(values, QVector<double>(300, -1.0));
    QVERIFY(database.getLogData(database.findLog(QStringLiteral("New 4"), set), values));
    QCOMPARE(values, QVector<double>(500, 4.0));
}

void TestWellDbLogCache::saveWritesOnlyChangedDataFiles()
{
    QVector<int> ids;
    const QString folder = smallDatabase(QStringLiteral("changedonly"), 6, &ids);
    QVERIFY(!folder.isEmpty());
    QMap<QString, QByteArray> before = folderChecksums(folder);
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        // Some logs read, one changed, one renamed, most never touched.
        QVector<double> values;
        QVERIFY(database.getLogData(database.findLog(ids[0]), values));
        QVERIFY(database.getLogData(database.findLog(ids[1]), values));
        database.setLogData(database.findLog(ids[1]), QVector<double>{7.0, 8.0});
        database.findLog(ids[2])->setUnit(QStringLiteral("ohm.m"));
        database.findWell(QStringLiteral("W"))->setKb(3.5);
        QVERIFY(database.save());
    }
    const QMap<QString, QByteArray> after = folderChecksums(folder);
    for (int i = 0; i < ids.size(); ++i) {
        const QString name = QFileInfo(ZRLogDataFile::logFileName(folder, ids[i])).fileName();
        QVERIFY2((after.value(name) != before.value(name)) == (i == 1), qPrintable(name));
    }
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.loadAtStartup(folder, QStringLiteral("P")));
    for (int i = 0; i < ids.size(); ++i) {
        QVector<double> values;
        QVERIFY(reloaded.getLogData(reloaded.findLog(ids[i]), values));
        QCOMPARE(values, (i == 1 ? QVector<double>{7.0, 8.0} : QVector<double>(1000, double(i))));
    }
    QCOMPARE(reloaded.findLog(ids[2])->unit(), QStringLiteral("ohm.m"));
}

void TestWellDbLogCache::unreadableDataFilesAreReported()
{
    QVector<int> ids;
    const QString folder = smallDatabase(QStringLiteral("unreadablefile"), 2, &ids);
    QVERIFY(!folder.isEmpty());
    QVERIFY(QFile::remove(ZRLogDataFile::logFileName(folder, ids[0])));
    QVERIFY(QFile::resize(ZRLogDataFile::logFileName(folder, ids[1]), 100));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    m_capture.clear();
    QVector<double> values{1.0};
    QVERIFY(!database.getLogData(database.findLog(ids[0]), values));
    QVERIFY(values.isEmpty());
    QVERIFY(!database.getLogData(database.findLog(ids[1]), values));
    QVERIFY(!database.logData(database.findLog(ids[1])));
    QCOMPARE(database.logCacheBytes(), qint64(0));
    QVERIFY(m_capture.sync());
    const QStringList errors = m_capture.texts().filter(QStringLiteral("Error when reading log data:"));
    QCOMPARE(errors.size(), 3);
    QVERIFY2(errors[1].contains(QStringLiteral("short data: 1000 values declared, room for 11")),
             qPrintable(errors[1]));
}

QTEST_GUILESS_MAIN(TestWellDbLogCache)
#include "tst_welldblogcache.moc"
