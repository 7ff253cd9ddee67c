// Imports 500 OpenWorks faults of 50 segments of 20 points end to end
// (importFaults: fault plane records, segment subsets, gdiReadVector per
// segment, fault-stick files through the faults library, written under
// temporary names) against a baseline that reads the same vectors with
// gdiReadVector and writes their points raw, one write per fault. Ours and the
// baseline alternate over several rounds.
//
//   bench_faultimport [--faults N] [--segments N] [--points N]    (DATALINK_BENCH_DIR, DATALINK_BENCH_ROUNDS)

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zrexchangecontext.h"
#include "zrfaultimport.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
const char* const kDistrict = "Bench";
const char* const kProject = "BENCH";

bool openProject(const std::string& home)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0 && prjOpen(kProject, 0, &status) == 0;
}

/// `faults` faults, each a fault plane of `segments` segments of `points` points, committed.
bool seed(int faults, int segments, int points, QVector<FaultImportRequest>* requests)
{
    std::vector<double> xyz(std::size_t(points) * 3);
    for (int f = 0; f < faults; ++f) {
        const std::string name = "Fault " + std::to_string(f + 1);
        gdiFault_t fault;
        gdiInitiateObject(GDI_CLASS_FAULT, 1, &fault);
        setRecordText(fault.name, name);
        int status = gdiAdd(GDI_CLASS_FAULT, &fault);
        gdiFaultPlane_t plane;
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
        setRecordText(plane.name, name);
        setRecordText(plane.domain, f % 2 ? "DEPTH" : "TIME");
        plane.faultId = fault.id;
        if (status == 0)
            status = gdiAdd(GDI_CLASS_FAULT_PLANE, &plane);
        for (int s = 0; s < segments && status == 0; ++s) {
            for (int p = 0; p < points; ++p) {
                xyz[std::size_t(p) * 3] = 430000.0 + 40.0 * f + 2.0 * p;
                xyz[std::size_t(p) * 3 + 1] = 6700000.0 + 25.0 * s;
                xyz[std::size_t(p) * 3 + 2] = 300.0 + 50.0 * p + std::sin(f + s);
            }
            gdiFaultSegment_t segment;
            gdiInitiateObject(GDI_CLASS_FAULT_SEGMENT, 1, &segment);
            segment.planeId = plane.id;
            segment.segmentNumber = s + 1;
            segment.pointCount = points;
            segment.points = xyz.data();
            status = gdiAdd(GDI_CLASS_FAULT_SEGMENT, &segment);
        }
        if (status != 0)
            return false;
        FaultImportRequest request;
        request.faultPlaneId = plane.id;
        request.displayName = QString::fromStdString(name);
        requests->append(request);
    }
    return gdiCommit() == 0;
}

int runOurs(const QString& hostPath, const QVector<FaultImportRequest>& requests)
{
    ZRProject project(hostPath);
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.ui = &ui;
    const int imported = importFaults(context, requests);
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    return imported;
}

/// Per fault: its segments (gdiReadSubset), each vector (gdiReadVector), the
/// points written raw with one write.
bool runBaseline(const QString& folder, const QVector<FaultImportRequest>& requests)
{
    gdiSetVectorAccess(GDI_CLASS_FAULT_SEGMENT, 32, 1);
    std::vector<double> points;
    for (const FaultImportRequest& request : requests) {
        gdiFaultPlane_t plane;
        gdiInitiateObject(GDI_CLASS_FAULT_PLANE, 1, &plane);
        plane.id = request.faultPlaneId;
        int count = 0;
        void* list = nullptr;
        if (gdiReadSubset(GDI_CLASS_FAULT_PLANE, &plane, GDI_CLASS_FAULT_SEGMENT, &count, &list) != 0)
            return false;
        points.clear();
        auto* segments = static_cast<gdiFaultSegment_t*>(list);
        for (int s = 0; s < count; ++s) {
            if (gdiReadVector(GDI_CLASS_FAULT_SEGMENT, &segments[s]) != 0)
                return false;
            points.insert(points.end(), segments[s].points, segments[s].points + 3 * segments[s].pointCount);
            gdiReleaseVectors(GDI_CLASS_FAULT_SEGMENT, 1, &segments[s]);
        }
        gdiRelease(GDI_CLASS_FAULT_SEGMENT, count, list);
        const QByteArray path = QFile::encodeName(folder + "/" + request.displayName);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const ssize_t bytes = ssize_t(points.size() * sizeof(double));
        const bool written = fd >= 0 && ::write(fd, points.data(), std::size_t(bytes)) == bytes;
        if (fd >= 0)
            ::close(fd);
        if (!written)
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int faults = argumentValue(arguments, "--faults", 500);
    const int segments = argumentValue(arguments, "--segments", 50);
    const int points = argumentValue(arguments, "--points", 20);
    const QString folder = bench::workFolder("faultimport");
    const std::uint64_t wanted = std::uint64_t(faults) * std::uint64_t(segments) * std::uint64_t(points) * 24 * 4
                                 + std::uint64_t(faults) * 13000;
    if (bench::sizeForDisk(folder, wanted, 1) < wanted) {
        std::printf("not enough free disk for %d faults\n", faults);
        return 1;
    }
    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
        || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QVector<FaultImportRequest> requests;
    if (!openProject(home) || !seed(faults, segments, points, &requests)) {
        std::fprintf(stderr, "cannot seed the benchmark project\n");
        return 1;
    }
    QString hostError;
    if (!ZRProject::createEmptyProject(folder, "Host", &hostError)) {
        std::fprintf(stderr, "%s\n", qPrintable(hostError));
        return 1;
    }
    const QString hostPath = folder + "/Host";
    const QString faultFolder = ZRProject(hostPath).directoryForType(ZRProject::FaultType);
    const QString baselineFolder = folder + "/baseline";
    QDir().mkpath(baselineFolder);
    std::printf("%d faults of %d segments of %d points\n", faults, segments, points);
    std::fflush(stdout);

    bool ok = true;
    const bench::RoundRatios rounds = bench::alternateRounds(
        QStringLiteral("fault import %1 x %2 x %3").arg(faults).arg(segments).arg(points),
        bench::roundsFromEnvironment(5), false, [&] { ok = ok && runOurs(hostPath, requests) == faults; },
        [&] { ok = ok && runBaseline(baselineFolder, requests); },
        [&] {
            emptyFolder(faultFolder);
            emptyFolder(baselineFolder);
        });
    if (!ok) {
        std::fprintf(stderr, "the import or the baseline failed\n");
        return 1;
    }
    bench::reportRounds(rounds, 2.0);
    prjClose();
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
