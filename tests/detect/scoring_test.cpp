#include "detect/scoring.h"

#include <gtest/gtest.h>

namespace vorlex::detect::test {
namespace {

TEST(Scoring, HitPercentIsCutTowardZero) {
    EXPECT_EQ(hitPercent(2, 3), 66);
    EXPECT_EQ(hitPercent(1, 3), 33);
    EXPECT_EQ(hitPercent(10, 10), 100);
    EXPECT_EQ(hitPercent(0, 7), 0);
    EXPECT_EQ(hitPercent(0, 0), 0);
}

TEST(Scoring, TenWordsOfEachLength) {
    // 8 of 10 four-letter, 6 of 10 three-letter and 10 of 10 two-letter hits.
    const Judgement j = judge({10, 10, 10}, {10, 6, 8});
    EXPECT_NEAR(j.score, 6.4 + 1.44 + 2, 1e-12);
    EXPECT_NEAR(j.score, 9.84, 1e-12);
    EXPECT_DOUBLE_EQ(j.maximum, 16);
    EXPECT_TRUE(isAccepted(j, 7)); // threshold 4
    EXPECT_TRUE(isAccepted(j, 9)); // threshold 6.4
}

TEST(Scoring, FewWordsWithAMissingLength) {
    // Three four-letter words with 2 hits, no three-letter word, two two-letter words, 1 hit.
    const Judgement j = judge({2, 0, 3}, {1, 0, 2});
    EXPECT_NEAR(j.score, 1.4068, 1e-12);
    EXPECT_NEAR(j.maximum, 3.4, 1e-12);
    EXPECT_TRUE(isAccepted(j, 7));                            // threshold 0.85
    EXPECT_FALSE(isAccepted(judge({2, 0, 3}, {0, 0, 1}), 7)); // p4 33: 0.3267 < 0.85
}

TEST(Scoring, AllHitsReachTheMaximum) {
    for (int c2 = 0; c2 <= 10; c2 += 5)
        for (int c3 = 0; c3 <= 10; c3 += 3)
            for (int c4 = 0; c4 <= 10; c4 += 2) {
                const Judgement j = judge({c2, c3, c4}, {c2, c3, c4});
                EXPECT_NEAR(j.score, j.maximum, 1e-9);
                EXPECT_TRUE(isAccepted(j, 9));
            }
    const Judgement none = judge({4, 4, 4}, {});
    EXPECT_EQ(none.score, 0);
    EXPECT_TRUE(isAccepted(none, 0)); // precision 0 accepts everything
    EXPECT_FALSE(isAccepted(none, 1));
}

TEST(Scoring, ZeroScoreNeverGetsAPlace) {
    TopFive top;
    EXPECT_EQ(top.place(0.0), std::nullopt);
    EXPECT_EQ(top.place(0.5), 0);
    EXPECT_EQ(top.place(0.0), std::nullopt);
}

TEST(Scoring, TiesGoToTheVariantFoundFirst) {
    TopFive top;
    EXPECT_EQ(top.place(5.0), 0);
    EXPECT_EQ(top.place(5.0), 1);       // equal: below the earlier one
    EXPECT_EQ(top.place(5.0000005), 2); // within the margin: still below both
    EXPECT_EQ(top.place(5.00001), 0);   // clearly better: on top
    EXPECT_EQ(top.place(4.0), 4);
    EXPECT_EQ(top.place(3.0), std::nullopt); // all five places hold better scores
}

TEST(Scoring, StoredValuesAreSinglePrecision) {
    // 1 + 0.000001 kept as a float is 1.00000095..., so a later 1.000001 beats it; with the
    // margin held in double precision it would not.
    TopFive top;
    EXPECT_EQ(top.place(1.0), 0);
    EXPECT_EQ(top.place(1.000001), 0);
    EXPECT_FLOAT_EQ(top.values()[0], static_cast<float>(1.000001 + 0.000001));
}

TEST(Scoring, PlacesMoveDownAndTheFifthIsLost) {
    TopFive top;
    for (int s = 1; s <= 6; ++s)
        EXPECT_EQ(top.place(s), 0);
    EXPECT_FLOAT_EQ(top.values()[0], 6.000001f);
    EXPECT_FLOAT_EQ(top.values()[4], 2.000001f);
    EXPECT_EQ(top.place(1.5), std::nullopt);
    EXPECT_EQ(top.place(2.5), 4);
    EXPECT_FLOAT_EQ(top.values()[4], 2.500001f);
    EXPECT_FLOAT_EQ(top.values()[3], 3.000001f);
}

} // namespace
} // namespace vorlex::detect::test
