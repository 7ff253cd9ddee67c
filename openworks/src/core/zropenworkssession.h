#pragma once

#include <QString>
#include <QStringList>

/// The OpenWorks DevKit as one process uses it: the DevKit started (owinit,
/// gdiInit), the system district, and at most one open OpenWorks project.
///
/// The exchange window, its project browser and the headless front end all go
/// through one such object. Whatever it started and is still open when it is
/// destroyed is closed in reverse order: the project (prjClose), then the
/// DevKit (gdiClose).
class ZROpenworksSession
{
public:
    ZROpenworksSession() = default;
    ~ZROpenworksSession();
    ZROpenworksSession(const ZROpenworksSession&) = delete;
    ZROpenworksSession& operator=(const ZROpenworksSession&) = delete;

    /// Starts the DevKit: owinit, then gdiInit. On failure *errorText is the
    /// text the window shows under startFailureTitle(). May be called again
    /// after a failure (retry).
    bool start(QString* errorText = nullptr);
    bool isStarted() const { return m_started; }
    /// Ends the DevKit (gdiClose) when it was started. An open project stays
    /// marked open: closeProject() still gives it back (prjClose).
    void end();
    /// "OpenWorks® failed to initialize".
    static QString startFailureTitle();

    /// The system district (prjGetSysDistrict); empty when none is set.
    static QString systemDistrict();
    /// Makes district the system district (prjSetSysDistrict); its status.
    static int setSystemDistrict(const QString& district);
    /// Whether the OpenWorks home has a district of that name.
    static bool districtExists(const QString& district);
    /// The districts of the OpenWorks home, in the DevKit's order
    /// (lgc_getdistrict, getFindDistrictList; the definition is given back).
    /// *status: 0, or the status of the failing call (an empty list).
    static QStringList districts(int* status = nullptr);
    /// The projects of the system district (prjGetPrjs, array given back with
    /// owfree), in the DevKit's order. Sends "OpenWorks projects query
    /// error=%1 numProjects=%2" (draw type 3) and, when the query failed,
    /// "Unable to query OpenWorks® projects, prjGetPrjs error code: %1"
    /// (draw type 1). *status: the query's status.
    static QStringList projects(int* status = nullptr);

    /// Closes the open project if any (prjClose is called in every case: a
    /// failure there gives its text and no open is tried), then opens name of
    /// the system district (prjOpen, option 0). False with the text of the
    /// failing status in *errorText (closeErrorText / openErrorText).
    bool openProject(const QString& name, QString* errorText = nullptr);
    /// Gives back the open project (prjClose) when one is open; its status (0
    /// when none was open).
    int closeProject();
    bool isProjectOpen() const { return m_projectOpen; }
    /// The name of the open project (empty when none).
    QString projectName() const { return m_projectOpen ? m_projectName : QString(); }

    /// Texts of the statuses of prjOpen and prjClose.
    static QString openErrorText(int status);
    static QString closeErrorText(int status);

private:
    bool m_started = false;
    bool m_projectOpen = false;
    QString m_projectName;
};
