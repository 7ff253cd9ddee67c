#include "zrexportwellscommand.h"

#include "owguards.h"
#include "owwelllists.h"
#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zrproject.h"
#include "zrwellexport.h"

QString ZRExportWellsCommand::summary() const
{
    return QStringLiteral("export host wells into OpenWorks® wells and well lists");
}

bool ZRExportWellsCommand::selectionFor(const ZRLogDatabase& database, const QString& name,
                                        WellExportSelection* selection)
{
    for (const ZRWellSet* wellSet : database.wellSets()) {
        if (wellSet->name() == name) {
            selection->kind = WellExportSelection::WellSet;
            selection->id = wellSet->id();
            selection->parentWellSetId = -1;
            return true;
        }
    }
    if (const ZRWell* well = database.findWell(name)) {
        selection->kind = WellExportSelection::Well;
        selection->id = well->id();
        selection->parentWellSetId = -1;
        return true;
    }
    return false;
}

int ZRExportWellsCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(),
                      QStringLiteral("Exports host wells into the OpenWorks® project: the well header, its "
                                     "trajectory (position log), time-depth relations, logs (log curves in log "
                                     "curve lists named after their log sets) and markers (surface picks), and "
                                     "its membership in an OpenWorks® well list. A well set named on the command "
                                     "line exports all its wells into the list of its name (created when "
                                     "missing); a well of exactly one host well set joins that set's list; every "
                                     "other well joins the list of --well-list or --new-well-list."));
    const QCommandLineOption wellList(QStringLiteral("well-list"),
                                      QStringLiteral("The existing OpenWorks® well list that the wells without "
                                                     "a list of their own join."),
                                      QStringLiteral("name"));
    const QCommandLineOption newWellList(QStringLiteral("new-well-list"),
                                         QStringLiteral("A new OpenWorks® well list, created for the wells without "
                                                        "a list of their own (interpreter UNKN)."),
                                         QStringLiteral("name"));
    run.parser().addOption(wellList);
    run.parser().addOption(newWellList);
    run.parser().addPositionalArgument(QStringLiteral("wells"),
                                       QStringLiteral("Wells to export: host well names, or well set names."),
                                       QStringLiteral("wells..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one well or well set."));
    if (run.parser().isSet(wellList) && run.parser().isSet(newWellList))
        return run.usageError(QStringLiteral("give --well-list or --new-well-list, not both."));
    const QString existing = run.parser().value(wellList);
    const QString created = run.parser().value(newWellList);
    if (run.parser().isSet(wellList) && existing.isEmpty())
        return run.usageError(QStringLiteral("--well-list needs a name."));
    if (run.parser().isSet(newWellList) && created.isEmpty())
        return run.usageError(QStringLiteral("--new-well-list needs a name."));
    if (!run.open(true))
        return ExitUsage;

    // The list named must exist (--well-list) or not yet (--new-well-list).
    QVector<gdiWellList_t> lists;
    const int status = owwelllists::readWellLists(&lists);
    if (status != 0 && status != GDI_NO_DATA) {
        ZRHeadlessOutput::message(QStringLiteral("error: the well lists cannot be read: %1").arg(owErrorText(status)));
        return ExitUsage;
    }
    const QString project = run.session().openWorks()->projectName();
    if (!existing.isEmpty() && !owwelllists::findWellList(lists, existing)) {
        ZRHeadlessOutput::message(QStringLiteral("error: no well list \"%1\" in project %2 (use --new-well-list to "
                                                 "create one).")
                                      .arg(existing, project));
        return ExitUsage;
    }
    if (!created.isEmpty() && owwelllists::findWellList(lists, owwelllists::listNameFor(created))) {
        ZRHeadlessOutput::message(QStringLiteral("error: the well list \"%1\" exists in project %2 (use --well-list "
                                                 "to add wells to it).")
                                      .arg(owwelllists::listNameFor(created), project));
        return ExitUsage;
    }
    run.ui().setWellListAnswer(existing, created);

    const ZRLogDatabase& database = *run.session().wellDatabase();
    QVector<WellExportSelection> selection;
    int unmatched = 0;
    for (const QString& item : names) {
        WellExportSelection entry;
        if (!selectionFor(database, item, &entry)) {
            ++unmatched;
            ZRHeadlessOutput::message(QStringLiteral("error: no well or well set \"%1\" in host project %2.")
                                          .arg(item, run.session().hostProject()->projectPath()));
            continue;
        }
        selection.append(entry);
    }
    int requested = 0;
    const int exported = selection.isEmpty() ? 0 : exportWells(run.context(), selection, &requested);
    return run.finish(requested + unmatched, exported, QStringLiteral("wells exported"));
}
