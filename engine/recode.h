// The two routines that run a filter chain: one for short fixed-size texts that end in a
// terminator (sample words, list labels, shown texts), one for whole documents.
#pragma once

#include "engine/code_tables.h"
#include "engine/filters.h"
#include "engine/latin.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vorlex::engine {

enum class RecodeStatus {
    ok,
    outOfMemory, ///< a transliteration buffer could not be had; the chain stopped there
};

/// Recodes a short text of `len` bytes whose last position is the terminator.
///
/// Copies `len` bytes of `source` into `dest`, then applies the filters in order. A table step
/// translates positions 0..len-2 (with `controlToSpace`, bytes below 0x0F become spaces) and
/// writes 0 at len-1. A `wl` step transliterates, cuts the result to len-1 bytes plus the
/// terminator and ends the chain. `dest` and `source` must hold at least `len` bytes; `len`
/// of 0 does nothing. With an empty list `dest` is an exact copy.
[[nodiscard]] RecodeStatus recodeText(std::span<std::uint8_t> dest,
                                      std::span<const std::uint8_t> source,
                                      const FilterList& filters, std::size_t len,
                                      bool controlToSpace, const LatinOptions& options) noexcept;

/// Outcome of a document recoding.
struct DocumentResult {
    RecodeStatus status = RecodeStatus::ok;
    std::size_t length = 0; ///< document length after the filters that ran
};

/// Work buffer bytes a document of `length` bytes needs for this chain: twice the length, or
/// four times when a Win->Latinica step runs with English-word markers.
std::size_t workBufferSize(std::size_t length, const FilterList& filters,
                           const LatinOptions& options) noexcept;

/// Recodes a whole document: copies `document` into `work` and applies the chain there.
///
/// Consecutive table steps are composed into one byte map and run as one pass. Zero bytes do
/// not stop a table step. A `wl` step ends the chain. A transliteration result longer than
/// `work` is cut at work.size(). `work` should hold workBufferSize() bytes; it must hold at
/// least document.size() bytes, otherwise nothing is done and the length is 0.
[[nodiscard]] DocumentResult recodeDocument(std::span<const std::uint8_t> document,
                                            std::span<std::uint8_t> work, const FilterList& filters,
                                            const LatinOptions& options) noexcept;

/// A whole document recoded into a buffer of its own (recodeDocument with a work buffer of
/// workBufferSize() bytes, cut to the result's length). nullopt when the memory for it could not
/// be had.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
recodeDocumentCopy(std::span<const std::uint8_t> document, const FilterList& filters,
                   const LatinOptions& options) noexcept;

/// The byte map of a run of table filters (identity below 0x80); nullopt when the list holds a
/// transliteration step. An empty list gives the identity.
std::optional<ByteMap> composeTables(const FilterList& filters) noexcept;

/// out[i] = map[in[i]] for the first min(in.size(), out.size()) bytes; `out` may be `in`.
/// Uses vector instructions where the processor has them.
void applyByteMap(const ByteMap& map, std::span<const std::uint8_t> in,
                  std::span<std::uint8_t> out) noexcept;

/// The implementations applyByteMap chooses from.
enum class ByteMapPath { scalar, avx2, avx512 };

/// applyByteMap through one chosen implementation, so tests can check each. Returns false (and
/// does nothing) when the processor lacks it or the vector paths cannot take this map (they
/// need the identity below 0x80, which every composed code-table chain has).
bool applyByteMapUsing(ByteMapPath path, const ByteMap& map, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) noexcept;

} // namespace vorlex::engine
