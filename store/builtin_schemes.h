// The schemes written into the store on the first run, and the naming of scheme sections.
#pragma once

#include "store/settings_store.h"

#include <span>
#include <string>
#include <string_view>

namespace vorlex::store {

struct BuiltInScheme {
    std::string_view name;   ///< UTF-8
    std::string_view action; ///< filter codes joined by single spaces
};

/// The 23 built-in schemes; scheme number i is element i.
[[nodiscard]] std::span<const BuiltInScheme> builtInSchemes() noexcept;

/// The section of scheme @p number: the number in decimal without leading zeros or sign.
/// A negative number (the "Auto" item) gives an empty name, which every store operation refuses.
[[nodiscard]] std::string schemeSectionName(int number);

/// Writes the built-in schemes into sections "0" to "22" (Action, then Name) unless `Flag` is
/// non-zero. Neither `Flag` nor `Total schemes` is written.
void writeBuiltInSchemes(SettingsStore& store);

/// What the window does with the store when it starts: writes the built-in schemes if this is
/// the first run, then sets `Flag` to 1.
void initialiseOnStart(SettingsStore& store);

} // namespace vorlex::store
