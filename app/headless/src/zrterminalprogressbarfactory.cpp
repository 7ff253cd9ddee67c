#include "zrterminalprogressbarfactory.h"

#include "zrheadlessoutput.h"

#include <algorithm>
#include <atomic>
#include <csignal>

namespace
{
std::atomic<bool> g_interrupted{false};

void onInterrupt(int)
{
    g_interrupted = true;
}
} // namespace

VsProgressBarAbstract* ZRTerminalProgressBarFactory::createProgressBar(int topLevelId)
{
    return new Window(topLevelId);
}

void ZRTerminalProgressBarFactory::installInterruptHandler()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // A stop asked by another program ends the run the same way.
    sigaction(SIGTERM, &action, nullptr);
}

bool ZRTerminalProgressBarFactory::interrupted()
{
    return g_interrupted;
}

ZRTerminalProgressBarFactory::Window::Window(int topLevelId)
    : m_topLevelId(topLevelId)
{
    m_sincePrint.start();
}

void ZRTerminalProgressBarFactory::Window::create(int id, int total, const QString& title, int parentId, bool)
{
    Bar bar;
    bar.title = title;
    bar.total = total;
    bar.depth = parentId == -1 ? 0 : m_bars.value(parentId).depth + 1;
    m_bars.insert(id, bar);
    print(m_bars[id], false);
    checkInterrupt();
}

void ZRTerminalProgressBarFactory::Window::initialize(int id, int total, const QString& title)
{
    Bar& bar = m_bars[id];
    bar.title = title;
    bar.total = total;
    bar.value = 0;
    bar.printedTenth = -1;
    print(bar, false);
}

void ZRTerminalProgressBarFactory::Window::increment(int id, int step)
{
    const auto it = m_bars.find(id);
    if (it == m_bars.end())
        return;
    Bar& bar = it.value();
    bar.value = bar.total > 0 ? std::min(bar.total, bar.value + step) : bar.value + step;
    const int tenth = bar.total > 0 ? bar.value * 10 / bar.total : 0;
    const bool onTerminal = ZRHeadlessOutput::progressOnTerminal();
    if ((onTerminal && m_sincePrint.elapsed() >= 100) || (!onTerminal && tenth != bar.printedTenth))
        print(bar, false);
    checkInterrupt();
}

void ZRTerminalProgressBarFactory::Window::close(int id)
{
    const auto it = m_bars.find(id);
    if (it != m_bars.end()) {
        const bool final = id == m_topLevelId;
        if (it.value().printedValue != it.value().value || (final && ZRHeadlessOutput::progressOnTerminal()))
            print(it.value(), final);
        m_bars.erase(it);
    }
    if (id == m_topLevelId)
        delete this;
}

void ZRTerminalProgressBarFactory::Window::print(Bar& bar, bool final)
{
    bar.printedTenth = bar.total > 0 ? bar.value * 10 / bar.total : 0;
    bar.printedValue = bar.value;
    m_sincePrint.restart();
    ZRHeadlessOutput::progress(QStringLiteral("progress ") + QString(2 * bar.depth, QLatin1Char(' ')) + bar.title
                                   + QStringLiteral(": %1/%2").arg(bar.value).arg(bar.total),
                               final);
}

void ZRTerminalProgressBarFactory::Window::checkInterrupt()
{
    if (!m_cancelRequested && g_interrupted) {
        m_cancelRequested = true;
        ZRHeadlessOutput::message(QStringLiteral("Interrupted: cancelling."));
        cancelProgressBar(m_topLevelId);
    }
}
