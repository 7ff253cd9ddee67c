#pragma once

#include "owdevkit.h"
#include "owsim.h"

#include <QString>

#include <string>

/// Opens a new OpenWorks project of the DevKit stand-in in the test's
/// OpenWorks home; closeOpenWorksProject() ends the session.
inline bool openOpenWorksProject(const QString& home, const char* project, owsim::MeasurementSystem system)
{
    std::string error;
    const std::string root = home.toStdString();
    if (!owsim::createHome(root, &error) || !owsim::createDistrict(root, "HOSTSTORE", false, &error))
        return false;
    if (!owsim::projectExists(root, "HOSTSTORE", project) && !owsim::createProject(root, "HOSTSTORE", project, system, &error))
        return false;
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict("HOSTSTORE") != 0)
        return false;
    int status = -1;
    prjOpen(project, 0, &status);
    return status == 0;
}

inline void closeOpenWorksProject()
{
    owsim::clearInjections();
    prjClose();
    gdiClose();
}
