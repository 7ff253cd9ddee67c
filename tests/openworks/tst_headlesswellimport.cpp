// owdatalink-headless import-wells run as a child process on the seeded demo:
// wells by name, UWI, common name and well list, the problems printed per
// well, the exit codes, dry runs and the run report.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "wellimportchecks.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QCryptographicHash>
#include <QDir>
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
    QString err;
};

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

const QString kNameTaken = QStringLiteral("A well with this name already exists in the current Velostrat project");
} // namespace

class TestHeadlessWellImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void importsWellsByNameUwiAndList();
    void nameTakenAndUnknownNames();
    void dryRun();
    void failingRead();
    void usageErrors_data();
    void usageErrors();
    void listedInTheCommands();

private:
    Run run(const QStringList& arguments, const QString& inject = QString());
    QStringList importArguments(const QString& hostProject, const QStringList& more) const;
    QString newHostProject();
    QString wellKeyOf(const QString& label) const;
    void compareImported(const QString& label, const QString& list, const QString& folder);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    std::unique_ptr<ZROpenworksWellModel> m_wells;
    int m_projects = 0;
};

void TestHeadlessWellImport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(QFileInfo(TestEnvironment::binaryPath() + "/owdatalink-headless").isExecutable());
    // The test reads OpenWorks itself, independently of the child processes.
    m_session = std::make_unique<ZROpenworksSession>();
    QString error;
    QVERIFY2(m_session->start(&error), qPrintable(error));
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    m_wells = std::make_unique<ZROpenworksWellModel>();
    m_wells->loadFromOpenworks(-1);
    QVERIFY(m_wells->rowCount() > 0);
}

void TestHeadlessWellImport::cleanupTestCase()
{
    m_wells.reset();
    m_session.reset();
}

Run TestHeadlessWellImport::run(const QStringList& arguments, const QString& inject)
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

QStringList TestHeadlessWellImport::importArguments(const QString& hostProject, const QStringList& more) const
{
    return QStringList{"import-wells", "--host-project", hostProject, "--district", ExchangeFixture::District,
                       "--project", ExchangeFixture::Project}
           + more;
}

QString TestHeadlessWellImport::newHostProject()
{
    return m_fixture->makeHostProject(QStringLiteral("Headless%1").arg(++m_projects));
}

QString TestHeadlessWellImport::wellKeyOf(const QString& label) const
{
    for (int row = 0; row < m_wells->rowCount(); ++row)
        if (m_wells->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString() == label)
            return m_wells->index(row, ZROpenworksWellModel::WellKeyColumn).data().toString();
    return QString();
}

void TestHeadlessWellImport::compareImported(const QString& label, const QString& list, const QString& folder)
{
    OpenWorksWell openWorks;
    QString error;
    QVERIFY2(readOpenWorksWell(wellKeyOf(label), &openWorks, &error), qPrintable(error));
    HostWellDatabase host;
    QVERIFY2(host.load(folder, &error), qPrintable(error));
    const QString difference = compareWell(openWorks, host, list, ExpectedUnits());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestHeadlessWellImport::importsWellsByNameUwiAndList()
{
    const QString host = newHostProject();
    const QString reportPath = m_fixture->environment().makeFolder("reports") + "/wells.json";
    // FT-01 named and listed: imported once, in the set of its list.
    const Run result = run(importArguments(host, {"--well-list", "Field Tests", "--report", reportPath, "FT-01",
                                                  "NO 15/9-A-02", "North Sea 03"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QVERIFY2(result.out.contains("result: 5 of 5 wells imported."), qPrintable(result.out));
    QVERIFY2(result.out.contains("well problems \"FT-02\":\n      No time depth tables found, therefore no TTD Laws "
                                 "have been created for this well.\n      No Position Log found, vertical trajectory "
                                 "created from MD information."),
             qPrintable(result.out));
    QVERIFY2(result.out.contains("well problems \"FT-03\":\n      Unable to convert the times of Time-Depth table (Old "
                                 "VSP) from \"\" to milliseconds: "),
             qPrintable(result.out));
    QVERIFY(!result.out.contains("box information"));

    const QString folder = ZRProject(host).wellDatabasePath();
    compareImported("FT-01", "Field Tests", folder);
    compareImported("FT-02", "Field Tests", folder);
    compareImported("FT-03", "Field Tests", folder);
    compareImported("NS-02", "Exploration", folder);
    compareImported("NS-03", "Exploration", folder);

    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(reportPath, &report, &error), qPrintable(error));
    QCOMPARE(report.value("exchange").toString(), QStringLiteral("import-wells"));
    QCOMPARE(report.value("requested").toInt(), 5);
    QCOMPARE(report.value("transferred").toInt(), 5);
    const QJsonArray items = report.value("items").toArray();
    QCOMPARE(items.size(), 5);
    for (const QJsonValue& value : items) {
        const QJsonObject item = value.toObject();
        QCOMPARE(item.value("outcome").toString(), QStringLiteral("imported"));
        QVERIFY(!item.value("source").toObject().value("wellKey").toString().isEmpty());
        QVERIFY(item.value("target").toObject().value("wellId").toInt() > 0);
        int logFiles = 0;
        for (const QJsonValue& fileValue : item.value("files").toArray()) {
            const QJsonObject file = fileValue.toObject();
            const QString path = file.value("path").toString();
            if (!QFileInfo(path).fileName().startsWith("LOGDATA_"))
                continue;
            ++logFiles;
            QFile data(path);
            QVERIFY(data.open(QIODevice::ReadOnly));
            QCOMPARE(file.value("sha256").toString(),
                     QString::fromLatin1(QCryptographicHash::hash(data.readAll(), QCryptographicHash::Sha256).toHex()));
        }
        QVERIFY(logFiles > 0);
    }
}

void TestHeadlessWellImport::nameTakenAndUnknownNames()
{
    const QString host = newHostProject();
    QCOMPARE(run(importArguments(host, {"FT-01"})).exitCode, 0);
    const Run again = run(importArguments(host, {"FT-01", "NOPE"}));
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.out.contains("well problems \"FT-01\":\n      " + kNameTaken), qPrintable(again.out));
    QVERIFY2(again.out.contains("error: no well \"NOPE\" in project DEMO."), qPrintable(again.out));
    QVERIFY2(again.out.contains("box information \"OpenWorks® Data Link\": 0 of 1 wells imported."),
             qPrintable(again.out));
    QVERIFY2(again.out.contains("result: 0 of 2 wells imported."), qPrintable(again.out));
    const Run noList = run(importArguments(host, {"--well-list", "No Such List"}));
    QCOMPARE(noList.exitCode, 1);
    QVERIFY2(noList.out.contains("error: no well list \"No Such List\" with wells in project DEMO."),
             qPrintable(noList.out));
}

void TestHeadlessWellImport::dryRun()
{
    const QString host = newHostProject();
    const QString folder = ZRProject(host).wellDatabasePath();
    const QMap<QString, QByteArray> before = snapshot(folder);
    const Run result = run(importArguments(host, {"--dry-run", "FT-02", "NS-30"}));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QCOMPARE(snapshot(folder), before);
    QVERIFY2(result.out.contains(QStringLiteral("plan: well FT-02 -> %1 (well \"FT-02\") [create, planned]")
                                     .arg(QDir::toNativeSeparators(folder))),
             qPrintable(result.out));
    QVERIFY2(result.out.contains("      message: No Position Log found, vertical trajectory created from MD information."),
             qPrintable(result.out));
    QVERIFY2(result.out.contains("      trajectoryStations: 2"), qPrintable(result.out));
    QVERIFY2(result.out.contains("result: 2 of 2 wells imported (dry run: nothing written)."), qPrintable(result.out));
    QVERIFY(!result.out.contains("well problems"));
}

void TestHeadlessWellImport::failingRead()
{
    const QString host = newHostProject();
    const QString folder = ZRProject(host).wellDatabasePath();
    const QMap<QString, QByteArray> before = snapshot(folder);
    // The catalogue reads no vectors: the 8th vector read is FT-01's position log
    // (after its 2 time-depth tables and 5 log curves).
    const Run result = run(importArguments(host, {"FT-01"}), "gdiReadVector:8=277600008");
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.out.contains("well problems \"FT-01\":\n      Unable to read vector for position log: "),
             qPrintable(result.out));
    QCOMPARE(snapshot(folder), before);
}

void TestHeadlessWellImport::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("no wells") << QStringList{"import-wells", "--host-project", "x", "--project", "DEMO"}
                              << "error: name at least one well or one --well-list.";
    QTest::newRow("no host project") << QStringList{"import-wells", "--project", "DEMO", "FT-01"}
                                     << "error: --host-project and --project are required.";
    QTest::newRow("unknown option") << QStringList{"import-wells", "--host-project", "x", "--project", "DEMO",
                                                   "--on-conflict", "skip", "FT-01"}
                                    << "error: Unknown option 'on-conflict'.";
}

void TestHeadlessWellImport::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.out.contains(error), qPrintable(result.out));
}

void TestHeadlessWellImport::listedInTheCommands()
{
    const Run result = run({"help"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains("import-wells"), qPrintable(result.out));
    const Run help = run({"help", "import-wells"});
    QVERIFY2(help.out.contains("--well-list"), qPrintable(help.out));
}

QTEST_GUILESS_MAIN(TestHeadlessWellImport)
#include "tst_headlesswellimport.moc"
