#include "zrprojectbrowsereditorstacked.h"

#include "zrprojectbrowsereditor.h"
#include "zrprojectbrowsermodel.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

ZRProjectBrowserEditorStacked::ZRProjectBrowserEditorStacked(ZRProjectBrowserModel* model, QWidget* parent)
    : QWidget(parent), m_model(model), m_selector(new QComboBox(this)), m_stack(new QStackedWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_selector);
    layout->addWidget(m_stack, 1);

    rebuildPages();

    connect(m_selector, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        m_stack->setCurrentIndex(index);
        if (m_model && index >= 0)
            m_model->setCurrentCategory(m_selector->itemText(index));
    });
    connect(model, &ZRProjectBrowserModel::categoryChanged, this, &ZRProjectBrowserEditorStacked::showCategory);
    connect(model, &ZRProjectBrowserModel::categoryTableChanged, this, &ZRProjectBrowserEditorStacked::rebuildPages);
    connect(model, &QAbstractItemModel::modelReset, this, &ZRProjectBrowserEditorStacked::rebuildPages);
}

ZRProjectBrowserEditorStacked::~ZRProjectBrowserEditorStacked() = default;

void ZRProjectBrowserEditorStacked::rebuildPages()
{
    if (!m_model)
        return;
    const QSignalBlocker blocker(m_selector);
    m_selector->clear();
    while (m_stack->count() > 0) {
        QWidget* page = m_stack->widget(0);
        m_stack->removeWidget(page);
        delete page;
    }
    for (const QString& name : m_model->categoryNames()) {
        const QModelIndex category = m_model->categoryIndex(name);
        auto* view = new QTreeView(m_stack);
        view->setObjectName(name);
        ZRProjectBrowserEditor::configureView(view, m_model);
        view->setRootIndex(category);
        m_stack->addWidget(view);
        m_selector->addItem(category.data(Qt::DecorationRole).value<QIcon>(), name);
    }
    showCategory(m_model->currentCategory());
}

void ZRProjectBrowserEditorStacked::showCategory(const QString& name)
{
    const int index = m_selector->findText(name);
    if (index < 0)
        return;
    const QSignalBlocker blocker(m_selector);
    m_selector->setCurrentIndex(index);
    m_stack->setCurrentIndex(index);
}

QTreeView* ZRProjectBrowserEditorStacked::viewOf(const QString& category) const
{
    const int index = m_selector->findText(category);
    return index < 0 ? nullptr : qobject_cast<QTreeView*>(m_stack->widget(index));
}

QTreeView* ZRProjectBrowserEditorStacked::currentView() const
{
    return qobject_cast<QTreeView*>(m_stack->currentWidget());
}
