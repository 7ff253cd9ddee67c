// Horizon files: point placement, header element, body read independently, round trips and damaged files.

#include "busrecorder.h"
#include "testenvironment.h"
#include "zr3dhorizon.h"
#include "zrobjectheader.h"
#include "zreventbus.h"
#include "zrxmltools.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace
{

constexpr float kNull = -9999.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

/// A rotated grid of width × height nodes, 12.5 m by 25 m.
georef::BlocSpace grid(int width, int height)
{
    georef::BlocSpace space(width, 1, height);
    const double angle = 0.4;
    const core::vec3 origin{450000.0, 0.0, 6500000.0};
    const core::vec3 along{12.5 * std::cos(angle), 0.0, 12.5 * std::sin(angle)};
    const core::vec3 across{-25.0 * std::sin(angle), 0.0, 25.0 * std::cos(angle)};
    space.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, origin, origin + along, origin + core::vec3(0, 1, 0), origin + across));
    space.setFromBlocToSurveyMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {100, 0, 10}, {101, 0, 10}, {100, 1, 10}, {100, 0, 11}));
    return space;
}

/// Map point of node (i, j) computed from the matrix rows, independently of the horizon.
core::vec3 mapPoint(const georef::BlocSpace& space, double i, double j, double value)
{
    const georef::Matrix4& m = space.fromBlocToWorldMatrix();
    const double w = m(3, 0) * i + m(3, 2) * j + m(3, 3);
    return {(m(0, 0) * i + m(0, 2) * j + m(0, 3)) / w, value, (m(2, 0) * i + m(2, 2) * j + m(2, 3)) / w};
}

bool sameNode(float a, float b)
{
    const bool aNull = a == kNull || std::isnan(a);
    const bool bNull = b == kNull || std::isnan(b);
    return aNull == bNull && (aNull || a == b);
}

/// The horizon file as read from its layout description.
struct HorizonFileView
{
    QByteArray bytes;
    qint64 dataOffset = -1;
    QDomElement horizon;
    QDomDocument objects;
    qint64 position = 0;

    bool read(const QString& fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        bytes = file.readAll();
        QDomDocument global;
        if (bytes.size() < 2500 || !global.setContent(bytes.left(bytes.indexOf('\0'))))
            return false;
        const QDomElement root = global.documentElement();
        const int headerSize = root.firstChildElement("headerSize").attribute("value").toInt();
        dataOffset = root.firstChildElement("DataOffset").attribute("value").toLongLong();
        if (dataOffset != 2500 + headerSize + 10000 || !objects.setContent(bytes.mid(2500, headerSize)))
            return false;
        const QDomElement object = objects.documentElement().firstChildElement("object");
        if (object.attribute("type") != QLatin1String("ZR3DHorizon"))
            return false;
        horizon = object.firstChildElement("ZR3DHorizon");
        position = dataOffset;
        return !horizon.isNull();
    }
    qint64 field(const QString& name) const { return horizon.firstChildElement(name).attribute("value").toLongLong(); }
    qint64 drawField(const QString& name) const
    {
        return horizon.firstChildElement("ZR3DObjectDraw").firstChildElement(name).attribute("value").toLongLong();
    }
    template <typename T>
    T next()
    {
        T value{};
        if (position + qint64(sizeof(T)) <= bytes.size())
            std::memcpy(&value, bytes.constData() + position, sizeof(T));
        position += qint64(sizeof(T));
        return value;
    }
    core::vec3 nextPoint()
    {
        const double x = next<double>();
        const double y = next<double>();
        const double z = next<double>();
        return {x, y, z};
    }
};

QStringList childNames(const QDomElement& element)
{
    QStringList names;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        names.append(child.tagName());
    return names;
}

} // namespace

class TestHorizon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void placementRules();
    void worldPointsFollowTheMatrix();
    void headerElement();
    void bodyReadIndependently_data();
    void bodyReadIndependently();
    void roundTripWithNullNaNDuplicateAndOutside();
    void allNullHorizon();
    void reusedHorizonKeepsNothingOfEarlierBuilds();
    void extrasRoundTrip();
    void meshFollowsPrecision();
    void horizonKinds_data();
    void horizonKinds();

    void writeIntoMissingFolder();
    void gridThatCannotBeAllocated();
    void damagedFiles_data();
    void damagedFiles();

private:
    QString newFile(const QString& name) const { return m_environment->makeFolder(QStringLiteral("horizon")) + "/" + name; }

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
};

void TestHorizon::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestHorizon::cleanup()
{
    m_bus->take();
}

void TestHorizon::placementRules()
{
    const georef::BlocSpace space = grid(6, 4);
    std::vector<core::vec3> points{
        mapPoint(space, 1, 1, 10.0),
        mapPoint(space, 1.3, 0.8, 20.0),        // rounds onto (1, 1): the first value stays
        mapPoint(space, 2, 2, -9999.0),         // null value: leaves the node free
        mapPoint(space, 2.2, 1.9, 30.0),        // takes (2, 2)
        mapPoint(space, 2.6, 3.4, 40.0),        // (3, 3)
        mapPoint(space, -0.5, 0, 50.0),         // rounds to -1: outside
        mapPoint(space, -0.49, 0, 55.0),        // rounds to 0: inside at (0, 0)
        mapPoint(space, 6, 0, 60.0),            // outside
        mapPoint(space, 0, 4, 70.0),            // outside
        mapPoint(space, 5, 3, 80.0),            // last node
        {std::numeric_limits<double>::quiet_NaN(), 5.0, 0.0},
    };
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space, 3));
    QCOMPARE(horizon.width(), 6);
    QCOMPARE(horizon.height(), 4);
    const ZRImage& values = horizon.valueGrid();
    QCOMPARE(values.value(1, 1), 10.0f);
    QCOMPARE(values.value(2, 2), 30.0f);
    QCOMPARE(values.value(3, 3), 40.0f);
    QCOMPARE(values.value(0, 0), 55.0f);
    QCOMPARE(values.value(5, 3), 80.0f);
    QCOMPARE(horizon.controlPointCount(), 5);
    int nulls = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 6; ++i)
            nulls += values.value(i, j) == kNull ? 1 : 0;
    QCOMPARE(nulls, 24 - 5);

    // Exact halves (a power-of-two scale keeps them exact) round away from zero.
    georef::BlocSpace scaled(4, 1, 4);
    scaled.setFromBlocToWorldMatrix(georef::Matrix4::fromColumns({2, 0, 0}, {0, 1, 0}, {0, 0, 4}, {100, 0, 200}));
    ZR3DHorizon halves;
    QVERIFY(halves.buildFromPoints({{100 + 2 * 2.5, 1.0, 200 + 4 * 0.5}, {100 - 2 * 0.5, 2.0, 200}, {100 + 2 * 0.49, 3.0, 200 + 4 * 2.5},
                                    {100 + 2 * 1.5, 4.0, 200 - 4 * 0.49}},
                                   scaled));
    QCOMPARE(halves.valueGrid().value(3, 1), 1.0f);
    QCOMPARE(halves.valueGrid().value(0, 3), 3.0f);
    QCOMPARE(halves.valueGrid().value(2, 0), 4.0f);
    QCOMPARE(halves.controlPointCount(), 3); // (-0.5, 0) rounds to column -1: dropped
}

void TestHorizon::worldPointsFollowTheMatrix()
{
    const georef::BlocSpace space = grid(5, 3);
    std::vector<core::vec3> points;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 5; ++i)
            if ((i + j) % 2 == 0)
                points.push_back(mapPoint(space, i, j, 100.0 * j + i));
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space));
    const std::vector<core::vec3> world = horizon.worldPoints();
    QCOMPARE(world.size(), points.size());
    for (std::size_t n = 0; n < world.size(); ++n) {
        QVERIFY(std::abs(world[n].x - points[n].x) < 1e-6);
        QVERIFY(std::abs(world[n].z - points[n].z) < 1e-6);
        QCOMPARE(world[n].y, points[n].y);
    }
    // Steps: every second column of every second row.
    const std::vector<core::vec3> sparse = horizon.worldPoints(2, 2);
    QCOMPARE(sparse.size(), std::size_t(6));
    QVERIFY(std::abs(sparse[1].x - mapPoint(space, 2, 0, 0).x) < 1e-6);
}

void TestHorizon::headerElement()
{
    const georef::BlocSpace space = grid(4, 4);
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints({mapPoint(space, 1, 1, 5.0)}, space, 3));
    const QString fileName = newFile(QStringLiteral("header.hrz"));
    QVERIFY(horizon.write(fileName));
    HorizonFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(childNames(view.horizon),
             (QStringList{"ZR3DObjectDraw", "ZRLight", "Version", "numberOfControlPoint", "precision", "SmoothFactor",
                          "radius", "dimx", "dimy", "dimz", "fromBlocToWorldMatrix", "fromBlocToSurveyMatrix",
                          "HorizonType", "numberOfPickedPoint", "polarity", "peak", "trough", "zeroCrossUp",
                          "zeroCrossDown", "undefined", "numberOfPointPolygons", "withData", "ZRColorPalette",
                          "ZRColorPalette"}));
    QCOMPARE(childNames(view.horizon.firstChildElement("ZR3DObjectDraw")),
             (QStringList{"numberOfPoint", "numberOffacette", "pen", "brush", "pixelSize", "recordSize", "unitsObject"}));
    QCOMPARE(childNames(view.horizon.firstChildElement("ZRLight")),
             (QStringList{"withLightShader", "lightSource", "lightBlendingAlpha", "lightColor"}));
    QCOMPARE(view.field("Version"), qint64(2));
    QCOMPARE(view.field("numberOfControlPoint"), qint64(1));
    QCOMPARE(view.field("precision"), qint64(3));
    QCOMPARE(view.field("dimx"), qint64(4));
    QCOMPARE(view.field("dimz"), qint64(4));
    QCOMPARE(view.field("HorizonType"), qint64(0));
    QCOMPARE(view.horizon.firstChildElement("withData").attribute("value"), QStringLiteral("0"));
    const QDomElement timePalette = view.horizon.firstChildElement("ZRColorPalette");
    QCOMPARE(timePalette.attribute("name"), QStringLiteral("timePalette"));
    QCOMPARE(timePalette.nextSiblingElement("ZRColorPalette").attribute("name"), QStringLiteral("dataPalette"));
    QCOMPARE(view.horizon.firstChildElement("fromBlocToWorldMatrix").firstChildElement("vect0").attribute("t"),
             QStringLiteral("450000.000000   "));
}

void TestHorizon::bodyReadIndependently_data()
{
    QTest::addColumn<int>("recordSize");
    QTest::newRow("float vertices") << 4;
    QTest::newRow("double vertices") << 8;
}

void TestHorizon::bodyReadIndependently()
{
    QFETCH(int, recordSize);
    const georef::BlocSpace space = grid(8, 5);
    std::vector<core::vec3> points;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 8; ++i)
            points.push_back(mapPoint(space, i, j, (i == 3 && j == 2) ? -9999.0 : 1000.0 + 10 * j + i));
    ZR3DHorizon horizon;
    horizon.setRecordSize(recordSize);
    QVERIFY(horizon.buildFromPoints(points, space, 3));
    std::vector<float> data(39);
    for (std::size_t n = 0; n < data.size(); ++n)
        data[n] = float(n) * 0.5f;
    horizon.setData(data);
    horizon.setPickedPoints({{core::vec3(1, 2, 3), {7, -8, 9}}, {core::vec3(4, 5, 6), {}}});
    horizon.setPointPolygons({{{core::vec3(0, 0, 0), core::vec3(1, 1, 1)}, QRectF(0.5, 0.25, 2, 3)}});
    const QString fileName = newFile(QStringLiteral("body.hrz"));
    QVERIFY(horizon.write(fileName));

    HorizonFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(view.drawField("recordSize"), qint64(recordSize));
    const qint64 vertices = view.drawField("numberOfPoint");
    const qint64 triangles = view.drawField("numberOffacette");
    QCOMPARE(vertices, qint64(horizon.meshVertices().size()));
    QCOMPARE(triangles, qint64(horizon.meshTriangles().size()));
    QVERIFY(vertices > 0 && triangles > 0);
    QCOMPARE(view.field("numberOfControlPoint"), qint64(39));
    QCOMPARE(view.field("numberOfPickedPoint"), qint64(2));
    QCOMPARE(view.field("numberOfPointPolygons"), qint64(1));
    QCOMPARE(view.field("withData"), qint64(1));

    for (qint64 n = 0; n < vertices; ++n) {
        const core::vec3& expected = horizon.meshVertices()[std::size_t(n)];
        if (recordSize == 4) {
            QCOMPARE(view.next<float>(), float(expected.x));
            QCOMPARE(view.next<float>(), float(expected.y));
            QCOMPARE(view.next<float>(), float(expected.z));
        } else {
            QCOMPARE(view.nextPoint(), expected);
        }
    }
    for (qint64 n = 0; n < triangles * 3; ++n)
        QVERIFY(view.next<quint32>() < quint32(vertices));
    QCOMPARE(view.nextPoint(), core::vec3(1, 2, 3));
    QCOMPARE(view.next<qint32>(), 3);
    QCOMPARE(view.next<qint32>(), 7);
    QCOMPARE(view.next<qint32>(), -8);
    QCOMPARE(view.next<qint32>(), 9);
    QCOMPARE(view.nextPoint(), core::vec3(4, 5, 6));
    QCOMPARE(view.next<qint32>(), 0);
    QCOMPARE(view.next<qint32>(), 2);
    QCOMPARE(view.nextPoint(), core::vec3(0, 0, 0));
    QCOMPARE(view.nextPoint(), core::vec3(1, 1, 1));
    QCOMPARE(view.next<double>(), 0.5);
    QCOMPARE(view.next<double>(), 0.25);
    QCOMPARE(view.next<double>(), 2.0);
    QCOMPARE(view.next<double>(), 3.0);
    // World points: non-null nodes, row-major, from the matrix.
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 8; ++i) {
            if (i == 3 && j == 2)
                continue;
            const core::vec3 expected = mapPoint(space, i, j, 1000.0 + 10 * j + i);
            const core::vec3 stored = view.nextPoint();
            QVERIFY(std::abs(stored.x - expected.x) < 1e-6 && std::abs(stored.z - expected.z) < 1e-6);
            QCOMPARE(stored.y, expected.y);
        }
    for (std::size_t n = 0; n < data.size(); ++n)
        QCOMPARE(view.next<float>(), data[n]);
    QCOMPARE(view.position, qint64(view.bytes.size()));
}

void TestHorizon::roundTripWithNullNaNDuplicateAndOutside()
{
    const georef::BlocSpace space = grid(7, 6);
    std::vector<core::vec3> points;
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 7; ++i) {
            double value = 500.0 + 7 * j + i;
            if ((i * 3 + j) % 5 == 0)
                value = -9999.0;
            if (i == 4 && j == 4)
                value = std::numeric_limits<double>::quiet_NaN();
            points.push_back(mapPoint(space, i, j, value));
        }
    points.push_back(mapPoint(space, 1, 1, 123.0));  // duplicate of a set node: ignored
    points.push_back(mapPoint(space, 10, 1, 1.0));   // outside
    points.push_back(mapPoint(space, 1, -3, 1.0));   // outside

    ZR3DHorizon original;
    QVERIFY(original.buildFromPoints(points, space, 3));
    QCOMPARE(original.valueGrid().value(1, 1), float(500.0 + 7 + 1));
    // A NaN value makes the whole mapped point NaN: it lands nowhere and the node stays null.
    QVERIFY(sameNode(original.valueGrid().value(4, 4), kNull));
    const QString fileName = newFile(QStringLiteral("roundtrip.hrz"));
    QVERIFY(original.write(fileName));

    ZR3DHorizon loaded;
    QVERIFY(loaded.load(fileName));
    QCOMPARE(loaded.width(), 7);
    QCOMPARE(loaded.height(), 6);
    QCOMPARE(loaded.precision(), 3);
    QCOMPARE(loaded.controlPointCount(), original.controlPointCount());
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 7; ++i)
            QVERIFY2(sameNode(loaded.valueGrid().value(i, j), original.valueGrid().value(i, j)),
                     qPrintable(QStringLiteral("node %1, %2").arg(i).arg(j)));
    QCOMPARE(loaded.valueGrid().value(4, 4), kNull);
    QCOMPARE(loaded.meshVertices().size(), original.meshVertices().size());
    QCOMPARE(loaded.meshTriangles(), original.meshTriangles());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            QVERIFY(std::abs(loaded.geometry().fromBlocToWorldMatrix()(r, c) - space.fromBlocToWorldMatrix()(r, c)) <= 5e-7);
    QVERIFY(loaded.data().empty());
    QVERIFY(m_bus->take().isEmpty());
}

void TestHorizon::reusedHorizonKeepsNothingOfEarlierBuilds()
{
    // A first build with every node set and a data array, written once.
    const georef::BlocSpace large = grid(7, 6);
    std::vector<core::vec3> full;
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 7; ++i)
            full.push_back(mapPoint(large, i, j, 800.0 + 10 * j + i));
    ZR3DHorizon reused;
    QVERIFY(reused.buildFromPoints(full, large, 3));
    reused.setData(std::vector<float>(std::size_t(reused.controlPointCount()), 1.5f));
    QVERIFY(reused.write(newFile(QStringLiteral("first.hrz"))));

    // Then builds of mostly null grids, of the same size and of a smaller one
    // (whose storage fits in what the first build left).
    for (const auto& size : {std::pair<int, int>{7, 6}, std::pair<int, int>{5, 4}}) {
        const georef::BlocSpace space = grid(size.first, size.second);
        std::vector<core::vec3> sparse;
        for (int j = 0; j < size.second; ++j)
            for (int i = 0; i < size.first; ++i)
                sparse.push_back(mapPoint(space, i, j, (i + j) % 3 == 0 ? 300.0 + i : -9999.0));
        QVERIFY(reused.buildFromPoints(sparse, space, 3));
        for (int j = 0; j < size.second; ++j)
            for (int i = 0; i < size.first; ++i)
                QVERIFY2(sameNode(reused.valueGrid().value(i, j), (i + j) % 3 == 0 ? float(300.0 + i) : kNull),
                         qPrintable(QStringLiteral("%1 x %2 node %3, %4").arg(size.first).arg(size.second).arg(i).arg(j)));
        QVERIFY(!reused.withData());
        const QString again = newFile(QStringLiteral("again%1.hrz").arg(size.first));
        QVERIFY(reused.write(again));

        ZR3DHorizon fresh;
        QVERIFY(fresh.buildFromPoints(sparse, space, 3));
        const QString freshName = newFile(QStringLiteral("fresh%1.hrz").arg(size.first));
        QVERIFY(fresh.write(freshName));
        QFile a(again), b(freshName);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), "a horizon built again writes the file a new horizon writes");
    }
    QVERIFY(m_bus->take().isEmpty());
}

void TestHorizon::allNullHorizon()
{
    const georef::BlocSpace space = grid(5, 5);
    std::vector<core::vec3> points;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            points.push_back(mapPoint(space, i, j, -9999.0));
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space, 3));
    horizon.setData({1.0f});
    QCOMPARE(horizon.controlPointCount(), 0);
    QVERIFY(!horizon.withData());
    QVERIFY(horizon.meshVertices().empty());
    const QString fileName = newFile(QStringLiteral("null.hrz"));
    QVERIFY(horizon.write(fileName));
    HorizonFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(view.field("numberOfControlPoint"), qint64(0));
    QCOMPARE(view.field("withData"), qint64(0));
    QCOMPARE(view.drawField("numberOfPoint"), qint64(0));
    QCOMPARE(qint64(view.bytes.size()), view.dataOffset);

    ZR3DHorizon loaded;
    QVERIFY(loaded.load(fileName));
    QCOMPARE(loaded.controlPointCount(), 0);
    QCOMPARE(loaded.width(), 5);
}

void TestHorizon::extrasRoundTrip()
{
    const georef::BlocSpace space = grid(4, 3);
    std::vector<core::vec3> points{mapPoint(space, 0, 0, 1.0), mapPoint(space, 3, 2, 2.0), mapPoint(space, 2, 1, 3.0)};
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space, 1));
    horizon.setData({0.5f, -1.5f, 2.5f});
    QVERIFY(horizon.withData());
    const std::vector<ZR3DHorizon::PickedPoint> picked{{core::vec3(10, 20, 30), {1, 2}}};
    const std::vector<ZR3DHorizon::PointPolygon> polygons{
        {{core::vec3(1, 2, 3), core::vec3(4, 5, 6), core::vec3(7, 8, 9)}, QRectF(1, 3, 6, 6)}, {{}, QRectF()}};
    horizon.setPickedPoints(picked);
    horizon.setPointPolygons(polygons);
    horizon.setHorizonType(ZR3DHorizon::SurfacePicked);
    const QString fileName = newFile(QStringLiteral("extras.hrz"));
    QVERIFY(horizon.write(fileName));

    ZR3DHorizon loaded;
    QVERIFY(loaded.load(fileName));
    QCOMPARE(loaded.data(), (std::vector<float>{0.5f, -1.5f, 2.5f}));
    QCOMPARE(loaded.pickedPoints().size(), std::size_t(1));
    QCOMPARE(loaded.pickedPoints()[0].point, core::vec3(10, 20, 30));
    QCOMPARE(loaded.pickedPoints()[0].values, (std::vector<std::int32_t>{1, 2}));
    QCOMPARE(loaded.pointPolygons().size(), std::size_t(2));
    QCOMPARE(loaded.pointPolygons()[0].points.size(), std::size_t(3));
    QCOMPARE(loaded.pointPolygons()[0].points[2], core::vec3(7, 8, 9));
    QCOMPARE(loaded.pointPolygons()[0].boundingRectangle, QRectF(1, 3, 6, 6));
    QVERIFY(loaded.pointPolygons()[1].points.empty());
    QCOMPARE(loaded.horizonType(), int(ZR3DHorizon::SurfacePicked));
}

void TestHorizon::meshFollowsPrecision()
{
    const georef::BlocSpace space = grid(11, 7);
    std::vector<core::vec3> points;
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 11; ++i)
            points.push_back(mapPoint(space, i, j, 1.0));
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space, 3));
    // Columns 0, 3, 6, 9, 10 and rows 0, 3, 6: 15 vertices, 4 × 2 cells of two triangles.
    QCOMPARE(horizon.meshVertices().size(), std::size_t(15));
    QCOMPARE(horizon.meshTriangles().size(), std::size_t(16));
    QCOMPARE(horizon.meshVertices().back().x, mapPoint(space, 10, 6, 1).x);

    // Removing one lattice corner leaves one triangle in each of its cells.
    points[std::size_t(3 * 11 + 3)].y = -9999.0;
    QVERIFY(horizon.buildFromPoints(points, space, 3));
    QCOMPARE(horizon.meshVertices().size(), std::size_t(14));
    QCOMPARE(horizon.meshTriangles().size(), std::size_t(12));
    for (const auto& triangle : horizon.meshTriangles())
        for (std::uint32_t vertex : triangle)
            QVERIFY(vertex < 14);

    horizon.setPrecision(1);
    horizon.buildMesh();
    QCOMPARE(horizon.meshVertices().size(), std::size_t(11 * 7 - 1));
}

void TestHorizon::horizonKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "surface" << "Horizon";
    QTest::newRow("1") << 1 << "surface_imported" << "Imported Horizon";
    QTest::newRow("2") << 2 << "surface_propagated" << "Model-Grid Horizon";
    QTest::newRow("3") << 3 << "surface_fromsurfacestack" << "Horizon From Horizon Stack";
    QTest::newRow("4") << 4 << "surface_picked" << "Picked Horizon";
    QTest::newRow("7") << 7 << "vectormodelhorizon16" << "WT Horizon";
    QTest::newRow("5 falls back") << 5 << "surface" << "Horizon";
}

void TestHorizon::horizonKinds()
{
    QFETCH(int, kind);
    QFETCH(QString, key);
    QFETCH(QString, name);
    QCOMPARE(ZR3DHorizon::horizonKey(kind), key);
    QCOMPARE(ZR3DHorizon::horizonDisplayName(kind), name);
}

void TestHorizon::writeIntoMissingFolder()
{
    const georef::BlocSpace space = grid(2, 2);
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints({mapPoint(space, 0, 0, 1)}, space));
    const QString fileName = newFile(QStringLiteral("absent/h.hrz"));
    QVERIFY(!horizon.write(fileName));
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().startsWith(QStringLiteral("Error when opening in Write mode file : ")));
}

void TestHorizon::gridThatCannotBeAllocated()
{
    georef::BlocSpace huge(2000000000, 1, 2000000000);
    ZR3DHorizon horizon;
    QVERIFY(!horizon.buildFromPoints({core::vec3(0, 1, 0)}, huge));
    QCOMPARE(horizon.controlPointCount(), 0);
    QVERIFY(horizon.worldPoints().empty());
    QCOMPARE(m_bus->takeTexts(eDrawError),
             QStringList{QStringLiteral("Error when attempting to allocate ZRImage with size: 2000000000 * 2000000000")});
}

void TestHorizon::damagedFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown version") << "version" << "Error when reading %1 - Unknown file version 3";
    QTest::newRow("body cut") << "cut" << "Error when reading %1 - truncated world points";
    QTest::newRow("no body") << "nobody" << "Error when reading %1 - truncated ";
    QTest::newRow("huge count") << "count" << "Error when reading %1 - truncated ";
    QTest::newRow("huge picked count") << "picked" << "Error when reading %1 - truncated picked points";
    QTest::newRow("not a horizon") << "type" << "Error when reading %1 - no horizon in the file header";
    QTest::newRow("missing file") << "missing" << "Error when opening %1";
    QTest::newRow("2147483647 x 1 nodes")
        << "dimx=2147483647,dimz=1"
        << "Error when reading %1 - grid of 2147483647 x 1 nodes is larger than the largest grid accepted (268435456 nodes)";
    QTest::newRow("65536 x 65536 nodes")
        << "dimx=65536,dimz=65536"
        << "Error when reading %1 - grid of 65536 x 65536 nodes is larger than the largest grid accepted (268435456 nodes)";
    QTest::newRow("point count that overflows a product")
        << "numberOfPoint=9223372036854775807" << "Error when reading %1 - truncated mesh vertices";
    QTest::newRow("facet count that overflows a product")
        << "numberOffacette=9223372036854775807" << "Error when reading %1 - truncated triangles";
    QTest::newRow("control points beyond the file")
        << "numberOfControlPoint=4611686018427387904" << "Error when reading %1 - truncated world points";
    QTest::newRow("polygons beyond the file")
        << "numberOfPointPolygons=9223372036854775807" << "Error when reading %1 - truncated point polygons";
    QTest::newRow("picked points at the unsigned limit")
        << "numberOfPickedPoint=18446744073709551615" << "Error when reading %1 - truncated picked points";
    QTest::newRow("negative count") << "numberOfPoint=-1" << "Error when reading %1 - invalid numberOfPoint";
    QTest::newRow("data offset past the end")
        << "DataOffset=99999999999" << "Error when reading %1 - data offset 99999999999 lies outside the file (";
    QTest::newRow("data offset inside the global header")
        << "DataOffset=100" << "Error when reading %1 - data offset 100 lies outside the file (";
}

void TestHorizon::damagedFiles()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    const georef::BlocSpace space = grid(6, 6);
    std::vector<core::vec3> points;
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 6; ++i)
            points.push_back(mapPoint(space, i, j, i + j));
    ZR3DHorizon horizon;
    QVERIFY(horizon.buildFromPoints(points, space, 5));
    const QString fileName = newFile(QStringLiteral("damaged.hrz"));
    QVERIFY(horizon.write(fileName));

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const auto replaceValue = [&bytes](const QByteArray& element, const QByteArray& value) {
        const int at = bytes.indexOf("<" + element + " value=\"");
        const int start = at + element.size() + 9;
        const int end = bytes.indexOf('"', start);
        // Same length keeps the header size right: pad the new value with blanks.
        QByteArray padded = value;
        padded.append(QByteArray(std::max(0, end - start - value.size()), ' '));
        bytes.replace(start, end - start, padded.left(std::max(end - start, int(value.size()))));
    };
    // "name=value,...": values set in the header; the object text may grow into
    // the reserved area, with headerSize following, so the body stays in place.
    const auto setValues = [&bytes](const QString& assignments) {
        const qint64 headerStart = ZRObjectHeader::GlobalHeaderSize;
        for (const QString& assignment : assignments.split(',')) {
            const QByteArray name = assignment.section('=', 0, 0).toLatin1();
            const QByteArray value = assignment.section('=', 1).toLatin1();
            const int at = bytes.indexOf("<" + name + " value=\"");
            const int start = at + name.size() + 9;
            const int end = bytes.indexOf('"', start);
            const int growth = value.size() - (end - start);
            bytes.replace(start, end - start, value);
            if (at < headerStart) {
                // A global header value: keep the block 2500 bytes long.
                if (growth > 0)
                    bytes.remove(bytes.indexOf('\0'), growth);
                else
                    bytes.insert(bytes.indexOf('\0'), QByteArray(-growth, '\0'));
                continue;
            }
            const QByteArray key("headerSize value=\"");
            const int sizeStart = bytes.indexOf(key) + key.size();
            const int sizeEnd = bytes.indexOf('"', sizeStart);
            const int headerSize = bytes.mid(sizeStart, sizeEnd - sizeStart).toInt() + growth;
            const QByteArray sizeText = QByteArray::number(headerSize);
            bytes.replace(sizeStart, sizeEnd - sizeStart, sizeText);
            bytes.remove(bytes.indexOf('\0'), sizeText.size() - (sizeEnd - sizeStart));
            bytes.remove(int(headerStart) + headerSize, growth); // taken from the reserved zeros
        }
    };
    if (damage.contains('='))
        setValues(damage);
    else if (damage == QLatin1String("version"))
        bytes.replace(bytes.indexOf("<Version value=\"2\""), 18, "<Version value=\"3\"");
    else if (damage == QLatin1String("cut"))
        bytes.chop(100);
    else if (damage == QLatin1String("nobody"))
        bytes.truncate(int(ZRObjectHeader::dataOffset(fileName)));
    else if (damage == QLatin1String("count"))
        replaceValue("numberOfPoint", "99");
    else if (damage == QLatin1String("picked"))
        replaceValue("numberOfPickedPoint", "9");
    else if (damage == QLatin1String("type"))
        bytes.replace(bytes.indexOf("type=\"ZR3DHorizon\""), 18, "type=\"ZR3DHorizoX\"");
    if (damage == QLatin1String("missing"))
        QVERIFY(file.remove());
    else {
        QVERIFY(file.resize(0));
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }
    file.close();

    ZR3DHorizon loaded;
    QVERIFY(!loaded.load(fileName));
    QCOMPARE(loaded.controlPointCount(), 0);
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(message.arg(fileName)), qPrintable(errors.first()));
}

QTEST_MAIN(TestHorizon)
#include "tst_horizon.moc"
