#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QString>

class ZRObjectSerialization;

/// The header container that starts every host object file:
///
/// | offset                    | size       | content                                      |
/// |---------------------------|------------|----------------------------------------------|
/// | 0                         | 2500       | "GlobalHeader" XML, padded with NUL bytes    |
/// | 2500                      | headerSize | object XML: "globalObject" → "object" ...    |
/// | 2500 + headerSize         | reserved   | zero bytes (only when Version "WithTampon")  |
/// | DataOffset                | ...        | the object's binary data                     |
///
/// All functions report their failures on the event bus with draw type 2.
class ZRObjectHeader
{
public:
    static constexpr int GlobalHeaderSize = 2500;
    static constexpr int DefaultReservedSize = 10000;
    /// Largest object XML ("headerSize") a reader accepts.
    static constexpr qint64 MaximumHeaderSize = qint64(64) << 20;

    /// One object of the container; `remote` names the file holding the data of
    /// an object stored elsewhere (attribute "remote", omitted when empty).
    struct Entry
    {
        const ZRObjectSerialization* object = nullptr;
        QString remote;
    };

    /// Creates (truncates) `fileName` and writes the container: the global header,
    /// the "globalObject" document holding one "object" element per object, and
    /// `reservedSize` zero bytes. Returns false when the file cannot be created;
    /// short writes are reported and the file is still closed.
    static bool writeObjectHeader(const QString& fileName, const QList<const ZRObjectSerialization*>& objects,
                                  int reservedSize = DefaultReservedSize);
    static bool writeObjectHeader(const QString& fileName, const QList<Entry>& entries,
                                  int reservedSize = DefaultReservedSize);

    /// The default "GlobalHeader" document: headerOffset 2500, headerSize 0,
    /// Version "WithTampon", DataOffset 0, VersionNumber 1.
    static QDomDocument defaultGlobalHeader();

    /// Where the binary data starts, from a "GlobalHeader" element: -1 when
    /// headerSize is missing or empty; with Version "WithTampon" the value of
    /// DataOffset (0 when empty), else 2500 + headerSize.
    static qint64 dataOffset(const QDomElement& globalHeader);
    /// dataOffset() of a file's global header; -1 when it cannot be read.
    static qint64 dataOffset(const QString& fileName);

    /// The global header of a file (null document on failure, with a message).
    static QDomDocument readGlobalHeader(const QString& fileName);
    /// The object XML document of a file (null document on failure, with a message).
    /// "headerSize" is checked before anything is read: a number, at most
    /// MaximumHeaderSize, and within the file's length.
    static QDomDocument readObjectDocument(const QString& fileName);
    /// The "remote" attribute of the first "object" element, or empty text.
    static QString remoteOf(const QString& fileName);

    /// The "object" elements of an object document, in file order.
    static QList<QDomElement> objectElements(const QDomDocument& objectDocument);
};
