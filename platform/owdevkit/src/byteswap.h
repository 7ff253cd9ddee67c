#pragma once

#include <cstddef>

/// Copies count 32-bit words from in to out reversing the byte order of each
/// (big-endian SEG-Y samples to native floats and back), in one pass: AVX2 or
/// SSSE3 byte shuffles when the processor has them, else word by word. in and
/// out may be unaligned; they must not overlap unless they are equal.
void swapWords32(const void* in, void* out, std::size_t count);
