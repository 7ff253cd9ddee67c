#include "owsurveygeometry.h"

#include <cstring>

namespace georef
{

namespace
{

QString fixedText(const char* text, std::size_t size)
{
    return QString::fromLatin1(text, int(strnlen(text, size))).trimmed();
}

double* cornerOf(SurveyGeometry& survey, int field)
{
    switch (field) {
    case 20:
        return &survey.firstLineFirstTraceX;
    case 21:
        return &survey.firstLineFirstTraceY;
    case 22:
        return &survey.lastLineFirstTraceX;
    case 23:
        return &survey.lastLineFirstTraceY;
    case 24:
        return &survey.fourthCornerX;
    case 25:
        return &survey.fourthCornerY;
    case 26:
        return &survey.firstLineLastTraceX;
    default:
        return &survey.firstLineLastTraceY;
    }
}

} // namespace

SurveyGeometry surveyGeometryFromRecord(const gdi3dSurvey_t& survey)
{
    SurveyGeometry geometry;
    geometry.traceCount = survey.traceCount;
    geometry.lineCount = survey.lineCount;
    geometry.firstLine = survey.firstLine;
    geometry.firstTrace = survey.firstTrace;
    geometry.lastLine = survey.lastLine;
    geometry.lastTrace = survey.lastTrace;
    geometry.orientation = fixedText(survey.orientation, sizeof(survey.orientation));
    for (int field = 20; field <= 27; ++field)
        *cornerOf(geometry, field) = survey.corner[field - 20];
    return geometry;
}

DataSetRange dataSetRangeFromRecord(const gdiSeismicDataSet_t& dataSet)
{
    DataSetRange range;
    range.inlineMin = dataSet.inlineMin;
    range.inlineMax = dataSet.inlineMax;
    range.xlineMin = dataSet.xlineMin;
    range.xlineMax = dataSet.xlineMax;
    range.verticalStart = dataSet.verticalStart;
    range.sampleInterval = dataSet.sampleInterval;
    range.sampleCount = dataSet.sampleCount;
    return range;
}

DataFileRange dataFileRangeFromControlBlock(const dm3dControlBlock_t& controlBlock)
{
    DataFileRange range;
    range.firstTrace = controlBlock.firstX;
    range.lastTrace = controlBlock.lastX;
    range.firstLine = controlBlock.firstY;
    range.lastLine = controlBlock.lastY;
    range.samplesPerTrace = controlBlock.samplesPerTrace;
    return range;
}

BlocSpace blocSpaceFromDataSet(const gdi3dSurvey_t& survey, const gdiSeismicDataSet_t& dataSet,
                               const dm3dControlBlock_t& fileHeader, int verticalUnit)
{
    return blocSpaceFromDataSet(surveyGeometryFromRecord(survey), dataSetRangeFromRecord(dataSet),
                                dataFileRangeFromControlBlock(fileHeader), verticalUnit);
}

int convertSurveyCornersToMetres(SurveyGeometry& survey)
{
    for (int field = 20; field <= 27; ++field) {
        int unit = 0;
        int status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, field, &unit);
        if (status != 0)
            return status;
        const int one = 1;
        untConvert(unit, OW_UNIT_METERS, &one, cornerOf(survey, field), &status);
        if (status != 0)
            return status;
    }
    return 0;
}

int surveyCornerFactorsToMetres(std::array<double, 8>* factors, std::array<int, 8>* units)
{
    for (int field = 20; field <= 27; ++field) {
        int unit = 0;
        int status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, field, &unit);
        if (status != 0)
            return status;
        const int one = 1;
        double factor = 1.0;
        untConvert(unit, OW_UNIT_METERS, &one, &factor, &status);
        if (status != 0)
            return status;
        (*factors)[std::size_t(field - 20)] = factor;
        if (units)
            (*units)[std::size_t(field - 20)] = unit;
    }
    return 0;
}

void scaleSurveyCorners(SurveyGeometry& survey, const std::array<double, 8>& factors)
{
    for (int field = 20; field <= 27; ++field)
        *cornerOf(survey, field) *= factors[std::size_t(field - 20)];
}

int blocSpaceFromSurvey(const gdi3dSurvey_t& survey, int verticalSize, double zFirst, double zSecond, bool isTime,
                        BlocSpace* space)
{
    SurveyGeometry geometry = surveyGeometryFromRecord(survey);
    const int status = convertSurveyCornersToMetres(geometry);
    if (status != 0)
        return status;
    if (space)
        *space = blocSpaceFromSurvey(geometry, verticalSize, zFirst, zSecond, isTime);
    return 0;
}

} // namespace georef
