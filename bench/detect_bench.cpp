// One complete automatic-recoding pass (the 23 built-in schemes and 17040 chains) on a fixed
// 30-word sample, at precision 7 and at precision 0, without a window; and libuchardet guessing
// the encoding of the same 499 bytes, so the figures read as a ratio.
#include "detect/candidates.h"
#include "detect/pass.h"
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <benchmark/benchmark.h>

#ifdef VORLEX_HAVE_UCHARDET
#include <uchardet.h>
#endif

#include <string>
#include <vector>

namespace {

using namespace vorlex;

// Russian prose with at least ten distinct words of two, three and four letters.
constexpr std::string_view kText =
    "Мы шли до реки долго, но так и не дошли: день был жаркий, а дорога шла в гору. Он сказал, "
    "что это не беда, и мы сели у края поля. Где-то рядом пела птица, и ветер гнал по небу "
    "белые тучи. Вот там, за лесом, есть дом, где живет мой друг. Я был у него еще весной, и "
    "он рад был мне как брату. Если бы ты знал, как там тихо и хорошо! Кто раз увидит эти "
    "места, тот их уже не забудет никогда. Мы ели хлеб, пили воду из фляги и молчали. Пора "
    "было идти назад, но никто из нас не хотел вставать. Солнце село, и над полем встала луна.";

const std::vector<std::string> kBuiltInActions = {
    "ai",    "ak", "aw",    "ia",    "ik",    "iw", "ka",    "ki",    "kw",    "wa", "wi", "wk",
    "wk wk", "wl", "kw wl", "aw wl", "iw wl", "lw", "lw wk", "lw wa", "lw wi", "mw", "wm"};

/// KOI8-R text as a Windows program would have read it.
std::string koiText() {
    const std::string win = engine::win1251Literal(kText);
    std::vector<std::uint8_t> work(win.size() * 2);
    const auto result =
        engine::recodeDocument(std::span<const std::uint8_t>(
                                   reinterpret_cast<const std::uint8_t*>(win.data()), win.size()),
                               work, engine::parseAction("wk"), {});
    return std::string(reinterpret_cast<const char*>(work.data()), result.length);
}

const detect::Sample& sample() {
    static const detect::Sample instance = detect::sampleSource(koiText());
    return instance;
}

detect::PassSetup setup(int precision) {
    detect::PassSetup s;
    s.sample = sample();
    s.precision = precision;
    s.maxVariants = 20;
    s.schemeItems.push_back(detect::kAutoItem);
    for (int i = 0; i < static_cast<int>(kBuiltInActions.size()); ++i)
        s.schemeItems.push_back(i);
    s.readAction = [](int number) {
        return number >= 0 && number < static_cast<int>(kBuiltInActions.size())
                   ? kBuiltInActions[static_cast<std::size_t>(number)]
                   : std::string(detect::kMissingValue);
    };
    return s;
}

void fullPass(benchmark::State& state) {
    const detect::Dictionary dictionary;
    const int precision = static_cast<int>(state.range(0));
    if (sample().twoCount + sample().threeCount + sample().fourCount != 30) {
        state.SkipWithError("the fixed sample does not hold 30 words");
        return;
    }
    detect::RecodingPass pass(dictionary);
    int found = 0;
    std::string best;
    for (auto _ : state) {
        detect::VariantList list;
        pass.runToCompletion(setup(precision), list);
        found = pass.acceptedCount();
        benchmark::DoNotOptimize(found);
        const auto entries = list.entries();
        best = entries.empty() ? "" : entries.front().action;
    }
    state.counters["found"] = found;
    state.counters["chains/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * detect::kSearchChainCount,
                           benchmark::Counter::kIsRate);
    state.SetLabel("best \"" + best + "\"");
}
BENCHMARK(fullPass)->Arg(7)->Arg(0)->ArgName("precision")->Unit(benchmark::kMillisecond);

#ifdef VORLEX_HAVE_UCHARDET
void uchardetSameBytes(benchmark::State& state) {
    const std::string_view bytes = sample().textSample();
    uchardet_t detector = uchardet_new();
    std::string charset;
    for (auto _ : state) {
        uchardet_reset(detector);
        uchardet_handle_data(detector, bytes.data(), bytes.size());
        uchardet_data_end(detector);
        charset = uchardet_get_charset(detector);
        benchmark::DoNotOptimize(charset.data());
    }
    uchardet_delete(detector);
    state.SetLabel(std::to_string(bytes.size()) + " bytes: " + charset);
}
BENCHMARK(uchardetSameBytes)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
