// Windows-1251 text turned into KOI8-R through a fixed letter mapping, independent of the
// engine's tables under test: what a Russian desktop shows for a KOI8-R file is these bytes
// read as Windows-1251.
#pragma once

#include <string>

namespace vorlex::testing {

inline std::string koiFromWin1251(const std::string& win) {
    static const char* const koiLetters =
        "\xE1\xE2\xF7\xE7\xE4\xE5\xF6\xFA\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0"
        "\xF2\xF3\xF4\xF5\xE6\xE8\xE3\xFE\xFB\xFD\xFF\xF9\xF8\xFC\xE0\xF1"
        "\xC1\xC2\xD7\xC7\xC4\xC5\xD6\xDA\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0"
        "\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1";
    std::string koi;
    koi.reserve(win.size());
    for (char c : win) {
        const auto b = static_cast<unsigned char>(c);
        koi.push_back(b >= 0xC0 ? koiLetters[b - 0xC0] : c);
    }
    return koi;
}

} // namespace vorlex::testing
