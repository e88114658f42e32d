#include "detect/refined_ranking.h"

#include "detect/byte_hash.h"
#include "detect/candidates.h"
#include "detect/list_line.h"
#include "detect/word_forms.h"
#include "engine/code_tables.h"
#include "engine/recode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
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

/// Distinct sets of mapped high bytes, each with the shortest chain that made it (the first
/// offered of equal length) and every other chain that made it.
class KeySet {
public:
    explicit KeySet(std::size_t keyLength) : keyLength_(std::max<std::size_t>(keyLength, 1)) {
        slots_.assign(1 << 15, 0);
    }

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
                addMember(index, chain);
                return;
            }
        }
        keys_.insert(keys_.end(), key, key + keyLength_);
        chains_.push_back(chain);
        firstMember_.push_back(-1);
        lastMember_.push_back(-1);
        addMember(chains_.size() - 1, chain);
        slots_[i] = static_cast<std::uint32_t>(chains_.size());
    }

    [[nodiscard]] std::size_t size() const noexcept { return chains_.size(); }
    [[nodiscard]] const std::uint8_t* keyAt(std::size_t index) const noexcept {
        return keys_.data() + index * keyLength_;
    }
    [[nodiscard]] const FilterList& chainAt(std::size_t index) const noexcept {
        return chains_[index];
    }
    /// The chains of a key: its own chain first, then the others, shorter first.
    [[nodiscard]] std::vector<FilterList> membersOf(std::size_t index, std::size_t most) const {
        std::vector<FilterList> members{chains_[index]};
        std::vector<FilterList> others;
        for (int m = firstMember_[index]; m >= 0; m = nextMember_[static_cast<std::size_t>(m)])
            if (!(members_[static_cast<std::size_t>(m)] == chains_[index]))
                others.push_back(members_[static_cast<std::size_t>(m)]);
        std::stable_sort(
            others.begin(), others.end(),
            [](const FilterList& a, const FilterList& b) { return a.count < b.count; });
        for (const FilterList& other : others) {
            if (members.size() >= most)
                break;
            members.push_back(other);
        }
        return members;
    }

private:
    std::uint64_t hash(const std::uint8_t* key) const noexcept {
        return hashBytes(key, keyLength_);
    }

    void addMember(std::size_t index, const FilterList& chain) {
        const int m = static_cast<int>(members_.size());
        members_.push_back(chain);
        nextMember_.push_back(-1);
        if (lastMember_[index] < 0)
            firstMember_[index] = m;
        else
            nextMember_[static_cast<std::size_t>(lastMember_[index])] = m;
        lastMember_[index] = m;
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
    // Every offered chain, linked per key.
    std::vector<FilterList> members_;
    std::vector<int> nextMember_;
    std::vector<int> firstMember_, lastMember_;
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

/// The rough score of the first pre-ranking: the bigram part over the first `pairCount` pairs
/// alone, mapping only the bytes those pairs hold; an odd byte costs as in a pair's second place.
float roughScore(const TextShape& shape, const std::uint8_t* key, std::size_t pairCount) {
    float total = 0;
    for (const TextShape::Pair& pair : std::span(shape.pairs).first(pairCount)) {
        const int a = pair.a < 128 ? kClassOf[key[pair.a]] : pair.a - 128;
        const int b = pair.b < 128 ? kClassOf[key[pair.b]] : pair.b - 128;
        total +=
            pair.count * (kTransition[static_cast<std::size_t>(a * kClasses + b)] + unigramCost(b));
    }
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

/// Whether two readings of the sample's high bytes differ in a letter (not only in punctuation
/// or odd bytes).
bool differInLetters(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (a[i] != b[i] && (isLetterClass(kClassOf[a[i]]) || isLetterClass(kClassOf[b[i]])))
            return true;
    return false;
}

/// Longest word looked up in the list of word forms.
constexpr std::size_t kLongestListedWord = 32;

/// The whole judgement of a reading, in nats, given its filter count.
double fullTotal(const TextJudgement& j, int filters) {
    const double capitalShare = j.letters == 0 ? 0.0 : static_cast<double>(j.capitals) / j.letters;
    return j.bigram + kMixedCaseWordCost * j.mixedCaseWords + kCapitalShareCost * capitalShare +
           kDictionaryHitGain * j.dictionaryHits + kKnownWordGain * j.knownWords +
           kFilterCost * filters + (filters == 0 ? kAsItIsGain : 0.0);
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

/// The sample read through the candidate whose mapped high bytes are `mapped`.
std::string readingOf(std::string_view text, const TextShape& shape, const std::uint8_t* mapped) {
    std::string out(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte >= 0x80)
            out[i] = static_cast<char>(mapped[shape.indexOf[byte]]);
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
    const double perPair = j.transitions == 0 ? 0.0 : j.bigram / j.transitions;
    const double known = share(j.knownWords, j.words);
    const double evidence = std::log1p(static_cast<double>(j.words));
    return {perPair,
            known,
            share(j.oddBytes, j.highBytes),
            share(j.mixedCaseWords, j.words),
            share(j.letters, std::max(j.highBytes, j.letters)),
            evidence,
            known * evidence,
            perPair * evidence,
            share(j.capitals, j.letters),
            share(j.mixedScriptWords, j.words),
            share(j.letters, j.letters + j.latinLetters)};
}

TextJudgement judgeText(const Dictionary& dictionary, std::string_view text) {
    TextJudgement judgement;
    float bigram = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto a = static_cast<std::uint8_t>(text[i]);
        const int c = kClassOf[a];
        bigram += unigramCost(c);
        judgement.highBytes += a >= 0x80;
        judgement.latinLetters += (a | 0x20) >= 'a' && (a | 0x20) <= 'z';
        judgement.oddBytes += c == kOddClass;
        if (isLetterClass(c))
            ++judgement.letters;
        if (isCapitalClass(c))
            ++judgement.capitals;
        if (i + 1 < text.size()) {
            const auto b = static_cast<std::uint8_t>(text[i + 1]);
            if (a >= 0x80 || b >= 0x80) {
                bigram += transition(a, b);
                ++judgement.transitions;
            }
        }
    }
    judgement.bigram = bigram;
    std::array<char, kLongestListedWord> small{};
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
        const auto isAlnum = [](char ch) {
            const auto b = static_cast<std::uint8_t>(ch);
            return (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z');
        };
        if ((i > 0 && isAlnum(text[i - 1])) || (end < text.size() && isAlnum(text[end])))
            ++judgement.mixedScriptWords;
        const bool consistent = capitals == 0 || capitals == static_cast<int>(length) ||
                                (capitals == 1 && !tailHasCapital);
        ++judgement.words;
        if (!consistent) {
            ++judgement.mixedCaseWords;
        } else {
            if (codable && ((length == 2 && dictionary.containsCode2(code)) ||
                            (length == 3 && dictionary.containsCode3(code)) ||
                            (length == 4 && dictionary.containsCode4(code))))
                ++judgement.dictionaryHits;
            if (length <= small.size() && isRussianWordForm(std::string_view(small.data(), length)))
                ++judgement.knownWords;
        }
        i = end;
    }
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
                             std::size_t maxCandidates) {
    RefinedRanking ranking;
    const std::string_view text = refinedSample(document);
    const TextShape shape = shapeOf(text);
    if (shape.highCount == 0 || maxCandidates == 0)
        return ranking;

    KeySet keys(shape.highCount);
    std::array<std::uint8_t, 128> key;
    // The text as it is comes first: it wins every tie with a chain that gives the same text.
    keys.offer(shape.highBytes.data(), FilterList{});
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
    // the best of those by the whole bigram score; judge the best few of them in full. The
    // text as it is always reaches the final judgement.
    auto best = [](std::vector<std::size_t>& order, const std::vector<float>& score,
                   std::size_t keep) {
        keep = std::min(keep, order.size());
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(keep),
                          order.end(), [&score](std::size_t a, std::size_t b) {
                              return score[a] != score[b] ? score[a] > score[b] : a < b;
                          });
        order.resize(keep);
        if (std::find(order.begin(), order.end(), std::size_t{0}) == order.end())
            order.back() = 0;
    };
    std::vector<float> quick(keys.size());
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const std::size_t roughPairs = std::min(kRoughPairs, shape.pairs.size());
    ClassScratch scratch;
    for (std::size_t i = 0; i < keys.size(); ++i)
        quick[i] = roughScore(shape, keys.keyAt(i), roughPairs);
    best(order, quick, kRoughSurvivors);
    if (shape.pairs.size() > kFinerPairs) {
        for (std::size_t index : order)
            quick[index] = bigramScore(shape, keys.keyAt(index), kFinerPairs, scratch);
        best(order, quick, kFinerSurvivors);
    }
    for (std::size_t index : order)
        quick[index] = bigramScore(shape, keys.keyAt(index), shape.pairs.size(), scratch);
    best(order, quick, kFinalists);
    const std::size_t finalists = order.size();

    struct Judged {
        std::size_t index;
        double total;
        TextJudgement judgement;
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
        judged.push_back({index, fullTotal(j, keys.chainAt(index).count), j});
    }
    std::stable_sort(judged.begin(), judged.end(), [&keys](const Judged& a, const Judged& b) {
        if (a.total != b.total)
            return a.total > b.total;
        return keys.chainAt(a.index).count < keys.chainAt(b.index).count;
    });

    // The text as it is against a recoding that reads only a little better (asItIsHolds).
    bool keptAsItIs = false;
    if (keys.chainAt(judged.front().index).count != 0) {
        const auto asIs = std::find_if(judged.begin(), judged.end(),
                                       [](const Judged& j) { return j.index == 0; });
        if (asIs != judged.end() &&
            asItIsHolds(text, readingOf(text, shape, keys.keyAt(judged.front().index)),
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
        candidate.chain = keys.chainAt(j.index);
        candidate.action = engine::chainActionString(candidate.chain);
        candidate.label = variantLabel(sample, candidate.chain);
        candidate.score = j.total * perByte;
        candidate.sampleTotal = j.total;
        candidate.confidence = std::exp((j.total - topTotal) / kTemperature) / weightSum;
        candidate.plausibility = plausibilityOf(j.judgement);
        candidate.sameSampleChains = keys.membersOf(j.index, kMaxSameSampleChains);
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
               differInLetters(keys.keyAt(judged[0].index), keys.keyAt(judged[1].index),
                               shape.highCount)) {
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
    auto bestOf = [&pairs](const RefinedCandidate& candidate) {
        Best best{candidate.chain, -std::numeric_limits<double>::infinity()};
        for (const FilterList& chain : candidate.sameSampleChains) {
            const std::optional<ByteMap> map = engine::composeTables(chain);
            if (!map)
                continue;
            const double score = documentScore(pairs, *map) + kFilterCost * chain.count;
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
