// The record cache of the DevKit stand-in: reads, subsets, counts and the
// duplicate check of gdiAdd always give what the project database holds, after
// writes, rollbacks, commits, reopening, concurrent calls and changes made by
// other processes. The database is read back by an independent SQLite reader.

#include "owtestproject.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
const char* const kDistrict = "Cache";

using Records = std::vector<QByteArray>;

template <size_t N>
QByteArray text(const char (&field)[N])
{
    return QByteArray(field, int(strnlen(field, N)));
}

template <typename T>
const T& as(const QByteArray& bytes)
{
    return *reinterpret_cast<const T*>(bytes.constData());
}

QString digest(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().left(12));
}

int recordSize(int classId)
{
    gdiClassInfo_t info;
    return gdiGetClassInfo(classId, &info) == 0 ? info.recordSize : 0;
}

Records fromList(int classId, int count, void* list)
{
    Records records;
    const int size = recordSize(classId);
    for (int i = 0; i < count; ++i)
        records.emplace_back(static_cast<const char*>(list) + size_t(i) * size_t(size), size);
    gdiFree(list);
    return records;
}

Records readSet(int classId)
{
    int count = 0;
    void* list = nullptr;
    gdiReadSet(classId, &count, &list);
    return fromList(classId, count, list);
}

Records readSubset(int classId, const void* parent, int subsetClass, int* status = nullptr)
{
    int count = 0;
    void* list = nullptr;
    const int result = gdiReadSubset(classId, parent, subsetClass, &count, &list);
    if (status)
        *status = result;
    return fromList(subsetClass, count, list);
}

int countSubset(int classId, const void* parent, int subsetClass)
{
    int count = -1;
    return gdiCountSubset(classId, parent, subsetClass, &count) == 0 ? count : -1;
}

const int kClasses[] = {GDI_CLASS_WELL,         GDI_CLASS_WELL_LIST,        GDI_CLASS_WELL_LIST_MEMBER,
                        GDI_CLASS_SURFACE_PICK, GDI_CLASS_3D_SURVEY,        GDI_CLASS_SEISMIC_DATA_SET,
                        GDI_CLASS_FAULT_PLANE,  GDI_CLASS_FAULT_SEGMENT};

/// A subset relation and how an independent reader decides membership.
struct Relation
{
    int parent;
    int child;
    std::function<bool(const QByteArray& parent, const QByteArray& child)> belongs;
};

const std::vector<Relation>& relations()
{
    static const std::vector<Relation> all = {
        {GDI_CLASS_WELL_LIST, GDI_CLASS_WELL_LIST_MEMBER,
         [](const QByteArray& p, const QByteArray& c) {
             return as<gdiWellListMember_t>(c).wellListId == as<gdiWellList_t>(p).id;
         }},
        {GDI_CLASS_WELL_LIST, GDI_CLASS_WELL, nullptr}, // through the memberships
        {GDI_CLASS_WELL, GDI_CLASS_WELL_LIST_MEMBER,
         [](const QByteArray& p, const QByteArray& c) {
             return text(as<gdiWellListMember_t>(c).wellKey) == text(as<gdiWell_t>(p).wellKey);
         }},
        {GDI_CLASS_WELL, GDI_CLASS_SURFACE_PICK,
         [](const QByteArray& p, const QByteArray& c) {
             return text(as<gdiSurfacePick_t>(c).wellKey) == text(as<gdiWell_t>(p).wellKey);
         }},
        {GDI_CLASS_3D_SURVEY, GDI_CLASS_SEISMIC_DATA_SET,
         [](const QByteArray& p, const QByteArray& c) {
             return as<gdiSeismicDataSet_t>(c).surveyId == as<gdi3dSurvey_t>(p).id;
         }},
        {GDI_CLASS_FAULT_PLANE, GDI_CLASS_FAULT_SEGMENT,
         [](const QByteArray& p, const QByteArray& c) {
             return as<gdiFaultSegment_t>(c).planeId == as<gdiFaultPlane_t>(p).id;
         }},
    };
    return all;
}

/// The key of a record as gdiRead takes it, for the classes read by key here.
QByteArray keyOf(int classId, const QByteArray& record)
{
    switch (classId) {
    case GDI_CLASS_WELL: return text(as<gdiWell_t>(record).wellKey);
    case GDI_CLASS_WELL_LIST: return text(as<gdiWellList_t>(record).name);
    case GDI_CLASS_3D_SURVEY: return text(as<gdi3dSurvey_t>(record).name);
    case GDI_CLASS_FAULT_PLANE: return text(as<gdiFaultPlane_t>(record).name);
    default: return QByteArray();
    }
}

QByteArray exampleWithKey(int classId, const QByteArray& key)
{
    QByteArray example(recordSize(classId), '\0');
    gdiInitiateObject(classId, 1, example.data());
    auto put = [&key](auto& field) {
        std::memcpy(field, key.constData(), std::min(sizeof(field) - 1, size_t(key.size())));
    };
    switch (classId) {
    case GDI_CLASS_WELL: put(reinterpret_cast<gdiWell_t*>(example.data())->wellKey); break;
    case GDI_CLASS_WELL_LIST: put(reinterpret_cast<gdiWellList_t*>(example.data())->name); break;
    case GDI_CLASS_3D_SURVEY: put(reinterpret_cast<gdi3dSurvey_t*>(example.data())->name); break;
    case GDI_CLASS_FAULT_PLANE: put(reinterpret_cast<gdiFaultPlane_t*>(example.data())->name); break;
    default: break;
    }
    return example;
}

const int kKeyedClasses[] = {GDI_CLASS_WELL, GDI_CLASS_WELL_LIST, GDI_CLASS_3D_SURVEY, GDI_CLASS_FAULT_PLANE};

QString subsetLine(int parent, int child, int index, int status, int read, int counted, const Records& records)
{
    QString line = QStringLiteral("%1>%2 #%3: status %4 read %5 counted %6:")
                       .arg(parent)
                       .arg(child)
                       .arg(index)
                       .arg(status)
                       .arg(read)
                       .arg(counted);
    for (const QByteArray& r : records)
        line += QLatin1Char(' ') + digest(r);
    return line;
}

/// Every record, every subset of every record and every keyed read, through
/// the DevKit calls.
QStringList devkitView()
{
    QStringList lines;
    for (int classId : kClasses)
        for (const QByteArray& record : readSet(classId))
            lines << QStringLiteral("%1: %2").arg(classId).arg(digest(record));
    for (const Relation& relation : relations()) {
        const Records parents = readSet(relation.parent);
        for (size_t i = 0; i < parents.size(); ++i) {
            int status = 0;
            const Records children = readSubset(relation.parent, parents[i].constData(), relation.child, &status);
            lines << subsetLine(relation.parent, relation.child, int(i), status, int(children.size()),
                                countSubset(relation.parent, parents[i].constData(), relation.child), children);
        }
    }
    for (int classId : kKeyedClasses) {
        const Records records = readSet(classId);
        for (size_t i = 0; i < records.size(); ++i) {
            QByteArray example = exampleWithKey(classId, keyOf(classId, records[i]));
            const int status = gdiRead(classId, example.data());
            lines << QStringLiteral("read %1 #%2: %3 %4").arg(classId).arg(i).arg(status).arg(digest(example));
        }
    }
    return lines;
}

/// The same view computed from the rows of the database file.
QStringList storeView(const QString& databasePath)
{
    std::map<int, Records> byClass;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open ") + databasePath};
    }
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT class, data FROM RECORDS ORDER BY rid", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW)
        byClass[sqlite3_column_int(select, 0)].emplace_back(static_cast<const char*>(sqlite3_column_blob(select, 1)),
                                                            sqlite3_column_bytes(select, 1));
    sqlite3_finalize(select);
    sqlite3_close(db);

    QStringList lines;
    for (int classId : kClasses)
        for (const QByteArray& record : byClass[classId])
            lines << QStringLiteral("%1: %2").arg(classId).arg(digest(record));
    for (const Relation& relation : relations()) {
        const Records& parents = byClass[relation.parent];
        for (size_t i = 0; i < parents.size(); ++i) {
            Records children;
            if (relation.belongs) {
                for (const QByteArray& child : byClass[relation.child])
                    if (relation.belongs(parents[i], child))
                        children.push_back(child);
            } else {
                for (const QByteArray& member : byClass[GDI_CLASS_WELL_LIST_MEMBER]) {
                    if (as<gdiWellListMember_t>(member).wellListId != as<gdiWellList_t>(parents[i]).id)
                        continue;
                    for (const QByteArray& well : byClass[GDI_CLASS_WELL])
                        if (text(as<gdiWell_t>(well).wellKey) == text(as<gdiWellListMember_t>(member).wellKey))
                            children.push_back(well);
                }
            }
            const int n = int(children.size());
            lines << subsetLine(relation.parent, relation.child, int(i), n ? 0 : GDI_NO_DATA, n, n, children);
        }
    }
    for (int classId : kKeyedClasses) {
        const Records& records = byClass[classId];
        for (size_t i = 0; i < records.size(); ++i) {
            const QByteArray key = keyOf(classId, records[i]);
            for (const QByteArray& candidate : records) {
                if (keyOf(classId, candidate) == key) {
                    lines << QStringLiteral("read %1 #%2: 0 %3").arg(classId).arg(i).arg(digest(candidate));
                    break;
                }
            }
        }
    }
    return lines;
}

// Record builders; each returns the assigned id (addWell and addMember: minus
// the status on failure, the others 0).
int addWell(const QByteArray& key)
{
    gdiWell_t well;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
    setText(well.wellKey, key.constData());
    setText(well.wellName, ("Well " + key).constData());
    const int status = gdiAdd(GDI_CLASS_WELL, &well);
    return status == 0 ? well.id : -status;
}

int addList(const QByteArray& name)
{
    gdiWellList_t list;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
    setText(list.name, name.constData());
    return gdiAdd(GDI_CLASS_WELL_LIST, &list) == 0 ? list.id : 0;
}

int addMember(int listId, const QByteArray& key)
{
    gdiWellListMember_t member;
    gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
    member.wellListId = listId;
    setText(member.wellKey, key.constData());
    const int status = gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member);
    return status == 0 ? member.id : -status;
}

int addPick(const QByteArray& key, const char* surface)
{
    gdiSurfacePick_t pick;
    gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
    setText(pick.wellKey, key.constData());
    setText(pick.surfaceName, surface);
    pick.topDepth = 1000.0f;
    return gdiAdd(GDI_CLASS_SURFACE_PICK, &pick) == 0 ? pick.id : 0;
}

int addSurvey(const QByteArray& name, int dataSets)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    setText(survey.name, name.constData());
    if (gdiAdd(GDI_CLASS_3D_SURVEY, &survey) != 0)
        return 0;
    for (int d = 0; d < dataSets; ++d) {
        gdiSeismicDataSet_t set;
        gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &set);
        set.surveyId = survey.id;
        setText(set.name, QByteArray("DS" + QByteArray::number(d)).constData());
        if (gdiAdd(GDI_CLASS_SEISMIC_DATA_SET, &set) != 0)
            return 0;
    }
    return survey.id;
}

int addPlane(const QByteArray& name, int segments)
{
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    setText(plane.name, name.constData());
    if (gdiAdd(GDI_CLASS_FAULT_PLANE, &plane) != 0)
        return 0;
    for (int s = 0; s < segments; ++s) {
        gdiFaultSegment_t segment;
        gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
        segment.planeId = plane.id;
        segment.segmentNumber = s + 1;
        if (gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment) != 0)
            return 0;
    }
    return plane.id;
}

gdiWell_t wellByKey(const char* key, int* status)
{
    gdiWell_t well;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
    setText(well.wellKey, key);
    *status = gdiRead(GDI_CLASS_WELL, &well);
    return well;
}

gdiWellList_t listById(int id)
{
    gdiWellList_t list;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
    list.id = id;
    return list;
}

QStringList wellKeysOfList(int listId)
{
    const gdiWellList_t list = listById(listId);
    QStringList keys;
    for (const QByteArray& well : readSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL))
        keys << QString::fromLatin1(text(as<gdiWell_t>(well).wellKey));
    return keys;
}

enum Scenario
{
    AddRecords,
    UpdateKeyFields,
    CascadingDeletes,
    AddDeleteReadd,
    FirstReadInsideTransaction,
    CommitThenRollback,
    IdReusedAfterRollback
};

enum Change
{
    AddWellAndMember,
    RenameWellKey,
    MoveMember,
    DeleteWell,
    DeleteList
};
} // namespace

class TestOwDevkitCache : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void rollbackGivesWhatTheStoreHolds_data();
    void rollbackGivesWhatTheStoreHolds();
    void changesSeenAtOnce_data();
    void changesSeenAtOnce();
    void concurrentReadsDuringWrites();
    void otherProcessChanges();

private:
    /// Closes the open project, creates project name and opens it.
    bool openNewProject(const QString& name);
    bool reopen();
    QString databasePath() const;
    /// Lists L0-L2, wells W00-W11 (member of L(i%3), W00 also of L1), picks on
    /// W00-W05, surveys S0/S1 of three data sets, planes P0/P1 of two segments.
    bool addBase();

    std::unique_ptr<TestEnvironment> m_env;
    QString m_project;
    std::vector<int> m_lists;
};

void TestOwDevkitCache::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(openTestProject(m_env->openWorksHome(), kDistrict, "START"));
}

void TestOwDevkitCache::init()
{
    QCOMPARE(gdiRollback(), 0);
}

void TestOwDevkitCache::cleanupTestCase()
{
    prjClose();
    gdiClose();
}

bool TestOwDevkitCache::openNewProject(const QString& name)
{
    prjClose();
    std::string error;
    const std::string home = m_env->openWorksHome().toStdString();
    if (!owsim::createProject(home, kDistrict, name.toStdString(), owsim::MeasurementSystem::Metric, &error)) {
        qWarning("%s", error.c_str());
        return false;
    }
    m_project = name;
    int status = -1;
    prjOpen(name.toLatin1().constData(), 0, &status);
    return status == 0;
}

bool TestOwDevkitCache::reopen()
{
    if (prjClose() != 0)
        return false;
    int status = -1;
    prjOpen(m_project.toLatin1().constData(), 0, &status);
    return status == 0;
}

QString TestOwDevkitCache::databasePath() const
{
    return m_env->openWorksHome() + "/" + kDistrict + "/" + m_project + "/project.db";
}

bool TestOwDevkitCache::addBase()
{
    m_lists.clear();
    for (int l = 0; l < 3; ++l)
        m_lists.push_back(addList("L" + QByteArray::number(l)));
    bool ok = m_lists[0] && m_lists[1] && m_lists[2];
    for (int w = 0; w < 12 && ok; ++w) {
        const QByteArray key = QByteArray("W") + (w < 10 ? "0" : "") + QByteArray::number(w);
        ok = addWell(key) > 0 && addMember(m_lists[size_t(w % 3)], key) > 0;
        if (ok && w < 6)
            ok = addPick(key, "TOP") && addPick(key, "BASE");
    }
    ok = ok && addMember(m_lists[1], "W00") > 0;
    ok = ok && addSurvey("S0", 3) && addSurvey("S1", 3) && addPlane("P0", 2) && addPlane("P1", 2);
    return ok && gdiCommit() == 0;
}

void TestOwDevkitCache::rollbackGivesWhatTheStoreHolds_data()
{
    QTest::addColumn<int>("scenario");
    QTest::newRow("added records") << int(AddRecords);
    QTest::newRow("updated key fields") << int(UpdateKeyFields);
    QTest::newRow("cascading deletes") << int(CascadingDeletes);
    QTest::newRow("added, deleted, added again") << int(AddDeleteReadd);
    QTest::newRow("class first read inside the transaction") << int(FirstReadInsideTransaction);
    QTest::newRow("commit, then more changes rolled back") << int(CommitThenRollback);
    QTest::newRow("record id given again after rollback") << int(IdReusedAfterRollback);
}

void TestOwDevkitCache::rollbackGivesWhatTheStoreHolds()
{
    QFETCH(int, scenario);
    QVERIFY(openNewProject(QStringLiteral("RB%1").arg(scenario)));
    QVERIFY(addBase());
    if (scenario == FirstReadInsideTransaction)
        QVERIFY(reopen()); // nothing cached yet
    QStringList expected = storeView(databasePath());
    if (scenario != FirstReadInsideTransaction)
        QCOMPARE(devkitView(), expected); // every class cached and indexed

    int status = 0;
    int rolledBackId = 0;
    switch (scenario) {
    case AddRecords:
        QVERIFY(addWell("NEW-1") > 0 && addMember(m_lists[0], "NEW-1") > 0 && addPick("NEW-1", "TOP"));
        QVERIFY(addSurvey("S2", 2) && addPlane("P2", 3));
        QCOMPARE(wellKeysOfList(m_lists[0]).size(), 5);
        break;
    case UpdateKeyFields: {
        gdiWell_t well = wellByKey("W01", &status);
        QCOMPARE(status, 0);
        setText(well.wellKey, "W01-RENAMED");
        QCOMPARE(gdiUpdate(GDI_CLASS_WELL, &well), 0);
        const gdiWellList_t list = listById(m_lists[0]);
        Records members = readSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL_LIST_MEMBER);
        QVERIFY(!members.empty());
        gdiWellListMember_t member = as<gdiWellListMember_t>(members[0]);
        member.wellListId = m_lists[2];
        QCOMPARE(gdiUpdate(GDI_CLASS_WELL_LIST_MEMBER, &member), 0);
        const Records sets = readSet(GDI_CLASS_SEISMIC_DATA_SET);
        gdiSeismicDataSet_t set = as<gdiSeismicDataSet_t>(sets[0]);
        set.surveyId = as<gdiSeismicDataSet_t>(sets.back()).surveyId;
        setText(set.name, "MOVED");
        QCOMPARE(gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &set), 0);
        QCOMPARE(devkitView() == expected, false);
        break;
    }
    case CascadingDeletes: {
        gdiWell_t well = wellByKey("W00", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &well), 0);
        gdiWellList_t list = listById(m_lists[1]);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL_LIST, &list), 0);
        const Records surveys = readSet(GDI_CLASS_3D_SURVEY);
        gdi3dSurvey_t survey = as<gdi3dSurvey_t>(surveys[0]);
        QCOMPARE(gdiDelete(GDI_CLASS_3D_SURVEY, &survey), 0);
        const Records planes = readSet(GDI_CLASS_FAULT_PLANE);
        gdiFaultPlane_t plane = as<gdiFaultPlane_t>(planes[1]);
        QCOMPARE(gdiDelete(GDI_CLASS_FAULT_PLANE, &plane), 0);
        QCOMPARE(readSet(GDI_CLASS_SEISMIC_DATA_SET).size(), size_t(3));
        QCOMPARE(readSet(GDI_CLASS_FAULT_SEGMENT).size(), size_t(2));
        break;
    }
    case AddDeleteReadd: {
        QVERIFY(addWell("TEMP") > 0);
        gdiWell_t temp = wellByKey("TEMP", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &temp), 0);
        gdiWell_t old = wellByKey("W05", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &old), 0);
        QVERIFY(addWell("W05") > 0);
        QVERIFY(addWell("TEMP") > 0);
        break;
    }
    case FirstReadInsideTransaction:
        QVERIFY(addPlane("P9", 4));
        QVERIFY(addWell("IN-TX") > 0 && addMember(m_lists[2], "IN-TX") > 0);
        QCOMPARE(readSet(GDI_CLASS_FAULT_SEGMENT).size(), size_t(8));
        QCOMPARE(wellKeysOfList(m_lists[2]).size(), 5);
        break;
    case CommitThenRollback: {
        QVERIFY(addWell("KEPT") > 0 && addMember(m_lists[0], "KEPT") > 0);
        gdiWell_t well = wellByKey("W02", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &well), 0);
        QCOMPARE(gdiCommit(), 0);
        expected = storeView(databasePath());
        QCOMPARE(devkitView(), expected);
        QVERIFY(addWell("DROPPED") > 0 && addMember(m_lists[0], "DROPPED") > 0);
        gdiWell_t kept = wellByKey("KEPT", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &kept), 0);
        break;
    }
    case IdReusedAfterRollback:
        rolledBackId = addWell("FIRST");
        QVERIFY(rolledBackId > 0);
        break;
    default: QFAIL("unknown scenario");
    }
    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(storeView(databasePath()), expected);
    QCOMPARE(devkitView(), expected);

    if (scenario == IdReusedAfterRollback) {
        // The database gives the rolled-back id again; the cache must not keep the old record.
        QCOMPARE(addWell("SECOND"), rolledBackId);
        gdiWell_t byId;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &byId);
        byId.id = rolledBackId;
        QCOMPARE(gdiRead(GDI_CLASS_WELL, &byId), 0);
        QCOMPARE(text(byId.wellKey), QByteArray("SECOND"));
        wellByKey("FIRST", &status);
        QCOMPARE(status, GDI_NO_DATA);
        QVERIFY(addWell("FIRST") > 0);
        QCOMPARE(gdiRollback(), 0);
        QCOMPARE(devkitView(), expected);
    }
    // A cold cache reads the same.
    QVERIFY(reopen());
    QCOMPARE(devkitView(), expected);
}

void TestOwDevkitCache::changesSeenAtOnce_data()
{
    // Base: wells K1-K3, list A {K1, K2}, list B {K3}; "A:K1" names a membership.
    QTest::addColumn<int>("change");
    QTest::addColumn<QStringList>("keysOfA");
    QTest::addColumn<QStringList>("keysOfB");
    QTest::addColumn<QString>("present");
    QTest::addColumn<QString>("absent");
    QTest::addColumn<QString>("duplicateWell");
    QTest::addColumn<QString>("freeWell");
    QTest::addColumn<QString>("duplicateMember");
    QTest::addColumn<QString>("freeMember");

    QTest::newRow("add a well and its membership")
        << int(AddWellAndMember) << QStringList{"K1", "K2", "K4"} << QStringList{"K3"} << "K4" << "K5" << "K4"
        << "K5" << "A:K4" << "B:K4";
    QTest::newRow("rename a well key") << int(RenameWellKey) << QStringList{"K1", "K2"} << QStringList{} << "K9"
                                       << "K3" << "K9" << "K3" << "B:K3" << "A:K9";
    QTest::newRow("move a membership to another list")
        << int(MoveMember) << QStringList{"K1"} << QStringList{"K2", "K3"} << "K2" << "K0" << "K2" << "K0" << "B:K2"
        << "A:K2";
    QTest::newRow("delete a well (and its membership)") << int(DeleteWell) << QStringList{"K2"} << QStringList{"K3"}
                                                         << "K2" << "K1" << "K3" << "K1" << "A:K2" << "A:K1";
    QTest::newRow("delete a list (and its memberships)")
        << int(DeleteList) << QStringList{} << QStringList{"K3"} << "K1" << "K0" << "K1" << "K0" << "B:K3" << "A:K1";
}

void TestOwDevkitCache::changesSeenAtOnce()
{
    QFETCH(int, change);
    QFETCH(QStringList, keysOfA);
    QFETCH(QStringList, keysOfB);
    QFETCH(QString, present);
    QFETCH(QString, absent);
    QFETCH(QString, duplicateWell);
    QFETCH(QString, freeWell);
    QFETCH(QString, duplicateMember);
    QFETCH(QString, freeMember);

    if (m_project != QLatin1String("VISIBLE")) {
        QVERIFY(openNewProject(QStringLiteral("VISIBLE")));
        const int a = addList("A");
        const int b = addList("B");
        QVERIFY(a && b && addWell("K1") > 0 && addWell("K2") > 0 && addWell("K3") > 0);
        QVERIFY(addMember(a, "K1") > 0 && addMember(a, "K2") > 0 && addMember(b, "K3") > 0);
        QVERIFY(addPick("K3", "TOP"));
        QCOMPARE(gdiCommit(), 0);
        m_lists = {a, b};
    }
    const QStringList base = devkitView(); // warms the cache and its indexes
    QCOMPARE(wellKeysOfList(m_lists[0]), (QStringList{"K1", "K2"}));
    const std::map<QChar, int> listIds = {{QLatin1Char('A'), m_lists[0]}, {QLatin1Char('B'), m_lists[1]}};

    int status = 0;
    switch (change) {
    case AddWellAndMember: QVERIFY(addWell("K4") > 0 && addMember(m_lists[0], "K4") > 0); break;
    case RenameWellKey: {
        gdiWell_t well = wellByKey("K3", &status);
        setText(well.wellKey, "K9");
        QCOMPARE(gdiUpdate(GDI_CLASS_WELL, &well), 0);
        // The pick still names K3: the renamed well has none, a well added as K3 gets it.
        QCOMPARE(countSubset(GDI_CLASS_WELL, &well, GDI_CLASS_SURFACE_PICK), 0);
        break;
    }
    case MoveMember: {
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        member.wellListId = m_lists[0];
        setText(member.wellKey, "K2");
        QCOMPARE(gdiRead(GDI_CLASS_WELL_LIST_MEMBER, &member), 0);
        member.wellListId = m_lists[1];
        QCOMPARE(gdiUpdate(GDI_CLASS_WELL_LIST_MEMBER, &member), 0);
        break;
    }
    case DeleteWell: {
        gdiWell_t well = wellByKey("K1", &status);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL, &well), 0);
        break;
    }
    case DeleteList: {
        gdiWellList_t list = listById(m_lists[0]);
        QCOMPARE(gdiDelete(GDI_CLASS_WELL_LIST, &list), 0);
        gdiWellList_t byName;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &byName);
        setText(byName.name, "A");
        QCOMPARE(gdiRead(GDI_CLASS_WELL_LIST, &byName), GDI_NO_DATA);
        break;
    }
    default: QFAIL("unknown change");
    }

    // Subsets through the memberships, their counts and the memberships themselves.
    for (const auto& expectation : {std::make_pair(m_lists[0], keysOfA), std::make_pair(m_lists[1], keysOfB)}) {
        QCOMPARE(wellKeysOfList(expectation.first), expectation.second);
        const gdiWellList_t list = listById(expectation.first);
        QCOMPARE(countSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL), expectation.second.size());
        int subsetStatus = 0;
        const Records members = readSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL_LIST_MEMBER, &subsetStatus);
        QCOMPARE(subsetStatus, members.empty() ? GDI_NO_DATA : 0);
        for (const QByteArray& member : members)
            QCOMPARE(as<gdiWellListMember_t>(member).wellListId, expectation.first);
    }
    // Reads by key.
    const gdiWell_t found = wellByKey(present.toLatin1().constData(), &status);
    QCOMPARE(status, 0);
    QCOMPARE(QString::fromLatin1(text(found.wellKey)), present);
    gdiWell_t byId;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &byId);
    byId.id = found.id;
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &byId), 0);
    QCOMPARE(QString::fromLatin1(text(byId.wellKey)), present);
    wellByKey(absent.toLatin1().constData(), &status);
    QCOMPARE(status, GDI_NO_DATA);
    // The duplicate check of gdiAdd.
    QCOMPARE(addWell(duplicateWell.toLatin1()), -GDI_DUPLICATE);
    QCOMPARE(addMember(listIds.at(duplicateMember[0]), duplicateMember.mid(2).toLatin1()), -GDI_DUPLICATE);
    QVERIFY(addWell(freeWell.toLatin1()) > 0);
    QVERIFY(addMember(listIds.at(freeMember[0]), freeMember.mid(2).toLatin1()) > 0);
    gdiWell_t renamed = wellByKey(freeWell.toLatin1().constData(), &status);
    QCOMPARE(status, 0);
    setText(renamed.wellKey, duplicateWell.toLatin1().constData());
    QCOMPARE(gdiUpdate(GDI_CLASS_WELL, &renamed), GDI_DUPLICATE);
    if (change == RenameWellKey) {
        gdiWell_t readded = wellByKey("K3", &status);
        QCOMPARE(status, 0);
        QCOMPARE(countSubset(GDI_CLASS_WELL, &readded, GDI_CLASS_SURFACE_PICK), 1);
    }

    QCOMPARE(gdiRollback(), 0);
    QCOMPARE(devkitView(), base);
    QCOMPARE(storeView(databasePath()), base);
}

void TestOwDevkitCache::concurrentReadsDuringWrites()
{
    QVERIFY(openNewProject(QStringLiteral("THREADS")));
    const int a = addList("A");
    const int b = addList("B");
    QVERIFY(a && b);
    QCOMPARE(gdiCommit(), 0);
    const int wells = 600;
    std::atomic<int> added{0};
    std::atomic<bool> done{false};
    std::mutex failureMutex;
    QStringList failures;
    auto fail = [&](const QString& what) {
        std::lock_guard<std::mutex> lock(failureMutex);
        if (failures.size() < 20)
            failures << what;
    };

    std::thread writer([&] {
        for (int i = 0; i < wells; ++i) {
            const QByteArray key = "CW-" + QByteArray::number(i);
            if (addWell(key) <= 0 || addMember(i % 2 ? b : a, key) <= 0)
                fail("cannot add " + key);
            added = i + 1;
            if (addWell(key) != -GDI_DUPLICATE)
                fail("duplicate well " + key + " accepted");
            if (i % 25 == 24 && gdiCommit() != 0)
                fail("commit failed");
        }
        if (gdiCommit() != 0)
            fail("last commit failed");
        done = true;
    });
    std::vector<std::thread> readers;
    std::atomic<int> rounds{0};
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            std::map<int, size_t> lastCount;
            while (!done) {
                for (int listId : {a, b}) {
                    const gdiWellList_t list = listById(listId);
                    const Records members = readSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL_LIST_MEMBER);
                    int previous = 0;
                    for (const QByteArray& member : members) {
                        const gdiWellListMember_t& m = as<gdiWellListMember_t>(member);
                        if (m.wellListId != listId || m.id <= previous)
                            fail(QStringLiteral("reader %1: membership %2 in list %3").arg(r).arg(m.id).arg(listId));
                        previous = m.id;
                    }
                    if (members.size() < lastCount[listId])
                        fail(QStringLiteral("reader %1: list %2 shrank").arg(r).arg(listId));
                    lastCount[listId] = members.size();
                    const Records listed = readSubset(GDI_CLASS_WELL_LIST, &list, GDI_CLASS_WELL);
                    for (const QByteArray& well : listed)
                        if (!text(as<gdiWell_t>(well).wellKey).startsWith("CW-"))
                            fail(QStringLiteral("reader %1: foreign well in list %2").arg(r).arg(listId));
                }
                const int seen = added;
                const Records all = readSet(GDI_CLASS_WELL);
                if (all.size() < size_t(seen))
                    fail(QStringLiteral("reader %1: %2 wells read after %3 were added").arg(r).arg(all.size()).arg(seen));
                int previousId = 0;
                for (const QByteArray& well : all) {
                    if (as<gdiWell_t>(well).id <= previousId)
                        fail(QStringLiteral("reader %1: wells out of order").arg(r));
                    previousId = as<gdiWell_t>(well).id;
                }
                if (seen > 0) {
                    const QByteArray key = "CW-" + QByteArray::number((seen * 7 + r) % seen);
                    int status = 0;
                    const gdiWell_t well = wellByKey(key.constData(), &status);
                    if (status != 0 || text(well.wellKey) != key)
                        fail(QStringLiteral("reader %1: %2 read as %3").arg(r).arg(QString(key)).arg(status));
                }
                ++rounds;
            }
        });
    }
    writer.join();
    for (std::thread& reader : readers)
        reader.join();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QVERIFY(rounds > 0);
    QCOMPARE(wellKeysOfList(a).size(), wells / 2);
    QCOMPARE(wellKeysOfList(b).size(), wells / 2);
    const QStringList expected = storeView(databasePath());
    QCOMPARE(devkitView(), expected);
    QVERIFY(reopen());
    QCOMPARE(devkitView(), expected);
}

void TestOwDevkitCache::otherProcessChanges()
{
    QVERIFY(openNewProject(QStringLiteral("SHARED")));
    QVERIFY(addWell("LOCAL-1") > 0);
    QCOMPARE(gdiCommit(), 0);
    QCOMPARE(readSet(GDI_CLASS_WELL).size(), size_t(1));
    QCOMPARE(readSet(GDI_CLASS_3D_SURVEY).size(), size_t(0)); // cached as empty
    const QStringList before = devkitView();

    const QString tool = TestEnvironment::binaryPath() + "/owsim";
    const QStringList where = {"--home", m_env->openWorksHome(), "--district", kDistrict, "--project", m_project};
    auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(tool, arguments + where);
        const bool finished = process.waitForFinished(120000);
        if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            qWarning("%s", process.readAll().constData());
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };

    // Another process adds a survey while the project stays open here.
    QVERIFY(run({"load-segy", "--file", TestEnvironment::sharedDataPath() + "/segy/small.sgy", "--survey", "Loaded"}));
    gdi3dSurvey_t sameName;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &sameName);
    setText(sameName.name, "Loaded");
    QCOMPARE(gdiAdd(GDI_CLASS_3D_SURVEY, &sameName), GDI_DUPLICATE);
    const Records surveys = readSet(GDI_CLASS_3D_SURVEY);
    QCOMPARE(surveys.size(), size_t(1));
    QCOMPARE(text(as<gdi3dSurvey_t>(surveys[0]).name), QByteArray("Loaded"));
    QCOMPARE(countSubset(GDI_CLASS_3D_SURVEY, surveys[0].constData(), GDI_CLASS_SEISMIC_DATA_SET), 1);
    QVERIFY(devkitView() != before);
    QCOMPARE(devkitView(), storeView(databasePath()));

    // Another process seeds the demo while the project is closed; reopening shows it.
    QCOMPARE(prjClose(), 0);
    QVERIFY(run({"seed-demo"}));
    int status = -1;
    prjOpen(m_project.toLatin1().constData(), 0, &status);
    QCOMPARE(status, 0);
    QCOMPARE(readSet(GDI_CLASS_WELL).size(), size_t(36)); // the demo's 35 and the one added above
    gdiWellList_t exploration;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &exploration);
    setText(exploration.name, "Exploration");
    QCOMPARE(gdiRead(GDI_CLASS_WELL_LIST, &exploration), 0);
    QCOMPARE(wellKeysOfList(exploration.id).size(), 12);
    gdiWell_t demoWell;
    gdiInitiateObject(GDI_CLASS_WELL, 1, &demoWell);
    setText(demoWell.wellKey, "NSW-12");
    QCOMPARE(gdiRead(GDI_CLASS_WELL, &demoWell), 0);
    QCOMPARE(countSubset(GDI_CLASS_WELL, &demoWell, GDI_CLASS_WELL_LIST_MEMBER), 2);
    QCOMPARE(gdiAdd(GDI_CLASS_WELL, &demoWell), GDI_DUPLICATE);
    const QStringList expected = storeView(databasePath());
    QCOMPARE(devkitView(), expected);

    // A new session after gdiClose reads the same.
    QCOMPARE(gdiClose(), 0);
    QCOMPARE(owinit(), 0);
    QCOMPARE(gdiInit(), 0);
    prjOpen(m_project.toLatin1().constData(), 0, &status);
    QCOMPARE(status, 0);
    QCOMPARE(devkitView(), expected);
}

QTEST_GUILESS_MAIN(TestOwDevkitCache)
#include "tst_owdevkit_cache.moc"
