// owdatalink-headless export-horizons and export-faults run as child
// processes on the seeded demo: the survey given with --survey or
// --survey-volume (and refused without one), items by path and by name, the
// dry run and the report, verify on the report, and a failing DevKit call.

#include "exchangefixture.h"
#include "exportchecks.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owguards.h"
#include "unittable.h"
#include "volumeexportchecks.h"
#include "zrfaultapifunctions.h"
#include "zropenworkssession.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QJsonArray>
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
};

constexpr const char* Frontier = "Frontier 3D";
} // namespace

class TestHeadlessHorizonFaultExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void commandsListed();
    void usageErrors_data();
    void usageErrors();
    void horizonsIntoASurvey();
    void horizonsIntoAVolumeSurvey();
    void dryRunThenRunThenVerify_data();
    void dryRunThenRunThenVerify();
    void faultWithAFailedSegment();

private:
    Run run(const QStringList& arguments, const QString& inject = QString());
    QStringList arguments(const QString& command, const QStringList& rest) const;
    QString folder(int type) const { return m_fixture->project().directoryForType(type); }

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
};

void TestHeadlessHorizonFaultExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    for (int type : {ZRProject::VolumeType, ZRProject::HorizonType, ZRProject::FaultType})
        QVERIFY(QDir().mkpath(folder(type)));
    for (const char* name : {"terminal one", "terminal two", "planned", "through a volume"})
        QVERIFY(writeSyntheticHorizon(folder(ZRProject::HorizonType) + "/" + name, 25, 20, 449000.0, 6790000.0, 50.0,
                                      50.0, [](int i, int j) { return float(200 + i - j); }, Millisecond));
    for (const char* name : {"terminal fault", "planned fault", "failing fault"}) {
        core::MultiArray<core::vec3> sticks(2);
        sticks[0] = {core::vec3(449100, 800, 6790100), core::vec3(449110, 900, 6790110), core::vec3(-9999, -9999, -9999),
                     core::vec3(449200, 850, 6790200), core::vec3(449210, 950, 6790210)};
        sticks[1] = {core::vec3(449300, 700, 6790300)};
        QVERIFY(ZRFaultApiFunctions::write3DFaultStick(folder(ZRProject::FaultType) + "/" + name, {name}, sticks, false,
                                                       georef::Crs()));
    }
    SyntheticVolume volume;
    volume.originX = 449000.0;
    volume.originY = 6790000.0;
    volume.traceVectorX = 50.0;
    volume.traceVectorY = 0.0;
    volume.lineVectorX = 0.0;
    volume.lineVectorY = 50.0;
    QString error;
    QVERIFY2(volume.write(folder(ZRProject::VolumeType) + "/terminal_volume", &error), qPrintable(error));
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QVERIFY(m_session->openProject(ExchangeFixture::Project));
}

void TestHeadlessHorizonFaultExport::cleanupTestCase()
{
    m_session.reset();
}

Run TestHeadlessHorizonFaultExport::run(const QStringList& arguments, const QString& inject)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("OWSIM_INJECT");
    if (!inject.isEmpty())
        environment.insert("OWSIM_INJECT", inject);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(TestEnvironment::binaryPath() + "/owdatalink-headless", arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return result;
}

QStringList TestHeadlessHorizonFaultExport::arguments(const QString& command, const QStringList& rest) const
{
    return QStringList{command, "--host-project", m_fixture->project().projectPath(), "--district",
                       ExchangeFixture::District, "--project", ExchangeFixture::Project}
           + rest;
}

void TestHeadlessHorizonFaultExport::commandsListed()
{
    const Run listed = run({"help"});
    QCOMPARE(listed.exitCode, 0);
    QVERIFY(listed.out.contains("export-horizons"));
    QVERIFY(listed.out.contains("export-faults"));
    const Run help = run({"help", "export-horizons"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("--survey <name>"));
    QVERIFY(help.out.contains("--survey-volume <file>"));
}

void TestHeadlessHorizonFaultExport::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString noSurvey = "error: give the survey to write into: --survey NAME (an OpenWorks® survey) or "
                             "--survey-volume FILE (a host volume exported as the survey), one of them.";
    QTest::newRow("horizons without a survey") << arguments("export-horizons", {"terminal one"}) << noSurvey;
    QTest::newRow("faults without a survey") << arguments("export-faults", {"terminal fault"}) << noSurvey;
    QTest::newRow("both forms") << arguments("export-horizons", {"--survey", Frontier, "--survey-volume",
                                                                 "terminal_volume", "terminal one"})
                                << noSurvey;
    QTest::newRow("no horizon") << arguments("export-horizons", {"--survey", Frontier})
                                << "error: name at least one horizon.";
    QTest::newRow("an unknown volume") << arguments("export-faults", {"--survey-volume", "nowhere", "terminal fault"})
                                       << "error: no volume \"nowhere\" in host project";
}

void TestHeadlessHorizonFaultExport::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const RecordCounts before = RecordCounts::now();
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.out.contains(message), qPrintable(result.out));
    QCOMPARE(RecordCounts::now(), before);
}

void TestHeadlessHorizonFaultExport::horizonsIntoASurvey()
{
    const RecordCounts before = RecordCounts::now();
    const Run result = run(arguments("export-horizons", {"--survey", Frontier, "terminal one",
                                                         folder(ZRProject::HorizonType) + "/terminal two", "missing"}));
    QCOMPARE(result.exitCode, 1); // "missing" is not there
    QVERIFY2(result.out.contains("question \"Survey Association\": 2 horizons -> OpenWorks® survey \"Frontier 3D\""),
             qPrintable(result.out));
    QVERIFY(result.out.contains("error: no horizon \"missing\" in host project"));
    QVERIFY(result.out.contains("result: 2 of 3 horizons exported."));
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.differenceFrom(before), QStringLiteral("445: +2, 1176: +2"));
    for (const char* name : {"terminal one", "terminal two"}) {
        QVector<DevKitHorizonGrid> grids;
        QString error;
        QVERIFY2(readHorizonGrids(newestHorizonId(name), "TIME_STRUCTURE", &grids, &error), qPrintable(error));
        QCOMPARE(grids.size(), 1);
        QCOMPARE(grids[0].surveyName, QString(Frontier));
        QCOMPARE(grids[0].value(1, 1), 200.0f);
        QCOMPARE(grids[0].value(20, 25), 200.0f + 24 - 19);
    }
}

void TestHeadlessHorizonFaultExport::horizonsIntoAVolumeSurvey()
{
    const RecordCounts before = RecordCounts::now();
    const Run result = run(arguments("export-horizons", {"--survey-volume", "terminal_volume", "through a volume"}));
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains("-> host volume \"" + QDir::toNativeSeparators(folder(ZRProject::VolumeType) + "/terminal_volume")),
             qPrintable(result.out));
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.differenceFrom(before), QStringLiteral("445: +1, 574: +1, 1176: +1, 1184: +1"));
    QVector<DevKitHorizonGrid> grids;
    QString error;
    QVERIFY2(readHorizonGrids(newestHorizonId("through a volume"), "TIME_STRUCTURE", &grids, &error), qPrintable(error));
    QCOMPARE(grids.size(), 1);
    QCOMPARE(grids[0].surveyName, QStringLiteral("terminal volume"));
}

void TestHeadlessHorizonFaultExport::dryRunThenRunThenVerify_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("noun");
    QTest::newRow("horizons") << "export-horizons" << "planned" << "horizons";
    QTest::newRow("faults") << "export-faults" << "planned fault" << "faults";
}

void TestHeadlessHorizonFaultExport::dryRunThenRunThenVerify()
{
    QFETCH(QString, command);
    QFETCH(QString, item);
    QFETCH(QString, noun);
    const QString planPath = m_fixture->environment().makeFolder("reports") + "/" + command + "-plan.json";
    const QString reportPath = m_fixture->environment().makeFolder("reports") + "/" + command + ".json";
    const RecordCounts before = RecordCounts::now();
    const Run planned = run(arguments(command, {"--survey", Frontier, "--dry-run", "--report", planPath, item}));
    QCOMPARE(planned.exitCode, 0);
    QVERIFY2(planned.out.contains(QStringLiteral("result: 1 of 1 %1 exported (dry run: nothing written).").arg(noun)),
             qPrintable(planned.out));
    QCOMPARE(RecordCounts::now(), before);
    QJsonObject plan;
    QString error;
    QVERIFY2(ZRTransferReport::read(planPath, &plan, &error), qPrintable(error));
    QVERIFY(plan.value("dryRun").toBool());
    QCOMPARE(plan.value("items").toArray()[0].toObject().value("outcome").toString(), ZRTransferReport::Planned);

    const Run real = run(arguments(command, {"--survey", Frontier, "--report", reportPath, item}));
    QCOMPARE(real.exitCode, 0);
    QJsonObject report;
    QVERIFY2(ZRTransferReport::read(reportPath, &report, &error), qPrintable(error));
    const QJsonObject planItem = plan.value("items").toArray()[0].toObject();
    const QJsonObject realItem = report.value("items").toArray()[0].toObject();
    QCOMPARE(realItem.value("outcome").toString(), ZRTransferReport::Exported);
    QCOMPARE(planItem.value("counts"), realItem.value("counts"));
    QCOMPARE(planItem.value("source").toObject().value("sha256"), realItem.value("source").toObject().value("sha256"));

    const Run verified = run({"verify", reportPath});
    QCOMPARE(verified.exitCode, 0);
    QVERIFY2(verified.out.contains("result: 1 items verified, everything equal."), qPrintable(verified.out));
}

void TestHeadlessHorizonFaultExport::faultWithAFailedSegment()
{
    const RecordCounts before = RecordCounts::now();
    // The fault, its plane, then the first segment fails.
    const Run result = run(arguments("export-faults", {"--survey", Frontier, "failing fault"}), "gdiAdd:3=277600008");
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.out.contains("box information \"Error\": An error occurred during export of failing fault_1: "),
             qPrintable(result.out));
    QVERIFY(result.out.contains("note: failing fault: 0 faults and 1 segments could not be written."));
    QCOMPARE(RecordCounts::now().differenceFrom(before), QStringLiteral("338: +2, 791: +2, 796: +2"));
}

QTEST_GUILESS_MAIN(TestHeadlessHorizonFaultExport)
#include "tst_headlesshorizonfaultexport.moc"
