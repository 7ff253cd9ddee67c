#include "zrfaultimport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owunitresolution.h"
#include "zrcatalogueselection.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrfaultapifunctions.h"
#include "zrfaultpointunits.h"
#include "zrhostfiletarget.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrtemporaryhostfile.h"
#include "zrtransferreport.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{

using Kind = ZRExchangeUi::MessageKind;

constexpr double SeparatorValue = -9999.0;
const QString kError = QStringLiteral("Error");

/// Vector fields whose access the import enables: (class, field).
constexpr int kVectorAccess[][2] = {{GDI_CLASS_FAULT_TRACE, 28}, {GDI_CLASS_FAULT_TRACE, 29}, {GDI_CLASS_FAULT_SEGMENT, 32}};

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const FaultImportRequest& request)
{
    ZRTransferReport::Item item = openWorksSourceItem(context, QStringLiteral("fault"), GDI_CLASS_FAULT_PLANE,
                                                      request.faultPlaneId, request.displayName);
    item.source.insert(QStringLiteral("faultPlaneId"), request.faultPlaneId);
    if (!request.domain.isEmpty())
        item.source.insert(QStringLiteral("domain"), request.domain);
    return item;
}

QString unitName(int unit)
{
    int status = 0;
    const char* name = untGetUnitName(unit, &status);
    return QString::fromUtf8(name ? name : "");
}

/// What the segments of one fault gave.
struct StickCounts
{
    int segments = 0;
    int failedSegments = 0;
    double points = 0;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::lowest();
};

/// Imports one fault; true when it counts as imported. *written: the library
/// wrote its file.
bool importOne(const ZRExchangeContext& context, const FaultImportRequest& request, const QString& folder,
               const QStringList& staleFiles, const georef::Crs& crs, const ZRFaultPointUnits& units,
               const ZRProgressBarGuard& progress, bool* written)
{
    ZRReportedItem reported(context, reportItemOf(context, request));
    const QString& display = request.displayName;

    // 1. The fault plane record.
    gdiFaultPlane_t plane{};
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = request.faultPlaneId;
    owSetText(plane.name, display.toLocal8Bit());
    int status = gdiRead(GDI_CLASS_FAULT_PLANE, &plane);
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to find fault planes for fault: %1").arg(display));
        return false;
    }

    // 2. The target.
    const QString name = QString::fromUtf8(plane.name, int(strnlen(plane.name, sizeof plane.name)));
    QString error;
    const QString path = hostChildPath(folder, name, &error);
    if (path.isEmpty()) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to import fault %1: %2").arg(display, error));
        return false;
    }
    const ZRHostFileTarget target = resolveHostFileTarget(context, path, &error);
    if (!error.isEmpty())
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Unable to import fault %1: %2").arg(display, error));
    reported.setAction(target.action);
    reported.setTarget(QStringLiteral("path"), QDir::toNativeSeparators(target.path));
    if (target.isSkipped()) {
        reported.setOutcome(ZRTransferReport::Skipped);
        return false;
    }
    if (target.action == ZRTransferReport::Overwrite)
        removeForOverwrite(context, reported, target.path);

    // 3. The domain.
    const QString domain = owText(plane.domain);
    const bool isTime = domain == QLatin1String("TIME");
    if (ZRTransferReport::Item* item = reported.item()) {
        item->source.insert(QStringLiteral("name"), name);
        item->source.insert(QStringLiteral("domain"), domain);
        item->source.insert(QStringLiteral("faultId"), plane.faultId);
        item->target.insert(QStringLiteral("isTime"), isTime);
        // Map positions to metres; depths to metres, times to milliseconds.
        item->units.append(ZRTransferReport::unitEntry(QStringLiteral("map x, y"), units.xyUnit, unitName(units.xyUnit),
                                                       OW_UNIT_METERS, unitName(OW_UNIT_METERS), units.xy));
        const int verticalUnit = isTime ? units.timeUnit : units.depthUnit;
        const int hostVertical = isTime ? OW_UNIT_MILLISECONDS : OW_UNIT_METERS;
        item->units.append(ZRTransferReport::unitEntry(isTime ? QStringLiteral("vertical time") : QStringLiteral("vertical depth"),
                                                       verticalUnit, unitName(verticalUnit), hostVertical,
                                                       unitName(hostVertical), isTime ? units.time : units.depth));
    }
    const double verticalFactor = isTime ? units.time : units.depth;

    // 4. The segments.
    OwRecordList<gdiFaultSegment_t> segments(GDI_CLASS_FAULT_SEGMENT,
                                             OwRecordList<gdiFaultSegment_t>::Release::ReleaseList);
    status = segments.readSubset(GDI_CLASS_FAULT_PLANE, &plane);
    if (status == GDI_NO_DATA) {
        reported.showMessage(Kind::Information, QStringLiteral("Warning"),
                             QStringLiteral("No fault segments could be found for the fault: %1").arg(display));
        reported.setOutcome(ZRTransferReport::Skipped);
        return false;
    }
    if (status != 0) {
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("Error occurred reading planes of fault %1: %2").arg(display, owErrorText(status)));
        return false;
    }

    // 5. One stick array: each segment's points, vertical in the middle, then a separator.
    core::MultiArray<core::vec3> sticks(1);
    std::vector<core::vec3>& points = sticks[0];
    StickCounts counts;
    const core::vec3 separator(SeparatorValue, SeparatorValue, SeparatorValue);
    for (int s = 0; s < segments.count(); ++s) {
        gdiFaultSegment_t& segment = segments[s];
        status = gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &segment);
        if (status != 0) {
            ++counts.failedSegments;
            reported.showMessage(Kind::Information, kError,
                                 QStringLiteral("Unable to read vector for fault segment: %1").arg(owErrorText(status)));
            continue;
        }
        const int count = segment.points ? std::max(0, segment.pointCount) : 0;
        for (int p = 0; p < count; ++p) {
            const double* xyz = segment.points + 3 * std::size_t(p);
            points.emplace_back(xyz[0] * units.xy, xyz[2] * verticalFactor, xyz[1] * units.xy);
            counts.minimum = std::min(counts.minimum, xyz[2]);
            counts.maximum = std::max(counts.maximum, xyz[2]);
        }
        points.push_back(separator);
        counts.points += count;
        ++counts.segments;
        gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
    }
    segments.reset();
    if (ZRTransferReport::Item* item = reported.item()) {
        item->counts.insert(QStringLiteral("segments"), counts.segments + counts.failedSegments);
        item->counts.insert(QStringLiteral("failedSegments"), counts.failedSegments);
        item->counts.insert(QStringLiteral("sticks"), counts.segments);
        item->counts.insert(QStringLiteral("points"), counts.points);
        item->counts.insert(QStringLiteral("arrayPoints"), double(points.size()));
        if (counts.minimum <= counts.maximum) {
            item->valueRange.insert(QStringLiteral("min"), counts.minimum);
            item->valueRange.insert(QStringLiteral("max"), counts.maximum);
        }
    }
    if (context.dryRun) {
        reported.setOutcome(ZRTransferReport::Planned);
        return !progress.isCancelled();
    }

    // 6. The file, under its temporary name until the library has written it.
    const QString targetFolder = QFileInfo(target.path).absolutePath();
    if (!QFileInfo(targetFolder).isDir())
        QDir().mkpath(targetFolder);
    if (targetFolder == QFileInfo(folder).absoluteFilePath())
        ZRTemporaryHostFile::removeStale(target.path, staleFiles);
    else
        ZRTemporaryHostFile::removeStale(target.path);
    ZRTemporaryHostFile file(target.path);
    const QStringList names{display};
    bool fileWritten = ZRFaultApiFunctions::write3DFaultStick(file.path(), names, sticks, isTime, crs);
    if (fileWritten) {
        QString reason;
        if (!file.commit(&reason)) {
            fileWritten = false;
            reported.sendMessage(eDrawFileError,
                                 QStringLiteral("Error when renaming %1 to %2: %3").arg(file.path(), target.path, reason));
        }
    }
    *written = fileWritten;
    if (fileWritten) {
        if (ZRTransferReport::Item* item = reported.item())
            item->files.append(ZRTransferReport::fileEntry(target.path));
        reported.setOutcome(target.action == ZRTransferReport::Overwrite ? ZRTransferReport::Overwritten
                            : target.action == ZRTransferReport::Rename  ? ZRTransferReport::Renamed
                                                                         : ZRTransferReport::Imported);
    } else {
        reported.recordMessage(QStringLiteral("The fault-stick file %1 could not be written.")
                                   .arg(QDir::toNativeSeparators(target.path)));
    }
    return !progress.isCancelled();
}

} // namespace

QVector<FaultImportRequest> faultImportRequestsFromRows(const QAbstractItemModel& faultModel, const QVector<int>& rows)
{
    QVector<FaultImportRequest> requests;
    for (int row : uniqueRows(rows)) {
        if (row < 0 || row >= faultModel.rowCount())
            continue;
        const auto value = [&](int column) { return faultModel.index(row, column).data(); };
        FaultImportRequest request;
        request.faultPlaneId = qint32(value(ZROpenworksFaultModel::FaultPlaneIdColumn).toInt());
        request.displayName = value(ZROpenworksFaultModel::NameColumn).toString();
        request.domain = value(ZROpenworksFaultModel::DomainColumn).toString();
        requests.append(request);
    }
    return requests;
}

int importFaults(const ZRExchangeContext& context, const QVector<FaultImportRequest>& requests)
{
    if (requests.isEmpty())
        return 0;
    const georef::Crs crs;
    for (const auto& access : kVectorAccess) {
        const int status = gdiSetVectorAccess(access[0], access[1], 1);
        if (status != 0) {
            const QString text = QStringLiteral("Unable to enable vector access of class %1, field %2: %3")
                                     .arg(access[0])
                                     .arg(access[1])
                                     .arg(owErrorText(status));
            ZREventBus::sendMessage(eDrawError, text, false);
            if (context.report)
                context.report->addRunMessage(text);
        }
    }
    ZRFaultPointUnits units;
    if (!units.resolve(context))
        return 0;
    const QString folder = context.project ? context.project->directoryForType(ZRProject::FaultType) : QString();
    const QStringList staleFiles = context.dryRun ? QStringList() : ZRTemporaryHostFile::staleFiles(folder);
    int imported = 0;
    bool written = false;
    {
        ZRProgressBarGuard progress(requests.size(), QStringLiteral("Importing faults from OpenWorks® to Velostrat"),
                                    context.progressParentId, true);
        for (const FaultImportRequest& request : requests) {
            if (progress.isCancelled())
                break;
            bool fileWritten = false;
            if (importOne(context, request, folder, staleFiles, crs, units, progress, &fileWritten))
                ++imported;
            written = written || fileWritten;
            progress.increment(1);
        }
        if (imported != requests.size() && !context.dryRun && context.ui)
            context.ui->showMessage(Kind::Information, context.windowTitle,
                                    QStringLiteral("%1 of %2 faults imported.").arg(imported).arg(requests.size()));
    }
    if (written && context.hostFolderChanged && !context.dryRun)
        context.hostFolderChanged(ZRProject::FaultType);
    return imported;
}
