#pragma once

#include "zrexchangeui.h"

#include <QQueue>

/// A ZRExchangeUi that answers from queues set up in advance and records what
/// it was shown. For tests and the headless front end. An empty queue gives the
/// declining answer (Skip, no unit, cancel).
class ZRScriptedExchangeUi : public ZRExchangeUi
{
public:
    struct Message
    {
        MessageKind kind;
        QString title;
        QString text;
    };

    void showMessage(MessageKind kind, const QString& title, const QString& text) override;
    FileConflictAnswer askFileConflict(const QString& existingFilePath) override;
    int askUnit(const QList<int>& candidates, const QString& message, int noUnit) override;
    bool askSurveyAssociations(int mode, const QModelIndexList& items,
                               QList<SurveyAssociation>& associations) override;
    bool askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations) override;
    void showWellProblems(const WellProblemList& problems) override;

    // Answers, consumed in order.
    QQueue<FileConflictAnswer> fileConflictAnswers;
    QQueue<int> unitAnswers;
    QQueue<QList<SurveyAssociation>> surveyAnswers;
    QQueue<QMap<int, QString>> wellListAnswers;

    // What was asked and shown.
    QList<Message> messages;
    QStringList fileConflicts;
    QStringList unitQuestions;
    QList<WellProblemList> wellProblems;
};
