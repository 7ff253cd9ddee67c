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

/// Whether rounding the value could go either way within the tolerance.
bool nearHalf(double value)
{
    const double magnitude = std::fabs(value);
    return std::fabs(magnitude - std::floor(magnitude) - 0.5) < ZRHorizonPlacement::HalfTolerance;
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
        count += ZR3DHorizon::isNull(values[n]) ? 0 : 1;
    return count;
}

qint64 ZRHorizonPlacement::nodesSet() const
{
    qint64 count = 0;
    for (float value : m_grid)
        count += value == NullValue ? 0 : 1;
    return count;
}

void ZRHorizonPlacement::put(double line, double trace, float value)
{
    const double roundedLine = std::round(line);
    const double roundedTrace = std::round(trace);
    if (!(roundedLine >= m_range.firstLine && roundedLine <= m_range.lastLine && roundedTrace >= m_range.firstTrace
          && roundedTrace <= m_range.lastTrace)) {
        ++m_outside;
        return;
    }
    const std::size_t slot = std::size_t(int(roundedLine) - m_range.firstLine) * std::size_t(columns())
                             + std::size_t(int(roundedTrace) - m_range.firstTrace);
    m_grid[slot] = value;
    m_minimum = std::min(m_minimum, value);
    m_maximum = std::max(m_maximum, value);
    ++m_placed;
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
    qint64 index = m_seen;
    for (int j = 0; j < height; ++j) {
        const float* row = values + std::size_t(j) * std::size_t(width);
        const double lineOfRow = affine.line[0] + affine.line[2] * j;
        const double traceOfRow = affine.trace[0] + affine.trace[2] * j;
        for (int i = 0; i < width; ++i) {
            const float value = row[i];
            if (ZR3DHorizon::isNull(value))
                continue;
            if (index % step == 0 && progress && !progress(index)) {
                m_seen = index;
                return false;
            }
            ++index;
            double line = 0.0;
            double trace = 0.0;
            bool located = false;
            if (m_derived) {
                line = lineOfRow + affine.line[1] * i;
                trace = traceOfRow + affine.trace[1] * i;
                located = std::isfinite(line) && std::isfinite(trace) && !nearHalf(line) && !nearHalf(trace);
            }
            if (!located) {
                int status = 0;
                if (!exactPosition(horizon, i, j, metresPerX, metresPerY, position, &line, &trace, &status)) {
                    ++m_withoutPosition;
                    m_failures.insert(status);
                    continue;
                }
            }
            put(line, trace, float(double(value)));
        }
    }
    m_seen = index;
    return true;
}
