#include "seismicfile.h"

#include "byteswap.h"
#include "segylayout.h"

#include <segyio/segy.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

using namespace segylayout;

namespace
{
// Largest run of a line held for writing: whole lines unless a line is
// longer than this. Reads map windows of whole lines of about this size.
const long long kBlockBytes = 32LL << 20;

std::atomic<long long> g_readCalls{0};
std::atomic<long long> g_writeCalls{0};

/// countAsTraceRead: the call reads traces (counted in ioCounts()).
bool preadAll(int fd, char* buffer, long long bytes, long long offset, bool countAsTraceRead = true)
{
    if (countAsTraceRead)
        ++g_readCalls;
    while (bytes > 0) {
        const ssize_t n = pread(fd, buffer, static_cast<size_t>(bytes), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        bytes -= n;
        offset += n;
    }
    return true;
}

bool pwriteAll(int fd, const char* buffer, long long bytes, long long offset)
{
    ++g_writeCalls;
    while (bytes > 0) {
        const ssize_t n = pwrite(fd, buffer, static_cast<size_t>(bytes), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        bytes -= n;
        offset += n;
    }
    return true;
}

void copyCard(char* text, int line, const std::string& content)
{
    std::string card = "C" + std::string(line < 10 ? " " : "") + std::to_string(line) + " " + content;
    card.resize(80, ' ');
    std::memcpy(text + (line - 1) * 80, card.data(), 80);
}

bool fitsInt32(double value)
{
    return std::isfinite(value) && value >= double(INT_MIN) && value <= double(INT_MAX);
}

int32_t clampInt32(long long value)
{
    return static_cast<int32_t>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

/// Interval as the 16-bit header field holds it (microseconds, or thousandths
/// of the length unit); 0 when it does not fit.
int intervalField(double interval)
{
    const long long value = std::llround(interval * 1000.0);
    return value > 0 && value <= 65535 ? static_cast<int>(value) : 0;
}

bool needsRevision2(const SeismicFile::Geometry& g)
{
    return g.samples > 65535 || intervalField(g.interval) == 0;
}
} // namespace

bool SeismicFile::Geometry::check(std::string* why) const
{
    if (lineCount <= 0 || traceCount <= 0 || lineCount > INT_MAX || traceCount > INT_MAX) {
        *why = "invalid grid of " + std::to_string(lineCount) + " lines of " + std::to_string(traceCount) + " traces";
        return false;
    }
    if (samples <= 0 || samples > kMaxSamples) {
        *why = "invalid sample count " + std::to_string(samples) + " (1 to " + std::to_string(kMaxSamples) + ")";
        return false;
    }
    if (!std::isfinite(interval) || interval <= 0.0 || !std::isfinite(start)) {
        *why = "invalid vertical axis (start " + std::to_string(start) + ", interval " + std::to_string(interval) + ")";
        return false;
    }
    if (!(lineStep > 0.0) || !(traceStep > 0.0) || !fitsInt32(firstLine) || !fitsInt32(firstTrace) ||
        !fitsInt32(firstLine + lineStep * double(lineCount - 1)) ||
        !fitsInt32(firstTrace + traceStep * double(traceCount - 1))) {
        *why = "line or trace numbers do not fit the 32-bit header fields";
        return false;
    }
    // Divisions, so that nothing overflows on the way (traceBytes() <= 4000240).
    if (traceCount > kMaxFileBytes / traceBytes() || lineCount > (kMaxFileBytes - 3600) / lineBytes()) {
        *why = "the data set would need more than " + std::to_string(kMaxFileBytes >> 40) + " TiB (" +
               std::to_string(lineCount) + " lines of " + std::to_string(traceCount) + " traces of " +
               std::to_string(samples) + " samples)";
        return false;
    }
    return true;
}

int SeismicFile::Geometry::lineNumber(long long line) const
{
    return static_cast<int>(std::llround(firstLine + lineStep * double(line)));
}

int SeismicFile::Geometry::traceNumber(long long trace) const
{
    return static_cast<int>(std::llround(firstTrace + traceStep * double(trace)));
}

SeismicFile::IoCounts SeismicFile::ioCounts()
{
    IoCounts counts;
    counts.reads = g_readCalls.load();
    counts.writes = g_writeCalls.load();
    return counts;
}

SeismicFile::~SeismicFile()
{
    close();
}

bool SeismicFile::create(const std::string& path, const Geometry& g, std::string* error)
{
    if (!g.check(error))
        return false;
    // The textual header through segyio, which writes it in EBCDIC.
    segy_file* fp = segy_open(path.c_str(), "w+b");
    if (!fp) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    char text[kTextHeaderBytes];
    std::memset(text, ' ', sizeof text);
    copyCard(text, 1, "OPENWORKS DEVKIT STAND-IN SEISMIC DATA SET");
    copyCard(text, 2, "INLINE (LINE NUMBER) BYTE 189, CROSSLINE (TRACE NUMBER) BYTE 193");
    copyCard(text, 3, "CDP X BYTE 181, CDP Y BYTE 185, SCALAR BYTE 71");
    copyCard(text, 4, "DELAY BYTE 109, ITS SCALAR BYTE 215");
    copyCard(text, 5, "FORMAT 5 IEEE FLOAT, LINES AND TRACES IN ASCENDING NUMBER ORDER");
    copyCard(text, 6, "ABSENT TRACES HAVE TRACE IDENTIFICATION CODE 0");
    copyCard(text, 7, "LINES " + std::to_string(g.lineNumber(0)) + "-" + std::to_string(g.lineNumber(g.lineCount - 1)) +
                          " TRACES " + std::to_string(g.traceNumber(0)) + "-" +
                          std::to_string(g.traceNumber(g.traceCount - 1)) + " SAMPLES " + std::to_string(g.samples));
    for (int line = 8; line <= 40; ++line)
        copyCard(text, line, line == 40 ? "END TEXTUAL HEADER" : "");
    const bool textWritten = segy_write_textheader(fp, 0, text) == SEGY_OK;
    segy_close(fp);

    unsigned char binary[kBinaryHeaderBytes];
    std::memset(binary, 0, sizeof binary);
    const auto b = [&binary](int fileOffset) { return binary + (fileOffset - kTextHeaderBytes); };
    const bool revision2 = needsRevision2(g);
    put16(b(kBinaryTracesPerEnsemble), g.traceCount <= 32767 ? static_cast<int>(g.traceCount) : 0);
    put16(b(kBinaryInterval), intervalField(g.interval));
    put16(b(kBinarySamples), g.samples <= 65535 ? g.samples : 0);
    put16(b(kBinaryFormat), SEGY_IEEE_FLOAT_4_BYTE);
    put16(b(kBinarySorting), 4);
    put16(b(kBinaryMeasurementSystem), g.measurementSystem == 2 ? 2 : 1);
    *b(kBinaryRevisionMajor) = revision2 ? 2 : 1;
    *b(kBinaryRevisionMinor) = 0;
    put16(b(kBinaryFixedLength), 1);
    if (revision2) {
        put32(b(kBinaryExtendedSamples), g.samples);
        putDouble(b(kBinaryExtendedInterval), g.interval * 1000.0);
        put32(b(kBinaryByteOrderConstant), kByteOrderConstant);
    }
    const int fd = textWritten ? ::open(path.c_str(), O_WRONLY) : -1;
    bool written = fd >= 0 && pwriteAll(fd, reinterpret_cast<const char*>(binary), sizeof binary, kTextHeaderBytes) &&
                   ftruncate(fd, static_cast<off_t>(g.fileBytes())) == 0;
    if (fd >= 0)
        written = ::close(fd) == 0 && written;
    if (!written) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

bool SeismicFile::open(const std::string& path, const Geometry& g, bool write, std::string* error)
{
    close();
    if (!g.check(error))
        return false;
    const int fd = ::open(path.c_str(), write ? O_RDWR : O_RDONLY);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info;
    unsigned char binary[kBinaryHeaderBytes];
    const bool headerRead =
        fstat(fd, &info) == 0 && preadAll(fd, reinterpret_cast<char*>(binary), sizeof binary, kTextHeaderBytes, false);
    const auto b = [&binary](int fileOffset) { return binary + (fileOffset - kTextHeaderBytes); };
    const int32_t extended = read32(b(kBinaryExtendedSamples));
    const long long samples = *b(kBinaryRevisionMajor) >= 2 && extended > 0 ? extended : readU16(b(kBinarySamples));
    if (!headerRead || read16(b(kBinaryFormat)) != SEGY_IEEE_FLOAT_4_BYTE || samples != g.samples ||
        info.st_size != g.fileBytes()) {
        ::close(fd);
        *error = "file does not match its data set: " + path;
        return false;
    }
    m_fd = fd;
    m_writing = write;
    m_geometry = g;
    m_path = path;
    encodeScaled16(g.start, &m_delay, &m_delayScalar);
    m_min = 3.4e38f;
    m_max = -3.4e38f;
    return true;
}

bool SeismicFile::openRead(const std::string& path, const Geometry& g, std::string* error)
{
    return open(path, g, false, error);
}

bool SeismicFile::openWrite(const std::string& path, const Geometry& g, const Locator& locator, std::string* error)
{
    if (!open(path, g, true, error))
        return false;
    m_locator = locator;
    return true;
}

bool SeismicFile::close()
{
    const bool flushed = flush();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_writing = false;
    m_locator = Locator();
    unmapWindows();
    return flushed;
}

void SeismicFile::discard()
{
    m_pendingLine = -1;
    close();
}

long long SeismicFile::blockWidth() const
{
    return std::max<long long>(1, std::min<long long>(m_geometry.traceCount, kBlockBytes / m_geometry.traceBytes()));
}

long long SeismicFile::offsetOf(long long line, long long trace) const
{
    return 3600LL + (line * m_geometry.traceCount + trace) * m_geometry.traceBytes();
}

void SeismicFile::unmapWindows()
{
    for (Window& window : m_windows) {
        if (window.base)
            munmap(window.base, window.length);
        window = Window();
    }
}

const char* SeismicFile::mappedTrace(long long line, long long trace)
{
    for (Window& window : m_windows) {
        if (window.base && line >= window.firstLine && line < window.firstLine + window.lineCount) {
            window.lastUse = ++m_useCounter;
            return window.base + (offsetOf(line, trace) - window.fileOffset);
        }
    }
    Window* victim = &m_windows[0];
    for (Window& window : m_windows)
        if (window.lastUse < victim->lastUse)
            victim = &window;
    if (victim->base)
        munmap(victim->base, victim->length);
    *victim = Window();
    const long long lineBytes = m_geometry.lineBytes();
    const long long windowLines = std::max<long long>(1, kBlockBytes / lineBytes);
    const long long firstLine = (line / windowLines) * windowLines;
    const long long lineCount = std::min(windowLines, m_geometry.lineCount - firstLine);
    const long long page = sysconf(_SC_PAGESIZE);
    const long long start = offsetOf(firstLine, 0);
    const long long mapStart = (start / page) * page;
    const size_t length = static_cast<size_t>(start - mapStart + lineCount * lineBytes);
    ++g_readCalls;
    void* base = mmap(nullptr, length, PROT_READ, MAP_SHARED, m_fd, static_cast<off_t>(mapStart));
    if (base == MAP_FAILED)
        return nullptr;
    madvise(base, length, MADV_SEQUENTIAL);
    victim->firstLine = firstLine;
    victim->lineCount = lineCount;
    victim->fileOffset = mapStart;
    victim->base = static_cast<char*>(base);
    victim->length = length;
    victim->lastUse = ++m_useCounter;
    return victim->base + (offsetOf(line, trace) - mapStart);
}

int SeismicFile::readTrace(long long line, long long trace, int firstSample, int lastSample, float* out)
{
    const int n = lastSample - firstSample + 1;
    const long long traceBytes = m_geometry.traceBytes();
    const char* header = m_fd >= 0 && !m_writing ? mappedTrace(line, trace) : nullptr;
    if (!header && m_fd >= 0 && !m_writing) {
        if (m_trace.size() < static_cast<size_t>(traceBytes))
            m_trace.resize(static_cast<size_t>(traceBytes));
        if (preadAll(m_fd, m_trace.data(), traceBytes, offsetOf(line, trace)))
            header = m_trace.data();
    }
    if (!header) {
        std::fill(out, out + n, 0.0f);
        return 9;
    }
    const int id = read16(reinterpret_cast<const unsigned char*>(header) + kTraceIdentification);
    if (id == 0 || id == 2) {
        std::fill(out, out + n, 0.0f);
        return 1;
    }
    swapWords32(header + kTraceHeaderBytes + 4LL * (firstSample - 1), out, static_cast<size_t>(n));
    return 0;
}

void SeismicFile::fillHeader(unsigned char* header, long long line, long long trace) const
{
    std::memset(header, 0, kTraceHeaderBytes);
    const int lineNumber = m_geometry.lineNumber(line);
    const int traceNumber = m_geometry.traceNumber(trace);
    const long long sequence = line * m_geometry.traceCount + trace + 1;
    put32(header + kTraceSequenceInLine, clampInt32(trace + 1));
    put32(header + kTraceSequenceInFile, clampInt32(sequence));
    put32(header + kTraceFieldRecord, lineNumber);
    put32(header + kTraceNumberInField, traceNumber);
    put32(header + kTraceEnsemble, clampInt32(sequence));
    put16(header + kTraceIdentification, 1);
    if (m_locator) {
        double x = 0.0, y = 0.0;
        m_locator(lineNumber, traceNumber, &x, &y);
        const double largest = std::max(std::fabs(x), std::fabs(y));
        int scalar = 1;
        if (!std::isfinite(largest))
            x = y = 0.0;
        else if (largest * 100.0 < 2147483647.0)
            scalar = -100;
        else if (largest * 10.0 < 2147483647.0)
            scalar = -10;
        else if (largest >= 2147483647.0)
            scalar = largest / 10.0 < 2147483647.0 ? 10 : 100;
        const double factor = scalar < 0 ? -scalar : 1.0 / scalar;
        put16(header + kTraceCoordinateScalar, scalar);
        put32(header + kTraceCdpX, clampInt32(std::llround(x * factor)));
        put32(header + kTraceCdpY, clampInt32(std::llround(y * factor)));
        put16(header + kTraceCoordinateUnits, 1);
    }
    put16(header + kTraceDelay, m_delay);
    put16(header + kTraceTimeScalar, m_delayScalar);
    put16(header + kTraceSampleCount, m_geometry.samples <= 65535 ? m_geometry.samples : 0);
    put16(header + kTraceSampleInterval, intervalField(m_geometry.interval));
    put32(header + kTraceInline, lineNumber);
    put32(header + kTraceCrossline, traceNumber);
}

int SeismicFile::writeTrace(long long line, long long trace, int firstSample, int lastSample, const float* in)
{
    if (m_fd < 0 || !m_writing)
        return 9;
    const long long width = blockWidth();
    const long long first = (trace / width) * width;
    const long long traceBytes = m_geometry.traceBytes();
    if (line != m_pendingLine || first != m_pendingFirst) {
        if (!flush())
            return 9;
        m_pendingLine = line;
        m_pendingFirst = first;
        m_pendingCount = std::min(width, m_geometry.traceCount - first);
        if (m_pending.size() < static_cast<size_t>(m_pendingCount * traceBytes))
            m_pending.resize(static_cast<size_t>(m_pendingCount * traceBytes));
        m_pendingWritten.assign(static_cast<size_t>(m_pendingCount), 0);
    }
    const long long slot = trace - first;
    char* header = m_pending.data() + slot * traceBytes;
    const int n = lastSample - firstSample + 1;
    if (!m_pendingWritten[static_cast<size_t>(slot)] && n < m_geometry.samples) {
        // Part of a trace: start from what the file holds.
        if (!preadAll(m_fd, header, traceBytes, offsetOf(line, trace)))
            return 9;
        const int id = read16(reinterpret_cast<const unsigned char*>(header) + kTraceIdentification);
        if (id == 0 || id == 2)
            std::memset(header + kTraceHeaderBytes, 0, static_cast<size_t>(traceBytes - kTraceHeaderBytes));
    }
    fillHeader(reinterpret_cast<unsigned char*>(header), line, trace);
    swapWords32(in, header + kTraceHeaderBytes + 4LL * (firstSample - 1), static_cast<size_t>(n));
    // The value range, without branches so that the loop vectorises:
    // v - v is 0 for every finite v and NaN for NaN and the infinities.
    float lowest = m_min;
    float highest = m_max;
    for (int i = 0; i < n; ++i) {
        const float v = in[i];
        const bool finite = (v - v) == 0.0f;
        lowest = finite && v < lowest ? v : lowest;
        highest = finite && v > highest ? v : highest;
    }
    m_min = lowest;
    m_max = highest;
    m_pendingWritten[static_cast<size_t>(slot)] = 1;
    return 0;
}

bool SeismicFile::flush()
{
    if (m_pendingLine < 0)
        return true;
    const long long line = m_pendingLine;
    m_pendingLine = -1;
    if (m_fd < 0)
        return false;
    const long long traceBytes = m_geometry.traceBytes();
    bool ok = true;
    long long t = 0;
    while (t < m_pendingCount) {
        if (!m_pendingWritten[static_cast<size_t>(t)]) {
            ++t;
            continue;
        }
        long long end = t;
        while (end < m_pendingCount && m_pendingWritten[static_cast<size_t>(end)])
            ++end;
        ok = pwriteAll(m_fd, m_pending.data() + t * traceBytes, (end - t) * traceBytes,
                       offsetOf(line, m_pendingFirst + t)) &&
             ok;
        t = end;
    }
    return ok;
}
