#pragma once

#include <QtGlobal>

#include <functional>
#include <set>
#include <vector>

class ZR3DHorizon;

/// The grid an OpenWorks survey receives from a host horizon: every non-null
/// node of the horizon, taken as its world point (map x, value, map y) in the
/// order of the world point array (rows of the horizon's grid, columns
/// fastest), is located in the survey by its fractional line and trace
/// numbers, rounded to the nearest whole numbers (halves away from zero);
/// inside the survey's line and trace ranges it sets that node of the grid (a
/// later point on the same node overwrites an earlier one) and widens the data
/// range; outside it is dropped.
///
/// The grid holds (lastLine - firstLine + 1) rows of (lastTrace - firstTrace +
/// 1) floats, from firstLine, traces fastest; nodes without a point keep the
/// OpenWorks null value 1.0e37. The data range starts at the placeholders
/// 3.40282347e38 (minimum) and 1.17549435e-38 (maximum), which a horizon
/// without any point inside the survey keeps.
///
/// The survey position of a map point comes from a function (rwtoin_ on the
/// survey's 3D project, or the map of a survey still to be made). Asking it
/// for every node costs one DevKit call per node; when the horizon's grid and
/// the survey's map are both affine, so is the composed map from horizon node
/// to survey line and trace, and place() derives it from three calls at far
/// corners of the horizon's grid, checks it with two more (the fourth corner
/// and the centre, within ExactnessTolerance of a line or trace), and computes
/// each node's position from it; a node whose computed line or trace lies
/// within HalfTolerance of a half (where rounding could go either way) is
/// asked for again through the function, so the grid is the one that asking
/// for every node gives. When the derivation or its check fails, every node is
/// asked for.
class ZRHorizonPlacement
{
public:
    static constexpr float NullValue = 1.0e37f;
    static constexpr float MinimumPlaceholder = 3.40282347e38f;
    static constexpr float MaximumPlaceholder = 1.17549435e-38f;
    /// Largest difference, in lines or traces, between the derived map and the
    /// function at the check points for the derived map to be used.
    static constexpr double ExactnessTolerance = 1e-7;
    /// Distance from a half under which a derived position is asked for again.
    static constexpr double HalfTolerance = 1e-6;

    struct Range
    {
        int firstLine = 0;
        int lastLine = 0;
        int firstTrace = 0;
        int lastTrace = 0;
    };

    /// The fractional line and trace of a map position (x, y already in the
    /// survey's map unit). False with *status set when there is none.
    using SurveyPosition = std::function<bool(double x, double y, double* line, double* trace, int* status)>;
    /// Called before point `index` (0, step, 2 × step, ...); false stops the placement.
    using Progress = std::function<bool(qint64 index)>;

    explicit ZRHorizonPlacement(const Range& range);

    /// Allocates the grid, every node at NullValue; false when the memory is missing.
    bool allocate();

    /// Places the non-null nodes of the horizon. Map x and y of a world point
    /// (metres) are divided by metresPerX and metresPerY (what one unit of the
    /// survey's map x and y is in metres) before they are located. progress is called every `step` points (step at least
    /// 1). False when progress stopped it (the grid then holds the points
    /// placed so far).
    bool place(const ZR3DHorizon& horizon, double metresPerX, double metresPerY, const SurveyPosition& position, qint64 step,
               const Progress& progress);

    const Range& range() const { return m_range; }
    int columns() const { return m_range.lastTrace - m_range.firstTrace + 1; }
    int rows() const { return m_range.lastLine - m_range.firstLine + 1; }
    std::vector<float>& grid() { return m_grid; }
    const std::vector<float>& grid() const { return m_grid; }

    float minimum() const { return m_minimum; }
    float maximum() const { return m_maximum; }
    /// Whether some point landed inside the survey (the range is not the placeholders').
    bool hasRange() const { return m_placed > 0; }

    /// Non-null nodes of the horizon (the world point array's size).
    static qint64 pointCount(const ZR3DHorizon& horizon);

    qint64 pointsSeen() const { return m_seen; }
    qint64 pointsPlaced() const { return m_placed; }
    qint64 pointsOutside() const { return m_outside; }
    qint64 pointsWithoutPosition() const { return m_withoutPosition; }
    /// Statuses of the position function's failures, each once.
    const std::set<int>& positionFailures() const { return m_failures; }
    /// Grid nodes that hold a value.
    qint64 nodesSet() const;
    /// Whether the derived map was used (else every node was asked for).
    bool usedDerivedMap() const { return m_derived; }
    /// Calls made to the position function.
    qint64 positionCalls() const { return m_calls; }

private:
    struct Affine
    {
        double line[3] = {}; ///< line = line[0] + line[1] × i + line[2] × j
        double trace[3] = {};
    };

    bool exactPosition(const ZR3DHorizon& horizon, int i, int j, double metresPerX, double metresPerY,
                       const SurveyPosition& position, double* line, double* trace, int* status);
    bool derive(const ZR3DHorizon& horizon, double metresPerX, double metresPerY, const SurveyPosition& position,
                Affine* affine);
    /// The grid slot of a located point (rounded half away from zero), or -1 outside the survey.
    std::ptrdiff_t slotOf(double line, double trace) const;
    static bool isNullNode(float value) { return value == -9999.0f || value != value; }

    Range m_range;
    std::vector<float> m_grid;
    float m_minimum = MinimumPlaceholder;
    float m_maximum = MaximumPlaceholder;
    qint64 m_seen = 0;
    qint64 m_placed = 0;
    qint64 m_outside = 0;
    qint64 m_withoutPosition = 0;
    qint64 m_calls = 0;
    std::set<int> m_failures;
    bool m_derived = false;
};
