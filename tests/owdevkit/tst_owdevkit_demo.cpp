// Districts, projects, fault injection and the seeded demo read back through
// the DevKit calls alone.

#include "owtestproject.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtTest>

namespace
{
std::vector<std::pair<int, std::string>> g_messages;
void collectingHandler(int* code, const char* text)
{
    g_messages.emplace_back(*code, text ? text : "");
}

template <typename T>
std::vector<T> readSet(int classId)
{
    int count = 0;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &count, &list);
    std::vector<T> records;
    if (status == 0)
        records.assign(static_cast<T*>(list), static_cast<T*>(list) + count);
    gdiFree(list);
    return records;
}

template <typename T, typename P>
std::vector<T> readSubset(int classId, const P& parent, int subsetClass, int* statusOut = nullptr)
{
    int count = 0;
    void* list = nullptr;
    const int status = gdiReadSubset(classId, &parent, subsetClass, &count, &list);
    if (statusOut)
        *statusOut = status;
    std::vector<T> records;
    if (status == 0)
        records.assign(static_cast<T*>(list), static_cast<T*>(list) + count);
    gdiRelease(subsetClass, count, list);
    return records;
}
} // namespace

class TestOwDevkitDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void districtsAndDirDat();
    void projectListAndOpenStatuses();
    void injectionRules();
    void seedIsIdempotent();
    void demoSurveysAndDataSets();
    void demoSeismicIsStructured();
    void demoHorizonsAndFaults();
    void demoWells();
    void demoSurfacesAndPicks();
    void loadExternalSegy_data();
    void loadExternalSegy();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::string m_home;
};

void TestOwDevkitDemo::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    m_home = m_env->openWorksHome().toStdString();
    bool already = true;
    std::string error;
    QVERIFY2(owsim::seedDemo(m_home, "Demo", "DEMO", owsim::MeasurementSystem::Metric, &already, &error),
             error.c_str());
    QVERIFY(!already);
    QVERIFY(owsim::createDistrict(m_home, "Empty", false, &error));
    QCOMPARE(owinit(), 0);
    QCOMPARE(gdiInit(), 0);
    OhnoAddErrorHandler(collectingHandler);
}

void TestOwDevkitDemo::cleanupTestCase()
{
    OhnoAddErrorHandler(nullptr);
    prjClose();
    gdiClose();
}

void TestOwDevkitDemo::districtsAndDirDat()
{
    lgcDistrictDef* definition = nullptr;
    QCOMPARE(lgc_getdistrict(&definition), 0);
    char** names = nullptr;
    QCOMPARE(getFindDistrictList(definition, &names), 0);
    QStringList districts;
    for (char** name = names; *name; ++name)
        districts << QString::fromLatin1(*name);
    QCOMPARE(getFreeDistrictDef(definition), 0);
    QCOMPARE(districts, (QStringList{"Demo", "Empty"}));

    char system[81];
    QCOMPARE(prjGetSysDistrict(system, sizeof(system)), 0);
    QCOMPARE(QByteArray(system), QByteArray("Demo")); // the first district seeded became the system district
    char path[1024];
    QCOMPARE(lgcGetPathFromDistrict("Demo", path, sizeof(path)), 0);
    QFile dirDat(QString::fromLocal8Bit(path) + "/dir.dat");
    QVERIFY(dirDat.open(QIODevice::ReadOnly));
    QString dataFolder;
    for (const QByteArray& raw : dirDat.readAll().split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        if (!line.startsWith('#') && line.endsWith("OTHER_FILES")) {
            dataFolder = line.section(' ', 0, 0);
            break;
        }
    }
    QVERIFY(QDir(dataFolder).exists());
    QVERIFY(lgcGetPathFromDistrict("Nowhere", path, sizeof(path)) != 0);
}

void TestOwDevkitDemo::projectListAndOpenStatuses()
{
    QCOMPARE(prjSetSysDistrict("Empty"), 0);
    char* names = nullptr;
    int count = -1, status = -1;
    prjGetPrjs(&names, &count, &status);
    QCOMPARE(status, 0);
    QCOMPARE(count, 0);
    owfree(names);
    QCOMPARE(prjSetSysDistrict("Demo"), 0);
    prjGetPrjs(&names, &count, &status);
    QCOMPARE(status, 0);
    QCOMPARE(count, 1);
    QCOMPARE(QByteArray(names, 21), QByteArray("DEMO").leftJustified(21, '\0'));
    owfree(names);

    g_messages.clear();
    prjOpen("NOPE", 0, &status);
    QCOMPARE(status, 217700701);
    QVERIFY(!g_messages.empty() && g_messages.back().first == 217700701);
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 0);
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 117700701);
    prjProject_t project;
    QCOMPARE(prjGetActive(&project), 0);
    QCOMPARE(QByteArray(project.name), QByteArray("DEMO"));
    char* interpreters = nullptr;
    QCOMPARE(prjGetIntrps(&interpreters, &count, &project), 0);
    QStringList list;
    for (int i = 0; i < count; ++i) {
        QCOMPARE(interpreters[6 * i + 5], '\0');
        list << QString::fromLatin1(interpreters + 6 * i);
    }
    owfree(interpreters);
    QVERIFY(list.contains("DEMO"));
    QVERIFY(list.contains("LGC"));
    QCOMPARE(prjClose(), 0);
    QCOMPARE(prjGetActive(&project), PRJ_NO_ACTIVE_PROJECT);
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 0);
}

void TestOwDevkitDemo::injectionRules()
{
    owsim::clearInjections();
    QVERIFY(!owsim::injectRules("prjOpen=1"));
    QVERIFY(!owsim::injectRules("prjOpen:0=5"));
    QVERIFY(owsim::injectRules("gdiReadSet:2=277600008; untGetUnitName:*=277600011"));
    int count = 0;
    void* list = nullptr;
    QCOMPARE(gdiReadSet(GDI_CLASS_3D_SURVEY, &count, &list), 0);
    gdiFree(list);
    g_messages.clear();
    list = nullptr;
    QCOMPARE(gdiReadSet(GDI_CLASS_3D_SURVEY, &count, &list), 277600008);
    QVERIFY(list == nullptr);
    QVERIFY(!g_messages.empty() && g_messages.back().first > 200000000);
    QCOMPARE(gdiReadSet(GDI_CLASS_3D_SURVEY, &count, &list), 0);
    gdiFree(list);
    int status = 0;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(QByteArray(untGetUnitName(1, &status)), QByteArray());
        QCOMPARE(status, 277600011);
    }
    owsim::clearInjections();
    QCOMPARE(QByteArray(untGetUnitName(1, &status)), QByteArray("meters"));
    QVERIFY(owsim::injectRules("prjOpen:1+=217700702"));
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 217700702);
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 217700702);
    owsim::clearInjections();
    prjClose();
    prjOpen("DEMO", 0, &status);
    QCOMPARE(status, 0);
}

void TestOwDevkitDemo::seedIsIdempotent()
{
    const int surveys = int(readSet<gdi3dSurvey_t>(GDI_CLASS_3D_SURVEY).size());
    bool already = false;
    std::string error;
    QVERIFY(owsim::seedDemo(m_home, "Demo", "DEMO", owsim::MeasurementSystem::Metric, &already, &error));
    QVERIFY(already);
    int status = -1;
    prjOpen("DEMO", 0, &status);
    QVERIFY(status == 0 || status == PRJ_ALREADY_OPEN);
    QCOMPARE(int(readSet<gdi3dSurvey_t>(GDI_CLASS_3D_SURVEY).size()), surveys);
}

void TestOwDevkitDemo::demoSurveysAndDataSets()
{
    const auto surveys = readSet<gdi3dSurvey_t>(GDI_CLASS_3D_SURVEY);
    QVERIFY(surveys.size() >= 3);
    bool traceSurvey = false, otherOrientation = false, descending = false, empty = false;
    QSet<QString> domains;
    for (const gdi3dSurvey_t& survey : surveys) {
        traceSurvey = traceSurvey || QByteArray(survey.orientation) == "TRACE";
        otherOrientation = otherOrientation || QByteArray(survey.orientation) != "TRACE";
        descending = descending || survey.firstLine > survey.lastLine;
        int status = 0;
        const auto dataSets = readSubset<gdiSeismicDataSet_t>(GDI_CLASS_3D_SURVEY, survey, GDI_CLASS_SEISMIC_DATA_SET,
                                                               &status);
        QVERIFY(status == 0 || status == GDI_NO_DATA);
        empty = empty || dataSets.empty();
        for (const gdiSeismicDataSet_t& dataSet : dataSets) {
            domains.insert(QString::fromLatin1(dataSet.domain));
            QCOMPARE(dataSet.surveyId, survey.id);
            QVERIFY(dataSet.dataMin < dataSet.dataMax);
        }
    }
    QVERIFY(traceSurvey && otherOrientation && descending && empty);
    QCOMPARE(domains, (QSet<QString>{"TIME", "DEPTH"}));
}

void TestOwDevkitDemo::demoSeismicIsStructured()
{
    // Along a line of the time data set the strongest event moves: the
    // layers are not flat (dome, fault), and the sparse set has gaps.
    for (const char* name : {"NS Time Full", "Dome Time Sparse"}) {
        gdiSeismicDataSet_t key;
        gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &key);
        setText(key.name, name);
        QCOMPARE(gdiRead(GDI_CLASS_SEISMIC_DATA_SET, &key), 0);
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        survey.id = key.surveyId;
        QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &survey), 0);
        int status = -1, type = 3;
        const int length = int(strlen(survey.name));
        prjin2_(&status, &type, survey.name, &length);
        QCOMPARE(status, 0);
        dm3dControlBlock_t cb{};
        const int read = 1, one = 1, zero = 0;
        dm3dop_(key.fileName, &cb, &read, &status);
        QCOMPARE(status, 0);
        dm3dpf_(&cb, &type, &status);
        QCOMPARE(status, 0);
        std::vector<float> trace(static_cast<size_t>(cb.samplesPerTrace));
        const float noScale = 0.0f;
        int flags = 0, absent = 0;
        QSet<int> peaks;
        const int y = (cb.firstY + cb.lastY) / 2;
        for (int x = cb.firstX; x <= cb.lastX; ++x) {
            for (int line : {cb.firstY, y, cb.lastY}) {
                dm3dtr_(&cb, &x, &line, &one, &cb.lastSample, &one, &zero, trace.data(), &noScale, &status, &flags);
                QVERIFY(status == 0 || status == 1);
                if (status == 1) {
                    ++absent;
                    continue;
                }
                if (line == y)
                    peaks.insert(int(std::max_element(trace.begin(), trace.end()) - trace.begin()));
            }
        }
        QVERIFY(peaks.size() > 3);
        QCOMPARE(absent > 0, QByteArray(name).contains("Sparse"));
        dm3dcl_(&cb, &zero, &status);
        prjend_(&type, &zero);
    }
}

void TestOwDevkitDemo::demoHorizonsAndFaults()
{
    const auto horizons = readSet<gdiHorizonCatalog_t>(GDI_CLASS_HORIZON_CATALOG);
    QVERIFY(horizons.size() >= 3);
    size_t maxSurveys = 0;
    for (const gdiHorizonCatalog_t& h : horizons)
        maxSurveys = std::max(maxSurveys, readSubset<gdiHorizonData_t>(GDI_CLASS_HORIZON_CATALOG, h,
                                                                     GDI_CLASS_HORIZON_DATA).size());
    QCOMPARE(maxSurveys, size_t(2));
    const auto planes = readSet<gdiFaultPlane_t>(GDI_CLASS_FAULT_PLANE);
    QVERIFY(planes.size() >= 3);
    gdiSetVectorAccess(GDI_CLASS_FAULT_SEGMENT, 32, 1);
    for (const gdiFaultPlane_t& plane : planes) {
        int count = 0;
        QCOMPARE(gdiCountSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count), 0);
        QVERIFY(count >= 3);
        auto segments = readSubset<gdiFaultSegment_t>(GDI_CLASS_FAULT_PLANE, plane, GDI_CLASS_FAULT_SEGMENT);
        QCOMPARE(gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &segments[0]), 0);
        QVERIFY(segments[0].points != nullptr && segments[0].pointCount >= 3);
        QVERIFY(segments[0].points[2] < segments[0].points[3 * segments[0].pointCount - 1]); // deepens
        QCOMPARE(gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, &segments[0]), 0);
    }
}

void TestOwDevkitDemo::demoWells()
{
    const auto wells = readSet<gdiWell_t>(GDI_CLASS_WELL);
    QVERIFY(wells.size() >= 30);
    const auto lists = readSet<gdiWellList_t>(GDI_CLASS_WELL_LIST);
    QVERIFY(lists.size() >= 2);
    QMap<QString, int> memberships;
    for (const gdiWellList_t& list : lists)
        for (const gdiWell_t& well : readSubset<gdiWell_t>(GDI_CLASS_WELL_LIST, list, GDI_CLASS_WELL))
            ++memberships[QString::fromLatin1(well.wellKey)];
    int inTwo = 0, inNone = 0;
    for (const gdiWell_t& well : wells) {
        const int n = memberships.value(QString::fromLatin1(well.wellKey));
        inTwo += n == 2;
        inNone += n == 0;
    }
    QVERIFY(inTwo >= 1);
    QVERIFY(inNone >= 1);
    int withTables = 0, withCurves = 0, withPositionLog = 0, withPreferred = 0;
    for (const gdiWell_t& well : wells) {
        withTables += !readSubset<gdiTimeDepthTable_t>(GDI_CLASS_WELL, well, GDI_CLASS_TIME_DEPTH_TABLE).empty();
        withCurves += !readSubset<gdiLogCurve_t>(GDI_CLASS_WELL, well, GDI_CLASS_LOG_CURVE).empty();
        gdiPositionLog_t log;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
        std::memcpy(log.wellKey, well.wellKey, sizeof(log.wellKey));
        withPositionLog += gdiRead(GDI_CLASS_POSITION_LOG, &log) == 0;
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        std::memcpy(preferred.wellKey, well.wellKey, sizeof(preferred.wellKey));
        withPreferred += gdiExists(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred);
    }
    QVERIFY(withTables > 0 && withTables < int(wells.size()));
    QVERIFY(withCurves > 0 && withCurves < int(wells.size()));
    QVERIFY(withPositionLog > 0 && withPositionLog < int(wells.size()));
    QCOMPARE(withPreferred, withTables);

    // Log curve lists pair curves through their members.
    const auto curveLists = readSet<gdiLogCurveList_t>(GDI_CLASS_LOG_CURVE_LIST);
    const auto members = readSet<gdiLogCurveListMember_t>(GDI_CLASS_LOG_CURVE_LIST_MEMBER);
    QVERIFY(curveLists.size() >= 2);
    QVERIFY(!members.empty());
    QSet<uint32_t> listIds;
    for (const gdiLogCurveList_t& list : curveLists)
        listIds.insert(list.id);
    for (const gdiLogCurveListMember_t& member : members)
        QVERIFY(listIds.contains(member.listId));

    // A curve's vectors are its depths and values.
    gdiLogCurve_t curve = readSet<gdiLogCurve_t>(GDI_CLASS_LOG_CURVE).front();
    QCOMPARE(gdiSetVectorAccess(GDI_CLASS_LOG_CURVE, 69, 1), 0);
    QCOMPARE(gdiSetVectorAccess(GDI_CLASS_LOG_CURVE, 70, 1), 0);
    QCOMPARE(gdiReadVector(GDI_CLASS_LOG_CURVE, &curve), 0);
    QCOMPARE(curve.depths[0], curve.topDepth);
    QCOMPARE(curve.depths[curve.sampleCount - 1], curve.bottomDepth);
    QVERIFY(curve.values[0] >= curve.minValue && curve.values[0] <= curve.maxValue);
    QCOMPARE(gdiReleaseVectors(GDI_CLASS_LOG_CURVE, 1, &curve), 0);
}

void TestOwDevkitDemo::demoSurfacesAndPicks()
{
    const auto surfaces = readSet<gdiSurface_t>(GDI_CLASS_SURFACE);
    QStringList columns;
    for (const gdiSurface_t& s : surfaces)
        columns << QString::fromLatin1(s.stratColumn);
    QVERIFY(columns.contains("UNKNOWN"));
    QVERIFY(QSet<QString>(columns.begin(), columns.end()).size() >= 2);
    const auto picks = readSet<gdiSurfacePick_t>(GDI_CLASS_SURFACE_PICK);
    QVERIFY(!picks.empty());
    int coloured = 0, uncoloured = 0;
    for (const gdiSurfacePick_t& pick : picks) {
        gdiHorizonParams_t params;
        gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &params);
        std::memcpy(params.name, pick.surfaceName, sizeof(params.name));
        std::memcpy(params.interpreter, pick.interpreter, sizeof(params.interpreter));
        const int status = gdiRead(GDI_CLASS_HORIZON_PARAMS, &params);
        QVERIFY(status == 0 || status == GDI_NO_DATA);
        if (status == 0) {
            ++coloured;
            QVERIFY(params.red + params.green + params.blue > 0);
        } else {
            ++uncoloured;
        }
        QVERIFY(pick.bottomDepth > pick.topDepth);
    }
    QVERIFY(coloured > 0 && uncoloured > 0);
}

void TestOwDevkitDemo::loadExternalSegy_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("traces");
    QTest::addColumn<int>("samples");
    QTest::addColumn<float>("firstValue");
    QTest::newRow("IBM floats") << "small.sgy" << 5 << 5 << 50 << 1.2f;
    QTest::newRow("2-byte integers") << "f3.sgy" << 23 << 18 << 75 << 0.0f;
}

void TestOwDevkitDemo::loadExternalSegy()
{
    QFETCH(QString, file);
    QFETCH(int, lines);
    QFETCH(int, traces);
    QFETCH(int, samples);
    QFETCH(float, firstValue);
    const std::string survey = "Loaded " + file.toStdString();
    std::string error;
    const QString path = TestEnvironment::sharedDataPath() + "/segy/" + file;
    QVERIFY2(owsim::loadSegy(m_home, "Demo", "DEMO", path.toStdString(), survey, "Data " + file.toStdString(), "TIME",
                             &error),
             error.c_str());
    int status = -1;
    prjOpen("DEMO", 0, &status);
    gdi3dSurvey_t record;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &record);
    setText(record.name, survey.c_str());
    QCOMPARE(gdiRead(GDI_CLASS_3D_SURVEY, &record), 0);
    QCOMPARE(record.lineCount, lines);
    QCOMPARE(record.traceCount, traces);
    const auto dataSets = readSubset<gdiSeismicDataSet_t>(GDI_CLASS_3D_SURVEY, record, GDI_CLASS_SEISMIC_DATA_SET);
    QCOMPARE(int(dataSets.size()), 1);
    QCOMPARE(dataSets[0].sampleCount, samples);
    int type = 3;
    const int length = int(survey.size());
    prjin2_(&status, &type, survey.c_str(), &length);
    QCOMPARE(status, 0);
    dm3dControlBlock_t cb{};
    const int read = 1, one = 1, zero = 0;
    dm3dop_(dataSets[0].fileName, &cb, &read, &status);
    QCOMPARE(status, 0);
    std::vector<float> trace(static_cast<size_t>(samples));
    const float noScale = 0.0f;
    int flags = 0;
    dm3dtr_(&cb, &cb.firstX, &cb.firstY, &one, &cb.lastSample, &one, &zero, trace.data(), &noScale, &status, &flags);
    QCOMPARE(status, 0);
    QVERIFY(std::fabs(trace[0] - firstValue) < 1e-5f);
    double sum = 0.0;
    for (float v : trace)
        sum += std::fabs(v);
    QVERIFY(sum > 0.0);
    dm3dcl_(&cb, &zero, &status);
    prjend_(&type, &zero);
    // Loading the same survey name again is refused.
    QVERIFY(!owsim::loadSegy(m_home, "Demo", "DEMO", path.toStdString(), survey, "Again", "TIME", &error));
    prjOpen("DEMO", 0, &status);
}

QTEST_GUILESS_MAIN(TestOwDevkitDemo)
#include "tst_owdevkit_demo.moc"
