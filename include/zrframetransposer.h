#pragma once

#include <cstddef>

/// Transposes sample frames between the in-memory image order (rows of
/// samples) and the trace order of host volume files.
///
/// `source` holds `rows` × `columns` elements row by row; `target` receives
/// `columns` × `rows` elements with target[c × rows + r] = source[r × columns + c].
/// The buffers must not overlap.
class ZRFrameTransposer
{
public:
    /// 32-bit floats, in staged tiles of 64 × 64 written with 4 × 4 transposes, spread over `threads` OpenMP threads;
    /// `threads` 0 lets the frame size decide (see threadsFor).
    static void transposeFloats(const float* source, float* target, int rows, int columns, int threads = 0);

    /// Any element size (1, 2, 4 or 8 bytes; others fall back to a byte copy per element), one thread.
    static void transpose(const void* source, void* target, int rows, int columns, int bytesPerElement);

    /// Threads worth using for a frame of `frameBytes`: one below
    /// parallelThresholdBytes(), where a second thread costs more than it saves.
    static int threadsFor(std::size_t frameBytes);

    /// Frames at least this large are spread over several threads.
    static std::size_t parallelThresholdBytes();

    /// Forces the thread count of the automatic choice (0 restores it); for measurements.
    static void setThreadCountOverride(int threads);
};
