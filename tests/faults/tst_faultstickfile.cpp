// The faults library stand-in: fault-stick files written by write3DFaultStick
// and read back by readFaultStickPolyLine, by isFaultStickDomainInTime and by
// an independent reader of the documented layout; files composed by the test
// from that layout; damaged files refused before anything large is allocated.

#include "busrecorder.h"
#include "faultstickview.h"
#include "testenvironment.h"
#include "zreventbus.h"
#include "zrfaultapifunctions.h"
#include "zrfaultstickfile.h"

#include <QtTest>

#include <cstdint>
#include <cstring>
#include <memory>

using Sticks = core::MultiArray<core::vec3>;
Q_DECLARE_METATYPE(Sticks)

namespace
{

const core::vec3 kSeparator(-9999.0, -9999.0, -9999.0);

/// Sticks of `counts` points each, one separator after each, in one array.
std::vector<core::vec3> sticksOf(std::initializer_list<int> counts, double base)
{
    std::vector<core::vec3> points;
    int stick = 0;
    for (int count : counts) {
        for (int p = 0; p < count; ++p)
            points.emplace_back(450000.0 + base + stick * 25.0 + p * 0.5, 400.0 + 100.0 * p, 6780000.0 - stick * 12.5);
        points.push_back(kSeparator);
        ++stick;
    }
    return points;
}

/// Sticks counted from the definition: runs of non-separator points.
qint64 countSticks(const Sticks& sticks)
{
    qint64 count = 0;
    for (const auto& points : sticks) {
        bool open = false;
        for (const core::vec3& point : points) {
            const bool separator = point == kSeparator;
            if (!separator && !open)
                ++count;
            open = !separator;
        }
    }
    return count;
}

QByteArray valueElement(const QByteArray& name, const QByteArray& value)
{
    return "<" + name + " value=\"" + value + "\"/>";
}

/// A fault-stick file composed from the documented layout, without the library.
struct ComposedFile
{
    QByteArray version = "1";
    QByteArray domain = "TIME";
    QList<QByteArray> names{"Composed"};
    QByteArray numberOfNames;
    QByteArray numberOfArrays;
    QByteArray numberOfPoints;
    QByteArray numberOfSticks;
    QByteArray headerSize;  ///< empty: the real size
    QByteArray dataOffset;  ///< empty: 2500 + headerSize + 10000
    QVector<QVector<core::vec3>> arrays;
    QByteArray bodyTail;    ///< bytes added after the body

    QByteArray bytes() const
    {
        qint64 points = 0;
        Sticks sticks;
        for (const auto& array : arrays) {
            points += array.size();
            sticks.addArray(std::vector<core::vec3>(array.begin(), array.end()));
        }
        QByteArray object = "<globalObject>\n <object type=\"ZRFaultStick\">\n  <ZRFaultStick>";
        object += valueElement("Version", version) + valueElement("domain", domain);
        object += "<ZRCrs>" + valueElement("name", "") + valueElement("authority", "") + valueElement("authorityCode", "")
                  + valueElement("definition", "")
                  + "<area originX=\"0\" originY=\"0\" width=\"0\" height=\"0\"/></ZRCrs>";
        object += valueElement("numberOfNames", numberOfNames.isEmpty() ? QByteArray::number(names.size()) : numberOfNames);
        object += "<names>";
        for (const QByteArray& name : names)
            object += valueElement("name", name);
        object += "</names>";
        object += valueElement("numberOfArrays",
                               numberOfArrays.isEmpty() ? QByteArray::number(arrays.size()) : numberOfArrays);
        object += valueElement("numberOfPoints", numberOfPoints.isEmpty() ? QByteArray::number(points) : numberOfPoints);
        object += valueElement("numberOfSticks",
                               numberOfSticks.isEmpty() ? QByteArray::number(countSticks(sticks)) : numberOfSticks);
        object += "</ZRFaultStick>\n </object>\n</globalObject>\n";
        const QByteArray size = headerSize.isEmpty() ? QByteArray::number(object.size()) : headerSize;
        const QByteArray offset = dataOffset.isEmpty() ? QByteArray::number(2500 + object.size() + 10000) : dataOffset;
        QByteArray global = "<GlobalHeader>" + valueElement("headerOffset", "2500") + valueElement("headerSize", size)
                            + valueElement("Version", "WithTampon") + valueElement("DataOffset", offset)
                            + valueElement("VersionNumber", "1") + "</GlobalHeader>\n";
        global.append(QByteArray(2500 - global.size(), '\0'));
        QByteArray file = global + object + QByteArray(10000, '\0');
        for (const auto& array : arrays) {
            const std::uint32_t count = std::uint32_t(array.size());
            file.append(reinterpret_cast<const char*>(&count), 4);
            for (const core::vec3& point : array) {
                const double values[3] = {point.x, point.y, point.z};
                file.append(reinterpret_cast<const char*>(values), 24);
            }
        }
        return file + bodyTail;
    }
};

} // namespace

class TestFaultStickFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void roundTrip_data();
    void roundTrip();
    void coordinateReferenceKept();
    void composedFileReads();
    void damagedFiles_data();
    void damagedFiles();
    void missingFolder();
    void stickCount_data();
    void stickCount();

private:
    QString path(const QString& name) const { return m_folder + "/" + name; }
    bool writeBytes(const QString& name, const QByteArray& bytes);

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
    QString m_folder;
};

void TestFaultStickFile::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_folder = m_environment->makeFolder("faults");
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestFaultStickFile::init()
{
    m_bus->take();
}

bool TestFaultStickFile::writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile file(path(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void TestFaultStickFile::roundTrip_data()
{
    QTest::addColumn<Sticks>("sticks");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("isTime");

    Sticks twoSticks;
    twoSticks.addArray(sticksOf({3, 4}, 0.0));
    QTest::newRow("sticks of 3 and 4 points in time") << twoSticks << QStringList{"F1"} << true;

    Sticks arrays;
    arrays.addArray(sticksOf({2}, 1.0));
    arrays.addArray();
    arrays.addArray(sticksOf({5, 1, 6}, 2.0));
    QTest::newRow("three arrays, one empty, in depth") << arrays << QStringList{"A", "B", "C"} << false;

    QTest::newRow("no array") << Sticks() << QStringList{"Empty"} << true;

    Sticks separators;
    separators.addArray({kSeparator, kSeparator, core::vec3(1, 2, 3), kSeparator, kSeparator, core::vec3(4, 5, 6)});
    QTest::newRow("separators first, doubled, none last") << separators << QStringList{"Sep"} << false;

    Sticks oneStick;
    oneStick.addArray(sticksOf({1}, 3.0));
    QTest::newRow("non-ASCII names") << oneStick << QStringList{"Faille Nord-Est é", "断层", ""} << true;
}

void TestFaultStickFile::roundTrip()
{
    QFETCH(Sticks, sticks);
    QFETCH(QStringList, names);
    QFETCH(bool, isTime);
    const QString file = path(QString("round %1").arg(QTest::currentDataTag()));
    Sticks given = sticks;
    QVERIFY(ZRFaultApiFunctions::write3DFaultStick(file, names, given, isTime, georef::Crs()));
    QCOMPARE(given, sticks);

    // The library's readers.
    const std::unique_ptr<Sticks> read = ZRFaultApiFunctions::readFaultStickPolyLine(file, true);
    QVERIFY(read);
    QCOMPARE(*read, sticks);
    QCOMPARE(ZRFaultApiFunctions::isFaultStickDomainInTime(file, true), isTime);

    // The documented layout, read independently.
    FaultStickView view;
    QString error;
    QVERIFY2(view.read(file, &error), qPrintable(error));
    QCOMPARE(view.globalVersion, QStringLiteral("WithTampon"));
    QCOMPARE(view.objectType, QStringLiteral("ZRFaultStick"));
    QCOMPARE(view.dataOffset, 2500 + view.headerSize + 10000);
    QVERIFY(view.reservedAreaIsZero);
    QCOMPARE(view.elementOrder, (QStringList{"Version", "domain", "ZRCrs", "numberOfNames", "names", "numberOfArrays",
                                             "numberOfPoints", "numberOfSticks"}));
    QCOMPARE(view.version, 1);
    QCOMPARE(view.domain, isTime ? QStringLiteral("TIME") : QStringLiteral("DEPTH"));
    QCOMPARE(view.names, names);
    QCOMPARE(view.numberOfNames, names.size());
    QCOMPARE(view.numberOfArrays, qint64(sticks.arrayCount()));
    QCOMPARE(view.numberOfPoints, qint64(sticks.totalSize()));
    QCOMPARE(view.numberOfSticks, countSticks(sticks));
    QCOMPARE(view.fileSize, view.dataOffset + 4 * view.numberOfArrays + 24 * view.numberOfPoints);
    QCOMPARE(view.arrays.size(), sticks.arrayCount());
    for (int a = 0; a < sticks.arrayCount(); ++a) {
        QCOMPARE(view.arrays[a].size(), int(sticks[a].size()));
        for (int p = 0; p < view.arrays[a].size(); ++p) {
            const core::vec3& expected = sticks[a][std::size_t(p)];
            QCOMPARE(view.arrays[a][p][0], expected.x);
            QCOMPARE(view.arrays[a][p][1], expected.y);
            QCOMPARE(view.arrays[a][p][2], expected.z);
        }
    }
    QVERIFY(m_bus->take().isEmpty());
}

void TestFaultStickFile::coordinateReferenceKept()
{
    const georef::Crs crs(QStringLiteral("+proj=utm +zone=31 +datum=WGS84 +units=m +no_defs"),
                          QStringLiteral("WGS 84 / UTM zone 31N"), QStringLiteral("EPSG"), QStringLiteral("32631"));
    Sticks sticks;
    sticks.addArray(sticksOf({2, 2}, 0.0));
    const QString file = path("crs");
    QVERIFY(ZRFaultApiFunctions::write3DFaultStick(file, {"F"}, sticks, false, crs));
    FaultStickView view;
    QString error;
    QVERIFY2(view.read(file, &error), qPrintable(error));
    QCOMPARE(view.crsName, crs.name());
    QCOMPARE(view.crsDefinition, crs.definition());
    ZRFaultStickFile::Content content;
    QVERIFY(ZRFaultStickFile::read(file, &content, &error));
    QCOMPARE(content.crs.definition(), crs.definition());
    QCOMPARE(content.crs.authorityCode(), crs.authorityCode());
    QCOMPARE(content.names, QStringList{"F"});
    QVERIFY(!content.isTime);
}

void TestFaultStickFile::composedFileReads()
{
    ComposedFile composed;
    composed.domain = "TIME";
    composed.names = {"One", "Two"};
    composed.arrays = {{core::vec3(1, 2, 3), kSeparator, core::vec3(4, 5, 6), core::vec3(7, 8, 9), kSeparator}, {}};
    QVERIFY(writeBytes("composed", composed.bytes()));
    const std::unique_ptr<Sticks> read = ZRFaultApiFunctions::readFaultStickPolyLine(path("composed"), true);
    QVERIFY(read);
    QCOMPARE(read->arrayCount(), 2);
    QCOMPARE(read->array(0), (std::vector<core::vec3>{core::vec3(1, 2, 3), kSeparator, core::vec3(4, 5, 6),
                                                      core::vec3(7, 8, 9), kSeparator}));
    QVERIFY(read->array(1).empty());
    QVERIFY(ZRFaultApiFunctions::isFaultStickDomainInTime(path("composed"), true));
    ZRFaultStickFile::Content content;
    QString error;
    QVERIFY2(ZRFaultStickFile::read(path("composed"), &content, &error), qPrintable(error));
    QCOMPARE(content.names, (QStringList{"One", "Two"}));

    // Any domain text but "TIME" is depth.
    for (const QByteArray& domain : {QByteArray("DEPTH"), QByteArray("time"), QByteArray("")}) {
        composed.domain = domain;
        QVERIFY(writeBytes("composed", composed.bytes()));
        QVERIFY2(!ZRFaultApiFunctions::isFaultStickDomainInTime(path("composed"), true), domain.constData());
    }
    QVERIFY(m_bus->take().isEmpty());
}

void TestFaultStickFile::damagedFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("headerReadable");
    QTest::newRow("missing file") << "missing" << "" << false;
    QTest::newRow("ten bytes") << "short" << "the file is shorter than its global header" << false;
    QTest::newRow("one byte less") << "cut" << "the body does not hold numberOfPoints points" << false;
    QTest::newRow("one byte more") << "tail" << "the body does not hold numberOfPoints points" << false;
    QTest::newRow("huge numberOfPoints") << "points" << "the body does not hold numberOfPoints points" << false;
    QTest::newRow("huge numberOfArrays") << "arrays" << "invalid numberOfArrays" << false;
    QTest::newRow("negative numberOfPoints") << "negative" << "invalid numberOfPoints" << false;
    QTest::newRow("huge headerSize") << "headerSize" << "invalid header size" << false;
    QTest::newRow("DataOffset past the end") << "dataOffset" << "invalid data offset" << false;
    QTest::newRow("unknown version") << "version" << "Unknown file version 2" << false;
    QTest::newRow("names miscounted") << "names" << "invalid numberOfNames" << false;
    QTest::newRow("sticks miscounted") << "sticks" << "invalid numberOfSticks" << true;
    QTest::newRow("array runs past the body") << "array" << "array 0 runs past the body" << true;
    QTest::newRow("not XML") << "xml" << "XML error" << false;
}

void TestFaultStickFile::damagedFiles()
{
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    QFETCH(bool, headerReadable);
    ComposedFile composed;
    composed.arrays = {{core::vec3(1, 2, 3), core::vec3(4, 5, 6), kSeparator}};
    QByteArray bytes;
    if (damage == "short")
        bytes = QByteArray(10, 'x');
    else if (damage == "points")
        composed.numberOfPoints = "4000000000000";
    else if (damage == "arrays")
        composed.numberOfArrays = "2147483647";
    else if (damage == "negative")
        composed.numberOfPoints = "-3";
    else if (damage == "headerSize")
        composed.headerSize = "2147483647";
    else if (damage == "dataOffset")
        composed.dataOffset = "999999999";
    else if (damage == "version")
        composed.version = "2";
    else if (damage == "names")
        composed.numberOfNames = "2";
    else if (damage == "sticks")
        composed.numberOfSticks = "2";
    else if (damage == "array") {
        // Two arrays whose counts say 3 + 0 but the first claims all the points of both.
        composed.arrays = {{core::vec3(1, 2, 3)}, {core::vec3(4, 5, 6), kSeparator}};
        bytes = composed.bytes();
        const int countAt = bytes.size() - (4 + 24 + 4 + 48);
        const std::uint32_t tooMany = 4;
        std::memcpy(bytes.data() + countAt, &tooMany, 4);
    }
    if (bytes.isEmpty())
        bytes = composed.bytes();
    if (damage == "cut")
        bytes.chop(1);
    else if (damage == "tail")
        bytes.append('\0');
    else if (damage == "xml")
        bytes.replace(bytes.indexOf("<GlobalHeader>"), 14, "<GlobalHeader<");
    const QString file = path("damaged");
    QFile::remove(file);
    if (damage != "missing")
        QVERIFY(writeBytes("damaged", bytes));

    // Silent without reportErrors, one message with it. The domain (TIME here)
    // is known when the header is sound.
    QVERIFY(!ZRFaultApiFunctions::readFaultStickPolyLine(file, false));
    QCOMPARE(ZRFaultApiFunctions::isFaultStickDomainInTime(file, false), headerReadable);
    QVERIFY(m_bus->take().isEmpty());
    QVERIFY(!ZRFaultApiFunctions::readFaultStickPolyLine(file, true));
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    const QString prefix = QStringLiteral("Error when reading %1 - ").arg(file);
    QVERIFY2(errors[0].startsWith(prefix + reason), qPrintable(errors[0]));

    ZRFaultStickFile::Header header;
    QString error;
    QCOMPARE(ZRFaultStickFile::readHeader(file, &header, &error), headerReadable);
    ZRFaultStickFile::Content content;
    QVERIFY(!ZRFaultStickFile::read(file, &content, &error));
    QCOMPARE(content.sticks.arrayCount(), 0);
}

void TestFaultStickFile::missingFolder()
{
    Sticks sticks;
    sticks.addArray(sticksOf({2}, 0.0));
    const QString file = path("absent/f");
    QVERIFY(!ZRFaultApiFunctions::write3DFaultStick(file, {"F"}, sticks, true, georef::Crs()));
    QVERIFY(!QFileInfo::exists(file));
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith(QStringLiteral("Error when opening in Write mode file : ")));
}

void TestFaultStickFile::stickCount_data()
{
    QTest::addColumn<Sticks>("sticks");
    QTest::addColumn<qint64>("count");
    Sticks none;
    QTest::newRow("nothing") << none << qint64(0);
    Sticks onlySeparators;
    onlySeparators.addArray({kSeparator, kSeparator});
    QTest::newRow("only separators") << onlySeparators << qint64(0);
    Sticks noSeparator;
    noSeparator.addArray({core::vec3(1, 1, 1), core::vec3(2, 2, 2)});
    QTest::newRow("one stick without separator") << noSeparator << qint64(1);
    Sticks across;
    across.addArray(sticksOf({3, 4}, 0.0));
    across.addArray(sticksOf({1}, 0.0));
    QTest::newRow("two arrays") << across << qint64(3);
    Sticks almost;
    almost.addArray({core::vec3(-9999.0, -9999.0, 0.0), kSeparator});
    QTest::newRow("a point with two -9999 coordinates is a point") << almost << qint64(1);
}

void TestFaultStickFile::stickCount()
{
    QFETCH(Sticks, sticks);
    QFETCH(qint64, count);
    QCOMPARE(ZRFaultStickFile::stickCount(sticks), count);
    QCOMPARE(countSticks(sticks), count);
}

QTEST_MAIN(TestFaultStickFile)
#include "tst_faultstickfile.moc"
