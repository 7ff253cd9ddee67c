#pragma once

#include "zrexchangecontext.h"

#include "owdevkit.h"

#include <QModelIndexList>
#include <QString>
#include <QStringList>

#include <memory>

namespace georef
{
class BlocSpace;
}

/// Gives back an object the DevKit made with gdiCreateObject.
struct OwObjectFree
{
    void operator()(void* object) const
    {
        if (object)
            gdiFree(object);
    }
};

/// A copy of a 3D survey record (class 574) made by gdiCreateObject; null for none.
using OwSurveyRecord = std::unique_ptr<gdi3dSurvey_t, OwObjectFree>;

/// What became of one volume.
enum class VolumeExportOutcome
{
    Exported, ///< a new survey and its data set hold the volume
    SurveyExists, ///< a survey of the volume's name exists already: nothing written
    Planned, ///< dry run: everything resolved, nothing written
    Failed, ///< nothing left in OpenWorks (see the messages)
    Cancelled ///< stopped by the user: nothing left in OpenWorks
};

/// The OpenWorks survey a host volume becomes, derived from its bloc space:
/// corners in metres as the volume's world matrix places them, line and trace
/// numbers from its survey matrix, and the vertical axis.
struct VolumeSurveyGeometry
{
    /// Corner fields 20 to 27 of the survey record: x, y of grid (0, 0, 0);
    /// x, y of (0, 0, dimz - 1); the fourth corner; x, y of (dimx - 1, 0, 0).
    double corners[8] = {};
    double firstLine = 0.0;
    double lastLine = 0.0;
    double firstTrace = 0.0;
    double lastTrace = 0.0;
    int traceCount = 0; ///< dimx
    int lineCount = 0; ///< dimz
    int sampleCount = 0; ///< dimy
    /// Vertical value of the first sample and of one sample past the last one,
    /// in the volume's vertical unit; the interval is (end - start) / dimy.
    double verticalStart = 0.0;
    double verticalEnd = 0.0;
    double sampleInterval() const { return sampleCount > 0 ? (verticalEnd - verticalStart) / sampleCount : 0.0; }
};

/// The survey of a bloc space. World coordinates are taken in `metresPerSpatialUnit`
/// (1 for a volume in metres). Line and trace numbers within 1e-6 of a whole
/// number are made whole; a first line (or trace) number of 0 moves the
/// numbering of that axis up by one, so that it starts at 1.
VolumeSurveyGeometry volumeSurveyGeometry(const georef::BlocSpace& space, double metresPerSpatialUnit = 1.0);

/// The OpenWorks survey name of a host volume file: its file name with every
/// "_" replaced by a space, cut to 40 characters.
QString surveyNameForVolume(const QString& fileName);

/// The volume files among host tree items: items whose item kind (role 513) is
/// 3 and whose object type (role 514) is 1 or 36, by their path (role 516), in
/// order, each once. An invalid index prints the assertion line and is skipped.
QStringList volumeExportCandidates(const QModelIndexList& items);

/// Exports each host volume file as a new OpenWorks 3D survey holding one
/// seismic data set, under the progress bar "Exporting Volumes from Velostrat
/// to OpenWorks®" (a child of context.progressParentId) whose Cancel is
/// checked between volumes and between frames. Every new survey is appended
/// to context.surveyModel. Ends with the information box "%1 of %2 volumes
/// exported." when fewer were exported than asked (not in a dry run). Needs
/// an open OpenWorks project. Returns the number exported (planned, in a dry run).
int exportSurveys(const ZRExchangeContext& context, const QStringList& volumeFiles);

/// Exports one host volume file: a new survey (class 574) whose geometry comes
/// from the volume's bloc space, committed, then a new seismic data set (class
/// 1184) of that survey, named after the survey with "_1" (or the first free
/// "_n"), whose traces are written from the volume's frames, one dm3dtr_ call
/// per trace, and whose record gets the value range, vertical axis and units.
/// A failed or cancelled export deletes what it created (data set, file,
/// survey) and commits, so nothing of it is left. Every message goes through
/// context.ui or the event bus and into the run report.
///
/// Returns a copy of the new survey record (also when a survey of that name
/// existed already: then nothing is written and the copy holds the record as
/// the volume would have made it); null otherwise. outcome (may be null)
/// receives what happened. In a dry run nothing is written in OpenWorks and
/// null is returned with the outcome Planned (SurveyExists when a survey of
/// the volume's name exists).
OwSurveyRecord exportVolume(const ZRExchangeContext& context, const QString& fileName, int parentProgressId,
                            VolumeExportOutcome* outcome = nullptr);

/// Makes sure the district's data folder holds a folder `name` for the
/// seismic file of a new survey (ensureDistrictDataFolder); false with the
/// reason in errorText.
bool seismicFolderFor(const QString& name, QString& errorText);

/// Text of a dm3d_crt_ds_ status.
QString dm3dcrtdsErrorText(int code);
