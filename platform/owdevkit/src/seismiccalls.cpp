// 3D seismic calls of the DevKit (prjin2_, prjend_, dm3d*_).

#include "faultinjector.h"
#include "owsession.h"
#include "recordaccess.h"
#include "opendataset.h"
#include "surveygeometry.h"
#include "unitcatalog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{
OwSession& session()
{
    return OwSession::instance();
}

#define SET_STATUS(value)  \
    do {                   \
        if (status)        \
            *status = value; \
        return;            \
    } while (0)

std::string text(const char* value, int size)
{
    std::string result(value, strnlen(value, static_cast<size_t>(size)));
    const auto last = result.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : result.substr(0, last + 1);
}

std::string sanitized(const std::string& name)
{
    std::string result;
    for (char ch : name)
        result += (std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '.') ? ch : '_';
    return result.empty() ? std::string("_") : result;
}

bool makePath(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (mkdir(path.substr(0, i).c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

/// The data set record of a seismic file name (relative or absolute).
bool findDataSet(const std::string& fileName, ProjectStore::Row* found)
{
    if (!session().store() || fileName.empty())
        return false;
    const RecordCache::Table* rows = session().store()->table(GDI_CLASS_SEISMIC_DATA_SET);
    if (!rows)
        return false;
    const std::string path = RecordAccess::seismicPath(fileName);
    for (const auto& row : *rows) {
        if (row.second.size() != sizeof(gdiSeismicDataSet_t))
            continue;
        const auto* dataSet = reinterpret_cast<const gdiSeismicDataSet_t*>(row.second.data());
        const std::string name = text(dataSet->fileName, sizeof(dataSet->fileName));
        if (name == fileName || RecordAccess::seismicPath(name) == path) {
            *found = ProjectStore::Row{row.first, row.second};
            return true;
        }
    }
    return false;
}

bool readSurvey(int surveyId, std::vector<char>* data)
{
    int classId = 0;
    return session().store()->record(surveyId, &classId, data) && classId == GDI_CLASS_3D_SURVEY &&
           data->size() == sizeof(gdi3dSurvey_t);
}

/// The survey of a data set; a data set whose survey is gone is read as if
/// its survey were a "TRACE" survey spanning exactly the data set.
gdi3dSurvey_t surveyOf(const gdiSeismicDataSet_t& dataSet, bool* found)
{
    std::vector<char> data;
    gdi3dSurvey_t survey{};
    *found = readSurvey(dataSet.surveyId, &data);
    if (*found) {
        std::memcpy(&survey, data.data(), sizeof survey);
        return survey;
    }
    std::strncpy(survey.orientation, "TRACE", sizeof(survey.orientation) - 1);
    survey.firstLine = dataSet.inlineMin;
    survey.lastLine = dataSet.inlineMax;
    survey.firstTrace = dataSet.xlineMin;
    survey.lastTrace = dataSet.xlineMax;
    return survey;
}

/// A vertical value of a data set record (in the unit of the record, else of
/// the project) in the unit of the file's headers: milliseconds for time,
/// metres or feet (by the project's measurement system) for depth.
double toFileUnit(double value, const gdiSeismicDataSet_t& dataSet, bool isTime)
{
    const std::string abbreviation = text(dataSet.unit, sizeof(dataSet.unit));
    const UnitCatalog::Unit* recorded = UnitCatalog::unitByAbbreviation(abbreviation);
    const UnitCatalog::Kind kind = isTime ? UnitCatalog::Time : UnitCatalog::Length;
    int from = recorded && recorded->kind == kind ? recorded->id : 0;
    if (from == 0 && session().store())
        from = session().store()->unitFor(isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH);
    const int to = isTime ? OW_UNIT_MILLISECONDS
                          : (session().activeProject().measurementSystem == 2 ? OW_UNIT_FEET : OW_UNIT_METERS);
    double factor = 1.0;
    return UnitCatalog::factor(from, to, &factor) ? value * factor : value;
}

bool isTimeDomain(const gdiSeismicDataSet_t& dataSet)
{
    return std::strncmp(dataSet.domain, "TIME", sizeof(dataSet.domain)) == 0;
}

SeismicFile::Geometry geometryOf(const gdiSeismicDataSet_t& dataSet, const DataSetGrid& grid)
{
    SeismicFile::Geometry g;
    g.lineCount = grid.lineCount();
    g.traceCount = grid.traceCount();
    g.firstLine = grid.fileFirstLine();
    g.lineStep = grid.fileLineStep();
    g.firstTrace = grid.fileFirstTrace();
    g.traceStep = grid.fileTraceStep();
    g.samples = dataSet.sampleCount;
    const bool isTime = isTimeDomain(dataSet);
    g.start = toFileUnit(dataSet.verticalStart, dataSet, isTime);
    g.interval = toFileUnit(dataSet.sampleInterval, dataSet, isTime);
    g.measurementSystem = session().activeProject().measurementSystem;
    return g;
}

OpenDataSet* openFile(const void* controlBlock)
{
    if (!controlBlock)
        return nullptr;
    const auto* cb = static_cast<const dm3dControlBlock_t*>(controlBlock);
    const auto it = session().files.find(cb->handle);
    return it == session().files.end() ? nullptr : it->second.get();
}

void fillControlBlock(dm3dControlBlock_t* cb, const DataSetGrid& grid, const gdiSeismicDataSet_t& dataSet,
                      int handle, int mode)
{
    std::memset(cb, 0, sizeof(*cb));
    cb->handle = handle;
    cb->mode = mode;
    cb->firstX = static_cast<int32_t>(grid.firstX());
    cb->lastX = static_cast<int32_t>(grid.lastX());
    cb->firstY = static_cast<int32_t>(grid.firstY());
    cb->lastY = static_cast<int32_t>(grid.lastY());
    cb->firstSample = 1;
    cb->lastSample = dataSet.sampleCount;
    cb->samplesPerTrace = dataSet.sampleCount;
    cb->verticalStart = static_cast<float>(dataSet.verticalStart);
    cb->sampleInterval = static_cast<float>(dataSet.sampleInterval);
    cb->verticalEnd = static_cast<float>(dataSet.verticalStart + dataSet.sampleCount * dataSet.sampleInterval);
    cb->domain = isTimeDomain(dataSet) ? 1 : 2;
    cb->constants[0] = 1;
    cb->constants[1] = 1;
    cb->constants[2] = 0;
    cb->dataSetId = dataSet.id;
    cb->surveyId = dataSet.surveyId;
    cb->traceCount = static_cast<int32_t>(grid.lastX() - grid.firstX() + 1);
    cb->lineCount = static_cast<int32_t>(grid.lastY() - grid.firstY() + 1);
}

/// Whether a grid range lies inside the survey's grid.
bool insideSurvey(const SurveyGrid& survey, const DataSetGrid& grid)
{
    const long long xCount = survey.isTraceOriented() ? survey.traceCount() : survey.lineCount();
    const long long yCount = survey.isTraceOriented() ? survey.lineCount() : survey.traceCount();
    return grid.firstX() >= 1 && grid.lastX() <= xCount && grid.firstY() >= 1 && grid.lastY() <= yCount;
}
} // namespace

extern "C" {

void prjin2_(int* status, int* projectType, const char* surveyName, const int* nameLength)
{
    OW_CALL("prjin2_", SET_STATUS);
    if (!status)
        return;
    if (!session().store()) {
        *status = 4;
        return;
    }
    if (!projectType || *projectType != 3) {
        *status = 3;
        return;
    }
    if (!surveyName) {
        *status = 1;
        return;
    }
    const int length = nameLength && *nameLength > 0 ? *nameLength : static_cast<int>(std::strlen(surveyName));
    const std::string name = text(surveyName, length);
    gdi3dSurvey_t key{};
    std::strncpy(key.name, name.c_str(), sizeof(key.name) - 1);
    std::vector<ProjectStore::Row> rows;
    const RecordCatalog::Class* c = RecordCatalog::find(GDI_CLASS_3D_SURVEY);
    if (name.empty() || RecordAccess::match(*c, &key, {RecordCatalog::field(*c, 1)}, &rows) != 0 || rows.empty()) {
        session().emit(1, "prjin2_: no 3D survey named " + name);
        *status = 1;
        return;
    }
    session().closeSurvey();
    session().survey = rows.front().data;
    session().surveyOpen = true;
    *status = 0;
}

void prjend_(const int* projectType, const int* option)
{
    std::lock_guard<std::recursive_mutex> lock(session().mutex());
    int ignored = 0;
    FaultInjector::instance().check("prjend_", &ignored);
    (void)projectType;
    (void)option;
    session().closeSurvey();
}

void dm3dop_(const char* fileName, void* controlBlock, const int* mode, int* status)
{
    OW_CALL("dm3dop_", SET_STATUS);
    if (!status)
        return;
    if (!mode || (*mode != 1 && *mode != 3)) {
        *status = 5;
        return;
    }
    if (!fileName || !controlBlock || !*fileName) {
        *status = 8;
        return;
    }
    const std::string name = text(fileName, DM3D_FILE_NAME_SIZE);
    const std::string path = RecordAccess::seismicPath(name);
    struct stat info;
    ProjectStore::Row row;
    if (stat(path.c_str(), &info) != 0 || !findDataSet(name, &row)) {
        *status = 6;
        return;
    }
    const auto* dataSet = reinterpret_cast<const gdiSeismicDataSet_t*>(row.data.data());
    bool haveSurvey = false;
    const gdi3dSurvey_t survey = surveyOf(*dataSet, &haveSurvey);
    const DataSetGrid grid = DataSetGrid::fromRecord(SurveyGrid(survey), *dataSet);
    if (!grid.fitsControlBlock()) {
        session().emit(8, "dm3dop_: the grid of " + name + " does not fit the control block");
        *status = 8;
        return;
    }
    if (dataSet->verticalStart < -32767.0) {
        *status = 4;
        return;
    }
    auto open = std::make_unique<OpenDataSet>();
    open->grid = grid;
    open->dataSetId = dataSet->id;
    open->surveyId = dataSet->surveyId;
    const SeismicFile::Geometry g = geometryOf(*dataSet, grid);
    std::string error;
    if (*mode == 1) {
        if (!open->file.openRead(path, g, &error)) {
            session().emit(8, "dm3dop_: " + error);
            *status = 8;
            return;
        }
    } else {
        if (access(path.c_str(), W_OK) != 0) {
            *status = 11;
            return;
        }
        SeismicFile::Locator locator;
        const SurveyGeometry geometry(survey);
        if (haveSurvey && geometry.isValid())
            locator = [geometry](double line, double trace, double* x, double* y) { geometry.toMap(line, trace, x, y); };
        if (!open->file.openWrite(path, g, locator, &error)) {
            session().emit(11, "dm3dop_: " + error);
            *status = 11;
            return;
        }
    }
    const int handle = session().nextFileHandle++;
    fillControlBlock(static_cast<dm3dControlBlock_t*>(controlBlock), grid, *dataSet, handle, *mode);
    session().files[handle] = std::move(open);
    *status = 0;
}

void dm3dpf_(void* controlBlock, const int* projectType, int* status)
{
    OW_CALL("dm3dpf_", SET_STATUS);
    (void)projectType;
    if (!status)
        return;
    OpenDataSet* open = openFile(controlBlock);
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!open || !survey) {
        *status = 3;
        return;
    }
    const bool inside = open->surveyId == survey->id && insideSurvey(SurveyGrid(*survey), open->grid);
    *status = inside ? 0 : 2;
}

void dm3dnx_(void* controlBlock, const int* option, const int* firstX, const int* lastX, const int* step,
             void* workBuffer, int* status)
{
    OW_CALL("dm3dnx_", SET_STATUS);
    (void)option;
    (void)step;
    (void)workBuffer;
    if (!status)
        return;
    OpenDataSet* open = openFile(controlBlock);
    if (!open || !firstX || !lastX || *firstX > *lastX || *firstX < open->grid.firstX() ||
        *lastX > open->grid.lastX()) {
        *status = 3;
        return;
    }
    *status = 0;
}

void dm3dtr_(void* controlBlock, const int* gridX, const int* gridY, const int* firstSample, const int* lastSample,
             const int* step, const int* option, float* trace, const float* scale, int* status, int* flags)
{
    OW_CALL("dm3dtr_", SET_STATUS);
    (void)step;
    (void)option;
    (void)scale;
    if (!status)
        return;
    OpenDataSet* open = openFile(controlBlock);
    if (!open || !gridX || !gridY || !firstSample || !lastSample || !trace) {
        *status = 9;
        return;
    }
    if (*firstSample > *lastSample) {
        *status = 4;
        return;
    }
    if (*firstSample < 1 || *lastSample > open->file.geometry().samples) {
        *status = 2;
        return;
    }
    if (!open->grid.contains(*gridX, *gridY)) {
        *status = 3;
        return;
    }
    long long line = 0, traceIndex = 0;
    open->grid.fileIndexesOf(*gridX, *gridY, &line, &traceIndex);
    if (open->file.isWriting()) {
        *status = open->file.writeTrace(line, traceIndex, *firstSample, *lastSample, trace);
        if (flags)
            *flags = 0;
    } else {
        *status = open->file.readTrace(line, traceIndex, *firstSample, *lastSample, trace);
        if (flags)
            *flags = *status == 1 ? 1 : 0;
    }
    if (*status == 9)
        session().emit(9, "dm3dtr_: I/O failure on " + open->file.path());
}

void dm3dcl_(void* controlBlock, const int* option, int* status)
{
    OW_CALL("dm3dcl_", SET_STATUS);
    (void)option;
    OpenDataSet* open = openFile(controlBlock);
    int result = 0;
    if (!open) {
        result = 3;
    } else {
        auto* cb = static_cast<dm3dControlBlock_t*>(controlBlock);
        SeismicFile& file = open->file;
        const bool writing = file.isWriting();
        if (!file.close()) {
            session().emit(9, "dm3dcl_: cannot write the last traces of " + file.path());
            result = 9;
        }
        // The value range goes into the data set record when the data set is
        // written inside the caller's transaction (never into a new one).
        ProjectStore* store = session().store();
        if (writing && file.writtenMin() <= file.writtenMax() && store && store->inTransaction()) {
            cb->dataMin = file.writtenMin();
            cb->dataMax = file.writtenMax();
            ProjectStore::Row row;
            if (findDataSet(file.path(), &row)) {
                auto* dataSet = reinterpret_cast<gdiSeismicDataSet_t*>(row.data.data());
                const bool hadRange = dataSet->dataMin < dataSet->dataMax;
                dataSet->dataMin = hadRange ? std::min<double>(dataSet->dataMin, file.writtenMin()) : file.writtenMin();
                dataSet->dataMax = hadRange ? std::max<double>(dataSet->dataMax, file.writtenMax()) : file.writtenMax();
                if (!store->update(row.rid, row.data) && result == 0)
                    result = 9;
            }
        }
        session().files.erase(cb->handle);
        cb->handle = 0;
    }
    if (status)
        *status = result;
}

void dm3d_crt_ds_(const char* dataSetName, const char* version, void* controlBlock, char* fileName, int* status)
{
    OW_CALL("dm3d_crt_ds_", SET_STATUS);
    if (!status)
        return;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !session().store()) {
        *status = 3;
        return;
    }
    auto* cb = static_cast<dm3dControlBlock_t*>(controlBlock);
    if (!dataSetName || !*dataSetName || !cb || !fileName) {
        *status = 4;
        return;
    }
    const auto refuse = [&](const std::string& why) {
        session().emit(4, std::string("dm3d_crt_ds_: ") + dataSetName + ": " + why);
        *status = 4;
    };
    long long samples = cb->samplesPerTrace;
    if (samples <= 0 && cb->sampleInterval > 0.0f)
        samples = std::llround((double(cb->verticalEnd) - double(cb->verticalStart)) / double(cb->sampleInterval));
    if (samples <= 0 || samples > SeismicFile::kMaxSamples || !(cb->sampleInterval > 0.0f)) {
        refuse("invalid vertical axis (" + std::to_string(samples) + " samples)");
        return;
    }
    const SurveyGrid surveyGrid(*survey);
    DataSetGrid grid;
    std::string error;
    if (!DataSetGrid::fromGridRange(surveyGrid, cb->firstX, cb->lastX, cb->firstY, cb->lastY, &grid, &error)) {
        refuse(error);
        return;
    }
    if (!insideSurvey(surveyGrid, grid)) {
        refuse("grid x " + std::to_string(cb->firstX) + " to " + std::to_string(cb->lastX) + ", y " +
               std::to_string(cb->firstY) + " to " + std::to_string(cb->lastY) + " is not inside the survey's grid");
        return;
    }
    const std::string surveyName = text(survey->name, sizeof(survey->name));
    const bool isTime = cb->domain == 1;
    const int verticalUnit = session().store()->unitFor(isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH);
    const int xyUnit = session().store()->unitFor(OW_UNIT_TYPE_XY);
    gdiSeismicDataSet_t record{};
    record.surveyId = survey->id;
    std::strncpy(record.name, dataSetName, sizeof(record.name) - 1);
    std::strncpy(record.version, version && *version ? version : "UNKNOWN", sizeof(record.version) - 1);
    std::strncpy(record.attribute, "AMPLITUDE", sizeof(record.attribute) - 1);
    std::strncpy(record.type, "3D", sizeof(record.type) - 1);
    std::strncpy(record.format, "FLOAT32", sizeof(record.format) - 1);
    std::strncpy(record.domain, isTime ? "TIME" : "DEPTH", sizeof(record.domain) - 1);
    record.inlineMin = grid.inlineMin();
    record.inlineMax = grid.inlineMax();
    record.xlineMin = grid.xlineMin();
    record.xlineMax = grid.xlineMax();
    record.verticalStart = cb->verticalStart;
    record.firstSampleValue = cb->verticalStart;
    record.sampleInterval = cb->sampleInterval;
    record.sampleCount = static_cast<int32_t>(samples);
    record.nullValue = -9999.0;
    const UnitCatalog::Unit* vertical = UnitCatalog::unit(verticalUnit);
    const UnitCatalog::Unit* xy = UnitCatalog::unit(xyUnit);
    std::strncpy(record.unit, vertical ? vertical->abbreviation : "", sizeof(record.unit) - 1);
    std::strncpy(record.lineUnit, "line", sizeof(record.lineUnit) - 1);
    std::strncpy(record.traceUnit, "trace", sizeof(record.traceUnit) - 1);
    std::strncpy(record.xyUnit, xy ? xy->abbreviation : "", sizeof(record.xyUnit) - 1);
    std::memcpy(record.interpreter, session().activeProject().interpreter, sizeof(record.interpreter) - 1);
    const SeismicFile::Geometry g = geometryOf(record, grid);
    if (!g.check(&error)) {
        refuse(error);
        return;
    }
    if (RecordAccess::add(GDI_CLASS_SEISMIC_DATA_SET, &record) != 0) {
        session().emit(1, std::string("dm3d_crt_ds_: cannot add data set ") + dataSetName);
        *status = 1;
        return;
    }
    const std::string relative =
        sanitized(surveyName) + "/" + sanitized(dataSetName) + "_" + std::to_string(record.id) + ".sgy";
    std::strncpy(record.fileName, relative.c_str(), sizeof(record.fileName) - 1);
    ProjectStore::Row added;
    const bool locatable = RecordAccess::locate(*RecordCatalog::find(GDI_CLASS_SEISMIC_DATA_SET), &record, &added) == 0;
    if (RecordAccess::update(GDI_CLASS_SEISMIC_DATA_SET, &record) != 0) {
        if (locatable)
            session().store()->remove(added.rid);
        *status = 2;
        return;
    }
    const std::string folder = session().currentDataFolder();
    const std::string path = folder + "/" + relative;
    if (folder.empty() || !makePath(folder + "/" + sanitized(surveyName)) || !SeismicFile::create(path, g, &error)) {
        if (locatable)
            session().store()->remove(added.rid);
        session().emit(5, "dm3d_crt_ds_: cannot create " + path + (error.empty() ? "" : ": " + error));
        *status = 5;
        return;
    }
    session().store()->fileCreated(path);
    cb->samplesPerTrace = static_cast<int32_t>(samples);
    cb->firstSample = 1;
    cb->lastSample = static_cast<int32_t>(samples);
    cb->dataSetId = record.id;
    cb->surveyId = survey->id;
    std::memset(fileName, 0, DM3D_FILE_NAME_SIZE);
    std::strncpy(fileName, relative.c_str(), DM3D_FILE_NAME_SIZE - 1);
    *status = 0;
}

void dm3ddl_(const char* fileName, int* status)
{
    OW_CALL("dm3ddl_", SET_STATUS);
    ProjectStore::Row row;
    if (!fileName || !findDataSet(text(fileName, DM3D_FILE_NAME_SIZE), &row)) {
        if (status)
            *status = 6;
        return;
    }
    const std::string path = RecordAccess::seismicPath(text(fileName, DM3D_FILE_NAME_SIZE));
    for (auto it = session().files.begin(); it != session().files.end();) {
        if (it->second->file.path() == path) {
            it->second->file.discard();
            it = session().files.erase(it);
        } else {
            ++it;
        }
    }
    const int result = RecordAccess::remove(*RecordCatalog::find(GDI_CLASS_SEISMIC_DATA_SET), row);
    if (status)
        *status = result == 0 ? 0 : 9;
}

void dm3dgetGdiStruct_(const char* fileName, void* record, int* status)
{
    OW_CALL("dm3dgetGdiStruct_", SET_STATUS);
    ProjectStore::Row row;
    if (!fileName || !record || !findDataSet(text(fileName, DM3D_FILE_NAME_SIZE), &row)) {
        if (status)
            *status = 6;
        return;
    }
    std::memcpy(record, row.data.data(), sizeof(gdiSeismicDataSet_t));
    if (status)
        *status = 0;
}

void dm3dgetnamefromkeys_(const char* dataSetName, const char* version, char* fileName, int* status)
{
    OW_CALL("dm3dgetnamefromkeys_", SET_STATUS);
    if (!status)
        return;
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!survey || !dataSetName) {
        *status = 3;
        return;
    }
    static const RecordCache::Table none;
    const RecordCache::Table* rows = session().store()->table(GDI_CLASS_SEISMIC_DATA_SET);
    const std::string wantedVersion = version ? version : "";
    for (const auto& row : rows ? *rows : none) {
        if (row.second.size() != sizeof(gdiSeismicDataSet_t))
            continue;
        const auto* dataSet = reinterpret_cast<const gdiSeismicDataSet_t*>(row.second.data());
        if (dataSet->surveyId == survey->id && text(dataSet->name, sizeof(dataSet->name)) == dataSetName &&
            (wantedVersion.empty() || text(dataSet->version, sizeof(dataSet->version)) == wantedVersion)) {
            if (fileName) {
                std::memset(fileName, 0, DM3D_FILE_NAME_SIZE);
                std::memcpy(fileName, dataSet->fileName, DM3D_FILE_NAME_SIZE - 1);
            }
            *status = 0;
            return;
        }
    }
    *status = 6;
}

} // extern "C"
