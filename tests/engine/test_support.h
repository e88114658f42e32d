// Helpers shared by the engine tests: byte buffers, and glibc iconv as an independent source
// of the published Cyrillic code pages (so expected bytes never come from the engine itself).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <iconv.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::engine::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline std::string toString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

/// Converts `input` from one iconv encoding into another; nullopt when iconv rejects any part.
inline std::optional<std::string> iconvConvert(const char* from, const char* to,
                                               std::string_view input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv_open failed for ") + from + " -> " + to);
    std::string in(input);
    std::string out(in.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

/// UTF-8 text in one of the iconv code pages ("CP1251", "KOI8-R", ...); the text must be
/// representable there.
inline Bytes encode(const char* codePage, std::string_view utf8) {
    auto converted = iconvConvert("UTF-8", codePage, utf8);
    if (!converted)
        throw std::runtime_error("text not representable in " + std::string(codePage));
    return toBytes(*converted);
}

/// Windows-1251 bytes of a UTF-8 literal.
inline Bytes win(std::string_view utf8) {
    return encode("CP1251", utf8);
}
inline std::string winStr(std::string_view utf8) {
    return toString(win(utf8));
}

/// The single byte of one character in a code page.
inline std::uint8_t byteOf(const char* codePage, std::string_view utf8Char) {
    const Bytes bytes = encode(codePage, utf8Char);
    if (bytes.size() != 1)
        throw std::runtime_error("not a single byte");
    return bytes[0];
}

/// The 64 letters А..Я, а..я (no Ё/ё) as UTF-8, in the engine's letter order 0..63.
inline std::vector<std::string> russianLetters() {
    std::vector<std::string> letters;
    for (char32_t cp = 0x410; cp <= 0x44F; ++cp) {
        std::string utf8;
        utf8 += static_cast<char>(0xC0 | (cp >> 6));
        utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        letters.push_back(utf8);
    }
    return letters;
}

inline std::string hex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace vorlex::engine::test
