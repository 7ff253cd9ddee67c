// The OpenWorks DevKit contract: the calls, statuses and conventions the data
// link relies on, exercised through owdevkit.h alone, so that the same suite
// checks the stand-in and a real DevKit. Everything it writes it creates
// itself under names of its own and removes again (rollback, or delete and
// commit).

#include "contractproject.h"
#include "owdevkit.h"
#include "testenvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
template <size_t N>
void setText(char (&field)[N], const QByteArray& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.constData(), std::min<size_t>(N - 1, size_t(text.size())));
}

const int kFirstLine = 10, kLastLine = 17, kFirstTrace = 100, kLastTrace = 112;

/// A "TRACE" survey of lines 10..17 and traces 100..112, 25 m by 12.5 m,
/// rotated by 30 degrees.
void makeSurvey(gdi3dSurvey_t* survey, const QByteArray& name)
{
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, survey);
    setText(survey->name, name);
    setText(survey->orientation, "TRACE");
    survey->firstLine = kFirstLine;
    survey->lastLine = kLastLine;
    survey->firstTrace = kFirstTrace;
    survey->lastTrace = kLastTrace;
    survey->lineCount = kLastLine - kFirstLine + 1;
    survey->traceCount = kLastTrace - kFirstTrace + 1;
    const double a = M_PI / 6.0;
    const auto at = [&](double line, double trace, double* x, double* y) {
        const double i = (trace - kFirstTrace) * 12.5, j = (line - kFirstLine) * 25.0;
        *x = 400000.0 + i * std::cos(a) - j * std::sin(a);
        *y = 6500000.0 + i * std::sin(a) + j * std::cos(a);
    };
    at(kFirstLine, kFirstTrace, &survey->corner[0], &survey->corner[1]);
    at(kLastLine, kFirstTrace, &survey->corner[2], &survey->corner[3]);
    at(kLastLine, kLastTrace, &survey->corner[4], &survey->corner[5]);
    at(kFirstLine, kLastTrace, &survey->corner[6], &survey->corner[7]);
}

bool startSurvey(const QByteArray& name)
{
    int status = -1, type = 3;
    const int length = name.size();
    prjin2_(&status, &type, name.constData(), &length);
    return status == 0;
}

void endSurvey()
{
    const int type = 3, zero = 0;
    prjend_(&type, &zero);
}

float sampleOf(int line, int trace, int s)
{
    return float(line * 1000 + trace) + float(s) * 0.25f;
}
} // namespace

class TestDevkitContract : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void sessionAndStatuses();
    void recordRoundTrip();
    void setsSubsetsAndVectors();
    void units();
    void seismicWriteAndReadBack();
    void horizons();

private:
    QByteArray uniqueName(const char* what) const;
    /// Adds and commits a survey of its own (removed again by cleanup()).
    bool addSurvey(const QByteArray& name, gdi3dSurvey_t* survey);

    std::unique_ptr<TestEnvironment> m_env;
    ContractProject m_project;
    QByteArray m_suffix;
    QList<QByteArray> m_surveys;
};

void TestDevkitContract::initTestCase()
{
    // A project named by the environment is a real one: keep its home.
    const QByteArray namedHome = qgetenv("OWHOME");
    m_project.district = qEnvironmentVariable("DEVKIT_CONTRACT_DISTRICT");
    m_project.project = qEnvironmentVariable("DEVKIT_CONTRACT_PROJECT");
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    if (!m_project.district.isEmpty() && !m_project.project.isEmpty()) {
        if (!namedHome.isEmpty())
            qputenv("OWHOME", namedHome);
        m_project.home = QString::fromLocal8Bit(namedHome);
    } else {
#ifdef DEVKIT_CONTRACT_STANDIN_FIXTURE
        QString error;
        QVERIFY2(makeStandInContractProject(&m_project, &error), qPrintable(error));
#else
        QSKIP("No OpenWorks project named: set OWHOME, DEVKIT_CONTRACT_DISTRICT and DEVKIT_CONTRACT_PROJECT");
#endif
    }
    m_suffix = QByteArray::number(QCoreApplication::applicationPid()) + " " +
               QByteArray::number(QDateTime::currentMSecsSinceEpoch() % 100000000);
    QCOMPARE(owinit(), 0);
    QCOMPARE(gdiInit(), 0);
    QCOMPARE(prjSetSysDistrict(m_project.district.toLocal8Bit().constData()), 0);
    char district[128] = {};
    QCOMPARE(prjGetSysDistrict(district, int(sizeof district)), 0);
    QCOMPARE(QString::fromLocal8Bit(district), m_project.district);
}

void TestDevkitContract::init()
{
    int status = -1;
    prjOpen(m_project.project.toLocal8Bit().constData(), 0, &status);
    QVERIFY2(status == 0 || status == PRJ_ALREADY_OPEN, qPrintable(QString::number(status)));
}

void TestDevkitContract::cleanup()
{
    endSurvey();
    int status = -1;
    prjOpen(m_project.project.toLocal8Bit().constData(), 0, &status); // a test may have closed it
    gdiRollback();
    for (const QByteArray& name : m_surveys) {
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        setText(survey.name, name);
        if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) == 0)
            gdiDelete(GDI_CLASS_3D_SURVEY, &survey);
    }
    if (!m_surveys.isEmpty())
        QCOMPARE(gdiCommit(), 0);
    m_surveys.clear();
}

void TestDevkitContract::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

QByteArray TestDevkitContract::uniqueName(const char* what) const
{
    return (QByteArray("Contract ") + what + " " + m_suffix).left(40);
}

bool TestDevkitContract::addSurvey(const QByteArray& name, gdi3dSurvey_t* survey)
{
    makeSurvey(survey, name);
    if (gdiAdd(GDI_CLASS_3D_SURVEY, survey) != 0)
        return false;
    m_surveys.append(name);
    return gdiCommit() == 0;
}

void TestDevkitContract::sessionAndStatuses()
{
    // The open project and its district.
    prjProject_t active;
    QCOMPARE(prjGetActive(&active), 0);
    QCOMPARE(QString::fromLocal8Bit(active.name), m_project.project);
    char* names = nullptr;
    int count = 0, status = -1;
    QCOMPARE(prjGetPrjs(&names, &count, &status), 0);
    bool listed = false;
    for (int n = 0; n < count; ++n)
        listed = listed || QString::fromLocal8Bit(names + 21 * n) == m_project.project;
    owfree(names);
    QVERIFY(listed);
    // Every status has a text; 0 has an empty one.
    for (int code : {GDI_NO_DATA, GDI_DUPLICATE, GDI_NO_PROJECT, GDI_KEY_NOT_SET})
        QVERIFY(gdiErrorMessage(code) != nullptr);

    // No records: 177600004 with a null list, never an error text the data
    // link shows.
    gdi3dSurvey_t survey;
    QVERIFY(addSurvey(uniqueName("empty"), &survey));
    void* list = reinterpret_cast<void*>(1);
    count = -1;
    QCOMPARE(gdiReadSubset(GDI_CLASS_3D_SURVEY, &survey, GDI_CLASS_SEISMIC_DATA_SET, &count, &list), 177600004);
    QCOMPARE(count, 0);
    QVERIFY(list == nullptr);
    QCOMPARE(gdiCountSubset(GDI_CLASS_3D_SURVEY, &survey, GDI_CLASS_SEISMIC_DATA_SET, &count), 0);
    QCOMPARE(count, 0);
    // A second survey of the same name: 277600018 (0x108BD712).
    gdi3dSurvey_t again;
    makeSurvey(&again, uniqueName("empty"));
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &again), 277600018);
    QCOMPARE(gdiRollback(), 0);
    // A record that is not there.
    gdi3dSurvey_t missing;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &missing);
    setText(missing.name, uniqueName("missing"));
    QVERIFY(gdiRead(GDI_CLASS_3D_SURVEY, &missing) != 0);
    QCOMPARE(gdiExists(GDI_CLASS_3D_SURVEY, &missing), 0);

    // Without an open project the record calls fail (and say so).
    QCOMPARE(prjClose(), 0);
    QVERIFY(prjGetActive(&active) != 0);
    count = 0;
    list = nullptr;
    const int noProject = gdiReadSet(GDI_CLASS_3D_SURVEY, &count, &list);
    QVERIFY(noProject != 0 && noProject != 177600004);
    QVERIFY(list == nullptr);
    prjOpen("NOT A PROJECT 12345", 0, &status);
    QVERIFY(status != 0);
}

void TestDevkitContract::recordRoundTrip()
{
    const QByteArray name = uniqueName("record");
    gdi3dSurvey_t survey;
    makeSurvey(&survey, name);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    QVERIFY(survey.id != 0);
    // Read back by name, in the same transaction.
    gdi3dSurvey_t read;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &read);
    setText(read.name, name);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &read), 0);
    QCOMPARE(read.id, survey.id);
    QCOMPARE(read.lastTrace, double(kLastTrace));
    QCOMPARE(read.corner[6], survey.corner[6]);
    // Rolled back: gone.
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(gdiExists(GDI_CLASS_3D_SURVEY, &read), 0);

    // Added and committed, updated, deleted.
    makeSurvey(&survey, name);
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    m_surveys.append(name);
    QCOMPARE(gdiCommit(), 0);
    QVERIFY(gdiExists(GDI_CLASS_3D_SURVEY, &read) != 0);
    setText(survey.remark, "updated by the contract suite");
    survey.lastTrace = kLastTrace + 10;
    survey.traceCount += 10;
    QCOMPARE(gdiUpdate(GDI_CLASS_3D_SURVEY, &survey), 0);
    QCOMPARE(gdiCommit(), 0);
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &read);
    setText(read.name, name);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &read), 0);
    QCOMPARE(read.lastTrace, double(kLastTrace + 10));
    QCOMPARE(QByteArray(read.remark), QByteArray("updated by the contract suite"));
    // An update rolled back leaves the committed record.
    read.lastTrace = 999;
    QCOMPARE(gdiUpdate(GDI_CLASS_3D_SURVEY, &read), 0);
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &read), 0);
    QCOMPARE(read.lastTrace, double(kLastTrace + 10));
    QCOMPARE(gdiDelete(GDI_CLASS_3D_SURVEY, &read), 0);
    QCOMPARE(gdiCommit(), 0);
    QCOMPARE(gdiExists(GDI_CLASS_3D_SURVEY, &read), 0);
    m_surveys.removeAll(name);
    // A copy from gdiCreateObject is a zeroed record, given back with gdiFree.
    auto* copy = static_cast<gdi3dSurvey_t*>(gdiCreateObject(GDI_CLASS_3D_SURVEY, 1));
    QVERIFY(copy);
    QCOMPARE(copy->id, 0);
    QCOMPARE(gdiFree(copy), 0);
}

void TestDevkitContract::setsSubsetsAndVectors()
{
    gdi3dSurvey_t survey;
    QVERIFY(addSurvey(uniqueName("sets"), &survey));
    for (const char* dataSetName : {"first", "second"}) {
        gdiSeismicDataSet_t dataSet;
        gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &dataSet);
        dataSet.surveyId = survey.id;
        setText(dataSet.name, dataSetName);
        setText(dataSet.domain, "TIME");
        QCOMPARE(gdiAdd(GDI_CLASS_SEISMIC_DATA_SET, &dataSet), 0);
    }
    int count = 0;
    void* list = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_3D_SURVEY, &survey, GDI_CLASS_SEISMIC_DATA_SET, &count, &list), 0);
    QCOMPARE(count, 2);
    QByteArrayList names;
    for (int n = 0; n < count; ++n)
        names.append(static_cast<gdiSeismicDataSet_t*>(list)[n].name);
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (QByteArrayList{"first", "second"}));
    QCOMPARE(gdiRelease(GDI_CLASS_SEISMIC_DATA_SET, count, list), 0);
    QCOMPARE(gdiCountSubset(GDI_CLASS_3D_SURVEY, &survey, GDI_CLASS_SEISMIC_DATA_SET, &count), 0);
    QCOMPARE(count, 2);
    QCOMPARE(gdiReadSet(GDI_CLASS_3D_SURVEY, &count, &list), 0);
    bool found = false;
    for (int n = 0; n < count; ++n)
        found = found || static_cast<gdi3dSurvey_t*>(list)[n].id == survey.id;
    QCOMPARE(gdiFree(list), 0);
    QVERIFY(found);

    // Vectors: a well's position log of five points.
    gdiWell_t well;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
    const QByteArray key = "CT" + QByteArray::number(QCoreApplication::applicationPid());
    setText(well.wellKey, key);
    setText(well.uwi, "UWI-" + key);
    setText(well.wellName, "Contract well");
    QCOMPARE(gdiAdd(GDI_CLASS_WELL, &well), 0);
    std::vector<float> md{0, 100, 200, 300, 400}, tvd{0, 99.5f, 198, 296.5f, 395}, dx(5, 1.5f), dy(5, -2.5f);
    gdiPositionLog_t log;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
    setText(log.wellKey, key);
    setText(log.name, "Contract survey");
    log.pointCount = 5;
    log.md = md.data();
    log.tvd = tvd.data();
    log.xDeviation = dx.data();
    log.yDeviation = dy.data();
    QCOMPARE(gdiAdd(GDI_CLASS_POSITION_LOG, &log), 0);
    QCOMPARE(gdiReadSubset(GDI_CLASS_WELL, &well, GDI_CLASS_POSITION_LOG, &count, &list), 0);
    QCOMPARE(count, 1);
    auto* read = static_cast<gdiPositionLog_t*>(list);
    QVERIFY(read->md == nullptr); // vectors come only with gdiReadVector
    QCOMPARE(gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, 13, 1), 0);
    QCOMPARE(gdiReadVector(GDI_CLASS_POSITION_LOG, read), 0);
    QVERIFY(read->tvd != nullptr);
    QCOMPARE(std::vector<float>(read->tvd, read->tvd + 5), tvd);
    QCOMPARE(gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, read), 0);
    QVERIFY(read->tvd == nullptr);
    QCOMPARE(gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, 13, 0), 0);
    QCOMPARE(gdiReadVector(GDI_CLASS_POSITION_LOG, read), 0);
    QCOMPARE(std::vector<float>(read->md, read->md + 5), md);
    QCOMPARE(gdiRelease(GDI_CLASS_POSITION_LOG, count, list), 0);
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(gdiExists(GDI_CLASS_WELL, &well), 0);
}

void TestDevkitContract::units()
{
    // Metres and feet, milliseconds and seconds, as the data link converts them.
    double values[2] = {1000.0, -304.8};
    const int two = 2, one = 1;
    int status = -1;
    QCOMPARE(untConvert(1, 2, &two, values, &status), 0);
    QCOMPARE(status, 0);
    QVERIFY(std::fabs(values[0] - 1000.0 / 0.3048) < 1e-9 && std::fabs(values[1] + 1000.0) < 1e-9);
    float times[1] = {2.5f};
    QCOMPARE(untConvertFloats(890, 348, &one, times, &status), 0);
    QCOMPARE(times[0], 2500.0f);
    double time = 5.0;
    QVERIFY(untConvert(1, 348, &one, &time, &status) != 0 || status != 0);
    QCOMPARE(time, 5.0);
    for (int unit : {1, 2, 348}) {
        const QByteArray name = untGetUnitName(unit, &status);
        QCOMPARE(status, 0);
        QVERIFY(!name.isEmpty());
        QCOMPARE(untGetUnitID(name.constData(), &status), unit);
        const QByteArray abbreviation = untGetUnitAbbr(unit, &status);
        QVERIFY(!abbreviation.isEmpty());
        QCOMPARE(untGetAbbrID(abbreviation.constData(), &status), unit);
    }
    QVERIFY(!QByteArray(untGetTypeName(167, &status)).isEmpty());
    // The project's units: a time unit for seismic time, a length unit for
    // depth and for the survey corners.
    int timeUnit = 0, depthUnit = 0, cornerUnit = 0;
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 167, &timeUnit), 0);
    QCOMPARE(gdiGetMeasSystemUnitIdForType(2, 1001, &depthUnit), 0);
    QCOMPARE(gdiGetMeasSystemUnitIdForField(1, GDI_CLASS_3D_SURVEY, 20, &cornerUnit), 0);
    double value = 1.0;
    QCOMPARE(untConvert(timeUnit, 348, &one, &value, &status), 0);
    value = 1.0;
    QCOMPARE(untConvert(depthUnit, 1, &one, &value, &status), 0);
    value = 1.0;
    QCOMPARE(untConvert(cornerUnit, 1, &one, &value, &status), 0);
}

void TestDevkitContract::seismicWriteAndReadBack()
{
    const QByteArray surveyName = uniqueName("seismic");
    gdi3dSurvey_t survey;
    QVERIFY(addSurvey(surveyName, &survey));
    QVERIFY(startSurvey(surveyName));
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    int status = -1;
    dm3dgetnamefromkeys_("Contract data", "UNKNOWN", fileName, &status);
    QVERIFY(status != 0); // not there yet
    // The grid of a "TRACE" survey: x counts traces from the first one, y lines.
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = kLastTrace - kFirstTrace + 1;
    cb.firstY = 1;
    cb.lastY = kLastLine - kFirstLine + 1;
    cb.verticalStart = 100.0f;
    cb.sampleInterval = 4.0f;
    const int samples = 25;
    cb.verticalEnd = 100.0f + 4.0f * samples;
    cb.domain = 1;
    cb.constants[0] = cb.constants[1] = 1;
    dm3d_crt_ds_("Contract data", "UNKNOWN", &cb, fileName, &status);
    QCOMPARE(status, 0);
    const int write = 3, read = 1, one = 1, zero = 0, two = 2;
    dm3dop_(fileName, &cb, &write, &status);
    QCOMPARE(status, 0);
    gdiSeismicDataSet_t dataSet;
    dm3dgetGdiStruct_(fileName, &dataSet, &status);
    QCOMPARE(status, 0);
    QCOMPARE(QByteArray(dataSet.name), QByteArray("Contract data"));
    char work[DM3D_WORK_BUFFER_SIZE];
    dm3dnx_(&cb, &two, &cb.firstX, &cb.lastX, &one, work, &status);
    QCOMPARE(status, 0);
    std::vector<float> trace(samples);
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = cb.firstY; y <= cb.lastY; ++y) {
        for (int x = cb.firstX; x <= cb.lastX; ++x) {
            for (int s = 0; s < samples; ++s)
                trace[size_t(s)] = sampleOf(kFirstLine + y - 1, kFirstTrace + x - 1, s);
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
            QCOMPARE(status, 0);
        }
    }
    dm3dcl_(&cb, &zero, &status);
    QCOMPARE(status, 0);
    QCOMPARE(gdiCommit(), 0);
    dm3dgetnamefromkeys_("Contract data", "UNKNOWN", fileName, &status);
    QCOMPARE(status, 0);

    dm3dControlBlock_t in{};
    dm3dop_(fileName, &in, &read, &status);
    QCOMPARE(status, 0);
    const int* words = reinterpret_cast<const int*>(&in);
    QCOMPARE(words[2], in.firstX);
    QCOMPARE(in.lastX - in.firstX, kLastTrace - kFirstTrace);
    QCOMPARE(in.lastY - in.firstY, kLastLine - kFirstLine);
    QCOMPARE(in.samplesPerTrace, samples);
    dm3dpf_(&in, &one, &status);
    QCOMPARE(status, 0);
    dm3dnx_(&in, &two, &words[2], &words[3], &one, work, &status);
    QCOMPARE(status, 0);
    for (int y = in.firstY; y <= in.lastY; ++y) {
        for (int x = in.firstX; x <= in.lastX; ++x) {
            dm3dtr_(&in, &x, &y, &in.firstSample, &in.lastSample, &one, &zero, trace.data(), &noScale, &status,
                    &flags);
            QCOMPARE(status, 0);
            for (int s = 0; s < samples; ++s)
                QCOMPARE(trace[size_t(s)], sampleOf(kFirstLine + y - in.firstY, kFirstTrace + x - in.firstX, s));
        }
    }
    const int outside = in.lastX + 1;
    dm3dtr_(&in, &outside, &in.firstY, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
    QVERIFY(status != 0);
    dm3dcl_(&in, &zero, &status);
    QCOMPARE(status, 0);
    // Deleted: neither the record nor the file name is known any more.
    dm3ddl_(fileName, &status);
    QCOMPARE(status, 0);
    QCOMPARE(gdiCommit(), 0);
    dm3dgetnamefromkeys_("Contract data", "UNKNOWN", fileName, &status);
    QVERIFY(status != 0);
    dm3dop_(fileName, &in, &read, &status);
    QVERIFY(status != 0);
    endSurvey();
}

void TestDevkitContract::horizons()
{
    const QByteArray surveyName = uniqueName("horizon");
    gdi3dSurvey_t survey;
    QVERIFY(addSurvey(surveyName, &survey));
    QVERIFY(startSurvey(surveyName));
    int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0, status = -1, type = 3, handle = 0;
    srvbnd_(&type, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
    QCOMPARE(status, 0);
    QCOMPARE(firstLine, kFirstLine);
    QCOMPARE(lastTrace, kLastTrace);
    // Map positions of the corners and back.
    const int one = 1, two = 2, writeMode = 0, readMode = 1;
    for (int line : {kFirstLine, kLastLine}) {
        for (int trace : {kFirstTrace, kLastTrace}) {
            const float lineValue = float(line), traceValue = float(trace);
            double x = 0, y = 0, lineBack = 0, traceBack = 0;
            intorw_(&one, &lineValue, &traceValue, &x, &y, &status);
            QCOMPARE(status, 0);
            const int corner = line == kFirstLine ? (trace == kFirstTrace ? 0 : 6) : (trace == kFirstTrace ? 2 : 4);
            QVERIFY(std::fabs(x - survey.corner[corner]) < 1e-6 && std::fabs(y - survey.corner[corner + 1]) < 1e-6);
            rwtoin_(&one, &x, &y, &lineBack, &traceBack, &status);
            QCOMPARE(status, 0);
            QVERIFY(std::fabs(lineBack - line) < 1e-6 && std::fabs(traceBack - trace) < 1e-6);
        }
    }
    const float null = 1.0e37f;
    hrzopn_(&status, surveyName.constData(), &firstLine, &lastLine, &firstTrace, &lastTrace, &null, &handle);
    QCOMPARE(status, 0);
    int horizonId = 0;
    hrzcrt_(&one, &horizonId, &status);
    QCOMPARE(status, 0);
    const float noMin = 3.40282347e38f, noMax = 1.17549435e-38f;
    const char block[12] = {};
    hrzhdr_plus_(&horizonId, &two, uniqueName("horizon").constData(), "LGC", "TIME_STRUCTURE", "UNKNOWN", &one, &noMin,
                 &noMax, block, &status);
    QCOMPARE(status, 0);
    const int l0 = 12, l1 = 13, t0 = 104, t1 = 105, row = 2;
    float window[4] = {500.0f, 1.0e37f, 510.5f, 520.25f};
    hrzrw_(&horizonId, &writeMode, &status, &l0, &l1, &t0, &t1, window, &row);
    QCOMPARE(status, 0);
    float back[4] = {};
    hrzrw_(&horizonId, &readMode, &status, &l0, &l1, &t0, &t1, back, &row);
    QCOMPARE(status, 0);
    QCOMPARE(back[0], 500.0f);
    QCOMPARE(back[1], null);
    QCOMPARE(back[3], 520.25f);
    hrzdel_(&horizonId, &status);
    QCOMPARE(status, 0);
    hrzcls_(&status);
    QCOMPARE(status, 0);
    endSurvey();
    QCOMPARE(gdiRollback(), 0);
}

QTEST_GUILESS_MAIN(TestDevkitContract)
#include "tst_devkitcontract.moc"
