#pragma once

#include "izrdatalog.h"

#include <QString>
#include <QVector>

#include <memory>

/// One marker of a marker list file.
struct ZRMarkerListEntry
{
    qint32 markerInfoId = 0;
    double top = 0.0;
    bool hasBottom = false;
    double bottom = 0.0;
};

/// Reads and writes the binary data files of the well database.
///
/// Log data file "LOGDATA_<id>", all little-endian:
///   bytes 0-3  number of values (uint32)
///   bytes 4-7  value kind (uint32): 1 integer, 2 real, 3 text
///   from 8     the values: real = IEEE double each; integer = int32 each;
///              text = for each value its UTF-8 byte count (uint32) then the bytes.
/// Marker list file "MARKERLIST_<set id>":
///   bytes 0-3  number of markers (uint32), bytes 4-7 the kind word 4,
///   then per marker: marker info id (int32), top (double), bottom (double, NaN when absent).
///
/// Writers create or truncate the named file; callers that replace a good file
/// write to a temporary name first (see ZRWellDbSaveJournal).
///
/// Readers trust no size of a file: a count is checked against the file's
/// length and against the limits below before anything is allocated, and a
/// file that breaks them is refused with an error text that says why.
class ZRLogDataFile
{
public:
    static constexpr quint32 MarkerListKind = 4;
    /// Most values one log may hold (2 GB of doubles).
    static constexpr quint32 MaximumValueCount = 250000000u;
    /// Most values and bytes of one text log.
    static constexpr quint32 MaximumTextValueCount = 20000000u;
    static constexpr qint64 MaximumTextBytes = 512 * 1024 * 1024;
    /// Most markers one marker list may hold.
    static constexpr quint32 MaximumMarkerCount = 10000000u;

    /// Writes the whole file; false with errorText set on any open or short write.
    static bool write(const QString& fileName, const IZRDataLog& data, QString* errorText = nullptr);
    /// Reads a whole log data file; null when missing, short or of an unknown kind.
    /// reusable (may be null): real values no longer needed whose memory a real log
    /// may take over instead of allocating (it is left empty when taken).
    static std::unique_ptr<IZRDataLog> read(const QString& fileName, QString* errorText = nullptr,
                                            QVector<double>* reusable = nullptr);

    static bool writeMarkerList(const QString& fileName, const QVector<ZRMarkerListEntry>& markers,
                                QString* errorText = nullptr);
    static bool readMarkerList(const QString& fileName, QVector<ZRMarkerListEntry>& markers,
                               QString* errorText = nullptr);

    static QString logFileName(const QString& folder, int logId);
    static QString markerListFileName(const QString& folder, int setId);
};
