// Horizon import on the seeded demo (a metric and a feet project): host
// horizon files compared node by node with the grids read through the DevKit
// (hrzrw_) and with intorw_ map positions, read back by the host horizon reader
// and by an independent reader of the layout; every DevKit call made to fail;
// file conflicts, cancels and the dry run.

#include "busrecorder.h"
#include "exchangefixture.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "surveyimportchecks.h"
#include "zr3dhorizon.h"
#include "zreventbus.h"
#include "zrexchangecontext.h"
#include "zrhorizonimport.h"
#include "zropenworksexchangedialog.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssession.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkstableview.h"
#include "zrprogressbarmgr.h"
#include "zrprojectbrowsermodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using Kind = ZRExchangeUi::MessageKind;

namespace
{

constexpr const char* FeetProject = "FEET";
constexpr float kNull = -9999.0f;
/// What one foot is in metres: the factor the feet project's depths and map positions take.
constexpr double kFoot = 0.3048;

/// Progress windows that cancel, once the bar titled `label` has been
/// advanced `after` times: that bar itself, or its top-level bar.
class CancellingFactory : public VsProgressBarFactoryAbstract
{
public:
    class Window : public VsProgressBarAbstract
    {
    public:
        Window(CancellingFactory* factory, int topLevelId) : m_factory(factory), m_topLevelId(topLevelId) {}
        void create(int id, int, const QString& title, int, bool) override { m_titles.insert(id, title); }
        void initialize(int, int, const QString&) override {}
        void increment(int id, int step) override
        {
            int& value = m_values[id];
            value += step;
            if (!m_factory->done && m_titles.value(id) == m_factory->label && value == m_factory->after) {
                m_factory->done = true;
                cancelProgressBar(m_factory->topLevel ? m_topLevelId : id);
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
        QHash<int, QString> m_titles;
        QHash<int, int> m_values;
    };

    VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(this, topLevelId); }

    QString label;
    int after = 0;
    bool topLevel = false;
    bool done = false;
};

/// The kinds of node a grid holds, as the import must judge them.
struct NodeKinds
{
    int normal = 0;
    int missing = 0; ///< 1.0e37
    int nan = 0;
    int above = 0;
    int below = 0;
};

NodeKinds kindsOf(const DevKitHorizonGrid& grid)
{
    NodeKinds kinds;
    for (float value : grid.values) {
        if (std::isnan(value))
            ++kinds.nan;
        else if (value == 1.0e37f)
            ++kinds.missing;
        else if (value > float(grid.dataMax))
            ++kinds.above;
        else if (value < float(grid.dataMin))
            ++kinds.below;
        else
            ++kinds.normal;
    }
    return kinds;
}

} // namespace

class TestHorizonImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nodesAndPositions_data();
    void nodesAndPositions();
    void severalHorizonsInOneRun();
    void depthUnitLookedUpOncePerRun();
    void horizonWithoutData();
    void failures_data();
    void failures();
    void conflicts_data();
    void conflicts();
    void cancel_data();
    void cancel();
    void dryRunWritesNothing();
    void staleTemporaryFilesRemoved();
    void requestsFromRows();
    void pointsAddedInPartsGiveTheWholeHorizon();
    void throughTheWindow();

private:
    void openProject(const QString& project);
    QString horizonFolder() const { return m_fixture->project().directoryForType(ZRProject::HorizonType); }
    ZRExchangeContext context(ZRScriptedExchangeUi* ui, ZRTransferReport* report = nullptr);
    QVector<HorizonImportRequest> requestsFor(const QStringList& names);
    /// Checks a written horizon file against the grid read through the DevKit.
    void checkHorizonFile(const QString& path, const DevKitHorizonGrid& grid, double factor);
    /// The host files a horizon's surveys go to, first survey first.
    QStringList pathsOf(const QString& name, const QVector<DevKitHorizonGrid>& grids) const;
    void checkNothingOpen();
    void writeJunk(const QString& path);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<BusRecorder> m_bus;
    ZROpenworksSession m_session;
    QList<int> m_reloaded;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
};

void TestHorizonImport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    std::string error;
    bool alreadySeeded = false;
    QVERIFY2(owsim::seedDemo(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                             FeetProject, owsim::MeasurementSystem::Feet, &alreadySeeded, &error),
             error.c_str());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
    QVERIFY(m_session.start());
    QVERIFY(QDir().mkpath(horizonFolder()));
}

void TestHorizonImport::init()
{
    owsim::clearInjections();
    QDir folder(horizonFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile::setPermissions(folder.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(folder.remove(name));
    }
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QVERIFY(QDir(folder.filePath(name)).removeRecursively());
    m_reloaded.clear();
    openProject(ExchangeFixture::Project);
    m_bus->take();
}

void TestHorizonImport::cleanup()
{
    delete m_dialog;
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
    QCOMPARE(temporaryFilesIn(horizonFolder()), QStringList());
}

void TestHorizonImport::openProject(const QString& project)
{
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session.openProject(project, &error), qPrintable(error));
}

ZRExchangeContext TestHorizonImport::context(ZRScriptedExchangeUi* ui, ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = &m_session;
    context.ui = ui;
    context.report = report;
    context.hostFolderChanged = [this](int objectType) { m_reloaded.append(objectType); };
    return context;
}

QVector<HorizonImportRequest> TestHorizonImport::requestsFor(const QStringList& names)
{
    ZROpenworksHorizonModel model;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading"));
        model.loadFromOpenworks(reading.id());
    }
    QVector<int> rows;
    for (const QString& name : names) {
        const QStringList parts = name.split("::");
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row, ZROpenworksHorizonModel::HorizonNameColumn).data().toString() == parts[0]
                && model.index(row, ZROpenworksHorizonModel::HiddenAttributeColumn).data().toString()
                       == parts.value(1, QStringLiteral("TIME_STRUCTURE")))
                rows.append(row);
    }
    return horizonImportRequestsFromRows(model, rows);
}

QStringList TestHorizonImport::pathsOf(const QString& name, const QVector<DevKitHorizonGrid>& grids) const
{
    QStringList paths;
    for (int i = 0; i < grids.size(); ++i)
        paths.append(horizonFolder() + "/" + name + (i == 0 ? QString() : " (" + grids[i].surveyName + ")"));
    return paths;
}

void TestHorizonImport::writeJunk(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write("not a horizon") > 0);
}

void TestHorizonImport::checkNothingOpen()
{
    QVERIFY(!horizonSubsystemOpen());
    QVERIFY(!surveyProjectOpen());
    QCOMPARE(openFilesUnder(horizonFolder()), QStringList());
}

void TestHorizonImport::checkHorizonFile(const QString& path, const DevKitHorizonGrid& grid, double factor)
{
    const bool isDepth = grid.domain == QLatin1String("DEPTH");
    const bool feet = factor != 1.0;

    // The layout, read independently.
    HorizonFileView view;
    QString error;
    QVERIFY2(view.load(path, &error), qPrintable(path + ": " + error));
    QCOMPARE(view.objectType, QStringLiteral("ZR3DHorizon"));
    QCOMPARE(view.version, 2);
    QCOMPARE(view.precision, 3);
    QCOMPARE(view.horizonType, 0);
    QCOMPARE(view.dimy, 1);
    QCOMPARE(qint64(view.dimx) * view.dimz, qint64(grid.values.size()));
    QCOMPARE(view.dataOffset, 2500 + view.headerSize + 10000);
    QVERIFY(view.reservedAreaIsZero);
    QVERIFY(!view.withData);
    QCOMPARE(view.initialVerticalUnit, isDepth ? QStringLiteral("Meter") : QStringLiteral("Millisecond"));

    // The host's own reader gives the same nodes (its matrix comes back from
    // the header's six decimals, so positions agree to a millimetre).
    ZR3DHorizon loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(qint64(loaded.controlPointCount()), view.numberOfControlPoint);
    const std::vector<core::vec3> points = loaded.worldPoints();
    QCOMPARE(int(points.size()), view.worldPoints.size());
    for (int n = 0; n < view.worldPoints.size(); ++n) {
        const core::vec3& point = points[std::size_t(n)];
        QCOMPARE(point.y, view.worldPoints[n][1]);
        QVERIFY(std::abs(point.x - view.worldPoints[n][0]) < 1e-3 && std::abs(point.z - view.worldPoints[n][2]) < 1e-3);
    }

    // Every node that is valid in the DevKit's grid, and only those, with its
    // value (depths times the exact factor) at the map position intorw_ gives.
    QHash<QPair<int, int>, float> expected;
    for (int line = grid.firstLine; line <= grid.lastLine; ++line)
        for (int trace = grid.firstTrace; trace <= grid.lastTrace; ++trace) {
            const float raw = grid.value(line, trace);
            if (!(raw >= float(grid.dataMin) && raw <= float(grid.dataMax)))
                continue;
            expected.insert({line, trace}, isDepth ? float(double(raw) * factor) : raw);
        }
    QCOMPARE(view.numberOfControlPoint, qint64(expected.size()));
    const SurveyProjectScope project(grid.surveyName);
    QVERIFY(project.isOpen());
    const double xyFactor = feet ? kFoot : 1.0;
    QSet<QPair<int, int>> seen;
    for (const Point3& point : view.worldPoints) {
        double line = 0.0, trace = 0.0;
        QVERIFY(gridPositionOf(point[0] / xyFactor, point[2] / xyFactor, &line, &trace));
        const QPair<int, int> node(int(std::lround(line)), int(std::lround(trace)));
        QVERIFY2(std::abs(line - node.first) < 1e-6 && std::abs(trace - node.second) < 1e-6,
                 qPrintable(QString("(%1, %2) is not on a node").arg(line).arg(trace)));
        QVERIFY2(expected.contains(node), qPrintable(QString("node %1/%2 should be null").arg(node.first).arg(node.second)));
        QVERIFY(!seen.contains(node));
        seen.insert(node);
        QCOMPARE(float(point[1]), expected.value(node));
        double x = 0.0, y = 0.0;
        QVERIFY(mapPositionOf(node.first, node.second, &x, &y));
        QVERIFY2(std::abs(point[0] - x * xyFactor) < 1e-5 && std::abs(point[2] - y * xyFactor) < 1e-5,
                 qPrintable(QString("position of %1/%2: %3, %4 instead of %5, %6")
                                .arg(node.first).arg(node.second)
                                .arg(point[0], 0, 'f', 6).arg(point[2], 0, 'f', 6)
                                .arg(x * xyFactor, 0, 'f', 6).arg(y * xyFactor, 0, 'f', 6)));
    }
    QCOMPARE(seen.size(), expected.size());
}

void TestHorizonImport::nodesAndPositions_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("horizon");
    QTest::addColumn<bool>("badNodes");
    QTest::newRow("metric, time, bad nodes") << ExchangeFixture::Project << "Intra Chalk::TIME_STRUCTURE" << true;
    QTest::newRow("metric, depth in two surveys") << ExchangeFixture::Project << "Intra Chalk::DEPTH_STRUCTURE" << true;
    QTest::newRow("feet, depth in two surveys") << FeetProject << "Intra Chalk::DEPTH_STRUCTURE" << true;
    QTest::newRow("feet, time") << FeetProject << "Intra Chalk::TIME_STRUCTURE" << true;
    QTest::newRow("feet, time in two surveys") << FeetProject << "Top Reservoir::TIME_STRUCTURE" << false;
    QTest::newRow("metric, depth") << ExchangeFixture::Project << "Top Reservoir::DEPTH_STRUCTURE" << false;
}

void TestHorizonImport::nodesAndPositions()
{
    QFETCH(QString, project);
    QFETCH(QString, horizon);
    QFETCH(bool, badNodes);
    openProject(project);
    const QStringList parts = horizon.split("::");
    QVector<DevKitHorizonGrid> grids;
    QString error;
    QVERIFY2(readHorizonGrids(horizonIdOf(parts[0], parts[1]), parts[1], &grids, &error), qPrintable(error));
    QVERIFY(!grids.isEmpty());
    if (badNodes) {
        // The demo grid holds every kind of node the import must judge.
        const NodeKinds kinds = kindsOf(grids[0]);
        QVERIFY(kinds.normal > 0 && kinds.missing > 0 && kinds.nan > 0 && kinds.above > 0 && kinds.below > 0);
    }

    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    owsim::clearInjections();
    QCOMPARE(importHorizons(context(&ui, &report), requestsFor({horizon})), 1);
    QCOMPARE(ui.messages.size(), 0);
    QCOMPARE(ui.fileConflicts, QStringList());
    QCOMPARE(m_reloaded, QList<int>{ZRProject::HorizonType});
    QCOMPARE(m_bus->takeTexts(eDrawError), QStringList());
    QCOMPARE(owsim::callCount("prjend_"), owsim::callCount("prjin2_"));
    QCOMPARE(owsim::callCount("hrzcls_"), owsim::callCount("hrzopn_"));
    checkNothingOpen();

    const bool feet = project == QLatin1String(FeetProject);
    const bool isDepth = parts[1].startsWith("DEPTH");
    const QStringList paths = pathsOf(parts[0], grids);
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files).size(), grids.size());
    for (int i = 0; i < grids.size(); ++i) {
        checkHorizonFile(paths[i], grids[i], feet ? kFoot : 1.0);
        if (QTest::currentTestFailed())
            return;
    }

    // The run report: identity, targets per survey, the conversions, counts and files.
    QCOMPARE(report.itemCount(), 1);
    const ZRTransferReport::Item& item = report.item(0);
    QCOMPARE(item.objectClass, QStringLiteral("horizon"));
    QCOMPARE(item.outcome, ZRTransferReport::Imported);
    QCOMPARE(item.source.value("attribute").toString(), parts[1]);
    QCOMPARE(item.source.value("horizonId").toInt(), horizonIdOf(parts[0], parts[1]));
    QCOMPARE(item.target.value("path").toString(), paths[0]);
    const QJsonArray targets = item.target.value("files").toArray();
    QCOMPARE(targets.size(), grids.size());
    double nullNodes = 0;
    for (int i = 0; i < grids.size(); ++i) {
        const QJsonObject target = targets[i].toObject();
        QCOMPARE(target.value("survey").toString(), grids[i].surveyName);
        QCOMPARE(target.value("path").toString(), paths[i]);
        QCOMPARE(target.value("outcome").toString(), ZRTransferReport::Imported);
        const QJsonObject file = item.files[i].toObject();
        QCOMPARE(file.value("sha256").toString(), sha256Of(paths[i]));
        QCOMPARE(file.value("bytes").toDouble(), double(QFileInfo(paths[i]).size()));
        const NodeKinds kinds = kindsOf(grids[i]);
        const double nulls = grids[i].values.size() - kinds.normal;
        QCOMPARE(file.value("nullNodes").toDouble(), nulls);
        QCOMPARE(file.value("nodes").toDouble(), double(grids[i].values.size()));
        nullNodes += nulls;
    }
    QCOMPARE(item.counts.value("nullNodes").toDouble(), nullNodes);
    QCOMPARE(item.geometry.value("surveys").toArray().size(), grids.size());
    // Every conversion the DevKit applied: the depth factor (depth horizons)
    // and the map positions of each survey.
    QStringList quantities;
    for (const QJsonValue& unit : item.units) {
        quantities.append(unit.toObject().value("quantity").toString());
        QCOMPARE(unit.toObject().value("factor").toDouble(), feet ? kFoot : 1.0);
        QCOMPARE(unit.toObject().value("fromUnitId").toInt(), feet ? int(OW_UNIT_FEET) : int(OW_UNIT_METERS));
        QCOMPARE(unit.toObject().value("toUnitId").toInt(), int(OW_UNIT_METERS));
    }
    QStringList expectedQuantities;
    if (isDepth)
        expectedQuantities.append("depth");
    for (const DevKitHorizonGrid& grid : grids)
        expectedQuantities << "mapX (" + grid.surveyName + ")" << "mapY (" + grid.surveyName + ")";
    QCOMPARE(quantities, expectedQuantities);
}

void TestHorizonImport::severalHorizonsInOneRun()
{
    // One run reuses its memory from one survey and horizon to the next, over
    // surveys of different sizes: each file must still hold only its own grid.
    openProject(ExchangeFixture::Project);
    const QStringList horizons{"Intra Chalk::DEPTH_STRUCTURE", "Top Reservoir::TIME_STRUCTURE"};
    QVector<QVector<DevKitHorizonGrid>> grids;
    for (const QString& horizon : horizons) {
        const QStringList parts = horizon.split("::");
        QVector<DevKitHorizonGrid> ofHorizon;
        QString error;
        QVERIFY2(readHorizonGrids(horizonIdOf(parts[0], parts[1]), parts[1], &ofHorizon, &error), qPrintable(error));
        QVERIFY(!ofHorizon.isEmpty());
        grids.append(ofHorizon);
    }
    ZRScriptedExchangeUi ui;
    owsim::clearInjections();
    QCOMPARE(importHorizons(context(&ui), requestsFor(horizons)), horizons.size());
    QCOMPARE(ui.messages.size(), 0);
    QCOMPARE(m_bus->takeTexts(eDrawError), QStringList());
    checkNothingOpen();
    int files = 0;
    QSet<int> sizes;
    for (int h = 0; h < horizons.size(); ++h) {
        const QStringList paths = pathsOf(horizons[h].split("::")[0], grids[h]);
        for (int i = 0; i < grids[h].size(); ++i, ++files) {
            sizes.insert(grids[h][i].values.size());
            checkHorizonFile(paths[i], grids[h][i], 1.0);
            if (QTest::currentTestFailed())
                return;
        }
    }
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files).size(), files);
    QVERIFY2(sizes.size() > 1, "the surveys differ in size");
}

void TestHorizonImport::depthUnitLookedUpOncePerRun()
{
    ZRScriptedExchangeUi ui;
    owsim::clearInjections();
    // Three depth surveys (two of one horizon) and a time horizon: one lookup.
    QCOMPARE(importHorizons(context(&ui), requestsFor({"Intra Chalk::DEPTH_STRUCTURE", "Base Cretaceous",
                                                        "Top Reservoir::DEPTH_STRUCTURE"})),
             3);
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForType"), 1);
    QCOMPARE(ui.messages.size(), 0);
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files).size(), 4);

    init();
    owsim::clearInjections();
    QCOMPARE(importHorizons(context(&ui), requestsFor({"Intra Chalk::TIME_STRUCTURE", "Top Reservoir::TIME_STRUCTURE"})),
             2);
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForType"), 0);
}

void TestHorizonImport::horizonWithoutData()
{
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    QCOMPARE(importHorizons(context(&ui, &report), requestsFor({"Unmapped Marker", "Base Cretaceous"})), 1);
    QCOMPARE(ui.messages.size(), 2);
    QCOMPARE(ui.messages[0].kind, Kind::Information);
    QCOMPARE(ui.messages[0].title, QStringLiteral("Warning"));
    QCOMPARE(ui.messages[0].text, QStringLiteral("No horizon data found for horizon Unmapped Marker. Skipping import."));
    QCOMPARE(ui.messages[1].kind, Kind::Information);
    QCOMPARE(ui.messages[1].title, context(&ui).windowTitle);
    QCOMPARE(ui.messages[1].text, QStringLiteral("1 of 2 horizons imported."));
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files), QStringList{"Base Cretaceous"});
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Skipped);
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Imported);
    checkNothingOpen();
}

void TestHorizonImport::failures_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // %1: the DevKit's text of the injected status
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<QStringList>("files"); // of the failing horizon "Intra Chalk" (depth, two surveys)

    const QString error = "Error";
    const int information = int(Kind::Information);
    const QStringList both{"Intra Chalk", "Intra Chalk (Dome Ridge 3D)"};
    const QStringList second{"Intra Chalk (Dome Ridge 3D)"};
    QTest::newRow("gdiInitiateObject") << "gdiInitiateObject:1=277600007" << -1 << "" << "" << 0 << QStringList()
                                       << true << both;
    QTest::newRow("gdiRead of the catalogue")
        << "gdiRead:1=277600017" << information << error
        << "Unable to read horizon attribute catalog while importing horizon Intra Chalk: %1" << 277600017
        << QStringList() << false << QStringList();
    QTest::newRow("gdiReadSubset") << "gdiReadSubset:1=277600008" << information << error
                                   << "Error occurred during import of horizon data for horizon Intra Chalk: %1"
                                   << 277600008 << QStringList() << false << QStringList();
    QTest::newRow("gdiReadSubset, no data") << "gdiReadSubset:1=177600004" << information << "Warning"
                                            << "No horizon data found for horizon Intra Chalk. Skipping import." << 0
                                            << QStringList() << false << QStringList();
    QTest::newRow("gdiRelease") << "gdiRelease:1=277600008" << -1 << "" << "" << 0 << QStringList() << true << both;
    QTest::newRow("gdiRead of the survey")
        << "gdiRead:2=277600017" << information << error
        << "Could not find survey for horizon Intra Chalk during horizon import: %1" << 277600017 << QStringList()
        << true << second;
    QTest::newRow("prjin2_") << "prjin2_:1=1" << information << error
                             << "Unable to open 3D project during export of horizon data for horizon Intra Chalk: "
                                "Initialization of 3D project"
                             << 0 << QStringList() << true << second;
    QTest::newRow("prjin2_ unknown") << "prjin2_:1=42" << information << error
                                     << "Unable to open 3D project during export of horizon data for horizon Intra "
                                        "Chalk: Unknown error occurred (prjin2_ - 42)"
                                     << 0 << QStringList() << true << second;
    QTest::newRow("srvbnd_") << "srvbnd_:1=2" << information << error
                             << "Unable to connect to Openworks horizon subsystem during import of horizon: Intra Chalk"
                             << 0 << QStringList() << true << second;
    QTest::newRow("hrzopn_") << "hrzopn_:1=2" << information << error
                             << "Unable to connect to Openworks horizon subsystem during import of horizon: Intra Chalk"
                             << 0 << QStringList() << true << second;
    // The unit is tried again at the next depth survey, which then works.
    QTest::newRow("gdiGetMeasSystemUnitIdForType")
        << "gdiGetMeasSystemUnitIdForType:1=277600013" << int(Kind::Critical) << "Unit Error"
        << "Unable to retrieve project unit for horizon Intra Chalk depth unit." << 0 << QStringList() << true << second;
    QTest::newRow("untConvert of the depth unit")
        << "untConvert:1=277600012" << int(Kind::Critical) << "Unit Error"
        << "Unable to retrieve project unit for horizon Intra Chalk depth unit." << 0 << QStringList() << true << second;
    QTest::newRow("gdiGetMeasSystemUnitIdForField")
        << "gdiGetMeasSystemUnitIdForField:1=277600015" << information << error
        << "Unable to convert the corners of survey North Sea 3D during import of horizon Intra Chalk: %1" << 277600015
        << QStringList() << true << second;
    QTest::newRow("untConvert of a corner")
        << "untConvert:2=277600012" << information << error
        << "Unable to convert the corners of survey North Sea 3D during import of horizon Intra Chalk: %1" << 277600012
        << QStringList() << true << second;
    QTest::newRow("hrzrw_") << "hrzrw_:1=3" << information << error
                            << "Unable to read horizon data from OpenWorks® during import of horizon: Intra Chalk, (Read "
                               "or write error)"
                            << 0 << QStringList() << true << second;
    QTest::newRow("hrzrw_ unknown") << "hrzrw_:1=9" << information << error
                                    << "Unable to read horizon data from OpenWorks® during import of horizon: Intra "
                                       "Chalk, (Unknown error occurred (hrzrw_ - 9))"
                                    << 0 << QStringList() << true << second;
    QTest::newRow("intorw_") << "intorw_:1=2" << -1 << "" << "" << 0 << QStringList{"Error during call to intorw_ : 2"}
                             << true << both;
    QTest::newRow("hrzcls_") << "hrzcls_:1=5" << -1 << "" << "" << 0 << QStringList() << true << both;
    QTest::newRow("prjend_") << "prjend_:1=5" << -1 << "" << "" << 0 << QStringList() << true << both;
}

void TestHorizonImport::failures()
{
    QFETCH(QString, rules);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(QStringList, bus);
    QFETCH(bool, counted);
    QFETCH(QStringList, files);

    QVector<DevKitHorizonGrid> failing, control;
    QString error;
    QVERIFY(readHorizonGrids(horizonIdOf("Intra Chalk", "DEPTH_STRUCTURE"), "DEPTH_STRUCTURE", &failing, &error));
    QVERIFY(readHorizonGrids(horizonIdOf("Base Cretaceous", "TIME_STRUCTURE"), "TIME_STRUCTURE", &control, &error));
    const QVector<HorizonImportRequest> requests = requestsFor({"Intra Chalk::DEPTH_STRUCTURE", "Base Cretaceous"});
    QCOMPARE(requests.size(), 2);

    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    owsim::clearInjections();
    QVERIFY(owsim::injectRules(rules.toStdString()));
    QCOMPARE(importHorizons(context(&ui, &report), requests), counted ? 2 : 1);
    owsim::clearInjections();

    QList<ZRScriptedExchangeUi::Message> expected;
    if (kind >= 0)
        expected.append({Kind(kind), title, text.contains("%1") ? text.arg(QString::fromLatin1(gdiErrorMessage(status)))
                                                                : text});
    if (!counted)
        expected.append({Kind::Information, context(&ui).windowTitle, "1 of 2 horizons imported."});
    QCOMPARE(ui.messages.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(int(ui.messages[i].kind), int(expected[i].kind));
        QCOMPARE(ui.messages[i].title, expected[i].title);
        QCOMPARE(ui.messages[i].text, expected[i].text);
    }
    QCOMPARE(m_bus->takeTexts(eDrawError), bus);
    QCOMPARE(report.item(0).messages.size(), expected.size() - (counted ? 0 : 1) + bus.size());

    // Nothing left open; the failing horizon wrote what it could, the next one everything.
    checkNothingOpen();
    QStringList written = QDir(horizonFolder()).entryList(QDir::Files);
    QVERIFY(written.removeOne("Base Cretaceous"));
    QCOMPARE(written, files);
    checkHorizonFile(horizonFolder() + "/Base Cretaceous", control[0], 1.0);
    for (const QString& name : files) {
        const int survey = name == QLatin1String("Intra Chalk") ? 0 : 1;
        if (rules.startsWith("intorw_") && survey == 0) {
            // The first line got no map position: its nodes stay null, the others are there.
            ZR3DHorizon horizon;
            QVERIFY(horizon.load(horizonFolder() + "/" + name));
            const DevKitHorizonGrid& grid = failing[survey];
            int firstLineValid = 0;
            for (int trace = grid.firstTrace; trace <= grid.lastTrace; ++trace) {
                const float value = grid.value(grid.firstLine, trace);
                firstLineValid += value >= float(grid.dataMin) && value <= float(grid.dataMax);
            }
            QVERIFY(firstLineValid > 0);
            QCOMPARE(horizon.controlPointCount(), kindsOf(grid).normal - firstLineValid);
            continue;
        }
        checkHorizonFile(horizonFolder() + "/" + name, failing[survey], 1.0);
    }
}

void TestHorizonImport::conflicts_data()
{
    QTest::addColumn<QStringList>("existing");  // junk files, "!" before a read-only one
    QTest::addColumn<QString>("answers");       // skip, overwrite, rename:NAME, in order
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("horizons");  // files that must be the imported horizons
    QTest::addColumn<QStringList>("junk");      // files that must still be junk
    QTest::addColumn<QStringList>("boxes");     // "kind|title|text"
    QTest::addColumn<QStringList>("bus");       // draw type 2 texts; %1 the folder

    const QString first = "Intra Chalk";
    const QString further = "Intra Chalk (Dome Ridge 3D)";
    QTest::newRow("skip") << QStringList{first, further} << "skip" << QStringList{first} << QStringList()
                          << QStringList{first, further}
                          << QStringList{"0|OpenWorks® Data Link|0 of 1 horizons imported."} << QStringList();
    QTest::newRow("overwrite, further file too") << QStringList{first, further} << "overwrite" << QStringList{first}
                                                  << QStringList{first, further} << QStringList() << QStringList()
                                                  << QStringList();
    QTest::newRow("overwrite a read-only file")
        << QStringList{"!" + first} << "overwrite" << QStringList{first} << QStringList{first, further} << QStringList()
        << QStringList{"1|Error|Impossible to remove read-only objects"}
        << QStringList{"Error when attempting to remove file %1/Intra Chalk. Reason: Permission denied"};
    QTest::newRow("new name") << QStringList{first} << "rename:Chalk Copy" << QStringList{first}
                              << QStringList{"Chalk Copy", "Chalk Copy (Dome Ridge 3D)"} << QStringList{first}
                              << QStringList() << QStringList();
    QTest::newRow("only the further file exists, skipped") << QStringList{further} << "skip" << QStringList{further}
                                                           << QStringList{first} << QStringList{further}
                                                           << QStringList() << QStringList();
    QTest::newRow("only the further file exists, overwritten")
        << QStringList{further} << "overwrite" << QStringList{further} << QStringList{first, further} << QStringList()
        << QStringList() << QStringList();
    QTest::newRow("new name that is not a file name")
        << QStringList{first} << "rename:../escape" << QStringList{first} << QStringList() << QStringList{first}
        << QStringList{QStringLiteral("0|Error|Unable to import horizon Intra Chalk: The name \"../escape\" cannot be "
                                      "used as a file name in %1.")
                           .arg(horizonFolder()),
                       "0|OpenWorks® Data Link|0 of 1 horizons imported."}
        << QStringList();
}

void TestHorizonImport::conflicts()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, answers);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, horizons);
    QFETCH(QStringList, junk);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, bus);

    for (QString name : existing) {
        const bool readOnly = name.startsWith('!');
        name.remove(0, readOnly ? 1 : 0);
        writeJunk(horizonFolder() + "/" + name);
        if (readOnly)
            QVERIFY(QFile::setPermissions(horizonFolder() + "/" + name, QFile::ReadOwner | QFile::ReadGroup));
    }
    QVector<DevKitHorizonGrid> grids;
    QString error;
    QVERIFY(readHorizonGrids(horizonIdOf("Intra Chalk", "DEPTH_STRUCTURE"), "DEPTH_STRUCTURE", &grids, &error));
    QCOMPARE(grids.size(), 2);

    ZRScriptedExchangeUi ui;
    for (const QString& answer : answers.split(',')) {
        ZRExchangeUi::FileConflictAnswer reply;
        if (answer == QLatin1String("overwrite"))
            reply.choice = ZRExchangeUi::FileConflictAnswer::Overwrite;
        else if (answer.startsWith("rename:")) {
            reply.choice = ZRExchangeUi::FileConflictAnswer::NewName;
            reply.newFileName = answer.mid(7);
        }
        ui.fileConflictAnswers.enqueue(reply);
    }
    ZRTransferReport report;
    const QVector<HorizonImportRequest> requests = requestsFor({"Intra Chalk::DEPTH_STRUCTURE"});
    owsim::clearInjections();
    const int imported = importHorizons(context(&ui, &report), requests);

    QStringList askedPaths;
    for (const QString& name : asked)
        askedPaths.append(horizonFolder() + "/" + name);
    QCOMPARE(ui.fileConflicts, askedPaths);
    QStringList shown;
    for (const auto& message : ui.messages)
        shown.append(QString("%1|%2|%3").arg(int(message.kind)).arg(message.title, message.text));
    QCOMPARE(shown, boxes);
    QCOMPARE(imported, horizons.isEmpty() ? 0 : 1);
    QStringList fileErrors;
    for (const QString& text : bus)
        fileErrors.append(text.arg(horizonFolder()));
    QCOMPARE(m_bus->takeTexts(eDrawFileError), fileErrors);

    for (const QString& name : horizons) {
        const int survey = name.endsWith("(Dome Ridge 3D)") ? 1 : 0;
        checkHorizonFile(horizonFolder() + "/" + name, grids[survey], 1.0);
        if (QTest::currentTestFailed())
            return;
    }
    for (const QString& name : junk) {
        QFile file(horizonFolder() + "/" + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a horizon"));
    }
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files).size(), horizons.size() + junk.size());
    if (horizons.isEmpty())
        QCOMPARE(owsim::callCount("prjin2_"), 0);
    checkNothingOpen();
}

void TestHorizonImport::cancel_data()
{
    QTest::addColumn<bool>("topLevel");
    QTest::newRow("the horizon bar of the first survey") << false;
    QTest::newRow("the run") << true;
}

void TestHorizonImport::cancel()
{
    QFETCH(bool, topLevel);
    QVector<DevKitHorizonGrid> grids;
    QString error;
    QVERIFY(readHorizonGrids(horizonIdOf("Intra Chalk", "DEPTH_STRUCTURE"), "DEPTH_STRUCTURE", &grids, &error));
    CancellingFactory factory;
    factory.label = "Intra Chalk";
    factory.after = 10;
    factory.topLevel = topLevel;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    owsim::clearInjections();
    const int imported =
        importHorizons(context(&ui, &report), requestsFor({"Intra Chalk::DEPTH_STRUCTURE", "Base Cretaceous"}));
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QVERIFY(factory.done);

    // Nothing of the cancelled survey is written.
    QVERIFY(!QFileInfo::exists(horizonFolder() + "/Intra Chalk"));
    if (topLevel) {
        // The run stops: no further survey, no further horizon, the summary.
        QCOMPARE(imported, 0);
        QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files), QStringList());
        QCOMPARE(owsim::callCount("prjin2_"), 1);
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("0 of 2 horizons imported."));
        QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
        QCOMPARE(report.itemCount(), 1);
    } else {
        // The next survey and the next horizon go on; both horizons count.
        QCOMPARE(imported, 2);
        QCOMPARE(ui.messages.size(), 0);
        checkHorizonFile(horizonFolder() + "/Intra Chalk (Dome Ridge 3D)", grids[1], 1.0);
        QVERIFY(QFileInfo::exists(horizonFolder() + "/Base Cretaceous"));
        QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
        const QJsonArray targets = report.item(0).target.value("files").toArray();
        QCOMPARE(targets[0].toObject().value("outcome").toString(), ZRTransferReport::Cancelled);
        QCOMPARE(targets[1].toObject().value("outcome").toString(), ZRTransferReport::Imported);
    }
    checkNothingOpen();
}

void TestHorizonImport::dryRunWritesNothing()
{
    writeJunk(horizonFolder() + "/Base Cretaceous");
    const QStringList names{"Intra Chalk::DEPTH_STRUCTURE", "Base Cretaceous", "Unmapped Marker"};
    const QString projectFolder = m_fixture->project().projectPath();
    const QString openWorksProject = m_fixture->environment().openWorksHome() + "/" + ExchangeFixture::District + "/"
                                     + ExchangeFixture::Project;
    const auto hostBefore = folderChecksums(projectFolder);
    const auto openWorksBefore = folderChecksums(openWorksProject);

    const auto run = [&](bool dryRun, ZRTransferReport* report, ZRScriptedExchangeUi* ui) {
        ZRExchangeUi::FileConflictAnswer rename;
        rename.choice = ZRExchangeUi::FileConflictAnswer::NewName;
        rename.newFileName = "Base Cretaceous 2";
        ui->fileConflictAnswers.enqueue(rename);
        report->setDryRun(dryRun);
        ZRExchangeContext runContext = context(ui, report);
        runContext.dryRun = dryRun;
        return importHorizons(runContext, requestsFor(names));
    };
    ZRScriptedExchangeUi dryUi;
    ZRTransferReport plan;
    QCOMPARE(run(true, &plan, &dryUi), 2);
    QCOMPARE(folderChecksums(projectFolder), hostBefore);
    QCOMPARE(folderChecksums(openWorksProject), openWorksBefore);
    QCOMPARE(m_reloaded, QList<int>());
    // No summary box in a dry run; the no-data warning is still shown.
    QCOMPARE(dryUi.messages.size(), 1);
    QCOMPARE(dryUi.messages[0].title, QStringLiteral("Warning"));
    QCOMPARE(plan.item(0).outcome, ZRTransferReport::Planned);
    QCOMPARE(plan.item(1).outcome, ZRTransferReport::Planned);
    QCOMPARE(plan.item(1).action, ZRTransferReport::Rename);
    checkNothingOpen();

    ZRScriptedExchangeUi realUi;
    ZRTransferReport done;
    QCOMPARE(run(false, &done, &realUi), 2);
    QCOMPARE(plan.itemCount(), done.itemCount());
    for (int i = 0; i < plan.itemCount(); ++i) {
        QCOMPARE(plan.item(i).action, done.item(i).action);
        QCOMPARE(plan.item(i).target.value("path"), done.item(i).target.value("path"));
        const QJsonArray planned = plan.item(i).target.value("files").toArray();
        const QJsonArray written = done.item(i).target.value("files").toArray();
        QCOMPARE(planned.size(), written.size());
        for (int f = 0; f < planned.size(); ++f) {
            QCOMPARE(planned[f].toObject().value("path"), written[f].toObject().value("path"));
            QCOMPARE(planned[f].toObject().value("nullNodes"), written[f].toObject().value("nullNodes"));
            QVERIFY(QFileInfo::exists(written[f].toObject().value("path").toString()));
        }
        QCOMPARE(plan.item(i).counts.value("nodes"), done.item(i).counts.value("nodes"));
        QCOMPARE(plan.item(i).valueRange, done.item(i).valueRange);
    }
}

void TestHorizonImport::staleTemporaryFilesRemoved()
{
    // Left by killed imports: of this target (any process id) they go, of
    // other targets or not of the temporary form they stay.
    const QStringList stale{".Base Cretaceous.12345.partial", ".Base Cretaceous.1.partial"};
    const QStringList kept{".Base Cretaceous 2.777.partial", ".Base Cretaceous.abc.partial", ".Base Cretaceous..partial"};
    for (const QString& name : stale + kept)
        writeJunk(horizonFolder() + "/" + name);
    ZRScriptedExchangeUi ui;
    QCOMPARE(importHorizons(context(&ui), requestsFor({"Base Cretaceous"})), 1);
    QStringList left = temporaryFilesIn(horizonFolder());
    left.sort();
    QStringList expected = kept;
    expected.sort();
    QCOMPARE(left, expected);
    for (const QString& name : kept)
        QVERIFY(QFile::remove(horizonFolder() + "/" + name));
    QCOMPARE(QDir(horizonFolder()).entryList(QDir::Files), QStringList{"Base Cretaceous"});
}

void TestHorizonImport::requestsFromRows()
{
    ZROpenworksHorizonModel model;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading"));
        model.loadFromOpenworks(reading.id());
    }
    QVERIFY(model.rowCount() >= 6);
    QVector<int> rows;
    for (int row = model.rowCount() - 1; row >= 0; --row)
        rows << row << row;
    rows << -1 << model.rowCount();
    const QVector<HorizonImportRequest> requests = horizonImportRequestsFromRows(model, rows);
    QCOMPARE(requests.size(), model.rowCount());
    for (int r = 0; r < requests.size(); ++r) {
        const int row = model.rowCount() - 1 - r;
        QCOMPARE(requests[r].displayName, model.index(row, 0).data().toString());
        QCOMPARE(requests[r].horizonId, model.index(row, 12).data().toInt());
        QCOMPARE(requests[r].attribute, model.index(row, 13).data().toString());
        QCOMPARE(requests[r].horizonId, horizonIdOf(requests[r].displayName, requests[r].attribute));
    }
}

void TestHorizonImport::pointsAddedInPartsGiveTheWholeHorizon()
{
    georef::BlocSpace space(37, 1, 23);
    space.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1000, 0, 2000}, {1010, 0, 2005}, {1000, 1, 2000}, {995, 0, 2010}));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> index(-2.0, 40.0);
    std::vector<core::vec3> points;
    for (int n = 0; n < 2000; ++n) {
        const double i = index(random), j = index(random);
        const core::vec3 world = space.fromBlocToWorldMatrix().map({i, 0.0, j});
        points.emplace_back(world.x, n % 7 == 0 ? -9999.0 : double(n), world.z);
    }
    ZR3DHorizon whole, parts;
    QVERIFY(whole.buildFromPoints(points, space, 3));
    QVERIFY(parts.beginPoints(space, 3));
    for (std::size_t start = 0; start < points.size(); start += 37)
        parts.addPoints(points.data() + start, std::min<std::size_t>(37, points.size() - start));
    parts.finishPoints();
    QCOMPARE(parts.controlPointCount(), whole.controlPointCount());
    QVERIFY(whole.controlPointCount() > 100);
    QVERIFY(std::memcmp(parts.valueGrid().data(), whole.valueGrid().data(), whole.valueGrid().size() * 4) == 0);
    QCOMPARE(parts.meshVertices(), whole.meshVertices());
    const QString a = horizonFolder() + "/whole", b = horizonFolder() + "/parts";
    QVERIFY(whole.write(a) && parts.write(b));
    QCOMPARE(sha256Of(a), sha256Of(b));
}

void TestHorizonImport::throughTheWindow()
{
    ZRScriptedExchangeUi* ui = nullptr;
    m_dialog = m_fixture->makeDialog(ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    ZROpenworksProjectBrowser* browser = m_dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Horizons);
    ZROpenworksSortFilterProxyModel* proxy = browser->proxy();
    QItemSelectionModel* selection = browser->tableView(ZROpenworksProjectBrowser::Horizons)->selectionModel();
    for (int row = 0; row < proxy->rowCount(); ++row)
        if (proxy->index(row, 0).data().toString() == QLatin1String("Top Reservoir")
            && proxy->index(row, 3).data().toString() == QLatin1String("TIME_STRUCTURE"))
            selection->select(QItemSelection(proxy->index(row, 0), proxy->index(row, proxy->columnCount() - 1)),
                              QItemSelectionModel::Select);
    QCOMPARE(selection->selectedRows().size(), 1);
    QTest::mouseClick(m_dialog->importButton(), Qt::LeftButton);
    QCOMPARE(ui->messages.size(), 0);
    QStringList listed;
    for (const QModelIndex& item : m_dialog->hostTree()->itemsOfCategory(QStringLiteral("Horizon")))
        listed.append(item.data(ZRProjectBrowserModel::PathRole).toString());
    QCOMPARE(listed, (QStringList{horizonFolder() + "/Top Reservoir", horizonFolder() + "/Top Reservoir (Dome Ridge 3D)"}));
    QCOMPARE(m_dialog->hostCategoryName(), QStringLiteral("Horizon"));
}

QTEST_MAIN(TestHorizonImport)
#include "tst_horizonimport.moc"
