#include "fuzzinput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace fuzz
{

namespace
{
std::unique_ptr<QTemporaryDir>& folderHolder()
{
    static std::unique_ptr<QTemporaryDir> folder;
    return folder;
}

void quietHandler(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

QString scratchFolder()
{
    std::unique_ptr<QTemporaryDir>& folder = folderHolder();
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/datalink-fuzz-XXXXXX"));
        std::atexit([] { folderHolder().reset(); });
    }
    return folder->path();
}

QString writeInput(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(reinterpret_cast<const char*>(data), qint64(size));
        file.close();
    }
    return path;
}

void initializeOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance()) {
        // libFuzzer runs have no main of ours: keep one application for the process.
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
    const QString root = scratchFolder();
    QDir().mkpath(root + QStringLiteral("/settings"));
    QDir().mkpath(root + QStringLiteral("/tmp"));
    qputenv("HOME", QFile::encodeName(root));
    qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("/tmp")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/settings")));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
        QSettings::setPath(QSettings::IniFormat, scope, root + QStringLiteral("/settings"));
    qInstallMessageHandler(quietHandler);
}

} // namespace fuzz
