#include "zrprocess.h"

#include <QCoreApplication>

ZRProcess* zrProcess = nullptr;

ZRProcess::ZRProcess() = default;
ZRProcess::~ZRProcess() = default;

qint64 ZRProcess::processId() const
{
    return QCoreApplication::applicationPid();
}

QString ZRProcess::applicationName() const
{
    return QCoreApplication::applicationName();
}
