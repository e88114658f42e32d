// The scheme-name dialog: stores a previewed variant's filter chain as a new scheme under a
// name the user types.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"
#include "store/settings_store.h"

#include <QString>
#include <span>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::schemes {

class SchemeNameDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// @p actionText is shown in the title only; the scheme is built from @p filters, filter
    /// indices ended by -1 (at most the first four are stored).
    SchemeNameDialog(const QString& actionText, std::span<const int> filters,
                     store::SettingsStore& store, chrome::Prompter& prompter,
                     QWidget* parent = nullptr);

    /// Save: stores the scheme, or tells of a clash and stays open.
    void accept() override;

    [[nodiscard]] QLineEdit* nameEdit() const noexcept { return name_; }
    [[nodiscard]] QPushButton* saveButton() const noexcept { return save_; }
    [[nodiscard]] QPushButton* cancelButton() const noexcept { return cancel_; }
    /// The action string the dialog stores.
    [[nodiscard]] const std::string& action() const noexcept { return action_; }
    /// The section written by a successful save, or -1.
    [[nodiscard]] int storedNumber() const noexcept { return storedNumber_; }

private:
    void buildControls();
    void changed();
    void applyLanguageTexts();

    store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    store::Language language_;
    std::string action_;
    int storedNumber_ = -1;

    QLabel* label_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace vorlex::schemes
