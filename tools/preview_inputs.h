// What the caller hands to the preview window before running it: the document, the variant's
// filters and description, the mode, and the main window's values the window reads or changes.
#pragma once

#include "engine/filters.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

class QWidget;

namespace vorlex::tools {

/// The output a silent run performs.
enum class SilentAction {
    writeToFile = 0,    ///< write the whole document, recoded, to a file chosen by the user
    putOnClipboard = 1, ///< put the whole document, recoded, on the clipboard
    saveAsScheme = 2,   ///< save the filter list as a scheme
};

/// Inputs of the preview. Every field not set by the caller keeps the value given here.
struct PreviewInputs {
    /// The window whose font the text box takes (the variant list); may be null.
    QWidget* fontSource = nullptr;
    /// Transliteration switches for a Latin filter (the main window's copies).
    bool wAsVe = false;
    bool noSj = false;
    /// Silent mode: the action runs at once and no window is ever shown.
    bool silent = false;
    SilentAction silentAction = SilentAction::writeToFile;
    /// Source mode: only the shown text, no outputs.
    bool sourceMode = false;
    /// true: the document is the file at documentPath; false: the bytes of documentData.
    bool documentIsFile = false;
    /// The file; with a buffer document, the file it was read from (its name is proposed for
    /// the output), or empty.
    QString documentPath;
    /// The bytes of a buffer document (the main window's clipboard copy). Shared, so that a new
    /// source loaded while the window or a file dialog is open cannot free them under the preview.
    std::shared_ptr<const std::string> documentData;
    /// The buffer document is the repaired text itself, as UTF-8 (a repair through Unicode):
    /// shown as it is, written in the output encoding, put on the clipboard as Unicode text.
    /// The filters are not run on it.
    bool documentIsUnicode = false;
    /// Description of the filter list ("Win->Koi  Koi->Iso  ").
    QString actionText;
    /// Windows-1251 bytes; shown in source mode up to the first zero byte.
    std::string shownText;
    engine::FilterList filters;
    /// Number in the proposed name of a new file ("newfile_0"); goes up after each file made
    /// from a buffer document. Null: the proposal uses 0 and nothing is counted.
    int* newFileCounter = nullptr;
};

/// What the preview asks the main window to do.
struct PreviewCallbacks {
    /// Puts recoded Windows-1251 bytes (up to, not including, the first zero byte) on the
    /// clipboard without the change being taken as a new source. Empty: no clipboard output.
    std::function<void(std::span<const std::uint8_t>)> putOnClipboard;
    /// The same for Unicode text (a Unicode document). Empty: no clipboard output for it.
    std::function<void(const QString&)> putTextOnClipboard;
    /// Asks for a scheme name and stores the filter list as a scheme. Empty: the Save as scheme
    /// button is disabled.
    std::function<void(QWidget* parent, const QString& actionText, const engine::FilterList&)>
        saveAsScheme;
};

} // namespace vorlex::tools
