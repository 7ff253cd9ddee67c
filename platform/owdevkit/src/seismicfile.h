#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct segy_file_handle;

/// One seismic data set file: a SEG-Y file of IEEE floats holding every trace
/// of a grid of trace numbers (x, crossline) and line numbers (y, inline) in
/// line order. Created empty and sparse; a trace never written reads as
/// absent. Writes go through segyio; reads take whole blocks of traces with
/// one system call (a full line when reading in line order, a run of traces
/// per line otherwise) and keep a few such blocks.
class SeismicFile
{
public:
    struct Geometry
    {
        int firstX = 0;
        int lastX = -1;
        int firstY = 0;
        int lastY = -1;
        int samples = 0;
        float start = 0.0f;
        float interval = 0.0f;
        int measurementSystem = 1; // binary header: 1 meters, 2 feet

        int traceCount() const { return lastX - firstX + 1; }
        int lineCount() const { return lastY - firstY + 1; }
        long long traceBytes() const { return 240LL + 4LL * samples; }
        long long fileBytes() const { return 3600LL + traceBytes() * traceCount() * lineCount(); }
    };

    /// Map position of a grid node, for the trace headers' CDP X / Y.
    using Locator = std::function<void(int x, int y, double* mapX, double* mapY)>;

    SeismicFile() = default;
    ~SeismicFile();
    SeismicFile(const SeismicFile&) = delete;
    SeismicFile& operator=(const SeismicFile&) = delete;

    /// Writes the headers of a new, empty file of the whole grid.
    static bool create(const std::string& path, const Geometry& geometry, std::string* error);

    /// Opens for reading; false when the file does not match the geometry.
    /// lineOrder: traces will mostly be asked for along lines.
    bool openRead(const std::string& path, const Geometry& geometry, bool lineOrder, std::string* error);
    bool openWrite(const std::string& path, const Geometry& geometry, const Locator& locator, std::string* error);
    void close();

    bool isOpen() const { return m_fd >= 0 || m_segy != nullptr; }
    bool isWriting() const { return m_segy != nullptr; }
    const Geometry& geometry() const { return m_geometry; }
    const std::string& path() const { return m_path; }
    bool contains(int x, int y) const;

    /// Samples firstSample..lastSample (1-based) of trace (x, y): 0 read,
    /// 1 absent (out zero-filled), 9 I/O failure.
    int readTrace(int x, int y, int firstSample, int lastSample, float* out);
    /// 0 written, 9 I/O failure.
    int writeTrace(int x, int y, int firstSample, int lastSample, const float* in);

    /// Range of the finite values written since openWrite (min > max: none).
    float writtenMin() const { return m_min; }
    float writtenMax() const { return m_max; }

private:
    struct Block
    {
        int firstX = 0;
        int count = 0;
        std::vector<char> bytes;
    };

    const Block* blockFor(int x, int y);
    long long traceIndex(int x, int y) const;

    Geometry m_geometry;
    std::string m_path;
    int m_fd = -1;
    segy_file_handle* m_segy = nullptr;
    Locator m_locator;
    int m_blockWidth = 1;
    size_t m_maxBlocks = 2;
    std::map<int, Block> m_blocks;
    std::deque<int> m_blockOrder;
    float m_min = 3.4e38f;
    float m_max = -3.4e38f;
};
