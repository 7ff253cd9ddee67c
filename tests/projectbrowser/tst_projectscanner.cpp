#include "testenvironment.h"

#include "zrprogressbarmgr.h"
#include "zrprojectscanner.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTest>

#include <memory>

namespace
{
bool makeProject(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile descriptor(folder + "/descriptor.xml");
    return descriptor.open(QIODevice::WriteOnly) && descriptor.write("<project version=\"81\"/>") > 0;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The list file as the host reads it: the first element named after the
/// file's base name, and the "value" of the first "path" of each "project".
QStringList listedPaths(const QString& listPath, QString* rootName = nullptr)
{
    QDomDocument document;
    if (!document.setContent(readText(listPath)))
        return {QStringLiteral("<unparsable>")};
    if (rootName)
        *rootName = document.documentElement().tagName();
    const QDomElement list = document.elementsByTagName(QFileInfo(listPath).baseName()).at(0).toElement();
    QStringList paths;
    const QDomNodeList projects = list.elementsByTagName("project");
    for (int i = 0; i < projects.count(); ++i)
        paths.append(projects.at(i).toElement().elementsByTagName("path").at(0).toElement().attribute("value"));
    return paths;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

class TestProjectScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findsNestedProjects();
    void createsMissingListFile();
    void addsNoDuplicates();
    void keepsMalformedListFile();
    void cancelledScan();
    void emptyFolder_data();
    void emptyFolder();

private:
    std::unique_ptr<TestEnvironment> m_environment;
    QString m_root;
    QStringList m_expected;
};

void TestProjectScanner::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_root = m_environment->makeFolder("tree");
    // root holds: alpha (project, with a project inside it), group/beta,
    // group/deep/er/gamma, plain (files only), and a file named descriptor.xml
    // in a folder that is a folder, not a project marker.
    for (const QString& project : {QStringLiteral("alpha"), QStringLiteral("alpha/inner"), QStringLiteral("group/beta"),
                                   QStringLiteral("group/deep/er/gamma")})
        QVERIFY(makeProject(m_root + "/" + project));
    QVERIFY(QDir().mkpath(m_root + "/plain/descriptor.xml"));
    QVERIFY(writeText(m_root + "/plain/notes.txt", "not a project"));
    m_expected = QStringList{native(m_root + "/alpha"), native(m_root + "/alpha/inner"), native(m_root + "/group/beta"),
                             native(m_root + "/group/deep/er/gamma")};
}

void TestProjectScanner::findsNestedProjects()
{
    const int openBars = zrProgressBarMgr->openCount();
    QCOMPARE(ZRProjectScanner::findProjects(m_root), m_expected);
    QCOMPARE(ZRProjectScanner::findProjects(m_root + "/group/deep"), QStringList{native(m_root + "/group/deep/er/gamma")});
    // A chosen folder that is itself a project is found too.
    QCOMPARE(ZRProjectScanner::findProjects(m_root + "/alpha"),
             (QStringList{native(m_root + "/alpha"), native(m_root + "/alpha/inner")}));
    QCOMPARE(zrProgressBarMgr->openCount(), openBars);
}

void TestProjectScanner::createsMissingListFile()
{
    const QString listPath = m_environment->makeFolder("lists") + "/sub/VelostratProjects.xml";
    QVERIFY(!QFile::exists(listPath));
    const ZRProjectScanner::Result result = ZRProjectScanner::scanDirectory(m_root, listPath);
    QVERIFY(result.listWritten);
    QVERIFY(result.errorText.isEmpty());
    QVERIFY(!result.cancelled);
    QCOMPARE(result.found, m_expected);
    QCOMPARE(result.added, m_expected);
    QString rootName;
    QCOMPARE(listedPaths(listPath, &rootName), m_expected);
    QCOMPARE(rootName, QStringLiteral("VelostratProjects"));
}

void TestProjectScanner::addsNoDuplicates()
{
    const QString listPath = m_environment->makeFolder("dups") + "/projects.xml";
    const QString other = native("/somewhere/else/Old");
    const QByteArray existing = "<?xml version=\"1.0\"?>\n<projects>\n"
                                " <project><name value=\"x\"/><path value=\"" + other.toUtf8() + "\"/></project>\n"
                                " <project><path value=\"" + native(m_root + "/group/beta").toUtf8() + "\"/>"
                                "<path value=\"/second/path/is/ignored\"/></project>\n"
                                " <settings keep=\"1\"/>\n</projects>\n";
    QVERIFY(writeText(listPath, existing));

    ZRProjectScanner::Result result = ZRProjectScanner::scanDirectory(m_root, listPath);
    QVERIFY(result.listWritten);
    QCOMPARE(result.found, m_expected);
    const QStringList added = {m_expected.at(0), m_expected.at(1), m_expected.at(3)};
    QCOMPARE(result.added, added);
    QCOMPARE(listedPaths(listPath), QStringList{other} << m_expected.at(2) << added);
    QVERIFY(readText(listPath).contains("<settings keep=\"1\"/>"));

    // A second scan adds nothing and leaves the file as it is.
    const QByteArray before = readText(listPath);
    result = ZRProjectScanner::scanDirectory(m_root, listPath);
    QVERIFY(result.listWritten);
    QCOMPARE(result.found, m_expected);
    QVERIFY(result.added.isEmpty());
    QCOMPARE(readText(listPath), before);

    // Paths given twice in one call are added once.
    QStringList twice;
    QVERIFY(ZRProjectScanner::addToProjectList(listPath, {"/new/one", "/new/one"}, &twice));
    QCOMPARE(twice, QStringList{native("/new/one")});
    QCOMPARE(listedPaths(listPath).count(native("/new/one")), 1);
}

void TestProjectScanner::keepsMalformedListFile()
{
    const QString listPath = m_environment->makeFolder("bad") + "/projects.xml";
    const QByteArray broken = "<projects><project><path value=\"/a\"/></project>";
    QVERIFY(writeText(listPath, broken));
    const ZRProjectScanner::Result result = ZRProjectScanner::scanDirectory(m_root, listPath);
    QVERIFY(!result.listWritten);
    QVERIFY(result.errorText.startsWith("Unable to parse XML content of file"));
    QCOMPARE(result.found, m_expected);
    QVERIFY(result.added.isEmpty());
    QCOMPARE(readText(listPath), broken);
}

void TestProjectScanner::cancelledScan()
{
    const int openBars = zrProgressBarMgr->openCount();
    const int parent = zrProgressBarMgr->createProgressBar(1, "parent", -1, true, false);
    zrProgressBarMgr->cancelProgressBar(parent);
    bool cancelled = false;
    const QStringList found = ZRProjectScanner::findProjects(m_root, parent, &cancelled);
    QVERIFY(cancelled);
    QVERIFY(found.isEmpty());
    // The folder chosen is still looked at before the walk stops.
    QCOMPARE(ZRProjectScanner::findProjects(m_root + "/alpha", parent, &cancelled), QStringList{native(m_root + "/alpha")});
    QVERIFY(cancelled);
    zrProgressBarMgr->closeProgressBar(parent);
    QCOMPARE(zrProgressBarMgr->openCount(), openBars);
}

void TestProjectScanner::emptyFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("folder without projects") << QStringLiteral("plain");
    QTest::newRow("missing folder") << QStringLiteral("does/not/exist");
}

void TestProjectScanner::emptyFolder()
{
    QFETCH(QString, folder);
    const QString listPath = m_environment->makeFolder("empty") + "/list.xml";
    const ZRProjectScanner::Result result = ZRProjectScanner::scanDirectory(m_root + "/" + folder, listPath);
    QVERIFY(result.found.isEmpty());
    QVERIFY(result.added.isEmpty());
    QVERIFY(result.listWritten);
    QString rootName;
    QCOMPARE(listedPaths(listPath, &rootName), QStringList());
    QCOMPARE(rootName, QStringLiteral("list"));
}

QTEST_MAIN(TestProjectScanner)
#include "tst_projectscanner.moc"
