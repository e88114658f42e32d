#include "engine/cp1251.h"

#include <algorithm>
#include <array>

namespace vorlex::engine {
namespace {

// Code points of 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98: 0x98 is unassigned
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

} // namespace

std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (c & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    cp = value;
    return length;
}

char32_t win1251ToUnicode(std::uint8_t byte) noexcept {
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char32_t>(0x0410 + (byte - 0xC0));
    return kUpperHalf[byte - 0x80];
}

std::optional<std::uint8_t> unicodeToWin1251(char32_t codePoint) noexcept {
    if (codePoint < 0x80)
        return static_cast<std::uint8_t>(codePoint);
    if (codePoint >= 0x0410 && codePoint <= 0x044F)
        return static_cast<std::uint8_t>(0xC0 + (codePoint - 0x0410));
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == codePoint)
            return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string win1251ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes)
        appendUtf8(out, win1251ToUnicode(b));
    return out;
}

std::string win1251ToUtf8(std::string_view bytes) {
    return win1251ToUtf8(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

Utf8ToWin1251Result utf8ToWin1251(std::string_view utf8) {
    Utf8ToWin1251Result result;
    result.bytes.reserve(utf8.size());
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        if (length == 0) {
            result.error = Utf8ToWin1251Result::Error::invalidUtf8;
            result.errorOffset = pos;
            result.errorIndex = index;
            return result;
        }
        const std::optional<std::uint8_t> byte = unicodeToWin1251(cp);
        if (!byte) {
            result.error = Utf8ToWin1251Result::Error::unmappable;
            result.errorOffset = pos;
            result.errorIndex = index;
            result.errorCodePoint = cp;
            return result;
        }
        result.bytes += static_cast<char>(*byte);
        pos += length;
        ++index;
    }
    return result;
}

std::string win1251Literal(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        if (length == 0) {
            out += '?';
            ++pos;
            continue;
        }
        const std::optional<std::uint8_t> byte = unicodeToWin1251(cp);
        out += byte ? static_cast<char>(*byte) : '?';
        pos += length;
    }
    return out;
}

std::string utf8ToWin1251Lossy(std::string_view utf8, std::size_t* replaced) {
    std::size_t lost = 0;
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        pos += std::max<std::size_t>(1, length);
        const std::optional<std::uint8_t> byte = length == 0 ? std::nullopt : unicodeToWin1251(cp);
        lost += byte ? 0 : 1;
        bytes += static_cast<char>(byte.value_or('?'));
    }
    if (replaced != nullptr)
        *replaced = lost;
    return bytes;
}

} // namespace vorlex::engine
