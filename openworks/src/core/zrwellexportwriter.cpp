#include "zrwellexportwriter.h"

#include "owguards.h"
#include "zrprogressbarmgr.h"

#include <QSet>

#include <algorithm>
#include <cstring>

namespace
{

const QByteArray kStratColumn = QByteArrayLiteral("GLOBAL");
const QByteArray kUnknown = QByteArrayLiteral("UNKNOWN");

/// Points a record's vector field at caller-owned values (the DevKit only reads them for gdiAdd).
float* vectorOf(const QVector<float>& values)
{
    return values.isEmpty() ? nullptr : const_cast<float*>(values.constData());
}

} // namespace

ZRWellExportWriter::ZRWellExportWriter(const WellExportUnits& units, const gdiWellList_t& wellList,
                                       const WellExportData& data)
    : m_units(units)
    , m_list(wellList)
    , m_data(data)
    , m_key(data.identifier.toLocal8Bit())
    , m_interpreter(QByteArray(wellList.interpreter, int(strnlen(wellList.interpreter, sizeof wellList.interpreter))))
{
    std::memset(&m_header, 0, sizeof m_header);
}

QMap<int, int> ZRWellExportWriter::plannedRecords(const WellExportData& data)
{
    QMap<int, int> planned;
    planned[GDI_CLASS_WELL] = 1;
    if (!data.tvd.isEmpty())
        planned[GDI_CLASS_POSITION_LOG] = 1;
    if (!data.tables.isEmpty())
        planned[GDI_CLASS_TIME_DEPTH_TABLE] = data.tables.size();
    for (const WellExportData::TimeDepthTable& table : data.tables) {
        if (table.current)
            planned[GDI_CLASS_PREFERRED_TIME_DEPTH] = 1;
    }
    if (!data.logSets.isEmpty())
        planned[GDI_CLASS_LOG_CURVE_LIST] = data.logSets.size();
    if (data.curves() > 0) {
        planned[GDI_CLASS_LOG_CURVE] = data.curves();
        planned[GDI_CLASS_LOG_CURVE_LIST_MEMBER] = data.curves();
    }
    if (!data.markers.isEmpty()) {
        QSet<QString> names;
        for (const WellExportData::Marker& marker : data.markers)
            names.insert(marker.name);
        planned[GDI_CLASS_SURFACE] = names.size();
        planned[GDI_CLASS_HORIZON_PARAMS] = names.size();
        planned[GDI_CLASS_SURFACE_PICK] = data.markers.size();
    }
    planned[GDI_CLASS_WELL_LIST_MEMBER] = 1;
    return planned;
}

void ZRWellExportWriter::setWellKey(char (&field)[32]) const
{
    owSetText(field, m_key);
}

bool ZRWellExportWriter::fail(const QString& text)
{
    m_messages->append(text);
    return false;
}

ZRWellExportWriter::Result ZRWellExportWriter::write(int parentProgressId, QStringList* messages)
{
    m_messages = messages;
    m_records.clear();

    bool written = true;
    prjProject_t project;
    std::memset(&project, 0, sizeof project);
    int status = prjGetActive(&project);
    if (status != 0)
        written = fail(QStringLiteral("Unable to query the active OpenWorks® project: %1").arg(owErrorText(status)));
    if (written) {
        // Nothing of an earlier write may join this well's transaction.
        status = gdiCommit();
        if (status != 0)
            written = fail(QStringLiteral("Unable to commit before well %1: %2").arg(m_data.name, owErrorText(status)));
    }
    for (int classId : {int(GDI_CLASS_WELL), int(GDI_CLASS_LOG_CURVE_LIST), int(GDI_CLASS_TIME_DEPTH_TABLE),
                        int(GDI_CLASS_LOG_CURVE), int(GDI_CLASS_SURFACE_PICK)}) {
        if (!written)
            break;
        gdiClassInfo_t info;
        status = gdiGetClassInfo(classId, &info);
        if (status != 0)
            written = fail(QStringLiteral("Unable to read the class information of class %1: %2")
                               .arg(classId)
                               .arg(owErrorText(status)));
    }
    // From the header on, the well's writes are in the open transaction.
    const bool writing = written;
    written = written && writeHeader() && writePositionLog() && writeTables(parentProgressId) && writeTotalDepth()
              && writeLogs(parentProgressId) && writeMarkers() && writeMembership();
    if (written) {
        status = gdiCommit();
        if (status == 0)
            return Committed;
        fail(QStringLiteral("Unable to commit well: %1").arg(owErrorText(status)));
    }

    // The first failure ends the well: nothing of it stays.
    m_records.clear();
    if (!writing)
        return RolledBack;
    status = gdiRollback();
    if (status != 0)
        status = gdiRollback();
    if (status != 0) {
        messages->append(QStringLiteral("The records of well %1 could not be rolled back: %2")
                             .arg(m_data.name, owErrorText(status)));
        return RollbackFailed;
    }
    messages->append(
        QStringLiteral("Nothing of well %1 was kept in OpenWorks®: its records were rolled back.").arg(m_data.name));
    return RolledBack;
}

bool ZRWellExportWriter::writeHeader()
{
    gdiWell_t& header = m_header;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &header);
    const QByteArray name = m_data.name.toLocal8Bit();
    setWellKey(header.wellKey);
    owSetText(header.uwi, m_key);
    owSetText(header.wellName, name);
    owSetText(header.commonWellName, name);
    owSetText(header.wellNumber, name);
    header.x = m_data.x;
    header.y = m_data.y;
    owSetText(header.elevationRef, QByteArrayLiteral("KB"));
    header.elevation = m_data.kb;
    owSetText(header.status, m_data.status.toLocal8Bit());
    owSetText(header.interpreter, m_interpreter);
    owSetText(header.depthUnit, m_units.depthUnitText.toLatin1());
    const int status = gdiAdd(GDI_CLASS_WELL, &header);
    if (status != 0)
        return fail(QStringLiteral("Unable to create well %1: %2").arg(m_data.name, owErrorText(status)));
    added(GDI_CLASS_WELL, header.id);
    return true;
}

bool ZRWellExportWriter::writePositionLog()
{
    if (m_data.tvd.isEmpty())
        return true;
    gdiPositionLog_t log;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
    setWellKey(log.wellKey);
    const bool exists = gdiExists(GDI_CLASS_POSITION_LOG, &log) != 0;
    owSetText(log.interpreter, m_interpreter);
    owSetText(log.name, QByteArrayLiteral("Velostrat"));
    log.pointCount = m_data.tvd.size();
    log.md = vectorOf(m_data.md);
    log.tvd = vectorOf(m_data.tvd);
    log.xDeviation = vectorOf(m_data.xDeviation);
    log.yDeviation = vectorOf(m_data.yDeviation);
    const int status = exists ? gdiUpdate(GDI_CLASS_POSITION_LOG, &log) : gdiAdd(GDI_CLASS_POSITION_LOG, &log);
    if (status != 0) {
        fail(QStringLiteral("Error while exporting position log for well: %1").arg(m_data.name));
        return fail(QStringLiteral("OpenWorks® error %1: %2").arg(status).arg(owErrorText(status)));
    }
    if (!exists)
        added(GDI_CLASS_POSITION_LOG, log.id);
    return true;
}

bool ZRWellExportWriter::writeTables(int parentProgressId)
{
    ZRProgressBarGuard progress(m_data.referenceSets, QStringLiteral("Time-Depth Relations"), parentProgressId, false);
    qint32 currentTable = 0;
    for (const WellExportData::TimeDepthTable& table : m_data.tables) {
        gdiTimeDepthTable_t record;
        gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &record);
        setWellKey(record.wellKey);
        owSetText(record.name, table.name.toLocal8Bit());
        owSetText(record.interpreter, m_interpreter);
        owSetText(record.direction, QByteArrayLiteral("DOWN"));
        owSetText(record.depthType, table.depthType.toLatin1());
        owSetText(record.depthUnit, m_units.depthUnitText.toLatin1());
        owSetText(record.timeUnit, m_units.timeUnitText.toLatin1());
        record.pointCount = table.depths.size();
        record.depths = vectorOf(table.depths);
        record.times = vectorOf(table.times);
        const int status = gdiAdd(GDI_CLASS_TIME_DEPTH_TABLE, &record);
        if (status != 0)
            return fail(
                QStringLiteral("Unable to create time depth table for well %1: %2").arg(m_data.name, owErrorText(status)));
        added(GDI_CLASS_TIME_DEPTH_TABLE, record.id);
        if (table.current)
            currentTable = record.id;
        progress.increment(1);
    }
    if (currentTable != 0) {
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        setWellKey(preferred.wellKey);
        owSetText(preferred.interpreter, m_interpreter);
        preferred.tableId = currentTable;
        const int status = gdiAdd(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred);
        if (status != 0) {
            fail(QStringLiteral("Unable to set preferred TD Curve for well %1").arg(m_data.name));
            return fail(QStringLiteral("OpenWorks® error %1: %2").arg(status).arg(owErrorText(status)));
        }
        added(GDI_CLASS_PREFERRED_TIME_DEPTH, preferred.id);
    }
    return true;
}

bool ZRWellExportWriter::writeTotalDepth()
{
    m_header.totalDepth = m_data.totalDepth;
    const int status = gdiUpdate(GDI_CLASS_WELL, &m_header);
    if (status != 0) {
        fail(QStringLiteral("Unable to set total depth"));
        return fail(QStringLiteral("OpenWorks® error %1: %2").arg(status).arg(owErrorText(status)));
    }
    return true;
}

bool ZRWellExportWriter::writeLogs(int parentProgressId)
{
    ZRProgressBarGuard progress(m_data.logSets.size(), QStringLiteral("Logs"), parentProgressId, false);
    for (const WellExportData::LogSet& set : m_data.logSets) {
        gdiLogCurveList_t list;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &list);
        owSetText(list.name, set.name.toLocal8Bit());
        if (gdiExists(GDI_CLASS_LOG_CURVE_LIST, &list) != 0) {
            const int status = gdiRead(GDI_CLASS_LOG_CURVE_LIST, &list);
            if (status != 0) {
                fail(QStringLiteral("Unable to read log curve list %1").arg(set.name));
                return fail(QStringLiteral("OpenWorks® error %1: %2").arg(status).arg(owErrorText(status)));
            }
        } else {
            owSetText(list.interpreter, m_interpreter);
            const int status = gdiAdd(GDI_CLASS_LOG_CURVE_LIST, &list);
            if (status != 0) {
                fail(QStringLiteral("Unable to create log curve list %1").arg(set.name));
                return fail(QStringLiteral("OpenWorks® error %1: %2").arg(status).arg(owErrorText(status)));
            }
            added(GDI_CLASS_LOG_CURVE_LIST, int(list.id));
        }
        for (const WellExportData::Curve& curve : set.curves) {
            if (!writeCurve(set, curve, list.id))
                return false;
        }
        progress.increment(1);
    }
    return true;
}

bool ZRWellExportWriter::writeCurve(const WellExportData::LogSet& set, const WellExportData::Curve& curve,
                                    quint32 listId)
{
    gdiLogCurve_t record;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &record);
    setWellKey(record.wellKey);
    owSetText(record.name, set.name.toLocal8Bit());
    const QByteArray nameKey(record.name, int(strnlen(record.name, sizeof record.name)));

    // Version: one above the largest the well's curves of this name have.
    auto version = m_versions.find(nameKey);
    if (version == m_versions.end()) {
        OwRecordList<gdiLogCurve_t> same(GDI_CLASS_LOG_CURVE);
        const int status = same.readSubset(GDI_CLASS_LOG_CURVE, &record);
        if (status != 0 && status != GDI_NO_DATA)
            return fail(QStringLiteral("Unable to read the log curves named %1 of well %2: %3")
                            .arg(QString::fromLocal8Bit(nameKey), m_data.name, owErrorText(status)));
        qint32 largest = 0;
        for (int i = 0; i < same.count(); ++i)
            largest = std::max(largest, same[i].version);
        version = m_versions.insert(nameKey, largest);
    }
    record.version = ++version.value();

    const int samples = curve.values.size();
    owSetText(record.service, QByteArrayLiteral("NONE"));
    owSetText(record.curveName, curve.curveName.toLocal8Bit());
    owSetText(record.interpreter, m_interpreter);
    record.depthUnitId = m_units.curveDepthUnitId;
    if (samples > 0) {
        record.topDepth = curve.depths.first();
        record.bottomDepth = curve.depths.last();
    }
    if (samples > 1)
        record.depthStep = curve.depths[1] - curve.depths[0];
    record.minValue = curve.minimum;
    record.maxValue = curve.maximum;
    record.sampleCount = samples;
    owSetText(record.unit, curve.unit.toLocal8Bit());
    record.nullValue = curve.nullValue;
    owSetText(record.curveType, kUnknown);
    owSetText(record.curveClass, kUnknown);
    record.depths = vectorOf(curve.depths);
    record.values = vectorOf(curve.values);
    int status = gdiAdd(GDI_CLASS_LOG_CURVE, &record);
    if (status != 0)
        return fail(QStringLiteral("Unable to create log curve %1: %2").arg(curve.curveName, owErrorText(status)));
    added(GDI_CLASS_LOG_CURVE, int(record.id));

    gdiLogCurveListMember_t member;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 1, &member);
    member.listId = listId;
    member.curveId = record.id;
    owSetText(member.wellKey, m_key);
    status = gdiAdd(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &member);
    if (status != 0)
        return fail(QStringLiteral("Unable to create log curve list member: %1").arg(owErrorText(status)));
    added(GDI_CLASS_LOG_CURVE_LIST_MEMBER, member.id);
    return true;
}

bool ZRWellExportWriter::writeMarkers()
{
    const QByteArray unit = m_units.depthUnitText.toLatin1();
    for (const WellExportData::Marker& marker : m_data.markers) {
        const QByteArray name = marker.name.toLocal8Bit();
        gdiSurface_t surface;
        gdiInitiateObject(GDI_CLASS_SURFACE, 1, &surface);
        owSetText(surface.stratColumn, kStratColumn);
        owSetText(surface.name, name);
        owSetText(surface.interpreter, m_interpreter);
        if (gdiExists(GDI_CLASS_SURFACE, &surface) != 0) {
            const int status = gdiRead(GDI_CLASS_SURFACE, &surface);
            if (status != 0)
                return fail(QStringLiteral("Unable to read surface pick %1: %2").arg(marker.name, owErrorText(status)));
        } else {
            const int status = gdiAdd(GDI_CLASS_SURFACE, &surface);
            if (status != 0)
                return fail(
                    QStringLiteral("Unable to create surface pick %1: %2").arg(marker.name, owErrorText(status)));
            added(GDI_CLASS_SURFACE, surface.id);
        }

        gdiHorizonParams_t colour;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &colour);
        owSetText(colour.name, name);
        owSetText(colour.interpreter, m_interpreter);
        if (gdiExists(GDI_CLASS_HORIZON_PARAMS, &colour) == 0) {
            colour.red = marker.red;
            colour.green = marker.green;
            colour.blue = marker.blue;
            owSetText(colour.stratColumn, kStratColumn);
            const int status = gdiAdd(GDI_CLASS_HORIZON_PARAMS, &colour);
            if (status != 0)
                return fail(QStringLiteral("Unable to create color data for marker %1: %2")
                                .arg(marker.name, owErrorText(status)));
            added(GDI_CLASS_HORIZON_PARAMS, colour.id);
        }

        gdiSurfacePick_t pick;
        gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
        setWellKey(pick.wellKey);
        owSetText(pick.surfaceName, name);
        owSetText(pick.interpreter, m_interpreter);
        pick.topDepth = marker.top;
        pick.bottomDepth = marker.bottom;
        owSetText(pick.depthUnit, unit);
        owSetText(pick.stratColumn, kStratColumn);
        const int status = gdiAdd(GDI_CLASS_SURFACE_PICK, &pick);
        if (status != 0)
            return fail(QStringLiteral("Unable to create Pick for marker %1 of well %2: %3")
                            .arg(marker.name, m_data.name, owErrorText(status)));
        added(GDI_CLASS_SURFACE_PICK, pick.id);
    }
    return true;
}

bool ZRWellExportWriter::writeMembership()
{
    gdiWellListMember_t member;
    gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
    member.wellListId = m_list.id;
    setWellKey(member.wellKey);
    std::memcpy(member.wellListName, m_list.name, sizeof member.wellListName);
    const int status = gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member);
    if (status != 0)
        return fail(QStringLiteral("Unable to add well: %1").arg(owErrorText(status)));
    added(GDI_CLASS_WELL_LIST_MEMBER, member.id);
    return true;
}
