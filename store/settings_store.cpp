#include "store/settings_store.h"

#include <charconv>
#include <system_error>

namespace vorlex::store {

std::string errorMessage(int code) {
    // std::strerror is not thread-safe; the generic category gives the same text.
    return std::generic_category().message(code);
}

std::optional<int> parseStoredInt(std::string_view text) noexcept {
    int value = 0;
    const char* const end = text.data() + text.size();
    // from_chars takes no leading blanks or '+', and reports overflow instead of wrapping.
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

bool isValidStoreName(std::string_view name) noexcept {
    return !name.empty() && name.find_first_of("/\\") == std::string_view::npos;
}

} // namespace vorlex::store
