#pragma once

#include "owdevkit.h"
#include "owsim.h"

#include <QString>
#include <QtTest>

#include <cstring>
#include <string>

/// Creates a district and a project in the OpenWorks home of the test
/// environment and opens it through the DevKit calls.
inline bool openTestProject(const QString& home, const std::string& district, const std::string& project,
                            owsim::MeasurementSystem system = owsim::MeasurementSystem::Metric)
{
    std::string error;
    const std::string root = home.toStdString();
    if (!owsim::createHome(root, &error) || !owsim::createDistrict(root, district, false, &error))
        return false;
    if (!owsim::projectExists(root, district, project) &&
        !owsim::createProject(root, district, project, system, &error))
        return false;
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict(district.c_str()) != 0)
        return false;
    int status = -1;
    prjOpen(project.c_str(), 0, &status);
    return status == 0 || status == PRJ_ALREADY_OPEN;
}

template <size_t N>
inline void setText(char (&field)[N], const char* text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text, strnlen(text, N - 1));
}
