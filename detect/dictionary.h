// The dictionary of short Russian words that automatic recoding scores against, the separator
// set that delimits words, and folding to upper case.
//
// Words are held in Windows-1251. Every dictionary word consists of the capitals А..Я (0xC0..
// 0xDF), so a word of n letters is a number of 5n bits and each list is a bitset over all of
// them: a lookup is one shift and one memory access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::detect {

/// The UTF-8 text of a string-table entry that holds dictionary words (entries 1, 5 and 6: the
/// four-letter list; 2: three letters; 3: two letters); empty for any other entry.
std::string_view dictionaryEntryText(int entry) noexcept;

/// Code page 1251: а..я (224..255) become А..Я (192..223); every other byte, ё included, stays.
constexpr std::uint8_t foldByte(std::uint8_t byte) noexcept {
    return byte >= 224 ? static_cast<std::uint8_t>(byte - 32) : byte;
}

/// Folds a zero-terminated byte string in place; bytes after the first zero are not touched.
void foldToUpper(std::uint8_t* text) noexcept;

/// A folded copy of `text` (every byte folded).
std::string foldedCopy(std::string_view text);

namespace detail {
constexpr std::array<bool, 256> buildSeparators() {
    std::array<bool, 256> table{};
    constexpr std::string_view bytes = " \r\n.,?/!@#$%^&*()-=+\\|{}[];:'\"`~";
    for (char c : bytes)
        table[static_cast<std::uint8_t>(c)] = true;
    return table;
}
} // namespace detail

/// The 32 separator bytes: space, CR, LF and 29 punctuation characters. Tab, digits, Latin
/// letters, < > _ and every byte from 128 up are not separators.
inline constexpr std::array<bool, 256> kSeparators = detail::buildSeparators();

constexpr bool isSeparator(std::uint8_t byte) noexcept {
    return kSeparators[byte];
}

/// Letter number 0..31 of a Windows-1251 capital А..Я, or kNotALetter.
inline constexpr std::uint8_t kNotALetter = 32;
constexpr std::uint8_t capitalLetterCode(std::uint8_t byte) noexcept {
    return byte >= 0xC0 && byte <= 0xDF ? static_cast<std::uint8_t>(byte - 0xC0) : kNotALetter;
}

/// The three word lists. Built once; read-only afterwards, so any number of threads may read it.
class Dictionary {
public:
    /// Builds the lists from the string-table texts (converted to Windows-1251).
    Dictionary();

    /// Whether a folded word of two, three or four bytes equals an entry of the list of its
    /// length. Any other length answers false.
    [[nodiscard]] bool contains(std::string_view foldedWord) const noexcept;

    /// Lookups by letter codes (capitalLetterCode of each letter, first letter in the highest
    /// bits, 5 bits per letter).
    [[nodiscard]] bool containsCode2(std::uint32_t code) const noexcept { return test(two_, code); }
    [[nodiscard]] bool containsCode3(std::uint32_t code) const noexcept {
        return test(three_, code);
    }
    [[nodiscard]] bool containsCode4(std::uint32_t code) const noexcept {
        return test(four_, code);
    }

    /// The words of one list (length 2, 3 or 4) in Windows-1251, in string-table order.
    [[nodiscard]] const std::vector<std::string>& words(int length) const;

private:
    static bool test(const std::vector<std::uint64_t>& bits, std::uint32_t code) noexcept {
        return (bits[code >> 6] >> (code & 63)) & 1;
    }

    std::vector<std::uint64_t> two_;   // 2^10 bits
    std::vector<std::uint64_t> three_; // 2^15 bits
    std::vector<std::uint64_t> four_;  // 2^20 bits
    std::array<std::vector<std::string>, 3> lists_;
};

} // namespace vorlex::detect
