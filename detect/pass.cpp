#include "detect/pass.h"

#include "detect/byte_hash.h"
#include "detect/candidates.h"
#include "detect/list_line.h"
#include "detect/scoring.h"
#include "detect/stored_schemes.h"
#include "engine/code_tables.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace vorlex::detect {
namespace {

using engine::ByteMap;
using engine::FilterList;

// Every table maps the upper half into the upper half. So once the first table step has turned
// the control bytes of a label into spaces, no later step meets a byte below 0x0F again, and a
// chain of tables acts on a short text exactly as its composed byte map does.
constexpr bool tablesStayInUpperHalf() {
    for (const auto& table : engine::kCodeTables)
        for (std::uint8_t out : table)
            if (out < 0x80)
                return false;
    return true;
}
static_assert(tablesStayInUpperHalf());

constexpr ByteMap identityMap() {
    ByteMap map{};
    for (int b = 0; b < 256; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    return map;
}

/// `map` after table `table`: out[x] = map[table(x)].
ByteMap afterTable(const ByteMap& map, int table) {
    ByteMap out = map;
    const engine::CodeTable& t = engine::kCodeTables[static_cast<std::size_t>(table)];
    for (std::size_t x = 0; x < 128; ++x)
        out[0x80 + x] = map[t[x]];
    return out;
}

/// The byte map of a chain of table filters.
ByteMap chainMap(const FilterList& chain) {
    ByteMap map = identityMap();
    for (int i = chain.count - 1; i >= 0; --i)
        map = afterTable(map, chain.filters[static_cast<std::size_t>(i)]);
    return map;
}

/// For every byte, the letter code of the byte the chain makes of it, folded to upper case.
using CodeMap = std::array<std::uint8_t, 256>;

constexpr CodeMap buildFoldedCodes() {
    CodeMap codes{};
    for (std::size_t b = 0; b < 256; ++b)
        codes[b] = capitalLetterCode(foldByte(static_cast<std::uint8_t>(b)));
    return codes;
}
constexpr CodeMap kFoldedCodes = buildFoldedCodes();

CodeMap letterCodes(const ByteMap& map) {
    CodeMap codes;
    // Bytes below 0x80 stay below 0x80 and are never letters.
    std::fill_n(codes.begin(), 0x80, kNotALetter);
    for (std::size_t b = 0x80; b < 256; ++b)
        codes[b] = kFoldedCodes[map[b]];
    return codes;
}

/// The sample words, either as sampled or after one first table step.
struct Words {
    std::array<std::array<std::uint8_t, 2>, kSampleSlots> two{};
    std::array<std::array<std::uint8_t, 3>, kSampleSlots> three{};
    std::array<std::array<std::uint8_t, 4>, kSampleSlots> four{};
};

using LabelBytes = std::array<std::uint8_t, kLabelLength>;

/// Up to 128 distinct bytes of 0x80 and above.
struct HighBytes {
    std::array<std::uint8_t, 128> bytes{};
    std::size_t count = 0;
};

/// What the first step of a chain makes of the sample: its words, the label text (control
/// bytes already spaces) and the distinct high bytes of that text.
struct FirstStep {
    Words words;
    LabelBytes text{};
    HighBytes letters;
};

/// The labels accepted so far in a pass, with the semantics of the accepted-labels log: a
/// label is new unless an equal one was accepted before.
///
/// Two chains give the same label exactly when they map every distinct high byte of the label
/// text alike (bytes below 0x80 stay as they are), so the set holds those few bytes per label
/// instead of all 199.
class LabelSet {
public:
    explicit LabelSet(std::size_t keyLength) : keyLength_(keyLength) {}

    /// Adds a key; false when an equal one is already there.
    bool insert(const std::uint8_t* key) {
        if ((count_ + 1) * 2 > slots_.size())
            grow();
        const std::uint32_t h = hash(key);
        std::size_t i = h & (slots_.size() - 1);
        for (; slots_[i].index != 0; i = (i + 1) & (slots_.size() - 1)) {
            const Slot& slot = slots_[i];
            if (slot.hash == h && std::memcmp(at(slot.index - 1), key, keyLength_) == 0)
                return false;
        }
        arena_.insert(arena_.end(), key, key + keyLength_);
        slots_[i] = {h, static_cast<std::uint32_t>(++count_)};
        return true;
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t index = 0; // 1-based position in the arena; 0 for an empty slot
    };

    std::uint32_t hash(const std::uint8_t* key) const noexcept {
        const std::uint64_t h = hashBytes(key, keyLength_);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    const std::uint8_t* at(std::size_t index) const noexcept {
        return arena_.data() + index * keyLength_;
    }

    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
        if (arena_.capacity() == 0)
            arena_.reserve(1024 * keyLength_);
        for (const Slot& slot : old) {
            if (slot.index == 0)
                continue;
            std::size_t i = slot.hash & (slots_.size() - 1);
            while (slots_[i].index != 0)
                i = (i + 1) & (slots_.size() - 1);
            slots_[i] = slot;
        }
    }

    std::size_t keyLength_;
    std::vector<std::uint8_t> arena_;
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

/// The body of one pass. Lives on the thread that runs the pass; only the atomics it is given
/// are shared.
class PassRunner {
public:
    PassRunner(const Dictionary& dictionary, const PassSetup& setup, VariantSink& sink,
               const std::atomic<int>& stop, std::atomic<int>& accepted, std::atomic<int>& progress,
               const std::atomic<int>& maxVariants)
        : dictionary_(dictionary), setup_(setup), sink_(sink), stop_(stop), accepted_(accepted),
          progress_(progress), maxVariants_(maxVariants) {
        const Sample& sample = setup.sample;
        counts_ = {std::clamp(sample.twoCount, 0, kSampleSlots),
                   std::clamp(sample.threeCount, 0, kSampleSlots),
                   std::clamp(sample.fourCount, 0, kSampleSlots)};
        wordLoops_ = std::max({counts_.two, counts_.three, counts_.four});
        threshold_ =
            kPrecisionThresholds[static_cast<std::size_t>(clampPrecision(setup.precision))];

        for (std::size_t j = 0; j < kSampleSlots; ++j) {
            std::copy_n(sample.twoLetter[j].begin(), 2, unchanged_.words.two[j].begin());
            std::copy_n(sample.threeLetter[j].begin(), 3, unchanged_.words.three[j].begin());
            std::copy_n(sample.fourLetter[j].begin(), 4, unchanged_.words.four[j].begin());
        }
        std::array<bool, 256> present{};
        for (std::size_t i = 0; i < kLabelLength; ++i) {
            const std::uint8_t byte = sample.text[i] < 0x0F ? std::uint8_t{' '} : sample.text[i];
            unchanged_.text[i] = byte;
            present[byte] = true;
        }
        for (int byte = 0x80; byte < 256; ++byte)
            if (present[static_cast<std::size_t>(byte)])
                unchanged_.letters.bytes[unchanged_.letters.count++] =
                    static_cast<std::uint8_t>(byte);
        for (int f = 0; f < kBasicFilterCount; ++f) {
            const ByteMap map = afterTable(identityMap(), f);
            FirstStep& step = firstSteps_[static_cast<std::size_t>(f)];
            auto through = [&map](const auto& from, auto& to) {
                for (std::size_t j = 0; j < from.size(); ++j)
                    for (std::size_t i = 0; i < from[j].size(); ++i)
                        to[j][i] = map[from[j][i]];
            };
            through(unchanged_.words.two, step.words.two);
            through(unchanged_.words.three, step.words.three);
            through(unchanged_.words.four, step.words.four);
            for (std::size_t i = 0; i < kLabelLength; ++i)
                step.text[i] = map[unchanged_.text[i]];
            step.letters.count = unchanged_.letters.count;
            for (std::size_t i = 0; i < step.letters.count; ++i)
                step.letters.bytes[i] = map[unchanged_.letters.bytes[i]];
        }
        labels_ = LabelSet(unchanged_.letters.count);
    }

    void run() {
        scoreStoredSchemes();
        int tried = 0;
        for (int stage = 1; stage <= 4 && !stopped(); ++stage)
            runStage(stage, tried);
    }

private:
    bool stopped() const noexcept { return stop_.load(std::memory_order_relaxed) != 0; }

    void scoreStoredSchemes() {
        forEachScoredStoredScheme(
            setup_,
            [this](const FilterList& chain) {
                const ByteMap map = chainMap(chain);
                consider(chain, unchanged_, letterCodes(map), map);
            },
            [this] { return stopped(); });
    }

    // A chain of stage n is a basic filter put in front of a chain of stage n - 1 (its tail);
    // the tails are visited in their own stage's order, the first filter innermost.
    void runStage(int stage, int& tried) {
        auto visit = [&](const FilterList& tail, const ByteMap& tailMap) {
            const CodeMap codes = letterCodes(tailMap);
            for (int first = 0; first < kBasicFilterCount; ++first) {
                if (!mayPrecede(first, tail))
                    continue;
                if (stopped())
                    return false;
                const auto f = static_cast<std::size_t>(first);
                consider(prependFilter(first, tail), firstSteps_[f], codes, tailMap);
                progress_.store(++tried, std::memory_order_relaxed);
            }
            return true;
        };
        switch (stage) {
        case 1:
            forEachTail<0>(visit);
            break;
        case 2:
            forEachTail<1>(visit);
            break;
        case 3:
            forEachTail<2>(visit);
            break;
        default:
            forEachTail<3>(visit);
            break;
        }
    }

    /// Visits the stage chains of `Length` filters in stage order with their byte maps; stops
    /// when `visit` returns false.
    template <int Length, class Visit> static bool forEachTail(Visit&& visit) {
        if constexpr (Length == 0) {
            return visit(FilterList{}, identityMap());
        } else {
            return forEachTail<Length - 1>([&](const FilterList& shorter, const ByteMap& map) {
                for (int first = 0; first < kBasicFilterCount; ++first)
                    if (mayPrecede(first, shorter) &&
                        !visit(prependFilter(first, shorter), afterTable(map, first)))
                        return false;
                return true;
            });
        }
    }

    Hits countHits(const Words& words, const CodeMap& codes) const noexcept {
        Hits hits;
        for (int j = 0; j < wordLoops_; ++j) {
            // A stop ends the word loop; the chain is judged on the hits counted so far.
            if (stopped())
                break;
            const auto s = static_cast<std::size_t>(j);
            if (j < counts_.two) {
                const auto& w = words.two[s];
                const unsigned a = codes[w[0]], b = codes[w[1]];
                if (((a | b) & kNotALetter) == 0 && dictionary_.containsCode2(a << 5 | b))
                    ++hits.two;
            }
            if (j < counts_.three) {
                const auto& w = words.three[s];
                const unsigned a = codes[w[0]], b = codes[w[1]], c = codes[w[2]];
                if (((a | b | c) & kNotALetter) == 0 &&
                    dictionary_.containsCode3(a << 10 | b << 5 | c))
                    ++hits.three;
            }
            if (j < counts_.four) {
                const auto& w = words.four[s];
                const unsigned a = codes[w[0]], b = codes[w[1]], c = codes[w[2]], d = codes[w[3]];
                if (((a | b | c | d) & kNotALetter) == 0 &&
                    dictionary_.containsCode4(a << 15 | b << 10 | c << 5 | d))
                    ++hits.four;
            }
        }
        return hits;
    }

    /// Scores one chain and, when it is accepted and new, places and inserts it. `first` is
    /// what the chain's first step makes of the sample (the sample itself for a stored scheme,
    /// with `rest` the whole chain) and `codes` the letter codes after the rest of the chain.
    void consider(const FilterList& chain, const FirstStep& first, const CodeMap& codes,
                  const ByteMap& rest) {
        const Judgement judgement = judge(counts_, countHits(first.words, codes));
        if (!(judgement.score >= threshold_ * judgement.maximum))
            return;
        std::array<std::uint8_t, 128> key;
        for (std::size_t i = 0; i < first.letters.count; ++i)
            key[i] = rest[first.letters.bytes[i]];
        if (!labels_.insert(key.data()))
            return; // the same label was accepted before: not placed, not counted
        const std::optional<int> place = top_.place(judgement.score);
        const int maximum = maxVariants_.load(std::memory_order_relaxed);
        if (accepted_.load(std::memory_order_relaxed) < maximum) {
            insert(place, chain, first, rest, judgement);
        } else if (place && *place < maximum) {
            // The list is full: the last shown line makes room. (A maximum raised during the
            // pass may leave fewer lines than that; then nothing needs to go.)
            if (maximum - 1 < lines_) {
                sink_.remove(maximum - 1);
                --lines_;
            }
            insert(place, chain, first, rest, judgement);
        }
        accepted_.fetch_add(1, std::memory_order_relaxed);
    }

    void insert(std::optional<int> place, const FilterList& chain, const FirstStep& first,
                const ByteMap& rest, const Judgement& judgement) {
        VariantEntry entry;
        entry.label.resize(kLabelLength);
        for (std::size_t i = 0; i < kLabelLength; ++i)
            entry.label[i] = static_cast<char>(rest[first.text[i]]);
        entry.action = engine::chainActionString(chain);
        entry.line = buildListLine(entry.label, entry.action);
        entry.score = judgement.score;
        entry.maximum = judgement.maximum;
        if (place && *place <= lines_)
            sink_.insert(*place, entry);
        else
            sink_.append(entry);
        ++lines_;
    }

    const Dictionary& dictionary_;
    const PassSetup& setup_;
    VariantSink& sink_;
    const std::atomic<int>& stop_;
    std::atomic<int>& accepted_;
    std::atomic<int>& progress_;
    const std::atomic<int>& maxVariants_;

    WordCounts counts_;
    int wordLoops_ = 0;
    double threshold_ = 0;
    FirstStep unchanged_;
    std::array<FirstStep, kBasicFilterCount> firstSteps_;
    TopFive top_;
    LabelSet labels_{0};
    int lines_ = 0;
};

} // namespace

void VariantList::insert(int index, const VariantEntry& entry) {
    std::lock_guard lock(mutex_);
    const auto at =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

void VariantList::append(const VariantEntry& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
}

void VariantList::remove(int index) {
    std::lock_guard lock(mutex_);
    if (index >= 0 && static_cast<std::size_t>(index) < entries_.size())
        entries_.erase(entries_.begin() + index);
}

void VariantList::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::vector<VariantEntry> VariantList::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::size_t VariantList::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

ActionReader snapshotActions(const std::vector<int>& schemeItems, const ActionReader& reader) {
    auto actions = std::make_shared<std::unordered_map<int, std::string>>();
    for (std::size_t item = 1; item < schemeItems.size(); ++item)
        if (schemeItems[item] != kAutoItem && reader)
            actions->emplace(schemeItems[item], reader(schemeItems[item]));
    return [actions](int schemeNumber) {
        const auto found = actions->find(schemeNumber);
        return found == actions->end() ? std::string(kMissingValue) : found->second;
    };
}

RecodingPass::~RecodingPass() {
    requestStop();
    wait();
}

void RecodingPass::wait() {
    if (worker_.joinable())
        worker_.join();
}

void RecodingPass::setMaxVariants(int maximum) noexcept {
    maxVariants_.store(std::clamp(maximum, kMinVariants, kMaxVariants));
}

void RecodingPass::prepare(const PassSetup& setup) {
    requestStop();
    wait();
    accepted_.store(0);
    progress_.store(0);
    chainsTried_.store(0);
    setMaxVariants(setup.maxVariants);
}

void RecodingPass::run(const PassSetup& setup, VariantSink& sink) {
    // Whatever happens, the pass ends with the progress at 0 and the stop flag at 1.
    struct End {
        RecodingPass& pass;
        ~End() {
            pass.chainsTried_.store(pass.progress_.load());
            pass.progress_.store(0);
            pass.stopFlag_.store(1);
        }
    } end{*this};
    PassRunner(dictionary_, setup, sink, stopFlag_, accepted_, progress_, maxVariants_).run();
}

bool RecodingPass::start(PassSetup setup, VariantSink& sink) {
    prepare(setup);
    if (!setup.sample.hasWords())
        return false;
    stopFlag_.store(0);
    worker_ = std::thread([this, setup = std::move(setup), &sink] {
        try {
            if (setup.onWorkerStart)
                setup.onWorkerStart();
            run(setup, sink);
        } catch (...) {
            // A failing sink or reader ends the pass; the flag is already 1 (see run).
            stopFlag_.store(1);
        }
    });
    return true;
}

void RecodingPass::runToCompletion(PassSetup setup, VariantSink& sink) {
    prepare(setup);
    if (!setup.sample.hasWords())
        return;
    stopFlag_.store(0);
    run(setup, sink);
}

PassResult runPass(const Dictionary& dictionary, PassSetup setup) {
    VariantList list;
    RecodingPass pass(dictionary);
    pass.runToCompletion(std::move(setup), list);
    return {list.entries(), pass.acceptedCount()};
}

} // namespace vorlex::detect
