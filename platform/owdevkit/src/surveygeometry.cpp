#include "surveygeometry.h"

#include "owrecords.h"

#include <cmath>
#include <cstring>

SurveyGeometry::SurveyGeometry(const gdi3dSurvey_t& survey)
{
    const bool traceOrientation = std::strncmp(survey.orientation, "TRACE", sizeof(survey.orientation)) == 0;
    const double* c = survey.corner;
    const double traceSpan = survey.lastTrace - survey.firstTrace;
    const double lineSpan = survey.lastLine - survey.firstLine;
    m_line0 = survey.firstLine;
    m_trace0 = survey.firstTrace;
    m_originX = c[0];
    m_originY = c[1];
    const double* traceEnd = traceOrientation ? c + 6 : c + 2;
    const double* lineEnd = traceOrientation ? c + 2 : c + 6;
    if (traceSpan == 0.0 || lineSpan == 0.0)
        return;
    m_traceStepX = (traceEnd[0] - c[0]) / traceSpan;
    m_traceStepY = (traceEnd[1] - c[1]) / traceSpan;
    m_lineStepX = (lineEnd[0] - c[0]) / lineSpan;
    m_lineStepY = (lineEnd[1] - c[1]) / lineSpan;
    const double determinant = m_traceStepX * m_lineStepY - m_traceStepY * m_lineStepX;
    m_valid = std::isfinite(determinant) && determinant != 0.0;
}

void SurveyGeometry::toMap(double line, double trace, double* x, double* y) const
{
    const double dt = trace - m_trace0;
    const double dl = line - m_line0;
    *x = m_originX + dt * m_traceStepX + dl * m_lineStepX;
    *y = m_originY + dt * m_traceStepY + dl * m_lineStepY;
}

bool SurveyGeometry::toGrid(double x, double y, double* line, double* trace) const
{
    if (!m_valid)
        return false;
    const double dx = x - m_originX;
    const double dy = y - m_originY;
    const double determinant = m_traceStepX * m_lineStepY - m_traceStepY * m_lineStepX;
    const double dt = (dx * m_lineStepY - dy * m_lineStepX) / determinant;
    const double dl = (m_traceStepX * dy - m_traceStepY * dx) / determinant;
    *trace = m_trace0 + dt;
    *line = m_line0 + dl;
    return true;
}

void SurveyGeometry::fillTransform(gdi3dSurvey_t* survey) const
{
    survey->transform[0] = m_originX;
    survey->transform[1] = m_originY;
    survey->transform[2] = m_traceStepX;
    survey->transform[3] = m_traceStepY;
    survey->transform[4] = m_lineStepX;
    survey->transform[5] = m_lineStepY;
    survey->transform[6] = std::hypot(m_traceStepX, m_traceStepY);
    survey->transform[7] = std::hypot(m_lineStepX, m_lineStepY);
}
