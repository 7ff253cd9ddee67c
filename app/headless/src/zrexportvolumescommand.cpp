#include "zrexportvolumescommand.h"

#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrvolumeexport.h"

#include <QDir>
#include <QFileInfo>

QString ZRExportVolumesCommand::summary() const
{
    return QStringLiteral("export host volumes as new OpenWorks® 3D surveys with one seismic data set each");
}

QString ZRExportVolumesCommand::volumeFileFor(const ZRProject& project, const QString& argument)
{
    if (argument.isEmpty())
        return QString();
    const QFileInfo given(argument);
    if (given.isFile())
        return given.absoluteFilePath();
    // A bare name: one path component, looked up in the volume folders.
    if (argument.contains(QLatin1Char('/')) || argument.contains(QDir::separator()))
        return QString();
    for (int objectType : {int(ZRProject::VolumeType), int(ZRProject::VolumeAttributeType)}) {
        const QString folder = project.directoryForType(objectType);
        if (folder.isEmpty())
            continue;
        const QFileInfo candidate(QDir(folder).filePath(argument));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
}

int ZRExportVolumesCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(),
                      QStringLiteral("Exports host volumes into the OpenWorks® project: each volume becomes a "
                                     "new 3D survey named after it (\"_\" read as a space, 40 characters at "
                                     "most) holding one seismic data set \"<survey>_1\"."));
    run.parser().addPositionalArgument(
        QStringLiteral("volumes"),
        QStringLiteral("Volumes to export: volume files, or names of volumes in the host project's volume folders."),
        QStringLiteral("volumes..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one volume."));
    if (!run.open())
        return ExitUsage;

    QStringList files;
    for (const QString& volume : names) {
        const QString file = volumeFileFor(*run.session().hostProject(), volume);
        if (file.isEmpty()) {
            ZRHeadlessOutput::message(QStringLiteral("error: no volume \"%1\" in host project %2.")
                                          .arg(volume, run.session().hostProject()->projectPath()));
            continue;
        }
        if (!files.contains(file))
            files.append(file);
    }

    // The catalogue the new surveys are added to, as the window's browser holds it.
    ZROpenworksSurveyModel catalogue;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading OpenWorks® Data"));
        catalogue.loadFromOpenworks(reading.id());
        reading.increment(1);
    }
    ZRExchangeContext context = run.context();
    context.surveyModel = &catalogue;
    const int exported = files.isEmpty() ? 0 : exportSurveys(context, files);
    return run.finish(names.size(), exported, QStringLiteral("volumes exported"));
}
