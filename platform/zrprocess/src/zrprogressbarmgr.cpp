#include "zrprogressbarmgr.h"

#include "zrassert.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

std::shared_ptr<ZRProgressBarMgr> zrProgressBarMgr = std::make_shared<ZRProgressBarMgr>();

void VsProgressBarAbstract::cancelProgressBar(int id)
{
    if (zrProgressBarMgr)
        zrProgressBarMgr->cancelProgressBar(id);
}

void VsProgressBarAbstract::progressBarWindowClosed(int id)
{
    if (!zrProgressBarMgr)
        return;
    zrProgressBarMgr->cancelProgressBar(id);
    zrProgressBarMgr->detachProgressBarWindow(id);
}

ZRProgressBarMgr::ZRProgressBarMgr() = default;

ZRProgressBarMgr::~ZRProgressBarMgr() = default;

void ZRProgressBarMgr::setProgressBarFactory(VsProgressBarFactoryAbstract* factory)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_factory = factory;
}

VsProgressBarFactoryAbstract* ZRProgressBarMgr::progressBarFactory() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_factory;
}

int ZRProgressBarMgr::topLevelOf(int id) const
{
    const auto it = m_bars.constFind(id);
    return it == m_bars.constEnd() ? -1 : it->topLevelId;
}

int ZRProgressBarMgr::createProgressBar(int total, const QString& title, int parentId, bool cancellable, bool flag)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Q_UNUSED(flag);
    if (parentId != -1 && !m_bars.contains(parentId)) {
        ZR_ASSERT_FAILED("m_bars.contains(parentId)");
        return -1;
    }
    const int id = m_nextId++;
    Bar bar;
    bar.parentId = parentId;
    bar.topLevelId = parentId == -1 ? id : topLevelOf(parentId);
    bar.total = total < 0 ? 0 : total;
    bar.title = title;
    bar.cancellable = cancellable;
    m_bars.insert(id, bar);

    if (parentId == -1) {
        if (m_factory) {
            if (VsProgressBarAbstract* window = m_factory->createProgressBar(id)) {
                m_windows.insert(id, window);
                window->create(id, bar.total, title, -1, cancellable);
            }
        }
    } else {
        const int total = bar.total;
        onWindow(m_windows.value(bar.topLevelId), [=](VsProgressBarAbstract* window) {
            window->create(id, total, title, parentId, cancellable);
        });
    }
    return id;
}

void ZRProgressBarMgr::initializeProgressBar(int id, int total, const QString& title, bool flag)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Q_UNUSED(flag);
    auto it = m_bars.find(id);
    if (it == m_bars.end()) {
        ZR_ASSERT_FAILED("m_bars.contains(id)");
        return;
    }
    it->total = total < 0 ? 0 : total;
    it->value = 0;
    it->title = title;
    const int newTotal = it->total;
    onWindow(m_windows.value(it->topLevelId),
             [=](VsProgressBarAbstract* window) { window->initialize(id, newTotal, title); });
}

void ZRProgressBarMgr::incrementProgressBar(int id, int step)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_bars.find(id);
    if (it == m_bars.end()) {
        ZR_ASSERT_FAILED("m_bars.contains(id)");
        return;
    }
    it->value += step;
    if (it->value > it->total)
        it->value = it->total;
    onWindow(m_windows.value(it->topLevelId), [=](VsProgressBarAbstract* window) { window->increment(id, step); });
}

bool ZRProgressBarMgr::isProgressBarCancelled(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto it = m_bars.constFind(id);
    if (it == m_bars.constEnd())
        return false;
    if (it->cancelled)
        return true;
    const auto top = m_bars.constFind(it->topLevelId);
    return top != m_bars.constEnd() && top->cancelled;
}

void ZRProgressBarMgr::cancelProgressBar(int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_bars.find(id);
    if (it == m_bars.end()) {
        ZR_ASSERT_FAILED("m_bars.contains(id)");
        return;
    }
    it->cancelled = true;
}

void ZRProgressBarMgr::detachProgressBarWindow(int topLevelId)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_windows.remove(topLevelId);
}

void ZRProgressBarMgr::closeChildren(int id)
{
    QList<int> children;
    for (auto it = m_bars.constBegin(); it != m_bars.constEnd(); ++it) {
        if (it->parentId == id)
            children.append(it.key());
    }
    for (int child : children) {
        closeChildren(child);
        m_bars.remove(child);
    }
}

void ZRProgressBarMgr::closeProgressBar(int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_bars.find(id);
    if (it == m_bars.end()) {
        ZR_ASSERT_FAILED("m_bars.contains(id)");
        return;
    }
    const int topLevelId = it->topLevelId;
    VsProgressBarAbstract* window = m_windows.value(topLevelId);
    if (id == topLevelId) {
        closeChildren(id);
        m_bars.remove(id);
        m_windows.remove(id);
        onWindow(window, [=](VsProgressBarAbstract* target) { target->close(id); });
        return;
    }
    if (window) {
        // Deepest first, so the window never holds an item whose parent is gone.
        QList<int> descendants;
        std::function<void(int)> collect = [&](int parent) {
            for (auto bar = m_bars.constBegin(); bar != m_bars.constEnd(); ++bar) {
                if (bar->parentId == parent) {
                    collect(bar.key());
                    descendants.append(bar.key());
                }
            }
        };
        collect(id);
        for (int descendant : descendants)
            onWindow(window, [=](VsProgressBarAbstract* target) { target->close(descendant); });
        onWindow(window, [=](VsProgressBarAbstract* target) { target->close(id); });
    }
    closeChildren(id);
    m_bars.remove(id);
}

bool ZRProgressBarMgr::isOpen(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_bars.contains(id);
}

int ZRProgressBarMgr::value(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_bars.value(id).value;
}

int ZRProgressBarMgr::total(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_bars.value(id).total;
}

QString ZRProgressBarMgr::title(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_bars.value(id).title;
}

int ZRProgressBarMgr::openCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return m_bars.size();
}

void ZRProgressBarMgr::onWindow(VsProgressBarAbstract* window, std::function<void(VsProgressBarAbstract*)> update)
{
    if (!window)
        return;
    QObject* object = window->progressObject();
    if (!object || object->thread() == QThread::currentThread()) {
        update(window);
        return;
    }
    // The posted call is dropped if the window is gone by the time it runs.
    QMetaObject::invokeMethod(object, [window, update] { update(window); }, Qt::QueuedConnection);
}

ZRProgressBarGuard::ZRProgressBarGuard(int total, const QString& title, int parentId, bool cancellable)
    : m_id(zrProgressBarMgr->createProgressBar(total, title, parentId, cancellable, false))
{
}

ZRProgressBarGuard::~ZRProgressBarGuard()
{
    if (m_id != -1 && zrProgressBarMgr->isOpen(m_id))
        zrProgressBarMgr->closeProgressBar(m_id);
}

bool ZRProgressBarGuard::isCancelled() const
{
    return zrProgressBarMgr->isProgressBarCancelled(m_id);
}

void ZRProgressBarGuard::increment(int step)
{
    zrProgressBarMgr->incrementProgressBar(m_id, step);
}
