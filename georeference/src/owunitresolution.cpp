#include "unitresolution.h"

#include "owdevkit.h"
#include "zreventbus.h"

namespace georef
{

int hostUnitFromOpenWorks(int owUnitId)
{
    const int unit = hostUnitForOpenWorksId(owUnitId);
    if (unit != NoUnit)
        return unit;
    int status = 0;
    const char* name = untGetUnitName(owUnitId, &status);
    ZREventBus::sendMessage(eDrawError,
                            QStringLiteral("Unsupported unit %1. Unit id: %2")
                                .arg(QString::fromUtf8(name ? name : ""))
                                .arg(owUnitId),
                            false);
    return NoUnit;
}

} // namespace georef
