// Imports 20 OpenWorks horizons of 2,000 x 2,000 nodes end to end
// (importHorizons: hrzrw_ reads, node checks, map positions, ZR3DHorizon files
// written under temporary names) against a baseline that reads the same grids
// with one hrzrw_ each and writes the same nodes as raw floats, one write per
// horizon. Ours and the baseline alternate over several rounds; a second set
// of rounds compares ours with the same reads followed by writes of as many
// bytes as the host files hold, to separate the file layout's share. Peak memory
// is measured in child processes importing 2 and all horizons, to show that it
// does not grow with the number of horizons.
//
//   bench_horizonimport [--horizons N] [--size NODES_PER_SIDE] [--ours-once]
//   (DATALINK_BENCH_DIR, DATALINK_BENCH_ROUNDS; --ours-once runs the import once, for profiling)

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zrexchangecontext.h"
#include "zrhorizonimport.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
const char* const kDistrict = "Bench";
const char* const kProject = "BENCH";
const char* const kSurvey = "Bench Survey";

bool openProject(const std::string& home)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0 && prjOpen(kProject, 0, &status) == 0;
}

void closeProject()
{
    prjClose();
    gdiClose();
}

/// Opens the benchmark survey's 3D project and horizon subsystem for a scope.
class SurveyScope
{
public:
    SurveyScope()
    {
        int status = 0, type = 3;
        const int length = int(std::strlen(kSurvey));
        prjin2_(&status, &type, kSurvey, &length);
        if (status == 0)
            srvbnd_(&type, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
        const float null = 1.0e37f;
        int handle = 0;
        if (status == 0)
            hrzopn_(&status, kSurvey, &firstLine, &lastLine, &firstTrace, &lastTrace, &null, &handle);
        ok = status == 0;
    }
    ~SurveyScope()
    {
        int status = 0;
        hrzcls_(&status);
        const int type = 3, zero = 0;
        prjend_(&type, &zero);
    }
    int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0;
    bool ok = false;
};

/// A "TRACE" survey of size x size nodes, 12.5 m apart, and `count` time
/// horizons on it (a few nodes missing), committed.
bool seed(int size, int count)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    setRecordText(survey.name, kSurvey);
    setRecordText(survey.orientation, "TRACE");
    survey.firstLine = 1;
    survey.lastLine = size;
    survey.firstTrace = 1;
    survey.lastTrace = size;
    survey.lineCount = size;
    survey.traceCount = size;
    const double extent = 12.5 * (size - 1);
    const double x0 = 420000.0, y0 = 6700000.0;
    const double corners[8] = {x0, y0, x0, y0 + extent, x0 + extent, y0 + extent, x0 + extent, y0};
    std::memcpy(survey.corner, corners, sizeof corners);
    if (gdiAdd(GDI_CLASS_3D_SURVEY, &survey) != 0)
        return false;
    SurveyScope scope;
    if (!scope.ok)
        return false;
    std::vector<float> grid(std::size_t(size) * std::size_t(size));
    for (int h = 0; h < count; ++h) {
        int status = 0, id = 0;
        const int option = 1, headerOption = 2, write = 0;
        hrzcrt_(&option, &id, &status);
        float low = 1e30f, high = -1e30f;
        for (int l = 0; l < size; ++l)
            for (int t = 0; t < size; ++t) {
                const float value = float(800.0 + 10.0 * h + 60.0 * std::sin(t * 0.01) * std::cos(l * 0.013));
                const bool missing = (l + 3 * t + h) % 211 == 0;
                grid[std::size_t(l) * std::size_t(size) + std::size_t(t)] = missing ? 1.0e37f : value;
                if (!missing) {
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
            }
        if (status == 0)
            hrzrw_(&id, &write, &status, &scope.firstLine, &scope.lastLine, &scope.firstTrace, &scope.lastTrace,
                   grid.data(), &size);
        const char block[12] = {};
        const std::string name = "Horizon " + std::to_string(h + 1);
        if (status == 0)
            hrzhdr_plus_(&id, &headerOption, name.c_str(), "BENCH", "TIME_STRUCTURE", "1", &option, &low, &high, block,
                         &status);
        if (status != 0 || gdiCommit() != 0)
            return false;
    }
    return true;
}

/// The requests of the first `count` horizons, and their grid ids.
QVector<HorizonImportRequest> requestsOf(int count, std::vector<int>* gridIds)
{
    QVector<HorizonImportRequest> requests;
    for (int h = 0; h < count; ++h) {
        HorizonImportRequest request;
        request.displayName = QStringLiteral("Horizon %1").arg(h + 1);
        request.attribute = QStringLiteral("TIME_STRUCTURE");
        int total = 0;
        void* list = nullptr;
        if (gdiReadSet(GDI_CLASS_HORIZON_CATALOG, &total, &list) == 0)
            for (int i = 0; i < total; ++i) {
                const auto& record = static_cast<gdiHorizonCatalog_t*>(list)[i];
                if (QString::fromLatin1(record.name) == request.displayName)
                    request.horizonId = record.id;
            }
        gdiFree(list);
        requests.append(request);
        if (gridIds)
            gridIds->push_back(request.horizonId);
    }
    return requests;
}

int runOurs(const QString& hostPath, const QVector<HorizonImportRequest>& requests, bool withReport)
{
    ZRProject project(hostPath);
    ZRScriptedExchangeUi ui;
    ZRTransferReport report;
    ZRExchangeContext context;
    context.project = &project;
    context.ui = &ui;
    context.report = withReport ? &report : nullptr;
    const int imported = importHorizons(context, requests);
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    return imported;
}

/// One hrzrw_ per horizon, the nodes written as raw floats with one write
/// each; or, with `bytesPerHorizon` above 0, each horizon written as that many
/// bytes (its floats repeated, in 4 MiB writes): what writing as many bytes as
/// the host files hold costs on this machine, with no placement, mesh or format.
bool runBaseline(const QString& folder, const std::vector<int>& gridIds, qint64 bytesPerHorizon = 0)
{
    SurveyScope scope;
    if (!scope.ok)
        return false;
    const int columns = scope.lastTrace - scope.firstTrace + 1;
    const int rows = scope.lastLine - scope.firstLine + 1;
    std::vector<float> buffer(std::size_t(columns) * std::size_t(rows));
    const qint64 gridBytes = qint64(buffer.size() * sizeof(float));
    const qint64 total = bytesPerHorizon > 0 ? bytesPerHorizon : gridBytes;
    const qint64 block = bytesPerHorizon > 0 ? std::min<qint64>(qint64(4) << 20, gridBytes) : gridBytes;
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    const int read = 1;
    for (std::size_t h = 0; h < gridIds.size(); ++h) {
        int status = 0;
        hrzrw_(&gridIds[h], &read, &status, &scope.firstLine, &scope.lastLine, &scope.firstTrace, &scope.lastTrace,
               buffer.data(), &columns);
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/raw%1.bin").arg(h));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool written = fd >= 0;
        for (qint64 done = 0; written && done < total;) {
            const std::size_t now = std::size_t(std::min(block, total - done));
            written = ::write(fd, bytes, now) == ssize_t(now);
            done += qint64(now);
        }
        if (fd >= 0)
            ::close(fd);
        if (status != 0 || !written)
            return false;
    }
    return true;
}

void emptyFolder(const QString& path)
{
    QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(name);
}

/// Resident anonymous memory of this process (RssAnon), in bytes: what the
/// process allocated, without the pages of files it maps (the stand-in maps
/// its project database, and those pages count in the total resident size).
std::uint64_t anonymousResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toULongLong() * 1024;
    return 0;
}

/// Samples anonymous resident memory every millisecond while it lives.
class AnonymousPeak
{
public:
    AnonymousPeak()
        : m_thread([this] {
              while (!m_stop) {
                  const std::uint64_t now = anonymousResidentBytes();
                  if (now > m_peak)
                      m_peak = now;
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          })
    {
    }
    ~AnonymousPeak() { stop(); }
    std::uint64_t stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_peak;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_peak{0};
    std::thread m_thread;
};

/// Child run for memory: "peak before anonymousPeak anonymousBefore" in bytes.
int memoryChild(const QStringList& arguments)
{
    const std::string home = arguments.value(1).toStdString();
    const QString hostPath = arguments.value(2);
    const int count = arguments.value(3).toInt();
    if (!openProject(home))
        return 1;
    std::vector<int> gridIds;
    const QVector<HorizonImportRequest> requests = requestsOf(count, &gridIds);
    const std::uint64_t before = bench::residentBytes();
    const std::uint64_t anonymousBefore = anonymousResidentBytes();
    bool ok = false;
    std::uint64_t anonymousPeak = 0;
    {
        AnonymousPeak sampler;
        if (arguments.value(0) == QLatin1String("--memory-ours"))
            ok = runOurs(hostPath, requests, false) == count;
        else
            ok = runBaseline(arguments.value(4), gridIds);
        anonymousPeak = sampler.stop();
    }
    closeProject();
    if (!ok)
        return 1;
    std::printf("%llu %llu %llu %llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()),
                static_cast<unsigned long long>(before), static_cast<unsigned long long>(anonymousPeak),
                static_cast<unsigned long long>(anonymousBefore));
    return 0;
}

struct Memory
{
    bool ok = false;
    double peakMiB = 0.0;
    double growthMiB = 0.0;
    double anonymousGrowthMiB = 0.0;
};

Memory measureMemory(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    Memory memory;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return memory;
    const QStringList fields = QString::fromLatin1(process.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    if (fields.size() != 4)
        return memory;
    memory.ok = true;
    memory.peakMiB = fields[0].toDouble() / double(1 << 20);
    memory.growthMiB = (fields[0].toDouble() - fields[1].toDouble()) / double(1 << 20);
    memory.anonymousGrowthMiB = (fields[2].toDouble() - fields[3].toDouble()) / double(1 << 20);
    return memory;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1).startsWith(QLatin1String("--memory-")))
        return memoryChild(arguments.mid(1));

    int count = argumentValue(arguments, "--horizons", 20);
    int size = argumentValue(arguments, "--size", 2000);
    const QString folder = bench::workFolder("horizonimport");
    // The store's grids, the host files (about 28 bytes per node) and the baseline's raw floats.
    const std::uint64_t perHorizon = std::uint64_t(size) * std::uint64_t(size) * 40;
    const std::uint64_t wanted = perHorizon * std::uint64_t(count);
    const std::uint64_t bytes = bench::sizeForDisk(folder, wanted, 1);
    if (bytes == 0)
        return 1;
    if (bytes < wanted) {
        count = std::max(1, int(bytes / perHorizon));
        std::printf("scaled down to %d horizons\n", count);
    }
    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
        || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!openProject(home) || !seed(size, count)) {
        std::fprintf(stderr, "cannot seed the benchmark project\n");
        return 1;
    }
    QString hostError;
    if (!ZRProject::createEmptyProject(folder, "Host", &hostError)) {
        std::fprintf(stderr, "%s\n", qPrintable(hostError));
        return 1;
    }
    const QString hostPath = folder + "/Host";
    const QString horizonFolder = ZRProject(hostPath).directoryForType(ZRProject::HorizonType);
    const QString baselineFolder = folder + "/baseline";
    QDir().mkpath(baselineFolder);
    std::vector<int> gridIds;
    const QVector<HorizonImportRequest> requests = requestsOf(count, &gridIds);
    std::printf("%d horizons of %d x %d nodes (%.1f MiB of floats each)\n", count, size, size,
                double(size) * size * 4 / double(1 << 20));
    std::fflush(stdout);

    bool ok = true;
    if (arguments.contains(QStringLiteral("--ours-once"))) {
        const double seconds = bench::secondsOf([&] { ok = runOurs(hostPath, requests, false) == count; });
        std::printf("ours once: %.3f s\n", seconds);
        closeProject();
        QDir(folder).removeRecursively();
        return ok ? 0 : 1;
    }
    const bench::RoundRatios rounds = bench::alternateRounds(
        QStringLiteral("horizon import %1 x %2x%3").arg(count).arg(size).arg(size), bench::roundsFromEnvironment(3),
        false, [&] { ok = ok && runOurs(hostPath, requests, false) == count; },
        [&] { ok = ok && runBaseline(baselineFolder, gridIds); },
        [&] {
            emptyFolder(horizonFolder);
            emptyFolder(baselineFolder);
        });
    if (!ok) {
        std::fprintf(stderr, "the import or the baseline failed\n");
        return 1;
    }
    bench::reportRounds(rounds, 2.0);
    emptyFolder(horizonFolder);
    const double withReport = bench::secondsOf([&] { ok = ok && runOurs(hostPath, requests, true) == count; });
    std::printf("with a run report (sha256 of every file written): %.3f s (ratio %.2f to the baseline's median)\n",
                withReport, withReport / rounds.medianBaseline());
    qint64 written = 0;
    for (const QFileInfo& file : QDir(horizonFolder).entryInfoList(QDir::Files))
        written += file.size();
    std::printf("bytes written: host horizon files %.1f MiB, baseline raw floats %.1f MiB (%.1f times as many)\n",
                double(written) / double(1 << 20), double(count) * size * size * 4 / double(1 << 20),
                double(written) / (double(count) * size * size * 4));

    // How much of the difference is the bytes themselves: ours against the
    // baseline's reads followed by writes of as many bytes as each host file.
    const qint64 bytesPerHorizon = written / qint64(std::max(1, count));
    const bench::RoundRatios sameBytes = bench::alternateRounds(
        QStringLiteral("horizon import against a baseline writing as many bytes (%1 MiB per horizon)")
            .arg(double(bytesPerHorizon) / double(1 << 20), 0, 'f', 1),
        bench::roundsFromEnvironment(3), false, [&] { ok = ok && runOurs(hostPath, requests, false) == count; },
        [&] { ok = ok && runBaseline(baselineFolder, gridIds, bytesPerHorizon); },
        [&] {
            emptyFolder(horizonFolder);
            emptyFolder(baselineFolder);
        });
    if (!ok) {
        std::fprintf(stderr, "the import or the same-bytes baseline failed\n");
        return 1;
    }
    bench::reportRounds(sameBytes);
    closeProject();

    // Peak memory in child processes: a few horizons and all of them.
    const double gridMiB = double(size) * size * 4 / double(1 << 20);
    const double limitMiB = 3 * gridMiB + 64.0;
    for (int horizons : {std::min(2, count), std::min(5, count), count}) {
        emptyFolder(horizonFolder);
        const Memory ours = measureMemory({"--memory-ours", QString::fromStdString(home), hostPath,
                                           QString::number(horizons)});
        const Memory baseline = measureMemory({"--memory-baseline", QString::fromStdString(home), hostPath,
                                               QString::number(horizons), baselineFolder});
        if (!ours.ok || !baseline.ok) {
            std::fprintf(stderr, "a memory run failed\n");
            return 1;
        }
        std::printf("importing %d horizons: peak resident ours %.1f MiB (+%.1f MiB during the import), baseline %.1f MiB "
                    "(+%.1f MiB); peak anonymous growth (without the DevKit's mapped database pages) ours %.1f MiB, "
                    "baseline %.1f MiB; limit three grids + 64 MiB = %.1f MiB: ours %s\n",
                    horizons, ours.peakMiB, ours.growthMiB, baseline.peakMiB, baseline.growthMiB,
                    ours.anonymousGrowthMiB, baseline.anonymousGrowthMiB, limitMiB,
                    ours.anonymousGrowthMiB <= limitMiB ? "under it" : "ABOVE it");
    }
    QDir(folder).removeRecursively();
    return 0;
}
