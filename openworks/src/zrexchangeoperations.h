#pragma once

#include <QModelIndexList>

class ZROpenworksExchangeDialog;

// The exchange window's arrows. Each turns the current selection into the
// requests of one exchange and runs the exchange core on them in the window's
// context, with a run report written next to the log; it returns the number
// of items transferred.

/// Selected rows of the survey table (proxy indexes) become host volumes.
int importSurveys(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected rows of the well table become host wells.
int importWells(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected rows of the fault table become host fault-stick files.
int importFaults(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected rows of the horizon table become host horizons.
int importHorizons(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);

/// Selected host volumes become OpenWorks seismic data sets.
int exportVolumes(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected host wells become OpenWorks wells.
int exportWells(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected host faults are written into OpenWorks surveys.
int exportFaults(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
/// Selected host horizons are written into OpenWorks surveys.
int exportHorizons(ZROpenworksExchangeDialog& dialog, const QModelIndexList& selection);
