#include "zrobjectheader.h"

#include "zreventbus.h"
#include "zrlongpath.h"
#include "zrobjectserialization.h"
#include "zrxmltools.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace
{

const QString kWithTampon = QStringLiteral("WithTampon");

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void reportFileError(const QString& text)
{
    ZREventBus::sendMessage(eDrawFileError, text, false);
}

bool writeAt(std::FILE* file, long offset, const char* data, std::size_t size, const QString& name)
{
    if (std::fseek(file, offset, SEEK_SET) != 0 || std::fwrite(data, 1, size, file) != size) {
        reportFileError(QStringLiteral("Error when writing into ") + name);
        return false;
    }
    return true;
}

void setValue(QDomElement globalHeader, const QString& name, const QString& value)
{
    QDomElement element = globalHeader.firstChildElement(name);
    if (!element.isNull())
        element.setAttribute(QStringLiteral("value"), value);
}

/// Parses `bytes`, reporting a failure with the file name.
QDomDocument parseDocument(const QByteArray& bytes, const QString& fileName)
{
    QDomDocument document;
    QString errorText;
    if (!ZRXmlTools::parseFileContent(bytes, fileName, &document, &errorText)) {
        reportFileError(errorText);
        return QDomDocument();
    }
    return document;
}

FilePtr openForReading(const QString& fileName)
{
    FilePtr file(std::fopen(ZRLongPath::systemBytes(fileName).constData(), "rb"));
    if (!file)
        reportFileError(QStringLiteral("Error when opening ") + fileName + QStringLiteral(" : ") + systemError(errno));
    return file;
}

/// Reads exactly `size` bytes at `offset`; reports a short read.
bool readAt(std::FILE* file, long offset, QByteArray* bytes, int size, const QString& fileName)
{
    bytes->resize(size);
    if (std::fseek(file, offset, SEEK_SET) != 0
        || std::fread(bytes->data(), 1, std::size_t(size), file) != std::size_t(size)) {
        reportFileError(QStringLiteral("Error when reading %1 - %2").arg(fileName, QStringLiteral("unexpected end of file")));
        return false;
    }
    return true;
}

/// Length of an open file in bytes; -1 when it cannot be told.
qint64 fileLength(std::FILE* file)
{
    struct stat status{};
    if (::fstat(::fileno(file), &status) != 0)
        return -1;
    return qint64(status.st_size);
}

QDomDocument globalHeaderOf(std::FILE* file, const QString& fileName)
{
    QByteArray block;
    if (!readAt(file, 0, &block, ZRObjectHeader::GlobalHeaderSize, fileName))
        return QDomDocument();
    const int end = block.indexOf('\0');
    if (end >= 0)
        block.truncate(end);
    return parseDocument(block, fileName);
}

} // namespace

QDomDocument ZRObjectHeader::defaultGlobalHeader()
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("GlobalHeader"));
    document.appendChild(root);
    ZRXmlTools::writeInt(document, root, QStringLiteral("headerOffset"), GlobalHeaderSize);
    ZRXmlTools::writeInt64(document, root, QStringLiteral("headerSize"), 0);
    ZRXmlTools::writeText(document, root, QStringLiteral("Version"), kWithTampon);
    ZRXmlTools::writeInt64(document, root, QStringLiteral("DataOffset"), 0);
    ZRXmlTools::writeInt(document, root, QStringLiteral("VersionNumber"), 1);
    return document;
}

bool ZRObjectHeader::writeObjectHeader(const QString& fileName, const QList<const ZRObjectSerialization*>& objects,
                                       int reservedSize)
{
    QList<Entry> entries;
    for (const ZRObjectSerialization* object : objects)
        entries.append(Entry{object, QString()});
    return writeObjectHeader(fileName, entries, reservedSize);
}

bool ZRObjectHeader::writeObjectHeader(const QString& fileName, const QList<Entry>& entries, int reservedSize)
{
    QDomDocument globalHeader = defaultGlobalHeader();
    QDomElement globalRoot = globalHeader.documentElement();
    const QString version = ZRXmlTools::readValue(globalRoot, QStringLiteral("Version"));

    const QString name = ZRLongPath::prefixedName(fileName);
    FilePtr file(std::fopen(ZRLongPath::systemBytes(fileName).constData(), "w+b"));
    if (!file) {
        reportFileError(QStringLiteral("Error when opening in Write mode file : ") + name + QStringLiteral(" ")
                        + systemError(errno));
        return false;
    }

    const std::vector<char> zeros(std::size_t(std::max(GlobalHeaderSize, reservedSize)), '\0');
    writeAt(file.get(), 0, zeros.data(), GlobalHeaderSize, name);

    QDomDocument objectDocument;
    QDomElement globalObject = objectDocument.createElement(QStringLiteral("globalObject"));
    objectDocument.appendChild(globalObject);
    for (const Entry& entry : entries) {
        if (!entry.object)
            continue;
        QDomElement object = objectDocument.createElement(QStringLiteral("object"));
        object.setAttribute(QStringLiteral("type"), entry.object->typeName());
        if (!entry.remote.isEmpty())
            object.setAttribute(QStringLiteral("remote"), entry.remote);
        object.appendChild(entry.object->toXml(objectDocument));
        globalObject.appendChild(object);
    }
    const QByteArray objectText = ZRXmlTools::toBytes(objectDocument, 1);
    const qint64 headerSize = objectText.size();
    writeAt(file.get(), GlobalHeaderSize, objectText.constData(), std::size_t(headerSize), name);

    const bool withTampon = version == kWithTampon;
    if (withTampon)
        setValue(globalRoot, QStringLiteral("DataOffset"), QString::number(headerSize + reservedSize + GlobalHeaderSize));
    setValue(globalRoot, QStringLiteral("headerSize"), QString::number(headerSize));

    QByteArray globalBlock(GlobalHeaderSize, '\0');
    const QByteArray globalText = ZRXmlTools::toBytes(globalHeader, 1);
    std::memcpy(globalBlock.data(), globalText.constData(), std::size_t(std::min<int>(globalText.size(), GlobalHeaderSize - 1)));
    writeAt(file.get(), 0, globalBlock.constData(), GlobalHeaderSize, name);

    if (withTampon && reservedSize > 0)
        writeAt(file.get(), long(GlobalHeaderSize + headerSize), zeros.data(), std::size_t(reservedSize), name);

    if (std::fclose(file.release()) != 0)
        reportFileError(QStringLiteral("Error when writing into ") + name);
    return true;
}

qint64 ZRObjectHeader::dataOffset(const QDomElement& globalHeader)
{
    const QString headerSize = ZRXmlTools::readValue(globalHeader, QStringLiteral("headerSize")).trimmed();
    if (headerSize.isEmpty())
        return -1;
    if (ZRXmlTools::readValue(globalHeader, QStringLiteral("Version")) == kWithTampon) {
        const QString offset = ZRXmlTools::readValue(globalHeader, QStringLiteral("DataOffset")).trimmed();
        return offset.isEmpty() ? 0 : offset.toLongLong();
    }
    return GlobalHeaderSize + headerSize.toLongLong();
}

qint64 ZRObjectHeader::dataOffset(const QString& fileName)
{
    const QDomDocument header = readGlobalHeader(fileName);
    if (header.isNull())
        return -1;
    return dataOffset(header.documentElement());
}

QDomDocument ZRObjectHeader::readGlobalHeader(const QString& fileName)
{
    FilePtr file = openForReading(fileName);
    if (!file)
        return QDomDocument();
    return globalHeaderOf(file.get(), fileName);
}

QDomDocument ZRObjectHeader::readObjectDocument(const QString& fileName)
{
    FilePtr file = openForReading(fileName);
    if (!file)
        return QDomDocument();
    const QDomDocument globalHeader = globalHeaderOf(file.get(), fileName);
    if (globalHeader.isNull())
        return QDomDocument();
    const QDomElement root = globalHeader.documentElement();
    const auto refuse = [&fileName](const QString& reason) {
        reportFileError(QStringLiteral("Error when reading %1 - %2").arg(fileName, reason));
        return QDomDocument();
    };
    bool ok = false;
    const QString sizeText = ZRXmlTools::readValue(root, QStringLiteral("headerSize")).trimmed();
    const qint64 headerSize = sizeText.toLongLong(&ok);
    if (!ok || headerSize < 0)
        return refuse(QStringLiteral("invalid header size \"%1\"").arg(sizeText));
    if (headerSize > MaximumHeaderSize)
        return refuse(QStringLiteral("header size %1 is larger than the largest header accepted (%2 bytes)")
                          .arg(headerSize)
                          .arg(MaximumHeaderSize));
    const qint64 length = fileLength(file.get());
    if (length < 0 || headerSize > length - GlobalHeaderSize)
        return refuse(QStringLiteral("header size %1 goes past the end of the file (%2 bytes)").arg(headerSize).arg(length));
    QByteArray objectText;
    if (!readAt(file.get(), GlobalHeaderSize, &objectText, int(headerSize), fileName))
        return QDomDocument();
    return parseDocument(objectText, fileName);
}

QString ZRObjectHeader::remoteOf(const QString& fileName)
{
    const QList<QDomElement> objects = objectElements(readObjectDocument(fileName));
    return objects.isEmpty() ? QString() : objects.first().attribute(QStringLiteral("remote"));
}

QList<QDomElement> ZRObjectHeader::objectElements(const QDomDocument& objectDocument)
{
    QList<QDomElement> objects;
    const QDomElement root = objectDocument.documentElement();
    for (QDomElement object = root.firstChildElement(QStringLiteral("object")); !object.isNull();
         object = object.nextSiblingElement(QStringLiteral("object")))
        objects.append(object);
    return objects;
}
