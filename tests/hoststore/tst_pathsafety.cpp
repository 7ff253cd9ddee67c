// Names taken from outside (an OpenWorks store, a descriptor) checked to be one
// file name inside a folder.

#include "zrpathsafety.h"

#include <QDir>
#include <QtTest>

class TestPathSafety : public QObject
{
    Q_OBJECT
private slots:
    void fileNames_data();
    void fileNames();
    void childPaths_data();
    void childPaths();
    void childPathWithoutErrorOutput();
};

void TestPathSafety::fileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");

    QTest::newRow("plain") << "Seismic" << true;
    QTest::newRow("with spaces inside") << "NS Time Full" << true;
    QTest::newRow("with an extension") << "volume.vol" << true;
    QTest::newRow("leading dot") << ".hidden" << true;
    QTest::newRow("two dots inside") << "a..b" << true;
    QTest::newRow("three dots") << "..." << false;
    QTest::newRow("non-ASCII") << QString::fromUtf8("Forêt Ölfeld 北海") << true;
    QTest::newRow("astral plane character") << QString::fromUtf8("horizon \xF0\x9F\x8C\x8A") << true;
    QTest::newRow("colon (a file name on this system)") << "a:b" << true;

    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("parent path") << "../escaped" << false;
    QTest::newRow("two levels up") << "../../escaped" << false;
    QTest::newRow("slash inside") << "a/b" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("windows parent") << "..\\victim" << false;
    QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << false;
    QTest::newRow("newline") << "a\nb" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("escape") << "a\x1b[31m" << false;
    QTest::newRow("DEL") << "a\x7f" << false;
    QTest::newRow("C1 control") << QString(QStringLiteral("a") + QChar(0x85)) << false;
    QTest::newRow("trailing space") << "name " << false;
    QTest::newRow("trailing dot") << "name." << false;
    QTest::newRow("leading space") << " name" << true;
    QTest::newRow("lone high surrogate") << QString(QStringLiteral("a") + QChar(0xD800)) << false;
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00) + QStringLiteral("a")) << false;

    QTest::newRow("255 bytes") << QString(255, QLatin1Char('x')) << true;
    QTest::newRow("256 bytes") << QString(256, QLatin1Char('x')) << false;
    // 85 three-byte characters are 255 bytes; one more is 258 (86 characters).
    QTest::newRow("255 bytes of three-byte characters") << QString(85, QChar(0x5317)) << true;
    QTest::newRow("258 bytes in 86 characters") << QString(86, QChar(0x5317)) << false;
}

void TestPathSafety::fileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(isSafeFileName(name), safe);
}

void TestPathSafety::childPaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("error");

    const QString separator = QDir::separator();
    QTest::newRow("accepted") << "/data/Project/Seismic" << "NS Time" << "/data/Project/Seismic" + separator + "NS Time" << "";
    QTest::newRow("escaping name") << "/data/Project/Seismic" << "../../escaped" << ""
                                   << "The name \"../../escaped\" cannot be used as a file name in /data/Project/Seismic.";
    QTest::newRow("empty name") << "/data/Project/Horizons" << "" << ""
                                << "The name \"\" cannot be used as a file name in /data/Project/Horizons.";
    QTest::newRow("placeholders in the name stay as they are")
        << "/data/%2" << "%1/x" << "" << "The name \"%1/x\" cannot be used as a file name in /data/%2.";
}

void TestPathSafety::childPaths()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(QString, error);

    QString message = QStringLiteral("untouched");
    QCOMPARE(safeChildPath(folder, name, &message), path);
    QCOMPARE(message, error.isEmpty() ? QStringLiteral("untouched") : error);
}

void TestPathSafety::childPathWithoutErrorOutput()
{
    QVERIFY(safeChildPath(QStringLiteral("/data"), QStringLiteral(".."), nullptr).isEmpty());
    QCOMPARE(safeChildPath(QStringLiteral("/data"), QStringLiteral("ok"), nullptr), QStringLiteral("/data") + QDir::separator() + "ok");
}

QTEST_GUILESS_MAIN(TestPathSafety)
#include "tst_pathsafety.moc"
