#pragma once

#include "zrexchangecontext.h"
#include "zrexportsurveytarget.h"

#include "vec3.h"

#include <QModelIndexList>
#include <QString>

#include <vector>

/// What became of one exported fault-stick file.
enum class FaultExportOutcome
{
    Exported,  ///< committed (single faults, planes or segments may have failed: see the messages)
    Planned,   ///< dry run: read and planned, nothing written
    Unreadable, ///< the faults library could not read the file: nothing done, no box
    Empty,     ///< the file holds no stick array: the box said so
    Failed,    ///< the commit failed and was rolled back
    Cancelled  ///< stopped between arrays: every fault of the file was rolled back
};

/// The fault-stick files among host tree items: object type (role 514) 28,
/// whatever their item kind, each path (role 516) once, in order.
QModelIndexList faultExportCandidates(const QModelIndexList& items);

/// The sticks of one stick array: a point whose three coordinates are all
/// −9999.0 ends a stick; empty sticks (separators in a row, at the start or
/// at the end) are dropped. Points are kept as the array holds them.
std::vector<std::vector<core::vec3>> splitSticks(const std::vector<core::vec3>& array);

/// Exports host fault-stick files into the open OpenWorks project (the
/// window's export arrow on the fault page): the association question
/// (context.ui->askSurveyAssociations, mode 1; declined: nothing happens),
/// the export list (resolveExportSurveys; a survey that cannot be found or
/// made stops the export before any fault), then exportFault per file under
/// the bar "Exporting faults from Velostrat to OpenWorks®"; a cancelled bar
/// stops the loop. Ends with the information box "%1 of %2 faults exported."
/// (titled with the window title) when the loop stopped early (not in a dry
/// run). Returns the number of files the loop went through.
int exportFaults(const ZRExchangeContext& context, const QModelIndexList& items);

/// Exports one fault-stick file into a survey: per stick array a fault (class
/// 338, named after the file's base name, + "_<n>" counted from 1 when the
/// file holds several arrays), a fault plane (796: name, "LGC", the domain
/// "TIME" or "DEPTH" of the file, "Y") and one segment (791) per stick (the
/// plane's id, the survey's id, eight of the survey record's transform
/// doubles, the domain, the points reordered from (x, vertical, y) to (x, y,
/// vertical)), all in one transaction (an open one is committed first)
/// committed at the end. A fault, plane or segment that cannot be added is
/// reported and left out, the rest is still committed; a cancel between
/// arrays rolls the file back; a failed commit is rolled back. The new planes
/// are appended to context.faultModel when the fault page is shown
/// (context.currentCategory 5). In a dry run nothing is written: the file is
/// read, split and recorded, outcome Planned.
FaultExportOutcome exportFault(const ZRExchangeContext& context, const QString& path, const ExportSurveyTarget& survey,
                               int parentProgressId);
