#pragma once

#include "unitresolution.h"

#include <QList>
#include <QMap>
#include <QString>

class ZRExchangeUi;

/// Resolution of OpenWorks units against the host unit table, through the
/// DevKit's unit calls.
namespace georef
{

/// The host unit of an OpenWorks unit id. Any id without one sends "Unsupported
/// unit %1. Unit id: %2" (the DevKit's unit name, the id) on the event bus
/// (draw type 1, flag false) and returns NoUnit.
int hostUnitFromOpenWorks(int owUnitId);

/// The question put to the user for an OpenWorks unit the host lacks: "Unit
/// <b>%1</b> is not supported by Velostrat. Please select the unit you want to
/// convert it to." with the DevKit's unit name.
QString unsupportedUnitQuestion(int owUnitId);

/// The DevKit's name of a unit ("" when it has none).
QString openWorksUnitName(int owUnitId);

/// What one of fromUnit is in toUnit, as the DevKit converts it
/// (untConvert of 1.0); 0 when it cannot, with its status in *status.
double openWorksConversionFactor(int fromUnit, int toUnit, int* status = nullptr);

} // namespace georef

/// The host unit of the unit the open OpenWorks project uses for owUnitType;
/// the OpenWorks unit id goes to *owUnitId. A DevKit failure shows the critical
/// box "Unit Error" / "Unable to retrieve project unit for unit type
/// <b>%1</b>." through ui and returns NoUnit; a unit the host lacks is asked
/// through ui (ZRExchangeUi::askUnit) among the candidates. ui may be null:
/// nothing is shown and an unsupported unit gives NoUnit.
int projectUnitForType(ZRExchangeUi* ui, int owUnitType, const QList<int>& candidates, int* owUnitId);

/// The exchange window's table from host unit codes to OpenWorks unit
/// abbreviations: host 1 from OpenWorks unit 2, 0 from 1, 4 from 11, 13 from
/// 12, 9 from 19, 6 from 13 (an empty text where the DevKit has none).
QMap<int, QString> openWorksUnitAbbreviationTable();
