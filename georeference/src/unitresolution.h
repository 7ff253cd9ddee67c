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

/// The host unit of an OpenWorks unit id. Any id without one sends "Unsupported
/// unit %1. Unit id: %2" (the DevKit's unit name, the id) on the event bus
/// (draw type 1, flag false) and returns NoUnit. Needs the DevKit.
int hostUnitFromOpenWorks(int owUnitId);

/// The question put to the user for an OpenWorks unit the host lacks: "Unit
/// <b>%1</b> is not supported by Velostrat. Please select the unit you want to
/// convert it to." with the DevKit's unit name. Needs the DevKit.
QString unsupportedUnitQuestion(int owUnitId);

} // namespace georef
