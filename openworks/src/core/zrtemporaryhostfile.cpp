#include "zrtemporaryhostfile.h"

#include "zrlongpath.h"
#include "zrsurveyimport.h"

#include <QFile>

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
