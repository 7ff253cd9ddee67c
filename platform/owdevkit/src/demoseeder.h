#pragma once

#include <string>
#include <vector>

struct gdi3dSurvey_t;

/// Writes the demo content into the open project through the DevKit calls,
/// in one transaction: three 3D surveys (orientation "TRACE", "LINE" with a
/// descending line range, and one without data sets), time and depth data
/// sets of structured synthetic seismic (layers, a dome, a fault offset; one
/// sparse), horizons in one and in two surveys, faults with several sticks,
/// 32 wells in three well lists (one well in two lists, four in none) with
/// position logs, time-depth tables, log curves in log curve lists, surfaces
/// with colours and picks.
class DemoSeeder
{
public:
    explicit DemoSeeder(std::vector<std::string>* log = nullptr);

    /// Name of the first demo survey; its presence marks a seeded project.
    static const char* markerSurvey();
    bool isSeeded() const;
    bool seed(std::string* error);

    struct SurveyPlan;

private:
    bool addSurvey(const SurveyPlan& plan, gdi3dSurvey_t* survey, std::string* error);
    bool addDataSet(const SurveyPlan& plan, const char* name, bool depth, bool sparse, std::string* error);
    bool addHorizons(std::string* error);
    bool addFaults(const gdi3dSurvey_t& survey, std::string* error);
    bool addWells(std::string* error);
    bool addSurfaces(std::string* error);
    void note(const std::string& text);

    std::vector<std::string>* m_log;
    int m_xyUnit = 1;
    int m_depthUnit = 1;
    int m_elevationUnit = 1;
};
