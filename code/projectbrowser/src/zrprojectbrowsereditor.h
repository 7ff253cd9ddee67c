#pragma once

#include <QPointer>
#include <QWidget>

class QTreeView;
class ZRProjectBrowserModel;

/// The host project tree in display mode 0: one tree view holding every
/// category. Uses the model's selection model; drags the selected items
/// (extended selection, copy only). Expands the current category when it
/// changes. The model is not owned; it may be deleted before the widget.
class ZRProjectBrowserEditor : public QWidget
{
    Q_OBJECT

public:
    explicit ZRProjectBrowserEditor(ZRProjectBrowserModel* model, QWidget* parent = nullptr);
    ~ZRProjectBrowserEditor() override;

    ZRProjectBrowserModel* model() const { return m_model; }
    QTreeView* view() const { return m_view; }

    /// Sets up a view over the model as both display modes show it: shared
    /// selection model, extended row selection, drag only, no editing.
    static void configureView(QTreeView* view, ZRProjectBrowserModel* model);

private:
    void expandCategories();
    void showCategory(const QString& name);

    QPointer<ZRProjectBrowserModel> m_model;
    QTreeView* m_view;
};
