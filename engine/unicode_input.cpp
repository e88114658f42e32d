#include "engine/unicode_input.h"

#include <array>

namespace vorlex::engine {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is unassigned.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr std::int16_t kNoByte = -1;

// For every UTF-16 unit of the Basic Multilingual Plane: its Windows-1251 byte and its Latin-1
// or Windows-1252 byte, or kNoByte. Built once; a 100 MB clipboard is then one look-up a unit.
struct ByteTables {
    std::array<std::int16_t, 0x10000> win1251{};
    std::array<std::int16_t, 0x10000> western{};
    ByteTables() {
        win1251.fill(kNoByte);
        western.fill(kNoByte);
        for (char32_t c = 0; c < 0x10000; ++c)
            if (const auto byte = unicodeToWin1251(c))
                win1251[c] = *byte;
        for (char32_t c = 0; c <= 0xFF; ++c)
            western[c] = static_cast<std::int16_t>(c);
        for (std::size_t i = 0; i < kWindows1252High.size(); ++i)
            if (kWindows1252High[i] != 0)
                western[kWindows1252High[i]] = static_cast<std::int16_t>(0x80 + i);
    }
};

const ByteTables& byteTables() {
    static const ByteTables tables;
    return tables;
}

constexpr bool isSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
constexpr bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::optional<std::uint8_t> unicodeToWestern(char32_t codePoint) noexcept {
    if (codePoint >= 0x10000)
        return std::nullopt;
    const std::int16_t byte = byteTables().western[codePoint];
    if (byte == kNoByte)
        return std::nullopt;
    return static_cast<std::uint8_t>(byte);
}

EightBitText utf16ToEightBit(std::u16string_view text) {
    const ByteTables& tables = byteTables();
    EightBitText result;
    result.bytes.resize(text.size());
    bool allWestern = true;
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            ++i; // one character outside both code pages, one '?'
        const std::int16_t byte = isSurrogate(unit) ? kNoByte : tables.win1251[unit];
        if (isSurrogate(unit) || tables.western[unit] == kNoByte)
            allWestern = false;
        if (byte == kNoByte) {
            result.bytes[length++] = '?';
            ++result.replaced;
        } else {
            result.bytes[length++] = static_cast<char>(byte);
        }
    }
    result.bytes.resize(length);
    // Windows-1251 bytes shown as Western text: take the bytes themselves.
    if (result.replaced > 0 && allWestern) {
        for (std::size_t i = 0; i < text.size(); ++i)
            result.bytes[i] = static_cast<char>(tables.western[text[i]]);
        result.replaced = 0;
    }
    return result;
}

Utf8ToWin1251Result utf8ToEightBit(std::string_view utf8) {
    Utf8ToWin1251Result result = utf8ToWin1251(utf8);
    if (result.error != Utf8ToWin1251Result::Error::unmappable)
        return result;
    // A character without a Windows-1251 byte: maybe the text is Western throughout.
    Utf8ToWin1251Result western;
    western.bytes.reserve(utf8.size());
    std::size_t index = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++index) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        if (length == 0) {
            western.error = Utf8ToWin1251Result::Error::invalidUtf8;
            western.errorOffset = pos;
            western.errorIndex = index;
            return western;
        }
        const std::optional<std::uint8_t> byte = unicodeToWestern(cp);
        if (!byte)
            return result;
        western.bytes += static_cast<char>(*byte);
        pos += length;
    }
    return western;
}

} // namespace vorlex::engine
