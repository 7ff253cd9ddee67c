// The write side of the seismic calls, as a volume export uses them: a data
// set created and written through the DevKit calls in the survey's grid
// convention, read back with segyio; failures of each call leave nothing
// behind; lines are written with one system call each.

#include "owtestproject.h"
#include "segytestfile.h"
#include "testenvironment.h"

#include <segyio/segy.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <climits>
#include <cmath>
#include <functional>

namespace
{
const char* const kDistrict = "Write";
const char* const kProject = "WRITE";

struct SurveyPlan
{
    const char* orientation = "TRACE";
    double firstLine = 10;
    double lastLine = 17;
    double firstTrace = 100;
    double lastTrace = 112;
    int lineCount = 8;
    int traceCount = 13;
    double angleDegrees = 33.0;
};

/// Map position of a line and trace number: 12.5 m per trace, 25 m per
/// line from the first ones, rotated.
void mapOf(const SurveyPlan& plan, double line, double trace, double* x, double* y)
{
    const double a = plan.angleDegrees * M_PI / 180.0;
    const double i = (trace - plan.firstTrace) / (plan.lastTrace - plan.firstTrace) * (plan.traceCount - 1) * 12.5;
    const double j = (line - plan.firstLine) / (plan.lastLine - plan.firstLine) * (plan.lineCount - 1) * 25.0;
    *x = 500000.0 + i * std::cos(a) - j * std::sin(a);
    *y = 6000000.0 + i * std::sin(a) + j * std::cos(a);
}

/// A survey record with its corners where the orientation keyword puts them:
/// 20/21 (first line, first trace); "TRACE": 22/23 (last line, first trace)
/// and 26/27 (first line, last trace); otherwise those two exchanged.
void makeSurvey(gdi3dSurvey_t* s, const char* name, const SurveyPlan& plan)
{
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, s);
    setText(s->name, name);
    setText(s->orientation, plan.orientation);
    s->firstLine = plan.firstLine;
    s->lastLine = plan.lastLine;
    s->firstTrace = plan.firstTrace;
    s->lastTrace = plan.lastTrace;
    s->lineCount = plan.lineCount;
    s->traceCount = plan.traceCount;
    const bool traceOrientation = std::strcmp(plan.orientation, "TRACE") == 0;
    mapOf(plan, plan.firstLine, plan.firstTrace, &s->corner[0], &s->corner[1]);
    mapOf(plan, plan.lastLine, plan.lastTrace, &s->corner[4], &s->corner[5]);
    mapOf(plan, traceOrientation ? plan.lastLine : plan.firstLine, traceOrientation ? plan.firstTrace : plan.lastTrace,
          &s->corner[2], &s->corner[3]);
    mapOf(plan, traceOrientation ? plan.firstLine : plan.lastLine, traceOrientation ? plan.lastTrace : plan.firstTrace,
          &s->corner[6], &s->corner[7]);
}

/// Line and trace number of grid (x, y) by the convention: y counts lines
/// from the survey's first line, x traces from its first trace ("TRACE");
/// the other way round otherwise.
void numbersOf(const SurveyPlan& plan, int x, int y, double* line, double* trace)
{
    const bool traceOrientation = std::strcmp(plan.orientation, "TRACE") == 0;
    const int lineIndex = (traceOrientation ? y : x) - 1;
    const int traceIndex = (traceOrientation ? x : y) - 1;
    *line = plan.firstLine + lineIndex * (plan.lastLine - plan.firstLine) / (plan.lineCount - 1);
    *trace = plan.firstTrace + traceIndex * (plan.lastTrace - plan.firstTrace) / (plan.traceCount - 1);
}

float sampleOf(double line, double trace, int s)
{
    return float(line * 1000.0 + trace) + float(s) * 0.0078125f - 3.3f * float(s % 3);
}

int countRecords(int classId)
{
    int count = 0;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &count, &list);
    gdiFree(list);
    return status == 0 ? count : 0;
}

bool startSurvey(const char* name)
{
    int status = -1, type = 3;
    const int length = int(std::strlen(name));
    prjin2_(&status, &type, name, &length);
    return status == 0;
}

void endSurvey()
{
    const int type = 3, zero = 0;
    prjend_(&type, &zero);
}

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

/// Files below folder this process holds open.
QStringList openFilesBelow(const QString& folder)
{
    const QString prefix = QFileInfo(folder).canonicalFilePath() + "/";
    QStringList files;
    const QDir fds("/proc/self/fd");
    for (const QString& entry : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(entry));
        if (target.startsWith(prefix))
            files.append(target);
    }
    return files;
}
} // namespace

class TestOwDevkitSeismicWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void writtenDataSetReadBySegyio_data();
    void writtenDataSetReadBySegyio();
    void oneWriteCallPerLine();
    void partialTracesAndRevisitedLines();
    void failuresLeaveNothing_data();
    void failuresLeaveNothing();
    void deleteRemovesFileAndRecord();
    void sampleCountsAboveSigned16Bits();
    void hugeGridIsRefused();

private:
    QString dataFolder() const { return m_env->openWorksHome() + "/" + kDistrict + "/data"; }
    /// Creates (in the open transaction) and writes a data set of the current
    /// survey over grid [firstX, lastX] x [firstY, lastY], frame by frame along
    /// grid y, each trace once; returns the file name.
    QByteArray writeDataSet(const SurveyPlan& plan, const char* name, int firstX, int lastX, int firstY, int lastY,
                            int samples, float start, float interval, int domain);

    std::unique_ptr<TestEnvironment> m_env;
    int m_surveys = 0;
};

void TestOwDevkitSeismicWrite::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(openTestProject(m_env->openWorksHome(), kDistrict, kProject));
}

void TestOwDevkitSeismicWrite::init()
{
    owsim::clearInjections();
    endSurvey();
    gdiRollback();
}

void TestOwDevkitSeismicWrite::cleanupTestCase()
{
    owsim::clearInjections();
    prjClose();
    gdiClose();
}

QByteArray TestOwDevkitSeismicWrite::writeDataSet(const SurveyPlan& plan, const char* name, int firstX, int lastX,
                                                  int firstY, int lastY, int samples, float start, float interval,
                                                  int domain)
{
    dm3dControlBlock_t cb{};
    cb.firstX = firstX;
    cb.lastX = lastX;
    cb.firstY = firstY;
    cb.lastY = lastY;
    cb.verticalStart = start;
    cb.verticalEnd = start + interval * float(samples);
    cb.sampleInterval = interval;
    cb.domain = domain;
    cb.constants[0] = cb.constants[1] = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3d_crt_ds_(name, "UNKNOWN", &cb, fileName, &status);
    if (status != 0)
        return QByteArray();
    const int write = 3, one = 1, zero = 0, two = 2;
    dm3dop_(fileName, &cb, &write, &status);
    if (status != 0)
        return QByteArray();
    char work[DM3D_WORK_BUFFER_SIZE];
    dm3dnx_(&cb, &two, &cb.firstX, &cb.lastX, &one, work, &status);
    std::vector<float> trace(size_t(samples), 0.0f);
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = cb.firstY; y <= cb.lastY && status == 0; ++y) {
        for (int x = cb.firstX; x <= cb.lastX && status == 0; ++x) {
            double line = 0, traceNumber = 0;
            numbersOf(plan, x, y, &line, &traceNumber);
            for (int s = 0; s < samples; ++s)
                trace[size_t(s)] = sampleOf(line, traceNumber, s);
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
        }
    }
    int closeStatus = -1;
    dm3dcl_(&cb, &zero, &closeStatus);
    return status == 0 && closeStatus == 0 ? QByteArray(fileName) : QByteArray();
}

void TestOwDevkitSeismicWrite::writtenDataSetReadBySegyio_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<double>("firstLine");
    QTest::addColumn<double>("lastLine");
    QTest::addColumn<double>("firstTrace");
    QTest::addColumn<double>("lastTrace");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("traceCount");
    QTest::addColumn<QRect>("grid"); // x, y, width, height in grid coordinates
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("domain");
    QTest::newRow("TRACE, rising") << "TRACE" << 10.0 << 17.0 << 100.0 << 112.0 << 8 << 13 << QRect(1, 1, 13, 8)
                                   << 100.0 << 4.0 << 1;
    QTest::newRow("TRACE, falling lines, part of the grid")
        << "TRACE" << 900.0 << 850.0 << 2000.0 << 2100.0 << 51 << 101 << QRect(5, 3, 20, 10) << 0.0 << 2.0 << 1;
    QTest::newRow("TRACE, falling traces, line increment 2")
        << "TRACE" << 100.0 << 120.0 << 60.0 << 40.0 << 11 << 21 << QRect(1, 1, 21, 11) << 12.5 << 0.5 << 1;
    QTest::newRow("LINE, rising") << "LINE" << 10.0 << 17.0 << 100.0 << 112.0 << 8 << 13 << QRect(1, 1, 8, 13)
                                  << 40000.0 << 4.0 << 1;
    QTest::newRow("LINE, falling lines") << "LINE" << 500.0 << 440.0 << 1000.0 << 1060.0 << 61 << 61
                                         << QRect(11, 21, 30, 15) << 1500.0 << 10.0 << 2;
}

void TestOwDevkitSeismicWrite::writtenDataSetReadBySegyio()
{
    QFETCH(QString, orientation);
    SurveyPlan plan;
    const QByteArray orientationText = orientation.toLatin1();
    plan.orientation = orientationText.constData();
    QFETCH(double, firstLine);
    QFETCH(double, lastLine);
    QFETCH(double, firstTrace);
    QFETCH(double, lastTrace);
    QFETCH(int, lineCount);
    QFETCH(int, traceCount);
    QFETCH(QRect, grid);
    QFETCH(double, start);
    QFETCH(double, interval);
    QFETCH(int, domain);
    plan.firstLine = firstLine;
    plan.lastLine = lastLine;
    plan.firstTrace = firstTrace;
    plan.lastTrace = lastTrace;
    plan.lineCount = lineCount;
    plan.traceCount = traceCount;
    const QByteArray surveyName = QByteArray("Written ") + QByteArray::number(++m_surveys);
    gdi3dSurvey_t survey;
    makeSurvey(&survey, surveyName.constData(), plan);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QCOMPARE(gdiCommit(), 0);
    QVERIFY(startSurvey(surveyName.constData()));
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3dgetnamefromkeys_("Data", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 6); // no such data set yet
    const int samples = 37;
    const QByteArray file = writeDataSet(plan, "Data", grid.left(), grid.right(), grid.top(), grid.bottom(), samples,
                                         float(start), float(interval), domain);
    QVERIFY(!file.isEmpty());
    QCOMPARE(gdiCommit(), 0);
    dm3dgetnamefromkeys_("Data", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 0);
    QCOMPARE(QByteArray(fileName), file);
    gdiSeismicDataSet_t record;
    dm3dgetGdiStruct_(fileName, &record, &status);
    QCOMPARE(status, 0);
    QCOMPARE(record.sampleCount, samples);
    QVERIFY(record.dataMin < record.dataMax);

    // Read back through the calls: the same grid, the same samples.
    dm3dControlBlock_t in{};
    const int read = 1, one = 1, zero = 0;
    dm3dop_(fileName, &in, &read, &status);
    QCOMPARE(status, 0);
    QCOMPARE(in.firstX, grid.left());
    QCOMPARE(in.lastX, grid.right());
    QCOMPARE(in.firstY, grid.top());
    QCOMPARE(in.lastY, grid.bottom());
    dm3dpf_(&in, &one, &status);
    QCOMPARE(status, 0);
    std::vector<float> trace(samples);
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = in.firstY; y <= in.lastY; ++y) {
        for (int x = in.firstX; x <= in.lastX; ++x) {
            double line = 0, traceNumber = 0;
            numbersOf(plan, x, y, &line, &traceNumber);
            dm3dtr_(&in, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
            QCOMPARE(status, 0);
            for (int s = 0; s < samples; ++s)
                QCOMPARE(trace[size_t(s)], sampleOf(line, traceNumber, s));
        }
    }
    dm3dcl_(&in, &zero, &status);
    endSurvey();

    // The file read with segyio: headers and samples at every position.
    const QString path = dataFolder() + "/" + QString::fromLatin1(fileName);
    segy_file* fp = segy_open(QFile::encodeName(path).constData(), "rb");
    QVERIFY(fp);
    char binary[SEGY_BINARY_HEADER_SIZE];
    QCOMPARE(segy_binheader(fp, binary), 0);
    QCOMPARE(segy_format(binary), 5);
    QCOMPARE(segy_samples(binary), samples);
    int32_t value = 0;
    segy_get_bfield(binary, SEGY_BIN_INTERVAL, &value);
    QCOMPARE(value, int(std::lround(interval * 1000.0)));
    segy_get_bfield(binary, SEGY_BIN_MEASUREMENT_SYSTEM, &value);
    QCOMPARE(value, 1);
    segy_close(fp);
    segytest::Layout layout;
    layout.samples = samples;
    layout.codeZeroIsAbsent = true;
    segytest::Reader reader;
    QString error;
    QVERIFY2(reader.load(path, layout, &error), qPrintable(error));
    QCOMPARE(reader.traces().size(), grid.width() * grid.height());
    QVERIFY(startSurvey(surveyName.constData()));
    for (int y = grid.top(); y <= grid.bottom(); ++y) {
        for (int x = grid.left(); x <= grid.right(); ++x) {
            double line = 0, traceNumber = 0;
            numbersOf(plan, x, y, &line, &traceNumber);
            const segytest::Trace* written = reader.at(int(line), int(traceNumber));
            QVERIFY2(written, qPrintable(QString("no trace at line %1 trace %2").arg(line).arg(traceNumber)));
            QCOMPARE(written->identification, 1);
            QCOMPARE(written->sampleCount, samples);
            QCOMPARE(written->sampleInterval, int(std::lround(interval * 1000.0)));
            const double delay = written->delayScalar < 0 ? double(written->delay) / -written->delayScalar
                                                          : double(written->delay) * std::max(1, written->delayScalar);
            QCOMPARE(delay, start);
            double mapX = 0, mapY = 0;
            const float lineF = float(line), traceF = float(traceNumber);
            intorw_(&one, &lineF, &traceF, &mapX, &mapY, &status);
            QVERIFY(std::fabs(written->x - mapX) <= 0.005 && std::fabs(written->y - mapY) <= 0.005);
            double expectedX = 0, expectedY = 0;
            mapOf(plan, line, traceNumber, &expectedX, &expectedY);
            QVERIFY(std::fabs(written->x - expectedX) <= 0.005 && std::fabs(written->y - expectedY) <= 0.005);
            for (int s = 0; s < samples; ++s)
                QCOMPARE(written->values[s], sampleOf(line, traceNumber, s));
        }
    }
    endSurvey();
    // Lines in ascending number, traces ascending within each line.
    for (int i = 1; i < reader.traces().size(); ++i) {
        const segytest::Trace& a = reader.traces()[i - 1];
        const segytest::Trace& b = reader.traces()[i];
        QVERIFY(a.line < b.line || (a.line == b.line && a.trace < b.trace));
    }
}

void TestOwDevkitSeismicWrite::oneWriteCallPerLine()
{
    SurveyPlan plan;
    plan.firstLine = 1;
    plan.lastLine = 30;
    plan.lineCount = 30;
    plan.firstTrace = 1;
    plan.lastTrace = 40;
    plan.traceCount = 40;
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Calls", plan);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(startSurvey("Calls"));
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = 40;
    cb.firstY = 1;
    cb.lastY = 30;
    cb.samplesPerTrace = 50;
    cb.sampleInterval = 4.0f;
    cb.domain = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3d_crt_ds_("Calls", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 0);
    const int write = 3, read = 1, one = 1, zero = 0, samples = 50;
    dm3dop_(fileName, &cb, &write, &status);
    QCOMPARE(status, 0);
    const owsim::SeismicIoCounts before = owsim::seismicIoCounts();
    std::vector<float> trace(samples, 1.5f);
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = 1; y <= 30; ++y)
        for (int x = 1; x <= 40; ++x)
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    dm3dcl_(&cb, &zero, &status);
    QCOMPARE(status, 0);
    const owsim::SeismicIoCounts written = owsim::seismicIoCounts();
    QCOMPARE(written.writes - before.writes, 30LL);
    QCOMPARE(written.reads, before.reads);
    QCOMPARE(gdiCommit(), 0);
    // Reading maps the file once, whatever the order of the traces.
    dm3dop_(fileName, &cb, &read, &status);
    for (int x = 40; x >= 1; --x)
        for (int y = 1; y <= 30; ++y)
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 0);
    QCOMPARE(trace[0], 1.5f);
    dm3dcl_(&cb, &zero, &status);
    const owsim::SeismicIoCounts readBack = owsim::seismicIoCounts();
    QCOMPARE(readBack.reads - written.reads, 1LL);
    QCOMPARE(readBack.writes, written.writes);
    endSurvey();
}

void TestOwDevkitSeismicWrite::partialTracesAndRevisitedLines()
{
    SurveyPlan plan;
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Partial", plan);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(startSurvey("Partial"));
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = 13;
    cb.firstY = 1;
    cb.lastY = 8;
    cb.samplesPerTrace = 20;
    cb.sampleInterval = 4.0f;
    cb.domain = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3d_crt_ds_("Partial", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 0);
    const int write = 3, read = 1, one = 1, zero = 0, samples = 20, ten = 10, eleven = 11;
    const float noScale = 0.0f;
    int flags = 0;
    std::vector<float> first(20, 1.0f), second(10, 2.0f), trace(20);
    dm3dop_(fileName, &cb, &write, &status);
    // Line 1 trace 3 whole, then line 2, then the second half of line 1 trace 3
    // (after the line buffer moved on) and line 1 trace 4 alone.
    int x = 3, y = 1;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, first.data(), &noScale, &status, &flags);
    y = 2;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, first.data(), &noScale, &status, &flags);
    y = 1;
    dm3dtr_(&cb, &x, &y, &eleven, &samples, &one, &zero, second.data(), &noScale, &status, &flags);
    QCOMPARE(status, 0);
    x = 4;
    dm3dtr_(&cb, &x, &y, &one, &ten, &one, &zero, second.data(), &noScale, &status, &flags);
    dm3dcl_(&cb, &zero, &status);
    QCOMPARE(status, 0);
    dm3dop_(fileName, &cb, &read, &status);
    x = 3;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 0);
    for (int s = 0; s < 20; ++s)
        QCOMPARE(trace[size_t(s)], s < 10 ? 1.0f : 2.0f);
    x = 4;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 0);
    for (int s = 0; s < 20; ++s)
        QCOMPARE(trace[size_t(s)], s < 10 ? 2.0f : 0.0f);
    y = 2;
    x = 3;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(trace, first);
    x = 5;
    dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 1); // never written
    dm3dcl_(&cb, &zero, &status);
    endSurvey();
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitSeismicWrite::failuresLeaveNothing_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("nth");
    // (A failing dm3dgetnamefromkeys_ only says that no such file exists.)
    for (const char* call : {"gdiAdd", "prjin2_", "dm3d_crt_ds_", "dm3dop_",
                             "dm3dgetGdiStruct_", "dm3dnx_", "dm3dcl_", "gdiUpdate", "gdiCommit"})
        QTest::newRow(call) << call << 1;
    QTest::newRow("dm3dtr_ 1") << "dm3dtr_" << 1;
    QTest::newRow("dm3dtr_ 57 (in the middle of a line)") << "dm3dtr_" << 57;
    QTest::newRow("dm3dtr_ last") << "dm3dtr_" << 12 * 9;
    QTest::newRow("gdiCommit 2 (the data set's)") << "gdiCommit" << 2;
}

void TestOwDevkitSeismicWrite::failuresLeaveNothing()
{
    QFETCH(QString, call);
    QFETCH(int, nth);
    const int surveysBefore = countRecords(GDI_CLASS_3D_SURVEY);
    const int dataSetsBefore = countRecords(GDI_CLASS_SEISMIC_DATA_SET);
    const QStringList filesBefore = filesBelow(dataFolder());
    owsim::injectStatus(call.toStdString(), nth, call.startsWith("gdi") ? GDI_DATABASE_ERROR : 3);

    // The export's sequence: the survey is added and committed, then the data
    // set is created, opened, written frame by frame, its record updated and
    // committed. On a failure the caller closes what it opened, deletes what it
    // created and commits, or rolls back what was not committed yet.
    SurveyPlan plan;
    plan.firstLine = 1;
    plan.lastLine = 9;
    plan.lineCount = 9;
    plan.firstTrace = 1;
    plan.lastTrace = 12;
    plan.traceCount = 12;
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Failing", plan);
    bool surveyCommitted = false, projectStarted = false, fileOpen = false;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    dm3dControlBlock_t cb{};
    const int one = 1, zero = 0, write = 3, two = 2, samples = 16;
    int status = gdiAdd(GDI_CLASS_3D_SURVEY, &survey);
    const auto step = [&](bool ok) { return status == 0 && ok; };
    if (status == 0) {
        projectStarted = startSurvey("Failing");
        status = projectStarted ? 0 : 1;
    }
    if (status == 0) {
        status = gdiCommit();
        surveyCommitted = status == 0;
    }
    if (status == 0) {
        int nameStatus = -1;
        dm3dgetnamefromkeys_("Failing data", "UNKNOWN", fileName, &nameStatus);
        status = nameStatus == 0 ? 99 : 0; // 0 would mean the file exists already
    }
    bool created = false;
    if (step(true)) {
        cb.firstX = 1;
        cb.lastX = 12;
        cb.firstY = 1;
        cb.lastY = 9;
        cb.verticalStart = 0.0f;
        cb.sampleInterval = 4.0f;
        cb.verticalEnd = 4.0f * samples;
        cb.domain = 1;
        dm3d_crt_ds_("Failing data", "UNKNOWN", &cb, fileName, &status);
        created = status == 0;
    }
    if (step(true)) {
        dm3dop_(fileName, &cb, &write, &status);
        fileOpen = status == 0;
    }
    gdiSeismicDataSet_t record{};
    if (step(true))
        dm3dgetGdiStruct_(fileName, &record, &status);
    if (step(true)) {
        char work[DM3D_WORK_BUFFER_SIZE];
        dm3dnx_(&cb, &two, &cb.firstX, &cb.lastX, &one, work, &status);
    }
    std::vector<float> trace(samples, 0.5f);
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = 1; y <= 9 && status == 0; ++y)
        for (int x = 1; x <= 12 && status == 0; ++x)
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    if (step(fileOpen)) {
        fileOpen = false;
        dm3dcl_(&cb, &zero, &status);
    }
    if (step(true)) {
        record.dataMin = 0.5;
        record.dataMax = 0.5;
        status = gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &record);
    }
    if (step(true))
        status = gdiCommit();
    QVERIFY2(status != 0, "the injected failure was not seen");

    // The caller's clean-up.
    owsim::clearInjections();
    if (fileOpen) {
        int ignored = 0;
        dm3dcl_(&cb, &zero, &ignored);
    }
    if (created) {
        int ignored = 0;
        dm3ddl_(fileName, &ignored);
    }
    if (surveyCommitted) {
        QCOMPARE(gdiDelete(GDI_CLASS_3D_SURVEY, &survey), 0);
        QCOMPARE(gdiCommit(), 0);
    } else {
        QCOMPARE(gdiRollback(), 0);
    }
    if (projectStarted)
        endSurvey();
    QCOMPARE(countRecords(GDI_CLASS_3D_SURVEY), surveysBefore);
    QCOMPARE(countRecords(GDI_CLASS_SEISMIC_DATA_SET), dataSetsBefore);
    QCOMPARE(filesBelow(dataFolder()), filesBefore);
    QCOMPARE(openFilesBelow(dataFolder()), QStringList());
}

void TestOwDevkitSeismicWrite::deleteRemovesFileAndRecord()
{
    SurveyPlan plan;
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Deleted", plan);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(startSurvey("Deleted"));
    const QByteArray file = writeDataSet(plan, "Kept", 1, 13, 1, 8, 12, 0.0f, 4.0f, 1);
    QVERIFY(!file.isEmpty());
    QCOMPARE(gdiCommit(), 0);
    const QString path = dataFolder() + "/" + QString::fromLatin1(file);
    QVERIFY(QFile::exists(path));
    const int dataSets = countRecords(GDI_CLASS_SEISMIC_DATA_SET);
    int status = -1;
    // Deleted and rolled back: both stay.
    dm3ddl_(file.constData(), &status);
    QCOMPARE(status, 0);
    QCOMPARE(gdiRollback(), 0);
    QVERIFY(QFile::exists(path));
    QCOMPARE(countRecords(GDI_CLASS_SEISMIC_DATA_SET), dataSets);
    // Deleted and committed: both go.
    dm3ddl_(file.constData(), &status);
    QCOMPARE(status, 0);
    QCOMPARE(gdiCommit(), 0);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(countRecords(GDI_CLASS_SEISMIC_DATA_SET), dataSets - 1);
    dm3ddl_(file.constData(), &status);
    QCOMPARE(status, 6);
    endSurvey();
}

void TestOwDevkitSeismicWrite::sampleCountsAboveSigned16Bits()
{
    SurveyPlan plan;
    plan.firstLine = 1;
    plan.lastLine = 2;
    plan.lineCount = 2;
    plan.firstTrace = 1;
    plan.lastTrace = 2;
    plan.traceCount = 2;
    for (int samples : {40000, 70000}) {
        const QByteArray name = "Long " + QByteArray::number(samples);
        gdi3dSurvey_t survey;
        makeSurvey(&survey, name.constData(), plan);
        QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
        QVERIFY(startSurvey(name.constData()));
        const QByteArray file = writeDataSet(plan, "Long", 1, 2, 1, 2, samples, 0.0f, 1.0f, 1);
        QVERIFY(!file.isEmpty());
        QCOMPARE(gdiCommit(), 0);
        dm3dControlBlock_t cb{};
        int status = -1;
        const int read = 1, one = 1, zero = 0;
        dm3dop_(file.constData(), &cb, &read, &status);
        QCOMPARE(status, 0);
        QCOMPARE(cb.samplesPerTrace, samples);
        std::vector<float> trace(static_cast<size_t>(samples));
        const float noScale = 0.0f;
        int flags = 0, x = 2, y = 2;
        dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
        QCOMPARE(status, 0);
        QCOMPARE(trace.back(), sampleOf(2, 2, samples - 1));
        dm3dcl_(&cb, &zero, &status);
        endSurvey();
        // The binary header, read from its documented bytes.
        const QString path = dataFolder() + "/" + QString::fromLatin1(file);
        if (samples <= 65535) {
            QCOMPARE(segytest::binaryHeaderU16(path, 3221), samples);
        } else {
            QCOMPARE(segytest::binaryHeaderU16(path, 3221), 0);
            QCOMPARE(segytest::binaryHeaderU16(path, 3501) >> 8, 2); // rev 2
            QCOMPARE((segytest::binaryHeaderU16(path, 3269) << 16) | segytest::binaryHeaderU16(path, 3271), samples);
        }
        segytest::Layout layout;
        layout.samples = samples;
        segytest::Reader reader;
        QString error;
        QVERIFY2(reader.load(path, layout, &error), qPrintable(error));
        QCOMPARE(reader.traces().size(), 4);
        QCOMPARE(reader.traces().last().values.last(), sampleOf(2, 2, samples - 1));
    }
}

void TestOwDevkitSeismicWrite::hugeGridIsRefused()
{
    SurveyPlan plan;
    plan.firstLine = 1;
    plan.lastLine = INT_MAX;
    plan.lineCount = INT_MAX;
    plan.firstTrace = 1;
    plan.lastTrace = INT_MAX;
    plan.traceCount = INT_MAX;
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Huge", plan);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(startSurvey("Huge"));
    const int dataSets = countRecords(GDI_CLASS_SEISMIC_DATA_SET);
    const QStringList files = filesBelow(dataFolder());
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = INT_MAX;
    cb.firstY = 1;
    cb.lastY = INT_MAX;
    cb.samplesPerTrace = 1000;
    cb.sampleInterval = 4.0f;
    cb.domain = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3d_crt_ds_("Huge", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 4);
    cb.firstX = INT_MIN; // outside the survey's grid
    cb.lastX = 10;
    cb.lastY = 10;
    dm3d_crt_ds_("Huge", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 4);
    QCOMPARE(countRecords(GDI_CLASS_SEISMIC_DATA_SET), dataSets);
    QCOMPARE(filesBelow(dataFolder()), files);
    endSurvey();
    QCOMPARE(gdiRollback(), 0);
}

QTEST_GUILESS_MAIN(TestOwDevkitSeismicWrite)
#include "tst_owdevkit_seismicwrite.moc"
