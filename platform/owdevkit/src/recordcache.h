#pragma once

#include "recordcatalog.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

/// In-memory copy of the records of one open project: per class, every record
/// by id (loaded by the owner with one query on first use) and hash indexes on
/// fields (built on the first lookup by that field, kept up to date by every
/// change). The database stays the truth: ProjectStore changes the cache only
/// after the matching SQL succeeded and undoes a transaction's changes on
/// rollback. Not thread-safe: the session lock guards it like the store.
class RecordCache
{
public:
    using Data = std::vector<char>;
    /// Records of a class by record id, in id order.
    using Table = std::map<long long, Data>;

    /// A cached record; data stays valid until that record changes or the
    /// class is dropped.
    struct Ref
    {
        long long rid;
        const Data* data;
    };

    /// The records of one index key, in id order; held inline while there is
    /// one (most keys are unique), so building an index allocates little.
    class RefList
    {
    public:
        const Ref* begin() const { return m_count <= 1 ? &m_one : m_many.data(); }
        const Ref* end() const { return begin() + m_count; }
        size_t size() const { return m_count; }
        bool empty() const { return m_count == 0; }
        void insert(const Ref& ref);
        void remove(long long rid);

    private:
        Ref m_one{0, nullptr};
        std::vector<Ref> m_many;
        size_t m_count = 0;
    };

    RecordCache() = default;
    RecordCache(const RecordCache&) = delete;
    RecordCache& operator=(const RecordCache&) = delete;

    /// The records of a class; nullptr when it is not loaded.
    const Table* table(int classId) const;
    /// No class is loaded.
    bool isEmpty() const { return m_classes.empty(); }
    /// Takes the records of a class read from the database. loadedInTransaction:
    /// they hold changes of the open transaction, so a rollback drops them.
    void load(int classId, Table rows, bool loadedInTransaction);

    /// Records of a loaded class whose field f may hold the value key, in id
    /// order (a superset of the equal ones: callers still compare). Builds the
    /// field's index on first use. The list is valid until the next change.
    const RefList& candidates(int classId, const RecordCatalog::Field& f, const std::string& key);

    /// The index key of a field's value; false when the value equals nothing
    /// (NaN). Two values with equal keys compare equal with
    /// RecordCatalog::equal when both fields are texts or both numbers.
    static bool keyOf(const RecordCatalog::Field& f, const void* record, std::string* key);
    /// True when keys of the two fields are comparable (see keyOf).
    static bool comparable(const RecordCatalog::Field& a, const RecordCatalog::Field& b);

    /// A record was inserted or rewritten in the database.
    void put(int classId, long long rid, const Data& data, bool inTransaction);
    /// A record was rewritten in the database (its class need not be known).
    void replace(long long rid, const Data& data, bool inTransaction);
    /// A record was deleted from the database (its class need not be known).
    void erase(long long rid, bool inTransaction);

    /// The open transaction was committed: its changes stay.
    void commit();
    /// The open transaction was rolled back: restores the records it changed
    /// and drops classes loaded during it.
    void rollback();
    /// Forgets everything (the next use reloads from the database). Caches of
    /// kBackgroundRelease records or more are freed by a thread of their own.
    void clear();
    static constexpr size_t kBackgroundRelease = 20000;

private:
    struct Index
    {
        const RecordCatalog::Field* field;
        std::unordered_map<std::string, RefList> buckets;
    };
    struct ClassCache
    {
        const RecordCatalog::Class* layout = nullptr;
        Table rows;
        std::map<int, Index> indexes; // by field id
    };
    /// Prior state of a record changed in the open transaction.
    struct Undo
    {
        int classId;
        bool existed;
        Data data;
    };

    static void indexInsert(Index& index, long long rid, const Data* data);
    static void indexRemove(Index& index, long long rid, const Data& data);
    void remember(int classId, long long rid, const Data* before);
    void drop(int classId);
    static void putRow(ClassCache& cache, long long rid, const Data& data);
    static void eraseRow(ClassCache& cache, Table::iterator row);

    std::map<int, std::unique_ptr<ClassCache>> m_classes;
    std::unordered_map<long long, Undo> m_undo;
    std::set<int> m_loadedInTransaction;
    RefList m_none;
};
