#pragma once

#include "overlaywidget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

/// The form for a new OpenWorks well list, shown over the well list table of
/// the association dialog: a name, an interpreter of the active project
/// (prjGetActive, prjGetIntrps), "Create" and "Assign to all new wells".
/// "Create" adds and commits the list (owwelllists::createWellList); on
/// success it emits wellListCreated() and closes; on failure it shows "Well
/// List Creation Error" with the DevKit's text and stays. Deleted on close.
/// When the interpreters cannot be read, an information box says so (parent:
/// the covered widget) and the form is not built (isFormBuilt() false).
class ZRCreateWellListWidget : public vsWidgets::OverlayWidget
{
    Q_OBJECT
public:
    /// covered: the table view the overlay covers.
    explicit ZRCreateWellListWidget(QWidget* covered);

    bool isFormBuilt() const { return m_nameEdit != nullptr; }
    /// The name and interpreter of the list created (after wellListCreated()).
    QString createdName() const { return m_createdName; }
    QString createdInterpreter() const { return m_createdInterpreter; }
    /// "Assign to all new wells" was checked.
    bool assignToAll() const;

    QLabel* titleLabel() const { return m_titleLabel; }
    QToolButton* closeButton() const { return m_closeButton; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QComboBox* interpreterCombo() const { return m_interpreterCombo; }
    QPushButton* createButton() const { return m_createButton; }
    QCheckBox* assignToAllCheckBox() const { return m_assignToAll; }

signals:
    void wellListCreated();

private slots:
    void updateCreateButton();
    void create();

private:
    void buildForm(const QStringList& interpreters);

    QLabel* m_titleLabel = nullptr;
    QToolButton* m_closeButton = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_interpreterCombo = nullptr;
    QPushButton* m_createButton = nullptr;
    QCheckBox* m_assignToAll = nullptr;
    QString m_createdName;
    QString m_createdInterpreter;
};
