#include "surveygrid.h"

#include "owrecords.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace
{
bool isTraceKeyword(const char* orientation, size_t size)
{
    std::string keyword(orientation, strnlen(orientation, size));
    const auto last = keyword.find_last_not_of(' ');
    keyword.erase(last == std::string::npos ? 0 : last + 1);
    return keyword == "TRACE";
}

long long nearestIndex(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double clamped = std::max(-1.0e15, std::min(1.0e15, value));
    return std::llround(clamped);
}
} // namespace

SurveyGrid::SurveyGrid(const gdi3dSurvey_t& survey)
    : m_traceOriented(isTraceKeyword(survey.orientation, sizeof survey.orientation))
    , m_lines(axisOf(survey.firstLine, survey.lastLine, survey.lineCount, survey.lineIncrement))
    , m_traces(axisOf(survey.firstTrace, survey.lastTrace, survey.traceCount, survey.traceIncrement))
{
}

SurveyGrid::Axis SurveyGrid::axisOf(double first, double last, int count, double increment)
{
    Axis axis;
    axis.first = std::isfinite(first) ? first : 0.0;
    const double span = std::isfinite(last) ? last - axis.first : 0.0;
    const double magnitude = std::isfinite(increment) && increment != 0.0 ? std::fabs(increment) : 1.0;
    if (count > 1 && span != 0.0) {
        axis.step = span / (count - 1);
        axis.count = count;
    } else if (span != 0.0) {
        axis.step = span > 0.0 ? magnitude : -magnitude;
        axis.count = std::min<long long>(INT_MAX, nearestIndex(std::fabs(span) / magnitude) + 1);
    } else {
        axis.step = magnitude;
        axis.count = std::max(1, count);
    }
    return axis;
}

long long SurveyGrid::lineIndex(double line) const
{
    return nearestIndex((line - m_lines.first) / m_lines.step);
}

long long SurveyGrid::traceIndex(double trace) const
{
    return nearestIndex((trace - m_traces.first) / m_traces.step);
}

void SurveyGrid::gridOf(long long lineIndex, long long traceIndex, long long* x, long long* y) const
{
    *x = (m_traceOriented ? traceIndex : lineIndex) + 1;
    *y = (m_traceOriented ? lineIndex : traceIndex) + 1;
}

void SurveyGrid::indexesOf(long long x, long long y, long long* lineIndex, long long* traceIndex) const
{
    *lineIndex = (m_traceOriented ? y : x) - 1;
    *traceIndex = (m_traceOriented ? x : y) - 1;
}
