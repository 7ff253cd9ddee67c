#pragma once

#include "unittable.h"

#include <QList>
#include <QString>

/// Mapping of OpenWorks unit ids onto host unit indexes.
namespace georef
{

/// OpenWorks unit ids and unit types known by number.
enum OpenWorksUnit : int
{
    OpenWorksMetre = 1,
    OpenWorksFoot = 2,
    OpenWorksMillisecond = 348,
    OpenWorksSeismicTimeType = 167,
    OpenWorksDepthType = 1001
};

/// The host unit of an OpenWorks unit id, or NoUnit for an id without one
/// (silently; see hostUnitFromOpenWorks for the reporting form).
int hostUnitForOpenWorksId(int owUnitId);

/// The OpenWorks unit id of a host unit (Meter 1, Foot 1089, Millisecond 348,
/// Second 890, Kilometer 11, Millimeter 21, Mile 13, FootUS 1090, Centimeter 19,
/// Yard 10, YardUS 18, Inch 12), -1 for any other index.
int openWorksIdForHostUnit(int hostUnit);

/// Host units the user may pick: kind 1 Second, Millisecond; kind 2 Meter,
/// Foot, FootUS, Mile, Yard, Inch; any other kind nothing.
QList<int> candidateUnits(int kind);

} // namespace georef
