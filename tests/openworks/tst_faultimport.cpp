// Fault import on the seeded demo: fault-stick files compared with the
// segments read through the DevKit (points reordered, separators, domain),
// read back through the faults library and by an independent reader of its
// documented layout; every DevKit call made to fail; conflicts and the dry run.

#include "busrecorder.h"
#include "exchangefixture.h"
#include "faultstickview.h"
#include "horizonfaultchecks.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "surveyimportchecks.h"
#include "zreventbus.h"
#include "zrexchangecontext.h"
#include "zrfaultapifunctions.h"
#include "zrfaultimport.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfaultmodel.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssession.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkstableview.h"
#include "zrprogressbarmgr.h"
#include "zrprojectbrowsermodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <cstring>

using Kind = ZRExchangeUi::MessageKind;

namespace
{

constexpr const char* FeetProject = "FEET";
const Point3 kSeparator{-9999.0, -9999.0, -9999.0};

/// The stick array the import must hand the library: every segment's points
/// with the vertical coordinate in the middle slot, each segment followed by a
/// separator; segments at `leftOut` (indexes) are not there.
/// The stick array the import must hand the library: each segment's points
/// reordered (vertical in the middle) and brought to metres (and
/// milliseconds) with the project's factor, then a separator.
QVector<Point3> expectedArray(const QVector<FaultSegmentPoints>& segments, const QList<int>& leftOut = {},
                              double factor = 1.0, double verticalFactor = -1.0)
{
    QVector<Point3> points;
    for (int s = 0; s < segments.size(); ++s) {
        if (leftOut.contains(s))
            continue;
        for (const Point3& point : segments[s])
            points.append({point[0] * factor, point[2] * (verticalFactor < 0.0 ? factor : verticalFactor),
                           point[1] * factor});
        points.append(kSeparator);
    }
    return points;
}

QVector<Point3> pointsOf(const std::vector<core::vec3>& points)
{
    QVector<Point3> result;
    for (const core::vec3& point : points)
        result.append({point.x, point.y, point.z});
    return result;
}

void setPlaneDomain(const QString& name, const QByteArray& domain)
{
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = faultPlaneIdOf(name);
    QCOMPARE(gdiRead(GDI_CLASS_FAULT_PLANE, &plane), 0);
    std::memset(plane.domain, 0, sizeof plane.domain);
    std::memcpy(plane.domain, domain.constData(), std::min<size_t>(sizeof plane.domain - 1, size_t(domain.size())));
    QCOMPARE(gdiUpdate(GDI_CLASS_FAULT_PLANE, &plane), 0);
    QCOMPARE(gdiCommit(), 0);
}

} // namespace

class TestFaultImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sticksOfEveryKind_data();
    void sticksOfEveryKind();
    void failures_data();
    void failures();
    void everySegmentFails();
    void libraryCannotWrite();
    void domain_data();
    void domain();
    void conflicts_data();
    void conflicts();
    void cancelStopsTheRun();
    void dryRunWritesNothing();
    void requestsFromRows();
    void throughTheWindow();

private:
    void openProject(const QString& project);
    QString faultFolder() const { return m_fixture->project().directoryForType(ZRProject::FaultType); }
    ZRExchangeContext context(ZRScriptedExchangeUi* ui, ZRTransferReport* report = nullptr);
    QVector<FaultImportRequest> requestsFor(const QStringList& names);
    QVector<FaultSegmentPoints> segmentsOf(const QString& name, QString* domain = nullptr);
    /// Checks a written fault-stick file: its one array, its name and domain.
    void checkStickFile(const QString& path, const QString& name, const QVector<Point3>& array, bool isTime);
    void writeJunk(const QString& path);

    std::unique_ptr<ExchangeFixture> m_fixture;
    std::unique_ptr<BusRecorder> m_bus;
    ZROpenworksSession m_session;
    QList<int> m_reloaded;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
};

void TestFaultImport::initTestCase()
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
    QVERIFY(QDir().mkpath(faultFolder()));
}

void TestFaultImport::init()
{
    owsim::clearInjections();
    QDir folder(faultFolder());
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

void TestFaultImport::cleanup()
{
    delete m_dialog;
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
    QCOMPARE(temporaryFilesIn(faultFolder()), QStringList());
    QCOMPARE(openFilesUnder(faultFolder()), QStringList());
}

void TestFaultImport::openProject(const QString& project)
{
    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QString error;
    QVERIFY2(m_session.openProject(project, &error), qPrintable(error));
}

ZRExchangeContext TestFaultImport::context(ZRScriptedExchangeUi* ui, ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = &m_session;
    context.ui = ui;
    context.report = report;
    context.hostFolderChanged = [this](int objectType) { m_reloaded.append(objectType); };
    return context;
}

QVector<FaultImportRequest> TestFaultImport::requestsFor(const QStringList& names)
{
    ZROpenworksFaultModel model;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading"));
        model.loadFromOpenworks(reading.id());
    }
    QVector<int> rows;
    for (const QString& name : names)
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row, ZROpenworksFaultModel::NameColumn).data().toString() == name)
                rows.append(row);
    return faultImportRequestsFromRows(model, rows);
}

QVector<FaultSegmentPoints> TestFaultImport::segmentsOf(const QString& name, QString* domain)
{
    QVector<FaultSegmentPoints> segments;
    QString planeDomain, error;
    if (!readFaultSegments(faultPlaneIdOf(name), name, &segments, &planeDomain, &error))
        qWarning("%s: %s", qPrintable(name), qPrintable(error));
    if (domain)
        *domain = planeDomain;
    return segments;
}

void TestFaultImport::writeJunk(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write("not a fault") > 0);
}

void TestFaultImport::checkStickFile(const QString& path, const QString& name, const QVector<Point3>& array, bool isTime)
{
    // Through the faults library.
    const auto sticks = ZRFaultApiFunctions::readFaultStickPolyLine(path, true);
    QVERIFY2(sticks, qPrintable(path));
    QCOMPARE(sticks->arrayCount(), 1);
    QCOMPARE(pointsOf(sticks->array(0)), array);
    QCOMPARE(ZRFaultApiFunctions::isFaultStickDomainInTime(path, true), isTime);

    // Through the documented layout.
    FaultStickView view;
    QString error;
    QVERIFY2(view.read(path, &error), qPrintable(error));
    QCOMPARE(view.names, QStringList{name});
    QCOMPARE(view.domain, isTime ? QStringLiteral("TIME") : QStringLiteral("DEPTH"));
    QCOMPARE(view.crsDefinition, QString());
    QCOMPARE(view.numberOfArrays, qint64(1));
    QCOMPARE(view.arrays.size(), 1);
    QCOMPARE(view.arrays[0], array);
    qint64 sticksInArray = 0;
    for (int p = 0; p < array.size(); ++p)
        sticksInArray += array[p] != kSeparator && (p == 0 || array[p - 1] == kSeparator);
    QCOMPARE(view.numberOfSticks, sticksInArray);
    QCOMPARE(view.dataOffset, 2500 + view.headerSize + 10000);
}

void TestFaultImport::sticksOfEveryKind_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<double>("factor");
    QTest::newRow("time, five sticks") << ExchangeFixture::Project << "F1 Main Boundary" << 1.0;
    QTest::newRow("depth, three sticks") << ExchangeFixture::Project << "F4 Deep" << 1.0;
    QTest::newRow("depth, six sticks") << ExchangeFixture::Project << "F5 Deep Splay" << 1.0;
    QTest::newRow("time, second survey") << ExchangeFixture::Project << "F6 Dome Flank" << 1.0;
    // Map positions and depths stored in international feet come to the host in metres.
    QTest::newRow("feet project, depth") << FeetProject << "F5 Deep Splay" << 0.3048;
}

void TestFaultImport::sticksOfEveryKind()
{
    QFETCH(QString, project);
    QFETCH(QString, fault);
    QFETCH(double, factor);
    openProject(project);
    QString domain;
    const QVector<FaultSegmentPoints> segments = segmentsOf(fault, &domain);
    QVERIFY(segments.size() >= 3);
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    QCOMPARE(importFaults(context(&ui, &report), requestsFor({fault})), 1);
    QCOMPARE(ui.messages.size(), 0);
    QCOMPARE(m_reloaded, QList<int>{ZRProject::FaultType});
    QCOMPARE(m_bus->take(), (QList<QPair<int, QString>>()));

    const QString path = faultFolder() + "/" + fault;
    QCOMPARE(QDir(faultFolder()).entryList(QDir::Files), QStringList{fault});
    checkStickFile(path, fault, expectedArray(segments, {}, factor), domain == QLatin1String("TIME"));

    const ZRTransferReport::Item& item = report.item(0);
    QCOMPARE(item.units.size(), 2);
    QCOMPARE(item.units.at(0).toObject().value("factor").toDouble(), factor);
    QCOMPARE(item.objectClass, QStringLiteral("fault"));
    QCOMPARE(item.outcome, ZRTransferReport::Imported);
    QCOMPARE(item.sourceId, qint64(faultPlaneIdOf(fault)));
    QCOMPARE(item.source.value("domain").toString(), domain);
    QCOMPARE(item.target.value("path").toString(), path);
    QCOMPARE(item.counts.value("sticks").toInt(), segments.size());
    int points = 0;
    for (const FaultSegmentPoints& segment : segments)
        points += segment.size();
    QCOMPARE(item.counts.value("points").toInt(), points);
    QCOMPARE(item.files.size(), 1);
    QCOMPARE(item.files[0].toObject().value("sha256").toString(), sha256Of(path));
}

void TestFaultImport::failures_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // %1: the DevKit's text of the status
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<bool>("counted");
    QTest::addColumn<QList<int>>("leftOut"); // segments of "F1 Main Boundary" missing from its file; -1: no file

    const QString error = "Error";
    const int information = int(Kind::Information);
    const QString vectorAccess = "Unable to enable vector access of class %1, field %2: %3";
    QTest::newRow("gdiSetVectorAccess 452/28")
        << "gdiSetVectorAccess:1=277600014" << -1 << "" << "" << 0
        << QStringList{vectorAccess.arg(452).arg(28).arg(gdiErrorMessage(277600014))} << true << QList<int>();
    QTest::newRow("gdiSetVectorAccess 791/32")
        << "gdiSetVectorAccess:3=277600014" << -1 << "" << "" << 0
        << QStringList{vectorAccess.arg(791).arg(32).arg(gdiErrorMessage(277600014))} << true << QList<int>();
    QTest::newRow("gdiInitiateObject") << "gdiInitiateObject:1=277600003" << -1 << "" << "" << 0 << QStringList()
                                       << true << QList<int>();
    QTest::newRow("gdiRead") << "gdiRead:1=177600004" << information << error
                             << "Unable to find fault planes for fault: F1 Main Boundary" << 0 << QStringList() << false
                             << QList<int>{-1};
    QTest::newRow("gdiReadSubset") << "gdiReadSubset:1=277600008" << information << error
                                   << "Error occurred reading planes of fault F1 Main Boundary: %1" << 277600008
                                   << QStringList() << false << QList<int>{-1};
    QTest::newRow("gdiReadSubset, no segments") << "gdiReadSubset:1=177600004" << information << "Warning"
                                                << "No fault segments could be found for the fault: F1 Main Boundary"
                                                << 0 << QStringList() << false << QList<int>{-1};
    QTest::newRow("gdiReadVector of the second segment")
        << "gdiReadVector:2=277600008" << information << error << "Unable to read vector for fault segment: %1"
        << 277600008 << QStringList() << true << QList<int>{1};
    QTest::newRow("gdiReleaseVectors") << "gdiReleaseVectors:1=277600003" << -1 << "" << "" << 0 << QStringList()
                                       << true << QList<int>();
}

void TestFaultImport::failures()
{
    QFETCH(QString, rules);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(QStringList, bus);
    QFETCH(bool, counted);
    QFETCH(QList<int>, leftOut);

    const QVector<FaultSegmentPoints> failing = segmentsOf("F1 Main Boundary");
    const QVector<FaultSegmentPoints> control = segmentsOf("F2 Crestal");
    const QVector<FaultImportRequest> requests = requestsFor({"F1 Main Boundary", "F2 Crestal"});
    QCOMPARE(requests.size(), 2);
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    owsim::clearInjections();
    QVERIFY(owsim::injectRules(rules.toStdString()));
    QCOMPARE(importFaults(context(&ui, &report), requests), counted ? 2 : 1);
    owsim::clearInjections();

    QList<ZRScriptedExchangeUi::Message> expected;
    if (kind >= 0)
        expected.append({Kind(kind), title, text.contains("%1") ? text.arg(QString::fromLatin1(gdiErrorMessage(status)))
                                                                : text});
    if (!counted)
        expected.append({Kind::Information, context(&ui).windowTitle, "1 of 2 faults imported."});
    QCOMPARE(ui.messages.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(int(ui.messages[i].kind), int(expected[i].kind));
        QCOMPARE(ui.messages[i].title, expected[i].title);
        QCOMPARE(ui.messages[i].text, expected[i].text);
    }
    QCOMPARE(m_bus->takeTexts(eDrawError), bus);
    QCOMPARE(m_reloaded, QList<int>{ZRProject::FaultType});

    // The failing fault wrote what it could, the next one everything.
    checkStickFile(faultFolder() + "/F2 Crestal", "F2 Crestal", expectedArray(control), true);
    const QString path = faultFolder() + "/F1 Main Boundary";
    QCOMPARE(QFileInfo::exists(path), !leftOut.contains(-1));
    if (!leftOut.contains(-1))
        checkStickFile(path, "F1 Main Boundary", expectedArray(failing, leftOut), true);
    if (!leftOut.isEmpty() && !leftOut.contains(-1)) {
        QCOMPARE(report.item(0).counts.value("failedSegments").toInt(), leftOut.size());
        QCOMPARE(report.item(0).counts.value("sticks").toInt(), failing.size() - leftOut.size());
    }
}

void TestFaultImport::everySegmentFails()
{
    const int segments = segmentsOf("F2 Crestal").size();
    const QVector<FaultImportRequest> requests = requestsFor({"F2 Crestal"});
    ZRScriptedExchangeUi ui;
    owsim::clearInjections();
    owsim::injectStatus("gdiReadVector", 1, GDI_DATABASE_ERROR, true);
    // The library gets an array without points and the fault still counts.
    QCOMPARE(importFaults(context(&ui), requests), 1);
    owsim::clearInjections();
    QCOMPARE(ui.messages.size(), segments);
    for (const auto& message : ui.messages)
        QCOMPARE(message.text, QStringLiteral("Unable to read vector for fault segment: %1")
                                   .arg(QString::fromLatin1(gdiErrorMessage(GDI_DATABASE_ERROR))));
    checkStickFile(faultFolder() + "/F2 Crestal", "F2 Crestal", {}, true);
}

void TestFaultImport::libraryCannotWrite()
{
    // A folder where the temporary file would go: the library cannot create it.
    const QString target = faultFolder() + "/F2 Crestal";
    QVERIFY(QDir().mkpath(temporaryVolumePath(target)));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    QCOMPARE(importFaults(context(&ui, &report), requestsFor({"F2 Crestal"})), 1);
    QCOMPARE(ui.messages.size(), 0);
    QVERIFY(!QFileInfo::exists(target));
    // No file written: the host's fault list is not reloaded.
    QCOMPARE(m_reloaded, QList<int>());
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Failed);
    QVERIFY(report.item(0).files.isEmpty());
    QVERIFY(m_bus->takeTexts(eDrawFileError).first().startsWith("Error when opening in Write mode file : "));
    QVERIFY(QDir(temporaryVolumePath(target)).removeRecursively());
}

void TestFaultImport::domain_data()
{
    QTest::addColumn<QByteArray>("domain");
    QTest::addColumn<bool>("isTime");
    QTest::newRow("TIME") << QByteArray("TIME") << true;
    QTest::newRow("DEPTH") << QByteArray("DEPTH") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("lower case") << QByteArray("time") << false;
}

void TestFaultImport::domain()
{
    QFETCH(QByteArray, domain);
    QFETCH(bool, isTime);
    openProject(FeetProject);
    setPlaneDomain("F2 Crestal", domain);
    ZRScriptedExchangeUi ui;
    QCOMPARE(importFaults(context(&ui), requestsFor({"F2 Crestal"})), 1);
    // A feet project: map positions in feet, depths in feet, times in milliseconds.
    checkStickFile(faultFolder() + "/F2 Crestal", "F2 Crestal",
                   expectedArray(segmentsOf("F2 Crestal"), {}, 0.3048, isTime ? 1.0 : 0.3048), isTime);
    setPlaneDomain("F2 Crestal", "TIME");
}

void TestFaultImport::conflicts_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written"); // the imported file; empty: none
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("bus");
    QTest::newRow("skip") << false << "skip" << "" << QStringList{"0|OpenWorks® Data Link|0 of 1 faults imported."}
                          << QStringList();
    QTest::newRow("overwrite") << false << "overwrite" << "F1 Main Boundary" << QStringList() << QStringList();
    QTest::newRow("overwrite a read-only file")
        << true << "overwrite" << "F1 Main Boundary" << QStringList{"1|Error|Impossible to remove read-only objects"}
        << QStringList{"Error when attempting to remove file %1/F1 Main Boundary. Reason: Permission denied"};
    QTest::newRow("new name") << false << "rename:F1 copy" << "F1 copy" << QStringList() << QStringList();
}

void TestFaultImport::conflicts()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, bus);
    const QString existing = faultFolder() + "/F1 Main Boundary";
    writeJunk(existing);
    if (readOnly)
        QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner));
    ZRScriptedExchangeUi ui;
    ZRExchangeUi::FileConflictAnswer reply;
    if (answer == QLatin1String("overwrite"))
        reply.choice = ZRExchangeUi::FileConflictAnswer::Overwrite;
    else if (answer.startsWith("rename:")) {
        reply.choice = ZRExchangeUi::FileConflictAnswer::NewName;
        reply.newFileName = answer.mid(7);
    }
    ui.fileConflictAnswers.enqueue(reply);
    const QVector<FaultImportRequest> requests = requestsFor({"F1 Main Boundary"});
    owsim::clearInjections();
    QCOMPARE(importFaults(context(&ui), requests), written.isEmpty() ? 0 : 1);
    QCOMPARE(ui.fileConflicts, QStringList{existing});
    QStringList shown;
    for (const auto& message : ui.messages)
        shown.append(QString("%1|%2|%3").arg(int(message.kind)).arg(message.title, message.text));
    QCOMPARE(shown, boxes);
    QStringList fileErrors;
    for (const QString& text : bus)
        fileErrors.append(text.arg(faultFolder()));
    QCOMPARE(m_bus->takeTexts(eDrawFileError), fileErrors);
    if (written.isEmpty()) {
        // Skipped before any segment was read, nothing reloaded.
        QCOMPARE(owsim::callCount("gdiReadSubset"), 0);
        QCOMPARE(m_reloaded, QList<int>());
    } else {
        checkStickFile(faultFolder() + "/" + written, "F1 Main Boundary", expectedArray(segmentsOf("F1 Main Boundary")),
                       true);
    }
    if (written != QLatin1String("F1 Main Boundary")) {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a fault"));
    }
}

void TestFaultImport::cancelStopsTheRun()
{
    const QVector<FaultImportRequest> requests = requestsFor({"F1 Main Boundary", "F2 Crestal"});
    // The run is cancelled as its bar advances past the first fault: that one
    // is written and counts, the next one is not started.
    class Cancelling : public VsProgressBarFactoryAbstract
    {
    public:
        class Window : public VsProgressBarAbstract
        {
        public:
            explicit Window(int id) : m_id(id) {}
            void create(int, int, const QString&, int, bool) override {}
            void initialize(int, int, const QString&) override {}
            void increment(int id, int) override
            {
                if (id == m_id)
                    cancelProgressBar(m_id);
            }
            void close(int id) override
            {
                if (id == m_id)
                    delete this;
            }

        private:
            int m_id;
        };
        VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(topLevelId); }
    } factory;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    ZRScriptedExchangeUi ui;
    owsim::clearInjections();
    QCOMPARE(importFaults(context(&ui), requests), 1);
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(QDir(faultFolder()).entryList(QDir::Files), QStringList{"F1 Main Boundary"});
    QCOMPARE(owsim::callCount("gdiReadSubset"), 1);
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, QStringLiteral("1 of 2 faults imported."));
    QCOMPARE(m_reloaded, QList<int>{ZRProject::FaultType});
}

void TestFaultImport::dryRunWritesNothing()
{
    writeJunk(faultFolder() + "/F2 Crestal");
    const QStringList names{"F1 Main Boundary", "F2 Crestal", "F5 Deep Splay"};
    const QString projectFolder = m_fixture->project().projectPath();
    const auto before = folderChecksums(projectFolder);
    const auto run = [&](bool dryRun, ZRTransferReport* report, ZRScriptedExchangeUi* ui) {
        ZRExchangeUi::FileConflictAnswer overwrite;
        overwrite.choice = ZRExchangeUi::FileConflictAnswer::Overwrite;
        ui->fileConflictAnswers.enqueue(overwrite);
        report->setDryRun(dryRun);
        ZRExchangeContext runContext = context(ui, report);
        runContext.dryRun = dryRun;
        return importFaults(runContext, requestsFor(names));
    };
    ZRScriptedExchangeUi dryUi;
    ZRTransferReport plan;
    QCOMPARE(run(true, &plan, &dryUi), 3);
    QCOMPARE(folderChecksums(projectFolder), before);
    QCOMPARE(m_reloaded, QList<int>());
    QCOMPARE(dryUi.messages.size(), 0);
    QCOMPARE(dryUi.fileConflicts, QStringList{faultFolder() + "/F2 Crestal"});

    ZRScriptedExchangeUi realUi;
    ZRTransferReport done;
    QCOMPARE(run(false, &done, &realUi), 3);
    QCOMPARE(done.itemCount(), plan.itemCount());
    for (int i = 0; i < plan.itemCount(); ++i) {
        QCOMPARE(plan.item(i).outcome, ZRTransferReport::Planned);
        QCOMPARE(plan.item(i).action, done.item(i).action);
        QCOMPARE(plan.item(i).target, done.item(i).target);
        QCOMPARE(plan.item(i).counts, done.item(i).counts);
        QVERIFY(QFileInfo::exists(done.item(i).target.value("path").toString()));
    }
    QCOMPARE(plan.item(1).action, ZRTransferReport::Overwrite);
}

void TestFaultImport::requestsFromRows()
{
    ZROpenworksFaultModel model;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading"));
        model.loadFromOpenworks(reading.id());
    }
    QVERIFY(model.rowCount() >= 6);
    QVector<int> rows;
    for (int row = model.rowCount() - 1; row >= 0; --row)
        rows << row << row;
    rows << -1 << model.rowCount();
    const QVector<FaultImportRequest> requests = faultImportRequestsFromRows(model, rows);
    QCOMPARE(requests.size(), model.rowCount());
    for (int r = 0; r < requests.size(); ++r) {
        const int row = model.rowCount() - 1 - r;
        QCOMPARE(requests[r].displayName, model.index(row, 0).data().toString());
        QCOMPARE(requests[r].domain, model.index(row, 3).data().toString());
        QCOMPARE(requests[r].faultPlaneId, model.index(row, 7).data().toInt());
        QCOMPARE(requests[r].faultPlaneId, faultPlaneIdOf(requests[r].displayName));
    }
}

void TestFaultImport::throughTheWindow()
{
    ZRScriptedExchangeUi* ui = nullptr;
    m_dialog = m_fixture->makeDialog(ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    ZROpenworksProjectBrowser* browser = m_dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Faults);
    ZROpenworksSortFilterProxyModel* proxy = browser->proxy();
    QItemSelectionModel* selection = browser->tableView(ZROpenworksProjectBrowser::Faults)->selectionModel();
    for (int row = 0; row < proxy->rowCount(); ++row)
        if (proxy->index(row, 0).data().toString().startsWith(QLatin1String("F5")))
            selection->select(QItemSelection(proxy->index(row, 0), proxy->index(row, proxy->columnCount() - 1)),
                              QItemSelectionModel::Select);
    QCOMPARE(selection->selectedRows().size(), 1);
    QTest::mouseClick(m_dialog->importButton(), Qt::LeftButton);
    QCOMPARE(ui->messages.size(), 0);
    QStringList listed;
    for (const QModelIndex& item : m_dialog->hostTree()->itemsOfCategory(QStringLiteral("Fault")))
        listed.append(item.data(ZRProjectBrowserModel::PathRole).toString());
    QCOMPARE(listed, QStringList{faultFolder() + "/F5 Deep Splay"});
    QCOMPARE(m_dialog->hostCategoryName(), QStringLiteral("Fault"));
}

QTEST_MAIN(TestFaultImport)
#include "tst_faultimport.moc"
