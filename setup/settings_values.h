// What the settings dialog and the main window decide about the settings without a window: the
// check of the precision box and the change of clipboard watching once the dialog has closed.
#pragma once

#include "chrome/number_check.h"

#include <QString>

namespace vorlex::setup {

/// The check of the precision box: an integer within the bounds of `Precision`.
using PrecisionCheck = chrome::NumberCheck;
[[nodiscard]] inline PrecisionCheck checkPrecision(const QString& text) {
    return chrome::checkNumber(text, store::kPrecision);
}

/// What becomes of clipboard watching once `Set clipboard viewer` has been re-read.
enum class WatchingChange { none, leave, join };
[[nodiscard]] constexpr WatchingChange watchingChange(bool watching,
                                                      bool setClipboardViewer) noexcept {
    if (watching && !setClipboardViewer)
        return WatchingChange::leave;
    if (!watching && setClipboardViewer)
        return WatchingChange::join;
    return WatchingChange::none;
}

} // namespace vorlex::setup
