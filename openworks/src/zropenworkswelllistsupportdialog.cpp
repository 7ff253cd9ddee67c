#include "zropenworkswelllistsupportdialog.h"

#include "iconxpmhandler.h"
#include "zrcreatewelllistwidget.h"
#include "zrlogdatabase.h"
#include "zropenworkstableview.h"
#include "zropenworkswelllistapplytoallwidget.h"
#include "zropenworkswelllistreferencewidget.h"
#include "zrprogressbarmgr.h"
#include "zrwelllisttablemodel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QVBoxLayout>

namespace
{
const QString kEmptyText = QStringLiteral("No Well Lists available.");
}

ZROpenworksWellListSupportDialog::ZROpenworksWellListSupportDialog(const ZRLogDatabase* wells,
                                                                   const QVector<int>& wellIds,
                                                                   const QMap<int, QString>& initial, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("OpenWorks® Data Exchange"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setMinimumSize(500, 400);

    // Header.
    auto* header = new QFrame(this);
    auto* headerIcon = new QLabel(header);
    const QIcon information = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    const QList<QSize> sizes = information.availableSizes();
    headerIcon->setPixmap(information.pixmap(sizes.isEmpty() ? QSize(32, 32) : sizes.first()));
    m_headerLabel = new QLabel(
        QStringLiteral("<b>In order to export these items to OpenWorks®, they must be associated with a Well List. ")
            + QStringLiteral("Please select a Well List that already exists in OpenWorks®, or create a new one.<b>"),
        header);
    m_headerLabel->setWordWrap(true);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->addWidget(headerIcon, 0, Qt::AlignTop);
    headerLayout->addWidget(m_headerLabel, 1);

    // The well lists.
    m_model = new ZRWellListTableModel(this);
    {
        ZRProgressBarGuard population(1, QStringLiteral("Well List Population"), -1, false);
        m_model->populate(population.id());
    }
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setSourceModel(m_model);
    m_view = new ZROpenworksTableView(m_model, m_proxy, kEmptyText, this);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setDragEnabled(true);
    m_view->setDragDropMode(QAbstractItemView::DragOnly);
    m_view->setSortingEnabled(true);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setPlaceholderText(QStringLiteral("Search..."));
    connect(m_searchEdit, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterWildcard);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &ZROpenworksWellListSupportDialog::updateEmptyText);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &ZROpenworksWellListSupportDialog::updateEmptyText);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &ZROpenworksWellListSupportDialog::updateEmptyText);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &ZROpenworksWellListSupportDialog::updateEmptyText);
    updateEmptyText();

    // Buttons.
    m_createButton = new QPushButton(QStringLiteral("Create new Well List"), this);
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setEnabled(false);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_createButton, &QPushButton::clicked, this, &ZROpenworksWellListSupportDialog::openCreateForm);

    // The wells.
    auto* scroll = new QScrollArea(this);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    auto* wellsWidget = new QWidget(scroll);
    auto* wellsLayout = new QVBoxLayout(wellsWidget);
    wellsLayout->setSpacing(0);
    wellsLayout->setContentsMargins(0, 0, 0, 0);
    m_applyToAll = new ZROpenworksWellListApplyToAllWidget(wellsWidget);
    const QIcon wellIcon = iconHandler ? iconHandler->icon(QStringLiteral("well")) : QIcon();
    for (int id : wellIds) {
        const ZRWell* well = id != 0 && wells ? wells->findWell(id) : nullptr;
        if (!well)
            continue;
        auto* reference = new ZROpenworksWellListReferenceWidget(id, well->name(), wellIcon, wellsWidget);
        connect(reference, &ZROpenworksWellListReferenceWidget::newDrop, this,
                &ZROpenworksWellListSupportDialog::onNewDrop);
        m_references.append(reference);
        if (initial.contains(id))
            reference->assign(initial.value(id));
    }
    if (m_references.size() > 1) {
        wellsLayout->addWidget(m_applyToAll);
    } else {
        m_applyToAll->hide();
    }
    for (ZROpenworksWellListReferenceWidget* reference : m_references)
        wellsLayout->addWidget(reference);
    wellsLayout->addStretch(1);
    scroll->setWidget(wellsWidget);
    updateOkButton();

    auto* lists = new QVBoxLayout;
    lists->addWidget(m_searchEdit);
    lists->addWidget(m_view, 1);
    lists->addWidget(m_createButton);
    auto* middle = new QHBoxLayout;
    middle->addWidget(scroll, 1);
    middle->addLayout(lists, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(760, 480);
}

ZRCreateWellListWidget* ZROpenworksWellListSupportDialog::createForm() const
{
    return m_createForm.data();
}

void ZROpenworksWellListSupportDialog::applyToAll(const QString& wellList)
{
    for (ZROpenworksWellListReferenceWidget* reference : m_references)
        reference->assign(wellList);
}

void ZROpenworksWellListSupportDialog::onNewDrop()
{
    if (auto* reference = qobject_cast<ZROpenworksWellListReferenceWidget*>(sender())) {
        if (reference->isAssigned())
            m_associations.insert(reference->wellId(), reference->wellList());
        else
            m_associations.remove(reference->wellId());
    }
    updateOkButton();
}

void ZROpenworksWellListSupportDialog::updateOkButton()
{
    bool all = true;
    for (const ZROpenworksWellListReferenceWidget* reference : m_references)
        all = all && reference->isAssigned();
    m_okButton->setEnabled(all);
}

void ZROpenworksWellListSupportDialog::openCreateForm()
{
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_createButton->setEnabled(false);
    m_createForm = new ZRCreateWellListWidget(m_view);
    connect(m_createForm, &QObject::destroyed, this, [this] {
        m_createButton->setEnabled(true);
        m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    });
    connect(m_createForm, &ZRCreateWellListWidget::wellListCreated, this,
            &ZROpenworksWellListSupportDialog::onWellListCreated);
    m_createForm->init();
}

void ZROpenworksWellListSupportDialog::onWellListCreated()
{
    auto* form = qobject_cast<ZRCreateWellListWidget*>(sender());
    if (!form)
        return;
    m_model->appendWellList(form->createdName(), form->createdInterpreter(), 0);
    m_view->resizeColumnsToContents();
    const QModelIndex added = m_proxy->mapFromSource(m_model->index(m_model->rowOfList(form->createdName()), 0));
    if (added.isValid())
        m_view->scrollTo(added);
    if (form->assignToAll())
        applyToAll(form->createdName());
}

void ZROpenworksWellListSupportDialog::updateEmptyText()
{
    const QString message = m_model->pageMessage();
    m_view->overlay()->setText(message.isEmpty() ? kEmptyText : message);
    m_view->overlay()->setVisible(m_proxy->rowCount() == 0);
}
