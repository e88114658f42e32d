// libvorlex on many small texts: the per-core rate the Python module is measured against
// (scripts/python_throughput.py builds the same texts).
#include "engine/cp1251.h"
#include "vorlex.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

constexpr const char* kParagraph =
    "Вчера вечером мы долго гуляли по набережной, а потом зашли в маленькое кафе. Официант "
    "принёс нам горячий чай с лимоном и свежие пирожки с капустой. За соседним столиком "
    "спорили о футболе двое пожилых мужчин, а девушка у окна читала толстую книгу. Когда мы "
    "вышли, уже стемнело, и над рекой зажглись фонари. ";

/// Texts of 200 to 400 bytes cut from the paragraph, stored as KOI8-R: the i-th starts at
/// byte 37*i of the repeated paragraph and is 200 + (53*i mod 201) bytes long.
std::vector<std::string> smallTexts(std::size_t count) {
    std::string win = vorlex::engine::win1251Literal(kParagraph);
    win += win + win;
    const std::size_t period = win.size() / 3;
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string slice = win.substr(37 * i % period, 200 + 53 * i % 201);
        char* out = nullptr;
        std::size_t length = 0;
        if (vorlex_recode(slice.data(), slice.size(), "wk", 0, &out, &length, nullptr) != VORLEX_OK)
            return {};
        texts.emplace_back(out, length);
        vorlex_free(out);
    }
    return texts;
}

void BM_RepairSmallTexts(benchmark::State& state) {
    const std::vector<std::string> texts = smallTexts(1000);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& text = texts[next++ % texts.size()];
        vorlex_repair_result* result = nullptr;
        if (vorlex_repair(text.data(), text.size(), 0, &result, nullptr) != VORLEX_OK) {
            state.SkipWithError("vorlex_repair failed");
            break;
        }
        benchmark::DoNotOptimize(result->data);
        vorlex_repair_free(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RepairSmallTexts)->Unit(benchmark::kMicrosecond);

} // namespace
