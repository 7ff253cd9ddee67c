#include "datalinkmain.h"

#include "arguments.h"
#include "crashdump.h"
#include "datalinkprocess.h"
#include "reporttohost.h"
#include "terminationrequest.h"
#include "testfault.h"
#include "wintools.h"
#include "zrlogdatabase.h"
#include "zrwelldbdialoganswerer.h"
#include "zropenworksexchangedialog.h"
#include "zrprogressbarfactory.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <unistd.h>

#include <memory>

namespace
{

// Runs inside the signal handler: async-signal-safe calls only.
void onUnhandledFault(wintools::ExceptionPointers* pointers)
{
    reportCrashFromSignal(pointers);
}

} // namespace

// Outside any namespace: the resource initialisers are global functions.
static void registerResources()
{
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(images);
}

int reportCrash(const wintools::ExceptionPointers* pointers)
{
    writeCrashDump(pointers);
    reportToHost(1, crashDumpPath());
    return -1;
}

void installUnhandledFaultReport()
{
    prepareCrashReports();
    wintools::setUnhandledExceptionFilter(onUnhandledFault);
}

int dataLinkMain(int argc, char** argv)
{
    std::string projectPath;
    std::string projectListPath;
    std::string logLocation;
    int reservedA = 0, reservedB = 0, major = 0, minor = 0, patch = 0, build = 0;
    try {
        parseArguments(argc, argv, projectPath, projectListPath, reservedA, reservedB, major, minor, patch, build,
                       logLocation);
    } catch (const std::exception& error) {
        reportToHost(0, error.what());
        return -1;
    }

    installUnhandledFaultReport();
    // Lives for the rest of the process; the dialog it parents windows to goes first.
    auto progressFactory = std::make_unique<ZRProgressBarFactory>();
    try {
        QApplication application(argc, argv);
        // A stop asked before the window exists ends the run as closing it would.
        TerminationRequest termination;
        DataLinkProcess process(application, reservedA, reservedB, QString::fromUtf8(logLocation.c_str()));
        setCrashReportVersion(major, minor, patch, build);
        registerResources();
        provokeTestFault();
        ZRWellDbDialogAnswerer::install(nullptr);
        ZRProject::setWarningHandler(
            [](const QString& title, const QString& text) { QMessageBox::warning(nullptr, title, text); });
        // Before the window exists, a stop ends the start-up waits: the well database's
        // waits for a lock and its questions, and any box shown meanwhile.
        ZRLogDatabase::setDefaultStopCheck(&TerminationRequest::signalReceived);
        const QMetaObject::Connection closeStartupBoxes =
            QObject::connect(&termination, &TerminationRequest::requested, [] {
                for (int open = 0; open < 8 && QApplication::activeModalWidget(); ++open) {
                    QWidget* box = QApplication::activeModalWidget();
                    if (auto* dialog = qobject_cast<QDialog*>(box))
                        dialog->reject();
                    else
                        box->close();
                }
            });

        ZRProject project(QString::fromUtf8(projectPath.c_str()));

        auto* wellDatabase = new ZRLogDatabase;
        const QString projectName = QFileInfo(QString::fromUtf8(projectPath.c_str())).completeBaseName();
        if (!wellDatabase->load(project.wellDatabasePath(), QStringLiteral("VS_OW_CONNECTOR"), projectName, false)) {
            const bool stopped = termination.isRequested() || TerminationRequest::signalReceived();
            if (!stopped)
                reportToHost(0, "Unable to load well database.");
            delete wellDatabase;
            return stopped ? int(QDialog::Rejected) : -1;
        }
        QObject::disconnect(closeStartupBoxes);

        auto* dialog = new ZROpenworksExchangeDialog(QString::fromUtf8(projectListPath.c_str()), &project,
                                                     wellDatabase, nullptr);
        // Each exchange's run report goes next to the log file.
        dialog->setReportFolder(QString::fromUtf8(logLocation.c_str()));
        progressFactory->setParentWidget(dialog);
        zrProgressBarMgr->setProgressBarFactory(progressFactory.get());

        QObject::connect(&termination, &TerminationRequest::requested, dialog, &QDialog::reject);
        QCoreApplication::processEvents();
        int result = QDialog::Rejected;
        if (termination.isRequested())
            delete dialog;
        else
            result = dialog->exec();

        delete wellDatabase;
        return result;
    } catch (const wintools::StructuredExceptionAbstract& fault) {
        return reportCrash(fault.exceptionPointers());
    }
}
