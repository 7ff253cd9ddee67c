// Provokes one real fault under the data link's fault guard, as the data link's
// entry would meet it, and reports it the same way.
//   crashprobe <mode> <major> <minor> <patch> <build>
// Modes: segv, fpe, ill, abort, badalloc, purecall, thread (a fault on a thread
// without a translator), stackoverflow, unwindfault (a second fault while the
// first one's exception unwinds), and, with libfaultyallocator.so preloaded,
// allocatorfault and allocatoroverflow (a fault or a stack overflow inside
// malloc while the allocator's lock is held).

#include "crashdump.h"
#include "datalinkmain.h"
#include "structuredexceptionscope.h"
#include "wintools.h"

#include <dlfcn.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>
#include <vector>

namespace
{

volatile int g_zero = 0;
int* volatile g_nowhere = nullptr;

struct Base
{
    Base() { callThrough(); }
    virtual ~Base() = default;
    virtual void pure() = 0;
    void callThrough() { pure(); }
};

struct Derived : Base
{
    void pure() override {}
};

/// Faults in its destructor: met while the exception of an earlier fault unwinds.
struct FaultingGuard
{
    ~FaultingGuard() { *g_nowhere = 7; }
};

/// Calls malloc through a pointer the compiler cannot see through.
void* (*volatile g_allocate)(std::size_t) = std::malloc;

} // namespace

// Outside the anonymous namespace, so that the crash report can name them.
void crashProbeWorker()
{
    *g_nowhere = 1;
}

volatile int g_levels = 1 << 30; // more than any stack holds

int crashProbeRecurse(int level)
{
    volatile char frame[512];
    frame[0] = char(level);
    if (level >= g_levels)
        return frame[0];
    return crashProbeRecurse(level + 1) + frame[0];
}

/// Arms the preloaded faulty allocator; false when it is not loaded.
bool crashProbeArmAllocator(int mode)
{
    auto arm = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "faultyAllocatorArm"));
    if (!arm)
        return false;
    arm(mode);
    return true;
}

void crashProbeProvoke(const char* mode)
{
    if (std::strcmp(mode, "segv") == 0) {
        *g_nowhere = 42;
    } else if (std::strcmp(mode, "fpe") == 0) {
        volatile int result = 7 / g_zero;
        (void)result;
    } else if (std::strcmp(mode, "ill") == 0) {
        __builtin_trap();
    } else if (std::strcmp(mode, "abort") == 0) {
        std::abort();
    } else if (std::strcmp(mode, "badalloc") == 0) {
        std::vector<char*> blocks;
        for (;;)
            blocks.push_back(new char[size_t(1) << 62]);
    } else if (std::strcmp(mode, "purecall") == 0) {
        Derived derived;
    } else if (std::strcmp(mode, "stackoverflow") == 0) {
        crashProbeRecurse(0);
    } else if (std::strcmp(mode, "unwindfault") == 0) {
        FaultingGuard guard;
        *g_nowhere = 42;
    } else if (std::strcmp(mode, "allocatorfault") == 0 || std::strcmp(mode, "allocatoroverflow") == 0) {
        if (!crashProbeArmAllocator(std::strcmp(mode, "allocatorfault") == 0 ? 1 : 2)) {
            std::cout << "the faulty allocator is not preloaded" << std::endl;
            return;
        }
        std::free(g_allocate(64));
    } else if (std::strcmp(mode, "thread") == 0) {
        // A fault on a thread without a translator cannot become an exception.
        std::thread worker(crashProbeWorker);
        worker.join();
    }
}

int main(int argc, char** argv)
{
    if (argc < 6)
        return 2;
    installUnhandledFaultReport();
    setCrashReportVersion(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    try {
        StructuredExceptionScope scope;
        crashProbeProvoke(argv[1]);
    } catch (const wintools::StructuredExceptionAbstract& fault) {
        std::cout << "caught: " << fault.text() << std::endl;
        return reportCrash(fault.exceptionPointers());
    }
    std::cout << "no fault" << std::endl;
    return 0;
}
