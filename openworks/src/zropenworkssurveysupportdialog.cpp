#include "zropenworkssurveysupportdialog.h"

#include "iconxpmhandler.h"
#include "zropenworksapplytoallwidget.h"
#include "zropenworkssurveyreferencewidget.h"
#include "zropenworkstablemodel.h"
#include "zropenworkstableview.h"
#include "zrprojectbrowsermodel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace
{

/// The OpenWorks survey table's filter, dragging a row as
/// "application/velostrat.openworkstableitem" with the survey name as text.
class SurveyDragProxy : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return QSortFilterProxyModel::flags(index) | Qt::ItemIsDragEnabled;
    }
    QStringList mimeTypes() const override { return {QString::fromLatin1(ZROpenworksTableView::MimeType)}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override
    {
        if (indexes.isEmpty())
            return nullptr;
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(ZROpenworksTableView::MimeType), QByteArray());
        data->setText(index(indexes.first().row(), 0).data(Qt::DisplayRole).toString());
        return data;
    }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
};

QIcon namedIcon(const QString& name)
{
    return iconHandler ? iconHandler->icon(name) : QIcon();
}

} // namespace

ZROpenworksSurveySupportDialog::ZROpenworksSurveySupportDialog(int mode, const ZRProject* project,
                                                               QAbstractItemModel* openWorksSurveyModel,
                                                               ZRProjectBrowserModel* hostVolumesModel,
                                                               const QModelIndexList& items, QWidget* parent)
    : QDialog(parent)
{
    qRegisterMetaType<SurveyOrigin>("SurveyOrigin");
    setWindowTitle(QStringLiteral("OpenWorks® Data Exchange"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    // Header.
    auto* headerIcon = new QLabel(this);
    headerIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto* headerText = new QLabel(
        QStringLiteral("<b>In order to export these items to OpenWorks®, they must be associated with an OpenWorks® "
                       "Survey. ")
            + QStringLiteral("Please select a survey that already exists in OpenWorks®, or select one from the "
                             "Velostrat project.<b>"),
        this);
    headerText->setWordWrap(true);
    auto* header = new QHBoxLayout;
    header->addWidget(headerIcon, 0, Qt::AlignTop);
    header->addWidget(headerText, 1);

    // Left: the items.
    auto* scroll = new QScrollArea(this);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto* itemsWidget = new QWidget(scroll);
    auto* itemsLayout = new QVBoxLayout(itemsWidget);
    itemsLayout->setSpacing(0);
    itemsLayout->setContentsMargins(0, 0, 0, 0);
    if (items.size() >= 2) {
        m_applyToAll = new ZROpenworksApplyToAllWidget(itemsWidget);
        itemsLayout->addWidget(m_applyToAll);
    }
    const QIcon itemIcon = namedIcon(mode == 1 ? QStringLiteral("faultpicking") : QStringLiteral("horizon_base"));
    for (const QModelIndex& item : items) {
        auto* reference = new ZROpenworksSurveyReferenceWidget(item, itemIcon, itemsWidget);
        connect(reference, &ZROpenworksSurveyReferenceWidget::newDrop, this,
                &ZROpenworksSurveySupportDialog::onNewDrop);
        if (m_applyToAll)
            connect(m_applyToAll, &ZROpenworksApplyToAllWidget::surveyDropped, reference,
                    &ZROpenworksSurveyReferenceWidget::globalSurveySelected);
        itemsLayout->addWidget(reference);
        m_references.append(reference);
    }
    itemsLayout->addStretch(1);
    scroll->setWidget(itemsWidget);

    // Right: where surveys come from.
    auto* selection = new QGroupBox(QStringLiteral("Survey Selection"), this);
    m_sourceCombo = new QComboBox(selection);
    m_sourceCombo->addItem(QStringLiteral("OpenWorks®"));
    m_sourceCombo->addItem(QStringLiteral("Velostrat"));
    m_sourcePages = new QStackedWidget(selection);
    m_sourcePages->addWidget(buildSurveyPage(openWorksSurveyModel));
    m_sourcePages->addWidget(buildVolumePage(project, hostVolumesModel));
    connect(m_sourceCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), m_sourcePages,
            &QStackedWidget::setCurrentIndex);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(new QLabel(QStringLiteral("Survey Source:"), selection));
    sourceRow->addWidget(m_sourceCombo, 1);
    auto* selectionLayout = new QVBoxLayout(selection);
    selectionLayout->addLayout(sourceRow);
    selectionLayout->addWidget(m_sourcePages, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(scroll, 1);
    middle->addWidget(selection, 1);

    // Bottom.
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setEnabled(false);
    m_okButton->setToolTip(QStringLiteral("Unable to accept: some items do not have an associated survey"));
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_okButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(800, 500);
}

ZROpenworksSurveySupportDialog::~ZROpenworksSurveySupportDialog()
{
    // The tree widget goes before the model it shows.
    delete m_hostTreeWidget;
    m_hostTreeWidget = nullptr;
}

QWidget* ZROpenworksSurveySupportDialog::buildSurveyPage(QAbstractItemModel* openWorksSurveyModel)
{
    auto* page = new QWidget(this);
    m_searchEdit = new QLineEdit(page);
    m_searchEdit->setPlaceholderText(QStringLiteral("Search..."));
    m_surveyProxy = new SurveyDragProxy(page);
    m_surveyProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_surveyProxy->setFilterKeyColumn(-1);
    m_surveyProxy->setSourceModel(openWorksSurveyModel);
    m_surveyTable = new QTableView(page);
    m_surveyTable->setModel(m_surveyProxy);
    m_surveyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_surveyTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_surveyTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_surveyTable->setSortingEnabled(true);
    m_surveyTable->setDragEnabled(true);
    m_surveyTable->setDragDropMode(QAbstractItemView::DragOnly);
    m_surveyTable->horizontalHeader()->setStretchLastSection(true);
    if (const auto* catalogue = qobject_cast<const ZROpenworksTableModel*>(openWorksSurveyModel)) {
        for (int column = 0; column < catalogue->columnCount(); ++column)
            m_surveyTable->setColumnHidden(column, catalogue->isHiddenColumn(column));
    }
    m_noSurveysLabel = new QLabel(QStringLiteral("No surveys available."), page);
    m_noSurveysLabel->setAlignment(Qt::AlignCenter);
    connect(m_searchEdit, &QLineEdit::textChanged, m_surveyProxy, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_surveyProxy, &QAbstractItemModel::rowsInserted, this,
            &ZROpenworksSurveySupportDialog::updateNoSurveysLabel);
    connect(m_surveyProxy, &QAbstractItemModel::rowsRemoved, this,
            &ZROpenworksSurveySupportDialog::updateNoSurveysLabel);
    connect(m_surveyProxy, &QAbstractItemModel::modelReset, this,
            &ZROpenworksSurveySupportDialog::updateNoSurveysLabel);
    connect(m_surveyProxy, &QAbstractItemModel::layoutChanged, this,
            &ZROpenworksSurveySupportDialog::updateNoSurveysLabel);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_searchEdit);
    layout->addWidget(m_surveyTable, 1);
    layout->addWidget(m_noSurveysLabel);
    updateNoSurveysLabel();
    return page;
}

QWidget* ZROpenworksSurveySupportDialog::buildVolumePage(const ZRProject* project,
                                                         ZRProjectBrowserModel* hostVolumesModel)
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_hostVolumes = hostVolumesModel;
    if (!m_hostVolumes) {
        m_ownHostVolumes = std::make_unique<ZRProjectBrowserModel>();
        m_ownHostVolumes->setVolumesOnly(true);
        if (project)
            m_ownHostVolumes->setProject(*project);
        m_hostVolumes = m_ownHostVolumes.get();
    }
    int displayMode = ZRProjectBrowserModel::storedDisplayMode();
    if (displayMode != ZRProjectBrowserModel::TreeDisplay && displayMode != ZRProjectBrowserModel::StackedDisplay)
        displayMode = ZRProjectBrowserModel::TreeDisplay;
    m_hostTreeWidget = m_hostVolumes->createWidget(page, displayMode);
    if (m_hostTreeWidget)
        layout->addWidget(m_hostTreeWidget, 1);
    return page;
}

void ZROpenworksSurveySupportDialog::updateNoSurveysLabel()
{
    const bool empty = !m_surveyProxy || m_surveyProxy->rowCount() == 0;
    m_noSurveysLabel->setVisible(empty);
}

void ZROpenworksSurveySupportDialog::onNewDrop()
{
    if (auto* reference = qobject_cast<ZROpenworksSurveyReferenceWidget*>(sender())) {
        if (reference->hasSurvey())
            m_associations.insert(reference->item(), Association(reference->origin(), reference->survey()));
        else
            m_associations.remove(reference->item());
    }
    bool all = true;
    for (const ZROpenworksSurveyReferenceWidget* reference : m_references)
        all = all && reference->hasSurvey();
    m_okButton->setEnabled(all);
    m_okButton->setToolTip(all ? QStringLiteral("Accept")
                               : QStringLiteral("Unable to accept: some items do not have an associated survey"));
}
