// import-horizons and import-faults of the headless front end, run as child
// processes on the seeded demo: names, ambiguity, exit codes, conflicts,
// injected failures, the dry run and the run report.

#include "exchangefixture.h"
#include "horizonfaultchecks.h"
#include "zrfaultapifunctions.h"
#include "zropenworkssession.h"
#include "zrproject.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

namespace
{
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};
} // namespace

class TestHeadlessHorizonFault : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void commandsListed();
    void importsHorizons();
    void horizonNames_data();
    void horizonNames();
    void horizonWithAFailedSurvey();
    void horizonDryRunAndReport();
    void importsFaults();
    void faultConflictRules_data();
    void faultConflictRules();
    void faultWithAFailedSegment();
    void usageErrors_data();
    void usageErrors();

private:
    Run run(const QStringList& arguments, const QString& inject = QString());
    QStringList arguments(const QString& command, const QStringList& rest) const;
    QString horizonFolder() const { return m_fixture->project().directoryForType(ZRProject::HorizonType); }
    QString faultFolder() const { return m_fixture->project().directoryForType(ZRProject::FaultType); }
    /// Non-null nodes of a horizon's surveys as the DevKit gives them.
    QVector<int> validNodes(const QString& name, const QString& attribute);

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZROpenworksSession m_session;
};

void TestHeadlessHorizonFault::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
    QVERIFY(m_session.start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QVERIFY(m_session.openProject(ExchangeFixture::Project));
}

void TestHeadlessHorizonFault::init()
{
    for (const QString& path : {horizonFolder(), faultFolder()}) {
        QDir folder(path);
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
            QVERIFY(folder.remove(name));
    }
}

Run TestHeadlessHorizonFault::run(const QStringList& arguments, const QString& inject)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("OWSIM_INJECT");
    if (!inject.isEmpty())
        environment.insert("OWSIM_INJECT", inject);
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryPath() + "/owdatalink-headless", arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QStringList TestHeadlessHorizonFault::arguments(const QString& command, const QStringList& rest) const
{
    return QStringList{command, "--host-project", m_fixture->project().projectPath(), "--district",
                       ExchangeFixture::District, "--project", ExchangeFixture::Project}
           + rest;
}

QVector<int> TestHeadlessHorizonFault::validNodes(const QString& name, const QString& attribute)
{
    QVector<DevKitHorizonGrid> grids;
    QString error;
    if (!readHorizonGrids(horizonIdOf(name, attribute), attribute, &grids, &error))
        return {};
    QVector<int> counts;
    for (const DevKitHorizonGrid& grid : grids) {
        int valid = 0;
        for (float value : grid.values)
            valid += value >= float(grid.dataMin) && value <= float(grid.dataMax);
        counts.append(valid);
    }
    return counts;
}

void TestHeadlessHorizonFault::commandsListed()
{
    const Run result = run({"help"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.contains("  import-horizons   import OpenWorks® horizons as host horizons\n"));
    QVERIFY(result.out.contains("  import-faults     import OpenWorks® faults as host fault-stick files\n"));
}

void TestHeadlessHorizonFault::importsHorizons()
{
    const Run result = run(arguments("import-horizons", {"Intra Chalk::DEPTH_STRUCTURE", "Base Cretaceous"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QVERIFY(!result.out.contains("box "));
    QVERIFY(result.out.endsWith("result: 2 of 2 horizons imported.\n"));
    QVERIFY(result.err.contains("progress Importing horizons from OpenWorks® to Velostrat: 2/2\n"));
    const QVector<int> chalk = validNodes("Intra Chalk", "DEPTH_STRUCTURE");
    const QVector<int> base = validNodes("Base Cretaceous", "TIME_STRUCTURE");
    QCOMPARE(chalk.size(), 2);
    const QList<QPair<QString, int>> expected{{"Intra Chalk", chalk[0]},
                                              {"Intra Chalk (Dome Ridge 3D)", chalk[1]},
                                              {"Base Cretaceous", base.value(0)}};
    for (const auto& file : expected) {
        HorizonFileView view;
        QString error;
        QVERIFY2(view.load(horizonFolder() + "/" + file.first, &error), qPrintable(error));
        QCOMPARE(view.numberOfControlPoint, qint64(file.second));
    }
}

void TestHeadlessHorizonFault::horizonNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("result");
    QTest::newRow("several attributes")
        << QStringList{"Top Reservoir"}
        << "error: \"Top Reservoir\" names several horizons; name one of: Top Reservoir::TIME_STRUCTURE, Top "
           "Reservoir::DEPTH_STRUCTURE\n"
        << "result: 0 of 1 horizons imported.\n";
    QTest::newRow("unknown") << QStringList{"Nowhere", "Base Cretaceous"}
                             << "error: no horizon \"Nowhere\" in project DEMO.\n"
                             << "result: 1 of 2 horizons imported.\n";
    QTest::newRow("no data") << QStringList{"Unmapped Marker"}
                             << "box information \"Warning\": No horizon data found for horizon Unmapped Marker. "
                                "Skipping import.\n"
                             << "result: 0 of 1 horizons imported.\n";
}

void TestHeadlessHorizonFault::horizonNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, message);
    QFETCH(QString, result);
    const Run ran = run(arguments("import-horizons", names));
    QCOMPARE(ran.exitCode, 1);
    QVERIFY2(ran.out.contains(message), qPrintable(ran.out));
    QVERIFY2(ran.out.endsWith(result), qPrintable(ran.out));
}

void TestHeadlessHorizonFault::horizonWithAFailedSurvey()
{
    // The horizon counts (its survey loop ran), the run still ends with 1.
    const Run result = run(arguments("import-horizons", {"Intra Chalk::DEPTH_STRUCTURE"}), "hrzrw_:1=3");
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.contains("box information \"Error\": Unable to read horizon data from OpenWorks® during import "
                                "of horizon: Intra Chalk, (Read or write error)\n"));
    QVERIFY(result.out.contains("note: Intra Chalk: 1 of 2 surveys could not be imported.\n"));
    QVERIFY(result.out.endsWith("result: 1 of 1 horizons imported.\n"));
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files), QStringList{"Intra Chalk (Dome Ridge 3D)"});
}

void TestHeadlessHorizonFault::horizonDryRunAndReport()
{
    const QString reportPath = m_fixture->environment().makeFolder("reports") + "/plan.json";
    const auto before = folderChecksums(m_fixture->project().projectPath());
    const Run result =
        run(arguments("import-horizons", {"--dry-run", "--report", reportPath, "Intra Chalk::DEPTH_STRUCTURE"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QCOMPARE(folderChecksums(m_fixture->project().projectPath()), before);
    const QString folder = horizonFolder();
    QVERIFY2(result.out.contains(QString("plan: horizon Intra Chalk -> %1/Intra Chalk [create, planned]\n"
                                         "      unit depth: meters (1) -> meters (1), factor 1, recorded as Meter\n")
                                     .arg(folder)),
             qPrintable(result.out));
    QVERIFY(result.out.contains(QString("      survey North Sea 3D -> %1/Intra Chalk [create, planned]\n"
                                        "      survey Dome Ridge 3D -> %1/Intra Chalk (Dome Ridge 3D) [create, planned]\n")
                                    .arg(folder)));
    QVERIFY(result.out.endsWith("result: 1 of 1 horizons imported (dry run: nothing written).\n"));

    QFile file(reportPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(report.value("exchange").toString(), QStringLiteral("import-horizons"));
    QVERIFY(report.value("dryRun").toBool());
    const QJsonObject item = report.value("items").toArray().first().toObject();
    QCOMPARE(item.value("outcome").toString(), QStringLiteral("planned"));
    const QVector<int> valid = validNodes("Intra Chalk", "DEPTH_STRUCTURE");
    const QJsonArray targets = item.value("target").toObject().value("files").toArray();
    QCOMPARE(targets.size(), 2);
    for (int i = 0; i < targets.size(); ++i)
        QCOMPARE(targets[i].toObject().value("nodes").toDouble() - targets[i].toObject().value("nullNodes").toDouble(),
                 double(valid[i]));
}

void TestHeadlessHorizonFault::importsFaults()
{
    const Run result = run(arguments("import-faults", {"F1 Main Boundary", "F5 Deep Splay"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QVERIFY(result.out.endsWith("result: 2 of 2 faults imported.\n"));
    QVERIFY(result.err.contains("progress Importing faults from OpenWorks® to Velostrat: 2/2\n"));
    QCOMPARE(QDir(faultFolder()).entryList(QDir::Files), (QStringList{"F1 Main Boundary", "F5 Deep Splay"}));
    QVERIFY(ZRFaultApiFunctions::isFaultStickDomainInTime(faultFolder() + "/F1 Main Boundary", true));
    QVERIFY(!ZRFaultApiFunctions::isFaultStickDomainInTime(faultFolder() + "/F5 Deep Splay", true));
    const auto sticks = ZRFaultApiFunctions::readFaultStickPolyLine(faultFolder() + "/F5 Deep Splay", true);
    QVERIFY(sticks);
    QVector<FaultSegmentPoints> segments;
    QString domain, error;
    QVERIFY(readFaultSegments(faultPlaneIdOf("F5 Deep Splay"), "F5 Deep Splay", &segments, &domain, &error));
    int points = 0;
    for (const FaultSegmentPoints& segment : segments)
        points += segment.size() + 1;
    QCOMPARE(int(sticks->array(0).size()), points);
}

void TestHeadlessHorizonFault::faultConflictRules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("skip") << "skip" << 1 << "skip" << QStringList{"F2 Crestal"};
    QTest::newRow("overwrite") << "overwrite" << 0 << "overwrite" << QStringList{"F2 Crestal"};
    QTest::newRow("rename") << "rename:%1 (%2)" << 0 << "new name \"F2 Crestal (1)\""
                            << QStringList{"F2 Crestal", "F2 Crestal (1)"};
}

void TestHeadlessHorizonFault::faultConflictRules()
{
    QFETCH(QString, rule);
    QFETCH(int, exitCode);
    QFETCH(QString, answer);
    QFETCH(QStringList, files);
    QFile junk(faultFolder() + "/F2 Crestal");
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("junk");
    junk.close();
    const Run result = run(arguments("import-faults", {"--on-conflict", rule, "F2 Crestal"}));
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.out.contains(QString("question \"File Conflict\": %1/F2 Crestal already exists -> %2\n")
                                     .arg(faultFolder(), answer)),
             qPrintable(result.out));
    QCOMPARE(QDir(faultFolder()).entryList(QDir::Files), files);
    QCOMPARE(bool(ZRFaultApiFunctions::readFaultStickPolyLine(faultFolder() + "/F2 Crestal", false)),
             rule == QLatin1String("overwrite"));
}

void TestHeadlessHorizonFault::faultWithAFailedSegment()
{
    const Run result = run(arguments("import-faults", {"F1 Main Boundary"}), "gdiReadVector:2=277600008");
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.contains("box information \"Error\": Unable to read vector for fault segment: "));
    QVERIFY(result.out.contains("note: F1 Main Boundary: 1 of 5 segments could not be read and were left out.\n"));
    QVERIFY(result.out.endsWith("result: 1 of 1 faults imported.\n"));
    QVERIFY(QFileInfo::exists(faultFolder() + "/F1 Main Boundary"));
}

void TestHeadlessHorizonFault::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no horizon") << QStringList{"import-horizons", "--host-project", "x", "--project", "DEMO"}
                                << "error: name at least one horizon.";
    QTest::newRow("no fault") << QStringList{"import-faults", "--host-project", "x", "--project", "DEMO"}
                              << "error: name at least one fault.";
    QTest::newRow("bad conflict rule") << QStringList{"import-faults", "--on-conflict", "maybe", "F1"} << "error: ";
}

void TestHeadlessHorizonFault::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2((result.out + result.err).contains(message), qPrintable(result.out + result.err));
}

QTEST_MAIN(TestHeadlessHorizonFault)
#include "tst_headlesshorizonfault.moc"
