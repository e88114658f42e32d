#include "engine/cp1251.h"
#include "engine/unicode_input.h"
#include "tests/engine/test_support.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace vorlex::engine {
namespace {

using test::Bytes;
using test::iconvConvert;
using test::toBytes;

// The code point of one Windows-1251 byte according to glibc, or nullopt where it has none.
std::optional<char32_t> iconvCodePoint(std::uint8_t byte) {
    const auto utf32 = iconvConvert("CP1251", "UTF-32LE", std::string(1, static_cast<char>(byte)));
    if (!utf32 || utf32->size() != 4)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(utf32->data());
    return static_cast<char32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24));
}

TEST(Cp1251, EveryByteRoundTripsThroughUnicode) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const char32_t cp = win1251ToUnicode(byte);
        const auto back = unicodeToWin1251(cp);
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, byte) << b;
    }
}

TEST(Cp1251, AsciiIsItselfAnd0x98IsU0098) {
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(win1251ToUnicode(static_cast<std::uint8_t>(b)), static_cast<char32_t>(b));
    EXPECT_EQ(win1251ToUnicode(0x98), U'\u0098');
    EXPECT_EQ(unicodeToWin1251(U'\u0098'), std::optional<std::uint8_t>(0x98));
}

TEST(Cp1251, UpperHalfAgreesWithIconv) {
    int compared = 0;
    for (int b = 0x80; b < 0x100; ++b) {
        const auto expected = iconvCodePoint(static_cast<std::uint8_t>(b));
        if (!expected)
            continue;
        ++compared;
        EXPECT_EQ(win1251ToUnicode(static_cast<std::uint8_t>(b)), *expected) << std::hex << b;
        EXPECT_EQ(unicodeToWin1251(*expected), std::optional<std::uint8_t>(b)) << std::hex << b;
    }
    EXPECT_GE(compared, 127);
}

TEST(Cp1251, CharactersWithoutAByte) {
    EXPECT_FALSE(unicodeToWin1251(U'\u4E2D').has_value());
    EXPECT_FALSE(unicodeToWin1251(U'\u0080').has_value()); // 0x80 is Ђ, not U+0080
    EXPECT_FALSE(unicodeToWin1251(U'\u00E9').has_value());
    EXPECT_FALSE(unicodeToWin1251(U'\U0001F600').has_value());
    EXPECT_FALSE(unicodeToWin1251(0x110000).has_value());
    EXPECT_EQ(unicodeToWin1251(U'€'), std::optional<std::uint8_t>(0x88));
    EXPECT_EQ(unicodeToWin1251(U'Ё'), std::optional<std::uint8_t>(0xA8));
}

TEST(Cp1251, DecodeToUtf8) {
    EXPECT_EQ(win1251ToUtf8(std::string_view("\xD9\xF3\xEA\xE0 \xB8\xE6")), "Щука ёж");
    EXPECT_EQ(win1251ToUtf8(std::string_view("")), "");
    EXPECT_EQ(win1251ToUtf8(std::string_view("\x98")), "\xC2\x98");
    std::string all, allButUnassigned;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
        if (b != 0x98)
            allButUnassigned += static_cast<char>(b);
    }
    const auto expected = iconvConvert("CP1251", "UTF-8", allButUnassigned);
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(win1251ToUtf8(std::string_view(allButUnassigned)), *expected);
    const Bytes allBytes = toBytes(all);
    const std::string decoded = win1251ToUtf8(std::span<const std::uint8_t>(allBytes));
    const auto reencoded = utf8ToWin1251(decoded);
    ASSERT_TRUE(reencoded.ok());
    EXPECT_EQ(reencoded.bytes, all);
}

TEST(Cp1251, EncodeFromUtf8) {
    const auto result = utf8ToWin1251("Привет, мир! €—«»№");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.bytes, *iconvConvert("UTF-8", "CP1251", "Привет, мир! €—«»№"));
    const auto empty = utf8ToWin1251("");
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.error, Utf8ToWin1251Result::Error::none);
    EXPECT_EQ(empty.bytes, "");
    const auto nul = utf8ToWin1251(std::string_view("a\0b", 3));
    ASSERT_TRUE(nul.ok());
    EXPECT_EQ(nul.bytes, std::string("a\0b", 3));
}

TEST(Cp1251, UnmappableCharacterIsReportedWithItsPosition) {
    const auto ascii = utf8ToWin1251("ab中cd");
    EXPECT_FALSE(ascii.ok());
    EXPECT_EQ(ascii.error, Utf8ToWin1251Result::Error::unmappable);
    EXPECT_EQ(ascii.errorOffset, 2u);
    EXPECT_EQ(ascii.errorIndex, 2u);
    EXPECT_EQ(ascii.errorCodePoint, U'\u4E2D');
    EXPECT_EQ(ascii.bytes, "ab");

    // Offsets count bytes, indices count characters.
    const auto cyrillic = utf8ToWin1251("аб€中");
    EXPECT_EQ(cyrillic.error, Utf8ToWin1251Result::Error::unmappable);
    EXPECT_EQ(cyrillic.errorOffset, 7u);
    EXPECT_EQ(cyrillic.errorIndex, 3u);
    EXPECT_EQ(cyrillic.errorCodePoint, U'\u4E2D');
    EXPECT_EQ(cyrillic.bytes, "\xE0\xE1\x88");

    const auto emoji = utf8ToWin1251("\xF0\x9F\x98\x80");
    EXPECT_EQ(emoji.error, Utf8ToWin1251Result::Error::unmappable);
    EXPECT_EQ(emoji.errorOffset, 0u);
    EXPECT_EQ(emoji.errorIndex, 0u);
    EXPECT_EQ(emoji.errorCodePoint, U'\U0001F600');
}

TEST(Cp1251, InvalidUtf8IsReportedWithItsPosition) {
    struct Case {
        std::string input;
        std::size_t offset;
        std::size_t index;
    };
    const Case cases[] = {
        {"ab\xFF"
         "cd",
         2, 2},
        {"\xD0\x90\x80", 2, 1}, // stray continuation byte
        {"a\xD0", 1, 1},        // truncated at the end
        {"a\xD0"
         "b",
         1, 1},                                 // truncated before another character
        {"\xC0\x80", 0, 0},                     // overlong zero
        {"\xE0\x80\xAF", 0, 0},                 // overlong slash
        {"\xED\xA0\x80", 0, 0},                 // surrogate
        {"x\xF4\x90\x80\x80", 1, 1},            // above U+10FFFF
        {"\xD1\x91\xF8\x88\x80\x80\x80", 2, 1}, // five-byte form
    };
    for (const Case& c : cases) {
        const auto result = utf8ToWin1251(c.input);
        EXPECT_EQ(result.error, Utf8ToWin1251Result::Error::invalidUtf8)
            << test::hex(toBytes(c.input));
        EXPECT_EQ(result.errorOffset, c.offset) << test::hex(toBytes(c.input));
        EXPECT_EQ(result.errorIndex, c.index) << test::hex(toBytes(c.input));
    }
}

TEST(UnicodeInput, WesternTextIsTakenAsTheBytesItShows) {
    // "Привет" in Windows-1251 shown as Latin-1, and Windows-1252's Ž œ € beside é.
    EXPECT_EQ(utf8ToEightBit("Ïðèâåò").bytes, "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(utf8ToEightBit("Žœ€é").bytes, "\x8E\x9C\x80\xE9");
    EXPECT_EQ(utf16ToEightBit(u"Žœ€é").bytes, "\x8E\x9C\x80\xE9");
    // Cyrillic stays Windows-1251; a mix that neither covers is the first character's error.
    EXPECT_EQ(utf8ToEightBit("Жук").bytes, win1251Literal("Жук"));
    const Utf8ToWin1251Result mixed = utf8ToEightBit("Жé");
    EXPECT_EQ(mixed.error, Utf8ToWin1251Result::Error::unmappable);
    EXPECT_EQ(mixed.errorCodePoint, U'é');
    const Utf8ToWin1251Result broken = utf8ToEightBit("é\xFF");
    EXPECT_EQ(broken.error, Utf8ToWin1251Result::Error::invalidUtf8);
    EXPECT_EQ(broken.errorOffset, 2u);
}

TEST(Cp1251, LiteralsOfProgramConstants) {
    EXPECT_EQ(win1251Literal("Перекодировок не производилось!"),
              *iconvConvert("UTF-8", "CP1251", "Перекодировок не производилось!"));
    EXPECT_EQ(win1251Literal("Auto"), "Auto");
    EXPECT_EQ(win1251Literal("a中b"), "a?b");
    EXPECT_EQ(win1251Literal(""), "");
}

} // namespace
} // namespace vorlex::engine
