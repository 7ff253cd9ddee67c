#pragma once

#include <cstdio>

/// The host's non-fatal assertion: prints
///   ERROR: assert fail (<condition>) in <function> at <file>: <line>
/// to standard error and lets execution go on.
#define ZR_ASSERT(condition)                                                                        \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "ERROR: assert fail (%s) in %s at %s: %d\n", #condition, __func__, \
                         __FILE__, __LINE__);                                                       \
            std::fflush(stderr);                                                                    \
        }                                                                                           \
    } while (false)

/// The same line for a condition already known to be false, named by its text.
#define ZR_ASSERT_FAILED(conditionText)                                                              \
    do {                                                                                             \
        std::fprintf(stderr, "ERROR: assert fail (%s) in %s at %s: %d\n", conditionText, __func__, \
                     __FILE__, __LINE__);                                                            \
        std::fflush(stderr);                                                                         \
    } while (false)
