#include "engine/unicode_views.h"
#include "tests/engine/test_support.h"
#include "tests/support/mojibake.h"

#include <gtest/gtest.h>

namespace vorlex::engine {
namespace {

using test::iconvConvert;

constexpr std::array<const char*, 8> kIconvNames = {
    "CP1251", "KOI8-R", "CP866", "ISO-8859-5", "MAC-CYRILLIC", "CP1252", "ISO-8859-1", "CP437"};

TEST(UnicodeViews, PagesAgreeWithIconvAndRoundTrip) {
    for (const DisplayPage page : kDisplayPages) {
        const char* name = kIconvNames[static_cast<std::size_t>(page)];
        int disagreements = 0;
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<std::uint8_t>(b);
            const char32_t cp = pageToUnicode(page, byte);
            ASSERT_EQ(unicodeToPage(page, cp), byte) << name << ' ' << b;
            const std::string shown = showThrough(std::string(1, static_cast<char>(b)), page);
            const auto iconv = iconvConvert(name, "UTF-8", std::string(1, static_cast<char>(b)));
            if (iconv && *iconv != shown)
                ++disagreements;
        }
        // glibc's Mac Cyrillic is the later revision (the euro sign and Ukrainian Ґ ґ).
        EXPECT_LE(disagreements, page == DisplayPage::macCyrillic ? 3 : 0) << name;
    }
    // Undefined bytes are the C1 control of the same number.
    EXPECT_EQ(pageToUnicode(DisplayPage::windows1252, 0x81), U'\u0081');
    EXPECT_EQ(pageToUnicode(DisplayPage::windows1251, 0x98), U'\u0098');
}

TEST(UnicodeViews, ViewIsLosslessOrFails) {
    EXPECT_EQ(viewThrough("Ïðèâåò, world", DisplayPage::windows1252),
              "\xCF\xF0\xE8\xE2\xE5\xF2, world");
    EXPECT_FALSE(viewThrough("Ïðèâåò", DisplayPage::windows1251));
    EXPECT_FALSE(viewThrough("Привет \xF0\x9F\x98\x80", DisplayPage::windows1251)); // emoji
    EXPECT_FALSE(viewThrough("\xD0", DisplayPage::latin1));                         // cut UTF-8
    // A decoder that showed Windows-1251's undefined byte as U+FFFD: only a view for a UTF-8
    // decoding takes it back, and only on that page.
    EXPECT_FALSE(viewThrough("Р\uFFFD", DisplayPage::windows1251));
    EXPECT_EQ(viewOfUtf8Through("Р\uFFFD", DisplayPage::windows1251), "\xD0\x98");
    EXPECT_FALSE(viewOfUtf8Through("Ð\uFFFD", DisplayPage::windows1252));
    // Dropped from a smiley: "рџЂ" is F0 9F 80, "рџ" F0 9F; not at the end of a cut sample.
    EXPECT_EQ(viewOfUtf8Through("рџЂ и рџ.", DisplayPage::windows1251),
              "\xF0\x9F\x98\x80 \xE8 \xF0\x9F\x98\x98.");
    EXPECT_EQ(viewOfUtf8Through("и рџ", DisplayPage::windows1251), "\xE8 \xF0\x9F");
    for (const DisplayPage page : kDisplayPages) {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        EXPECT_EQ(viewThrough(showThrough(all, page), page), all);
    }
    EXPECT_TRUE(isMultibyteUtf8("Привет"));
    EXPECT_FALSE(isMultibyteUtf8("plain"));
    EXPECT_FALSE(isMultibyteUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"));
}

TEST(UnicodeViews, ACutLastCharacterIsLeftOutAndACompleteOneKept) {
    const std::string text = "ok Ж€😀"; // characters of 1, 2, 3 and 4 bytes at the end
    const std::size_t emojiStart = text.size() - 4;
    EXPECT_EQ(lengthWithoutCutCharacter(text), text.size());
    for (std::size_t cut = 1; cut < 4; ++cut)
        EXPECT_EQ(lengthWithoutCutCharacter(std::string_view(text).substr(0, emojiStart + cut)),
                  emojiStart);
    EXPECT_EQ(lengthWithoutCutCharacter(std::string_view(text).substr(0, emojiStart - 1)),
              emojiStart - 3);
    EXPECT_EQ(lengthWithoutCutCharacter("ok \xD0\x96"), 5u);
    EXPECT_EQ(lengthWithoutCutCharacter(""), 0u);
}

TEST(UnicodeViews, ActionStringsParseStrictlyAndRoundTrip) {
    const auto action = parseUnicodeAction("uw 8u uw kw ");
    ASSERT_TRUE(action);
    EXPECT_EQ(action->steps.size(), 3u);
    EXPECT_EQ(action->chain, makeFilterList({8}));
    EXPECT_EQ(unicodeActionString(*action), "uw 8u uw kw ");
    EXPECT_EQ(parseUnicodeAction("")->steps.size(), 0u);
    for (const char* bad : {"kw uw", "uw  kw", "uw Kw", "ux", " uw", "uw 8u uw 8u uw 8u uw 8u uw"})
        EXPECT_FALSE(parseUnicodeAction(bad)) << bad;
    EXPECT_TRUE(holdsUnicodeStep("ue "));
    EXPECT_FALSE(holdsUnicodeStep("wk kw "));
    // The classic parser ends at the first Unicode code: such an action is an empty chain.
    EXPECT_EQ(parseAction("uw 8u kw ").count, 0);
}

TEST(UnicodeViews, ShowStepsReadBytesAsTheTextOfAPage) {
    const std::string text = "Поворот на 90°,\u00a0шаг 45°";
    for (const DisplayPage page : {DisplayPage::koi8r, DisplayPage::cp866}) {
        const std::string code = std::string(showCode(page)) + " ";
        const auto show = parseUnicodeAction(code);
        ASSERT_TRUE(show) << code;
        EXPECT_EQ(unicodeActionString(*show), code);
        EXPECT_TRUE(startsOnBytes(*show));
        UnicodeActionError error{};
        const auto result = applyUnicodeAction(*show, *viewThrough(text, page), false, {}, error);
        ASSERT_TRUE(result && result->unicode) << code;
        EXPECT_EQ(result->text, text) << code;
        EXPECT_FALSE(applyUnicodeAction(*show, text, true, {}, error));
        EXPECT_EQ(error, UnicodeActionError::notBytes);
    }
    // Koi bytes shown as Win, viewed back and read as Koi: the signs survive.
    const auto repair = parseUnicodeAction("uw ku");
    ASSERT_TRUE(repair);
    EXPECT_FALSE(startsOnBytes(*repair));
    UnicodeActionError error{};
    const auto result = applyUnicodeAction(
        *repair, vorlex::test::misread(text, DisplayPage::koi8r, DisplayPage::windows1251), true,
        {}, error);
    ASSERT_TRUE(result);
    EXPECT_EQ(resultAsUtf8(*result), text);
}

TEST(UnicodeViews, ActionsUndoEachFamilyAndCheckTheirState) {
    const std::string text = "Привет, мир! Ёлка 2024 http://x.ru";
    const std::array<const char*, 10> repairs = {"uw 8u ", "uk 8u ", "ua 8u ", "ue 8u ",
                                                 "ue ",    "ul kw ", "ud aw ", "uw 8u uw 8u ",
                                                 "uw kw ", "uw aw "};
    const auto& families = vorlex::test::mojibakeFamilies();
    for (std::size_t i = 0; i < families.size(); ++i) {
        UnicodeActionError error{};
        const auto result = applyUnicodeAction(*parseUnicodeAction(repairs[i]),
                                               families[i].damage(text), true, {}, error);
        ASSERT_TRUE(result) << families[i].name;
        EXPECT_EQ(resultAsUtf8(*result), text) << families[i].name;
    }
    UnicodeActionError error{};
    const auto lost =
        applyUnicodeAction(*parseUnicodeAction("uw 8u "), "Р\uFFFDР·", true, {}, error);
    ASSERT_TRUE(lost);
    EXPECT_EQ(resultAsUtf8(*lost), "Из");
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("uw "), "Р\uFFFD", true, {}, error));
    EXPECT_EQ(error, UnicodeActionError::lossyView);
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("8u "), "x", true, {}, error));
    EXPECT_EQ(error, UnicodeActionError::notBytes);
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("uw "), "x", false, {}, error));
    EXPECT_EQ(error, UnicodeActionError::notUnicode);
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("uw 8u "), "Привет", true, {}, error));
    EXPECT_EQ(error, UnicodeActionError::invalidUtf8);
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("ue "), "Привет", true, {}, error));
    EXPECT_EQ(error, UnicodeActionError::lossyView);
    // Bytes that were UTF-8, then a Unicode view again: "u8" is the way back.
    const auto back =
        applyUnicodeAction(*parseUnicodeAction("8u u8 "), "\xD0\x9F", false, {}, error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "\xD0\x9F");
    EXPECT_FALSE(back->unicode);
}

// An action on spans repairs those characters alone and keeps the rest byte for byte.
TEST(UnicodeViews, SpansRepairTheirCharactersAlone) {
    const auto& families = vorlex::test::mojibakeFamilies();
    const std::string text =
        "Он сказал «" + families[0].damage("Привет") + "» и " + families[0].damage("ушёл") + " 😀";
    const auto action = parseUnicodeAction("@11+12 @27+8 uw 8u");
    ASSERT_TRUE(action);
    EXPECT_EQ(unicodeActionString(*action), "@11+12 @27+8 uw 8u ");
    EXPECT_FALSE(startsOnBytes(*action));
    EXPECT_TRUE(holdsUnicodeStep("@0+1 ue"));
    EXPECT_EQ(unicodeActionDescription(*action, ", "),
              "Characters 12-23, 28-35: Unicode->Win, UTF-8->Unicode");
    UnicodeActionError error{};
    const auto result = applyUnicodeAction(*action, text, true, {}, error);
    ASSERT_TRUE(result && result->unicode);
    EXPECT_EQ(result->text, "Он сказал «Привет» и ушёл 😀");
    // A span's bytes that end as Windows-1251 are read as its text.
    const auto bytes =
        applyUnicodeAction(*parseUnicodeAction("@4+6 ue"),
                           "Да «" + families[4].damage("привет") + "»", true, {}, error);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->text, "Да «привет»");
    EXPECT_FALSE(applyUnicodeAction(*parseUnicodeAction("@30+12 uw 8u"), text, true, {}, error));
    EXPECT_EQ(error, UnicodeActionError::spanOutside);
    EXPECT_FALSE(applyUnicodeAction(*action, text, false, {}, error));
    EXPECT_EQ(error, UnicodeActionError::notUnicode);
    for (const char* bad : {"@2+1 @1+1 uw", "@1+2 @2+1 uw", "@1+0 uw", "@01+1 uw", "@1+1",
                            "@1+1 8u", "uw @1+1", "@1 uw", "@+1 uw"})
        EXPECT_FALSE(parseUnicodeAction(bad)) << bad;
}

} // namespace
} // namespace vorlex::engine
