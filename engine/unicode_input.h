// Unicode text from outside (the clipboard, UTF-8 input) as the 8-bit bytes the engine works
// on. Windows-1251 when every character has a Windows-1251 byte. Otherwise, when every
// character lies in Latin-1 or Windows-1252, the text is Windows-1251 bytes shown as Western
// text ("Ïðèâåò"), and those bytes are taken.
#pragma once

#include "engine/cp1251.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::engine {

/// The Latin-1 or Windows-1252 byte of a code point, or nullopt when it has none.
[[nodiscard]] std::optional<std::uint8_t> unicodeToWestern(char32_t codePoint) noexcept;

/// 8-bit bytes of Unicode text and how many characters had to become '?'.
struct EightBitText {
    std::string bytes;
    int replaced = 0;
};

/// UTF-16 text as 8-bit bytes by the rule above; when neither code page covers every
/// character, Windows-1251 with every character that lacks a byte replaced by '?' (a pair of
/// surrogates is one character, one '?').
[[nodiscard]] EightBitText utf16ToEightBit(std::u16string_view text);

/// UTF-8 text as 8-bit bytes by the rule above. When neither code page covers every character
/// the result is the error of utf8ToWin1251 (the first character without a Windows-1251 byte,
/// or the first invalid sequence).
[[nodiscard]] Utf8ToWin1251Result utf8ToEightBit(std::string_view utf8);

} // namespace vorlex::engine
