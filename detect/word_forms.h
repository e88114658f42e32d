// The list of Russian word forms: whether a word exists, as a lone capital or a short word
// cannot be decided by letter pairs alone.
#pragma once

#include <string_view>

namespace vorlex::detect {

/// Whether `word` (small Windows-1251 letters, ё written as е) is a known Russian word form.
/// About one answer in two hundred is a false yes; a listed form never gets a no.
[[nodiscard]] bool isRussianWordForm(std::string_view word) noexcept;

} // namespace vorlex::detect
