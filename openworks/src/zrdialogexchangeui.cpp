#include "zrdialogexchangeui.h"

#include "unitselection.h"
#include "zreventbus.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfileexistsdialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkssurveysupportdialog.h"
#include "zropenworkswellerrorsdialog.h"
#include "zropenworkswelllistsupportdialog.h"

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

bool ZRDialogExchangeUi::askSurveyAssociations(int mode, const QModelIndexList& items,
                                               QList<SurveyAssociation>& associations)
{
    // The exchange window gives the host project and the OpenWorks survey catalogue.
    const auto* window = qobject_cast<const ZROpenworksExchangeDialog*>(m_parent.data());
    const ZRProject* project = window ? window->project() : nullptr;
    QAbstractItemModel* surveys =
        window && window->projectBrowser() ? window->projectBrowser()->surveyModel() : nullptr;
    ZROpenworksSurveySupportDialog dialog(mode, project, surveys, nullptr, items, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QMap<QModelIndex, ZROpenworksSurveySupportDialog::Association> chosen = dialog.associations();
    associations.clear();
    for (const QModelIndex& item : items) {
        const auto it = chosen.constFind(item);
        if (it != chosen.constEnd())
            associations.append(SurveyAssociation{item, it->first, it->second});
    }
    return true;
}

bool ZRDialogExchangeUi::askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations)
{
    // The wells are those of the exchange window's well database.
    const auto* window = qobject_cast<const ZROpenworksExchangeDialog*>(m_parent.data());
    ZROpenworksWellListSupportDialog dialog(window ? window->wellDatabase() : nullptr, wellIds, associations,
                                            m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    associations = dialog.associations();
    return true;
}

void ZRDialogExchangeUi::showWellProblems(const WellProblemList& problems)
{
    ZROpenworksWellErrorsDialog dialog(problems, m_parent);
    dialog.exec();
}
