#pragma once

#include "zrsurveyexportcommand.h"

/// `export-horizons`: host horizons written into an OpenWorks® 3D survey as
/// new horizons, as the window's export arrow does on the horizon page.
class ZRExportHorizonsCommand : public ZRSurveyExportCommand
{
public:
    QString name() const override { return QStringLiteral("export-horizons"); }
    QString summary() const override;

protected:
    int objectType() const override;
    QString noun() const override { return QStringLiteral("horizon"); }
    QString description() const override;
    int exportItems(const ZRExchangeContext& context, const QModelIndexList& items) const override;
};
