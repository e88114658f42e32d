#include "detect/refined_ranking.h"

#include "detect/byte_hash.h"
#include "detect/candidates.h"
#include "detect/list_line.h"
#include "engine/code_tables.h"
#include "engine/recode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

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
/// Belief falls by e for every kTemperature nats a candidate trails the first.
constexpr double kTemperature = 2.0;
/// The first two are "ambiguous" when the second keeps at least a quarter of the first's belief.
constexpr double kAmbiguityRatio = 0.25;
/// Candidates judged in full after the bigram pre-ranking.
constexpr std::size_t kFinalists = 48;
/// The rough pre-ranking: how many of the most frequent byte pairs, and how many candidates it
/// passes on to the whole bigram score.
constexpr std::size_t kRoughPairs = 16;
constexpr std::size_t kRoughSurvivors = 600;

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

/// Distinct sets of mapped high bytes, each kept once with the shortest chain that made it.
class KeySet {
public:
    explicit KeySet(std::size_t keyLength) : keyLength_(keyLength) { slots_.assign(1 << 15, 0); }

    void offer(const std::uint8_t* key, const FilterList& chain) {
        if ((chains_.size() + 1) * 2 > slots_.size())
            grow();
        const std::uint64_t h = hash(key);
        std::size_t i = h & (slots_.size() - 1);
        for (; slots_[i] != 0; i = (i + 1) & (slots_.size() - 1)) {
            const std::size_t index = slots_[i] - 1;
            if (std::memcmp(keyAt(index), key, keyLength_) == 0) {
                if (chain.count < chains_[index].count)
                    chains_[index] = chain;
                return;
            }
        }
        keys_.insert(keys_.end(), key, key + keyLength_);
        chains_.push_back(chain);
        slots_[i] = static_cast<std::uint32_t>(chains_.size());
    }

    [[nodiscard]] std::size_t size() const noexcept { return chains_.size(); }
    [[nodiscard]] const std::uint8_t* keyAt(std::size_t index) const noexcept {
        return keys_.data() + index * keyLength_;
    }
    [[nodiscard]] const FilterList& chainAt(std::size_t index) const noexcept {
        return chains_[index];
    }

private:
    std::uint64_t hash(const std::uint8_t* key) const noexcept {
        return hashBytes(key, keyLength_);
    }

    void grow() {
        slots_.assign(slots_.size() * 2, 0);
        for (std::size_t index = 0; index < chains_.size(); ++index) {
            std::size_t i = hash(keyAt(index)) & (slots_.size() - 1);
            while (slots_[i] != 0)
                i = (i + 1) & (slots_.size() - 1);
            slots_[i] = static_cast<std::uint32_t>(index + 1);
        }
    }

    std::size_t keyLength_;
    std::vector<std::uint8_t> keys_;
    std::vector<FilterList> chains_;
    std::vector<std::uint32_t> slots_; // 1-based index into chains_; 0 for an empty slot
};

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
    std::sort(codes.begin(), codes.end());
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

/// The bigram part of the score of a chain given by its mapped high bytes, over the first
/// `pairCount` pairs.
float bigramScore(const TextShape& shape, const std::uint8_t* key, std::size_t pairCount,
                  ClassScratch& scratch) {
    std::array<std::uint8_t, 128 + kClasses>& classOf = scratch.classOf;
    float total = 0;
    for (std::size_t i = 0; i < shape.highCount; ++i) {
        classOf[i] = kClassOf[key[i]];
        if (classOf[i] == kOddClass)
            total += shape.highOccurrences[i] * unigramCost(classOf[i]);
    }
    for (const TextShape::Pair& pair : std::span(shape.pairs).first(pairCount))
        total +=
            pair.count *
            kTransition[static_cast<std::size_t>(classOf[pair.a] * kClasses + classOf[pair.b])];
    return total;
}

/// The sample's high bytes through each basic filter, for the last step of the enumeration.
using FirstSteps = std::array<std::array<std::uint8_t, 128>, kBasicFilterCount>;

void enumerate(const TextShape& shape, const FirstSteps& steps, const FilterList& tail,
               const ByteMap& tailMap, KeySet& keys) {
    std::array<std::uint8_t, 128> key;
    for (int first = 0; first < kBasicFilterCount; ++first) {
        if (!mayPrecede(first, tail))
            continue;
        const auto f = static_cast<std::size_t>(first);
        const FilterList chain = prependFilter(first, tail);
        for (std::size_t i = 0; i < shape.highCount; ++i)
            key[i] = tailMap[steps[f][i]];
        keys.offer(key.data(), chain);
        if (chain.count < 4) {
            const engine::CodeTable& table = engine::kCodeTables[f];
            ByteMap map = tailMap;
            for (std::size_t x = 0; x < 128; ++x)
                map[0x80 + x] = tailMap[table[x]];
            enumerate(shape, steps, chain, map, keys);
        }
    }
}

bool isCapitalClass(int c) {
    return c >= kCapital && c < kBoundaryClass;
}

} // namespace

TextJudgement judgeText(const Dictionary& dictionary, std::string_view text) {
    TextJudgement judgement;
    float bigram = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto a = static_cast<std::uint8_t>(text[i]);
        bigram += unigramCost(kClassOf[a]);
        if (isLetterClass(kClassOf[a]))
            ++judgement.letters;
        if (isCapitalClass(kClassOf[a]))
            ++judgement.capitals;
        if (i + 1 < text.size()) {
            const auto b = static_cast<std::uint8_t>(text[i + 1]);
            if (a >= 0x80 || b >= 0x80)
                bigram += transition(a, b);
        }
    }
    judgement.bigram = bigram;
    for (std::size_t i = 0; i < text.size();) {
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
            ++end;
        }
        const std::size_t length = end - i;
        const bool consistent = capitals == 0 || capitals == static_cast<int>(length) ||
                                (capitals == 1 && !tailHasCapital);
        if (!consistent) {
            ++judgement.mixedCaseWords;
        } else if (codable && ((length == 2 && dictionary.containsCode2(code)) ||
                               (length == 3 && dictionary.containsCode3(code)) ||
                               (length == 4 && dictionary.containsCode4(code)))) {
            ++judgement.dictionaryHits;
        }
        i = end;
    }
    return judgement;
}

RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                             std::span<const FilterList> storedChains, std::size_t maxCandidates) {
    RefinedRanking ranking;
    const std::string_view text = sample.textSample();
    const TextShape shape = shapeOf(text);
    if (shape.highCount == 0 || maxCandidates == 0)
        return ranking;

    KeySet keys(shape.highCount);
    std::array<std::uint8_t, 128> key;
    for (const FilterList& chain : storedChains) {
        const std::optional<ByteMap> map = engine::composeTables(chain);
        if (!map)
            continue;
        for (std::size_t i = 0; i < shape.highCount; ++i)
            key[i] = (*map)[shape.highBytes[i]];
        keys.offer(key.data(), chain);
    }
    ByteMap identity;
    std::iota(identity.begin(), identity.end(), std::uint8_t{0});
    FirstSteps steps{};
    for (std::size_t f = 0; f < steps.size(); ++f)
        for (std::size_t i = 0; i < shape.highCount; ++i)
            steps[f][i] = engine::kCodeTables[f][shape.highBytes[i] - 0x80u];
    enumerate(shape, steps, FilterList{}, identity, keys);

    // Pre-rank every distinct text by the bigram score of its most frequent byte pairs, then
    // the best of those by the whole bigram score; judge the best few of them in full.
    auto best = [](std::vector<std::size_t>& order, const std::vector<float>& score,
                   std::size_t keep) {
        keep = std::min(keep, order.size());
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(keep),
                          order.end(), [&score](std::size_t a, std::size_t b) {
                              return score[a] != score[b] ? score[a] > score[b] : a < b;
                          });
        order.resize(keep);
    };
    std::vector<float> quick(keys.size());
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const std::size_t roughPairs = std::min(kRoughPairs, shape.pairs.size());
    ClassScratch scratch;
    for (std::size_t i = 0; i < keys.size(); ++i)
        quick[i] = bigramScore(shape, keys.keyAt(i), roughPairs, scratch);
    best(order, quick, kRoughSurvivors);
    for (std::size_t index : order)
        quick[index] = bigramScore(shape, keys.keyAt(index), shape.pairs.size(), scratch);
    best(order, quick, kFinalists);
    const std::size_t finalists = order.size();

    struct Judged {
        std::size_t index;
        double total;
    };
    std::vector<Judged> judged;
    judged.reserve(finalists);
    std::string recoded(text);
    for (std::size_t index : order) {
        const std::uint8_t* mapped = keys.keyAt(index);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(text[i]);
            recoded[i] = static_cast<char>(byte >= 0x80 ? mapped[shape.indexOf[byte]] : byte);
        }
        const TextJudgement j = judgeText(dictionary, recoded);
        const double capitalShare =
            j.letters == 0 ? 0.0 : static_cast<double>(j.capitals) / j.letters;
        const double total =
            j.bigram + kMixedCaseWordCost * j.mixedCaseWords + kCapitalShareCost * capitalShare +
            kDictionaryHitGain * j.dictionaryHits + kFilterCost * keys.chainAt(index).count;
        judged.push_back({index, total});
    }
    std::stable_sort(judged.begin(), judged.end(), [&keys](const Judged& a, const Judged& b) {
        if (a.total != b.total)
            return a.total > b.total;
        return keys.chainAt(a.index).count < keys.chainAt(b.index).count;
    });

    double weightSum = 0;
    for (const Judged& j : judged)
        weightSum += std::exp((j.total - judged.front().total) / kTemperature);
    const double perByte = 1.0 / static_cast<double>(std::max<std::size_t>(shape.highPositions, 1));
    for (std::size_t n = 0; n < judged.size() && n < maxCandidates; ++n) {
        const Judged& j = judged[n];
        RefinedCandidate candidate;
        candidate.chain = keys.chainAt(j.index);
        candidate.action = engine::chainActionString(candidate.chain);
        candidate.label = variantLabel(sample, candidate.chain);
        candidate.score = j.total * perByte;
        candidate.confidence =
            std::exp((j.total - judged.front().total) / kTemperature) / weightSum;
        ranking.candidates.push_back(std::move(candidate));
    }
    ranking.ambiguous = judged.size() > 1 && std::exp((judged[1].total - judged[0].total) /
                                                      kTemperature) >= kAmbiguityRatio;
    return ranking;
}

} // namespace vorlex::detect
