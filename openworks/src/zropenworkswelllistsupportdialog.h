#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSortFilterProxyModel;
class ZRCreateWellListWidget;
class ZRLogDatabase;
class ZROpenworksTableView;
class ZROpenworksWellListApplyToAllWidget;
class ZROpenworksWellListReferenceWidget;
class ZRWellListTableModel;

/// "OpenWorks® Data Exchange": asks which OpenWorks well list each host well
/// joins before the wells are exported. At the left one reference widget per
/// well (and, for two wells or more, an "Apply to All" target); at the right
/// the project's well lists (a searchable table whose rows are dragged onto
/// the wells) and "Create new Well List", which opens the creation form over
/// the table. "OK" is enabled exactly when every well has a list. The result
/// is the association map, well id -> well list name.
class ZROpenworksWellListSupportDialog : public QDialog
{
    Q_OBJECT
public:
    /// wells: the well database holding the wells (not owned); wellIds: the
    /// wells to associate, in order (an id of 0 or of no well gets no
    /// widget); initial: associations to start from. Reads the project's well
    /// lists (under the bar "Well List Population").
    ZROpenworksWellListSupportDialog(const ZRLogDatabase* wells, const QVector<int>& wellIds,
                                     const QMap<int, QString>& initial, QWidget* parent = nullptr);

    /// A copy of the current associations.
    QMap<int, QString> associations() const { return m_associations; }
    /// Gives every well the list name (the apply-to-all choice).
    void applyToAll(const QString& wellList);

    // Parts, for the tests.
    const QList<ZROpenworksWellListReferenceWidget*>& referenceWidgets() const { return m_references; }
    ZROpenworksWellListApplyToAllWidget* applyToAllWidget() const { return m_applyToAll; }
    ZROpenworksTableView* tableView() const { return m_view; }
    ZRWellListTableModel* wellListModel() const { return m_model; }
    QSortFilterProxyModel* proxy() const { return m_proxy; }
    QLineEdit* searchEdit() const { return m_searchEdit; }
    QPushButton* createButton() const { return m_createButton; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QLabel* headerLabel() const { return m_headerLabel; }
    /// The creation form while it is open.
    ZRCreateWellListWidget* createForm() const;

private slots:
    void onNewDrop();
    void openCreateForm();
    void onWellListCreated();

private:
    void updateEmptyText();
    void updateOkButton();

    QMap<int, QString> m_associations;
    QList<ZROpenworksWellListReferenceWidget*> m_references;
    ZROpenworksWellListApplyToAllWidget* m_applyToAll = nullptr;
    ZRWellListTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    ZROpenworksTableView* m_view = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QPushButton* m_createButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QLabel* m_headerLabel = nullptr;
    QPointer<ZRCreateWellListWidget> m_createForm;
};
