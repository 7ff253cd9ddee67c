#include "ensuredistrictdatafolder.h"

#include "owdevkit.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

QString districtDataFolder(const QString& name, QString& errorText)
{
    char district[256] = {};
    char path[1024] = {};
    if (prjGetSysDistrict(district, int(sizeof district)) != 0
        || lgcGetPathFromDistrict(district, path, int(sizeof path)) != 0) {
        errorText = QStringLiteral("Unable to query OpenWorks® path from district");
        return QString();
    }
    QFile file(QString::fromLocal8Bit(path) + QDir::separator() + QStringLiteral("dir.dat"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        errorText = QStringLiteral("Unable to open the OpenWorks® flat file configuration (district.dat)");
        return QString();
    }
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.startsWith(QLatin1Char('#')) || !line.endsWith(QLatin1String("OTHER_FILES")))
            continue;
        return line.section(QLatin1Char(' '), 0, 0) + QDir::separator() + name;
    }
    errorText = QStringLiteral("OpenWorks® dir.dat file is empty or misconfigured");
    return QString();
}

bool ensureDistrictDataFolder(const QString& name, QString& errorText)
{
    const QString folder = districtDataFolder(name, errorText);
    if (folder.isEmpty())
        return false;
    if (!QDir(folder).exists())
        QDir().mkpath(folder);
    return QDir(folder).exists();
}
