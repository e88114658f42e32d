// The batch dialog: converts many files with one stored scheme into an output folder. The
// conversion itself is runBatchConversion() (tools/batch_run.h); the dialog asks for the files
// and the folder and turns the per-file questions into message boxes.
#pragma once

#include "chrome/captioned_dialog.h"
#include "engine/latin.h"
#include "store/language.h"
#include "store/settings_store.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::tools {

class BatchDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// Reads the language, the transliteration switches and the stored schemes from @p store
    /// and selects the last used scheme. Nothing is written to the store. @p store and
    /// @p prompter must outlive the dialog.
    BatchDialog(store::SettingsStore& store, chrome::Prompter& prompter, QWidget* parent = nullptr);

    /// Runs the dialog modally. With no stored scheme it shows "Can't read schemes" instead and
    /// returns Accepted without showing the window.
    int exec() override;

    /// The Convert button: asks for the files and the output folder, reads the selected
    /// scheme's action afresh and converts, asking about each file that fails or exists.
    void convert();

    [[nodiscard]] store::Language language() const noexcept { return language_; }
    /// Whether the scheme box lists at least one scheme.
    [[nodiscard]] bool hasSchemes() const;
    /// Scheme number of the selected item, or -1 when the box is empty.
    [[nodiscard]] int selectedSchemeNumber() const;
    /// The line under the progress bar: what the last batch did; empty before the first.
    [[nodiscard]] QString summaryText() const;

private:
    void buildControls();
    void applyTexts();
    void fillSchemeBox();

    store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    store::Language language_ = store::Language::english;
    engine::LatinOptions options_;
    QLineEdit* label_ = nullptr;
    QComboBox* schemes_ = nullptr;
    QPushButton* convert_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* summary_ = nullptr;
};

} // namespace vorlex::tools
