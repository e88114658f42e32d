// Lossless Windows-1251 <-> Unicode conversion for text that leaves the 8-bit world (list
// labels, the clipboard, UTF-8 files). Every byte maps to exactly one code point and back; the
// one unassigned byte 0x98 maps to U+0098.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorlex::engine {

/// The code point of a Windows-1251 byte.
char32_t win1251ToUnicode(std::uint8_t byte) noexcept;

/// The Windows-1251 byte of a code point, or nullopt when it has none.
std::optional<std::uint8_t> unicodeToWin1251(char32_t codePoint) noexcept;

/// Decodes one UTF-8 sequence at @p pos into @p cp; returns its length, or 0 when it is invalid
/// (truncated, overlong, a surrogate, or beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp);

/// Appends the UTF-8 form of `cp`, a code point of the Basic Multilingual Plane (every
/// character of the 8-bit pages is one).
void appendUtf8(std::string& out, char32_t cp);

/// Decodes Windows-1251 bytes into UTF-8.
std::string win1251ToUtf8(std::span<const std::uint8_t> bytes);
std::string win1251ToUtf8(std::string_view bytes);

struct Utf8ToWin1251Result {
    enum class Error { none, invalidUtf8, unmappable };
    Error error = Error::none;
    std::string bytes;           ///< the Windows-1251 text (as far as converted on error)
    std::size_t errorOffset = 0; ///< byte offset in the UTF-8 input of the failing character
    std::size_t errorIndex = 0;  ///< character index (0-based) of the failing character
    char32_t errorCodePoint = 0; ///< the character without a Windows-1251 byte
    [[nodiscard]] bool ok() const noexcept { return error == Error::none; }
};

/// Encodes UTF-8 text as Windows-1251; stops at the first invalid sequence or at the first
/// character that has no Windows-1251 byte.
[[nodiscard]] Utf8ToWin1251Result utf8ToWin1251(std::string_view utf8);

/// UTF-8 text as Windows-1251, each character without a byte (and each invalid sequence) as
/// '?'; @p replaced, when given, gets how many became '?'.
[[nodiscard]] std::string utf8ToWin1251Lossy(std::string_view utf8,
                                             std::size_t* replaced = nullptr);

/// Windows-1251 bytes of UTF-8 text that is known to be representable (program constants).
/// Unrepresentable characters become '?'.
std::string win1251Literal(std::string_view utf8);

} // namespace vorlex::engine
