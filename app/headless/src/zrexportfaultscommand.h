#pragma once

#include "zrsurveyexportcommand.h"

/// `export-faults`: host fault-stick files written into an OpenWorks® 3D
/// survey as new faults, as the window's export arrow does on the fault page.
class ZRExportFaultsCommand : public ZRSurveyExportCommand
{
public:
    QString name() const override { return QStringLiteral("export-faults"); }
    QString summary() const override;

protected:
    int objectType() const override;
    QString noun() const override { return QStringLiteral("fault"); }
    QString description() const override;
    int exportItems(const ZRExchangeContext& context, const QModelIndexList& items) const override;
};
