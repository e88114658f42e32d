// The scheme-name dialog: stores a previewed variant's filter chain as a new scheme under a
// name the user types.
#pragma once

#include "schemes/scheme_save_dialog.h"

#include <QString>
#include <span>

namespace vorlex::schemes {

class SchemeNameDialog final : public SchemeSaveDialog {
    Q_OBJECT
public:
    /// @p actionText is shown in the title only; the scheme is built from @p filters, filter
    /// indices ended by -1 (at most the first four are stored).
    SchemeNameDialog(const QString& actionText, std::span<const int> filters,
                     store::SettingsStore& store, chrome::Prompter& prompter,
                     QWidget* parent = nullptr);

    /// Save: stores the scheme, or tells of a clash and stays open.
    void accept() override;

    [[nodiscard]] QPushButton* saveButton() const noexcept { return storeButton_; }
    /// The action string the dialog stores.
    [[nodiscard]] const std::string& action() const noexcept { return action_; }

private:
    void buildControls();
    void changed();
    void applyLanguageTexts();

    std::string action_;
    QLabel* label_ = nullptr;
};

} // namespace vorlex::schemes
