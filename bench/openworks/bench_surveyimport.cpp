// Imports a 1 GiB OpenWorks data set into a host volume end to end
// (importSurveys: DevKit trace reads, frame writes), against a baseline that
// reads the same SEG-Y traces with segyio one call per trace, transposes each
// frame from its in-memory image into trace order and writes the same bytes
// frame by frame. The input is in the page cache (read once before timing).
// Each run is a child process of this program, so that its peak memory is its own.

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"
#include "zrexchangecontext.h"
#include "zrobjectheader.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrsurveyimport.h"

#include <segyio/segy.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const int kSamples = 1000;
const int kTracesPerLine = 500;
const char* const kDistrict = "Bench";
const char* const kProject = "BENCH";
const char* const kSurvey = "Bench Survey";
const char* const kDataSet = "Bench Data";

bool openProject(const std::string& home)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0 && prjOpen(kProject, 0, &status) == 0;
}

/// A "TRACE" survey of `lines` lines and its data set of synthetic traces.
bool createDataSet(int lines, std::string* fileName, int* dataSetId)
{
    return createSyntheticDataSet(kSurvey, kDataSet, lines, kTracesPerLine, kSamples, fileName, dataSetId);
}

void readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    std::vector<char> block(8 << 20);
    while (file.read(block.data(), qint64(block.size())) > 0) {
    }
}

/// The child run of the import; prints "seconds peak before".
int runOurs(const QStringList& arguments)
{
    const std::string home = arguments.value(0).toStdString();
    const QString hostPath = arguments.value(1);
    if (!openProject(home))
        return 1;
    ZRProject project(hostPath);
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.ui = &ui;
    SurveyImportRequest request;
    request.survey = kSurvey;
    request.sdsName = kDataSet;
    request.fileName = arguments.value(2);
    request.domain = "TIME";
    request.units = "ms";
    request.seismicDataSetId = arguments.value(3).toInt();
    const std::uint64_t before = bench::residentBytes();
    int imported = 0;
    const double seconds = bench::secondsOf([&] { imported = importSurveys(context, {request}); });
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    prjClose();
    gdiClose();
    if (imported != 1)
        return 1;
    std::printf("%.6f %llu %llu\n", seconds, static_cast<unsigned long long>(bench::peakResidentBytes()),
                static_cast<unsigned long long>(before));
    return 0;
}

/// The child run of the baseline: segyio one trace per call into the frame's
/// image (dimy rows of dimx samples), a plain transposition into trace order,
/// one positioned write per frame at the volume's data offset. With `direct`
/// (a leaner reference) each trace is read straight into its place in trace
/// order and nothing is transposed.
int runBaseline(const QStringList& arguments, bool direct)
{
    const QString input = arguments.value(0);
    const QString output = arguments.value(1);
    const qint64 dataOffset = arguments.value(2).toLongLong();
    const std::uint64_t before = bench::residentBytes();
    bool ok = true;
    const double seconds = bench::secondsOf([&] {
        segy_file* fp = segy_open(QFile::encodeName(input).constData(), "rb");
        if (!fp) {
            ok = false;
            return;
        }
        char binary[SEGY_BINARY_HEADER_SIZE];
        segy_binheader(fp, binary);
        const long trace0 = segy_trace0(binary);
        const int samples = segy_samples(binary);
        const int bsize = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, samples);
        int traces = 0;
        segy_traces(fp, &traces, trace0, bsize);
        const int lines = traces / kTracesPerLine;
        const int fd = ::open(QFile::encodeName(output).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        std::vector<float> trace(static_cast<size_t>(samples));
        std::vector<float> image(size_t(samples) * kTracesPerLine);
        std::vector<float> frame(image.size());
        const size_t frameBytes = frame.size() * sizeof(float);
        for (int line = 0; line < lines && ok && fd >= 0; ++line) {
            if (direct) {
                for (int i = 0; i < kTracesPerLine; ++i) {
                    float* slot = frame.data() + size_t(i) * size_t(samples);
                    ok = ok && segy_readtrace(fp, line * kTracesPerLine + i, slot, trace0, bsize) == SEGY_OK;
                    segy_to_native(SEGY_IEEE_FLOAT_4_BYTE, samples, slot);
                }
                ok = ok && ::pwrite(fd, frame.data(), frameBytes, off_t(dataOffset + qint64(line) * qint64(frameBytes)))
                               == ssize_t(frameBytes);
                continue;
            }
            for (int i = 0; i < kTracesPerLine; ++i) {
                ok = ok && segy_readtrace(fp, line * kTracesPerLine + i, trace.data(), trace0, bsize) == SEGY_OK;
                segy_to_native(SEGY_IEEE_FLOAT_4_BYTE, samples, trace.data());
                for (int j = 0; j < samples; ++j)
                    image[size_t(j) * kTracesPerLine + size_t(i)] = trace[size_t(j)];
            }
            for (int i = 0; i < kTracesPerLine; ++i)
                for (int j = 0; j < samples; ++j)
                    frame[size_t(i) * size_t(samples) + size_t(j)] = image[size_t(j) * kTracesPerLine + size_t(i)];
            ok = ok && ::pwrite(fd, frame.data(), frameBytes, off_t(dataOffset + qint64(line) * qint64(frameBytes)))
                           == ssize_t(frameBytes);
        }
        ok = ok && fd >= 0;
        if (fd >= 0)
            ::close(fd);
        segy_close(fp);
    });
    if (!ok)
        return 1;
    std::printf("%.6f %llu %llu\n", seconds, static_cast<unsigned long long>(bench::peakResidentBytes()),
                static_cast<unsigned long long>(before));
    return 0;
}

struct ChildResult
{
    bool ok = false;
    double seconds = 0.0;
    double peakMiB = 0.0;
    double beforeMiB = 0.0;
};

ChildResult runChild(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    ChildResult result;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return result;
    const QStringList fields = QString::fromLatin1(process.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    if (fields.size() != 3)
        return result;
    result.ok = true;
    result.seconds = fields[0].toDouble();
    result.peakMiB = fields[1].toDouble() / double(1 << 20);
    result.beforeMiB = fields[2].toDouble() / double(1 << 20);
    return result;
}

/// Compares the frames of the volume with the baseline's file from dataOffset on.
bool sameFrames(const QString& volumePath, const QString& baselinePath, qint64 dataOffset)
{
    QFile volume(volumePath), baseline(baselinePath);
    if (!volume.open(QIODevice::ReadOnly) || !baseline.open(QIODevice::ReadOnly) || volume.size() != baseline.size())
        return false;
    volume.seek(dataOffset);
    baseline.seek(dataOffset);
    std::vector<char> a(8 << 20), b(8 << 20);
    for (;;) {
        const qint64 n = volume.read(a.data(), qint64(a.size()));
        const qint64 m = baseline.read(b.data(), qint64(b.size()));
        if (n != m || n < 0)
            return false;
        if (n == 0)
            return true;
        if (std::memcmp(a.data(), b.data(), size_t(n)) != 0)
            return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == "--ours")
        return runOurs(arguments.mid(2));
    if (arguments.value(1) == "--baseline" || arguments.value(1) == "--baseline-direct")
        return runBaseline(arguments.mid(2), arguments.value(1) == "--baseline-direct");

    const QString folder = bench::workFolder("surveyimport");
    // The data set, the imported volume and the baseline's output.
    const std::uint64_t bytes = bench::sizeForDisk(folder, 1ULL << 30, 3);
    if (bytes == 0)
        return 1;
    const qint64 frameBytes = qint64(kTracesPerLine) * kSamples * 4;
    const int lines = std::max(1, int(bytes / std::uint64_t(frameBytes)));
    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
        || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!openProject(home)) {
        std::fprintf(stderr, "cannot open the benchmark project\n");
        return 1;
    }
    std::printf("data set: %d lines x %d traces x %d samples (%.2f GiB of samples, frames of %.2f MiB)\n", lines,
                kTracesPerLine, kSamples, double(frameBytes) * lines / double(1ULL << 30),
                double(frameBytes) / double(1 << 20));
    std::fflush(stdout);
    std::string fileName;
    int dataSetId = 0;
    if (!createDataSet(lines, &fileName, &dataSetId)) {
        std::fprintf(stderr, "cannot write the data set\n");
        return 1;
    }
    prjClose();
    gdiClose();
    QString hostError;
    if (!ZRProject::createEmptyProject(folder, "Host", &hostError)) {
        std::fprintf(stderr, "%s\n", qPrintable(hostError));
        return 1;
    }
    const QString hostPath = folder + "/Host";
    const QString volumePath = ZRProject(hostPath).directoryForType(ZRProject::VolumeType) + "/" + kDataSet;
    const QString baselinePath = folder + "/baseline.bin";
    const QString inputPath = QString::fromStdString(home) + "/" + kDistrict + "/data/" + QString::fromStdString(fileName);
    readWholeFile(inputPath);

    const QStringList oursArguments{"--ours", QString::fromStdString(home), hostPath, QString::fromStdString(fileName),
                                    QString::number(dataSetId)};
    // A first, untimed import gives the volume's data offset (the same for every run).
    QFile::remove(volumePath);
    if (!runChild(oursArguments).ok) {
        std::fprintf(stderr, "the import failed\n");
        return 1;
    }
    const qint64 dataOffsetOfHeader = ZRObjectHeader::dataOffset(volumePath);
    // Rounds alternate which of ours and the baseline runs first.
    bench::RoundRatios versusBaseline;
    versusBaseline.name = "survey import 1 GiB, ours vs segyio baseline";
    bench::RoundRatios versusDirect;
    versusDirect.name = "survey import 1 GiB, ours vs segyio direct reads without transposition";
    double peakMiB = 0.0;
    double beforeMiB = 0.0;
    double baselinePeakMiB = 0.0;
    const int rounds = bench::roundsFromEnvironment(5);
    for (int r = 0; r < rounds; ++r) {
        qint64 dataOffset = -1;
        ChildResult ours;
        ChildResult baseline;
        const auto runOursOnce = [&] {
            QFile::remove(volumePath);
            ours = runChild(oursArguments);
            dataOffset = ours.ok ? ZRObjectHeader::dataOffset(volumePath) : -1;
        };
        const auto runBaselineOnce = [&] {
            QFile::remove(baselinePath);
            // The baseline writes at the same data offset as ours (the header is the same for every run).
            baseline = runChild({"--baseline", inputPath, baselinePath, QString::number(dataOffsetOfHeader)});
        };
        if (r % 2 == 0) {
            runOursOnce();
            runBaselineOnce();
        } else {
            runBaselineOnce();
            runOursOnce();
        }
        if (!ours.ok || !baseline.ok || dataOffset != dataOffsetOfHeader) {
            std::fprintf(stderr, "the import or the baseline failed\n");
            return 1;
        }
        const bool sameAsBaseline = sameFrames(volumePath, baselinePath, dataOffset);
        QFile::remove(baselinePath);
        const ChildResult direct =
            runChild({"--baseline-direct", inputPath, baselinePath, QString::number(dataOffset)});
        if (!direct.ok || !sameAsBaseline || !sameFrames(volumePath, baselinePath, dataOffset)) {
            std::fprintf(stderr, "the baselines failed or wrote other frames\n");
            return 1;
        }
        for (bench::RoundRatios* result : {&versusBaseline, &versusDirect}) {
            const double other = result == &versusBaseline ? baseline.seconds : direct.seconds;
            result->oursSeconds.push_back(ours.seconds);
            result->baselineSeconds.push_back(other);
            result->ratios.push_back(other / ours.seconds);
        }
        std::printf("round %d: ours %.3f s (peak %.1f MiB), baseline %.3f s (peak %.1f MiB), direct reads %.3f s\n",
                    r + 1, ours.seconds, ours.peakMiB, baseline.seconds, baseline.peakMiB, direct.seconds);
        std::fflush(stdout);
        peakMiB = std::max(peakMiB, ours.peakMiB);
        beforeMiB = std::max(beforeMiB, ours.beforeMiB);
        baselinePeakMiB = std::max(baselinePeakMiB, baseline.peakMiB);
    }
    std::printf("frames equal to the baselines': yes\n");
    const double frameMiB = double(frameBytes) / double(1 << 20);
    const double limitMiB = 2.0 * frameMiB + 32.0;
    bench::reportRounds(versusBaseline, 2.0);
    bench::reportRounds(versusDirect);
    bench::report("survey import peak resident memory (largest round)", peakMiB, "MiB");
    bench::report("survey import resident memory before the import", beforeMiB, "MiB");
    bench::report("baseline peak resident memory", baselinePeakMiB, "MiB");
    std::printf("memory limit (two frames + 32 MiB): %.1f MiB, peak %s\n", limitMiB,
                peakMiB < limitMiB ? "under it" : "ABOVE it");
    std::printf("throughput (medians): ours %.0f MiB/s, baseline %.0f MiB/s\n",
                double(frameBytes) * lines / double(1 << 20) / versusBaseline.medianOurs(),
                double(frameBytes) * lines / double(1 << 20) / versusBaseline.medianBaseline());
    QDir(folder).removeRecursively();
    return 0;
}
