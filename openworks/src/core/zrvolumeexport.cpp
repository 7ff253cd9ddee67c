#include "zrvolumeexport.h"

#include "ensuredistrictdatafolder.h"
#include "owguards.h"
#include "owunitresolution.h"
#include "zrassert.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrframetransposer.h"
#include "zrimage.h"
#include "zrobjectheader.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrseismicbloc.h"
#include "zrsurveyimport.h"
#include "zrtransferreport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <limits>
#include <new>
#include <system_error>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

using Kind = ZRExchangeUi::MessageKind;

constexpr int ThreeDProject = 3;
constexpr int MaximumNameLength = 40;
constexpr float MissingValue = -9999.0f;
const char* const DataSetVersion = "UNKNOWN";

/// Volume object types of the host project (role 514 of the host tree).
bool isVolumeObjectType(int objectType)
{
    return objectType == ZRProject::VolumeType || objectType == ZRProject::VolumeAttributeType;
}

QString errorWhileExporting(const QString& name, const QString& reason)
{
    return QStringLiteral("Error occurred while exporting %1: %2.").arg(name, reason);
}

/// A whole number when the value is within 1e-6 of one (survey matrices
/// carry rounding of their construction).
double wholeWhenClose(double value)
{
    const double rounded = std::round(value);
    return std::fabs(value - rounded) <= 1e-6 ? rounded : value;
}

/// Copies an 8-bit text into a fixed-size DevKit text buffer of `size` bytes.
void setFixedText(char* field, size_t size, const QByteArray& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.constData(), std::min(size - 1, size_t(text.size())));
}

QString openWorksAbbreviation(int unitId)
{
    int status = 0;
    const char* text = untGetUnitAbbr(unitId, &status);
    return status == 0 && text ? QString::fromLatin1(text) : QString();
}

/// Whether a frame type skips -9999 samples in its value range (the float,
/// int and RGB types do; the 8- and 16-bit types count every sample).
bool skipsMissingValues(ZRBloc::DataSize dataSize)
{
    return dataSize == ZRBloc::FLOAT_SIZE || dataSize == ZRBloc::INT_SIZE || dataSize == ZRBloc::RGB_SIZE;
}

/// Widens [minimum, maximum] by the samples (NaN never counts; -9999 not when skipMissing).
void widenRange(const float* values, size_t count, bool skipMissing, float* minimum, float* maximum)
{
    const float infinity = std::numeric_limits<float>::infinity();
    size_t i = 0;
    float low = *minimum;
    float high = *maximum;
#if defined(__SSE2__)
    // Four lanes at a time: a NaN sample loses every comparison (min and max
    // keep their second operand then), a missing one is made +inf / -inf first.
    __m128 lows = _mm_set1_ps(low);
    __m128 highs = _mm_set1_ps(high);
    const __m128 missing = _mm_set1_ps(MissingValue);
    const __m128 plus = _mm_set1_ps(infinity);
    const __m128 minus = _mm_set1_ps(-infinity);
    for (; i + 4 <= count; i += 4) {
        const __m128 value = _mm_loadu_ps(values + i);
        if (skipMissing) {
            const __m128 isMissing = _mm_cmpeq_ps(value, missing);
            lows = _mm_min_ps(_mm_or_ps(_mm_and_ps(isMissing, plus), _mm_andnot_ps(isMissing, value)), lows);
            highs = _mm_max_ps(_mm_or_ps(_mm_and_ps(isMissing, minus), _mm_andnot_ps(isMissing, value)), highs);
        } else {
            lows = _mm_min_ps(value, lows);
            highs = _mm_max_ps(value, highs);
        }
    }
    float lanes[4];
    _mm_storeu_ps(lanes, lows);
    low = std::min({low, lanes[0], lanes[1], lanes[2], lanes[3]});
    _mm_storeu_ps(lanes, highs);
    high = std::max({high, lanes[0], lanes[1], lanes[2], lanes[3]});
#endif
    for (; i < count; ++i) {
        const float value = values[i];
        if (value != value || (skipMissing && value == MissingValue))
            continue;
        low = value < low ? value : low;
        high = value > high ? value : high;
    }
    *minimum = low;
    *maximum = high;
}

/// The frames of a volume in trace order (dimx traces of dimy samples), asked
/// for in order, each widening a value range. A float volume stored trace by
/// trace is read as it is stored, the next frame on a worker thread while the
/// caller writes the current one (two frames held); any other volume is read
/// as an image (readFrame) and transposed on the calling thread (the frame and
/// its image held).
class TraceFrames
{
public:
    TraceFrames(const ZRSeismicBloc& volume, bool skipMissing)
        : m_volume(volume)
        , m_direct(volume.dataSize() == ZRBloc::FLOAT_SIZE && volume.isStoredTransposed())
        , m_skipMissing(skipMissing)
    {
    }
    ~TraceFrames() { waitForPending(); }
    TraceFrames(const TraceFrames&) = delete;
    TraceFrames& operator=(const TraceFrames&) = delete;

    /// False when the memory for the frames is missing.
    bool allocate()
    {
        const size_t samples = size_t(m_volume.dimx()) * size_t(m_volume.dimy());
        try {
            m_buffers[0].resize(samples);
            if (m_direct && m_volume.dimz() > 1)
                m_buffers[1].resize(samples);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return m_direct || m_image.allocate(m_volume.dimx(), m_volume.dimy());
    }

    /// Frame k (after frame k - 1), or null when it cannot be read (the volume
    /// has said why). Widens [*minimum, *maximum] by its samples.
    const float* frame(int k, float* minimum, float* maximum)
    {
        if (!m_direct) {
            if (!m_volume.readFrame(k, m_image))
                return nullptr;
            ZRFrameTransposer::transposeFloats(m_image.data(), m_buffers[0].data(), m_volume.dimy(), m_volume.dimx());
            widenRange(m_buffers[0].data(), m_buffers[0].size(), m_skipMissing, minimum, maximum);
            return m_buffers[0].data();
        }
        Read read;
        int buffer = 0;
        if (m_pendingFrame == k && m_pending.valid()) {
            read = m_pending.get();
            buffer = m_pendingBuffer;
        } else {
            waitForPending();
            buffer = m_current == 0 ? 1 : 0;
            if (m_buffers[buffer].empty())
                buffer = 0;
            read = readInto(k, buffer);
        }
        m_pendingFrame = -1;
        m_current = buffer;
        if (k + 1 < m_volume.dimz() && !m_buffers[1].empty())
            startReading(k + 1, buffer == 0 ? 1 : 0);
        if (!read.ok)
            return nullptr;
        *minimum = std::min(*minimum, read.minimum);
        *maximum = std::max(*maximum, read.maximum);
        return m_buffers[buffer].data();
    }

    bool readsAsStored() const { return m_direct; }

private:
    struct Read
    {
        bool ok = false;
        float minimum = std::numeric_limits<float>::infinity();
        float maximum = -std::numeric_limits<float>::infinity();
    };

    Read readInto(int k, int buffer)
    {
        Read read;
        std::vector<float>& traces = m_buffers[buffer];
        read.ok = m_volume.readRawFrame(k, traces.data());
        if (read.ok)
            widenRange(traces.data(), traces.size(), m_skipMissing, &read.minimum, &read.maximum);
        return read;
    }

    void startReading(int k, int buffer)
    {
        try {
            m_pending = std::async(std::launch::async, [this, k, buffer] { return readInto(k, buffer); });
            m_pendingFrame = k;
            m_pendingBuffer = buffer;
        } catch (const std::system_error&) {
            // No thread to spare: the frame is read when it is asked for.
            m_pendingFrame = -1;
        }
    }

    void waitForPending()
    {
        if (m_pending.valid())
            m_pending.wait();
    }

    const ZRSeismicBloc& m_volume;
    bool m_direct;
    bool m_skipMissing;
    std::vector<float> m_buffers[2];
    ZRImage m_image;
    std::future<Read> m_pending;
    int m_pendingFrame = -1;
    int m_pendingBuffer = 0;
    int m_current = 1;
};

/// Everything one volume export makes in OpenWorks, given back or undone on
/// every path. Until keep() is called, going out of scope undoes the export:
/// the seismic file is closed, the data set deleted with its file
/// (dm3ddl_), the survey deleted (gdiDelete) and the deletion committed; a
/// survey that was never committed is rolled back instead (and deleted as
/// above when the rollback fails). When a step of the removal fails, the open
/// transaction is rolled back and the removal is tried once more. Only a
/// survey this export added is ever deleted. In any case the seismic file is closed (dm3dcl_) and the
/// survey's 3D project ended (prjend_); an undone export also removes the
/// seismic folder it made when that stayed empty.
class ExportScope
{
public:
    ExportScope(ZRReportedItem& reported, const QString& surveyName)
        : m_reported(reported)
        , m_surveyName(surveyName)
    {
        std::memset(&m_controlBlock, 0, sizeof m_controlBlock);
        std::memset(&m_survey, 0, sizeof m_survey);
        std::memset(m_fileName, 0, sizeof m_fileName);
    }
    ~ExportScope()
    {
        if (!m_kept)
            undo();
        closeFile();
        endProject();
        if (!m_kept)
            removeEmptyFolder();
    }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

    dm3dControlBlock_t& controlBlock() { return m_controlBlock; }
    char* fileName() { return m_fileName; }

    void folderCreated(const QString& folder) { m_createdFolder = folder; }
    /// DevKit writes begin (an open transaction is rolled back if nothing was committed).
    void writesStarted() { m_writes = true; }
    void surveyAdded(const gdi3dSurvey_t& survey)
    {
        m_survey = survey;
        m_surveyAdded = true;
    }
    void surveyCommitted() { m_surveyCommitted = true; }
    void projectStarted() { m_projectStarted = true; }
    void dataSetCreated() { m_dataSetCreated = true; }
    void fileOpened() { m_fileOpen = true; }
    void keep() { m_kept = true; }

    /// Closes the seismic file (once); the status of dm3dcl_ (0 when it was not open).
    int closeFile()
    {
        if (!m_fileOpen)
            return 0;
        m_fileOpen = false;
        const int option = 0;
        int status = 0;
        dm3dcl_(&m_controlBlock, &option, &status);
        return status;
    }

private:
    void endProject()
    {
        if (!m_projectStarted)
            return;
        m_projectStarted = false;
        const int projectType = ThreeDProject;
        const int option = 0;
        prjend_(&projectType, &option);
    }

    /// One attempt to remove the committed survey and what was made in it.
    bool removeCreated(QStringList* failures)
    {
        bool removed = true;
        if (m_dataSetCreated) {
            int status = 0;
            dm3ddl_(m_fileName, &status);
            // 6: no such data set (already gone with a rollback).
            if (status != 0 && status != 6) {
                failures->append(QStringLiteral("dm3ddl_ status %1").arg(status));
                removed = false;
            }
        }
        if (removed) {
            gdi3dSurvey_t survey = m_survey;
            const int status = gdiDelete(GDI_CLASS_3D_SURVEY, &survey);
            if (status != 0) {
                failures->append(owErrorText(status));
                removed = false;
            }
        }
        if (removed) {
            const int status = gdiCommit();
            if (status != 0) {
                failures->append(owErrorText(status));
                removed = false;
            }
        }
        return removed;
    }

    void undo()
    {
        closeFile();
        if (!m_writes)
            return;
        if (!m_surveyCommitted) {
            // Nothing was committed: the transaction holds all there is.
            if (gdiRollback() == 0 || !m_surveyAdded)
                return;
        }
        if (!m_surveyAdded)
            return;
        QStringList failures;
        if (removeCreated(&failures))
            return;
        // What the failed attempt left in the transaction goes (the data set
        // made in it with it), and the removal is tried once more.
        gdiRollback();
        if (removeCreated(&failures))
            return;
        gdiRollback();
        m_reported.sendMessage(eDrawError,
                               QStringLiteral("Unable to remove the 3D survey %1 from OpenWorks®: %2")
                                   .arg(m_surveyName, failures.join(QStringLiteral("; "))));
    }

    void removeEmptyFolder()
    {
        if (m_createdFolder.isEmpty())
            return;
        QDir folder(m_createdFolder);
        if (folder.exists() && folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            folder.rmdir(m_createdFolder);
    }

    ZRReportedItem& m_reported;
    QString m_surveyName;
    dm3dControlBlock_t m_controlBlock;
    gdi3dSurvey_t m_survey;
    char m_fileName[DM3D_FILE_NAME_SIZE];
    QString m_createdFolder;
    bool m_writes = false;
    bool m_surveyAdded = false;
    bool m_surveyCommitted = false;
    bool m_projectStarted = false;
    bool m_dataSetCreated = false;
    bool m_fileOpen = false;
    bool m_kept = false;
};

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, const QString& fileName)
{
    ZRTransferReport::Item item;
    item.sourceSystem = QStringLiteral("Velostrat");
    item.objectClass = QStringLiteral("volume");
    item.sourceName = QFileInfo(fileName).fileName();
    item.source.insert(QStringLiteral("path"), QDir::toNativeSeparators(fileName));
    if (context.project)
        item.source.insert(QStringLiteral("hostProject"), QDir::toNativeSeparators(context.project->projectPath()));
    if (context.report) {
        item.target.insert(QStringLiteral("district"), ZROpenworksSession::systemDistrict());
        if (context.session)
            item.target.insert(QStringLiteral("project"), context.session->projectName());
    }
    item.action = ZRTransferReport::Create;
    item.outcome = ZRTransferReport::Failed;
    return item;
}

/// The data set name "<survey>_<n>" for n = 1, 2, ...: the first one no data
/// set of the project carries (gdiExists). The survey part is shortened so
/// that the whole name fits the 40 characters of the record.
QString freeDataSetName(const QString& surveyName)
{
    for (int n = 1; n < 1000000; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const QString candidate = surveyName.left(MaximumNameLength - suffix.size()) + suffix;
        gdiSeismicDataSet_t key;
        std::memset(&key, 0, sizeof key);
        gdiInitiateObject(GDI_CLASS_SEISMIC_DATA_SET, 1, &key);
        owSetText(key.name, candidate.toLocal8Bit());
        if (gdiExists(GDI_CLASS_SEISMIC_DATA_SET, &key) == 0)
            return candidate;
    }
    return QString();
}

QJsonObject cornersEntry(const double (&corners)[8])
{
    QJsonObject entry;
    for (int field = 20; field <= 27; ++field)
        entry.insert(QString::number(field), corners[field - 20]);
    return entry;
}

} // namespace

VolumeSurveyGeometry volumeSurveyGeometry(const georef::BlocSpace& space, double metresPerSpatialUnit)
{
    VolumeSurveyGeometry geometry;
    geometry.traceCount = space.dimx();
    geometry.lineCount = space.dimz();
    geometry.sampleCount = space.dimy();
    const double lastTraceIndex = double(std::max(0, space.dimx() - 1));
    const double lastLineIndex = double(std::max(0, space.dimz() - 1));

    const core::vec3 origin = space.blocToWorld({0.0, 0.0, 0.0});
    const core::vec3 alongTraces = space.blocToWorld({lastTraceIndex, 0.0, 0.0});
    const core::vec3 alongLines = space.blocToWorld({0.0, 0.0, lastLineIndex});
    geometry.corners[0] = origin.x * metresPerSpatialUnit;
    geometry.corners[1] = origin.z * metresPerSpatialUnit;
    geometry.corners[2] = alongLines.x * metresPerSpatialUnit;
    geometry.corners[3] = alongLines.z * metresPerSpatialUnit;
    geometry.corners[6] = alongTraces.x * metresPerSpatialUnit;
    geometry.corners[7] = alongTraces.z * metresPerSpatialUnit;
    geometry.corners[4] = geometry.corners[2] + geometry.corners[6] - geometry.corners[0];
    geometry.corners[5] = geometry.corners[3] + geometry.corners[7] - geometry.corners[1];

    const core::vec3 first = space.blocToSurvey({0.0, 0.0, 0.0});
    geometry.firstTrace = wholeWhenClose(first.x);
    geometry.lastTrace = wholeWhenClose(space.blocToSurvey({lastTraceIndex, 0.0, 0.0}).x);
    geometry.firstLine = wholeWhenClose(first.z);
    geometry.lastLine = wholeWhenClose(space.blocToSurvey({0.0, 0.0, lastLineIndex}).z);
    if (geometry.firstTrace == 0.0) {
        geometry.firstTrace += 1.0;
        geometry.lastTrace += 1.0;
    }
    if (geometry.firstLine == 0.0) {
        geometry.firstLine += 1.0;
        geometry.lastLine += 1.0;
    }
    geometry.verticalStart = first.y;
    geometry.verticalEnd = space.blocToSurvey({0.0, double(space.dimy()), 0.0}).y;
    return geometry;
}

QString surveyNameForVolume(const QString& fileName)
{
    QString name = QFileInfo(fileName).fileName();
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    return name.left(MaximumNameLength);
}

QStringList volumeExportCandidates(const QModelIndexList& items)
{
    QStringList files;
    QSet<QString> seen;
    for (const QModelIndex& index : items) {
        if (!index.isValid()) {
            std::fprintf(stderr, "ERROR: assert fail (%s) in %s at %s: %d\n", "index.isValid()",
                         "ZROpenworksExchangeDialog::exportSurveys", __FILE__, __LINE__);
            std::fflush(stderr);
            continue;
        }
        // Roles 513 (item kind), 514 (object type) and 516 (path) of the host tree.
        if (index.data(Qt::UserRole + 257).toInt() != 3 || !isVolumeObjectType(index.data(Qt::UserRole + 258).toInt()))
            continue;
        const QString path = index.data(Qt::UserRole + 260).toString();
        if (path.isEmpty() || seen.contains(path))
            continue;
        seen.insert(path);
        files.append(path);
    }
    return files;
}

bool seismicFolderFor(const QString& name, QString& errorText)
{
    return ensureDistrictDataFolder(name, errorText);
}

QString dm3dcrtdsErrorText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Successful operation");
    case 1: return QStringLiteral("gdiAdd() error");
    case 2: return QStringLiteral("gdiUpdate() error");
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9: return QStringLiteral("Internal dataset creation error");
    default: return QStringLiteral("Unknown error occurred (dm3dcrtds_ - %1)").arg(code);
    }
}

int exportSurveys(const ZRExchangeContext& context, const QStringList& volumeFiles)
{
    if (volumeFiles.isEmpty())
        return 0;
    int exported = 0;
    ZRProgressBarGuard progress(volumeFiles.size(), QStringLiteral("Exporting Volumes from Velostrat to OpenWorks®"),
                                context.progressParentId, true);
    for (const QString& file : volumeFiles) {
        if (progress.isCancelled())
            break;
        VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
        OwSurveyRecord survey = exportVolume(context, file, progress.id(), &outcome);
        survey.reset();
        if (outcome == VolumeExportOutcome::Exported || outcome == VolumeExportOutcome::Planned)
            ++exported;
        if (outcome == VolumeExportOutcome::Cancelled || progress.isCancelled())
            break;
        progress.increment(1);
    }
    if (exported != volumeFiles.size() && !context.dryRun && context.ui)
        context.ui->showMessage(ZRExchangeUi::MessageKind::Information, context.windowTitle,
                                QStringLiteral("%1 of %2 volumes exported.").arg(exported).arg(volumeFiles.size()));
    return exported;
}

OwSurveyRecord exportVolume(const ZRExchangeContext& context, const QString& fileName, int parentProgressId,
                            VolumeExportOutcome* outcome)
{
    VolumeExportOutcome ignored = VolumeExportOutcome::Failed;
    VolumeExportOutcome& result = outcome ? *outcome : ignored;
    result = VolumeExportOutcome::Failed;
    ZRReportedItem reported(context, reportItemOf(context, fileName));
    const auto fail = [&](const QString& text) {
        reported.showMessage(Kind::Critical, QStringLiteral("Error"), text);
        return OwSurveyRecord();
    };

    const QFileInfo info(fileName);
    if (!info.isFile())
        return fail(QStringLiteral("File %1 does not seem to exist").arg(fileName));
    if (ZRTransferReport::Item* item = reported.item()) {
        const QJsonObject file = ZRTransferReport::fileEntry(fileName);
        item->source.insert(QStringLiteral("bytes"), file.value(QStringLiteral("bytes")));
        item->source.insert(QStringLiteral("sha256"), file.value(QStringLiteral("sha256")));
    }

    const QString name = surveyNameForVolume(fileName);
    reported.setTarget(QStringLiteral("surveyName"), name);
    if (!ZRObjectHeader::remoteOf(fileName).isEmpty()) {
        reported.showMessage(Kind::Warning, context.windowTitle,
                             QStringLiteral("Unable to transfer %1 as it is a remotely linked volume.").arg(name));
        return OwSurveyRecord();
    }

    // The folder for the seismic file: only looked up in a dry run.
    QString folderError;
    const QString folder = districtDataFolder(name, folderError);
    const bool folderExisted = !folder.isEmpty() && QDir(folder).exists();
    if (folder.isEmpty() || (!context.dryRun && !seismicFolderFor(name, folderError))) {
        return fail(QStringLiteral("Error occurred while exporting %1: unable to create folder to contain seismic "
                                   "file: %2")
                        .arg(name, folderError));
    }
    ExportScope scope(reported, name);
    if (!context.dryRun && !folderExisted)
        scope.folderCreated(folder);

    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(fileName);
    if (!volume)
        return fail(errorWhileExporting(name, QStringLiteral("the volume file cannot be read")));
    const int dimx = volume->dimx();
    const int dimy = volume->dimy();
    const int dimz = volume->dimz();
    if (dimx < 1 || dimy < 1 || dimz < 1 || volume->dataOffset() < 0
        || info.size() < volume->dataOffset() + qint64(dimz) * volume->frameBytes())
        return fail(errorWhileExporting(
            name,
            QStringLiteral("the volume file does not hold its %1 x %2 x %3 samples").arg(dimx).arg(dimy).arg(dimz)));

    // Geometry: the volume's map coordinates in metres, its vertical axis in
    // its own unit.
    const int spatialUnit = volume->unitsObject().spatialUnit();
    const double metresPerSpatialUnit =
        spatialUnit != NoUnit && !UnitTable::isTimeUnit(spatialUnit) ? 1.0 / UnitTable::unitFactor(spatialUnit) : 1.0;
    VolumeSurveyGeometry geometry = volumeSurveyGeometry(*volume, metresPerSpatialUnit);
    if (ZRTransferReport::Item* item = reported.item())
        item->geometry = ZRTransferReport::blocSpaceEntry(*volume);

    // Corners in the project's unit of each corner field.
    int status = 0;
    const int one = 1;
    for (int field = 20; field <= 27; ++field) {
        int unit = 0;
        status = gdiGetMeasSystemUnitIdForField(OW_MEAS_SESSION, GDI_CLASS_3D_SURVEY, field, &unit);
        if (status == 0)
            untConvert(OW_UNIT_METERS, unit, &one, &geometry.corners[field - 20], &status);
        if (status != 0)
            return fail(errorWhileExporting(name, owErrorText(status)));
        if (ZRTransferReport::Item* item = reported.item()) {
            int factorStatus = 0;
            item->units.append(ZRTransferReport::unitEntry(
                QStringLiteral("survey corner field %1").arg(field), OW_UNIT_METERS,
                georef::openWorksUnitName(OW_UNIT_METERS), unit, georef::openWorksUnitName(unit),
                georef::openWorksConversionFactor(OW_UNIT_METERS, unit, &factorStatus), UnitTable::unitName(spatialUnit)));
        }
    }

    // The vertical axis in the project's unit of its domain.
    const int hostVerticalUnit = volume->verticalUnit() == NoUnit ? Millisecond : volume->verticalUnit();
    const bool isTime = UnitTable::isTimeUnit(hostVerticalUnit);
    const int fromVerticalUnit = georef::openWorksIdForHostUnit(hostVerticalUnit);
    int projectVerticalUnit = 0;
    status = gdiGetMeasSystemUnitIdForType(OW_MEAS_PROJECT, isTime ? OW_UNIT_TYPE_SEISMIC_TIME : OW_UNIT_TYPE_DEPTH,
                                           &projectVerticalUnit);
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    if (fromVerticalUnit < 0)
        return fail(errorWhileExporting(
            name,
            QStringLiteral("the vertical unit %1 has no OpenWorks® unit").arg(UnitTable::unitName(hostVerticalUnit))));
    const double verticalFactor = georef::openWorksConversionFactor(fromVerticalUnit, projectVerticalUnit, &status);
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    const double verticalStart = geometry.verticalStart * verticalFactor;
    const double verticalEnd = geometry.verticalEnd * verticalFactor;
    const double sampleInterval = (verticalEnd - verticalStart) / double(dimy);
    const QString verticalAbbreviation = openWorksAbbreviation(projectVerticalUnit);
    if (ZRTransferReport::Item* item = reported.item()) {
        item->units.append(ZRTransferReport::unitEntry(
            isTime ? QStringLiteral("vertical time") : QStringLiteral("vertical depth"), fromVerticalUnit,
            georef::openWorksUnitName(fromVerticalUnit), projectVerticalUnit,
            georef::openWorksUnitName(projectVerticalUnit), verticalFactor, UnitTable::unitName(hostVerticalUnit)));
        QJsonObject survey;
        survey.insert(QStringLiteral("corners"), cornersEntry(geometry.corners));
        survey.insert(QStringLiteral("firstLine"), geometry.firstLine);
        survey.insert(QStringLiteral("lastLine"), geometry.lastLine);
        survey.insert(QStringLiteral("firstTrace"), geometry.firstTrace);
        survey.insert(QStringLiteral("lastTrace"), geometry.lastTrace);
        survey.insert(QStringLiteral("lineCount"), geometry.lineCount);
        survey.insert(QStringLiteral("traceCount"), geometry.traceCount);
        survey.insert(QStringLiteral("orientation"), QStringLiteral("TRACE"));
        survey.insert(QStringLiteral("verticalStart"), verticalStart);
        survey.insert(QStringLiteral("sampleInterval"), sampleInterval);
        survey.insert(QStringLiteral("verticalUnit"), verticalAbbreviation);
        item->geometry.insert(QStringLiteral("survey"), survey);
        const qint64 traces = qint64(dimx) * qint64(dimz);
        item->counts.insert(QStringLiteral("traces"), double(traces));
        item->counts.insert(QStringLiteral("frames"), dimz);
        item->counts.insert(QStringLiteral("samplesPerTrace"), dimy);
        item->counts.insert(QStringLiteral("seismicFileBytes"), double(3600 + traces * (240 + 4 * qint64(dimy))));
        if (volume->minValueBlock() != ZRBloc::NoValue && volume->maxValueBlock() != ZRBloc::NoValue) {
            item->valueRange.insert(QStringLiteral("min"), volume->minValueBlock());
            item->valueRange.insert(QStringLiteral("max"), volume->maxValueBlock());
        }
    }

    // The survey record.
    gdi3dSurvey_t survey;
    std::memset(&survey, 0, sizeof survey);
    status = gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    survey.id = 0;
    const QByteArray nameBytes = name.toLocal8Bit();
    owSetText(survey.name, nameBytes);
    owSetText(survey.displayName, nameBytes);
    survey.traceCount = geometry.traceCount;
    survey.lineCount = geometry.lineCount;
    survey.firstLine = geometry.firstLine;
    survey.lastLine = geometry.lastLine;
    survey.firstTrace = geometry.firstTrace;
    survey.lastTrace = geometry.lastTrace;
    survey.lineIncrement =
        geometry.lineCount > 1 ? (geometry.lastLine - geometry.firstLine) / double(geometry.lineCount - 1) : 1.0;
    survey.traceIncrement =
        geometry.traceCount > 1 ? (geometry.lastTrace - geometry.firstTrace) / double(geometry.traceCount - 1) : 1.0;
    owSetText(survey.orientation, QByteArrayLiteral("TRACE"));
    std::copy(std::begin(geometry.corners), std::end(geometry.corners), std::begin(survey.corner));
    owSetText(survey.verticalUnit, context.unitTable.value(hostVerticalUnit).toLatin1());
    prjProject_t active;
    std::memset(&active, 0, sizeof active);
    status = prjGetActive(&active);
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    survey.projectId = active.id;

    const auto copyOf = [](const gdi3dSurvey_t& record) {
        OwSurveyRecord copy(static_cast<gdi3dSurvey_t*>(gdiCreateObject(GDI_CLASS_3D_SURVEY, 1)));
        if (copy)
            std::memcpy(copy.get(), &record, sizeof record);
        return copy;
    };

    if (context.dryRun) {
        // Reads only: whether the survey exists, the data set name, the space.
        gdi3dSurvey_t key;
        std::memset(&key, 0, sizeof key);
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &key);
        owSetText(key.name, nameBytes);
        result = VolumeExportOutcome::Planned;
        if (gdiExists(GDI_CLASS_3D_SURVEY, &key) != 0) {
            reported.setAction(ZRTransferReport::Skip);
            reported.recordMessage(
                QStringLiteral("A 3D survey named %1 exists already: no data set would be written.").arg(name));
            result = VolumeExportOutcome::SurveyExists;
        } else {
            reported.setTarget(QStringLiteral("dataSetName"), freeDataSetName(name));
            const QStorageInfo storage(folderExisted ? folder : QFileInfo(folder).absolutePath());
            const double needed = 3600.0 + double(dimx) * double(dimz) * (240.0 + 4.0 * dimy);
            if (storage.isValid() && double(storage.bytesAvailable()) < needed)
                reported.recordMessage(QStringLiteral("The district's data folder has %1 bytes free; the seismic "
                                                      "file needs %2.")
                                           .arg(storage.bytesAvailable())
                                           .arg(needed, 0, 'f', 0));
        }
        reported.setOutcome(ZRTransferReport::Planned);
        return OwSurveyRecord();
    }

    scope.writesStarted();
    status = gdiAdd(GDI_CLASS_3D_SURVEY, &survey);
    if (status == GDI_DUPLICATE) {
        reported.setAction(ZRTransferReport::Skip);
        reported.sendMessage(eDrawInformation,
                             QStringLiteral("A 3D survey named %1 exists already in OpenWorks®: %2 was not "
                                            "exported into a new data set.")
                                 .arg(name, fileName));
        reported.setOutcome(ZRTransferReport::Skipped);
        result = VolumeExportOutcome::SurveyExists;
        return copyOf(survey);
    }
    if (status != 0)
        return fail(QStringLiteral("Error occurred while exporting %1: %2, (error code = %3).")
                        .arg(name, owErrorText(status))
                        .arg(status));
    scope.surveyAdded(survey);
    reported.setTarget(QStringLiteral("surveyId"), survey.id);

    const QString dataSetName = freeDataSetName(name);
    if (dataSetName.isEmpty())
        return fail(errorWhileExporting(name, QStringLiteral("no free data set name")));
    reported.setTarget(QStringLiteral("dataSetName"), dataSetName);

    status = 0;
    int projectHandle = ThreeDProject;
    const QByteArray recordName(survey.name, int(strnlen(survey.name, sizeof survey.name)));
    const int nameLength = recordName.size();
    scope.projectStarted();
    prjin2_(&status, &projectHandle, recordName.constData(), &nameLength);
    ZREventBus::sendMessage(
        eDrawCallTrace,
        QStringLiteral("Call to prjin2_ with survey=%1 error returned=%2").arg(name, QString::number(status)), false);
    if (status != 0)
        return fail(errorWhileExporting(name, prjin2ErrorText(status)));
    status = gdiCommit();
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    scope.surveyCommitted();

    // The seismic file of the data set: grid x counts the traces and grid y
    // the lines from 1.
    dm3dControlBlock_t& controlBlock = scope.controlBlock();
    controlBlock.firstX = 1;
    controlBlock.lastX = dimx;
    controlBlock.firstY = 1;
    controlBlock.lastY = dimz;
    controlBlock.firstSample = 1;
    controlBlock.lastSample = dimy;
    controlBlock.samplesPerTrace = dimy;
    controlBlock.verticalStart = float(verticalStart);
    controlBlock.verticalEnd = float(verticalEnd);
    controlBlock.sampleInterval = float(sampleInterval);
    controlBlock.domain = isTime ? 1 : 2;
    controlBlock.constants[0] = 1;
    controlBlock.constants[1] = 1;
    controlBlock.constants[2] = 0;
    controlBlock.traceCount = dimx;
    controlBlock.lineCount = dimz;

    char dataSetNameBytes[DM3D_FILE_NAME_SIZE];
    setFixedText(dataSetNameBytes, sizeof dataSetNameBytes, dataSetName.toLocal8Bit());
    char* const seismicFile = scope.fileName();
    status = 0;
    dm3dgetnamefromkeys_(dataSetNameBytes, DataSetVersion, seismicFile, &status);
    if (status == 0)
        return fail(errorWhileExporting(name, QStringLiteral("a seismic file with this name already exists")));
    std::memset(seismicFile, 0, DM3D_FILE_NAME_SIZE);
    status = 0;
    dm3d_crt_ds_(dataSetNameBytes, DataSetVersion, &controlBlock, seismicFile, &status);
    if (status != 0)
        return fail(errorWhileExporting(name, dm3dcrtdsErrorText(status)));
    scope.dataSetCreated();
    const QString seismicFileName = QString::fromLocal8Bit(seismicFile, int(strnlen(seismicFile, DM3D_FILE_NAME_SIZE)));
    reported.setTarget(QStringLiteral("fileName"), seismicFileName);

    const int writeMode = 3;
    status = 0;
    dm3dop_(seismicFile, &controlBlock, &writeMode, &status);
    if (status != 0)
        return fail(errorWhileExporting(name, dm3dopErrorText(status)));
    scope.fileOpened();

    ZRProgressBarGuard progress(dimz, name, parentProgressId, false);
    gdiSeismicDataSet_t dataSet;
    std::memset(&dataSet, 0, sizeof dataSet);
    status = 0;
    dm3dgetGdiStruct_(seismicFile, &dataSet, &status);
    if (status != 0)
        return fail(errorWhileExporting(name, QStringLiteral("Seismic data set not found")));
    reported.setTarget(QStringLiteral("dataSetId"), dataSet.id);

    {
        const int option = 2;
        const int step = 1;
        const int firstX = controlBlock.firstX;
        const int lastX = controlBlock.lastX;
        std::vector<char> workBuffer(DM3D_WORK_BUFFER_SIZE);
        status = 0;
        dm3dnx_(&controlBlock, &option, &firstX, &lastX, &step, workBuffer.data(), &status);
        if (status != 0)
            return fail(errorWhileExporting(name, QStringLiteral("internal cache error %1").arg(status)));
    }

    // The frames, one trace per dm3dtr_ call, straight from the frame in trace order.
    TraceFrames frames(*volume, skipsMissingValues(volume->dataSize()));
    if (!frames.allocate())
        return fail(errorWhileExporting(name, QStringLiteral("not enough memory for a frame")));
    float minimum = std::numeric_limits<float>::infinity();
    float maximum = -std::numeric_limits<float>::infinity();
    const int firstSample = 1;
    const int lastSample = dimy;
    const int step = 1;
    const int option = 0;
    const float scale = 0.0f;
    qint64 tracesWritten = 0;
    int framesWritten = 0;
    bool cancelled = false;
    for (int k = 0; k < dimz; ++k) {
        if (progress.isCancelled()) {
            cancelled = true;
            break;
        }
        const float* traces = frames.frame(k, &minimum, &maximum);
        if (!traces)
            return fail(errorWhileExporting(name, QStringLiteral("frame %1 of the volume cannot be read").arg(k)));
        const int y = controlBlock.firstY + k;
        for (int t = 0; t < dimx; ++t) {
            const int x = controlBlock.firstX + t;
            int flags = 0;
            status = 0;
            dm3dtr_(&controlBlock, &x, &y, &firstSample, &lastSample, &step, &option,
                    const_cast<float*>(traces + size_t(t) * size_t(dimy)), &scale, &status, &flags);
            if (status != 0) {
                reported.showMessage(
                    Kind::Critical, QStringLiteral("Error"),
                    QStringLiteral("Error occurred during export of %1: %2.").arg(name, dm3dtrErrorText(status)));
                reported.setCount(QStringLiteral("tracesWritten"), double(tracesWritten));
                return OwSurveyRecord();
            }
            ++tracesWritten;
        }
        ++framesWritten;
        progress.increment(1);
    }
    reported.setCount(QStringLiteral("tracesWritten"), double(tracesWritten));
    reported.setCount(QStringLiteral("framesWritten"), framesWritten);
    if (cancelled) {
        reported.recordMessage(QStringLiteral("Cancelled after %1 of %2 frames: the survey and its data set were "
                                              "removed.")
                                   .arg(framesWritten)
                                   .arg(dimz));
        reported.setOutcome(ZRTransferReport::Cancelled);
        result = VolumeExportOutcome::Cancelled;
        return OwSurveyRecord();
    }
    status = scope.closeFile();
    if (status != 0)
        return fail(
            errorWhileExporting(name, QStringLiteral("the seismic file cannot be closed (status %1)").arg(status)));

    // The data set record: value range, vertical axis, units.
    double dataMin = volume->minValueBlock();
    double dataMax = volume->maxValueBlock();
    if (dataMin == ZRBloc::NoValue || dataMax == ZRBloc::NoValue) {
        dataMin = minimum <= maximum ? double(minimum) : ZRBloc::NoValue;
        dataMax = minimum <= maximum ? double(maximum) : ZRBloc::NoValue;
    }
    dataSet.dataMin = dataMin;
    dataSet.dataMax = dataMax;
    dataSet.verticalStart = verticalStart;
    dataSet.firstSampleValue = verticalStart;
    dataSet.sampleInterval = sampleInterval;
    dataSet.sampleCount = dimy;
    owSetText(dataSet.unit, verticalAbbreviation.toLatin1());
    dataSet.nullValue = ZRBloc::NoValue;
    status = gdiUpdate(GDI_CLASS_SEISMIC_DATA_SET, &dataSet);
    if (status == 0)
        status = gdiCommit();
    if (status != 0)
        return fail(errorWhileExporting(name, owErrorText(status)));
    scope.keep();

    if (ZRTransferReport::Item* item = reported.item()) {
        item->valueRange = QJsonObject();
        item->valueRange.insert(QStringLiteral("min"), dataMin);
        item->valueRange.insert(QStringLiteral("max"), dataMax);
        item->counts.insert(QStringLiteral("framesReadAsStored"), frames.readsAsStored() ? 1 : 0);
    }
    reported.setOutcome(ZRTransferReport::Exported);
    result = VolumeExportOutcome::Exported;
    if (context.surveyModel) {
        QString error;
        if (!context.surveyModel->appendSurvey(survey, &error))
            reported.sendMessage(eDrawError, QStringLiteral("Error when reading %1: %2").arg(name, error));
    }
    return copyOf(survey);
}
