#include "zrhorizonexport.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owsurveygeometry.h"
#include "owunitresolution.h"
#include "unittable.h"
#include "zr3dhorizon.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrhorizonplacement.h"
#include "zropenworkshorizonmodel.h"
#include "zropenworkssession.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <future>
#include <limits>
#include <memory>
#include <system_error>

namespace
{

using Kind = ZRExchangeUi::MessageKind;

constexpr int ThreeDProject = 3;
constexpr int WriteMode = 0;
constexpr int HorizonsCategory = 6;
const QString kError = QStringLiteral("Error");

/// Everything one horizon export opens or starts in the DevKit, given back on
/// every path: an open transaction is rolled back (unless committed), the
/// horizon subsystem closed (hrzcls_, which also ends the declared unit of
/// horizon values; when it was never opened the declared unit is set back to
/// the project's), the survey's 3D project ended (prjend_).
class HorizonExportScope
{
public:
    HorizonExportScope() = default;
    ~HorizonExportScope()
    {
        if (m_writing)
            gdiRollback();
        if (m_subsystemOpen) {
            int status = 0;
            hrzcls_(&status);
        } else if (m_unitDeclared && m_projectUnit > 0) {
            gdiSetMeasSystemUnitIdForType(m_unitType, m_projectUnit);
        }
        if (m_projectStarted) {
            const int projectType = ThreeDProject;
            const int zero = 0;
            prjend_(&projectType, &zero);
        }
    }
    HorizonExportScope(const HorizonExportScope&) = delete;
    HorizonExportScope& operator=(const HorizonExportScope&) = delete;

    void unitDeclared(int unitType, int projectUnit)
    {
        m_unitDeclared = true;
        m_unitType = unitType;
        m_projectUnit = projectUnit;
    }
    void projectStarted() { m_projectStarted = true; }
    void subsystemOpened() { m_subsystemOpen = true; }
    /// From the first write on, leaving without commit() rolls back.
    void writesStarted() { m_writing = true; }
    /// Rolls the open transaction back now.
    void rollback()
    {
        if (m_writing)
            gdiRollback();
        m_writing = false;
    }
    void committed() { m_writing = false; }

private:
    bool m_unitDeclared = false;
    int m_unitType = 0;
    int m_projectUnit = 0;
    bool m_projectStarted = false;
    bool m_subsystemOpen = false;
    bool m_writing = false;
};

/// file: the source's fileEntry (path, bytes, sha256) when the run has a report.
ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const QString& path,
                                    const ExportSurveyTarget& survey, const QJsonObject& file)
{
    ZRTransferReport::Item item;
    item.sourceSystem = QStringLiteral("Velostrat");
    item.objectClass = QStringLiteral("horizon");
    item.sourceName = exportBaseName(path);
    item.source.insert(QStringLiteral("path"), QDir::toNativeSeparators(path));
    if (context.report) {
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

/// The survey map of a survey still to be made from a volume ("TRACE"
/// orientation; corners in metres): fractional line and trace of a position.
ZRHorizonPlacement::SurveyPosition plannedSurveyMap(const VolumeSurveyGeometry& geometry)
{
    const double* c = geometry.corners;
    const double traceSpan = geometry.lastTrace - geometry.firstTrace;
    const double lineSpan = geometry.lastLine - geometry.firstLine;
    const double traceStepX = traceSpan != 0.0 ? (c[6] - c[0]) / traceSpan : 0.0;
    const double traceStepY = traceSpan != 0.0 ? (c[7] - c[1]) / traceSpan : 0.0;
    const double lineStepX = lineSpan != 0.0 ? (c[2] - c[0]) / lineSpan : 0.0;
    const double lineStepY = lineSpan != 0.0 ? (c[3] - c[1]) / lineSpan : 0.0;
    const double determinant = traceStepX * lineStepY - traceStepY * lineStepX;
    const double originX = c[0];
    const double originY = c[1];
    const double firstLine = geometry.firstLine;
    const double firstTrace = geometry.firstTrace;
    return [=](double x, double y, double* line, double* trace, int* status) {
        if (!std::isfinite(determinant) || determinant == 0.0) {
            *status = 2;
            return false;
        }
        const double dx = x - originX;
        const double dy = y - originY;
        *trace = firstTrace + (dx * lineStepY - dy * lineStepX) / determinant;
        *line = firstLine + (traceStepX * dy - traceStepY * dx) / determinant;
        return true;
    };
}

/// What one unit of map x and map y of the survey is in metres (fields 20, 21).
int mapFactors(ZRTransferReport::Item* item, const QString& survey, double* metresPerX, double* metresPerY)
{
    std::array<double, 8> factors{};
    std::array<int, 8> units{};
    const int status = georef::surveyCornerFactorsToMetres(&factors, &units);
    if (status != 0)
        return status;
    *metresPerX = factors[0];
    *metresPerY = factors[1];
    if (item)
        for (int axis = 0; axis < 2; ++axis)
            item->units.append(ZRTransferReport::unitEntry(
                axis == 0 ? QStringLiteral("mapX (%1)").arg(survey) : QStringLiteral("mapY (%1)").arg(survey),
                georef::OpenWorksMetre, georef::openWorksUnitName(georef::OpenWorksMetre), units[std::size_t(axis)],
                georef::openWorksUnitName(units[std::size_t(axis)]), 1.0 / factors[std::size_t(axis)],
                UnitTable::unitName(Meter)));
    return 0;
}

/// A host horizon file loaded (on any thread: no DevKit or progress call).
struct LoadedHorizon
{
    std::unique_ptr<ZR3DHorizon> horizon = std::make_unique<ZR3DHorizon>();
    bool loaded = false;
    qint64 points = 0; ///< non-null nodes
    QJsonObject file;  ///< path, bytes and SHA-256 of the file, for a run report
};

LoadedHorizon loadHorizon(const QString& path, bool withChecksum)
{
    LoadedHorizon result;
    if (withChecksum)
        result.file = ZRTransferReport::fileEntry(path);
    result.loaded = result.horizon->load(path);
    if (result.loaded)
        result.points = ZRHorizonPlacement::pointCount(*result.horizon);
    return result;
}

/// The horizon files of an export list loaded one ahead: the next file is
/// read on a worker thread while the current horizon is written through the
/// DevKit (on the calling thread). Two horizons are held at most.
class HorizonReadAhead
{
public:
    /// withChecksum: the files' SHA-256 is taken too (for a run report).
    HorizonReadAhead(const std::vector<ExportListEntry>& list, bool withChecksum)
        : m_list(list)
        , m_withChecksum(withChecksum)
    {
    }
    ~HorizonReadAhead()
    {
        if (m_pending.valid())
            m_pending.wait();
    }
    HorizonReadAhead(const HorizonReadAhead&) = delete;
    HorizonReadAhead& operator=(const HorizonReadAhead&) = delete;

    /// Entry k's horizon (after entry k - 1's); starts reading entry k + 1.
    LoadedHorizon take(std::size_t k)
    {
        LoadedHorizon result = m_pending.valid() && m_pendingIndex == k ? m_pending.get()
                                                                        : loadHorizon(m_list[k].path, m_withChecksum);
        if (k + 1 < m_list.size()) {
            const QString path = m_list[k + 1].path;
            const bool withChecksum = m_withChecksum;
            try {
                m_pending = std::async(std::launch::async,
                                       [path, withChecksum] { return loadHorizon(path, withChecksum); });
                m_pendingIndex = k + 1;
            } catch (const std::system_error&) {
                // No thread to spare: the next file is read when it is asked for.
            }
        }
        return result;
    }

private:
    const std::vector<ExportListEntry>& m_list;
    bool m_withChecksum;
    std::future<LoadedHorizon> m_pending;
    std::size_t m_pendingIndex = 0;
};

HorizonExportOutcome exportLoadedHorizon(const ZRExchangeContext& context, const QString& path,
                                         const ExportSurveyTarget& survey, int parentProgressId,
                                         LoadedHorizon loaded);

/// What one unit is in another, as the DevKit converts (0 when it cannot).
double conversionFactor(int fromUnit, int toUnit)
{
    double value = 1.0;
    const int one = 1;
    int status = 0;
    untConvert(fromUnit, toUnit, &one, &value, &status);
    return status == 0 ? value : 0.0;
}

} // namespace

QModelIndexList horizonExportCandidates(const QModelIndexList& items)
{
    return hostFileCandidates(items, ZRProject::HorizonType, true);
}

int exportHorizons(const ZRExchangeContext& context, const QModelIndexList& items)
{
    const QModelIndexList candidates = horizonExportCandidates(items);
    if (candidates.isEmpty() || !context.ui)
        return 0;
    QList<SurveyAssociation> associations;
    if (!context.ui->askSurveyAssociations(0, candidates, associations))
        return 0;
    std::vector<ExportListEntry> list;
    if (!resolveExportSurveys(context, SurveyExportKind::Horizons, associations, &list))
        return 0;
    int exported = 0;
    {
        ZRProgressBarGuard bar(int(list.size()), QStringLiteral("Exporting horizons from Velostrat to OpenWorks®"),
                               context.progressParentId, true);
        HorizonReadAhead files(list, context.report != nullptr);
        for (std::size_t k = 0; k < list.size(); ++k) {
            exportLoadedHorizon(context, list[k].path, list[k].survey, bar.id(), files.take(k));
            if (bar.isCancelled())
                break;
            ++exported;
            bar.increment(1);
        }
    }
    if (exported != int(list.size()) && !context.dryRun)
        context.ui->showMessage(Kind::Information, context.windowTitle,
                                QStringLiteral("%1 of %2 horizons exported.").arg(exported).arg(list.size()));
    return exported;
}

HorizonExportOutcome exportHorizon(const ZRExchangeContext& context, const QString& path,
                                   const ExportSurveyTarget& survey, int parentProgressId)
{
    return exportLoadedHorizon(context, path, survey, parentProgressId, loadHorizon(path, context.report != nullptr));
}

namespace
{

/// exportHorizon with the file loaded already (loadHorizon).
HorizonExportOutcome exportLoadedHorizon(const ZRExchangeContext& context, const QString& path,
                                         const ExportSurveyTarget& survey, int parentProgressId,
                                         LoadedHorizon loaded)
{
    ZRReportedItem reported(context, reportItemOf(context, path, survey, loaded.file));
    const QString name = exportBaseName(path);
    const auto box = [&](const QString& title, const QString& text) {
        reported.showMessage(Kind::Information, title, text);
        return HorizonExportOutcome::Failed;
    };

    // 1. The host horizon (read by the caller, possibly ahead on a worker thread).
    const ZR3DHorizon& horizon = *loaded.horizon;
    const qint64 points = loaded.points;
    {
        ZRProgressBarGuard loading(3, QStringLiteral("Horizon Loading"), parentProgressId, false);
        loading.increment(2);
        if (!loaded.loaded) {
            reported.sendMessage(eDrawFileError,
                                 QStringLiteral("Unable to load horizon %1 from %2: nothing was exported.")
                                     .arg(name, QDir::toNativeSeparators(path)));
            return HorizonExportOutcome::Failed;
        }
        loading.increment(1);
    }
    const int verticalUnit = horizon.geometry().unitsObject().verticalUnit();
    const bool isTime = UnitTable::isTimeUnit(verticalUnit);
    const QString domain = isTime ? QStringLiteral("TIME") : QStringLiteral("DEPTH");
    const QString attribute = domain + QStringLiteral("_STRUCTURE");
    if (ZRTransferReport::Item* item = reported.item()) {
        item->source.insert(QStringLiteral("domain"), domain);
        item->source.insert(QStringLiteral("verticalUnit"), UnitTable::unitName(verticalUnit));
        item->geometry.insert(QStringLiteral("horizon"), ZRTransferReport::blocSpaceEntry(horizon.geometry()));
        item->target.insert(QStringLiteral("name"), name);
        item->target.insert(QStringLiteral("attribute"), attribute);
        item->target.insert(QStringLiteral("domain"), domain);
        item->counts.insert(QStringLiteral("points"), double(points));
    }

    // 2. The unit of the values, and the survey's map unit.
    const int unitType = isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH;
    const int declaredUnit = isTime ? OW_UNIT_MILLISECONDS : verticalUnit == Foot ? OW_UNIT_FEET : OW_UNIT_METERS;
    reported.setTarget(QStringLiteral("valueUnitId"), declaredUnit);
    HorizonExportScope scope;
    int projectUnit = 0;
    if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, unitType, &projectUnit) != 0)
        projectUnit = 0;
    if (ZRTransferReport::Item* item = reported.item())
        item->units.append(ZRTransferReport::unitEntry(
            QStringLiteral("horizon values"), declaredUnit, georef::openWorksUnitName(declaredUnit), projectUnit,
            georef::openWorksUnitName(projectUnit), projectUnit > 0 ? conversionFactor(declaredUnit, projectUnit) : 0.0,
            UnitTable::unitName(verticalUnit)));
    double metresPerX = 1.0;
    double metresPerY = 1.0;
    if (!survey.isPlanned()) {
        const int status = mapFactors(reported.item(), survey.name, &metresPerX, &metresPerY);
        if (status != 0)
            return box(kError, QStringLiteral("Unable to convert the map positions of survey %1 during export of "
                                              "horizon %2: %3")
                                   .arg(survey.name, name, owErrorText(status)));
    }
    if (!context.dryRun) {
        const int status = gdiSetMeasSystemUnitIdForType(unitType, declaredUnit);
        if (status != 0)
            return box(kError, QStringLiteral("Unable to declare the unit of horizon %1 to OpenWorks®: %2")
                                   .arg(name, owErrorText(status)));
        scope.unitDeclared(unitType, projectUnit);
    }

    // 3, 4. The survey's 3D project, its ranges, the horizon subsystem.
    ZRHorizonPlacement::Range range;
    ZRHorizonPlacement::SurveyPosition position;
    if (survey.isPlanned()) {
        range.firstLine = int(std::lround(std::min(survey.plannedGeometry.firstLine, survey.plannedGeometry.lastLine)));
        range.lastLine = int(std::lround(std::max(survey.plannedGeometry.firstLine, survey.plannedGeometry.lastLine)));
        range.firstTrace =
            int(std::lround(std::min(survey.plannedGeometry.firstTrace, survey.plannedGeometry.lastTrace)));
        range.lastTrace =
            int(std::lround(std::max(survey.plannedGeometry.firstTrace, survey.plannedGeometry.lastTrace)));
        position = plannedSurveyMap(survey.plannedGeometry);
        reported.recordMessage(QStringLiteral("The survey %1 would be made from the volume %2; the placement uses "
                                              "its geometry.")
                                   .arg(survey.name, QDir::toNativeSeparators(survey.association)));
    } else {
        const QByteArray surveyName = survey.name.toLocal8Bit();
        int status = 0;
        int projectType = ThreeDProject;
        const int nameLength = surveyName.size();
        prjin2_(&status, &projectType, surveyName.constData(), &nameLength);
        if (status != 0)
            return box(kError, QStringLiteral("Unable to open 3D project %1 during export of horizon: %2 (%3)")
                                   .arg(survey.name, name, prjin2ErrorText(status)));
        scope.projectStarted();
        srvbnd_(&projectType, &range.firstLine, &range.firstTrace, &range.lastLine, &range.lastTrace, &status);
        if (status == 0) {
            const float nullValue = ZRHorizonPlacement::NullValue;
            int handle = 0;
            hrzopn_(&status, surveyName.constData(), &range.firstLine, &range.lastLine, &range.firstTrace,
                    &range.lastTrace, &nullValue, &handle);
        }
        if (status != 0)
            return box(kError,
                       QStringLiteral("Unable to open horizon subsystem during export of horizon: %1").arg(name));
        scope.subsystemOpened();
        position = [](double x, double y, double* line, double* trace, int* status) {
            const int option = 1;
            *status = 0;
            rwtoin_(&option, &x, &y, line, trace, status);
            return *status == 0;
        };
    }
    if (ZRTransferReport::Item* item = reported.item()) {
        QJsonObject surveyGeometry;
        surveyGeometry.insert(QStringLiteral("survey"), survey.name);
        surveyGeometry.insert(QStringLiteral("lines"), QJsonArray{range.firstLine, range.lastLine});
        surveyGeometry.insert(QStringLiteral("traces"), QJsonArray{range.firstTrace, range.lastTrace});
        item->geometry.insert(QStringLiteral("survey"), surveyGeometry);
    }

    // 5, 6. The new horizon and its header (not in a dry run).
    const QByteArray nameBytes = name.toLocal8Bit();
    const QByteArray attributeBytes = attribute.toLocal8Bit();
    const int headerOption = 2;
    const int headerFlag = 1;
    const char headerBlock[12] = {};
    int horizonId = 0;
    if (!context.dryRun) {
        int status = 0;
        const int option = 1;
        scope.writesStarted();
        hrzcrt_(&option, &horizonId, &status);
        if (status != 0)
            return box(QStringLiteral("Horizon Creation Error"),
                       QStringLiteral("Unable to create horizon file during export of horizon: %1").arg(name));
        reported.setTarget(QStringLiteral("horizonId"), horizonId);
        const float minimum = ZRHorizonPlacement::MinimumPlaceholder;
        const float maximum = ZRHorizonPlacement::MaximumPlaceholder;
        hrzhdr_plus_(&horizonId, &headerOption, nameBytes.constData(), "LGC", attributeBytes.constData(), "UNKNOWN",
                     &headerFlag, &minimum, &maximum, headerBlock, &status);
    }

    // 7, 8. The nodes, placed into the survey's grid.
    ZRHorizonPlacement placement(range);
    if (!placement.allocate())
        return box(kError, QStringLiteral("Unable to allocate the grid of %1 x %2 nodes during export of horizon: %3")
                               .arg(placement.columns())
                               .arg(placement.rows())
                               .arg(name));
    bool cancelled = false;
    {
        const qint64 step = std::max<qint64>(1, qint64(std::floor(double(points) / 100.0)));
        ZRProgressBarGuard converting(int(std::min<qint64>(points, std::numeric_limits<int>::max())),
                                      QStringLiteral("Converting horizon data"), parentProgressId, true);
        cancelled = !placement.place(horizon, metresPerX, metresPerY, position, step, [&](qint64) {
            if (converting.isCancelled())
                return false;
            converting.increment(int(step));
            return true;
        });
        if (!cancelled && converting.isCancelled())
            cancelled = true;
    }
    for (int code : placement.positionFailures())
        reported.sendMessage(eDrawError, QStringLiteral("Error during call to rwtoin_ : %1").arg(code));
    const qint64 nodes = qint64(placement.columns()) * qint64(placement.rows());
    const qint64 nodesSet = placement.nodesSet();
    if (ZRTransferReport::Item* item = reported.item()) {
        item->counts.insert(QStringLiteral("pointsPlaced"), double(placement.pointsPlaced()));
        item->counts.insert(QStringLiteral("pointsOutside"), double(placement.pointsOutside()));
        item->counts.insert(QStringLiteral("pointsWithoutPosition"), double(placement.pointsWithoutPosition()));
        item->counts.insert(QStringLiteral("nodes"), double(nodes));
        item->counts.insert(QStringLiteral("nodesWritten"), double(nodesSet));
        item->counts.insert(QStringLiteral("nullNodes"), double(nodes - nodesSet));
        item->counts.insert(QStringLiteral("positionCalls"), double(placement.positionCalls()));
        if (placement.hasRange()) {
            item->valueRange.insert(QStringLiteral("min"), double(placement.minimum()));
            item->valueRange.insert(QStringLiteral("max"), double(placement.maximum()));
        }
    }

    // 9. A cancelled conversion deletes the new horizon.
    if (cancelled) {
        if (!context.dryRun) {
            int status = 0;
            hrzdel_(&horizonId, &status);
            scope.rollback();
        }
        reported.recordMessage(
            QStringLiteral("Cancelled while converting: the new horizon was deleted and nothing was written."));
        reported.setOutcome(ZRTransferReport::Cancelled);
        return HorizonExportOutcome::Cancelled;
    }
    if (context.dryRun) {
        reported.setOutcome(ZRTransferReport::Planned);
        return HorizonExportOutcome::Planned;
    }

    // 10, 11. The grid, then the header with the data range.
    {
        int status = 0;
        const int mode = WriteMode;
        const int rowLength = placement.columns();
        hrzrw_(&horizonId, &mode, &status, &range.firstLine, &range.lastLine, &range.firstTrace, &range.lastTrace,
               placement.grid().data(), &rowLength);
        if (status != 0) {
            scope.rollback();
            return box(QStringLiteral("Horizon write error"),
                       QStringLiteral("Horizon write error(%1) occurred while writing horizon: %2").arg(status).arg(name));
        }
        const float minimum = placement.minimum();
        const float maximum = placement.maximum();
        hrzhdr_plus_(&horizonId, &headerOption, nameBytes.constData(), "LGC", attributeBytes.constData(), "UNKNOWN",
                     &headerFlag, &minimum, &maximum, headerBlock, &status);
    }
    placement.grid() = std::vector<float>();

    // 12. The catalogue record: its domain, then commit.
    const auto databaseFailure = [&](const QString& text, int status) {
        scope.rollback();
        return box(kError, text.arg(name, owErrorText(status)));
    };
    gdiHorizonCatalog_t catalog;
    std::memset(&catalog, 0, sizeof catalog);
    int status = gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = horizonId;
    if (status == 0)
        status = gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0)
        return databaseFailure(QStringLiteral("Unable to read from the database during the export of horizon %1: %2"),
                               status);
    owSetText(catalog.domain, domain.toLocal8Bit());
    gdiHorizonData_t data;
    std::memset(&data, 0, sizeof data);
    status = gdiInitiateObject(GDI_CLASS_HORIZON_DATA, 1, &data);
    data.gridId = horizonId;
    data.surveyId = survey.surveyId();
    if (status == 0)
        status = gdiRead(GDI_CLASS_HORIZON_DATA, &data);
    if (status != 0)
        return databaseFailure(QStringLiteral("Unable to read from the database during the export of horizon %1: %2"),
                               status);
    status = gdiUpdate(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0)
        return databaseFailure(QStringLiteral("Unable to update the database during the export of horizon %1: %2"),
                               status);
    status = gdiCommit();
    if (status != 0)
        return databaseFailure(
            QStringLiteral("Unable to finish writing to the database during the export of horizon %1: %2"), status);
    scope.committed();
    reported.setTarget(QStringLiteral("horizonDataId"), data.id);
    reported.setOutcome(ZRTransferReport::Exported);

    // 12.6. The new row of the horizon page.
    if (context.horizonModel && context.currentCategory == HorizonsCategory)
        context.horizonModel->appendHorizon(catalog);
    return HorizonExportOutcome::Exported;
}

} // namespace
