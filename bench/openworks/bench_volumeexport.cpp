// Exports a 1 GiB host volume end to end (exportVolume: a new survey, the
// data set created and written through the DevKit's seismic calls, one
// dm3dtr_ call per trace), against a baseline that reads the same frames from
// the volume file (readFrame), transposes each into trace order and writes the
// traces with segyio, one header call and one trace call per trace. Ours and
// the baseline run alternately over several rounds, each run in a child
// process of this program so that its peak memory is its own; the volume is
// in the page cache (read once before timing) and the file system is synced
// before each run. The SEG-Y samples of the two are compared at the end.

#include "benchsupport.h"
#include "owdevkit.h"
#include "owguards.h"
#include "owsim.h"
#include "unitobject.h"
#include "zrexchangecontext.h"
#include "zrframetransposer.h"
#include "zrimage.h"
#include "zrproject.h"
#include "zrscriptedexchangeui.h"
#include "zrseismicbloc.h"
#include "zrvolumeexport.h"

#include <segyio/segy.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/resource.h>
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
const char* const kVolumeName = "Bench_Volume";
const char* const kSurveyName = "Bench Volume";

bool openProject(const std::string& home)
{
    owsim::setHomeOverride(home);
    int status = -1;
    return owinit() == 0 && gdiInit() == 0 && prjSetSysDistrict(kDistrict) == 0 && prjOpen(kProject, 0, &status) == 0;
}

/// A float volume of `lines` frames of kTracesPerLine traces of kSamples samples, stored trace by trace.
bool writeVolume(const QString& path, int lines)
{
    georef::BlocSpace space(kTracesPerLine, kSamples, lines);
    const core::vec3 g0(0, 0, 0), g1(kTracesPerLine - 1, 0, 0), g2(0, kSamples, 0), g3(0, 0, lines - 1);
    const double end = kSamples * 4.0;
    space.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(
        g0, g1, g2, g3, {600000.0, 0.0, 7000000.0}, {600000.0 + 25.0 * (kTracesPerLine - 1), 0.0, 7000000.0},
        {600000.0, end, 7000000.0}, {600000.0, 0.0, 7000000.0 + 25.0 * (lines - 1)}));
    space.setFromBlocToSurveyMatrix(georef::BlocSpace::matrixFromFrames(
        g0, g1, g2, g3, {1, 0, 1}, {double(kTracesPerLine), 0, 1}, {1, end, 1}, {1, 0, double(lines)}));
    georef::UnitObject units;
    units.setInitialVerticalUnit(Millisecond);
    units.setCrs(georef::Crs());
    space.setUnitsObject(units);
    ZRSeismicBloc volume(space);
    volume.setFileName(path);
    volume.setWithTransposition(true);
    if (!volume.saveHeader())
        return false;
    const int fd = ZRBloc::openForWriting(path);
    if (fd < 0)
        return false;
    std::vector<float> image(size_t(kTracesPerLine) * kSamples);
    bool ok = true;
    for (int k = 0; k < lines && ok; ++k) {
        for (int j = 0; j < kSamples; ++j)
            for (int i = 0; i < kTracesPerLine; ++i)
                image[size_t(j) * kTracesPerLine + size_t(i)] = float(std::sin(0.01 * j + 0.1 * i + 0.05 * k));
        ok = volume.writeFrame(fd, volume.dataOffset(), k, image.data());
    }
    ZRBloc::closeFile(fd);
    return ok;
}

void readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    std::vector<char> block(8 << 20);
    while (file.read(block.data(), qint64(block.size())) > 0) { }
}

void printPeak(const std::uint64_t before)
{
    std::printf("%llu %llu\n", static_cast<unsigned long long>(bench::peakResidentBytes()),
                static_cast<unsigned long long>(before));
}

/// The child run of the export; prints "peak before" (bytes).
int runOurs(const QStringList& arguments)
{
    if (!openProject(arguments.value(0).toStdString()))
        return 1;
    ZRProject project(arguments.value(1));
    ZRScriptedExchangeUi ui;
    ZRExchangeContext context;
    context.project = &project;
    context.ui = &ui;
    context.unitTable = {};
    const std::uint64_t before = bench::residentBytes();
    VolumeExportOutcome outcome = VolumeExportOutcome::Failed;
    OwSurveyRecord survey = exportVolume(context, arguments.value(2), -1, &outcome);
    for (const auto& message : ui.messages)
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(message.text));
    prjClose();
    gdiClose();
    if (outcome != VolumeExportOutcome::Exported)
        return 1;
    printPeak(before);
    return 0;
}

/// The child run of the baseline: readFrame, transposition into trace order,
/// segyio one header and one trace call per trace.
int runBaseline(const QStringList& arguments)
{
    const std::uint64_t before = bench::residentBytes();
    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(arguments.value(0));
    if (!volume)
        return 1;
    const int dimx = volume->dimx();
    const int dimy = volume->dimy();
    const int dimz = volume->dimz();
    segy_file* fp = segy_open(QFile::encodeName(arguments.value(1)).constData(), "w+b");
    if (!fp)
        return 1;
    char text[SEGY_TEXT_HEADER_SIZE];
    std::memset(text, ' ', sizeof text);
    char binary[SEGY_BINARY_HEADER_SIZE] = {};
    segy_set_bfield(binary, SEGY_BIN_TRACES, dimx);
    segy_set_bfield(binary, SEGY_BIN_INTERVAL, 4000);
    segy_set_bfield(binary, SEGY_BIN_SAMPLES, dimy);
    segy_set_bfield(binary, SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE);
    segy_set_bfield(binary, SEGY_BIN_SORTING_CODE, 4);
    segy_set_bfield(binary, SEGY_BIN_MEASUREMENT_SYSTEM, 1);
    segy_set_bfield(binary, SEGY_BIN_SEGY_REVISION, 0x0100);
    segy_set_bfield(binary, SEGY_BIN_TRACE_FLAG, 1);
    bool ok = segy_write_textheader(fp, 0, text) == SEGY_OK && segy_write_binheader(fp, binary) == SEGY_OK;
    const int traceBytes = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, dimy);
    ZRImage image;
    std::vector<float> traces(size_t(dimx) * size_t(dimy));
    std::vector<float> trace(static_cast<size_t>(dimy));
    for (int k = 0; k < dimz && ok; ++k) {
        ok = volume->readFrame(k, image);
        ZRFrameTransposer::transposeFloats(image.data(), traces.data(), dimy, dimx);
        for (int t = 0; t < dimx && ok; ++t) {
            const int index = k * dimx + t;
            char header[SEGY_TRACE_HEADER_SIZE] = {};
            segy_set_field(header, SEGY_TR_SEQ_LINE, index + 1);
            segy_set_field(header, SEGY_TR_SEQ_FILE, index + 1);
            segy_set_field(header, SEGY_TR_FIELD_RECORD, k + 1);
            segy_set_field(header, SEGY_TR_NUMBER_ORIG_FIELD, t + 1);
            segy_set_field(header, SEGY_TR_TRACE_ID, 1);
            segy_set_field(header, SEGY_TR_SAMPLE_COUNT, dimy);
            segy_set_field(header, SEGY_TR_SAMPLE_INTER, 4000);
            segy_set_field(header, SEGY_TR_INLINE, k + 1);
            segy_set_field(header, SEGY_TR_CROSSLINE, t + 1);
            segy_set_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, -100);
            segy_set_field(header, SEGY_TR_CDP_X, 60000000 + 2500 * t);
            segy_set_field(header, SEGY_TR_CDP_Y, 700000000 + 2500 * k);
            std::memcpy(trace.data(), traces.data() + size_t(t) * size_t(dimy), size_t(dimy) * sizeof(float));
            segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, dimy, trace.data());
            ok = segy_write_traceheader(fp, index, header, SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE, traceBytes)
                    == SEGY_OK
                && segy_writetrace(fp, index, trace.data(), SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE, traceBytes)
                    == SEGY_OK;
        }
    }
    ok = segy_close(fp) == SEGY_OK && ok;
    if (!ok)
        return 1;
    printPeak(before);
    return 0;
}

struct ChildResult
{
    bool ok = false;
    double peakMiB = 0.0;
    double beforeMiB = 0.0;
    double cpuSeconds = 0.0; ///< user + system time of the child
};

double childrenCpuSeconds()
{
    struct rusage usage
    {
    };
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

ChildResult runChild(const QStringList& arguments)
{
    const double cpuBefore = childrenCpuSeconds();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    ChildResult result;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return result;
    const QStringList fields = QString::fromLatin1(process.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    if (fields.size() != 2)
        return result;
    result.ok = true;
    result.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    result.peakMiB = fields[0].toDouble() / double(1 << 20);
    result.beforeMiB = fields[1].toDouble() / double(1 << 20);
    return result;
}

/// Removes the exported survey with its data set and file (untimed, between runs).
bool removeExport()
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, QByteArray(kSurveyName));
    if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0)
        return true;
    OwRecordList<gdiSeismicDataSet_t> dataSets(GDI_CLASS_SEISMIC_DATA_SET);
    dataSets.readSubset(GDI_CLASS_3D_SURVEY, &survey);
    for (int i = 0; i < dataSets.count(); ++i) {
        int status = 0;
        dm3ddl_(dataSets[i].fileName, &status);
    }
    return gdiDelete(GDI_CLASS_3D_SURVEY, &survey) == 0 && gdiCommit() == 0;
}

/// The seismic file of the exported data set (empty when none).
QString exportedFile(const QString& dataFolder)
{
    gdi3dSurvey_t survey;
    gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
    owSetText(survey.name, QByteArray(kSurveyName));
    if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0)
        return QString();
    OwRecordList<gdiSeismicDataSet_t> dataSets(GDI_CLASS_SEISMIC_DATA_SET);
    dataSets.readSubset(GDI_CLASS_3D_SURVEY, &survey);
    return dataSets.count() == 1 ? dataFolder + "/" + owText(dataSets[0].fileName) : QString();
}

/// Whether every trace of both SEG-Y files holds the same samples.
bool sameSamples(const QString& first, const QString& second)
{
    segy_file* a = segy_open(QFile::encodeName(first).constData(), "rb");
    segy_file* b = segy_open(QFile::encodeName(second).constData(), "rb");
    bool same = a && b;
    char binary[SEGY_BINARY_HEADER_SIZE];
    int samples = 0, traces = 0, otherTraces = 0;
    long trace0 = 0;
    if (same) {
        same = segy_binheader(a, binary) == SEGY_OK;
        samples = segy_samples(binary);
        trace0 = segy_trace0(binary);
        same = same && segy_traces(a, &traces, trace0, samples * 4) == SEGY_OK;
        char other[SEGY_BINARY_HEADER_SIZE];
        same = same && segy_binheader(b, other) == SEGY_OK && segy_samples(other) == samples
            && segy_traces(b, &otherTraces, segy_trace0(other), samples * 4) == SEGY_OK && traces == otherTraces;
    }
    std::vector<float> x(size_t(std::max(1, samples))), y(x.size());
    for (int i = 0; same && i < traces; ++i) {
        same = segy_readtrace(a, i, x.data(), trace0, samples * 4) == SEGY_OK
            && segy_readtrace(b, i, y.data(), trace0, samples * 4) == SEGY_OK
            && std::memcmp(x.data(), y.data(), x.size() * sizeof(float)) == 0;
    }
    if (a)
        segy_close(a);
    if (b)
        segy_close(b);
    return same;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == "--ours")
        return runOurs(arguments.mid(2));
    if (arguments.value(1) == "--baseline")
        return runBaseline(arguments.mid(2));

    const QString folder = bench::workFolder("volumeexport");
    // The volume, the exported seismic file and the baseline's file.
    const std::uint64_t bytes = bench::sizeForDisk(folder, 1ULL << 30, 3);
    if (bytes == 0)
        return 1;
    const qint64 frameBytes = qint64(kTracesPerLine) * kSamples * 4;
    const int lines = std::max(2, int(bytes / std::uint64_t(frameBytes)));
    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, kDistrict, false, &error)
        || !owsim::createProject(home, kDistrict, kProject, owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QString hostError;
    if (!ZRProject::createEmptyProject(folder, "Host", &hostError)) {
        std::fprintf(stderr, "%s\n", qPrintable(hostError));
        return 1;
    }
    const QString hostPath = folder + "/Host";
    const QString volumeFolder = ZRProject(hostPath).directoryForType(ZRProject::VolumeType);
    QDir().mkpath(volumeFolder);
    const QString volumePath = volumeFolder + "/" + kVolumeName;
    std::printf("volume: %d lines x %d traces x %d samples (%.2f GiB of samples, frames of %.2f MiB)\n", lines,
                kTracesPerLine, kSamples, double(frameBytes) * lines / double(1ULL << 30),
                double(frameBytes) / double(1 << 20));
    std::fflush(stdout);
    if (!writeVolume(volumePath, lines)) {
        std::fprintf(stderr, "cannot write the volume\n");
        return 1;
    }
    if (!openProject(home)) {
        std::fprintf(stderr, "cannot open the benchmark project\n");
        return 1;
    }
    const QString dataFolder = QString::fromStdString(home) + "/" + kDistrict + "/data";
    const QString baselinePath = folder + "/baseline.sgy";
    readWholeFile(volumePath);

    ChildResult oursPeak, baselinePeak;
    std::vector<double> oursCpu, baselineCpu;
    bool failed = false;
    const auto keepPeak = [](ChildResult& kept, const ChildResult& run) {
        if (run.ok && run.peakMiB - run.beforeMiB > kept.peakMiB - kept.beforeMiB)
            kept = run;
    };
    const bench::RoundRatios rounds = bench::alternateRounds(
        "volume export 1 GiB, ours vs segyio baseline", bench::roundsFromEnvironment(5), true,
        [&] {
            const ChildResult run = runChild({"--ours", QString::fromStdString(home), hostPath, volumePath});
            failed = failed || !run.ok;
            keepPeak(oursPeak, run);
            oursCpu.push_back(run.cpuSeconds);
        },
        [&] {
            const ChildResult run = runChild({"--baseline", volumePath, baselinePath});
            failed = failed || !run.ok;
            keepPeak(baselinePeak, run);
            baselineCpu.push_back(run.cpuSeconds);
        },
        [&] {
            if (!removeExport())
                failed = true;
            QFile::remove(baselinePath);
            // Each run starts without the dirty pages of the one before.
            ::sync();
        });
    if (failed) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    // One more of each, untimed, to compare what they wrote.
    removeExport();
    if (!runChild({"--ours", QString::fromStdString(home), hostPath, volumePath}).ok
        || !runChild({"--baseline", volumePath, baselinePath}).ok
        || !sameSamples(exportedFile(dataFolder), baselinePath)) {
        std::fprintf(stderr, "the export and the baseline wrote other samples\n");
        return 1;
    }
    std::printf("samples equal to the baseline's: yes\n");
    bench::reportRounds(rounds, 2.0);
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[values.size() / 2];
    };
    std::printf("processor time (user + system, median of the rounds): ours %.3f s, baseline %.3f s, ratio %.2f\n",
                median(oursCpu), median(baselineCpu), median(baselineCpu) / std::max(1e-9, median(oursCpu)));
    const double frameMiB = double(frameBytes) / double(1 << 20);
    const double limitMiB = 2.0 * frameMiB + 32.0;
    bench::report("volume export peak resident memory", oursPeak.peakMiB, "MiB");
    bench::report("volume export resident memory before the export", oursPeak.beforeMiB, "MiB");
    bench::report("volume export peak growth during the export", oursPeak.peakMiB - oursPeak.beforeMiB, "MiB");
    bench::report("baseline peak resident memory", baselinePeak.peakMiB, "MiB");
    std::printf("memory limit (two frames + 32 MiB): %.1f MiB; peak %s it, growth %s it\n", limitMiB,
                oursPeak.peakMiB < limitMiB ? "under" : "ABOVE",
                oursPeak.peakMiB - oursPeak.beforeMiB < limitMiB ? "under" : "ABOVE");
    std::printf("throughput: ours %.0f MiB/s, baseline %.0f MiB/s (median rounds)\n",
                double(frameBytes) * lines / double(1 << 20) / rounds.medianOurs(),
                double(frameBytes) * lines / double(1 << 20) / rounds.medianBaseline());
    removeExport();
    prjClose();
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
