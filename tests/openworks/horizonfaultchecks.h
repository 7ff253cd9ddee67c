#pragma once

// Independent sources for checking imported horizons and faults: the host
// horizon file read from its documented byte layout (not through
// ZR3DHorizon), OpenWorks horizon grids and fault segments read through the
// DevKit's own calls, and folder checksums.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

using Point3 = std::array<double, 3>;

/// A host horizon file as laid out on disk: the 2500-byte global header, the
/// object XML, the reserved zero area, then the body (mesh vertices,
/// triangles, picked points, point polygons, world points, data values).
class HorizonFileView
{
public:
    /// Reads and checks the layout: the body must end the file exactly.
    bool load(const QString& path, QString* error);

    qint64 fileSize = 0;
    qint64 headerSize = 0;
    qint64 dataOffset = 0;
    bool reservedAreaIsZero = false;
    QString objectType;
    int version = 0;
    int precision = 0;
    int horizonType = -1;
    int dimx = 0;
    int dimy = 0;
    int dimz = 0;
    int recordSize = 0;
    qint64 numberOfPoint = 0;
    qint64 numberOffacette = 0;
    qint64 numberOfControlPoint = 0;
    qint64 numberOfPickedPoint = 0;
    qint64 numberOfPointPolygons = 0;
    bool withData = false;
    QString initialVerticalUnit;
    QString verticalUnit;
    /// The world points (map x, value, map y), in file order.
    QVector<Point3> worldPoints;
};

/// A horizon's grid in one survey, read through the DevKit: the data record
/// (class 1176), the survey's bounds (srvbnd_) and the values (hrzrw_, with
/// 1.0e37 for missing nodes as hrzopn_ is told).
struct DevKitHorizonGrid
{
    int surveyId = 0;
    QString surveyName;
    int gridId = 0;
    double dataMin = 0.0;
    double dataMax = 0.0;
    QString domain;
    int firstLine = 0;
    int lastLine = 0;
    int firstTrace = 0;
    int lastTrace = 0;
    QVector<float> values;

    int columns() const { return lastTrace - firstTrace + 1; }
    float value(int line, int trace) const { return values[(line - firstLine) * columns() + (trace - firstTrace)]; }
};

/// Every survey's grid of a horizon (by catalogue id and attribute), in the
/// order of its data records. False with *error set.
bool readHorizonGrids(int horizonId, const QString& attribute, QVector<DevKitHorizonGrid>* grids, QString* error);

/// The id of the horizon catalogue record of that name and attribute (0 when none).
int horizonIdOf(const QString& name, const QString& attribute);

/// One fault segment as the DevKit holds it: points (x, y, vertical).
using FaultSegmentPoints = QVector<Point3>;

/// The segments of a fault plane (by id and name), in list order, with the
/// plane's domain text. False with *error set.
bool readFaultSegments(int planeId, const QString& name, QVector<FaultSegmentPoints>* segments, QString* domain,
                       QString* error);

/// The id of the fault plane record of that name (0 when none).
int faultPlaneIdOf(const QString& name);

/// Map position of (line, trace) in the current survey (intorw_), and the
/// fractional line and trace of a map position (rwtoin_). False when the call fails.
bool mapPositionOf(double line, double trace, double* x, double* y);
bool gridPositionOf(double x, double y, double* line, double* trace);

/// Opens the 3D project of a survey (prjin2_) for a scope.
class SurveyProjectScope
{
public:
    explicit SurveyProjectScope(const QString& survey);
    ~SurveyProjectScope();
    SurveyProjectScope(const SurveyProjectScope&) = delete;
    SurveyProjectScope& operator=(const SurveyProjectScope&) = delete;
    bool isOpen() const { return m_open; }

private:
    bool m_open = false;
};

/// Whether the DevKit still has a 3D project or a horizon subsystem open:
/// srvbnd_ answers without a current survey with a non-zero status, hrzrw_
/// without an open subsystem with status 2.
bool surveyProjectOpen();
bool horizonSubsystemOpen();

/// SHA-256 of every file below folder (hidden ones included), by relative path.
QMap<QString, QByteArray> folderChecksums(const QString& folder);

/// Hidden temporary files of imports (".*.partial") in folder.
QStringList temporaryFilesIn(const QString& folder);

/// SHA-256 of one file, lower-case hexadecimal.
QString sha256Of(const QString& path);
