// The repair of a whole document by the refined ranking: which reading wins, the chain the
// whole document takes and how sure the ranking is of it. vorlex-cli auto --best and the
// library answer through it.
#pragma once

#include "detect/dictionary.h"
#include "detect/refined_ranking.h"
#include "detect/sample.h"
#include "engine/filters.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace vorlex::detect {

struct DocumentRepair {
    RefinedRanking ranking;
    /// The chain for the whole document (documentChain); an empty list keeps the text as it
    /// is; nullopt when the verdict is none.
    std::optional<engine::FilterList> chain;
    /// The candidate that chain reads as (0 unless a later plausible candidate won on the rest
    /// of the document); meaningless without candidates.
    std::size_t candidate = 0;

    /// Confidence and plausibility of that candidate; 0 without candidates.
    [[nodiscard]] double confidence() const noexcept;
    [[nodiscard]] double plausibility() const noexcept;
};

/// Ranks the readings of `document` (whose pass sample is `sample`, see sampleSource) with the
/// stored schemes' chains among the candidates and chooses the whole document's chain.
[[nodiscard]] DocumentRepair planRepair(const Dictionary& dictionary, const Sample& sample,
                                        std::string_view document,
                                        std::span<const engine::FilterList> storedChains,
                                        std::size_t maxCandidates = kDefaultVariants);

} // namespace vorlex::detect
