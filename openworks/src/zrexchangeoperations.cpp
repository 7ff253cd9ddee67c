#include "zrexchangeoperations.h"

#include "zreventbus.h"
#include "zropenworksexchangedialog.h"
#include "zropenworksprojectbrowser.h"
#include "zropenworkssortfilterproxymodel.h"
#include "zropenworkssurveymodel.h"
#include "zrsurveyimport.h"

#include <QSet>

// Each operation arrives with its own source file; until then its arrow
// reports that the transfer is not available and moves nothing.

namespace
{
int notAvailable(const char* what)
{
    ZREventBus::sendMessage(eDrawError, QStringLiteral("%1 is not available in this version of the data link.")
                                            .arg(QString::fromLatin1(what)),
                            false);
    return 0;
}
} // namespace

int importSurveys(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection)
{
    ZROpenworksProjectBrowser* browser = dialog.projectBrowser();
    if (!browser || !browser->surveyModel())
        return 0;
    QVector<int> rows;
    QSet<int> seen;
    for (const QModelIndex& index : selection) {
        const QModelIndex source = index.model() == browser->proxy() ? browser->proxy()->mapToSource(index) : index;
        if (!source.isValid() || source.model() != browser->surveyModel() || seen.contains(source.row()))
            continue;
        seen.insert(source.row());
        rows.append(source.row());
    }
    QStringList surveysWithoutDataSets;
    const QVector<SurveyImportRequest> requests =
        surveyImportRequestsFromRows(*browser->surveyModel(), rows, &surveysWithoutDataSets);
    const ZRExchangeContext context = dialog.exchangeContext();
    warnSurveysWithoutDataSets(context, surveysWithoutDataSets);
    if (requests.isEmpty())
        return 0;
    return importSurveys(context, requests);
}

int importWells(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Well import"); }
int importFaults(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Fault import"); }
int importHorizons(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Horizon import"); }
int exportVolumes(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Volume export"); }
int exportWells(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Well export"); }
int exportFaults(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Fault export"); }
int exportHorizons(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Horizon export"); }
