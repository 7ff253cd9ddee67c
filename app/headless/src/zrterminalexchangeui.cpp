#include "zrterminalexchangeui.h"

#include "unittable.h"
#include "owguards.h"
#include "owwelllists.h"
#include "zrheadlessoutput.h"
#include "zrwellexport.h"

#include <QDir>
#include <QFileInfo>

bool ZRTerminalExchangeUi::parseConflictRule(const QString& text, ConflictRule* rule)
{
    if (text == QLatin1String("skip")) {
        *rule = ConflictRule{FileConflictAnswer::Skip, QString()};
        return true;
    }
    if (text == QLatin1String("overwrite")) {
        *rule = ConflictRule{FileConflictAnswer::Overwrite, QString()};
        return true;
    }
    const QString prefix = QStringLiteral("rename:");
    if (text.startsWith(prefix) && text.size() > prefix.size()) {
        *rule = ConflictRule{FileConflictAnswer::NewName, text.mid(prefix.size())};
        return true;
    }
    return false;
}

QString ZRTerminalExchangeUi::renamedFileName(const QString& existingFilePath, const QString& pattern)
{
    const QFileInfo existing(existingFilePath);
    const QDir folder = existing.absoluteDir();
    const bool counted = pattern.contains(QLatin1String("%2"));
    for (int n = 1; n <= 10000; ++n) {
        QString name = pattern;
        name.replace(QLatin1String("%1"), existing.fileName());
        name.replace(QLatin1String("%2"), QString::number(n));
        if (!name.isEmpty() && !folder.exists(name))
            return name;
        if (!counted)
            break;
    }
    return QString();
}

void ZRTerminalExchangeUi::showMessage(MessageKind kind, const QString& title, const QString& text)
{
    ZRHeadlessOutput::message(QStringLiteral("box %1 \"%2\": %3").arg(kindName(kind), title, text));
}

ZRExchangeUi::FileConflictAnswer ZRTerminalExchangeUi::askFileConflict(const QString& existingFilePath)
{
    FileConflictAnswer answer;
    answer.choice = m_conflictRule.choice;
    QString said;
    switch (m_conflictRule.choice) {
    case FileConflictAnswer::Skip:
        said = QStringLiteral("skip");
        break;
    case FileConflictAnswer::Overwrite:
        said = QStringLiteral("overwrite");
        break;
    case FileConflictAnswer::NewName:
        answer.newFileName = renamedFileName(existingFilePath, m_conflictRule.pattern);
        if (answer.newFileName.isEmpty()) {
            answer.choice = FileConflictAnswer::Skip;
            said = QStringLiteral("skip (the rename rule gives no free name)");
        } else {
            said = QStringLiteral("new name \"%1\"").arg(answer.newFileName);
        }
        break;
    }
    ZRHeadlessOutput::message(
        QStringLiteral("question \"File Conflict\": %1 already exists -> %2").arg(existingFilePath, said));
    return answer;
}

int ZRTerminalExchangeUi::askUnit(const QList<int>& candidates, const QString& message, int noUnit)
{
    int answer = noUnit;
    for (const QString& name : m_unitAnswers) {
        const int unit = UnitTable::unitFromName(name);
        if (candidates.contains(unit)) {
            answer = unit;
            break;
        }
    }
    QStringList names;
    for (int unit : candidates)
        names.append(UnitTable::unitName(unit));
    ZRHeadlessOutput::message(QStringLiteral("question \"Unit Selection\": %1 [%2] -> %3")
                                  .arg(message, names.join(QStringLiteral(", ")),
                                       answer == noUnit ? QStringLiteral("no unit (give one with --unit)")
                                                        : UnitTable::unitName(answer)));
    return answer;
}

void ZRTerminalExchangeUi::setSurveyAssociation(SurveyOrigin origin, const QString& survey)
{
    m_surveyOrigin = survey.isEmpty() ? SurveyOrigin::None : origin;
    m_survey = survey;
}

bool ZRTerminalExchangeUi::askSurveyAssociations(int mode, const QModelIndexList& items,
                                                 QList<SurveyAssociation>& associations)
{
    const QString what = mode == 0 ? QStringLiteral("horizons") : QStringLiteral("faults");
    if (m_surveyOrigin == SurveyOrigin::None) {
        ZRHeadlessOutput::message(QStringLiteral("question \"Survey Association\": %1 %2 -> cancel (give the survey "
                                                 "with --survey or --survey-volume)")
                                      .arg(items.size())
                                      .arg(what));
        return false;
    }
    associations.clear();
    for (const QModelIndex& item : items)
        associations.append(SurveyAssociation{item, m_surveyOrigin, m_survey});
    ZRHeadlessOutput::message(
        QStringLiteral("question \"Survey Association\": %1 %2 -> %3")
            .arg(items.size())
            .arg(what)
            .arg(m_surveyOrigin == SurveyOrigin::OpenWorksSurvey
                     ? QStringLiteral("OpenWorks® survey \"%1\"").arg(m_survey)
                     : QStringLiteral("host volume \"%1\" (its survey, exported from it when OpenWorks® has none)")
                           .arg(QDir::toNativeSeparators(m_survey))));
    return true;
}

bool ZRTerminalExchangeUi::askWellListAssociations(const QVector<int>& wellIds, QMap<int, QString>& associations)
{
    const QString question = QStringLiteral("question \"Well List Association\": %1 well(s) without a well list -> ")
                                 .arg(wellIds.size());
    QString list = m_existingWellList;
    if (list.isEmpty() && !m_newWellList.isEmpty()) {
        list = owwelllists::listNameFor(m_newWellList);
        if (!m_dryRun) {
            const int status = owwelllists::createWellList(list, wellexport::CreatedListInterpreter);
            if (status == GDI_DUPLICATE) {
                ZRHeadlessOutput::message(QStringLiteral("note: the well list \"%1\" exists already; the wells join it.")
                                              .arg(list));
            } else if (status != 0) {
                ZRHeadlessOutput::message(question
                                          + QStringLiteral("cancel (the well list \"%1\" cannot be created: %2)")
                                                .arg(list, owErrorText(status)));
                return false;
            }
        }
    }
    if (list.isEmpty()) {
        ZRHeadlessOutput::message(question + QStringLiteral("cancel (give --well-list or --new-well-list)"));
        return false;
    }
    for (int id : wellIds)
        associations.insert(id, list);
    ZRHeadlessOutput::message(question
                              + (list == m_existingWellList
                                     ? QStringLiteral("well list \"%1\"").arg(list)
                                     : QStringLiteral("new well list \"%1\"%2")
                                           .arg(list, m_dryRun ? QStringLiteral(" (not created: dry run)") : QString())));
    return true;
}

void ZRTerminalExchangeUi::showWellProblems(const WellProblemList& problems)
{
    // One block per well: its label, then each message on a line of its own.
    for (const auto& problem : problems) {
        QString text = QStringLiteral("well problems \"%1\":").arg(problem.first);
        for (const QString& message : problem.second)
            text += QStringLiteral("\n      ") + message;
        if (problem.second.isEmpty())
            text += QStringLiteral(" (no message)");
        ZRHeadlessOutput::message(text);
    }
}

QString ZRTerminalExchangeUi::kindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return QStringLiteral("information");
    case MessageKind::Warning: return QStringLiteral("warning");
    case MessageKind::Critical: return QStringLiteral("critical");
    }
    return QString();
}
