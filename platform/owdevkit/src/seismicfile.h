#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// One seismic data set file: a SEG-Y file (rev 1, big-endian IEEE floats,
/// format 5) holding every trace of a grid of lines and traces, lines in
/// ascending line number and, in each line, traces in ascending trace number.
/// Trace headers carry the line number (inline, byte 189), the trace number
/// (crossline, byte 193), CDP X/Y (181/185, scalar at 71), the sample count
/// and interval (115/117) and the delay (109, its scalar at 215). Created
/// empty and sparse: a trace never written has identification code 0 (byte
/// 29) and reads as absent.
///
/// Positions are file indexes: line 0 is the smallest line number, trace 0
/// the smallest trace number. Reads map the file a window of whole lines at a
/// time (about 32 MiB; two windows stay mapped) and convert each trace's
/// samples straight from the mapped pages into the caller's buffer in one
/// vectorised pass. Writes collect the
/// traces of one line (or of a run of a very long line) in a reused buffer and
/// write it with one system call (one per run of written traces) when another
/// line is written, on flush() and on close().
class SeismicFile
{
public:
    struct Geometry
    {
        long long lineCount = 0;
        long long traceCount = 0;
        double firstLine = 0.0;  ///< line number of file line 0
        double lineStep = 1.0;   ///< > 0
        double firstTrace = 0.0; ///< trace number of file trace 0
        double traceStep = 1.0;  ///< > 0
        int samples = 0;
        double start = 0.0;    ///< first sample: time in ms, or depth in the file's length unit
        double interval = 0.0; ///< sample interval in the same unit
        int measurementSystem = 1; ///< binary header: 1 metres, 2 feet

        /// False with a reason when the grid is empty, the numbers do not fit
        /// the 32-bit header fields or the file would exceed kMaxFileBytes.
        bool check(std::string* why) const;
        long long traceBytes() const { return 240LL + 4LL * samples; }
        /// Valid once check() passed.
        long long lineBytes() const { return traceBytes() * traceCount; }
        long long fileBytes() const { return 3600LL + lineBytes() * lineCount; }
        int lineNumber(long long line) const;
        int traceNumber(long long trace) const;
    };

    static constexpr int kMaxSamples = 1000000;
    static constexpr long long kMaxFileBytes = 1LL << 46; // 64 TiB

    /// Map position (in the project's X/Y unit) of a line and trace number,
    /// for the CDP X / Y of written traces.
    using Locator = std::function<void(double line, double trace, double* mapX, double* mapY)>;

    /// System calls that moved trace data since the process started: reads
    /// (mappings of windows of files opened for reading, and reads of single
    /// traces where a window could not be mapped or a partial trace is rewritten) and
    /// writes (runs of written traces, and the headers of new files).
    struct IoCounts
    {
        long long reads = 0;
        long long writes = 0;
    };
    static IoCounts ioCounts();

    SeismicFile() = default;
    ~SeismicFile();
    SeismicFile(const SeismicFile&) = delete;
    SeismicFile& operator=(const SeismicFile&) = delete;

    /// Writes the headers of a new, empty (sparse) file of the whole grid.
    static bool create(const std::string& path, const Geometry& geometry, std::string* error);

    /// Opens for reading; false when the file does not match the geometry.
    bool openRead(const std::string& path, const Geometry& geometry, std::string* error);
    /// Opens for writing (and reading back what was written).
    bool openWrite(const std::string& path, const Geometry& geometry, const Locator& locator, std::string* error);
    /// Writes the pending line and closes; false when that write failed.
    bool close();
    /// Closes without writing the pending line (the file is being deleted).
    void discard();

    bool isOpen() const { return m_fd >= 0; }
    bool isWriting() const { return m_writing; }
    const Geometry& geometry() const { return m_geometry; }
    const std::string& path() const { return m_path; }

    /// Samples firstSample..lastSample (1-based) of a trace: 0 read, 1 absent
    /// (out zero-filled), 9 I/O failure (out zero-filled).
    int readTrace(long long line, long long trace, int firstSample, int lastSample, float* out);
    /// 0 stored in the line buffer (or written), 9 I/O failure.
    int writeTrace(long long line, long long trace, int firstSample, int lastSample, const float* in);
    /// Writes the pending line; false on an I/O failure.
    bool flush();

    /// Range of the finite values written since openWrite (min > max: none).
    float writtenMin() const { return m_min; }
    float writtenMax() const { return m_max; }

private:
    bool open(const std::string& path, const Geometry& geometry, bool write, std::string* error);
    /// Traces held together for writing: the whole line unless lines are very long.
    long long blockWidth() const;
    long long offsetOf(long long line, long long trace) const;
    void fillHeader(unsigned char* header, long long line, long long trace) const;

    Geometry m_geometry;
    std::string m_path;
    int m_fd = -1;
    bool m_writing = false;
    Locator m_locator;
    int16_t m_delay = 0;
    int16_t m_delayScalar = 1;

    /// A run of whole lines of the file mapped for reading.
    struct Window
    {
        long long firstLine = -1;
        long long lineCount = 0;
        long long fileOffset = 0; // page-aligned start of the mapping
        char* base = nullptr;
        size_t length = 0;
        unsigned long long lastUse = 0;
    };
    /// The mapped header of a trace (mapping its window when needed); null
    /// when the window cannot be mapped.
    const char* mappedTrace(long long line, long long trace);
    void unmapWindows();

    Window m_windows[2];
    unsigned long long m_useCounter = 0;
    std::vector<char> m_trace; // a trace read without a mapping

    // The line (or run of a line) being written.
    long long m_pendingLine = -1;
    long long m_pendingFirst = 0;
    long long m_pendingCount = 0;
    std::vector<char> m_pending;
    std::vector<char> m_pendingWritten;

    float m_min = 3.4e38f;
    float m_max = -3.4e38f;
};
