// 3D seismic calls of the DevKit (prjin2_, prjend_, dm3d*_).

#include "faultinjector.h"
#include "owsession.h"
#include "recordaccess.h"
#include "seismicfile.h"
#include "surveygeometry.h"
#include "unitcatalog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

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

SeismicFile::Geometry geometryOf(const gdiSeismicDataSet_t& dataSet)
{
    SeismicFile::Geometry g;
    g.firstX = static_cast<int>(std::lround(dataSet.xlineMin));
    g.lastX = static_cast<int>(std::lround(dataSet.xlineMax));
    g.firstY = static_cast<int>(std::lround(dataSet.inlineMin));
    g.lastY = static_cast<int>(std::lround(dataSet.inlineMax));
    g.samples = dataSet.sampleCount;
    g.start = static_cast<float>(dataSet.verticalStart);
    g.interval = static_cast<float>(dataSet.sampleInterval);
    g.measurementSystem = session().activeProject().measurementSystem;
    return g;
}

SeismicFile* openFile(const void* controlBlock)
{
    if (!controlBlock)
        return nullptr;
    const auto* cb = static_cast<const dm3dControlBlock_t*>(controlBlock);
    const auto it = session().files.find(cb->handle);
    return it == session().files.end() ? nullptr : it->second.get();
}

void fillControlBlock(dm3dControlBlock_t* cb, const SeismicFile::Geometry& g, const gdiSeismicDataSet_t& dataSet,
                      int handle, int mode)
{
    std::memset(cb, 0, sizeof(*cb));
    cb->handle = handle;
    cb->mode = mode;
    cb->firstX = g.firstX;
    cb->lastX = g.lastX;
    cb->firstY = g.firstY;
    cb->lastY = g.lastY;
    cb->firstSample = 1;
    cb->lastSample = g.samples;
    cb->samplesPerTrace = g.samples;
    cb->verticalStart = g.start;
    cb->sampleInterval = g.interval;
    cb->verticalEnd = g.start + static_cast<float>(g.samples) * g.interval;
    cb->domain = std::strncmp(dataSet.domain, "TIME", sizeof(dataSet.domain)) == 0 ? 1 : 2;
    cb->constants[0] = 1;
    cb->constants[1] = 1;
    cb->constants[2] = 0;
    cb->dataSetId = dataSet.id;
    cb->surveyId = dataSet.surveyId;
    cb->traceCount = g.traceCount();
    cb->lineCount = g.lineCount();
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
    const SeismicFile::Geometry g = geometryOf(*dataSet);
    if (g.firstX < -32767 || g.firstY < -32767 || g.start < -32767.0f) {
        *status = 4;
        return;
    }
    std::vector<char> surveyData;
    const bool haveSurvey = readSurvey(dataSet->surveyId, &surveyData);
    const auto* survey = haveSurvey ? reinterpret_cast<const gdi3dSurvey_t*>(surveyData.data()) : nullptr;
    auto file = std::make_unique<SeismicFile>();
    std::string error;
    if (*mode == 1) {
        const bool lineOrder = !survey || std::strncmp(survey->orientation, "TRACE", sizeof(survey->orientation)) == 0;
        if (!file->openRead(path, g, lineOrder, &error)) {
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
        if (survey) {
            const SurveyGeometry geometry(*survey);
            if (geometry.isValid())
                locator = [geometry](int x, int y, double* mapX, double* mapY) { geometry.toMap(y, x, mapX, mapY); };
        }
        if (!file->openWrite(path, g, locator, &error)) {
            session().emit(11, "dm3dop_: " + error);
            *status = 11;
            return;
        }
    }
    const int handle = session().nextFileHandle++;
    fillControlBlock(static_cast<dm3dControlBlock_t*>(controlBlock), g, *dataSet, handle, *mode);
    session().files[handle] = std::move(file);
    *status = 0;
}

void dm3dpf_(void* controlBlock, const int* projectType, int* status)
{
    OW_CALL("dm3dpf_", SET_STATUS);
    (void)projectType;
    if (!status)
        return;
    SeismicFile* file = openFile(controlBlock);
    const gdi3dSurvey_t* survey = session().currentSurvey();
    if (!file || !survey) {
        *status = 3;
        return;
    }
    const auto* cb = static_cast<const dm3dControlBlock_t*>(controlBlock);
    const double lineLow = std::min(survey->firstLine, survey->lastLine);
    const double lineHigh = std::max(survey->firstLine, survey->lastLine);
    const double traceLow = std::min(survey->firstTrace, survey->lastTrace);
    const double traceHigh = std::max(survey->firstTrace, survey->lastTrace);
    const SeismicFile::Geometry& g = file->geometry();
    const bool inside = cb->surveyId == survey->id && g.firstY >= lineLow && g.lastY <= lineHigh &&
                        g.firstX >= traceLow && g.lastX <= traceHigh;
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
    SeismicFile* file = openFile(controlBlock);
    if (!file || !firstX || !lastX || *firstX > *lastX || *firstX < file->geometry().firstX ||
        *lastX > file->geometry().lastX) {
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
    SeismicFile* file = openFile(controlBlock);
    if (!file || !gridX || !gridY || !firstSample || !lastSample || !trace) {
        *status = 9;
        return;
    }
    if (*firstSample > *lastSample) {
        *status = 4;
        return;
    }
    if (*firstSample < 1 || *lastSample > file->geometry().samples) {
        *status = 2;
        return;
    }
    if (!file->contains(*gridX, *gridY)) {
        *status = 3;
        return;
    }
    if (file->isWriting()) {
        *status = file->writeTrace(*gridX, *gridY, *firstSample, *lastSample, trace);
        if (flags)
            *flags = 0;
    } else {
        *status = file->readTrace(*gridX, *gridY, *firstSample, *lastSample, trace);
        if (flags)
            *flags = *status == 1 ? 1 : 0;
    }
}

void dm3dcl_(void* controlBlock, const int* option, int* status)
{
    OW_CALL("dm3dcl_", SET_STATUS);
    (void)option;
    SeismicFile* file = openFile(controlBlock);
    int result = 0;
    if (!file) {
        result = 3;
    } else {
        auto* cb = static_cast<dm3dControlBlock_t*>(controlBlock);
        if (file->isWriting() && file->writtenMin() <= file->writtenMax() && session().store()) {
            cb->dataMin = file->writtenMin();
            cb->dataMax = file->writtenMax();
            ProjectStore::Row row;
            if (findDataSet(file->path(), &row)) {
                auto* dataSet = reinterpret_cast<gdiSeismicDataSet_t*>(row.data.data());
                const bool hadRange = dataSet->dataMin < dataSet->dataMax;
                dataSet->dataMin = hadRange ? std::min<double>(dataSet->dataMin, file->writtenMin()) : file->writtenMin();
                dataSet->dataMax = hadRange ? std::max<double>(dataSet->dataMax, file->writtenMax()) : file->writtenMax();
                if (!session().store()->update(row.rid, row.data))
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
    int samples = cb->samplesPerTrace;
    if (samples <= 0 && cb->sampleInterval > 0.0f)
        samples = static_cast<int>(std::lround((cb->verticalEnd - cb->verticalStart) / cb->sampleInterval));
    if (samples <= 0 || samples > 32767 || cb->firstX > cb->lastX || cb->firstY > cb->lastY ||
        cb->sampleInterval <= 0.0f) {
        *status = 4;
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
    record.inlineMin = cb->firstY;
    record.inlineMax = cb->lastY;
    record.xlineMin = cb->firstX;
    record.xlineMax = cb->lastX;
    record.verticalStart = cb->verticalStart;
    record.firstSampleValue = cb->verticalStart;
    record.sampleInterval = cb->sampleInterval;
    record.sampleCount = samples;
    record.nullValue = -9999.0;
    std::strncpy(record.unit, UnitCatalog::unit(verticalUnit)->abbreviation, sizeof(record.unit) - 1);
    std::strncpy(record.lineUnit, "line", sizeof(record.lineUnit) - 1);
    std::strncpy(record.traceUnit, "trace", sizeof(record.traceUnit) - 1);
    std::strncpy(record.xyUnit, UnitCatalog::unit(xyUnit)->abbreviation, sizeof(record.xyUnit) - 1);
    std::memcpy(record.interpreter, session().activeProject().interpreter, sizeof(record.interpreter) - 1);
    if (RecordAccess::add(GDI_CLASS_SEISMIC_DATA_SET, &record) != 0) {
        session().emit(1, std::string("dm3d_crt_ds_: cannot add data set ") + dataSetName);
        *status = 1;
        return;
    }
    const std::string relative =
        sanitized(surveyName) + "/" + sanitized(dataSetName) + "_" + std::to_string(record.id) + ".sgy";
    std::strncpy(record.fileName, relative.c_str(), sizeof(record.fileName) - 1);
    if (RecordAccess::update(GDI_CLASS_SEISMIC_DATA_SET, &record) != 0) {
        *status = 2;
        return;
    }
    const std::string folder = session().currentDataFolder();
    const std::string path = folder + "/" + relative;
    SeismicFile::Geometry g = geometryOf(record);
    std::string error;
    if (folder.empty() || !makePath(folder + "/" + sanitized(surveyName)) || !SeismicFile::create(path, g, &error)) {
        ProjectStore::Row row;
        if (RecordAccess::locate(*RecordCatalog::find(GDI_CLASS_SEISMIC_DATA_SET), &record, &row) == 0)
            session().store()->remove(row.rid);
        session().emit(5, "dm3d_crt_ds_: cannot create " + path + (error.empty() ? "" : ": " + error));
        *status = 5;
        return;
    }
    session().store()->fileCreated(path);
    cb->samplesPerTrace = samples;
    cb->firstSample = 1;
    cb->lastSample = samples;
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
        if (it->second->path() == path)
            it = session().files.erase(it);
        else
            ++it;
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
