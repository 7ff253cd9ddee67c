#pragma once

#include "vsprogressbar.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

/// Keeps the state of every open progress bar of the process and drives the
/// progress windows that its factory makes. Works without a factory too
/// (headless runs): the state is kept and nothing is shown.
///
/// Every operation may be called from any thread (the catalogue loaders run on
/// worker threads); window updates then run later on the window's thread.
///
/// Ids are unique while open. A cancelled bar stays cancelled until it is
/// closed; a sub-bar reads as cancelled when its top-level bar is. Closing a
/// top-level id closes its window and every sub-bar under it. Operations on
/// unknown ids print the assertion line and change nothing.
class ZRProgressBarMgr
{
public:
    ZRProgressBarMgr();
    ~ZRProgressBarMgr();

    /// The manager does not own the factory.
    void setProgressBarFactory(VsProgressBarFactoryAbstract* factory);
    VsProgressBarFactoryAbstract* progressBarFactory() const;

    int createProgressBar(int total, const QString& title, int parentId, bool cancellable, bool flag);
    void initializeProgressBar(int id, int total, const QString& title, bool flag);
    void incrementProgressBar(int id, int step);
    bool isProgressBarCancelled(int id) const;
    void closeProgressBar(int id);

    /// Marks the bar (and so its sub-bars) cancelled.
    void cancelProgressBar(int id);

    /// The window of a top-level bar is gone; the bar stays open (and
    /// cancelled) until its owner closes it.
    void detachProgressBarWindow(int topLevelId);

    bool isOpen(int id) const;
    int value(int id) const;
    int total(int id) const;
    QString title(int id) const;
    int openCount() const;

private:
    struct Bar
    {
        int parentId = -1;
        int topLevelId = -1;
        int total = 0;
        int value = 0;
        QString title;
        bool cancellable = true;
        bool cancelled = false;
    };

    int topLevelOf(int id) const;
    void closeChildren(int id);
    /// Runs a window update now, or queued on the window's thread.
    void onWindow(VsProgressBarAbstract* window, std::function<void(VsProgressBarAbstract*)> update);

    mutable std::recursive_mutex m_mutex;

    VsProgressBarFactoryAbstract* m_factory = nullptr;
    QHash<int, Bar> m_bars;
    QHash<int, VsProgressBarAbstract*> m_windows;
    int m_nextId = 1;
};

/// The process-wide progress-bar manager.
extern std::shared_ptr<ZRProgressBarMgr> zrProgressBarMgr;

/// Closes a progress bar when it goes out of scope, on every path.
class ZRProgressBarGuard
{
public:
    ZRProgressBarGuard(int total, const QString& title, int parentId = -1, bool cancellable = true);
    ~ZRProgressBarGuard();
    ZRProgressBarGuard(const ZRProgressBarGuard&) = delete;
    ZRProgressBarGuard& operator=(const ZRProgressBarGuard&) = delete;

    int id() const { return m_id; }
    bool isCancelled() const;
    void increment(int step = 1);

private:
    int m_id;
};
