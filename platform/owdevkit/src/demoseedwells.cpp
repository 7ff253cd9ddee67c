#include "demoseedwells.h"

#include "owdevkit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

void setText(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
#define SET_FIELD(field, text) setText(field, sizeof(field), text)

struct Units
{
    int xy = OW_UNIT_METERS;
    int depth = OW_UNIT_METERS;
    int elevation = OW_UNIT_METERS;

    /// Meters in the project's depth unit.
    float depthOf(double meters) const
    {
        double value = meters;
        const int one = 1;
        int status = 0;
        untConvert(OW_UNIT_METERS, depth, &one, &value, &status);
        return static_cast<float>(value);
    }
    double xyOf(double meters) const
    {
        double value = meters;
        const int one = 1;
        int status = 0;
        untConvert(OW_UNIT_METERS, xy, &one, &value, &status);
        return value;
    }
};

struct CurvePlan
{
    const char* name;
    const char* unit;
    double low;
    double high;
    int samples;
    double topMeters;
    double stepMeters;
    int list; // index into the curve lists, -1 none
};

class WellCaseSeeder
{
public:
    WellCaseSeeder(std::string* error, std::vector<std::string>* log) : m_error(error), m_log(log)
    {
        gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_XY, &m_units.xy);
        gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_DEPTH, &m_units.depth);
        gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, OW_UNIT_TYPE_ELEVATION, &m_units.elevation);
    }

    bool seed()
    {
        return addLists() && addDeviatedWell() && addVerticalWell() && addProblemWell();
    }

private:
    bool check(int status, const std::string& what)
    {
        if (status == 0)
            return true;
        *m_error = "cannot add " + what + ": " + gdiErrorMessage(status);
        return false;
    }

    bool addLists()
    {
        gdiWellList_t list;
        gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &list);
        SET_FIELD(list.name, "Field Tests");
        SET_FIELD(list.listType, "WELL_LIST");
        SET_FIELD(list.interpreter, "DEMO");
        SET_FIELD(list.remark, "Wells that show the special cases of a well import");
        if (!check(gdiAdd(GDI_CLASS_WELL_LIST, &list), "well list Field Tests"))
            return false;
        m_wellListId = list.id;

        gdiLogCurveList_t curves;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST, 1, &curves);
        SET_FIELD(curves.name, "Sonic");
        SET_FIELD(curves.interpreter, "DEMO");
        if (!check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST, &curves), "log curve list Sonic"))
            return false;
        m_curveListIds.push_back(curves.id);
        return true;
    }

    bool addWell(const std::string& key, const std::string& name, const std::string& uwi, double xMeters,
                 double yMeters, const char* elevationRef, double elevationMeters, double totalDepthMeters,
                 const char* status)
    {
        gdiWell_t well;
        gdiInitiateObject(GDI_CLASS_WELL, 1, &well);
        SET_FIELD(well.wellKey, key);
        SET_FIELD(well.uwi, uwi);
        SET_FIELD(well.wellName, name);
        SET_FIELD(well.commonWellName, "Field Test " + name.substr(3));
        SET_FIELD(well.wellNumber, name);
        SET_FIELD(well.operatorName, "Equinor");
        SET_FIELD(well.country, "NORWAY");
        SET_FIELD(well.state, "NORTH SEA");
        SET_FIELD(well.elevationRef, elevationRef);
        SET_FIELD(well.status, status);
        SET_FIELD(well.interpreter, "DEMO");
        SET_FIELD(well.depthUnit, m_units.depth == OW_UNIT_FEET ? "feet" : "meters");
        well.x = m_units.xyOf(xMeters);
        well.y = m_units.xyOf(yMeters);
        double elevation = elevationMeters;
        const int one = 1;
        int convertStatus = 0;
        untConvert(OW_UNIT_METERS, m_units.elevation, &one, &elevation, &convertStatus);
        well.elevation = static_cast<float>(elevation);
        well.totalDepth = m_units.depthOf(totalDepthMeters);
        if (!check(gdiAdd(GDI_CLASS_WELL, &well), "well " + name))
            return false;
        gdiWellListMember_t member;
        gdiInitiateObject(GDI_CLASS_WELL_LIST_MEMBER, 1, &member);
        member.wellListId = m_wellListId;
        SET_FIELD(member.wellKey, key);
        SET_FIELD(member.wellListName, "Field Tests");
        return check(gdiAdd(GDI_CLASS_WELL_LIST_MEMBER, &member), "well list member " + name);
    }

    /// A J-shaped trajectory: vertical to the kick-off, then building up to
    /// 40 degrees along an azimuth.
    bool addPositionLog(const std::string& key, int stations, double totalDepthMeters, double azimuthDegrees)
    {
        std::vector<float> md(static_cast<size_t>(stations)), tvd(md.size()), dx(md.size()), dy(md.size());
        const double kickOff = 600.0;
        const double build = 3.0 / 30.0 * M_PI / 180.0; // radians per meter
        const double maxInclination = 40.0 * M_PI / 180.0;
        const double azimuth = azimuthDegrees * M_PI / 180.0;
        double depth = 0.0, east = 0.0, north = 0.0, previousMd = 0.0, previousInclination = 0.0;
        for (int i = 0; i < stations; ++i) {
            const double measured = totalDepthMeters * i / (stations - 1);
            const double inclination = std::min(maxInclination, std::max(0.0, (measured - kickOff) * build));
            const double step = measured - previousMd;
            const double average = 0.5 * (inclination + previousInclination);
            depth += step * std::cos(average);
            const double horizontal = step * std::sin(average);
            east += horizontal * std::sin(azimuth);
            north += horizontal * std::cos(azimuth);
            md[size_t(i)] = m_units.depthOf(measured);
            tvd[size_t(i)] = m_units.depthOf(depth);
            dx[size_t(i)] = static_cast<float>(m_units.xyOf(east));
            dy[size_t(i)] = static_cast<float>(m_units.xyOf(north));
            previousMd = measured;
            previousInclination = inclination;
        }
        gdiPositionLog_t log;
        gdiInitiateObject(GDI_CLASS_POSITION_LOG, 1, &log);
        SET_FIELD(log.wellKey, key);
        SET_FIELD(log.interpreter, "DEMO");
        SET_FIELD(log.name, "Gyro Survey");
        log.pointCount = stations;
        log.md = md.data();
        log.tvd = tvd.data();
        log.xDeviation = dx.data();
        log.yDeviation = dy.data();
        return check(gdiAdd(GDI_CLASS_POSITION_LOG, &log), "position log of " + key);
    }

    /// A time-depth table; returns its id in *id. timeUnit "ms" or "s" (or
    /// anything else, stored as given).
    bool addTimeDepthTable(const std::string& key, const char* name, const char* depthType, const char* timeUnit,
                           double timeScale, int* id)
    {
        const int count = 16;
        std::vector<float> depths(count), times(count);
        for (int i = 0; i < count; ++i) {
            const double meters = i * 200.0;
            depths[size_t(i)] = m_units.depthOf(meters);
            times[size_t(i)] = static_cast<float>(2.0 * meters / (1800.0 + 0.4 * meters) * 1000.0 * timeScale);
        }
        gdiTimeDepthTable_t table;
        gdiInitiateObject(GDI_CLASS_TIME_DEPTH_TABLE, 1, &table);
        SET_FIELD(table.wellKey, key);
        SET_FIELD(table.name, name);
        SET_FIELD(table.interpreter, "DEMO");
        SET_FIELD(table.direction, "DOWN");
        SET_FIELD(table.depthType, depthType);
        SET_FIELD(table.depthUnit, m_units.depth == OW_UNIT_FEET ? "feet" : "meters");
        SET_FIELD(table.timeUnit, timeUnit);
        table.pointCount = count;
        table.depths = depths.data();
        table.times = times.data();
        if (!check(gdiAdd(GDI_CLASS_TIME_DEPTH_TABLE, &table), std::string("time-depth table ") + name))
            return false;
        if (id)
            *id = table.id;
        return true;
    }

    bool preferTable(const std::string& key, int tableId)
    {
        gdiPreferredTimeDepth_t preferred;
        gdiInitiateObject(GDI_CLASS_PREFERRED_TIME_DEPTH, 1, &preferred);
        SET_FIELD(preferred.wellKey, key);
        SET_FIELD(preferred.interpreter, "DEMO");
        preferred.tableId = tableId;
        return check(gdiAdd(GDI_CLASS_PREFERRED_TIME_DEPTH, &preferred), "preferred time-depth table of " + key);
    }

    bool addCurve(const std::string& key, const CurvePlan& plan, int variant)
    {
        std::vector<float> depths(static_cast<size_t>(plan.samples)), values(depths.size());
        float low = 1e30f, high = -1e30f;
        for (int i = 0; i < plan.samples; ++i) {
            depths[size_t(i)] = m_units.depthOf(plan.topMeters + plan.stepMeters * i);
            const double wave = 0.5 + 0.5 * std::sin(i * 0.037 + variant) * std::cos(i * 0.011 + 0.5 * variant);
            values[size_t(i)] = static_cast<float>(plan.low + (plan.high - plan.low) * wave);
            low = std::min(low, values[size_t(i)]);
            high = std::max(high, values[size_t(i)]);
        }
        gdiLogCurve_t curve;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE, 1, &curve);
        SET_FIELD(curve.wellKey, key);
        SET_FIELD(curve.name, plan.name);
        SET_FIELD(curve.curveName, plan.name);
        SET_FIELD(curve.service, "NONE");
        SET_FIELD(curve.interpreter, "DEMO");
        SET_FIELD(curve.unit, plan.unit);
        SET_FIELD(curve.curveType, "UNKNOWN");
        SET_FIELD(curve.curveClass, "UNKNOWN");
        curve.version = 1;
        curve.depthUnitId = m_units.depth;
        curve.topDepth = depths.front();
        curve.bottomDepth = depths.back();
        curve.depthStep = m_units.depthOf(plan.stepMeters);
        curve.minValue = low;
        curve.maxValue = high;
        curve.sampleCount = plan.samples;
        curve.nullValue = -999.25;
        curve.depths = depths.data();
        curve.values = values.data();
        if (!check(gdiAdd(GDI_CLASS_LOG_CURVE, &curve), std::string("log curve ") + plan.name + " of " + key))
            return false;
        if (plan.list < 0)
            return true;
        gdiLogCurveListMember_t member;
        gdiInitiateObject(GDI_CLASS_LOG_CURVE_LIST_MEMBER, 1, &member);
        member.listId = m_curveListIds[size_t(plan.list)];
        member.curveId = curve.id;
        SET_FIELD(member.wellKey, key);
        return check(gdiAdd(GDI_CLASS_LOG_CURVE_LIST_MEMBER, &member), std::string("list member ") + plan.name);
    }

    bool addPick(const std::string& key, const char* surface, const char* interpreter, const char* stratColumn,
                 double topMeters)
    {
        gdiSurfacePick_t pick;
        gdiInitiateObject(GDI_CLASS_SURFACE_PICK, 1, &pick);
        SET_FIELD(pick.wellKey, key);
        SET_FIELD(pick.surfaceName, surface);
        SET_FIELD(pick.interpreter, interpreter);
        SET_FIELD(pick.depthUnit, m_units.depth == OW_UNIT_FEET ? "feet" : "meters");
        SET_FIELD(pick.stratColumn, stratColumn);
        pick.topDepth = m_units.depthOf(topMeters);
        pick.bottomDepth = m_units.depthOf(topMeters + 12.5);
        return check(gdiAdd(GDI_CLASS_SURFACE_PICK, &pick), std::string("pick ") + surface + " of " + key);
    }

    bool addDeviatedWell()
    {
        const std::string key = "FTW-01";
        int preferredId = 0;
        const CurvePlan curves[] = {
            {"DT", "us/ft", 55.0, 135.0, 1600, 900.0, 0.5, 0},
            {"DTS", "us/ft", 95.0, 240.0, 1600, 900.0, 0.5, 0},
            {"TVDSS", "ft", 2900.0, 5200.0, 1200, 950.0, 0.5, -1},
            {"CALI", "in", 8.4, 12.9, 1200, 950.0, 0.5, -1},
            {"RT", "ohm.m", 0.2, 200.0, 800, 1000.0, 0.5, -1},
        };
        bool ok = addWell(key, "FT-01", "NO 15/9-F-1", 453100.0, 6782900.0, "KB", 28.0, 3200.0, "OIL")
                  && addPositionLog(key, 240, 3200.0, 35.0)
                  && addTimeDepthTable(key, "Checkshot", "MD", "ms", 1.0, &preferredId)
                  && addTimeDepthTable(key, "Seismic TD", "TVDBTDD", "s", 0.001, nullptr)
                  && preferTable(key, preferredId);
        for (size_t c = 0; ok && c < sizeof curves / sizeof curves[0]; ++c)
            ok = addCurve(key, curves[c], int(c));
        ok = ok && addPick(key, "Top Reservoir", "DEMO", "UNKNOWN", 1850.0)
             && addPick(key, "Base Cretaceous", "DEMO", "NORTH SEA", 2210.0)
             && addPick(key, "Top Chalk", "DEMO", "NORTH SEA", 2475.0);
        if (ok)
            note("well FT-01: deviated, 240 stations, 2 time-depth tables, 5 logs, 3 picks");
        return ok;
    }

    bool addVerticalWell()
    {
        const std::string key = "FTW-02";
        const CurvePlan curves[] = {
            {"GR", "API", 15.0, 140.0, 1400, 700.0, 1.0, -1},
            {"DT", "us/ft", 60.0, 125.0, 1300, 750.0, 1.0, 0},
        };
        bool ok = addWell(key, "FT-02", "NO 15/9-F-2", 454300.0, 6781600.0, "DF", 31.5, 2300.0, "GAS");
        for (size_t c = 0; ok && c < sizeof curves / sizeof curves[0]; ++c)
            ok = addCurve(key, curves[c], int(c) + 7);
        ok = ok && addPick(key, "Top Reservoir", "DEMO", "UNKNOWN", 1720.0)
             && addPick(key, "Top Reservoir", "JDOE", "UNKNOWN", 1726.0);
        if (ok)
            note("well FT-02: vertical, no position log, 2 logs, one surface picked twice");
        return ok;
    }

    bool addProblemWell()
    {
        const std::string key = "FTW-03";
        const CurvePlan curves[] = {{"GR", "API", 20.0, 150.0, 900, 1100.0, 1.0, -1}};
        int preferredId = 0;
        bool ok = addWell(key, "FT-03", "NO 15/9-F-3", 452600.0, 6783700.0, "KB", 27.0, 2800.0, "DRY HOLE")
                  && addPositionLog(key, 60, 2800.0, 210.0)
                  && addTimeDepthTable(key, "Checkshot", "TVDSS", "ms", 1.0, &preferredId)
                  && addTimeDepthTable(key, "Old VSP", "MD", "", 1.0, nullptr) && preferTable(key, preferredId)
                  && addCurve(key, curves[0], 11);
        if (ok)
            note("well FT-03: a time-depth table along TVDSS, one without time unit");
        return ok;
    }

    void note(const std::string& text)
    {
        if (m_log)
            m_log->push_back(text);
    }

    std::string* m_error;
    std::vector<std::string>* m_log;
    Units m_units;
    int m_wellListId = 0;
    std::vector<uint32_t> m_curveListIds;
};

} // namespace

bool seedDemoWellCases(std::string* error, std::vector<std::string>* log)
{
    WellCaseSeeder seeder(error, log);
    return seeder.seed();
}
