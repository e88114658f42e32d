#include "detect/candidates.h"
#include "detect/chain_readings.h"
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace vorlex::detect {
namespace {

using engine::FilterList;

std::string through(const FilterList& chain, const std::string& text) {
    const auto map = engine::composeTables(chain);
    std::string out(text);
    for (char& ch : out)
        ch = static_cast<char>((*map)[static_cast<std::uint8_t>(ch)]);
    return out;
}

// Every chain offered lands in exactly one reading, every reading's chains give one text, no
// two readings give the same text, and a reading's own chain is its first shortest one.
TEST(SampleReadings, MergeEveryChainIntoOneReadingPerText) {
    const std::string sample = engine::win1251Literal("Съешь ещё этих мягких булок «да» — Ёж");
    std::array<bool, 128> present{};
    for (const char ch : sample)
        if (static_cast<std::uint8_t>(ch) >= 0x80)
            present[static_cast<std::uint8_t>(ch) - 0x80u] = true;
    const std::vector<FilterList> stored = {engine::parseAction("wk wk"), engine::parseAction("mw"),
                                            engine::parseAction("wl")};
    SampleReadings readings(present, stored);
    std::vector<std::uint32_t> all(readings.unitCount());
    for (std::uint32_t u = 0; u < all.size(); ++u)
        all[u] = u;
    readings.merge(all);

    std::map<std::string, int> seen; // chain action -> times found
    std::map<std::string, std::size_t> readingOfText;
    for (std::size_t r = 0; r < readings.size(); ++r) {
        const std::vector<FilterList> members = readings.members(r, 1 << 20);
        ASSERT_EQ(members.front(), readings.chain(r));
        const std::string text = through(readings.chain(r), sample);
        EXPECT_TRUE(readingOfText.emplace(text, r).second) << "two readings give " << r;
        for (const FilterList& chain : members) {
            EXPECT_EQ(through(chain, sample), text) << engine::chainActionString(chain);
            EXPECT_GE(chain.count, members.front().count);
            ++seen[engine::chainActionString(chain)];
        }
    }
    EXPECT_EQ(readings.chain(0), FilterList{});
    // The stored "wk wk" is also made by the search: listed twice unless it is the reading's
    // own chain. "wl" cannot be composed.
    for (int stage = 1; stage <= 4; ++stage)
        for (const FilterList& chain : stageChains(stage)) {
            const std::string action = engine::chainActionString(chain);
            if (action != "wk wk ")
                EXPECT_EQ(seen[action], 1) << action;
            else
                EXPECT_GE(seen[action], 1);
        }
    EXPECT_EQ(seen["mw "], 1);
    EXPECT_EQ(seen.count("wl "), 0u);

    // Merging only the units of some readings gives those readings, with the same chains, in
    // the same order.
    const auto unitText = [&](std::uint32_t unit) {
        std::string out(sample);
        for (char& ch : out)
            if (static_cast<std::uint8_t>(ch) >= 0x80)
                ch = static_cast<char>(
                    readings.unitMap(unit)[static_cast<std::uint8_t>(ch) - 0x80u]);
        return out;
    };
    std::map<std::string, std::size_t> chosen;
    for (std::size_t r = 0; r < readings.size(); r += 7)
        chosen.emplace(through(readings.chain(r), sample), r);
    std::vector<std::uint32_t> part;
    for (const std::uint32_t u : all)
        if (chosen.contains(unitText(u)))
            part.push_back(u);
    SampleReadings again(present, stored);
    again.merge(part);
    ASSERT_EQ(again.size(), chosen.size());
    for (std::size_t r = 0; r < again.size(); ++r) {
        const std::size_t whole = chosen.at(through(again.chain(r), sample));
        EXPECT_EQ(whole, r * 7);
        EXPECT_EQ(again.members(r, 1 << 20), readings.members(whole, 1 << 20));
    }
}

} // namespace
} // namespace vorlex::detect
