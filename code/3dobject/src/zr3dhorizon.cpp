#include "zr3dhorizon.h"

#include "zreventbus.h"
#include "zrlongpath.h"
#include "zrobjectheader.h"
#include "zrxmltools.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the horizon body is written in the machine's byte order");

/// Counts and flags that the header gives for the body.
struct HorizonCounts
{
    qint64 numberOfPoint = 0;
    qint64 numberOffacette = 0;
    int recordSize = 8;
    qint64 numberOfControlPoint = 0;
    quint64 numberOfPickedPoint = 0;
    qint64 numberOfPointPolygons = 0;
    bool withData = false;
};

namespace
{

void reportFileError(const QString& text)
{
    ZREventBus::sendMessage(eDrawFileError, text, false);
}

/// Buffered little-endian writer on an open file (writes in blocks of 4 MiB).
class BodyWriter
{
public:
    /// Writes through `buffer` (grown to 4 MiB when smaller, and kept by the
    /// caller, so that a horizon written again faults in no fresh pages).
    BodyWriter(QFile& file, std::vector<char>& buffer) : m_file(file), m_buffer(buffer)
    {
        if (m_buffer.size() < BlockBytes)
            m_buffer.resize(BlockBytes);
    }

    template <typename T>
    void put(T value)
    {
        reserve(sizeof(T));
        std::memcpy(m_buffer.data() + m_used, &value, sizeof(T));
        m_used += sizeof(T);
    }
    void putPoint(const core::vec3& point)
    {
        const double values[3] = {point.x, point.y, point.z};
        reserve(sizeof values);
        std::memcpy(m_buffer.data() + m_used, values, sizeof values);
        m_used += sizeof values;
    }
    bool flush()
    {
        if (m_used > 0 && m_file.write(m_buffer.data(), qint64(m_used)) != qint64(m_used))
            m_ok = false;
        m_used = 0;
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    void reserve(std::size_t bytes)
    {
        if (m_used + bytes > m_buffer.size())
            flush();
    }

    static constexpr std::size_t BlockBytes = std::size_t(4) << 20;

    QFile& m_file;
    std::vector<char>& m_buffer;
    std::size_t m_used = 0;
    bool m_ok = true;
};

/// Sequential reader over the body that refuses to read past its end.
class BodyReader
{
public:
    BodyReader(QFile& file, qint64 end) : m_file(file), m_end(end) {}

    bool canRead(qint64 items, qint64 bytesPerItem) const
    {
        if (items < 0 || bytesPerItem <= 0)
            return items == 0;
        return items <= (m_end - m_file.pos()) / bytesPerItem;
    }
    template <typename T>
    bool get(T* value)
    {
        char bytes[sizeof(T)];
        if (m_file.read(bytes, qint64(sizeof(T))) != qint64(sizeof(T)))
            return false;
        std::memcpy(value, bytes, sizeof(T));
        return true;
    }
    bool getPoint(core::vec3* point) { return get(&point->x) && get(&point->y) && get(&point->z); }
    /// count points of three little-endian doubles, read with one call.
    bool getPoints(core::vec3* points, qint64 count)
    {
        return getBytes(reinterpret_cast<char*>(points), count * qint64(sizeof(core::vec3)));
    }
    bool getBytes(char* bytes, qint64 size)
    {
        return canRead(size, 1) && m_file.read(bytes, size) == size;
    }
    bool skip(qint64 bytes) { return canRead(bytes, 1) && m_file.seek(m_file.pos() + bytes); }

private:
    QFile& m_file;
    qint64 m_end;
};

bool readCount(const QDomElement& element, const QString& name, qint64* value)
{
    return ZRXmlTools::readInt64(element, name, value) && *value >= 0;
}

QDomElement writePalette(QDomDocument& document, QDomElement& parent, const QString& name,
                         const ZR3DHorizon::Palette& palette)
{
    QDomElement element = document.createElement(QStringLiteral("ZRColorPalette"));
    parent.appendChild(element);
    element.setAttribute(QStringLiteral("name"), name);
    ZRXmlTools::writeText(document, element, QStringLiteral("paletteName"), palette.paletteName);
    ZRXmlTools::writeBool(document, element, QStringLiteral("automaticRange"), palette.automaticRange);
    ZRXmlTools::writeDouble(document, element, QStringLiteral("minimum"), palette.minimum);
    ZRXmlTools::writeDouble(document, element, QStringLiteral("maximum"), palette.maximum);
    return element;
}

void readPalette(const QDomElement& parent, const QString& name, ZR3DHorizon::Palette* palette)
{
    for (QDomElement element = parent.firstChildElement(QStringLiteral("ZRColorPalette")); !element.isNull();
         element = element.nextSiblingElement(QStringLiteral("ZRColorPalette"))) {
        if (element.attribute(QStringLiteral("name")) != name)
            continue;
        if (ZRXmlTools::hasElement(element, QStringLiteral("paletteName")))
            palette->paletteName = ZRXmlTools::readValue(element, QStringLiteral("paletteName"));
        ZRXmlTools::readBool(element, QStringLiteral("automaticRange"), &palette->automaticRange);
        ZRXmlTools::readDouble(element, QStringLiteral("minimum"), &palette->minimum);
        ZRXmlTools::readDouble(element, QStringLiteral("maximum"), &palette->maximum);
        return;
    }
}

/// Sampled positions 0, step, 2 × step, ... and the last one.
std::vector<int> latticePositions(int size, int step)
{
    std::vector<int> positions;
    for (int position = 0; position < size; position += step)
        positions.push_back(position);
    if (size > 0 && positions.back() != size - 1)
        positions.push_back(size - 1);
    return positions;
}

/// Rounds half away from zero; false when the value does not fit an int.
bool roundToIndex(double value, int* index)
{
    if (!std::isfinite(value) || value > double(std::numeric_limits<int>::max())
        || value < double(std::numeric_limits<int>::min()))
        return false;
    *index = int(value > 0.0 ? value + 0.5 : value - 0.5);
    return true;
}

} // namespace

ZR3DHorizon::ZR3DHorizon()
    : m_pen(QColor(255, 255, 0)), m_brush(QColor(255, 255, 0), Qt::SolidPattern)
{
}

ZR3DHorizon::~ZR3DHorizon() = default;

QString ZR3DHorizon::horizonKey(int kind)
{
    switch (kind) {
    case SurfaceImported:
        return QStringLiteral("surface_imported");
    case SurfacePropagated:
        return QStringLiteral("surface_propagated");
    case SurfaceFromSurfaceStack:
        return QStringLiteral("surface_fromsurfacestack");
    case SurfacePicked:
        return QStringLiteral("surface_picked");
    case VectorModelHorizon16:
        return QStringLiteral("vectormodelhorizon16");
    default:
        return QStringLiteral("surface");
    }
}

QString ZR3DHorizon::horizonDisplayName(int kind)
{
    switch (kind) {
    case SurfaceImported:
        return QStringLiteral("Imported Horizon");
    case SurfacePropagated:
        return QStringLiteral("Model-Grid Horizon");
    case SurfaceFromSurfaceStack:
        return QStringLiteral("Horizon From Horizon Stack");
    case SurfacePicked:
        return QStringLiteral("Picked Horizon");
    case VectorModelHorizon16:
        return QStringLiteral("WT Horizon");
    default:
        return QStringLiteral("Horizon");
    }
}

void ZR3DHorizon::setPrecision(int precision)
{
    m_precision = std::max(1, precision);
}

void ZR3DHorizon::clear(bool keepStorage)
{
    m_grid.reset(keepStorage);
    m_data.clear();
    m_vertices.clear();
    m_triangles.clear();
    m_pickedPoints.clear();
    m_pointPolygons.clear();
}

bool ZR3DHorizon::allocateGrid(int width, int height)
{
    if (qint64(width) * qint64(height) > MaximumNodeCount || !m_grid.allocate(width, height, NullValue)) {
        ZREventBus::sendMessage(eDrawError,
                                QStringLiteral("Error when attempting to allocate ZRImage with size: %1 * %2").arg(width).arg(height),
                                false);
        return false;
    }
    return true;
}

void ZR3DHorizon::placePoints(const core::vec3* points, std::size_t count)
{
    // Rows 0, 2 and 3 of the world-to-grid matrix, as Matrix4::map computes
    // them; an affine matrix (w = 1) needs no division, which changes nothing.
    const georef::Matrix4& m = m_geometry.fromWorldToBlocMatrix();
    const double m00 = m(0, 0), m01 = m(0, 1), m02 = m(0, 2), m03 = m(0, 3);
    const double m20 = m(2, 0), m21 = m(2, 1), m22 = m(2, 2), m23 = m(2, 3);
    const bool affine = m(3, 0) == 0.0 && m(3, 1) == 0.0 && m(3, 2) == 0.0 && m(3, 3) == 1.0;
    const int width = m_grid.width();
    const int height = m_grid.height();
    float* values = m_grid.data();
    for (std::size_t n = 0; n < count; ++n) {
        const core::vec3& point = points[n];
        double q0 = m00 * point.x + m01 * point.y + m02 * point.z + m03;
        double q2 = m20 * point.x + m21 * point.y + m22 * point.z + m23;
        if (!affine) {
            const double q3 = m(3, 0) * point.x + m(3, 1) * point.y + m(3, 2) * point.z + m(3, 3);
            const double w = q3 != 0.0 ? q3 : 1.0;
            q0 /= w;
            q2 /= w;
        }
        // Outside (-1, width) and (-1, height) no index rounds into the grid (NaN neither).
        if (!(q0 > -1.0 && q0 < double(width) && q2 > -1.0 && q2 < double(height)))
            continue;
        int i = 0;
        int j = 0;
        if (!roundToIndex(q0, &i) || !roundToIndex(q2, &j))
            continue;
        if (i < 0 || i >= width || j < 0 || j >= height)
            continue;
        float& node = values[std::size_t(j) * std::size_t(width) + std::size_t(i)];
        if (node == NullValue)
            node = float(point.y);
    }
}

bool ZR3DHorizon::buildFromPoints(const std::vector<core::vec3>& points, const georef::BlocSpace& geometry,
                                  int precision)
{
    if (!beginPoints(geometry, precision))
        return false;
    addPoints(points.data(), points.size());
    finishPoints();
    return true;
}

bool ZR3DHorizon::beginPoints(const georef::BlocSpace& geometry, int precision)
{
    clear(true);
    m_geometry = geometry;
    setPrecision(precision);
    return allocateGrid(std::max(0, geometry.dimx()), std::max(0, geometry.dimz()));
}

void ZR3DHorizon::addPoints(const core::vec3* points, std::size_t count)
{
    if (!m_grid.isNull())
        placePoints(points, count);
}

void ZR3DHorizon::finishPoints()
{
    buildMesh();
}

core::vec3 ZR3DHorizon::worldPoint(int i, int j) const
{
    const georef::Matrix4& m = m_geometry.fromBlocToWorldMatrix();
    const double fi = i;
    const double fj = j;
    double w = m(3, 0) * fi + m(3, 2) * fj + m(3, 3);
    if (w == 0.0)
        w = 1.0;
    const double x = (m(0, 0) * fi + m(0, 2) * fj + m(0, 3)) / w;
    const double y = (m(2, 0) * fi + m(2, 2) * fj + m(2, 3)) / w;
    return {x, double(m_grid.value(i, j)), y};
}

std::vector<core::vec3> ZR3DHorizon::worldPoints(int columnStep, int rowStep) const
{
    columnStep = std::max(1, columnStep);
    rowStep = std::max(1, rowStep);
    std::vector<core::vec3> points;
    for (int j = 0; j < m_grid.height(); j += rowStep)
        for (int i = 0; i < m_grid.width(); i += columnStep)
            if (!isNull(m_grid.value(i, j)))
                points.push_back(worldPoint(i, j));
    return points;
}

int ZR3DHorizon::controlPointCount() const
{
    int count = 0;
    const float* values = m_grid.data();
    for (std::size_t n = 0; n < m_grid.size(); ++n)
        if (!isNull(values[n]))
            ++count;
    return count;
}

bool ZR3DHorizon::withData() const
{
    const int count = controlPointCount();
    return count >= 1 && m_data.size() == std::size_t(count);
}

void ZR3DHorizon::buildMesh()
{
    m_vertices.clear();
    m_triangles.clear();
    const int width = m_grid.width();
    const int height = m_grid.height();
    if (width <= 0 || height <= 0)
        return;
    const std::vector<int> columns = latticePositions(width, m_precision);
    const std::vector<int> rows = latticePositions(height, m_precision);
    constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> index(columns.size() * rows.size(), none);
    m_vertices.reserve(index.size());
    m_triangles.reserve(2 * (columns.size() - 1) * (rows.size() - 1));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (!isNull(m_grid.value(columns[c], rows[r]))) {
                index[r * columns.size() + c] = std::uint32_t(m_vertices.size());
                m_vertices.push_back(worldPoint(columns[c], rows[r]));
            }
    for (std::size_t r = 0; r + 1 < rows.size(); ++r)
        for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
            const std::uint32_t a = index[r * columns.size() + c];
            const std::uint32_t b = index[r * columns.size() + c + 1];
            const std::uint32_t d = index[(r + 1) * columns.size() + c];
            const std::uint32_t e = index[(r + 1) * columns.size() + c + 1];
            const int set = int(a != none) + int(b != none) + int(d != none) + int(e != none);
            if (set == 4) {
                m_triangles.push_back({a, b, e});
                m_triangles.push_back({a, e, d});
            } else if (set == 3) {
                std::array<std::uint32_t, 3> triangle{};
                int n = 0;
                for (std::uint32_t vertex : {a, b, e, d})
                    if (vertex != none)
                        triangle[std::size_t(n++)] = vertex;
                m_triangles.push_back(triangle);
            }
        }
}

QDomElement ZR3DHorizon::toXml(QDomDocument& document) const
{
    QDomElement element = document.createElement(typeName());

    QDomElement draw = document.createElement(QStringLiteral("ZR3DObjectDraw"));
    element.appendChild(draw);
    ZRXmlTools::writeInt64(document, draw, QStringLiteral("numberOfPoint"), qint64(m_vertices.size()));
    ZRXmlTools::writeInt64(document, draw, QStringLiteral("numberOffacette"), qint64(m_triangles.size()));
    ZRXmlTools::writePen(document, draw, QStringLiteral("pen"), m_pen);
    ZRXmlTools::writeBrush(document, draw, QStringLiteral("brush"), m_brush);
    ZRXmlTools::writeInt(document, draw, QStringLiteral("pixelSize"), m_pixelSize);
    ZRXmlTools::writeInt(document, draw, QStringLiteral("recordSize"), m_recordSize);
    m_geometry.unitsObject().toXml(document, draw);

    QDomElement light = document.createElement(QStringLiteral("ZRLight"));
    element.appendChild(light);
    ZRXmlTools::writeBool(document, light, QStringLiteral("withLightShader"), m_withLightShader);
    ZRXmlTools::writeVector3(document, light, QStringLiteral("lightSource"), m_lightSource);
    ZRXmlTools::writeFloat(document, light, QStringLiteral("lightBlendingAlpha"), m_lightBlendingAlpha);
    ZRXmlTools::writeColor(document, light, QStringLiteral("lightColor"), m_lightColor);

    const int controlPoints = controlPointCount();
    ZRXmlTools::writeInt(document, element, QStringLiteral("Version"), FileVersion);
    ZRXmlTools::writeInt(document, element, QStringLiteral("numberOfControlPoint"), controlPoints);
    ZRXmlTools::writeInt(document, element, QStringLiteral("precision"), m_precision);
    ZRXmlTools::writeInt(document, element, QStringLiteral("SmoothFactor"), m_smoothFactor);
    ZRXmlTools::writeInt(document, element, QStringLiteral("radius"), m_radius);
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimx"), m_geometry.dimx());
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimy"), m_geometry.dimy());
    ZRXmlTools::writeInt(document, element, QStringLiteral("dimz"), m_geometry.dimz());
    ZRXmlTools::writeMatrix(document, element, QStringLiteral("fromBlocToWorldMatrix"),
                            m_geometry.fromBlocToWorldMatrix().values());
    ZRXmlTools::writeMatrix(document, element, QStringLiteral("fromBlocToSurveyMatrix"),
                            m_geometry.fromBlocToSurveyMatrix().values());
    ZRXmlTools::writeInt(document, element, QStringLiteral("HorizonType"), m_horizonType);
    ZRXmlTools::writeUInt64(document, element, QStringLiteral("numberOfPickedPoint"), quint64(m_pickedPoints.size()));
    ZRXmlTools::writeInt(document, element, QStringLiteral("polarity"), m_polarity);
    ZRXmlTools::writeBool(document, element, QStringLiteral("peak"), m_peak);
    ZRXmlTools::writeBool(document, element, QStringLiteral("trough"), m_trough);
    ZRXmlTools::writeBool(document, element, QStringLiteral("zeroCrossUp"), m_zeroCrossUp);
    ZRXmlTools::writeBool(document, element, QStringLiteral("zeroCrossDown"), m_zeroCrossDown);
    ZRXmlTools::writeBool(document, element, QStringLiteral("undefined"), m_undefined);
    ZRXmlTools::writeInt64(document, element, QStringLiteral("numberOfPointPolygons"), qint64(m_pointPolygons.size()));
    ZRXmlTools::writeBool(document, element, QStringLiteral("withData"),
                          controlPoints >= 1 && m_data.size() == std::size_t(controlPoints));
    writePalette(document, element, QStringLiteral("timePalette"), m_timePalette);
    writePalette(document, element, QStringLiteral("dataPalette"), m_dataPalette);
    return element;
}

bool ZR3DHorizon::write(const QString& path)
{
    const bool data = withData();

    if (!ZRObjectHeader::writeObjectHeader(path, QList<const ZRObjectSerialization*>{this},
                                           ZRObjectHeader::DefaultReservedSize))
        return false;

    QFile file(ZRLongPath::systemName(path));
    if (!file.open(QIODevice::ReadWrite)) {
        reportFileError(QStringLiteral("Error when opening ") + path);
        return false;
    }
    const qint64 offset = ZRObjectHeader::dataOffset(path);
    if (offset < 0 || !file.seek(offset)) {
        reportFileError(QStringLiteral("Error when writing into ") + path);
        return false;
    }

    BodyWriter writer(file, m_writeBuffer);
    for (const core::vec3& vertex : m_vertices) {
        if (m_recordSize == 4) {
            writer.put(float(vertex.x));
            writer.put(float(vertex.y));
            writer.put(float(vertex.z));
        } else {
            writer.putPoint(vertex);
        }
    }
    for (const auto& triangle : m_triangles)
        for (std::uint32_t vertex : triangle)
            writer.put(vertex);
    for (const PickedPoint& picked : m_pickedPoints) {
        writer.putPoint(picked.point);
        writer.put(std::int32_t(picked.values.size()));
        for (std::int32_t value : picked.values)
            writer.put(value);
    }
    for (const PointPolygon& polygon : m_pointPolygons) {
        writer.put(std::int32_t(polygon.points.size()));
        for (const core::vec3& point : polygon.points)
            writer.putPoint(point);
        writer.put(polygon.boundingRectangle.x());
        writer.put(polygon.boundingRectangle.y());
        writer.put(polygon.boundingRectangle.width());
        writer.put(polygon.boundingRectangle.height());
    }
    // The world points (worldPoints(1, 1)), node by node without holding them
    // all; with an affine matrix w is 1 and worldPoint's division changes nothing.
    const georef::Matrix4& m = m_geometry.fromBlocToWorldMatrix();
    const bool affine = m(3, 0) == 0.0 && m(3, 2) == 0.0 && m(3, 3) == 1.0;
    const int width = m_grid.width();
    for (int j = 0; j < m_grid.height(); ++j) {
        const float* row = m_grid.data() + std::size_t(j) * std::size_t(width);
        const double fj = j;
        for (int i = 0; i < width; ++i) {
            if (isNull(row[i]))
                continue;
            if (!affine) {
                writer.putPoint(worldPoint(i, j));
                continue;
            }
            const double fi = i;
            writer.putPoint({m(0, 0) * fi + m(0, 2) * fj + m(0, 3), double(row[i]), m(2, 0) * fi + m(2, 2) * fj + m(2, 3)});
        }
    }
    if (data)
        for (float value : m_data)
            writer.put(value);
    if (!writer.flush() || !file.flush()) {
        reportFileError(QStringLiteral("Error when writing into ") + path);
        return false;
    }
    file.close();
    return true;
}

bool ZR3DHorizon::readHeader(const QDomElement& element, const QString& path, HorizonCounts* counts)
{
    int version = 0;
    ZRXmlTools::readInt(element, QStringLiteral("Version"), &version);
    if (version != FileVersion) {
        reportFileError(QStringLiteral("Error when reading %1 - Unknown file version %2").arg(path).arg(version));
        return false;
    }
    const auto corrupt = [&path](const QString& field) {
        reportFileError(QStringLiteral("Error when reading %1 - %2").arg(path, QStringLiteral("invalid ") + field));
        return false;
    };

    const QDomElement draw = element.firstChildElement(QStringLiteral("ZR3DObjectDraw"));
    if (!readCount(draw, QStringLiteral("numberOfPoint"), &counts->numberOfPoint))
        return corrupt(QStringLiteral("numberOfPoint"));
    if (!readCount(draw, QStringLiteral("numberOffacette"), &counts->numberOffacette))
        return corrupt(QStringLiteral("numberOffacette"));
    if (!ZRXmlTools::readInt(draw, QStringLiteral("recordSize"), &counts->recordSize)
        || (counts->recordSize != 4 && counts->recordSize != 8))
        return corrupt(QStringLiteral("recordSize"));
    ZRXmlTools::readPen(draw, QStringLiteral("pen"), &m_pen);
    ZRXmlTools::readBrush(draw, QStringLiteral("brush"), &m_brush);
    ZRXmlTools::readInt(draw, QStringLiteral("pixelSize"), &m_pixelSize);

    const QDomElement light = element.firstChildElement(QStringLiteral("ZRLight"));
    ZRXmlTools::readBool(light, QStringLiteral("withLightShader"), &m_withLightShader);
    ZRXmlTools::readVector3(light, QStringLiteral("lightSource"), &m_lightSource);
    ZRXmlTools::readFloat(light, QStringLiteral("lightBlendingAlpha"), &m_lightBlendingAlpha);
    ZRXmlTools::readColor(light, QStringLiteral("lightColor"), &m_lightColor);

    if (!readCount(element, QStringLiteral("numberOfControlPoint"), &counts->numberOfControlPoint))
        return corrupt(QStringLiteral("numberOfControlPoint"));
    int precision = DefaultPrecision;
    ZRXmlTools::readInt(element, QStringLiteral("precision"), &precision);
    setPrecision(precision);
    ZRXmlTools::readInt(element, QStringLiteral("SmoothFactor"), &m_smoothFactor);
    ZRXmlTools::readInt(element, QStringLiteral("radius"), &m_radius);

    int dimx = 0, dimy = 0, dimz = 0;
    if (!ZRXmlTools::readInt(element, QStringLiteral("dimx"), &dimx) || !ZRXmlTools::readInt(element, QStringLiteral("dimy"), &dimy)
        || !ZRXmlTools::readInt(element, QStringLiteral("dimz"), &dimz) || dimx < 0 || dimz < 0)
        return corrupt(QStringLiteral("grid size"));
    if (qint64(dimx) * qint64(dimz) > MaximumNodeCount) {
        reportFileError(QStringLiteral("Error when reading %1 - %2")
                            .arg(path, QStringLiteral("grid of %1 x %2 nodes is larger than the largest grid accepted (%3 nodes)")
                                           .arg(dimx)
                                           .arg(dimz)
                                           .arg(MaximumNodeCount)));
        return false;
    }
    georef::BlocSpace geometry(dimx, dimy, dimz);
    ZRXmlTools::Matrix matrix{};
    if (!ZRXmlTools::readMatrix(element, QStringLiteral("fromBlocToWorldMatrix"), &matrix))
        return corrupt(QStringLiteral("fromBlocToWorldMatrix"));
    geometry.setFromBlocToWorldMatrix(georef::Matrix4(matrix));
    if (ZRXmlTools::readMatrix(element, QStringLiteral("fromBlocToSurveyMatrix"), &matrix))
        geometry.setFromBlocToSurveyMatrix(georef::Matrix4(matrix));
    const QDomElement units = draw.firstChildElement(QStringLiteral("unitsObject"));
    if (!units.isNull()) {
        georef::UnitObject unitsObject;
        unitsObject.fromXml(units);
        geometry.setUnitsObject(unitsObject);
    }
    m_geometry = geometry;

    ZRXmlTools::readInt(element, QStringLiteral("HorizonType"), &m_horizonType);
    if (!ZRXmlTools::readUInt64(element, QStringLiteral("numberOfPickedPoint"), &counts->numberOfPickedPoint))
        return corrupt(QStringLiteral("numberOfPickedPoint"));
    ZRXmlTools::readInt(element, QStringLiteral("polarity"), &m_polarity);
    ZRXmlTools::readBool(element, QStringLiteral("peak"), &m_peak);
    ZRXmlTools::readBool(element, QStringLiteral("trough"), &m_trough);
    ZRXmlTools::readBool(element, QStringLiteral("zeroCrossUp"), &m_zeroCrossUp);
    ZRXmlTools::readBool(element, QStringLiteral("zeroCrossDown"), &m_zeroCrossDown);
    ZRXmlTools::readBool(element, QStringLiteral("undefined"), &m_undefined);
    if (!readCount(element, QStringLiteral("numberOfPointPolygons"), &counts->numberOfPointPolygons))
        return corrupt(QStringLiteral("numberOfPointPolygons"));
    if (!ZRXmlTools::readBool(element, QStringLiteral("withData"), &counts->withData))
        counts->withData = false;
    readPalette(element, QStringLiteral("timePalette"), &m_timePalette);
    readPalette(element, QStringLiteral("dataPalette"), &m_dataPalette);
    return true;
}

bool ZR3DHorizon::load(const QString& path)
{
    clear();
    m_geometry = georef::BlocSpace();
    const QDomDocument globalHeader = ZRObjectHeader::readGlobalHeader(path);
    if (globalHeader.isNull())
        return false;
    const QDomDocument objects = ZRObjectHeader::readObjectDocument(path);
    if (objects.isNull())
        return false;
    QDomElement element;
    for (const QDomElement& object : ZRObjectHeader::objectElements(objects))
        if (object.attribute(QStringLiteral("type")) == typeName()) {
            element = object.firstChildElement(typeName());
            break;
        }
    if (element.isNull()) {
        reportFileError(QStringLiteral("Error when reading %1 - %2").arg(path, QStringLiteral("no horizon in the file header")));
        return false;
    }
    HorizonCounts counts;
    if (!readHeader(element, path, &counts)) {
        clear();
        return false;
    }
    const qint64 offset = ZRObjectHeader::dataOffset(globalHeader.documentElement());

    QFile file(ZRLongPath::systemName(path));
    if (offset < 0 || !file.open(QIODevice::ReadOnly)) {
        reportFileError(QStringLiteral("Error when opening ") + path);
        clear();
        return false;
    }
    if (offset < ZRObjectHeader::GlobalHeaderSize || offset > file.size() || !file.seek(offset)) {
        reportFileError(QStringLiteral("Error when reading %1 - %2")
                            .arg(path, QStringLiteral("data offset %1 lies outside the file (%2 bytes)").arg(offset).arg(file.size())));
        clear();
        return false;
    }
    BodyReader reader(file, file.size());
    const auto fail = [&](const QString& section) {
        reportFileError(QStringLiteral("Error when reading %1 - %2").arg(path, QStringLiteral("truncated ") + section));
        clear();
        return false;
    };

    // Counts are compared with the bytes left by division: a product could overflow.
    const qint64 vertexBytes = 3 * qint64(counts.recordSize);
    if (!reader.canRead(counts.numberOfPoint, vertexBytes) || !reader.skip(counts.numberOfPoint * vertexBytes))
        return fail(QStringLiteral("mesh vertices"));
    if (!reader.canRead(counts.numberOffacette, 12) || !reader.skip(counts.numberOffacette * 12))
        return fail(QStringLiteral("triangles"));

    if (!reader.canRead(qint64(std::min<quint64>(counts.numberOfPickedPoint, quint64(std::numeric_limits<qint64>::max()))), 28))
        return fail(QStringLiteral("picked points"));
    std::vector<PickedPoint> picked(std::size_t(counts.numberOfPickedPoint));
    for (PickedPoint& point : picked) {
        std::int32_t n = 0;
        if (!reader.getPoint(&point.point) || !reader.get(&n) || n < 0 || !reader.canRead(n, 4))
            return fail(QStringLiteral("picked points"));
        point.values.resize(std::size_t(n));
        for (std::int32_t& value : point.values)
            if (!reader.get(&value))
                return fail(QStringLiteral("picked points"));
    }

    if (!reader.canRead(counts.numberOfPointPolygons, 36))
        return fail(QStringLiteral("point polygons"));
    std::vector<PointPolygon> polygons(std::size_t(counts.numberOfPointPolygons));
    for (PointPolygon& polygon : polygons) {
        std::int32_t n = 0;
        if (!reader.get(&n) || n < 0 || !reader.canRead(qint64(n) * 24 + 32, 1))
            return fail(QStringLiteral("point polygons"));
        polygon.points.resize(std::size_t(n));
        for (core::vec3& point : polygon.points)
            reader.getPoint(&point);
        double x = 0, y = 0, w = 0, h = 0;
        if (!reader.get(&x) || !reader.get(&y) || !reader.get(&w) || !reader.get(&h))
            return fail(QStringLiteral("point polygons"));
        polygon.boundingRectangle = QRectF(x, y, w, h);
    }

    if (!reader.canRead(counts.numberOfControlPoint, 24))
        return fail(QStringLiteral("world points"));
    if (counts.withData && !reader.canRead(counts.numberOfControlPoint * 24 + counts.numberOfControlPoint * 4, 1))
        return fail(QStringLiteral("data values"));
    if (!allocateGrid(m_geometry.dimx(), m_geometry.dimz())) {
        clear();
        return false;
    }
    // The world points, a block at a time, placed as they come (the grid
    // keeps the first value of each node, as placing the whole list would).
    {
        constexpr qint64 BlockPoints = 65536;
        std::vector<core::vec3> block(std::size_t(std::min(BlockPoints, std::max<qint64>(1, counts.numberOfControlPoint))));
        static_assert(sizeof(core::vec3) == 3 * sizeof(double), "a world point is three doubles");
        for (qint64 done = 0; done < counts.numberOfControlPoint;) {
            const qint64 count = std::min(BlockPoints, counts.numberOfControlPoint - done);
            if (!reader.getPoints(block.data(), count))
                return fail(QStringLiteral("world points"));
            placePoints(block.data(), std::size_t(count));
            done += count;
        }
    }

    std::vector<float> data;
    if (counts.withData) {
        data.resize(std::size_t(counts.numberOfControlPoint));
        if (!reader.getBytes(reinterpret_cast<char*>(data.data()), qint64(data.size()) * qint64(sizeof(float))))
            return fail(QStringLiteral("data values"));
    }
    file.close();

    m_pickedPoints = std::move(picked);
    m_pointPolygons = std::move(polygons);
    m_data = std::move(data);
    m_recordSize = counts.recordSize;
    buildMesh();
    return true;
}
