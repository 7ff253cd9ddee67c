#pragma once

#include <string>

struct gdi3dSurvey_t;
struct gdiSeismicDataSet_t;

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

/// Where one data set lies: its part of the survey grid (grid coordinates of
/// the control block) and its file, which holds its lines in ascending line
/// number and, in each line, its traces in ascending trace number.
class DataSetGrid
{
public:
    /// From a data set record (its line and trace ranges) in its survey.
    static DataSetGrid fromRecord(const SurveyGrid& survey, const gdiSeismicDataSet_t& dataSet);
    /// From a range of grid coordinates; false (with *error) when the range is
    /// empty, reversed or leaves the 32-bit range.
    static bool fromGridRange(const SurveyGrid& survey, long long firstX, long long lastX, long long firstY,
                              long long lastY, DataSetGrid* grid, std::string* error);

    long long firstX() const { return m_firstX; }
    long long lastX() const { return m_lastX; }
    long long firstY() const { return m_firstY; }
    long long lastY() const { return m_lastY; }
    bool contains(long long x, long long y) const
    {
        return x >= m_firstX && x <= m_lastX && y >= m_firstY && y <= m_lastY;
    }
    /// The grid range as 32-bit values fit the control block.
    bool fitsControlBlock() const;

    long long lineCount() const { return m_lastLineIndex - m_firstLineIndex + 1; }
    long long traceCount() const { return m_lastTraceIndex - m_firstTraceIndex + 1; }
    /// Smallest line / trace number and the (positive) steps of the file.
    double fileFirstLine() const;
    double fileFirstTrace() const;
    double fileLineStep() const;
    double fileTraceStep() const;
    /// Ranges for the data set record (ascending).
    double inlineMin() const { return fileFirstLine(); }
    double inlineMax() const { return fileFirstLine() + static_cast<double>(lineCount() - 1) * fileLineStep(); }
    double xlineMin() const { return fileFirstTrace(); }
    double xlineMax() const { return fileFirstTrace() + static_cast<double>(traceCount() - 1) * fileTraceStep(); }

    /// Line and trace index in the file of grid (x, y); the caller checks contains().
    void fileIndexesOf(long long x, long long y, long long* fileLine, long long* fileTrace) const;
    /// Line and trace number of a file position.
    double lineNumberOf(long long fileLine) const { return fileFirstLine() + static_cast<double>(fileLine) * fileLineStep(); }
    double traceNumberOf(long long fileTrace) const
    {
        return fileFirstTrace() + static_cast<double>(fileTrace) * fileTraceStep();
    }

    const SurveyGrid& survey() const { return m_survey; }

private:
    void setIndexes(long long lineA, long long lineB, long long traceA, long long traceB);

    SurveyGrid m_survey;
    long long m_firstLineIndex = 0;
    long long m_lastLineIndex = 0;
    long long m_firstTraceIndex = 0;
    long long m_lastTraceIndex = 0;
    long long m_firstX = 1;
    long long m_lastX = 1;
    long long m_firstY = 1;
    long long m_lastY = 1;
};
