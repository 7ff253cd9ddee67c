#pragma once

#include "zrexchangecontext.h"
#include "zrexportsurveytarget.h"

#include <QModelIndexList>
#include <QString>

/// What became of one exported horizon.
enum class HorizonExportOutcome
{
    Exported, ///< a new OpenWorks horizon holds it, committed
    Planned,  ///< dry run: resolved and placed in memory, nothing written
    Failed,   ///< see the messages; the open transaction was rolled back
    Cancelled ///< stopped during the conversion: the new horizon was deleted (hrzdel_) and rolled back
};

/// The host horizons among host tree items: item kind (role 513) 3 and object
/// type (role 514) 29, each path (role 516) once, in order.
QModelIndexList horizonExportCandidates(const QModelIndexList& items);

/// Exports host horizons into the open OpenWorks project (the window's export
/// arrow on the horizon page). The horizons among the items are associated
/// with surveys through context.ui->askSurveyAssociations (mode 0; declined:
/// nothing happens); the associations become the export list
/// (resolveExportSurveys: host volumes are exported as new surveys first); a
/// survey that cannot be found or made stops the export before any horizon.
/// Then, under the bar "Exporting horizons from Velostrat to OpenWorks®",
/// exportHorizon for each entry; a cancelled bar stops the loop. Ends with
/// the information box "%1 of %2 horizons exported." (titled with the window
/// title) when the loop stopped early (not in a dry run).
///
/// Returns the number of horizons the loop went through (a horizon that
/// failed counts, as the summary box counts it).
int exportHorizons(const ZRExchangeContext& context, const QModelIndexList& items);

/// Exports one host horizon file as a new OpenWorks horizon in a survey.
///
/// The horizon (ZR3DHorizon, under the bar "Horizon Loading") is named after
/// the file's base name; its values are declared to OpenWorks in milliseconds
/// (gdiSetMeasSystemUnitIdForType(167, 348)) for a time horizon, else in feet
/// (1001, 2) when its vertical unit is Foot, in metres (1001, 1) otherwise.
/// prjin2_ opens the survey's 3D project, srvbnd_ gives its line and trace
/// ranges, hrzopn_ opens the horizon subsystem (null value 1.0e37), hrzcrt_
/// makes the horizon and hrzhdr_plus_ names it ("LGC", "TIME_STRUCTURE" or
/// "DEPTH_STRUCTURE", "UNKNOWN", 1) with the placeholder range. Its nodes are
/// placed into the survey's grid (ZRHorizonPlacement, under the bar
/// "Converting horizon data"; map positions from rwtoin_, the host's metres
/// converted to the survey's map unit first as the horizon import converts
/// intorw_ positions to metres); the grid is written with one hrzrw_, the
/// header again with the data range; the catalogue record (class 445) gets
/// its domain ("TIME" or "DEPTH"), its survey's data record (1176) is read,
/// the record updated and committed, and appended to context.horizonModel
/// when the horizon page is shown (context.currentCategory 6).
///
/// Every failure shows its box (titles "Error", "Horizon Creation Error",
/// "Horizon write error") through context.ui and rolls back the open
/// transaction; a cancelled conversion deletes the new horizon (hrzdel_) and
/// rolls back. hrzcls_ and prjend_ close what was opened on every path; the
/// declared unit is given back when the subsystem was never opened. In a dry
/// run nothing is written (no hrzcrt_): the survey is opened for reading (or,
/// for a survey a volume would make, its map is taken from the volume's
/// geometry), the placement computed in memory and recorded, outcome Planned.
HorizonExportOutcome exportHorizon(const ZRExchangeContext& context, const QString& path,
                                   const ExportSurveyTarget& survey, int parentProgressId);
