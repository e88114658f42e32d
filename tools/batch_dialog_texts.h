// Every text the batch dialog shows, in English and Russian, in one table. Look-ups go through
// the interface language flag.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::tools {

enum class BatchText {
    caption,
    closeButton,
    schemeLabel,
    convertButton,
    messageCaption,
    cantReadSchemes,
    selectFilesTitle,
    filesFilter,
    selectFolderTitle,
    configReadFailed,
    cantOpenFile, ///< %1: the source path
    cantAllocate,
    cantWriteFile, ///< %1: the output path
    outputExists,  ///< %1: the output path
    saveAsTitle,   ///< %1: the name of the output encoding
    summary,       ///< %1 files written, %2 skipped, %3 failed
    autoScheme,    ///< the scheme box's entry for each file's own repair
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString batchText(BatchText id, store::Language language);

} // namespace vorlex::tools
