// Every text of the update check, in one table. The network failures are shown in English in
// both languages; the result messages follow the interface language.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::update {

enum class UpdateText {
    badUrl,
    accessDenied,
    redirectWithoutLocation,
    redirectUnparsable,
    redirectNotHttp,
    serverError, ///< followed by the status in decimal
    noNewVersion,
    newVersionFound,
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString updateText(UpdateText id, store::Language language);

} // namespace vorlex::update
