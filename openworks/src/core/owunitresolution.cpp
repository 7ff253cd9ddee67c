#include "owunitresolution.h"

#include "owdevkit.h"
#include "zreventbus.h"
#include "zrexchangeui.h"

#include <QPair>

namespace georef
{

QString openWorksUnitName(int owUnitId)
{
    int status = 0;
    const char* name = untGetUnitName(owUnitId, &status);
    return QString::fromUtf8(name ? name : "");
}

double openWorksConversionFactor(int fromUnit, int toUnit, int* status)
{
    double value = 1.0;
    const int one = 1;
    int result = 0;
    untConvert(fromUnit, toUnit, &one, &value, &result);
    if (status)
        *status = result;
    return result == 0 ? value : 0.0;
}

int hostUnitFromOpenWorks(int owUnitId)
{
    const int unit = hostUnitForOpenWorksId(owUnitId);
    if (unit != NoUnit)
        return unit;
    ZREventBus::sendMessage(
        eDrawError, QStringLiteral("Unsupported unit %1. Unit id: %2").arg(openWorksUnitName(owUnitId)).arg(owUnitId),
        false);
    return NoUnit;
}

QString unsupportedUnitQuestion(int owUnitId)
{
    return QStringLiteral(
               "Unit <b>%1</b> is not supported by Velostrat. Please select the unit you want to convert it to.")
        .arg(openWorksUnitName(owUnitId));
}

} // namespace georef

int projectUnitForType(ZRExchangeUi* ui, int owUnitType, const QList<int>& candidates, int* owUnitId)
{
    int unitId = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, owUnitType, &unitId) != 0) {
        int status = 0;
        const char* typeName = untGetTypeName(owUnitType, &status);
        if (ui)
            ui->showMessage(ZRExchangeUi::MessageKind::Critical, QStringLiteral("Unit Error"),
                            QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.")
                                .arg(QString::fromUtf8(typeName ? typeName : "")));
        return NoUnit;
    }
    if (owUnitId)
        *owUnitId = unitId;
    const int unit = georef::hostUnitFromOpenWorks(unitId);
    if (unit != NoUnit)
        return unit;
    if (!ui)
        return NoUnit;
    return ui->askUnit(candidates, georef::unsupportedUnitQuestion(unitId), NoUnit);
}

QMap<int, QString> openWorksUnitAbbreviationTable()
{
    static const QPair<int, int> kUnits[] = {{1, 2}, {0, 1}, {4, 11}, {13, 12}, {9, 19}, {6, 13}};
    QMap<int, QString> table;
    for (const auto& unit : kUnits) {
        int status = 0;
        const char* abbreviation = untGetUnitAbbr(unit.second, &status);
        table.insert(unit.first, status == 0 && abbreviation ? QString::fromLatin1(abbreviation) : QString());
    }
    return table;
}
