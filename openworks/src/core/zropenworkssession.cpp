#include "zropenworkssession.h"

#include "owdevkit.h"
#include "zreventbus.h"

#include <cstring>

namespace
{
QString local8Bit(const char* text)
{
    return QString::fromLocal8Bit(text ? text : "");
}

constexpr int kProjectNameRecordSize = 21;
} // namespace

ZROpenworksSession::~ZROpenworksSession()
{
    closeProject();
    end();
}

bool ZROpenworksSession::start(QString* errorText)
{
    if (m_started)
        return true;
    if (owinit() != 0) {
        if (errorText)
            *errorText = QStringLiteral("OpenWorks® was unable to initialize.\nPlease verify that OpenWorks® is "
                                        "installed and correctly configured.");
        return false;
    }
    const int status = gdiInit();
    if (status != 0) {
        if (errorText)
            *errorText = QStringLiteral("Unable to initialize GDI subsystem: %1").arg(local8Bit(gdiErrorMessage(status)));
        return false;
    }
    m_started = true;
    return true;
}

void ZROpenworksSession::end()
{
    if (!m_started)
        return;
    gdiClose();
    m_started = false;
}

QString ZROpenworksSession::startFailureTitle()
{
    return QStringLiteral("OpenWorks® failed to initialize");
}

QString ZROpenworksSession::systemDistrict()
{
    char district[256] = {};
    if (prjGetSysDistrict(district, int(sizeof district)) != 0)
        return QString();
    return local8Bit(district);
}

int ZROpenworksSession::setSystemDistrict(const QString& district)
{
    const QByteArray name = district.toLocal8Bit();
    return prjSetSysDistrict(name.constData());
}

bool ZROpenworksSession::districtExists(const QString& district)
{
    char path[1024] = {};
    const QByteArray name = district.toLocal8Bit();
    return !district.isEmpty() && lgcGetPathFromDistrict(name.constData(), path, int(sizeof path)) == 0;
}

QStringList ZROpenworksSession::districts(int* status)
{
    QStringList names;
    lgcDistrictDef* definition = nullptr;
    int result = lgc_getdistrict(&definition);
    if (result == 0) {
        char** list = nullptr;
        result = getFindDistrictList(definition, &list);
        if (result == 0) {
            for (char** name = list; name && *name; ++name)
                names.append(local8Bit(*name));
        }
        getFreeDistrictDef(definition);
    }
    if (status)
        *status = result;
    return result == 0 ? names : QStringList();
}

QStringList ZROpenworksSession::projects(int* status)
{
    char* names = nullptr;
    int count = 0;
    int result = 0;
    prjGetPrjs(&names, &count, &result);
    ZREventBus::sendMessage(eDrawCallTrace,
                            QStringLiteral("OpenWorks projects query error=%1 numProjects=%2").arg(result).arg(count),
                            false);
    if (status)
        *status = result;
    QStringList projects;
    if (result != 0) {
        owfree(names);
        ZREventBus::sendMessage(
            eDrawError, QStringLiteral("Unable to query OpenWorks® projects, prjGetPrjs error code: %1").arg(result),
            false);
        return projects;
    }
    for (int i = 0; names && i < count; ++i) {
        const char* record = names + kProjectNameRecordSize * i;
        projects.append(QString::fromLatin1(record, int(strnlen(record, kProjectNameRecordSize))));
    }
    if (names)
        owfree(names);
    return projects;
}

bool ZROpenworksSession::openProject(const QString& name, QString* errorText)
{
    const int closeStatus = prjClose();
    if (closeStatus != 0) {
        if (errorText)
            *errorText = closeErrorText(closeStatus);
        return false;
    }
    m_projectOpen = false;
    m_projectName.clear();
    int status = 0;
    const QByteArray projectName = name.toLocal8Bit();
    prjOpen(projectName.constData(), 0, &status);
    if (status != 0) {
        if (errorText)
            *errorText = openErrorText(status);
        return false;
    }
    m_projectOpen = true;
    m_projectName = name;
    return true;
}

int ZROpenworksSession::closeProject()
{
    if (!m_projectOpen)
        return 0;
    m_projectOpen = false;
    m_projectName.clear();
    return prjClose();
}

QString ZROpenworksSession::openErrorText(int status)
{
    switch (status) {
    case 117700701: return QStringLiteral("The project was already open.");
    case 217700701: return QStringLiteral("The project does not exist.");
    case 217700702: return QStringLiteral("Insufficient access privilege.");
    case 217700703: return QStringLiteral("Unable to open the project in shared mode.");
    case 217700798: return QStringLiteral("Invalid input argument.");
    case 317700799: return QStringLiteral("Fatal internal error.");
    case 317707103: return QStringLiteral("Table not found in DB (Bad group name).");
    case 317707121: return QStringLiteral("Host system error (Bad node name provided or server down).");
    case 317707123:
        return QStringLiteral(
            "Unmappable error (Bad project name or bad option field or database has been exclusively locked).");
    default: return QStringLiteral("Unknown error occurred.");
    }
}

QString ZROpenworksSession::closeErrorText(int status)
{
    switch (status) {
    case 117700202: return QStringLiteral("Did not clear Active Indicator.");
    case 217700203: return QStringLiteral("Failed to disconnect from project.");
    case 217700204: return QStringLiteral("Currently no active project.");
    default: return QStringLiteral("Unknown error condition.");
    }
}
