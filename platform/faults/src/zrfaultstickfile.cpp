#include "zrfaultstickfile.h"

#include "zreventbus.h"
#include "zrlongpath.h"
#include "zrobjectheader.h"
#include "zrobjectserialization.h"
#include "zrxmltools.h"

#include <QDomDocument>
#include <QFile>
#include <QtGlobal>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the stick body is written in the machine's byte order");
static_assert(sizeof(double) == 8 && sizeof(std::uint32_t) == 4, "stored sizes");
static_assert(ZRFaultStickFile::PointBytes == 3 * sizeof(double), "a stored point is three doubles");
static_assert(ZRFaultStickFile::CountBytes == sizeof(std::uint32_t), "an array's point count is a uint32");

namespace
{

const QString kTypeName = QStringLiteral("ZRFaultStick");

/// The stick header as the one object of the header container.
class StickHeaderObject : public ZRObjectSerialization
{
public:
    StickHeaderObject(const QStringList& names, const core::MultiArray<core::vec3>& sticks, bool isTime,
                      const georef::Crs& crs)
        : m_names(names)
        , m_sticks(sticks)
        , m_isTime(isTime)
        , m_crs(crs)
    {
    }

    QString typeName() const override { return kTypeName; }

    QDomElement toXml(QDomDocument& document) const override
    {
        QDomElement element = document.createElement(kTypeName);
        ZRXmlTools::writeInt(document, element, QStringLiteral("Version"), ZRFaultStickFile::FileVersion);
        ZRXmlTools::writeText(document, element, QStringLiteral("domain"),
                              m_isTime ? QStringLiteral("TIME") : QStringLiteral("DEPTH"));
        m_crs.toXml(document, element, m_crs.tagName());
        ZRXmlTools::writeInt(document, element, QStringLiteral("numberOfNames"), m_names.size());
        QDomElement names = document.createElement(QStringLiteral("names"));
        element.appendChild(names);
        for (const QString& name : m_names)
            ZRXmlTools::writeText(document, names, QStringLiteral("name"), name);
        ZRXmlTools::writeInt64(document, element, QStringLiteral("numberOfArrays"), m_sticks.arrayCount());
        ZRXmlTools::writeInt64(document, element, QStringLiteral("numberOfPoints"), qint64(m_sticks.totalSize()));
        ZRXmlTools::writeInt64(document, element, QStringLiteral("numberOfSticks"),
                               ZRFaultStickFile::stickCount(m_sticks));
        return element;
    }

private:
    const QStringList& m_names;
    const core::MultiArray<core::vec3>& m_sticks;
    bool m_isTime;
    const georef::Crs& m_crs;
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool fail(QString* error, const QString& path, const QString& what)
{
    if (error)
        *error = QStringLiteral("Error when reading %1 - %2").arg(path, what);
    return false;
}

QDomDocument parse(const QByteArray& text, QString* message)
{
    QDomDocument document;
    QString parseError;
    int line = 0;
    int column = 0;
    if (!ZRXmlTools::parseDocument(text, &document, &parseError, &line, &column)) {
        *message = QStringLiteral("XML error at line %1, column %2: %3").arg(line).arg(column).arg(parseError);
        return QDomDocument();
    }
    return document;
}

bool readCount(const QDomElement& element, const QString& name, std::int64_t* value)
{
    qint64 number = 0;
    if (!ZRXmlTools::readInt64(element, name, &number) || number < 0)
        return false;
    *value = number;
    return true;
}

/// Reads and checks the container and the stick header of an open file.
bool readHeaderOf(QFile& file, const QString& path, ZRFaultStickFile::Header* header, QString* error)
{
    const qint64 size = file.size();
    if (size < ZRObjectHeader::GlobalHeaderSize)
        return fail(error, path, QStringLiteral("the file is shorter than its global header"));
    QByteArray block = file.read(ZRObjectHeader::GlobalHeaderSize);
    if (block.size() != ZRObjectHeader::GlobalHeaderSize)
        return fail(error, path, QStringLiteral("unreadable global header"));
    const int end = block.indexOf('\0');
    if (end >= 0)
        block.truncate(end);
    QString message;
    const QDomDocument globalHeader = parse(block, &message);
    if (globalHeader.isNull())
        return fail(error, path, message);
    const QDomElement root = globalHeader.documentElement();
    bool ok = false;
    const qint64 headerSize = ZRXmlTools::readValue(root, QStringLiteral("headerSize")).trimmed().toLongLong(&ok);
    if (!ok || headerSize <= 0 || headerSize > size - ZRObjectHeader::GlobalHeaderSize)
        return fail(error, path, QStringLiteral("invalid header size"));
    const qint64 dataOffset = ZRObjectHeader::dataOffset(root);
    if (dataOffset < ZRObjectHeader::GlobalHeaderSize + headerSize || dataOffset > size)
        return fail(error, path, QStringLiteral("invalid data offset"));

    if (!file.seek(ZRObjectHeader::GlobalHeaderSize))
        return fail(error, path, QStringLiteral("unreadable object header"));
    const QByteArray objectText = file.read(headerSize);
    if (objectText.size() != headerSize)
        return fail(error, path, QStringLiteral("unreadable object header"));
    const QDomDocument objects = parse(objectText, &message);
    if (objects.isNull())
        return fail(error, path, message);
    QDomElement element;
    for (const QDomElement& object : ZRObjectHeader::objectElements(objects))
        if (object.attribute(QStringLiteral("type")) == kTypeName) {
            element = object.firstChildElement(kTypeName);
            break;
        }
    if (element.isNull())
        return fail(error, path, QStringLiteral("no fault sticks in the file header"));

    ZRFaultStickFile::Header read;
    read.dataOffset = dataOffset;
    if (!ZRXmlTools::readInt(element, QStringLiteral("Version"), &read.version)
        || read.version != ZRFaultStickFile::FileVersion)
        return fail(error, path, QStringLiteral("Unknown file version %1").arg(read.version));
    read.domain = ZRXmlTools::readValue(element, QStringLiteral("domain"));
    const QDomElement crs = element.firstChildElement(read.crs.tagName());
    if (!crs.isNull())
        read.crs.fromXml(crs);
    qint32 nameCount = 0;
    if (!ZRXmlTools::readInt(element, QStringLiteral("numberOfNames"), &nameCount) || nameCount < 0)
        return fail(error, path, QStringLiteral("invalid numberOfNames"));
    const QDomElement names = element.firstChildElement(QStringLiteral("names"));
    for (QDomElement name = names.firstChildElement(QStringLiteral("name")); !name.isNull();
         name = name.nextSiblingElement(QStringLiteral("name")))
        read.names.append(name.attribute(QStringLiteral("value")));
    if (read.names.size() != nameCount)
        return fail(error, path, QStringLiteral("invalid numberOfNames"));
    if (!readCount(element, QStringLiteral("numberOfArrays"), &read.numberOfArrays))
        return fail(error, path, QStringLiteral("invalid numberOfArrays"));
    if (!readCount(element, QStringLiteral("numberOfPoints"), &read.numberOfPoints))
        return fail(error, path, QStringLiteral("invalid numberOfPoints"));
    if (!readCount(element, QStringLiteral("numberOfSticks"), &read.numberOfSticks))
        return fail(error, path, QStringLiteral("invalid numberOfSticks"));

    // The body is exactly the arrays' counts and points, to the end of the file.
    const qint64 body = size - dataOffset;
    if (read.numberOfArrays > body / ZRFaultStickFile::CountBytes)
        return fail(error, path, QStringLiteral("invalid numberOfArrays"));
    const qint64 pointBytes = body - read.numberOfArrays * ZRFaultStickFile::CountBytes;
    if (read.numberOfPoints > pointBytes / ZRFaultStickFile::PointBytes
        || read.numberOfPoints * ZRFaultStickFile::PointBytes != pointBytes)
        return fail(error, path, QStringLiteral("the body does not hold numberOfPoints points"));
    if (read.numberOfSticks > read.numberOfPoints)
        return fail(error, path, QStringLiteral("invalid numberOfSticks"));
    *header = read;
    return true;
}

} // namespace

bool ZRFaultStickFile::isSeparator(const core::vec3& point)
{
    return point.x == SeparatorValue && point.y == SeparatorValue && point.z == SeparatorValue;
}

std::int64_t ZRFaultStickFile::stickCount(const core::MultiArray<core::vec3>& sticks)
{
    std::int64_t count = 0;
    for (const auto& points : sticks) {
        bool inStick = false;
        for (const core::vec3& point : points) {
            if (isSeparator(point)) {
                inStick = false;
            } else if (!inStick) {
                inStick = true;
                ++count;
            }
        }
    }
    return count;
}

bool ZRFaultStickFile::write(const QString& path, const QStringList& names, const core::MultiArray<core::vec3>& sticks,
                             bool isTime, const georef::Crs& crs, QString* error)
{
    const auto failed = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    qint64 bodyBytes = 0;
    for (const auto& points : sticks) {
        if (points.size() > std::numeric_limits<std::uint32_t>::max())
            return failed(QStringLiteral("Error when writing into %1: an array of more than 4294967295 points")
                              .arg(path));
        bodyBytes += CountBytes + qint64(points.size()) * PointBytes;
    }

    const StickHeaderObject object(names, sticks, isTime, crs);
    if (!ZRObjectHeader::writeObjectHeader(path, QList<const ZRObjectSerialization*>{&object}, ReservedSize))
        return failed(QStringLiteral("Error when opening in Write mode file : %1").arg(path));

    // The data offset as the header container gives it, read back through the handle the body is written with.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(ZRLongPath::systemBytes(path).constData(), "r+b"));
    qint64 dataOffset = -1;
    if (file) {
        QByteArray block(ZRObjectHeader::GlobalHeaderSize, '\0');
        if (std::fread(block.data(), 1, std::size_t(block.size()), file.get()) == std::size_t(block.size())) {
            const int end = block.indexOf('\0');
            QDomDocument globalHeader;
            if (ZRXmlTools::parseDocument(end >= 0 ? block.left(end) : block, &globalHeader))
                dataOffset = ZRObjectHeader::dataOffset(globalHeader.documentElement());
        }
    }
    std::vector<char> body;
    try {
        body.resize(std::size_t(bodyBytes));
    } catch (const std::bad_alloc&) {
        body.clear();
    }
    bool ok = dataOffset >= 0 && file && (bodyBytes == 0 || !body.empty());
    if (ok) {
        char* out = body.data();
        for (const auto& points : sticks) {
            const std::uint32_t count = std::uint32_t(points.size());
            std::memcpy(out, &count, CountBytes);
            out += CountBytes;
            for (const core::vec3& point : points) {
                const double values[3] = {point.x, point.y, point.z};
                std::memcpy(out, values, PointBytes);
                out += PointBytes;
            }
        }
        ok = std::fseek(file.get(), long(dataOffset), SEEK_SET) == 0
             && std::fwrite(body.data(), 1, body.size(), file.get()) == body.size();
    }
    if (file)
        ok = std::fclose(file.release()) == 0 && ok;
    if (!ok) {
        const QString text = QStringLiteral("Error when writing into ") + path;
        ZREventBus::sendMessage(eDrawFileError, text, false);
        return failed(text);
    }
    return true;
}

bool ZRFaultStickFile::readHeader(const QString& path, Header* header, QString* error)
{
    QFile file(ZRLongPath::systemName(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, path, file.errorString());
    return readHeaderOf(file, path, header, error);
}

bool ZRFaultStickFile::read(const QString& path, Content* content, QString* error)
{
    *content = Content();
    QFile file(ZRLongPath::systemName(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, path, file.errorString());
    Header header;
    if (!readHeaderOf(file, path, &header, error))
        return false;
    // readHeaderOf checked that the body is exactly this long.
    const qint64 bodyBytes = header.numberOfArrays * CountBytes + header.numberOfPoints * PointBytes;
    if (!file.seek(header.dataOffset))
        return fail(error, path, QStringLiteral("unreadable body"));
    const QByteArray body = file.read(bodyBytes);
    if (body.size() != bodyBytes)
        return fail(error, path, QStringLiteral("unreadable body"));

    Content read;
    const char* in = body.constData();
    std::int64_t pointsLeft = header.numberOfPoints;
    for (std::int64_t a = 0; a < header.numberOfArrays; ++a) {
        std::uint32_t count = 0;
        std::memcpy(&count, in, CountBytes);
        in += CountBytes;
        if (std::int64_t(count) > pointsLeft)
            return fail(error, path, QStringLiteral("array %1 runs past the body").arg(a));
        pointsLeft -= count;
        std::vector<core::vec3> points(count);
        for (core::vec3& point : points) {
            double values[3];
            std::memcpy(values, in, PointBytes);
            in += PointBytes;
            point = core::vec3(values[0], values[1], values[2]);
        }
        read.sticks.addArray(std::move(points));
    }
    if (pointsLeft != 0)
        return fail(error, path, QStringLiteral("the arrays do not hold numberOfPoints points"));
    if (stickCount(read.sticks) != header.numberOfSticks)
        return fail(error, path, QStringLiteral("invalid numberOfSticks"));
    read.names = header.names;
    read.isTime = header.domain == QLatin1String("TIME");
    read.crs = header.crs;
    *content = std::move(read);
    return true;
}
