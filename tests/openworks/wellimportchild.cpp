// Helper process of tst_wellimportinterrupt: imports OpenWorks wells into a
// host well database, optionally stopping inside the save of the well database
// (blocked in a progress callback) so that the test can kill it at a known
// point of the save.
//
//   wellimportchild <district> <project> <host project> <phase text> <step> <well number>...
//
// The OpenWorks home is $OWHOME. Prints "STOPPED" when the save reaches the
// given step of the phase whose title contains <phase text> (an empty phase
// never stops), then waits forever; prints "IMPORTED <n>" at the end.

#include "zrexchangecontext.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrwellimport.h"

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
        if (m_phase.isEmpty() || !m_title.startsWith(QStringLiteral("Saving well database: "))
            || !m_title.contains(m_phase) || m_count != m_step)
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
    if (arguments.size() < 7)
        return 2;
    ZROpenworksSession session;
    QString error;
    if (!session.start(&error) || ZROpenworksSession::setSystemDistrict(arguments[1]) != 0
        || !session.openProject(arguments[2], &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 3;
    }
    ZRProject project(arguments[3]);
    ZRLogDatabase database;
    if (!database.loadAtStartup(project.wellDatabasePath(), project.projectName()))
        return 4;

    ZROpenworksWellModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    for (const QString& label : arguments.mid(6))
        for (int row = 0; row < catalogue.rowCount(); ++row)
            if (catalogue.index(row, ZROpenworksWellModel::WellNumberColumn).data().toString() == label) {
                rows.append(row);
                break;
            }

    StoppingFactory factory(arguments[4], arguments[5].toInt());
    zrProgressBarMgr->setProgressBarFactory(&factory);
    int imported = 0;
    {
        // Every save of the well database shows its phases under this bar.
        ZRProgressBarGuard saves(1, QStringLiteral("Saves"), -1, false);
        database.setProgressParent(saves.id());
        ZRScriptedExchangeUi ui;
        ZRExchangeContext context;
        context.project = &project;
        context.wellDatabase = &database;
        context.session = &session;
        context.ui = &ui;
        imported = importWells(context, wellImportItemsFromRows(catalogue, rows));
        database.setProgressParent(-1);
    }
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    std::printf("IMPORTED %d\n", imported);
    std::fflush(stdout);
    return 0;
}
