#include "detect/refined_ranking.h"

#include "detect/candidates.h"
#include "detect/chain_readings.h"
#include "detect/list_line.h"
#include "detect/word_forms.h"
#include "engine/code_tables.h"
#include "engine/recode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORLEX_REFINED_AVX2 1 // eight readings or units at a time where the processor has AVX2
#endif

namespace vorlex::detect {
namespace {

using engine::ByteMap;
using engine::FilterList;

// Symbols of the bigram model: the small letters а..я (0..31), ё (32), a word boundary (33) and
// the punctuation marks of Russian text from 0x80 up (34).
constexpr int kModelSymbols = 35;
constexpr int kBoundarySymbol = 33;
constexpr int kPunctuationSymbol = 34;
constexpr std::array<float, kModelSymbols* kModelSymbols> kBigramLog = {
#include "detect/bigram_table.inc"
};
// Cost of the case of a letter after a word boundary, a small letter and a capital (columns:
// small, capital): a capital after a small letter in one word almost never happens in real text.
// Otherwise case costs nothing per letter; the share of capitals is weighed once per text.
constexpr std::array<float, 6> kCaseCost = {0.0f, 0.0f, 0.0f, -10.0f, 0.0f, 0.0f};

// What an output byte is to the ranking: a small letter (model symbol), a capital (symbol + 33),
// a word boundary, a punctuation mark found in Russian text from 0x80 up, or a byte no Russian
// text holds (Ukrainian, Serbian and Macedonian letters, unassigned 0x98 and rare signs).
constexpr int kCapital = 33;
constexpr int kBoundaryClass = 66;
constexpr int kPunctuationClass = 67;
constexpr int kOddClass = 68;
constexpr int kClasses = 69;

// Weights, in nats (the model's own unit), tuned on held-out manual pages.
constexpr float kOddByteCost = -9.0f; // about the cost of the rarest letter pair
constexpr double kMixedCaseWordCost = -5.0;
/// Times the share of capitals among the letters: of two readings that differ only in case
/// (Win and Iso letters swap case), the one in small letters wins, while a text in capitals
/// still wins over a reading that damages other letters.
constexpr double kCapitalShareCost = -3.0;
constexpr double kDictionaryHitGain = 1.0;
/// Besides the odd byte's own cost, for one beside a Cyrillic letter: inside a word it stands
/// for a letter.
constexpr double kOddBesideLetterCost = -6.0;
/// A mark on a side of a letter where Russian text does not put it (kMarkSides).
constexpr double kMisplacedMarkCost = -6.0;
/// A capitalised word after a small letter and a space: 1-3.5% of the words there in held-out
/// text (names of menus and buttons in help pages), about e^-4.
constexpr double kMidSentenceCapitalCost = -4.0;
/// A lone capital after a small letter and a space (0.2-0.6% of the lone letters there), or a
/// lone letter glued to a Latin letter, digit, bracket or placeholder sign (about 0.2%).
constexpr double kStrayLetterCost = -6.0;
/// A word glued to a closing bracket, percent sign or closing quote (gluesWord).
constexpr double kGluedWordCost = -6.0;
/// A quote that opens a word with none to close it after: Mac Cyrillic read as Windows-1251
/// shows the capitals Д, У and Ф as „ “ ” ("“становите" for "Установите").
constexpr double kUnclosedQuoteCost = -6.0;
/// Per filter: each filter of a chain is one of twelve, so a chain one filter longer is one of
/// twelve times as many (ln 12 = 2.48).
constexpr double kFilterCost = -2.5;
/// Per word found in the list of word forms: decides a lone capital or a short word.
constexpr double kKnownWordGain = 2.0;
/// The text as it is needs no explanation: a small preference over any recoding.
constexpr double kAsItIsGain = 1.5;
/// Belief falls by e for every kTemperature nats a candidate trails the first.
constexpr double kTemperature = 2.0;
/// The first two are "ambiguous" when the second keeps at least a quarter of the first's belief.
constexpr double kAmbiguityRatio = 0.25;
/// The text as it is may be kept against a recoding that changes no word for a better one
/// (asItIsHolds) from this plausibility up, or when it is mostly real words and the recoding
/// still holds this many odd bytes and words of mixed case.
constexpr double kKeepAsItIsFrom = 0.5;
constexpr int kOdditiesOfGarbage = 2;
/// How many of the first recodings the text as it is is weighed against by words.
constexpr std::size_t kCloseRecodings = 3;
/// A reading is as plausible as the same letters in the other case from this many letters on,
/// and where the other case is at least this plausible.
constexpr int kOtherCaseLetters = 8;
constexpr double kOtherCasePlausibleFrom = 0.25;
/// Candidates judged in full after the bigram pre-ranking.
constexpr std::size_t kFinalists = 24;
/// The rough pre-ranking: how many of the most frequent byte pairs, and how many candidates it
/// passes on to the whole bigram score.
constexpr std::size_t kRoughPairs = 16;
constexpr std::size_t kRoughSurvivors = 600;
/// A second, finer pre-ranking on more pairs before the whole bigram score.
constexpr std::size_t kFinerPairs = 128;
constexpr std::size_t kFinerSurvivors = 150;
/// The whole-document check: by how much (nats, at least, or per scored pair of the document)
/// another of the first kDocumentCandidates must beat the first.
constexpr double kDocumentMargin = 20.0;
constexpr double kDocumentMarginShare = 0.002;

constexpr bool isAsciiLetter(std::uint8_t byte) {
    return (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
}
constexpr bool isAsciiDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}
constexpr bool isNameByte(std::uint8_t byte) {
    return isAsciiLetter(byte) || isAsciiDigit(byte) || byte == '_';
}
constexpr bool isOneOf(std::uint8_t byte, std::string_view set) {
    return byte != 0 && set.find(static_cast<char>(byte)) != std::string_view::npos;
}

constexpr bool isPunctuation(std::uint8_t byte) {
    switch (byte) {
    // « » „ “ ” – — … № ° and the no-break space, as the model counts them.
    case 0x84:
    case 0x85:
    case 0x93:
    case 0x94:
    case 0x96:
    case 0x97:
    case 0xA0:
    case 0xAB:
    case 0xB0:
    case 0xB9:
    case 0xBB:
        return true;
    default:
        return false;
    }
}

constexpr std::array<std::uint8_t, 256> buildClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 256; ++b) {
        int c = kOddClass;
        if (b < 0x80)
            c = kBoundaryClass;
        else if (b >= 0xE0)
            c = b - 0xE0;
        else if (b >= 0xC0)
            c = kCapital + b - 0xC0;
        else if (b == 0xB8)
            c = 32;
        else if (b == 0xA8)
            c = kCapital + 32;
        else if (isPunctuation(static_cast<std::uint8_t>(b)))
            c = kPunctuationClass;
        classes[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(c);
    }
    return classes;
}
constexpr std::array<std::uint8_t, 256> kClassOf = buildClasses();

constexpr bool isLetterClass(int c) {
    return c < kBoundaryClass;
}

// Which sides of a mark from 0x80 up a Cyrillic letter may touch in Russian text: opening
// quotes stand before a word, closing ones and the ellipsis after it, “ and ” on either side
// (“ opens English quotes and closes Russian „…“), the no-break space anywhere; dashes and №
// stand apart. Measured on held-out text, a letter on any other side occurs about once in a
// thousand marks, while damage puts letters there all the time ("…сли", "–роцент").
constexpr std::uint8_t kLetterBefore = 1;
constexpr std::uint8_t kLetterAfter = 2;
constexpr std::uint8_t kLetterAround = 4; // a letter on both sides at once
constexpr std::array<std::uint8_t, 256> buildMarkSides() {
    std::array<std::uint8_t, 256> sides{};
    sides[0xAB] = sides[0x84] = kLetterAfter;  // « „
    sides[0xBB] = sides[0x85] = kLetterBefore; // » …
    sides[0x93] = sides[0x94] = kLetterBefore | kLetterAfter;
    sides[0xB0] = kLetterAfter; // °С
    sides[0xA0] = kLetterBefore | kLetterAfter | kLetterAround;
    return sides;
}
constexpr std::array<std::uint8_t, 256> kMarkSides = buildMarkSides();

/// Whether an ASCII byte before (`before`) or after a lone letter shows that the letter is no
/// word: a Latin letter or digit, a closing bracket before it, an opening one after it, a
/// placeholder's sign on either side ("З2И", "З{ $name }И", "С%S“"). About one lone letter in
/// 500 of held-out text has one of these beside it.
constexpr bool gluesLoneLetter(std::uint8_t byte, bool before) {
    return isAsciiDigit(byte) || isAsciiLetter(byte) || isOneOf(byte, "%${}") ||
           (before ? byte == ')' || byte == ']' : byte == '(' || byte == '[');
}

/// Whether a Cyrillic word right after `text[i - 1]` (ASCII) is glued to the end of something:
/// a closing bracket, a percent sign, a Latin letter, or a quote that closes (with no space
/// before it). Russian text puts a space there; a no-break space and a dash read as two letters
/// do not ("50%КР", "\"?\"КР", "nnnnКР", "{!DC-EDITOR}со" for "50% –").
constexpr bool gluesWord(const std::uint8_t* bytes, std::size_t i) {
    const std::uint8_t before = bytes[i - 1];
    if (before == ')' || before == ']' || before == '}' || before == '%')
        return true;
    if (isAsciiLetter(before)) {
        // Not the n of an escape such as \n, nor the letter of a placeholder such as %S.
        const std::uint8_t sign = i >= 2 ? bytes[i - 2] : ' ';
        return !(sign == '%' || sign == '$' ||
                 (sign == '\\' && (before == 'n' || before == 't' || before == 'r')));
    }
    return before == '"' && i >= 2 && bytes[i - 2] > ' ' && bytes[i - 2] != '(' &&
           bytes[i - 2] != '[' && bytes[i - 2] != '{' && bytes[i - 2] != '"';
}

constexpr std::array<float, kClasses * kClasses> buildTransitions() {
    std::array<float, kClasses * kClasses> cost{};
    for (int a = 0; a < kClasses; ++a)
        for (int b = 0; b < kClasses; ++b) {
            auto symbol = [](int c) {
                return isLetterClass(c)         ? c % kCapital
                       : c == kPunctuationClass ? kPunctuationSymbol
                                                : kBoundarySymbol;
            };
            const int sa = symbol(a), sb = symbol(b);
            float c = 0;
            if (sa != kBoundarySymbol || sb != kBoundarySymbol)
                c = kBigramLog[static_cast<std::size_t>(sa * kModelSymbols + sb)];
            if (isLetterClass(b)) {
                const int before = !isLetterClass(a) ? 0 : a < kCapital ? 1 : 2;
                c += kCaseCost[static_cast<std::size_t>(before * 2 + (b < kCapital ? 0 : 1))];
            }
            cost[static_cast<std::size_t>(a * kClasses + b)] = c;
        }
    return cost;
}
constexpr std::array<float, kClasses* kClasses> kTransition = buildTransitions();

constexpr float unigramCost(int c) {
    return c == kOddClass ? kOddByteCost : 0.0f;
}

float transition(std::uint8_t a, std::uint8_t b) {
    return kTransition[static_cast<std::size_t>(kClassOf[a] * kClasses + kClassOf[b])];
}

/// The sample text as the ranking sees it: its distinct high bytes, and its neighbouring byte
/// pairs with how often each occurs. An operand below 128 is the index of a high byte; from
/// 128 up it is the fixed class of a byte below 0x80 plus 128.
struct TextShape {
    std::array<std::uint8_t, 128> highBytes{};
    std::size_t highCount = 0;
    std::size_t highPositions = 0;
    std::array<std::uint8_t, 256> indexOf{};
    struct Pair {
        std::uint16_t a, b;
        float count;
    };
    std::vector<Pair> pairs;
    std::vector<std::uint16_t> highOccurrences; // per high-byte index
};

/// Sorts pair codes (two operands below 256, in the two low bytes of each half) in two
/// counting passes, second operand first: the same order as a comparison sort, in linear time.
void sortPairCodes(std::vector<std::uint32_t>& codes) {
    std::vector<std::uint32_t> other(codes.size());
    for (const int shift : {0, 16}) {
        std::array<std::uint32_t, 257> start{};
        for (const std::uint32_t code : codes)
            ++start[((code >> shift) & 0xFF) + 1];
        for (std::size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        for (const std::uint32_t code : codes)
            other[start[(code >> shift) & 0xFF]++] = code;
        codes.swap(other);
    }
}

TextShape shapeOf(std::string_view text) {
    TextShape shape;
    std::array<bool, 256> present{};
    for (char ch : text)
        present[static_cast<std::uint8_t>(ch)] = true;
    for (int b = 0x80; b < 256; ++b)
        if (present[static_cast<std::size_t>(b)]) {
            shape.indexOf[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(shape.highCount);
            shape.highBytes[shape.highCount++] = static_cast<std::uint8_t>(b);
        }
    shape.highOccurrences.assign(shape.highCount, 0);
    auto operand = [&shape](std::uint8_t byte) -> std::uint16_t {
        return byte >= 0x80 ? shape.indexOf[byte]
                            : static_cast<std::uint16_t>(128 + kClassOf[byte]);
    };
    std::vector<std::uint32_t> codes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto a = static_cast<std::uint8_t>(text[i]);
        if (a >= 0x80) {
            ++shape.highOccurrences[shape.indexOf[a]];
            ++shape.highPositions;
        }
        if (i + 1 == text.size())
            break;
        const auto b = static_cast<std::uint8_t>(text[i + 1]);
        if (a < 0x80 && b < 0x80)
            continue; // the same for every chain
        codes.push_back(static_cast<std::uint32_t>(operand(a)) << 16 | operand(b));
    }
    sortPairCodes(codes);
    for (std::size_t i = 0; i < codes.size();) {
        std::size_t j = i;
        while (j < codes.size() && codes[j] == codes[i])
            ++j;
        shape.pairs.push_back({static_cast<std::uint16_t>(codes[i] >> 16),
                               static_cast<std::uint16_t>(codes[i] & 0xFFFF),
                               static_cast<float>(j - i)});
        i = j;
    }
    // Most frequent first, so that a prefix of the pairs gives a first rough score.
    std::stable_sort(
        shape.pairs.begin(), shape.pairs.end(),
        [](const TextShape::Pair& x, const TextShape::Pair& y) { return x.count > y.count; });
    return shape;
}

/// Classes of a chain's output: entries 0..127 for the sample's high bytes (filled per chain),
/// 128 + c holding the fixed class c of bytes below 0x80.
struct ClassScratch {
    std::array<std::uint8_t, 128 + kClasses> classOf{};
    ClassScratch() {
        for (int c = 0; c < kClasses; ++c)
            classOf[static_cast<std::size_t>(128 + c)] = static_cast<std::uint8_t>(c);
    }
};

/// What a reading makes of the sample's high byte number `i`.
std::uint8_t mappedHigh(const TextShape& shape, const HighMap& map, std::size_t i) {
    return map[shape.highBytes[i] - 0x80u];
}

#ifdef VORLEX_REFINED_AVX2
/// The sums of bigramScores for eight readings at once with AVX2: `classes` holds the class of
/// each operand for the eight readings side by side, `sums` their sums so far, `oddCosts` what
/// an odd byte adds at the start (none when the sums go on). Each sum adds the same rounded
/// products in the same order as one reading's sum alone.
__attribute__((target("avx2"))) void sumEightReadings(std::span<const TextShape::Pair> pairs,
                                                      const std::uint8_t* classes, float* sums,
                                                      std::span<const float> oddCosts) {
    __m256 total = _mm256_loadu_ps(sums);
    const __m256i width = _mm256_set1_epi32(kClasses);
    const auto classesOf = [classes](std::uint16_t operand) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(classes + operand * 8u));
    };
    // First what the odd bytes among the high bytes cost, in their order (+0 for the others).
    const __m256i odd = _mm256_set1_epi32(kOddClass);
    for (std::size_t i = 0; i < oddCosts.size(); ++i) {
        const __m256i isOdd =
            _mm256_cmpeq_epi32(_mm256_cvtepu8_epi32(classesOf(static_cast<std::uint16_t>(i))), odd);
        total = _mm256_add_ps(
            total, _mm256_and_ps(_mm256_castsi256_ps(isOdd), _mm256_set1_ps(oddCosts[i])));
    }
    for (const TextShape::Pair& pair : pairs) {
        const __m256i a = _mm256_cvtepu8_epi32(classesOf(pair.a));
        const __m256i b = _mm256_cvtepu8_epi32(classesOf(pair.b));
        const __m256 cost = _mm256_i32gather_ps(
            kTransition.data(), _mm256_add_epi32(_mm256_mullo_epi32(a, width), b), 4);
        total = _mm256_add_ps(total, _mm256_mul_ps(_mm256_set1_ps(pair.count), cost));
    }
    _mm256_storeu_ps(sums, total);
}

#endif

/// The bigram part of the score of each reading of `indices` over the first `pairCount` pairs,
/// into `scores` (by reading).
/// Readings are scored eight at a time with AVX2, else four at a time, so that their chains of
/// additions overlap. With
/// `resumeAt` set, `scores` holds each reading's score over the first `resumeAt` pairs, and the
/// sums go on from there: the same additions in the same order as a sum from the start.
void bigramScores(const TextShape& shape, const SampleReadings& readings,
                  const std::vector<std::size_t>& indices, std::size_t pairCount,
                  std::vector<float>& scores, std::size_t resumeAt = 0) {
    constexpr std::size_t kLanes = 4;
    std::array<ClassScratch, kLanes> lanes;
    std::size_t r = 0;
    const std::span<const TextShape::Pair> pairs =
        std::span(shape.pairs).first(pairCount).subspan(resumeAt);
    const auto start = [&](const HighMap& map, ClassScratch& scratch, float& total) {
        std::array<std::uint8_t, 128 + kClasses>& classOf = scratch.classOf;
        for (std::size_t i = 0; i < shape.highCount; ++i) {
            classOf[i] = kClassOf[mappedHigh(shape, map, i)];
            if (resumeAt == 0 && classOf[i] == kOddClass)
                total += shape.highOccurrences[i] * unigramCost(classOf[i]);
        }
    };
#ifdef VORLEX_REFINED_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && indices.size() >= 8) {
        std::array<std::uint8_t, (128 + kClasses) * 8> classes{};
        for (std::size_t c = 0; c < kClasses; ++c)
            std::fill_n(classes.begin() + static_cast<std::ptrdiff_t>((128 + c) * 8), 8,
                        static_cast<std::uint8_t>(c));
        // What an odd byte adds at the start, per high byte: start's products.
        std::array<float, 128> oddCosts{};
        for (std::size_t i = 0; i < shape.highCount && resumeAt == 0; ++i)
            oddCosts[i] = shape.highOccurrences[i] * unigramCost(kOddClass);
        for (; r + 8 <= indices.size(); r += 8) {
            std::array<float, 8> total{};
            for (std::size_t k = 0; k < 8; ++k) {
                if (resumeAt != 0)
                    total[k] = scores[indices[r + k]];
                const HighMap& map = readings.map(indices[r + k]);
                for (std::size_t i = 0; i < shape.highCount; ++i)
                    classes[i * 8 + k] = kClassOf[mappedHigh(shape, map, i)];
            }
            sumEightReadings(pairs, classes.data(), total.data(),
                             std::span(oddCosts).first(resumeAt == 0 ? shape.highCount : 0));
            for (std::size_t k = 0; k < 8; ++k)
                scores[indices[r + k]] = total[k];
        }
    }
#endif
    for (; r + kLanes <= indices.size(); r += kLanes) {
        std::array<float, kLanes> total{};
        for (std::size_t k = 0; k < kLanes; ++k) {
            if (resumeAt != 0)
                total[k] = scores[indices[r + k]];
            start(readings.map(indices[r + k]), lanes[k], total[k]);
        }
        // The lanes spelt out, so that each sum stays in a register.
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            float sums[] = {total[K]...};
            for (const TextShape::Pair& pair : pairs)
                ((sums[K] += pair.count *
                             kTransition[static_cast<std::size_t>(
                                 lanes[K].classOf[pair.a] * kClasses + lanes[K].classOf[pair.b])]),
                 ...);
            ((scores[indices[r + K]] = sums[K]), ...);
        }
        (std::make_index_sequence<kLanes>());
    }
    for (; r < indices.size(); ++r) {
        float total = resumeAt != 0 ? scores[indices[r]] : 0.0f;
        start(readings.map(indices[r]), lanes.front(), total);
        const std::array<std::uint8_t, 128 + kClasses>& classOf = lanes.front().classOf;
        for (const TextShape::Pair& pair : pairs)
            total +=
                pair.count *
                kTransition[static_cast<std::size_t>(classOf[pair.a] * kClasses + classOf[pair.b])];
        scores[indices[r]] = total;
    }
}

/// The rough score of the first pre-ranking: the bigram part over the first `pairCount` pairs
/// alone, mapping only the bytes those pairs hold; an odd byte costs as in a pair's second place.
float roughScore(const TextShape& shape, const HighMap& map, std::size_t pairCount) {
    float total = 0;
    for (const TextShape::Pair& pair : std::span(shape.pairs).first(pairCount)) {
        const int a = pair.a < 128 ? kClassOf[mappedHigh(shape, map, pair.a)] : pair.a - 128;
        const int b = pair.b < 128 ? kClassOf[mappedHigh(shape, map, pair.b)] : pair.b - 128;
        total +=
            pair.count * (kTransition[static_cast<std::size_t>(a * kClasses + b)] + unigramCost(b));
    }
    return total;
}

/// The cost of a pair of classes as roughScore adds it: the transition and the second byte's
/// own cost, summed as floats as there.
constexpr std::array<float, kClasses * kClasses> buildRoughCosts() {
    std::array<float, kClasses * kClasses> cost{};
    for (int a = 0; a < kClasses; ++a)
        for (int b = 0; b < kClasses; ++b)
            cost[static_cast<std::size_t>(a * kClasses + b)] =
                kTransition[static_cast<std::size_t>(a * kClasses + b)] + unigramCost(b);
    return cost;
}
constexpr std::array<float, kClasses* kClasses> kRoughCost = buildRoughCosts();

/// The class every search map gives each high byte, one column a byte: entry [b - 0x80][g] is
/// the class search map g makes of byte b. Built on first use and never changed afterwards.
struct SearchClassColumns {
    std::size_t maps = 0;
    std::vector<std::uint8_t> classes;
    [[nodiscard]] const std::uint8_t* column(std::uint8_t byte) const noexcept {
        return classes.data() + static_cast<std::size_t>(byte - 0x80u) * maps;
    }
};

const SearchClassColumns& searchClassColumns() {
    static const SearchClassColumns columns = [] {
        const std::span<const HighMap> maps = searchReadingMaps();
        SearchClassColumns built;
        built.maps = maps.size();
        built.classes.resize(128 * maps.size());
        for (std::size_t g = 0; g < maps.size(); ++g)
            for (std::size_t x = 0; x < 128; ++x)
                built.classes[x * maps.size() + g] = kClassOf[maps[g][x]];
        return built;
    }();
    return columns;
}

/// The search units' part of roughScores into `total` (one sum a map, zero to start with):
/// pair by pair over the class columns of the pair's bytes, a block of units at a time, so
/// that no unit's sum waits for another and every load is a neighbour of the last. `addTerms`
/// adds `term[other[g]]` to each `total[g]` of a block, `addCosts` `count * kRoughCost[a[g] *
/// kClasses + b[g]]`.
template <typename AddTerms, typename AddCosts>
[[gnu::always_inline]] inline void
roughSearchScores(const TextShape& shape, std::size_t pairCount, const SearchClassColumns& columns,
                  float* total, AddTerms addTerms, AddCosts addCosts) {
    constexpr std::size_t kBlock = 2048;
    for (std::size_t from = 0; from < columns.maps; from += kBlock) {
        const std::size_t to = std::min(columns.maps, from + kBlock);
        for (const TextShape::Pair& pair : std::span(shape.pairs).first(pairCount)) {
            const float count = pair.count;
            if (pair.a >= 128 || pair.b >= 128) {
                // One byte below 0x80: the pair's terms for each class of the other, as the
                // products the sum would add.
                std::array<float, kClasses> term;
                for (std::size_t c = 0; c < kClasses; ++c)
                    term[c] = count * (pair.a >= 128 ? kRoughCost[(pair.a - 128u) * kClasses + c]
                                                     : kRoughCost[c * kClasses + pair.b - 128u]);
                addTerms(total, term.data(),
                         columns.column(shape.highBytes[pair.a >= 128 ? pair.b : pair.a]), from,
                         to);
            } else {
                addCosts(total, count, columns.column(shape.highBytes[pair.a]),
                         columns.column(shape.highBytes[pair.b]), from, to);
            }
        }
    }
}

void addTermsPlain(float* total, const float* term, const std::uint8_t* other, std::size_t from,
                   std::size_t to) {
    for (std::size_t g = from; g < to; ++g)
        total[g] += term[other[g]];
}

void addCostsPlain(float* total, float count, const std::uint8_t* a, const std::uint8_t* b,
                   std::size_t from, std::size_t to) {
    for (std::size_t g = from; g < to; ++g)
        total[g] += count * kRoughCost[a[g] * std::size_t{kClasses} + b[g]];
}

void roughSearchScoresPlain(const TextShape& shape, std::size_t pairCount,
                            const SearchClassColumns& columns, float* total) {
    roughSearchScores(shape, pairCount, columns, total, addTermsPlain, addCostsPlain);
}

#ifdef VORLEX_REFINED_AVX2
/// The same loops with AVX2 gathers, eight units at a time: each sum still adds its terms one
/// by one in the same order, products rounded before they are added as above, so the scores are
/// the same to the last bit.
__attribute__((target("avx2"))) void addTermsAvx2(float* total, const float* term,
                                                  const std::uint8_t* other, std::size_t from,
                                                  std::size_t to) {
    std::size_t g = from;
    for (; g + 8 <= to; g += 8) {
        const __m256i at =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(other + g)));
        _mm256_storeu_ps(
            total + g, _mm256_add_ps(_mm256_loadu_ps(total + g), _mm256_i32gather_ps(term, at, 4)));
    }
    addTermsPlain(total, term, other, g, to);
}

__attribute__((target("avx2"))) void addCostsAvx2(float* total, float count, const std::uint8_t* a,
                                                  const std::uint8_t* b, std::size_t from,
                                                  std::size_t to) {
    const __m256 counts = _mm256_set1_ps(count);
    const __m256i classes = _mm256_set1_epi32(kClasses);
    std::size_t g = from;
    for (; g + 8 <= to; g += 8) {
        const __m256i first =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + g)));
        const __m256i second =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + g)));
        const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(first, classes), second);
        const __m256 cost = _mm256_i32gather_ps(kRoughCost.data(), at, 4);
        _mm256_storeu_ps(total + g,
                         _mm256_add_ps(_mm256_loadu_ps(total + g), _mm256_mul_ps(counts, cost)));
    }
    addCostsPlain(total, count, a, b, g, to);
}

__attribute__((target("avx2"))) void roughSearchScoresAvx2(const TextShape& shape,
                                                           std::size_t pairCount,
                                                           const SearchClassColumns& columns,
                                                           float* total) {
    roughSearchScores(shape, pairCount, columns, total, addTermsAvx2, addCostsAvx2);
}

#endif

/// roughScore of every unit of `readings` into `scores`, the same to the last bit: each sum
/// adds the same terms in the same order. The search units are scored pair by pair over the
/// class columns of the pair's bytes, a block of units at a time, so that no unit's sum waits
/// for another and every load is a neighbour of the last.
void roughScores(const TextShape& shape, const SampleReadings& readings, std::size_t pairCount,
                 std::vector<float>& scores) {
    const std::size_t n = readings.unitCount();
    const std::size_t own = readings.ownUnitCount();
    scores.assign(n, 0.0f);
    for (std::size_t u = 0; u < own; ++u)
        scores[u] = roughScore(shape, readings.unitMap(u), pairCount);
#ifdef VORLEX_REFINED_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        roughSearchScoresAvx2(shape, pairCount, searchClassColumns(), scores.data() + own);
        return;
    }
#endif
    roughSearchScoresPlain(shape, pairCount, searchClassColumns(), scores.data() + own);
}

/// A key that sorts by descending score, equal scores by ascending index. -0 and +0 compare
/// equal as floats, so they share a key.
std::uint64_t rankKey(float score, std::size_t index) {
    const float value = score == 0 ? 0.0f : score;
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t ascending = bits & 0x80000000u ? ~bits : bits | 0x80000000u;
    return static_cast<std::uint64_t>(~ascending) << 32 | static_cast<std::uint32_t>(index);
}

/// The rank key of each of `order`.
std::vector<std::uint64_t> rankKeys(const std::vector<std::size_t>& order,
                                    const std::vector<float>& score) {
    std::vector<std::uint64_t> keys(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        keys[i] = rankKey(score[order[i]], order[i]);
    return keys;
}

/// Keeps the first `keep` of `order` by descending score, equal scores by ascending index, in
/// that order (what a partial sort gives). The comparison runs on one integer per index.
void keepBest(std::vector<std::size_t>& order, const std::vector<float>& score, std::size_t keep) {
    std::vector<std::uint64_t> keys = rankKeys(order, score);
    const auto end = keys.begin() + static_cast<std::ptrdiff_t>(keep);
    if (keep < keys.size())
        std::nth_element(keys.begin(), end, keys.end());
    std::sort(keys.begin(), end);
    order.resize(keep);
    for (std::size_t i = 0; i < keep; ++i)
        order[i] = static_cast<std::size_t>(keys[i] & 0xFFFFFFFFu);
}

/// What a reading makes of a byte as every judgement sees it: an odd byte is judged by its class
/// alone, so all odd bytes are one.
unsigned judgedByte(std::uint8_t mapped) {
    return kClassOf[mapped] == kOddClass ? 0x100u : mapped;
}

/// Whether two readings make the same of every byte of the sample as the judgements see it:
/// such readings are alike to every judgement.
bool judgedAlike(const TextShape& shape, const HighMap& mapA, const HighMap& mapB) {
    for (std::size_t i = 0; i < shape.highCount; ++i)
        if (judgedByte(mappedHigh(shape, mapA, i)) != judgedByte(mappedHigh(shape, mapB, i)))
            return false;
    return true;
}

/// A hash of what judgedAlike compares.
std::uint64_t judgedAlikeHash(const TextShape& shape, const HighMap& map) {
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (std::size_t i = 0; i < shape.highCount; ++i)
        hash = (hash ^ judgedByte(mappedHigh(shape, map, i))) * 0x100000001B3u;
    return hash;
}

/// keepBest that gives a place to only the first of readings judged alike. Chains that turn
/// one rare byte into each of a score of odd bytes make as many readings alike to every
/// judgement, and these would crowd out a reading that makes a letter of it (Mac text read as
/// Win, whose only sign is an я shown as Я). Readings judged alike score alike, so they
/// follow one another in the order of the best.
void keepBestDistinct(std::vector<std::size_t>& order, const std::vector<float>& score,
                      std::size_t keep, const TextShape& shape, const SampleReadings& readings) {
    std::vector<std::uint64_t> keys = rankKeys(order, score);
    std::vector<std::size_t> kept;
    kept.reserve(keep);
    // The kept readings of the score being walked, with their hashes (worked out only once a
    // second reading has that score: most scores are a single reading's).
    constexpr std::uint64_t kNoHash = 0;
    std::vector<std::pair<std::uint64_t, std::size_t>> sameScore;
    const auto hashOf = [&](std::size_t reading) {
        return judgedAlikeHash(shape, readings.map(reading)) | 1u;
    };
    std::size_t sorted = 0;
    for (std::size_t wanted = keep; kept.size() < keep && sorted < keys.size(); wanted *= 2) {
        const auto from = keys.begin() + static_cast<std::ptrdiff_t>(sorted);
        const auto to = keys.begin() + static_cast<std::ptrdiff_t>(
                                           std::min(keys.size(), sorted + wanted - kept.size()));
        if (to != keys.end())
            std::nth_element(from, to, keys.end());
        std::sort(from, to);
        for (auto k = from; k != to && kept.size() < keep; ++k) {
            const auto reading = static_cast<std::size_t>(*k & 0xFFFFFFFFu);
            if (!kept.empty() && score[kept.back()] != score[reading])
                sameScore.clear();
            std::uint64_t hash = kNoHash;
            if (!sameScore.empty()) {
                hash = hashOf(reading);
                bool twin = false;
                for (auto& [otherHash, other] : sameScore) {
                    if (otherHash == kNoHash)
                        otherHash = hashOf(other);
                    if (otherHash == hash &&
                        judgedAlike(shape, readings.map(other), readings.map(reading))) {
                        twin = true;
                        break;
                    }
                }
                if (twin)
                    continue;
            }
            kept.push_back(reading);
            sameScore.emplace_back(hash, reading);
        }
        sorted = static_cast<std::size_t>(to - keys.begin());
    }
    order.swap(kept);
}

constexpr bool noCostAboveZero() {
    for (int a = 0; a < kClasses; ++a) {
        if (unigramCost(a) > 0)
            return false;
        for (int b = 0; b < kClasses; ++b)
            if (kTransition[static_cast<std::size_t>(a * kClasses + b)] > 0)
                return false;
    }
    return true;
}
static_assert(noCostAboveZero(), "keepBestByBigram cuts a sum short once it is low enough");

/// What bigramScores of the readings of `order` over `pairCount` pairs (going on from
/// `resumeAt`) followed by keepBest of `keep` of them gives, with most sums of the readings left
/// out cut short. Every term is a cost (at most 0) and a sum of floats that only adds costs
/// never grows, so a reading whose sum falls below the whole scores of `keep` others is no
/// longer one of the best `keep`. The first `keep` of `order` and reading 0 are scored in whole
/// first; the scores of the readings left out stay partial.
void keepBestByBigram(const TextShape& shape, const SampleReadings& readings,
                      std::vector<std::size_t>& order, std::size_t pairCount,
                      std::vector<float>& scores, std::size_t resumeAt, std::size_t keep) {
    keep = std::min(keep, order.size());
    std::vector<std::size_t> whole(order.begin(),
                                   order.begin() + static_cast<std::ptrdiff_t>(keep));
    std::vector<std::size_t> rest(order.begin() + static_cast<std::ptrdiff_t>(keep), order.end());
    if (const auto asItIs = std::find(rest.begin(), rest.end(), std::size_t{0});
        asItIs != rest.end()) {
        rest.erase(asItIs);
        whole.push_back(0);
    }
    bigramScores(shape, readings, whole, pairCount, scores, resumeAt);
    float bar = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < keep; ++i)
        bar = std::min(bar, scores[whole[i]]);
    for (std::size_t at = resumeAt; !rest.empty() && at < pairCount;) {
        const std::size_t next = at == resumeAt ? std::min(pairCount, at + 64) : pairCount;
        bigramScores(shape, readings, rest, next, scores, at);
        at = next;
        std::erase_if(rest, [&](std::size_t r) { return scores[r] < bar; });
    }
    whole.insert(whole.end(), rest.begin(), rest.end());
    order.swap(whole);
    keepBest(order, scores, keep);
}

/// The least and the greatest of `scores` (not empty). Apart, so that the two stay in registers
/// rather than in memory, as they would inline in a function that keeps them across calls.
[[gnu::noinline]] std::pair<float, float> leastAndMost(const std::vector<float>& scores) {
    float least = scores.front(), most = scores.front();
    for (const float score : scores) {
        least = score < least ? score : least;
        most = score > most ? score : most;
    }
    return {least, most};
}

/// The `wanted`-th greatest of `scores` (1 for the greatest, equal scores counted apart; 0 < wanted
/// <= scores.size()). The scores are put in buckets by an order-keeping function of their value,
/// and only the bucket that holds the answer is ordered.
float nthGreatest(const std::vector<float>& scores, std::size_t wanted) {
    // Plain variables, not a structured binding: the lambda below captures `top`.
    const auto bounds = leastAndMost(scores);
    const float least = bounds.first, top = bounds.second;
    const float range = top - least;
    if (!(range > 0))
        return top;
    constexpr std::size_t kBuckets = 1024;
    const float scale = static_cast<float>(kBuckets - 1) / range;
    const auto bucketOf = [top, scale](float score) {
        // Rounding keeps the order: a greater score never goes to a later bucket.
        return std::min(
            static_cast<std::uint32_t>(static_cast<std::int32_t>((top - score) * scale)),
            std::uint32_t{kBuckets - 1});
    };
    std::array<std::uint32_t, kBuckets> count{};
    for (const float score : scores)
        ++count[bucketOf(score)];
    std::size_t bucket = 0, before = 0;
    while (before + count[bucket] < wanted)
        before += count[bucket++];
    std::vector<float> inBucket;
    inBucket.reserve(count[bucket]);
    for (const float score : scores)
        if (bucketOf(score) == bucket)
            inBucket.push_back(score);
    const auto nth = inBucket.begin() + static_cast<std::ptrdiff_t>(wanted - before - 1);
    std::nth_element(inBucket.begin(), nth, inBucket.end(), std::greater<>());
    return *nth;
}

/// Merges into readings only the units the rough pre-ranking can keep, and gives the rough
/// score of each reading. All of a reading's units score alike, so the units scoring at least
/// as well as some unit are whole readings; once those make `keep` readings, every reading left
/// out scores below all of them. The units scoring like the text as it is, which the
/// pre-ranking always keeps, are merged too.
std::vector<float> mergeRoughBest(SampleReadings& readings, const std::vector<float>& unitScore,
                                  std::size_t keep) {
    const std::size_t n = unitScore.size();
    std::vector<std::uint32_t> chosen;
    for (std::size_t wanted = keep + keep / 2;; wanted *= 2) {
        chosen.clear();
        if (wanted >= n) {
            chosen.resize(n);
            std::iota(chosen.begin(), chosen.end(), std::uint32_t{0});
            readings.merge(chosen);
            break;
        }
        const float bar = nthGreatest(unitScore, wanted);
        for (std::size_t u = 0; u < n; ++u)
            if (unitScore[u] >= bar || unitScore[u] == unitScore[0])
                chosen.push_back(static_cast<std::uint32_t>(u));
        readings.merge(chosen);
        std::size_t atBar = 0;
        for (std::size_t r = 0; r < readings.size(); ++r)
            atBar += unitScore[readings.firstUnit(r)] >= bar;
        if (atBar >= keep)
            break;
    }
    std::vector<float> scores(readings.size());
    for (std::size_t r = 0; r < readings.size(); ++r)
        scores[r] = unitScore[readings.firstUnit(r)];
    return scores;
}

bool isCapitalClass(int c) {
    return c >= kCapital && c < kBoundaryClass;
}

/// Whether two readings of the sample's high bytes differ in a letter (not only in punctuation
/// or odd bytes).
bool differInLetters(const TextShape& shape, const HighMap& mapA, const HighMap& mapB) {
    for (std::size_t i = 0; i < shape.highCount; ++i) {
        const std::uint8_t a = mappedHigh(shape, mapA, i), b = mappedHigh(shape, mapB, i);
        if (a != b && (isLetterClass(kClassOf[a]) || isLetterClass(kClassOf[b])))
            return true;
    }
    return false;
}

/// Of the readings `order[0..f)`, the first of those that differ from reading `order[f]` in
/// the fewest bytes of the sample (the bytes of a reading differ only where its map does).
std::size_t nearestReading(const TextShape& shape, const SampleReadings& readings,
                           const std::vector<std::size_t>& order, std::size_t f) {
    const HighMap& map = readings.map(order[f]);
    std::size_t nearest = 0, fewest = std::numeric_limits<std::size_t>::max();
    for (std::size_t g = 0; g < f && fewest > 0; ++g) {
        const HighMap& other = readings.map(order[g]);
        std::size_t differ = 0;
        for (std::size_t i = 0; i < shape.highCount && differ < fewest; ++i)
            differ += mappedHigh(shape, map, i) != mappedHigh(shape, other, i)
                          ? shape.highOccurrences[i]
                          : 0;
        if (differ < fewest) {
            fewest = differ;
            nearest = g;
        }
    }
    return nearest;
}

/// Longest word looked up in the list of word forms.
constexpr std::size_t kLongestListedWord = 32;

/// The whole judgement of a reading, in nats, given its filter count.
double fullTotal(const TextJudgement& j, int filters, const ReadingPrior& prior = {}) {
    const double capitalShare = j.letters == 0 ? 0.0 : static_cast<double>(j.capitals) / j.letters;
    return j.bigram + kMixedCaseWordCost * j.mixedCaseWords + kCapitalShareCost * capitalShare +
           kOddBesideLetterCost * j.oddBesideLetters + kMisplacedMarkCost * j.misplacedMarks +
           kMidSentenceCapitalCost * j.midSentenceCapitals + kStrayLetterCost * j.strayLetters +
           kGluedWordCost * j.gluedWords + kUnclosedQuoteCost * j.unclosedQuotes +
           kDictionaryHitGain * j.dictionaryHits + kKnownWordGain * j.knownWords +
           (kFilterCost + prior.extraFilterCost) * filters +
           (filters == 0 && prior.asItIsIsInput ? kAsItIsGain : 0.0);
}

/// Whether the word (a run of letter bytes, Windows-1251) is case-consistent and among the
/// Russian word forms.
bool isKnownWord(std::string_view word) {
    if (word.size() > kLongestListedWord)
        return false;
    std::array<char, kLongestListedWord> small{};
    int capitals = 0;
    bool tailHasCapital = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(word[i]);
        if (isCapitalClass(kClassOf[byte])) {
            ++capitals;
            tailHasCapital = tailHasCapital || i > 0;
        }
        small[i] = static_cast<char>(byte == 0xA8 || byte == 0xB8 ? 0xE5
                                     : byte < 0xE0 ? static_cast<std::uint8_t>(byte + 0x20)
                                                   : byte);
    }
    const bool consistent = capitals == 0 || capitals == static_cast<int>(word.size()) ||
                            (capitals == 1 && !tailHasCapital);
    return consistent && isRussianWordForm(std::string_view(small.data(), word.size()));
}

/// Letters of `text` in [begin, end) that belong to known words (letter runs inside the span)
/// of at least `shortest` letters: a long real word outweighs a short one.
std::size_t knownLettersIn(std::string_view text, std::size_t begin, std::size_t end,
                           std::size_t shortest = 1) {
    std::size_t known = 0;
    for (std::size_t i = begin; i < end;) {
        if (!isLetterClass(kClassOf[static_cast<std::uint8_t>(text[i])])) {
            ++i;
            continue;
        }
        std::size_t stop = i;
        while (stop < end && isLetterClass(kClassOf[static_cast<std::uint8_t>(text[stop])]))
            ++stop;
        if (stop - i >= shortest && isKnownWord(text.substr(i, stop - i)))
            known += stop - i;
        i = stop;
    }
    return known;
}

/// What another reading does to the words of a reading: over the spans of words where they
/// differ, the letters in real words before and after, and the letters of the spans.
struct WordChange {
    std::size_t knownBefore = 0, knownAfter = 0, spanLetters = 0;
    /// The same letters in real words of three letters or more: about one pair of letters in
    /// five is found among the word forms, one triple in twenty.
    std::size_t longKnownBefore = 0, longKnownAfter = 0;
    std::size_t lettersAfter = 0; ///< Cyrillic letters of the spans in the other reading
    std::size_t oddAfter = 0;     ///< bytes no Russian text holds, of the spans there
};

WordChange wordChange(std::string_view before, std::string_view after) {
    WordChange change;
    const auto letterAt = [&](std::size_t i) {
        return isLetterClass(kClassOf[static_cast<std::uint8_t>(before[i])]) ||
               isLetterClass(kClassOf[static_cast<std::uint8_t>(after[i])]);
    };
    for (std::size_t i = 0; i < before.size();) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        // The span of words around the change, in either reading.
        std::size_t begin = i, end = i + 1;
        while (begin > 0 && letterAt(begin - 1))
            --begin;
        while (end < before.size() && (letterAt(end) || before[end] != after[end]))
            ++end;
        change.knownBefore += knownLettersIn(before, begin, end);
        change.knownAfter += knownLettersIn(after, begin, end);
        change.longKnownBefore += knownLettersIn(before, begin, end, 3);
        change.longKnownAfter += knownLettersIn(after, begin, end, 3);
        change.spanLetters += end - begin;
        for (std::size_t k = begin; k < end; ++k) {
            const int c = kClassOf[static_cast<std::uint8_t>(after[k])];
            change.lettersAfter += isLetterClass(c);
            change.oddAfter += c == kOddClass;
        }
        i = end;
    }
    return change;
}

/// Whether a recoding only turns capitals into their small letters, at least half of them
/// capitals inside a word: Mac Cyrillic read as Win shows the я of small text as Я and its ё as
/// Ю ("вероЯтно", "изменЯть", "еЮ"), which the word forms cannot decide when the word is rare
/// or another Я starts a word. Inside a word is after two small letters ("кГц", "МиБ" are
/// units), or after one for Я and Ю, which no unit holds. In a list (after ", " or "; ") a
/// word-initial Я or Ю counts as well, in text that holds no other capital: real text gives a
/// name there only among other capitals. The same damage shows Mac's capitals as marks or
/// foreign letters and its marks as capitals ("…сть" for "Есть", "экранКР" for "экран –"): the
/// recoding may also turn such a byte into a capital that starts a word, and a capital into a
/// mark. With `onlyYaAndYu` the capitals it lowers are Я and Ю alone, as that damage has them.
bool lowersCapitalsInsideWords(std::string_view asIs, std::string_view recoded,
                               bool onlyYaAndYu = false) {
    constexpr char kCapitalYa = '\xDF', kCapitalYu = '\xDE', kSmallYo = '\xB8'; // Mac's я, ё
    const auto small = [](std::string_view text, std::size_t at) {
        if (at >= text.size())
            return false;
        const int c = kClassOf[static_cast<std::uint8_t>(text[at])];
        return isLetterClass(c) && c < kCapital;
    };
    std::size_t lowered = 0, inside = 0, listed = 0, marks = 0;
    for (std::size_t i = 0; i < asIs.size(); ++i) {
        if (asIs[i] == recoded[i])
            continue;
        const int a = kClassOf[static_cast<std::uint8_t>(asIs[i])];
        const int b = kClassOf[static_cast<std::uint8_t>(recoded[i])];
        if (isCapitalClass(a) && isLetterClass(b) && b < kCapital &&
            (a % kCapital == b || (asIs[i] == kCapitalYu && recoded[i] == kSmallYo))) {
            const bool yaOrYu = asIs[i] == kCapitalYa || asIs[i] == kCapitalYu;
            if (onlyYaAndYu && !yaOrYu)
                return false;
            ++lowered;
            if (i >= 1 && small(asIs, i - 1) && (yaOrYu || (i >= 2 && small(asIs, i - 2))))
                ++inside;
            else if (yaOrYu && i >= 2 && asIs[i - 1] == ' ' &&
                     (asIs[i - 2] == ',' || asIs[i - 2] == ';'))
                ++listed;
            continue;
        }
        const bool capitalOfMark = !isLetterClass(a) && isCapitalClass(b) && small(recoded, i + 1);
        const bool markOfCapital = isCapitalClass(a) && b == kPunctuationClass;
        if (!capitalOfMark && !markOfCapital)
            return false;
        marks += markOfCapital;
    }
    const std::size_t decided = inside + (marks == 0 ? listed : 0);
    return decided > 0 && 2 * decided >= lowered;
}

/// Whether the text as it is should be answered rather than the recoding that scored best,
/// although that recoding reads better letter by letter: of the words the recoding changes no
/// more letters are in real words after it than before, or most of them are still no real
/// words (the short words chance makes of garbage split by symbols); and the text as it is
/// reads as Russian (or is mostly real words outside those spans, while the recoding still holds
/// odd bytes or words of mixed case). This keeps correct text whose
/// recoding only swaps a capital for another real word ("Не удалось" against "Же удалось") or joins
/// a quote mark to a word («строго» against "Устрого"), and text of which only a quotation is
/// damaged: no chain of the whole text repairs that, it only turns the damage into other garbage.
bool asItIsHolds(std::string_view asIs, std::string_view recoded, double asIsPlausibility,
                 int recodedOddities, int asIsSigns, int recodedSigns) {
    const WordChange change = wordChange(asIs, recoded);
    // A recoding that removes signs of damage (misplaced marks, stray letters, odd bytes in
    // words, capitals in mid-sentence) and makes mostly real words and no odd bytes of what it
    // changes is a repair. (One that turns a damaged quotation into other garbage does not.)
    if (recodedSigns < asIsSigns && 2 * change.knownAfter >= change.lettersAfter &&
        change.oddAfter == 0)
        return false;
    if (change.knownAfter > change.knownBefore && 2 * change.knownAfter >= change.spanLetters)
        return false;
    // Nor does a text with no real word at all against a recoding that makes one of three
    // letters or more (capitals that are a damaged small text: "УЕФПЮОЩН" for "сеточным").
    const std::size_t asIsKnown = knownLettersIn(asIs, 0, asIs.size());
    if (asIsKnown == 0 && change.longKnownAfter > 0)
        return false;
    if (recodedSigns <= asIsSigns && change.oddAfter == 0 &&
        lowersCapitalsInsideWords(asIs, recoded))
        return false;
    if (asIsPlausibility >= kKeepAsItIsFrom)
        return true;
    // A text that is mostly real words outside those spans, and whose recoding still holds odd
    // bytes or words of mixed case: a damaged quotation the recoding only turned into other
    // garbage. (A real repair leaves neither.)
    return recodedOddities >= kOdditiesOfGarbage &&
           asIsKnown - change.knownBefore >= change.spanLetters;
}

/// Whether a recoding that reads a little worse than the text as it is repairs it after all:
/// over the spans of words it changes it makes more letters real words than the text as it is
/// has there, most of them, no odd byte, and no more signs of damage; and it changes the case
/// of no letter (a text in capitals turned into small letters is the same words), unless it
/// only lowers capitals inside words.
bool recodingRepairsWords(std::string_view asIs, std::string_view recoded, int asIsSigns,
                          int recodedSigns) {
    if (recodedSigns > asIsSigns)
        return false;
    if (lowersCapitalsInsideWords(asIs, recoded))
        return wordChange(asIs, recoded).oddAfter == 0;
    for (std::size_t i = 0; i < asIs.size(); ++i) {
        const int a = kClassOf[static_cast<std::uint8_t>(asIs[i])];
        const int b = kClassOf[static_cast<std::uint8_t>(recoded[i])];
        if (a != b && isLetterClass(a) && isLetterClass(b) && a % kCapital == b % kCapital)
            return false;
    }
    const WordChange change = wordChange(asIs, recoded);
    return change.oddAfter == 0 && change.knownAfter > change.knownBefore &&
           2 * change.knownAfter >= change.spanLetters;
}

/// Whether two readings differ only in the case of letters.
bool sameLettersInOtherCase(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        const int x = kClassOf[static_cast<std::uint8_t>(a[i])];
        const int y = kClassOf[static_cast<std::uint8_t>(b[i])];
        if (!isLetterClass(x) || !isLetterClass(y) || x % kCapital != y % kCapital)
            return false;
    }
    return true;
}

/// Whether two readings differ only where both hold a Cyrillic letter: the same words, spelt
/// otherwise (not a mark turned into a lone letter).
bool swapOnlyLetters(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && (!isLetterClass(kClassOf[static_cast<std::uint8_t>(a[i])]) ||
                             !isLetterClass(kClassOf[static_cast<std::uint8_t>(b[i])])))
            return false;
    return true;
}

/// The signs of damage in a reading that asItIsHolds weighs.
int damageSigns(const TextJudgement& j) {
    return j.misplacedMarks + j.midSentenceCapitals + j.strayLetters + j.gluedWords +
           j.unclosedQuotes + j.oddBesideLetters;
}

/// A document as the whole-document check sees it: how often each pair of neighbouring bytes
/// with one of them from 0x80 up occurs, and how often each byte from 0x80 up.
struct DocumentPairs {
    struct Pair {
        std::uint8_t a, b;
        double count;
    };
    std::vector<Pair> pairs;
    std::array<double, 128> highCounts{};
    std::size_t scored = 0;
};

/// From this size on a document's pairs are counted for every byte, without first finding the
/// bytes it holds: that pass would cost more than the larger table.
constexpr std::size_t kLongDocument = 128 << 10;

DocumentPairs countPairs(std::string_view document) {
    // The counts are kept for the bytes the document holds (and the space before its first),
    // numbered in byte order, so that the pairs come out in the order of their bytes.
    std::array<bool, 256> present{};
    present[' '] = true;
    if (document.size() >= kLongDocument)
        present.fill(true);
    else
        for (const char ch : document)
            present[static_cast<std::uint8_t>(ch)] = true;
    std::array<std::uint32_t, 256> number{};
    std::array<std::uint8_t, 256> byteOf{};
    std::size_t distinct = 0;
    for (std::size_t b = 0; b < 256; ++b)
        if (present[b]) {
            byteOf[distinct] = static_cast<std::uint8_t>(b);
            number[b] = static_cast<std::uint32_t>(distinct++);
        }
    std::vector<std::uint32_t> counts(distinct * distinct, 0);
    std::uint32_t previous = number[' '];
    for (const char ch : document) {
        const std::uint32_t next = number[static_cast<std::uint8_t>(ch)];
        ++counts[previous * distinct + next];
        previous = next;
    }
    DocumentPairs result;
    for (std::size_t x = 0; x < distinct; ++x)
        for (std::size_t y = 0; y < distinct; ++y) {
            const std::uint32_t n = counts[x * distinct + y];
            const std::uint8_t a = byteOf[x], b = byteOf[y];
            if (n == 0 || (a < 0x80 && b < 0x80))
                continue;
            result.pairs.push_back({a, b, double(n)});
            result.scored += n;
            if (b >= 0x80)
                result.highCounts[b - 0x80] += n;
        }
    return result;
}

/// The bigram score of all of a document read through `map`.
double documentScore(const DocumentPairs& document, const ByteMap& map) {
    std::array<std::uint8_t, 256> classOf;
    for (std::size_t b = 0; b < 256; ++b)
        classOf[b] = kClassOf[map[b]];
    double total = 0;
    for (const DocumentPairs::Pair& pair : document.pairs)
        total +=
            pair.count *
            kTransition[static_cast<std::size_t>(classOf[pair.a] * kClasses + classOf[pair.b])];
    for (std::size_t i = 0; i < 128; ++i)
        total += document.highCounts[i] * unigramCost(classOf[0x80 + i]);
    return total;
}

/// The evidence of a reading's length grows no further than that of a text of this many words
/// (about 150 bytes).
constexpr int kEvidenceWords = 20;

/// The plausibility model: a logistic function of features of one reading, fitted by
/// scripts/fit_plausibility.py on held-out text (see that script for the features).
struct PlausibilityModel {
    std::array<double, kPlausibilityFeatures> weights;
    double bias;
};
constexpr PlausibilityModel kPlausibility = {
#include "detect/plausibility_model.inc"
};

double plausibilityOf(const TextJudgement& j) {
    if (j.letters == 0)
        return 0; // no Cyrillic letter: no Russian text
    const std::array<double, kPlausibilityFeatures> x = plausibilityFeatures(j);
    double z = kPlausibility.bias;
    for (int i = 0; i < kPlausibilityFeatures; ++i)
        z += kPlausibility.weights[static_cast<std::size_t>(i)] * x[static_cast<std::size_t>(i)];
    return 1.0 / (1.0 + std::exp(-z));
}

} // namespace

std::array<double, kPlausibilityFeatures> plausibilityFeatures(const TextJudgement& j) {
    const auto share = [](int part, int whole) {
        return whole == 0 ? 0.0 : static_cast<double>(part) / whole;
    };
    // A run of no-break spaces is one space to the features: its inner pairs and bytes go.
    const int repeats = j.repeatedNoBreakSpaces;
    const int pairs = j.transitions - repeats;
    const double perPair =
        pairs <= 0 ? 0.0 : (j.bigram - repeats * double{transition(0xA0, 0xA0)}) / pairs;
    const int highBytes = j.highBytes - repeats;
    const double known = share(j.knownWords, j.words);
    // The shares of a longer text weigh more, but only up to a text of kEvidenceWords words: the
    // model learnt how much more from three genres, and on a genre it has not seen (fewer known
    // words, more technical terms) that extra weight made a long right reading the more surely
    // "no Russian text" the longer it was.
    const double evidence = std::log1p(static_cast<double>(std::min(j.words, kEvidenceWords)));
    return {perPair, known, share(j.oddBesideLetters, highBytes),
            share(j.oddBytes - j.oddBesideLetters, highBytes), share(j.mixedCaseWords, j.words),
            share(j.letters, std::max(highBytes, j.letters)), evidence, known * evidence,
            perPair * evidence, share(j.capitals, j.letters), share(j.mixedScriptWords, j.words),
            share(j.letters, j.letters + j.latinLetters),
            // A few Cyrillic letters among many Latin ones are no Russian text however they read;
            // from a quarter of the letters up, Russian text with Latin names and addresses is
            // common.
            std::log(std::min(1.0, 4 * share(j.letters, j.letters + j.latinLetters)) + 0.05),
            share(j.capitalisedWords, j.words), share(j.punctuationInWords, highBytes),
            share(j.punctuationInWords, highBytes) * evidence, share(j.capitalWords, j.words),
            // Lists of names in capitals are real text that the word forms do not cover.
            known * share(j.capitals, j.letters), share(j.controls, j.bytes),
            share(j.numberedWords, j.words)};
}

/// The readings of one sample share most of their words: each word's answer from the list of
/// word forms is remembered by its key (the answer depends on nothing else).
class WordFormMemo {
public:
    bool listedKey(std::uint64_t key) {
        // The slot gives the key's low bits, so an entry keeps only the high ones, beside a
        // bit for a known answer and the answer: eight bytes, and the whole memo fits the
        // processor's nearest cache.
        std::uint64_t& entry = entries_[key & kSlotMask];
        if ((entry & ~kSlotMask) == (key & ~kSlotMask) && (entry & kKnown) != 0)
            return (entry & kListed) != 0;
        const bool listed = isListedWordFormKey(key);
        entry = (key & ~kSlotMask) | kKnown | (listed ? kListed : 0);
        return listed;
    }

private:
    static constexpr std::size_t kSlots = 4096;
    static constexpr std::uint64_t kSlotMask = kSlots - 1;
    static constexpr std::uint64_t kKnown = 2;
    static constexpr std::uint64_t kListed = 1;
    std::vector<std::uint64_t> entries_ = std::vector<std::uint64_t>(kSlots);
};

namespace {

/// The length of a directive at `t[i]` == '%': C's printf (`%` [n$] [flags] [width] [.prec]
/// [length] conversion, with Mozilla's %S), Python's %(name)s, Qt's %1 and LibreOffice's
/// %PRODUCTNAME; 0 for none. A conversion letter right before another ASCII letter or digit is
/// none ("%of" is no directive).
std::size_t directiveLength(std::string_view t, std::size_t i) {
    const auto at = [t](std::size_t j) -> std::uint8_t {
        return j < t.size() ? static_cast<std::uint8_t>(t[j]) : 0;
    };
    std::size_t k = i + 1;
    if (at(k) >= 'A' && at(k) <= 'Z' && at(k + 1) >= 'A' && at(k + 1) <= 'Z') {
        while ((at(k) >= 'A' && at(k) <= 'Z') || isAsciiDigit(at(k)) || at(k) == '_')
            ++k;
        // Not glued to a word ("%AQКР" is a damaged "%AQ —").
        return isAsciiLetter(at(k)) || at(k) >= 0x80 ? 0 : k + (at(k) == '%') - i;
    }
    if (at(k) == '(') {
        std::size_t j = k + 1;
        while (isNameByte(at(j)))
            ++j;
        if (j == k + 1 || at(j) != ')')
            return 0;
        k = j + 1;
    } else {
        std::size_t j = k;
        while (isAsciiDigit(at(j)))
            ++j;
        if (j > k && at(j) == '$')
            k = j + 1;
        else if (j > k && !isNameByte(at(j)))
            return j - i; // %1
    }
    while (isOneOf(at(k), "-+#0'"))
        ++k;
    for (const bool precision : {false, true}) {
        if (precision) {
            if (at(k) != '.')
                break;
            ++k;
        }
        if (at(k) == '*')
            ++k;
        else
            while (isAsciiDigit(at(k)))
                ++k;
    }
    if ((at(k) == 'h' && at(k + 1) == 'h') || (at(k) == 'l' && at(k + 1) == 'l'))
        k += 2;
    else if (isOneOf(at(k), "hlzjtLq"))
        ++k;
    if (!isOneOf(at(k), "diouxXeEfFgGaAcspnS") || isNameByte(at(k + 1)))
        return 0;
    return k + 1 - i;
}

/// The length of the markup of a message catalogue at `t[i]`, 0 for none: a single accelerator
/// mark & or ~ between two bytes from 0x80 up ("Отпра&вленные", "Е~щё"; an accelerator before
/// the first letter of a word is only a boundary already), a directive, a placeholder such as
/// {0}, { $name }, $NAME, ${NAME} or $(ARG), or an HTML tag, all of ASCII only.
std::size_t markupLength(std::string_view t, std::size_t i) {
    const auto at = [t](std::size_t j) -> std::uint8_t {
        return j < t.size() ? static_cast<std::uint8_t>(t[j]) : 0;
    };
    // Up to the first `close` within a placeholder's reach, over bytes of `inside` only.
    const auto until = [&](std::size_t from, char close, std::string_view inside) -> std::size_t {
        for (std::size_t j = from; j < t.size() && j < from + 48; ++j) {
            if (at(j) == static_cast<std::uint8_t>(close))
                return j + 1 - i;
            if (!isNameByte(at(j)) && !isOneOf(at(j), inside))
                return 0;
        }
        return 0;
    };
    switch (at(i)) {
    case '&':
    case '~':
        return i > 0 && at(i - 1) >= 0x80 && at(i + 1) >= 0x80 ? 1 : 0;
    case '%':
        return directiveLength(t, i);
    case '{':
        return until(i + 1, '}', " $-.:,()");
    case '$':
        if (at(i + 1) == '{')
            return until(i + 2, '}', "-.:");
        if (at(i + 1) == '(')
            return until(i + 2, ')', " -.,");
        {
            std::size_t j = i + 1;
            while (isNameByte(at(j)))
                ++j;
            return j == i + 1 ? 0 : j - i;
        }
    case '<': {
        std::size_t j = i + 1 + (at(i + 1) == '/');
        if (!isAsciiLetter(at(j)))
            return 0;
        while (isNameByte(at(j)))
            ++j;
        if (at(j) != ' ' && at(j) != '/' && at(j) != '>')
            return 0;
        for (; j < t.size() && j < i + 200; ++j) {
            if (at(j) == '>')
                return j + 1 - i;
            if (at(j) == '<' || at(j) >= 0x80)
                return 0;
        }
        return 0;
    }
    default:
        return 0;
    }
}

constexpr std::array<bool, 256> buildMarkupStarts() {
    std::array<bool, 256> starts{};
    for (const char ch : std::string_view("&~%{$<"))
        starts[static_cast<std::uint8_t>(ch)] = true;
    return starts;
}
constexpr std::array<bool, 256> kMarkupStart = buildMarkupStarts();

/// `text` as the reader of a message sees it, in `store` (or `text` itself when it holds no
/// markup): an accelerator mark between letters goes, each directive and placeholder becomes
/// one '%' (still a placeholder's sign to a lone letter glued to it), each tag one '<'. Only
/// bytes below 0x80 go, and a byte below 0x80 stays one in every reading, so every reading of a
/// sample loses the same bytes: the readings of the view are the views of the readings.
std::string_view withoutMarkup(std::string_view text, std::string& store) {
    std::size_t i = 0;
    std::size_t length = 0;
    for (; i < text.size(); ++i)
        if (kMarkupStart[static_cast<std::uint8_t>(text[i])] &&
            (length = markupLength(text, i)) != 0)
            break;
    if (i == text.size())
        return text;
    store.assign(text.substr(0, i));
    while (i < text.size()) {
        if (length != 0) {
            if (text[i] != '&' && text[i] != '~')
                store += text[i] == '<' ? '<' : '%';
            i += length;
        } else {
            store += text[i++];
        }
        length = i < text.size() && kMarkupStart[static_cast<std::uint8_t>(text[i])]
                     ? markupLength(text, i)
                     : 0;
    }
    return store;
}

/// The part of judgeText that comes from how often each byte occurs.
void countBytes(const std::array<std::uint32_t, 256>& occurs, TextJudgement& judgement) {
    for (int a = 0; a < 256; ++a) {
        const auto count = static_cast<int>(occurs[static_cast<std::size_t>(a)]);
        const int c = kClassOf[static_cast<std::size_t>(a)];
        judgement.highBytes += a >= 0x80 ? count : 0;
        judgement.latinLetters += isAsciiLetter(static_cast<std::uint8_t>(a)) ? count : 0;
        judgement.oddBytes += c == kOddClass ? count : 0;
        judgement.letters += isLetterClass(c) ? count : 0;
        judgement.capitals += isCapitalClass(c) ? count : 0;
        judgement.bytes += count;
        judgement.controls += a < 0x20 && a != '\t' && a != '\n' && a != '\r' ? count : 0;
    }
}

/// The bigram sums, transition counts and odd bytes beside letters of judgeText, of `Lanes` texts
/// of one length at once. Each sum adds its terms in text order; the lanes' sums are independent,
/// and spelt out so that each stays in a register, so they overlap in the processor.
template <std::size_t Lanes>
void sumPairs(const std::array<std::string_view, Lanes>& texts,
              std::array<TextJudgement, Lanes>& judgements) {
    const std::size_t n = texts[0].size();
    const auto step = [&](std::size_t k, std::size_t i, float& sum, int& pairs, int& oddBeside) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(texts[k].data());
        const std::uint8_t a = bytes[i];
        const int c = kClassOf[a];
        // Adding the zero cost of an ordinary byte changes nothing (the sum is never -0).
        if (c == kOddClass) {
            sum += unigramCost(c);
            oddBeside += (i > 0 && isLetterClass(kClassOf[bytes[i - 1]])) ||
                         (i + 1 < n && isLetterClass(kClassOf[bytes[i + 1]]));
        }
        if (i + 1 < n) {
            const std::uint8_t b = bytes[i + 1];
            if ((a | b) >= 0x80) {
                sum += transition(a, b);
                ++pairs;
            }
        }
    };
    [&]<std::size_t... K>(std::index_sequence<K...>) {
        float sums[] = {(static_cast<void>(K), 0.0f)...};
        int counts[] = {(static_cast<void>(K), 0)...};
        int oddBeside[] = {(static_cast<void>(K), 0)...};
        for (std::size_t i = 0; i < n; ++i)
            (step(K, i, sums[K], counts[K], oddBeside[K]), ...);
        ((judgements[K].bigram = sums[K], judgements[K].transitions = counts[K],
          judgements[K].oddBesideLetters = oddBeside[K]),
         ...);
    }
    (std::make_index_sequence<Lanes>());
}

/// What a mark or the first letter of a word at position `i` adds to the signs of damage of
/// judgeText that come from the neighbours of letters and marks (misplacedMarks,
/// midSentenceCapitals, strayLetters, gluedWords).
void typographyAt(const std::uint8_t* bytes, std::size_t n, std::size_t i,
                  TextJudgement& judgement) {
    const std::uint8_t byte = bytes[i];
    const int c = kClassOf[byte];
    const bool letterBefore = i > 0 && isLetterClass(kClassOf[bytes[i - 1]]);
    const bool letterAfter = i + 1 < n && isLetterClass(kClassOf[bytes[i + 1]]);
    if (!isLetterClass(c)) {
        // For the plausibility: a sign inside a word, and indentation by no-break spaces.
        if (byte == 0xA0)
            judgement.repeatedNoBreakSpaces += i + 1 < n && bytes[i + 1] == 0xA0;
        else
            judgement.punctuationInWords += letterBefore && letterAfter;
        const std::uint8_t allowed = kMarkSides[byte];
        if (letterBefore && letterAfter)
            judgement.misplacedMarks += (allowed & kLetterAround) == 0;
        else
            judgement.misplacedMarks += (letterBefore && (allowed & kLetterBefore) == 0) +
                                        (letterAfter && (allowed & kLetterAfter) == 0);
        return;
    }
    if (isCapitalClass(c) && i >= 2 && bytes[i - 1] == ' ') {
        const std::uint8_t previous = bytes[i - 2];
        const bool afterSmall = (previous >= 'a' && previous <= 'z') ||
                                (previous >= 0x80 && isLetterClass(kClassOf[previous]) &&
                                 !isCapitalClass(kClassOf[previous]));
        // A lone capital between spaces there is no preposition but a damaged dash; one before
        // a comma or full stop may be a unit ("32k Б,").
        if (afterSmall && !letterAfter)
            judgement.strayLetters += i + 1 < n && bytes[i + 1] == ' ';
        else if (afterSmall && !isCapitalClass(kClassOf[bytes[i + 1]]))
            ++judgement.midSentenceCapitals;
    }
    if (!letterAfter && ((i > 0 && gluesLoneLetter(bytes[i - 1], true)) ||
                         (i + 1 < n && gluesLoneLetter(bytes[i + 1], false))))
        ++judgement.strayLetters;
    else if (i > 0 && bytes[i - 1] < 0x80 && gluesWord(bytes, i))
        ++judgement.gluedWords;
}

/// What a byte is to countTypography: never weighed (below 0x80, odd bytes), a letter, a mark.
constexpr std::array<std::uint8_t, 256> buildTypographyKinds() {
    std::array<std::uint8_t, 256> kinds{};
    for (std::size_t b = 0x80; b < 256; ++b)
        kinds[b] = isLetterClass(kClassOf[b]) ? 1 : kClassOf[b] == kPunctuationClass ? 2 : 0;
    return kinds;
}
constexpr std::array<std::uint8_t, 256> kTypographyKind = buildTypographyKinds();

void countTypography(std::string_view text, TextJudgement& judgement) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    // Only marks and the first letters of words are weighed.
    std::uint8_t before = 0;
    int opening = 0, closing = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t kind = kTypographyKind[bytes[i]];
        if (kind == 2 || (kind == 1 && before != 1))
            typographyAt(bytes, n, i, judgement);
        if (kind == 2) {
            // Quotes „ “ ” that open a word, and “ ” that close one. (« is left out: a piece of
            // text often ends inside a quotation in guillemets.)
            const bool letterBefore = i > 0 && isLetterClass(kClassOf[bytes[i - 1]]);
            const bool letterAfter = i + 1 < n && isLetterClass(kClassOf[bytes[i + 1]]);
            const std::uint8_t byte = bytes[i];
            const bool quote = byte == 0x84 || byte == 0x93 || byte == 0x94;
            opening += quote && letterAfter && !letterBefore;
            closing += quote && byte != 0x84 && letterBefore && !letterAfter;
        }
        before = kind;
    }
    judgement.unclosedQuotes = std::max(0, opening - closing);
}

#ifdef VORLEX_REFINED_AVX2
// What lets sumPairsEight add every pair and every byte's own cost: the pair of two bytes
// below 0x80 and a byte that is not odd cost exactly +0, which leaves a sum as it is.
static_assert(
    std::bit_cast<std::uint32_t>(
        kTransition[static_cast<std::size_t>(kBoundaryClass * kClasses + kBoundaryClass)]) == 0);
static_assert(kClassOf[0] == kBoundaryClass && kClassOf[0x7F] == kBoundaryClass);

/// sumPairs of eight readings of `text` at once with AVX2, `classes[b * 8 + k]` being the class
/// of byte b in reading k: each lane adds the same costs in the same order as sumPairs, and
/// adds +0 where sumPairs adds nothing.
__attribute__((target("avx2"))) void sumPairsEight(std::string_view text,
                                                   const std::uint8_t* classes,
                                                   std::span<TextJudgement, 8> judgements) {
    const std::size_t n = text.size();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const __m256i boundary = _mm256_set1_epi32(kBoundaryClass);
    const __m256i odd = _mm256_set1_epi32(kOddClass);
    const __m256i width = _mm256_set1_epi32(kClasses);
    const __m256 oddCost = _mm256_set1_ps(unigramCost(kOddClass));
    const auto classesAt = [&](std::size_t i) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(classes + bytes[i] * 8u));
    };
    __m256 sums = _mm256_setzero_ps();
    __m256i lowPairs = _mm256_setzero_si256(), oddBeside = _mm256_setzero_si256();
    __m256i before = boundary; // no letter before the first byte, nor after the last
    __m256i a = n > 0 ? _mm256_cvtepu8_epi32(classesAt(0)) : boundary;
    for (std::size_t i = 0; i < n; ++i) {
        const bool last = i + 1 == n;
        const __m256i b = last ? boundary : _mm256_cvtepu8_epi32(classesAt(i + 1));
        const __m256i isOdd = _mm256_cmpeq_epi32(a, odd);
        sums = _mm256_add_ps(sums, _mm256_and_ps(_mm256_castsi256_ps(isOdd), oddCost));
        const __m256i letterBeside =
            _mm256_or_si256(_mm256_cmpgt_epi32(boundary, before), _mm256_cmpgt_epi32(boundary, b));
        oddBeside = _mm256_sub_epi32(oddBeside, _mm256_and_si256(isOdd, letterBeside));
        if (!last) {
            const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(a, width), b);
            sums = _mm256_add_ps(sums, _mm256_i32gather_ps(kTransition.data(), at, 4));
            lowPairs =
                _mm256_sub_epi32(lowPairs, _mm256_and_si256(_mm256_cmpeq_epi32(a, boundary),
                                                            _mm256_cmpeq_epi32(b, boundary)));
        }
        before = a;
        a = b;
    }
    alignas(32) std::array<float, 8> sum;
    alignas(32) std::array<std::int32_t, 8> low, beside;
    _mm256_store_ps(sum.data(), sums);
    _mm256_store_si256(reinterpret_cast<__m256i*>(low.data()), lowPairs);
    _mm256_store_si256(reinterpret_cast<__m256i*>(beside.data()), oddBeside);
    for (std::size_t k = 0; k < 8; ++k) {
        judgements[k].bigram = sum[k];
        judgements[k].transitions = n == 0 ? 0 : static_cast<int>(n - 1) - low[k];
        judgements[k].oddBesideLetters = beside[k];
    }
}

#endif

/// The part of judgeText that sums over bytes and byte pairs (the word counts stay 0). The
/// byte counts come from two tables, so that a repeated byte does not wait for its own count.
TextJudgement judgeBytes(std::string_view text) {
    std::array<TextJudgement, 1> judgement{};
    sumPairs<1>({text}, judgement);
    std::array<std::array<std::uint32_t, 256>, 2> occurs{};
    for (std::size_t i = 0; i < text.size(); ++i)
        ++occurs[i & 1][static_cast<std::uint8_t>(text[i])];
    for (std::size_t b = 0; b < 256; ++b)
        occurs[0][b] += occurs[1][b];
    countBytes(occurs[0], judgement[0]);
    countTypography(text, judgement[0]);
    return judgement[0];
}

/// The part of judgeText that counts words: every word starting in [from, to), added to
/// `judgement` `sign` times (-1 takes them away).
/// The words' keys, looked up in batches apart from the scan that finds them: each look-up is
/// likely a read from memory, and with nothing between them the reads of a batch overlap. The
/// words found count `sign` times in `knownWords` once looked up.
class WordKeys {
public:
    WordKeys(WordFormMemo* memo, int& knownWords, int sign)
        : memo_(memo), knownWords_(knownWords), sign_(sign) {}
    void add(std::uint64_t key) {
        keys_[pending_++] = key;
        if (pending_ == keys_.size())
            lookUp();
    }
    void lookUp() {
        int known = 0;
        for (std::size_t k = 0; k < pending_; ++k)
            known += static_cast<int>(memo_ ? memo_->listedKey(keys_[k])
                                            : isListedWordFormKey(keys_[k]));
        knownWords_ += sign_ * known;
        pending_ = 0;
    }

private:
    WordFormMemo* memo_;
    int& knownWords_;
    int sign_;
    std::array<std::uint64_t, 32> keys_;
    std::size_t pending_ = 0;
};

bool letterIn(std::string_view t, std::size_t i) {
    return isLetterClass(kClassOf[static_cast<std::uint8_t>(t[i])]);
}
/// The start and the end of the run of letters around the letter at `t[at]`.
std::size_t runStart(std::string_view t, std::size_t at) {
    while (at > 0 && letterIn(t, at - 1))
        --at;
    return at;
}
std::size_t runEnd(std::string_view t, std::size_t at) {
    while (at < t.size() && letterIn(t, at))
        ++at;
    return at;
}
/// A Cyrillic letter (Windows-1251) small, ё as е, as the list of word forms holds it.
char smallLetter(std::uint8_t byte) {
    return static_cast<char>(byte == 0xA8 || byte == 0xB8 ? 0xE5
                             : byte < 0xE0                ? byte + 0x20
                                                          : byte);
}

/// Whether the underscore at `t[p]` is an accelerator mark inside one word ("С_охранить",
/// "Разме_щение") rather than a joint of two words or names ("база_данных", "Имя_файла"): a
/// single one between two runs of letters that together make a word form. Each reading decides
/// alone, so the words of a reading stay what judgeWords finds in it.
bool underscoreJoins(std::string_view t, std::size_t p, WordFormMemo* memo) {
    if (t[p] != '_' || p == 0 || p + 1 >= t.size() || !letterIn(t, p - 1) || !letterIn(t, p + 1))
        return false;
    const std::size_t start = runStart(t, p - 1), end = runEnd(t, p + 1);
    if ((start > 0 && t[start - 1] == '_') || (end < t.size() && t[end] == '_') ||
        end - start - 1 > kLongestListedWord)
        return false;
    std::array<char, kLongestListedWord> small{};
    std::size_t length = 0;
    for (std::size_t i = start; i < end; ++i)
        if (i != p)
            small[length++] = smallLetter(static_cast<std::uint8_t>(t[i]));
    const std::uint64_t key = wordFormKey(std::string_view(small.data(), length));
    return memo ? memo->listedKey(key) : isListedWordFormKey(key);
}

/// From this many Cyrillic letters on, a run glued to a Latin letter counts as a Russian word.
constexpr std::size_t kGluedRussianRun = 4;

/// With `batch`, the words' keys join it (whose sign must be `sign`) and wait there for its
/// look-up; without, they are looked up before the return. A word is a run of letters, or two
/// joined by an accelerator's underscore (underscoreJoins).
void judgeWords(const Dictionary& dictionary, std::string_view text, std::size_t from,
                std::size_t to, WordFormMemo* memo, TextJudgement& judgement, int sign,
                WordKeys* batch = nullptr) {
    std::array<char, kLongestListedWord> small{};
    WordKeys own(memo, judgement.knownWords, sign);
    WordKeys& keys = batch ? *batch : own;
    for (std::size_t i = from; i < to;) {
        if (!isLetterClass(kClassOf[static_cast<std::uint8_t>(text[i])])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        int capitals = 0;
        bool tailHasCapital = false;
        std::uint32_t code = 0;
        bool codable = true;
        std::size_t length = 0;
        const auto letters = [&] {
            while (end < text.size() &&
                   isLetterClass(kClassOf[static_cast<std::uint8_t>(text[end])])) {
                const auto byte = static_cast<std::uint8_t>(text[end]);
                if (isCapitalClass(kClassOf[byte])) {
                    ++capitals;
                    tailHasCapital = tailHasCapital || length > 0;
                }
                const std::uint8_t letter = capitalLetterCode(foldByte(byte));
                codable = codable && letter != kNotALetter;
                code = code << 5 | letter;
                if (length < small.size())
                    small[length] = smallLetter(byte);
                ++length;
                ++end;
            }
        };
        letters();
        if (end < text.size() && text[end] == '_' && underscoreJoins(text, end, memo)) {
            ++end; // the accelerator inside the word
            letters();
        }
        // The n of the escape \n (\t, \r) and the letter of a placeholder such as %S or %1$S of
        // a message are no Latin letters of the word after them.
        const bool escape =
            i > 1 && ((text[i - 2] == '\\' &&
                       (text[i - 1] == 'n' || text[i - 1] == 't' || text[i - 1] == 'r')) ||
                      text[i - 2] == '%' || text[i - 2] == '$');
        const auto before = static_cast<std::uint8_t>(escape ? ' ' : i > 0 ? text[i - 1] : ' ');
        const auto after = static_cast<std::uint8_t>(end < text.size() ? text[end] : ' ');
        // Western text read as Cyrillic glues one or two letters (its accented ones) to Latin
        // letters, three for a character of UTF-8 (“ as "тон"); a longer run beside a Latin
        // letter is a Russian word beside a search term or a Latin look-alike ("~Vверсия",
        // "Cервер").
        if (isAsciiLetter(before) || isAsciiLetter(after))
            judgement.mixedScriptWords += length < kGluedRussianRun ? sign : 0;
        else if (isAsciiDigit(before) || isAsciiDigit(after))
            judgement.numberedWords += sign;
        const bool consistent = capitals == 0 || capitals == static_cast<int>(length) ||
                                (capitals == 1 && !tailHasCapital);
        judgement.words += sign;
        if (capitals == 1 && !tailHasCapital && length > 1)
            judgement.capitalisedWords += sign;
        if (capitals == static_cast<int>(length) && length > 1)
            judgement.capitalWords += sign;
        if (!consistent) {
            judgement.mixedCaseWords += sign;
        } else {
            if (codable && ((length == 2 && dictionary.containsCode2(code)) ||
                            (length == 3 && dictionary.containsCode3(code)) ||
                            (length == 4 && dictionary.containsCode4(code))))
                judgement.dictionaryHits += sign;
            if (length <= small.size())
                keys.add(wordFormKey(std::string_view(small.data(), length)));
        }
        i = end;
    }
    own.lookUp();
}

/// judgeText of `text` from the judgement of `reference`, a text of the same length: the byte
/// sums anew, the words only where the two differ. A word with no difference in it or right
/// beside it is the same word in both texts and counts alike, so only the words at the
/// differences are taken away (as in `reference`) and added (as in `text`); the counts are
/// whole numbers, so the result is exactly judgeText's. `judgement` comes with judgeBytes of
/// `text`.
TextJudgement judgeTextAgainst(const Dictionary& dictionary, std::string_view text,
                               std::string_view reference, const TextJudgement& judged,
                               WordFormMemo& memo, TextJudgement judgement) {
    const std::size_t n = text.size();
    std::vector<std::size_t> differ;
    const auto differs = [&](std::size_t i) {
        differ.push_back(i);
        return differ.size() > n / 8;
    };
    // Eight bytes at a time: the set bits of their difference are the bytes that differ; the
    // first byte in memory is the lowest of the eight on a little-endian machine.
    constexpr bool kLittle = std::endian::native == std::endian::little;
    std::size_t i = 0;
    bool many = false;
    for (; i + 8 <= n && !many; i += 8) {
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, text.data() + i, 8);
        std::memcpy(&b, reference.data() + i, 8);
        for (std::uint64_t x = a ^ b; x != 0 && !many;) {
            const int byte = (kLittle ? std::countr_zero(x) : std::countl_zero(x)) / 8;
            many = differs(i + static_cast<std::size_t>(byte));
            x &= ~(std::uint64_t{0xFF} << (kLittle ? 8 * byte : 56 - 8 * byte));
        }
    }
    for (; i < n && !many; ++i)
        if (text[i] != reference[i])
            many = differs(i);
    if (many) {
        judgeWords(dictionary, text, 0, n, &memo, judgement, 1);
        return judgement;
    }
    judgement.words = judged.words;
    judgement.mixedScriptWords = judged.mixedScriptWords;
    judgement.numberedWords = judged.numberedWords;
    judgement.mixedCaseWords = judged.mixedCaseWords;
    judgement.dictionaryHits = judged.dictionaryHits;
    judgement.knownWords = judged.knownWords;
    judgement.capitalisedWords = judged.capitalisedWords;
    judgement.capitalWords = judged.capitalWords;
    const auto letterAt = [](std::string_view t, std::size_t i) {
        return isLetterClass(kClassOf[static_cast<std::uint8_t>(t[i])]);
    };
    for (const auto& pass : {std::pair{reference, -1}, std::pair{text, 1}}) {
        const std::string_view side = pass.first; // lambdas cannot capture a structured binding
        const int sign = pass.second;
        std::size_t judgedTo = 0; // words before this were judged
        WordKeys keys(&memo, judgement.knownWords, sign);
        // Whether a run of letters stands across an underscore at `p` from another.
        const auto underscoreBeside = [&](std::size_t p, std::size_t run) {
            return p < n && run < n && side[p] == '_' && letterAt(side, run);
        };
        const auto word = [&](std::size_t at) {
            if (at < judgedTo)
                return;
            std::size_t start = runStart(side, at), end = runEnd(side, at);
            if (start > 1 && side[start - 1] == '_' && underscoreJoins(side, start - 1, &memo))
                start = runStart(side, start - 2);
            else if (end < n && side[end] == '_' && underscoreJoins(side, end, &memo))
                end = runEnd(side, end + 1);
            // A run across an underscore that does not join it to this word may join it in the
            // other reading: it is judged again too.
            if (start > 1 && underscoreBeside(start - 1, start - 2)) {
                const std::size_t before = runStart(side, start - 2);
                if (before >= judgedTo)
                    judgeWords(dictionary, side, before, before + 1, &memo, judgement, sign, &keys);
            }
            judgeWords(dictionary, side, start, start + 1, &memo, judgement, sign, &keys);
            judgedTo = end;
            if (underscoreBeside(end, end + 1)) {
                judgeWords(dictionary, side, end + 1, end + 2, &memo, judgement, sign, &keys);
                judgedTo = runEnd(side, end + 1);
            }
        };
        for (const std::size_t d : differ) {
            if (letterAt(side, d)) {
                word(d);
                continue;
            }
            if (d > 0 && letterAt(side, d - 1))
                word(d - 1);
            else if (d > 1 && underscoreBeside(d - 1, d - 2))
                word(d - 2);
            if (d + 1 < n && letterAt(side, d + 1))
                word(d + 1);
            else if (underscoreBeside(d + 1, d + 2))
                word(d + 2);
        }
        keys.lookUp();
    }
    return judgement;
}

} // namespace

TextJudgement judgeText(const Dictionary& dictionary, std::string_view text, WordFormMemo* memo) {
    std::string view;
    text = withoutMarkup(text, view);
    TextJudgement judgement = judgeBytes(text);
    judgeWords(dictionary, text, 0, text.size(), memo, judgement, 1);
    return judgement;
}

double plausibility(const Dictionary& dictionary, std::string_view text) {
    return plausibilityOf(judgeText(dictionary, text));
}

std::string_view refinedSample(std::string_view document) noexcept {
    if (document.size() <= kRefinedSampleBytes)
        return document;
    // Cut after the last byte below 0x80 of the last 256, so that no word is split.
    std::size_t end = kRefinedSampleBytes;
    for (std::size_t i = kRefinedSampleBytes; i > kRefinedSampleBytes - 256; --i)
        if (static_cast<std::uint8_t>(document[i - 1]) < 0x80) {
            end = i;
            break;
        }
    return document.substr(0, end);
}

std::string_view verdictName(Verdict verdict) noexcept {
    switch (verdict) {
    case Verdict::repair:
        return "repair";
    case Verdict::unchanged:
        return "unchanged";
    case Verdict::ambiguous:
        return "ambiguous";
    case Verdict::none:
        break;
    }
    return "none";
}

RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                             std::span<const FilterList> storedChains, std::size_t maxCandidates) {
    return refineRanking(dictionary, sample, sample.textSample(), storedChains, maxCandidates);
}

RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                             std::string_view document, std::span<const FilterList> storedChains,
                             std::size_t maxCandidates, const ReadingPrior& prior) {
    RefinedRanking ranking;
    // Every reading is judged without the markup of message catalogues, as judgeText judges it.
    std::string view;
    const std::string_view text = withoutMarkup(refinedSample(document), view);
    const TextShape shape = shapeOf(text);
    if (shape.highCount == 0 || maxCandidates == 0)
        return ranking;

    // The text as it is comes first: it wins every tie with a chain that gives the same text.
    std::array<bool, 128> present{};
    for (std::size_t i = 0; i < shape.highCount; ++i)
        present[shape.highBytes[i] - 0x80u] = true;
    SampleReadings keys(present, storedChains);

    // Pre-rank every distinct text by the bigram score of its most frequent byte pairs, then
    // the best of those by the whole bigram score; judge the best few of them in full. The
    // text as it is always reaches the final judgement.
    auto best = [&shape, &keys](std::vector<std::size_t>& order, const std::vector<float>& score,
                                std::size_t keep) {
        keepBestDistinct(order, score, keep, shape, keys);
        if (std::find(order.begin(), order.end(), std::size_t{0}) == order.end())
            order.back() = 0;
    };
    const std::size_t roughPairs = std::min(kRoughPairs, shape.pairs.size());
    std::vector<float> quick;
    roughScores(shape, keys, roughPairs, quick);
    // Only the readings the rough pre-ranking can keep are told apart.
    quick = mergeRoughBest(keys, quick, kRoughSurvivors);
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    best(order, quick, kRoughSurvivors);
    // The finer scores are the whole ones over their first pairs: the whole ones go on from them.
    std::size_t scoredPairs = 0;
    if (shape.pairs.size() > kFinerPairs) {
        bigramScores(shape, keys, order, kFinerPairs, quick);
        best(order, quick, kFinerSurvivors);
        scoredPairs = kFinerPairs;
    }
    keepBestByBigram(shape, keys, order, shape.pairs.size(), quick, scoredPairs, kFinalists);
    if (std::find(order.begin(), order.end(), std::size_t{0}) == order.end())
        order.back() = 0;
    const std::size_t finalists = order.size();

    struct Judged {
        std::size_t index;
        std::size_t finalist; // its reading in `readings`
        double total;
        TextJudgement judgement;
    };
    std::vector<Judged> judged;
    judged.reserve(finalists);
    // Every finalist's reading of the sample and its byte counts (how often each byte of the
    // sample occurs, through the finalist's map), then their pair sums four at a time.
    std::array<std::uint32_t, 256> sampleOccurs{};
    for (const char ch : text)
        ++sampleOccurs[static_cast<std::uint8_t>(ch)];
    std::vector<std::string> readings(finalists, std::string(text));
    std::vector<TextJudgement> bytes(finalists);
    for (std::size_t f = 0; f < finalists; ++f) {
        const HighMap& mapped = keys.map(order[f]);
        ByteMap map;
        std::iota(map.begin(), map.begin() + 0x80, std::uint8_t{0});
        std::copy(mapped.begin(), mapped.end(), map.begin() + 0x80);
        engine::applyByteMap(
            map, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
            std::span(reinterpret_cast<std::uint8_t*>(readings[f].data()), readings[f].size()));
        std::array<std::uint32_t, 256> occurs{};
        for (std::size_t b = 0; b < 256; ++b)
            occurs[map[b]] += sampleOccurs[b];
        countBytes(occurs, bytes[f]);
    }
    std::size_t f = 0;
#ifdef VORLEX_REFINED_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    for (; avx2 && f + 8 <= finalists; f += 8) {
        std::array<std::uint8_t, 256 * 8> classes;
        for (std::size_t k = 0; k < 8; ++k) {
            const HighMap& mapped = keys.map(order[f + k]);
            for (std::size_t b = 0; b < 256; ++b)
                classes[b * 8 + k] = kClassOf[b < 0x80 ? b : mapped[b - 0x80]];
        }
        std::array<TextJudgement, 8> eight{};
        sumPairsEight(text, classes.data(), eight);
        for (std::size_t k = 0; k < 8; ++k) {
            bytes[f + k].bigram = eight[k].bigram;
            bytes[f + k].transitions = eight[k].transitions;
            bytes[f + k].oddBesideLetters = eight[k].oddBesideLetters;
        }
    }
#endif
    for (; f + 4 <= finalists; f += 4) {
        std::array<TextJudgement, 4> four{};
        sumPairs<4>({readings[f], readings[f + 1], readings[f + 2], readings[f + 3]}, four);
        for (std::size_t k = 0; k < 4; ++k) {
            bytes[f + k].bigram = four[k].bigram;
            bytes[f + k].transitions = four[k].transitions;
            bytes[f + k].oddBesideLetters = four[k].oddBesideLetters;
        }
    }
    for (; f < finalists; ++f) {
        std::array<TextJudgement, 1> one{};
        sumPairs<1>({readings[f]}, one);
        bytes[f].bigram = one[0].bigram;
        bytes[f].transitions = one[0].transitions;
        bytes[f].oddBesideLetters = one[0].oddBesideLetters;
    }
    for (f = 0; f < finalists; ++f)
        countTypography(readings[f], bytes[f]);
    WordFormMemo memo;
    for (f = 0; f < finalists; ++f) {
        // The finalists mostly differ in a few bytes: each is judged from the one judged before
        // it that it differs from least.
        TextJudgement j = bytes[f];
        if (f == 0) {
            judgeWords(dictionary, readings[0], 0, readings[0].size(), &memo, j, 1);
        } else {
            const std::size_t near = nearestReading(shape, keys, order, f);
            j = judgeTextAgainst(dictionary, readings[f], readings[near], judged[near].judgement,
                                 memo, j);
        }
        judged.push_back({order[f], f, fullTotal(j, keys.chain(order[f]).count, prior), j});
    }
    std::stable_sort(judged.begin(), judged.end(), [&keys](const Judged& a, const Judged& b) {
        if (a.total != b.total)
            return a.total > b.total;
        return keys.chain(a.index).count < keys.chain(b.index).count;
    });

    // The text as it is against the recodings that read only a little better (asItIsHolds):
    // it is kept when it holds against each of them; otherwise the first it does not hold
    // against wins, a recoding that makes real words of the words it changes.
    bool decidedByWords = false;
    if (prior.asItIsIsInput && keys.chain(judged.front().index).count != 0) {
        const auto asIs = std::find_if(judged.begin(), judged.end(),
                                       [](const Judged& j) { return j.index == 0; });
        if (asIs != judged.end()) {
            const double asIsPlausibility = plausibilityOf(asIs->judgement);
            auto winner = asIs;
            // Only recodings close to the first (as close as an ambiguous second) are weighed.
            const double closeFrom =
                judged.front().total + kTemperature * std::log(kAmbiguityRatio);
            const auto last =
                judged.begin() +
                static_cast<std::ptrdiff_t>(std::min<std::size_t>(kCloseRecodings, judged.size()));
            for (auto r = judged.begin(); r != asIs && r != last && r->total >= closeFrom; ++r)
                if (!asItIsHolds(text, readings[r->finalist], asIsPlausibility,
                                 r->judgement.oddBytes + r->judgement.mixedCaseWords,
                                 damageSigns(asIs->judgement), damageSigns(r->judgement))) {
                    winner = r;
                    break;
                }
            decidedByWords = winner != judged.begin();
            std::rotate(judged.begin(), winner, winner + 1);
        }
    } else if (prior.asItIsIsInput && judged.size() > 1) {
        // The text as it is first, by its head start over any recoding: a close recoding that
        // makes real words of the words it changes, with no more signs of damage, is the
        // repair (Mac Cyrillic read as Win shows У, Д as “ „: "“казать" for "Указать"). So is
        // one a little further that only lowers Я and Ю inside words or in a list, which the
        // letter pairs score little better than the text as it is ("Ярый, Яростный" against
        // "ярый, яростный").
        const double closeFrom = judged.front().total + kTemperature * std::log(kAmbiguityRatio);
        const auto last =
            judged.begin() +
            static_cast<std::ptrdiff_t>(std::min<std::size_t>(kCloseRecodings + 1, judged.size()));
        for (auto r = judged.begin() + 1; r != last; ++r)
            if ((r->total >= closeFrom ||
                 lowersCapitalsInsideWords(text, readings[r->finalist], true)) &&
                recodingRepairsWords(text, readings[r->finalist],
                                     damageSigns(judged.front().judgement),
                                     damageSigns(r->judgement))) {
                std::rotate(judged.begin(), r, r + 1);
                decidedByWords = true;
                break;
            }
    }
    // Two close recodings: the second wins when, over the words where they differ, it makes
    // more letters real words (and most of them) without more signs of damage ("Чтобы" against
    // "Стобы", "Если" against "Нсли": a lone capital the letter pairs cannot decide).
    if (!decidedByWords && judged.size() > 1 && judged[0].index != 0 && judged[1].index != 0 &&
        std::exp((judged[1].total - judged[0].total) / kTemperature) >= kAmbiguityRatio &&
        damageSigns(judged[1].judgement) <= damageSigns(judged[0].judgement)) {
        const std::string_view first = readings[judged[0].finalist];
        const std::string_view second = readings[judged[1].finalist];
        // A second that needs more filters is answered only for words of three letters or
        // more: a word of two is found among the word forms by chance too often ("ОП" for
        // "ЦП" by a chain of four filters against one).
        const bool longer = keys.chain(judged[1].index).count > keys.chain(judged[0].index).count;
        if (swapOnlyLetters(first, second)) {
            const WordChange change = wordChange(first, second);
            if (change.knownAfter > change.knownBefore &&
                2 * change.knownAfter >= change.spanLetters &&
                (!longer || change.longKnownAfter > change.longKnownBefore)) {
                std::swap(judged[0], judged[1]);
                decidedByWords = true;
            } else {
                // Words decide for the first as well ("Установите" against "Тстановите").
                decidedByWords = change.knownBefore > change.knownAfter &&
                                 2 * change.knownBefore >= change.spanLetters;
            }
        }
    }
    double topTotal = judged.front().total;
    for (const Judged& j : judged)
        topTotal = std::max(topTotal, j.total);

    double weightSum = 0;
    for (const Judged& j : judged)
        weightSum += std::exp((j.total - topTotal) / kTemperature);
    const double perByte = 1.0 / static_cast<double>(std::max<std::size_t>(shape.highPositions, 1));
    for (std::size_t n = 0; n < judged.size() && n < maxCandidates; ++n) {
        const Judged& j = judged[n];
        RefinedCandidate candidate;
        candidate.chain = keys.chain(j.index);
        candidate.action = engine::chainActionString(candidate.chain);
        candidate.label = variantLabel(sample, candidate.chain);
        candidate.score = j.total * perByte;
        candidate.sampleTotal = j.total;
        candidate.confidence = std::exp((j.total - topTotal) / kTemperature) / weightSum;
        candidate.plausibility = plausibilityOf(j.judgement);
        candidate.sameSampleChains = keys.members(j.index, kMaxSameSampleChains);
        ranking.candidates.push_back(std::move(candidate));
    }
    // A reading and the same letters in the other case are the same words, but the model, which
    // learnt that lists of names in capitals are real text the word forms lack, may find rare
    // words plausible in capitals only ("ПОВЕРСТНО" against "поверстно"): a reading of a few
    // words at least is as plausible as its words in either case, where that is clearly
    // plausible. (Garbage of two or three letters, or of pseudo-syllables, is plausible now and
    // then in capitals too, but less.)
    std::vector<double> plausibilities;
    for (std::size_t n = 0; n < ranking.candidates.size(); ++n) {
        RefinedCandidate& candidate = ranking.candidates[n];
        if (candidate.plausibility >= kPlausibleFrom ||
            judged[n].judgement.letters < kOtherCaseLetters)
            continue;
        if (plausibilities.empty())
            for (const Judged& j : judged)
                plausibilities.push_back(plausibilityOf(j.judgement));
        for (std::size_t m = 0; m < judged.size(); ++m)
            if (plausibilities[m] >= kOtherCasePlausibleFrom &&
                plausibilities[m] > candidate.plausibility &&
                sameLettersInOtherCase(readings[judged[n].finalist], readings[judged[m].finalist]))
                candidate.plausibility = plausibilities[m];
    }
    ranking.ambiguous =
        !decidedByWords && judged.size() > 1 &&
        std::exp((judged[1].total - judged[0].total) / kTemperature) >= kAmbiguityRatio &&
        // A second that shows more signs of damage than the first is told apart by them.
        damageSigns(judged[1].judgement) <= damageSigns(judged[0].judgement);

    // The verdict: nothing plausible, a close second reading with other letters, or the first.
    const RefinedCandidate& first = ranking.candidates.front();
    if (first.plausibility < kPlausibleFrom) {
        ranking.verdict = Verdict::none;
    } else if (ranking.ambiguous && plausibilityOf(judged[1].judgement) >= kPlausibleFrom &&
               differInLetters(shape, keys.map(judged[0].index), keys.map(judged[1].index))) {
        ranking.verdict = Verdict::ambiguous;
    } else {
        ranking.verdict = first.chain.count == 0 ? Verdict::unchanged : Verdict::repair;
    }
    return ranking;
}

RefinedRanking judgeAsItIs(const Dictionary& dictionary, const Sample& sample,
                           std::string_view document) {
    RefinedRanking ranking;
    const std::string_view text = refinedSample(document);
    std::size_t highPositions = 0;
    for (char ch : text)
        highPositions += static_cast<std::uint8_t>(ch) >= 0x80;
    if (highPositions == 0)
        return ranking;
    const TextJudgement j = judgeText(dictionary, text);
    RefinedCandidate candidate;
    candidate.label = variantLabel(sample, candidate.chain);
    candidate.sampleTotal = fullTotal(j, 0);
    candidate.score = candidate.sampleTotal / static_cast<double>(highPositions);
    candidate.confidence = 1;
    candidate.plausibility = plausibilityOf(j);
    candidate.sameSampleChains = {candidate.chain};
    ranking.candidates.push_back(std::move(candidate));
    ranking.verdict = ranking.plausible(0) ? Verdict::unchanged : Verdict::none;
    return ranking;
}

std::optional<FilterList> documentChain(const RefinedRanking& ranking, std::string_view document) {
    if (ranking.verdict == Verdict::none || ranking.candidates.empty())
        return std::nullopt;
    const std::string_view rest = document.substr(refinedSample(document).size());
    if (rest.empty())
        return ranking.candidates.front().chain; // the sample is all of it
    const DocumentPairs pairs = countPairs(rest);
    // Score of the best chain of candidate c, per chain the whole-document bigram score.
    struct Best {
        FilterList chain;
        double score;
    };
    // Many chains make the same byte map: each map is scored once.
    std::map<ByteMap, double> scoreOfMap;
    auto bestOf = [&pairs, &scoreOfMap](const RefinedCandidate& candidate) {
        Best best{candidate.chain, -std::numeric_limits<double>::infinity()};
        for (const FilterList& chain : candidate.sameSampleChains) {
            const std::optional<ByteMap> map = engine::composeTables(chain);
            if (!map)
                continue;
            auto [known, isNew] = scoreOfMap.try_emplace(*map, 0.0);
            if (isNew)
                known->second = documentScore(pairs, *map);
            const double score = known->second + kFilterCost * chain.count;
            if (score > best.score)
                best = {chain, score};
        }
        return best;
    };
    const RefinedCandidate& first = ranking.candidates.front();
    const Best firstBest = bestOf(first);
    Best chosen = firstBest;
    double chosenLead = 0;
    const double margin =
        std::max(kDocumentMargin, kDocumentMarginShare * static_cast<double>(pairs.scored));
    for (std::size_t c = 1; c < ranking.candidates.size() && c < kDocumentCandidates; ++c) {
        if (!ranking.plausible(c))
            continue;
        const Best other = bestOf(ranking.candidates[c]);
        const double lead = other.score - firstBest.score -
                            (first.sampleTotal - ranking.candidates[c].sampleTotal) - margin;
        if (lead > chosenLead) {
            chosen = other;
            chosenLead = lead;
        }
    }
    return chosen.chain;
}

} // namespace vorlex::detect
