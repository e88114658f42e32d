// Every text the preview window shows, in English and Russian, in one table. Look-ups go
// through the window's language.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::tools {

enum class PreviewText {
    captionDocument,
    captionSource,
    actionLabel,
    closeButton,
    writeButton,
    putButton,
    saveSchemeButton,
    noAction, ///< the action text in source mode
    // Messages.
    readFailed,
    outOfMemory,
    outOfMemoryForData, ///< writing to a file
    createFailed,
    writeFailed,
    saveAsTitle, ///< %1: the name of the output encoding
    /// %1: characters of a Unicode document without a Windows-1251 code
    unencodableQuestion,
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString previewText(PreviewText id, store::Language language);

} // namespace vorlex::tools
