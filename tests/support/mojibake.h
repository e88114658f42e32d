// The damages Russian text suffers on its way through Unicode, as the tests build them: each
// family turns correct UTF-8 text into the mojibake a user pastes.
#pragma once

#include "engine/unicode_views.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::test {

using engine::DisplayPage;

/// UTF-8 text encoded through `stored` (a page, or UTF-8 when nullopt) and shown through `shown`.
inline std::string misread(std::string_view utf8, std::optional<DisplayPage> stored,
                           DisplayPage shown) {
    const std::string bytes =
        stored ? engine::viewThrough(utf8, *stored).value_or(std::string()) : std::string(utf8);
    return engine::showThrough(bytes, shown);
}

struct MojibakeFamily {
    std::string_view name;
    std::string (*damage)(std::string_view utf8);
};

/// The nine families of damage, numbered from 1 as users report them.
inline const std::array<MojibakeFamily, 10>& mojibakeFamilies() {
    static const std::array<MojibakeFamily, 10> families = {{
        {"Utf8AsWin", [](std::string_view s) { return misread(s, {}, DisplayPage::windows1251); }},
        {"Utf8AsKoi", [](std::string_view s) { return misread(s, {}, DisplayPage::koi8r); }},
        {"Utf8AsAlt", [](std::string_view s) { return misread(s, {}, DisplayPage::cp866); }},
        {"Utf8AsWestern",
         [](std::string_view s) { return misread(s, {}, DisplayPage::windows1252); }},
        {"WinAsWestern",
         [](std::string_view s) {
             return misread(s, DisplayPage::windows1251, DisplayPage::windows1252);
         }},
        {"KoiAsLatin1",
         [](std::string_view s) { return misread(s, DisplayPage::koi8r, DisplayPage::latin1); }},
        {"AltAsCp437",
         [](std::string_view s) { return misread(s, DisplayPage::cp866, DisplayPage::cp437); }},
        {"Utf8AsWinTwice",
         [](std::string_view s) {
             return misread(misread(s, {}, DisplayPage::windows1251), {}, DisplayPage::windows1251);
         }},
        {"KoiAsWin",
         [](std::string_view s) {
             return misread(s, DisplayPage::koi8r, DisplayPage::windows1251);
         }},
        {"AltAsWin",
         [](std::string_view s) {
             return misread(s, DisplayPage::cp866, DisplayPage::windows1251);
         }},
    }};
    return families;
}

} // namespace vorlex::test
