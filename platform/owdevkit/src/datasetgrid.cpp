#include "datasetgrid.h"

#include "owrecords.h"

#include <algorithm>
#include <climits>
#include <cmath>

DataSetGrid DataSetGrid::fromRecord(const SurveyGrid& survey, const gdiSeismicDataSet_t& dataSet)
{
    DataSetGrid grid;
    grid.m_survey = survey;
    grid.setIndexes(survey.lineIndex(dataSet.inlineMin), survey.lineIndex(dataSet.inlineMax),
                    survey.traceIndex(dataSet.xlineMin), survey.traceIndex(dataSet.xlineMax));
    return grid;
}

bool DataSetGrid::fromGridRange(const SurveyGrid& survey, long long firstX, long long lastX, long long firstY,
                                long long lastY, DataSetGrid* grid, std::string* error)
{
    if (firstX > lastX || firstY > lastY) {
        *error = "the grid range is empty (x " + std::to_string(firstX) + " to " + std::to_string(lastX) + ", y " +
                 std::to_string(firstY) + " to " + std::to_string(lastY) + ")";
        return false;
    }
    if (firstX < INT_MIN || lastX > INT_MAX || firstY < INT_MIN || lastY > INT_MAX) {
        *error = "the grid range leaves the 32-bit range";
        return false;
    }
    long long lineA = 0, traceA = 0, lineB = 0, traceB = 0;
    survey.indexesOf(firstX, firstY, &lineA, &traceA);
    survey.indexesOf(lastX, lastY, &lineB, &traceB);
    grid->m_survey = survey;
    grid->setIndexes(lineA, lineB, traceA, traceB);
    return true;
}

void DataSetGrid::setIndexes(long long lineA, long long lineB, long long traceA, long long traceB)
{
    m_firstLineIndex = std::min(lineA, lineB);
    m_lastLineIndex = std::max(lineA, lineB);
    m_firstTraceIndex = std::min(traceA, traceB);
    m_lastTraceIndex = std::max(traceA, traceB);
    long long x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    m_survey.gridOf(m_firstLineIndex, m_firstTraceIndex, &x0, &y0);
    m_survey.gridOf(m_lastLineIndex, m_lastTraceIndex, &x1, &y1);
    m_firstX = x0;
    m_lastX = x1;
    m_firstY = y0;
    m_lastY = y1;
}

bool DataSetGrid::fitsControlBlock() const
{
    return m_firstX >= INT_MIN && m_lastX <= INT_MAX && m_firstY >= INT_MIN && m_lastY <= INT_MAX &&
           lineCount() <= INT_MAX && traceCount() <= INT_MAX;
}

double DataSetGrid::fileFirstLine() const
{
    return m_survey.lineNumber(m_survey.lineStep() > 0.0 ? m_firstLineIndex : m_lastLineIndex);
}

double DataSetGrid::fileFirstTrace() const
{
    return m_survey.traceNumber(m_survey.traceStep() > 0.0 ? m_firstTraceIndex : m_lastTraceIndex);
}

double DataSetGrid::fileLineStep() const
{
    return std::fabs(m_survey.lineStep());
}

double DataSetGrid::fileTraceStep() const
{
    return std::fabs(m_survey.traceStep());
}

void DataSetGrid::fileIndexesOf(long long x, long long y, long long* fileLine, long long* fileTrace) const
{
    long long lineIndex = 0, traceIndex = 0;
    m_survey.indexesOf(x, y, &lineIndex, &traceIndex);
    *fileLine = m_survey.lineStep() > 0.0 ? lineIndex - m_firstLineIndex : m_lastLineIndex - lineIndex;
    *fileTrace = m_survey.traceStep() > 0.0 ? traceIndex - m_firstTraceIndex : m_lastTraceIndex - traceIndex;
}
