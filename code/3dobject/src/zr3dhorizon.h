#pragma once

#include "blocspace.h"
#include "vec3.h"
#include "zrimage.h"
#include "zrobject.h"
#include "zrobjectserialization.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QRectF>
#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

/// A host horizon: a value grid (time or depth per node) on a grid geometry,
/// stored in one object file.
///
/// The grid is width × height floats (node (i, 0, j) of the geometry at row j,
/// column i), null value −9999.0; a node holding −9999.0 or NaN is null.
/// Points in map space are (map x, value, map y).
///
/// File: the object header container (one "object" of type "ZR3DHorizon",
/// reserved size 10000), then from DataOffset, little-endian, without separators:
///   1. mesh vertices: numberOfPoint × 3 floats (recordSize 4) or doubles (recordSize 8)
///   2. triangles: numberOffacette × 3 uint32 vertex indexes
///   3. picked points: numberOfPickedPoint × (3 doubles, int32 n, n int32)
///   4. point polygons: numberOfPointPolygons × (int32 n, n × 3 doubles, 4 doubles bounding rectangle)
///   5. world points: numberOfControlPoint × 3 doubles (non-null nodes, row-major)
///   6. data values: numberOfControlPoint floats, only when withData is 1
///
/// The display mesh samples the grid every `precision` nodes along both axes
/// (plus the last column and row); each lattice cell gives two triangles when
/// its four corners are set, one when three are.
class ZR3DHorizon : public ZRObject, public ZRObjectSerialization
{
public:
    static constexpr float NullValue = -9999.0f;
    static constexpr int FileVersion = 2;
    static constexpr int DefaultPrecision = 5;
    /// Largest value grid (width × height nodes) a horizon may have; a file
    /// declaring more is refused before anything is allocated.
    static constexpr qint64 MaximumNodeCount = qint64(1) << 28;

    /// Horizon kinds (field "HorizonType").
    enum HorizonKind : int
    {
        Surface = 0,
        SurfaceImported = 1,
        SurfacePropagated = 2,
        SurfaceFromSurfaceStack = 3,
        SurfacePicked = 4,
        VectorModelHorizon16 = 7
    };

    struct PickedPoint
    {
        core::vec3 point;
        std::vector<std::int32_t> values;
    };

    struct PointPolygon
    {
        std::vector<core::vec3> points;
        QRectF boundingRectangle;
    };

    struct Palette
    {
        QString paletteName = QStringLiteral("Rainbow");
        bool automaticRange = true;
        double minimum = 0.0;
        double maximum = 1.0;
    };

    ZR3DHorizon();
    ~ZR3DHorizon() override;

    /// Key and display name of a kind; any other value gives those of Surface.
    static QString horizonKey(int kind);
    static QString horizonDisplayName(int kind);
    /// Key and display name of a horizon stack.
    static QString horizonStackKey() { return QStringLiteral("multisurface"); }
    static QString horizonStackDisplayName() { return QStringLiteral("Horizon Stack"); }

    int objectType() const override { return 29; }

    /// Keeps `geometry`, allocates its dimx × dimz grid filled with −9999.0 and
    /// places the points (each node keeps the first value other than −9999.0
    /// that rounds onto it; points outside are dropped), then builds the mesh.
    /// False (grid not allocated, message on the event bus) when the grid cannot
    /// be allocated or has more than MaximumNodeCount nodes.
    bool buildFromPoints(const std::vector<core::vec3>& points, const georef::BlocSpace& geometry,
                         int precision = DefaultPrecision);

    /// A horizon built again keeps the memory of its grid, mesh and write
    /// buffer, so that one horizon object reused for many builds of the same
    /// size faults in no fresh pages.
    ///
    /// buildFromPoints in parts, for point lists too large to hold at once:
    /// beginPoints keeps the geometry and allocates the grid (false as
    /// buildFromPoints), addPoints places one part of the list, finishPoints
    /// builds the mesh. Parts added in list order give the horizon that
    /// buildFromPoints gives for the whole list.
    bool beginPoints(const georef::BlocSpace& geometry, int precision = DefaultPrecision);
    void addPoints(const core::vec3* points, std::size_t count);
    void finishPoints();

    /// The non-null nodes, row-major, every columnStep-th column of every
    /// rowStep-th row, as map points.
    std::vector<core::vec3> worldPoints(int columnStep = 1, int rowStep = 1) const;
    /// The map point of node (i, j) with the node's value in the middle slot.
    core::vec3 worldPoint(int i, int j) const;
    /// Number of non-null nodes.
    int controlPointCount() const;
    static bool isNull(float value) { return value == NullValue || std::isnan(value); }

    /// Writes the header, then the body from the data offset read back. False
    /// after an event-bus message (draw type 2) on any failure.
    bool write(const QString& path);
    /// Reads a file written by write(): header, body, grid rebuilt from the
    /// world points, mesh rebuilt. Every count and size of the header is checked
    /// against the file's length and MaximumNodeCount before anything is
    /// allocated. False after a message on any failure (the horizon is then left
    /// empty).
    bool load(const QString& path);

    const georef::BlocSpace& geometry() const { return m_geometry; }
    /// Gives the grid geometry a coordinate reference.
    void setCrs(const georef::Crs& crs) { m_geometry.setCrs(crs); }
    const ZRImage& valueGrid() const { return m_grid; }
    int width() const { return m_grid.width(); }
    int height() const { return m_grid.height(); }

    /// Per control point values (world-point order); written when the size
    /// equals the control-point count.
    const std::vector<float>& data() const { return m_data; }
    void setData(const std::vector<float>& data) { m_data = data; }
    bool withData() const;

    const std::vector<PickedPoint>& pickedPoints() const { return m_pickedPoints; }
    void setPickedPoints(const std::vector<PickedPoint>& points) { m_pickedPoints = points; }
    const std::vector<PointPolygon>& pointPolygons() const { return m_pointPolygons; }
    void setPointPolygons(const std::vector<PointPolygon>& polygons) { m_pointPolygons = polygons; }

    /// Mesh vertices (map points) and triangles (vertex indexes).
    const std::vector<core::vec3>& meshVertices() const { return m_vertices; }
    const std::vector<std::array<std::uint32_t, 3>>& meshTriangles() const { return m_triangles; }
    /// Rebuilds the mesh from the grid at the current precision.
    void buildMesh();

    int precision() const { return m_precision; }
    void setPrecision(int precision);
    /// Bytes per stored vertex coordinate: 4 or 8 (default 8).
    int recordSize() const { return m_recordSize; }
    void setRecordSize(int size) { m_recordSize = size == 4 ? 4 : 8; }

    int horizonType() const { return m_horizonType; }
    void setHorizonType(int type) { m_horizonType = type; }
    int smoothFactor() const { return m_smoothFactor; }
    int radius() const { return m_radius; }
    int polarity() const { return m_polarity; }

    QString typeName() const override { return QStringLiteral("ZR3DHorizon"); }
    /// The horizon element of the file header.
    QDomElement toXml(QDomDocument& document) const override;

private:
    /// Empties the horizon; keepStorage keeps the grid's memory for the next build.
    void clear(bool keepStorage = false);
    bool allocateGrid(int width, int height);
    void placePoints(const core::vec3* points, std::size_t count);
    bool readHeader(const QDomElement& element, const QString& path, struct HorizonCounts* counts);

    georef::BlocSpace m_geometry;
    ZRImage m_grid;
    std::vector<float> m_data;
    std::vector<core::vec3> m_vertices;
    std::vector<std::array<std::uint32_t, 3>> m_triangles;
    std::vector<PickedPoint> m_pickedPoints;
    std::vector<PointPolygon> m_pointPolygons;
    std::vector<char> m_writeBuffer; ///< kept from one write to the next

    int m_precision = DefaultPrecision;
    int m_recordSize = 8;
    int m_horizonType = Surface;
    int m_smoothFactor = 0;
    int m_radius = 0;
    int m_polarity = 0;
    bool m_peak = true;
    bool m_trough = false;
    bool m_zeroCrossUp = false;
    bool m_zeroCrossDown = false;
    bool m_undefined = false;

    QPen m_pen;
    QBrush m_brush;
    int m_pixelSize = 1;
    bool m_withLightShader = true;
    std::array<double, 3> m_lightSource = {0.0, 1.0, 0.0};
    float m_lightBlendingAlpha = 0.5f;
    QColor m_lightColor = Qt::white;
    Palette m_timePalette;
    Palette m_dataPalette;
};
