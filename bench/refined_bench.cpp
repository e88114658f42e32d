// The refined ranking stage alone, on the same kind of sample a pass works on, beside a full
// classic pass for scale.
#include "detect/document_repair.h"
#include "detect/pass.h"
#include "detect/refined_ranking.h"
#include "detect/unicode_repair.h"
#include "engine/code_tables.h"
#include "engine/cp1251.h"
#include "engine/unicode_views.h"

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

// A Koi document of varied sentences, `size` bytes.
std::string koiDocument(std::size_t size) {
    const char* const sentences[] = {
        "Когда мы пришли домой, уже было темно. ",
        "Программа читает файл построчно и пишет результат в стандартный вывод. ",
        "Щёлкните по кнопке «Применить», чтобы сохранить изменения. ",
        "Вчера в Москве прошёл сильный дождь, а на севере выпал первый снег. ",
        "Если параметр не задан, используется значение по умолчанию — ноль. ",
        "Хорошо жить на свете, сказал ёжик и посмотрел на звёзды. ",
        "Фильтр пропускает только те строки, в которых есть заданное слово. ",
        "Эта функция возвращает число байтов, записанных в буфер. ",
        "Цены выросли на пять процентов, а зарплаты остались прежними. ",
        "Подождите, пока закончится загрузка обновлений. ",
    };
    std::string win;
    unsigned state = 1;
    while (win.size() < size) {
        state = state * 1103515245u + 12345u;
        win += vorlex::engine::win1251Literal(sentences[(state >> 16) % 10]);
    }
    win.resize(size);
    std::string koi;
    for (char c : win)
        koi += static_cast<char>(vorlex::engine::applyTable(
            vorlex::engine::kCodeTables[vorlex::engine::kWinToKoi], static_cast<std::uint8_t>(c)));
    return koi;
}

// The refined stage on a full sample of 4 KiB (its own sample size).
void BM_RefinedStage4KiB(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    const std::string document = koiDocument(vorlex::detect::kRefinedSampleBytes);
    const vorlex::detect::Sample sample = vorlex::detect::sampleSource(document);
    const std::vector<vorlex::engine::FilterList> stored = {vorlex::engine::parseAction("wk wk"),
                                                            vorlex::engine::parseAction("mw"),
                                                            vorlex::engine::parseAction("wm")};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            vorlex::detect::refineRanking(dictionary, sample, document, stored));
}
BENCHMARK(BM_RefinedStage4KiB)->Unit(benchmark::kMillisecond);

// The refined stage for text that arrived as Unicode, 4 KiB of 8-bit text as the ranking sees
// it: KOI8-R read as Windows-1251 and pasted (0), UTF-8 read as Windows-1251 (1), the same
// twice (2), correct Russian text (3).
void BM_UnicodeStage4KiB(benchmark::State& state) {
    using vorlex::engine::DisplayPage;
    const vorlex::detect::Dictionary dictionary;
    const std::string koi = koiDocument(vorlex::detect::kRefinedSampleBytes);
    const std::string pasted = vorlex::engine::win1251ToUtf8(koi);
    const std::string text = vorlex::engine::showThrough(koi, DisplayPage::koi8r);
    const std::string once = vorlex::engine::showThrough(text, DisplayPage::windows1251);
    const std::string twice = vorlex::engine::showThrough(once, DisplayPage::windows1251);
    const std::string inputs[] = {pasted, once, twice, text};
    const std::string& input = inputs[state.range(0)];
    const std::vector<vorlex::engine::FilterList> stored = {vorlex::engine::parseAction("wk wk"),
                                                            vorlex::engine::parseAction("mw"),
                                                            vorlex::engine::parseAction("wm")};
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::rankUnicode(dictionary, input, stored));
}
BENCHMARK(BM_UnicodeStage4KiB)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The whole-document check before --best writes a document, per byte of the document.
void BM_WholeDocumentCheck(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    const std::string document = koiDocument(static_cast<std::size_t>(state.range(0)));
    const vorlex::detect::RefinedRanking ranking = vorlex::detect::refineRanking(
        dictionary, vorlex::detect::sampleSource(document), document, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::documentChain(ranking, document));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_WholeDocumentCheck)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMillisecond);

// The whole decision batch --auto makes for one file of 8 KiB (refined stage on its first
// 4 KiB, whole-document check on the rest): Koi text (0), correct Windows-1251 text (1), Iso
// text (2), bytes that are no text (3).
void BM_FileDecision8KiB(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    const std::string koi = koiDocument(8 << 10);
    std::string win, iso, noise(koi.size(), ' ');
    for (char c : koi) {
        const auto byte = static_cast<std::uint8_t>(c);
        win += static_cast<char>(vorlex::engine::applyTable(
            vorlex::engine::kCodeTables[vorlex::engine::kKoiToWin], byte));
        iso += static_cast<char>(
            vorlex::engine::applyTable(vorlex::engine::kCodeTables[vorlex::engine::kWinToIso],
                                       static_cast<std::uint8_t>(win.back())));
    }
    unsigned seed = 7;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    const std::string inputs[] = {koi, win, iso, noise};
    const std::string& input = inputs[state.range(0)];
    const std::vector<vorlex::engine::FilterList> stored = {vorlex::engine::parseAction("wk wk"),
                                                            vorlex::engine::parseAction("mw"),
                                                            vorlex::engine::parseAction("wm")};
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::planRepair(
            dictionary, vorlex::detect::sampleSource(input), input, stored));
}
BENCHMARK(BM_FileDecision8KiB)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_ClassicPass(benchmark::State& state) {
    const vorlex::detect::Dictionary dictionary;
    vorlex::detect::PassSetup setup;
    setup.sample = vorlex::detect::sampleSource(koiSample());
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlex::detect::runPass(dictionary, setup));
}
BENCHMARK(BM_ClassicPass)->Unit(benchmark::kMillisecond);

} // namespace
