#include "zrframetransposer.h"

#include <omp.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace
{

// Tiles of up to 64 × 64 elements are first copied into a small contiguous
// buffer, so that source rows with a power-of-two stride do not fight over the
// same cache sets, then written out with 4 × 4 transposes, four target rows at
// a time, each target row receiving its 64 consecutive samples (four whole
// cache lines) before the next four rows start.
constexpr int kTile = 64;

inline void transposeTile(const float* source, float* target, int rows, int columns, int row0, int column0)
{
    const int height = std::min(kTile, rows - row0);
    const int width = std::min(kTile, columns - column0);
    alignas(64) float tile[kTile][kTile];
    for (int r = 0; r < height; ++r)
        std::memcpy(tile[r], source + std::size_t(row0 + r) * std::size_t(columns) + std::size_t(column0),
                    std::size_t(width) * sizeof(float));
    const int width4 = width & ~3;
    const int height4 = height & ~3;
    const std::size_t stride = std::size_t(rows);
    for (int c = 0; c < width4; c += 4) {
        float* out = target + std::size_t(column0 + c) * stride + std::size_t(row0);
        int r = 0;
#if defined(__SSE2__)
        for (; r < height4; r += 4) {
            __m128 a = _mm_load_ps(&tile[r][c]);
            __m128 b = _mm_load_ps(&tile[r + 1][c]);
            __m128 d = _mm_load_ps(&tile[r + 2][c]);
            __m128 e = _mm_load_ps(&tile[r + 3][c]);
            _MM_TRANSPOSE4_PS(a, b, d, e);
            _mm_storeu_ps(out + r, a);
            _mm_storeu_ps(out + stride + std::size_t(r), b);
            _mm_storeu_ps(out + 2 * stride + std::size_t(r), d);
            _mm_storeu_ps(out + 3 * stride + std::size_t(r), e);
        }
#endif
        for (; r < height; ++r)
            for (int q = 0; q < 4; ++q)
                out[std::size_t(q) * stride + std::size_t(r)] = tile[r][c + q];
    }
    for (int c = width4; c < width; ++c) {
        float* out = target + std::size_t(column0 + c) * stride + std::size_t(row0);
        for (int r = 0; r < height; ++r)
            out[r] = tile[r][c];
    }
}

/// Waits until `done()`: first by spinning for up to 100 µs (a strip is
/// usually that close), yielding now and then, then asleep on `changed` with
/// `sleeping` set, so that the other side knows to wake it.
template <typename Predicate>
void waitFor(const Predicate& done, std::mutex& mutex, std::condition_variable& changed, std::atomic<bool>& sleeping)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::microseconds(100);
    for (int spins = 1; !done(); ++spins) {
#if defined(__SSE2__)
        _mm_pause();
#endif
        if (spins % 64 != 0)
            continue;
        // The other side may be waiting for this CPU (a busy machine).
        std::this_thread::yield();
        if (std::chrono::steady_clock::now() > limit) {
            std::unique_lock<std::mutex> lock(mutex);
            sleeping = true;
            changed.wait(lock, done);
            sleeping = false;
            return;
        }
    }
}

/// Wakes a side that waitFor() put to sleep.
void wake(std::mutex& mutex, std::condition_variable& changed, const std::atomic<bool>& sleeping)
{
    if (sleeping) {
        std::lock_guard<std::mutex> lock(mutex);
        changed.notify_all();
    }
}

/// One thread, started on first use and kept for the process, that writes the
/// strips of a frame while the calling thread transposes the next ones. It
/// waits for a strip by spinning briefly, then sleeps (as it does between
/// frames), so that no spinning thread slows what the caller does next. One
/// frame at a time goes through it.
class StripWriter
{
public:
    /// The process's strip writer; null when no thread can be started.
    static StripWriter* instance()
    {
        static StripWriter writer;
        return writer.m_thread.joinable() ? &writer : nullptr;
    }

    ~StripWriter()
    {
        m_stop = true;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_writerChanged.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    /// Transposes strips 0 to chunks - 1 in order on the calling thread; the
    /// writer writes each strip once it is transposed. Stops at the first strip
    /// that cannot be written; true when every strip was written.
    bool run(int chunks, const std::function<void(int)>& transposeStrip, const std::function<bool(int)>& writeStrip)
    {
        std::lock_guard<std::mutex> session(m_sessionMutex);
        m_failed = false;
        m_written = 0;
        m_ready = 0;
        m_writeStrip = &writeStrip;
        for (int chunk = 0; chunk < chunks && !m_failed; ++chunk) {
            transposeStrip(chunk);
            m_ready = chunk + 1;
            wake(m_mutex, m_writerChanged, m_writerSleeping);
        }
        const int ready = m_ready;
        waitFor([&] { return m_failed || m_written == ready; }, m_mutex, m_callerChanged, m_callerSleeping);
        m_writeStrip = nullptr;
        return !m_failed && m_written == chunks;
    }

private:
    StripWriter()
    {
        try {
            m_thread = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
        }
    }

    void loop()
    {
        const auto work = [&] { return m_stop || (m_writeStrip && !m_failed && m_written < m_ready); };
        for (;;) {
            waitFor(work, m_mutex, m_writerChanged, m_writerSleeping);
            if (m_stop)
                return;
            const int chunk = m_written;
            if ((*m_writeStrip.load())(chunk))
                m_written = chunk + 1;
            else
                m_failed = true;
            wake(m_mutex, m_callerChanged, m_callerSleeping);
        }
    }

    std::mutex m_sessionMutex;
    std::mutex m_mutex;
    std::condition_variable m_writerChanged;
    std::condition_variable m_callerChanged;
    std::atomic<bool> m_writerSleeping{false};
    std::atomic<bool> m_callerSleeping{false};
    std::atomic<const std::function<bool(int)>*> m_writeStrip{nullptr};
    std::atomic<int> m_ready{0};
    std::atomic<int> m_written{0};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::atomic<int> threadCountOverride{0};

template <typename T>
void transposePlain(const T* source, T* target, int rows, int columns)
{
    for (int r = 0; r < rows; ++r) {
        const T* in = source + std::size_t(r) * std::size_t(columns);
        for (int c = 0; c < columns; ++c)
            target[std::size_t(c) * std::size_t(rows) + std::size_t(r)] = in[c];
    }
}

} // namespace

namespace
{

/// Measurement of one frame size: an untimed warm-up frame, then turns of two
/// threads and one (2, 1, 2, 1), then the faster count for kRemeasureEvery
/// frames, then turns again.
struct ThreadMeasurement
{
    bool warmedUp = false;
    bool measuring = true;
    int turn = 0;
    int chosen = 0;
    int framesSinceChoice = 0;
    double best[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
};

constexpr int kTimedFramesPerCount = 2;
constexpr int kRemeasureEvery = 64;

std::mutex& measurementMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::size_t, ThreadMeasurement>& measurements()
{
    static std::map<std::size_t, ThreadMeasurement> table;
    return table;
}

bool measurable(std::size_t frameBytes)
{
    return frameBytes >= ZRFrameTransposer::measuredThresholdBytes() && omp_get_max_threads() >= 2;
}

/// The count the next frame takes.
int turnOf(const ThreadMeasurement& measurement)
{
    if (!measurement.measuring)
        return measurement.chosen;
    if (!measurement.warmedUp)
        return 1;
    return measurement.turn % 2 == 0 ? 2 : 1;
}

} // namespace

std::size_t ZRFrameTransposer::measuredThresholdBytes()
{
    return std::size_t(256) << 10;
}

void ZRFrameTransposer::setThreadCountOverride(int threads)
{
    threadCountOverride = std::max(0, threads);
}

int ZRFrameTransposer::threadsFor(std::size_t)
{
    if (const int forced = threadCountOverride.load())
        return forced;
    return 1;
}

int ZRFrameTransposer::threadsForNextFrame(std::size_t frameBytes)
{
    if (const int forced = threadCountOverride.load())
        return forced;
    if (!measurable(frameBytes))
        return 1;
    std::lock_guard<std::mutex> lock(measurementMutex());
    return turnOf(measurements()[frameBytes]);
}

void ZRFrameTransposer::recordFrameTime(std::size_t frameBytes, int threads, double seconds)
{
    if (threadCountOverride.load() != 0 || !measurable(frameBytes))
        return;
    std::lock_guard<std::mutex> lock(measurementMutex());
    ThreadMeasurement& measurement = measurements()[frameBytes];
    // A frame out of turn (another writer of the same size) does not count.
    if (threads != turnOf(measurement))
        return;
    if (!measurement.measuring) {
        // The load of the machine changes: measure again now and then.
        if (++measurement.framesSinceChoice >= kRemeasureEvery) {
            measurement.measuring = true;
            measurement.turn = 0;
            measurement.best[0] = measurement.best[1] = std::numeric_limits<double>::infinity();
        }
        return;
    }
    if (!measurement.warmedUp) {
        measurement.warmedUp = true;
        return;
    }
    measurement.best[threads - 1] = std::min(measurement.best[threads - 1], seconds);
    if (++measurement.turn >= 2 * kTimedFramesPerCount) {
        measurement.chosen = measurement.best[1] < measurement.best[0] ? 2 : 1;
        measurement.measuring = false;
        measurement.framesSinceChoice = 0;
    }
}

int ZRFrameTransposer::chosenThreads(std::size_t frameBytes)
{
    if (!measurable(frameBytes))
        return 1;
    std::lock_guard<std::mutex> lock(measurementMutex());
    const auto found = measurements().find(frameBytes);
    return found == measurements().end() ? 0 : found->second.chosen;
}

void ZRFrameTransposer::resetMeasurements()
{
    std::lock_guard<std::mutex> lock(measurementMutex());
    measurements().clear();
}

void ZRFrameTransposer::transposeFloats(const float* source, float* target, int rows, int columns, int threads)
{
    if (rows <= 0 || columns <= 0)
        return;
    if (threads <= 0)
        threads = threadsFor(std::size_t(rows) * std::size_t(columns) * sizeof(float));
    const int columnTiles = (columns + kTile - 1) / kTile;
    if (threads == 1) {
        for (int ct = 0; ct < columnTiles; ++ct)
            for (int row0 = 0; row0 < rows; row0 += kTile)
                transposeTile(source, target, rows, columns, row0, ct * kTile);
        return;
    }
    // Each thread fills whole target rows (one column strip of the source).
#pragma omp parallel for num_threads(threads) schedule(static)
    for (int ct = 0; ct < columnTiles; ++ct)
        for (int row0 = 0; row0 < rows; row0 += kTile)
            transposeTile(source, target, rows, columns, row0, ct * kTile);
}

std::size_t ZRFrameTransposer::pipelineChunkBytes(std::size_t frameBytes)
{
    // About eight parts, so that the first (transposed before any write starts)
    // and the last (written after the transposition ends) stay small.
    return std::max(frameBytes / 8, std::size_t(128) << 10);
}

bool ZRFrameTransposer::transposeFloatsAndWrite(const float* source, float* target, int rows, int columns, int threads,
                                                const std::function<bool(std::size_t, std::size_t)>& write)
{
    if (rows <= 0 || columns <= 0)
        return true;
    // A range is a strip of source columns (target rows), whole tiles wide.
    const std::size_t rowBytes = std::size_t(rows) * sizeof(float);
    const std::size_t frameBytes = std::size_t(columns) * rowBytes;
    int strip = int(std::min<std::size_t>(std::size_t(columns), std::max<std::size_t>(1, pipelineChunkBytes(frameBytes) / rowBytes)));
    strip = std::min(columns, (strip + kTile - 1) / kTile * kTile);
    const int chunks = (columns + strip - 1) / strip;
    const std::function<void(int)> transposeStrip = [&](int chunk) {
        const int first = chunk * strip;
        const int last = std::min(columns, first + strip);
        for (int column0 = first; column0 < last; column0 += kTile)
            for (int row0 = 0; row0 < rows; row0 += kTile)
                transposeTile(source, target, rows, columns, row0, column0);
    };
    const std::function<bool(int)> writeStrip = [&](int chunk) {
        const std::size_t first = std::size_t(chunk) * std::size_t(strip);
        const std::size_t last = std::min(std::size_t(columns), first + std::size_t(strip));
        return write(first * rowBytes, (last - first) * rowBytes);
    };

    // One thread: the whole frame, then one write.
    if (threads < 2 || chunks < 2) {
        for (int chunk = 0; chunk < chunks; ++chunk)
            transposeStrip(chunk);
        return write(0, frameBytes);
    }

    // Two threads: this one transposes strip after strip while the strip
    // writer writes each finished strip.
    StripWriter* writer = StripWriter::instance();
    if (!writer) {
        for (int chunk = 0; chunk < chunks; ++chunk)
            transposeStrip(chunk);
        return write(0, frameBytes);
    }
    return writer->run(chunks, transposeStrip, writeStrip);
}

void ZRFrameTransposer::transpose(const void* source, void* target, int rows, int columns, int bytesPerElement)
{
    if (rows <= 0 || columns <= 0)
        return;
    switch (bytesPerElement) {
    case 1:
        transposePlain(static_cast<const std::uint8_t*>(source), static_cast<std::uint8_t*>(target), rows, columns);
        return;
    case 2:
        transposePlain(static_cast<const std::uint16_t*>(source), static_cast<std::uint16_t*>(target), rows, columns);
        return;
    case 4:
        transposePlain(static_cast<const std::uint32_t*>(source), static_cast<std::uint32_t*>(target), rows, columns);
        return;
    case 8:
        transposePlain(static_cast<const std::uint64_t*>(source), static_cast<std::uint64_t*>(target), rows, columns);
        return;
    default:
        break;
    }
    const auto* in = static_cast<const char*>(source);
    auto* out = static_cast<char*>(target);
    const std::size_t size = std::size_t(bytesPerElement);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            std::memcpy(out + (std::size_t(c) * std::size_t(rows) + std::size_t(r)) * size,
                        in + (std::size_t(r) * std::size_t(columns) + std::size_t(c)) * size, size);
}
