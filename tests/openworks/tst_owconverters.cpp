// The exchange core's DevKit-to-host converters: OpenWorks units resolved to
// host units (with the unsupported-unit notice and question), the project's
// unit for a unit type, and bloc spaces built from DevKit survey and data set
// records (corners converted by the DevKit).

#include "busrecorder.h"
#include "owdevkit.h"
#include "owfaults.h"
#include "owsim.h"
#include "owsurveygeometry.h"
#include "owunitresolution.h"
#include "surveygeometry.h"
#include "testenvironment.h"
#include "unittable.h"
#include "zreventbus.h"
#include "zrscriptedexchangeui.h"

#include <QtTest>

#include <cmath>
#include <memory>

namespace
{

bool openProject(const QString& home, const char* project, owsim::MeasurementSystem system)
{
    std::string error;
    const std::string root = home.toStdString();
    if (!owsim::createHome(root, &error) || !owsim::createDistrict(root, "CONVERTERS", false, &error))
        return false;
    if (!owsim::projectExists(root, "CONVERTERS", project)
        && !owsim::createProject(root, "CONVERTERS", project, system, &error))
        return false;
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict("CONVERTERS") != 0)
        return false;
    int status = -1;
    prjOpen(project, 0, &status);
    return status == 0;
}

void closeProject()
{
    owsim::clearInjections();
    prjClose();
    gdiClose();
}

/// A rotated, non-square survey: origin (1000, 2000), trace axis along 30°
/// with 12.5 m spacing, line axis perpendicular with 25 m spacing.
georef::SurveyGeometry rotatedSurvey(int traces, int lines)
{
    const double angle = M_PI / 6.0;
    const double traceLength = 12.5 * (traces - 1);
    const double lineLength = 25.0 * (lines - 1);
    georef::SurveyGeometry survey;
    survey.traceCount = traces;
    survey.lineCount = lines;
    survey.firstTrace = 1;
    survey.lastTrace = traces;
    survey.firstLine = 1;
    survey.lastLine = lines;
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

gdi3dSurvey_t surveyRecord(const georef::SurveyGeometry& geometry, double scale)
{
    gdi3dSurvey_t survey{};
    survey.traceCount = geometry.traceCount;
    survey.lineCount = geometry.lineCount;
    survey.firstTrace = geometry.firstTrace;
    survey.lastTrace = geometry.lastTrace;
    survey.firstLine = geometry.firstLine;
    survey.lastLine = geometry.lastLine;
    qstrncpy(survey.orientation, "TRACE", sizeof(survey.orientation));
    const double corners[8] = {geometry.firstLineFirstTraceX, geometry.firstLineFirstTraceY,
                               geometry.lastLineFirstTraceX,  geometry.lastLineFirstTraceY,
                               geometry.fourthCornerX,        geometry.fourthCornerY,
                               geometry.firstLineLastTraceX,  geometry.firstLineLastTraceY};
    for (int n = 0; n < 8; ++n)
        survey.corner[n] = corners[n] * scale;
    return survey;
}

bool near(const core::vec3& a, const core::vec3& b, double tolerance = 1e-6)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance && std::abs(a.z - b.z) <= tolerance;
}

} // namespace

class TestOwConverters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void knownUnitsGiveNoNotice_data();
    void knownUnitsGiveNoNotice();
    void unsupportedUnitIsReported();
    void projectUnitWithoutProjectShowsUnitError();
    void projectUnitOfOpenProject_data();
    void projectUnitOfOpenProject();
    void unitAbbreviationTable();

    void dataSetBlocSpaceFromDevKitRecords();
    void surveyBlocSpaceConvertsCorners();

private:
    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
};

void TestOwConverters::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestOwConverters::cleanup()
{
    owsim::clearInjections();
}

void TestOwConverters::knownUnitsGiveNoNotice_data()
{
    QTest::addColumn<int>("owUnit");
    QTest::addColumn<int>("hostUnit");
    QTest::newRow("1") << 1 << int(Meter);
    QTest::newRow("1033") << 1033 << int(Meter);
    QTest::newRow("1089") << 1089 << int(Foot);
    QTest::newRow("1090") << 1090 << int(FootUS);
    QTest::newRow("348") << 348 << int(Millisecond);
    QTest::newRow("890") << 890 << int(Second);
}

void TestOwConverters::knownUnitsGiveNoNotice()
{
    QFETCH(int, owUnit);
    QFETCH(int, hostUnit);
    m_bus->take();
    QCOMPARE(georef::hostUnitFromOpenWorks(owUnit), hostUnit);
    QVERIFY(m_bus->takeTexts(eDrawError).isEmpty());
}

void TestOwConverters::unsupportedUnitIsReported()
{
    m_bus->take();
    QCOMPARE(georef::hostUnitFromOpenWorks(3), int(NoUnit));
    const auto messages = m_bus->take();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().first, int(eDrawError));
    int status = 0;
    const char* name = untGetUnitName(3, &status);
    QCOMPARE(messages.first().second,
             QStringLiteral("Unsupported unit %1. Unit id: 3").arg(QString::fromUtf8(name ? name : "")));
}

void TestOwConverters::projectUnitWithoutProjectShowsUnitError()
{
    ZRScriptedExchangeUi ui;
    ui.unitAnswers.enqueue(Meter);
    int owUnit = -7;
    QCOMPARE(projectUnitForType(&ui, georef::OpenWorksDepthType, georef::candidateUnits(2), &owUnit), int(NoUnit));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(int(ui.messages.first().kind), int(ZRExchangeUi::MessageKind::Critical));
    QCOMPARE(ui.messages.first().title, QStringLiteral("Unit Error"));
    int status = 0;
    const char* typeName = untGetTypeName(georef::OpenWorksDepthType, &status);
    QCOMPARE(ui.messages.first().text, QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.")
                                           .arg(QString::fromUtf8(typeName ? typeName : "")));
    QCOMPARE(owUnit, -7);
    QVERIFY(ui.unitQuestions.isEmpty());
}

void TestOwConverters::projectUnitOfOpenProject_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("hostUnit");
    QTest::newRow("metric") << int(owsim::MeasurementSystem::Metric) << int(Meter);
    QTest::newRow("feet") << int(owsim::MeasurementSystem::Feet) << int(Foot);
}

void TestOwConverters::projectUnitOfOpenProject()
{
    QFETCH(int, system);
    QFETCH(int, hostUnit);
    const char* name = system == int(owsim::MeasurementSystem::Metric) ? "UNITSM" : "UNITSF";
    QVERIFY(openProject(m_environment->openWorksHome(), name, owsim::MeasurementSystem(system)));
    ZRScriptedExchangeUi ui;

    int owUnit = 0;
    QCOMPARE(projectUnitForType(&ui, georef::OpenWorksDepthType, georef::candidateUnits(2), &owUnit), hostUnit);
    int expectedOwUnit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_DEPTH, &expectedOwUnit), 0);
    QCOMPARE(owUnit, expectedOwUnit);
    QCOMPARE(projectUnitForType(&ui, georef::OpenWorksSeismicTimeType, georef::candidateUnits(1), &owUnit),
             int(Millisecond));
    QCOMPARE(owUnit, 348);
    QVERIFY(ui.messages.isEmpty());
    QVERIFY(ui.unitQuestions.isEmpty());

    // A failing DevKit call gives the Unit Error box and no unit.
    owsim::injectStatus("gdiGetMeasSystemUnitIdForType", 1, GDI_UNKNOWN_UNIT_TYPE);
    QCOMPARE(projectUnitForType(&ui, georef::OpenWorksDepthType, georef::candidateUnits(2), &owUnit), int(NoUnit));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages.first().title, QStringLiteral("Unit Error"));
    closeProject();
}

void TestOwConverters::unitAbbreviationTable()
{
    QVERIFY(openProject(m_environment->openWorksHome(), "UNITSM", owsim::MeasurementSystem::Metric));
    const QMap<int, QString> table = openWorksUnitAbbreviationTable();
    QCOMPARE(table.keys(), (QList<int>{0, 1, 4, 6, 9, 13}));
    const QPair<int, int> sources[] = {{1, 2}, {0, 1}, {4, 11}, {13, 12}, {9, 19}, {6, 13}};
    for (const auto& source : sources) {
        int status = 0;
        const char* abbreviation = untGetUnitAbbr(source.second, &status);
        QCOMPARE(status, 0);
        QCOMPARE(table.value(source.first), QString::fromLatin1(abbreviation));
        QVERIFY(!table.value(source.first).isEmpty());
    }
    closeProject();
}

void TestOwConverters::dataSetBlocSpaceFromDevKitRecords()
{
    const georef::SurveyGeometry geometry = rotatedSurvey(100, 50);
    const gdi3dSurvey_t survey = surveyRecord(geometry, 1.0);
    gdiSeismicDataSet_t dataSet{};
    dataSet.inlineMin = 5;
    dataSet.inlineMax = 14;
    dataSet.xlineMin = 21;
    dataSet.xlineMax = 60;
    dataSet.verticalStart = 0;
    dataSet.sampleInterval = 4;
    dataSet.sampleCount = 100;
    dm3dControlBlock_t file{};
    file.firstX = 21;
    file.lastX = 60;
    file.firstY = 5;
    file.lastY = 14;
    file.samplesPerTrace = 100;

    const georef::BlocSpace fromRecords = georef::blocSpaceFromDataSet(survey, dataSet, file, Millisecond);
    const georef::BlocSpace fromRoles = georef::blocSpaceFromDataSet(
        geometry, georef::DataSetRange{5, 14, 21, 60, 0, 4, 100}, georef::DataFileRange{21, 60, 5, 14, 100}, Millisecond);
    QCOMPARE(fromRecords.dimx(), 40);
    QCOMPARE(fromRecords.dimz(), 10);
    QVERIFY(fromRecords.fromBlocToWorldMatrix() == fromRoles.fromBlocToWorldMatrix());
    QVERIFY(fromRecords.fromBlocToSurveyMatrix() == fromRoles.fromBlocToSurveyMatrix());
}

void TestOwConverters::surveyBlocSpaceConvertsCorners()
{
    QVERIFY(openProject(m_environment->openWorksHome(), "FEETGEO", owsim::MeasurementSystem::Feet));
    const georef::SurveyGeometry metres = rotatedSurvey(40, 30);
    // The record holds the corners in the project's X/Y unit.
    int xyUnit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, 20, &xyUnit), 0);
    QVERIFY(xyUnit == OW_UNIT_FEET || xyUnit == OW_UNIT_INTERNATIONAL_FEET);
    const gdi3dSurvey_t survey = surveyRecord(metres, 1.0 / 0.3048);

    georef::BlocSpace space;
    QCOMPARE(georef::blocSpaceFromSurvey(survey, 1, 0.0, 1.0, true, &space), 0);
    QCOMPARE(space.dimx(), 40);
    const georef::BlocSpace expected = georef::blocSpaceFromSurvey(metres, 1, 0.0, 1.0, true);
    QVERIFY(near(space.blocToWorld({39, 0, 29}), expected.blocToWorld({39, 0, 29})));
    QVERIFY(near(space.blocToWorld({0, 0, 0}), core::vec3(metres.firstLineFirstTraceX, 0, metres.firstLineFirstTraceY)));

    // A failed conversion gives its status and leaves the output alone.
    owsim::injectStatus("untConvert", 3, GDI_INCOMPATIBLE_UNITS);
    georef::BlocSpace untouched(7, 7, 7);
    QCOMPARE(georef::blocSpaceFromSurvey(survey, 1, 0.0, 1.0, true, &untouched), GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(untouched.dimx(), 7);
    closeProject();
}

QTEST_MAIN(TestOwConverters)
#include "tst_owconverters.moc"
