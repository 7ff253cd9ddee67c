// ZRHorizonPlacement against the placement done the plain way (every world
// point located by the position function on its own, rounded half away from
// zero, later points overwriting): affine and non-affine survey maps, half-way
// positions that a derived map cannot decide, tilted and projective horizon
// grids, failing positions, ranges, counts and a stop from the progress.

#include "zr3dhorizon.h"
#include "zrhorizonplacement.h"

#include <QtTest>

#include <cmath>
#include <random>

namespace
{

/// A survey map for the tests: line and trace of (x, y) as an affine map,
/// plus an optional term that is not affine, plus tiny pushes at chosen
/// positions; it fails (status 7) inside a chosen disc.
struct SurveyMap
{
    double line0 = 0.0, lineX = 0.0, lineY = 0.0;
    double trace0 = 0.0, traceX = 0.0, traceY = 0.0;
    double curve = 0.0;    ///< added to the line: curve × x² (not affine)
    double push = 0.0;     ///< moves line and trace off a half wherever they are within 1e-9 of one
    double failX = 0.0, failY = 0.0, failRadius = -1.0;
    mutable qint64 calls = 0;

    bool operator()(double x, double y, double* line, double* trace, int* status) const
    {
        ++calls;
        if (std::hypot(x - failX, y - failY) < failRadius) {
            *status = 7;
            return false;
        }
        *line = line0 + lineX * x + lineY * y + curve * x * x;
        *trace = trace0 + traceX * x + traceY * y;
        for (double* value : {line, trace}) {
            const double fraction = std::fabs(*value) - std::floor(std::fabs(*value));
            // Up after an even whole number, down after an odd one: no affine map follows that.
            if (push != 0.0 && std::fabs(fraction - 0.5) < 1e-9)
                *value += (long long)(std::floor(*value)) % 2 == 0 ? push : -push;
        }
        return true;
    }
};

/// A horizon of dimx × dimz nodes whose node (i, j) lies at world matrix ×
/// (i, 0, j, 1); values from a seed, some nodes null.
std::unique_ptr<ZR3DHorizon> makeHorizon(int dimx, int dimz, const georef::Matrix4::Values& world, unsigned seed,
                                         double nullShare)
{
    georef::BlocSpace geometry(dimx, 1, dimz);
    geometry.setFromBlocToWorldMatrix(georef::Matrix4(world));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<core::vec3> points;
    auto horizon = std::make_unique<ZR3DHorizon>();
    horizon->beginPoints(geometry, 3);
    for (int j = 0; j < dimz; ++j)
        for (int i = 0; i < dimx; ++i) {
            core::vec3 point = geometry.fromBlocToWorldMatrix().map(core::vec3(i, 0.0, j));
            point.y = uniform(random) < nullShare ? -9999.0 : double(float(500.0 + 300.0 * uniform(random)));
            points.push_back(point);
        }
    horizon->addPoints(points.data(), points.size());
    horizon->finishPoints();
    return horizon;
}

/// The plain placement: every world point located on its own.
struct Reference
{
    std::vector<float> grid;
    qint64 placed = 0, outside = 0, failed = 0;
    float minimum = ZRHorizonPlacement::MinimumPlaceholder;
    float maximum = ZRHorizonPlacement::MaximumPlaceholder;
};

Reference placePlainly(const ZR3DHorizon& horizon, const ZRHorizonPlacement::Range& range, double metresPerX,
                       double metresPerY, const SurveyMap& map)
{
    Reference result;
    const int columns = range.lastTrace - range.firstTrace + 1;
    result.grid.assign(std::size_t(columns) * std::size_t(range.lastLine - range.firstLine + 1), 1.0e37f);
    for (const core::vec3& point : horizon.worldPoints(1, 1)) {
        double line = 0.0, trace = 0.0;
        int status = 0;
        if (!map(point.x / metresPerX, point.z / metresPerY, &line, &trace, &status)) {
            ++result.failed;
            continue;
        }
        // Half away from zero, as the mode-independent rule: add or subtract 0.5 and truncate.
        const double l = std::trunc(line + (line >= 0 ? 0.5 : -0.5));
        const double t = std::trunc(trace + (trace >= 0 ? 0.5 : -0.5));
        if (l < range.firstLine || l > range.lastLine || t < range.firstTrace || t > range.lastTrace) {
            ++result.outside;
            continue;
        }
        const float value = float(point.y);
        result.grid[std::size_t(l - range.firstLine) * std::size_t(columns) + std::size_t(t - range.firstTrace)] = value;
        result.minimum = std::min(result.minimum, value);
        result.maximum = std::max(result.maximum, value);
        ++result.placed;
    }
    return result;
}

georef::Matrix4::Values affineWorld(double x0, double y0, double di, double dj, double angleDegrees)
{
    const double a = angleDegrees * 3.14159265358979323846 / 180.0;
    georef::Matrix4::Values world{};
    world[0] = di * std::cos(a);
    world[2] = -dj * std::sin(a);
    world[3] = x0;
    world[5] = 1.0;
    world[8] = di * std::sin(a);
    world[10] = dj * std::cos(a);
    world[11] = y0;
    world[15] = 1.0;
    return world;
}

/// The survey map that puts trace t, line l at x0 + spacing × (t - 1) along a
/// direction at `angle`, lines across it.
SurveyMap gridMap(double x0, double y0, double spacing, double angleDegrees)
{
    const double a = angleDegrees * 3.14159265358979323846 / 180.0;
    SurveyMap map;
    // Inverse of x = x0 + s (t - 1) cos a - s (l - 1) sin a, y = y0 + s (t - 1) sin a + s (l - 1) cos a.
    map.traceX = std::cos(a) / spacing;
    map.traceY = std::sin(a) / spacing;
    map.lineX = -std::sin(a) / spacing;
    map.lineY = std::cos(a) / spacing;
    map.trace0 = 1.0 - (map.traceX * x0 + map.traceY * y0);
    map.line0 = 1.0 - (map.lineX * x0 + map.lineY * y0);
    return map;
}

} // namespace

Q_DECLARE_METATYPE(SurveyMap)
Q_DECLARE_METATYPE(georef::Matrix4::Values)

class TestHorizonPlacement : public QObject
{
    Q_OBJECT
private slots:
    void equalsThePlainPlacement_data();
    void equalsThePlainPlacement();
    void everyPositionFails();
    void stoppedByTheProgress();
    void progressEveryStepPoints();
};

void TestHorizonPlacement::equalsThePlainPlacement_data()
{
    QTest::addColumn<georef::Matrix4::Values>("world");
    QTest::addColumn<int>("dimx");
    QTest::addColumn<int>("dimz");
    QTest::addColumn<SurveyMap>("map");
    QTest::addColumn<double>("metresPerUnit");
    QTest::addColumn<bool>("derived"); // the derived map can be used

    QTest::newRow("same grid") << affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0) << 80 << 60
                               << gridMap(1000.0, 2000.0, 25.0, 0.0) << 1.0 << true;
    QTest::newRow("rotated survey, finer horizon, points outside")
        << affineWorld(900.0, 1900.0, 10.0, 12.0, 0.0) << 230 << 150 << gridMap(1000.0, 2000.0, 25.0, 23.0) << 1.0
        << true;
    QTest::newRow("tilted horizon grid, coarser") << affineWorld(1010.0, 1990.0, 40.0, 35.0, -17.0) << 40 << 40
                                                  << gridMap(1000.0, 2000.0, 25.0, 5.0) << 1.0 << true;
    QTest::newRow("survey in feet") << affineWorld(1000.0, 2000.0, 7.62, 7.62, 0.0) << 120 << 90
                                    << gridMap(1000.0 / 0.3048, 2000.0 / 0.3048, 25.0, 0.0) << 0.3048 << true;
    // Every other node half-way between traces; the map's own rounding of
    // the halves (pushed either way by a hair) decides, which only asking
    // it for those nodes can find out.
    for (double push : {1e-12, -1e-12}) {
        SurveyMap map = gridMap(1000.0, 2000.0, 50.0, 0.0);
        map.push = push;
        QTest::newRow(push > 0 ? "halves pushed up" : "halves pushed down")
            << affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0) << 150 << 110 << map << 1.0 << true;
    }
    SurveyMap curved = gridMap(1000.0, 2000.0, 25.0, 0.0);
    curved.curve = 1e-7;
    QTest::newRow("a survey map that is not affine") << affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0) << 80 << 60
                                                     << curved << 1.0 << false;
    georef::Matrix4::Values projective = affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0);
    projective[12] = 1e-5;
    QTest::newRow("a projective horizon grid") << projective << 80 << 60 << gridMap(1000.0, 2000.0, 25.0, 0.0) << 1.0
                                               << false;
    SurveyMap cornerFails = gridMap(1000.0, 2000.0, 25.0, 0.0);
    cornerFails.failX = 1000.0;
    cornerFails.failY = 2000.0;
    cornerFails.failRadius = 1.0;
    QTest::newRow("the first node's position fails") << affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0) << 80 << 60
                                                     << cornerFails << 1.0 << false;
    QTest::newRow("one column") << affineWorld(1500.0, 2000.0, 25.0, 25.0, 0.0) << 1 << 60
                                << gridMap(1000.0, 2000.0, 25.0, 0.0) << 1.0 << true;
}

void TestHorizonPlacement::equalsThePlainPlacement()
{
    QFETCH(georef::Matrix4::Values, world);
    QFETCH(int, dimx);
    QFETCH(int, dimz);
    QFETCH(SurveyMap, map);
    QFETCH(double, metresPerUnit);
    QFETCH(bool, derived);
    const ZRHorizonPlacement::Range range{1, 60, 1, 80};
    const std::unique_ptr<ZR3DHorizon> horizon = makeHorizon(dimx, dimz, world, 42, 0.1);
    const Reference expected = placePlainly(*horizon, range, metresPerUnit, metresPerUnit, map);
    QVERIFY(expected.placed > 0);

    ZRHorizonPlacement placement(range);
    QVERIFY(placement.allocate());
    map.calls = 0;
    const auto position = [&map](double x, double y, double* line, double* trace, int* status) {
        return map(x, y, line, trace, status);
    };
    QVERIFY(placement.place(*horizon, metresPerUnit, metresPerUnit, position, 1000, {}));
    QCOMPARE(placement.usedDerivedMap(), derived);
    QCOMPARE(placement.pointsSeen(), ZRHorizonPlacement::pointCount(*horizon));
    QCOMPARE(placement.pointsPlaced(), expected.placed);
    QCOMPARE(placement.pointsOutside(), expected.outside);
    QCOMPARE(placement.pointsWithoutPosition(), expected.failed);
    QCOMPARE(placement.positionFailures().size(), std::size_t(expected.failed > 0 ? 1 : 0));
    QCOMPARE(placement.minimum(), expected.minimum);
    QCOMPARE(placement.maximum(), expected.maximum);
    QCOMPARE(placement.grid().size(), expected.grid.size());
    qint64 set = 0;
    for (std::size_t n = 0; n < expected.grid.size(); ++n) {
        QVERIFY2(placement.grid()[n] == expected.grid[n],
                 qPrintable(QString("node %1: %2 instead of %3").arg(n).arg(placement.grid()[n]).arg(expected.grid[n])));
        set += expected.grid[n] != 1.0e37f;
    }
    QCOMPARE(placement.nodesSet(), set);
    if (derived)
        QVERIFY2(map.calls < placement.pointsSeen() / 2 || map.push != 0.0,
                 qPrintable(QString("%1 calls for %2 points").arg(map.calls).arg(placement.pointsSeen())));
    else
        QVERIFY(map.calls >= placement.pointsSeen());
}

void TestHorizonPlacement::everyPositionFails()
{
    const std::unique_ptr<ZR3DHorizon> horizon =
        makeHorizon(20, 10, affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0), 3, 0.0);
    ZRHorizonPlacement placement({1, 60, 1, 80});
    QVERIFY(placement.allocate());
    QVERIFY(placement.place(
        *horizon, 1.0, 1.0,
        [](double, double, double*, double*, int* status) {
            *status = 2;
            return false;
        },
        1, {}));
    QVERIFY(!placement.usedDerivedMap());
    QCOMPARE(placement.pointsWithoutPosition(), qint64(200));
    QCOMPARE(placement.positionFailures(), std::set<int>{2});
    QCOMPARE(placement.nodesSet(), qint64(0));
    QVERIFY(!placement.hasRange());
    QCOMPARE(placement.minimum(), ZRHorizonPlacement::MinimumPlaceholder);
    QCOMPARE(placement.maximum(), ZRHorizonPlacement::MaximumPlaceholder);
}

void TestHorizonPlacement::stoppedByTheProgress()
{
    const std::unique_ptr<ZR3DHorizon> horizon =
        makeHorizon(50, 40, affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0), 7, 0.0);
    ZRHorizonPlacement placement({1, 60, 1, 80});
    QVERIFY(placement.allocate());
    const SurveyMap map = gridMap(1000.0, 2000.0, 25.0, 0.0);
    const auto position = [&map](double x, double y, double* line, double* trace, int* status) {
        return map(x, y, line, trace, status);
    };
    QVERIFY(!placement.place(*horizon, 1.0, 1.0, position, 100, [](qint64 index) { return index < 500; }));
    QCOMPARE(placement.pointsSeen(), qint64(500));
    QCOMPARE(placement.pointsPlaced(), qint64(500));
}

void TestHorizonPlacement::progressEveryStepPoints()
{
    const std::unique_ptr<ZR3DHorizon> horizon =
        makeHorizon(30, 10, affineWorld(1000.0, 2000.0, 25.0, 25.0, 0.0), 9, 0.2);
    const qint64 points = ZRHorizonPlacement::pointCount(*horizon);
    ZRHorizonPlacement placement({1, 60, 1, 80});
    QVERIFY(placement.allocate());
    const SurveyMap map = gridMap(1000.0, 2000.0, 25.0, 0.0);
    QVector<qint64> calls;
    QVERIFY(placement.place(
        *horizon, 1.0, 1.0,
        [&map](double x, double y, double* line, double* trace, int* status) { return map(x, y, line, trace, status); },
        7, [&](qint64 index) {
            calls.append(index);
            return true;
        }));
    QCOMPARE(calls.size(), int((points + 6) / 7));
    for (int n = 0; n < calls.size(); ++n)
        QCOMPARE(calls[n], qint64(7 * n));
}

QTEST_GUILESS_MAIN(TestHorizonPlacement)
#include "tst_horizonplacement.moc"
