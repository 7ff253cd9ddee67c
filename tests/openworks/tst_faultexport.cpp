// Fault export through the exchange core on the seeded demo: round trips of
// the demo faults (imported, exported into a survey named directly, through
// its data sets' names and through a host volume, imported again), the
// records written (fault, fault plane, segments with their survey fields)
// read back through the DevKit, stick arrays split at separators, names,
// empty and unreadable files, every DevKit call made to fail, a cancel, the
// dry run, the catalogue rows and the verification of the run report.

#include "exchangefixture.h"
#include "exportchecks.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owguards.h"
#include "owsim.h"
#include "progresshook.h"
#include "zrexchangecontext.h"
#include "zrfaultapifunctions.h"
#include "zrfaultexport.h"
#include "zrfaultimport.h"
#include "zrhostitemlist.h"
#include "zropenworksfaultmodel.h"
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

#include <cstring>

using Kind = ZRExchangeUi::MessageKind;

namespace
{

constexpr const char* NorthSea = "North Sea 3D";
constexpr const char* Frontier = "Frontier 3D";
const core::vec3 kSeparator(-9999.0, -9999.0, -9999.0);

gdi3dSurvey_t surveyRecord(const QString& name)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, name.toLocal8Bit());
    gdiRead(GDI_CLASS_3D_SURVEY, &survey);
    return survey;
}

struct Segment
{
    gdiFaultSegment_t record;
    QVector<Point3> points;
};

/// The segments of a fault plane with their records, in list order.
QVector<Segment> segmentsOf(int planeId)
{
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = planeId;
    QVector<Segment> segments;
    if (gdiRead(GDI_CLASS_FAULT_PLANE, &plane) != 0)
        return segments;
    int count = 0;
    void* list = nullptr;
    if (gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &list) != 0)
        return segments;
    auto* records = static_cast<gdiFaultSegment_t*>(list);
    for (int s = 0; s < count; ++s) {
        Segment segment;
        gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &records[s]);
        for (int p = 0; p < records[s].pointCount; ++p)
            segment.points.append({records[s].points[3 * p], records[s].points[3 * p + 1], records[s].points[3 * p + 2]});
        gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, &records[s]);
        segment.record = records[s];
        segments.append(segment);
    }
    gdiRelease(GDI_CLASS_FAULT_SEGMENT, count, list);
    return segments;
}

gdiFaultPlane_t planeOf(int planeId)
{
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = planeId;
    gdiRead(GDI_CLASS_FAULT_PLANE, &plane);
    return plane;
}

} // namespace

class TestFaultExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTrip_data();
    void roundTrip();
    void feetProjectRoundTrip();
    void throughAHostVolume();
    void arraysSticksAndNames();
    void emptyAndUnreadableFiles();
    void failures_data();
    void failures();
    void surveyLookupFailuresStopTheExport_data();
    void surveyLookupFailuresStopTheExport();
    void cancelBetweenArrays();
    void dryRunPlansTheRealRun();
    void catalogueRows_data();
    void catalogueRows();
    void verification();

private:
    QString faultFolder() const { return m_fixture->project().directoryForType(ZRProject::FaultType); }
    QString volumeFolder() const { return m_fixture->project().directoryForType(ZRProject::VolumeType); }
    ZRExchangeContext context(ZRTransferReport* report = nullptr);
    /// Imports a demo fault; the file's path.
    QString importFault(const QString& name, ZRTransferReport* report = nullptr);
    /// Writes a stick file of these arrays.
    QString writeSticks(const QString& fileName, const core::MultiArray<core::vec3>& arrays, bool isTime);
    /// Exports files all associated with one survey; the driver's count.
    int exportTo(const QStringList& paths, SurveyOrigin origin, const QString& survey, ZRTransferReport* report = nullptr,
                 bool dryRun = false);
    /// Checks the planes made for a file against its arrays and a survey.
    void checkExported(const QString& path, const QStringList& names, const QString& survey, const QString& domain);

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZROpenworksSession m_session;
    std::unique_ptr<ZRScriptedExchangeUi> m_ui;
};

void TestFaultExport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    QVERIFY(m_session.start());
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session.openProject(ExchangeFixture::Project, &error), qPrintable(error));
    QVERIFY(QDir().mkpath(faultFolder()));
    QVERIFY(QDir().mkpath(volumeFolder()));
}

void TestFaultExport::init()
{
    owsim::clearInjections();
    m_ui = std::make_unique<ZRScriptedExchangeUi>();
    QDir folder(faultFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        QVERIFY(folder.remove(name));
}

void TestFaultExport::cleanup()
{
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

ZRExchangeContext TestFaultExport::context(ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = &m_session;
    context.ui = m_ui.get();
    context.report = report;
    return context;
}

QString TestFaultExport::importFault(const QString& name, ZRTransferReport* report)
{
    FaultImportRequest request;
    request.faultPlaneId = faultPlaneIdsOf(name).value(0);
    request.displayName = name;
    ZRScriptedExchangeUi ui;
    ZRExchangeUi::FileConflictAnswer overwrite;
    overwrite.choice = ZRExchangeUi::FileConflictAnswer::Overwrite;
    ui.fileConflictAnswers.enqueue(overwrite);
    ZRExchangeContext importing = context(report);
    importing.ui = &ui;
    if (importFaults(importing, {request}) != 1)
        return QString();
    return faultFolder() + "/" + name;
}

QString TestFaultExport::writeSticks(const QString& fileName, const core::MultiArray<core::vec3>& arrays, bool isTime)
{
    core::MultiArray<core::vec3> copy = arrays;
    const QString path = faultFolder() + "/" + fileName;
    if (!ZRFaultApiFunctions::write3DFaultStick(path, {fileName}, copy, isTime, georef::Crs()))
        return QString();
    return path;
}

int TestFaultExport::exportTo(const QStringList& paths, SurveyOrigin origin, const QString& survey,
                              ZRTransferReport* report, bool dryRun)
{
    ZRHostItemList items;
    QList<SurveyAssociation> associations;
    for (const QString& path : paths)
        associations.append({items.addFile(path, ZRProject::FaultType), origin, survey});
    m_ui->surveyAnswers.enqueue(associations);
    ZRExchangeContext exporting = context(report);
    exporting.dryRun = dryRun;
    return exportFaults(exporting, items.items());
}

void TestFaultExport::checkExported(const QString& path, const QStringList& names, const QString& survey,
                                    const QString& domain)
{
    const std::unique_ptr<core::MultiArray<core::vec3>> arrays = ZRFaultApiFunctions::readFaultStickPolyLine(path, true);
    QVERIFY(arrays);
    QCOMPARE(arrays->arrayCount(), names.size());
    const gdi3dSurvey_t record = surveyRecord(survey);
    QVERIFY(record.id > 0);
    for (int i = 0; i < names.size(); ++i) {
        const QList<int> planes = faultPlaneIdsOf(names[i]);
        QVERIFY2(!planes.isEmpty(), qPrintable(names[i]));
        const gdiFaultPlane_t plane = planeOf(planes.last());
        QCOMPARE(owText(plane.name), names[i]);
        QCOMPARE(owText(plane.interpreter), QStringLiteral("LGC"));
        QCOMPARE(owText(plane.domain), domain);
        QCOMPARE(owText(plane.active), QStringLiteral("Y"));
        // The sticks of the array, without empty ones, each a segment.
        QVector<QVector<Point3>> sticks(1);
        for (const core::vec3& point : arrays->array(i)) {
            if (point == kSeparator)
                sticks.append(QVector<Point3>());
            else
                sticks.last().append({point.x, point.z, point.y});
        }
        sticks.erase(std::remove_if(sticks.begin(), sticks.end(), [](const QVector<Point3>& s) { return s.isEmpty(); }),
                     sticks.end());
        const QVector<Segment> segments = segmentsOf(plane.id);
        QCOMPARE(segments.size(), sticks.size());
        for (int s = 0; s < segments.size(); ++s) {
            const gdiFaultSegment_t& segment = segments[s].record;
            QCOMPARE(segment.planeId, plane.id);
            QCOMPARE(segment.surveyId, record.id);
            QCOMPARE(owText(segment.domain), domain);
            // Offsets 128, 136, 144, 152, 176, 184, 160, 168 of the survey record, in that order.
            const int offsets[8] = {128, 136, 144, 152, 176, 184, 160, 168};
            for (int k = 0; k < 8; ++k) {
                double expected = 0.0;
                std::memcpy(&expected, reinterpret_cast<const char*>(&record) + offsets[k], sizeof expected);
                double actual = 0.0;
                std::memcpy(&actual, reinterpret_cast<const char*>(&segment) + 48 + 8 * k, sizeof actual);
                QCOMPARE(actual, expected);
            }
            QCOMPARE(segment.pointCount, sticks[s].size());
            QCOMPARE(segments[s].points, sticks[s]);
        }
    }
}

void TestFaultExport::roundTrip_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("association"); // an OpenWorks survey association's text
    QTest::addColumn<QString>("survey");      // the survey it resolves to
    QTest::newRow("time, survey by its name (no data set begins with it)")
        << "F1 Main Boundary" << NorthSea << NorthSea;
    QTest::newRow("depth, survey of the data sets named NS...") << "F5 Deep Splay" << "NS" << NorthSea;
    QTest::newRow("time, survey of the data set Dome...") << "F6 Dome Flank" << "Dome" << "Dome Ridge 3D";
    QTest::newRow("a survey without data sets") << "F2 Crestal" << Frontier << Frontier;
}

void TestFaultExport::roundTrip()
{
    QFETCH(QString, fault);
    QFETCH(QString, association);
    QFETCH(QString, survey);
    const QString path = importFault(fault);
    QVERIFY(!path.isEmpty());
    QVector<FaultSegmentPoints> original;
    QString domain, error;
    QVERIFY2(readFaultSegments(faultPlaneIdsOf(fault).first(), fault, &original, &domain, &error), qPrintable(error));

    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportTo({path}, SurveyOrigin::OpenWorksSurvey, association, &report), 1);
    QCOMPARE(m_ui->messages.size(), 0);
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.differenceFrom(before),
             QStringLiteral("338: +1, 791: +%1, 796: +1").arg(original.size()));
    checkExported(path, {fault}, survey, domain);
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Exported);
    QCOMPARE(report.item(0).target.value("survey").toString(), survey);

    // The segments equal the demo's, point for point.
    const int planeId = faultPlaneIdsOf(fault).last();
    const QVector<Segment> segments = segmentsOf(planeId);
    QCOMPARE(segments.size(), original.size());
    for (int s = 0; s < segments.size(); ++s)
        QCOMPARE(segments[s].points, original[s]);

    // Imported again: the same stick file content.
    const std::unique_ptr<core::MultiArray<core::vec3>> first = ZRFaultApiFunctions::readFaultStickPolyLine(path, true);
    QVERIFY(first);
    FaultImportRequest request;
    request.faultPlaneId = planeId;
    request.displayName = fault;
    ZRScriptedExchangeUi ui;
    ZRExchangeUi::FileConflictAnswer rename;
    rename.choice = ZRExchangeUi::FileConflictAnswer::NewName;
    rename.newFileName = "again";
    ui.fileConflictAnswers.enqueue(rename);
    ZRExchangeContext importing = context();
    importing.ui = &ui;
    QCOMPARE(importFaults(importing, {request}), 1);
    const std::unique_ptr<core::MultiArray<core::vec3>> again =
        ZRFaultApiFunctions::readFaultStickPolyLine(faultFolder() + "/again", true);
    QVERIFY(again);
    QVERIFY(*again == *first);
    QCOMPARE(ZRFaultApiFunctions::isFaultStickDomainInTime(faultFolder() + "/again", true),
             ZRFaultApiFunctions::isFaultStickDomainInTime(path, true));
}

void TestFaultExport::feetProjectRoundTrip()
{
    // A project storing map positions and depths in feet: the host file holds
    // metres, OpenWorks gets feet back.
    std::string seedError;
    bool seeded = false;
    QVERIFY2(owsim::seedDemo(m_fixture->environment().openWorksHome().toStdString(), "FeetFaults", "FEET",
                             owsim::MeasurementSystem::Feet, &seeded, &seedError),
             seedError.c_str());
    QCOMPARE(ZROpenworksSession::setSystemDistrict("FeetFaults"), 0);
    QString error;
    QVERIFY2(m_session.openProject("FEET", &error), qPrintable(error));
    for (const QString& fault : {QStringLiteral("F5 Deep Splay"), QStringLiteral("F1 Main Boundary")}) {
        QVector<FaultSegmentPoints> original;
        QString domain;
        QVERIFY2(readFaultSegments(faultPlaneIdsOf(fault).first(), fault, &original, &domain, &error), qPrintable(error));
        const bool isTime = domain == QLatin1String("TIME");
        const QString path = importFault(fault);
        QVERIFY(!path.isEmpty());
        const std::unique_ptr<core::MultiArray<core::vec3>> sticks = ZRFaultApiFunctions::readFaultStickPolyLine(path, true);
        QVERIFY(sticks);
        int p = 0;
        for (const FaultSegmentPoints& segment : original) {
            for (const Point3& point : segment) {
                const core::vec3& host = sticks->array(0)[std::size_t(p++)];
                QCOMPARE(host.x, point[0] * 0.3048);
                QCOMPARE(host.z, point[1] * 0.3048);
                QCOMPARE(host.y, point[2] * (isTime ? 1.0 : 0.3048));
            }
            ++p; // the separator
        }

        ZRTransferReport report;
        report.setExchange(QStringLiteral("export-faults"));
        QCOMPARE(exportTo({path}, SurveyOrigin::OpenWorksSurvey, NorthSea, &report), 1);
        QCOMPARE(m_ui->messages.size(), 0);
        const QVector<Segment> segments = segmentsOf(faultPlaneIdsOf(fault).last());
        QCOMPARE(segments.size(), original.size());
        for (int s = 0; s < segments.size(); ++s) {
            QCOMPARE(segments[s].points.size(), original[s].size());
            for (int q = 0; q < original[s].size(); ++q)
                for (int k = 0; k < 3; ++k)
                    QVERIFY2(std::abs(segments[s].points[q][k] - original[s][q][k]) <= 1e-9 * std::abs(original[s][q][k]),
                             qPrintable(QStringLiteral("%1 instead of %2").arg(segments[s].points[q][k], 0, 'g', 17)
                                            .arg(original[s][q][k], 0, 'g', 17)));
        }
        ZRTransferVerifier verifier(context());
        QVERIFY2(verifier.verifyReport(report.toJson()), qPrintable(verifier.differences().join('\n')));
    }
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QVERIFY2(m_session.openProject(ExchangeFixture::Project, &error), qPrintable(error));
}

void TestFaultExport::throughAHostVolume()
{
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
        QCOMPARE(importSurveys(context(), surveyImportRequestsFromRows(catalogue, rows, nullptr)), 1);
    }
    const QString path = importFault("F3 Antithetic");
    QVERIFY(!path.isEmpty());
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportTo({path}, SurveyOrigin::HostVolume, volume, &report), 1);
    const RecordCounts after = RecordCounts::now();
    QCOMPARE(after.of(GDI_CLASS_3D_SURVEY), before.of(GDI_CLASS_3D_SURVEY) + 1);
    QCOMPARE(report.item(0).objectClass, QStringLiteral("volume"));
    QCOMPARE(report.item(1).target.value("survey").toString(), QStringLiteral("NS Time Full"));
    checkExported(path, {"F3 Antithetic"}, "NS Time Full", "TIME");

    // The survey's name now begins its data set's name ("NS Time Full_1"),
    // which the demo's "NS Time Full" of North Sea precedes: the last match,
    // the new survey, is the one.
    ZRTransferReport second;
    QCOMPARE(exportTo({path}, SurveyOrigin::OpenWorksSurvey, "NS Time Full", &second), 1);
    QCOMPARE(second.item(0).target.value("survey").toString(), QStringLiteral("NS Time Full"));
    QCOMPARE(RecordCounts::now().of(GDI_CLASS_3D_SURVEY), after.of(GDI_CLASS_3D_SURVEY));
}

void TestFaultExport::arraysSticksAndNames()
{
    core::MultiArray<core::vec3> arrays(3);
    const core::vec3 p1(452000, 800, 6782000), p2(452010, 900, 6782010), p3(452100, 700, 6782100),
        p4(452110, 850, 6782110), p5(452120, 990, 6782120), p6(452200, 600, 6782200), p7(452210, 650, 6782210);
    // Separators at the start, in a row and at the end give no empty sticks.
    arrays[0] = {kSeparator, p1, p2, kSeparator, kSeparator, p3, p4, p5, kSeparator};
    arrays[1] = {p6, p7};
    arrays[2] = {kSeparator, kSeparator};
    const QString path = writeSticks("multi.sticks.v1", arrays, false);
    QVERIFY(!path.isEmpty());
    core::MultiArray<core::vec3> single(1);
    single[0] = {p1, p2, kSeparator, p3};
    const QString singlePath = writeSticks("single", single, true);
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportTo({path, singlePath}, SurveyOrigin::OpenWorksSurvey, NorthSea, &report), 2);
    QCOMPARE(m_ui->messages.size(), 0);
    QCOMPARE(RecordCounts::now().differenceFrom(before), QStringLiteral("338: +4, 791: +5, 796: +4"));
    checkExported(path, {"multi_1", "multi_2", "multi_3"}, NorthSea, "DEPTH");
    checkExported(singlePath, {"single"}, NorthSea, "TIME");
    QCOMPARE(segmentsOf(faultPlaneIdsOf("multi_3").last()).size(), 0);
    QCOMPARE(report.item(0).counts.value("sticks").toInt(), 3);
    QCOMPARE(report.item(0).counts.value("segmentsWritten").toInt(), 3);
    QCOMPARE(report.item(0).target.value("faults").toArray().size(), 3);
    QVERIFY(faultPlaneIdsOf("multi").isEmpty());
    QVERIFY(faultPlaneIdsOf("single_1").isEmpty());
}

void TestFaultExport::emptyAndUnreadableFiles()
{
    const QString empty = writeSticks("empty", core::MultiArray<core::vec3>(), true);
    QVERIFY(!empty.isEmpty());
    const QString junk = faultFolder() + "/junk";
    {
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a fault-stick file");
    }
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    // Both count as exported: no summary.
    QCOMPARE(exportTo({empty, junk}, SurveyOrigin::OpenWorksSurvey, NorthSea, &report), 2);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].kind, Kind::Warning);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("OpenWorks® Data Link"));
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("Unable to export empty. Fault is empty."));
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Skipped);
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Failed);
}

void TestFaultExport::failures_data()
{
    QTest::addColumn<QString>("injection");
    QTest::addColumn<QString>("text"); // the box ("Error"); %1 the DevKit's text of the status; empty: none
    QTest::addColumn<QString>("left"); // records left in OpenWorks
    const QString fault = "Error occurred during export of F1 Main Boundary: %1.";
    const QString segment = "An error occurred during export of F1 Main Boundary: %1";
    QTest::newRow("gdiCommit closing an open transaction") << "gdiCommit:1=277600010" << segment << QString();
    QTest::newRow("gdiGetClassInfo") << "gdiGetClassInfo:1=277600001" << QString() << "338: +1, 791: +5, 796: +1";
    QTest::newRow("gdiInitiateObject of the fault") << "gdiInitiateObject:1=277600003" << fault << QString();
    QTest::newRow("gdiAdd of the fault") << "gdiAdd:1=277600008" << fault << QString();
    QTest::newRow("gdiInitiateObject of the fault plane") << "gdiInitiateObject:2=277600003" << fault << "338: +1";
    QTest::newRow("gdiAdd of the fault plane") << "gdiAdd:2=277600008" << fault << "338: +1";
    QTest::newRow("gdiInitiateObject of the first segment")
        << "gdiInitiateObject:3=277600003" << segment << "338: +1, 791: +4, 796: +1";
    QTest::newRow("gdiAdd of the first segment") << "gdiAdd:3=277600008" << segment << "338: +1, 791: +4, 796: +1";
    QTest::newRow("gdiAdd of the last segment") << "gdiAdd:7=277600008" << segment << "338: +1, 791: +4, 796: +1";
    QTest::newRow("the final gdiCommit") << "gdiCommit:2=277600010" << segment << QString();
    QTest::newRow("gdiRollback (not called)") << "gdiRollback:1=277600009" << QString() << "338: +1, 791: +5, 796: +1";
}

void TestFaultExport::failures()
{
    QFETCH(QString, injection);
    QFETCH(QString, text);
    QFETCH(QString, left);
    const QString path = importFault("F1 Main Boundary");
    const QString next = importFault("F2 Crestal");
    QVERIFY(!path.isEmpty() && !next.isEmpty());
    ExportSurveyTarget target;
    target.record = findSurveyByName(NorthSea);
    target.name = NorthSea;
    const RecordCounts before = RecordCounts::now();
    QVERIFY(owsim::injectRules(injection.toStdString()));
    const int status = injection.section('=', 1).toInt();
    ZRTransferReport report;
    const FaultExportOutcome outcome = exportFault(context(&report), path, target, -1);
    owsim::clearInjections();
    const RecordCounts after = RecordCounts::now();
    QVERIFY2(after.differenceFrom(before) == left, qPrintable(after.differenceFrom(before)));
    if (text.isEmpty()) {
        QCOMPARE(m_ui->messages.size(), 0);
    } else {
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].kind, Kind::Information);
        QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
        QCOMPARE(m_ui->messages[0].text, text.arg(QString::fromLatin1(gdiErrorMessage(status))));
        QCOMPARE(report.item(0).messages, QStringList{m_ui->messages[0].text});
    }
    QCOMPARE(outcome, left.isEmpty() && !text.isEmpty() && injection.startsWith("gdiCommit")
                          ? FaultExportOutcome::Failed
                          : FaultExportOutcome::Exported);
    // What was committed is what the report says.
    // What was committed is what the report says; a stick left out is a difference.
    if (outcome == FaultExportOutcome::Exported) {
        ZRTransferVerifier verifier(context());
        verifier.verifyFaultExportItem(report.toJson().value("items").toArray()[0].toObject());
        QVERIFY2(verifier.differences().isEmpty() == !left.contains("791: +4"),
                 qPrintable(verifier.differences().join('\n')));
    }

    // The next file goes through whole.
    m_ui->messages.clear();
    const RecordCounts beforeNext = RecordCounts::now();
    QCOMPARE(exportFault(context(), next, target, -1), FaultExportOutcome::Exported);
    QCOMPARE(m_ui->messages.size(), 0);
    QCOMPARE(RecordCounts::now().differenceFrom(beforeNext), QStringLiteral("338: +1, 791: +3, 796: +1"));
}

void TestFaultExport::surveyLookupFailuresStopTheExport_data()
{
    QTest::addColumn<QString>("injection");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text"); // the box titled "Error"
    QTest::newRow("the data sets cannot be read") << "gdiReadSet:1=277600008" << int(Kind::Warning)
                                                  << "Unable to find gdiSeismicDataSet_t with name: NS";
    QTest::newRow("the survey of a data set cannot be read")
        << "gdiRead:1=177600004" << int(Kind::Information) << "Unable to find 3D Survey for this data set.";
    // No copy of the survey: no survey, and no box.
    QTest::newRow("the survey cannot be copied") << "gdiCreateObject:*=277600008" << -1 << QString();
}

void TestFaultExport::surveyLookupFailuresStopTheExport()
{
    QFETCH(QString, injection);
    QFETCH(int, kind);
    QFETCH(QString, text);
    const QString path = importFault("F1 Main Boundary");
    const RecordCounts before = RecordCounts::now();
    QVERIFY(owsim::injectRules(injection.toStdString()));
    QCOMPARE(exportTo({path}, SurveyOrigin::OpenWorksSurvey, "NS"), 0);
    QCOMPARE(RecordCounts::now(), before);
    if (text.isEmpty()) {
        QCOMPARE(m_ui->messages.size(), 0);
        return;
    }
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(int(m_ui->messages[0].kind), kind);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Error"));
    QCOMPARE(m_ui->messages[0].text, text);
}

void TestFaultExport::cancelBetweenArrays()
{
    core::MultiArray<core::vec3> arrays(3);
    for (int i = 0; i < 3; ++i)
        arrays[i] = {core::vec3(452000 + i, 800, 6782000), core::vec3(452005 + i, 900, 6782005)};
    const QString path = writeSticks("cancelled", arrays, true);
    const QString other = writeSticks("other", arrays, true);
    ProgressHook hook("cancelled", [](int value) { return value == 2; });
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport report;
    QCOMPARE(exportTo({path, other}, SurveyOrigin::OpenWorksSurvey, NorthSea, &report), 0);
    QCOMPARE(RecordCounts::now(), before);
    QCOMPARE(report.itemCount(), 1);
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("0 of 2 faults exported."));
    ZRTransferVerifier verifier(context());
    QVERIFY2(verifier.verifyFaultExportItem(report.toJson().value("items").toArray()[0].toObject()),
             qPrintable(verifier.differences().join('\n')));
}

void TestFaultExport::dryRunPlansTheRealRun()
{
    const QStringList paths{importFault("F4 Deep"), importFault("F6 Dome Flank")};
    owsim::clearInjections();
    const RecordCounts before = RecordCounts::now();
    ZRTransferReport plan;
    QCOMPARE(exportTo(paths, SurveyOrigin::OpenWorksSurvey, "NS", &plan, true), 2);
    QCOMPARE(RecordCounts::now(), before);
    for (const char* call : {"gdiAdd", "gdiCommit", "gdiUpdate", "gdiRollback"})
        QCOMPARE(owsim::callCount(call), 0);
    ZRTransferReport real;
    QCOMPARE(exportTo(paths, SurveyOrigin::OpenWorksSurvey, "NS", &real), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(plan.item(i).outcome, ZRTransferReport::Planned);
        QCOMPARE(real.item(i).outcome, ZRTransferReport::Exported);
        QCOMPARE(plan.item(i).counts, real.item(i).counts);
        QCOMPARE(plan.item(i).valueRange, real.item(i).valueRange);
        QCOMPARE(plan.item(i).target.value("surveyId"), real.item(i).target.value("surveyId"));
    }
}

void TestFaultExport::catalogueRows_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("appended");
    QTest::newRow("fault page shown") << 5 << 2;
    QTest::newRow("horizon page shown") << 6 << 0;
}

void TestFaultExport::catalogueRows()
{
    QFETCH(int, category);
    QFETCH(int, appended);
    core::MultiArray<core::vec3> arrays(2);
    arrays[0] = {core::vec3(452000, 800, 6782000), core::vec3(452005, 900, 6782005), kSeparator,
                 core::vec3(452100, 800, 6782100)};
    arrays[1] = {core::vec3(452200, 800, 6782200)};
    const QString path = writeSticks("listed", arrays, false);
    ZROpenworksFaultModel catalogue;
    {
        ZRProgressBarGuard reading(1, "Reading");
        catalogue.loadFromOpenworks(reading.id());
    }
    const int rows = catalogue.rowCount();
    ZRHostItemList items;
    m_ui->surveyAnswers.enqueue({{items.addFile(path, ZRProject::FaultType), SurveyOrigin::OpenWorksSurvey, NorthSea}});
    ZRExchangeContext exporting = context();
    exporting.faultModel = &catalogue;
    exporting.currentCategory = category;
    QCOMPARE(exportFaults(exporting, items.items()), 1);
    QCOMPARE(catalogue.rowCount(), rows + appended);
    if (appended) {
        QCOMPARE(catalogue.index(rows, ZROpenworksFaultModel::NameColumn).data().toString(), QStringLiteral("listed_1"));
        QCOMPARE(catalogue.index(rows, ZROpenworksFaultModel::DomainColumn).data().toString(), QStringLiteral("DEPTH"));
        QCOMPARE(catalogue.index(rows, 4).data().toInt(), 2);
        QCOMPARE(catalogue.index(rows + 1, 4).data().toInt(), 1);
        QCOMPARE(catalogue.index(rows + 1, ZROpenworksFaultModel::FaultPlaneIdColumn).data().toInt(),
                 faultPlaneIdsOf("listed_2").last());
    }
}

void TestFaultExport::verification()
{
    // An import and an export verify; one stick point changed afterwards in
    // OpenWorks makes each fail.
    ZRTransferReport imported;
    imported.setExchange("import-faults");
    const QString path = importFault("F5 Deep Splay", &imported);
    QVERIFY(!path.isEmpty());
    ZRTransferReport exported;
    exported.setExchange("export-faults");
    QCOMPARE(exportTo({path}, SurveyOrigin::OpenWorksSurvey, NorthSea, &exported), 1);
    for (const ZRTransferReport* report : {&imported, &exported}) {
        ZRTransferVerifier verifier(context());
        QVERIFY2(verifier.verifyReport(report->toJson()), qPrintable(verifier.differences().join('\n')));
        QCOMPARE(verifier.itemsVerified(), 1);
    }

    const auto changeOnePoint = [](int planeId, int segmentIndex, int pointIndex) {
        gdiFaultPlane_t plane = planeOf(planeId);
        int count = 0;
        void* list = nullptr;
        if (gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &list) != 0)
            return false;
        auto* segment = static_cast<gdiFaultSegment_t*>(list) + segmentIndex;
        gdiReadVector(GDI_CLASS_FAULT_SEGMENT, segment);
        std::vector<double> points(segment->points, segment->points + 3 * segment->pointCount);
        gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, segment);
        points[std::size_t(3 * pointIndex + 2)] += 1.0;
        segment->points = points.data();
        const bool ok = gdiUpdate(GDI_CLASS_FAULT_SEGMENT, segment) == 0 && gdiCommit() == 0;
        segment->points = nullptr;
        gdiRelease(GDI_CLASS_FAULT_SEGMENT, count, list);
        return ok;
    };
    const int sourcePlane = faultPlaneIdsOf("F5 Deep Splay").first();
    const int exportedPlane =
        exported.item(0).target.value("faults").toArray()[0].toObject().value("faultPlaneId").toInt();
    QVERIFY(exportedPlane > sourcePlane);
    QVERIFY(changeOnePoint(sourcePlane, 2, 1));
    QVERIFY(changeOnePoint(exportedPlane, 4, 0));
    for (const ZRTransferReport* report : {&imported, &exported}) {
        ZRTransferVerifier verifier(context());
        QVERIFY(!verifier.verifyReport(report->toJson()));
        QVERIFY2(verifier.differences().size() == 1, qPrintable(verifier.differences().join('\n')));
        QVERIFY2(verifier.differences()[0].contains(report == &imported ? "point " : "segment 4 of F5 Deep Splay, point 0"),
                 qPrintable(verifier.differences()[0]));
    }
}

QTEST_GUILESS_MAIN(TestFaultExport)
#include "tst_faultexport.moc"
