#include "detect/binary_content.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vorlex::detect {

bool looksBinary(std::span<const std::uint8_t> head) noexcept {
    if (std::find(head.begin(), head.end(), std::uint8_t{0}) != head.end())
        return true;
    // Executables, images and compressed archives: none of them holds text to repair.
    static constexpr std::array<std::string_view, 9> kSignatures{"\x7f"
                                                                 "ELF",
                                                                 "\x89PNG\r\n",
                                                                 "\xff\xd8\xff",
                                                                 "GIF87a",
                                                                 "GIF89a",
                                                                 "PK\x03\x04",
                                                                 "\x1f\x8b",
                                                                 "%PDF-",
                                                                 "\xfd"
                                                                 "7zXZ"};
    const std::string_view start(reinterpret_cast<const char*>(head.data()), head.size());
    return std::any_of(kSignatures.begin(), kSignatures.end(),
                       [&](std::string_view magic) { return start.starts_with(magic); });
}

} // namespace vorlex::detect
