// Volume write benchmark: writing a float volume frame by frame with the
// trace-order transposition (ours, with the thread count the writer measures
// for itself) against writing the same bytes untransposed, one write per frame
// (the baseline); then the same with one and with two threads forced, the
// same over a file kept between runs (pages already in the page cache), and
// the transposition alone against a memcpy. Ours and the baseline take turns over
// the rounds ($DATALINK_BENCH_ROUNDS, default 5); each comparison reports the
// median ratio and its spread.
//
//   bench_volumewrite [traces samples]      (default 1024 x 1024, frames of 4 MiB)

#include "benchsupport.h"
#include "zrframetransposer.h"
#include "zrobjectheader.h"
#include "zrseismicbloc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <omp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

/// Writes every frame of `volume` into its file after the header (the file
/// kept as it is, not truncated), from one reused image buffer.
bool writeFrames(ZRSeismicBloc& volume, int dimz, const std::vector<float>& image)
{
    const int descriptor = ZRBloc::openForWriting(volume.fileName());
    if (descriptor < 0)
        return false;
    bool ok = true;
    for (int k = 0; k < dimz && ok; ++k)
        ok = volume.writeFrame(descriptor, volume.dataOffset(), k, image.data());
    ZRBloc::closeFile(descriptor);
    return ok;
}

/// Writes a whole volume into a new file: the header, then every frame.
bool writeVolume(int dimx, int dimy, int dimz, bool transposed, const QString& fileName, const std::vector<float>& image)
{
    georef::BlocSpace space(dimx, dimy, dimz);
    ZRSeismicBloc volume(space);
    volume.setWithTransposition(transposed);
    volume.setFileName(fileName);
    return volume.saveHeader() && writeFrames(volume, dimz, image);
}

void fillPattern(std::vector<float>& values)
{
    for (std::size_t n = 0; n < values.size(); ++n)
        values[n] = float(n % 9973) * 0.5f;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString folder = bench::workFolder(QStringLiteral("hoststore-volumewrite"));
    const std::uint64_t wanted = 1ull << 30;
    const std::uint64_t bytes = bench::sizeForDisk(folder, wanted, 1);
    if (bytes == 0) {
        QDir(folder).removeRecursively();
        return 1;
    }

    const QStringList arguments = application.arguments();
    const int dimx = arguments.size() > 2 ? arguments.at(1).toInt() : 1024;
    const int dimy = arguments.size() > 2 ? arguments.at(2).toInt() : 1024;
    if (dimx <= 0 || dimy <= 0) {
        std::printf("usage: bench_volumewrite [traces samples]\n");
        return 2;
    }
    const std::uint64_t frameBytes = std::uint64_t(dimx) * dimy * sizeof(float);
    const int dimz = int(std::max<std::uint64_t>(1, bytes / frameBytes));
    const int rounds = bench::roundsFromEnvironment(5);
    std::printf("Volume %d x %d x %d floats (%.0f MiB), frames of %.2f MiB, %d OpenMP threads available, %d rounds\n",
                dimx, dimy, dimz, double(frameBytes) * dimz / (1 << 20), double(frameBytes) / (1 << 20),
                omp_get_max_threads(), rounds);

    std::vector<float> image(std::size_t(dimx) * dimy);
    fillPattern(image);
    const QString fileName = folder + QStringLiteral("/volume.vol");
    // Each write starts from no file, so that no round inherits another's page cache.
    const auto removeFile = [&] { QFile::remove(fileName); };

    bool ok = true;
    const auto untransposed = [&] { ok = writeVolume(dimx, dimy, dimz, false, fileName, image) && ok; };

    // Ours: the writer measures its thread choice afresh in every round.
    std::vector<int> choices;
    const auto measuredWrite = [&] {
        ZRFrameTransposer::setThreadCountOverride(0);
        ZRFrameTransposer::resetMeasurements();
        ok = writeVolume(dimx, dimy, dimz, true, fileName, image) && ok;
        choices.push_back(ZRFrameTransposer::chosenThreads(std::size_t(frameBytes)));
    };
    const bench::RoundRatios measured = bench::alternateRounds(
        QStringLiteral("transposed volume write (measured thread choice) vs untransposed write"), rounds, true,
        measuredWrite, untransposed, removeFile);
    bench::reportRounds(measured, 0.8);
    std::printf("  thread counts chosen by the writer, per round:");
    for (int threads : choices)
        std::printf(" %d", threads);
    std::printf("%s\n", choices.empty() || choices.front() == 0 ? " (frames below the measured size or one thread)" : "");

    // For reference: each count forced.
    for (const int threads : {1, 2}) {
        if (threads > omp_get_max_threads())
            continue;
        const auto forcedWrite = [&] {
            ZRFrameTransposer::setThreadCountOverride(threads);
            ok = writeVolume(dimx, dimy, dimz, true, fileName, image) && ok;
            ZRFrameTransposer::setThreadCountOverride(0);
        };
        bench::reportRounds(bench::alternateRounds(
            QStringLiteral("transposed volume write (%1 thread(s) forced) vs untransposed write").arg(threads), rounds, true,
            forcedWrite, untransposed, removeFile));
    }

    // The same comparison over a file kept between runs. A fresh file needs
    // fresh page-cache pages, and on a virtual machine their cost depends on
    // whether the host took back the memory freed by the previous run: the
    // same write swings several-fold from one run to the next. Over a kept
    // file the figure is what the writer itself costs.
    removeFile();
    ok = writeVolume(dimx, dimy, dimz, false, fileName, image) && ok;
    const qint64 keptOffset = ZRObjectHeader::dataOffset(fileName);
    georef::BlocSpace space(dimx, dimy, dimz);
    ZRSeismicBloc keptTransposed(space);
    ZRSeismicBloc keptPlain(space);
    for (ZRSeismicBloc* volume : {&keptTransposed, &keptPlain}) {
        volume->setFileName(fileName);
        volume->setDataOffset(keptOffset);
    }
    keptTransposed.setWithTransposition(true);
    keptPlain.setWithTransposition(false);
    if (keptOffset >= 0) {
        const bench::RoundRatios kept = bench::alternateRounds(
                QStringLiteral("transposed volume write over a kept file (measured thread choice) vs untransposed"),
                rounds, true,
                [&] {
                    ZRFrameTransposer::setThreadCountOverride(0);
                    ZRFrameTransposer::resetMeasurements();
                    ok = writeFrames(keptTransposed, dimz, image) && ok;
                },
                [&] { ok = writeFrames(keptPlain, dimz, image) && ok; });
        bench::reportRounds(kept, 0.8);
    } else {
        ok = false;
    }
    removeFile();
    if (!ok)
        std::printf("A volume write failed.\n");
    // The writer holds the caller's frame and one transposed copy, whatever the volume's size.
    std::printf("peak resident memory after the volume writes: %.1f MiB (frames of %.1f MiB)\n",
                double(bench::peakResidentBytes()) / (1 << 20), double(frameBytes) / (1 << 20));

    // The transposition alone against memcpy of the same bytes, buffers allocated and touched once.
    for (const int side : {256, 512, 1024, 2048}) {
        const std::size_t count = std::size_t(side) * std::size_t(side);
        std::vector<float> source(count);
        std::vector<float> target(count, 0.0f);
        fillPattern(source);
        const int repeats = int(std::max<std::size_t>(4, (std::size_t(256) << 20) / (count * sizeof(float))));
        const auto copy = [&] {
            for (int r = 0; r < repeats; ++r) {
                std::memcpy(target.data(), source.data(), count * sizeof(float));
                source[std::size_t(r) % count] += 0.0f;
            }
        };
        for (const int threads : {1, 2}) {
            if (threads > omp_get_max_threads())
                continue;
            const auto transpose = [&] {
                for (int r = 0; r < repeats; ++r)
                    ZRFrameTransposer::transposeFloats(source.data(), target.data(), side, side, threads);
            };
            bench::reportRounds(bench::alternateRounds(QStringLiteral("transpose %1 x %1 frame (%2 KiB, %3 thread(s)) vs memcpy")
                                                           .arg(side)
                                                           .arg(count * sizeof(float) / 1024)
                                                           .arg(threads),
                                                       rounds, true, transpose, copy),
                                0.5);
        }
    }
    QDir(folder).removeRecursively();
    return ok ? 0 : 1;
}
