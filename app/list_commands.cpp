#include "app/list_commands.h"

#include "app/refined_list.h"
#include "app/source_text.h"
#include "detect/list_line.h"
#include "engine/recode.h"
#include "engine/unicode_views.h"

#include <array>

namespace vorlex::app {
namespace {

// Toolbar buttons of the four commands (MainWindow::Command).
constexpr int kToolbarToFile = 32781;
constexpr int kToolbarToClipboard = 32782;
constexpr int kToolbarSaveAsScheme = 32784;
constexpr int kToolbarViewResult = 32787;

engine::LatinOptions latinOptions(const ListCommandState& state) {
    return {state.wAsVe != 0, state.noSj != 0, state.separateEnglish != 0};
}

} // namespace

int popupMenuId(ListCommand command) noexcept {
    switch (command) {
    case ListCommand::toFile:
        return menuWriteDocument;
    case ListCommand::toClipboard:
        return menuPutDocument;
    case ListCommand::saveAsScheme:
        return menuSaveAsScheme;
    case ListCommand::viewResult:
        return menuPreviewResult;
    }
    return 0;
}

int toolbarId(ListCommand command) noexcept {
    switch (command) {
    case ListCommand::toFile:
        return kToolbarToFile;
    case ListCommand::toClipboard:
        return kToolbarToClipboard;
    case ListCommand::saveAsScheme:
        return kToolbarSaveAsScheme;
    case ListCommand::viewResult:
        return kToolbarViewResult;
    }
    return 0;
}

std::optional<ListCommand> listCommandOfId(int id) noexcept {
    for (ListCommand command : {ListCommand::toFile, ListCommand::toClipboard,
                                ListCommand::saveAsScheme, ListCommand::viewResult})
        if (id == popupMenuId(command) || id == toolbarId(command))
            return command;
    return std::nullopt;
}

std::string describeFilters(const engine::FilterList& filters) {
    std::string description;
    for (int slot = 0; slot < filters.count; ++slot) {
        const engine::FilterInfo* info = engine::filterByIndex(filters.filters[slot]);
        if (info == nullptr)
            break;
        description += info->displayName;
        description += "  ";
    }
    return description;
}

std::optional<LineAction> lineAction(std::string_view line) {
    const std::optional<std::string> action = detect::readListLine(line);
    if (!action)
        return std::nullopt;
    LineAction result;
    result.filters = engine::parseAction(*action);
    result.description = describeFilters(result.filters);
    return result;
}

bool isPlaceholderLine(std::string_view line) {
    // Either language: a placeholder keeps its language after the interface language changes.
    return line == detect::placeholderLine(0) || line == detect::placeholderLine(1) ||
           isNoPlausibleLine(line);
}

std::string recodedSample(const detect::Sample& sample, const engine::FilterList& filters,
                          const engine::LatinOptions& options) {
    const std::size_t len = sample.textSample().size() + 1; // with the terminator
    std::array<std::uint8_t, detect::kTextSampleSize> shown{};
    // A failed transliteration keeps what the filters before it produced.
    (void)engine::recodeText(shown, std::span<const std::uint8_t>(sample.text.data(), len), filters,
                             len, false, options);
    const std::string_view text(reinterpret_cast<const char*>(shown.data()), len - 1);
    return std::string(text.substr(0, text.find('\0')));
}

namespace {

// The inputs of a command on a line; the document is the current source.
tools::PreviewInputs commandInputs(ListCommand command, const engine::FilterList& filters,
                                   const std::string& description, const ListCommandState& state) {
    tools::PreviewInputs inputs;
    inputs.filters = filters;
    inputs.actionText = QString::fromStdString(description);
    inputs.silent = command != ListCommand::viewResult;
    switch (command) {
    case ListCommand::toFile:
        inputs.silentAction = tools::SilentAction::writeToFile;
        break;
    case ListCommand::toClipboard:
        inputs.silentAction = tools::SilentAction::putOnClipboard;
        break;
    case ListCommand::saveAsScheme:
        inputs.silentAction = tools::SilentAction::saveAsScheme;
        break;
    case ListCommand::viewResult:
        break;
    }
    if (command == ListCommand::saveAsScheme)
        return inputs; // the scheme needs only the filters and their description

    inputs.sourceMode = false;
    if (command != ListCommand::viewResult && state.sample != nullptr)
        inputs.shownText = recodedSample(*state.sample, filters, latinOptions(state));
    // A file that arrived as Unicode is recoded in its 8-bit form, which the list was made of.
    inputs.documentIsFile = state.sourceIsFile && !state.clipboardCopy;
    if (state.sourceIsFile)
        inputs.documentPath = state.sourcePath;
    if (!inputs.documentIsFile)
        inputs.documentData = state.clipboardCopy;
    inputs.wAsVe = state.wAsVe != 0;
    inputs.noSj = state.noSj != 0;
    if (command != ListCommand::toClipboard)
        inputs.newFileCounter = state.newFileCounter;
    if (command == ListCommand::viewResult)
        inputs.fontSource = state.variantList;
    return inputs;
}

} // namespace

std::optional<tools::PreviewInputs> previewInputsFor(ListCommand command, std::string_view line,
                                                     const ListCommandState& state) {
    if (isUnicodeLine(line))
        return std::nullopt;
    const std::optional<LineAction> action = lineAction(line);
    if (!action)
        return std::nullopt;
    return commandInputs(command, action->filters, action->description, state);
}

bool isUnicodeLine(std::string_view line) {
    const std::optional<std::string> action = detect::readListLine(line);
    return action && engine::holdsUnicodeStep(*action);
}

std::optional<UnicodeLineResult> unicodeLineResult(std::string_view line,
                                                   const ListCommandState& state) {
    const std::optional<std::string> action = detect::readListLine(line);
    if (!action || !state.unicodeText)
        return std::nullopt;
    const std::optional<engine::UnicodeAction> parsed = engine::parseUnicodeAction(*action);
    if (!parsed)
        return std::nullopt;
    engine::UnicodeActionError error{};
    const std::optional<engine::UnicodeActionResult> result =
        engine::applyUnicodeAction(*parsed, *state.unicodeText, true, latinOptions(state), error);
    if (!result)
        return std::nullopt;
    return UnicodeLineResult{engine::resultAsUtf8(*result),
                             engine::unicodeActionDescription(*parsed, "  ") + "  "};
}

tools::PreviewInputs unicodePreviewInputs(ListCommand command, const UnicodeLineResult& result,
                                          const ListCommandState& state) {
    ListCommandState repaired = state;
    // The repair itself, every character kept: the preview writes it in the output encoding.
    repaired.clipboardCopy = std::make_shared<const std::string>(result.utf8);
    // The sample is of the damaged text.
    repaired.sample = nullptr;
    tools::PreviewInputs inputs = commandInputs(command, {}, result.description, repaired);
    inputs.documentIsUnicode = true;
    return inputs;
}

tools::PreviewInputs viewSourceInputs(const ListCommandState& state) {
    tools::PreviewInputs inputs;
    inputs.sourceMode = true;
    inputs.silent = false;
    if (state.sample != nullptr)
        inputs.shownText = std::string(state.sample->textSample());
    inputs.fontSource = state.variantList;
    return inputs;
}

SelectionReaction selectionChanged(std::string_view line, const ListCommandState& state,
                                   int showPreviewOnDoubleClick) {
    SelectionReaction reaction;
    reaction.enableCommands = !isPlaceholderLine(line);
    if (showPreviewOnDoubleClick != 0)
        return reaction;
    if (isUnicodeLine(line)) {
        // The label is already the repaired start of the text.
        reaction.titleTip = std::string(line.substr(0, line.find(detect::kLineSeparator)));
        return reaction;
    }
    const std::optional<LineAction> action = lineAction(line);
    if (!action || state.sample == nullptr)
        return reaction;
    reaction.titleTip = recodedSample(*state.sample, action->filters, latinOptions(state));
    return reaction;
}

std::optional<ListCommand> doubleClickCommand(int showPreviewOnDoubleClick) noexcept {
    if (showPreviewOnDoubleClick != 0)
        return ListCommand::viewResult;
    return std::nullopt;
}

RightClickReaction rightClick(bool onItem, std::string_view line) {
    RightClickReaction reaction;
    if (!onItem)
        return reaction;
    reaction.select = true;
    const bool placeholder = isPlaceholderLine(line);
    reaction.enableCommands = !placeholder;
    reaction.openMenu = !placeholder;
    return reaction;
}

bool schemeButtonsEnabled(int currentItemData) noexcept {
    return currentItemData != -1;
}

} // namespace vorlex::app
