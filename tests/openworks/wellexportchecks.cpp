#include "wellexportchecks.h"

#include "owdevkit.h"

#include <QDir>

#include <cmath>
#include <cstring>

namespace
{

template <size_t N>
QString text(const char (&field)[N])
{
    return QString::fromLatin1(field, int(strnlen(field, N)));
}

/// What a host status code comes back as after an export and an import: the
/// export writes the OpenWorks text of its code, the import reads back the
/// code of that text.
int statusAfterRoundTrip(int code)
{
    static const QMap<int, int> lossy{{5, 2},   {7, 6},   {9, 8},   {15, 14}, {16, 14}, {17, 14}, {18, 0},
                                      {19, 0},  {20, 0},  {21, 0},  {23, 0},  {24, 0},  {25, 0},  {26, 0},
                                      {28, 27}, {30, 29}, {35, 0},  {36, 0},  {37, 0},  {38, 0},  {39, 0},
                                      {40, 0},  {41, 0},  {42, 0},  {43, 0}};
    return lossy.value(code, code);
}

QString cut(const QString& value, int characters)
{
    return value.left(characters);
}

/// a and b equal: bit for bit when exact, else within single precision.
bool same(double a, double b, bool exact)
{
    if (exact)
        return std::memcmp(&a, &b, sizeof a) == 0;
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

QString compareValues(const QString& what, const QVector<double>& second, const QVector<double>& first,
                      double factor, bool exact)
{
    if (second.size() != first.size())
        return QStringLiteral("%1: %2 values instead of %3").arg(what).arg(second.size()).arg(first.size());
    for (int i = 0; i < first.size(); ++i) {
        const double expected = factor == 1.0 ? first[i] : first[i] * factor;
        if (!same(second[i], expected, exact))
            return QStringLiteral("%1: value %2 is %3 instead of %4")
                .arg(what)
                .arg(i)
                .arg(second[i], 0, 'g', 17)
                .arg(expected, 0, 'g', 17);
    }
    return QString();
}

} // namespace

const HostWellSnapshot::Log* HostWellSnapshot::Set::log(const QString& logName) const
{
    for (const Log& entry : logs)
        if (entry.name == logName)
            return &entry;
    return nullptr;
}

QVector<const HostWellSnapshot::Log*> HostWellSnapshot::Set::curves() const
{
    QVector<const Log*> result;
    for (const Log& entry : logs)
        if (entry.name != QLatin1String("MD"))
            result.append(&entry);
    return result;
}

const HostWellSnapshot::Set* HostWellSnapshot::set(const QString& setName) const
{
    for (const Set& entry : sets)
        if (entry.name == setName)
            return &entry;
    return nullptr;
}

QVector<const HostWellSnapshot::Set*> HostWellSnapshot::setsOfType(int type) const
{
    QVector<const Set*> result;
    for (const Set& entry : sets)
        if (entry.type == type)
            result.append(&entry);
    return result;
}

const HostWellSnapshot::Set* HostWellSnapshot::trajectorySet() const
{
    const Set* current = set(currentRefSet);
    if (current && current->type == 1 && current->log(QStringLiteral("LogTVDXY")))
        return current;
    for (const Set* entry : setsOfType(1))
        if (entry->log(QStringLiteral("LogTVDXY")))
            return entry;
    return nullptr;
}

bool readHostWells(const QString& folder, QMap<QString, HostWellSnapshot>* wells, QString* error)
{
    HostWellDatabase host;
    if (!host.load(folder, error))
        return false;
    wells->clear();
    for (const HostWellDatabase::Well& row : host.wells) {
        HostWellSnapshot well;
        well.id = row.id;
        well.name = row.name;
        well.uwi = row.uwi;
        well.x = row.x;
        well.y = row.y;
        well.kb = row.kb;
        well.kbUnit = row.kbUnit;
        well.status = row.status.toInt();
        for (const auto& member : host.wellSetMembers)
            if (member.second == row.id)
                well.wellSets.append(host.wellSets.value(member.first));
        for (const HostWellDatabase::Set* setRow : host.setsOf(row.id)) {
            HostWellSnapshot::Set set;
            set.name = setRow->name;
            set.type = setRow->type;
            set.depth1Type = setRow->depth1Type;
            set.depth2Type = setRow->depth2Type;
            if (!row.refSetId.isNull() && row.refSetId.toInt() == setRow->id)
                well.currentRefSet = setRow->name;
            for (const HostWellDatabase::Log* logRow : host.logsOf(setRow->id)) {
                HostWellSnapshot::Log log;
                log.name = logRow->name;
                log.unit = logRow->unit;
                log.noValue = logRow->noValue;
                const QString path = QDir(folder).filePath(QStringLiteral("LOGDATA_%1").arg(logRow->id));
                QString readError;
                if (!readRealLogFile(path, &log.values, &readError) && !readTextLogFile(path, &log.texts, error)) {
                    *error = QStringLiteral("%1, log %2 of %3: %4").arg(row.name, logRow->name, setRow->name, readError);
                    return false;
                }
                set.logs.append(log);
            }
            if (set.type == 2) {
                for (const HostWellDatabase::MarkerInfo& info : host.markerInfos) {
                    if (const HostWellSnapshot::Log* names = set.log(QStringLiteral("LogNameMarkerSet"))) {
                        if (names->texts.contains(info.name))
                            well.markerColours.insert(info.name, info.colour);
                    }
                }
            }
            well.sets.append(set);
        }
        wells->insert(well.name, well);
    }
    return true;
}

QString compareRoundTrip(const HostWellSnapshot& first, const HostWellSnapshot& second, const RoundTripUnits& units)
{
    const bool exact = units.depthFactor == 1.0 && units.deviationFactor == 1.0 && units.xyFactor == 1.0;
    const QString label = first.name + QStringLiteral(": ");

    // Header.
    if (second.name != first.name)
        return label + QStringLiteral("named %1").arg(second.name);
    const QString uwi = cut(first.uwi.isEmpty() ? first.name : first.uwi, 26);
    if (second.uwi != uwi)
        return label + QStringLiteral("UWI \"%1\" instead of \"%2\"").arg(second.uwi, uwi);
    const double x = exact ? double(float(first.x)) : first.x * units.xyFactor;
    const double y = exact ? double(float(first.y)) : first.y * units.xyFactor;
    // X/Y went through single precision in the project's unit.
    const auto closeXy = [&](double a, double b) {
        return exact ? a == b : std::fabs(a - b) <= 2.5e-7 * std::max(1.0, std::fabs(b));
    };
    if (!closeXy(second.x, x) || !closeXy(second.y, y))
        return label + QStringLiteral("X/Y %1 %2 instead of %3 %4")
                           .arg(second.x, 0, 'g', 17)
                           .arg(second.y, 0, 'g', 17)
                           .arg(x, 0, 'g', 17)
                           .arg(y, 0, 'g', 17);
    if (second.kb != 0.0)
        return label + QStringLiteral("KB %1 instead of 0 (a \"KB\" reference)").arg(second.kb);
    if (second.status != statusAfterRoundTrip(first.status))
        return label + QStringLiteral("status %1 instead of %2").arg(second.status).arg(statusAfterRoundTrip(first.status));

    // Time-depth reference sets of MD or TVDBTDD depths come back with both logs.
    for (const HostWellSnapshot::Set* set : first.setsOfType(1)) {
        const HostWellSnapshot::Log* time = set->log(QStringLiteral("LogTWTRefset"));
        const int depth1 = set->depth1Type.toInt();
        const HostWellSnapshot::Log* depth =
            set->log(depth1 == 3 ? QStringLiteral("LogMDRefSet") : QStringLiteral("LogTVDRefSet"));
        if (!time || (depth1 != 3 && depth1 != 2) || !depth) {
            if (time && second.set(cut(set->name, 50)) && second.set(cut(set->name, 50))->log(QStringLiteral("LogTWTRefset")))
                return label + QStringLiteral("reference set %1 came back, though its depths are neither MD nor TVDBTDD")
                                   .arg(set->name);
            continue;
        }
        const HostWellSnapshot::Set* back = second.set(cut(set->name, 50));
        if (!back || back->type != 1)
            return label + QStringLiteral("no reference set %1").arg(set->name);
        if (back->depth1Type.toInt() != depth1 || back->depth2Type.toInt() != 1)
            return label + QStringLiteral("reference set %1 has depth types %2 %3")
                               .arg(set->name, back->depth1Type.toString(), back->depth2Type.toString());
        const HostWellSnapshot::Log* backTime = back->log(QStringLiteral("LogTWTRefset"));
        const HostWellSnapshot::Log* backDepth = back->log(depth->name);
        if (!backTime || !backDepth)
            return label + QStringLiteral("reference set %1 lacks a log").arg(set->name);
        QString difference = compareValues(QStringLiteral("times of %1").arg(set->name), backTime->values,
                                           time->values, 1.0, exact);
        if (difference.isEmpty())
            difference = compareValues(QStringLiteral("depths of %1").arg(set->name), backDepth->values,
                                       depth->values, units.depthFactor, exact);
        if (!difference.isEmpty())
            return label + difference;
        if (first.currentRefSet == set->name && second.currentRefSet != back->name)
            return label + QStringLiteral("current reference set %1 instead of %2").arg(second.currentRefSet, back->name);
    }

    // Trajectory.
    const HostWellSnapshot::Set* trajectory = first.trajectorySet();
    const HostWellSnapshot::Set* backTrajectory = second.trajectorySet();
    if (bool(trajectory) != bool(backTrajectory))
        return label + (trajectory ? QStringLiteral("the trajectory is gone") : QStringLiteral("a trajectory appeared"));
    if (trajectory) {
        QString difference;
        for (const char* name : {"LogTVDXY", "LogDevX", "LogDevY"}) {
            const HostWellSnapshot::Log* log = trajectory->log(QString::fromLatin1(name));
            const HostWellSnapshot::Log* back = backTrajectory->log(QString::fromLatin1(name));
            if (!log || !back)
                return label + QStringLiteral("trajectory log %1 missing").arg(QString::fromLatin1(name));
            const double factor = QLatin1String(name) == QLatin1String("LogTVDXY") ? units.depthFactor
                                                                                      : units.deviationFactor;
            difference = compareValues(QStringLiteral("trajectory %1").arg(QString::fromLatin1(name)), back->values,
                                       log->values, factor, exact);
            if (!difference.isEmpty())
                return label + difference;
        }
    }

    // Log sets: every log comes back, named after its set.
    for (const HostWellSnapshot::Set* set : first.setsOfType(3)) {
        const HostWellSnapshot::Log* md = set->log(QStringLiteral("MD"));
        const QVector<const HostWellSnapshot::Log*> curves = set->curves();
        if (!md || curves.isEmpty())
            continue;
        const HostWellSnapshot::Set* back = second.set(set->name);
        if (!back || back->type != 3)
            return label + QStringLiteral("no log set %1").arg(set->name);
        const QVector<const HostWellSnapshot::Log*> backCurves = back->curves();
        if (backCurves.size() != curves.size())
            return label + QStringLiteral("log set %1 has %2 logs instead of %3")
                               .arg(set->name)
                               .arg(backCurves.size())
                               .arg(curves.size());
        for (int i = 0; i < curves.size(); ++i) {
            const HostWellSnapshot::Log& log = *curves[i];
            const HostWellSnapshot::Log& backLog = *backCurves[i];
            if (backLog.name != cut(set->name, 25))
                return label + QStringLiteral("log %1 of %2 came back as %3").arg(log.name, set->name, backLog.name);
            if (backLog.unit != log.unit || backLog.noValue != log.noValue)
                return label + QStringLiteral("log %1 of %2 has unit \"%3\" and absent value %4")
                                   .arg(log.name, set->name, backLog.unit, backLog.noValue.toString());
            const QVector<double> expected = log.values.mid(0, std::min(log.values.size(), md->values.size()));
            const QString difference =
                compareValues(QStringLiteral("log %1 of %2").arg(log.name, set->name), backLog.values, expected, 1.0,
                              true);
            if (!difference.isEmpty())
                return label + difference;
        }
        const HostWellSnapshot::Log* backMd = back->log(QStringLiteral("MD"));
        const int firstCount = std::min(curves.first()->values.size(), md->values.size());
        const QString difference = compareValues(QStringLiteral("MD of %1").arg(set->name),
                                                 backMd ? backMd->values : QVector<double>(),
                                                 md->values.mid(0, firstCount), units.depthFactor, exact);
        if (!difference.isEmpty())
            return label + difference;
    }

    // Markers.
    const HostWellSnapshot::Set* markers = first.set(QStringLiteral("Markers"));
    const HostWellSnapshot::Set* backMarkers = second.set(QStringLiteral("Markers"));
    if (markers && markers->log(QStringLiteral("LogNameMarkerSet"))
        && !markers->log(QStringLiteral("LogNameMarkerSet"))->texts.isEmpty()) {
        if (!backMarkers)
            return label + QStringLiteral("no markers");
        for (const char* name : {"LogNameMarkerSet", "LogTopMarkerSet", "LogBottomMarkerSet"}) {
            const HostWellSnapshot::Log* log = markers->log(QString::fromLatin1(name));
            const HostWellSnapshot::Log* back = backMarkers->log(QString::fromLatin1(name));
            if (!log || !back)
                return label + QStringLiteral("marker log %1 missing").arg(QString::fromLatin1(name));
            if (back->texts != log->texts)
                return label + QStringLiteral("marker names %1 instead of %2")
                                   .arg(back->texts.join(", "), log->texts.join(", "));
            const QString difference = compareValues(QString::fromLatin1(name), back->values, log->values,
                                                     units.depthFactor, exact);
            if (!difference.isEmpty())
                return label + difference;
        }
        if (second.markerColours != first.markerColours)
            return label + QStringLiteral("marker colours differ");
    }
    return QString();
}

int recordCount(int classId)
{
    int count = 0;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &count, &list);
    if (list)
        gdiFree(list);
    return status == 0 ? count : 0;
}

QMap<int, int> wellExportRecordCounts()
{
    QMap<int, int> counts;
    for (int classId : {GDI_CLASS_WELL, GDI_CLASS_POSITION_LOG, GDI_CLASS_TIME_DEPTH_TABLE,
                        GDI_CLASS_PREFERRED_TIME_DEPTH, GDI_CLASS_LOG_CURVE, GDI_CLASS_LOG_CURVE_LIST_MEMBER,
                        GDI_CLASS_LOG_CURVE_LIST, GDI_CLASS_SURFACE, GDI_CLASS_HORIZON_PARAMS, GDI_CLASS_SURFACE_PICK,
                        GDI_CLASS_WELL_LIST_MEMBER, GDI_CLASS_WELL_LIST})
        counts.insert(classId, recordCount(classId));
    return counts;
}

QStringList wellKeysOfList(const QString& listName)
{
    QStringList keys;
    int count = 0;
    void* list = nullptr;
    if (gdiReadSet(GDI_CLASS_WELL_LIST, &count, &list) != 0)
        return keys;
    const auto* lists = static_cast<const gdiWellList_t*>(list);
    for (int i = 0; i < count; ++i) {
        if (text(lists[i].name) != listName)
            continue;
        int wells = 0;
        void* members = nullptr;
        if (gdiReadSubset(GDI_CLASS_WELL_LIST, &lists[i], GDI_CLASS_WELL, &wells, &members) == 0) {
            const auto* records = static_cast<const gdiWell_t*>(members);
            for (int w = 0; w < wells; ++w)
                keys.append(text(records[w].wellKey));
        }
        if (members)
            gdiFree(members);
    }
    gdiFree(list);
    return keys;
}

int countOfListsNamed(const QString& name)
{
    int count = 0;
    void* list = nullptr;
    if (gdiReadSet(GDI_CLASS_WELL_LIST, &count, &list) != 0)
        return 0;
    int named = 0;
    for (int i = 0; i < count; ++i)
        named += text(static_cast<const gdiWellList_t*>(list)[i].name) == name ? 1 : 0;
    gdiFree(list);
    return named;
}
