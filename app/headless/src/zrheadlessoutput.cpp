#include "zrheadlessoutput.h"

#include <cstdio>
#include <mutex>

#include <unistd.h>

namespace
{
std::mutex& outputMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool g_progressPending = false;

void endPendingLocked()
{
    if (g_progressPending) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        g_progressPending = false;
    }
}
} // namespace

void ZRHeadlessOutput::message(const QString& text)
{
    std::lock_guard<std::mutex> lock(outputMutex());
    endPendingLocked();
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void ZRHeadlessOutput::progress(const QString& text, bool final)
{
    std::lock_guard<std::mutex> lock(outputMutex());
    const QByteArray bytes = text.toLocal8Bit();
    if (progressOnTerminal()) {
        std::fprintf(stderr, "\r\033[K%s", bytes.constData());
        g_progressPending = !final;
        if (final)
            std::fputc('\n', stderr);
    } else {
        std::fprintf(stderr, "%s\n", bytes.constData());
    }
    std::fflush(stderr);
}

void ZRHeadlessOutput::endProgressLine()
{
    std::lock_guard<std::mutex> lock(outputMutex());
    endPendingLocked();
}

bool ZRHeadlessOutput::progressOnTerminal()
{
    static const bool terminal = isatty(STDERR_FILENO) != 0;
    return terminal;
}
