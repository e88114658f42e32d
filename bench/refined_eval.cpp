// Evaluation of the classic and the refined ranking on real and damaged Russian text and on
// inputs that are no Russian text.
//
//   vorlex_refined_eval GENRE=CORPUS.txt... [--per-cell N] [--seed S] [--dump-singles DIR]
//                       [--features FILE] [--english FILE] [--binary FILE] [--verbose 1]
//
// Each CORPUS.txt is UTF-8 Russian text of one genre. Pieces of it in four length buckets are
// left as they are ("correct"), damaged once (the tables wk, wi, wa, wm: Koi, Iso, Alt or Mac
// bytes read as Win), damaged by a random chain of two or three of the twelve basic filters
// ("chain"), stripped of every word of two to four letters and then damaged once ("long"), or
// stored as UTF-8 and read as Win ("utf8"). Inputs that are no Russian text: random bytes, the
// English text of --english in Windows-1252 and pieces of the program file of --binary.
//
// A ranking is right on a damaged piece when its first variant, applied to the whole piece,
// gives the piece back; on a correct piece when the refined verdict is unchanged or its first
// variant gives the same letters; on utf8 and non-Russian inputs when the verdict is none.
// --dump-singles writes every single-damage and correct piece to DIR (with DIR/index.tsv: file,
// genre, bucket, kind) so that other detectors can be run on them. --features writes, for the
// first candidates of every case, the plausibility features and whether the candidate is the
// real text (for scripts/fit_plausibility.py), and the share of the real text's letters a wrong
// recoding changes. Prints one JSON object per genre, bucket and kind.
//
// With --unicode CASES.tsv it repairs text that arrived as Unicode instead, one case a line
// (see evaluateUnicode); scripts/evaluate_ranking.py builds the cases and judges the answers.
#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/refined_ranking.h"
#include "detect/unicode_repair.h"
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
namespace detect = vorlex::detect;

struct Bucket {
    const char* name;
    std::size_t low, high;
};
constexpr Bucket kBuckets[] = {
    {"20-60", 20, 60}, {"60-150", 60, 150}, {"150-400", 150, 400}, {"400+", 400, 1200}};

std::string recode(const FilterList& chain, const std::string& in) {
    const auto map = vorlex::engine::composeTables(chain);
    std::string out(in.size(), ' ');
    for (std::size_t i = 0; i < in.size(); ++i)
        out[i] = static_cast<char>((*map)[static_cast<std::uint8_t>(in[i])]);
    return out;
}

bool isCyrillic(std::uint8_t b) {
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Whitespace runs become one space or one line break; characters without a Win-1251 byte go.
std::string normalised(const std::string& utf8) {
    std::string text;
    const std::string win = vorlex::engine::win1251Literal(utf8);
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
    return text;
}

// A piece of [low, high) bytes starting and ending at word boundaries.
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
    return true;
}

// Mostly Cyrillic, with at least one Cyrillic word.
bool isRussianPiece(const std::string& piece) {
    int cyrillic = 0, latin = 0;
    for (char ch : piece) {
        const auto b = static_cast<std::uint8_t>(ch);
        cyrillic += isCyrillic(b);
        latin += (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    }
    return cyrillic >= 8 && cyrillic >= 3 * latin;
}

// The text without its Cyrillic words of two to four letters.
std::string withoutShortWords(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && isCyrillic(static_cast<std::uint8_t>(text[end])))
            ++end;
        if (end == i) {
            out += text[i++];
            continue;
        }
        const std::size_t length = end - i;
        if (length < 2 || length > 4)
            out.append(text, i, length);
        i = end;
    }
    std::string squeezed;
    for (char ch : out)
        if (!(ch == ' ' && !squeezed.empty() && squeezed.back() == ' '))
            squeezed += ch;
    return squeezed;
}

std::string utf8ReadAsWin(const std::string& win) {
    const std::string utf8 = vorlex::engine::win1251ToUtf8(win);
    return utf8; // its bytes, read as Windows-1251
}

// English text in Windows-1252 with typographic quotes and dashes.
std::string english1252(const std::string& ascii) {
    std::string out;
    bool open = true;
    for (char ch : ascii) {
        if (ch == '"') {
            out += open ? '\x93' : '\x94';
            open = !open;
        } else if (ch == '\'') {
            out += '\x92';
        } else if (ch == '-' && !out.empty() && out.back() == ' ') {
            out += '\x96';
        } else {
            out += ch;
        }
    }
    return out;
}

int lettersDiffering(const std::string& a, const std::string& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i] && (isCyrillic(static_cast<std::uint8_t>(a[i])) ||
                              isCyrillic(static_cast<std::uint8_t>(b[i])));
    return n;
}

// Small letters for Cyrillic capitals (Windows-1251).
std::string folded(std::string text) {
    for (char& ch : text) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b >= 0xC0 && b < 0xE0)
            ch = static_cast<char>(b + 0x20);
        else if (b == 0xA8)
            ch = '\xB8';
    }
    return text;
}

int cyrillicLetters(const std::string& a) {
    int n = 0;
    for (char ch : a)
        n += isCyrillic(static_cast<std::uint8_t>(ch));
    return n;
}

struct Cell {
    int cases = 0, classic = 0, refined = 0, ambiguous = 0, none = 0, unchanged = 0;
};

enum class Kind { wk, wi, wa, wm, chain, correct, longWords, utf8, random, english, binary };
constexpr const char* kKindNames[] = {"wk",   "wi",   "wa",     "wm",      "chain", "correct",
                                      "long", "utf8", "random", "english", "binary"};
constexpr int kSingleFilters[] = {vorlex::engine::kWinToKoi, vorlex::engine::kWinToIso,
                                  vorlex::engine::kWinToAlt, vorlex::engine::kWinToMac};

bool isRussianKind(Kind kind) {
    return kind <= Kind::longWords;
}

// One line of a case file: tabs, line breaks and backslashes escaped.
std::string unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\\' || ch == '\n' || ch == '\t' || ch == '\r') {
            out += '\\';
            out += ch == '\n' ? 'n' : ch == '\t' ? 't' : ch == '\r' ? 'r' : ch;
        } else {
            out += ch;
        }
    }
    return out;
}

// Text that arrived as Unicode, as `vorlex-cli auto --best` repairs it: reads lines "ID<TAB>TEXT"
// (UTF-8) and prints "ID<TAB>VERDICT<TAB>ACTION<TAB>RESULT" for each, RESULT being what the first
// plausible candidate whose action runs over the whole text makes of it (empty for none).
int evaluateUnicode(const std::string& path, const std::vector<FilterList>& storedChains) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot read the case file\n";
        return 1;
    }
    const detect::Dictionary dictionary;
    std::string line;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string text = unescaped(std::string_view(line).substr(tab + 1));
        const detect::UnicodeRanking ranking = detect::rankUnicode(dictionary, text, storedChains);
        // On the verdict none the first candidate that runs is given all the same, so that a
        // miss tells a right repair judged implausible from a wrong one.
        std::string action = "-", result;
        const bool none = ranking.verdict == detect::Verdict::none;
        for (const detect::UnicodeCandidate& candidate : ranking.candidates) {
            if (!none && candidate.reading.plausibility < detect::kPlausibleFrom)
                break;
            vorlex::engine::UnicodeActionError error{};
            if (const auto got =
                    vorlex::engine::applyUnicodeAction(candidate.steps, text, true, {}, error)) {
                action = candidate.action;
                result = vorlex::engine::resultAsUtf8(*got);
                break;
            }
        }
        std::cout << line.substr(0, tab) << '\t' << detect::verdictName(ranking.verdict) << '\t'
                  << action << '\t' << escaped(result) << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int perCell = 250;
    unsigned seed = 8;
    std::string dumpDir, featuresPath, englishPath, binaryPath, unicodePath;
    bool verbose = false;
    std::vector<std::pair<std::string, std::string>> corpora;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--per-cell" && hasValue)
            perCell = std::stoi(argv[++i]);
        else if (argument == "--seed" && hasValue)
            seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else if (argument == "--verbose" && hasValue)
            verbose = std::stoi(argv[++i]) != 0;
        else if (argument == "--dump-singles" && hasValue)
            dumpDir = argv[++i];
        else if (argument == "--features" && hasValue)
            featuresPath = argv[++i];
        else if (argument == "--english" && hasValue)
            englishPath = argv[++i];
        else if (argument == "--binary" && hasValue)
            binaryPath = argv[++i];
        else if (argument == "--unicode" && hasValue)
            unicodePath = argv[++i];
        else if (const auto eq = argument.find('='); eq != std::string::npos)
            corpora.emplace_back(argument.substr(0, eq), argument.substr(eq + 1));
    }
    if (corpora.empty() && unicodePath.empty()) {
        std::cerr << "usage: vorlex_refined_eval GENRE=CORPUS.txt... [--per-cell N] [--seed S] "
                     "[--dump-singles DIR] [--features FILE] [--english FILE] [--binary FILE]\n"
                     "       vorlex_refined_eval --unicode CASES.tsv\n";
        return 2;
    }

    std::vector<std::string> actions;
    detect::PassSetup base;
    base.schemeItems.push_back(detect::kAutoItem);
    for (const auto& scheme : vorlex::store::builtInSchemes()) {
        base.schemeItems.push_back(static_cast<int>(actions.size()));
        actions.emplace_back(scheme.action);
    }
    base.readAction = [&actions](int number) { return actions[static_cast<std::size_t>(number)]; };
    const std::vector<FilterList> storedChains = detect::storedSchemeChains(base);
    if (!unicodePath.empty())
        return evaluateUnicode(unicodePath, storedChains);

    std::ofstream index, features;
    if (!dumpDir.empty())
        index.open(dumpDir + "/index.tsv");
    if (!featuresPath.empty())
        features.open(featuresPath);
    const std::string english = englishPath.empty() ? "" : readFile(englishPath);
    const std::string binary = binaryPath.empty() ? "" : readFile(binaryPath);

    const detect::Dictionary dictionary;
    std::mt19937 rng(seed);
    int dumped = 0;
    auto evaluate = [&](const std::string& genre, const Bucket& bucket, Kind kind,
                        const std::string& source) {
        Cell cell;
        int attempts = 0;
        while (cell.cases < perCell && ++attempts < perCell * 200) {
            std::string original, input;
            if (kind == Kind::random) {
                const std::size_t length =
                    std::uniform_int_distribution<std::size_t>(bucket.low, bucket.high - 1)(rng);
                for (std::size_t i = 0; i < length; ++i)
                    input += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
            } else if (kind == Kind::english || kind == Kind::binary) {
                if (source.size() < bucket.high * 2)
                    return;
                if (!cutPiece(source, rng, bucket, input))
                    continue;
                bool high = false;
                for (char ch : input)
                    high = high || static_cast<std::uint8_t>(ch) >= 0x80;
                if (!high)
                    continue; // nothing to judge: no chain can change it
            } else {
                if (!cutPiece(source, rng, bucket, original) || !isRussianPiece(original))
                    continue;
                if (kind == Kind::longWords) {
                    original = withoutShortWords(original);
                    if (original.size() < bucket.low || !isRussianPiece(original))
                        continue;
                }
                FilterList damage;
                if (kind <= Kind::wm || kind == Kind::longWords) {
                    damage.append(kSingleFilters[kind == Kind::longWords
                                                     ? std::uniform_int_distribution<int>(0, 3)(rng)
                                                     : static_cast<int>(kind)]);
                } else if (kind == Kind::chain) {
                    const int length = std::uniform_int_distribution<int>(2, 3)(rng);
                    for (int f = 0; f < length; ++f)
                        damage.append(std::uniform_int_distribution<int>(0, 11)(rng));
                }
                input = kind == Kind::utf8 ? utf8ReadAsWin(original) : recode(damage, original);
                if (kind != Kind::correct && input == original)
                    continue;
            }
            ++cell.cases;
            detect::PassSetup setup = base;
            setup.sample = detect::sampleSource(input);
            if (isRussianKind(kind) && kind != Kind::correct && setup.sample.hasWords()) {
                const detect::PassResult classic = detect::runPass(dictionary, setup);
                if (!classic.variants.empty() &&
                    recode(vorlex::engine::parseAction(classic.variants.front().action), input) ==
                        original)
                    ++cell.classic;
            }
            const detect::RefinedRanking refined =
                detect::refineRanking(dictionary, setup.sample, input, storedChains, 8);
            cell.none += refined.verdict == detect::Verdict::none;
            cell.unchanged += refined.verdict == detect::Verdict::unchanged;
            cell.ambiguous += refined.verdict == detect::Verdict::ambiguous;
            const std::string got = refined.candidates.empty()
                                        ? input
                                        : recode(refined.candidates.front().chain, input);
            bool right = false;
            if (kind == Kind::correct)
                right = refined.verdict == detect::Verdict::unchanged ||
                        (refined.verdict != detect::Verdict::none &&
                         lettersDiffering(got, original) == 0);
            else if (isRussianKind(kind))
                right = refined.verdict != detect::Verdict::none && got == original;
            else
                right = refined.verdict == detect::Verdict::none;
            cell.refined += right;
            if (features.is_open()) {
                const std::string sample(detect::refinedSample(input));
                for (std::size_t c = 0; c < refined.candidates.size(); ++c) {
                    // The first two and the text as it is: the readings a verdict weighs.
                    const detect::RefinedCandidate& candidate = refined.candidates[c];
                    if (c >= 2 && candidate.chain.count != 0)
                        continue;
                    const std::string reading = recode(candidate.chain, sample);
                    int label = 0;
                    double differingShare = -1; // -1: no real text, or the text as it is
                    if (isRussianKind(kind) && kind != Kind::utf8) {
                        const std::string want(
                            detect::refinedSample(original).substr(0, reading.size()));
                        // A reading in other case is still Russian text.
                        const int differing = lettersDiffering(folded(reading), folded(want));
                        if (differing == 0)
                            label = 1;
                        else if (differing <= std::max(1, cyrillicLetters(want) / 30))
                            continue; // nearly the real text: neither answer is wrong
                        // The text as it is of a damaged case is the damage: never near.
                        if (candidate.chain.count != 0)
                            differingShare =
                                static_cast<double>(differing) / std::max(1, cyrillicLetters(want));
                    }
                    features << genre << '\t' << bucket.name << '\t' << kKindNames[int(kind)]
                             << '\t' << label;
                    for (double x :
                         detect::plausibilityFeatures(detect::judgeText(dictionary, reading)))
                        features << '\t' << x;
                    // For reading the rows: the candidate's place and its whole text.
                    std::string shown = vorlex::engine::win1251ToUtf8(reading);
                    for (char& ch : shown)
                        ch = ch == '\n' || ch == '\t' || ch == '\r' ? '|' : ch;
                    features << '\t' << candidate.plausibility << '\t' << c << '\t' << shown << '\t'
                             << differingShare << '\n';
                }
            }
            if (!right && verbose) {
                std::string shown = vorlex::engine::win1251ToUtf8(got.substr(0, 100));
                for (char& ch : shown)
                    ch = ch == '\n' ? '|' : ch;
                std::fprintf(stderr, "MISS %s %s %s verdict=%s top=%s: %s\n", genre.c_str(),
                             bucket.name, kKindNames[int(kind)],
                             std::string(detect::verdictName(refined.verdict)).c_str(),
                             refined.candidates.empty() ? "-"
                                                        : refined.candidates[0].action.c_str(),
                             shown.c_str());
            }
            if (index.is_open() && (kind <= Kind::wm || kind == Kind::correct)) {
                const std::string name = std::to_string(++dumped) + ".txt";
                std::ofstream(dumpDir + "/" + name, std::ios::binary) << input;
                index << name << '\t' << genre << '\t' << bucket.name << '\t'
                      << kKindNames[int(kind)] << '\n';
            }
        }
        std::printf("{\"genre\": \"%s\", \"bucket\": \"%s\", \"kind\": \"%s\", \"cases\": %d, "
                    "\"classic\": %d, \"refined\": %d, \"none\": %d, \"unchanged\": %d, "
                    "\"ambiguous\": %d}\n",
                    genre.c_str(), bucket.name, kKindNames[int(kind)], cell.cases, cell.classic,
                    cell.refined, cell.none, cell.unchanged, cell.ambiguous);
        std::fflush(stdout);
    };

    for (const auto& [genre, path] : corpora) {
        const std::string text = normalised(readFile(path));
        if (text.size() < 10000) {
            std::cerr << path << ": the corpus is too small\n";
            return 1;
        }
        for (const Bucket& bucket : kBuckets)
            for (Kind kind : {Kind::wk, Kind::wi, Kind::wa, Kind::wm, Kind::chain, Kind::correct,
                              Kind::longWords, Kind::utf8})
                evaluate(genre, bucket, kind, text);
    }
    for (const Bucket& bucket : kBuckets) {
        evaluate("other", bucket, Kind::random, "");
        if (!english.empty())
            evaluate("other", bucket, Kind::english, english1252(english));
        if (!binary.empty())
            evaluate("other", bucket, Kind::binary, binary);
    }
    return 0;
}
