#pragma once

#include <string>

struct gdi3dSurvey_t;

/// The grid of a 3D survey in the convention of the seismic calls (control
/// block, dm3dnx_, dm3dtr_, reads and writes alike):
/// - grid y counts lines from the survey's first line: y = 1 is the first line,
///   y = 2 the next one towards the last line (the first line may be the larger
///   number); grid x counts traces from the survey's first trace the same way;
/// - in a survey whose orientation keyword is not "TRACE" the two exchange:
///   grid x counts lines and grid y counts traces.
/// Line and trace steps come from the first and last numbers and the counts
/// (or, without counts, from the increments), so lines 100, 102, ... are
/// neighbours on the grid.
class SurveyGrid
{
public:
    SurveyGrid() = default;
    explicit SurveyGrid(const gdi3dSurvey_t& survey);

    bool isTraceOriented() const { return m_traceOriented; }
    long long lineCount() const { return m_lines.count; }
    long long traceCount() const { return m_traces.count; }
    double lineStep() const { return m_lines.step; }
    double traceStep() const { return m_traces.step; }

    /// Line number of a line index (0 = the survey's first line) and back;
    /// lineIndex rounds to the nearest index.
    double lineNumber(long long index) const { return m_lines.first + static_cast<double>(index) * m_lines.step; }
    double traceNumber(long long index) const { return m_traces.first + static_cast<double>(index) * m_traces.step; }
    long long lineIndex(double line) const;
    long long traceIndex(double trace) const;

    /// Grid coordinates of line and trace indexes and back.
    void gridOf(long long lineIndex, long long traceIndex, long long* x, long long* y) const;
    void indexesOf(long long x, long long y, long long* lineIndex, long long* traceIndex) const;

private:
    struct Axis
    {
        double first = 0.0;
        double step = 1.0;
        long long count = 1;
    };
    static Axis axisOf(double first, double last, int count, double increment);

    bool m_traceOriented = true;
    Axis m_lines;
    Axis m_traces;
};
