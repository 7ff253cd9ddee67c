#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

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

/// Prints a ratio line: "<name>: ours <a> s, baseline <b> s, ratio <b/a or a/b>".
void reportRatio(const QString& name, double oursSeconds, double baselineSeconds, bool higherIsBetter);

} // namespace bench
