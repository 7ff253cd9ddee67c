#pragma once

#include <string>

/// Loads an external SEG-Y file into the open project: a new 3D survey made
/// from the file's line / trace numbers and CDP coordinates, and one data set
/// holding its traces as IEEE floats, written through the DevKit calls.
class SegyLoader
{
public:
    bool load(const std::string& segyPath, const std::string& surveyName, const std::string& dataSetName,
              const std::string& domain, std::string* error);
};
