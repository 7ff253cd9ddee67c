#include "arguments.h"

#include <cstdlib>
#include <stdexcept>

void parseArguments(int argc, char** argv, std::string& projectPath, std::string& projectListPath,
                    int& reservedA, int& reservedB, int& versionMajor, int& versionMinor, int& versionPatch,
                    int& versionBuild, std::string& logLocation)
{
    if (argc < 10)
        throw std::runtime_error("Wrong parameter numbers.");
    projectPath = argv[1];
    projectListPath = argv[2];
    reservedA = std::atoi(argv[3]);
    reservedB = std::atoi(argv[4]);
    versionMajor = std::atoi(argv[5]);
    versionMinor = std::atoi(argv[6]);
    versionPatch = std::atoi(argv[7]);
    versionBuild = std::atoi(argv[8]);
    logLocation = argv[9];
}
