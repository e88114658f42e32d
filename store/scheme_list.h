// The schemes the main window offers, "Auto" first, and which one is selected. The window's
// scheme box only shows this list; the scheme commands change it.
#pragma once

#include "store/scheme_catalogue.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlex::store {

class SchemeList {
public:
    /// "Auto" alone, selected.
    SchemeList() = default;

    /// "Auto" followed by @p schemes (as a catalogue scan lists them); "Auto" is selected.
    void assign(std::vector<StoredScheme> schemes);

    /// The stored schemes, without "Auto".
    [[nodiscard]] const std::vector<StoredScheme>& schemes() const noexcept { return schemes_; }
    /// Items including "Auto".
    [[nodiscard]] int size() const noexcept { return static_cast<int>(schemes_.size()) + 1; }
    /// The text of item @p index: "Auto" for item 0.
    [[nodiscard]] std::string name(int index) const;
    /// The scheme number of item @p index: kAutoSchemeNumber for item 0.
    [[nodiscard]] int number(int index) const;

    /// The selected item; 0 is "Auto".
    [[nodiscard]] int selectedIndex() const noexcept { return selected_; }
    [[nodiscard]] int selectedNumber() const { return number(selected_); }
    [[nodiscard]] std::string selectedName() const { return name(selected_); }
    /// The selected stored scheme, or null when "Auto" is selected.
    [[nodiscard]] const StoredScheme* selectedScheme() const;

    /// Selects item @p index; an index outside the list selects nothing new.
    void select(int index);
    /// Selects the item of scheme @p number. @return false when none has it.
    bool selectNumber(int number);
    /// Selects the first item, "Auto" included, whose text begins with @p lastScheme ignoring
    /// case; without one the selection stays.
    void selectLastScheme(std::string_view lastScheme);
    /// Removes the selected stored scheme and selects the item before it.
    void removeSelected();

private:
    std::vector<StoredScheme> schemes_;
    int selected_ = 0;
};

} // namespace vorlex::store
