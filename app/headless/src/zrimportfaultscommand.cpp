#include "zrimportfaultscommand.h"

#include "zrcatalogueselection.h"
#include "zrfaultimport.h"
#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"

QString ZRImportFaultsCommand::summary() const
{
    return QStringLiteral("import OpenWorks® faults as host fault-stick files");
}

QVector<int> ZRImportFaultsCommand::rowsForName(const QAbstractItemModel& faultModel, const QString& name)
{
    QVector<int> rows;
    for (int row = 0; row < faultModel.rowCount(); ++row)
        if (faultModel.index(row, ZROpenworksFaultModel::NameColumn).data().toString() == name)
            rows.append(row);
    return rows;
}

int ZRImportFaultsCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(), QStringLiteral("Imports OpenWorks® faults into the fault folder of a host project, one "
                                             "fault-stick file per fault."));
    run.addConflictOption();
    run.parser().addPositionalArgument(QStringLiteral("faults"), QStringLiteral("Faults to import, by name."),
                                       QStringLiteral("faults..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one fault."));
    if (!run.open())
        return ExitUsage;

    ZROpenworksFaultModel catalogue;
    run.loadCatalogue(catalogue);
    const QVector<int> rows = run.rowsForNames(
        names, [&](const QString& name) { return rowsForName(catalogue, name); }, QStringLiteral("fault"),
        [](const QString& name, const QVector<int>& matches) {
            return QStringLiteral("\"%1\" names %2 faults; rename them in OpenWorks® or import them from the window.")
                .arg(name)
                .arg(matches.size());
        });

    const QVector<FaultImportRequest> requests = faultImportRequestsFromRows(catalogue, uniqueRows(rows));
    const int imported = requests.isEmpty() ? 0 : importFaults(run.context(), requests);
    return run.finish(names.size(), imported, QStringLiteral("faults imported"));
}
