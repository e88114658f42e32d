#include "detect/sample.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vorlex::detect::test {
namespace {

std::vector<std::string> words(const Sample& sample, int length) {
    std::vector<std::string> result;
    for (int j = 0; j < sample.count(length); ++j)
        result.emplace_back(sample.word(length, j));
    return result;
}

std::vector<std::string> wins(std::initializer_list<std::string_view> texts) {
    std::vector<std::string> result;
    for (auto t : texts)
        result.push_back(win(t));
    return result;
}

TEST(Sample, TextWithoutHighBytesGivesNoWordsAndPaddedText) {
    const std::string shortText(120, 'a');
    Sample sample = sampleSource(shortText);
    EXPECT_FALSE(sample.hasWords());
    EXPECT_EQ(sample.textSample(), shortText + std::string(80, ' '));

    std::string longText;
    for (int i = 0; longText.size() < 700; ++i)
        longText += "line " + std::to_string(i) + "\r\n";
    sample = sampleSource(longText);
    EXPECT_FALSE(sample.hasWords());
    EXPECT_EQ(sample.textSample(), longText.substr(0, 499));
    EXPECT_EQ(sample.text[499], 0);
}

TEST(Sample, EmptySourceGivesTwoHundredSpaces) {
    const Sample sample = sampleSource(std::string_view{});
    EXPECT_FALSE(sample.hasWords());
    EXPECT_EQ(sample.twoCount + sample.threeCount + sample.fourCount, 0);
    EXPECT_EQ(sample.textSample(), std::string(200, ' '));
}

TEST(Sample, DuplicatesAfterFoldingAndOneLetterWordsAreDropped) {
    const Sample sample = sampleSource(win("Мы и ОН он Он"));
    EXPECT_EQ(words(sample, 2), wins({"Мы", "ОН"})); // kept as they stand, not folded
    EXPECT_EQ(sample.threeCount, 0);
    EXPECT_EQ(sample.fourCount, 0);
    EXPECT_EQ(sample.textSample().substr(0, 13), win("Мы и ОН он Он"));
}

TEST(Sample, WordsStartOnlyAfterSeparators) {
    // A tab, a digit, a Latin letter, an underscore or '<' before a word hide it; a digit or a
    // Latin letter after it spoils it, and the rest up to the next separator is skipped.
    const Sample sample =
        sampleSource(win("\tда 5нет xлес _мир <бор мир7abc ты сон7 кот-пес {дом}"));
    EXPECT_EQ(words(sample, 2), wins({"ты"}));
    EXPECT_EQ(words(sample, 3), wins({"кот", "пес", "дом"}));
    EXPECT_EQ(sample.fourCount, 0);
    // The text sample still starts at the first word start, the spoiled "мир7abc".
    EXPECT_EQ(sample.textSample().substr(0, 4), win("мир7"));
}

TEST(Sample, LongWordsAndTheirTailsAreNeverKept) {
    const Sample sample = sampleSource(win("слово приветик дорогие дом длинношеее да"));
    EXPECT_EQ(words(sample, 2), wins({"да"}));
    EXPECT_EQ(words(sample, 3), wins({"дом"}));
    EXPECT_EQ(sample.fourCount, 0);
}

TEST(Sample, LastWordIsCollectedAndRunsEndCleanlyAtSeparators) {
    const Sample sample = sampleSource(win("тест.мама,папа\r\nлес!\"сад\" да"));
    EXPECT_EQ(words(sample, 4), wins({"тест", "мама", "папа"}));
    EXPECT_EQ(words(sample, 3), wins({"лес", "сад"}));
    EXPECT_EQ(words(sample, 2), wins({"да"}));
    EXPECT_EQ(words(sampleSource(win("да")), 2), wins({"да"}));
}

TEST(Sample, EveryHighByteIsPartOfAWord) {
    // Guillemets and other bytes from 128 up are not separators: they join the run.
    const Sample sample = sampleSource(win("«да» №1"));
    EXPECT_EQ(words(sample, 4), wins({"«да»"}));
    EXPECT_EQ(sample.twoCount, 0);
}

TEST(Sample, EleventhWordOfALengthIsIgnoredWhileOthersGoOn) {
    std::string text = "аб вг де жз ий кл мн оп рс ту фх цч шщ ";
    text += "дом лес сад";
    const Sample sample = sampleSource(win(text));
    EXPECT_EQ(sample.twoCount, 10);
    EXPECT_EQ(sample.word(2, 9), win("ту"));
    EXPECT_EQ(words(sample, 3), wins({"дом", "лес", "сад"}));
}

TEST(Sample, EachLengthFillsItsTenSlots) {
    std::string text;
    const char* two[] = {"аб", "вг", "де", "жз", "ий", "кл", "мн", "оп", "рс", "ту"};
    const char* three[] = {"абв", "где", "жзи", "йкл", "мно", "прс", "туф", "хцч", "шщы", "эюя"};
    const char* four[] = {"абвг", "дежз", "ийкл", "мноп", "рсту",
                          "фхцч", "шщъы", "ьэюя", "вгде", "йклм"};
    for (int i = 0; i < 10; ++i)
        text += std::string(two[i]) + " " + three[i] + " " + four[i] + " ";
    text += "ее жук слон";
    const Sample sample = sampleSource(win(text));
    EXPECT_EQ(sample.twoCount, 10);
    EXPECT_EQ(sample.threeCount, 10);
    EXPECT_EQ(sample.fourCount, 10);
    EXPECT_EQ(sample.word(4, 9), win("йклм"));
    const std::string bytes = win(text);
    EXPECT_EQ(sample.textSample(), bytes + std::string(200 - bytes.size(), ' '));
}

TEST(Sample, TextSampleStartsAtTheFirstWordStartWhateverItsLength) {
    EXPECT_EQ(sampleSource(win("123 я мы")).textSample().substr(0, 6), win("я мы  "));
    EXPECT_EQ(sampleSource(win("abc, приветик мы")).textSample().substr(0, 11), win("приветик мы"));
    // A letter after a digit is no word start, so the sample starts later.
    EXPECT_EQ(sampleSource(win("5я мы")).textSample().substr(0, 2), win("мы"));
}

TEST(Sample, TextSampleHoldsAtMost499BytesFromTheFirstWord) {
    std::string text = "12345 ";
    while (text.size() < 800)
        text += win("мы идем домой, ");
    const Sample sample = sampleSource(text);
    EXPECT_EQ(sample.textSample(), text.substr(6, 499));
}

TEST(Sample, TextSampleLengthEndsAtAZeroByte) {
    // The zero ends the text sample; the padding starts right there.
    std::string text = win("мы идем");
    text += '\0';
    text += win(" домой");
    Sample sample = sampleSource(text);
    EXPECT_EQ(words(sample, 2), wins({"мы"}));
    EXPECT_EQ(sample.textSample(), win("мы идем") + std::string(193, ' '));
    EXPECT_EQ(sample.text[200], 0);

    // A zero right after a word is not a separator: the word is spoiled, and what follows is
    // skipped up to a separator. With no word at all the text sample is the source's start.
    text = win("да");
    text += '\0';
    text += win("нет");
    sample = sampleSource(text);
    EXPECT_FALSE(sample.hasWords());
    EXPECT_EQ(sample.textSample(), win("да") + std::string(198, ' '));
}

} // namespace
} // namespace vorlex::detect::test
