// The two kinds of source text as 8-bit bytes: a file read whole, and clipboard text turned
// from Unicode into the Windows-1251 bytes the engine works on.
#pragma once

#include "detect/sample.h"
#include "engine/unicode_input.h"
#include "tools/document_io.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::app {

/// Bytes of clipboard text and how many characters had to become '?'.
using ClipboardBytes = engine::EightBitText;

/// Clipboard text as 8-bit text (engine::utf16ToEightBit): Windows-1251, or the bytes of
/// Windows-1251 text shown as Western text ("Ïðèâåò"), or Windows-1251 with every character
/// that lacks a byte replaced by '?'.
[[nodiscard]] ClipboardBytes clipboardTextToBytes(const QString& text);

/// Windows-1251 bytes as shown text (list labels, the clipboard).
[[nodiscard]] QString bytesToShownText(std::string_view bytes);

/// Largest file the source accepts: its size is a 32-bit count.
inline constexpr qint64 kMaxSourceFileSize = 0x7fffffff;

/// Why a file source could not be read: the kind of failure and the system's words for it.
struct SourceReadFailure {
    tools::ReadError error = tools::ReadError::openFailed;
    QString reason;
};

/// Reads a file source whole (never mapped: a file shortened meanwhile by another program is
/// sampled as far as it was read) and samples it. Nothing when the file is missing, not a
/// regular file, unreadable, empty, larger than kMaxSourceFileSize, or too large for memory;
/// then @p failure, when given, says which.
[[nodiscard]] std::optional<detect::Sample> analyseFile(const QString& path,
                                                        SourceReadFailure* failure = nullptr);

} // namespace vorlex::app
