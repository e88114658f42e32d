#include "tools/preview_outputs.h"

#include "chrome/prompter.h"
#include "chrome/wait_cursor.h"
#include "engine/cp1251.h"
#include "store/settings.h"
#include "tools/file_failure.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <string>
#include <string_view>

namespace vorlex::tools {

std::span<const std::uint8_t> untilZero(std::span<const std::uint8_t> bytes) noexcept {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes.first(static_cast<std::size_t>(zero - bytes.begin()));
}

QString shownTextOf(std::span<const std::uint8_t> bytes) {
    return QString::fromStdString(engine::win1251ToUtf8(untilZero(bytes)));
}

QString proposedFileName(const PreviewInputs& inputs) {
    if (!inputs.documentPath.isEmpty())
        return QFileInfo(inputs.documentPath).fileName();
    const int counter = inputs.newFileCounter != nullptr ? *inputs.newFileCounter : 0;
    return QStringLiteral("newfile_") + QString::number(counter);
}

bool counterAdvances(const PreviewInputs& inputs, WriteError result) noexcept {
    return inputs.documentPath.isEmpty() &&
           (result == WriteError::none || result == WriteError::writeFailed);
}

std::optional<PreviewText> readMessage(ReadError error, bool forData) noexcept {
    switch (error) {
    case ReadError::none:
        return std::nullopt;
    case ReadError::openFailed:
    case ReadError::empty:
        return PreviewText::readFailed;
    case ReadError::outOfMemory:
        return forData ? PreviewText::outOfMemoryForData : PreviewText::outOfMemory;
    }
    return PreviewText::readFailed;
}

std::optional<PreviewText> writeMessage(WriteError error) noexcept {
    switch (error) {
    case WriteError::none:
        return std::nullopt;
    // With Existing::replace "exists" cannot come back; should it, nothing was created.
    case WriteError::exists:
    case WriteError::createFailed:
        return PreviewText::createFailed;
    case WriteError::writeFailed:
        return PreviewText::writeFailed;
    }
    return PreviewText::writeFailed;
}

PreviewOutputs::PreviewOutputs(const store::SettingsStore& store, chrome::Prompter& prompter,
                               const PreviewInputs& inputs, const PreviewCallbacks& callbacks)
    : store_(store), prompter_(prompter), inputs_(inputs), callbacks_(callbacks),
      language_(store::readLanguage(store)) {}

std::span<const std::uint8_t> PreviewOutputs::bufferDocument() const noexcept {
    if (!inputs_.documentData)
        return {};
    const std::string& bytes = *inputs_.documentData;
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

engine::LatinOptions PreviewOutputs::latinOptions() const {
    return {inputs_.wAsVe, inputs_.noSj, store::readSettings(store_).separateEnglish};
}

void PreviewOutputs::say(QWidget* parent, PreviewText id) const {
    say(parent, text(id));
}

void PreviewOutputs::say(QWidget* parent, const QString& message) const {
    prompter_.message(parent, QApplication::applicationName(), message);
}

QString PreviewOutputs::readFailureText(ReadError error, bool forData,
                                        const QString& systemWords) const {
    const QString first = text(readMessage(error, forData).value_or(PreviewText::readFailed));
    // A buffer document (the clipboard copy) has no file to name.
    if (!inputs_.documentIsFile)
        return first;
    return fileFailureText(first, inputs_.documentPath,
                           readFailureReason(error, systemWords, language_), language_);
}

FirstPart PreviewOutputs::firstPart() const {
    if (inputs_.documentIsUnicode) {
        // Its start, cut before a character that does not fit whole.
        const std::string_view text = unicodeDocument();
        std::size_t end = std::min(text.size(), kPreviewBytes);
        while (end < text.size() && end > 0 &&
               (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        return {QString::fromUtf8(text.data(), static_cast<qsizetype>(end)), std::nullopt};
    }
    std::vector<std::uint8_t> fileStart;
    std::span<const std::uint8_t> part;
    if (inputs_.documentIsFile) {
        QString reason;
        const ReadError read =
            readFileStart(inputs_.documentPath, kPreviewBytes, fileStart, &reason);
        if (read != ReadError::none)
            return {{}, readFailureText(read, false, reason)};
        part = fileStart;
    } else {
        part = bufferDocument().first(std::min(bufferDocument().size(), kPreviewBytes));
    }
    RecodedDocument recoded;
    ReadError error = ReadError::none;
    {
        const chrome::WaitCursor wait;
        error = DocumentReader::recodeBuffer(part, inputs_.filters, latinOptions(), recoded);
    }
    // A buffer document of no bytes shows nothing, as an empty file reads as a failure.
    if (error == ReadError::empty && !inputs_.documentIsFile)
        return {};
    if (error != ReadError::none)
        return {{}, readFailureText(error, false, {})};
    return {shownTextOf(recoded.bytes()), std::nullopt};
}

ReadError PreviewOutputs::recodeWhole(RecodedDocument& out, QString* reason) const {
    const chrome::WaitCursor wait;
    if (inputs_.documentIsFile) {
        return DocumentReader::recodeFile(inputs_.documentPath, inputs_.filters, latinOptions(),
                                          out, reason, kMaxWholeDocumentBytes);
    }
    return DocumentReader::recodeBuffer(bufferDocument(), inputs_.filters, latinOptions(), out);
}

std::optional<QString> PreviewOutputs::askTarget(QWidget* promptParent,
                                                 store::OutputEncoding encoding) const {
    const std::optional<QString> target =
        prompter_.saveFile(promptParent, proposedFileName(inputs_),
                           text(PreviewText::saveAsTitle).arg(encodingName(encoding)));
    if (!target || target->isEmpty())
        return std::nullopt;
    return target;
}

void PreviewOutputs::reportWrite(QWidget* promptParent, const QString& target, WriteError written,
                                 const QString& reason) const {
    if (counterAdvances(inputs_, written) && inputs_.newFileCounter != nullptr)
        ++*inputs_.newFileCounter;
    if (const auto failure = writeMessage(written))
        say(promptParent, fileFailureText(text(*failure), target,
                                          writeFailureReason(reason, language_), language_));
}

void PreviewOutputs::writeUnicodeToFile(QWidget* promptParent) {
    const std::string_view utf8 = unicodeDocument();
    if (utf8.empty()) {
        say(promptParent, PreviewText::readFailed);
        return;
    }
    const store::OutputEncoding encoding = store::readSettings(store_).outputEncoding;
    std::string win1251;
    if (encoding == store::OutputEncoding::win1251) {
        // A character without a code is not lost unasked: the user writes the file with "?"
        // for it, or goes back to choose UTF-8.
        std::size_t lost = 0;
        win1251 = engine::utf8ToWin1251Lossy(utf8, &lost);
        if (lost > 0 && prompter_.ask(promptParent, QApplication::applicationName(),
                                      text(PreviewText::unencodableQuestion).arg(lost),
                                      chrome::QuestionIcon::question) != chrome::Answer::yes)
            return;
    }
    const std::optional<QString> target = askTarget(promptParent, encoding);
    if (!target)
        return;
    const std::string_view bytes = encoding == store::OutputEncoding::utf8 ? utf8 : win1251;
    QString reason;
    WriteError written = WriteError::none;
    {
        const chrome::WaitCursor wait;
        written = writeFileAtomically(
            *target, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
            Existing::replace, &reason, kBytesAsTheyAre);
    }
    reportWrite(promptParent, *target, written, reason);
}

void PreviewOutputs::writeToFile(QWidget* promptParent) {
    if (inputs_.documentIsUnicode) {
        writeUnicodeToFile(promptParent);
        return;
    }
    // A document that cannot be read is reported before a name is asked for.
    if (inputs_.documentIsFile) {
        QString reason;
        const ReadError probed =
            checkReadable(inputs_.documentPath, kMaxWholeDocumentBytes, &reason);
        if (probed != ReadError::none) {
            say(promptParent, readFailureText(probed, true, reason));
            return;
        }
    } else if (bufferDocument().empty()) {
        say(promptParent, PreviewText::readFailed);
        return;
    }

    // Read when the file is written, so a change in the settings applies to the next file.
    const store::OutputEncoding encoding = store::readSettings(store_).outputEncoding;
    const std::optional<QString> target = askTarget(promptParent, encoding);
    if (!target)
        return;

    // The whole document is read before the target is touched, so the source itself may be
    // chosen as the target.
    RecodedDocument recoded;
    QString reason;
    if (const ReadError read = recodeWhole(recoded, &reason); read != ReadError::none) {
        say(promptParent, readFailureText(read, true, reason));
        return;
    }
    WriteError written = WriteError::none;
    {
        const chrome::WaitCursor wait;
        written =
            writeFileAtomically(*target, recoded.bytes(), Existing::replace, &reason, encoding);
    }
    recoded.clear();
    reportWrite(promptParent, *target, written, reason);
}

void PreviewOutputs::putOnClipboard(QWidget* promptParent) {
    if (inputs_.documentIsUnicode) {
        if (!callbacks_.putTextOnClipboard)
            return;
        const std::string_view utf8 = unicodeDocument();
        if (utf8.empty()) {
            say(promptParent, PreviewText::readFailed);
            return;
        }
        const chrome::WaitCursor wait;
        callbacks_.putTextOnClipboard(
            QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        return;
    }
    if (!callbacks_.putOnClipboard)
        return;
    if (!inputs_.documentIsFile && bufferDocument().empty()) {
        say(promptParent, PreviewText::readFailed);
        return;
    }
    RecodedDocument recoded;
    QString reason;
    if (const ReadError read = recodeWhole(recoded, &reason); read != ReadError::none) {
        say(promptParent, readFailureText(read, false, reason));
        return;
    }
    const chrome::WaitCursor wait;
    // Clipboard text ends at the first zero byte, as every reader of it sees it.
    callbacks_.putOnClipboard(untilZero(recoded.bytes()));
}

void PreviewOutputs::saveAsScheme(QWidget* parent) {
    if (callbacks_.saveAsScheme)
        callbacks_.saveAsScheme(parent, inputs_.actionText, inputs_.filters);
}

void PreviewOutputs::perform(SilentAction action, QWidget* promptParent) {
    switch (action) {
    case SilentAction::writeToFile:
        writeToFile(promptParent);
        break;
    case SilentAction::putOnClipboard:
        putOnClipboard(promptParent);
        break;
    case SilentAction::saveAsScheme:
        saveAsScheme(promptParent);
        break;
    }
}

} // namespace vorlex::tools
