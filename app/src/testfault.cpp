#include "testfault.h"

#include <cstdlib>
#include <cstring>

namespace
{
int* volatile g_nowhere = nullptr;
volatile int g_levels = 1 << 30; // more than any stack holds
} // namespace

// Outside the anonymous namespace, so that crash reports can name them.
int dataLinkTestRecurse(int level)
{
    volatile char frame[256];
    frame[0] = char(level);
    if (level >= g_levels)
        return frame[0];
    return dataLinkTestRecurse(level + 1) + frame[0];
}

void provokeTestFault()
{
    const char* fault = std::getenv("DATALINK_TEST_FAULT");
    if (!fault)
        return;
    if (std::strcmp(fault, "segv") == 0)
        *g_nowhere = 1;
    else if (std::strcmp(fault, "stackoverflow") == 0)
        dataLinkTestRecurse(0);
}
