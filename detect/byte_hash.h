// A fast hash of short fixed-length byte keys, for the pass's hash sets of chain results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorlex::detect {

inline std::uint64_t hashBytes(const std::uint8_t* key, std::size_t length) noexcept {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, key + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    for (; i < length; ++i)
        h = (h ^ key[i]) * 0x100000001B3ull;
    return h ^ (h >> 29);
}

} // namespace vorlex::detect
