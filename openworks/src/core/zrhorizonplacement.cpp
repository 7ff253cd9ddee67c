#include "zrhorizonplacement.h"

#include "zr3dhorizon.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <new>

namespace
{

/// Sets the floating-point rounding mode to round-to-nearest for a scope and
/// restores the previous mode.
class RoundToNearest
{
public:
    RoundToNearest()
        : m_previous(std::fegetround())
    {
        std::fesetround(FE_TONEAREST);
    }
    ~RoundToNearest() { std::fesetround(m_previous); }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;

private:
    int m_previous;
};

/// The nearest whole number of a value that is not within HalfTolerance of a
/// half (where it is rounding half away from zero too), without a library
/// call; false for a value near a half or too large to round this way.
inline bool roundClearOfHalf(double value, double* rounded)
{
    if (!(value > -1.0e15 && value < 1.0e15))
        return false;
    const double shifted = value + 0.5;
    double floor = double(static_cast<long long>(shifted));
    if (floor > shifted)
        floor -= 1.0;
    const double fraction = shifted - floor;
    if (fraction < ZRHorizonPlacement::HalfTolerance || fraction > 1.0 - ZRHorizonPlacement::HalfTolerance)
        return false;
    *rounded = floor;
    return true;
}

} // namespace

ZRHorizonPlacement::ZRHorizonPlacement(const Range& range)
    : m_range(range)
{
}

bool ZRHorizonPlacement::allocate()
{
    const qint64 size = qint64(std::max(0, columns())) * qint64(std::max(0, rows()));
    try {
        m_grid.assign(std::size_t(size), NullValue);
    } catch (const std::bad_alloc&) {
        m_grid = std::vector<float>();
        return false;
    }
    return true;
}

qint64 ZRHorizonPlacement::pointCount(const ZR3DHorizon& horizon)
{
    const float* values = horizon.valueGrid().data();
    const std::size_t size = horizon.valueGrid().size();
    qint64 count = 0;
    for (std::size_t n = 0; n < size; ++n)
        count += isNullNode(values[n]) ? 0 : 1;
    return count;
}

qint64 ZRHorizonPlacement::nodesSet() const
{
    qint64 count = 0;
    for (float value : m_grid)
        count += value == NullValue ? 0 : 1;
    return count;
}

std::ptrdiff_t ZRHorizonPlacement::slotOf(double line, double trace) const
{
    const double roundedLine = std::round(line);
    const double roundedTrace = std::round(trace);
    if (!(roundedLine >= m_range.firstLine && roundedLine <= m_range.lastLine && roundedTrace >= m_range.firstTrace
          && roundedTrace <= m_range.lastTrace))
        return -1;
    return std::ptrdiff_t(int(roundedLine) - m_range.firstLine) * std::ptrdiff_t(columns())
           + std::ptrdiff_t(int(roundedTrace) - m_range.firstTrace);
}

bool ZRHorizonPlacement::exactPosition(const ZR3DHorizon& horizon, int i, int j, double metresPerX, double metresPerY,
                                       const SurveyPosition& position, double* line, double* trace, int* status)
{
    const core::vec3 point = horizon.worldPoint(i, j);
    ++m_calls;
    *status = 0;
    return position(point.x / metresPerX, point.z / metresPerY, line, trace, status);
}

bool ZRHorizonPlacement::derive(const ZR3DHorizon& horizon, double metresPerX, double metresPerY,
                                const SurveyPosition& position, Affine* affine)
{
    const georef::Matrix4& m = horizon.geometry().fromBlocToWorldMatrix();
    if (m(3, 0) != 0.0 || m(3, 2) != 0.0 || m(3, 3) != 1.0)
        return false;
    const int width = horizon.width();
    const int height = horizon.height();
    if (width < 1 || height < 1)
        return false;
    int status = 0;
    double line0 = 0.0, trace0 = 0.0;
    if (!exactPosition(horizon, 0, 0, metresPerX, metresPerY, position, &line0, &trace0, &status))
        return false;
    affine->line[0] = line0;
    affine->trace[0] = trace0;
    if (width > 1) {
        double line = 0.0, trace = 0.0;
        if (!exactPosition(horizon, width - 1, 0, metresPerX, metresPerY, position, &line, &trace, &status))
            return false;
        affine->line[1] = (line - line0) / double(width - 1);
        affine->trace[1] = (trace - trace0) / double(width - 1);
    }
    if (height > 1) {
        double line = 0.0, trace = 0.0;
        if (!exactPosition(horizon, 0, height - 1, metresPerX, metresPerY, position, &line, &trace, &status))
            return false;
        affine->line[2] = (line - line0) / double(height - 1);
        affine->trace[2] = (trace - trace0) / double(height - 1);
    }
    // The derived map must give what the function gives at the far corner and the centre.
    for (const auto& node : {std::pair<int, int>(width - 1, height - 1), std::pair<int, int>(width / 2, height / 2)}) {
        double line = 0.0, trace = 0.0;
        if (!exactPosition(horizon, node.first, node.second, metresPerX, metresPerY, position, &line, &trace, &status))
            return false;
        const double derivedLine = affine->line[0] + affine->line[1] * node.first + affine->line[2] * node.second;
        const double derivedTrace = affine->trace[0] + affine->trace[1] * node.first + affine->trace[2] * node.second;
        if (!(std::fabs(derivedLine - line) <= ExactnessTolerance && std::fabs(derivedTrace - trace) <= ExactnessTolerance))
            return false;
    }
    return true;
}

bool ZRHorizonPlacement::place(const ZR3DHorizon& horizon, double metresPerX, double metresPerY,
                               const SurveyPosition& position, qint64 step, const Progress& progress)
{
    RoundToNearest roundToNearest;
    step = std::max<qint64>(1, step);
    const int width = horizon.width();
    const int height = horizon.height();
    const float* values = horizon.valueGrid().data();
    Affine affine;
    m_derived = derive(horizon, metresPerX, metresPerY, position, &affine);
    const double firstLine = m_range.firstLine;
    const double lastLine = m_range.lastLine;
    const double firstTrace = m_range.firstTrace;
    const double lastTrace = m_range.lastTrace;
    const std::size_t columnCount = std::size_t(std::max(0, columns()));
    // Counts and range in locals: the grid's stores cannot change them then.
    float* const grid = m_grid.data();
    float minimum = m_minimum;
    float maximum = m_maximum;
    qint64 placed = m_placed;
    qint64 outside = m_outside;
    qint64 index = m_seen;
    qint64 nextProgress = ((index + step - 1) / step) * step;
    bool stopped = false;
    const double lineStep = affine.line[1];
    const double traceStep = affine.trace[1];
    for (int j = 0; j < height && !stopped; ++j) {
        const float* row = values + std::size_t(j) * std::size_t(width);
        const double lineOfRow = affine.line[0] + affine.line[2] * j;
        const double traceOfRow = affine.trace[0] + affine.trace[2] * j;
        for (int i = 0; i < width; ++i) {
            const float value = row[i];
            if (isNullNode(value))
                continue;
            if (index == nextProgress) {
                nextProgress += step;
                if (progress && !progress(index)) {
                    stopped = true;
                    break;
                }
            }
            ++index;
            std::ptrdiff_t slot = -1;
            double line = 0.0;
            double trace = 0.0;
            if (m_derived && roundClearOfHalf(lineOfRow + lineStep * i, &line)
                && roundClearOfHalf(traceOfRow + traceStep * i, &trace)) {
                // The derived position, rounded here: it lies clear of a half.
                if (line >= firstLine && line <= lastLine && trace >= firstTrace && trace <= lastTrace)
                    slot = std::ptrdiff_t(line - firstLine) * std::ptrdiff_t(columnCount)
                           + std::ptrdiff_t(trace - firstTrace);
            } else {
                int status = 0;
                if (!exactPosition(horizon, i, j, metresPerX, metresPerY, position, &line, &trace, &status)) {
                    ++m_withoutPosition;
                    m_failures.insert(status);
                    continue;
                }
                slot = slotOf(line, trace);
            }
            if (slot < 0) {
                ++outside;
                continue;
            }
            grid[slot] = value;
            minimum = value < minimum ? value : minimum;
            maximum = value > maximum ? value : maximum;
            ++placed;
        }
    }
    m_minimum = minimum;
    m_maximum = maximum;
    m_placed = placed;
    m_outside = outside;
    m_seen = index;
    return !stopped;
}
