#pragma once

#include "surveygeometry.h"

#include "owdevkit.h"

#include <array>

namespace georef
{

/// The survey roles of a class-574 record (corners as stored, in the project's X/Y unit).
SurveyGeometry surveyGeometryFromRecord(const gdi3dSurvey_t& survey);

/// The ranges of a class-1184 record. Its vertical start and sample interval
/// are taken as they are: convert them (on a copy) to milliseconds or metres first.
DataSetRange dataSetRangeFromRecord(const gdiSeismicDataSet_t& dataSet);

/// The trace and line range and samples per trace of an opened data file.
DataFileRange dataFileRangeFromControlBlock(const dm3dControlBlock_t& controlBlock);

/// blocSpaceFromDataSet on the DevKit records (see dataSetRangeFromRecord for the vertical values).
BlocSpace blocSpaceFromDataSet(const gdi3dSurvey_t& survey, const gdiSeismicDataSet_t& dataSet,
                               const dm3dControlBlock_t& fileHeader, int verticalUnit);

/// Converts the survey's corner coordinates (fields 20 to 27) to metres in
/// place, each from the unit the DevKit gives for its field. Returns 0, or the
/// first failing DevKit status (the corners are then left partly converted).
int convertSurveyCornersToMetres(SurveyGeometry& survey);

/// What one unit of each corner field (20 to 27) of a class-574 record is in
/// metres, as the DevKit converts it: the field's unit from
/// gdiGetMeasSystemUnitIdForField, then untConvert of 1.0 from that unit into
/// unit 1. factors[i] and units[i] (may be null) belong to field 20 + i.
/// Returns 0, or the first failing DevKit status.
int surveyCornerFactorsToMetres(std::array<double, 8>* factors, std::array<int, 8>* units = nullptr);

/// Multiplies the survey's corner coordinates field by field (factors[i]
/// belongs to field 20 + i).
void scaleSurveyCorners(SurveyGeometry& survey, const std::array<double, 8>& factors);

/// blocSpaceFromSurvey on a class-574 record, corners converted to metres
/// first. Returns 0 with the bloc space in `space`, or the DevKit status.
int blocSpaceFromSurvey(const gdi3dSurvey_t& survey, int verticalSize, double zFirst, double zSecond, bool isTime,
                        BlocSpace* space);

} // namespace georef
