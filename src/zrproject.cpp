#include "zrproject.h"

#include "zreventbus.h"
#include "zrpathsafety.h"
#include "zrxmltools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

#include <mutex>

namespace
{

const QString kDirectory = QStringLiteral("Directory");
const QString kDescriptorName = QStringLiteral("descriptor.xml");

struct DefaultFolder
{
    int id;
    const char* value;
    const char* name;
    const char* pixmap;
    int parentId; ///< -1 for a top-level folder
    bool visible;
    QList<int> subTypes;
};

/// The folder tree a new project starts with.
const QList<DefaultFolder>& defaultFolders()
{
    static const QList<DefaultFolder> folders = {
        {ZRProject::VolumeType, "Seismic", "Seismic", "seismic16", -1, true, {0}},
        {ZRProject::VolumeAttributeType, "Attributes", "Seismic Attributes", "seismicattribute16", ZRProject::VolumeType, true, {}},
        {ZRProject::VisibleFolderType, "Interpretation", "Interpretation", "interpretation16", -1, false, {}},
        {ZRProject::HorizonType, "Horizons", "Horizons", "horizon_base", ZRProject::VisibleFolderType, true, {}},
        {ZRProject::FaultType, "Faults", "Faults", "faultpicking", ZRProject::VisibleFolderType, true, {}},
        {ZRProject::WellDatabaseType, "Wells", "Wells", "welltable24", -1, true, {41, 104}},
        {ZRProject::ExportType, "Export", "Export", "export16", -1, true, {}},
    };
    return folders;
}

void appendDefaultTree(QDomDocument& document, QDomElement& tree)
{
    QHash<int, QDomElement> created;
    for (const DefaultFolder& folder : defaultFolders()) {
        QDomElement element = document.createElement(kDirectory);
        element.setAttribute(QStringLiteral("directoryId"), folder.id);
        element.setAttribute(QStringLiteral("value"), QString::fromLatin1(folder.value));
        element.setAttribute(QStringLiteral("visible"), folder.visible ? 1 : 0);
        element.setAttribute(QStringLiteral("name"), QString::fromLatin1(folder.name));
        element.setAttribute(QStringLiteral("pixmapName"), QString::fromLatin1(folder.pixmap));
        QDomElement subTypes = document.createElement(QStringLiteral("SubObjectTypeList"));
        for (int type : folder.subTypes)
            ZRXmlTools::writeInt(document, subTypes, QStringLiteral("SubObjectType"), type);
        element.appendChild(subTypes);
        QDomElement parent = folder.parentId < 0 ? tree : created.value(folder.parentId);
        parent.appendChild(element);
        created.insert(folder.id, element);
    }
}

quint16 readVersionAttribute(const QDomElement& root, const QString& name, const QString& defaultText)
{
    bool ok = false;
    const uint value = root.attribute(name, defaultText).trimmed().toUInt(&ok);
    if (!ok || value > 65535)
        return quint16(defaultText.toUInt());
    return quint16(value);
}

std::mutex& handlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

ZRProject::WarningHandler& warningHandler()
{
    static ZRProject::WarningHandler handler;
    return handler;
}

/// Relative path of a "Directory" element: native separator + value of each
/// "Directory" from the top down to the element. False, with the offending
/// value in `unsafeValue`, when a value is not one usable folder name (such as
/// "..", or a value holding a separator), which would lead outside the project.
bool relativePathOf(QDomElement element, QString* relative, QString* unsafeValue = nullptr)
{
    relative->clear();
    while (!element.isNull() && element.tagName() == kDirectory) {
        const QString value = element.attribute(QStringLiteral("value"));
        if (!isSafeFileName(value)) {
            if (unsafeValue)
                *unsafeValue = value;
            relative->clear();
            return false;
        }
        relative->prepend(QDir::separator() + value);
        const QDomNode parent = element.parentNode();
        element = parent.isElement() ? parent.toElement() : QDomElement();
    }
    return true;
}

} // namespace

void ZRProject::setWarningHandler(WarningHandler handler)
{
    std::lock_guard<std::mutex> lock(handlerMutex());
    warningHandler() = std::move(handler);
}

ZRProject::ZRProject(const QString& path) : m_path(path), m_crs(georef::Crs::defaultCrs())
{
    buildDefaultTree();
    if (m_path.isEmpty())
        m_loadStatus = LoadStatus::DescriptorMissing;
    else
        load();
}

ZRProject::~ZRProject() = default;
ZRProject::ZRProject(const ZRProject&) = default;
ZRProject& ZRProject::operator=(const ZRProject&) = default;

std::unique_ptr<ZRProject> ZRProject::open(const QString& path, LoadStatus* status)
{
    auto project = std::make_unique<ZRProject>(path);
    if (status)
        *status = project->loadStatus();
    return project;
}

void ZRProject::buildDefaultTree()
{
    m_document = QDomDocument();
    QDomElement holder = m_document.createElement(QStringLiteral("defaultProject"));
    m_document.appendChild(holder);
    QDomElement theFileStructure = m_document.createElement(QStringLiteral("theFileStructure"));
    holder.appendChild(theFileStructure);
    m_fileStructure = m_document.createElement(QStringLiteral("fileStructure"));
    theFileStructure.appendChild(m_fileStructure);
    appendDefaultTree(m_document, m_fileStructure);
    m_displayStructure = m_document.createElement(QStringLiteral("displayStructure"));
    holder.appendChild(m_displayStructure);
    appendDefaultTree(m_document, m_displayStructure);
    m_root = QDomElement();
}

ZRProject::LoadStatus ZRProject::load()
{
    m_loadMessage.clear();
    const QString fileName = descriptorPath(false);
    QFile file(fileName);
    if (!file.exists())
        return m_loadStatus = LoadStatus::DescriptorMissing;
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadMessage = QStringLiteral("Unable to open file %1: %2").arg(fileName, file.errorString());
        ZREventBus::sendMessage(eDrawError, m_loadMessage, false);
        return m_loadStatus = LoadStatus::Unreadable;
    }
    const QByteArray content = file.readAll();
    file.close();

    QDomDocument document;
    if (!ZRXmlTools::parseFileContent(content, fileName, &document, &m_loadMessage)) {
        ZREventBus::sendMessage(eDrawError, m_loadMessage, false);
        return m_loadStatus = LoadStatus::ParseError;
    }

    const QDomElement root = document.documentElement();
    m_version = readVersionAttribute(root, QStringLiteral("version"), QStringLiteral("0"));
    m_allowOpeningIfHigherVersion = readVersionAttribute(root, QStringLiteral("allowOpeningIfHigherVersion"), QStringLiteral("1"));
    m_allowSessionRestoreIfHigherVersion =
        readVersionAttribute(root, QStringLiteral("allowSessionRestoreIfHigherVersion"), QStringLiteral("0"));
    m_type = ZRXmlTools::readValue(root, QStringLiteral("type"));
    const QDomElement crs = root.firstChildElement(QStringLiteral("ZRCrs"));
    if (!crs.isNull())
        m_crs.fromXml(crs);
    const QDomElement fileStructure = root.firstChildElement(QStringLiteral("theFileStructure"))
                                          .elementsByTagName(QStringLiteral("fileStructure"))
                                          .item(0)
                                          .toElement();
    if (!fileStructure.isNull())
        m_fileStructure = fileStructure;
    const QDomElement displayStructure = root.firstChildElement(QStringLiteral("displayStructure"));
    if (!displayStructure.isNull())
        m_displayStructure = displayStructure;
    m_document = document;
    m_root = root;

    if (m_version > CurrentVersion && m_version < UnknownVersion && m_allowOpeningIfHigherVersion == 0) {
        m_loadMessage = QStringLiteral("The project %1 was created or updated through a more recent version of Velostrat and cannot be opened.")
                            .arg(m_path);
        WarningHandler handler;
        {
            std::lock_guard<std::mutex> lock(handlerMutex());
            handler = warningHandler();
        }
        if (handler)
            handler(QStringLiteral("Project version too high"), m_loadMessage);
        ZREventBus::sendMessage(eDrawInformation, m_loadMessage, false);
        return m_loadStatus = LoadStatus::VersionTooHigh;
    }
    if (m_version < CurrentVersion) {
        if (!m_path.isEmpty()) {
            m_loadMessage = QStringLiteral("Test message from IPC: Project ") + m_path + QStringLiteral(" is obsolete.");
            ZREventBus::sendMessage(eDrawInformation, m_loadMessage, false);
        }
        return m_loadStatus = LoadStatus::Obsolete;
    }
    return m_loadStatus = LoadStatus::Loaded;
}

bool ZRProject::mayBeOpened() const
{
    return m_version <= CurrentVersion || m_version == UnknownVersion || m_allowOpeningIfHigherVersion != 0;
}

QString ZRProject::projectName() const
{
    return QFileInfo(m_path).completeBaseName();
}

QDomElement ZRProject::findDirectory(const QDomElement& tree, int objectType)
{
    if (tree.isNull())
        return QDomElement();
    const QString id = QString::number(objectType);
    const QDomNodeList directories = tree.elementsByTagName(kDirectory);
    for (int index = 0; index < directories.count(); ++index) {
        const QDomElement element = directories.item(index).toElement();
        if (element.attribute(QStringLiteral("directoryId")).trimmed() == id)
            return element;
    }
    return QDomElement();
}

QString ZRProject::directoryForType(int objectType) const
{
    if (objectType == ExportType) {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovan"), QStringLiteral("Velostrat"));
        settings.beginGroup(QStringLiteral("Export"));
        const bool useCustom = settings.value(QStringLiteral("UseCustomDirectory"), false).toBool();
        const QString custom = settings.value(QStringLiteral("CustomDirectoryPath")).toString();
        settings.endGroup();
        if (useCustom && !custom.isEmpty())
            return custom;
    }
    const QDomElement directory = findDirectory(m_fileStructure, objectType);
    if (directory.isNull())
        return QString();
    QString relative;
    QString unsafeValue;
    if (!relativePathOf(directory, &relative, &unsafeValue)) {
        ZREventBus::sendMessage(eDrawFileError,
                                QStringLiteral("The folder \"%1\" given for object type %2 in %3 is not a folder name "
                                               "inside the project; it is not used.")
                                    .arg(unsafeValue)
                                    .arg(objectType)
                                    .arg(descriptorPath()),
                                false);
        return QString();
    }
    return m_path + relative;
}

QString ZRProject::descriptorPath(bool forSaving) const
{
    if (forSaving && m_path.isEmpty()) {
        ZREventBus::sendMessage(eDrawError, QStringLiteral("Error: cannot save project descriptor : empty path"), false);
        return QString();
    }
    return QDir::toNativeSeparators(m_path + QDir::separator() + kDescriptorName);
}

bool ZRProject::setDirectoryVisible(QDomElement tree, int objectType, bool visible)
{
    QDomElement element = findDirectory(tree, objectType);
    if (element.isNull())
        return false;
    element.setAttribute(QStringLiteral("visible"), visible ? 1 : 0);
    if (visible) {
        QDomNode parent = element.parentNode();
        while (parent.isElement() && parent.toElement().tagName() == kDirectory) {
            parent.toElement().setAttribute(QStringLiteral("visible"), 1);
            parent = parent.parentNode();
        }
    }
    return true;
}

bool ZRProject::setDirectoryVisible(int objectType, bool visible)
{
    QDomElement tree = m_root.isNull() ? m_displayStructure : m_root.lastChildElement();
    return setDirectoryVisible(tree, objectType, visible);
}

bool ZRProject::saveDescriptor(QString* errorText) const
{
    const QString fileName = descriptorPath(true);
    if (fileName.isEmpty()) {
        if (errorText)
            *errorText = QStringLiteral("Error: cannot save project descriptor : empty path");
        return false;
    }
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("ZRProject"));
    document.appendChild(root);
    root.setAttribute(QStringLiteral("version"), CurrentVersion);
    root.setAttribute(QStringLiteral("allowOpeningIfHigherVersion"), 1);
    root.setAttribute(QStringLiteral("allowSessionRestoreIfHigherVersion"), 0);
    ZRXmlTools::writeText(document, root, QStringLiteral("type"), m_type);
    m_crs.toXml(document, root, QStringLiteral("ZRCrs"));
    QDomElement theFileStructure = document.createElement(QStringLiteral("theFileStructure"));
    root.appendChild(theFileStructure);
    theFileStructure.appendChild(document.importNode(m_fileStructure, true));
    QDomElement display = document.importNode(m_displayStructure, true).toElement();
    display.setTagName(QStringLiteral("displayStructure"));
    root.appendChild(display);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(ZRXmlTools::toBytes(document, 1)) < 0 || !file.commit()) {
        const QString text = QStringLiteral("Unable to open file %1: %2").arg(fileName, file.errorString());
        ZREventBus::sendMessage(eDrawFileError, text, false);
        if (errorText)
            *errorText = text;
        return false;
    }
    return true;
}

bool ZRProject::createEmptyProject(const QString& parentFolder, const QString& name, QString* errorText)
{
    const auto fail = [errorText](const QString& text) {
        if (errorText)
            *errorText = text;
        return false;
    };
    if (name.trimmed().isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return fail(QStringLiteral("Invalid project name: \"%1\"").arg(name));
    const QString path = QDir(parentFolder).absoluteFilePath(name);
    if (QFileInfo::exists(QDir(path).filePath(kDescriptorName)))
        return fail(QStringLiteral("A host project already exists in %1").arg(path));
    ZRProject project(path);

    const bool folderExisted = QFileInfo(path).isDir();
    if (!QDir().mkpath(path))
        return fail(QStringLiteral("Unable to create the folder %1").arg(path));
    const auto removeCreated = [&]() {
        if (!folderExisted)
            QDir(path).removeRecursively();
    };

    project.m_type = QStringLiteral("Standard");
    project.m_version = CurrentVersion;
    project.m_allowOpeningIfHigherVersion = 1;
    project.m_allowSessionRestoreIfHigherVersion = 0;
    const QDomNodeList directories = project.m_fileStructure.elementsByTagName(kDirectory);
    for (int index = 0; index < directories.count(); ++index) {
        QString relative;
        relativePathOf(directories.item(index).toElement(), &relative);
        const QString folder = path + relative;
        if (!QDir().mkpath(folder)) {
            removeCreated();
            return fail(QStringLiteral("Unable to create the folder %1").arg(folder));
        }
    }
    QString saveError;
    if (!project.saveDescriptor(&saveError)) {
        removeCreated();
        return fail(saveError);
    }
    return true;
}
