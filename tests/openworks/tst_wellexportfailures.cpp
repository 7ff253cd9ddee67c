// Every DevKit call of the well export made to fail once: the failing well
// is listed with the call's message, nothing of it stays in OpenWorks (every
// class it writes is counted before and after, and searched for its well
// key), and the other well of the run is exported all the same.

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "owwelllists.h"
#include "wellexportchecks.h"
#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrwellexport.h"
#include "zrwellimport.h"

#include <QJsonArray>
#include <QSet>
#include <QtTest>

#include <cstring>
#include <memory>

namespace
{

constexpr int kFailure = GDI_DATABASE_ERROR;

QString failureText()
{
    return QString::fromLatin1(gdiErrorMessage(kFailure));
}

/// Records of a class whose well key field (at offset 0, or 4 for class
/// 601, or 8 for class 503, or 12 for class 576) equals key.
int recordsOfWell(int classId, int keyOffset, const QString& key)
{
    int count = 0;
    void* list = nullptr;
    if (gdiReadSet(classId, &count, &list) != 0)
        return 0;
    gdiClassInfo_t info;
    gdiGetClassInfo(classId, &info);
    int matching = 0;
    for (int i = 0; i < count; ++i) {
        const char* record = static_cast<const char*>(list) + size_t(i) * size_t(info.recordSize);
        matching += QString::fromLatin1(record + keyOffset, int(strnlen(record + keyOffset, 32))) == key ? 1 : 0;
    }
    gdiFree(list);
    return matching;
}

/// Every record that carries the well key, over the classes the export writes.
int recordsCarrying(const QString& key)
{
    return recordsOfWell(GDI_CLASS_WELL, 0, key) + recordsOfWell(GDI_CLASS_POSITION_LOG, 0, key)
           + recordsOfWell(GDI_CLASS_TIME_DEPTH_TABLE, 4, key) + recordsOfWell(GDI_CLASS_PREFERRED_TIME_DEPTH, 0, key)
           + recordsOfWell(GDI_CLASS_LOG_CURVE, 0, key) + recordsOfWell(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 12, key)
           + recordsOfWell(GDI_CLASS_SURFACE_PICK, 0, key) + recordsOfWell(GDI_CLASS_WELL_LIST_MEMBER, 8, key);
}

} // namespace

class TestWellExportFailures : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void eachCallFailsOnce_data();
    void eachCallFailsOnce();
    void everyAddOfADemoWellFailsOnce();
    void runLevelFailures_data();
    void runLevelFailures();
    void rollbackFails();

private:
    void newProject(const QString& name);
    ZRExchangeContext context(ZRLogDatabase* database, ZRProject* project, ZRTransferReport* report);
    /// Two wells, Alpha and Beta, in the host well set "Pair": each with a
    /// time-depth table holding the trajectory, a log set and a marker.
    ZRLogDatabase* makePair(ZRProject** project);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    std::unique_ptr<ZRScriptedExchangeUi> m_ui;
    std::vector<std::unique_ptr<ZRProject>> m_projects;
    std::vector<std::unique_ptr<ZRLogDatabase>> m_databases;
    ZRProject* m_pairProject = nullptr;
    ZRLogDatabase* m_pair = nullptr;
    ZRProject* m_demoProject = nullptr;
    ZRLogDatabase* m_demo = nullptr;
    int m_projectCount = 0;
};

void TestWellExportFailures::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    m_pair = makePair(&m_pairProject);
    QVERIFY(m_pair);

    // FT-01 of the demo, with everything a well can have.
    QString error;
    QVERIFY2(m_session->openProject(ExchangeFixture::Project, &error), qPrintable(error));
    const QString path = m_fixture->makeHostProject(QStringLiteral("Demo"));
    m_projects.push_back(std::make_unique<ZRProject>(path));
    m_databases.push_back(std::make_unique<ZRLogDatabase>());
    m_demoProject = m_projects.back().get();
    m_demo = m_databases.back().get();
    QVERIFY(m_demo->load(m_demoProject->wellDatabasePath(), "Demo", "Demo", true));
    ZROpenworksWellModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    for (int row = 0; row < catalogue.rowCount(); ++row) {
        const QString label = catalogue.index(row, ZROpenworksWellModel::WellNumberColumn).data().toString();
        if (label == QLatin1String("FT-01") || label == QLatin1String("FT-02"))
            rows.append(row);
    }
    ZRExchangeContext importContext;
    importContext.project = m_demoProject;
    importContext.wellDatabase = m_demo;
    importContext.session = m_session.get();
    importContext.ui = m_ui.get();
    QCOMPARE(importWells(importContext, wellImportItemsFromRows(catalogue, rows)), 2);
}

void TestWellExportFailures::init()
{
    owsim::clearInjections();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
}

void TestWellExportFailures::cleanup()
{
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestWellExportFailures::cleanupTestCase()
{
    m_databases.clear();
    m_session.reset();
}

void TestWellExportFailures::newProject(const QString& name)
{
    std::string error;
    QVERIFY2(owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                                  name.toStdString(), owsim::MeasurementSystem::Metric, &error),
             error.c_str());
    QString openError;
    QVERIFY2(m_session->openProject(name, &openError), qPrintable(openError));
}

ZRExchangeContext TestWellExportFailures::context(ZRLogDatabase* database, ZRProject* project,
                                                   ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = project;
    context.wellDatabase = database;
    context.session = m_session.get();
    context.ui = m_ui.get();
    context.report = report;
    return context;
}

ZRLogDatabase* TestWellExportFailures::makePair(ZRProject** project)
{
    const QString path = m_fixture->makeHostProject(QStringLiteral("Pair"));
    m_projects.push_back(std::make_unique<ZRProject>(path));
    m_databases.push_back(std::make_unique<ZRLogDatabase>());
    ZRLogDatabase* database = m_databases.back().get();
    *project = m_projects.back().get();
    if (!database->load((*project)->wellDatabasePath(), "Pair", "Pair", true))
        return nullptr;
    for (const QString& name : {QStringLiteral("Alpha"), QStringLiteral("Beta")}) {
        ZRWell* well = database->CreateWell(name);
        well->setUwi(name + QStringLiteral("-UWI"));
        well->setX(450000.0);
        well->setY(6780000.0);
        database->addWellToWellSet(well, database->wellSet(QStringLiteral("Pair")));
        ZRRefSet* refSet = database->CreateRefSet(QStringLiteral("Checkshot"), well, 1);
        refSet->setDepth1Type(3);
        auto log = [&](ZRSet* set, const QString& logName, const QString& unit, QVector<double> values) {
            ZRLog* created = database->CreateLog(logName, set, true);
            created->setUnit(unit);
            database->setLogData(created, std::move(values));
        };
        log(refSet, "LogTWTRefset", "Millisecond", {0.0, 500.0, 1000.0});
        log(refSet, "LogMDRefSet", "Meter", {0.0, 600.0, 1300.0});
        log(refSet, "LogTVDXY", "Meter", {0.0, 590.0, 1250.0});
        // Beta's deviations are recorded in feet: its export converts them.
        const QString deviationUnit = name == QLatin1String("Beta") ? QStringLiteral("Foot") : QStringLiteral("Meter");
        log(refSet, "LogDevX", deviationUnit, {0.0, 20.0, 80.0});
        log(refSet, "LogDevY", deviationUnit, {0.0, -5.0, -30.0});
        ZRSet* logs = database->CreateLogSet(QStringLiteral("Logs"), well);
        log(logs, "MD", "Meter", {1000.0, 1000.5, 1001.0, 1001.5});
        log(logs, "GR", "API", {40.0, 55.0, 61.0, 80.0});
        ZRSet* markers = database->CreateMarkerSet(wellimport::MarkerSetName, well);
        ZRLog* names = database->CreateLog("LogNameMarkerSet", markers, true);
        database->setLogData(names, QStringList{"Top A"});
        log(markers, "LogTopMarkerSet", "Meter", {1000.25});
        log(markers, "LogBottomMarkerSet", "Meter", {1010.0});
        if (!database->findMarkerInfo("Top A"))
            database->CreateMarkerInfo("Top A")->setColor("#20a040");
        database->updateMarkerDatabase();
    }
    return database->save() ? database : nullptr;
}

void TestWellExportFailures::eachCallFailsOnce_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("call");
    QTest::addColumn<QString>("well");
    QTest::addColumn<QStringList>("messages");

    const QString text = failureText();
    const QString error = QStringLiteral("OpenWorks® error %1: %2").arg(kFailure).arg(text);
    // Alpha is exported first: in a new project it adds every record of the
    // run's shared classes (log curve list, surface, colour); Beta reads them.
    const auto row = [](const char* name, const QString& function, int call, const QString& well,
                        const QStringList& messages) {
        QTest::newRow(name) << function << call << well << messages;
    };
    row("prjGetActive", "prjGetActive", 1, "Alpha",
        {QStringLiteral("Unable to query the active OpenWorks® project: %1").arg(text)});
    row("gdiCommit before", "gdiCommit", 1, "Alpha",
        {QStringLiteral("Unable to commit before well Alpha: %1").arg(text)});
    row("gdiGetClassInfo", "gdiGetClassInfo", 3, "Alpha",
        {QStringLiteral("Unable to read the class information of class 601: %1").arg(text)});
    row("823 header", "gdiAdd", 1, "Alpha", {QStringLiteral("Unable to create well Alpha: %1").arg(text)});
    row("600 position log", "gdiAdd", 2, "Alpha",
        {QStringLiteral("Error while exporting position log for well: Alpha"), error});
    row("601 table", "gdiAdd", 3, "Alpha",
        {QStringLiteral("Unable to create time depth table for well Alpha: %1").arg(text)});
    row("603 preferred", "gdiAdd", 4, "Alpha", {QStringLiteral("Unable to set preferred TD Curve for well Alpha"), error});
    row("823 total depth", "gdiUpdate", 1, "Alpha", {QStringLiteral("Unable to set total depth"), error});
    row("575 list", "gdiAdd", 5, "Alpha", {QStringLiteral("Unable to create log curve list Logs"), error});
    row("610 versions", "gdiReadSubset", 1, "Alpha",
        {QStringLiteral("Unable to read the log curves named Logs of well Alpha: %1").arg(text)});
    row("610 curve", "gdiAdd", 6, "Alpha", {QStringLiteral("Unable to create log curve Logs_GR: %1").arg(text)});
    row("576 member", "gdiAdd", 7, "Alpha", {QStringLiteral("Unable to create log curve list member: %1").arg(text)});
    row("304 surface", "gdiAdd", 8, "Alpha", {QStringLiteral("Unable to create surface pick Top A: %1").arg(text)});
    row("309 colour", "gdiAdd", 9, "Alpha",
        {QStringLiteral("Unable to create color data for marker Top A: %1").arg(text)});
    row("11 pick", "gdiAdd", 10, "Alpha",
        {QStringLiteral("Unable to create Pick for marker Top A of well Alpha: %1").arg(text)});
    row("503 member", "gdiAdd", 11, "Alpha", {QStringLiteral("Unable to add well: %1").arg(text)});
    row("gdiCommit of the well", "gdiCommit", 2, "Alpha", {QStringLiteral("Unable to commit well: %1").arg(text)});
    row("575 read", "gdiRead", 1, "Beta", {QStringLiteral("Unable to read log curve list Logs"), error});
    row("304 read", "gdiRead", 2, "Beta", {QStringLiteral("Unable to read surface pick Top A: %1").arg(text)});
    row("untConvert", "untConvert", 1, "Beta",
        {QStringLiteral("Unable to convert the trajectory X/Y deviation of well Beta from international feet to "
                        "meters: %1")
             .arg(text)});
}

void TestWellExportFailures::eachCallFailsOnce()
{
    QFETCH(QString, function);
    QFETCH(int, call);
    QFETCH(QString, well);
    QFETCH(QStringList, messages);

    newProject(QStringLiteral("FAIL%1").arg(++m_projectCount));
    QCOMPARE(owwelllists::createWellList(QStringLiteral("Pair"), QStringLiteral("TEST")), 0);
    const QMap<int, int> before = wellExportRecordCounts();
    ZRTransferReport report;
    owsim::injectStatus(function.toStdString(), call, kFailure);
    const int exported = exportWells(context(m_pair, m_pairProject, &report),
                                     {{WellExportSelection::WellSet, m_pair->wellSets().first()->id(), -1}});
    QCOMPARE(owsim::callCount(function.toStdString()) >= call, true);
    owsim::clearInjections();
    QCOMPARE(exported, 1);

    // The failing well's problem: the call's message, then the rollback.
    QCOMPARE(m_ui->wellProblems.size(), 1);
    QCOMPARE(m_ui->wellProblems.first().size(), 1);
    QCOMPARE(m_ui->wellProblems.first().first().first, well);
    QStringList expected = messages;
    // Failures before the header leave nothing to roll back.
    const bool beforeWriting = function == QLatin1String("untConvert") || function == QLatin1String("prjGetActive")
                               || (function == QLatin1String("gdiCommit") && call == 1)
                               || function == QLatin1String("gdiGetClassInfo");
    if (!beforeWriting)
        expected.append(QStringLiteral("Nothing of well %1 was kept in OpenWorks®: its records were rolled back.").arg(well));
    QCOMPARE(m_ui->wellProblems.first().first().second, expected);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages.first().text, QStringLiteral("1 of 2 wells exported."));

    // Nothing of it in OpenWorks; the other well whole, as its report item says.
    QCOMPARE(recordsCarrying(well + QStringLiteral("-UWI")), 0);
    const QString other = well == QLatin1String("Alpha") ? QStringLiteral("Beta") : QStringLiteral("Alpha");
    QCOMPARE(wellKeysOfList(QStringLiteral("Pair")), QStringList{other + QStringLiteral("-UWI")});
    const QMap<int, int> after = wellExportRecordCounts();
    QCOMPARE(report.itemCount(), 2);
    QMap<int, int> expectedCounts = before;
    for (int i = 0; i < report.itemCount(); ++i) {
        const ZRTransferReport::Item& item = report.item(i);
        if (item.sourceName == well) {
            QCOMPARE(item.outcome, ZRTransferReport::Failed);
            QVERIFY(item.target.value("records").toObject().isEmpty());
            continue;
        }
        QCOMPARE(item.outcome, ZRTransferReport::Exported);
        const QJsonObject records = item.target.value("records").toObject();
        for (const QString& classId : records.keys())
            expectedCounts[classId.toInt()] += records.value(classId).toArray().size();
    }
    QCOMPARE(after, expectedCounts);
    // The exported well has all its records.
    OpenWorksWell exportedWell;
    QString error;
    QVERIFY2(readOpenWorksWell(other + QStringLiteral("-UWI"), &exportedWell, &error), qPrintable(error));
    QVERIFY(exportedWell.hasPositionLog);
    QCOMPARE(exportedWell.tables.size(), 1);
    QCOMPARE(exportedWell.curves.size(), 1);
    QCOMPARE(exportedWell.picks.size(), 1);
    QVERIFY(exportedWell.picks.first().hasColour);
    QCOMPARE(exportedWell.picks.first().green, 0xa0);
}

void TestWellExportFailures::everyAddOfADemoWellFailsOnce()
{
    // How many records FT-01 adds, from a run without failure.
    newProject(QStringLiteral("ADDS"));
    QCOMPARE(owwelllists::createWellList(QStringLiteral("Field Tests"), QStringLiteral("TEST")), 0);
    const ZRWell* ft01 = m_demo->findWell(QStringLiteral("FT-01"));
    const ZRWell* ft02 = m_demo->findWell(QStringLiteral("FT-02"));
    QVERIFY(ft01 && ft02 && ft01->id() < ft02->id());
    const QVector<WellExportSelection> selection{{WellExportSelection::Well, ft01->id(), -1},
                                                 {WellExportSelection::Well, ft02->id(), -1}};
    const int addsBefore = owsim::callCount("gdiAdd");
    QCOMPARE(exportWells(context(m_demo, m_demoProject, nullptr), {selection.first()}), 1);
    const int adds = owsim::callCount("gdiAdd") - addsBefore;
    QVERIFY2(adds > 25, qPrintable(QString::number(adds)));

    for (int call = 1; call <= adds; ++call) {
        newProject(QStringLiteral("ADD%1").arg(call));
        m_ui = std::make_unique<ZRScriptedExchangeUi>();
        // The list is made first (by the export map), so count from the wells on.
        QCOMPARE(owwelllists::createWellList(QStringLiteral("Field Tests"), QStringLiteral("TEST")), 0);
        const QMap<int, int> before = wellExportRecordCounts();
        owsim::injectStatus("gdiAdd", call, kFailure);
        QCOMPARE(exportWells(context(m_demo, m_demoProject, nullptr), selection), 1);
        owsim::clearInjections();
        QCOMPARE(m_ui->wellProblems.size(), 1);
        const auto& problem = m_ui->wellProblems.first().first();
        QCOMPARE(problem.first, QStringLiteral("FT-01"));
        QVERIFY2(problem.second.last() == QStringLiteral("Nothing of well FT-01 was kept in OpenWorks®: its records "
                                                         "were rolled back."),
                 qPrintable(problem.second.join("\n")));
        QVERIFY2(problem.second.first().contains(failureText()) || problem.second.value(1).contains(failureText()),
                 qPrintable(QStringLiteral("call %1: %2").arg(call).arg(problem.second.join("\n"))));
        QCOMPARE(recordsCarrying(QStringLiteral("NO 15/9-F-1")), 0);
        QCOMPARE(wellKeysOfList(QStringLiteral("Field Tests")), QStringList{"NO 15/9-F-2"});
        // Only FT-02's records were added: its well, its curves, its picks, ...
        const QMap<int, int> after = wellExportRecordCounts();
        QCOMPARE(after.value(GDI_CLASS_WELL), before.value(GDI_CLASS_WELL) + 1);
        QCOMPARE(after.value(GDI_CLASS_TIME_DEPTH_TABLE), before.value(GDI_CLASS_TIME_DEPTH_TABLE));
        QCOMPARE(after.value(GDI_CLASS_LOG_CURVE), before.value(GDI_CLASS_LOG_CURVE) + 2);
        QCOMPARE(after.value(GDI_CLASS_SURFACE_PICK), before.value(GDI_CLASS_SURFACE_PICK) + 2);
    }
}

void TestWellExportFailures::runLevelFailures_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const QString text = failureText();
    QTest::newRow("first list read") << "gdiReadSet" << 1 << int(ZRExchangeUi::MessageKind::Information) << text;
    QTest::newRow("second list read") << "gdiReadSet" << 2 << int(ZRExchangeUi::MessageKind::Information) << text;
    QTest::newRow("depth unit") << "gdiGetMeasSystemUnitIdForType" << 1 << int(ZRExchangeUi::MessageKind::Critical)
                                << QStringLiteral("Unable to retrieve the units of the OpenWorks® project: %1").arg(text);
    QTest::newRow("unit of meters") << "untGetUnitID" << 1 << int(ZRExchangeUi::MessageKind::Critical)
                                    << QStringLiteral("Unable to retrieve the units of the OpenWorks® project: %1")
                                           .arg(text);
}

void TestWellExportFailures::runLevelFailures()
{
    QFETCH(QString, function);
    QFETCH(int, call);
    QFETCH(int, kind);
    QFETCH(QString, text);
    newProject(QStringLiteral("RUN%1").arg(++m_projectCount));
    const QMap<int, int> before = wellExportRecordCounts();
    owsim::injectStatus(function.toStdString(), call, kFailure);
    ZRTransferReport report;
    QCOMPARE(exportWells(context(m_pair, m_pairProject, &report),
                         {{WellExportSelection::WellSet, m_pair->wellSets().first()->id(), -1}}),
             0);
    owsim::clearInjections();
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(int(m_ui->messages.first().kind), kind);
    QCOMPARE(m_ui->messages.first().title, QStringLiteral("Error"));
    QCOMPARE(m_ui->messages.first().text, text);
    QVERIFY(report.toJson().value("messages").toArray().contains(text));
    // Nothing but the list the map made before the second read.
    QMap<int, int> after = wellExportRecordCounts();
    if (function == QLatin1String("gdiReadSet") && call == 2) {
        QCOMPARE(after.value(GDI_CLASS_WELL_LIST), before.value(GDI_CLASS_WELL_LIST) + 1);
        after[GDI_CLASS_WELL_LIST] = before.value(GDI_CLASS_WELL_LIST);
    }
    QCOMPARE(after, before);
}

void TestWellExportFailures::rollbackFails()
{
    newProject(QStringLiteral("NOROLLBACK"));
    QCOMPARE(owwelllists::createWellList(QStringLiteral("Pair"), QStringLiteral("TEST")), 0);
    // Alpha's curve cannot be added, and no rollback succeeds: the run stops there.
    owsim::injectStatus("gdiAdd", 6, kFailure);
    owsim::injectStatus("gdiRollback", 1, kFailure, true);
    QCOMPARE(exportWells(context(m_pair, m_pairProject, nullptr),
                         {{WellExportSelection::WellSet, m_pair->wellSets().first()->id(), -1}}),
             0);
    owsim::clearInjections();
    QCOMPARE(m_ui->wellProblems.size(), 1);
    QCOMPARE(m_ui->wellProblems.first().size(), 1);
    QCOMPARE(m_ui->wellProblems.first().first().second.last(),
             QStringLiteral("The records of well Alpha could not be rolled back: %1").arg(failureText()));
    QCOMPARE(m_ui->messages.size(), 2);
    QCOMPARE(int(m_ui->messages.first().kind), int(ZRExchangeUi::MessageKind::Critical));
    QVERIFY(m_ui->messages.first().text.startsWith(QStringLiteral("The OpenWorks® transaction could not be rolled back")));
    QCOMPARE(m_ui->messages.last().text, QStringLiteral("0 of 2 wells exported."));
    // Beta was not tried; the transaction is still open and goes now.
    QCOMPARE(recordsOfWell(GDI_CLASS_WELL, 0, QStringLiteral("Beta-UWI")), 0);
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(recordsCarrying(QStringLiteral("Alpha-UWI")), 0);
}

QTEST_MAIN(TestWellExportFailures)
#include "tst_wellexportfailures.moc"
