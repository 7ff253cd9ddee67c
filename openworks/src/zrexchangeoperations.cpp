#include "zrexchangeoperations.h"

#include "zreventbus.h"

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

int importSurveys(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Survey import"); }
int importWells(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Well import"); }
int importFaults(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Fault import"); }
int importHorizons(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Horizon import"); }
int exportVolumes(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Volume export"); }
int exportWells(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Well export"); }
int exportFaults(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Fault export"); }
int exportHorizons(ZROpenworksExchangeDialog&, const QModelIndexList&) { return notAvailable("Horizon export"); }
