#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

/// Helpers shared by the benchmark programs under bench/.
namespace bench
{

/// Bytes a benchmark may use below folder: the wanted size when the disk has it
/// (with a safety margin of 2 GiB plus the wanted size again for a copy), else a
/// scaled-down size, with a line on standard output saying so. Returns 0 when
/// even 64 MiB do not fit.
std::uint64_t sizeForDisk(const QString& folder, std::uint64_t wantedBytes, int copies = 1);

/// Folder for a benchmark's data: $DATALINK_BENCH_DIR, else a new folder below
/// the system temporary folder. The caller removes it.
QString workFolder(const QString& name);

/// Wall-clock seconds of one call.
double secondsOf(const std::function<void()>& work);

/// Best (smallest) time of `repeats` calls.
double bestSecondsOf(int repeats, const std::function<void()>& work);

/// Peak resident memory of this process so far, in bytes.
std::uint64_t peakResidentBytes();

/// Current resident memory of this process, in bytes.
std::uint64_t residentBytes();

/// Prints one result line: "<name>: <value> <unit>".
void report(const QString& name, double value, const QString& unit);

/// Ratios of several rounds in which ours and the baseline ran alternately.
struct RoundRatios
{
    QString name;
    bool higherIsBetter = true; ///< the ratio is baseline / ours (speed-up) when true, else ours / baseline
    std::vector<double> oursSeconds;
    std::vector<double> baselineSeconds;
    std::vector<double> ratios;

    double median() const;
    double minimum() const;
    double maximum() const;
    double medianOurs() const;
    double medianBaseline() const;
};

/// Runs `rounds` rounds, each timing ours then the baseline (the order swaps
/// every round, so neither always runs on a warm or a cold machine), and
/// returns every time and ratio. prepare (may be empty) runs before each timed
/// call, untimed (e.g. to drop the page cache or remove the previous output).
RoundRatios alternateRounds(const QString& name, int rounds, bool higherIsBetter,
                            const std::function<void()>& ours, const std::function<void()>& baseline,
                            const std::function<void()>& prepare = {});

/// Prints a round summary: the median ratio with its spread (smallest and
/// largest round), the median times, and each round's ratio; then, when goal is
/// not 0, whether the median meets it ("goal: >= 2.00 met").
void reportRounds(const RoundRatios& result, double goal = 0.0);

/// Rounds to run: $DATALINK_BENCH_ROUNDS when set (at least 1), else fallback.
int roundsFromEnvironment(int fallback = 5);

/// Prints a ratio line: "<name>: ours <a> s, baseline <b> s, ratio <b/a or a/b>".
void reportRatio(const QString& name, double oursSeconds, double baselineSeconds, bool higherIsBetter);

} // namespace bench
