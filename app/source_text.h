// The two kinds of source text as 8-bit bytes: a file read through a read-only mapping, and
// clipboard text turned from Unicode into the Windows-1251 bytes the engine works on.
#pragma once

#include "detect/sample.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::app {

/// Bytes of clipboard text and how many characters had to become '?'.
struct ClipboardBytes {
    std::string bytes;
    int replaced = 0;
};

/// Clipboard text as 8-bit text. Windows-1251 when every character has a Windows-1251 byte.
/// Otherwise, when every character lies in Latin-1 or Windows-1252, the text is Windows-1251
/// bytes shown as Western text ("Ïðèâåò"): those bytes are taken. Anything else: Windows-1251
/// with every character that lacks a byte replaced by '?'.
[[nodiscard]] ClipboardBytes clipboardTextToBytes(const QString& text);

/// Windows-1251 bytes as shown text (list labels, the clipboard).
[[nodiscard]] QString bytesToShownText(std::string_view bytes);

/// Largest file the source accepts: its size is a 32-bit count.
inline constexpr qint64 kMaxSourceFileSize = 0x7fffffff;

/// Reads a file source through a read-only mapping of the whole file, samples it and releases
/// the mapping. Nothing when the file is missing, not a regular file, unreadable, empty, larger
/// than kMaxSourceFileSize, or cannot be mapped.
[[nodiscard]] std::optional<detect::Sample> analyseFile(const QString& path);

} // namespace vorlex::app
