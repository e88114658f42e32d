// The values of the settings dialog and what the main window re-reads after it, without a
// window: reading with the clamp of the precision, the check of the precision box, the writes
// in their fixed order, and the change of clipboard watching.
#pragma once

#include "store/settings_store.h"

#include <QString>
#include <optional>
#include <string>

namespace vorlex::setup {

/// Language of the radio group when neither button is checked.
inline constexpr int kNoLanguageChosen = -1;

/// The dialog's values; check boxes are 1 when checked and 0 otherwise.
struct SettingsValues {
    int precision = 7; ///< 0-9
    int showNoAutoRecoding = 0;
    int showWrongClipboardFormat = 0;
    int autoRecode = 1;
    int autoRecodeFile = 1;
    int autoRecodeClipboard = 1;
    int saveLastScheme = 1;
    int noSj = 0;
    int wAsVe = 0;
    int showPreviewOnDoubleClick = 0;
    int language = 1; ///< 0 Russian, 1 English, -1 neither chosen (reads as English)
    int setClipboardViewer = 1;
    int separateEnglish = 0;
    int refineRanking = 0;
    bool operator==(const SettingsValues&) const = default;
};

/// Every value from the store with its default; a precision outside 0-9 is clamped into it.
[[nodiscard]] SettingsValues readSettingsValues(const store::SettingsStore& store);

/// Writes the values in the order Precision, Show no auto recoding, Show wrong clipboard
/// format, Auto recode, Auto recode file, Auto recode clipboard, Save last scheme, No Sj,
/// W as Ve, Show preview on dblckl, Language, Set clipboard viewer, Sparate english, Refine
/// ranking. With @p writePrecision false the precision is left as stored.
void writeSettingsValues(store::SettingsStore& store, const SettingsValues& values,
                         bool writePrecision);

/// The check of the precision box: an integer from 0 to 9.
struct PrecisionCheck {
    enum class Result { ok, notANumber, outOfRange };
    Result result = Result::notANumber;
    int value = 0;
};
[[nodiscard]] PrecisionCheck checkPrecision(const QString& text);

/// What the main window re-reads once the settings dialog has closed.
struct SettingsAfterDialog {
    int language = 1;  ///< step 1: the interface language flag
    int precision = 7; ///< step 1: precision of automatic recoding, clamped into 0-9
    int refineRanking = 0;
    // Step 2: the main window's switches.
    int showNoAutoRecoding = 0;
    int showWrongClipboardFormat = 0;
    int autoRecode = 1;
    int autoRecodeFile = 1;
    int autoRecodeClipboard = 1;
    int saveLastScheme = 1;
    int showPreviewOnDoubleClick = 0;
    /// Step 3: the last scheme to select by prefix; only when saveLastScheme is set.
    std::optional<std::string> lastScheme;
    // Step 4: the transliteration switches.
    int noSj = 0;
    int wAsVe = 0;
    /// Step 6: `Set clipboard viewer`.
    int setClipboardViewer = 1;
};

/// Reads the values of steps 1 to 6 in their order. `Total Show` and `Sparate english` are not
/// among them.
[[nodiscard]] SettingsAfterDialog readSettingsAfterDialog(const store::SettingsStore& store);

/// Step 6: what becomes of clipboard watching.
enum class WatchingChange { none, leave, join };
[[nodiscard]] constexpr WatchingChange watchingChange(bool watching,
                                                      int setClipboardViewer) noexcept {
    if (watching && setClipboardViewer == 0)
        return WatchingChange::leave;
    if (!watching && setClipboardViewer != 0)
        return WatchingChange::join;
    return WatchingChange::none;
}

} // namespace vorlex::setup
