// Each file's own repair, judged on its whole text: what `vorlex-cli batch --auto` and the
// batch window's Auto entry both do with one file. Text that arrives as Unicode (valid UTF-8
// beyond ASCII, a byte-order mark aside) is ranked through Unicode and repaired as Unicode
// text; any other text by the refined ranking of 8-bit chains.
#pragma once

#include "detect/dictionary.h"
#include "detect/refined_ranking.h"
#include "engine/filters.h"
#include "engine/latin.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vorlex::detect {

/// How much of a file's start tells a binary file.
inline constexpr std::size_t kBinaryProbeBytes = 8192;

/// What becomes of one file.
enum class FileAnswer {
    binary,        ///< not text (looksBinary on its start): not judged
    noRepair,      ///< no reading of it is plausible Russian
    misfit,        ///< the repair found on its start does not fit the rest of it
    unchanged,     ///< it reads best as it is
    chain,         ///< 8-bit text repaired by `chain`
    unicodeRepair, ///< Unicode text repaired into `utf8`
};

struct FileDecision {
    FileAnswer answer = FileAnswer::binary;
    Verdict verdict = Verdict::none;
    bool ambiguous = false;
    /// Of the reading chosen (of the first one for Unicode text, as `auto --refined` rates it).
    double confidence = 0;
    double plausibility = 0;
    bool unicode = false;     ///< the text arrived as Unicode
    engine::FilterList chain; ///< FileAnswer::chain: the whole document's chain
    std::string action;       ///< FileAnswer::unicodeRepair: its replayable action ("uw 8u ")
    /// FileAnswer::unicodeRepair: the repaired text, no mark (FileAnswer::unchanged for Unicode
    /// text: the text itself).
    std::string utf8;

    /// Whether a repair or an unchanged answer should rather not be trusted: the verdict is
    /// ambiguous and the confidence below @p minConfidence.
    [[nodiscard]] bool belowConfidence(double minConfidence) const noexcept {
        return ambiguous && confidence < minConfidence;
    }
};

/// Judges the whole @p document (a file's bytes) with the stored schemes' chains among the
/// candidates, keeping at most @p maxCandidates; @p options are the transliteration switches a
/// Unicode repair is applied with.
[[nodiscard]] FileDecision decideFile(const Dictionary& dictionary, std::string_view document,
                                      std::span<const engine::FilterList> storedChains,
                                      std::size_t maxCandidates,
                                      const engine::LatinOptions& options);

/// decideFile for text already told apart and not judged for binary content: @p text is
/// Unicode text as UTF-8 without a mark when @p unicode, otherwise 8-bit bytes. `vorlex-cli
/// auto --best`, which also reads valid UTF-8 without a character above U+007F as Unicode
/// when asked to, decides through it.
[[nodiscard]] FileDecision decideText(const Dictionary& dictionary, std::string_view text,
                                      bool unicode,
                                      std::span<const engine::FilterList> storedChains,
                                      std::size_t maxCandidates,
                                      const engine::LatinOptions& options);

} // namespace vorlex::detect
