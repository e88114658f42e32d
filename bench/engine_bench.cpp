// Whole-document recoding against glibc iconv and memcpy over the same 64 MiB buffer, so each
// figure reads as a ratio.
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <iconv.h>
#include <random>
#include <vector>

namespace {

using namespace vorlex::engine;

constexpr std::size_t kDocumentSize = std::size_t{64} << 20;

// Russian-looking KOI8-R text: words of Cyrillic letters, spaces and line breaks, so that iconv
// converts every byte.
const std::vector<std::uint8_t>& koiDocument() {
    static const std::vector<std::uint8_t> document = [] {
        std::vector<std::uint8_t> win(kDocumentSize);
        std::mt19937 random(20261209);
        std::uniform_int_distribution<int> letter(0, 63), wordLength(1, 9);
        std::size_t i = 0;
        while (i < win.size()) {
            for (int n = wordLength(random); n > 0 && i < win.size(); --n)
                win[i++] = static_cast<std::uint8_t>(0xC0 + letter(random));
            if (i < win.size()) {
                win[i] = (i % 61 == 0) ? '\n' : ' ';
                ++i;
            }
        }
        std::vector<std::uint8_t> koi(win.size());
        applyByteMap(*composeTables(makeFilterList({kWinToKoi})), win, koi);
        return koi;
    }();
    return document;
}

void recodeChain(benchmark::State& state, const char* action) {
    const std::vector<std::uint8_t>& document = koiDocument();
    const FilterList filters = parseAction(action);
    const LatinOptions options;
    std::vector<std::uint8_t> work(workBufferSize(document.size(), filters, options));
    for (auto _ : state) {
        const DocumentResult result = recodeDocument(document, work, filters, options);
        benchmark::DoNotOptimize(result.length);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}

void BM_RecodeOneTable(benchmark::State& state) {
    recodeChain(state, "kw");
}
void BM_RecodeFourTables(benchmark::State& state) {
    recodeChain(state, "kw wi ia ak");
}
void BM_RecodeKoiToLatin(benchmark::State& state) {
    recodeChain(state, "kw wl");
}

void BM_IconvKoiToCp1251(benchmark::State& state) {
    const std::vector<std::uint8_t>& document = koiDocument();
    std::vector<std::uint8_t> out(document.size());
    iconv_t converter = iconv_open("CP1251", "KOI8-R");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv cannot convert KOI8-R to CP1251");
        return;
    }
    for (auto _ : state) {
        char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(document.data()));
        char* to = reinterpret_cast<char*>(out.data());
        std::size_t inLeft = document.size(), outLeft = out.size();
        if (iconv(converter, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1)) {
            state.SkipWithError("iconv failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    iconv_close(converter);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}

void BM_Memcpy(benchmark::State& state) {
    const std::vector<std::uint8_t>& document = koiDocument();
    std::vector<std::uint8_t> out(document.size());
    for (auto _ : state) {
        std::memcpy(out.data(), document.data(), document.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecodeOneTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecodeFourTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecodeKoiToLatin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvKoiToCp1251)->Unit(benchmark::kMillisecond);

} // namespace
