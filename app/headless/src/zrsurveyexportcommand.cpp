#include "zrsurveyexportcommand.h"

#include "zrexportvolumescommand.h"
#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zrhostitemlist.h"
#include "zrproject.h"

#include <QDir>
#include <QFileInfo>

QString ZRSurveyExportCommand::hostFileFor(const ZRProject& project, const QString& argument, int objectType)
{
    if (argument.isEmpty())
        return QString();
    const QFileInfo given(argument);
    if (given.isFile())
        return given.absoluteFilePath();
    // A bare name: one path component, looked up in the folder of the type.
    if (argument.contains(QLatin1Char('/')) || argument.contains(QDir::separator()))
        return QString();
    const QString folder = project.directoryForType(objectType);
    if (folder.isEmpty())
        return QString();
    const QFileInfo candidate(QDir(folder).filePath(argument));
    return candidate.isFile() ? candidate.absoluteFilePath() : QString();
}

int ZRSurveyExportCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(), description());
    const QCommandLineOption survey(QStringLiteral("survey"),
                                    QStringLiteral("The OpenWorks® 3D survey to write into, by name."),
                                    QStringLiteral("name"));
    const QCommandLineOption surveyVolume(
        QStringLiteral("survey-volume"),
        QStringLiteral("A host volume (its path, or its file name in the project's volume folders) whose survey to "
                       "write into: the OpenWorks® survey named after it, made from it by a volume export when "
                       "there is none."),
        QStringLiteral("file"));
    run.parser().addOption(survey);
    run.parser().addOption(surveyVolume);
    run.parser().addPositionalArgument(
        noun() + QStringLiteral("s"),
        QStringLiteral("%1 files to export: their paths, or their file names in the project's %2 folder.")
            .arg(noun().left(1).toUpper() + noun().mid(1), noun()),
        noun() + QStringLiteral("s..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one %1.").arg(noun()));
    if (run.parser().isSet(survey) == run.parser().isSet(surveyVolume)
        || (run.parser().isSet(survey) && run.parser().value(survey).isEmpty())
        || (run.parser().isSet(surveyVolume) && run.parser().value(surveyVolume).isEmpty()))
        return run.usageError(QStringLiteral("give the survey to write into: --survey NAME (an OpenWorks® survey) or "
                                             "--survey-volume FILE (a host volume exported as the survey), one of "
                                             "them."));
    if (!run.open())
        return ExitUsage;
    const ZRProject& project = *run.session().hostProject();

    if (run.parser().isSet(surveyVolume)) {
        const QString volume = ZRExportVolumesCommand::volumeFileFor(project, run.parser().value(surveyVolume));
        if (volume.isEmpty()) {
            ZRHeadlessOutput::message(QStringLiteral("error: no volume \"%1\" in host project %2.")
                                          .arg(run.parser().value(surveyVolume), project.projectPath()));
            return ExitUsage;
        }
        run.ui().setSurveyAssociation(SurveyOrigin::HostVolume, volume);
    } else {
        run.ui().setSurveyAssociation(SurveyOrigin::OpenWorksSurvey, run.parser().value(survey));
    }

    ZRHostItemList items;
    for (const QString& name : names) {
        const QString file = hostFileFor(project, name, objectType());
        if (file.isEmpty()) {
            ZRHeadlessOutput::message(
                QStringLiteral("error: no %1 \"%2\" in host project %3.").arg(noun(), name, project.projectPath()));
            continue;
        }
        items.addFile(file, objectType());
    }
    const int exported = items.rowCount() == 0 ? 0 : exportItems(run.context(), items.items());
    return run.finish(names.size(), exported, noun() + QStringLiteral("s exported"));
}
