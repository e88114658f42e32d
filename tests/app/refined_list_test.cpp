// The refined list as the window shows it, from real rankings: only plausible readings with
// their confidence, the text as it is named as such, one line when nothing is plausible, and a
// repair through Unicode that the list commands apply to the whole text.
#include "app/list_commands.h"
#include "app/refined_list.h"
#include "app/source_text.h"
#include "detect/list_line.h"
#include "detect/pass.h"
#include "detect/unicode_repair.h"
#include "engine/cp1251.h"
#include "tests/support/koi_text.h"
#include "tests/support/mojibake.h"
#include "tools/preview_outputs.h"

#include <gtest/gtest.h>

namespace vorlex::app {
namespace {

using store::Language;

const char* const kText = "Привет, мир! Как у вас дела? Мы были дома все вместе, и он нам не "
                          "сказал, что она уже тут.";

const detect::Dictionary& dictionary() {
    static const detect::Dictionary d;
    return d;
}

RefinedList listOfBytes(const std::string& bytes, Language language = Language::english) {
    const detect::Sample sample = detect::sampleSource(bytes);
    return refinedList(detect::refineRanking(dictionary(), sample, bytes, {}), language);
}

// Every line a reading with an action and a column, and the count what is listed.
void expectReadings(const RefinedList& list) {
    ASSERT_FALSE(list.lines.empty());
    EXPECT_EQ(list.found, static_cast<int>(list.lines.size()));
    for (const RefinedListLine& line : list.lines) {
        EXPECT_TRUE(detect::readListLine(line.line).has_value());
        EXPECT_TRUE(line.percent >= 0 && line.percent <= 100);
        EXPECT_TRUE(line.column.endsWith(QLatin1Char('%'))) << line.column.toStdString();
    }
}

TEST(RefinedList, DamagedTextListsItsRepairFirstAndOnlyPlausibleReadings) {
    const std::string koi = testing::koiFromWin1251(engine::win1251Literal(kText));
    const RefinedList list = listOfBytes(koi);
    expectReadings(list);
    EXPECT_TRUE(list.lines.front().line.starts_with(engine::win1251Literal("Привет, мир!")));
    EXPECT_FALSE(list.lines.front().asItIs);
    EXPECT_GE(list.lines.front().percent, 50);
    // Far fewer lines than the twenty junk ones of the whole ranking.
    EXPECT_LT(list.lines.size(), 20u);
}

TEST(RefinedList, CorrectTextReadsAsItIs) {
    // Its line breaks show as spaces, as in every label.
    const RefinedList russian =
        listOfBytes(engine::win1251Literal(std::string(kText) + "\nДа.\r\n"), Language::russian);
    expectReadings(russian);
    for (const RefinedListLine& line : russian.lines)
        EXPECT_EQ(line.line.find_first_of("\r\n"), std::string::npos);
    EXPECT_TRUE(russian.lines.front().asItIs);
    EXPECT_EQ(detect::readListLine(russian.lines.front().line).value_or("-"), "");
    EXPECT_TRUE(russian.lines.front().column.startsWith(QStringLiteral("без изменений · ")));
    // The same text pasted (as Unicode).
    const RefinedList pasted =
        refinedList(detect::rankUnicode(dictionary(), kText, {}), Language::english);
    expectReadings(pasted);
    EXPECT_TRUE(pasted.lines.front().asItIs);
    EXPECT_EQ(detect::readListLine(pasted.lines.front().line).value_or("-"), "");
}

TEST(RefinedList, JunkSaysThatNothingIsPlausible) {
    std::string junk;
    for (int i = 0; i < 600; ++i)
        junk.push_back(static_cast<char>(0x80 + (i * 53) % 0x80));
    for (const Language language : {Language::english, Language::russian}) {
        const RefinedList list = listOfBytes(junk, language);
        ASSERT_EQ(list.lines.size(), 1u);
        EXPECT_EQ(list.found, 0);
        EXPECT_TRUE(isNoPlausibleLine(list.lines.front().line));
        EXPECT_TRUE(list.lines.front().column.isEmpty());
        // A line to read, not to act on.
        EXPECT_FALSE(detect::readListLine(list.lines.front().line));
        EXPECT_TRUE(isPlaceholderLine(list.lines.front().line));
    }
}

TEST(RefinedList, ConfidenceColumns) {
    EXPECT_EQ(confidenceColumn(0.984, false, Language::english), QStringLiteral("98%"));
    EXPECT_EQ(confidenceColumn(0.004, false, Language::english), QStringLiteral("<1%"));
    EXPECT_EQ(confidenceColumn(1.0, true, Language::english), QStringLiteral("as it is · 100%"));
    for (const Language language : {Language::english, Language::russian})
        for (const QString& longest : longestConfidenceColumns(language))
            EXPECT_GE(longest.size(), confidenceColumn(0.5, false, language).size());
}

// Mojibake that arrived as Unicode: its repair is the first line, the line's commands repair
// the whole text with it, and its tip is the repaired start.
TEST(RefinedList, UnicodeMojibakeListsItsRepairForTheCommands) {
    // Every page holds "ё".
    const std::string whole = std::string(kText) + " Ещё строка, и конец.";
    int throughUnicode = 0;
    for (const test::MojibakeFamily& family : test::mojibakeFamilies()) {
        const auto damaged = std::make_shared<const std::string>(family.damage(whole));
        ASSERT_FALSE(damaged->empty()) << family.name;
        const RefinedList list =
            refinedList(detect::rankUnicode(dictionary(), *damaged, {}), Language::english);
        expectReadings(list);
        const std::string& first = list.lines.front().line;
        EXPECT_TRUE(first.starts_with(engine::win1251Literal("Привет, мир!")))
            << family.name << ": " << engine::win1251ToUtf8(first);
        ListCommandState state;
        state.unicodeText = damaged;
        state.clipboardCopy = std::make_shared<const std::string>(
            clipboardTextToBytes(QString::fromStdString(*damaged)).bytes);
        if (!isUnicodeLine(first))
            continue; // a damage the 8-bit chains undo (Windows-1251 shown as Western)
        ++throughUnicode;
        EXPECT_FALSE(previewInputsFor(ListCommand::toFile, first, state));
        const std::optional<UnicodeLineResult> result = unicodeLineResult(first, state);
        ASSERT_TRUE(result) << family.name;
        EXPECT_EQ(result->utf8, whole) << family.name;
        const tools::PreviewInputs inputs =
            unicodePreviewInputs(ListCommand::viewResult, *result, state);
        EXPECT_FALSE(inputs.documentIsFile);
        EXPECT_EQ(inputs.filters.count, 0);
        ASSERT_TRUE(inputs.documentData);
        EXPECT_TRUE(inputs.documentIsUnicode);
        EXPECT_EQ(*inputs.documentData, whole);
        // Loaded from a file: the output proposes the file's name.
        ListCommandState fromFile = state;
        fromFile.sourceIsFile = true;
        fromFile.sourcePath = QStringLiteral("/home/user/letter.txt");
        const tools::PreviewInputs toFile =
            unicodePreviewInputs(ListCommand::toFile, *result, fromFile);
        EXPECT_FALSE(toFile.documentIsFile);
        EXPECT_EQ(tools::proposedFileName(toFile), QStringLiteral("letter.txt"));
        EXPECT_FALSE(tools::counterAdvances(toFile, tools::WriteError::none));
        const SelectionReaction tip = selectionChanged(first, state, 0);
        ASSERT_TRUE(tip.titleTip);
        EXPECT_TRUE(tip.titleTip->starts_with(engine::win1251Literal("Привет, мир!")));
        EXPECT_EQ(tip.titleTip->find("~^~"), std::string::npos) << *tip.titleTip;
        // Without the Unicode text there is nothing to repair.
        state.unicodeText.reset();
        EXPECT_FALSE(unicodeLineResult(first, state));
    }
    EXPECT_GE(throughUnicode, 8);
}

} // namespace
} // namespace vorlex::app
