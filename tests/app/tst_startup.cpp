// The data link executable as the host runs it: arguments, exit codes, the
// standard-error protocol, the log, and faults in the running process.

#include "testenvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tooFewArguments_data();
    void tooFewArguments();
    void runsAndClosesWithExitCodeZero_data();
    void runsAndClosesWithExitCodeZero();
    void unreadableWellDatabaseStopsBeforeTheWindow();
    void faultInTheRunningProcessLeavesAReport();
    void deeplyNestedDescriptorIsAParseMessage();
    void synchronousFaultReachesTheEntry_data();
    void synchronousFaultReachesTheEntry();

private:
    QString makeHostProject(const QString& name, QString* listPath);
    QProcessEnvironment childEnvironment(const QString& temporary) const;
    QString readLog(const QString& location) const;

    std::unique_ptr<TestEnvironment> m_environment;
};

void TestStartup::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

QString TestStartup::makeHostProject(const QString& name, QString* listPath)
{
    const QString parent = m_environment->makeFolder("host");
    *listPath = parent + "/VelostratProjects.xml";
    QProcess setup;
    setup.start(TestEnvironment::binaryPath() + "/owdatalink-demo-setup", {parent, name, *listPath});
    if (!setup.waitForFinished(60000) || setup.exitCode() != 0) {
        qWarning() << setup.readAllStandardError();
        return QString();
    }
    return parent + "/" + name;
}

QProcessEnvironment TestStartup::childEnvironment(const QString& temporary) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TMPDIR", temporary);
    return environment;
}

QString TestStartup::readLog(const QString& location) const
{
    QFile log(location + "/Velostrat-OpenWorks.log");
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll());
}

void TestStartup::tooFewArguments_data()
{
    QTest::addColumn<int>("count");
    for (int count : {0, 1, 3, 8})
        QTest::newRow(qPrintable(QStringLiteral("%1 arguments").arg(count))) << count;
}

void TestStartup::tooFewArguments()
{
    QFETCH(int, count);
    QStringList arguments;
    for (int i = 0; i < count; ++i)
        arguments << QString::number(i);
    QProcess process;
    process.setProcessEnvironment(childEnvironment(m_environment->tempPath()));
    process.start(TestEnvironment::binaryPath() + "/owdatalink", arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 255);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), QStringLiteral("0\nWrong parameter numbers.\n"));
}

void TestStartup::runsAndClosesWithExitCodeZero_data()
{
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QStringList>("surplus");
    QTest::newRow("nine arguments") << QStringList{"0", "0", "1", "2", "3", "4"} << QStringList{};
    QTest::newRow("ten arguments, surplus ignored") << QStringList{"7", "8", "1", "0", "0", "0"} << QStringList{"extra"};
    QTest::newRow("numbers that are not numbers") << QStringList{"a", "b", "x", "y", "z", "w"} << QStringList{};
}

void TestStartup::runsAndClosesWithExitCodeZero()
{
    QFETCH(QStringList, numbers);
    QFETCH(QStringList, surplus);
    QString listPath;
    const QString project = makeHostProject("Running", &listPath);
    QVERIFY(!project.isEmpty());
    const QString logs = m_environment->makeFolder("logs");

    QProcess process;
    process.setProcessEnvironment(childEnvironment(m_environment->tempPath()));
    process.start(TestEnvironment::binaryPath() + "/owdatalink",
                  QStringList{project, listPath} + numbers + QStringList{logs} + surplus);
    QVERIFY(process.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(readLog(logs).contains("Entering Data Link : process initialized."), 30000);
    QCOMPARE(process.state(), QProcess::Running);

    // The host asks the data link to stop: the window closes as by its Close button.
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardError().isEmpty());
    const QString log = readLog(logs);
    QVERIFY(log.indexOf("Entering Data Link") < log.indexOf("Leaving Data Link : process over."));
}

void TestStartup::unreadableWellDatabaseStopsBeforeTheWindow()
{
    QString listPath;
    const QString project = makeHostProject("BrokenWells", &listPath);
    QVERIFY(!project.isEmpty());
    // Replace the well database with bytes that are not a database.
    QString databaseFile;
    QDirIterator it(project, QStringList{"wellQt4Velostrat.sql"}, QDir::Files, QDirIterator::Subdirectories);
    if (it.hasNext())
        databaseFile = it.next();
    QVERIFY(!databaseFile.isEmpty());
    {
        QFile file(databaseFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, '\x5a'));
    }
    const QString logs = m_environment->makeFolder("logs");
    QProcess process;
    process.setProcessEnvironment(childEnvironment(m_environment->tempPath()));
    process.start(TestEnvironment::binaryPath() + "/owdatalink",
                  QStringList{project, listPath, "0", "0", "1", "0", "0", "0", logs});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 255);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.endsWith(QStringLiteral("0\nUnable to load well database.\n")), qPrintable(error));
    QVERIFY(readLog(logs).contains("Leaving Data Link : process over."));
}

void TestStartup::faultInTheRunningProcessLeavesAReport()
{
    QString listPath;
    const QString project = makeHostProject("Faulty", &listPath);
    QVERIFY(!project.isEmpty());
    const QString logs = m_environment->makeFolder("logs");
    const QString temporary = m_environment->makeFolder("crash-tmp");

    QProcess process;
    process.setProcessEnvironment(childEnvironment(temporary));
    process.start(TestEnvironment::binaryPath() + "/owdatalink",
                  QStringList{project, listPath, "0", "0", "0", "0", "0", "0", logs});
    QVERIFY(process.waitForStarted(30000));
    const qint64 processId = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(readLog(logs).contains("Entering Data Link"), 30000);
    ::kill(pid_t(processId), SIGSEGV);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 255);

    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardError()).split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines[0], QStringLiteral("1"));
    const QRegularExpression name(QStringLiteral("^%1/Velostrat/v0\\.0\\.0\\.0-\\d{8}-\\d{6}-%2-\\d+\\.dmp$")
                                      .arg(QRegularExpression::escape(temporary))
                                      .arg(processId));
    QVERIFY2(name.match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QFile report(lines[1]);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(report.readAll());
    QVERIFY(text.contains("Signal: 11"));
    QVERIFY(text.contains("Backtrace ("));
}

void TestStartup::deeplyNestedDescriptorIsAParseMessage()
{
    QString listPath;
    const QString project = makeHostProject("Deep", &listPath);
    QVERIFY(!project.isEmpty());
    {
        QFile descriptor(project + "/descriptor.xml");
        QVERIFY(descriptor.open(QIODevice::WriteOnly | QIODevice::Truncate));
        descriptor.write("<ZRProject version=\"81\"><theFileStructure><fileStructure>");
        for (int level = 0; level < 50000; ++level)
            descriptor.write("<Directory directoryId=\"5\" value=\"d\">");
        for (int level = 0; level < 50000; ++level)
            descriptor.write("</Directory>");
        descriptor.write("</fileStructure></theFileStructure></ZRProject>");
    }
    const QString message = QStringLiteral("Unable to parse XML content of file %1/descriptor.xml. Parsing error occurs at line 1, "
                                           "column 9455: elements nested deeper than 256 levels")
                                .arg(project);

    // The window: the message reaches the host as an error, and the run goes on.
    const QString logs = m_environment->makeFolder("logs");
    QProcess window;
    window.setProcessEnvironment(childEnvironment(m_environment->tempPath()));
    window.start(TestEnvironment::binaryPath() + "/owdatalink", QStringList{project, listPath, "0", "0", "1", "0", "0", "0", logs});
    QVERIFY(window.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(readLog(logs).contains("Entering Data Link : process initialized."), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(readLog(logs).contains("\t1\t" + message), 30000);
    ::kill(pid_t(window.processId()), SIGTERM);
    QVERIFY(window.waitForFinished(30000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);

    // The headless front end: the same message, and a refusal instead of a crash.
    QProcess headless;
    headless.setProcessEnvironment(childEnvironment(m_environment->tempPath()));
    headless.start(TestEnvironment::binaryPath() + "/owdatalink-headless",
                   QStringList{"import-surveys", "--host-project", project, "--district", "Demo", "--project", "DEMO", "S"});
    QVERIFY(headless.waitForFinished(60000));
    QCOMPARE(headless.exitStatus(), QProcess::NormalExit);
    QVERIFY(headless.exitCode() != 0);
    const QString output = QString::fromLocal8Bit(headless.readAllStandardOutput() + headless.readAllStandardError());
    QVERIFY2(output.contains(message), qPrintable(output));
}

void TestStartup::synchronousFaultReachesTheEntry_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("handled");
    QTest::addColumn<bool>("unwound");
    // A fault of the GUI thread's own code becomes an exception that reaches the
    // entry's catch; the objects built so far end as their scopes end.
    QTest::newRow("segmentation fault") << "segv" << "Handled: as an exception caught by the entry" << true;
    // A stack overflow cannot be unwound safely: the fault handler reports it.
    QTest::newRow("stack overflow") << "stackoverflow" << "Handled: in the fault handler, not translated: stack overflow"
                                    << false;
}

void TestStartup::synchronousFaultReachesTheEntry()
{
    QFETCH(QString, fault);
    QFETCH(QString, handled);
    QFETCH(bool, unwound);
    QString listPath;
    const QString project = makeHostProject("Provoked", &listPath);
    QVERIFY(!project.isEmpty());
    const QString logs = m_environment->makeFolder("logs");
    const QString temporary = m_environment->makeFolder("crash-tmp");

    QProcess process;
    QProcessEnvironment environment = childEnvironment(temporary);
    environment.insert("DATALINK_TEST_FAULT", fault);
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryPath() + "/owdatalink",
                  QStringList{project, listPath, "0", "0", "4", "3", "2", "1", logs});
    QVERIFY(process.waitForStarted(30000));
    const qint64 processId = process.processId();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(10000);
        QFAIL("the data link did not end after the provoked fault");
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 255);

    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    const QStringList lines = error.split('\n');
    QVERIFY2(lines.size() == 3 && lines[2].isEmpty(), qPrintable(error));
    QCOMPARE(lines[0], QStringLiteral("1"));
    const QRegularExpression name(QStringLiteral("^%1/Velostrat/v4\\.3\\.2\\.1-\\d{8}-\\d{6}-%2-%2\\.dmp$")
                                      .arg(QRegularExpression::escape(temporary))
                                      .arg(processId));
    QVERIFY2(name.match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QFile report(lines[1]);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(report.readAll());
    QVERIFY2(text.contains("Signal: 11"), qPrintable(text));
    QVERIFY2(text.contains("\n" + handled + "\n"), qPrintable(text));
    QVERIFY2(text.contains(fault == "segv" ? "provokeTestFault" : "dataLinkTestRecurse"), qPrintable(text));

    // Unwinding to the entry ends the process object, which says goodbye.
    const QString log = readLog(logs);
    QVERIFY(log.contains("Entering Data Link : process initialized."));
    QCOMPARE(log.contains("Leaving Data Link : process over."), unwound);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
