#pragma once

#include "zrexchangeui.h"

#include <QPointer>
#include <QWidget>

/// The exchange dialog's way of talking to the user: message boxes parented to
/// the dialog, the file conflict dialog, the unit selection dialog and the well
/// problems dialog.
class ZRDialogExchangeUi : public ZRExchangeUi
{
public:
    explicit ZRDialogExchangeUi(QWidget* parent);

    void showMessage(MessageKind kind, const QString& title, const QString& text) override;
    FileConflictAnswer askFileConflict(const QString& existingFilePath) override;
    int askUnit(const QList<int>& candidates, const QString& message, int noUnit) override;
    bool askSurveyAssociations(int mode, const QModelIndexList& items,
                               QList<SurveyAssociation>& associations) override;
    bool askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations) override;
    void showWellProblems(const WellProblemList& problems) override;

private:
    QPointer<QWidget> m_parent;
};
