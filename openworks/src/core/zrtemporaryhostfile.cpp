#include "zrtemporaryhostfile.h"

#include "zrlongpath.h"
#include "zrsurveyimport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

ZRTemporaryHostFile::ZRTemporaryHostFile(const QString& target)
    : m_target(target)
    , m_path(temporaryVolumePath(target))
{
}

ZRTemporaryHostFile::~ZRTemporaryHostFile()
{
    if (!m_committed)
        QFile::remove(m_path);
}

bool ZRTemporaryHostFile::commit(QString* reason)
{
    if (std::rename(ZRLongPath::systemBytes(m_path).constData(), ZRLongPath::systemBytes(m_target).constData()) != 0) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_committed = true;
    return true;
}

int ZRTemporaryHostFile::removeStale(const QString& target)
{
    return removeStaleTemporaryVolumes(target);
}

QStringList ZRTemporaryHostFile::staleFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.partial")}, QDir::Files | QDir::Hidden | QDir::System);
}

int ZRTemporaryHostFile::removeStale(const QString& target, const QStringList& staleFiles)
{
    const QFileInfo info(target);
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    const QString suffix = QStringLiteral(".partial");
    QDir folder(info.absolutePath());
    int removed = 0;
    for (const QString& name : staleFiles) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix) || name.size() <= prefix.size() + suffix.size())
            continue;
        // Only "<prefix><process id>.partial": never a file of another target whose name starts alike.
        bool isNumber = false;
        name.mid(prefix.size(), name.size() - prefix.size() - suffix.size()).toLongLong(&isNumber);
        if (isNumber && folder.remove(name))
            ++removed;
    }
    return removed;
}
