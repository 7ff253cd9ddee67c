#pragma once

#include <QFrame>

class QIcon;
class QLabel;
class QLineEdit;
class QMimeData;

/// One host well in the well list association dialog: its icon and name at
/// the left, a read-only line edit with the well list it joins at the right.
/// A drop of an OpenWorks table row ("application/velostrat.openworkstableitem")
/// names the list by its text. The well counts as assigned once it has a list.
class ZROpenworksWellListReferenceWidget : public QFrame
{
    Q_OBJECT
public:
    ZROpenworksWellListReferenceWidget(int wellId, const QString& wellName, const QIcon& icon,
                                       QWidget* parent = nullptr);

    int wellId() const { return m_wellId; }
    bool isAssigned() const { return m_assigned; }
    /// The well list the well joins (the line edit's text).
    QString wellList() const;

    QLabel* nameLabel() const { return m_nameLabel; }
    QLabel* iconLabel() const { return m_iconLabel; }
    QLineEdit* lineEdit() const { return m_lineEdit; }

    /// Takes a drop: clears the assignment; data of the table row format
    /// assigns the well to the list its text names. Emits newDrop() in both
    /// cases, so that the dialog follows the well's state.
    void takeDrop(const QMimeData* data);
    /// Assigns the well to a list (the apply-to-all choice, an initial
    /// association) and emits newDrop().
    void assign(const QString& wellList);

    /// Whether data is a table row drop (the only data a reference takes).
    static bool canDecode(const QMimeData* data);

signals:
    void newDrop();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int m_wellId;
    bool m_assigned = false;
    QLabel* m_iconLabel;
    QLabel* m_nameLabel;
    QLineEdit* m_lineEdit;
};
