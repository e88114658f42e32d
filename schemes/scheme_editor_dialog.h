// The scheme editor: four filter boxes and a name, creating a new scheme or changing the one
// selected in the main window's scheme list.
#pragma once

#include "schemes/scheme_save_dialog.h"
#include "store/scheme_editing.h"

#include <array>

class QComboBox;

namespace vorlex::schemes {

class SchemeEditorDialog final : public SchemeSaveDialog {
    Q_OBJECT
public:
    /// Reads `Language` and fills the controls; in edit mode changes the scheme @p selected (its
    /// text and its number) and reads its Action, telling the user through @p prompter when it
    /// is missing.
    SchemeEditorDialog(store::EditorMode mode, store::SchemeBoxSelection selected,
                       store::SettingsStore& store, chrome::Prompter& prompter,
                       QWidget* parent = nullptr);

    /// OK: stores the scheme, or tells of a clash and stays open.
    void accept() override;

    [[nodiscard]] QComboBox* filterBox(int box) const { return filters_.at(box); }
    [[nodiscard]] QPushButton* okButton() const noexcept { return storeButton_; }

private:
    void buildControls();
    void loadScheme();
    void changed();
    void applyLanguageTexts();
    [[nodiscard]] std::array<int, store::kSchemeFilterBoxes> chosenFilters() const;

    store::EditorMode mode_;
    store::SchemeBoxSelection box_;

    std::array<QComboBox*, store::kSchemeFilterBoxes> filters_{};
    std::array<QLabel*, store::kSchemeFilterBoxes> filterLabels_{};
    QLabel* nameLabel_ = nullptr;
};

} // namespace vorlex::schemes
