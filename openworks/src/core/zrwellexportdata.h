#pragma once

// What the well export takes from one host well before it writes anything to
// OpenWorks: the header, the position log computed from the trajectory logs,
// the time-depth relations, the log curves and the markers, each converted
// into the units the OpenWorks project stores. Reading the host side first
// keeps the DevKit writes of a well short, lets a dry run resolve everything,
// and lets a failure of a host read cost only the part it concerns.

#include <QHash>
#include <QJsonArray>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class ZRLogDatabase;
class ZRReportedItem;
class ZRWell;

/// The units of one export, resolved once before the first well.
struct WellExportUnits
{
    int depthUnit = 1;     ///< OpenWorks unit the project stores depths in (unit type 1001)
    int xyUnit = 1;        ///< the project's X/Y unit (unit type 2004): trajectory deviations
    int elevationUnit = 1; ///< the project's elevation unit (unit type 58), else the depth unit
    int wellXUnit = 1;     ///< unit of field 7 (X) of the well header
    int wellYUnit = 1;     ///< unit of field 8 (Y) of the well header
    /// The DevKit's name of the depth unit ("meters" in a metric project): the
    /// depth unit text of every record written.
    QString depthUnitText;
    /// untGetUnitID(depthUnitText): the depth unit id of the log curves.
    int curveDepthUnitId = 1;
    /// Abbreviation of milliseconds ("ms"): the time unit of the time-depth tables.
    QString timeUnitText;
};

/// Resolves the units of an export in the open project. False with the
/// DevKit's text in *error when a unit cannot be read (the elevation unit
/// falls back to the depth unit, with *elevationFallback set).
bool resolveWellExportUnits(WellExportUnits* units, bool* elevationFallback, QString* error);

/// One well's data as it goes to OpenWorks (values in the project's units,
/// as single-precision values like the DevKit's vectors).
struct WellExportData
{
    struct TimeDepthTable
    {
        QString name;      ///< the reference set's name (50 characters kept)
        QString depthType; ///< "MD" or "TVDBTDD"
        QVector<float> depths;
        QVector<float> times; ///< milliseconds
        bool current = false; ///< the well's current reference set
    };
    struct Curve
    {
        QString logName;
        QString curveName; ///< set name, "_", log name
        QString unit;      ///< the log's unit text
        double nullValue = -9999.0;
        QVector<float> depths;
        QVector<float> values;
        float minimum = 0.0f;
        float maximum = 0.0f;
    };
    struct LogSet
    {
        QString name;
        QVector<Curve> curves;
    };
    struct Marker
    {
        QString name;
        float top = 0.0f;
        float bottom = 0.0f;
        int red = 0;
        int green = 0;
        int blue = 0;
    };

    int wellId = 0;
    QString name;
    QString uwi;
    /// The OpenWorks well identifier: the UWI when not empty, else the name;
    /// the well key and the UWI of every record written.
    QString identifier;
    QStringList wellSets;
    double x = 0.0; ///< in the unit of header field 7
    double y = 0.0; ///< in the unit of header field 8
    float kb = 0.0f; ///< in the elevation unit
    QString status; ///< OpenWorks status text

    /// Position log: all four arrays of one length (empty: none written).
    QVector<float> md;
    QVector<float> tvd;
    QVector<float> xDeviation;
    QVector<float> yDeviation;
    QVector<TimeDepthTable> tables;
    /// Reference sets met (steps of the "Time-Depth Relations" bar).
    int referenceSets = 0;
    QVector<LogSet> logSets;
    QVector<Marker> markers;
    /// The well's deepest measured depth: the position log's last MD, else the
    /// deepest depth of its curves and tables (0 when it has none).
    float totalDepth = 0.0f;

    /// Every conversion applied (ZRTransferReport::unitEntry), for the report.
    QJsonArray units;

    int samples() const;
    int curves() const;
    int timeDepthPoints() const;
};

/// Reads what the export writes of well from the database, converting it into
/// the export's units through the DevKit (untConvert). Gaps on the host side
/// (a missing trajectory log, values that cannot be read, a table without its
/// depth or time log) are added to messages (and to the report through
/// reported, which may be null) and the well goes on without that part.
/// Returns 0, or the DevKit status of a failed conversion (after adding its
/// message): the well cannot be exported.
int readWellExportData(const ZRLogDatabase& database, const ZRWell& well, const WellExportUnits& units,
                       WellExportData* data, QStringList* messages, ZRReportedItem* reported);

/// The OpenWorks status text of a host well status code ("UNKNOWN" for a code
/// the table does not have).
QString openWorksWellStatus(int hostStatusCode);
/// The OpenWorks well identifier of a host well: its UWI when not empty, else
/// its name, cut to the 26 characters of the UWI field.
QString openWorksWellIdentifier(const QString& uwi, const QString& name);
