// owdatalink-headless export-volumes run as a child process on the seeded
// demo: volumes named by path and by name, the dry run, the report, unknown
// names and a failing DevKit call.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owguards.h"
#include "surveyimportchecks.h"
#include "volumeexportchecks.h"
#include "zropenworkssession.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QDirIterator>
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

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}
} // namespace

class TestHeadlessVolumeExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void exportsByPathAndName();
    void dryRun();
    void unknownName();
    void failingCall();

private:
    Run run(const QStringList& volumes, const QStringList& options = {}, const QString& inject = QString());
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    /// Records of a class, read in this process (the child committed them).
    int count(int classId);
    bool surveyExists(const QString& name);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    QString m_dataFolder;
};

void TestHeadlessVolumeExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_dataFolder = districtDataFolderOf(m_fixture->environment().openWorksHome(), ExchangeFixture::District);
    QVERIFY(QDir().mkpath(volumeFolder()));
    QString error;
    for (const char* name : {"by_path", "by_name", "planned_only", "failing_one", "good_one"})
        QVERIFY2(SyntheticVolume().write(volumeFolder() + "/" + name, &error), qPrintable(error));
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QVERIFY(m_session->openProject(ExchangeFixture::Project));
}

void TestHeadlessVolumeExport::cleanupTestCase()
{
    m_session.reset();
}

Run TestHeadlessVolumeExport::run(const QStringList& volumes, const QStringList& options, const QString& inject)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("OWSIM_INJECT");
    if (!inject.isEmpty())
        environment.insert("OWSIM_INJECT", inject);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(TestEnvironment::binaryPath() + "/owdatalink-headless",
                  QStringList{"export-volumes", "--host-project", m_fixture->project().projectPath(), "--district",
                              ExchangeFixture::District, "--project", ExchangeFixture::Project}
                      + options + volumes);
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

int TestHeadlessVolumeExport::count(int classId)
{
    int records = 0;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &records, &list);
    if (list)
        gdiFree(list);
    return status == 0 ? records : 0;
}

bool TestHeadlessVolumeExport::surveyExists(const QString& name)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, name.toLocal8Bit());
    return gdiExists(GDI_CLASS_3D_SURVEY, &survey) != 0;
}

void TestHeadlessVolumeExport::exportsByPathAndName()
{
    const QString reportPath = m_fixture->environment().makeFolder("report") + "/run.json";
    const int surveys = count(GDI_CLASS_3D_SURVEY);
    const Run result = run({volumeFolder() + "/by_path", "by_name"}, {"--report", reportPath});
    QVERIFY2(result.exitCode == 0, qPrintable(result.out));
    QVERIFY2(result.out.contains("result: 2 of 2 volumes exported."), qPrintable(result.out));
    QCOMPARE(count(GDI_CLASS_3D_SURVEY), surveys + 2);
    QVERIFY(surveyExists("by path"));
    QVERIFY(surveyExists("by name"));
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(reportPath, &report, &error), qPrintable(error));
    QCOMPARE(report.value("exchange").toString(), QStringLiteral("export-volumes"));
    const QJsonArray items = report.value("items").toArray();
    QCOMPARE(items.size(), 2);
    const QJsonObject item = items[1].toObject();
    QCOMPARE(item.value("outcome").toString(), ZRTransferReport::Exported);
    QCOMPARE(item.value("target").toObject().value("surveyName").toString(), QStringLiteral("by name"));
    QCOMPARE(item.value("target").toObject().value("dataSetName").toString(), QStringLiteral("by name_1"));
    QVERIFY(item.value("target").toObject().value("dataSetId").toInt() > 0);
}

void TestHeadlessVolumeExport::dryRun()
{
    const int surveys = count(GDI_CLASS_3D_SURVEY);
    const int dataSets = count(GDI_CLASS_SEISMIC_DATA_SET);
    const QStringList files = filesBelow(m_dataFolder);
    const Run result = run({"planned_only"}, {"--dry-run"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.out));
    QVERIFY2(result.out.contains("plan: volume planned_only -> OpenWorks® survey \"planned only\", data set "
                                 "\"planned only_1\" [create, planned]"),
             qPrintable(result.out));
    QVERIFY(result.out.contains("unit survey corner field 20: meters (1) -> meters (1), factor 1"));
    QVERIFY(result.out.contains("result: 1 of 1 volumes exported (dry run: nothing written)."));
    QCOMPARE(count(GDI_CLASS_3D_SURVEY), surveys);
    QCOMPARE(count(GDI_CLASS_SEISMIC_DATA_SET), dataSets);
    QCOMPARE(filesBelow(m_dataFolder), files);
    QVERIFY(!surveyExists("planned only"));
}

void TestHeadlessVolumeExport::unknownName()
{
    const Run result = run({"no_such_volume"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.out.contains("error: no volume \"no_such_volume\" in host project"), qPrintable(result.out));
    QVERIFY(result.out.contains("result: 0 of 1 volumes exported."));
    const Run none = run({});
    QCOMPARE(none.exitCode, 2);
}

void TestHeadlessVolumeExport::failingCall()
{
    const int surveys = count(GDI_CLASS_3D_SURVEY);
    const QStringList files = filesBelow(m_dataFolder);
    // The first volume's traces cannot be written; the second one goes through.
    const Run result = run({"failing_one", "good_one"}, {}, "dm3dtr_:4=9");
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.out.contains("Error occurred during export of failing one: General internal failure (dm3dtr_)."),
             qPrintable(result.out));
    QVERIFY(result.out.contains("1 of 2 volumes exported."));
    QVERIFY(!surveyExists("failing one"));
    QVERIFY(surveyExists("good one"));
    QCOMPARE(count(GDI_CLASS_3D_SURVEY), surveys + 1);
    QCOMPARE(filesBelow(m_dataFolder).size(), files.size() + 1);
}

QTEST_MAIN(TestHeadlessVolumeExport)
#include "tst_headlessvolumeexport.moc"
