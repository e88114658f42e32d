// The list of Russian word forms: whether a word exists, as a lone capital or a short word
// cannot be decided by letter pairs alone.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorlex::detect {

/// Whether `word` (small Windows-1251 letters, ё written as е) is a known Russian word form.
/// About one answer in two hundred is a false yes; a listed form never gets a no.
[[nodiscard]] bool isRussianWordForm(std::string_view word) noexcept;

/// The same look-up in two steps, for callers that remember answers: the answer depends on the
/// word only through its key, isRussianWordForm(w) == isListedWordFormKey(wordFormKey(w)).
[[nodiscard]] std::uint64_t wordFormKey(std::string_view word) noexcept;
[[nodiscard]] bool isListedWordFormKey(std::uint64_t key) noexcept;

} // namespace vorlex::detect
