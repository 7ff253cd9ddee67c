#include "crashdump.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
constexpr size_t kPathSize = 260;

int g_version[4] = {0, 0, 0, 0};
char g_dumpPath[kPathSize] = {};

const char* signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGSEGV: return "SIGSEGV (segmentation fault)";
    case SIGBUS: return "SIGBUS (bus error)";
    case SIGILL: return "SIGILL (illegal instruction)";
    case SIGFPE: return "SIGFPE (floating-point error)";
    case SIGABRT: return "SIGABRT (abort)";
    case 0: return "none (raised exception)";
    default: return "other";
    }
}

void writeText(int file, const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(file, text, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text += written;
        left -= size_t(written);
    }
}

void writeFormat(int file, const char* format, ...) __attribute__((format(printf, 2, 3)));
void writeFormat(int file, const char* format, ...)
{
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    writeText(file, line);
}

void writeFrame(int file, int index, void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) {
        writeFormat(file, "  #%-2d %p\n", index, address);
        return;
    }
    const char* module = std::strrchr(info.dli_fname, '/');
    module = module ? module + 1 : info.dli_fname;
    if (!info.dli_sname) {
        const auto offset = reinterpret_cast<const char*>(address) - reinterpret_cast<const char*>(info.dli_fbase);
        writeFormat(file, "  #%-2d %p %s+0x%lx\n", index, address, module, static_cast<unsigned long>(offset));
        return;
    }
    int status = -1;
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    const auto offset = reinterpret_cast<const char*>(address) - reinterpret_cast<const char*>(info.dli_saddr);
    writeFormat(file, "  #%-2d %p %s: %s+0x%lx\n", index, address, module,
                status == 0 && demangled ? demangled : info.dli_sname, static_cast<unsigned long>(offset));
    std::free(demangled);
}

} // namespace

void setCrashReportVersion(int major, int minor, int patch, int build)
{
    g_version[0] = major;
    g_version[1] = minor;
    g_version[2] = patch;
    g_version[3] = build;
}

const char* crashDumpPath()
{
    return g_dumpPath;
}

bool writeCrashDump(const wintools::ExceptionPointers* pointers)
{
    char version[50];
    std::snprintf(version, sizeof version, "v%d.%d.%d.%d", g_version[0], g_version[1], g_version[2], g_version[3]);

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    // The temporary folder, with its trailing separator.
    char temporary[kPathSize];
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::snprintf(temporary, sizeof temporary, "%s", fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp");
    const size_t length = std::strlen(temporary);
    if (length > 0 && temporary[length - 1] != '/' && length + 1 < sizeof temporary) {
        temporary[length] = '/';
        temporary[length + 1] = '\0';
    }

    char folder[kPathSize];
    std::snprintf(folder, sizeof folder, "%s%s", temporary, "Velostrat");
    if (::mkdir(folder, 0755) != 0 && errno != EEXIST)
        return false;

    const long processId = long(::getpid());
    const long threadId = pointers && pointers->threadId ? pointers->threadId : wintools::currentThreadId();
    const int written = std::snprintf(g_dumpPath, sizeof g_dumpPath, "%s%s/%s-%04d%02d%02d-%02d%02d%02d-%ld-%ld.dmp",
                                      temporary, "Velostrat", version, local.tm_year + 1900, local.tm_mon + 1,
                                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, processId, threadId);
    if (written < 0 || size_t(written) >= sizeof g_dumpPath)
        return false;

    const int file = ::open(g_dumpPath, O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644);
    if (file < 0)
        return false;

    writeText(file, "OpenWorks Data Link crash report\n");
    writeFormat(file, "Version: %s\n", version);
    writeFormat(file, "Time: %04d-%02d-%02d %02d:%02d:%02d\n", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
    writeFormat(file, "Process: %ld\nThread: %ld\n", processId, threadId);
    if (pointers) {
        writeFormat(file, "Exception code: 0x%08X\n", pointers->code);
        writeFormat(file, "Signal: %d %s, code %d\n", pointers->signalNumber, signalName(pointers->signalNumber),
                    pointers->signalCode);
        writeFormat(file, "Fault address: %p\n", pointers->faultAddress);
        writeFormat(file, "Instruction address: %p\n", pointers->instructionAddress);
        writeFormat(file, "Backtrace (%d frames):\n", pointers->frameCount);
        for (int i = 0; i < pointers->frameCount; ++i)
            writeFrame(file, i, pointers->frames[i]);
    } else {
        writeText(file, "No exception record.\n");
    }
    const bool ok = ::fsync(file) == 0 || errno == EINVAL;
    ::close(file);
    return ok;
}
