// How much of a document the rankings need: the classic sample stops once it holds ten words
// of each length, the refined ranking judges the first part; a listing need not read the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vorlex::detect {

/// A listing reads at most this much of a document: past it, the classic sample is taken from
/// what was read.
inline constexpr std::size_t kMostListingBytes = std::size_t{16} << 20;

/// Whether `prefix`, the start of a longer document, already gives the rankings everything they
/// take from the whole document: the classic sample is full and no byte after the prefix can
/// change it, and the refined ranking's part is within it.
[[nodiscard]] bool prefixSuffices(std::span<const std::uint8_t> prefix);

} // namespace vorlex::detect
