// Reads every trace of a 1 GiB data set through dm3dtr_ in line order, and the
// same traces with segyio one call per trace (the baseline), alternately over
// several rounds ($DATALINK_BENCH_ROUNDS, default 7). Goal: ratio >= 2.0.

#include "benchsupport.h"
#include "catalogueseed.h"
#include "owdevkit.h"
#include "owsim.h"

#include <segyio/segy.h>

#include <QCoreApplication>
#include <QDir>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const int kSamples = 1000;
const int kTracesPerLine = 500;

bool createDataSet(int lines, std::string* fileName)
{
    return createSyntheticDataSet("Bench", "Bench data", lines, kTracesPerLine, kSamples, fileName, nullptr);
}

double readThroughDevkit(const std::string& fileName, int lines)
{
    int status = -1, type = 3;
    const int length = 5, read = 1, one = 1, zero = 0;
    prjin2_(&status, &type, "Bench", &length);
    dm3dControlBlock_t cb{};
    dm3dop_(fileName.c_str(), &cb, &read, &status);
    std::vector<float> trace(kSamples);
    const float noScale = 0.0f;
    int flags = 0;
    double sum = 0.0;
    for (int y = 1; y <= lines; ++y) {
        for (int x = 1; x <= kTracesPerLine; ++x) {
            dm3dtr_(&cb, &x, &y, &one, &kSamples, &one, &zero, trace.data(), &noScale, &status, &flags);
            sum += trace[kSamples / 2];
        }
    }
    dm3dcl_(&cb, &zero, &status);
    prjend_(&type, &zero);
    return sum;
}

double readThroughSegyio(const std::string& path)
{
    segy_file* fp = segy_open(path.c_str(), "rb");
    char binary[SEGY_BINARY_HEADER_SIZE];
    segy_binheader(fp, binary);
    const long trace0 = segy_trace0(binary);
    const int bsize = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, kSamples);
    int traces = 0;
    segy_traces(fp, &traces, trace0, bsize);
    std::vector<float> trace(kSamples);
    double sum = 0.0;
    for (int i = 0; i < traces; ++i) {
        segy_readtrace(fp, i, trace.data(), trace0, bsize);
        segy_to_native(SEGY_IEEE_FLOAT_4_BYTE, kSamples, trace.data());
        sum += trace[kSamples / 2];
    }
    segy_close(fp);
    return sum;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = bench::workFolder("owdevkit-traces");
    const std::uint64_t bytes = bench::sizeForDisk(folder, 1ULL << 30);
    if (bytes == 0)
        return 1;
    const long long traceBytes = 240 + 4LL * kSamples;
    const int lines = std::max(1, static_cast<int>(bytes / (traceBytes * kTracesPerLine)));
    const std::string home = (folder + "/home").toStdString();
    std::string error;
    if (!owsim::createHome(home, &error) || !owsim::createDistrict(home, "Bench", false, &error) ||
        !owsim::createProject(home, "Bench", "BENCH", owsim::MeasurementSystem::Metric, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    owsim::setHomeOverride(home);
    int status = -1;
    if (owinit() != 0 || gdiInit() != 0 || prjSetSysDistrict("Bench") != 0 || prjOpen("BENCH", 0, &status) != 0) {
        std::fprintf(stderr, "cannot open the benchmark project\n");
        return 1;
    }
    std::string fileName;
    std::printf("writing %d lines x %d traces x %d samples (%.2f GiB)\n", lines, kTracesPerLine, kSamples,
                double(traceBytes) * lines * kTracesPerLine / double(1ULL << 30));
    if (!createDataSet(lines, &fileName)) {
        std::fprintf(stderr, "cannot write the data set\n");
        return 1;
    }
    const std::string path = home + "/Bench/data/" + fileName;
    double oursSum = 0.0, baselineSum = 0.0;
    const bench::RoundRatios rounds = bench::alternateRounds(
        "dm3dtr_ line order vs segyio per trace", bench::roundsFromEnvironment(7), true,
        [&] { oursSum = readThroughDevkit(fileName, lines); }, [&] { baselineSum = readThroughSegyio(path); });
    if (std::fabs(oursSum - baselineSum) > 1e-6 * std::fabs(baselineSum))
        std::printf("warning: checksums differ (%g, %g)\n", oursSum, baselineSum);
    bench::reportRounds(rounds, 2.0);
    bench::report("peak resident memory", double(bench::peakResidentBytes()) / (1 << 20), "MiB");
    prjClose();
    gdiClose();
    QDir(folder).removeRecursively();
    return 0;
}
