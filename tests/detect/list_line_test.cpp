#include "detect/list_line.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vorlex::detect::test {
namespace {

TEST(ListLine, BuildPutsTheSeparatorBetweenLabelAndAction) {
    const std::string label(199, 'x');
    const std::string line = buildListLine(label, "kw ki ");
    EXPECT_EQ(line.size(), 199u + 57 + 3 + 6);
    EXPECT_EQ(line.substr(0, 199), label);
    EXPECT_EQ(line.substr(199, 57), std::string(57, ' '));
    EXPECT_EQ(line.substr(256, 3), "~^~");
    EXPECT_EQ(line.substr(259), "kw ki ");
    EXPECT_EQ(readListLine(line), "kw ki ");
}

TEST(ListLine, ReadTakesEverythingAfterTheFirstSeparator) {
    const std::string sep = std::string(57, ' ') + "~^~";
    EXPECT_EQ(readListLine("a" + sep + "wk wk   "), "wk wk   ");
    // A label that itself ends in spaces still finds the first full separator.
    EXPECT_EQ(readListLine("ab   " + sep + "kw "), "kw ");
    // A second separator belongs to the action.
    EXPECT_EQ(readListLine("a" + sep + "kw" + sep), "kw" + sep);
    EXPECT_EQ(readListLine("a" + sep), "");
    EXPECT_EQ(readListLine(sep + "kw "), std::nullopt); // separator at index 0
    EXPECT_EQ(readListLine("a" + std::string(56, ' ') + "~^~kw "), std::nullopt);
    EXPECT_EQ(readListLine(""), std::nullopt);
}

TEST(ListLine, PlaceholderLinesCarryNoAction) {
    EXPECT_EQ(placeholderLine(1), "No recoding");
    EXPECT_EQ(placeholderLine(7), "No recoding");
    EXPECT_EQ(placeholderLine(0), win("Перекодировок не производилось!"));
    EXPECT_EQ(readListLine(placeholderLine(0)), std::nullopt);
    EXPECT_EQ(readListLine(placeholderLine(1)), std::nullopt);
}

TEST(ListLine, NamedSchemeActionJoinsAllFiveTokens) {
    EXPECT_EQ(namedSchemeAction(engine::parseActionTokens("wk wk")), "wk wk   ");
    EXPECT_EQ(namedSchemeAction(engine::parseActionTokens("kw")), "kw    ");
    EXPECT_EQ(namedSchemeAction(engine::parseActionTokens("ai ak aw ia ik")), "ai ak aw ia ik");
    // The tokens are kept as cut, even where they end the filter list.
    EXPECT_EQ(namedSchemeAction(engine::parseActionTokens("wk Wk")), "wk Wk   ");
    EXPECT_EQ(engine::parseAction(namedSchemeAction(engine::parseActionTokens("wk wk"))),
              engine::parseAction("wk wk"));
}

TEST(ListLine, LabelIsTheTextSampleRecodedOnOneLine) {
    const std::string text = win("Мы\tидем\r\nдомой") + std::string(300, 'z');
    const Sample sample = sampleSource(text);
    const std::string label = variantLabel(sample, engine::parseAction("wk"));
    ASSERT_EQ(label.size(), 199u);
    // Control bytes become spaces; letters go through Win->Koi; the 200th byte is cut.
    const std::string expected = win("Мы идем  домой") + std::string(199 - 14, 'z');
    EXPECT_EQ(label, recodeWhole(expected, "wk"));
    EXPECT_EQ(variantLabel(sample, engine::parseAction("wk kw")), expected);
}

TEST(ListLine, NamedSchemeLine) {
    const Sample sample = sampleSource(win("Дом и сад"));
    const std::string line = namedSchemeLine(sample, "wk wk");
    EXPECT_EQ(readListLine(line), "wk wk   ");
    EXPECT_EQ(line.substr(0, 199), recodeWhole(sample.textSample().substr(0, 199), "wk wk"));
}

} // namespace
} // namespace vorlex::detect::test
