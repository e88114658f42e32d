// The two kinds of source text as 8-bit bytes: a file read whole, and clipboard text turned
// from Unicode into the Windows-1251 bytes the engine works on. Text that arrives as Unicode
// (any clipboard text beyond ASCII, a file of valid UTF-8 beyond ASCII) is also kept as it
// came, for the refined search through Unicode; its 8-bit form feeds the sample, the classic
// pass and the 8-bit outputs.
#pragma once

#include "detect/sample.h"
#include "engine/unicode_input.h"
#include "tools/document_io.h"

#include <QString>
#include <memory>
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

/// UTF-8 text as Windows-1251, each character without a byte as '?'; @p replaced, when given,
/// gets how many became '?'.
[[nodiscard]] std::string unicodeToWin1251Lossy(std::string_view utf8, int* replaced = nullptr);

/// Windows-1251 bytes as shown text (list labels, the clipboard).
[[nodiscard]] QString bytesToShownText(std::string_view bytes);

/// Largest file the source accepts: its size is a 32-bit count.
inline constexpr qint64 kMaxSourceFileSize = 0x7fffffff;

/// Why a file source could not be read: the kind of failure and the system's words for it.
struct SourceReadFailure {
    tools::ReadError error = tools::ReadError::openFailed;
    QString reason;
};

/// The Unicode text (UTF-8) of clipboard text beyond ASCII; null for ASCII text, which reads
/// the same either way.
[[nodiscard]] std::shared_ptr<const std::string> unicodeTextOf(const QString& text);

/// A file source after reading.
struct AnalysedFile {
    detect::Sample sample;
    /// For a file of valid UTF-8 beyond ASCII: its text without a byte-order mark, and its
    /// 8-bit form by the clipboard's rule (what the sample was taken from and what the 8-bit
    /// outputs recode instead of the file). Null for any other file.
    std::shared_ptr<const std::string> unicode;
    std::shared_ptr<const std::string> eightBit;
    int replaced = 0; ///< characters of the 8-bit form that became '?'
};

/// Reads a file source whole (never mapped: a file shortened meanwhile by another program is
/// sampled as far as it was read) and samples it. Nothing when the file is missing, not a
/// regular file, unreadable, empty, larger than kMaxSourceFileSize, or too large for memory;
/// then @p failure, when given, says which.
[[nodiscard]] std::optional<AnalysedFile> analyseFile(const QString& path,
                                                      SourceReadFailure* failure = nullptr);

} // namespace vorlex::app
