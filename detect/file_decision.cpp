#include "detect/file_decision.h"

#include "detect/binary_content.h"
#include "detect/document_repair.h"
#include "detect/sample.h"
#include "detect/unicode_repair.h"

#include <algorithm>
#include <cstdint>

namespace vorlex::detect {
namespace {

FileDecision decideUnicode(const Dictionary& dictionary, std::string_view unicode,
                           std::span<const engine::FilterList> storedChains,
                           std::size_t maxCandidates, const engine::LatinOptions& options) {
    FileDecision decision;
    decision.unicode = true;
    const UnicodeRanking ranking = rankUnicode(dictionary, unicode, storedChains, maxCandidates);
    decision.verdict = ranking.verdict;
    decision.ambiguous = ranking.ambiguous;
    if (!ranking.candidates.empty()) {
        decision.confidence = ranking.candidates.front().reading.confidence;
        decision.plausibility = ranking.candidates.front().reading.plausibility;
    }
    UnicodeBest best = bestUnicodeRepair(ranking, unicode, options);
    if (!best.candidate) {
        decision.answer = best.noPlausibleReading ? FileAnswer::noRepair : FileAnswer::misfit;
        return decision;
    }
    decision.answer =
        best.candidate->action.empty() ? FileAnswer::unchanged : FileAnswer::unicodeRepair;
    decision.action = best.candidate->action;
    decision.utf8 = std::move(best.utf8);
    return decision;
}

} // namespace

FileDecision decideFile(const Dictionary& dictionary, std::string_view document,
                        std::span<const engine::FilterList> storedChains, std::size_t maxCandidates,
                        const engine::LatinOptions& options) {
    const std::span<const std::uint8_t> head(reinterpret_cast<const std::uint8_t*>(document.data()),
                                             std::min(document.size(), kBinaryProbeBytes));
    if (looksBinary(head))
        return {};
    std::string_view unicode = document;
    if (unicode.starts_with("\xEF\xBB\xBF"))
        unicode.remove_prefix(3);
    const bool asUnicode = arrivesAsUnicode(unicode);
    return decideText(dictionary, asUnicode ? unicode : document, asUnicode, storedChains,
                      maxCandidates, options);
}

FileDecision decideText(const Dictionary& dictionary, std::string_view text, bool unicode,
                        std::span<const engine::FilterList> storedChains, std::size_t maxCandidates,
                        const engine::LatinOptions& options) {
    if (unicode)
        return decideUnicode(dictionary, text, storedChains, maxCandidates, options);
    // The whole document's chain comes from the first few candidates: the ones after them
    // would be ranked and labelled for nothing.
    const DocumentRepair repair = planRepair(dictionary, sampleSource(text), text, storedChains,
                                             std::min(maxCandidates, kDocumentCandidates));
    FileDecision decision;
    decision.verdict = repair.ranking.verdict;
    decision.ambiguous = repair.ranking.ambiguous;
    decision.confidence = repair.confidence();
    decision.plausibility = repair.plausibility();
    if (!repair.chain)
        decision.answer = FileAnswer::noRepair;
    else if (repair.chain->count == 0)
        decision.answer = FileAnswer::unchanged;
    else {
        decision.answer = FileAnswer::chain;
        decision.chain = *repair.chain;
    }
    return decision;
}

} // namespace vorlex::detect
