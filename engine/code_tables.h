// The fourteen byte-for-byte code tables between the Cyrillic code pages.
//
// Each table covers the upper half of the byte range: entry n is the output for input byte
// 0x80 + n; bytes below 0x80 never change. The twelve tables among Win, Koi, Iso and Alt are
// computed at compile time from the letter positions of the published code pages (Ё and ё
// included) and three base tables for the other positions, so they form a closed system: every
// table is a permutation, X->Y and Y->X are inverse, and X->Y followed by Y->Z equals X->Z.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorlex::engine {

/// 128 output bytes for the inputs 0x80..0xFF.
using CodeTable = std::array<std::uint8_t, 128>;

/// A full byte map, 256 entries; used for composed chains of tables.
using ByteMap = std::array<std::uint8_t, 256>;

/// Table numbers; the number is also the filter index of the table.
enum TableNumber : int {
    kAltToIso = 0,
    kAltToKoi = 1,
    kAltToWin = 2,
    kIsoToAlt = 3,
    kIsoToKoi = 4,
    kIsoToWin = 5,
    kKoiToAlt = 6,
    kKoiToIso = 7,
    kKoiToWin = 8,
    kWinToAlt = 9,
    kWinToIso = 10,
    kWinToKoi = 11,
    kMacToWin = 12,
    kWinToMac = 13,
};
inline constexpr int kCodeTableCount = 14;

/// One-letter code page codes as used in filter codes.
enum class CodePage : char {
    win = 'w',
    koi = 'k',
    iso = 'i',
    alt = 'a',
    mac = 'm',
    latin = 'l',
};

namespace detail {

// Alphabet index 0..31 (а..я without ё) of the small letter at each KOI8-R position 0xC0..0xDF;
// the capitals at 0xE0..0xFF follow the same order.
inline constexpr std::array<std::uint8_t, 32> kKoiLetterOrder = {
    30, 0,  1,  22, 4,  5,  20, 3, 21, 8,  9, 10, 11, 12, 13, 14,
    15, 31, 16, 17, 18, 19, 6,  2, 28, 27, 7, 24, 29, 25, 23, 26,
};

/// Byte of letter `letter` (0..63: capitals А..Я then small а..я, no Ё/ё) in a code page.
constexpr std::uint8_t letterByte(CodePage page, int letter) {
    const bool small = letter >= 32;
    const int index = letter % 32;
    switch (page) {
    case CodePage::win:
        return static_cast<std::uint8_t>((small ? 0xE0 : 0xC0) + index);
    case CodePage::iso:
        return static_cast<std::uint8_t>((small ? 0xD0 : 0xB0) + index);
    case CodePage::alt:
        if (!small)
            return static_cast<std::uint8_t>(0x80 + index);
        return static_cast<std::uint8_t>(index < 16 ? 0xA0 + index : 0xE0 + index - 16);
    case CodePage::koi: {
        int position = 0;
        while (kKoiLetterOrder[static_cast<std::size_t>(position)] != index)
            ++position;
        return static_cast<std::uint8_t>((small ? 0xC0 : 0xE0) + position);
    }
    default:
        return 0;
    }
}

// Non-letter positions of Win (0x80..0xBF) as mapped by the base table Win->Alt.
inline constexpr std::array<std::uint8_t, 64> kWinToAltNonLetters = {
    0xF4, 0xC3, 0xF0, 0xF6, 0xF1, 0xF5, 0xF3, 0xF2, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xF7, 0xC4, 0xC5, 0xC6, 0xC7,
    0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7,
    0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

inline constexpr CodeTable kMacToWin = {
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0x86, 0xB0, 0x96, 0x87, 0xA7, 0x95, 0xB6, 0xB2, 0xAE, 0xA9, 0x99, 0x80, 0x90, 0x88, 0x81, 0x83,
    0x89, 0xB1, 0x8B, 0x98, 0x9B, 0xB5, 0xB3, 0xA3, 0xAA, 0xBA, 0xAF, 0xBF, 0x8A, 0x9A, 0x8C, 0x9C,
    0xBC, 0xBD, 0xAC, 0xA5, 0xA6, 0xAD, 0xB4, 0xAB, 0xBB, 0x85, 0xA0, 0x8E, 0x9E, 0x8D, 0x9D, 0xB7,
    0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xBE, 0x84, 0xA1, 0xA2, 0x8F, 0x9F, 0xB9, 0xA8, 0xB8, 0xFF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xA4,
};

inline constexpr CodeTable kWinToMac = {
    0xAB, 0xAE, 0xA2, 0xAF, 0xD7, 0xC9, 0xA0, 0xA3, 0xAD, 0xB0, 0xBC, 0xB2, 0xBE, 0xCD, 0xCB, 0xDA,
    0xAC, 0xD4, 0xD5, 0xD2, 0xD3, 0xA5, 0xD0, 0xD1, 0xB3, 0xAA, 0xBD, 0xB4, 0xBF, 0xCE, 0xCC, 0xDB,
    0xCA, 0xD8, 0xD9, 0xB7, 0xFF, 0xC3, 0xC4, 0xA4, 0xDD, 0xA9, 0xB8, 0xC7, 0xC2, 0xC5, 0xA8, 0xBA,
    0xA1, 0xB1, 0xA7, 0xB6, 0xC6, 0xB5, 0xA6, 0xCF, 0xDE, 0xDC, 0xB9, 0xC8, 0xC0, 0xC1, 0xD6, 0xBB,
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xDF,
};

constexpr bool isWinLetter(std::uint8_t byte) {
    return byte >= 0xC0;
}

/// Byte of Ё (or ё when `small`) in one of Win, Koi, Iso and Alt.
constexpr std::uint8_t yoByte(CodePage page, bool small) {
    switch (page) {
    case CodePage::win:
        return small ? 0xB8 : 0xA8;
    case CodePage::koi:
        return small ? 0xA3 : 0xB3;
    case CodePage::iso:
        return small ? 0xF1 : 0xA1;
    case CodePage::alt:
        return small ? 0xF1 : 0xF0;
    default:
        return 0;
    }
}

/// Makes Win byte `win` go to `destination`; the Win byte that went there before takes the old
/// destination of `win`.
constexpr void swapDestination(CodeTable& table, std::uint8_t win, std::uint8_t destination) {
    std::size_t holder = 0;
    while (table[holder] != destination)
        ++holder;
    table[holder] = table[win - 0x80];
    table[win - 0x80] = destination;
}

/// Base table from Win: letters, Ё and ё included, go to the same letter of `target`; the other
/// Win positions 0x80..0xBF go where the base rule of that target says.
constexpr CodeTable baseFromWin(CodePage target) {
    CodeTable table{};
    for (int letter = 0; letter < 64; ++letter)
        table[letterByte(CodePage::win, letter) - 0x80] = letterByte(target, letter);
    for (int position = 0; position < 64; ++position) {
        const int win = 0x80 + position;
        std::uint8_t out = static_cast<std::uint8_t>(win);
        if (target == CodePage::iso && win >= 0xB0)
            out = static_cast<std::uint8_t>(win + 0x40);
        else if (target == CodePage::alt)
            out = kWinToAltNonLetters[static_cast<std::size_t>(position)];
        table[static_cast<std::size_t>(position)] = out;
    }
    if (target != CodePage::win) {
        // Ё and ё are letters: Win 0xA8/0xB8 go to the target's Ё/ё, and the Win byte that the
        // non-letter rule sent there takes the place Ё/ё had, so the table stays a permutation.
        swapDestination(table, 0xA8, yoByte(target, false));
        swapDestination(table, 0xB8, yoByte(target, true));
    }
    return table;
}

constexpr CodeTable identityTable() {
    CodeTable table{};
    for (int n = 0; n < 128; ++n)
        table[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(0x80 + n);
    return table;
}

constexpr CodeTable inverse(const CodeTable& table) {
    CodeTable result{};
    for (int n = 0; n < 128; ++n)
        result[table[static_cast<std::size_t>(n)] - 0x80] = static_cast<std::uint8_t>(0x80 + n);
    return result;
}

/// `first` then `second`.
constexpr CodeTable compose(const CodeTable& first, const CodeTable& second) {
    CodeTable result{};
    for (std::size_t n = 0; n < 128; ++n)
        result[n] = second[first[n] - 0x80];
    return result;
}

constexpr CodeTable fromWin(CodePage target) {
    return target == CodePage::win ? identityTable() : baseFromWin(target);
}

constexpr CodeTable toWin(CodePage source) {
    return source == CodePage::win ? identityTable() : inverse(baseFromWin(source));
}

constexpr CodeTable table(CodePage from, CodePage to) {
    return compose(toWin(from), fromWin(to));
}

constexpr std::array<CodeTable, kCodeTableCount> buildCodeTables() {
    using P = CodePage;
    return {
        table(P::alt, P::iso),
        table(P::alt, P::koi),
        table(P::alt, P::win),
        table(P::iso, P::alt),
        table(P::iso, P::koi),
        table(P::iso, P::win),
        table(P::koi, P::alt),
        table(P::koi, P::iso),
        table(P::koi, P::win),
        table(P::win, P::alt),
        table(P::win, P::iso),
        table(P::win, P::koi),
        kMacToWin,
        kWinToMac,
    };
}

} // namespace detail

/// The fourteen code tables, indexed by TableNumber.
inline constexpr std::array<CodeTable, kCodeTableCount> kCodeTables = detail::buildCodeTables();

/// Byte of letter 0..63 (А..Я, а..я; Ё/ё excluded) in one of the five Cyrillic code pages.
/// Mac letters are those of the published Mac Cyrillic page.
constexpr std::uint8_t letterByte(CodePage page, int letter) {
    if (page == CodePage::mac) {
        const int index = letter % 32;
        if (letter < 32)
            return static_cast<std::uint8_t>(0x80 + index);
        return static_cast<std::uint8_t>(index == 31 ? 0xDF : 0xE0 + index);
    }
    return detail::letterByte(page, letter);
}

/// Applies a table to one byte: bytes below 0x80 pass unchanged.
constexpr std::uint8_t applyTable(const CodeTable& table, std::uint8_t byte) {
    return byte < 0x80 ? byte : table[byte - 0x80];
}

} // namespace vorlex::engine
