#include "zrsha256.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZR_SHA256_X86 1
#endif

namespace
{

alignas(16) const std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline std::uint32_t rotateRight(std::uint32_t value, int bits)
{
    return (value >> bits) | (value << (32 - bits));
}

/// The portable compression function.
void processBlocksPortable(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks)
{
    std::uint32_t w[64];
    while (blocks--) {
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t(data[4 * i]) << 24 | std::uint32_t(data[4 * i + 1]) << 16
                 | std::uint32_t(data[4 * i + 2]) << 8 | std::uint32_t(data[4 * i + 3]);
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
            const std::uint32_t choose = (e & f) ^ (~e & g);
            const std::uint32_t t1 = h + s1 + choose + kRoundConstants[i] + w[i];
            const std::uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
            const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
            const std::uint32_t t2 = s0 + majority;
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
        data += 64;
    }
}

#ifdef ZR_SHA256_X86
/// The compression function on the SHA extensions: the message schedule of a
/// block with sha256msg1/sha256msg2, then two rounds per sha256rnds2, the
/// state held as ABEF / CDGH.
__attribute__((target("sha,sse4.1,ssse3"))) void processBlocksExtensions(std::uint32_t state[8],
                                                                          const std::uint8_t* data,
                                                                          std::size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    abcd = _mm_shuffle_epi32(abcd, 0xB1);                    // CDAB
    efgh = _mm_shuffle_epi32(efgh, 0x1B);                    // EFGH
    __m128i state0 = _mm_alignr_epi8(abcd, efgh, 8);         // ABEF
    __m128i state1 = _mm_blend_epi16(efgh, abcd, 0xF0);      // CDGH
    __m128i w[16];
    while (blocks--) {
        const __m128i savedState0 = state0;
        const __m128i savedState1 = state1;
        for (int i = 0; i < 4; ++i)
            w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        for (int i = 4; i < 16; ++i)
            w[i] = _mm_sha256msg2_epu32(
                _mm_add_epi32(_mm_sha256msg1_epu32(w[i - 4], w[i - 3]), _mm_alignr_epi8(w[i - 1], w[i - 2], 4)),
                w[i - 1]);
        for (int i = 0; i < 16; ++i) {
            __m128i message = _mm_add_epi32(w[i], _mm_load_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * i])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, message);
        }
        state0 = _mm_add_epi32(state0, savedState0);
        state1 = _mm_add_epi32(state1, savedState1);
        data += 64;
    }
    const __m128i feba = _mm_shuffle_epi32(state0, 0x1B);    // FEBA
    const __m128i dchg = _mm_shuffle_epi32(state1, 0xB1);    // DCHG
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0)); // DCBA
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));    // HGFE
}
#endif

std::atomic<bool> g_extensionsAllowed{true};

bool extensionsAvailable()
{
#ifdef ZR_SHA256_X86
    static const bool available = __builtin_cpu_supports("sha") && __builtin_cpu_supports("sse4.1")
                                  && __builtin_cpu_supports("ssse3");
    return available && g_extensionsAllowed;
#else
    return false;
#endif
}

} // namespace

ZRSha256::ZRSha256()
    : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19}
{
}

bool ZRSha256::usesProcessorExtensions()
{
    return extensionsAvailable();
}

void ZRSha256::allowProcessorExtensions(bool allowed)
{
    g_extensionsAllowed = allowed;
}

void ZRSha256::processBlocks(const std::uint8_t* data, std::size_t blocks)
{
#ifdef ZR_SHA256_X86
    if (extensionsAvailable()) {
        processBlocksExtensions(m_state, data, blocks);
        return;
    }
#endif
    processBlocksPortable(m_state, data, blocks);
}

void ZRSha256::addData(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    m_totalBytes += size;
    if (m_pendingSize > 0) {
        const std::size_t take = std::min(size, sizeof m_pending - m_pendingSize);
        std::memcpy(m_pending + m_pendingSize, bytes, take);
        m_pendingSize += take;
        bytes += take;
        size -= take;
        if (m_pendingSize < sizeof m_pending)
            return;
        processBlocks(m_pending, 1);
        m_pendingSize = 0;
    }
    const std::size_t blocks = size / 64;
    if (blocks > 0)
        processBlocks(bytes, blocks);
    const std::size_t rest = size - blocks * 64;
    std::memcpy(m_pending, bytes + blocks * 64, rest);
    m_pendingSize = rest;
}

QByteArray ZRSha256::result()
{
    const std::uint64_t bits = m_totalBytes * 8;
    std::uint8_t tail[128] = {};
    std::memcpy(tail, m_pending, m_pendingSize);
    tail[m_pendingSize] = 0x80;
    const std::size_t tailSize = m_pendingSize + 1 + 8 <= 64 ? 64 : 128;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 1 - i] = std::uint8_t(bits >> (8 * i));
    processBlocks(tail, tailSize / 64);
    QByteArray digest(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i) {
        digest[4 * i] = char(m_state[i] >> 24);
        digest[4 * i + 1] = char(m_state[i] >> 16);
        digest[4 * i + 2] = char(m_state[i] >> 8);
        digest[4 * i + 3] = char(m_state[i]);
    }
    *this = ZRSha256();
    return digest;
}

QString ZRSha256::ofFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    ZRSha256 hash;
    std::vector<char> block(std::size_t(4) << 20);
    for (;;) {
        const qint64 read = file.read(block.data(), qint64(block.size()));
        if (read < 0)
            return QString();
        if (read == 0)
            break;
        hash.addData(block.data(), std::size_t(read));
    }
    return QString::fromLatin1(hash.result().toHex());
}
