// The lines a failure message adds below its own text: the file it is about and why it failed,
// in the window's language. The system's reasons (errno words from io/) that people meet with
// text files are told in either language; any other stays in the system's words.
#pragma once

#include "store/language.h"
#include "tools/document_io.h"

#include <QString>

namespace vorlex::tools {

/// The system's reason @p systemWords (as io/ gives it) as a sentence in @p language; nothing
/// known gives the words themselves, and no words give @p fallback's sentence.
enum class ReasonFallback { readFailed, writeFailed };
[[nodiscard]] QString systemReason(const QString& systemWords, store::Language language,
                                   ReasonFallback fallback);

/// Why a read ended with @p error (not ReadError::none); @p systemWords as io/ gave them.
[[nodiscard]] QString readFailureReason(ReadError error, const QString& systemWords,
                                        store::Language language);
/// Why a write failed; @p systemWords as io/ gave them.
[[nodiscard]] QString writeFailureReason(const QString& systemWords, store::Language language);

/// @p first unchanged as the first line, then "File: " and @p path, then @p reason.
[[nodiscard]] QString fileFailureText(const QString& first, const QString& path,
                                      const QString& reason, store::Language language);

/// @p first ("Error reading config file") as the first line, then the settings file
/// @p location when there is one, then that scheme @p schemeName has no stored action.
[[nodiscard]] QString configFailureText(const QString& first, const QString& location,
                                        const QString& schemeName, store::Language language);

} // namespace vorlex::tools
