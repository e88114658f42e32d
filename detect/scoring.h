// How a candidate is judged on the sample words, and its place among the five best.
//
// The arithmetic is fixed so that every build ranks alike: integer hit percentages cut toward
// zero, the score and its maximum in double precision evaluated left to right, and the stored
// top-five values in single precision.
#pragma once

#include <array>
#include <optional>

namespace vorlex::detect {

/// Dictionary hits among the sample words of each length.
struct Hits {
    int two = 0;
    int three = 0;
    int four = 0;
};

/// Counts of sample words of each length (0..10).
struct WordCounts {
    int two = 0;
    int three = 0;
    int four = 0;
};

/// 100 * hits / count cut toward zero; 0 when count is 0.
constexpr int hitPercent(int hits, int count) noexcept {
    return count == 0 ? 0 : 100 * hits / count;
}

struct Judgement {
    double score = 0;
    double maximum = 0;
};

/// score = 0.0001*p4^2*c4 + 0.00004*p3^2*c3 + 0.00002*p2^2*c2; maximum = c4 + 0.4*c3 + 0.2*c2.
constexpr Judgement judge(const WordCounts& counts, const Hits& hits) noexcept {
    const int p4 = hitPercent(hits.four, counts.four);
    const int p3 = hitPercent(hits.three, counts.three);
    const int p2 = hitPercent(hits.two, counts.two);
    Judgement j;
    j.score = 0.0001 * (p4 * p4) * counts.four + 0.00004 * (p3 * p3) * counts.three +
              0.00002 * (p2 * p2) * counts.two;
    j.maximum = counts.four + 0.4 * counts.three + 0.2 * counts.two;
    return j;
}

/// Accepted when score >= threshold * maximum (the threshold of the precision, limited to 0..9).
bool isAccepted(const Judgement& judgement, int precision) noexcept;

/// The stored scores of the five best variants of a pass, best first.
class TopFive {
public:
    /// The first place whose stored value is strictly below `score`; that place takes
    /// score + 0.000001 in single precision and the places below move down one. nullopt when
    /// the score beats none of the five (a score of 0 never gets a place).
    std::optional<int> place(double score) noexcept;

    [[nodiscard]] const std::array<float, 5>& values() const noexcept { return values_; }

private:
    std::array<float, 5> values_{};
};

} // namespace vorlex::detect
