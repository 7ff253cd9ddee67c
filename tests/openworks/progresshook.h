#pragma once

// A progress "window" for tests: it calls a function on every increment of a
// bar whose title is `title` (value counted from the bar's creation), and can
// cancel the top-level bar from there.

#include "vsprogressbar.h"
#include "zrprogressbarmgr.h"

#include <QHash>
#include <QString>

#include <functional>

class ProgressHook : public VsProgressBarFactoryAbstract
{
public:
    /// value: the bar's value after the increment; return true to cancel the
    /// top-level bar.
    using Hook = std::function<bool(int value)>;

    ProgressHook(const QString& title, Hook hook)
        : m_title(title)
        , m_hook(std::move(hook))
    {
        zrProgressBarMgr->setProgressBarFactory(this);
    }
    ~ProgressHook() override { zrProgressBarMgr->setProgressBarFactory(nullptr); }

    VsProgressBarAbstract* createProgressBar(int topLevelId) override { return new Window(this, topLevelId); }

private:
    class Window : public VsProgressBarAbstract
    {
    public:
        Window(ProgressHook* owner, int topLevelId)
            : m_owner(owner)
            , m_topLevelId(topLevelId)
        {
        }
        void create(int id, int, const QString& title, int, bool) override { m_bars.insert(id, {title, 0}); }
        void initialize(int, int, const QString&) override {}
        void increment(int id, int step) override
        {
            Bar& bar = m_bars[id];
            bar.value += step;
            if (bar.title == m_owner->m_title && m_owner->m_hook && m_owner->m_hook(bar.value))
                cancelProgressBar(m_topLevelId);
        }
        void close(int id) override
        {
            if (id == m_topLevelId)
                delete this;
        }

    private:
        struct Bar
        {
            QString title;
            int value = 0;
        };
        ProgressHook* m_owner;
        int m_topLevelId;
        QHash<int, Bar> m_bars;
    };

    QString m_title;
    Hook m_hook;
};
