#include "detect/candidates.h"

namespace vorlex::detect {

std::vector<engine::FilterList> stageChains(int stage) {
    if (stage <= 0)
        return {engine::FilterList{}};
    std::vector<engine::FilterList> chains;
    chains.reserve(static_cast<std::size_t>(
        kStageChainCounts[static_cast<std::size_t>(stage < 4 ? stage : 4)]));
    for (const engine::FilterList& tail : stageChains(stage - 1)) {
        for (int first = 0; first < kBasicFilterCount; ++first) {
            if (!mayPrecede(first, tail))
                continue;
            chains.push_back(prependFilter(first, tail));
        }
    }
    return chains;
}

bool isScoredStoredScheme(const engine::FilterList& chain) noexcept {
    if (chain.count == 0)
        return false;
    for (int i = 0; i < chain.count; ++i)
        if (engine::isLatinFilter(chain.filters[static_cast<std::size_t>(i)]))
            return false;
    return !(chain.count == 1 && isBasicFilter(chain.filters[0]));
}

} // namespace vorlex::detect
