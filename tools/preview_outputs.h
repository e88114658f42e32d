// The work of the preview window without the window: the recoded first part it shows, and the
// three whole-document outputs (file, clipboard, scheme) with their messages.
#pragma once

#include "engine/latin.h"
#include "tools/document_io.h"
#include "tools/preview_inputs.h"
#include "tools/preview_texts.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class QWidget;

namespace vorlex::chrome {
class Prompter;
}
namespace vorlex::store {
class SettingsStore;
}

namespace vorlex::tools {

/// Bytes of the document the preview shows.
inline constexpr std::size_t kPreviewBytes = 64000;

/// Largest file document the whole-document outputs read: what the main window loads as a
/// source. A file that grew beyond it after loading is reported as out of memory instead of
/// being read whole (and, for the clipboard, widened to several times its size).
inline constexpr std::uint64_t kMaxWholeDocumentBytes = 0x7fffffff;

/// Windows-1251 bytes up to the first zero byte as shown text.
[[nodiscard]] QString shownTextOf(std::span<const std::uint8_t> bytes);

/// The bytes up to, not including, the first zero byte.
[[nodiscard]] std::span<const std::uint8_t> untilZero(std::span<const std::uint8_t> bytes) noexcept;

/// The name the Save-as dialog proposes: the source file's own name, or "newfile_" and the
/// counter (0 without one) for a buffer document that was not read from a file.
[[nodiscard]] QString proposedFileName(const PreviewInputs& inputs);

/// Whether a write that ended with @p result moves the new-file counter on: for a buffer
/// document not read from a file once the file was created, whether or not the writing
/// succeeded.
[[nodiscard]] bool counterAdvances(const PreviewInputs& inputs, WriteError result) noexcept;

/// The message of a failed read (nothing for ReadError::none); @p forData picks the text of
/// the file output.
[[nodiscard]] std::optional<PreviewText> readMessage(ReadError error, bool forData) noexcept;
/// The message of a failed write (nothing for WriteError::none).
[[nodiscard]] std::optional<PreviewText> writeMessage(WriteError error) noexcept;

/// The first part in document mode: the text, or the message that replaces it.
struct FirstPart {
    QString text;
    std::optional<QString> failure;
};

/// Runs the preview's work for one set of inputs. The language is read from the store when this
/// is made, `Sparate english` at the start of every recoding. Messages go through the prompter
/// with the application's name as caption.
class PreviewOutputs {
public:
    PreviewOutputs(const store::SettingsStore& store, chrome::Prompter& prompter,
                   const PreviewInputs& inputs, const PreviewCallbacks& callbacks);

    [[nodiscard]] store::Language language() const noexcept { return language_; }
    [[nodiscard]] QString text(PreviewText id) const { return previewText(id, language_); }

    /// The first kPreviewBytes bytes recoded, up to the first zero byte of the result.
    [[nodiscard]] FirstPart firstPart() const;

    /// Asks for a file (proposing proposedFileName(), the title naming the encoding) and writes
    /// the whole document, recoded, in the `Output encoding` of the store, through a temporary
    /// file renamed over it.
    void writeToFile(QWidget* promptParent);
    /// Puts the whole document, recoded, on the clipboard through the callback.
    void putOnClipboard(QWidget* promptParent);
    /// Hands the action text and the filter list to the scheme callback.
    void saveAsScheme(QWidget* parent);
    /// The silent run's action; any other value does nothing.
    void perform(SilentAction action, QWidget* promptParent);

    [[nodiscard]] bool canPutOnClipboard() const noexcept {
        return inputs_.documentIsUnicode ? static_cast<bool>(callbacks_.putTextOnClipboard)
                                         : static_cast<bool>(callbacks_.putOnClipboard);
    }
    [[nodiscard]] bool canSaveAsScheme() const noexcept {
        return static_cast<bool>(callbacks_.saveAsScheme);
    }
    /// Shows the message @p id in a plain box.
    void say(QWidget* parent, PreviewText id) const;
    void say(QWidget* parent, const QString& message) const;

private:
    [[nodiscard]] engine::LatinOptions latinOptions() const;
    /// The bytes of a buffer document; empty when there are none.
    [[nodiscard]] std::span<const std::uint8_t> bufferDocument() const noexcept;
    /// The text of a Unicode document; empty when there is none.
    [[nodiscard]] std::string_view unicodeDocument() const noexcept {
        return inputs_.documentData ? std::string_view(*inputs_.documentData) : std::string_view();
    }
    /// A Unicode document to a file: UTF-8 as it is, or Windows-1251 after asking when a
    /// character has no code there.
    void writeUnicodeToFile(QWidget* promptParent);
    /// The Save-as dialog, its title naming @p encoding; nothing when cancelled.
    [[nodiscard]] std::optional<QString> askTarget(QWidget* promptParent,
                                                   store::OutputEncoding encoding) const;
    /// Moves the new-file counter on and reports a failed write.
    void reportWrite(QWidget* promptParent, const QString& target, WriteError written,
                     const QString& reason) const;
    /// Recodes the whole document into @p out under the wait cursor; @p reason gets the
    /// system's words of a failed read.
    [[nodiscard]] ReadError recodeWhole(RecodedDocument& out, QString* reason) const;
    /// The message of a failed read of the document: for a file with its path and the reason.
    [[nodiscard]] QString readFailureText(ReadError error, bool forData,
                                          const QString& systemWords) const;

    const store::SettingsStore& store_;
    chrome::Prompter& prompter_;
    const PreviewInputs& inputs_;
    const PreviewCallbacks& callbacks_;
    store::Language language_;
};

} // namespace vorlex::tools
