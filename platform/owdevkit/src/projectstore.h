#pragma once

#include "recordcache.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

/// The SQLite database of one OpenWorks project: records as fixed-size blobs
/// per class, their vectors, horizon grids, the measurement system and the
/// interpreters. Writes go into one transaction (begun by the first write,
/// ended by commit or rollback); files made or removed by the DevKit inside a
/// transaction follow its outcome.
///
/// Records are read through a RecordCache: the first read loads every record
/// of a database of at most kWholeLoadBytes in one pass, else a class is loaded
/// with one query on first use; every write, commit and rollback of this store
/// keeps the cache equal to the database. Changes committed by other connections are
/// picked up by refresh(), which the session asks for at the start of each
/// DevKit call.
class ProjectStore
{
public:
    struct Row
    {
        long long rid;
        std::vector<char> data;
    };

    struct Grid
    {
        int firstLine = 0;
        int lastLine = -1;
        int firstTrace = 0;
        int lastTrace = -1;
        std::vector<float> values; // the quiet NaN 0x7fc00000: no value; any other NaN: a NaN value
    };

    ProjectStore() = default;
    ~ProjectStore();
    ProjectStore(const ProjectStore&) = delete;
    ProjectStore& operator=(const ProjectStore&) = delete;

    /// Creates a new database file with the schema and the project's units:
    /// those of the measurement system, except the unit types in units
    /// (unit type -> unit id).
    static bool create(const std::string& path, const std::string& name, int projectId, int measurementSystem,
                       const std::map<int, int>& units, std::string* error);

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const std::string& lastError() const { return m_error; }

    bool begin();
    bool commit();
    bool rollback();
    bool inTransaction() const { return m_inTransaction; }

    /// Copies of every record of a class, in id order.
    bool records(int classId, std::vector<Row>* rows);
    /// The cached records of a class (loaded on first use); nullptr on a
    /// database error. Valid until the next write, commit, rollback, refresh
    /// or close.
    const RecordCache::Table* table(int classId);
    /// Records of a class whose field f may hold the index key (see
    /// RecordCache::keyOf), in id order; callers compare the fields. Call
    /// table(classId) first. Valid like table().
    const RecordCache::RefList& candidates(int classId, const RecordCatalog::Field& f,
                                                    const std::string& key);
    /// The next cached read first checks whether another connection committed
    /// changes, and drops the cache if so. Call where no cached records are
    /// held (at the start of a DevKit call).
    void refresh() { m_refreshPending = true; }

    bool record(long long rid, int* classId, std::vector<char>* data);
    bool insert(int classId, std::vector<char>& data, int idOffset, long long* rid);
    bool update(long long rid, const std::vector<char>& data);
    bool remove(long long rid);

    bool putVector(long long rid, int fieldId, const void* data, long long bytes);
    bool vector(long long rid, int fieldId, std::vector<char>* data, bool* found);

    bool putGrid(int horizonId, int surveyId, const Grid& grid);
    bool grid(int horizonId, int surveyId, Grid* grid, bool* found);
    bool removeGrids(int horizonId, int surveyId); // surveyId 0: all surveys

    std::string meta(const std::string& key);
    bool setMeta(const std::string& key, const std::string& value);
    int unitFor(int unitType);
    bool interpreters(std::vector<std::string>* names);
    bool addInterpreter(const std::string& name);

    /// Files created inside the transaction (removed by rollback) and files to
    /// remove when the transaction commits.
    void fileCreated(const std::string& path) { m_created.push_back(path); }
    void fileDeleted(const std::string& path) { m_deleted.push_back(path); }

private:
    bool exec(const char* sql);
    /// A statement prepared once per open database (sql is a literal), reset by
    /// its Statement guard after each use; nullptr when it cannot be prepared.
    sqlite3_stmt* prepared(const char* sql);
    void finishFiles(bool committed);
    /// Records the SQLite error of a failed write and forgets the cache.
    bool writeFailed();
    bool updateRow(long long rid, const std::vector<char>& data);
    /// Drops the cache when another connection committed since the last check:
    /// a changed file change counter leads to a check of SQLite's data version.
    void checkDataVersion();
    bool readChangeCounter(unsigned* counter);
    /// Loads every record into the cache in one pass when the database is at
    /// most kWholeLoadBytes ($OWSIM_WHOLE_LOAD_BYTES when set); false (nothing
    /// loaded) otherwise.
    bool loadAllClasses();
    static constexpr long long kWholeLoadBytes = 64LL << 20;
    bool transactionLost() const;

    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    RecordCache m_cache;
    sqlite3_stmt* m_dataVersionQuery = nullptr;
    std::map<std::string, sqlite3_stmt*> m_prepared;
    long long m_dataVersion = -1;
    unsigned m_changeCounter = 0;
    bool m_counterKnown = false;
    bool m_refreshPending = false;
    std::string m_error;
    std::vector<std::string> m_created;
    std::vector<std::string> m_deleted;
};
