#include "engine/latin.h"

#include <array>
#include <string_view>

namespace vorlex::engine {
namespace {

constexpr std::uint8_t kWinCapitalA = 0xC0;
constexpr std::uint8_t kWinSmallA = 0xE0;
constexpr std::uint8_t kWinCapitalYo = 0xA8;
constexpr std::uint8_t kWinSmallYo = 0xB8;
constexpr std::uint8_t kMarkerChar = '\\';
constexpr std::uint8_t kControlLimit = 0x0F; // bytes below this are control characters

// Latin spellings of А..Я (Win 0xC0..0xDF); small letters use the lower-case spelling.
constexpr std::array<std::string_view, 32> kSpellings = {
    "A", "B", "V", "G", "D", "E", "Zh", "Z",  "I",  "J", "K", "L", "M", "N",  "O",  "P",
    "R", "S", "T", "U", "F", "X", "C",  "Ch", "Sh", "W", "~", "Y", "'", "E'", "Yu", "Ya",
};

constexpr std::uint8_t toLowerAscii(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<std::uint8_t>(c | 0x20) : c;
}

constexpr bool isLatinLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool isSmallLatinLetter(std::uint8_t c) {
    return c >= 'a' && c <= 'z';
}

constexpr bool hasCaseBit(std::uint8_t c) {
    return (c & 0x20) != 0;
}

constexpr bool isSignChar(std::uint8_t c) {
    return c == '@' || c == '\'' || c == '`' || c == '~';
}

// Appends bytes to a bounded output; bytes past the end are dropped.
class BoundedWriter {
public:
    explicit BoundedWriter(std::span<std::uint8_t> out) : out_(out) {}
    void put(std::uint8_t c) noexcept {
        if (written_ < out_.size())
            out_[written_++] = c;
    }
    [[nodiscard]] std::size_t written() const noexcept { return written_; }

private:
    std::span<std::uint8_t> out_;
    std::size_t written_ = 0;
};

// Win letter of a single Latin letter (case by bit 0x20 of the Latin letter).
std::uint8_t cyrillicOfLatin(std::uint8_t latin, bool wAsVe) noexcept {
    // Alphabet index (а = 0) of the letter for a..z.
    static constexpr std::array<std::uint8_t, 26> kLetterIndex = {
        0,  1,  22, 4,  5,  20, 3,  21, 8, 9,  10, 11, 12, // a..m: а б ц д е ф г х и й к л м
        13, 14, 15, 25, 16, 17, 18, 19, 2, 25, 21, 27, 7, // n..z: н о п щ р с т у в щ х ы з
    };
    const std::size_t position = static_cast<std::size_t>(toLowerAscii(latin) - 'a');
    std::uint8_t index = kLetterIndex[position];
    if (position == 'w' - 'a' && wAsVe)
        index = 2; // в
    return static_cast<std::uint8_t>((hasCaseBit(latin) ? kWinSmallA : kWinCapitalA) + index);
}

// Capital Win letter of a sign character: @ Э, ' and ` Ь, ~ Ъ.
std::uint8_t capitalOfSign(std::uint8_t sign) noexcept {
    switch (sign) {
    case '@':
        return 0xDD; // Э
    case '~':
        return 0xDA; // Ъ
    default:
        return 0xDC; // Ь
    }
}

struct LetterPair {
    char first;
    char second;
    std::uint8_t capital; // Win capital; the small letter is 0x20 above (Ё: 0x10 above)
};

// Searched in this order; the first match wins.
constexpr std::array<LetterPair, 14> kPairs = {{
    {'s', 'j', 0xD9},  // Щ
    {'j', 'e', 0xC5},  // Е
    {'j', 'u', 0xDE},  // Ю
    {'j', 'a', 0xDF},  // Я
    {'j', 'o', 0xA8},  // Ё
    {'j', '\'', 0xC9}, // Й
    {'j', '`', 0xC9},  // Й
    {'y', 'u', 0xDE},  // Ю
    {'y', 'a', 0xDF},  // Я
    {'y', 'o', 0xA8},  // Ё
    {'z', 'h', 0xC6},  // Ж
    {'c', 'h', 0xD7},  // Ч
    {'s', 'h', 0xD8},  // Ш
    {'e', '\'', 0xDD}, // Э
}};

constexpr std::uint8_t smallOf(std::uint8_t capital) {
    return capital == kWinCapitalYo ? kWinSmallYo : static_cast<std::uint8_t>(capital + 0x20);
}

// Letters compare case-insensitively; the signs ' and ` exactly (folding would turn @ into `).
constexpr bool pairCharMatches(char wanted, std::uint8_t c) {
    if (isLatinLetter(static_cast<std::uint8_t>(wanted)))
        return isLatinLetter(c) && toLowerAscii(c) == static_cast<std::uint8_t>(wanted);
    return c == static_cast<std::uint8_t>(wanted);
}

} // namespace

namespace {

// The Latin spelling of every byte: one or two bytes, and whether the byte is a Cyrillic letter.
struct LatinSpelling {
    std::uint8_t length = 1;
    bool cyrillic = false;
    std::array<std::uint8_t, 2> bytes{};
};

constexpr std::array<LatinSpelling, 256> buildLatinSpellings() {
    std::array<LatinSpelling, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<std::uint8_t>(b);
        LatinSpelling& entry = table[c];
        const bool yo = c == kWinCapitalYo || c == kWinSmallYo;
        if (c < kWinCapitalA && !yo) {
            entry.bytes[0] = c;
            continue;
        }
        const std::string_view spelling =
            yo ? std::string_view("Yo")
               : kSpellings[static_cast<std::size_t>((c - kWinCapitalA) % 32)];
        const bool lower = c >= kWinSmallA || c == kWinSmallYo;
        entry.cyrillic = true;
        entry.length = static_cast<std::uint8_t>(spelling.size());
        for (std::size_t n = 0; n < spelling.size(); ++n) {
            const auto letter = static_cast<std::uint8_t>(spelling[n]);
            entry.bytes[n] = lower ? toLowerAscii(letter) : letter;
        }
    }
    return table;
}
constexpr std::array<LatinSpelling, 256> kLatinSpellings = buildLatinSpellings();

// Writes straight into a buffer the caller has sized for the worst case.
class UncheckedWriter {
public:
    explicit UncheckedWriter(std::span<std::uint8_t> out) : out_(out.data()) {}
    void put(std::uint8_t c) noexcept { out_[written_++] = c; }
    [[nodiscard]] std::size_t written() const noexcept { return written_; }

private:
    std::uint8_t* out_;
    std::size_t written_ = 0;
};

template <class Writer>
std::size_t writeLatin(Writer writer, const std::uint8_t* source, std::size_t end,
                       bool controlToSpace, bool separateEnglish) noexcept {
    bool englishMode = false;
    for (std::size_t i = 0; i < end; ++i) {
        const std::uint8_t c = source[i];
        if (c == 0)
            break;
        const LatinSpelling& spelling = kLatinSpellings[c];
        if (spelling.cyrillic) {
            if (englishMode) {
                writer.put(kMarkerChar);
                writer.put(' ');
                englishMode = false;
            }
            writer.put(spelling.bytes[0]);
            if (spelling.length == 2)
                writer.put(spelling.bytes[1]);
            continue;
        }
        if (separateEnglish && !englishMode && c >= 0x41 && c <= 0x7A) {
            writer.put(kMarkerChar);
            writer.put(' ');
            englishMode = true;
        }
        writer.put(controlToSpace && c < kControlLimit ? ' ' : c);
    }
    return writer.written();
}

} // namespace

std::size_t cyrillicToLatin(std::span<std::uint8_t> out, std::span<const std::uint8_t> source,
                            std::size_t limit, bool controlToSpace, bool separateEnglish) noexcept {
    const std::size_t end = limit < source.size() ? limit : source.size();
    const std::size_t perChar =
        separateEnglish ? kMaxLatinBytesPerChar : kMaxLatinBytesPerCharWithoutMarkers;
    // Checking the bound per byte is only needed when the output may not hold the worst case.
    if (out.size() / perChar >= end)
        return writeLatin(UncheckedWriter(out), source.data(), end, controlToSpace,
                          separateEnglish);
    return writeLatin(BoundedWriter(out), source.data(), end, controlToSpace, separateEnglish);
}

std::size_t latinToCyrillic(std::span<std::uint8_t> out, std::span<const std::uint8_t> source,
                            std::size_t limit, bool controlToSpace, bool wAsVe,
                            bool noSj) noexcept {
    BoundedWriter writer(out);
    // Bytes past the end of the source read as the terminator.
    auto at = [&](std::size_t i) -> std::uint8_t { return i < source.size() ? source[i] : 0; };
    // A control byte counts as a space with the switch on; the zero byte always ends the text.
    auto view = [&](std::uint8_t c) -> std::uint8_t {
        return (controlToSpace && c != 0 && c < kControlLimit) ? ' ' : c;
    };

    bool transliterating = true;
    std::uint8_t previousUnitStart = 0; // 0: no previous unit
    std::size_t i = 0;
    while (i < limit) {
        const std::uint8_t raw = at(i);
        if (raw == 0)
            break;
        const std::uint8_t c = view(raw);
        const std::uint8_t next = view(at(i + 1));
        std::size_t unitLength = 1;

        if (!transliterating) {
            if (c == kMarkerChar && next == ' ') {
                transliterating = true;
                unitLength = 2;
            } else {
                writer.put(c);
            }
        } else if (c == kMarkerChar) {
            if (next == 0) {
                // A backslash just before the terminator produces nothing.
            } else {
                unitLength = 2;
                if (next == ' ')
                    transliterating = false;
                else if (isLatinLetter(next))
                    writer.put(cyrillicOfLatin(next, wAsVe));
                else
                    writer.put(next); // backslash, sign characters and anything else as they are
            }
        } else if (c == '^' || c == '_') {
            if (isSignChar(next)) {
                const std::uint8_t capital = capitalOfSign(next);
                writer.put(c == '^' ? capital : smallOf(capital));
                unitLength = 2;
            } else if (next != 0) {
                writer.put(c);
            }
        } else {
            const LetterPair* pair = nullptr;
            for (const LetterPair& candidate : kPairs) {
                if (noSj && candidate.first == 's' && candidate.second == 'j')
                    continue;
                if (pairCharMatches(candidate.first, c) &&
                    pairCharMatches(candidate.second, next)) {
                    pair = &candidate;
                    break;
                }
            }
            if (pair) {
                const bool small = hasCaseBit(c) && hasCaseBit(next);
                writer.put(small ? smallOf(pair->capital) : pair->capital);
                unitLength = 2;
            } else if (isSignChar(c)) {
                const bool quote = c == '\'' || c == '`';
                const bool afterLetterLike = previousUnitStart >= 0x40 && previousUnitStart <= 0x7A;
                if (quote && !afterLetterLike) {
                    writer.put(c);
                } else {
                    const bool small =
                        isSmallLatinLetter(previousUnitStart) || isSmallLatinLetter(next);
                    const std::uint8_t capital = capitalOfSign(c);
                    writer.put(small ? smallOf(capital) : capital);
                }
            } else if (isLatinLetter(c)) {
                writer.put(cyrillicOfLatin(c, wAsVe));
            } else {
                writer.put(c);
            }
        }
        previousUnitStart = c;
        i += unitLength;
    }
    return writer.written();
}

} // namespace vorlex::engine
