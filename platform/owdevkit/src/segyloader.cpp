#include "segyloader.h"

#include "owdevkit.h"

#include <segyio/segy.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace
{
struct TraceInfo
{
    int line;
    int trace;
    double x;
    double y;
};

/// Least-squares fit of v = a0 + a1 * trace + a2 * line.
bool fitPlane(const std::vector<TraceInfo>& traces, bool useX, double a[3])
{
    double m[3][4] = {};
    for (const TraceInfo& t : traces) {
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
    return true;
}

class SegyGuard
{
public:
    explicit SegyGuard(segy_file* fp) : m_fp(fp) {}
    ~SegyGuard()
    {
        if (m_fp)
            segy_close(m_fp);
    }
    SegyGuard(const SegyGuard&) = delete;
    SegyGuard& operator=(const SegyGuard&) = delete;

private:
    segy_file* m_fp;
};

void toFloats(int format, int samples, std::vector<char>& raw, std::vector<float>* out)
{
    out->resize(static_cast<size_t>(samples));
    segy_to_native(format, samples, raw.data());
    for (int i = 0; i < samples; ++i) {
        switch (format) {
        case SEGY_SIGNED_INTEGER_4_BYTE: {
            int32_t v;
            std::memcpy(&v, raw.data() + 4 * i, 4);
            (*out)[i] = static_cast<float>(v);
            break;
        }
        case SEGY_SIGNED_SHORT_2_BYTE: {
            int16_t v;
            std::memcpy(&v, raw.data() + 2 * i, 2);
            (*out)[i] = static_cast<float>(v);
            break;
        }
        case SEGY_SIGNED_CHAR_1_BYTE: (*out)[i] = static_cast<float>(static_cast<int8_t>(raw[i])); break;
        default: std::memcpy(&(*out)[i], raw.data() + 4 * i, 4); break;
        }
    }
}
} // namespace

bool SegyLoader::load(const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
                      const std::string& domain, std::string* error)
{
    segy_file* fp = segy_open(segyPath.c_str(), "rb");
    if (!fp) {
        *error = "cannot open " + segyPath;
        return false;
    }
    SegyGuard guard(fp);
    char binary[SEGY_BINARY_HEADER_SIZE];
    if (segy_binheader(fp, binary) != SEGY_OK) {
        *error = "cannot read the binary header of " + segyPath;
        return false;
    }
    const int samples = segy_samples(binary);
    const int format = segy_format(binary);
    const long trace0 = segy_trace0(binary);
    const int bsize = segy_trsize(format, samples);
    int traceCount = 0;
    if (samples <= 0 || bsize <= 0 || segy_traces(fp, &traceCount, trace0, bsize) != SEGY_OK || traceCount <= 0 ||
        (format != 1 && format != 2 && format != 3 && format != 5 && format != 8)) {
        *error = "unsupported SEG-Y file " + segyPath;
        return false;
    }
    float interval = 0.0f;
    segy_sample_interval(fp, 4000.0f, &interval);
    interval /= 1000.0f;

    std::vector<TraceInfo> traces;
    int delay = 0;
    char header[SEGY_TRACE_HEADER_SIZE];
    for (int i = 0; i < traceCount; ++i) {
        if (segy_traceheader(fp, i, header, trace0, bsize) != SEGY_OK) {
            *error = "cannot read trace header " + std::to_string(i);
            return false;
        }
        int32_t line = 0, trace = 0, cdpX = 0, cdpY = 0, scalar = 0;
        segy_get_field(header, SEGY_TR_INLINE, &line);
        segy_get_field(header, SEGY_TR_CROSSLINE, &trace);
        segy_get_field(header, SEGY_TR_CDP_X, &cdpX);
        segy_get_field(header, SEGY_TR_CDP_Y, &cdpY);
        segy_get_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, &scalar);
        if (i == 0)
            segy_get_field(header, SEGY_TR_DELAY_REC_TIME, &delay);
        const double factor = scalar < 0 ? 1.0 / -scalar : (scalar > 0 ? scalar : 1.0);
        traces.push_back({line, trace, cdpX * factor, cdpY * factor});
    }
    int firstLine = traces[0].line, lastLine = traces[0].line;
    int firstTrace = traces[0].trace, lastTrace = traces[0].trace;
    for (const TraceInfo& t : traces) {
        firstLine = std::min(firstLine, t.line);
        lastLine = std::max(lastLine, t.line);
        firstTrace = std::min(firstTrace, t.trace);
        lastTrace = std::max(lastTrace, t.trace);
    }
    if (firstLine == lastLine || firstTrace == lastTrace) {
        *error = "the file does not span a 3D grid of lines and traces";
        return false;
    }
    double ax[3], ay[3];
    if (!fitPlane(traces, true, ax) || !fitPlane(traces, false, ay)) {
        ax[0] = 0.0, ax[1] = 25.0, ax[2] = 0.0;
        ay[0] = 0.0, ay[1] = 0.0, ay[2] = 25.0;
    }
    int status = 0;
    int xyUnit = 1;
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_XY, &xyUnit);
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    std::strncpy(survey.name, surveyName.c_str(), sizeof(survey.name) - 1);
    std::strncpy(survey.displayName, surveyName.c_str(), sizeof(survey.displayName) - 1);
    std::strncpy(survey.orientation, "TRACE", sizeof(survey.orientation) - 1);
    std::strncpy(survey.interpreter, "LGC", sizeof(survey.interpreter) - 1);
    survey.firstLine = firstLine;
    survey.lastLine = lastLine;
    survey.firstTrace = firstTrace;
    survey.lastTrace = lastTrace;
    survey.lineCount = lastLine - firstLine + 1;
    survey.traceCount = lastTrace - firstTrace + 1;
    survey.lineIncrement = 1.0;
    survey.traceIncrement = 1.0;
    const int corners[4][2] = {{firstLine, firstTrace}, {lastLine, firstTrace}, {lastLine, lastTrace},
                               {firstLine, lastTrace}};
    for (int k = 0; k < 4; ++k) {
        survey.corner[2 * k] = ax[0] + ax[1] * corners[k][1] + ax[2] * corners[k][0];
        survey.corner[2 * k + 1] = ay[0] + ay[1] * corners[k][1] + ay[2] * corners[k][0];
    }
    const int eight = 8;
    untConvert(OW_UNIT_METERS, xyUnit, &eight, survey.corner, &status);
    std::strncpy(survey.verticalUnit, domain == "TIME" ? "ms" : "m", sizeof(survey.verticalUnit) - 1);
    prjProject_t project;
    if (prjGetActive(&project) == 0)
        survey.projectId = project.id;
    status = gdiAdd(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0) {
        *error = std::string("cannot add the survey: ") + gdiErrorMessage(status);
        gdiRollback();
        return false;
    }
    int projectType = 3;
    const int nameLength = static_cast<int>(surveyName.size());
    prjin2_(&status, &projectType, surveyName.c_str(), &nameLength);
    if (status != 0) {
        *error = "cannot open the new survey";
        gdiRollback();
        return false;
    }
    dm3dControlBlock_t cb;
    std::memset(&cb, 0, sizeof(cb));
    cb.firstX = firstTrace;
    cb.lastX = lastTrace;
    cb.firstY = firstLine;
    cb.lastY = lastLine;
    cb.samplesPerTrace = samples;
    cb.verticalStart = static_cast<float>(delay);
    cb.sampleInterval = interval;
    cb.verticalEnd = cb.verticalStart + samples * interval;
    cb.domain = domain == "TIME" ? 1 : 2;
    cb.constants[0] = 1;
    cb.constants[1] = 1;
    char fileName[DM3D_FILE_NAME_SIZE];
    dm3d_crt_ds_(dataSetName.c_str(), "UNKNOWN", &cb, fileName, &status);
    const int writeMode = 3;
    if (status == 0)
        dm3dop_(fileName, &cb, &writeMode, &status);
    if (status != 0) {
        *error = "cannot create the data set (status " + std::to_string(status) + ")";
        const int zero = 0;
        prjend_(&projectType, &zero);
        gdiRollback();
        return false;
    }
    std::vector<char> raw(static_cast<size_t>(bsize));
    std::vector<float> values;
    const int one = 1, zero = 0;
    const float noScale = 0.0f;
    int flags = 0;
    for (int i = 0; i < traceCount && status == 0; ++i) {
        if (segy_readtrace(fp, i, raw.data(), trace0, bsize) != SEGY_OK) {
            status = 9;
            break;
        }
        toFloats(format, samples, raw, &values);
        dm3dtr_(&cb, &traces[i].trace, &traces[i].line, &one, &samples, &one, &zero, values.data(), &noScale, &status,
                &flags);
    }
    int closeStatus = 0;
    dm3dcl_(&cb, &zero, &closeStatus);
    prjend_(&projectType, &zero);
    if (status != 0 || closeStatus != 0) {
        *error = "cannot write the traces (status " + std::to_string(status) + ")";
        gdiRollback();
        return false;
    }
    status = gdiCommit();
    if (status != 0) {
        *error = gdiErrorMessage(status);
        return false;
    }
    return true;
}
