#include "zrwellexportdata.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owunitresolution.h"
#include "unittable.h"
#include "zrlogdatabase.h"
#include "zrtransferreport.h"
#include "zrwellimport.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr int ElevationType = 58;
constexpr int XyType = 2004;
constexpr int DepthType = 1001;

struct StatusText
{
    int first;
    int last;
    const char* text;
};

const StatusText kStatusTexts[] = {
    {0, 0, "UNKNOWN"},
    {1, 1, "LOCATION"},
    {2, 2, "DRY HOLE"},
    {3, 3, "DRY HOLE W/ GAS SHOW"},
    {4, 4, "DRY HOLE W/ OIL SHOW"},
    {5, 5, "DRY HOLE"},
    {6, 7, "OIL"},
    {8, 9, "GAS"},
    {10, 10, "OIL & GAS"},
    {11, 11, "GAS W/ OIL SHOW"},
    {12, 12, "OIL W/ GAS SHOW"},
    {13, 13, "CONDENSATE"},
    {14, 17, "INJECTOR - DRILLED"},
    {18, 21, "UNKNOWN"},
    {22, 22, "ABANDONED"},
    {23, 26, "UNKNOWN"},
    {27, 28, "PLUGGED OIL"},
    {29, 30, "PLUGGED GAS"},
    {31, 31, "PLUGGED OIL & GAS"},
    {32, 32, "PLUGGED GAS W/ OIL SHOW"},
    {33, 33, "PLUGGED OIL W/ GAS SHOW"},
    {34, 34, "SHUT-IN CONDENSATE"},
    {35, 43, "UNKNOWN"},
};

QString unitName(int owUnit)
{
    return georef::openWorksUnitName(owUnit);
}

/// The OpenWorks unit of a host unit text of the given kind (1 time, 2
/// length); fallback when the text names no host unit of that kind.
int openWorksUnitOfText(const QString& text, int kind, int fallback)
{
    const int hostUnit = UnitTable::unitFromName(text);
    const UnitInfo* info = UnitTable::info(hostUnit);
    if (!info || info->kind != kind)
        return fallback;
    const int owUnit = georef::openWorksIdForHostUnit(hostUnit);
    return owUnit > 0 ? owUnit : fallback;
}

/// The conversions of one well: factors asked of the DevKit once per pair of
/// units, applied to the values, and recorded for the report.
class Conversions
{
public:
    explicit Conversions(WellExportData* data)
        : m_data(data)
    {
    }

    /// The factor from one unit to another (1 for the same unit); 0 with
    /// *status set when the DevKit cannot convert.
    double factor(int from, int to, int* status)
    {
        *status = 0;
        if (from == to)
            return 1.0;
        const auto key = qMakePair(from, to);
        const auto found = m_factors.constFind(key);
        if (found != m_factors.constEnd())
            return *found;
        double value = 1.0;
        const int one = 1;
        untConvert(from, to, &one, &value, status);
        if (*status != 0)
            return 0.0;
        m_factors.insert(key, value);
        return value;
    }

    /// Records a conversion of one quantity; false (with the DevKit status in
    /// *status) when the units cannot be converted.
    bool record(const QString& quantity, int from, int to, const QString& hostUnit, double* factorOut, int* status)
    {
        *factorOut = factor(from, to, status);
        if (*status != 0)
            return false;
        m_data->units.append(ZRTransferReport::unitEntry(quantity, from, unitName(from), to, unitName(to), *factorOut,
                                                         hostUnit));
        return true;
    }

private:
    WellExportData* m_data;
    QHash<QPair<int, int>, double> m_factors;
};

/// The values of a real log, or false.
bool realValues(const ZRLogDatabase& database, const ZRLog* log, QVector<double>* values)
{
    return log && database.getLogData(log, *values);
}

/// A value rounded to single precision. The rounding goes through memory:
/// GCC 12 at -O3 folds double(float(a * b)) into a * b when it pairs two such
/// expressions into one vector multiplication.
double throughSinglePrecision(double value)
{
    volatile float single = float(value);
    return double(single);
}

/// values * factor as floats (the DevKit's vectors).
QVector<float> scaled(const QVector<double>& values, double factor, int count = -1)
{
    const int size = count < 0 ? values.size() : std::min(count, values.size());
    QVector<float> result(size);
    const double* in = values.constData();
    float* out = result.data();
    if (factor == 1.0) {
        for (int i = 0; i < size; ++i)
            out[i] = float(in[i]);
    } else {
        for (int i = 0; i < size; ++i)
            out[i] = float(in[i] * factor);
    }
    return result;
}

class Reader
{
public:
    Reader(const ZRLogDatabase& database, const ZRWell& well, const WellExportUnits& units, WellExportData* data,
           QStringList* messages, ZRReportedItem* reported)
        : m_database(database)
        , m_well(well)
        , m_units(units)
        , m_data(data)
        , m_messages(messages)
        , m_reported(reported)
        , m_conversions(data)
    {
    }

    int read()
    {
        int status = readHeader();
        if (status == 0)
            status = readTrajectory();
        if (status == 0)
            status = readTables();
        if (status == 0)
            status = readLogs();
        if (status == 0)
            status = readMarkers();
        if (status == 0)
            m_data->totalDepth = totalDepth();
        return status;
    }

private:
    void addMessage(const QString& text)
    {
        m_messages->append(text);
        if (m_reported)
            m_reported->recordMessage(text);
    }

    int conversionFailed(const QString& quantity, int from, int to, int status)
    {
        addMessage(QStringLiteral("Unable to convert the %1 of well %2 from %3 to %4: %5")
                       .arg(quantity, m_well.name(), unitName(from), unitName(to), owErrorText(status)));
        return status;
    }

    int readHeader()
    {
        WellExportData& data = *m_data;
        data.wellId = m_well.id();
        data.name = m_well.name();
        data.uwi = m_well.uwi();
        data.identifier = openWorksWellIdentifier(data.uwi, data.name);
        data.wellSets = m_database.wellSetsOfWell(&m_well);
        data.status = openWorksWellStatus(m_well.status().value_or(0));

        // Well head: from the spatial unit the host recorded it in.
        const int spatialHost = m_well.originalSpatialUnit().value_or(Meter);
        int spatial = georef::openWorksIdForHostUnit(spatialHost);
        if (spatial <= 0)
            spatial = georef::OpenWorksMetre;
        const QString spatialName = UnitTable::unitName(spatialHost);
        double factorX = 1.0;
        double factorY = 1.0;
        int status = 0;
        if (!m_conversions.record(QStringLiteral("well head X"), spatial, m_units.wellXUnit, spatialName, &factorX,
                                  &status))
            return conversionFailed(QStringLiteral("well head X"), spatial, m_units.wellXUnit, status);
        if (!m_conversions.record(QStringLiteral("well head Y"), spatial, m_units.wellYUnit, spatialName, &factorY,
                                  &status))
            return conversionFailed(QStringLiteral("well head Y"), spatial, m_units.wellYUnit, status);
        // The header's X and Y pass through single precision.
        data.x = throughSinglePrecision(m_well.x() * factorX);
        data.y = throughSinglePrecision(m_well.y() * factorY);

        // Elevation: the KB, from its recorded unit.
        const int kbHost = UnitTable::info(m_well.kbUnit()) ? m_well.kbUnit() : int(Meter);
        int kbUnit = georef::openWorksIdForHostUnit(kbHost);
        if (kbUnit <= 0 || UnitTable::isTimeUnit(kbHost))
            kbUnit = georef::OpenWorksMetre;
        double factor = 1.0;
        if (!m_conversions.record(QStringLiteral("elevation"), kbUnit, m_units.elevationUnit,
                                  UnitTable::unitName(kbHost), &factor, &status))
            return conversionFailed(QStringLiteral("elevation"), kbUnit, m_units.elevationUnit, status);
        data.kb = float(m_well.kb() * factor);
        return 0;
    }

    int readTrajectory()
    {
        ZRRefSet* refSet = m_well.currentRefSet();
        if (!refSet)
            return 0;
        const ZRLog* devX = m_database.findLog(referenceSetLogName(4), refSet);
        const ZRLog* devY = m_database.findLog(referenceSetLogName(5), refSet);
        const ZRLog* tvdLog = m_database.findLog(referenceSetLogName(3), refSet);
        if (!devX)
            addMessage(QStringLiteral("Unable to find X-Deviation Log while exporting Time-Depth Relationship"));
        if (!devY)
            addMessage(QStringLiteral("Unable to find Y-Deviation Log while exporting Time-Depth Relationship"));
        if (!tvdLog)
            addMessage(QStringLiteral("Unable to find Trajectory Log while exporting Time-Depth Relationship"));
        if (!devX || !devY || !tvdLog)
            return 0;
        QVector<double> x;
        QVector<double> y;
        QVector<double> tvd;
        bool readable = true;
        for (const auto& entry : {qMakePair(devX, &x), qMakePair(devY, &y), qMakePair(tvdLog, &tvd)}) {
            if (!realValues(m_database, entry.first, entry.second)) {
                addMessage(QStringLiteral("Unable to retrieve log data for log %1").arg(entry.first->name()));
                readable = false;
            }
        }
        if (!readable)
            return 0;
        if (x.size() != y.size() || x.size() != tvd.size()) {
            addMessage(QStringLiteral("Error while exporting position log for well: %1").arg(m_well.name()));
            addMessage(QStringLiteral("The trajectory logs of reference set %1 differ in length: %2 X deviations, "
                                      "%3 Y deviations, %4 TVD values.")
                           .arg(refSet->name())
                           .arg(x.size())
                           .arg(y.size())
                           .arg(tvd.size()));
            return 0;
        }
        const int tvdUnit = openWorksUnitOfText(tvdLog->unit(), 2, georef::OpenWorksMetre);
        const int devUnit = openWorksUnitOfText(devX->unit(), 2, georef::OpenWorksMetre);
        double tvdFactor = 1.0;
        double devFactor = 1.0;
        int status = 0;
        if (!m_conversions.record(QStringLiteral("trajectory TVD"), tvdUnit, m_units.depthUnit, tvdLog->unit(),
                                  &tvdFactor, &status))
            return conversionFailed(QStringLiteral("trajectory TVD"), tvdUnit, m_units.depthUnit, status);
        if (!m_conversions.record(QStringLiteral("trajectory X/Y deviation"), devUnit, m_units.xyUnit, devX->unit(),
                                  &devFactor, &status))
            return conversionFailed(QStringLiteral("trajectory X/Y deviation"), devUnit, m_units.xyUnit, status);
        // Deviations in the depth unit, for the measured depth along the path.
        const double devToDepth = m_conversions.factor(m_units.xyUnit, m_units.depthUnit, &status);
        if (status != 0)
            return conversionFailed(QStringLiteral("trajectory X/Y deviation"), m_units.xyUnit, m_units.depthUnit,
                                    status);
        WellExportData& data = *m_data;
        data.tvd = scaled(tvd, tvdFactor);
        data.xDeviation = scaled(x, devFactor);
        data.yDeviation = scaled(y, devFactor);
        // Measured depth: the first station's TVD, then the length of the
        // straight segments between successive stations.
        const int count = data.tvd.size();
        data.md.resize(count);
        double md = count > 0 ? double(data.tvd[0]) : 0.0;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                const double dz = double(data.tvd[i]) - double(data.tvd[i - 1]);
                const double dx = (double(data.xDeviation[i]) - double(data.xDeviation[i - 1])) * devToDepth;
                const double dy = (double(data.yDeviation[i]) - double(data.yDeviation[i - 1])) * devToDepth;
                md += std::sqrt(dz * dz + dx * dx + dy * dy);
            }
            data.md[i] = float(md);
        }
        return 0;
    }

    int readTables()
    {
        const QVector<ZRSet*> sets = m_database.GetSetsFromWell(&m_well, ZRSet::RefSetType);
        m_data->referenceSets = sets.size();
        for (ZRSet* set : sets) {
            const auto* refSet = dynamic_cast<const ZRRefSet*>(set);
            if (!refSet)
                continue;
            const QString timeName = referenceSetLogName(0);
            const ZRLog* timeLog = m_database.findLog(timeName, refSet);
            QString depthName;
            QString depthType;
            if (refSet->depth1Type() == 3) {
                depthName = referenceSetLogName(2);
                depthType = QStringLiteral("MD");
            } else if (refSet->depth1Type() == 2) {
                depthName = referenceSetLogName(1);
                depthType = QStringLiteral("TVDBTDD");
            }
            const ZRLog* depthLog = depthName.isEmpty() ? nullptr : m_database.findLog(depthName, refSet);
            // A reference set holding neither log is a trajectory's only: it has no table.
            if (!timeLog && !depthLog && !hasDepthLog(refSet))
                continue;
            if (!depthLog) {
                addMessage(QStringLiteral("Unable to find Depth Log for well %1 while exporting Time-Depth "
                                          "Relationship %2")
                               .arg(m_well.name(), refSet->name()));
                continue;
            }
            if (!timeLog) {
                addMessage(QStringLiteral("Unable to find Time Log for well %1 while exporting Time-Depth "
                                          "Relationship %2")
                               .arg(m_well.name(), refSet->name()));
                continue;
            }
            QVector<double> depths;
            QVector<double> times;
            if (!realValues(m_database, depthLog, &depths)) {
                addMessage(QStringLiteral("Unable to retrieve log data for log %1").arg(depthLog->name()));
                continue;
            }
            if (!realValues(m_database, timeLog, &times)) {
                addMessage(QStringLiteral("Unable to retrieve log data for log %1").arg(timeLog->name()));
                continue;
            }
            if (depths.size() != times.size()) {
                addMessage(QStringLiteral("The depth and time logs of Time-Depth Relationship %1 of well %2 differ "
                                          "in length (%3 depths, %4 times); it is not exported.")
                               .arg(refSet->name(), m_well.name())
                               .arg(depths.size())
                               .arg(times.size()));
                continue;
            }
            const int depthUnit = openWorksUnitOfText(depthLog->unit(), 2, georef::OpenWorksMetre);
            const int timeUnit = openWorksUnitOfText(timeLog->unit(), 1, georef::OpenWorksMillisecond);
            double depthFactor = 1.0;
            double timeFactor = 1.0;
            int status = 0;
            const QString depthQuantity = QStringLiteral("time-depth depths (%1)").arg(refSet->name());
            const QString timeQuantity = QStringLiteral("time-depth times (%1)").arg(refSet->name());
            if (!m_conversions.record(depthQuantity, depthUnit, m_units.depthUnit, depthLog->unit(), &depthFactor,
                                      &status))
                return conversionFailed(depthQuantity, depthUnit, m_units.depthUnit, status);
            if (!m_conversions.record(timeQuantity, timeUnit, georef::OpenWorksMillisecond, timeLog->unit(),
                                      &timeFactor, &status))
                return conversionFailed(timeQuantity, timeUnit, georef::OpenWorksMillisecond, status);
            WellExportData::TimeDepthTable table;
            table.name = refSet->name();
            table.depthType = depthType;
            table.depths = scaled(depths, depthFactor);
            table.times = scaled(times, timeFactor);
            table.current = m_well.currentRefSet() == refSet;
            m_data->tables.append(table);
        }
        return 0;
    }

    /// Whether the reference set holds a depth log of any name.
    bool hasDepthLog(const ZRRefSet* refSet) const
    {
        for (const ZRLog* log : m_database.GetLogsFromSet(refSet)) {
            if (log->name() == referenceSetLogName(1) || log->name() == referenceSetLogName(2) || log->name().isEmpty())
                return true;
        }
        return false;
    }

    int readLogs()
    {
        for (const ZRSet* set : m_database.GetSetsFromWell(&m_well, ZRSet::LogSetType)) {
            QVector<const ZRLog*> logs;
            for (const ZRLog* log : m_database.GetLogsFromSet(set)) {
                if (log->name() != QLatin1String("MD"))
                    logs.append(log);
            }
            if (logs.isEmpty())
                continue;
            const ZRLog* mdLog = m_database.findLog(QStringLiteral("MD"), set);
            QVector<double> md;
            if (!realValues(m_database, mdLog, &md)) {
                addMessage(QStringLiteral("Unable to find the MD log of log set %1 of well %2: its logs are not "
                                          "exported.")
                               .arg(set->name(), m_well.name()));
                continue;
            }
            const int mdUnit = openWorksUnitOfText(mdLog->unit(), 2, georef::OpenWorksMetre);
            double mdFactor = 1.0;
            int status = 0;
            const QString quantity = QStringLiteral("log depths (%1)").arg(set->name());
            if (!m_conversions.record(quantity, mdUnit, m_units.depthUnit, mdLog->unit(), &mdFactor, &status))
                return conversionFailed(quantity, mdUnit, m_units.depthUnit, status);
            const QVector<float> depths = scaled(md, mdFactor);

            WellExportData::LogSet logSet;
            logSet.name = set->name();
            for (const ZRLog* log : logs) {
                QVector<double> values;
                if (!realValues(m_database, log, &values)) {
                    addMessage(QStringLiteral("Unable to retrieve log data for log %1").arg(log->name()));
                    continue;
                }
                int count = values.size();
                if (count > depths.size()) {
                    addMessage(QStringLiteral("Log %1 of log set %2 has %3 values and its MD log %4 depths: the "
                                              "values beyond the last depth are not exported.")
                                   .arg(log->name(), set->name())
                                   .arg(values.size())
                                   .arg(depths.size()));
                    count = depths.size();
                }
                WellExportData::Curve curve;
                curve.logName = log->name();
                curve.curveName = set->name() + QLatin1Char('_') + log->name();
                curve.unit = log->unit();
                curve.nullValue = log->noValue().value_or(-9999.0);
                curve.values = scaled(values, 1.0, count);
                curve.depths = depths.mid(0, count);
                float minimum = std::numeric_limits<float>::max();
                float maximum = std::numeric_limits<float>::lowest();
                const float absent = float(curve.nullValue);
                for (float value : qAsConst(curve.values)) {
                    if (std::isnan(value) || value == absent)
                        continue;
                    minimum = std::min(minimum, value);
                    maximum = std::max(maximum, value);
                }
                curve.minimum = minimum <= maximum ? minimum : 0.0f;
                curve.maximum = minimum <= maximum ? maximum : 0.0f;
                logSet.curves.append(curve);
            }
            if (!logSet.curves.isEmpty())
                m_data->logSets.append(logSet);
        }
        return 0;
    }

    int readMarkers()
    {
        const ZRSet* set = m_database.findSet(wellimport::MarkerSetName, &m_well);
        if (!set || set->setType() != ZRSet::MarkerSetType)
            return 0;
        QStringList names;
        QVector<double> tops;
        QVector<double> bottoms;
        QString depthUnitText;
        const ZRLog* nameLog = m_database.findLog(markerSetLogName(0), set);
        const ZRLog* topLog = m_database.findLog(markerSetLogName(1), set);
        const ZRLog* bottomLog = m_database.findLog(markerSetLogName(2), set);
        if (nameLog && topLog && m_database.getLogData(nameLog, names) && realValues(m_database, topLog, &tops)) {
            if (!realValues(m_database, bottomLog, &bottoms))
                bottoms.clear();
            depthUnitText = topLog->unit();
        } else {
            // The markers as the well database holds them.
            names.clear();
            tops.clear();
            for (const ZRMarkerTopBottom* marker : m_database.markersOfSet(set)) {
                names.append(marker->markerInfo() ? marker->markerInfo()->name() : QString());
                tops.append(marker->top());
                bottoms.append(marker->bottom().value_or(marker->top()));
            }
            if (!names.isEmpty())
                addMessage(QStringLiteral("The marker logs of well %1 cannot be read: its markers are exported from "
                                          "the well database's marker list.")
                               .arg(m_well.name()));
        }
        const int count = std::min(names.size(), tops.size());
        if (count == 0)
            return 0;
        const int unit = openWorksUnitOfText(depthUnitText, 2, georef::OpenWorksMetre);
        double factor = 1.0;
        int status = 0;
        if (!m_conversions.record(QStringLiteral("marker depths"), unit, m_units.depthUnit, depthUnitText, &factor,
                                  &status))
            return conversionFailed(QStringLiteral("marker depths"), unit, m_units.depthUnit, status);
        for (int i = 0; i < count; ++i) {
            WellExportData::Marker marker;
            marker.name = names.at(i);
            marker.top = float(tops.at(i) * factor);
            marker.bottom = float((i < bottoms.size() ? bottoms.at(i) : tops.at(i)) * factor);
            if (const ZRMarkerInfos* info = m_database.findMarkerInfo(marker.name)) {
                const QColor colour(info->color());
                if (colour.isValid()) {
                    marker.red = colour.red();
                    marker.green = colour.green();
                    marker.blue = colour.blue();
                }
            }
            m_data->markers.append(marker);
        }
        return 0;
    }

    float totalDepth() const
    {
        const WellExportData& data = *m_data;
        if (!data.md.isEmpty())
            return data.md.last();
        float deepest = 0.0f;
        for (const WellExportData::LogSet& set : data.logSets)
            for (const WellExportData::Curve& curve : set.curves)
                for (float depth : curve.depths)
                    deepest = std::max(deepest, depth);
        for (const WellExportData::TimeDepthTable& table : data.tables)
            for (float depth : table.depths)
                deepest = std::max(deepest, depth);
        return deepest;
    }

    const ZRLogDatabase& m_database;
    const ZRWell& m_well;
    const WellExportUnits& m_units;
    WellExportData* m_data;
    QStringList* m_messages;
    ZRReportedItem* m_reported;
    Conversions m_conversions;
};

} // namespace

bool resolveWellExportUnits(WellExportUnits* units, bool* elevationFallback, QString* error)
{
    *elevationFallback = false;
    int status = gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, DepthType, &units->depthUnit);
    if (status == 0)
        status = gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, XyType, &units->xyUnit);
    if (status == 0)
        status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_WELL, 7, &units->wellXUnit);
    if (status == 0)
        status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_WELL, 8, &units->wellYUnit);
    if (status != 0) {
        *error = owErrorText(status);
        return false;
    }
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, ElevationType, &units->elevationUnit) != 0) {
        units->elevationUnit = units->depthUnit;
        *elevationFallback = true;
    }
    const char* name = untGetUnitName(units->depthUnit, &status);
    if (status == 0)
        units->depthUnitText = QString::fromLatin1(name ? name : "");
    if (status == 0)
        units->curveDepthUnitId = untGetUnitID(units->depthUnitText.toLatin1().constData(), &status);
    if (status == 0) {
        const char* abbreviation = untGetUnitAbbr(georef::OpenWorksMillisecond, &status);
        units->timeUnitText = QString::fromLatin1(abbreviation ? abbreviation : "");
    }
    if (status != 0) {
        *error = owErrorText(status);
        return false;
    }
    return true;
}

int readWellExportData(const ZRLogDatabase& database, const ZRWell& well, const WellExportUnits& units,
                       WellExportData* data, QStringList* messages, ZRReportedItem* reported)
{
    Reader reader(database, well, units, data, messages, reported);
    return reader.read();
}

QString openWorksWellStatus(int hostStatusCode)
{
    for (const StatusText& entry : kStatusTexts) {
        if (hostStatusCode >= entry.first && hostStatusCode <= entry.last)
            return QString::fromLatin1(entry.text);
    }
    return QStringLiteral("UNKNOWN");
}

QString openWorksWellIdentifier(const QString& uwi, const QString& name)
{
    gdiWell_t record;
    owSetText(record.uwi, (uwi.isEmpty() ? name : uwi).toLocal8Bit());
    return QString::fromLocal8Bit(record.uwi, int(strnlen(record.uwi, sizeof record.uwi)));
}

int WellExportData::samples() const
{
    int count = 0;
    for (const LogSet& set : logSets)
        for (const Curve& curve : set.curves)
            count += curve.values.size();
    return count;
}

int WellExportData::curves() const
{
    int count = 0;
    for (const LogSet& set : logSets)
        count += set.curves.size();
    return count;
}

int WellExportData::timeDepthPoints() const
{
    int count = 0;
    for (const TimeDepthTable& table : tables)
        count += table.depths.size();
    return count;
}
