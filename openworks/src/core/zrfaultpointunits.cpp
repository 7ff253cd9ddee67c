#include "zrfaultpointunits.h"

#include "owdevkit.h"
#include "owunitresolution.h"
#include "zrexchangecontext.h"
#include "zrexchangeui.h"
#include "zrtransferreport.h"

bool ZRFaultPointUnits::resolve(QString* error)
{
    const struct
    {
        int type;
        int target;
        int* unit;
        double* factor;
    } quantities[] = {{OW_UNIT_TYPE_XY, OW_UNIT_METERS, &xyUnit, &xy},
                      {OW_UNIT_TYPE_DEPTH, OW_UNIT_METERS, &depthUnit, &depth},
                      {OW_UNIT_TYPE_SEISMIC_TIME, OW_UNIT_MILLISECONDS, &timeUnit, &time}};
    for (const auto& quantity : quantities) {
        const int status = gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, quantity.type, quantity.unit);
        *quantity.factor = status == 0 ? georef::openWorksConversionFactor(*quantity.unit, quantity.target) : 0.0;
        if (*quantity.factor == 0.0) {
            int nameStatus = 0;
            const char* typeName = untGetTypeName(quantity.type, &nameStatus);
            if (error)
                *error = QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.")
                             .arg(QString::fromUtf8(typeName ? typeName : ""));
            return false;
        }
    }
    return true;
}

bool ZRFaultPointUnits::resolve(const ZRExchangeContext& context)
{
    QString error;
    if (resolve(&error))
        return true;
    if (context.ui)
        context.ui->showMessage(ZRExchangeUi::MessageKind::Critical, QStringLiteral("Unit Error"), error);
    if (context.report)
        context.report->addRunMessage(error);
    return false;
}
