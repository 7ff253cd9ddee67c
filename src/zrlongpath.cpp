#include "zrlongpath.h"

#include <QDir>
#include <QFile>

QString ZRLongPath::prefixedName(const QString& fileName)
{
    const QString native = QDir::toNativeSeparators(fileName);
    if (fileName.size() >= PrefixFromLength)
        return QStringLiteral("\\\\?\\") + native;
    return native;
}

QString ZRLongPath::systemName(const QString& fileName)
{
#ifdef Q_OS_WIN
    return prefixedName(fileName);
#else
    return QDir::toNativeSeparators(fileName);
#endif
}

QByteArray ZRLongPath::systemBytes(const QString& fileName)
{
    return QFile::encodeName(systemName(fileName));
}
