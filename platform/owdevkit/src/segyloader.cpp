#include "segyloader.h"

#include "owdevkit.h"
#include "segyreader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

namespace
{
/// Least-squares fit of v = a0 + a1 * trace + a2 * line.
bool fitPlane(const std::vector<SegyReader::Trace>& traces, bool useX, double a[3])
{
    double m[3][4] = {};
    for (const SegyReader::Trace& t : traces) {
        const double row[3] = {1.0, double(t.trace), double(t.line)};
        const double v = useX ? t.x : t.y;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                m[i][j] += row[i] * row[j];
            m[i][3] += row[i] * v;
        }
    }
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col]))
                pivot = r;
        if (std::fabs(m[pivot][col]) < 1e-12)
            return false;
        std::swap(m[col], m[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col] / m[col][col];
            for (int k = col; k < 4; ++k)
                m[r][k] -= f * m[col][k];
        }
    }
    for (int i = 0; i < 3; ++i)
        a[i] = m[i][3] / m[i][i];
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

/// Ends the survey's 3D project and rolls back whatever the load wrote unless
/// it was committed.
class LoadScope
{
public:
    ~LoadScope()
    {
        const int zero = 0, projectType = 3;
        if (m_fileOpen) {
            int status = 0;
            dm3dcl_(&m_controlBlock, &zero, &status);
        }
        if (m_projectStarted)
            prjend_(&projectType, &zero);
        if (!m_committed)
            gdiRollback();
    }
    dm3dControlBlock_t m_controlBlock{};
    bool m_projectStarted = false;
    bool m_fileOpen = false;
    bool m_committed = false;
};
} // namespace

bool SegyLoader::load(const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
                      const std::string& domain, std::string* error)
{
    SegyReader reader;
    std::string why;
    if (!reader.open(segyPath, &why) || !reader.scan(&why)) {
        *error = "cannot load " + segyPath + ": " + why;
        return false;
    }
    const bool isTime = domain == "TIME";
    const SegyReader::Grid& grid = reader.grid();
    const std::vector<SegyReader::Trace>& traces = reader.traces();
    const int lineCount = static_cast<int>(grid.lineCount());
    const int traceCount = static_cast<int>(grid.traceCount());

    // Map positions of the grid from the CDP coordinates (in the file's unit).
    // Files without usable CDP coordinates get a grid of 25 m cells at 0, 0.
    double ax[3], ay[3];
    const bool fitted = fitPlane(traces, true, ax) && fitPlane(traces, false, ay);
    if (!fitted || !(std::fabs(ax[1] * ay[2] - ax[2] * ay[1]) > 1e-9)) {
        ax[0] = 0.0, ax[1] = 25.0, ax[2] = 0.0;
        ay[0] = 0.0, ay[1] = 0.0, ay[2] = 25.0;
    }
    const int fileLengthUnit = reader.measurementSystem() == 2 ? OW_UNIT_FEET : OW_UNIT_METERS;
    int status = 0;
    int xyUnit = OW_UNIT_METERS;
    int verticalUnit = isTime ? OW_UNIT_MILLISECONDS : OW_UNIT_METERS;
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_XY, &xyUnit);
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH,
                                  &verticalUnit);

    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    std::strncpy(survey.name, surveyName.c_str(), sizeof(survey.name) - 1);
    std::strncpy(survey.displayName, surveyName.c_str(), sizeof(survey.displayName) - 1);
    std::strncpy(survey.orientation, "TRACE", sizeof(survey.orientation) - 1);
    std::strncpy(survey.interpreter, "LGC", sizeof(survey.interpreter) - 1);
    survey.firstLine = static_cast<double>(grid.firstLine);
    survey.lastLine = static_cast<double>(grid.lastLine);
    survey.firstTrace = static_cast<double>(grid.firstTrace);
    survey.lastTrace = static_cast<double>(grid.lastTrace);
    survey.lineCount = lineCount;
    survey.traceCount = traceCount;
    survey.lineIncrement = static_cast<double>(grid.lineStep);
    survey.traceIncrement = static_cast<double>(grid.traceStep);
    const double corners[4][2] = {{survey.firstLine, survey.firstTrace},
                                  {survey.lastLine, survey.firstTrace},
                                  {survey.lastLine, survey.lastTrace},
                                  {survey.firstLine, survey.lastTrace}};
    for (int k = 0; k < 4; ++k) {
        survey.corner[2 * k] = ax[0] + ax[1] * corners[k][1] + ax[2] * corners[k][0];
        survey.corner[2 * k + 1] = ay[0] + ay[1] * corners[k][1] + ay[2] * corners[k][0];
    }
    const int eight = 8;
    untConvert(fileLengthUnit, xyUnit, &eight, survey.corner, &status);
    std::strncpy(survey.verticalUnit, untGetUnitAbbr(verticalUnit, &status), sizeof(survey.verticalUnit) - 1);
    prjProject_t project;
    if (prjGetActive(&project) == 0)
        survey.projectId = project.id;

    LoadScope scope;
    status = gdiAdd(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0) {
        *error = std::string("cannot add the survey ") + surveyName + ": " + gdiErrorMessage(status);
        return false;
    }
    int projectType = 3;
    const int nameLength = static_cast<int>(surveyName.size());
    prjin2_(&status, &projectType, surveyName.c_str(), &nameLength);
    if (status != 0) {
        *error = "cannot open the new survey " + surveyName + " (prjin2_ status " + std::to_string(status) + ")";
        return false;
    }
    scope.m_projectStarted = true;

    // The vertical axis in the project's unit of the domain.
    double vertical[2] = {reader.delay(), reader.interval()};
    const int two = 2;
    untConvert(isTime ? OW_UNIT_MILLISECONDS : fileLengthUnit, verticalUnit, &two, vertical, &status);
    if (status != 0) {
        *error = "cannot convert the vertical axis to the project's unit";
        return false;
    }
    dm3dControlBlock_t& cb = scope.m_controlBlock;
    std::memset(&cb, 0, sizeof(cb));
    cb.firstX = 1;
    cb.lastX = traceCount;
    cb.firstY = 1;
    cb.lastY = lineCount;
    cb.samplesPerTrace = reader.samples();
    cb.verticalStart = static_cast<float>(vertical[0]);
    cb.sampleInterval = static_cast<float>(vertical[1]);
    cb.verticalEnd = static_cast<float>(vertical[0] + reader.samples() * vertical[1]);
    cb.domain = isTime ? 1 : 2;
    cb.constants[0] = 1;
    cb.constants[1] = 1;
    char fileName[DM3D_FILE_NAME_SIZE];
    dm3d_crt_ds_(dataSetName.c_str(), "UNKNOWN", &cb, fileName, &status);
    const int writeMode = 3;
    if (status == 0)
        dm3dop_(fileName, &cb, &writeMode, &status);
    if (status != 0) {
        *error = "cannot create the data set " + dataSetName + " (status " + std::to_string(status) + ")";
        return false;
    }
    scope.m_fileOpen = true;

    // Traces in line order, so that every line is written at once.
    std::vector<int> order(traces.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return traces[a].line != traces[b].line ? traces[a].line < traces[b].line : traces[a].trace < traces[b].trace;
    });
    std::vector<float> values(static_cast<size_t>(reader.samples()));
    const int one = 1, zero = 0, samples = reader.samples();
    const float noScale = 0.0f;
    int flags = 0;
    for (int index : order) {
        if (!reader.readTrace(index, values.data(), &why)) {
            *error = why;
            return false;
        }
        const int x = static_cast<int>((traces[index].trace - grid.firstTrace) / grid.traceStep) + 1;
        const int y = static_cast<int>((traces[index].line - grid.firstLine) / grid.lineStep) + 1;
        dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, values.data(), &noScale, &status, &flags);
        if (status != 0) {
            *error = "cannot write trace " + std::to_string(index) + " (dm3dtr_ status " + std::to_string(status) + ")";
            return false;
        }
    }
    scope.m_fileOpen = false;
    dm3dcl_(&cb, &zero, &status);
    if (status != 0) {
        *error = "cannot write the traces (dm3dcl_ status " + std::to_string(status) + ")";
        return false;
    }
    status = gdiCommit();
    if (status != 0) {
        *error = gdiErrorMessage(status);
        return false;
    }
    scope.m_committed = true;
    return true;
}
