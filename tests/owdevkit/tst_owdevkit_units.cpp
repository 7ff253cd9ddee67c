// Unit catalogue, conversions and measurement systems of the DevKit stand-in.

#include "owtestproject.h"
#include "testenvironment.h"

#include <QtTest>

class TestOwDevkitUnits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void convert_data();
    void convert();
    void convertFloatsInPlace();
    void incompatibleKinds();
    void namesAndIds_data();
    void namesAndIds();
    void unknownUnits();
    void metricProject();
    void feetProject();
    void sessionUnitsResetByHorizonClose();
    void projectUnitsPerType_data();
    void projectUnitsPerType();
    void unitChoices_data();
    void unitChoices();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestOwDevkitUnits::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    std::string error;
    const std::string home = m_env->openWorksHome().toStdString();
    QVERIFY(owsim::createDistrict(home, "Units", false, &error));
    QVERIFY2(owsim::createProject(home, "Units", "FEETPRJ", owsim::MeasurementSystem::Feet, &error), error.c_str());
    QVERIFY(openTestProject(m_env->openWorksHome(), "Units", "METRIC"));
}

void TestOwDevkitUnits::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

void TestOwDevkitUnits::convert_data()
{
    // Expected values computed from the legal definitions: 1 ft = 0.3048 m,
    // 1 US survey ft = 1200/3937 m, 1 yd = 3 ft, 1 in = 2.54 cm, 1 mi = 5280 ft.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("m to ft") << 1 << 2 << 1000.0 << 1000.0 / 0.3048;
    QTest::newRow("ft to m") << 2 << 1 << 1000.0 << 304.8;
    QTest::newRow("international ft to m") << 1089 << 1 << 10.0 << 3.048;
    QTest::newRow("US ft to m") << 1090 << 1 << 3937.0 << 1200.0;
    QTest::newRow("US survey ft to m") << 20 << 1 << 3937.0 << 1200.0;
    QTest::newRow("US yd to m") << 18 << 1 << 3937.0 << 3600.0;
    QTest::newRow("yd to ft") << 10 << 2 << 2.0 << 6.0;
    QTest::newRow("km to m") << 11 << 1 << 1.5 << 1500.0;
    QTest::newRow("in to cm") << 12 << 19 << 10.0 << 25.4;
    QTest::newRow("mi to ft") << 13 << 2 << 1.0 << 5280.0;
    QTest::newRow("mm to m") << 21 << 1 << 2500.0 << 2.5;
    QTest::newRow("metres to meters") << 1033 << 1 << 12.25 << 12.25;
    QTest::newRow("s to ms") << 890 << 348 << 2.5 << 2500.0;
    QTest::newRow("ms to s") << 348 << 890 << 4.0 << 0.004;
    QTest::newRow("same unit") << 2 << 2 << 7.125 << 7.125;
    // Units a project may use that the host has no unit for: 1 dm = 0.1 m,
    // 1 fathom = 6 ft, 1 chain = 66 ft, 1 us = 0.001 ms.
    QTest::newRow("dm to m") << 3 << 1 << 125.0 << 12.5;
    QTest::newRow("fathoms to ft") << 4 << 2 << 10.0 << 60.0;
    QTest::newRow("fathoms to m") << 4 << 1 << 1000.0 << 1828.8;
    QTest::newRow("chains to ft") << 5 << 2 << 2.0 << 132.0;
    QTest::newRow("us to ms") << 347 << 348 << 1500.0 << 1.5;
    QTest::newRow("s to us") << 890 << 347 << 0.25 << 250000.0;
    QTest::newRow("us/ft to us/m") << 2211 << 2210 << 100.0 << 100.0 / 0.3048;
    QTest::newRow("us/m to us/ft") << 2210 << 2211 << 328.0 << 328.0 * 0.3048;
}

void TestOwDevkitUnits::convert()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, value);
    QFETCH(double, expected);
    double values[2] = {value, -value};
    const int count = 2;
    int status = -1;
    QCOMPARE(untConvert(from, to, &count, values, &status), 0);
    QCOMPARE(status, 0);
    QVERIFY2(std::fabs(values[0] - expected) <= 1e-12 * std::fabs(expected), qPrintable(QString::number(values[0], 'g', 17)));
    QVERIFY(std::fabs(values[1] + expected) <= 1e-12 * std::fabs(expected));
}

void TestOwDevkitUnits::convertFloatsInPlace()
{
    float values[3] = {1.0f, 2.0f, 3.0f};
    const int count = 2;
    int status = -1;
    QCOMPARE(untConvertFloats(OW_UNIT_SECONDS, OW_UNIT_MILLISECONDS, &count, values, &status), 0);
    QCOMPARE(values[0], 1000.0f);
    QCOMPARE(values[1], 2000.0f);
    QCOMPARE(values[2], 3.0f); // beyond count: untouched
}

void TestOwDevkitUnits::incompatibleKinds()
{
    double value = 5.0;
    float single = 5.0f;
    const int one = 1;
    int status = 0;
    QCOMPARE(untConvert(OW_UNIT_METERS, OW_UNIT_MILLISECONDS, &one, &value, &status), GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(status, GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(value, 5.0);
    QCOMPARE(untConvertFloats(OW_UNIT_SECONDS, OW_UNIT_FEET, &one, &single, &status), GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(single, 5.0f);
    QCOMPARE(untConvert(9999, OW_UNIT_METERS, &one, &value, &status), GDI_UNKNOWN_UNIT);
    // A slowness is neither a length nor a time.
    QCOMPARE(untConvert(2211, OW_UNIT_FEET, &one, &value, &status), GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(untConvert(2210, OW_UNIT_MILLISECONDS, &one, &value, &status), GDI_INCOMPATIBLE_UNITS);
    QCOMPARE(value, 5.0);
}

void TestOwDevkitUnits::namesAndIds_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("abbreviation");
    QTest::newRow("1") << 1 << "meters" << "m";
    QTest::newRow("2") << 2 << "feet" << "ft";
    QTest::newRow("348") << 348 << "milliseconds" << "ms";
    QTest::newRow("890") << 890 << "seconds" << "s";
    QTest::newRow("3") << 3 << "decimeters" << "dm";
    QTest::newRow("4") << 4 << "fathoms" << "fath";
    QTest::newRow("5") << 5 << "chains" << "ch";
    QTest::newRow("347") << 347 << "microseconds" << "us";
    QTest::newRow("2210") << 2210 << "microseconds per meter" << "us/m";
    QTest::newRow("2211") << 2211 << "microseconds per foot" << "us/ft";
    for (int id : {10, 11, 12, 13, 18, 19, 20, 21, 1033, 1089, 1090})
        QTest::newRow(qPrintable(QString::number(id))) << id << QString() << QString();
}

void TestOwDevkitUnits::namesAndIds()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(QString, abbreviation);
    int status = -1;
    const QString unitName = untGetUnitName(id, &status);
    QCOMPARE(status, 0);
    QVERIFY(!unitName.isEmpty());
    const QString unitAbbreviation = untGetUnitAbbr(id, &status);
    QCOMPARE(status, 0);
    if (!name.isEmpty()) {
        QCOMPARE(unitName, name);
        QCOMPARE(unitAbbreviation, abbreviation);
    }
    QCOMPARE(untGetUnitID(unitName.toLatin1().constData(), &status), id);
    QCOMPARE(status, 0);
    QCOMPARE(untGetAbbrID(unitAbbreviation.toLatin1().constData(), &status), id);
    QCOMPARE(status, 0);
}

void TestOwDevkitUnits::unknownUnits()
{
    int status = 0;
    QCOMPARE(QByteArray(untGetUnitName(9999, &status)), QByteArray());
    QVERIFY(status != 0);
    QCOMPARE(untGetUnitID("furlongs", &status), 0);
    QVERIFY(status != 0);
    QCOMPARE(untGetAbbrID("meters", &status), 1); // names are accepted too
    QCOMPARE(status, 0);
    for (int type : {58, 167, 1001, 2004}) {
        QVERIFY(!QByteArray(untGetTypeName(type, &status)).isEmpty());
        QCOMPARE(status, 0);
    }
    untGetTypeName(77, &status);
    QVERIFY(status != 0);
}

void TestOwDevkitUnits::metricProject()
{
    int unit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 1001, &unit), 0);
    QCOMPARE(unit, 1);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 167, &unit), 0);
    QCOMPARE(unit, 348);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 2004, &unit), 0);
    QCOMPARE(unit, 1);
    for (int field = 20; field <= 27; ++field) {
        QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 574, field, &unit), 0);
        QCOMPARE(unit, 1);
    }
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 823, 7, &unit), 0);
    QCOMPARE(unit, 1);
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 574, 1, &unit), GDI_FIELD_HAS_NO_UNIT);
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 574, 999, &unit), GDI_INVALID_FIELD);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 4242, &unit), GDI_UNKNOWN_UNIT_TYPE);
}

void TestOwDevkitUnits::feetProject()
{
    int status = -1;
    QCOMPARE(prjOpen("FEETPRJ", 0, &status), 0);
    int unit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 1001, &unit), 0);
    QCOMPARE(unit, 2);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 58, &unit), 0);
    QCOMPARE(unit, 2);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 167, &unit), 0);
    QCOMPARE(unit, 348);
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 823, 8, &unit), 0);
    QCOMPARE(unit, 2);
    QCOMPARE(prjOpen("METRIC", 0, &status), 0);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 1001, &unit), 0);
    QCOMPARE(unit, 1);
}

void TestOwDevkitUnits::sessionUnitsResetByHorizonClose()
{
    int unit = 0;
    QCOMPARE(gdiSetMeasSystemUnitIdForType(1001, 2), 0);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(1, 1001, &unit), 0);
    QCOMPARE(unit, 2);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 1001, &unit), 0);
    QCOMPARE(unit, 1);
    QCOMPARE(gdiSetMeasSystemUnitIdForType(1001, 348), GDI_INCOMPATIBLE_UNITS);
    int status = -1;
    hrzcls_(&status);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(1, 1001, &unit), 0);
    QCOMPARE(unit, 1);
}

void TestOwDevkitUnits::projectUnitsPerType_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<bool>("feet");
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QList<int>>("expected"); // units of 58, 167, 1001, 2004
    QTest::newRow("microseconds, fathoms") << "USFATH" << false << QStringList{"Seismic Time=microseconds", "1001=fath"}
                                           << QList<int>{1, 347, 4, 1};
    QTest::newRow("feet with decimeter depths")
        << "FTDM" << true << QStringList{"depth=decimeters"} << QList<int>{2, 348, 3, 2};
    QTest::newRow("chains on the map, seconds") << "CHAINS" << false << QStringList{"x/y coordinate=5", "167=s"}
                                                << QList<int>{1, 890, 1, 5};
}

void TestOwDevkitUnits::projectUnitsPerType()
{
    QFETCH(QString, project);
    QFETCH(bool, feet);
    QFETCH(QStringList, choices);
    QFETCH(QList<int>, expected);
    std::vector<owsim::UnitChoice> units;
    for (const QString& text : choices) {
        owsim::UnitChoice choice;
        std::string error;
        QVERIFY2(owsim::parseUnitChoice(text.toStdString(), &choice, &error), error.c_str());
        units.push_back(choice);
    }
    std::string error;
    QVERIFY2(owsim::createProject(m_env->openWorksHome().toStdString(), "Units", project.toStdString(),
                                  feet ? owsim::MeasurementSystem::Feet : owsim::MeasurementSystem::Metric, units,
                                  &error),
             error.c_str());
    int status = -1;
    QCOMPARE(prjOpen(project.toLatin1().constData(), 0, &status), 0);
    const int types[4] = {58, 167, 1001, 2004};
    for (int n = 0; n < 4; ++n) {
        int unit = 0;
        QCOMPARE(gdiGetMeasSystemUnitIdForType(2, types[n], &unit), 0);
        QCOMPARE(unit, expected[n]);
        // Its name and abbreviation are known to the unit calls.
        QVERIFY(!QByteArray(untGetUnitName(unit, &status)).isEmpty());
        QCOMPARE(status, 0);
        QVERIFY(!QByteArray(untGetUnitAbbr(unit, &status)).isEmpty());
    }
    int unit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, 574, 20, &unit), 0);
    QCOMPARE(unit, expected[3]);
    QCOMPARE(prjOpen("METRIC", 0, &status), 0);
}

void TestOwDevkitUnits::unitChoices_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("error");
    QTest::newRow("names") << "Seismic Time=microseconds" << 167 << 347 << QString();
    QTest::newRow("number and abbreviation") << "1001=fath" << 1001 << 4 << QString();
    QTest::newRow("unit id") << "elevation=3" << 58 << 3 << QString();
    QTest::newRow("no equals sign") << "Depth" << 0 << 0 << "a unit is given as TYPE=UNIT";
    QTest::newRow("unknown type") << "Weight=kg" << 0 << 0 << "unknown unit type Weight";
    QTest::newRow("unknown unit") << "Depth=furlongs" << 0 << 0 << "unknown unit furlongs for Depth";
    QTest::newRow("wrong kind") << "Seismic Time=fathoms" << 0 << 0 << "unit fathoms does not measure Seismic Time";
}

void TestOwDevkitUnits::unitChoices()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(int, unit);
    QFETCH(QString, error);
    owsim::UnitChoice choice;
    std::string message;
    QCOMPARE(owsim::parseUnitChoice(text.toStdString(), &choice, &message), error.isEmpty());
    if (error.isEmpty()) {
        QCOMPARE(choice.unitType, type);
        QCOMPARE(choice.unitId, unit);
    } else {
        QVERIFY2(QString::fromStdString(message).startsWith(error), message.c_str());
    }
}

QTEST_GUILESS_MAIN(TestOwDevkitUnits)
#include "tst_owdevkit_units.moc"
