#include "zropenworksmessages.h"

#include "owdevkit.h"
#include "zreventbus.h"

#include <QString>

namespace owmessages
{

namespace
{
void forward(int code, const char* text)
{
    ZREventBus::sendMessage(eDrawInformation,
                            QString::number(code) + QStringLiteral(" : ") + QString::fromLocal8Bit(text ? text : ""),
                            false);
}
} // namespace

void quietHandler(int* code, const char* text)
{
    if (code && *code > 200000000)
        forward(*code, text);
}

void verboseHandler(int* code, const char* text)
{
    if (code)
        forward(*code, text);
}

void install(bool verbose)
{
    OhnoAddErrorHandler(verbose ? verboseHandler : quietHandler);
}

void uninstall()
{
    OhnoAddErrorHandler(nullptr);
}

} // namespace owmessages
