// ZRTransferVerifier: the items of horizon and fault imports and exports.

#include "zrtransferverifier.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owsurveygeometry.h"
#include "zr3dhorizon.h"
#include "zrfaultapifunctions.h"
#include "zrfaultexport.h"
#include "zrfaultpointunits.h"
#include "zrtransferreport.h"

#include <QFileInfo>
#include <QJsonArray>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

constexpr float OpenWorksNullValue = 1.0e37f;
constexpr double SeparatorValue = -9999.0;

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

/// Equal to a float's precision after a unit conversion there and back.
bool closeFloats(float a, float b)
{
    return a == b || std::fabs(double(a) - double(b)) <= 1e-6 * std::max(1.0, std::max(std::fabs(double(a)), std::fabs(double(b))));
}

/// A survey's 3D project and horizon subsystem opened for reading, closed
/// again on every path (a declared unit of horizon values ends with hrzcls_,
/// or is set back to the project's when the subsystem never opened).
class HorizonReadScope
{
public:
    ~HorizonReadScope()
    {
        if (m_subsystemOpen) {
            int status = 0;
            hrzcls_(&status);
        } else if (m_unitType > 0 && m_projectUnit > 0) {
            gdiSetMeasSystemUnitIdForType(m_unitType, m_projectUnit);
        }
        if (m_projectStarted) {
            const int projectType = 3;
            const int zero = 0;
            prjend_(&projectType, &zero);
        }
    }

    /// Declares the unit of horizon values for the reads.
    bool declareUnit(int unitType, int unit)
    {
        int projectUnit = 0;
        if (gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, unitType, &projectUnit) != 0)
            return false;
        if (gdiSetMeasSystemUnitIdForType(unitType, unit) != 0)
            return false;
        m_unitType = unitType;
        m_projectUnit = projectUnit;
        return true;
    }

    /// prjin2_, srvbnd_ and hrzopn_ (missing nodes read as 1.0e37); the status of the first that fails.
    int open(const QString& survey)
    {
        const QByteArray name = survey.toLocal8Bit();
        int status = 0;
        int projectType = 3;
        const int length = name.size();
        prjin2_(&status, &projectType, name.constData(), &length);
        if (status != 0)
            return status;
        m_projectStarted = true;
        srvbnd_(&projectType, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
        if (status != 0)
            return status;
        const float nullValue = OpenWorksNullValue;
        int handle = 0;
        hrzopn_(&status, name.constData(), &firstLine, &lastLine, &firstTrace, &lastTrace, &nullValue, &handle);
        if (status != 0)
            return status;
        m_subsystemOpen = true;
        return 0;
    }

    /// The whole grid of a horizon in the survey (hrzrw_); the status.
    int read(int gridId, std::vector<float>* values) const
    {
        const int columns = lastTrace - firstTrace + 1;
        values->assign(std::size_t(std::max(0, columns)) * std::size_t(std::max(0, lastLine - firstLine + 1)), 0.0f);
        const int mode = 1;
        int status = 0;
        hrzrw_(&gridId, &mode, &status, &firstLine, &lastLine, &firstTrace, &lastTrace, values->data(), &columns);
        return status;
    }

    int columns() const { return lastTrace - firstTrace + 1; }

    int firstLine = 0;
    int lastLine = 0;
    int firstTrace = 0;
    int lastTrace = 0;

private:
    bool m_projectStarted = false;
    bool m_subsystemOpen = false;
    int m_unitType = 0;
    int m_projectUnit = 0;
};

/// The points of a fault plane's segments (x, y, vertical), in list order.
int readSegments(const gdiFaultPlane_t& plane, std::vector<std::vector<std::array<double, 3>>>* segments,
                 std::vector<int>* surveyIds)
{
    segments->clear();
    OwRecordList<gdiFaultSegment_t> list(GDI_CLASS_FAULT_SEGMENT, OwRecordList<gdiFaultSegment_t>::Release::ReleaseList);
    const int status = list.readSubset(GDI_CLASS_FAULT_PLANE, &plane);
    if (status == GDI_NO_DATA)
        return 0;
    if (status != 0)
        return status;
    for (int s = 0; s < list.count(); ++s) {
        gdiFaultSegment_t& segment = list[s];
        const int read = gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &segment);
        if (read != 0)
            return read;
        std::vector<std::array<double, 3>> points;
        const int count = segment.points ? std::max(0, segment.pointCount) : 0;
        for (int p = 0; p < count; ++p)
            points.push_back({segment.points[3 * p], segment.points[3 * p + 1], segment.points[3 * p + 2]});
        segments->push_back(points);
        if (surveyIds)
            surveyIds->push_back(segment.surveyId);
        gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
    }
    return 0;
}

QString pointText(double x, double y, double z)
{
    return QStringLiteral("(%1, %2, %3)").arg(x, 0, 'g', 17).arg(y, 0, 'g', 17).arg(z, 0, 'g', 17);
}

} // namespace

bool ZRTransferVerifier::verifyHorizonImportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    checkFiles(item);

    double depthFactor = 1.0;
    for (const QJsonValue& value : item.value(QStringLiteral("units")).toArray())
        if (value.toObject().value(QStringLiteral("quantity")).toString() == QLatin1String("depth"))
            depthFactor = value.toObject().value(QStringLiteral("factor")).toDouble();

    gdiHorizonCatalog_t catalog;
    std::memset(&catalog, 0, sizeof catalog);
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = qint32(source.value(QStringLiteral("horizonId")).toDouble());
    owSetText(catalog.attribute, source.value(QStringLiteral("attribute")).toString().toLocal8Bit());
    int status = gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0) {
        differ(QStringLiteral("the source horizon cannot be read: %1").arg(owErrorText(status)));
        endItem();
        return false;
    }
    OwRecordList<gdiHorizonData_t> data(GDI_CLASS_HORIZON_DATA, OwRecordList<gdiHorizonData_t>::Release::ReleaseList);
    status = data.readSubset(GDI_CLASS_HORIZON_CATALOG, &catalog);
    if (status != 0) {
        differ(QStringLiteral("the source horizon's data records cannot be read: %1").arg(owErrorText(status)));
        endItem();
        return false;
    }
    std::array<double, 8> factors{};
    status = georef::surveyCornerFactorsToMetres(&factors);
    if (status != 0) {
        differ(QStringLiteral("the survey corner units cannot be read: %1").arg(owErrorText(status)));
        endItem();
        return false;
    }

    const QJsonArray files = item.value(QStringLiteral("files")).toArray();
    if (files.isEmpty())
        m_notes.append(QStringLiteral("%1: no horizon file was written").arg(m_item));
    for (const QJsonValue& value : files) {
        const QJsonObject file = value.toObject();
        const QString path = file.value(QStringLiteral("path")).toString();
        const QString surveyName = file.value(QStringLiteral("survey")).toString();
        const gdiHorizonData_t* record = nullptr;
        for (int s = 0; s < data.count(); ++s)
            if (owText(data[s].surveyName) == surveyName)
                record = &data[s];
        if (!record) {
            differ(QStringLiteral("the source horizon has no data in survey %1").arg(surveyName));
            continue;
        }
        ZR3DHorizon horizon;
        if (!horizon.load(path)) {
            differ(QStringLiteral("the horizon file %1 cannot be read").arg(path));
            continue;
        }
        HorizonReadScope scope;
        status = scope.open(surveyName);
        std::vector<float> grid;
        if (status == 0)
            status = scope.read(record->gridId, &grid);
        if (status != 0) {
            differ(QStringLiteral("the grid of survey %1 cannot be read (status %2)").arg(surveyName).arg(status));
            continue;
        }
        const bool isDepth = owText(record->domain) == QLatin1String("DEPTH");
        const float minimum = float(record->dataMin);
        const float maximum = float(record->dataMax);
        const georef::Matrix4 toGrid = horizon.geometry().fromWorldToBlocMatrix();
        qint64 nodes = 0;
        qint64 nullNodes = 0;
        const int one = 1;
        for (int line = scope.firstLine; line <= scope.lastLine; ++line) {
            for (int trace = scope.firstTrace; trace <= scope.lastTrace; ++trace) {
                ++nodes;
                float expected =
                    grid[std::size_t(line - scope.firstLine) * std::size_t(scope.columns()) + std::size_t(trace - scope.firstTrace)];
                if (!(expected >= minimum && expected <= maximum))
                    expected = ZR3DHorizon::NullValue;
                else if (isDepth)
                    expected = float(double(expected) * depthFactor);
                if (expected == ZR3DHorizon::NullValue)
                    ++nullNodes;
                const float lineNumber = float(line);
                const float traceNumber = float(trace);
                double x = 0.0, y = 0.0;
                status = 0;
                intorw_(&one, &lineNumber, &traceNumber, &x, &y, &status);
                if (status != 0) {
                    differ(QStringLiteral("intorw_ gives no map position for line %1, trace %2 of %3")
                               .arg(line).arg(trace).arg(surveyName));
                    continue;
                }
                x *= factors[0];
                y *= factors[1];
                const core::vec3 at = toGrid.map(core::vec3(x, 0.0, y));
                const double i = std::round(at.x);
                const double j = std::round(at.z);
                if (!(i >= 0 && i < horizon.width() && j >= 0 && j < horizon.height())) {
                    differ(QStringLiteral("line %1, trace %2 of %3 lies outside the horizon file's grid")
                               .arg(line).arg(trace).arg(surveyName));
                    continue;
                }
                const core::vec3 node = horizon.worldPoint(int(i), int(j));
                const double tolerance = 1e-3 + 1e-9 * std::max(std::fabs(x), std::fabs(y));
                if (std::fabs(node.x - x) > tolerance || std::fabs(node.z - y) > tolerance)
                    differ(QStringLiteral("line %1, trace %2 of %3 lies at (%4, %5) in the file, at (%6, %7) in OpenWorks")
                               .arg(line).arg(trace).arg(surveyName)
                               .arg(node.x, 0, 'f', 3).arg(node.z, 0, 'f', 3).arg(x, 0, 'f', 3).arg(y, 0, 'f', 3));
                const float actual = horizon.valueGrid().value(int(i), int(j));
                const bool actualNull = ZR3DHorizon::isNull(actual);
                if ((expected == ZR3DHorizon::NullValue) != actualNull
                    || (!actualNull && !sameBits(actual, expected)))
                    differ(QStringLiteral("line %1, trace %2 of %3: %4 in the file, %5 expected from OpenWorks")
                               .arg(line).arg(trace).arg(surveyName)
                               .arg(double(actual), 0, 'g', 9)
                               .arg(double(expected), 0, 'g', 9));
            }
        }
        if (file.contains(QStringLiteral("nodes")) && qint64(file.value(QStringLiteral("nodes")).toDouble()) != nodes)
            differ(QStringLiteral("the report counts %1 nodes in %2, OpenWorks has %3")
                       .arg(file.value(QStringLiteral("nodes")).toDouble(), 0, 'f', 0).arg(surveyName).arg(nodes));
        if (file.contains(QStringLiteral("nullNodes"))
            && qint64(file.value(QStringLiteral("nullNodes")).toDouble()) != nullNodes)
            differ(QStringLiteral("the report counts %1 null nodes in %2, OpenWorks has %3")
                       .arg(file.value(QStringLiteral("nullNodes")).toDouble(), 0, 'f', 0).arg(surveyName).arg(nullNodes));
    }
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}

bool ZRTransferVerifier::verifyFaultImportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    checkFiles(item);
    const QString path = item.value(QStringLiteral("target")).toObject().value(QStringLiteral("path")).toString();

    gdiFaultPlane_t plane;
    std::memset(&plane, 0, sizeof plane);
    gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
    plane.id = qint32(source.value(QStringLiteral("faultPlaneId")).toDouble());
    owSetText(plane.name, source.value(QStringLiteral("name")).toString().toLocal8Bit());
    int status = gdiRead(GDI_CLASS_FAULT_PLANE, &plane);
    std::vector<std::vector<std::array<double, 3>>> segments;
    if (status == 0)
        status = readSegments(plane, &segments, nullptr);
    if (status != 0) {
        differ(QStringLiteral("the source fault cannot be read: %1").arg(owErrorText(status)));
        endItem();
        return false;
    }
    const std::unique_ptr<core::MultiArray<core::vec3>> sticks = ZRFaultApiFunctions::readFaultStickPolyLine(path, false);
    if (!sticks) {
        differ(QStringLiteral("the fault-stick file %1 cannot be read").arg(path));
        endItem();
        return false;
    }
    const double failed = item.value(QStringLiteral("counts")).toObject().value(QStringLiteral("failedSegments")).toDouble();
    if (failed > 0)
        m_notes.append(QStringLiteral("%1: the import left out %2 segments that could not be read; the file is "
                                      "compared with every segment")
                           .arg(m_item)
                           .arg(failed, 0, 'f', 0));
    // The import brings the points to metres and milliseconds with the project's factors.
    ZRFaultPointUnits units;
    QString unitError;
    if (!units.resolve(&unitError)) {
        differ(unitError);
        endItem();
        return false;
    }
    const double verticalFactor = units.vertical(owText(plane.domain) == QLatin1String("TIME"));
    std::vector<core::vec3> expected;
    for (const auto& segment : segments) {
        for (const auto& point : segment)
            expected.emplace_back(point[0] * units.xy, point[2] * verticalFactor, point[1] * units.xy);
        expected.emplace_back(SeparatorValue, SeparatorValue, SeparatorValue);
    }
    if (sticks->arrayCount() != 1) {
        differ(QStringLiteral("the file holds %1 stick arrays, not 1").arg(sticks->arrayCount()));
    } else {
        const std::vector<core::vec3>& actual = sticks->array(0);
        if (actual.size() != expected.size())
            differ(QStringLiteral("the file holds %1 points (separators included), OpenWorks gives %2")
                       .arg(actual.size())
                       .arg(expected.size()));
        for (std::size_t p = 0; p < std::min(actual.size(), expected.size()); ++p)
            if (std::memcmp(&actual[p], &expected[p], sizeof(core::vec3)) != 0)
                differ(QStringLiteral("point %1: %2 in the file, %3 in OpenWorks")
                           .arg(p)
                           .arg(pointText(actual[p].x, actual[p].y, actual[p].z),
                                pointText(expected[p].x, expected[p].y, expected[p].z)));
    }
    const bool planeIsTime = owText(plane.domain) == QLatin1String("TIME");
    if (ZRFaultApiFunctions::isFaultStickDomainInTime(path, false) != planeIsTime)
        differ(QStringLiteral("the file's domain is not the fault plane's (%1)").arg(owText(plane.domain)));
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}

bool ZRTransferVerifier::verifyHorizonExportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    const QJsonObject target = item.value(QStringLiteral("target")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    const QString path = source.value(QStringLiteral("path")).toString();
    const qint32 horizonId = qint32(target.value(QStringLiteral("horizonId")).toDouble());

    gdiHorizonCatalog_t catalog;
    std::memset(&catalog, 0, sizeof catalog);
    gdiInitiateObject(GDI_CLASS_HORIZON_CATALOG, 1, &catalog);
    catalog.id = horizonId;
    const int readStatus = horizonId > 0 ? gdiRead(GDI_CLASS_HORIZON_CATALOG, &catalog) : GDI_NO_DATA;
    if (item.value(QStringLiteral("outcome")).toString() == ZRTransferReport::Cancelled) {
        if (readStatus == 0)
            differ(QStringLiteral("the cancelled horizon %1 is still in OpenWorks").arg(horizonId));
        const bool equal = m_itemDifferences == before;
        endItem();
        return equal;
    }
    if (readStatus != 0) {
        differ(QStringLiteral("the exported horizon %1 cannot be read: %2").arg(horizonId).arg(owErrorText(readStatus)));
        endItem();
        return false;
    }
    if (ZRTransferReport::sha256OfFile(path) != source.value(QStringLiteral("sha256")).toString()
        && source.contains(QStringLiteral("sha256")))
        differ(QStringLiteral("the source file %1 changed after the transfer").arg(path));
    if (owText(catalog.name) != target.value(QStringLiteral("name")).toString())
        differ(QStringLiteral("the horizon is named %1, not %2").arg(owText(catalog.name), target.value(QStringLiteral("name")).toString()));
    if (owText(catalog.domain) != target.value(QStringLiteral("domain")).toString())
        differ(QStringLiteral("the horizon's domain is %1, not %2").arg(owText(catalog.domain), target.value(QStringLiteral("domain")).toString()));

    ZR3DHorizon horizon;
    if (!horizon.load(path)) {
        differ(QStringLiteral("the horizon file %1 cannot be read").arg(path));
        endItem();
        return false;
    }
    std::array<double, 8> factors{};
    int status = georef::surveyCornerFactorsToMetres(&factors);
    const QString surveyName = target.value(QStringLiteral("survey")).toString();
    const bool isTime = target.value(QStringLiteral("domain")).toString() == QLatin1String("TIME");
    HorizonReadScope scope;
    if (status == 0 && !scope.declareUnit(isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH,
                                          target.value(QStringLiteral("valueUnitId")).toInt()))
        status = -1;
    if (status == 0)
        status = scope.open(surveyName);
    std::vector<float> grid;
    if (status == 0)
        status = scope.read(horizonId, &grid);
    if (status != 0) {
        differ(QStringLiteral("the horizon's grid in survey %1 cannot be read (status %2)").arg(surveyName).arg(status));
        endItem();
        return false;
    }

    // The grid the world points make, each located with rwtoin_ on its own.
    std::vector<float> expected(grid.size(), OpenWorksNullValue);
    const int option = 1;
    for (const core::vec3& point : horizon.worldPoints(1, 1)) {
        const double x = point.x / factors[0];
        const double y = point.z / factors[1];
        double line = 0.0, trace = 0.0;
        status = 0;
        rwtoin_(&option, &x, &y, &line, &trace, &status);
        if (status != 0) {
            differ(QStringLiteral("rwtoin_ gives no line and trace for (%1, %2)").arg(x, 0, 'f', 3).arg(y, 0, 'f', 3));
            continue;
        }
        const double l = std::round(line);
        const double t = std::round(trace);
        if (l < scope.firstLine || l > scope.lastLine || t < scope.firstTrace || t > scope.lastTrace)
            continue;
        expected[std::size_t(int(l) - scope.firstLine) * std::size_t(scope.columns()) + std::size_t(int(t) - scope.firstTrace)] =
            float(point.y);
    }
    qint64 written = 0;
    for (std::size_t n = 0; n < grid.size(); ++n) {
        const int line = scope.firstLine + int(n / std::size_t(scope.columns()));
        const int trace = scope.firstTrace + int(n % std::size_t(scope.columns()));
        const bool missing = grid[n] == OpenWorksNullValue;
        written += missing ? 0 : 1;
        if (missing != (expected[n] == OpenWorksNullValue) || (!missing && !closeFloats(grid[n], expected[n])))
            differ(QStringLiteral("line %1, trace %2: %3 in OpenWorks, %4 from the host horizon")
                       .arg(line).arg(trace)
                       .arg(missing ? QStringLiteral("missing") : QString::number(double(grid[n]), 'g', 9))
                       .arg(expected[n] == OpenWorksNullValue ? QStringLiteral("missing")
                                                              : QString::number(double(expected[n]), 'g', 9)));
    }
    const QJsonObject counts = item.value(QStringLiteral("counts")).toObject();
    if (counts.contains(QStringLiteral("nodesWritten"))
        && qint64(counts.value(QStringLiteral("nodesWritten")).toDouble()) != written)
        differ(QStringLiteral("the report counts %1 nodes written, OpenWorks holds %2")
                   .arg(counts.value(QStringLiteral("nodesWritten")).toDouble(), 0, 'f', 0)
                   .arg(written));
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}

bool ZRTransferVerifier::verifyFaultExportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    const QJsonObject target = item.value(QStringLiteral("target")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    const QString path = source.value(QStringLiteral("path")).toString();
    const QJsonArray faults = target.value(QStringLiteral("faults")).toArray();
    const bool cancelled = item.value(QStringLiteral("outcome")).toString() == ZRTransferReport::Cancelled;
    const auto readPlane = [](const QJsonObject& fault, gdiFaultPlane_t* plane) {
        std::memset(plane, 0, sizeof *plane);
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, plane);
        plane->id = qint32(fault.value(QStringLiteral("faultPlaneId")).toDouble());
        owSetText(plane->name, fault.value(QStringLiteral("name")).toString().toLocal8Bit());
        return plane->id > 0 ? gdiRead(GDI_CLASS_FAULT_PLANE, plane) : GDI_NO_DATA;
    };
    if (cancelled) {
        for (const QJsonValue& value : faults) {
            gdiFaultPlane_t plane;
            if (value.toObject().contains(QStringLiteral("faultPlaneId")) && readPlane(value.toObject(), &plane) == 0)
                differ(QStringLiteral("the fault plane %1 of a cancelled export is still in OpenWorks").arg(plane.id));
        }
        const bool equal = m_itemDifferences == before;
        endItem();
        return equal;
    }
    if (source.contains(QStringLiteral("sha256"))
        && ZRTransferReport::sha256OfFile(path) != source.value(QStringLiteral("sha256")).toString())
        differ(QStringLiteral("the source file %1 changed after the transfer").arg(path));
    const std::unique_ptr<core::MultiArray<core::vec3>> content = ZRFaultApiFunctions::readFaultStickPolyLine(path, false);
    if (!content) {
        differ(QStringLiteral("the fault-stick file %1 cannot be read").arg(path));
        endItem();
        return false;
    }
    if (content->arrayCount() != faults.size())
        differ(QStringLiteral("the file holds %1 stick arrays, the report %2 faults").arg(content->arrayCount()).arg(faults.size()));
    const QString domain = target.value(QStringLiteral("domain")).toString();
    const qint32 surveyId = qint32(target.value(QStringLiteral("surveyId")).toDouble());
    // The export brings the points from metres and milliseconds to the project's units.
    ZRFaultPointUnits units;
    QString unitError;
    if (!units.resolve(&unitError)) {
        differ(unitError);
        endItem();
        return false;
    }
    const double verticalFactor = units.vertical(domain == QLatin1String("TIME"));
    for (int i = 0; i < std::min(content->arrayCount(), int(faults.size())); ++i) {
        const QJsonObject fault = faults[i].toObject();
        const QString name = fault.value(QStringLiteral("name")).toString();
        if (fault.contains(QStringLiteral("failed"))) {
            m_notes.append(QStringLiteral("%1: %2 was not exported (its %3 could not be added)")
                               .arg(m_item, name, fault.value(QStringLiteral("failed")).toString()));
            continue;
        }
        gdiFault_t faultRecord;
        std::memset(&faultRecord, 0, sizeof faultRecord);
        gdiInitiateObject(GDI_CLASS_FAULT, 1, &faultRecord);
        faultRecord.id = qint32(fault.value(QStringLiteral("faultId")).toDouble());
        if (gdiRead(GDI_CLASS_FAULT, &faultRecord) != 0 || owText(faultRecord.name) != name)
            differ(QStringLiteral("the fault %1 (id %2) is not in OpenWorks").arg(name).arg(faultRecord.id));
        gdiFaultPlane_t plane;
        int status = readPlane(fault, &plane);
        std::vector<std::vector<std::array<double, 3>>> segments;
        std::vector<int> surveyIds;
        if (status == 0)
            status = readSegments(plane, &segments, &surveyIds);
        if (status != 0) {
            differ(QStringLiteral("the fault plane %1 cannot be read: %2").arg(name, owErrorText(status)));
            continue;
        }
        if (owText(plane.domain) != domain)
            differ(QStringLiteral("the fault plane %1 has the domain %2, not %3").arg(name, owText(plane.domain), domain));
        const std::vector<std::vector<core::vec3>> sticks = splitSticks(content->array(i));
        if (sticks.size() != segments.size())
            differ(QStringLiteral("%1 has %2 segments in OpenWorks, %3 sticks in the file")
                       .arg(name).arg(segments.size()).arg(sticks.size()));
        for (std::size_t s = 0; s < std::min(sticks.size(), segments.size()); ++s) {
            if (surveyIds[s] != surveyId)
                differ(QStringLiteral("segment %1 of %2 is in survey %3, not %4").arg(s).arg(name).arg(surveyIds[s]).arg(surveyId));
            if (sticks[s].size() != segments[s].size()) {
                differ(QStringLiteral("segment %1 of %2 has %3 points, the stick %4")
                           .arg(s).arg(name).arg(segments[s].size()).arg(sticks[s].size()));
                continue;
            }
            for (std::size_t p = 0; p < sticks[s].size(); ++p) {
                const core::vec3& host = sticks[s][p];
                const std::array<double, 3> expected{host.x / units.xy, host.z / units.xy, host.y / verticalFactor};
                if (std::memcmp(expected.data(), segments[s][p].data(), sizeof expected) != 0)
                    differ(QStringLiteral("segment %1 of %2, point %3: %4 in OpenWorks, %5 from the file")
                               .arg(s).arg(name).arg(p)
                               .arg(pointText(segments[s][p][0], segments[s][p][1], segments[s][p][2]),
                                    pointText(expected[0], expected[1], expected[2])));
            }
        }
    }
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}
