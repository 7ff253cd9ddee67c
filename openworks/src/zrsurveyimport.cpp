#include "zrsurveyimport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owsurveygeometry.h"
#include "unitresolution.h"
#include "zrexchangeui.h"
#include "zreventbus.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrseismicbloc.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <vector>

namespace
{

// Columns of the survey catalogue (ZROpenworksSurveyModel).
enum SurveyColumn
{
    SurveyNameColumn = 0,
    DataSetColumn = 1,
    FileNameColumn = 13,
    DomainColumn = 14,
    UnitColumn = 15,
    DataSetIdColumn = 17,
    SurveyOnlyColumn = 18
};

constexpr int ThreeDProject = 3;
constexpr float MissingValue = -9999.0f;

QString windowTitle(const ZRExchangeContext& context)
{
    if (context.parent)
        return context.parent->window()->windowTitle();
    return QStringLiteral("OpenWorks® Data Link");
}

void showMessage(const ZRExchangeContext& context, ZRExchangeUi::MessageKind kind, const QString& title,
                 const QString& text)
{
    if (context.ui)
        context.ui->showMessage(kind, title, text);
}

/// The host unit of the unit the open project uses for owUnitType (the
/// OpenWorks id goes to owUnitId); asks the user when the host lacks it.
int projectUnitForType(const ZRExchangeContext& context, int owUnitType, int kind, int* owUnitId)
{
    int unitId = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, owUnitType, &unitId) != 0) {
        int status = 0;
        const char* typeName = untGetTypeName(owUnitType, &status);
        showMessage(context, ZRExchangeUi::MessageKind::Critical, QStringLiteral("Unit Error"),
                    QStringLiteral("Unable to retrieve project unit for unit type <b>%1</b>.")
                        .arg(QString::fromUtf8(typeName ? typeName : "")));
        return NoUnit;
    }
    *owUnitId = unitId;
    const int unit = georef::hostUnitFromOpenWorks(unitId);
    if (unit != NoUnit)
        return unit;
    if (!context.ui)
        return NoUnit;
    return context.ui->askUnit(georef::candidateUnits(kind), georef::unsupportedUnitQuestion(unitId), NoUnit);
}

/// Ends what one request opened in the DevKit, on every path: the seismic
/// file (dm3dcl_) once dm3dop_ succeeded, the survey's 3D project (prjend_)
/// once dm3dop_ was reached.
class SeismicFileScope
{
public:
    explicit SeismicFileScope(void* controlBlock)
        : m_controlBlock(controlBlock)
    {
    }
    ~SeismicFileScope() { close(); }
    SeismicFileScope(const SeismicFileScope&) = delete;
    SeismicFileScope& operator=(const SeismicFileScope&) = delete;

    void projectStarted() { m_projectStarted = true; }
    void fileOpened() { m_fileOpen = true; }

    void close()
    {
        const int zero = 0;
        if (m_fileOpen) {
            int status = 0;
            dm3dcl_(m_controlBlock, &zero, &status);
            m_fileOpen = false;
        }
        if (m_projectStarted) {
            const int projectType = ThreeDProject;
            prjend_(&projectType, &zero);
            m_projectStarted = false;
        }
    }

private:
    void* m_controlBlock;
    bool m_projectStarted = false;
    bool m_fileOpen = false;
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

/// Imports one request into the volume folder; true when it counts as imported.
bool importOne(const ZRExchangeContext& context, const SurveyImportRequest& request, const QString& volumeFolder,
               const ImportUnits& units, int progressId)
{
    using Kind = ZRExchangeUi::MessageKind;
    const QString separator = QString(QDir::separator());

    QString target = volumeFolder + separator + request.sdsName;
    if (QFileInfo::exists(target)) {
        const ZRExchangeUi::FileConflictAnswer answer =
            context.ui ? context.ui->askFileConflict(target) : ZRExchangeUi::FileConflictAnswer();
        if (answer.choice == ZRExchangeUi::FileConflictAnswer::Skip
            || (answer.choice == ZRExchangeUi::FileConflictAnswer::NewName && answer.newFileName.isEmpty()))
            return false;
        if (answer.choice == ZRExchangeUi::FileConflictAnswer::Overwrite)
            QFile::remove(target);
        else
            target = volumeFolder + separator + answer.newFileName;
    }

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
    if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0)
        return false;
    gdiSeismicDataSet_t dataSet;
    gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &dataSet);
    dataSet.id = request.seismicDataSetId;
    dataSet.surveyId = survey.id;
    if (gdiRead(GDI_CLASS_SEISMIC_DATA_SET, &dataSet) != 0)
        return false;

    // The survey as the record names it (the request's name cut to the field).
    const QByteArray recordName(survey.name, int(strnlen(survey.name, sizeof survey.name)));
    int status = 0;
    int projectHandle = ThreeDProject;
    const int nameLength = recordName.size();
    prjin2_(&status, &projectHandle, recordName.constData(), &nameLength);
    ZREventBus::sendMessage(eDrawCallTrace,
                            QStringLiteral("Call to prjin2_ with survey=%1 error returned=%2")
                                .arg(request.survey, QString::number(status)),
                            false);
    if (status != 0) {
        showMessage(context, Kind::Critical, QStringLiteral("Error"),
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
    ZREventBus::sendMessage(status != 0 ? eDrawError : eDrawCallTrace,
                            QStringLiteral("Call to dm3dop_ with filename=%1 error returned=%2")
                                .arg(request.fileName, QString::number(status)),
                            false);
    if (status != 0) {
        showMessage(context, Kind::Critical, QStringLiteral("Error"),
                    errorDuringImport(request.sdsName, dm3dopErrorText(status)));
        return false;
    }
    scope.fileOpened();

    status = 0;
    dm3dpf_(&controlBlock, &projectHandle, &status);
    if (status != 0) {
        showMessage(context, Kind::Critical, QStringLiteral("Error"),
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
            ZREventBus::sendMessage(
                eDrawError, QStringLiteral("Error when converting vertical units. Error code: %1").arg(status), false);
            return false;
        }
    }

    const georef::BlocSpace space = georef::blocSpaceFromDataSet(
        survey, dataSet, controlBlock, isTime ? units.hostTimeUnit : units.hostDepthUnit);
    ZRSeismicBloc volume(space, ZRBloc::FLOAT_SIZE);

    const QString title = windowTitle(context);
    QString spaceMessage;
    if (!ZRBloc::requiredSpace(QFileInfo(target).absolutePath(), volume.dimx(), volume.dimy(), volume.dimz(), 1,
                               &spaceMessage)) {
        showMessage(context, Kind::Critical, title,
                    QStringLiteral("Error occurred when importing ") + request.sdsName + QStringLiteral(" : ")
                        + spaceMessage);
        return false;
    }

    volume.setCrs(georef::Crs());
    volume.setFileName(target);
    volume.setWithTransposition(true);
    const int fd = volume.saveHeader() ? ZRBloc::openForWriting(target) : -1;
    if (fd < 0) {
        showMessage(context, Kind::Critical, title,
                    QStringLiteral("Error occurred when importing ") + request.sdsName
                        + QStringLiteral(" : Unable to open the file"));
        return false;
    }

    // The trace loop fills frames in trace order already: write them as they are.
    volume.setWithTransposition(false);
    const bool isTraceOrder = owText(survey.orientation).trimmed() == QLatin1String("TRACE");
    const bool written = readTraces(volume, isTraceOrder, &controlBlock, volume, request.sdsName, fd, progressId);
    ZRBloc::closeFile(fd);
    if (!written)
        QFile::remove(target);
    return written;
}

} // namespace

QVector<SurveyImportRequest> surveyImportRequestsFromRows(const QAbstractItemModel& surveyModel,
                                                          const QVector<int>& rows,
                                                          QStringList* surveysWithoutDataSets)
{
    QVector<SurveyImportRequest> requests;
    QSet<int> seen;
    for (int row : rows) {
        if (row < 0 || row >= surveyModel.rowCount() || seen.contains(row))
            continue;
        seen.insert(row);
        const auto value = [&](int column) { return surveyModel.index(row, column).data(); };
        if (value(SurveyOnlyColumn).toBool()) {
            if (surveysWithoutDataSets)
                surveysWithoutDataSets->append(value(SurveyNameColumn).toString());
            continue;
        }
        SurveyImportRequest request;
        request.survey = value(SurveyNameColumn).toString();
        request.sdsName = value(DataSetColumn).toString();
        request.fileName = value(FileNameColumn).toString();
        request.domain = value(DomainColumn).toString();
        request.units = value(UnitColumn).toString();
        request.seismicDataSetId = qint32(value(DataSetIdColumn).toInt());
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
    showMessage(context, ZRExchangeUi::MessageKind::Information, QStringLiteral("Warning"), text);
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
        units.hostTimeUnit = projectUnitForType(context, georef::OpenWorksSeismicTimeType, 1, &units.owTimeUnit);
        if (units.hostTimeUnit == NoUnit)
            return 0;
    }
    if (anyDepth) {
        units.hostDepthUnit = projectUnitForType(context, georef::OpenWorksDepthType, 2, &units.owDepthUnit);
        if (units.hostDepthUnit == NoUnit)
            return 0;
    }

    int imported = 0;
    {
        ZRProgressBarGuard progress(requests.size(), QStringLiteral("Importing 3D Surveys from OpenWorks® to Velostrat"),
                                    -1, true);
        const QString volumeFolder = context.project ? context.project->directoryForType(ZRProject::VolumeType) : QString();
        for (const SurveyImportRequest& request : requests) {
            if (progress.isCancelled())
                break;
            if (importOne(context, request, volumeFolder, units, progress.id()))
                ++imported;
            progress.increment(1);
        }
        if (imported != requests.size())
            showMessage(context, ZRExchangeUi::MessageKind::Information, windowTitle(context),
                        QStringLiteral("%1 of %2 surveys imported.").arg(imported).arg(requests.size()));
    }
    if (context.hostFolderChanged)
        context.hostFolderChanged(ZRProject::VolumeAttributeType);
    return imported;
}

bool readTraces(const georef::BlocSpace& bloc, bool isTraceOrder, void* controlBlock, ZRSeismicBloc& volume,
                const QString& label, int fd, int parentProgressId)
{
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
    int frameIndex = 0;
    for (int outer = outerFirst; outer <= outerLast; ++outer, ++frameIndex) {
        if (progress.isCancelled())
            break;
        for (int inner = innerFirst; inner <= innerLast; ++inner) {
            const int x = isTraceOrder ? inner : outer;
            const int y = isTraceOrder ? outer : inner;
            float* trace = frame.data() + size_t(inner - innerFirst) * size_t(dimy);
            int status = 0;
            int extra = 0;
            dm3dtr_(cb, &x, &y, &firstSample, &lastSample, &step, &option, trace, &scale, &status, &extra);
            if (status == 1)
                std::fill(trace, trace + dimy, MissingValue);
            else if (status != 0)
                codes.insert(status);
        }
        if (!volume.writeFrame(fd, dataOffset, frameIndex, frame.data()))
            return false;
        progress.increment(1);
    }
    for (int code : codes)
        ZREventBus::sendMessage(eDrawError, QStringLiteral("Error during call to dm3dtr_ : %1").arg(code), false);
    return true;
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
