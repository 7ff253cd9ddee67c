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
int importSurveys(const ZRExchangeContext& context, const QVector<SurveyImportRequest>& requests);

/// The trace loop of one open seismic file (controlBlock as dm3dop_ filled
/// it) into the volume file open as fd, frame after frame: frames follow grid
/// y (lines) when isTraceOrder, else grid x; -9999.0 fills traces without
/// data; each distinct other dm3dtr_ status is reported once at the end. Stops
/// early, returning true, when the progress bar (a child of parentProgressId
/// labelled `label`) is cancelled. False only when a frame write failed.
bool readTraces(const georef::BlocSpace& bloc, bool isTraceOrder, void* controlBlock, ZRSeismicBloc& volume,
                const QString& label, int fd, int parentProgressId);

/// Texts of the statuses of prjin2_, dm3dop_, dm3dpf_ and dm3dtr_.
QString prjin2ErrorText(int code);
QString dm3dopErrorText(int code);
QString dm3dpfErrorText(int code);
QString dm3dtrErrorText(int code);
