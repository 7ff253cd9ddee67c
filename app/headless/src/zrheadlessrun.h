#pragma once

#include "zrexchangecontext.h"
#include "zrheadlesssession.h"
#include "zrterminalexchangeui.h"
#include "zrterminalprogressbarfactory.h"
#include "zrtransferreport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ZROpenworksTableModel;

/// The part every exchange subcommand shares: its command line (the projects,
/// messages, --dry-run and --report, and where they apply the conflict and
/// unit answers), the session it runs in, the terminal user interface, the
/// run report, and the exit code at the end.
///
/// Use: construct, add the subcommand's own options and positional
/// arguments, parse(), open(), run the exchange core on context(), finish().
class ZRHeadlessRun
{
public:
    /// command: the subcommand's name ("import-surveys"); description: the
    /// first lines of its help.
    ZRHeadlessRun(const QString& command, const QString& description);
    ~ZRHeadlessRun();
    ZRHeadlessRun(const ZRHeadlessRun&) = delete;
    ZRHeadlessRun& operator=(const ZRHeadlessRun&) = delete;

    QCommandLineParser& parser() { return m_parser; }
    /// --on-conflict skip|overwrite|rename:PATTERN (for imports writing host files).
    void addConflictOption();
    /// --unit NAME (repeatable): the host unit to record for a project unit
    /// the host lacks.
    void addUnitOption();

    /// Parses the arguments after the subcommand's name. Returns -1 to go on,
    /// ExitTransferred after printing the help, ExitUsage after printing a
    /// usage error.
    int parse(const QStringList& arguments);
    /// Prints "error: " + text and the help; returns ExitUsage.
    int usageError(const QString& text) const;

    /// Starts the messages, opens the host project (with its well database
    /// when asked) and the OpenWorks project, installs the terminal progress
    /// and the interrupt handler. False after printing the error: return
    /// ExitUsage.
    bool open(bool withWellDatabase = false);

    ZRHeadlessSession& session() { return m_session; }
    ZRTerminalExchangeUi& ui() { return m_ui; }
    ZRTransferReport& report() { return m_report; }
    bool isDryRun() const;
    /// The context to run the exchange core in: the session's projects, the
    /// terminal user interface, the report, the dry-run flag.
    ZRExchangeContext context();

    /// Fills a catalogue model from the open OpenWorks project under the
    /// progress "Reading OpenWorks® Data"; prints the model's note when it
    /// shows nothing.
    void loadCatalogue(ZROpenworksTableModel& model);

    /// The one catalogue row each name selects, in the names' order. matches
    /// gives the rows a name selects. A name that selects none is reported as
    /// "error: no <what> "<name>" in project <project>."; one that selects
    /// several as "error: " + several(name, rows). *unmatched (may be null)
    /// counts both.
    QVector<int> rowsForNames(const QStringList& names, const std::function<QVector<int>(const QString&)>& matches,
                              const QString& what,
                              const std::function<QString(const QString& name, const QVector<int>& rows)>& several,
                              int* unmatched = nullptr);

    /// Ends the run: finishes the report (written with --report), prints the
    /// plan (--dry-run) or a note per item transferred with failures, flushes
    /// the messages and prints "result: <transferred> of <requested> <noun>".
    /// Returns the exit code (see ZRHeadlessCommand).
    int finish(int requested, int transferred, const QString& noun);

private:
    void printPlan() const;

    QString m_command;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_hostProject;
    QCommandLineOption m_district;
    QCommandLineOption m_project;
    QCommandLineOption m_log;
    QCommandLineOption m_verbose;
    QCommandLineOption m_dryRun;
    QCommandLineOption m_reportFile;
    std::unique_ptr<QCommandLineOption> m_conflict;
    std::unique_ptr<QCommandLineOption> m_unit;
    QStringList m_arguments;

    ZRHeadlessSession m_session;
    ZRTerminalExchangeUi m_ui;
    ZRTransferReport m_report;
    ZRTerminalProgressBarFactory m_progressFactory;
    bool m_progressInstalled = false;
};
