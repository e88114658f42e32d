// Every text of the update check, in one table. The first line of a failure is English in both
// languages; the address and reason below it, the results and the progress box follow the
// interface language.
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
    checking,     ///< the progress box's line above the address
    cancel,       ///< its button
    address,      ///< followed by the address a failure concerns
    refused,      ///< the reason under "Connection refused"
    hostNotFound, ///< the reason when the server's name is unknown
    noAnswer,     ///< %1: the idle limit in seconds
    tooSlow,      ///< %1: the total limit in seconds
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString updateText(UpdateText id, store::Language language);

} // namespace vorlex::update
