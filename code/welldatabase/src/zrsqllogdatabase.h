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
class ZRSQLLogDatabase
{
public:
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

    /// Registers a table; creation, selects and writes look it up by name.
    void registerTable(const ZRSQLTableStructure& table);
    const ZRSQLTableStructure* table(const QString& name) const;
    const QVector<ZRSQLTableStructure>& tables() const { return m_tables; }

    bool tableExists(const QString& name) const;
    QStringList columnsOf(const QString& tableName) const;
    bool hasColumn(const QString& tableName, const QString& column) const;
    /// True when any registered table that exists holds a row.
    bool hasAnyRows() const;

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
    /// A forward-only query over "SELECT ... FROM <table>" (columns: ID then the registered ones).
    bool select(const ZRSQLTableStructure& table, QSqlQuery& query) const;

    /// The database's user version (PRAGMA user_version); -1 on failure.
    qint64 userVersion() const;
    bool setUserVersion(qint64 version);

    QSqlDatabase database() const { return m_db; }

private:
    bool runReported(const QString& statement, const char* prefix);

    QSqlDatabase m_db;
    QString m_fileName;
    QString m_connectionName;
    bool m_ownsConnection = false;
    QString m_lastError;
    QVector<ZRSQLTableStructure> m_tables;
};
