#pragma once

#include "vsprogressbar.h"

#include <QHash>
#include <QWidget>

class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

/// One progress window for one top-level progress id: a title, the main bar,
/// a "More Info" tree of sub-progress items and a Cancel button. It deletes
/// itself when closed. Cancel reports the cancellation and keeps the window
/// open; closing it by its title bar reports the cancellation and closes it.
class ZRProgressBar : public QWidget, public VsProgressBarAbstract
{
    Q_OBJECT
public:
    /// Item data roles of the progression column.
    enum Role
    {
        ValueRole = Qt::UserRole + 1,
        TotalRole
    };

    ZRProgressBar(int topLevelId, QWidget* parent);
    ~ZRProgressBar() override;

    void create(int id, int total, const QString& title, int parentId, bool cancellable) override;
    void initialize(int id, int total, const QString& title) override;
    void increment(int id, int step) override;
    void close(int id) override;
    QObject* progressObject() override { return this; }

    int topLevelId() const { return m_id; }
    QProgressBar* mainBar() const { return m_mainBar; }
    QPushButton* cancelButton() const;
    QToolButton* infoButton() const { return m_infoButton; }
    QTreeWidget* tree() const { return m_tree; }
    QLabel* titleLabel() const { return m_titleLabel; }
    /// The tree item of a sub-progress id, or null.
    QTreeWidgetItem* itemOf(int id) const { return m_progressBarItemHash.value(id); }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onCancel();
    void toggleInfo(bool shown);

private:
    void updateEvents();

    int m_id;
    QHash<int, QTreeWidgetItem*> m_progressBarItemHash;
    bool m_infoNeverExpanded = true;
    bool m_closingByOwner = false;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_infoButton = nullptr;
    QTreeWidget* m_tree = nullptr;
    QProgressBar* m_mainBar = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
};
