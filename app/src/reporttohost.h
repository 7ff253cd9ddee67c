#pragma once

#include <string>

/// The data link's fatal-error report to the host, on standard error: the code
/// in decimal and a newline, then the text and a newline, each flushed.
/// Code 0 carries an error text, code 1 the path of a crash report.
void reportToHost(int code, const std::string& text);
