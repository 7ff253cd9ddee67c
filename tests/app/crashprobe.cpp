// Provokes one real fault under the data link's fault guard, as the data link's
// entry would meet it, and reports it the same way.
//   crashprobe <segv|fpe|ill|abort|badalloc|purecall|thread> <major> <minor> <patch> <build>

#include "crashdump.h"
#include "datalinkmain.h"
#include "structuredexceptionscope.h"
#include "wintools.h"

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

} // namespace

// Outside the anonymous namespace, so that the crash report can name them.
void crashProbeWorker()
{
    *g_nowhere = 1;
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
