#include "engine/code_tables.h"
#include "tests/engine/test_support.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vorlex::engine {
namespace {

using test::byteOf;
using test::russianLetters;

struct Page {
    CodePage page;
    char letter;
    const char* iconvName;
};

constexpr std::array<Page, 4> kClosedPages = {{
    {CodePage::win, 'w', "CP1251"},
    {CodePage::koi, 'k', "KOI8-R"},
    {CodePage::iso, 'i', "ISO-8859-5"},
    {CodePage::alt, 'a', "CP866"},
}};
constexpr Page kMacPage = {CodePage::mac, 'm', "MAC-CYRILLIC"};

// Table numbers by code, as the program's filter codes name them.
const std::map<std::string, int>& tableNumbers() {
    static const std::map<std::string, int> numbers = {
        {"ai", 0}, {"ak", 1}, {"aw", 2}, {"ia", 3},  {"ik", 4},  {"iw", 5},  {"ka", 6},
        {"ki", 7}, {"kw", 8}, {"wa", 9}, {"wi", 10}, {"wk", 11}, {"mw", 12}, {"wm", 13},
    };
    return numbers;
}

const CodeTable& tableFor(char from, char to) {
    return kCodeTables[static_cast<std::size_t>(tableNumbers().at(std::string{from, to}))];
}

const char* iconvNameOf(char letter) {
    for (const Page& p : kClosedPages)
        if (p.letter == letter)
            return p.iconvName;
    return kMacPage.iconvName;
}

// The 64 letter bytes of a page, straight from iconv.
std::vector<std::uint8_t> iconvLetterBytes(const char* iconvName) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& letter : russianLetters())
        bytes.push_back(byteOf(iconvName, letter));
    return bytes;
}

// The Win -> Alt bytes of the Win non-letter positions 0x80..0xBF.
constexpr std::array<std::uint8_t, 64> kWinToAltBase = {
    0xF4, 0xC3, 0xF0, 0xF6, 0xF1, 0xF5, 0xF3, 0xF2, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xF7, 0xC4, 0xC5, 0xC6, 0xC7,
    0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7,
    0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

// Full 256-entry map Win -> page, built from iconv letters and the non-letter base rules.
std::array<std::uint8_t, 256> referenceFromWin(char page) {
    std::array<std::uint8_t, 256> map{};
    for (int b = 0; b < 256; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    if (page == 'w')
        return map;
    for (int b = 0x80; b < 0xC0; ++b) {
        std::uint8_t out = static_cast<std::uint8_t>(b);
        if (page == 'i' && b >= 0xB0)
            out = static_cast<std::uint8_t>(0xF0 + (b - 0xB0));
        if (page == 'a')
            out = kWinToAltBase[static_cast<std::size_t>(b - 0x80)];
        map[static_cast<std::size_t>(b)] = out;
    }
    const auto winLetters = iconvLetterBytes("CP1251");
    const auto pageLetters = iconvLetterBytes(iconvNameOf(page));
    for (std::size_t l = 0; l < 64; ++l)
        map[winLetters[l]] = pageLetters[l];
    // Ё and ё go to the page's own Ё and ё; the Win byte the rule above sent there gets the
    // byte Ё or ё would have had.
    for (const char* yo : {"Ё", "ё"}) {
        const std::uint8_t winYo = byteOf("CP1251", yo);
        const std::uint8_t pageYo = byteOf(iconvNameOf(page), yo);
        for (int b = 0x80; b < 0x100; ++b)
            if (map[static_cast<std::size_t>(b)] == pageYo) {
                map[static_cast<std::size_t>(b)] = map[winYo];
                break;
            }
        map[winYo] = pageYo;
    }
    return map;
}

std::array<std::uint8_t, 256> inverseMap(const std::array<std::uint8_t, 256>& map) {
    std::array<std::uint8_t, 256> inv{};
    for (int b = 0; b < 256; ++b)
        inv[map[static_cast<std::size_t>(b)]] = static_cast<std::uint8_t>(b);
    return inv;
}

bool isPermutation(const CodeTable& table) {
    std::set<int> seen(table.begin(), table.end());
    return seen.size() == 128 && *seen.begin() == 0x80 && *seen.rbegin() == 0xFF;
}

TEST(CodeTables, NumbersFollowTheFilterCodes) {
    EXPECT_EQ(kCodeTableCount, 14);
    EXPECT_EQ(kAltToIso, 0);
    EXPECT_EQ(kAltToKoi, 1);
    EXPECT_EQ(kAltToWin, 2);
    EXPECT_EQ(kIsoToAlt, 3);
    EXPECT_EQ(kIsoToKoi, 4);
    EXPECT_EQ(kIsoToWin, 5);
    EXPECT_EQ(kKoiToAlt, 6);
    EXPECT_EQ(kKoiToIso, 7);
    EXPECT_EQ(kKoiToWin, 8);
    EXPECT_EQ(kWinToAlt, 9);
    EXPECT_EQ(kWinToIso, 10);
    EXPECT_EQ(kWinToKoi, 11);
    EXPECT_EQ(kMacToWin, 12);
    EXPECT_EQ(kWinToMac, 13);
}

TEST(CodeTables, BytesBelow0x80PassEveryTableUnchanged) {
    for (int t = 0; t < kCodeTableCount; ++t) {
        const CodeTable& table = kCodeTables[static_cast<std::size_t>(t)];
        for (int b = 0; b < 0x80; ++b)
            ASSERT_EQ(applyTable(table, static_cast<std::uint8_t>(b)), b) << "table " << t;
        for (int b = 0x80; b < 0x100; ++b)
            ASSERT_EQ(applyTable(table, static_cast<std::uint8_t>(b)),
                      table[static_cast<std::size_t>(b - 0x80)])
                << "table " << t;
    }
}

TEST(CodeTables, TwelveClosedTablesArePermutationsAndWmToo) {
    for (int t = 0; t < 12; ++t)
        EXPECT_TRUE(isPermutation(kCodeTables[static_cast<std::size_t>(t)])) << "table " << t;
    EXPECT_TRUE(isPermutation(kCodeTables[kWinToMac]));
    EXPECT_FALSE(isPermutation(kCodeTables[kMacToWin]));
}

TEST(CodeTables, EachTableAndItsReverseAreInverse) {
    for (const Page& x : kClosedPages) {
        for (const Page& y : kClosedPages) {
            if (x.letter == y.letter)
                continue;
            const CodeTable& there = tableFor(x.letter, y.letter);
            const CodeTable& back = tableFor(y.letter, x.letter);
            for (int b = 0x80; b < 0x100; ++b) {
                const auto byte = static_cast<std::uint8_t>(b);
                ASSERT_EQ(applyTable(back, applyTable(there, byte)), b)
                    << x.letter << y.letter << " then " << y.letter << x.letter;
            }
        }
    }
}

TEST(CodeTables, CompositionGivesTheDirectTableForEveryTriple) {
    int triples = 0;
    for (const Page& x : kClosedPages)
        for (const Page& y : kClosedPages)
            for (const Page& z : kClosedPages) {
                if (x.letter == y.letter || y.letter == z.letter || x.letter == z.letter)
                    continue;
                ++triples;
                const CodeTable& xy = tableFor(x.letter, y.letter);
                const CodeTable& yz = tableFor(y.letter, z.letter);
                const CodeTable& xz = tableFor(x.letter, z.letter);
                for (int b = 0x80; b < 0x100; ++b) {
                    const auto byte = static_cast<std::uint8_t>(b);
                    ASSERT_EQ(applyTable(yz, applyTable(xy, byte)), applyTable(xz, byte))
                        << x.letter << y.letter << " " << y.letter << z.letter << " byte " << b;
                }
            }
    EXPECT_EQ(triples, 24);
}

TEST(CodeTables, LetterBytesMatchIconvForAllFivePages) {
    std::vector<Page> pages(kClosedPages.begin(), kClosedPages.end());
    pages.push_back(kMacPage);
    const auto letters = russianLetters();
    for (const Page& p : pages)
        for (int l = 0; l < 64; ++l)
            EXPECT_EQ(letterByte(p.page, l), byteOf(p.iconvName, letters[static_cast<size_t>(l)]))
                << p.iconvName << " letter " << letters[static_cast<size_t>(l)];
}

TEST(CodeTables, EveryTableMapsTheLettersAsThePublishedPages) {
    const auto letters = russianLetters();
    for (const auto& [code, number] : tableNumbers()) {
        const char* from = iconvNameOf(code[0]);
        const char* to = iconvNameOf(code[1]);
        const CodeTable& table = kCodeTables[static_cast<std::size_t>(number)];
        for (const std::string& letter : letters)
            EXPECT_EQ(applyTable(table, byteOf(from, letter)), byteOf(to, letter))
                << code << " letter " << letter;
    }
}

TEST(CodeTables, MacTablesMapYoLikeThePublishedPages) {
    for (const char* yo : {"Ё", "ё"}) {
        EXPECT_EQ(applyTable(kCodeTables[kMacToWin], byteOf("MAC-CYRILLIC", yo)),
                  byteOf("CP1251", yo));
        EXPECT_EQ(applyTable(kCodeTables[kWinToMac], byteOf("CP1251", yo)),
                  byteOf("MAC-CYRILLIC", yo));
    }
    EXPECT_EQ(applyTable(kCodeTables[kMacToWin], 0xDD), 0xA8);
    EXPECT_EQ(applyTable(kCodeTables[kWinToMac], 0xA8), 0xDD);
    EXPECT_EQ(applyTable(kCodeTables[kMacToWin], 0xDE), 0xB8);
    EXPECT_EQ(applyTable(kCodeTables[kWinToMac], 0xB8), 0xDE);
}

TEST(CodeTables, ClosedTablesEqualTheBaseRulesComposedThroughWin) {
    for (const Page& x : kClosedPages)
        for (const Page& y : kClosedPages) {
            if (x.letter == y.letter)
                continue;
            const auto toWin = inverseMap(referenceFromWin(x.letter));
            const auto fromWin = referenceFromWin(y.letter);
            const CodeTable& table = tableFor(x.letter, y.letter);
            for (int b = 0x80; b < 0x100; ++b)
                ASSERT_EQ(table[static_cast<std::size_t>(b - 0x80)],
                          fromWin[toWin[static_cast<std::size_t>(b)]])
                    << x.letter << y.letter << " byte " << std::hex << b;
        }
}

TEST(CodeTables, BaseRulesForWinNonLetterPositions) {
    const CodeTable& wk = kCodeTables[kWinToKoi];
    const CodeTable& wi = kCodeTables[kWinToIso];
    const CodeTable& wa = kCodeTables[kWinToAlt];
    // The positions that trade places with Ё and ё.
    const std::map<std::uint8_t, std::uint8_t> wkYo = {
        {0xA8, 0xB3}, {0xB8, 0xA3}, {0xB3, 0xA8}, {0xA3, 0xB8}};
    const std::map<std::uint8_t, std::uint8_t> wiYo = {
        {0xA8, 0xA1}, {0xB8, 0xF1}, {0xA1, 0xA8}, {0xB1, 0xF8}};
    const std::map<std::uint8_t, std::uint8_t> waYo = {
        {0xA8, 0xF0}, {0xB8, 0xF1}, {0x82, 0xD0}, {0x84, 0xF8}};
    const auto expected = [](const std::map<std::uint8_t, std::uint8_t>& yo, std::uint8_t byte,
                             int rule) { return yo.count(byte) ? yo.at(byte) : rule; };
    for (int b = 0x80; b < 0xC0; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(applyTable(wk, byte), expected(wkYo, byte, b)) << std::hex << b;
        EXPECT_EQ(applyTable(wi, byte), expected(wiYo, byte, b < 0xB0 ? b : 0xF0 + (b - 0xB0)))
            << std::hex << b;
        EXPECT_EQ(applyTable(wa, byte),
                  expected(waYo, byte, kWinToAltBase[static_cast<std::size_t>(b - 0x80)]))
            << std::hex << b;
    }
    // Win punctuation keeps its byte in Koi and Iso.
    for (std::uint8_t punct : {0xAB, 0x96, 0x97}) {
        EXPECT_EQ(applyTable(wk, punct), punct);
        EXPECT_EQ(applyTable(wi, punct), punct);
    }
}

TEST(CodeTables, YoAndSmallYoGoToThePublishedBytesOfEveryPage) {
    for (const char* yo : {"Ё", "ё"})
        for (const Page& x : kClosedPages)
            for (const Page& y : kClosedPages) {
                if (x.letter == y.letter)
                    continue;
                EXPECT_EQ(applyTable(tableFor(x.letter, y.letter), byteOf(x.iconvName, yo)),
                          byteOf(y.iconvName, yo))
                    << x.letter << y.letter << " " << yo;
            }
}

// Regression: Ё/ё used to travel with the non-letter positions, so "ещё" repaired with Koi->Win
// came out as "ещЈ". Whole texts now recode exactly as iconv converts them.
TEST(CodeTables, TextsWithYoRecodeAsIconvConvertsThem) {
    const std::string text = "Ёж и ёлка, чёрт, ещё всё ЁЛКИ";
    for (const Page& x : kClosedPages)
        for (const Page& y : kClosedPages) {
            if (x.letter == y.letter)
                continue;
            const test::Bytes source = test::encode(x.iconvName, text);
            test::Bytes recoded;
            for (std::uint8_t byte : source)
                recoded.push_back(applyTable(tableFor(x.letter, y.letter), byte));
            EXPECT_EQ(test::hex(recoded), test::hex(test::encode(y.iconvName, text)))
                << x.letter << y.letter;
        }
}

TEST(CodeTables, MacToWinRowsAndWinToMacRows) {
    const CodeTable& mw = kCodeTables[kMacToWin];
    const CodeTable& wm = kCodeTables[kWinToMac];
    const std::array<std::uint8_t, 16> mwRowA = {0x86, 0xB0, 0x96, 0x87, 0xA7, 0x95, 0xB6, 0xB2,
                                                 0xAE, 0xA9, 0x99, 0x80, 0x90, 0x88, 0x81, 0x83};
    const std::array<std::uint8_t, 16> mwRowD = {0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xBE, 0x84,
                                                 0xA1, 0xA2, 0x8F, 0x9F, 0xB9, 0xA8, 0xB8, 0xFF};
    const std::array<std::uint8_t, 16> mwRowF = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7,
                                                 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xA4};
    const std::array<std::uint8_t, 16> wmRow8 = {0xAB, 0xAE, 0xA2, 0xAF, 0xD7, 0xC9, 0xA0, 0xA3,
                                                 0xAD, 0xB0, 0xBC, 0xB2, 0xBE, 0xCD, 0xCB, 0xDA};
    const std::array<std::uint8_t, 16> wmRowB = {0xA1, 0xB1, 0xA7, 0xB6, 0xC6, 0xB5, 0xA6, 0xCF,
                                                 0xDE, 0xDC, 0xB9, 0xC8, 0xC0, 0xC1, 0xD6, 0xBB};
    const std::array<std::uint8_t, 16> wmRowF = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7,
                                                 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xDF};
    for (int c = 0; c < 16; ++c) {
        const auto col = static_cast<std::size_t>(c);
        EXPECT_EQ(applyTable(mw, static_cast<std::uint8_t>(0xA0 + c)), mwRowA[col]) << c;
        EXPECT_EQ(applyTable(mw, static_cast<std::uint8_t>(0xD0 + c)), mwRowD[col]) << c;
        EXPECT_EQ(applyTable(mw, static_cast<std::uint8_t>(0xF0 + c)), mwRowF[col]) << c;
        EXPECT_EQ(applyTable(wm, static_cast<std::uint8_t>(0x80 + c)), wmRow8[col]) << c;
        EXPECT_EQ(applyTable(wm, static_cast<std::uint8_t>(0xB0 + c)), wmRowB[col]) << c;
        EXPECT_EQ(applyTable(wm, static_cast<std::uint8_t>(0xF0 + c)), wmRowF[col]) << c;
    }
}

TEST(CodeTables, MacToWinIsTheInverseOfWinToMacExceptOnePosition) {
    const CodeTable& mw = kCodeTables[kMacToWin];
    const CodeTable& wm = kCodeTables[kWinToMac];
    EXPECT_EQ(applyTable(mw, 0xA2), 0x96);
    EXPECT_EQ(applyTable(mw, 0xD0), 0x96);
    for (int m = 0x80; m < 0x100; ++m)
        EXPECT_NE(applyTable(mw, static_cast<std::uint8_t>(m)), 0x82) << std::hex << m;
    for (int w = 0x80; w < 0x100; ++w) {
        const auto byte = static_cast<std::uint8_t>(w);
        const std::uint8_t back = applyTable(mw, applyTable(wm, byte));
        EXPECT_EQ(back, w == 0x82 ? 0x96 : w) << std::hex << w;
    }
    for (int m = 0x80; m < 0x100; ++m) {
        if (m == 0xA2)
            continue;
        const auto byte = static_cast<std::uint8_t>(m);
        EXPECT_EQ(applyTable(wm, applyTable(mw, byte)), m) << std::hex << m;
    }
}

TEST(CodeTables, WorkedExamples) {
    const std::uint8_t abv[] = {0xC0, 0xC1, 0xC2};
    const std::uint8_t viaWk[] = {0xE1, 0xE2, 0xF7};
    const std::uint8_t viaWa[] = {0x80, 0x81, 0x82};
    const std::uint8_t viaWi[] = {0xB0, 0xB1, 0xB2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(applyTable(kCodeTables[kWinToKoi], abv[i]), viaWk[i]);
        EXPECT_EQ(applyTable(kCodeTables[kWinToAlt], abv[i]), viaWa[i]);
        EXPECT_EQ(applyTable(kCodeTables[kWinToIso], abv[i]), viaWi[i]);
    }
    for (int b = 0x80; b < 0x100; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(applyTable(kCodeTables[kAltToIso], applyTable(kCodeTables[kKoiToAlt], byte)),
                  applyTable(kCodeTables[kKoiToIso], byte));
    }
    EXPECT_EQ(applyTable(kCodeTables[kWinToKoi], 0xA8), byteOf("KOI8-R", "Ё"));
    EXPECT_EQ(applyTable(kCodeTables[kWinToAlt], 0xB8), byteOf("CP866", "ё"));
}

TEST(CodeTables, LetterByteOfMacYaIsDF) {
    EXPECT_EQ(letterByte(CodePage::mac, 63), 0xDF);
    EXPECT_EQ(letterByte(CodePage::mac, 62), 0xFE);
    EXPECT_EQ(letterByte(CodePage::mac, 0), 0x80);
}

} // namespace
} // namespace vorlex::engine
