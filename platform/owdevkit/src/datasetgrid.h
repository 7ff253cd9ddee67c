#pragma once

#include "surveygrid.h"

#include <string>

struct gdiSeismicDataSet_t;

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
