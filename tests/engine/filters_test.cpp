#include "engine/filters.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::engine {
namespace {

std::vector<int> indices(const FilterList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.count; ++i)
        out.push_back(list.filters[static_cast<std::size_t>(i)]);
    return out;
}

// The list's count and slots agree: filled slots first, -1 after them.
void expectWellFormed(const FilterList& list) {
    ASSERT_GE(list.count, 0);
    ASSERT_LE(list.count, kMaxFilters);
    for (int i = list.count; i < kMaxFilters; ++i)
        EXPECT_EQ(list.filters[static_cast<std::size_t>(i)], kEndOfFilters) << "slot " << i;
    for (int i = 0; i < list.count; ++i)
        EXPECT_NE(list.filters[static_cast<std::size_t>(i)], kEndOfFilters) << "slot " << i;
}

std::vector<int> parse(std::string_view action) {
    const FilterList list = parseAction(action);
    expectWellFormed(list);
    return indices(list);
}

struct Expected {
    const char* code;
    int index;
    const char* name;
};

constexpr std::array<Expected, 16> kExpected = {{
    {"lw", -3, "Latinica->Win"},
    {"wl", -2, "Win->Latinica"},
    {"ai", 0, "Alt->Iso"},
    {"ak", 1, "Alt->Koi"},
    {"aw", 2, "Alt->Win"},
    {"ia", 3, "Iso->Alt"},
    {"ik", 4, "Iso->Koi"},
    {"iw", 5, "Iso->Win"},
    {"ka", 6, "Koi->Alt"},
    {"ki", 7, "Koi->Iso"},
    {"kw", 8, "Koi->Win"},
    {"wa", 9, "Win->Alt"},
    {"wi", 10, "Win->Iso"},
    {"wk", 11, "Win->Koi"},
    {"mw", 12, "Mac->Win"},
    {"wm", 13, "Win->Mac"},
}};

TEST(FilterCodes, SixteenCodesInSearchOrder) {
    ASSERT_EQ(kFilters.size(), kExpected.size());
    for (std::size_t i = 0; i < kExpected.size(); ++i) {
        EXPECT_EQ(kFilters[i].code, kExpected[i].code) << i;
        EXPECT_EQ(kFilters[i].index, kExpected[i].index) << i;
        EXPECT_EQ(kFilters[i].displayName, kExpected[i].name) << i;
    }
    EXPECT_EQ(kLatinToWinFilter, -3);
    EXPECT_EQ(kWinToLatinFilter, -2);
    EXPECT_EQ(kEndOfFilters, -1);
    EXPECT_EQ(kMaxFilters, 5);
}

TEST(FilterCodes, LookupByCodeIsExactAndCaseSensitive) {
    for (const Expected& e : kExpected) {
        const auto index = filterIndexOfCode(e.code);
        ASSERT_TRUE(index.has_value()) << e.code;
        EXPECT_EQ(*index, e.index) << e.code;
    }
    for (const char* bad : {"", "w", "Wk", "WK", "wK", "wkx", " wk", "wk ", "ww", "lk", "mk"})
        EXPECT_FALSE(filterIndexOfCode(bad).has_value()) << '"' << bad << '"';
}

TEST(FilterCodes, LookupByIndex) {
    for (const Expected& e : kExpected) {
        const FilterInfo* info = filterByIndex(e.index);
        ASSERT_NE(info, nullptr) << e.index;
        EXPECT_EQ(info->code, e.code);
        EXPECT_EQ(info->displayName, e.name);
    }
    for (int bad : {-1, -4, 14, 100, -100})
        EXPECT_EQ(filterByIndex(bad), nullptr) << bad;
}

TEST(FilterCodes, KindOfFilter) {
    for (int i = 0; i < 14; ++i) {
        EXPECT_TRUE(isTableFilter(i));
        EXPECT_FALSE(isLatinFilter(i));
    }
    EXPECT_TRUE(isLatinFilter(-2));
    EXPECT_TRUE(isLatinFilter(-3));
    EXPECT_FALSE(isTableFilter(-1));
    EXPECT_FALSE(isTableFilter(14));
    EXPECT_FALSE(isLatinFilter(-1));
}

TEST(ParseAction, WorkedExamples) {
    EXPECT_EQ(parse("wk wk"), (std::vector<int>{11, 11}));
    EXPECT_EQ(parse("kw wl "), (std::vector<int>{8, -2}));
    // The second token is " k": a space where a code should start stops the list.
    EXPECT_EQ(parse("wk  ki"), (std::vector<int>{11}));
    EXPECT_EQ(parse("Wk"), (std::vector<int>{}));
    // A last token of three letters is cut to two...
    EXPECT_EQ(parse("wkx"), (std::vector<int>{11}));
    EXPECT_EQ(parse("kw wkx"), (std::vector<int>{8, 11}));
    // ...but not when a space follows it: then the whole token must be a code.
    EXPECT_EQ(parse("wkx wk"), (std::vector<int>{}));
    EXPECT_EQ(parse("kw wkx wk"), (std::vector<int>{8}));
}

TEST(ParseAction, EmptyAndUnrecognised) {
    EXPECT_EQ(parse(""), (std::vector<int>{}));
    EXPECT_EQ(parse(" "), (std::vector<int>{}));
    EXPECT_EQ(parse(" wk"), (std::vector<int>{}));
    EXPECT_EQ(parse("w"), (std::vector<int>{}));
    EXPECT_EQ(parse("xx wk"), (std::vector<int>{}));
    // The first unknown token ends the list; later codes are ignored.
    EXPECT_EQ(parse("wk Xx kw"), (std::vector<int>{11}));
    EXPECT_EQ(parse("wk wk "), (std::vector<int>{11, 11}));
    EXPECT_EQ(parse("wk wk   "), (std::vector<int>{11, 11}));
}

TEST(ParseAction, AtMostFiveFilters) {
    EXPECT_EQ(parse("wk kw wi iw wa aw"), (std::vector<int>{11, 8, 10, 5, 9}));
    EXPECT_EQ(parse("wk kw wi iw wa"), (std::vector<int>{11, 8, 10, 5, 9}));
    EXPECT_EQ(parse("wk kw wi iw"), (std::vector<int>{11, 8, 10, 5}));
    EXPECT_EQ(parse("wk kw wi iw "), (std::vector<int>{11, 8, 10, 5}));
    // After four spaces the fifth token is the next two characters, whatever follows.
    EXPECT_EQ(parse("wk kw wi iw wawa"), (std::vector<int>{11, 8, 10, 5, 9}));
    EXPECT_EQ(parse("wk kw wi iw w"), (std::vector<int>{11, 8, 10, 5}));
    EXPECT_EQ(parse("lw wl ai ak aw ia ik"), (std::vector<int>{-3, -2, 0, 1, 2}));
}

TEST(ParseAction, EveryCodeParses) {
    for (const Expected& e : kExpected) {
        EXPECT_EQ(parse(e.code), (std::vector<int>{e.index})) << e.code;
        EXPECT_EQ(parse(std::string(e.code) + " "), (std::vector<int>{e.index})) << e.code;
    }
}

TEST(ParseAction, TokensAsCut) {
    using Tokens = std::array<std::string, kMaxFilters>;
    EXPECT_EQ(parseActionTokens("kw wl ").tokens, (Tokens{"kw", "wl", "", "", ""}));
    EXPECT_EQ(parseActionTokens("wk  ki").tokens, (Tokens{"wk", " k", "", "", ""}));
    EXPECT_EQ(parseActionTokens("wkx").tokens, (Tokens{"wk", "", "", "", ""}));
    EXPECT_EQ(parseActionTokens("wkx wk").tokens, (Tokens{"wkx", "wk", "", "", ""}));
    EXPECT_EQ(parseActionTokens("").tokens, (Tokens{"", "", "", "", ""}));
    EXPECT_EQ(parseActionTokens("w").tokens, (Tokens{"w", "", "", "", ""}));
    EXPECT_EQ(parseActionTokens("a b c d e f g").tokens, (Tokens{"a", "b", "c", "d", "e "}));
    EXPECT_EQ(parseActionTokens("wk kw wi iw wa aw").tokens,
              (Tokens{"wk", "kw", "wi", "iw", "wa"}));
    EXPECT_EQ(parseActionTokens("abc defg h").tokens, (Tokens{"abc", "defg", "h", "", ""}));
    const ParsedAction parsed = parseActionTokens("kw wl ");
    EXPECT_EQ(indices(parsed.list), (std::vector<int>{8, -2}));
}

TEST(FilterListBuilding, AppendAndMake) {
    FilterList list;
    EXPECT_EQ(list.count, 0);
    expectWellFormed(list);
    for (int i = 0; i < kMaxFilters; ++i)
        EXPECT_TRUE(list.append(i));
    EXPECT_FALSE(list.append(7));
    EXPECT_EQ(indices(list), (std::vector<int>{0, 1, 2, 3, 4}));
    expectWellFormed(list);

    const FilterList made = makeFilterList({11, 8, -2});
    EXPECT_EQ(indices(made), (std::vector<int>{11, 8, -2}));
    expectWellFormed(made);
    EXPECT_EQ(indices(makeFilterList({1, 2, 3, 4, 5, 6, 7})), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(makeFilterList({}), FilterList{});
    EXPECT_EQ(parseAction("wk kw"), makeFilterList({11, 8}));
}

TEST(ChainStrings, ActionStringEndsEveryCodeWithASpace) {
    EXPECT_EQ(chainActionString(makeFilterList({8, -2})), "kw wl ");
    EXPECT_EQ(chainActionString(makeFilterList({})), "");
    EXPECT_EQ(chainActionString(makeFilterList({11, 11, 11, 11})), "wk wk wk wk ");
    EXPECT_EQ(chainActionString(makeFilterList({-3, 13, 12})), "lw wm mw ");
    // Written strings read back as the same chain.
    for (const Expected& a : kExpected)
        for (const Expected& b : kExpected) {
            const FilterList list = makeFilterList({a.index, b.index, a.index});
            EXPECT_EQ(parseAction(chainActionString(list)), list) << a.code << b.code;
        }
}

TEST(ChainStrings, Description) {
    EXPECT_EQ(chainDescription(makeFilterList({8, -2})), "Koi->Win then Win->Latinica");
    EXPECT_EQ(chainDescription(makeFilterList({11})), "Win->Koi");
    EXPECT_EQ(chainDescription(makeFilterList({})), "");
    EXPECT_EQ(chainDescription(makeFilterList({-3, 12, 13}), ", "),
              "Latinica->Win, Mac->Win, Win->Mac");
}

} // namespace
} // namespace vorlex::engine
