#pragma once

#include "zrexchangecontext.h"

#include <QString>
#include <QVector>

class QAbstractItemModel;

/// One OpenWorks fault (its fault plane record) to import as a host
/// fault-stick file, taken from a row of the fault catalogue
/// (ZROpenworksFaultModel).
struct FaultImportRequest
{
    qint32 faultPlaneId = 0; ///< hidden column 7: the class-796 record's id
    QString displayName;     ///< column 0 "Name": the record's second key, names the fault in messages
    QString domain;          ///< column 3 "Domain", as the catalogue shows it (for the report)
};

/// Requests from rows of the fault catalogue model (source rows, in the given
/// order, each row once; rows outside the model are left out).
QVector<FaultImportRequest> faultImportRequestsFromRows(const QAbstractItemModel& faultModel, const QVector<int>& rows);

/// Imports each requested fault into the host project's fault folder (object
/// type 28) as one fault-stick file, written by the faults library
/// (ZRFaultApiFunctions::write3DFaultStick) under a hidden temporary name
/// that becomes the target's name once complete. Needs an open OpenWorks
/// project. Returns the number of faults imported (a fault whose file the
/// library could not write still counts, unless the run was cancelled).
///
/// Vector access is enabled for classes 452 (fields 28, 29) and 791 (field
/// 32). Per fault: the fault plane record (class 796, by id and name) gives
/// the file name and the domain (isTime: the domain text is "TIME"); an
/// existing file is asked about through context.ui (skip, overwrite, or a new
/// name); the segments (class 791) are read with gdiReadVector in list order
/// and each point (x, y, vertical) is appended as (x, vertical, y) to one
/// stick array, each segment followed by the separator (−9999.0, −9999.0,
/// −9999.0). A segment whose vector cannot be read is left out. The file gets
/// the fault's display name as its one name and the run's empty coordinate
/// reference. The points are handed over as the DevKit gives them.
///
/// Failures are shown through context.ui with the import's titles and texts,
/// and the run goes on. Ends with "%1 of %2 faults imported." when fewer were
/// imported than requested, and reloads the host fault folder when a file was
/// written. With context.dryRun the records and segments are read, targets
/// and conflicts resolved and counted in the report, and nothing is written.
int importFaults(const ZRExchangeContext& context, const QVector<FaultImportRequest>& requests);
