// Host unit table, units object, OpenWorks unit mapping and the unit selection question.

#include "testenvironment.h"
#include "blocspaceinitvalue.h"
#include "unitobject.h"
#include "unitresolution.h"
#include "unitselection.h"
#include "unittable.h"

#include <QtTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(QList<int>)

class TestUnits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void namesAndAbbreviations_data();
    void namesAndAbbreviations();
    void fromName_data();
    void fromName();
    void everyNameAndAliasResolves();
    void lengthFactorsAgreeWithTheirDefinitions_data();
    void lengthFactorsAgreeWithTheirDefinitions();
    void factorsOutsideTheTable();
    void derivedCollectionsAreOrdered();
    void timeAndCompatibility_data();
    void timeAndCompatibility();

    void unitObjectDefaultsFollowDefaultCrs();
    void initialVerticalUnitSetsVerticalUnit_data();
    void initialVerticalUnitSetsVerticalUnit();
    void unitObjectXmlRoundTrip();
    void unitObjectXmlKeepsMissingFields();

    void openWorksMapping_data();
    void openWorksMapping();
    void openWorksMappingRoundTrips();
    void candidateUnits_data();
    void candidateUnits();

    void selectUnitAsksWithCandidateNames();
    void selectUnitAnswers_data();
    void selectUnitAnswers();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestUnits::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestUnits::cleanup()
{
    georef::setUnitDialogHooks({});
    georef::Crs::setDefaultCrs(georef::Crs());
}

void TestUnits::namesAndAbbreviations_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("abbreviation");
    QTest::newRow("first row") << int(Meter) << "Meter" << "m";
    QTest::newRow("name with a space") << int(FootUS) << "Foot US" << "ftUS";
    QTest::newRow("last row") << int(InchUS) << "Inch US" << "inchUS";
    QTest::newRow("time") << int(Second) << "Second" << "s";
    QTest::newRow("no unit") << int(NoUnit) << "" << "";
    QTest::newRow("negative") << -1 << "" << "";
    QTest::newRow("past the end") << 16 << "" << "";
}

void TestUnits::namesAndAbbreviations()
{
    QFETCH(int, unit);
    QFETCH(QString, name);
    QFETCH(QString, abbreviation);
    QCOMPARE(UnitTable::unitName(unit), name);
    QCOMPARE(UnitTable::unitAbbreviation(unit), abbreviation);
}

void TestUnits::fromName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");
    QTest::newRow("name") << "Millisecond" << int(Millisecond);
    QTest::newRow("plural alias") << "Feet" << int(Foot);
    QTest::newRow("abbreviation alias") << "ft" << int(Foot);
    QTest::newRow("name with space") << "Foot US" << int(FootUS);
    QTest::newRow("two-word alias") << "Miles US" << int(MileUS);
    QTest::newRow("alias equal to name") << "Decimeter" << int(Decimeter);
    QTest::newRow("matching is exact") << "feet" << int(NoUnit);
    QTest::newRow("abbreviation that is no alias") << "m" << int(NoUnit);
    QTest::newRow("surrounding blank") << "Meter " << int(NoUnit);
    QTest::newRow("empty") << "" << int(NoUnit);
}

void TestUnits::fromName()
{
    QFETCH(QString, text);
    QFETCH(int, unit);
    QCOMPARE(UnitTable::unitFromName(text), unit);
}

void TestUnits::everyNameAndAliasResolves()
{
    const QStringList& names = UnitTable::unitNames();
    QCOMPARE(names.size(), UnitTable::UnitCount);
    for (int unit = 0; unit < names.size(); ++unit) {
        QCOMPARE(UnitTable::unitFromName(names.at(unit)), unit);
        QCOMPARE(UnitTable::unitName(unit), names.at(unit));
    }
    const QHash<QString, int>& aliases = UnitTable::aliasMap();
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        QCOMPARE(UnitTable::unitFromName(it.key()), it.value());
    QVERIFY(aliases.contains(QStringLiteral("Meters")));
    QVERIFY(!aliases.contains(QStringLiteral("Yard")));
}

void TestUnits::lengthFactorsAgreeWithTheirDefinitions_data()
{
    // Units per metre from the legal definitions of each unit.
    const double foot = 1.0 / 0.3048;
    const double usFoot = 3937.0 / 1200.0;
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("unitsPerMetre");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("Meter") << int(Meter) << 1.0 << 1e-12;
    QTest::newRow("Kilometer") << int(Kilometer) << 0.001 << 1e-12;
    QTest::newRow("Decimeter") << int(Decimeter) << 10.0 << 1e-12;
    QTest::newRow("Centimeter") << int(Centimeter) << 100.0 << 1e-12;
    QTest::newRow("Millimeter") << int(Millimeter) << 1000.0 << 1e-12;
    QTest::newRow("Foot") << int(Foot) << foot << 1e-12;
    QTest::newRow("Inch") << int(Inch) << foot * 12.0 << 1e-12;
    QTest::newRow("Yard") << int(Yard) << foot / 3.0 << 1e-12;
    QTest::newRow("Mile") << int(Mile) << foot / 5280.0 << 1e-12;
    QTest::newRow("FootUS") << int(FootUS) << usFoot << 1e-12;
    QTest::newRow("InchUS") << int(InchUS) << usFoot * 12.0 << 1e-12;
    QTest::newRow("YardUS") << int(YardUS) << usFoot / 3.0 << 1e-12;
    QTest::newRow("MileUS") << int(MileUS) << usFoot / 5280.0 << 2e-8; // the host rounds the US survey mile to 1609.3472 m
    QTest::newRow("Millisecond") << int(Millisecond) << 1.0 << 1e-12;
    QTest::newRow("Second") << int(Second) << 0.001 << 1e-12;
}

void TestUnits::lengthFactorsAgreeWithTheirDefinitions()
{
    QFETCH(int, unit);
    QFETCH(double, unitsPerMetre);
    QFETCH(double, tolerance);
    const double factor = UnitTable::unitFactor(unit);
    QVERIFY2(std::abs(factor - unitsPerMetre) <= tolerance * unitsPerMetre,
             qPrintable(QStringLiteral("%1 vs %2").arg(factor, 0, 'g', 17).arg(unitsPerMetre, 0, 'g', 17)));
    QVERIFY(std::abs(UnitTable::unitInverseFactor(unit) * factor - 1.0) < 1e-12);
}

void TestUnits::factorsOutsideTheTable()
{
    QCOMPARE(UnitTable::unitFactor(NoUnit), 1.0);
    QCOMPARE(UnitTable::unitInverseFactor(NoUnit), 1.0);
    QCOMPARE(UnitTable::unitFactor(-5), 1.0);
    QVERIFY(UnitTable::info(NoUnit) == nullptr);
    QVERIFY(UnitTable::info(Meter) != nullptr);
}

void TestUnits::derivedCollectionsAreOrdered()
{
    const QList<int>& lengths = UnitTable::lengthUnits();
    const QList<int>& times = UnitTable::timeUnits();
    QCOMPARE(lengths.size() + times.size(), UnitTable::UnitCount);
    QCOMPARE(times, (QList<int>{Second, Millisecond}));
    for (int unit : lengths)
        QCOMPARE(UnitTable::info(unit)->kind, 2);
    for (int n = 1; n < lengths.size(); ++n)
        QVERIFY(UnitTable::info(lengths.at(n - 1))->order < UnitTable::info(lengths.at(n))->order);
    QCOMPARE(lengths.first(), int(Kilometer));
    QCOMPARE(lengths.last(), int(InchUS));
    // Display orders are a permutation of 0..14.
    QList<int> orders;
    for (int unit = 0; unit < UnitTable::UnitCount; ++unit)
        orders.append(UnitTable::info(unit)->order);
    std::sort(orders.begin(), orders.end());
    for (int n = 0; n < orders.size(); ++n)
        QCOMPARE(orders.at(n), n);
}

void TestUnits::timeAndCompatibility_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("firstIsTime");
    QTest::addColumn<bool>("compatible");
    QTest::newRow("no unit is time and fits length") << int(NoUnit) << int(Meter) << true << true;
    QTest::newRow("length and no unit") << int(Meter) << int(NoUnit) << false << true;
    QTest::newRow("length and time") << int(Meter) << int(Second) << false << false;
    QTest::newRow("two times") << int(Millisecond) << int(Second) << true << true;
    QTest::newRow("two lengths") << int(InchUS) << int(Kilometer) << false << true;
}

void TestUnits::timeAndCompatibility()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, firstIsTime);
    QFETCH(bool, compatible);
    QCOMPARE(UnitTable::isTimeUnit(first), firstIsTime);
    QCOMPARE(UnitTable::areCompatible(first, second), compatible);
    QCOMPARE(UnitTable::areCompatible(second, first), compatible);
}

void TestUnits::unitObjectDefaultsFollowDefaultCrs()
{
    const georef::Crs utm(QStringLiteral("+proj=utm +zone=31 +datum=WGS84 +units=m"), QStringLiteral("UTM 31N"));
    georef::Crs::setDefaultCrs(utm);
    const georef::UnitObject units;
    QCOMPARE(units.initialSpatialUnit(), int(Meter));
    QCOMPARE(units.spatialUnit(), int(Meter));
    QCOMPARE(units.initialVerticalUnit(), int(Millisecond));
    QCOMPARE(units.verticalUnit(), int(Millisecond));
    QVERIFY(units.crs() == utm);
    QVERIFY(units.initialCrs() == utm);
    QCOMPARE(units.tagName(), QStringLiteral("unitsObject"));
    QCOMPARE(georef::BlocSpaceInitValue::ZRInitUnitObject().tagName(), QStringLiteral("InitUnitsObject"));
}

void TestUnits::initialVerticalUnitSetsVerticalUnit_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("vertical");
    QTest::newRow("second") << int(Second) << int(Millisecond);
    QTest::newRow("foot") << int(Foot) << int(Meter);
    QTest::newRow("kilometer") << int(Kilometer) << int(Meter);
    QTest::newRow("no unit counts as time") << int(NoUnit) << int(Millisecond);
}

void TestUnits::initialVerticalUnitSetsVerticalUnit()
{
    QFETCH(int, initial);
    QFETCH(int, vertical);
    georef::UnitObject units;
    units.setVerticalUnit(Foot);
    units.setInitialVerticalUnit(initial);
    QCOMPARE(units.initialVerticalUnit(), initial);
    QCOMPARE(units.verticalUnit(), vertical);
}

void TestUnits::unitObjectXmlRoundTrip()
{
    georef::UnitObject units;
    units.setInitialSpatialUnit(FootUS);
    units.setSpatialUnit(Meter);
    units.setInitialVerticalUnit(Second);
    units.setCrs(georef::Crs(QStringLiteral("+proj=longlat +datum=WGS84"), QStringLiteral("WGS 84"),
                             QStringLiteral("EPSG"), QStringLiteral("4326")));

    QDomDocument document;
    QDomElement parent = document.createElement(QStringLiteral("parent"));
    document.appendChild(parent);
    const QDomElement element = units.toXml(document, parent);
    QCOMPARE(element.tagName(), QStringLiteral("unitsObject"));
    QStringList order;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        order.append(child.tagName());
    QCOMPARE(order, (QStringList{"initialSpatialUnit", "initialVerticalUnit", "initialCrs", "spatialUnit",
                                 "verticalUnit", "crs"}));
    QCOMPARE(element.firstChildElement("initialSpatialUnit").attribute("value"), QStringLiteral("Foot US"));
    QCOMPARE(element.firstChildElement("verticalUnit").attribute("value"), QStringLiteral("Millisecond"));

    QDomDocument reread;
    QVERIFY(reread.setContent(document.toString(1)));
    georef::UnitObject back;
    QVERIFY(back.fromXml(reread.documentElement().firstChildElement(QStringLiteral("unitsObject"))));
    QVERIFY(back == units);
    QVERIFY(back.crs().isGeographic());
}

void TestUnits::unitObjectXmlKeepsMissingFields()
{
    QDomDocument document;
    QVERIFY(document.setContent(QStringLiteral("<unitsObject><verticalUnit value=\"Foot\"/>"
                                               "<spatialUnit value=\"not a unit\"/></unitsObject>")));
    georef::UnitObject units;
    QVERIFY(units.fromXml(document.documentElement()));
    QCOMPARE(units.verticalUnit(), int(Foot));
    QCOMPARE(units.initialVerticalUnit(), int(Millisecond));
    QCOMPARE(units.spatialUnit(), int(NoUnit));
    QCOMPARE(units.initialSpatialUnit(), int(Meter));
    QVERIFY(!units.fromXml(QDomElement()));
}

void TestUnits::openWorksMapping_data()
{
    QTest::addColumn<int>("owUnit");
    QTest::addColumn<int>("hostUnit");
    QTest::newRow("1") << 1 << int(Meter);
    QTest::newRow("1033") << 1033 << int(Meter);
    QTest::newRow("2") << 2 << int(Foot);
    QTest::newRow("1089") << 1089 << int(Foot);
    QTest::newRow("20") << 20 << int(FootUS);
    QTest::newRow("1090") << 1090 << int(FootUS);
    QTest::newRow("10") << 10 << int(Yard);
    QTest::newRow("11") << 11 << int(Kilometer);
    QTest::newRow("12") << 12 << int(Inch);
    QTest::newRow("13") << 13 << int(Mile);
    QTest::newRow("18") << 18 << int(YardUS);
    QTest::newRow("19") << 19 << int(Centimeter);
    QTest::newRow("21") << 21 << int(Millimeter);
    QTest::newRow("348") << 348 << int(Millisecond);
    QTest::newRow("890") << 890 << int(Second);
    QTest::newRow("3") << 3 << int(NoUnit);
    QTest::newRow("0") << 0 << int(NoUnit);
}

void TestUnits::openWorksMapping()
{
    QFETCH(int, owUnit);
    QFETCH(int, hostUnit);
    QCOMPARE(georef::hostUnitForOpenWorksId(owUnit), hostUnit);
}

void TestUnits::openWorksMappingRoundTrips()
{
    int mapped = 0;
    for (int unit = 0; unit <= NoUnit; ++unit) {
        const int owUnit = georef::openWorksIdForHostUnit(unit);
        if (owUnit < 0)
            continue;
        ++mapped;
        QCOMPARE(georef::hostUnitForOpenWorksId(owUnit), unit);
    }
    QCOMPARE(mapped, 12);
    QCOMPARE(georef::openWorksIdForHostUnit(Decimeter), -1);
    QCOMPARE(georef::openWorksIdForHostUnit(NoUnit), -1);
}

void TestUnits::candidateUnits_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("units");
    QTest::newRow("time") << 1 << QList<int>{Second, Millisecond};
    QTest::newRow("length") << 2 << QList<int>{Meter, Foot, FootUS, Mile, Yard, Inch};
    QTest::newRow("other") << 0 << QList<int>{};
}

void TestUnits::candidateUnits()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, units);
    QCOMPARE(georef::candidateUnits(kind), units);
}

void TestUnits::selectUnitAsksWithCandidateNames()
{
    QString askedTitle;
    QString askedLabel;
    QStringList askedItems;
    georef::UnitDialogHooks hooks;
    hooks.selectItem = [&](const QString& title, const QString& label, const QStringList& items, QString* chosen) {
        askedTitle = title;
        askedLabel = label;
        askedItems = items;
        *chosen = items.value(2);
        return true;
    };
    georef::setUnitDialogHooks(hooks);
    const int unit = georef::selectUnit(georef::candidateUnits(2), QStringLiteral("Pick one."), nullptr);
    QCOMPARE(askedTitle, QStringLiteral("Unit Selection"));
    QCOMPARE(askedLabel, QStringLiteral("Pick one.\n\n Unit:"));
    QCOMPARE(askedItems, (QStringList{"Meter", "Foot", "Foot US", "Mile", "Yard", "Inch"}));
    QCOMPARE(unit, int(FootUS));
}

void TestUnits::selectUnitAnswers_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("unit");
    QTest::newRow("accepted") << true << "Second" << int(Second);
    QTest::newRow("cancelled with a highlighted item") << false << "Second" << int(NoUnit);
    QTest::newRow("accepted without a choice") << true << "" << int(NoUnit);
}

void TestUnits::selectUnitAnswers()
{
    QFETCH(bool, accepted);
    QFETCH(QString, chosen);
    QFETCH(int, unit);
    georef::UnitDialogHooks hooks;
    hooks.selectItem = [&](const QString&, const QString&, const QStringList&, QString* answer) {
        *answer = chosen;
        return accepted;
    };
    georef::setUnitDialogHooks(hooks);
    QCOMPARE(georef::selectUnit(georef::candidateUnits(1), QStringLiteral("?"), nullptr), unit);
}

QTEST_MAIN(TestUnits)
#include "tst_units.moc"
