#include "detect/unicode_repair.h"

#include "detect/sample.h"
#include "engine/cp1251.h"

#include <algorithm>
#include <cstdint>

namespace vorlex::detect {
namespace {

using engine::DisplayPage;
using engine::UnicodeStep;
using engine::UnicodeStepKind;

// The start of UTF-8 text, at most `most` bytes, not cutting a character.
std::string_view utf8Prefix(std::string_view text, std::size_t most) {
    if (text.size() <= most)
        return text;
    std::size_t end = most;
    while (end > 0 && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The first `characters` characters of UTF-8 text.
std::string utf8Head(std::string_view text, std::size_t characters) {
    std::size_t end = 0;
    for (std::size_t n = 0; end < text.size() && n < characters; ++n) {
        ++end;
        while (end < text.size() && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return std::string(text.substr(0, end));
}

struct Search {
    const Dictionary& dictionary;
    std::span<const engine::FilterList> storedChains;
    std::size_t maxCandidates;
    UnicodeRanking ranking;
    std::vector<std::pair<RefinedRanking, std::vector<UnicodeStep>>> leaves;

    void rank(const std::string& bytes, std::vector<UnicodeStep> steps) {
        ++ranking.rankings;
        leaves.emplace_back(
            refineRanking(dictionary, sampleSource(bytes), bytes, storedChains, maxCandidates),
            std::move(steps));
    }

    void explore(std::string_view text, const std::vector<UnicodeStep>& steps, int layers) {
        std::vector<std::string> seen;
        bool winLossless = false;
        for (const DisplayPage page : engine::kDisplayPages) {
            if (winLossless && page != DisplayPage::windows1251 && engine::isCyrillicPage(page))
                continue;
            std::optional<std::string> bytes = engine::viewThrough(text, page);
            if (!bytes)
                continue;
            if (page == DisplayPage::windows1251)
                winLossless = true;
            if (std::find(seen.begin(), seen.end(), *bytes) != seen.end())
                continue;
            seen.push_back(*bytes);
            std::vector<UnicodeStep> next = steps;
            next.push_back({UnicodeStepKind::view, page});
            if (engine::isMultibyteUtf8(*bytes)) {
                if (layers < kMaxUtf8Layers) {
                    next.push_back({UnicodeStepKind::utf8Decode});
                    explore(*bytes, next, layers + 1);
                }
                continue;
            }
            rank(*bytes, std::move(next));
        }
    }
};

// Whether `a` should be listed before `b`: plausible readings first, then by score.
bool better(const UnicodeCandidate& a, const UnicodeCandidate& b) {
    const bool plausibleA = a.reading.plausibility >= kPlausibleFrom;
    const bool plausibleB = b.reading.plausibility >= kPlausibleFrom;
    if (plausibleA != plausibleB)
        return plausibleA;
    return a.reading.score > b.reading.score;
}

} // namespace

UnicodeBest bestUnicodeRepair(const UnicodeRanking& ranking, std::string_view utf8,
                              const engine::LatinOptions& options) {
    UnicodeBest best;
    if (ranking.verdict == Verdict::none) {
        best.noPlausibleReading = true;
        return best;
    }
    for (const UnicodeCandidate& candidate : ranking.candidates) {
        if (candidate.reading.plausibility < kPlausibleFrom)
            break;
        engine::UnicodeActionError error{};
        if (const auto result =
                engine::applyUnicodeAction(candidate.steps, utf8, true, options, error)) {
            best.candidate = &candidate;
            best.utf8 = engine::resultAsUtf8(*result);
            return best;
        }
    }
    return best;
}

bool arrivesAsUnicode(std::string_view bytes) noexcept {
    return engine::isMultibyteUtf8(bytes);
}

UnicodeRanking rankUnicode(const Dictionary& dictionary, std::string_view utf8,
                           std::span<const engine::FilterList> storedChains,
                           std::size_t maxCandidates) {
    Search search{dictionary, storedChains, maxCandidates, {}, {}};
    search.explore(utf8Prefix(utf8, kUnicodeSearchBytes), {}, 0);

    std::vector<UnicodeCandidate> all;
    std::vector<const RefinedRanking*> leafOf;
    for (const auto& [leaf, steps] : search.leaves) {
        for (const RefinedCandidate& reading : leaf.candidates) {
            UnicodeCandidate candidate;
            candidate.steps.steps = steps;
            candidate.steps.chain = reading.chain;
            // Windows-1251 bytes left as they are read as the text itself.
            if (reading.chain.count == 0 &&
                candidate.steps.steps.back().page == DisplayPage::windows1251)
                candidate.steps.steps.pop_back();
            candidate.action = engine::unicodeActionString(candidate.steps);
            candidate.reading = reading;
            candidate.label = utf8Head(engine::win1251ToUtf8(reading.label), 199);
            all.push_back(std::move(candidate));
            leafOf.push_back(&leaf);
        }
    }
    std::vector<std::size_t> order(all.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return better(all[a], all[b]); });

    UnicodeRanking& ranking = search.ranking;
    for (std::size_t i = 0; i < order.size() && ranking.candidates.size() < maxCandidates; ++i)
        ranking.candidates.push_back(std::move(all[order[i]]));
    if (ranking.candidates.empty())
        return ranking;
    const UnicodeCandidate& first = ranking.candidates.front();
    const RefinedRanking& leaf = *leafOf[order.front()];
    if (first.reading.plausibility < kPlausibleFrom)
        ranking.verdict = Verdict::none;
    else if (first.action.empty())
        ranking.verdict = Verdict::unchanged;
    else if (leaf.verdict == Verdict::ambiguous &&
             leaf.candidates.front().chain == first.steps.chain)
        ranking.verdict = Verdict::ambiguous;
    else
        ranking.verdict = Verdict::repair;
    ranking.ambiguous = ranking.verdict == Verdict::ambiguous;
    return ranking;
}

} // namespace vorlex::detect
