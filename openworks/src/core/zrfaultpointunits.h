#pragma once

#include <QString>

struct ZRExchangeContext;

/// The units of fault-stick points: the OpenWorks project stores map
/// positions in its X/Y unit and vertical values in its depth or time unit;
/// the host keeps them in metres and milliseconds. The factors are what one
/// project unit is in the host's (as the DevKit converts it): imports multiply
/// by them, exports divide by them.
struct ZRFaultPointUnits
{
    int xyUnit = 0;
    int depthUnit = 0;
    int timeUnit = 0;
    double xy = 1.0;
    double depth = 1.0;
    double time = 1.0;

    double vertical(bool isTime) const { return isTime ? time : depth; }
    int verticalUnit(bool isTime) const { return isTime ? timeUnit : depthUnit; }

    /// Reads the project's units and their factors. On failure returns false
    /// with the text "Unable to retrieve project unit for unit type <b>%1</b>."
    /// in *error (when given).
    bool resolve(QString* error = nullptr);
    /// resolve(), showing a failure in the critical box "Unit Error" through
    /// the context and recording it in its report.
    bool resolve(const ZRExchangeContext& context);
};
