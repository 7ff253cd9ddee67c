// The data link executable waiting at start-up on its well database (a lock
// held by another program, the structure-update question, the obsolete-version
// box): SIGTERM ends each wait promptly through the normal tear-down, and no
// file of the well database changes. A lock that nobody releases ends the
// start after a bounded wait with the fatal-error report.

#include "testenvironment.h"
#include "welldbfoldersupport.h"
#include "zrlogdatabase.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace
{
bool writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
} // namespace

class TestWellDbStartupWaits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stopEndsTheWait_data();
    void stopEndsTheWait();
    void lockNobodyReleasesEndsTheStart();

private:
    /// A host project made by the demo set-up; wellFolder receives its well database folder.
    QString makeHostProject(const QString& name, QString* listPath, QString* wellFolder);
    QString readLog(const QString& location) const;
    void startDataLink(QProcess& process, const QString& project, const QString& listPath, const QString& logs);

    std::unique_ptr<TestEnvironment> m_environment;
};

void TestWellDbStartupWaits::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    for (const char* program : {"owdatalink", "owdatalink-demo-setup", "welldblockholder"})
        QVERIFY2(QFile::exists(TestEnvironment::binaryPath() + QLatin1Char('/') + QLatin1String(program)), program);
}

QString TestWellDbStartupWaits::makeHostProject(const QString& name, QString* listPath, QString* wellFolder)
{
    const QString parent = m_environment->makeFolder(QStringLiteral("host"));
    *listPath = parent + QStringLiteral("/VelostratProjects.xml");
    QProcess setup;
    setup.start(TestEnvironment::binaryPath() + QStringLiteral("/owdatalink-demo-setup"), {parent, name, *listPath});
    if (!setup.waitForFinished(60000) || setup.exitCode() != 0) {
        qWarning() << setup.readAllStandardError();
        return QString();
    }
    const QString project = parent + QLatin1Char('/') + name;
    QDirIterator it(project, {QStringLiteral("wellQt4Velostrat.sql")}, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        return QString();
    *wellFolder = QFileInfo(it.next()).absolutePath();
    return project;
}

QString TestWellDbStartupWaits::readLog(const QString& location) const
{
    QFile log(location + QStringLiteral("/Velostrat-OpenWorks.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void TestWellDbStartupWaits::startDataLink(QProcess& process, const QString& project, const QString& listPath,
                                           const QString& logs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), m_environment->tempPath());
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryPath() + QStringLiteral("/owdatalink"),
                  {project, listPath, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"),
                   QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), logs});
}

void TestWellDbStartupWaits::stopEndsTheWait_data()
{
    QTest::addColumn<QString>("wait");
    QTest::addColumn<QString>("waiting"); // the log line that shows the wait has begun
    QTest::newRow("lock held by another program") << "lock" << "is locked by another program; waiting up to";
    QTest::newRow("structure update question") << "question" << "requires a structure update; waiting for the answer";
    QTest::newRow("obsolete version box") << "obsolete" << "Project well database version :7.0";
}

void TestWellDbStartupWaits::stopEndsTheWait()
{
    QFETCH(QString, wait);
    QFETCH(QString, waiting);
    QString listPath;
    QString wellFolder;
    const QString project = makeHostProject(QStringLiteral("Waits"), &listPath, &wellFolder);
    QVERIFY(!project.isEmpty());
    if (wait == QLatin1String("question")) {
        {
            ZRLogDatabase database;
            QVERIFY(database.loadAtStartup(wellFolder, QStringLiteral("Waits")));
            database.CreateWell(QStringLiteral("A well"));
            QVERIFY(database.save());
        }
        QVERIFY(writeFile(wellFolder + QStringLiteral("/wellDbInfo.xml"),
                          "<GlobalHeader><VersionNumber value=\"6\"/><VersionNumberMinor value=\"8\"/></GlobalHeader>"));
    } else if (wait == QLatin1String("obsolete")) {
        QVERIFY(writeFile(wellFolder + QStringLiteral("/wellDbInfo.xml"),
                          "<GlobalHeader><VersionNumber value=\"7\"/><VersionNumberMinor value=\"0\"/></GlobalHeader>"));
    }
    LockHolder holder;
    if (wait == QLatin1String("lock"))
        QVERIFY(holder.start(ZRLogDatabase::databaseFileName(wellFolder)));
    const QMap<QString, QByteArray> before = folderChecksums(wellFolder);

    const QString logs = m_environment->makeFolder(QStringLiteral("logs"));
    QProcess process;
    startDataLink(process, project, listPath, logs);
    QVERIFY(process.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(readLog(logs).contains(waiting), 30000);
    QCOMPARE(process.state(), QProcess::Running);

    QElapsedTimer stopping;
    stopping.start();
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    const qint64 elapsed = stopping.elapsed();
    QVERIFY2(elapsed < 4000, qPrintable(QStringLiteral("%1 ms after SIGTERM").arg(elapsed)));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    // A stop asked by the host is not a failure to report.
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), QString());
    const QString log = readLog(logs);
    QVERIFY2(log.contains(QStringLiteral("Well Database loading stopped: a stop was requested.")), qPrintable(log));
    QVERIFY(log.indexOf(waiting) < log.indexOf(QStringLiteral("Leaving Data Link : process over.")));
    QCOMPARE(folderChecksums(wellFolder), before);
}

void TestWellDbStartupWaits::lockNobodyReleasesEndsTheStart()
{
    QString listPath;
    QString wellFolder;
    const QString project = makeHostProject(QStringLiteral("Locked"), &listPath, &wellFolder);
    QVERIFY(!project.isEmpty());
    LockHolder holder;
    QVERIFY(holder.start(ZRLogDatabase::databaseFileName(wellFolder)));
    const QMap<QString, QByteArray> before = folderChecksums(wellFolder);

    const QString logs = m_environment->makeFolder(QStringLiteral("logs"));
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    startDataLink(process, project, listPath, logs);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(process.exitCode(), 255);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.endsWith(QStringLiteral("0\nUnable to load well database.\n")), qPrintable(error));
    const QString log = readLog(logs);
    QVERIFY2(log.contains(QStringLiteral("locked by another program (waited")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("Leaving Data Link : process over.")));
    QCOMPARE(folderChecksums(wellFolder), before);
}

QTEST_GUILESS_MAIN(TestWellDbStartupWaits)
#include "tst_welldbstartupwaits.moc"
