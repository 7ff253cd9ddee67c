// Horizon export through the exchange core on the seeded demo (a metric and a
// feet project): round trips (demo horizons imported, exported into their own
// survey, into a survey made from a host volume and into another survey,
// imported again), the placement checked node by node against rwtoin_ called
// for every point, rounding, overwriting and dropped points on synthetic
// horizons, both association forms, every DevKit call made to fail, cancels,
// the dry run, the catalogue row and the verification of the run report.

#include "exchangefixture.h"
#include "exportchecks.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owguards.h"
#include "owsim.h"
#include "progresshook.h"
#include "unittable.h"
#include "zr3dhorizon.h"
#include "zrexchangecontext.h"
#include "zrhorizonexport.h"
#include "zrhorizonimport.h"
#include "zrhostitemlist.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"
#include "zrtransferverifier.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <cmath>
#include <cstring>

using Kind = ZRExchangeUi::MessageKind;

Q_DECLARE_METATYPE(HorizonExportOutcome)

namespace
{

constexpr const char* FeetProject = "FEET";
constexpr const char* NorthSea = "North Sea 3D";
constexpr const char* DomeRidge = "Dome Ridge 3D";
/// Axis-aligned: trace t, line l at (449000 + 50 (t - 1), 6790000 + 50 (l - 1)); traces 1-50, lines 1-40.
constexpr const char* Frontier = "Frontier 3D";
constexpr float kMissing = 1.0e37f;
/// Made by the test across part of North Sea 3D: rotated by 10 degrees, 40 m
/// cells (coarser than North Sea's 25 m, so several points meet on a node),
/// orientation "LINE", lines 300 down to 250, traces 10 to 70.
constexpr const char* Overlap = "Overlap 3D";

/// Adds the survey Overlap to the open (metric) project.
bool addOverlapSurvey()
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, QByteArray(Overlap));
    owSetText(survey.displayName, QByteArray(Overlap));
    owSetText(survey.orientation, QByteArrayLiteral("LINE"));
    survey.firstLine = 300;
    survey.lastLine = 250;
    survey.firstTrace = 10;
    survey.lastTrace = 70;
    survey.lineCount = 51;
    survey.traceCount = 61;
    survey.lineIncrement = -1.0;
    survey.traceIncrement = 1.0;
    const double angle = 10.0 * 3.14159265358979323846 / 180.0;
    const auto map = [&](double line, double trace, double* xy) {
        const double lineIndex = 300.0 - line;
        const double traceIndex = trace - 10.0;
        xy[0] = 451900.0 + 40.0 * (traceIndex * std::cos(angle) - lineIndex * std::sin(angle));
        xy[1] = 6781700.0 + 40.0 * (traceIndex * std::sin(angle) + lineIndex * std::cos(angle));
    };
    map(300, 10, survey.corner);
    map(300, 70, survey.corner + 2);
    map(250, 70, survey.corner + 4);
    map(250, 10, survey.corner + 6);
    return gdiAdd(GDI_CLASS_3D_SURVEY, &survey) == 0 && gdiCommit() == 0;
}

/// The import's rule for a node of an OpenWorks grid: NaN and values outside
/// the data range are null (here 1.0e37, as an export writes them).
float asImported(const DevKitHorizonGrid& grid, float value)
{
    return value >= float(grid.dataMin) && value <= float(grid.dataMax) ? value : kMissing;
}

bool sameValue(float a, float b, double relative)
{
    return a == b || std::fabs(double(a) - double(b)) <= relative * std::max(1.0, std::fabs(double(a)));
}

} // namespace

class TestHorizonExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTripIntoItsSurvey_data();
    void roundTripIntoItsSurvey();
    void roundTripThroughAVolumeSurvey();
    void placementInAnotherSurvey();
    void halvesRoundAwayFromZeroAndLaterPointsWin();
    void fewPointsStillAdvanceTheBar();
    void horizonOutsideTheSurvey();
    void nameBeforeTheFirstDot();
    void failures_data();
    void failures();
    void cancelDuringConversion_data();
    void cancelDuringConversion();
    void surveyNotFoundStopsTheExport_data();
    void surveyNotFoundStopsTheExport();
    void applyToAllThenOneReplaced();
    void catalogueRow_data();
    void catalogueRow();
    void dryRunPlansTheRealRun();
    void dryRunWithAVolumeThatWouldBecomeTheSurvey();
    void verification();

private:
    void openProject(const QString& project);
    QString horizonFolder() const { return m_fixture->project().directoryForType(ZRProject::HorizonType); }
    QString volumeFolder() const { return m_fixture->project().directoryForType(ZRProject::VolumeType); }
    ZRExchangeContext context(ZRTransferReport* report = nullptr);
    /// Imports a demo horizon into `folder` (the horizon folder when empty),
    /// the first survey's file under fileName; its paths, first survey first.
    QStringList importHorizon(const QString& name, const QString& attribute, const QString& fileName);
    /// The target of an OpenWorks survey association, resolved by name.
    ExportSurveyTarget surveyTarget(const QString& survey);
    /// The OpenWorks grid of a horizon in a survey (readHorizonGrids).
    DevKitHorizonGrid gridOf(int horizonId, const QString& attribute, const QString& survey);
    void checkNothingOpen();

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZROpenworksSession m_session;
    std::unique_ptr<ZRScriptedExchangeUi> m_ui;
    QString m_project;
};

void TestHorizonExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    std::string error;
    bool alreadySeeded = false;
    QVERIFY2(owsim::seedDemo(m_fixture->environment().openWorksHome().toStdString(), ExchangeFixture::District,
                             FeetProject, owsim::MeasurementSystem::Feet, &alreadySeeded, &error),
             error.c_str());
    QVERIFY(m_session.start());
    QVERIFY(QDir().mkpath(horizonFolder()));
    QVERIFY(QDir().mkpath(volumeFolder()));
    openProject(ExchangeFixture::Project);
    QVERIFY(addOverlapSurvey());
}

void TestHorizonExport::init()
{
    owsim::clearInjections();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    QDir folder(horizonFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        QVERIFY(folder.remove(name));
    openProject(ExchangeFixture::Project);
}

void TestHorizonExport::cleanup()
{
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestHorizonExport::openProject(const QString& project)
{
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session.openProject(project, &error), qPrintable(error));
    m_project = project;
}

ZRExchangeContext TestHorizonExport::context(ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = &m_session;
    context.ui = m_ui.get();
    context.report = report;
    return context;
}

QStringList TestHorizonExport::importHorizon(const QString& name, const QString& attribute, const QString& fileName)
{
    HorizonImportRequest request;
    request.horizonId = horizonIdOf(name, attribute);
    request.attribute = attribute;
    request.displayName = name;
    if (request.horizonId == 0)
        return {};
    // Files of earlier imports under fileName go; the import writes under the
    // horizon's name, so when fileName differs that name is taken for the
    // moment and the conflict answered with fileName.
    QDir folder(horizonFolder());
    for (const QString& existing : folder.entryList(QDir::Files | QDir::Hidden))
        if (existing == fileName || existing.startsWith(fileName + " ("))
            folder.remove(existing);
    ZRScriptedExchangeUi ui;
    const QString natural = folder.filePath(name);
    bool placeholder = false;
    if (fileName != name) {
        if (!QFileInfo::exists(natural)) {
            QFile file(natural);
            file.open(QIODevice::WriteOnly);
            file.write("placeholder");
            placeholder = true;
        }
        ZRExchangeUi::FileConflictAnswer rename;
        rename.choice = ZRExchangeUi::FileConflictAnswer::NewName;
        rename.newFileName = fileName;
        ui.fileConflictAnswers.enqueue(rename);
    }
    ZRExchangeContext importing = context();
    importing.ui = &ui;
    const int imported = importHorizons(importing, {request});
    if (placeholder)
        QFile::remove(natural);
    if (imported != 1)
        return {};
    QVector<DevKitHorizonGrid> grids;
    QString error;
    if (!readHorizonGrids(request.horizonId, attribute, &grids, &error))
        return {};
    QStringList paths;
    for (int i = 0; i < grids.size(); ++i)
        paths.append(folder.filePath(i == 0 ? fileName : horizonSurveyFileName(fileName, grids[i].surveyName)));
    return paths;
}

ExportSurveyTarget TestHorizonExport::surveyTarget(const QString& survey)
{
    ExportSurveyTarget target;
    target.origin = SurveyOrigin::OpenWorksSurvey;
    target.association = survey;
    target.record = findSurveyByName(survey);
    target.name = survey;
    return target;
}

DevKitHorizonGrid TestHorizonExport::gridOf(int horizonId, const QString& attribute, const QString& survey)
{
    QVector<DevKitHorizonGrid> grids;
    QString error;
    if (!readHorizonGrids(horizonId, attribute, &grids, &error))
        qWarning("%s", qPrintable(error));
    for (const DevKitHorizonGrid& grid : grids)
        if (grid.surveyName == survey)
            return grid;
    return DevKitHorizonGrid();
}

void TestHorizonExport::checkNothingOpen()
{
    QVERIFY(!horizonSubsystemOpen());
    QVERIFY(!surveyProjectOpen());
    // The unit of horizon values is the project's again.
    for (int type : {OW_UNIT_TYPE_SEISMIC_TIME, OW_UNIT_TYPE_DEPTH}) {
        int session = 0, project = 0;
        QCOMPARE(gdiGetMeasSystemUnitIdForType(OW_MEAS_SESSION, type, &session), 0);
        QCOMPARE(gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, type, &project), 0);
        QCOMPARE(session, project);
    }
}

void TestHorizonExport::roundTripIntoItsSurvey_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("horizon");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<int>("surveyIndex"); // which of the horizon's surveys
    QTest::addColumn<double>("tolerance"); // relative, of the values after the unit conversions
    QTest::newRow("time, North Sea") << ExchangeFixture::Project << "Top Reservoir" << "TIME_STRUCTURE" << 0 << 0.0;
    QTest::newRow("time, Dome Ridge (LINE, lines descending)")
        << ExchangeFixture::Project << "Top Reservoir" << "TIME_STRUCTURE" << 1 << 0.0;
    QTest::newRow("depth") << ExchangeFixture::Project << "Top Reservoir" << "DEPTH_STRUCTURE" << 0 << 0.0;
    QTest::newRow("NaN and out-of-range nodes, time")
        << ExchangeFixture::Project << "Intra Chalk" << "TIME_STRUCTURE" << 0 << 0.0;
    QTest::newRow("NaN and out-of-range nodes, depth, second survey")
        << ExchangeFixture::Project << "Intra Chalk" << "DEPTH_STRUCTURE" << 1 << 0.0;
    // Depths in feet go to metres on import and back to feet on export; map
    // positions likewise.
    QTest::newRow("feet project, depth") << FeetProject << "Top Reservoir" << "DEPTH_STRUCTURE" << 0 << 1e-6;
    QTest::newRow("feet project, time") << FeetProject << "Top Reservoir" << "TIME_STRUCTURE" << 1 << 0.0;
}

void TestHorizonExport::roundTripIntoItsSurvey()
{
    QFETCH(QString, project);
    QFETCH(QString, horizon);
    QFETCH(QString, attribute);
    QFETCH(int, surveyIndex);
    QFETCH(double, tolerance);
    openProject(project);
    const QStringList paths = importHorizon(horizon, attribute, "first");
    QVERIFY(paths.size() > surveyIndex);
    const QString path = paths[surveyIndex];
    QVector<DevKitHorizonGrid> originals;
    QString error;
    QVERIFY2(readHorizonGrids(horizonIdOf(horizon, attribute), attribute, &originals, &error), qPrintable(error));
    const DevKitHorizonGrid original = originals[surveyIndex];

    // Exported into the survey it came from, as a new horizon.
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    const HorizonExportOutcome outcome =
        exportHorizon(context(&report), path, surveyTarget(original.surveyName), -1);
    QCOMPARE(outcome, HorizonExportOutcome::Exported);
    QCOMPARE(m_ui->messages.size(), 0);
    checkNothingOpen();
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.of(GDI_CLASS_HORIZON_CATALOG), before.of(GDI_CLASS_HORIZON_CATALOG) + 1);
    QCOMPARE(after.of(GDI_CLASS_HORIZON_DATA), before.of(GDI_CLASS_HORIZON_DATA) + 1);
    const QString name = QFileInfo(path).fileName().section('.', 0, 0);
    const int newId = newestHorizonId(name);
    QCOMPARE(report.item(0).target.value("horizonId").toInt(), newId);

    // The catalogue record: name, attribute, domain, interpreter, range.
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = newId;
    QCOMPARE(gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog), 0);
    QCOMPARE(owText(catalog.name), name);
    QCOMPARE(owText(catalog.attribute), attribute);
    QCOMPARE(owText(catalog.domain), original.domain);
    QCOMPARE(owText(catalog.interpreter), QStringLiteral("LGC"));
    QCOMPARE(owText(catalog.version), QStringLiteral("UNKNOWN"));

    // Its grid: every node the import kept, equal; every other one missing.
    const DevKitHorizonGrid exported = gridOf(newId, attribute, original.surveyName);
    QCOMPARE(exported.values.size(), original.values.size());
    QCOMPARE(exported.domain, original.domain);
    int valid = 0;
    float low = 3.4e38f, high = -3.4e38f;
    for (int n = 0; n < original.values.size(); ++n) {
        const float expected = asImported(original, original.values[n]);
        const float actual = exported.values[n];
        if (expected == kMissing) {
            QVERIFY2(actual == kMissing, qPrintable(QString("node %1: %2 instead of missing").arg(n).arg(actual)));
            continue;
        }
        ++valid;
        low = std::min(low, actual);
        high = std::max(high, actual);
        QVERIFY2(sameValue(actual, expected, tolerance),
                 qPrintable(QString("node %1: %2 instead of %3").arg(n).arg(actual, 0, 'g', 9).arg(expected, 0, 'g', 9)));
    }
    QVERIFY(valid > 100);
    QCOMPARE(report.item(0).counts.value("nodesWritten").toInt(), valid);
    QCOMPARE(report.item(0).counts.value("pointsOutside").toInt(), 0);
    QCOMPARE(float(exported.dataMin), low);
    QCOMPARE(float(exported.dataMax), high);

    // Imported again: the same host horizon.
    QString againPath;
    {
        HorizonImportRequest request;
        request.horizonId = newId;
        request.attribute = attribute;
        request.displayName = name;
        ZRScriptedExchangeUi ui;
        ZRExchangeUi::FileConflictAnswer rename;
        rename.choice = ZRExchangeUi::FileConflictAnswer::NewName;
        rename.newFileName = "again";
        ui.fileConflictAnswers.enqueue(rename);
        ZRExchangeContext importing = context();
        importing.ui = &ui;
        QCOMPARE(importHorizons(importing, {request}), 1);
        againPath = horizonFolder() + "/again";
    }
    HorizonFileView first, again;
    QVERIFY2(first.load(path, &error), qPrintable(error));
    QVERIFY2(again.load(againPath, &error), qPrintable(error));
    QCOMPARE(again.dimx, first.dimx);
    QCOMPARE(again.dimz, first.dimz);
    QCOMPARE(again.verticalUnit, first.verticalUnit);
    QCOMPARE(again.worldPoints.size(), first.worldPoints.size());
    for (int n = 0; n < first.worldPoints.size(); ++n) {
        QCOMPARE(again.worldPoints[n][0], first.worldPoints[n][0]);
        QCOMPARE(again.worldPoints[n][2], first.worldPoints[n][2]);
        QVERIFY(sameValue(float(again.worldPoints[n][1]), float(first.worldPoints[n][1]), tolerance));
    }
}

void TestHorizonExport::roundTripThroughAVolumeSurvey()
{
    // A demo volume imported to the host, then named as the survey: the
    // export makes a new survey from it and writes the horizon there.
    const QString volume = volumeFolder() + "/NS Time Full";
    if (!QFileInfo::exists(volume)) {
        ZROpenworksSurveyModel catalogue;
        {
            ZRProgressBarGuard reading(1, "Reading");
            catalogue.loadFromOpenworks(reading.id());
        }
        QVector<int> rows;
        for (int row = 0; row < catalogue.rowCount(); ++row)
            if (catalogue.index(row, 1).data().toString() == "NS Time Full")
                rows.append(row);
        const QVector<SurveyImportRequest> requests = surveyImportRequestsFromRows(catalogue, rows, nullptr);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(importSurveys(context(), requests), 1);
    }
    QVERIFY(QFileInfo::exists(volume));
    const QStringList paths = importHorizon("Top Reservoir", "TIME_STRUCTURE", "Top Reservoir");
    QVERIFY(!paths.isEmpty());

    ZRHostItemList items;
    const QModelIndex item = items.addFile(paths[0], ZRProject::HorizonType);
    m_ui->surveyAnswers.enqueue({SurveyAssociation{item, SurveyOrigin::HostVolume, volume}});
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportHorizons(context(&report), items.items()), 1);
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.of(GDI_CLASS_3D_SURVEY), before.of(GDI_CLASS_3D_SURVEY) + 1);
    QCOMPARE(after.of(GDI_CLASS_SEISMIC_DATA_SET), before.of(GDI_CLASS_SEISMIC_DATA_SET) + 1);
    QCOMPARE(after.of(GDI_CLASS_HORIZON_CATALOG), before.of(GDI_CLASS_HORIZON_CATALOG) + 1);
    // The report: the volume's item, then the horizon's, in the survey the volume made.
    QCOMPARE(report.itemCount(), 2);
    QCOMPARE(report.item(0).objectClass, QStringLiteral("volume"));
    QCOMPARE(report.item(1).objectClass, QStringLiteral("horizon"));
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Exported);
    QCOMPARE(report.item(1).target.value("survey").toString(), QStringLiteral("NS Time Full"));
    const QJsonObject association = report.item(1).target.value("association").toObject();
    QCOMPARE(association.value("origin").toString(), QStringLiteral("host volume"));
    QCOMPARE(association.value("volume").toString(), QStringLiteral("exported as a new survey"));

    // The horizon imported again from the new survey equals the first import.
    const int newId = newestHorizonId("Top Reservoir");
    const DevKitHorizonGrid original = gridOf(horizonIdOf("Top Reservoir", "TIME_STRUCTURE"), "TIME_STRUCTURE", NorthSea);
    const DevKitHorizonGrid exported = gridOf(newId, "TIME_STRUCTURE", "NS Time Full");
    QCOMPARE(exported.lastLine - exported.firstLine, original.lastLine - original.firstLine);
    QCOMPARE(exported.lastTrace - exported.firstTrace, original.lastTrace - original.firstTrace);
    for (int n = 0; n < original.values.size(); ++n)
        QCOMPARE(exported.values[n], asImported(original, original.values[n]));
    HorizonImportRequest request;
    request.horizonId = newId;
    request.attribute = "TIME_STRUCTURE";
    request.displayName = "Top Reservoir";
    ZRScriptedExchangeUi ui;
    ZRExchangeUi::FileConflictAnswer rename;
    rename.choice = ZRExchangeUi::FileConflictAnswer::NewName;
    rename.newFileName = "again";
    ui.fileConflictAnswers.enqueue(rename);
    ZRExchangeContext importing = context();
    importing.ui = &ui;
    QCOMPARE(importHorizons(importing, {request}), 1);
    HorizonFileView first, again;
    QString error;
    QVERIFY2(first.load(paths[0], &error), qPrintable(error));
    QVERIFY2(again.load(horizonFolder() + "/again", &error), qPrintable(error));
    QCOMPARE(again.worldPoints.size(), first.worldPoints.size());
    for (int n = 0; n < first.worldPoints.size(); ++n) {
        QCOMPARE(again.worldPoints[n][1], first.worldPoints[n][1]);
        QVERIFY(std::fabs(again.worldPoints[n][0] - first.worldPoints[n][0]) < 1e-3);
        QVERIFY(std::fabs(again.worldPoints[n][2] - first.worldPoints[n][2]) < 1e-3);
    }

    // A second export with the same volume finds the survey it made.
    ZRHostItemList more;
    const QModelIndex second = more.addFile(paths[0], ZRProject::HorizonType);
    m_ui->surveyAnswers.enqueue({SurveyAssociation{second, SurveyOrigin::HostVolume, volume}});
    const RecordCounts beforeSecond = RecordCounts::now();
    ZRTransferReport secondReport;
    QCOMPARE(exportHorizons(context(&secondReport), more.items()), 1);
    const RecordCounts afterSecond = RecordCounts::now();
    QCOMPARE(afterSecond.of(GDI_CLASS_3D_SURVEY), beforeSecond.of(GDI_CLASS_3D_SURVEY));
    QCOMPARE(afterSecond.of(GDI_CLASS_HORIZON_CATALOG), beforeSecond.of(GDI_CLASS_HORIZON_CATALOG) + 1);
    const ZRTransferReport::Item& horizonItem = secondReport.item(secondReport.itemCount() - 1);
    QCOMPARE(horizonItem.target.value("survey").toString(), QStringLiteral("NS Time Full"));
}

void TestHorizonExport::placementInAnotherSurvey()
{
    // North Sea nodes written into a survey across it (rotated otherwise,
    // coarser, lines descending, "LINE" orientation): every node where rwtoin_
    // of each point, rounded, puts it; later points overwrite; points outside
    // are counted.
    const QStringList paths = importHorizon("Top Reservoir", "TIME_STRUCTURE", "Top Reservoir");
    QVERIFY(!paths.isEmpty());
    ZRTransferReport report;
    QCOMPARE(exportHorizon(context(&report), paths[0], surveyTarget(Overlap), -1), HorizonExportOutcome::Exported);
    const int newId = newestHorizonId("Top Reservoir");
    const DevKitHorizonGrid exported = gridOf(newId, "TIME_STRUCTURE", Overlap);
    QVERIFY(!exported.values.isEmpty());

    ZR3DHorizon horizon;
    QVERIFY(horizon.load(paths[0]));
    QVector<float> expected(exported.values.size(), kMissing);
    int outside = 0;
    {
        const SurveyProjectScope project(Overlap);
        QVERIFY(project.isOpen());
        for (const core::vec3& point : horizon.worldPoints()) {
            double line = 0.0, trace = 0.0;
            QVERIFY(gridPositionOf(point.x, point.z, &line, &trace));
            const int l = int(std::round(line));
            const int t = int(std::round(trace));
            if (l < exported.firstLine || l > exported.lastLine || t < exported.firstTrace || t > exported.lastTrace) {
                ++outside;
                continue;
            }
            expected[(l - exported.firstLine) * exported.columns() + (t - exported.firstTrace)] = float(point.y);
        }
    }
    QVERIFY(outside > 0);
    int written = 0;
    for (int n = 0; n < expected.size(); ++n) {
        QCOMPARE(exported.values[n], expected[n]);
        written += expected[n] != kMissing;
    }
    QVERIFY(written > 500);
    // Several points met on some nodes.
    QVERIFY(report.item(0).counts.value("pointsPlaced").toInt() > written);
    QCOMPARE(report.item(0).counts.value("pointsOutside").toInt(), outside);
    QCOMPARE(report.item(0).counts.value("nodesWritten").toInt(), written);
    QCOMPARE(report.item(0).counts.value("points").toInt(), int(horizon.worldPoints().size()));
    // The positions came from a map derived from a few rwtoin_ calls.
    QVERIFY(report.item(0).counts.value("positionCalls").toInt() < 100);
}

void TestHorizonExport::halvesRoundAwayFromZeroAndLaterPointsWin()
{
    // Nodes every 25 m along the traces of a survey 50 m apart: every odd
    // node lies exactly half-way between two traces and rounds up (away from
    // zero), onto the trace the next even node lies on, which comes later
    // and wins. Lines are 50 m apart like the survey's.
    const QString path = horizonFolder() + "/halves";
    const auto value = [](int i, int j) { return float(1000 + 10 * j + i); };
    QVERIFY(writeSyntheticHorizon(path, 99, 40, 449000.0, 6790000.0, 25.0, 50.0, value, Millisecond));
    ZRTransferReport report;
    QCOMPARE(exportHorizon(context(&report), path, surveyTarget(Frontier), -1), HorizonExportOutcome::Exported);
    const DevKitHorizonGrid grid = gridOf(newestHorizonId("halves"), "TIME_STRUCTURE", Frontier);
    QCOMPARE(grid.firstTrace, 1);
    QCOMPARE(grid.lastTrace, 50);
    QCOMPARE(grid.lastLine, 40);
    for (int line = 1; line <= 40; ++line)
        for (int trace = 1; trace <= 50; ++trace)
            QCOMPARE(grid.value(line, trace), value(2 * (trace - 1), line - 1));
    QCOMPARE(report.item(0).counts.value("pointsPlaced").toInt(), 99 * 40);
    QCOMPARE(report.item(0).counts.value("nodesWritten").toInt(), 50 * 40);
    // The half-way nodes were located by rwtoin_ itself.
    QVERIFY(report.item(0).counts.value("positionCalls").toInt() >= 49 * 40);
}

void TestHorizonExport::fewPointsStillAdvanceTheBar()
{
    const QString path = horizonFolder() + "/few";
    QVERIFY(writeSyntheticHorizon(path, 5, 4, 449000.0, 6790000.0, 50.0, 50.0,
                                  [](int i, int j) { return float(500 + i + j); }, Millisecond));
    QVector<int> increments;
    ProgressHook hook("Converting horizon data", [&](int value) {
        increments.append(value);
        return false;
    });
    QCOMPARE(exportHorizon(context(), path, surveyTarget(Frontier), -1), HorizonExportOutcome::Exported);
    // 20 points: step 1, one advance per point.
    QCOMPARE(increments.size(), 20);
    QCOMPARE(increments.last(), 20);
}

void TestHorizonExport::horizonOutsideTheSurvey()
{
    const QString path = horizonFolder() + "/faraway";
    QVERIFY(writeSyntheticHorizon(path, 10, 10, 100000.0, 100000.0, 50.0, 50.0,
                                  [](int, int) { return 700.0f; }, Millisecond));
    ZRTransferReport report;
    QCOMPARE(exportHorizon(context(&report), path, surveyTarget(Frontier), -1), HorizonExportOutcome::Exported);
    QCOMPARE(m_ui->messages.size(), 0);
    const int id = newestHorizonId("faraway");
    const DevKitHorizonGrid grid = gridOf(id, "TIME_STRUCTURE", Frontier);
    for (float value : grid.values)
        QCOMPARE(value, kMissing);
    // The header kept the placeholder range: no range was recorded.
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = id;
    QCOMPARE(gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog), 0);
    QCOMPARE(catalog.dataMin, 0.0);
    QCOMPARE(catalog.dataMax, 0.0);
    QCOMPARE(report.item(0).counts.value("pointsOutside").toInt(), 100);
    QVERIFY(report.item(0).valueRange.isEmpty());
}

void TestHorizonExport::nameBeforeTheFirstDot()
{
    const QString path = horizonFolder() + "/Top.Reservoir.v2.hz";
    QVERIFY(writeSyntheticHorizon(path, 3, 3, 449000.0, 6790000.0, 50.0, 50.0,
                                  [](int, int) { return 10.0f; }, Meter));
    QCOMPARE(exportHorizon(context(), path, surveyTarget(Frontier), -1), HorizonExportOutcome::Exported);
    const int id = newestHorizonId("Top");
    QVERIFY(id > 0);
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = id;
    QCOMPARE(gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog), 0);
    QCOMPARE(owText(catalog.attribute), QStringLiteral("DEPTH_STRUCTURE"));
    QCOMPARE(owText(catalog.domain), QStringLiteral("DEPTH"));
}

void TestHorizonExport::failures_data()
{
    QTest::addColumn<QString>("injection");
    QTest::addColumn<HorizonExportOutcome>("outcome");
    QTest::addColumn<QString>("title"); // empty: no box
    QTest::addColumn<QString>("text");  // %1 the horizon, %2 the survey, %3 the DevKit's text of the status
    const auto failed = HorizonExportOutcome::Failed;
    const auto exported = HorizonExportOutcome::Exported;
    const QString read = "Unable to read from the database during the export of horizon %1: %3";
    QTest::newRow("gdiGetMeasSystemUnitIdForField")
        << "gdiGetMeasSystemUnitIdForField:1=277600014" << failed << "Error"
        << "Unable to convert the map positions of survey %2 during export of horizon %1: %3";
    QTest::newRow("untConvert of the values' unit (report only)")
        << "untConvert:1=277600011" << exported << QString() << QString();
    QTest::newRow("untConvert of a map unit")
        << "untConvert:2=277600011" << failed << "Error"
        << "Unable to convert the map positions of survey %2 during export of horizon %1: %3";
    QTest::newRow("gdiSetMeasSystemUnitIdForType")
        << "gdiSetMeasSystemUnitIdForType:1=277600013" << failed << "Error"
        << "Unable to declare the unit of horizon %1 to OpenWorks®: %3";
    QTest::newRow("gdiGetMeasSystemUnitIdForType") << "gdiGetMeasSystemUnitIdForType:1=277600013" << exported
                                                   << QString() << QString();
    QTest::newRow("prjin2_") << "prjin2_:1=1" << failed << "Error"
                             << "Unable to open 3D project %2 during export of horizon: %1 (Initialization of 3D "
                                "project)";
    QTest::newRow("srvbnd_") << "srvbnd_:1=2" << failed << "Error"
                             << "Unable to open horizon subsystem during export of horizon: %1";
    QTest::newRow("hrzopn_") << "hrzopn_:1=2" << failed << "Error"
                             << "Unable to open horizon subsystem during export of horizon: %1";
    QTest::newRow("hrzcrt_") << "hrzcrt_:1=5" << failed << "Horizon Creation Error"
                             << "Unable to create horizon file during export of horizon: %1";
    QTest::newRow("hrzhdr_plus_ with the placeholder range")
        << "hrzhdr_plus_:1=3" << exported << QString() << QString();
    QTest::newRow("hrzhdr_plus_ with the data range") << "hrzhdr_plus_:2=3" << exported << QString() << QString();
    QTest::newRow("rwtoin_ (the map is then asked point by point)")
        << "rwtoin_:1=2" << exported << QString() << QString();
    QTest::newRow("hrzrw_") << "hrzrw_:1=3" << failed << "Horizon write error"
                            << "Horizon write error(3) occurred while writing horizon: %1";
    QTest::newRow("gdiInitiateObject of the catalogue record")
        << "gdiInitiateObject:1=277600003" << failed << "Error" << read;
    QTest::newRow("gdiRead of the catalogue record") << "gdiRead:1=177600004" << failed << "Error" << read;
    QTest::newRow("gdiInitiateObject of the data record")
        << "gdiInitiateObject:2=277600003" << failed << "Error" << read;
    QTest::newRow("gdiRead of the data record") << "gdiRead:2=177600004" << failed << "Error" << read;
    QTest::newRow("gdiUpdate") << "gdiUpdate:1=277600008" << failed << "Error"
                               << "Unable to update the database during the export of horizon %1: %3";
    QTest::newRow("gdiCommit") << "gdiCommit:1=277600010" << failed << "Error"
                               << "Unable to finish writing to the database during the export of horizon %1: %3";
    QTest::newRow("hrzcls_") << "hrzcls_:1=1" << exported << QString() << QString();
    QTest::newRow("prjend_") << "prjend_:1=1" << exported << QString() << QString();
    QTest::newRow("hrzdel_ (not called)") << "hrzdel_:1=1" << exported << QString() << QString();
    QTest::newRow("gdiRollback (not called)") << "gdiRollback:1=277600009" << exported << QString() << QString();
}

void TestHorizonExport::failures()
{
    QFETCH(QString, injection);
    QFETCH(HorizonExportOutcome, outcome);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const QStringList paths = importHorizon("Top Reservoir", "TIME_STRUCTURE", "Top Reservoir");
    QVERIFY(!paths.isEmpty());
    const QString second = horizonFolder() + "/second";
    QVERIFY(writeSyntheticHorizon(second, 20, 20, 449000.0, 6790000.0, 50.0, 50.0,
                                  [](int i, int j) { return float(300 + i * j); }, Millisecond));
    const ExportSurveyTarget northSea = surveyTarget(NorthSea);
    const ExportSurveyTarget frontier = surveyTarget(Frontier);
    const RecordCounts before = RecordCounts::now();
    QVERIFY(owsim::injectRules(injection.toStdString()));
    const int status = injection.section('=', 1).toInt();

    ZRTransferReport report;
    const HorizonExportOutcome result = exportHorizon(context(&report), paths[0], northSea, -1);
    const int deletions = owsim::callCount("hrzdel_");
    owsim::clearInjections();
    QCOMPARE(result, outcome);
    QCOMPARE(deletions, 0);
    // A DevKit that would not close leaves it open; the next export opens its own.
    if (!injection.startsWith("hrzcls_") && !injection.startsWith("prjend_"))
        checkNothingOpen();
    const RecordCounts after = RecordCounts::now();
    if (title.isEmpty()) {
        QCOMPARE(m_ui->messages.size(), 0);
        QCOMPARE(after.of(GDI_CLASS_HORIZON_CATALOG), before.of(GDI_CLASS_HORIZON_CATALOG) + 1);
        QCOMPARE(after.of(GDI_CLASS_HORIZON_DATA), before.of(GDI_CLASS_HORIZON_DATA) + 1);
        QCOMPARE(report.item(0).outcome, ZRTransferReport::Exported);
        // What was written is the horizon, even when some calls failed.
        ZRTransferVerifier verifier(context());
        QVERIFY2(verifier.verifyHorizonExportItem(report.toJson().value("items").toArray()[0].toObject()),
                 qPrintable(verifier.differences().join('\n')));
    } else {
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].kind, Kind::Information);
        QCOMPARE(m_ui->messages[0].title, title);
        QCOMPARE(m_ui->messages[0].text,
                 QString(text).replace("%1", "Top Reservoir").replace("%2", NorthSea)
                     .replace("%3", QString::fromLatin1(gdiErrorMessage(status))));
        QCOMPARE(report.item(0).outcome, ZRTransferReport::Failed);
        QCOMPARE(report.item(0).messages, QStringList{m_ui->messages[0].text});
        // A horizon that failed after hrzcrt_ is not deleted: its transaction
        // is rolled back, which in this DevKit takes hrzcrt_'s records with it.
        QVERIFY2(after == before, qPrintable(after.differenceFrom(before)));
    }

    // The next horizon is exported.
    m_ui->messages.clear();
    QCOMPARE(exportHorizon(context(), second, frontier, -1), HorizonExportOutcome::Exported);
    QCOMPARE(m_ui->messages.size(), 0);
    QCOMPARE(RecordCounts::now().of(GDI_CLASS_HORIZON_CATALOG), after.of(GDI_CLASS_HORIZON_CATALOG) + 1);
    checkNothingOpen();
}

void TestHorizonExport::cancelDuringConversion_data()
{
    QTest::addColumn<int>("cancelAt"); // horizon (0-based) whose conversion is cancelled
    QTest::addColumn<bool>("deletionFails");
    QTest::newRow("first horizon") << 0 << false;
    QTest::newRow("second horizon") << 1 << false;
    QTest::newRow("second horizon, hrzdel_ fails") << 1 << true;
}

void TestHorizonExport::cancelDuringConversion()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, deletionFails);
    ZRHostItemList items;
    QList<SurveyAssociation> associations;
    for (int h = 0; h < 3; ++h) {
        const QString path = horizonFolder() + QStringLiteral("/cancel%1").arg(h);
        QVERIFY(writeSyntheticHorizon(path, 30, 30, 449000.0, 6790000.0, 50.0, 50.0,
                                      [h](int i, int j) { return float(h * 100 + i + j); }, Millisecond));
        associations.append({items.addFile(path, ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, Frontier});
    }
    m_ui->surveyAnswers.enqueue(associations);
    int conversions = 0;
    int lastValue = 0;
    ProgressHook hook("Converting horizon data", [&](int value) {
        if (value < lastValue || lastValue == 0)
            ++conversions;
        lastValue = value;
        return conversions == cancelAt + 1 && value >= 450;
    });
    if (deletionFails)
        owsim::injectStatus("hrzdel_", 1, 1);
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportHorizons(context(&report), items.items()), cancelAt);
    QCOMPARE(owsim::callCount("hrzdel_"), 1);
    checkNothingOpen();
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.of(GDI_CLASS_HORIZON_CATALOG), before.of(GDI_CLASS_HORIZON_CATALOG) + cancelAt);
    QCOMPARE(after.of(GDI_CLASS_HORIZON_DATA), before.of(GDI_CLASS_HORIZON_DATA) + cancelAt);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("OpenWorks® Data Link"));
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("%1 of 3 horizons exported.").arg(cancelAt));
    QCOMPARE(report.itemCount(), cancelAt + 1);
    QCOMPARE(report.item(cancelAt).outcome, ZRTransferReport::Cancelled);
    ZRTransferVerifier verifier(context());
    QVERIFY2(verifier.verifyHorizonExportItem(report.toJson().value("items").toArray()[cancelAt].toObject()),
             qPrintable(verifier.differences().join('\n')));
}

void TestHorizonExport::surveyNotFoundStopsTheExport_data()
{
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("injection");
    QTest::newRow("no such survey") << int(SurveyOrigin::OpenWorksSurvey) << "Nowhere 3D" << QString();
    QTest::newRow("the survey query fails") << int(SurveyOrigin::OpenWorksSurvey) << NorthSea
                                            << "gdiReadSubset:2=277600008";
    QTest::newRow("the volume is missing") << int(SurveyOrigin::HostVolume) << "/nowhere/volume" << QString();
}

void TestHorizonExport::surveyNotFoundStopsTheExport()
{
    QFETCH(int, origin);
    QFETCH(QString, survey);
    QFETCH(QString, injection);
    ZRHostItemList items;
    const QString first = horizonFolder() + "/one";
    const QString second = horizonFolder() + "/two";
    for (const QString& path : {first, second})
        QVERIFY(writeSyntheticHorizon(path, 5, 5, 449000.0, 6790000.0, 50.0, 50.0,
                                      [](int, int) { return 1.0f; }, Millisecond));
    // The first association is fine, the second names no survey: nothing at all is exported.
    m_ui->surveyAnswers.enqueue({{items.addFile(first, ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, Frontier},
                                 {items.addFile(second, ZRProject::HorizonType), SurveyOrigin(origin), survey}});
    if (!injection.isEmpty())
        QVERIFY(owsim::injectRules(injection.toStdString()));
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportHorizons(context(&report), items.items()), 0);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(owsim::callCount("hrzcrt_"), 0);
    // No summary box; a volume that cannot be exported says why in its own box.
    for (const auto& message : m_ui->messages)
        QVERIFY(!message.text.contains("horizons exported"));
    const QJsonArray runMessages = report.toJson().value("messages").toArray();
    QCOMPARE(runMessages.size(), 1);
    QVERIFY(runMessages[0].toString().startsWith("No OpenWorks® 3D survey for " + QDir::toNativeSeparators(second)));
}

void TestHorizonExport::applyToAllThenOneReplaced()
{
    // Three horizons associated with Frontier 3D (apply to all), then the
    // second replaced by North Sea 3D: each goes where its association says.
    ZRHostItemList items;
    QList<SurveyAssociation> associations;
    for (int h = 0; h < 3; ++h) {
        const QString path = horizonFolder() + QStringLiteral("/all%1").arg(h);
        QVERIFY(writeSyntheticHorizon(path, 40, 30, 449000.0, 6790000.0, 50.0, 50.0,
                                      [h](int i, int) { return float(h + i); }, Millisecond));
        associations.append({items.addFile(path, ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, Frontier});
    }
    associations[1].survey = NorthSea;
    m_ui->surveyAnswers.enqueue(associations);
    ZRTransferReport report;
    QCOMPARE(exportHorizons(context(&report), items.items()), 3);
    QCOMPARE(report.itemCount(), 3);
    const QStringList expected{Frontier, NorthSea, Frontier};
    for (int h = 0; h < 3; ++h) {
        QCOMPARE(report.item(h).outcome, ZRTransferReport::Exported);
        QCOMPARE(report.item(h).target.value("survey").toString(), expected[h]);
        const DevKitHorizonGrid grid = gridOf(newestHorizonId(QStringLiteral("all%1").arg(h)), "TIME_STRUCTURE", expected[h]);
        QVERIFY(!grid.values.isEmpty());
    }
    // The North Sea grid lies across the synthetic one: some points fall outside.
    QVERIFY(report.item(1).counts.value("pointsOutside").toInt() > 0);
    QCOMPARE(report.item(0).counts.value("pointsOutside").toInt(), 0);
}

void TestHorizonExport::catalogueRow_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<bool>("appended");
    QTest::newRow("horizon page shown") << 6 << true;
    QTest::newRow("fault page shown") << 5 << false;
}

void TestHorizonExport::catalogueRow()
{
    QFETCH(int, category);
    QFETCH(bool, appended);
    ZROpenworksHorizonModel catalogue;
    {
        ZRProgressBarGuard reading(1, "Reading");
        catalogue.loadFromOpenworks(reading.id());
    }
    const int rows = catalogue.rowCount();
    const QString path = horizonFolder() + "/catalogued";
    QVERIFY(writeSyntheticHorizon(path, 5, 5, 449000.0, 6790000.0, 50.0, 50.0, [](int, int) { return 2.0f; }, Meter));
    ZRExchangeContext exporting = context();
    exporting.horizonModel = &catalogue;
    exporting.currentCategory = category;
    QSignalSpy inserted(&catalogue, &QAbstractItemModel::rowsInserted);
    QCOMPARE(exportHorizon(exporting, path, surveyTarget(Frontier), -1), HorizonExportOutcome::Exported);
    QCOMPARE(catalogue.rowCount(), rows + (appended ? 1 : 0));
    QCOMPARE(inserted.count(), appended ? 1 : 0);
    if (appended) {
        QCOMPARE(catalogue.index(rows, ZROpenworksHorizonModel::HorizonNameColumn).data().toString(),
                 QStringLiteral("catalogued"));
        QCOMPARE(catalogue.index(rows, ZROpenworksHorizonModel::HorizonIdColumn).data().toInt(),
                 newestHorizonId("catalogued"));
        QCOMPARE(catalogue.index(rows, ZROpenworksHorizonModel::HiddenAttributeColumn).data().toString(),
                 QStringLiteral("DEPTH_STRUCTURE"));
    }
}

void TestHorizonExport::dryRunPlansTheRealRun()
{
    const QStringList paths = importHorizon("Top Reservoir", "TIME_STRUCTURE", "Top Reservoir");
    QVERIFY(paths.size() == 2);
    ZRHostItemList items;
    const QList<SurveyAssociation> associations{
        {items.addFile(paths[0], ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, NorthSea},
        {items.addFile(paths[1], ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, DomeRidge}};

    m_ui->surveyAnswers.enqueue(associations);
    owsim::clearInjections();
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport plan;
    plan.setDryRun(true);
    ZRExchangeContext dry = context(&plan);
    dry.dryRun = true;
    QCOMPARE(exportHorizons(dry, items.items()), 2);
    for (const char* call : {"hrzcrt_", "hrzrw_", "hrzhdr_plus_", "hrzdel_", "gdiAdd", "gdiUpdate", "gdiCommit",
                             "gdiSetMeasSystemUnitIdForType"})
        QCOMPARE(owsim::callCount(call), 0);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(m_ui->messages.size(), 0);
    checkNothingOpen();

    m_ui->surveyAnswers.enqueue(associations);
    ZRTransferReport real;
    QCOMPARE(exportHorizons(context(&real), items.items()), 2);
    QCOMPARE(plan.itemCount(), 2);
    QCOMPARE(real.itemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(plan.item(i).outcome, ZRTransferReport::Planned);
        QCOMPARE(real.item(i).outcome, ZRTransferReport::Exported);
        QCOMPARE(plan.item(i).counts, real.item(i).counts);
        QCOMPARE(plan.item(i).valueRange, real.item(i).valueRange);
        QCOMPARE(plan.item(i).geometry, real.item(i).geometry);
        QCOMPARE(plan.item(i).units, real.item(i).units);
        QCOMPARE(plan.item(i).target.value("surveyId"), real.item(i).target.value("surveyId"));
        QVERIFY(!plan.item(i).target.contains("horizonId"));
        QVERIFY(real.item(i).target.value("horizonId").toInt() > 0);
    }
}

void TestHorizonExport::dryRunWithAVolumeThatWouldBecomeTheSurvey()
{
    // A volume that is not a survey yet: the plan places the nodes on the
    // survey the volume would make, as the real run then does.
    ZROpenworksSurveyModel catalogue;
    {
        ZRProgressBarGuard reading(1, "Reading");
        catalogue.loadFromOpenworks(reading.id());
    }
    QVector<int> rows;
    for (int row = 0; row < catalogue.rowCount(); ++row)
        if (catalogue.index(row, 1).data().toString() == "Dome Time Sparse")
            rows.append(row);
    QCOMPARE(importSurveys(context(), surveyImportRequestsFromRows(catalogue, rows, nullptr)), 1);
    const QString volume = volumeFolder() + "/Dome Time Sparse";
    QVERIFY(QFileInfo::exists(volume));
    QVERIFY(!findSurveyByName("Dome Time Sparse"));
    const QStringList paths = importHorizon("Top Reservoir", "TIME_STRUCTURE", "Top Reservoir");
    ZRHostItemList items;
    const QList<SurveyAssociation> associations{
        {items.addFile(paths[1], ZRProject::HorizonType), SurveyOrigin::HostVolume, volume}};

    m_ui->surveyAnswers.enqueue(associations);
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport plan;
    ZRExchangeContext dry = context(&plan);
    dry.dryRun = true;
    QCOMPARE(exportHorizons(dry, items.items()), 1);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(plan.itemCount(), 2);
    QCOMPARE(plan.item(0).outcome, ZRTransferReport::Planned);
    QCOMPARE(plan.item(1).outcome, ZRTransferReport::Planned);
    QCOMPARE(plan.item(1).target.value("association").toObject().value("volume").toString(),
             QStringLiteral("would be exported as a new survey"));

    m_ui->surveyAnswers.enqueue(associations);
    ZRTransferReport real;
    QCOMPARE(exportHorizons(context(&real), items.items()), 1);
    QCOMPARE(real.item(1).outcome, ZRTransferReport::Exported);
    QCOMPARE(plan.item(1).counts.value("nodesWritten"), real.item(1).counts.value("nodesWritten"));
    QCOMPARE(plan.item(1).counts.value("pointsOutside"), real.item(1).counts.value("pointsOutside"));
    QCOMPARE(plan.item(1).counts.value("pointsPlaced"), real.item(1).counts.value("pointsPlaced"));
    QCOMPARE(plan.item(1).valueRange, real.item(1).valueRange);
    QCOMPARE(plan.item(1).geometry.value("survey"), real.item(1).geometry.value("survey"));
}

void TestHorizonExport::verification()
{
    // An import and an export verify; one node changed afterwards in
    // OpenWorks makes each fail.
    const int sourceId = horizonIdOf("Top Reservoir", "TIME_STRUCTURE");
    HorizonImportRequest request;
    request.horizonId = sourceId;
    request.attribute = "TIME_STRUCTURE";
    request.displayName = "Top Reservoir";
    ZRTransferReport imported;
    imported.setExchange("import-horizons");
    QCOMPARE(importHorizons(context(&imported), {request}), 1);
    const QString path = imported.item(0).target.value("path").toString();

    ZRHostItemList items;
    m_ui->surveyAnswers.enqueue({{items.addFile(path, ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, NorthSea}});
    ZRTransferReport exported;
    exported.setExchange("export-horizons");
    QCOMPARE(exportHorizons(context(&exported), items.items()), 1);

    for (const ZRTransferReport* report : {&imported, &exported}) {
        ZRTransferVerifier verifier(context());
        QVERIFY2(verifier.verifyReport(report->toJson()), qPrintable(verifier.differences().join('\n')));
        QCOMPARE(verifier.itemsVerified(), 1);
    }

    // One node of each OpenWorks horizon changed.
    const auto changeOneNode = [&](int horizonId, int line, int trace) {
        const SurveyProjectScope project(NorthSea);
        int status = 0, handle = 0, first = 0, firstTrace = 0, last = 0, lastTrace = 0;
        int type = 3;
        srvbnd_(&type, &first, &firstTrace, &last, &lastTrace, &status);
        const float null = 1.0e37f;
        hrzopn_(&status, NorthSea, &first, &last, &firstTrace, &lastTrace, &null, &handle);
        const int read = 1, write = 0, one = 1;
        float value = 0.0f;
        hrzrw_(&horizonId, &read, &status, &line, &line, &trace, &trace, &value, &one);
        value = value == null || std::isnan(value) ? 500.0f : value + 1.0f;
        hrzrw_(&horizonId, &write, &status, &line, &line, &trace, &trace, &value, &one);
        int closed = 0;
        hrzcls_(&closed);
        return status == 0 && gdiCommit() == 0;
    };
    QVERIFY(changeOneNode(exported.item(0).target.value("horizonId").toInt(), 120, 230));
    QVERIFY(changeOneNode(sourceId, 130, 250));
    for (const ZRTransferReport* report : {&imported, &exported}) {
        ZRTransferVerifier verifier(context());
        QVERIFY(!verifier.verifyReport(report->toJson()));
        QVERIFY2(verifier.differences().size() == 1, qPrintable(verifier.differences().join('\n')));
        QVERIFY(verifier.differences()[0].contains(report == &imported ? "line 130, trace 250" : "line 120, trace 230"));
    }
}

QTEST_GUILESS_MAIN(TestHorizonExport)
#include "tst_horizonexport.moc"
