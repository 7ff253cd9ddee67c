// Project descriptor loading, folder resolution, new projects and the object-file header container.

#include "busrecorder.h"
#include "testenvironment.h"
#include "zreventbus.h"
#include "zrlongpath.h"
#include "zrobjectheader.h"
#include "zrobjectserialization.h"
#include "zrproject.h"
#include "zrxmltools.h"

#include <QtTest>

#include <memory>

namespace
{

/// An object whose XML carries a padding attribute of a chosen length.
class PaddedObject : public ZRObjectSerialization
{
public:
    explicit PaddedObject(int padding = 0) : m_padding(padding) {}
    QDomElement toXml(QDomDocument& document) const override
    {
        QDomElement element = document.createElement(QStringLiteral("Padded"));
        element.setAttribute(QStringLiteral("pad"), QString(m_padding, QLatin1Char('x')));
        return element;
    }
    QString typeName() const override { return QStringLiteral("PaddedType"); }

private:
    int m_padding;
};

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeText(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// Sets a value of the NUL-padded global header block in place, keeping the block 2500 bytes long.
void setGlobalValue(QByteArray* bytes, const QByteArray& name, const QByteArray& value)
{
    const QByteArray key = name + " value=\"";
    const int start = bytes->indexOf(key) + key.size();
    const int end = bytes->indexOf('"', start);
    QByteArray block = bytes->left(ZRObjectHeader::GlobalHeaderSize);
    block.replace(start, end - start, value);
    const int textEnd = block.indexOf('\0');
    block = block.left(textEnd) + QByteArray(ZRObjectHeader::GlobalHeaderSize - textEnd, '\0');
    bytes->replace(0, ZRObjectHeader::GlobalHeaderSize, block.left(ZRObjectHeader::GlobalHeaderSize));
}

QString descriptorText(const QString& rootAttributes, const QString& tree)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<ZRProject %1><type value=\"Standard\"/>"
                          "<ZRCrs><name value=\"UTM 31N\"/><definition value=\"+proj=utm +zone=31 +datum=WGS84\"/></ZRCrs>"
                          "<theFileStructure><fileStructure>%2</fileStructure></theFileStructure>"
                          "<displayStructure>%2</displayStructure></ZRProject>")
        .arg(rootAttributes, tree);
}

const QString kNestedTree = QStringLiteral(
    "<Directory directoryId=\"1\" value=\"Seismic\" visible=\"1\"/>"
    "<Directory directoryId=\"40\" value=\"Top\" visible=\"0\">"
    "  <Directory directoryId=\"41\" value=\"Middle\" visible=\"0\">"
    "    <Directory directoryId=\"77\" value=\"Leaf\" visible=\"0\"/>"
    "  </Directory>"
    "</Directory>"
    "<Directory directoryId=\"77\" value=\"SecondLeaf\" visible=\"1\"/>"
    "<group><Directory directoryId=\"90\" value=\"Grouped\" visible=\"1\"/></group>");

} // namespace

class TestProjectStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void versionPolicy_data();
    void versionPolicy();
    void constructionLoads();
    void missingDescriptorKeepsDefaults();
    void unparsableDescriptor();
    void unreadableDescriptor();
    void descriptorValues();
    void nestedFolderResolution();
    void deeplyNestedDescriptorIsAParseError_data();
    void deeplyNestedDescriptorIsAParseError();
    void folderNamesLeavingTheProjectAreRefused_data();
    void folderNamesLeavingTheProjectAreRefused();
    void customExportDirectory_data();
    void customExportDirectory();
    void directoryVisibility();
    void descriptorPathRules();
    void createEmptyProject();
    void createEmptyProjectRefusals();

    void headerOf1234CharactersStartsDataAt13734();
    void headerLayoutReadIndependently();
    void reservedSizeChangesDataOffset();
    void dataOffsetRules_data();
    void dataOffsetRules();
    void remoteAttribute();
    void longPathRule_data();
    void longPathRule();
    void longFileNameRoundTrip();
    void headerCannotBeCreated();
    void damagedHeaders_data();
    void damagedHeaders();

private:
    QString newFolder(const QString& hint) const { return m_environment->makeFolder(hint); }

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<BusRecorder> m_bus;
};

void TestProjectStore::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_bus = std::make_unique<BusRecorder>();
    QVERIFY(m_bus->isListening());
}

void TestProjectStore::cleanup()
{
    ZRProject::setWarningHandler({});
    m_bus->take();
}

void TestProjectStore::versionPolicy_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("mayBeOpened");
    QTest::addColumn<QString>("messageKind"); // "", "obsolete" or "too high"
    using S = ZRProject::LoadStatus;
    QTest::newRow("no version attribute") << "" << int(S::Obsolete) << 0 << true << "obsolete";
    QTest::newRow("older") << "version=\"80\"" << int(S::Obsolete) << 80 << true << "obsolete";
    QTest::newRow("current") << "version=\"81\"" << int(S::Loaded) << 81 << true << "";
    QTest::newRow("higher, not allowed") << "version=\"82\" allowOpeningIfHigherVersion=\"0\"" << int(S::VersionTooHigh) << 82 << false << "too high";
    QTest::newRow("highest, not allowed") << "version=\"65534\" allowOpeningIfHigherVersion=\"0\"" << int(S::VersionTooHigh) << 65534 << false << "too high";
    QTest::newRow("higher, default allows") << "version=\"82\"" << int(S::Loaded) << 82 << true << "";
    QTest::newRow("higher, allowed") << "version=\"90\" allowOpeningIfHigherVersion=\"1\"" << int(S::Loaded) << 90 << true << "";
    QTest::newRow("65535 is accepted") << "version=\"65535\" allowOpeningIfHigherVersion=\"0\"" << int(S::Loaded) << 65535 << true << "";
}

void TestProjectStore::versionPolicy()
{
    QFETCH(QString, attributes);
    QFETCH(int, status);
    QFETCH(int, version);
    QFETCH(bool, mayBeOpened);
    QFETCH(QString, messageKind);

    const QString path = newFolder(QStringLiteral("versions"));
    QVERIFY(writeText(path + "/descriptor.xml", descriptorText(attributes, kNestedTree).toUtf8()));
    QStringList warnings;
    ZRProject::setWarningHandler([&](const QString& title, const QString& text) { warnings << title << text; });

    ZRProject::LoadStatus loaded = ZRProject::LoadStatus::NotLoaded;
    const std::unique_ptr<ZRProject> project = ZRProject::open(path, &loaded);
    QCOMPARE(int(loaded), status);
    QCOMPARE(int(project->version()), version);
    QCOMPARE(project->mayBeOpened(), mayBeOpened);

    const QString tooHigh = QStringLiteral("The project %1 was created or updated through a more recent version of "
                                           "Velostrat and cannot be opened.").arg(path);
    const QString obsolete = QStringLiteral("Test message from IPC: Project ") + path + QStringLiteral(" is obsolete.");
    const auto messages = m_bus->take();
    if (messageKind.isEmpty()) {
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).second));
        QVERIFY(warnings.isEmpty());
    } else {
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first, int(eDrawInformation));
        QCOMPARE(messages.first().second, messageKind == QLatin1String("obsolete") ? obsolete : tooHigh);
        if (messageKind == QLatin1String("too high"))
            QCOMPARE(warnings, (QStringList{QStringLiteral("Project version too high"), tooHigh}));
        else
            QVERIFY(warnings.isEmpty());
    }
    // Loading went on in every case: the folder tree is the descriptor's.
    QCOMPARE(project->directoryForType(77), path + "/Top/Middle/Leaf");
}

void TestProjectStore::constructionLoads()
{
    const QString path = newFolder(QStringLiteral("constructed"));
    QVERIFY(writeText(path + "/descriptor.xml", descriptorText("version=\"82\" allowOpeningIfHigherVersion=\"0\"", kNestedTree).toUtf8()));
    const ZRProject project(path);
    QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::VersionTooHigh);
    QVERIFY(!project.mayBeOpened());
    QCOMPARE(project.directoryForType(90), path + QDir::separator() + "Grouped");
    QCOMPARE(m_bus->takeTexts(eDrawInformation).size(), 1);

    // A copy shares the state; loading again after the file changed reads the new one.
    ZRProject copy = project;
    QVERIFY(writeText(path + "/descriptor.xml", descriptorText("version=\"81\"", QString()).toUtf8()));
    QCOMPARE(copy.load(), ZRProject::LoadStatus::Loaded);
    QVERIFY(copy.mayBeOpened());
    QCOMPARE(copy.directoryForType(90), QString());
}

void TestProjectStore::missingDescriptorKeepsDefaults()
{
    const QString path = newFolder(QStringLiteral("empty"));
    ZRProject::LoadStatus status = ZRProject::LoadStatus::NotLoaded;
    const auto project = ZRProject::open(path, &status);
    QCOMPARE(status, ZRProject::LoadStatus::DescriptorMissing);
    QCOMPARE(int(project->version()), 65535);
    QCOMPARE(int(project->allowOpeningIfHigherVersion()), 65535);
    QVERIFY(project->root().isNull());
    QVERIFY(project->mayBeOpened());
    for (int id : {1, 18, 25, 28, 29, 33, 36})
        QVERIFY2(project->directoryForType(id).startsWith(path + "/"), qPrintable(QString::number(id)));
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectStore::unparsableDescriptor()
{
    const QString path = newFolder(QStringLiteral("broken"));
    QVERIFY(writeText(path + "/descriptor.xml", "<ZRProject version=\"81\">\n<type value=\"x\">\n</ZRProject>"));
    const ZRProject project(path);
    QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::ParseError);
    const QStringList errors = m_bus->takeTexts(eDrawError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Unable to parse XML content of file %1. Parsing error occurs at line 3, column ")
                                           .arg(project.descriptorPath())),
             qPrintable(errors.first()));
    QCOMPARE(project.loadMessage(), errors.first());
    QVERIFY(project.root().isNull());
    QCOMPARE(int(project.version()), 65535);
    QVERIFY(!project.directoryForType(29).isEmpty());
}

void TestProjectStore::unreadableDescriptor()
{
    const QString path = newFolder(QStringLiteral("unreadable"));
    QVERIFY(QDir(path).mkdir(QStringLiteral("descriptor.xml")));
    const ZRProject project(path);
    QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::Unreadable);
    const QStringList errors = m_bus->takeTexts(eDrawError);
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().startsWith(QStringLiteral("Unable to open file %1: ").arg(project.descriptorPath())));
}

void TestProjectStore::descriptorValues()
{
    const QString path = newFolder(QStringLiteral("My.Project.v2"));
    QVERIFY(writeText(path + "/descriptor.xml",
                      descriptorText("version=\"81\" allowSessionRestoreIfHigherVersion=\"1\"", kNestedTree).toUtf8()));
    const auto project = ZRProject::open(path);
    QCOMPARE(project->type(), QStringLiteral("Standard"));
    QCOMPARE(project->crs().name(), QStringLiteral("UTM 31N"));
    QVERIFY(project->crs().isValid());
    QCOMPARE(int(project->allowOpeningIfHigherVersion()), 1);
    QCOMPARE(int(project->allowSessionRestoreIfHigherVersion()), 1);
    QCOMPARE(project->projectName(), QFileInfo(path).completeBaseName());
    QVERIFY(project->projectName().startsWith(QStringLiteral("My.Project")));
    QVERIFY(!project->projectName().endsWith(QStringLiteral("v2")));
    QCOMPARE(project->wellDatabasePath(), QString()); // this tree has no folder 33
}

void TestProjectStore::deeplyNestedDescriptorIsAParseError_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("accepted");
    // The descriptor's own levels: ZRProject, theFileStructure, fileStructure, then the folders.
    QTest::newRow("folders up to the limit") << ZRXmlTools::MaximumDepth - 3 << true;
    QTest::newRow("one folder past the limit") << ZRXmlTools::MaximumDepth - 2 << false;
    QTest::newRow("50,000 levels") << 50000 << false;
}

void TestProjectStore::deeplyNestedDescriptorIsAParseError()
{
    QFETCH(int, depth);
    QFETCH(bool, accepted);
    QString tree;
    for (int level = 0; level < depth; ++level)
        tree += QStringLiteral("<Directory directoryId=\"%1\" value=\"d\" visible=\"1\">").arg(level + 1000);
    for (int level = 0; level < depth; ++level)
        tree += QStringLiteral("</Directory>");
    const QString path = newFolder(QStringLiteral("deep"));
    QVERIFY(writeText(path + "/descriptor.xml",
                      QByteArray("<ZRProject version=\"81\"><theFileStructure><fileStructure>") + tree.toUtf8()
                          + "</fileStructure></theFileStructure></ZRProject>"));
    m_bus->take();
    const ZRProject project(path);
    if (accepted) {
        QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::Loaded);
        QString expected = path;
        for (int level = 0; level < depth; ++level)
            expected += QDir::separator() + QStringLiteral("d");
        QCOMPARE(project.directoryForType(1000 + depth - 1), expected);
        QVERIFY(m_bus->take().isEmpty());
        return;
    }
    QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::ParseError);
    const QStringList errors = m_bus->takeTexts(eDrawError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Unable to parse XML content of file %1. Parsing error occurs at line 1, column ")
                                           .arg(project.descriptorPath())),
             qPrintable(errors.first()));
    QVERIFY2(errors.first().endsWith(QStringLiteral(": elements nested deeper than 256 levels")), qPrintable(errors.first()));
    QCOMPARE(project.loadMessage(), errors.first());
    // The default tree answers.
    QVERIFY(!project.directoryForType(29).isEmpty());
}

void TestProjectStore::folderNamesLeavingTheProjectAreRefused_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("refused");

    const QString folder = QStringLiteral("<Directory directoryId=\"29\" value=\"%1\" visible=\"1\"/>");
    QTest::newRow("parent folder") << folder.arg("../victim") << "../victim";
    QTest::newRow("two levels up") << folder.arg("../../victim") << "../../victim";
    QTest::newRow("dot dot") << folder.arg("..") << "..";
    QTest::newRow("dot") << folder.arg(".") << ".";
    QTest::newRow("absolute") << folder.arg("/tmp/victim") << "/tmp/victim";
    QTest::newRow("two components") << folder.arg("Horizons/sub") << "Horizons/sub";
    QTest::newRow("backslash") << folder.arg("..\\victim") << "..\\victim";
    QTest::newRow("empty") << folder.arg("") << "";
    QTest::newRow("an ancestor leaves")
        << "<Directory directoryId=\"18\" value=\"..\" visible=\"1\">" + folder.arg("Horizons") + "</Directory>" << "..";
}

void TestProjectStore::folderNamesLeavingTheProjectAreRefused()
{
    QFETCH(QString, tree);
    QFETCH(QString, refused);
    const QString path = newFolder(QStringLiteral("escaping"));
    QVERIFY(writeText(path + "/descriptor.xml",
                      descriptorText("version=\"81\"", tree + "<Directory directoryId=\"28\" value=\"Faults\"/>").toUtf8()));
    const ZRProject project(path);
    QCOMPARE(project.loadStatus(), ZRProject::LoadStatus::Loaded);
    m_bus->take();

    QCOMPARE(project.directoryForType(29), QString());
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first(), QStringLiteral("The folder \"%1\" given for object type 29 in %2 is not a folder name inside "
                                            "the project; it is not used.")
                                 .arg(refused, project.descriptorPath()));
    // Other folders of the same descriptor still resolve.
    QCOMPARE(project.directoryForType(28), path + QDir::separator() + "Faults");
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectStore::nestedFolderResolution()
{
    const QString path = newFolder(QStringLiteral("nested"));
    QVERIFY(writeText(path + "/descriptor.xml", descriptorText("version=\"81\"", kNestedTree).toUtf8()));
    const auto project = ZRProject::open(path);
    const QString sep = QDir::separator();
    QCOMPARE(project->directoryForType(77), path + sep + "Top" + sep + "Middle" + sep + "Leaf");
    QCOMPARE(project->directoryForType(41), path + sep + "Top" + sep + "Middle");
    QCOMPARE(project->directoryForType(1), path + sep + "Seismic");
    QCOMPARE(project->directoryForType(90), path + sep + "Grouped");
    QCOMPARE(project->directoryForType(12345), QString());
    QCOMPARE(project->directoryForType(33), QString());
}

void TestProjectStore::customExportDirectory_data()
{
    QTest::addColumn<bool>("useCustom");
    QTest::addColumn<QString>("customPath");
    QTest::addColumn<bool>("expectCustom");
    QTest::newRow("custom") << true << "/data/exports" << true;
    QTest::newRow("switched off") << false << "/data/exports" << false;
    QTest::newRow("empty custom path") << true << "" << false;
}

void TestProjectStore::customExportDirectory()
{
    QFETCH(bool, useCustom);
    QFETCH(QString, customPath);
    QFETCH(bool, expectCustom);
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat"));
        settings.setValue(QStringLiteral("Export/UseCustomDirectory"), useCustom);
        settings.setValue(QStringLiteral("Export/CustomDirectoryPath"), customPath);
    }
    const QString path = newFolder(QStringLiteral("export"));
    ZRProject project(path);
    const QString resolved = project.directoryForType(ZRProject::ExportType);
    if (expectCustom)
        QCOMPARE(resolved, customPath);
    else
        QCOMPARE(resolved, path + QDir::separator() + "Export");
    // Only id 25 looks at the settings.
    QVERIFY(project.directoryForType(ZRProject::HorizonType).startsWith(path));
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat")).clear();
}

void TestProjectStore::directoryVisibility()
{
    const QString path = newFolder(QStringLiteral("visible"));
    QVERIFY(writeText(path + "/descriptor.xml", descriptorText("version=\"81\"", kNestedTree).toUtf8()));
    const auto project = ZRProject::open(path);
    QVERIFY(project->setDirectoryVisible(77, true));
    const QDomElement display = project->displayStructure();
    const QDomElement leaf = ZRProject::findDirectory(display, 77);
    QCOMPARE(leaf.attribute("value"), QStringLiteral("Leaf"));
    QCOMPARE(leaf.attribute("visible"), QStringLiteral("1"));
    QCOMPARE(ZRProject::findDirectory(display, 41).attribute("visible"), QStringLiteral("1"));
    QCOMPARE(ZRProject::findDirectory(display, 40).attribute("visible"), QStringLiteral("1"));
    // The file tree is a different element and stays as it was.
    QCOMPARE(ZRProject::findDirectory(project->fileStructure(), 77).attribute("visible"), QStringLiteral("0"));
    // The second element with the same id is not touched.
    QCOMPARE(display.lastChildElement(QStringLiteral("Directory")).attribute("value"), QStringLiteral("SecondLeaf"));

    QVERIFY(project->setDirectoryVisible(77, false));
    QCOMPARE(ZRProject::findDirectory(display, 77).attribute("visible"), QStringLiteral("0"));
    QCOMPARE(ZRProject::findDirectory(display, 40).attribute("visible"), QStringLiteral("1"));
    QVERIFY(!project->setDirectoryVisible(555, true));
    // Nothing was written to disk.
    QVERIFY(!readAll(path + "/descriptor.xml").contains("visible=\"1\">"));
}

void TestProjectStore::descriptorPathRules()
{
    ZRProject project(QStringLiteral("/some/where/Proj"));
    QCOMPARE(project.descriptorPath(), QDir::toNativeSeparators(QStringLiteral("/some/where/Proj/descriptor.xml")));
    QCOMPARE(project.descriptorPath(true), project.descriptorPath(false));
    QVERIFY(m_bus->take().isEmpty());

    ZRProject unnamed{QString()};
    QCOMPARE(unnamed.loadStatus(), ZRProject::LoadStatus::DescriptorMissing);
    QCOMPARE(unnamed.descriptorPath(true), QString());
    QCOMPARE(m_bus->takeTexts(eDrawError), QStringList{QStringLiteral("Error: cannot save project descriptor : empty path")});
}

void TestProjectStore::createEmptyProject()
{
    const QString parent = newFolder(QStringLiteral("projects"));
    QString error;
    QVERIFY2(ZRProject::createEmptyProject(parent, QStringLiteral("Demo"), &error), qPrintable(error));
    const QString path = parent + "/Demo";

    // The descriptor, read without ZRProject.
    QDomDocument document;
    QVERIFY(document.setContent(readAll(path + "/descriptor.xml")));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.attribute("version"), QStringLiteral("81"));
    QStringList children;
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        children.append(child.tagName());
    QCOMPARE(children, (QStringList{"type", "ZRCrs", "theFileStructure", "displayStructure"}));

    ZRProject::LoadStatus status = ZRProject::LoadStatus::NotLoaded;
    const auto project = ZRProject::open(path, &status);
    QCOMPARE(status, ZRProject::LoadStatus::Loaded);
    QCOMPARE(int(project->version()), 81);
    QCOMPARE(project->projectName(), QStringLiteral("Demo"));
    QVERIFY(!project->root().isNull());
    QSet<QString> folders;
    for (int id : {1, 18, 25, 28, 29, 33, 36}) {
        const QString folder = project->directoryForType(id);
        QVERIFY2(folder.startsWith(path + QDir::separator()), qPrintable(QString::number(id)));
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
        folders.insert(folder);
    }
    QCOMPARE(folders.size(), 7);
    QCOMPARE(project->wellDatabasePath(), project->directoryForType(33));
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectStore::createEmptyProjectRefusals()
{
    const QString parent = newFolder(QStringLiteral("refusals"));
    QString error;
    QVERIFY(ZRProject::createEmptyProject(parent, QStringLiteral("Existing"), &error));
    QVERIFY(writeText(parent + "/Existing/marker.txt", "keep me"));
    QVERIFY(!ZRProject::createEmptyProject(parent, QStringLiteral("Existing"), &error));
    QVERIFY(error.contains(QStringLiteral("already exists")));
    QCOMPARE(readAll(parent + "/Existing/marker.txt"), QByteArray("keep me"));

    QVERIFY(!ZRProject::createEmptyProject(parent, QStringLiteral("a/b"), &error));
    QVERIFY(!ZRProject::createEmptyProject(parent, QString(), &error));

    // A parent that is a file: nothing can be created and nothing is left behind.
    QVERIFY(writeText(parent + "/plainfile", "x"));
    QVERIFY(!ZRProject::createEmptyProject(parent + "/plainfile", QStringLiteral("P"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
}

void TestProjectStore::headerOf1234CharactersStartsDataAt13734()
{
    const QString fileName = newFolder(QStringLiteral("header")) + "/object.bin";
    // Find the padding that makes the object XML exactly 1234 characters.
    const PaddedObject unpadded(0);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&unpadded}));
    const QDomDocument first = ZRObjectHeader::readGlobalHeader(fileName);
    const int baseSize = ZRXmlTools::readValue(first.documentElement(), QStringLiteral("headerSize")).toInt();
    QVERIFY(baseSize > 0 && baseSize < 1234);
    const PaddedObject padded(1234 - baseSize);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&padded}));

    const QDomElement header = ZRObjectHeader::readGlobalHeader(fileName).documentElement();
    QCOMPARE(ZRXmlTools::readValue(header, QStringLiteral("headerSize")), QStringLiteral("1234"));
    QCOMPARE(ZRXmlTools::readValue(header, QStringLiteral("DataOffset")), QStringLiteral("13734"));
    QCOMPARE(ZRObjectHeader::dataOffset(header), qint64(13734));
    QCOMPARE(ZRObjectHeader::dataOffset(fileName), qint64(13734));
    QCOMPARE(QFileInfo(fileName).size(), qint64(13734));
    QVERIFY(m_bus->take().isEmpty());
}

void TestProjectStore::headerLayoutReadIndependently()
{
    const QString fileName = newFolder(QStringLiteral("layout")) + "/object.bin";
    const PaddedObject first(10);
    const PaddedObject second(20);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&first, &second}));
    const QByteArray bytes = readAll(fileName);

    // 0..2500: the global header text, then NUL bytes only.
    const int end = bytes.indexOf('\0');
    QVERIFY(end > 0 && end < 2500);
    for (int n = end; n < 2500; ++n)
        QVERIFY2(bytes.at(n) == '\0', qPrintable(QString::number(n)));
    QDomDocument global;
    QVERIFY(global.setContent(bytes.left(end)));
    const QDomElement root = global.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("GlobalHeader"));
    QStringList names;
    QStringList values;
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        names << child.tagName();
        values << child.attribute("value");
    }
    QCOMPARE(names, (QStringList{"headerOffset", "headerSize", "Version", "DataOffset", "VersionNumber"}));
    const int headerSize = values.at(1).toInt();
    QCOMPARE(values.at(0), QStringLiteral("2500"));
    QCOMPARE(values.at(2), QStringLiteral("WithTampon"));
    QCOMPARE(values.at(3).toInt(), 2500 + headerSize + 10000);
    QCOMPARE(values.at(4), QStringLiteral("1"));

    // 2500..2500+headerSize: the object document; then 10000 zero bytes.
    QCOMPARE(bytes.size(), 2500 + headerSize + 10000);
    QDomDocument objects;
    QVERIFY(objects.setContent(bytes.mid(2500, headerSize)));
    QCOMPARE(objects.documentElement().tagName(), QStringLiteral("globalObject"));
    const QDomNodeList objectElements = objects.documentElement().elementsByTagName(QStringLiteral("object"));
    QCOMPARE(objectElements.count(), 2);
    QCOMPARE(objectElements.item(0).toElement().attribute("type"), QStringLiteral("PaddedType"));
    QCOMPARE(objectElements.item(1).toElement().firstChildElement().attribute("pad").size(), 20);
    QVERIFY(!objectElements.item(0).toElement().hasAttribute("remote"));
    QCOMPARE(bytes.mid(2500 + headerSize), QByteArray(10000, '\0'));

    // The library's reader agrees.
    const QDomDocument read = ZRObjectHeader::readObjectDocument(fileName);
    QCOMPARE(read.toString(1), objects.toString(1));
}

void TestProjectStore::reservedSizeChangesDataOffset()
{
    const QString fileName = newFolder(QStringLiteral("reserved")) + "/object.bin";
    const PaddedObject object(5);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&object}, 0));
    const QDomElement header = ZRObjectHeader::readGlobalHeader(fileName).documentElement();
    const qint64 headerSize = ZRXmlTools::readValue(header, QStringLiteral("headerSize")).toLongLong();
    QCOMPARE(ZRObjectHeader::dataOffset(fileName), 2500 + headerSize);
    QCOMPARE(QFileInfo(fileName).size(), 2500 + headerSize);

    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&object}, 64));
    QCOMPARE(ZRObjectHeader::dataOffset(fileName), 2500 + headerSize + 64);
}

void TestProjectStore::dataOffsetRules_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<qint64>("offset");
    QTest::newRow("no headerSize") << "<GlobalHeader><Version value=\"WithTampon\"/><DataOffset value=\"99\"/></GlobalHeader>" << qint64(-1);
    QTest::newRow("empty headerSize") << "<GlobalHeader><headerSize value=\"\"/><Version value=\"WithTampon\"/></GlobalHeader>" << qint64(-1);
    QTest::newRow("with tampon") << "<GlobalHeader><headerSize value=\"10\"/><Version value=\"WithTampon\"/><DataOffset value=\"12510\"/></GlobalHeader>" << qint64(12510);
    QTest::newRow("with tampon, empty offset") << "<GlobalHeader><headerSize value=\"10\"/><Version value=\"WithTampon\"/><DataOffset value=\"\"/></GlobalHeader>" << qint64(0);
    QTest::newRow("without tampon") << "<GlobalHeader><headerSize value=\"10\"/><Version value=\"Plain\"/><DataOffset value=\"99999\"/></GlobalHeader>" << qint64(2510);
    QTest::newRow("large") << "<GlobalHeader><headerSize value=\"3000000000\"/></GlobalHeader>" << qint64(3000002500LL);
}

void TestProjectStore::dataOffsetRules()
{
    QFETCH(QString, header);
    QFETCH(qint64, offset);
    QDomDocument document;
    QVERIFY(document.setContent(header));
    QCOMPARE(ZRObjectHeader::dataOffset(document.documentElement()), offset);
}

void TestProjectStore::remoteAttribute()
{
    const QString folder = newFolder(QStringLiteral("remote"));
    const PaddedObject object(1);
    QVERIFY(ZRObjectHeader::writeObjectHeader(folder + "/remote.bin",
                                              QList<ZRObjectHeader::Entry>{{&object, QStringLiteral("/elsewhere/data.bin")}, {&object, QString()}}));
    QCOMPARE(ZRObjectHeader::remoteOf(folder + "/remote.bin"), QStringLiteral("/elsewhere/data.bin"));
    QVERIFY(ZRObjectHeader::writeObjectHeader(folder + "/local.bin", QList<const ZRObjectSerialization*>{&object}));
    QCOMPARE(ZRObjectHeader::remoteOf(folder + "/local.bin"), QString());
    QCOMPARE(ZRObjectHeader::remoteOf(folder + "/missing.bin"), QString());
    QCOMPARE(m_bus->takeTexts(eDrawFileError).size(), 1);
}

void TestProjectStore::longPathRule_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("prefixed");
    QTest::newRow("260") << 260 << false;
    QTest::newRow("261") << 261 << true;
    QTest::newRow("300") << 300 << true;
}

void TestProjectStore::longPathRule()
{
    QFETCH(int, length);
    QFETCH(bool, prefixed);
    const QString name = QStringLiteral("/") + QString(length - 5, QLatin1Char('a')) + QStringLiteral(".bin");
    QCOMPARE(name.size(), length);
    const QString result = ZRLongPath::prefixedName(name);
    QCOMPARE(result.startsWith(QStringLiteral("\\\\?\\")), prefixed);
    QCOMPARE(result.endsWith(QDir::toNativeSeparators(name)), true);
    QCOMPARE(result.size(), length + (prefixed ? 4 : 0));
}

void TestProjectStore::longFileNameRoundTrip()
{
    // A 300-character name: written and read back through the long-path rule.
    QString folder = newFolder(QStringLiteral("long"));
    while (folder.size() < 200) {
        folder += QStringLiteral("/") + QString(40, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(folder));
    }
    QString fileName = folder + QStringLiteral("/");
    fileName += QString(300 - fileName.size() - 4, QLatin1Char('f')) + QStringLiteral(".bin");
    QCOMPARE(fileName.size(), 300);
    const PaddedObject object(3);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&object}));
    QVERIFY(QFileInfo::exists(fileName));
    QVERIFY(!ZRObjectHeader::readObjectDocument(fileName).isNull());
}

void TestProjectStore::headerCannotBeCreated()
{
    const QString fileName = newFolder(QStringLiteral("nocreate")) + "/missing-folder/object.bin";
    const PaddedObject object(1);
    QVERIFY(!ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&object}));
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Error when opening in Write mode file : ")
                                       + QDir::toNativeSeparators(fileName) + QStringLiteral(" ")),
             qPrintable(errors.first()));
    QVERIFY(!QFileInfo::exists(fileName));
}

void TestProjectStore::damagedHeaders_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("empty file") << "empty" << "Error when reading ";
    QTest::newRow("cut inside the global header") << "cut1000" << "Error when reading ";
    QTest::newRow("cut inside the object XML") << "cutObject" << "Error when reading ";
    QTest::newRow("garbage global header") << "garbageGlobal" << "Unable to parse XML content of file ";
    QTest::newRow("garbage object XML") << "garbageObject" << "Unable to parse XML content of file ";
    QTest::newRow("negative header size") << "negativeSize" << "Error when reading ";
    QTest::newRow("header size 2147483647") << "hugeSize" << "Error when reading ";
    QTest::newRow("header size past the end of the file") << "sizePastEnd" << "Error when reading ";
    QTest::newRow("object XML nested 50,000 deep") << "deepObject" << "Unable to parse XML content of file ";
}

void TestProjectStore::damagedHeaders()
{
    QFETCH(QString, damage);
    QFETCH(QString, messageStart);
    const QString fileName = newFolder(QStringLiteral("damaged")) + "/object.bin";
    const PaddedObject object(100);
    QVERIFY(ZRObjectHeader::writeObjectHeader(fileName, QList<const ZRObjectSerialization*>{&object}));
    QByteArray bytes = readAll(fileName);
    if (damage == QLatin1String("empty"))
        bytes.clear();
    else if (damage == QLatin1String("cut1000"))
        bytes.truncate(1000);
    else if (damage == QLatin1String("cutObject"))
        bytes.truncate(2550);
    else if (damage == QLatin1String("garbageGlobal"))
        bytes.replace(0, 10, "<<<>>>&&&&");
    else if (damage == QLatin1String("garbageObject"))
        bytes.replace(2510, 10, "<<<>>>&&&&");
    else if (damage == QLatin1String("negativeSize"))
        bytes.replace(bytes.indexOf("headerSize value=\"") + 18, 3, "-12");
    else if (damage == QLatin1String("hugeSize"))
        setGlobalValue(&bytes, "headerSize", "2147483647");
    else if (damage == QLatin1String("sizePastEnd"))
        setGlobalValue(&bytes, "headerSize", QByteArray::number(bytes.size()));
    else if (damage == QLatin1String("deepObject")) {
        QByteArray deep = "<globalObject>";
        for (int level = 0; level < 50000; ++level)
            deep += "<o>";
        bytes = bytes.left(ZRObjectHeader::GlobalHeaderSize) + deep;
        setGlobalValue(&bytes, "headerSize", QByteArray::number(deep.size()));
    }
    QVERIFY(writeText(fileName, bytes));

    m_bus->take();
    QVERIFY(ZRObjectHeader::readObjectDocument(fileName).isNull());
    const QStringList errors = m_bus->takeTexts(eDrawFileError);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(messageStart), qPrintable(errors.first()));
    QVERIFY(errors.first().contains(fileName));
    if (damage == QLatin1String("hugeSize"))
        QVERIFY2(errors.first().endsWith(QStringLiteral("header size 2147483647 is larger than the largest header accepted (67108864 bytes)")),
                 qPrintable(errors.first()));
    if (damage == QLatin1String("sizePastEnd"))
        QVERIFY2(errors.first().endsWith(QStringLiteral("header size %1 goes past the end of the file (%1 bytes)").arg(bytes.size())),
                 qPrintable(errors.first()));
    if (damage == QLatin1String("deepObject"))
        QVERIFY2(errors.first().endsWith(QStringLiteral("elements nested deeper than 256 levels")), qPrintable(errors.first()));
}

QTEST_MAIN(TestProjectStore)
#include "tst_projectstore.moc"
