// A save killed midway (the helper process welldbsavechild blocked at a known
// step of its save, then killed) must leave a database that loads with every
// row and every log data file of one single generation: the previous one when
// the kill came before the commit, the new one when it came after.

#include "testenvironment.h"
#include "welldbinterruptdata.h"
#include "welldbtestsupport.h"
#include "zrlogdatabase.h"
#include "zrwelldbsavejournal.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <memory>

class TestWellDbSaveInterrupt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedSave_data();
    void killedSave();
    void completedSave();

private:
    QString populatedFolder(const QString& hint);
    /// The generation that every well and log of folder holds, or -1 when they disagree.
    int consistentGeneration(const QString& folder);

    std::unique_ptr<TestEnvironment> m_environment;
    MessageCapture m_capture;
    QString m_child;
};

void TestWellDbSaveInterrupt::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    QVERIFY(m_capture.start());
    m_child = TestEnvironment::binaryPath() + QStringLiteral("/welldbsavechild");
    QVERIFY2(QFile::exists(m_child), qPrintable(m_child));
}

QString TestWellDbSaveInterrupt::populatedFolder(const QString& hint)
{
    const QString folder = m_environment->makeFolder(hint) + QStringLiteral("/Wells");
    ZRLogDatabase database;
    if (!database.createEmptyDatabase(folder))
        return QString();
    welldbinterrupt::populate(database);
    QFile notes(folder + QStringLiteral("/notes.saving"));
    if (!notes.open(QIODevice::WriteOnly) || notes.write("a user's notes") != 14)
        return QString();
    notes.close();
    return database.save() ? folder : QString();
}

int TestWellDbSaveInterrupt::consistentGeneration(const QString& folder)
{
    ZRLogDatabase database;
    if (!database.loadAtStartup(folder, QStringLiteral("Interrupted")))
        return -2;
    if (database.wells().size() != welldbinterrupt::kWells
        || database.logs().size() != welldbinterrupt::kWells * welldbinterrupt::kLogsPerWell)
        return -3;
    const int generation = int(database.wells().first()->kb());
    for (ZRWell* well : database.wells()) {
        if (int(well->kb()) != generation)
            return -1;
    }
    for (ZRLog* log : database.logs()) {
        QVector<double> values;
        if (!database.getLogData(log, values) || values != welldbinterrupt::logValues(generation, log->id())) {
            qWarning("log %d does not hold generation %d", log->id(), generation);
            return -1;
        }
    }
    return generation;
}

void TestWellDbSaveInterrupt::killedSave_data()
{
    const int logs = welldbinterrupt::kWells * welldbinterrupt::kLogsPerWell;
    QTest::addColumn<QString>("phase");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("expected");
    QTest::newRow("while writing rows") << "rows" << welldbinterrupt::kWells / 2 << 1;
    QTest::newRow("first data file") << "data files" << 0 << 1;
    QTest::newRow("half of the data files") << "data files" << logs / 2 << 1;
    QTest::newRow("all data files") << "data files" << logs << 1;
    QTest::newRow("journal written, before commit") << "committing" << 0 << 1;
    QTest::newRow("just after commit") << "completing" << 0 << 2;
    QTest::newRow("half of the files in place") << "completing" << logs / 2 << 2;
}

void TestWellDbSaveInterrupt::killedSave()
{
    QFETCH(QString, phase);
    QFETCH(int, step);
    QFETCH(int, expected);
    const QString folder = populatedFolder(QStringLiteral("killed"));
    QVERIFY(!folder.isEmpty());
    QCOMPARE(consistentGeneration(folder), 1);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(m_child, {folder, QStringLiteral("2"), phase, QString::number(step)});
    QVERIFY(child.waitForStarted(10000));
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
        [&] {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
            return output.contains("STOPPED") || child.state() == QProcess::NotRunning;
        },
        60000));
    QVERIFY2(output.contains("STOPPED"), output.constData());
    child.kill();
    QVERIFY(child.waitForFinished(10000));

    // The journal is written before the first data file, so that a recovery knows every file of the save.
    const bool journalLeft = QFile::exists(ZRWellDbSaveJournal::journalFileName(folder));
    QCOMPARE(journalLeft, phase != QLatin1String("rows"));
    // A user's file that looks like a pending file is not the save's.
    QVERIFY(QFile::exists(folder + QStringLiteral("/notes.saving")));
    m_capture.clear();
    QCOMPARE(consistentGeneration(folder), expected);
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.saving")}, QDir::Files), QStringList{"notes.saving"});
    QVERIFY(m_capture.sync());
    if (journalLeft)
        QVERIFY(m_capture.contains(0, expected == 2
                                          ? QStringLiteral("Well database: an interrupted save has been completed.")
                                          : QStringLiteral("Well database: an interrupted save has been discarded.")));

    // The database goes on: the next save of a new generation works.
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("Interrupted")));
        welldbinterrupt::rewrite(database, 3);
        QVERIFY(database.save());
    }
    QCOMPARE(consistentGeneration(folder), 3);
}

void TestWellDbSaveInterrupt::completedSave()
{
    const QString folder = populatedFolder(QStringLiteral("completed"));
    QVERIFY(!folder.isEmpty());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(m_child, {folder, QStringLiteral("2")});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitCode(), 0);
    QVERIFY(child.readAllStandardOutput().contains("SAVED"));
    QCOMPARE(consistentGeneration(folder), 2);
}

QTEST_GUILESS_MAIN(TestWellDbSaveInterrupt)
#include "tst_welldbsaveinterrupt.moc"
