#pragma once

#include "izrdatalog.h"
#include "zrlog.h"
#include "zrmarkerinfos.h"
#include "zrmarkertopbottom.h"
#include "zrrefset.h"
#include "zrset.h"
#include "zrsqllogdatabase.h"
#include "zrwell.h"
#include "zrwelldbanswerer.h"
#include "zrwelldbcrs.h"
#include "zrwelldbinfo.h"
#include "zrwellset.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

/// The host project's well database: the SQLite file "wellQt4Velostrat.sql",
/// "wellDbInfo.xml" and the log and marker data files of one folder, held in
/// memory as objects (wells, sets, logs, marker infos and markers, well sets).
///
/// Call order: load() (or createEmptyDatabase() for a folder without a
/// database), then create, find and change objects, then save(). Every object
/// is owned by the database and stays valid until it is removed, the database
/// is loaded again or destroyed; callers keep raw pointers. Messages go to the
/// event bus, questions to the answerer. GUI thread only; one SQLite connection
/// per object.
///
/// Log values: the log objects are all held, their values are not. A log's
/// values are read from its data file when first asked for (getLogData,
/// logData) and kept in a cache of at most logCacheLimit() bytes, the least
/// recently used going first, so that opening a database costs memory in
/// proportion to what is used, not to its size. Values given with setLogData
/// are held until the next save writes them to their data file, and are then
/// let go (not cached): an import that saves after each well holds the values
/// of one well at a time. A save writes the data files of changed logs only;
/// the values of every other log stay in their files whether read or not.
///
/// Loading never changes a file of a database it cannot read: the file is
/// read through ("PRAGMA quick_check") before anything is written, created,
/// updated or copied; a failure posts one "Well Database loading error: ..."
/// message saying why (not a database, damaged, locked by another program) and
/// stops there. A lock held by another program is waited for at most
/// lockWait() milliseconds per statement, and the stop check ends any wait
/// (and any question) at once; see setStopCheck().
class ZRLogDatabase
{
public:
    /// Connection name of the database that start-up loads.
    static const QString StartupConnectionName;     // "VS_OW_CONNECTOR"
    /// Connection name of the database loaded after the host project changes.
    static const QString ProjectChangeConnectionName; // "VELOSTRAT_CONNEXION_2"

    static QString databaseFileName(const QString& folder);

    ZRLogDatabase();
    ~ZRLogDatabase();

    ZRLogDatabase(const ZRLogDatabase&) = delete;
    ZRLogDatabase& operator=(const ZRLogDatabase&) = delete;

    /// The answerer for questions and warnings (default: ZRWellDbAnswerer::defaultAnswerer()).
    void setAnswerer(std::shared_ptr<ZRWellDbAnswerer> answerer);

    /// A check that says the process has been asked to stop (SIGTERM, Ctrl-C).
    /// It is asked between slices of every wait for a lock and before and after
    /// every question of load(); true ends the wait or skips the question and the
    /// load fails without changing any file ("Well Database loading stopped: a
    /// stop was requested."). It may run inside a signal-driven wait, so it should
    /// only read a flag. Empty (default): the process-wide check below.
    void setStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }
    /// The stop check of every database given none (empty: waits end only by time).
    static void setDefaultStopCheck(std::function<bool()> check);
    /// Whether the stop check (own or default) says stop now.
    bool stopRequested() const;
    /// Whether the last load() ended because a stop was requested.
    bool loadWasStopped() const { return m_loadStopped; }
    /// Milliseconds each statement waits in all for a lock held by another program.
    void setLockWait(int milliseconds) { m_sql.setLockWait(milliseconds); }
    int lockWait() const { return m_sql.lockWait(); }
    /// The project's coordinate reference, given to new wells and sets.
    void setProjectCrs(const ZRWellDbCrs& crs) { m_projectCrs = crs; }
    /// Saves with at least this many steps (rows, data files) show a progress bar of their own.
    static constexpr int SaveProgressThreshold = 500;
    /// Parent progress id under which every save shows a (non-cancellable) sub-bar;
    /// -1 (default): only large saves show a bar, in a window of their own.
    void setProgressParent(int progressId) { m_progressParent = progressId; }
    int progressParent() const { return m_progressParent; }

    /// Loads the database of folder under connectionName (Qt's default connection
    /// when empty). projectName is shown in the update question; silent turns
    /// message boxes into event-bus messages and updates without asking.
    bool load(const QString& folder, const QString& connectionName, const QString& projectName, bool silent);
    /// Start-up: load(folder, "VS_OW_CONNECTOR", projectName, false).
    bool loadAtStartup(const QString& folder, const QString& projectName);
    /// After a project change: load under "VELOSTRAT_CONNEXION_2" and, when that
    /// fails, createEmptyDatabase(folder). Returns whether the database is valid.
    bool loadAfterProjectChange(const QString& folder, const QString& projectName);
    /// Makes a new empty database (version 6.9, every table) in folder under the
    /// default connection; does nothing and returns false when the file exists.
    bool createEmptyDatabase(const QString& folder);
    /// Writes every change in one transaction, the changed data files and
    /// "wellDbInfo.xml". folder: empty or the loaded folder. A failure at any
    /// point leaves the previous database and data files as they were.
    bool save(const QString& folder = QString());

    bool isValid() const { return m_valid; }
    /// Invalid, or its file cannot be written.
    bool isReadOnly() const;
    /// The folder of the loaded database.
    QString databasePath() const { return m_folder; }
    const ZRWellDbInfo& versionInfo() const { return m_info; }
    ZRSQLLogDatabase& sqlDatabase() { return m_sql; }

    // Wells.
    /// A new well, or null when a well of that name exists (case-insensitive).
    /// flag is accepted for the callers' signature and has no effect.
    ZRWell* CreateWell(const QString& name, bool flag = false);
    ZRWell* findWell(const QString& name) const;
    ZRWell* findWell(int id) const;
    QVector<ZRWell*> wells() const;
    /// Removes the well, its sets, logs and markers and its well-set memberships.
    bool removeWell(int id);
    /// Sets the original coordinate reference of the well and of each of its sets.
    void setOriginalCrs(ZRWell* well, const ZRWellDbCrs& crs);

    // Well sets.
    ZRWellSet* CreateWellSet(const QString& name);
    ZRWellSet* findWellSet(int id) const;
    /// The well set of that exact name, created when missing.
    ZRWellSet* wellSet(const QString& name);
    QVector<ZRWellSet*> wellSets() const;
    /// Names of the well sets holding well, in list order.
    QStringList wellSetsOfWell(const ZRWell* well) const;
    void addWellToWellSet(ZRWell* well, ZRWellSet* wellSet);

    // Sets.
    ZRSet* CreateLogSet(const QString& name, ZRWell* well);
    ZRSet* CreateMarkerSet(const QString& name, ZRWell* well);
    /// depth2Type becomes DEPTH2_TYPE; the set becomes the well's current one when it has none.
    ZRRefSet* CreateRefSet(const QString& name, ZRWell* well, int depth2Type = 2);
    ZRSet* findSet(const QString& name, const ZRWell* well) const;
    ZRRefSet* findRefSet(const QString& name, const ZRWell* well) const;
    ZRSet* findSet(int id) const;
    QVector<ZRSet*> GetSetsFromWell(const ZRWell* well, int setType) const;
    QVector<ZRSet*> sets() const;
    bool removeSet(ZRSet* set);

    // Logs.
    /// A new log of set (real values, none yet); with checkName, null when the set
    /// has a log of that exact name. A data file left under the new id is removed.
    ZRLog* CreateLog(const QString& name, ZRSet* set, bool checkName);
    ZRLog* findLog(const QString& name, const ZRSet* set) const;
    ZRLog* findLog(int id) const;
    QVector<ZRLog*> GetLogsFromSet(const ZRSet* set) const;
    QVector<ZRLog*> logs() const;
    bool removeLog(ZRLog* log);
    /// Ids of removed logs whose data files the next save deletes.
    QList<int> removedLogIds() const { return m_removedLogIds.values(); }

    /// The log's values: those waiting for the next save, else the data file's
    /// (storedOnly: always the data file's), read when first asked for and then
    /// cached (see the class comment). Integer values convert to reals. The
    /// returned containers share their data with the cache (copy on write).
    /// False when the log has no values of that kind or its file cannot be read
    /// (which posts "Error when reading log data:" with the file and the reason).
    bool getLogData(const ZRLog* log, QVector<double>& values, bool storedOnly = false) const;
    bool getLogData(const ZRLog* log, QVector<qint32>& values, bool storedOnly = false) const;
    bool getLogData(const ZRLog* log, QStringList& values, bool storedOnly = false) const;
    std::unique_ptr<IZRDataLog> logData(const ZRLog* log, bool storedOnly = false) const;
    /// New values for the log, written to its data file by the next save.
    void setLogData(ZRLog* log, QVector<double> values);
    void setLogData(ZRLog* log, QVector<qint32> values);
    void setLogData(ZRLog* log, QStringList values);
    void setLogData(ZRLog* log, std::unique_ptr<IZRDataLog> data);

    /// Default size of the cache of values read from data files.
    static constexpr qint64 DefaultLogCacheLimit = qint64(16) << 20;
    /// Most bytes of read values kept in memory (0: none kept, every read goes to the file).
    /// Lowering it lets go of the least recently used values at once.
    void setLogCacheLimit(qint64 bytes);
    qint64 logCacheLimit() const { return m_cacheLimit; }
    /// Bytes of read values held in the cache now.
    qint64 logCacheBytes() const { return m_cachedBytes; }
    /// Whether the values read from the log's data file are held in the cache.
    bool isLogCached(const ZRLog* log) const;
    /// Lets go of the cached values of one log, or of every log (values waiting
    /// for a save are never let go: they are not in any file yet).
    void releaseLogCache(const ZRLog* log);
    void releaseLogCache();
    /// Bytes of values given with setLogData and not saved yet.
    qint64 pendingLogBytes() const;

    // Markers.
    ZRMarkerInfos* findMarkerInfo(const QString& name) const;
    ZRMarkerInfos* findMarkerInfo(int id) const;
    /// Name trimmed, empty becomes "NO_NAME"; null when that name exists.
    ZRMarkerInfos* CreateMarkerInfo(const QString& name);
    QVector<ZRMarkerInfos*> markerInfos() const;
    ZRMarkerTopBottom* CreateMarkerTopBottom(ZRMarkerInfos* info, ZRSet* markerSet, double top,
                                             std::optional<double> bottom);
    QVector<ZRMarkerTopBottom*> markersOfSet(const ZRSet* markerSet) const;
    QVector<ZRMarkerTopBottom*> GetMarkerDataFromWell(const ZRWell* well, const ZRMarkerInfos* info) const;
    /// Rebuilds the markers of every marker set whose marker logs changed.
    bool updateMarkerDatabase();
    /// Copies the trajectory and/or check-shot logs and settings of refSet into
    /// every other reference set of its well.
    bool updateReferenceSets(ZRRefSet* refSet, bool trajectory, bool checkShot);

private:
    struct Tables;

    void clear();
    void registerTables();
    bool refuseWhenReadOnly() const;
    bool failLoad();
    bool failSqlLoad();
    bool stopLoad();
    bool recoverInterruptedSave(bool duringLoad);
    bool updateStructure(const QString& projectName);
    bool rotateBackups(QString* errorText);
    QString migrateOldDatabase(const QString& folder);
    bool loadObjects();
    void renameCaseDuplicatedWells();
    ZRSet* addSet(std::unique_ptr<ZRSet> set);
    int nextSetId() const;
    int nextLogId() const;
    void forgetRemovedRow(const QString& table, int id);
    void dropLog(ZRLog* log);
    void dropMarkersOfSet(ZRSet* set);
    void dropSet(ZRSet* set);
    bool copyLog(const ZRRefSet* from, ZRRefSet* to, const QString& logName);
    void markSaved();
    std::shared_ptr<const IZRDataLog> storedValues(const ZRLog* log) const;
    void forgetCached(const ZRLog* log, bool keepMemory = false) const;
    void trimCache(qint64 limit, bool keepMemory = false) const;

    struct CachedValues
    {
        std::shared_ptr<const IZRDataLog> data;
        qint64 bytes = 0;
        std::list<const ZRLog*>::iterator use;
    };

    ZRSQLLogDatabase m_sql;
    std::function<bool()> m_stopCheck;
    bool m_loadStopped = false;
    std::shared_ptr<ZRWellDbAnswerer> m_answerer;
    ZRWellDbInfo m_info;
    ZRWellDbCrs m_projectCrs;
    QString m_folder;
    QString m_projectName;
    bool m_valid = false;
    int m_progressParent = -1;

    std::vector<std::unique_ptr<ZRWell>> m_wells;
    QMap<int, ZRWell*> m_wellById;
    std::vector<std::unique_ptr<ZRSet>> m_sets;
    QMap<int, ZRSet*> m_setById;
    QHash<const ZRWell*, QVector<ZRSet*>> m_setsOfWell;
    std::vector<std::unique_ptr<ZRLog>> m_logs;
    QMap<int, ZRLog*> m_logById;
    QHash<const ZRSet*, QVector<ZRLog*>> m_logsOfSet;
    std::vector<std::unique_ptr<ZRMarkerInfos>> m_markerInfos;
    QMap<int, ZRMarkerInfos*> m_markerInfoById;
    std::vector<std::unique_ptr<ZRMarkerTopBottom>> m_markers;
    QMap<int, ZRMarkerTopBottom*> m_markerById;
    QHash<const ZRSet*, QVector<ZRMarkerTopBottom*>> m_markersOfSet;
    std::vector<std::unique_ptr<ZRWellSet>> m_wellSets;
    QMap<int, ZRWellSet*> m_wellSetById;
    int m_maxRelationId = 0;

    QHash<QString, QSet<int>> m_removedRows;
    QSet<int> m_removedLogIds;
    QSet<int> m_removedMarkerLists;
    QSet<int> m_changedMarkerLists;

    // The cache of values read from data files; m_cacheUse runs from least to most recently used.
    qint64 m_cacheLimit = DefaultLogCacheLimit;
    mutable std::unordered_map<const ZRLog*, CachedValues> m_cache;
    mutable std::list<const ZRLog*> m_cacheUse;
    mutable qint64 m_cachedBytes = 0;
    // The memory of the last real values let go by the cache (held nowhere else), for the next read.
    mutable QVector<double> m_reusableValues;
};
