// Filter codes, filter lists and action strings.
//
// A filter is one of the fourteen code tables or one of the two transliteration directions.
// An action string names a chain of filters as two-letter codes separated by single spaces
// ("wk wk", "kw wl "); parsing it gives a filter list of at most five filter indices.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::engine {

/// Filter indices that are not code tables.
inline constexpr int kLatinToWinFilter = -3; // lw
inline constexpr int kWinToLatinFilter = -2; // wl
inline constexpr int kEndOfFilters = -1;

/// Most filters a parsed action string yields.
inline constexpr int kMaxFilters = 5;

struct FilterInfo {
    std::string_view code;        ///< two lower-case letters, source page then target page
    int index;                    ///< table number 0..13, or kLatinToWinFilter / kWinToLatinFilter
    std::string_view displayName; ///< "Win->Koi", "Latinica->Win", ...
};

/// The sixteen filters in the order in which codes are searched when parsing.
inline constexpr std::array<FilterInfo, 16> kFilters = {{
    {"lw", kLatinToWinFilter, "Latinica->Win"},
    {"wl", kWinToLatinFilter, "Win->Latinica"},
    {"ai", 0, "Alt->Iso"},
    {"ak", 1, "Alt->Koi"},
    {"aw", 2, "Alt->Win"},
    {"ia", 3, "Iso->Alt"},
    {"ik", 4, "Iso->Koi"},
    {"iw", 5, "Iso->Win"},
    {"ka", 6, "Koi->Alt"},
    {"ki", 7, "Koi->Iso"},
    {"kw", 8, "Koi->Win"},
    {"wa", 9, "Win->Alt"},
    {"wi", 10, "Win->Iso"},
    {"wk", 11, "Win->Koi"},
    {"mw", 12, "Mac->Win"},
    {"wm", 13, "Win->Mac"},
}};

constexpr bool isTableFilter(int index) {
    return index >= 0 && index < 14;
}
constexpr bool isLatinFilter(int index) {
    return index == kLatinToWinFilter || index == kWinToLatinFilter;
}

/// The filter with this index, or nullptr for an index that names no filter.
const FilterInfo* filterByIndex(int index) noexcept;

/// The filter index of an exact, case-sensitive two-letter code.
std::optional<int> filterIndexOfCode(std::string_view code) noexcept;

/// A parsed chain: up to five filter indices, first filter first; unused slots hold -1.
struct FilterList {
    std::array<int, kMaxFilters> filters{kEndOfFilters, kEndOfFilters, kEndOfFilters, kEndOfFilters,
                                         kEndOfFilters};
    int count = 0;

    /// Appends a filter; returns false when the list is already full.
    bool append(int index) noexcept;
    friend bool operator==(const FilterList&, const FilterList&) = default;
};

/// Builds a filter list from indices; indices past the fifth are dropped.
FilterList makeFilterList(std::initializer_list<int> indices) noexcept;

/// The result of parsing an action string together with the raw tokens it was cut into.
struct ParsedAction {
    FilterList list;
    /// The five tokens as cut from the string, empty ones included (used for the lines that
    /// a named scheme writes into the variant list).
    std::array<std::string, kMaxFilters> tokens;
};

/// Parses an action string. Never fails: the first token that is not a filter code (an empty
/// token included) ends the list, so "Wk" or "" give an empty list.
ParsedAction parseActionTokens(std::string_view action);

/// The filter list of an action string (see parseActionTokens).
FilterList parseAction(std::string_view action);

/// The action string the automatic search writes for a chain: each code followed by one space.
std::string chainActionString(const FilterList& list);

/// Display names of the filters joined by `separator` ("Koi->Win then Win->Latinica").
std::string chainDescription(const FilterList& list, std::string_view separator = " then ");

} // namespace vorlex::engine
