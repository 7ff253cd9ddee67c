#include "zrscriptedexchangeui.h"

void ZRScriptedExchangeUi::showMessage(MessageKind kind, const QString& title, const QString& text)
{
    messages.append({kind, title, text});
}

ZRExchangeUi::FileConflictAnswer ZRScriptedExchangeUi::askFileConflict(const QString& existingFilePath)
{
    fileConflicts.append(existingFilePath);
    return fileConflictAnswers.isEmpty() ? FileConflictAnswer{} : fileConflictAnswers.dequeue();
}

int ZRScriptedExchangeUi::askUnit(const QList<int>& candidates, const QString& message, int noUnit)
{
    unitQuestions.append(message);
    if (unitAnswers.isEmpty())
        return noUnit;
    const int answer = unitAnswers.dequeue();
    return candidates.contains(answer) ? answer : noUnit;
}

bool ZRScriptedExchangeUi::askSurveyAssociations(int, const QModelIndexList&, QList<SurveyAssociation>& associations)
{
    if (surveyAnswers.isEmpty())
        return false;
    associations = surveyAnswers.dequeue();
    return true;
}

bool ZRScriptedExchangeUi::askWellListAssociations(const QVector<int>&, QMap<int, QString>& associations)
{
    if (wellListAnswers.isEmpty())
        return false;
    associations = wellListAnswers.dequeue();
    return true;
}

void ZRScriptedExchangeUi::showWellProblems(const WellProblemList& problems)
{
    wellProblems.append(problems);
}
