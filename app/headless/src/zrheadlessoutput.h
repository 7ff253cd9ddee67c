#pragma once

#include <QString>

/// The headless front end's terminal: messages on standard output, progress on
/// standard error, from any thread, whole lines at a time.
class ZRHeadlessOutput
{
public:
    /// One message (may span several lines), then a new line.
    static void message(const QString& text);
    /// One progress line. On a terminal it replaces the previous progress line
    /// until `final` ends it; elsewhere every line is kept.
    static void progress(const QString& text, bool final);
    /// Ends a pending progress line (before a message is printed).
    static void endProgressLine();
    /// Whether standard error is a terminal.
    static bool progressOnTerminal();
};
