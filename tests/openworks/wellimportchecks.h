#pragma once

// Independent readers for checking imported wells: the OpenWorks well as the
// DevKit calls give it (read here, not through the import), and the host well
// database as its files hold it: rows through plain SQL on a copy of the
// SQLite file, values through the documented log data file layout (count
// uint32, kind uint32, then IEEE doubles, little-endian). compareWell states
// what the import must have made of one well and names the first difference.

#include "owdevkit.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

/// One well as OpenWorks holds it.
struct OpenWorksWell
{
    struct Table
    {
        qint32 id = 0;
        QString name;
        QString depthType;
        QString timeUnit;
        QVector<float> depths;
        QVector<float> times;
    };
    struct Curve
    {
        quint32 id = 0;
        QString name;
        QString unit;
        double nullValue = 0.0;
        float topDepth = 0.0f;
        float bottomDepth = 0.0f;
        QVector<float> depths;
        QVector<float> values;
        /// Names of the log curve lists holding it, in class-575 order.
        QStringList lists;
    };
    struct Pick
    {
        QString name;
        QString interpreter;
        float topDepth = 0.0f;
        float bottomDepth = 0.0f;
        bool hasColour = false;
        int red = 0;
        int green = 0;
        int blue = 0;
    };

    gdiWell_t header;
    QVector<Table> tables;
    bool hasPreferred = false;
    qint32 preferredTableId = 0;
    QVector<Curve> curves;
    bool hasPositionLog = false;
    QVector<float> tvd;
    QVector<float> xDeviation;
    QVector<float> yDeviation;
    QVector<Pick> picks;

    QString name() const;
};

/// Reads the well of that well key through the DevKit (an open project is
/// needed). False with *error on a failed call.
bool readOpenWorksWell(const QString& wellKey, OpenWorksWell* well, QString* error);

/// The host well database read from its files.
struct HostWellDatabase
{
    struct Well
    {
        int id = 0;
        QString name;
        double x = 0.0;
        double y = 0.0;
        QVariant refSetId;
        double kb = 0.0;
        int kbUnit = 0;
        QString uwi;
        QVariant status;
        QVariant originalSpatialUnit;
    };
    struct Set
    {
        int id = 0;
        QString name;
        int type = 0;
        int wellId = 0;
        QVariant shiftDepth;
        QVariant depth1Type;
        QVariant depth2Type;
        QVariant deviationType;
    };
    struct Log
    {
        int id = 0;
        QString name;
        int setId = 0;
        QVariant noValue;
        QString unit;
    };
    struct MarkerInfo
    {
        int id = 0;
        QString name;
        QString colour;
    };
    struct Marker
    {
        int infoId = 0;
        int setId = 0;
        double top = 0.0;
        QVariant bottom;
    };

    /// Copies the SQLite file of folder aside and reads every table of it.
    bool load(const QString& folder, QString* error);

    QString folder;
    QVector<Well> wells;
    QVector<Set> sets;
    QVector<Log> logs;
    QVector<MarkerInfo> markerInfos;
    QVector<Marker> markers;
    QMap<int, QString> wellSets;
    QVector<QPair<int, int>> wellSetMembers; ///< (well set id, well id)

    /// Wells whose name equals name case-insensitively.
    QVector<const Well*> wellsNamed(const QString& name) const;
    QVector<const Set*> setsOf(int wellId) const;
    QVector<const Log*> logsOf(int setId) const;
    /// Every file name of the folder that starts with "LOGDATA_".
    QStringList logDataFiles() const;
};

/// A real-valued log data file read from its layout; false with *error when
/// it is missing, short, of another kind or longer than its count says.
bool readRealLogFile(const QString& path, QVector<double>* values, QString* error);
/// A text log data file (kind 3: per value a uint32 byte count and UTF-8 bytes).
bool readTextLogFile(const QString& path, QStringList* values, QString* error);

/// What the import was set to do with units.
struct ExpectedUnits
{
    double xyFactor = 1.0;        ///< well-head X/Y: OpenWorks X/Y unit -> recorded spatial unit
    double depthFactor = 1.0;     ///< project depth unit -> host depth unit
    double elevationFactor = 1.0; ///< elevation unit -> host depth unit
    QString hostDepthUnit = QStringLiteral("Meter");
    int hostDepthUnitIndex = 0;
    QString hostXyUnit = QStringLiteral("Meter");
    int originalSpatialUnit = 0;
    /// Milliseconds per unit of each time unit abbreviation the import converts.
    QMap<QString, double> timeFactors{{QStringLiteral("ms"), 1.0}, {QStringLiteral("s"), 1000.0}};
};

/// Compares one imported well (by its OpenWorks record) with the host
/// database; the first difference, or an empty text when the host holds
/// exactly what the import had to make of it.
QString compareWell(const OpenWorksWell& openWorks, const HostWellDatabase& host, const QString& wellList,
                    const ExpectedUnits& units);

/// Host status code the tests expect for the demo's status texts.
int expectedStatusCode(const QString& status);
