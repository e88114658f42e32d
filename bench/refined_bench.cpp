// The refined ranking stage alone, on the same kind of sample a pass works on, beside a full
// classic pass for scale.
#include "detect/pass.h"
#include "detect/refined_ranking.h"
#include "engine/code_tables.h"
#include "engine/cp1251.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string koiSample() {
    const std::string win = vorlex::engine::win1251Literal(
        "Когда мы пришли домой, уже было темно. Он сказал, что они еще не ели, и мы сели за "
        "стол. Это был тихий вечер: на улице шел снег, а в доме было тепло и светло. Мама дала "
        "нам чай, хлеб и мед, и мы долго говорили о том, что будет завтра и где мы все будем "
        "жить летом. Утром Ёжик сказал: «Пора!» — и все ушли на работу к восьми часам.");
    std::string koi;
    for (char c : win)
        koi += static_cast<char>(vorlex::engine::applyTable(
            vorlex::engine::kCodeTables[vorlex::engine::kWinToKoi], static_cast<std::uint8_t>(c)));
    return koi;
}

void BM_RefinedStage(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    const vorlex::detect::Sample sample = vorlex::detect::sampleSource(koiSample());
    const std::vector<vorlex::engine::FilterList> stored = {vorlex::engine::parseAction("wk wk"),
                                                            vorlex::engine::parseAction("mw"),
                                                            vorlex::engine::parseAction("wm")};
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::refineRanking(dictionary, sample, stored));
}
BENCHMARK(BM_RefinedStage)->Unit(benchmark::kMillisecond);

void BM_ClassicPass(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    vorlex::detect::PassSetup setup;
    setup.sample = vorlex::detect::sampleSource(koiSample());
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::runPass(dictionary, setup));
}
BENCHMARK(BM_ClassicPass)->Unit(benchmark::kMillisecond);

} // namespace
