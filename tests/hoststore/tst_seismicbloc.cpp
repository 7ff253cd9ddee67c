// Volume files: byte layout, sample order, every sample type, value range and failure paths.

#include "busrecorder.h"
#include "surveygeometry.h"
#include "testenvironment.h"
#include "zreventbus.h"
#include "zrframetransposer.h"
#include "zrobjectheader.h"
#include "zrprogressbarmgr.h"
#include "zrseismicbloc.h"
#include "zrxmltools.h"

#include <QtTest>

#include <omp.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace
{

/// What an independent reader takes from a volume file, following the layout table only.
struct VolumeFileView
{
    QByteArray bytes;
    qint64 headerSize = -1;
    qint64 dataOffset = -1;
    int dimx = 0;
    int dimy = 0;
    int dimz = 0;
    int version = -1;
    bool withTransposition = false;
    QString dataSize;
    QDomElement volume;
    QDomDocument objects;

    bool read(const QString& fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        bytes = file.readAll();
        if (bytes.size() < 2500)
            return false;
        QDomDocument global;
        if (!global.setContent(bytes.left(bytes.indexOf('\0'))))
            return false;
        const QDomElement root = global.documentElement();
        headerSize = root.firstChildElement("headerSize").attribute("value").toLongLong();
        dataOffset = root.firstChildElement("DataOffset").attribute("value").toLongLong();
        if (!objects.setContent(bytes.mid(2500, int(headerSize))))
            return false;
        const QDomElement object = objects.documentElement().firstChildElement("object");
        if (object.attribute("type") != QLatin1String("ZRSeismicBloc"))
            return false;
        volume = object.firstChildElement("ZRSeismicBloc");
        dimx = volume.firstChildElement("dimx").attribute("value").toInt();
        dimy = volume.firstChildElement("dimy").attribute("value").toInt();
        dimz = volume.firstChildElement("dimz").attribute("value").toInt();
        version = volume.firstChildElement("Version").attribute("value").toInt();
        withTransposition = volume.firstChildElement("WithTransposition").attribute("value") == QLatin1String("1");
        dataSize = volume.firstChildElement("dataSize").attribute("value");
        return true;
    }

    /// Byte position of trace i, sample j of frame k.
    qint64 position(int k, int i, int j, int bytesPerSample) const
    {
        const qint64 frame = dataOffset + qint64(k) * dimx * dimy * bytesPerSample;
        const qint64 inFrame = (version >= 1 && withTransposition) ? qint64(i) * dimy + j : qint64(j) * dimx + i;
        return frame + inFrame * bytesPerSample;
    }

    template <typename T>
    T sampleAt(qint64 offset) const
    {
        T value;
        std::memcpy(&value, bytes.constData() + offset, sizeof(T));
        return value;
    }
};

georef::BlocSpace space(int dimx, int dimy, int dimz)
{
    georef::BlocSpace result(dimx, dimy, dimz);
    result.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {double(dimx - 1), 0, 0}, {0, double(dimy), 0}, {0, 0, double(dimz - 1)}, {500000, 0, 6000000},
        {500000 + 12.5 * (dimx - 1), 0, 6000000}, {500000, 4.0 * dimy, 6000000}, {500000, 0, 6000000 + 25.0 * (dimz - 1)}));
    return result;
}

/// A distinct value per (k, i, j), exact in a float and within every sample type after wrapping.
double patternValue(int k, int i, int j)
{
    return k * 10000.0 + j * 100.0 + i;
}

template <typename T>
std::vector<T> patternFrame(int k, int dimx, int dimy)
{
    std::vector<T> frame(std::size_t(dimx) * std::size_t(dimy));
    for (int j = 0; j < dimy; ++j)
        for (int i = 0; i < dimx; ++i)
            frame[std::size_t(j) * std::size_t(dimx) + std::size_t(i)] = T(std::fmod(patternValue(k, i, j), 100.0) - 50.0);
    return frame;
}

} // namespace

class TestSeismicBloc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void transposerMatchesDefinition_data();
    void transposerMatchesDefinition();
    void transposeAndWriteInParts_data();
    void transposeAndWriteInParts();
    void transposeAndWriteStopsAtAFailedWrite_data();
    void transposeAndWriteStopsAtAFailedWrite();
    void measuredThreadChoice_data();
    void measuredThreadChoice();
    void writerMeasuresItsThreadChoice();
    void oneSampleVolumeFileSize();
    void samplePositions_data();
    void samplePositions();
    void volumeElement();
    void loadReadsHeaderBack();
    void everySampleTypeReadsBack_data();
    void everySampleTypeReadsBack();
    void fromXmlDefaults();

    void valueRangeSkipsMissingAndNaN();
    void valueRangeOfAllMissingFails();
    void valueRangeByType_data();
    void valueRangeByType();
    void valueRangeIsKept();
    void valueRangeCancelled();
    void truncatedVolume();
    void loadChecksSizesAgainstTheFile_data();
    void loadChecksSizesAgainstTheFile();
    void oversizedFrameIsNotRead();
    void frameBeyondTheFileAllocatesNothing();

    void writeFrameRefusals();
    void writeFrameFailureMessage_data();
    void writeFrameFailureMessage();
    void openForWritingMissingFile();
    void requiredSpace();

private:
    QString newFile(const QString& name) const { return m_environment->makeFolder(QStringLiteral("volume")) + "/" + name; }
    bool writeVolume(ZRSeismicBloc& volume, const QString& fileName, const std::function<const void*(int)>& frame);

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
};

void TestSeismicBloc::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestSeismicBloc::cleanup()
{
    m_bus->take();
}

bool TestSeismicBloc::writeVolume(ZRSeismicBloc& volume, const QString& fileName,
                                  const std::function<const void*(int)>& frame)
{
    volume.setFileName(fileName);
    if (!volume.saveHeader())
        return false;
    const int descriptor = ZRBloc::openForWriting(fileName);
    if (descriptor < 0)
        return false;
    bool ok = true;
    for (int k = 0; k < volume.dimz() && ok; ++k)
        ok = volume.writeFrame(descriptor, volume.dataOffset(), k, frame(k));
    ZRBloc::closeFile(descriptor);
    return ok;
}

void TestSeismicBloc::transposerMatchesDefinition_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("threads");
    for (int threads : {1, 2}) {
        const QString suffix = QStringLiteral(" on %1 thread(s)").arg(threads);
        QTest::newRow(qPrintable("1 x 1" + suffix)) << 1 << 1 << threads;
        QTest::newRow(qPrintable("3 x 70" + suffix)) << 3 << 70 << threads;
        QTest::newRow(qPrintable("64 x 64" + suffix)) << 64 << 64 << threads;
        QTest::newRow(qPrintable("65 x 129" + suffix)) << 65 << 129 << threads;
        QTest::newRow(qPrintable("1024 x 256" + suffix)) << 1024 << 256 << threads;
        QTest::newRow(qPrintable("501 x 777" + suffix)) << 501 << 777 << threads;
    }
}

void TestSeismicBloc::transposerMatchesDefinition()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, threads);
    const std::size_t count = std::size_t(rows) * std::size_t(columns);
    std::vector<float> source(count);
    for (std::size_t n = 0; n < count; ++n)
        source[n] = float(n);
    std::vector<float> target(count, -1.0f);
    ZRFrameTransposer::transposeFloats(source.data(), target.data(), rows, columns, threads);
    std::vector<quint16> narrowSource(count);
    for (std::size_t n = 0; n < count; ++n)
        narrowSource[n] = quint16(n * 7);
    std::vector<quint16> narrowTarget(count);
    ZRFrameTransposer::transpose(narrowSource.data(), narrowTarget.data(), rows, columns, 2);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::size_t from = std::size_t(r) * std::size_t(columns) + std::size_t(c);
            const std::size_t to = std::size_t(c) * std::size_t(rows) + std::size_t(r);
            if (target[to] != source[from] || narrowTarget[to] != narrowSource[from])
                QFAIL(qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
        }
}

void TestSeismicBloc::transposeAndWriteInParts_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("parts");
    // Two threads: parts of an eighth of the frame (at least 128 KiB), whole 64-row strips.
    QTest::newRow("1024 x 1024, two threads") << 1024 << 1024 << 2 << 8;
    QTest::newRow("1024 x 1024, one thread") << 1024 << 1024 << 1 << 1;
    QTest::newRow("100 x 1000, 128 KiB parts, ragged last") << 100 << 1000 << 2 << 3;
    QTest::newRow("2000 x 130, 64-row strips") << 2000 << 130 << 2 << 3;
    QTest::newRow("small frame, one part") << 64 << 64 << 2 << 1;
    QTest::newRow("one row") << 1 << 5000 << 2 << 1;
}

void TestSeismicBloc::transposeAndWriteInParts()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, threads);
    QFETCH(int, parts);
    const std::size_t count = std::size_t(rows) * std::size_t(columns);
    std::vector<float> source(count);
    for (std::size_t n = 0; n < count; ++n)
        source[n] = float(n);
    std::vector<float> target(count, -1.0f);
    std::vector<float> written(count, -2.0f);
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const bool ok = ZRFrameTransposer::transposeFloatsAndWrite(
        source.data(), target.data(), rows, columns, threads, [&](std::size_t offset, std::size_t bytes) {
            ranges.emplace_back(offset, bytes);
            // What is handed over is already final.
            std::memcpy(reinterpret_cast<char*>(written.data()) + offset, reinterpret_cast<const char*>(target.data()) + offset, bytes);
            return true;
        });
    QVERIFY(ok);
    QCOMPARE(int(ranges.size()), parts);
    std::size_t next = 0;
    for (const auto& range : ranges) {
        QCOMPARE(range.first, next);
        QCOMPARE(range.second % (std::size_t(rows) * sizeof(float)), std::size_t(0));
        next += range.second;
    }
    QCOMPARE(next, count * sizeof(float));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (written[std::size_t(c) * std::size_t(rows) + std::size_t(r)] != source[std::size_t(r) * std::size_t(columns) + std::size_t(c)])
                QFAIL(qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
}

void TestSeismicBloc::transposeAndWriteStopsAtAFailedWrite_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("failingPart");
    QTest::newRow("first part, two threads") << 2 << 0;
    QTest::newRow("fourth part, two threads") << 2 << 3;
    QTest::newRow("last part, two threads") << 2 << 7;
    QTest::newRow("the one part, one thread") << 1 << 0;
}

void TestSeismicBloc::transposeAndWriteStopsAtAFailedWrite()
{
    QFETCH(int, threads);
    QFETCH(int, failingPart);
    const int side = 1024;
    std::vector<float> source(std::size_t(side) * side, 1.0f);
    std::vector<float> target(source.size());
    int calls = 0;
    const bool ok = ZRFrameTransposer::transposeFloatsAndWrite(source.data(), target.data(), side, side, threads,
                                                               [&](std::size_t, std::size_t) { return calls++ != failingPart; });
    QVERIFY(!ok);
    QCOMPARE(calls, failingPart + 1);
}

void TestSeismicBloc::measuredThreadChoice_data()
{
    QTest::addColumn<double>("oneThread");  // seconds of the two frames timed with one thread
    QTest::addColumn<double>("twoThreads"); // and with two
    QTest::addColumn<int>("chosen");
    QTest::newRow("two threads faster") << 0.004 << 0.002 << 2;
    QTest::newRow("one thread faster") << 0.002 << 0.003 << 1;
    QTest::newRow("a tie keeps one thread") << 0.003 << 0.003 << 1;
}

void TestSeismicBloc::measuredThreadChoice()
{
    QFETCH(double, oneThread);
    QFETCH(double, twoThreads);
    QFETCH(int, chosen);
    if (omp_get_max_threads() < 2)
        QSKIP("one OpenMP thread: nothing to choose");
    const std::size_t frame = std::size_t(1) << 20;
    ZRFrameTransposer::resetMeasurements();
    QCOMPARE(ZRFrameTransposer::chosenThreads(frame), 0);

    // Warm-up with one thread, then turns of two and one, the best of each kept.
    const int expectedTurns[] = {1, 2, 1, 2, 1};
    const double times[] = {1.0, twoThreads, oneThread + 0.5, twoThreads + 0.5, oneThread};
    for (int turn = 0; turn < 5; ++turn) {
        const int threads = ZRFrameTransposer::threadsForNextFrame(frame);
        QCOMPARE(threads, expectedTurns[turn]);
        // A frame reported out of turn (another writer) changes nothing.
        ZRFrameTransposer::recordFrameTime(frame, 3 - threads, 0.0);
        QCOMPARE(ZRFrameTransposer::threadsForNextFrame(frame), threads);
        ZRFrameTransposer::recordFrameTime(frame, threads, times[turn]);
    }
    QCOMPARE(ZRFrameTransposer::chosenThreads(frame), chosen);
    QCOMPARE(ZRFrameTransposer::threadsForNextFrame(frame), chosen);
    // Readers, which do not time their frames, keep one thread.
    QCOMPARE(ZRFrameTransposer::threadsFor(frame), 1);
    // Times of the other count no longer change the choice; other sizes are measured on their own.
    ZRFrameTransposer::recordFrameTime(frame, 3 - chosen, 0.0);
    QCOMPARE(ZRFrameTransposer::chosenThreads(frame), chosen);

    // After 64 frames on the chosen count, four frames take turns again (no
    // warm-up), and the new times decide: here the other count is faster.
    for (int n = 0; n < 64; ++n) {
        QCOMPARE(ZRFrameTransposer::threadsForNextFrame(frame), chosen);
        ZRFrameTransposer::recordFrameTime(frame, chosen, 1.0);
    }
    for (int turn = 0; turn < 4; ++turn) {
        const int threads = ZRFrameTransposer::threadsForNextFrame(frame);
        QCOMPARE(threads, turn % 2 == 0 ? 2 : 1);
        ZRFrameTransposer::recordFrameTime(frame, threads, threads == chosen ? 0.5 : 0.25);
        // The previous choice stands while the turns run.
        QCOMPARE(ZRFrameTransposer::chosenThreads(frame), turn < 3 ? chosen : 3 - chosen);
    }
    QCOMPARE(ZRFrameTransposer::threadsForNextFrame(frame), 3 - chosen);
    ZRFrameTransposer::recordFrameTime(frame, 3 - chosen, 0.0);
    QCOMPARE(ZRFrameTransposer::chosenThreads(frame * 2), 0);
    QCOMPARE(ZRFrameTransposer::threadsFor(frame * 2), 1);
    const int current = 3 - chosen; // the count the second measurement chose

    // Small frames use one thread without measuring; the override wins over everything.
    const std::size_t small = ZRFrameTransposer::measuredThresholdBytes() - 4;
    QCOMPARE(ZRFrameTransposer::threadsForNextFrame(small), 1);
    QCOMPARE(ZRFrameTransposer::chosenThreads(small), 1);
    ZRFrameTransposer::setThreadCountOverride(3 - current);
    QCOMPARE(ZRFrameTransposer::threadsForNextFrame(frame), 3 - current);
    QCOMPARE(ZRFrameTransposer::threadsFor(frame), 3 - current);
    ZRFrameTransposer::setThreadCountOverride(0);
    ZRFrameTransposer::resetMeasurements();
    QCOMPARE(ZRFrameTransposer::chosenThreads(frame), 0);
}

void TestSeismicBloc::writerMeasuresItsThreadChoice()
{
    if (omp_get_max_threads() < 2)
        QSKIP("one OpenMP thread: nothing to choose");
    ZRFrameTransposer::resetMeasurements();
    // Frames of 512 KiB: measured. The first five frames decide.
    const int dimx = 512, dimy = 256, dimz = 6;
    ZRSeismicBloc volume(space(dimx, dimy, dimz));
    std::vector<std::vector<float>> frames;
    for (int k = 0; k < dimz; ++k)
        frames.push_back(patternFrame<float>(k, dimx, dimy));
    const QString fileName = newFile(QStringLiteral("measured.vol"));
    QVERIFY(writeVolume(volume, fileName, [&](int k) { return frames[std::size_t(k)].data(); }));
    const int chosen = ZRFrameTransposer::chosenThreads(std::size_t(dimx) * dimy * sizeof(float));
    QVERIFY2(chosen == 1 || chosen == 2, qPrintable(QString::number(chosen)));

    // Whatever the counts, every frame is in trace order.
    VolumeFileView view;
    QVERIFY(view.read(fileName));
    for (int k = 0; k < dimz; ++k)
        for (const int i : {0, 1, 255, 511})
            for (const int j : {0, 7, 255})
                QCOMPARE(view.sampleAt<float>(view.position(k, i, j, 4)), frames[std::size_t(k)][std::size_t(j) * dimx + i]);
    ZRFrameTransposer::resetMeasurements();
}

void TestSeismicBloc::oneSampleVolumeFileSize()
{
    ZRSeismicBloc volume(space(1, 1, 1));
    const float sample = 42.5f;
    const QString fileName = newFile(QStringLiteral("one.vol"));
    QVERIFY(writeVolume(volume, fileName, [&](int) { return &sample; }));
    VolumeFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(qint64(view.bytes.size()), 2500 + view.headerSize + 10000 + 4);
    QCOMPARE(view.dataOffset, 2500 + view.headerSize + 10000);
    QCOMPARE(volume.dataOffset(), view.dataOffset);
    QCOMPARE(view.sampleAt<float>(view.dataOffset), 42.5f);
    QVERIFY(m_bus->take().isEmpty());
}

void TestSeismicBloc::samplePositions_data()
{
    QTest::addColumn<int>("dimx");
    QTest::addColumn<int>("dimy");
    QTest::addColumn<int>("dimz");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("transposition");
    QTest::newRow("transposed, ragged blocks") << 37 << 23 << 3 << 1 << true;
    QTest::newRow("transposed, whole blocks") << 64 << 48 << 2 << 1 << true;
    QTest::newRow("transposed, large frame") << 700 << 500 << 2 << 1 << true;
    QTest::newRow("transposed, one trace") << 1 << 40 << 2 << 1 << true;
    QTest::newRow("transposed, one sample") << 40 << 1 << 2 << 1 << true;
    QTest::newRow("row order") << 37 << 23 << 3 << 1 << false;
    QTest::newRow("version 0 ignores the flag") << 37 << 23 << 3 << 0 << true;
}

void TestSeismicBloc::samplePositions()
{
    QFETCH(int, dimx);
    QFETCH(int, dimy);
    QFETCH(int, dimz);
    QFETCH(int, version);
    QFETCH(bool, transposition);

    ZRSeismicBloc volume(space(dimx, dimy, dimz));
    volume.setVersion(version);
    volume.setWithTransposition(transposition);
    std::vector<std::vector<float>> frames;
    for (int k = 0; k < dimz; ++k) {
        std::vector<float> frame(std::size_t(dimx) * std::size_t(dimy));
        for (int j = 0; j < dimy; ++j)
            for (int i = 0; i < dimx; ++i)
                frame[std::size_t(j) * std::size_t(dimx) + std::size_t(i)] = float(patternValue(k, i, j));
        frames.push_back(frame);
    }
    const QString fileName = newFile(QStringLiteral("order.vol"));
    QVERIFY(writeVolume(volume, fileName, [&](int k) { return frames[std::size_t(k)].data(); }));

    VolumeFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(view.dimx, dimx);
    QCOMPARE(view.dimy, dimy);
    QCOMPARE(view.dimz, dimz);
    QCOMPARE(view.version, version);
    QCOMPARE(view.withTransposition, transposition);
    QCOMPARE(qint64(view.bytes.size()), view.dataOffset + qint64(dimx) * dimy * dimz * 4);
    if (version == 1 && transposition)
        QCOMPARE(view.position(1, 2, 0, 4), view.dataOffset + ((1LL * dimx + 2) * dimy + 0) * 4);
    for (int k = 0; k < dimz; ++k)
        for (int i = 0; i < dimx; ++i)
            for (int j = 0; j < dimy; ++j) {
                const float stored = view.sampleAt<float>(view.position(k, i, j, 4));
                if (stored != float(patternValue(k, i, j)))
                    QFAIL(qPrintable(QStringLiteral("frame %1 trace %2 sample %3: %4").arg(k).arg(i).arg(j).arg(stored)));
            }

    // Reading back gives the in-memory image order.
    for (int k = 0; k < dimz; ++k) {
        const std::unique_ptr<ZRImage> image = volume.getCurrentInlineImage(k);
        QVERIFY(image);
        QCOMPARE(image->width(), dimx);
        QCOMPARE(image->height(), dimy);
        QVERIFY(std::memcmp(image->data(), frames[std::size_t(k)].data(), frames[std::size_t(k)].size() * 4) == 0);
    }
}

void TestSeismicBloc::volumeElement()
{
    ZRSeismicBloc volume(space(4, 5, 6));
    volume.setAttribute(7);
    volume.setSRDValue(1.5);
    volume.storeInitialValue();
    volume.setFileName(newFile(QStringLiteral("element.vol")));
    QVERIFY(volume.saveHeader());
    VolumeFileView view;
    QVERIFY(view.read(volume.fileName()));
    QStringList children;
    for (QDomElement child = view.volume.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children.append(child.tagName());
    QCOMPARE(children, (QStringList{"dimx", "dimy", "dimz", "dataSize", "Version", "WithTransposition",
                                    "fromBlocToWorldMatrix", "fromBlocToSurveyMatrix", "SRDValue", "minValueBlock",
                                    "maxValueBlock", "blockSpaceInitValue", "unitsObject", "attribute"}));
    QCOMPARE(view.dataSize, QStringLiteral("FLOAT_SIZE"));
    QCOMPARE(view.version, 1);
    QVERIFY(view.withTransposition);
    QCOMPARE(view.volume.firstChildElement("minValueBlock").attribute("value"), QStringLiteral("-9999.000000    "));
    QCOMPARE(view.volume.firstChildElement("SRDValue").attribute("value"), QStringLiteral("1.500000        "));
    QCOMPARE(view.volume.firstChildElement("attribute").attribute("value"), QStringLiteral("7"));
    QCOMPARE(view.volume.firstChildElement("fromBlocToWorldMatrix").firstChildElement("vect0").attribute("t"),
             QStringLiteral("500000.000000   "));
    // Before any frame is written the file ends at the data offset.
    QCOMPARE(qint64(view.bytes.size()), view.dataOffset);
}

void TestSeismicBloc::loadReadsHeaderBack()
{
    ZRSeismicBloc volume(space(9, 8, 3), ZRBloc::SHORT_SIZE);
    volume.setAttribute(3);
    volume.setWithTransposition(false);
    georef::UnitObject units;
    units.setInitialVerticalUnit(Foot);
    volume.setUnitsObject(units);
    const QString fileName = newFile(QStringLiteral("load.vol"));
    const std::vector<qint16> frame = patternFrame<qint16>(0, 9, 8);
    QVERIFY(writeVolume(volume, fileName, [&](int) { return frame.data(); }));

    const std::unique_ptr<ZRSeismicBloc> loaded = ZRSeismicBloc::load(fileName);
    QVERIFY(loaded);
    QCOMPARE(loaded->dimx(), 9);
    QCOMPARE(loaded->dimy(), 8);
    QCOMPARE(loaded->dimz(), 3);
    QCOMPARE(loaded->dataSize(), ZRBloc::SHORT_SIZE);
    QCOMPARE(loaded->attribute(), 3);
    QVERIFY(!loaded->withTransposition());
    QCOMPARE(loaded->dataOffset(), volume.dataOffset());
    QCOMPARE(loaded->fileName(), fileName);
    QCOMPARE(loaded->unitsObject().initialVerticalUnit(), int(Foot));
    QCOMPARE(loaded->verticalUnit(), int(Meter));
    QVERIFY(std::abs(loaded->fromBlocToWorldMatrix()(0, 3) - 500000.0) < 1e-6);
    ZRImage image;
    QVERIFY(loaded->readFrame(2, image));
    QCOMPARE(image.value(4, 5), float(frame[5 * 9 + 4]));

    QVERIFY(!ZRSeismicBloc::load(newFile(QStringLiteral("absent.vol"))));
    QCOMPARE(m_bus->takeTexts(eDrawFileError).size(), 1);
}

void TestSeismicBloc::everySampleTypeReadsBack_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("transposition");
    for (int type = 0; type <= ZRBloc::SIGNEDCHAR_SIZE; ++type)
        for (bool transposition : {true, false})
            QTest::newRow(qPrintable(ZRBloc::dataSizeName(type) + (transposition ? " tr" : " notr")))
                << type << transposition;
}

void TestSeismicBloc::everySampleTypeReadsBack()
{
    QFETCH(int, type);
    QFETCH(bool, transposition);
    const int dimx = 19;
    const int dimy = 17;
    const int dimz = 2;
    ZRSeismicBloc volume(space(dimx, dimy, dimz), ZRBloc::DataSize(type));
    volume.setWithTransposition(transposition);
    const int bytes = ZRBloc::bytesPerSample(type);
    QCOMPARE(volume.bytesPerSample(), bytes);
    QCOMPARE(ZRBloc::dataSizeFromName(ZRBloc::dataSizeName(type)), type);

    // Raw frames of the stored type, built independently of the library's conversion.
    std::vector<std::vector<char>> frames;
    std::vector<std::vector<float>> expected;
    for (int k = 0; k < dimz; ++k) {
        std::vector<char> raw(std::size_t(dimx * dimy * bytes));
        std::vector<float> values(std::size_t(dimx * dimy));
        for (int n = 0; n < dimx * dimy; ++n) {
            const int v = (n * 7 + k * 13) % 101 - (type == ZRBloc::BYTE_SIZE || type == ZRBloc::UNSIGNED_SHORT_SIZE ? 0 : 50);
            switch (type) {
            case ZRBloc::FLOAT_SIZE: { const float f = float(v) + 0.25f; std::memcpy(&raw[std::size_t(n) * 4], &f, 4); values[std::size_t(n)] = f; break; }
            case ZRBloc::SHORT_SIZE: { const qint16 s = qint16(v * 300); std::memcpy(&raw[std::size_t(n) * 2], &s, 2); values[std::size_t(n)] = s; break; }
            case ZRBloc::BYTE_SIZE: { const quint8 b = quint8(v + 150); raw[std::size_t(n)] = char(b); values[std::size_t(n)] = b; break; }
            case ZRBloc::INT_SIZE:
            case ZRBloc::RGB_SIZE: { const qint32 i = v * 100000; std::memcpy(&raw[std::size_t(n) * 4], &i, 4); values[std::size_t(n)] = float(i); break; }
            case ZRBloc::UNSIGNED_SHORT_SIZE: { const quint16 u = quint16(v * 600); std::memcpy(&raw[std::size_t(n) * 2], &u, 2); values[std::size_t(n)] = u; break; }
            case ZRBloc::SIGNEDCHAR_SIZE: { const qint8 c = qint8(v); raw[std::size_t(n)] = char(c); values[std::size_t(n)] = c; break; }
            }
        }
        frames.push_back(raw);
        expected.push_back(values);
    }
    const QString fileName = newFile(QStringLiteral("types.vol"));
    QVERIFY(writeVolume(volume, fileName, [&](int k) { return static_cast<const void*>(frames[std::size_t(k)].data()); }));

    VolumeFileView view;
    QVERIFY(view.read(fileName));
    QCOMPARE(view.dataSize, ZRBloc::dataSizeName(type));
    QCOMPARE(qint64(view.bytes.size()), view.dataOffset + qint64(dimx) * dimy * dimz * bytes);
    for (int k = 0; k < dimz; ++k) {
        for (int i = 0; i < dimx; ++i)
            for (int j = 0; j < dimy; ++j) {
                const qint64 at = view.position(k, i, j, bytes);
                QVERIFY(std::memcmp(view.bytes.constData() + at,
                                    frames[std::size_t(k)].data() + (std::size_t(j) * dimx + std::size_t(i)) * std::size_t(bytes),
                                    std::size_t(bytes)) == 0);
            }
        ZRImage image;
        QVERIFY(volume.readFrame(k, image));
        for (int n = 0; n < dimx * dimy; ++n)
            QCOMPARE(image.data()[n], expected[std::size_t(k)][std::size_t(n)]);
    }
}

void TestSeismicBloc::fromXmlDefaults()
{
    QDomDocument document;
    QVERIFY(document.setContent(QStringLiteral(
        "<ZRSeismicBloc><dimx value=\"3\"/><dimy value=\"4\"/><dimz value=\"5\"/><dataSize value=\"NOT_A_TYPE\"/>"
        "<maxValueBlock value=\"12.5    \"/><attribute value=\"2\"/></ZRSeismicBloc>")));
    ZRSeismicBloc volume(georef::BlocSpace(), ZRBloc::INT_SIZE);
    volume.setValueRange(1.0, 2.0);
    QVERIFY(volume.fromXml(document.documentElement()));
    QCOMPARE(volume.dimx(), 3);
    QCOMPARE(volume.dimy(), 4);
    QCOMPARE(volume.dimz(), 5);
    QCOMPARE(volume.dataSize(), ZRBloc::INT_SIZE);
    QCOMPARE(volume.version(), 0);
    QVERIFY(!volume.withTransposition());
    QVERIFY(!volume.isStoredTransposed());
    QCOMPARE(volume.minValueBlock(), -9999.0);
    QCOMPARE(volume.maxValueBlock(), 12.5);
    QCOMPARE(volume.attribute(), 2);
    QCOMPARE(volume.typeName(), QStringLiteral("ZRSeismicBloc"));
}

void TestSeismicBloc::valueRangeSkipsMissingAndNaN()
{
    ZRSeismicBloc volume(space(4, 3, 2));
    std::vector<float> frame0{-9999.0f, 5.0f, std::numeric_limits<float>::quiet_NaN(), 2.0f, 1.0f, 3.0f,
                              4.0f, -9999.0f, 6.0f, 7.0f, 8.0f, 9.0f};
    std::vector<float> frame1(12, -9999.0f);
    frame1[5] = -20.5f;
    frame1[11] = std::numeric_limits<float>::quiet_NaN();
    QVERIFY(writeVolume(volume, newFile(QStringLiteral("range.vol")), [&](int k) { return k == 0 ? frame0.data() : frame1.data(); }));

    const int before = zrProgressBarMgr->openCount();
    double minimum = 0;
    double maximum = 0;
    QVERIFY(volume.valueRange(-1, true, &minimum, &maximum));
    QCOMPARE(minimum, -20.5);
    QCOMPARE(maximum, 9.0);
    QCOMPARE(volume.minValueBlock(), -20.5);
    QCOMPARE(volume.maxValueBlock(), 9.0);
    QCOMPARE(zrProgressBarMgr->openCount(), before);
}

void TestSeismicBloc::valueRangeOfAllMissingFails()
{
    ZRSeismicBloc volume(space(3, 3, 1));
    std::vector<float> frame(9, -9999.0f);
    frame[4] = std::numeric_limits<float>::quiet_NaN();
    QVERIFY(writeVolume(volume, newFile(QStringLiteral("missing.vol")), [&](int) { return frame.data(); }));
    double minimum = 0;
    double maximum = 0;
    QVERIFY(!volume.valueRange(-1, false, &minimum, &maximum));
    QCOMPARE(minimum, -9999.0);
    QCOMPARE(maximum, -9999.0);
    QCOMPARE(volume.minValueBlock(), -9999.0);
}

void TestSeismicBloc::valueRangeByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    // Each frame holds -9999, 3 and 1000 where the type can hold them (narrow types wrap).
    QTest::newRow("int skips -9999") << int(ZRBloc::INT_SIZE) << 3.0 << 1000.0;
    QTest::newRow("rgb skips -9999") << int(ZRBloc::RGB_SIZE) << 3.0 << 1000.0;
    QTest::newRow("short counts -9999") << int(ZRBloc::SHORT_SIZE) << -9999.0 << 1000.0;
    QTest::newRow("unsigned short counts everything") << int(ZRBloc::UNSIGNED_SHORT_SIZE) << 3.0 << double(quint16(-9999));
    QTest::newRow("byte") << int(ZRBloc::BYTE_SIZE) << 3.0 << double(quint8(-9999));
    QTest::newRow("signed char") << int(ZRBloc::SIGNEDCHAR_SIZE) << double(qint8(1000)) << 3.0;
}

void TestSeismicBloc::valueRangeByType()
{
    QFETCH(int, type);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    ZRSeismicBloc volume(space(3, 1, 1), ZRBloc::DataSize(type));
    const int bytes = ZRBloc::bytesPerSample(type);
    std::vector<char> raw(std::size_t(3 * bytes));
    const qint64 values[3] = {-9999, 3, 1000};
    for (int n = 0; n < 3; ++n)
        std::memcpy(&raw[std::size_t(n * bytes)], &values[n], std::size_t(bytes)); // little-endian truncation
    QVERIFY(writeVolume(volume, newFile(QStringLiteral("types.vol")), [&](int) { return static_cast<const void*>(raw.data()); }));
    double low = 0;
    double high = 0;
    QVERIFY(volume.valueRange(-1, false, &low, &high));
    QCOMPARE(low, minimum);
    QCOMPARE(high, maximum);
}

void TestSeismicBloc::valueRangeIsKept()
{
    ZRSeismicBloc volume(space(2, 2, 1));
    volume.setFileName(newFile(QStringLiteral("never-written.vol")));
    volume.setValueRange(-1.0, 1.0);
    double minimum = 0;
    double maximum = 0;
    QVERIFY(volume.valueRange(-1, true, &minimum, &maximum));
    QCOMPARE(minimum, -1.0);
    QCOMPARE(maximum, 1.0);
    QVERIFY(m_bus->take().isEmpty());
}

void TestSeismicBloc::valueRangeCancelled()
{
    ZRSeismicBloc volume(space(2, 2, 3));
    const std::vector<float> frame{1, 2, 3, 4};
    QVERIFY(writeVolume(volume, newFile(QStringLiteral("cancel.vol")), [&](int) { return frame.data(); }));

    ZRProgressBarGuard parent(1, QStringLiteral("Export"));
    zrProgressBarMgr->cancelProgressBar(parent.id());
    double minimum = 0;
    double maximum = 0;
    QVERIFY(!volume.valueRange(parent.id(), true, &minimum, &maximum));
    QCOMPARE(volume.minValueBlock(), -9999.0);
    QCOMPARE(maximum, -9999.0);
    // Without cancellation allowed the computation ends.
    QVERIFY(volume.valueRange(parent.id(), false, &minimum, &maximum));
    QCOMPARE(minimum, 1.0);
    QCOMPARE(maximum, 4.0);
}

void TestSeismicBloc::truncatedVolume()
{
    ZRSeismicBloc volume(space(4, 4, 3));
    const std::vector<float> frame(16, 1.0f);
    const QString fileName = newFile(QStringLiteral("cut.vol"));
    QVERIFY(writeVolume(volume, fileName, [&](int) { return frame.data(); }));
    QVERIFY(QFile::resize(fileName, volume.dataOffset() + 2 * 64 + 10));

    ZRImage image;
    QVERIFY(volume.readFrame(1, image));
    QVERIFY(!volume.readFrame(2, image));
    QVERIFY(!volume.getCurrentInlineImage(2));
    QVERIFY(!volume.readFrame(3, image));
    double minimum = 0;
    double maximum = 0;
    QVERIFY(!volume.valueRange(-1, false, &minimum, &maximum));
    QCOMPARE(volume.maxValueBlock(), -9999.0);
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 3);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Error when reading ") + fileName + " - "), qPrintable(errors.first()));
}

void TestSeismicBloc::loadChecksSizesAgainstTheFile_data()
{
    QTest::addColumn<int>("dimx");
    QTest::addColumn<int>("dimy");
    QTest::addColumn<int>("dimz");
    QTest::addColumn<int>("framesInFile"); // frames of dimx × dimy floats after the data offset
    QTest::addColumn<QByteArray>("dataOffset"); // empty: as written
    QTest::addColumn<QString>("reason");        // empty: loads

    QTest::newRow("complete") << 4 << 3 << 5 << 5 << QByteArray() << QString();
    QTest::newRow("longer than needed") << 4 << 3 << 5 << 6 << QByteArray() << QString();
    QTest::newRow("no frames at all") << 4 << 3 << 0 << 0 << QByteArray() << QString();
    QTest::newRow("half the frames (killed write)")
        << 4 << 3 << 6 << 3 << QByteArray()
        << "the header describes 288 bytes of samples from offset %1 but the file holds %2 bytes";
    QTest::newRow("2147483647 frames in a small file")
        << 4 << 3 << 2147483647 << 1 << QByteArray()
        << "the header describes 103079215056 bytes of samples from offset %1 but the file holds %2 bytes";
    QTest::newRow("frames of 2147483647 x 2147483647 samples")
        << 2147483647 << 2147483647 << 1 << 0 << QByteArray()
        << "frames of 2147483647 x 2147483647 samples are larger than the largest frame accepted (536870912 samples)";
    QTest::newRow("frames of 65536 x 65536 samples")
        << 65536 << 65536 << 2 << 0 << QByteArray()
        << "frames of 65536 x 65536 samples are larger than the largest frame accepted (536870912 samples)";
    QTest::newRow("negative size") << -4 << 3 << 5 << 0 << QByteArray() << "invalid volume size -4 x 3 x 5";
    QTest::newRow("data offset past the end")
        << 4 << 3 << 1 << 1 << QByteArray("9223372036854775807")
        << "data offset 9223372036854775807 lies outside the file (%2 bytes)";
    QTest::newRow("data offset inside the global header")
        << 4 << 3 << 1 << 1 << QByteArray("12") << "data offset 12 lies outside the file (%2 bytes)";
}

void TestSeismicBloc::loadChecksSizesAgainstTheFile()
{
    QFETCH(int, dimx);
    QFETCH(int, dimy);
    QFETCH(int, dimz);
    QFETCH(int, framesInFile);
    QFETCH(QByteArray, dataOffset);
    QFETCH(QString, reason);

    // Only the header is written; the file is then given the length of framesInFile frames.
    ZRSeismicBloc volume{georef::BlocSpace(dimx, dimy, dimz)};
    const QString fileName = newFile(QStringLiteral("sizes.vol"));
    volume.setFileName(fileName);
    QVERIFY(volume.saveHeader());
    const qint64 length = volume.dataOffset() + qint64(framesInFile) * 4 * qint64(std::max(dimx, 0)) * std::max(dimy, 0);
    QVERIFY(QFile::resize(fileName, length));
    if (!dataOffset.isEmpty()) {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray block = file.read(ZRObjectHeader::GlobalHeaderSize);
        const QByteArray key("DataOffset value=\"");
        const int start = block.indexOf(key) + key.size();
        block.replace(start, block.indexOf('"', start) - start, dataOffset);
        block = block.left(block.indexOf('\0')) + QByteArray(ZRObjectHeader::GlobalHeaderSize, '\0');
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(block.left(ZRObjectHeader::GlobalHeaderSize)), qint64(ZRObjectHeader::GlobalHeaderSize));
    }
    m_bus->take();

    const std::unique_ptr<ZRSeismicBloc> loaded = ZRSeismicBloc::load(fileName);
    if (reason.isEmpty()) {
        QVERIFY(loaded);
        QCOMPARE(loaded->dimz(), dimz);
        QVERIFY(m_bus->take().isEmpty());
        return;
    }
    QVERIFY(!loaded);
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first(), QStringLiteral("Error when reading %1 - %2")
                                 .arg(fileName, reason.contains("%1") ? reason.arg(volume.dataOffset()).arg(length)
                                                                      : QString(reason).replace("%2", QString::number(length))));
}

void TestSeismicBloc::oversizedFrameIsNotRead()
{
    ZRSeismicBloc volume{georef::BlocSpace(65536, 65536, 2)};
    const QString fileName = newFile(QStringLiteral("oversized.vol"));
    volume.setFileName(fileName);
    QVERIFY(volume.saveHeader());
    QCOMPARE(volume.frameBytes(), qint64(-1));
    ZRImage image;
    QVERIFY(!volume.readFrame(0, image));
    QVERIFY(image.isNull());
    double minimum = 0;
    double maximum = 0;
    QVERIFY(!volume.valueRange(-1, false, &minimum, &maximum));
    const std::vector<float> frame(4, 0.0f);
    const int descriptor = ZRBloc::openForWriting(fileName);
    QVERIFY(descriptor >= 0);
    QVERIFY(!volume.writeFrame(descriptor, volume.dataOffset(), 0, frame.data()));
    ZRBloc::closeFile(descriptor);
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QVERIFY(!errors.isEmpty());
    QVERIFY2(errors.first().endsWith(QStringLiteral("frames of 65536 x 65536 samples are larger than the largest frame "
                                                    "accepted (536870912 samples)")),
             qPrintable(errors.first()));
}

void TestSeismicBloc::frameBeyondTheFileAllocatesNothing()
{
    // A 1 GiB frame that the file does not hold is refused before its buffer exists.
    ZRSeismicBloc volume{georef::BlocSpace(16384, 16384, 3)};
    const QString fileName = newFile(QStringLiteral("short.vol"));
    volume.setFileName(fileName);
    QVERIFY(volume.saveHeader());
    ZRImage image;
    QVERIFY(!volume.readFrame(2, image));
    QVERIFY(image.isNull());
    QCOMPARE(m_bus->takeTexts(eDrawFileError),
             QStringList{QStringLiteral("Error when reading %1 - unexpected end of file at frame 2").arg(fileName)});
}

void TestSeismicBloc::writeFrameRefusals()
{
    ZRSeismicBloc volume(space(2, 2, 2));
    const std::vector<float> frame{1, 2, 3, 4};
    const QString fileName = newFile(QStringLiteral("refuse.vol"));
    volume.setFileName(fileName);
    QVERIFY(volume.saveHeader());
    const int descriptor = ZRBloc::openForWriting(fileName);
    QVERIFY(descriptor >= 0);
    volume.setValueRange(1.0, 4.0);

    QVERIFY(!volume.writeFrame(-1, volume.dataOffset(), 0, frame.data()));
    QVERIFY(m_bus->take().isEmpty());
    QCOMPARE(volume.minValueBlock(), 1.0);

    QVERIFY(!volume.writeFrame(descriptor, volume.dataOffset(), 2, frame.data()));
    QVERIFY(!volume.writeFrame(descriptor, volume.dataOffset(), -1, frame.data()));
    QVERIFY(!volume.writeFrame(descriptor, volume.dataOffset(), 0, nullptr));
    QCOMPARE(m_bus->takeTexts(eDrawError),
             (QStringList{"Error attempting to write large frame : 2/2", "Error attempting to write large frame : -1/2",
                          "Error attempting to write large frame : 0/2"}));
    QCOMPARE(volume.minValueBlock(), -9999.0);
    QCOMPARE(volume.maxValueBlock(), -9999.0);
    ZRBloc::closeFile(descriptor);
    QCOMPARE(QFileInfo(fileName).size(), volume.dataOffset());
}

void TestSeismicBloc::writeFrameFailureMessage_data()
{
    QTest::addColumn<bool>("transposition");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<int>("dimx");
    QTest::addColumn<int>("dimy");
    QTest::addColumn<int>("threads"); // forced thread count, 0 for the measured choice
    QTest::newRow("transposed") << true << "tr" << 2 << 3 << 0;
    QTest::newRow("untransposed") << false << "notr" << 2 << 3 << 0;
    QTest::newRow("transposed in parts on two threads") << true << "tr" << 1024 << 512 << 2;
    QTest::newRow("transposed whole on one thread") << true << "tr" << 1024 << 512 << 1;
}

void TestSeismicBloc::writeFrameFailureMessage()
{
    QFETCH(bool, transposition);
    QFETCH(QString, mark);
    QFETCH(int, dimx);
    QFETCH(int, dimy);
    QFETCH(int, threads);
    ZRSeismicBloc volume(space(dimx, dimy, 2));
    volume.setWithTransposition(transposition);
    const std::vector<float> frame(std::size_t(dimx) * dimy, 1.0f);
    const qint64 frameBytes = qint64(dimx) * dimy * 4;
    const QString fileName = newFile(QStringLiteral("readonly.vol"));
    volume.setFileName(fileName);
    QVERIFY(volume.saveHeader());
    const int readOnly = ::open(QFile::encodeName(fileName).constData(), O_RDONLY);
    QVERIFY(readOnly >= 0);
    ZRFrameTransposer::setThreadCountOverride(threads);
    QVERIFY(!volume.writeFrame(readOnly, volume.dataOffset(), 1, frame.data()));
    ZRFrameTransposer::setThreadCountOverride(0);
    ::close(readOnly);
    const QStringList errors = m_bus->takeTexts(eDrawError);
    QCOMPARE(errors.size(), 1);
    const QString expected =
        QStringLiteral("Error writing large frame (%1) to file %2 - frame 1/2 - offset %3/%4 - buffer 0x%5 - size %6 : %7")
            .arg(mark, fileName)
            .arg(volume.dataOffset())
            .arg(volume.dataOffset() + frameBytes)
            .arg(quintptr(frame.data()), 16, 16, QLatin1Char('0'))
            .arg(frameBytes)
            .arg(QString::fromLocal8Bit(std::strerror(EBADF)));
    QCOMPARE(errors.first(), expected);
}

void TestSeismicBloc::openForWritingMissingFile()
{
    const QString fileName = newFile(QStringLiteral("absent.vol"));
    QCOMPARE(ZRBloc::openForWriting(fileName), -1);
    QVERIFY(!QFileInfo::exists(fileName));
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().startsWith(QStringLiteral("Error when opening ") + QDir::toNativeSeparators(fileName)));
}

void TestSeismicBloc::requiredSpace()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("space"));
    QString message;
    QVERIFY(ZRBloc::requiredSpace(folder, 100, 100, 100, 1, &message));
    QVERIFY(message.isEmpty());

    QVERIFY(!ZRBloc::requiredSpace(folder, 100000, 100000, 100000, 1, &message));
    QVERIFY2(message.startsWith(QStringLiteral("The directory ") + folder + QStringLiteral(" does not have enough space. ")), qPrintable(message));
    QVERIFY(message.endsWith(QStringLiteral(" required.")));

    QVERIFY(!ZRBloc::requiredSpace(folder + "/absent", 1, 1, 1, 1, &message));
    QCOMPARE(message, QStringLiteral("The directory ") + folder + QStringLiteral("/absent is read only."));

    if (::geteuid() != 0) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(!ZRBloc::requiredSpace(folder, 1, 1, 1, 1, &message));
        QCOMPARE(message, QStringLiteral("The directory ") + folder + QStringLiteral(" is read only."));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

QTEST_MAIN(TestSeismicBloc)
#include "tst_seismicbloc.moc"
