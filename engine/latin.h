// Latin transliteration ("Latinica") in both directions over Windows-1251 text.
//
// Win Cyrillic to Latin writes each of the 66 letters as one or two Latin characters; Latin
// to Win reads those spellings back. With "separate English" on, Latin letters already present
// in Cyrillic text are enclosed in English-word markers (backslash, space), which the reverse
// direction honours, so English words survive a round trip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vorlex::engine {

/// Options of the two transliteration directions.
struct LatinOptions {
    bool wAsVe = false;           ///< Latin to Cyrillic: w/W give в/В instead of щ/Щ
    bool noSj = false;            ///< Latin to Cyrillic: the pair sj is not read as щ
    bool separateEnglish = false; ///< Cyrillic to Latin: enclose Latin letters in markers
};

/// Most bytes Cyrillic to Latin writes for one source byte: a marker and a two-letter spelling.
inline constexpr std::size_t kMaxLatinBytesPerChar = 4;
/// Most bytes per source byte without English-word markers (Ch, Sh, Yo, E', ...).
inline constexpr std::size_t kMaxLatinBytesPerCharWithoutMarkers = 2;

/// Cyrillic (Win) to Latin over at most `limit` characters of `source`, stopping early at a
/// zero byte. With `controlToSpace` every byte below 0x0F becomes a space. Writes at most
/// out.size() bytes (a longer result is cut there) and returns the number written. Nothing is
/// terminated: callers that want a terminator leave room for it.
std::size_t cyrillicToLatin(std::span<std::uint8_t> out, std::span<const std::uint8_t> source,
                            std::size_t limit, bool controlToSpace, bool separateEnglish) noexcept;

/// Latin to Cyrillic (Win). Converts the units that begin at positions 0..limit-1 of `source`,
/// stopping at a zero byte; a two-character unit that begins at limit-1 takes its second
/// character from position `limit` (a byte past the end of `source` reads as 0). With
/// `controlToSpace` a byte below 0x0F (other than 0) counts as a space. The result is never
/// longer than the characters consumed; writes at most out.size() bytes and returns the count.
std::size_t latinToCyrillic(std::span<std::uint8_t> out, std::span<const std::uint8_t> source,
                            std::size_t limit, bool controlToSpace, bool wAsVe, bool noSj) noexcept;

} // namespace vorlex::engine
