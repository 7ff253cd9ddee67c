#include "surveygeometry.h"

#include <cmath>
#include <utility>

namespace georef
{

namespace
{

int countOf(double first, double last)
{
    return int(std::llround(last - first)) + 1;
}

UnitObject unitsWithEmptyCrs(int initialVerticalUnit)
{
    UnitObject units;
    units.setInitialVerticalUnit(initialVerticalUnit);
    units.setCrs(Crs());
    return units;
}

} // namespace

BlocSpace blocSpaceFromDataSet(const SurveyGeometry& survey, const DataSetRange& dataSet,
                               const DataFileRange& fileHeader, int verticalUnit)
{
    int nx = countOf(fileHeader.firstTrace, fileHeader.lastTrace);
    int nz = countOf(fileHeader.firstLine, fileHeader.lastLine);
    const int ny = fileHeader.samplesPerTrace;
    if (!survey.isTraceOriented())
        std::swap(nx, nz);

    double l0 = dataSet.inlineMin, l1 = dataSet.inlineMax;
    if (survey.firstLine > survey.lastLine)
        std::swap(l0, l1);
    double t0 = dataSet.xlineMin, t1 = dataSet.xlineMax;
    if (survey.firstTrace > survey.lastTrace)
        std::swap(t0, t1);

    const double z0 = dataSet.verticalStart;
    const double zEnd = z0 + dataSet.sampleCount * dataSet.sampleInterval;

    core::vec3 world1{survey.firstLineLastTraceX, z0, survey.firstLineLastTraceY};
    core::vec3 world3{survey.lastLineFirstTraceX, z0, survey.lastLineFirstTraceY};
    if (!survey.isTraceOriented())
        std::swap(world1, world3);
    const Matrix4 surveyToWorld = BlocSpace::matrixFromFrames(
        {survey.firstTrace, z0, survey.firstLine}, {survey.lastTrace, z0, survey.firstLine},
        {survey.firstTrace, zEnd, survey.firstLine}, {survey.firstTrace, z0, survey.lastLine},
        {survey.firstLineFirstTraceX, z0, survey.firstLineFirstTraceY}, world1,
        {survey.firstLineFirstTraceX, zEnd, survey.firstLineFirstTraceY}, world3);

    const core::vec3 s0{t0, z0, l0};
    const core::vec3 s1{t1, z0, l0};
    const core::vec3 s2{t0, zEnd, l0};
    const core::vec3 s3{t0, z0, l1};
    const core::vec3 g0{0, 0, 0};
    const core::vec3 g1{double(nx - 1), 0, 0};
    const core::vec3 g2{0, double(ny), 0};
    const core::vec3 g3{0, 0, double(nz - 1)};

    BlocSpace space(nx, ny, nz);
    space.setFromBlocToWorldMatrix(BlocSpace::matrixFromFrames(g0, g1, g2, g3, surveyToWorld.map(s0),
                                                               surveyToWorld.map(s1), surveyToWorld.map(s2),
                                                               surveyToWorld.map(s3)));
    space.setFromBlocToSurveyMatrix(BlocSpace::matrixFromFrames(g0, g1, g2, g3, s0, s1, s2, s3));
    space.setUnitsObject(unitsWithEmptyCrs(verticalUnit));
    return space;
}

BlocSpace blocSpaceFromSurvey(const SurveyGeometry& survey, int verticalSize, double zFirst, double zSecond,
                              bool isTime)
{
    int nx = survey.traceCount;
    int nz = survey.lineCount;
    if (!survey.isTraceOriented())
        std::swap(nx, nz);
    const int ny = verticalSize;

    const core::vec3 g0{0, 0, 0};
    const core::vec3 g1{double(nx - 1), 0, 0};
    const core::vec3 g2{0, double(ny), 0};
    const core::vec3 g3{0, 0, double(nz - 1)};

    BlocSpace space(nx, ny, nz);
    space.setFromBlocToWorldMatrix(BlocSpace::matrixFromFrames(
        g0, g1, g2, g3, {survey.firstLineFirstTraceX, zFirst, survey.firstLineFirstTraceY},
        {survey.firstLineLastTraceX, zFirst, survey.firstLineLastTraceY},
        {survey.firstLineFirstTraceX, zSecond, survey.firstLineFirstTraceY},
        {survey.lastLineFirstTraceX, zFirst, survey.lastLineFirstTraceY}));
    space.setFromBlocToSurveyMatrix(BlocSpace::matrixFromFrames(
        g0, g1, g2, g3, {survey.firstTrace, zFirst, survey.firstLine}, {survey.lastTrace, zFirst, survey.firstLine},
        {survey.firstTrace, zSecond, survey.firstLine}, {survey.firstTrace, zFirst, survey.lastLine}));
    space.setUnitsObject(unitsWithEmptyCrs(isTime ? Millisecond : Meter));
    return space;
}

} // namespace georef
