// The interface language as the settings store keeps it.
#pragma once

namespace vorlex::store {

/// `Language` in the store: 0 Russian, 1 English. Any other stored value reads as `neither`
/// (what the settings dialog stores, as -1, when neither language button is checked); the
/// program shows English for it.
enum class Language { russian = 0, english = 1, neither = -1 };

/// The language of a stored `Language` value.
[[nodiscard]] constexpr Language languageOf(int stored) noexcept {
    return stored == 0 ? Language::russian : stored == 1 ? Language::english : Language::neither;
}

/// Whether texts are shown in Russian: only for Language::russian.
[[nodiscard]] constexpr bool isRussian(Language language) noexcept {
    return language == Language::russian;
}

} // namespace vorlex::store
