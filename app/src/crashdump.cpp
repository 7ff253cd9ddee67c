#include "crashdump.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
constexpr size_t kPathSize = 260;

int g_version[4] = {0, 0, 0, 0};
char g_dumpPath[kPathSize] = {};
/// The temporary folder with its trailing separator, taken by prepareCrashReports().
char g_temporary[kPathSize] = {};
/// Seconds east of UTC at preparation, for local times inside the signal handler.
std::atomic<long> g_utcOffset{0};
/// Kernel id of the thread writing a report from the signal handler; 0 when none.
std::atomic<long> g_reportingThread{0};

// Everything below until writeReport() is async-signal-safe: fixed buffers,
// write(2), no allocation, no locale, no lock.

/// Appends to a fixed buffer, always NUL-terminated; a full buffer drops the rest.
class Text
{
public:
    Text(char* buffer, size_t size) : m_buffer(buffer), m_size(size) { m_buffer[0] = '\0'; }

    Text& operator<<(const char* text)
    {
        while (text && *text && m_length + 1 < m_size)
            m_buffer[m_length++] = *text++;
        m_buffer[m_length] = '\0';
        return *this;
    }
    Text& number(long long value, int width = 0)
    {
        char digits[24];
        int count = 0;
        unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
        do {
            digits[count++] = char('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude > 0);
        if (value < 0)
            *this << "-";
        for (int pad = count; pad < width; ++pad)
            *this << "0";
        char reversed[24];
        for (int i = 0; i < count; ++i)
            reversed[i] = digits[count - 1 - i];
        reversed[count] = '\0';
        return *this << reversed;
    }
    Text& hexadecimal(unsigned long long value, int width)
    {
        static const char kDigits[] = "0123456789abcdef";
        char text[20];
        int count = 0;
        do {
            text[count++] = kDigits[value & 0xF];
            value >>= 4;
        } while (value != 0 && count < 16);
        char ordered[20];
        int length = 0;
        for (int pad = count; pad < width; ++pad)
            ordered[length++] = '0';
        for (int i = count - 1; i >= 0; --i)
            ordered[length++] = text[i];
        ordered[length] = '\0';
        return *this << ordered;
    }
    Text& pointer(const void* address)
    {
        *this << "0x";
        return hexadecimal(reinterpret_cast<std::uintptr_t>(address), 0);
    }
    const char* text() const { return m_buffer; }
    size_t length() const { return m_length; }
    bool complete() const { return m_length + 1 < m_size; }

private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

void writeText(int file, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(file, text, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text += written;
        length -= size_t(written);
    }
}

void writeText(int file, const char* text)
{
    writeText(file, text, std::strlen(text));
}

void writeLine(int file, Text& line)
{
    line << "\n";
    writeText(file, line.text(), line.length());
}

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

/// Civil date and time of `seconds` since the epoch (proleptic Gregorian).
void civilTime(long long seconds, std::tm* out)
{
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    out->tm_hour = int(rest / 3600);
    out->tm_min = int(rest % 3600 / 60);
    out->tm_sec = int(rest % 60);
    // Days to year, month and day (H. Hinnant's civil_from_days).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    out->tm_mday = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    out->tm_mon = int(monthIndex < 10 ? monthIndex + 2 : monthIndex - 10);
    out->tm_year = int(yearOfEra + era * 400 + (out->tm_mon <= 1 ? 1 : 0) - 1900);
}

void temporaryFolderFromEnvironment(char* target)
{
    const char* fromEnvironment = std::getenv("TMPDIR");
    Text folder(target, kPathSize);
    folder << (fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp");
    if (folder.length() > 0 && target[folder.length() - 1] != '/')
        folder << "/";
}

/// The report itself. `demangle` (outside a signal handler only) names frames
/// through dladdr and the C++ demangler; otherwise backtrace_symbols_fd names them.
bool writeReport(const wintools::ExceptionPointers* pointers, const std::tm& local, bool demangle);

void writeDemangledFrame(int file, int index, void* address);

} // namespace

void setCrashReportVersion(int major, int minor, int patch, int build)
{
    g_version[0] = major;
    g_version[1] = minor;
    g_version[2] = patch;
    g_version[3] = build;
    prepareCrashReports();
}

void prepareCrashReports()
{
    temporaryFolderFromEnvironment(g_temporary);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_utcOffset = local.tm_gmtoff;
}

const char* crashDumpPath()
{
    return g_dumpPath;
}

bool writeCrashDump(const wintools::ExceptionPointers* pointers)
{
    prepareCrashReports();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return writeReport(pointers, local, true);
}

bool writeCrashDumpFromSignal(const wintools::ExceptionPointers* pointers)
{
    if (g_temporary[0] == '\0')
        temporaryFolderFromEnvironment(g_temporary); // getenv reads memory only
    struct timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    civilTime(static_cast<long long>(now.tv_sec) + g_utcOffset.load(), &local);
    return writeReport(pointers, local, false);
}

void reportCrashFromSignal(const wintools::ExceptionPointers* pointers)
{
    const long self = wintools::currentThreadId();
    long expected = 0;
    if (!g_reportingThread.compare_exchange_strong(expected, self)) {
        if (expected != self) {
            // Another thread is writing the report: give it time to finish and exit.
            for (int waited = 0; waited < 100; ++waited) {
                struct timespec pause{0, 100 * 1000 * 1000};
                nanosleep(&pause, nullptr);
            }
        }
        // A fault while reporting (or a report that never ended): the path as it stands.
        writeText(STDERR_FILENO, "1\n");
        writeText(STDERR_FILENO, g_dumpPath);
        writeText(STDERR_FILENO, "\n");
        ::_exit(255);
    }
    writeCrashDumpFromSignal(pointers);
    writeText(STDERR_FILENO, "1\n");
    writeText(STDERR_FILENO, g_dumpPath);
    writeText(STDERR_FILENO, "\n");
    ::_exit(255);
}

namespace
{

void writeDemangledFrame(int file, int index, void* address)
{
    char buffer[1024];
    Text line(buffer, sizeof buffer);
    line << "  #" << "";
    line.number(index);
    line << " ";
    line.pointer(address);
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) {
        writeLine(file, line);
        return;
    }
    const char* module = std::strrchr(info.dli_fname, '/');
    module = module ? module + 1 : info.dli_fname;
    line << " " << module;
    if (!info.dli_sname) {
        line << "+0x";
        line.hexadecimal(static_cast<unsigned long long>(reinterpret_cast<const char*>(address)
                                                         - reinterpret_cast<const char*>(info.dli_fbase)),
                         0);
        writeLine(file, line);
        return;
    }
    int status = -1;
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    line << ": " << (status == 0 && demangled ? demangled : info.dli_sname) << "+0x";
    line.hexadecimal(static_cast<unsigned long long>(reinterpret_cast<const char*>(address)
                                                     - reinterpret_cast<const char*>(info.dli_saddr)),
                     0);
    std::free(demangled);
    writeLine(file, line);
}

bool writeReport(const wintools::ExceptionPointers* pointers, const std::tm& local, bool demangle)
{
    char versionBuffer[50];
    Text version(versionBuffer, sizeof versionBuffer);
    version << "v";
    version.number(g_version[0]) << ".";
    version.number(g_version[1]) << ".";
    version.number(g_version[2]) << ".";
    version.number(g_version[3]);

    char folderBuffer[kPathSize];
    Text folder(folderBuffer, sizeof folderBuffer);
    folder << g_temporary << "Velostrat";
    if (!folder.complete() || (::mkdir(folderBuffer, 0755) != 0 && errno != EEXIST))
        return false;

    const long processId = long(::getpid());
    const long threadId = pointers && pointers->threadId ? pointers->threadId : wintools::currentThreadId();
    char pathBuffer[kPathSize];
    Text path(pathBuffer, sizeof pathBuffer);
    path << folderBuffer << "/" << versionBuffer << "-";
    path.number(local.tm_year + 1900, 4).number(local.tm_mon + 1, 2).number(local.tm_mday, 2) << "-";
    path.number(local.tm_hour, 2).number(local.tm_min, 2).number(local.tm_sec, 2) << "-";
    path.number(processId) << "-";
    path.number(threadId) << ".dmp";
    if (!path.complete())
        return false;
    std::memcpy(g_dumpPath, pathBuffer, path.length() + 1);

    const int file = ::open(g_dumpPath, O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644);
    if (file < 0)
        return false;

    char buffer[512];
    writeText(file, "OpenWorks Data Link crash report\n");
    Text line(buffer, sizeof buffer);
    line << "Version: " << versionBuffer;
    writeLine(file, line);
    line = Text(buffer, sizeof buffer);
    line << "Time: ";
    line.number(local.tm_year + 1900, 4) << "-";
    line.number(local.tm_mon + 1, 2) << "-";
    line.number(local.tm_mday, 2) << " ";
    line.number(local.tm_hour, 2) << ":";
    line.number(local.tm_min, 2) << ":";
    line.number(local.tm_sec, 2);
    writeLine(file, line);
    line = Text(buffer, sizeof buffer);
    line << "Process: ";
    line.number(processId) << "\nThread: ";
    line.number(threadId);
    writeLine(file, line);
    if (pointers) {
        line = Text(buffer, sizeof buffer);
        line << "Exception code: 0x";
        line.hexadecimal(pointers->code, 8);
        writeLine(file, line);
        line = Text(buffer, sizeof buffer);
        line << "Signal: ";
        line.number(pointers->signalNumber) << " " << signalName(pointers->signalNumber) << ", code ";
        line.number(pointers->signalCode);
        writeLine(file, line);
        line = Text(buffer, sizeof buffer);
        line << "Fault address: ";
        line.pointer(pointers->faultAddress);
        writeLine(file, line);
        line = Text(buffer, sizeof buffer);
        line << "Instruction address: ";
        line.pointer(pointers->instructionAddress);
        writeLine(file, line);
        line = Text(buffer, sizeof buffer);
        line << "Handled: "
             << (pointers->untranslatedReason ? "in the fault handler, not translated: " : "as an exception caught by the entry")
             << (pointers->untranslatedReason ? pointers->untranslatedReason : "");
        writeLine(file, line);
        line = Text(buffer, sizeof buffer);
        line << "Backtrace (";
        line.number(pointers->frameCount) << " frames):";
        writeLine(file, line);
        for (int i = 0; i < pointers->frameCount; ++i) {
            if (demangle) {
                writeDemangledFrame(file, i, pointers->frames[i]);
                continue;
            }
            line = Text(buffer, sizeof buffer);
            line << "  #";
            line.number(i) << " ";
            writeText(file, line.text(), line.length());
            backtrace_symbols_fd(&pointers->frames[i], 1, file);
        }
    } else {
        writeText(file, "No exception record.\n");
    }
    const bool ok = ::fsync(file) == 0 || errno == EINVAL;
    ::close(file);
    return ok;
}

} // namespace
