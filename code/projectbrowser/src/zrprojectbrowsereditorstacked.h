#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QStackedWidget;
class QTreeView;
class ZRProjectBrowserModel;

/// The host project tree in display mode 1: a category selector over a stack
/// holding one view per category (rooted at the category's item). The selector
/// and the model's current category follow each other. Pages are rebuilt when
/// the model's categories change. The model is not owned; it may be deleted
/// before the widget.
class ZRProjectBrowserEditorStacked : public QWidget
{
    Q_OBJECT

public:
    explicit ZRProjectBrowserEditorStacked(ZRProjectBrowserModel* model, QWidget* parent = nullptr);
    ~ZRProjectBrowserEditorStacked() override;

    ZRProjectBrowserModel* model() const { return m_model; }
    QComboBox* selector() const { return m_selector; }
    QStackedWidget* stack() const { return m_stack; }
    /// The view of a category's page (null when there is none).
    QTreeView* viewOf(const QString& category) const;
    QTreeView* currentView() const;

private:
    void rebuildPages();
    void showCategory(const QString& name);

    QPointer<ZRProjectBrowserModel> m_model;
    QComboBox* m_selector;
    QStackedWidget* m_stack;
};
