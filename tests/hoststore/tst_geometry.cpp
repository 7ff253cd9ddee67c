// Coordinate reference objects, frame matrices, survey bloc spaces and their XML form.

#include "blocspace.h"
#include "crs.h"
#include "surveygeometry.h"
#include "testenvironment.h"
#include "zrxmltools.h"

#include <QtTest>

#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(core::vec3)

namespace
{

bool near(const core::vec3& a, const core::vec3& b, double tolerance = 1e-6)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance && std::abs(a.z - b.z) <= tolerance;
}

QString text(const core::vec3& p)
{
    return QStringLiteral("(%1, %2, %3)").arg(p.x, 0, 'f', 6).arg(p.y, 0, 'f', 6).arg(p.z, 0, 'f', 6);
}

#define COMPARE_POINT(actual, expected)                                                                    \
    QVERIFY2(near((actual), (expected)), qPrintable(text(actual) + QStringLiteral(" != ") + text(expected)))

/// A rotated, non-square survey: origin (1000, 2000), trace axis along 30°
/// with 12.5 m spacing, line axis perpendicular with 25 m spacing.
georef::SurveyGeometry rotatedSurvey(int traces, int lines, double firstTrace, double lastTrace, double firstLine,
                                     double lastLine)
{
    const double angle = M_PI / 6.0;
    const double traceLength = 12.5 * (traces - 1);
    const double lineLength = 25.0 * (lines - 1);
    georef::SurveyGeometry survey;
    survey.traceCount = traces;
    survey.lineCount = lines;
    survey.firstTrace = firstTrace;
    survey.lastTrace = lastTrace;
    survey.firstLine = firstLine;
    survey.lastLine = lastLine;
    survey.orientation = QStringLiteral("TRACE");
    survey.firstLineFirstTraceX = 1000.0;
    survey.firstLineFirstTraceY = 2000.0;
    survey.firstLineLastTraceX = 1000.0 + traceLength * std::cos(angle);
    survey.firstLineLastTraceY = 2000.0 + traceLength * std::sin(angle);
    survey.lastLineFirstTraceX = 1000.0 - lineLength * std::sin(angle);
    survey.lastLineFirstTraceY = 2000.0 + lineLength * std::cos(angle);
    survey.fourthCornerX = survey.firstLineLastTraceX + survey.lastLineFirstTraceX - 1000.0;
    survey.fourthCornerY = survey.firstLineLastTraceY + survey.lastLineFirstTraceY - 2000.0;
    return survey;
}

/// World point of survey annotation (trace, line) on a TRACE-oriented survey, by bilinear corner interpolation.
core::vec3 surveyWorld(const georef::SurveyGeometry& s, double trace, double z, double line)
{
    const double u = (trace - s.firstTrace) / (s.lastTrace - s.firstTrace);
    const double v = (line - s.firstLine) / (s.lastLine - s.firstLine);
    const double x = s.firstLineFirstTraceX + u * (s.firstLineLastTraceX - s.firstLineFirstTraceX)
        + v * (s.lastLineFirstTraceX - s.firstLineFirstTraceX);
    const double y = s.firstLineFirstTraceY + u * (s.firstLineLastTraceY - s.firstLineFirstTraceY)
        + v * (s.lastLineFirstTraceY - s.firstLineFirstTraceY);
    return {x, z, y};
}

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void crsStripsUnitsAndParses();
    void crsConversionWithInitDefinitions();
    void crsRecognisesGeographic_data();
    void crsRecognisesGeographic();
    void crsNames();
    void crsConversion();
    void crsXmlRoundTrip();
    void crsNullAndDefault();

    void frameMatrixMapsItsPoints_data();
    void frameMatrixMapsItsPoints();
    void degenerateFramesGiveIdentity();
    void worldMatrixInverseFollows();

    void dataSetBlocSpace_data();
    void dataSetBlocSpace();
    void dataSetBlocSpaceOtherOrientation();
    void oneSampleDataSetHasOneIntervalAxis();
    void surveyBlocSpace();

    void doubleFormatting_data();
    void doubleFormatting();
    void matrixXmlKeepsSixDecimals();
    void blocSpaceXmlRoundTrip();
    void blocSpaceXmlReadingRules();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestGeometry::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestGeometry::crsStripsUnitsAndParses()
{
    QCOMPARE(georef::Crs::strippedDefinition(QStringLiteral("+proj=utm +zone=31 +units=us-ft +to_meter=0.3048 +datum=WGS84")).simplified(),
             QStringLiteral("+proj=utm +zone=31 +datum=WGS84"));
    QCOMPARE(georef::Crs::strippedDefinition(QStringLiteral("proj=tmerc units=m to_meter=1")).simplified(),
             QStringLiteral("proj=tmerc"));

    const georef::Crs crs(QStringLiteral("+proj=utm +zone=17 +south +ellps=GRS80 +towgs84=0,0,0 +units=ft"));
    QVERIFY(crs.isValid());
    QVERIFY(!crs.isGeographic());
    QCOMPARE(crs.proj(), QStringLiteral("utm"));
    QCOMPARE(crs.ellps(), QStringLiteral("GRS80"));
    QCOMPARE(crs.towgs84(), QStringLiteral("0,0,0"));
    QCOMPARE(crs.units(), QStringLiteral("ft"));
    QCOMPARE(crs.zone(), QStringLiteral("17S"));
    QCOMPARE(georef::Crs(QStringLiteral("+proj=utm +zone=5 +datum=NAD83")).zone(), QStringLiteral("5N"));
}

void TestGeometry::crsRecognisesGeographic_data()
{
    QTest::addColumn<QString>("definition");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("geographic");
    QTest::newRow("longlat") << "+proj=longlat +datum=WGS84 +no_defs" << true << true;
    QTest::newRow("latlong with towgs84") << "+proj=latlong +ellps=intl +towgs84=-87,-98,-121" << true << true;
    QTest::newRow("utm") << "+proj=utm +zone=31 +datum=WGS84 +units=m" << true << false;
    QTest::newRow("units stripped before PROJ") << "+proj=tmerc +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000 +ellps=WGS84 +units=bogus" << true << false;
    QTest::newRow("init file, projected") << "+init=epsg:32631" << true << false;
    QTest::newRow("init file, geographic") << "+init=epsg:4326" << true << true;
    QTest::newRow("init file with units stripped") << "+init=epsg:32631 +units=us-ft" << true << false;
    QTest::newRow("init file, unknown code") << "+init=epsg:99999999" << false << false;
    QTest::newRow("unknown projection") << "+proj=nothing_like_this" << false << false;
    QTest::newRow("not a definition") << "hello" << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestGeometry::crsRecognisesGeographic()
{
    QFETCH(QString, definition);
    QFETCH(bool, valid);
    QFETCH(bool, geographic);
    const georef::Crs crs(definition);
    QCOMPARE(crs.isValid(), valid);
    QCOMPARE(crs.isGeographic(), geographic);
    // Copies share the PROJ object and keep the answers.
    const georef::Crs copy = crs;
    QCOMPARE(copy.isValid(), valid);
    QCOMPARE(copy.isGeographic(), geographic);
}

void TestGeometry::crsNames()
{
    QCOMPARE(georef::Crs().displayName(), QStringLiteral("Unnamed CRS"));
    QCOMPARE(georef::Crs(QStringLiteral("+proj=utm +zone=31 +datum=WGS84")).displayName(), QStringLiteral("Unnamed CRS"));
    QCOMPARE(georef::Crs(QStringLiteral("+proj=bad"), QStringLiteral("named")).displayName(), QStringLiteral("Invalid CRS"));
    QCOMPARE(georef::Crs(QStringLiteral("+proj=utm +zone=31 +datum=WGS84"), QStringLiteral("UTM 31N")).displayName(),
             QStringLiteral("UTM 31N"));
}

void TestGeometry::crsConversion()
{
    const georef::Crs wgs84(QStringLiteral("+proj=longlat +datum=WGS84"), QStringLiteral("WGS 84"));
    const georef::Crs utm31(QStringLiteral("+proj=utm +zone=31 +datum=WGS84 +units=m"), QStringLiteral("UTM 31N"));
    // The central meridian of zone 31 (3°E) at the equator maps to easting 500000, northing 0.
    std::vector<core::vec3> points{{3.0, 42.0, 0.0}, {3.0, -7.0, 1.0}};
    QString error;
    QVERIFY2(wgs84.convertPoints(utm31, points, &error), qPrintable(error));
    QVERIFY(std::abs(points[0].x - 500000.0) < 1e-3);
    QVERIFY(std::abs(points[0].z) < 1e-3);
    QCOMPARE(points[0].y, 42.0);
    // One degree of latitude along the central meridian, scaled by k0 = 0.9996.
    QVERIFY2(std::abs(points[1].z - 110530.2) < 1.0, qPrintable(QString::number(points[1].z, 'f', 3)));
    QCOMPARE(points[1].y, -7.0);

    std::vector<core::vec3> untouched{{1.0, 2.0, 3.0}};
    QVERIFY(!georef::Crs(QStringLiteral("+proj=bad"), QStringLiteral("Bad")).convertPoints(utm31, untouched, &error));
    QCOMPARE(error, QStringLiteral("Invalid CRS conversion from Invalid CRS to UTM 31N"));
    QCOMPARE(untouched.front(), core::vec3(1.0, 2.0, 3.0));
}

void TestGeometry::crsConversionWithInitDefinitions()
{
    // "+init=epsg:NNNN" reads as the PROJ.4 library read it: the same conversion
    // as the spelled-out definition.
    const georef::Crs fromInit(QStringLiteral("+init=epsg:4326"));
    const georef::Crs longlat(QStringLiteral("+proj=longlat +datum=WGS84"));
    const georef::Crs utmInit(QStringLiteral("+init=epsg:32631"));
    const georef::Crs utm(QStringLiteral("+proj=utm +zone=31 +datum=WGS84"));
    QVERIFY(fromInit.isValid());
    QVERIFY(utmInit.isValid());
    std::vector<core::vec3> viaInit{{3.5, 10.0, 51.25}, {2.0, -3.0, 43.0}};
    std::vector<core::vec3> spelled = viaInit;
    QString error;
    QVERIFY2(fromInit.convertPoints(utmInit, viaInit, &error), qPrintable(error));
    QVERIFY2(longlat.convertPoints(utm, spelled, &error), qPrintable(error));
    for (std::size_t n = 0; n < viaInit.size(); ++n) {
        QVERIFY2(std::abs(viaInit[n].x - spelled[n].x) < 1e-3 && std::abs(viaInit[n].z - spelled[n].z) < 1e-3,
                 qPrintable(QStringLiteral("%1 %2 / %3 %4").arg(viaInit[n].x).arg(viaInit[n].z).arg(spelled[n].x).arg(spelled[n].z)));
        QCOMPARE(viaInit[n].y, spelled[n].y);
    }
    // Longitude first, as in the PROJ.4 definitions (not the EPSG axis order).
    QVERIFY(std::abs(viaInit[0].x - 534846.0) < 100.0);
}

void TestGeometry::crsXmlRoundTrip()
{
    georef::Crs crs(QStringLiteral("+proj=utm +zone=31 +datum=WGS84 +units=m"), QStringLiteral("WGS 84 / UTM 31N"),
                    QStringLiteral("EPSG"), QStringLiteral("32631"));
    crs.setArea(QRectF(0.0, 0.000001, 6.5, 84.0));
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    const QDomElement element = crs.toXml(document, root, crs.tagName());
    QCOMPARE(element.tagName(), QStringLiteral("ZRCrs"));
    QStringList children;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children.append(child.tagName());
    QCOMPARE(children, (QStringList{"name", "authority", "authorityCode", "definition", "area"}));
    QCOMPARE(element.firstChildElement("area").attribute("width"), QStringLiteral("6.500000        "));

    georef::Crs back;
    QVERIFY(back.fromXml(element));
    QVERIFY(back == crs);
    QVERIFY(back.isValid());
}

void TestGeometry::crsNullAndDefault()
{
    const georef::CrsNull none;
    QVERIFY(none.isNull());
    QVERIFY(!georef::Crs().isNull());
    QVERIFY(!(none == georef::Crs()));
    const georef::Crs utm(QStringLiteral("+proj=utm +zone=33 +datum=WGS84"));
    georef::Crs::setDefaultCrs(utm);
    QVERIFY(georef::Crs::defaultCrs() == utm);
    QVERIFY(georef::UnitObject().crs() == utm);
    georef::Crs::setDefaultCrs(georef::Crs());
    QVERIFY(georef::Crs::defaultCrs().isEmpty());
}

void TestGeometry::frameMatrixMapsItsPoints_data()
{
    QTest::addColumn<core::vec3>("a0");
    QTest::addColumn<core::vec3>("a1");
    QTest::addColumn<core::vec3>("a2");
    QTest::addColumn<core::vec3>("a3");
    QTest::addColumn<core::vec3>("b0");
    QTest::addColumn<core::vec3>("b1");
    QTest::addColumn<core::vec3>("b2");
    QTest::addColumn<core::vec3>("b3");
    QTest::newRow("axis-aligned scale") << core::vec3(0, 0, 0) << core::vec3(9, 0, 0) << core::vec3(0, 100, 0)
                                        << core::vec3(0, 0, 4) << core::vec3(10, 0, 20) << core::vec3(19, 0, 20)
                                        << core::vec3(10, 4000, 20) << core::vec3(10, 0, 24);
    QTest::newRow("rotated world") << core::vec3(0, 0, 0) << core::vec3(99, 0, 0) << core::vec3(0, 500, 0)
                                   << core::vec3(0, 0, 49) << core::vec3(500000, 1000, 6000000)
                                   << core::vec3(501071.6, 1000, 6000618.7) << core::vec3(500000, 3000, 6000000)
                                   << core::vec3(499387.5, 1000, 6001060.7);
    QTest::newRow("skewed source") << core::vec3(100, 4, 200) << core::vec3(300, 4, 250) << core::vec3(100, 8, 200)
                                   << core::vec3(80, 4, 400) << core::vec3(0, 0, 0) << core::vec3(1, 0, 0)
                                   << core::vec3(0, 1, 0) << core::vec3(0, 0, 1);
    QTest::newRow("reversed lines") << core::vec3(1, 0, 500) << core::vec3(200, 0, 500) << core::vec3(1, 10, 500)
                                    << core::vec3(1, 0, 100) << core::vec3(0, 0, 0) << core::vec3(199, 0, 0)
                                    << core::vec3(0, 10, 0) << core::vec3(0, 0, 400);
}

void TestGeometry::frameMatrixMapsItsPoints()
{
    QFETCH(core::vec3, a0);
    QFETCH(core::vec3, a1);
    QFETCH(core::vec3, a2);
    QFETCH(core::vec3, a3);
    QFETCH(core::vec3, b0);
    QFETCH(core::vec3, b1);
    QFETCH(core::vec3, b2);
    QFETCH(core::vec3, b3);
    bool degenerate = true;
    const georef::Matrix4 m = georef::BlocSpace::matrixFromFrames(a0, a1, a2, a3, b0, b1, b2, b3, &degenerate);
    QVERIFY(!degenerate);
    COMPARE_POINT(m.map(a0), b0);
    COMPARE_POINT(m.map(a1), b1);
    COMPARE_POINT(m.map(a2), b2);
    COMPARE_POINT(m.map(a3), b3);
    // Affine: last row (0, 0, 0, 1), so midpoints map to midpoints.
    QCOMPARE(m(3, 0), 0.0);
    QCOMPARE(m(3, 1), 0.0);
    QCOMPARE(m(3, 2), 0.0);
    QCOMPARE(m(3, 3), 1.0);
    COMPARE_POINT(m.map((a1 + a3) * 0.5), (b1 + b3) * 0.5);
}

void TestGeometry::degenerateFramesGiveIdentity()
{
    bool degenerate = false;
    const georef::Matrix4 flat = georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {0.0000005, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 5, 5}, {6, 5, 5}, {5, 6, 5}, {5, 5, 6}, &degenerate);
    QVERIFY(degenerate);
    QVERIFY(flat.isIdentity());

    // Collinear axes: A is singular and replaced by the identity, leaving B.
    const georef::Matrix4 singular = georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 1}, {5, 5, 5}, {7, 5, 5}, {5, 8, 5}, {5, 5, 9}, &degenerate);
    QVERIFY(!degenerate);
    COMPARE_POINT(singular.map({0, 0, 0}), core::vec3(5, 5, 5));
    COMPARE_POINT(singular.map({1, 0, 0}), core::vec3(7, 5, 5));
    COMPARE_POINT(singular.map({0, 1, 0}), core::vec3(5, 8, 5));
}

void TestGeometry::worldMatrixInverseFollows()
{
    georef::BlocSpace space(10, 20, 30);
    const georef::Matrix4 m = georef::BlocSpace::matrixFromFrames({0, 0, 0}, {9, 0, 0}, {0, 20, 0}, {0, 0, 29},
                                                                  {1000, 0, 2000}, {1100, 0, 2050}, {1000, 80, 2000},
                                                                  {950, 0, 2300});
    space.setFromBlocToWorldMatrix(m);
    const core::vec3 bloc{3, 7, 11};
    COMPARE_POINT(space.worldToBloc(space.blocToWorld(bloc)), bloc);
    space.setFromBlocToWorldMatrix(georef::Matrix4(georef::Matrix4::Values{}));
    QVERIFY(space.fromWorldToBlocMatrix().isIdentity());
}

void TestGeometry::dataSetBlocSpace_data()
{
    QTest::addColumn<double>("firstTrace");
    QTest::addColumn<double>("lastTrace");
    QTest::addColumn<double>("firstLine");
    QTest::addColumn<double>("lastLine");
    QTest::newRow("increasing") << 100.0 << 199.0 << 1000.0 << 1049.0;
    QTest::newRow("reversed lines") << 100.0 << 199.0 << 1049.0 << 1000.0;
    QTest::newRow("reversed traces") << 199.0 << 100.0 << 1000.0 << 1049.0;
}

void TestGeometry::dataSetBlocSpace()
{
    QFETCH(double, firstTrace);
    QFETCH(double, lastTrace);
    QFETCH(double, firstLine);
    QFETCH(double, lastLine);
    const georef::SurveyGeometry survey = rotatedSurvey(100, 50, firstTrace, lastTrace, firstLine, lastLine);

    // A data set covering traces 120..159 and lines 1010..1029, 4 ms from 200 ms, 250 samples.
    georef::DataSetRange dataSet;
    dataSet.inlineMin = 1010;
    dataSet.inlineMax = 1029;
    dataSet.xlineMin = 120;
    dataSet.xlineMax = 159;
    dataSet.verticalStart = 200.0;
    dataSet.sampleInterval = 4.0;
    dataSet.sampleCount = 250;
    georef::DataFileRange file;
    file.firstTrace = 120;
    file.lastTrace = 159;
    file.firstLine = 1010;
    file.lastLine = 1029;
    file.samplesPerTrace = 250;

    const georef::BlocSpace space = georef::blocSpaceFromDataSet(survey, dataSet, file, Second);
    QCOMPARE(space.dimx(), 40);
    QCOMPARE(space.dimy(), 250);
    QCOMPARE(space.dimz(), 20);
    QCOMPARE(space.unitsObject().initialVerticalUnit(), int(Second));
    QCOMPARE(space.verticalUnit(), int(Millisecond));
    QVERIFY(space.crs().isEmpty());

    // The k axis runs from the survey's first line: exchanged bounds when the survey's lines decrease.
    const double l0 = firstLine > lastLine ? 1029 : 1010;
    const double l1 = firstLine > lastLine ? 1010 : 1029;
    const double t0 = firstTrace > lastTrace ? 159 : 120;
    const double t1 = firstTrace > lastTrace ? 120 : 159;
    COMPARE_POINT(space.blocToSurvey({0, 0, 0}), core::vec3(t0, 200, l0));
    COMPARE_POINT(space.blocToSurvey({39, 0, 0}), core::vec3(t1, 200, l0));
    COMPARE_POINT(space.blocToSurvey({0, 0, 19}), core::vec3(t0, 200, l1));
    COMPARE_POINT(space.blocToSurvey({0, 250, 0}), core::vec3(t0, 1200, l0));
    COMPARE_POINT(space.blocToSurvey({0, 10, 0}), core::vec3(t0, 240, l0));

    // Grid corners land on the survey's own world positions of those annotations.
    COMPARE_POINT(space.blocToWorld({0, 0, 0}), surveyWorld(survey, t0, 200, l0));
    COMPARE_POINT(space.blocToWorld({39, 0, 19}), surveyWorld(survey, t1, 200, l1));
    COMPARE_POINT(space.blocToWorld({39, 125, 0}), surveyWorld(survey, t1, 700, l0));
}

void TestGeometry::dataSetBlocSpaceOtherOrientation()
{
    georef::SurveyGeometry survey = rotatedSurvey(100, 50, 1, 100, 1, 50);
    survey.orientation = QStringLiteral("trace"); // case-sensitive: not "TRACE"
    georef::DataSetRange dataSet{1, 50, 1, 100, 0.0, 2.0, 10};
    // In a survey not in "TRACE" orientation the file's grid x runs along the
    // 50 lines and its grid y along the 100 traces.
    georef::DataFileRange file{1, 50, 1, 100, 10};
    const georef::BlocSpace space = georef::blocSpaceFromDataSet(survey, dataSet, file, Millisecond);
    QCOMPARE(space.dimx(), 100);
    QCOMPARE(space.dimz(), 50);
    // The survey frame's trace and line world points are exchanged.
    const core::vec3 corner0{survey.firstLineFirstTraceX, 0, survey.firstLineFirstTraceY};
    COMPARE_POINT(space.blocToWorld({0, 0, 0}), corner0);
    COMPARE_POINT(space.blocToWorld({99, 0, 0}), core::vec3(survey.lastLineFirstTraceX, 0, survey.lastLineFirstTraceY));
    COMPARE_POINT(space.blocToWorld({0, 0, 49}), core::vec3(survey.firstLineLastTraceX, 0, survey.firstLineLastTraceY));
    COMPARE_POINT(space.blocToWorld({0, 10, 0}), core::vec3(corner0.x, 20, corner0.z));
}

void TestGeometry::oneSampleDataSetHasOneIntervalAxis()
{
    const georef::SurveyGeometry survey = rotatedSurvey(10, 10, 1, 10, 1, 10);
    const georef::BlocSpace space =
        georef::blocSpaceFromDataSet(survey, {1, 10, 1, 10, 100.0, 8.0, 1}, {1, 10, 1, 10, 1}, Meter);
    QCOMPARE(space.dimy(), 1);
    COMPARE_POINT(space.blocToSurvey({0, 1, 0}), core::vec3(1, 108, 1));
    QCOMPARE(space.verticalUnit(), int(Meter));
}

void TestGeometry::surveyBlocSpace()
{
    const georef::SurveyGeometry survey = rotatedSurvey(100, 50, 1, 100, 1, 50);
    const georef::BlocSpace space = georef::blocSpaceFromSurvey(survey, 1, 0.0, 1.0, false);
    QCOMPARE(space.dimx(), 100);
    QCOMPARE(space.dimy(), 1);
    QCOMPARE(space.dimz(), 50);
    QCOMPARE(space.verticalUnit(), int(Meter));
    COMPARE_POINT(space.blocToWorld({99, 0, 49}), surveyWorld(survey, 100, 0, 50));
    COMPARE_POINT(space.blocToSurvey({99, 1, 49}), core::vec3(100, 1, 50));

    georef::SurveyGeometry lineOriented = survey;
    lineOriented.orientation = QStringLiteral("LINE");
    const georef::BlocSpace exchanged = georef::blocSpaceFromSurvey(lineOriented, 1, 0.0, 1.0, true);
    QCOMPARE(exchanged.dimx(), 50);
    QCOMPARE(exchanged.dimz(), 100);
    QCOMPARE(exchanged.unitsObject().initialVerticalUnit(), int(Millisecond));
}

void TestGeometry::doubleFormatting_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << 1.0 << "1.000000        ";
    QTest::newRow("tiny") << 0.0000001 << "0.000000        ";
    QTest::newRow("negative") << -12.3456789 << "-12.345679      ";
    QTest::newRow("wide") << 6543210.123456789 << "6543210.123457  ";
    QTest::newRow("wider than the field") << 123456789012.5 << "123456789012.500000";
    QTest::newRow("no value marker") << -9999.0 << "-9999.000000    ";
}

void TestGeometry::doubleFormatting()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(ZRXmlTools::formatDouble(value), text);
    double back = 0;
    QVERIFY(ZRXmlTools::parseDouble(text, &back));
    QVERIFY(std::abs(back - value) <= 5e-7);
}

void TestGeometry::matrixXmlKeepsSixDecimals()
{
    georef::Matrix4::Values values{0.0000001, 1.0, -2.5, 1234567.1234567, 0.25, 0.0000006, 3, 4,
                                   5, 6, 7, 8, 0, 0, 0, 1};
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    const QDomElement element = ZRXmlTools::writeMatrix(document, root, QStringLiteral("m"), values);
    QDomElement row = element.firstChildElement();
    QStringList rows;
    for (; !row.isNull(); row = row.nextSiblingElement())
        rows.append(row.tagName());
    QCOMPARE(rows, (QStringList{"vect0", "vect1", "vect2", "vect3"}));
    const QDomElement first = element.firstChildElement(QStringLiteral("vect0"));
    QCOMPARE(first.attribute("x"), QStringLiteral("0.000000        "));
    QCOMPARE(first.attribute("t"), QStringLiteral("1234567.123457  "));
    QCOMPARE(element.firstChildElement(QStringLiteral("vect1")).attribute("y"), QStringLiteral("0.000001        "));

    QDomDocument reread;
    QVERIFY(reread.setContent(document.toString(1)));
    ZRXmlTools::Matrix back{};
    QVERIFY(ZRXmlTools::readMatrix(reread.documentElement(), QStringLiteral("m"), &back));
    for (int n = 0; n < 16; ++n)
        QVERIFY2(std::abs(back[std::size_t(n)] - std::round(values[std::size_t(n)] * 1e6) / 1e6) < 1e-9,
                 qPrintable(QString::number(n)));
    QCOMPARE(back[0], 0.0);

    QDomDocument missingRow;
    QVERIFY(missingRow.setContent(QStringLiteral("<r><m><vect0 x=\"1\" y=\"0\" z=\"0\" t=\"0\"/></m></r>")));
    QVERIFY(!ZRXmlTools::readMatrix(missingRow.documentElement(), QStringLiteral("m"), &back));
}

void TestGeometry::blocSpaceXmlRoundTrip()
{
    georef::BlocSpace space = georef::blocSpaceFromSurvey(rotatedSurvey(30, 20, 1, 30, 1, 20), 400, 0.0, 1600.0, true);
    space.setSRDValue(12.5);
    space.storeInitialValue();
    space.setSRDValue(-3.25);

    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    const QDomElement element = space.toXml(document, root, space.tagName());
    QCOMPARE(element.tagName(), QStringLiteral("ZRBlocSpace"));
    QStringList children;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children.append(child.tagName());
    QCOMPARE(children, (QStringList{"dimx", "dimy", "dimz", "fromBlocToWorldMatrix", "fromBlocToSurveyMatrix",
                                    "SRDValue", "blockSpaceInitValue", "unitsObject"}));
    const QDomElement initial = element.firstChildElement(QStringLiteral("blockSpaceInitValue"));
    QVERIFY(!initial.firstChildElement(QStringLiteral("blockSpaceInitWorldMatrix")).isNull());
    QCOMPARE(ZRXmlTools::readValue(initial, QStringLiteral("blockSpaceInitSRDValue")), QStringLiteral("12.500000       "));
    QVERIFY(!initial.firstChildElement(QStringLiteral("InitUnitsObject")).isNull());

    QDomDocument reread;
    QVERIFY(reread.setContent(document.toString(1)));
    georef::BlocSpace back;
    QVERIFY(back.fromXml(reread.documentElement().firstChildElement(QStringLiteral("ZRBlocSpace"))));
    QCOMPARE(back.dimx(), 30);
    QCOMPARE(back.dimy(), 400);
    QCOMPARE(back.dimz(), 20);
    QCOMPARE(back.SRDValue(), -3.25);
    QVERIFY(back.unitsObject() == space.unitsObject());
    QVERIFY(back.hasInitialValue());
    QCOMPARE(back.initialValue()->srdValue(), 12.5);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            QVERIFY(std::abs(back.fromBlocToWorldMatrix()(r, c) - space.fromBlocToWorldMatrix()(r, c)) <= 5e-7);
            QVERIFY(std::abs(back.fromBlocToSurveyMatrix()(r, c) - space.fromBlocToSurveyMatrix()(r, c)) <= 5e-7);
        }
    // The inverse was recomputed from the matrix read back.
    COMPARE_POINT(back.worldToBloc(back.blocToWorld({4, 5, 6})), core::vec3(4, 5, 6));
}

void TestGeometry::blocSpaceXmlReadingRules()
{
    QDomDocument document;
    QVERIFY(document.setContent(QStringLiteral(
        "<ZRBlocSpace><dimx value=\"\"/><dimy value=\" 7 \"/><SRDValue value=\"\"/>"
        "<oldFromBlocToWorldMatrix><vect0 x=\"2\" y=\"0\" z=\"0\" t=\"1\"/><vect1 x=\"0\" y=\"1\" z=\"0\" t=\"0\"/>"
        "<vect2 x=\"0\" y=\"0\" z=\"1\" t=\"0\"/><vect3 x=\"0\" y=\"0\" z=\"0\" t=\"1\"/></oldFromBlocToWorldMatrix>"
        "</ZRBlocSpace>")));
    georef::BlocSpace space(3, 4, 5);
    space.setSRDValue(9.0);
    QVERIFY(space.fromXml(document.documentElement()));
    QCOMPARE(space.dimx(), 3);
    QCOMPARE(space.dimy(), 7);
    QCOMPARE(space.dimz(), 5);
    QCOMPARE(space.SRDValue(), 9.0);
    QVERIFY(space.fromBlocToWorldMatrix().isIdentity());
    QVERIFY(space.hasInitialValue());
    QCOMPARE(space.initialValue()->worldMatrix()(0, 0), 2.0);

    QVERIFY(!space.fromXml(QDomElement()));
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
