#pragma once

#include "zrexchangeui.h"

#include <QStringList>

/// The headless front end's way of talking to the user: message boxes are
/// printed as `box <kind> "<title>": <text>`; questions are printed with the
/// answer given in advance on the command line.
class ZRTerminalExchangeUi : public ZRExchangeUi
{
public:
    /// What to do when a target file exists.
    struct ConflictRule
    {
        FileConflictAnswer::Choice choice = FileConflictAnswer::Skip;
        /// With NewName: the new file name; "%1" is the existing file's name,
        /// "%2" a number counted from 1 until the name is free.
        QString pattern;
    };

    /// Parses "skip", "overwrite" or "rename:PATTERN"; false for anything else.
    static bool parseConflictRule(const QString& text, ConflictRule* rule);

    void setConflictRule(const ConflictRule& rule) { m_conflictRule = rule; }
    /// Host unit names offered, in order, when the project's unit is not supported.
    void setUnitAnswers(const QStringList& unitNames) { m_unitAnswers = unitNames; }
    /// The survey every item of an export is associated with: an OpenWorks
    /// survey by name (--survey), or a host volume by its full path
    /// (--survey-volume). With SurveyOrigin::None the question is declined.
    void setSurveyAssociation(SurveyOrigin origin, const QString& survey);
    /// The answer to the well list question: every well put aside joins the
    /// existing list existingList, or the list newList, created (through
    /// owwelllists::createWellList, interpreter "UNKN") when the question is
    /// asked, unless in a dry run. Both empty: the question is declined.
    void setWellListAnswer(const QString& existingList, const QString& newList)
    {
        m_existingWellList = existingList;
        m_newWellList = newList;
    }
    /// A dry run: answers are given as planned, nothing is created.
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }

    /// The name a rename pattern gives for an existing file (empty when none is free).
    static QString renamedFileName(const QString& existingFilePath, const QString& pattern);

    void showMessage(MessageKind kind, const QString& title, const QString& text) override;
    FileConflictAnswer askFileConflict(const QString& existingFilePath) override;
    int askUnit(const QList<int>& candidates, const QString& message, int noUnit) override;
    bool askSurveyAssociations(int mode, const QModelIndexList& items,
                               QList<SurveyAssociation>& associations) override;
    bool askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations) override;
    void showWellProblems(const WellProblemList& problems) override;

    static QString kindName(MessageKind kind);

private:
    ConflictRule m_conflictRule;
    QStringList m_unitAnswers;
    SurveyOrigin m_surveyOrigin = SurveyOrigin::None;
    QString m_survey;
    QString m_existingWellList;
    QString m_newWellList;
    bool m_dryRun = false;
};
