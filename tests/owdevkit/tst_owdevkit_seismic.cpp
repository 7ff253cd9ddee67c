// Seismic data sets, horizons and survey geometry of the DevKit stand-in.

#include "owtestproject.h"
#include "testenvironment.h"

#include <segyio/segy.h>

#include <QFileInfo>
#include <QtTest>

#include <cmath>

namespace
{
int g_lastHandlerCode = 0;
void recordingHandler(int* code, const char*)
{
    g_lastHandlerCode = *code;
}

/// A rotated survey with the corners placed by the orientation convention:
/// 20/21 (first line, first trace); "TRACE": 22/23 (last line, first trace)
/// and 26/27 (first line, last trace); otherwise those two exchanged.
void makeSurvey(gdi3dSurvey_t* s, const char* name, const char* orientation, double firstLine, double lastLine,
                double firstTrace, double lastTrace, double angleDegrees)
{
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, s);
    setText(s->name, name);
    setText(s->orientation, orientation);
    s->firstLine = firstLine;
    s->lastLine = lastLine;
    s->firstTrace = firstTrace;
    s->lastTrace = lastTrace;
    s->traceCount = int(std::fabs(lastTrace - firstTrace)) + 1;
    s->lineCount = int(std::fabs(lastLine - firstLine)) + 1;
    const double a = angleDegrees * M_PI / 180.0;
    auto at = [&](double line, double trace, double* x, double* y) {
        const double i = std::fabs(trace - firstTrace) * 12.5, j = std::fabs(line - firstLine) * 25.0;
        *x = 500000.0 + i * std::cos(a) - j * std::sin(a);
        *y = 6000000.0 + i * std::sin(a) + j * std::cos(a);
    };
    const bool traceOrientation = std::strcmp(orientation, "TRACE") == 0;
    at(firstLine, firstTrace, &s->corner[0], &s->corner[1]);
    at(lastLine, lastTrace, &s->corner[4], &s->corner[5]);
    at(traceOrientation ? lastLine : firstLine, traceOrientation ? firstTrace : lastTrace, &s->corner[2], &s->corner[3]);
    at(traceOrientation ? firstLine : lastLine, traceOrientation ? lastTrace : firstTrace, &s->corner[6], &s->corner[7]);
}

bool openSurvey(const char* name)
{
    int status = -1, type = 3;
    const int length = static_cast<int>(std::strlen(name));
    prjin2_(&status, &type, name, &length);
    return status == 0;
}

void endSurvey()
{
    const int type = 3, zero = 0;
    prjend_(&type, &zero);
}

/// Sample value of trace (x, y): distinct bit patterns per trace and sample.
float sampleValue(int x, int y, int s)
{
    return static_cast<float>(x * 1000 + y) + static_cast<float>(s) * 0.0078125f - 3.3f * (s % 3);
}
} // namespace

class TestOwDevkitSeismic : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void sparseDataSetRoundTrip();
    void callStatuses();
    void rollbackRemovesNewDataSet();
    void geometryRoundTrip_data();
    void geometryRoundTrip();
    void horizonGrid();
    void horizonDepthUnits();
    void injectedStatusReachesTraceCall();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestOwDevkitSeismic::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(openTestProject(m_env->openWorksHome(), "Seismic", "SEIS"));
    gdi3dSurvey_t survey;
    makeSurvey(&survey, "Grid", "TRACE", 10, 17, 100, 112, 33.0);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QCOMPARE(gdiCommit(), 0);
}

void TestOwDevkitSeismic::init()
{
    owsim::clearInjections();
    gdiRollback();
}

void TestOwDevkitSeismic::cleanupTestCase()
{
    OhnoAddErrorHandler(nullptr);
    prjClose();
    gdiClose();
}

void TestOwDevkitSeismic::sparseDataSetRoundTrip()
{
    // "Grid" is a "TRACE" survey of lines 10..17 and traces 100..112: grid x
    // counts traces from 100 (x = 1), grid y lines from 10.
    QVERIFY(openSurvey("Grid"));
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = 13;
    cb.firstY = 1;
    cb.lastY = 8;
    cb.verticalStart = 100.0f;
    cb.sampleInterval = 4.0f;
    cb.verticalEnd = 100.0f + 4.0f * 37;
    cb.domain = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3d_crt_ds_("Sparse", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 0);
    QCOMPARE(cb.samplesPerTrace, 37);
    const int write = 3, read = 1, one = 1, zero = 0;
    const float noScale = 0.0f;
    dm3dop_(fileName, &cb, &write, &status);
    QCOMPARE(status, 0);
    const int samples = 37;
    std::vector<float> trace(samples);
    int flags = 0;
    for (int y = 1; y <= 8; ++y) {
        for (int x = 1; x <= 13; ++x) {
            const int line = 9 + y, traceNumber = 99 + x;
            if ((traceNumber + line) % 3 == 0)
                continue;
            for (int s = 0; s < samples; ++s)
                trace[s] = sampleValue(traceNumber, line, s);
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
            QCOMPARE(status, 0);
        }
    }
    dm3dcl_(&cb, &zero, &status);
    QCOMPARE(status, 0);
    QCOMPARE(gdiCommit(), 0);

    // Read back through the calls, bit for bit.
    dm3dControlBlock_t in{};
    dm3dop_(fileName, &in, &read, &status);
    QCOMPARE(status, 0);
    QCOMPARE(in.firstX, 1);
    QCOMPARE(in.lastX, 13);
    QCOMPARE(in.firstY, 1);
    QCOMPARE(in.lastY, 8);
    QCOMPARE(in.samplesPerTrace, samples);
    QCOMPARE(in.lastSample, samples);
    dm3dpf_(&in, &one, &status);
    QCOMPARE(status, 0);
    char work[DM3D_WORK_BUFFER_SIZE];
    const int two = 2;
    const int* words = reinterpret_cast<const int*>(&in);
    dm3dnx_(&in, &two, &words[2], &words[3], &one, work, &status);
    QCOMPARE(status, 0);
    int absent = 0;
    for (int y = 1; y <= 8; ++y) {
        for (int x = 1; x <= 13; ++x) {
            const int line = 9 + y, traceNumber = 99 + x;
            dm3dtr_(&in, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
            if ((traceNumber + line) % 3 == 0) {
                QCOMPARE(status, 1);
                ++absent;
                continue;
            }
            QCOMPARE(status, 0);
            for (int s = 0; s < samples; ++s) {
                const float expected = sampleValue(traceNumber, line, s);
                QCOMPARE(std::memcmp(&trace[s], &expected, 4), 0);
            }
        }
    }
    QVERIFY(absent > 0);
    dm3dcl_(&in, &zero, &status);
    endSurvey();

    gdiSeismicDataSet_t dataSet;
    dm3dgetGdiStruct_(fileName, &dataSet, &status);
    QCOMPARE(status, 0);
    QCOMPARE(QByteArray(dataSet.name), QByteArray("Sparse"));
    QCOMPARE(dataSet.sampleCount, samples);
    QVERIFY(dataSet.dataMin < dataSet.dataMax);

    // The same file through segyio directly.
    QString data = m_env->openWorksHome() + "/Seismic/data/" + QString::fromLatin1(fileName);
    QVERIFY(QFileInfo::exists(data));
    segy_file* fp = segy_open(data.toLocal8Bit().constData(), "rb");
    QVERIFY(fp);
    char binary[SEGY_BINARY_HEADER_SIZE];
    QCOMPARE(segy_binheader(fp, binary), 0);
    QCOMPARE(segy_format(binary), 5);
    QCOMPARE(segy_samples(binary), samples);
    const int bsize = segy_trsize(5, samples);
    int traces = 0;
    QCOMPARE(segy_traces(fp, &traces, segy_trace0(binary), bsize), 0);
    QCOMPARE(traces, 13 * 8);
    char header[SEGY_TRACE_HEADER_SIZE];
    for (int i = 0; i < traces; ++i) {
        const int y = 10 + i / 13, x = 100 + i % 13;
        QCOMPARE(segy_traceheader(fp, i, header, 3600, bsize), 0);
        int32_t inl = 0, xl = 0, id = 0;
        segy_get_field(header, SEGY_TR_TRACE_ID, &id);
        if ((x + y) % 3 == 0) {
            QCOMPARE(id, 0);
            continue;
        }
        segy_get_field(header, SEGY_TR_INLINE, &inl);
        segy_get_field(header, SEGY_TR_CROSSLINE, &xl);
        QCOMPARE(inl, y);
        QCOMPARE(xl, x);
        QCOMPARE(segy_readtrace(fp, i, trace.data(), 3600, bsize), 0);
        segy_to_native(5, samples, trace.data());
        for (int s = 0; s < samples; ++s) {
            const float expected = sampleValue(x, y, s);
            QCOMPARE(std::memcmp(&trace[s], &expected, 4), 0);
        }
    }
    segy_close(fp);
}

void TestOwDevkitSeismic::callStatuses()
{
    int status = -1;
    dm3dControlBlock_t cb{};
    const int badMode = 2, read = 1, one = 1, zero = 0;
    dm3dop_("Grid/none.sgy", &cb, &badMode, &status);
    QCOMPARE(status, 5);
    dm3dop_("Grid/none.sgy", &cb, &read, &status);
    QCOMPARE(status, 6);
    int type = 3;
    const int length = 7;
    prjin2_(&status, &type, "Nowhere", &length);
    QCOMPARE(status, 1);
    type = 5;
    prjin2_(&status, &type, "Grid", &length);
    QCOMPARE(status, 3);
    QVERIFY(openSurvey("Grid"));
    char fileName[DM3D_FILE_NAME_SIZE];
    dm3dgetnamefromkeys_("Sparse", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 0);
    dm3dop_(fileName, &cb, &read, &status);
    QCOMPARE(status, 0);
    std::vector<float> trace(37);
    const float noScale = 0.0f;
    int flags = 0, x = 0, y = 1, first = 5, last = 4, big = 38;
    dm3dtr_(&cb, &x, &y, &one, &big, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 2);
    last = 37;
    dm3dtr_(&cb, &x, &y, &one, &last, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 3);
    x = 1;
    last = 4;
    dm3dtr_(&cb, &x, &y, &first, &last, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 4);
    dm3dcl_(&cb, &zero, &status);
    QCOMPARE(status, 0);
    dm3dtr_(&cb, &x, &y, &one, &last, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 9); // closed
    endSurvey();
    dm3dgetnamefromkeys_("Sparse", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 3); // no current survey
}

void TestOwDevkitSeismic::rollbackRemovesNewDataSet()
{
    QVERIFY(openSurvey("Grid"));
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = 2;
    cb.firstY = 1;
    cb.lastY = 2;
    cb.verticalStart = 0.0f;
    cb.verticalEnd = 40.0f;
    cb.sampleInterval = 4.0f;
    cb.domain = 2;
    char fileName[DM3D_FILE_NAME_SIZE];
    int status = -1;
    dm3d_crt_ds_("Temporary", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 0);
    const QString path = m_env->openWorksHome() + "/Seismic/data/" + QString::fromLatin1(fileName);
    QVERIFY(QFileInfo::exists(path));
    dm3d_crt_ds_("Temporary", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 1); // same name in the same survey
    QCOMPARE(gdiRollback(), 0);
    QVERIFY(!QFileInfo::exists(path));
    dm3dgetnamefromkeys_("Temporary", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 6);
    endSurvey();
}

void TestOwDevkitSeismic::geometryRoundTrip_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<double>("firstLine");
    QTest::addColumn<double>("lastLine");
    QTest::addColumn<double>("angle");
    QTest::newRow("TRACE rotated 33") << "TRACE" << 10.0 << 17.0 << 33.0;
    QTest::newRow("TRACE rotated -120") << "TRACE" << 1.0 << 400.0 << -120.0;
    QTest::newRow("LINE rotated 15") << "LINE" << 10.0 << 17.0 << 15.0;
    QTest::newRow("LINE descending lines") << "LINE" << 500.0 << 440.0 << 71.5;
    QTest::newRow("TRACE descending lines") << "TRACE" << 900.0 << 850.0 << 200.0;
}

void TestOwDevkitSeismic::geometryRoundTrip()
{
    QFETCH(QString, orientation);
    QFETCH(double, firstLine);
    QFETCH(double, lastLine);
    QFETCH(double, angle);
    const QByteArray name = ("Geo " + QString(QTest::currentDataTag())).left(40).toLatin1();
    gdi3dSurvey_t survey;
    makeSurvey(&survey, name.constData(), orientation.toLatin1().constData(), firstLine, lastLine, 2000, 2100, angle);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(openSurvey(name.constData()));
    int status = -1;
    const int one = 1;
    // The corners come back where the orientation convention puts them.
    const bool traceOrientation = orientation == "TRACE";
    const float corners[3][2] = {{float(firstLine), 2000.0f},
                                 {float(traceOrientation ? lastLine : firstLine), traceOrientation ? 2000.0f : 2100.0f},
                                 {float(traceOrientation ? firstLine : lastLine), traceOrientation ? 2100.0f : 2000.0f}};
    const int cornerIndex[3] = {0, 2, 6};
    for (int c = 0; c < 3; ++c) {
        double x = 0, y = 0;
        intorw_(&one, &corners[c][0], &corners[c][1], &x, &y, &status);
        QCOMPARE(status, 0);
        QVERIFY(std::fabs(x - survey.corner[cornerIndex[c]]) < 1e-6);
        QVERIFY(std::fabs(y - survey.corner[cornerIndex[c] + 1]) < 1e-6);
    }
    for (float line = float(std::min(firstLine, lastLine)); line <= float(std::max(firstLine, lastLine)); line += 7.0f) {
        for (float trace = 2000.0f; trace <= 2100.0f; trace += 13.0f) {
            double x = 0, y = 0, lineBack = 0, traceBack = 0;
            intorw_(&one, &line, &trace, &x, &y, &status);
            QCOMPARE(status, 0);
            rwtoin_(&one, &x, &y, &lineBack, &traceBack, &status);
            QCOMPARE(status, 0);
            QVERIFY2(std::fabs(lineBack - line) <= 1e-9 * std::fabs(line), qPrintable(QString::number(lineBack, 'g', 17)));
            QVERIFY(std::fabs(traceBack - trace) <= 1e-9 * std::fabs(trace));
        }
    }
    int fl = 0, ft = 0, ll = 0, lt = 0, type = 3;
    srvbnd_(&type, &fl, &ft, &ll, &lt, &status);
    QCOMPARE(status, 0);
    QCOMPARE(fl, int(std::min(firstLine, lastLine)));
    QCOMPARE(ll, int(std::max(firstLine, lastLine)));
    QCOMPARE(ft, 2000);
    QCOMPARE(lt, 2100);
    endSurvey();
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitSeismic::horizonGrid()
{
    QVERIFY(openSurvey("Grid"));
    int fl = 0, ft = 0, ll = 0, lt = 0, type = 3, status = -1, handle = 0, horizonId = 0;
    const int one = 1, two = 2, readMode = 1, writeMode = 0;
    srvbnd_(&type, &fl, &ft, &ll, &lt, &status);
    const float null = 1.0e37f;
    float buffer[4] = {};
    const int row = 2;
    hrzrw_(&one, &readMode, &status, &fl, &fl, &ft, &ft, buffer, &row);
    QCOMPARE(status, 2); // subsystem not open
    hrzopn_(&status, "Grid", &fl, &ll, &ft, &lt, &null, &handle);
    QCOMPARE(status, 0);
    hrzcrt_(&one, &horizonId, &status);
    QCOMPARE(status, 0);
    const float noMin = 3.40282347e38f, noMax = 1.17549435e-38f;
    const char block[12] = {};
    hrzhdr_plus_(&horizonId, &two, "Test Horizon", "LGC", "TIME_STRUCTURE", "UNKNOWN", &one, &noMin, &noMax, block,
                 &status);
    QCOMPARE(status, 0);
    // Write a 2 x 2 window, one node null.
    const int l0 = 12, l1 = 13, t0 = 104, t1 = 105;
    float window[4] = {500.0f, 1.0e37f, 510.5f, 520.25f};
    hrzrw_(&horizonId, &writeMode, &status, &l0, &l1, &t0, &t1, window, &row);
    QCOMPARE(status, 0);
    const int outside = lt + 1;
    hrzrw_(&horizonId, &writeMode, &status, &l0, &l1, &t0, &outside, window, &row);
    QCOMPARE(status, 4);
    const int badId = 987654;
    hrzrw_(&badId, &readMode, &status, &l0, &l1, &t0, &t1, window, &row);
    QCOMPARE(status, 1);
    const int columns = lt - ft + 1;
    std::vector<float> grid(static_cast<size_t>(columns) * (ll - fl + 1), 0.0f);
    hrzrw_(&horizonId, &readMode, &status, &fl, &ll, &ft, &lt, grid.data(), &columns);
    QCOMPARE(status, 0);
    int written = 0, missing = 0;
    for (int line = fl; line <= ll; ++line) {
        for (int trace = ft; trace <= lt; ++trace) {
            const float v = grid[static_cast<size_t>(line - fl) * columns + (trace - ft)];
            if (v == null) {
                ++missing;
                continue;
            }
            ++written;
            const float expected = window[(line - l0) * 2 + (trace - t0)];
            QCOMPARE(v, expected);
        }
    }
    QCOMPARE(written, 3);
    QCOMPARE(missing, columns * (ll - fl + 1) - 3);
    hrzcls_(&status);
    endSurvey();
    QCOMPARE(gdiCommit(), 0);

    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = horizonId;
    QCOMPARE(gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog), 0);
    QCOMPARE(QByteArray(catalog.name), QByteArray("Test Horizon"));
    QCOMPARE(QByteArray(catalog.domain), QByteArray("TIME"));
    int count = 0;
    void* list = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_HORIZON_CATALOG, &catalog, GDI_CLASS_HORIZON_DATA, &count, &list), 0);
    QCOMPARE(count, 1);
    const auto* data = static_cast<gdiHorizonData_t*>(list);
    QCOMPARE(data->gridId, horizonId);
    QCOMPARE(data->dataMin, 500.0);
    QCOMPARE(data->dataMax, 520.25);
    QCOMPARE(gdiRelease(GDI_CLASS_HORIZON_DATA, count, list), 0);
}

void TestOwDevkitSeismic::horizonDepthUnits()
{
    // A feet value handed over in a metric project is stored in meters and
    // read back in the project's unit after the subsystem is reopened.
    QVERIFY(openSurvey("Grid"));
    int fl = 0, ft = 0, ll = 0, lt = 0, type = 3, status = -1, handle = 0, horizonId = 0;
    const int one = 1, two = 2, readMode = 1, writeMode = 0, row = 1;
    srvbnd_(&type, &fl, &ft, &ll, &lt, &status);
    const float null = 1.0e37f;
    hrzopn_(&status, "Grid", &fl, &ll, &ft, &lt, &null, &handle);
    hrzcrt_(&one, &horizonId, &status);
    const float noMin = 3.40282347e38f, noMax = 1.17549435e-38f;
    const char block[12] = {};
    hrzhdr_plus_(&horizonId, &two, "Depth Horizon", "LGC", "DEPTH_STRUCTURE", "UNKNOWN", &one, &noMin, &noMax, block,
                 &status);
    QCOMPARE(gdiSetMeasSystemUnitIdForType(1001, 2), 0);
    float value = 1000.0f;
    hrzrw_(&horizonId, &writeMode, &status, &fl, &fl, &ft, &ft, &value, &row);
    QCOMPARE(status, 0);
    hrzcls_(&status);
    hrzopn_(&status, "Grid", &fl, &ll, &ft, &lt, &null, &handle);
    float back = 0.0f;
    hrzrw_(&horizonId, &readMode, &status, &fl, &fl, &ft, &ft, &back, &row);
    QCOMPARE(status, 0);
    QVERIFY(std::fabs(back - 304.8f) < 1e-3f);
    hrzdel_(&horizonId, &status);
    QCOMPARE(status, 0);
    hrzrw_(&horizonId, &readMode, &status, &fl, &fl, &ft, &ft, &back, &row);
    QCOMPARE(status, 1);
    hrzcls_(&status);
    endSurvey();
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitSeismic::injectedStatusReachesTraceCall()
{
    OhnoAddErrorHandler(recordingHandler);
    QVERIFY(openSurvey("Grid"));
    char fileName[DM3D_FILE_NAME_SIZE];
    int status = -1;
    dm3dgetnamefromkeys_("Sparse", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 0);
    dm3dControlBlock_t cb{};
    const int read = 1, one = 1, zero = 0, last = 37;
    dm3dop_(fileName, &cb, &read, &status);
    QCOMPARE(status, 0);
    owsim::injectStatus("dm3dtr_", 3, 7);
    std::vector<float> trace(37);
    const float noScale = 0.0f;
    int flags = 0, y = 1; // line 10
    std::vector<int> statuses;
    for (int x = 2; x <= 6; ++x) { // traces 101 to 105
        dm3dtr_(&cb, &x, &y, &one, &last, &one, &zero, trace.data(), &noScale, &status, &flags);
        statuses.push_back(status);
    }
    QCOMPARE(statuses, (std::vector<int>{1, 0, 7, 1, 0})); // 101 and 104 are absent traces
    QCOMPARE(g_lastHandlerCode, 7);
    QCOMPARE(owsim::callCount("dm3dtr_"), 5);
    dm3dcl_(&cb, &zero, &status);
    endSurvey();
    OhnoAddErrorHandler(nullptr);
}

QTEST_GUILESS_MAIN(TestOwDevkitSeismic)
#include "tst_owdevkit_seismic.moc"
