#pragma once

#include <QString>

class QObject;
class VsProgressBarAbstract;

/// Makes the window that shows one top-level progress bar and its sub-bars.
class VsProgressBarFactoryAbstract
{
public:
    virtual ~VsProgressBarFactoryAbstract() = default;
    /// A new window for the top-level id; the manager owns the returned object
    /// until it calls close for that id (the window may delete itself then).
    virtual VsProgressBarAbstract* createProgressBar(int topLevelId) = 0;
};

/// One progress window as the manager drives it.
class VsProgressBarAbstract
{
public:
    virtual ~VsProgressBarAbstract() = default;
    /// A bar appears: the window's own id (parentId -1) or a sub-bar under parentId.
    virtual void create(int id, int total, const QString& title, int parentId, bool cancellable) = 0;
    /// A bar restarts with a new total and title.
    virtual void initialize(int id, int total, const QString& title) = 0;
    virtual void increment(int id, int step) = 0;
    /// The bar ends; for the window's own id the window closes.
    virtual void close(int id) = 0;

    /// The window's object, whose thread its calls must run on; null when the
    /// window may be driven from any thread.
    virtual QObject* progressObject() { return nullptr; }

    /// What the window calls when the user cancels (Cancel button or closing
    /// the window by its title bar).
    void cancelProgressBar(int id);

    /// What a window calls when it goes away on its own (closed by its title
    /// bar): the bar is cancelled and the manager stops driving this window.
    void progressBarWindowClosed(int id);
};
