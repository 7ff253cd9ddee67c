#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

/// Helpers for fuzz targets whose reader takes a file: the input is written to
/// a file of a private temporary folder (made once per process, removed at
/// exit), replacing the previous input.
namespace fuzz
{

/// A folder private to this process, created on first use.
QString scratchFolder();

/// Writes the input to scratchFolder()/name and returns the path.
QString writeInput(const QString& name, const uint8_t* data, size_t size);

/// Sets up what every target needs once per process: hermetic settings and
/// temporary folders below scratchFolder(), no Qt warnings on the terminal.
void initializeOnce();

} // namespace fuzz
