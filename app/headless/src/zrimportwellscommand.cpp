#include "zrimportwellscommand.h"

#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrwellimport.h"

#include <QSet>

namespace
{

QString cell(const QAbstractItemModel& model, int row, int column)
{
    return model.index(row, column).data().toString();
}

} // namespace

QString ZRImportWellsCommand::summary() const
{
    return QStringLiteral("import OpenWorks® wells into the host well database");
}

QVector<int> ZRImportWellsCommand::rowsForName(const QAbstractItemModel& wellModel, const QString& name)
{
    QVector<int> rows;
    QSet<QString> wellKeys;
    for (int row = 0; row < wellModel.rowCount(); ++row) {
        const bool matches = cell(wellModel, row, ZROpenworksWellModel::UwiColumn) == name
                             || cell(wellModel, row, ZROpenworksWellModel::WellNumberColumn) == name
                             || cell(wellModel, row, ZROpenworksWellModel::CommonWellNameColumn) == name;
        const QString key = cell(wellModel, row, ZROpenworksWellModel::WellKeyColumn);
        if (matches && !wellKeys.contains(key)) {
            wellKeys.insert(key);
            rows.append(row);
        }
    }
    return rows;
}

QVector<int> ZRImportWellsCommand::rowsOfWellList(const QAbstractItemModel& wellModel, const QString& wellList)
{
    QVector<int> rows;
    for (int row = 0; row < wellModel.rowCount(); ++row) {
        if (cell(wellModel, row, ZROpenworksWellModel::WellListColumn) == wellList)
            rows.append(row);
    }
    return rows;
}

int ZRImportWellsCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(), QStringLiteral("Imports OpenWorks® wells into the well database of a host project: "
                                             "headers, trajectories, time-depth tables, logs and surface picks."));
    run.addUnitOption();
    const QCommandLineOption wellList(QStringLiteral("well-list"),
                                      QStringLiteral("Imports every well of this OpenWorks® well list (the list "
                                                     "names the host well set); may be repeated."),
                                      QStringLiteral("name"));
    run.parser().addOption(wellList);
    run.parser().addPositionalArgument(
        QStringLiteral("wells"), QStringLiteral("Wells to import: a well name (well number), a common well name or a UWI."),
        QStringLiteral("[wells...]"));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    QStringList lists = run.parser().values(wellList);
    lists.removeDuplicates();
    if (names.isEmpty() && lists.isEmpty())
        return run.usageError(QStringLiteral("name at least one well or one --well-list."));
    if (!run.open(true))
        return ExitUsage;

    ZROpenworksWellModel catalogue;
    run.loadCatalogue(catalogue);

    // One row per well: the first way it was named decides its list (its host well set).
    QVector<int> rows;
    QSet<QString> chosenKeys;
    int unmatched = 0;
    auto take = [&](int row) {
        const QString key = cell(catalogue, row, ZROpenworksWellModel::WellKeyColumn);
        if (chosenKeys.contains(key))
            return;
        chosenKeys.insert(key);
        rows.append(row);
    };
    const QString project = run.session().openWorks()->projectName();
    for (const QString& list : lists) {
        const QVector<int> members = rowsOfWellList(catalogue, list);
        if (members.isEmpty()) {
            ++unmatched;
            ZRHeadlessOutput::message(
                QStringLiteral("error: no well list \"%1\" with wells in project %2.").arg(list, project));
        }
        for (int row : members)
            take(row);
    }
    const QVector<int> named = run.rowsForNames(
        names, [&](const QString& name) { return rowsForName(catalogue, name); }, QStringLiteral("well"),
        [&](const QString& name, const QVector<int>& matches) {
            QStringList choices;
            for (int row : matches)
                choices.append(cell(catalogue, row, ZROpenworksWellModel::UwiColumn));
            return QStringLiteral("\"%1\" names several wells; name one by its UWI: %2")
                .arg(name, choices.join(QStringLiteral(", ")));
        },
        &unmatched);
    for (int row : named)
        take(row);

    const QVector<WellImportItem> items = wellImportItemsFromRows(catalogue, rows);
    const int imported = items.isEmpty() ? 0 : importWells(run.context(), items);
    return run.finish(items.size() + unmatched, imported, QStringLiteral("wells imported"));
}
