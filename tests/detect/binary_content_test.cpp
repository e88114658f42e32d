#include "detect/binary_content.h"

#include <gtest/gtest.h>
#include <string>

namespace vorlex::detect {
namespace {

std::span<const std::uint8_t> head(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(BinaryContent, BinaryFilesAreToldByANulByteOrASignature) {
    for (const std::string_view binary :
         {std::string_view("text\0more", 9),
          std::string_view("\x7f"
                           "ELF\2\1\1"),
          std::string_view("\x89PNG\r\n\x1a\n"), std::string_view("\xff\xd8\xff\xe0"),
          std::string_view("GIF89a"), std::string_view("PK\x03\x04"), std::string_view("%PDF-1.7")})
        EXPECT_TRUE(looksBinary(head(binary))) << binary;
    // Cyrillic bytes of any code page, and short starts of the signatures, are text.
    for (const std::string_view text :
         {std::string_view("\xff\xd8 \xcf\xf0\xe8\xe2\xe5\xf2"), std::string_view("PK"),
          std::string_view(""), std::string_view("GIF is a format")})
        EXPECT_FALSE(looksBinary(head(text))) << text;
}

} // namespace
} // namespace vorlex::detect
