#include "recordcatalog.h"

#include "owrecords.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <sstream>

namespace
{
using T = RecordCatalog::Type;
using F = RecordCatalog::Field;

#define OW_FIELD(S, m, fid, type, unit, key) \
    F { fid, #m, int(offsetof(S, m)), type, int(sizeof(static_cast<S*>(nullptr)->m)), unit, key, -1, 0 }
#define OW_INT(S, m, fid) OW_FIELD(S, m, fid, T::Int32, 0, false)
#define OW_KINT(S, m, fid) OW_FIELD(S, m, fid, T::Int32, 0, true)
#define OW_UINT(S, m, fid) OW_FIELD(S, m, fid, T::UInt32, 0, false)
#define OW_KUINT(S, m, fid) OW_FIELD(S, m, fid, T::UInt32, 0, true)
#define OW_TXT(S, m, fid) OW_FIELD(S, m, fid, T::Text, 0, false)
#define OW_KTXT(S, m, fid) OW_FIELD(S, m, fid, T::Text, 0, true)
#define OW_DBL(S, m, fid, unit) OW_FIELD(S, m, fid, T::Double, unit, false)
#define OW_FLT(S, m, fid, unit) OW_FIELD(S, m, fid, T::Float, unit, false)
#define OW_VEC(S, m, fid, type, count, comps, unit) \
    F { fid, #m, int(offsetof(S, m)), type, 8, unit, false, int(offsetof(S, count)), comps }

F element(const F& base, int index, int fid, int offsetStep, const char* name)
{
    F f = base;
    f.id = fid;
    f.offset = base.offset + index * offsetStep;
    f.size = offsetStep;
    f.name = name;
    return f;
}

std::vector<RecordCatalog::Class> buildClasses()
{
    std::vector<RecordCatalog::Class> all;

    all.push_back({11, "Surface Pick", int(sizeof(gdiSurfacePick_t)), int(offsetof(gdiSurfacePick_t, id)),
                   {OW_KTXT(gdiSurfacePick_t, wellKey, 0), OW_KTXT(gdiSurfacePick_t, surfaceName, 1),
                    OW_KTXT(gdiSurfacePick_t, interpreter, 2), OW_KINT(gdiSurfacePick_t, id, 3),
                    OW_FLT(gdiSurfacePick_t, bottomDepth, 4, 1001), OW_FLT(gdiSurfacePick_t, topDepth, 5, 1001),
                    OW_TXT(gdiSurfacePick_t, depthUnit, 6), OW_TXT(gdiSurfacePick_t, stratColumn, 7)},
                   {}});

    all.push_back({304, "Surface", int(sizeof(gdiSurface_t)), 0,
                   {OW_KINT(gdiSurface_t, id, 0), OW_KTXT(gdiSurface_t, stratColumn, 1), OW_KTXT(gdiSurface_t, name, 2),
                    OW_KTXT(gdiSurface_t, interpreter, 3), OW_TXT(gdiSurface_t, surfaceType, 4),
                    OW_INT(gdiSurface_t, wellCount, 5), OW_DBL(gdiSurface_t, age, 6, 0),
                    OW_TXT(gdiSurface_t, createDate, 7), OW_INT(gdiSurface_t, red, 8), OW_INT(gdiSurface_t, green, 9),
                    OW_INT(gdiSurface_t, blue, 10)},
                   {{1, 2, 3}}});

    all.push_back({309, "Horizon Parameters", int(sizeof(gdiHorizonParams_t)), int(offsetof(gdiHorizonParams_t, id)),
                   {OW_KTXT(gdiHorizonParams_t, name, 0), OW_KTXT(gdiHorizonParams_t, interpreter, 1),
                    OW_INT(gdiHorizonParams_t, red, 2), OW_INT(gdiHorizonParams_t, green, 3),
                    OW_INT(gdiHorizonParams_t, blue, 4), OW_KINT(gdiHorizonParams_t, id, 5),
                    OW_DBL(gdiHorizonParams_t, age, 6, 0), OW_TXT(gdiHorizonParams_t, stratColumn, 7)},
                   {{0, 1}}});

    all.push_back({338, "Fault", int(sizeof(gdiFault_t)), 0,
                   {OW_KINT(gdiFault_t, id, 0), OW_KTXT(gdiFault_t, name, 1), OW_TXT(gdiFault_t, interpreter, 2),
                    OW_TXT(gdiFault_t, createDate, 3)},
                   {}});

    all.push_back({445, "Horizon Catalog", int(sizeof(gdiHorizonCatalog_t)), 0,
                   {OW_KINT(gdiHorizonCatalog_t, id, 0), OW_TXT(gdiHorizonCatalog_t, name, 1),
                    OW_TXT(gdiHorizonCatalog_t, version, 2), OW_TXT(gdiHorizonCatalog_t, interpreter, 3),
                    OW_TXT(gdiHorizonCatalog_t, onset, 4), OW_TXT(gdiHorizonCatalog_t, status, 5),
                    OW_TXT(gdiHorizonCatalog_t, horizonClass, 6), OW_TXT(gdiHorizonCatalog_t, createDate, 7),
                    OW_TXT(gdiHorizonCatalog_t, updateDate, 8), OW_TXT(gdiHorizonCatalog_t, remark, 9),
                    OW_KTXT(gdiHorizonCatalog_t, attribute, 10), OW_DBL(gdiHorizonCatalog_t, dataMin, 11, 0),
                    OW_DBL(gdiHorizonCatalog_t, dataMax, 12, 0), OW_TXT(gdiHorizonCatalog_t, domain, 13)},
                   {}});

    all.push_back({452, "Fault Trace", int(sizeof(gdiFaultTrace_t)), 0,
                   {OW_KINT(gdiFaultTrace_t, id, 0), OW_KINT(gdiFaultTrace_t, faultId, 1),
                    OW_TXT(gdiFaultTrace_t, name, 2), OW_INT(gdiFaultTrace_t, pointCount, 3),
                    OW_VEC(gdiFaultTrace_t, xy, 28, T::DoubleVector, pointCount, 2, 2004),
                    OW_VEC(gdiFaultTrace_t, z, 29, T::DoubleVector, pointCount, 1, 0)},
                   {}});

    all.push_back({502, "Well List", int(sizeof(gdiWellList_t)), 0,
                   {OW_KINT(gdiWellList_t, id, 0), OW_KTXT(gdiWellList_t, name, 1), OW_TXT(gdiWellList_t, listType, 2),
                    OW_TXT(gdiWellList_t, interpreter, 3), OW_TXT(gdiWellList_t, remark, 4),
                    OW_TXT(gdiWellList_t, createDate, 5)},
                   {{1}}});

    all.push_back({503, "Well List Member", int(sizeof(gdiWellListMember_t)), 0,
                   {OW_KINT(gdiWellListMember_t, id, 0), OW_KINT(gdiWellListMember_t, wellListId, 1),
                    OW_KTXT(gdiWellListMember_t, wellKey, 2), OW_TXT(gdiWellListMember_t, wellListName, 3)},
                   {{1, 2}}});

    {
        RecordCatalog::Class survey{574, "3D Survey", int(sizeof(gdi3dSurvey_t)), 0,
                                    {OW_KINT(gdi3dSurvey_t, id, 0), OW_KTXT(gdi3dSurvey_t, name, 1),
                                     OW_TXT(gdi3dSurvey_t, interpreter, 2), OW_INT(gdi3dSurvey_t, traceCount, 3),
                                     OW_INT(gdi3dSurvey_t, lineCount, 4), OW_INT(gdi3dSurvey_t, projectId, 5),
                                     OW_DBL(gdi3dSurvey_t, firstLine, 6, 0), OW_DBL(gdi3dSurvey_t, firstTrace, 7, 0),
                                     OW_DBL(gdi3dSurvey_t, lastLine, 8, 0), OW_DBL(gdi3dSurvey_t, lastTrace, 9, 0),
                                     OW_TXT(gdi3dSurvey_t, orientation, 10)},
                                    {{1}}};
        static const char* transformNames[8] = {"transform.originX", "transform.originY", "transform.traceStepX",
                                                "transform.traceStepY", "transform.lineStepX", "transform.lineStepY",
                                                "transform.traceSpacing", "transform.lineSpacing"};
        static const char* cornerNames[8] = {"corner.x20", "corner.y21", "corner.x22", "corner.y23",
                                             "corner.x24", "corner.y25", "corner.x26", "corner.y27"};
        const F transform = OW_DBL(gdi3dSurvey_t, transform, 11, 0);
        const F corner = OW_DBL(gdi3dSurvey_t, corner, 20, 2004);
        for (int i = 0; i < 8; ++i) {
            F t = element(transform, i, 11 + i, 8, transformNames[i]);
            t.unitType = i < 6 ? 2004 : 0;
            survey.fields.push_back(t);
        }
        for (int i = 0; i < 8; ++i)
            survey.fields.push_back(element(corner, i, 20 + i, 8, cornerNames[i]));
        survey.fields.push_back(OW_TXT(gdi3dSurvey_t, displayName, 28));
        survey.fields.push_back(OW_TXT(gdi3dSurvey_t, verticalUnit, 29));
        survey.fields.push_back(OW_DBL(gdi3dSurvey_t, lineIncrement, 30, 0));
        survey.fields.push_back(OW_DBL(gdi3dSurvey_t, traceIncrement, 31, 0));
        survey.fields.push_back(OW_TXT(gdi3dSurvey_t, createDate, 32));
        survey.fields.push_back(OW_TXT(gdi3dSurvey_t, updateDate, 33));
        survey.fields.push_back(OW_TXT(gdi3dSurvey_t, remark, 34));
        all.push_back(survey);
    }

    all.push_back({575, "Log Curve List", int(sizeof(gdiLogCurveList_t)), int(offsetof(gdiLogCurveList_t, id)),
                   {OW_KTXT(gdiLogCurveList_t, name, 0), OW_KUINT(gdiLogCurveList_t, id, 1),
                    OW_TXT(gdiLogCurveList_t, interpreter, 2), OW_TXT(gdiLogCurveList_t, remark, 3)},
                   {{0}}});

    all.push_back({576, "Log Curve List Member", int(sizeof(gdiLogCurveListMember_t)),
                   int(offsetof(gdiLogCurveListMember_t, id)),
                   {OW_KUINT(gdiLogCurveListMember_t, listId, 0), OW_KUINT(gdiLogCurveListMember_t, curveId, 1),
                    OW_KINT(gdiLogCurveListMember_t, id, 2), OW_TXT(gdiLogCurveListMember_t, wellKey, 3)},
                   {{0, 1}}});

    all.push_back({600, "Position Log", int(sizeof(gdiPositionLog_t)), int(offsetof(gdiPositionLog_t, id)),
                   {OW_KTXT(gdiPositionLog_t, wellKey, 0), OW_KINT(gdiPositionLog_t, id, 1),
                    OW_TXT(gdiPositionLog_t, interpreter, 2), OW_TXT(gdiPositionLog_t, name, 3),
                    OW_INT(gdiPositionLog_t, pointCount, 11),
                    OW_VEC(gdiPositionLog_t, md, 12, T::FloatVector, pointCount, 1, 1001),
                    OW_VEC(gdiPositionLog_t, tvd, 13, T::FloatVector, pointCount, 1, 1001),
                    OW_VEC(gdiPositionLog_t, xDeviation, 14, T::FloatVector, pointCount, 1, 2004),
                    OW_VEC(gdiPositionLog_t, yDeviation, 15, T::FloatVector, pointCount, 1, 2004)},
                   {{0}}});

    all.push_back({601, "Time Depth Table", int(sizeof(gdiTimeDepthTable_t)), 0,
                   {OW_KINT(gdiTimeDepthTable_t, id, 0), OW_KTXT(gdiTimeDepthTable_t, wellKey, 1),
                    OW_TXT(gdiTimeDepthTable_t, name, 2), OW_TXT(gdiTimeDepthTable_t, interpreter, 3),
                    OW_TXT(gdiTimeDepthTable_t, direction, 4), OW_INT(gdiTimeDepthTable_t, pointCount, 5),
                    OW_TXT(gdiTimeDepthTable_t, depthType, 6), OW_TXT(gdiTimeDepthTable_t, depthUnit, 7),
                    OW_TXT(gdiTimeDepthTable_t, timeUnit, 8),
                    OW_VEC(gdiTimeDepthTable_t, depths, 22, T::FloatVector, pointCount, 1, 1001),
                    OW_VEC(gdiTimeDepthTable_t, times, 23, T::FloatVector, pointCount, 1, 0),
                    OW_VEC(gdiTimeDepthTable_t, tvdss, 24, T::FloatVector, pointCount, 1, 1001),
                    OW_VEC(gdiTimeDepthTable_t, intervalVelocity, 25, T::FloatVector, pointCount, 1, 0),
                    OW_VEC(gdiTimeDepthTable_t, averageVelocity, 26, T::FloatVector, pointCount, 1, 0)},
                   {}});

    all.push_back({603, "Preferred Time Depth", int(sizeof(gdiPreferredTimeDepth_t)),
                   int(offsetof(gdiPreferredTimeDepth_t, id)),
                   {OW_KTXT(gdiPreferredTimeDepth_t, wellKey, 0), OW_TXT(gdiPreferredTimeDepth_t, interpreter, 1),
                    OW_INT(gdiPreferredTimeDepth_t, tableId, 2), OW_KINT(gdiPreferredTimeDepth_t, id, 3)},
                   {{0}}});

    all.push_back({610, "Log Curve", int(sizeof(gdiLogCurve_t)), int(offsetof(gdiLogCurve_t, id)),
                   {OW_KTXT(gdiLogCurve_t, wellKey, 0), OW_KTXT(gdiLogCurve_t, name, 1),
                    OW_INT(gdiLogCurve_t, version, 2), OW_KUINT(gdiLogCurve_t, id, 3),
                    OW_TXT(gdiLogCurve_t, service, 4), OW_TXT(gdiLogCurve_t, curveName, 5),
                    OW_TXT(gdiLogCurve_t, interpreter, 6), OW_INT(gdiLogCurve_t, depthUnitId, 7),
                    OW_FLT(gdiLogCurve_t, topDepth, 8, 1001), OW_FLT(gdiLogCurve_t, bottomDepth, 9, 1001),
                    OW_FLT(gdiLogCurve_t, depthStep, 10, 1001), OW_FLT(gdiLogCurve_t, minValue, 11, 0),
                    OW_FLT(gdiLogCurve_t, maxValue, 12, 0), OW_INT(gdiLogCurve_t, sampleCount, 13),
                    OW_TXT(gdiLogCurve_t, unit, 14), OW_DBL(gdiLogCurve_t, nullValue, 15, 0),
                    OW_TXT(gdiLogCurve_t, curveType, 16), OW_TXT(gdiLogCurve_t, curveClass, 17),
                    OW_VEC(gdiLogCurve_t, depths, 69, T::FloatVector, sampleCount, 1, 1001),
                    OW_VEC(gdiLogCurve_t, values, 70, T::FloatVector, sampleCount, 1, 0)},
                   {}});

    {
        RecordCatalog::Class segment{791, "Fault Segment", int(sizeof(gdiFaultSegment_t)), 0,
                                     {OW_KINT(gdiFaultSegment_t, id, 0), OW_KINT(gdiFaultSegment_t, planeId, 1),
                                      OW_INT(gdiFaultSegment_t, segmentNumber, 2), OW_INT(gdiFaultSegment_t, surveyId, 3),
                                      OW_TXT(gdiFaultSegment_t, interpreter, 4)},
                                     {}};
        static const char* names[8] = {"surveyTransform.0", "surveyTransform.1", "surveyTransform.2",
                                       "surveyTransform.3", "surveyTransform.4", "surveyTransform.5",
                                       "surveyTransform.6", "surveyTransform.7"};
        const F transform = OW_DBL(gdiFaultSegment_t, surveyTransform, 5, 0);
        for (int i = 0; i < 8; ++i)
            segment.fields.push_back(element(transform, i, 5 + i, 8, names[i]));
        segment.fields.push_back(OW_TXT(gdiFaultSegment_t, createDate, 13));
        segment.fields.push_back(OW_TXT(gdiFaultSegment_t, domain, 14));
        segment.fields.push_back(OW_INT(gdiFaultSegment_t, pointCount, 15));
        segment.fields.push_back(OW_VEC(gdiFaultSegment_t, points, 32, T::DoubleVector, pointCount, 3, 0));
        all.push_back(segment);
    }

    all.push_back({796, "Fault Plane", int(sizeof(gdiFaultPlane_t)), 0,
                   {OW_KINT(gdiFaultPlane_t, id, 0), OW_KTXT(gdiFaultPlane_t, name, 1),
                    OW_TXT(gdiFaultPlane_t, interpreter, 2), OW_TXT(gdiFaultPlane_t, version, 3),
                    OW_INT(gdiFaultPlane_t, faultId, 4), OW_TXT(gdiFaultPlane_t, createDate, 5),
                    OW_TXT(gdiFaultPlane_t, domain, 6), OW_TXT(gdiFaultPlane_t, updateDate, 7),
                    OW_TXT(gdiFaultPlane_t, remark, 8), OW_TXT(gdiFaultPlane_t, active, 9)},
                   {}});

    all.push_back({802, "Log Curve Data", int(sizeof(gdiLogCurveData_t)), -1,
                   {OW_KUINT(gdiLogCurveData_t, curveId, 0), OW_INT(gdiLogCurveData_t, sampleCount, 1),
                    OW_VEC(gdiLogCurveData_t, values, 2, T::FloatVector, sampleCount, 1, 0)},
                   {{0}}});

    all.push_back({823, "Well", int(sizeof(gdiWell_t)), int(offsetof(gdiWell_t, id)),
                   {OW_KTXT(gdiWell_t, wellKey, 0), OW_KTXT(gdiWell_t, uwi, 1), OW_TXT(gdiWell_t, wellName, 2),
                    OW_TXT(gdiWell_t, operatorName, 3), OW_TXT(gdiWell_t, commonWellName, 4),
                    OW_TXT(gdiWell_t, wellNumber, 5), OW_DBL(gdiWell_t, x, 7, 2004), OW_DBL(gdiWell_t, y, 8, 2004),
                    OW_TXT(gdiWell_t, country, 9), OW_TXT(gdiWell_t, state, 10), OW_TXT(gdiWell_t, elevationRef, 11),
                    OW_FLT(gdiWell_t, elevation, 12, 58), OW_FLT(gdiWell_t, totalDepth, 13, 1001),
                    OW_TXT(gdiWell_t, status, 14), OW_TXT(gdiWell_t, interpreter, 15),
                    OW_TXT(gdiWell_t, createDate, 16), OW_KINT(gdiWell_t, id, 17), OW_TXT(gdiWell_t, depthUnit, 18)},
                   {{0}}});

    all.push_back({1176, "Horizon Data", int(sizeof(gdiHorizonData_t)), 0,
                   {OW_KINT(gdiHorizonData_t, id, 0), OW_KINT(gdiHorizonData_t, gridId, 1),
                    OW_KINT(gdiHorizonData_t, surveyId, 2), OW_TXT(gdiHorizonData_t, horizonName, 3),
                    OW_TXT(gdiHorizonData_t, interpreter, 4), OW_DBL(gdiHorizonData_t, dataMin, 5, 0),
                    OW_DBL(gdiHorizonData_t, dataMax, 6, 0), OW_DBL(gdiHorizonData_t, nullValue, 7, 0),
                    OW_INT(gdiHorizonData_t, firstLine, 8), OW_INT(gdiHorizonData_t, lastLine, 9),
                    OW_INT(gdiHorizonData_t, firstTrace, 10), OW_INT(gdiHorizonData_t, lastTrace, 11),
                    OW_TXT(gdiHorizonData_t, attribute, 12), OW_TXT(gdiHorizonData_t, surveyName, 13),
                    OW_TXT(gdiHorizonData_t, createDate, 14), OW_TXT(gdiHorizonData_t, updateDate, 15),
                    OW_TXT(gdiHorizonData_t, domain, 16)},
                   {{1, 2}}});

    all.push_back({1184, "Seismic Data Set", int(sizeof(gdiSeismicDataSet_t)), 0,
                   {OW_KINT(gdiSeismicDataSet_t, id, 0), OW_KINT(gdiSeismicDataSet_t, surveyId, 1),
                    OW_KTXT(gdiSeismicDataSet_t, name, 2), OW_TXT(gdiSeismicDataSet_t, version, 3),
                    OW_TXT(gdiSeismicDataSet_t, attribute, 4), OW_TXT(gdiSeismicDataSet_t, type, 5),
                    OW_TXT(gdiSeismicDataSet_t, format, 6), OW_TXT(gdiSeismicDataSet_t, domain, 7),
                    OW_DBL(gdiSeismicDataSet_t, inlineMin, 8, 0), OW_DBL(gdiSeismicDataSet_t, inlineMax, 9, 0),
                    OW_DBL(gdiSeismicDataSet_t, xlineMin, 10, 0), OW_DBL(gdiSeismicDataSet_t, xlineMax, 11, 0),
                    OW_DBL(gdiSeismicDataSet_t, dataMin, 12, 0), OW_DBL(gdiSeismicDataSet_t, dataMax, 13, 0),
                    OW_TXT(gdiSeismicDataSet_t, fileName, 14), OW_TXT(gdiSeismicDataSet_t, unit, 15),
                    OW_TXT(gdiSeismicDataSet_t, dataUnit, 16), OW_TXT(gdiSeismicDataSet_t, lineUnit, 17),
                    OW_TXT(gdiSeismicDataSet_t, traceUnit, 18), OW_TXT(gdiSeismicDataSet_t, xyUnit, 19),
                    OW_DBL(gdiSeismicDataSet_t, verticalStart, 20, 0),
                    OW_DBL(gdiSeismicDataSet_t, firstSampleValue, 21, 0),
                    OW_DBL(gdiSeismicDataSet_t, sampleInterval, 22, 0), OW_INT(gdiSeismicDataSet_t, sampleCount, 23),
                    OW_DBL(gdiSeismicDataSet_t, nullValue, 24, 0), OW_TXT(gdiSeismicDataSet_t, interpreter, 25),
                    OW_TXT(gdiSeismicDataSet_t, createDate, 26), OW_TXT(gdiSeismicDataSet_t, updateDate, 27),
                    OW_TXT(gdiSeismicDataSet_t, remark, 28)},
                   {{1, 2}}});
    return all;
}

const std::vector<RecordCatalog::Subset>& subsets()
{
    // parent, child, parentField, childField, via, viaParentField, viaChildField
    static const std::vector<RecordCatalog::Subset> table = {
        {574, 1184, 0, 1, 0, 0, 0},   {574, 1176, 0, 2, 0, 0, 0},   {574, 791, 0, 3, 0, 0, 0},
        {502, 503, 0, 1, 0, 0, 0},    {502, 823, 0, 0, 503, 1, 2},  {823, 11, 0, 0, 0, 0, 0},
        {823, 503, 0, 2, 0, 0, 0},    {823, 600, 0, 0, 0, 0, 0},    {823, 601, 0, 1, 0, 0, 0},
        {823, 603, 0, 0, 0, 0, 0},    {823, 610, 0, 0, 0, 0, 0},    {796, 791, 0, 1, 0, 0, 0},
        {338, 796, 0, 4, 0, 0, 0},    {338, 452, 0, 1, 0, 0, 0},    {445, 1176, 0, 1, 0, 0, 0},
        {575, 576, 1, 0, 0, 0, 0},    {610, 576, 3, 1, 0, 0, 0},    {610, 802, 3, 0, 0, 0, 0},
        {304, 11, 2, 1, 0, 0, 0},
    };
    return table;
}

template <typename V>
V readValue(const void* record, int offset)
{
    V value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof(V));
    return value;
}

std::string textOf(const RecordCatalog::Field& f, const void* record)
{
    const char* p = static_cast<const char*>(record) + f.offset;
    return std::string(p, strnlen(p, static_cast<size_t>(f.size)));
}

std::string formatDouble(double v)
{
    std::ostringstream out;
    out.precision(15);
    out << v;
    return out.str();
}
} // namespace

const std::vector<RecordCatalog::Class>& RecordCatalog::classes()
{
    static const std::vector<Class> all = buildClasses();
    return all;
}

const RecordCatalog::Class* RecordCatalog::find(int classId)
{
    for (const Class& c : classes())
        if (c.id == classId)
            return &c;
    return nullptr;
}

const RecordCatalog::Field* RecordCatalog::field(const Class& c, int fieldId)
{
    for (const Field& f : c.fields)
        if (f.id == fieldId)
            return &f;
    return nullptr;
}

const RecordCatalog::Subset* RecordCatalog::subset(int parent, int child)
{
    for (const Subset& s : subsets())
        if (s.parent == parent && s.child == child)
            return &s;
    return nullptr;
}

std::vector<const RecordCatalog::Subset*> RecordCatalog::subsetsOf(int parent)
{
    std::vector<const Subset*> result;
    for (const Subset& s : subsets())
        if (s.parent == parent && s.via == 0)
            result.push_back(&s);
    return result;
}

bool RecordCatalog::isSet(const Field& f, const void* record)
{
    switch (f.type) {
    case Type::Int32: return readValue<int32_t>(record, f.offset) != 0;
    case Type::UInt32: return readValue<uint32_t>(record, f.offset) != 0;
    case Type::Float: return readValue<float>(record, f.offset) != 0.0f;
    case Type::Double: return readValue<double>(record, f.offset) != 0.0;
    case Type::Text: return static_cast<const char*>(record)[f.offset] != '\0';
    default: return readValue<void*>(record, f.offset) != nullptr;
    }
}

bool RecordCatalog::equal(const Field& f, const void* a, const void* b)
{
    return equal(f, a, f, b);
}

bool RecordCatalog::equal(const Field& fa, const void* a, const Field& fb, const void* b)
{
    if (fa.type == Type::Text || fb.type == Type::Text)
        return textOf(fa, a) == textOf(fb, b);
    auto number = [](const Field& f, const void* r) -> double {
        switch (f.type) {
        case Type::Int32: return readValue<int32_t>(r, f.offset);
        case Type::UInt32: return readValue<uint32_t>(r, f.offset);
        case Type::Float: return readValue<float>(r, f.offset);
        case Type::Double: return readValue<double>(r, f.offset);
        default: return 0.0;
        }
    };
    return number(fa, a) == number(fb, b);
}

std::string RecordCatalog::text(const Field& f, const void* record)
{
    switch (f.type) {
    case Type::Int32: return std::to_string(readValue<int32_t>(record, f.offset));
    case Type::UInt32: return std::to_string(readValue<uint32_t>(record, f.offset));
    case Type::Float: return formatDouble(readValue<float>(record, f.offset));
    case Type::Double: return formatDouble(readValue<double>(record, f.offset));
    case Type::Text: return textOf(f, record);
    default: return "[" + std::to_string(readValue<int32_t>(record, f.countOffset)) + " x " +
                    std::to_string(f.components) + "]";
    }
}

int RecordCatalog::recordId(const Class& c, const void* record)
{
    if (c.idOffset < 0)
        return 0;
    return readValue<int32_t>(record, c.idOffset);
}

void RecordCatalog::setRecordId(const Class& c, void* record, int id)
{
    if (c.idOffset >= 0)
        std::memcpy(static_cast<char*>(record) + c.idOffset, &id, sizeof(id));
}

long long RecordCatalog::vectorBytes(const Field& f, const void* record)
{
    const int count = readValue<int32_t>(record, f.countOffset);
    if (count <= 0)
        return 0;
    const int element = f.type == Type::DoubleVector ? 8 : 4;
    return static_cast<long long>(count) * f.components * element;
}
