#pragma once

#include "zreventbus.h"

#include <QString>

/// Posts one well-database message on the host's event bus.
inline void postWellDbMessage(drawType type, const QString& text, bool flag = false)
{
    ZREventBus::sendMessage(type, text, flag);
}
