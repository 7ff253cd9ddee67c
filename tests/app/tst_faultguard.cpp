// The fault guard: real faults in child processes become crash reports.

#include "structuredexceptionscope.h"
#include "testenvironment.h"
#include "wintools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

namespace
{
void customNewHandler() {}
void customPurecall() {}
void customInvalidParameter() {}
void customTranslator(std::uint32_t, wintools::ExceptionPointers*) {}
} // namespace

class TestFaultGuard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void faultBecomesReport_data();
    void faultBecomesReport();
    void exceptionTexts();
    void scopeRestoresPreviousHandlers();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestFaultGuard::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestFaultGuard::faultBecomesReport_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("caught");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("handled");
    QTest::addColumn<bool>("faultyAllocator");

    const QString caughtByEntry = QStringLiteral("Handled: as an exception caught by the entry");
    const QString inHandler = QStringLiteral("Handled: in the fault handler, not translated: ");
    QTest::newRow("segmentation fault") << "segv" << "1.2.3.4" << "Unknown exception - Error code 3221225477" << "Signal: 11"
                                        << caughtByEntry << false;
    QTest::newRow("integer division") << "fpe" << "0.0.0.0" << "Unknown exception - Error code 3221225620" << "Signal: 8"
                                      << caughtByEntry << false;
    QTest::newRow("illegal instruction") << "ill" << "2.0.0.17" << "Unknown exception - Error code 3221225501" << "Signal: 4"
                                         << caughtByEntry << false;
    QTest::newRow("new fails") << "badalloc" << "1.0.0.0" << "bad allocation - Error code 3758096386" << "Signal: 0"
                               << caughtByEntry << false;
    QTest::newRow("pure virtual call") << "purecall" << "1.0.0.0" << "Unknown exception - Error code 3758096387" << "Signal: 0"
                                       << caughtByEntry << false;
    QTest::newRow("abort") << "abort" << "3.1.4.1" << QString() << "Signal: 6" << inHandler + "abort or signal sent from outside"
                           << false;
    QTest::newRow("fault on another thread") << "thread" << "0.0.0.0" << QString() << "Signal: 11"
                                             << inHandler + "no translator on this thread" << false;
    QTest::newRow("stack overflow") << "stackoverflow" << "1.0.0.0" << QString() << "Signal: 11"
                                    << inHandler + "stack overflow" << false;
    QTest::newRow("fault while the first one unwinds") << "unwindfault" << "1.0.0.0" << QString() << "Signal: 11"
                                                       << inHandler + "fault while an earlier fault was being translated" << false;
    // Translating these would allocate the exception while the allocator's lock
    // is held by the faulting thread: the process would hang, with no report.
    QTest::newRow("fault inside malloc holding its lock") << "allocatorfault" << "1.0.0.0" << QString() << "Signal: 11"
                                                          << inHandler + "fault inside the memory allocator" << true;
    QTest::newRow("stack overflow inside malloc holding its lock")
        << "allocatoroverflow" << "1.0.0.0" << QString() << "Signal: 11" << inHandler + "stack overflow" << true;
}

void TestFaultGuard::faultBecomesReport()
{
    QFETCH(QString, mode);
    QFETCH(QString, version);
    QFETCH(QString, caught);
    QFETCH(QString, signal);
    QFETCH(QString, handled);
    QFETCH(bool, faultyAllocator);

    const QString temporary = m_environment->makeFolder("tmp-" + mode);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", temporary);
    if (faultyAllocator)
        environment.insert("LD_PRELOAD", TestEnvironment::binaryPath() + "/libfaultyallocator.so");
    QProcess probe;
    probe.setProcessEnvironment(environment);
    const QStringList parts = version.split('.');
    probe.start(TestEnvironment::binaryPath() + "/crashprobe", QStringList{mode} + parts);
    QVERIFY(probe.waitForStarted(30000));
    const qint64 processId = probe.processId();
    // A guard that hangs fails here in bounded time (the probe is then killed).
    if (!probe.waitForFinished(30000)) {
        probe.kill();
        probe.waitForFinished(10000);
        QFAIL("the probe did not end within 30 s: the fault guard hangs");
    }
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 255);

    const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput());
    if (caught.isEmpty())
        QVERIFY2(!output.contains("caught"), qPrintable(output));
    else
        QVERIFY2(output.contains("caught: " + caught), qPrintable(output));

    // Standard error: "1", then the report's path.
    const QStringList lines = QString::fromLocal8Bit(probe.readAllStandardError()).split('\n');
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join('|')));
    QCOMPARE(lines[0], QStringLiteral("1"));
    const QString path = lines[1];
    const QRegularExpression name(QStringLiteral("^%1/Velostrat/v%2-\\d{8}-\\d{6}-%3-\\d+\\.dmp$")
                                      .arg(QRegularExpression::escape(temporary),
                                           QRegularExpression::escape(version))
                                      .arg(processId));
    QVERIFY2(name.match(path).hasMatch(), qPrintable(path));

    QFile report(path);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(report.readAll());
    QVERIFY2(text.contains(signal), qPrintable(text));
    QVERIFY(text.contains("Fault address: "));
    QVERIFY2(text.contains("\n" + handled + "\n"), qPrintable(text));
    QVERIFY(text.contains("Backtrace ("));
    // Symbolised: the probe's own code is named in the backtrace (not only addresses).
    QVERIFY2(text.contains("crashProbe") || text.contains("Base::") || text.contains("faultyallocator"), qPrintable(text));
    QCOMPARE(QDir(temporary + "/Velostrat").entryList(QDir::Files).size(), 1);
}

void TestFaultGuard::exceptionTexts()
{
    const wintools::StructuredException general(0xC0000005u, nullptr);
    QCOMPARE(QString(general.what()), QStringLiteral("Unknown exception - Error code 3221225477"));
    const wintools::StructuredExceptionBadAlloc allocation(0xE0000002u, nullptr);
    QCOMPARE(QString(allocation.what()), QStringLiteral("bad allocation - Error code 3758096386"));
    const std::bad_alloc& asBadAlloc = allocation;
    QCOMPARE(QString(asBadAlloc.what()), QStringLiteral("bad allocation - Error code 3758096386"));
    QCOMPARE(allocation.code(), 0xE0000002u);
}

void TestFaultGuard::scopeRestoresPreviousHandlers()
{
    struct sigaction before{};
    sigaction(SIGSEGV, nullptr, &before);

    std::set_new_handler(customNewHandler);
    wintools::setPurecallHandler(customPurecall);
    wintools::setInvalidParameterHandler(customInvalidParameter);
    wintools::setSeTranslator(customTranslator);
    {
        StructuredExceptionScope scope;
        QVERIFY(std::get_new_handler() != customNewHandler);
        QVERIFY(wintools::purecallHandler() != customPurecall);
        QVERIFY(wintools::invalidParameterHandler() != customInvalidParameter);
        QVERIFY(wintools::seTranslator() != customTranslator);
    }
    QVERIFY(std::get_new_handler() == customNewHandler);
    QVERIFY(wintools::purecallHandler() == customPurecall);
    QVERIFY(wintools::invalidParameterHandler() == customInvalidParameter);
    QVERIFY(wintools::seTranslator() == customTranslator);
    wintools::setSeTranslator(nullptr);

    // With no translator left, the fatal signals have their earlier disposition.
    struct sigaction after{};
    sigaction(SIGSEGV, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);
    std::set_new_handler(nullptr);
    wintools::setPurecallHandler(nullptr);
    wintools::setInvalidParameterHandler(nullptr);
}

QTEST_GUILESS_MAIN(TestFaultGuard)
#include "tst_faultguard.moc"
