#pragma once

#include "wintools.h"

/// The four numbers that name crash reports ("v%d.%d.%d.%d"); set once at start-up.
void setCrashReportVersion(int major, int minor, int patch, int build);

/// Writes a crash report of the process for the fault described by pointers:
///   <temporary folder>/Velostrat/v<major>.<minor>.<patch>.<build>-YYYYMMDD-hhmmss-<pid>-<tid>.dmp
/// holding the exception code, the signal, the faulting address and a
/// symbolised backtrace. The temporary folder is $TMPDIR, else /tmp. Leaves the
/// report's path in crashDumpPath(). Safe to call from a fatal-signal handler
/// as far as a crash report can be (no locks are taken).
bool writeCrashDump(const wintools::ExceptionPointers* pointers);

/// Path of the last report written (a process-wide buffer of 260 characters).
const char* crashDumpPath();
