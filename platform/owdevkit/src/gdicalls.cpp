// Record, write and session calls of the DevKit (gdi*, owinit, Ohno*).

#include "faultinjector.h"
#include "owsession.h"
#include "recordaccess.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{
OwSession& session()
{
    return OwSession::instance();
}

#define RETURN_STATUS(status) return status
#define RETURN_ZERO(status) return 0
#define RETURN_NULL(status) return nullptr

/// Status of a call that needs an open project and a known class.
int checkClass(int classId, const RecordCatalog::Class** c)
{
    if (!session().store())
        return session().fail(GDI_NO_PROJECT);
    *c = RecordCatalog::find(classId);
    if (!*c)
        return session().fail(GDI_INVALID_CLASS, "class " + std::to_string(classId));
    return 0;
}

/// Copies cached records into a list the caller gives back with gdiFree.
int copyRecords(const RecordCatalog::Class& c, const std::vector<RecordAccess::Ref>& refs, int* count, void** list)
{
    *count = static_cast<int>(refs.size());
    *list = nullptr;
    if (refs.empty())
        return session().fail(GDI_NO_DATA);
    const size_t size = static_cast<size_t>(c.size);
    char* buffer = static_cast<char*>(std::malloc(refs.size() * size));
    if (!buffer)
        return session().fail(GDI_DATABASE_ERROR, "out of memory");
    for (size_t i = 0; i < refs.size(); ++i) {
        const size_t stored = std::min(size, refs[i].data->size());
        std::memcpy(buffer + i * size, refs[i].data->data(), stored);
        std::memset(buffer + i * size + stored, 0, size - stored);
    }
    *list = buffer;
    return 0;
}

bool makePath(const std::string& path)
{
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
            if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}
} // namespace

extern "C" {

int owinit(void)
{
    OW_CALL("owinit", RETURN_STATUS);
    if (!makePath(session().home()))
        return session().fail(OW_HOME_UNUSABLE, session().home());
    session().started = true;
    return 0;
}

int gdiInit(void)
{
    OW_CALL("gdiInit", RETURN_STATUS);
    if (!session().started)
        return session().fail(GDI_NOT_INITIALIZED, "owinit was not called");
    session().gdiStarted = true;
    return 0;
}

int gdiClose(void)
{
    OW_CALL("gdiClose", RETURN_STATUS);
    session().closeProject();
    session().gdiStarted = false;
    session().vectorAccess.clear();
    return 0;
}

int OhnoAddErrorHandler(OhnoErrorHandler handler)
{
    std::lock_guard<std::recursive_mutex> lock(session().mutex());
    session().setHandler(handler);
    return 0;
}

const char* gdiErrorMessage(int status)
{
    return OwSession::message(status);
}

void owfree(void* pointer)
{
    std::free(pointer);
}

int gdiInitiateObject(int classId, int count, void* buffer)
{
    OW_CALL("gdiInitiateObject", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS, "class " + std::to_string(classId));
    if (!buffer || count < 1)
        return session().fail(GDI_INVALID_ARGUMENT);
    std::memset(buffer, 0, static_cast<size_t>(count) * static_cast<size_t>(c->size));
    for (int i = 0; i < count; ++i)
        session().keyFlags.erase(static_cast<char*>(buffer) + static_cast<size_t>(i) * c->size);
    return 0;
}

int gdiSetKeyFlag(int classId, int fieldId, void* record)
{
    OW_CALL("gdiSetKeyFlag", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS);
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    if (!RecordCatalog::field(*c, fieldId))
        return session().fail(GDI_INVALID_FIELD, "field " + std::to_string(fieldId));
    session().keyFlags[record].insert(fieldId);
    return 0;
}

int gdiRead(int classId, void* record)
{
    OW_CALL("gdiRead", RETURN_STATUS);
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    std::vector<RecordAccess::Ref> refs;
    const int status = RecordAccess::byKeys(*c, record, &refs);
    if (status != 0)
        return session().fail(status);
    if (refs.empty())
        return session().fail(GDI_NO_DATA, c->name);
    std::memcpy(record, refs.front().data->data(), static_cast<size_t>(c->size));
    return 0;
}

int gdiReadSet(int classId, int* count, void** list)
{
    OW_CALL("gdiReadSet", RETURN_STATUS);
    if (count)
        *count = 0;
    if (list)
        *list = nullptr;
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!count || !list)
        return session().fail(GDI_INVALID_ARGUMENT);
    const RecordCache::Table* table = session().store()->table(classId);
    if (!table)
        return session().fail(GDI_DATABASE_ERROR, session().store()->lastError());
    std::vector<RecordAccess::Ref> refs;
    refs.reserve(table->size());
    for (const auto& row : *table)
        refs.push_back({row.first, &row.second});
    return copyRecords(*c, refs, count, list);
}

int gdiReadSubset(int classId, const void* record, int subsetClass, int* count, void** list)
{
    OW_CALL("gdiReadSubset", RETURN_STATUS);
    if (count)
        *count = 0;
    if (list)
        *list = nullptr;
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(subsetClass, &c))
        return status;
    if (!record || !count || !list)
        return session().fail(GDI_INVALID_ARGUMENT);
    std::vector<RecordAccess::Ref> refs;
    const int status = RecordAccess::subset(classId, record, subsetClass, &refs);
    if (classId == subsetClass)
        session().keyFlags.erase(record);
    if (status != 0)
        return session().fail(status);
    return copyRecords(*c, refs, count, list);
}

int gdiCountSubset(int classId, const void* record, int subsetClass, int* count)
{
    OW_CALL("gdiCountSubset", RETURN_STATUS);
    if (count)
        *count = 0;
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(subsetClass, &c))
        return status;
    if (!record || !count)
        return session().fail(GDI_INVALID_ARGUMENT);
    std::vector<RecordAccess::Ref> refs;
    const int status = RecordAccess::subset(classId, record, subsetClass, &refs);
    if (status != 0 && status != GDI_NO_DATA)
        return session().fail(status);
    *count = static_cast<int>(refs.size());
    return 0;
}

int gdiReadVector(int classId, void* record)
{
    OW_CALL("gdiReadVector", RETURN_STATUS);
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    ProjectStore::Row row;
    int status = RecordAccess::locate(*c, record, &row);
    if (status == GDI_RECORD_NOT_FOUND)
        status = GDI_NO_DATA;
    if (status == 0)
        status = RecordAccess::loadVectors(*c, record, row);
    return status ? session().fail(status) : 0;
}

int gdiSetVectorAccess(int classId, int fieldId, int enabled)
{
    OW_CALL("gdiSetVectorAccess", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS, "class " + std::to_string(classId));
    const RecordCatalog::Field* f = RecordCatalog::field(*c, fieldId);
    if (!f || (f->type != RecordCatalog::Type::FloatVector && f->type != RecordCatalog::Type::DoubleVector))
        return session().fail(GDI_INVALID_FIELD, "class " + std::to_string(classId) + " field " +
                                                     std::to_string(fieldId) + " is not a vector");
    if (enabled)
        session().vectorAccess.insert({classId, fieldId});
    else
        session().vectorAccess.erase({classId, fieldId});
    return 0;
}

int gdiReleaseVectors(int classId, int count, void* records)
{
    OW_CALL("gdiReleaseVectors", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS);
    if (!records)
        return 0;
    for (int i = 0; i < count; ++i)
        RecordAccess::releaseVectors(*c, static_cast<char*>(records) + static_cast<size_t>(i) * c->size);
    return 0;
}

int gdiRelease(int classId, int count, void* list)
{
    OW_CALL("gdiRelease", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS);
    if (!list)
        return 0;
    for (int i = 0; i < count; ++i)
        RecordAccess::releaseVectors(*c, static_cast<char*>(list) + static_cast<size_t>(i) * c->size);
    std::free(list);
    return 0;
}

int gdiFree(void* pointer)
{
    std::free(pointer);
    return 0;
}

int gdiExists(int classId, const void* record)
{
    OW_CALL("gdiExists", RETURN_ZERO);
    const RecordCatalog::Class* c = nullptr;
    if (checkClass(classId, &c) != 0 || !record)
        return 0;
    std::vector<RecordAccess::Ref> refs;
    return RecordAccess::byKeys(*c, record, &refs) == 0 && !refs.empty() ? 1 : 0;
}

int gdiGetClassInfo(int classId, gdiClassInfo_t* info)
{
    OW_CALL("gdiGetClassInfo", RETURN_STATUS);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return session().fail(GDI_INVALID_CLASS, "class " + std::to_string(classId));
    if (info) {
        std::memset(info, 0, sizeof(*info));
        info->classId = c->id;
        info->recordSize = c->size;
        info->fieldCount = static_cast<int32_t>(c->fields.size());
        std::strncpy(info->name, c->name, sizeof(info->name) - 1);
    }
    return 0;
}

void* gdiCreateObject(int classId, int count)
{
    OW_CALL("gdiCreateObject", RETURN_NULL);
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c || count < 1) {
        session().fail(GDI_INVALID_CLASS, "class " + std::to_string(classId));
        return nullptr;
    }
    return std::calloc(static_cast<size_t>(count), static_cast<size_t>(c->size));
}

int gdiAdd(int classId, void* record)
{
    OW_CALL("gdiAdd", RETURN_STATUS);
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    const int status = RecordAccess::add(classId, record);
    if (status == GDI_DATABASE_ERROR)
        return session().fail(status, session().store()->lastError());
    return status ? session().fail(status, c->name) : 0;
}

int gdiUpdate(int classId, void* record)
{
    OW_CALL("gdiUpdate", RETURN_STATUS);
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    const int status = RecordAccess::update(classId, record);
    return status ? session().fail(status, c->name) : 0;
}

int gdiDelete(int classId, void* record)
{
    OW_CALL("gdiDelete", RETURN_STATUS);
    const RecordCatalog::Class* c = nullptr;
    if (int status = checkClass(classId, &c))
        return status;
    if (!record)
        return session().fail(GDI_INVALID_ARGUMENT);
    ProjectStore::Row row;
    int status = RecordAccess::locate(*c, record, &row);
    if (status == 0)
        status = RecordAccess::remove(*c, row);
    return status ? session().fail(status, c->name) : 0;
}

int gdiCommit(void)
{
    OW_CALL("gdiCommit", RETURN_STATUS);
    ProjectStore* store = session().store();
    if (!store)
        return session().fail(GDI_NO_PROJECT);
    // Traces still buffered for writing reach their files before the records
    // that describe them are committed.
    if (!session().flushSeismicFiles())
        return session().fail(GDI_COMMIT_FAILED, "cannot write the traces of an open seismic file");
    const bool wasOpen = store->inTransaction();
    if (!store->commit())
        return session().fail(GDI_COMMIT_FAILED, store->lastError());
    if (wasOpen)
        session().emit(177600001, OwSession::message(177600001));
    return 0;
}

int gdiRollback(void)
{
    OW_CALL("gdiRollback", RETURN_STATUS);
    ProjectStore* store = session().store();
    if (!store)
        return session().fail(GDI_NO_PROJECT);
    const bool wasOpen = store->inTransaction();
    const bool rolledBack = store->rollback();
    session().dropRemovedSeismicFiles();
    if (!rolledBack)
        return session().fail(GDI_DATABASE_ERROR, store->lastError());
    if (wasOpen)
        session().emit(177600002, OwSession::message(177600002));
    return 0;
}

} // extern "C"
