// Applying a byte map to a buffer: the one hot loop of whole-document recoding.
//
// Composed code tables never change bytes below 0x80, so the vector path only has to look up
// the upper half: eight 16-entry shuffles, one per high nibble 8..F, blended by the nibble.
#include "engine/recode.h"

#include <algorithm>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORLEX_HAVE_AVX2_PATH 1
#endif

namespace vorlex::engine {
namespace {

void applyScalar(const ByteMap& map, const std::uint8_t* src, std::uint8_t* dst,
                 std::size_t n) noexcept {
    std::size_t i = 0;
    // Eight independent lookups per round keep the loads in flight.
    for (; i + 8 <= n; i += 8) {
        const std::uint8_t b0 = map[src[i]], b1 = map[src[i + 1]], b2 = map[src[i + 2]],
                           b3 = map[src[i + 3]], b4 = map[src[i + 4]], b5 = map[src[i + 5]],
                           b6 = map[src[i + 6]], b7 = map[src[i + 7]];
        dst[i] = b0;
        dst[i + 1] = b1;
        dst[i + 2] = b2;
        dst[i + 3] = b3;
        dst[i + 4] = b4;
        dst[i + 5] = b5;
        dst[i + 6] = b6;
        dst[i + 7] = b7;
    }
    for (; i < n; ++i)
        dst[i] = map[src[i]];
}

bool lowerHalfIsIdentity(const ByteMap& map) noexcept {
    for (std::size_t b = 0; b < 0x80; ++b) {
        if (map[b] != b)
            return false;
    }
    return true;
}

#ifdef VORLEX_HAVE_AVX2_PATH
__attribute__((target("avx2"))) void applyUpperHalfAvx2(const ByteMap& map, const std::uint8_t* src,
                                                        std::uint8_t* dst, std::size_t n) noexcept {
    __m256i rows[8];
    for (int row = 0; row < 8; ++row) {
        const __m128i half =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(map.data() + 0x80 + 16 * row));
        rows[row] = _mm256_broadcastsi128_si256(half);
    }
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i low = _mm256_and_si256(in, lowNibble);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi16(in, 4), lowNibble);
        __m256i out = in;
        for (int row = 0; row < 8; ++row) {
            const __m256i looked = _mm256_shuffle_epi8(rows[row], low);
            const __m256i hit =
                _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(8 + row)));
            out = _mm256_blendv_epi8(out, looked, hit);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), out);
    }
    applyScalar(map, src + i, dst + i, n - i);
}

// With VBMI one two-table permute looks up all 128 upper-half entries at once.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void
applyUpperHalfAvx512(const ByteMap& map, const std::uint8_t* src, std::uint8_t* dst,
                     std::size_t n) noexcept {
    const __m512i lowerTable = _mm512_loadu_si512(map.data() + 0x80);
    const __m512i upperTable = _mm512_loadu_si512(map.data() + 0xC0);
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i in = _mm512_loadu_si512(src + i);
        const __mmask64 upperHalf = _mm512_movepi8_mask(in);
        // Bit 7 of the index is ignored; bit 6 chooses between the two tables.
        const __m512i looked = _mm512_permutex2var_epi8(lowerTable, in, upperTable);
        _mm512_storeu_si512(dst + i, _mm512_mask_blend_epi8(upperHalf, in, looked));
    }
    applyScalar(map, src + i, dst + i, n - i);
}

bool cpuHasAvx2() noexcept {
    return __builtin_cpu_supports("avx2");
}
bool cpuHasAvx512Vbmi() noexcept {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}
#endif

} // namespace

void applyByteMap(const ByteMap& map, std::span<const std::uint8_t> in,
                  std::span<std::uint8_t> out) noexcept {
    const std::size_t n = std::min(in.size(), out.size());
#ifdef VORLEX_HAVE_AVX2_PATH
    if (n >= 64 && lowerHalfIsIdentity(map)) {
        if (cpuHasAvx512Vbmi()) {
            applyUpperHalfAvx512(map, in.data(), out.data(), n);
            return;
        }
        if (cpuHasAvx2()) {
            applyUpperHalfAvx2(map, in.data(), out.data(), n);
            return;
        }
    }
#endif
    applyScalar(map, in.data(), out.data(), n);
}

bool applyByteMapUsing(ByteMapPath path, const ByteMap& map, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) noexcept {
    const std::size_t n = std::min(in.size(), out.size());
    switch (path) {
    case ByteMapPath::scalar:
        applyScalar(map, in.data(), out.data(), n);
        return true;
#ifdef VORLEX_HAVE_AVX2_PATH
    case ByteMapPath::avx2:
        if (!cpuHasAvx2() || !lowerHalfIsIdentity(map))
            return false;
        applyUpperHalfAvx2(map, in.data(), out.data(), n);
        return true;
    case ByteMapPath::avx512:
        if (!cpuHasAvx512Vbmi() || !lowerHalfIsIdentity(map))
            return false;
        applyUpperHalfAvx512(map, in.data(), out.data(), n);
        return true;
#endif
    default:
        return false;
    }
}

} // namespace vorlex::engine
