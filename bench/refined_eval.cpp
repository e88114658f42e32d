// Top-1 evaluation of the classic and the refined ranking on damaged Russian text.
//
//   vorlex_refined_eval CORPUS.txt [--per-cell N] [--seed S] [--dump-singles DIR] [--verbose 1]
//
// CORPUS.txt is UTF-8 Russian text. Pieces of it in four length buckets are damaged once (the
// tables wk, wi, wa, wm: Koi, Iso, Alt or Mac bytes read as Win) or by a random chain of two or
// three of the twelve basic filters; a ranking is right when its first variant, applied to the
// whole damaged piece, gives the piece back. --dump-singles writes every single-damage piece to
// DIR (with DIR/index.tsv: file, bucket, damage) so that other detectors can be run on them.
// Prints one JSON object per bucket and damage kind; --verbose 1 describes every refined miss
// on standard error.
#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/refined_ranking.h"
#include "engine/code_tables.h"
#include "engine/cp1251.h"
#include "engine/recode.h"
#include "store/builtin_schemes.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vorlex::engine::FilterList;

struct Bucket {
    const char* name;
    std::size_t low, high;
};
constexpr Bucket kBuckets[] = {
    {"20-60", 20, 60}, {"60-150", 60, 150}, {"150-400", 150, 400}, {"400+", 400, 1200}};

std::vector<std::uint8_t> recode(const FilterList& chain, const std::vector<std::uint8_t>& in) {
    const auto map = vorlex::engine::composeTables(chain);
    std::vector<std::uint8_t> out(in.size());
    vorlex::engine::applyByteMap(*map, in, out);
    return out;
}

bool isCyrillic(std::uint8_t b) {
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

// A piece of [low, high) bytes starting and ending at word boundaries, mostly Cyrillic, with at
// least one Cyrillic word.
bool cutPiece(const std::string& text, std::mt19937& rng, const Bucket& bucket,
              std::string& piece) {
    std::uniform_int_distribution<std::size_t> startAt(0, text.size() - bucket.high - 1);
    std::uniform_int_distribution<std::size_t> lengthOf(bucket.low, bucket.high - 1);
    std::size_t start = startAt(rng);
    while (start < text.size() && text[start] != ' ' && text[start] != '\n')
        ++start;
    ++start;
    std::size_t end = start + lengthOf(rng);
    if (end >= text.size())
        return false;
    while (end > start && text[end] != ' ' && text[end] != '\n')
        --end;
    if (end - start < bucket.low)
        return false;
    piece = text.substr(start, end - start);
    int cyrillic = 0, latin = 0;
    for (char ch : piece) {
        const auto b = static_cast<std::uint8_t>(ch);
        cyrillic += isCyrillic(b);
        latin += (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    }
    return cyrillic >= 8 && cyrillic >= 3 * latin;
}

struct Cell {
    int cases = 0, classic = 0, refined = 0, ambiguous = 0, classicEmpty = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: vorlex_refined_eval CORPUS.txt [--per-cell N] [--seed S] "
                     "[--dump-singles DIR]\n";
        return 2;
    }
    int perCell = 250;
    unsigned seed = 8;
    std::string dumpDir;
    bool verbose = false;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--per-cell")
            perCell = std::stoi(argv[i + 1]);
        else if (option == "--seed")
            seed = static_cast<unsigned>(std::stoul(argv[i + 1]));
        else if (option == "--verbose")
            verbose = std::stoi(argv[i + 1]) != 0;
        else if (option == "--dump-singles")
            dumpDir = argv[i + 1];
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    // Whitespace runs become one space or one line break; characters without a Win-1251 byte go.
    std::string text;
    {
        const std::string win = vorlex::engine::win1251Literal(buffer.str());
        char last = ' ';
        for (char ch : win) {
            if (ch == '\r' || ch == '\t')
                ch = ' ';
            if ((ch == ' ' || ch == '\n') && (last == ' ' || last == '\n')) {
                if (ch == '\n' && !text.empty())
                    text.back() = last = '\n';
                continue;
            }
            if (static_cast<std::uint8_t>(ch) < 0x20 && ch != '\n')
                continue;
            text += ch;
            last = ch;
        }
    }
    if (text.size() < 10000) {
        std::cerr << "the corpus is too small\n";
        return 1;
    }

    std::vector<FilterList> stored;
    std::vector<std::string> actions;
    vorlex::detect::PassSetup base;
    base.schemeItems.push_back(vorlex::detect::kAutoItem);
    for (const auto& scheme : vorlex::store::builtInSchemes()) {
        base.schemeItems.push_back(static_cast<int>(actions.size()));
        actions.emplace_back(scheme.action);
    }
    base.readAction = [&actions](int number) { return actions[static_cast<std::size_t>(number)]; };
    const std::vector<FilterList> storedChains = vorlex::detect::storedSchemeChains(base);

    std::ofstream index;
    if (!dumpDir.empty())
        index.open(dumpDir + "/index.tsv");

    const vorlex::detect::Dictionary dictionary;
    std::mt19937 rng(seed);
    const std::pair<const char*, int> singles[] = {{"wk", vorlex::engine::kWinToKoi},
                                                   {"wi", vorlex::engine::kWinToIso},
                                                   {"wa", vorlex::engine::kWinToAlt},
                                                   {"wm", vorlex::engine::kWinToMac}};
    for (const Bucket& bucket : kBuckets) {
        for (int kind = 0; kind < 5; ++kind) {
            Cell cell;
            int attempts = 0;
            while (cell.cases < perCell && ++attempts < perCell * 100) {
                std::string piece;
                if (!cutPiece(text, rng, bucket, piece))
                    continue;
                const std::vector<std::uint8_t> original(piece.begin(), piece.end());
                FilterList damage;
                if (kind < 4) {
                    damage.append(singles[kind].second);
                } else {
                    const int length = std::uniform_int_distribution<int>(2, 3)(rng);
                    for (int f = 0; f < length; ++f)
                        damage.append(std::uniform_int_distribution<int>(0, 11)(rng));
                }
                const std::vector<std::uint8_t> damaged = recode(damage, original);
                if (damaged == original)
                    continue;
                vorlex::detect::PassSetup setup = base;
                setup.sample = vorlex::detect::sampleSource(damaged);
                if (!setup.sample.hasWords())
                    continue;
                ++cell.cases;
                const vorlex::detect::PassResult classic =
                    vorlex::detect::runPass(dictionary, setup);
                if (classic.variants.empty())
                    ++cell.classicEmpty;
                else if (recode(vorlex::engine::parseAction(classic.variants.front().action),
                                damaged) == original)
                    ++cell.classic;
                const vorlex::detect::RefinedRanking refined =
                    vorlex::detect::refineRanking(dictionary, setup.sample, storedChains);
                if (!refined.candidates.empty() &&
                    recode(refined.candidates.front().chain, damaged) == original)
                    ++cell.refined;
                else if (verbose && !refined.candidates.empty()) {
                    // Where the first variant goes wrong, with some context.
                    const auto& top = refined.candidates.front();
                    const std::vector<std::uint8_t> got = recode(top.chain, damaged);
                    std::size_t at = 0;
                    while (at < got.size() && got[at] == original[at])
                        ++at;
                    const std::size_t from = at > 30 ? at - 30 : 0;
                    auto context = [&](const std::vector<std::uint8_t>& bytes) {
                        std::string s(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(
                                                          std::min(bytes.size(), at + 30)));
                        for (char& ch : s)
                            ch = ch == '\n' ? '|' : ch;
                        return vorlex::engine::win1251ToUtf8(s);
                    };
                    int rank = -1;
                    for (std::size_t r = 0; r < refined.candidates.size() && rank < 0; ++r)
                        if (recode(refined.candidates[r].chain, damaged) == original)
                            rank = static_cast<int>(r);
                    std::fprintf(stderr, "  at %zu of %zu, sample %zu bytes, right one at %d\n", at,
                                 got.size(), setup.sample.textSample().size(), rank);
                    std::fprintf(
                        stderr,
                        "MISS %s damage=%s top=%s conf=%.2f amb=%d\n  want: %s\n  got:  %s\n",
                        bucket.name, vorlex::engine::chainActionString(damage).c_str(),
                        top.action.c_str(), top.confidence, refined.ambiguous,
                        context(original).c_str(), context(got).c_str());
                }
                cell.ambiguous += refined.ambiguous;
                if (kind < 4 && index.is_open()) {
                    const std::string name = std::string(bucket.name) + "_" + singles[kind].first +
                                             "_" + std::to_string(cell.cases) + ".txt";
                    std::ofstream(dumpDir + "/" + name, std::ios::binary)
                        .write(reinterpret_cast<const char*>(damaged.data()),
                               static_cast<std::streamsize>(damaged.size()));
                    index << name << '\t' << bucket.name << '\t' << singles[kind].first << '\n';
                }
            }
            std::printf("{\"bucket\": \"%s\", \"damage\": \"%s\", \"cases\": %d, \"classic\": %d, "
                        "\"refined\": %d, \"classic_empty\": %d, \"ambiguous\": %d}\n",
                        bucket.name, kind < 4 ? singles[kind].first : "chain", cell.cases,
                        cell.classic, cell.refined, cell.classicEmpty, cell.ambiguous);
            std::fflush(stdout);
        }
    }
    return 0;
}
