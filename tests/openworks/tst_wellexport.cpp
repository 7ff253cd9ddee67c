// Well export through the exchange core. Wells imported from the seeded demo
// are exported into other OpenWorks projects (metric and feet) and imported
// again into fresh host projects: what comes back must equal what went out
// through the exact unit factors, apart from the losses the export has by
// design (wellexportchecks.h lists them). The OpenWorks side is read through
// the DevKit calls alone; the host side from the well database's files.
// Also: the export map and its well lists, the association question, the
// header's fields, the run report and the dry run.

#include "exchangefixture.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "owwelllists.h"
#include "recordinglogger.h"
#include "wellexportchecks.h"
#include "zreventbus.h"
#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrprojectbrowsermodel.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrwellexport.h"
#include "zrwellexportdata.h"
#include "zrwellimport.h"
#include "unittable.h"

#include <QJsonArray>
#include <QSet>
#include <QtTest>

#include <cstring>
#include <memory>

namespace
{

template <size_t N>
QString text(const char (&field)[N])
{
    return QString::fromLatin1(field, int(strnlen(field, N)));
}

/// The wells the tests import from the demo (one row per well): deviated and
/// vertical ones, tables in ms and s, MD, TVDBTDD and TVDSS tables, logs in
/// lists and alone, picks with and without colours, a well without anything.
const QStringList kDemoWells = {"FT-01", "FT-02", "FT-03", "NS-01", "NS-02", "NS-03", "NS-05", "NS-12", "NS-16",
                                "NS-30"};

} // namespace

class TestWellExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void roundTrip();
    void roundTripThroughAFeetProject();
    void listMembershipAndListsCreatedOnce();
    void wellsPutAside();
    void wellsPutAsideCancelled();
    void selectionFromHostTree();
    void headerFields();
    void statusTexts_data();
    void statusTexts();
    void reportOfAnExport();
    void dryRunWritesNothing();
    void wellOfThatKeyExists();
    void hostGaps();

private:
    /// A new OpenWorks project of the demo district, opened.
    void newProject(const QString& name, owsim::MeasurementSystem system = owsim::MeasurementSystem::Metric);
    void openProject(const QString& name);
    /// A new host project with an empty well database.
    ZRLogDatabase* newHost(const QString& name, ZRProject** project);
    /// Imports every well of the open project (one row per well; only the
    /// given labels when not empty) into a new host project.
    ZRLogDatabase* importInto(const QString& hostName, const QStringList& labels, ZRProject** project);
    ZRExchangeContext context(ZRProject* project, ZRLogDatabase* database, ZRTransferReport* report = nullptr);
    /// Every well of a database selected on its own (no parent item).
    QVector<WellExportSelection> allWells(const ZRLogDatabase& database) const;
    QStringList busMessages();

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<ZROpenworksSession> m_session;
    std::unique_ptr<ZRScriptedExchangeUi> m_ui;
    std::vector<std::unique_ptr<ZRProject>> m_projects;
    std::vector<std::unique_ptr<ZRLogDatabase>> m_databases;
    ZRProject* m_firstProject = nullptr;
    ZRLogDatabase* m_first = nullptr;
    std::shared_ptr<RecordingLogger> m_recorder;
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
};

void TestWellExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_session = std::make_unique<ZROpenworksSession>();
    QVERIFY(m_session->start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    openProject(ExchangeFixture::Project);
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    m_first = importInto(QStringLiteral("First"), kDemoWells, &m_firstProject);
    QVERIFY(m_first);
    QCOMPARE(m_first->wells().size(), kDemoWells.size());
}

void TestWellExport::init()
{
    owsim::clearInjections();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    m_recorder = std::make_shared<RecordingLogger>();
    m_manager = std::make_unique<MessageManager>();
    m_manager->addLogger(m_recorder);
    QVERIFY(m_manager->startListen());
    m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
    m_bus->setMutex(m_manager->getMutex());
}

void TestWellExport::cleanup()
{
    m_bus.reset();
    m_manager.reset();
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestWellExport::cleanupTestCase()
{
    m_databases.clear();
    m_session.reset();
}

QStringList TestWellExport::busMessages()
{
    m_bus.reset();
    m_manager.reset();
    return m_recorder->snapshot();
}

void TestWellExport::newProject(const QString& name, owsim::MeasurementSystem system)
{
    std::string error;
    QVERIFY2(owsim::createProject(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                                  name.toStdString(), system, &error),
             error.c_str());
    openProject(name);
}

void TestWellExport::openProject(const QString& name)
{
    QString error;
    QVERIFY2(m_session->openProject(name, &error), qPrintable(error));
}

ZRLogDatabase* TestWellExport::newHost(const QString& name, ZRProject** project)
{
    const QString path = m_fixture->makeHostProject(name);
    if (path.isEmpty())
        return nullptr;
    m_projects.push_back(std::make_unique<ZRProject>(path));
    m_databases.push_back(std::make_unique<ZRLogDatabase>());
    if (!m_databases.back()->load(m_projects.back()->wellDatabasePath(), name, name, true))
        return nullptr;
    *project = m_projects.back().get();
    return m_databases.back().get();
}

ZRLogDatabase* TestWellExport::importInto(const QString& hostName, const QStringList& labels, ZRProject** project)
{
    ZRLogDatabase* database = newHost(hostName, project);
    if (!database)
        return nullptr;
    ZROpenworksWellModel catalogue;
    {
        ZRProgressBarGuard reading(1, "Reading OpenWorks® Data");
        catalogue.loadFromOpenworks(reading.id());
    }
    catalogue.refresh();
    QVector<int> rows;
    QSet<QString> keys;
    for (int row = 0; row < catalogue.rowCount(); ++row) {
        const QString label = catalogue.index(row, ZROpenworksWellModel::WellNumberColumn).data().toString();
        const QString key = catalogue.index(row, ZROpenworksWellModel::WellKeyColumn).data().toString();
        if ((!labels.isEmpty() && !labels.contains(label)) || keys.contains(key))
            continue;
        keys.insert(key);
        rows.append(row);
    }
    const QVector<WellImportItem> items = wellImportItemsFromRows(catalogue, rows);
    if (importWells(context(*project, database), items) != items.size())
        qWarning("not every well was imported into %s", qPrintable(hostName));
    return database;
}

ZRExchangeContext TestWellExport::context(ZRProject* project, ZRLogDatabase* database, ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = project;
    context.wellDatabase = database;
    context.session = m_session.get();
    context.ui = m_ui.get();
    context.report = report;
    return context;
}

QVector<WellExportSelection> TestWellExport::allWells(const ZRLogDatabase& database) const
{
    QVector<WellExportSelection> selection;
    for (const ZRWell* well : database.wells())
        selection.append(WellExportSelection{WellExportSelection::Well, well->id(), -1});
    return selection;
}

void TestWellExport::roundTrip()
{
    newProject(QStringLiteral("ROUNDTRIP"));
    const QMap<int, int> before = wellExportRecordCounts();
    QCOMPARE(before.value(GDI_CLASS_WELL), 0);
    ZRTransferReport report;
    QCOMPARE(exportWells(context(m_firstProject, m_first, &report), allWells(*m_first)), kDemoWells.size());

    // The one problem: FT-03's table along TVDSS has no depth type OpenWorks takes back.
    QCOMPARE(m_ui->wellProblems.size(), 1);
    const WellProblemList expected{
        {QStringLiteral("FT-03"),
         {QStringLiteral("Unable to find Depth Log for well FT-03 while exporting Time-Depth Relationship Checkshot")}}};
    QCOMPARE(m_ui->wellProblems.first(), expected);
    QVERIFY(m_ui->messages.isEmpty());
    for (int i = 0; i < report.itemCount(); ++i)
        QCOMPARE(report.item(i).outcome, ZRTransferReport::Exported);

    // Each well is in the list of its host well set, a new list of this project.
    QMap<QString, HostWellSnapshot> first;
    QString error;
    QVERIFY2(readHostWells(m_firstProject->wellDatabasePath(), &first, &error), qPrintable(error));
    QMap<QString, QStringList> expectedMembers;
    for (const HostWellSnapshot& well : first) {
        QCOMPARE(well.wellSets.size(), 1);
        expectedMembers[well.wellSets.first()].append(well.uwi);
    }
    for (auto it = expectedMembers.begin(); it != expectedMembers.end(); ++it) {
        QCOMPARE(countOfListsNamed(it.key()), 1);
        QStringList members = wellKeysOfList(it.key());
        members.sort();
        it.value().sort();
        QCOMPARE(members, it.value());
    }

    // Imported again into a fresh host project: equal to the first import.
    ZRProject* secondProject = nullptr;
    ZRLogDatabase* second = importInto(QStringLiteral("Second"), {}, &secondProject);
    QVERIFY(second);
    QMap<QString, HostWellSnapshot> back;
    QVERIFY2(readHostWells(secondProject->wellDatabasePath(), &back, &error), qPrintable(error));
    QCOMPARE(back.keys(), first.keys());
    for (const HostWellSnapshot& well : first) {
        const QString difference = compareRoundTrip(well, back.value(well.name), RoundTripUnits());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(back.value(well.name).wellSets, well.wellSets);
    }
    // The losses, explicitly: FT-01's logs are named after their sets, FT-02
    // had a "DF" elevation, FT-03's TVDSS table stayed behind.
    const HostWellSnapshot& ft01 = back.value("FT-01");
    QVERIFY(ft01.set("Sonic"));
    for (const HostWellSnapshot::Log* log : ft01.set("Sonic")->curves())
        QCOMPARE(log->name, QStringLiteral("Sonic"));
    QVERIFY(first.value("FT-02").kb > 30.0);
    QCOMPARE(back.value("FT-02").kb, 0.0);
    QVERIFY(first.value("FT-03").set("Checkshot"));
    QVERIFY(!back.value("FT-03").set("Checkshot"));
    QCOMPARE(back.value("FT-03").trajectorySet()->name, QStringLiteral("TZ_Deviation"));
}

void TestWellExport::roundTripThroughAFeetProject()
{
    newProject(QStringLiteral("FEETTRIP"), owsim::MeasurementSystem::Feet);
    ZRTransferReport report;
    QCOMPARE(exportWells(context(m_firstProject, m_first, &report), allWells(*m_first)), kDemoWells.size());

    // Depths and deviations went into feet; the report has the DevKit's factors.
    const double metreInFeet = 1.0 / 0.3048;
    bool checked = false;
    for (int i = 0; i < report.itemCount(); ++i) {
        for (const QJsonValue& value : report.item(i).units) {
            const QJsonObject unit = value.toObject();
            if (unit.value("quantity").toString() != QLatin1String("trajectory TVD"))
                continue;
            checked = true;
            QCOMPARE(unit.value("fromUnitId").toInt(), 1);
            QCOMPARE(unit.value("toUnitId").toInt(), 2);
            QVERIFY(qFuzzyCompare(unit.value("factor").toDouble(), metreInFeet));
            QCOMPARE(unit.value("hostUnit").toString(), QStringLiteral("Meter"));
        }
    }
    QVERIFY(checked);
    OpenWorksWell ft01;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("NO 15/9-F-1"), &ft01, &error), qPrintable(error));
    QCOMPARE(text(ft01.header.depthUnit), QStringLiteral("feet"));

    ZRProject* secondProject = nullptr;
    ZRLogDatabase* second = importInto(QStringLiteral("SecondFeet"), {}, &secondProject);
    QVERIFY(second);
    QMap<QString, HostWellSnapshot> first;
    QMap<QString, HostWellSnapshot> back;
    QVERIFY2(readHostWells(m_firstProject->wellDatabasePath(), &first, &error), qPrintable(error));
    QVERIFY2(readHostWells(secondProject->wellDatabasePath(), &back, &error), qPrintable(error));
    RoundTripUnits units;
    units.depthFactor = metreInFeet;
    units.deviationFactor = metreInFeet;
    units.xyFactor = 1.0;
    for (const HostWellSnapshot& well : first) {
        const QString difference = compareRoundTrip(well, back.value(well.name), units);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
    QCOMPARE(back.value("FT-01").set("Checkshot")->log("LogMDRefSet")->unit, QStringLiteral("Foot"));
}

void TestWellExport::listMembershipAndListsCreatedOnce()
{
    newProject(QStringLiteral("LISTS"));
    // "Exploration" selected as a set and through two of its wells under it.
    const ZRWellSet* exploration = nullptr;
    for (const ZRWellSet* set : m_first->wellSets())
        if (set->name() == QLatin1String("Exploration"))
            exploration = set;
    QVERIFY(exploration);
    QVERIFY(exploration->wells().size() >= 3);
    QVector<WellExportSelection> selection;
    selection.append({WellExportSelection::Well, exploration->wells()[0]->id(), exploration->id()});
    selection.append({WellExportSelection::WellSet, exploration->id(), -1});
    selection.append({WellExportSelection::Well, exploration->wells()[1]->id(), exploration->id()});
    const int addsBefore = owsim::callCount("gdiAdd");
    const int listsBefore = recordCount(GDI_CLASS_WELL_LIST);
    ZRTransferReport report;
    QCOMPARE(exportWells(context(m_firstProject, m_first, &report), selection), exploration->wells().size());
    QCOMPARE(recordCount(GDI_CLASS_WELL_LIST), listsBefore + 1);
    QCOMPARE(countOfListsNamed("Exploration"), 1);
    QVERIFY(owsim::callCount("gdiAdd") > addsBefore);
    QStringList expected;
    for (const ZRWell* well : exploration->wells())
        expected.append(openWorksWellIdentifier(well->uwi(), well->name()));
    QStringList members = wellKeysOfList("Exploration");
    members.sort();
    expected.sort();
    QCOMPARE(members, expected);
    // The list's interpreter is the export's, and so is every record's.
    QVector<gdiWellList_t> lists;
    owwelllists::readWellLists(&lists);
    const gdiWellList_t* list = owwelllists::findWellList(lists, "Exploration");
    QVERIFY(list);
    QCOMPARE(text(list->interpreter), QStringLiteral("UNKN"));
    QCOMPARE(text(list->listType), QStringLiteral("WELL_LIST"));
    OpenWorksWell well;
    QString error;
    QVERIFY2(readOpenWorksWell(expected.first(), &well, &error), qPrintable(error));
    QCOMPARE(text(well.header.interpreter), QStringLiteral("UNKN"));

    QVERIFY(report.toJson().value("messages").toArray().contains(QStringLiteral("Well list Exploration created.")));

    // A second export of that set finds the list: none is created.
    const int listCount = recordCount(GDI_CLASS_WELL_LIST);
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    QCOMPARE(exportWells(context(m_firstProject, m_first), {{WellExportSelection::WellSet, exploration->id(), -1}}), 0);
    QCOMPARE(recordCount(GDI_CLASS_WELL_LIST), listCount);
    QCOMPARE(m_ui->wellProblems.size(), 1);
}

void TestWellExport::wellsPutAside()
{
    newProject(QStringLiteral("ASIDE"));
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHost(QStringLiteral("Aside"), &project);
    QVERIFY(database);
    ZRWell* alone = database->CreateWell(QStringLiteral("Alone"));
    ZRWell* twice = database->CreateWell(QStringLiteral("Twice"));
    ZRWell* under = database->CreateWell(QStringLiteral("Under"));
    QVERIFY(alone && twice && under);
    database->addWellToWellSet(twice, database->wellSet(QStringLiteral("Set A")));
    database->addWellToWellSet(twice, database->wellSet(QStringLiteral("Set B")));
    database->addWellToWellSet(under, database->wellSet(QStringLiteral("Set A")));
    database->addWellToWellSet(under, database->wellSet(QStringLiteral("Set B")));
    QVERIFY(database->save());
    int setB = -1;
    for (const ZRWellSet* set : database->wellSets())
        if (set->name() == QLatin1String("Set B"))
            setB = set->id();

    // The list the user makes in the dialog, then the answer.
    QCOMPARE(owwelllists::createWellList(QStringLiteral("Round Up"), QStringLiteral("JDOE")), 0);
    m_ui->wellListAnswers.enqueue({{alone->id(), QStringLiteral("Round Up")}, {twice->id(), QStringLiteral("Round Up")}});
    const QVector<WellExportSelection> selection{{WellExportSelection::Well, alone->id(), -1},
                                                 {WellExportSelection::Well, twice->id(), -1},
                                                 {WellExportSelection::Well, under->id(), setB}};
    const WellExportMap map = buildWellExportMap(*database, selection, {QStringLiteral("Round Up")});
    QCOMPARE(map.putAside, (QVector<int>{alone->id(), twice->id()}));
    QCOMPARE(map.lists, (QMap<int, QString>{{under->id(), QStringLiteral("Set B")}}));
    QCOMPARE(map.listsToCreate, (QStringList{"Set A", "Set B"}));

    int requested = 0;
    QCOMPARE(exportWells(context(project, database), selection, &requested), 3);
    QCOMPARE(requested, 3);
    QCOMPARE(wellKeysOfList("Round Up"), (QStringList{"Alone", "Twice"}));
    QCOMPARE(wellKeysOfList("Set B"), QStringList{"Under"});
    QCOMPARE(wellKeysOfList("Set A"), QStringList());
    QCOMPARE(countOfListsNamed("Set A"), 1);
    // The records of a well joining "Round Up" carry its interpreter.
    OpenWorksWell well;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("Alone"), &well, &error), qPrintable(error));
    QCOMPARE(text(well.header.interpreter), QStringLiteral("JDOE"));
}

void TestWellExport::wellsPutAsideCancelled()
{
    newProject(QStringLiteral("CANCELLED"));
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHost(QStringLiteral("Cancelled"), &project);
    QVERIFY(database);
    ZRWell* alone = database->CreateWell(QStringLiteral("Alone"));
    ZRWell* member = database->CreateWell(QStringLiteral("Member"));
    database->addWellToWellSet(member, database->wellSet(QStringLiteral("Only Set")));
    QVERIFY(database->save());
    ZRTransferReport report;
    int requested = 0;
    // No answer queued: the question is declined.
    QCOMPARE(exportWells(context(project, database, &report),
                         {{WellExportSelection::Well, alone->id(), -1}, {WellExportSelection::Well, member->id(), -1}},
                         &requested),
             1);
    QCOMPARE(requested, 2);
    QCOMPARE(recordCount(GDI_CLASS_WELL), 1);
    QCOMPARE(wellKeysOfList("Only Set"), QStringList{"Member"});
    QCOMPARE(report.itemCount(), 2);
    QCOMPARE(report.item(0).sourceName, QStringLiteral("Alone"));
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Skipped);
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Exported);
    // Every well of the map was exported: no count box.
    QVERIFY(m_ui->messages.isEmpty());
}

void TestWellExport::selectionFromHostTree()
{
    ZRProjectBrowserModel tree;
    tree.setWellDatabase(m_first);
    tree.setProject(*m_firstProject);
    const QModelIndex category = tree.categoryIndex(QStringLiteral("Well"));
    QVERIFY(category.isValid());
    QModelIndex setItem;
    QModelIndex wellUnderSet;
    for (int row = 0; row < tree.rowCount(category); ++row) {
        const QModelIndex item = tree.index(row, 0, category);
        if (item.data(ZRProjectBrowserModel::WellItemTypeRole).toInt() == ZRProjectBrowserModel::WellSetItem
            && item.data(Qt::DisplayRole).toString() == QLatin1String("Field Tests")) {
            setItem = item;
            wellUnderSet = tree.index(0, 0, item);
        }
    }
    QVERIFY(setItem.isValid() && wellUnderSet.isValid());
    const QVector<WellExportSelection> selection =
        wellExportSelectionFromItems({category, setItem, wellUnderSet, setItem, QModelIndex()});
    QCOMPARE(selection.size(), 2);
    QCOMPARE(int(selection[0].kind), int(WellExportSelection::WellSet));
    QCOMPARE(selection[0].id, setItem.data(ZRProjectBrowserModel::IdRole).toInt());
    QCOMPARE(int(selection[1].kind), int(WellExportSelection::Well));
    QCOMPARE(selection[1].id, wellUnderSet.data(ZRProjectBrowserModel::IdRole).toInt());
    QCOMPARE(selection[1].parentWellSetId, selection[0].id);
}

void TestWellExport::headerFields()
{
    newProject(QStringLiteral("HEADERS"));
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHost(QStringLiteral("Headers"), &project);
    QVERIFY(database);
    ZRWell* eleven = database->CreateWell(QStringLiteral("ABCDEFGHIJK"));
    ZRWell* twelve = database->CreateWell(QStringLiteral("ABCDEFGHIJKL"));
    QVERIFY(eleven && twelve);
    twelve->setUwi(QStringLiteral("UWI-12"));
    twelve->setX(453100.3);
    twelve->setY(6782900.5);
    twelve->setKb(25.5);
    twelve->setKbUnit(Meter);
    twelve->setStatus(5);
    eleven->setStatus(40);
    for (ZRWell* well : {eleven, twelve})
        database->addWellToWellSet(well, database->wellSet(QStringLiteral("Headers")));
    QVERIFY(database->save());
    QCOMPARE(exportWells(context(project, database), allWells(*database)), 2);

    // The 12-character name is announced with its first 11 characters; the 11-character one is not.
    const QStringList bus = busMessages();
    QVERIFY2(bus.contains(QStringLiteral("0|The name of well ABCDEFGHIJKL is too long for OpenWorks®. It will be "
                                         "truncated to: ABCDEFGHIJK")),
             qPrintable(bus.join("\n")));
    for (const QString& message : bus)
        QVERIFY2(!message.contains(QStringLiteral("well ABCDEFGHIJK is too long")), qPrintable(message));

    // Without UWI the name is the identifier; every field of the header.
    OpenWorksWell eleventh;
    OpenWorksWell twelfth;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("ABCDEFGHIJK"), &eleventh, &error), qPrintable(error));
    QVERIFY2(readOpenWorksWell(QStringLiteral("UWI-12"), &twelfth, &error), qPrintable(error));
    QCOMPARE(text(eleventh.header.uwi), QStringLiteral("ABCDEFGHIJK"));
    QCOMPARE(text(twelfth.header.uwi), QStringLiteral("UWI-12"));
    QCOMPARE(text(twelfth.header.wellName), QStringLiteral("ABCDEFGHIJKL"));
    QCOMPARE(text(twelfth.header.commonWellName), QStringLiteral("ABCDEFGHIJKL"));
    QCOMPARE(text(twelfth.header.wellNumber), QStringLiteral("ABCDEFGHIJ"));
    QCOMPARE(twelfth.header.x, double(float(453100.3)));
    QVERIFY(twelfth.header.x != 453100.3);
    QCOMPARE(twelfth.header.y, double(float(6782900.5)));
    QCOMPARE(text(twelfth.header.elevationRef), QStringLiteral("KB"));
    QCOMPARE(twelfth.header.elevation, 25.5f);
    QCOMPARE(text(twelfth.header.status), QStringLiteral("DRY HOLE"));
    QCOMPARE(text(eleventh.header.status), QStringLiteral("UNKNOWN"));
    QCOMPARE(text(twelfth.header.depthUnit), QStringLiteral("meters"));
    QCOMPARE(text(twelfth.header.interpreter), QStringLiteral("UNKN"));
    QCOMPARE(twelfth.header.totalDepth, 0.0f);
}

void TestWellExport::statusTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("status");
    const QVector<QPair<int, QString>> rows = {
        {0, "UNKNOWN"},          {1, "LOCATION"},           {2, "DRY HOLE"},
        {3, "DRY HOLE W/ GAS SHOW"}, {4, "DRY HOLE W/ OIL SHOW"}, {5, "DRY HOLE"},
        {6, "OIL"},              {7, "OIL"},                {8, "GAS"},
        {9, "GAS"},              {10, "OIL & GAS"},         {11, "GAS W/ OIL SHOW"},
        {12, "OIL W/ GAS SHOW"}, {13, "CONDENSATE"},        {14, "INJECTOR - DRILLED"},
        {17, "INJECTOR - DRILLED"}, {18, "UNKNOWN"},        {21, "UNKNOWN"},
        {22, "ABANDONED"},       {23, "UNKNOWN"},           {26, "UNKNOWN"},
        {27, "PLUGGED OIL"},     {28, "PLUGGED OIL"},       {29, "PLUGGED GAS"},
        {30, "PLUGGED GAS"},     {31, "PLUGGED OIL & GAS"}, {32, "PLUGGED GAS W/ OIL SHOW"},
        {33, "PLUGGED OIL W/ GAS SHOW"}, {34, "SHUT-IN CONDENSATE"}, {35, "UNKNOWN"},
        {43, "UNKNOWN"},         {44, "UNKNOWN"},           {-1, "UNKNOWN"}};
    for (const auto& row : rows)
        QTest::newRow(qPrintable(QString::number(row.first))) << row.first << row.second;
}

void TestWellExport::statusTexts()
{
    QFETCH(int, code);
    QFETCH(QString, status);
    QCOMPARE(openWorksWellStatus(code), status);
}

void TestWellExport::reportOfAnExport()
{
    newProject(QStringLiteral("REPORTED"));
    ZRTransferReport report;
    const ZRWell* ft01 = m_first->findWell(QStringLiteral("FT-01"));
    QVERIFY(ft01);
    QCOMPARE(exportWells(context(m_firstProject, m_first, &report), {{WellExportSelection::Well, ft01->id(), -1}}), 1);
    QCOMPARE(report.itemCount(), 1);
    const ZRTransferReport::Item& item = report.item(0);
    QCOMPARE(item.sourceSystem, QStringLiteral("Velostrat"));
    QCOMPARE(item.objectClass, QStringLiteral("well"));
    QCOMPARE(item.sourceId, qint64(ft01->id()));
    QCOMPARE(item.source.value("uwi").toString(), QStringLiteral("NO 15/9-F-1"));
    QCOMPARE(item.source.value("wellSets").toArray(), QJsonArray{"Field Tests"});
    QCOMPARE(item.target.value("wellKey").toString(), QStringLiteral("NO 15/9-F-1"));
    QCOMPARE(item.target.value("wellList").toString(), QStringLiteral("Field Tests"));
    QVERIFY(item.target.value("wellListCreated").toBool());

    // The records named exist in OpenWorks, as many as it holds for the well.
    OpenWorksWell well;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("NO 15/9-F-1"), &well, &error), qPrintable(error));
    const QJsonObject records = item.target.value("records").toObject();
    QCOMPARE(records.value("823").toArray(), QJsonArray{well.header.id});
    QCOMPARE(records.value("601").toArray().size(), well.tables.size());
    QCOMPARE(records.value("610").toArray().size(), well.curves.size());
    QCOMPARE(records.value("576").toArray().size(), well.curves.size());
    QCOMPARE(records.value("11").toArray().size(), well.picks.size());
    QCOMPARE(records.value("600").toArray().size(), 1);
    QCOMPARE(records.value("603").toArray().size(), 1);
    QCOMPARE(records.value("503").toArray().size(), 1);
    for (const QJsonValue& id : records.value("610").toArray()) {
        bool found = false;
        for (const OpenWorksWell::Curve& curve : well.curves)
            found = found || curve.id == quint32(id.toInt());
        QVERIFY(found);
    }
    int samples = 0;
    for (const OpenWorksWell::Curve& curve : well.curves)
        samples += curve.values.size();
    QCOMPARE(item.counts.value("stations").toInt(), well.tvd.size());
    QCOMPARE(item.counts.value("timeDepthTables").toInt(), well.tables.size());
    QCOMPARE(item.counts.value("logs").toInt(), well.curves.size());
    QCOMPARE(item.counts.value("samples").toInt(), samples);
    QCOMPARE(item.counts.value("picks").toInt(), well.picks.size());
    int added = 0;
    for (const QJsonValue& ids : records)
        added += ids.toArray().size();
    QCOMPARE(item.counts.value("recordsAdded").toInt(), added);
    // Log curves are named after their set and log; versions count up within a name.
    QStringList curveNames;
    int sonicVersions = 0;
    for (const OpenWorksWell::Curve& curve : well.curves) {
        curveNames.append(curve.name);
        sonicVersions += curve.name == QLatin1String("Sonic") ? 1 : 0;
    }
    QCOMPARE(sonicVersions, 2);
    int count = 0;
    void* list = nullptr;
    gdiLogCurve_t example;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &example);
    std::strcpy(example.wellKey, "NO 15/9-F-1");
    std::strcpy(example.name, "Sonic");
    QCOMPARE(gdiReadSubset(GDI_CLASS_LOG_CURVE, &example, GDI_CLASS_LOG_CURVE, &count, &list), 0);
    QStringList sonic;
    for (int i = 0; i < count; ++i) {
        const gdiLogCurve_t& curve = static_cast<const gdiLogCurve_t*>(list)[i];
        sonic.append(QStringLiteral("%1 v%2").arg(text(curve.curveName)).arg(curve.version));
        QCOMPARE(text(curve.service), QStringLiteral("NONE"));
        QCOMPARE(text(curve.curveType), QStringLiteral("UNKNOWN"));
        QCOMPARE(text(curve.curveClass), QStringLiteral("UNKNOWN"));
        QCOMPARE(curve.depthUnitId, 1);
    }
    gdiFree(list);
    QCOMPARE(sonic, (QStringList{"Sonic_DT v1", "Sonic_DTS v2"}));
}

void TestWellExport::dryRunWritesNothing()
{
    newProject(QStringLiteral("DRYRUN"));
    const QMap<int, int> before = wellExportRecordCounts();
    QMap<QString, int> calls;
    const QStringList writes{"gdiAdd", "gdiUpdate", "gdiDelete", "gdiCommit", "gdiRollback"};
    for (const QString& name : writes)
        calls.insert(name, owsim::callCount(name.toStdString()));
    ZRTransferReport report;
    ZRExchangeContext dry = context(m_firstProject, m_first, &report);
    dry.dryRun = true;
    QCOMPARE(exportWells(dry, allWells(*m_first)), kDemoWells.size());
    QCOMPARE(wellExportRecordCounts(), before);
    for (const QString& name : writes)
        QCOMPARE(owsim::callCount(name.toStdString()), calls.value(name));
    QVERIFY(m_ui->wellProblems.isEmpty());
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(report.itemCount(), kDemoWells.size());

    // The plan names what the real run then does.
    ZRTransferReport real;
    QCOMPARE(exportWells(context(m_firstProject, m_first, &real), allWells(*m_first)), kDemoWells.size());
    for (int i = 0; i < report.itemCount(); ++i) {
        const ZRTransferReport::Item& planned = report.item(i);
        const ZRTransferReport::Item& done = real.item(i);
        QCOMPARE(planned.outcome, ZRTransferReport::Planned);
        QCOMPARE(planned.sourceName, done.sourceName);
        QCOMPARE(planned.target.value("wellKey"), done.target.value("wellKey"));
        QCOMPARE(planned.target.value("wellList"), done.target.value("wellList"));
        QCOMPARE(planned.counts, [&] {
            QJsonObject counts = done.counts;
            counts.remove("recordsAdded");
            return counts;
        }());
        const QJsonObject plannedRecords = planned.target.value("plannedRecords").toObject();
        const QJsonObject records = done.target.value("records").toObject();
        for (const QString& classId : records.keys())
            QVERIFY2(plannedRecords.contains(classId), qPrintable(classId));
        for (const QString& classId : plannedRecords.keys()) {
            // Lists, surfaces and colours planned as new may have been made by an earlier well.
            const bool shared = classId == "575" || classId == "304" || classId == "309";
            if (shared)
                QVERIFY(records.value(classId).toArray().size() <= plannedRecords.value(classId).toInt());
            else
                QCOMPARE(records.value(classId).toArray().size(), plannedRecords.value(classId).toInt());
        }
    }
}

void TestWellExport::wellOfThatKeyExists()
{
    newProject(QStringLiteral("TWICE"));
    const ZRWell* ns01 = m_first->findWell(QStringLiteral("NS-01"));
    const ZRWell* ns02 = m_first->findWell(QStringLiteral("NS-02"));
    QVERIFY(ns01 && ns02);
    QCOMPARE(exportWells(context(m_firstProject, m_first), {{WellExportSelection::Well, ns01->id(), -1}}), 1);
    const QMap<int, int> before = wellExportRecordCounts();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    QCOMPARE(exportWells(context(m_firstProject, m_first),
                         {{WellExportSelection::Well, ns01->id(), -1}, {WellExportSelection::Well, ns02->id(), -1}}),
             1);
    QCOMPARE(m_ui->wellProblems.size(), 1);
    const WellProblemList expected{
        {QStringLiteral("NS-01"),
         {QStringLiteral("Unable to create well NS-01: %1").arg(QString::fromLatin1(gdiErrorMessage(GDI_DUPLICATE))),
          QStringLiteral("Nothing of well NS-01 was kept in OpenWorks®: its records were rolled back.")}}};
    QCOMPARE(m_ui->wellProblems.first(), expected);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages.first().text, QStringLiteral("1 of 2 wells exported."));
    const QMap<int, int> after = wellExportRecordCounts();
    QCOMPARE(after.value(GDI_CLASS_WELL), before.value(GDI_CLASS_WELL) + 1);
    QVERIFY(wellKeysOfList("Exploration").contains("NO 15/9-A-02"));
}

void TestWellExport::hostGaps()
{
    newProject(QStringLiteral("GAPS"));
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHost(QStringLiteral("Gaps"), &project);
    QVERIFY(database);
    ZRWell* well = database->CreateWell(QStringLiteral("Gappy"));
    QVERIFY(well);
    database->addWellToWellSet(well, database->wellSet(QStringLiteral("Gaps")));
    ZRRefSet* refSet = database->CreateRefSet(QStringLiteral("Checkshot"), well, 1);
    refSet->setDepth1Type(3);
    ZRLog* time = database->CreateLog(QStringLiteral("LogTWTRefset"), refSet, true);
    ZRLog* depth = database->CreateLog(QStringLiteral("LogMDRefSet"), refSet, true);
    database->setLogData(time, QVector<double>{0.0, 100.0, 200.0});
    database->setLogData(depth, QVector<double>{0.0, 150.0});
    ZRLog* tvd = database->CreateLog(QStringLiteral("LogTVDXY"), refSet, true);
    ZRLog* devX = database->CreateLog(QStringLiteral("LogDevX"), refSet, true);
    database->setLogData(tvd, QVector<double>{0.0, 500.0});
    database->setLogData(devX, QVector<double>{0.0, 10.0});
    ZRSet* logs = database->CreateLogSet(QStringLiteral("No Depths"), well);
    database->setLogData(database->CreateLog(QStringLiteral("GR"), logs, true), QVector<double>{1.0, 2.0});
    ZRSet* good = database->CreateLogSet(QStringLiteral("Good"), well);
    database->setLogData(database->CreateLog(QStringLiteral("MD"), good, true), QVector<double>{100.0, 101.0});
    database->setLogData(database->CreateLog(QStringLiteral("Words"), good, true), QStringList{"a", "b"});
    database->setLogData(database->CreateLog(QStringLiteral("RT"), good, true), QVector<double>{5.0, 6.0, 7.0});
    QVERIFY(database->save());

    ZRTransferReport report;
    QCOMPARE(exportWells(context(project, database, &report), allWells(*database)), 1);
    QCOMPARE(m_ui->wellProblems.size(), 1);
    const QStringList expected{
        QStringLiteral("Unable to find Y-Deviation Log while exporting Time-Depth Relationship"),
        QStringLiteral("The depth and time logs of Time-Depth Relationship Checkshot of well Gappy differ in length "
                       "(2 depths, 3 times); it is not exported."),
        QStringLiteral("Unable to find the MD log of log set No Depths of well Gappy: its logs are not exported."),
        QStringLiteral("Unable to retrieve log data for log Words"),
        QStringLiteral("Log RT of log set Good has 3 values and its MD log 2 depths: the values beyond the last depth "
                       "are not exported.")};
    QCOMPARE(m_ui->wellProblems.first().first().second, expected);
    QCOMPARE(report.item(0).messages, expected);
    OpenWorksWell exported;
    QString error;
    QVERIFY2(readOpenWorksWell(QStringLiteral("Gappy"), &exported, &error), qPrintable(error));
    QVERIFY(!exported.hasPositionLog);
    QVERIFY(exported.tables.isEmpty());
    QCOMPARE(exported.curves.size(), 1);
    QCOMPARE(exported.curves.first().values, (QVector<float>{5.0f, 6.0f}));
    QCOMPARE(exported.curves.first().depths, (QVector<float>{100.0f, 101.0f}));
    QCOMPARE(exported.curves.first().lists, QStringList{"Good"});
    QCOMPARE(exported.header.totalDepth, 101.0f);
}

QTEST_MAIN(TestWellExport)
#include "tst_wellexport.moc"
