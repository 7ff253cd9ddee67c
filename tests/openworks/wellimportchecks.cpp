#include "wellimportchecks.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

namespace
{

template <size_t N>
QString text(const char (&field)[N])
{
    return QString::fromLatin1(field, int(strnlen(field, N)));
}

QVector<float> floats(const float* values, int count)
{
    QVector<float> result;
    for (int i = 0; values && i < count; ++i)
        result.append(values[i]);
    return result;
}

bool failed(QString* error, const QString& what, int status)
{
    *error = QStringLiteral("%1: %2 (%3)").arg(what).arg(status).arg(QString::fromLatin1(gdiErrorMessage(status)));
    return false;
}

/// What a float array becomes when the DevKit converts it by factor and the
/// import copies it into doubles.
QVector<double> convertedFloats(const QVector<float>& values, double factor)
{
    QVector<double> result;
    result.reserve(values.size());
    for (float value : values)
        result.append(factor == 1.0 ? double(value) : double(static_cast<float>(double(value) * factor)));
    return result;
}

/// What a float array becomes when it is copied into doubles and the DevKit converts those by factor.
QVector<double> convertedDoubles(const QVector<float>& values, double factor)
{
    QVector<double> result;
    result.reserve(values.size());
    for (float value : values)
        result.append(factor == 1.0 ? double(value) : double(value) * factor);
    return result;
}

QString firstDifference(const QVector<double>& actual, const QVector<double>& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("%1 values instead of %2").arg(actual.size()).arg(expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        // Bit for bit: the same doubles, not merely close ones.
        if (std::memcmp(&actual[i], &expected[i], sizeof(double)) != 0)
            return QStringLiteral("value %1 is %2 instead of %3")
                .arg(i)
                .arg(actual[i], 0, 'g', 17)
                .arg(expected[i], 0, 'g', 17);
    }
    return QString();
}

const HostWellDatabase::Log* logNamed(const HostWellDatabase& host, int setId, const QString& name)
{
    for (const HostWellDatabase::Log* log : host.logsOf(setId))
        if (log->name == name)
            return log;
    return nullptr;
}

const HostWellDatabase::Set* setNamed(const HostWellDatabase& host, int wellId, const QString& name)
{
    for (const HostWellDatabase::Set* set : host.setsOf(wellId))
        if (set->name == name)
            return set;
    return nullptr;
}

/// Checks one real log of a set: unit, absent value and values (from its data file).
QString checkRealLog(const HostWellDatabase& host, const HostWellDatabase::Set& set, const QString& name,
                     const QString& unit, const QVariant& noValue, const QVector<double>& values)
{
    const HostWellDatabase::Log* log = logNamed(host, set.id, name);
    if (!log)
        return QStringLiteral("set %1 has no log %2").arg(set.name, name);
    if (log->unit != unit)
        return QStringLiteral("log %1 of %2 has unit \"%3\" instead of \"%4\"").arg(name, set.name, log->unit, unit);
    if (noValue.isValid() && (log->noValue.isNull() || log->noValue.toDouble() != noValue.toDouble()))
        return QStringLiteral("log %1 of %2 has the absent value %3 instead of %4")
            .arg(name, set.name, log->noValue.toString(), noValue.toString());
    QVector<double> stored;
    QString error;
    if (!readRealLogFile(QDir(host.folder).filePath(QStringLiteral("LOGDATA_%1").arg(log->id)), &stored, &error))
        return QStringLiteral("log %1 of %2: %3").arg(name, set.name, error);
    const QString difference = firstDifference(stored, values);
    return difference.isEmpty() ? QString() : QStringLiteral("log %1 of %2: %3").arg(name, set.name, difference);
}

} // namespace

QString OpenWorksWell::name() const
{
    return text(header.wellName);
}

bool readOpenWorksWell(const QString& wellKey, OpenWorksWell* well, QString* error)
{
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well->header);
    std::strncpy(well->header.wellKey, wellKey.toLatin1().constData(), sizeof well->header.wellKey - 1);
    int status = gdiRead(GDI_CLASS_WELL, &well->header);
    if (status != 0)
        return failed(error, QStringLiteral("well ") + wellKey, status);

    int count = 0;
    void* list = nullptr;
    status = gdiReadSubset(GDI_CLASS_WELL, &well->header, GDI_CLASS_TIME_DEPTH_TABLE, &count, &list);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("time-depth tables"), status);
    auto* tables = static_cast<gdiTimeDepthTable_t*>(list);
    for (int i = 0; i < count; ++i) {
        status = gdiReadVector(GDI_CLASS_TIME_DEPTH_TABLE, &tables[i]);
        if (status != 0)
            return failed(error, QStringLiteral("time-depth vectors"), status);
        OpenWorksWell::Table table;
        table.id = tables[i].id;
        table.name = text(tables[i].name);
        table.depthType = text(tables[i].depthType);
        table.timeUnit = text(tables[i].timeUnit);
        table.depths = floats(tables[i].depths, tables[i].pointCount);
        table.times = floats(tables[i].times, tables[i].pointCount);
        well->tables.append(table);
    }
    if (list)
        gdiRelease(GDI_CLASS_TIME_DEPTH_TABLE, count, list);

    gdiPreferredTimeDepth_t preferred;
    gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
    std::memcpy(preferred.wellKey, well->header.wellKey, sizeof preferred.wellKey);
    well->hasPreferred = gdiRead(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred) == 0;
    well->preferredTableId = preferred.tableId;

    // Log curve lists and their members, for the list names of each curve.
    QVector<QPair<quint32, QString>> curveLists;
    QSet<QPair<quint32, quint32>> memberships;
    count = 0;
    list = nullptr;
    status = gdiReadSet(GDI_CLASS_LOG_CURVE_LIST, &count, &list);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("log curve lists"), status);
    for (int i = 0; i < count; ++i) {
        const auto& record = static_cast<gdiLogCurveList_t*>(list)[i];
        curveLists.append({record.id, text(record.name)});
    }
    if (list)
        gdiFree(list);
    count = 0;
    list = nullptr;
    status = gdiReadSet(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &count, &list);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("log curve list members"), status);
    for (int i = 0; i < count; ++i) {
        const auto& record = static_cast<gdiLogCurveListMember_t*>(list)[i];
        memberships.insert({record.listId, record.curveId});
    }
    if (list)
        gdiFree(list);

    count = 0;
    list = nullptr;
    status = gdiReadSubset(GDI_CLASS_WELL, &well->header, GDI_CLASS_LOG_CURVE, &count, &list);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("log curves"), status);
    auto* curves = static_cast<gdiLogCurve_t*>(list);
    for (int i = 0; i < count; ++i) {
        status = gdiReadVector(GDI_CLASS_LOG_CURVE, &curves[i]);
        if (status != 0)
            return failed(error, QStringLiteral("log curve vectors"), status);
        OpenWorksWell::Curve curve;
        curve.id = curves[i].id;
        curve.name = text(curves[i].name);
        curve.unit = text(curves[i].unit);
        curve.nullValue = curves[i].nullValue;
        curve.topDepth = curves[i].topDepth;
        curve.bottomDepth = curves[i].bottomDepth;
        curve.depths = floats(curves[i].depths, curves[i].sampleCount);
        curve.values = floats(curves[i].values, curves[i].sampleCount);
        for (const auto& curveList : curveLists)
            if (memberships.contains({curveList.first, curve.id}))
                curve.lists.append(curveList.second);
        well->curves.append(curve);
    }
    if (list)
        gdiRelease(GDI_CLASS_LOG_CURVE, count, list);

    gdiPositionLog_t positionLog;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &positionLog);
    std::memcpy(positionLog.wellKey, well->header.wellKey, sizeof positionLog.wellKey);
    status = gdiRead(GDI_CLASS_POSITION_LOG, &positionLog);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("position log"), status);
    well->hasPositionLog = status == 0;
    if (well->hasPositionLog) {
        status = gdiReadVector(GDI_CLASS_POSITION_LOG, &positionLog);
        if (status != 0)
            return failed(error, QStringLiteral("position log vectors"), status);
        well->tvd = floats(positionLog.tvd, positionLog.pointCount);
        well->xDeviation = floats(positionLog.xDeviation, positionLog.pointCount);
        well->yDeviation = floats(positionLog.yDeviation, positionLog.pointCount);
        gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &positionLog);
    }

    count = 0;
    list = nullptr;
    status = gdiReadSubset(GDI_CLASS_WELL, &well->header, GDI_CLASS_SURFACE_PICK, &count, &list);
    if (status != 0 && status != GDI_NO_DATA)
        return failed(error, QStringLiteral("picks"), status);
    for (int i = 0; i < count; ++i) {
        const auto& record = static_cast<gdiSurfacePick_t*>(list)[i];
        OpenWorksWell::Pick pick;
        pick.name = text(record.surfaceName);
        pick.interpreter = text(record.interpreter);
        pick.topDepth = record.topDepth;
        pick.bottomDepth = record.bottomDepth;
        gdiHorizonParams_t parameters;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &parameters);
        std::memcpy(parameters.name, record.surfaceName, sizeof parameters.name);
        std::memcpy(parameters.interpreter, record.interpreter, sizeof parameters.interpreter);
        pick.hasColour = gdiRead(GDI_CLASS_HORIZON_PARAMS, &parameters) == 0;
        pick.red = parameters.red;
        pick.green = parameters.green;
        pick.blue = parameters.blue;
        well->picks.append(pick);
    }
    if (list)
        gdiRelease(GDI_CLASS_SURFACE_PICK, count, list);
    return true;
}

bool HostWellDatabase::load(const QString& databaseFolder, QString* error)
{
    folder = databaseFolder;
    const QString copy =
        QDir::temp().filePath(QStringLiteral("wellcheck-") + QUuid::createUuid().toString(QUuid::Id128) + ".sql");
    if (!QFile::copy(QDir(databaseFolder).filePath(QStringLiteral("wellQt4Velostrat.sql")), copy)) {
        *error = QStringLiteral("cannot copy the database file of ") + databaseFolder;
        return false;
    }
    const QString connection = QStringLiteral("wellcheck-") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(copy);
        ok = db.open();
        auto select = [&](const QString& statement, const std::function<void(const QSqlQuery&)>& row) {
            if (!ok)
                return;
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                *error = statement + QStringLiteral(": ") + query.lastError().text();
                ok = false;
                return;
            }
            while (query.next())
                row(query);
        };
        select(QStringLiteral("SELECT ID, NAME, XUTM, YUTM, REFSET_ID, KB, KBUnit, UWI, WELLSTATUS, "
                              "OriginalSpatialUnit FROM WELL_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) {
                   Well well;
                   well.id = q.value(0).toInt();
                   well.name = q.value(1).toString();
                   well.x = q.value(2).toDouble();
                   well.y = q.value(3).toDouble();
                   well.refSetId = q.value(4);
                   well.kb = q.value(5).toDouble();
                   well.kbUnit = q.value(6).toInt();
                   well.uwi = q.value(7).toString();
                   well.status = q.value(8);
                   well.originalSpatialUnit = q.value(9);
                   wells.append(well);
               });
        select(QStringLiteral("SELECT ID, NAME, SET_TYPE, WELL_ID, SHIFT_DEPTH, DEPTH1_TYPE, DEPTH2_TYPE, "
                              "DEVIATION_TYPE FROM SET_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) {
                   Set set;
                   set.id = q.value(0).toInt();
                   set.name = q.value(1).toString();
                   set.type = q.value(2).toInt();
                   set.wellId = q.value(3).toInt();
                   set.shiftDepth = q.value(4);
                   set.depth1Type = q.value(5);
                   set.depth2Type = q.value(6);
                   set.deviationType = q.value(7);
                   sets.append(set);
               });
        select(QStringLiteral("SELECT ID, NAME, SET_ID, NOVALUE, UNIT FROM LOG_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) {
                   logs.append(Log{q.value(0).toInt(), q.value(1).toString(), q.value(2).toInt(), q.value(3),
                                   q.value(4).toString()});
               });
        select(QStringLiteral("SELECT ID, NAME, COLOR FROM MARKERINFOS_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) {
                   markerInfos.append(MarkerInfo{q.value(0).toInt(), q.value(1).toString(), q.value(2).toString()});
               });
        select(QStringLiteral("SELECT MARKERINFO_ID, MARKERSET_ID, TOP, BOTTOM FROM MARKERTOPBOTTOM_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) {
                   markers.append(Marker{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toDouble(), q.value(3)});
               });
        select(QStringLiteral("SELECT ID, NAME FROM WELLSET_TABLE"),
               [&](const QSqlQuery& q) { wellSets.insert(q.value(0).toInt(), q.value(1).toString()); });
        select(QStringLiteral("SELECT WELLSET_ID, WELL_ID FROM WELLSETTOWELLSRELATION_TABLE ORDER BY ID"),
               [&](const QSqlQuery& q) { wellSetMembers.append({q.value(0).toInt(), q.value(1).toInt()}); });
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    QFile::remove(copy);
    return ok;
}

QVector<const HostWellDatabase::Well*> HostWellDatabase::wellsNamed(const QString& name) const
{
    QVector<const Well*> result;
    for (const Well& well : wells)
        if (well.name.compare(name, Qt::CaseInsensitive) == 0)
            result.append(&well);
    return result;
}

QVector<const HostWellDatabase::Set*> HostWellDatabase::setsOf(int wellId) const
{
    QVector<const Set*> result;
    for (const Set& set : sets)
        if (set.wellId == wellId)
            result.append(&set);
    return result;
}

QVector<const HostWellDatabase::Log*> HostWellDatabase::logsOf(int setId) const
{
    QVector<const Log*> result;
    for (const Log& log : logs)
        if (log.setId == setId)
            result.append(&log);
    return result;
}

QStringList HostWellDatabase::logDataFiles() const
{
    return QDir(folder).entryList({QStringLiteral("LOGDATA_*")}, QDir::Files, QDir::Name);
}

bool readRealLogFile(const QString& path, QVector<double>* values, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 8) {
        *error = QStringLiteral("%1 is %2 bytes long").arg(path).arg(bytes.size());
        return false;
    }
    const quint32 count = qFromLittleEndian<quint32>(bytes.constData());
    const quint32 kind = qFromLittleEndian<quint32>(bytes.constData() + 4);
    if (kind != 2) {
        *error = QStringLiteral("%1 holds values of kind %2").arg(path).arg(kind);
        return false;
    }
    if (qint64(bytes.size()) != 8 + 8 * qint64(count)) {
        *error = QStringLiteral("%1 is %2 bytes long for %3 values").arg(path).arg(bytes.size()).arg(count);
        return false;
    }
    values->resize(int(count));
    for (quint32 i = 0; i < count; ++i) {
        const quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + 8 + 8 * i);
        std::memcpy(&(*values)[int(i)], &bits, sizeof(double));
    }
    return true;
}

bool readTextLogFile(const QString& path, QStringList* values, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 8 || qFromLittleEndian<quint32>(bytes.constData() + 4) != 3) {
        *error = path + QStringLiteral(" is not a text log file");
        return false;
    }
    const quint32 count = qFromLittleEndian<quint32>(bytes.constData());
    int offset = 8;
    values->clear();
    for (quint32 i = 0; i < count; ++i) {
        if (offset + 4 > bytes.size()) {
            *error = path + QStringLiteral(" is short");
            return false;
        }
        const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + offset);
        offset += 4;
        if (offset + int(length) > bytes.size()) {
            *error = path + QStringLiteral(" is short");
            return false;
        }
        values->append(QString::fromUtf8(bytes.constData() + offset, int(length)));
        offset += int(length);
    }
    if (offset != bytes.size()) {
        *error = path + QStringLiteral(" has bytes after its values");
        return false;
    }
    return true;
}

int expectedStatusCode(const QString& status)
{
    static const QMap<QString, int> codes{{"OIL", 6},         {"GAS", 8},        {"DRY HOLE", 2},
                                          {"UNKNOWN", 0},     {"PLUGGED OIL", 27}, {"SHUT-IN GAS", 29},
                                          {"CONDENSATE", 13}, {"ABANDONED", 22}, {"OIL & GAS", 10},
                                          {"DRY HOLE W/ GAS SHOW", 3}};
    return codes.value(status, 0);
}

QString compareWell(const OpenWorksWell& ow, const HostWellDatabase& host, const QString& wellList,
                    const ExpectedUnits& units)
{
    const QVector<const HostWellDatabase::Well*> named = host.wellsNamed(ow.name());
    if (named.size() != 1)
        return QStringLiteral("%1 wells named %2").arg(named.size()).arg(ow.name());
    const HostWellDatabase::Well& well = *named.first();
    const QString label = ow.name() + QStringLiteral(": ");

    // Header.
    if (well.name != ow.name())
        return label + QStringLiteral("named %1").arg(well.name);
    if (well.uwi != text(ow.header.uwi))
        return label + QStringLiteral("UWI %1").arg(well.uwi);
    const double x = units.xyFactor == 1.0 ? ow.header.x : ow.header.x * units.xyFactor;
    const double y = units.xyFactor == 1.0 ? ow.header.y : ow.header.y * units.xyFactor;
    if (well.x != x || well.y != y)
        return label + QStringLiteral("X/Y %1 %2 instead of %3 %4")
                           .arg(well.x, 0, 'g', 17)
                           .arg(well.y, 0, 'g', 17)
                           .arg(x, 0, 'g', 17)
                           .arg(y, 0, 'g', 17);
    const bool kellyBushing = std::memcmp(ow.header.elevationRef, "KB", 3) == 0;
    const double kb = kellyBushing ? 0.0
                      : units.elevationFactor == 1.0 ? double(ow.header.elevation)
                                                     : double(ow.header.elevation) * units.elevationFactor;
    if (well.kb != kb)
        return label + QStringLiteral("KB %1 instead of %2").arg(well.kb, 0, 'g', 17).arg(kb, 0, 'g', 17);
    if (well.kbUnit != units.hostDepthUnitIndex)
        return label + QStringLiteral("KB unit %1").arg(well.kbUnit);
    if (well.status.toInt() != expectedStatusCode(text(ow.header.status)))
        return label + QStringLiteral("status %1 for \"%2\"").arg(well.status.toString(), text(ow.header.status));
    if (well.originalSpatialUnit.toInt() != units.originalSpatialUnit)
        return label + QStringLiteral("original spatial unit %1").arg(well.originalSpatialUnit.toString());
    bool inList = false;
    for (const auto& member : host.wellSetMembers)
        inList = inList || (member.second == well.id && host.wellSets.value(member.first) == wellList);
    if (!inList)
        return label + QStringLiteral("not in the well set %1").arg(wellList);

    // Time-depth tables: one reference set per table name, the tables with a
    // time unit that does not convert left out.
    QStringList expectedSets;
    QString currentSet;
    for (const OpenWorksWell::Table& table : ow.tables) {
        if (!units.timeFactors.contains(table.timeUnit))
            continue;
        if (!expectedSets.contains(table.name))
            expectedSets.append(table.name);
        if (currentSet.isEmpty())
            currentSet = table.name;
    }
    for (const OpenWorksWell::Table& table : ow.tables)
        if (ow.hasPreferred && table.id == ow.preferredTableId && units.timeFactors.contains(table.timeUnit))
            currentSet = table.name;
    for (const OpenWorksWell::Table& table : ow.tables) {
        if (!units.timeFactors.contains(table.timeUnit))
            continue;
        const HostWellDatabase::Set* set = setNamed(host, well.id, table.name);
        if (!set || set->type != 1)
            return label + QStringLiteral("no reference set %1").arg(table.name);
        const int depth1 = table.depthType == "MD" ? 3 : table.depthType == "TVDBTDD" ? 2 : 0;
        const QString depthLog = depth1 == 3 ? "LogMDRefSet" : depth1 == 2 ? "LogTVDRefSet" : "";
        if (set->depth1Type.toInt() != depth1 || set->depth2Type.toInt() != 1)
            return label + QStringLiteral("reference set %1 has depth types %2 %3")
                               .arg(table.name, set->depth1Type.toString(), set->depth2Type.toString());
        QString difference =
            checkRealLog(host, *set, QStringLiteral("LogTWTRefset"), QStringLiteral("Millisecond"), -9999.0,
                         convertedFloats(table.times, units.timeFactors.value(table.timeUnit)));
        if (difference.isEmpty())
            difference = checkRealLog(host, *set, depthLog, units.hostDepthUnit, -9999.0,
                                      convertedFloats(table.depths, units.depthFactor));
        if (!difference.isEmpty())
            return label + difference;
    }

    // Trajectory.
    const bool vertical = !ow.hasPositionLog && !ow.curves.isEmpty();
    QString trajectorySet;
    if (ow.hasPositionLog || vertical) {
        trajectorySet = currentSet.isEmpty() ? QStringLiteral("TZ_Deviation") : currentSet;
        if (currentSet.isEmpty()) {
            expectedSets.append(trajectorySet);
            currentSet = trajectorySet;
        }
        QVector<double> tvd, dx, dy;
        if (ow.hasPositionLog) {
            tvd = convertedDoubles(ow.tvd, units.depthFactor);
            dx = convertedDoubles(ow.xDeviation, 1.0);
            dy = convertedDoubles(ow.yDeviation, 1.0);
        } else {
            float top = std::numeric_limits<float>::max();
            float bottom = std::numeric_limits<float>::lowest();
            for (const OpenWorksWell::Curve& curve : ow.curves) {
                top = std::min(top, curve.topDepth);
                bottom = std::max(bottom, curve.bottomDepth);
            }
            tvd = convertedDoubles({top, bottom}, units.depthFactor);
            dx = dy = {0.0, 0.0};
        }
        const HostWellDatabase::Set* set = setNamed(host, well.id, trajectorySet);
        if (!set)
            return label + QStringLiteral("no trajectory set %1").arg(trajectorySet);
        if (trajectorySet == QLatin1String("TZ_Deviation") && set->depth2Type.toInt() != 2)
            return label + QStringLiteral("TZ_Deviation has DEPTH2_TYPE %1").arg(set->depth2Type.toString());
        if (set->shiftDepth.toDouble() != tvd.value(0))
            return label + QStringLiteral("depth shift %1").arg(set->shiftDepth.toString());
        if (set->deviationType.toInt() != 1)
            return label + QStringLiteral("deviation type %1").arg(set->deviationType.toString());
        // A vertical trajectory reaches every reference set; one from a position log its own.
        QStringList withTrajectory{trajectorySet};
        if (vertical)
            withTrajectory = expectedSets;
        const QVariant absent = ow.hasPositionLog ? QVariant(-9999.0) : QVariant();
        for (const QString& name : withTrajectory) {
            const HostWellDatabase::Set* holder = setNamed(host, well.id, name);
            QString difference = checkRealLog(host, *holder, "LogTVDXY", units.hostDepthUnit, absent, tvd);
            if (difference.isEmpty())
                difference = checkRealLog(host, *holder, "LogDevX", units.hostXyUnit, absent, dx);
            if (difference.isEmpty())
                difference = checkRealLog(host, *holder, "LogDevY", units.hostXyUnit, absent, dy);
            if (!difference.isEmpty())
                return label + difference;
        }
    }
    for (const HostWellDatabase::Set* set : host.setsOf(well.id)) {
        if (set->type == 1 && !expectedSets.contains(set->name))
            return label + QStringLiteral("unexpected reference set %1").arg(set->name);
        if (set->type == 1 && !trajectorySet.isEmpty() && !(vertical || set->name == trajectorySet)
            && logNamed(host, set->id, "LogTVDXY"))
            return label + QStringLiteral("reference set %1 holds a trajectory").arg(set->name);
    }
    const HostWellDatabase::Set* current = currentSet.isEmpty() ? nullptr : setNamed(host, well.id, currentSet);
    if ((current ? QVariant(current->id) : QVariant()).toInt() != well.refSetId.toInt()
        || well.refSetId.isNull() != (current == nullptr))
        return label + QStringLiteral("current reference set %1 instead of %2").arg(well.refSetId.toString(), currentSet);

    // Log curves: one log set per list (or per unlisted curve); its "MD" log
    // holds the depths of its first curve.
    QMap<QString, int> curvesPerSet;
    for (const OpenWorksWell::Curve& curve : ow.curves) {
        const QString setName = curve.lists.isEmpty() ? QStringLiteral("LogSet_") + curve.name : curve.lists.first();
        const HostWellDatabase::Set* set = setNamed(host, well.id, setName);
        if (!set || set->type != 3)
            return label + QStringLiteral("no log set %1").arg(setName);
        if (curvesPerSet.value(setName) == 0) {
            const QString difference = checkRealLog(host, *set, QStringLiteral("MD"), units.hostDepthUnit,
                                                    curve.nullValue, convertedFloats(curve.depths, units.depthFactor));
            if (!difference.isEmpty())
                return label + difference;
        }
        curvesPerSet[setName] += 1;
        const QString difference =
            checkRealLog(host, *set, curve.name, curve.unit == QLatin1String("UNKNOWN") ? QString() : curve.unit,
                         curve.nullValue, convertedFloats(curve.values, 1.0));
        if (!difference.isEmpty())
            return label + difference;
    }
    for (auto it = curvesPerSet.constBegin(); it != curvesPerSet.constEnd(); ++it) {
        const HostWellDatabase::Set* set = setNamed(host, well.id, it.key());
        if (host.logsOf(set->id).size() != it.value() + 1)
            return label + QStringLiteral("log set %1 holds %2 logs for %3 curves")
                               .arg(it.key())
                               .arg(host.logsOf(set->id).size())
                               .arg(it.value());
    }
    int logSets = 0;
    for (const HostWellDatabase::Set* set : host.setsOf(well.id))
        logSets += set->type == 3 ? 1 : 0;
    if (logSets != curvesPerSet.size())
        return label + QStringLiteral("%1 log sets instead of %2").arg(logSets).arg(curvesPerSet.size());

    // Picks: the marker set "Markers" with its three logs and one marker per pick.
    const HostWellDatabase::Set* markers = setNamed(host, well.id, QStringLiteral("Markers"));
    if (ow.picks.isEmpty() != (markers == nullptr))
        return label + (markers ? QStringLiteral("a marker set without picks") : QStringLiteral("no marker set"));
    if (markers) {
        if (markers->type != 2)
            return label + QStringLiteral("Markers is of type %1").arg(markers->type);
        QStringList names;
        QVector<float> tops, bottoms;
        for (const OpenWorksWell::Pick& pick : ow.picks) {
            names.append(pick.name);
            tops.append(pick.topDepth);
            bottoms.append(pick.bottomDepth);
        }
        QString difference = checkRealLog(host, *markers, QStringLiteral("LogTopMarkerSet"), units.hostDepthUnit,
                                          QVariant(), convertedDoubles(tops, units.depthFactor));
        if (difference.isEmpty())
            difference = checkRealLog(host, *markers, QStringLiteral("LogBottomMarkerSet"), units.hostDepthUnit,
                                      QVariant(), convertedDoubles(bottoms, units.depthFactor));
        if (!difference.isEmpty())
            return label + difference;
        const HostWellDatabase::Log* nameLog = logNamed(host, markers->id, QStringLiteral("LogNameMarkerSet"));
        QStringList storedNames;
        QString error;
        if (!nameLog
            || !readTextLogFile(QDir(host.folder).filePath(QStringLiteral("LOGDATA_%1").arg(nameLog->id)),
                                &storedNames, &error))
            return label + QStringLiteral("marker names: ") + error;
        if (storedNames != names)
            return label + QStringLiteral("marker names %1").arg(storedNames.join(", "));
        QVector<HostWellDatabase::Marker> ofSet;
        for (const HostWellDatabase::Marker& marker : host.markers)
            if (marker.setId == markers->id)
                ofSet.append(marker);
        if (ofSet.size() != ow.picks.size())
            return label + QStringLiteral("%1 markers for %2 picks").arg(ofSet.size()).arg(ow.picks.size());
        for (int i = 0; i < ow.picks.size(); ++i) {
            const OpenWorksWell::Pick& pick = ow.picks[i];
            const HostWellDatabase::MarkerInfo* info = nullptr;
            for (const HostWellDatabase::MarkerInfo& candidate : host.markerInfos)
                if (candidate.name == pick.name.trimmed())
                    info = &candidate;
            if (!info || ofSet[i].infoId != info->id)
                return label + QStringLiteral("marker %1 has no marker info").arg(pick.name);
            if (ofSet[i].top != convertedDoubles({pick.topDepth}, units.depthFactor).first())
                return label + QStringLiteral("marker %1 top %2").arg(pick.name).arg(ofSet[i].top);
            // The colour of a name is the first one read for it.
            for (const OpenWorksWell::Pick& first : ow.picks) {
                if (first.name != pick.name || !first.hasColour)
                    continue;
                const QString colour = QStringLiteral("#%1%2%3")
                                           .arg(first.red, 2, 16, QLatin1Char('0'))
                                           .arg(first.green, 2, 16, QLatin1Char('0'))
                                           .arg(first.blue, 2, 16, QLatin1Char('0'));
                if (info->colour != colour)
                    return label + QStringLiteral("marker %1 colour %2 instead of %3").arg(pick.name, info->colour, colour);
                break;
            }
        }
    }
    const int expectedSetCount = expectedSets.size() + curvesPerSet.size() + (markers ? 1 : 0);
    if (host.setsOf(well.id).size() != expectedSetCount)
        return label + QStringLiteral("%1 sets instead of %2").arg(host.setsOf(well.id).size()).arg(expectedSetCount);
    return QString();
}
