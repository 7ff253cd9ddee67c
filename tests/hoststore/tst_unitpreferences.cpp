// The host's unit preferences ("Units" group of the host settings).

#include "testenvironment.h"
#include "unitpreferences.h"

#include <QSettings>
#include <QtTest>

#include <memory>

class TestUnitPreferences : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void defaultsWithoutSettings();
    void read_data();
    void read();

private:
    static QSettings hostSettings()
    {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat"));
    }
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestUnitPreferences::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestUnitPreferences::init()
{
    hostSettings().clear();
}

void TestUnitPreferences::defaultsWithoutSettings()
{
    const georef::UnitPreferences preferences = georef::UnitPreferences::read();
    QCOMPARE(preferences.spatialUnit, int(Meter));
    QCOMPARE(preferences.verticalTimeUnit, int(Millisecond));
    QCOMPARE(preferences.verticalDepthUnit, int(Meter));
}

void TestUnitPreferences::read_data()
{
    QTest::addColumn<QVariant>("spatial");
    QTest::addColumn<QVariant>("time");
    QTest::addColumn<QVariant>("depth");
    QTest::addColumn<int>("expectedSpatial");
    QTest::addColumn<int>("expectedTime");
    QTest::addColumn<int>("expectedDepth");
    QTest::newRow("feet and seconds") << QVariant(1) << QVariant(3) << QVariant(7) << int(Foot) << int(Second)
                                      << int(FootUS);
    QTest::newRow("as text numbers") << QVariant("9") << QVariant("2") << QVariant("13") << int(Centimeter)
                                     << int(Millisecond) << int(Inch);
    QTest::newRow("wrong kinds keep the defaults") << QVariant(2) << QVariant(0) << QVariant(3) << int(Meter)
                                                   << int(Millisecond) << int(Meter);
    QTest::newRow("no unit and out of range") << QVariant(15) << QVariant(-1) << QVariant(99) << int(Meter)
                                              << int(Millisecond) << int(Meter);
    QTest::newRow("not numbers") << QVariant("Foot") << QVariant("") << QVariant("1.5") << int(Meter)
                                 << int(Millisecond) << int(Meter);
}

void TestUnitPreferences::read()
{
    QFETCH(QVariant, spatial);
    QFETCH(QVariant, time);
    QFETCH(QVariant, depth);
    QFETCH(int, expectedSpatial);
    QFETCH(int, expectedTime);
    QFETCH(int, expectedDepth);
    {
        QSettings settings = hostSettings();
        settings.setValue(QStringLiteral("Units/SpatialMetric"), spatial);
        settings.setValue(QStringLiteral("Units/VerticalTime"), time);
        settings.setValue(QStringLiteral("Units/VerticalDepth"), depth);
        settings.sync();
    }
    const georef::UnitPreferences preferences = georef::UnitPreferences::read();
    QCOMPARE(preferences.spatialUnit, expectedSpatial);
    QCOMPARE(preferences.verticalTimeUnit, expectedTime);
    QCOMPARE(preferences.verticalDepthUnit, expectedDepth);
}

QTEST_GUILESS_MAIN(TestUnitPreferences)
#include "tst_unitpreferences.moc"
