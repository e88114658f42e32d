// The program's settings as one typed value: the switches as bools, the interface language and
// the two bounded numbers, read and written in one place each.
#pragma once

#include "store/language.h"
#include "store/settings_keys.h"
#include "store/settings_store.h"

#include <string>

namespace vorlex::store {

/// The encoding of the files the program writes. The recoded text is Windows-1251 to the
/// program; UTF-8 output is that text decoded, so plain ASCII (Latinica) is the same either way.
enum class OutputEncoding { win1251 = 0, utf8 = 1 };

/// The encoding of a stored `Output encoding` value; anything but 0 and 1 is the default.
[[nodiscard]] constexpr OutputEncoding outputEncodingOf(int stored) noexcept {
    if (stored == static_cast<int>(OutputEncoding::win1251))
        return OutputEncoding::win1251;
    if (stored == static_cast<int>(OutputEncoding::utf8))
        return OutputEncoding::utf8;
    return static_cast<OutputEncoding>(kOutputEncoding.defaultValue);
}

/// Every setting the windows and the command-line tool act on; the defaults are the keys'.
struct Settings {
    Language language = languageOf(kLanguage.defaultValue);
    int totalShow = kTotalShow.defaultValue; ///< within kTotalShow's bounds
    int precision = kPrecision.defaultValue; ///< within kPrecision's bounds
    bool showNoAutoRecoding = kShowNoAutoRecoding.defaultValue != 0;
    bool showWrongClipboardFormat = kShowWrongClipboardFormat.defaultValue != 0;
    bool autoRecode = kAutoRecode.defaultValue != 0;
    bool autoRecodeFile = kAutoRecodeFile.defaultValue != 0;
    bool autoRecodeClipboard = kAutoRecodeClipboard.defaultValue != 0;
    bool saveLastScheme = kSaveLastScheme.defaultValue != 0;
    bool showPreviewOnDoubleClick = kShowPreviewOnDoubleClick.defaultValue != 0;
    bool setClipboardViewer = kSetClipboardViewer.defaultValue != 0;
    /// Read only when saveLastScheme is set; the default otherwise.
    std::string lastScheme = std::string(kLastScheme.defaultValue);
    bool noSj = kNoSj.defaultValue != 0;
    bool wAsVe = kWAsVe.defaultValue != 0;
    bool separateEnglish = kSeparateEnglish.defaultValue != 0;
    bool refineRanking = kRefineRanking.defaultValue != 0;
    OutputEncoding outputEncoding = outputEncodingOf(kOutputEncoding.defaultValue);

    bool operator==(const Settings&) const = default;
};

/// Every setting from @p store with its default; bounded values are brought into their bounds.
[[nodiscard]] Settings readSettings(const SettingsStore& store);

/// The interface language alone, for the windows that read nothing else at start.
[[nodiscard]] Language readLanguage(const SettingsStore& store);

/// Whether writeSettings() writes the precision or leaves the stored one alone.
enum class PrecisionWrite { write, keepStored };

/// Writes what the settings dialog sets, in the order Precision, Show no auto recoding, Show
/// wrong clipboard format, Auto recode, Auto recode file, Auto recode clipboard, Save last
/// scheme, No Sj, W as Ve, Show preview on dblckl, Language, Set clipboard viewer, Sparate
/// english, Refine ranking, Output encoding. `Total Show` and `Last scheme` have writers of their
/// own.
void writeSettings(SettingsStore& store, const Settings& settings,
                   PrecisionWrite precision = PrecisionWrite::write);

} // namespace vorlex::store
