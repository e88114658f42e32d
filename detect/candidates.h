// Which chains a recoding pass tries, and in which order: the stored multi-filter schemes first,
// then every chain of one to four of the twelve filters among Win, Koi, Iso and Alt, without a
// filter that undoes the one before it and without the 24 excluded three-filter patterns.
#pragma once

#include "engine/filters.h"

#include <array>
#include <vector>

namespace vorlex::detect {

/// The twelve basic filters, in search order; their filter indices are 0..11 (ai .. wk).
inline constexpr int kBasicFilterCount = 12;
constexpr bool isBasicFilter(int index) noexcept {
    return index >= 0 && index < kBasicFilterCount;
}

namespace detail {
// Code page letters of the basic filters ai ak aw ia ik iw ka ki kw wa wi wk.
inline constexpr char kFrom[kBasicFilterCount + 1] = "aaaiiikkkwww";
inline constexpr char kTo[kBasicFilterCount + 1] = "ikwakwaiwaik";

constexpr int basicFilter(char from, char to) noexcept {
    for (int f = 0; f < kBasicFilterCount; ++f)
        if (kFrom[f] == from && kTo[f] == to)
            return f;
    return -1;
}
} // namespace detail

/// The inverse of basic filter xy is yx.
constexpr int inverseFilter(int basic) noexcept {
    return detail::basicFilter(detail::kTo[basic], detail::kFrom[basic]);
}

/// The first filter f1 that is excluded before (f2, f3), or -1. (f1, f2, f3) is excluded when
/// their codes are XY, ZX and YZ for three different code pages X, Y, Z.
constexpr int excludedFirstFilter(int f2, int f3) noexcept {
    const char z = detail::kFrom[f2], x = detail::kTo[f2];
    const char y = detail::kFrom[f3];
    if (detail::kTo[f3] != z || x == y)
        return -1;
    return detail::basicFilter(x, y);
}

constexpr bool isExcludedTriple(int f1, int f2, int f3) noexcept {
    return excludedFirstFilter(f2, f3) == f1;
}

inline constexpr std::array<int, 5> kStageChainCounts = {1, 12, 132, 1428, 15468};
/// Chains of the four search stages together; the fixed range of the progress display.
inline constexpr int kSearchChainCount = 17040;

/// The chains of stage `stage` (1..4 filters) in the order they are tried: the last filter in
/// the outermost loop, the first filter in the innermost. Stage 0 is the single empty chain.
/// A chain of stage n is a stage n-1 chain with one filter put in front, so the stages share
/// their tails.
[[nodiscard]] std::vector<engine::FilterList> stageChains(int stage);

/// Whether basic filter `first` may be put in front of a chain of the previous stage.
constexpr bool mayPrecede(int first, const engine::FilterList& tail) noexcept {
    if (tail.count == 0)
        return true;
    if (first == inverseFilter(tail.filters[0]))
        return false;
    return tail.count < 2 || !isExcludedTriple(first, tail.filters[0], tail.filters[1]);
}

/// `tail` with basic filter `first` put in front of it (a chain of the next stage).
constexpr engine::FilterList prependFilter(int first, const engine::FilterList& tail) noexcept {
    engine::FilterList chain;
    chain.filters[0] = first;
    for (std::size_t i = 0; i + 1 < chain.filters.size(); ++i)
        chain.filters[i + 1] = tail.filters[i];
    chain.count = tail.count + 1;
    return chain;
}

/// Whether a stored scheme's chain is scored on its own before the search: not when it holds a
/// transliteration step, not when it is a single basic filter (stage 1 tries that), and not
/// when it is empty.
[[nodiscard]] bool isScoredStoredScheme(const engine::FilterList& chain) noexcept;

/// Precision thresholds, indexed by the precision 0..9.
inline constexpr std::array<double, 10> kPrecisionThresholds = {0,    0.015, 0.025, 0.05, 0.1,
                                                                0.15, 0.2,   0.25,  0.3,  0.4};
inline constexpr int kDefaultPrecision = 7;

/// A stored precision limited to 0..9.
constexpr int clampPrecision(int precision) noexcept {
    return precision < 0 ? 0 : precision > 9 ? 9 : precision;
}

} // namespace vorlex::detect
