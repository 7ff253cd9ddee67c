#pragma once

#include "owdevkit.h"

/// Ends what a survey's seismic access opened in the DevKit, on every path:
/// the seismic file (dm3dcl_) once dm3dop_ succeeded, the survey's 3D project
/// (prjend_) once prjin2_ succeeded.
class SeismicFileScope
{
public:
    explicit SeismicFileScope(void* controlBlock)
        : m_controlBlock(controlBlock)
    {
    }
    ~SeismicFileScope() { close(); }
    SeismicFileScope(const SeismicFileScope&) = delete;
    SeismicFileScope& operator=(const SeismicFileScope&) = delete;

    void projectStarted() { m_projectStarted = true; }
    void fileOpened() { m_fileOpen = true; }

    void close()
    {
        const int zero = 0;
        if (m_fileOpen) {
            int status = 0;
            dm3dcl_(m_controlBlock, &zero, &status);
            m_fileOpen = false;
        }
        if (m_projectStarted) {
            const int projectType = 3; // a 3D project
            prjend_(&projectType, &zero);
            m_projectStarted = false;
        }
    }

private:
    void* m_controlBlock;
    bool m_projectStarted = false;
    bool m_fileOpen = false;
};

