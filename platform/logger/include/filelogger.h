#pragma once

#include "imessagelogger.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace logger
{

/// Lowest severity a logger keeps. Level 0 keeps everything.
enum eSeverityLevel
{
    eTrace = 0,
    eInformation = 1,
    eWarning = 2,
    eError = 3
};

/// Severity of a message from its draw type: 3 (call traces) is a trace,
/// 1 and 2 are errors, every other draw type is information.
eSeverityLevel severityOfDrawType(int drawType);

/// Writes one line per message to "<location>/<name>.log":
///   yyyy-MM-dd HH:mm:ss.zzz <TAB> draw type <TAB> text
/// Line breaks and tabs inside a text are written as the two characters "\n"
/// and "\t", so that a message is always exactly one line.
///
/// Rotation: before a line would take the current file past maximumFileSizeMiB
/// mebibytes, the files shift by one ("<name>.log" becomes "<name>.1.log",
/// "<name>.1.log" becomes "<name>.2.log", ...) and a new "<name>.log" starts.
/// At most maximumFileCount files exist at once, the current one included; the
/// oldest is removed.
class FileLogger : public IMessageLogger
{
public:
    FileLogger(const QString& location, const QString& name, eSeverityLevel level,
               int maximumFileCount, int maximumFileSizeMiB);
    ~FileLogger() override;

    FileLogger(const FileLogger&) = delete;
    FileLogger& operator=(const FileLogger&) = delete;

    void log(int drawType, const std::string& text, bool flag) override;

    /// Path of the file currently written.
    QString currentFilePath() const;
    /// Path of the n-th older file (1 is the most recent rotated file).
    QString rotatedFilePath(int index) const;

private:
    bool openCurrent();
    void rotate();

    QString m_location;
    QString m_name;
    eSeverityLevel m_level;
    int m_maximumFileCount;
    std::int64_t m_maximumFileSize;

    mutable std::mutex m_mutex;
    std::FILE* m_file = nullptr;
    std::int64_t m_currentSize = 0;
};

} // namespace logger
