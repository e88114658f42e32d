#include "detect/document_repair.h"

#include <algorithm>

namespace vorlex::detect {

double DocumentRepair::confidence() const noexcept {
    return candidate < ranking.candidates.size() ? ranking.candidates[candidate].confidence : 0;
}

double DocumentRepair::plausibility() const noexcept {
    return candidate < ranking.candidates.size() ? ranking.candidates[candidate].plausibility : 0;
}

DocumentRepair planRepair(const Dictionary& dictionary, const Sample& sample,
                          std::string_view document,
                          std::span<const engine::FilterList> storedChains,
                          std::size_t maxCandidates) {
    DocumentRepair repair;
    repair.ranking = refineRanking(dictionary, sample, document, storedChains, maxCandidates);
    repair.chain = documentChain(repair.ranking, document);
    if (!repair.chain)
        return repair;
    const std::vector<RefinedCandidate>& candidates = repair.ranking.candidates;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::vector<engine::FilterList>& same = candidates[i].sameSampleChains;
        if (candidates[i].chain == *repair.chain ||
            std::find(same.begin(), same.end(), *repair.chain) != same.end()) {
            repair.candidate = i;
            break;
        }
    }
    return repair;
}

} // namespace vorlex::detect
