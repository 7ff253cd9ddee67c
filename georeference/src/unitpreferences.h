#pragma once

#include "unittable.h"

namespace georef
{

/// The host user's unit preferences: settings group "Units" of the host's
/// settings (INI, organisation "Tovan", application "Velostrat"), each a host
/// unit index. The well database records new wells in them.
struct UnitPreferences
{
    /// "SpatialMetric": unit of map coordinates (default Meter).
    int spatialUnit = Meter;
    /// "VerticalTime": unit of vertical times (default Millisecond).
    int verticalTimeUnit = Millisecond;
    /// "VerticalDepth": unit of vertical depths (default Meter).
    int verticalDepthUnit = Meter;

    /// Reads the three keys; a key that is missing, not a number, or not a
    /// unit of its kind (a length for the spatial and depth units, a time for
    /// the time unit) keeps its default.
    static UnitPreferences read();
};

} // namespace georef
