// The sample of a source text: up to ten distinct words of each length two, three and four, as
// they stand in the source, and the text sample that labels every variant.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vorlex::detect {

inline constexpr int kSampleSlots = 10;
inline constexpr std::size_t kTextSampleSize = 500;     ///< buffer, terminator included
inline constexpr std::size_t kTextSampleMaxBytes = 499; ///< most source bytes copied
inline constexpr std::size_t kTextSampleMinLength = 200;

struct Sample {
    /// Slot j of length n holds n bytes and a terminating zero; the words keep the source's own
    /// bytes (not folded, not recoded).
    std::array<std::array<std::uint8_t, 3>, kSampleSlots> twoLetter{};
    std::array<std::array<std::uint8_t, 4>, kSampleSlots> threeLetter{};
    std::array<std::array<std::uint8_t, 5>, kSampleSlots> fourLetter{};
    int twoCount = 0;
    int threeCount = 0;
    int fourCount = 0;
    /// At most 499 source bytes and a zero; after sampling at least 200 characters long.
    std::array<std::uint8_t, kTextSampleSize> text{};

    /// Number of kept words of a length (2, 3 or 4; 0 for any other length).
    [[nodiscard]] int count(int length) const noexcept;
    /// Word `slot` of a length, without its terminator; empty outside the kept words.
    [[nodiscard]] std::string_view word(int length, int slot) const noexcept;
    /// Whether any word of any length was kept (otherwise the text cannot be recoded
    /// automatically).
    [[nodiscard]] bool hasWords() const noexcept { return twoCount + threeCount + fourCount > 0; }
    /// The text sample up to its terminator.
    [[nodiscard]] std::string_view textSample() const noexcept;
};

/// Samples a source of any bytes (zero bytes included).
[[nodiscard]] Sample sampleSource(std::span<const std::uint8_t> source);
[[nodiscard]] Sample sampleSource(std::string_view source);

} // namespace vorlex::detect
