#include "zrhorizonimport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owsurveygeometry.h"
#include "owunitresolution.h"
#include "zr3dhorizon.h"
#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrhostfiletarget.h"
#include "zrobjectheader.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrsurveyimport.h"
#include "zrtemporaryhostfile.h"
#include "zrtransferreport.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <set>
#include <vector>

namespace
{

using Kind = ZRExchangeUi::MessageKind;

constexpr int ThreeDProject = 3;
constexpr int ReadMode = 1;
constexpr float MissingValue = -9999.0f;
/// What hrzopn_ is told to give for missing nodes.
constexpr float OpenWorksNullValue = 1.0e37f;
constexpr int HorizonPrecision = 3;

const QString kError = QStringLiteral("Error");

/// The OpenWorks depth units the host has a unit for.
bool isSupportedDepthUnit(int unit)
{
    static const std::set<int> supported = {1, 2, 10, 11, 12, 13, 18, 19, 20, 21, 348, 890, 1033, 1089, 1090};
    return supported.count(unit) != 0;
}

/// Ends what one survey of a horizon opened in the DevKit, on every path: the
/// horizon subsystem (hrzcls_) once hrzopn_ succeeded, then the survey's 3D
/// project (prjend_) once prjin2_ succeeded.
class HorizonSurveyScope
{
public:
    HorizonSurveyScope() = default;
    ~HorizonSurveyScope()
    {
        if (m_subsystemOpen) {
            int status = 0;
            hrzcls_(&status);
        }
        if (m_projectStarted) {
            const int projectType = ThreeDProject;
            const int zero = 0;
            prjend_(&projectType, &zero);
        }
    }
    HorizonSurveyScope(const HorizonSurveyScope&) = delete;
    HorizonSurveyScope& operator=(const HorizonSurveyScope&) = delete;

    void projectStarted() { m_projectStarted = true; }
    void subsystemOpened() { m_subsystemOpen = true; }

private:
    bool m_projectStarted = false;
    bool m_subsystemOpen = false;
};

/// What a run keeps from one horizon to the next.
struct RunState
{
    QString folder;
    QStringList staleFiles; ///< temporary files of earlier imports in the folder
    georef::Crs crs; ///< the run's empty coordinate reference
    int progressId = -1;
    bool depthFactorSet = false;
    double depthFactor = 1.0;
    int owDepthUnit = 0;
    /// The grid read through the DevKit and the horizon built from it, kept
    /// from one survey to the next: grids of one size then fault in no fresh
    /// pages (on some machines that costs more than reading the grid).
    std::vector<float> readBuffer;
    ZR3DHorizon horizon;
};

/// What one horizon keeps from one survey to the next.
struct HorizonState
{
    QString name;        ///< the catalogue record's name
    QString displayName; ///< names the horizon in messages
    ZRHostFileTarget first;
    bool depthUnitRecorded = false;
    int surveysWritten = 0;
    int surveysPlanned = 0;
    int surveysFailed = 0;
    int surveysSkipped = 0;
    bool cancelled = false;
    double nodes = 0;
    double nullNodes = 0;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::lowest();
    QJsonArray targets;
    QJsonArray geometries;
};

enum class SurveyOutcome
{
    Written,
    Planned,
    Failed,
    Skipped,
    Cancelled
};

QString outcomeText(SurveyOutcome outcome, const QString& action)
{
    switch (outcome) {
    case SurveyOutcome::Written:
        return action == ZRTransferReport::Overwrite ? ZRTransferReport::Overwritten
               : action == ZRTransferReport::Rename  ? ZRTransferReport::Renamed
                                                     : ZRTransferReport::Imported;
    case SurveyOutcome::Planned:
        return ZRTransferReport::Planned;
    case SurveyOutcome::Skipped:
        return ZRTransferReport::Skipped;
    case SurveyOutcome::Cancelled:
        return ZRTransferReport::Cancelled;
    case SurveyOutcome::Failed:
        break;
    }
    return ZRTransferReport::Failed;
}

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const HorizonImportRequest& request)
{
    ZRTransferReport::Item item = openWorksSourceItem(context, QStringLiteral("horizon"), GDI_CLASS_HORIZON_CATALOG,
                                                      request.horizonId, request.displayName);
    item.source.insert(QStringLiteral("horizonId"), request.horizonId);
    item.source.insert(QStringLiteral("attribute"), request.attribute);
    return item;
}

/// The target of a further survey of a horizon: the first target's name +
/// " (" + survey + ")", an existing file resolved with the answer given for
/// the first target when that was Overwrite, asked about otherwise.
ZRHostFileTarget furtherTarget(const ZRExchangeContext& context, ZRReportedItem& reported, const HorizonState& horizon,
                               const QString& survey)
{
    ZRHostFileTarget target;
    QString error;
    const QFileInfo first(horizon.first.path);
    target.path = hostChildPath(first.absolutePath(), horizonSurveyFileName(first.fileName(), survey), &error);
    if (target.path.isEmpty()) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to import horizon %1: %2").arg(horizon.displayName, error));
        target.action = ZRTransferReport::Skip;
        return target;
    }
    if (!QFileInfo::exists(target.path)) {
        target.action = ZRTransferReport::Create;
    } else if (horizon.first.asked && horizon.first.answer.choice == ZRExchangeUi::FileConflictAnswer::Overwrite) {
        target.action = ZRTransferReport::Overwrite;
        target.answer = horizon.first.answer;
    } else {
        target = resolveHostFileTarget(context, target.path, &error);
        if (!error.isEmpty())
            reported.showMessage(Kind::Information, kError,
                                 QStringLiteral("Unable to import horizon %1: %2").arg(horizon.displayName, error));
    }
    if (target.action == ZRTransferReport::Overwrite)
        removeForOverwrite(context, reported, target.path);
    return target;
}

/// Looks the project's depth unit up and turns it into a factor to metres,
/// once per run. False after the "Unit Error" box.
bool ensureDepthFactor(ZRReportedItem& reported, RunState& run, const QString& displayName)
{
    if (run.depthFactorSet)
        return true;
    const auto unitError = [&]() {
        reported.showMessage(Kind::Critical, QStringLiteral("Unit Error"),
                             QStringLiteral("Unable to retrieve project unit for horizon %1 depth unit.").arg(displayName));
        return false;
    };
    int unit = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, georef::OpenWorksDepthType, &unit) != 0)
        return unitError();
    if (!isSupportedDepthUnit(unit))
        reported.sendMessage(eDrawError, QStringLiteral("Unsupported unit %1. Unit id: %2")
                                             .arg(georef::openWorksUnitName(unit), QString::number(unit)));
    double factor = 1.0;
    const int one = 1;
    int status = 0;
    untConvert(unit, georef::OpenWorksMetre, &one, &factor, &status);
    if (status != 0)
        return unitError();
    run.depthFactor = factor;
    run.owDepthUnit = unit;
    run.depthFactorSet = true;
    return true;
}

/// Bytes a horizon file of this grid takes at most (every node set).
double estimatedFileBytes(int columns, int rows, qint64 setNodes)
{
    const double latticeColumns = std::ceil(double(columns) / HorizonPrecision) + 1;
    const double latticeRows = std::ceil(double(rows) / HorizonPrecision) + 1;
    const double vertices = latticeColumns * latticeRows;
    return ZRObjectHeader::GlobalHeaderSize + 8192.0 + ZRObjectHeader::DefaultReservedSize + vertices * 24.0
           + 2.0 * vertices * 12.0 + double(setNodes) * 24.0;
}

/// Imports one survey of a horizon: data record `data` of the horizon's
/// subset; `index` is its place in the list (0 writes to the first target).
SurveyOutcome importSurvey(const ZRExchangeContext& context, ZRReportedItem& reported, RunState& run,
                           HorizonState& horizon, const gdiHorizonData_t& data, int index)
{
    const QString& display = horizon.displayName;
    QJsonObject entry;
    entry.insert(QStringLiteral("surveyId"), data.surveyId);
    const auto finish = [&](SurveyOutcome outcome, const QString& action) {
        entry.insert(QStringLiteral("action"), action);
        entry.insert(QStringLiteral("outcome"), outcomeText(outcome, action));
        horizon.targets.append(entry);
        switch (outcome) {
        case SurveyOutcome::Written:
            ++horizon.surveysWritten;
            break;
        case SurveyOutcome::Planned:
            ++horizon.surveysPlanned;
            break;
        case SurveyOutcome::Failed:
            ++horizon.surveysFailed;
            break;
        case SurveyOutcome::Skipped:
            ++horizon.surveysSkipped;
            break;
        case SurveyOutcome::Cancelled:
            horizon.cancelled = true;
            break;
        }
        return outcome;
    };

    // 1. The survey record.
    gdi3dSurvey_t survey{};
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    survey.id = data.surveyId;
    int status = gdiRead(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Could not find survey for horizon %1 during horizon import: %2")
                                 .arg(display, owErrorText(status)));
        return finish(SurveyOutcome::Failed, horizon.first.action);
    }
    const QByteArray surveyName(survey.name, int(strnlen(survey.name, sizeof survey.name)));
    const QString surveyText = QString::fromLocal8Bit(surveyName);
    entry.insert(QStringLiteral("survey"), surveyText);

    ZRHostFileTarget target = index == 0 ? horizon.first : furtherTarget(context, reported, horizon, surveyText);
    if (!target.path.isEmpty())
        entry.insert(QStringLiteral("path"), QDir::toNativeSeparators(target.path));
    if (target.isSkipped())
        return finish(SurveyOutcome::Skipped, target.action);

    // 2. Its 3D project.
    HorizonSurveyScope scope;
    status = 0;
    int projectType = ThreeDProject;
    const int nameLength = surveyName.size();
    prjin2_(&status, &projectType, surveyName.constData(), &nameLength);
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to open 3D project during export of horizon data for horizon %1: %2")
                                 .arg(display, prjin2ErrorText(status)));
        return finish(SurveyOutcome::Failed, target.action);
    }
    scope.projectStarted();

    // 3. Its line and trace ranges, the horizon subsystem.
    int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0;
    status = 0;
    srvbnd_(&projectType, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
    if (status == 0) {
        const float nullValue = OpenWorksNullValue;
        int handle = 0;
        hrzopn_(&status, surveyName.constData(), &firstLine, &lastLine, &firstTrace, &lastTrace, &nullValue, &handle);
    }
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to connect to Openworks horizon subsystem during import of horizon: %1")
                                 .arg(display));
        return finish(SurveyOutcome::Failed, target.action);
    }
    scope.subsystemOpened();

    // 4, 5. The domain; the depth factor at the run's first DEPTH horizon.
    const QString domain = owText(data.domain);
    const bool isTime = domain == QLatin1String("TIME");
    const bool isDepth = domain == QLatin1String("DEPTH");
    entry.insert(QStringLiteral("domain"), domain);
    if (isDepth) {
        if (!ensureDepthFactor(reported, run, display))
            return finish(SurveyOutcome::Failed, target.action);
        if (!horizon.depthUnitRecorded) {
            horizon.depthUnitRecorded = true;
            if (ZRTransferReport::Item* item = reported.item())
                item->units.append(ZRTransferReport::unitEntry(
                    QStringLiteral("depth"), run.owDepthUnit, georef::openWorksUnitName(run.owDepthUnit),
                    georef::OpenWorksMetre, georef::openWorksUnitName(georef::OpenWorksMetre), run.depthFactor,
                    UnitTable::unitName(Meter)));
        }
    }

    // 6. The grid geometry: the survey corners and the map positions in metres.
    std::array<double, 8> factors{};
    std::array<int, 8> cornerUnits{};
    status = georef::surveyCornerFactorsToMetres(&factors, &cornerUnits);
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to convert the corners of survey %1 during import of horizon %2: %3")
                                 .arg(surveyText, display, owErrorText(status)));
        return finish(SurveyOutcome::Failed, target.action);
    }
    georef::SurveyGeometry geometry = georef::surveyGeometryFromRecord(survey);
    georef::scaleSurveyCorners(geometry, factors);
    const georef::BlocSpace bloc = georef::blocSpaceFromSurvey(geometry, 1, 0.0, 1.0, isTime);
    const double xFactor = factors[0];
    const double yFactor = factors[1];
    if (ZRTransferReport::Item* item = reported.item()) {
        for (int axis = 0; axis < 2; ++axis)
            item->units.append(ZRTransferReport::unitEntry(
                    axis == 0 ? QStringLiteral("mapX (%1)").arg(surveyText) : QStringLiteral("mapY (%1)").arg(surveyText),
                    cornerUnits[std::size_t(axis)], georef::openWorksUnitName(cornerUnits[std::size_t(axis)]),
                    georef::OpenWorksMetre, georef::openWorksUnitName(georef::OpenWorksMetre),
                factors[std::size_t(axis)], UnitTable::unitName(Meter)));
        QJsonObject surveyGeometry;
        surveyGeometry.insert(QStringLiteral("survey"), surveyText);
        surveyGeometry.insert(QStringLiteral("surveyId"), data.surveyId);
        surveyGeometry.insert(QStringLiteral("lines"), QJsonArray{firstLine, lastLine});
        surveyGeometry.insert(QStringLiteral("traces"), QJsonArray{firstTrace, lastTrace});
        surveyGeometry.insert(QStringLiteral("blocSpace"), ZRTransferReport::blocSpaceEntry(bloc));
        horizon.geometries.append(surveyGeometry);
    }

    // 7. The grid.
    const int columns = lastTrace - firstTrace + 1;
    const int rows = lastLine - firstLine + 1;
    std::vector<float>& buffer = run.readBuffer;
    try {
        buffer.assign(std::size_t(std::max(0, columns)) * std::size_t(std::max(0, rows)), 0.0f);
    } catch (const std::bad_alloc&) {
        buffer.clear();
    }
    status = 3;
    if (!buffer.empty()) {
        const int gridId = data.gridId;
        const int mode = ReadMode;
        const int rowLength = columns;
        status = 0;
        hrzrw_(&gridId, &mode, &status, &firstLine, &lastLine, &firstTrace, &lastTrace, buffer.data(), &rowLength);
    }
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to read horizon data from OpenWorks® during import of horizon: %1, (%2)")
                                 .arg(display, hrzrwErrorText(status)));
        return finish(SurveyOutcome::Failed, target.action);
    }

    // 8. The nodes, line by line, into the horizon.
    ZR3DHorizon& result = run.horizon;
    if (!context.dryRun)
        result.beginPoints(bloc, HorizonPrecision);
    const float minimum = float(data.dataMin);
    const float maximum = float(data.dataMax);
    const double depthFactor = run.depthFactor;
    std::vector<core::vec3> linePoints(static_cast<std::size_t>(std::max(0, columns)));
    qint64 nullNodes = 0;
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    std::set<int> positionFailures;
    bool cancelled = false;
    {
        ZRProgressBarGuard bar(lastLine - firstLine, horizon.name, run.progressId, true);
        const int one = 1;
        const float first = float(firstTrace);
        const float last = float(lastTrace);
        std::size_t k = 0;
        for (int line = firstLine; line <= lastLine; ++line) {
            if (bar.isCancelled()) {
                cancelled = true;
                break;
            }
            double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
            int firstStatus = 0;
            int lastStatus = 0;
            const float lineNumber = float(line);
            if (!context.dryRun) {
                intorw_(&one, &lineNumber, &first, &x0, &y0, &firstStatus);
                x1 = x0;
                y1 = y0;
                if (columns > 1)
                    intorw_(&one, &lineNumber, &last, &x1, &y1, &lastStatus);
                for (int code : {firstStatus, lastStatus})
                    if (code != 0)
                        positionFailures.insert(code);
            }
            const double step = columns > 1 ? 1.0 / double(columns - 1) : 0.0;
            for (int column = 0; column < columns; ++column, ++k) {
                float value = buffer[k];
                if (!(value >= minimum && value <= maximum))
                    value = MissingValue;
                if (isDepth && value != MissingValue)
                    value = float(double(value) * depthFactor);
                if (value == MissingValue) {
                    ++nullNodes;
                } else {
                    low = std::min(low, double(value));
                    high = std::max(high, double(value));
                }
                const double fraction = double(column) * step;
                linePoints[std::size_t(column)] =
                    core::vec3((x0 + (x1 - x0) * fraction) * xFactor, double(value), (y0 + (y1 - y0) * fraction) * yFactor);
            }
            // A line without map positions places nothing: its nodes stay null.
            if (!context.dryRun && firstStatus == 0 && lastStatus == 0)
                result.addPoints(linePoints.data(), linePoints.size());
            bar.increment(1);
        }
    }
    for (int code : positionFailures)
        reported.sendMessage(eDrawError, QStringLiteral("Error during call to intorw_ : %1").arg(code));

    const qint64 nodes = qint64(columns) * qint64(rows);
    entry.insert(QStringLiteral("nodes"), double(nodes));
    entry.insert(QStringLiteral("nullNodes"), double(nullNodes));
    horizon.nodes += double(nodes);
    horizon.nullNodes += double(nullNodes);
    if (low <= high) {
        horizon.minimum = std::min(horizon.minimum, low);
        horizon.maximum = std::max(horizon.maximum, high);
    }

    // 9. A cancelled horizon bar drops this survey's data.
    if (cancelled)
        return finish(SurveyOutcome::Cancelled, target.action);

    const QString folder = QFileInfo(target.path).absolutePath();
    const double estimate = estimatedFileBytes(columns, rows, nodes - nullNodes);
    entry.insert(QStringLiteral("estimatedBytes"), estimate);
    const QStorageInfo storage(QFileInfo(folder).exists() ? folder : run.folder);
    if (storage.isValid() && double(storage.bytesAvailable()) < estimate)
        reported.recordMessage(QStringLiteral("%1 may not fit: about %2 bytes are needed, %3 are free.")
                                   .arg(QDir::toNativeSeparators(target.path))
                                   .arg(estimate, 0, 'f', 0)
                                   .arg(double(storage.bytesAvailable()), 0, 'f', 0));
    if (context.dryRun)
        return finish(SurveyOutcome::Planned, target.action);

    // 10. The horizon file, under its temporary name until it is complete.
    result.finishPoints();
    result.setCrs(run.crs);
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    if (folder == QFileInfo(run.folder).absoluteFilePath())
        ZRTemporaryHostFile::removeStale(target.path, run.staleFiles);
    else
        ZRTemporaryHostFile::removeStale(target.path);
    ZRTemporaryHostFile file(target.path);
    if (!ZRObjectHeader::writeObjectHeader(file.path(), QList<const ZRObjectSerialization*>{&result},
                                           ZRObjectHeader::DefaultReservedSize)) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to create horizon file: %1").arg(QDir::toNativeSeparators(target.path)));
        return finish(SurveyOutcome::Failed, target.action);
    }
    if (!result.write(file.path())) {
        reported.recordMessage(QStringLiteral("The horizon file %1 could not be written.")
                                   .arg(QDir::toNativeSeparators(target.path)));
        return finish(SurveyOutcome::Failed, target.action);
    }
    QString reason;
    if (!file.commit(&reason)) {
        reported.sendMessage(eDrawFileError, QStringLiteral("Error when renaming %1 to %2: %3")
                                                 .arg(file.path(), target.path, reason));
        return finish(SurveyOutcome::Failed, target.action);
    }
    if (ZRTransferReport::Item* item = reported.item()) {
        QJsonObject written = ZRTransferReport::fileEntry(target.path);
        written.insert(QStringLiteral("survey"), surveyText);
        written.insert(QStringLiteral("nodes"), double(nodes));
        written.insert(QStringLiteral("nullNodes"), double(nullNodes));
        written.insert(QStringLiteral("controlPoints"), result.controlPointCount());
        item->files.append(written);
    }
    return finish(SurveyOutcome::Written, target.action);
}

/// Imports one horizon; true when it counts as imported.
bool importOne(const ZRExchangeContext& context, const HorizonImportRequest& request, RunState& run,
               const ZRProgressBarGuard& progress)
{
    ZRReportedItem reported(context, reportItemOf(context, request));
    const QString& display = request.displayName;

    // 1. The catalogue record.
    gdiHorizonCatalog_t catalog{};
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = request.horizonId;
    owSetText(catalog.attribute, request.attribute.toLocal8Bit());
    int status = gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to read horizon attribute catalog while importing horizon %1: %2")
                                 .arg(display, owErrorText(status)));
        return false;
    }

    // 2. Its data records, one per survey.
    OwRecordList<gdiHorizonData_t> data(GDI_CLASS_HORIZON_DATA, OwRecordList<gdiHorizonData_t>::Release::ReleaseList);
    status = data.readSubset(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status == GDI_NO_DATA || (status == 0 && data.count() == 0)) {
        reported.showMessage(Kind::Information, QStringLiteral("Warning"),
                             QStringLiteral("No horizon data found for horizon %1. Skipping import.").arg(display));
        reported.setOutcome(ZRTransferReport::Skipped);
        return false;
    }
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Error occurred during import of horizon data for horizon %1: %2")
                                 .arg(display, owErrorText(status)));
        return false;
    }

    // 3. The first survey's target.
    HorizonState horizon;
    horizon.name = QString::fromUtf8(catalog.name, int(strnlen(catalog.name, sizeof catalog.name)));
    horizon.displayName = display;
    if (ZRTransferReport::Item* item = reported.item()) {
        item->source.insert(QStringLiteral("name"), horizon.name);
        QJsonArray surveys;
        for (int s = 0; s < data.count(); ++s)
            surveys.append(data[s].surveyId);
        item->source.insert(QStringLiteral("surveyIds"), surveys);
    }
    QString error;
    const QString path = hostChildPath(run.folder, horizon.name, &error);
    if (path.isEmpty()) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to import horizon %1: %2").arg(display, error));
        return false;
    }
    horizon.first = resolveHostFileTarget(context, path, &error);
    if (!error.isEmpty())
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to import horizon %1: %2").arg(display, error));
    reported.setAction(horizon.first.action);
    reported.setTarget(QStringLiteral("path"), QDir::toNativeSeparators(horizon.first.path));
    if (horizon.first.isSkipped()) {
        reported.setOutcome(ZRTransferReport::Skipped);
        return false;
    }
    if (horizon.first.action == ZRTransferReport::Overwrite)
        removeForOverwrite(context, reported, horizon.first.path);

    // 4. Each survey.
    for (int s = 0; s < data.count(); ++s) {
        if (progress.isCancelled())
            break;
        importSurvey(context, reported, run, horizon, data[s], s);
    }
    // 5. The list goes back; the horizon counts unless the run was cancelled.
    const int surveys = data.count();
    data.reset();
    const bool runCancelled = progress.isCancelled();

    if (ZRTransferReport::Item* item = reported.item()) {
        item->target.insert(QStringLiteral("files"), horizon.targets);
        item->geometry.insert(QStringLiteral("surveys"), horizon.geometries);
        item->counts.insert(QStringLiteral("surveys"), surveys);
        item->counts.insert(QStringLiteral("nodes"), horizon.nodes);
        item->counts.insert(QStringLiteral("nullNodes"), horizon.nullNodes);
        item->counts.insert(QStringLiteral("filesWritten"), horizon.surveysWritten);
        item->counts.insert(QStringLiteral("failedSurveys"), horizon.surveysFailed);
        if (horizon.minimum <= horizon.maximum) {
            item->valueRange.insert(QStringLiteral("min"), horizon.minimum);
            item->valueRange.insert(QStringLiteral("max"), horizon.maximum);
        }
    }
    QString outcome;
    if (horizon.cancelled || runCancelled)
        outcome = ZRTransferReport::Cancelled;
    else if (context.dryRun)
        outcome = horizon.surveysPlanned > 0 ? ZRTransferReport::Planned : ZRTransferReport::Failed;
    else if (horizon.surveysWritten > 0)
        outcome = outcomeText(SurveyOutcome::Written, horizon.first.action);
    else if (horizon.surveysFailed == 0 && horizon.surveysSkipped > 0)
        outcome = ZRTransferReport::Skipped;
    else
        outcome = ZRTransferReport::Failed;
    reported.setOutcome(outcome);
    return !runCancelled;
}

} // namespace

QVector<HorizonImportRequest> horizonImportRequestsFromRows(const QAbstractItemModel& horizonModel,
                                                            const QVector<int>& rows)
{
    QVector<HorizonImportRequest> requests;
    for (int row : uniqueRows(rows)) {
        if (row < 0 || row >= horizonModel.rowCount())
            continue;
        const auto value = [&](int column) { return horizonModel.index(row, column).data(); };
        HorizonImportRequest request;
        request.horizonId = qint32(value(ZROpenworksHorizonModel::HorizonIdColumn).toInt());
        request.attribute = value(ZROpenworksHorizonModel::HiddenAttributeColumn).toString();
        request.displayName = value(ZROpenworksHorizonModel::HorizonNameColumn).toString();
        requests.append(request);
    }
    return requests;
}

int importHorizons(const ZRExchangeContext& context, const QVector<HorizonImportRequest>& requests)
{
    if (requests.isEmpty())
        return 0;
    RunState run;
    run.folder = context.project ? context.project->directoryForType(ZRProject::HorizonType) : QString();
    if (!context.dryRun)
        run.staleFiles = ZRTemporaryHostFile::staleFiles(run.folder);
    int imported = 0;
    {
        ZRProgressBarGuard progress(requests.size(), QStringLiteral("Importing horizons from OpenWorks® to Velostrat"),
                                    context.progressParentId, true);
        run.progressId = progress.id();
        for (const HorizonImportRequest& request : requests) {
            if (progress.isCancelled())
                break;
            if (importOne(context, request, run, progress))
                ++imported;
            progress.increment(1);
        }
        if (imported != requests.size() && !context.dryRun && context.ui)
            context.ui->showMessage(Kind::Information, context.windowTitle,
                                    QStringLiteral("%1 of %2 horizons imported.").arg(imported).arg(requests.size()));
    }
    if (context.hostFolderChanged && !context.dryRun)
        context.hostFolderChanged(ZRProject::HorizonType);
    return imported;
}

QString hrzrwErrorText(int status)
{
    switch (status) {
    case -1: return QStringLiteral("2D only read or write error");
    case 0: return QStringLiteral("Success");
    case 1: return QStringLiteral("Invalid identifier");
    case 2: return QStringLiteral("Horizon subsystem not open");
    case 3: return QStringLiteral("Read or write error");
    case 4: return QStringLiteral("Region not entirely in bounds");
    case 5: return QStringLiteral("Unable to create Horizon object");
    default: return QStringLiteral("Unknown error occurred (hrzrw_ - %1)").arg(status);
    }
}

QString horizonSurveyFileName(const QString& firstFileName, const QString& survey)
{
    return firstFileName + QStringLiteral(" (") + survey + QLatin1Char(')');
}
