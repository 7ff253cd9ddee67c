#include "testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>

#include <cstdlib>

namespace
{
void setEnvironment(const char* name, const QString& value)
{
    qputenv(name, QFile::encodeName(value));
}
} // namespace

TestEnvironment::TestEnvironment()
    : m_dir(QDir::tempPath() + QStringLiteral("/datalink-test-XXXXXX"))
{
    if (!m_dir.isValid())
        return;
    const QString base = m_dir.path();
    for (const char* sub : {"settings", "tmp", "openworks", "logs", "home", "config", "data", "cache", "runtime"})
        QDir(base).mkpath(QString::fromLatin1(sub));

    setEnvironment("HOME", base + "/home");
    setEnvironment("XDG_CONFIG_HOME", base + "/config");
    setEnvironment("XDG_DATA_HOME", base + "/data");
    setEnvironment("XDG_CACHE_HOME", base + "/cache");
    setEnvironment("XDG_RUNTIME_DIR", base + "/runtime");
    QFile::setPermissions(base + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setEnvironment("TMPDIR", base + "/tmp");
    setEnvironment("OWHOME", base + "/openworks");

    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, base + "/settings");
        QSettings::setPath(format, QSettings::SystemScope, base + "/settings/system");
    }
    QStandardPaths::setTestModeEnabled(true);
}

TestEnvironment::~TestEnvironment() = default;

bool TestEnvironment::isValid() const { return m_dir.isValid(); }
QString TestEnvironment::root() const { return m_dir.path(); }
QString TestEnvironment::settingsPath() const { return root() + "/settings"; }
QString TestEnvironment::tempPath() const { return root() + "/tmp"; }
QString TestEnvironment::openWorksHome() const { return root() + "/openworks"; }
QString TestEnvironment::logPath() const { return root() + "/logs"; }

QString TestEnvironment::makeFolder(const QString& hint) const
{
    const QString path = root() + "/" + hint + "-" + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QDir().mkpath(path);
    return path;
}

QString TestEnvironment::sharedDataPath()
{
    const QByteArray fromEnvironment = qgetenv("DATALINK_SHARED_DATA");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(QFile::decodeName(fromEnvironment));
    return QDir::cleanPath(sourcePath() + "/tests/data");
}

QString TestEnvironment::sourcePath()
{
    const QByteArray fromEnvironment = qgetenv("DATALINK_SOURCE_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(QFile::decodeName(fromEnvironment));
    return QStringLiteral(DATALINK_SOURCE_DIR_DEFAULT);
}

QString TestEnvironment::binaryPath()
{
    return QStringLiteral(DATALINK_BINARY_DIR_DEFAULT);
}
