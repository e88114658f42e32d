// What the scheme dialogs decide and write, without a window: the filter boxes' items, the
// action string built from them, the check for clashes with stored schemes, the writes of a
// stored scheme and the deletion of one. The dialogs only move values between these and their
// controls.
#pragma once

#include "store/scheme_catalogue.h"
#include "store/settings_store.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorlex::store {

/// Longest scheme name the dialogs accept, in characters.
inline constexpr int kSchemeNameMaxLength = 25;
/// Filter boxes of the scheme editor, and the most filters a stored action string holds.
inline constexpr int kSchemeFilterBoxes = 4;

/// Filter indices of the filter boxes' items after the first ("No", -1), in box order.
[[nodiscard]] std::span<const int> filterBoxFilters() noexcept;

/// The action string of the filter indices up to the first -1, at most four of them, each as
/// its code, joined by single spaces ("wk wk"). An index that names no filter ends the list.
[[nodiscard]] std::string buildActionString(std::span<const int> filterIndices);

/// What the four filter boxes show for a stored action string: the filter of each of its first
/// four codes, -1 from the first token that is not a filter code on. A fifth code is dropped.
[[nodiscard]] std::array<int, kSchemeFilterBoxes> filterBoxesOf(std::string_view action);

/// Whether the editor's OK is enabled: a name of at least three characters and a filter in
/// the first box. @p nameLength counts characters.
[[nodiscard]] constexpr bool editorCanStore(int nameLength, int firstBoxFilter) noexcept {
    return nameLength >= 3 && firstBoxFilter != -1;
}

/// Whether the scheme-name dialog's Save is enabled: a name of more than two characters.
[[nodiscard]] constexpr bool nameDialogCanSave(int nameLength) noexcept {
    return nameLength > 2;
}

/// Which stored value a new or changed scheme repeats.
enum class Clash { none, nameAndVariant, name, variant };

struct ClashCheck {
    bool nameClash = false;
    bool variantClash = false;
    int count = 0;        ///< schemes counted, the own one included
    int scanPosition = 0; ///< the number after the last scheme counted, or 1000
    /// The number after the last scheme found (the own one included), 0 when none was found.
    int afterLastFound = 0;
    [[nodiscard]] Clash clash() const noexcept;
};

/// Compares @p name and @p action exactly with the stored schemes, as the catalogue counts
/// them: with `Total schemes` (default 30) as the target, numbers 0 to 999 until the target is
/// reached. The scheme numbered @p ownNumber (-1 for none) is counted but not compared.
[[nodiscard]] ClashCheck checkClashes(const SettingsStore& store, std::string_view name,
                                      std::string_view action, int ownNumber);

/// The number a new scheme is stored under: the number after the last stored scheme, moved on
/// past any section that still holds a scheme value, so that no stored value is overwritten
/// (with a `Total schemes` lower than the real count the scan stops early). Nothing when every
/// number below 1000 is taken.
[[nodiscard]] std::optional<int> newSchemeNumber(const SettingsStore& store,
                                                 const ClashCheck& check);

/// The scheme box as the editor sees it: its current text and the selected item's number.
struct SchemeBoxSelection {
    std::string text; ///< UTF-8
    int number = kAutoSchemeNumber;
};

enum class EditorMode { create = 0, edit = 1 };

struct SaveResult {
    enum class Outcome { stored, clash, noFreeNumber };
    Outcome outcome = Outcome::clash;
    Clash clash = Clash::none;
    int number = -1; ///< the section written, when stored
};

/// The editor's OK after the name and filters are taken: `Last scheme` becomes @p name when
/// it equals the box's text (before the checks, and kept if they fail); then the clash check
/// with the own number (edit mode: the box's number); without a clash Action and then Name are
/// written to the own section (edit) or a new one, and in create mode `Total schemes` becomes
/// the count + 1. Edit mode on a number that names no scheme (-1, "Auto") stores a new scheme.
SaveResult saveFromEditor(SettingsStore& store, EditorMode mode, const SchemeBoxSelection& box,
                          std::string_view name, std::string_view action);

/// The scheme-name dialog's save: as a new scheme of the editor, without touching
/// `Last scheme`.
SaveResult saveNewScheme(SettingsStore& store, std::string_view name, std::string_view action);

/// Removes scheme @p number's section; on success writes `Total schemes` = its stored value
/// (default 30) - 1. @return 0 on success, or the store's error code, in which case nothing
/// was written.
[[nodiscard]] int deleteStoredScheme(SettingsStore& store, int number);

/// The scheme box item to select after a variant is saved as a scheme and the box is refilled
/// from @p scan: with `Save last scheme` (default 1) set, the first item beginning with the
/// stored `Last scheme` ignoring case; nothing to keep the selection ("Auto" after the refill).
[[nodiscard]] std::optional<int> selectionAfterSave(const SettingsStore& store,
                                                    const CatalogueScan& scan);

} // namespace vorlex::store
