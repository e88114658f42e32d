// The settings dialog: behaviour switches, precision of automatic recoding, transliteration
// switches, interface language and the list font. Every value is written back when the dialog
// closes, however it closes; the font as soon as one is chosen.
#pragma once

#include "chrome/captioned_dialog.h"
#include "setup/settings_values.h"
#include "store/settings.h"
#include "store/settings_store.h"

#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::setup {

class SettingsDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// The check boxes; each one's object name is its name here.
    enum CheckBox {
        noAutoRecodingBox,
        wrongFormatBox,
        autoRecodeBox,
        saveLastSchemeBox,
        wAsVeBox,
        noSjBox,
        previewBox,
        autoRecodeFileBox,
        autoRecodeClipboardBox,
        clipboardViewerBox,
        separateEnglishBox,
        refineRankingBox,
    };

    /// Reads every value from @p store and shows it; messages and the font dialog go through
    /// @p prompter.
    SettingsDialog(store::SettingsStore& store, chrome::Prompter& prompter,
                   QWidget* parent = nullptr);
    /// Writes the values if no close did already.
    ~SettingsDialog() override;

    /// Close (accepted) keeps the dialog open when the precision is not 0-9; every other end
    /// (Esc, the close box) tells of a bad precision and closes without storing it. Either way
    /// all other values are written first.
    void done(int result) override;

    [[nodiscard]] QCheckBox* checkBox(CheckBox id) const { return checks_.at(id); }
    [[nodiscard]] QLineEdit* precisionEdit() const noexcept { return precision_; }
    [[nodiscard]] QRadioButton* russianButton() const noexcept { return russian_; }
    [[nodiscard]] QRadioButton* englishButton() const noexcept { return english_; }
    [[nodiscard]] QPushButton* fontsButton() const noexcept { return fonts_; }
    /// "Write files as": item 0 Windows-1251, item 1 UTF-8 (the stored values).
    [[nodiscard]] QComboBox* outputEncodingBox() const noexcept { return encoding_; }
    [[nodiscard]] QPushButton* closeButton() const noexcept { return close_; }
    /// The language the dialog's texts are shown in.
    [[nodiscard]] store::Language textLanguage() const noexcept { return textLanguage_; }

private:
    void buildControls();
    void showValues(const store::Settings& values);
    /// The values in the controls; the precision is the one stored when the box is not valid.
    [[nodiscard]] store::Settings takeValues(const PrecisionCheck& check) const;
    [[nodiscard]] store::Language radioValue() const;
    /// Tells the user when the precision box is not 0-9.
    PrecisionCheck checkPrecisionBox();
    void save(const PrecisionCheck& check);
    void languageClicked();
    void chooseFont();
    void applyLanguageTexts();
    void setCheckText(QCheckBox* box, const QString& text);

    store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    store::Language textLanguage_;
    /// As read when the dialog opened; the values it does not show are written back unchanged.
    store::Settings stored_;
    bool saved_ = false;

    std::map<int, QCheckBox*> checks_;
    QLineEdit* precision_ = nullptr;
    QLabel* precisionLabel_ = nullptr;
    QLabel* recodeAfter_ = nullptr;
    QLabel* languageLabel_ = nullptr;
    QLabel* latinica_ = nullptr;
    QRadioButton* russian_ = nullptr;
    QRadioButton* english_ = nullptr;
    QPushButton* fonts_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* encodingLabel_ = nullptr;
    QComboBox* encoding_ = nullptr;
};

/// The settings command of the main window up to the dialog's end: runs the dialog modally and
/// returns the settings as the store then holds them.
store::Settings runSettingsDialog(store::SettingsStore& store, chrome::Prompter& prompter,
                                  QWidget* parent);

} // namespace vorlex::setup
