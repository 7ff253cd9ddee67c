#pragma once

#include <string>

/// Reads the nine positional arguments the host passes. Throws a
/// std::runtime_error (a std::exception) with the text "Wrong parameter
/// numbers." when fewer than nine are given; arguments after the ninth are
/// ignored. Numbers are read with atoi, so text that is not a number gives 0.
void parseArguments(int argc, char** argv, std::string& projectPath, std::string& projectListPath,
                    int& reservedA, int& reservedB, int& versionMajor, int& versionMinor, int& versionPatch,
                    int& versionBuild, std::string& logLocation);
