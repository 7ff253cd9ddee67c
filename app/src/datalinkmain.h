#pragma once

/// The data link's whole run: parses the nine arguments, builds the process
/// objects, opens the host project and its well database, runs the exchange
/// dialog modally and tears everything down in reverse order. Returns the
/// process exit code: the dialog's result, or -1 after a fatal error reported
/// to the host on standard error.
int dataLinkMain(int argc, char** argv);

/// The fault path shared by the entry and its tests: writes the crash report
/// for the fault and reports its path to the host. Returns -1.
namespace wintools { struct ExceptionPointers; }
int reportCrash(const wintools::ExceptionPointers* pointers);

/// Installs the process-wide filter for faults that cannot become exceptions
/// (aborts, signals sent from outside, faults on other threads, stack
/// overflows, faults inside the allocator or during a translation): inside the
/// signal handler, with async-signal-safe calls only, it writes the crash
/// report, reports it to the host ("1", the path) and ends the process with -1.
void installUnhandledFaultReport();
