// The preview window: the recoded beginning of a document with its three
// whole-document outputs, or a part of the untouched source text; silent runs perform one
// output without any window.
#pragma once

#include "chrome/captioned_dialog.h"
#include "tools/preview_inputs.h"
#include "tools/preview_outputs.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vorlex::chrome {
class Prompter;
}
namespace vorlex::store {
class SettingsStore;
}

namespace vorlex::tools {

class PreviewDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// Builds the window of document mode, or of source mode when inputs.sourceMode is set
    /// (inputs.silent is ignored here: use run() or runSilently()). Reads `Language` from
    /// @p store; @p store and @p prompter must outlive the window.
    PreviewDialog(const store::SettingsStore& store, chrome::Prompter& prompter,
                  PreviewInputs inputs, PreviewCallbacks callbacks, QWidget* parent = nullptr);

    /// What the main window calls: a silent run performs its action without building a window
    /// and returns QDialog::Accepted; otherwise the window runs modally.
    static int run(const store::SettingsStore& store, chrome::Prompter& prompter,
                   const PreviewInputs& inputs, const PreviewCallbacks& callbacks, QWidget* parent);
    /// Performs inputs.silentAction; prompts and the scheme dialog get @p parent. No widget
    /// is created, so nothing can appear even for one frame.
    static void runSilently(const store::SettingsStore& store, chrome::Prompter& prompter,
                            const PreviewInputs& inputs, const PreviewCallbacks& callbacks,
                            QWidget* parent);

    [[nodiscard]] store::Language language() const noexcept { return outputs_.language(); }

    // The buttons' commands.
    void writeDocumentToFile() { outputs_.writeToFile(this); }
    void putDocumentOnClipboard() { outputs_.putOnClipboard(this); }
    void saveAsScheme() { outputs_.saveAsScheme(this); }

private:
    void buildControls();
    void applyTexts();
    void showSourceText();
    void showFirstPart();
    void setShownText(const QString& text);

    PreviewInputs inputs_;
    PreviewCallbacks callbacks_;
    PreviewOutputs outputs_;

    QPlainTextEdit* text_ = nullptr;
    QLineEdit* label_ = nullptr;
    QLineEdit* action_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* put_ = nullptr;
    QPushButton* saveScheme_ = nullptr;
};

} // namespace vorlex::tools
