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
#include <limits>
#include <map>
#include <numeric>
#include <utility>

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
constexpr double kFilterCost = -1.5; // a small preference for shorter chains
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
/// Candidates judged in full after the bigram pre-ranking.
constexpr std::size_t kFinalists = 24;
/// The rough pre-ranking: how many of the most frequent byte pairs, and how many candidates it
/// passes on to the whole bigram score.
constexpr std::size_t kRoughPairs = 16;
constexpr std::size_t kRoughSurvivors = 600;
/// A second, finer pre-ranking on more pairs before the whole bigram score.
constexpr std::size_t kFinerPairs = 128;
constexpr std::size_t kFinerSurvivors = 150;
/// The whole-document check: how many of the first candidates it compares, and by how much
/// (nats, at least, or per scored pair of the document) another must beat the first.
constexpr std::size_t kDocumentCandidates = 4;
constexpr double kDocumentMargin = 20.0;
constexpr double kDocumentMarginShare = 0.002;

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

/// The bigram part of the score of each reading of `indices` over the first `pairCount` pairs,
/// into `scores` (by reading).
/// Readings are scored four at a time so that their chains of additions overlap. With
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
    const SearchClassColumns& columns = searchClassColumns();
    const std::size_t maps = n - own;
    constexpr std::size_t kBlock = 2048;
    for (std::size_t from = 0; from < maps; from += kBlock) {
        const std::size_t to = std::min(maps, from + kBlock);
        float* total = scores.data() + own;
        for (const TextShape::Pair& pair : std::span(shape.pairs).first(pairCount)) {
            const float count = pair.count;
            if (pair.a >= 128 || pair.b >= 128) {
                // One byte below 0x80: the pair's terms for each class of the other, as the
                // products the sum would add.
                std::array<float, kClasses> term;
                for (std::size_t c = 0; c < kClasses; ++c)
                    term[c] = count * (pair.a >= 128 ? kRoughCost[(pair.a - 128u) * kClasses + c]
                                                     : kRoughCost[c * kClasses + pair.b - 128u]);
                const std::uint8_t* other =
                    columns.column(shape.highBytes[pair.a >= 128 ? pair.b : pair.a]);
                for (std::size_t g = from; g < to; ++g)
                    total[g] += term[other[g]];
            } else {
                const std::uint8_t* a = columns.column(shape.highBytes[pair.a]);
                const std::uint8_t* b = columns.column(shape.highBytes[pair.b]);
                for (std::size_t g = from; g < to; ++g)
                    total[g] += count * kRoughCost[a[g] * std::size_t{kClasses} + b[g]];
            }
        }
    }
}

/// A key that sorts by descending score, equal scores by ascending index. -0 and +0 compare
/// equal as floats, so they share a key.
std::uint64_t rankKey(float score, std::size_t index) {
    const float value = score == 0 ? 0.0f : score;
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t ascending = bits & 0x80000000u ? ~bits : bits | 0x80000000u;
    return static_cast<std::uint64_t>(~ascending) << 32 | static_cast<std::uint32_t>(index);
}

/// Keeps the first `keep` of `order` by descending score, equal scores by ascending index, in
/// that order (what a partial sort gives). The comparison runs on one integer per index.
void keepBest(std::vector<std::size_t>& order, const std::vector<float>& score, std::size_t keep) {
    std::vector<std::uint64_t> keys(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        keys[i] = rankKey(score[order[i]], order[i]);
    const auto end = keys.begin() + static_cast<std::ptrdiff_t>(keep);
    if (keep < keys.size())
        std::nth_element(keys.begin(), end, keys.end());
    std::sort(keys.begin(), end);
    order.resize(keep);
    for (std::size_t i = 0; i < keep; ++i)
        order[i] = static_cast<std::size_t>(keys[i] & 0xFFFFFFFFu);
}

/// Merges into readings only the units the rough pre-ranking can keep, and gives the rough
/// score of each reading. All of a reading's units score alike, so the units scoring at least
/// as well as some unit are whole readings; once those make `keep` readings, every reading left
/// out scores below all of them. The units scoring like the text as it is, which the
/// pre-ranking always keeps, are merged too.
std::vector<float> mergeRoughBest(SampleReadings& readings, const std::vector<float>& unitScore,
                                  std::size_t keep) {
    const std::size_t n = unitScore.size();
    std::vector<std::uint64_t> keys(n);
    for (std::size_t u = 0; u < n; ++u)
        keys[u] = rankKey(unitScore[u], u);
    std::vector<std::uint32_t> chosen;
    for (std::size_t wanted = keep + keep / 2;; wanted *= 2) {
        chosen.clear();
        if (wanted >= n) {
            chosen.resize(n);
            std::iota(chosen.begin(), chosen.end(), std::uint32_t{0});
            readings.merge(chosen);
            break;
        }
        std::nth_element(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(wanted - 1),
                         keys.end());
        const float bar = unitScore[keys[wanted - 1] & 0xFFFFFFFFu];
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

/// Longest word looked up in the list of word forms.
constexpr std::size_t kLongestListedWord = 32;

/// The whole judgement of a reading, in nats, given its filter count.
double fullTotal(const TextJudgement& j, int filters, const ReadingPrior& prior = {}) {
    const double capitalShare = j.letters == 0 ? 0.0 : static_cast<double>(j.capitals) / j.letters;
    return j.bigram + kMixedCaseWordCost * j.mixedCaseWords + kCapitalShareCost * capitalShare +
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

/// Letters of `text` in [begin, end) that belong to known words (letter runs inside the span):
/// a long real word outweighs a short one.
std::size_t knownLettersIn(std::string_view text, std::size_t begin, std::size_t end) {
    std::size_t known = 0;
    for (std::size_t i = begin; i < end;) {
        if (!isLetterClass(kClassOf[static_cast<std::uint8_t>(text[i])])) {
            ++i;
            continue;
        }
        std::size_t stop = i;
        while (stop < end && isLetterClass(kClassOf[static_cast<std::uint8_t>(text[stop])]))
            ++stop;
        if (isKnownWord(text.substr(i, stop - i)))
            known += stop - i;
        i = stop;
    }
    return known;
}

/// The sample read through a candidate's map of the high bytes.
std::string readingOf(std::string_view text, const HighMap& map) {
    std::string out(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte >= 0x80)
            out[i] = static_cast<char>(map[byte - 0x80u]);
    }
    return out;
}

/// What another reading does to the words of a reading: over the spans of words where they
/// differ, the letters in real words before and after, and the letters of the spans.
struct WordChange {
    std::size_t knownBefore = 0, knownAfter = 0, spanLetters = 0;
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
        change.spanLetters += end - begin;
        i = end;
    }
    return change;
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
                 int recodedOddities) {
    const WordChange change = wordChange(asIs, recoded);
    if (change.knownAfter > change.knownBefore && 2 * change.knownAfter >= change.spanLetters)
        return false;
    if (asIsPlausibility >= kKeepAsItIsFrom)
        return true;
    // A text that is mostly real words outside those spans, and whose recoding still holds odd
    // bytes or words of mixed case: a damaged quotation the recoding only turned into other
    // garbage. (A real repair leaves neither.)
    return recodedOddities >= kOdditiesOfGarbage &&
           knownLettersIn(asIs, 0, asIs.size()) - change.knownBefore >= change.spanLetters;
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

DocumentPairs countPairs(std::string_view document) {
    std::vector<std::uint32_t> counts(256 * 256, 0);
    unsigned previous = ' ';
    for (const char ch : document) {
        const unsigned byte = static_cast<std::uint8_t>(ch);
        ++counts[previous << 8 | byte];
        previous = byte;
    }
    DocumentPairs result;
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned b = 0; b < 256; ++b) {
            const std::uint32_t n = counts[a << 8 | b];
            if (n == 0 || (a < 0x80 && b < 0x80))
                continue;
            result.pairs.push_back(
                {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), double(n)});
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
    const double evidence = std::log1p(static_cast<double>(j.words));
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

/// The part of judgeText that comes from how often each byte occurs.
void countBytes(const std::array<std::uint32_t, 256>& occurs, TextJudgement& judgement) {
    for (int a = 0; a < 256; ++a) {
        const auto count = static_cast<int>(occurs[static_cast<std::size_t>(a)]);
        const int c = kClassOf[static_cast<std::size_t>(a)];
        judgement.highBytes += a >= 0x80 ? count : 0;
        judgement.latinLetters += (a | 0x20) >= 'a' && (a | 0x20) <= 'z' ? count : 0;
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
    const auto step = [&](std::size_t k, std::size_t i, float& sum, int& pairs, int& oddBeside,
                          int& inWords, int& repeatedSpaces) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(texts[k].data());
        const std::uint8_t a = bytes[i];
        const int c = kClassOf[a];
        // Adding the zero cost of an ordinary byte changes nothing (the sum is never -0).
        if (c == kOddClass) {
            sum += unigramCost(c);
            oddBeside += (i > 0 && isLetterClass(kClassOf[bytes[i - 1]])) ||
                         (i + 1 < n && isLetterClass(kClassOf[bytes[i + 1]]));
        } else if (c == kPunctuationClass) {
            if (a == 0xA0)
                repeatedSpaces += i + 1 < n && bytes[i + 1] == 0xA0;
            else
                inWords += i > 0 && i + 1 < n && isLetterClass(kClassOf[bytes[i - 1]]) &&
                           isLetterClass(kClassOf[bytes[i + 1]]);
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
        int inWords[] = {(static_cast<void>(K), 0)...};
        int repeatedSpaces[] = {(static_cast<void>(K), 0)...};
        for (std::size_t i = 0; i < n; ++i)
            (step(K, i, sums[K], counts[K], oddBeside[K], inWords[K], repeatedSpaces[K]), ...);
        ((judgements[K].bigram = sums[K], judgements[K].transitions = counts[K],
          judgements[K].oddBesideLetters = oddBeside[K],
          judgements[K].punctuationInWords = inWords[K],
          judgements[K].repeatedNoBreakSpaces = repeatedSpaces[K]),
         ...);
    }
    (std::make_index_sequence<Lanes>());
}

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
    return judgement[0];
}

/// The part of judgeText that counts words: every word starting in [from, to), added to
/// `judgement` `sign` times (-1 takes them away).
void judgeWords(const Dictionary& dictionary, std::string_view text, std::size_t from,
                std::size_t to, WordFormMemo* memo, TextJudgement& judgement, int sign) {
    std::array<char, kLongestListedWord> small{};
    // The words' keys are looked up in batches, apart from the scan: each look-up is likely a
    // read from memory, and with nothing between them the reads of a batch overlap.
    std::array<std::uint64_t, 32> keys;
    std::size_t pending = 0;
    const auto lookUp = [&] {
        int known = 0;
        for (std::size_t k = 0; k < pending; ++k)
            known +=
                static_cast<int>(memo ? memo->listedKey(keys[k]) : isListedWordFormKey(keys[k]));
        judgement.knownWords += sign * known;
        pending = 0;
    };
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
        while (end < text.size() && isLetterClass(kClassOf[static_cast<std::uint8_t>(text[end])])) {
            const auto byte = static_cast<std::uint8_t>(text[end]);
            if (isCapitalClass(kClassOf[byte])) {
                ++capitals;
                tailHasCapital = tailHasCapital || end > i;
            }
            const std::uint8_t letter = capitalLetterCode(foldByte(byte));
            codable = codable && letter != kNotALetter;
            code = code << 5 | letter;
            if (end - i < small.size()) {
                // Small letters, ё as е, as the list holds them.
                const std::uint8_t folded = byte == 0xA8 || byte == 0xB8 ? 0xE5
                                            : byte < 0xE0 ? static_cast<std::uint8_t>(byte + 0x20)
                                                          : byte;
                small[end - i] = static_cast<char>(folded);
            }
            ++end;
        }
        const std::size_t length = end - i;
        const auto isLatin = [](char ch) {
            const auto b = static_cast<std::uint8_t>(ch);
            return (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
        };
        const auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
        // The n of the escape \n (\t, \r) and the letter of a placeholder such as %S or %1$S of
        // a message are no Latin letters of the word after them.
        const bool escape =
            i > 1 && ((text[i - 2] == '\\' &&
                       (text[i - 1] == 'n' || text[i - 1] == 't' || text[i - 1] == 'r')) ||
                      text[i - 2] == '%' || text[i - 2] == '$');
        const char before = escape ? ' ' : i > 0 ? text[i - 1] : ' ';
        const char after = end < text.size() ? text[end] : ' ';
        if (isLatin(before) || isLatin(after))
            judgement.mixedScriptWords += sign;
        else if (isDigit(before) || isDigit(after))
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
            if (length <= small.size()) {
                keys[pending++] = wordFormKey(std::string_view(small.data(), length));
                if (pending == keys.size())
                    lookUp();
            }
        }
        i = end;
    }
    lookUp();
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
        const auto word = [&](std::size_t at) {
            if (at < judgedTo)
                return;
            std::size_t start = at;
            while (start > 0 && letterAt(side, start - 1))
                --start;
            std::size_t end = at + 1;
            while (end < n && letterAt(side, end))
                ++end;
            judgeWords(dictionary, side, start, start + 1, &memo, judgement, sign);
            judgedTo = end;
        };
        for (const std::size_t d : differ) {
            if (letterAt(side, d)) {
                word(d);
                continue;
            }
            if (d > 0 && letterAt(side, d - 1))
                word(d - 1);
            if (d + 1 < n && letterAt(side, d + 1))
                word(d + 1);
        }
    }
    return judgement;
}

} // namespace

TextJudgement judgeText(const Dictionary& dictionary, std::string_view text, WordFormMemo* memo) {
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
    const std::string_view text = refinedSample(document);
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
    auto best = [](std::vector<std::size_t>& order, const std::vector<float>& score,
                   std::size_t keep) {
        keep = std::min(keep, order.size());
        keepBest(order, score, keep);
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
    bigramScores(shape, keys, order, shape.pairs.size(), quick, scoredPairs);
    best(order, quick, kFinalists);
    const std::size_t finalists = order.size();

    struct Judged {
        std::size_t index;
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
    for (; f + 4 <= finalists; f += 4) {
        std::array<TextJudgement, 4> four{};
        sumPairs<4>({readings[f], readings[f + 1], readings[f + 2], readings[f + 3]}, four);
        for (std::size_t k = 0; k < 4; ++k) {
            bytes[f + k].bigram = four[k].bigram;
            bytes[f + k].transitions = four[k].transitions;
            bytes[f + k].oddBesideLetters = four[k].oddBesideLetters;
            bytes[f + k].punctuationInWords = four[k].punctuationInWords;
            bytes[f + k].repeatedNoBreakSpaces = four[k].repeatedNoBreakSpaces;
        }
    }
    for (; f < finalists; ++f) {
        std::array<TextJudgement, 1> one{};
        sumPairs<1>({readings[f]}, one);
        bytes[f].bigram = one[0].bigram;
        bytes[f].transitions = one[0].transitions;
        bytes[f].oddBesideLetters = one[0].oddBesideLetters;
        bytes[f].punctuationInWords = one[0].punctuationInWords;
        bytes[f].repeatedNoBreakSpaces = one[0].repeatedNoBreakSpaces;
    }
    WordFormMemo memo;
    for (f = 0; f < finalists; ++f) {
        // The finalists mostly differ in a few bytes: each is judged from the first.
        TextJudgement j = bytes[f];
        if (f == 0)
            judgeWords(dictionary, readings[0], 0, readings[0].size(), &memo, j, 1);
        else
            j = judgeTextAgainst(dictionary, readings[f], readings[0], judged.front().judgement,
                                 memo, j);
        judged.push_back({order[f], fullTotal(j, keys.chain(order[f]).count, prior), j});
    }
    std::stable_sort(judged.begin(), judged.end(), [&keys](const Judged& a, const Judged& b) {
        if (a.total != b.total)
            return a.total > b.total;
        return keys.chain(a.index).count < keys.chain(b.index).count;
    });

    // The text as it is against a recoding that reads only a little better (asItIsHolds).
    bool keptAsItIs = false;
    if (prior.asItIsIsInput && keys.chain(judged.front().index).count != 0) {
        const auto asIs = std::find_if(judged.begin(), judged.end(),
                                       [](const Judged& j) { return j.index == 0; });
        if (asIs != judged.end() &&
            asItIsHolds(text, readingOf(text, keys.map(judged.front().index)),
                        plausibilityOf(asIs->judgement),
                        judged.front().judgement.oddBytes +
                            judged.front().judgement.mixedCaseWords)) {
            std::rotate(judged.begin(), asIs, asIs + 1);
            keptAsItIs = true;
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
    ranking.ambiguous =
        !keptAsItIs && judged.size() > 1 &&
        std::exp((judged[1].total - judged[0].total) / kTemperature) >= kAmbiguityRatio;

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
