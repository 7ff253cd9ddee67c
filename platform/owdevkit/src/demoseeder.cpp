#include "demoseeder.h"
#include "demointerpretationseeder.h"
#include "demoseedwells.h"

#include "owdevkit.h"
#include "owsession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

struct DemoSeeder::SurveyPlan
{
    const char* name;
    const char* orientation;
    int firstLine;
    int lastLine;
    int firstTrace;
    int lastTrace;
    double originX;
    double originY;
    double angleDegrees;
    double spacing;

    /// Map position in meters of a (fractional) line and trace number.
    void map(double line, double trace, double* x, double* y) const
    {
        const double lineIndex = (line - firstLine) * (lastLine >= firstLine ? 1.0 : -1.0);
        const double traceIndex = (trace - firstTrace) * (lastTrace >= firstTrace ? 1.0 : -1.0);
        const double angle = angleDegrees * 3.14159265358979323846 / 180.0;
        *x = originX + spacing * (traceIndex * std::cos(angle) - lineIndex * std::sin(angle));
        *y = originY + spacing * (traceIndex * std::sin(angle) + lineIndex * std::cos(angle));
    }
    double lineFraction(double line) const { return (line - firstLine) / double(lastLine - firstLine); }
    double traceFraction(double trace) const { return (trace - firstTrace) / double(lastTrace - firstTrace); }
    double lineAt(double fraction) const { return firstLine + fraction * (lastLine - firstLine); }
    double traceAt(double fraction) const { return firstTrace + fraction * (lastTrace - firstTrace); }
};

namespace
{
const double kPi = 3.14159265358979323846;

const DemoSeeder::SurveyPlan kSurveyA{"North Sea 3D", "TRACE", 100, 160, 200, 280, 452000.0, 6782000.0, 30.0, 25.0};
const DemoSeeder::SurveyPlan kSurveyB{"Dome Ridge 3D", "LINE", 500, 440, 1000, 1060, 455500.0, 6779000.0, -15.0,
                                      25.0};
const DemoSeeder::SurveyPlan kSurveyC{"Frontier 3D", "TRACE", 1, 40, 1, 50, 449000.0, 6790000.0, 0.0, 50.0};

void copy(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
#define SET_TEXT(field, text) copy(field, sizeof(field), text)

/// Two-way time (ms) of layer k at the fractional survey position (a along
/// the traces, b along the lines): flat layers lifted by a dome and dropped
/// across a fault.
double layerTime(int k, double a, double b)
{
    static const double base[5] = {420.0, 640.0, 880.0, 1100.0, 1300.0};
    const double dome = 140.0 * std::exp(-((a - 0.45) * (a - 0.45) + (b - 0.5) * (b - 0.5)) / 0.05);
    const double fault = a > 0.65 + 0.1 * b ? 45.0 : 0.0;
    return base[k] - dome * (1.0 - 0.12 * k) + fault + 8.0 * std::sin(6.0 * a + 3.0 * b + k);
}

double ricker(double tauMs)
{
    const double x = kPi * 25.0 * tauMs / 1000.0;
    return (1.0 - 2.0 * x * x) * std::exp(-x * x);
}

void syntheticTrace(double a, double b, double start, double interval, bool depth, std::mt19937* random,
                    std::vector<float>* trace)
{
    static const double reflectivity[5] = {0.8, -0.6, 0.9, -0.5, 0.7};
    std::normal_distribution<double> noise(0.0, 0.02);
    for (size_t s = 0; s < trace->size(); ++s) {
        const double z = start + static_cast<double>(s) * interval;
        const double time = depth ? z / 1.2 : z;
        double value = noise(*random);
        for (int k = 0; k < 5; ++k) {
            const double tau = time - layerTime(k, a, b);
            if (std::fabs(tau) < 80.0)
                value += reflectivity[k] * ricker(tau);
        }
        (*trace)[s] = static_cast<float>(value);
    }
}

std::string numbered(const char* prefix, int n)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%s%02d", prefix, n);
    return text;
}
} // namespace

DemoSeeder::DemoSeeder(std::vector<std::string>* log) : m_log(log)
{
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_XY, &m_xyUnit);
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_DEPTH, &m_depthUnit);
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_ELEVATION, &m_elevationUnit);
}

const char* DemoSeeder::markerSurvey()
{
    return kSurveyA.name;
}

bool DemoSeeder::isSeeded() const
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    SET_TEXT(survey.name, markerSurvey());
    return gdiExists(GDI_CLASS_3D_SURVEY, &survey) != 0;
}

void DemoSeeder::note(const std::string& text)
{
    if (m_log)
        m_log->push_back(text);
}

bool DemoSeeder::seed(std::string* error)
{
    for (const char* interpreter : {"DEMO", "JDOE", "ASMIT"})
        OwSession::instance().store()->addInterpreter(interpreter);
    gdi3dSurvey_t surveyA, surveyB, surveyC;
    bool ok = addSurvey(kSurveyA, &surveyA, error) && addSurvey(kSurveyB, &surveyB, error) &&
              addSurvey(kSurveyC, &surveyC, error);
    ok = ok && addDataSet(kSurveyA, "NS Time Full", false, false, error) &&
         addDataSet(kSurveyA, "NS Depth", true, false, error) &&
         addDataSet(kSurveyB, "Dome Time Sparse", false, true, error);
    ok = ok && addHorizons(error) && addFaults(surveyA, error) && addSurfaces(error) && addWells(error) &&
         seedDemoWellCases(error, m_log);
    ok = ok && DemoInterpretationSeeder(m_log).seed(error);
    if (!ok) {
        gdiRollback();
        return false;
    }
    const int status = gdiCommit();
    if (status != 0) {
        *error = gdiErrorMessage(status);
        return false;
    }
    note("demo content committed");
    return true;
}

bool DemoSeeder::addSurvey(const SurveyPlan& plan, gdi3dSurvey_t* survey, std::string* error)
{
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, survey);
    SET_TEXT(survey->name, plan.name);
    SET_TEXT(survey->displayName, plan.name);
    SET_TEXT(survey->orientation, plan.orientation);
    SET_TEXT(survey->interpreter, "DEMO");
    SET_TEXT(survey->remark, "Synthetic demo survey");
    survey->firstLine = plan.firstLine;
    survey->lastLine = plan.lastLine;
    survey->firstTrace = plan.firstTrace;
    survey->lastTrace = plan.lastTrace;
    survey->lineCount = std::abs(plan.lastLine - plan.firstLine) + 1;
    survey->traceCount = std::abs(plan.lastTrace - plan.firstTrace) + 1;
    survey->lineIncrement = plan.lastLine >= plan.firstLine ? 1.0 : -1.0;
    survey->traceIncrement = 1.0;
    const bool traceOrientation = std::strcmp(plan.orientation, "TRACE") == 0;
    plan.map(plan.firstLine, plan.firstTrace, &survey->corner[0], &survey->corner[1]);
    plan.map(plan.lastLine, plan.lastTrace, &survey->corner[4], &survey->corner[5]);
    if (traceOrientation) {
        plan.map(plan.lastLine, plan.firstTrace, &survey->corner[2], &survey->corner[3]);
        plan.map(plan.firstLine, plan.lastTrace, &survey->corner[6], &survey->corner[7]);
    } else {
        plan.map(plan.firstLine, plan.lastTrace, &survey->corner[2], &survey->corner[3]);
        plan.map(plan.lastLine, plan.firstTrace, &survey->corner[6], &survey->corner[7]);
    }
    int status = 0;
    const int eight = 8;
    untConvert(OW_UNIT_METERS, m_xyUnit, &eight, survey->corner, &status);
    SET_TEXT(survey->verticalUnit, "ms");
    prjProject_t project;
    if (prjGetActive(&project) == 0)
        survey->projectId = project.id;
    status = gdiAdd(GDI_CLASS_3D_SURVEY, survey);
    if (status != 0) {
        *error = std::string("cannot add survey ") + plan.name + ": " + gdiErrorMessage(status);
        return false;
    }
    note(std::string("survey ") + plan.name);
    return true;
}

bool DemoSeeder::addDataSet(const SurveyPlan& plan, const char* name, bool depth, bool sparse, std::string* error)
{
    int status = 0;
    int projectType = 3;
    const int length = static_cast<int>(std::strlen(plan.name));
    const int zero = 0;
    prjin2_(&status, &projectType, plan.name, &length);
    if (status != 0) {
        *error = std::string("prjin2_ failed for ") + plan.name;
        return false;
    }
    // Vertical values in the project's unit of the domain (made in ms or m).
    int verticalUnit = depth ? OW_UNIT_METERS : OW_UNIT_MILLISECONDS;
    gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, depth ? OW_UNIT_TYPE_DEPTH : OW_UNIT_TYPE_SEISMIC_TIME,
                                  &verticalUnit);
    double vertical[2] = {0.0, depth ? 10.0 : 4.0}; // start, interval
    const int two = 2;
    untConvert(depth ? OW_UNIT_METERS : OW_UNIT_MILLISECONDS, verticalUnit, &two, vertical, &status);
    const double toProjectUnit = vertical[1] / (depth ? 10.0 : 4.0);
    // The whole survey grid: y counts lines from the survey's first line and x
    // traces from its first trace ("TRACE"), or the other way round.
    const bool traceOrientation = std::strcmp(plan.orientation, "TRACE") == 0;
    const int lineCount = std::abs(plan.lastLine - plan.firstLine) + 1;
    const int traceCount = std::abs(plan.lastTrace - plan.firstTrace) + 1;
    const int lineStep = plan.lastLine >= plan.firstLine ? 1 : -1;
    const int traceStep = plan.lastTrace >= plan.firstTrace ? 1 : -1;
    dm3dControlBlock_t cb;
    std::memset(&cb, 0, sizeof(cb));
    cb.firstX = 1;
    cb.lastX = traceOrientation ? traceCount : lineCount;
    cb.firstY = 1;
    cb.lastY = traceOrientation ? lineCount : traceCount;
    cb.samplesPerTrace = depth ? 301 : 376;
    cb.verticalStart = static_cast<float>(vertical[0]);
    cb.sampleInterval = static_cast<float>(vertical[1]);
    cb.verticalEnd = cb.verticalStart + cb.samplesPerTrace * cb.sampleInterval;
    cb.domain = depth ? 2 : 1;
    cb.constants[0] = 1;
    cb.constants[1] = 1;
    char fileName[DM3D_FILE_NAME_SIZE];
    dm3d_crt_ds_(name, "UNKNOWN", &cb, fileName, &status);
    const int writeMode = 3;
    if (status == 0)
        dm3dop_(fileName, &cb, &writeMode, &status);
    if (status != 0) {
        *error = std::string("cannot create data set ") + name + " (status " + std::to_string(status) + ")";
        prjend_(&projectType, &zero);
        return false;
    }
    std::mt19937 random(static_cast<unsigned>(std::strlen(name) * 7919));
    std::vector<float> trace(static_cast<size_t>(cb.samplesPerTrace));
    const int one = 1;
    const float noScale = 0.0f;
    int flags = 0;
    for (int y = cb.firstY; y <= cb.lastY && status == 0; ++y) {
        for (int x = cb.firstX; x <= cb.lastX && status == 0; ++x) {
            const int lineIndex = (traceOrientation ? y : x) - 1;
            const int traceIndex = (traceOrientation ? x : y) - 1;
            const double a = plan.traceFraction(plan.firstTrace + traceStep * traceIndex);
            const double b = plan.lineFraction(plan.firstLine + lineStep * lineIndex);
            if (sparse && a + b < 0.3)
                continue;
            syntheticTrace(a, b, vertical[0] / toProjectUnit, vertical[1] / toProjectUnit, depth, &random, &trace);
            dm3dtr_(&cb, &x, &y, &one, &cb.samplesPerTrace, &one, &zero, trace.data(), &noScale, &status, &flags);
        }
    }
    int closeStatus = 0;
    dm3dcl_(&cb, &zero, &closeStatus);
    prjend_(&projectType, &zero);
    if (status != 0 || closeStatus != 0) {
        *error = std::string("cannot write data set ") + name;
        return false;
    }
    note(std::string("data set ") + name + " of " + plan.name);
    return true;
}

bool DemoSeeder::addHorizons(std::string* error)
{
    struct HorizonPlan
    {
        const char* name;
        int layer;
        bool depth;
        bool inSecondSurvey;
    };
    const HorizonPlan horizons[] = {{"Top Reservoir", 1, false, true},
                                    {"Base Cretaceous", 3, false, false},
                                    {"Top Reservoir", 1, true, false}};
    const int zero = 0;
    for (const HorizonPlan& h : horizons) {
        int horizonId = 0;
        for (const SurveyPlan* plan : {&kSurveyA, &kSurveyB}) {
            if (plan == &kSurveyB && !h.inSecondSurvey)
                continue;
            int status = 0;
            int projectType = 3;
            const int length = static_cast<int>(std::strlen(plan->name));
            prjin2_(&status, &projectType, plan->name, &length);
            int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0, handle = 0;
            srvbnd_(&projectType, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
            const float null = 1.0e37f;
            if (status == 0)
                hrzopn_(&status, plan->name, &firstLine, &lastLine, &firstTrace, &lastTrace, &null, &handle);
            if (status != 0) {
                *error = std::string("cannot open the horizon subsystem of ") + plan->name;
                prjend_(&projectType, &zero);
                return false;
            }
            if (h.depth)
                gdiSetMeasSystemUnitIdForType(OW_UNIT_TYPE_DEPTH, OW_UNIT_METERS);
            const std::string attribute = h.depth ? "DEPTH_STRUCTURE" : "TIME_STRUCTURE";
            const float placeholderMin = 3.40282347e38f, placeholderMax = 1.17549435e-38f;
            const int option = 1, headerOption = 2;
            const char block[12] = {};
            if (horizonId == 0) {
                hrzcrt_(&option, &horizonId, &status);
                if (status == 0)
                    hrzhdr_plus_(&horizonId, &headerOption, h.name, "DEMO", attribute.c_str(), "UNKNOWN", &option,
                                 &placeholderMin, &placeholderMax, block, &status);
            }
            const int columns = lastTrace - firstTrace + 1;
            std::vector<float> grid(static_cast<size_t>(columns) * (lastLine - firstLine + 1), null);
            float low = placeholderMin, high = -placeholderMin;
            for (int line = firstLine; line <= lastLine; ++line) {
                for (int trace = firstTrace; trace <= lastTrace; ++trace) {
                    const double a = plan->traceFraction(trace);
                    const double b = plan->lineFraction(line);
                    if (a > 0.9 && b > 0.85)
                        continue;
                    const double time = layerTime(h.layer, a, b);
                    const float value = static_cast<float>(h.depth ? time * 1.2 : time);
                    grid[static_cast<size_t>(line - firstLine) * columns + (trace - firstTrace)] = value;
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
            }
            const int writeMode = 0;
            if (status == 0)
                hrzrw_(&horizonId, &writeMode, &status, &firstLine, &lastLine, &firstTrace, &lastTrace, grid.data(),
                       &columns);
            if (status == 0)
                hrzhdr_plus_(&horizonId, &headerOption, h.name, "DEMO", attribute.c_str(), "UNKNOWN", &option, &low,
                             &high, block, &status);
            int closeStatus = 0;
            hrzcls_(&closeStatus);
            prjend_(&projectType, &zero);
            if (status != 0) {
                *error = std::string("cannot write horizon ") + h.name + " (status " + std::to_string(status) + ")";
                return false;
            }
        }
        gdiHorizonCatalog_t catalog;
        gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
        catalog.id = horizonId;
        if (gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog) == 0) {
            SET_TEXT(catalog.onset, h.layer % 2 ? "TROUGH" : "PEAK");
            SET_TEXT(catalog.status, "INTERPRETED");
            SET_TEXT(catalog.horizonClass, "SEISMIC");
            SET_TEXT(catalog.remark, "Synthetic demo horizon");
            gdiUpdate(GDI_CLASS_HORIZON_CATALOG, &catalog);
        }
        note(std::string("horizon ") + h.name + (h.depth ? " (depth)" : " (time)"));
    }
    return true;
}

bool DemoSeeder::addFaults(const gdi3dSurvey_t& survey, std::string* error)
{
    struct FaultPlan
    {
        const char* name;
        double a0;      // trace fraction of the fault at the top
        double aPerB;   // change of the trace fraction along the lines
        double aPerMs;  // dip: change of the trace fraction per ms (or per meter)
        double top;
        double bottom;
        int sticks;
        double bFirst;
        double bLast;
        bool depth;
    };
    const FaultPlan faults[] = {
        {"F1 Main Boundary", 0.65, 0.1, 0.00005, 300.0, 1450.0, 5, 0.05, 0.95, false},
        {"F2 Crestal", 0.42, 0.05, 0.00008, 300.0, 800.0, 3, 0.35, 0.6, false},
        {"F3 Antithetic", 0.8, -0.05, -0.00006, 500.0, 1300.0, 4, 0.2, 0.8, false},
        {"F4 Deep", 0.25, 0.08, 0.00004, 1500.0, 2600.0, 3, 0.1, 0.5, true},
    };
    for (const FaultPlan& plan : faults) {
        gdiFault_t fault;
        gdiInitiateObject(GDI_CLASS_FAULT, 1, &fault);
        SET_TEXT(fault.name, plan.name);
        SET_TEXT(fault.interpreter, "DEMO");
        int status = gdiAdd(GDI_CLASS_FAULT, &fault);
        gdiFaultPlane_t plane;
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
        SET_TEXT(plane.name, plan.name);
        SET_TEXT(plane.interpreter, "DEMO");
        SET_TEXT(plane.version, "1");
        SET_TEXT(plane.domain, plan.depth ? "DEPTH" : "TIME");
        SET_TEXT(plane.active, "Y");
        plane.faultId = fault.id;
        if (status == 0)
            status = gdiAdd(GDI_CLASS_FAULT_PLANE, &plane);
        for (int s = 0; s < plan.sticks && status == 0; ++s) {
            const double b = plan.bFirst + (plan.bLast - plan.bFirst) * s / std::max(1, plan.sticks - 1);
            const int points = 4 + s % 3;
            std::vector<double> xyz;
            for (int p = 0; p < points; ++p) {
                const double z = plan.top + (plan.bottom - plan.top) * p / (points - 1);
                const double a = plan.a0 + plan.aPerB * b + plan.aPerMs * (z - plan.top);
                double x = 0.0, y = 0.0;
                kSurveyA.map(kSurveyA.lineAt(b), kSurveyA.traceAt(a), &x, &y);
                xyz.push_back(x);
                xyz.push_back(y);
                xyz.push_back(z);
            }
            for (size_t k = 0; k < xyz.size(); k += 3) {
                int convertStatus = 0;
                const int two = 2, one = 1;
                untConvert(OW_UNIT_METERS, m_xyUnit, &two, &xyz[k], &convertStatus);
                if (plan.depth)
                    untConvert(OW_UNIT_METERS, m_depthUnit, &one, &xyz[k + 2], &convertStatus);
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
            SET_TEXT(segment.domain, plan.depth ? "DEPTH" : "TIME");
            segment.pointCount = points;
            segment.points = xyz.data();
            status = gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment);
        }
        if (status != 0) {
            *error = std::string("cannot add fault ") + plan.name + ": " + gdiErrorMessage(status);
            return false;
        }
        note(std::string("fault ") + plan.name);
    }
    return true;
}

bool DemoSeeder::addSurfaces(std::string* error)
{
    struct SurfacePlan
    {
        const char* name;
        const char* stratColumn;
        int red, green, blue;
        double age;
        bool hasColour;
    };
    const SurfacePlan surfaces[] = {
        {"Top Reservoir", "UNKNOWN", 230, 40, 40, 0.0, true},
        {"Base Cretaceous", "NORTH SEA", 40, 160, 60, 66.0, true},
        {"Top Chalk", "NORTH SEA", 60, 90, 220, 72.1, true},
        {"Intra Shale", "CHRONO", 150, 100, 40, 80.5, false},
    };
    for (const SurfacePlan& plan : surfaces) {
        gdiSurface_t surface;
        gdiInitiateObject(GDI_CLASS_SURFACE, 1, &surface);
        SET_TEXT(surface.name, plan.name);
        SET_TEXT(surface.stratColumn, plan.stratColumn);
        SET_TEXT(surface.interpreter, "DEMO");
        SET_TEXT(surface.surfaceType, "HORIZON");
        surface.age = plan.age;
        surface.red = plan.red;
        surface.green = plan.green;
        surface.blue = plan.blue;
        surface.wellCount = 28;
        int status = gdiAdd(GDI_CLASS_SURFACE, &surface);
        if (status == 0 && plan.hasColour) {
            gdiHorizonParams_t params;
            gdiInitiateObject(GDI_CLASS_HORIZON_PARAMS, 1, &params);
            SET_TEXT(params.name, plan.name);
            SET_TEXT(params.interpreter, "DEMO");
            SET_TEXT(params.stratColumn, plan.stratColumn);
            params.red = plan.red;
            params.green = plan.green;
            params.blue = plan.blue;
            params.age = plan.age;
            status = gdiAdd(GDI_CLASS_HORIZON_PARAMS, &params);
        }
        if (status != 0) {
            *error = std::string("cannot add surface ") + plan.name + ": " + gdiErrorMessage(status);
            return false;
        }
    }
    note("4 surfaces");
    return true;
}

bool DemoSeeder::addWells(std::string* error)
{
    const char* listNames[3] = {"Exploration", "Appraisal", "Development"};
    int listIds[3] = {};
    for (int i = 0; i < 3; ++i) {
        gdiWellList_t list;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
        SET_TEXT(list.name, listNames[i]);
        SET_TEXT(list.listType, "WELL_LIST");
        SET_TEXT(list.interpreter, i == 1 ? "JDOE" : "DEMO");
        SET_TEXT(list.remark, "Demo well list");
        const int status = gdiAdd(GDI_CLASS_WELL_LIST, &list);
        if (status != 0) {
            *error = std::string("cannot add well list: ") + gdiErrorMessage(status);
            return false;
        }
        listIds[i] = list.id;
    }
    const char* curveListNames[2] = {"Basic Logs", "Petrophysics"};
    uint32_t curveListIds[2] = {};
    for (int i = 0; i < 2; ++i) {
        gdiLogCurveList_t list;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &list);
        SET_TEXT(list.name, curveListNames[i]);
        SET_TEXT(list.interpreter, "DEMO");
        const int status = gdiAdd(GDI_CLASS_LOG_CURVE_LIST, &list);
        if (status != 0) {
            *error = std::string("cannot add log curve list: ") + gdiErrorMessage(status);
            return false;
        }
        curveListIds[i] = list.id;
    }
    const char* statuses[] = {"OIL", "GAS", "DRY HOLE", "UNKNOWN", "PLUGGED OIL", "SHUT-IN GAS", "CONDENSATE",
                              "ABANDONED", "OIL & GAS", "DRY HOLE W/ GAS SHOW", "Oil"};
    const char* operators[] = {"Equinor", "Aker BP", "Vaar Energi", "ConocoPhillips"};
    const char* surfaceNames[3] = {"Top Reservoir", "Base Cretaceous", "Intra Shale"};
    const int surfaceLayers[3] = {1, 3, 2};
    std::mt19937 random(20240611u);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const float toDepthUnit = m_depthUnit == OW_UNIT_FEET ? static_cast<float>(1.0 / 0.3048) : 1.0f;
    const int one = 1;
    for (int n = 1; n <= 32; ++n) {
        const double a = 0.08 + 0.84 * unit(random);
        const double b = 0.08 + 0.84 * unit(random);
        double x = 0.0, y = 0.0;
        kSurveyA.map(kSurveyA.lineAt(b), kSurveyA.traceAt(a), &x, &y);
        int status = 0;
        const int two = 2;
        double xy[2] = {x, y};
        untConvert(OW_UNIT_METERS, m_xyUnit, &two, xy, &status);
        gdiWell_t well;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
        const std::string key = numbered("NSW-", n);
        SET_TEXT(well.wellKey, key);
        SET_TEXT(well.uwi, numbered("NO 15/9-A-", n));
        SET_TEXT(well.wellName, numbered("NS-", n));
        SET_TEXT(well.commonWellName, numbered("North Sea ", n));
        SET_TEXT(well.wellNumber, numbered("NS-", n));
        SET_TEXT(well.operatorName, operators[n % 4]);
        SET_TEXT(well.country, "NORWAY");
        SET_TEXT(well.state, "NORTH SEA");
        SET_TEXT(well.elevationRef, n % 5 == 0 ? "DF" : "KB");
        SET_TEXT(well.status, statuses[n % 11]);
        SET_TEXT(well.interpreter, n % 3 == 0 ? "JDOE" : "DEMO");
        SET_TEXT(well.depthUnit, m_depthUnit == OW_UNIT_FEET ? "feet" : "meters");
        well.x = xy[0];
        well.y = xy[1];
        well.elevation = static_cast<float>(25.0 + 10.0 * unit(random)) * toDepthUnit;
        well.totalDepth = static_cast<float>(2500.0 + 700.0 * unit(random)) * toDepthUnit;
        status = gdiAdd(GDI_CLASS_WELL, &well);
        // Lists: 1-12 Exploration, 12-21 Appraisal (12 in both), 22-28 Development, 29-32 none.
        for (int l = 0; l < 3 && status == 0; ++l) {
            const bool member = (l == 0 && n <= 12) || (l == 1 && n >= 12 && n <= 21) || (l == 2 && n >= 22 && n <= 28);
            if (!member)
                continue;
            gdiWellListMember_t membership;
            gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &membership);
            membership.wellListId = listIds[l];
            SET_TEXT(membership.wellKey, key);
            SET_TEXT(membership.wellListName, listNames[l]);
            status = gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &membership);
        }
        // Position log: deviated for even wells, vertical for odd ones, none from 25 on.
        if (status == 0 && n <= 24) {
            const int count = 20;
            std::vector<float> md(count), tvd(count), dx(count), dy(count);
            const double azimuth = n * 0.7;
            for (int i = 0; i < count; ++i) {
                md[i] = static_cast<float>(i * well.totalDepth / (count - 1));
                const double offset = n % 2 == 0 ? std::pow(i / double(count - 1), 2.0) * 400.0 : 0.0;
                tvd[i] = static_cast<float>(md[i] - (n % 2 == 0 ? 0.05 * offset * toDepthUnit : 0.0));
                dx[i] = static_cast<float>(offset * std::cos(azimuth));
                dy[i] = static_cast<float>(offset * std::sin(azimuth));
            }
            const int pointCount = count;
            untConvertFloats(OW_UNIT_METERS, m_xyUnit, &pointCount, dx.data(), &status);
            untConvertFloats(OW_UNIT_METERS, m_xyUnit, &pointCount, dy.data(), &status);
            gdiPositionLog_t log;
            gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
            SET_TEXT(log.wellKey, key);
            SET_TEXT(log.interpreter, "DEMO");
            SET_TEXT(log.name, "Definitive Survey");
            log.pointCount = count;
            log.md = md.data();
            log.tvd = tvd.data();
            log.xDeviation = dx.data();
            log.yDeviation = dy.data();
            status = gdiAdd(GDI_CLASS_POSITION_LOG, &log);
        }
        // Time-depth tables: wells 1-26; wells 1-5 also a VSP table in seconds.
        int firstTableId = 0;
        for (int t = 0; status == 0 && n <= 26 && t < (n <= 5 ? 2 : 1); ++t) {
            const int count = 12;
            std::vector<float> depths(count), times(count);
            for (int i = 0; i < count; ++i) {
                const double depthMeters = i * 250.0;
                depths[i] = static_cast<float>(depthMeters) * toDepthUnit;
                const double ms = depthMeters / (1.1 + 0.02 * i);
                times[i] = static_cast<float>(t == 0 ? ms : ms / 1000.0);
            }
            gdiTimeDepthTable_t table;
            gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &table);
            SET_TEXT(table.wellKey, key);
            SET_TEXT(table.name, t == 0 ? "Checkshot" : "VSP");
            SET_TEXT(table.interpreter, "DEMO");
            SET_TEXT(table.direction, "DOWN");
            SET_TEXT(table.depthType, t == 0 ? "MD" : "TVDBTDD");
            SET_TEXT(table.depthUnit, m_depthUnit == OW_UNIT_FEET ? "feet" : "meters");
            SET_TEXT(table.timeUnit, t == 0 ? "ms" : "s");
            table.pointCount = count;
            table.depths = depths.data();
            table.times = times.data();
            status = gdiAdd(GDI_CLASS_TIME_DEPTH_TABLE, &table);
            if (t == 0)
                firstTableId = table.id;
        }
        if (status == 0 && firstTableId != 0) {
            gdiPreferredTimeDepth_t preferred;
            gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
            SET_TEXT(preferred.wellKey, key);
            SET_TEXT(preferred.interpreter, "DEMO");
            preferred.tableId = firstTableId;
            status = gdiAdd(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred);
        }
        // Log curves: wells 1-20 GR, RHOB, DT (1-10 also NPHI, well 3 a CALI of unknown unit).
        struct CurvePlan
        {
            const char* name;
            const char* unit;
            double low, high;
            int list; // -1 none
        };
        const CurvePlan curves[] = {{"GR", "API", 20, 150, 0},     {"RHOB", "g/cm3", 1.9, 2.8, 1},
                                    {"DT", "us/ft", 50, 140, 0},   {"NPHI", "v/v", 0.05, 0.45, 1},
                                    {"CALI", "UNKNOWN", 8, 14, -1}};
        for (int c = 0; status == 0 && n <= 20 && c < 5; ++c) {
            if ((c == 3 && n > 10) || (c == 4 && n != 3))
                continue;
            const int samples = 1001 + 200 * (c % 2);
            const float top = static_cast<float>(1000.0 + 10.0 * c) * toDepthUnit;
            const float step = 1.5f * toDepthUnit;
            std::vector<float> depths(static_cast<size_t>(samples)), values(static_cast<size_t>(samples));
            float low = 1e30f, high = -1e30f;
            for (int i = 0; i < samples; ++i) {
                depths[i] = top + step * i;
                const double wave = 0.5 + 0.5 * std::sin(i * 0.05 + n + c) * std::cos(i * 0.013);
                values[i] = static_cast<float>(curves[c].low + (curves[c].high - curves[c].low) * wave);
                low = std::min(low, values[i]);
                high = std::max(high, values[i]);
            }
            gdiLogCurve_t curve;
            gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
            SET_TEXT(curve.wellKey, key);
            SET_TEXT(curve.name, curves[c].name);
            SET_TEXT(curve.curveName, curves[c].name);
            SET_TEXT(curve.service, "NONE");
            SET_TEXT(curve.interpreter, "DEMO");
            SET_TEXT(curve.unit, curves[c].unit);
            SET_TEXT(curve.curveType, "UNKNOWN");
            SET_TEXT(curve.curveClass, "UNKNOWN");
            curve.version = 1;
            curve.depthUnitId = m_depthUnit;
            curve.topDepth = depths.front();
            curve.bottomDepth = depths.back();
            curve.depthStep = step;
            curve.minValue = low;
            curve.maxValue = high;
            curve.sampleCount = samples;
            curve.nullValue = -999.25;
            curve.depths = depths.data();
            curve.values = values.data();
            status = gdiAdd(GDI_CLASS_LOG_CURVE, &curve);
            // Wells 15-20 keep their curves out of every list; GR of well 1 is in both lists.
            std::vector<int> lists;
            if (curves[c].list >= 0 && n < 15)
                lists.push_back(curves[c].list);
            if (n == 1 && c == 0)
                lists.push_back(1);
            for (int l : lists) {
                if (status != 0)
                    break;
                gdiLogCurveListMember_t member;
                gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 1, &member);
                member.listId = curveListIds[l];
                member.curveId = curve.id;
                SET_TEXT(member.wellKey, key);
                status = gdiAdd(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &member);
            }
        }
        // Surface picks: wells 1-28; "Intra Shale" has no colour record.
        for (int p = 0; status == 0 && n <= 28 && p < 3; ++p) {
            gdiSurfacePick_t pick;
            gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
            SET_TEXT(pick.wellKey, key);
            SET_TEXT(pick.surfaceName, surfaceNames[p]);
            SET_TEXT(pick.interpreter, "DEMO");
            SET_TEXT(pick.depthUnit, m_depthUnit == OW_UNIT_FEET ? "feet" : "meters");
            SET_TEXT(pick.stratColumn, p == 0 ? "UNKNOWN" : "NORTH SEA");
            const float depth = static_cast<float>(layerTime(surfaceLayers[p], a, b) * 1.2) * toDepthUnit;
            pick.topDepth = depth;
            pick.bottomDepth = depth + 5.0f * toDepthUnit;
            status = gdiAdd(GDI_CLASS_SURFACE_PICK, &pick);
        }
        (void)one;
        if (status != 0) {
            *error = "cannot add well " + key + ": " + gdiErrorMessage(status);
            return false;
        }
    }
    note("32 wells in 3 well lists");
    return true;
}
