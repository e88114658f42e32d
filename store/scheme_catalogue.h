// The stored schemes as the scheme box lists them, and the search for the last used one.
// Logic only: the window and the dialogs put the results into their controls.
#pragma once

#include "store/settings_store.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::store {

/// Item data of the "Auto" item of the scheme box.
inline constexpr int kAutoSchemeNumber = -1;
/// Text of the "Auto" item, the same in both languages.
inline constexpr std::string_view kAutoSchemeName = "Auto";
/// Scans visit scheme numbers below this one.
inline constexpr int kSchemeNumberLimit = 1000;

struct StoredScheme {
    int number = 0;
    std::string name;   ///< UTF-8
    std::string action; ///< as stored
    bool operator==(const StoredScheme&) const = default;
};

/// Value @p valueName ("Name" or "Action") of scheme @p number, read with the missing-value
/// marker; nothing when it is absent or equal to the marker.
[[nodiscard]] std::optional<std::string> readSchemeValue(const SettingsStore& store, int number,
                                                         std::string_view valueName);

/// Scheme @p number when both its Action and its Name are present, otherwise nothing.
[[nodiscard]] std::optional<StoredScheme> readScheme(const SettingsStore& store, int number);

/// Writes Action and then Name of scheme @p number. `Total schemes` is not touched.
void writeScheme(SettingsStore& store, int number, std::string_view name, std::string_view action);

struct CatalogueScan {
    /// The schemes found, in ascending number: the scheme box items after "Auto".
    std::vector<StoredScheme> schemes;
    /// What the scan writes back to `Total schemes`.
    [[nodiscard]] int count() const noexcept { return static_cast<int>(schemes.size()); }
};

/// Reads the catalogue without writing anything: with `Total schemes` (default 30) as the
/// target, nothing when it is 0 or less; otherwise the schemes among numbers 0 to 999 whose
/// Action and Name are both present, stopping as soon as the target is reached.
[[nodiscard]] CatalogueScan scanCatalogue(const SettingsStore& store);

/// Writes the scan's count to `Total schemes`, which heals a wrong stored count.
void writeSchemeCount(SettingsStore& store, const CatalogueScan& scan);

/// The scan the window runs when it fills its scheme box: scanCatalogue() then
/// writeSchemeCount().
CatalogueScan refreshCatalogue(SettingsStore& store);

/// The schemes a program that never writes the store should offer: what the window would list
/// after its own start. Before the first run (`Flag` 0) the built-in schemes take the place of
/// sections 0 to 22, as the window's start would write them; nothing is written.
[[nodiscard]] std::vector<StoredScheme> availableSchemes(const SettingsStore& store);

/// The first scheme whose name equals @p name exactly (byte for byte), or null.
[[nodiscard]] const StoredScheme* findSchemeByName(std::span<const StoredScheme> schemes,
                                                   std::string_view name);

/// Whether @p text begins with @p prefix, letters compared without regard to case (Latin,
/// Cyrillic and the rest of Unicode); both in UTF-8. An empty prefix begins every text.
[[nodiscard]] bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

/// Index of the first of @p texts that begins with @p prefix ignoring case, or nothing: the
/// selection a list's own prefix search makes.
[[nodiscard]] std::optional<std::size_t>
findFirstByPrefixIgnoringCase(std::span<const std::string> texts, std::string_view prefix);

/// The scheme box item to select for the last used scheme @p lastScheme: the number of the
/// first item, "Auto" (kAutoSchemeNumber) included, whose text begins with it ignoring case; or
/// nothing when no item matches, so the selection stays where it is.
[[nodiscard]] std::optional<int> lastSchemeSelection(std::span<const StoredScheme> schemes,
                                                     std::string_view lastScheme);

} // namespace vorlex::store
