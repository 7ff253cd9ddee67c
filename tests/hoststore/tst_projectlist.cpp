// The host's project-list file as the exchange window reads it: the paths it
// lists, and the message for a file that cannot be read or parsed.

#include "busrecorder.h"
#include "testenvironment.h"
#include "zreventbus.h"
#include "zrprojectlist.h"
#include "zrxmltools.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

class TestProjectList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void readsListedPaths();
    void missingFileIsAnEmptyListSilently();
    void unusableFiles_data();
    void unusableFiles();

private:
    QString write(const QString& name, const QByteArray& content) const;

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
};

void TestProjectList::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestProjectList::cleanup()
{
    m_bus->take();
}

QString TestProjectList::write(const QString& name, const QByteArray& content) const
{
    const QString path = m_environment->makeFolder("lists") + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

void TestProjectList::readsListedPaths()
{
    const QString path = write("VelostratProjects.xml",
                               "<?xml version=\"1.0\"?>\n<root><other><project><path value=\"/not/this\"/></project></other>"
                               "<VelostratProjects>"
                               "<project><name value=\"B\"/><path value=\"/data/B\"/><path value=\"/data/ignored\"/></project>"
                               "<group><project><path value=\"/data/A\"/></project></group>"
                               "<project><path value=\"/data/B\"/></project>"
                               "<project><path value=\"/data/b\"/></project>"
                               "<project><name value=\"no path\"/></project>"
                               "</VelostratProjects></root>");
    QVERIFY(!path.isEmpty());
    QCOMPARE(readProjectList(path), (QStringList{QDir::toNativeSeparators("/data/B"), QDir::toNativeSeparators("/data/A"),
                                                 QDir::toNativeSeparators("/data/b")}));
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectList::missingFileIsAnEmptyListSilently()
{
    QVERIFY(readProjectList(m_environment->root() + "/absent/VelostratProjects.xml").isEmpty());
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectList::unusableFiles_data()
{
    QTest::addColumn<QByteArray>("content"); // null: the path is a folder
    QTest::addColumn<QString>("message");    // %1 the file's path

    QTest::newRow("malformed") << QByteArray("<VelostratProjects>\n<project><path value=\"/data/A\"/>\n</VelostratProjects>")
                               << "Unable to parse XML content of file %1. Parsing error occurs at line 3, column ";
    QTest::newRow("not XML") << QByteArray("this is not XML") << "Unable to parse XML content of file %1. Parsing error occurs at line 1, column ";
    QByteArray deep("<VelostratProjects>");
    for (int level = 0; level < 50000; ++level)
        deep += "<project>";
    QTest::newRow("nested 50,000 deep") << deep
                                        << "Unable to parse XML content of file %1. Parsing error occurs at line 1, column 2323: "
                                           "elements nested deeper than 256 levels";
    QTest::newRow("a folder, not a file") << QByteArray() << "Unable to open file %1: ";
}

void TestProjectList::unusableFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QString path;
    if (content.isNull()) {
        path = m_environment->makeFolder("lists") + "/VelostratProjects.xml";
        QVERIFY(QDir().mkpath(path));
    } else {
        path = write("VelostratProjects.xml", content);
        QVERIFY(!path.isEmpty());
    }

    QVERIFY(readProjectList(path).isEmpty());
    const QList<QPair<int, QString>> messages = m_bus->take();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().first, int(eDrawError));
    QVERIFY2(messages.first().second.startsWith(message.arg(path)), qPrintable(messages.first().second));
}

QTEST_GUILESS_MAIN(TestProjectList)
#include "tst_projectlist.moc"
