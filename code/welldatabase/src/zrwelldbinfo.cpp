#include "zrwelldbinfo.h"

#include "zrxmltools.h"

#include "welldbfileops.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

namespace
{
quint32 readNumber(const QDomElement& root, const QString& name)
{
    const QDomElement element = root.firstChildElement(name);
    if (element.isNull())
        return ZRWellDbInfo::Unknown;
    QString text = element.attribute(QStringLiteral("value"));
    if (text.trimmed().isEmpty())
        text = element.text();
    bool ok = false;
    const uint number = text.trimmed().toUInt(&ok);
    return ok ? quint32(number) : ZRWellDbInfo::Unknown;
}
} // namespace

QString ZRWellDbInfo::fileName(const QString& folder)
{
    return folder + QStringLiteral("/wellDbInfo.xml");
}

bool ZRWellDbInfo::read(const QString& folder)
{
    m_major = Unknown;
    m_minor = Unknown;
    QFile file(fileName(folder));
    if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64(1) << 20))
        return false;
    // Read through the host's one XML reader, which refuses documents nested
    // beyond reason before building anything.
    QDomDocument document;
    if (!ZRXmlTools::parseDocument(file.readAll(), &document))
        return false;
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("GlobalHeader"))
        return false;
    m_major = readNumber(root, QStringLiteral("VersionNumber"));
    m_minor = readNumber(root, QStringLiteral("VersionNumberMinor"));
    return m_major != Unknown;
}

bool ZRWellDbInfo::write(const QString& folder) const
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("GlobalHeader"));
    document.appendChild(root);
    QDomElement major = document.createElement(QStringLiteral("VersionNumber"));
    major.setAttribute(QStringLiteral("value"), QString::number(m_major));
    root.appendChild(major);
    QDomElement minor = document.createElement(QStringLiteral("VersionNumberMinor"));
    minor.setAttribute(QStringLiteral("value"), QString::number(m_minor));
    root.appendChild(minor);

    const QString target = fileName(folder);
    const QString temporary = target + QStringLiteral(".saving");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = ZRXmlTools::toBytes(document, 1);
    const bool written = file.write(text) == text.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(temporary);
        return false;
    }
    if (welldb::replaceFile(temporary, target))
        return true;
    QFile::remove(temporary);
    return false;
}

void ZRWellDbInfo::setVersion(quint32 major, quint32 minor)
{
    m_major = major;
    m_minor = minor;
}

bool ZRWellDbInfo::isAtLeastCurrent() const
{
    if (m_major == Unknown)
        return false;
    if (m_major != CurrentMajor)
        return m_major > CurrentMajor;
    return m_minor != Unknown && m_minor >= CurrentMinor;
}

QString ZRWellDbInfo::versionText() const
{
    return numberText(m_major) + QLatin1Char('.') + numberText(m_minor);
}

QString ZRWellDbInfo::numberText(quint32 number)
{
    return number == Unknown ? QStringLiteral("Unknown") : QString::number(number);
}
