#include "zrtransferverifier.h"

#include "owdevkit.h"
#include "owguards.h"
#include "owseismicguards.h"
#include "owunitresolution.h"
#include "zrseismicbloc.h"
#include "zrtransferreport.h"

#include <QFileInfo>
#include <QSet>
#include <QJsonArray>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

constexpr float MissingValue = -9999.0f;

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

/// The grid coordinate (1-based) of an annotation number on one survey axis:
/// counted from the first number in steps of (last - first) / (count - 1).
/// -1 when the number is not on the axis.
int gridIndex(double number, double first, double last, int count, double increment)
{
    double step = count > 1 ? (last - first) / double(count - 1) : increment;
    if (step == 0.0)
        step = 1.0;
    const double position = (number - first) / step;
    const double rounded = std::round(position);
    if (std::abs(position - rounded) > 1e-6 || rounded < 0.0 || (count > 0 && rounded > count - 1))
        return -1;
    return int(rounded) + 1;
}

/// What one unit of field `field` of class 574 is in metres (0 when the DevKit cannot say).
double metresPerUnitOfSurveyField(int field)
{
    int unit = 0;
    if (gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, field, &unit) != 0)
        return 0.0;
    return georef::openWorksConversionFactor(unit, OW_UNIT_METERS);
}

} // namespace

ZRTransferVerifier::ZRTransferVerifier(const ZRExchangeContext& context)
    : m_context(context)
{
}

void ZRTransferVerifier::beginItem(const QString& name)
{
    m_item = name;
    m_itemDifferences = 0;
}

void ZRTransferVerifier::endItem()
{
    if (m_itemDifferences > MaximumListedPerItem)
        m_differences.append(QStringLiteral("%1: ... and %2 more differences")
                                 .arg(m_item)
                                 .arg(m_itemDifferences - MaximumListedPerItem));
    m_notes.append(QStringLiteral("%1: %2")
                       .arg(m_item, m_itemDifferences == 0 ? QStringLiteral("equal")
                                                           : QStringLiteral("%1 differences").arg(m_itemDifferences)));
    ++m_itemsVerified;
}

void ZRTransferVerifier::differ(const QString& text)
{
    ++m_itemDifferences;
    if (m_itemDifferences <= MaximumListedPerItem)
        m_differences.append(m_item + QStringLiteral(": ") + text);
}

void ZRTransferVerifier::checkFiles(const QJsonObject& item)
{
    for (const QJsonValue& value : item.value(QStringLiteral("files")).toArray()) {
        const QJsonObject file = value.toObject();
        const QString path = file.value(QStringLiteral("path")).toString();
        if (!QFileInfo::exists(path)) {
            differ(QStringLiteral("the file %1 is gone").arg(path));
            continue;
        }
        const QString now = ZRTransferReport::sha256OfFile(path);
        if (now != file.value(QStringLiteral("sha256")).toString())
            differ(QStringLiteral("the file %1 changed after the transfer (SHA-256 %2 instead of %3)")
                       .arg(path, now, file.value(QStringLiteral("sha256")).toString()));
    }
}

bool ZRTransferVerifier::verifyReport(const QJsonObject& report)
{
    const int before = m_differences.size();
    const QString exchange = report.value(QStringLiteral("exchange")).toString();
    if (report.value(QStringLiteral("dryRun")).toBool()) {
        m_notes.append(QStringLiteral("the report is a plan (dry run): nothing was transferred to verify"));
        return true;
    }
    const QSet<QString> transferred = {ZRTransferReport::Imported, ZRTransferReport::Exported,
                                       ZRTransferReport::Overwritten, ZRTransferReport::Renamed,
                                       ZRTransferReport::Cancelled};
    for (const QJsonValue& value : report.value(QStringLiteral("items")).toArray()) {
        const QJsonObject item = value.toObject();
        const QString name = item.value(QStringLiteral("source")).toObject().value(QStringLiteral("name")).toString();
        const QString outcome = item.value(QStringLiteral("outcome")).toString();
        if (!transferred.contains(outcome)) {
            m_notes.append(QStringLiteral("%1: %2, nothing to verify").arg(name, outcome));
            continue;
        }
        const QString objectClass = item.value(QStringLiteral("source")).toObject().value(QStringLiteral("class")).toString();
        const bool exportOf = exchange.startsWith(QLatin1String("export-"));
        if (exchange == QLatin1String("import-surveys")) {
            verifySurveyImportItem(item);
        } else if (exchange == QLatin1String("export-volumes")) {
            verifyVolumeExportItem(item);
        } else if (exchange == QLatin1String("import-horizons")) {
            verifyHorizonImportItem(item);
        } else if (exchange == QLatin1String("import-faults")) {
            verifyFaultImportItem(item);
        } else if (exchange == QLatin1String("export-horizons") && objectClass == QLatin1String("horizon")) {
            verifyHorizonExportItem(item);
        } else if (exchange == QLatin1String("export-faults") && objectClass == QLatin1String("fault")) {
            verifyFaultExportItem(item);
        } else if (exportOf && objectClass == QLatin1String("volume")) {
            // A volume exported as the survey of a horizon or fault export.
            m_notes.append(QStringLiteral("%1: the volume exported as the survey is not compared by this version")
                               .arg(name));
        } else if (exchange == QLatin1String("import-wells")) {
            verifyWellImportItem(item);
        } else if (exchange == QLatin1String("export-wells")) {
            verifyWellExportItem(item);
        } else {
            m_notes.append(QStringLiteral("%1: the exchange %2 cannot be verified by this version").arg(name, exchange));
            m_differences.append(
                QStringLiteral("%1: not verified (the exchange %2 has no verifier)").arg(name, exchange));
        }
    }
    return m_differences.size() == before;
}

bool ZRTransferVerifier::compareVolumeWithDataSet(const ZRSeismicBloc& volume, const QString& surveyName,
                                                  qint32 dataSetId, qint32 surveyId, int framesToCheck,
                                                  qint64* absentTraces)
{
    // The data set, read again through the DevKit.
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    if (surveyId > 0)
        survey.id = surveyId;
    else
        owSetText(survey.name, surveyName.toLocal8Bit());
    gdiSeismicDataSet_t dataSet;
    gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &dataSet);
    int status = gdiRead(GDI_CLASS_3D_SURVEY, &survey);
    if (status == 0) {
        dataSet.id = dataSetId;
        dataSet.surveyId = survey.id;
        status = gdiRead(GDI_CLASS_SEISMIC_DATA_SET, &dataSet);
    }
    if (status != 0) {
        differ(QStringLiteral("the OpenWorks data set cannot be read: %1").arg(owErrorText(status)));
        return false;
    }
    const QByteArray recordName(survey.name, int(strnlen(survey.name, sizeof survey.name)));
    int projectType = 3;
    const int nameLength = recordName.size();
    status = 0;
    prjin2_(&status, &projectType, recordName.constData(), &nameLength);
    if (status != 0) {
        differ(QStringLiteral("the survey's 3D project cannot be opened (prjin2_ %1)").arg(status));
        return false;
    }
    dm3dControlBlock_t controlBlock;
    std::memset(&controlBlock, 0, sizeof controlBlock);
    SeismicFileScope scope(&controlBlock);
    scope.projectStarted();
    const int readMode = 1;
    status = 0;
    dm3dop_(dataSet.fileName, &controlBlock, &readMode, &status);
    if (status != 0) {
        differ(QStringLiteral("the seismic file cannot be opened (dm3dop_ %1)").arg(status));
        return false;
    }
    scope.fileOpened();

    const bool traceOriented = owText(survey.orientation).trimmed() == QLatin1String("TRACE");
    const double metresX = metresPerUnitOfSurveyField(20);
    const double metresY = metresPerUnitOfSurveyField(21);
    const int dimx = volume.dimx();
    const int dimy = volume.dimy();
    ZRImage frame;
    std::vector<float> trace(size_t(std::max(1, dimy)));
    const int step = 1;
    const int option = 0;
    const float scale = 0.0f;
    const int firstSample = 1;
    const int lastSample = dimy;
    qint64 absent = 0;
    for (int k = 0; k < framesToCheck; ++k) {
        if (!volume.readFrame(k, frame)) {
            differ(QStringLiteral("frame %1 of the volume cannot be read").arg(k));
            continue;
        }
        for (int i = 0; i < dimx; ++i) {
            const core::vec3 annotation = volume.fromBlocToSurveyMatrix().map(core::vec3(i, 0.0, k));
            const double traceNumber = std::round(annotation.x);
            const double lineNumber = std::round(annotation.z);
            const int lineIndex = gridIndex(lineNumber, survey.firstLine, survey.lastLine, survey.lineCount,
                                            survey.lineIncrement);
            const int traceIndex = gridIndex(traceNumber, survey.firstTrace, survey.lastTrace, survey.traceCount,
                                             survey.traceIncrement);
            if (lineIndex < 0 || traceIndex < 0) {
                differ(QStringLiteral("trace %1 of frame %2 lies at line %3, trace %4, outside the survey's grid")
                           .arg(i).arg(k).arg(lineNumber).arg(traceNumber));
                continue;
            }
            const int gridX = traceOriented ? traceIndex : lineIndex;
            const int gridY = traceOriented ? lineIndex : traceIndex;
            status = 0;
            int flags = 0;
            dm3dtr_(&controlBlock, &gridX, &gridY, &firstSample, &lastSample, &step, &option, trace.data(), &scale,
                    &status, &flags);
            if (status == 1) {
                ++absent;
                std::fill(trace.begin(), trace.end(), MissingValue);
            } else if (status != 0) {
                differ(QStringLiteral("the source trace at line %1, trace %2 cannot be read (dm3dtr_ %3)")
                           .arg(lineNumber).arg(traceNumber).arg(status));
                continue;
            }
            for (int j = 0; j < dimy; ++j) {
                if (!sameBits(frame.value(i, j), trace[size_t(j)])) {
                    differ(QStringLiteral("line %1, trace %2, sample %3: %4 in the volume, %5 in OpenWorks")
                               .arg(lineNumber).arg(traceNumber).arg(j)
                               .arg(double(frame.value(i, j)), 0, 'g', 9)
                               .arg(double(trace[size_t(j)]), 0, 'g', 9));
                    break;
                }
            }
            // The map position of the trace.
            const float line = float(lineNumber);
            const float traceAsFloat = float(traceNumber);
            double x = 0.0;
            double y = 0.0;
            status = 0;
            const int one = 1;
            intorw_(&one, &line, &traceAsFloat, &x, &y, &status);
            if (status != 0) {
                differ(QStringLiteral("intorw_ gives no map position for line %1, trace %2").arg(lineNumber).arg(traceNumber));
                continue;
            }
            const core::vec3 world = volume.fromBlocToWorldMatrix().map(core::vec3(i, 0.0, k));
            const double expectedX = x * metresX;
            const double expectedY = y * metresY;
            const double tolerance = 1e-3 + 1e-9 * std::max(std::abs(expectedX), std::abs(expectedY));
            if (std::abs(world.x - expectedX) > tolerance || std::abs(world.z - expectedY) > tolerance)
                differ(QStringLiteral("line %1, trace %2 lies at (%3, %4) in the volume, at (%5, %6) in OpenWorks")
                           .arg(lineNumber).arg(traceNumber)
                           .arg(world.x, 0, 'f', 3).arg(world.z, 0, 'f', 3)
                           .arg(expectedX, 0, 'f', 3).arg(expectedY, 0, 'f', 3));
        }
    }
    if (absentTraces)
        *absentTraces = absent;
    return true;
}

bool ZRTransferVerifier::verifySurveyImportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    checkFiles(item);
    const bool cancelled = item.value(QStringLiteral("outcome")).toString() == ZRTransferReport::Cancelled;

    const QString path = item.value(QStringLiteral("target")).toObject().value(QStringLiteral("path")).toString();
    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(path);
    if (!volume) {
        differ(QStringLiteral("the volume %1 cannot be read").arg(path));
        endItem();
        return false;
    }
    const QJsonObject counts = item.value(QStringLiteral("counts")).toObject();
    if (counts.contains(QStringLiteral("traces"))
        && qint64(counts.value(QStringLiteral("traces")).toDouble()) != qint64(volume->dimx()) * volume->dimz())
        differ(QStringLiteral("the report counts %1 traces, the volume holds %2")
                   .arg(counts.value(QStringLiteral("traces")).toDouble(), 0, 'f', 0)
                   .arg(qint64(volume->dimx()) * volume->dimz()));
    const int framesToCheck =
        cancelled ? int(counts.value(QStringLiteral("framesWritten")).toDouble()) : volume->dimz();
    qint64 absent = 0;
    if (compareVolumeWithDataSet(*volume, source.value(QStringLiteral("survey")).toString(),
                                 qint32(source.value(QStringLiteral("id")).toDouble()), 0, framesToCheck, &absent)
        && !cancelled && counts.contains(QStringLiteral("absentTraces"))
        && qint64(counts.value(QStringLiteral("absentTraces")).toDouble()) != absent)
        differ(QStringLiteral("the report counts %1 absent traces, OpenWorks has %2")
                   .arg(counts.value(QStringLiteral("absentTraces")).toDouble(), 0, 'f', 0)
                   .arg(absent));
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}

bool ZRTransferVerifier::verifyVolumeExportItem(const QJsonObject& item)
{
    const QJsonObject source = item.value(QStringLiteral("source")).toObject();
    const QJsonObject target = item.value(QStringLiteral("target")).toObject();
    beginItem(source.value(QStringLiteral("name")).toString());
    const int before = m_itemDifferences;
    const QString path = source.value(QStringLiteral("path")).toString();
    if (source.contains(QStringLiteral("sha256"))
        && ZRTransferReport::sha256OfFile(path) != source.value(QStringLiteral("sha256")).toString())
        differ(QStringLiteral("the source volume %1 changed after the transfer").arg(path));
    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(path);
    if (!volume) {
        differ(QStringLiteral("the volume %1 cannot be read").arg(path));
        endItem();
        return false;
    }
    if (!target.contains(QStringLiteral("dataSetId")) || !target.contains(QStringLiteral("surveyId"))) {
        differ(QStringLiteral("the report names no data set to compare with"));
        endItem();
        return false;
    }
    compareVolumeWithDataSet(*volume, target.value(QStringLiteral("surveyName")).toString(),
                             qint32(target.value(QStringLiteral("dataSetId")).toDouble()),
                             qint32(target.value(QStringLiteral("surveyId")).toDouble()), volume->dimz(), nullptr);
    const bool equal = m_itemDifferences == before;
    endItem();
    return equal;
}
