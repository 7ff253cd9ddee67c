// Loading a well database that cannot be read (not a database, damaged, locked
// by another program) must fail at once with one message and leave every file
// of the folder as it was: no structure update, no backup rotation, no info
// file. Loading and saving touch no file that a save of ours did not make.

#include "testenvironment.h"
#include "welldbfoldersupport.h"
#include "welldbtestsupport.h"
#include "zrlogdatabase.h"
#include "zrlogdatafile.h"
#include "zrwelldbsavejournal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <atomic>
#include <memory>

namespace
{
bool writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Overwrites length bytes of a file at offset.
bool overwrite(const QString& fileName, qint64 offset, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.write(bytes) == bytes.size();
}

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(generator.generate() & 0xff);
    return bytes;
}

const QByteArray kOutdatedInfo =
    "<GlobalHeader><VersionNumber value=\"6\"/><VersionNumberMinor value=\"8\"/></GlobalHeader>";
} // namespace

class TestWellDbUnreadable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void unreadableDatabaseChangesNoFile_data();
    void unreadableDatabaseChangesNoFile();
    void garbageOldDatabaseIsNotMigrated();
    void emptyFileGetsItsTablesWithoutBackup();

    void lockedDatabaseFailsFast();
    void stopEndsTheWaitForALock();
    void lockReleasedDuringTheWaitLoads();
    void stopDuringTheQuestionChangesNoFile();
    void lockedSaveFailsFastAndKeepsItsChanges();

    void userFilesSurviveLoadAndSave();
    void foreignJournalIsLeftAndReported();

private:
    /// A saved database of 300 wells, each with a log set and two logs, plus a
    /// good backup and an older one; the info file says 6.8 (an update is due).
    QString outdatedDatabase(const QString& hint);

    std::unique_ptr<TestEnvironment> m_environment;
    MessageCapture m_capture;
    std::shared_ptr<ScriptedAnswerer> m_answerer;
};

void TestWellDbUnreadable::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    QVERIFY(m_capture.start());
    QVERIFY(QFile::exists(TestEnvironment::binaryPath() + QStringLiteral("/welldblockholder")));
}

void TestWellDbUnreadable::init()
{
    m_answerer = std::make_shared<ScriptedAnswerer>(true);
    ZRWellDbAnswerer::setDefaultAnswerer(m_answerer);
    m_capture.clear();
}

void TestWellDbUnreadable::cleanup()
{
    ZRWellDbAnswerer::setDefaultAnswerer(nullptr);
}

QString TestWellDbUnreadable::outdatedDatabase(const QString& hint)
{
    const QString folder = m_environment->makeFolder(hint) + QStringLiteral("/Wells");
    {
        ZRLogDatabase database;
        if (!database.createEmptyDatabase(folder))
            return QString();
        for (int w = 0; w < 300; ++w) {
            ZRWell* well = database.CreateWell(QStringLiteral("Well %1").arg(w));
            well->setUwi(QStringLiteral("UWI-%1").arg(w, 6, 10, QLatin1Char('0')));
            ZRSet* set = database.CreateLogSet(QStringLiteral("Logs"), well);
            for (int l = 0; l < 2; ++l)
                database.setLogData(database.CreateLog(QStringLiteral("L%1").arg(l), set, true),
                                    QVector<double>(10, w + l));
        }
        if (!database.save())
            return QString();
    }
    const QString base = folder + QStringLiteral("/wellQt4Velostrat");
    if (!QFile::copy(base + QStringLiteral(".sql"), base + QStringLiteral("_backup.sql"))
        || !writeFile(base + QStringLiteral("_backup_useless.sql"), "an older backup")
        || !writeFile(folder + QStringLiteral("/wellDbInfo.xml"), kOutdatedInfo))
        return QString();
    return folder;
}

void TestWellDbUnreadable::unreadableDatabaseChangesNoFile_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("withInfo");
    QTest::newRow("first 4 KiB garbage") << "noise" << true;
    QTest::newRow("first 4 KiB zeros") << "zeros" << true;
    QTest::newRow("first 4 KiB garbage, info file missing") << "noise" << false;
    QTest::newRow("a text file") << "text" << true;
    QTest::newRow("an inner page damaged") << "inner" << true;
    QTest::newRow("cut in half") << "cut" << true;
}

void TestWellDbUnreadable::unreadableDatabaseChangesNoFile()
{
    QFETCH(QString, damage);
    QFETCH(bool, withInfo);
    const QString folder = outdatedDatabase(QStringLiteral("unreadable"));
    QVERIFY(!folder.isEmpty());
    const QString databaseFile = ZRLogDatabase::databaseFileName(folder);
    const qint64 size = QFileInfo(databaseFile).size();
    QVERIFY(size > 8 * 4096);
    if (damage == QLatin1String("noise"))
        QVERIFY(overwrite(databaseFile, 0, noise(4096, 17)));
    else if (damage == QLatin1String("zeros"))
        QVERIFY(overwrite(databaseFile, 0, QByteArray(4096, '\0')));
    else if (damage == QLatin1String("text"))
        QVERIFY(writeFile(databaseFile, QByteArray("These are my notes, not a database.\n").repeated(200)));
    else if (damage == QLatin1String("inner"))
        QVERIFY(overwrite(databaseFile, (size / 4096 / 2) * 4096, noise(4096, 23)));
    else if (damage == QLatin1String("cut"))
        QVERIFY(QFile::resize(databaseFile, (size / 4096 / 2) * 4096));
    if (!withInfo)
        QVERIFY(QFile::remove(folder + QStringLiteral("/wellDbInfo.xml")));
    const QMap<QString, QByteArray> before = folderChecksums(folder);

    // Started twice, as the host would: neither start changes a file.
    for (int start = 0; start < 2; ++start) {
        m_capture.clear();
        ZRLogDatabase database;
        const bool loaded = start == 0 ? database.loadAtStartup(folder, QStringLiteral("P"))
                                       : database.loadAfterProjectChange(folder, QStringLiteral("P"));
        QVERIFY(!loaded);
        QVERIFY(!database.isValid());
        QVERIFY(database.wells().isEmpty());
        QVERIFY(m_capture.sync());
        const QStringList texts = m_capture.texts();
        QCOMPARE(texts.filter(QStringLiteral("Well Database loading error: ")).size(), 1);
        QVERIFY2(texts.filter(QStringLiteral("Well Database loading error: ")).first().contains(
                     QDir::toNativeSeparators(databaseFile)),
                 qPrintable(texts.join('\n')));
        QVERIFY2(texts.filter(QStringLiteral("updating"), Qt::CaseInsensitive).isEmpty(), qPrintable(texts.join('\n')));
        QVERIFY(!texts.contains(QStringLiteral("Welldbinfo XML File missing. file added")));
        QVERIFY(m_answerer->questions.isEmpty());
        QCOMPARE(folderChecksums(folder), before);
    }
}

void TestWellDbUnreadable::garbageOldDatabaseIsNotMigrated()
{
    // A database of an older structure version under its older name: the copy made to
    // migrate it goes again when it does not read.
    const QString folder = m_environment->makeFolder(QStringLiteral("oldgarbage"));
    QVERIFY(writeFile(folder + QStringLiteral("/wellVelostrat.sql"), noise(8192, 5)));
    QVERIFY(writeFile(folder + QStringLiteral("/wellDbInfo.xml"),
                      "<GlobalHeader><VersionNumber value=\"5\"/><VersionNumberMinor value=\"2\"/></GlobalHeader>"));
    const QMap<QString, QByteArray> before = folderChecksums(folder);
    ZRLogDatabase database;
    QVERIFY(!database.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(folderChecksums(folder), before);
}

void TestWellDbUnreadable::emptyFileGetsItsTablesWithoutBackup()
{
    // An empty file is an empty SQLite database: current once its tables exist, nothing to back up.
    const QString folder = m_environment->makeFolder(QStringLiteral("emptyfile"));
    QVERIFY(writeFile(ZRLogDatabase::databaseFileName(folder), QByteArray()));
    QVERIFY(writeFile(folder + QStringLiteral("/wellDbInfo.xml"),
                      "<GlobalHeader><VersionNumber value=\"6\"/><VersionNumberMinor value=\"9\"/></GlobalHeader>"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(database.sqlDatabase().hasColumn(QStringLiteral("SET_TABLE"), QStringLiteral("CHECKSHOT_TYPE")));
    QVERIFY(database.sqlDatabase().tableExists(QStringLiteral("WELLSETTOWELLSRELATION_TABLE")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/wellQt4Velostrat_backup.sql")));
    QVERIFY(m_answerer->questions.isEmpty());
}

void TestWellDbUnreadable::lockedDatabaseFailsFast()
{
    const QString folder = outdatedDatabase(QStringLiteral("locked"));
    QVERIFY(!folder.isEmpty());
    const QMap<QString, QByteArray> before = folderChecksums(folder);
    LockHolder holder;
    QVERIFY(holder.start(ZRLogDatabase::databaseFileName(folder)));

    ZRLogDatabase database;
    database.setLockWait(1500);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!database.loadAtStartup(folder, QStringLiteral("P")));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 1400 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    QVERIFY(!database.loadWasStopped());
    QVERIFY(m_capture.sync());
    const QStringList texts = m_capture.texts();
    QCOMPARE(texts.filter(QStringLiteral("is locked by another program; waiting up to 2 s.")).size(), 1);
    const QStringList errors = texts.filter(QStringLiteral("Well Database loading error: "));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("locked by another program")), qPrintable(errors.first()));
    QVERIFY(texts.filter(QStringLiteral("updating"), Qt::CaseInsensitive).isEmpty());
    QVERIFY(m_answerer->questions.isEmpty());
    QCOMPARE(folderChecksums(folder), before);
}

void TestWellDbUnreadable::stopEndsTheWaitForALock()
{
    const QString folder = outdatedDatabase(QStringLiteral("lockstop"));
    QVERIFY(!folder.isEmpty());
    const QMap<QString, QByteArray> before = folderChecksums(folder);
    LockHolder holder;
    QVERIFY(holder.start(ZRLogDatabase::databaseFileName(folder)));

    // The process-wide check, as the data link installs it for its SIGTERM handler.
    QElapsedTimer timer;
    timer.start();
    ZRLogDatabase::setDefaultStopCheck([&timer] { return timer.elapsed() > 300; });
    ZRLogDatabase database;
    database.setLockWait(60000);
    const bool loaded = database.loadAtStartup(folder, QStringLiteral("P"));
    const qint64 elapsed = timer.elapsed();
    ZRLogDatabase::setDefaultStopCheck({});
    QVERIFY(!loaded);
    QVERIFY(database.loadWasStopped());
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(0, QStringLiteral("Well Database loading stopped: a stop was requested.")));
    QCOMPARE(m_capture.texts().filter(QStringLiteral("Well Database loading error: ")).size(), 0);
    QCOMPARE(folderChecksums(folder), before);
}

void TestWellDbUnreadable::lockReleasedDuringTheWaitLoads()
{
    const QString folder = outdatedDatabase(QStringLiteral("lockreleased"));
    QVERIFY(!folder.isEmpty());
    const QByteArray database = readFile(ZRLogDatabase::databaseFileName(folder));
    const QByteArray backup = readFile(folder + QStringLiteral("/wellQt4Velostrat_backup.sql"));
    LockHolder holder;
    QVERIFY(holder.start(ZRLogDatabase::databaseFileName(folder), 800));

    ZRLogDatabase loaded;
    loaded.setLockWait(20000);
    QVERIFY(loaded.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(loaded.wells().size(), 300);
    QCOMPARE(m_answerer->questions, QStringList{QStringLiteral("P")});
    // The update ran on a readable database: the backups moved by one.
    QCOMPARE(readFile(folder + QStringLiteral("/wellQt4Velostrat_backup.sql")), database);
    QCOMPARE(readFile(folder + QStringLiteral("/wellQt4Velostrat_backup_useless.sql")), backup);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/wellQt4Velostrat_backup.sql.new")));
    QCOMPARE(loaded.versionInfo().versionText(), QStringLiteral("6.9"));
}

void TestWellDbUnreadable::stopDuringTheQuestionChangesNoFile()
{
    const QString folder = outdatedDatabase(QStringLiteral("questionstop"));
    QVERIFY(!folder.isEmpty());
    const QMap<QString, QByteArray> before = folderChecksums(folder);

    // The stop arrives while the question is shown; the answer that ends the box is "Update".
    class StoppingAnswerer : public ScriptedAnswerer
    {
    public:
        explicit StoppingAnswerer(std::atomic<bool>& stop) : ScriptedAnswerer(true), m_stop(stop) {}
        bool askStructureUpdate(const QString& projectName) override
        {
            m_stop = true;
            return ScriptedAnswerer::askStructureUpdate(projectName);
        }

    private:
        std::atomic<bool>& m_stop;
    };
    std::atomic<bool> stop{false};
    auto answerer = std::make_shared<StoppingAnswerer>(stop);
    {
        ZRLogDatabase database;
        database.setAnswerer(answerer);
        database.setStopCheck([&stop] { return stop.load(); });
        QVERIFY(!database.loadAtStartup(folder, QStringLiteral("P")));
        QVERIFY(database.loadWasStopped());
        QCOMPARE(answerer->questions.size(), 1);
    }
    QCOMPARE(folderChecksums(folder), before);

    // A stop asked before the question: the question is not put at all.
    auto unasked = std::make_shared<ScriptedAnswerer>(true);
    ZRLogDatabase again;
    again.setAnswerer(unasked);
    again.setStopCheck([] { return true; });
    QVERIFY(!again.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(unasked->questions.isEmpty());
    QCOMPARE(folderChecksums(folder), before);
}

void TestWellDbUnreadable::lockedSaveFailsFastAndKeepsItsChanges()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("lockedsave")) + QStringLiteral("/Wells");
    ZRLogDatabase database;
    QVERIFY(database.createEmptyDatabase(folder));
    database.setLockWait(1000);
    ZRSet* set = database.CreateLogSet(QStringLiteral("S"), database.CreateWell(QStringLiteral("W")));
    database.setLogData(database.CreateLog(QStringLiteral("GR"), set, true), QVector<double>{1, 2});
    QVERIFY(database.save());
    database.findWell(QStringLiteral("W"))->setKb(7.0);
    database.setLogData(database.CreateLog(QStringLiteral("DT"), set, true), QVector<double>{3});
    const QMap<QString, QByteArray> before = folderChecksums(folder);
    {
        LockHolder holder;
        QVERIFY(holder.start(ZRLogDatabase::databaseFileName(folder)));
        m_capture.clear();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!database.save());
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(m_capture.sync());
        QVERIFY2(!m_capture.texts().filter(QStringLiteral("locked by another program (waited")).isEmpty(),
                 qPrintable(m_capture.texts().join('\n')));
        QCOMPARE(folderChecksums(folder), before);
    }
    // The changes wait in memory for the next save.
    QVERIFY(database.save());
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.loadAfterProjectChange(folder, QStringLiteral("P")));
    QCOMPARE(reloaded.findWell(QStringLiteral("W"))->kb(), 7.0);
    QVector<double> values;
    QVERIFY(reloaded.getLogData(reloaded.findLog(QStringLiteral("DT"), reloaded.findSet(QStringLiteral("S"),
                                                                                          reloaded.findWell("W"))),
                                values));
    QCOMPARE(values, QVector<double>{3});
}

void TestWellDbUnreadable::userFilesSurviveLoadAndSave()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("userfiles")) + QStringLiteral("/Wells");
    int logId = 0;
    {
        ZRLogDatabase database;
        QVERIFY(database.createEmptyDatabase(folder));
        ZRLog* log = database.CreateLog(QStringLiteral("GR"),
                                        database.CreateLogSet(QStringLiteral("S"), database.CreateWell("W")), true);
        database.setLogData(log, QVector<double>{1, 2, 3});
        logId = log->id();
        QVERIFY(database.save());
    }
    // Files a user (or another program) put there, some looking like pending files of a save.
    const QMap<QString, QByteArray> userFiles = {
        {QStringLiteral("notes.saving"), "my notes"},
        {QStringLiteral("LOGDATA_77.saving"), "not from a save of ours"},
        {QStringLiteral("MARKERLIST_3.saving"), "nor this"}};
    for (auto it = userFiles.constBegin(); it != userFiles.constEnd(); ++it)
        QVERIFY(writeFile(folder + QLatin1Char('/') + it.key(), it.value()));

    for (int round = 0; round < 2; ++round) {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRLog* log = database.findLog(logId);
        database.setLogData(log, QVector<double>{double(round), 5, 6}); // a replacement through a pending file
        QVERIFY(database.save());
        QVector<double> values;
        QVERIFY(database.getLogData(log, values));
        QCOMPARE(values, (QVector<double>{double(round), 5, 6}));
    }
    for (auto it = userFiles.constBegin(); it != userFiles.constEnd(); ++it)
        QCOMPARE(readFile(folder + QLatin1Char('/') + it.key()), it.value());
}

void TestWellDbUnreadable::foreignJournalIsLeftAndReported()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("foreign")) + QStringLiteral("/Wells");
    int logId = 0;
    {
        ZRLogDatabase database;
        QVERIFY(database.createEmptyDatabase(folder));
        ZRLog* log = database.CreateLog(QStringLiteral("GR"),
                                        database.CreateLogSet(QStringLiteral("S"), database.CreateWell("W")), true);
        database.setLogData(log, QVector<double>{1, 2, 3});
        logId = log->id();
        QVERIFY(database.save());
    }
    const QString journal = ZRWellDbSaveJournal::journalFileName(folder);
    QVERIFY(writeFile(journal, "generation 1\nreplace LOGDATA_1\nthis is not a journal of ours\n"));
    QVERIFY(writeFile(ZRWellDbSaveJournal::pendingFileName(ZRLogDataFile::logFileName(folder, logId)), "pending?"));
    const QMap<QString, QByteArray> before = folderChecksums(folder);

    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(m_capture.sync());
    QVERIFY2(m_capture.contains(2, QStringLiteral("Well database: %1 is not a save journal of this program; it and "
                                                  "every other file of the folder have been left as they are.")
                                       .arg(QDir::toNativeSeparators(journal))),
             qPrintable(m_capture.texts().join('\n')));
    QCOMPARE(folderChecksums(folder), before);
    QVector<double> values;
    QVERIFY(database.getLogData(database.findLog(logId), values));
    QCOMPARE(values, (QVector<double>{1, 2, 3}));

    // A save would write its own journal over it: refused, and said why.
    database.findWell(QStringLiteral("W"))->setKb(12.0);
    m_capture.clear();
    QVERIFY(!database.save());
    QVERIFY(m_capture.sync());
    QCOMPARE(m_capture.texts().filter(QStringLiteral("Well database - Operation aborted: ")).size(), 1);
    QCOMPARE(folderChecksums(folder), before);

    // Once the file is moved away, the same change saves.
    QVERIFY(QFile::rename(journal, folder + QStringLiteral("/moved away")));
    QVERIFY(database.save());
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.loadAfterProjectChange(folder, QStringLiteral("P")));
    QCOMPARE(reloaded.findWell(QStringLiteral("W"))->kb(), 12.0);
    QVERIFY(QFile::exists(ZRWellDbSaveJournal::pendingFileName(ZRLogDataFile::logFileName(folder, logId))));
}

QTEST_GUILESS_MAIN(TestWellDbUnreadable)
#include "tst_welldbunreadable.moc"
