#pragma once
// Administration of the DevKit stand-in's OpenWorks home (used by the owsim
// tool and by tests): homes, districts, projects, the demo content, SEG-Y
// loading and record dumps. Not part of the DevKit interface: code of the data
// link uses owdevkit.h only.

#include "owfaults.h"

#include <string>
#include <vector>

namespace owsim
{

enum class MeasurementSystem
{
    Metric = 1, // lengths in meters (unit 1)
    Feet = 2    // lengths in feet (unit 2)
};

/// The OpenWorks home: the override when set, else $OWHOME, else
/// $HOME/.openworks.
std::string homePath();
/// Makes every later DevKit call use home instead of $OWHOME (empty: back to
/// the environment). Closes an open project.
void setHomeOverride(const std::string& home);

/// Creates the home folder (and its parents) when missing.
bool createHome(const std::string& home, std::string* error);
/// Creates a district folder with its "dir.dat" and data folder (existing
/// ones are kept). makeSystemDistrict: also record it as the home's system
/// district.
bool createDistrict(const std::string& home, const std::string& district, bool makeSystemDistrict,
                    std::string* error);
/// The unit a new project uses for one unit type (owunits.h: 58 elevation,
/// 167 seismic time, 1001 depth, 2004 X/Y coordinate).
struct UnitChoice
{
    int unitType = 0;
    int unitId = 0;
};

/// Parses "TYPE=UNIT": TYPE a unit type number or name ("167", "Seismic
/// Time", "seismic-time"), UNIT a unit name or abbreviation of the DevKit's
/// catalogue ("microseconds", "fath", "348") of the type's kind.
bool parseUnitChoice(const std::string& text, UnitChoice* choice, std::string* error);

/// Creates an empty project (name of at most 20 characters) in a district.
/// Its units are those of the measurement system (metres or feet, and
/// milliseconds), except the unit types given in units. Fails when it exists
/// already or a unit does not suit its type.
bool createProject(const std::string& home, const std::string& district, const std::string& project,
                   MeasurementSystem system, std::string* error);
bool createProject(const std::string& home, const std::string& district, const std::string& project,
                   MeasurementSystem system, const std::vector<UnitChoice>& units, std::string* error);
bool projectExists(const std::string& home, const std::string& district, const std::string& project);

/// Seeds the demo content into a project (creating home, district and project
/// when missing). A project that already holds the demo is left alone
/// (*alreadySeeded true). Progress lines go to log when given.
bool seedDemo(const std::string& home, const std::string& district, const std::string& project,
              MeasurementSystem system, bool* alreadySeeded, std::string* error,
              std::vector<std::string>* log = nullptr);

/// Loads a post-stack SEG-Y file as a data set of a new 3D survey made from
/// the file's geometry: either byte order (told by the rev 2 byte-order
/// constant, else by the format code), formats 1 (IBM float), 2, 3 and 8
/// (integers) and 5 (IEEE float), extended textual headers, rev 2 additional
/// trace headers (the same number on every trace), sample counts up to
/// 1000000; inline at byte 189, crossline at 193, CDP X/Y at 181/185 (scalar
/// at 71), delay at 109 (scalar at 215). Line and trace increments come from
/// the numbers present. Refuses, with the reason in *error, prestack files,
/// other formats, grids that are too sparse (fewer than one trace in four
/// positions beyond a small grid) or too large, and files whose size does not
/// match their headers; a refused or failed load leaves nothing behind.
/// Samples are stored as IEEE floats, the vertical axis in the project's
/// units.
bool loadSegy(const std::string& home, const std::string& district, const std::string& project,
              const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
              const std::string& domain, std::string* error);

/// System calls that moved trace data of seismic data set files since the
/// process started: reads (one mapping per data set opened for reading by
/// dm3dop_; single-trace reads only where a file cannot be mapped or part of
/// a trace is rewritten) and writes (one per run of traces written together:
/// one per line when dm3dtr_ wrote whole lines; one for the headers of each
/// new file).
struct SeismicIoCounts
{
    long long reads = 0;
    long long writes = 0;
};
SeismicIoCounts seismicIoCounts();

/// One line per record of a class (id and key fields).
bool listRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 std::vector<std::string>* lines, std::string* error);
/// Every field of the records of a class ("name = value" lines; id 0: all).
bool dumpRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 int id, std::vector<std::string>* lines, std::string* error);

} // namespace owsim
