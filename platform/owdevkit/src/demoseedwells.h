#pragma once

#include <string>
#include <vector>

/// Adds the demo wells of the well list "Field Tests" to the open project,
/// inside the demo's open transaction, so that each path of a well import
/// meets real data:
/// - "FT-01": a deviated well with a 240-station position log, two time-depth
///   tables (the preferred one in milliseconds along MD, one in seconds along
///   TVD), logs in several units ("us/ft" sonic in the log curve list "Sonic",
///   a depth log in "ft", a caliper in "in", a resistivity outside any list)
///   and picks;
/// - "FT-02": a vertical well without position log (its trajectory comes from
///   its log depths), no time-depth table, a surface picked twice by two
///   interpreters;
/// - "FT-03": a well whose time-depth tables are along "TVDSS" (a depth type
///   the import has no depth log name for) and without time unit (a problem
///   the import must list for it).
/// Depths, coordinates and elevations are in the project's units.
bool seedDemoWellCases(std::string* error, std::vector<std::string>* log);
