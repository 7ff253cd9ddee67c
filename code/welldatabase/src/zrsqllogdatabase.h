#pragma once

#include "zrsqltablestructure.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QSqlQuery;

/// The SQLite layer of the well database: owns one connection through the
/// "QSQLITE" driver, knows the registered table structures and runs the
/// statements made from them. Failures of row writes are posted on the event
/// bus ("Sql Error ADDING :" / "Sql Error DELETION :"). GUI thread only.
///
/// Locks held by other programs: every statement that finds the file locked
/// waits for it in short slices, at most lockWait() milliseconds in all, and
/// asks the stop check between slices; it then fails with lastFailure()
/// Locked or Stopped instead of waiting out a long timeout. The first wait of
/// a statement posts "Well database: <file> is locked by another program;
/// waiting up to <n> s." on the event bus.
class ZRSQLLogDatabase
{
public:
    /// Why the last statement failed.
    enum Failure
    {
        NoFailure,
        Locked,     ///< another program held a lock for longer than lockWait()
        Stopped,    ///< the stop check ended a wait for a lock
        Unreadable, ///< the file is not a database, or a damaged one
        OtherFailure
    };

    /// Longest wait for a lock, per statement, unless set otherwise.
    static constexpr int DefaultLockWait = 5000;
    /// The slice in which SQLite itself waits before the stop check is asked again.
    static constexpr int LockWaitSlice = 100;

    ZRSQLLogDatabase();
    /// Closes the connection and removes it from Qt's connection list.
    ~ZRSQLLogDatabase();

    ZRSQLLogDatabase(const ZRSQLLogDatabase&) = delete;
    ZRSQLLogDatabase& operator=(const ZRSQLLogDatabase&) = delete;

    static bool isDriverAvailable();

    /// Opens file under connectionName (Qt's default connection when empty).
    /// An open connection on the same file and name is kept; any other is closed first.
    bool open(const QString& fileName, const QString& connectionName);
    void close();
    bool isOpen() const;
    QString fileName() const { return m_fileName; }
    QString connectionName() const { return m_connectionName; }
    QString lastError() const { return m_lastError; }
    Failure lastFailure() const { return m_lastFailure; }

    /// Milliseconds a statement waits in all for a lock held by another program.
    void setLockWait(int milliseconds) { m_lockWait = milliseconds < 0 ? 0 : milliseconds; }
    int lockWait() const { return m_lockWait; }
    /// Asked between slices of a wait for a lock: true ends the wait and the
    /// statement fails with Stopped. Empty: waits are ended only by lockWait().
    void setStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }

    /// Reads the whole file ("PRAGMA quick_check"): false when it is not a
    /// database, is damaged, or stays locked; lastError() then says why.
    bool checkReadable();

    /// Registers a table; creation, selects and writes look it up by name.
    void registerTable(const ZRSQLTableStructure& table);
    const ZRSQLTableStructure* table(const QString& name) const;
    const QVector<ZRSQLTableStructure>& tables() const { return m_tables; }

    /// Names of the tables of the file; false when the file cannot be read.
    bool tableNames(QStringList& names);
    bool tableExists(const QString& name);
    /// Column names of a table (empty when it does not exist or cannot be read).
    QStringList columnsOf(const QString& tableName);
    bool hasColumn(const QString& tableName, const QString& column);
    /// Whether any table of the file holds a row; false when the file cannot be read.
    bool hasAnyRows(bool& any);

    /// Creates every registered table that does not exist yet; a failure posts
    /// "SQL error while creating a table : <driver text>" and returns false.
    bool createMissingTables();

    bool beginTransaction();
    /// "END TRANSACTION".
    bool endTransaction();
    bool rollbackTransaction();

    /// Writes one row with "insert OR REPLACE INTO"; values in column order.
    bool insertRow(const ZRSQLTableStructure& table, qint64 id, const QVector<QVariant>& values);
    /// Writes statements made by insertStatement, framed by "PRAGMA synchronous = OFF" / "= ON".
    /// Stops at the first failure. progress is called after each statement.
    bool insertBatch(const QStringList& statements, const std::function<void()>& progress = {});
    /// "Delete From <table> where(ID=<id>);"
    bool deleteRow(const ZRSQLTableStructure& table, qint64 id);

    /// Runs one statement; false with lastError() set on failure (nothing posted).
    bool execute(const QString& statement);
    /// Runs statement on query (waiting for locks as described above).
    bool run(QSqlQuery& query, const QString& statement);
    /// A forward-only query over "SELECT ... FROM <table>" (columns: ID then the registered ones).
    bool select(const ZRSQLTableStructure& table, QSqlQuery& query);

    /// The database's user version (PRAGMA user_version); -1 on failure.
    qint64 userVersion();
    bool setUserVersion(qint64 version);

    QSqlDatabase database() const { return m_db; }

private:
    bool runReported(const QString& statement, const char* prefix);
    bool stopRequested() const;

    QSqlDatabase m_db;
    QString m_fileName;
    QString m_connectionName;
    bool m_ownsConnection = false;
    QString m_lastError;
    Failure m_lastFailure = NoFailure;
    int m_lockWait = DefaultLockWait;
    std::function<bool()> m_stopCheck;
    QVector<ZRSQLTableStructure> m_tables;
};
