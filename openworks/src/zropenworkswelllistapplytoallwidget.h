#pragma once

#include <QFrame>

class QLineEdit;
class QMimeData;

/// The "Apply to All" target of the well list association dialog (shown for
/// two wells or more): a drop of an OpenWorks table row is shown and its
/// list applied to every well of the enclosing
/// ZROpenworksWellListSupportDialog.
class ZROpenworksWellListApplyToAllWidget : public QFrame
{
    Q_OBJECT
public:
    explicit ZROpenworksWellListApplyToAllWidget(QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return m_lineEdit; }

    /// Takes a drop: data of the table row format is shown and applied to all
    /// wells; anything else is ignored.
    void takeDrop(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QLineEdit* m_lineEdit;
};
