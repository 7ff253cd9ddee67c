#pragma once

#include "wintools.h"

/// The four numbers that name crash reports ("v%d.%d.%d.%d"); set once at start-up.
void setCrashReportVersion(int major, int minor, int patch, int build);

/// Takes, outside any fault, what a report written inside a signal handler
/// needs: the temporary folder ($TMPDIR, else /tmp) and the local time offset.
/// Called by installUnhandledFaultReport() and setCrashReportVersion().
void prepareCrashReports();

/// Writes a crash report of the process for the fault described by pointers:
///   <temporary folder>/Velostrat/v<major>.<minor>.<patch>.<build>-YYYYMMDD-hhmmss-<pid>-<tid>.dmp
/// holding the exception code, the signal, the faulting address, why the fault
/// was not translated (when it was not) and a symbolised backtrace with
/// demangled names. Leaves the report's path in crashDumpPath(). For a fault
/// caught as an exception, outside the signal handler.
bool writeCrashDump(const wintools::ExceptionPointers* pointers);

/// The same report written with async-signal-safe calls only (no allocation,
/// no lock, no stdio; frames named by backtrace_symbols_fd, not demangled),
/// for use inside the fault handler, whatever state the process is in.
bool writeCrashDumpFromSignal(const wintools::ExceptionPointers* pointers);

/// The fault handler's whole report: writeCrashDumpFromSignal(), then "1" and
/// the report's path on standard error (write(2) only), then _exit(-1). A
/// fault inside it, on the same thread, ends at once with "1", the path as far
/// as it was built, and -1; a fault of another thread meanwhile waits for it
/// (at most ten seconds) and then ends the process the same way.
[[noreturn]] void reportCrashFromSignal(const wintools::ExceptionPointers* pointers);

/// Path of the last report written (a process-wide buffer of 260 characters).
const char* crashDumpPath();
