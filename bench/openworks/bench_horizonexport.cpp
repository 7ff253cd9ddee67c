// Exports 20 host horizons of 2,000 x 2,000 nodes into an existing OpenWorks
// survey end to end (exportHorizons: each horizon file loaded, its nodes
// placed on the survey's lines and traces, hrzcrt_, hrzhdr_plus_, one hrzrw_,
// the catalogue record, gdiCommit) against a baseline that writes the same
// survey grids, already in memory, with one hrzrw_ each (hrzcrt_, hrzrw_,
// hrzhdr_plus_, gdiCommit). Ours and the baseline alternate over several
// rounds; before each run the horizons of the previous run are deleted.
// Peak memory is measured in child processes exporting a few and all of the
// horizons.
//
//   bench_horizonexport [--horizons N] [--size NODES_PER_SIDE] [--ours-once]
//   (DATALINK_BENCH_DIR, DATALINK_BENCH_ROUNDS; --ours-once runs the export once, for profiling)

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "unittable.h"
#include "zr3dhorizon.h"
#include "zrexchangecontext.h"
#include "zrhorizonexport.h"
#include "zrhostitemlist.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrtransferreport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>

#include <atomic>
#include <chrono>
#include <thread>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const char* const kDistrict = "Bench";
const char* const kProject = "BENCH";
const char* const kSurvey = "Bench Survey";
constexpr double kSpacing = 12.5;
constexpr double kAngle = 20.0 * 3.14159265358979323846 / 180.0;
constexpr double kOriginX = 420000.0;
constexpr double kOriginY = 6700000.0;

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

/// Map position of trace t (1-based) of line l of the survey.
void mapOf(double line, double trace, double* x, double* y)
{
    const double t = trace - 1.0;
    const double l = line - 1.0;
    *x = kOriginX + kSpacing * (t * std::cos(kAngle) - l * std::sin(kAngle));
    *y = kOriginY + kSpacing * (t * std::sin(kAngle) + l * std::cos(kAngle));
}

/// The value of horizon h at node (trace index i, line index j); a few nodes null.
float valueOf(int h, int i, int j)
{
    if ((j + 3 * i + h) % 211 == 0)
        return -9999.0f;
    return float(800.0 + 10.0 * h + 60.0 * std::sin(i * 0.01) * std::cos(j * 0.013));
}

/// A "TRACE" survey of size x size nodes, 12.5 m apart, rotated by 20 degrees.
bool seedSurvey(int size)
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
    mapOf(1, 1, &survey.corner[0], &survey.corner[1]);
    mapOf(size, 1, &survey.corner[2], &survey.corner[3]);
    mapOf(size, size, &survey.corner[4], &survey.corner[5]);
    mapOf(1, size, &survey.corner[6], &survey.corner[7]);
    return gdiAdd(GDI_CLASS_3D_SURVEY, &survey) == 0 && gdiCommit() == 0;
}

/// Host horizon h on the survey's grid: node (i, 0, j) at trace i + 1 of line j + 1.
bool writeHostHorizon(const QString& path, int h, int size)
{
    georef::BlocSpace geometry(size, 1, size);
    double x0 = 0, y0 = 0, xi = 0, yi = 0, xj = 0, yj = 0;
    mapOf(1, 1, &x0, &y0);
    mapOf(1, 2, &xi, &yi);
    mapOf(2, 1, &xj, &yj);
    georef::Matrix4::Values world{};
    world[0] = xi - x0;
    world[2] = xj - x0;
    world[3] = x0;
    world[5] = 1.0;
    world[8] = yi - y0;
    world[10] = yj - y0;
    world[11] = y0;
    world[15] = 1.0;
    geometry.setFromBlocToWorldMatrix(georef::Matrix4(world));
    ZR3DHorizon horizon;
    if (!horizon.beginPoints(geometry, 3))
        return false;
    std::vector<core::vec3> row(static_cast<std::size_t>(size));
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i)
            row[std::size_t(i)] = core::vec3(x0 + world[0] * i + world[2] * j, double(valueOf(h, i, j)),
                                             y0 + world[8] * i + world[10] * j);
        horizon.addPoints(row.data(), row.size());
    }
    horizon.finishPoints();
    return horizon.write(path);
}

/// The survey grid the export makes of horizon h (rows of lines, traces fastest, 1.0e37 for null).
std::vector<float> surveyGridOf(int h, int size)
{
    std::vector<float> grid(std::size_t(size) * std::size_t(size));
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const float value = valueOf(h, i, j);
            grid[std::size_t(j) * std::size_t(size) + std::size_t(i)] = value == -9999.0f ? 1.0e37f : value;
        }
    return grid;
}

/// Deletes every horizon of the project (those of the previous run).
bool deleteHorizons()
{
    int count = 0;
    void* list = nullptr;
    std::vector<int> ids;
    if (gdiReadSet(GDI_CLASS_HORIZON_CATALOG, &count, &list) == 0 && list)
        for (int i = 0; i < count; ++i)
            ids.push_back(static_cast<gdiHorizonCatalog_t*>(list)[i].id);
    if (list)
        gdiFree(list);
    for (int id : ids) {
        int status = 0;
        hrzdel_(&id, &status);
        if (status != 0)
            return false;
    }
    return gdiCommit() == 0;
}

int runOurs(const QString& hostPath, const QStringList& files, bool withReport)
{
    ZRProject project(hostPath);
    ZRScriptedExchangeUi ui;
    ZRHostItemList items;
    QList<SurveyAssociation> associations;
    for (const QString& file : files)
        associations.append({items.addFile(file, ZRProject::HorizonType), SurveyOrigin::OpenWorksSurvey, kSurvey});
    ui.surveyAnswers.enqueue(associations);
    ZRTransferReport report;
    ZRExchangeContext context;
    context.project = &project;
    context.ui = &ui;
    context.report = withReport ? &report : nullptr;
    const int exported = exportHorizons(context, items.items());
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    return exported;
}

/// hrzcrt_, hrzrw_ (the grid in memory), hrzhdr_plus_ and gdiCommit per horizon.
bool runBaseline(const std::vector<std::vector<float>>& grids)
{
    int status = 0;
    int type = 3;
    const int length = int(std::strlen(kSurvey));
    prjin2_(&status, &type, kSurvey, &length);
    int firstLine = 0, firstTrace = 0, lastLine = 0, lastTrace = 0, handle = 0;
    if (status == 0)
        srvbnd_(&type, &firstLine, &firstTrace, &lastLine, &lastTrace, &status);
    const float null = 1.0e37f;
    if (status == 0)
        hrzopn_(&status, kSurvey, &firstLine, &lastLine, &firstTrace, &lastTrace, &null, &handle);
    bool ok = status == 0;
    const int columns = lastTrace - firstTrace + 1;
    for (std::size_t h = 0; ok && h < grids.size(); ++h) {
        int id = 0;
        const int option = 1, headerOption = 2, write = 0;
        hrzcrt_(&option, &id, &status);
        if (status == 0)
            hrzrw_(&id, &write, &status, &firstLine, &lastLine, &firstTrace, &lastTrace,
                   const_cast<float*>(grids[h].data()), &columns);
        const char block[12] = {};
        const float low = 700.0f, high = 1100.0f;
        const std::string name = "baseline " + std::to_string(h);
        if (status == 0)
            hrzhdr_plus_(&id, &headerOption, name.c_str(), "LGC", "TIME_STRUCTURE", "UNKNOWN", &option, &low, &high,
                         block, &status);
        ok = status == 0 && gdiCommit() == 0;
    }
    int closed = 0;
    hrzcls_(&closed);
    const int zero = 0;
    prjend_(&type, &zero);
    return ok;
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
    const QStringList files = arguments.mid(3);
    if (!openProject(home))
        return 1;
    const std::uint64_t before = bench::residentBytes();
    const std::uint64_t anonymousBefore = anonymousResidentBytes();
    bool ok = false;
    std::uint64_t anonymousPeak = 0;
    {
        AnonymousPeak sampler;
        ok = runOurs(hostPath, files, false) == files.size();
        anonymousPeak = sampler.stop();
    }
    deleteHorizons();
    closeProject();
    if (!ok)
        return 1;
    std::printf("%llu %llu %llu %llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()),
                static_cast<unsigned long long>(before), static_cast<unsigned long long>(anonymousPeak),
                static_cast<unsigned long long>(anonymousBefore));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("--memory-ours"))
        return memoryChild(arguments.mid(1));

    int count = argumentValue(arguments, "--horizons", 20);
    const int size = argumentValue(arguments, "--size", 2000);
    const QString folder = bench::workFolder("horizonexport");
    // The host files (about 29 bytes per node with the display mesh) and the
    // store's grids of ours and of the baseline (4 bytes per node each).
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
    if (!openProject(home) || !seedSurvey(size)) {
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
    QDir().mkpath(horizonFolder);
    QStringList files;
    qint64 hostBytes = 0;
    std::vector<std::vector<float>> grids;
    const double writing = bench::secondsOf([&] {
        for (int h = 0; h < count; ++h) {
            const QString path = horizonFolder + QStringLiteral("/Horizon %1").arg(h + 1);
            if (!writeHostHorizon(path, h, size)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                std::exit(1);
            }
            files.append(path);
            hostBytes += QFileInfo(path).size();
            grids.push_back(surveyGridOf(h, size));
        }
    });
    std::printf("%d horizons of %d x %d nodes: host files %.1f MiB in all (%.1f bytes per node), written in %.1f s; "
                "the store's grid %.1f MiB each\n",
                count, size, size, double(hostBytes) / double(1 << 20),
                double(hostBytes) / (double(count) * size * size), writing, double(size) * size * 4 / double(1 << 20));
    std::fflush(stdout);

    bool ok = true;
    if (arguments.contains(QStringLiteral("--ours-once"))) {
        const double seconds = bench::secondsOf([&] { ok = runOurs(hostPath, files, false) == count; });
        std::printf("ours once: %.3f s\n", seconds);
        closeProject();
        QDir(folder).removeRecursively();
        return ok ? 0 : 1;
    }
    const bench::RoundRatios rounds = bench::alternateRounds(
        QStringLiteral("horizon export %1 x %2x%3").arg(count).arg(size).arg(size), bench::roundsFromEnvironment(3),
        false, [&] { ok = ok && runOurs(hostPath, files, false) == count; }, [&] { ok = ok && runBaseline(grids); },
        [&] { ok = ok && deleteHorizons(); });
    if (!ok) {
        std::fprintf(stderr, "the export or the baseline failed\n");
        return 1;
    }
    bench::reportRounds(rounds, 2.0);
    deleteHorizons();
    const double withReport = bench::secondsOf([&] { ok = ok && runOurs(hostPath, files, true) == count; });
    std::printf("with a run report (sha256 of every source file): %.3f s (ratio %.2f to the baseline's median)\n",
                withReport, withReport / rounds.medianBaseline());
    deleteHorizons();
    grids.clear();
    grids.shrink_to_fit();
    closeProject();

    // Peak memory in child processes: a few horizons and all of them.
    for (int horizons : {std::min(2, count), count}) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(),
                      QStringList{"--memory-ours", QString::fromStdString(home), hostPath} + files.mid(0, horizons));
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            std::fprintf(stderr, "a memory run failed\n");
            return 1;
        }
        const QStringList fields = QString::fromLatin1(process.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
        if (fields.size() == 4)
            std::printf("exporting %d horizons: peak resident %.1f MiB (+%.1f MiB during the export, the DevKit's "
                        "mapped database pages included); peak anonymous growth %.1f MiB (one grid is %.1f MiB)\n",
                        horizons, fields[0].toDouble() / double(1 << 20),
                        (fields[0].toDouble() - fields[1].toDouble()) / double(1 << 20),
                        (fields[2].toDouble() - fields[3].toDouble()) / double(1 << 20),
                        double(size) * size * 4 / double(1 << 20));
    }
    QDir(folder).removeRecursively();
    return 0;
}
