// What every window's table of texts shares: an entry with both languages, the check that the
// table lists its enumeration in order, and the look-up in the interface language.
#pragma once

#include "store/language.h"

#include <QString>
#include <array>
#include <cstddef>

namespace vorlex::chrome {

template <class Id> struct TextPair {
    Id id;
    const char* english;
    const char* russian; ///< nullptr: the English text in both languages
};

/// Whether entry i of @p table is the text of the enumeration's value i, so that a look-up is
/// an index.
template <class Id, std::size_t N>
[[nodiscard]] constexpr bool listsIdsInOrder(const std::array<TextPair<Id>, N>& table) {
    for (std::size_t i = 0; i < N; ++i)
        if (static_cast<std::size_t>(table[i].id) != i)
            return false;
    return true;
}

/// The text of @p id in @p language: Russian for Language::russian, English otherwise.
template <class Id, std::size_t N>
[[nodiscard]] QString textOf(const std::array<TextPair<Id>, N>& table, Id id,
                             store::Language language) {
    const TextPair<Id>& pair = table[static_cast<std::size_t>(id)];
    return QString::fromUtf8(store::isRussian(language) && pair.russian != nullptr ? pair.russian
                                                                                   : pair.english);
}

} // namespace vorlex::chrome
