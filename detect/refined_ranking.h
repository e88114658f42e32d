// A second ranking after a recoding pass: every candidate chain (the scored stored schemes and
// the 17040 search chains, accepted by the pass or not) judged on the whole text sample by a
// Russian letter-bigram model, case consistency inside words and dictionary hits. Chains that
// give the same sample text are one candidate.
#pragma once

#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "engine/filters.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace vorlex::detect {

struct RefinedCandidate {
    engine::FilterList chain;
    std::string action; ///< each filter code followed by one space
    std::string label;  ///< 199 characters, Windows-1251, as a list line shows it
    /// Log-likelihood of the recoded sample, in nats per byte the chains can change; higher is
    /// better. Comparable only among the candidates of one sample.
    double score = 0;
    /// Share of belief in this candidate among all candidates, 0..1.
    double confidence = 0;
};

struct RefinedRanking {
    std::vector<RefinedCandidate> candidates; ///< best first
    /// The first two candidates are too close to tell apart.
    bool ambiguous = false;
};

/// Ranks every candidate on `sample`; keeps at most `maxCandidates` (at least one when the
/// sample holds a byte from 0x80 up; none otherwise: no chain can change such a text).
[[nodiscard]] RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                                           std::span<const engine::FilterList> storedChains,
                                           std::size_t maxCandidates = kDefaultVariants);

/// Scores of the refined stage for one recoded text (Windows-1251), for tests and tuning.
struct TextJudgement {
    double bigram = 0;      ///< sum of ln P over letter transitions and odd-byte penalties
    int letters = 0;        ///< Cyrillic letters
    int capitals = 0;       ///< of them capitals
    int mixedCaseWords = 0; ///< words neither all small, all capitals nor capitalised
    int dictionaryHits = 0; ///< words of 2..4 letters found in the dictionary
};
[[nodiscard]] TextJudgement judgeText(const Dictionary& dictionary, std::string_view text);

} // namespace vorlex::detect
