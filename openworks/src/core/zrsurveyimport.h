#pragma once

#include "zrexchangecontext.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QAbstractItemModel;
class ZRSeismicBloc;

namespace georef
{
class BlocSpace;
}

/// One OpenWorks seismic data set of a 3D survey to import as a host volume,
/// taken from a row of the survey catalogue (ZROpenworksSurveyModel).
struct SurveyImportRequest
{
    QString survey;   ///< "Survey Name"
    QString sdsName;  ///< "Data Set"; also the target file name
    QString fileName; ///< "Data File Name": the OpenWorks seismic file
    QString domain;   ///< "TIME" marks a time data set; anything else is depth
    QString units;    ///< "Unit"
    qint32 seismicDataSetId = 0;

    bool isTime() const { return domain == QLatin1String("TIME"); }
};

/// Requests from rows of the survey catalogue model (source rows, in the given
/// order, each row once). Rows of surveys without data sets give no request:
/// their survey names go to surveysWithoutDataSets (may be null).
QVector<SurveyImportRequest> surveyImportRequestsFromRows(const QAbstractItemModel& surveyModel,
                                                          const QVector<int>& rows,
                                                          QStringList* surveysWithoutDataSets);

/// The "Warning" box listing surveys that hold no seismic data set (nothing
/// shown for an empty list).
void warnSurveysWithoutDataSets(const ZRExchangeContext& context, const QStringList& surveys);

/// Imports each request into a volume file of the project's volume folder:
/// resolves the project's time and depth units (a declined unit ends the
/// import), asks about existing target files, reads the traces through the
/// DevKit and writes the volume frame by frame under a cancellable progress
/// bar. Failures of one request are reported through context.ui or the event
/// bus and the next request goes on. Ends with the "%1 of %2 surveys
/// imported." box when some were not imported, then reloads the host volume
/// folder. Needs an open OpenWorks project. Returns the number imported.
///
/// A volume is written under a hidden temporary name in the volume folder
/// (temporaryVolumePath) and renamed to its target when its trace loop ends,
/// also after a cancel; a run that is killed leaves only the temporary file,
/// which the next import of the same target removes. With context.dryRun the
/// targets, units, geometry and space are resolved and recorded in the report
/// and nothing is written.
int importSurveys(const ZRExchangeContext& context, const QVector<SurveyImportRequest>& requests);

/// What the trace loop met.
struct TraceLoopResult
{
    qint64 traces = 0;        ///< traces asked for
    qint64 absentTraces = 0;  ///< no data there (status 1)
    qint64 failedTraces = 0;  ///< any other non-zero status
    int framesWritten = 0;
    bool cancelled = false;
    /// Range of the samples written, missing ones left out (only when
    /// computeRange was asked; min > max when no sample counted).
    bool computeRange = false;
    double minimum = 0.0;
    double maximum = 0.0;
};

/// The trace loop of one open seismic file (controlBlock as dm3dop_ filled
/// it) into the volume file open as fd, frame after frame: frames follow grid
/// y when isTraceOrder, else grid x; -9999.0 fills traces without data and
/// traces whose read failed; each distinct failing dm3dtr_ status is reported
/// once at the end. Stops early, returning true, when the progress bar (a
/// child of parentProgressId labelled `label`) is cancelled. False only when a
/// frame write failed. result (may be null) receives the counts.
bool readTraces(const georef::BlocSpace& bloc, bool isTraceOrder, void* controlBlock, ZRSeismicBloc& volume,
                const QString& label, int fd, int parentProgressId, TraceLoopResult* result = nullptr);

/// The hidden name a volume is written under before it gets its target name:
/// "." + the target's file name + "." + the process id + ".partial", in the
/// target's folder. The host project tree does not list such files.
QString temporaryVolumePath(const QString& target);
/// Removes every temporary file left for target by earlier imports (any
/// process id); returns how many were removed.
int removeStaleTemporaryVolumes(const QString& target);

/// Texts of the statuses of prjin2_, dm3dop_, dm3dpf_ and dm3dtr_.
QString prjin2ErrorText(int code);
QString dm3dopErrorText(int code);
QString dm3dpfErrorText(int code);
QString dm3dtrErrorText(int code);
