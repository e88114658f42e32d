// What the main window decides without a window: the check of the maximum-variants field, and
// which message belongs to which kind of source.
#pragma once

#include "app/main_window_texts.h"
#include "chrome/number_check.h"

#include <QString>

namespace vorlex::app {

/// The check of the maximum-variants field: an integer within the bounds of `Total Show`.
using VariantLimitCheck = chrome::NumberCheck;
[[nodiscard]] inline VariantLimitCheck checkVariantLimit(const QString& text) {
    return chrome::checkNumber(text, store::kTotalShow);
}

enum class SourceKind { clipboard, chosenFile, droppedFile, commandLineFile };

[[nodiscard]] MainText noWordsMessage(SourceKind kind);
[[nodiscard]] MainText readFailedMessage(SourceKind kind);

/// The reason shown when the settings could not be saved, for an errno value of
/// store::SettingsStore::flush().
[[nodiscard]] MainText saveFailureReason(int code);

} // namespace vorlex::app
