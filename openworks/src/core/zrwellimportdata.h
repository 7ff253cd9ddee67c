#pragma once

// The per-well parts of the well import (zrwellimport.h): what is read from
// OpenWorks for one well, and how it is written into the well database.
// Reading and writing are separate steps so that a well is written only once
// every read it depends on has succeeded, and so that a dry run reads and
// resolves everything without touching the database.

#include "owdevkit.h"
#include "zrwellimport.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <map>

class ZRLogDatabase;
class ZRRefSet;
class ZRReportedItem;
class ZRWell;

/// Which log curve list each log curve belongs to, from the full reads of the
/// log curve lists (class 575) and their members (class 576): for every list
/// in class-575 order and every member of it in class-576 order, the pair
/// curve id -> list id. A curve in several lists belongs to the first.
class LogCurvePairing
{
public:
    static LogCurvePairing fromRecords(const gdiLogCurveList_t* lists, int listCount,
                                       const gdiLogCurveListMember_t* members, int memberCount);

    void add(quint32 curveId, quint32 listId) { m_pairs.emplace(curveId, listId); }
    /// The first list of the curve; false when the curve is in none.
    bool listOf(quint32 curveId, quint32* listId) const;
    int size() const { return int(m_pairs.size()); }

private:
    std::multimap<quint32, quint32> m_pairs;
};

/// One well on its way: the item, the units, the well's messages and where
/// they go (the problem list, the run report).
struct WellImportState
{
    const ZRExchangeContext* context = nullptr;
    const WellImportItem* item = nullptr;
    const WellUnitContext* units = nullptr;
    ZRReportedItem* reported = nullptr;
    WellProblemList* problems = nullptr;
    /// The well header as read (class 823).
    gdiWell_t header{};
    /// The host well's name (the header's well name).
    QString wellName;
    /// The well's messages, in order.
    QStringList messages;

    /// Adds a message to the well's messages (and to the report).
    void addMessage(const QString& text);
    /// Adds (label, messages) to the problem list.
    void addProblem();
};

/// One time-depth table read and converted.
struct TimeDepthTableData
{
    QString name;
    qint32 tableId = 0;
    qint32 depth1Type = 0;    ///< 3 "MD", 2 "TVDBTDD", 0 any other depth type
    QString depthLogName;     ///< "LogMDRefSet", "LogTVDRefSet" or empty
    QVector<double> depths;   ///< in the unit of WellUnitContext::TargetDepthUnit
    QVector<double> times;    ///< milliseconds
    int timeUnitId = 0;       ///< OpenWorks unit of the table's times
    double timeFactor = 1.0;  ///< milliseconds per time unit
};

struct TimeDepthImport
{
    QVector<TimeDepthTableData> tables;
    /// The well's preferred table (class 603) was read, and its table id.
    bool preferredRead = false;
    qint32 preferredTableId = 0;
    bool cancelled = false;
    /// The last DevKit result.
    int status = 0;
};

/// One log curve read and converted.
struct LogCurveData
{
    QString setName;
    QString name;
    QString unit;             ///< the curve's unit text, empty for "UNKNOWN"
    double absentValue = 0.0;
    /// In the unit of WellUnitContext::TargetDepthUnit, as the DevKit gave them
    /// (only the first curve of a log set becomes a log: its "MD").
    QVector<float> depths;
    QVector<double> values;
};

struct LogCurveImport
{
    QVector<LogCurveData> curves;
    /// Smallest top and largest bottom depth over every curve record of the
    /// well (converted like the depths); valid when curveRecords > 0.
    double smallestTop = 0.0;
    double largestBottom = 0.0;
    int curveRecords = 0;
    bool cancelled = false;
    /// 0 when every read succeeded, else the last failing DevKit result.
    int status = 0;
};

/// The trajectory to store: from the position log, or the vertical two-point
/// trajectory made from the log depths.
struct TrajectoryData
{
    enum Kind
    {
        None,
        PositionLog,
        Vertical
    };
    Kind kind = None;
    QVector<double> tvd;        ///< in the unit of WellUnitContext::TargetDepthUnit
    QVector<double> xDeviation; ///< in the project's X/Y unit
    QVector<double> yDeviation;
    double depthShift = 0.0;
};

/// The surface picks of a well.
struct SurfacePickImport
{
    QStringList names;
    QVector<double> tops;     ///< depth at byte 92, in the unit of WellUnitContext::TargetDepthUnit
    QVector<double> bottoms;  ///< depth at byte 88
    /// Colour per pick name (the first colour read for a name).
    QMap<QString, QColor> colours;
    bool cancelled = false;
    /// The subset read's result (177600004: no picks), else the last horizon
    /// parameter read's.
    int status = 0;
};

/// Reads the time-depth tables (records of the class-601 subset of the well),
/// converting times to milliseconds, under a sub-bar "Time-Depth Tables" of
/// parentProgressId. preferred: the class-603 record when preferredRead.
void readTimeDepthTables(WellImportState& state, gdiTimeDepthTable_t* records, int count, bool preferredRead,
                         const gdiPreferredTimeDepth_t& preferred, int parentProgressId, TimeDepthImport* result);

/// Reads the log curves (records of the class-610 subset of the well) with
/// their log curve lists, converting depths, under a sub-bar "Log Curves".
void readLogCurves(WellImportState& state, gdiLogCurve_t* records, int count, const LogCurvePairing& pairing,
                   int parentProgressId, LogCurveImport* result);

/// Reads the surface picks of the well (class-11 subset of the header) and
/// their colours (class 309), under a sub-bar "Picks".
void readSurfacePicks(WellImportState& state, int parentProgressId, SurfacePickImport* result);

/// Writes the time-depth tables as reference sets of well (kind 1) with the
/// logs "LogTWTRefset" and the depth log; the well's preferred table becomes
/// its current reference set. Returns the reference set the trajectory goes
/// into: the preferred table's, else the first met; null without tables.
ZRRefSet* writeTimeDepthTables(ZRLogDatabase& database, ZRWell* well, const TimeDepthImport& tables,
                               const WellUnitContext& units);

/// Writes the log curves into log sets of well: one log per curve, and one
/// "MD" log per set with the depths of the first curve written into it.
/// Returns the number of logs written (curve logs and "MD" logs).
int writeLogCurves(ZRLogDatabase& database, ZRWell* well, const LogCurveImport& curves, const WellUnitContext& units);

/// Writes the picks into the marker set "Markers" of well (its three marker
/// logs), the colours into the marker infos, and rebuilds the markers.
void writeSurfacePicks(ZRLogDatabase& database, ZRWell* well, const SurfacePickImport& picks,
                       const WellUnitContext& units);

/// The sub-bar titles of the well import.
namespace wellimport
{
extern const QString TimeDepthProgressTitle; ///< "Time-Depth Tables"
extern const QString LogCurveProgressTitle;  ///< "Log Curves"
extern const QString PickProgressTitle;      ///< "Picks"
} // namespace wellimport
