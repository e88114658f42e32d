// The scheme editor: four filter boxes and a name, creating a new scheme or changing the one
// selected in the main window's scheme box.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"
#include "store/scheme_editing.h"
#include "store/settings_store.h"

#include <QPointer>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::store {

class SchemeEditorDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// Reads `Language` and fills the controls; in edit mode takes the scheme to change from
    /// @p schemeBox's current item (its text and its number) and reads its Action, telling the
    /// user through @p prompter when it is missing. @p schemeBox gets the keyboard focus when
    /// the dialog closes; it may be null (then there is nothing to edit and no last scheme).
    SchemeEditorDialog(EditorMode mode, QComboBox* schemeBox, SettingsStore& store,
                       chrome::Prompter& prompter, QWidget* parent = nullptr);

    /// OK: stores the scheme, or tells of a clash and stays open.
    void accept() override;
    void done(int result) override;

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
    [[nodiscard]] std::array<int, kSchemeFilterBoxes> chosenFilters() const;

    EditorMode mode_;
    QPointer<QComboBox> schemeBox_;
    SettingsStore& store_;
    chrome::Prompter& prompter_;
    Language language_;
    SchemeBoxSelection box_;
    int storedNumber_ = -1;

    std::array<QComboBox*, kSchemeFilterBoxes> filters_{};
    std::array<QLabel*, kSchemeFilterBoxes> filterLabels_{};
    QLabel* nameLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace vorlex::store
