#include "zrlogdatabase.h"

#include "welldbfileops.h"
#include "zrlogdatafile.h"
#include "zrwelldbmessage.h"
#include "zrwelldbsavejournal.h"

#include "zrassert.h"
#include "zrprogressbarmgr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

const QString ZRLogDatabase::StartupConnectionName = QStringLiteral("VS_OW_CONNECTOR");
const QString ZRLogDatabase::ProjectChangeConnectionName = QStringLiteral("VELOSTRAT_CONNEXION_2");

namespace
{
const QString kWellTable = QStringLiteral("WELL_TABLE");
const QString kSetTable = QStringLiteral("SET_TABLE");
const QString kLogTable = QStringLiteral("LOG_TABLE");
const QString kMarkerInfosTable = QStringLiteral("MARKERINFOS_TABLE");
const QString kMarkerTopBottomTable = QStringLiteral("MARKERTOPBOTTOM_TABLE");
const QString kWellSetTable = QStringLiteral("WELLSET_TABLE");
const QString kWellSetRelationTable = QStringLiteral("WELLSETTOWELLSRELATION_TABLE");
const QString kMarkerSelectionTable = QStringLiteral("MARKERSELECTION_TABLE");
const QString kMarkerSelectionRelationTable = QStringLiteral("MARKERSELECTIONWELLSRELATION_TABLE");

const QString kBaseName = QStringLiteral("wellQt4Velostrat");
const QString kReadOnlyText = QStringLiteral("Well database - Operation aborted: Well database is read-only");

const QStringList kTrajectoryLogs = {QStringLiteral("LogTVDXY"), QStringLiteral("LogDevX"), QStringLiteral("LogDevY")};
const QStringList kCheckShotLogs = {QStringLiteral("LogCheckShotTWT"), QStringLiteral("LogCheckShotOther")};

QVariant optionalValue(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant();
}

QVariant optionalValue(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant();
}

std::optional<int> optionalInt(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<double> optionalDouble(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

QString textOf(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

/// A stored kind in [0, limit) is kept; anything else (or NULL) becomes fallback.
qint32 sanitized(const QVariant& value, int limit, qint32 fallback)
{
    const std::optional<int> number = optionalInt(value);
    if (!number || *number >= limit)
        return fallback;
    return *number;
}

/// Shows the wait cursor while alive, when a GUI application exists.
class WaitCursor
{
public:
    WaitCursor()
        : m_active(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active;
};

template <typename T>
void eraseOwned(std::vector<std::unique_ptr<T>>& owner, const T* object)
{
    auto it = std::find_if(owner.begin(), owner.end(),
                           [object](const std::unique_ptr<T>& held) { return held.get() == object; });
    if (it != owner.end())
        owner.erase(it);
}

template <typename T>
QVector<T*> pointersOf(const std::vector<std::unique_ptr<T>>& owner)
{
    QVector<T*> result;
    result.reserve(int(owner.size()));
    for (const std::unique_ptr<T>& held : owner)
        result.append(held.get());
    return result;
}
} // namespace

namespace
{
std::function<bool()>& defaultStopCheck()
{
    static std::function<bool()> check;
    return check;
}
} // namespace

void ZRLogDatabase::setDefaultStopCheck(std::function<bool()> check)
{
    defaultStopCheck() = std::move(check);
}

bool ZRLogDatabase::stopRequested() const
{
    if (m_stopCheck)
        return m_stopCheck();
    const std::function<bool()>& check = defaultStopCheck();
    return check && check();
}

QString ZRLogDatabase::databaseFileName(const QString& folder)
{
    return folder + QLatin1Char('/') + kBaseName + QStringLiteral(".sql");
}

ZRLogDatabase::ZRLogDatabase()
    : m_answerer(ZRWellDbAnswerer::defaultAnswerer())
{
    registerTables();
    m_sql.setStopCheck([this] { return stopRequested(); });
}

ZRLogDatabase::~ZRLogDatabase()
{
    clear();
    m_sql.close();
}

void ZRLogDatabase::setAnswerer(std::shared_ptr<ZRWellDbAnswerer> answerer)
{
    m_answerer = answerer ? std::move(answerer) : ZRWellDbAnswerer::defaultAnswerer();
}

void ZRLogDatabase::registerTables()
{
    using T = ZRSQLTableStructure;
    m_sql.registerTable(T(kWellTable)
                            .addColumn(QStringLiteral("NAME"), T::Text, false, true)
                            .addColumn(QStringLiteral("XUTM"), T::Real, false)
                            .addColumn(QStringLiteral("YUTM"), T::Real, false)
                            .addColumn(QStringLiteral("REFSET_ID"), T::Integer, true)
                            .addColumn(QStringLiteral("KB"), T::Real, false)
                            .addColumn(QStringLiteral("KBUnit"), T::Integer, false)
                            .addColumn(QStringLiteral("UWI"), T::Text, true)
                            .addColumn(QStringLiteral("WELLSTATUS"), T::Integer, true)
                            .addColumn(QStringLiteral("WELLCOLOR"), T::Text, true)
                            .addColumn(QStringLiteral("OriginalSpatialUnit"), T::Integer, true));
    m_sql.registerTable(T(kSetTable)
                            .addColumn(QStringLiteral("NAME"), T::Text, false)
                            .addColumn(QStringLiteral("SET_TYPE"), T::Integer, false)
                            .addColumn(QStringLiteral("WELL_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("SHIFT_DEPTH"), T::Real, true)
                            .addColumn(QStringLiteral("TWT_SHIFTING"), T::Real, true)
                            .addColumn(QStringLiteral("DEPTH1_TYPE"), T::Integer, true)
                            .addColumn(QStringLiteral("DEPTH2_TYPE"), T::Integer, true)
                            .addColumn(QStringLiteral("DEVIATION_TYPE"), T::Integer, true)
                            .addColumn(QStringLiteral("CHECKSHOT_TYPE"), T::Integer, true)
                            .addColumn(QStringLiteral("DEVIATION_METHOD"), T::Integer, true));
    m_sql.registerTable(T(kLogTable)
                            .addColumn(QStringLiteral("NAME"), T::Text, false)
                            .addColumn(QStringLiteral("SET_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("NOVALUE"), T::Real, true)
                            .addColumn(QStringLiteral("UNIT"), T::Text, true)
                            .addColumn(QStringLiteral("LOGTYPE"), T::Integer, true));
    m_sql.registerTable(T(kMarkerInfosTable)
                            .addColumn(QStringLiteral("NAME"), T::Text, false, true)
                            .addColumn(QStringLiteral("COLOR"), T::Text, false));
    m_sql.registerTable(T(kMarkerTopBottomTable)
                            .addColumn(QStringLiteral("MARKERINFO_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("MARKERSET_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("TOP"), T::Real, false)
                            .addColumn(QStringLiteral("BOTTOM"), T::Real, true));
    m_sql.registerTable(T(kWellSetTable).addColumn(QStringLiteral("NAME"), T::Text, false));
    m_sql.registerTable(T(kWellSetRelationTable, true)
                            .addColumn(QStringLiteral("WELLSET_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("WELL_ID"), T::Integer, false));
    m_sql.registerTable(T(kMarkerSelectionTable).addColumn(QStringLiteral("NAME"), T::Text, false, true));
    m_sql.registerTable(T(kMarkerSelectionRelationTable)
                            .addColumn(QStringLiteral("MARKERSELECTION_ID"), T::Integer, false)
                            .addColumn(QStringLiteral("WELLS_ID"), T::Integer, false));
}

void ZRLogDatabase::clear()
{
    m_markers.clear();
    m_markerById.clear();
    m_markersOfSet.clear();
    m_logs.clear();
    m_logById.clear();
    m_logsOfSet.clear();
    m_wellSets.clear();
    m_wellSetById.clear();
    m_sets.clear();
    m_setById.clear();
    m_setsOfWell.clear();
    m_wells.clear();
    m_wellById.clear();
    m_markerInfos.clear();
    m_markerInfoById.clear();
    m_maxRelationId = 0;
    m_removedRows.clear();
    m_removedLogIds.clear();
    m_removedMarkerLists.clear();
    m_changedMarkerLists.clear();
    m_cache.clear();
    m_cacheUse.clear();
    m_cachedBytes = 0;
    m_reusableValues = QVector<double>();
}

bool ZRLogDatabase::isReadOnly() const
{
    if (!m_valid)
        return true;
    const QFileInfo file(databaseFileName(m_folder));
    return file.exists() ? !file.isWritable() : !QFileInfo(m_folder).isWritable();
}

bool ZRLogDatabase::refuseWhenReadOnly() const
{
    if (!isReadOnly())
        return false;
    postWellDbMessage(eDrawError, kReadOnlyText);
    return true;
}

bool ZRLogDatabase::failLoad()
{
    m_valid = false;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Load

bool ZRLogDatabase::loadAtStartup(const QString& folder, const QString& projectName)
{
    return load(folder, StartupConnectionName, projectName, false);
}

bool ZRLogDatabase::loadAfterProjectChange(const QString& folder, const QString& projectName)
{
    if (load(folder, ProjectChangeConnectionName, projectName, false))
        return true;
    createEmptyDatabase(folder);
    return m_valid;
}

bool ZRLogDatabase::failSqlLoad()
{
    const QString file = QDir::toNativeSeparators(m_sql.fileName());
    switch (m_sql.lastFailure()) {
    case ZRSQLLogDatabase::Stopped:
        return stopLoad();
    case ZRSQLLogDatabase::Unreadable:
        postWellDbMessage(eDrawFileError, QStringLiteral("Well Database loading error: %1 is not a readable well "
                                                         "database: %2")
                                              .arg(file, m_sql.lastError()));
        break;
    case ZRSQLLogDatabase::Locked:
    default:
        postWellDbMessage(eDrawFileError,
                          QStringLiteral("Well Database loading error: %1: %2").arg(file, m_sql.lastError()));
        break;
    }
    return failLoad();
}

bool ZRLogDatabase::stopLoad()
{
    m_loadStopped = true;
    postWellDbMessage(eDrawInformation, QStringLiteral("Well Database loading stopped: a stop was requested."));
    return failLoad();
}

bool ZRLogDatabase::recoverInterruptedSave(bool duringLoad)
{
    const qint64 committed = m_sql.userVersion();
    if (committed < 0)
        return duringLoad ? failSqlLoad() : false;
    const QString folder = QFileInfo(m_sql.fileName()).absolutePath();
    const QString journal = QDir::toNativeSeparators(ZRWellDbSaveJournal::journalFileName(folder));
    switch (ZRWellDbSaveJournal::recover(folder, committed)) {
    case ZRWellDbSaveJournal::RolledForward:
        postWellDbMessage(eDrawInformation, QStringLiteral("Well database: an interrupted save has been completed."));
        break;
    case ZRWellDbSaveJournal::RolledBack:
        postWellDbMessage(eDrawInformation, QStringLiteral("Well database: an interrupted save has been discarded."));
        break;
    case ZRWellDbSaveJournal::NothingToRecover:
        break;
    case ZRWellDbSaveJournal::Undecided:
        return duringLoad;
    case ZRWellDbSaveJournal::NotOurs:
        postWellDbMessage(eDrawFileError, QStringLiteral("Well database: %1 is not a save journal of this program; it "
                                                         "and every other file of the folder have been left as they "
                                                         "are.")
                                              .arg(journal));
        return duringLoad;
    }
    return true;
}

bool ZRLogDatabase::load(const QString& folder, const QString& connectionName, const QString& projectName, bool silent)
{
    clear();
    m_valid = true;
    m_loadStopped = false;
    m_projectName = projectName;
    const QString databaseFile = databaseFileName(folder);

    ZRWellDbInfo info;
    const bool infoExists = QFile::exists(ZRWellDbInfo::fileName(folder));
    info.read(folder);
    postWellDbMessage(eDrawInformation, QStringLiteral("Project well database version :") + info.versionText());

    if (info.isRead() && info.major() > ZRWellDbInfo::CurrentMajor) {
        const QString text =
            QStringLiteral("Current Velostrat version is too old for current well database. Please update it.");
        if (silent)
            postWellDbMessage(eDrawInformation, text);
        else if (!stopRequested())
            m_answerer->showWarning(QStringLiteral("Obsolete Velostrat version"), text);
        postWellDbMessage(eDrawError, QStringLiteral("Current Velostrat version is too old for current well database"));
        return stopRequested() ? stopLoad() : failLoad();
    }
    // Files are written only once the database has been read through (below).
    bool addInfoFile = false;
    QString migratedCopy;
    if (!infoExists && QFile::exists(databaseFile)) {
        addInfoFile = true;
    } else if (!info.isRead()
               && (QFile::exists(folder + QStringLiteral("/wellVelostrat.sql"))
                   || QFile::exists(folder + QStringLiteral("/testVelostrat.sql")))) {
        const QString text = QStringLiteral(
            "Some wells created using obsolete Velostrat version have been detected. They cannot be loaded by this "
            "version. Please contact Tovan support to have the well database of this project converted.");
        if (silent)
            postWellDbMessage(eDrawError, text);
        else if (!stopRequested())
            m_answerer->showWarning(QStringLiteral("Warning"), text);
        return stopRequested() ? stopLoad() : failLoad();
    } else if (info.isRead() && info.major() < ZRWellDbInfo::CurrentMajor) {
        migratedCopy = migrateOldDatabase(folder);
    }
    if (!QFile::exists(databaseFile))
        return failLoad();

    if (!ZRSQLLogDatabase::isDriverAvailable()) {
        m_answerer->showWarning(QStringLiteral("Sql drivers unavailable"), QStringLiteral("Database driver is missing. "));
        return failLoad();
    }
    // Until the database has been read through, a failure puts every file back as it was.
    auto unreadable = [&]() {
        const bool result = m_sql.isOpen() ? failSqlLoad() : failLoad();
        m_sql.close();
        if (!migratedCopy.isEmpty())
            QFile::remove(migratedCopy);
        return result;
    };
    if (!m_sql.open(databaseFile, connectionName)) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Well Database loading error: %1: %2")
                                              .arg(QDir::toNativeSeparators(databaseFile), m_sql.lastError()));
        return unreadable();
    }
    if (!m_sql.checkReadable())
        return unreadable();

    if (addInfoFile) {
        postWellDbMessage(eDrawInformation, QStringLiteral("Welldbinfo XML File missing. file added"));
        info.setCurrent();
        info.write(folder);
    }
    if (!recoverInterruptedSave(true))
        return failLoad();

    // A missing "SET_TABLE" is created below with every column.
    const QStringList setColumns = m_sql.columnsOf(kSetTable);
    if (m_sql.lastFailure() != ZRSQLLogDatabase::NoFailure)
        return failSqlLoad();
    const bool current = info.isAtLeastCurrent()
                         && (setColumns.isEmpty() || setColumns.contains(QStringLiteral("CHECKSHOT_TYPE"), Qt::CaseInsensitive));
    if (!current) {
        bool anyRows = false;
        if (!m_sql.hasAnyRows(anyRows))
            return failSqlLoad();
        if (anyRows && !silent) {
            if (stopRequested())
                return stopLoad();
            postWellDbMessage(eDrawInformation,
                              QStringLiteral("Well database: the well database of project %1 requires a structure "
                                             "update; waiting for the answer to the update question.")
                                  .arg(projectName));
            const bool update = m_answerer->askStructureUpdate(projectName);
            if (stopRequested())
                return stopLoad();
            if (!update)
                return failLoad();
        }
        if (!updateStructure(projectName))
            return m_sql.lastFailure() == ZRSQLLogDatabase::Stopped ? stopLoad() : failLoad();
        info.setCurrent();
        info.write(folder);
    }
    if (!m_sql.createMissingTables())
        return failSqlLoad();

    m_folder = folder;
    m_info = info;
    // One read transaction: every table is read from the same committed state.
    if (!m_sql.beginTransaction())
        return failSqlLoad();
    const bool loaded = loadObjects();
    const ZRSQLLogDatabase::Failure failure = m_sql.lastFailure();
    m_sql.endTransaction();
    if (!loaded) {
        clear();
        return failure == ZRSQLLogDatabase::Stopped ? stopLoad() : failLoad();
    }
    return true;
}

QString ZRLogDatabase::migrateOldDatabase(const QString& folder)
{
    // Databases of older versions carry the names "wellVelostrat*" and "testVelostrat*";
    // the newest one becomes the current database file when that does not exist yet.
    const QString target = databaseFileName(folder);
    if (QFile::exists(target))
        return QString();
    for (const QString& oldName : {QStringLiteral("wellVelostrat.sql"), QStringLiteral("testVelostrat.sql")}) {
        const QString source = folder + QLatin1Char('/') + oldName;
        if (QFile::exists(source) && QFile::copy(source, target))
            return target;
    }
    return QString();
}

bool ZRLogDatabase::rotateBackups(QString* errorText)
{
    const QString databaseFile = m_sql.fileName();
    const QString folder = QFileInfo(databaseFile).absolutePath();
    const QString backup = folder + QLatin1Char('/') + kBaseName + QStringLiteral("_backup.sql");
    const QString uselessBackup = folder + QLatin1Char('/') + kBaseName + QStringLiteral("_backup_useless.sql");
    // The copy is complete before the older backups move: a failed copy leaves them as they were.
    const QString copy = backup + QStringLiteral(".new");
    QFile::remove(copy);
    QFile source(databaseFile);
    if (!source.copy(copy)) {
        *errorText = source.errorString();
        QFile::remove(copy);
        return false;
    }
    if (QFile::exists(backup) && !welldb::replaceFile(backup, uselessBackup)) {
        *errorText = QStringLiteral("cannot rename %1").arg(QDir::toNativeSeparators(backup));
        QFile::remove(copy);
        return false;
    }
    if (!welldb::replaceFile(copy, backup)) {
        *errorText = QStringLiteral("cannot rename %1").arg(QDir::toNativeSeparators(copy));
        QFile::remove(copy);
        return false;
    }
    return true;
}

bool ZRLogDatabase::updateStructure(const QString& projectName)
{
    // The write lock first: the backups move only when the update is really going to run.
    if (!m_sql.execute(QStringLiteral("BEGIN IMMEDIATE"))) {
        if (m_sql.lastFailure() != ZRSQLLogDatabase::Stopped)
            postWellDbMessage(eDrawError, QStringLiteral("Well database updating: %1: %2")
                                              .arg(QDir::toNativeSeparators(m_sql.fileName()), m_sql.lastError()),
                              true);
        return false;
    }
    postWellDbMessage(eDrawStatus, QStringLiteral("Well database updating: project %1").arg(projectName), true);
    QString errorText;
    if (!rotateBackups(&errorText)) {
        m_sql.rollbackTransaction();
        postWellDbMessage(eDrawError, QStringLiteral("Well database updating: the backup copy could not be made: ")
                                          + errorText,
                          true);
        return false;
    }

    ZRProgressBarGuard progress(3, QStringLiteral("Well database updating"), m_progressParent, false);
    bool ok = m_sql.createMissingTables();
    const QVector<QPair<QString, QString>> tables = {
        {kSetTable, QStringLiteral("SET table")},
        {kWellTable, QStringLiteral("WELL table")},
        {kLogTable, QStringLiteral("LOG table")}};
    for (const auto& table : tables) {
        const ZRSQLTableStructure* structure = m_sql.table(table.first);
        const QStringList existing = m_sql.columnsOf(table.first);
        for (const ZRSQLTableStructure::Column& column : structure->columns()) {
            if (existing.contains(column.name, Qt::CaseInsensitive))
                continue;
            QString statement = QStringLiteral("ALTER TABLE ") + table.first + QStringLiteral(" ADD COLUMN ")
                                + column.name + ZRSQLTableStructure::typeWord(column.kind);
            if (!column.nullable)
                statement += column.kind == ZRSQLTableStructure::Text ? QStringLiteral(" NOT NULL DEFAULT ''")
                                                                      : QStringLiteral(" NOT NULL DEFAULT 0");
            if (!m_sql.execute(statement)) {
                postWellDbMessage(eDrawError,
                                  QStringLiteral("Well database updating: an error occurred when updating the ")
                                      + table.second,
                                  true);
                ok = false;
                break;
            }
        }
        progress.increment();
    }
    if (ok && !m_sql.endTransaction()) {
        postWellDbMessage(eDrawError, QStringLiteral("Well database updating: %1").arg(m_sql.lastError()), true);
        ok = false;
    }
    if (!ok) {
        m_sql.rollbackTransaction();
        return false;
    }
    postWellDbMessage(eDrawStatus, QStringLiteral("Well database updating: done for project %1").arg(projectName),
                      true);
    return true;
}


bool ZRLogDatabase::loadObjects()
{
    QSqlQuery query(m_sql.database());
    auto selectAll = [&](const QString& tableName) {
        const ZRSQLTableStructure* table = m_sql.table(tableName);
        if (!m_sql.select(*table, query)) {
            if (m_sql.lastFailure() == ZRSQLLogDatabase::Stopped)
                return false;
            postWellDbMessage(eDrawFileError, QStringLiteral("Well Database loading error: ") + tableName
                                                  + QLatin1Char(' ') + m_sql.lastError());
            return false;
        }
        return true;
    };

    // Wells (current reference sets are resolved once the sets are known).
    if (!selectAll(kWellTable))
        return false;
    QHash<ZRWell*, int> wellRefSetIds;
    while (query.next()) {
        auto well = std::make_unique<ZRWell>(query.value(0).toInt(), textOf(query.value(1)));
        well->setX(query.value(2).toDouble());
        well->setY(query.value(3).toDouble());
        if (!query.value(4).isNull())
            wellRefSetIds.insert(well.get(), query.value(4).toInt());
        well->setKb(query.value(5).toDouble());
        well->setKbUnit(query.value(6).toInt());
        well->setUwi(textOf(query.value(7)));
        well->setStatus(optionalInt(query.value(8)));
        well->setColor(textOf(query.value(9)));
        well->setOriginalSpatialUnit(optionalInt(query.value(10)));
        well->setCrs(m_projectCrs);
        m_wellById.insert(well->id(), well.get());
        m_wells.push_back(std::move(well));
    }

    if (!selectAll(kSetTable))
        return false;
    while (query.next()) {
        const int id = query.value(0).toInt();
        const QString name = textOf(query.value(1));
        const int setType = query.value(2).toInt();
        ZRWell* well = m_wellById.value(query.value(3).toInt(), nullptr);
        std::unique_ptr<ZRSet> set;
        if (setType == ZRSet::RefSetType) {
            auto refSet = std::make_unique<ZRRefSet>(id, name, well, 0);
            refSet->setShiftDepth(query.value(4).toDouble());
            refSet->setTwtShifting(query.value(5).toDouble());
            refSet->setDepth1Type(sanitized(query.value(6), 5, 0));
            refSet->setDepth2Type(sanitized(query.value(7), 5, 0));
            refSet->setDeviationType(sanitized(query.value(8), 4, 0));
            refSet->setCheckShotType(sanitized(query.value(9), 5, 0));
            refSet->setDeviationMethod(sanitized(query.value(10), 3, 2));
            set = std::move(refSet);
        } else {
            set = std::make_unique<ZRSet>(id, name, well, setType);
        }
        set->setCrs(m_projectCrs);
        addSet(std::move(set));
    }
    for (auto it = wellRefSetIds.constBegin(); it != wellRefSetIds.constEnd(); ++it) {
        ZRSet* set = m_setById.value(it.value(), nullptr);
        ZRRefSet* refSet = set && set->setType() == ZRSet::RefSetType && set->well() == it.key()
                               ? static_cast<ZRRefSet*>(set)
                               : nullptr;
        if (refSet)
            it.key()->setCurrentRefSet(refSet);
        else if (it.value() > 0)
            postWellDbMessage(eDrawError, QStringLiteral("Well db %1 issue : cannot get ref set of well %2 : id=%3 set=%4")
                                              .arg(m_projectName, it.key()->name())
                                              .arg(it.key()->id())
                                              .arg(it.value()));
    }

    if (!selectAll(kLogTable))
        return false;
    while (query.next()) {
        const int id = query.value(0).toInt();
        if (m_logById.contains(id)) {
            postWellDbMessage(eDrawError, QStringLiteral("Well Database loading error: duplicated log's id"));
            continue;
        }
        ZRSet* set = m_setById.value(query.value(2).toInt(), nullptr);
        auto log = std::make_unique<ZRLog>(id, textOf(query.value(1)), set);
        log->setNoValue(optionalDouble(query.value(3)));
        log->setUnit(textOf(query.value(4)));
        log->setLogType(optionalInt(query.value(5)));
        log->m_stored = true;
        m_logById.insert(id, log.get());
        m_logsOfSet[set].append(log.get());
        m_logs.push_back(std::move(log));
    }

    if (!selectAll(kMarkerInfosTable))
        return false;
    while (query.next()) {
        auto info = std::make_unique<ZRMarkerInfos>(query.value(0).toInt(), textOf(query.value(1)));
        info->setColor(textOf(query.value(2)));
        m_markerInfoById.insert(info->id(), info.get());
        m_markerInfos.push_back(std::move(info));
    }

    if (!selectAll(kMarkerTopBottomTable))
        return false;
    while (query.next()) {
        ZRMarkerInfos* info = m_markerInfoById.value(query.value(1).toInt(), nullptr);
        ZRSet* markerSet = m_setById.value(query.value(2).toInt(), nullptr);
        auto marker = std::make_unique<ZRMarkerTopBottom>(query.value(0).toInt(), info, markerSet,
                                                          query.value(3).toDouble(), optionalDouble(query.value(4)));
        m_markerById.insert(marker->id(), marker.get());
        m_markersOfSet[markerSet].append(marker.get());
        m_markers.push_back(std::move(marker));
    }

    if (!selectAll(kWellSetTable))
        return false;
    while (query.next()) {
        auto wellSet = std::make_unique<ZRWellSet>(query.value(0).toInt(), textOf(query.value(1)));
        m_wellSetById.insert(wellSet->id(), wellSet.get());
        m_wellSets.push_back(std::move(wellSet));
    }

    if (!selectAll(kWellSetRelationTable))
        return false;
    while (query.next()) {
        const int relationId = query.value(0).toInt();
        m_maxRelationId = std::max(m_maxRelationId, relationId);
        ZRWellSet* wellSet = m_wellSetById.value(query.value(1).toInt(), nullptr);
        ZRWell* well = m_wellById.value(query.value(2).toInt(), nullptr);
        if (wellSet && well)
            wellSet->m_members.append(ZRWellSet::Member{relationId, well, true});
    }
    query.finish();

    for (const auto& well : m_wells)
        well->setModified(false);
    for (const auto& set : m_sets)
        set->setModified(false);
    for (const auto& log : m_logs)
        log->setModified(false);
    for (const auto& info : m_markerInfos)
        info->setModified(false);
    for (const auto& marker : m_markers)
        marker->setModified(false);
    for (const auto& wellSet : m_wellSets)
        wellSet->setModified(false);

    renameCaseDuplicatedWells();
    return true;
}

void ZRLogDatabase::renameCaseDuplicatedWells()
{
    QSet<QString> allNames;
    for (const auto& well : m_wells)
        allNames.insert(well->name().toLower());
    QSet<QString> seen;
    for (const auto& well : m_wells) {
        const QString key = well->name().toLower();
        if (!seen.contains(key)) {
            seen.insert(key);
            continue;
        }
        QString candidate;
        for (int number = 1;; ++number) {
            candidate = well->name() + QLatin1Char('_') + QString::number(number);
            if (!allNames.contains(candidate.toLower()))
                break;
        }
        const QString oldName = well->name();
        well->setName(candidate);
        allNames.insert(candidate.toLower());
        seen.insert(candidate.toLower());
        postWellDbMessage(eDrawInformation, QStringLiteral("Well names are now case insensitive. To ensure well name "
                                                           "uniqueness, the well %1 has been renamed to %2")
                                                .arg(oldName, candidate));
    }
}

bool ZRLogDatabase::createEmptyDatabase(const QString& folder)
{
    const QString databaseFile = databaseFileName(folder);
    if (QFile::exists(databaseFile))
        return false;
    clear();
    m_valid = false;
    if (!QDir().mkpath(folder))
        return false;
    if (!ZRSQLLogDatabase::isDriverAvailable()) {
        m_answerer->showWarning(QStringLiteral("Sql drivers unavailable"), QStringLiteral("Database driver is missing. "));
        return false;
    }
    if (!m_sql.open(databaseFile, QString()))
        return false;
    m_folder = folder;
    m_info.setCurrent();
    if (!m_info.write(folder))
        postWellDbMessage(eDrawFileError, QStringLiteral("Error when writing ") + ZRWellDbInfo::fileName(folder));
    m_valid = true;
    if (!save()) {
        m_valid = false;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Wells and well sets

ZRWell* ZRLogDatabase::CreateWell(const QString& name, bool)
{
    if (findWell(name))
        return nullptr;
    const int id = m_wellById.isEmpty() ? 1 : m_wellById.lastKey() + 1;
    forgetRemovedRow(kWellTable, id);
    auto well = std::make_unique<ZRWell>(id, name);
    well->setCrs(m_projectCrs);
    ZRWell* result = well.get();
    m_wellById.insert(id, result);
    m_wells.push_back(std::move(well));
    return result;
}

ZRWell* ZRLogDatabase::findWell(const QString& name) const
{
    for (const auto& well : m_wells) {
        if (well->name().compare(name, Qt::CaseInsensitive) == 0)
            return well.get();
    }
    return nullptr;
}

ZRWell* ZRLogDatabase::findWell(int id) const
{
    return m_wellById.value(id, nullptr);
}

QVector<ZRWell*> ZRLogDatabase::wells() const
{
    return pointersOf(m_wells);
}

bool ZRLogDatabase::removeWell(int id)
{
    if (refuseWhenReadOnly())
        return false;
    ZRWell* well = findWell(id);
    if (!well)
        return false;
    const QVector<ZRSet*> sets = m_setsOfWell.value(well);
    for (ZRSet* set : sets)
        dropSet(set);
    m_setsOfWell.remove(well);
    for (const auto& wellSet : m_wellSets) {
        QVector<ZRWellSet::Member>& members = wellSet->m_members;
        for (int i = members.size() - 1; i >= 0; --i) {
            if (members[i].well == well) {
                m_removedRows[kWellSetRelationTable].insert(members[i].relationId);
                members.removeAt(i);
            }
        }
    }
    m_removedRows[kWellTable].insert(id);
    m_wellById.remove(id);
    eraseOwned(m_wells, well);
    return true;
}

void ZRLogDatabase::setOriginalCrs(ZRWell* well, const ZRWellDbCrs& crs)
{
    if (!well)
        return;
    well->setOriginalCrs(crs);
    for (ZRSet* set : m_setsOfWell.value(well))
        set->setOriginalCrs(crs);
}

ZRWellSet* ZRLogDatabase::CreateWellSet(const QString& name)
{
    const int id = m_wellSetById.isEmpty() ? 1 : m_wellSetById.lastKey() + 1;
    forgetRemovedRow(kWellSetTable, id);
    auto wellSet = std::make_unique<ZRWellSet>(id, name);
    ZRWellSet* result = wellSet.get();
    m_wellSetById.insert(id, result);
    m_wellSets.push_back(std::move(wellSet));
    return result;
}

ZRWellSet* ZRLogDatabase::findWellSet(int id) const
{
    return m_wellSetById.value(id, nullptr);
}

ZRWellSet* ZRLogDatabase::wellSet(const QString& name)
{
    for (const auto& wellSet : m_wellSets) {
        if (wellSet->name() == name)
            return wellSet.get();
    }
    return CreateWellSet(name);
}

QVector<ZRWellSet*> ZRLogDatabase::wellSets() const
{
    return pointersOf(m_wellSets);
}

QStringList ZRLogDatabase::wellSetsOfWell(const ZRWell* well) const
{
    QStringList names;
    for (const auto& wellSet : m_wellSets) {
        if (wellSet->contains(well))
            names.append(wellSet->name());
    }
    return names;
}

void ZRLogDatabase::addWellToWellSet(ZRWell* well, ZRWellSet* wellSet)
{
    if (!well || !wellSet || wellSet->contains(well))
        return;
    const int relationId = ++m_maxRelationId;
    forgetRemovedRow(kWellSetRelationTable, relationId);
    wellSet->m_members.append(ZRWellSet::Member{relationId, well, false});
}

// ---------------------------------------------------------------------------------------------
// Sets

int ZRLogDatabase::nextSetId() const
{
    return m_setById.isEmpty() ? 1 : m_setById.lastKey() + 1;
}

ZRSet* ZRLogDatabase::addSet(std::unique_ptr<ZRSet> set)
{
    ZRSet* result = set.get();
    m_setById.insert(result->id(), result);
    m_setsOfWell[result->well()].append(result);
    m_sets.push_back(std::move(set));
    return result;
}

ZRSet* ZRLogDatabase::CreateLogSet(const QString& name, ZRWell* well)
{
    if (!well || findSet(name, well))
        return nullptr;
    const int id = nextSetId();
    forgetRemovedRow(kSetTable, id);
    auto set = std::make_unique<ZRSet>(id, name, well, ZRSet::LogSetType);
    set->setCrs(m_projectCrs);
    return addSet(std::move(set));
}

ZRSet* ZRLogDatabase::CreateMarkerSet(const QString& name, ZRWell* well)
{
    if (!well || findSet(name, well))
        return nullptr;
    const int id = nextSetId();
    forgetRemovedRow(kSetTable, id);
    auto set = std::make_unique<ZRSet>(id, name, well, ZRSet::MarkerSetType);
    set->setCrs(m_projectCrs);
    return addSet(std::move(set));
}

ZRRefSet* ZRLogDatabase::CreateRefSet(const QString& name, ZRWell* well, int depth2Type)
{
    if (!well || findSet(name, well))
        return nullptr;
    const int id = nextSetId();
    forgetRemovedRow(kSetTable, id);
    auto set = std::make_unique<ZRRefSet>(id, name, well, depth2Type);
    set->setCrs(m_projectCrs);
    ZRRefSet* refSet = set.get();
    addSet(std::move(set));
    if (!well->currentRefSet())
        well->setCurrentRefSet(refSet);
    return refSet;
}

ZRSet* ZRLogDatabase::findSet(const QString& name, const ZRWell* well) const
{
    for (ZRSet* set : m_setsOfWell.value(well)) {
        if (set->name() == name)
            return set;
    }
    return nullptr;
}

ZRRefSet* ZRLogDatabase::findRefSet(const QString& name, const ZRWell* well) const
{
    for (ZRSet* set : m_setsOfWell.value(well)) {
        if (set->setType() == ZRSet::RefSetType && set->name() == name)
            return static_cast<ZRRefSet*>(set);
    }
    return nullptr;
}

ZRSet* ZRLogDatabase::findSet(int id) const
{
    return m_setById.value(id, nullptr);
}

QVector<ZRSet*> ZRLogDatabase::GetSetsFromWell(const ZRWell* well, int setType) const
{
    QVector<ZRSet*> result;
    for (ZRSet* set : m_setsOfWell.value(well)) {
        if (set->setType() == setType)
            result.append(set);
    }
    return result;
}

QVector<ZRSet*> ZRLogDatabase::sets() const
{
    return pointersOf(m_sets);
}

bool ZRLogDatabase::removeSet(ZRSet* set)
{
    if (refuseWhenReadOnly())
        return false;
    if (!set || !m_setById.contains(set->id()))
        return false;
    QVector<ZRSet*>& ofWell = m_setsOfWell[set->well()];
    ofWell.removeAll(set);
    dropSet(set);
    return true;
}

void ZRLogDatabase::dropSet(ZRSet* set)
{
    if (ZRWell* well = set->well(); well && well->currentRefSet() == set)
        well->setCurrentRefSet(nullptr);
    const QVector<ZRLog*> logs = m_logsOfSet.value(set);
    for (ZRLog* log : logs)
        dropLog(log);
    m_logsOfSet.remove(set);
    dropMarkersOfSet(set);
    if (set->setType() == ZRSet::MarkerSetType) {
        m_removedMarkerLists.insert(set->id());
        m_changedMarkerLists.remove(set->id());
    }
    m_removedRows[kSetTable].insert(set->id());
    m_setById.remove(set->id());
    eraseOwned(m_sets, set);
}

// ---------------------------------------------------------------------------------------------
// Logs

int ZRLogDatabase::nextLogId() const
{
    int greatest = m_logById.isEmpty() ? 0 : m_logById.lastKey();
    for (int removed : m_removedLogIds)
        greatest = std::max(greatest, removed);
    return greatest + 1;
}

ZRLog* ZRLogDatabase::CreateLog(const QString& name, ZRSet* set, bool checkName)
{
    if (!set || !m_setById.contains(set->id()))
        return nullptr;
    if (checkName && findLog(name, set))
        return nullptr;
    const int id = nextLogId();
    forgetRemovedRow(kLogTable, id);
    if (!m_folder.isEmpty())
        QFile::remove(ZRLogDataFile::logFileName(m_folder, id));
    auto log = std::make_unique<ZRLog>(id, name, set);
    log->m_pendingData = std::make_unique<ZRDataLogReal>();
    ZRLog* result = log.get();
    m_logById.insert(id, result);
    m_logsOfSet[set].append(result);
    m_logs.push_back(std::move(log));
    if (set->setType() == ZRSet::MarkerSetType)
        set->setMarkersOutdated(true);
    return result;
}

ZRLog* ZRLogDatabase::findLog(const QString& name, const ZRSet* set) const
{
    for (ZRLog* log : m_logsOfSet.value(set)) {
        if (log->name() == name)
            return log;
    }
    return nullptr;
}

ZRLog* ZRLogDatabase::findLog(int id) const
{
    return m_logById.value(id, nullptr);
}

QVector<ZRLog*> ZRLogDatabase::GetLogsFromSet(const ZRSet* set) const
{
    return m_logsOfSet.value(set);
}

QVector<ZRLog*> ZRLogDatabase::logs() const
{
    return pointersOf(m_logs);
}

bool ZRLogDatabase::removeLog(ZRLog* log)
{
    if (refuseWhenReadOnly())
        return false;
    if (!log || !m_logById.contains(log->id()))
        return false;
    m_logsOfSet[log->set()].removeAll(log);
    dropLog(log);
    return true;
}

void ZRLogDatabase::dropLog(ZRLog* log)
{
    if (log->set() && log->set()->setType() == ZRSet::MarkerSetType)
        log->set()->setMarkersOutdated(true);
    m_removedRows[kLogTable].insert(log->id());
    m_removedLogIds.insert(log->id());
    m_logById.remove(log->id());
    forgetCached(log);
    eraseOwned(m_logs, log);
}

std::shared_ptr<const IZRDataLog> ZRLogDatabase::storedValues(const ZRLog* log) const
{
    if (!log)
        return nullptr;
    const auto cached = m_cache.find(log);
    if (cached != m_cache.end()) {
        m_cacheUse.splice(m_cacheUse.end(), m_cacheUse, cached->second.use);
        return cached->second.data;
    }
    if (m_folder.isEmpty())
        return nullptr;
    const QString fileName = ZRLogDataFile::logFileName(m_folder, log->id());
    QString errorText;
    std::shared_ptr<const IZRDataLog> data = ZRLogDataFile::read(fileName, &errorText, &m_reusableValues);
    m_reusableValues = QVector<double>();
    if (!data) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Error when reading log data:")
                                              + QDir::toNativeSeparators(fileName) + QLatin1Char(' ') + errorText);
        return nullptr;
    }
    const qint64 bytes = data->byteSize();
    if (bytes <= m_cacheLimit) {
        trimCache(m_cacheLimit - bytes, true);
        m_cacheUse.push_back(log);
        m_cache.emplace(log, CachedValues{data, bytes, std::prev(m_cacheUse.end())});
        m_cachedBytes += bytes;
    }
    return data;
}

void ZRLogDatabase::forgetCached(const ZRLog* log, bool keepMemory) const
{
    const auto cached = m_cache.find(log);
    if (cached == m_cache.end())
        return;
    // Values no caller holds any more: their memory can serve the next read.
    if (keepMemory && cached->second.data.use_count() == 1 && cached->second.data->kind() == IZRDataLog::RealKind) {
        // The cache made these values (not const) and is their only holder.
        auto& values = const_cast<ZRDataLogReal&>(static_cast<const ZRDataLogReal&>(*cached->second.data)).values();
        if (values.isDetached() && values.capacity() > m_reusableValues.capacity())
            m_reusableValues.swap(values);
    }
    m_cachedBytes -= cached->second.bytes;
    m_cacheUse.erase(cached->second.use);
    m_cache.erase(cached);
}

void ZRLogDatabase::trimCache(qint64 limit, bool keepMemory) const
{
    while (m_cachedBytes > limit && !m_cacheUse.empty())
        forgetCached(m_cacheUse.front(), keepMemory);
}

void ZRLogDatabase::setLogCacheLimit(qint64 bytes)
{
    m_cacheLimit = std::max<qint64>(0, bytes);
    trimCache(m_cacheLimit);
}

bool ZRLogDatabase::isLogCached(const ZRLog* log) const
{
    return m_cache.find(log) != m_cache.end();
}

void ZRLogDatabase::releaseLogCache(const ZRLog* log)
{
    forgetCached(log);
}

void ZRLogDatabase::releaseLogCache()
{
    trimCache(0);
    m_reusableValues = QVector<double>();
}

qint64 ZRLogDatabase::pendingLogBytes() const
{
    qint64 bytes = 0;
    for (const auto& log : m_logs) {
        if (log->m_pendingData)
            bytes += log->m_pendingData->byteSize();
    }
    return bytes;
}

std::unique_ptr<IZRDataLog> ZRLogDatabase::logData(const ZRLog* log, bool storedOnly) const
{
    if (!log)
        return nullptr;
    if (!storedOnly && log->m_pendingData)
        return log->m_pendingData->clone();
    const std::shared_ptr<const IZRDataLog> stored = storedValues(log);
    return stored ? stored->clone() : nullptr;
}

bool ZRLogDatabase::getLogData(const ZRLog* log, QVector<double>& values, bool storedOnly) const
{
    // Assigned, not cleared: clearing values shared with the cache would copy them first.
    values = QVector<double>();
    if (!log)
        return false;
    std::shared_ptr<const IZRDataLog> stored;
    const IZRDataLog* data = storedOnly ? nullptr : log->m_pendingData.get();
    if (!data) {
        stored = storedValues(log);
        data = stored.get();
    }
    if (!data)
        return false;
    if (data->kind() == IZRDataLog::RealKind) {
        values = static_cast<const ZRDataLogReal*>(data)->values();
        return true;
    }
    if (data->kind() == IZRDataLog::IntegerKind) {
        const QVector<qint32>& numbers = static_cast<const ZRDataLogInt*>(data)->values();
        values.reserve(numbers.size());
        for (qint32 number : numbers)
            values.append(double(number));
        return true;
    }
    return false;
}

bool ZRLogDatabase::getLogData(const ZRLog* log, QVector<qint32>& values, bool storedOnly) const
{
    values = QVector<qint32>();
    if (!log)
        return false;
    std::shared_ptr<const IZRDataLog> stored;
    const IZRDataLog* data = storedOnly ? nullptr : log->m_pendingData.get();
    if (!data) {
        stored = storedValues(log);
        data = stored.get();
    }
    if (!data || data->kind() != IZRDataLog::IntegerKind)
        return false;
    values = static_cast<const ZRDataLogInt*>(data)->values();
    return true;
}

bool ZRLogDatabase::getLogData(const ZRLog* log, QStringList& values, bool storedOnly) const
{
    values = QStringList();
    if (!log)
        return false;
    std::shared_ptr<const IZRDataLog> stored;
    const IZRDataLog* data = storedOnly ? nullptr : log->m_pendingData.get();
    if (!data) {
        stored = storedValues(log);
        data = stored.get();
    }
    if (!data || data->kind() != IZRDataLog::TextKind)
        return false;
    values = static_cast<const ZRDataLogText*>(data)->values();
    return true;
}

void ZRLogDatabase::setLogData(ZRLog* log, std::unique_ptr<IZRDataLog> data)
{
    if (!log || !data)
        return;
    forgetCached(log);
    log->m_pendingData = std::move(data);
    if (log->set() && log->set()->setType() == ZRSet::MarkerSetType)
        log->set()->setMarkersOutdated(true);
}

void ZRLogDatabase::setLogData(ZRLog* log, QVector<double> values)
{
    setLogData(log, std::make_unique<ZRDataLogReal>(std::move(values)));
}

void ZRLogDatabase::setLogData(ZRLog* log, QVector<qint32> values)
{
    setLogData(log, std::make_unique<ZRDataLogInt>(std::move(values)));
}

void ZRLogDatabase::setLogData(ZRLog* log, QStringList values)
{
    setLogData(log, std::make_unique<ZRDataLogText>(std::move(values)));
}

// ---------------------------------------------------------------------------------------------
// Markers

ZRMarkerInfos* ZRLogDatabase::findMarkerInfo(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const auto& info : m_markerInfos) {
        if (info->name().trimmed() == wanted)
            return info.get();
    }
    return nullptr;
}

ZRMarkerInfos* ZRLogDatabase::findMarkerInfo(int id) const
{
    return m_markerInfoById.value(id, nullptr);
}

ZRMarkerInfos* ZRLogDatabase::CreateMarkerInfo(const QString& name)
{
    QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        trimmed = QStringLiteral("NO_NAME");
    if (findMarkerInfo(trimmed))
        return nullptr;
    const int id = m_markerInfoById.isEmpty() ? 1 : m_markerInfoById.lastKey() + 1;
    forgetRemovedRow(kMarkerInfosTable, id);
    auto info = std::make_unique<ZRMarkerInfos>(id, trimmed);
    ZRMarkerInfos* result = info.get();
    m_markerInfoById.insert(id, result);
    m_markerInfos.push_back(std::move(info));
    return result;
}

QVector<ZRMarkerInfos*> ZRLogDatabase::markerInfos() const
{
    return pointersOf(m_markerInfos);
}

ZRMarkerTopBottom* ZRLogDatabase::CreateMarkerTopBottom(ZRMarkerInfos* info, ZRSet* markerSet, double top,
                                                        std::optional<double> bottom)
{
    if (!info || !markerSet || markerSet->setType() != ZRSet::MarkerSetType)
        return nullptr;
    const int id = m_markerById.isEmpty() ? 1 : m_markerById.lastKey() + 1;
    forgetRemovedRow(kMarkerTopBottomTable, id);
    auto marker = std::make_unique<ZRMarkerTopBottom>(id, info, markerSet, top, bottom);
    ZRMarkerTopBottom* result = marker.get();
    m_markerById.insert(id, result);
    m_markersOfSet[markerSet].append(result);
    m_markers.push_back(std::move(marker));
    m_changedMarkerLists.insert(markerSet->id());
    return result;
}

QVector<ZRMarkerTopBottom*> ZRLogDatabase::markersOfSet(const ZRSet* markerSet) const
{
    return m_markersOfSet.value(markerSet);
}

QVector<ZRMarkerTopBottom*> ZRLogDatabase::GetMarkerDataFromWell(const ZRWell* well, const ZRMarkerInfos* info) const
{
    QVector<ZRMarkerTopBottom*> result;
    for (ZRSet* set : GetSetsFromWell(well, ZRSet::MarkerSetType)) {
        for (ZRMarkerTopBottom* marker : m_markersOfSet.value(set)) {
            if (marker->markerInfo() == info)
                result.append(marker);
        }
    }
    return result;
}

void ZRLogDatabase::dropMarkersOfSet(ZRSet* set)
{
    const QVector<ZRMarkerTopBottom*> markers = m_markersOfSet.take(set);
    for (ZRMarkerTopBottom* marker : markers) {
        m_removedRows[kMarkerTopBottomTable].insert(marker->id());
        m_markerById.remove(marker->id());
        eraseOwned(m_markers, marker);
    }
}

bool ZRLogDatabase::updateMarkerDatabase()
{
    bool ok = true;
    const QVector<ZRSet*> allSets = sets();
    for (ZRSet* set : allSets) {
        if (set->setType() != ZRSet::MarkerSetType || !set->markersOutdated())
            continue;
        if (!set->well()) {
            postWellDbMessage(eDrawError, QStringLiteral("Error: well database contains marker set <b>") + set->name()
                                              + QStringLiteral("</b>") + QStringLiteral(" associated with no Well:"));
            ok = false;
            continue;
        }
        QStringList names;
        QVector<double> tops;
        QVector<double> bottoms;
        getLogData(findLog(QStringLiteral("LogNameMarkerSet"), set), names);
        getLogData(findLog(QStringLiteral("LogTopMarkerSet"), set), tops);
        getLogData(findLog(QStringLiteral("LogBottomMarkerSet"), set), bottoms);

        dropMarkersOfSet(set);
        m_changedMarkerLists.insert(set->id());
        for (int i = 0; i < names.size(); ++i) {
            ZRMarkerInfos* info = findMarkerInfo(names[i]);
            if (!info)
                info = CreateMarkerInfo(names[i]);
            if (!info) {
                postWellDbMessage(eDrawError,
                                  QStringLiteral("Error when updating marker database: database marker info is invalid"));
                ok = false;
                continue;
            }
            const std::optional<double> bottom = i < bottoms.size() ? std::optional<double>(bottoms[i]) : std::nullopt;
            ZRMarkerTopBottom* marker =
                i < tops.size() ? CreateMarkerTopBottom(info, set, tops[i], bottom) : nullptr;
            if (!marker) {
                postWellDbMessage(
                    eDrawError,
                    QStringLiteral("Error when updating marker database: database marker top / bottom is invalid"));
                ok = false;
            }
        }
        set->setMarkersOutdated(false);
    }
    return ok;
}

bool ZRLogDatabase::copyLog(const ZRRefSet* from, ZRRefSet* to, const QString& logName)
{
    const ZRLog* source = findLog(logName, from);
    if (!source)
        return false;
    std::unique_ptr<IZRDataLog> data = logData(source);
    if (!data)
        return false;
    ZRLog* target = findLog(logName, to);
    if (!target)
        target = CreateLog(logName, to, false);
    if (!target)
        return false;
    target->setNoValue(source->noValue());
    target->setUnit(source->unit());
    target->setLogType(source->logType());
    setLogData(target, std::move(data));
    return true;
}

bool ZRLogDatabase::updateReferenceSets(ZRRefSet* refSet, bool trajectory, bool checkShot)
{
    if (!refSet || !refSet->well())
        return false;
    bool ok = true;
    const QVector<ZRSet*> others = GetSetsFromWell(refSet->well(), ZRSet::RefSetType);
    for (ZRSet* set : others) {
        if (set == refSet)
            continue;
        auto* other = static_cast<ZRRefSet*>(set);
        if (trajectory) {
            bool copied = true;
            for (const QString& name : kTrajectoryLogs)
                copied = copyLog(refSet, other, name) && copied;
            other->setDeviationType(refSet->deviationType());
            other->setDeviationMethod(refSet->deviationMethod());
            if (!copied) {
                postWellDbMessage(eDrawError,
                                  QStringLiteral("An error occurred when updating the trajectory of reference set:")
                                      + other->name() + QStringLiteral(" from well ") + refSet->well()->name());
                ok = false;
            }
        }
        if (checkShot) {
            bool copied = true;
            for (const QString& name : kCheckShotLogs)
                copied = copyLog(refSet, other, name) && copied;
            other->setCheckShotType(refSet->checkShotType());
            if (!copied) {
                postWellDbMessage(eDrawError,
                                  QStringLiteral("An error occurred when updating the checkshots of reference set:")
                                      + other->name() + QStringLiteral(" from well ") + refSet->well()->name());
                ok = false;
            }
        }
    }
    return ok;
}

void ZRLogDatabase::forgetRemovedRow(const QString& table, int id)
{
    auto it = m_removedRows.find(table);
    if (it != m_removedRows.end())
        it->remove(id);
}

// ---------------------------------------------------------------------------------------------
// Save

namespace
{
QVector<QVariant> wellRow(const ZRWell& well)
{
    return {well.name(),
            well.x(),
            well.y(),
            well.currentRefSet() ? QVariant(well.currentRefSet()->id()) : QVariant(),
            well.kb(),
            well.kbUnit(),
            well.uwi(),
            optionalValue(well.status()),
            well.color(),
            optionalValue(well.originalSpatialUnit())};
}

QVector<QVariant> setRow(const ZRSet& set)
{
    QVector<QVariant> row = {set.name(), set.setType(), set.well() ? set.well()->id() : -1};
    if (set.setType() == ZRSet::RefSetType) {
        const auto& refSet = static_cast<const ZRRefSet&>(set);
        row << refSet.shiftDepth() << refSet.twtShifting() << refSet.depth1Type() << refSet.depth2Type()
            << refSet.deviationType() << refSet.checkShotType() << refSet.deviationMethod();
    } else {
        row << QVariant() << QVariant() << QVariant() << QVariant() << QVariant() << QVariant() << QVariant();
    }
    return row;
}

QVector<QVariant> logRow(const ZRLog& log)
{
    return {log.name(), log.set() ? log.set()->id() : -1, optionalValue(log.noValue()), log.unit(),
            optionalValue(log.logType())};
}

/// One data file the save writes: a log's values or a marker set's list.
struct DataFileJob
{
    QString target;
    bool replacesStoredFile = false;
    ZRLog* log = nullptr;
    int markerSetId = -1;
};
} // namespace

bool ZRLogDatabase::save(const QString& folder)
{
    WaitCursor waitCursor;
    if (!folder.isEmpty() && QDir::cleanPath(folder) != QDir::cleanPath(m_folder))
        ZR_ASSERT(QDir::cleanPath(folder) == QDir::cleanPath(m_folder));
    if (refuseWhenReadOnly())
        return false;

    if (!m_sql.createMissingTables()) {
        if (m_sql.lastFailure() != ZRSQLLogDatabase::OtherFailure) // a table creation failure is posted already
            postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_sql.lastError());
        return false;
    }
    if (m_sql.userVersion() < 0) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_sql.lastError()
                                              + QStringLiteral("  QUERY SOURCE:") + QStringLiteral("PRAGMA user_version"));
        return false;
    }
    // A save never writes over the journal of an earlier one that is still unresolved.
    const QString journalFile = ZRWellDbSaveJournal::journalFileName(m_folder);
    if (!recoverInterruptedSave(false) || QFile::exists(journalFile)) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Well database - Operation aborted: %1 is left from an "
                                                         "interrupted save that cannot be finished; move it away to "
                                                         "save again.")
                                              .arg(QDir::toNativeSeparators(journalFile)));
        return false;
    }

    // What to write.
    QStringList rowStatements;
    const ZRSQLTableStructure& wellTable = *m_sql.table(kWellTable);
    const ZRSQLTableStructure& setTable = *m_sql.table(kSetTable);
    const ZRSQLTableStructure& logTable = *m_sql.table(kLogTable);
    const ZRSQLTableStructure& infoTable = *m_sql.table(kMarkerInfosTable);
    const ZRSQLTableStructure& markerTable = *m_sql.table(kMarkerTopBottomTable);
    const ZRSQLTableStructure& wellSetTable = *m_sql.table(kWellSetTable);
    const ZRSQLTableStructure& relationTable = *m_sql.table(kWellSetRelationTable);
    for (const auto& well : m_wells) {
        if (well->isModified())
            rowStatements.append(wellTable.insertStatement(well->id(), wellRow(*well)));
    }
    for (const auto& set : m_sets) {
        if (set->isModified())
            rowStatements.append(setTable.insertStatement(set->id(), setRow(*set)));
    }
    for (const auto& log : m_logs) {
        if (log->isModified() || !log->m_stored)
            rowStatements.append(logTable.insertStatement(log->id(), logRow(*log)));
    }
    for (const auto& info : m_markerInfos) {
        if (info->isModified())
            rowStatements.append(infoTable.insertStatement(info->id(), {info->name(), info->color()}));
    }
    for (const auto& marker : m_markers) {
        if (marker->isModified())
            rowStatements.append(markerTable.insertStatement(
                marker->id(), {marker->markerInfo() ? marker->markerInfo()->id() : -1,
                               marker->markerSet() ? marker->markerSet()->id() : -1, marker->top(),
                               optionalValue(marker->bottom())}));
    }
    for (const auto& wellSet : m_wellSets) {
        if (wellSet->isModified())
            rowStatements.append(wellSetTable.insertStatement(wellSet->id(), {wellSet->name()}));
        for (const ZRWellSet::Member& member : wellSet->m_members) {
            if (!member.stored)
                rowStatements.append(
                    relationTable.insertStatement(member.relationId, {wellSet->id(), member.well->id()}));
        }
    }

    QVector<QPair<const ZRSQLTableStructure*, int>> deletions;
    for (auto it = m_removedRows.constBegin(); it != m_removedRows.constEnd(); ++it) {
        const ZRSQLTableStructure* table = m_sql.table(it.key());
        QList<int> ids = it.value().values();
        std::sort(ids.begin(), ids.end());
        for (int id : ids)
            deletions.append({table, id});
    }

    QVector<DataFileJob> dataFiles;
    for (const auto& log : m_logs) {
        if (log->m_pendingData) {
            const QString target = ZRLogDataFile::logFileName(m_folder, log->id());
            dataFiles.append(DataFileJob{target, log->m_stored, log.get(), -1});
        }
    }
    for (int setId : m_changedMarkerLists) {
        if (m_setById.contains(setId)) {
            const QString target = ZRLogDataFile::markerListFileName(m_folder, setId);
            dataFiles.append(DataFileJob{target, QFile::exists(target), nullptr, setId});
        }
    }
    QVector<QPair<int, QString>> removedLogFiles;
    for (int id : m_removedLogIds) {
        if (!m_logById.contains(id))
            removedLogFiles.append({id, ZRLogDataFile::logFileName(m_folder, id)});
    }
    std::sort(removedLogFiles.begin(), removedLogFiles.end());
    QStringList removedMarkerFiles;
    for (int setId : m_removedMarkerLists) {
        if (!m_changedMarkerLists.contains(setId))
            removedMarkerFiles.append(ZRLogDataFile::markerListFileName(m_folder, setId));
    }

    const int replacementCount = int(std::count_if(dataFiles.begin(), dataFiles.end(),
                                                   [](const DataFileJob& job) { return job.replacesStoredFile; }));
    const int steps = rowStatements.size() + deletions.size() + dataFiles.size() + replacementCount
                      + removedLogFiles.size() + removedMarkerFiles.size() + 1;
    std::unique_ptr<ZRProgressBarGuard> progress;
    if (m_progressParent >= 0 || steps >= SaveProgressThreshold)
        progress = std::make_unique<ZRProgressBarGuard>(steps, QStringLiteral("Saving well database"),
                                                        m_progressParent, false);
    auto advance = [&progress]() {
        if (progress)
            progress->increment();
    };
    auto phase = [&progress, steps](const QString& title) {
        if (progress && zrProgressBarMgr)
            zrProgressBarMgr->initializeProgressBar(progress->id(), steps, title, false);
    };

    const qint64 committedGeneration = std::max<qint64>(0, m_sql.userVersion());
    const qint64 generation = committedGeneration >= 2147483647 ? 1 : committedGeneration + 1;
    ZRWellDbSaveJournal journal(m_folder);
    QStringList newFiles;
    auto abandon = [&]() {
        m_sql.rollbackTransaction();
        journal.discard();
        for (const QString& file : newFiles)
            QFile::remove(file);
        return false;
    };

    if (!m_sql.beginTransaction()) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_sql.lastError()
                                              + QStringLiteral("  QUERY SOURCE:") + QStringLiteral("BEGIN TRANSACTION"));
        return false;
    }
    phase(QStringLiteral("Saving well database: rows"));
    if (!m_sql.insertBatch(rowStatements, advance))
        return abandon();
    for (const auto& deletion : deletions) {
        if (!m_sql.deleteRow(*deletion.first, deletion.second))
            return abandon();
        advance();
    }

    // The journal names every file this save replaces or removes before any of them is written.
    for (const DataFileJob& job : dataFiles) {
        if (job.replacesStoredFile)
            journal.addReplacement(job.target);
    }
    for (const auto& removed : removedLogFiles)
        journal.addRemoval(removed.second);
    for (const QString& removed : removedMarkerFiles)
        journal.addRemoval(removed);
    QString journalError;
    if (!journal.replacements().isEmpty() || !journal.removals().isEmpty()) {
        if (!journal.write(generation, &journalError)) {
            postWellDbMessage(eDrawFileError, QStringLiteral("Error when writing ")
                                                  + ZRWellDbSaveJournal::journalFileName(m_folder) + QLatin1Char(' ')
                                                  + journalError);
            return abandon();
        }
    }

    phase(QStringLiteral("Saving well database: data files"));
    for (const DataFileJob& job : dataFiles) {
        const QString written = job.replacesStoredFile ? ZRWellDbSaveJournal::pendingFileName(job.target) : job.target;
        if (!job.replacesStoredFile)
            newFiles.append(job.target);
        QString errorText;
        bool ok = false;
        if (job.log) {
            ok = ZRLogDataFile::write(written, *job.log->m_pendingData, &errorText);
        } else {
            QVector<ZRMarkerListEntry> entries;
            for (const ZRMarkerTopBottom* marker : m_markersOfSet.value(m_setById.value(job.markerSetId))) {
                entries.append(ZRMarkerListEntry{marker->markerInfo() ? marker->markerInfo()->id() : -1,
                                                 marker->top(), marker->bottom().has_value(),
                                                 marker->bottom().value_or(0.0)});
            }
            ok = ZRLogDataFile::writeMarkerList(written, entries, &errorText);
        }
        if (!ok) {
            postWellDbMessage(eDrawFileError, QStringLiteral("Error when writing log data:") + job.target
                                                  + QLatin1Char(' ') + errorText);
            return abandon();
        }
        advance();
    }
    phase(QStringLiteral("Saving well database: committing"));
    if (!m_sql.setUserVersion(generation)) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_sql.lastError());
        return abandon();
    }
    if (!m_sql.endTransaction() && m_sql.userVersion() != generation) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Sql Error ADDING :") + m_sql.lastError()
                                              + QStringLiteral("  QUERY SOURCE:") + QStringLiteral("END TRANSACTION"));
        return abandon();
    }

    // Committed: the journal now completes the data files even if this process stops.
    phase(QStringLiteral("Saving well database: completing"));
    bool ok = true;
    QString failedFile;
    if (!journal.completeReplacements(&failedFile, advance)) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Error when writing log data:") + failedFile);
        ok = false;
    }
    if (ok) {
        for (const auto& removed : removedLogFiles) {
            if (QFile::exists(removed.second)) {
                if (QFile::remove(removed.second))
                    postWellDbMessage(eDrawInformation,
                                      QStringLiteral("Removing log data:") + QString::number(removed.first));
                else
                    postWellDbMessage(eDrawFileError,
                                      QStringLiteral("Error when removing log data:") + QString::number(removed.first));
            }
            advance();
        }
        for (const QString& removed : removedMarkerFiles) {
            QFile::remove(removed);
            advance();
        }
        journal.finish();
    }
    markSaved();

    m_info.setCurrent();
    if (!m_info.write(m_folder)) {
        postWellDbMessage(eDrawFileError, QStringLiteral("Error when writing ") + ZRWellDbInfo::fileName(m_folder));
        ok = false;
    }
    advance();
    return ok;
}

void ZRLogDatabase::markSaved()
{
    for (const auto& well : m_wells)
        well->setModified(false);
    for (const auto& set : m_sets)
        set->setModified(false);
    for (const auto& log : m_logs) {
        log->setModified(false);
        log->m_stored = true;
        log->m_pendingData.reset();
    }
    for (const auto& info : m_markerInfos)
        info->setModified(false);
    for (const auto& marker : m_markers)
        marker->setModified(false);
    for (const auto& wellSet : m_wellSets) {
        wellSet->setModified(false);
        for (ZRWellSet::Member& member : wellSet->m_members)
            member.stored = true;
    }
    m_removedRows.clear();
    m_removedLogIds.clear();
    m_removedMarkerLists.clear();
    m_changedMarkerLists.clear();
}
