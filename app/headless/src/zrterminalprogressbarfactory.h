#pragma once

#include "vsprogressbar.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

/// Progress "windows" of the headless front end: each bar is printed as
/// `progress <title>: <value>/<total>` lines on standard error (sub-bars
/// indented), at most every tenth of the way, or refreshed in place on a
/// terminal. An interrupt (Ctrl-C) after installInterruptHandler() cancels
/// the running top-level bar, as the window's Cancel button does.
class ZRTerminalProgressBarFactory : public VsProgressBarFactoryAbstract
{
public:
    VsProgressBarAbstract* createProgressBar(int topLevelId) override;

    /// The first SIGINT or SIGTERM asks for cancellation; a second one ends
    /// the process.
    static void installInterruptHandler();
    /// Whether an interrupt was received.
    static bool interrupted();

private:
    class Window;
};

class ZRTerminalProgressBarFactory::Window : public VsProgressBarAbstract
{
public:
    explicit Window(int topLevelId);

    void create(int id, int total, const QString& title, int parentId, bool cancellable) override;
    void initialize(int id, int total, const QString& title) override;
    void increment(int id, int step) override;
    void close(int id) override;

private:
    struct Bar
    {
        QString title;
        int total = 0;
        int value = 0;
        int depth = 0;
        int printedTenth = -1;
        int printedValue = -1;
    };

    void print(Bar& bar, bool final);
    void checkInterrupt();

    int m_topLevelId;
    bool m_cancelRequested = false;
    QHash<int, Bar> m_bars;
    QElapsedTimer m_sincePrint;
};
