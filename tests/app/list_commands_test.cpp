// The commands of the variant list: what each hands to the preview for each kind of source, the
// description labels, and how selections, right-clicks and double-clicks act.
#include "app/list_commands.h"
#include "detect/list_line.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using namespace vorlex::app;
using vorlex::detect::buildListLine;
using vorlex::detect::placeholderLine;
using vorlex::engine::makeFilterList;
using vorlex::engine::parseAction;
using vorlex::tools::PreviewInputs;
using vorlex::tools::SilentAction;

// KOI8-R "Привет мир" and the same in Windows-1251.
const std::string kKoiText = "\xF0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2";
const std::string kWinText = "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0";

class ListCommands : public ::testing::Test {
protected:
    ListCommands() {
        std::memcpy(sample_.text.data(), kKoiText.data(), kKoiText.size());
        state_.sample = &sample_;
        state_.wAsVe = 1;
        state_.noSj = 1;
        // Only compared, never used: stands for the main window's variant list.
        state_.variantList = reinterpret_cast<QWidget*>(&listMarker_);
        state_.newFileCounter = &counter_;
    }
    void useFileSource() {
        state_.sourceIsFile = true;
        state_.sourcePath = QStringLiteral("/home/user/letter.txt");
    }
    void useClipboardSource() {
        state_.sourceIsFile = false;
        state_.clipboardCopy = copy_;
    }

    vorlex::detect::Sample sample_;
    ListCommandState state_;
    std::shared_ptr<const std::string> copy_ =
        std::make_shared<const std::string>(kKoiText + " and more of the clipboard copy");
    int counter_ = 3;
    int listMarker_ = 0;
    const std::string line_ = buildListLine(kWinText, "kw ");
};

// The table of what each command hands over: "not set" and "no" keep the constructor's value.
struct Column {
    ListCommand command;
    bool silent;
    std::optional<SilentAction> silentAction; ///< nothing: not set
    bool shownText;
    bool document;
    bool switches;
    bool counter;
    bool font;
};
constexpr Column kColumns[] = {
    {ListCommand::toFile, true, SilentAction::writeToFile, true, true, true, true, false},
    {ListCommand::toClipboard, true, SilentAction::putOnClipboard, true, true, true, false, false},
    {ListCommand::saveAsScheme, true, SilentAction::saveAsScheme, false, false, false, false,
     false},
    {ListCommand::viewResult, false, std::nullopt, false, true, true, true, true},
};

TEST_F(ListCommands, EachCommandHandsThePreviewExactlyItsInputsForBothSources) {
    const PreviewInputs defaults;
    for (bool fromFile : {true, false}) {
        fromFile ? useFileSource() : useClipboardSource();
        for (const Column& column : kColumns) {
            SCOPED_TRACE(testing::Message() << "command " << static_cast<int>(column.command)
                                            << (fromFile ? ", file" : ", clipboard"));
            const std::optional<PreviewInputs> in = previewInputsFor(column.command, line_, state_);
            ASSERT_TRUE(in.has_value());
            EXPECT_EQ(in->silent, column.silent);
            EXPECT_EQ(in->silentAction, column.silentAction.value_or(defaults.silentAction));
            EXPECT_FALSE(in->sourceMode);
            EXPECT_EQ(in->filters, parseAction("kw"));
            EXPECT_EQ(in->actionText, QStringLiteral("Koi->Win  "));
            EXPECT_EQ(in->shownText, column.shownText ? kWinText : defaults.shownText);
            if (column.document) {
                EXPECT_EQ(in->documentIsFile, fromFile);
                EXPECT_EQ(in->documentPath, fromFile ? state_.sourcePath : QString());
                EXPECT_EQ(in->documentData, fromFile ? nullptr : copy_);
            } else {
                EXPECT_EQ(in->documentIsFile, defaults.documentIsFile);
                EXPECT_TRUE(in->documentPath.isEmpty());
                EXPECT_EQ(in->documentData, nullptr);
            }
            EXPECT_EQ(in->wAsVe, column.switches);
            EXPECT_EQ(in->noSj, column.switches);
            EXPECT_EQ(in->newFileCounter, column.counter ? &counter_ : nullptr);
            EXPECT_EQ(in->fontSource, column.font ? state_.variantList : nullptr);
        }
    }
}

TEST_F(ListCommands, SaveAsSchemeOfWkKiHandsItsDescriptionAndFilters) {
    const std::optional<PreviewInputs> in =
        previewInputsFor(ListCommand::saveAsScheme, buildListLine(kWinText, "wk ki "), state_);
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->actionText, QStringLiteral("Win->Koi  Koi->Iso  "));
    EXPECT_EQ(in->filters.filters, (std::array<int, 5>{11, 7, -1, -1, -1}));
}

TEST_F(ListCommands, EveryFilterHasItsDescriptionLabel) {
    const std::pair<const char*, const char*> labels[] = {
        {"ai", "Alt->Iso  "},      {"ia", "Iso->Alt  "}, {"ka", "Koi->Alt  "},
        {"wa", "Win->Alt  "},      {"ak", "Alt->Koi  "}, {"ik", "Iso->Koi  "},
        {"ki", "Koi->Iso  "},      {"wi", "Win->Iso  "}, {"aw", "Alt->Win  "},
        {"iw", "Iso->Win  "},      {"kw", "Koi->Win  "}, {"wk", "Win->Koi  "},
        {"mw", "Mac->Win  "},      {"wm", "Win->Mac  "}, {"wl", "Win->Latinica  "},
        {"lw", "Latinica->Win  "},
    };
    for (const auto& [code, label] : labels)
        EXPECT_EQ(describeFilters(parseAction(code)), label) << code;
    EXPECT_EQ(describeFilters(parseAction("kw wl")), "Koi->Win  Win->Latinica  ");
    EXPECT_EQ(describeFilters({}), "");
}

TEST_F(ListCommands, ALineWithoutAnActionGivesNoCommand) {
    const std::string noAction[] = {placeholderLine(0), placeholderLine(1), "plain text",
                                    std::string(vorlex::detect::kLineSeparator) + "kw "};
    for (const std::string& line : noAction)
        for (const Column& column : kColumns)
            EXPECT_FALSE(previewInputsFor(column.command, line, state_).has_value()) << line;
    // A named scheme's line keeps empty tokens after its action.
    const std::optional<LineAction> named = lineAction(buildListLine(kWinText, "wk wk   "));
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(named->filters, makeFilterList({11, 11}));
}

TEST_F(ListCommands, MenuItemsAndToolbarButtonsNameTheFourCommands) {
    const std::tuple<int, int, ListCommand> ids[] = {
        {32774, 32781, ListCommand::toFile},
        {32776, 32782, ListCommand::toClipboard},
        {32777, 32784, ListCommand::saveAsScheme},
        {32788, 32787, ListCommand::viewResult},
    };
    for (const auto& [menu, button, command] : ids) {
        EXPECT_EQ(popupMenuId(command), menu);
        EXPECT_EQ(toolbarId(command), button);
        EXPECT_EQ(listCommandOfId(menu), command);
        EXPECT_EQ(listCommandOfId(button), command);
    }
    EXPECT_EQ(listCommandOfId(32783), std::nullopt); // View source text is not a list command
    EXPECT_EQ(listCommandOfId(32775), std::nullopt);
}

TEST_F(ListCommands, ASelectionEnablesTheCommandsAndShowsTheTipUnlessDoubleClickPreviews) {
    const SelectionReaction variant = selectionChanged(line_, state_, 0);
    EXPECT_TRUE(variant.enableCommands);
    EXPECT_EQ(variant.titleTip, kWinText);

    const SelectionReaction previewing = selectionChanged(line_, state_, 1);
    EXPECT_TRUE(previewing.enableCommands);
    EXPECT_EQ(previewing.titleTip, std::nullopt);

    for (int language : {0, 1}) {
        const SelectionReaction placeholder =
            selectionChanged(placeholderLine(language), state_, 0);
        EXPECT_FALSE(placeholder.enableCommands);
        EXPECT_EQ(placeholder.titleTip, std::nullopt);
    }

    EXPECT_EQ(doubleClickCommand(0), std::nullopt);
    EXPECT_EQ(doubleClickCommand(1), ListCommand::viewResult);
    EXPECT_EQ(doubleClickCommand(2), ListCommand::viewResult);
}

TEST_F(ListCommands, ARightClickOpensTheMenuOnlyOnAVariantLine) {
    const RightClickReaction below = rightClick(false, {});
    EXPECT_FALSE(below.select);
    EXPECT_EQ(below.enableCommands, std::nullopt);
    EXPECT_FALSE(below.openMenu);

    const RightClickReaction placeholder = rightClick(true, placeholderLine(0));
    EXPECT_TRUE(placeholder.select);
    EXPECT_EQ(placeholder.enableCommands, false);
    EXPECT_FALSE(placeholder.openMenu);

    const RightClickReaction variant = rightClick(true, line_);
    EXPECT_TRUE(variant.select);
    EXPECT_EQ(variant.enableCommands, true);
    EXPECT_TRUE(variant.openMenu);

    EXPECT_FALSE(schemeButtonsEnabled(-1));
    EXPECT_TRUE(schemeButtonsEnabled(0));
    EXPECT_TRUE(schemeButtonsEnabled(17));
}

TEST_F(ListCommands, ViewSourceShowsTheUntouchedSampleInTheListFont) {
    const PreviewInputs in = viewSourceInputs(state_);
    EXPECT_TRUE(in.sourceMode);
    EXPECT_FALSE(in.silent);
    EXPECT_EQ(in.shownText, kKoiText);
    EXPECT_EQ(in.fontSource, state_.variantList);
}

TEST_F(ListCommands, TheShownTextOfALatinVariantKeepsTheLengthOfTheSample) {
    // Short texts keep their size: "жжжж" gives the first four bytes of "zhzhzhzh".
    vorlex::detect::Sample sample;
    std::memcpy(sample.text.data(), "\xE6\xE6\xE6\xE6", 4);
    EXPECT_EQ(recodedSample(sample, parseAction("wl"), {}), "zhzh");
    EXPECT_EQ(recodedSample(sample, {}, {}), "\xE6\xE6\xE6\xE6");
}

} // namespace
