#pragma once

#include "zrheadlesscommand.h"

#include <QVector>

class QAbstractItemModel;

/// `import-wells`: OpenWorks wells named on the command line (by well name,
/// common well name or UWI) or listed in OpenWorks well lists (--well-list)
/// become wells of the host project's well database, with their trajectories,
/// logs, time-depth tables and picks, as the window's import arrow does.
class ZRImportWellsCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("import-wells"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The catalogue rows of the wells a name selects: rows whose UWI, well
    /// number or common well name equals it, one row per well (its first).
    static QVector<int> rowsForName(const QAbstractItemModel& wellModel, const QString& name);
    /// The catalogue rows of a well list's wells.
    static QVector<int> rowsOfWellList(const QAbstractItemModel& wellModel, const QString& wellList);
};
