// The scheme editor: four filter boxes and a name, creating a new scheme or changing the one
// selected in the main window's scheme list.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"
#include "store/scheme_editing.h"
#include "store/settings_store.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::schemes {

class SchemeEditorDialog final : public chrome::CaptionedDialog {
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
    [[nodiscard]] QLineEdit* nameEdit() const noexcept { return name_; }
    [[nodiscard]] QPushButton* okButton() const noexcept { return ok_; }
    [[nodiscard]] QPushButton* cancelButton() const noexcept { return cancel_; }
    /// The section written by the last successful OK, or -1.
    [[nodiscard]] int storedNumber() const noexcept { return storedNumber_; }

private:
    void buildControls();
    void loadScheme();
    void changed();
    void applyLanguageTexts();
    [[nodiscard]] std::array<int, store::kSchemeFilterBoxes> chosenFilters() const;

    store::EditorMode mode_;
    store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    store::Language language_;
    store::SchemeBoxSelection box_;
    int storedNumber_ = -1;

    std::array<QComboBox*, store::kSchemeFilterBoxes> filters_{};
    std::array<QLabel*, store::kSchemeFilterBoxes> filterLabels_{};
    QLabel* nameLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace vorlex::schemes
