// The commands of the variant list without the window: which line gives which filters and
// description, what each command hands to the preview, and how a selection, a right-click and a
// double-click enable the toolbar commands.
#pragma once

#include "detect/sample.h"
#include "engine/filters.h"
#include "engine/latin.h"
#include "tools/preview_inputs.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class QWidget;

namespace vorlex::app {

/// The four commands on a variant line.
enum class ListCommand { toFile, toClipboard, saveAsScheme, viewResult };

/// Identifiers of the list popup menu items.
enum ListMenuItem {
    menuWriteDocument = 32774,
    menuPutDocument = 32776,
    menuSaveAsScheme = 32777,
    menuPreviewResult = 32788,
};

/// The popup menu item of a command.
[[nodiscard]] int popupMenuId(ListCommand command) noexcept;
/// The toolbar button of a command (MainWindow::toFile, ...).
[[nodiscard]] int toolbarId(ListCommand command) noexcept;
/// The command of a popup menu item or toolbar button; nothing for any other identifier.
[[nodiscard]] std::optional<ListCommand> listCommandOfId(int id) noexcept;

/// A variant line turned into its filters and the description of them.
struct LineAction {
    engine::FilterList filters;
    std::string description; ///< "Win->Koi  Koi->Iso  "
};

/// The label of each filter followed by two spaces, in list order.
[[nodiscard]] std::string describeFilters(const engine::FilterList& filters);

/// The filters of a raw list line; nothing for a line without an action (the placeholder line,
/// a separator at index 0).
[[nodiscard]] std::optional<LineAction> lineAction(std::string_view line);

/// Whether @p line is the placeholder line, or the line of a refined list without a plausible
/// reading, of either language.
[[nodiscard]] bool isPlaceholderLine(std::string_view line);

/// The main window's state a command reads.
struct ListCommandState {
    bool sourceIsFile = false;
    QString sourcePath;
    /// The private clipboard copy (clipboard source), or the 8-bit form of a file that arrived
    /// as Unicode, which the outputs then recode instead of the file; shared with the preview.
    std::shared_ptr<const std::string> clipboardCopy;
    /// The source as it arrived, when it arrived as Unicode (UTF-8); null otherwise.
    std::shared_ptr<const std::string> unicodeText;
    /// The sample of the current source; must be set for the commands that recode it.
    const detect::Sample* sample = nullptr;
    int wAsVe = 0;
    int noSj = 0;
    /// `Sparate english`, read from the store just before the command.
    int separateEnglish = 0;
    /// The variant list, whose font the preview takes.
    QWidget* variantList = nullptr;
    /// The main window's new-file counter.
    int* newFileCounter = nullptr;
};

/// The text sample, up to its terminator, recoded through @p filters with the control switch
/// off: the shown text of the silent outputs and the text of the title tip. Windows-1251 bytes.
[[nodiscard]] std::string recodedSample(const detect::Sample& sample,
                                        const engine::FilterList& filters,
                                        const engine::LatinOptions& options);

/// What @p command on the raw list line @p line hands to the preview; nothing when the line
/// has no action (the command does nothing then) or is a repair through Unicode (see below).
/// The preview is run with tools::PreviewDialog::run() and the main window's callbacks.
[[nodiscard]] std::optional<tools::PreviewInputs>
previewInputsFor(ListCommand command, std::string_view line, const ListCommandState& state);

/// Whether @p line is a repair through Unicode: its action begins with a Unicode step.
[[nodiscard]] bool isUnicodeLine(std::string_view line);

/// The whole source repaired by a line of a repair through Unicode.
struct UnicodeLineResult {
    std::string utf8;        ///< the repaired text
    std::string description; ///< "Unicode->Win  UTF-8->Unicode  "
};
/// The repaired text; nothing when the line is no such repair, the source did not arrive as
/// Unicode, or the repair found on the start of the text does not fit the rest of it.
[[nodiscard]] std::optional<UnicodeLineResult> unicodeLineResult(std::string_view line,
                                                                 const ListCommandState& state);
/// What To file and View result hand to the preview for such a repair: the repaired text as a
/// Unicode buffer document (shown as it is, written in the output encoding), no filters.
[[nodiscard]] tools::PreviewInputs unicodePreviewInputs(ListCommand command,
                                                        const UnicodeLineResult& result,
                                                        const ListCommandState& state);

/// View source text: source mode with the text sample, the variant list's font.
[[nodiscard]] tools::PreviewInputs viewSourceInputs(const ListCommandState& state);

/// What a selection change does once a line is selected.
struct SelectionReaction {
    bool enableCommands = false; ///< the four toolbar commands
    /// Show the title tip with these Windows-1251 bytes (after hiding an armed one).
    std::optional<std::string> titleTip;
};
/// @p showPreviewOnDoubleClick is `Show preview on dblckl`: non-zero shows no title tip.
[[nodiscard]] SelectionReaction selectionChanged(std::string_view line,
                                                 const ListCommandState& state,
                                                 int showPreviewOnDoubleClick);

/// The command of a double-click on a line: View result with `Show preview on dblckl` set.
[[nodiscard]] std::optional<ListCommand> doubleClickCommand(int showPreviewOnDoubleClick) noexcept;

/// What a right-click does.
struct RightClickReaction {
    bool select = false;                ///< select the item under the point
    std::optional<bool> enableCommands; ///< nothing: leave the four commands as they are
    bool openMenu = false;              ///< open the list popup menu at the point
};
/// @p onItem: the point lies inside an item's rectangle; @p line is that item's raw text.
[[nodiscard]] RightClickReaction rightClick(bool onItem, std::string_view line);

/// Edit scheme and Delete scheme after Save as scheme or a preview: enabled unless the scheme
/// box stands on "Auto" (item data -1).
[[nodiscard]] bool schemeButtonsEnabled(int currentItemData) noexcept;

} // namespace vorlex::app
