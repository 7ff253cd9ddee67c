#include "zrexportfaultscommand.h"

#include "zrfaultexport.h"
#include "zrproject.h"

QString ZRExportFaultsCommand::summary() const
{
    return QStringLiteral("export host fault-stick files into an OpenWorks® 3D survey");
}

int ZRExportFaultsCommand::objectType() const
{
    return ZRProject::FaultType;
}

QString ZRExportFaultsCommand::description() const
{
    return QStringLiteral("Exports host fault-stick files into a 3D survey of the OpenWorks® project: per stick "
                          "array of a file a new fault and fault plane named after the file (up to its first dot; "
                          "\"_1\", \"_2\", ... when it holds several), one segment per stick.");
}

int ZRExportFaultsCommand::exportItems(const ZRExchangeContext& context, const QModelIndexList& items) const
{
    return exportFaults(context, items);
}
