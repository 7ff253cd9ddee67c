// The well database's file-level pieces: SQL statement texts, the log data and
// marker list file layouts, "wellDbInfo.xml" and the save journal's recovery.

#include "testenvironment.h"
#include "zrlogdatafile.h"
#include "zrsqltablestructure.h"
#include "zrwelldbinfo.h"
#include "zrwelldbsavejournal.h"

#include <QDir>
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
    void damagedMarkerListsAreRefused_data();
    void damagedMarkerListsAreRefused();
    void markerListLayout();

    void infoFileWrittenAndRead();
    void infoFileReadForms_data();
    void infoFileReadForms();

    void journalLayout();
    void journalRecovery_data();
    void journalRecovery();
    void foreignJournalsAreLeftAlone_data();
    void foreignJournalsAreLeftAlone();

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
    // Sizes taken from the file must be checked before anything is allocated.
    auto header = [](quint32 count, quint32 kind) {
        QByteArray bytes(8, '\0');
        qToLittleEndian(count, bytes.data());
        qToLittleEndian(kind, bytes.data() + 4);
        return bytes;
    };
    QByteArray hugeTextValue = header(1, 3);
    hugeTextValue.append("\xff\xff\xff\x7f", 4);
    QByteArray hugeLastTextValue = header(2, 3);
    hugeLastTextValue.append(QByteArray("\x01\0\0\0a\xf0\xff\xff\xff", 9));
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("header cut") << QByteArray(5, '\0');
    QTest::newRow("values cut") << shortReal;
    QTest::newRow("unknown kind") << badKind;
    QTest::newRow("text cut") << shortText;
    QTest::newRow("4294967295 reals in 16 bytes") << header(0xffffffffu, 2) + QByteArray(8, '\0');
    QTest::newRow("268435456 reals in 16 bytes") << header(268435456u, 2) + QByteArray(8, '\0');
    QTest::newRow("2147483647 integers in 12 bytes") << header(0x7fffffffu, 1) + QByteArray(4, '\0');
    QTest::newRow("4294967295 texts in 12 bytes") << header(0xffffffffu, 3) + QByteArray(4, '\0');
    QTest::newRow("text value of 2 GiB") << hugeTextValue;
    QTest::newRow("last text value of 4 GiB") << hugeLastTextValue;
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

void TestWellDbFiles::damagedMarkerListsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray hugeCount(8, '\0');
    qToLittleEndian(quint32(0xffffffffu), hugeCount.data());
    qToLittleEndian(quint32(4), hugeCount.data() + 4);
    hugeCount.append(QByteArray(20, '\0'));
    QByteArray notAList(28, '\0');
    notAList[0] = 1;
    notAList[4] = 2;
    QByteArray cut(8, '\0');
    cut[0] = 2;
    cut[4] = 4;
    cut.append(QByteArray(30, '\0'));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("4294967295 markers in 28 bytes") << hugeCount;
    QTest::newRow("log data kind") << notAList;
    QTest::newRow("second marker cut") << cut;
}

void TestWellDbFiles::damagedMarkerListsAreRefused()
{
    QFETCH(QByteArray, bytes);
    const QString fileName = m_environment->makeFolder(QStringLiteral("damagedlist")) + QStringLiteral("/MARKERLIST_3");
    QVERIFY(writeBytes(fileName, bytes));
    QString error;
    QVector<ZRMarkerListEntry> markers;
    QVERIFY(!ZRLogDataFile::readMarkerList(fileName, markers, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(markers.isEmpty());
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

void TestWellDbFiles::journalLayout()
{
    const QString folder = m_environment->makeFolder(QStringLiteral("journallayout"));
    ZRWellDbSaveJournal journal(folder);
    journal.addReplacement(folder + QStringLiteral("/LOGDATA_12"));
    journal.addReplacement(folder + QStringLiteral("/MARKERLIST_3"));
    journal.addRemoval(folder + QStringLiteral("/LOGDATA_7"));
    QVERIFY(journal.write(42));
    QCOMPARE(readBytes(folder + QStringLiteral("/wellDbSave.journal")),
             QByteArray("OpenWorks Data Link well database save journal 1\n"
                        "generation 42\n"
                        "replace LOGDATA_12\n"
                        "replace MARKERLIST_3\n"
                        "remove LOGDATA_7\n"
                        "end\n"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/wellDbSave.journal.saving")));

    qint64 generation = 0;
    QStringList replacements;
    QStringList removals;
    QVERIFY(ZRWellDbSaveJournal::read(folder, generation, replacements, removals));
    QCOMPARE(generation, qint64(42));
    QCOMPARE(replacements, (QStringList{folder + QStringLiteral("/LOGDATA_12"), folder + QStringLiteral("/MARKERLIST_3")}));
    QCOMPARE(removals, QStringList{folder + QStringLiteral("/LOGDATA_7")});
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
    // Files the journal does not name are not the save's, whatever their names.
    QVERIFY(writeBytes(folder + QStringLiteral("/LOGDATA_9.saving"), "stray"));
    QVERIFY(writeBytes(folder + QStringLiteral("/notes.saving"), "a user's notes"));

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
    QCOMPARE(readBytes(folder + QStringLiteral("/LOGDATA_9.saving")), QByteArray("stray"));
    QCOMPARE(readBytes(folder + QStringLiteral("/notes.saving")), QByteArray("a user's notes"));
    QVERIFY(!QFile::exists(ZRWellDbSaveJournal::journalFileName(folder)));
    QCOMPARE(ZRWellDbSaveJournal::recover(folder, committed), ZRWellDbSaveJournal::NothingToRecover);
    QCOMPARE(readBytes(folder + QStringLiteral("/notes.saving")), QByteArray("a user's notes"));
}

void TestWellDbFiles::foreignJournalsAreLeftAlone_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<qint64>("committed");
    const QByteArray header("OpenWorks Data Link well database save journal 1\n");
    QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR") << qint64(5);
    QTest::newRow("empty") << QByteArray() << qint64(5);
    QTest::newRow("older form without header") << QByteArray("generation 5\nreplace LOGDATA_1\n") << qint64(5);
    QTest::newRow("other version") << QByteArray("OpenWorks Data Link well database save journal 2\ngeneration "
                                                 "5\nreplace LOGDATA_1\nend\n")
                                   << qint64(5);
    QTest::newRow("cut before end") << header + "generation 5\nreplace LOGDATA_1\n" << qint64(5);
    QTest::newRow("no generation") << header + "replace LOGDATA_1\nend\n" << qint64(5);
    QTest::newRow("two generations") << header + "generation 5\ngeneration 4\nreplace LOGDATA_1\nend\n"
                                     << qint64(4);
    QTest::newRow("generation not a number") << header + "generation 5x\nreplace LOGDATA_1\nend\n" << qint64(5);
    QTest::newRow("a user's file") << header + "generation 5\nremove notes.saving\nend\n" << qint64(5);
    QTest::newRow("outside the folder") << header + "generation 5\nremove ../LOGDATA_1\nend\n" << qint64(5);
    QTest::newRow("unknown word") << header + "generation 5\nrename LOGDATA_1\nend\n" << qint64(5);
    QTest::newRow("ours, generation unknown") << header + "generation 5\nreplace LOGDATA_1\nend\n" << qint64(-1);
}

void TestWellDbFiles::foreignJournalsAreLeftAlone()
{
    QFETCH(QByteArray, journal);
    QFETCH(qint64, committed);
    const QString folder = m_environment->makeFolder(QStringLiteral("foreignjournal"));
    QVERIFY(writeBytes(folder + QStringLiteral("/LOGDATA_1"), "old1"));
    QVERIFY(writeBytes(folder + QStringLiteral("/LOGDATA_1.saving"), "new1"));
    QVERIFY(writeBytes(folder + QStringLiteral("/notes.saving"), "notes"));
    QVERIFY(writeBytes(ZRWellDbSaveJournal::journalFileName(folder), journal));
    const auto snapshot = [&folder]() {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            files.insert(name, readBytes(folder + QLatin1Char('/') + name));
        return files;
    };
    const QMap<QString, QByteArray> before = snapshot();
    const ZRWellDbSaveJournal::Recovery recovery = ZRWellDbSaveJournal::recover(folder, committed);
    QCOMPARE(recovery, committed < 0 ? ZRWellDbSaveJournal::Undecided : ZRWellDbSaveJournal::NotOurs);
    QCOMPARE(snapshot(), before);
}

QTEST_GUILESS_MAIN(TestWellDbFiles)
#include "tst_welldbfiles.moc"
