#include "engine/latin.h"
#include "tests/engine/test_support.h"

#include <atomic>
#include <cstdint>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vorlex::engine {
namespace {

using test::Bytes;
using test::toBytes;
using test::toString;
using test::win;
using test::winStr;

constexpr std::uint8_t kUntouched = 0xEE;
constexpr std::size_t kWholeSource = static_cast<std::size_t>(-1);

struct ToLatin {
    bool control = false;
    bool separateEnglish = false;
    std::size_t limit = kWholeSource;
    std::size_t outSize = kWholeSource;
};

// Win text to Latin; the output buffer is prefilled so a write past the returned count shows.
std::string toLatin(std::string_view winText, ToLatin how = {}) {
    const Bytes source = toBytes(winText);
    const std::size_t limit = how.limit == kWholeSource ? source.size() : how.limit;
    const std::size_t outSize =
        how.outSize == kWholeSource ? source.size() * kMaxLatinBytesPerChar : how.outSize;
    Bytes out(outSize + 8, kUntouched);
    const std::size_t written = cyrillicToLatin(std::span<std::uint8_t>(out.data(), outSize),
                                                source, limit, how.control, how.separateEnglish);
    EXPECT_LE(written, outSize);
    for (std::size_t i = written; i < out.size(); ++i)
        EXPECT_EQ(out[i], kUntouched) << "byte " << i << " written past the result";
    return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written));
}

struct ToCyr {
    bool wAsVe = false;
    bool noSj = false;
    bool control = false;
    std::size_t limit = kWholeSource;
    std::size_t outSize = kWholeSource;
};

// Latin text to Win; the source span ends exactly at the text (no terminator byte), since the
// routine reads a byte past the end as 0.
std::string toCyr(std::string_view latin, ToCyr how = {}) {
    const Bytes source = toBytes(latin);
    const std::size_t limit = how.limit == kWholeSource ? source.size() : how.limit;
    const std::size_t outSize = how.outSize == kWholeSource ? source.size() + 1 : how.outSize;
    Bytes out(outSize + 8, kUntouched);
    const std::size_t written = latinToCyrillic(std::span<std::uint8_t>(out.data(), outSize),
                                                source, limit, how.control, how.wAsVe, how.noSj);
    EXPECT_LE(written, outSize);
    for (std::size_t i = written; i < out.size(); ++i)
        EXPECT_EQ(out[i], kUntouched) << "byte " << i << " written past the result";
    return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written));
}

// ---- Cyrillic to Latin ----

struct Spelling {
    const char* capital;
    const char* small;
    const char* latinCapital;
    const char* latinSmall;
};

const std::vector<Spelling>& spellings() {
    static const std::vector<Spelling> table = {
        {"А", "а", "A", "a"},   {"Б", "б", "B", "b"},   {"В", "в", "V", "v"},
        {"Г", "г", "G", "g"},   {"Д", "д", "D", "d"},   {"Е", "е", "E", "e"},
        {"Ё", "ё", "Yo", "yo"}, {"Ж", "ж", "Zh", "zh"}, {"З", "з", "Z", "z"},
        {"И", "и", "I", "i"},   {"Й", "й", "J", "j"},   {"К", "к", "K", "k"},
        {"Л", "л", "L", "l"},   {"М", "м", "M", "m"},   {"Н", "н", "N", "n"},
        {"О", "о", "O", "o"},   {"П", "п", "P", "p"},   {"Р", "р", "R", "r"},
        {"С", "с", "S", "s"},   {"Т", "т", "T", "t"},   {"У", "у", "U", "u"},
        {"Ф", "ф", "F", "f"},   {"Х", "х", "X", "x"},   {"Ц", "ц", "C", "c"},
        {"Ч", "ч", "Ch", "ch"}, {"Ш", "ш", "Sh", "sh"}, {"Щ", "щ", "W", "w"},
        {"Ъ", "ъ", "~", "~"},   {"Ы", "ы", "Y", "y"},   {"Ь", "ь", "'", "'"},
        {"Э", "э", "E'", "e'"}, {"Ю", "ю", "Yu", "yu"}, {"Я", "я", "Ya", "ya"},
    };
    return table;
}

TEST(CyrillicToLatin, EverySixtySixLetters) {
    ASSERT_EQ(spellings().size(), 33u);
    std::string allWin, allLatin;
    for (const Spelling& s : spellings()) {
        EXPECT_EQ(toLatin(winStr(s.capital)), s.latinCapital) << s.capital;
        EXPECT_EQ(toLatin(winStr(s.small)), s.latinSmall) << s.small;
        allWin += winStr(s.capital) + winStr(s.small);
        allLatin += std::string(s.latinCapital) + s.latinSmall;
    }
    EXPECT_EQ(toLatin(allWin), allLatin);
}

TEST(CyrillicToLatin, WorkedExamples) {
    EXPECT_EQ(toLatin(winStr("Щи да каша")), "Wi da kasha");
    EXPECT_EQ(toLatin(winStr("Щука и ёж")), "Wuka i yozh");
    EXPECT_EQ(toLatin(winStr("ЪЬ")), "~'");
    EXPECT_EQ(toLatin(winStr("ъь")), "~'");
    EXPECT_EQ(toLatin(winStr("СХ")), "SX");
    EXPECT_EQ(toLatin(winStr("Э")), "E'");
}

TEST(CyrillicToLatin, NonLettersPassUnchanged) {
    EXPECT_EQ(toLatin(winStr("1,5 кг. (см!)")), "1,5 kg. (sm!)");
    // Win punctuation in the upper half: dashes, quotes, numero sign.
    const std::string upper = winStr("«—–№»");
    EXPECT_EQ(toLatin(upper), upper);
    EXPECT_EQ(toLatin("abc XYZ"), "abc XYZ");
    EXPECT_EQ(toLatin("\\ ^_@~`'"), "\\ ^_@~`'");
}

TEST(CyrillicToLatin, ControlSwitchTurnsControlBytesIntoSpaces) {
    const std::string text =
        winStr("а") + "\t" + winStr("б") + "\r\n" + winStr("в") + "\x01\x0E\x0F";
    EXPECT_EQ(toLatin(text, {.control = true}), "a b  v  \x0F");
    EXPECT_EQ(toLatin(text, {.control = false}), "a\tb\r\nv\x01\x0E\x0F");
}

TEST(CyrillicToLatin, StopsAtZeroByteAndAtLimit) {
    const std::string text = winStr("аб") + std::string(1, '\0') + winStr("в");
    EXPECT_EQ(toLatin(text), "ab");
    EXPECT_EQ(toLatin(text, {.control = true}), "ab");
    EXPECT_EQ(toLatin(winStr("абвг"), {.limit = 2}), "ab");
    EXPECT_EQ(toLatin(winStr("абвг"), {.limit = 0}), "");
    EXPECT_EQ(toLatin(""), "");
}

TEST(CyrillicToLatin, OutputIsCutAtTheBufferSize) {
    EXPECT_EQ(toLatin(winStr("ЖЖЖ"), {.outSize = 3}), "ZhZ");
    EXPECT_EQ(toLatin(winStr("ЖЖЖ"), {.outSize = 0}), "");
    EXPECT_EQ(toLatin(winStr("John мир"), {.separateEnglish = true, .outSize = 5}), "\\ Joh");
}

TEST(CyrillicToLatin, SeparateEnglishEnclosesLatinLetters) {
    const std::string text = winStr("Привет John! мир");
    EXPECT_EQ(toLatin(text, {.separateEnglish = true}), "Privet \\ John! \\ mir");
    EXPECT_EQ(toLatin(text, {.separateEnglish = false}), "Privet John! mir");
    // A text that begins with an English word begins with the marker.
    EXPECT_EQ(toLatin(winStr("John мир"), {.separateEnglish = true}), "\\ John \\ mir");
    // Digits, spaces, punctuation and upper-half non-letters never change the mode.
    EXPECT_EQ(toLatin(winStr("ab cd, 12 ef"), {.separateEnglish = true}), "\\ ab cd, 12 ef");
    EXPECT_EQ(toLatin(winStr("a1 б"), {.separateEnglish = true}), "\\ a1 \\ b");
    EXPECT_EQ(toLatin(winStr("a—б"), {.separateEnglish = true}), "\\ a" + winStr("—") + "\\ b");
    EXPECT_EQ(toLatin(winStr("12 мир"), {.separateEnglish = true}), "12 mir");
    EXPECT_EQ(toLatin(winStr("aЁ"), {.separateEnglish = true}), "\\ a\\ Yo");
    EXPECT_EQ(toLatin(winStr("аaбb"), {.separateEnglish = true}), "a\\ a\\ b\\ b");
}

TEST(CyrillicToLatin, EnglishRangeIs0x41To0x7A) {
    const ToLatin sep = {.separateEnglish = true};
    EXPECT_EQ(toLatin("@", sep), "@");
    EXPECT_EQ(toLatin("A", sep), "\\ A");
    EXPECT_EQ(toLatin("z", sep), "\\ z");
    EXPECT_EQ(toLatin("{", sep), "{");
    EXPECT_EQ(toLatin("~", sep), "~");
    EXPECT_EQ(toLatin("[", sep), "\\ [");
    EXPECT_EQ(toLatin("_", sep), "\\ _");
    EXPECT_EQ(toLatin(winStr("а`"), sep), "a\\ `");
    EXPECT_EQ(toLatin("'", sep), "'");
}

TEST(CyrillicToLatin, SeparateEnglishWithControlSwitch) {
    EXPECT_EQ(toLatin("ab\tcd", {.control = true, .separateEnglish = true}), "\\ ab cd");
}

TEST(CyrillicToLatin, WorstCaseFitsFourBytesPerCharacter) {
    // Latin and two-letter Cyrillic letters alternating: a marker before every character.
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "a" + winStr("Ж");
    std::string expected;
    for (int i = 0; i < 50; ++i)
        expected += "\\ a\\ Zh";
    EXPECT_EQ(toLatin(text, {.separateEnglish = true, .outSize = text.size() * 4}), expected);
}

// ---- Latin to Cyrillic ----

TEST(LatinToCyrillic, SingleLetters) {
    const char* latin = "abcdefghijklmnopqrstuvwxyz";
    const char* cyrillic[] = {"а", "б", "ц", "д", "е", "ф", "г", "х", "и", "й", "к", "л", "м",
                              "н", "о", "п", "щ", "р", "с", "т", "у", "в", "щ", "х", "ы", "з"};
    const char* cyrillicCapital[] = {"А", "Б", "Ц", "Д", "Е", "Ф", "Г", "Х", "И",
                                     "Й", "К", "Л", "М", "Н", "О", "П", "Щ", "Р",
                                     "С", "Т", "У", "В", "Щ", "Х", "Ы", "З"};
    for (int i = 0; i < 26; ++i) {
        const std::string small(1, latin[i]);
        const std::string capital(1, static_cast<char>(latin[i] - 'a' + 'A'));
        EXPECT_EQ(toCyr(small), winStr(cyrillic[i])) << small;
        EXPECT_EQ(toCyr(capital), winStr(cyrillicCapital[i])) << capital;
        if (latin[i] != 'w') {
            EXPECT_EQ(toCyr(small, {.wAsVe = true}), winStr(cyrillic[i])) << small;
            EXPECT_EQ(toCyr(capital, {.wAsVe = true}), winStr(cyrillicCapital[i])) << capital;
        }
    }
    EXPECT_EQ(toCyr("w", {.wAsVe = true}), winStr("в"));
    EXPECT_EQ(toCyr("W", {.wAsVe = true}), winStr("В"));
}

TEST(LatinToCyrillic, LetterPairsAndTheirCase) {
    struct Pair {
        const char* pair;
        const char* small;
        const char* capital;
    };
    const Pair pairs[] = {
        {"sj", "щ", "Щ"}, {"je", "е", "Е"}, {"ju", "ю", "Ю"}, {"ja", "я", "Я"},
        {"jo", "ё", "Ё"}, {"yu", "ю", "Ю"}, {"ya", "я", "Я"}, {"yo", "ё", "Ё"},
        {"zh", "ж", "Ж"}, {"ch", "ч", "Ч"}, {"sh", "ш", "Ш"},
    };
    for (const Pair& p : pairs) {
        const std::string lower = p.pair;
        std::string upperFirst = lower, upperSecond = lower, upperBoth = lower;
        upperFirst[0] = static_cast<char>(upperFirst[0] - 32);
        upperSecond[1] = static_cast<char>(upperSecond[1] - 32);
        upperBoth[0] = upperFirst[0];
        upperBoth[1] = upperSecond[1];
        EXPECT_EQ(toCyr(lower), winStr(p.small)) << lower;
        EXPECT_EQ(toCyr(upperFirst), winStr(p.capital)) << upperFirst;
        EXPECT_EQ(toCyr(upperSecond), winStr(p.capital)) << upperSecond;
        EXPECT_EQ(toCyr(upperBoth), winStr(p.capital)) << upperBoth;
    }
    // Pairs that end in an apostrophe or backquote: the case follows the first letter.
    EXPECT_EQ(toCyr("j'"), winStr("й"));
    EXPECT_EQ(toCyr("J'"), winStr("Й"));
    EXPECT_EQ(toCyr("j`"), winStr("й"));
    EXPECT_EQ(toCyr("J`"), winStr("Й"));
    EXPECT_EQ(toCyr("e'"), winStr("э"));
    EXPECT_EQ(toCyr("E'"), winStr("Э"));
    EXPECT_EQ(toCyr("Sh Sh SH sH"), winStr("Ш Ш Ш Ш"));
}

TEST(LatinToCyrillic, ApostrophePairsCompareTheSignExactly) {
    // Case folding would make 0x07 an apostrophe and @ a backquote; they must not pair.
    EXPECT_EQ(toCyr("e\x07"), winStr("е") + "\x07");
    EXPECT_EQ(toCyr("j\x07"), winStr("й") + "\x07");
    EXPECT_EQ(toCyr("j@"), winStr("йэ"));
    EXPECT_EQ(toCyr("e@"), winStr("еэ"));
}

TEST(LatinToCyrillic, NoSjSwitch) {
    EXPECT_EQ(toCyr("sj"), winStr("щ"));
    EXPECT_EQ(toCyr("sj", {.noSj = true}), winStr("сй"));
    EXPECT_EQ(toCyr("Sjuzhet"), winStr("Щужет"));
    EXPECT_EQ(toCyr("Sjuzhet", {.noSj = true}), winStr("Сюжет"));
    // Only sj is affected.
    EXPECT_EQ(toCyr("shchuka", {.noSj = true}), winStr("шчука"));
}

TEST(LatinToCyrillic, WorkedExamples) {
    EXPECT_EQ(toCyr("Wi da kasha"), winStr("Щи да каша"));
    EXPECT_EQ(toCyr("Wi da kasha", {.wAsVe = true}), winStr("Ви да каша"));
    EXPECT_EQ(toCyr("shchuka"), winStr("шчука"));
    EXPECT_EQ(toCyr("E'to"), winStr("Это"));
    EXPECT_EQ(toCyr("yozh"), winStr("ёж"));
    EXPECT_EQ(toCyr("Yolka"), winStr("Ёлка"));
    EXPECT_EQ(toCyr("J'ogurt"), winStr("Йогурт"));
    EXPECT_EQ(toCyr("s\\h"), winStr("сх"));
    EXPECT_EQ(toCyr("a\\\\b"), winStr("а") + "\\" + winStr("б"));
    EXPECT_EQ(toCyr("^~"), winStr("Ъ"));
    EXPECT_EQ(toCyr("_@"), winStr("э"));
    EXPECT_EQ(toCyr("x^2"), winStr("х") + "^2");
    EXPECT_EQ(toCyr("~'"), winStr("Ъ") + "'");
    EXPECT_EQ(toCyr("SX"), winStr("СХ"));
    EXPECT_EQ(toCyr("Privet \\ John! \\ mir"), winStr("Привет John! мир"));
}

TEST(LatinToCyrillic, SignCharacters) {
    EXPECT_EQ(toCyr("den'"), winStr("день"));
    EXPECT_EQ(toCyr("den`"), winStr("день"));
    EXPECT_EQ(toCyr("DEN'"), winStr("ДЕНЬ"));
    EXPECT_EQ(toCyr("s~el"), winStr("съел"));
    EXPECT_EQ(toCyr("S~EL"), winStr("СЪЕЛ"));
    // After a capital, the next character decides.
    EXPECT_EQ(toCyr("S~el"), winStr("Съел"));
    EXPECT_EQ(toCyr("D'yak"), winStr("Дьяк"));
    EXPECT_EQ(toCyr("a@"), winStr("аэ"));
    EXPECT_EQ(toCyr("A@"), winStr("АЭ"));
    EXPECT_EQ(toCyr("A@b"), winStr("Аэб"));
    // At the start: no previous unit, so the next character decides.
    EXPECT_EQ(toCyr("@"), winStr("Э"));
    EXPECT_EQ(toCyr("@to"), winStr("это"));
    EXPECT_EQ(toCyr("@TO"), winStr("ЭТО"));
    EXPECT_EQ(toCyr("~"), winStr("Ъ"));
    // The previous unit is the sign itself, which is not a small letter.
    EXPECT_EQ(toCyr("a~~"), winStr("аъЪ"));
    // After a pair, the pair's first character counts.
    EXPECT_EQ(toCyr("sh'"), winStr("шь"));
    EXPECT_EQ(toCyr("Sh'"), winStr("ШЬ"));
    EXPECT_EQ(toCyr("e''"), winStr("эь"));
}

TEST(LatinToCyrillic, ApostropheAsQuotationMark) {
    EXPECT_EQ(toCyr("'"), "'");
    EXPECT_EQ(toCyr("`"), "`");
    EXPECT_EQ(toCyr("'a"), "'" + winStr("а"));
    EXPECT_EQ(toCyr("a 'b"), winStr("а ") + "'" + winStr("б"));
    EXPECT_EQ(toCyr("1'"), "1'");
    // A closing quotation mark right after a word is read as the soft sign.
    EXPECT_EQ(toCyr("'dom'"), "'" + winStr("домь"));
    // Letter-like means 0x40..0x7A: @ and [ count, { does not.
    EXPECT_EQ(toCyr("[`"), "[" + winStr("Ь"));
    EXPECT_EQ(toCyr("@'"), winStr("ЭЬ"));
    EXPECT_EQ(toCyr("{'"), "{'");
}

TEST(LatinToCyrillic, CaretAndUnderscore) {
    EXPECT_EQ(toCyr("^@"), winStr("Э"));
    EXPECT_EQ(toCyr("_@"), winStr("э"));
    EXPECT_EQ(toCyr("^'"), winStr("Ь"));
    EXPECT_EQ(toCyr("_'"), winStr("ь"));
    EXPECT_EQ(toCyr("^`"), winStr("Ь"));
    EXPECT_EQ(toCyr("_`"), winStr("ь"));
    EXPECT_EQ(toCyr("^~"), winStr("Ъ"));
    EXPECT_EQ(toCyr("_~"), winStr("ъ"));
    // Followed by anything else: itself, and the next character is a unit of its own.
    EXPECT_EQ(toCyr("^a"), "^" + winStr("а"));
    EXPECT_EQ(toCyr("_sh"), "_" + winStr("ш"));
    EXPECT_EQ(toCyr("^ "), "^ ");
    EXPECT_EQ(toCyr("^^~"), "^" + winStr("Ъ"));
    // As the last character: nothing.
    EXPECT_EQ(toCyr("a^"), winStr("а"));
    EXPECT_EQ(toCyr("a_"), winStr("а"));
    EXPECT_EQ(toCyr("^"), "");
}

TEST(LatinToCyrillic, BackslashWhileTransliterating) {
    EXPECT_EQ(toCyr("\\ abc"), "abc");
    EXPECT_EQ(toCyr("\\\\"), "\\");
    EXPECT_EQ(toCyr("\\@"), "@");
    EXPECT_EQ(toCyr("\\'"), "'");
    EXPECT_EQ(toCyr("\\`"), "`");
    EXPECT_EQ(toCyr("\\~"), "~");
    // A letter after a backslash takes its single-letter form; no pair across it.
    EXPECT_EQ(toCyr("\\sh"), winStr("сх"));
    EXPECT_EQ(toCyr("\\S"), winStr("С"));
    EXPECT_EQ(toCyr("\\q"), winStr("щ"));
    EXPECT_EQ(toCyr("\\Q"), winStr("Щ"));
    EXPECT_EQ(toCyr("\\w"), winStr("щ"));
    EXPECT_EQ(toCyr("\\W"), winStr("Щ"));
    EXPECT_EQ(toCyr("\\w", {.wAsVe = true}), winStr("в"));
    EXPECT_EQ(toCyr("\\W", {.wAsVe = true}), winStr("В"));
    EXPECT_EQ(toCyr("\\y"), winStr("ы"));
    // Anything else after a backslash is produced as it is.
    EXPECT_EQ(toCyr("\\1"), "1");
    EXPECT_EQ(toCyr("\\^"), "^");
    EXPECT_EQ(toCyr("\\_"), "_");
    const std::string cyrillicA = winStr("а");
    EXPECT_EQ(toCyr("\\" + cyrillicA), cyrillicA);
    // As the last character: nothing.
    EXPECT_EQ(toCyr("a\\"), winStr("а"));
    EXPECT_EQ(toCyr("\\"), "");
    // The unit after "\x" begins with the backslash, a letter-like character but not a small
    // letter, so a following sign is a capital unless a small letter comes next.
    EXPECT_EQ(toCyr("\\e'"), winStr("еЬ"));
    EXPECT_EQ(toCyr("\\e'a"), winStr("еьа"));
}

TEST(LatinToCyrillic, TransliterationOff) {
    EXPECT_EQ(toCyr("\\ John\\ mir"), "John" + winStr("мир"));
    EXPECT_EQ(toCyr("\\ x^'@~_`sh"), "x^'@~_`sh");
    // A trailing backslash is copied while transliteration is off.
    EXPECT_EQ(toCyr("\\ a\\"), "a\\");
    EXPECT_EQ(toCyr("\\ ^"), "^");
    // A backslash not followed by a space is copied; the marker after it switches back on.
    EXPECT_EQ(toCyr("\\ a\\\\ b"), "a\\" + winStr("б"));
    EXPECT_EQ(toCyr("\\ \\ \\ \\ a"), winStr("а"));
    // Each call starts with transliteration on.
    EXPECT_EQ(toCyr("\\ a"), "a");
    EXPECT_EQ(toCyr("a"), winStr("а"));
}

TEST(LatinToCyrillic, OtherCharactersAreCopied) {
    const std::string already = winStr("при«—»№");
    EXPECT_EQ(toCyr(already), already);
    EXPECT_EQ(toCyr("1, 2; 3!?-+=()\"{}|"), "1, 2; 3!?-+=()\"{}|");
    EXPECT_EQ(toCyr("a\tb\r\n"), winStr("а") + "\t" + winStr("б") + "\r\n");
}

TEST(LatinToCyrillic, ControlSwitch) {
    EXPECT_EQ(toCyr("a\tb", {.control = true}), winStr("а б"));
    EXPECT_EQ(toCyr("a\tb", {.control = false}), winStr("а") + "\t" + winStr("б"));
    // A control byte after a backslash counts as a space: it is the marker.
    EXPECT_EQ(toCyr("\\\tab", {.control = true}), "ab");
    EXPECT_EQ(toCyr("\\\tab", {.control = false}), "\t" + winStr("аб"));
    EXPECT_EQ(toCyr("\\ a\\\x0E"
                    "b",
                    {.control = true}),
              "a" + winStr("б"));
    EXPECT_EQ(toCyr("\\ a\tb", {.control = true}), "a b");
    EXPECT_EQ(toCyr("j\x07", {.control = true}), winStr("й "));
}

TEST(LatinToCyrillic, ZeroByteEndsTheSource) {
    const std::string text("ab\0cd", 5);
    EXPECT_EQ(toCyr(text), winStr("аб"));
    EXPECT_EQ(toCyr(text, {.control = true}), winStr("аб"));
    EXPECT_EQ(toCyr(std::string("\0ab", 3)), "");
    EXPECT_EQ(toCyr(""), "");
    // A pair's second character cannot be the terminator.
    EXPECT_EQ(toCyr(std::string("s\0h", 3)), winStr("с"));
}

TEST(LatinToCyrillic, LimitAndLookAhead) {
    // A unit that begins at limit - 1 takes its second character from position limit.
    EXPECT_EQ(toCyr("sh", {.limit = 1}), winStr("ш"));
    EXPECT_EQ(toCyr("shx", {.limit = 1}), winStr("ш"));
    EXPECT_EQ(toCyr("ash", {.limit = 2}), winStr("аш"));
    EXPECT_EQ(toCyr("e'x", {.limit = 1}), winStr("э"));
    EXPECT_EQ(toCyr("\\ ab", {.limit = 1}), "");
    EXPECT_EQ(toCyr("\\hx", {.limit = 1}), winStr("х"));
    // Units at the limit or beyond are not converted.
    EXPECT_EQ(toCyr("abc", {.limit = 2}), winStr("аб"));
    EXPECT_EQ(toCyr("abc", {.limit = 0}), "");
    // Past the end of the source reads as 0.
    EXPECT_EQ(toCyr("s", {.limit = 1}), winStr("с"));
    EXPECT_EQ(toCyr("ab", {.limit = 10}), winStr("аб"));
    EXPECT_EQ(toCyr("a\\", {.limit = 2}), winStr("а"));
}

TEST(LatinToCyrillic, OutputIsCutAtTheBufferSize) {
    EXPECT_EQ(toCyr("abdefg", {.outSize = 3}), winStr("абд"));
    EXPECT_EQ(toCyr("abcdef", {.outSize = 0}), "");
}

TEST(LatinToCyrillic, ResultIsNeverLongerThanTheSource) {
    std::mt19937 rng(20240611u);
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzSJEYZCH'`~@^_\\ \t1";
    for (int i = 0; i < 500; ++i) {
        std::string text;
        const int len = static_cast<int>(rng() % 40);
        for (int j = 0; j < len; ++j)
            text += alphabet[rng() % alphabet.size()];
        // Exactly as many output bytes as source bytes: a longer result would show as a cut
        // or as a write past the buffer.
        const std::string out = toCyr(text, {.outSize = text.size()});
        const std::string unlimited = toCyr(text, {.outSize = text.size() + 16});
        EXPECT_EQ(out, unlimited) << text;
    }
}

// ---- Per-call state ----

TEST(LatinState, EachCallStartsAfresh) {
    // Transliteration switched off, a previous unit and English mode do not carry over.
    EXPECT_EQ(toCyr("\\ a"), "a");
    EXPECT_EQ(toCyr("a"), winStr("а"));
    EXPECT_EQ(toCyr("a"), winStr("а"));
    EXPECT_EQ(toCyr("'"), "'");
    EXPECT_EQ(toLatin("a", {.separateEnglish = true}), "\\ a");
    EXPECT_EQ(toLatin(winStr("б"), {.separateEnglish = true}), "b");
}

TEST(LatinState, ConcurrentCallsDoNotInterfere) {
    // Different texts on each thread: shared state between calls would mix them up.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\\ John\\ mir den'", "John" + winStr("мир день")},
        {"Sjuzhet ^~ x^2", winStr("Щужет Ъ х") + "^2"},
        {"'dom' shchuka", "'" + winStr("домь шчука")},
        {"E'to yozh \\sh", winStr("Это ёж сх")},
    };
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (const auto& [latin, expected] : cases) {
        threads.emplace_back([&mismatches, latin = latin, expected = expected] {
            const Bytes source = toBytes(latin);
            for (int i = 0; i < 2000; ++i) {
                Bytes out(source.size() + 1, 0);
                const std::size_t n =
                    latinToCyrillic(out, source, source.size(), false, false, false);
                if (std::string(out.begin(), out.begin() + static_cast<long>(n)) != expected)
                    ++mismatches;
                Bytes latinOut(expected.size() * kMaxLatinBytesPerChar, 0);
                cyrillicToLatin(latinOut, toBytes(expected), expected.size(), false, true);
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
}

// ---- Both directions ----

TEST(LatinRoundTrip, WorkedExamples) {
    const std::string text = winStr("Привет John! мир");
    const std::string latin = toLatin(text, {.separateEnglish = true});
    EXPECT_EQ(latin, "Privet \\ John! \\ mir");
    EXPECT_EQ(toCyr(latin), text);
    EXPECT_EQ(toCyr(toLatin(winStr("СХ"))), winStr("СХ"));
    EXPECT_EQ(toCyr(toLatin(winStr("Э"))), winStr("Э"));
    const std::string pangram =
        winStr("Съешь же ещё этих мягких французских булок, да выпей чаю. ЁЛКА «Ёжик» — 1999!");
    EXPECT_EQ(toCyr(toLatin(pangram)), pangram);
}

TEST(LatinRoundTrip, AmbiguousSpellingsReadAsPairs) {
    // These letter sequences are written as spellings that read back as a pair.
    EXPECT_EQ(toLatin(winStr("сй")), "sj");
    EXPECT_EQ(toCyr("sj"), winStr("щ"));
    EXPECT_EQ(toLatin(winStr("йа")), "ja");
    EXPECT_EQ(toCyr("ja"), winStr("я"));
    EXPECT_EQ(toLatin(winStr("ыу")), "yu");
    EXPECT_EQ(toCyr("yu"), winStr("ю"));
    EXPECT_EQ(toLatin(winStr("еь")), "e'");
    EXPECT_EQ(toCyr("e'"), winStr("э"));
    EXPECT_EQ(toLatin(winStr("йэ")), "je'");
    EXPECT_EQ(toCyr("je'"), winStr("еь"));
    // Signs take their case from the context, not from the original.
    EXPECT_EQ(toCyr(toLatin(winStr("дЬ"))), winStr("дь"));
    // A soft sign after a space is read as a quotation mark.
    EXPECT_EQ(toCyr(toLatin(winStr(" ь"))), " '");
}

// Letters whose spellings read back unchanged in any neighbourhood, given the bigram rule below.
std::vector<std::string> roundTripLetters() {
    std::vector<std::string> letters;
    for (const Spelling& s : spellings()) {
        const std::string capital = s.capital;
        // Hard and soft signs take their case from context, and a soft sign after a non-letter
        // is a quotation mark.
        if (capital == "Ъ" || capital == "Ь")
            continue;
        letters.push_back(winStr(s.capital));
        letters.push_back(winStr(s.small));
    }
    return letters;
}

// Neighbours whose spellings join into a pair: й + е/у/а/о/э (je, ju, ja, jo, je'),
// ы + у/а/о (yu, ya, yo) and с + й (sj).
bool joinsIntoPair(const std::string& first, const std::string& second) {
    auto is = [](const std::string& letter, std::initializer_list<const char*> set) {
        for (const char* s : set)
            if (letter == winStr(s))
                return true;
        return false;
    };
    if (is(first, {"й", "Й"}))
        return is(second, {"е", "Е", "у", "У", "а", "А", "о", "О", "э", "Э"});
    if (is(first, {"ы", "Ы"}))
        return is(second, {"у", "У", "а", "А", "о", "О"});
    if (is(first, {"с", "С"}))
        return is(second, {"й", "Й"});
    return false;
}

// `previous` is the letter before the text, if any; it is updated to the text's last one.
std::string randomCyrillicText(std::mt19937& rng, int length, std::string& previous) {
    static const std::vector<std::string> letters = roundTripLetters();
    static const std::vector<std::string> others = {
        " ", " ", " ", ",",  ".", "!",         "?",         "-",
        "1", "(", ")", "\"", ":", winStr("«"), winStr("—"), winStr("№")};
    std::string text;
    for (int i = 0; i < length; ++i) {
        std::string next;
        if (rng() % 4 == 0) {
            next = others[rng() % others.size()];
        } else {
            do
                next = letters[rng() % letters.size()];
            while (!previous.empty() && joinsIntoPair(previous, next));
        }
        text += next;
        previous = next;
    }
    return text;
}

TEST(LatinRoundTrip, CyrillicTextComesBack) {
    const unsigned seed = 1234567u;
    std::cout << "[ seed     ] " << seed << '\n';
    std::mt19937 rng(seed);
    for (int i = 0; i < 2000; ++i) {
        std::string previous;
        const std::string text = randomCyrillicText(rng, static_cast<int>(rng() % 60), previous);
        const std::string latin = toLatin(text);
        ASSERT_EQ(toCyr(latin), text) << "latin: " << latin;
        ASSERT_EQ(toCyr(toLatin(text, {.separateEnglish = true})), text);
    }
}

TEST(LatinRoundTrip, MixedTextComesBackWithSeparateEnglish) {
    const unsigned seed = 7654321u;
    std::cout << "[ seed     ] " << seed << '\n';
    std::mt19937 rng(seed);
    const std::string english = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::vector<std::string> separators = {" ", ", ", ". ", "", "-", " 42 "};
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        std::string previous;
        const int words = static_cast<int>(rng() % 8);
        for (int w = 0; w < words; ++w) {
            if (rng() % 2 == 0) {
                const int len = 1 + static_cast<int>(rng() % 8);
                for (int c = 0; c < len; ++c)
                    text += english[rng() % english.size()];
                previous.clear();
            } else {
                text += randomCyrillicText(rng, 1 + static_cast<int>(rng() % 8), previous);
            }
            const std::string& separator = separators[rng() % separators.size()];
            if (!separator.empty())
                previous.clear();
            text += separator;
        }
        const std::string latin = toLatin(text, {.separateEnglish = true});
        ASSERT_EQ(toCyr(latin), text) << "latin: " << latin;
    }
}

} // namespace
} // namespace vorlex::engine
