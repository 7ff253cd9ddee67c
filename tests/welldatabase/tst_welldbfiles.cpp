// The well database's file-level pieces: SQL statement texts, the log data and
// marker list file layouts, "wellDbInfo.xml" and the save journal's recovery.

#include "testenvironment.h"
#include "zrlogdatafile.h"
#include "zrsqltablestructure.h"
#include "zrwelldbinfo.h"
#include "zrwelldbsavejournal.h"

#include <QDomDocument>
#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace
{
QByteArray readBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

quint32 u32At(const QByteArray& bytes, int offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + offset);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

double doubleAt(const QByteArray& bytes, int offset)
{
    quint64 bits = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + offset);
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

class TestWellDbFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void createStatement();
    void insertDeleteSelectStatements();
    void sqlLiterals_data();
    void sqlLiterals();

    void realLogFileLayout_data();
    void realLogFileLayout();
    void integerAndTextLogFileLayout();
    void damagedLogFilesAreRefused_data();
    void damagedLogFilesAreRefused();
    void markerListLayout();

    void infoFileWrittenAndRead();
    void infoFileReadForms_data();
    void infoFileReadForms();

    void journalRecovery_data();
    void journalRecovery();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestWellDbFiles::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestWellDbFiles::createStatement()
{
    ZRSQLTableStructure table(QStringLiteral("DEMO_TABLE"));
    table.addColumn(QStringLiteral("NAME"), ZRSQLTableStructure::Text, false, true)
        .addColumn(QStringLiteral("DEPTH"), ZRSQLTableStructure::Real, true)
        .addColumn(QStringLiteral("COUNT"), ZRSQLTableStructure::Integer, false)
        .addColumn(QStringLiteral("FLAG"), ZRSQLTableStructure::Boolean, true)
        .addColumn(QStringLiteral("RAW"), ZRSQLTableStructure::Binary, true);
    QCOMPARE(table.createStatement(),
             QStringLiteral("create table DEMO_TABLE (ID integer primary key unique,NAME TEXT  NOT NULL  UNIQUE ,"
                            "DEPTH REAL ,COUNT INTEGER  NOT NULL ,FLAG INTEGER ,RAW BLOB );"));

    ZRSQLTableStructure relation(QStringLiteral("LINK_TABLE"), true);
    relation.addColumn(QStringLiteral("A_ID"), ZRSQLTableStructure::Integer, false);
    QCOMPARE(relation.createStatement(),
             QStringLiteral("create table LINK_TABLE (ID integer primary key autoincrement unique,A_ID INTEGER  NOT NULL );"));
}

void TestWellDbFiles::insertDeleteSelectStatements()
{
    ZRSQLTableStructure table(QStringLiteral("LOG_TABLE"));
    table.addColumn(QStringLiteral("NAME"), ZRSQLTableStructure::Text, false)
        .addColumn(QStringLiteral("SET_ID"), ZRSQLTableStructure::Integer, false)
        .addColumn(QStringLiteral("NOVALUE"), ZRSQLTableStructure::Real, true)
        .addColumn(QStringLiteral("UNIT"), ZRSQLTableStructure::Text, true);
    QCOMPARE(table.insertStatement(12, {QStringLiteral("GR'x"), 3, -9999.25, QVariant()}),
             QStringLiteral("insert OR REPLACE INTO LOG_TABLE (ID,NAME,SET_ID,NOVALUE,UNIT) values "
                            "(12,'GR''x',3,-9999.25,NULL);"));
    QCOMPARE(table.deleteStatement(7), QStringLiteral("Delete From LOG_TABLE where(ID=7);"));
    QCOMPARE(table.selectStatement(), QStringLiteral("SELECT ID,NAME,SET_ID,NOVALUE,UNIT FROM LOG_TABLE ORDER BY ID;"));
}

void TestWellDbFiles::sqlLiterals_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("real exact") << QVariant(0.1) << int(ZRSQLTableStructure::Real) << "0.10000000000000001";
    QTest::newRow("real nan") << QVariant(std::nan("")) << int(ZRSQLTableStructure::Real) << "NULL";
    QTest::newRow("real inf") << QVariant(std::numeric_limits<double>::infinity()) << int(ZRSQLTableStructure::Real)
                              << "9e999";
    QTest::newRow("integer") << QVariant(-42) << int(ZRSQLTableStructure::Integer) << "-42";
    QTest::newRow("bool") << QVariant(true) << int(ZRSQLTableStructure::Boolean) << "1";
    QTest::newRow("null text") << QVariant(QString()) << int(ZRSQLTableStructure::Text) << "NULL";
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << int(ZRSQLTableStructure::Text) << "''";
    QTest::newRow("quoted text") << QVariant(QStringLiteral("it's")) << int(ZRSQLTableStructure::Text) << "'it''s'";
    QTest::newRow("blob") << QVariant(QByteArray("\x01\xff", 2)) << int(ZRSQLTableStructure::Binary) << "X'01ff'";
}

void TestWellDbFiles::sqlLiterals()
{
    QFETCH(QVariant, value);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    QCOMPARE(ZRSQLTableStructure::sqlLiteral(value, ZRSQLTableStructure::ColumnKind(kind)), expected);
}

void TestWellDbFiles::realLogFileLayout_data()
{
    QTest::addColumn<QVector<double>>("values");
    QTest::newRow("empty") << QVector<double>();
    QTest::newRow("one") << QVector<double>{-9999.0};
    QTest::newRow("several") << QVector<double>{0.0, 1.5, -2.25, 1e300, std::numeric_limits<double>::denorm_min()};
}

void TestWellDbFiles::realLogFileLayout()
{
    QFETCH(QVector<double>, values);
    const QString folder = m_environment->makeFolder(QStringLiteral("reallog"));
    const QString fileName = ZRLogDataFile::logFileName(folder, 17);
    QCOMPARE(fileName, folder + QStringLiteral("/LOGDATA_17"));
    QVERIFY(ZRLogDataFile::write(fileName, ZRDataLogReal(values)));

    const QByteArray bytes = readBytes(fileName);
    QCOMPARE(bytes.size(), 8 + 8 * values.size());
    QCOMPARE(u32At(bytes, 0), quint32(values.size()));
    QCOMPARE(u32At(bytes, 4), quint32(2));
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(doubleAt(bytes, 8 + 8 * i), values[i]);

    const std::unique_ptr<IZRDataLog> read = ZRLogDataFile::read(fileName);
    QVERIFY(read);
    QCOMPARE(read->kind(), IZRDataLog::RealKind);
    QCOMPARE(static_cast<ZRDataLogReal&>(*read).values(), values);

    // A longer file is replaced by a shorter one: no stale tail.
    QVERIFY(ZRLogDataFile::write(fileName, ZRDataLogReal(QVector<double>(100, 3.0))));
    QVERIFY(ZRLogDataFile::write(fileName, ZRDataLogReal(values)));
    QCOMPARE(readBytes(fileName).size(), 8 + 8 * values.size());
}

void TestWellDbFiles::integerAndTextLogFileLayout()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("otherlogs"));
    const QString intFile = folder + QStringLiteral("/LOGDATA_1");
    QVERIFY(ZRLogDataFile::write(intFile, ZRDataLogInt({7, -1, 65536})));
    QByteArray bytes = readBytes(intFile);
    QCOMPARE(bytes.size(), 8 + 12);
    QCOMPARE(u32At(bytes, 0), 3u);
    QCOMPARE(u32At(bytes, 4), 1u);
    QCOMPARE(qint32(u32At(bytes, 8)), 7);
    QCOMPARE(qint32(u32At(bytes, 12)), -1);
    QCOMPARE(qint32(u32At(bytes, 16)), 65536);

    const QString textFile = folder + QStringLiteral("/LOGDATA_2");
    const QStringList texts = {QStringLiteral("Top A"), QString(), QStringLiteral("Bås")};
    QVERIFY(ZRLogDataFile::write(textFile, ZRDataLogText(texts)));
    bytes = readBytes(textFile);
    QCOMPARE(u32At(bytes, 0), 3u);
    QCOMPARE(u32At(bytes, 4), 3u);
    QCOMPARE(u32At(bytes, 8), 5u);
    QCOMPARE(bytes.mid(12, 5), QByteArray("Top A"));
    QCOMPARE(u32At(bytes, 17), 0u);
    QCOMPARE(u32At(bytes, 21), quint32(QStringLiteral("Bås").toUtf8().size()));
    QCOMPARE(bytes.size(), 25 + QStringLiteral("Bås").toUtf8().size());

    std::unique_ptr<IZRDataLog> read = ZRLogDataFile::read(textFile);
    QVERIFY(read);
    QCOMPARE(static_cast<ZRDataLogText&>(*read).values(), texts);
    read = ZRLogDataFile::read(intFile);
    QVERIFY(read);
    QCOMPARE(static_cast<ZRDataLogInt&>(*read).values(), (QVector<qint32>{7, -1, 65536}));
}

void TestWellDbFiles::damagedLogFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray shortReal(8, '\0');
    shortReal[0] = 2;
    shortReal[4] = 2;
    shortReal.append(QByteArray(8, '\0')); // one value of the two announced
    QByteArray badKind(8, '\0');
    badKind[4] = 9;
    QByteArray shortText(8, '\0');
    shortText[0] = 1;
    shortText[4] = 3;
    shortText.append("\x05\0\0\0ab", 6);
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("header cut") << QByteArray(5, '\0');
    QTest::newRow("values cut") << shortReal;
    QTest::newRow("unknown kind") << badKind;
    QTest::newRow("text cut") << shortText;
}

void TestWellDbFiles::damagedLogFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    const QString fileName = m_environment->makeFolder(QStringLiteral("damaged")) + QStringLiteral("/LOGDATA_3");
    QVERIFY(writeBytes(fileName, bytes));
    QString error;
    QVERIFY(!ZRLogDataFile::read(fileName, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!ZRLogDataFile::read(fileName + QStringLiteral("_missing")));
}

void TestWellDbFiles::markerListLayout()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("markers"));
    const QString fileName = ZRLogDataFile::markerListFileName(folder, 4);
    QCOMPARE(fileName, folder + QStringLiteral("/MARKERLIST_4"));
    const QVector<ZRMarkerListEntry> markers = {{3, 1200.5, true, 1300.0}, {8, 1500.0, false, 0.0}};
    QVERIFY(ZRLogDataFile::writeMarkerList(fileName, markers));
    const QByteArray bytes = readBytes(fileName);
    QCOMPARE(bytes.size(), 8 + 2 * 20);
    QCOMPARE(u32At(bytes, 0), 2u);
    QCOMPARE(u32At(bytes, 4), 4u);
    QCOMPARE(u32At(bytes, 8), 3u);
    QCOMPARE(doubleAt(bytes, 12), 1200.5);
    QCOMPARE(doubleAt(bytes, 20), 1300.0);
    QCOMPARE(u32At(bytes, 28), 8u);
    QCOMPARE(doubleAt(bytes, 32), 1500.0);
    QVERIFY(std::isnan(doubleAt(bytes, 40)));

    QVector<ZRMarkerListEntry> read;
    QVERIFY(ZRLogDataFile::readMarkerList(fileName, read));
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[0].markerInfoId, 3);
    QVERIFY(read[0].hasBottom);
    QCOMPARE(read[0].bottom, 1300.0);
    QVERIFY(!read[1].hasBottom);
}

void TestWellDbFiles::infoFileWrittenAndRead()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("info"));
    ZRWellDbInfo info;
    QVERIFY(!info.read(folder));
    QCOMPARE(info.major(), 4294967295u);
    QCOMPARE(info.versionText(), QStringLiteral("Unknown.Unknown"));

    info.setCurrent();
    QVERIFY(info.write(folder));
    QFile file(folder + QStringLiteral("/wellDbInfo.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QDomDocument document;
    QVERIFY(document.setContent(&file));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("GlobalHeader"));
    QCOMPARE(root.firstChildElement(QStringLiteral("VersionNumber")).attribute(QStringLiteral("value")),
             QStringLiteral("6"));
    QCOMPARE(root.firstChildElement(QStringLiteral("VersionNumberMinor")).attribute(QStringLiteral("value")),
             QStringLiteral("9"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/wellDbInfo.xml.saving")));

    ZRWellDbInfo again;
    QVERIFY(again.read(folder));
    QCOMPARE(again.versionText(), QStringLiteral("6.9"));
    QVERIFY(again.isAtLeastCurrent());
}

void TestWellDbFiles::infoFileReadForms_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("current");
    QTest::newRow("attributes") << QByteArray("<GlobalHeader><VersionNumber value=\"6\"/><VersionNumberMinor "
                                              "value=\"8\"/></GlobalHeader>")
                                << "6.8" << false;
    QTest::newRow("element text") << QByteArray("<GlobalHeader><VersionNumber>7</VersionNumber>"
                                                "<VersionNumberMinor>0</VersionNumberMinor></GlobalHeader>")
                                  << "7.0" << true;
    QTest::newRow("minor missing") << QByteArray("<GlobalHeader><VersionNumber value=\"6\"/></GlobalHeader>")
                                   << "6.Unknown" << false;
    QTest::newRow("not xml") << QByteArray("garbage") << "Unknown.Unknown" << false;
    QTest::newRow("wrong root") << QByteArray("<Other><VersionNumber value=\"6\"/></Other>") << "Unknown.Unknown"
                                << false;
}

void TestWellDbFiles::infoFileReadForms()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, version);
    QFETCH(bool, current);
    const QString folder = m_environment->makeFolder(QStringLiteral("infoforms"));
    QVERIFY(writeBytes(folder + QStringLiteral("/wellDbInfo.xml"), xml));
    ZRWellDbInfo info;
    info.read(folder);
    QCOMPARE(info.versionText(), version);
    QCOMPARE(info.isAtLeastCurrent(), current);
}

void TestWellDbFiles::journalRecovery_data()
{
    QTest::addColumn<qint64>("committed");
    QTest::addColumn<bool>("rolledForward");
    QTest::newRow("commit happened") << qint64(5) << true;
    QTest::newRow("commit did not happen") << qint64(4) << false;
}

void TestWellDbFiles::journalRecovery()
{
    QFETCH(qint64, committed);
    QFETCH(bool, rolledForward);
    const QString folder = m_environment->makeFolder(QStringLiteral("journal"));
    const QString replaced = folder + QStringLiteral("/LOGDATA_1");
    const QString alreadyMoved = folder + QStringLiteral("/LOGDATA_2");
    const QString removed = folder + QStringLiteral("/LOGDATA_3");
    QVERIFY(writeBytes(replaced, "old1"));
    QVERIFY(writeBytes(alreadyMoved, "new2"));
    QVERIFY(writeBytes(removed, "old3"));
    QVERIFY(writeBytes(replaced + QStringLiteral(".saving"), "new1"));
    QVERIFY(writeBytes(folder + QStringLiteral("/LOGDATA_9.saving"), "stray"));

    ZRWellDbSaveJournal journal(folder);
    journal.addReplacement(replaced);
    journal.addReplacement(alreadyMoved); // its pending file was renamed before the stop
    journal.addRemoval(removed);
    QVERIFY(journal.write(5));
    QVERIFY(QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));

    const ZRWellDbSaveJournal::Recovery recovery = ZRWellDbSaveJournal::recover(folder, committed);
    QCOMPARE(recovery, rolledForward ? ZRWellDbSaveJournal::RolledForward : ZRWellDbSaveJournal::RolledBack);
    QCOMPARE(readBytes(replaced), rolledForward ? QByteArray("new1") : QByteArray("old1"));
    QCOMPARE(readBytes(alreadyMoved), QByteArray("new2"));
    QCOMPARE(QFile::exists(removed), !rolledForward);
    QVERIFY(!QFile::exists(replaced + QStringLiteral(".saving")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/LOGDATA_9.saving")));
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));
    QCOMPARE(ZRWellDbSaveJournal::recover(folder, committed), ZRWellDbSaveJournal::NothingToRecover);
}

QTEST_GUILESS_MAIN(TestWellDbFiles)
#include "tst_welldbfiles.moc"
