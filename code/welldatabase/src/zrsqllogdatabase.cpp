#include "zrsqllogdatabase.h"

#include "zrwelldbmessage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace
{
// SQLite's primary result codes, as the driver reports them in nativeErrorCode().
constexpr int kSqliteBusy = 5;
constexpr int kSqliteIoError = 10;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

int primaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}
} // namespace

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
    // SQLite waits for a lock only one slice at a time; run() makes up the rest of the wait.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitSlice));
    m_lastFailure = NoFailure;
    if (!m_db.open()) {
        m_lastFailure = OtherFailure;
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

bool ZRSQLLogDatabase::tableNames(QStringList& names)
{
    names.clear();
    if (!isOpen())
        return false;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table';")))
        return false;
    while (query.next())
        names.append(query.value(0).toString());
    return true;
}

bool ZRSQLLogDatabase::tableExists(const QString& name)
{
    QStringList names;
    return tableNames(names) && names.contains(name, Qt::CaseInsensitive);
}

QStringList ZRSQLLogDatabase::columnsOf(const QString& tableName)
{
    QStringList names;
    if (!isOpen())
        return names;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("PRAGMA table_info(\"") + tableName + QStringLiteral("\");")))
        return names;
    const int nameColumn = query.record().indexOf(QStringLiteral("name"));
    while (query.next())
        names.append(query.value(nameColumn < 0 ? 1 : nameColumn).toString());
    return names;
}

bool ZRSQLLogDatabase::hasColumn(const QString& tableName, const QString& column)
{
    return columnsOf(tableName).contains(column, Qt::CaseInsensitive);
}

bool ZRSQLLogDatabase::hasAnyRows(bool& any)
{
    any = false;
    QStringList existing;
    if (!tableNames(existing))
        return false;
    for (const QString& name : existing) {
        if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!run(query, QStringLiteral("SELECT 1 FROM \"") + name + QStringLiteral("\" LIMIT 1;")))
            return false;
        if (query.next()) {
            any = true;
            return true;
        }
    }
    return true;
}

bool ZRSQLLogDatabase::checkReadable()
{
    if (!isOpen()) {
        m_lastError = QStringLiteral("Database not open");
        m_lastFailure = OtherFailure;
        return false;
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("PRAGMA quick_check;")))
        return false;
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok"))
            problems.append(line);
    }
    if (query.lastError().isValid()) {
        m_lastError = query.lastError().text();
        m_lastFailure = Unreadable;
        return false;
    }
    if (!problems.isEmpty()) {
        m_lastError = QStringLiteral("database disk image is damaged: ") + problems.first();
        m_lastFailure = Unreadable;
        return false;
    }
    return true;
}

bool ZRSQLLogDatabase::createMissingTables()
{
    QStringList existing;
    if (!tableNames(existing))
        return false;
    bool ok = true;
    for (const ZRSQLTableStructure& table : m_tables) {
        if (existing.contains(table.name(), Qt::CaseInsensitive))
            continue;
        QSqlQuery query(m_db);
        if (!run(query, table.createStatement())) {
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
        if (!run(query, statement)) {
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
        m_lastFailure = OtherFailure;
        return false;
    }
    QSqlQuery query(m_db);
    return run(query, statement);
}

bool ZRSQLLogDatabase::stopRequested() const
{
    return m_stopCheck && m_stopCheck();
}

bool ZRSQLLogDatabase::run(QSqlQuery& query, const QString& statement)
{
    m_lastFailure = NoFailure;
    QElapsedTimer waited;
    for (;;) {
        QElapsedTimer attempt;
        attempt.start();
        if (query.exec(statement))
            return true;
        const QSqlError error = query.lastError();
        m_lastError = error.text();
        const int code = primaryCode(error);
        if (code != kSqliteBusy) {
            m_lastFailure = code == kSqliteNotADatabase || code == kSqliteCorrupt || code == kSqliteIoError
                                ? Unreadable
                                : OtherFailure;
            return false;
        }
        if (stopRequested()) {
            m_lastError = QStringLiteral("the wait for a lock held by another program was stopped");
            m_lastFailure = Stopped;
            return false;
        }
        if (!waited.isValid()) {
            waited.start();
            if (m_lockWait > 0)
                postWellDbMessage(eDrawInformation,
                                  QStringLiteral("Well database: %1 is locked by another program; waiting up to %2 s.")
                                      .arg(QDir::toNativeSeparators(m_fileName))
                                      .arg((m_lockWait + 999) / 1000));
        }
        if (waited.elapsed() >= m_lockWait) {
            m_lastError = QStringLiteral("the database is locked by another program (waited %1 s)")
                              .arg(double(waited.elapsed()) / 1000.0, 0, 'f', 1);
            m_lastFailure = Locked;
            return false;
        }
        // SQLite gives up at once when waiting could deadlock: do not spin.
        if (attempt.elapsed() < LockWaitSlice / 2)
            QThread::msleep(LockWaitSlice / 2);
    }
}

bool ZRSQLLogDatabase::select(const ZRSQLTableStructure& table, QSqlQuery& query)
{
    if (!isOpen())
        return false;
    query = QSqlQuery(m_db);
    query.setForwardOnly(true);
    return run(query, table.selectStatement());
}

qint64 ZRSQLLogDatabase::userVersion()
{
    if (!isOpen())
        return -1;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("PRAGMA user_version")) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

bool ZRSQLLogDatabase::setUserVersion(qint64 version)
{
    return execute(QStringLiteral("PRAGMA user_version = ") + QString::number(version));
}
