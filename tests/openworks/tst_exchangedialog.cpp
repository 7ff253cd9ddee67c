// The exchange window against a seeded OpenWorks home and a real host project.

#include "ensuredistrictdatafolder.h"
#include "exchangefixture.h"
#include "recordinglogger.h"
#include "filelogger.h"
#include "messagemanager.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "zreventbus.h"
#include "zrlogdatabase.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkssurfacepickmodel.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkstableview.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrprojectbrowsermodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>
#include "zropenworksfileexistsdialog.h"
#include "zrtransferreport.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <thread>

namespace
{

/// Cancels the catalogue's "Reading OpenWorks® Data" bar as soon as it appears.
class CancellingFactory : public VsProgressBarFactoryAbstract
{
public:
    class Window : public VsProgressBarAbstract
    {
    public:
        void create(int id, int, const QString& title, int parentId, bool) override
        {
            if (parentId == -1 && title == QStringLiteral("Reading OpenWorks® Data"))
                cancelProgressBar(id);
        }
        void initialize(int, int, const QString&) override {}
        void increment(int, int) override {}
        void close(int) override { delete this; }
    };
    VsProgressBarAbstract* createProgressBar(int) override { return new Window; }
};

QStringList columnTexts(const QAbstractItemModel* model, int column)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

} // namespace

class TestExchangeDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startFailureThenRetry();
    void gdiFailureText();
    void districtsAndSystemDistrict();
    void districtWithoutProjects();
    void openFailureShowsWarning();
    void catalogueOfTheDemo();
    void modelsPassTheModelTester();
    void secondOpenClosesTheFirst();
    void cancellingTheReadingEmptiesEveryTable();
    void wildcardFilter_data();
    void wildcardFilter();
    void surfacePicksDisableTheArrows();
    void unknownHostCategoryIsNotAvailable();
    void hostProjectWithUnreadableWellDatabase();
    void unknownDisplayModeStillBuildsTheWindow();
    void missingProjectListStillBuildsTheWindow();
    void messageHandlersForwardByCode();
    void dataFolderOfTheDistrict();
    void importWritesItsReportNextToTheLog();
    void enterInTheConflictDialogTakesTheNewName();
    void eachPageSortsAsItsHeaderSays();
    void loggingLabelGetsItsColourBack();
    void realsShowTheirDigits();
    void destructionGivesBackProjectAndDevKit();

private:
    ZROpenworksExchangeDialog* makeDialog();
    void openDemo(ZROpenworksExchangeDialog* dialog);

    std::unique_ptr<ExchangeFixture> m_fixture;
    ZRScriptedExchangeUi* m_ui = nullptr;
    QPointer<ZROpenworksExchangeDialog> m_dialog;
};

void TestExchangeDialog::initTestCase()
{
    m_fixture = std::make_unique<ExchangeFixture>();
    QVERIFY(m_fixture->isValid());
}

void TestExchangeDialog::init()
{
    owsim::clearInjections();
    QSettings().remove("ProjectBrowser");
}

void TestExchangeDialog::cleanup()
{
    delete m_dialog;
    owsim::clearInjections();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

ZROpenworksExchangeDialog* TestExchangeDialog::makeDialog()
{
    m_dialog = m_fixture->makeDialog(m_ui);
    return m_dialog;
}

void TestExchangeDialog::openDemo(ZROpenworksExchangeDialog* dialog)
{
    dialog->districtCombo()->setCurrentText(ExchangeFixture::District);
    dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
}

void TestExchangeDialog::startFailureThenRetry()
{
    owsim::injectStatus("owinit", 1, 317700001);
    ZROpenworksExchangeDialog* dialog = makeDialog();
    QCOMPARE(dialog->pages()->currentIndex(), int(ZROpenworksExchangeDialog::FailurePage));
    QCOMPARE(dialog->failureTitle()->text(), QStringLiteral("OpenWorks® failed to initialize"));
    QCOMPARE(dialog->failureText()->text(),
             QStringLiteral("OpenWorks® was unable to initialize.\nPlease verify that OpenWorks® is installed and "
                            "correctly configured."));
    QVERIFY(dialog->retryButton()->isVisible());

    QTest::mouseClick(dialog->retryButton(), Qt::LeftButton);
    QCOMPARE(dialog->pages()->currentIndex(), int(ZROpenworksExchangeDialog::MainPage));
    QVERIFY(!dialog->retryButton()->isVisible());
    // The district list stays empty until it is refreshed.
    QCOMPARE(dialog->districtCombo()->count(), 0);
    QTest::mouseClick(dialog->districtRefreshButton(), Qt::LeftButton);
    QVERIFY(dialog->districtCombo()->findText(ExchangeFixture::District) > 0);
    QCOMPARE(dialog->projectCombo()->itemText(0), QStringLiteral("No Projects Found"));
}

void TestExchangeDialog::gdiFailureText()
{
    owsim::injectStatus("gdiInit", 1, 277600001);
    ZROpenworksExchangeDialog* dialog = makeDialog();
    QCOMPARE(dialog->pages()->currentIndex(), int(ZROpenworksExchangeDialog::FailurePage));
    QCOMPARE(dialog->failureText()->text(),
             QStringLiteral("Unable to initialize GDI subsystem: %1").arg(QString::fromLocal8Bit(gdiErrorMessage(277600001))));
    QVERIFY(!QString::fromLocal8Bit(gdiErrorMessage(277600001)).isEmpty());
}

void TestExchangeDialog::districtsAndSystemDistrict()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    QComboBox* districts = dialog->districtCombo();
    QCOMPARE(districts->itemText(0), QStringLiteral(" -- Select District -- "));
    QStringList names;
    for (int i = 1; i < districts->count(); ++i)
        names.append(districts->itemText(i));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(names, sorted);
    QVERIFY(names.contains(ExchangeFixture::EmptyDistrict));
    // The seeded district is the system district and is selected at start.
    QCOMPARE(districts->currentText(), QString(ExchangeFixture::District));
    QCOMPARE(dialog->projectCombo()->itemText(0), QStringLiteral(" -- Select Project -- "));
    QVERIFY(dialog->projectCombo()->findText(ExchangeFixture::Project) > 0);
    // Placeholders cannot be chosen.
    auto* model = qobject_cast<QStandardItemModel*>(districts->model());
    QVERIFY(model);
    QVERIFY(!(model->item(0)->flags() & Qt::ItemIsSelectable));
    QVERIFY(!dialog->projectRefreshButton()->isHidden());
}

void TestExchangeDialog::districtWithoutProjects()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    dialog->districtCombo()->setCurrentText(ExchangeFixture::EmptyDistrict);
    QCOMPARE(dialog->projectCombo()->count(), 1);
    QCOMPARE(dialog->projectCombo()->itemText(0), QStringLiteral("No Projects Found"));
    QVERIFY(!dialog->projectCombo()->isEnabled());
    QVERIFY(!dialog->projectBrowser()->isProjectOpen());
    QCOMPARE(dialog->projectBrowser()->pages()->currentIndex(), 0);
}

void TestExchangeDialog::openFailureShowsWarning()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    owsim::injectStatus("prjOpen", 1, 217700701);
    openDemo(dialog);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->messages[0].kind, ZRExchangeUi::MessageKind::Warning);
    QCOMPARE(m_ui->messages[0].title, QStringLiteral("OpenWorks® Data Link"));
    QCOMPARE(m_ui->messages[0].text,
             QStringLiteral("(Unable to connect to OpenWorks® project: The project does not exist.)"));
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QCOMPARE(browser->pages()->currentIndex(), 0);
    QVERIFY(!browser->isProjectOpen());
    QCOMPARE(dialog->projectCombo()->currentIndex(), 0);
    QVERIFY(dialog->districtCombo()->isEnabled());
    QVERIFY(dialog->projectCombo()->isEnabled());
    QVERIFY(!dialog->importButton()->isEnabled());

    // The next open works.
    dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    QVERIFY(browser->isProjectOpen());
    QVERIFY(dialog->importButton()->isEnabled());
}

void TestExchangeDialog::catalogueOfTheDemo()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QVERIFY(browser->isProjectOpen());
    QVERIFY(browser->categoryButton()->isVisible());
    QVERIFY(browser->searchField()->isEnabled());

    // Surveys: one row per data set, and one row for the survey without any.
    const ZROpenworksSurveyModel* surveys = browser->surveyModel();
    QCOMPARE(surveys->columnCount(), 19);
    QCOMPARE(surveys->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Survey Name"));
    QCOMPARE(surveys->headerData(13, Qt::Horizontal).toString(), QStringLiteral("Data File Name"));
    QVERIFY(!surveys->headerData(17, Qt::Horizontal).isValid());
    int surveyOnly = 0;
    for (int row = 0; row < surveys->rowCount(); ++row) {
        if (surveys->index(row, 18).data().toBool()) {
            ++surveyOnly;
            QCOMPARE(surveys->index(row, 1).data().toString(), QString());
            QCOMPARE(surveys->index(row, 17).data().toInt(), 0);
        } else {
            QVERIFY(surveys->index(row, 17).data().toInt() > 0);
            QVERIFY(!surveys->index(row, 13).data().toString().isEmpty());
        }
    }
    QCOMPARE(surveyOnly, 1);
    QVERIFY(surveys->rowCount() >= 4);

    // Wells: a well in two lists twice, wells in none under "NONE".
    const ZROpenworksWellModel* wells = browser->wellModel();
    QCOMPARE(wells->columnCount(), 16);
    QCOMPARE(wells->labelColumn(), -1);
    const QStringList names = columnTexts(wells, 1);
    QCOMPARE(names.count(QStringLiteral("North Sea 12")), 2);
    QCOMPARE(names.count(QStringLiteral("North Sea 30")), 1);
    for (int row = 0; row < wells->rowCount(); ++row) {
        const QString name = wells->index(row, 1).data().toString();
        const QString list = wells->index(row, 0).data().toString();
        if (name == QLatin1String("North Sea 30"))
            QCOMPARE(list, QStringLiteral("NONE"));
        if (name == QLatin1String("North Sea 12"))
            QVERIFY(list == QLatin1String("Exploration") || list == QLatin1String("Appraisal"));
        QVERIFY(!wells->index(row, 12).data().toString().isEmpty());
        QVERIFY(wells->index(row, 14).data().toInt() > 0);
    }

    // Surface picks: "UNKNOWN" is shown as "GLOBAL", colours answer the brush roles.
    const ZROpenworksSurfacePickModel* picks = browser->surfacePickModel();
    bool global = false;
    for (int row = 0; row < picks->rowCount(); ++row) {
        const QString strat = picks->index(row, 3).data().toString();
        QVERIFY(!strat.contains(QLatin1String("UNKNOWN")));
        global = global || strat.contains(QLatin1String("GLOBAL"));
        QVERIFY(picks->index(row, 1).data(Qt::BackgroundRole).canConvert<QBrush>());
    }
    QVERIFY(global);
    QVERIFY(!picks->isHiddenColumn(5));

    QVERIFY(browser->faultModel()->rowCount() > 0);
    QVERIFY(browser->faultModel()->index(0, 4).data().toInt() > 0);
    QVERIFY(browser->horizonModel()->rowCount() > 0);

    // Hidden columns are hidden in the page's view, the overlay is not shown.
    browser->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    ZROpenworksTableView* view = browser->tableView(ZROpenworksProjectBrowser::Surveys);
    QVERIFY(view->isColumnHidden(13));
    QVERIFY(view->isColumnHidden(18));
    QVERIFY(!view->isColumnHidden(12));
    QVERIFY(!view->overlay()->isVisible());
    QCOMPARE(view->dragLabel(0), surveys->index(0, 0).data().toString());
    QCOMPARE(browser->tableView(ZROpenworksProjectBrowser::Wells)->dragLabel(0), QString());
}

void TestExchangeDialog::modelsPassTheModelTester()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
             browser->surveyModel(), browser->wellModel(), browser->faultModel(), browser->horizonModel(),
             browser->surfacePickModel(), browser->proxy()}) {
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model->rowCount() > 0);
    }
    // Out of range and other roles give nothing.
    QVERIFY(!browser->surveyModel()->index(0, 0).data(Qt::EditRole).isValid());
    QVERIFY(!browser->surveyModel()->data(browser->surveyModel()->index(9999, 0)).isValid());
}

void TestExchangeDialog::secondOpenClosesTheFirst()
{
    std::string error;
    const std::string home = m_fixture->environment().openWorksHome().toStdString();
    if (!owsim::projectExists(home, ExchangeFixture::District, "SECOND"))
        QVERIFY(owsim::createProject(home, ExchangeFixture::District, "SECOND", owsim::MeasurementSystem::Feet,
                                     &error));
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    QVERIFY(dialog->projectBrowser()->isProjectOpen());
    const int closesBefore = owsim::callCount("prjClose");
    dialog->refreshProjects();
    dialog->projectCombo()->setCurrentText("SECOND");
    QCOMPARE(owsim::callCount("prjClose"), closesBefore + 1);
    prjProject_t active{};
    QCOMPARE(prjGetActive(&active), 0);
    QCOMPARE(QString::fromLatin1(active.name), QStringLiteral("SECOND"));
    // An empty project: every table is empty and says so.
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QCOMPARE(browser->surveyModel()->rowCount(), 0);
    browser->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    QCOMPARE(browser->tableView(ZROpenworksProjectBrowser::Surveys)->overlay()->text(),
             QStringLiteral("No surveys found"));
    QVERIFY(browser->tableView(ZROpenworksProjectBrowser::Surveys)->overlay()->isVisible());
}

void TestExchangeDialog::cancellingTheReadingEmptiesEveryTable()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QVERIFY(browser->surveyModel()->rowCount() > 0);

    CancellingFactory factory;
    zrProgressBarMgr->setProgressBarFactory(&factory);
    dialog->refreshProjects();
    QSignalSpy failed(browser, &ZROpenworksProjectBrowser::openFailed);
    {
        const QSignalBlocker quiet(dialog->projectCombo());
        dialog->projectCombo()->setCurrentIndex(0);
    }
    dialog->projectCombo()->setCurrentText(ExchangeFixture::Project);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), QString());
    for (const QAbstractItemModel* model : std::initializer_list<const QAbstractItemModel*>{
             browser->surveyModel(), browser->wellModel(), browser->faultModel(), browser->horizonModel(),
             browser->surfacePickModel()})
        QCOMPARE(model->rowCount(), 0);
    QCOMPARE(browser->pages()->currentIndex(), 0);
    QCOMPARE(browser->currentCategory(), 0);
    // An empty text shows no warning.
    QVERIFY(m_ui->messages.isEmpty());
}

void TestExchangeDialog::wildcardFilter_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty shows all") << QString() << -1;
    QTest::newRow("star, any case") << QStringLiteral("*dome*") << 1;
    QTest::newRow("inside the text") << QStringLiteral("ns dep") << 1;
    QTest::newRow("question mark") << QStringLiteral("NS ?epth") << 1;
    QTest::newRow("hidden column") << QStringLiteral("UNKNOWN") << -2;
    QTest::newRow("nothing") << QStringLiteral("no such survey") << 0;
}

void TestExchangeDialog::wildcardFilter()
{
    QFETCH(QString, pattern);
    QFETCH(int, rows);
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    const int all = browser->surveyModel()->rowCount();
    QTest::keyClicks(browser->searchField(), pattern);
    // Nothing changes before the delay has passed after the last key.
    if (!pattern.isEmpty())
        QCOMPARE(browser->proxy()->rowCount(), all);
    const int expected = rows == -1 ? all : rows;
    if (rows == -2)
        QTRY_VERIFY(browser->proxy()->rowCount() > 0 && browser->proxy()->rowCount() <= all);
    else
        QTRY_COMPARE(browser->proxy()->rowCount(), expected);
}

void TestExchangeDialog::surfacePicksDisableTheArrows()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QSignalSpy categories(browser, &ZROpenworksProjectBrowser::currentCategoryChanged);
    browser->setCategoryById(ZROpenworksProjectBrowser::SurfacePicks);
    QVERIFY(!dialog->importButton()->isEnabled());
    QVERIFY(!dialog->exportButton()->isEnabled());
    QCOMPARE(categories.last()[0].toString(), QStringLiteral("Well"));
    // The host tree answering "Well" leaves the browser on surface picks.
    browser->setCurrentCategory(QStringLiteral("Well"));
    QCOMPARE(browser->currentCategory(), int(ZROpenworksProjectBrowser::SurfacePicks));
    browser->setCategoryById(ZROpenworksProjectBrowser::Faults);
    QVERIFY(dialog->importButton()->isEnabled());
    QVERIFY(dialog->exportButton()->isEnabled());
    // The host tree follows the browser.
    QCOMPARE(dialog->hostCategoryName(), QStringLiteral("Fault"));
    // And the browser follows the host tree.
    dialog->hostTree()->setCurrentCategory(QStringLiteral("Horizon"));
    QCOMPARE(browser->currentCategory(), int(ZROpenworksProjectBrowser::Horizons));
    // The wheel over the category button steps through the categories.
    QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(browser->categoryButton(), &down);
    QCOMPARE(browser->currentCategory(), int(ZROpenworksProjectBrowser::SurfacePicks));
    QApplication::sendEvent(browser->categoryButton(), &down);
    QCOMPARE(browser->currentCategory(), int(ZROpenworksProjectBrowser::SurfacePicks));
}

void TestExchangeDialog::unknownHostCategoryIsNotAvailable()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    QSignalSpy available(browser, &ZROpenworksProjectBrowser::exchangeAvailable);
    browser->setCurrentCategory(QStringLiteral("Seismic Lines"));
    QCOMPARE(browser->currentCategory(), int(ZROpenworksProjectBrowser::NotAvailablePage));
    QCOMPARE(browser->pages()->currentIndex(), 2);
    QCOMPARE(browser->categoryButton()->text(), QStringLiteral("Not Available"));
    QCOMPARE(available.last()[0].toBool(), false);
    QVERIFY(!dialog->importButton()->isEnabled());
}

void TestExchangeDialog::hostProjectWithUnreadableWellDatabase()
{
    const QString broken = m_fixture->makeHostProject("BrokenWells");
    QVERIFY(!broken.isEmpty());
    ZRProject brokenProject(broken);
    {
        QFile file(ZRLogDatabase::databaseFileName(brokenProject.wellDatabasePath()));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
    }
    ZROpenworksExchangeDialog* dialog = makeDialog();
    QVERIFY(dialog->hostProjectCombo()->findText(QDir::toNativeSeparators(broken)) >= 0);
    ZRLogDatabase* startup = dialog->wellDatabase();
    const QString startupPath = m_fixture->project().projectPath();

    dialog->hostProjectCombo()->setCurrentText(QDir::toNativeSeparators(broken));
    QVERIFY(dialog->wellDatabase() != startup);
    QCOMPARE(dialog->project()->projectPath(), broken);
    QCOMPARE(dialog->hostTree()->project().projectPath(), broken);
    QCOMPARE(dialog->hostTree()->wellDatabase(), dialog->wellDatabase());

    // Back to the start-up project: the dialog's own database is replaced again.
    dialog->hostProjectCombo()->setCurrentText(QDir::toNativeSeparators(startupPath));
    QCOMPARE(dialog->project()->projectPath(), startupPath);
    QVERIFY(dialog->wellDatabase()->isValid());
    m_fixture->project() = ZRProject(startupPath);
}

void TestExchangeDialog::unknownDisplayModeStillBuildsTheWindow()
{
    QSettings().setValue("ProjectBrowser/DisplayMode", 7);
    ZROpenworksExchangeDialog* dialog = makeDialog();
    QVERIFY(dialog->hostTreeWidget());
    QVERIFY(dialog->hostTreeWidget()->isVisible());
    QCOMPARE(dialog->pages()->currentIndex(), int(ZROpenworksExchangeDialog::MainPage));
    QVERIFY(!dialog->unitTable().isEmpty());
    QCOMPARE(dialog->unitTable().size(), 6);
}

void TestExchangeDialog::missingProjectListStillBuildsTheWindow()
{
    m_dialog = new ZROpenworksExchangeDialog(m_fixture->environment().root() + "/nowhere/Projects.xml",
                                             &m_fixture->project(), m_fixture->wellDatabase());
    m_dialog->show();
    QCOMPARE(m_dialog->hostProjectCombo()->count(), 0);
    QCOMPARE(m_dialog->hostProjectCombo()->currentIndex(), -1);
    QVERIFY(m_dialog->hostProjectPaths().isEmpty());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("OpenWorks® Data Link"));
    QVERIFY(m_dialog->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(m_dialog->hostTreeWidget()->isVisible());
    QCOMPARE(m_dialog->hostCategoryName(), QStringLiteral("Volume"));
}

void TestExchangeDialog::messageHandlersForwardByCode()
{
    auto recorder = std::make_shared<RecordingLogger>();
    {
        MessageManager manager;
        manager.addLogger(recorder);
        QVERIFY(manager.startListen());
        ZREventBus bus(manager.getNumPort());
        bus.setMutex(manager.getMutex());
        int notice = 200000000;
        int error = 200000001;
        ZROpenworksExchangeDialog::quietMessageHandler(&notice, "a notice");
        ZROpenworksExchangeDialog::quietMessageHandler(&error, "an error");
        ZROpenworksExchangeDialog::verboseMessageHandler(&notice, "a notice, verbose");
    }
    QCOMPARE(recorder->snapshot(),
             (QStringList{"0|200000001 : an error", "0|200000000 : a notice, verbose"}));

    // The check box switches the handler and its colour.
    ZROpenworksExchangeDialog* dialog = makeDialog();
    dialog->loggingCheckBox()->setChecked(true);
    QCOMPARE(dialog->loggingCheckBox()->styleSheet(), QStringLiteral("QCheckBox { color: red }"));
    dialog->loggingCheckBox()->setChecked(false);
    QVERIFY(!dialog->loggingCheckBox()->styleSheet().contains("red"));
}

void TestExchangeDialog::dataFolderOfTheDistrict()
{
    const std::string home = m_fixture->environment().openWorksHome().toStdString();
    QVERIFY(prjSetSysDistrict(ExchangeFixture::District) == 0);
    QString error;
    QVERIFY2(ensureDistrictDataFolder("seismic/exports", error), qPrintable(error));
    const QString folder = ::districtDataFolder("seismic/exports", error);
    QVERIFY(QDir(folder).exists());

    // A district whose dir.dat has only comments.
    std::string failure;
    QVERIFY(owsim::createDistrict(home, "Commented", false, &failure));
    char path[1024] = {};
    QCOMPARE(lgcGetPathFromDistrict("Commented", path, int(sizeof path)), 0);
    {
        QFile dirDat(QString::fromLocal8Bit(path) + "/dir.dat");
        QVERIFY(dirDat.open(QIODevice::WriteOnly | QIODevice::Truncate));
        dirDat.write("# only\n# comments\n");
    }
    QVERIFY(prjSetSysDistrict("Commented") == 0);
    QVERIFY(!ensureDistrictDataFolder("x", error));
    QCOMPARE(error, QStringLiteral("OpenWorks® dir.dat file is empty or misconfigured"));
    // Lines that name other things only.
    {
        QFile dirDat(QString::fromLocal8Bit(path) + "/dir.dat");
        QVERIFY(dirDat.open(QIODevice::WriteOnly | QIODevice::Truncate));
        dirDat.write("# data\n/data/ow PROJECT_FILES\nOTHER_FILES /data/ow\n");
    }
    QVERIFY(!ensureDistrictDataFolder("x", error));
    QCOMPARE(error, QStringLiteral("OpenWorks® dir.dat file is empty or misconfigured"));
    QVERIFY(prjSetSysDistrict(ExchangeFixture::District) == 0);
}

void TestExchangeDialog::importWritesItsReportNextToTheLog()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    const QString logs = m_fixture->environment().makeFolder("logs");
    dialog->setReportFolder(logs);
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    QAbstractItemModel* proxy = browser->proxy();
    QItemSelectionModel* selection = browser->tableView(ZROpenworksProjectBrowser::Surveys)->selectionModel();
    for (int row = 0; row < proxy->rowCount(); ++row)
        if (proxy->index(row, 1).data().toString() == "NS Depth")
            selection->select(QItemSelection(proxy->index(row, 0), proxy->index(row, proxy->columnCount() - 1)),
                              QItemSelectionModel::Select);
    m_ui->fileConflictAnswers.enqueue({ZRExchangeUi::FileConflictAnswer::Overwrite, QString()});
    QTest::mouseClick(dialog->importButton(), Qt::LeftButton);

    const QStringList reports = QDir(logs).entryList({"Velostrat-OpenWorks-import-surveys-*.json"}, QDir::Files);
    QCOMPARE(reports.size(), 1);
    QJsonObject report;
    QString error;
    QVERIFY2(ZRTransferReport::read(QDir(logs).filePath(reports.first()), &report, &error), qPrintable(error));
    QCOMPARE(report.value("hostProject").toString(), m_fixture->project().projectPath());
    QCOMPARE(report.value("openWorksProject").toObject().value("district").toString(),
             QString(ExchangeFixture::District));
    QCOMPARE(report.value("requested").toInt(), 1);
    const QJsonObject item = report.value("items").toArray().first().toObject();
    QCOMPARE(item.value("source").toObject().value("name").toString(), QStringLiteral("NS Depth"));
    QVERIFY(QStringList({"imported", "overwritten"}).contains(item.value("outcome").toString()));
    const QString volume = item.value("target").toObject().value("path").toString();
    QCOMPARE(item.value("files").toArray().first().toObject().value("sha256").toString(),
             ZRTransferReport::sha256OfFile(volume));
    QVERIFY(QFile::remove(volume));
}

void TestExchangeDialog::destructionGivesBackProjectAndDevKit()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    prjProject_t active{};
    QCOMPARE(prjGetActive(&active), 0);
    const int closes = owsim::callCount("prjClose");
    const int ends = owsim::callCount("gdiClose");
    delete dialog;
    QCOMPARE(owsim::callCount("gdiClose"), ends + 1);
    QCOMPARE(owsim::callCount("prjClose"), closes + 1);
    QCOMPARE(prjGetActive(&active), int(PRJ_NO_ACTIVE_PROJECT));
}

void TestExchangeDialog::enterInTheConflictDialogTakesTheNewName()
{
    const QString folder = m_fixture->environment().makeFolder("conflict");
    for (const char* name : {"Volume A", "taken"}) {
        QFile file(folder + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ZROpenworksFileExistsDialog dialog{QFileInfo(folder + "/Volume A")};
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.nameEdit()->setFocus();
    // Enter with no name or a taken one does nothing (it never skips).
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QTest::keyClicks(dialog.nameEdit(), "taken");
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    dialog.nameEdit()->clear();
    QTest::keyClicks(dialog.nameEdit(), "Volume B");
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isOverwrite());
    QCOMPARE(dialog.newFileName(), QStringLiteral("Volume B"));
}

void TestExchangeDialog::eachPageSortsAsItsHeaderSays()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Wells);
    ZROpenworksTableView* wells = browser->tableView(ZROpenworksProjectBrowser::Wells);
    wells->sortByColumn(1, Qt::DescendingOrder);
    QCOMPARE(browser->proxy()->sortColumn(), 1);

    // The survey page sorts as its own header marks, not by the well page's column.
    browser->setCategoryById(ZROpenworksProjectBrowser::Surveys);
    ZROpenworksTableView* surveys = browser->tableView(ZROpenworksProjectBrowser::Surveys);
    QVERIFY(surveys->horizontalHeader()->sortIndicatorSection() != 1
            || surveys->horizontalHeader()->sortIndicatorOrder() != Qt::DescendingOrder);
    QCOMPARE(browser->proxy()->sortColumn(), surveys->horizontalHeader()->sortIndicatorSection());
    QCOMPARE(browser->proxy()->sortOrder(), surveys->horizontalHeader()->sortIndicatorOrder());

    browser->setCategoryById(ZROpenworksProjectBrowser::Wells);
    QCOMPARE(browser->proxy()->sortColumn(), 1);
    QCOMPARE(browser->proxy()->sortOrder(), Qt::DescendingOrder);
    QStringList shown;
    for (int row = 0; row < browser->proxy()->rowCount(); ++row)
        shown.append(browser->proxy()->index(row, 1).data().toString());
    QStringList sorted = shown;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a > b; });
    QCOMPARE(shown, sorted);
}

void TestExchangeDialog::loggingLabelGetsItsColourBack()
{
    ZROpenworksExchangeDialog* dialog = makeDialog();
    const QString original = dialog->loggingCheckBox()->palette().color(QPalette::Text).name();
    QVERIFY(original != QColor(Qt::red).name());
    dialog->loggingCheckBox()->setChecked(true);
    QCOMPARE(dialog->loggingCheckBox()->styleSheet(), QStringLiteral("QCheckBox { color: red }"));
    dialog->loggingCheckBox()->setChecked(false);
    QCOMPARE(dialog->loggingCheckBox()->styleSheet(), QStringLiteral("QCheckBox { color: %1 }").arg(original));
    dialog->loggingCheckBox()->setChecked(true);
    dialog->loggingCheckBox()->setChecked(false);
    QCOMPARE(dialog->loggingCheckBox()->styleSheet(), QStringLiteral("QCheckBox { color: %1 }").arg(original));
}

void TestExchangeDialog::realsShowTheirDigits()
{
    const QLocale c(QLocale::C);
    // Well heads ten metres apart.
    QVERIFY(ZROpenworksTableView::realText(6782000.0, c) != ZROpenworksTableView::realText(6782010.0, c));
    QCOMPARE(ZROpenworksTableView::realText(452013.25, c), QStringLiteral("452013.25"));
    QCOMPARE(ZROpenworksTableView::realText(6782010.123, c), QStringLiteral("6782010.123"));
    QCOMPARE(ZROpenworksTableView::realText(0.1, c), QStringLiteral("0.1"));
    // A single-precision elevation widened to double shows as it was written.
    QCOMPARE(ZROpenworksTableView::realText(double(25.3f), c), QStringLiteral("25.3"));

    ZROpenworksExchangeDialog* dialog = makeDialog();
    openDemo(dialog);
    ZROpenworksProjectBrowser* browser = dialog->projectBrowser();
    browser->setCategoryById(ZROpenworksProjectBrowser::Wells);
    ZROpenworksTableView* view = browser->tableView(ZROpenworksProjectBrowser::Wells);
    const QModelIndex x = browser->proxy()->index(0, 10);
    auto* delegate = qobject_cast<QStyledItemDelegate*>(view->itemDelegate());
    QVERIFY(delegate);
    QCOMPARE(delegate->displayText(x.data(), c), ZROpenworksTableView::realText(x.data().toDouble(), c));
    QCOMPARE(delegate->displayText(QVariant(QStringLiteral("NS-01")), c), QStringLiteral("NS-01"));
}

QTEST_MAIN(TestExchangeDialog)
#include "tst_exchangedialog.moc"
