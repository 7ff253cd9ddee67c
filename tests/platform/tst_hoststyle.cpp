// The host display style and the process library's icon set.

#include "hoststyle.h"
#include "iconxpmhandler.h"
#include "testenvironment.h"

#include <QApplication>
#include <QSettings>
#include <QToolTip>
#include <QtTest>

class TestHostStyle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void styleOfId_data();
    void styleOfId();
    void styleIdFromSettings_data();
    void styleIdFromSettings();
    void everyIconNameIsServed_data();
    void everyIconNameIsServed();
    void unknownIconIsEmpty();
    void darkIconsDiffer();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestHostStyle::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QCoreApplication::setOrganizationName("Tovan");
    QCoreApplication::setApplicationName("Velostrat");
    QSettings::setDefaultFormat(QSettings::IniFormat);
}

void TestHostStyle::styleOfId_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("kind");
    QTest::newRow("0 light") << 0 << int(vsWidgets::HostStyleKind::Light);
    QTest::newRow("5 light") << 5 << int(vsWidgets::HostStyleKind::Light);
    QTest::newRow("6 dark") << 6 << int(vsWidgets::HostStyleKind::Dark);
    QTest::newRow("11 dark") << 11 << int(vsWidgets::HostStyleKind::Dark);
    QTest::newRow("12 unknown") << 12 << int(vsWidgets::HostStyleKind::Unknown);
    QTest::newRow("-1 unknown") << -1 << int(vsWidgets::HostStyleKind::Unknown);
}

void TestHostStyle::styleOfId()
{
    QFETCH(int, id);
    QFETCH(int, kind);
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    QVERIFY(application);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString before = QApplication::style()->objectName();
    const bool applied = vsWidgets::applyHostStyle(*application, id);
    QCOMPARE(int(vsWidgets::hostStyleKind(id)), kind);
    QCOMPARE(applied, kind != int(vsWidgets::HostStyleKind::Unknown));
    if (!applied) {
        QCOMPARE(QApplication::style()->objectName(), before);
        return;
    }
    const bool dark = kind == int(vsWidgets::HostStyleKind::Dark);
    QCOMPARE(vsWidgets::isDarkHostStyle(*application), dark);
    const QColor window = QApplication::palette().color(QPalette::Window);
    QCOMPARE(window.lightness() < 128, dark);
    QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QApplication::palette().color(QPalette::ToolTipBase));
    QVERIFY(application->styleSheet().contains("QToolTip"));
}

void TestHostStyle::styleIdFromSettings_data()
{
    QTest::addColumn<QVariant>("id2021");
    QTest::addColumn<QVariant>("id2016");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing set") << QVariant() << QVariant() << 1;
    QTest::newRow("2021 wins") << QVariant(7) << QVariant(2) << 7;
    QTest::newRow("2021 at -1 falls back") << QVariant(-1) << QVariant(9) << 9;
    QTest::newRow("only 2016") << QVariant() << QVariant(3) << 3;
}

void TestHostStyle::styleIdFromSettings()
{
    QFETCH(QVariant, id2021);
    QFETCH(QVariant, id2016);
    QFETCH(int, expected);
    {
        QSettings settings;
        settings.remove("Application");
        if (id2021.isValid())
            settings.setValue("Application/StyleId_2021", id2021);
        if (id2016.isValid())
            settings.setValue("Application/StyleId_2016", id2016);
    }
    QCOMPARE(vsWidgets::hostStyleIdFromSettings(), expected);
    // Written where the tests put settings, never in the user's folders.
    QVERIFY(QSettings().fileName().startsWith(m_environment->root()));
}

void TestHostStyle::everyIconNameIsServed_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"refresh16", "openworks24", "welltable24", "horizon_base", "faultpicking", "bloc", "well",
                             "set_markerset", "process_16", "rightarrow", "leftarrow", "zoommode16",
                             "vectormodelhorizon16"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestHostStyle::everyIconNameIsServed()
{
    QFETCH(QString, name);
    IconXPMHandler handler;
    QVERIFY(handler.hasIcon(name));
    const QIcon icon = handler.icon(name);
    QVERIFY(!icon.isNull());
    const QImage image = handler.pixmap(name).toImage();
    QVERIFY(!image.isNull());
    // Something is drawn: not every pixel is transparent.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY(drawn);
}

void TestHostStyle::unknownIconIsEmpty()
{
    IconXPMHandler handler;
    QVERIFY(!handler.hasIcon("no_such_icon"));
    QVERIFY(handler.icon("no_such_icon").isNull());
    QVERIFY(handler.pixmap("no_such_icon").isNull());
}

void TestHostStyle::darkIconsDiffer()
{
    IconXPMHandler handler;
    const QImage light = handler.pixmap("bloc").toImage();
    handler.setDarkStyle(true);
    QVERIFY(handler.isDarkStyle());
    const QImage dark = handler.pixmap("bloc").toImage();
    QCOMPARE(light.size(), dark.size());
    QVERIFY(light != dark);
}

QTEST_MAIN(TestHostStyle)
#include "tst_hoststyle.moc"
