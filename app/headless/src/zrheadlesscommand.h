#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

/// One exchange of the headless front end, run as a subcommand:
/// `owdatalink-headless <name> [options] [items]`.
///
/// Exit codes: ExitTransferred when every requested item was transferred
/// (with --dry-run: would be), ExitIncomplete when fewer were or an item was
/// transferred with failures (e.g. traces that could not be read),
/// ExitUsage for a bad command line or when the projects cannot be opened,
/// ExitInterrupted when the run was interrupted (Ctrl-C, SIGTERM).
class ZRHeadlessCommand
{
public:
    enum ExitCode
    {
        ExitTransferred = 0,
        ExitIncomplete = 1,
        ExitUsage = 2,
        ExitInterrupted = 3
    };

    virtual ~ZRHeadlessCommand() = default;

    virtual QString name() const = 0;
    /// One line for the command list.
    virtual QString summary() const = 0;
    /// Runs with the arguments after the subcommand's name; returns the exit code.
    virtual int run(const QStringList& arguments) = 0;

    /// Every subcommand, in the order of the command list.
    static std::vector<std::unique_ptr<ZRHeadlessCommand>> all();
    /// Runs the subcommand named by arguments[1] (arguments[0] is the program).
    static int dispatch(const QStringList& arguments);
};
