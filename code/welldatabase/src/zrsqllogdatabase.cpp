#include "zrsqllogdatabase.h"

#include "zrwelldbmessage.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

ZRSQLLogDatabase::ZRSQLLogDatabase() = default;

ZRSQLLogDatabase::~ZRSQLLogDatabase()
{
    close();
}

bool ZRSQLLogDatabase::isDriverAvailable()
{
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}

bool ZRSQLLogDatabase::open(const QString& fileName, const QString& connectionName)
{
    const QString name = connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection)
                                                  : connectionName;
    if (isOpen() && name == m_connectionName
        && QFileInfo(fileName).absoluteFilePath() == QFileInfo(m_fileName).absoluteFilePath())
        return true;
    close();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    m_connectionName = name;
    m_ownsConnection = true;
    m_fileName = fileName;
    m_db.setDatabaseName(fileName);
    if (!m_db.open()) {
        m_lastError = m_db.lastError().text();
        return false;
    }
    return true;
}

void ZRSQLLogDatabase::close()
{
    if (!m_ownsConnection)
        return;
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_ownsConnection = false;
    m_connectionName.clear();
    m_fileName.clear();
}

bool ZRSQLLogDatabase::isOpen() const
{
    return m_ownsConnection && m_db.isOpen();
}

void ZRSQLLogDatabase::registerTable(const ZRSQLTableStructure& table)
{
    for (ZRSQLTableStructure& known : m_tables) {
        if (known.name() == table.name()) {
            known = table;
            return;
        }
    }
    m_tables.append(table);
}

const ZRSQLTableStructure* ZRSQLLogDatabase::table(const QString& name) const
{
    for (const ZRSQLTableStructure& known : m_tables) {
        if (known.name() == name)
            return &known;
    }
    return nullptr;
}

bool ZRSQLLogDatabase::tableExists(const QString& name) const
{
    return isOpen() && m_db.tables().contains(name, Qt::CaseInsensitive);
}

QStringList ZRSQLLogDatabase::columnsOf(const QString& tableName) const
{
    QStringList names;
    if (!isOpen())
        return names;
    const QSqlRecord record = m_db.record(tableName);
    for (int i = 0; i < record.count(); ++i)
        names.append(record.fieldName(i));
    return names;
}

bool ZRSQLLogDatabase::hasColumn(const QString& tableName, const QString& column) const
{
    return columnsOf(tableName).contains(column, Qt::CaseInsensitive);
}

bool ZRSQLLogDatabase::hasAnyRows() const
{
    if (!isOpen())
        return false;
    const QStringList existing = m_db.tables();
    for (const QString& name : existing) {
        if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(m_db);
        if (query.exec(QStringLiteral("SELECT 1 FROM ") + name + QStringLiteral(" LIMIT 1;")) && query.next())
            return true;
    }
    return false;
}

bool ZRSQLLogDatabase::createMissingTables()
{
    if (!isOpen())
        return false;
    const QStringList existing = m_db.tables();
    bool ok = true;
    for (const ZRSQLTableStructure& table : m_tables) {
        if (existing.contains(table.name(), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(m_db);
        if (!query.exec(table.createStatement())) {
            m_lastError = query.lastError().text();
            postWellDbMessage(eDrawFileError, QStringLiteral("SQL error while creating a table :") + QLatin1Char(' ')
                                                  + m_lastError);
            ok = false;
        }
    }
    return ok;
}

bool ZRSQLLogDatabase::beginTransaction()
{
    return execute(QStringLiteral("BEGIN TRANSACTION"));
}

bool ZRSQLLogDatabase::endTransaction()
{
    return execute(QStringLiteral("END TRANSACTION"));
}

bool ZRSQLLogDatabase::rollbackTransaction()
{
    return execute(QStringLiteral("ROLLBACK"));
}

bool ZRSQLLogDatabase::runReported(const QString& statement, const char* prefix)
{
    if (execute(statement))
        return true;
    postWellDbMessage(eDrawFileError, QString::fromLatin1(prefix) + m_lastError + QStringLiteral("  QUERY SOURCE:")
                                          + statement);
    return false;
}

bool ZRSQLLogDatabase::insertRow(const ZRSQLTableStructure& table, qint64 id, const QVector<QVariant>& values)
{
    return runReported(table.insertStatement(id, values), "Sql Error ADDING :");
}

bool ZRSQLLogDatabase::insertBatch(const QStringList& statements, const std::function<void()>& progress)
{
    // Inside a transaction SQLite refuses to change the safety level; the pragmas then do nothing.
    execute(QStringLiteral("PRAGMA synchronous = OFF"));
    bool ok = true;
    QSqlQuery query(m_db);
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            m_lastError = query.lastError().text();
            postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_lastError
                                                  + QStringLiteral("  QUERY SOURCE:") + statement);
            ok = false;
            break;
        }
        if (progress)
            progress();
    }
    query.finish();
    execute(QStringLiteral("PRAGMA synchronous = ON"));
    return ok;
}

bool ZRSQLLogDatabase::deleteRow(const ZRSQLTableStructure& table, qint64 id)
{
    return runReported(table.deleteStatement(id), "Sql Error DELETION :");
}

bool ZRSQLLogDatabase::execute(const QString& statement)
{
    if (!isOpen()) {
        m_lastError = QStringLiteral("Database not open");
        return false;
    }
    QSqlQuery query(m_db);
    if (!query.exec(statement)) {
        m_lastError = query.lastError().text();
        return false;
    }
    return true;
}

bool ZRSQLLogDatabase::select(const ZRSQLTableStructure& table, QSqlQuery& query) const
{
    if (!isOpen())
        return false;
    query = QSqlQuery(m_db);
    query.setForwardOnly(true);
    return query.exec(table.selectStatement());
}

qint64 ZRSQLLogDatabase::userVersion() const
{
    if (!isOpen())
        return -1;
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

bool ZRSQLLogDatabase::setUserVersion(qint64 version)
{
    return execute(QStringLiteral("PRAGMA user_version = ") + QString::number(version));
}
