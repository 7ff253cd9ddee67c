// Well import end to end on the seeded demo: from the window's import arrow on
// the Wells page, and through the exchange core for dry runs, reports, other
// units and cancellation. Every imported well is compared with OpenWorks as
// the DevKit calls give it, and the host side is read from its files (plain
// SQL on a copy of the SQLite file, log data files through their layout).

#include "exchangefixture.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "recordinglogger.h"
#include "wellimportchecks.h"
#include "zreventbus.h"
#include "zrlogdatabase.h"
#include "zrlogdatafile.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkstableview.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrprojectbrowsermodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"
#include "zrwellimport.h"
#include "crs.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QItemSelectionModel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstring>

namespace
{

const QString kNoTables =
    QStringLiteral("No time depth tables found, therefore no TTD Laws have been created for this well.");
const QString kNoCurves = QStringLiteral("No Log Curves found, therefore no Logs have been created for this well.");
const QString kNoPositionLog =
    QStringLiteral("No Position Log found, vertical trajectory created from MD information.");

/// Every file below a folder with its bytes (a snapshot to compare with later).
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

/// Progress windows that cancel, once, the bar titled `title` when it has been
/// advanced `after` times under the well bar titled `well` (cancelling that
/// bar only, or the whole run when `topLevel`).
class CancellingFactory : public VsProgressBarFactoryAbstract
{
public:
    class Window : public VsProgressBarAbstract
    {
    public:
        Window(CancellingFactory* factory, int topLevelId) : m_factory(factory), m_topLevelId(topLevelId) {}
        void create(int id, int total, const QString& title, int parentId, bool) override
        {
            m_factory->titles.insert(id, title);
            m_factory->parents.insert(id, parentId);
            m_factory->totals.insert(id, total);
        }
        void initialize(int, int, const QString&) override {}
        void increment(int id, int step) override
        {
            const int value = (m_factory->values[id] += step);
            const int parent = m_factory->parents.value(id);
            if (!m_factory->done && m_factory->titles.value(id) == m_factory->title
                && m_factory->titles.value(parent) == m_factory->well && value == m_factory->after) {
                m_factory->done = true;
                if (m_factory->topLevel)
                    cancelProgressBar(m_topLevelId);
                else
                    zrProgressBarMgr->cancelProgressBar(id);
            }
        }
        void close(int id) override
        {
            if (id == m_topLevelId)
                delete this;
        }

    private:
        CancellingFactory* m_factory;
        int m_topLevelId;
    };

    VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(this, topLevelId); }

    QString well;
    QString title;
    int after = 1;
    bool topLevel = false;
    bool done = false;
    QHash<int, QString> titles;
    QHash<int, int> parents;
    QHash<int, int> totals;
    QHash<int, int> values;
};

} // namespace

class TestWellImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void importFromTheWellsPage();
    void itemsFromRows();
    void dryRunChangesNothing();
    void reportOfAnImport();
    void feetProject();
    void spatialPreference();
    void cancelOneWellsLogs();
    void cancelTheRun();
    void withoutWellDatabase();
    void failedSaveRemovesTheWells();
    void readOnlyDatabase();
    void oneWellsFailedSaveCostsOnlyThatWell();
    void progressOfTheRun();
    void statusCodes_data();
    void statusCodes();
    void fixedLogNames();

private:
    ZROpenworksExchangeDialog* openDialog(const QString& project = QString::fromLatin1(ExchangeFixture::Project));
    /// Selects the well rows (label, list) on the Wells page; returns the
    /// labels in table order.
    QStringList select(const QVector<QPair<QString, QString>>& rows);
    /// Items of the catalogue's rows of these (label, list) pairs, in table order.
    QVector<WellImportItem> itemsOf(const QVector<QPair<QString, QString>>& rows);
    /// A new host project and its loaded well database.
    ZRLogDatabase* newHostDatabase(const QString& name, ZRProject** project);
    QString wellKeyOf(const QString& label);
    void compareImported(const QString& label, const QString& list, const QString& folder,
                         const ExpectedUnits& units = ExpectedUnits());
    QStringList busMessages();

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    std::shared_ptr<RecordingLogger> m_recorder;
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
    std::vector<std::unique_ptr<ZRProject>> m_projects;
    std::vector<std::unique_ptr<ZRLogDatabase>> m_databases;
};

void TestWellImport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    // A host well whose name an OpenWorks well has in another letter case.
    ZRLogDatabase* database = m_fixture->wellDatabase();
    ZRWell* existing = database->CreateWell(QStringLiteral("ns-05"));
    QVERIFY(existing);
    existing->setX(1.0);
    QVERIFY(database->save());
}

void TestWellImport::init()
{
    owsim::clearInjections();
    m_recorder = std::make_shared<RecordingLogger>();
    m_manager = std::make_unique<MessageManager>();
    m_manager->addLogger(m_recorder);
    QVERIFY(m_manager->startListen());
    m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
    m_bus->setMutex(m_manager->getMutex());
}

void TestWellImport::cleanup()
{
    delete m_dialog;
    m_bus.reset();
    m_manager.reset();
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

ZROpenworksExchangeDialog* TestWellImport::openDialog(const QString& project)
{
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(project);
    m_dialog->projectBrowser()->setCategoryById(ZROpenworksProjectBrowser::Wells);
    return m_dialog;
}

QStringList TestWellImport::select(const QVector<QPair<QString, QString>>& rows)
{
    ZROpenworksProjectBrowser* browser = m_dialog->projectBrowser();
    ZROpenworksSortFilterProxyModel* proxy = browser->proxy();
    QItemSelectionModel* selection = browser->tableView(ZROpenworksProjectBrowser::Wells)->selectionModel();
    selection->clearSelection();
    QStringList order;
    for (int row = 0; row < proxy->rowCount(); ++row) {
        const QPair<QString, QString> key{proxy->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString(),
                                          proxy->index(row, ZROpenworksWellModel::WellListColumn).data().toString()};
        if (!rows.contains(key))
            continue;
        selection->select(QItemSelection(proxy->index(row, 0), proxy->index(row, proxy->columnCount() - 1)),
                          QItemSelectionModel::Select);
        order.append(key.first);
    }
    return order;
}

QVector<WellImportItem> TestWellImport::itemsOf(const QVector<QPair<QString, QString>>& rows)
{
    const ZROpenworksWellModel* model = m_dialog->projectBrowser()->wellModel();
    QVector<int> chosen;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QPair<QString, QString> key{model->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString(),
                                          model->index(row, ZROpenworksWellModel::WellListColumn).data().toString()};
        if (rows.contains(key))
            chosen.append(row);
    }
    return wellImportItemsFromRows(*model, chosen);
}

ZRLogDatabase* TestWellImport::newHostDatabase(const QString& name, ZRProject** project)
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

QString TestWellImport::wellKeyOf(const QString& label)
{
    const ZROpenworksWellModel* model = m_dialog->projectBrowser()->wellModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, ZROpenworksWellModel::WellNumberColumn).data().toString() == label)
            return model->index(row, ZROpenworksWellModel::WellKeyColumn).data().toString();
    return QString();
}

void TestWellImport::compareImported(const QString& label, const QString& list, const QString& folder,
                                     const ExpectedUnits& units)
{
    OpenWorksWell openWorks;
    QString error;
    QVERIFY2(readOpenWorksWell(wellKeyOf(label), &openWorks, &error), qPrintable(error));
    HostWellDatabase host;
    QVERIFY2(host.load(folder, &error), qPrintable(error));
    const QString difference = compareWell(openWorks, host, list, units);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QStringList TestWellImport::busMessages()
{
    m_bus.reset();
    m_manager.reset();
    return m_recorder->snapshot();
}

void TestWellImport::importFromTheWellsPage()
{
    openDialog();
    const QVector<QPair<QString, QString>> rows = {
        {"FT-01", "Field Tests"}, {"FT-02", "Field Tests"}, {"FT-03", "Field Tests"}, {"NS-01", "Exploration"},
        {"NS-03", "Exploration"}, {"NS-05", "Exploration"}, {"NS-10", "Exploration"}, {"NS-12", "Exploration"},
        {"NS-12", "Appraisal"},   {"NS-15", "Appraisal"},   {"NS-30", "NONE"}};
    const QStringList order = select(rows);
    QCOMPARE(order.size(), rows.size());
    const QString folder = m_fixture->project().wellDatabasePath();
    const int wellsBefore = m_fixture->wellDatabase()->wells().size();
    QVERIFY(m_dialog->importButton()->isEnabled());
    QTest::mouseClick(m_dialog->importButton(), Qt::LeftButton);

    // The problems, per well in table order: a name taken (in the host, or by
    // the other row of a well in two lists), a table whose times have no unit,
    // and the notes of wells without tables, curves or position log.
    const QString noTimeUnit =
        QStringLiteral("Unable to convert the times of Time-Depth table (Old VSP) from \"\" to milliseconds: %1")
            .arg(QString::fromLatin1(gdiErrorMessage(GDI_UNKNOWN_UNIT)));
    QMap<QString, QStringList> expected{{"FT-02", {kNoTables, kNoPositionLog}},
                                        {"FT-03", {noTimeUnit}},
                                        {"NS-05", {wellimport::NameExistsMessage}},
                                        {"NS-12", {wellimport::NameExistsMessage}},
                                        {"NS-30", {kNoTables, kNoCurves, kNoPositionLog}}};
    WellProblemList expectedProblems;
    QSet<QString> seen;
    for (const QString& label : order) {
        // NS-12's first row imports it; its second row meets the name.
        const bool secondRow = label == "NS-12" && seen.contains(label);
        seen.insert(label);
        if (expected.contains(label) && (label != "NS-12" || secondRow))
            expectedProblems.append({label, expected.value(label)});
    }
    QCOMPARE(m_ui->wellProblems.size(), 1);
    QCOMPARE(m_ui->wellProblems.first(), expectedProblems);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(int(m_ui->messages[0].kind), int(ZRExchangeUi::MessageKind::Information));
    QCOMPARE(m_ui->messages[0].title, m_dialog->windowTitle());
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("9 of 11 wells imported."));

    // What arrived, compared with OpenWorks; the name conflicts left nothing.
    QCOMPARE(m_fixture->wellDatabase()->wells().size(), wellsBefore + 9);
    for (const auto& row : rows) {
        if (row.first == "NS-05" || (row.second == "Appraisal" && row.first == "NS-12"))
            continue;
        compareImported(row.first, row.second, folder);
    }
    HostWellDatabase host;
    QString error;
    QVERIFY2(host.load(folder, &error), qPrintable(error));
    const auto ns05 = host.wellsNamed("NS-05");
    QCOMPARE(ns05.size(), 1);
    QCOMPARE(ns05.first()->name, QStringLiteral("ns-05"));
    QVERIFY(host.setsOf(ns05.first()->id).isEmpty());
    // Every log row has its data file and every data file its row.
    QStringList files = host.logDataFiles();
    QCOMPARE(files.size(), host.logs.size());
    for (const HostWellDatabase::Log& log : host.logs)
        QVERIFY(files.contains(QStringLiteral("LOGDATA_%1").arg(log.id)));

    // The edge cases, explicitly.
    const HostWellDatabase::Well* ft01 = host.wellsNamed("FT-01").first();
    const HostWellDatabase::Well* ft02 = host.wellsNamed("FT-02").first();
    QCOMPARE(ft01->kb, 0.0); // elevation reference "KB"
    QVERIFY(ft02->kb > 30.0 && ft02->kb < 33.0); // "DF": the elevation itself
    QCOMPARE(host.wellsNamed("NS-10").first()->status.toInt(), 0); // "Oil" is not "OIL"
    QCOMPARE(host.wellsNamed("FT-01").first()->status.toInt(), 6);
    // FT-02 has no position log: a vertical trajectory in "TZ_Deviation" from its log depths.
    bool verticalFound = false;
    for (const HostWellDatabase::Set* set : host.setsOf(ft02->id)) {
        if (set->name != wellimport::TrajectoryRefSetName)
            continue;
        verticalFound = true;
        QCOMPARE(set->depth2Type.toInt(), 2);
        QCOMPARE(QVariant(set->id), ft02->refSetId);
    }
    QVERIFY(verticalFound);
    // FT-02 picked "Top Reservoir" twice: two markers, one marker info, the colour of the pick that has one.
    int topReservoirInfos = 0;
    for (const HostWellDatabase::MarkerInfo& info : host.markerInfos) {
        if (info.name == "Top Reservoir") {
            ++topReservoirInfos;
            QCOMPARE(info.colour, QStringLiteral("#e62828"));
        }
        if (info.name == "Intra Shale")
            QCOMPARE(info.colour, QStringLiteral("#000000")); // no colour record
    }
    QCOMPARE(topReservoirInfos, 1);
    // NS-01's GR is in both curve lists: it went into the first, with DT; the
    // set's "MD" log has GR's depths, not DT's (which start deeper).
    const HostWellDatabase::Well* ns01 = host.wellsNamed("NS-01").first();
    QStringList ns01Sets;
    for (const HostWellDatabase::Set* set : host.setsOf(ns01->id))
        ns01Sets.append(set->name);
    QVERIFY2(ns01Sets.contains("Basic Logs") && ns01Sets.contains("Petrophysics"), qPrintable(ns01Sets.join(", ")));
    // NS-03's CALI has the unit "UNKNOWN": its log has none.
    bool caliFound = false;
    for (const HostWellDatabase::Set* set : host.setsOf(host.wellsNamed("NS-03").first()->id))
        for (const HostWellDatabase::Log* log : host.logsOf(set->id))
            if (log->name == "CALI") {
                caliFound = true;
                QCOMPARE(log->unit, QString());
                QCOMPARE(set->name, QStringLiteral("LogSet_CALI"));
            }
    QVERIFY(caliFound);
    // NS-30 has neither position log nor curves: imported without trajectory.
    QVERIFY(host.wellsNamed("NS-30").first()->refSetId.isNull());

    // The host tree lists the new wells (object kind 33 was reloaded).
    QStringList listed;
    for (const QModelIndex& item : m_dialog->hostTree()->itemsOfCategory(QStringLiteral("Well")))
        if (item.data(ZRProjectBrowserModel::WellItemTypeRole).toInt() == ZRProjectBrowserModel::WellItem)
            listed.append(item.data(Qt::DisplayRole).toString());
    for (const char* name : {"FT-01", "FT-02", "FT-03", "NS-01", "NS-12", "NS-30", "ns-05"})
        QVERIFY2(listed.contains(QString::fromLatin1(name)), qPrintable(listed.join(", ")));

    // The well database reloads with the wells and their crs.
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(folder, QStringLiteral("reload"), QStringLiteral("Startup"), true));
    QCOMPARE(reloaded.wells().size(), wellsBefore + 9);
    ZRWell* inMemory = m_fixture->wellDatabase()->findWell(QStringLiteral("FT-01"));
    QVERIFY(inMemory && inMemory->originalCrs() && inMemory->originalCrs()->isEmpty());
    QVERIFY(inMemory->crs() && *inMemory->crs() == m_fixture->project().crs());
    const QStringList bus = busMessages();
    QVERIFY(!bus.contains(QStringLiteral("1|Unable to retrieve elevation unit, depth unit will be used.")));
}

void TestWellImport::itemsFromRows()
{
    openDialog();
    const QVector<WellImportItem> items = itemsOf({{"NS-12", "Appraisal"}, {"NS-31", "NONE"}});
    QCOMPARE(items.size(), 2);
    const ZROpenworksWellModel* model = m_dialog->projectBrowser()->wellModel();
    for (const WellImportItem& item : items) {
        int row = -1;
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 2).data().toString() == item.label && model->index(r, 0).data().toString() == item.wellSetName)
                row = r;
        QVERIFY(row >= 0);
        QCOMPARE(item.displayName, model->index(row, 1).data().toString());
        QCOMPARE(item.wellKey, model->index(row, 12).data().toString());
        QCOMPARE(item.uwiKey, model->index(row, 13).data().toString());
        QCOMPARE(item.keyNumber, model->index(row, 14).data().toInt());
        QCOMPARE(item.statusText, model->index(row, 15).data().toString());
    }
    // Rows out of range are left out, repeated rows kept once.
    QCOMPARE(wellImportItemsFromRows(*model, {0, 0, -1, model->rowCount()}).size(), 1);
}

void TestWellImport::dryRunChangesNothing()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("DryRun"), &project);
    QVERIFY(database);
    ZRWell* taken = database->CreateWell(QStringLiteral("FT-02"));
    QVERIFY(taken && database->save());
    const QString folder = project->wellDatabasePath();
    const QMap<QString, QByteArray> before = snapshot(folder);

    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    context.dryRun = true;
    bool reloaded = false;
    context.hostFolderChanged = [&reloaded](int) { reloaded = true; };
    const QVector<WellImportItem> items =
        itemsOf({{"FT-01", "Field Tests"}, {"FT-02", "Field Tests"}, {"NS-12", "Exploration"}, {"NS-12", "Appraisal"}});
    QCOMPARE(importWells(context, items), 2);

    QCOMPARE(snapshot(folder), before);
    QCOMPARE(database->wells().size(), 1);
    QVERIFY(database->logs().isEmpty());
    QVERIFY(m_ui->wellProblems.isEmpty());
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(!reloaded);

    QCOMPARE(report.itemCount(), 4);
    QStringList outcomes;
    for (int i = 0; i < report.itemCount(); ++i)
        outcomes.append(report.item(i).sourceName + ":" + report.item(i).outcome);
    // In table order: NS-12 once, then taken by its first row; FT-01 planned, FT-02 taken in the host.
    QCOMPARE(outcomes, (QStringList{"NS-12:planned", "NS-12:skipped", "FT-01:planned", "FT-02:skipped"}));
    const ZRTransferReport::Item& ft01 = report.item(2);
    OpenWorksWell openWorks;
    QString error;
    QVERIFY2(readOpenWorksWell(wellKeyOf("FT-01"), &openWorks, &error), qPrintable(error));
    QCOMPARE(ft01.counts.value("trajectoryStations").toInt(), openWorks.tvd.size());
    QCOMPARE(ft01.counts.value("timeDepthTables").toInt(), openWorks.tables.size());
    QCOMPARE(ft01.counts.value("logs").toInt(), openWorks.curves.size());
    int samples = 0;
    for (const auto& curve : openWorks.curves)
        samples += curve.values.size();
    QCOMPARE(ft01.counts.value("samples").toInt(), samples);
    QCOMPARE(ft01.counts.value("picks").toInt(), openWorks.picks.size());
    QCOMPARE(ft01.action, ZRTransferReport::Create);
    QCOMPARE(ft01.target.value("wellName").toString(), QStringLiteral("FT-01"));
    QVERIFY(ft01.files.isEmpty());
    QCOMPARE(report.item(3).action, ZRTransferReport::Skip);
    QCOMPARE(report.item(3).messages, QStringList{wellimport::NameExistsMessage});
    QCOMPARE(report.item(3).target.value("existingWellId").toInt(), taken->id());
    QCOMPARE(report.item(1).messages, QStringList{wellimport::NameExistsMessage});
    QVERIFY(!report.item(1).target.contains("existingWellId")); // taken within the run, not in the host
    // The seconds table of FT-01 was converted by 1000.
    bool seconds = false;
    for (const QJsonValue& value : ft01.units) {
        const QJsonObject unit = value.toObject();
        if (unit.value("quantity").toString() == QLatin1String("time-depth times (Seismic TD)")) {
            seconds = true;
            QCOMPARE(unit.value("factor").toDouble(), 1000.0);
            QCOMPARE(unit.value("fromUnitId").toInt(), 890);
            QCOMPARE(unit.value("toUnitId").toInt(), 348);
        }
    }
    QVERIFY(seconds);
}

void TestWellImport::reportOfAnImport()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("Reported"), &project);
    QVERIFY(database);
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    QCOMPARE(importWells(context, itemsOf({{"NS-02", "Exploration"}, {"FT-02", "Field Tests"}})), 2);
    QCOMPARE(report.itemCount(), 2);
    HostWellDatabase host;
    QString error;
    QVERIFY2(host.load(project->wellDatabasePath(), &error), qPrintable(error));
    for (int i = 0; i < 2; ++i) {
        const ZRTransferReport::Item& item = report.item(i);
        QCOMPARE(item.outcome, ZRTransferReport::Imported);
        const auto wells = host.wellsNamed(item.target.value("wellName").toString());
        QCOMPARE(wells.size(), 1);
        QCOMPARE(item.target.value("wellId").toInt(), wells.first()->id);
        QCOMPARE(item.source.value("wellKey").toString(), wellKeyOf(item.sourceName));
        // One file per log of the well, and the database file.
        int logsOfWell = 0;
        for (const HostWellDatabase::Set* set : host.setsOf(wells.first()->id))
            logsOfWell += host.logsOf(set->id).size();
        int logFiles = 0;
        for (const QJsonValue& value : item.files) {
            const QJsonObject file = value.toObject();
            const QString path = file.value("path").toString();
            logFiles += QFileInfo(path).fileName().startsWith("LOGDATA_") ? 1 : 0;
            if (path.endsWith("wellQt4Velostrat.sql") && i == 0)
                continue; // changed again by the second well's save
            QFile data(path);
            QVERIFY2(data.open(QIODevice::ReadOnly), qPrintable(path));
            const QByteArray bytes = data.readAll();
            QCOMPARE(file.value("bytes").toDouble(), double(bytes.size()));
            QCOMPARE(file.value("sha256").toString(),
                     QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        }
        QCOMPARE(logFiles, logsOfWell);
    }
    // FT-02's messages went into its item.
    QCOMPARE(report.item(1).messages, (QStringList{kNoTables, kNoPositionLog}));
    QVERIFY(report.item(1).counts.value("trajectoryStations").toInt() == 2);
}

void TestWellImport::feetProject()
{
    const std::string home = m_fixture->environment().openWorksHome().toStdString();
    std::string seedError;
    bool alreadySeeded = false;
    QVERIFY2(owsim::seedDemo(home, ExchangeFixture::District, "DEMOFT", owsim::MeasurementSystem::Feet,
                             &alreadySeeded, &seedError),
             seedError.c_str());
    openDialog(QStringLiteral("DEMOFT"));
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("FeetHost"), &project);
    QVERIFY(database);
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    const QVector<QPair<QString, QString>> rows = {
        {"FT-01", "Field Tests"}, {"FT-02", "Field Tests"}, {"NS-04", "Exploration"}};
    QCOMPARE(importWells(context, itemsOf(rows)), 3);

    // Depths stay in feet (recorded as "Foot"); the well head goes to meters.
    ExpectedUnits feet;
    feet.xyFactor = 0.3048;
    feet.hostDepthUnit = QStringLiteral("Foot");
    feet.hostDepthUnitIndex = 1;
    feet.hostXyUnit = QStringLiteral("Foot");
    for (const auto& row : rows)
        compareImported(row.first, row.second, project->wellDatabasePath(), feet);
    const QJsonArray units = report.item(0).units;
    QJsonObject depth, wellHead;
    for (const QJsonValue& value : units) {
        if (value.toObject().value("quantity") == "depth")
            depth = value.toObject();
        if (value.toObject().value("quantity") == "well head X")
            wellHead = value.toObject();
    }
    QCOMPARE(depth.value("fromUnitId").toInt(), 2);
    QCOMPARE(depth.value("toUnitId").toInt(), 1089);
    QCOMPARE(depth.value("factor").toDouble(), 1.0);
    QCOMPARE(depth.value("hostUnit").toString(), QStringLiteral("Foot"));
    QCOMPARE(wellHead.value("fromUnitId").toInt(), 2);
    QCOMPARE(wellHead.value("toUnitId").toInt(), 1);
    QCOMPARE(wellHead.value("factor").toDouble(), 0.3048);
}

void TestWellImport::spatialPreference()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat"));
    settings.setValue(QStringLiteral("Units/SpatialMetric"), int(1));
    settings.sync();
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("FeetPreference"), &project);
    QVERIFY(database);
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    const int imported = importWells(context, itemsOf({{"NS-04", "Exploration"}}));
    settings.remove(QStringLiteral("Units"));
    settings.sync();
    QCOMPARE(imported, 1);
    // The well head is recorded in the preferred spatial unit (international feet).
    ExpectedUnits units;
    units.xyFactor = 1.0 / 0.3048;
    units.originalSpatialUnit = 1;
    compareImported(QStringLiteral("NS-04"), QStringLiteral("Exploration"), project->wellDatabasePath(), units);
}

void TestWellImport::cancelOneWellsLogs()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("CancelLogs"), &project);
    QVERIFY(database);
    const QMap<QString, QByteArray> before = snapshot(project->wellDatabasePath());
    CancellingFactory factory;
    factory.well = QStringLiteral("North Sea 06");
    factory.title = QStringLiteral("Log Curves");
    factory.after = 1;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    const int imported = importWells(context, itemsOf({{"NS-06", "Exploration"}, {"NS-07", "Exploration"}}));
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QVERIFY(factory.done);
    // The cancelled well is gone, the next one imported.
    QCOMPARE(imported, 1);
    QVERIFY(!database->findWell(QStringLiteral("NS-06")));
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Imported);
    compareImported(QStringLiteral("NS-07"), QStringLiteral("Exploration"), project->wellDatabasePath());
    HostWellDatabase host;
    QString error;
    QVERIFY(host.load(project->wellDatabasePath(), &error));
    QCOMPARE(host.wells.size(), 1);
    QCOMPARE(m_ui->messages.last().text, QStringLiteral("1 of 2 wells imported."));
    Q_UNUSED(before);
}

void TestWellImport::cancelTheRun()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("CancelRun"), &project);
    QVERIFY(database);
    const QMap<QString, QByteArray> before = snapshot(project->wellDatabasePath());
    CancellingFactory factory;
    factory.well = QStringLiteral("North Sea 06");
    factory.title = QStringLiteral("Log Curves");
    factory.after = 2;
    factory.topLevel = true;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    const int imported = importWells(context, itemsOf({{"NS-06", "Exploration"}, {"NS-07", "Exploration"}}));
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QVERIFY(factory.done);
    // Cancel removes the well being imported and ends the run: nothing was saved.
    QCOMPARE(imported, 0);
    QVERIFY(database->wells().isEmpty());
    QCOMPARE(snapshot(project->wellDatabasePath()), before);
    QCOMPARE(m_ui->messages.last().text, QStringLiteral("0 of 2 wells imported."));
}

void TestWellImport::withoutWellDatabase()
{
    openDialog();
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.wellDatabase = nullptr;
    const int readsBefore = owsim::callCount("gdiReadSet");
    QCOMPARE(importWells(context, itemsOf({{"NS-06", "Exploration"}})), 0);
    QCOMPARE(owsim::callCount("gdiReadSet"), readsBefore);
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(m_ui->wellProblems.isEmpty());
}

void TestWellImport::failedSaveRemovesTheWells()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("FailingSave"), &project);
    QVERIFY(database);
    // Behind the database's back, the logs' unit column goes: every save fails.
    const QString file = ZRLogDatabase::databaseFileName(project->wellDatabasePath());
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("behind"));
        raw.setDatabaseName(file);
        QVERIFY(raw.open());
        QSqlQuery query(raw);
        QVERIFY(query.exec(QStringLiteral("ALTER TABLE LOG_TABLE RENAME COLUMN UNIT TO OTHER")));
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("behind"));
    const QMap<QString, QByteArray> before = snapshot(project->wellDatabasePath());
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    const int imported = importWells(context, itemsOf({{"NS-08", "Exploration"}, {"FT-02", "Field Tests"}}));
    // Written together, lost together: each listed with the reason, nothing left in memory or on disk.
    QCOMPARE(imported, 0);
    const QString reason =
        QStringLiteral("The well database could not be saved; see the messages of the well database.");
    QCOMPARE(m_ui->wellProblems.size(), 1);
    QCOMPARE(m_ui->wellProblems.first(),
             (WellProblemList{{"NS-08", {reason}}, {"FT-02", {kNoTables, kNoPositionLog, reason}}}));
    QCOMPARE(m_ui->messages.last().text, QStringLiteral("0 of 2 wells imported."));
    QVERIFY(database->wells().isEmpty());
    QVERIFY(database->logs().isEmpty());
    QCOMPARE(snapshot(project->wellDatabasePath()), before);
    for (int i = 0; i < report.itemCount(); ++i) {
        QCOMPARE(report.item(i).outcome, ZRTransferReport::Failed);
        QVERIFY(report.item(i).messages.contains(reason));
        QVERIFY(report.item(i).files.isEmpty());
    }
    bool sqlError = false;
    for (const QString& message : busMessages())
        sqlError = sqlError || message.startsWith(QStringLiteral("2|Sql Error ADDING :"));
    QVERIFY(sqlError);
}

void TestWellImport::oneWellsFailedSaveCostsOnlyThatWell()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("OneFails"), &project);
    QVERIFY(database);
    // Behind the database's back: any save holding a log "DTS" (FT-01's) fails.
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
        raw.setDatabaseName(ZRLogDatabase::databaseFileName(project->wellDatabasePath()));
        QVERIFY(raw.open());
        QSqlQuery query(raw);
        QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER refuseDts BEFORE INSERT ON LOG_TABLE WHEN NEW.NAME = 'DTS' "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END;")));
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
    ZRTransferReport report;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    context.report = &report;
    // The three are written together, their save fails; each is then saved alone.
    const int imported =
        importWells(context, itemsOf({{"NS-09", "Exploration"}, {"FT-01", "Field Tests"}, {"FT-02", "Field Tests"}}));
    QCOMPARE(imported, 2);
    const QString reason =
        QStringLiteral("The well database could not be saved; see the messages of the well database.");
    QCOMPARE(m_ui->wellProblems.size(), 1);
    // In the order of the wells (table order: Exploration before Field Tests).
    QCOMPARE(m_ui->wellProblems.first(),
             (WellProblemList{{"FT-01", {reason}}, {"FT-02", {kNoTables, kNoPositionLog}}}));
    QVERIFY(!database->findWell(QStringLiteral("FT-01")));
    compareImported(QStringLiteral("NS-09"), QStringLiteral("Exploration"), project->wellDatabasePath());
    compareImported(QStringLiteral("FT-02"), QStringLiteral("Field Tests"), project->wellDatabasePath());
    HostWellDatabase host;
    QString error;
    QVERIFY(host.load(project->wellDatabasePath(), &error));
    QCOMPARE(host.wells.size(), 2);
    QCOMPARE(host.logDataFiles().size(), host.logs.size());
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Imported);
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Failed);
    QCOMPARE(report.item(2).outcome, ZRTransferReport::Imported);
    QCOMPARE(report.item(2).target.value("wellId").toInt(), host.wellsNamed("FT-02").first()->id);
    QVERIFY(!report.item(2).files.isEmpty());
    QVERIFY(report.item(1).files.isEmpty());
    QVERIFY(!report.item(1).target.contains("wellId"));
}

void TestWellImport::readOnlyDatabase()
{
    openDialog();
    // A database that was never loaded is read-only: nothing is read from OpenWorks.
    ZRLogDatabase unloaded;
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.wellDatabase = &unloaded;
    const int readsBefore = owsim::callCount("gdiRead");
    QCOMPARE(importWells(context, itemsOf({{"NS-08", "Exploration"}})), 0);
    QCOMPARE(owsim::callCount("gdiRead"), readsBefore);
    QVERIFY(unloaded.wells().isEmpty());
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("The well database of the host project cannot be written: no "
                                                    "well can be imported."));
}

void TestWellImport::progressOfTheRun()
{
    openDialog();
    ZRProject* project = nullptr;
    ZRLogDatabase* database = newHostDatabase(QStringLiteral("Progress"), &project);
    QVERIFY(database);
    database->setProgressParent(-1);
    CancellingFactory recorder; // cancels nothing: no bar has this title
    recorder.title = QStringLiteral("-");
    zrProgressBarMgr->setProgressBarFactory(&recorder);
    ZRExchangeContext context = m_dialog->exchangeContext();
    context.project = project;
    context.wellDatabase = database;
    QCOMPARE(importWells(context, itemsOf({{"FT-01", "Field Tests"}, {"NS-30", "NONE"}})), 2);
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(database->progressParent(), -1);
    const int main = recorder.titles.key(wellimport::MainProgressTitle, -1);
    QVERIFY(main > 0);
    QCOMPARE(recorder.totals.value(main), 2);
    QCOMPARE(recorder.values.value(main), 2);
    // One bar per well under the main bar (3 steps, titled with the common well name),
    // the sub-imports under the well's bar, the save under the main bar.
    const int well = recorder.titles.key(QStringLiteral("Field Test 01"), -1);
    QCOMPARE(recorder.parents.value(well), main);
    QCOMPARE(recorder.totals.value(well), 3);
    QCOMPARE(recorder.values.value(well), 3);
    for (const QString& title : {QStringLiteral("Time-Depth Tables"), QStringLiteral("Log Curves"), QStringLiteral("Picks")}) {
        const int bar = recorder.titles.key(title, -1);
        QVERIFY2(bar > 0, qPrintable(title));
        QCOMPARE(recorder.parents.value(bar), well);
        QCOMPARE(recorder.values.value(bar), recorder.totals.value(bar));
    }
    const int save = recorder.titles.key(QStringLiteral("Saving well database"), -1);
    QVERIFY(save > 0);
    QCOMPARE(recorder.parents.value(save), main);
}

void TestWellImport::statusCodes_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("code");
    QTest::newRow("oil") << "OIL" << 6;
    QTest::newRow("location") << "LOCATION" << 1;
    QTest::newRow("dry hole with oil show") << "DRY HOLE W/ OIL SHOW" << 4;
    QTest::newRow("suspended") << "SUSPENDED" << 22;
    QTest::newRow("plugged gas with oil show") << "PLUGGED GAS W/ OIL SHOW" << 32;
    QTest::newRow("shut-in gas with oil show") << "SHUT-IN GAS W/ OIL SHOW" << 32;
    QTest::newRow("shut-in oil and gas") << "SHUT-IN OIL & GAS" << 31;
    QTest::newRow("injector") << "INJECTOR - CONVERTED" << 14;
    QTest::newRow("plugged condensate") << "PLUGGED CONDENSATE" << 34;
    QTest::newRow("water supply with underscore") << "WATER_SUPPLY - CONVERTED" << 0;
    QTest::newRow("another letter case") << "Oil" << 0;
    QTest::newRow("trailing blank") << "GAS " << 0;
    QTest::newRow("unknown text") << "PRODUCING" << 0;
}

void TestWellImport::statusCodes()
{
    QFETCH(QString, status);
    QFETCH(int, code);
    QCOMPARE(wellStatusCode(status), code);
}

void TestWellImport::fixedLogNames()
{
    QCOMPARE(referenceSetLogName(0), QStringLiteral("LogTWTRefset"));
    QCOMPARE(referenceSetLogName(1), QStringLiteral("LogTVDRefSet"));
    QCOMPARE(referenceSetLogName(2), QStringLiteral("LogMDRefSet"));
    QCOMPARE(referenceSetLogName(3), QStringLiteral("LogTVDXY"));
    QCOMPARE(referenceSetLogName(7), QStringLiteral("LogCheckShotOther"));
    QCOMPARE(referenceSetLogName(8), QString());
    QCOMPARE(referenceSetLogName(-1), QString());
    QCOMPARE(markerSetLogName(0), QStringLiteral("LogNameMarkerSet"));
    QCOMPARE(markerSetLogName(2), QStringLiteral("LogBottomMarkerSet"));
    QCOMPARE(markerSetLogName(3), QString());
}

QTEST_MAIN(TestWellImport)
#include "tst_wellimport.moc"
