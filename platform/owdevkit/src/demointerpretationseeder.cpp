#include "demointerpretationseeder.h"

#include "owdevkit.h"
#include "owsession.h"
#include "projectstore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
const double kPi = 3.14159265358979323846;
const char* const kNorthSea = "North Sea 3D";
const char* const kDomeRidge = "Dome Ridge 3D";

void copyText(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
#define SET_TEXT(field, text) copyText(field, sizeof(field), text)

/// A NaN value that the stand-in keeps in a grid (any NaN but 0x7fc00000).
float storedNaN()
{
    const std::uint32_t bits = 0x7fc0beefu;
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

/// Two-way time (ms) of the "Intra Chalk" at fractional survey position (a
/// along the traces, b along the lines).
double chalkTime(double a, double b)
{
    return 760.0 + 90.0 * std::sin(2.0 * kPi * a) * std::cos(kPi * b) + 40.0 * a - 25.0 * b;
}

/// Opens the 3D project of a survey for the duration of a scope.
class SurveyProject
{
public:
    explicit SurveyProject(const char* name)
    {
        int projectType = 3;
        const int length = static_cast<int>(std::strlen(name));
        prjin2_(&m_status, &projectType, name, &length);
    }
    ~SurveyProject()
    {
        const int projectType = 3, zero = 0;
        if (m_status == 0)
            prjend_(&projectType, &zero);
    }
    SurveyProject(const SurveyProject&) = delete;
    SurveyProject& operator=(const SurveyProject&) = delete;
    bool isOpen() const { return m_status == 0; }

private:
    int m_status = -1;
};
} // namespace

DemoInterpretationSeeder::DemoInterpretationSeeder(std::vector<std::string>* log) : m_log(log)
{
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_DEPTH, &m_depthUnit);
}

void DemoInterpretationSeeder::note(const std::string& text)
{
    if (m_log)
        m_log->push_back(text);
}

int DemoInterpretationSeeder::badNodeKind(int lineIndex, int traceIndex)
{
    if (lineIndex < 6 && traceIndex < 8)
        return 1;
    if ((lineIndex * 7 + traceIndex * 5) % 83 == 0)
        return 2;
    if ((lineIndex + traceIndex) % 97 == 13)
        return 3;
    if ((lineIndex * 3 + traceIndex) % 89 == 29)
        return 4;
    return 0;
}

bool DemoInterpretationSeeder::seed(std::string* error)
{
    int timeChalk = 0, depthChalk = 0;
    return addChalkHorizon(kNorthSea, false, &timeChalk, error) && addChalkHorizon(kNorthSea, true, &depthChalk, error)
           && addChalkHorizon(kDomeRidge, true, &depthChalk, error) && addUnmappedHorizon(error)
           && addFault(kNorthSea, "F5 Deep Splay", true, 6, 0.55, error)
           && addFault(kDomeRidge, "F6 Dome Flank", false, 4, 0.3, error);
}

bool DemoInterpretationSeeder::addChalkHorizon(const char* surveyName, bool depth, int* horizonId, std::string* error)
{
    const SurveyProject project(surveyName);
    int projectType = 3, status = 0;
    int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0, handle = 0;
    if (project.isOpen())
        srvbnd_(&projectType, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
    const float null = 1.0e37f;
    if (!project.isOpen() || status != 0
        || (hrzopn_(&status, surveyName, &firstLine, &lastLine, &firstTrace, &lastTrace, &null, &handle), status != 0)) {
        *error = std::string("cannot open the horizon subsystem of ") + surveyName;
        return false;
    }
    struct SubsystemClose
    {
        ~SubsystemClose()
        {
            int closeStatus = 0;
            hrzcls_(&closeStatus);
        }
    } subsystem;
    if (depth)
        gdiSetMeasSystemUnitIdForType(OW_UNIT_TYPE_DEPTH, OW_UNIT_METERS);
    const std::string attribute = depth ? "DEPTH_STRUCTURE" : "TIME_STRUCTURE";
    const float placeholderMin = 3.40282347e38f, placeholderMax = 1.17549435e-38f;
    const int option = 1, headerOption = 2;
    const char block[12] = {};
    if (*horizonId == 0) {
        hrzcrt_(&option, horizonId, &status);
        if (status == 0)
            hrzhdr_plus_(horizonId, &headerOption, "Intra Chalk", "DEMO", attribute.c_str(), "UNKNOWN", &option,
                         &placeholderMin, &placeholderMax, block, &status);
    }

    // Normal nodes first (their range is the horizon's data range), then the bad ones.
    const int columns = lastTrace - firstTrace + 1;
    const int rows = lastLine - firstLine + 1;
    std::vector<float> grid(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    float low = std::numeric_limits<float>::max(), high = std::numeric_limits<float>::lowest();
    for (int l = 0; l < rows; ++l)
        for (int t = 0; t < columns; ++t) {
            const double time = chalkTime(double(t) / std::max(1, columns - 1), double(l) / std::max(1, rows - 1));
            const float value = static_cast<float>(depth ? 1.25 * time : time);
            grid[static_cast<size_t>(l) * columns + t] = value;
            if (badNodeKind(l, t) == 0) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
    for (int l = 0; l < rows; ++l)
        for (int t = 0; t < columns; ++t) {
            float& value = grid[static_cast<size_t>(l) * columns + t];
            switch (badNodeKind(l, t)) {
            case 1:
                value = null;
                break;
            case 3:
                value = high + (depth ? 500.0f : 400.0f);
                break;
            case 4:
                value = low - (depth ? 300.0f : 250.0f);
                break;
            default:
                break;
            }
        }
    const int writeMode = 0;
    if (status == 0)
        hrzrw_(horizonId, &writeMode, &status, &firstLine, &lastLine, &firstTrace, &lastTrace, grid.data(), &columns);
    if (status == 0)
        hrzhdr_plus_(horizonId, &headerOption, "Intra Chalk", "DEMO", attribute.c_str(), "UNKNOWN", &option, &low, &high,
                     block, &status);
    if (status != 0) {
        *error = std::string("cannot write horizon Intra Chalk in ") + surveyName + " (status " + std::to_string(status)
                 + ")";
        return false;
    }

    // NaN nodes go straight into the stored grid: a write through hrzrw_ clears a NaN node.
    ProjectStore* store = OwSession::instance().store();
    const gdi3dSurvey_t* survey = OwSession::instance().currentSurvey();
    ProjectStore::Grid stored;
    bool found = false;
    if (!store || !survey || !store->grid(*horizonId, survey->id, &stored, &found) || !found
        || stored.values.size() != grid.size()) {
        *error = std::string("cannot read back horizon Intra Chalk in ") + surveyName;
        return false;
    }
    for (int l = 0; l < rows; ++l)
        for (int t = 0; t < columns; ++t)
            if (badNodeKind(l, t) == 2)
                stored.values[static_cast<size_t>(l) * columns + t] = storedNaN();
    if (!store->putGrid(*horizonId, survey->id, stored)) {
        *error = std::string("cannot store horizon Intra Chalk in ") + surveyName;
        return false;
    }
    note(std::string("horizon Intra Chalk (") + (depth ? "depth" : "time") + ") in " + surveyName);
    return true;
}

bool DemoInterpretationSeeder::addUnmappedHorizon(std::string* error)
{
    gdiHorizonCatalog_t catalog;
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    SET_TEXT(catalog.name, "Unmapped Marker");
    SET_TEXT(catalog.attribute, "TIME_STRUCTURE");
    SET_TEXT(catalog.domain, "TIME");
    SET_TEXT(catalog.version, "1");
    SET_TEXT(catalog.interpreter, "DEMO");
    SET_TEXT(catalog.status, "PLANNED");
    SET_TEXT(catalog.remark, "Synthetic demo horizon without data");
    const int status = gdiAdd(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0) {
        *error = std::string("cannot add horizon Unmapped Marker: ") + gdiErrorMessage(status);
        return false;
    }
    note("horizon Unmapped Marker (no data)");
    return true;
}

bool DemoInterpretationSeeder::addFault(const char* surveyName, const char* name, bool depth, int sticks,
                                        double traceFraction, std::string* error)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    SET_TEXT(survey.name, surveyName);
    int status = gdiRead(GDI_CLASS_3D_SURVEY, &survey);
    const SurveyProject project(surveyName);
    if (status != 0 || !project.isOpen()) {
        *error = std::string("cannot open survey ") + surveyName + " for fault " + name;
        return false;
    }
    gdiFault_t fault;
    gdiInitiateObject(GDI_CLASS_FAULT, 1, &fault);
    SET_TEXT(fault.name, name);
    SET_TEXT(fault.interpreter, "DEMO");
    status = gdiAdd(GDI_CLASS_FAULT, &fault);
    gdiFaultPlane_t plane;
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    SET_TEXT(plane.name, name);
    SET_TEXT(plane.interpreter, "DEMO");
    SET_TEXT(plane.version, "1");
    SET_TEXT(plane.domain, depth ? "DEPTH" : "TIME");
    SET_TEXT(plane.active, "Y");
    plane.faultId = fault.id;
    if (status == 0)
        status = gdiAdd(GDI_CLASS_FAULT_PLANE, &plane);
    const double top = depth ? 1600.0 : 450.0;       // metres or ms
    const double bottom = depth ? 2900.0 : 1350.0;
    const double dip = depth ? 0.00006 : 0.00009;    // trace fraction per metre or ms
    for (int s = 0; s < sticks && status == 0; ++s) {
        const double b = 0.15 + 0.7 * s / std::max(1, sticks - 1);
        const int points = 5 + s % 4;
        std::vector<double> xyz;
        for (int p = 0; p < points && status == 0; ++p) {
            const double z = top + (bottom - top) * p / (points - 1);
            const double a = traceFraction + 0.08 * b + dip * (z - top);
            const float line = static_cast<float>(survey.firstLine + b * (survey.lastLine - survey.firstLine));
            const float trace = static_cast<float>(survey.firstTrace + a * (survey.lastTrace - survey.firstTrace));
            const int option = 1;
            double x = 0.0, y = 0.0, vertical = z;
            intorw_(&option, &line, &trace, &x, &y, &status);
            if (depth) {
                const int one = 1;
                untConvert(OW_UNIT_METERS, m_depthUnit, &one, &vertical, &status);
            }
            xyz.insert(xyz.end(), {x, y, vertical});
        }
        gdiFaultSegment_t segment;
        gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
        segment.planeId = plane.id;
        segment.segmentNumber = s + 1;
        segment.surveyId = survey.id;
        SET_TEXT(segment.interpreter, "DEMO");
        const int order[8] = {0, 1, 2, 3, 6, 7, 4, 5};
        for (int k = 0; k < 8; ++k)
            segment.surveyTransform[k] = survey.transform[order[k]];
        SET_TEXT(segment.domain, depth ? "DEPTH" : "TIME");
        segment.pointCount = points;
        segment.points = xyz.data();
        if (status == 0)
            status = gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment);
    }
    if (status != 0) {
        *error = std::string("cannot add fault ") + name + ": " + gdiErrorMessage(status);
        return false;
    }
    note(std::string("fault ") + name + (depth ? " (depth)" : " (time)"));
    return true;
}
