// ZRLogDatabase: load with its version checks and structure update, the object
// model and its rules, save and reload of every object, refusals and failures
// that must leave the previous database untouched.

#include "testenvironment.h"
#include "welldbtestsupport.h"
#include "zrlogdatabase.h"
#include "zrlogdatafile.h"
#include "zrprogressbarmgr.h"
#include "zrwelldbsavejournal.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QtTest>

#include <memory>

namespace
{
const QString kReadOnly = QStringLiteral("Well database - Operation aborted: Well database is read-only");

QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString& fileName, const QByteArray& text)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray infoXml(int major, int minor)
{
    return QStringLiteral("<GlobalHeader><VersionNumber value=\"%1\"/><VersionNumberMinor value=\"%2\"/></GlobalHeader>")
        .arg(major)
        .arg(minor)
        .toUtf8();
}

/// Every file of a folder with its bytes (what a failed save must not change).
QMap<QString, QByteArray> folderSnapshot(const QString& folder)
{
    QMap<QString, QByteArray> snapshot;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (!name.endsWith(QLatin1String(".sql")))
            snapshot.insert(name, fileBytes(folder + QLatin1Char('/') + name));
    }
    return snapshot;
}

QStringList tableDump(const QString& folder)
{
    RawConnection raw(ZRLogDatabase::databaseFileName(folder));
    QStringList dump;
    for (const char* table : {"WELL_TABLE", "SET_TABLE", "LOG_TABLE", "MARKERINFOS_TABLE", "MARKERTOPBOTTOM_TABLE",
                              "WELLSET_TABLE", "WELLSETTOWELLSRELATION_TABLE"}) {
        const QString name = QString::fromLatin1(table);
        for (const QString& row : raw.rows(QStringLiteral("SELECT * FROM ") + name + QStringLiteral(" ORDER BY ID")))
            dump.append(name + QLatin1Char(':') + row);
    }
    return dump;
}

/// The old-style tables of a database written before structure 6.9 (SET_TABLE without CHECKSHOT_TYPE).
bool createOldStructure(const QString& folder, bool withRows)
{
    RawConnection raw(ZRLogDatabase::databaseFileName(folder));
    bool ok = raw.exec("create table WELL_TABLE (ID integer primary key unique,NAME TEXT NOT NULL UNIQUE,XUTM REAL "
                       "NOT NULL,YUTM REAL NOT NULL,REFSET_ID INTEGER,KB REAL NOT NULL,KBUnit INTEGER NOT NULL,UWI "
                       "TEXT,WELLSTATUS INTEGER,WELLCOLOR TEXT,OriginalSpatialUnit INTEGER);")
              && raw.exec("create table SET_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_TYPE INTEGER "
                          "NOT NULL,WELL_ID INTEGER NOT NULL,SHIFT_DEPTH REAL,TWT_SHIFTING REAL,DEPTH1_TYPE "
                          "INTEGER,DEPTH2_TYPE INTEGER,DEVIATION_TYPE INTEGER,DEVIATION_METHOD INTEGER);")
              && raw.exec("create table LOG_TABLE (ID integer primary key unique,NAME TEXT NOT NULL,SET_ID INTEGER "
                          "NOT NULL,NOVALUE REAL,UNIT TEXT,LOGTYPE INTEGER);");
    if (ok && withRows)
        ok = raw.exec("insert into WELL_TABLE values (1,'Old well',10.0,20.0,1,5.0,0,'U1',NULL,NULL,NULL);")
             && raw.exec("insert into SET_TABLE values (1,'TZ',1,1,0,0,1,1,1,2);");
    return ok;
}
} // namespace

class TestZRLogDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createEmptyDatabase();
    void startupAndProjectChangeLoads();
    void everyObjectSurvivesSaveAndLoad();
    void changesAndRemovalsAreSaved();
    void logIdsAvoidRemovedOnes();

    void versionChecks_data();
    void versionChecks();
    void structureUpdate_data();
    void structureUpdate();
    void emptyOldDatabaseIsUpdatedWithoutQuestion();

    void wellNamesAreCaseInsensitive();
    void duplicatedWellNamesAreRenamedOnLoad();
    void markerInfoNamesAreTrimmed();
    void referenceSets();
    void storedReferenceSetKindsAreSanitized();
    void missingCurrentReferenceSetIsReported();
    void setsAndLogsByName();
    void wellSets();
    void originalCrsReachesEverySet();
    void markerDatabaseUpdate();
    void markerSetWithoutWellIsReported();
    void referenceSetUpdate();

    void saveProgress();
    void twoDatabasesOpenAtOnce();
    void invalidDatabaseRefusesChanges();
    void unwritableFileRefusesSave();
    void failingStatementLeavesPreviousDatabase_data();
    void failingStatementLeavesPreviousDatabase();
    void failingDataFileLeavesPreviousDatabase();

private:
    QString newDatabaseFolder(const QString& hint);

    std::unique_ptr<TestEnvironment> m_environment;
    MessageCapture m_capture;
    std::shared_ptr<ScriptedAnswerer> m_answerer;
};

void TestZRLogDatabase::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    QVERIFY(m_capture.start());
}

void TestZRLogDatabase::init()
{
    m_answerer = std::make_shared<ScriptedAnswerer>(true);
    ZRWellDbAnswerer::setDefaultAnswerer(m_answerer);
    m_capture.clear();
}

void TestZRLogDatabase::cleanup()
{
    ZRWellDbAnswerer::setDefaultAnswerer(nullptr);
}

QString TestZRLogDatabase::newDatabaseFolder(const QString& hint)
{
    const QString folder = m_environment->makeFolder(hint) + QStringLiteral("/Wells");
    ZRLogDatabase database;
    if (!database.createEmptyDatabase(folder))
        return QString();
    return folder;
}

void TestZRLogDatabase::createEmptyDatabase()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("empty")) + QStringLiteral("/a/b");
    {
        ZRLogDatabase database;
        QVERIFY(database.createEmptyDatabase(folder));
        QVERIFY(database.isValid());
        QCOMPARE(database.databasePath(), folder);
        QCOMPARE(database.versionInfo().versionText(), QStringLiteral("6.9"));
        QVERIFY(!database.createEmptyDatabase(folder)); // the file exists now
    }
    QVERIFY(QFile::exists(folder + QStringLiteral("/wellQt4Velostrat.sql")));
    QVERIFY(fileBytes(folder + QStringLiteral("/wellDbInfo.xml")).contains("VersionNumberMinor value=\"9\""));

    RawConnection raw(folder + QStringLiteral("/wellQt4Velostrat.sql"));
    const QStringList tables = raw.rows("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    for (const char* table : {"WELL_TABLE", "SET_TABLE", "LOG_TABLE", "MARKERINFOS_TABLE", "MARKERTOPBOTTOM_TABLE",
                              "WELLSET_TABLE", "WELLSETTOWELLSRELATION_TABLE", "MARKERSELECTION_TABLE",
                              "MARKERSELECTIONWELLSRELATION_TABLE"})
        QVERIFY2(tables.contains(QString::fromLatin1(table)), table);
    // SQLite keeps the statement text, with its first two words in capitals.
    QCOMPARE(raw.rows("SELECT sql FROM sqlite_master WHERE name='WELL_TABLE'").value(0),
             QStringLiteral("CREATE TABLE WELL_TABLE (ID integer primary key unique,NAME TEXT  NOT NULL  UNIQUE ,"
                            "XUTM REAL  NOT NULL ,YUTM REAL  NOT NULL ,REFSET_ID INTEGER ,KB REAL  NOT NULL ,"
                            "KBUnit INTEGER  NOT NULL ,UWI TEXT ,WELLSTATUS INTEGER ,WELLCOLOR TEXT ,"
                            "OriginalSpatialUnit INTEGER )"));
    QCOMPARE(raw.rows("SELECT sql FROM sqlite_master WHERE name='WELLSETTOWELLSRELATION_TABLE'").value(0),
             QStringLiteral("CREATE TABLE WELLSETTOWELLSRELATION_TABLE (ID integer primary key autoincrement unique,"
                            "WELLSET_ID INTEGER  NOT NULL ,WELL_ID INTEGER  NOT NULL )"));
}

void TestZRLogDatabase::startupAndProjectChangeLoads()
{
    const QString folder = newDatabaseFolder(QStringLiteral("startup"));
    QVERIFY(!folder.isEmpty());
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("Project A")));
        QVERIFY(QSqlDatabase::connectionNames().contains(QStringLiteral("VS_OW_CONNECTOR")));
        QVERIFY(database.isValid());
        QVERIFY(!database.isReadOnly());
    }
    QVERIFY(!QSqlDatabase::connectionNames().contains(QStringLiteral("VS_OW_CONNECTOR")));
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(0, QStringLiteral("Project well database version :6.9")));

    // A project without a database: the start-up load fails, the project-change load creates one.
    const QString fresh = m_environment->makeFolder(QStringLiteral("fresh")) + QStringLiteral("/Wells");
    {
        ZRLogDatabase database;
        QVERIFY(!database.loadAtStartup(fresh, QStringLiteral("Fresh")));
        QVERIFY(!database.isValid());
        QVERIFY(!QFile::exists(ZRLogDatabase::databaseFileName(fresh)));
    }
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAfterProjectChange(fresh, QStringLiteral("Fresh")));
        QVERIFY(database.isValid());
        QVERIFY(database.CreateWell(QStringLiteral("W1")));
        QVERIFY(database.save());
    }
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(fresh, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("Fresh"), false));
    QCOMPARE(reloaded.wells().size(), 1);
    QVERIFY(m_answerer->questions.isEmpty());
}

void TestZRLogDatabase::everyObjectSurvivesSaveAndLoad()
{
    const QString folder = newDatabaseFolder(QStringLiteral("roundtrip"));
    QVERIFY(!folder.isEmpty());
    int realLogId = 0;
    int intLogId = 0;
    int textLogId = 0;
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRWell* well = database.CreateWell(QStringLiteral("Well 'A'"));
        QVERIFY(well);
        QCOMPARE(well->id(), 1);
        well->setUwi(QStringLiteral("UWI-1"));
        well->setX(512345.125);
        well->setY(6789012.5);
        well->setKb(25.75);
        well->setKbUnit(1);
        well->setStatus(3);
        well->setColor(QStringLiteral("#ff8000"));
        well->setOriginalSpatialUnit(2);
        ZRWell* second = database.CreateWell(QStringLiteral("Well B"));
        QCOMPARE(second->id(), 2);

        ZRRefSet* trajectory = database.CreateRefSet(QStringLiteral("TZ_Deviation"), well);
        trajectory->setShiftDepth(12.5);
        trajectory->setTwtShifting(-3.25);
        trajectory->setDepth1Type(4);
        trajectory->setCheckShotType(2);
        ZRRefSet* timeDepth = database.CreateRefSet(QStringLiteral("Checkshots"), well, 1);
        ZRSet* logSet = database.CreateLogSet(QStringLiteral("Curves"), well);
        ZRLog* gamma = database.CreateLog(QStringLiteral("GR"), logSet, true);
        gamma->setNoValue(-9999.0);
        gamma->setUnit(QStringLiteral("API"));
        gamma->setLogType(7);
        database.setLogData(gamma, QVector<double>{1.5, -9999.0, 88.25});
        ZRLog* facies = database.CreateLog(QStringLiteral("Facies"), logSet, true);
        database.setLogData(facies, QVector<qint32>{1, 2, 2, 3});
        ZRSet* markerSet = database.CreateMarkerSet(QStringLiteral("Markers"), well);
        ZRLog* names = database.CreateLog(QStringLiteral("LogNameMarkerSet"), markerSet, true);
        ZRLog* tops = database.CreateLog(QStringLiteral("LogTopMarkerSet"), markerSet, true);
        ZRLog* bottoms = database.CreateLog(QStringLiteral("LogBottomMarkerSet"), markerSet, true);
        database.setLogData(names, QStringList{QStringLiteral("Top A"), QStringLiteral("Top B")});
        database.setLogData(tops, QVector<double>{1000.0, 1500.0});
        database.setLogData(bottoms, QVector<double>{1100.0, 1600.0});
        ZRMarkerInfos* topA = database.CreateMarkerInfo(QStringLiteral("Top A"));
        topA->setColor(QStringLiteral("#112233"));
        QVERIFY(database.updateMarkerDatabase());
        ZRWellSet* list = database.wellSet(QStringLiteral("Well List"));
        database.addWellToWellSet(well, list);
        database.addWellToWellSet(second, list);
        database.addWellToWellSet(second, database.wellSet(QStringLiteral("Other")));
        realLogId = gamma->id();
        intLogId = facies->id();
        textLogId = names->id();
        QCOMPARE(well->currentRefSet(), trajectory);
        Q_UNUSED(timeDepth);
        QVERIFY(database.save());
        QVERIFY(!gamma->pendingData());
    }
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));
    QVERIFY(QDir(folder).entryList({QStringLiteral("*.saving")}, QDir::Files).isEmpty());
    QCOMPARE(fileBytes(folder + QStringLiteral("/LOGDATA_") + QString::number(realLogId)).size(), 8 + 3 * 8);

    ZRLogDatabase database;
    QVERIFY(database.load(folder, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("P"), false));
    QCOMPARE(database.wells().size(), 2);
    ZRWell* well = database.findWell(QStringLiteral("well 'a'"));
    QVERIFY(well);
    QCOMPARE(well->id(), 1);
    QCOMPARE(well->name(), QStringLiteral("Well 'A'"));
    QCOMPARE(well->uwi(), QStringLiteral("UWI-1"));
    QCOMPARE(well->x(), 512345.125);
    QCOMPARE(well->y(), 6789012.5);
    QCOMPARE(well->kb(), 25.75);
    QCOMPARE(well->kbUnit(), 1);
    QCOMPARE(well->status(), std::optional<int>(3));
    QCOMPARE(well->color(), QStringLiteral("#ff8000"));
    QCOMPARE(well->originalSpatialUnit(), std::optional<int>(2));
    QVERIFY(!well->isModified());
    ZRWell* second = database.findWell(2);
    QVERIFY(second);
    QVERIFY(second->uwi().isNull());
    QCOMPARE(second->status(), std::optional<int>());

    ZRRefSet* trajectory = database.findRefSet(QStringLiteral("TZ_Deviation"), well);
    QVERIFY(trajectory);
    QCOMPARE(well->currentRefSet(), trajectory);
    QCOMPARE(trajectory->shiftDepth(), 12.5);
    QCOMPARE(trajectory->twtShifting(), -3.25);
    QCOMPARE(trajectory->depth1Type(), 4);
    QCOMPARE(trajectory->depth2Type(), 2);
    QCOMPARE(trajectory->deviationType(), 1);
    QCOMPARE(trajectory->deviationMethod(), 2);
    QCOMPARE(trajectory->checkShotType(), 2);
    QCOMPARE(database.findRefSet(QStringLiteral("Checkshots"), well)->depth2Type(), 1);
    QCOMPARE(database.GetSetsFromWell(well, ZRSet::RefSetType).size(), 2);
    QCOMPARE(database.GetSetsFromWell(well, ZRSet::LogSetType).size(), 1);

    ZRSet* logSet = database.findSet(QStringLiteral("Curves"), well);
    QVERIFY(logSet);
    QCOMPARE(logSet->setType(), int(ZRSet::LogSetType));
    ZRLog* gamma = database.findLog(QStringLiteral("GR"), logSet);
    QVERIFY(gamma);
    QCOMPARE(gamma->id(), realLogId);
    QCOMPARE(gamma->noValue(), std::optional<double>(-9999.0));
    QCOMPARE(gamma->unit(), QStringLiteral("API"));
    QCOMPARE(gamma->logType(), std::optional<int>(7));
    QVector<double> values;
    QVERIFY(database.getLogData(gamma, values));
    QCOMPARE(values, (QVector<double>{1.5, -9999.0, 88.25}));
    QVector<qint32> faciesValues;
    QVERIFY(database.getLogData(database.findLog(intLogId), faciesValues));
    QCOMPARE(faciesValues, (QVector<qint32>{1, 2, 2, 3}));
    QVERIFY(database.getLogData(database.findLog(intLogId), values)); // integers read as reals
    QCOMPARE(values, (QVector<double>{1, 2, 2, 3}));
    QStringList names;
    QVERIFY(database.getLogData(database.findLog(textLogId), names));
    QCOMPARE(names, (QStringList{QStringLiteral("Top A"), QStringLiteral("Top B")}));
    QVERIFY(!database.getLogData(database.findLog(textLogId), values));

    QCOMPARE(database.markerInfos().size(), 2);
    ZRMarkerInfos* topA = database.findMarkerInfo(QStringLiteral("Top A"));
    QVERIFY(topA);
    QCOMPARE(topA->color(), QStringLiteral("#112233"));
    const QVector<ZRMarkerTopBottom*> markers = database.GetMarkerDataFromWell(well, topA);
    QCOMPARE(markers.size(), 1);
    QCOMPARE(markers[0]->top(), 1000.0);
    QCOMPARE(markers[0]->bottom(), std::optional<double>(1100.0));
    QCOMPARE(markers[0]->markerSet(), database.findSet(QStringLiteral("Markers"), well));
    QVector<ZRMarkerListEntry> list;
    QVERIFY(ZRLogDataFile::readMarkerList(
        ZRLogDataFile::markerListFileName(folder, markers[0]->markerSet()->id()), list));
    QCOMPARE(list.size(), 2);

    QCOMPARE(database.wellSets().size(), 2);
    QCOMPARE(database.wellSetsOfWell(second), (QStringList{QStringLiteral("Well List"), QStringLiteral("Other")}));
    QCOMPARE(database.wellSetsOfWell(well), QStringList{QStringLiteral("Well List")});
    QCOMPARE(database.wellSet(QStringLiteral("Well List"))->wells(), (QVector<ZRWell*>{well, second}));

    // Reading the rows directly: the well row as the table holds it.
    RawConnection raw(ZRLogDatabase::databaseFileName(folder));
    QCOMPARE(raw.rows("SELECT * FROM WELL_TABLE WHERE ID=1").value(0),
             QStringLiteral("1|Well 'A'|512345.125|6789012.5|%1|25.75|1|UWI-1|3|#ff8000|2").arg(trajectory->id()));
    QCOMPARE(raw.rows("SELECT SET_TYPE,SHIFT_DEPTH,DEVIATION_METHOD FROM SET_TABLE WHERE NAME='Curves'").value(0),
             QStringLiteral("3|NULL|NULL"));
}

void TestZRLogDatabase::changesAndRemovalsAreSaved()
{
    const QString folder = newDatabaseFolder(QStringLiteral("changes"));
    int removedLogId = 0;
    int keptLogId = 0;
    int removedSetId = 0;
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRWell* keep = database.CreateWell(QStringLiteral("Keep"));
        ZRWell* drop = database.CreateWell(QStringLiteral("Drop"));
        ZRSet* set = database.CreateLogSet(QStringLiteral("S"), keep);
        ZRLog* kept = database.CreateLog(QStringLiteral("A"), set, true);
        ZRLog* removed = database.CreateLog(QStringLiteral("B"), set, true);
        database.setLogData(kept, QVector<double>{1, 2, 3});
        database.setLogData(removed, QVector<double>{4, 5});
        ZRSet* dropSet = database.CreateLogSet(QStringLiteral("D"), drop);
        database.setLogData(database.CreateLog(QStringLiteral("C"), dropSet, true), QVector<double>{9});
        database.addWellToWellSet(drop, database.wellSet(QStringLiteral("L")));
        removedLogId = removed->id();
        keptLogId = kept->id();
        removedSetId = dropSet->id();
        QVERIFY(database.save());
    }
    QVERIFY(QFile::exists(ZRLogDataFile::logFileName(folder, removedLogId)));
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRWell* keep = database.findWell(QStringLiteral("Keep"));
        keep->setX(42.0);
        ZRLog* kept = database.findLog(keptLogId);
        database.setLogData(kept, QVector<double>{7, 8});
        QVERIFY(database.removeLog(database.findLog(removedLogId)));
        QVERIFY(database.removeWell(database.findWell(QStringLiteral("Drop"))->id()));
        QVERIFY(!database.findSet(removedSetId));
        QCOMPARE(database.wellSet(QStringLiteral("L"))->members().size(), 0);
        QVERIFY(database.removedLogIds().contains(removedLogId));
        m_capture.clear();
        QVERIFY(database.save());
        QVERIFY(database.removedLogIds().isEmpty());
    }
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(0, QStringLiteral("Removing log data:") + QString::number(removedLogId)));
    QVERIFY(!QFile::exists(ZRLogDataFile::logFileName(folder, removedLogId)));

    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(database.wells().size(), 1);
    QCOMPARE(database.findWell(QStringLiteral("Keep"))->x(), 42.0);
    QCOMPARE(database.logs().size(), 1);
    QVector<double> values;
    QVERIFY(database.getLogData(database.findLog(keptLogId), values));
    QCOMPARE(values, (QVector<double>{7, 8}));
    QCOMPARE(database.sets().size(), 1);
    const QStringList dump = tableDump(folder);
    QCOMPARE(dump.filter(QStringLiteral("WELLSETTOWELLSRELATION_TABLE:")).size(), 0);
    QCOMPARE(dump.filter(QStringLiteral("WELLSET_TABLE:")).size(), 1);
}

void TestZRLogDatabase::logIdsAvoidRemovedOnes()
{
    const QString folder = newDatabaseFolder(QStringLiteral("logids"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.CreateWell(QStringLiteral("W"));
    ZRSet* set = database.CreateLogSet(QStringLiteral("S"), well);
    ZRLog* first = database.CreateLog(QStringLiteral("A"), set, true);
    ZRLog* second = database.CreateLog(QStringLiteral("B"), set, true);
    QCOMPARE(second->id(), first->id() + 1);
    QVERIFY(database.save());
    const int removedId = second->id();
    QVERIFY(database.removeLog(second));
    ZRLog* third = database.CreateLog(QStringLiteral("C"), set, true);
    QVERIFY(third->id() != removedId);
    QVERIFY(third->id() != first->id());

    // A data file left under the id a new log takes is removed at creation.
    const int nextId = third->id() + 1;
    QVERIFY(writeText(ZRLogDataFile::logFileName(folder, nextId), "stale"));
    ZRLog* fourth = database.CreateLog(QStringLiteral("D"), set, false);
    QCOMPARE(fourth->id(), nextId);
    QVERIFY(!QFile::exists(ZRLogDataFile::logFileName(folder, nextId)));
    QVERIFY(database.save());
    QCOMPARE(fileBytes(ZRLogDataFile::logFileName(folder, nextId)).size(), 8); // empty real log
}

void TestZRLogDatabase::versionChecks_data()
{
    QTest::addColumn<QByteArray>("info");          // empty: no info file
    QTest::addColumn<bool>("withDatabase");
    QTest::addColumn<QString>("oldFile");          // an older database file to place
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("versionMessage");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("message");

    QTest::newRow("current") << infoXml(6, 9) << true << QString() << true
                             << "Project well database version :6.9" << QString() << QString();
    QTest::newRow("newer major") << infoXml(7, 0) << true << QString() << false
                                 << "Project well database version :7.0"
                                 << "Obsolete Velostrat version | Current Velostrat version is too old for current "
                                    "well database. Please update it."
                                 << "Current Velostrat version is too old for current well database";
    QTest::newRow("info missing") << QByteArray() << true << QString() << true
                                  << "Project well database version :Unknown.Unknown" << QString()
                                  << "Welldbinfo XML File missing. file added";
    QTest::newRow("old wellVelostrat") << QByteArray() << false << "wellVelostrat.sql" << false
                                       << "Project well database version :Unknown.Unknown"
                                       << "Warning | Some wells created using obsolete Velostrat version have been "
                                          "detected."
                                       << QString();
    QTest::newRow("old testVelostrat") << QByteArray() << false << "testVelostrat.sql" << false
                                       << "Project well database version :Unknown.Unknown"
                                       << "Warning | Some wells created using obsolete Velostrat version have been "
                                          "detected."
                                       << QString();
    QTest::newRow("no database") << QByteArray() << false << QString() << false
                                 << "Project well database version :Unknown.Unknown" << QString() << QString();
}

void TestZRLogDatabase::versionChecks()
{
    QFETCH(QByteArray, info);
    QFETCH(bool, withDatabase);
    QFETCH(QString, oldFile);
    QFETCH(bool, loads);
    QFETCH(QString, versionMessage);
    QFETCH(QString, warning);
    QFETCH(QString, message);

    QString folder = m_environment->makeFolder(QStringLiteral("version"));
    if (withDatabase) {
        folder = newDatabaseFolder(QStringLiteral("version"));
        QVERIFY(!folder.isEmpty());
    }
    QFile::remove(folder + QStringLiteral("/wellDbInfo.xml"));
    if (!info.isEmpty())
        QVERIFY(writeText(folder + QStringLiteral("/wellDbInfo.xml"), info));
    if (!oldFile.isEmpty())
        QVERIFY(writeText(folder + QLatin1Char('/') + oldFile, "old"));
    m_capture.clear();

    ZRLogDatabase database;
    QCOMPARE(database.loadAtStartup(folder, QStringLiteral("P")), loads);
    QCOMPARE(database.isValid(), loads);
    QVERIFY(m_capture.sync());
    QVERIFY2(m_capture.contains(0, versionMessage), qPrintable(m_capture.texts().join('\n')));
    if (warning.isEmpty()) {
        QVERIFY(m_answerer->warnings.isEmpty());
    } else {
        QCOMPARE(m_answerer->warnings.size(), 1);
        QVERIFY2(m_answerer->warnings[0].startsWith(warning), qPrintable(m_answerer->warnings[0]));
    }
    if (!message.isEmpty())
        QVERIFY2(m_capture.texts().contains(message), qPrintable(m_capture.texts().join('\n')));
    if (loads)
        QCOMPARE(fileBytes(folder + QStringLiteral("/wellDbInfo.xml")).contains("VersionNumber value=\"6\""), true);
}

void TestZRLogDatabase::structureUpdate_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("silent");
    QTest::newRow("update") << true << false;
    QTest::newRow("skip") << false << false;
    QTest::newRow("silent") << false << true;
}

void TestZRLogDatabase::structureUpdate()
{
    QFETCH(bool, update);
    QFETCH(bool, silent);
    // Version 6.9 recorded, but SET_TABLE lacks CHECKSHOT_TYPE: out of date all the same.
    const QString folder = m_environment->makeFolder(QStringLiteral("update"));
    QVERIFY(createOldStructure(folder, true));
    QVERIFY(writeText(folder + QStringLiteral("/wellDbInfo.xml"), infoXml(6, 9)));
    m_answerer = std::make_shared<ScriptedAnswerer>(update);

    ZRLogDatabase database;
    database.setAnswerer(m_answerer);
    const bool loaded = database.load(folder, ZRLogDatabase::StartupConnectionName, QStringLiteral("North Sea"), silent);
    QCOMPARE(m_answerer->questions, silent ? QStringList() : QStringList{QStringLiteral("North Sea")});
    const bool updated = update || silent;
    QCOMPARE(loaded, updated);
    QCOMPARE(database.isValid(), updated);
    QCOMPARE(database.sqlDatabase().hasColumn(QStringLiteral("SET_TABLE"), QStringLiteral("CHECKSHOT_TYPE")), updated);
    QCOMPARE(QFile::exists(folder + QStringLiteral("/wellQt4Velostrat_backup.sql")), updated);
    if (!updated) {
        QVERIFY(database.wells().isEmpty());
        QVERIFY(!database.save());
        return;
    }
    ZRWell* well = database.findWell(QStringLiteral("old well"));
    QVERIFY(well);
    QVERIFY(well->currentRefSet());
    QCOMPARE(well->currentRefSet()->checkShotType(), 0);
    QCOMPARE(well->currentRefSet()->depth2Type(), 1);
    QVERIFY(database.save());
    QVERIFY(fileBytes(folder + QStringLiteral("/wellDbInfo.xml")).contains("VersionNumberMinor value=\"9\""));

    RawConnection raw(ZRLogDatabase::databaseFileName(folder));
    QCOMPARE(raw.rows("SELECT NAME FROM WELL_TABLE").value(0), QStringLiteral("Old well"));
}

void TestZRLogDatabase::emptyOldDatabaseIsUpdatedWithoutQuestion()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("emptyold"));
    QVERIFY(createOldStructure(folder, false));
    QVERIFY(writeText(folder + QStringLiteral("/wellDbInfo.xml"), infoXml(6, 8)));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(m_answerer->questions.isEmpty());
    QVERIFY(database.sqlDatabase().hasColumn(QStringLiteral("SET_TABLE"), QStringLiteral("CHECKSHOT_TYPE")));
    QCOMPARE(database.versionInfo().versionText(), QStringLiteral("6.9"));
}

void TestZRLogDatabase::wellNamesAreCaseInsensitive()
{
    const QString folder = newDatabaseFolder(QStringLiteral("casenames"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* alpha = database.CreateWell(QStringLiteral("Alpha-1"));
    QVERIFY(alpha);
    QVERIFY(!database.CreateWell(QStringLiteral("ALPHA-1")));
    QVERIFY(!database.CreateWell(QStringLiteral("alpha-1")));
    QCOMPARE(database.findWell(QStringLiteral("aLpHa-1")), alpha);
    QVERIFY(!database.findWell(QStringLiteral("Alpha-2")));
    QCOMPARE(database.wells().size(), 1);
}

void TestZRLogDatabase::duplicatedWellNamesAreRenamedOnLoad()
{
    const QString folder = newDatabaseFolder(QStringLiteral("duplicates"));
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (1,'Well',0,0,0,0)"));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (2,'WELL',0,0,0,0)"));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (3,'well_1',0,0,0,0)"));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit) values (4,'wELL',0,0,0,0)"));
    }
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        QCOMPARE(database.findWell(1)->name(), QStringLiteral("Well"));
        QCOMPARE(database.findWell(2)->name(), QStringLiteral("WELL_2"));
        QCOMPARE(database.findWell(3)->name(), QStringLiteral("well_1"));
        QCOMPARE(database.findWell(4)->name(), QStringLiteral("wELL_3"));
        QVERIFY(database.findWell(2)->isModified());
        QVERIFY(!database.findWell(1)->isModified());
        QVERIFY(database.save());
    }
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(0, QStringLiteral("Well names are now case insensitive. To ensure well name uniqueness, "
                                                 "the well WELL has been renamed to WELL_2")));
    QVERIFY(m_capture.contains(0, QStringLiteral("Well names are now case insensitive. To ensure well name uniqueness, "
                                                 "the well wELL has been renamed to wELL_3")));
    m_capture.clear();
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QCOMPARE(database.findWell(2)->name(), QStringLiteral("WELL_2"));
    QVERIFY(m_capture.sync());
    QCOMPARE(m_capture.countStartingWith(QStringLiteral("Well names are now case insensitive")), 0);
}

void TestZRLogDatabase::markerInfoNamesAreTrimmed()
{
    const QString folder = newDatabaseFolder(QStringLiteral("markernames"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRMarkerInfos* top = database.CreateMarkerInfo(QStringLiteral("  Top Brent \t"));
    QVERIFY(top);
    QCOMPARE(top->name(), QStringLiteral("Top Brent"));
    QCOMPARE(top->id(), 1);
    QVERIFY(!database.CreateMarkerInfo(QStringLiteral("Top Brent")));
    QVERIFY(!database.CreateMarkerInfo(QStringLiteral(" Top Brent ")));
    QCOMPARE(database.findMarkerInfo(QStringLiteral("   Top Brent")), top);
    QVERIFY(!database.findMarkerInfo(QStringLiteral("top brent")));
    ZRMarkerInfos* unnamed = database.CreateMarkerInfo(QStringLiteral("   "));
    QVERIFY(unnamed);
    QCOMPARE(unnamed->name(), QStringLiteral("NO_NAME"));
    QCOMPARE(unnamed->id(), 2);
    QVERIFY(!database.CreateMarkerInfo(QString()));
    QCOMPARE(database.markerInfos().size(), 2);
}

void TestZRLogDatabase::referenceSets()
{
    const QString folder = newDatabaseFolder(QStringLiteral("refsets"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.CreateWell(QStringLiteral("W"));
    QVERIFY(!well->currentRefSet());
    ZRRefSet* first = database.CreateRefSet(QStringLiteral("TD 1"), well, 1);
    QVERIFY(first);
    QCOMPARE(well->currentRefSet(), first);
    ZRRefSet* second = database.CreateRefSet(QStringLiteral("TZ_Deviation"), well);
    QVERIFY(second);
    QCOMPARE(well->currentRefSet(), first);
    QCOMPARE(second->id(), first->id() + 1);
    QCOMPARE(second->shiftDepth(), 0.0);
    QCOMPARE(second->twtShifting(), 0.0);
    QCOMPARE(second->depth1Type(), 0);
    QCOMPARE(second->depth2Type(), 2);
    QCOMPARE(second->deviationType(), 1);
    QCOMPARE(second->deviationMethod(), 2);
    QCOMPARE(second->checkShotType(), 0);
    QCOMPARE(first->depth2Type(), 1);
    QVERIFY(!database.CreateRefSet(QStringLiteral("TD 1"), well));
    QVERIFY(!database.CreateLogSet(QStringLiteral("TD 1"), well));
    QVERIFY(database.CreateLogSet(QStringLiteral("td 1"), well)); // set names compare exactly

    // Removing the current reference set leaves the well without one; the next one created takes its place.
    QVERIFY(database.removeSet(first));
    QVERIFY(!well->currentRefSet());
    ZRRefSet* third = database.CreateRefSet(QStringLiteral("TD 2"), well, 1);
    QCOMPARE(well->currentRefSet(), third);
}

void TestZRLogDatabase::storedReferenceSetKindsAreSanitized()
{
    const QString folder = newDatabaseFolder(QStringLiteral("sanitize"));
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit,REFSET_ID) values (1,'W',0,0,0,0,1)"));
        // DEPTH1 5, DEPTH2 4 (kept), DEVIATION_TYPE 4, CHECKSHOT 7, DEVIATION_METHOD NULL.
        QVERIFY(raw.exec("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID,DEPTH1_TYPE,DEPTH2_TYPE,DEVIATION_TYPE,"
                         "CHECKSHOT_TYPE,DEVIATION_METHOD) values (1,'R1',1,1,5,4,4,7,NULL)"));
        // All in range: kept.
        QVERIFY(raw.exec("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID,DEPTH1_TYPE,DEPTH2_TYPE,DEVIATION_TYPE,"
                         "CHECKSHOT_TYPE,DEVIATION_METHOD) values (2,'R2',1,1,4,3,3,4,0)"));
        QVERIFY(raw.exec("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID,DEPTH1_TYPE,DEPTH2_TYPE,DEVIATION_TYPE,"
                         "CHECKSHOT_TYPE,DEVIATION_METHOD) values (3,'R3',1,1,0,0,0,0,3)"));
    }
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.findWell(1);
    ZRRefSet* r1 = database.findRefSet(QStringLiteral("R1"), well);
    QVERIFY(r1);
    QCOMPARE(well->currentRefSet(), r1);
    QCOMPARE(r1->depth1Type(), 0);
    QCOMPARE(r1->depth2Type(), 4);
    QCOMPARE(r1->deviationType(), 0);
    QCOMPARE(r1->checkShotType(), 0);
    QCOMPARE(r1->deviationMethod(), 2);
    ZRRefSet* r2 = database.findRefSet(QStringLiteral("R2"), well);
    QCOMPARE(r2->depth1Type(), 4);
    QCOMPARE(r2->depth2Type(), 3);
    QCOMPARE(r2->deviationType(), 3);
    QCOMPARE(r2->checkShotType(), 4);
    QCOMPARE(r2->deviationMethod(), 0);
    QCOMPARE(database.findRefSet(QStringLiteral("R3"), well)->deviationMethod(), 2);
}

void TestZRLogDatabase::missingCurrentReferenceSetIsReported()
{
    const QString folder = newDatabaseFolder(QStringLiteral("missingref"));
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit,REFSET_ID) values (3,'W3',0,0,0,0,99)"));
        QVERIFY(raw.exec("insert into WELL_TABLE (ID,NAME,XUTM,YUTM,KB,KBUnit,REFSET_ID) values (4,'W4',0,0,0,0,NULL)"));
    }
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("Proj")));
    QVERIFY(!database.findWell(3)->currentRefSet());
    QVERIFY(m_capture.sync());
    QVERIFY2(m_capture.contains(1, QStringLiteral("Well db Proj issue : cannot get ref set of well W3 : id=3 set=99")),
             qPrintable(m_capture.texts().join('\n')));
    QCOMPARE(m_capture.countStartingWith(QStringLiteral("Well db")), 1);
}

void TestZRLogDatabase::setsAndLogsByName()
{
    const QString folder = newDatabaseFolder(QStringLiteral("names"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* a = database.CreateWell(QStringLiteral("A"));
    ZRWell* b = database.CreateWell(QStringLiteral("B"));
    ZRSet* setA = database.CreateLogSet(QStringLiteral("Logs"), a);
    ZRSet* setB = database.CreateLogSet(QStringLiteral("Logs"), b); // same name, other well
    QVERIFY(setA && setB && setA != setB);
    QCOMPARE(database.findSet(QStringLiteral("Logs"), b), setB);
    QVERIFY(!database.findRefSet(QStringLiteral("Logs"), a));
    ZRSet* markers = database.CreateMarkerSet(QStringLiteral("Markers"), a);
    QVERIFY(!database.CreateMarkerSet(QStringLiteral("Markers"), a));
    QCOMPARE(database.GetSetsFromWell(a, ZRSet::MarkerSetType), QVector<ZRSet*>{markers});

    ZRLog* gr = database.CreateLog(QStringLiteral("GR"), setA, true);
    QVERIFY(gr);
    QVERIFY(!database.CreateLog(QStringLiteral("GR"), setA, true));
    ZRLog* twin = database.CreateLog(QStringLiteral("GR"), setA, false); // no name check: a second GR
    QVERIFY(twin && twin != gr);
    QCOMPARE(database.findLog(QStringLiteral("GR"), setA), gr);
    QVERIFY(!database.findLog(QStringLiteral("gr"), setA));
    QVERIFY(!database.findLog(QStringLiteral("GR"), setB));
    QCOMPARE(database.GetLogsFromSet(setA), (QVector<ZRLog*>{gr, twin}));
}

void TestZRLogDatabase::wellSets()
{
    const QString folder = newDatabaseFolder(QStringLiteral("wellsets"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* w1 = database.CreateWell(QStringLiteral("W1"));
    ZRWell* w2 = database.CreateWell(QStringLiteral("W2"));
    ZRWellSet* list = database.wellSet(QStringLiteral("Well List"));
    QVERIFY(list);
    QCOMPARE(list->id(), 1);
    QCOMPARE(database.wellSet(QStringLiteral("Well List")), list);
    QVERIFY(database.wellSet(QStringLiteral("well list")) != list);
    QCOMPARE(database.findWellSet(1), list);
    database.addWellToWellSet(w1, list);
    database.addWellToWellSet(w1, list);
    database.addWellToWellSet(w2, list);
    QCOMPARE(list->members().size(), 2);
    QVERIFY(database.save());
    QCOMPARE(tableDump(folder).filter(QStringLiteral("WELLSETTOWELLSRELATION_TABLE:")).size(), 2);
    database.addWellToWellSet(w1, list);
    QVERIFY(database.save());
    QCOMPARE(tableDump(folder).filter(QStringLiteral("WELLSETTOWELLSRELATION_TABLE:")).size(), 2);
    QVERIFY(database.removeWell(w1->id()));
    QCOMPARE(database.wellSetsOfWell(w2), (QStringList{QStringLiteral("Well List")}));
    QVERIFY(database.save());
    QCOMPARE(tableDump(folder).filter(QStringLiteral("WELLSETTOWELLSRELATION_TABLE:")).size(), 1);
}

void TestZRLogDatabase::originalCrsReachesEverySet()
{
    const QString folder = newDatabaseFolder(QStringLiteral("crs"));
    ZRLogDatabase database;
    auto projectOwner = std::make_shared<int>(1);
    const ZRWellDbCrs projectCrs(projectOwner, reinterpret_cast<const georef::Crs*>(projectOwner.get()));
    database.setProjectCrs(projectCrs);
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.CreateWell(QStringLiteral("W"));
    QCOMPARE(well->crs(), projectCrs);
    ZRSet* set = database.CreateLogSet(QStringLiteral("S"), well);
    ZRRefSet* refSet = database.CreateRefSet(QStringLiteral("R"), well);
    QCOMPARE(set->crs(), projectCrs);
    database.setOriginalCrs(well, ZRWellDbCrs());
    QVERIFY(!well->originalCrs());
    database.setOriginalCrs(well, projectCrs);
    QCOMPARE(well->originalCrs(), projectCrs);
    QCOMPARE(set->originalCrs(), projectCrs);
    QCOMPARE(refSet->originalCrs(), projectCrs);
}

void TestZRLogDatabase::markerDatabaseUpdate()
{
    const QString folder = newDatabaseFolder(QStringLiteral("markerupdate"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.CreateWell(QStringLiteral("W"));
    ZRSet* set = database.CreateMarkerSet(QStringLiteral("Markers"), well);
    ZRLog* names = database.CreateLog(QStringLiteral("LogNameMarkerSet"), set, true);
    ZRLog* tops = database.CreateLog(QStringLiteral("LogTopMarkerSet"), set, true);
    ZRLog* bottoms = database.CreateLog(QStringLiteral("LogBottomMarkerSet"), set, true);
    // Two picks of one surface give two markers of one marker info; a name without a top is an error.
    database.setLogData(names, QStringList{QStringLiteral(" Top A"), QStringLiteral("Top B"),
                                           QStringLiteral("Top A "), QStringLiteral("Top C")});
    database.setLogData(tops, QVector<double>{100.0, 200.0, 300.0});
    database.setLogData(bottoms, QVector<double>{110.0, 210.0});
    m_capture.clear();
    QVERIFY(!database.updateMarkerDatabase());
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(
        1, QStringLiteral("Error when updating marker database: database marker top / bottom is invalid")));
    QCOMPARE(database.markersOfSet(set).size(), 3);
    ZRMarkerInfos* topA = database.findMarkerInfo(QStringLiteral("Top A"));
    QVERIFY(topA);
    const QVector<ZRMarkerTopBottom*> markersA = database.GetMarkerDataFromWell(well, topA);
    QCOMPARE(markersA.size(), 2);
    QCOMPARE(markersA[0]->top(), 100.0);
    QCOMPARE(markersA[1]->top(), 300.0);
    QCOMPARE(markersA[1]->bottom(), std::optional<double>());
    QVERIFY(database.save());

    // New marker logs replace the markers of the set; unchanged sets are left alone.
    database.setLogData(names, QStringList{QStringLiteral("Top B")});
    database.setLogData(tops, QVector<double>{250.0});
    database.setLogData(bottoms, QVector<double>{});
    QVERIFY(database.updateMarkerDatabase());
    QVERIFY(database.save());
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(folder, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("P"), false));
    ZRWell* reWell = reloaded.findWell(QStringLiteral("W"));
    QCOMPARE(reloaded.GetMarkerDataFromWell(reWell, reloaded.findMarkerInfo(QStringLiteral("Top A"))).size(), 0);
    const QVector<ZRMarkerTopBottom*> markersB =
        reloaded.GetMarkerDataFromWell(reWell, reloaded.findMarkerInfo(QStringLiteral("Top B")));
    QCOMPARE(markersB.size(), 1);
    QCOMPARE(markersB[0]->top(), 250.0);
    QCOMPARE(tableDump(folder).filter(QStringLiteral("MARKERTOPBOTTOM_TABLE:")).size(), 1);
}

void TestZRLogDatabase::markerSetWithoutWellIsReported()
{
    const QString folder = newDatabaseFolder(QStringLiteral("orphanmarkers"));
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY(raw.exec("insert into SET_TABLE (ID,NAME,SET_TYPE,WELL_ID) values (5,'Orphan',2,77)"));
        QVERIFY(raw.exec("insert into LOG_TABLE (ID,NAME,SET_ID) values (1,'LogNameMarkerSet',5)"));
    }
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRSet* orphan = database.findSet(5);
    QVERIFY(orphan);
    QVERIFY(!orphan->well());
    database.setLogData(database.findLog(1), QStringList{QStringLiteral("X")});
    QVERIFY(!database.updateMarkerDatabase());
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(
        1, QStringLiteral("Error: well database contains marker set <b>Orphan</b> associated with no Well:")));
}

void TestZRLogDatabase::referenceSetUpdate()
{
    const QString folder = newDatabaseFolder(QStringLiteral("refupdate"));
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    ZRWell* well = database.CreateWell(QStringLiteral("W"));
    ZRRefSet* source = database.CreateRefSet(QStringLiteral("TZ_Deviation"), well);
    ZRRefSet* target = database.CreateRefSet(QStringLiteral("TD"), well, 1);
    ZRRefSet* otherWellSet = database.CreateRefSet(QStringLiteral("TD"), database.CreateWell(QStringLiteral("V")), 1);
    const QStringList trajectory = {QStringLiteral("LogTVDXY"), QStringLiteral("LogDevX"), QStringLiteral("LogDevY")};
    for (int i = 0; i < trajectory.size(); ++i) {
        ZRLog* log = database.CreateLog(trajectory[i], source, true);
        log->setNoValue(-9999.0);
        log->setUnit(QStringLiteral("m"));
        database.setLogData(log, QVector<double>{double(i), double(i) + 0.5});
    }
    source->setDeviationType(3);
    source->setDeviationMethod(1);
    source->setCheckShotType(4);
    QVERIFY(database.updateReferenceSets(source, true, false));
    for (int i = 0; i < trajectory.size(); ++i) {
        ZRLog* copied = database.findLog(trajectory[i], target);
        QVERIFY(copied);
        QCOMPARE(copied->unit(), QStringLiteral("m"));
        QCOMPARE(copied->noValue(), std::optional<double>(-9999.0));
        QVector<double> values;
        QVERIFY(database.getLogData(copied, values));
        QCOMPARE(values, (QVector<double>{double(i), double(i) + 0.5}));
    }
    QCOMPARE(target->deviationType(), 3);
    QCOMPARE(target->deviationMethod(), 1);
    QCOMPARE(target->checkShotType(), 0);
    QVERIFY(database.GetLogsFromSet(otherWellSet).isEmpty());

    // The source has no check-shot logs: the copy fails and says so.
    QVERIFY(!database.updateReferenceSets(source, false, true));
    QVERIFY(m_capture.sync());
    QVERIFY2(m_capture.contains(1, QStringLiteral("An error occurred when updating the checkshots of reference set:"
                                                  "TD from well W")),
             qPrintable(m_capture.texts().join('\n')));
    QVERIFY(database.save());
}

namespace
{
/// Records the bars that the progress manager shows.
class RecordingProgress : public VsProgressBarFactoryAbstract, public VsProgressBarAbstract
{
public:
    VsProgressBarAbstract* createProgressBar(int) override { return this; }
    void create(int id, int, const QString& title, int parentId, bool cancellable) override
    {
        created.append(QStringLiteral("%1 %2 %3").arg(title).arg(parentId).arg(cancellable));
        Q_UNUSED(id);
    }
    void initialize(int, int, const QString&) override {}
    void increment(int, int step) override { steps += step; }
    void close(int) override {}

    QStringList created;
    int steps = 0;
};
} // namespace

void TestZRLogDatabase::saveProgress()
{
    const QString folder = newDatabaseFolder(QStringLiteral("progress"));
    RecordingProgress recorder;
    zrProgressBarMgr->setProgressBarFactory(&recorder);
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    database.CreateWell(QStringLiteral("W1"));
    QVERIFY(database.save());
    QVERIFY(recorder.created.isEmpty()); // a small save shows nothing of its own

    const int parent = zrProgressBarMgr->createProgressBar(1, QStringLiteral("Import"), -1, true, false);
    database.setProgressParent(parent);
    ZRSet* set = database.CreateLogSet(QStringLiteral("S"), database.CreateWell(QStringLiteral("W2")));
    for (int i = 0; i < 3; ++i)
        database.setLogData(database.CreateLog(QStringLiteral("L%1").arg(i), set, true), QVector<double>{1.0});
    QVERIFY(database.save());
    zrProgressBarMgr->closeProgressBar(parent);
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(recorder.created.size(), 2);
    QCOMPARE(recorder.created[1], QStringLiteral("Saving well database %1 0").arg(parent));
    QVERIFY(recorder.steps >= 3 + 2); // rows and data files at least
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestZRLogDatabase::twoDatabasesOpenAtOnce()
{
    const QString folderA = newDatabaseFolder(QStringLiteral("twoA"));
    const QString folderB = newDatabaseFolder(QStringLiteral("twoB"));
    {
        ZRLogDatabase first;
        ZRLogDatabase second;
        QVERIFY(first.load(folderA, QStringLiteral("VS_OW_CONNECTOR"), QStringLiteral("A"), false));
        QVERIFY(second.load(folderB, QStringLiteral("VELOSTRAT_CONNEXION_2"), QStringLiteral("B"), false));
        const QStringList connections = QSqlDatabase::connectionNames();
        QVERIFY(connections.contains(QStringLiteral("VS_OW_CONNECTOR")));
        QVERIFY(connections.contains(QStringLiteral("VELOSTRAT_CONNEXION_2")));
        ZRSet* setA = first.CreateLogSet(QStringLiteral("S"), first.CreateWell(QStringLiteral("Only in A")));
        first.setLogData(first.CreateLog(QStringLiteral("L"), setA, true), QVector<double>{1.0});
        ZRSet* setB = second.CreateLogSet(QStringLiteral("S"), second.CreateWell(QStringLiteral("Only in B")));
        second.setLogData(second.CreateLog(QStringLiteral("L"), setB, true), QVector<double>{2.0, 3.0});
        QVERIFY(second.save());
        QVERIFY(first.save());
        // Reloading one keeps its connection when the file is the same.
        QVERIFY(first.load(folderA, QStringLiteral("VS_OW_CONNECTOR"), QStringLiteral("A"), false));
        QCOMPARE(first.wells().size(), 1);
        QVERIFY(second.isValid());
        QCOMPARE(second.wells().size(), 1);
    }
    ZRLogDatabase a;
    ZRLogDatabase b;
    QVERIFY(a.loadAtStartup(folderA, QStringLiteral("A")));
    QVERIFY(b.load(folderB, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("B"), false));
    QVERIFY(a.findWell(QStringLiteral("Only in A")) && !a.findWell(QStringLiteral("Only in B")));
    QVERIFY(b.findWell(QStringLiteral("Only in B")) && !b.findWell(QStringLiteral("Only in A")));
    QVector<double> values;
    QVERIFY(b.getLogData(b.logs().value(0), values));
    QCOMPARE(values, (QVector<double>{2.0, 3.0}));
    QVERIFY(a.getLogData(a.logs().value(0), values));
    QCOMPARE(values, (QVector<double>{1.0}));
}

void TestZRLogDatabase::invalidDatabaseRefusesChanges()
{
    const QString folder = newDatabaseFolder(QStringLiteral("invalid"));
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        database.CreateLogSet(QStringLiteral("S"), database.CreateWell(QStringLiteral("W")));
        QVERIFY(database.save());
    }
    QVERIFY(writeText(folder + QStringLiteral("/wellDbInfo.xml"), infoXml(7, 1)));
    const QStringList before = tableDump(folder);

    ZRLogDatabase database;
    QVERIFY(!database.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(database.isReadOnly());
    ZRWell* well = database.CreateWell(QStringLiteral("New"));
    QVERIFY(well);
    m_capture.clear();
    QVERIFY(!database.removeWell(well->id()));
    QVERIFY(!database.removeSet(database.CreateLogSet(QStringLiteral("X"), well)));
    QVERIFY(!database.save());
    QVERIFY(m_capture.sync());
    int refusals = 0;
    for (const MessageCapture::Message& message : m_capture.messages())
        refusals += message.text == kReadOnly ? 1 : 0;
    QCOMPARE(refusals, 3);
    QCOMPARE(tableDump(folder), before);
}

void TestZRLogDatabase::unwritableFileRefusesSave()
{
    const QString folder = newDatabaseFolder(QStringLiteral("unwritable"));
    const QString file = ZRLogDatabase::databaseFileName(folder);
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    if (QFileInfo(file).isWritable()) {
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QSKIP("file permissions do not bind this user (running as root)");
    }
    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    QVERIFY(database.isReadOnly());
    database.CreateWell(QStringLiteral("W"));
    QVERIFY(!database.save());
    QVERIFY(m_capture.sync());
    QVERIFY(m_capture.contains(1, kReadOnly));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestZRLogDatabase::failingStatementLeavesPreviousDatabase_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("message");
    QTest::newRow("insert fails") << "CREATE TRIGGER fail_log BEFORE INSERT ON LOG_TABLE BEGIN SELECT "
                                     "RAISE(ABORT, 'injected failure'); END;"
                                  << "Sql Error ADDING :";
    QTest::newRow("delete fails") << "CREATE TRIGGER fail_delete BEFORE DELETE ON SET_TABLE BEGIN SELECT "
                                     "RAISE(ABORT, 'injected failure'); END;"
                                  << "Sql Error DELETION :";
}

void TestZRLogDatabase::failingStatementLeavesPreviousDatabase()
{
    QFETCH(QString, trigger);
    QFETCH(QString, message);
    const QString folder = newDatabaseFolder(QStringLiteral("failsql"));
    QVector<int> logIds;
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRWell* well = database.CreateWell(QStringLiteral("W"));
        for (int s = 0; s < 3; ++s) {
            ZRSet* set = database.CreateLogSet(QStringLiteral("S%1").arg(s), well);
            for (int l = 0; l < 4; ++l) {
                ZRLog* log = database.CreateLog(QStringLiteral("L%1").arg(l), set, true);
                database.setLogData(log, QVector<double>(50, s * 10 + l));
                logIds.append(log->id());
            }
        }
        QVERIFY(database.save());
    }
    const QMap<QString, QByteArray> filesBefore = folderSnapshot(folder);
    const QStringList rowsBefore = tableDump(folder);

    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY2(raw.exec(trigger), qPrintable(raw.lastError));
    }
    ZRWell* well = database.findWell(QStringLiteral("W"));
    well->setKb(99.0);
    for (int id : logIds.mid(0, 4))
        database.setLogData(database.findLog(id), QVector<double>(70, -1.0));
    ZRLog* added = database.CreateLog(QStringLiteral("New"), database.findSet(QStringLiteral("S1"), well), true);
    database.setLogData(added, QVector<double>{5.0});
    QVERIFY(database.removeSet(database.findSet(QStringLiteral("S2"), well)));
    m_capture.clear();
    QVERIFY(!database.save());
    QVERIFY(m_capture.sync());
    QCOMPARE(m_capture.countStartingWith(message), 1);
    const QString failure = m_capture.texts().filter(message).value(0);
    QVERIFY2(failure.contains(QStringLiteral("injected failure")) && failure.contains(QStringLiteral("  QUERY SOURCE:")),
             qPrintable(failure));

    QCOMPARE(folderSnapshot(folder), filesBefore);
    QCOMPARE(tableDump(folder), rowsBefore);
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));

    // Once the cause is gone, the same changes save.
    {
        RawConnection raw(ZRLogDatabase::databaseFileName(folder));
        QVERIFY(raw.exec("DROP TRIGGER IF EXISTS fail_log") && raw.exec("DROP TRIGGER IF EXISTS fail_delete"));
    }
    QVERIFY(database.save());
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(folder, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("P"), false));
    QCOMPARE(reloaded.findWell(QStringLiteral("W"))->kb(), 99.0);
    QVector<double> values;
    QVERIFY(reloaded.getLogData(reloaded.findLog(logIds[0]), values));
    QCOMPARE(values, QVector<double>(70, -1.0));
    QVERIFY(!reloaded.findSet(QStringLiteral("S2"), reloaded.findWell(QStringLiteral("W"))));
    QVERIFY(!QFile::exists(ZRLogDataFile::logFileName(folder, logIds[8])));
}

void TestZRLogDatabase::failingDataFileLeavesPreviousDatabase()
{
    const QString folder = newDatabaseFolder(QStringLiteral("failfile"));
    QVector<int> logIds;
    {
        ZRLogDatabase database;
        QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
        ZRSet* set = database.CreateLogSet(QStringLiteral("S"), database.CreateWell(QStringLiteral("W")));
        for (int l = 0; l < 5; ++l) {
            ZRLog* log = database.CreateLog(QStringLiteral("L%1").arg(l), set, true);
            database.setLogData(log, QVector<double>(20, l));
            logIds.append(log->id());
        }
        QVERIFY(database.save());
    }
    const QMap<QString, QByteArray> filesBefore = folderSnapshot(folder);
    const QStringList rowsBefore = tableDump(folder);

    ZRLogDatabase database;
    QVERIFY(database.loadAtStartup(folder, QStringLiteral("P")));
    database.findWell(QStringLiteral("W"))->setUwi(QStringLiteral("changed"));
    for (int id : logIds)
        database.setLogData(database.findLog(id), QVector<double>(30, 7.0));
    // The pending file of the fourth log cannot be created (a folder is in the way), as on a full disk.
    const QString blocker = ZRWellDbSaveJournal::pendingFileName(ZRLogDataFile::logFileName(folder, logIds[3]));
    QVERIFY(QDir().mkpath(blocker));
    m_capture.clear();
    QVERIFY(!database.save());
    QVERIFY(m_capture.sync());
    QCOMPARE(m_capture.countStartingWith(QStringLiteral("Error when writing log data:")), 1);
    QVERIFY(QDir().rmdir(blocker));

    QCOMPARE(folderSnapshot(folder), filesBefore);
    QCOMPARE(tableDump(folder), rowsBefore);
    QVERIFY(QDir(folder).entryList({QStringLiteral("*.saving")}, QDir::AllEntries).isEmpty());

    QVERIFY(database.save());
    ZRLogDatabase reloaded;
    QVERIFY(reloaded.load(folder, ZRLogDatabase::ProjectChangeConnectionName, QStringLiteral("P"), false));
    QCOMPARE(reloaded.findWell(QStringLiteral("W"))->uwi(), QStringLiteral("changed"));
    QVector<double> values;
    QVERIFY(reloaded.getLogData(reloaded.findLog(logIds[4]), values));
    QCOMPARE(values, QVector<double>(30, 7.0));
}

QTEST_MAIN(TestZRLogDatabase)
#include "tst_zrlogdatabase.moc"
