// Record layouts, reads, subsets, vectors and transactions of the DevKit stand-in.

#include "owtestproject.h"
#include "testenvironment.h"

#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
/// Raw bytes of a record as an independent reader sees them.
template <typename T>
QByteArray bytesOf(const T& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof(T));
}

int readInt32(const QByteArray& bytes, int offset)
{
    int32_t value;
    std::memcpy(&value, bytes.constData() + offset, 4);
    return value;
}

double readDouble(const QByteArray& bytes, int offset)
{
    double value;
    std::memcpy(&value, bytes.constData() + offset, 8);
    return value;
}

float readFloat(const QByteArray& bytes, int offset)
{
    float value;
    std::memcpy(&value, bytes.constData() + offset, 4);
    return value;
}

QByteArray readText(const QByteArray& bytes, int offset)
{
    return QByteArray(bytes.constData() + offset);
}

void addWell(const char* key, const char* name)
{
    gdiWell_t well;
    QCOMPARE(gdiInitiateObject(GDI_CLASS_WELL, 1, &well), 0);
    setText(well.wellKey, key);
    setText(well.wellName, name);
    QCOMPARE(gdiAdd(GDI_CLASS_WELL, &well), 0);
    QVERIFY(well.id > 0);
}

int countOf(int classId)
{
    int count = -1;
    void* list = nullptr;
    const int status = gdiReadSet(classId, &count, &list);
    gdiFree(list);
    return status == GDI_NO_DATA ? 0 : (status == 0 ? count : -1);
}
} // namespace

class TestOwDevkitRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void layout_data();
    void layout();
    void classSizes_data();
    void classSizes();
    void addAssignsIdsAndReadsByKeys();
    void duplicateSurveyName();
    void emptyClassIsNoData();
    void subsets();
    void queryByExample();
    void vectors();
    void updateAndCascadingDelete();
    void rollbackLeavesNothing();
    void killedWriterLeavesNothing();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestOwDevkitRecords::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(openTestProject(m_env->openWorksHome(), "Records", "RECS"));
}

void TestOwDevkitRecords::init()
{
    QCOMPARE(gdiRollback(), 0);
    owsim::clearInjections();
}

void TestOwDevkitRecords::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

void TestOwDevkitRecords::layout_data()
{
    // Each row fills one field through its struct member, and an independent
    // reader finds the value at the binding byte offset.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QVariant>("expected");

    auto row = [](const char* name, const QByteArray& bytes, int offset, const QVariant& expected) {
        QTest::newRow(name) << bytes << offset << expected;
    };
    {
        gdi3dSurvey_t s{};
        s.id = 11;
        setText(s.name, "SURVEY");
        s.traceCount = 68;
        s.lineCount = 72;
        s.firstLine = 80.5;
        s.firstTrace = 88.5;
        s.lastLine = 96.5;
        s.lastTrace = 104.5;
        setText(s.orientation, "TRACE");
        for (int i = 0; i < 8; ++i) {
            s.transform[i] = 128 + 8 * i + 0.25;
            s.corner[i] = 192 + 8 * i + 0.75;
        }
        const QByteArray b = bytesOf(s);
        row("574 id", b, 0, 11);
        row("574 name", b, 4, QByteArray("SURVEY"));
        row("574 traceCount", b, 68, 68);
        row("574 lineCount", b, 72, 72);
        row("574 firstLine", b, 80, 80.5);
        row("574 firstTrace", b, 88, 88.5);
        row("574 lastLine", b, 96, 96.5);
        row("574 lastTrace", b, 104, 104.5);
        row("574 orientation", b, 112, QByteArray("TRACE"));
        for (int i = 0; i < 8; ++i) {
            row(qPrintable(QString("574 double at %1").arg(128 + 8 * i)), b, 128 + 8 * i, 128 + 8 * i + 0.25);
            row(qPrintable(QString("574 corner field %1").arg(20 + i)), b, 192 + 8 * i, 192 + 8 * i + 0.75);
        }
    }
    {
        gdiHorizonCatalog_t h{};
        h.id = 7;
        setText(h.name, "HNAME");
        setText(h.attribute, "TIME_STRUCTURE");
        setText(h.domain, "DEPTH");
        const QByteArray b = bytesOf(h);
        row("445 id", b, 0, 7);
        row("445 name", b, 4, QByteArray("HNAME"));
        row("445 attribute", b, 267, QByteArray("TIME_STRUCTURE"));
        row("445 domain", b, 460, QByteArray("DEPTH"));
    }
    {
        gdiHorizonData_t d{};
        d.gridId = 44;
        d.surveyId = 1212;
        d.dataMin = 120.5;
        d.dataMax = 128.5;
        setText(d.domain, "TIME");
        const QByteArray b = bytesOf(d);
        row("1176 gridId", b, 4, 44);
        row("1176 surveyId", b, 12, 1212);
        row("1176 dataMin", b, 120, 120.5);
        row("1176 dataMax", b, 128, 128.5);
        row("1176 domain", b, 345, QByteArray("TIME"));
    }
    {
        gdiFault_t f{};
        setText(f.name, "FAULT");
        row("338 name", bytesOf(f), 4, QByteArray("FAULT"));
        gdiFaultPlane_t p{};
        p.id = 796;
        setText(p.name, "PLANE");
        setText(p.interpreter, "LGC");
        setText(p.domain, "TIME");
        setText(p.active, "Y");
        const QByteArray b = bytesOf(p);
        row("796 id", b, 0, 796);
        row("796 name", b, 4, QByteArray("PLANE"));
        row("796 interpreter", b, 55, QByteArray("LGC"));
        row("796 domain", b, 121, QByteArray("TIME"));
        row("796 active", b, 186, QByteArray("Y"));
        gdiFaultSegment_t s{};
        s.planeId = 4;
        s.surveyId = 20;
        for (int i = 0; i < 8; ++i)
            s.surveyTransform[i] = 48 + 8 * i + 0.5;
        setText(s.domain, "DEPTH");
        s.pointCount = 256;
        const QByteArray sb = bytesOf(s);
        row("791 planeId", sb, 4, 4);
        row("791 surveyId", sb, 20, 20);
        row("791 double at 48", sb, 48, 48.5);
        row("791 double at 104", sb, 104, 104.5);
        row("791 domain", sb, 168, QByteArray("DEPTH"));
        row("791 pointCount", sb, 256, 256);
    }
    {
        gdiWell_t w{};
        setText(w.wellKey, "KEY");
        setText(w.uwi, "UWI");
        setText(w.wellName, "NAME70");
        setText(w.commonWellName, "NAME192");
        setText(w.wellNumber, "N233");
        w.x = 248.5;
        w.y = 256.5;
        setText(w.elevationRef, "KB");
        w.elevation = 356.5f;
        setText(w.status, "OIL");
        setText(w.interpreter, "LGC");
        w.id = 1076;
        setText(w.depthUnit, "meters");
        const QByteArray b = bytesOf(w);
        row("823 wellKey", b, 0, QByteArray("KEY"));
        row("823 uwi", b, 32, QByteArray("UWI"));
        row("823 wellName", b, 70, QByteArray("NAME70"));
        row("823 name at 192", b, 192, QByteArray("NAME192"));
        row("823 name at 233", b, 233, QByteArray("N233"));
        row("823 x", b, 248, 248.5);
        row("823 y", b, 256, 256.5);
        row("823 elevation reference", b, 352, QByteArray("KB"));
        row("823 elevation", b, 356, QVariant::fromValue(356.5f));
        row("823 status", b, 686, QByteArray("OIL"));
        row("823 interpreter", b, 760, QByteArray("LGC"));
        row("823 id", b, 1076, 1076);
        row("823 depth unit", b, 1382, QByteArray("meters"));
    }
    {
        gdiPositionLog_t p{};
        p.pointCount = 148;
        row("600 pointCount", bytesOf(p), 148, 148);
        gdiTimeDepthTable_t t{};
        t.id = 9;
        setText(t.wellKey, "WK");
        setText(t.name, "TABLE");
        setText(t.interpreter, "ABC");
        setText(t.direction, "DOWN");
        t.pointCount = 244;
        setText(t.depthType, "MD");
        setText(t.depthUnit, "meters");
        setText(t.timeUnit, "ms");
        const QByteArray b = bytesOf(t);
        row("601 id", b, 0, 9);
        row("601 wellKey", b, 4, QByteArray("WK"));
        row("601 name", b, 36, QByteArray("TABLE"));
        row("601 interpreter", b, 96, QByteArray("ABC"));
        row("601 direction", b, 162, QByteArray("DOWN"));
        row("601 pointCount", b, 244, 244);
        row("601 depthType", b, 252, QByteArray("MD"));
        row("601 depthUnit", b, 565, QByteArray("meters"));
        row("601 timeUnit", b, 617, QByteArray("ms"));
        gdiPreferredTimeDepth_t pr{};
        pr.tableId = 40;
        row("603 tableId", bytesOf(pr), 40, 40);
    }
    {
        gdiLogCurve_t c{};
        setText(c.wellKey, "WK");
        setText(c.name, "GR");
        c.version = 64;
        c.id = 68;
        setText(c.service, "NONE");
        setText(c.curveName, "SET_GR");
        setText(c.interpreter, "LGC");
        c.sampleCount = 464;
        setText(c.unit, "API");
        c.nullValue = -999.25;
        setText(c.curveType, "UNKNOWN");
        setText(c.curveClass, "UNKNOWN");
        const QByteArray b = bytesOf(c);
        row("610 wellKey", b, 0, QByteArray("WK"));
        row("610 name", b, 32, QByteArray("GR"));
        row("610 field at 64", b, 64, 64);
        row("610 id", b, 68, 68);
        row("610 service", b, 104, QByteArray("NONE"));
        row("610 curve name", b, 109, QByteArray("SET_GR"));
        row("610 interpreter", b, 140, QByteArray("LGC"));
        row("610 samples", b, 464, 464);
        row("610 unit", b, 484, QByteArray("API"));
        row("610 null", b, 576, -999.25);
        row("610 text at 1076", b, 1076, QByteArray("UNKNOWN"));
        row("610 text at 1089", b, 1089, QByteArray("UNKNOWN"));
    }
    {
        gdiLogCurveList_t l{};
        setText(l.name, "LIST");
        l.id = 84;
        row("575 name", bytesOf(l), 0, QByteArray("LIST"));
        row("575 id", bytesOf(l), 84, 84);
        gdiLogCurveListMember_t m{};
        m.listId = 3;
        m.curveId = 4;
        row("576 listId", bytesOf(m), 0, 3);
        row("576 curveId", bytesOf(m), 4, 4);
        gdiWellList_t w{};
        setText(w.name, "WELLS");
        setText(w.listType, "WELL_LIST");
        setText(w.interpreter, "UNKN");
        row("502 name", bytesOf(w), 4, QByteArray("WELLS"));
        row("502 type", bytesOf(w), 85, QByteArray("WELL_LIST"));
        row("502 interpreter", bytesOf(w), 101, QByteArray("UNKN"));
    }
    {
        gdiSurfacePick_t p{};
        setText(p.surfaceName, "TOP");
        setText(p.interpreter, "ABCDE");
        p.bottomDepth = 88.5f;
        p.topDepth = 92.5f;
        const QByteArray b = bytesOf(p);
        row("11 name", b, 32, QByteArray("TOP"));
        row("11 second key", b, 73, QByteArray("ABCDE"));
        row("11 depth at 88", b, 88, QVariant::fromValue(88.5f));
        row("11 depth at 92", b, 92, QVariant::fromValue(92.5f));
    }
    {
        gdiSeismicDataSet_t d{};
        d.id = 5;
        row("1184 id", bytesOf(d), 0, 5);
        dm3dControlBlock_t cb{};
        cb.firstX = 3;
        cb.lastX = 4;
        row("control block word 2", bytesOf(cb), 8, 3);
        row("control block word 3", bytesOf(cb), 12, 4);
    }
}

void TestOwDevkitRecords::layout()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, offset);
    QFETCH(QVariant, expected);
    switch (static_cast<QMetaType::Type>(expected.type())) {
    case QMetaType::Int: QCOMPARE(readInt32(bytes, offset), expected.toInt()); break;
    case QMetaType::Double: QCOMPARE(readDouble(bytes, offset), expected.toDouble()); break;
    case QMetaType::Float: QCOMPARE(readFloat(bytes, offset), expected.value<float>()); break;
    default: QCOMPARE(readText(bytes, offset), expected.toByteArray()); break;
    }
}

void TestOwDevkitRecords::classSizes_data()
{
    QTest::addColumn<int>("classId");
    QTest::addColumn<int>("size");
    QTest::newRow("11") << 11 << 1124;
    QTest::newRow("502") << 502 << 272;
    QTest::newRow("574") << 574 << 776;
    QTest::newRow("575") << 575 << 448;
    QTest::newRow("576") << 576 << 156;
    QTest::newRow("601") << 601 << 920;
    QTest::newRow("610") << 610 << 1600;
    QTest::newRow("1176") << 1176 << 872;
    QTest::newRow("1184") << 1184 << 1688;
}

void TestOwDevkitRecords::classSizes()
{
    QFETCH(int, classId);
    QFETCH(int, size);
    gdiClassInfo_t info;
    QCOMPARE(gdiGetClassInfo(classId, &info), 0);
    QCOMPARE(info.recordSize, size);
    // gdiReadSet hands out records of that stride.
    QVERIFY(gdiGetClassInfo(99999, &info) != 0);
}

void TestOwDevkitRecords::addAssignsIdsAndReadsByKeys()
{
    addWell("AK-1", "Alpha 1");
    addWell("AK-2", "Alpha 2");
    gdiWell_t byKey;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &byKey);
    setText(byKey.wellKey, "AK-2");
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &byKey), 0);
    QCOMPARE(QByteArray(byKey.wellName), QByteArray("Alpha 2"));
    gdiWell_t byId;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &byId);
    byId.id = byKey.id;
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &byId), 0);
    QCOMPARE(QByteArray(byId.wellKey), QByteArray("AK-2"));
    QCOMPARE(gdiExists(GDI_CLASS_WELL, &byId), 1);
    gdiWell_t missing;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &missing);
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &missing), GDI_KEY_NOT_SET);
    setText(missing.wellKey, "NOPE");
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &missing), GDI_NO_DATA);
    QCOMPARE(gdiExists(GDI_CLASS_WELL, &missing), 0);
    gdiWell_t duplicate;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &duplicate);
    setText(duplicate.wellKey, "AK-1");
    QCOMPARE(gdiAdd(GDI_CLASS_WELL, &duplicate), GDI_DUPLICATE);
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitRecords::duplicateSurveyName()
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    setText(survey.name, "DUP SURVEY");
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    gdi3dSurvey_t again;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &again);
    setText(again.name, "DUP SURVEY");
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &again), 277600018);
    QCOMPARE(QByteArray(gdiErrorMessage(277600018)).isEmpty(), false);
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitRecords::emptyClassIsNoData()
{
    int count = -1;
    void* list = reinterpret_cast<void*>(1);
    QCOMPARE(gdiReadSet(GDI_CLASS_FAULT_PLANE, &count, &list), GDI_NO_DATA);
    QCOMPARE(count, 0);
    QVERIFY(list == nullptr);
}

void TestOwDevkitRecords::subsets()
{
    addWell("SW-1", "One");
    addWell("SW-2", "Two");
    addWell("SW-3", "Three");
    int listIds[2];
    for (int i = 0; i < 2; ++i) {
        gdiWellList_t list;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
        setText(list.name, i == 0 ? "LIST A" : "LIST B");
        QCOMPARE(gdiAdd(GDI_CLASS_WELL_LIST, &list), 0);
        listIds[i] = list.id;
    }
    const struct
    {
        int list;
        const char* well;
    } members[] = {{0, "SW-1"}, {0, "SW-2"}, {1, "SW-2"}};
    for (const auto& m : members) {
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        member.wellListId = listIds[m.list];
        setText(member.wellKey, m.well);
        QCOMPARE(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), 0);
    }
    gdiWellList_t listA;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &listA);
    listA.id = listIds[0];
    int count = 0;
    void* wells = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_WELL_LIST, &listA, GDI_CLASS_WELL, &count, &wells), 0);
    QCOMPARE(count, 2);
    const auto* w = static_cast<gdiWell_t*>(wells);
    QCOMPARE(QByteArray(w[0].wellKey), QByteArray("SW-1"));
    QCOMPARE(QByteArray(w[1].wellKey), QByteArray("SW-2"));
    QCOMPARE(gdiRelease(GDI_CLASS_WELL, count, wells), 0);
    gdiWellList_t listB;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &listB);
    setText(listB.name, "LIST B");
    QCOMPARE(gdiCountSubset(GDI_CLASS_WELL_LIST, &listB, GDI_CLASS_WELL, &count), 0);
    QCOMPARE(count, 1);

    // A fault plane's segments; a plane without segments gives no data.
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    setText(plane.name, "PLANE");
    QCOMPARE(gdiAdd(GDI_CLASS_FAULT_PLANE, &plane), 0);
    void* segments = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &segments), GDI_NO_DATA);
    for (int i = 0; i < 3; ++i) {
        gdiFaultSegment_t segment;
        gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
        segment.planeId = plane.id;
        segment.segmentNumber = i + 1;
        QCOMPARE(gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment), 0);
    }
    QCOMPARE(gdiCountSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count), 0);
    QCOMPARE(count, 3);
    QCOMPARE(gdiReadSubset(GDI_CLASS_WELL, &listA, GDI_CLASS_FAULT_SEGMENT, &count, &segments), GDI_NOT_A_SUBSET);
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitRecords::queryByExample()
{
    for (const char* name : {"Alpha", "Beta"}) {
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        setText(survey.name, name);
        QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &survey), 0);
    }
    gdi3dSurvey_t example;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &example);
    QCOMPARE(gdiSetKeyFlag(GDI_CLASS_3D_SURVEY, 1, &example), 0);
    setText(example.name, "Beta");
    int count = 0;
    void* list = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_3D_SURVEY, &example, GDI_CLASS_3D_SURVEY, &count, &list), 0);
    QCOMPARE(count, 1);
    QCOMPARE(QByteArray(static_cast<gdi3dSurvey_t*>(list)->name), QByteArray("Beta"));
    gdiFree(list);
    QCOMPARE(gdiSetKeyFlag(GDI_CLASS_3D_SURVEY, 1, &example), 0);
    setText(example.name, "Gamma");
    QCOMPARE(gdiReadSubset(GDI_CLASS_3D_SURVEY, &example, GDI_CLASS_3D_SURVEY, &count, &list), GDI_NO_DATA);
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitRecords::vectors()
{
    addWell("VW-1", "Vector well");
    const float md[4] = {0.0f, 100.0f, 200.0f, 300.0f};
    const float tvd[4] = {0.0f, 99.0f, 197.5f, 295.25f};
    const float dx[4] = {0.0f, 1.5f, 3.0f, 4.5f};
    const float dy[4] = {0.0f, -1.0f, -2.0f, -3.0f};
    gdiPositionLog_t log;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
    setText(log.wellKey, "VW-1");
    log.pointCount = 4;
    log.md = const_cast<float*>(md);
    log.tvd = const_cast<float*>(tvd);
    log.xDeviation = const_cast<float*>(dx);
    log.yDeviation = const_cast<float*>(dy);
    QCOMPARE(gdiAdd(GDI_CLASS_POSITION_LOG, &log), 0);
    QCOMPARE(gdiCommit(), 0);

    gdiPositionLog_t read;
    gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &read);
    setText(read.wellKey, "VW-1");
    QCOMPARE(gdiRead(GDI_CLASS_POSITION_LOG, &read), 0);
    QCOMPARE(read.pointCount, 4);
    QVERIFY(read.tvd == nullptr);
    QCOMPARE(gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, 13, 1), 0);
    QVERIFY(gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, 11, 1) != 0); // not a vector field
    QCOMPARE(gdiReadVector(GDI_CLASS_POSITION_LOG, &read), 0);
    QVERIFY(read.tvd != nullptr);
    QVERIFY(read.md == nullptr);
    QCOMPARE(std::memcmp(read.tvd, tvd, sizeof(tvd)), 0);
    QCOMPARE(gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &read), 0);
    QVERIFY(read.tvd == nullptr);
    for (int field : {12, 14, 15})
        QCOMPARE(gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, field, 1), 0);
    QCOMPARE(gdiReadVector(GDI_CLASS_POSITION_LOG, &read), 0);
    QCOMPARE(std::memcmp(read.md, md, sizeof(md)), 0);
    QCOMPARE(std::memcmp(read.xDeviation, dx, sizeof(dx)), 0);
    QCOMPARE(std::memcmp(read.yDeviation, dy, sizeof(dy)), 0);
    QCOMPARE(gdiReleaseVectors(GDI_CLASS_POSITION_LOG, 1, &read), 0);
    for (int field : {12, 13, 14, 15})
        gdiSetVectorAccess(GDI_CLASS_POSITION_LOG, field, 0);

    // Vectors of records of a subset list, given back with gdiRelease.
    gdiWell_t well;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
    setText(well.wellKey, "VW-1");
    int count = 0;
    void* list = nullptr;
    QCOMPARE(gdiReadSubset(GDI_CLASS_WELL, &well, GDI_CLASS_POSITION_LOG, &count, &list), 0);
    QCOMPARE(count, 1);
    auto* logs = static_cast<gdiPositionLog_t*>(list);
    QCOMPARE(gdiReadVector(GDI_CLASS_POSITION_LOG, &logs[0]), 0);
    QCOMPARE(logs[0].yDeviation[3], -3.0f);
    QCOMPARE(gdiRelease(GDI_CLASS_POSITION_LOG, count, list), 0);
}

void TestOwDevkitRecords::updateAndCascadingDelete()
{
    addWell("DW-1", "Delete me");
    gdiSurfacePick_t pick;
    gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
    setText(pick.wellKey, "DW-1");
    setText(pick.surfaceName, "TOP");
    pick.topDepth = 1000.0f;
    QCOMPARE(gdiAdd(GDI_CLASS_SURFACE_PICK, &pick), 0);
    gdiWell_t well;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
    setText(well.wellKey, "DW-1");
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &well), 0);
    well.totalDepth = 2345.5f;
    QCOMPARE(gdiUpdate(GDI_CLASS_WELL, &well), 0);
    gdiWell_t again;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &again);
    again.id = well.id;
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &again), 0);
    QCOMPARE(again.totalDepth, 2345.5f);
    const int picksBefore = countOf(GDI_CLASS_SURFACE_PICK);
    QCOMPARE(gdiDelete(GDI_CLASS_WELL, &well), 0);
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &again), GDI_NO_DATA);
    QCOMPARE(countOf(GDI_CLASS_SURFACE_PICK), picksBefore - 1);
    QCOMPARE(gdiDelete(GDI_CLASS_WELL, &well), GDI_RECORD_NOT_FOUND);
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitRecords::rollbackLeavesNothing()
{
    const int before = countOf(GDI_CLASS_LOG_CURVE);
    const float depths[3] = {1, 2, 3};
    const float values[3] = {4, 5, 6};
    gdiLogCurve_t curve;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
    setText(curve.wellKey, "RB-1");
    setText(curve.name, "GR");
    curve.sampleCount = 3;
    curve.depths = const_cast<float*>(depths);
    curve.values = const_cast<float*>(values);
    QCOMPARE(gdiAdd(GDI_CLASS_LOG_CURVE, &curve), 0);
    const uint32_t id = curve.id;
    QCOMPARE(countOf(GDI_CLASS_LOG_CURVE), before + 1);
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(countOf(GDI_CLASS_LOG_CURVE), before);
    gdiLogCurve_t read;
    gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &read);
    read.id = id;
    QCOMPARE(gdiRead(GDI_CLASS_LOG_CURVE, &read), GDI_NO_DATA);
    QCOMPARE(gdiReadVector(GDI_CLASS_LOG_CURVE, &read), GDI_NO_DATA);
}

void TestOwDevkitRecords::killedWriterLeavesNothing()
{
    addWell("KW-COMMITTED", "Committed");
    QCOMPARE(gdiCommit(), 0);
    const int before = countOf(GDI_CLASS_WELL);
    QCOMPARE(prjClose(), 0);
    fflush(nullptr);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        int status = 0;
        prjOpen("RECS", 0, &status);
        for (int i = 0; i < 50 && status == 0; ++i) {
            gdiWell_t well;
            gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
            std::snprintf(well.wellKey, sizeof(well.wellKey), "KILLED-%d", i);
            status = gdiAdd(GDI_CLASS_WELL, &well);
        }
        raise(SIGKILL);
        _exit(status);
    }
    int childStatus = 0;
    QCOMPARE(waitpid(child, &childStatus, 0), child);
    QVERIFY(WIFSIGNALED(childStatus));
    int status = -1;
    QCOMPARE(prjOpen("RECS", 0, &status), 0);
    QCOMPARE(countOf(GDI_CLASS_WELL), before);
    gdiWell_t probe;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &probe);
    setText(probe.wellKey, "KILLED-0");
    QCOMPARE(gdiExists(GDI_CLASS_WELL, &probe), 0);
    // The store is writable again after the killed writer.
    addWell("KW-AFTER", "After");
    QCOMPARE(gdiCommit(), 0);
    QCOMPARE(countOf(GDI_CLASS_WELL), before + 1);
}

QTEST_GUILESS_MAIN(TestOwDevkitRecords)
#include "tst_owdevkit_records.moc"
