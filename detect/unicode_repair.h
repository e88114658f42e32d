// The refined ranking for text that arrived as Unicode. Such text may have been damaged on its
// way through Unicode: shown through a page it was not written in (Windows-1251 bytes shown as
// Windows-1252: "Ïðèâåò"), or UTF-8 read as 8-bit text, once or twice ("РџСЂРёРІРµС‚"). The
// search turns the text back into bytes through each page where that loses nothing, follows a
// UTF-8 decode step when those bytes are UTF-8 with multibyte sequences (up to two layers), and
// ranks the bytes each path ends on with the refined ranking of 8-bit chains. A chain of one
// filter from another Cyrillic page to Win is given as reading the bytes as that page's text.
//
// Search space: at most eight views at each of at most three levels, but a view is kept only
// when it is lossless, the four other Cyrillic pages only when Windows-1251 is not, views that
// give the same bytes once, and bytes that are UTF-8 with multibyte sequences are decoded
// rather than ranked (Russian 8-bit text is almost never valid UTF-8). Correct Russian text
// and every family of damage end on one or two rankings.
//
// A repair is taken only where it reads better than the text did, so a correct text with a
// damaged quote is never made worse by a repair of the whole; such a quote may be repaired on
// its own instead, by an action limited to its characters ("@41+28 uw 8u ").
#pragma once

#include "detect/dictionary.h"
#include "detect/refined_ranking.h"
#include "engine/unicode_views.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::detect {

/// Most UTF-8 decode layers the search follows.
inline constexpr int kMaxUtf8Layers = 2;

/// Bytes of the Unicode document the search looks at (its start, cut at a character).
inline constexpr std::size_t kUnicodeSearchBytes = 4 * kRefinedSampleBytes;

struct UnicodeCandidate {
    /// The whole replayable action: Unicode steps, then the chain ("uw 8u ", "ue ", "uw kw ").
    /// Empty for the text as it is.
    std::string action;
    engine::UnicodeAction steps; ///< the parsed form of `action`
    RefinedCandidate reading;    ///< the 8-bit candidate on the bytes the steps end on
    std::string label;           ///< the first 199 characters of the reading, as UTF-8
};

struct UnicodeRanking {
    std::vector<UnicodeCandidate> candidates; ///< best first
    bool ambiguous = false;
    Verdict verdict = Verdict::none;
    int rankings = 0; ///< 8-bit rankings the search ran
};

/// Ranks the readings of a Unicode (UTF-8) document. Keeps at most `maxCandidates`.
[[nodiscard]] UnicodeRanking rankUnicode(const Dictionary& dictionary, std::string_view utf8,
                                         std::span<const engine::FilterList> storedChains,
                                         std::size_t maxCandidates = kDefaultVariants);

/// What a whole-document repair of a Unicode text comes to.
struct UnicodeBest {
    /// The candidate used; null when no reading is plausible or none fits the whole text.
    const UnicodeCandidate* candidate = nullptr;
    bool noPlausibleReading = false; ///< the verdict is none
    bool outOfMemory = false;        ///< a candidate could not be applied for want of memory
    std::string utf8;                ///< the repaired text (the text itself when unchanged)
};

/// The first plausible candidate whose action runs over the whole of @p utf8 (a character past
/// the judged start may be missing from a view's page), and the text it gives.
[[nodiscard]] UnicodeBest bestUnicodeRepair(const UnicodeRanking& ranking, std::string_view utf8,
                                            const engine::LatinOptions& options);

/// Whether bytes should be read as Unicode: valid UTF-8 holding a character above U+007F.
[[nodiscard]] bool arrivesAsUnicode(std::string_view bytes) noexcept;

} // namespace vorlex::detect
