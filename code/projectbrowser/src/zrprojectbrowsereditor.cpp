#include "zrprojectbrowsereditor.h"

#include "zrprojectbrowsermodel.h"

#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

ZRProjectBrowserEditor::ZRProjectBrowserEditor(ZRProjectBrowserModel* model, QWidget* parent)
    : QWidget(parent), m_model(model), m_view(new QTreeView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    configureView(m_view, model);
    expandCategories();

    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid() || !m_model)
            return;
        for (int row = first; row <= last; ++row)
            m_view->expand(m_model->index(row, 0));
    });
    connect(model, &QAbstractItemModel::modelReset, this, &ZRProjectBrowserEditor::expandCategories);
    connect(model, &ZRProjectBrowserModel::categoryChanged, this, &ZRProjectBrowserEditor::showCategory);
}

ZRProjectBrowserEditor::~ZRProjectBrowserEditor() = default;

void ZRProjectBrowserEditor::configureView(QTreeView* view, ZRProjectBrowserModel* model)
{
    view->setModel(model);
    QItemSelectionModel* ownSelection = view->selectionModel();
    view->setSelectionModel(model->selectionModel());
    if (ownSelection && ownSelection != model->selectionModel())
        ownSelection->deleteLater();
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
}

void ZRProjectBrowserEditor::expandCategories()
{
    if (!m_model)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_view->expand(m_model->index(row, 0));
}

void ZRProjectBrowserEditor::showCategory(const QString& name)
{
    if (!m_model)
        return;
    const QModelIndex category = m_model->categoryIndex(name);
    if (!category.isValid())
        return;
    m_view->expand(category);
    m_view->scrollTo(category, QAbstractItemView::PositionAtTop);
}
