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
    autoScheme,    ///< the scheme box's entry for each file's own repair
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString batchText(BatchText id, store::Language language);

} // namespace vorlex::tools
