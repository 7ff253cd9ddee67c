#pragma once

#include "zrexchangecontext.h"

#include <QString>
#include <QVector>

class QAbstractItemModel;

/// One OpenWorks horizon (a horizon and one of its attributes) to import as
/// host horizons, taken from a row of the horizon catalogue
/// (ZROpenworksHorizonModel).
struct HorizonImportRequest
{
    qint32 horizonId = 0; ///< hidden column 12: the class-445 record's id
    QString attribute;    ///< hidden column 13: the attribute name (second key)
    QString displayName;  ///< column 0 "Horizon Name": names the horizon in messages
};

/// Requests from rows of the horizon catalogue model (source rows, in the given
/// order, each row once; rows outside the model are left out).
QVector<HorizonImportRequest> horizonImportRequestsFromRows(const QAbstractItemModel& horizonModel,
                                                            const QVector<int>& rows);

/// Imports each requested horizon into the host project's horizon folder
/// (object type 29), one host horizon file per survey in which the horizon
/// holds data. Needs an open OpenWorks project. Returns the number of horizons
/// imported (a horizon whose survey loop ran while the run was not cancelled
/// counts, even when some of its surveys failed).
///
/// Per horizon: the catalogue record (class 445, by id and attribute) and its
/// data records (class 1176, one per survey) are read; the first survey's file
/// is the folder + the horizon's name, each further survey's that name + " ("
/// + the survey's name + ")". An existing first file is asked about through
/// context.ui (skip the horizon, overwrite, or a new name); an existing further
/// file is overwritten when the answer for the first was Overwrite, and asked
/// about otherwise (Skip then leaves only that survey out).
///
/// Per survey: prjin2_ opens its 3D project, srvbnd_ gives its line and trace
/// ranges, hrzopn_ the horizon subsystem (closed with hrzcls_, the project with
/// prjend_, on every path). The project's depth unit is looked up once per run,
/// at the first DEPTH horizon that gets that far, and converted to a factor to
/// metres (an unsupported unit only adds "Unsupported unit %1. Unit id: %2" on
/// the event bus). hrzrw_ reads the whole grid; a node whose value is NaN or
/// outside the data record's range (the 1.0e37 of missing nodes included)
/// becomes −9999.0, any other DEPTH value is multiplied by the factor. Map
/// positions come from intorw_, called for the first and the last trace of
/// each line (positions between lie on the segment between them: the survey's
/// map is affine), converted to metres with the factors of the survey's corner
/// fields 20 (x) and 21 (y), as the corners of the grid geometry
/// (blocSpaceFromSurvey) are. The points are placed into a ZR3DHorizon line by
/// line (precision 3) and the horizon is written under a hidden temporary
/// name (ZRTemporaryHostFile) that becomes the target's name once complete.
/// A cancelled horizon bar writes nothing for that survey; a cancelled run
/// stops both loops.
///
/// Every failure is shown through context.ui (or sent on the event bus) with
/// the exact titles and texts of the import, and the run goes on with the next
/// survey or horizon. Ends with "%1 of %2 horizons imported." when fewer were
/// imported than requested, then reloads the host horizon folder. With
/// context.dryRun everything is resolved and read (targets and conflict
/// answers, unit factors, geometry, node counts) and recorded in the report,
/// and nothing is written.
int importHorizons(const ZRExchangeContext& context, const QVector<HorizonImportRequest>& requests);

/// Text of a hrzrw_ status.
QString hrzrwErrorText(int status);

/// The file name of a horizon's further survey: the first survey's file name
/// + " (" + survey + ")".
QString horizonSurveyFileName(const QString& firstFileName, const QString& survey);
