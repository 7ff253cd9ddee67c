#pragma once

#include <QBrush>
#include <QColor>
#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QFont>
#include <QPen>
#include <QRectF>
#include <QString>

#include <array>

/// Readers and writers of the XML value encodings shared by every host file.
///
/// A value element is named after its field and keeps its text in the
/// attribute "value" unless stated otherwise. Writers append the new element
/// to `parent` and return it. Readers look for the first child element of
/// `parent` with the given name; text readers return an empty text when the
/// element or the attribute is missing, typed readers return false and leave
/// the output unchanged.
class ZRXmlTools
{
public:
    /// 4 × 4 matrix of doubles, row by row.
    using Matrix = std::array<double, 16>;
    /// Three or four doubles in the order x, y, z (, t).
    using Vector3 = std::array<double, 3>;
    using Vector4 = std::array<double, 4>;

    /// "%1" in fixed notation with 6 decimals, left-aligned, padded with spaces to 16 characters.
    static QString formatDouble(double value);
    /// General format with 6 significant digits.
    static QString formatFloat(float value);

    static QDomElement writeText(QDomDocument& document, QDomElement& parent, const QString& name,
                                 const QString& text);
    static QDomElement writeInt(QDomDocument& document, QDomElement& parent, const QString& name, qint32 value);
    static QDomElement writeUInt(QDomDocument& document, QDomElement& parent, const QString& name, quint32 value);
    static QDomElement writeInt64(QDomDocument& document, QDomElement& parent, const QString& name, qint64 value);
    static QDomElement writeUInt64(QDomDocument& document, QDomElement& parent, const QString& name,
                                   quint64 value);
    /// Booleans are written as the integers 0 and 1.
    static QDomElement writeBool(QDomDocument& document, QDomElement& parent, const QString& name, bool value);
    static QDomElement writeDouble(QDomDocument& document, QDomElement& parent, const QString& name, double value);
    static QDomElement writeFloat(QDomDocument& document, QDomElement& parent, const QString& name, float value);
    static QDomElement writeColor(QDomDocument& document, QDomElement& parent, const QString& name,
                                  const QColor& color);
    static QDomElement writeBrush(QDomDocument& document, QDomElement& parent, const QString& name,
                                  const QBrush& brush);
    static QDomElement writePen(QDomDocument& document, QDomElement& parent, const QString& name, const QPen& pen);
    static QDomElement writeFont(QDomDocument& document, QDomElement& parent, const QString& name,
                                 const QFont& font);
    static QDomElement writeRect(QDomDocument& document, QDomElement& parent, const QString& name,
                                 const QRectF& rect);
    static QDomElement writeVector3(QDomDocument& document, QDomElement& parent, const QString& name,
                                    const Vector3& vector);
    static QDomElement writeVector4(QDomDocument& document, QDomElement& parent, const QString& name,
                                    const Vector4& vector);
    /// Children "vect0" to "vect3", one 4-vector per row.
    static QDomElement writeMatrix(QDomDocument& document, QDomElement& parent, const QString& name,
                                   const Matrix& matrix);

    /// The text of `attribute` on the first child `name` of `parent`; empty when missing.
    static QString readValue(const QDomElement& parent, const QString& name,
                             const QString& attribute = QStringLiteral("value"));
    /// True when `parent` has a child element `name`.
    static bool hasElement(const QDomElement& parent, const QString& name);

    static bool readInt(const QDomElement& parent, const QString& name, qint32* value);
    static bool readUInt(const QDomElement& parent, const QString& name, quint32* value);
    static bool readInt64(const QDomElement& parent, const QString& name, qint64* value);
    static bool readUInt64(const QDomElement& parent, const QString& name, quint64* value);
    /// Accepts "1"/"0" and "true"/"false".
    static bool readBool(const QDomElement& parent, const QString& name, bool* value);
    /// Surrounding blanks are ignored.
    static bool readDouble(const QDomElement& parent, const QString& name, double* value);
    static bool readFloat(const QDomElement& parent, const QString& name, float* value);
    static bool readColor(const QDomElement& parent, const QString& name, QColor* color);
    static bool readBrush(const QDomElement& parent, const QString& name, QBrush* brush);
    static bool readPen(const QDomElement& parent, const QString& name, QPen* pen);
    static bool readFont(const QDomElement& parent, const QString& name, QFont* font);
    static bool readRect(const QDomElement& parent, const QString& name, QRectF* rect);
    static bool readVector3(const QDomElement& parent, const QString& name, Vector3* vector);
    static bool readVector4(const QDomElement& parent, const QString& name, Vector4* vector);
    /// All sixteen values must be present and numeric.
    static bool readMatrix(const QDomElement& parent, const QString& name, Matrix* matrix);

    /// Parses a double written by formatDouble (blanks ignored).
    static bool parseDouble(const QString& text, double* value);

    // Whole documents. Every reader of a host XML file parses through
    // parseDocument (or its file forms), and every writer prints through toBytes.

    /// Deepest element nesting accepted in a document (the root element is level 1).
    static constexpr int MaximumDepth = 256;

    /// Parses XML text into `document`. The text is first scanned without
    /// building any node and refused when its elements nest deeper than
    /// MaximumDepth, so that no reader meets a document it cannot walk. On
    /// failure returns false, leaves `document` null and gives the parser's
    /// message, line and column (each output may be null).
    static bool parseDocument(const QByteArray& content, QDomDocument* document, QString* message = nullptr,
                              int* line = nullptr, int* column = nullptr);

    /// "Unable to parse XML content of file %1. Parsing error occurs at line %2, column %3: %4".
    static QString parseErrorText(const QString& fileName, int line, int column, const QString& message);

    /// parseDocument() of text read from `fileName`; on failure `errorText` receives parseErrorText().
    static bool parseFileContent(const QByteArray& content, const QString& fileName, QDomDocument* document,
                                 QString* errorText);

    /// Reads and parses a whole file. On failure returns false with
    /// "Unable to open file %1: %2" (file name, reason) or parseErrorText() in `errorText`.
    static bool readDocument(const QString& fileName, QDomDocument* document, QString* errorText);

    /// The text of `document`, indented by `indent` spaces per level, with the
    /// attributes of each element in a fixed order (the order the file formats
    /// list them in, then alphabetical), so that the same document always gives
    /// the same bytes whatever the process's hash seed.
    static QByteArray toBytes(const QDomDocument& document, int indent = 1);
};
