#include "benchsupport.h"

#include <QDir>
#include <QStorageInfo>
#include <QTextStream>
#include <QUuid>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

namespace bench
{

std::uint64_t sizeForDisk(const QString& folder, std::uint64_t wantedBytes, int copies)
{
    const QStorageInfo storage(folder);
    const std::uint64_t available = std::uint64_t(std::max<qint64>(0, storage.bytesAvailable()));
    const std::uint64_t margin = 2ull << 30;
    const std::uint64_t needed = wantedBytes * std::uint64_t(std::max(1, copies)) + margin;
    if (available >= needed)
        return wantedBytes;
    const std::uint64_t usable = available > margin ? (available - margin) / std::uint64_t(std::max(1, copies)) : 0;
    const std::uint64_t minimum = 64ull << 20;
    if (usable < minimum) {
        std::printf("Only %llu MiB free in %s: not enough for this benchmark.\n",
                    static_cast<unsigned long long>(available >> 20), qPrintable(folder));
        return 0;
    }
    std::printf("Only %llu MiB free in %s: data scaled down from %llu MiB to %llu MiB.\n",
                static_cast<unsigned long long>(available >> 20), qPrintable(folder),
                static_cast<unsigned long long>(wantedBytes >> 20), static_cast<unsigned long long>(usable >> 20));
    return usable;
}

QString workFolder(const QString& name)
{
    QString base = QString::fromLocal8Bit(qgetenv("DATALINK_BENCH_DIR"));
    if (base.isEmpty())
        base = QDir::tempPath();
    const QString path = base + "/" + name + "-" + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QDir().mkpath(path);
    return path;
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

double bestSecondsOf(int repeats, const std::function<void()>& work)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < std::max(1, repeats); ++i)
        best = std::min(best, secondsOf(work));
    return best;
}

std::uint64_t peakResidentBytes()
{
    struct rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::uint64_t(usage.ru_maxrss) * 1024u;
}

std::uint64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096u;
}

void report(const QString& name, double value, const QString& unit)
{
    std::printf("%s: %.4f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

namespace
{
double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}
} // namespace

double RoundRatios::median() const { return medianOf(ratios); }
double RoundRatios::minimum() const { return ratios.empty() ? 0.0 : *std::min_element(ratios.begin(), ratios.end()); }
double RoundRatios::maximum() const { return ratios.empty() ? 0.0 : *std::max_element(ratios.begin(), ratios.end()); }
double RoundRatios::medianOurs() const { return medianOf(oursSeconds); }
double RoundRatios::medianBaseline() const { return medianOf(baselineSeconds); }

RoundRatios alternateRounds(const QString& name, int rounds, bool higherIsBetter, const std::function<void()>& ours,
                            const std::function<void()>& baseline, const std::function<void()>& prepare)
{
    RoundRatios result;
    result.name = name;
    result.higherIsBetter = higherIsBetter;
    for (int round = 0; round < std::max(1, rounds); ++round) {
        double oursTime = 0.0;
        double baselineTime = 0.0;
        const auto timeOurs = [&] {
            if (prepare)
                prepare();
            oursTime = secondsOf(ours);
        };
        const auto timeBaseline = [&] {
            if (prepare)
                prepare();
            baselineTime = secondsOf(baseline);
        };
        if (round % 2 == 0) {
            timeOurs();
            timeBaseline();
        } else {
            timeBaseline();
            timeOurs();
        }
        result.oursSeconds.push_back(oursTime);
        result.baselineSeconds.push_back(baselineTime);
        const double ratio = higherIsBetter ? baselineTime / std::max(oursTime, 1e-12)
                                            : oursTime / std::max(baselineTime, 1e-12);
        result.ratios.push_back(ratio);
        std::printf("%s round %d: ours %.3f s, baseline %.3f s, ratio %.2f\n", qPrintable(name), round + 1, oursTime,
                    baselineTime, ratio);
        std::fflush(stdout);
    }
    return result;
}

void reportRounds(const RoundRatios& result, double goal)
{
    std::printf("%s: median ratio %.2f (%s), spread %.2f .. %.2f over %zu rounds; median ours %.3f s, baseline %.3f s\n",
                qPrintable(result.name), result.median(),
                result.higherIsBetter ? "baseline / ours" : "ours / baseline", result.minimum(), result.maximum(),
                result.ratios.size(), result.medianOurs(), result.medianBaseline());
    if (goal != 0.0) {
        const bool met = result.higherIsBetter ? result.median() >= goal : result.median() <= goal;
        std::printf("%s: goal %s %.2f %s\n", qPrintable(result.name), result.higherIsBetter ? ">=" : "<=", goal,
                    met ? "met" : "NOT met");
    }
    std::fflush(stdout);
}

int roundsFromEnvironment(int fallback)
{
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("DATALINK_BENCH_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : std::max(1, fallback);
}

void reportRatio(const QString& name, double oursSeconds, double baselineSeconds, bool higherIsBetter)
{
    const double ratio = higherIsBetter ? baselineSeconds / oursSeconds : oursSeconds / baselineSeconds;
    std::printf("%s: ours %.3f s, baseline %.3f s, ratio %.2f (%s)\n", qPrintable(name), oursSeconds,
                baselineSeconds, ratio, higherIsBetter ? "baseline / ours" : "ours / baseline");
    std::fflush(stdout);
}

} // namespace bench
