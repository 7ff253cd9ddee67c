#include "zrframetransposer.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

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

std::size_t ZRFrameTransposer::parallelThresholdBytes()
{
    // Measured on two cores (frames of 4, 11 and 64 MiB written to a 1 GiB
    // volume): a second thread made every volume write slower, because the idle
    // OpenMP worker keeps spinning through the write that follows the
    // transposition. Only frames larger than any measured use two threads.
    return std::size_t(128) << 20;
}

void ZRFrameTransposer::setThreadCountOverride(int threads)
{
    threadCountOverride = std::max(0, threads);
}

int ZRFrameTransposer::threadsFor(std::size_t frameBytes)
{
    if (const int forced = threadCountOverride.load())
        return forced;
    if (frameBytes < parallelThresholdBytes())
        return 1;
    return std::max(1, std::min(2, omp_get_max_threads()));
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
