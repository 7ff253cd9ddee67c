#include "zrframetransposer.h"

#include <omp.h>

#include <algorithm>
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

/// Measurement of one frame size: untimed warm-up, then turns 2, 1, 2, 1.
struct ThreadMeasurement
{
    int framesSeen = 0;
    int chosen = 0;
    double best[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
};

constexpr int kWarmUpFrames = 1;
constexpr int kTimedFramesPerCount = 2;

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

/// The count the frame after `framesSeen` frames takes while measuring.
int turnOf(int framesSeen)
{
    if (framesSeen < kWarmUpFrames)
        return 1;
    return (framesSeen - kWarmUpFrames) % 2 == 0 ? 2 : 1;
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
    const ThreadMeasurement& measurement = measurements()[frameBytes];
    return measurement.chosen > 0 ? measurement.chosen : turnOf(measurement.framesSeen);
}

void ZRFrameTransposer::recordFrameTime(std::size_t frameBytes, int threads, double seconds)
{
    if (threadCountOverride.load() != 0 || !measurable(frameBytes))
        return;
    std::lock_guard<std::mutex> lock(measurementMutex());
    ThreadMeasurement& measurement = measurements()[frameBytes];
    // A frame out of turn (another writer of the same size) does not count.
    if (measurement.chosen > 0 || threads != turnOf(measurement.framesSeen))
        return;
    if (measurement.framesSeen >= kWarmUpFrames)
        measurement.best[threads - 1] = std::min(measurement.best[threads - 1], seconds);
    ++measurement.framesSeen;
    if (measurement.framesSeen >= kWarmUpFrames + 2 * kTimedFramesPerCount)
        measurement.chosen = measurement.best[1] < measurement.best[0] ? 2 : 1;
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
    const auto transposeStrip = [&](int chunk) {
        const int first = chunk * strip;
        const int last = std::min(columns, first + strip);
        for (int column0 = first; column0 < last; column0 += kTile)
            for (int row0 = 0; row0 < rows; row0 += kTile)
                transposeTile(source, target, rows, columns, row0, column0);
    };
    const auto writeStrip = [&](int chunk) {
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

    // Two threads: this one transposes strip after strip, a writer thread
    // writes each finished strip. The writer sleeps while it waits (no
    // spinning thread is left behind to slow whatever the caller does next).
    std::mutex mutex;
    std::condition_variable finished;
    int ready = 0;
    std::atomic<bool> failed{false};
    std::thread writer;
    const auto writeAll = [&] {
        for (int chunk = 0; chunk < chunks; ++chunk) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                finished.wait(lock, [&] { return ready > chunk; });
            }
            if (!writeStrip(chunk)) {
                failed = true;
                return;
            }
        }
    };
    try {
        writer = std::thread(writeAll);
    } catch (const std::system_error&) {
        // No thread to be had: the whole frame, then one write.
        for (int chunk = 0; chunk < chunks; ++chunk)
            transposeStrip(chunk);
        return write(0, frameBytes);
    }
    for (int chunk = 0; chunk < chunks && !failed.load(std::memory_order_relaxed); ++chunk) {
        transposeStrip(chunk);
        {
            std::lock_guard<std::mutex> lock(mutex);
            ready = chunk + 1;
        }
        finished.notify_one();
    }
    writer.join();
    return !failed;
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
