#include "zrimporthorizonscommand.h"

#include "zrcatalogueselection.h"
#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zrhorizonimport.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"

namespace
{

const QString kAttributeSeparator = QStringLiteral("::");

} // namespace

QString ZRImportHorizonsCommand::summary() const
{
    return QStringLiteral("import OpenWorks® horizons as host horizons");
}

QVector<int> ZRImportHorizonsCommand::rowsForName(const QAbstractItemModel& horizonModel, const QString& name)
{
    const int separator = name.lastIndexOf(kAttributeSeparator);
    const QString horizon = separator >= 0 ? name.left(separator) : name;
    const QString attribute = separator >= 0 ? name.mid(separator + kAttributeSeparator.size()) : QString();
    QVector<int> rows;
    for (int row = 0; row < horizonModel.rowCount(); ++row) {
        const QString rowName = horizonModel.index(row, ZROpenworksHorizonModel::HorizonNameColumn).data().toString();
        const QString rowAttribute =
            horizonModel.index(row, ZROpenworksHorizonModel::HiddenAttributeColumn).data().toString();
        if (rowName == horizon && (separator < 0 || rowAttribute == attribute))
            rows.append(row);
    }
    // A horizon whose own name holds "::" is still found by its whole name.
    if (rows.isEmpty() && separator >= 0)
        for (int row = 0; row < horizonModel.rowCount(); ++row)
            if (horizonModel.index(row, ZROpenworksHorizonModel::HorizonNameColumn).data().toString() == name)
                rows.append(row);
    return rows;
}

int ZRImportHorizonsCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(), QStringLiteral("Imports OpenWorks® horizons into the horizon folder of a host project: one "
                                             "horizon file per survey in which the horizon holds data (the first "
                                             "survey's under the horizon's name, each further one's under the name "
                                             "followed by \" (SURVEY)\")."));
    run.addConflictOption();
    run.parser().addPositionalArgument(QStringLiteral("horizons"),
                                       QStringLiteral("Horizons to import: \"NAME\", or \"NAME::ATTRIBUTE\" when "
                                                      "several attributes share the name."),
                                       QStringLiteral("horizons..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one horizon."));
    if (!run.open())
        return ExitUsage;

    ZROpenworksHorizonModel catalogue;
    run.loadCatalogue(catalogue);
    const QVector<int> rows = run.rowsForNames(
        names, [&](const QString& name) { return rowsForName(catalogue, name); }, QStringLiteral("horizon"),
        [&](const QString& name, const QVector<int>& matches) {
            QStringList choices;
            for (int row : matches)
                choices.append(catalogue.index(row, ZROpenworksHorizonModel::HorizonNameColumn).data().toString()
                               + kAttributeSeparator
                               + catalogue.index(row, ZROpenworksHorizonModel::HiddenAttributeColumn).data().toString());
            return QStringLiteral("\"%1\" names several horizons; name one of: %2")
                .arg(name, choices.join(QStringLiteral(", ")));
        });

    const QVector<HorizonImportRequest> requests = horizonImportRequestsFromRows(catalogue, uniqueRows(rows));
    const int imported = requests.isEmpty() ? 0 : importHorizons(run.context(), requests);
    return run.finish(names.size(), imported, QStringLiteral("horizons imported"));
}
