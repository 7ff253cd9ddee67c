// Helper process of tst_welldbsaveinterrupt: rewrites every well and log of a
// well database and saves it, optionally stopping inside the save (blocked in a
// progress callback) so that the test can kill it at a known point.
//
//   welldbsavechild <folder> <generation> [<phase text> <step>]
//
// Prints "STOPPED" when it reaches the given step of the save phase whose
// title contains <phase text>, then waits forever; prints "SAVED" after a
// save that ran to its end.

#include "welldbinterruptdata.h"
#include "zrlogdatabase.h"
#include "zrprogressbarmgr.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
class StoppingBar : public VsProgressBarAbstract
{
public:
    StoppingBar(const QString& phase, int step) : m_phase(phase), m_step(step) {}
    void create(int, int, const QString& title, int, bool) override { enter(title); }
    void initialize(int, int, const QString& title) override { enter(title); }
    void increment(int, int step) override
    {
        m_count += step;
        check();
    }
    void close(int) override {}

private:
    void enter(const QString& title)
    {
        m_title = title;
        m_count = 0;
        check();
    }
    void check()
    {
        if (m_phase.isEmpty() || !m_title.contains(m_phase) || m_count != m_step)
            return;
        std::printf("STOPPED\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }

    QString m_phase;
    int m_step;
    QString m_title;
    int m_count = 0;
};

class StoppingFactory : public VsProgressBarFactoryAbstract
{
public:
    StoppingFactory(const QString& phase, int step) : m_phase(phase), m_step(step) {}
    VsProgressBarAbstract* createProgressBar(int) override { return new StoppingBar(m_phase, m_step); }

private:
    QString m_phase;
    int m_step;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3)
        return 2;
    const QString folder = arguments[1];
    const int generation = arguments[2].toInt();
    StoppingFactory factory(arguments.value(3), arguments.value(4).toInt());
    zrProgressBarMgr->setProgressBarFactory(&factory);

    ZRLogDatabase database;
    if (!database.loadAtStartup(folder, QStringLiteral("Interrupted")))
        return 3;
    welldbinterrupt::rewrite(database, generation);
    const bool saved = database.save();
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    if (!saved)
        return 4;
    std::printf("SAVED\n");
    std::fflush(stdout);
    return 0;
}
