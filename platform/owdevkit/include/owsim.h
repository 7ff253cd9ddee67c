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
/// Creates an empty project (name of at most 20 characters) in a district.
/// Fails when it exists already.
bool createProject(const std::string& home, const std::string& district, const std::string& project,
                   MeasurementSystem system, std::string* error);
bool projectExists(const std::string& home, const std::string& district, const std::string& project);

/// Seeds the demo content into a project (creating home, district and project
/// when missing). A project that already holds the demo is left alone
/// (*alreadySeeded true). Progress lines go to log when given.
bool seedDemo(const std::string& home, const std::string& district, const std::string& project,
              MeasurementSystem system, bool* alreadySeeded, std::string* error,
              std::vector<std::string>* log = nullptr);

/// Loads a SEG-Y file (IBM or IEEE floats, 2- or 4-byte integers; inline at
/// byte 189, crossline at 193) as a data set of a new 3D survey made from the
/// file's geometry. Samples are stored as IEEE floats.
bool loadSegy(const std::string& home, const std::string& district, const std::string& project,
              const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
              const std::string& domain, std::string* error);

/// One line per record of a class (id and key fields).
bool listRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 std::vector<std::string>* lines, std::string* error);
/// Every field of the records of a class ("name = value" lines; id 0: all).
bool dumpRecords(const std::string& home, const std::string& district, const std::string& project, int classId,
                 int id, std::vector<std::string>* lines, std::string* error);

} // namespace owsim
