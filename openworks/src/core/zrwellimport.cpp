#include "zrwellimport.h"

#include "crs.h"
#include "owguards.h"
#include "owunitresolution.h"
#include "unitpreferences.h"
#include "unittable.h"
#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrlogdatabase.h"
#include "zrlogdatafile.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrtransferreport.h"
#include "zrwellimportdata.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStorageInfo>

#include <cstring>
#include <exception>
#include <memory>

namespace wellimport
{
const QString MainProgressTitle = QStringLiteral("Importing wells from OpenWorks® to Velostrat");
const QString NameExistsMessage = QStringLiteral("A well with this name already exists in the current Velostrat project");
const QString TrajectoryRefSetName = QStringLiteral("TZ_Deviation");
const QString MarkerSetName = QStringLiteral("Markers");
} // namespace wellimport

namespace
{

constexpr double AbsentValue = -9999.0;
constexpr int OpenWorksXyType = 2004;
constexpr int OpenWorksElevationType = 58;
/// Free space kept beyond a well's data when it is written.
constexpr qint64 SpaceMargin = 16 << 20;

struct StatusCode
{
    const char* text;
    int code;
};

const StatusCode kStatusCodes[] = {
    {"UNKNOWN", 0},
    {"OIL", 6},
    {"PLATFORM", 0},
    {"DRY HOLE", 2},
    {"DRY HOLE W/ OIL SHOW", 4},
    {"DRY HOLE W/ GAS SHOW", 3},
    {"ABANDONED", 22},
    {"SUSPENDED", 22},
    {"GAS", 8},
    {"OIL W/ GAS SHOW", 12},
    {"PLUGGED OIL", 27},
    {"PLUGGED OIL W/ GAS SHOW", 33},
    {"GAS W/ OIL SHOW", 11},
    {"PLUGGED GAS", 29},
    {"PLUGGED CONDENSATE", 34},
    {"DISPOSAL - DRILLED", 0},
    {"SALT WATER DISPOSAL", 0},
    {"PLUGGED GAS W/ OIL SHOW", 32},
    {"OIL & GAS", 10},
    {"LOCATION", 1},
    {"PLUGGED OIL & GAS", 31},
    {"WATER SUPPLY - DRILLED", 0},
    {"WATER_SUPPLY - CONVERTED", 0},
    {"INJECTOR - DRILLED", 14},
    {"INJECTOR - CONVERTED", 14},
    {"SHUT-IN OIL", 27},
    {"SHUT-IN OIL W/ GAS SHOW", 33},
    {"SHUT-IN GAS", 29},
    {"SHUT-IN GAS W/ OIL SHOW", 32},
    {"CONDENSATE", 13},
    {"SHUT-IN CONDENSATE", 34},
    {"SHUT-IN OIL & GAS", 31},
    {"DISPOSAL - CONVERTED", 0},
    {"UNASSIGNED", 0},
};

/// What the import resolves once for every well.
struct ImportSetup
{
    WellUnitContext units;
    LogCurvePairing pairing;
    georef::UnitPreferences preferences;
    /// OpenWorks unit the well-head X/Y are recorded in (the spatial preference's).
    int spatialOwUnit = georef::OpenWorksMetre;
    int spatialHostUnit = Meter;
};

/// Everything read for one well before it is written.
struct WellImportData
{
    QString name;        ///< the host well's name
    QString uwi;
    QString wellSetName; ///< the host well set it joins
    double x = 0.0;
    double y = 0.0;
    double kb = 0.0;
    int status = 0;
    int xUnit = 0;
    int yUnit = 0;
    TimeDepthImport timeDepth;
    LogCurveImport logs;
    TrajectoryData trajectory;
    SurfacePickImport picks;
};

QString unitNameOf(int owUnit)
{
    return georef::openWorksUnitName(owUnit);
}

/// Enables the vector fields the import reads; false after reporting a field
/// that cannot be enabled (its vectors would not be read).
bool enableVectorAccess(const ZRExchangeContext& context)
{
    const QVector<QPair<int, int>> fields = {
        {GDI_CLASS_POSITION_LOG, 13},       {GDI_CLASS_POSITION_LOG, 14},       {GDI_CLASS_POSITION_LOG, 15},
        {GDI_CLASS_POSITION_LOG, 12},       {GDI_CLASS_TIME_DEPTH_TABLE, 26},   {GDI_CLASS_TIME_DEPTH_TABLE, 22},
        {GDI_CLASS_TIME_DEPTH_TABLE, 23},   {GDI_CLASS_TIME_DEPTH_TABLE, 24},   {GDI_CLASS_TIME_DEPTH_TABLE, 25},
        {GDI_CLASS_LOG_CURVE, 69},          {GDI_CLASS_LOG_CURVE, 70},          {GDI_CLASS_LOG_CURVE_DATA, 2}};
    for (const auto& field : fields) {
        const int status = gdiSetVectorAccess(field.first, field.second, 1);
        if (status == 0)
            continue;
        const QString text = QStringLiteral("Unable to enable the vectors of class %1, field %2 during well import: "
                                            "%3. Cannot continue with import.")
                                 .arg(field.first)
                                 .arg(field.second)
                                 .arg(owErrorText(status));
        ZREventBus::sendMessage(eDrawError, text, false);
        if (context.ui)
            context.ui->showMessage(ZRExchangeUi::MessageKind::Critical, QStringLiteral("Error"), text);
        if (context.report)
            context.report->addRunMessage(text);
        return false;
    }
    return true;
}

/// Reads the log curve lists and their members and pairs them; false after
/// reporting a failed read (the import cannot go on).
bool readLogCurvePairing(const ZRExchangeContext& context, LogCurvePairing* pairing)
{
    OwRecordList<gdiLogCurveList_t> lists(GDI_CLASS_LOG_CURVE_LIST);
    OwRecordList<gdiLogCurveListMember_t> members(GDI_CLASS_LOG_CURVE_LIST_MEMBER);
    QString failure;
    int status = lists.readSet();
    if (status != 0 && status != GDI_NO_DATA) {
        failure = QStringLiteral("Error during initial query of Log Curve Lists during well import: ");
    } else {
        status = members.readSet();
        if (status != 0 && status != GDI_NO_DATA)
            failure = QStringLiteral("Error during initial query of Log Curves during well import: ");
    }
    if (!failure.isEmpty()) {
        const QString text = failure + owErrorText(status) + QStringLiteral(". Cannot continue with import.");
        ZREventBus::sendMessage(eDrawError, text, false);
        if (context.ui)
            context.ui->showMessage(ZRExchangeUi::MessageKind::Critical, QStringLiteral("Error"), text);
        if (context.report)
            context.report->addRunMessage(text);
        return false;
    }
    *pairing = LogCurvePairing::fromRecords(lists.count() ? &lists[0] : nullptr, lists.count(),
                                            members.count() ? &members[0] : nullptr, members.count());
    return true;
}

/// Resolves the units of the import (WellUnitContext); false when the user
/// declined a unit (already reported).
bool resolveUnits(const ZRExchangeContext& context, ImportSetup* setup)
{
    WellUnitContext& units = setup->units;
    int owUnit = 0;
    units[WellUnitContext::HostDepthUnit] =
        projectUnitForType(context.ui, georef::OpenWorksDepthType, georef::candidateUnits(2), &owUnit);
    units[WellUnitContext::ProjectDepthUnit] = owUnit;
    if (units[WellUnitContext::HostDepthUnit] == NoUnit) {
        if (context.report)
            context.report->addRunMessage(QStringLiteral("No host unit for the project's depth unit: nothing imported."));
        return false;
    }
    owUnit = 0;
    units[WellUnitContext::HostXyUnit] =
        projectUnitForType(context.ui, OpenWorksXyType, georef::candidateUnits(2), &owUnit);
    units[WellUnitContext::ProjectXyUnit] = owUnit;
    if (units[WellUnitContext::HostXyUnit] == NoUnit) {
        if (context.report)
            context.report->addRunMessage(QStringLiteral("No host unit for the project's X/Y unit: nothing imported."));
        return false;
    }
    units[WellUnitContext::TargetDepthUnit] = georef::openWorksIdForHostUnit(units[WellUnitContext::HostDepthUnit]);

    int elevationUnit = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OpenWorksElevationType, &elevationUnit) != 0) {
        const QString text = QStringLiteral("Unable to retrieve elevation unit, depth unit will be used.");
        ZREventBus::sendMessage(eDrawError, text, false);
        if (context.report)
            context.report->addRunMessage(text);
        elevationUnit = units[WellUnitContext::ProjectDepthUnit];
    }
    units[WellUnitContext::ElevationUnit] = elevationUnit;

    setup->preferences = georef::UnitPreferences::read();
    const int spatialOwUnit = georef::openWorksIdForHostUnit(setup->preferences.spatialUnit);
    setup->spatialOwUnit = spatialOwUnit > 0 ? spatialOwUnit : int(georef::OpenWorksMetre);
    setup->spatialHostUnit = spatialOwUnit > 0 ? setup->preferences.spatialUnit : int(Meter);
    return true;
}

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const WellImportItem& item)
{
    ZRTransferReport::Item entry = openWorksSourceItem(context, QStringLiteral("well"), GDI_CLASS_WELL,
                                                       item.keyNumber, item.label);
    entry.source.insert(QStringLiteral("wellKey"), item.wellKey);
    entry.source.insert(QStringLiteral("uwi"), item.uwiKey);
    entry.source.insert(QStringLiteral("wellList"), item.wellSetName);
    entry.source.insert(QStringLiteral("wellNumber"), item.label);
    entry.source.insert(QStringLiteral("commonWellName"), item.displayName);
    entry.source.insert(QStringLiteral("status"), item.statusText);
    return entry;
}

void recordUnits(ZRReportedItem& reported, const ImportSetup& setup, const WellImportData& data)
{
    ZRTransferReport::Item* item = reported.item();
    if (!item)
        return;
    const WellUnitContext& units = setup.units;
    const int depthFrom = units[WellUnitContext::ProjectDepthUnit];
    const int depthTo = units[WellUnitContext::TargetDepthUnit];
    const QString hostDepth = UnitTable::unitName(units[WellUnitContext::HostDepthUnit]);
    item->units.append(ZRTransferReport::unitEntry(QStringLiteral("depth"), depthFrom, unitNameOf(depthFrom), depthTo,
                                                   unitNameOf(depthTo), georef::openWorksConversionFactor(depthFrom, depthTo),
                                                   hostDepth));
    item->units.append(ZRTransferReport::unitEntry(QStringLiteral("well head X"), data.xUnit, unitNameOf(data.xUnit),
                                                   setup.spatialOwUnit, unitNameOf(setup.spatialOwUnit),
                                                   georef::openWorksConversionFactor(data.xUnit, setup.spatialOwUnit),
                                                   UnitTable::unitName(setup.spatialHostUnit)));
    item->units.append(ZRTransferReport::unitEntry(QStringLiteral("well head Y"), data.yUnit, unitNameOf(data.yUnit),
                                                   setup.spatialOwUnit, unitNameOf(setup.spatialOwUnit),
                                                   georef::openWorksConversionFactor(data.yUnit, setup.spatialOwUnit),
                                                   UnitTable::unitName(setup.spatialHostUnit)));
    const int xyUnit = units[WellUnitContext::ProjectXyUnit];
    item->units.append(ZRTransferReport::unitEntry(QStringLiteral("trajectory X/Y deviation"), xyUnit,
                                                   unitNameOf(xyUnit), xyUnit, unitNameOf(xyUnit), 1.0,
                                                   UnitTable::unitName(units[WellUnitContext::HostXyUnit])));
    const int elevation = units[WellUnitContext::ElevationUnit];
    item->units.append(ZRTransferReport::unitEntry(QStringLiteral("elevation"), elevation, unitNameOf(elevation),
                                                   depthTo, unitNameOf(depthTo), georef::openWorksConversionFactor(elevation, depthTo),
                                                   hostDepth));
    for (const TimeDepthTableData& table : data.timeDepth.tables)
        item->units.append(ZRTransferReport::unitEntry(
            QStringLiteral("time-depth times (%1)").arg(table.name), table.timeUnitId, unitNameOf(table.timeUnitId),
            georef::OpenWorksMillisecond, unitNameOf(georef::OpenWorksMillisecond), table.timeFactor,
            UnitTable::unitName(Millisecond)));
}

void recordCounts(ZRReportedItem& reported, const WellImportData& data, qint64 bytes)
{
    if (!reported.item())
        return;
    int timeDepthPoints = 0;
    for (const TimeDepthTableData& table : data.timeDepth.tables)
        timeDepthPoints += table.times.size();
    double samples = 0.0;
    for (const LogCurveData& curve : data.logs.curves)
        samples += curve.values.size();
    reported.setCount(QStringLiteral("trajectoryStations"), data.trajectory.tvd.size());
    reported.setCount(QStringLiteral("timeDepthTables"), data.timeDepth.tables.size());
    reported.setCount(QStringLiteral("timeDepthPoints"), timeDepthPoints);
    reported.setCount(QStringLiteral("logs"), data.logs.curves.size());
    reported.setCount(QStringLiteral("samples"), samples);
    reported.setCount(QStringLiteral("picks"), data.picks.names.size());
    reported.setCount(QStringLiteral("bytes"), double(bytes));
}

/// Bytes the well's log data files take (8-byte header and 8 bytes per value;
/// text values counted at 4 bytes and their UTF-8 length).
qint64 dataBytesOf(const WellImportData& data)
{
    qint64 bytes = 0;
    auto add = [&bytes](int values) { bytes += 8 + 8 * qint64(values); };
    for (const TimeDepthTableData& table : data.timeDepth.tables) {
        add(table.depths.size());
        add(table.times.size());
    }
    QSet<QString> logSets;
    for (const LogCurveData& curve : data.logs.curves) {
        add(curve.values.size());
        if (!logSets.contains(curve.setName)) {
            logSets.insert(curve.setName);
            add(curve.depths.size());
        }
    }
    for (int i = 0; i < 3; ++i)
        add(data.trajectory.tvd.size());
    if (!data.picks.names.isEmpty()) {
        add(data.picks.tops.size());
        add(data.picks.bottoms.size());
        bytes += 8;
        for (const QString& name : data.picks.names)
            bytes += 4 + name.toUtf8().size();
    }
    return bytes;
}

/// Reads and checks the well header (class 823) into state.header and data.
/// Returns 0, the DevKit error, or -1 when the well's name is taken.
int readWellHeader(WellImportState& state, const ImportSetup& setup, const ZRLogDatabase& database,
                   const QSet<QString>& namesTaken, WellImportData* data)
{
    const WellImportItem& item = *state.item;
    gdiWell_t& header = state.header;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
    owSetText(header.wellKey, item.wellKey.toLocal8Bit());
    owSetText(header.uwi, item.uwiKey.toLocal8Bit());
    header.id = item.keyNumber;
    owSetText(header.status, item.statusText.toLocal8Bit());
    int status = gdiRead(GDI_CLASS_WELL, &header);
    if (status != 0) {
        state.addMessage(QStringLiteral("Unable to read data: %1").arg(owErrorText(status)));
        state.addProblem();
        return status;
    }
    state.wellName = owText(header.wellName);
    data->name = state.wellName;
    data->uwi = owText(header.uwi);
    if (ZRTransferReport::Item* entry = state.reported->item()) {
        entry->source.insert(QStringLiteral("wellName"), state.wellName);
        entry->sourceName = state.wellName;
    }

    // Well head X/Y: from the units of fields 7 and 8 into the host's spatial unit.
    const int single = 1;
    data->x = header.x;
    data->y = header.y;
    status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_WELL, 7, &data->xUnit);
    if (status == 0)
        status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_WELL, 8, &data->yUnit);
    if (status == 0)
        untConvert(data->xUnit, setup.spatialOwUnit, &single, &data->x, &status);
    if (status == 0)
        untConvert(data->yUnit, setup.spatialOwUnit, &single, &data->y, &status);
    if (status != 0) {
        state.addMessage(QStringLiteral("Unable to convert the well coordinates: %1").arg(owErrorText(status)));
        state.addProblem();
        return status;
    }

    if (database.findWell(state.wellName) || namesTaken.contains(state.wellName.toCaseFolded())) {
        state.addMessage(wellimport::NameExistsMessage);
        state.addProblem();
        return -1;
    }

    data->status = wellStatusCode(owText(header.status));
    if (std::memcmp(header.elevationRef, "KB", 3) == 0) {
        data->kb = 0.0;
    } else {
        data->kb = double(header.elevation);
        untConvert(setup.units[WellUnitContext::ElevationUnit], setup.units[WellUnitContext::TargetDepthUnit], &single,
                   &data->kb, &status);
        if (status != 0) {
            state.addMessage(QStringLiteral("Unable to convert the well elevation: %1").arg(owErrorText(status)));
            state.addProblem();
            return status;
        }
    }
    return 0;
}

/// Reads the position log (class 600) of the well into record with its
/// vectors. Returns 0, 177600004 when there is none, or the DevKit error.
int readPositionLog(WellImportState& state, gdiPositionLog_t* record)
{
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, record);
    std::memcpy(record->wellKey, state.header.wellKey, sizeof record->wellKey);
    int status = gdiRead(GDI_CLASS_POSITION_LOG, record);
    if (status == GDI_NO_DATA) {
        state.addMessage(QStringLiteral("No Position Log found, vertical trajectory created from MD information."));
        return status;
    }
    if (status != 0) {
        state.addMessage(QStringLiteral("Unable to read position log: %1:").arg(owErrorText(status)));
        state.addProblem();
        return status;
    }
    status = gdiReadVector(GDI_CLASS_POSITION_LOG, record);
    if (status != 0) {
        state.addMessage(QStringLiteral("Unable to read vector for position log: %1").arg(owErrorText(status)));
        state.addProblem();
        return status;
    }
    return 0;
}

/// The trajectory of a read position log: TVD converted into the host depth
/// unit, the deviations as they are.
TrajectoryData trajectoryFromPositionLog(WellImportState& state, const gdiPositionLog_t& record)
{
    const WellUnitContext& units = *state.units;
    TrajectoryData trajectory;
    trajectory.kind = TrajectoryData::PositionLog;
    const int points = std::max(0, int(record.pointCount));
    trajectory.xDeviation.resize(points);
    trajectory.yDeviation.resize(points);
    for (int i = 0; i < points; ++i) {
        trajectory.xDeviation[i] = record.xDeviation ? double(record.xDeviation[i]) : 0.0;
        trajectory.yDeviation[i] = record.yDeviation ? double(record.yDeviation[i]) : 0.0;
    }
    if (record.tvd) {
        trajectory.tvd.resize(points);
        for (int i = 0; i < points; ++i)
            trajectory.tvd[i] = double(record.tvd[i]);
        int status = 0;
        untConvert(units[WellUnitContext::ProjectDepthUnit], units[WellUnitContext::TargetDepthUnit], &points,
                   trajectory.tvd.data(), &status);
        if (status != 0 && state.reported)
            state.reported->sendMessage(eDrawError,
                                        QStringLiteral("Cannot convert unit %1 to %2 during trajectory import for well %3.")
                                            .arg(unitNameOf(units[WellUnitContext::ProjectDepthUnit]),
                                                 unitNameOf(units[WellUnitContext::TargetDepthUnit]), state.wellName));
    }
    trajectory.depthShift = trajectory.tvd.isEmpty() ? 0.0 : trajectory.tvd.first();
    return trajectory;
}

/// The vertical two-point trajectory from the smallest top to the largest
/// bottom depth of the well's log curves.
TrajectoryData verticalTrajectory(WellImportState& state, const LogCurveImport& logs)
{
    const WellUnitContext& units = *state.units;
    TrajectoryData trajectory;
    trajectory.kind = TrajectoryData::Vertical;
    trajectory.tvd = {logs.smallestTop, logs.largestBottom};
    const int two = 2;
    int status = 0;
    untConvert(units[WellUnitContext::ProjectDepthUnit], units[WellUnitContext::TargetDepthUnit], &two,
               trajectory.tvd.data(), &status);
    if (status != 0 && state.reported)
        state.reported->sendMessage(eDrawError,
                                    QStringLiteral("Cannot convert unit %1 to %2 during trajectory import for well %3.")
                                        .arg(unitNameOf(units[WellUnitContext::ProjectDepthUnit]),
                                             unitNameOf(units[WellUnitContext::TargetDepthUnit]), state.wellName));
    trajectory.xDeviation = {0.0, 0.0};
    trajectory.yDeviation = {0.0, 0.0};
    trajectory.depthShift = trajectory.tvd.first();
    return trajectory;
}

/// Stores the trajectory in refSet (or a new "TZ_Deviation" reference set).
/// False with the reason when the reference set cannot be made.
bool writeTrajectory(ZRLogDatabase& database, ZRWell* well, ZRRefSet* refSet, const TrajectoryData& trajectory,
                     const WellUnitContext& units, QString* reason)
{
    if (!refSet)
        refSet = database.CreateRefSet(wellimport::TrajectoryRefSetName, well);
    if (!refSet) {
        *reason = QStringLiteral("Unable to create TZ_Deviation refset.");
        return false;
    }
    ZRLog* logs[3];
    for (int i = 0; i < 3; ++i) {
        const QString name = referenceSetLogName(3 + i);
        logs[i] = database.findLog(name, refSet);
        if (!logs[i])
            logs[i] = database.CreateLog(name, refSet, false);
        if (!logs[i]) {
            *reason = QStringLiteral("Unable to create the log %1 of the reference set %2.").arg(name, refSet->name());
            return false;
        }
    }
    const QString depthUnit = UnitTable::unitName(units[WellUnitContext::HostDepthUnit]);
    const QString xyUnit = UnitTable::unitName(units[WellUnitContext::HostXyUnit]);
    logs[0]->setUnit(depthUnit);
    logs[1]->setUnit(xyUnit);
    logs[2]->setUnit(xyUnit);
    database.setLogData(logs[0], trajectory.tvd);
    database.setLogData(logs[1], trajectory.xDeviation);
    database.setLogData(logs[2], trajectory.yDeviation);
    refSet->setShiftDepth(trajectory.depthShift);
    if (trajectory.kind == TrajectoryData::PositionLog) {
        for (ZRLog* log : logs)
            log->setNoValue(AbsentValue);
        refSet->setDeviationType(1);
    } else {
        database.updateReferenceSets(refSet, true, false);
    }
    return true;
}

/// Creates the well with everything read for it. False with the reason when
/// a part cannot be made (the caller removes the well).
bool writeWell(ZRLogDatabase& database, const ImportSetup& setup, const WellImportData& data, ZRWell** created,
               QString* reason)
{
    const WellUnitContext& units = setup.units;
    ZRWell* well = database.CreateWell(data.name);
    *created = well;
    if (!well) {
        *reason = wellimport::NameExistsMessage;
        return false;
    }
    well->setUwi(data.uwi);
    well->setX(data.x);
    well->setY(data.y);
    well->setStatus(data.status);
    well->setOriginalSpatialUnit(setup.spatialHostUnit);
    well->setKb(data.kb);
    well->setKbUnit(units[WellUnitContext::HostDepthUnit]);
    database.addWellToWellSet(well, database.wellSet(data.wellSetName));

    ZRRefSet* refSet = writeTimeDepthTables(database, well, data.timeDepth, units);
    writeLogCurves(database, well, data.logs, units);
    if (data.trajectory.kind != TrajectoryData::None
        && !writeTrajectory(database, well, refSet, data.trajectory, units, reason))
        return false;
    if (!data.picks.names.isEmpty())
        writeSurfacePicks(database, well, data.picks, units);
    database.setOriginalCrs(well, std::make_shared<const georef::Crs>());
    return true;
}

/// Every data file of a well, after its save.
/// databaseFile: the entry of the database file after that save.
QJsonArray filesOfWell(const ZRLogDatabase& database, const ZRWell* well, const QJsonObject& databaseFile)
{
    QJsonArray files;
    files.append(databaseFile);
    for (int type : {int(ZRSet::RefSetType), int(ZRSet::LogSetType), int(ZRSet::MarkerSetType)}) {
        for (const ZRSet* set : database.GetSetsFromWell(well, type)) {
            for (const ZRLog* log : database.GetLogsFromSet(set))
                files.append(ZRTransferReport::fileEntry(ZRLogDataFile::logFileName(database.databasePath(), log->id())));
            if (type == ZRSet::MarkerSetType) {
                const QString list = ZRLogDataFile::markerListFileName(database.databasePath(), set->id());
                if (QFile::exists(list))
                    files.append(ZRTransferReport::fileEntry(list));
            }
        }
    }
    return files;
}

enum class WellResult
{
    Imported,
    Failed,
    Cancelled,
    NameTaken
};

/// Wells written into the database since its last save: saved together, by
/// one save, when they hold enough data, and at the end of the run.
class PendingWells
{
public:
    /// Pending data beyond which the wells are saved. Small enough that the
    /// memory of one batch's values is reused by the next: larger batches
    /// spend much of the run faulting in fresh pages for values held until the save.
    static constexpr qint64 SaveBytes = qint64(32) << 20;
    /// Pending wells beyond which the wells are saved.
    static constexpr int SaveWells = 200;

    struct Well
    {
        int wellId = 0;
        /// What the well was written from (shared with the logs' values).
        std::shared_ptr<const WellImportData> data;
        QString label;
        int reportIndex = -1;  ///< the well's item in the run report
        int problemIndex = -1; ///< its entry in the problem list, when it has one
        int problemPlace = 0;  ///< else where its entry goes (the list's size when it was written)
    };

    void add(const Well& well, qint64 bytes)
    {
        m_wells.append(well);
        m_bytes += bytes;
    }
    bool isFull() const { return m_bytes >= SaveBytes || m_wells.size() >= SaveWells; }
    /// Data of the pending wells, not yet on disk.
    qint64 bytes() const { return m_bytes; }

    /// Saves the database. On success every pending well gets its files in
    /// the report. When a save of several wells fails, they are removed and
    /// written and saved again one by one, so that one well's failure costs
    /// only that well. A well whose save fails is removed again, reported
    /// failed and listed with the reason. Returns how many wells were lost.
    int save(const ZRExchangeContext& context, const ImportSetup& setup, WellProblemList* problems)
    {
        const QVector<Well> wells = m_wells;
        m_wells.clear();
        m_bytes = 0;
        if (wells.isEmpty())
            return 0;
        ZRLogDatabase& database = *context.wellDatabase;
        if (database.save()) {
            saved(context, wells);
            return 0;
        }
        QVector<Well> stored;
        QVector<Well> lost;
        for (const Well& pending : wells) {
            // A save that failed after its commit (e.g. on the info file) stored the well all the same.
            const ZRWell* well = database.findWell(pending.wellId);
            (well && !well->isModified() ? stored : lost).append(pending);
        }
        saved(context, stored);
        if (lost.size() == 1 || !stored.isEmpty()) {
            // Backwards, so that an entry put into the problem list moves none of
            // the places still to fill: the list stays in the order of the wells.
            for (int i = lost.size() - 1; i >= 0; --i)
                lose(context, lost[i], problems);
            return lost.size();
        }
        // Well by well: each written again from what was read, and saved alone.
        for (const Well& pending : lost)
            database.removeWell(pending.wellId);
        int lostCount = 0;
        int inserted = 0; // entries put into the problem list so far, all before the places to come
        for (Well pending : lost) {
            pending.problemPlace += inserted;
            if (pending.problemIndex >= 0)
                pending.problemIndex += inserted;
            const int entriesBefore = problems->size();
            ZRWell* well = nullptr;
            QString reason;
            if (!writeWell(database, setup, *pending.data, &well, &reason)) {
                if (well)
                    database.removeWell(well->id());
                pending.wellId = 0;
                lose(context, pending, problems, reason);
                ++lostCount;
            } else {
                pending.wellId = well->id();
                if (ZRTransferReport::Item* entry = reportItem(context, pending))
                    entry->target.insert(QStringLiteral("wellId"), well->id());
                m_wells = {pending};
                lostCount += save(context, setup, problems);
            }
            inserted += problems->size() - entriesBefore;
        }
        return lostCount;
    }

private:
    static ZRTransferReport::Item* reportItem(const ZRExchangeContext& context, const Well& pending)
    {
        return context.report && pending.reportIndex >= 0 ? &context.report->item(pending.reportIndex) : nullptr;
    }

    /// The report's file entries of wells just saved (the database file hashed once).
    static void saved(const ZRExchangeContext& context, const QVector<Well>& wells)
    {
        if (!context.report || wells.isEmpty())
            return;
        const ZRLogDatabase& database = *context.wellDatabase;
        const QJsonObject databaseFile =
            ZRTransferReport::fileEntry(ZRLogDatabase::databaseFileName(database.databasePath()));
        for (const Well& pending : wells) {
            if (ZRTransferReport::Item* entry = reportItem(context, pending))
                entry->files = filesOfWell(database, database.findWell(pending.wellId), databaseFile);
        }
    }

    /// A well whose save failed: removed, reported failed, listed with the reason.
    static void lose(const ZRExchangeContext& context, const Well& pending, WellProblemList* problems,
                     const QString& reason =
                         QStringLiteral("The well database could not be saved; see the messages of the well database."))
    {
        if (pending.wellId > 0)
            context.wellDatabase->removeWell(pending.wellId);
        if (ZRTransferReport::Item* entry = reportItem(context, pending)) {
            entry->messages.append(reason);
            entry->outcome = ZRTransferReport::Failed;
            entry->target.remove(QStringLiteral("wellId"));
        }
        if (pending.problemIndex >= 0)
            (*problems)[pending.problemIndex].second.append(reason);
        else
            problems->insert(pending.problemPlace, qMakePair(pending.label, QStringList{reason}));
    }

    QVector<Well> m_wells;
    qint64 m_bytes = 0;
};

/// Imports one item: reads everything, then (outside a dry run) writes the
/// well into the database, where it waits for the next save of pending.
WellResult importOne(const ZRExchangeContext& context, const ImportSetup& setup, const WellImportItem& item,
                     int mainBarId, WellProblemList* problems, QSet<QString>* namesTaken, PendingWells* pending)
{
    ZRLogDatabase& database = *context.wellDatabase;
    ZRReportedItem reported(context, reportItemOf(context, item));
    WellImportState state;
    state.context = &context;
    state.item = &item;
    state.units = &setup.units;
    state.reported = &reported;
    state.problems = problems;
    reported.setTarget(QStringLiteral("path"), QDir::toNativeSeparators(database.databasePath()));
    reported.setTarget(QStringLiteral("wellDatabase"),
                       QDir::toNativeSeparators(ZRLogDatabase::databaseFileName(database.databasePath())));

    ZRProgressBarGuard wellBar(3, item.displayName, mainBarId, true);
    auto shared = std::make_shared<WellImportData>();
    WellImportData& data = *shared;
    data.wellSetName = item.wellSetName;
    const int headerStatus = readWellHeader(state, setup, database, *namesTaken, &data);
    if (headerStatus != 0) {
        if (headerStatus == -1) {
            reported.setTarget(QStringLiteral("wellName"), state.wellName);
            if (const ZRWell* existing = database.findWell(state.wellName))
                reported.setTarget(QStringLiteral("existingWellId"), existing->id());
            reported.setAction(ZRTransferReport::Skip);
            reported.setOutcome(ZRTransferReport::Skipped);
            return WellResult::NameTaken;
        }
        return WellResult::Failed;
    }
    reported.setAction(ZRTransferReport::Create);
    reported.setTarget(QStringLiteral("wellName"), state.wellName);

    // Time-depth tables.
    {
        OwRecordList<gdiTimeDepthTable_t> tables(GDI_CLASS_TIME_DEPTH_TABLE,
                                                 OwRecordList<gdiTimeDepthTable_t>::Release::ReleaseList);
        const int status = tables.readSubset(GDI_CLASS_WELL, &state.header);
        if (status != 0 && status != GDI_NO_DATA) {
            state.addMessage(QStringLiteral("Unable to read time depth tables: %1").arg(owErrorText(status)));
            state.addProblem();
            return WellResult::Failed;
        }
        if (tables.count() == 0)
            state.addMessage(
                QStringLiteral("No time depth tables found, therefore no TTD Laws have been created for this well."));
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        std::memcpy(preferred.wellKey, state.header.wellKey, sizeof preferred.wellKey);
        const bool preferredRead = gdiExists(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred) != 0
                                   && gdiRead(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred) == 0;
        if (tables.count() > 0)
            readTimeDepthTables(state, &tables[0], tables.count(), preferredRead, preferred, wellBar.id(),
                                &data.timeDepth);
    }

    // Log curves.
    {
        OwRecordList<gdiLogCurve_t> curves(GDI_CLASS_LOG_CURVE, OwRecordList<gdiLogCurve_t>::Release::ReleaseList);
        const int status = curves.readSubset(GDI_CLASS_WELL, &state.header);
        if (status != 0 && status != GDI_NO_DATA) {
            data.logs.status = status;
            state.addMessage(QStringLiteral("Unable to read Log Curves: %1").arg(owErrorText(status)));
        } else if (curves.count() == 0) {
            state.addMessage(
                QStringLiteral("No Log Curves found, therefore no Logs have been created for this well."));
        } else {
            readLogCurves(state, &curves[0], curves.count(), setup.pairing, wellBar.id(), &data.logs);
        }
    }
    if (data.timeDepth.cancelled || data.logs.cancelled || wellBar.isCancelled()) {
        reported.setOutcome(ZRTransferReport::Cancelled);
        return WellResult::Cancelled;
    }
    wellBar.increment(1);

    // Trajectory.
    {
        gdiPositionLog_t positionLog;
        const int status = readPositionLog(state, &positionLog);
        if (status == GDI_NO_DATA) {
            if (data.logs.curveRecords > 0 && data.logs.status == 0)
                data.trajectory = verticalTrajectory(state, data.logs);
        } else if (status != 0) {
            gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &positionLog);
            return WellResult::Failed;
        } else {
            data.trajectory = trajectoryFromPositionLog(state, positionLog);
            gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &positionLog);
        }
    }
    wellBar.increment(1);

    // Surface picks.
    readSurfacePicks(state, wellBar.id(), &data.picks);
    wellBar.increment(1);
    if (data.picks.status != 0 && data.picks.status != GDI_NO_DATA) {
        state.addProblem();
        return WellResult::Failed;
    }
    if (data.picks.cancelled || wellBar.isCancelled()) {
        reported.setOutcome(ZRTransferReport::Cancelled);
        return WellResult::Cancelled;
    }

    // Everything is read: check the space, then write the well and save it.
    const qint64 bytes = dataBytesOf(data);
    recordUnits(reported, setup, data);
    recordCounts(reported, data, bytes);
    const QStorageInfo storage(database.databasePath());
    const qint64 needed = bytes + pending->bytes() + SpaceMargin;
    if (storage.isValid() && storage.bytesAvailable() < needed) {
        state.addMessage(QStringLiteral("Not enough free disk space in %1 for the well's data: %2 bytes needed, %3 "
                                        "available.")
                             .arg(QDir::toNativeSeparators(database.databasePath()))
                             .arg(needed)
                             .arg(storage.bytesAvailable()));
        state.addProblem();
        return WellResult::Failed;
    }
    if (context.dryRun) {
        namesTaken->insert(state.wellName.toCaseFolded());
        if (!state.messages.isEmpty())
            state.addProblem();
        reported.setOutcome(ZRTransferReport::Planned);
        return WellResult::Imported;
    }

    ZRWell* well = nullptr;
    QString reason;
    bool written = false;
    try {
        written = writeWell(database, setup, data, &well, &reason);
    } catch (const std::exception& error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    if (!written) {
        if (well)
            database.removeWell(well->id());
        state.addMessage(reason);
        state.addProblem();
        return WellResult::Failed;
    }
    reported.setTarget(QStringLiteral("wellId"), well->id());
    // Kept for writing the well again should its save fail: only the first
    // curve of a log set gives depths (its "MD" log), the others' are let go.
    QSet<QString> logSets;
    for (LogCurveData& curve : data.logs.curves) {
        if (logSets.contains(curve.setName))
            curve.depths = QVector<float>();
        logSets.insert(curve.setName);
    }
    PendingWells::Well entry;
    entry.wellId = well->id();
    entry.data = shared;
    entry.label = item.label;
    entry.reportIndex = context.report ? context.report->itemCount() - 1 : -1;
    entry.problemPlace = problems->size();
    if (!state.messages.isEmpty()) {
        state.addProblem();
        entry.problemIndex = problems->size() - 1;
    }
    pending->add(entry, bytes);
    reported.setOutcome(ZRTransferReport::Imported);
    return WellResult::Imported;
}

} // namespace

QVector<WellImportItem> wellImportItemsFromRows(const QAbstractItemModel& wellModel, const QVector<int>& rows)
{
    QVector<WellImportItem> items;
    for (int row : uniqueRows(rows)) {
        if (row < 0 || row >= wellModel.rowCount())
            continue;
        const auto value = [&](int column) { return wellModel.index(row, column).data(); };
        WellImportItem item;
        item.wellSetName = value(ZROpenworksWellModel::WellListColumn).toString();
        item.label = value(ZROpenworksWellModel::WellNumberColumn).toString();
        item.wellKey = value(ZROpenworksWellModel::WellKeyColumn).toString();
        item.uwiKey = value(ZROpenworksWellModel::UwiColumn).toString();
        item.displayName = value(ZROpenworksWellModel::CommonWellNameColumn).toString();
        item.keyNumber = qint32(value(ZROpenworksWellModel::WellIdColumn).toInt());
        item.statusText = value(ZROpenworksWellModel::StatusColumn).toString();
        items.append(item);
    }
    return items;
}

int importWells(const ZRExchangeContext& context, const QVector<WellImportItem>& items)
{
    if (items.isEmpty() || !context.wellDatabase)
        return 0;
    ZRLogDatabase& database = *context.wellDatabase;
    if (database.isReadOnly()) {
        const QString text = QStringLiteral("The well database of the host project cannot be written: no well can be "
                                            "imported.");
        ZREventBus::sendMessage(eDrawFileError, text, false);
        if (context.ui)
            context.ui->showMessage(ZRExchangeUi::MessageKind::Critical, QStringLiteral("Error"), text);
        if (context.report)
            context.report->addRunMessage(text);
        return 0;
    }

    ImportSetup setup;
    if (!enableVectorAccess(context) || !readLogCurvePairing(context, &setup.pairing))
        return 0;
    prjProject_t active;
    std::memset(&active, 0, sizeof active);
    prjGetActive(&active);
    if (!resolveUnits(context, &setup))
        return 0;
    if (!context.dryRun && context.project)
        database.setProjectCrs(std::make_shared<const georef::Crs>(context.project->crs()));

    int imported = 0;
    WellProblemList problems;
    QSet<QString> namesTaken;
    PendingWells pending;
    const int saveProgressParent = database.progressParent();
    {
        ZRProgressBarGuard progress(items.size(), wellimport::MainProgressTitle, context.progressParentId, true);
        // The saves show their progress in the import's window.
        database.setProgressParent(progress.id());
        try {
            for (const WellImportItem& item : items) {
                progress.increment(1);
                if (progress.isCancelled())
                    break;
                if (importOne(context, setup, item, progress.id(), &problems, &namesTaken, &pending)
                    == WellResult::Imported)
                    ++imported;
                if (pending.isFull())
                    imported -= pending.save(context, setup, &problems);
            }
        } catch (const std::exception& error) {
            const QString text = QString::fromLocal8Bit(error.what());
            ZREventBus::sendMessage(eDrawError, text, false);
            if (context.ui)
                context.ui->showMessage(ZRExchangeUi::MessageKind::Information, QStringLiteral("Error"), text);
            if (context.report)
                context.report->addRunMessage(text);
        }
        imported -= pending.save(context, setup, &problems);
        if (!context.dryRun && !problems.isEmpty() && context.ui)
            context.ui->showWellProblems(problems);
        if (!context.dryRun && imported != items.size() && context.ui)
            context.ui->showMessage(ZRExchangeUi::MessageKind::Information, context.windowTitle,
                                    QStringLiteral("%1 of %2 wells imported.").arg(imported).arg(items.size()));
        if (!context.dryRun && context.hostFolderChanged)
            context.hostFolderChanged(ZRProject::WellDatabaseType);
        database.setProgressParent(saveProgressParent);
    }
    return imported;
}

int wellStatusCode(const QString& openWorksStatus)
{
    for (const StatusCode& entry : kStatusCodes) {
        if (openWorksStatus == QLatin1String(entry.text))
            return entry.code;
    }
    return 0;
}

QString referenceSetLogName(int index)
{
    static const char* const names[] = {"LogTWTRefset", "LogTVDRefSet",    "LogMDRefSet",     "LogTVDXY",
                                        "LogDevX",      "LogDevY",         "LogCheckShotTWT", "LogCheckShotOther"};
    return index >= 0 && index < 8 ? QString::fromLatin1(names[index]) : QString();
}

QString markerSetLogName(int index)
{
    static const char* const names[] = {"LogNameMarkerSet", "LogTopMarkerSet", "LogBottomMarkerSet"};
    return index >= 0 && index < 3 ? QString::fromLatin1(names[index]) : QString();
}
