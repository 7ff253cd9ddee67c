// Fuzz target of the SEG-Y loader of the DevKit stand-in (owsim load-segy):
// each input is loaded as a data set of a new survey into a scratch project;
// what a load created is deleted again so that the project stays small.

#include "fuzzinput.h"
#include "owdevkit.h"
#include "owsim.h"

#include <cstring>
#include <string>

namespace
{
const char* const kDistrict = "Fuzz";
const char* const kProject = "FUZZ";
const char* const kSurvey = "Fuzzed";

const std::string& home()
{
    static const std::string path = (fuzz::scratchFolder() + QStringLiteral("/openworks")).toStdString();
    return path;
}

bool prepareOnce()
{
    static const bool ready = [] {
        std::string error;
        return owsim::createHome(home(), &error) && owsim::createDistrict(home(), kDistrict, false, &error) &&
               owsim::createProject(home(), kDistrict, kProject, owsim::MeasurementSystem::Metric, &error) &&
               owinit() == 0 && gdiInit() == 0;
    }();
    return ready;
}

/// Deletes the loaded survey (its data set and file go with it).
void removeLoadedSurvey()
{
    owsim::setHomeOverride(home());
    prjSetSysDistrict(kDistrict);
    int status = -1;
    prjOpen(kProject, 0, &status);
    if (status == 0) {
        gdi3dSurvey_t survey;
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        std::strncpy(survey.name, kSurvey, sizeof(survey.name) - 1);
        if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) == 0 && gdiDelete(GDI_CLASS_3D_SURVEY, &survey) == 0)
            gdiCommit();
        else
            gdiRollback();
        prjClose();
    }
    owsim::setHomeOverride(std::string());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    if (!prepareOnce())
        return 0;
    const QString path = fuzz::writeInput(QStringLiteral("input.sgy"), data, size);
    std::string error;
    if (owsim::loadSegy(home(), kDistrict, kProject, path.toStdString(), kSurvey, "Data", "TIME", &error))
        removeLoadedSurvey();
    return 0;
}
