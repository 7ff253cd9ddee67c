#include "unitresolution.h"

#include "owdevkit.h"
#include "zreventbus.h"

namespace georef
{

namespace
{
QString unitName(int owUnitId)
{
    int status = 0;
    const char* name = untGetUnitName(owUnitId, &status);
    return QString::fromUtf8(name ? name : "");
}
} // namespace

int hostUnitFromOpenWorks(int owUnitId)
{
    const int unit = hostUnitForOpenWorksId(owUnitId);
    if (unit != NoUnit)
        return unit;
    ZREventBus::sendMessage(eDrawError,
                            QStringLiteral("Unsupported unit %1. Unit id: %2").arg(unitName(owUnitId)).arg(owUnitId),
                            false);
    return NoUnit;
}

QString unsupportedUnitQuestion(int owUnitId)
{
    return QStringLiteral(
               "Unit <b>%1</b> is not supported by Velostrat. Please select the unit you want to convert it to.")
        .arg(unitName(owUnitId));
}

} // namespace georef
