#include "faultstickview.h"

#include <QDomDocument>
#include <QFile>

#include <cstdint>
#include <cstring>

namespace
{

QString value(const QDomElement& parent, const QString& name)
{
    return parent.firstChildElement(name).attribute(QStringLiteral("value"));
}

} // namespace

bool FaultStickView::read(const QString& path, QString* error)
{
    const auto fail = [error](const QString& text) {
        *error = text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open"));
    const QByteArray bytes = file.readAll();
    fileSize = bytes.size();
    if (fileSize < 2500)
        return fail(QStringLiteral("shorter than 2500 bytes"));

    // Bytes 0..2499: the global header, NUL-padded.
    const QByteArray block = bytes.left(2500);
    const int end = block.indexOf('\0');
    if (end < 0)
        return fail(QStringLiteral("global header not NUL-padded"));
    for (int i = end; i < 2500; ++i)
        if (block[i] != '\0')
            return fail(QStringLiteral("global header padding is not all NUL"));
    QDomDocument global;
    if (!global.setContent(block.left(end)))
        return fail(QStringLiteral("global header is not XML"));
    const QDomElement root = global.documentElement();
    if (root.tagName() != QLatin1String("GlobalHeader") || value(root, "headerOffset") != QLatin1String("2500"))
        return fail(QStringLiteral("not a GlobalHeader"));
    headerSize = value(root, "headerSize").toLongLong();
    dataOffset = value(root, "DataOffset").toLongLong();
    globalVersion = value(root, "Version");

    // 2500..2500+headerSize: the object XML; then the reserved zero area.
    if (headerSize <= 0 || 2500 + headerSize > fileSize)
        return fail(QStringLiteral("bad headerSize"));
    QDomDocument objects;
    if (!objects.setContent(bytes.mid(2500, int(headerSize))))
        return fail(QStringLiteral("object header is not XML"));
    if (dataOffset < 2500 + headerSize || dataOffset > fileSize)
        return fail(QStringLiteral("bad DataOffset"));
    reservedAreaIsZero = true;
    for (qint64 i = 2500 + headerSize; i < dataOffset; ++i)
        if (bytes[int(i)] != '\0')
            reservedAreaIsZero = false;
    const QDomElement object = objects.documentElement().firstChildElement(QStringLiteral("object"));
    objectType = object.attribute(QStringLiteral("type"));
    const QDomElement sticks = object.firstChildElement(QStringLiteral("ZRFaultStick"));
    if (objects.documentElement().tagName() != QLatin1String("globalObject") || sticks.isNull())
        return fail(QStringLiteral("no globalObject/object/ZRFaultStick"));
    for (QDomElement child = sticks.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        elementOrder.append(child.tagName());
    version = value(sticks, "Version").toInt();
    domain = value(sticks, "domain");
    const QDomElement crs = sticks.firstChildElement(QStringLiteral("ZRCrs"));
    crsName = value(crs, "name");
    crsDefinition = value(crs, "definition");
    numberOfNames = value(sticks, "numberOfNames").toInt();
    const QDomElement nameList = sticks.firstChildElement(QStringLiteral("names"));
    for (QDomElement name = nameList.firstChildElement(QStringLiteral("name")); !name.isNull();
         name = name.nextSiblingElement(QStringLiteral("name")))
        names.append(name.attribute(QStringLiteral("value")));
    numberOfArrays = value(sticks, "numberOfArrays").toLongLong();
    numberOfPoints = value(sticks, "numberOfPoints").toLongLong();
    numberOfSticks = value(sticks, "numberOfSticks").toLongLong();

    // The body: per array a uint32 count and count points of three doubles, to the end of the file.
    qint64 position = dataOffset;
    for (qint64 a = 0; a < numberOfArrays; ++a) {
        if (position + 4 > fileSize)
            return fail(QStringLiteral("array count past the end"));
        std::uint32_t count = 0;
        std::memcpy(&count, bytes.constData() + position, 4);
        position += 4;
        if (position + qint64(count) * 24 > fileSize)
            return fail(QStringLiteral("array points past the end"));
        QVector<Point> points;
        for (std::uint32_t p = 0; p < count; ++p) {
            Point point;
            std::memcpy(point.data(), bytes.constData() + position, 24);
            position += 24;
            points.append(point);
        }
        arrays.append(points);
    }
    if (position != fileSize)
        return fail(QStringLiteral("%1 bytes after the last array").arg(fileSize - position));
    return true;
}
