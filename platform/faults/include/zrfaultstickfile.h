#pragma once

#include "crs.h"
#include "multiarray.h"
#include "vec3.h"

#include <QString>
#include <QStringList>

#include <cstdint>

/// The fault-stick file of the faults library stand-in (README.md of
/// platform/faults gives the byte layout):
///
/// | offset                  | size       | content                                             |
/// |-------------------------|------------|-----------------------------------------------------|
/// | 0                       | 2500       | "GlobalHeader" XML padded with NUL bytes            |
/// | 2500                    | headerSize | object XML: "globalObject" → "object" type "ZRFaultStick" → "ZRFaultStick" |
/// | 2500 + headerSize       | 10000      | zero bytes (reserved)                               |
/// | DataOffset              | ...        | per array: uint32 n, then n × (x, vertical, y) doubles, little-endian |
///
/// The body is exactly 4 × numberOfArrays + 24 × numberOfPoints bytes and ends
/// the file. Separator points (−9999.0, −9999.0, −9999.0) are stored as they
/// are given. Not part of the host library's interface: the data link calls
/// ZRFaultApiFunctions only; tests and the fuzz target use this class.
class ZRFaultStickFile
{
public:
    static constexpr int FileVersion = 1;
    static constexpr int ReservedSize = 10000;
    static constexpr double SeparatorValue = -9999.0;
    /// Bytes of one stored point and of one array's point count.
    static constexpr int PointBytes = 24;
    static constexpr int CountBytes = 4;

    /// What a file holds.
    struct Content
    {
        QStringList names;
        bool isTime = false;
        georef::Crs crs;
        core::MultiArray<core::vec3> sticks;
    };

    /// Counts that the header gives.
    struct Header
    {
        int version = 0;
        QString domain;
        QStringList names;
        georef::Crs crs;
        std::int64_t numberOfArrays = 0;
        std::int64_t numberOfPoints = 0;
        std::int64_t numberOfSticks = 0;
        std::int64_t dataOffset = -1;
    };

    /// True for the point (−9999.0, −9999.0, −9999.0).
    static bool isSeparator(const core::vec3& point);
    /// Runs of points between separators that hold at least one point, over all arrays.
    static std::int64_t stickCount(const core::MultiArray<core::vec3>& sticks);

    /// Writes a file: the header container with reserved size 10000
    /// (ZRObjectHeader::writeObjectHeader, which reports its own failures on
    /// the event bus), then the body at the data offset. False with *error set
    /// on any failure; a failed body write is also sent on the event bus (draw
    /// type 2, "Error when writing into " + path).
    static bool write(const QString& path, const QStringList& names, const core::MultiArray<core::vec3>& sticks,
                      bool isTime, const georef::Crs& crs, QString* error);

    /// Reads the header container and the stick header of a file, every size
    /// checked against the file's length. False with *error set.
    static bool readHeader(const QString& path, Header* header, QString* error);
    /// Reads a whole file. Nothing is allocated before its size has been
    /// checked against the file's length. False with *error set (the content
    /// is then left empty).
    static bool read(const QString& path, Content* content, QString* error);
};
