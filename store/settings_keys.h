// Every section, value name and default the program keeps in the settings store, each once.
// Every reader and writer goes through these, so a value is read with the same default
// everywhere.
//
// Users' stored settings depend on these names: never change a stored name, even where its
// spelling looks wrong ("Sparate english", "Show preview on dblckl", "FontQualit"), and add new
// values at the end of their section's list.
#pragma once

#include "store/settings_store.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>

namespace vorlex::store {

/// An integer value; a value read through readBounded() is brought into [lowest, highest].
struct IntSetting {
    std::string_view section;
    std::string_view name;
    int defaultValue;
    int lowest = INT_MIN;
    int highest = INT_MAX;

    [[nodiscard]] constexpr int bounded(int value) const noexcept {
        return std::clamp(value, lowest, highest);
    }
};

struct StringSetting {
    std::string_view section;
    std::string_view name;
    std::string_view defaultValue;
};

inline constexpr std::string_view kParametersSection = "Parameters";
inline constexpr std::string_view kRecodingParametersSection = "Recoding Parameters";

// Section "Parameters".
/// 0 until the built-in schemes have been written.
inline constexpr IntSetting kFlag{kParametersSection, "Flag", 0};
/// Interface language: 0 Russian, any other value English.
inline constexpr IntSetting kLanguage{kParametersSection, "Language", 1};
/// Number of stored schemes (not the highest scheme number).
inline constexpr IntSetting kTotalSchemes{kParametersSection, "Total schemes", 30};
/// Name of the scheme last used; "Auto" is the automatic mode.
inline constexpr StringSetting kLastScheme{kParametersSection, "Last scheme", "Auto"};
inline constexpr IntSetting kSaveLastScheme{kParametersSection, "Save last scheme", 1};
inline constexpr IntSetting kAutoRecode{kParametersSection, "Auto recode", 1};
inline constexpr IntSetting kAutoRecodeFile{kParametersSection, "Auto recode file", 1};
inline constexpr IntSetting kAutoRecodeClipboard{kParametersSection, "Auto recode clipboard", 1};
inline constexpr IntSetting kSetClipboardViewer{kParametersSection, "Set clipboard viewer", 1};
inline constexpr IntSetting kShowPreviewOnDoubleClick{kParametersSection, "Show preview on dblckl",
                                                      0};
/// Non-zero: do not show the message that the text cannot be recoded automatically.
inline constexpr IntSetting kShowNoAutoRecoding{kParametersSection, "Show no auto recoding", 0};
/// Non-zero: do not show the message about a wrong clipboard format.
inline constexpr IntSetting kShowWrongClipboardFormat{kParametersSection,
                                                      "Show wrong clipboard format", 0};
/// Latin transliteration switches.
inline constexpr IntSetting kWAsVe{kParametersSection, "W as Ve", 0};
inline constexpr IntSetting kNoSj{kParametersSection, "No Sj", 0};
inline constexpr IntSetting kSeparateEnglish{kParametersSection, "Sparate english", 0};
/// List font; a height of 0 means that no font was chosen yet. The byte-sized fields hold 0-255.
inline constexpr IntSetting kFontHeight{kParametersSection, "FontHeight", 0};
inline constexpr IntSetting kFontWidth{kParametersSection, "FontWidth", 0};
inline constexpr IntSetting kFontWeight{kParametersSection, "FontWeight", 0};
inline constexpr IntSetting kFontItalic{kParametersSection, "FontItalic", 0};
inline constexpr IntSetting kFontCharSet{kParametersSection, "FontCharSet", 0};
inline constexpr IntSetting kFontOut{kParametersSection, "FontOut", 0};
inline constexpr IntSetting kFontClip{kParametersSection, "FontClip", 0};
inline constexpr IntSetting kFontQuality{kParametersSection, "FontQualit", 0};
inline constexpr IntSetting kFontFamily{kParametersSection, "FontFamily", 0};
/// Face name, at most 31 characters; the default is one space.
inline constexpr StringSetting kFontName{kParametersSection, "FontName", " "};

// Section "Recoding Parameters".
/// Most variants shown in the list.
inline constexpr IntSetting kTotalShow{kRecodingParametersSection, "Total Show", 20, 1, 99};
/// Precision of automatic recoding (0 shows all); it indexes a table of ten thresholds.
inline constexpr IntSetting kPrecision{kRecodingParametersSection, "Precision", 7, 0, 9};
/// Non-zero: the variant list is re-ordered by the refined ranking once a pass ends.
inline constexpr IntSetting kRefineRanking{kRecodingParametersSection, "Refine ranking", 0};
/// The encoding of the files the program writes: 0 Windows-1251, 1 UTF-8 (see OutputEncoding).
inline constexpr IntSetting kOutputEncoding{kRecodingParametersSection, "Output encoding", 1, 0, 1};

// Scheme sections, named by the scheme number (see schemeSectionName()).
inline constexpr std::string_view kSchemeNameValue = "Name";
inline constexpr std::string_view kSchemeActionValue = "Action";

/// The default every scheme value is read with: getting it back means the value is absent.
inline constexpr std::string_view kMissingValue = "~-^-~";

[[nodiscard]] inline int readSetting(const SettingsStore& store, const IntSetting& setting) {
    return store.readInt(setting.section, setting.name, setting.defaultValue);
}

[[nodiscard]] inline std::string readSetting(const SettingsStore& store,
                                             const StringSetting& setting) {
    return store.readString(setting.section, setting.name, std::string(setting.defaultValue));
}

/// The stored value brought into the setting's bounds (a value edited by hand or damaged).
[[nodiscard]] inline int readBounded(const SettingsStore& store, const IntSetting& setting) {
    return setting.bounded(readSetting(store, setting));
}

inline void writeSetting(SettingsStore& store, const IntSetting& setting, int value) {
    store.writeInt(setting.section, setting.name, value);
}

inline void writeSetting(SettingsStore& store, const StringSetting& setting,
                         std::string_view value) {
    store.writeString(setting.section, setting.name, value);
}

} // namespace vorlex::store
