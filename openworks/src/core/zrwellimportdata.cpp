#include "zrwellimportdata.h"

#include "owguards.h"
#include "owunitresolution.h"
#include "unittable.h"
#include "zreventbus.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"
#include "zrtransferreport.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <limits>

namespace wellimport
{
const QString TimeDepthProgressTitle = QStringLiteral("Time-Depth Tables");
const QString LogCurveProgressTitle = QStringLiteral("Log Curves");
const QString PickProgressTitle = QStringLiteral("Picks");
} // namespace wellimport

namespace
{

constexpr double AbsentValue = -9999.0;

/// Gives back the vectors gdiReadVector loaded into one record, on every path.
class LoadedVectors
{
public:
    LoadedVectors(int classId, void* record)
        : m_classId(classId)
        , m_record(record)
    {
    }
    ~LoadedVectors() { gdiReleaseVectors(m_classId, 1, m_record); }
    LoadedVectors(const LoadedVectors&) = delete;
    LoadedVectors& operator=(const LoadedVectors&) = delete;

private:
    int m_classId;
    void* m_record;
};

/// The first count floats of a DevKit vector as doubles (none when the vector is missing).
QVector<double> toDoubles(const float* values, int count)
{
    QVector<double> result;
    if (!values || count <= 0)
        return result;
    result.resize(count);
    for (int i = 0; i < count; ++i)
        result[i] = double(values[i]);
    return result;
}

QVector<float> toFloats(const float* values, int count)
{
    QVector<float> result;
    if (!values || count <= 0)
        return result;
    result.resize(count);
    std::memcpy(result.data(), values, size_t(count) * sizeof(float));
    return result;
}

QString unitNameOf(int owUnit)
{
    return georef::openWorksUnitName(owUnit);
}

ZRLog* findOrCreateLog(ZRLogDatabase& database, const QString& name, ZRSet* set)
{
    ZRLog* log = database.findLog(name, set);
    return log ? log : database.CreateLog(name, set, false);
}

} // namespace

LogCurvePairing LogCurvePairing::fromRecords(const gdiLogCurveList_t* lists, int listCount,
                                             const gdiLogCurveListMember_t* members, int memberCount)
{
    // Members by list id, in class-576 order; then lists in class-575 order.
    QHash<quint32, QVector<quint32>> curvesOfList;
    for (int m = 0; m < memberCount; ++m)
        curvesOfList[members[m].listId].append(members[m].curveId);
    LogCurvePairing pairing;
    for (int l = 0; l < listCount; ++l) {
        const auto it = curvesOfList.constFind(lists[l].id);
        if (it == curvesOfList.constEnd())
            continue;
        for (quint32 curveId : *it)
            pairing.add(curveId, lists[l].id);
    }
    return pairing;
}

bool LogCurvePairing::listOf(quint32 curveId, quint32* listId) const
{
    const auto it = m_pairs.find(curveId);
    if (it == m_pairs.end())
        return false;
    // Equal keys keep their insertion order: lower_bound is the first list.
    *listId = m_pairs.lower_bound(curveId)->second;
    return true;
}

void WellImportState::addMessage(const QString& text)
{
    messages.append(text);
    if (reported)
        reported->recordMessage(text);
}

void WellImportState::addProblem()
{
    if (problems && item)
        problems->append(qMakePair(item->label, messages));
}

void readTimeDepthTables(WellImportState& state, gdiTimeDepthTable_t* records, int count, bool preferredRead,
                         const gdiPreferredTimeDepth_t& preferred, int parentProgressId, TimeDepthImport* result)
{
    const WellUnitContext& units = *state.units;
    result->preferredRead = preferredRead;
    result->preferredTableId = preferredRead ? preferred.tableId : 0;
    ZRProgressBarGuard progress(count, wellimport::TimeDepthProgressTitle, parentProgressId, true);
    for (int i = 0; i < count; ++i) {
        if (progress.isCancelled()) {
            result->cancelled = true;
            break;
        }
        gdiTimeDepthTable_t& record = records[i];
        const QString name = owText(record.name);
        int status = gdiReadVector(GDI_CLASS_TIME_DEPTH_TABLE, &record);
        result->status = status;
        if (status != 0) {
            state.addMessage(QStringLiteral("Unable to load vector for Time-Depth table (%1): %2")
                                 .arg(name, owErrorText(status)));
            progress.increment(1);
            continue;
        }
        LoadedVectors loaded(GDI_CLASS_TIME_DEPTH_TABLE, &record);

        TimeDepthTableData table;
        table.name = name;
        table.tableId = record.id;
        const QString depthType = owText(record.depthType);
        if (depthType == QLatin1String("MD")) {
            table.depth1Type = 3;
            table.depthLogName = referenceSetLogName(2);
        } else if (depthType == QLatin1String("TVDBTDD")) {
            table.depth1Type = 2;
            table.depthLogName = referenceSetLogName(1);
        } else {
            // An empty name, not a missing one: the log's name is never NULL.
            table.depthLogName = QStringLiteral("");
        }
        const int points = record.depths && record.times ? std::max(0, int(record.pointCount)) : 0;

        // Times to milliseconds; a table whose times cannot be converted is left out.
        const QString timeUnit = owText(record.timeUnit);
        int unitStatus = 0;
        const int timeUnitId = untGetAbbrID(timeUnit.toLatin1().constData(), &unitStatus);
        result->status = unitStatus;
        if (unitStatus == 0)
            untConvertFloats(timeUnitId, georef::OpenWorksMillisecond, &points, record.times, &unitStatus);
        if (unitStatus != 0) {
            result->status = unitStatus;
            state.addMessage(QStringLiteral("Unable to convert the times of Time-Depth table (%1) from \"%2\" to "
                                            "milliseconds: %3")
                                 .arg(name, timeUnit, owErrorText(unitStatus)));
            progress.increment(1);
            continue;
        }
        table.timeUnitId = timeUnitId;
        if (state.context && state.context->report) {
            double one = 1.0;
            const int single = 1;
            int factorStatus = 0;
            untConvert(timeUnitId, georef::OpenWorksMillisecond, &single, &one, &factorStatus);
            table.timeFactor = factorStatus == 0 ? one : 0.0;
        }

        // Depths into the host depth unit, like every other depth of the well.
        int depthStatus = 0;
        untConvertFloats(units[WellUnitContext::ProjectDepthUnit], units[WellUnitContext::TargetDepthUnit], &points,
                         record.depths, &depthStatus);
        if (depthStatus != 0 && state.reported)
            state.reported->sendMessage(
                eDrawError, QStringLiteral("Cannot convert unit %1 to %2 during time-depth table %3 import for well %4.")
                                .arg(unitNameOf(units[WellUnitContext::ProjectDepthUnit]),
                                     unitNameOf(units[WellUnitContext::TargetDepthUnit]), name, state.wellName));

        table.depths = toDoubles(record.depths, points);
        table.times = toDoubles(record.times, points);
        result->tables.append(table);
        progress.increment(1);
    }
}

void readLogCurves(WellImportState& state, gdiLogCurve_t* records, int count, const LogCurvePairing& pairing,
                   int parentProgressId, LogCurveImport* result)
{
    const WellUnitContext& units = *state.units;
    const int fromUnit = units[WellUnitContext::ProjectDepthUnit];
    const int toUnit = units[WellUnitContext::TargetDepthUnit];
    double smallestTop = std::numeric_limits<double>::max();
    double largestBottom = std::numeric_limits<double>::lowest();
    for (int i = 0; i < count; ++i) {
        smallestTop = std::min(smallestTop, double(records[i].topDepth));
        largestBottom = std::max(largestBottom, double(records[i].bottomDepth));
    }
    result->curveRecords = count;
    result->smallestTop = count > 0 ? smallestTop : 0.0;
    result->largestBottom = count > 0 ? largestBottom : 0.0;

    ZRProgressBarGuard progress(count, wellimport::LogCurveProgressTitle, parentProgressId, true);
    for (int i = 0; i < count; ++i) {
        if (progress.isCancelled()) {
            result->cancelled = true;
            break;
        }
        gdiLogCurve_t& record = records[i];
        const QString name = owText(record.name);

        QString setName;
        quint32 listId = 0;
        if (pairing.listOf(record.id, &listId)) {
            gdiLogCurveList_t list;
            gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &list);
            list.id = listId;
            const int status = gdiRead(GDI_CLASS_LOG_CURVE_LIST, &list);
            if (status != 0) {
                result->status = status;
                state.addMessage(
                    QStringLiteral("Unable to read Log Curve List(%1): %2").arg(listId).arg(owErrorText(status)));
                progress.increment(1);
                continue;
            }
            setName = owText(list.name);
        } else {
            setName = QStringLiteral("%1_%2").arg(QStringLiteral("LogSet"), name);
        }

        const int status = gdiReadVector(GDI_CLASS_LOG_CURVE, &record);
        if (status != 0) {
            result->status = status;
            state.addMessage(QStringLiteral("Unable to read vectors for Log Curve(%1): %2").arg(name, owErrorText(status)));
            progress.increment(1);
            continue;
        }
        LoadedVectors loaded(GDI_CLASS_LOG_CURVE, &record);
        const int samples = record.depths && record.values ? std::max(0, int(record.sampleCount)) : 0;
        int convertStatus = 0;
        untConvertFloats(fromUnit, toUnit, &samples, record.depths, &convertStatus);
        if (convertStatus != 0 && state.reported)
            state.reported->sendMessage(eDrawError,
                                        QStringLiteral("Cannot convert unit %1 to %2 during log %3 import for well %4.")
                                            .arg(unitNameOf(fromUnit), unitNameOf(toUnit), name, state.wellName));

        LogCurveData curve;
        curve.setName = setName;
        curve.name = name;
        const QString unit = owText(record.unit);
        curve.unit = unit == QLatin1String("UNKNOWN") ? QString() : unit;
        curve.absentValue = record.nullValue;
        curve.depths = toFloats(record.depths, samples);
        curve.values = toDoubles(record.values, samples);
        result->curves.append(curve);
        progress.increment(1);
    }
}

void readSurfacePicks(WellImportState& state, int parentProgressId, SurfacePickImport* result)
{
    const WellUnitContext& units = *state.units;
    OwRecordList<gdiSurfacePick_t> picks(GDI_CLASS_SURFACE_PICK, OwRecordList<gdiSurfacePick_t>::Release::ReleaseList);
    const int status = picks.readSubset(GDI_CLASS_WELL, &state.header);
    if (status != 0) {
        result->status = status;
        if (status != GDI_NO_DATA)
            state.addMessage(QStringLiteral("Error occurred during import of surface picks: %1").arg(owErrorText(status)));
        return;
    }

    const int fromUnit = units[WellUnitContext::ProjectDepthUnit];
    const int toUnit = units[WellUnitContext::TargetDepthUnit];
    int lastParameterStatus = 0;
    ZRProgressBarGuard progress(picks.count(), wellimport::PickProgressTitle, parentProgressId, true);
    for (int i = 0; i < picks.count(); ++i) {
        if (progress.isCancelled()) {
            result->cancelled = true;
            break;
        }
        const gdiSurfacePick_t& pick = picks[i];
        const QString name = owText(pick.surfaceName);
        double top = double(pick.topDepth);
        double bottom = double(pick.bottomDepth);
        const int single = 1;
        for (double* depth : {&bottom, &top}) {
            int convertStatus = 0;
            untConvert(fromUnit, toUnit, &single, depth, &convertStatus);
            if (convertStatus != 0 && state.reported)
                state.reported->sendMessage(
                    eDrawError, QStringLiteral("Cannot convert unit %1 to %2 during marker %3 import for well %4.")
                                    .arg(unitNameOf(fromUnit), unitNameOf(toUnit), name, state.wellName));
        }
        result->names.append(name);
        result->tops.append(top);
        result->bottoms.append(bottom);

        gdiHorizonParams_t parameters;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &parameters);
        std::memcpy(parameters.name, pick.surfaceName, sizeof parameters.name);
        std::memcpy(parameters.interpreter, pick.interpreter, sizeof parameters.interpreter);
        lastParameterStatus = gdiRead(GDI_CLASS_HORIZON_PARAMS, &parameters);
        if (lastParameterStatus == 0) {
            if (!result->colours.contains(name))
                result->colours.insert(name, QColor(parameters.red, parameters.green, parameters.blue, 255));
        } else if (lastParameterStatus != GDI_NO_DATA && state.reported) {
            state.reported->showMessage(ZRExchangeUi::MessageKind::Information, QStringLiteral("Error"),
                                        QStringLiteral("Error occurred when reading horizon parameters for pick %1: %2")
                                            .arg(name, owErrorText(lastParameterStatus)));
        }
        progress.increment(1);
    }
    result->status = lastParameterStatus;
}

ZRRefSet* writeTimeDepthTables(ZRLogDatabase& database, ZRWell* well, const TimeDepthImport& tables,
                               const WellUnitContext& units)
{
    ZRRefSet* first = nullptr;
    ZRRefSet* preferred = nullptr;
    const QString depthUnit = UnitTable::unitName(units[WellUnitContext::HostDepthUnit]);
    for (const TimeDepthTableData& table : tables.tables) {
        ZRRefSet* refSet = database.findRefSet(table.name, well);
        if (!refSet)
            refSet = database.CreateRefSet(table.name, well, 1);
        if (!refSet)
            continue;
        if (!first)
            first = refSet;
        refSet->setDepth1Type(table.depth1Type);
        ZRLog* timeLog = database.CreateLog(referenceSetLogName(0), refSet, false);
        ZRLog* depthLog = database.CreateLog(table.depthLogName, refSet, false);
        if (depthLog) {
            depthLog->setUnit(depthUnit);
            depthLog->setNoValue(AbsentValue);
            database.setLogData(depthLog, table.depths);
        }
        if (timeLog) {
            timeLog->setUnit(UnitTable::unitName(Millisecond));
            timeLog->setNoValue(AbsentValue);
            database.setLogData(timeLog, table.times);
        }
        if (tables.preferredRead && tables.preferredTableId == table.tableId) {
            well->setCurrentRefSet(refSet);
            preferred = refSet;
        }
    }
    return preferred ? preferred : first;
}

int writeLogCurves(ZRLogDatabase& database, ZRWell* well, const LogCurveImport& curves, const WellUnitContext& units)
{
    int written = 0;
    const QString depthUnit = UnitTable::unitName(units[WellUnitContext::HostDepthUnit]);
    for (const LogCurveData& curve : curves.curves) {
        ZRSet* set = database.findSet(curve.setName, well);
        if (!set)
            set = database.CreateLogSet(curve.setName, well);
        if (!set)
            continue;
        ZRLog* log = database.CreateLog(curve.name, set, false);
        if (!log)
            continue;
        ++written;
        // Only a new "MD" log takes depths: the curves of one set share the first one's sampling.
        if (!database.findLog(QStringLiteral("MD"), set)) {
            if (ZRLog* depthLog = database.CreateLog(QStringLiteral("MD"), set, false)) {
                depthLog->setUnit(depthUnit);
                depthLog->setNoValue(curve.absentValue);
                database.setLogData(depthLog, toDoubles(curve.depths.constData(), curve.depths.size()));
                ++written;
            }
        }
        log->setUnit(curve.unit);
        log->setNoValue(curve.absentValue);
        database.setLogData(log, curve.values);
    }
    return written;
}

void writeSurfacePicks(ZRLogDatabase& database, ZRWell* well, const SurfacePickImport& picks,
                       const WellUnitContext& units)
{
    ZRSet* set = database.findSet(wellimport::MarkerSetName, well);
    if (!set)
        set = database.CreateMarkerSet(wellimport::MarkerSetName, well);
    if (!set)
        return;
    ZRLog* names = findOrCreateLog(database, markerSetLogName(0), set);
    ZRLog* tops = findOrCreateLog(database, markerSetLogName(1), set);
    ZRLog* bottoms = findOrCreateLog(database, markerSetLogName(2), set);
    const QString depthUnit = UnitTable::unitName(units[WellUnitContext::HostDepthUnit]);
    for (ZRLog* log : {names, tops, bottoms}) {
        if (log)
            log->setUnit(depthUnit);
    }
    if (names)
        database.setLogData(names, picks.names);
    if (tops)
        database.setLogData(tops, picks.tops);
    if (bottoms)
        database.setLogData(bottoms, picks.bottoms);

    for (auto it = picks.colours.constBegin(); it != picks.colours.constEnd(); ++it) {
        ZRMarkerInfos* info = database.findMarkerInfo(it.key());
        if (!info)
            info = database.CreateMarkerInfo(it.key());
        const QString colour = it.value().name(QColor::HexRgb);
        if (info && info->color() != colour)
            info->setColor(colour);
    }
    database.updateMarkerDatabase();
}
