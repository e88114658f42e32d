#include "detect/candidates.h"
#include "detect/scoring.h"
#include "reference_pass.h"

#include <gtest/gtest.h>

namespace vorlex::detect::test {
namespace {

std::string actionOf(const engine::FilterList& chain) {
    return engine::chainActionString(chain);
}

TEST(Candidates, InverseFiltersSwapTheirCodePages) {
    for (int f = 0; f < kBasicFilterCount; ++f)
        EXPECT_EQ(engine::filterByIndex(inverseFilter(f))->code, kRefInverse[f]) << f;
}

TEST(Candidates, ExactlyTheTwentyFourListedTriplesAreExcluded) {
    int excluded = 0;
    for (int f1 = 0; f1 < 12; ++f1)
        for (int f2 = 0; f2 < 12; ++f2)
            for (int f3 = 0; f3 < 12; ++f3) {
                EXPECT_EQ(isExcludedTriple(f1, f2, f3), refExcluded(f1, f2, f3))
                    << kRefFilters[f1] << " " << kRefFilters[f2] << " " << kRefFilters[f3];
                excluded += isExcludedTriple(f1, f2, f3);
            }
    EXPECT_EQ(excluded, 24);
}

TEST(Candidates, StagesTryTheListedNumbersOfChainsInLoopOrder) {
    int total = 0;
    for (int stage = 1; stage <= 4; ++stage) {
        const auto chains = stageChains(stage);
        const auto expected = referenceStageChains(stage);
        ASSERT_EQ(chains.size(), static_cast<std::size_t>(kStageChainCounts[stage]));
        ASSERT_EQ(chains.size(), expected.size());
        for (std::size_t i = 0; i < chains.size(); ++i) {
            ASSERT_EQ(chains[i].count, stage);
            for (int f = 0; f < stage; ++f)
                ASSERT_EQ(chains[i].filters[f], expected[i][f]) << "stage " << stage << " #" << i;
        }
        total += static_cast<int>(chains.size());
    }
    EXPECT_EQ(total, kSearchChainCount);
    EXPECT_EQ(stageChains(1).size() + stageChains(2).size() + stageChains(3).size() +
                  stageChains(4).size(),
              17040u);
}

TEST(Candidates, KnownPositionsOfTheOrder) {
    const auto one = stageChains(1);
    EXPECT_EQ(actionOf(one[0]), "ai ");
    EXPECT_EQ(actionOf(one[8]), "kw ");
    EXPECT_EQ(actionOf(one[11]), "wk ");
    // Stage 2: the second filter in the outer loop; ia (the inverse of ai) is skipped.
    const auto two = stageChains(2);
    EXPECT_EQ(actionOf(two[0]), "ai ai ");
    EXPECT_EQ(actionOf(two[2]), "aw ai ");
    EXPECT_EQ(actionOf(two[3]), "ik ai ");
    EXPECT_EQ(actionOf(two[11]), "ai ak ");
    EXPECT_EQ(actionOf(two[131]), "wk wk ");
    const auto three = stageChains(3);
    EXPECT_EQ(actionOf(three[0]), "ai ai ai ");
    EXPECT_EQ(actionOf(three[1427]), "wk wk wk ");
    const auto four = stageChains(4);
    EXPECT_EQ(actionOf(four[0]), "ai ai ai ai ");
    EXPECT_EQ(actionOf(four[15467]), "wk wk wk wk ");
    // No chain holds a filter right after its inverse or an excluded triple.
    for (const auto& chain : four) {
        for (int i = 0; i + 1 < 4; ++i)
            ASSERT_NE(chain.filters[i], inverseFilter(chain.filters[i + 1]));
        ASSERT_FALSE(isExcludedTriple(chain.filters[0], chain.filters[1], chain.filters[2]));
        ASSERT_FALSE(isExcludedTriple(chain.filters[1], chain.filters[2], chain.filters[3]));
    }
}

TEST(Candidates, StoredSchemeRules) {
    auto scored = [](std::string_view action) {
        return isScoredStoredScheme(engine::parseAction(action));
    };
    EXPECT_FALSE(scored("wk")); // stage 1 tries it anyway
    EXPECT_FALSE(scored("kw"));
    EXPECT_TRUE(scored("mw"));
    EXPECT_TRUE(scored("wm"));
    EXPECT_TRUE(scored("wk wk"));
    EXPECT_TRUE(scored("mw wk ki kw ak")); // five filters
    EXPECT_FALSE(scored("wl"));
    EXPECT_FALSE(scored("kw wl"));
    EXPECT_FALSE(scored("lw wk"));
    EXPECT_FALSE(scored("mw wk wl"));
    EXPECT_FALSE(scored(""));        // empty filter list
    EXPECT_FALSE(scored("Wk"));      // parses to nothing
    EXPECT_TRUE(scored("wk ki Wk")); // the list ends at Wk: two filters remain
}

TEST(Candidates, PrecisionOutsideTheTableIsLimited) {
    EXPECT_EQ(clampPrecision(-5), 0);
    EXPECT_EQ(clampPrecision(0), 0);
    EXPECT_EQ(clampPrecision(9), 9);
    EXPECT_EQ(clampPrecision(10), 9);
    EXPECT_EQ(clampPrecision(1 << 30), 9);
    // At 99 the strictest threshold (0.4) applies; at -1 every score passes.
    const Judgement half{5.0, 16.0};
    EXPECT_TRUE(isAccepted(half, 7));   // 5 >= 0.25 * 16
    EXPECT_FALSE(isAccepted(half, 99)); // 5 < 0.4 * 16
    EXPECT_TRUE(isAccepted({0.0, 16.0}, -1));
    EXPECT_FALSE(isAccepted({0.0, 16.0}, 1));
}

TEST(Candidates, ThresholdsOfEachPrecision) {
    const double expected[10] = {0, 0.015, 0.025, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4};
    for (int p = 0; p < 10; ++p) {
        const double maximum = 10;
        EXPECT_TRUE(isAccepted({expected[p] * maximum, maximum}, p)) << p;
        if (p > 0) {
            EXPECT_FALSE(isAccepted({expected[p] * maximum * 0.999, maximum}, p)) << p;
        }
    }
}

} // namespace
} // namespace vorlex::detect::test
