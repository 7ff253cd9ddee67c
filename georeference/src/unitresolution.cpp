#include "unitresolution.h"

namespace georef
{

int hostUnitForOpenWorksId(int owUnitId)
{
    switch (owUnitId) {
    case 1:
    case 1033:
        return Meter;
    case 2:
    case 1089:
        return Foot;
    case 10:
        return Yard;
    case 11:
        return Kilometer;
    case 12:
        return Inch;
    case 13:
        return Mile;
    case 18:
        return YardUS;
    case 19:
        return Centimeter;
    case 20:
    case 1090:
        return FootUS;
    case 21:
        return Millimeter;
    case 348:
        return Millisecond;
    case 890:
        return Second;
    default:
        return NoUnit;
    }
}

int openWorksIdForHostUnit(int hostUnit)
{
    switch (hostUnit) {
    case Meter:
        return 1;
    case Foot:
        return 1089;
    case Millisecond:
        return 348;
    case Second:
        return 890;
    case Kilometer:
        return 11;
    case Millimeter:
        return 21;
    case Mile:
        return 13;
    case FootUS:
        return 1090;
    case Centimeter:
        return 19;
    case Yard:
        return 10;
    case YardUS:
        return 18;
    case Inch:
        return 12;
    default:
        return -1;
    }
}

QList<int> candidateUnits(int kind)
{
    if (kind == 1)
        return {Second, Millisecond};
    if (kind == 2)
        return {Meter, Foot, FootUS, Mile, Yard, Inch};
    return {};
}

} // namespace georef
