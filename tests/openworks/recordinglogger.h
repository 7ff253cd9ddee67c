#pragma once

#include "imessagelogger.h"

#include <QString>
#include <QStringList>

#include <mutex>

/// Keeps every event-bus message it is handed as "drawType|text", for checks
/// on what an operation sent.
class RecordingLogger : public IMessageLogger
{
public:
    void log(int drawType, const std::string& text, bool) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.append(QString::number(drawType) + "|" + QString::fromStdString(text));
    }
    QStringList snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }

private:
    std::mutex mutex;
    QStringList lines;
};
