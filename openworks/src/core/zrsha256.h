#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

/// SHA-256 (FIPS 180-4), fed in pieces of any size. On processors with the
/// SHA extensions the blocks are hashed with them (many times as fast as a
/// portable implementation, which is used otherwise), so that the run reports
/// can give the checksum of gigabytes of host files.
class ZRSha256
{
public:
    ZRSha256();

    void addData(const void* data, std::size_t size);
    /// The 32-byte digest; the object is reset afterwards.
    QByteArray result();

    /// Lower-case hexadecimal SHA-256 of a file's content; empty when it
    /// cannot be read.
    static QString ofFile(const QString& path);
    /// Whether the processor's SHA extensions are used.
    static bool usesProcessorExtensions();
    /// Allows (the default) or forbids the processor's SHA extensions, so that
    /// both implementations can be checked on one machine.
    static void allowProcessorExtensions(bool allowed);

private:
    void processBlocks(const std::uint8_t* data, std::size_t blocks);

    std::uint32_t m_state[8];
    std::uint8_t m_pending[64];
    std::size_t m_pendingSize = 0;
    std::uint64_t m_totalBytes = 0;
};
