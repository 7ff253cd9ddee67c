#pragma once

#include <cstddef>
#include <functional>

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
    /// `threads` 0 takes threadsFor().
    static void transposeFloats(const float* source, float* target, int rows, int columns, int threads = 0);

    /// Transposes like transposeFloats and hands the target to `write` as it
    /// fills, in order, as consecutive byte ranges (offset from the start of the
    /// target, length) of whole target rows, about pipelineChunkBytes() each:
    /// with two threads, the calling thread transposes while a writer thread
    /// (one for the process, asleep between frames) writes the ranges already
    /// done, so that the transposition hides behind the write; with `threads` 1 (or a target of one range) the whole target
    /// is transposed on the calling thread and handed over as one range. Stops
    /// at the first range that `write` refuses (returns false) and returns
    /// false then.
    static bool transposeFloatsAndWrite(const float* source, float* target, int rows, int columns, int threads,
                                        const std::function<bool(std::size_t offset, std::size_t bytes)>& write);
    /// Size of the ranges transposeFloatsAndWrite hands over for a frame of
    /// `frameBytes` with two threads: an eighth of it, at least 128 KiB
    /// (rounded up to whole strips of 64 target rows).
    static std::size_t pipelineChunkBytes(std::size_t frameBytes);

    /// Any element size (1, 2, 4 or 8 bytes; others fall back to a byte copy per element), one thread.
    static void transpose(const void* source, void* target, int rows, int columns, int bytesPerElement);

    /// Threads for transposeFloats with `threads` 0 (callers that do not time
    /// their frames, such as readers): the override when set, else one.
    static int threadsFor(std::size_t frameBytes);

    /// The measured choice, for writers that time each frame (transposition and
    /// write together: with two threads the write overlaps the transposition,
    /// and an idle worker thread can slow what follows): the thread count for
    /// the next frame of `frameBytes`. For each
    /// frame size, in the process, the first frame runs on one thread untimed,
    /// the next four take turns with two threads and one, and once each count
    /// has been timed twice (recordFrameTime) the faster is kept for the next
    /// 64 frames of that size, after which four frames take turns again (the
    /// machine's load changes). Frames below measuredThresholdBytes(), and
    /// machines with one thread, use one thread without measuring.
    static int threadsForNextFrame(std::size_t frameBytes);
    /// How long a frame written with threadsForNextFrame()'s count took.
    static void recordFrameTime(std::size_t frameBytes, int threads, double seconds);
    /// The count last chosen for frames of `frameBytes`; 0 before the first choice.
    static int chosenThreads(std::size_t frameBytes);
    /// Frames smaller than this use one thread without measuring.
    static std::size_t measuredThresholdBytes();
    /// Forgets every measured choice (tests and benchmarks).
    static void resetMeasurements();

    /// Forces the thread count of the automatic choice (0 restores it); for measurements.
    static void setThreadCountOverride(int threads);
};
