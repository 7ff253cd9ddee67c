#include "unitpreferences.h"

#include <QSettings>

namespace georef
{

namespace
{

int preferredUnit(const QSettings& settings, const QString& key, int fallback, bool time)
{
    bool isNumber = false;
    const int unit = settings.value(key).toInt(&isNumber);
    if (!isNumber || !UnitTable::info(unit) || UnitTable::isTimeUnit(unit) != time)
        return fallback;
    return unit;
}

} // namespace

UnitPreferences UnitPreferences::read()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat"));
    settings.beginGroup(QStringLiteral("Units"));
    UnitPreferences preferences;
    preferences.spatialUnit = preferredUnit(settings, QStringLiteral("SpatialMetric"), Meter, false);
    preferences.verticalTimeUnit = preferredUnit(settings, QStringLiteral("VerticalTime"), Millisecond, true);
    preferences.verticalDepthUnit = preferredUnit(settings, QStringLiteral("VerticalDepth"), Meter, false);
    settings.endGroup();
    return preferences;
}

} // namespace georef
