// The repair the whole document decides: the refined ranking of its sample, then the chain the
// rest of the document confirms. Shared by `auto --best` and the automatic batch, so a file
// gets the same answer whichever way it is repaired.
#pragma once

#include "detect/dictionary.h"
#include "detect/refined_ranking.h"
#include "engine/filters.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vorlex::detect {

struct DocumentDecision {
    RefinedRanking ranking;
    /// The chain to recode the document with; empty for the text as it is, nothing when no
    /// reading of the text is plausible Russian.
    std::optional<engine::FilterList> chain;
};

/// Judges @p document (Windows-1251 bytes) as a whole, keeping at most @p maxCandidates.
[[nodiscard]] DocumentDecision decideDocument(const Dictionary& dictionary,
                                              std::string_view document,
                                              std::span<const engine::FilterList> storedChains,
                                              std::size_t maxCandidates);

/// Whether @p head (the first bytes of a file) belongs to a file no text repair applies to: a
/// NUL byte, or the signature of an executable, image or archive.
[[nodiscard]] bool looksBinary(std::span<const std::uint8_t> head) noexcept;

} // namespace vorlex::detect
