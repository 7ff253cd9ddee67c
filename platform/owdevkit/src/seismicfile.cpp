#include "seismicfile.h"

#include <segyio/segy.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const long long kColumnCacheBytes = 32LL << 20;

inline float fromBigEndian(const unsigned char* p)
{
    const uint32_t bits = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

bool preadAll(int fd, char* buffer, long long bytes, long long offset)
{
    while (bytes > 0) {
        const ssize_t n = pread(fd, buffer, static_cast<size_t>(bytes), static_cast<off_t>(offset));
        if (n <= 0)
            return false;
        buffer += n;
        bytes -= n;
        offset += n;
    }
    return true;
}

void copyText(char* card, int line, const std::string& text)
{
    std::string padded = "C" + std::string(line < 10 ? " " : "") + std::to_string(line) + " " + text;
    padded.resize(80, ' ');
    std::memcpy(card + (line - 1) * 80, padded.data(), 80);
}
} // namespace

SeismicFile::~SeismicFile()
{
    close();
}

bool SeismicFile::create(const std::string& path, const Geometry& g, std::string* error)
{
    if (g.traceCount() <= 0 || g.lineCount() <= 0 || g.samples <= 0 || g.samples > 32767) {
        *error = "invalid grid";
        return false;
    }
    segy_file* fp = segy_open(path.c_str(), "w+b");
    if (!fp) {
        *error = "cannot create " + path;
        return false;
    }
    char text[3200];
    std::memset(text, ' ', sizeof(text));
    copyText(text, 1, "OPENWORKS DEVKIT STAND-IN SEISMIC DATA SET");
    copyText(text, 2, "INLINE (LINE NUMBER) BYTE 189  CROSSLINE (TRACE NUMBER) BYTE 193");
    copyText(text, 3, "FORMAT 5 IEEE FLOAT, TRACES IN LINE ORDER, ABSENT TRACES HAVE TRACE ID 0");
    copyText(text, 4, "LINES " + std::to_string(g.firstY) + "-" + std::to_string(g.lastY) + " TRACES " +
                          std::to_string(g.firstX) + "-" + std::to_string(g.lastX) + " SAMPLES " +
                          std::to_string(g.samples));
    for (int line = 5; line <= 40; ++line)
        copyText(text, line, line == 40 ? "END TEXTUAL HEADER" : "");
    char binary[SEGY_BINARY_HEADER_SIZE];
    std::memset(binary, 0, sizeof(binary));
    segy_set_bfield(binary, SEGY_BIN_TRACES, g.traceCount());
    segy_set_bfield(binary, SEGY_BIN_INTERVAL, static_cast<int>(std::lround(g.interval * 1000.0)));
    segy_set_bfield(binary, SEGY_BIN_SAMPLES, g.samples);
    segy_set_bfield(binary, SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE);
    segy_set_bfield(binary, SEGY_BIN_SORTING_CODE, 4);
    segy_set_bfield(binary, SEGY_BIN_MEASUREMENT_SYSTEM, g.measurementSystem == 2 ? 2 : 1);
    segy_set_bfield(binary, SEGY_BIN_SEGY_REVISION, 0x0100);
    segy_set_bfield(binary, SEGY_BIN_TRACE_FLAG, 1);
    const bool written = segy_write_textheader(fp, 0, text) == SEGY_OK && segy_write_binheader(fp, binary) == SEGY_OK;
    segy_close(fp);
    if (!written || truncate(path.c_str(), static_cast<off_t>(g.fileBytes())) != 0) {
        std::remove(path.c_str());
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool SeismicFile::openRead(const std::string& path, const Geometry& g, bool lineOrder, std::string* error)
{
    close();
    segy_file* fp = segy_open(path.c_str(), "rb");
    if (!fp) {
        *error = "cannot open " + path;
        return false;
    }
    char binary[SEGY_BINARY_HEADER_SIZE];
    const bool headerRead = segy_binheader(fp, binary) == SEGY_OK;
    segy_close(fp);
    struct stat info;
    if (!headerRead || segy_samples(binary) != g.samples || segy_format(binary) != SEGY_IEEE_FLOAT_4_BYTE ||
        segy_trace0(binary) != 3600 || stat(path.c_str(), &info) != 0 || info.st_size != g.fileBytes()) {
        *error = "file does not match its data set: " + path;
        return false;
    }
    m_fd = ::open(path.c_str(), O_RDONLY);
    if (m_fd < 0) {
        *error = "cannot open " + path;
        return false;
    }
    m_geometry = g;
    m_path = path;
    const long long lineBytes = g.traceBytes() * g.traceCount();
    if (lineOrder) {
        m_blockWidth = g.traceCount();
        m_maxBlocks = 2;
    } else {
        const long long perLine = std::max<long long>(g.traceBytes(), kColumnCacheBytes / g.lineCount());
        m_blockWidth = static_cast<int>(std::min<long long>(g.traceCount(), perLine / g.traceBytes()));
        m_maxBlocks = static_cast<size_t>(g.lineCount());
    }
    (void)lineBytes;
    return true;
}

bool SeismicFile::openWrite(const std::string& path, const Geometry& g, const Locator& locator, std::string* error)
{
    close();
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || info.st_size != g.fileBytes()) {
        *error = "file does not match its data set: " + path;
        return false;
    }
    m_segy = segy_open(path.c_str(), "r+b");
    if (!m_segy) {
        *error = "cannot open " + path + " for writing";
        return false;
    }
    m_geometry = g;
    m_path = path;
    m_locator = locator;
    m_min = 3.4e38f;
    m_max = -3.4e38f;
    return true;
}

void SeismicFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_segy) {
        segy_flush(m_segy, false);
        segy_close(m_segy);
    }
    m_segy = nullptr;
    m_blocks.clear();
    m_blockOrder.clear();
}

bool SeismicFile::contains(int x, int y) const
{
    return x >= m_geometry.firstX && x <= m_geometry.lastX && y >= m_geometry.firstY && y <= m_geometry.lastY;
}

long long SeismicFile::traceIndex(int x, int y) const
{
    return static_cast<long long>(y - m_geometry.firstY) * m_geometry.traceCount() + (x - m_geometry.firstX);
}

const SeismicFile::Block* SeismicFile::blockFor(int x, int y)
{
    auto it = m_blocks.find(y);
    if (it != m_blocks.end() && x >= it->second.firstX && x < it->second.firstX + it->second.count)
        return &it->second;
    if (it == m_blocks.end()) {
        if (m_blocks.size() >= m_maxBlocks && !m_blockOrder.empty()) {
            m_blocks.erase(m_blockOrder.front());
            m_blockOrder.pop_front();
        }
        it = m_blocks.emplace(y, Block()).first;
        m_blockOrder.push_back(y);
    }
    Block& block = it->second;
    const int offsetInLine = ((x - m_geometry.firstX) / m_blockWidth) * m_blockWidth;
    block.firstX = m_geometry.firstX + offsetInLine;
    block.count = std::min(m_blockWidth, m_geometry.traceCount() - offsetInLine);
    const long long bytes = block.count * m_geometry.traceBytes();
    block.bytes.resize(static_cast<size_t>(bytes));
    const long long offset = 3600LL + traceIndex(block.firstX, y) * m_geometry.traceBytes();
    if (!preadAll(m_fd, block.bytes.data(), bytes, offset)) {
        block.count = 0;
        return nullptr;
    }
    return &block;
}

int SeismicFile::readTrace(int x, int y, int firstSample, int lastSample, float* out)
{
    const int n = lastSample - firstSample + 1;
    const Block* block = m_fd >= 0 ? blockFor(x, y) : nullptr;
    if (!block) {
        std::fill(out, out + n, 0.0f);
        return 9;
    }
    const auto* trace = reinterpret_cast<const unsigned char*>(block->bytes.data()) +
                        static_cast<long long>(x - block->firstX) * m_geometry.traceBytes();
    const int traceId = (trace[28] << 8) | trace[29];
    if (traceId == 0 || traceId == 2) {
        std::fill(out, out + n, 0.0f);
        return 1;
    }
    const unsigned char* samples = trace + 240 + 4 * (firstSample - 1);
    for (int i = 0; i < n; ++i)
        out[i] = fromBigEndian(samples + 4 * i);
    return 0;
}

int SeismicFile::writeTrace(int x, int y, int firstSample, int lastSample, const float* in)
{
    if (!m_segy)
        return 9;
    const int n = lastSample - firstSample + 1;
    char header[SEGY_TRACE_HEADER_SIZE];
    std::memset(header, 0, sizeof(header));
    const int index = static_cast<int>(traceIndex(x, y));
    segy_set_field(header, SEGY_TR_SEQ_LINE, index + 1);
    segy_set_field(header, SEGY_TR_SEQ_FILE, index + 1);
    segy_set_field(header, SEGY_TR_FIELD_RECORD, y);
    segy_set_field(header, SEGY_TR_NUMBER_ORIG_FIELD, x);
    segy_set_field(header, SEGY_TR_TRACE_ID, 1);
    segy_set_field(header, SEGY_TR_DELAY_REC_TIME, static_cast<int>(std::lround(m_geometry.start)));
    segy_set_field(header, SEGY_TR_SAMPLE_COUNT, m_geometry.samples);
    segy_set_field(header, SEGY_TR_SAMPLE_INTER, static_cast<int>(std::lround(m_geometry.interval * 1000.0)));
    segy_set_field(header, SEGY_TR_INLINE, y);
    segy_set_field(header, SEGY_TR_CROSSLINE, x);
    if (m_locator) {
        double mapX = 0.0;
        double mapY = 0.0;
        m_locator(x, y, &mapX, &mapY);
        segy_set_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, -100);
        segy_set_field(header, SEGY_TR_CDP_X, static_cast<int>(std::llround(mapX * 100.0)));
        segy_set_field(header, SEGY_TR_CDP_Y, static_cast<int>(std::llround(mapY * 100.0)));
    }
    std::vector<float> data(in, in + n);
    for (float v : data) {
        if (std::isfinite(v)) {
            m_min = std::min(m_min, v);
            m_max = std::max(m_max, v);
        }
    }
    segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, n, data.data());
    const int bsize = 4 * m_geometry.samples;
    if (segy_write_traceheader(m_segy, index, header, 3600, bsize) != SEGY_OK)
        return 9;
    const int rc = n == m_geometry.samples
                       ? segy_writetrace(m_segy, index, data.data(), 3600, bsize)
                       : segy_writesubtr(m_segy, index, firstSample - 1, lastSample, 1, data.data(), nullptr, 3600,
                                         bsize);
    return rc == SEGY_OK ? 0 : 9;
}
