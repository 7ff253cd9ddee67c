#pragma once

#include "zrexchangecontext.h"

#include <QMap>
#include <QModelIndexList>
#include <QString>
#include <QStringList>
#include <QVector>

class ZRLogDatabase;

/// One selected item of the host project's well database: a well, or a well
/// set (all its wells).
struct WellExportSelection
{
    enum Kind
    {
        Well = 1,   ///< host item type 1 (role 515)
        WellSet = 6 ///< host item type 6
    };
    Kind kind = Well;
    int id = 0; ///< the well's or well set's id (role 517)
    /// For a well: the id of the well set it was selected under (its parent
    /// item in the host tree), -1 when its parent is not a well set.
    int parentWellSetId = -1;
};

/// The well database items among host tree items: item kind (role 513) 4,
/// item type (role 515) 1 (wells, with their parent item when it is a well
/// set) or 6 (well sets), id in role 517; in order, each once.
QVector<WellExportSelection> wellExportSelectionFromItems(const QModelIndexList& items);

/// Which OpenWorks well list each selected host well joins.
struct WellExportMap
{
    /// Host well id -> well list name, in id order; each well once.
    QMap<int, QString> lists;
    /// Wells with no candidate list or with several (in selection order, none
    /// of them in lists): the user associates them.
    QVector<int> putAside;
    /// Candidate lists that are not known names (in order, each once): the
    /// export creates them before it asks about the wells put aside.
    QStringList listsToCreate;
};

/// Builds the export map. A well set holding wells maps each of its wells to
/// the list of its name (a well met again through a later well set takes that
/// set's list). A well not in the map yet has as candidates the well set it
/// was selected under, else every well set holding it; with exactly one it
/// maps to it, otherwise it is put aside. Every candidate list that is not
/// among knownNames is to be created, once. List names are cut as a well
/// list's name field holds them.
WellExportMap buildWellExportMap(const ZRLogDatabase& database, const QVector<WellExportSelection>& selection,
                                 const QStringList& knownNames);

/// Exports the selected host wells into the open OpenWorks project.
///
/// Reads the project's well lists, builds the export map, creates the lists
/// it needs (gdiAdd and gdiCommit, interpreter "UNKN"), asks
/// context.ui->askWellListAssociations for the wells put aside (a cancel
/// leaves them out), reads the lists again, then, under the progress bar
/// "Exporting wells from Velostrat to OpenWorks®" whose Cancel is checked
/// between wells, writes each well of the map (in id order) with
/// ZRWellExportWriter: one transaction per well, committed when every call
/// succeeded and rolled back at the first failing one, so that a well is in
/// OpenWorks whole or not at all. Gaps on the host side (missing trajectory
/// or time-depth logs, values that cannot be read) are listed and the well
/// goes without that part. The problems of each well are shown at the end
/// (ZRExchangeUi::showWellProblems), followed by "%1 of %2 wells exported."
/// when fewer were exported than the map holds.
///
/// Values are written in the units the project stores: each quantity is
/// converted by the DevKit from the unit the host recorded for it (a metric
/// host well goes unchanged into a metric project). With context.dryRun
/// everything is read, resolved and recorded in the report and nothing at all
/// is written to OpenWorks (not even a list). requested (may be null)
/// receives the number of distinct wells selected. Returns the number of
/// wells exported (planned, in a dry run).
int exportWells(const ZRExchangeContext& context, const QVector<WellExportSelection>& selection,
                int* requested = nullptr);

/// Texts of the well export that other code and the tests share.
namespace wellexport
{
extern const QString MainProgressTitle;      ///< "Exporting wells from Velostrat to OpenWorks®"
extern const QString CreatedListInterpreter; ///< "UNKN": interpreter of the lists the export map creates
/// "The name of well %1 is too long for OpenWorks®. It will be truncated to: %2"
extern const QString NameTooLongMessage;
} // namespace wellexport
