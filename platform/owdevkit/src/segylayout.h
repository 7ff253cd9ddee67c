#pragma once

// The SEG-Y byte layout used by the stand-in's seismic files and by the
// SEG-Y loader, written once: offsets are 0-based within the file (binary
// header) or within a trace header, checked against segyio's 1-based field
// numbers. Values are big-endian unless a file says otherwise.

#include <segyio/segy.h>

#include <cstdint>
#include <cstring>

namespace segylayout
{

constexpr int kTextHeaderBytes = 3200;
constexpr int kBinaryHeaderBytes = 400;
constexpr int kHeadersBytes = kTextHeaderBytes + kBinaryHeaderBytes; // first trace of a plain file
constexpr int kTraceHeaderBytes = 240;
constexpr int kExtendedTextBytes = 3200;

// Binary header (offsets in the file).
constexpr int kBinaryTracesPerEnsemble = 3212;  // int16
constexpr int kBinaryInterval = 3216;           // uint16, microseconds (or mm / micro-ft in depth)
constexpr int kBinarySamples = 3220;            // uint16
constexpr int kBinaryFormat = 3224;             // int16 format code
constexpr int kBinarySorting = 3228;            // int16
constexpr int kBinaryMeasurementSystem = 3254;  // int16: 1 metres, 2 feet
constexpr int kBinaryExtendedSamples = 3268;    // int32 (rev 2): overrides kBinarySamples when not 0
constexpr int kBinaryExtendedInterval = 3272;   // IEEE double (rev 2)
constexpr int kBinaryByteOrderConstant = 3296;  // int32 (rev 2): 0x01020304 in the file's byte order
constexpr int kBinaryRevisionMajor = 3500;      // uint8 (rev 2; rev 1 files hold 0x0100 in the 16 bits)
constexpr int kBinaryRevisionMinor = 3501;      // uint8
constexpr int kBinaryFixedLength = 3502;        // int16
constexpr int kBinaryExtendedTextHeaders = 3504;     // int16: 3200-byte records after the binary header, -1 variable
constexpr int kBinaryAdditionalTraceHeaders = 3506;  // int32 (rev 2): extra 240-byte headers per trace
constexpr int kBinaryFirstTraceOffset = 3520;        // uint64 (rev 2): byte offset of the first trace, 0 unset

static_assert(kBinaryTracesPerEnsemble + 1 == SEGY_BIN_TRACES, "binary traces per ensemble");
static_assert(kBinaryInterval + 1 == SEGY_BIN_INTERVAL, "binary interval");
static_assert(kBinarySamples + 1 == SEGY_BIN_SAMPLES, "binary samples");
static_assert(kBinaryFormat + 1 == SEGY_BIN_FORMAT, "binary format");
static_assert(kBinarySorting + 1 == SEGY_BIN_SORTING_CODE, "binary sorting");
static_assert(kBinaryMeasurementSystem + 1 == SEGY_BIN_MEASUREMENT_SYSTEM, "binary measurement system");
static_assert(kBinaryRevisionMajor + 1 == SEGY_BIN_SEGY_REVISION, "binary revision");
static_assert(kBinaryFixedLength + 1 == SEGY_BIN_TRACE_FLAG, "binary fixed length flag");
static_assert(kBinaryExtendedTextHeaders + 1 == SEGY_BIN_EXT_HEADERS, "binary extended text headers");

// Trace header (offsets within the 240 bytes).
constexpr int kTraceSequenceInLine = 0;     // int32
constexpr int kTraceSequenceInFile = 4;     // int32
constexpr int kTraceFieldRecord = 8;        // int32
constexpr int kTraceNumberInField = 12;     // int32
constexpr int kTraceEnsemble = 20;          // int32 (CDP number)
constexpr int kTraceIdentification = 28;    // int16: 1 live seismic; 0 and 2 (dead) read as absent
constexpr int kTraceCoordinateScalar = 70;  // int16: applied to bytes 73-88 and 181-188
constexpr int kTraceCoordinateUnits = 88;   // int16: 1 length
constexpr int kTraceDelay = 108;            // int16 delay recording time (ms), scaled by kTraceTimeScalar
constexpr int kTraceSampleCount = 114;      // uint16
constexpr int kTraceSampleInterval = 116;   // uint16
constexpr int kTraceCdpX = 180;             // int32, scaled by kTraceCoordinateScalar
constexpr int kTraceCdpY = 184;             // int32
constexpr int kTraceInline = 188;           // int32: line number
constexpr int kTraceCrossline = 192;        // int32: trace number
constexpr int kTraceTimeScalar = 214;       // int16: applied to bytes 95-114 (0 means 1)

static_assert(kTraceSequenceInLine + 1 == SEGY_TR_SEQ_LINE, "trace sequence in line");
static_assert(kTraceSequenceInFile + 1 == SEGY_TR_SEQ_FILE, "trace sequence in file");
static_assert(kTraceFieldRecord + 1 == SEGY_TR_FIELD_RECORD, "field record");
static_assert(kTraceNumberInField + 1 == SEGY_TR_NUMBER_ORIG_FIELD, "trace number in field record");
static_assert(kTraceEnsemble + 1 == SEGY_TR_ENSEMBLE, "ensemble");
static_assert(kTraceIdentification + 1 == SEGY_TR_TRACE_ID, "trace identification");
static_assert(kTraceCoordinateScalar + 1 == SEGY_TR_SOURCE_GROUP_SCALAR, "coordinate scalar");
static_assert(kTraceCoordinateUnits + 1 == SEGY_TR_COORD_UNITS, "coordinate units");
static_assert(kTraceDelay + 1 == SEGY_TR_DELAY_REC_TIME, "delay");
static_assert(kTraceSampleCount + 1 == SEGY_TR_SAMPLE_COUNT, "trace sample count");
static_assert(kTraceSampleInterval + 1 == SEGY_TR_SAMPLE_INTER, "trace sample interval");
static_assert(kTraceCdpX + 1 == SEGY_TR_CDP_X, "CDP X");
static_assert(kTraceCdpY + 1 == SEGY_TR_CDP_Y, "CDP Y");
static_assert(kTraceInline + 1 == SEGY_TR_INLINE, "inline");
static_assert(kTraceCrossline + 1 == SEGY_TR_CROSSLINE, "crossline");
static_assert(kTraceTimeScalar + 1 == SEGY_TR_SCALAR_TRACE_HEADER, "time scalar");

constexpr int32_t kByteOrderConstant = 0x01020304;

// Big-endian and little-endian field access.
inline uint32_t readUnsigned(const unsigned char* p, int bytes, bool littleEndian)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[littleEndian ? bytes - 1 - i : i];
    return value;
}
inline int16_t read16(const unsigned char* p, bool littleEndian = false)
{
    return static_cast<int16_t>(readUnsigned(p, 2, littleEndian));
}
inline uint16_t readU16(const unsigned char* p, bool littleEndian = false)
{
    return static_cast<uint16_t>(readUnsigned(p, 2, littleEndian));
}
inline int32_t read32(const unsigned char* p, bool littleEndian = false)
{
    return static_cast<int32_t>(readUnsigned(p, 4, littleEndian));
}
inline uint64_t readU64(const unsigned char* p, bool littleEndian = false)
{
    const uint64_t high = readUnsigned(p + (littleEndian ? 4 : 0), 4, littleEndian);
    const uint64_t low = readUnsigned(p + (littleEndian ? 0 : 4), 4, littleEndian);
    return (high << 32) | low;
}
inline void put16(unsigned char* p, int value)
{
    p[0] = static_cast<unsigned char>((value >> 8) & 0xff);
    p[1] = static_cast<unsigned char>(value & 0xff);
}
inline void put32(unsigned char* p, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}
inline void putDouble(unsigned char* p, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put32(p, static_cast<int32_t>(bits >> 32));
    put32(p + 4, static_cast<int32_t>(bits & 0xffffffffu));
}

/// A time (or depth) and the scalar of trace bytes 215-216 that encode it in
/// a 16-bit field: the exact value when it is a whole number that fits, else
/// the value times 10, 100, 1000 or 10000 (negative scalar), else the value
/// divided by such a power (positive scalar), else the nearest encodable value.
inline void encodeScaled16(double value, int16_t* scaled, int16_t* scalar)
{
    const auto exact = [](double v) { return v >= -32767.0 && v <= 32767.0 && v == static_cast<double>(static_cast<long long>(v)); };
    if (exact(value)) {
        *scaled = static_cast<int16_t>(value);
        *scalar = 1;
        return;
    }
    for (int power : {10, 100, 1000, 10000}) {
        const double up = value * power;
        const double rounded = static_cast<double>(static_cast<long long>(up < 0 ? up - 0.5 : up + 0.5));
        if (rounded >= -32767.0 && rounded <= 32767.0 && (up - rounded) * (up - rounded) < 1e-12) {
            *scaled = static_cast<int16_t>(rounded);
            *scalar = static_cast<int16_t>(-power);
            return;
        }
    }
    for (int power : {10, 100, 1000, 10000}) {
        const double down = value / power;
        if (down >= -32767.0 && down <= 32767.0) {
            *scaled = static_cast<int16_t>(down < 0 ? down - 0.5 : down + 0.5);
            *scalar = static_cast<int16_t>(power);
            return;
        }
    }
    *scaled = value < 0 ? -32767 : 32767;
    *scalar = 10000;
}

/// Value of a field scaled by a SEG-Y scalar (0 and 1 mean none, negative
/// divides, positive multiplies).
inline double applyScalar(double value, int scalar)
{
    if (scalar < 0)
        return value / -static_cast<double>(scalar);
    if (scalar > 1)
        return value * scalar;
    return value;
}

} // namespace segylayout
