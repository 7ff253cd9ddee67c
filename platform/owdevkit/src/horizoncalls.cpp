// Horizon subsystem and survey geometry calls of the DevKit (hrz*_, srvbnd_,
// intorw_, rwtoin_).

#include "faultinjector.h"
#include "owsession.h"
#include "recordaccess.h"
#include "surveygeometry.h"
#include "unitcatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
OwSession& session()
{
    return OwSession::instance();
}

#define SET_STATUS(value)    \
    do {                     \
        if (status)          \
            *status = value; \
        return;              \
    } while (0)

struct Bounds
{
    int firstLine, lastLine, firstTrace, lastTrace;
};

Bounds boundsOf(const gdi3dSurvey_t& survey)
{
    Bounds b;
    b.firstLine = static_cast<int>(std::lround(std::min(survey.firstLine, survey.lastLine)));
    b.lastLine = static_cast<int>(std::lround(std::max(survey.firstLine, survey.lastLine)));
    b.firstTrace = static_cast<int>(std::lround(std::min(survey.firstTrace, survey.lastTrace)));
    b.lastTrace = static_cast<int>(std::lround(std::max(survey.firstTrace, survey.lastTrace)));
    return b;
}

std::string text(const char* value, size_t size)
{
    return std::string(value, strnlen(value, size));
}

bool findHorizonData(int gridId, int surveyId, ProjectStore::Row* row)
{
    const RecordCatalog::Class* c = RecordCatalog::find(GDI_CLASS_HORIZON_DATA);
    gdiHorizonData_t key{};
    key.gridId = gridId;
    key.surveyId = surveyId;
    std::vector<ProjectStore::Row> rows;
    if (RecordAccess::match(*c, &key, {RecordCatalog::field(*c, 1), RecordCatalog::field(*c, 2)}, &rows) != 0 ||
        rows.empty())
        return false;
    *row = std::move(rows.front());
    return true;
}

bool findCatalog(int horizonId, ProjectStore::Row* row)
{
    int classId = 0;
    if (horizonId <= 0 || !session().store()->record(horizonId, &classId, &row->data) ||
        classId != GDI_CLASS_HORIZON_CATALOG)
        return false;
    row->rid = horizonId;
    return true;
}

/// A stored node is missing when it holds the quiet NaN that writes store
/// (0x7fc00000, either sign); a NaN of any other bit pattern is a NaN value
/// kept in the grid and reads back as NaN.
bool isMissingNode(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x7fffffffu) == 0x7fc00000u;
}

int domainUnitType(const char* domain)
{
    return std::strncmp(domain, "DEPTH", 13) == 0 ? OW_UNIT_TYPE_DEPTH : OW_UNIT_TYPE_SEISMIC_TIME;
}

double factorFor(int unitType, bool toProject)
{
    const int projectUnit = session().store()->unitFor(unitType);
    const int sessionUnit = session().sessionUnitFor(unitType);
    double factor = 1.0;
    if (!UnitCatalog::factor(toProject ? sessionUnit : projectUnit, toProject ? projectUnit : sessionUnit, &factor))
        return 1.0;
    return factor;
}

/// Creates the horizon data record of a catalogue record in the current survey.
int addHorizonData(const gdiHorizonCatalog_t& catalog, const gdi3dSurvey_t& survey, gdiHorizonData_t* data)
{
    std::memset(data, 0, sizeof(*data));
    data->gridId = catalog.id;
    data->surveyId = survey.id;
    std::memcpy(data->horizonName, catalog.name, sizeof(data->horizonName));
    std::memcpy(data->interpreter, catalog.interpreter, sizeof(data->interpreter));
    std::memcpy(data->attribute, catalog.attribute, sizeof(data->attribute));
    std::memcpy(data->surveyName, survey.name, sizeof(data->surveyName));
    std::memcpy(data->domain, catalog.domain, sizeof(data->domain));
    const Bounds b = boundsOf(survey);
    data->firstLine = b.firstLine;
    data->lastLine = b.lastLine;
    data->firstTrace = b.firstTrace;
    data->lastTrace = b.lastTrace;
    data->nullValue = 1.0e37;
    return RecordAccess::add(GDI_CLASS_HORIZON_DATA, data);
}
} // namespace

extern "C" {

void srvbnd_(const int* projectType, int* firstLine, int* firstTrace, int* lastLine, int* lastTrace, int* status)
{
    OW_CALL("srvbnd_", SET_STATUS);
    (void)projectType;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !firstLine || !firstTrace || !lastLine || !lastTrace) {
        if (status)
            *status = 2;
        return;
    }
    const Bounds b = boundsOf(*survey);
    *firstLine = b.firstLine;
    *lastLine = b.lastLine;
    *firstTrace = b.firstTrace;
    *lastTrace = b.lastTrace;
    if (status)
        *status = 0;
}

void hrzopn_(int* status, const char* surveyName, const int* firstLine, const int* lastLine, const int* firstTrace,
             const int* lastTrace, const float* nullValue, int* handle)
{
    OW_CALL("hrzopn_", SET_STATUS);
    (void)firstLine;
    (void)lastLine;
    (void)firstTrace;
    (void)lastTrace;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    std::string name = surveyName ? surveyName : "";
    name.erase(name.find_last_not_of(' ') + 1);
    if (!survey || name != text(survey->name, sizeof(survey->name))) {
        if (status)
            *status = 2;
        return;
    }
    session().horizonOpen = true;
    session().horizonNull = nullValue ? *nullValue : 1.0e37f;
    if (handle)
        *handle = 1;
    if (status)
        *status = 0;
}

void hrzcls_(int* status)
{
    OW_CALL("hrzcls_", SET_STATUS);
    session().horizonOpen = false;
    session().sessionUnits.clear();
    if (status)
        *status = 0;
}

void hrzrw_(const int* gridId, const int* mode, int* status, const int* firstLine, const int* lastLine,
            const int* firstTrace, const int* lastTrace, float* buffer, const int* rowLength)
{
    OW_CALL("hrzrw_", SET_STATUS);
    if (!status)
        return;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!session().horizonOpen || !survey) {
        *status = 2;
        return;
    }
    if (!gridId || !mode || !firstLine || !lastLine || !firstTrace || !lastTrace || !buffer || !rowLength) {
        *status = 3;
        return;
    }
    const Bounds b = boundsOf(*survey);
    if (*firstLine > *lastLine || *firstTrace > *lastTrace || *rowLength < *lastTrace - *firstTrace + 1 ||
        *firstLine < b.firstLine || *lastLine > b.lastLine || *firstTrace < b.firstTrace || *lastTrace > b.lastTrace) {
        *status = 4;
        return;
    }
    if (*mode != 0 && *mode != 1) {
        *status = 3;
        return;
    }
    ProjectStore::Row dataRow;
    if (!findHorizonData(*gridId, survey->id, &dataRow)) {
        ProjectStore::Row catalogRow;
        if (*mode == 1 || !findCatalog(*gridId, &catalogRow)) {
            *status = 1;
            return;
        }
        gdiHorizonData_t data;
        if (addHorizonData(*reinterpret_cast<const gdiHorizonCatalog_t*>(catalogRow.data.data()), *survey, &data) !=
                0 ||
            !findHorizonData(*gridId, survey->id, &dataRow)) {
            *status = 5;
            return;
        }
    }
    auto* data = reinterpret_cast<gdiHorizonData_t*>(dataRow.data.data());
    const int unitType = domainUnitType(data->domain);
    ProjectStore::Grid grid;
    bool found = false;
    if (!session().store()->grid(*gridId, survey->id, &grid, &found)) {
        *status = 3;
        return;
    }
    const int columns = b.lastTrace - b.firstTrace + 1;
    if (!found || grid.firstLine != b.firstLine || grid.firstTrace != b.firstTrace ||
        grid.values.size() != static_cast<size_t>(columns) * (b.lastLine - b.firstLine + 1)) {
        grid.firstLine = b.firstLine;
        grid.lastLine = b.lastLine;
        grid.firstTrace = b.firstTrace;
        grid.lastTrace = b.lastTrace;
        grid.values.assign(static_cast<size_t>(columns) * (b.lastLine - b.firstLine + 1),
                           std::numeric_limits<float>::quiet_NaN());
    }
    const float null = session().horizonNull;
    if (*mode == 1) {
        const double factor = factorFor(unitType, false);
        for (int line = *firstLine; line <= *lastLine; ++line) {
            for (int trace = *firstTrace; trace <= *lastTrace; ++trace) {
                const float value = grid.values[static_cast<size_t>(line - b.firstLine) * columns + (trace - b.firstTrace)];
                buffer[static_cast<size_t>(line - *firstLine) * *rowLength + (trace - *firstTrace)] =
                    isMissingNode(value) ? null
                    : std::isnan(value)  ? std::numeric_limits<float>::quiet_NaN()
                                         : static_cast<float>(value * factor);
            }
        }
        *status = 0;
        return;
    }
    const double factor = factorFor(unitType, true);
    for (int line = *firstLine; line <= *lastLine; ++line) {
        for (int trace = *firstTrace; trace <= *lastTrace; ++trace) {
            const float value = buffer[static_cast<size_t>(line - *firstLine) * *rowLength + (trace - *firstTrace)];
            const bool missing = std::isnan(value) || value == null || std::fabs(value) >= 1.0e37f;
            grid.values[static_cast<size_t>(line - b.firstLine) * columns + (trace - b.firstTrace)] =
                missing ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(value * factor);
        }
    }
    float low = std::numeric_limits<float>::max();
    float high = -std::numeric_limits<float>::max();
    for (float v : grid.values) {
        if (!std::isnan(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (low <= high) {
        data->dataMin = low;
        data->dataMax = high;
    }
    if (!session().store()->putGrid(*gridId, survey->id, grid) || !session().store()->update(dataRow.rid, dataRow.data)) {
        *status = 3;
        return;
    }
    *status = 0;
}

void hrzcrt_(const int* option, int* horizonId, int* status)
{
    OW_CALL("hrzcrt_", SET_STATUS);
    (void)option;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !session().horizonOpen || !horizonId) {
        if (status)
            *status = survey ? 2 : 5;
        return;
    }
    gdiHorizonCatalog_t catalog{};
    std::memcpy(catalog.interpreter, session().activeProject().interpreter, sizeof(catalog.interpreter) - 1);
    std::strncpy(catalog.version, "1", sizeof(catalog.version) - 1);
    gdiHorizonData_t data;
    if (RecordAccess::add(GDI_CLASS_HORIZON_CATALOG, &catalog) != 0 || addHorizonData(catalog, *survey, &data) != 0) {
        if (status)
            *status = 5;
        return;
    }
    *horizonId = catalog.id;
    if (status)
        *status = 0;
}

void hrzdel_(const int* horizonId, int* status)
{
    OW_CALL("hrzdel_", SET_STATUS);
    ProjectStore::Row row;
    if (!horizonId || !session().store() || !findCatalog(*horizonId, &row)) {
        if (status)
            *status = 1;
        return;
    }
    const int result = RecordAccess::remove(*RecordCatalog::find(GDI_CLASS_HORIZON_CATALOG), row);
    if (status)
        *status = result == 0 ? 0 : 3;
}

void hrzhdr_plus_(const int* horizonId, const int* option, const char* name, const char* interpreter,
                  const char* attribute, const char* version, const int* flag, const float* dataMin,
                  const float* dataMax, const void* block, int* status)
{
    OW_CALL("hrzhdr_plus_", SET_STATUS);
    (void)option;
    (void)flag;
    (void)block;
    ProjectStore::Row row;
    if (!horizonId || !session().store() || !findCatalog(*horizonId, &row)) {
        if (status)
            *status = 1;
        return;
    }
    auto* catalog = reinterpret_cast<gdiHorizonCatalog_t*>(row.data.data());
    auto setText = [](char* field, size_t size, const char* value) {
        if (!value)
            return;
        std::memset(field, 0, size);
        std::strncpy(field, value, size - 1);
    };
    setText(catalog->name, sizeof(catalog->name), name);
    setText(catalog->interpreter, sizeof(catalog->interpreter), interpreter);
    setText(catalog->attribute, sizeof(catalog->attribute), attribute);
    setText(catalog->version, sizeof(catalog->version), version);
    if (attribute && std::strncmp(attribute, "TIME", 4) == 0)
        setText(catalog->domain, sizeof(catalog->domain), "TIME");
    else if (attribute && std::strncmp(attribute, "DEPTH", 5) == 0)
        setText(catalog->domain, sizeof(catalog->domain), "DEPTH");
    const int unitType = domainUnitType(catalog->domain);
    const bool haveRange = dataMin && dataMax && *dataMin <= *dataMax;
    const double factor = haveRange ? factorFor(unitType, true) : 1.0;
    if (haveRange) {
        catalog->dataMin = *dataMin * factor;
        catalog->dataMax = *dataMax * factor;
    }
    int result = RecordAccess::update(GDI_CLASS_HORIZON_CATALOG, catalog);
    const gdi3dSurvey_t* survey = session().currentSurvey();
    ProjectStore::Row dataRow;
    if (result == 0 && survey && findHorizonData(*horizonId, survey->id, &dataRow)) {
        auto* data = reinterpret_cast<gdiHorizonData_t*>(dataRow.data.data());
        std::memcpy(data->horizonName, catalog->name, sizeof(data->horizonName));
        std::memcpy(data->interpreter, catalog->interpreter, sizeof(data->interpreter));
        std::memcpy(data->attribute, catalog->attribute, sizeof(data->attribute));
        std::memcpy(data->domain, catalog->domain, sizeof(data->domain));
        if (haveRange) {
            data->dataMin = catalog->dataMin;
            data->dataMax = catalog->dataMax;
        }
        result = session().store()->update(dataRow.rid, dataRow.data) ? 0 : 3;
    }
    if (status)
        *status = result == 0 ? 0 : 3;
}

void intorw_(const int* option, const float* line, const float* trace, double* x, double* y, int* status)
{
    OW_CALL("intorw_", SET_STATUS);
    (void)option;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !line || !trace || !x || !y) {
        if (status)
            *status = 1;
        return;
    }
    const SurveyGeometry geometry(*survey);
    if (!geometry.isValid()) {
        if (status)
            *status = 2;
        return;
    }
    geometry.toMap(*line, *trace, x, y);
    if (status)
        *status = 0;
}

void rwtoin_(const int* option, const double* x, const double* y, double* line, double* trace, int* status)
{
    OW_CALL("rwtoin_", SET_STATUS);
    (void)option;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !line || !trace || !x || !y) {
        if (status)
            *status = 1;
        return;
    }
    const SurveyGeometry geometry(*survey);
    if (!geometry.toGrid(*x, *y, line, trace)) {
        if (status)
            *status = 2;
        return;
    }
    if (status)
        *status = 0;
}

} // extern "C"
