// Survey import end to end through the exchange window on the seeded demo:
// volumes compared sample by sample with the data set files read by segyio.

#include "exchangefixture.h"
#include "recordinglogger.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "surveygridchecks.h"
#include "surveyimportchecks.h"
#include "zrdialogexchangeui.h"
#include "zreventbus.h"
#include "zropenworksexchangedialog.h"
#include "zrprojectbrowsermodel.h"
#include "zropenworksfileexistsdialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkstableview.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstring>

namespace
{

/// Progress windows that record what they were given and cancel the top-level
/// bar once the sub-bar titled `label` has been advanced `cancelAfter` + 1
/// times (once at its creation, then once per written frame).
class RecordingFactory : public VsProgressBarFactoryAbstract
{
public:
    struct Bar
    {
        int parentId;
        int total;
        QString title;
        int value = 0;
    };

    class Window : public VsProgressBarAbstract
    {
    public:
        Window(RecordingFactory* factory, int topLevelId)
            : m_factory(factory)
            , m_topLevelId(topLevelId)
        {
        }
        void create(int id, int total, const QString& title, int parentId, bool) override
        {
            m_factory->bars.insert(id, Bar{parentId, total, title});
            m_factory->order.append(id);
        }
        void initialize(int, int, const QString&) override {}
        void increment(int id, int step) override
        {
            Bar& bar = m_factory->bars[id];
            bar.value += step;
            if (bar.title == m_factory->label && bar.value == m_factory->cancelAfter + 1)
                cancelProgressBar(m_topLevelId);
        }
        void close(int id) override
        {
            if (id == m_topLevelId)
                delete this;
        }

    private:
        RecordingFactory* m_factory;
        int m_topLevelId;
    };

    VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(this, topLevelId); }

    QString label;
    int cancelAfter = -1;
    QHash<int, Bar> bars;
    QList<int> order;
};

/// Answers the modal windows of a real ZRDialogExchangeUi: the file conflict
/// dialog with `action`, message boxes with their default button (recording them).
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(const QString& action, const QString& newName = QString())
        : m_action(action)
        , m_newName(newName)
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::answer);
        m_timer.start(10);
    }

    QStringList conflictMessages;
    QStringList boxes;

private:
    void answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<ZROpenworksFileExistsDialog*>(modal)) {
            conflictMessages.append(dialog->messageLabel()->text());
            if (m_action == "skip")
                dialog->skipButton()->click();
            else if (m_action == "close")
                dialog->close();
            else if (m_action == "overwrite")
                dialog->overwriteButton()->click();
            else {
                dialog->nameEdit()->setText(m_newName);
                dialog->okButton()->click();
            }
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes.append(box->windowTitle() + "|" + box->text());
            box->accept();
        }
    }

    QString m_action;
    QString m_newName;
    QTimer m_timer;
};

} // namespace

class TestSurveyImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void timeAndDepthDataSets();
    void orientations_data();
    void orientations();
    void reversedLinesAndSparseTraces();
    void failures_data();
    void failures();
    void unitFailureEndsTheImport();
    void surveysWithoutDataSets();
    void fileConflict_data();
    void fileConflict();
    void cancelInTheMiddleOfTheFrames();
    void requestsFromRows();
    void longSurveyNameWithoutTheWindow();

private:
    ZROpenworksExchangeDialog* openDialog();
    /// Selects the rows whose data set (or, for surveys without any, survey) is
    /// named, in table order; returns the data set names in selection order.
    QStringList select(const QStringList& names);
    void clickImport();
    QStringList busMessages();
    QString volumeFolder() const { return m_fixture->project().directoryForType(1); }
    QString dataSetFile(const QString& dataSetName) const;
    void checkVolume(const QString& volumePath, const QString& dataSetName, bool traceOrder);
    void checkNothingOpen();
    void setOrientation(const QString& survey, const QString& orientation);

    std::unique_ptr<ExchangeFixture> m_fixture;
    QString m_dataFolder;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
    std::shared_ptr<RecordingLogger> m_recorder;
    std::unique_ptr<MessageManager> m_manager;
    std::unique_ptr<ZREventBus> m_bus;
};

void TestSurveyImport::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
    const QString home = m_fixture->environment().openWorksHome();
    m_dataFolder = districtDataFolderOf(home, ExchangeFixture::District);
    QVERIFY(QDir(m_dataFolder).exists());
    std::string error;
    const QString f3 = TestEnvironment::sharedDataPath() + "/segy/f3.sgy";
    QVERIFY2(owsim::loadSegy(home.toStdString(), ExchangeFixture::District, ExchangeFixture::Project,
                             f3.toStdString(), "F3 Crop", "F3 Time", "TIME", &error),
             error.c_str());
    QVERIFY(QDir().mkpath(volumeFolder()));
}

void TestSurveyImport::init()
{
    owsim::clearInjections();
    QDir folder(volumeFolder());
    for (const QString& name : folder.entryList(QDir::Files))
        QVERIFY(folder.remove(name));
    m_recorder = std::make_shared<RecordingLogger>();
    m_manager = std::make_unique<MessageManager>();
    m_manager->addLogger(m_recorder);
    QVERIFY(m_manager->startListen());
    m_bus = std::make_unique<ZREventBus>(m_manager->getNumPort());
    m_bus->setMutex(m_manager->getMutex());
}

void TestSurveyImport::cleanup()
{
    delete m_dialog;
    m_bus.reset();
    m_manager.reset();
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

ZROpenworksExchangeDialog* TestSurveyImport::openDialog()
{
    m_dialog = m_fixture->makeDialog(m_ui);
    m_dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    m_dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    m_dialog->projectBrowser()->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    return m_dialog;
}

QStringList TestSurveyImport::select(const QStringList& names)
{
    ZROpenworksProjectBrowser* browser = m_dialog->projectBrowser();
    ZROpenworksSortFilterProxyModel* proxy = browser->proxy();
    QItemSelectionModel* selection = browser->tableView(ZROpenworksProjectBrowser::Surveys)->selectionModel();
    selection->clearSelection();
    QStringList order;
    for (int row = 0; row < proxy->rowCount(); ++row) {
        const QString dataSet = proxy->index(row, 1).data().toString();
        const bool surveyOnly = proxy->index(row, 18).data().toBool();
        const QString name = surveyOnly ? proxy->index(row, 0).data().toString() : dataSet;
        if (!names.contains(name))
            continue;
        selection->select(QItemSelection(proxy->index(row, 0), proxy->index(row, proxy->columnCount() - 1)),
                          QItemSelectionModel::Select);
        if (!surveyOnly)
            order.append(dataSet);
    }
    return order;
}

void TestSurveyImport::clickImport()
{
    QVERIFY(m_dialog->importButton()->isEnabled());
    QTest::mouseClick(m_dialog->importButton(), Qt::LeftButton);
}

QStringList TestSurveyImport::busMessages()
{
    m_bus.reset();
    m_manager.reset();
    return m_recorder->snapshot();
}

QString TestSurveyImport::dataSetFile(const QString& dataSetName) const
{
    const ZROpenworksSurveyModel* model = m_dialog->projectBrowser()->surveyModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 1).data().toString() == dataSetName)
            return m_dataFolder + "/" + model->index(row, 13).data().toString();
    return QString();
}

void TestSurveyImport::checkVolume(const QString& volumePath, const QString& dataSetName, bool traceOrder)
{
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(volumePath, &error), qPrintable(error));
    SegyDataSet dataSet;
    QVERIFY2(dataSet.load(dataSetFile(dataSetName), &error), qPrintable(error));
    QCOMPARE(volume.dataSize, QStringLiteral("FLOAT_SIZE"));
    QCOMPARE(volume.version, 1);
    QCOMPARE(volume.withTransposition, QStringLiteral("1"));
    QCOMPARE(volume.fileSize(), volume.dataOffset + qint64(volume.dimz) * volume.frameBytes());
    const QString difference = compareVolume(volume, dataSet, traceOrder);
    QVERIFY2(difference.isEmpty(), qPrintable(dataSetName + ": " + difference));
}

void TestSurveyImport::checkNothingOpen()
{
    QCOMPARE(openFilesUnder(m_dataFolder), QStringList());
    QCOMPARE(openFilesUnder(volumeFolder()), QStringList());
    // Without failures every opened file and survey project was closed again.
    QCOMPARE(owsim::callCount("dm3dcl_"), owsim::callCount("dm3dop_"));
    QCOMPARE(owsim::callCount("prjend_"), owsim::callCount("prjin2_"));
}

void TestSurveyImport::setOrientation(const QString& survey, const QString& orientation)
{
    gdi3dSurvey_t record;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &record);
    std::strncpy(record.name, survey.toLocal8Bit().constData(), sizeof record.name - 1);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &record), 0);
    std::memset(record.orientation, 0, sizeof record.orientation);
    std::strncpy(record.orientation, orientation.toLatin1().constData(), sizeof record.orientation - 1);
    QCOMPARE(gdiUpdate(GDI_CLASS_3D_SURVEY, &record), 0);
    QCOMPARE(gdiCommit(), 0);
}

void TestSurveyImport::timeAndDepthDataSets()
{
    openDialog();
    const QStringList order = select({"NS Time Full", "NS Depth"});
    QCOMPARE(order.size(), 2);
    clickImport();

    QCOMPARE(m_ui->messages.size(), 0);
    QCOMPARE(m_ui->unitQuestions.size(), 0);
    QCOMPARE(m_ui->fileConflicts.size(), 0);
    const QString timePath = volumeFolder() + "/NS Time Full";
    const QString depthPath = volumeFolder() + "/NS Depth";
    // The host tree shows the new volumes at once, in its volume category.
    QStringList listed;
    for (const QModelIndex& item : m_dialog->hostTree()->volumeItems())
        listed.append(item.data(ZRProjectBrowserModel::PathRole).toString());
    QVERIFY2(listed.contains(QDir::toNativeSeparators(timePath)), qPrintable(listed.join(", ")));
    QVERIFY(listed.contains(QDir::toNativeSeparators(depthPath)));
    QCOMPARE(m_dialog->hostCategoryName(), QStringLiteral("Volume"));
    checkVolume(timePath, "NS Time Full", true);
    checkVolume(depthPath, "NS Depth", true);
    QString error;
    VolumeFile time, depth;
    QVERIFY(time.load(timePath, &error) && depth.load(depthPath, &error));
    QCOMPARE(time.initialVerticalUnit, QStringLiteral("Millisecond"));
    QCOMPARE(depth.initialVerticalUnit, QStringLiteral("Meter"));
    QCOMPARE(depth.verticalUnit, QStringLiteral("Meter"));
    // The vertical axis: sample j at start + j * interval (4 ms, 10 m).
    double origin[3], deeper[3];
    time.surveyPoint(0, 0, 0, origin);
    time.surveyPoint(0, 100, 0, deeper);
    QCOMPARE(deeper[1] - origin[1], 400.0);
    depth.surveyPoint(0, 0, 0, origin);
    depth.surveyPoint(0, 100, 0, deeper);
    QCOMPARE(deeper[1] - origin[1], 1000.0);

    checkNothingOpen();
    QCOMPARE(owsim::callCount("prjin2_"), 2);
    QCOMPARE(owsim::callCount("prjend_"), 2);
    QCOMPARE(owsim::callCount("dm3dcl_"), 2);

    const QStringList messages = busMessages();
    const ZROpenworksSurveyModel* model = m_dialog->projectBrowser()->surveyModel();
    int row = 0;
    while (row < model->rowCount() && model->index(row, 1).data().toString() != order[0])
        ++row;
    QVERIFY(row < model->rowCount());
    const QString firstFile = model->index(row, 13).data().toString();
    QVERIFY(QFileInfo::exists(m_dataFolder + "/" + firstFile));
    const int start = messages.indexOf(
        QStringLiteral("4|Start of import of seismic dataset :\n\tsurvey\t\t\t = North Sea 3D\n\tsdsName\t\t\t = "
                       "%1\n\tfilename\t\t = %2\n\tdomain\t\t\t = %3\n\tunits\t\t\t = %4\n\tseismicDataSetId = "
                       "%5\n\ttarget filename\t = %6\n")
            .arg(order[0], firstFile, order[0] == "NS Depth" ? "DEPTH" : "TIME", model->index(row, 15).data().toString(),
                 model->index(row, 17).data().toString(), volumeFolder() + "/" + order[0]));
    QVERIFY2(start >= 0, qPrintable(messages.join("\n")));
    QCOMPARE(messages.value(start + 1), QStringLiteral("3|Call to prjin2_ with survey=North Sea 3D error returned=0"));
    QCOMPARE(messages.value(start + 2),
             QStringLiteral("3|Call to dm3dop_ with filename=%1 error returned=0").arg(firstFile));
    QCOMPARE(messages.filter("Start of import").size(), 2);
    QCOMPARE(messages.filter(QRegularExpression("^1\\|")), QStringList());
}

void TestSurveyImport::orientations_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::newRow("TRACE") << "TRACE";
    QTest::newRow("LINE") << "LINE";
    QTest::newRow("lower case is not TRACE") << "trace";
}

void TestSurveyImport::orientations()
{
    QFETCH(QString, orientation);
    openDialog();
    setOrientation("F3 Crop", orientation);
    QCOMPARE(select({"F3 Time"}).size(), 1);
    clickImport();
    QCOMPARE(m_ui->messages.size(), 0);
    // The crop has 23 lines of 18 traces: frames are lines in every orientation
    // (the DevKit's grid follows the survey's own lines and traces).
    checkVolume(volumeFolder() + "/F3 Time", "F3 Time", true);
    checkNothingOpen();
}

void TestSurveyImport::reversedLinesAndSparseTraces()
{
    openDialog();
    QCOMPARE(select({"Dome Time Sparse"}).size(), 1);
    clickImport();
    QCOMPARE(m_ui->messages.size(), 0);
    const QString path = volumeFolder() + "/Dome Time Sparse";
    // "LINE" orientation, first line 500 > last line 440: every trace lies
    // where the volume's bloc space puts it.
    QString error;
    SegyDataSet dataSet;
    QVERIFY(dataSet.load(dataSetFile("Dome Time Sparse"), &error));
    QVERIFY(dataSet.absentCount() > 0);
    QCOMPARE(dataSet.firstLine(), 440);
    QCOMPARE(dataSet.lastLine(), 500);
    VolumeFile volume;
    QVERIFY(volume.load(path, &error));
    const QString difference = compareAtSurveyPositions(volume, dataSet);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // The survey's first line (500) is the data set's first line bound.
    double point[3];
    volume.surveyPoint(0, 0, 0, point);
    QCOMPARE(point[2], 500.0);
    QCOMPARE(point[0], 1000.0);
    volume.surveyPoint(0, 0, volume.dimz - 1, point);
    QCOMPARE(point[2], 440.0);
    checkNothingOpen();
    QVERIFY(busMessages().filter("Error during call to dm3dtr_").isEmpty());
}

void TestSurveyImport::failures_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");   // %1: the first data set
    QTest::addColumn<QStringList>("bus");   // %1: file of the first data set
    QTest::addColumn<int>("prjendCalls");
    QTest::addColumn<int>("dm3dclCalls");
    QTest::addColumn<bool>("firstImported");

    const QString error = "Error";
    QTest::newRow("prjin2_ 1") << "prjin2_:1=1" << error
                               << "Error occurred during import of %1: Initialization of 3D project."
                               << QStringList{"3|Call to prjin2_ with survey=North Sea 3D error returned=1"} << 1 << 1
                               << false;
    QTest::newRow("prjin2_ 4") << "prjin2_:1=4" << error
                               << "Error occurred during import of %1: Failed to get active OpenWorks project."
                               << QStringList{"3|Call to prjin2_ with survey=North Sea 3D error returned=4"} << 1 << 1
                               << false;
    QTest::newRow("prjin2_ unknown") << "prjin2_:1=77" << error
                                     << "Error occurred during import of %1: Unknown error occurred (prjin2_ - 77)."
                                     << QStringList{} << 1 << 1 << false;
    QTest::newRow("dm3dop_ 6") << "dm3dop_:1=6" << error << "Error occurred during import of %1: File does not exist."
                               << QStringList{"1|Call to dm3dop_ with filename=%1 error returned=6"} << 2 << 1
                               << false;
    QTest::newRow("dm3dop_ -1") << "dm3dop_:1=-1" << error
                                << "Error occurred during import of %1: Insufficient disk space to create seismic file."
                                << QStringList{"1|Call to dm3dop_ with filename=%1 error returned=-1"} << 2 << 1
                                << false;
    QTest::newRow("dm3dop_ unknown") << "dm3dop_:1=12" << error
                                     << "Error occurred during import of %1: Unknown error occurred (dm3dop_ - 12)."
                                     << QStringList{"1|Call to dm3dop_ with filename=%1 error returned=12"} << 2 << 1
                                     << false;
    QTest::newRow("dm3dpf_ 2") << "dm3dpf_:1=2" << error
                               << "Error validating project during import of %1: Extents do not match" << QStringList{}
                               << 2 << 2 << false;
    QTest::newRow("dm3dpf_ 1") << "dm3dpf_:1=1" << error
                               << "Error validating project during import of %1: Can not validate (seismic file is "
                                  "version 1)"
                               << QStringList{} << 2 << 2 << false;
    QTest::newRow("dm3dpf_ unknown") << "dm3dpf_:1=9" << error
                                     << "Error validating project during import of %1: Unknown error occurred (dm3dpf_ "
                                        "- 9)"
                                     << QStringList{} << 2 << 2 << false;
    QTest::newRow("untConvert start") << "untConvert:1=277600011" << QString() << QString()
                                      << QStringList{"1|Error when converting vertical units. Error code: 277600011"}
                                      << 2 << 2 << false;
    QTest::newRow("untConvert interval") << "untConvert:2=277600012" << QString() << QString()
                                         << QStringList{"1|Error when converting vertical units. Error code: 277600012"}
                                         << 2 << 2 << false;
    QTest::newRow("dm3dtr_ once") << "dm3dtr_:5=3" << QString() << QString()
                                  << QStringList{"1|Error during call to dm3dtr_ : 3"} << 2 << 2 << true;
    QTest::newRow("dm3dtr_ codes once each, ascending")
        << "dm3dtr_:9=9;dm3dtr_:5=3;dm3dtr_:7=9;dm3dtr_:100=-4;dm3dtr_:101=3" << QString() << QString()
        << QStringList{"1|Error during call to dm3dtr_ : -4", "1|Error during call to dm3dtr_ : 3",
                       "1|Error during call to dm3dtr_ : 9"}
        << 2 << 2 << true;
}

void TestSurveyImport::failures()
{
    QFETCH(QString, rules);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(QStringList, bus);
    QFETCH(int, prjendCalls);
    QFETCH(int, dm3dclCalls);
    QFETCH(bool, firstImported);

    openDialog();
    const QStringList order = select({"NS Time Full", "NS Depth"});
    QCOMPARE(order.size(), 2);
    const QString firstFile = dataSetFile(order[0]).mid(m_dataFolder.size() + 1);
    owsim::clearInjections();
    QVERIFY(owsim::injectRules(rules.toStdString()));
    clickImport();

    QList<ZRScriptedExchangeUi::Message> expected;
    if (!boxText.isEmpty())
        expected.append({ZRExchangeUi::MessageKind::Critical, boxTitle, boxText.arg(order[0])});
    if (!firstImported)
        expected.append({ZRExchangeUi::MessageKind::Information, m_dialog->windowTitle(), "1 of 2 surveys imported."});
    QCOMPARE(m_ui->messages.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(m_ui->messages[i].kind, expected[i].kind);
        QCOMPARE(m_ui->messages[i].title, expected[i].title);
        QCOMPARE(m_ui->messages[i].text, expected[i].text);
    }

    QCOMPARE(owsim::callCount("prjend_"), prjendCalls);
    QCOMPARE(owsim::callCount("dm3dcl_"), dm3dclCalls);
    QCOMPARE(openFilesUnder(m_dataFolder), QStringList());
    QCOMPARE(openFilesUnder(volumeFolder()), QStringList());

    // The failing request left no volume (or a complete one); the next one is imported.
    const QString firstPath = volumeFolder() + "/" + order[0];
    QCOMPARE(QFileInfo::exists(firstPath), firstImported);
    if (firstImported) {
        VolumeFile volume;
        QString error;
        QVERIFY(volume.load(firstPath, &error));
        QCOMPARE(volume.framesPresent(), volume.dimz);
    }
    checkVolume(volumeFolder() + "/" + order[1], order[1], true);

    const QStringList messages = busMessages();
    QStringList errors = messages.filter(QRegularExpression("^1\\|"));
    QStringList wanted;
    for (const QString& line : bus)
        wanted.append(line.contains("%1") ? line.arg(firstFile) : line);
    for (const QString& line : wanted)
        if (!line.startsWith("1|"))
            QVERIFY2(messages.contains(line), qPrintable(line));
    wanted.erase(std::remove_if(wanted.begin(), wanted.end(), [](const QString& line) { return !line.startsWith("1|"); }),
                 wanted.end());
    QCOMPARE(errors, wanted);
}

void TestSurveyImport::unitFailureEndsTheImport()
{
    openDialog();
    QCOMPARE(select({"NS Time Full", "NS Depth"}).size(), 2);
    // The time unit is asked first; the depth unit's failure ends everything.
    owsim::injectStatus("gdiGetMeasSystemUnitIdForType", 2, GDI_UNKNOWN_UNIT_TYPE);
    clickImport();
    int status = 0;
    const QString depthType = QString::fromUtf8(untGetTypeName(OW_UNIT_TYPE_DEPTH, &status));
    QVERIFY(!depthType.isEmpty());
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Critical);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Unit Error"));
    QCOMPARE(m_ui->messages[0].text,
             QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.").arg(depthType));
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForType"), 2);
    QCOMPARE(owsim::callCount("prjin2_"), 0);
    QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files), QStringList());

    // Only time data sets: the depth unit is never asked.
    owsim::clearInjections();
    owsim::injectStatus("gdiGetMeasSystemUnitIdForType", 2, GDI_UNKNOWN_UNIT_TYPE);
    QCOMPARE(select({"NS Time Full"}).size(), 1);
    clickImport();
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForType"), 1);
    QCOMPARE(m_ui->messages.size(), 1);
    checkVolume(volumeFolder() + "/NS Time Full", "NS Time Full", true);
}

void TestSurveyImport::surveysWithoutDataSets()
{
    openDialog();
    QCOMPARE(select({"Frontier 3D"}).size(), 0);
    clickImport();
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Information);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Warning"));
    QCOMPARE(m_ui->messages[0].text,
             QStringLiteral("The following items are 3D Surveys containing no Seismic Data Sets and will not be "
                            "imported:<ul><li>Frontier 3D</li>\n</ul>"));
    QCOMPARE(owsim::callCount("gdiGetMeasSystemUnitIdForType"), 0);
    QCOMPARE(owsim::callCount("prjin2_"), 0);

    // With a data set beside it: the warning, then the import.
    m_ui->messages.clear();
    QCOMPARE(select({"Frontier 3D", "NS Depth"}).size(), 1);
    clickImport();
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("Warning"));
    checkVolume(volumeFolder() + "/NS Depth", "NS Depth", true);
}

void TestSurveyImport::fileConflict_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("newName");
    QTest::newRow("skip") << "skip" << QString();
    QTest::newRow("close counts as skip") << "close" << QString();
    QTest::newRow("overwrite") << "overwrite" << QString();
    QTest::newRow("new name") << "rename" << "NS Time Copy";
}

void TestSurveyImport::fileConflict()
{
    QFETCH(QString, action);
    QFETCH(QString, newName);
    const QString existing = volumeFolder() + "/NS Time Full";
    const QByteArray junk = "not a volume";
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(junk);
    }
    openDialog();
    m_dialog->setUi(std::make_unique<ZRDialogExchangeUi>(m_dialog));
    QCOMPARE(select({"NS Time Full"}).size(), 1);
    ModalAnswerer answerer(action, newName);
    clickImport();

    QCOMPARE(answerer.conflictMessages.size(), 1);
    QVERIFY(answerer.conflictMessages[0].contains("<b> NS Time Full </b>"));
    const QFileInfo info(existing);
    if (action == "skip" || action == "close") {
        QCOMPARE(answerer.boxes, QStringList{m_dialog->windowTitle() + "|0 of 1 surveys imported."});
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), junk);
        QCOMPARE(owsim::callCount("prjin2_"), 0);
        QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files), QStringList{"NS Time Full"});
    } else if (action == "overwrite") {
        QCOMPARE(answerer.boxes, QStringList());
        checkVolume(existing, "NS Time Full", true);
    } else {
        QCOMPARE(answerer.boxes, QStringList());
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), junk);
        checkVolume(volumeFolder() + "/" + newName, "NS Time Full", true);
        // The start note names the new target.
        QVERIFY(busMessages().filter("\ttarget filename\t = " + volumeFolder() + "/" + newName + "\n").size() == 1);
    }
    checkNothingOpen();
}

void TestSurveyImport::cancelInTheMiddleOfTheFrames()
{
    openDialog();
    const QStringList order = select({"NS Time Full", "NS Depth"});
    QCOMPARE(order.size(), 2);
    RecordingFactory factory;
    factory.label = order[0];
    factory.cancelAfter = 7;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    clickImport();
    zrProgressBarMgr->setProgressBarFactory(nullptr);

    // The progress bars: the import's, then one per data set under it.
    QVERIFY(factory.order.size() >= 2);
    const RecordingFactory::Bar top = factory.bars.value(factory.order[0]);
    QCOMPARE(top.title, QStringLiteral("Importing 3D Surveys from OpenWorks® to Velostrat"));
    QCOMPARE(top.total, 2);
    QCOMPARE(top.parentId, -1);
    const RecordingFactory::Bar child = factory.bars.value(factory.order[1]);
    QCOMPARE(child.title, order[0]);
    QCOMPARE(child.parentId, factory.order[0]);
    QCOMPARE(child.value, 8);

    // The partial volume stays with the frames written before the cancel; the
    // second data set is not started.
    const QString path = volumeFolder() + "/" + order[0];
    QString error;
    VolumeFile volume;
    QVERIFY2(volume.load(path, &error), qPrintable(error));
    QCOMPARE(volume.framesPresent(), 7);
    QCOMPARE(volume.fileSize(), volume.dataOffset + 7 * volume.frameBytes());
    QCOMPARE(child.total, volume.dimz);
    SegyDataSet dataSet;
    QVERIFY(dataSet.load(dataSetFile(order[0]), &error));
    const QString difference = compareVolume(volume, dataSet, true, 7);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QVERIFY(!QFileInfo::exists(volumeFolder() + "/" + order[1]));
    QCOMPARE(owsim::callCount("prjin2_"), 1);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].text, QStringLiteral("1 of 2 surveys imported."));
    checkNothingOpen();
}

void TestSurveyImport::requestsFromRows()
{
    openDialog();
    const ZROpenworksSurveyModel* model = m_dialog->projectBrowser()->surveyModel();
    QVector<int> rows;
    for (int row = model->rowCount() - 1; row >= 0; --row)
        rows << row << row;
    QStringList without;
    const QVector<SurveyImportRequest> requests = surveyImportRequestsFromRows(*model, rows, &without);
    QCOMPARE(without, QStringList{"Frontier 3D"});
    QCOMPARE(requests.size(), model->rowCount() - 1);
    // In the given order, each row once, with the hidden columns' values.
    int r = 0;
    for (int row = model->rowCount() - 1; row >= 0; --row) {
        if (model->index(row, 18).data().toBool())
            continue;
        const SurveyImportRequest& request = requests[r++];
        QCOMPARE(request.survey, model->index(row, 0).data().toString());
        QCOMPARE(request.sdsName, model->index(row, 1).data().toString());
        QCOMPARE(request.fileName, model->index(row, 13).data().toString());
        QCOMPARE(request.domain, model->index(row, 14).data().toString());
        QCOMPARE(request.units, model->index(row, 15).data().toString());
        QCOMPARE(request.seismicDataSetId, model->index(row, 17).data().toInt());
        QVERIFY(request.seismicDataSetId > 0);
        QCOMPARE(request.isTime(), request.domain == "TIME");
    }
}

void TestSurveyImport::longSurveyNameWithoutTheWindow()
{
    // A survey whose name fills the 40 bytes of the record's field.
    const QString survey = "Survey name of forty bytes, exactly 40!!";
    QCOMPARE(survey.toLocal8Bit().size(), 40);
    const QString home = m_fixture->environment().openWorksHome();
    std::string error;
    QVERIFY2(owsim::loadSegy(home.toStdString(), ExchangeFixture::District, ExchangeFixture::Project,
                             (TestEnvironment::sharedDataPath() + "/segy/small.sgy").toStdString(),
                             survey.toStdString(), "Small", "DEPTH", &error),
             error.c_str());
    openDialog(); // opens the project and lists the new survey
    const ZROpenworksSurveyModel* model = m_dialog->projectBrowser()->surveyModel();
    QVector<int> rows;
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == survey)
            rows.append(row);
    QCOMPARE(rows.size(), 1);
    QVector<SurveyImportRequest> requests = surveyImportRequestsFromRows(*model, rows, nullptr);
    QCOMPARE(requests.size(), 1);
    requests[0].survey += " and more";
    requests[0].sdsName = "Small from a long name";

    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &m_fixture->project();
    context.ui = &ui;
    QList<int> reloaded;
    context.hostFolderChanged = [&reloaded](int objectType) { reloaded.append(objectType); };
    QCOMPARE(importSurveys(context, requests), 1);
    QCOMPARE(ui.messages.size(), 0);
    QCOMPARE(reloaded, QList<int>{36});
    checkVolume(volumeFolder() + "/Small from a long name", "Small", true);
    checkNothingOpen();
    QVERIFY(busMessages().contains("3|Call to prjin2_ with survey=" + survey + " and more error returned=0"));
}

QTEST_MAIN(TestSurveyImport)
#include "tst_surveyimport.moc"
