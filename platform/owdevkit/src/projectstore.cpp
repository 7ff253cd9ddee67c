#include "projectstore.h"

#include "unitcatalog.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS RECORDS(rid INTEGER PRIMARY KEY AUTOINCREMENT, class INTEGER NOT NULL, "
    "data BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS RECORDS_CLASS ON RECORDS(class, rid);"
    "CREATE TABLE IF NOT EXISTS VECTORS(rid INTEGER NOT NULL, field INTEGER NOT NULL, data BLOB, "
    "PRIMARY KEY(rid, field));"
    "CREATE TABLE IF NOT EXISTS HORIZON_GRIDS(horizon INTEGER NOT NULL, survey INTEGER NOT NULL, "
    "first_line INTEGER, last_line INTEGER, first_trace INTEGER, last_trace INTEGER, data BLOB, "
    "PRIMARY KEY(horizon, survey));"
    "CREATE TABLE IF NOT EXISTS META(key TEXT PRIMARY KEY, value TEXT);"
    "CREATE TABLE IF NOT EXISTS UNITS(unit_type INTEGER PRIMARY KEY, unit_id INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS INTERPRETERS(name TEXT PRIMARY KEY);";

/// Prepared statement that finalizes itself, or a statement kept by the store
/// that is reset and unbound after use.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    explicit Statement(sqlite3_stmt* kept) : m_stmt(kept), m_kept(true) {}
    ~Statement()
    {
        if (!m_kept) {
            sqlite3_finalize(m_stmt);
        } else if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }
    void bind(int i, long long v) { sqlite3_bind_int64(m_stmt, i, v); }
    void bind(int i, const std::string& v) { sqlite3_bind_text(m_stmt, i, v.c_str(), -1, SQLITE_TRANSIENT); }
    void bindBlob(int i, const void* p, long long n)
    {
        sqlite3_bind_blob64(m_stmt, i, n > 0 ? p : "", static_cast<sqlite3_uint64>(n), SQLITE_TRANSIENT);
    }
    int step() { return sqlite3_step(m_stmt); }

private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_kept = false;
};

void blobOf(sqlite3_stmt* stmt, int column, std::vector<char>* out)
{
    const int n = sqlite3_column_bytes(stmt, column);
    const char* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    out->assign(p, p + (p ? n : 0));
}
} // namespace

ProjectStore::~ProjectStore()
{
    close();
}

bool ProjectStore::create(const std::string& path, const std::string& name, int projectId, int measurementSystem,
                          const std::map<int, int>& units, std::string* error)
{
    ProjectStore store;
    if (!store.open(path)) {
        if (error)
            *error = store.lastError();
        return false;
    }
    bool ok = store.begin();
    ok = ok && store.setMeta("name", name) && store.setMeta("id", std::to_string(projectId)) &&
         store.setMeta("measurement_system", std::to_string(measurementSystem));
    for (const UnitCatalog::UnitType& t : UnitCatalog::unitTypes()) {
        if (!ok)
            break;
        Statement insert(store.m_db, "INSERT OR REPLACE INTO UNITS(unit_type, unit_id) VALUES(?, ?)");
        insert.bind(1, t.type);
        const auto chosen = units.find(t.type);
        insert.bind(2, chosen != units.end() ? chosen->second : UnitCatalog::defaultUnitFor(t.type, measurementSystem));
        ok = insert.step() == SQLITE_DONE;
    }
    for (const char* interpreter : {"LGC", "UNKN"})
        ok = ok && store.addInterpreter(interpreter);
    ok = ok && store.commit();
    if (!ok && error)
        *error = store.lastError();
    return ok;
}

bool ProjectStore::open(const std::string& path)
{
    close();
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = m_db ? sqlite3_errmsg(m_db) : "cannot open database";
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, 10000);
    if (!exec("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA mmap_size=1073741824;") || !exec(kSchema)) {
        close();
        return false;
    }
    m_cache.clear();
    m_dataVersion = -1;
    m_counterKnown = false;
    m_refreshPending = false;
    sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &m_dataVersionQuery, nullptr);
    checkDataVersion();
    return true;
}

void ProjectStore::close()
{
    if (!m_db)
        return;
    if (m_inTransaction)
        rollback();
    m_cache.clear();
    sqlite3_finalize(m_dataVersionQuery);
    m_dataVersionQuery = nullptr;
    for (const auto& entry : m_prepared)
        sqlite3_finalize(entry.second);
    m_prepared.clear();
    sqlite3_close(m_db);
    m_db = nullptr;
}

sqlite3_stmt* ProjectStore::prepared(const char* sql)
{
    const auto it = m_prepared.find(sql);
    if (it != m_prepared.end())
        return it->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_prepared.emplace(sql, statement);
    return statement;
}

bool ProjectStore::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        m_error = message ? message : "SQL error";
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool ProjectStore::begin()
{
    if (m_inTransaction) {
        if (!transactionLost())
            return true;
        m_error = "the transaction was ended by a database error and must be rolled back";
        return false;
    }
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    m_inTransaction = true;
    // Another connection may have committed since the last cached read.
    checkDataVersion();
    return true;
}

bool ProjectStore::commit()
{
    if (!m_inTransaction)
        return true;
    if (!exec("COMMIT")) {
        m_cache.clear();
        return false;
    }
    m_inTransaction = false;
    m_cache.commit();
    finishFiles(true);
    return true;
}

bool ProjectStore::rollback()
{
    if (!m_inTransaction)
        return true;
    const bool lost = transactionLost();
    const bool ok = lost || exec("ROLLBACK");
    m_inTransaction = false;
    if (ok && !lost)
        m_cache.rollback();
    else
        m_cache.clear();
    finishFiles(false);
    return ok;
}

bool ProjectStore::transactionLost() const
{
    // SQLite ends a transaction by itself after some errors (disk full, I/O).
    return m_inTransaction && sqlite3_get_autocommit(m_db) != 0;
}

bool ProjectStore::writeFailed()
{
    m_error = sqlite3_errmsg(m_db);
    m_cache.clear();
    return false;
}

bool ProjectStore::readChangeCounter(unsigned* counter)
{
    // Header bytes 18-19 are 1 in rollback-journal mode, where every commit
    // increments the big-endian change counter at byte 24.
    sqlite3_file* file = nullptr;
    unsigned char header[10];
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xRead(file, header, sizeof(header), 18) != SQLITE_OK ||
        header[0] != 1 || header[1] != 1)
        return false;
    *counter = unsigned(header[6]) << 24 | unsigned(header[7]) << 16 | unsigned(header[8]) << 8 | header[9];
    return true;
}

void ProjectStore::checkDataVersion()
{
    unsigned counter = 0;
    const bool haveCounter = readChangeCounter(&counter);
    // Nothing was committed since the last full check read this counter.
    if (haveCounter && m_counterKnown && counter == m_changeCounter)
        return;
    // Unknown version (no statement, failed step): forget the cache.
    long long version = -2;
    if (m_dataVersionQuery && sqlite3_step(m_dataVersionQuery) == SQLITE_ROW)
        version = sqlite3_column_int64(m_dataVersionQuery, 0);
    sqlite3_reset(m_dataVersionQuery);
    if (version < 0 || version != m_dataVersion)
        m_cache.clear();
    m_dataVersion = version;
    m_counterKnown = haveCounter && version >= 0;
    m_changeCounter = counter;
}

void ProjectStore::finishFiles(bool committed)
{
    for (const std::string& path : committed ? m_deleted : m_created)
        std::remove(path.c_str());
    m_created.clear();
    m_deleted.clear();
}

bool ProjectStore::records(int classId, std::vector<Row>* rows)
{
    rows->clear();
    const RecordCache::Table* cached = table(classId);
    if (!cached)
        return false;
    rows->reserve(cached->size());
    for (const auto& entry : *cached)
        rows->push_back(Row{entry.first, entry.second});
    return true;
}

const RecordCache::Table* ProjectStore::table(int classId)
{
    if (!m_db)
        return nullptr;
    if (m_refreshPending) {
        m_refreshPending = false;
        // Inside our own transaction no other connection can commit.
        if (!m_inTransaction)
            checkDataVersion();
    }
    if (const RecordCache::Table* cached = m_cache.table(classId))
        return cached;
    // The first read of a small project loads every record in one pass over
    // the table (no index lookup per record); larger ones load class by class.
    if (m_cache.isEmpty() && loadAllClasses())
        if (const RecordCache::Table* loaded = m_cache.table(classId))
            return loaded;
    Statement select(prepared("SELECT rid, data FROM RECORDS WHERE class = ? ORDER BY rid"));
    if (!select.ok()) {
        m_error = sqlite3_errmsg(m_db);
        return nullptr;
    }
    select.bind(1, classId);
    RecordCache::Table rows;
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        const int n = sqlite3_column_bytes(select.get(), 1);
        const char* p = static_cast<const char*>(sqlite3_column_blob(select.get(), 1));
        rows.emplace_hint(rows.end(), sqlite3_column_int64(select.get(), 0),
                          RecordCache::Data(p, p + (p ? n : 0)));
    }
    if (rc != SQLITE_DONE) {
        m_error = sqlite3_errmsg(m_db);
        return nullptr;
    }
    m_cache.load(classId, std::move(rows), m_inTransaction);
    return m_cache.table(classId);
}

bool ProjectStore::loadAllClasses()
{
    Statement pages(prepared("PRAGMA page_count"));
    const long long pageCount = pages.step() == SQLITE_ROW ? sqlite3_column_int64(pages.get(), 0) : -1;
    Statement size(prepared("PRAGMA page_size"));
    const long long pageSize = size.step() == SQLITE_ROW ? sqlite3_column_int64(size.get(), 0) : -1;
    // $OWSIM_WHOLE_LOAD_BYTES replaces the limit (tests run both ways).
    static const long long limit = [] {
        const char* text = std::getenv("OWSIM_WHOLE_LOAD_BYTES");
        return text && *text ? std::atoll(text) : kWholeLoadBytes;
    }();
    if (pageCount < 0 || pageSize <= 0 || pageCount * pageSize > limit)
        return false;
    Statement select(prepared("SELECT rid, class, data FROM RECORDS ORDER BY rid"));
    if (!select.ok())
        return false;
    std::map<int, RecordCache::Table> tables;
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        const int n = sqlite3_column_bytes(select.get(), 2);
        const char* p = static_cast<const char*>(sqlite3_column_blob(select.get(), 2));
        RecordCache::Table& rows = tables[sqlite3_column_int(select.get(), 1)];
        rows.emplace_hint(rows.end(), sqlite3_column_int64(select.get(), 0), RecordCache::Data(p, p + (p ? n : 0)));
    }
    if (rc != SQLITE_DONE)
        return false;
    for (const RecordCatalog::Class& c : RecordCatalog::classes())
        tables[c.id];
    for (auto& entry : tables)
        m_cache.load(entry.first, std::move(entry.second), m_inTransaction);
    return true;
}

const RecordCache::RefList& ProjectStore::candidates(int classId, const RecordCatalog::Field& f,
                                                              const std::string& key)
{
    return m_cache.candidates(classId, f, key);
}

bool ProjectStore::record(long long rid, int* classId, std::vector<char>* data)
{
    Statement select(prepared("SELECT class, data FROM RECORDS WHERE rid = ?"));
    select.bind(1, rid);
    if (select.step() != SQLITE_ROW)
        return false;
    *classId = sqlite3_column_int(select.get(), 0);
    blobOf(select.get(), 1, data);
    return true;
}

bool ProjectStore::insert(int classId, std::vector<char>& data, int idOffset, long long* rid)
{
    if (!begin())
        return false;
    Statement insert(prepared("INSERT INTO RECORDS(class, data) VALUES(?, ?)"));
    insert.bind(1, classId);
    insert.bindBlob(2, data.data(), static_cast<long long>(data.size()));
    if (insert.step() != SQLITE_DONE)
        return writeFailed();
    *rid = sqlite3_last_insert_rowid(m_db);
    if (idOffset >= 0) {
        const int32_t id = static_cast<int32_t>(*rid);
        std::memcpy(data.data() + idOffset, &id, sizeof(id));
        if (!updateRow(*rid, data))
            return false;
    }
    m_cache.put(classId, *rid, data, true);
    return true;
}

bool ProjectStore::update(long long rid, const std::vector<char>& data)
{
    if (!begin() || !updateRow(rid, data))
        return false;
    m_cache.replace(rid, data, true);
    return true;
}

bool ProjectStore::updateRow(long long rid, const std::vector<char>& data)
{
    Statement update(prepared("UPDATE RECORDS SET data = ? WHERE rid = ?"));
    update.bindBlob(1, data.data(), static_cast<long long>(data.size()));
    update.bind(2, rid);
    if (update.step() != SQLITE_DONE)
        return writeFailed();
    return true;
}

bool ProjectStore::remove(long long rid)
{
    if (!begin())
        return false;
    Statement removeRecord(prepared("DELETE FROM RECORDS WHERE rid = ?"));
    removeRecord.bind(1, rid);
    Statement removeVectors(prepared("DELETE FROM VECTORS WHERE rid = ?"));
    removeVectors.bind(1, rid);
    if (removeRecord.step() != SQLITE_DONE || removeVectors.step() != SQLITE_DONE)
        return writeFailed();
    m_cache.erase(rid, true);
    return true;
}

bool ProjectStore::putVector(long long rid, int fieldId, const void* data, long long bytes)
{
    if (!begin())
        return false;
    Statement put(prepared("INSERT OR REPLACE INTO VECTORS(rid, field, data) VALUES(?, ?, ?)"));
    put.bind(1, rid);
    put.bind(2, fieldId);
    put.bindBlob(3, data, bytes);
    if (put.step() != SQLITE_DONE)
        return writeFailed();
    return true;
}

bool ProjectStore::vector(long long rid, int fieldId, std::vector<char>* data, bool* found)
{
    Statement select(prepared("SELECT data FROM VECTORS WHERE rid = ? AND field = ?"));
    select.bind(1, rid);
    select.bind(2, fieldId);
    const int rc = select.step();
    *found = rc == SQLITE_ROW;
    if (*found)
        blobOf(select.get(), 0, data);
    else
        data->clear();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        m_error = sqlite3_errmsg(m_db);
        return false;
    }
    return true;
}

bool ProjectStore::putGrid(int horizonId, int surveyId, const Grid& grid)
{
    if (!begin())
        return false;
    Statement put(m_db, "INSERT OR REPLACE INTO HORIZON_GRIDS(horizon, survey, first_line, last_line, first_trace, "
                        "last_trace, data) VALUES(?, ?, ?, ?, ?, ?, ?)");
    put.bind(1, horizonId);
    put.bind(2, surveyId);
    put.bind(3, grid.firstLine);
    put.bind(4, grid.lastLine);
    put.bind(5, grid.firstTrace);
    put.bind(6, grid.lastTrace);
    put.bindBlob(7, grid.values.data(), static_cast<long long>(grid.values.size() * sizeof(float)));
    if (put.step() != SQLITE_DONE)
        return writeFailed();
    return true;
}

bool ProjectStore::grid(int horizonId, int surveyId, Grid* grid, bool* found)
{
    Statement select(m_db, "SELECT first_line, last_line, first_trace, last_trace, data FROM HORIZON_GRIDS "
                           "WHERE horizon = ? AND survey = ?");
    select.bind(1, horizonId);
    select.bind(2, surveyId);
    *found = select.step() == SQLITE_ROW;
    if (!*found)
        return true;
    grid->firstLine = sqlite3_column_int(select.get(), 0);
    grid->lastLine = sqlite3_column_int(select.get(), 1);
    grid->firstTrace = sqlite3_column_int(select.get(), 2);
    grid->lastTrace = sqlite3_column_int(select.get(), 3);
    std::vector<char> bytes;
    blobOf(select.get(), 4, &bytes);
    grid->values.resize(bytes.size() / sizeof(float));
    if (!bytes.empty())
        std::memcpy(grid->values.data(), bytes.data(), grid->values.size() * sizeof(float));
    return true;
}

bool ProjectStore::removeGrids(int horizonId, int surveyId)
{
    if (!begin())
        return false;
    Statement remove(m_db, surveyId ? "DELETE FROM HORIZON_GRIDS WHERE horizon = ? AND survey = ?"
                                    : "DELETE FROM HORIZON_GRIDS WHERE horizon = ?");
    remove.bind(1, horizonId);
    if (surveyId)
        remove.bind(2, surveyId);
    return remove.step() == SQLITE_DONE || writeFailed();
}

std::string ProjectStore::meta(const std::string& key)
{
    Statement select(m_db, "SELECT value FROM META WHERE key = ?");
    select.bind(1, key);
    if (select.step() != SQLITE_ROW)
        return std::string();
    const unsigned char* text = sqlite3_column_text(select.get(), 0);
    return text ? reinterpret_cast<const char*>(text) : "";
}

bool ProjectStore::setMeta(const std::string& key, const std::string& value)
{
    if (!begin())
        return false;
    Statement put(m_db, "INSERT OR REPLACE INTO META(key, value) VALUES(?, ?)");
    put.bind(1, key);
    put.bind(2, value);
    return put.step() == SQLITE_DONE || writeFailed();
}

int ProjectStore::unitFor(int unitType)
{
    Statement select(prepared("SELECT unit_id FROM UNITS WHERE unit_type = ?"));
    select.bind(1, unitType);
    if (select.step() == SQLITE_ROW)
        return sqlite3_column_int(select.get(), 0);
    return UnitCatalog::defaultUnitFor(unitType, std::atoi(meta("measurement_system").c_str()));
}

bool ProjectStore::interpreters(std::vector<std::string>* names)
{
    names->clear();
    Statement select(m_db, "SELECT name FROM INTERPRETERS ORDER BY name");
    while (select.step() == SQLITE_ROW)
        names->emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0)));
    return true;
}

bool ProjectStore::addInterpreter(const std::string& name)
{
    if (!begin())
        return false;
    Statement put(m_db, "INSERT OR IGNORE INTO INTERPRETERS(name) VALUES(?)");
    put.bind(1, name.substr(0, 5));
    return put.step() == SQLITE_DONE || writeFailed();
}
