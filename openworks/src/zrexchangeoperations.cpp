#include "zrexchangeoperations.h"

#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrfaultexport.h"
#include "zrfaultimport.h"
#include "zrhorizonexport.h"
#include "zrhorizonimport.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zropenworkswellmodel.h"
#include "zrproject.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"
#include "zrvolumeexport.h"
#include "zrwellexport.h"
#include "zrwellimport.h"

#include <functional>

namespace
{

/// Runs one exchange in the window's context with a run report, written next
/// to the log when the exchange ends. requested is read when the run ends (an
/// exchange may learn how many items were asked for only while it runs).
int runReported(ZROpenworksExchangeDialog& dialog, const QString& exchange, const int& requested,
                const std::function<int(const ZRExchangeContext&)>& run)
{
    ZRTransferReport report;
    report.setExchange(exchange);
    if (dialog.project())
        report.setHostProject(dialog.project()->projectPath());
    report.setOpenWorksProject(ZROpenworksSession::systemDistrict(),
                               dialog.session() ? dialog.session()->projectName() : QString());
    report.start();
    ZRExchangeContext context = dialog.exchangeContext();
    context.report = &report;
    const int transferred = run(context);
    report.finish(requested, transferred);
    dialog.writeReport(report);
    return transferred;
}

} // namespace

int importSurveys(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    ZROpenworksProjectBrowser* browser = dialog.projectBrowser();
    if (!browser || !browser->surveyModel())
        return 0;
    const ZROpenworksSurveyModel& catalogue = *browser->surveyModel();
    QStringList surveysWithoutDataSets;
    const QVector<SurveyImportRequest> requests =
        surveyImportRequestsFromRows(catalogue, selectedSourceRows(selection, catalogue), &surveysWithoutDataSets);
    return runReported(dialog, QStringLiteral("import-surveys"), requests.size(),
                       [&](const ZRExchangeContext& context) {
                           warnSurveysWithoutDataSets(context, surveysWithoutDataSets);
                           return requests.isEmpty() ? 0 : importSurveys(context, requests);
                       });
}

int importWells(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    ZROpenworksProjectBrowser* browser = dialog.projectBrowser();
    if (!browser || !browser->wellModel() || !dialog.wellDatabase())
        return 0;
    const ZROpenworksWellModel& catalogue = *browser->wellModel();
    const QVector<WellImportItem> items =
        wellImportItemsFromRows(catalogue, selectedSourceRows(selection, catalogue));
    return runReported(dialog, QStringLiteral("import-wells"), items.size(),
                       [&](const ZRExchangeContext& context) { return importWells(context, items); });
}

int importFaults(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    ZROpenworksProjectBrowser* browser = dialog.projectBrowser();
    if (!browser || !browser->faultModel())
        return 0;
    const ZROpenworksFaultModel& catalogue = *browser->faultModel();
    const QVector<FaultImportRequest> requests =
        faultImportRequestsFromRows(catalogue, selectedSourceRows(selection, catalogue));
    return runReported(dialog, QStringLiteral("import-faults"), requests.size(),
                       [&](const ZRExchangeContext& context) { return importFaults(context, requests); });
}

int importHorizons(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    ZROpenworksProjectBrowser* browser = dialog.projectBrowser();
    if (!browser || !browser->horizonModel())
        return 0;
    const ZROpenworksHorizonModel& catalogue = *browser->horizonModel();
    const QVector<HorizonImportRequest> requests =
        horizonImportRequestsFromRows(catalogue, selectedSourceRows(selection, catalogue));
    return runReported(dialog, QStringLiteral("import-horizons"), requests.size(),
                       [&](const ZRExchangeContext& context) { return importHorizons(context, requests); });
}

int exportVolumes(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    const QStringList volumeFiles = volumeExportCandidates(selection);
    if (volumeFiles.isEmpty())
        return 0;
    return runReported(dialog, QStringLiteral("export-volumes"), volumeFiles.size(),
                       [&](const ZRExchangeContext& context) { return exportSurveys(context, volumeFiles); });
}

int exportWells(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    const QVector<WellExportSelection> wells = wellExportSelectionFromItems(selection);
    if (wells.isEmpty() || !dialog.wellDatabase())
        return 0;
    int requested = 0;
    return runReported(dialog, QStringLiteral("export-wells"), requested,
                       [&](const ZRExchangeContext& context) { return exportWells(context, wells, &requested); });
}

int exportFaults(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    const QModelIndexList faults = faultExportCandidates(selection);
    if (faults.isEmpty())
        return 0;
    return runReported(dialog, QStringLiteral("export-faults"), faults.size(),
                       [&](const ZRExchangeContext& context) { return exportFaults(context, faults); });
}

int exportHorizons(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    const QModelIndexList horizons = horizonExportCandidates(selection);
    if (horizons.isEmpty())
        return 0;
    return runReported(dialog, QStringLiteral("export-horizons"), horizons.size(),
                       [&](const ZRExchangeContext& context) { return exportHorizons(context, horizons); });
}
