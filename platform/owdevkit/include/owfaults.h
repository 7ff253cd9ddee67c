#pragma once
/*
 * Fault injection for the OpenWorks DevKit stand-in.
 *
 * Makes the n-th call (counted from the moment of the injection, 1-based) of a
 * named DevKit function fail with a given status: the call does nothing else.
 * Calls returning int return the status; trailing-underscore calls put it in
 * their status argument; gdiExists returns 0; gdiCreateObject returns null;
 * untGet*Name/Abbr return "" with the status.
 *
 * Whole-program runs: the environment variable OWSIM_INJECT, read at the first
 * DevKit call, holds rules separated by ";":
 *     rule   := name ":" which "=" status
 *     which  := n        the n-th call only (n >= 1)
 *             | n "+"    the n-th call and every later one
 *             | "*"      every call
 * e.g. OWSIM_INJECT="prjOpen:1=217700701;dm3dtr_:5=3;gdiCommit:*=277600010"
 * Names are the exact C names ("prjOpen", "dm3dtr_", "gdiReadSubset").
 */

#ifdef __cplusplus

#include <string>

namespace owsim
{

/// Makes call number nthCall (1-based, counted from now) of function fail
/// with status. everyLater: that call and all later ones fail.
void injectStatus(const std::string& function, int nthCall, int status, bool everyLater = false);

/// Parses rules in the OWSIM_INJECT grammar and adds them; false on a syntax
/// error (nothing added).
bool injectRules(const std::string& rules);

/// Removes every injection and resets the call counters.
void clearInjections();

/// Number of calls of function seen since the last clearInjections().
int callCount(const std::string& function);

} // namespace owsim

#endif
