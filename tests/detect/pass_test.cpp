#include "detect/candidates.h"
#include "detect/list_line.h"
#include "detect/pass.h"
#include "test_support.h"

#include <future>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <thread>

namespace vorlex::detect::test {
namespace {

const Dictionary& dictionary() {
    static const Dictionary instance;
    return instance;
}

PassSetup setupFor(const Sample& sample, int precision = 7, int maxVariants = 20,
                   std::vector<int> items = {}, ActionReader reader = {}) {
    PassSetup setup;
    setup.sample = sample;
    setup.precision = precision;
    setup.maxVariants = maxVariants;
    setup.schemeItems = std::move(items);
    setup.readAction = std::move(reader);
    return setup;
}

struct PassRun {
    std::vector<ListOp> ops;
    std::vector<VariantEntry> list;
    int found = 0;
};

PassRun runRecorded(PassSetup setup) {
    RecordingSink sink;
    RecodingPass pass(dictionary());
    pass.runToCompletion(std::move(setup), sink);
    EXPECT_EQ(pass.stopFlag(), 1);
    EXPECT_EQ(pass.progress(), 0);
    return {sink.ops(), sink.list(), pass.acceptedCount()};
}

/// Damaged text: Win text recoded by `damage`, then read as if it were Win.
Sample damagedSample(std::string_view utf8Text, std::string_view damage) {
    return sampleSource(recodeWhole(win(utf8Text), damage));
}

// --- the pass against the plain reference ---------------------------------------------------

std::string randomText(std::mt19937& random) {
    const Dictionary& d = dictionary();
    std::string text;
    const char* punctuation[] = {" ", " ", " ", ", ", ". ", "\r\n", "-", "\t", "5", "! "};
    const int words = std::uniform_int_distribution<int>(3, 60)(random);
    for (int i = 0; i < words; ++i) {
        std::string word;
        switch (random() % 4) {
        case 0:
        case 1: { // a dictionary word in random case
            const auto& list = d.words(2 + static_cast<int>(random() % 3));
            word = list[random() % list.size()];
            for (char& c : word)
                if (random() % 2)
                    c = static_cast<char>(static_cast<std::uint8_t>(c) + 32);
            break;
        }
        case 2: // random high bytes
            for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n)
                word += static_cast<char>(0x80 + random() % 128);
            break;
        default:
            word = "abc";
        }
        text += word + punctuation[random() % std::size(punctuation)];
    }
    const char* damage[] = {"", "wk", "wi", "wa", "wm", "wk wk", "ka iw", "wi ik ka", "mw"};
    return recodeWhole(text, damage[random() % std::size(damage)]);
}

Sample randomRawSample(std::mt19937& random) {
    Sample sample;
    auto fill = [&](auto& slots, int& count) {
        count = static_cast<int>(random() % 11);
        for (auto& slot : slots)
            for (std::size_t i = 0; i + 1 < slot.size(); ++i)
                slot[i] = static_cast<std::uint8_t>(random() % 8 == 0 ? random() % 256
                                                                      : 0xC0 + random() % 64);
    };
    fill(sample.twoLetter, sample.twoCount);
    fill(sample.threeLetter, sample.threeCount);
    fill(sample.fourLetter, sample.fourCount);
    for (std::size_t i = 0; i < 200; ++i)
        sample.text[i] = static_cast<std::uint8_t>(random() % 256);
    return sample;
}

TEST(Pass, MatchesThePlainReferenceOnRandomSamples) {
    std::mt19937 random(20240611);
    const std::vector<std::string> pool = {
        "mw",    "wm wk", "wk wk", "wl",    "kw wl",          "",      "Wk",
        "kw ka", "mw ki", "wk",    "lw wk", "ai ak aw ia ik", "wm mw", "ki"};
    for (int trial = 0; trial < 24; ++trial) {
        const Sample sample =
            trial % 3 == 2 ? randomRawSample(random) : sampleSource(randomText(random));
        std::vector<int> items{-1};
        std::map<int, std::string> actions;
        for (int n = static_cast<int>(random() % 6); n > 0; --n) {
            const int number = static_cast<int>(random() % 40);
            items.push_back(random() % 5 == 0 ? -1 : number);
            if (random() % 6 != 0)
                actions[number] = pool[random() % pool.size()];
        }
        const int precision = static_cast<int>(random() % 12) - 1;
        const int maxVariants = std::vector<int>{1, 2, 4, 5, 20, 99}[random() % 6];
        const ReferenceResult expected =
            referencePass(sample, precision, maxVariants, items, readerOf(actions));
        const PassRun run =
            runRecorded(setupFor(sample, precision, maxVariants, items, readerOf(actions)));
        ASSERT_EQ(run.found, expected.found) << "trial " << trial;
        ASSERT_EQ(run.ops.size(), expected.ops.size()) << "trial " << trial;
        for (std::size_t i = 0; i < run.ops.size(); ++i)
            ASSERT_EQ(run.ops[i], expected.ops[i]) << "trial " << trial << " op " << i;
    }
}

// --- real texts --------------------------------------------------------------------------------

struct Damage {
    std::string_view name;
    std::string_view damage; ///< how the Win text was spoiled
    std::string_view repair; ///< the action expected on top, or empty when any repair will do
};

class RealText : public ::testing::TestWithParam<Damage> {};

TEST_P(RealText, RightRepairComesFirst) {
    const Damage& c = GetParam();
    for (std::string_view text : {kMorningText, kManualText, kLetterText}) {
        const std::string original = win(text);
        const std::string damaged = recodeWhole(original, c.damage);
        const Sample sample = sampleSource(damaged);
        ASSERT_TRUE(sample.hasWords());
        const PassResult result =
            runPass(dictionary(), setupFor(sample, 7, 20, builtInItems(), builtInReader()));
        ASSERT_FALSE(result.variants.empty());
        const VariantEntry& best = result.variants.front();
        if (!c.repair.empty()) {
            EXPECT_EQ(best.action, c.repair) << utf8(best.label);
        }
        EXPECT_EQ(best.label, variantLabel(sampleSource(original), {}).substr(0, 199))
            << utf8(best.label);
        EXPECT_EQ(recodeWhole(damaged, best.action), original) << best.action;
        EXPECT_EQ(readListLine(best.line), best.action);
        for (std::size_t i = 1; i < result.variants.size() && i < 5; ++i)
            EXPECT_LE(result.variants[i].score, result.variants[i - 1].score + 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, RealText,
                         ::testing::Values(Damage{"Koi", "wk", "kw "}, Damage{"Iso", "wi", "iw "},
                                           Damage{"Alt", "wa", "aw "}, Damage{"Mac", "wm", "mw "},
                                           Damage{"Win", "", ""},
                                           Damage{"WinKoiTwice", "wk wk", "kw kw "}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- stored schemes ---------------------------------------------------------------------------

TEST(Pass, StoredSchemesThatAreNotScored) {
    const Sample sample = damagedSample(kManualText, "wk");
    const PassRun none = runRecorded(setupFor(sample, 3, 99));
    ASSERT_GT(none.found, 0);
    // A single basic filter (stage 1 covers it), any transliteration, a missing action and an
    // empty or unparsable action (a Unicode action among them) add nothing; "Auto" and items
    // with data -1 are not read.
    std::vector<int> read;
    const std::map<int, std::string> actions = {{1, "wk"}, {2, "wl"}, {3, "kw wl"},    {4, "lw wk"},
                                                {6, ""},   {7, "Wk"}, {8, "uw 8u kw "}};
    ActionReader reader = [&](int number) {
        read.push_back(number);
        return readerOf(actions)(number);
    };
    const PassRun with =
        runRecorded(setupFor(sample, 3, 99, {-1, 1, 2, -1, 3, 4, 5, 6, 7, 8}, reader));
    EXPECT_EQ(with.ops, none.ops);
    EXPECT_EQ(with.found, none.found);
    EXPECT_EQ(read, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    // With a single item (just "Auto") nothing is read at all.
    read.clear();
    (void)runRecorded(setupFor(sample, 3, 99, {-1}, reader));
    EXPECT_TRUE(read.empty());
}

TEST(Pass, StoredMacSchemeIsScoredOnItsOwnWords) {
    // Three two-letter words (2 hits), five three-letter words (4 hits), two four-letter words
    // (2 hits), small letters without я, on which Mac->Win changes nothing. The slots past
    // each count hold dictionary words that must not be counted.
    Sample sample;
    auto put = [](auto& slots, std::initializer_list<std::string_view> words) {
        std::size_t j = 0;
        for (auto w : words) {
            const std::string bytes = win(w);
            std::copy(bytes.begin(), bytes.end(), slots[j++].begin());
        }
    };
    put(sample.twoLetter, {"мы", "он", "щщ", "да", "да", "да", "да", "да", "да", "да"});
    put(sample.threeLetter, {"так", "что", "кто", "щщщ", "нет", "вот", "вот", "вот", "вот", "вот"});
    put(sample.fourLetter, {"дело", "окно", "окно", "окно", "окно", "окно"});
    sample.twoCount = 3;
    sample.threeCount = 5;
    sample.fourCount = 2;
    const std::string text = win("мы он щщ так что кто щщщ нет дело окно");
    std::fill(sample.text.begin(), sample.text.begin() + 200, ' ');
    std::copy(text.begin(), text.end(), sample.text.begin());

    const PassRun run = runRecorded(setupFor(sample, 7, 20, {-1, 21}, readerOf({{21, "mw"}})));
    ASSERT_FALSE(run.ops.empty());
    const ListOp& first = run.ops.front();
    EXPECT_EQ(first.kind, ListOp::insert);
    EXPECT_EQ(first.index, 0);
    EXPECT_EQ(readListLine(first.line), "mw ");
    // p2 = 66, p3 = 80, p4 = 100.
    EXPECT_NEAR(first.score, 0.0001 * 10000 * 2 + 0.00004 * 6400 * 5 + 0.00002 * 4356 * 3, 1e-12);
    EXPECT_NEAR(first.maximum, 4.6, 1e-12);
}

TEST(Pass, StoredChainFoundAgainBySearchGivesOneLine) {
    const Sample sample = damagedSample(kLetterText, "wi");
    const PassRun none = runRecorded(setupFor(sample, 0, 99));
    const PassRun with = runRecorded(setupFor(sample, 0, 99, {-1, 5}, readerOf({{5, "kw ka"}})));
    EXPECT_EQ(with.found, none.found);
    const std::string label = variantLabel(sample, engine::parseAction("kw ka"));
    auto linesWithLabel = [&](const PassRun& run) {
        int n = 0;
        for (const auto& entry : run.list)
            n += entry.label == label;
        return n;
    };
    EXPECT_LE(linesWithLabel(none), 1);
    EXPECT_EQ(linesWithLabel(with), 1);
    EXPECT_EQ(readListLine(with.ops.front().line), "kw ka ");
}

// --- acceptance, duplicates, places and the list limit -----------------------------------------

TEST(Pass, PrecisionZeroAcceptsEveryChainWithANewLabel) {
    const Sample sample = damagedSample(kMorningText, "wa");
    std::set<std::string> labels;
    for (int stage = 1; stage <= 4; ++stage)
        for (const auto& chain : stageChains(stage))
            labels.insert(variantLabel(sample, chain));
    const PassRun run = runRecorded(setupFor(sample, 0, 99));
    EXPECT_EQ(run.found, static_cast<int>(labels.size()));
    EXPECT_LT(run.found, kSearchChainCount); // many chains repeat a label
    EXPECT_EQ(run.list.size(), 99u);
    std::set<std::string> shown;
    for (const auto& entry : run.list)
        EXPECT_TRUE(shown.insert(entry.label).second) << "label listed twice";
    // Out of range precisions are limited, never looked up past the table.
    EXPECT_EQ(runRecorded(setupFor(sample, -4, 99)).ops, run.ops);
    EXPECT_EQ(runRecorded(setupFor(sample, 42, 20)).ops, runRecorded(setupFor(sample, 9, 20)).ops);
}

/// The position of an action in the candidate order (after any stored schemes).
int searchRank(std::string_view action) {
    int rank = 0;
    for (int stage = 1; stage <= 4; ++stage)
        for (const auto& chain : stageChains(stage)) {
            if (engine::chainActionString(chain) == action)
                return rank;
            ++rank;
        }
    return -1;
}

TEST(Pass, TopOfTheListIsOrderedByScoreWithTiesToTheEarlierChain) {
    const Sample sample = damagedSample(kManualText, "wk wk");
    const PassRun run = runRecorded(setupFor(sample, 0, 99));
    ASSERT_GE(run.list.size(), 5u);
    int ties = 0;
    for (std::size_t i = 1; i < 5; ++i) {
        const VariantEntry& above = run.list[i - 1];
        const VariantEntry& below = run.list[i];
        ASSERT_LE(below.score, above.score + 0.000001);
        if (below.score >= above.score - 1e-12) {
            ++ties;
            EXPECT_LT(searchRank(above.action), searchRank(below.action));
        }
    }
    EXPECT_GT(ties, 0) << "the sample should produce equal scores";
}

TEST(Pass, MaximumOneKeepsOnlyTheBestPlacedVariant) {
    const Sample sample = damagedSample(kMorningText, "wi");
    const PassRun all = runRecorded(setupFor(sample, 3, 99));
    const PassRun one = runRecorded(setupFor(sample, 3, 1));
    ASSERT_EQ(one.list.size(), 1u);
    EXPECT_EQ(one.found, all.found);
    EXPECT_EQ(one.list[0].line, all.list[0].line);
    EXPECT_EQ(one.list[0].action, "iw ");
}

TEST(Pass, FullListBelowFiveShowsOnlyWhatFits) {
    const Sample sample = damagedSample(kLetterText, "wk");
    const PassRun all = runRecorded(setupFor(sample, 0, 99));
    const PassRun three = runRecorded(setupFor(sample, 0, 3));
    ASSERT_EQ(three.list.size(), 3u);
    EXPECT_EQ(three.found, all.found); // not shown but counted
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(three.list[i].line, all.list[i].line);
    for (const ListOp& op : three.ops) {
        if (op.kind == ListOp::insert) {
            EXPECT_LT(op.index, 3);
        }
        if (op.kind == ListOp::remove) {
            EXPECT_EQ(op.index, 2);
        }
    }
}

TEST(Pass, MaximumRaisedDuringAPassNeverAddressesMissingLines) {
    const Sample sample = damagedSample(kManualText, "wa");
    RecodingPass pass(dictionary());
    std::size_t size = 0;
    bool outOfRange = false;
    struct Checking : VariantSink {
        std::size_t& size;
        bool& bad;
        RecodingPass& pass;
        Checking(std::size_t& s, bool& b, RecodingPass& p) : size(s), bad(b), pass(p) {}
        void insert(int index, const VariantEntry&) override {
            bad = bad || index < 0 || static_cast<std::size_t>(index) > size;
            ++size;
            raise();
        }
        void append(const VariantEntry&) override {
            ++size;
            raise();
        }
        void remove(int index) override {
            bad = bad || index < 0 || static_cast<std::size_t>(index) >= size;
            --size;
        }
        void raise() {
            if (size == 2)
                pass.setMaxVariants(12);
        }
    } checking(size, outOfRange, pass);
    pass.runToCompletion(setupFor(sample, 0, 2), checking);
    EXPECT_FALSE(outOfRange);
    EXPECT_EQ(pass.maxVariants(), 12);
    EXPECT_GE(size, 12u);
}

// --- stopping, threads and lifetime ------------------------------------------------------------

TEST(Pass, StopInTheMiddleKeepsTheLinesAlreadyInserted) {
    const Sample sample = damagedSample(kMorningText, "wk");
    const PassRun full = runRecorded(setupFor(sample, 0, 99));
    RecodingPass pass(dictionary());
    RecordingSink sink;
    sink.onOperation = [&](std::size_t count) {
        if (count == 3)
            pass.requestStop();
    };
    pass.runToCompletion(setupFor(sample, 0, 99), sink);
    const auto ops = sink.ops();
    ASSERT_EQ(ops.size(), 3u); // the next chain is never started
    EXPECT_EQ(sink.list().size(), 3u);
    EXPECT_EQ(pass.acceptedCount(), 3);
    EXPECT_TRUE(std::equal(ops.begin(), ops.end(), full.ops.begin()));
    EXPECT_EQ(pass.stopFlag(), 1);
    EXPECT_EQ(pass.progress(), 0);
    EXPECT_LT(pass.chainsTried(), kSearchChainCount);
}

TEST(Pass, WorkerThreadStopsOnRequestAndKeepsItsLines) {
    const Sample sample = damagedSample(kManualText, "wi");
    RecodingPass pass(dictionary());
    RecordingSink sink;
    std::promise<void> firstLine;
    std::atomic<bool> signalled{false};
    std::thread::id workerThread;
    sink.onOperation = [&](std::size_t) {
        if (!signalled.exchange(true)) {
            workerThread = std::this_thread::get_id();
            firstLine.set_value();
        }
    };
    PassSetup setup = setupFor(sample, 0, 99);
    std::atomic<int> hookCalls{0};
    setup.onWorkerStart = [&] { ++hookCalls; };
    ASSERT_TRUE(pass.start(std::move(setup), sink));
    firstLine.get_future().wait();
    pass.requestStop();
    // While stopping, the counters can be read at any time.
    (void)pass.acceptedCount();
    (void)pass.progress();
    pass.wait();
    EXPECT_EQ(pass.stopFlag(), 1);
    EXPECT_EQ(hookCalls.load(), 1);
    EXPECT_NE(workerThread, std::this_thread::get_id());
    const auto list = sink.list();
    ASSERT_FALSE(list.empty());
    EXPECT_LE(static_cast<int>(list.size()), pass.acceptedCount());
    for (const auto& entry : list)
        EXPECT_TRUE(readListLine(entry.line).has_value());
}

TEST(Pass, CompletePassOnTheWorkerMatchesTheSynchronousOne) {
    const Sample sample = damagedSample(kLetterText, "wa");
    const PassRun sync = runRecorded(setupFor(sample, 5, 20, builtInItems(), builtInReader()));
    RecodingPass pass(dictionary());
    RecordingSink sink;
    std::atomic<int> progressSeen{0};
    ASSERT_TRUE(pass.start(setupFor(sample, 5, 20, builtInItems(), builtInReader()), sink));
    while (pass.running())
        progressSeen.store(std::max(progressSeen.load(), pass.progress()));
    pass.wait();
    EXPECT_EQ(sink.ops(), sync.ops);
    EXPECT_EQ(pass.acceptedCount(), sync.found);
    EXPECT_EQ(pass.chainsTried(), kSearchChainCount);
    EXPECT_LE(progressSeen.load(), kSearchChainCount);
}

TEST(Pass, StartingAgainJoinsThePreviousWorker) {
    const Sample first = damagedSample(kMorningText, "wk");
    const Sample second = damagedSample(kManualText, "wi");
    RecodingPass pass(dictionary());
    std::atomic<bool> firstClosed{false};
    std::atomic<int> lateCalls{0};
    RecordingSink sinkA;
    sinkA.onOperation = [&](std::size_t) { lateCalls += firstClosed.load() ? 1 : 0; };
    RecordingSink sinkB;
    ASSERT_TRUE(pass.start(setupFor(first, 0, 99), sinkA));
    ASSERT_TRUE(pass.start(setupFor(second, 0, 99), sinkB));
    firstClosed = true; // start has returned: the first worker must be gone
    pass.wait();
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_EQ(sinkB.ops(), runRecorded(setupFor(second, 0, 99)).ops);
}

TEST(Pass, DestroyingThePassEndsTheWorker) {
    const Sample sample = damagedSample(kMorningText, "wa");
    RecordingSink sink;
    std::atomic<bool> destroyed{false};
    std::atomic<int> lateCalls{0};
    sink.onOperation = [&](std::size_t) { lateCalls += destroyed.load() ? 1 : 0; };
    {
        RecodingPass pass(dictionary());
        ASSERT_TRUE(pass.start(setupFor(sample, 0, 99), sink));
    }
    destroyed = true;
    const std::size_t opsAtEnd = sink.ops().size();
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_EQ(sink.ops().size(), opsAtEnd);
}

TEST(Pass, TwoPassesOnTwoSamplesRunSideBySide) {
    const Sample a = damagedSample(kMorningText, "wk");
    const Sample b = damagedSample(kLetterText, "wm");
    const PassRun aAlone = runRecorded(setupFor(a, 0, 50));
    const PassRun bAlone = runRecorded(setupFor(b, 0, 50, builtInItems(), builtInReader()));
    RecodingPass passA(dictionary());
    RecodingPass passB(dictionary());
    RecordingSink sinkA, sinkB;
    ASSERT_TRUE(passA.start(setupFor(a, 0, 50), sinkA));
    ASSERT_TRUE(passB.start(setupFor(b, 0, 50, builtInItems(), builtInReader()), sinkB));
    passA.wait();
    passB.wait();
    EXPECT_EQ(sinkA.ops(), aAlone.ops);
    EXPECT_EQ(sinkB.ops(), bAlone.ops);
    EXPECT_EQ(passA.acceptedCount(), aAlone.found);
    EXPECT_EQ(passB.acceptedCount(), bAlone.found);
}

TEST(Pass, SampleWithoutWordsStartsNothing) {
    const Sample sample = sampleSource(std::string_view("plain ascii only"));
    RecodingPass pass(dictionary());
    RecordingSink sink;
    EXPECT_FALSE(pass.start(setupFor(sample, 0, 99), sink));
    pass.runToCompletion(setupFor(sample, 0, 99), sink);
    EXPECT_TRUE(sink.ops().empty());
    EXPECT_EQ(pass.acceptedCount(), 0);
    EXPECT_EQ(pass.stopFlag(), 1);
    EXPECT_EQ(runPass(dictionary(), setupFor(sample)).found, 0);
}

TEST(Pass, FailingSinkEndsTheWorker) {
    const Sample sample = damagedSample(kMorningText, "wk");
    struct Throwing : VariantSink {
        void insert(int, const VariantEntry&) override { throw std::runtime_error("full"); }
        void append(const VariantEntry&) override { throw std::runtime_error("full"); }
        void remove(int) override {}
    } sink;
    RecodingPass pass(dictionary());
    ASSERT_TRUE(pass.start(setupFor(sample, 0, 99), sink));
    pass.wait();
    EXPECT_EQ(pass.stopFlag(), 1);
    EXPECT_THROW(pass.runToCompletion(setupFor(sample, 0, 99), sink), std::runtime_error);
    EXPECT_EQ(pass.stopFlag(), 1);
}

TEST(Pass, SnapshotReadsTheActionsOnTheCallingThread) {
    std::vector<std::thread::id> readers;
    ActionReader store = [&](int number) {
        readers.push_back(std::this_thread::get_id());
        return number == 3 ? std::string("mw") : std::string(kMissingValue);
    };
    ActionReader snapshot = snapshotActions({-1, 3, -1, 8}, store);
    EXPECT_EQ(readers, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
    EXPECT_EQ(snapshot(3), "mw");
    EXPECT_EQ(snapshot(8), kMissingValue);
    EXPECT_EQ(snapshot(99), kMissingValue);
    EXPECT_EQ(readers.size(), 2u);
}

TEST(Pass, VariantListAppliesTheOperations) {
    VariantList list;
    auto entry = [](std::string label) {
        VariantEntry e;
        e.label = label;
        return e;
    };
    list.append(entry("a"));
    list.insert(0, entry("b"));
    list.insert(2, entry("c"));
    list.insert(1, entry("d"));
    list.remove(3);
    list.remove(7); // no such line: nothing happens
    std::vector<std::string> labels;
    for (const auto& e : list.entries())
        labels.push_back(e.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"b", "d", "a"}));
    list.clear();
    EXPECT_EQ(list.size(), 0u);
}

} // namespace
} // namespace vorlex::detect::test
