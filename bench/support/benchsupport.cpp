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

void reportRatio(const QString& name, double oursSeconds, double baselineSeconds, bool higherIsBetter)
{
    const double ratio = higherIsBetter ? baselineSeconds / oursSeconds : oursSeconds / baselineSeconds;
    std::printf("%s: ours %.3f s, baseline %.3f s, ratio %.2f (%s)\n", qPrintable(name), oursSeconds,
                baselineSeconds, ratio, higherIsBetter ? "baseline / ours" : "ours / baseline");
    std::fflush(stdout);
}

} // namespace bench
