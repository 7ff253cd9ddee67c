#pragma once

#include <QString>

/// The host process object of the zrprocess library. The data link builds one
/// (global zrProcess) at start-up; it carries the process identity.
class ZRProcess
{
public:
    ZRProcess();
    ~ZRProcess();

    qint64 processId() const;
    QString applicationName() const;
};

extern ZRProcess* zrProcess;
