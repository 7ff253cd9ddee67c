#pragma once

#include <QString>
#include <QTemporaryDir>

/// A hermetic environment for one test executable. Built once (in
/// initTestCase), it points every user-level location at a fresh temporary
/// folder and restores nothing: the folder is removed when the object dies.
///
/// - QSettings (every format and scope) -> root()/settings
/// - HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME -> below root()
/// - TMPDIR (crash reports, QDir::tempPath) -> root()/tmp
/// - OWHOME (the OpenWorks home of the DevKit stand-in) -> root()/openworks
/// - logPath() -> root()/logs (for file loggers)
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    bool isValid() const;
    QString root() const;
    QString settingsPath() const;
    QString tempPath() const;
    QString openWorksHome() const;
    QString logPath() const;

    /// A new empty folder below root() (named after hint, made unique).
    QString makeFolder(const QString& hint) const;

    /// Folder of the test data kept in the repository (tests/data; "segy"
    /// holds the SEG-Y fixtures). $DATALINK_SHARED_DATA overrides it.
    static QString sharedDataPath();
    /// Top of the source tree.
    static QString sourcePath();
    /// Folder holding the built executables (the build tree's bin folder).
    static QString binaryPath();

private:
    QTemporaryDir m_dir;
};
