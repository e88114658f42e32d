// Every text the preview window shows, in English and Russian, in one table. Look-ups go
// through the window's language: 0 Russian, any other value English.
#pragma once

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
    count_
};

/// The text of @p id in the language of @p language (0 Russian, anything else English).
[[nodiscard]] QString previewText(PreviewText id, int language);

} // namespace vorlex::tools
