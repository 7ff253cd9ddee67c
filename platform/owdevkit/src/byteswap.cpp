#include "byteswap.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DATALINK_X86 1
#endif

namespace
{
void swapScalar(const unsigned char* in, unsigned char* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t word;
        std::memcpy(&word, in + 4 * i, 4);
        word = __builtin_bswap32(word);
        std::memcpy(out + 4 * i, &word, 4);
    }
}

#ifdef DATALINK_X86
__attribute__((target("avx2"))) void swapAvx2(const unsigned char* in, unsigned char* out, std::size_t count)
{
    const __m256i order = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6, 5,
                                           4, 11, 10, 9, 8, 15, 14, 13, 12);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4 * i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), _mm256_shuffle_epi8(words, order));
    }
    swapScalar(in + 4 * i, out + 4 * i, count - i);
}

__attribute__((target("ssse3"))) void swapSsse3(const unsigned char* in, unsigned char* out, std::size_t count)
{
    const __m128i order = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_shuffle_epi8(words, order));
    }
    swapScalar(in + 4 * i, out + 4 * i, count - i);
}

using SwapFunction = void (*)(const unsigned char*, unsigned char*, std::size_t);

SwapFunction bestSwap()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return swapAvx2;
    if (__builtin_cpu_supports("ssse3"))
        return swapSsse3;
    return swapScalar;
}
#endif
} // namespace

void swapWords32(const void* in, void* out, std::size_t count)
{
#ifdef DATALINK_X86
    static const SwapFunction swap = bestSwap();
    swap(static_cast<const unsigned char*>(in), static_cast<unsigned char*>(out), count);
#else
    swapScalar(static_cast<const unsigned char*>(in), static_cast<unsigned char*>(out), count);
#endif
}
