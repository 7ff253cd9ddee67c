#pragma once

#include "zrheadlesscommand.h"

#include <QVector>

class QAbstractItemModel;

/// `import-horizons`: OpenWorks horizons named on the command line ("NAME", or
/// "NAME::ATTRIBUTE" when several attributes share the name) become horizons
/// of the host project, one file per survey holding data, as the window's
/// import arrow does on the Horizons page.
class ZRImportHorizonsCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("import-horizons"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The catalogue rows a name selects: "NAME::ATTRIBUTE" (that attribute of
    /// the horizon), or "NAME" (every attribute of the horizon).
    static QVector<int> rowsForName(const QAbstractItemModel& horizonModel, const QString& name);
};
