#pragma once

#include "imessagelogger.h"

#include <QString>

/// Prints every event-bus message as "bus <draw type> <name>: <text>" on the
/// headless front end's output (called on the message manager's thread).
class ZRPrintingLogger : public IMessageLogger
{
public:
    void log(int drawType, const std::string& text, bool flag) override;

    /// "information", "error", "file-error", "call-trace", "status", or the number.
    static QString drawTypeName(int drawType);
};
