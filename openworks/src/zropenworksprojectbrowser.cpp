#include "zropenworksprojectbrowser.h"

#include "zropenworkssession.h"

#include "iconxpmhandler.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkssurfacepickmodel.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkstableview.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <array>

namespace
{

QIcon categoryIcon(const QString& name)
{
    return iconHandler ? iconHandler->icon(name) : QIcon();
}

QWidget* textPage(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

ZROpenworksProjectBrowser::ZROpenworksProjectBrowser(QWidget* parent, ZROpenworksSession* session)
    : QWidget(parent)
    , m_dialog(qobject_cast<ZROpenworksExchangeDialog*>(parent))
    , m_ownSession(session ? nullptr : std::make_unique<ZROpenworksSession>())
    , m_session(session ? session : m_ownSession.get())
{
    m_categoryButton = new QPushButton(this);
    m_categoryButton->setMinimumHeight(22);
    m_categoryMenu = new QMenu(m_categoryButton);
    m_categoryButton->setMenu(m_categoryMenu);
    addCategory(Surveys, QStringLiteral("3D Surveys"), QStringLiteral("bloc"), QStringLiteral("Volume"));
    addCategory(Wells, QStringLiteral("Wells"), QStringLiteral("well"), QStringLiteral("Well"));
    addCategory(Horizons, QStringLiteral("Horizons"), QStringLiteral("horizon_base"), QStringLiteral("Horizon"));
    addCategory(Faults, QStringLiteral("Faults"), QStringLiteral("faultpicking"), QStringLiteral("Fault"));
    addCategory(SurfacePicks, QStringLiteral("Surface Picks (Markers)"), QStringLiteral("set_markerset"),
                QStringLiteral("Well"));
    addCategory(NotAvailablePage, QStringLiteral("Not Available"), QString(), QString());
    m_actionOfCategory.value(NotAvailablePage)->setVisible(false);
    m_categoryButton->installEventFilter(this);

    m_searchField = new QLineEdit(this);
    m_searchField->setPlaceholderText(QStringLiteral("Search..."));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setEnabled(false);
    m_searchField->hide();

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(textPage(QStringLiteral("Select an <b>OpenWorks®</b> project above"), m_pages));
    auto* busy = new QWidget(m_pages);
    auto* busyLayout = new QVBoxLayout(busy);
    m_statusLabel = new QLabel(busy);
    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_busyBar = new QProgressBar(busy);
    m_busyBar->setRange(0, 0);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), busy);
    m_cancelButton->setToolTip(QStringLiteral("Cancel the opening of the project."));
    m_cancelButton->hide();
    busyLayout->addStretch();
    busyLayout->addWidget(m_statusLabel);
    busyLayout->addWidget(m_busyBar);
    busyLayout->addWidget(m_cancelButton, 0, Qt::AlignCenter);
    busyLayout->addStretch();
    m_pages->addWidget(busy);
    m_pages->addWidget(textPage(QStringLiteral("Not available for data exchange"), m_pages));

    m_surveyModel = new ZROpenworksSurveyModel(this);
    m_wellModel = new ZROpenworksWellModel(this);
    m_horizonModel = new ZROpenworksHorizonModel(this);
    m_faultModel = new ZROpenworksFaultModel(this);
    m_surfacePickModel = new ZROpenworksSurfacePickModel(this);
    m_proxy = new ZROpenworksSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_surveyModel);

    createPage(Surveys, m_surveyModel, QStringLiteral("No surveys found"));
    createPage(Wells, m_wellModel, QStringLiteral("No wells found"));
    createPage(Faults, m_faultModel, QStringLiteral("No faults found"));
    createPage(Horizons, m_horizonModel, QStringLiteral("No horizons found"));
    createPage(SurfacePicks, m_surfacePickModel, QStringLiteral("No surface picks found"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addSpacing(2);
    layout->addWidget(m_categoryButton);
    layout->addSpacing(2);
    layout->addWidget(m_searchField);
    layout->addSpacing(2);
    layout->addWidget(m_pages, 1);
    m_pages->setCurrentIndex(NoProjectPage);
    m_categoryButton->hide();

    connect(m_categoryMenu, &QMenu::triggered, this,
            [this](QAction* action) { setCategoryById(m_categoryOfText.value(action->text(), m_currentCategory)); });
    connect(m_categoryMenu, &QMenu::hovered, this, [this](QAction* action) {
        m_categoryButton->setText(action->text());
        m_categoryButton->setIcon(action->icon());
    });
    connect(m_categoryMenu, &QMenu::aboutToShow, this, [this] {
        m_categoryMenu->setMinimumWidth(m_categoryButton->width());
        m_categoryMenu->setMaximumWidth(m_categoryButton->width());
    });
    connect(m_categoryMenu, &QMenu::aboutToHide, this, [this] { showCategoryOnButton(m_currentCategory); });
    connect(m_pages, &QStackedWidget::currentChanged, this, [this](int index) {
        m_proxy->setSourceModel(modelOfPage(index));
        m_proxy->invalidate();
        if (ZROpenworksTableView* view = m_views.value(index)) {
            // The shared proxy sorts as the shown page's header says, not as the previous page did.
            view->applyHeaderSort();
            refreshPage(view);
        }
    });
    connect(m_searchField, &QLineEdit::textChanged, m_proxy, &ZROpenworksSortFilterProxyModel::setPendingFilter);
    connect(this, &ZROpenworksProjectBrowser::openSucceeded, this, &ZROpenworksProjectBrowser::onOpenSucceeded);
    connect(this, &ZROpenworksProjectBrowser::openFailed, this, &ZROpenworksProjectBrowser::onOpenFailed);
}

ZROpenworksProjectBrowser::~ZROpenworksProjectBrowser()
{
    if (m_projectOpen)
        m_session->closeProject();
    delete m_proxy;
}

void ZROpenworksProjectBrowser::addCategory(int id, const QString& text, const QString& iconName,
                                            const QString& hostName)
{
    QAction* action = m_categoryMenu->addAction(iconName.isEmpty() ? QIcon() : categoryIcon(iconName), text);
    m_categoryOfText.insert(text, id);
    m_actionOfCategory.insert(id, action);
    if (hostName.isEmpty())
        return;
    if (!m_categoryOfHostName.contains(hostName))
        m_categoryOfHostName.insert(hostName, id);
    m_hostNameOfCategory.insert(id, hostName);
}

ZROpenworksTableView* ZROpenworksProjectBrowser::createPage(int id, ZROpenworksTableModel* model,
                                                            const QString& emptyText)
{
    auto* view = new ZROpenworksTableView(model, m_proxy, emptyText, m_pages);
    view->setDragEnabled(true);
    m_views.insert(id, view);
    m_pages->insertWidget(id, view);
    return view;
}

ZROpenworksTableModel* ZROpenworksProjectBrowser::modelOfPage(int page) const
{
    ZROpenworksTableView* view = m_views.value(page);
    return view ? view->categoryModel() : nullptr;
}

void ZROpenworksProjectBrowser::refreshPage(ZROpenworksTableView* view)
{
    ZROpenworksTableModel* model = view->categoryModel();
    const QString message = model->pageMessage();
    if (!message.isEmpty())
        view->overlay()->setText(message);
    view->overlay()->setVisible(model->rowCount() == 0);
    for (int column = 0; column < model->columnCount(); ++column)
        view->setColumnHidden(column, model->isHiddenColumn(column));
}

void ZROpenworksProjectBrowser::refreshPages()
{
    for (int id = Surveys; id <= SurfacePicks; ++id)
        refreshPage(m_views.value(id));
}

QModelIndexList ZROpenworksProjectBrowser::selectedIndexes() const
{
    ZROpenworksTableView* view = m_views.value(m_currentCategory);
    if (!view || !view->selectionModel())
        return {};
    return view->selectionModel()->selectedIndexes();
}

void ZROpenworksProjectBrowser::openOpenworksProject(const QString& projectName)
{
    const bool widgetApplication = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (widgetApplication)
        QApplication::setOverrideCursor(Qt::WaitCursor);

    m_categoryButton->setEnabled(false);
    m_categoryButton->hide();
    m_searchField->setEnabled(false);
    m_searchField->hide();
    m_statusLabel->setText(QStringLiteral("Opening project %1...").arg(projectName));
    m_busyBar->setRange(0, 0);
    m_currentCategory = BusyPage;
    m_pages->setCurrentIndex(BusyPage);
    m_opening = true;
    QCoreApplication::processEvents();

    QString error;
    const bool opened = m_session->openProject(projectName, &error);
    m_projectOpen = m_session->isProjectOpen();
    if (opened)
        emit openSucceeded();
    else
        emit openFailed(error);

    if (widgetApplication)
        QApplication::restoreOverrideCursor();
}

void ZROpenworksProjectBrowser::onOpenSucceeded()
{
    m_statusLabel->setText(QStringLiteral("Populating..."));
    m_cancelButton->hide();

    const int bar = zrProgressBarMgr->createProgressBar(5, QStringLiteral("Reading OpenWorks® Data"), -1, true, false);
    const std::array<ZROpenworksTableModel*, 5> models{m_surveyModel, m_wellModel, m_horizonModel, m_faultModel,
                                                       m_surfacePickModel};
    // The loaders change the models without notifications: nothing may look at
    // them until they are reset below.
    m_proxy->setSourceModel(nullptr);
    // Each loader touches only its own model; the GUI thread takes part and
    // waits for the others at the end of the loop.
#pragma omp parallel for schedule(static)
    for (int i = 0; i < int(models.size()); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(bar))
            continue;
        models[size_t(i)]->removeRows(0, models[size_t(i)]->rowCount());
        models[size_t(i)]->loadFromOpenworks(bar);
        zrProgressBarMgr->incrementProgressBar(bar, 1);
    }
    for (ZROpenworksTableModel* model : models)
        model->refresh();
    m_proxy->setSourceModel(modelOfPage(m_pages->currentIndex()));

    if (zrProgressBarMgr->isProgressBarCancelled(bar)) {
        for (ZROpenworksTableModel* model : models)
            model->removeRows(0, model->rowCount());
        zrProgressBarMgr->closeProgressBar(bar);
        emit openFailed(QString());
        return;
    }
    zrProgressBarMgr->closeProgressBar(bar);

    m_projectOpen = true;
    m_opening = false;
    m_categoryButton->setEnabled(true);
    m_categoryButton->show();
    m_searchField->setEnabled(true);
    m_searchField->show();
    refreshPages();

    const QString hostCategory = m_dialog ? m_dialog->hostCategoryName() : QString();
    if (!hostCategory.isEmpty())
        setCurrentCategory(hostCategory);
    if (m_currentCategory < Surveys && m_currentCategory != NotAvailablePage)
        setCategoryById(Surveys);
    emit exchangeAvailable(m_currentCategory >= Surveys && m_currentCategory != SurfacePicks);
}

void ZROpenworksProjectBrowser::onOpenFailed(const QString&)
{
    m_pages->setCurrentIndex(NoProjectPage);
    m_currentCategory = NoProjectPage;
    m_opening = false;
}

void ZROpenworksProjectBrowser::showCategoryOnButton(int id)
{
    if (QAction* action = m_actionOfCategory.value(id)) {
        m_categoryButton->setText(action->text());
        m_categoryButton->setIcon(action->icon());
    }
}

void ZROpenworksProjectBrowser::setCategoryById(int id)
{
    if (id == m_currentCategory)
        return;
    m_currentCategory = id;
    m_pages->setCurrentIndex(id);
    if (id >= Surveys) {
        showCategoryOnButton(id);
        emit exchangeAvailable(id != SurfacePicks);
    }
    const auto name = m_hostNameOfCategory.constFind(id);
    if (name != m_hostNameOfCategory.constEnd())
        emit currentCategoryChanged(*name);
}

void ZROpenworksProjectBrowser::setCurrentCategory(const QString& hostCategoryName)
{
    if (!m_projectOpen)
        return;
    if (m_currentCategory == SurfacePicks && hostCategoryName == QLatin1String("Well"))
        return;
    const auto known = m_categoryOfHostName.constFind(hostCategoryName);
    if (known != m_categoryOfHostName.constEnd()) {
        setCategoryById(*known);
        if (*known != SurfacePicks)
            emit exchangeAvailable(true);
        return;
    }
    m_pages->setCurrentIndex(NotAvailablePage);
    m_currentCategory = NotAvailablePage;
    showCategoryOnButton(NotAvailablePage);
    emit exchangeAvailable(false);
}

bool ZROpenworksProjectBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_categoryButton && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta < 0)
            setCategoryById(qBound(int(Surveys), m_currentCategory + 1, int(SurfacePicks)));
        else if (delta > 0)
            setCategoryById(qBound(int(Surveys), m_currentCategory - 1, int(SurfacePicks)));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
