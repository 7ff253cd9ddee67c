#include "recordaccess.h"

#include "owsession.h"
#include "surveygeometry.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
ProjectStore* store()
{
    return OwSession::instance().store();
}

void clearVectorPointers(const RecordCatalog::Class& c, void* record)
{
    for (const RecordCatalog::Field& f : c.fields)
        if (f.type == RecordCatalog::Type::FloatVector || f.type == RecordCatalog::Type::DoubleVector)
            std::memset(static_cast<char*>(record) + f.offset, 0, sizeof(void*));
}

std::vector<char> blobOf(const RecordCatalog::Class& c, const void* record)
{
    std::vector<char> data(static_cast<const char*>(record), static_cast<const char*>(record) + c.size);
    clearVectorPointers(c, data.data());
    return data;
}

void fillDates(const RecordCatalog::Class& c, void* record, bool isNew)
{
    for (const RecordCatalog::Field& f : c.fields) {
        if (f.type != RecordCatalog::Type::Text)
            continue;
        const bool create = std::strcmp(f.name, "createDate") == 0;
        const bool update = std::strcmp(f.name, "updateDate") == 0;
        char* text = static_cast<char*>(record) + f.offset;
        if ((create && isNew && text[0] == '\0') || update) {
            std::memset(text, 0, static_cast<size_t>(f.size));
            std::strncpy(text, RecordAccess::now().c_str(), static_cast<size_t>(f.size - 1));
        }
    }
}

int duplicateOf(const RecordCatalog::Class& c, const void* record, long long exceptRid)
{
    for (const std::vector<int>& key : c.uniqueKeys) {
        std::vector<const RecordCatalog::Field*> fields;
        bool anySet = false;
        for (int id : key) {
            const RecordCatalog::Field* f = RecordCatalog::field(c, id);
            fields.push_back(f);
            anySet = anySet || RecordCatalog::isSet(*f, record);
        }
        if (!anySet)
            continue;
        std::vector<RecordAccess::Ref> refs;
        const int status = RecordAccess::match(c, record, fields, &refs);
        if (status != 0)
            return status;
        for (const RecordAccess::Ref& ref : refs)
            if (ref.rid != exceptRid)
                return GDI_DUPLICATE;
    }
    return 0;
}

int storeVectors(const RecordCatalog::Class& c, const void* record, long long rid)
{
    for (const RecordCatalog::Field& f : c.fields) {
        if (f.type != RecordCatalog::Type::FloatVector && f.type != RecordCatalog::Type::DoubleVector)
            continue;
        void* pointer = nullptr;
        std::memcpy(&pointer, static_cast<const char*>(record) + f.offset, sizeof(pointer));
        if (!pointer)
            continue;
        if (!store()->putVector(rid, f.id, pointer, RecordCatalog::vectorBytes(f, record)))
            return GDI_DATABASE_ERROR;
    }
    return 0;
}

void prepareSpecial(int classId, void* record)
{
    if (classId == GDI_CLASS_3D_SURVEY) {
        auto* survey = static_cast<gdi3dSurvey_t*>(record);
        bool empty = true;
        for (double v : survey->transform)
            empty = empty && v == 0.0;
        if (empty) {
            SurveyGeometry geometry(*survey);
            if (geometry.isValid())
                geometry.fillTransform(survey);
        }
        if (survey->orientation[0] == '\0')
            std::strncpy(survey->orientation, "TRACE", sizeof(survey->orientation) - 1);
    } else if (classId == GDI_CLASS_WELL_LIST_MEMBER) {
        auto* member = static_cast<gdiWellListMember_t*>(record);
        if (member->wellListId == 0 && member->wellListName[0]) {
            gdiWellList_t list{};
            std::memcpy(list.name, member->wellListName, sizeof(list.name) - 1);
            RecordAccess::Row row;
            if (RecordAccess::locate(*RecordCatalog::find(GDI_CLASS_WELL_LIST), &list, &row) == 0)
                member->wellListId = static_cast<int32_t>(row.rid);
        }
    }
}

using Ref = RecordAccess::Ref;

bool sameFields(const std::vector<const RecordCatalog::Field*>& fields, const void* example,
                const RecordCache::Data& data)
{
    for (const RecordCatalog::Field* f : fields)
        if (!RecordCatalog::equal(*f, example, data.data()))
            return false;
    return true;
}

void copyRefs(const std::vector<Ref>& refs, std::vector<RecordAccess::Row>* rows)
{
    rows->clear();
    rows->reserve(refs.size());
    for (const Ref& ref : refs)
        rows->push_back(RecordAccess::Row{ref.rid, *ref.data});
}

/// Records of class child whose field childField equals field parentField of
/// source, appended in id order.
void linked(const RecordCatalog::Field& parentField, const void* source, int child,
            const RecordCatalog::Field& childField, const RecordCache::Table& table, std::vector<Ref>* refs)
{
    if (!RecordCache::comparable(parentField, childField)) {
        for (const auto& row : table)
            if (RecordCatalog::equal(parentField, source, childField, row.second.data()))
                refs->push_back({row.first, &row.second});
        return;
    }
    std::string key;
    if (!RecordCache::keyOf(parentField, source, &key))
        return;
    for (const Ref& ref : store()->candidates(child, childField, key))
        if (RecordCatalog::equal(parentField, source, childField, ref.data->data()))
            refs->push_back(ref);
}
} // namespace

int RecordAccess::match(const RecordCatalog::Class& c, const void* example,
                        const std::vector<const RecordCatalog::Field*>& fields, std::vector<Ref>* refs)
{
    refs->clear();
    const RecordCache::Table* table = store()->table(c.id);
    if (!table)
        return GDI_DATABASE_ERROR;
    const size_t size = static_cast<size_t>(c.size);
    // A set id field narrows the search to one row.
    if (c.idOffset >= 0) {
        for (const RecordCatalog::Field* f : fields) {
            if (f->offset == c.idOffset && RecordCatalog::isSet(*f, example)) {
                const auto row = table->find(RecordCatalog::recordId(c, example));
                if (row != table->end() && row->second.size() == size && sameFields(fields, example, row->second))
                    refs->push_back({row->first, &row->second});
                return 0;
            }
        }
    }
    // Else the indexed field with the fewest candidates.
    const RecordCache::RefList* best = nullptr;
    for (const RecordCatalog::Field* f : fields) {
        std::string key;
        if (!RecordCache::keyOf(*f, example, &key))
            return 0; // NaN equals nothing
        const RecordCache::RefList& found = store()->candidates(c.id, *f, key);
        if (!best || found.size() < best->size())
            best = &found;
        if (best->empty())
            return 0;
    }
    if (!best) {
        for (const auto& row : *table)
            if (row.second.size() == size)
                refs->push_back({row.first, &row.second});
        return 0;
    }
    for (const Ref& ref : *best)
        if (ref.data->size() == size && sameFields(fields, example, *ref.data))
            refs->push_back(ref);
    return 0;
}

int RecordAccess::match(const RecordCatalog::Class& c, const void* example,
                        const std::vector<const RecordCatalog::Field*>& fields, std::vector<Row>* rows)
{
    std::vector<Ref> refs;
    const int status = match(c, example, fields, &refs);
    copyRefs(refs, rows);
    return status;
}

std::vector<const RecordCatalog::Field*> RecordAccess::setKeys(const RecordCatalog::Class& c, const void* record)
{
    std::vector<const RecordCatalog::Field*> fields;
    for (const RecordCatalog::Field& f : c.fields)
        if (f.key && RecordCatalog::isSet(f, record))
            fields.push_back(&f);
    return fields;
}

int RecordAccess::byKeys(const RecordCatalog::Class& c, const void* record, std::vector<Ref>* refs)
{
    refs->clear();
    const auto fields = setKeys(c, record);
    if (fields.empty())
        return GDI_KEY_NOT_SET;
    return match(c, record, fields, refs);
}

int RecordAccess::byKeys(const RecordCatalog::Class& c, const void* record, std::vector<Row>* rows)
{
    std::vector<Ref> refs;
    const int status = byKeys(c, record, &refs);
    copyRefs(refs, rows);
    return status;
}

int RecordAccess::locate(const RecordCatalog::Class& c, const void* record, Row* row)
{
    std::vector<Ref> refs;
    int status = 0;
    if (c.idOffset >= 0 && RecordCatalog::recordId(c, record) != 0) {
        for (const RecordCatalog::Field& f : c.fields)
            if (f.offset == c.idOffset)
                status = match(c, record, {&f}, &refs);
    } else {
        status = byKeys(c, record, &refs);
    }
    if (status != 0)
        return status;
    if (refs.empty())
        return GDI_RECORD_NOT_FOUND;
    *row = Row{refs.front().rid, *refs.front().data};
    return 0;
}

int RecordAccess::subset(int classId, const void* record, int subsetClass, std::vector<Ref>* refs)
{
    refs->clear();
    const RecordCatalog::Class* parent = RecordCatalog::find(classId);
    const RecordCatalog::Class* child = RecordCatalog::find(subsetClass);
    if (!parent || !child)
        return GDI_INVALID_CLASS;
    OwSession& session = OwSession::instance();
    if (classId == subsetClass) {
        std::vector<const RecordCatalog::Field*> fields;
        const auto flags = session.keyFlags.find(record);
        if (flags != session.keyFlags.end() && !flags->second.empty()) {
            for (int id : flags->second)
                if (const RecordCatalog::Field* f = RecordCatalog::field(*parent, id))
                    fields.push_back(f);
        } else {
            for (const RecordCatalog::Field* f : setKeys(*parent, record))
                if (f->offset != parent->idOffset)
                    fields.push_back(f);
        }
        if (fields.empty())
            return GDI_KEY_NOT_SET;
        return match(*parent, record, fields, refs);
    }
    const RecordCatalog::Subset* link = RecordCatalog::subset(classId, subsetClass);
    if (!link)
        return GDI_NOT_A_SUBSET;
    const RecordCatalog::Field* parentField = RecordCatalog::field(*parent, link->parentField);
    Row resolved;
    const void* source = record;
    if (!RecordCatalog::isSet(*parentField, record)) {
        const int status = locate(*parent, record, &resolved);
        if (status != 0)
            return status == GDI_RECORD_NOT_FOUND ? GDI_NO_DATA : status;
        source = resolved.data.data();
    }
    const RecordCatalog::Field* childField = RecordCatalog::field(*child, link->childField);
    const RecordCache::Table* children = store()->table(subsetClass);
    if (!children)
        return GDI_DATABASE_ERROR;
    if (link->via == 0) {
        linked(*parentField, source, subsetClass, *childField, *children, refs);
        return 0;
    }
    const RecordCatalog::Class* via = RecordCatalog::find(link->via);
    const RecordCatalog::Field* viaParent = RecordCatalog::field(*via, link->viaParentField);
    const RecordCatalog::Field* viaChild = RecordCatalog::field(*via, link->viaChildField);
    const RecordCache::Table* links = store()->table(link->via);
    if (!links)
        return GDI_DATABASE_ERROR;
    std::vector<Ref> members;
    linked(*parentField, source, link->via, *viaParent, *links, &members);
    for (const Ref& member : members)
        linked(*viaChild, member.data->data(), subsetClass, *childField, *children, refs);
    return 0;
}

int RecordAccess::subset(int classId, const void* record, int subsetClass, std::vector<Row>* rows)
{
    std::vector<Ref> refs;
    const int status = subset(classId, record, subsetClass, &refs);
    copyRefs(refs, rows);
    return status;
}

int RecordAccess::add(int classId, void* record)
{
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return GDI_INVALID_CLASS;
    prepareSpecial(classId, record);
    int status = duplicateOf(*c, record, -1);
    if (status != 0)
        return status;
    fillDates(*c, record, true);
    std::vector<char> data = blobOf(*c, record);
    long long rid = 0;
    if (!store()->insert(classId, data, c->idOffset, &rid))
        return GDI_DATABASE_ERROR;
    if (c->idOffset >= 0)
        RecordCatalog::setRecordId(*c, record, static_cast<int>(rid));
    return storeVectors(*c, record, rid);
}

int RecordAccess::update(int classId, void* record)
{
    const RecordCatalog::Class* c = RecordCatalog::find(classId);
    if (!c)
        return GDI_INVALID_CLASS;
    Row row;
    int status = locate(*c, record, &row);
    if (status != 0)
        return status;
    prepareSpecial(classId, record);
    status = duplicateOf(*c, record, row.rid);
    if (status != 0)
        return status;
    if (c->idOffset >= 0)
        RecordCatalog::setRecordId(*c, record, static_cast<int>(row.rid));
    fillDates(*c, record, false);
    if (!store()->update(row.rid, blobOf(*c, record)))
        return GDI_DATABASE_ERROR;
    return storeVectors(*c, record, row.rid);
}

int RecordAccess::remove(const RecordCatalog::Class& c, const Row& row)
{
    for (const RecordCatalog::Subset* link : RecordCatalog::subsetsOf(c.id)) {
        const RecordCatalog::Class* child = RecordCatalog::find(link->child);
        // A survey does not own the fault segments drawn in it, nor a surface its picks.
        if ((c.id == GDI_CLASS_3D_SURVEY && link->child == GDI_CLASS_FAULT_SEGMENT) ||
            (c.id == GDI_CLASS_SURFACE && link->child == GDI_CLASS_SURFACE_PICK))
            continue;
        std::vector<Row> children;
        int status = subset(c.id, row.data.data(), link->child, &children);
        if (status != 0)
            return status;
        for (const Row& childRow : children) {
            status = remove(*child, childRow);
            if (status != 0)
                return status;
        }
    }
    if (c.id == GDI_CLASS_HORIZON_CATALOG) {
        if (!store()->removeGrids(RecordCatalog::recordId(c, row.data.data()), 0))
            return GDI_DATABASE_ERROR;
    } else if (c.id == GDI_CLASS_HORIZON_DATA) {
        const auto* data = reinterpret_cast<const gdiHorizonData_t*>(row.data.data());
        if (!store()->removeGrids(data->gridId, data->surveyId))
            return GDI_DATABASE_ERROR;
    } else if (c.id == GDI_CLASS_SEISMIC_DATA_SET) {
        const auto* dataSet = reinterpret_cast<const gdiSeismicDataSet_t*>(row.data.data());
        if (dataSet->fileName[0])
            store()->fileDeleted(seismicPath(dataSet->fileName));
    }
    return store()->remove(row.rid) ? 0 : GDI_DATABASE_ERROR;
}

int RecordAccess::loadVectors(const RecordCatalog::Class& c, void* record, const Row& row)
{
    const auto& access = OwSession::instance().vectorAccess;
    bool anyEnabled = false;
    for (const auto& entry : access)
        anyEnabled = anyEnabled || entry.first == c.id;
    for (const RecordCatalog::Field& f : c.fields) {
        if (f.type != RecordCatalog::Type::FloatVector && f.type != RecordCatalog::Type::DoubleVector)
            continue;
        if (anyEnabled && !access.count({c.id, f.id}))
            continue;
        std::vector<char> bytes;
        bool found = false;
        if (!store()->vector(row.rid, f.id, &bytes, &found))
            return GDI_DATABASE_ERROR;
        void* old = nullptr;
        std::memcpy(&old, static_cast<char*>(record) + f.offset, sizeof(old));
        std::free(old);
        void* pointer = nullptr;
        if (found && !bytes.empty()) {
            pointer = std::malloc(bytes.size());
            if (!pointer)
                return GDI_DATABASE_ERROR;
            std::memcpy(pointer, bytes.data(), bytes.size());
        }
        std::memcpy(static_cast<char*>(record) + f.offset, &pointer, sizeof(pointer));
    }
    return 0;
}

void RecordAccess::releaseVectors(const RecordCatalog::Class& c, void* record)
{
    for (const RecordCatalog::Field& f : c.fields) {
        if (f.type != RecordCatalog::Type::FloatVector && f.type != RecordCatalog::Type::DoubleVector)
            continue;
        void* pointer = nullptr;
        std::memcpy(&pointer, static_cast<char*>(record) + f.offset, sizeof(pointer));
        std::free(pointer);
        std::memset(static_cast<char*>(record) + f.offset, 0, sizeof(pointer));
    }
}

std::string RecordAccess::seismicPath(const std::string& fileName)
{
    if (!fileName.empty() && fileName[0] == '/')
        return fileName;
    return OwSession::instance().currentDataFolder() + "/" + fileName;
}

std::string RecordAccess::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof(text), "%Y/%m/%d %H:%M:%S", &parts);
    return text;
}
