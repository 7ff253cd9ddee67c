#pragma once

#include "zrexchangecontext.h"
#include "zrexchangeui.h"
#include "zrvolumeexport.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <vector>

/// The OpenWorks 3D survey an exported horizon or fault file goes into, as
/// its survey association resolved it.
struct ExportSurveyTarget
{
    /// The survey record as OpenWorks stores it (a copy made by
    /// gdiCreateObject). Null only in a dry run for a survey that the
    /// association's volume would make.
    OwSurveyRecord record;
    /// The survey's name.
    QString name;
    /// Where the association came from, and its text: the survey name, or
    /// the full path of the host volume.
    SurveyOrigin origin = SurveyOrigin::None;
    QString association;
    /// For a host volume association: what its export did (Exported: the
    /// volume became the survey now; SurveyExists: a survey of the volume's
    /// name was there; Planned: a dry run, the volume would become it).
    bool volumeExported = false;
    VolumeExportOutcome volumeOutcome = VolumeExportOutcome::Failed;
    /// Dry run, survey still to be made: its geometry as the volume export
    /// would make it (corners in metres).
    VolumeSurveyGeometry plannedGeometry;

    bool isPlanned() const { return !record; }
    qint32 surveyId() const { return record ? record->id : 0; }
    /// The association and survey as the run report records them.
    QJsonObject reportEntry() const;
};

/// One host file to export and its survey.
struct ExportListEntry
{
    QString path;
    ExportSurveyTarget survey;
};

/// Which export resolves the associations.
enum class SurveyExportKind
{
    Horizons,
    Faults
};

/// The file's base name: its name without the folder and without everything
/// from the first dot.
QString exportBaseName(const QString& path);

/// The survey whose name is exactly `name` (class 574 queried by example on
/// the name, field 1, in the local 8-bit encoding, at most 40 characters):
/// a copy of the record when exactly one matches, else null.
OwSurveyRecord findSurveyByName(const QString& name);

/// The survey named after a file: findSurveyByName of exportBaseName(path).
OwSurveyRecord findSurveyRecord(const QString& path);

/// The survey of the seismic data sets whose names begin with `name` (the
/// first n bytes compared, n the length of the name in the local 8-bit
/// encoding, at most 257): every data set (gdiReadSet of class 1184) whose
/// name matches is resolved to its survey (gdiRead of class 574 by id) and
/// copied (gdiCreateObject); the copy made for the last match in the set's
/// order is the result (null when none matched). A failed set read shows the
/// warning box "Error" "Unable to find gdiSeismicDataSet_t with name: " +
/// name; a failed survey read the information box "Error" "Unable to find 3D
/// Survey for this data set." and ends the scan. A project without any data
/// set (177600004) is an empty set, not a failure. *noneMatched (may be null):
/// the set was read and no data set's name matched.
OwSurveyRecord findSurveyOfDataSet(const ZRExchangeContext& context, const QString& name,
                                   bool* noneMatched = nullptr);

/// Turns the survey associations of an export into its list, in the
/// associations' order. A host volume association (its text is the volume's
/// full path) is looked up with findSurveyRecord and, when there is none,
/// exported with exportVolume under the bar "Exporting Volumes from Velostrat
/// to OpenWorks®" (opened when some association names a volume; faults
/// advance it by 1 per association that yields a survey); a survey that
/// exists already under the volume's survey name is read back by that name.
/// An OpenWorks survey association is looked up by name (horizons:
/// findSurveyByName; faults: findSurveyOfDataSet, then findSurveyByName when
/// no data set's name matched, as for a survey without data sets). In a dry run nothing is written: a volume that would
/// become a new survey gives a planned target with the survey's geometry.
///
/// False when an association yields no survey: the export stops as a whole
/// (the caller exports nothing; a line on the event bus and in the run
/// report says which association).
bool resolveExportSurveys(const ZRExchangeContext& context, SurveyExportKind kind,
                          const QList<SurveyAssociation>& associations, std::vector<ExportListEntry>* list);

/// The host files among host tree items: items of object type (role 514)
/// `objectType` whose item kind (role 513) is 3 when itemKindMatters, by
/// their index, each path (role 516) once, in order.
QModelIndexList hostFileCandidates(const QModelIndexList& items, int objectType, bool itemKindMatters);
