#include "segyreader.h"

#include "segylayout.h"
#include "seismicfile.h"

#include <segyio/segy.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

using namespace segylayout;

namespace
{
int elementBytes(int format)
{
    switch (format) {
    case SEGY_SIGNED_SHORT_2_BYTE: return 2;
    case SEGY_SIGNED_CHAR_1_BYTE: return 1;
    default: return 4;
    }
}

bool supported(int format)
{
    return format == SEGY_IBM_FLOAT_4_BYTE || format == SEGY_SIGNED_INTEGER_4_BYTE ||
           format == SEGY_SIGNED_SHORT_2_BYTE || format == SEGY_IEEE_FLOAT_4_BYTE ||
           format == SEGY_SIGNED_CHAR_1_BYTE;
}

bool knownFormat(int format)
{
    return format >= 1 && format <= 16 && format != 13 && format != 14;
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}
} // namespace

const char* SegyReader::formatName(int format)
{
    switch (format) {
    case 1: return "4-byte IBM float";
    case 2: return "4-byte signed integer";
    case 3: return "2-byte signed integer";
    case 4: return "4-byte fixed point with gain";
    case 5: return "4-byte IEEE float";
    case 6: return "8-byte IEEE float";
    case 7: return "3-byte signed integer";
    case 8: return "1-byte signed integer";
    case 9: return "8-byte signed integer";
    case 10: return "4-byte unsigned integer";
    case 11: return "2-byte unsigned integer";
    case 12: return "8-byte unsigned integer";
    case 15: return "3-byte unsigned integer";
    case 16: return "1-byte unsigned integer";
    default: return "";
    }
}

SegyReader::~SegyReader()
{
    if (m_file)
        segy_close(m_file);
}

bool SegyReader::open(const std::string& path, std::string* error)
{
    m_path = path;
    FILE* raw = std::fopen(path.c_str(), "rb");
    if (!raw) {
        *error = "cannot open " + path;
        return false;
    }
    struct stat info;
    unsigned char headers[kHeadersBytes];
    const bool statted = fstat(fileno(raw), &info) == 0;
    const size_t got = std::fread(headers, 1, sizeof headers, raw);
    unsigned char firstTraceHeader[kTraceHeaderBytes] = {};
    std::fclose(raw);
    const long long fileSize = statted ? static_cast<long long>(info.st_size) : 0;
    if (got < sizeof headers || fileSize < kHeadersBytes + kTraceHeaderBytes) {
        *error = "the file is too short for SEG-Y (" + std::to_string(fileSize) +
                 " bytes): it needs a 3600-byte header and at least one 240-byte trace header";
        return false;
    }

    // Byte order: the rev 2 constant when present, else the format code.
    const int32_t constant = read32(headers + kBinaryByteOrderConstant);
    const int32_t swappedConstant = read32(headers + kBinaryByteOrderConstant, true);
    const int bigFormat = read16(headers + kBinaryFormat);
    const int littleFormat = read16(headers + kBinaryFormat, true);
    if (constant == kByteOrderConstant)
        m_littleEndian = false;
    else if (swappedConstant == kByteOrderConstant)
        m_littleEndian = true;
    else if (knownFormat(bigFormat))
        m_littleEndian = false;
    else if (knownFormat(littleFormat))
        m_littleEndian = true;
    else {
        *error = "the format code (binary header bytes 3225-3226) reads " + std::to_string(bigFormat) +
                 " as big-endian and " + std::to_string(littleFormat) +
                 " as little-endian: neither is a SEG-Y sample format, so the byte order cannot be told";
        return false;
    }
    const bool le = m_littleEndian;
    const char* order = le ? "little-endian" : "big-endian";
    m_format = read16(headers + kBinaryFormat, le);
    if (!supported(m_format)) {
        const char* name = formatName(m_format);
        *error = std::string("sample format code ") + std::to_string(m_format) + (*name ? std::string(" (") + name + ")" : "") +
                 " of this " + order +
                 " file is not supported: only 1 (IBM float), 2 (32-bit integer), 3 (16-bit integer), 5 (IEEE float) "
                 "and 8 (8-bit integer)";
        return false;
    }
    m_elementBytes = elementBytes(m_format);
    m_revision = headers[kBinaryRevisionMajor] == 2 || readU16(headers + kBinaryRevisionMajor, le) == 0x0200
                     ? 2
                     : (readU16(headers + kBinaryRevisionMajor, le) == 0x0100 || headers[kBinaryRevisionMajor] == 1 ? 1 : 0);
    const int measurement = read16(headers + kBinaryMeasurementSystem, le);
    m_measurementSystem = measurement == 2 ? 2 : 1;

    // Where the traces start: extended textual headers (rev 1 and later), or
    // the rev 2 offset of the first trace.
    m_trace0 = kHeadersBytes;
    if (m_revision >= 1) {
        const int extended = read16(headers + kBinaryExtendedTextHeaders, le);
        const unsigned long long offset = m_revision >= 2 ? readU64(headers + kBinaryFirstTraceOffset, le) : 0;
        if (offset > 0) {
            if (offset < static_cast<unsigned long long>(kHeadersBytes) ||
                offset > static_cast<unsigned long long>(fileSize)) {
                *error = "the rev 2 offset of the first trace (binary header bytes 3521-3528) is " +
                         std::to_string(offset) + ", outside the file of " + std::to_string(fileSize) + " bytes";
                return false;
            }
            m_trace0 = static_cast<long long>(offset);
        } else if (extended == -1) {
            *error = "a variable number of extended textual headers (binary header bytes 3505-3506 = -1) without "
                     "the rev 2 offset of the first trace is not supported";
            return false;
        } else if (extended < 0 || extended > 1000) {
            *error = "invalid number of extended textual headers " + std::to_string(extended) +
                     " (binary header bytes 3505-3506)";
            return false;
        } else {
            m_trace0 = kHeadersBytes + static_cast<long long>(extended) * kExtendedTextBytes;
        }
    }
    m_additionalHeaders = 0;
    if (m_revision >= 2) {
        const int32_t additional = read32(headers + kBinaryAdditionalTraceHeaders, le);
        if (additional < 0 || additional > 64) {
            *error = "invalid number of additional trace headers " + std::to_string(additional) +
                     " (rev 2 binary header bytes 3507-3510)";
            return false;
        }
        m_additionalHeaders = additional;
    }
    if (m_trace0 + kTraceHeaderBytes > fileSize) {
        *error = "the file ends before its first trace header (at byte " + std::to_string(m_trace0) + ")";
        return false;
    }
    raw = std::fopen(path.c_str(), "rb");
    const bool firstHeaderRead = raw && std::fseek(raw, static_cast<long>(m_trace0), SEEK_SET) == 0 &&
                                 std::fread(firstTraceHeader, 1, sizeof firstTraceHeader, raw) == sizeof firstTraceHeader;
    if (raw)
        std::fclose(raw);
    if (!firstHeaderRead) {
        *error = "cannot read the first trace header";
        return false;
    }

    // Sample count: the 16-bit field is unsigned; rev 2 may extend it.
    long long samples = readU16(headers + kBinarySamples, le);
    const char* samplesFrom = "binary header bytes 3221-3222";
    if (m_revision >= 2 && read32(headers + kBinaryExtendedSamples, le) > 0) {
        samples = read32(headers + kBinaryExtendedSamples, le);
        samplesFrom = "rev 2 binary header bytes 3269-3272";
    }
    if (samples == 0) {
        samples = readU16(firstTraceHeader + kTraceSampleCount, le);
        samplesFrom = "first trace header bytes 115-116";
    }
    if (samples <= 0) {
        *error = "no sample count: binary header bytes 3221-3222 and the first trace header's bytes 115-116 are 0";
        return false;
    }
    if (samples > SeismicFile::kMaxSamples) {
        *error = "sample count " + std::to_string(samples) + " (" + samplesFrom + ") is above the limit of " +
                 std::to_string(SeismicFile::kMaxSamples);
        return false;
    }
    m_samples = static_cast<int>(samples);

    // Sample interval in microseconds (rev 2 may give a double).
    double interval = readU16(headers + kBinaryInterval, le);
    if (m_revision >= 2) {
        const unsigned long long bits = readU64(headers + kBinaryExtendedInterval, le);
        double extended = 0.0;
        std::memcpy(&extended, &bits, sizeof extended);
        if (std::isfinite(extended) && extended > 0.0)
            interval = extended;
    }
    if (interval <= 0.0)
        interval = readU16(firstTraceHeader + kTraceSampleInterval, le);
    if (interval <= 0.0) {
        *error = "no sample interval: binary header bytes 3217-3218 and the first trace header's bytes 117-118 are 0";
        return false;
    }
    m_interval = interval / 1000.0;

    // The traces must fill the rest of the file exactly.
    m_traceBytes = kTraceHeaderBytes * (1LL + m_additionalHeaders) + samples * m_elementBytes;
    const long long dataBytes = fileSize - m_trace0;
    if (dataBytes % m_traceBytes != 0) {
        std::string why = "the " + std::to_string(dataBytes) + " bytes after the headers are not a whole number of " +
                          std::to_string(m_traceBytes) + "-byte traces (" + std::to_string(samples) + " samples from " +
                          samplesFrom + ", format " + std::to_string(m_format) + ")";
        if (m_additionalHeaders > 0)
            why += ": in this rev 2 file every trace must carry exactly " + std::to_string(m_additionalHeaders) +
                   " additional trace headers (bytes 3507-3510); traces with fewer are not supported";
        *error = why;
        return false;
    }
    m_traceCount = dataBytes / m_traceBytes;
    if (m_traceCount > INT_MAX) {
        *error = "the file holds more than " + std::to_string(INT_MAX) + " traces";
        return false;
    }

    m_file = segy_open(path.c_str(), "rb");
    if (!m_file || segy_set_format(m_file, m_format | (le ? SEGY_LSB : 0)) != SEGY_OK) {
        *error = "cannot open " + path;
        return false;
    }
    return true;
}

bool SegyReader::scan(std::string* error)
{
    if (!m_file) {
        *error = "the file is not open";
        return false;
    }
    const int dataBytes = static_cast<int>(m_traceBytes - kTraceHeaderBytes);
    m_traces.clear();
    m_traces.reserve(static_cast<size_t>(m_traceCount));
    unsigned char header[kTraceHeaderBytes];
    for (long long i = 0; i < m_traceCount; ++i) {
        if (segy_traceheader(m_file, static_cast<int>(i), reinterpret_cast<char*>(header), m_trace0, dataBytes) !=
            SEGY_OK) {
            *error = "cannot read trace header " + std::to_string(i);
            return false;
        }
        // segyio hands headers over big-endian whatever the file's order. The
        // sample count of each trace header is not used: many files carry a
        // stale one, and the file size has been checked against the binary header.
        const int timeScalar = read16(header + kTraceTimeScalar);
        const double delay = applyScalar(read16(header + kTraceDelay), timeScalar);
        if (i == 0) {
            m_delay = delay;
        } else if (delay != m_delay) {
            *error = "trace " + std::to_string(i) + " starts at " + number(delay) + ", trace 0 at " + number(m_delay) +
                     " (bytes 109-110, scalar 215-216): traces with different delays are not supported";
            return false;
        }
        const int coordinateScalar = read16(header + kTraceCoordinateScalar);
        Trace trace;
        trace.line = read32(header + kTraceInline);
        trace.trace = read32(header + kTraceCrossline);
        trace.x = applyScalar(read32(header + kTraceCdpX), coordinateScalar);
        trace.y = applyScalar(read32(header + kTraceCdpY), coordinateScalar);
        m_traces.push_back(trace);
    }
    return deriveGrid(error);
}

bool SegyReader::deriveGrid(std::string* error)
{
    if (m_traces.empty()) {
        *error = "the file holds no trace";
        return false;
    }
    // Prestack: several traces at one line and trace number.
    std::vector<std::pair<long long, long long>> positions;
    positions.reserve(m_traces.size());
    for (const Trace& t : m_traces)
        positions.emplace_back(t.line, t.trace);
    std::sort(positions.begin(), positions.end());
    for (size_t i = 1; i < positions.size(); ++i) {
        if (positions[i] == positions[i - 1]) {
            size_t end = i;
            while (end < positions.size() && positions[end] == positions[i])
                ++end;
            *error = std::to_string(end - i + 1) + " traces lie at line " + std::to_string(positions[i].first) +
                     " and trace " + std::to_string(positions[i].second) +
                     ": the file holds prestack data (several offsets or gathers per position), which a 3D seismic "
                     "data set cannot store; load a stacked file";
            return false;
        }
    }
    // Lines and traces with their increments (the greatest common divisor of
    // the gaps between the numbers present).
    std::vector<long long> lines, traces;
    for (const auto& p : positions) {
        if (lines.empty() || lines.back() != p.first)
            lines.push_back(p.first);
        traces.push_back(p.second);
    }
    std::sort(traces.begin(), traces.end());
    traces.erase(std::unique(traces.begin(), traces.end()), traces.end());
    const auto stepOf = [](const std::vector<long long>& values) {
        long long step = 0;
        for (size_t i = 1; i < values.size(); ++i)
            step = std::gcd(step, values[i] - values[i - 1]);
        return step > 0 ? step : 1;
    };
    m_grid.firstLine = lines.front();
    m_grid.lastLine = lines.back();
    m_grid.lineStep = stepOf(lines);
    m_grid.firstTrace = traces.front();
    m_grid.lastTrace = traces.back();
    m_grid.traceStep = stepOf(traces);
    const long long lineCount = m_grid.lineCount();
    const long long traceCount = m_grid.traceCount();
    if (lineCount < 2 || traceCount < 2) {
        *error = "the traces do not span a 3D grid: " + std::to_string(lineCount) + " line(s) of " +
                 std::to_string(traceCount) + " trace(s) (inline at byte 189, crossline at byte 193)";
        return false;
    }
    const std::string extent = std::to_string(lineCount) + " lines (" + std::to_string(m_grid.firstLine) + " to " +
                               std::to_string(m_grid.lastLine) + " by " + std::to_string(m_grid.lineStep) + ") of " +
                               std::to_string(traceCount) + " traces (" + std::to_string(m_grid.firstTrace) + " to " +
                               std::to_string(m_grid.lastTrace) + " by " + std::to_string(m_grid.traceStep) + ")";
    if (lineCount > INT_MAX || traceCount > INT_MAX) {
        *error = "the grid of " + extent + " is too large";
        return false;
    }
    const long long present = static_cast<long long>(m_traces.size());
    if (lineCount > (kMaximumGridPerTrace * present + kSmallGrid) / traceCount) {
        *error = "the " + std::to_string(present) + " traces cover too little of the grid of " + extent +
                 ": at least one position in " + std::to_string(kMaximumGridPerTrace) +
                 " must hold a trace, or the data set would be mostly empty";
        return false;
    }
    return true;
}

bool SegyReader::readTrace(long long index, float* out, std::string* error)
{
    const int dataBytes = static_cast<int>(m_traceBytes - kTraceHeaderBytes);
    if (m_buffer.size() < static_cast<size_t>(dataBytes))
        m_buffer.resize(static_cast<size_t>(dataBytes));
    if (!m_file || index < 0 || index >= m_traceCount ||
        segy_readtrace(m_file, static_cast<int>(index), m_buffer.data(), m_trace0, dataBytes) != SEGY_OK) {
        *error = "cannot read trace " + std::to_string(index);
        return false;
    }
    // Additional rev 2 trace headers come first; segyio has put the samples in
    // big-endian order.
    char* samples = m_buffer.data() + static_cast<long long>(kTraceHeaderBytes) * m_additionalHeaders;
    segy_to_native(m_format, m_samples, samples);
    for (int i = 0; i < m_samples; ++i) {
        switch (m_format) {
        case SEGY_SIGNED_INTEGER_4_BYTE: {
            int32_t v;
            std::memcpy(&v, samples + 4 * i, 4);
            out[i] = static_cast<float>(v);
            break;
        }
        case SEGY_SIGNED_SHORT_2_BYTE: {
            int16_t v;
            std::memcpy(&v, samples + 2 * i, 2);
            out[i] = static_cast<float>(v);
            break;
        }
        case SEGY_SIGNED_CHAR_1_BYTE: out[i] = static_cast<float>(static_cast<int8_t>(samples[i])); break;
        default: std::memcpy(&out[i], samples + 4 * i, 4); break;
        }
    }
    return true;
}
