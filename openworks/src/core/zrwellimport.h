#pragma once

#include "zrexchangecontext.h"
#include "zrexchangeui.h"

#include <QString>
#include <QVector>

class QAbstractItemModel;

/// One selected row of the OpenWorks well catalogue (ZROpenworksWellModel) to
/// import as a host well.
struct WellImportItem
{
    QString wellSetName; ///< "Well List": the host well set the new well joins
    QString label;       ///< "Well Number": names the well in the problem list
    QString wellKey;     ///< hidden: first key of the well header (32 bytes)
    QString uwiKey;      ///< hidden: second key of the header (27 bytes)
    QString displayName; ///< "Common Well Name": title of the well's progress bar
    qint32 keyNumber = 0; ///< hidden: integer key of the header
    QString statusText;  ///< hidden: status text of the header (41 bytes)
};

/// The units of one well import, resolved once before the first well: what
/// the OpenWorks project stores each measured quantity in, and what the host
/// records it as.
struct WellUnitContext
{
    enum Index
    {
        ProjectDepthUnit = 0,   ///< OpenWorks unit of the project's depths (unit type 1001)
        TargetDepthUnit = 1,    ///< OpenWorks unit of the host depth unit (index 2); depths are converted into it
        HostDepthUnit = 2,      ///< host unit chosen for depths
        ProjectXyUnit = 3,      ///< OpenWorks unit of the project's X/Y (unit type 2004)
        HostXyUnit = 4,         ///< host unit chosen for X/Y
        ElevationUnit = 5       ///< OpenWorks unit of elevations (unit type 58), else the depth unit
    };

    qint32 values[6] = {0, -1, 15, 0, 15, 0};

    qint32 operator[](Index index) const { return values[index]; }
    qint32& operator[](Index index) { return values[index]; }
};

/// Items from rows of the well catalogue model (source rows, in the given
/// order, each row once). A well listed in two well lists has two rows, and
/// each selected row is an item.
QVector<WellImportItem> wellImportItemsFromRows(const QAbstractItemModel& wellModel, const QVector<int>& rows);

/// Imports each item into the context's well database: the well header, its
/// time-depth tables (reference sets), its log curves (log sets), its
/// trajectory (from the position log, or a vertical one from the log depths)
/// and its surface picks (the marker set "Markers").
///
/// Per well, everything is read and converted through the DevKit first; when
/// every read the well depends on succeeded, the well is created in the
/// database with all its sets and logs. The wells so created are saved
/// together by one crash-safe save of ZRLogDatabase whenever they hold 32 MiB
/// of log data or number 200, and at the end of the run: a save never holds
/// part of a well, and a failed save removes its wells again (listed with the
/// reason). A well that fails, is cancelled or whose name exists in the
/// database (case-insensitive) leaves nothing in the database.
/// What went wrong per well is shown at the end through
/// ZRExchangeUi::showWellProblems; when fewer wells were imported than
/// asked for, the "%1 of %2 wells imported." box follows. The host tree then
/// reloads its wells (object type 33).
///
/// Does nothing without a well database. Needs an open OpenWorks project.
/// With context.dryRun everything is read, resolved and recorded in the
/// report, and the well database is neither changed nor saved. Returns the
/// number of wells imported (planned, in a dry run).
int importWells(const ZRExchangeContext& context, const QVector<WellImportItem>& items);

/// Host well status code of an OpenWorks status text (exact text; any other
/// text gives 0).
int wellStatusCode(const QString& openWorksStatus);

/// The fixed log names of a reference set by index ("LogTWTRefset",
/// "LogTVDRefSet", "LogMDRefSet", "LogTVDXY", "LogDevX", "LogDevY",
/// "LogCheckShotTWT", "LogCheckShotOther"); empty for any other index.
QString referenceSetLogName(int index);
/// The fixed log names of a marker set by index ("LogNameMarkerSet",
/// "LogTopMarkerSet", "LogBottomMarkerSet"); empty for any other index.
QString markerSetLogName(int index);

/// Texts of the well import that other code and the tests share.
namespace wellimport
{
extern const QString MainProgressTitle;   ///< "Importing wells from OpenWorks® to Velostrat"
extern const QString NameExistsMessage;   ///< "A well with this name already exists in the current Velostrat project"
extern const QString TrajectoryRefSetName; ///< "TZ_Deviation"
extern const QString MarkerSetName;       ///< "Markers"
} // namespace wellimport
