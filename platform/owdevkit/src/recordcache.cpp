#include "recordcache.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <cmath>
#include <cstring>

namespace
{
using Type = RecordCatalog::Type;

template <typename V>
V readValue(const char* p)
{
    V value;
    std::memcpy(&value, p, sizeof(V));
    return value;
}

bool lessRid(const RecordCache::Ref& ref, long long rid)
{
    return ref.rid < rid;
}
} // namespace

bool RecordCache::keyOf(const RecordCatalog::Field& f, const void* record, std::string* key)
{
    const char* p = static_cast<const char*>(record) + f.offset;
    if (f.type == Type::Text) {
        key->assign(p, strnlen(p, static_cast<size_t>(f.size)));
        return true;
    }
    double value = 0.0;
    switch (f.type) {
    case Type::Int32: value = readValue<int32_t>(p); break;
    case Type::UInt32: value = readValue<uint32_t>(p); break;
    case Type::Float: value = readValue<float>(p); break;
    case Type::Double: value = readValue<double>(p); break;
    default: break; // vectors compare as equal numbers
    }
    if (std::isnan(value))
        return false;
    if (value == 0.0)
        value = 0.0; // -0 equals 0
    key->assign(reinterpret_cast<const char*>(&value), sizeof(value));
    return true;
}

bool RecordCache::comparable(const RecordCatalog::Field& a, const RecordCatalog::Field& b)
{
    return (a.type == Type::Text) == (b.type == Type::Text);
}

const RecordCache::Table* RecordCache::table(int classId) const
{
    const auto it = m_classes.find(classId);
    return it == m_classes.end() ? nullptr : &it->second->rows;
}

void RecordCache::load(int classId, Table rows, bool loadedInTransaction)
{
    auto cache = std::make_unique<ClassCache>();
    cache->layout = RecordCatalog::find(classId);
    cache->rows = std::move(rows);
    m_classes[classId] = std::move(cache);
    if (loadedInTransaction)
        m_loadedInTransaction.insert(classId);
}

void RecordCache::RefList::insert(const Ref& ref)
{
    if (m_count == 0) {
        m_one = ref;
    } else {
        if (m_count == 1)
            m_many.assign(1, m_one);
        if (m_many.back().rid < ref.rid)
            m_many.push_back(ref);
        else
            m_many.insert(std::lower_bound(m_many.begin(), m_many.end(), ref.rid, lessRid), ref);
    }
    ++m_count;
}

void RecordCache::RefList::remove(long long rid)
{
    if (m_count == 1) {
        if (m_one.rid == rid)
            m_count = 0;
        return;
    }
    const auto ref = std::lower_bound(m_many.begin(), m_many.end(), rid, lessRid);
    if (ref == m_many.end() || ref->rid != rid)
        return;
    m_many.erase(ref);
    m_count = m_many.size();
    if (m_count == 1) {
        m_one = m_many.front();
        m_many.clear();
    }
}

const RecordCache::RefList& RecordCache::candidates(int classId, const RecordCatalog::Field& f,
                                                             const std::string& key)
{
    const auto it = m_classes.find(classId);
    if (it == m_classes.end() || !it->second->layout)
        return m_none;
    ClassCache& cache = *it->second;
    auto index = cache.indexes.find(f.id);
    if (index == cache.indexes.end()) {
        const RecordCatalog::Field* field = RecordCatalog::field(*cache.layout, f.id);
        if (!field)
            return m_none;
        index = cache.indexes.emplace(f.id, Index{field, {}}).first;
        index->second.buckets.reserve(cache.rows.size());
        for (const auto& row : cache.rows)
            indexInsert(index->second, row.first, &row.second);
    }
    const auto bucket = index->second.buckets.find(key);
    return bucket == index->second.buckets.end() ? m_none : bucket->second;
}

void RecordCache::indexInsert(Index& index, long long rid, const Data* data)
{
    const RecordCatalog::Field& f = *index.field;
    std::string key;
    if (static_cast<long long>(data->size()) < f.offset + f.size || !keyOf(f, data->data(), &key))
        return;
    index.buckets[key].insert({rid, data});
}

void RecordCache::indexRemove(Index& index, long long rid, const Data& data)
{
    const RecordCatalog::Field& f = *index.field;
    std::string key;
    if (static_cast<long long>(data.size()) < f.offset + f.size || !keyOf(f, data.data(), &key))
        return;
    const auto bucket = index.buckets.find(key);
    if (bucket == index.buckets.end())
        return;
    bucket->second.remove(rid);
    if (bucket->second.empty())
        index.buckets.erase(bucket);
}

void RecordCache::putRow(ClassCache& cache, long long rid, const Data& data)
{
    auto row = cache.rows.find(rid);
    if (row != cache.rows.end()) {
        for (auto& index : cache.indexes)
            indexRemove(index.second, rid, row->second);
        row->second = data;
    } else {
        row = cache.rows.emplace(rid, data).first;
    }
    for (auto& index : cache.indexes)
        indexInsert(index.second, rid, &row->second);
}

void RecordCache::eraseRow(ClassCache& cache, Table::iterator row)
{
    for (auto& index : cache.indexes)
        indexRemove(index.second, row->first, row->second);
    cache.rows.erase(row);
}

void RecordCache::remember(int classId, long long rid, const Data* before)
{
    if (m_loadedInTransaction.count(classId) || m_undo.count(rid))
        return;
    m_undo.emplace(rid, Undo{classId, before != nullptr, before ? *before : Data()});
}

void RecordCache::put(int classId, long long rid, const Data& data, bool inTransaction)
{
    const auto it = m_classes.find(classId);
    if (it == m_classes.end())
        return;
    ClassCache& cache = *it->second;
    if (inTransaction) {
        const auto row = cache.rows.find(rid);
        remember(classId, rid, row == cache.rows.end() ? nullptr : &row->second);
    }
    putRow(cache, rid, data);
}

void RecordCache::replace(long long rid, const Data& data, bool inTransaction)
{
    for (const auto& entry : m_classes) {
        if (entry.second->rows.count(rid)) {
            put(entry.first, rid, data, inTransaction);
            return;
        }
    }
}

void RecordCache::erase(long long rid, bool inTransaction)
{
    for (auto& entry : m_classes) {
        ClassCache& cache = *entry.second;
        const auto row = cache.rows.find(rid);
        if (row == cache.rows.end())
            continue;
        if (inTransaction)
            remember(entry.first, rid, &row->second);
        eraseRow(cache, row);
        return;
    }
}

void RecordCache::commit()
{
    m_undo.clear();
    m_loadedInTransaction.clear();
}

void RecordCache::rollback()
{
    for (auto& entry : m_undo) {
        const Undo& undo = entry.second;
        if (m_loadedInTransaction.count(undo.classId))
            continue;
        const auto it = m_classes.find(undo.classId);
        if (it == m_classes.end())
            continue;
        ClassCache& cache = *it->second;
        if (undo.existed) {
            putRow(cache, entry.first, undo.data);
        } else {
            const auto row = cache.rows.find(entry.first);
            if (row != cache.rows.end())
                eraseRow(cache, row);
        }
    }
    for (int classId : m_loadedInTransaction)
        drop(classId);
    commit();
}

void RecordCache::drop(int classId)
{
    m_classes.erase(classId);
}

void RecordCache::clear()
{
    // A large cache is given back by a thread of its own, so that closing a
    // project does not wait for a hundred thousand records to be freed.
    size_t rows = 0;
    for (const auto& entry : m_classes)
        rows += entry.second->rows.size();
    if (rows >= kBackgroundRelease) {
        auto released = std::make_shared<std::map<int, std::unique_ptr<ClassCache>>>(std::move(m_classes));
        try {
            std::thread([released]() mutable { released.reset(); }).detach();
        } catch (const std::system_error&) {
            released.reset();
        }
    }
    m_classes.clear();
    commit();
}
