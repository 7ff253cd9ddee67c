#pragma once

#include <string>

/// Receives every message that reaches the message manager, in arrival order.
/// Implementations are called from the manager's listener thread.
class IMessageLogger
{
public:
    virtual ~IMessageLogger() = default;

    /// One message: its draw type (see drawType in zreventbus.h), its UTF-8 text
    /// and the flag it was sent with.
    virtual void log(int drawType, const std::string& text, bool flag) = 0;
};
