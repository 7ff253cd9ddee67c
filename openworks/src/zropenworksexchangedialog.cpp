#include "zropenworksexchangedialog.h"

#include "iconxpmhandler.h"
#include "owunitresolution.h"
#include "zrdialogexchangeui.h"
#include "zrexchangeoperations.h"
#include "zreventbus.h"
#include "zrassert.h"
#include "zrlogdatabase.h"
#include "zropenworksmessages.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssession.h"
#include "zrprojectbrowsermodel.h"
#include "zrprojectlist.h"
#include "zrprojectscanner.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace
{

QToolButton* refreshButton(const QString& toolTip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    if (iconHandler)
        button->setIcon(iconHandler->icon(QStringLiteral("refresh16")));
    button->setToolTip(toolTip);
    return button;
}

} // namespace

void ZROpenworksExchangeDialog::quietMessageHandler(int* code, const char* text)
{
    owmessages::quietHandler(code, text);
}

void ZROpenworksExchangeDialog::verboseMessageHandler(int* code, const char* text)
{
    owmessages::verboseHandler(code, text);
}

ZROpenworksExchangeDialog::ZROpenworksExchangeDialog(const QString& projectListPath, ZRProject* project,
                                                     ZRLogDatabase* wellDatabase, QWidget* parent)
    : QDialog(parent)
    , m_projectListPath(projectListPath)
    , m_session(std::make_unique<ZROpenworksSession>())
    , m_project(project)
    , m_currentWellDatabase(wellDatabase)
    , m_startupWellDatabase(wellDatabase)
    , m_hostTree(std::make_unique<ZRProjectBrowserModel>())
    , m_ui(std::make_unique<ZRDialogExchangeUi>(this))
    , m_hostProjectPaths(readProjectList(projectListPath))
{
    buildWindow();
}

ZROpenworksExchangeDialog::~ZROpenworksExchangeDialog()
{
    m_session->end();
    if (m_currentWellDatabase != m_startupWellDatabase)
        delete m_currentWellDatabase;
    m_currentWellDatabase = nullptr;
    // The tree's widgets go with the children; the model goes first.
    delete m_hostTreeWidget;
    m_hostTreeWidget = nullptr;
    m_hostTree.reset();
    m_unitTable.clear();
    // The browser gives its project back to the session before the session goes.
    delete m_browser;
    m_browser = nullptr;
}

void ZROpenworksExchangeDialog::setUi(std::unique_ptr<ZRExchangeUi> ui)
{
    if (ui)
        m_ui = std::move(ui);
}

ZRExchangeContext ZROpenworksExchangeDialog::exchangeContext()
{
    ZRExchangeContext context;
    context.project = m_project;
    context.wellDatabase = m_currentWellDatabase;
    context.session = m_session.get();
    context.ui = m_ui.get();
    context.windowTitle = windowTitle();
    context.unitTable = m_unitTable;
    if (m_browser) {
        context.surveyModel = m_browser->surveyModel();
        context.wellModel = m_browser->wellModel();
        context.faultModel = m_browser->faultModel();
        context.horizonModel = m_browser->horizonModel();
        context.currentCategory = m_browser->currentCategory();
    }
    context.hostFolderChanged = [this](int objectType) {
        // The category listing that type is rescanned whole (volumes of type 1
        // and 36 share one), without repainting half-way.
        if (m_hostTreeWidget)
            m_hostTreeWidget->setUpdatesEnabled(false);
        m_hostTree->reloadObjectType(objectType);
        m_hostTree->setCurrentObjectType(objectType);
        if (m_hostTreeWidget)
            m_hostTreeWidget->setUpdatesEnabled(true);
    };
    return context;
}

QString ZROpenworksExchangeDialog::writeReport(const ZRTransferReport& report)
{
    if (m_reportFolder.isEmpty())
        return QString();
    const QString path = QDir(m_reportFolder).filePath(
        QStringLiteral("Velostrat-OpenWorks-%1-%2.json")
            .arg(report.exchange(), QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))));
    QString error;
    if (!report.write(path, &error)) {
        ZREventBus::sendMessage(eDrawFileError, error, false);
        return QString();
    }
    return path;
}

QModelIndexList ZROpenworksExchangeDialog::hostSelection() const
{
    return m_hostTree ? m_hostTree->selection() : QModelIndexList();
}

QString ZROpenworksExchangeDialog::hostCategoryName() const
{
    return m_hostTree ? m_hostTree->currentCategory() : QString();
}

void ZROpenworksExchangeDialog::buildWindow()
{
    owmessages::install(false);

    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("OpenWorks® Data Link"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/datalink.xpm")));

    auto* mainLayout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);

    m_loggingCheckBox = new QCheckBox(QStringLiteral("Enable logging (warning: slow)"), this);
    m_loggingTextColor = m_loggingCheckBox->palette().color(QPalette::Text).name();
    m_loggingCheckBox->setToolTip(
        QStringLiteral("Enabling this will log all messages coming from ") + QStringLiteral("OpenWorks®") +
        QStringLiteral(" to the Velostrat Message Window.\nThis can slow down district/project enumeration, project "
                       "connection or data transfer. Enable this if problems occur when transferring data."));
    m_retryButton = new QPushButton(QStringLiteral("Retry Connection"), this);
    m_retryButton->setStyleSheet(QStringLiteral("padding: 4px;"));
    m_retryButton->hide();
    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setToolTip(QStringLiteral("Close this window"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_loggingCheckBox);
    bottom->addWidget(m_retryButton, 1, Qt::AlignRight);
    bottom->addWidget(m_closeButton, 0, Qt::AlignRight);
    mainLayout->addWidget(m_pages, 1);
    mainLayout->addLayout(bottom);

    // Failure page.
    auto* failure = new QWidget(m_pages);
    auto* failureLayout = new QGridLayout(failure);
    m_failureTitle = new QLabel(failure);
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 2);
    m_failureTitle->setFont(titleFont);
    m_failureText = new QLabel(failure);
    m_failureText->setWordWrap(true);
    m_failureText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_failureText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    failureLayout->addWidget(m_failureTitle, 0, 1, Qt::AlignCenter);
    failureLayout->addWidget(m_failureText, 1, 0, 2, 3);
    failureLayout->setRowStretch(1, 10);
    m_pages->addWidget(failure);

    m_importButton = new QPushButton(this);
    m_exportButton = new QPushButton(this);

    // Main page.
    m_mainPage = new QWidget(m_pages);
    auto* mainPageLayout = new QVBoxLayout(m_mainPage);
    mainPageLayout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, m_mainPage);
    m_splitter->setChildrenCollapsible(false);

    QWidget* left = buildOpenWorksPane();
    QWidget* middle = buildMiddlePane();

    int displayMode = ZRProjectBrowserModel::storedDisplayMode();
    if (displayMode != 0 && displayMode != 1) {
        ZREventBus::sendMessage(eDrawInformation,
                                QStringLiteral("Project browser display mode %1 is not known: the tree view is used.")
                                    .arg(displayMode),
                                false);
        displayMode = 0;
    }
    QWidget* right = buildHostPane(displayMode);

    m_splitter->addWidget(left);
    m_splitter->addWidget(middle);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(2, 1);
    mainPageLayout->addWidget(m_splitter);
    m_pages->addWidget(m_mainPage);

    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_loggingCheckBox, &QCheckBox::toggled, this, &ZROpenworksExchangeDialog::toggleLogging);
    connect(m_retryButton, &QPushButton::clicked, this, &ZROpenworksExchangeDialog::retryConnection);
    connect(m_districtRefreshButton, &QToolButton::clicked, this, [this] {
        refreshDistricts();
        showNoProjects();
    });
    connect(m_projectRefreshButton, &QToolButton::clicked, this, &ZROpenworksExchangeDialog::refreshProjects);
    connect(m_districtCombo, &QComboBox::currentTextChanged, this, &ZROpenworksExchangeDialog::setDistrict);
    connect(m_projectCombo, &QComboBox::currentTextChanged, this, &ZROpenworksExchangeDialog::openProject);
    connect(m_hostProjectCombo, &QComboBox::currentTextChanged, this,
            &ZROpenworksExchangeDialog::newVelostratProjectSelected);
    connect(m_addProjectsButton, &QPushButton::clicked, this, &ZROpenworksExchangeDialog::addProjectsFromDirectory);
    connect(m_importButton, &QPushButton::clicked, this, &ZROpenworksExchangeDialog::importRequested);
    connect(m_exportButton, &QPushButton::clicked, this, &ZROpenworksExchangeDialog::exportRequested);
    connect(m_browser, &ZROpenworksProjectBrowser::exchangeAvailable, this, [this](bool available) {
        m_importButton->setEnabled(available);
        m_exportButton->setEnabled(available);
    });
    connect(m_hostTree.get(), &ZRProjectBrowserModel::categoryChanged, m_browser,
            &ZROpenworksProjectBrowser::setCurrentCategory);
    connect(m_browser, &ZROpenworksProjectBrowser::currentCategoryChanged, m_hostTree.get(),
            &ZRProjectBrowserModel::setCurrentCategory);
    connect(m_browser, &ZROpenworksProjectBrowser::openFailed, this, &ZROpenworksExchangeDialog::openThreadFailed);
    connect(m_browser, &ZROpenworksProjectBrowser::openSucceeded, this,
            &ZROpenworksExchangeDialog::openThreadSucceeded);

    resize(QSize(950, 700).expandedTo(minimumSizeHint()));

    if (initializeOpenworks()) {
        m_pages->setCurrentIndex(MainPage);
        refreshDistricts();
        const QString systemDistrict = ZROpenworksSession::systemDistrict();
        if (!systemDistrict.isEmpty()) {
            const int index = m_districtCombo->findText(systemDistrict, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index > 0)
                m_districtCombo->setCurrentIndex(index);
        }
    } else {
        m_pages->setCurrentIndex(FailurePage);
    }

    m_hostTree->setFlag(1);
    prepareHostTree(*m_project);
    buildUnitTable();
}

QWidget* ZROpenworksExchangeDialog::buildOpenWorksPane()
{
    auto* pane = new QWidget(m_splitter);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* box = new QGroupBox(QStringLiteral("OpenWorks® Project"), pane);
    box->setFixedHeight(75);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(3);
    grid->setContentsMargins(3, 3, 3, 3);
    m_districtCombo = new QComboBox(box);
    m_districtCombo->setToolTip(QStringLiteral("(Select an OpenWorks® District)"));
    m_districtCombo->setMinimumContentsLength(20);
    m_districtCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_districtRefreshButton = refreshButton(QStringLiteral("(Refresh list of OpenWorks® districts)"), box);
    m_projectCombo = new QComboBox(box);
    m_projectCombo->setToolTip(QStringLiteral("(Select an OpenWorks® Project)"));
    m_projectCombo->setMinimumContentsLength(20);
    m_projectCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_projectRefreshButton = refreshButton(QStringLiteral("(Refresh list of OpenWorks® projects)"), box);
    grid->addWidget(new QLabel(QStringLiteral("District: "), box), 0, 0);
    grid->addWidget(m_districtCombo, 0, 1);
    grid->addWidget(m_districtRefreshButton, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Project: "), box), 1, 0);
    grid->addWidget(m_projectCombo, 1, 1);
    grid->addWidget(m_projectRefreshButton, 1, 2);

    m_browser = new ZROpenworksProjectBrowser(this, m_session.get());
    layout->addWidget(box);
    layout->addWidget(m_browser, 1);
    return pane;
}

QWidget* ZROpenworksExchangeDialog::buildMiddlePane()
{
    auto* pane = new QWidget(m_splitter);
    pane->setFixedWidth(60);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(10);
    m_importButton->setParent(pane);
    m_exportButton->setParent(pane);
    for (QPushButton* button : {m_importButton, m_exportButton}) {
        button->setFixedSize(20, 20);
        button->setEnabled(false);
    }
    if (iconHandler) {
        m_importButton->setIcon(iconHandler->icon(QStringLiteral("rightarrow")));
        m_exportButton->setIcon(iconHandler->icon(QStringLiteral("leftarrow")));
    }
    m_importButton->setToolTip(QStringLiteral("Import selected objects to Velostrat"));
    m_exportButton->setToolTip(QStringLiteral("(Export selected objects to OpenWorks®)"));
    layout->addStretch();
    layout->addWidget(m_importButton, 0, Qt::AlignHCenter);
    layout->addWidget(m_exportButton, 0, Qt::AlignHCenter);
    layout->addStretch();
    return pane;
}

QWidget* ZROpenworksExchangeDialog::buildHostPane(int displayMode)
{
    auto* pane = new QWidget(m_splitter);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* box = new QGroupBox(QStringLiteral("Velostrat Project"), pane);
    box->setFixedHeight(75);
    auto* row = new QHBoxLayout(box);
    m_hostProjectCombo = new QComboBox(box);
    m_hostProjectCombo->setToolTip(QStringLiteral("Select Velostrat project"));
    m_hostProjectCombo->setMinimumContentsLength(20);
    m_hostProjectCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_hostProjectCombo->addItems(m_hostProjectPaths);
    const QString ownPath = m_project ? QDir::toNativeSeparators(m_project->projectPath()) : QString();
    m_hostProjectCombo->setCurrentIndex(m_hostProjectPaths.indexOf(ownPath));
    m_addProjectsButton = new QPushButton(box);
    m_addProjectsButton->setToolTip(QStringLiteral("Add projects from selected directory"));
    if (iconHandler)
        m_addProjectsButton->setIcon(iconHandler->icon(QStringLiteral("zoommode16")));
    m_addProjectsButton->setFixedSize(25, 22);
    row->addWidget(m_hostProjectCombo, 1);
    row->addWidget(m_addProjectsButton);

    m_hostTreeWidget = m_hostTree->createWidget(pane, displayMode);
    layout->addWidget(box);
    layout->addWidget(m_hostTreeWidget, 1);
    return pane;
}

void ZROpenworksExchangeDialog::prepareHostTree(ZRProject& project)
{
    m_hostTree->setWellDatabase(m_currentWellDatabase);
    project.setDirectoryVisible(ZRProject::VisibleFolderType, true);
    m_hostTree->setProject(project);
    m_hostTree->setCategoryTable(ZRProjectBrowserModel::defaultCategoryTable());
}

void ZROpenworksExchangeDialog::buildUnitTable()
{
    m_unitTable = openWorksUnitAbbreviationTable();
}

bool ZROpenworksExchangeDialog::initializeOpenworks()
{
    QString text;
    if (m_session->start(&text))
        return true;
    m_failureTitle->setText(ZROpenworksSession::startFailureTitle());
    m_failureText->setText(text);
    m_retryButton->show();
    return false;
}

void ZROpenworksExchangeDialog::retryConnection()
{
    if (!initializeOpenworks())
        return;
    m_pages->setCurrentIndex(MainPage);
    m_retryButton->hide();
}

void ZROpenworksExchangeDialog::toggleLogging(bool enabled)
{
    owmessages::install(enabled);
    m_loggingCheckBox->setStyleSheet(
        QStringLiteral("QCheckBox { color: %1 }")
            .arg(enabled ? QStringLiteral("red") : m_loggingTextColor));
}

void ZROpenworksExchangeDialog::disableQComboBoxIndex(QComboBox* comboBox, int index)
{
    if (index <= -1) {
        ZR_ASSERT_FAILED("index > -1");
        return;
    }
    if (!comboBox) {
        ZR_ASSERT_FAILED("comboBox != nullptr");
        return;
    }
    if (!comboBox->model()) {
        ZR_ASSERT_FAILED("comboBox->model() != nullptr");
        return;
    }
    if (auto* model = qobject_cast<QStandardItemModel*>(comboBox->model())) {
        if (QStandardItem* item = model->item(index, comboBox->modelColumn()))
            item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    }
}

void ZROpenworksExchangeDialog::refreshDistricts()
{
    int status = 0;
    QStringList districts = ZROpenworksSession::districts(&status);
    if (status != 0)
        return;
    std::sort(districts.begin(), districts.end());
    districts.prepend(QStringLiteral(" -- Select District -- "));
    const QSignalBlocker blocker(m_districtCombo);
    m_districtCombo->clear();
    m_districtCombo->addItems(districts);
    disableQComboBoxIndex(m_districtCombo, 0);
}

void ZROpenworksExchangeDialog::setDistrict(const QString& newDistrict)
{
    ZROpenworksSession::setSystemDistrict(newDistrict);
    refreshProjects();
}

void ZROpenworksExchangeDialog::refreshProjects()
{
    int status = 0;
    QStringList projects = ZROpenworksSession::projects(&status);
    if (status != 0 || projects.isEmpty()) {
        showNoProjects();
        return;
    }
    std::sort(projects.begin(), projects.end());
    projects.prepend(QStringLiteral(" -- Select Project -- "));

    const QSignalBlocker blocker(m_projectCombo);
    const int remembered = m_projectCombo->currentIndex();
    m_projectCombo->clear();
    m_projectCombo->setEnabled(true);
    m_projectRefreshButton->setEnabled(true);
    m_projectCombo->addItems(projects);
    m_projectCombo->setCurrentIndex(remembered == -1 || remembered >= projects.size() ? 0 : remembered);
    disableQComboBoxIndex(m_projectCombo, 0);
}

void ZROpenworksExchangeDialog::showNoProjects()
{
    const QSignalBlocker blocker(m_projectCombo);
    m_projectCombo->clear();
    m_projectCombo->addItem(QIcon(), QStringLiteral("No Projects Found"));
    m_projectCombo->setEnabled(false);
}

void ZROpenworksExchangeDialog::setSessionControlsEnabled(bool enabled)
{
    m_districtCombo->setEnabled(enabled);
    m_districtRefreshButton->setEnabled(enabled);
    m_projectRefreshButton->setEnabled(enabled);
    m_projectCombo->setEnabled(enabled);
}

void ZROpenworksExchangeDialog::openProject(const QString& projectName)
{
    if (projectName.isEmpty())
        return;
    setSessionControlsEnabled(false);
    m_importButton->setEnabled(false);
    m_exportButton->setEnabled(false);
    m_browser->openOpenworksProject(projectName);
}

void ZROpenworksExchangeDialog::openThreadFailed(const QString& errorMessage)
{
    if (!errorMessage.isEmpty())
        m_ui->showMessage(ZRExchangeUi::MessageKind::Warning, windowTitle(),
                          QStringLiteral("(Unable to connect to OpenWorks® project: %1)").arg(errorMessage));
    setSessionControlsEnabled(true);
    const QSignalBlocker blocker(m_projectCombo);
    m_projectCombo->setCurrentIndex(0);
}

void ZROpenworksExchangeDialog::openThreadSucceeded()
{
    setSessionControlsEnabled(true);
}

void ZROpenworksExchangeDialog::newVelostratProjectSelected(const QString& newVelostratProject)
{
    if (newVelostratProject.isEmpty())
        return;
    ZRProject project(newVelostratProject);
    if (!project.mayBeOpened())
        return;

    if (m_currentWellDatabase != m_startupWellDatabase)
        delete m_currentWellDatabase;
    m_currentWellDatabase = new ZRLogDatabase;
    m_currentWellDatabase->loadAfterProjectChange(project.wellDatabasePath(), project.projectName());

    prepareHostTree(project);
    *m_project = project;
}

void ZROpenworksExchangeDialog::addProjectsFromDirectory()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Choose a directory"), QString(),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    const ZRProjectScanner::Result result = ZRProjectScanner::scanDirectory(folder, m_projectListPath);
    const QSignalBlocker blocker(m_hostProjectCombo);
    for (const QString& path : result.added) {
        const QString native = QDir::toNativeSeparators(path);
        if (m_hostProjectCombo->findText(native, Qt::MatchExactly | Qt::MatchCaseSensitive) == -1)
            m_hostProjectCombo->addItem(native);
        if (!m_hostProjectPaths.contains(native))
            m_hostProjectPaths.append(native);
    }
}

void ZROpenworksExchangeDialog::importRequested()
{
    const QModelIndexList selection = m_browser->selectedIndexes();
    if (selection.isEmpty())
        return;
    switch (m_browser->currentCategory()) {
    case ZROpenworksProjectBrowser::Surveys:
        importSurveys(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Wells:
        importWells(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Faults:
        importFaults(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Horizons:
        importHorizons(*this, selection);
        break;
    default:
        break;
    }
}

void ZROpenworksExchangeDialog::exportRequested()
{
    const QModelIndexList selection = hostSelection();
    if (selection.isEmpty())
        return;
    switch (m_browser->currentCategory()) {
    case ZROpenworksProjectBrowser::Surveys:
        exportVolumes(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Wells:
        exportWells(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Faults:
        exportFaults(*this, selection);
        break;
    case ZROpenworksProjectBrowser::Horizons:
        exportHorizons(*this, selection);
        break;
    default:
        return;
    }
    m_browser->refreshPages();
}
