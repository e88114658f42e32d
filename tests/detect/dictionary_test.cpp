#include "detect/dictionary.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <set>

namespace vorlex::detect::test {
namespace {

std::vector<std::string> splitEntry(int entry) {
    std::vector<std::string> words;
    const std::string text = win(dictionaryEntryText(entry));
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        words.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return words;
        start = comma + 1;
    }
}

TEST(Dictionary, EntriesHoldTheListedNumberOfWords) {
    EXPECT_EQ(splitEntry(1).size(), 204u);
    EXPECT_EQ(splitEntry(5).size(), 202u);
    EXPECT_EQ(splitEntry(6).size(), 42u);
    EXPECT_EQ(splitEntry(2).size(), 181u);
    EXPECT_EQ(splitEntry(3).size(), 25u);
    EXPECT_TRUE(dictionaryEntryText(4).empty()); // the version text, not words
    EXPECT_TRUE(dictionaryEntryText(7).empty());

    const Dictionary dictionary;
    EXPECT_EQ(dictionary.words(4).size(), 448u);
    EXPECT_EQ(dictionary.words(3).size(), 181u);
    EXPECT_EQ(dictionary.words(2).size(), 25u);
    for (int length : {2, 3, 4}) {
        const auto& words = dictionary.words(length);
        EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), words.size())
            << "duplicates in the list of length " << length;
        for (const std::string& word : words) {
            ASSERT_EQ(word.size(), static_cast<std::size_t>(length));
            for (char c : word)
                EXPECT_TRUE(static_cast<std::uint8_t>(c) >= 0xC0 &&
                            static_cast<std::uint8_t>(c) <= 0xDF)
                    << utf8(word);
        }
    }
    EXPECT_EQ(utf8(dictionary.words(4).front()), "БЕТА");
    EXPECT_EQ(utf8(dictionary.words(4)[204]), "ОКНО"); // entry 5 follows entry 1
    EXPECT_EQ(utf8(dictionary.words(4).back()), "ТЕСТ");
    EXPECT_EQ(utf8(dictionary.words(3).back()), "БАГ");
    EXPECT_EQ(utf8(dictionary.words(2).front()), "СО");
}

// Every combination of capitals is looked up and compared with the plain word sets, so the
// packed index can neither miss a word nor invent one.
TEST(Dictionary, LookupAgreesWithTheWordListsForEveryCombination) {
    const Dictionary dictionary;
    const auto four = referenceWords({1, 5, 6});
    const auto three = referenceWords({2});
    const auto two = referenceWords({3});
    ASSERT_EQ(four.size(), 448u);
    std::string word;
    int found4 = 0;
    for (int a = 0; a < 32; ++a)
        for (int b = 0; b < 32; ++b) {
            word = {char(0xC0 + a), char(0xC0 + b)};
            ASSERT_EQ(dictionary.contains(word), two.count(word) > 0) << utf8(word);
            for (int c = 0; c < 32; ++c) {
                word = {char(0xC0 + a), char(0xC0 + b), char(0xC0 + c)};
                ASSERT_EQ(dictionary.contains(word), three.count(word) > 0) << utf8(word);
                for (int d = 0; d < 32; ++d) {
                    word = {char(0xC0 + a), char(0xC0 + b), char(0xC0 + c), char(0xC0 + d)};
                    const bool expected = four.count(word) > 0;
                    ASSERT_EQ(dictionary.contains(word), expected) << utf8(word);
                    found4 += expected;
                }
            }
        }
    EXPECT_EQ(found4, 448);
}

TEST(Dictionary, NoWordAcrossEntryBoundaries) {
    const Dictionary dictionary;
    // The last letters of one entry run straight into the first of the next: КУЧА|ОКНО and
    // НАУК|КУЧИ. None of the four-letter windows across the joint is a word of its own.
    for (auto [left, right] : {std::pair{1, 5}, std::pair{5, 6}}) {
        const std::string joint = splitEntry(left).back() + splitEntry(right).front();
        for (std::size_t at = 1; at < 4; ++at)
            EXPECT_FALSE(dictionary.contains(joint.substr(at, 4))) << utf8(joint.substr(at, 4));
        EXPECT_TRUE(dictionary.contains(joint.substr(0, 4)));
        EXPECT_TRUE(dictionary.contains(joint.substr(4, 4)));
    }
}

TEST(Dictionary, OnlyFoldedCapitalsOfTheRightLengthMatch) {
    const Dictionary dictionary;
    EXPECT_TRUE(dictionary.contains(win("ЩУКА")));
    EXPECT_TRUE(dictionary.contains(win("ЕЩЕ")));
    EXPECT_TRUE(dictionary.contains(win("ЕЕ")));
    EXPECT_FALSE(dictionary.contains(win("щука"))); // lookups take folded words
    EXPECT_TRUE(dictionary.contains(foldedCopy(win("щУка"))));
    EXPECT_FALSE(dictionary.contains(win("ЕЁ")));   // no Ё in the dictionary
    EXPECT_FALSE(dictionary.contains(win("ЕЩЕЕ"))); // a three-letter word is not a four-letter one
    EXPECT_FALSE(dictionary.contains(win("ДНЕМ").substr(0, 3)));
    EXPECT_FALSE(dictionary.contains(""));
    EXPECT_FALSE(dictionary.contains(win("И")));
    EXPECT_FALSE(dictionary.contains(win("БЕТАБ")));
    EXPECT_FALSE(dictionary.contains("NO"));
}

TEST(Dictionary, SeparatorSetIsExactlyTheThirtyTwoBytes) {
    const std::set<int> expected = {32,  13,  10, 46, 44, 63, 47, 33, 64, 35, 36,
                                    37,  94,  38, 42, 40, 41, 45, 61, 43, 92, 124,
                                    123, 125, 91, 93, 59, 58, 39, 34, 96, 126};
    ASSERT_EQ(expected.size(), 32u);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(isSeparator(static_cast<std::uint8_t>(b)), expected.count(b) > 0) << b;
}

TEST(Dictionary, FoldTurnsOnlySmallLettersIntoCapitals) {
    std::uint8_t text[257];
    for (int b = 1; b < 256; ++b)
        text[b - 1] = static_cast<std::uint8_t>(b);
    text[255] = 0;
    text[256] = 0xE0; // after the terminator: untouched
    foldToUpper(text);
    for (int b = 1; b < 256; ++b) {
        const int expected = b >= 224 ? b - 32 : b;
        EXPECT_EQ(text[b - 1], expected) << b;
    }
    EXPECT_EQ(text[0xB8 - 1], 0xB8); // ё stays
    EXPECT_EQ(text[256], 0xE0);
    EXPECT_EQ(foldedCopy(win("Ёлка, ёж и Щи")), win("ЁЛКА, ёЖ И ЩИ"));
}

} // namespace
} // namespace vorlex::detect::test
