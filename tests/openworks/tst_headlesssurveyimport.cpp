// The headless front end run as a child process on the seeded demo.

#include "exchangefixture.h"
#include "owsim.h"
#include "surveyimportchecks.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QCryptographicHash>
#include <QDir>
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
    QString err;
};
} // namespace

class TestHeadlessSurveyImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void importsNamedDataSets();
    void conflictRules_data();
    void conflictRules();
    void failureOfOneDataSet();
    void unitFailure();
    void namesThatSelectNothingOrSeveral();
    void usageErrors_data();
    void usageErrors();
    void dryRunThenReportedRun();
    void failedTraceReadsMakeTheRunIncomplete();
    void verifyAfterTheRun();

private:
    Run run(const QStringList& arguments, const QString& inject = QString());
    QStringList importArguments(const QStringList& names) const;
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    QString dataSetFile(const QString& survey, const QString& dataSet) const;
    void checkVolume(const QString& path, const QString& survey, const QString& dataSet);

    std::unique_ptr<ExchangeFixture> m_fixture;
    QString m_home;
    QString m_dataFolder;
};

void TestHeadlessSurveyImport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_home = m_fixture->environment().openWorksHome();
    m_dataFolder = districtDataFolderOf(m_home, ExchangeFixture::District);
    QVERIFY(QDir(m_dataFolder).exists());
    const QString f3 = TestEnvironment::sharedDataPath() + "/segy/f3.sgy";
    std::string error;
    for (const char* survey : {"F3 A", "F3 B"})
        QVERIFY2(owsim::loadSegy(m_home.toStdString(), ExchangeFixture::District, ExchangeFixture::Project,
                                 f3.toStdString(), survey, "Seis", "TIME", &error),
                 error.c_str());
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
}

void TestHeadlessSurveyImport::init()
{
    QDir folder(volumeFolder());
    for (const QString& name : folder.entryList(QDir::Files))
        QVERIFY(folder.remove(name));
}

Run TestHeadlessSurveyImport::run(const QStringList& arguments, const QString& inject)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("OWSIM_INJECT");
    if (!inject.isEmpty())
        environment.insert("OWSIM_INJECT", inject);
    process.setProcessEnvironment(environment);
    process.start(TestEnvironment::binaryPath() + "/owdatalink-headless", arguments);
    Run result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QStringList TestHeadlessSurveyImport::importArguments(const QStringList& names) const
{
    return QStringList{"import-surveys", "--host-project", m_fixture->project().projectPath(), "--district",
                       ExchangeFixture::District, "--project", ExchangeFixture::Project}
           + names;
}

QString TestHeadlessSurveyImport::dataSetFile(const QString& survey, const QString& dataSet) const
{
    // The stand-in names data set files "<survey>/<data set>_<id>.sgy" with blanks made underscores.
    QDir folder(m_dataFolder + "/" + QString(survey).replace(' ', '_'));
    const QStringList files = folder.entryList({QString(dataSet).replace(' ', '_') + "_*.sgy"}, QDir::Files);
    return files.size() == 1 ? folder.filePath(files[0]) : QString();
}

void TestHeadlessSurveyImport::checkVolume(const QString& path, const QString& survey, const QString& dataSet)
{
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(path, &error), qPrintable(error));
    SegyDataSet source;
    const QString sourcePath = dataSetFile(survey, dataSet);
    QVERIFY2(source.load(sourcePath, &error), qPrintable(error));
    const QString difference = compareVolume(volume, source, true);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestHeadlessSurveyImport::importsNamedDataSets()
{
    const Run result = run(importArguments({"NS Time Full", "North Sea 3D::NS Depth"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QCOMPARE(result.out.count("bus 4 status: Start of import of seismic dataset :\n\tsurvey\t\t\t = North Sea 3D\n"), 2);
    QCOMPARE(result.out.count("bus 3 call-trace: Call to prjin2_ with survey=North Sea 3D error returned=0\n"), 2);
    QVERIFY(result.out.contains(QRegularExpression(
        "bus 3 call-trace: Call to dm3dop_ with filename=North_Sea_3D/NS_Depth_\\d+\\.sgy error returned=0\n")));
    QVERIFY(!result.out.contains("box "));
    QVERIFY(result.out.endsWith("result: 2 of 2 data sets imported.\n"));
    QVERIFY(result.err.contains("progress Importing 3D Surveys from OpenWorks® to Velostrat: 2/2\n"));
    QVERIFY(result.err.contains("progress   NS Depth: 61/61\n"));
    checkVolume(volumeFolder() + "/NS Time Full", "North Sea 3D", "NS Time Full");
    checkVolume(volumeFolder() + "/NS Depth", "North Sea 3D", "NS Depth");
}

void TestHeadlessSurveyImport::conflictRules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("answer");

    QTest::newRow("default skips") << QString() << QStringList{"NS Depth"} << QString() << 1 << "skip";
    QTest::newRow("skip") << "skip" << QStringList{"NS Depth"} << QString() << 1 << "skip";
    QTest::newRow("overwrite") << "overwrite" << QStringList{"NS Depth"} << "NS Depth" << 0 << "overwrite";
    QTest::newRow("rename with a counter") << "rename:%1 (%2)" << QStringList{"NS Depth", "NS Depth (1)"}
                                           << "NS Depth (2)" << 0 << "new name \"NS Depth (2)\"";
    QTest::newRow("rename without a counter") << "rename:copy of %1" << QStringList{"NS Depth"} << "copy of NS Depth"
                                              << 0 << "new name \"copy of NS Depth\"";
    QTest::newRow("rename to a taken name skips") << "rename:taken" << QStringList{"NS Depth", "taken"} << QString()
                                                  << 1 << "skip (the rename rule gives no free name)";
}

void TestHeadlessSurveyImport::conflictRules()
{
    QFETCH(QString, rule);
    QFETCH(QStringList, existing);
    QFETCH(QString, target);
    QFETCH(int, exitCode);
    QFETCH(QString, answer);
    for (const QString& name : existing) {
        QFile file(volumeFolder() + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    QStringList arguments = importArguments({"NS Depth"});
    if (!rule.isEmpty())
        arguments << "--on-conflict" << rule;
    const Run result = run(arguments);
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.out + result.err));
    QVERIFY2(result.out.contains(QString("question \"File Conflict\": %1/NS Depth already exists -> %2\n")
                                     .arg(volumeFolder(), answer)),
             qPrintable(result.out));
    if (target.isEmpty()) {
        QVERIFY(result.out.contains("box information \"OpenWorks® Data Link\": 0 of 1 surveys imported.\n"));
        QVERIFY(result.out.endsWith("result: 0 of 1 data sets imported.\n"));
        QVERIFY(!result.out.contains("Start of import"));
    } else {
        checkVolume(volumeFolder() + "/" + target, "North Sea 3D", "NS Depth");
    }
    // Files that were not the target keep their content.
    for (const QString& name : existing) {
        if (name == target)
            continue;
        QFile file(volumeFolder() + "/" + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }
}

void TestHeadlessSurveyImport::failureOfOneDataSet()
{
    const Run result = run(importArguments({"NS Time Full", "NS Depth"}), "dm3dop_:1=6");
    QVERIFY2(result.exitCode == 1, qPrintable(result.out + result.err));
    QVERIFY(result.out.contains(
        "box critical \"Error\": Error occurred during import of NS Time Full: File does not exist.\n"));
    QVERIFY(result.out.contains(QRegularExpression(
        "bus 1 error: Call to dm3dop_ with filename=North_Sea_3D/NS_Time_Full_\\d+\\.sgy error returned=6\n")));
    QVERIFY(result.out.contains("box information \"OpenWorks® Data Link\": 1 of 2 surveys imported.\n"));
    QVERIFY(result.out.endsWith("result: 1 of 2 data sets imported.\n"));
    QVERIFY(!QFileInfo::exists(volumeFolder() + "/NS Time Full"));
    checkVolume(volumeFolder() + "/NS Depth", "North Sea 3D", "NS Depth");
}

void TestHeadlessSurveyImport::unitFailure()
{
    const Run result = run(importArguments({"NS Time Full", "--unit", "Second"}),
                           "gdiGetMeasSystemUnitIdForType:*=277600013");
    QVERIFY2(result.exitCode == 1, qPrintable(result.out + result.err));
    QVERIFY(result.out.contains(
        QRegularExpression("box critical \"Unit Error\": Unable to retrieve project unit for unit type <b>.+</b>\\.\n")));
    QVERIFY(result.out.endsWith("result: 0 of 1 data sets imported.\n"));
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files), QStringList());
}

void TestHeadlessSurveyImport::namesThatSelectNothingOrSeveral()
{
    const Run result = run(importArguments({"Seis", "F3 B::Seis", "Nothing", "Frontier 3D"}));
    QVERIFY2(result.exitCode == 1, qPrintable(result.out + result.err));
    QVERIFY(result.out.contains("error: \"Seis\" names several data sets; name one of: F3 A::Seis, F3 B::Seis\n"));
    QVERIFY(result.out.contains("error: no 3D survey data set \"Nothing\" in project DEMO.\n"));
    QVERIFY(result.out.contains("box information \"Warning\": The following items are 3D Surveys containing no "
                                "Seismic Data Sets and will not be imported:<ul><li>Frontier 3D</li>\n</ul>\n"));
    QVERIFY(result.out.endsWith("result: 1 of 4 data sets imported.\n"));
    checkVolume(volumeFolder() + "/Seis", "F3 B", "Seis");
}

void TestHeadlessSurveyImport::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    QTest::newRow("no command") << QStringList{} << 2 << "Commands:\n  import-surveys";
    QTest::newRow("unknown command") << QStringList{"export-everything"} << 2 << "Unknown command \"export-everything\".";
    QTest::newRow("help") << QStringList{"help", "import-surveys"} << 0 << "--on-conflict <rule>";
    QTest::newRow("no data set") << QStringList{"import-surveys", "--host-project", "x", "--project", "DEMO"} << 2
                                 << "error: name at least one data set.";
    QTest::newRow("no project") << QStringList{"import-surveys", "--host-project", "x", "NS Depth"} << 2
                                << "error: --host-project and --project are required.";
    QTest::newRow("bad rule") << QStringList{"import-surveys", "--host-project", "x", "--project", "DEMO",
                                             "--on-conflict", "merge", "NS Depth"}
                              << 2 << "error: unknown --on-conflict rule \"merge\".";
    QTest::newRow("missing host project") << QStringList{"import-surveys", "--host-project", "/nonexistent/host",
                                                         "--project", "DEMO", "NS Depth"}
                                          << 2 << "error: The host project folder /nonexistent/host does not exist.";
}

void TestHeadlessSurveyImport::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const Run result = run(arguments);
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.out + result.err));
    QVERIFY2(result.out.contains(text), qPrintable(result.out));

    // An OpenWorks project that does not exist.
    if (QTest::currentDataTag() == QLatin1String("missing host project")) {
        const Run missing = run(QStringList{"import-surveys", "--host-project", m_fixture->project().projectPath(),
                                            "--district", ExchangeFixture::District, "--project", "NOPE", "NS Depth"});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY2(missing.out.contains(
                     "error: Unable to connect to OpenWorks® project: The project does not exist.\n"),
                 qPrintable(missing.out));
    }
}

void TestHeadlessSurveyImport::dryRunThenReportedRun()
{
    const QString folder = m_fixture->environment().makeFolder("reports");
    const Run plan = run(importArguments({"NS Time Full", "--dry-run", "--report", folder + "/plan.json"}));
    QVERIFY2(plan.exitCode == 0, qPrintable(plan.out + plan.err));
    QVERIFY2(plan.out.contains(QStringLiteral("plan: seismic data set NS Time Full -> %1/NS Time Full [create, planned]")
                                   .arg(volumeFolder())),
             qPrintable(plan.out));
    QVERIFY(plan.out.contains("grid 81 x "));
    QVERIFY(plan.out.endsWith("result: 1 of 1 data sets imported (dry run: nothing written).\n"));
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());

    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(folder + "/plan.json", &report, &error), qPrintable(error));
    QVERIFY(report.value("dryRun").toBool());
    QCOMPARE(report.value("exchange").toString(), QStringLiteral("import-surveys"));
    QCOMPARE(report.value("openWorksProject").toObject().value("project").toString(), QStringLiteral("DEMO"));
    const QJsonObject planned = report.value("items").toArray().first().toObject();
    QCOMPARE(planned.value("outcome").toString(), QStringLiteral("planned"));

    const Run real = run(importArguments({"NS Time Full", "--report", folder + "/run.json"}));
    QVERIFY2(real.exitCode == 0, qPrintable(real.out + real.err));
    QVERIFY2(ZRTransferReport::read(folder + "/run.json", &report, &error), qPrintable(error));
    QVERIFY(!report.value("dryRun").toBool());
    QCOMPARE(report.value("arguments").toArray().first().toString(), QStringLiteral("import-surveys"));
    const QJsonObject item = report.value("items").toArray().first().toObject();
    QCOMPARE(item.value("outcome").toString(), QStringLiteral("imported"));
    QCOMPARE(item.value("target").toObject(), planned.value("target").toObject());
    const QJsonObject file = item.value("files").toArray().first().toObject();
    QFile volume(volumeFolder() + "/NS Time Full");
    QVERIFY(volume.open(QIODevice::ReadOnly));
    QCOMPARE(file.value("sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(volume.readAll(), QCryptographicHash::Sha256).toHex()));
    checkVolume(volumeFolder() + "/NS Time Full", "North Sea 3D", "NS Time Full");
}

void TestHeadlessSurveyImport::failedTraceReadsMakeTheRunIncomplete()
{
    const Run result = run(importArguments({"NS Time Full"}), "dm3dtr_:4000+=3");
    QVERIFY2(result.exitCode == 1, qPrintable(result.out + result.err));
    // 61 lines of 81 traces: every read from the 4000th on failed.
    QVERIFY2(result.out.contains("note: NS Time Full: 942 of 4941 traces could not be read and were written as "
                                 "-9999.0.\n"),
             qPrintable(result.out));
    QVERIFY(result.out.contains("bus 1 error: Error during call to dm3dtr_ : 3\n"));
    QVERIFY(result.out.endsWith("result: 1 of 1 data sets imported.\n"));
}

void TestHeadlessSurveyImport::verifyAfterTheRun()
{
    const QString report = m_fixture->environment().makeFolder("verify") + "/run.json";
    const Run imported = run(importArguments({"NS Time Full", "NS Depth", "--report", report}));
    QVERIFY2(imported.exitCode == 0, qPrintable(imported.out + imported.err));
    const Run clean = run({"verify", report});
    QVERIFY2(clean.exitCode == 0, qPrintable(clean.out + clean.err));
    QVERIFY(clean.out.contains("checked: NS Time Full: equal\n"));
    QVERIFY(clean.out.endsWith("result: 2 items verified, everything equal.\n"));

    // One value altered afterwards.
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(volumeFolder() + "/NS Depth", &error), qPrintable(error));
    QFile file(volumeFolder() + "/NS Depth");
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(volume.dataOffset + 4 * 1000));
    const float altered = volume.sample(0, 1000 / volume.dimy, 1000 % volume.dimy) * 2.0f + 1.0f;
    file.write(reinterpret_cast<const char*>(&altered), 4);
    file.close();
    const Run changed = run({"verify", report});
    QVERIFY2(changed.exitCode == 1, qPrintable(changed.out + changed.err));
    QVERIFY(changed.out.contains("difference: NS Depth: the file "));
    QVERIFY(changed.out.contains(QStringLiteral("difference: NS Depth: line 100, trace %1, sample %2: ")
                                     .arg(200 + 1000 / volume.dimy).arg(1000 % volume.dimy)));
    QVERIFY(changed.out.endsWith("result: 2 items verified, 2 differences.\n"));

    const Run missing = run({"verify", report + ".missing"});
    QCOMPARE(missing.exitCode, 2);
}

QTEST_MAIN(TestHeadlessSurveyImport)
#include "tst_headlesssurveyimport.moc"
