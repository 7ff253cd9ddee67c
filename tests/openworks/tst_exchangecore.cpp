// The exchange core without any window: the OpenWorks session, the run report
// and dry run of the survey import, failed trace reads, and volumes that only
// get their name once complete (cancel, kill).

#include "exchangefixture.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "progresshook.h"
#include "recordinglogger.h"
#include "messagemanager.h"
#include "surveyimportchecks.h"
#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprojectbrowsermodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrseismicbloc.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"
#include "zrtransferverifier.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QProcess>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <limits>

namespace
{

/// Every file below folder with the SHA-256 of its content.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        files.insert(QDir(folder).relativeFilePath(path), hash.result());
    }
    return files;
}

QString hexSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

class TestExchangeCore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sessionStartFailures_data();
    void sessionStartFailures();
    void sessionListsDistrictsAndProjects();
    void sessionOpensAndClosesProjects();

    void reportOfAnImport();
    void reportOfAFailedItem();
    void dryRunWritesNothingAndPlansTheRealRun();
    void failedTraceReadsAreWrittenAsMissing();
    void volumeIsHiddenUntilComplete();
    void cancelLeavesThePartialVolumeUnderItsName();
    void killedImportLeavesNoCompleteLookingVolume();
    void onlyTemporariesOfTheTargetAreRemoved();
    void verifyFindsEqualAndAlteredVolumes();
    void verifySeesTracesThatFailedToArrive();
    void feetProjectVolumesAreInMetres();
    void dataSetNamesStayInTheVolumeFolder_data();
    void dataSetNamesStayInTheVolumeFolder();

private:
    bool openSession(ZROpenworksSession& session);
    ZRExchangeContext context(ZROpenworksSession& session, ZRScriptedExchangeUi& ui, ZRTransferReport* report);
    QVector<SurveyImportRequest> requests(const QStringList& dataSets);
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    QString dataSetFile(const QString& survey, const QString& dataSet) const;
    QStringList busTexts(int drawType);

    std::unique_ptr<ExchangeFixture> m_fixture;
    QString m_home;
    QString m_dataFolder;
    std::shared_ptr<RecordingLogger> m_recorder;
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
    int m_seen = 0;
    int m_markers = 0;
};

void TestExchangeCore::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    m_home = m_fixture->environment().openWorksHome();
    m_dataFolder = districtDataFolderOf(m_home, ExchangeFixture::District);
    QVERIFY(QDir(m_dataFolder).exists());
    QVERIFY(QDir().mkpath(volumeFolder()));
    m_recorder = std::make_shared<RecordingLogger>();
    m_manager = std::make_unique<MessageManager>();
    m_manager->addLogger(m_recorder);
    QVERIFY(m_manager->startListen());
    m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
    m_bus->setMutex(m_manager->getMutex());
}

void TestExchangeCore::init()
{
    owsim::clearInjections();
    QDir folder(volumeFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        QVERIFY(folder.remove(name));
    busTexts(-1);
}

void TestExchangeCore::cleanup()
{
    owsim::clearInjections();
}

QStringList TestExchangeCore::busTexts(int drawType)
{
    // A marker makes sure every earlier message has arrived.
    const QString marker = QStringLiteral("marker %1").arg(++m_markers);
    ZREventBus::sendMessage(eDrawInformation, marker, false);
    QElapsedTimer waited;
    waited.start();
    while (!m_recorder->snapshot().contains(QStringLiteral("0|") + marker) && waited.elapsed() < 5000)
        QThread::msleep(5);
    const QStringList lines = m_recorder->snapshot();
    QStringList texts;
    for (int i = m_seen; i < lines.size(); ++i) {
        const int bar = lines[i].indexOf('|');
        const int type = lines[i].left(bar).toInt();
        const QString text = lines[i].mid(bar + 1);
        if ((drawType < 0 || type == drawType) && text != marker)
            texts.append(text);
    }
    m_seen = lines.size();
    return texts;
}

bool TestExchangeCore::openSession(ZROpenworksSession& session)
{
    QString error;
    return session.start(&error) && ZROpenworksSession::setSystemDistrict(ExchangeFixture::District) == 0
        && session.openProject(ExchangeFixture::Project, &error);
}

ZRExchangeContext TestExchangeCore::context(ZROpenworksSession& session, ZRScriptedExchangeUi& ui,
                                            ZRTransferReport* report)
{
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.session = &session;
    context.ui = &ui;
    context.report = report;
    return context;
}

QVector<SurveyImportRequest> TestExchangeCore::requests(const QStringList& dataSets)
{
    ZROpenworksSurveyModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    for (const QString& name : dataSets)
        for (int row = 0; row < catalogue.rowCount(); ++row)
            if (catalogue.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString() == name)
                rows.append(row);
    return surveyImportRequestsFromRows(catalogue, rows, nullptr);
}

QString TestExchangeCore::dataSetFile(const QString& survey, const QString& dataSet) const
{
    QDir folder(m_dataFolder + "/" + QString(survey).replace(' ', '_'));
    const QStringList files = folder.entryList({QString(dataSet).replace(' ', '_') + "_*.sgy"}, QDir::Files);
    return files.size() == 1 ? folder.filePath(files[0]) : QString();
}

void TestExchangeCore::sessionStartFailures_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("owinit") << "owinit" << 317700001
                            << "OpenWorks® was unable to initialize.\nPlease verify that OpenWorks® is installed and "
                               "correctly configured.";
    QTest::newRow("gdiInit") << "gdiInit" << int(GDI_DATABASE_ERROR)
                             << QStringLiteral("Unable to initialize GDI subsystem: %1")
                                    .arg(QString::fromLocal8Bit(gdiErrorMessage(GDI_DATABASE_ERROR)));
}

void TestExchangeCore::sessionStartFailures()
{
    QFETCH(QString, call);
    QFETCH(int, status);
    QFETCH(QString, text);
    owsim::injectStatus(call.toStdString(), 1, status);
    {
        ZROpenworksSession session;
        QString error;
        QVERIFY(!session.start(&error));
        QCOMPARE(error, text);
        QVERIFY(!session.isStarted());
        // Started again (the window's retry), it works.
        QVERIFY(session.start(&error));
        QVERIFY(session.isStarted());
    }
    QCOMPARE(ZROpenworksSession::startFailureTitle(), QStringLiteral("OpenWorks® failed to initialize"));
}

void TestExchangeCore::sessionListsDistrictsAndProjects()
{
    ZROpenworksSession session;
    QVERIFY(session.start());
    int status = -1;
    const QStringList districts = ZROpenworksSession::districts(&status);
    QCOMPARE(status, 0);
    QVERIFY(districts.contains(ExchangeFixture::District));
    QVERIFY(districts.contains(ExchangeFixture::EmptyDistrict));
    QVERIFY(ZROpenworksSession::districtExists(ExchangeFixture::District));
    QVERIFY(!ZROpenworksSession::districtExists(QStringLiteral("Nowhere")));

    QCOMPARE(ZROpenworksSession::setSystemDistrict(ExchangeFixture::District), 0);
    QCOMPARE(ZROpenworksSession::systemDistrict(), QString(ExchangeFixture::District));
    busTexts(-1);
    QCOMPARE(ZROpenworksSession::projects(&status), QStringList{ExchangeFixture::Project});
    QCOMPARE(busTexts(eDrawCallTrace), QStringList{"OpenWorks projects query error=0 numProjects=1"});

    owsim::injectStatus("prjGetPrjs", 1, 317707121);
    QVERIFY(ZROpenworksSession::projects(&status).isEmpty());
    QCOMPARE(status, 317707121);
    QCOMPARE(busTexts(eDrawError),
             QStringList{"Unable to query OpenWorks® projects, prjGetPrjs error code: 317707121"});
    owsim::injectStatus("lgc_getdistrict", 1, LGC_NO_DISTRICT);
    QVERIFY(ZROpenworksSession::districts(&status).isEmpty());
    QCOMPARE(status, int(LGC_NO_DISTRICT));
}

void TestExchangeCore::sessionOpensAndClosesProjects()
{
    {
        ZROpenworksSession session;
        QVERIFY(openSession(session));
        QVERIFY(session.isProjectOpen());
        QCOMPARE(session.projectName(), QString(ExchangeFixture::Project));
        prjProject_t active{};
        QCOMPARE(prjGetActive(&active), 0);

        // A failing close before the next open: its text, and no open is tried.
        owsim::injectStatus("prjClose", 1, 217700203);
        const int opens = owsim::callCount("prjOpen");
        QString error;
        QVERIFY(!session.openProject(ExchangeFixture::Project, &error));
        QCOMPARE(error, QStringLiteral("Failed to disconnect from project."));
        QCOMPARE(owsim::callCount("prjOpen"), opens);

        QVERIFY(!session.openProject(QStringLiteral("NOSUCH"), &error));
        QCOMPARE(error, QStringLiteral("The project does not exist."));
        QVERIFY(!session.isProjectOpen());
        QVERIFY(session.projectName().isEmpty());
        QVERIFY(session.openProject(ExchangeFixture::Project, &error));
        QCOMPARE(session.closeProject(), 0);
        QCOMPARE(session.closeProject(), 0);
        QVERIFY(session.openProject(ExchangeFixture::Project, &error));
    }
    // The session's end gave back the project and the DevKit.
    prjProject_t active{};
    QCOMPARE(prjGetActive(&active), int(PRJ_NO_ACTIVE_PROJECT));
    gdi3dSurvey_t survey{};
    QVERIFY(gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0);
}

void TestExchangeCore::reportOfAnImport()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    report.setExchange(QStringLiteral("import-surveys"));
    report.start();
    const ZRExchangeContext run = context(session, ui, &report);
    QCOMPARE(importSurveys(run, requests({"NS Time Full", "Dome Time Sparse"})), 2);
    report.finish(2, 2);

    QCOMPARE(report.itemCount(), 2);
    const QStringList sources = {dataSetFile("North Sea 3D", "NS Time Full"), dataSetFile("Dome Ridge 3D", "Dome Time Sparse")};
    for (int i = 0; i < 2; ++i) {
        const ZRTransferReport::Item& item = report.item(i);
        QCOMPARE(item.outcome, ZRTransferReport::Imported);
        QCOMPARE(item.action, ZRTransferReport::Create);
        const QString path = item.target.value("path").toString();
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(item.files.size(), 1);
        const QJsonObject file = item.files.first().toObject();
        QCOMPARE(file.value("sha256").toString(), hexSha256(path));
        QCOMPARE(qint64(file.value("bytes").toDouble()), QFileInfo(path).size());

        // Counts and range against the files read independently.
        QString error;
        VolumeFile volume;
        QVERIFY2(volume.load(path, &error), qPrintable(error));
        SegyDataSet source;
        QVERIFY2(source.load(sources[i], &error), qPrintable(error));
        QCOMPARE(qint64(item.counts.value("traces").toDouble()), qint64(volume.dimx) * volume.dimz);
        QCOMPARE(int(item.counts.value("absentTraces").toDouble()), source.absentCount());
        QCOMPARE(int(item.counts.value("failedTraces").toDouble()), 0);
        QCOMPARE(item.geometry.value("dimx").toInt(), volume.dimx);
        QCOMPARE(item.geometry.value("dimz").toInt(), volume.dimz);
        double minimum = std::numeric_limits<double>::max();
        double maximum = std::numeric_limits<double>::lowest();
        for (int k = 0; k < volume.dimz; ++k)
            for (int t = 0; t < volume.dimx; ++t)
                for (int j = 0; j < volume.dimy; ++j) {
                    const float value = volume.sample(k, t, j);
                    if (value == -9999.0f)
                        continue;
                    minimum = std::min(minimum, double(value));
                    maximum = std::max(maximum, double(value));
                }
        QCOMPARE(item.valueRange.value("min").toDouble(), minimum);
        QCOMPARE(item.valueRange.value("max").toDouble(), maximum);
        // The vertical axis, then map x and y, each as the DevKit converts it (all 1 in a metric project).
        QCOMPARE(item.units.size(), 3);
        QCOMPARE(item.units.at(0).toObject().value("quantity").toString(), QStringLiteral("vertical time"));
        QCOMPARE(item.units.at(1).toObject().value("quantity").toString(), QStringLiteral("map x"));
        for (const QJsonValue& unit : item.units)
            QCOMPARE(unit.toObject().value("factor").toDouble(), 1.0);
        QCOMPARE(item.source.value("survey").toString(), i == 0 ? "North Sea 3D" : "Dome Ridge 3D");
    }

    // The written report reads back as a report of this format.
    const QString path = m_fixture->environment().makeFolder("report") + "/report.json";
    QString error;
    QVERIFY2(report.write(path, &error), qPrintable(error));
    QJsonObject written;
    QVERIFY2(ZRTransferReport::read(path, &written, &error), qPrintable(error));
    QCOMPARE(written.value("formatVersion").toInt(), ZRTransferReport::FormatVersion);
    QCOMPARE(written.value("exchange").toString(), QStringLiteral("import-surveys"));
    QCOMPARE(written.value("items").toArray().size(), 2);
    QCOMPARE(written.value("transferred").toInt(), 2);
}

void TestExchangeCore::reportOfAFailedItem()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    owsim::injectStatus("prjin2_", 1, 4);
    QCOMPARE(importSurveys(context(session, ui, &report), requests({"NS Time Full", "NS Depth"})), 1);
    QCOMPARE(report.itemCount(), 2);
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Failed);
    QCOMPARE(report.item(0).messages,
             QStringList{"Error occurred during import of NS Time Full: Failed to get active OpenWorks project."});
    QVERIFY(report.item(0).files.isEmpty());
    QCOMPARE(report.item(1).outcome, ZRTransferReport::Imported);
    // The window's boxes said the same.
    QCOMPARE(ui.messages.first().text, report.item(0).messages.first());
}

void TestExchangeCore::dryRunWritesNothingAndPlansTheRealRun()
{
    // An existing target makes the plan carry a conflict answer.
    QFile existing(volumeFolder() + "/NS Depth");
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("not a volume");
    existing.close();

    const QMap<QString, QByteArray> hostBefore = snapshot(m_fixture->project().projectPath());
    const QString district = m_home + "/" + ExchangeFixture::District;
    const QMap<QString, QByteArray> openWorksBefore = snapshot(district);
    const QMap<QString, QByteArray> dataBefore = snapshot(m_dataFolder);

    ZRTransferReport plan;
    {
        ZROpenworksSession session;
        QVERIFY(openSession(session));
        ZRScriptedExchangeUi ui;
        ui.fileConflictAnswers.enqueue({ZRExchangeUi::FileConflictAnswer::Overwrite, QString()});
        ZRExchangeContext run = context(session, ui, &plan);
        run.dryRun = true;
        QCOMPARE(importSurveys(run, requests({"NS Time Full", "NS Depth"})), 2);
        QVERIFY(ui.messages.isEmpty());
    }
    QCOMPARE(snapshot(m_fixture->project().projectPath()), hostBefore);
    QCOMPARE(snapshot(district), openWorksBefore);
    QCOMPARE(snapshot(m_dataFolder), dataBefore);
    QCOMPARE(plan.itemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(plan.item(i).outcome, ZRTransferReport::Planned);
        QVERIFY(plan.item(i).files.isEmpty());
        QVERIFY(plan.item(i).geometry.value("dimx").toInt() > 0);
        QVERIFY(plan.item(i).counts.value("bytes").toDouble() > 0);
    }
    QCOMPARE(plan.item(1).action, ZRTransferReport::Overwrite);

    // The real run with the same answers does what was planned.
    ZRTransferReport real;
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ui.fileConflictAnswers.enqueue({ZRExchangeUi::FileConflictAnswer::Overwrite, QString()});
    QCOMPARE(importSurveys(context(session, ui, &real), requests({"NS Time Full", "NS Depth"})), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(real.item(i).target, plan.item(i).target);
        QCOMPARE(real.item(i).action, plan.item(i).action);
        QCOMPARE(real.item(i).geometry, plan.item(i).geometry);
    }
    QCOMPARE(real.item(1).outcome, ZRTransferReport::Overwritten);
}

void TestExchangeCore::failedTraceReadsAreWrittenAsMissing()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    const int firstFailing = 500;
    const int traceReads = owsim::callCount("dm3dtr_");
    owsim::injectStatus("dm3dtr_", firstFailing, 3, true);
    QCOMPARE(importSurveys(context(session, ui, &report), requests({"NS Time Full"})), 1);
    const int calls = owsim::callCount("dm3dtr_") - traceReads;
    owsim::clearInjections();

    const QString path = report.item(0).target.value("path").toString();
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(path, &error), qPrintable(error));
    SegyDataSet source;
    QVERIFY2(source.load(dataSetFile("North Sea 3D", "NS Time Full"), &error), qPrintable(error));
    QCOMPARE(calls, volume.dimx * volume.dimz);
    QCOMPARE(int(report.item(0).counts.value("failedTraces").toDouble()), calls - firstFailing + 1);
    // Traces read before the failures equal the source; every later one is missing, never an earlier frame.
    for (int n = 0; n < calls; ++n) {
        const int k = n / volume.dimx;
        const int i = n % volume.dimx;
        const QVector<float>* trace = source.trace(source.firstLine() + k, source.firstTrace() + i);
        QVERIFY(trace);
        for (int j = 0; j < volume.dimy; ++j) {
            const float expected = n + 1 < firstFailing ? (*trace)[j] : -9999.0f;
            if (volume.sample(k, i, j) != expected)
                QFAIL(qPrintable(QStringLiteral("trace %1 sample %2: %3 instead of %4")
                                     .arg(n).arg(j).arg(volume.sample(k, i, j)).arg(expected)));
        }
    }
    QCOMPARE(busTexts(eDrawError), QStringList{"Error during call to dm3dtr_ : 3"});
}

void TestExchangeCore::volumeIsHiddenUntilComplete()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    const QString target = volumeFolder() + "/NS Time Full";
    QStringList seen;
    bool listedByTheTree = true;
    {
        ProgressHook hook(QStringLiteral("NS Time Full"), [&](int value) {
            if (value == 4) {
                seen = QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden);
                ZRProjectBrowserModel tree;
                tree.setProject(m_fixture->project());
                listedByTheTree = !tree.match(tree.index(0, 0), Qt::DisplayRole, QStringLiteral("*NS Time Full*"), 1,
                                              Qt::MatchWildcard | Qt::MatchRecursive)
                                       .isEmpty();
            }
            return false;
        });
        QCOMPARE(importSurveys(context(session, ui, nullptr), requests({"NS Time Full"})), 1);
    }
    QCOMPARE(seen, QStringList{QStringLiteral(".NS Time Full.%1.partial").arg(QCoreApplication::applicationPid())});
    QVERIFY(!listedByTheTree);
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"NS Time Full"});
    QVERIFY(QFileInfo::exists(target));
}

void TestExchangeCore::cancelLeavesThePartialVolumeUnderItsName()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    {
        // Value 1 comes at the bar's creation, then one per written frame.
        ProgressHook hook(QStringLiteral("NS Time Full"), [](int value) { return value == 4; });
        importSurveys(context(session, ui, &report), requests({"NS Time Full", "NS Depth"}));
    }
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"NS Time Full"});
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(volumeFolder() + "/NS Time Full", &error), qPrintable(error));
    QCOMPARE(volume.framesPresent(), 3);
    QCOMPARE(report.itemCount(), 1);
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Cancelled);
    QCOMPARE(int(report.item(0).counts.value("framesWritten").toDouble()), 3);
}

void TestExchangeCore::killedImportLeavesNoCompleteLookingVolume()
{
    const QString child = TestEnvironment::binaryPath() + "/surveyimportchild";
    QVERIFY(QFileInfo(child).isExecutable());
    QProcess process;
    process.start(child, {m_home, ExchangeFixture::District, ExchangeFixture::Project,
                          m_fixture->project().projectPath(), "NS Time Full", "6"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);

    // Only the hidden temporary file is left; the host tree does not list it.
    const QStringList left = QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left.size(), 1);
    QVERIFY2(left.first().startsWith(".NS Time Full.") && left.first().endsWith(".partial"), qPrintable(left.first()));
    QVERIFY(!QFileInfo::exists(volumeFolder() + "/NS Time Full"));
    ZRProjectBrowserModel tree;
    tree.setProject(m_fixture->project());
    QVERIFY(tree.match(tree.index(0, 0), Qt::DisplayRole, QStringLiteral("*NS Time Full*"), 1,
                       Qt::MatchWildcard | Qt::MatchRecursive)
                .isEmpty());

    // The next import (default answers) imports the volume whole and removes the leftover.
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    QCOMPARE(importSurveys(context(session, ui, nullptr), requests({"NS Time Full"})), 1);
    QVERIFY(ui.fileConflicts.isEmpty());
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"NS Time Full"});
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(volumeFolder() + "/NS Time Full", &error), qPrintable(error));
    SegyDataSet source;
    QVERIFY2(source.load(dataSetFile("North Sea 3D", "NS Time Full"), &error), qPrintable(error));
    const QString difference = compareVolume(volume, source, true);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestExchangeCore::onlyTemporariesOfTheTargetAreRemoved()
{
    const QStringList names = {".Vol.123.partial", ".Vol.77.partial", ".Vol 2.123.partial", ".Vol.abc.partial",
                               ".Vol.123.partial.keep", "Vol"};
    for (const QString& name : names) {
        QFile file(volumeFolder() + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(removeStaleTemporaryVolumes(volumeFolder() + "/Vol"), 2);
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{".Vol 2.123.partial", ".Vol.123.partial.keep", ".Vol.abc.partial", "Vol"}));
    QCOMPARE(temporaryVolumePath(volumeFolder() + "/Vol"),
             volumeFolder() + QDir::separator() + QStringLiteral(".Vol.%1.partial").arg(QCoreApplication::applicationPid()));
}

void TestExchangeCore::verifyFindsEqualAndAlteredVolumes()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    report.setExchange(QStringLiteral("import-surveys"));
    QCOMPARE(importSurveys(context(session, ui, &report), requests({"NS Time Full", "Dome Time Sparse", "NS Depth"})), 3);
    {
        ZRTransferVerifier verifier(context(session, ui, nullptr));
        QVERIFY2(verifier.verifyReport(report.toJson()), qPrintable(verifier.differences().join('\n')));
        QCOMPARE(verifier.itemsVerified(), 3);
    }

    // One sample of the sparse LINE survey's volume changed after the transfer.
    const QString path = report.item(1).target.value("path").toString();
    VolumeFile layout;
    QString error;
    QVERIFY2(layout.load(path, &error), qPrintable(error));
    const int k = layout.dimz - 2, i = 3, j = 17;
    QVERIFY(layout.sample(k, i, j) != -9999.0f);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(layout.dataOffset + ((qint64(k) * layout.dimx + i) * layout.dimy + j) * 4));
    const float changed = layout.sample(k, i, j) + 0.5f;
    file.write(reinterpret_cast<const char*>(&changed), 4);
    file.close();
    double survey[3];
    layout.surveyPoint(i, 0, k, survey);

    ZRTransferVerifier verifier(context(session, ui, nullptr));
    QVERIFY(!verifier.verifyReport(report.toJson()));
    const QStringList differences = verifier.differences();
    QCOMPARE(differences.size(), 2);
    QVERIFY2(differences[0].startsWith(QStringLiteral("Dome Time Sparse: the file %1 changed after the transfer").arg(path)),
             qPrintable(differences[0]));
    QVERIFY2(differences[1].startsWith(QStringLiteral("Dome Time Sparse: line %1, trace %2, sample %3: ")
                                           .arg(std::round(survey[2])).arg(std::round(survey[0])).arg(j)),
             qPrintable(differences[1]));
    QCOMPARE(verifier.notes().filter("equal").size(), 2);
}

void TestExchangeCore::verifySeesTracesThatFailedToArrive()
{
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    report.setExchange(QStringLiteral("import-surveys"));
    owsim::injectStatus("dm3dtr_", 4000, 3, true);
    QCOMPARE(importSurveys(context(session, ui, &report), requests({"NS Time Full"})), 1);
    owsim::clearInjections();
    ZRTransferVerifier verifier(context(session, ui, nullptr));
    QVERIFY(!verifier.verifyReport(report.toJson()));
    // The first differing trace is the first one whose read failed; the rest are counted.
    QVERIFY2(verifier.differences().first().contains(": -9999 in the volume, "),
             qPrintable(verifier.differences().first()));
    QCOMPARE(verifier.differences().size(), ZRTransferVerifier::MaximumListedPerItem + 1);
    QVERIFY(verifier.differences().last().startsWith("NS Time Full: ... and "));

    // A plan has nothing to verify.
    QJsonObject plan = report.toJson();
    plan.insert("dryRun", true);
    ZRTransferVerifier planVerifier(context(session, ui, nullptr));
    QVERIFY(planVerifier.verifyReport(plan));
    QCOMPARE(planVerifier.itemsVerified(), 0);
}

void TestExchangeCore::feetProjectVolumesAreInMetres()
{
    std::string error;
    bool seeded = false;
    QVERIFY2(owsim::seedDemo(m_home.toStdString(), "FeetDemo", "FEET", owsim::MeasurementSystem::Feet, &seeded, &error),
             error.c_str());
    ZROpenworksSession session;
    QString text;
    QVERIFY(session.start(&text));
    QCOMPARE(ZROpenworksSession::setSystemDistrict("FeetDemo"), 0);
    QVERIFY2(session.openProject("FEET", &text), qPrintable(text));
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    report.setExchange(QStringLiteral("import-surveys"));
    QCOMPARE(importSurveys(context(session, ui, &report), requests({"NS Time Full"})), 1);

    // The survey record holds its corners in feet; the volume's world matrix is in metres.
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    qstrncpy(survey.name, "North Sea 3D", sizeof survey.name);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &survey), 0);
    int xyUnit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, 20, &xyUnit), 0);
    QVERIFY(xyUnit == OW_UNIT_FEET || xyUnit == OW_UNIT_INTERNATIONAL_FEET);
    QString layoutError;
    VolumeFile volume;
    QVERIFY2(volume.load(report.item(0).target.value("path").toString(), &layoutError), qPrintable(layoutError));
    std::unique_ptr<ZRSeismicBloc> bloc = ZRSeismicBloc::load(report.item(0).target.value("path").toString());
    QVERIFY(bloc);
    double survey0[3];
    volume.surveyPoint(0, 0, 0, survey0);
    const float line = float(survey0[2]);
    const float trace = float(survey0[0]);
    double x = 0.0, y = 0.0;
    int status = 0;
    int projectType = 3;
    const int length = 0;
    prjin2_(&status, &projectType, "North Sea 3D", &length);
    QCOMPARE(status, 0);
    const int one = 1;
    intorw_(&one, &line, &trace, &x, &y, &status);
    QCOMPARE(status, 0);
    prjend_(&projectType, &one);
    const core::vec3 world = bloc->fromBlocToWorldMatrix().map(core::vec3(0, 0, 0));
    QVERIFY2(std::abs(world.x - x * 0.3048) < 1e-3 && std::abs(world.z - y * 0.3048) < 1e-3,
             qPrintable(QStringLiteral("(%1, %2) instead of (%3, %4)").arg(world.x).arg(world.z).arg(x * 0.3048).arg(y * 0.3048)));
    QCOMPARE(report.item(0).units.at(1).toObject().value("factor").toDouble(), 0.3048);

    ZRTransferVerifier verifier(context(session, ui, nullptr));
    QVERIFY2(verifier.verifyReport(report.toJson()), qPrintable(verifier.differences().join('\n')));
    QVERIFY(QFile::remove(report.item(0).target.value("path").toString()));
}

void TestExchangeCore::dataSetNamesStayInTheVolumeFolder_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("asNewName");
    QTest::newRow("parent folders") << QByteArray("../../escaped") << false;
    QTest::newRow("a folder inside") << QByteArray("sub/volume") << false;
    QTest::newRow("parent folder") << QByteArray("..") << false;
    QTest::newRow("new name leaving the folder") << QByteArray("../escaped") << true;
}

void TestExchangeCore::dataSetNamesStayInTheVolumeFolder()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, asNewName);
    ZROpenworksSession session;
    QVERIFY(openSession(session));
    // A user's file where an escaping name would land, and the project's own files.
    const QString outside = QFileInfo(volumeFolder() + "/../../escaped").absoluteFilePath();
    {
        QFile file(outside);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the user's file");
    }
    const QString projectFolder = m_fixture->project().projectPath();
    const QMap<QString, QByteArray> projectBefore = snapshot(projectFolder);

    // The data set renamed in OpenWorks (or the user's new name for an existing target).
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    qstrncpy(survey.name, "North Sea 3D", sizeof survey.name);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &survey), 0);
    const QVector<SurveyImportRequest> depth = requests({"NS Depth"});
    QCOMPARE(depth.size(), 1);
    gdiSeismicDataSet_t dataSet;
    gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &dataSet);
    dataSet.id = depth.first().seismicDataSetId;
    dataSet.surveyId = survey.id;
    QCOMPARE(gdiRead(GDI_CLASS_SEISMIC_DATA_SET, &dataSet), 0);
    const gdiSeismicDataSet_t original = dataSet;
    ZRScriptedExchangeUi ui;
    if (asNewName) {
        QFile existing(volumeFolder() + "/NS Depth");
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        ui.fileConflictAnswers.enqueue({ZRExchangeUi::FileConflictAnswer::NewName, QString::fromLatin1(name)});
    } else {
        qstrncpy(dataSet.name, name.constData(), sizeof dataSet.name);
        QCOMPARE(gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &dataSet), 0);
        QCOMPARE(gdiCommit(), 0);
    }
    const QMap<QString, QByteArray> folderBefore = snapshot(projectFolder);

    ZRTransferReport report;
    QCOMPARE(importSurveys(context(session, ui, &report), requests({QString::fromLatin1(asNewName ? "NS Depth" : name)})), 0);
    const QString shown = QString::fromLatin1(asNewName ? "NS Depth" : name);
    QCOMPARE(ui.messages.first().title, QStringLiteral("Error"));
    QCOMPARE(ui.messages.first().text,
             QStringLiteral("Unable to import seismic data set %1: The name \"%2\" cannot be used as a file name in %3.")
                 .arg(shown, QString::fromLatin1(name), volumeFolder()));
    QCOMPARE(report.item(0).outcome, ZRTransferReport::Failed);
    QFile file(outside);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the user's file"));
    file.close();
    QCOMPARE(snapshot(projectFolder), folderBefore);
    QVERIFY(QFile::remove(outside));

    if (asNewName) {
        QVERIFY(QFile::remove(volumeFolder() + "/NS Depth"));
    } else {
        gdiSeismicDataSet_t restored = original;
        QCOMPARE(gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &restored), 0);
        QCOMPARE(gdiCommit(), 0);
    }
    QCOMPARE(snapshot(projectFolder), projectBefore);
}

QTEST_GUILESS_MAIN(TestExchangeCore)
#include "tst_exchangecore.moc"
