// Loading SEG-Y files made elsewhere (owsim load-segy): files of every kind
// are made with segyio here, loaded, read back through the DevKit's seismic
// calls and compared sample by sample with segyio's reading of the same file.

#include "owtestproject.h"
#include "segytestfile.h"
#include "testenvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(segytest::FileSetup)

namespace
{
const char* const kDistrict = "Load";
const char* const kProject = "LOAD";

/// Overwrites a big-endian or little-endian field of a file.
bool patch(const QString& path, qint64 offset, long long value, int bytes, bool littleEndian)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(offset))
        return false;
    QByteArray data(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        data[littleEndian ? i : bytes - 1 - i] = char((static_cast<unsigned long long>(value) >> (8 * i)) & 0xff);
    return file.write(data) == bytes;
}

struct Loaded
{
    gdi3dSurvey_t survey{};
    gdiSeismicDataSet_t dataSet{};
};
} // namespace

class TestOwDevkitSegyLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void loadsEverySample_data();
    void loadsEverySample();
    void refusesWithAReason_data();
    void refusesWithAReason();
    void fixturesFromTheRepository_data();
    void fixturesFromTheRepository();

private:
    QString writeFile(const QString& name, const segytest::FileSetup& setup);
    bool readBack(const QString& surveyName, Loaded* loaded);
    /// tolerance: of the map positions against the CDP coordinates.
    void compareWithSegyio(const QString& surveyName, const QString& path, const segytest::Layout& layout,
                           int expectedTraces, double tolerance = 0.01);
    QStringList dataFiles() const;

    std::unique_ptr<TestEnvironment> m_env;
    QString m_folder;
    int m_count = 0;
};

void TestOwDevkitSegyLoad::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(openTestProject(m_env->openWorksHome(), kDistrict, kProject));
    prjClose();
    m_folder = m_env->makeFolder("segy");
}

void TestOwDevkitSegyLoad::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

QString TestOwDevkitSegyLoad::writeFile(const QString& name, const segytest::FileSetup& setup)
{
    const QString path = m_folder + "/" + name + QString::number(++m_count) + ".sgy";
    QString error;
    if (!segytest::write(path, setup, &error)) {
        qWarning("%s", qPrintable(error));
        return QString();
    }
    return path;
}

QStringList TestOwDevkitSegyLoad::dataFiles() const
{
    QStringList files;
    QDirIterator it(m_env->openWorksHome() + "/" + kDistrict + "/data", QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

bool TestOwDevkitSegyLoad::readBack(const QString& surveyName, Loaded* loaded)
{
    int status = -1;
    prjOpen(kProject, 0, &status);
    if (status != 0 && status != PRJ_ALREADY_OPEN)
        return false;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &loaded->survey);
    setText(loaded->survey.name, surveyName.toLatin1().constData());
    if (gdiRead(GDI_CLASS_3D_SURVEY, &loaded->survey) != 0)
        return false;
    int count = 0;
    void* list = nullptr;
    if (gdiReadSubset(GDI_CLASS_3D_SURVEY, &loaded->survey, GDI_CLASS_SEISMIC_DATA_SET, &count, &list) != 0 ||
        count != 1)
        return false;
    std::memcpy(&loaded->dataSet, list, sizeof loaded->dataSet);
    gdiRelease(GDI_CLASS_SEISMIC_DATA_SET, count, list);
    return true;
}

/// Every trace of the loaded data set, read through prjin2_ / dm3dop_ /
/// dm3dtr_ at the grid position of its line and trace number, equals the
/// trace segyio reads at that line and trace; no grid position is empty.
void TestOwDevkitSegyLoad::compareWithSegyio(const QString& surveyName, const QString& path,
                                             const segytest::Layout& layout, int expectedTraces,
                                             double tolerance)
{
    segytest::Reader source;
    QString error;
    QVERIFY2(source.load(path, layout, &error), qPrintable(error));
    Loaded loaded;
    QVERIFY(readBack(surveyName, &loaded));
    const gdi3dSurvey_t& survey = loaded.survey;
    QCOMPARE(survey.lineCount * survey.traceCount, expectedTraces);
    QCOMPARE(loaded.dataSet.sampleCount, layout.samples);
    const QByteArray name = surveyName.toLatin1();
    int status = -1, type = 3;
    const int length = name.size(), read = 1, one = 1, zero = 0, samples = layout.samples;
    prjin2_(&status, &type, name.constData(), &length);
    QCOMPARE(status, 0);
    dm3dControlBlock_t cb{};
    dm3dop_(loaded.dataSet.fileName, &cb, &read, &status);
    QCOMPARE(status, 0);
    QCOMPARE(cb.firstX, 1);
    QCOMPARE(cb.lastX, survey.traceCount);
    QCOMPARE(cb.firstY, 1);
    QCOMPARE(cb.lastY, survey.lineCount);
    QCOMPARE(cb.samplesPerTrace, samples);
    const double lineStep = survey.lineCount > 1 ? (survey.lastLine - survey.firstLine) / (survey.lineCount - 1) : 1;
    const double traceStep =
        survey.traceCount > 1 ? (survey.lastTrace - survey.firstTrace) / (survey.traceCount - 1) : 1;
    std::vector<float> trace(static_cast<size_t>(samples));
    const float noScale = 0.0f;
    int flags = 0, compared = 0;
    // Files without coordinates get a made-up grid: then only its use is checked.
    bool hasCoordinates = false;
    for (const segytest::Trace& t : source.traces())
        hasCoordinates = hasCoordinates || t.x != source.traces().first().x || t.y != source.traces().first().y;
    for (int y = cb.firstY; y <= cb.lastY; ++y) {
        for (int x = cb.firstX; x <= cb.lastX; ++x) {
            const int line = int(std::lround(survey.firstLine + (y - 1) * lineStep));
            const int traceNumber = int(std::lround(survey.firstTrace + (x - 1) * traceStep));
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
            const segytest::Trace* expected = source.at(line, traceNumber);
            QVERIFY2(expected, qPrintable(QString("no source trace at line %1 trace %2").arg(line).arg(traceNumber)));
            QVERIFY2(status == 0, qPrintable(QString("dm3dtr_ %1 at line %2 trace %3").arg(status).arg(line).arg(traceNumber)));
            for (int s = 0; s < samples; ++s) {
                if (std::memcmp(&trace[size_t(s)], &expected->values[s], 4) != 0)
                    QFAIL(qPrintable(QString("line %1 trace %2 sample %3: %4, segyio %5")
                                         .arg(line)
                                         .arg(traceNumber)
                                         .arg(s)
                                         .arg(double(trace[size_t(s)]))
                                         .arg(double(expected->values[s]))));
            }
            // The survey's map positions agree with the CDP coordinates
            // (where intorw_'s float arguments hold the numbers exactly).
            ++compared;
            if (std::abs(line) > (1 << 24) || std::abs(traceNumber) > (1 << 24))
                continue;
            double mapX = 0, mapY = 0;
            const float lineF = float(line), traceF = float(traceNumber);
            intorw_(&one, &lineF, &traceF, &mapX, &mapY, &status);
            QCOMPARE(status, 0);
            const bool near = std::fabs(mapX - expected->x) < tolerance && std::fabs(mapY - expected->y) < tolerance;
            QVERIFY2(!hasCoordinates || near,
                     qPrintable(QString("map %1 %2, CDP %3 %4").arg(mapX, 0, 'f', 3).arg(mapY, 0, 'f', 3)
                                    .arg(expected->x, 0, 'f', 3).arg(expected->y, 0, 'f', 3)));
        }
    }
    QCOMPARE(compared, source.traces().size());
    dm3dcl_(&cb, &zero, &status);
    prjend_(&type, &zero);
}

void TestOwDevkitSegyLoad::loadsEverySample_data()
{
    QTest::addColumn<segytest::FileSetup>("setup");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("interval");
    QTest::addColumn<qlonglong>("lineStep");
    QTest::addColumn<qlonglong>("traceStep");
    for (bool little : {false, true}) {
        for (int format : {1, 2, 3, 5, 8}) {
            segytest::FileSetup setup;
            setup.format = format;
            setup.littleEndian = little;
            setup.samples = format == 3 ? 11 : (format == 8 ? 13 : 10); // odd sizes lose bytes when read as words
            setup.angleDegrees = 20.0 + format;
            QTest::addRow("format %d %s", format, little ? "little-endian" : "big-endian")
                << setup << 0.0 << 4.0 << 1LL << 1LL;
        }
    }
    segytest::FileSetup rev2;
    rev2.revision = 2;
    rev2.additionalHeaders = 2;
    rev2.littleEndian = true;
    rev2.format = 3;
    rev2.samples = 9;
    QTest::newRow("rev 2 little-endian with 2 additional trace headers") << rev2 << 0.0 << 4.0 << 1LL << 1LL;
    rev2.littleEndian = false;
    rev2.additionalHeaders = 1;
    rev2.extendedTextHeaders = 2;
    QTest::newRow("rev 2 big-endian with extended textual headers") << rev2 << 0.0 << 4.0 << 1LL << 1LL;

    segytest::FileSetup steps;
    steps.firstLine = 100;
    steps.lineStep = 2;
    steps.lines = 4;
    steps.firstTrace = 30;
    steps.traceStep = 3;
    steps.traces = 5;
    steps.angleDegrees = -35.0;
    QTest::newRow("line increment 2, trace increment 3") << steps << 0.0 << 4.0 << 2LL << 3LL;

    segytest::FileSetup delayed;
    delayed.delay = 12345;
    delayed.delayScalar = -10;
    delayed.intervalMicroseconds = 2000;
    QTest::newRow("delay 1234.5 ms (scalar -10)") << delayed << 1234.5 << 2.0 << 1LL << 1LL;
    delayed.delay = 25;
    delayed.delayScalar = 100;
    QTest::newRow("delay 2500 ms (scalar 100)") << delayed << 2500.0 << 2.0 << 1LL << 1LL;
    delayed.delay = 300;
    delayed.delayScalar = 0;
    QTest::newRow("delay 300 ms (scalar 0 means 1)") << delayed << 300.0 << 2.0 << 1LL << 1LL;

    segytest::FileSetup longTraces;
    longTraces.format = 3;
    longTraces.samples = 40001;
    longTraces.lines = 2;
    longTraces.traces = 2;
    longTraces.intervalMicroseconds = 1000;
    QTest::newRow("40001 samples (above 32767)") << longTraces << 0.0 << 1.0 << 1LL << 1LL;
    longTraces.samples = 70000;
    longTraces.revision = 2;
    QTest::newRow("70000 samples (rev 2 extended count)") << longTraces << 0.0 << 1.0 << 1LL << 1LL;

    segytest::FileSetup traceHeadersOnly;
    traceHeadersOnly.samplesOnlyInTraceHeaders = true;
    QTest::newRow("sample count only in the trace headers") << traceHeadersOnly << 0.0 << 4.0 << 1LL << 1LL;

    segytest::FileSetup crosslineSorted;
    for (int t = 0; t < 4; ++t)
        for (int k = 0; k < 3; ++k)
            crosslineSorted.positions.append({10 + k, 50 + t});
    crosslineSorted.firstLine = 10;
    crosslineSorted.firstTrace = 50;
    QTest::newRow("crossline-sorted") << crosslineSorted << 0.0 << 4.0 << 1LL << 1LL;

    // Lines at both ends of the 32-bit range: one increment spans it.
    segytest::FileSetup extremes;
    extremes.firstLine = -2147483647 - 1;
    extremes.lineSpacing = 25.0 / 4294967295.0;
    for (int line : {-2147483647 - 1, 2147483647})
        for (int t = 0; t < 4; ++t)
            extremes.positions.append({line, 1 + t});
    QTest::newRow("lines -2147483648 and 2147483647") << extremes << 0.0 << 4.0 << 4294967295LL << 1LL;
}

void TestOwDevkitSegyLoad::loadsEverySample()
{
    QFETCH(segytest::FileSetup, setup);
    QFETCH(double, start);
    QFETCH(double, interval);
    QFETCH(qlonglong, lineStep);
    QFETCH(qlonglong, traceStep);
    const QString path = writeFile("load", setup);
    QVERIFY(!path.isEmpty());
    const QString survey = QString("Survey %1").arg(m_count);
    std::string error;
    QVERIFY2(owsim::loadSegy(m_env->openWorksHome().toStdString(), kDistrict, kProject, path.toStdString(),
                             survey.toStdString(), "Data", "TIME", &error),
             error.c_str());
    Loaded loaded;
    QVERIFY(readBack(survey, &loaded));
    // The grid: the file's lines and traces with their increments, nothing between.
    QSet<int> lineSet, traceSet;
    for (const auto& position : setup.positions)
        lineSet.insert(position.first), traceSet.insert(position.second);
    const int lines = setup.positions.isEmpty() ? setup.lines : lineSet.size();
    const int traces = setup.positions.isEmpty() ? setup.traces : traceSet.size();
    QCOMPARE(loaded.survey.lineCount, lines);
    QCOMPARE(loaded.survey.traceCount, traces);
    QCOMPARE(loaded.survey.firstLine, double(setup.firstLine));
    QCOMPARE(loaded.survey.lastLine, double(setup.firstLine + (lines - 1) * lineStep));
    QCOMPARE(loaded.survey.lastTrace, double(setup.firstTrace + (traces - 1) * traceStep));
    QCOMPARE(loaded.survey.lineIncrement, double(lineStep));
    QCOMPARE(loaded.survey.traceIncrement, double(traceStep));
    QCOMPARE(loaded.dataSet.inlineMin, loaded.survey.firstLine);
    QCOMPARE(loaded.dataSet.xlineMax, loaded.survey.lastTrace);
    // The vertical axis in the project's unit (milliseconds).
    QCOMPARE(loaded.dataSet.verticalStart, start);
    QCOMPARE(loaded.dataSet.sampleInterval, interval);
    QCOMPARE(loaded.dataSet.sampleCount, setup.samples);
    segytest::Layout layout;
    layout.format = setup.format;
    layout.littleEndian = setup.littleEndian;
    layout.samples = setup.samples;
    layout.additionalHeaders = setup.additionalHeaders;
    layout.firstTraceOffset = 3600 + 3200LL * setup.extendedTextHeaders;
    compareWithSegyio(survey, path, layout, lines * traces);
}

void TestOwDevkitSegyLoad::refusesWithAReason_data()
{
    QTest::addColumn<segytest::FileSetup>("setup");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("reason");
    segytest::FileSetup plain;
    segytest::FileSetup prestack;
    prestack.offsetsPerPosition = 3;
    QTest::newRow("prestack") << prestack << QString() << "3 traces lie at line 1 and trace 1: the file holds prestack data";
    QTest::newRow("format 4") << plain << "format=4" << "sample format code 4 (4-byte fixed point with gain)";
    segytest::FileSetup little;
    little.littleEndian = true;
    QTest::newRow("format 6 little-endian")
        << little << "format=6" << "sample format code 6 (8-byte IEEE float) of this little-endian file is not supported";
    QTest::newRow("no byte order") << plain << "format=2457" << "neither is a SEG-Y sample format, so the byte order";
    QTest::newRow("no sample count") << plain << "samples=0"
                                     << "no sample count: binary header bytes 3221-3222 and the first trace header";
    QTest::newRow("sample count against the size")
        << plain << "binarysamples=11" << "not a whole number of 284-byte traces (11 samples";
    segytest::FileSetup varying;
    varying.revision = 2;
    varying.additionalHeaders = 1;
    QTest::newRow("rev 2 traces with fewer additional headers")
        << varying << "additional=2" << "every trace must carry exactly 2 additional trace headers";
    QTest::newRow("no interval") << plain << "interval=0" << "no sample interval";
    segytest::FileSetup oneLine;
    oneLine.lines = 1;
    QTest::newRow("one line") << oneLine << QString() << "the traces do not span a 3D grid: 1 line(s) of 4 trace(s)";
    segytest::FileSetup sparse;
    sparse.positions = {{1, 1}, {1, 2}, {2, 1}, {2000001, 1000001}};
    QTest::newRow("tiny file, huge sparse grid")
        << sparse << QString() << "the 4 traces cover too little of the grid of 2000001 lines (1 to 2000001 by 1)";
    segytest::FileSetup span;
    span.positions = {{-2147483647 - 1, 1}, {-2147483646, 1}, {2147483647, 2}, {2147483646, 2}};
    QTest::newRow("a span beyond the integer range") << span << QString() << "is too large";
    QTest::newRow("too short") << plain << "truncate=3700" << "the file is too short for SEG-Y (3700 bytes)";
}

void TestOwDevkitSegyLoad::refusesWithAReason()
{
    QFETCH(segytest::FileSetup, setup);
    QFETCH(QString, change);
    QFETCH(QString, reason);
    const QString path = writeFile("refused", setup);
    QVERIFY(!path.isEmpty());
    const QString key = change.section('=', 0, 0);
    const long long value = change.section('=', 1).toLongLong();
    const bool le = setup.littleEndian;
    if (key == "format") {
        QVERIFY(patch(path, 3224, value, 2, le));
    } else if (key == "samples") {
        QVERIFY(patch(path, 3220, 0, 2, le));
        for (int i = 0; i < setup.lines * setup.traces; ++i)
            QVERIFY(patch(path, 3600 + i * (240 + 4 * setup.samples) + 114, 0, 2, le));
    } else if (key == "binarysamples") {
        QVERIFY(patch(path, 3220, value, 2, le));
    } else if (key == "additional") {
        QVERIFY(patch(path, 3506, value, 4, le));
    } else if (key == "interval") {
        QVERIFY(patch(path, 3216, 0, 2, le));
        QVERIFY(patch(path, 3600 + 116, 0, 2, le));
    } else if (key == "truncate") {
        QVERIFY(QFile::resize(path, value));
    }
    const QStringList before = dataFiles();
    const QString survey = QString("Refused %1").arg(m_count);
    std::string error;
    QVERIFY(!owsim::loadSegy(m_env->openWorksHome().toStdString(), kDistrict, kProject, path.toStdString(),
                             survey.toStdString(), "Data", "TIME", &error));
    QVERIFY2(QString::fromStdString(error).contains(reason), error.c_str());
    // Nothing is left behind.
    Loaded loaded;
    QVERIFY(!readBack(survey, &loaded));
    QCOMPARE(dataFiles(), before);
    prjClose();
}

void TestOwDevkitSegyLoad::fixturesFromTheRepository_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("traces");
    QTest::newRow("IBM floats") << "small.sgy" << 1 << 50 << 25;
    QTest::newRow("2-byte integers") << "f3.sgy" << 3 << 75 << 23 * 18;
}

void TestOwDevkitSegyLoad::fixturesFromTheRepository()
{
    QFETCH(QString, file);
    QFETCH(int, format);
    QFETCH(int, samples);
    QFETCH(int, traces);
    const QString path = TestEnvironment::sharedDataPath() + "/segy/" + file;
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(path.startsWith(TestEnvironment::sourcePath() + "/tests/data/") || qEnvironmentVariableIsSet("DATALINK_SHARED_DATA"));
    const QString survey = "Fixture " + file;
    std::string error;
    QVERIFY2(owsim::loadSegy(m_env->openWorksHome().toStdString(), kDistrict, kProject, path.toStdString(),
                             survey.toStdString(), "Data", "TIME", &error),
             error.c_str());
    segytest::Layout layout;
    layout.format = format;
    layout.samples = samples;
    // Real coordinates are rounded: the survey's plane lies within 0.1 of them.
    compareWithSegyio(survey, path, layout, traces, 0.1);
    if (file == "f3.sgy") {
        // Its first trace ends with -394: the last two bytes of the trace.
        segytest::Reader reader;
        QString message;
        QVERIFY(reader.load(path, layout, &message));
        QCOMPARE(reader.traces().first().values.last(), -394.0f);
    }
}

QTEST_GUILESS_MAIN(TestOwDevkitSegyLoad)
#include "tst_owdevkit_segyload.moc"
