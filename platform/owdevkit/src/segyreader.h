#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct segy_file_handle;

/// Reads a post-stack 3D SEG-Y file from outside the project for the loader:
/// works out the byte order (the rev 2 byte-order constant, else the format
/// code), the sample format (1 IBM float, 2 and 3 signed integers, 5 IEEE
/// float, 8 signed bytes), the sample count (the 16-bit field read unsigned,
/// or the rev 2 extended field), extended textual headers and rev 2
/// additional trace headers; then scans every trace header for its line
/// (inline, byte 189) and trace number (crossline, byte 193), CDP X/Y (181,
/// 185, scalar at 71) and delay (109, scalar at 215), and derives the grid
/// with its line and trace increments. Whatever it cannot take it refuses with
/// a message that says why.
class SegyReader
{
public:
    struct Trace
    {
        int line = 0;
        int trace = 0;
        double x = 0.0;
        double y = 0.0;
    };

    /// The grid the traces span: numbers first + k * step.
    struct Grid
    {
        long long firstLine = 0;
        long long lastLine = 0;
        long long lineStep = 1;
        long long firstTrace = 0;
        long long lastTrace = 0;
        long long traceStep = 1;
        long long lineCount() const { return (lastLine - firstLine) / lineStep + 1; }
        long long traceCount() const { return (lastTrace - firstTrace) / traceStep + 1; }
    };

    /// A grid may hold at most this many positions per trace of the file
    /// (beyond kSmallGrid positions): sparser files are refused.
    static constexpr long long kMaximumGridPerTrace = 4;
    static constexpr long long kSmallGrid = 4096;

    SegyReader() = default;
    ~SegyReader();
    SegyReader(const SegyReader&) = delete;
    SegyReader& operator=(const SegyReader&) = delete;

    /// Reads the binary header and checks the file's size against it.
    bool open(const std::string& path, std::string* error);
    /// Reads every trace header and derives the grid.
    bool scan(std::string* error);
    /// Samples of trace `index` (file order) as floats.
    bool readTrace(long long index, float* out, std::string* error);

    bool littleEndian() const { return m_littleEndian; }
    int format() const { return m_format; }
    int revision() const { return m_revision; }
    int samples() const { return m_samples; }
    /// Sample interval in milliseconds (or metres / feet in depth).
    double interval() const { return m_interval; }
    /// First sample's time (or depth) with the delay scalar applied.
    double delay() const { return m_delay; }
    /// 1 metres, 2 feet (binary header bytes 3255-3256; else 1).
    int measurementSystem() const { return m_measurementSystem; }
    long long traceCount() const { return m_traceCount; }
    const std::vector<Trace>& traces() const { return m_traces; }
    const Grid& grid() const { return m_grid; }

    /// Name of a SEG-Y sample format code ("IBM float", ...), "" when unknown.
    static const char* formatName(int format);

private:
    bool deriveGrid(std::string* error);

    std::string m_path;
    segy_file_handle* m_file = nullptr;
    bool m_littleEndian = false;
    int m_format = 0;
    int m_revision = 0;
    int m_samples = 0;
    int m_elementBytes = 4;
    double m_interval = 0.0;
    double m_delay = 0.0;
    int m_measurementSystem = 1;
    long long m_trace0 = 3600;
    int m_additionalHeaders = 0;
    long long m_traceBytes = 0; // whole trace: headers and samples
    long long m_traceCount = 0;
    std::vector<Trace> m_traces;
    Grid m_grid;
    std::vector<char> m_buffer;
};
