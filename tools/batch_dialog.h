// The batch dialog: converts many files with one stored scheme into an output folder, or with
// the Auto entry gives each file its own repair. The conversion itself is runBatchConversion()
// or runAutoBatch() (tools/batch_run.h, tools/batch_run_auto.h); the dialog asks for the files
// and the folder and turns the per-file questions into message boxes.
#pragma once

#include "chrome/captioned_dialog.h"
#include "engine/latin.h"
#include "store/language.h"
#include "store/settings_store.h"

#include <QPointer>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::tools {

class BatchResultsDialog;

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
    /// scheme's action afresh and converts, asking about each file that fails or exists. With
    /// the Auto entry each file is judged and repaired on a worker thread while the window
    /// stays live, and the results window lists what became of every file at the end.
    void convert();

    [[nodiscard]] store::Language language() const noexcept { return language_; }
    /// Whether the scheme box lists at least one stored scheme (the Auto entry follows them).
    [[nodiscard]] bool hasSchemes() const;
    /// Scheme number of the selected item, or -1 when the box is empty or Auto is selected.
    [[nodiscard]] int selectedSchemeNumber() const;
    /// The line under the progress bar: what the last batch did; empty before the first.
    [[nodiscard]] QString summaryText() const;
    /// Whether the Auto entry is selected.
    [[nodiscard]] bool autoSelected() const;

    /// Closing while an automatic batch runs ends it after the file in hand, then closes.
    void done(int result) override;

private:
    void buildControls();
    void applyTexts();
    void fillSchemeBox();
    void convertAutomatically(const QStringList& files, const QString& folder);

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
    QPointer<BatchResultsDialog> results_;
    bool running_ = false;
    std::optional<int> closeAsked_; ///< a close that came while a batch ran
};

} // namespace vorlex::tools
