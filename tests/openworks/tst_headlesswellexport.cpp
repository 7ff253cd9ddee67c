// owdatalink-headless export-wells run as a child process: host wells and
// well sets named on the command line, the wells put aside answered by
// --well-list or --new-well-list, the dry run writing nothing, the run report
// verified by the verify subcommand, and the usage errors.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owsim.h"
#include "owwelllists.h"
#include "wellexportchecks.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QJsonArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

namespace
{
struct Run
{
    int exitCode = -1;
    QString out;
};
} // namespace

class TestHeadlessWellExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void newWellListForTheWellsPutAside();
    void existingWellList();
    void withoutAnswerTheWellsPutAsideStay();
    void dryRunWritesNothing();
    void reportVerifies();
    void usageErrors_data();
    void usageErrors();
    void listedInTheCommands();

private:
    Run run(const QStringList& arguments);
    QStringList exportArguments(const QString& project, const QStringList& more) const;
    QString newProject();

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    QString m_host;
    int m_projects = 0;
};

void TestHeadlessWellExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
    // The host wells: "Field Tests" and NS-01 from the demo, a well of no set,
    // a well of two sets.
    m_host = m_fixture->makeHostProject(QStringLiteral("Source"));
    const Run imported = run({"import-wells", "--host-project", m_host, "--district", ExchangeFixture::District,
                              "--project", ExchangeFixture::Project, "--well-list", "Field Tests", "NS-01"});
    QVERIFY2(imported.out.contains("result: 4 of 4 wells imported."), qPrintable(imported.out));
    {
        ZRProject project(m_host);
        ZRLogDatabase database;
        QVERIFY(database.load(project.wellDatabasePath(), "source", "Source", true));
        QVERIFY(database.CreateWell(QStringLiteral("Solo")));
        ZRWell* pair = database.CreateWell(QStringLiteral("Paired"));
        database.addWellToWellSet(pair, database.wellSet(QStringLiteral("Left")));
        database.addWellToWellSet(pair, database.wellSet(QStringLiteral("Right")));
        QVERIFY(database.save());
    }
    m_session = std::make_unique<ZROpenworksSession>();
    QString error;
    QVERIFY2(m_session->start(&error), qPrintable(error));
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
}

void TestHeadlessWellExport::cleanupTestCase()
{
    m_session.reset();
}

Run TestHeadlessWellExport::run(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("OWSIM_INJECT");
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryPath() + "/owdatalink-headless", arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return result;
}

QStringList TestHeadlessWellExport::exportArguments(const QString& project, const QStringList& more) const
{
    return QStringList{"export-wells", "--host-project", m_host, "--district", ExchangeFixture::District, "--project",
                       project}
           + more;
}

QString TestHeadlessWellExport::newProject()
{
    const QString name = QStringLiteral("HEADLESS%1").arg(++m_projects);
    std::string error;
    if (!owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                              name.toStdString(), owsim::MeasurementSystem::Metric, &error))
        return QString();
    QString openError;
    if (!m_session->openProject(name, &openError))
        return QString();
    return name;
}

void TestHeadlessWellExport::newWellListForTheWellsPutAside()
{
    const QString project = newProject();
    QVERIFY(!project.isEmpty());
    const Run result =
        run(exportArguments(project, {"--new-well-list", "Headless New", "Field Tests", "NS-01", "Solo", "Paired"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out));
    QVERIFY2(result.out.contains("result: 6 of 6 wells exported."), qPrintable(result.out));
    QVERIFY2(result.out.contains("question \"Well List Association\": 2 well(s) without a well list -> new well list "
                                 "\"Headless New\""),
             qPrintable(result.out));
    // A set's wells join its list, a well of one set its set's list, the others the new list.
    QStringList fieldTests = wellKeysOfList("Field Tests");
    fieldTests.sort();
    QCOMPARE(fieldTests, (QStringList{"NO 15/9-F-1", "NO 15/9-F-2", "NO 15/9-F-3"}));
    QCOMPARE(wellKeysOfList("Exploration"), QStringList{"NO 15/9-A-01"});
    QCOMPARE(wellKeysOfList("Headless New"), (QStringList{"Solo", "Paired"}));
    // The candidate lists of the well of two sets were made all the same, each once.
    QCOMPARE(countOfListsNamed("Left"), 1);
    QCOMPARE(countOfListsNamed("Right"), 1);
    QCOMPARE(recordCount(GDI_CLASS_WELL), 6);
    // FT-03's table along TVDSS is listed as its problem.
    QVERIFY2(result.out.contains("well problems \"FT-03\":"), qPrintable(result.out));
}

void TestHeadlessWellExport::existingWellList()
{
    const QString project = newProject();
    QCOMPARE(owwelllists::createWellList(QStringLiteral("Kept"), QStringLiteral("JDOE")), 0);
    const Run result = run(exportArguments(project, {"--well-list", "Kept", "Solo", "Paired"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out));
    QVERIFY2(result.out.contains("-> well list \"Kept\""), qPrintable(result.out));
    QCOMPARE(wellKeysOfList("Kept"), (QStringList{"Solo", "Paired"}));
    OpenWorksWell solo;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("Solo"), &solo, &error), qPrintable(error));
    QCOMPARE(QString::fromLatin1(solo.header.interpreter), QStringLiteral("JDOE"));
}

void TestHeadlessWellExport::withoutAnswerTheWellsPutAsideStay()
{
    const QString project = newProject();
    const Run result = run(exportArguments(project, {"Solo", "NS-01", "Nowhere"}));
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.out.contains("-> cancel (give --well-list or --new-well-list)"), qPrintable(result.out));
    QVERIFY2(result.out.contains("error: no well or well set \"Nowhere\""), qPrintable(result.out));
    QVERIFY2(result.out.contains("result: 1 of 3 wells exported."), qPrintable(result.out));
    QCOMPARE(recordCount(GDI_CLASS_WELL), 1);
}

void TestHeadlessWellExport::dryRunWritesNothing()
{
    const QString project = newProject();
    const QMap<int, int> before = wellExportRecordCounts();
    const QString reportPath = m_fixture->environment().makeFolder("dry") + "/plan.json";
    const Run result = run(exportArguments(
        project, {"--dry-run", "--report", reportPath, "--new-well-list", "Planned", "Field Tests", "Solo"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out));
    QVERIFY2(result.out.contains("result: 4 of 4 wells exported (dry run: nothing written)."), qPrintable(result.out));
    QVERIFY2(result.out.contains("new well list \"Planned\" (not created: dry run)"), qPrintable(result.out));
    QVERIFY2(result.out.contains("plan: well FT-01 -> OpenWorks® well \"NO 15/9-F-1\" in well list \"Field Tests\" "
                                 "(new) [create, planned]"),
             qPrintable(result.out));
    QVERIFY2(result.out.contains("records of class 610: 5"), qPrintable(result.out));
    QCOMPARE(wellExportRecordCounts(), before);
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(reportPath, &report, &error), qPrintable(error));
    QVERIFY(report.value("dryRun").toBool());
    for (const QJsonValue& item : report.value("items").toArray())
        QCOMPARE(item.toObject().value("outcome").toString(), ZRTransferReport::Planned);
}

void TestHeadlessWellExport::reportVerifies()
{
    const QString project = newProject();
    const QString reportPath = m_fixture->environment().makeFolder("verified") + "/export.json";
    const Run exported = run(exportArguments(project, {"--report", reportPath, "Field Tests", "NS-01"}));
    QVERIFY2(exported.exitCode == 0, qPrintable(exported.out));
    const Run verified = run({"verify", reportPath});
    QVERIFY2(verified.exitCode == 0, qPrintable(verified.out));
    QVERIFY2(verified.out.contains("result: 4 items verified, everything equal."), qPrintable(verified.out));
}

void TestHeadlessWellExport::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    const QString demo = QString::fromLatin1(ExchangeFixture::Project);
    QTest::newRow("no wells") << QStringList{"export-wells", "--host-project", "x", "--project", demo}
                              << "error: name at least one well or well set.";
    QTest::newRow("both lists") << QStringList{"export-wells", "--host-project", "x", "--project", demo,
                                               "--well-list", "A", "--new-well-list", "B", "Solo"}
                                << "error: give --well-list or --new-well-list, not both.";
    QTest::newRow("missing list") << QStringList{"export-wells", "--district", ExchangeFixture::District,
                                                 "--project", demo, "--well-list", "No Such List", "Solo"}
                                  << "error: no well list \"No Such List\" in project DEMO";
    QTest::newRow("new list exists") << QStringList{"export-wells", "--district", ExchangeFixture::District,
                                                    "--project", demo, "--new-well-list", "Exploration", "Solo"}
                                     << "error: the well list \"Exploration\" exists in project DEMO";
}

void TestHeadlessWellExport::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    if (!arguments.contains("--host-project")) {
        arguments.insert(1, m_host);
        arguments.insert(1, "--host-project");
    }
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.out.contains(error), qPrintable(result.out));
}

void TestHeadlessWellExport::listedInTheCommands()
{
    const Run result = run({"help"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains("export-wells"), qPrintable(result.out));
    const Run help = run({"help", "export-wells"});
    QVERIFY2(help.out.contains("--new-well-list"), qPrintable(help.out));
}

QTEST_GUILESS_MAIN(TestHeadlessWellExport)
#include "tst_headlesswellexport.moc"
