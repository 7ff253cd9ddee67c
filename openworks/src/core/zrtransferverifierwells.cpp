// The well parts of ZRTransferVerifier: a well import item compared with the
// OpenWorks well read again, a well export item with the host well read
// again, through the conversion factors the report recorded.

#include "zrtransferverifier.h"

#include "owdevkit.h"
#include "owguards.h"
#include "zrlogdatabase.h"
#include "zrtransferreport.h"
#include "zrwellexportdata.h"
#include "zrwellimport.h"
#include "zrwellimportdata.h"

#include <QHash>
#include <QJsonArray>
#include <QSet>

#include <cmath>
#include <cstring>
#include <functional>

namespace
{

/// The factor a report item recorded for a quantity (found false when none).
double recordedFactor(const QJsonObject& item, const QString& quantity, bool* found = nullptr)
{
    for (const QJsonValue& value : item.value(QStringLiteral("units")).toArray()) {
        const QJsonObject unit = value.toObject();
        if (unit.value(QStringLiteral("quantity")).toString() == quantity) {
            if (found)
                *found = true;
            return unit.value(QStringLiteral("factor")).toDouble();
        }
    }
    if (found)
        *found = false;
    return 1.0;
}

/// a equals b within a relative tolerance (single precision: 1e-6).
bool near(double a, double b, double relative)
{
    if (a == b)
        return true;
    return std::fabs(a - b) <= relative * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

constexpr double SinglePrecision = 1e-6;
constexpr double DoublePrecision = 1e-9;

/// Gives back the vectors gdiReadVector loaded into one record.
class Vectors
{
public:
    Vectors(int classId, void* record)
        : m_classId(classId)
        , m_record(record)
    {
    }
    ~Vectors() { gdiReleaseVectors(m_classId, 1, m_record); }
    Vectors(const Vectors&) = delete;
    Vectors& operator=(const Vectors&) = delete;

private:
    int m_classId;
    void* m_record;
};

const ZRLog* logOf(const ZRLogDatabase& database, const ZRSet* set, const QString& name)
{
    return set ? database.findLog(name, set) : nullptr;
}

/// The host reference set holding the trajectory logs: the current one when it does.
const ZRRefSet* trajectorySetOf(const ZRLogDatabase& database, const ZRWell& well)
{
    const ZRRefSet* current = well.currentRefSet();
    if (current && database.findLog(referenceSetLogName(3), current))
        return current;
    for (const ZRSet* set : database.GetSetsFromWell(&well, ZRSet::RefSetType)) {
        if (database.findLog(referenceSetLogName(3), set))
            return dynamic_cast<const ZRRefSet*>(set);
    }
    return nullptr;
}

} // namespace

bool ZRTransferVerifier::compareValues(const QString& what, const QVector<double>& actual,
                                       const QVector<double>& expected, double relative)
{
    if (actual.size() != expected.size()) {
        differ(QStringLiteral("%1: %2 values instead of %3").arg(what).arg(actual.size()).arg(expected.size()));
        return false;
    }
    for (int i = 0; i < actual.size(); ++i) {
        if (!near(actual.at(i), expected.at(i), relative)) {
            differ(QStringLiteral("%1: value %2 is %3, expected %4")
                       .arg(what)
                       .arg(i)
                       .arg(actual.at(i), 0, 'g', 17)
                       .arg(expected.at(i), 0, 'g', 17));
            return false;
        }
    }
    return true;
}

bool ZRTransferVerifier::hostValues(const ZRLog* log, const QString& what, QVector<double>* values)
{
    if (!log) {
        differ(QStringLiteral("%1: the host log is missing").arg(what));
        return false;
    }
    if (!m_context.wellDatabase->getLogData(log, *values)) {
        differ(QStringLiteral("%1: the host values cannot be read").arg(what));
        return false;
    }
    return true;
}

bool ZRTransferVerifier::verifyWellImportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    const QJsonObject target = item.value(QStringLiteral("target")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    checkFiles(item);
    const ZRLogDatabase* database = m_context.wellDatabase;
    const ZRWell* well = database ? database->findWell(target.value(QStringLiteral("wellId")).toInt()) : nullptr;
    if (!well || well->name() != target.value(QStringLiteral("wellName")).toString()) {
        differ(QStringLiteral("the host well %1 (id %2) is gone")
                   .arg(target.value(QStringLiteral("wellName")).toString())
                   .arg(target.value(QStringLiteral("wellId")).toInt()));
        endItem();
        return false;
    }

    // The header, read again.
    gdiWell_t header;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
    owSetText(header.wellKey, source.value(QStringLiteral("wellKey")).toString().toLocal8Bit());
    owSetText(header.uwi, source.value(QStringLiteral("uwi")).toString().toLocal8Bit());
    header.id = qint32(source.value(QStringLiteral("id")).toDouble());
    int status = gdiRead(GDI_CLASS_WELL, &header);
    if (status != 0) {
        differ(QStringLiteral("the OpenWorks well cannot be read: %1").arg(owErrorText(status)));
        endItem();
        return false;
    }
    if (owText(header.wellName) != well->name())
        differ(QStringLiteral("the well is named %1 in OpenWorks, %2 in the host").arg(owText(header.wellName), well->name()));
    if (owText(header.uwi) != well->uwi())
        differ(QStringLiteral("UWI %1 in OpenWorks, %2 in the host").arg(owText(header.uwi), well->uwi()));
    const double x = header.x * recordedFactor(item, QStringLiteral("well head X"));
    const double y = header.y * recordedFactor(item, QStringLiteral("well head Y"));
    if (!near(well->x(), x, DoublePrecision) || !near(well->y(), y, DoublePrecision))
        differ(QStringLiteral("the well head lies at (%1, %2) in the host, at (%3, %4) from OpenWorks")
                   .arg(well->x(), 0, 'f', 3)
                   .arg(well->y(), 0, 'f', 3)
                   .arg(x, 0, 'f', 3)
                   .arg(y, 0, 'f', 3));
    if (well->status().value_or(0) != wellStatusCode(owText(header.status)))
        differ(QStringLiteral("status %1 in the host for \"%2\"").arg(well->status().value_or(0)).arg(owText(header.status)));
    const double kb = std::memcmp(header.elevationRef, "KB", 3) == 0
                          ? 0.0
                          : double(header.elevation) * recordedFactor(item, QStringLiteral("elevation"));
    if (!near(well->kb(), kb, DoublePrecision))
        differ(QStringLiteral("KB %1 in the host, %2 from OpenWorks").arg(well->kb()).arg(kb));

    const double depthFactor = recordedFactor(item, QStringLiteral("depth"));
    // What the import makes of a depth: converted as a float (vectors) or as a double (single values).
    const auto floatDepths = [&](const float* values, int count) {
        QVector<double> result(std::max(0, count));
        for (int i = 0; i < count; ++i)
            result[i] = double(float(double(values[i]) * depthFactor));
        return result;
    };

    // Time-depth tables: the ones the import converted (their time factors are in the report).
    OwRecordList<gdiTimeDepthTable_t> tables(GDI_CLASS_TIME_DEPTH_TABLE, OwRecordList<gdiTimeDepthTable_t>::Release::ReleaseList);
    status = tables.readSubset(GDI_CLASS_WELL, &header);
    for (int i = 0; i < tables.count(); ++i) {
        gdiTimeDepthTable_t& table = tables[i];
        const QString name = owText(table.name);
        bool converted = false;
        const double timeFactor = recordedFactor(item, QStringLiteral("time-depth times (%1)").arg(name), &converted);
        if (!converted)
            continue;
        if (gdiReadVector(GDI_CLASS_TIME_DEPTH_TABLE, &table) != 0) {
            differ(QStringLiteral("the vectors of time-depth table %1 cannot be read").arg(name));
            continue;
        }
        const ZRRefSet* refSet = database->findRefSet(name, well);
        if (!refSet) {
            differ(QStringLiteral("no reference set %1 in the host").arg(name));
            continue;
        }
        const QString depthType = owText(table.depthType);
        const QString depthLog = depthType == QLatin1String("MD")        ? referenceSetLogName(2)
                                 : depthType == QLatin1String("TVDBTDD") ? referenceSetLogName(1)
                                                                         : QString();
        const int points = table.depths && table.times ? int(table.pointCount) : 0;
        QVector<double> times(points);
        for (int p = 0; p < points; ++p)
            times[p] = double(float(double(table.times[p]) * timeFactor));
        QVector<double> values;
        if (hostValues(logOf(*database, refSet, referenceSetLogName(0)), QStringLiteral("times of %1").arg(name), &values))
            compareValues(QStringLiteral("times of %1").arg(name), values, times, SinglePrecision);
        if (hostValues(logOf(*database, refSet, depthLog), QStringLiteral("depths of %1").arg(name), &values))
            compareValues(QStringLiteral("depths of %1").arg(name), values, floatDepths(table.depths, points),
                          SinglePrecision);
    }

    // Log curves, in their log sets.
    OwRecordList<gdiLogCurveList_t> lists(GDI_CLASS_LOG_CURVE_LIST);
    OwRecordList<gdiLogCurveListMember_t> members(GDI_CLASS_LOG_CURVE_LIST_MEMBER);
    lists.readSet();
    members.readSet();
    const LogCurvePairing pairing = LogCurvePairing::fromRecords(lists.count() ? &lists[0] : nullptr, lists.count(),
                                                                 members.count() ? &members[0] : nullptr,
                                                                 members.count());
    OwRecordList<gdiLogCurve_t> curves(GDI_CLASS_LOG_CURVE, OwRecordList<gdiLogCurve_t>::Release::ReleaseList);
    curves.readSubset(GDI_CLASS_WELL, &header);
    QHash<QString, int> seen;     // set + name -> logs of that name met
    QSet<QString> setsWithDepths; // sets whose MD was checked
    double smallestTop = 0.0;
    double largestBottom = 0.0;
    for (int i = 0; i < curves.count(); ++i) {
        gdiLogCurve_t& curve = curves[i];
        smallestTop = i == 0 ? curve.topDepth : std::min(smallestTop, double(curve.topDepth));
        largestBottom = i == 0 ? curve.bottomDepth : std::max(largestBottom, double(curve.bottomDepth));
        const QString name = owText(curve.name);
        QString setName = QStringLiteral("LogSet_") + name;
        quint32 listId = 0;
        if (pairing.listOf(curve.id, &listId)) {
            for (int l = 0; l < lists.count(); ++l)
                if (lists[l].id == listId)
                    setName = owText(lists[l].name);
        }
        const ZRSet* set = database->findSet(setName, well);
        if (!set) {
            differ(QStringLiteral("no log set %1 in the host for curve %2").arg(setName, name));
            continue;
        }
        const int occurrence = seen[setName + QLatin1Char('\n') + name]++;
        const ZRLog* log = nullptr;
        int met = 0;
        for (const ZRLog* candidate : database->GetLogsFromSet(set)) {
            if (candidate->name() == name && met++ == occurrence)
                log = candidate;
        }
        if (gdiReadVector(GDI_CLASS_LOG_CURVE, &curve) != 0) {
            differ(QStringLiteral("the vectors of curve %1 cannot be read").arg(name));
            continue;
        }
        Vectors loaded(GDI_CLASS_LOG_CURVE, &curve);
        const int samples = curve.depths && curve.values ? int(curve.sampleCount) : 0;
        QVector<double> expected(samples);
        for (int s = 0; s < samples; ++s)
            expected[s] = double(curve.values[s]);
        QVector<double> values;
        const QString what = QStringLiteral("curve %1 of %2").arg(name, setName);
        if (hostValues(log, what, &values))
            compareValues(what, values, expected, 0.0);
        if (!setsWithDepths.contains(setName)) {
            setsWithDepths.insert(setName);
            if (hostValues(database->findLog(QStringLiteral("MD"), set), QStringLiteral("MD of %1").arg(setName), &values))
                compareValues(QStringLiteral("MD of %1").arg(setName), values, floatDepths(curve.depths, samples),
                              SinglePrecision);
        }
    }

    // Trajectory: the position log, or the vertical one made from the curves.
    const ZRRefSet* trajectory = trajectorySetOf(*database, *well);
    gdiPositionLog_t positionLog;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &positionLog);
    std::memcpy(positionLog.wellKey, header.wellKey, sizeof positionLog.wellKey);
    status = gdiRead(GDI_CLASS_POSITION_LOG, &positionLog);
    QVector<double> tvd;
    QVector<double> xDeviation;
    QVector<double> yDeviation;
    bool expectTrajectory = false;
    if (status == 0 && gdiReadVector(GDI_CLASS_POSITION_LOG, &positionLog) == 0) {
        Vectors loaded(GDI_CLASS_POSITION_LOG, &positionLog);
        expectTrajectory = true;
        for (int p = 0; p < positionLog.pointCount; ++p) {
            tvd.append(positionLog.tvd ? double(positionLog.tvd[p]) * depthFactor : 0.0);
            xDeviation.append(positionLog.xDeviation ? double(positionLog.xDeviation[p]) : 0.0);
            yDeviation.append(positionLog.yDeviation ? double(positionLog.yDeviation[p]) : 0.0);
        }
    } else if (status == GDI_NO_DATA && curves.count() > 0) {
        expectTrajectory = true;
        tvd = {smallestTop * depthFactor, largestBottom * depthFactor};
        xDeviation = yDeviation = {0.0, 0.0};
    }
    if (expectTrajectory && !trajectory) {
        differ(QStringLiteral("the host well has no trajectory"));
    } else if (expectTrajectory) {
        QVector<double> values;
        if (hostValues(logOf(*database, trajectory, referenceSetLogName(3)), QStringLiteral("trajectory TVD"), &values))
            compareValues(QStringLiteral("trajectory TVD"), values, tvd, DoublePrecision);
        if (hostValues(logOf(*database, trajectory, referenceSetLogName(4)), QStringLiteral("trajectory X deviation"),
                       &values))
            compareValues(QStringLiteral("trajectory X deviation"), values, xDeviation, DoublePrecision);
        if (hostValues(logOf(*database, trajectory, referenceSetLogName(5)), QStringLiteral("trajectory Y deviation"),
                       &values))
            compareValues(QStringLiteral("trajectory Y deviation"), values, yDeviation, DoublePrecision);
    } else if (trajectory) {
        differ(QStringLiteral("the host well has a trajectory that OpenWorks has not"));
    }

    // Surface picks: the marker logs, in pick order.
    OwRecordList<gdiSurfacePick_t> picks(GDI_CLASS_SURFACE_PICK, OwRecordList<gdiSurfacePick_t>::Release::ReleaseList);
    picks.readSubset(GDI_CLASS_WELL, &header);
    if (picks.count() > 0) {
        const ZRSet* markers = database->findSet(wellimport::MarkerSetName, well);
        QStringList names;
        QStringList expectedNames;
        QVector<double> tops;
        QVector<double> bottoms;
        for (int p = 0; p < picks.count(); ++p) {
            expectedNames.append(owText(picks[p].surfaceName));
            tops.append(double(picks[p].topDepth) * depthFactor);
            bottoms.append(double(picks[p].bottomDepth) * depthFactor);
        }
        const ZRLog* nameLog = logOf(*database, markers, markerSetLogName(0));
        if (!nameLog || !database->getLogData(nameLog, names) || names != expectedNames)
            differ(QStringLiteral("the marker names are %1 in the host, %2 in OpenWorks")
                       .arg(names.join(QStringLiteral(", ")), expectedNames.join(QStringLiteral(", "))));
        QVector<double> values;
        if (hostValues(logOf(*database, markers, markerSetLogName(1)), QStringLiteral("marker tops"), &values))
            compareValues(QStringLiteral("marker tops"), values, tops, DoublePrecision);
        if (hostValues(logOf(*database, markers, markerSetLogName(2)), QStringLiteral("marker bottoms"), &values))
            compareValues(QStringLiteral("marker bottoms"), values, bottoms, DoublePrecision);
    }
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}

bool ZRTransferVerifier::verifyWellExportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    const QJsonObject target = item.value(QStringLiteral("target")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    const ZRLogDatabase* database = m_context.wellDatabase;
    const ZRWell* well = database ? database->findWell(source.value(QStringLiteral("wellId")).toInt()) : nullptr;
    if (!well || well->name() != source.value(QStringLiteral("wellName")).toString()) {
        differ(QStringLiteral("the host well %1 is gone").arg(source.value(QStringLiteral("wellName")).toString()));
        endItem();
        return false;
    }
    const QString wellKey = target.value(QStringLiteral("wellKey")).toString();
    const QJsonObject records = target.value(QStringLiteral("records")).toObject();
    const auto idsOf = [&](int classId) {
        QVector<int> ids;
        for (const QJsonValue& id : records.value(QString::number(classId)).toArray())
            ids.append(id.toInt());
        return ids;
    };
    // What the export makes of host values: converted, then single precision.
    const auto asWritten = [](const QVector<double>& values, double factor) {
        QVector<double> result(values.size());
        for (int i = 0; i < values.size(); ++i)
            result[i] = double(float(values.at(i) * factor));
        return result;
    };
    const auto owValues = [](const float* values, int count) {
        QVector<double> result(values ? std::max(0, count) : 0);
        for (int i = 0; i < result.size(); ++i)
            result[i] = double(values[i]);
        return result;
    };

    // The header.
    gdiWell_t header;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
    owSetText(header.wellKey, wellKey.toLocal8Bit());
    int status = gdiRead(GDI_CLASS_WELL, &header);
    if (status != 0) {
        differ(QStringLiteral("the OpenWorks well %1 cannot be read: %2").arg(wellKey, owErrorText(status)));
        endItem();
        return false;
    }
    if (!idsOf(GDI_CLASS_WELL).contains(header.id))
        differ(QStringLiteral("the OpenWorks well has the id %1, not the one recorded").arg(header.id));
    if (owText(header.wellName) != well->name().left(80))
        differ(QStringLiteral("the well is named %1 in OpenWorks").arg(owText(header.wellName)));
    if (owText(header.uwi) != openWorksWellIdentifier(well->uwi(), well->name()))
        differ(QStringLiteral("UWI %1 in OpenWorks").arg(owText(header.uwi)));
    const double x = double(float(well->x() * recordedFactor(item, QStringLiteral("well head X"))));
    const double y = double(float(well->y() * recordedFactor(item, QStringLiteral("well head Y"))));
    if (!near(header.x, x, SinglePrecision) || !near(header.y, y, SinglePrecision))
        differ(QStringLiteral("the well head lies at (%1, %2) in OpenWorks, (%3, %4) from the host")
                   .arg(header.x, 0, 'f', 3)
                   .arg(header.y, 0, 'f', 3)
                   .arg(x, 0, 'f', 3)
                   .arg(y, 0, 'f', 3));
    if (owText(header.elevationRef) != QLatin1String("KB")
        || !near(header.elevation, well->kb() * recordedFactor(item, QStringLiteral("elevation")), SinglePrecision))
        differ(QStringLiteral("elevation %1 (%2) in OpenWorks for a KB of %3 in the host")
                   .arg(double(header.elevation))
                   .arg(owText(header.elevationRef))
                   .arg(well->kb()));
    if (owText(header.status) != openWorksWellStatus(well->status().value_or(0)))
        differ(QStringLiteral("status \"%1\" in OpenWorks").arg(owText(header.status)));

    // The position log against the current reference set's trajectory logs.
    const ZRRefSet* current = well->currentRefSet();
    if (!idsOf(GDI_CLASS_POSITION_LOG).isEmpty()) {
        gdiPositionLog_t positionLog;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &positionLog);
        std::memcpy(positionLog.wellKey, header.wellKey, sizeof positionLog.wellKey);
        if (gdiRead(GDI_CLASS_POSITION_LOG, &positionLog) != 0 || gdiReadVector(GDI_CLASS_POSITION_LOG, &positionLog) != 0) {
            differ(QStringLiteral("the position log cannot be read"));
        } else {
            Vectors loaded(GDI_CLASS_POSITION_LOG, &positionLog);
            const double tvdFactor = recordedFactor(item, QStringLiteral("trajectory TVD"));
            const double deviationFactor = recordedFactor(item, QStringLiteral("trajectory X/Y deviation"));
            QVector<double> values;
            const struct
            {
                int log;
                const float* written;
                double factor;
                const char* what;
            } parts[] = {{3, positionLog.tvd, tvdFactor, "trajectory TVD"},
                         {4, positionLog.xDeviation, deviationFactor, "trajectory X deviation"},
                         {5, positionLog.yDeviation, deviationFactor, "trajectory Y deviation"}};
            for (const auto& part : parts) {
                const QString what = QString::fromLatin1(part.what);
                if (hostValues(logOf(*database, current, referenceSetLogName(part.log)), what, &values))
                    compareValues(what, owValues(part.written, positionLog.pointCount), asWritten(values, part.factor),
                                  SinglePrecision);
            }
        }
    }

    // Time-depth tables against their reference sets.
    for (int id : idsOf(GDI_CLASS_TIME_DEPTH_TABLE)) {
        gdiTimeDepthTable_t table;
        gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &table);
        table.id = id;
        if (gdiRead(GDI_CLASS_TIME_DEPTH_TABLE, &table) != 0 || gdiReadVector(GDI_CLASS_TIME_DEPTH_TABLE, &table) != 0) {
            differ(QStringLiteral("time-depth table %1 cannot be read").arg(id));
            continue;
        }
        Vectors loaded(GDI_CLASS_TIME_DEPTH_TABLE, &table);
        const QString name = owText(table.name);
        const ZRRefSet* refSet = database->findRefSet(name, well);
        if (!refSet) {
            differ(QStringLiteral("no host reference set %1").arg(name));
            continue;
        }
        const QString depthLog = refSet->depth1Type() == 3 ? referenceSetLogName(2) : referenceSetLogName(1);
        QVector<double> values;
        if (hostValues(logOf(*database, refSet, referenceSetLogName(0)), QStringLiteral("times of %1").arg(name), &values))
            compareValues(QStringLiteral("times of %1").arg(name), owValues(table.times, table.pointCount),
                          asWritten(values, recordedFactor(item, QStringLiteral("time-depth times (%1)").arg(name))),
                          SinglePrecision);
        if (hostValues(logOf(*database, refSet, depthLog), QStringLiteral("depths of %1").arg(name), &values))
            compareValues(QStringLiteral("depths of %1").arg(name), owValues(table.depths, table.pointCount),
                          asWritten(values, recordedFactor(item, QStringLiteral("time-depth depths (%1)").arg(name))),
                          SinglePrecision);
    }

    // Log curves "<set>_<log>" against the logs and the set's MD.
    for (int id : idsOf(GDI_CLASS_LOG_CURVE)) {
        gdiLogCurve_t curve;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
        curve.id = quint32(id);
        if (gdiRead(GDI_CLASS_LOG_CURVE, &curve) != 0 || gdiReadVector(GDI_CLASS_LOG_CURVE, &curve) != 0) {
            differ(QStringLiteral("log curve %1 cannot be read").arg(id));
            continue;
        }
        Vectors loaded(GDI_CLASS_LOG_CURVE, &curve);
        const QString curveName = owText(curve.curveName);
        const ZRSet* set = nullptr;
        const ZRLog* log = nullptr;
        for (const ZRSet* candidate : database->GetSetsFromWell(well, ZRSet::LogSetType)) {
            for (const ZRLog* candidateLog : database->GetLogsFromSet(candidate)) {
                const QByteArray name = (candidate->name() + QLatin1Char('_') + candidateLog->name()).toLocal8Bit();
                if (!log && QString::fromLocal8Bit(name.left(int(sizeof curve.curveName) - 1)) == curveName) {
                    set = candidate;
                    log = candidateLog;
                }
            }
        }
        if (!log) {
            differ(QStringLiteral("no host log for curve %1").arg(curveName));
            continue;
        }
        const int samples = curve.sampleCount;
        QVector<double> values;
        if (hostValues(log, curveName, &values))
            compareValues(curveName, owValues(curve.values, samples), asWritten(values.mid(0, samples), 1.0), 0.0);
        if (hostValues(database->findLog(QStringLiteral("MD"), set), QStringLiteral("MD of %1").arg(set->name()), &values))
            compareValues(QStringLiteral("depths of %1").arg(curveName), owValues(curve.depths, samples),
                          asWritten(values.mid(0, samples),
                                    recordedFactor(item, QStringLiteral("log depths (%1)").arg(set->name()))),
                          SinglePrecision);
    }

    // Picks against the marker logs, in order.
    const QVector<int> pickIds = idsOf(GDI_CLASS_SURFACE_PICK);
    if (!pickIds.isEmpty()) {
        const ZRSet* markers = database->findSet(wellimport::MarkerSetName, well);
        QStringList names;
        QVector<double> tops;
        QVector<double> bottoms;
        const ZRLog* nameLog = logOf(*database, markers, markerSetLogName(0));
        if (!nameLog || !database->getLogData(nameLog, names))
            differ(QStringLiteral("the host marker names cannot be read"));
        hostValues(logOf(*database, markers, markerSetLogName(1)), QStringLiteral("marker tops"), &tops);
        hostValues(logOf(*database, markers, markerSetLogName(2)), QStringLiteral("marker bottoms"), &bottoms);
        const double factor = recordedFactor(item, QStringLiteral("marker depths"));
        for (int i = 0; i < pickIds.size(); ++i) {
            gdiSurfacePick_t pick;
            gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
            pick.id = pickIds[i];
            if (gdiRead(GDI_CLASS_SURFACE_PICK, &pick) != 0) {
                differ(QStringLiteral("pick %1 cannot be read").arg(pickIds[i]));
                continue;
            }
            if (owText(pick.surfaceName) != names.value(i)
                || !near(pick.topDepth, double(float(tops.value(i) * factor)), SinglePrecision)
                || !near(pick.bottomDepth, double(float(bottoms.value(i, tops.value(i)) * factor)), SinglePrecision))
                differ(QStringLiteral("pick %1 is %2 at %3 / %4, the host marker %5 at %6 / %7")
                           .arg(i)
                           .arg(owText(pick.surfaceName))
                           .arg(double(pick.topDepth))
                           .arg(double(pick.bottomDepth))
                           .arg(names.value(i))
                           .arg(tops.value(i))
                           .arg(bottoms.value(i)));
        }
    }

    // The membership in the target list.
    const QVector<int> memberIds = idsOf(GDI_CLASS_WELL_LIST_MEMBER);
    gdiWellListMember_t member;
    gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
    member.id = memberIds.value(0);
    if (memberIds.size() != 1 || gdiRead(GDI_CLASS_WELL_LIST_MEMBER, &member) != 0
        || owText(member.wellKey) != wellKey
        || (target.contains(QStringLiteral("wellListId"))
            && member.wellListId != target.value(QStringLiteral("wellListId")).toInt()))
        differ(QStringLiteral("the well is not a member of the well list %1")
                   .arg(target.value(QStringLiteral("wellList")).toString()));
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}
