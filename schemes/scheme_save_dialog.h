// What the scheme editor and the scheme-name dialog share: the scheme name's edit, the button
// that stores the scheme and the one that cancels, and how a save ends.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"
#include "store/scheme_editing.h"
#include "store/settings_store.h"

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::schemes {

class SchemeSaveDialog : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    [[nodiscard]] QLineEdit* nameEdit() const noexcept { return name_; }
    [[nodiscard]] QPushButton* cancelButton() const noexcept { return cancel_; }
    /// The section written by the last successful save, or -1.
    [[nodiscard]] int storedNumber() const noexcept { return storedNumber_; }

protected:
    /// Reads `Language` from @p store.
    SchemeSaveDialog(store::SettingsStore& store, chrome::Prompter& prompter, QWidget* parent);

    /// The name's edit ("nameEdit") and the storing (@p storeName, the default button) and
    /// cancelling ("cancelButton") buttons at the places given; the storing one accepts.
    void addNameAndButtons(const QRect& name, const QRect& storeButton, const QString& storeName,
                           const QRect& cancelButton);
    /// The name as it is stored: its first characters up to the longest name.
    [[nodiscard]] std::string schemeName() const;
    /// Ends the dialog when @p result stored the scheme; otherwise tells why and stays open.
    void finishSave(const store::SaveResult& result);

    store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    store::Language language_;
    QLineEdit* name_ = nullptr;
    QPushButton* storeButton_ = nullptr;
    QPushButton* cancel_ = nullptr;

private:
    int storedNumber_ = -1;
};

} // namespace vorlex::schemes
