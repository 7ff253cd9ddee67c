#include "zrdialogexchangeui.h"

#include "unitselection.h"
#include "zreventbus.h"
#include "zropenworksfileexistsdialog.h"
#include "zropenworkswellerrorsdialog.h"

#include <QMessageBox>

ZRDialogExchangeUi::ZRDialogExchangeUi(QWidget* parent)
    : m_parent(parent)
{
}

void ZRDialogExchangeUi::showMessage(MessageKind kind, const QString& title, const QString& text)
{
    switch (kind) {
    case MessageKind::Information:
        QMessageBox::information(m_parent, title, text);
        break;
    case MessageKind::Warning:
        QMessageBox::warning(m_parent, title, text);
        break;
    case MessageKind::Critical:
        QMessageBox::critical(m_parent, title, text);
        break;
    }
}

ZRExchangeUi::FileConflictAnswer ZRDialogExchangeUi::askFileConflict(const QString& existingFilePath)
{
    ZROpenworksFileExistsDialog dialog{QFileInfo(existingFilePath)};
    FileConflictAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    if (dialog.isOverwrite()) {
        answer.choice = FileConflictAnswer::Overwrite;
    } else {
        answer.choice = FileConflictAnswer::NewName;
        answer.newFileName = dialog.newFileName();
    }
    return answer;
}

int ZRDialogExchangeUi::askUnit(const QList<int>& candidates, const QString& message, int)
{
    return georef::selectUnit(candidates, message, m_parent);
}

bool ZRDialogExchangeUi::askSurveyAssociations(int, const QModelIndexList&, QList<SurveyAssociation>&)
{
    // The survey association dialog comes with the horizon and fault export.
    ZREventBus::sendMessage(eDrawError, "The survey association dialog is not available in this version.", false);
    return false;
}

bool ZRDialogExchangeUi::askWellListAssociations(const QVector<int>&, QMap<int, QString>&)
{
    // The well list association dialog comes with the well export.
    ZREventBus::sendMessage(eDrawError, "The well list association dialog is not available in this version.", false);
    return false;
}

void ZRDialogExchangeUi::showWellProblems(const WellProblemList& problems)
{
    ZROpenworksWellErrorsDialog dialog(problems, m_parent);
    dialog.exec();
}
