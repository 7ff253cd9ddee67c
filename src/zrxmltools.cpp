#include "zrxmltools.h"

#include <QFile>
#include <QVector>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace
{

const QString kValue = QStringLiteral("value");

QDomElement appendElement(QDomDocument& document, QDomElement& parent, const QString& name)
{
    QDomElement element = document.createElement(name);
    parent.appendChild(element);
    return element;
}

bool parseInteger64(const QString& text, qint64* value)
{
    bool ok = false;
    const qint64 parsed = text.trimmed().toLongLong(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool attributeDouble(const QDomElement& element, const QString& attribute, double* value)
{
    if (element.isNull() || !element.hasAttribute(attribute))
        return false;
    return ZRXmlTools::parseDouble(element.attribute(attribute), value);
}

bool attributeInt(const QDomElement& element, const QString& attribute, int* value)
{
    if (element.isNull() || !element.hasAttribute(attribute))
        return false;
    bool ok = false;
    const int parsed = element.attribute(attribute).trimmed().toInt(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

const char* const kRows[4] = {"vect0", "vect1", "vect2", "vect3"};
const char* const kAxes[4] = {"x", "y", "z", "t"};

} // namespace

QString ZRXmlTools::formatDouble(double value)
{
    return QStringLiteral("%1").arg(value, -16, 'f', 6);
}

QString ZRXmlTools::formatFloat(float value)
{
    return QString::number(double(value), 'g', 6);
}

QDomElement ZRXmlTools::writeText(QDomDocument& document, QDomElement& parent, const QString& name,
                                  const QString& text)
{
    QDomElement element = appendElement(document, parent, name);
    element.setAttribute(kValue, text);
    return element;
}

QDomElement ZRXmlTools::writeInt(QDomDocument& document, QDomElement& parent, const QString& name, qint32 value)
{
    return writeText(document, parent, name, QString::number(value));
}

QDomElement ZRXmlTools::writeUInt(QDomDocument& document, QDomElement& parent, const QString& name, quint32 value)
{
    return writeText(document, parent, name, QString::number(value));
}

QDomElement ZRXmlTools::writeInt64(QDomDocument& document, QDomElement& parent, const QString& name, qint64 value)
{
    return writeText(document, parent, name, QString::number(value));
}

QDomElement ZRXmlTools::writeUInt64(QDomDocument& document, QDomElement& parent, const QString& name,
                                    quint64 value)
{
    return writeText(document, parent, name, QString::number(value));
}

QDomElement ZRXmlTools::writeBool(QDomDocument& document, QDomElement& parent, const QString& name, bool value)
{
    return writeText(document, parent, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QDomElement ZRXmlTools::writeDouble(QDomDocument& document, QDomElement& parent, const QString& name,
                                    double value)
{
    return writeText(document, parent, name, formatDouble(value));
}

QDomElement ZRXmlTools::writeFloat(QDomDocument& document, QDomElement& parent, const QString& name, float value)
{
    return writeText(document, parent, name, formatFloat(value));
}

QDomElement ZRXmlTools::writeColor(QDomDocument& document, QDomElement& parent, const QString& name,
                                   const QColor& color)
{
    QDomElement element = appendElement(document, parent, name);
    element.setAttribute(QStringLiteral("red"), color.red());
    element.setAttribute(QStringLiteral("green"), color.green());
    element.setAttribute(QStringLiteral("blue"), color.blue());
    element.setAttribute(QStringLiteral("alpha"), color.alpha());
    return element;
}

QDomElement ZRXmlTools::writeBrush(QDomDocument& document, QDomElement& parent, const QString& name,
                                   const QBrush& brush)
{
    QDomElement element = appendElement(document, parent, name);
    writeColor(document, element, QStringLiteral("color"), brush.color());
    writeInt(document, element, QStringLiteral("style"), int(brush.style()));
    return element;
}

QDomElement ZRXmlTools::writePen(QDomDocument& document, QDomElement& parent, const QString& name, const QPen& pen)
{
    QDomElement element = appendElement(document, parent, name);
    writeColor(document, element, QStringLiteral("color"), pen.color());
    writeInt(document, element, QStringLiteral("style"), int(pen.style()));
    writeInt(document, element, QStringLiteral("width"), pen.width());
    writeInt(document, element, QStringLiteral("capStyle"), int(pen.capStyle()));
    writeInt(document, element, QStringLiteral("joinStyle"), int(pen.joinStyle()));
    return element;
}

QDomElement ZRXmlTools::writeFont(QDomDocument& document, QDomElement& parent, const QString& name,
                                  const QFont& font)
{
    QDomElement element = appendElement(document, parent, name);
    writeText(document, element, QStringLiteral("family"), font.family());
    writeInt(document, element, QStringLiteral("pointSize"), font.pointSize());
    writeInt(document, element, QStringLiteral("pixelSize"), font.pixelSize());
    writeInt(document, element, QStringLiteral("weight"), font.weight());
    writeBool(document, element, QStringLiteral("bold"), font.bold());
    writeBool(document, element, QStringLiteral("italic"), font.italic());
    writeBool(document, element, QStringLiteral("underline"), font.underline());
    writeBool(document, element, QStringLiteral("strikeOut"), font.strikeOut());
    writeBool(document, element, QStringLiteral("fixedPitch"), font.fixedPitch());
    return element;
}

QDomElement ZRXmlTools::writeRect(QDomDocument& document, QDomElement& parent, const QString& name,
                                  const QRectF& rect)
{
    QDomElement element = appendElement(document, parent, name);
    element.setAttribute(QStringLiteral("originX"), formatDouble(rect.x()));
    element.setAttribute(QStringLiteral("originY"), formatDouble(rect.y()));
    element.setAttribute(QStringLiteral("width"), formatDouble(rect.width()));
    element.setAttribute(QStringLiteral("height"), formatDouble(rect.height()));
    return element;
}

QDomElement ZRXmlTools::writeVector3(QDomDocument& document, QDomElement& parent, const QString& name,
                                     const Vector3& vector)
{
    QDomElement element = appendElement(document, parent, name);
    for (int axis = 0; axis < 3; ++axis)
        element.setAttribute(QLatin1String(kAxes[axis]), formatDouble(vector[axis]));
    return element;
}

QDomElement ZRXmlTools::writeVector4(QDomDocument& document, QDomElement& parent, const QString& name,
                                     const Vector4& vector)
{
    QDomElement element = appendElement(document, parent, name);
    for (int axis = 0; axis < 4; ++axis)
        element.setAttribute(QLatin1String(kAxes[axis]), formatDouble(vector[axis]));
    return element;
}

QDomElement ZRXmlTools::writeMatrix(QDomDocument& document, QDomElement& parent, const QString& name,
                                    const Matrix& matrix)
{
    QDomElement element = appendElement(document, parent, name);
    for (int row = 0; row < 4; ++row) {
        const Vector4 values = {matrix[row * 4], matrix[row * 4 + 1], matrix[row * 4 + 2], matrix[row * 4 + 3]};
        writeVector4(document, element, QLatin1String(kRows[row]), values);
    }
    return element;
}

QString ZRXmlTools::readValue(const QDomElement& parent, const QString& name, const QString& attribute)
{
    if (parent.isNull())
        return QString();
    const QDomElement element = parent.firstChildElement(name);
    if (element.isNull())
        return QString();
    return element.attribute(attribute);
}

bool ZRXmlTools::hasElement(const QDomElement& parent, const QString& name)
{
    return !parent.isNull() && !parent.firstChildElement(name).isNull();
}

bool ZRXmlTools::readInt(const QDomElement& parent, const QString& name, qint32* value)
{
    bool ok = false;
    const qint32 parsed = readValue(parent, name).trimmed().toInt(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool ZRXmlTools::readUInt(const QDomElement& parent, const QString& name, quint32* value)
{
    bool ok = false;
    const quint32 parsed = readValue(parent, name).trimmed().toUInt(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool ZRXmlTools::readInt64(const QDomElement& parent, const QString& name, qint64* value)
{
    return parseInteger64(readValue(parent, name), value);
}

bool ZRXmlTools::readUInt64(const QDomElement& parent, const QString& name, quint64* value)
{
    bool ok = false;
    const quint64 parsed = readValue(parent, name).trimmed().toULongLong(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool ZRXmlTools::readBool(const QDomElement& parent, const QString& name, bool* value)
{
    const QString text = readValue(parent, name).trimmed();
    if (text == QLatin1String("true")) {
        *value = true;
        return true;
    }
    if (text == QLatin1String("false")) {
        *value = false;
        return true;
    }
    qint64 number = 0;
    if (!parseInteger64(text, &number))
        return false;
    *value = number != 0;
    return true;
}

bool ZRXmlTools::parseDouble(const QString& text, double* value)
{
    bool ok = false;
    const double parsed = text.trimmed().toDouble(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool ZRXmlTools::readDouble(const QDomElement& parent, const QString& name, double* value)
{
    return parseDouble(readValue(parent, name), value);
}

bool ZRXmlTools::readFloat(const QDomElement& parent, const QString& name, float* value)
{
    bool ok = false;
    const float parsed = readValue(parent, name).trimmed().toFloat(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool ZRXmlTools::readColor(const QDomElement& parent, const QString& name, QColor* color)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    int red = 0, green = 0, blue = 0, alpha = 255;
    if (!attributeInt(element, QStringLiteral("red"), &red) || !attributeInt(element, QStringLiteral("green"), &green)
        || !attributeInt(element, QStringLiteral("blue"), &blue))
        return false;
    attributeInt(element, QStringLiteral("alpha"), &alpha);
    *color = QColor(qBound(0, red, 255), qBound(0, green, 255), qBound(0, blue, 255), qBound(0, alpha, 255));
    return true;
}

bool ZRXmlTools::readBrush(const QDomElement& parent, const QString& name, QBrush* brush)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    if (element.isNull())
        return false;
    QColor color;
    int style = int(Qt::SolidPattern);
    if (!readColor(element, QStringLiteral("color"), &color))
        return false;
    readInt(element, QStringLiteral("style"), &style);
    *brush = QBrush(color, Qt::BrushStyle(style));
    return true;
}

bool ZRXmlTools::readPen(const QDomElement& parent, const QString& name, QPen* pen)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    if (element.isNull())
        return false;
    QColor color;
    if (!readColor(element, QStringLiteral("color"), &color))
        return false;
    int style = int(Qt::SolidLine), width = 0, capStyle = int(Qt::SquareCap), joinStyle = int(Qt::BevelJoin);
    readInt(element, QStringLiteral("style"), &style);
    readInt(element, QStringLiteral("width"), &width);
    readInt(element, QStringLiteral("capStyle"), &capStyle);
    readInt(element, QStringLiteral("joinStyle"), &joinStyle);
    QPen result(color);
    result.setStyle(Qt::PenStyle(style));
    result.setWidth(width);
    result.setCapStyle(Qt::PenCapStyle(capStyle));
    result.setJoinStyle(Qt::PenJoinStyle(joinStyle));
    *pen = result;
    return true;
}

bool ZRXmlTools::readFont(const QDomElement& parent, const QString& name, QFont* font)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    if (element.isNull())
        return false;
    QFont result;
    result.setFamily(readValue(element, QStringLiteral("family")));
    int number = 0;
    if (readInt(element, QStringLiteral("pointSize"), &number) && number > 0)
        result.setPointSize(number);
    if (readInt(element, QStringLiteral("pixelSize"), &number) && number > 0)
        result.setPixelSize(number);
    if (readInt(element, QStringLiteral("weight"), &number))
        result.setWeight(number);
    bool flag = false;
    if (readBool(element, QStringLiteral("bold"), &flag))
        result.setBold(flag);
    if (readBool(element, QStringLiteral("italic"), &flag))
        result.setItalic(flag);
    if (readBool(element, QStringLiteral("underline"), &flag))
        result.setUnderline(flag);
    if (readBool(element, QStringLiteral("strikeOut"), &flag))
        result.setStrikeOut(flag);
    if (readBool(element, QStringLiteral("fixedPitch"), &flag))
        result.setFixedPitch(flag);
    *font = result;
    return true;
}

bool ZRXmlTools::readRect(const QDomElement& parent, const QString& name, QRectF* rect)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    double x = 0, y = 0, width = 0, height = 0;
    if (!attributeDouble(element, QStringLiteral("originX"), &x) || !attributeDouble(element, QStringLiteral("originY"), &y)
        || !attributeDouble(element, QStringLiteral("width"), &width)
        || !attributeDouble(element, QStringLiteral("height"), &height))
        return false;
    *rect = QRectF(x, y, width, height);
    return true;
}

bool ZRXmlTools::readVector3(const QDomElement& parent, const QString& name, Vector3* vector)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    Vector3 result{};
    for (int axis = 0; axis < 3; ++axis)
        if (!attributeDouble(element, QLatin1String(kAxes[axis]), &result[axis]))
            return false;
    *vector = result;
    return true;
}

bool ZRXmlTools::readVector4(const QDomElement& parent, const QString& name, Vector4* vector)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    Vector4 result{};
    for (int axis = 0; axis < 4; ++axis)
        if (!attributeDouble(element, QLatin1String(kAxes[axis]), &result[axis]))
            return false;
    *vector = result;
    return true;
}

bool ZRXmlTools::readMatrix(const QDomElement& parent, const QString& name, Matrix* matrix)
{
    const QDomElement element = parent.isNull() ? QDomElement() : parent.firstChildElement(name);
    if (element.isNull())
        return false;
    Matrix result{};
    for (int row = 0; row < 4; ++row) {
        Vector4 values{};
        if (!readVector4(element, QLatin1String(kRows[row]), &values))
            return false;
        for (int column = 0; column < 4; ++column)
            result[row * 4 + column] = values[column];
    }
    *matrix = result;
    return true;
}

bool ZRXmlTools::parseDocument(const QByteArray& content, QDomDocument* document, QString* message, int* line,
                               int* column)
{
    const auto fail = [&](const QString& text, qint64 atLine, qint64 atColumn) {
        if (document)
            *document = QDomDocument();
        if (message)
            *message = text;
        if (line)
            *line = int(atLine);
        if (column)
            *column = int(atColumn);
        return false;
    };

    // The scan keeps only a depth counter: it neither recurses nor builds nodes.
    QXmlStreamReader scanner(content);
    int depth = 0;
    while (!scanner.atEnd()) {
        const QXmlStreamReader::TokenType token = scanner.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > MaximumDepth)
                return fail(QStringLiteral("elements nested deeper than %1 levels").arg(MaximumDepth),
                            scanner.lineNumber(), scanner.columnNumber());
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (scanner.hasError())
        return fail(scanner.errorString(), scanner.lineNumber(), scanner.columnNumber());

    // The same parser builds the document, so both passes accept the same texts.
    QXmlStreamReader reader(content);
    QDomDocument parsed;
    QString parseMessage;
    int parseLine = 0;
    int parseColumn = 0;
    if (!parsed.setContent(&reader, false, &parseMessage, &parseLine, &parseColumn))
        return fail(parseMessage, parseLine, parseColumn);
    if (document)
        *document = parsed;
    return true;
}

QString ZRXmlTools::parseErrorText(const QString& fileName, int line, int column, const QString& message)
{
    return QStringLiteral("Unable to parse XML content of file %1. Parsing error occurs at line %2, column %3: %4")
        .arg(fileName)
        .arg(line)
        .arg(column)
        .arg(message);
}

bool ZRXmlTools::parseFileContent(const QByteArray& content, const QString& fileName, QDomDocument* document,
                                  QString* errorText)
{
    QString message;
    int line = 0;
    int column = 0;
    if (parseDocument(content, document, &message, &line, &column))
        return true;
    if (errorText)
        *errorText = parseErrorText(fileName, line, column, message);
    return false;
}

bool ZRXmlTools::readDocument(const QString& fileName, QDomDocument* document, QString* errorText)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (document)
            *document = QDomDocument();
        if (errorText)
            *errorText = QStringLiteral("Unable to open file %1: %2").arg(fileName, file.errorString());
        return false;
    }
    return parseFileContent(file.readAll(), fileName, document, errorText);
}

namespace
{

/// Attributes in the order the host file formats list them; others follow alphabetically.
int attributeRank(const QString& name)
{
    static const QStringList order = {
        QStringLiteral("directoryId"), QStringLiteral("value"),   QStringLiteral("visible"),
        QStringLiteral("name"),        QStringLiteral("pixmapName"), QStringLiteral("type"),
        QStringLiteral("remote"),      QStringLiteral("version"), QStringLiteral("allowOpeningIfHigherVersion"),
        QStringLiteral("allowSessionRestoreIfHigherVersion"),
        QStringLiteral("red"),         QStringLiteral("green"),   QStringLiteral("blue"),
        QStringLiteral("alpha"),       QStringLiteral("originX"), QStringLiteral("originY"),
        QStringLiteral("width"),       QStringLiteral("height"),  QStringLiteral("x"),
        QStringLiteral("y"),           QStringLiteral("z"),       QStringLiteral("t")};
    const int rank = order.indexOf(name);
    return rank < 0 ? order.size() : rank;
}

void writeStartOf(QXmlStreamWriter& writer, const QDomNode& node)
{
    const QDomElement element = node.toElement();
    writer.writeStartElement(element.tagName());
    const QDomNamedNodeMap attributes = element.attributes();
    QVector<QDomAttr> sorted;
    sorted.reserve(attributes.count());
    for (int index = 0; index < attributes.count(); ++index)
        sorted.append(attributes.item(index).toAttr());
    std::sort(sorted.begin(), sorted.end(), [](const QDomAttr& a, const QDomAttr& b) {
        const int rankA = attributeRank(a.name());
        const int rankB = attributeRank(b.name());
        return rankA != rankB ? rankA < rankB : a.name() < b.name();
    });
    for (const QDomAttr& attribute : sorted)
        writer.writeAttribute(attribute.name(), attribute.value());
}

void writeLeaf(QXmlStreamWriter& writer, const QDomNode& node)
{
    switch (node.nodeType()) {
    case QDomNode::TextNode:
        writer.writeCharacters(node.toText().data());
        break;
    case QDomNode::CDATASectionNode:
        writer.writeCDATA(node.toCDATASection().data());
        break;
    case QDomNode::CommentNode:
        writer.writeComment(node.toComment().data());
        break;
    case QDomNode::ProcessingInstructionNode: {
        const QDomProcessingInstruction instruction = node.toProcessingInstruction();
        writer.writeProcessingInstruction(instruction.target(), instruction.data());
        break;
    }
    case QDomNode::EntityReferenceNode:
        writer.writeEntityReference(node.nodeName());
        break;
    case QDomNode::DocumentTypeNode:
        writer.writeDTD(QStringLiteral("<!DOCTYPE %1>").arg(node.nodeName()));
        break;
    default:
        break;
    }
}

} // namespace

QByteArray ZRXmlTools::toBytes(const QDomDocument& document, int indent)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(indent > 0);
    writer.setAutoFormattingIndent(indent);
    // Walks the tree without recursion: down into elements, then across and up.
    QDomNode node = document.firstChild();
    while (!node.isNull()) {
        if (node.isElement()) {
            writeStartOf(writer, node);
            if (node.hasChildNodes()) {
                node = node.firstChild();
                continue;
            }
            writer.writeEndElement();
        } else {
            writeLeaf(writer, node);
        }
        while (node.nextSibling().isNull()) {
            node = node.parentNode();
            if (node.isNull() || node.isDocument()) {
                node = QDomNode();
                break;
            }
            writer.writeEndElement();
        }
        if (!node.isNull())
            node = node.nextSibling();
    }
    writer.writeEndDocument();
    // The writer starts a line before the first element even at the top.
    while (bytes.startsWith('\n'))
        bytes.remove(0, 1);
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes.append('\n');
    return bytes;
}
