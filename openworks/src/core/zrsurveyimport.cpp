#include "zrsurveyimport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owseismicguards.h"
#include "owsurveygeometry.h"
#include "owunitresolution.h"
#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrpathsafety.h"
#include "zrproject.h"
#include "zrseismicbloc.h"
#include "zrtransferreport.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <set>
#include <vector>

namespace
{

constexpr int ThreeDProject = 3;
constexpr float MissingValue = -9999.0f;

/// A volume file being written under its temporary name: removed on every
/// path unless it was given its target name.
class TemporaryVolume
{
public:
    explicit TemporaryVolume(const QString& target)
        : m_target(target)
        , m_path(temporaryVolumePath(target))
    {
    }
    ~TemporaryVolume()
    {
        if (!m_renamed)
            QFile::remove(m_path);
    }
    TemporaryVolume(const TemporaryVolume&) = delete;
    TemporaryVolume& operator=(const TemporaryVolume&) = delete;

    const QString& path() const { return m_path; }
    /// Gives the file its target name (replacing a file of that name); false
    /// with the system's reason when that fails.
    bool rename(QString* reason)
    {
        const QByteArray from = QFile::encodeName(m_path);
        const QByteArray to = QFile::encodeName(m_target);
        if (std::rename(from.constData(), to.constData()) != 0) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        m_renamed = true;
        return true;
    }

private:
    QString m_target;
    QString m_path;
    bool m_renamed = false;
};

/// What importSurveys resolved once for every request.
struct ImportUnits
{
    int owTimeUnit = 0;
    int owDepthUnit = 0;
    int hostTimeUnit = NoUnit;
    int hostDepthUnit = NoUnit;
};

QString errorDuringImport(const QString& sdsName, const QString& reason)
{
    return QStringLiteral("Error occurred during import of %1: %2.").arg(sdsName, reason);
}

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const SurveyImportRequest& request)
{
    ZRTransferReport::Item item = openWorksSourceItem(context, QStringLiteral("seismic data set"), GDI_CLASS_SEISMIC_DATA_SET,
                                                      request.seismicDataSetId, request.sdsName);
    item.source.insert(QStringLiteral("survey"), request.survey);
    item.source.insert(QStringLiteral("fileName"), request.fileName);
    item.source.insert(QStringLiteral("domain"), request.domain);
    item.source.insert(QStringLiteral("unit"), request.units);
    return item;
}

/// Imports one request into the volume folder; true when it counts as imported.
bool importOne(const ZRExchangeContext& context, const SurveyImportRequest& request, const QString& volumeFolder,
               const ImportUnits& units, int progressId, bool* cancelled)
{
    using Kind = ZRExchangeUi::MessageKind;
    ZRReportedItem reported(context, reportItemOf(context, request));

    // The data set's name becomes a file name: it must stay one name inside the volume folder.
    QString nameError;
    QString target = safeChildPath(volumeFolder, request.sdsName, &nameError);
    if (target.isEmpty()) {
        reported.showMessage(Kind::Critical, QStringLiteral("Error"),
                             QStringLiteral("Unable to import seismic data set %1: %2").arg(request.sdsName, nameError));
        return false;
    }
    QString action = ZRTransferReport::Create;
    if (QFileInfo::exists(target)) {
        const ZRExchangeUi::FileConflictAnswer answer =
            context.ui ? context.ui->askFileConflict(target) : ZRExchangeUi::FileConflictAnswer();
        if (answer.choice == ZRExchangeUi::FileConflictAnswer::Skip
            || (answer.choice == ZRExchangeUi::FileConflictAnswer::NewName && answer.newFileName.isEmpty())) {
            reported.setAction(ZRTransferReport::Skip);
            reported.setTarget(QStringLiteral("path"), QDir::toNativeSeparators(target));
            reported.setOutcome(ZRTransferReport::Skipped);
            return false;
        }
        if (answer.choice == ZRExchangeUi::FileConflictAnswer::Overwrite) {
            action = ZRTransferReport::Overwrite;
            if (!context.dryRun)
                QFile::remove(target);
        } else {
            action = ZRTransferReport::Rename;
            target = safeChildPath(volumeFolder, answer.newFileName, &nameError);
            if (target.isEmpty()) {
                reported.showMessage(Kind::Critical, QStringLiteral("Error"),
                                     QStringLiteral("Unable to import seismic data set %1: %2")
                                         .arg(request.sdsName, nameError));
                return false;
            }
        }
    }
    reported.setAction(action);
    reported.setTarget(QStringLiteral("path"), QDir::toNativeSeparators(target));

    ZREventBus::sendMessage(eDrawStatus,
                            QStringLiteral("Start of import of seismic dataset :\n\tsurvey\t\t\t = %1\n\tsdsName\t\t\t = "
                                           "%2\n\tfilename\t\t = %3\n\tdomain\t\t\t = %4\n\tunits\t\t\t = "
                                           "%5\n\tseismicDataSetId = %6\n\ttarget filename\t = %7\n")
                                .arg(request.survey, request.sdsName, request.fileName, request.domain, request.units,
                                     QString::number(request.seismicDataSetId), target),
                            false);

    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    const QByteArray surveyName = request.survey.toLocal8Bit();
    owSetText(survey.name, surveyName);
    int status = gdiRead(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0) {
        reported.recordMessage(QStringLiteral("The 3D survey could not be read: %1").arg(owErrorText(status)));
        return false;
    }
    gdiSeismicDataSet_t dataSet;
    gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &dataSet);
    dataSet.id = request.seismicDataSetId;
    dataSet.surveyId = survey.id;
    status = gdiRead(GDI_CLASS_SEISMIC_DATA_SET, &dataSet);
    if (status != 0) {
        reported.recordMessage(QStringLiteral("The seismic data set could not be read: %1").arg(owErrorText(status)));
        return false;
    }

    // The survey as the record names it (the request's name cut to the field).
    const QByteArray recordName(survey.name, int(strnlen(survey.name, sizeof survey.name)));
    status = 0;
    int projectHandle = ThreeDProject;
    const int nameLength = recordName.size();
    prjin2_(&status, &projectHandle, recordName.constData(), &nameLength);
    ZREventBus::sendMessage(eDrawCallTrace,
                            QStringLiteral("Call to prjin2_ with survey=%1 error returned=%2")
                                .arg(request.survey, QString::number(status)),
                            false);
    if (status != 0) {
        reported.showMessage(Kind::Critical, QStringLiteral("Error"),
                             errorDuringImport(request.sdsName, prjin2ErrorText(status)));
        return false;
    }

    dm3dControlBlock_t controlBlock;
    std::memset(&controlBlock, 0, sizeof controlBlock);
    SeismicFileScope scope(&controlBlock);
    scope.projectStarted();

    char fileName[DM3D_FILE_NAME_SIZE] = {};
    const QByteArray fileNameBytes = request.fileName.toLocal8Bit();
    std::memcpy(fileName, fileNameBytes.constData(), std::min<size_t>(sizeof fileName - 1, size_t(fileNameBytes.size())));
    const int readMode = 1;
    status = 0;
    dm3dop_(fileName, &controlBlock, &readMode, &status);
    const QString openTrace = QStringLiteral("Call to dm3dop_ with filename=%1 error returned=%2")
                                  .arg(request.fileName, QString::number(status));
    if (status != 0)
        reported.sendMessage(eDrawError, openTrace);
    else
        ZREventBus::sendMessage(eDrawCallTrace, openTrace, false);
    if (status != 0) {
        reported.showMessage(Kind::Critical, QStringLiteral("Error"),
                             errorDuringImport(request.sdsName, dm3dopErrorText(status)));
        return false;
    }
    scope.fileOpened();

    status = 0;
    dm3dpf_(&controlBlock, &projectHandle, &status);
    if (status != 0) {
        reported.showMessage(Kind::Critical, QStringLiteral("Error"),
                             QStringLiteral("Error validating project during import of %1: %2")
                                 .arg(request.sdsName, dm3dpfErrorText(status)));
        return false;
    }

    {
        const int option = 2;
        const int step = 1;
        const int firstX = controlBlock.firstX;
        const int lastX = controlBlock.lastX;
        std::vector<char> workBuffer(DM3D_WORK_BUFFER_SIZE);
        status = 0;
        dm3dnx_(&controlBlock, &option, &firstX, &lastX, &step, workBuffer.data(), &status);
    }

    const bool isTime = request.isTime();
    const int fromUnit = isTime ? units.owTimeUnit : units.owDepthUnit;
    const int toUnit = isTime ? georef::OpenWorksMillisecond : georef::OpenWorksMetre;
    const int one = 1;
    for (double* value : {&dataSet.verticalStart, &dataSet.sampleInterval}) {
        status = 0;
        untConvert(fromUnit, toUnit, &one, value, &status);
        if (status != 0) {
            reported.sendMessage(eDrawError,
                                 QStringLiteral("Error when converting vertical units. Error code: %1").arg(status));
            return false;
        }
    }
    const int hostUnit = isTime ? units.hostTimeUnit : units.hostDepthUnit;
    if (ZRTransferReport::Item* item = reported.item())
        item->units.append(ZRTransferReport::unitEntry(
            isTime ? QStringLiteral("vertical time") : QStringLiteral("vertical depth"), fromUnit,
            georef::openWorksUnitName(fromUnit), toUnit, georef::openWorksUnitName(toUnit),
            georef::openWorksConversionFactor(fromUnit, toUnit), UnitTable::unitName(hostUnit)));

    // The corners come in the project's X/Y unit; host volumes are in metres.
    georef::SurveyGeometry geometry = georef::surveyGeometryFromRecord(survey);
    std::array<double, 8> cornerFactors{};
    std::array<int, 8> cornerUnits{};
    status = georef::surveyCornerFactorsToMetres(&cornerFactors, &cornerUnits);
    if (status != 0) {
        reported.sendMessage(eDrawError,
                             QStringLiteral("Error when converting the survey's coordinates to metres. Error code: %1")
                                 .arg(status));
        return false;
    }
    georef::scaleSurveyCorners(geometry, cornerFactors);
    if (ZRTransferReport::Item* item = reported.item()) {
        for (int axis = 0; axis < 2; ++axis)
            item->units.append(ZRTransferReport::unitEntry(
                axis == 0 ? QStringLiteral("map x") : QStringLiteral("map y"), cornerUnits[size_t(axis)],
                georef::openWorksUnitName(cornerUnits[size_t(axis)]), georef::OpenWorksMetre,
                georef::openWorksUnitName(georef::OpenWorksMetre), cornerFactors[size_t(axis)],
                UnitTable::unitName(Meter)));
    }
    const georef::BlocSpace space =
        georef::blocSpaceFromDataSet(geometry, georef::dataSetRangeFromRecord(dataSet),
                                     georef::dataFileRangeFromControlBlock(controlBlock), hostUnit);
    ZRSeismicBloc volume(space, ZRBloc::FLOAT_SIZE);
    if (ZRTransferReport::Item* item = reported.item()) {
        item->geometry = ZRTransferReport::blocSpaceEntry(space);
        item->counts.insert(QStringLiteral("traces"), double(qint64(space.dimx()) * space.dimz()));
        item->counts.insert(QStringLiteral("samplesPerTrace"), space.dimy());
        item->counts.insert(QStringLiteral("bytes"),
                            double(qint64(space.dimx()) * space.dimy() * space.dimz() * qint64(sizeof(float))));
    }

    QString spaceMessage;
    if (!ZRBloc::requiredSpace(QFileInfo(target).absolutePath(), volume.dimx(), volume.dimy(), volume.dimz(), 1,
                               &spaceMessage)) {
        reported.showMessage(Kind::Critical, context.windowTitle,
                             QStringLiteral("Error occurred when importing ") + request.sdsName + QStringLiteral(" : ")
                                 + spaceMessage);
        return false;
    }
    if (context.dryRun) {
        reported.setOutcome(ZRTransferReport::Planned);
        return true;
    }

    // Written under a hidden name; given its target name once the trace loop ends.
    removeStaleTemporaryVolumes(target);
    TemporaryVolume file(target);
    volume.setCrs(georef::Crs());
    volume.setFileName(file.path());
    volume.setWithTransposition(true);
    const int fd = volume.saveHeader() ? ZRBloc::openForWriting(file.path()) : -1;
    if (fd < 0) {
        reported.showMessage(Kind::Critical, context.windowTitle,
                             QStringLiteral("Error occurred when importing ") + request.sdsName
                                 + QStringLiteral(" : Unable to open the file"));
        return false;
    }

    // The trace loop fills frames in trace order already: write them as they are.
    volume.setWithTransposition(false);
    const bool isTraceOrder = owText(survey.orientation).trimmed() == QLatin1String("TRACE");
    TraceLoopResult loop;
    loop.computeRange = context.report != nullptr;
    const bool written =
        readTraces(volume, isTraceOrder, &controlBlock, volume, request.sdsName, fd, progressId, &loop);
    ZRBloc::closeFile(fd);
    if (ZRTransferReport::Item* item = reported.item()) {
        item->counts.insert(QStringLiteral("absentTraces"), double(loop.absentTraces));
        item->counts.insert(QStringLiteral("failedTraces"), double(loop.failedTraces));
        item->counts.insert(QStringLiteral("framesWritten"), loop.framesWritten);
        if (loop.computeRange && loop.minimum <= loop.maximum) {
            item->valueRange.insert(QStringLiteral("min"), loop.minimum);
            item->valueRange.insert(QStringLiteral("max"), loop.maximum);
        }
    }
    if (!written)
        return false;
    QString reason;
    if (!file.rename(&reason)) {
        reported.sendMessage(eDrawFileError, QStringLiteral("Error when renaming %1 to %2: %3")
                                                 .arg(file.path(), target, reason));
        return false;
    }
    *cancelled = loop.cancelled;
    if (ZRTransferReport::Item* item = reported.item())
        item->files.append(ZRTransferReport::fileEntry(target));
    reported.setOutcome(loop.cancelled ? ZRTransferReport::Cancelled
                        : action == ZRTransferReport::Overwrite ? ZRTransferReport::Overwritten
                        : action == ZRTransferReport::Rename    ? ZRTransferReport::Renamed
                                                                : ZRTransferReport::Imported);
    return true;
}

} // namespace

QVector<SurveyImportRequest> surveyImportRequestsFromRows(const QAbstractItemModel& surveyModel,
                                                          const QVector<int>& rows,
                                                          QStringList* surveysWithoutDataSets)
{
    QVector<SurveyImportRequest> requests;
    for (int row : uniqueRows(rows)) {
        if (row < 0 || row >= surveyModel.rowCount())
            continue;
        const auto value = [&](int column) { return surveyModel.index(row, column).data(); };
        if (value(ZROpenworksSurveyModel::SurveyOnlyColumn).toBool()) {
            if (surveysWithoutDataSets)
                surveysWithoutDataSets->append(value(ZROpenworksSurveyModel::SurveyNameColumn).toString());
            continue;
        }
        SurveyImportRequest request;
        request.survey = value(ZROpenworksSurveyModel::SurveyNameColumn).toString();
        request.sdsName = value(ZROpenworksSurveyModel::DataSetColumn).toString();
        request.fileName = value(ZROpenworksSurveyModel::FileNameColumn).toString();
        request.domain = value(ZROpenworksSurveyModel::DataSetDomainColumn).toString();
        request.units = value(ZROpenworksSurveyModel::UnitColumn).toString();
        request.seismicDataSetId = qint32(value(ZROpenworksSurveyModel::DataSetIdColumn).toInt());
        requests.append(request);
    }
    return requests;
}

void warnSurveysWithoutDataSets(const ZRExchangeContext& context, const QStringList& surveys)
{
    if (surveys.isEmpty())
        return;
    QString text = QStringLiteral(
        "The following items are 3D Surveys containing no Seismic Data Sets and will not be imported:<ul>");
    for (const QString& survey : surveys)
        text += QStringLiteral("<li>%1</li>\n").arg(survey);
    text += QStringLiteral("</ul>");
    if (context.ui)
        context.ui->showMessage(ZRExchangeUi::MessageKind::Information, QStringLiteral("Warning"), text);
    if (context.report)
        context.report->addRunMessage(text);
}

int importSurveys(const ZRExchangeContext& context, const QVector<SurveyImportRequest>& requests)
{
    if (requests.isEmpty())
        return 0;

    ImportUnits units;
    const bool anyTime = std::any_of(requests.begin(), requests.end(),
                                     [](const SurveyImportRequest& request) { return request.isTime(); });
    const bool anyDepth = std::any_of(requests.begin(), requests.end(),
                                      [](const SurveyImportRequest& request) { return !request.isTime(); });
    if (anyTime) {
        units.hostTimeUnit = projectUnitForType(context.ui, georef::OpenWorksSeismicTimeType,
                                                georef::candidateUnits(1), &units.owTimeUnit);
        if (units.hostTimeUnit == NoUnit) {
            if (context.report)
                context.report->addRunMessage(QStringLiteral("No host unit for the project's time unit: nothing imported."));
            return 0;
        }
    }
    if (anyDepth) {
        units.hostDepthUnit = projectUnitForType(context.ui, georef::OpenWorksDepthType, georef::candidateUnits(2),
                                                 &units.owDepthUnit);
        if (units.hostDepthUnit == NoUnit) {
            if (context.report)
                context.report->addRunMessage(
                    QStringLiteral("No host unit for the project's depth unit: nothing imported."));
            return 0;
        }
    }

    int imported = 0;
    {
        ZRProgressBarGuard progress(requests.size(), QStringLiteral("Importing 3D Surveys from OpenWorks® to Velostrat"),
                                    context.progressParentId, true);
        const QString volumeFolder = context.project ? context.project->directoryForType(ZRProject::VolumeType) : QString();
        for (const SurveyImportRequest& request : requests) {
            if (progress.isCancelled())
                break;
            bool cancelled = false;
            if (importOne(context, request, volumeFolder, units, progress.id(), &cancelled))
                ++imported;
            progress.increment(1);
        }
        if (imported != requests.size() && !context.dryRun && context.ui)
            context.ui->showMessage(ZRExchangeUi::MessageKind::Information, context.windowTitle,
                                    QStringLiteral("%1 of %2 surveys imported.").arg(imported).arg(requests.size()));
    }
    if (context.hostFolderChanged && !context.dryRun)
        context.hostFolderChanged(ZRProject::VolumeAttributeType);
    return imported;
}

bool readTraces(const georef::BlocSpace& bloc, bool isTraceOrder, void* controlBlock, ZRSeismicBloc& volume,
                const QString& label, int fd, int parentProgressId, TraceLoopResult* result)
{
    TraceLoopResult local;
    TraceLoopResult& counts = result ? *result : local;
    auto* cb = static_cast<dm3dControlBlock_t*>(controlBlock);
    const int outerFirst = isTraceOrder ? cb->firstY : cb->firstX;
    const int outerLast = isTraceOrder ? cb->lastY : cb->lastX;
    const int innerFirst = isTraceOrder ? cb->firstX : cb->firstY;
    const int dimx = bloc.dimx();
    const int dimy = bloc.dimy();
    const int innerLast = std::min(isTraceOrder ? cb->lastX : cb->lastY, innerFirst + dimx - 1);
    const int firstSample = cb->firstSample;
    const int lastSample = std::min(cb->lastSample, firstSample + dimy - 1);
    const qint64 dataOffset = volume.dataOffset();

    std::vector<float> frame;
    try {
        frame.resize(size_t(dimx) * size_t(dimy));
    } catch (const std::bad_alloc&) {
        return volume.writeFrame(fd, dataOffset, 0, nullptr);
    }

    ZRProgressBarGuard progress(std::max(0, outerLast - outerFirst + 1), label, parentProgressId, true);
    progress.increment(1);

    const int step = 1;
    const int option = 0;
    const float scale = 0.0f;
    std::set<int> codes;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::lowest();
    int frameIndex = 0;
    for (int outer = outerFirst; outer <= outerLast; ++outer, ++frameIndex) {
        if (progress.isCancelled()) {
            counts.cancelled = true;
            break;
        }
        // Traces the loop does not reach (a file narrower than the frame) stay missing.
        std::fill(frame.begin(), frame.end(), MissingValue);
        for (int inner = innerFirst; inner <= innerLast; ++inner) {
            const int x = isTraceOrder ? inner : outer;
            const int y = isTraceOrder ? outer : inner;
            float* trace = frame.data() + size_t(inner - innerFirst) * size_t(dimy);
            int status = 0;
            int extra = 0;
            ++counts.traces;
            dm3dtr_(cb, &x, &y, &firstSample, &lastSample, &step, &option, trace, &scale, &status, &extra);
            if (status == 0)
                continue;
            // No data there, or a read that failed: never keep what the buffer held before.
            std::fill(trace, trace + dimy, MissingValue);
            if (status == 1) {
                ++counts.absentTraces;
            } else {
                ++counts.failedTraces;
                codes.insert(status);
            }
        }
        if (counts.computeRange) {
            for (float value : frame) {
                if (value == MissingValue || std::isnan(value))
                    continue;
                minimum = std::min(minimum, double(value));
                maximum = std::max(maximum, double(value));
            }
        }
        if (!volume.writeFrame(fd, dataOffset, frameIndex, frame.data()))
            return false;
        ++counts.framesWritten;
        progress.increment(1);
    }
    counts.minimum = minimum;
    counts.maximum = maximum;
    for (int code : codes)
        ZREventBus::sendMessage(eDrawError, QStringLiteral("Error during call to dm3dtr_ : %1").arg(code), false);
    return true;
}

QString temporaryVolumePath(const QString& target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QDir::separator() + QLatin1Char('.') + info.fileName() + QLatin1Char('.')
        + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".partial");
}

int removeStaleTemporaryVolumes(const QString& target)
{
    const QFileInfo info(target);
    QDir folder(info.absolutePath());
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || !name.endsWith(QStringLiteral(".partial")))
            continue;
        // Only "<prefix><process id>.partial": never a file of another target whose name starts alike.
        const QString middle = name.mid(prefix.size(), name.size() - prefix.size() - int(strlen(".partial")));
        bool isNumber = false;
        middle.toLongLong(&isNumber);
        if (isNumber && folder.remove(name))
            ++removed;
    }
    return removed;
}

QString prjin2ErrorText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Success: No errors or warnings");
    case 1: return QStringLiteral("Initialization of 3D project");
    case 2: return QStringLiteral("Initialization of 2D project");
    case 3: return QStringLiteral("Invalid project type");
    case 4: return QStringLiteral("Failed to get active OpenWorks project");
    case 5: return QStringLiteral("2D interpretation project contains no lines");
    default: return QStringLiteral("Unknown error occurred (prjin2_ - %1)").arg(code);
    }
}

QString dm3dopErrorText(int code)
{
    switch (code) {
    case -1: return QStringLiteral("Insufficient disk space to create seismic file");
    case 0: return QStringLiteral("Successful operation");
    case 3: return QStringLiteral("Insufficient disk space to create seismic file");
    case 4: return QStringLiteral("Minimum X, Y, or Time coordinate below -32767");
    case 5: return QStringLiteral("Invalid mode");
    case 6: return QStringLiteral("File does not exist");
    case 8: return QStringLiteral("Invalid file name");
    case 11: return QStringLiteral("Write permission denied");
    default: return QStringLiteral("Unknown error occurred (dm3dop_ - %1)").arg(code);
    }
}

QString dm3dpfErrorText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Success. Extents match");
    case 1: return QStringLiteral("Can not validate (seismic file is version 1)");
    case 2: return QStringLiteral("Extents do not match");
    case 3: return QStringLiteral("General internal failure");
    default: return QStringLiteral("Unknown error occurred (dm3dpf_ - %1)").arg(code);
    }
}

QString dm3dtrErrorText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Successful operation");
    case 1: return QStringLiteral("No data at specified grid coordinates");
    case 2:
        return QStringLiteral(
            "Requested X, Y, or Time grid coordinates outside of maximum actual extents of seismic file");
    case 3:
        return QStringLiteral(
            "Requested X, Y, or Time grid coordinates outside of maximum possible extents of seismic file");
    case 4: return QStringLiteral("Error: firstSample > lastSample");
    case 7: return QStringLiteral("Illegal attempt to access data while in output validation mode");
    case 8: return QStringLiteral("Illegal attempt to write while in input mode");
    case 10: return QStringLiteral("xGrid inconsistent with preceding dm3dxy_() call");
    default: return QStringLiteral("General internal failure (dm3dtr_)");
    }
}
