#pragma once

struct gdi3dSurvey_t;

/// The affine map of a 3D survey between (line, trace) numbers and map x / y,
/// defined by its first and last line and trace numbers and three corners:
/// field 20/21 at (first line, first trace); for orientation "TRACE" 26/27 at
/// (first line, last trace) and 22/23 at (last line, first trace), for any
/// other orientation those two exchanged.
class SurveyGeometry
{
public:
    explicit SurveyGeometry(const gdi3dSurvey_t& survey);

    bool isValid() const { return m_valid; }
    void toMap(double line, double trace, double* x, double* y) const;
    bool toGrid(double x, double y, double* line, double* trace) const;

    /// Fills the survey's transform fields (origin, steps per trace and per
    /// line, spacings) from the map.
    void fillTransform(gdi3dSurvey_t* survey) const;

private:
    bool m_valid = false;
    double m_line0 = 0.0;
    double m_trace0 = 0.0;
    double m_originX = 0.0;
    double m_originY = 0.0;
    double m_traceStepX = 0.0;
    double m_traceStepY = 0.0;
    double m_lineStepX = 0.0;
    double m_lineStepY = 0.0;
};
