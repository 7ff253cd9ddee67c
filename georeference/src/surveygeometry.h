#pragma once

#include "blocspace.h"

#include <QString>

namespace georef
{

/// What the bloc-space builders need of an OpenWorks 3D survey record.
/// Corner coordinates are named after the survey corner they belong to
/// (OpenWorks fields 20/21, 22/23, 24/25 and 26/27).
struct SurveyGeometry
{
    int traceCount = 0;
    int lineCount = 0;
    double firstLine = 0.0;
    double firstTrace = 0.0;
    double lastLine = 0.0;
    double lastTrace = 0.0;
    /// Orientation keyword; "TRACE" (case-sensitive) or anything else.
    QString orientation;
    double firstLineFirstTraceX = 0.0; ///< field 20
    double firstLineFirstTraceY = 0.0; ///< field 21
    double lastLineFirstTraceX = 0.0;  ///< field 22
    double lastLineFirstTraceY = 0.0;  ///< field 23
    double fourthCornerX = 0.0;        ///< field 24 (not used)
    double fourthCornerY = 0.0;        ///< field 25 (not used)
    double firstLineLastTraceX = 0.0;  ///< field 26
    double firstLineLastTraceY = 0.0;  ///< field 27

    bool isTraceOriented() const { return orientation == QLatin1String("TRACE"); }
};

/// What the volume builder needs of an OpenWorks seismic data set record. The
/// vertical start and interval are already in milliseconds or metres.
struct DataSetRange
{
    double inlineMin = 0.0;
    double inlineMax = 0.0;
    double xlineMin = 0.0;
    double xlineMax = 0.0;
    double verticalStart = 0.0;
    double sampleInterval = 0.0;
    int sampleCount = 0;
};

/// The trace and line range of an opened seismic data file and its samples per trace.
struct DataFileRange
{
    double firstTrace = 0.0;
    double lastTrace = 0.0;
    double firstLine = 0.0;
    double lastLine = 0.0;
    int samplesPerTrace = 0;
};

/// The bloc space of an imported volume: grid sizes from the data file, world
/// and survey matrices from the survey corners and the data set's ranges, units
/// with `verticalUnit` as the initial vertical unit and an empty CRS.
BlocSpace blocSpaceFromDataSet(const SurveyGeometry& survey, const DataSetRange& dataSet,
                               const DataFileRange& fileHeader, int verticalUnit);

/// The bloc space of an imported horizon grid over the whole survey; the
/// survey's corner coordinates must already be in metres.
BlocSpace blocSpaceFromSurvey(const SurveyGeometry& survey, int verticalSize, double zFirst, double zSecond,
                              bool isTime);

} // namespace georef
