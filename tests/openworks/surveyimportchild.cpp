// Runs one survey import and kills itself (SIGKILL) when the data set's own
// progress bar reaches a given value: the test of what a killed import leaves.
//
//   surveyimportchild <openworks home> <district> <project> <host project> <data set> <kill at value>

#include "owdevkit.h"
#include "progresshook.h"
#include "zrcatalogueselection.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 7) {
        std::fprintf(stderr, "usage: surveyimportchild HOME DISTRICT PROJECT HOSTPROJECT DATASET KILLAT\n");
        return 2;
    }
    qputenv("OWHOME", arguments[1].toLocal8Bit());
    ZROpenworksSession session;
    QString error;
    if (!session.start(&error) || ZROpenworksSession::setSystemDistrict(arguments[2]) != 0
        || !session.openProject(arguments[3], &error)) {
        std::fprintf(stderr, "cannot open OpenWorks: %s\n", qPrintable(error));
        return 2;
    }
    ZRProject project(arguments[4]);
    ZROpenworksSurveyModel catalogue;
    catalogue.loadFromOpenworks(-1);
    QVector<int> rows;
    for (int row = 0; row < catalogue.rowCount(); ++row)
        if (catalogue.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString() == arguments[5])
            rows.append(row);
    const QVector<SurveyImportRequest> requests = surveyImportRequestsFromRows(catalogue, rows, nullptr);
    if (requests.size() != 1) {
        std::fprintf(stderr, "no single data set %s\n", qPrintable(arguments[5]));
        return 2;
    }
    const int killAt = arguments[6].toInt();
    ProgressHook hook(arguments[5], [killAt](int value) {
        if (value >= killAt)
            std::raise(SIGKILL);
        return false;
    });
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.session = &session;
    context.ui = &ui;
    importSurveys(context, requests);
    std::fprintf(stderr, "the import ended before the kill\n");
    return 1;
}
