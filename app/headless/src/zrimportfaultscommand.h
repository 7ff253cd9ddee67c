#pragma once

#include "zrheadlesscommand.h"

#include <QVector>

class QAbstractItemModel;

/// `import-faults`: OpenWorks faults named on the command line become
/// fault-stick files of the host project, as the window's import arrow does on
/// the Faults page.
class ZRImportFaultsCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("import-faults"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The catalogue rows of the faults of that name.
    static QVector<int> rowsForName(const QAbstractItemModel& faultModel, const QString& name);
};
