// The survey import against the survey grid: for surveys with rising and
// falling lines and traces, "TRACE" and other orientations, sparse data sets,
// rotated and real surveys, every imported trace, located through the
// volume's bloc space (its line and trace number, its map position), equals
// the source trace at that line and trace read with segyio. Also the question
// asked for project units the host does not know.

#include "owdevkit.h"
#include "owsim.h"
#include "segytestfile.h"
#include "surveygridchecks.h"
#include "testenvironment.h"
#include "zrexchangecontext.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>
#include <cstring>

namespace
{
const char* const kDistrict = "Grid";
const char* const kProject = "GRID";
const char* const kUnitsProject = "UNITS";

template <size_t N>
void setText(char (&field)[N], const QByteArray& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.constData(), std::min<size_t>(N - 1, size_t(text.size())));
}

/// A survey seeded through the DevKit calls: its lines and traces in its
/// own order (first may be the larger number), its corners where its
/// orientation keyword puts them, and one data set written along its grid.
struct SeededSurvey
{
    QByteArray name;
    QByteArray orientation;
    int firstLine;
    int lastLine;
    int firstTrace;
    int lastTrace;
    double angleDegrees;
    bool sparse;

    int lineCount() const { return std::abs(lastLine - firstLine) + 1; }
    int traceCount() const { return std::abs(lastTrace - firstTrace) + 1; }
    void map(double line, double trace, double* x, double* y) const
    {
        const double a = angleDegrees * M_PI / 180.0;
        const double i = std::fabs(trace - firstTrace) * 12.5, j = std::fabs(line - firstLine) * 25.0;
        *x = 610000.0 + i * std::cos(a) - j * std::sin(a);
        *y = 6720000.0 + i * std::sin(a) + j * std::cos(a);
    }
    bool present(int line, int trace) const { return !sparse || (line + 2 * trace) % 5 != 0; }
};

float seededSample(int line, int trace, int s)
{
    return float(line) * 100.0f + float(trace) + float(s) * 0.125f;
}

/// Adds the survey, creates its data set over the whole grid and writes
/// every present trace at grid (x, y): y counts lines from the first line and
/// x traces from the first trace ("TRACE"), the other way round otherwise.
bool seed(const SeededSurvey& plan, QString* error)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    setText(survey.name, plan.name);
    setText(survey.orientation, plan.orientation);
    survey.firstLine = plan.firstLine;
    survey.lastLine = plan.lastLine;
    survey.firstTrace = plan.firstTrace;
    survey.lastTrace = plan.lastTrace;
    survey.lineCount = plan.lineCount();
    survey.traceCount = plan.traceCount();
    const bool traceOrientation = plan.orientation == "TRACE";
    plan.map(plan.firstLine, plan.firstTrace, &survey.corner[0], &survey.corner[1]);
    plan.map(plan.lastLine, plan.lastTrace, &survey.corner[4], &survey.corner[5]);
    plan.map(traceOrientation ? plan.lastLine : plan.firstLine, traceOrientation ? plan.firstTrace : plan.lastTrace,
             &survey.corner[2], &survey.corner[3]);
    plan.map(traceOrientation ? plan.firstLine : plan.lastLine, traceOrientation ? plan.lastTrace : plan.firstTrace,
             &survey.corner[6], &survey.corner[7]);
    int status = gdiAdd(GDI_CLASS_3D_SURVEY, &survey);
    int type = 3;
    const int length = plan.name.size(), write = 3, one = 1, zero = 0, samples = 24;
    if (status == 0)
        prjin2_(&status, &type, plan.name.constData(), &length);
    dm3dControlBlock_t cb{};
    cb.firstX = 1;
    cb.lastX = traceOrientation ? plan.traceCount() : plan.lineCount();
    cb.firstY = 1;
    cb.lastY = traceOrientation ? plan.lineCount() : plan.traceCount();
    cb.verticalStart = 200.0f;
    cb.sampleInterval = 4.0f;
    cb.verticalEnd = 200.0f + 4.0f * samples;
    cb.domain = 1;
    char fileName[DM3D_FILE_NAME_SIZE] = {};
    if (status == 0)
        dm3d_crt_ds_(plan.name.constData(), "UNKNOWN", &cb, fileName, &status);
    if (status == 0)
        dm3dop_(fileName, &cb, &write, &status);
    std::vector<float> trace(samples);
    const float noScale = 0.0f;
    int flags = 0;
    const int lineStep = plan.lastLine >= plan.firstLine ? 1 : -1;
    const int traceStep = plan.lastTrace >= plan.firstTrace ? 1 : -1;
    for (int y = cb.firstY; y <= cb.lastY && status == 0; ++y) {
        for (int x = cb.firstX; x <= cb.lastX && status == 0; ++x) {
            const int line = plan.firstLine + lineStep * ((traceOrientation ? y : x) - 1);
            const int traceNumber = plan.firstTrace + traceStep * ((traceOrientation ? x : y) - 1);
            if (!plan.present(line, traceNumber))
                continue;
            for (int s = 0; s < samples; ++s)
                trace[size_t(s)] = seededSample(line, traceNumber, s);
            dm3dtr_(&cb, &x, &y, &one, &samples, &one, &zero, trace.data(), &noScale, &status, &flags);
        }
    }
    int closeStatus = 0;
    dm3dcl_(&cb, &zero, &closeStatus);
    prjend_(&type, &zero);
    if (status != 0 || closeStatus != 0 || gdiCommit() != 0) {
        gdiRollback();
        *error = QString("cannot seed %1 (status %2)").arg(QString(plan.name)).arg(status);
        return false;
    }
    return true;
}

const SeededSurvey kSeeded[] = {
    {"Swapped Lines 3D", "TRACE", 300, 260, 10, 30, 120.0, true},
    {"Line Falling Traces 3D", "LINE", 1, 15, 60, 40, -60.0, false},
    {"Line Rising 3D", "LINE", 7, 21, 5, 30, 15.0, true},
};
} // namespace

class TestSurveyGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void tracesWhereTheBlocSpaceSays_data();
    void tracesWhereTheBlocSpaceSays();
    void unsupportedProjectUnit_data();
    void unsupportedProjectUnit();
    void declinedUnitEndsTheImport();

private:
    bool openProject(const char* project);
    SurveyImportRequest requestFor(const QString& survey, const QString& dataSet, gdiSeismicDataSet_t* record);
    QString volumeFolder() const { return m_project->directoryForType(ZRProject::VolumeType); }
    QString dataFolder() const { return m_env->openWorksHome() + "/" + kDistrict + "/data"; }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ZRProject> m_project;
    QString m_segyFolder;
};

void TestSurveyGrid::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    const std::string home = m_env->openWorksHome().toStdString();
    std::string error;
    bool seeded = false;
    QVERIFY2(owsim::seedDemo(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &seeded, &error),
             error.c_str());

    // Surveys loaded from SEG-Y files: a real one and a rotated one with
    // increments, made here.
    m_segyFolder = m_env->makeFolder("segy");
    const QString f3 = TestEnvironment::sharedDataPath() + "/segy/f3.sgy";
    QVERIFY2(owsim::loadSegy(home, kDistrict, kProject, f3.toStdString(), "F3 Crop", "F3 Time", "TIME", &error),
             error.c_str());
    segytest::FileSetup rotated;
    rotated.format = 1;
    rotated.samples = 30;
    rotated.delay = 250;
    rotated.firstLine = 20;
    rotated.lineStep = 2;
    rotated.lines = 10;
    rotated.firstTrace = 500;
    rotated.traceStep = 3;
    rotated.traces = 12;
    rotated.angleDegrees = 37.0;
    QString message;
    QVERIFY2(segytest::write(m_segyFolder + "/rotated.sgy", rotated, &message), qPrintable(message));
    QVERIFY2(owsim::loadSegy(home, kDistrict, kProject, (m_segyFolder + "/rotated.sgy").toStdString(), "Rotated 3D",
                             "Rotated", "TIME", &error),
             error.c_str());

    // A project whose time and depth units the host does not know.
    QVERIFY2(owsim::createProject(home, kDistrict, kUnitsProject, owsim::MeasurementSystem::Metric,
                                  {{OW_UNIT_TYPE_SEISMIC_TIME, OW_UNIT_MICROSECONDS}, {OW_UNIT_TYPE_DEPTH, OW_UNIT_FATHOMS}},
                                  &error),
             error.c_str());
    segytest::FileSetup timeFile;
    timeFile.delay = 100;
    timeFile.intervalMicroseconds = 2000;
    QVERIFY(segytest::write(m_segyFolder + "/time.sgy", timeFile, &message));
    QVERIFY2(owsim::loadSegy(home, kDistrict, kUnitsProject, (m_segyFolder + "/time.sgy").toStdString(),
                             "Units Time 3D", "Units Time", "TIME", &error),
             error.c_str());
    segytest::FileSetup depthFile;
    depthFile.delay = 500;
    depthFile.intervalMicroseconds = 5000; // 5 m
    QVERIFY(segytest::write(m_segyFolder + "/depth.sgy", depthFile, &message));
    QVERIFY2(owsim::loadSegy(home, kDistrict, kUnitsProject, (m_segyFolder + "/depth.sgy").toStdString(),
                             "Units Depth 3D", "Units Depth", "DEPTH", &error),
             error.c_str());

    QString hostError;
    const QString hostFolder = m_env->makeFolder("host");
    QVERIFY2(ZRProject::createEmptyProject(hostFolder, "Host", &hostError), qPrintable(hostError));
    m_project = std::make_unique<ZRProject>(QDir(hostFolder).filePath("Host"));
    QVERIFY(QDir().mkpath(volumeFolder()));

    QCOMPARE(owinit(), 0);
    QCOMPARE(gdiInit(), 0);
    QCOMPARE(prjSetSysDistrict(kDistrict), 0);
    QVERIFY(openProject(kProject));
    for (const SeededSurvey& plan : kSeeded)
        QVERIFY2(seed(plan, &message), qPrintable(message));
}

void TestSurveyGrid::init()
{
    QDir folder(volumeFolder());
    for (const QString& name : folder.entryList(QDir::Files))
        QVERIFY(folder.remove(name));
}

void TestSurveyGrid::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

bool TestSurveyGrid::openProject(const char* project)
{
    int status = -1;
    prjOpen(project, 0, &status);
    return status == 0 || status == PRJ_ALREADY_OPEN;
}

SurveyImportRequest TestSurveyGrid::requestFor(const QString& survey, const QString& dataSet,
                                               gdiSeismicDataSet_t* record)
{
    SurveyImportRequest request;
    gdi3dSurvey_t surveyRecord;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &surveyRecord);
    setText(surveyRecord.name, survey.toLatin1());
    if (gdiRead(GDI_CLASS_3D_SURVEY, &surveyRecord) != 0)
        return request;
    int count = 0;
    void* list = nullptr;
    if (gdiReadSubset(GDI_CLASS_3D_SURVEY, &surveyRecord, GDI_CLASS_SEISMIC_DATA_SET, &count, &list) != 0)
        return request;
    for (int n = 0; n < count; ++n) {
        const auto* candidate = static_cast<const gdiSeismicDataSet_t*>(list) + n;
        if (QString::fromLatin1(candidate->name) == dataSet) {
            *record = *candidate;
            request.survey = survey;
            request.sdsName = dataSet;
            request.fileName = QString::fromLatin1(candidate->fileName);
            request.domain = QString::fromLatin1(candidate->domain);
            request.units = QString::fromLatin1(candidate->unit);
            request.seismicDataSetId = candidate->id;
        }
    }
    gdiRelease(GDI_CLASS_SEISMIC_DATA_SET, count, list);
    return request;
}

void TestSurveyGrid::tracesWhereTheBlocSpaceSays_data()
{
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QString>("sourceFile"); // "" = the data set's own file
    QTest::addColumn<int>("sourceFormat");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("TRACE, rising (demo, time)") << "North Sea 3D" << "NS Time Full" << QString() << 5 << 0.011;
    QTest::newRow("TRACE, rising (demo, depth)") << "North Sea 3D" << "NS Depth" << QString() << 5 << 0.011;
    QTest::newRow("LINE, falling lines, sparse (demo)")
        << "Dome Ridge 3D" << "Dome Time Sparse" << QString() << 5 << 0.011;
    QTest::newRow("TRACE, first line above the last, rotated, sparse")
        << "Swapped Lines 3D" << "Swapped Lines 3D" << QString() << 5 << 0.011;
    QTest::newRow("LINE, falling traces") << "Line Falling Traces 3D" << "Line Falling Traces 3D" << QString() << 5
                                          << 0.011;
    QTest::newRow("LINE, rising, sparse") << "Line Rising 3D" << "Line Rising 3D" << QString() << 5 << 0.011;
    QTest::newRow("rotated, increments 2 and 3 (loaded SEG-Y)") << "Rotated 3D" << "Rotated" << "rotated" << 1 << 0.011;
    QTest::newRow("real survey (loaded F3 crop)") << "F3 Crop" << "F3 Time" << "f3" << 3 << 0.1;
}

void TestSurveyGrid::tracesWhereTheBlocSpaceSays()
{
    QFETCH(QString, survey);
    QFETCH(QString, dataSet);
    QFETCH(QString, sourceFile);
    QFETCH(int, sourceFormat);
    QFETCH(double, tolerance);
    QVERIFY(openProject(kProject));
    gdiSeismicDataSet_t record{};
    const SurveyImportRequest request = requestFor(survey, dataSet, &record);
    QVERIFY(!request.survey.isEmpty());

    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = m_project.get();
    context.ui = &ui;
    QCOMPARE(importSurveys(context, {request}), 1);
    for (const ZRScriptedExchangeUi::Message& message : ui.messages)
        QFAIL(qPrintable(message.title + ": " + message.text));

    // The source: the SEG-Y file the data set was loaded from, or the data
    // set's own file, read by segyio.
    segytest::Layout layout;
    layout.format = sourceFormat;
    layout.samples = record.sampleCount;
    QString path;
    if (sourceFile == "f3") {
        path = TestEnvironment::sharedDataPath() + "/segy/f3.sgy";
    } else if (!sourceFile.isEmpty()) {
        path = m_segyFolder + "/" + sourceFile + ".sgy";
    } else {
        path = dataFolder() + "/" + request.fileName;
        layout.codeZeroIsAbsent = true;
    }
    segytest::Reader source;
    QString error;
    QVERIFY2(source.load(path, layout, &error), qPrintable(error));
    int live = 0;
    for (const segytest::Trace& trace : source.traces())
        live += trace.identification == 2 || (layout.codeZeroIsAbsent && trace.identification == 0) ? 0 : 1;

    VolumeFile volume;
    VolumeMatrices matrices;
    const QString volumePath = volumeFolder() + "/" + dataSet;
    QVERIFY2(volume.load(volumePath, &error), qPrintable(error));
    QVERIFY2(matrices.load(volumePath, &error), qPrintable(error));
    int compared = 0;
    const QString difference = compareAtBlocSpacePositions(volume, &matrices, [&](int line, int trace) {
        SourceTrace found;
        if (const segytest::Trace* t = source.at(line, trace)) {
            found.samples = &t->values;
            found.hasPosition = true;
            found.x = t->x;
            found.y = t->y;
        }
        return found;
    }, tolerance, &compared);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // Every source trace was found once: the grid holds them all.
    QCOMPARE(compared, live);

    // The vertical axis: sample j at the delay + j intervals (milliseconds or metres).
    double first[3], second[3];
    VolumeMatrices::map(matrices.survey, 0, 0, 0, first);
    VolumeMatrices::map(matrices.survey, 0, 1, 0, second);
    QVERIFY(std::fabs(first[1] - record.verticalStart) < 1e-9);
    QVERIFY(std::fabs(second[1] - first[1] - record.sampleInterval) < 1e-9);
    if (!sourceFile.isEmpty()) {
        const segytest::Trace& head = source.traces().first();
        const double delay = head.delayScalar < 0 ? double(head.delay) / -head.delayScalar
                                                  : double(head.delay) * std::max(1, head.delayScalar);
        QCOMPARE(first[1], delay);
        QCOMPARE(second[1] - first[1], segytest::binaryHeaderU16(path, 3217) / 1000.0);
    }
}

void TestSurveyGrid::unsupportedProjectUnit_data()
{
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QString>("unitName");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("initialUnit");
    QTest::addColumn<QString>("verticalUnit");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("precision");
    QTest::newRow("microseconds as seconds") << "Units Time 3D" << "Units Time" << "microseconds" << 3 << "Second"
                                             << "Millisecond" << 100.0 << 2.0 << 1e-9;
    QTest::newRow("microseconds as milliseconds") << "Units Time 3D" << "Units Time" << "microseconds" << 2
                                                  << "Millisecond" << "Millisecond" << 100.0 << 2.0 << 1e-9;
    // Depths pass through the control block's floats in fathoms.
    QTest::newRow("fathoms as feet") << "Units Depth 3D" << "Units Depth" << "fathoms" << 1 << "Foot" << "Meter"
                                     << 500.0 << 5.0 << 1e-4;
}

void TestSurveyGrid::unsupportedProjectUnit()
{
    QFETCH(QString, survey);
    QFETCH(QString, dataSet);
    QFETCH(QString, unitName);
    QFETCH(int, answer);
    QFETCH(QString, initialUnit);
    QFETCH(QString, verticalUnit);
    QFETCH(double, start);
    QFETCH(double, interval);
    QFETCH(double, precision);
    QVERIFY(openProject(kUnitsProject));
    int status = -1;
    QCOMPARE(QString(untGetUnitName(unitName == "fathoms" ? OW_UNIT_FATHOMS : OW_UNIT_MICROSECONDS, &status)),
             unitName);
    gdiSeismicDataSet_t record{};
    const SurveyImportRequest request = requestFor(survey, dataSet, &record);
    QVERIFY(!request.survey.isEmpty());
    // The record holds the project's unit: not milliseconds or metres.
    QVERIFY(std::fabs(record.verticalStart - start) > 1.0);

    ZRScriptedExchangeUi ui;
    ui.unitAnswers.enqueue(answer);
    ZRExchangeContext context;
    context.project = m_project.get();
    context.ui = &ui;
    QCOMPARE(importSurveys(context, {request}), 1);
    QCOMPARE(ui.unitQuestions,
             QStringList{QStringLiteral("Unit <b>%1</b> is not supported by Velostrat. Please select the unit you want "
                                        "to convert it to.")
                             .arg(unitName)});
    QCOMPARE(ui.messages.size(), 0);
    VolumeFile volume;
    VolumeMatrices matrices;
    QString error;
    const QString path = volumeFolder() + "/" + dataSet;
    QVERIFY2(volume.load(path, &error), qPrintable(error));
    QVERIFY(matrices.load(path, &error));
    QCOMPARE(volume.initialVerticalUnit, initialUnit);
    QCOMPARE(volume.verticalUnit, verticalUnit);
    // The DevKit converted the numbers to milliseconds or metres.
    double first[3], second[3];
    VolumeMatrices::map(matrices.survey, 0, 0, 0, first);
    VolumeMatrices::map(matrices.survey, 0, 1, 0, second);
    QVERIFY2(std::fabs(first[1] - start) <= precision * start, qPrintable(QString::number(first[1], 'g', 17)));
    QVERIFY2(std::fabs(second[1] - first[1] - interval) <= precision * start,
             qPrintable(QString::number(second[1] - first[1], 'g', 17)));
    // And the samples are those of the file.
    segytest::Layout layout;
    layout.samples = record.sampleCount;
    segytest::Reader source;
    QVERIFY(source.load(m_segyFolder + (dataSet == "Units Time" ? "/time.sgy" : "/depth.sgy"), layout, &error));
    const QString difference = compareAtBlocSpacePositions(volume, &matrices, [&](int line, int trace) {
        SourceTrace found;
        if (const segytest::Trace* t = source.at(line, trace)) {
            found.samples = &t->values;
            found.hasPosition = true;
            found.x = t->x;
            found.y = t->y;
        }
        return found;
    }, 0.011);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestSurveyGrid::declinedUnitEndsTheImport()
{
    QVERIFY(openProject(kUnitsProject));
    gdiSeismicDataSet_t timeRecord{}, depthRecord{};
    const SurveyImportRequest time = requestFor("Units Time 3D", "Units Time", &timeRecord);
    const SurveyImportRequest depth = requestFor("Units Depth 3D", "Units Depth", &depthRecord);
    QVERIFY(!time.survey.isEmpty() && !depth.survey.isEmpty());
    ZRExchangeContext context;
    context.project = m_project.get();
    for (int accepted = 0; accepted < 2; ++accepted) {
        // Declining the first question (time) or the second (depth, after the
        // time unit was accepted) ends the import before any volume is made.
        ZRScriptedExchangeUi ui;
        if (accepted == 1)
            ui.unitAnswers.enqueue(2);
        context.ui = &ui;
        QCOMPARE(importSurveys(context, {time, depth}), 0);
        QCOMPARE(ui.unitQuestions.size(), accepted + 1);
        QVERIFY(ui.unitQuestions.last().startsWith(accepted ? "Unit <b>fathoms</b>" : "Unit <b>microseconds</b>"));
        QCOMPARE(ui.messages.size(), 0);
        QCOMPARE(QDir(volumeFolder()).entryList(QDir::Files), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestSurveyGrid)
#include "tst_surveygrid.moc"
