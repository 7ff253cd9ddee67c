#include "zrexporthorizonscommand.h"

#include "zrhorizonexport.h"
#include "zrproject.h"

QString ZRExportHorizonsCommand::summary() const
{
    return QStringLiteral("export host horizons into an OpenWorks® 3D survey");
}

int ZRExportHorizonsCommand::objectType() const
{
    return ZRProject::HorizonType;
}

QString ZRExportHorizonsCommand::description() const
{
    return QStringLiteral("Exports host horizons into a 3D survey of the OpenWorks® project: each horizon file "
                          "becomes a new OpenWorks® horizon named after the file (up to its first dot), its nodes "
                          "placed on the survey's lines and traces.");
}

int ZRExportHorizonsCommand::exportItems(const ZRExchangeContext& context, const QModelIndexList& items) const
{
    return exportHorizons(context, items);
}
