#include "zrfaultexport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owunitresolution.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrfaultapifunctions.h"
#include "zrfaultpointunits.h"
#include "zropenworksfaultmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrtransferreport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{

using Kind = ZRExchangeUi::MessageKind;

constexpr double SeparatorValue = -9999.0;
constexpr int FaultsCategory = 5;
const QString kError = QStringLiteral("Error");

/// The survey record's transform doubles a segment takes, in segment order:
/// offsets 128, 136, 144, 152, 176, 184, 160, 168 of the survey record.
constexpr int SegmentTransformOrder[8] = {0, 1, 2, 3, 6, 7, 4, 5};
static_assert(offsetof(gdi3dSurvey_t, transform) == 128, "the survey's transform doubles start at 128");
static_assert(offsetof(gdiFaultSegment_t, surveyTransform) == 48, "the segment's transform doubles start at 48");

bool isSeparator(const core::vec3& point)
{
    return point.x == SeparatorValue && point.y == SeparatorValue && point.z == SeparatorValue;
}

/// Ends the file's transaction on every path: rolled back unless committed.
class FaultTransaction
{
public:
    FaultTransaction() = default;
    ~FaultTransaction()
    {
        if (m_open)
            gdiRollback();
    }
    FaultTransaction(const FaultTransaction&) = delete;
    FaultTransaction& operator=(const FaultTransaction&) = delete;

    void opened() { m_open = true; }
    int commit()
    {
        const int status = gdiCommit();
        if (status == 0)
            m_open = false;
        return status;
    }
    void rollback()
    {
        gdiRollback();
        m_open = false;
    }

private:
    bool m_open = false;
};

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const QString& path,
                                    const ExportSurveyTarget& survey)
{
    ZRTransferReport::Item item;
    item.sourceSystem = QStringLiteral("Velostrat");
    item.objectClass = QStringLiteral("fault");
    item.sourceName = exportBaseName(path);
    item.source.insert(QStringLiteral("path"), QDir::toNativeSeparators(path));
    if (context.report) {
        const QJsonObject file = ZRTransferReport::fileEntry(path);
        item.source.insert(QStringLiteral("bytes"), file.value(QStringLiteral("bytes")));
        item.source.insert(QStringLiteral("sha256"), file.value(QStringLiteral("sha256")));
    }
    if (context.project)
        item.source.insert(QStringLiteral("hostProject"), QDir::toNativeSeparators(context.project->projectPath()));
    item.target.insert(QStringLiteral("district"), ZROpenworksSession::systemDistrict());
    if (context.session)
        item.target.insert(QStringLiteral("project"), context.session->projectName());
    item.target.insert(QStringLiteral("survey"), survey.name);
    if (survey.record)
        item.target.insert(QStringLiteral("surveyId"), survey.record->id);
    item.target.insert(QStringLiteral("association"), survey.reportEntry());
    item.action = ZRTransferReport::Create;
    item.outcome = ZRTransferReport::Failed;
    return item;
}

} // namespace

QModelIndexList faultExportCandidates(const QModelIndexList& items)
{
    return hostFileCandidates(items, ZRProject::FaultType, false);
}

std::vector<std::vector<core::vec3>> splitSticks(const std::vector<core::vec3>& array)
{
    std::vector<std::vector<core::vec3>> sticks(1);
    for (const core::vec3& point : array) {
        if (isSeparator(point))
            sticks.emplace_back();
        else
            sticks.back().push_back(point);
    }
    sticks.erase(std::remove_if(sticks.begin(), sticks.end(), [](const std::vector<core::vec3>& stick) {
                     return stick.empty();
                 }),
                 sticks.end());
    return sticks;
}

int exportFaults(const ZRExchangeContext& context, const QModelIndexList& items)
{
    const QModelIndexList candidates = faultExportCandidates(items);
    if (candidates.isEmpty() || !context.ui)
        return 0;
    QList<SurveyAssociation> associations;
    if (!context.ui->askSurveyAssociations(1, candidates, associations))
        return 0;
    std::vector<ExportListEntry> list;
    if (!resolveExportSurveys(context, SurveyExportKind::Faults, associations, &list))
        return 0;
    int exported = 0;
    {
        ZRProgressBarGuard bar(int(list.size()), QStringLiteral("Exporting faults from Velostrat to OpenWorks®"),
                               context.progressParentId, true);
        for (const ExportListEntry& entry : list) {
            exportFault(context, entry.path, entry.survey, bar.id());
            if (bar.isCancelled())
                break;
            ++exported;
            bar.increment(1);
        }
    }
    if (exported != int(list.size()) && !context.dryRun)
        context.ui->showMessage(Kind::Information, context.windowTitle,
                                QStringLiteral("%1 of %2 faults exported.").arg(exported).arg(list.size()));
    // The list's survey records go back (gdiFree) with the list.
    return exported;
}

FaultExportOutcome exportFault(const ZRExchangeContext& context, const QString& path, const ExportSurveyTarget& survey,
                               int parentProgressId)
{
    ZRReportedItem reported(context, reportItemOf(context, path, survey));
    const QString baseName = exportBaseName(path);

    // 1. The stick arrays, the domain.
    const std::unique_ptr<core::MultiArray<core::vec3>> content =
        ZRFaultApiFunctions::readFaultStickPolyLine(path, false);
    if (!content) {
        reported.recordMessage(QStringLiteral("The faults library cannot read %1: nothing was exported.")
                                   .arg(QDir::toNativeSeparators(path)));
        return FaultExportOutcome::Unreadable;
    }
    const QString domain =
        ZRFaultApiFunctions::isFaultStickDomainInTime(path, false) ? QStringLiteral("TIME") : QStringLiteral("DEPTH");
    const QByteArray domainBytes = domain.toLocal8Bit();
    if (ZRTransferReport::Item* item = reported.item()) {
        item->source.insert(QStringLiteral("domain"), domain);
        item->source.insert(QStringLiteral("arrays"), content->arrayCount());
        item->target.insert(QStringLiteral("domain"), domain);
    }

    // 2. An empty file.
    const int arrays = content->arrayCount();
    if (arrays == 0) {
        reported.showMessage(Kind::Warning, context.windowTitle,
                             QStringLiteral("Unable to export %1. Fault is empty.").arg(baseName));
        reported.setOutcome(ZRTransferReport::Skipped);
        return FaultExportOutcome::Empty;
    }

    // The host keeps the points in metres and milliseconds; OpenWorks takes
    // them in the project's units.
    const bool isTime = domain == QLatin1String("TIME");
    ZRFaultPointUnits units;
    QString unitError;
    if (!units.resolve(&unitError)) {
        reported.showMessage(Kind::Critical, QStringLiteral("Unit Error"), unitError);
        return FaultExportOutcome::Failed;
    }
    if (ZRTransferReport::Item* item = reported.item()) {
        item->units.append(ZRTransferReport::unitEntry(
            QStringLiteral("map x, y"), OW_UNIT_METERS, georef::openWorksUnitName(OW_UNIT_METERS), units.xyUnit,
            georef::openWorksUnitName(units.xyUnit), 1.0 / units.xy));
        const int hostVertical = isTime ? OW_UNIT_MILLISECONDS : OW_UNIT_METERS;
        item->units.append(ZRTransferReport::unitEntry(
            isTime ? QStringLiteral("vertical time") : QStringLiteral("vertical depth"), hostVertical,
            georef::openWorksUnitName(hostVertical), units.verticalUnit(isTime),
            georef::openWorksUnitName(units.verticalUnit(isTime)), 1.0 / units.vertical(isTime)));
    }
    const double verticalFactor = units.vertical(isTime);

    // 3. One transaction for the file.
    FaultTransaction transaction;
    if (!context.dryRun) {
        const int status = gdiCommit();
        if (status != 0) {
            gdiRollback();
            reported.showMessage(Kind::Information, kError,
                                 QStringLiteral("An error occurred during export of %1: %2")
                                     .arg(baseName, owErrorText(status)));
            return FaultExportOutcome::Failed;
        }
    }
    gdiClassInfo_t classInfo;
    gdiGetClassInfo(GDI_CLASS_FAULT, &classInfo);
    gdiGetClassInfo(GDI_CLASS_FAULT_PLANE, &classInfo);

    const gdi3dSurvey_t* surveyRecord = survey.record.get();
    std::vector<gdiFaultPlane_t> created;
    QJsonArray faults;
    int sticksFound = 0;
    int segmentsWritten = 0;
    int failedSegments = 0;
    int failedFaults = 0;
    double points = 0;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::lowest();
    bool cancelled = false;
    {
        ZRProgressBarGuard bar(arrays, baseName, parentProgressId, true);
        for (int i = 0; i < arrays; ++i) {
            if (bar.isCancelled()) {
                cancelled = true;
                break;
            }
            const QString name = arrays > 1 ? baseName + QStringLiteral("_%1").arg(i + 1) : baseName;
            const QByteArray nameBytes = name.toLocal8Bit();
            const std::vector<std::vector<core::vec3>> sticks = splitSticks(content->array(i));
            sticksFound += int(sticks.size());
            QJsonObject fault;
            fault.insert(QStringLiteral("name"), name);
            fault.insert(QStringLiteral("sticks"), int(sticks.size()));

            // 4.1. The fault.
            gdiFault_t faultRecord;
            std::memset(&faultRecord, 0, sizeof faultRecord);
            int status = gdiInitiateObject(GDI_CLASS_FAULT, 1, &faultRecord);
            owSetText(faultRecord.name, nameBytes);
            if (status == 0 && !context.dryRun) {
                transaction.opened();
                status = gdiAdd(GDI_CLASS_FAULT, &faultRecord);
            }
            if (status != 0) {
                ++failedFaults;
                reported.showMessage(Kind::Information, kError,
                                     QStringLiteral("Error occurred during export of %1: %2.").arg(name, owErrorText(status)));
                fault.insert(QStringLiteral("failed"), QStringLiteral("fault"));
                faults.append(fault);
                continue;
            }
            if (!context.dryRun)
                fault.insert(QStringLiteral("faultId"), faultRecord.id);

            // 4.2. The fault plane.
            gdiFaultPlane_t plane;
            std::memset(&plane, 0, sizeof plane);
            status = gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
            plane.id = 0;
            owSetText(plane.name, nameBytes);
            owSetText(plane.interpreter, QByteArrayLiteral("LGC"));
            owSetText(plane.domain, domainBytes);
            owSetText(plane.active, QByteArrayLiteral("Y"));
            if (status == 0 && !context.dryRun)
                status = gdiAdd(GDI_CLASS_FAULT_PLANE, &plane);
            if (status != 0) {
                ++failedFaults;
                reported.showMessage(Kind::Information, kError,
                                     QStringLiteral("Error occurred during export of %1: %2.").arg(name, owErrorText(status)));
                fault.insert(QStringLiteral("failed"), QStringLiteral("fault plane"));
                faults.append(fault);
                continue;
            }
            if (!context.dryRun)
                fault.insert(QStringLiteral("faultPlaneId"), plane.id);

            // 4.3, 4.4. One segment per stick, points as (x, y, vertical).
            QJsonArray segmentIds;
            std::vector<double> xyz;
            for (const std::vector<core::vec3>& stick : sticks) {
                xyz.clear();
                xyz.reserve(stick.size() * 3);
                for (const core::vec3& point : stick) {
                    xyz.push_back(point.x / units.xy);
                    xyz.push_back(point.z / units.xy);
                    xyz.push_back(point.y / verticalFactor);
                    minimum = std::min(minimum, point.y);
                    maximum = std::max(maximum, point.y);
                }
                gdiFaultSegment_t segment;
                std::memset(&segment, 0, sizeof segment);
                status = gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
                segment.planeId = plane.id;
                segment.surveyId = surveyRecord ? surveyRecord->id : 0;
                if (surveyRecord)
                    for (int k = 0; k < 8; ++k)
                        segment.surveyTransform[k] = surveyRecord->transform[SegmentTransformOrder[k]];
                owSetText(segment.domain, domainBytes);
                segment.pointCount = int(stick.size());
                segment.points = xyz.data();
                if (status == 0 && !context.dryRun)
                    status = gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment);
                segment.points = nullptr;
                if (status != 0) {
                    ++failedSegments;
                    reported.showMessage(Kind::Information, kError,
                                         QStringLiteral("An error occurred during export of %1: %2")
                                             .arg(name, owErrorText(status)));
                    continue;
                }
                ++segmentsWritten;
                points += double(stick.size());
                segmentIds.append(segment.id);
            }
            fault.insert(QStringLiteral("segments"), segmentIds.size());
            if (!context.dryRun)
                fault.insert(QStringLiteral("segmentIds"), segmentIds);
            faults.append(fault);

            // 4.5. The plane for the catalogue.
            created.push_back(plane);
            bar.increment(1);
        }
        cancelled = cancelled || bar.isCancelled();
    }
    if (ZRTransferReport::Item* item = reported.item()) {
        item->target.insert(QStringLiteral("faults"), faults);
        item->counts.insert(QStringLiteral("arrays"), arrays);
        item->counts.insert(QStringLiteral("sticks"), sticksFound);
        item->counts.insert(QStringLiteral("segmentsWritten"), segmentsWritten);
        item->counts.insert(QStringLiteral("segmentsNotWritten"), failedSegments);
        item->counts.insert(QStringLiteral("faultsNotWritten"), failedFaults);
        item->counts.insert(QStringLiteral("points"), points);
        if (minimum <= maximum) {
            item->valueRange.insert(QStringLiteral("min"), minimum);
            item->valueRange.insert(QStringLiteral("max"), maximum);
        }
    }

    // 5. Rolled back after a cancel, else committed.
    if (cancelled) {
        if (!context.dryRun)
            transaction.rollback();
        reported.recordMessage(QStringLiteral("Cancelled: every fault of %1 was rolled back.").arg(baseName));
        reported.setOutcome(ZRTransferReport::Cancelled);
        return FaultExportOutcome::Cancelled;
    }
    if (context.dryRun) {
        reported.setOutcome(ZRTransferReport::Planned);
        return FaultExportOutcome::Planned;
    }
    const int status = transaction.commit();
    if (status != 0) {
        transaction.rollback();
        reported.showMessage(Kind::Information, kError,
                             QStringLiteral("An error occurred during export of %1: %2").arg(baseName, owErrorText(status)));
        return FaultExportOutcome::Failed;
    }
    reported.setOutcome(ZRTransferReport::Exported);
    if (context.faultModel && context.currentCategory == FaultsCategory)
        for (const gdiFaultPlane_t& plane : created)
            context.faultModel->appendFaultPlane(plane);
    return FaultExportOutcome::Exported;
}
