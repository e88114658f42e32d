#include "detect/unicode_repair.h"

#include "detect/list_line.h"
#include "detect/sample.h"
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <algorithm>
#include <cstdint>

namespace vorlex::detect {
namespace {

using engine::DisplayPage;
using engine::UnicodeStep;
using engine::UnicodeStepKind;

// The start of UTF-8 text, at most `most` bytes, not cutting a character.
std::string_view utf8Prefix(std::string_view text, std::size_t most) {
    if (text.size() <= most)
        return text;
    std::size_t end = most;
    while (end > 0 && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The first kLabelLength characters of UTF-8 text, as the labels of the list are cut.
std::string utf8Head(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t n = 0; end < text.size() && n < kLabelLength; ++n) {
        ++end;
        while (end < text.size() && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return std::string(text.substr(0, end));
}

// The label of Unicode text taken whole rather than through a sample: cut as utf8Head and,
// as a short sample is, padded with spaces to kLabelLength characters.
std::string textLabel(std::string_view text) {
    std::string label = utf8Head(text);
    std::size_t characters = 0;
    for (const char c : label)
        characters += (static_cast<std::uint8_t>(c) & 0xC0) != 0x80;
    label.append(kLabelLength - characters, ' ');
    return label;
}

// Unicode text as Windows-1251 bytes for judging only: a character without a byte there (an
// emoji, an arrow, a Latin letter with a mark) becomes '?', which the ranking takes for a word
// boundary. nullopt when the text is no valid UTF-8 or, with `needCyrillic`, when no Cyrillic
// letter is left to judge.
std::optional<std::string> judgedThroughWin1251(std::string_view utf8, bool needCyrillic = true) {
    std::string out;
    out.reserve(utf8.size());
    bool cyrillic = false;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = engine::decodeUtf8(utf8, pos, cp);
        if (length == 0)
            return std::nullopt;
        pos += length;
        const std::optional<std::uint8_t> byte = engine::unicodeToWin1251(cp);
        out += static_cast<char>(byte ? *byte : '?');
        cyrillic = cyrillic || (byte && (*byte >= 0xC0 || *byte == 0xA8 || *byte == 0xB8));
    }
    if (needCyrillic && !cyrillic)
        return std::nullopt;
    return out;
}

constexpr bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The runs of a text between ASCII white space. No view, UTF-8 step or byte map of Cyrillic
// pages makes or moves such a space, so a repair changes a text run by run.
std::vector<std::string_view> runsOf(std::string_view text) {
    std::vector<std::string_view> runs;
    for (std::size_t pos = 0; pos < text.size();) {
        while (pos < text.size() && isAsciiSpace(text[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !isAsciiSpace(text[pos]))
            ++pos;
        if (pos > start)
            runs.push_back(text.substr(start, pos - start));
    }
    return runs;
}

// How well a stretch of Unicode text reads as Russian: its plausibility as judged through
// Windows-1251, none without a Cyrillic letter.
double readsAsRussian(const Dictionary& dictionary, std::string_view utf8) {
    const std::optional<std::string> judged = judgedThroughWin1251(utf8, false);
    return judged ? plausibility(dictionary, *judged) : 0.0;
}

// A run as Russian: its Cyrillic letters, and whether each of its words is a known word form.
struct RunReading {
    int letters = 0;
    int capitals = 0;
    int words = 0;
    bool known = false;
    std::string folded; ///< its Windows-1251 bytes in capitals
};

RunReading readRun(const Dictionary& dictionary, std::string_view utf8) {
    const std::optional<std::string> judged = judgedThroughWin1251(utf8, false);
    if (!judged)
        return {};
    const TextJudgement j = judgeText(dictionary, *judged);
    return {j.letters, j.capitals, j.words, j.words > 0 && j.knownWords == j.words,
            foldedCopy(*judged)};
}

// Whether a repair reads better where it changes the text. Of the runs it changes, the letters
// of runs that become known Russian words are its gain, those of runs of known words that it
// turns into something else, or only into other capitals, its loss: a text of which only a
// part is damaged (a quoted mojibake inside correct text) loses its correct words to a repair
// of the whole, a damaged text gains all of its words and loses at most a short word that its
// mojibake happened to spell. Unless known words hold half of the repaired letters, the changed
// runs must also read as plausible Russian repaired, and without known words on either side
// more plausibly than before (a chain that turns a mojibake into another rarely spells words).
// A UTF-8 decoding alone (`decodes`) needs no plausibility: the UTF-8 is the evidence.
bool betterWhereChanged(const Dictionary& dictionary, std::string_view before,
                        std::string_view after, bool decodes = false) {
    const std::vector<std::string_view> was = runsOf(before), is = runsOf(after);
    if (was.size() != is.size())
        return readsAsRussian(dictionary, after) > readsAsRussian(dictionary, before);
    int gain = 0, loss = 0, letters = 0;
    std::string oldRuns, newRuns;
    for (std::size_t i = 0; i < was.size(); ++i) {
        if (was[i] == is[i])
            continue;
        const RunReading old = readRun(dictionary, was[i]), repaired = readRun(dictionary, is[i]);
        if (old.known && (!repaired.known || old.folded == repaired.folded))
            loss += old.letters;
        else if (repaired.known && !old.known)
            gain += repaired.letters;
        letters += repaired.letters;
        if (!newRuns.empty()) {
            oldRuns += ' ';
            newRuns += ' ';
        }
        oldRuns += was[i];
        newRuns += is[i];
    }
    const double floor = decodes ? 0.0 : kPlausibleFrom;
    if (gain == 0 && loss == 0)
        return readsAsRussian(dictionary, newRuns) >
               std::max(floor, readsAsRussian(dictionary, oldRuns));
    return gain > 2 * loss && (2 * gain >= letters || readsAsRussian(dictionary, newRuns) >= floor);
}

// The part of the text a repair is checked on: its start up to the judged size, cut at ASCII
// white space so that no character and no mojibake of one is split.
std::string_view checkedPart(std::string_view text) {
    if (text.size() <= kRefinedSampleBytes)
        return text;
    std::size_t end = kRefinedSampleBytes;
    while (end > 0 && !isAsciiSpace(text[end]))
        --end;
    return end == 0 ? utf8Prefix(text, kRefinedSampleBytes) : text.substr(0, end);
}

// The page whose text a chain of one filter turns into Windows-1251 ("kw": Koi); Windows-1251
// itself for any other chain.
DisplayPage sourcePageOf(const engine::FilterList& chain) {
    if (chain.count != 1)
        return DisplayPage::windows1251;
    switch (chain.filters[0]) {
    case 8: // kw
        return DisplayPage::koi8r;
    case 2: // aw
        return DisplayPage::cp866;
    case 5: // iw
        return DisplayPage::iso8859_5;
    case 12: // mw
        return DisplayPage::macCyrillic;
    default:
        return DisplayPage::windows1251;
    }
}

// Added per filter of a chain after the Unicode steps, on top of the 8-bit ranking's own
// preference for shorter chains: the views and UTF-8 steps already explain the damage of such
// text, and among the thousands of longer chains one that turns a short word or a lone letter
// into another real one ("ЦП" into "ОП") is found by chance too often.
constexpr double kUnicodeChainCost = -4.5;

// Plausible repairs checked for reading better wherever they change the text, best first,
// until one passes; the ones after them are not taken either.
constexpr std::size_t kCheckedRepairs = 4;

struct Leaf {
    RefinedRanking ranking;
    std::vector<UnicodeStep> steps;
    std::string bytesLabel; ///< the label of the bytes the steps end on, before any chain
    std::string judged;     ///< the part of those bytes the ranking judged
    /// Judged through a lossy Windows-1251 view: only the text as it is is judged and offered,
    /// as the steps before that view (a chain cannot run on characters the view lost).
    bool asItIsOnly = false;
    std::string text; ///< for such a leaf, the Unicode text it judged (its label)
};

// UTF-8 read as Windows-1251 by a display that lost the page's undefined byte 0x98 (shown as
// U+FFFD, or dropped): the bytes of the view that takes it back, when they are UTF-8 to decode.
std::optional<std::string> lostUndefinedBytes(std::string_view text) {
    std::optional<std::string> bytes = engine::viewOfUtf8Through(text, DisplayPage::windows1251);
    if (!bytes || !engine::isMultibyteUtf8(*bytes))
        return std::nullopt;
    return bytes;
}

struct Search {
    const Dictionary& dictionary;
    std::span<const engine::FilterList> storedChains;
    std::size_t maxCandidates;
    UnicodeRanking ranking;
    std::vector<Leaf> leaves;
    /// The search reads the start of a longer text: the bytes a view gives may end in the
    /// middle of a UTF-8 character, which the rest of the text completes.
    bool cut = false;

    std::string_view complete(std::string_view bytes) const {
        return cut ? bytes.substr(0, engine::lengthWithoutCutCharacter(bytes)) : bytes;
    }

    void rank(const std::string& bytes, std::vector<UnicodeStep> steps,
              std::string_view asItIs = {}) {
        ++ranking.rankings;
        const bool lossy = !asItIs.empty();
        const Sample sample = sampleSource(bytes);
        // Only the Windows-1251 view of the text itself gives the text as it is.
        const bool itself = steps.size() == 1 && steps.front().kind == UnicodeStepKind::view &&
                            steps.front().page == DisplayPage::windows1251;
        ReadingPrior prior;
        prior.asItIsIsInput = itself;
        prior.extraFilterCost = kUnicodeChainCost;
        RefinedRanking ranking =
            lossy ? judgeAsItIs(dictionary, sample, bytes)
                  : refineRanking(dictionary, sample, bytes, storedChains, maxCandidates, prior);
        // Below a UTF-8 step the text it gives is judged even when chains push it off the list.
        const bool decoded = std::any_of(steps.begin(), steps.end(), [](UnicodeStep step) {
            return step.kind == UnicodeStepKind::utf8Decode;
        });
        if (decoded && !lossy &&
            std::none_of(ranking.candidates.begin(), ranking.candidates.end(),
                         [](const RefinedCandidate& c) { return c.chain.count == 0; }))
            for (RefinedCandidate& plain : judgeAsItIs(dictionary, sample, bytes).candidates)
                ranking.candidates.push_back(std::move(plain));
        leaves.push_back({std::move(ranking), std::move(steps), variantLabel(sample, {}),
                          std::string(refinedSample(bytes)), lossy, std::string(asItIs)});
    }

    void explore(std::string_view text, const std::vector<UnicodeStep>& steps, int layers) {
        std::vector<std::string> seen;
        bool winLossless = false;
        const auto decode = [&](std::string_view bytes, DisplayPage page) {
            if (layers >= kMaxUtf8Layers)
                return;
            std::vector<UnicodeStep> next = steps;
            next.push_back({UnicodeStepKind::view, page});
            next.push_back({UnicodeStepKind::utf8Decode});
            explore(bytes, next, layers + 1);
        };
        for (const DisplayPage page : engine::kDisplayPages) {
            if (winLossless && page != DisplayPage::windows1251 && engine::isCyrillicPage(page))
                continue;
            std::optional<std::string> bytes = engine::viewThrough(text, page);
            if (bytes && page == DisplayPage::windows1251)
                winLossless = true;
            if (page == DisplayPage::windows1251 &&
                !(bytes && engine::isMultibyteUtf8(complete(*bytes))))
                if (std::optional<std::string> restored = lostUndefinedBytes(text)) {
                    // The byte was shown as U+FFFD: that view is the only one of the page.
                    // Dropped: the bytes as they are are ranked too, should a lone "Р" of
                    // correct text have made them UTF-8.
                    if (!bytes) {
                        bytes = std::move(restored);
                    } else {
                        decode(complete(*restored), page);
                    }
                }
            if (!bytes)
                continue;
            if (std::find(seen.begin(), seen.end(), *bytes) != seen.end())
                continue;
            seen.push_back(*bytes);
            if (engine::isMultibyteUtf8(complete(*bytes))) {
                decode(complete(*bytes), page);
                continue;
            }
            std::vector<UnicodeStep> next = steps;
            next.push_back({UnicodeStepKind::view, page});
            rank(*bytes, std::move(next));
        }
        // Correct text, or text a repair has made Unicode again, may hold characters that no
        // page has (emoji, arrows, marked Latin letters): it is still judged as it is.
        if (!winLossless)
            if (const std::optional<std::string> judged = judgedThroughWin1251(text))
                rank(*judged, steps, text);
    }
};

// A damaged part of a correct text (a quoted mojibake) repaired on its own: each run that is no
// known Russian word as it is, without the quotes and brackets around it, is turned back
// through the views and UTF-8 steps of the families (no chain: a run is too short to rank
// thousands of chains on), and a repair counts where it gives known words.
constexpr std::size_t kMostSpanRuns = 64; ///< runs beyond ASCII looked at, from the start
constexpr int kLeastSpanGain = 5;         ///< letters of known words the repair must give in all
constexpr int kLeastRunGain = 3;          ///< and in each run it counts
constexpr std::size_t kMostQuoteRuns = 8; ///< runs of a quote on either side of a repaired one

constexpr bool isEdgeMark(char32_t cp) {
    switch (cp) {
    case U'«':
    case U'»':
    case U'“':
    case U'”':
    case U'„':
    case U'‘':
    case U'’':
    case U'—':
    case U'–':
    case U'…':
        return true;
    default:
        return cp < 0x80 && cp > ' ' && !(cp >= '0' && cp <= '9') &&
               !((cp | 0x20) >= 'a' && (cp | 0x20) <= 'z');
    }
}

constexpr bool opensQuote(char32_t cp) {
    return cp == U'«' || cp == U'“' || cp == U'„' || cp == U'‘' || cp == '"' || cp == '\'' ||
           cp == '(' || cp == '[';
}

constexpr bool closesQuote(char32_t cp) {
    return cp == U'»' || cp == U'”' || cp == U'“' || cp == U'’' || cp == '"' || cp == '\'' ||
           cp == ')' || cp == ']';
}

struct SpanRepair {
    std::vector<UnicodeStep> steps;
    std::string text; ///< what the steps make of the run
};

// The repairs of one run through the families' steps.
void spanRepairs(std::string_view text, std::vector<UnicodeStep>& steps, int layers,
                 std::vector<SpanRepair>& out) {
    bool winLossless = false;
    for (const DisplayPage page : engine::kDisplayPages) {
        if (winLossless && engine::isCyrillicPage(page))
            continue;
        std::optional<std::string> bytes = engine::viewThrough(text, page);
        if (!bytes) {
            // U+FFFD for 0x98 only: a dropped byte is no doubt enough to change a quote.
            if (page == DisplayPage::windows1251)
                bytes = lostUndefinedBytes(text);
            if (!bytes)
                continue;
        } else {
            winLossless = winLossless || page == DisplayPage::windows1251;
        }
        steps.push_back({UnicodeStepKind::view, page});
        if (engine::isMultibyteUtf8(*bytes)) {
            if (layers < kMaxUtf8Layers) {
                steps.push_back({UnicodeStepKind::utf8Decode});
                out.push_back({steps, *bytes});
                spanRepairs(*bytes, steps, layers + 1, out);
                steps.pop_back();
            }
        } else if (layers == 0) {
            // Cyrillic text of one page shown through another: Western pages show any of
            // them, Windows-1251 the bytes of KOI8-R and CP866.
            if (page != DisplayPage::windows1251)
                out.push_back({steps, engine::win1251ToUtf8(*bytes)});
            for (const DisplayPage source : {DisplayPage::koi8r, DisplayPage::cp866}) {
                steps.push_back({UnicodeStepKind::show, source});
                out.push_back({steps, engine::showThrough(*bytes, source)});
                steps.pop_back();
            }
        }
        steps.pop_back();
    }
}

// A run with a character beyond ASCII, and the marks around its core.
struct SuspectRun {
    std::size_t index = 0;              ///< among the runs of the text beyond ASCII
    std::size_t run = 0;                ///< among all runs of the text
    std::size_t first = 0;              ///< its first character in the text
    std::vector<std::size_t> offsets;   ///< byte offset of each character, and of its end
    std::size_t lead = 0, trail = 0;    ///< quotes and brackets before and after its core
    bool known = false;                 ///< it reads as known words as it is
    int letters = 0;                    ///< its Cyrillic letters as it is
    bool opens = false, closes = false; ///< it opens or closes a quote or brackets
};

// The run without `l` characters before and `t` after.
std::string_view coreOf(std::string_view text, const SuspectRun& run, std::size_t l,
                        std::size_t t) {
    return text.substr(run.offsets[l], run.offsets[run.offsets.size() - 1 - t] - run.offsets[l]);
}

std::optional<std::string> applySteps(const std::vector<UnicodeStep>& steps,
                                      std::string_view text) {
    engine::UnicodeActionError error{};
    const auto result = engine::applyUnicodeAction({steps, {}, {}}, text, true, {}, error);
    if (!result)
        return std::nullopt;
    return engine::resultAsUtf8(*result);
}

// What the steps make of a run, as the span they change and its reading. Without `known`: the
// core without the marks around it, or when the steps cannot run on that, the core with the
// fewest of the marks that lets them ("’" is a part of "В" in UTF-8 read as Windows-1251);
// nothing when they leave it as it is. With `known`: the innermost core the steps turn into
// known words, when they have letters enough (marks around a word are marks, but where the
// word is not known without them one may be a letter: "»" is "п" of CP866 in CP437).
// Nothing for a run of marks alone.
struct Through {
    engine::CharSpan span;
    RunReading is;
    std::string text; ///< what the steps make of the span
};

std::optional<Through> through(const Dictionary& dictionary, std::string_view text,
                               const SuspectRun& run, const std::vector<UnicodeStep>& steps,
                               bool known) {
    const std::size_t characters = run.offsets.size() - 1;
    if (run.lead + run.trail >= characters)
        return std::nullopt;
    for (std::size_t shed = run.lead + run.trail + 1; shed-- > 0;)
        for (std::size_t l = std::min(shed, run.lead); l + run.trail >= shed; --l) {
            const std::size_t t = shed - l;
            const std::string_view core = coreOf(text, run, l, t);
            const auto repaired = applySteps(steps, core);
            if (repaired && *repaired == core && !known)
                return std::nullopt;
            if (repaired && *repaired != core) {
                Through found{
                    {run.first + l, characters - l - t}, readRun(dictionary, *repaired), *repaired};
                if (!known)
                    return found;
                if (found.is.known)
                    return found.is.letters >= kLeastRunGain ? std::optional(std::move(found))
                                                             : std::nullopt;
            }
            if (l == 0)
                break;
        }
    return std::nullopt;
}

std::optional<UnicodeCandidate> repairSpans(const Dictionary& dictionary, std::string_view text) {
    std::vector<SuspectRun> suspects;
    std::size_t characters = 0, runs = 0, allRuns = 0;
    for (std::size_t pos = 0; pos < text.size() && suspects.size() < kMostSpanRuns;) {
        while (pos < text.size() && isAsciiSpace(text[pos])) {
            ++pos;
            ++characters;
        }
        if (pos == text.size())
            break;
        SuspectRun run;
        run.index = runs;
        run.run = allRuns++;
        run.first = characters;
        std::vector<char32_t> cps;
        bool high = false;
        const std::size_t start = pos;
        while (pos < text.size() && !isAsciiSpace(text[pos])) {
            char32_t cp = 0;
            const std::size_t length = engine::decodeUtf8(text, pos, cp);
            if (length == 0)
                return std::nullopt;
            run.offsets.push_back(pos);
            cps.push_back(cp);
            high = high || cp >= 0x80;
            pos += length;
            ++characters;
        }
        run.offsets.push_back(pos);
        // Runs of ASCII alone (numbers, Latin words) are the same through every repair: the
        // runs on either side of them are neighbours.
        if (!high)
            continue;
        ++runs;
        // A short mojibake may spell a known word ("Рё"): such runs are not repaired for
        // themselves, only beside others.
        const RunReading reading = readRun(dictionary, text.substr(start, pos - start));
        run.known = reading.known;
        run.letters = reading.letters;
        while (run.lead < cps.size() && isEdgeMark(cps[run.lead]))
            ++run.lead;
        while (run.trail < cps.size() - run.lead && isEdgeMark(cps[cps.size() - 1 - run.trail]))
            ++run.trail;
        run.opens = opensQuote(cps.front());
        std::size_t last = cps.size() - 1;
        while (last > 0 && (cps[last] == '.' || cps[last] == ',' || cps[last] == ';' ||
                            cps[last] == ':' || cps[last] == '!' || cps[last] == '?'))
            --last;
        run.closes = closesQuote(cps[last]);
        suspects.push_back(std::move(run));
    }
    // The steps that give the most letters of known words over all runs.
    struct Gain {
        std::vector<UnicodeStep> steps;
        int letters = 0, runs = 0;
    };
    std::vector<Gain> gains;
    std::vector<SpanRepair> repairs;
    std::vector<UnicodeStep> steps;
    for (const SuspectRun& run : suspects) {
        if (run.known)
            continue;
        repairs.clear();
        spanRepairs(coreOf(text, run, run.lead, run.trail), steps, 0, repairs);
        if (run.lead + run.trail > 0 && run.lead + run.trail < run.offsets.size() - 1)
            spanRepairs(coreOf(text, run, 0, 0), steps, 0, repairs);
        // The most letters of known words, then the fewest capitals (a page read as another
        // turns small letters into capitals, and a run of capitals is more often taken for a
        // known word by chance), then the most plausible reading.
        std::vector<UnicodeStep> bestSteps;
        int best = 0, bestCapitals = 0;
        double bestReads = 0;
        for (const SpanRepair& repair : repairs) {
            const RunReading is = readRun(dictionary, repair.text);
            if (!is.known || is.letters < kLeastRunGain || is.letters < best ||
                (is.letters == best && is.capitals > bestCapitals))
                continue;
            const double reads = readsAsRussian(dictionary, repair.text);
            if (is.letters > best || is.capitals < bestCapitals || reads > bestReads) {
                best = is.letters;
                bestCapitals = is.capitals;
                bestReads = reads;
                bestSteps = repair.steps;
            }
        }
        if (best == 0)
            continue;
        const auto same = std::find_if(gains.begin(), gains.end(),
                                       [&](const Gain& g) { return g.steps == bestSteps; });
        if (same == gains.end())
            gains.push_back({std::move(bestSteps), best, 1});
        else {
            same->letters += best;
            ++same->runs;
        }
    }
    const auto most =
        std::max_element(gains.begin(), gains.end(),
                         [](const Gain& a, const Gain& b) { return a.letters < b.letters; });
    if (most == gains.end() || most->letters < kLeastSpanGain)
        return std::nullopt;
    // Steps that can run on any Cyrillic text (its Windows-1251 bytes read as another page's)
    // are weak evidence: a run of capitals turns into a known word by chance. A UTF-8 step or
    // a lossless Western view is strong: correct Russian text passes neither.
    const bool strong = std::any_of(most->steps.begin(), most->steps.end(), [](UnicodeStep step) {
        return step.kind == UnicodeStepKind::utf8Decode ||
               (step.kind == UnicodeStepKind::view && !engine::isCyrillicPage(step.page));
    });
    if (!strong && (most->runs < 2 || most->letters < 2 * kLeastSpanGain))
        return std::nullopt;
    // The runs those steps turn into known words.
    UnicodeCandidate candidate;
    candidate.steps.steps = most->steps;
    std::vector<bool> taken(suspects.size(), false);
    std::vector<engine::CharSpan> spans(suspects.size());
    for (std::size_t i = 0; i < suspects.size(); ++i)
        if (!suspects[i].known)
            if (const auto found = through(dictionary, text, suspects[i], most->steps, true)) {
                taken[i] = true;
                spans[i] = found->span;
            }
    const auto neighbours = [&](std::size_t a, std::size_t b) {
        return suspects[a].index + 1 == suspects[b].index;
    };
    // Only a quote is repaired, and all of it: from the run with the mark that opens it to the
    // one with the mark that closes it (brackets inside counted off), every run is one the
    // steps change (the other words of the quote: names, short words; a mojibake that spells
    // a known word, "В«" for «, only when it gives one too or signs of Windows-1251 alone).
    // Any doubt leaves the text as it is: no closing mark near, a run the steps cannot
    // repair inside, or one they would change right beside.
    const auto take = [&](std::size_t k) -> bool {
        if (taken[k])
            return true;
        const auto found = through(dictionary, text, suspects[k], most->steps, false);
        if (found && (!suspects[k].known || found->is.known ||
                      (found->is.letters == 0 &&
                       engine::viewThrough(found->text, DisplayPage::windows1251)))) {
            taken[k] = true;
            spans[k] = found->span;
        }
        return taken[k];
    };
    const auto opensOnly = [&](std::size_t k) { return suspects[k].opens && !suspects[k].closes; };
    const auto closesOnly = [&](std::size_t k) { return suspects[k].closes && !suspects[k].opens; };
    std::vector<bool> quoted(suspects.size(), false);
    for (std::size_t i = 0; i < suspects.size(); ++i) {
        if (!taken[i] || quoted[i])
            continue;
        std::size_t from = i, to = i;
        if (!(suspects[i].opens && suspects[i].closes)) {
            bool open = false, close = false;
            for (int depth = 0;; --from) {
                if (opensOnly(from) && depth == 0) {
                    open = true;
                    break;
                }
                depth += from != i && closesOnly(from) ? 1 : opensOnly(from) ? -1 : 0;
                if (from == 0 || !neighbours(from - 1, from) || i - from >= kMostQuoteRuns)
                    break;
            }
            for (int depth = 0;; ++to) {
                if (closesOnly(to) && depth == 0) {
                    close = true;
                    break;
                }
                depth += to != i && opensOnly(to) ? 1 : closesOnly(to) ? -1 : 0;
                if (to + 1 == suspects.size() || !neighbours(to, to + 1) ||
                    to - i >= kMostQuoteRuns)
                    break;
            }
            if (!open || !close)
                return std::nullopt;
        }
        for (std::size_t k = from; k <= to; ++k) {
            quoted[k] = true;
            if (!take(k))
                return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < suspects.size(); ++i) {
        // (Steps that change any Cyrillic text change the words around every quote: for them
        // a known word of three letters or more past the mark that closes it, or before the
        // one that opens it, does not count.)
        const bool word = suspects[i].known && suspects[i].letters >= 3;
        const bool beside = (i > 0 && taken[i - 1] && neighbours(i - 1, i) &&
                             (strong || !word || !suspects[i - 1].closes)) ||
                            (i + 1 < suspects.size() && taken[i + 1] && neighbours(i, i + 1) &&
                             (strong || !word || !suspects[i + 1].opens));
        if (!taken[i] && beside && through(dictionary, text, suspects[i], most->steps, false))
            return std::nullopt;
    }
    // Where the steps make letters of quote marks (« is "о" of CP866 in CP437, "л" in
    // Windows-1251) a mark beside a word may be a letter of it or a mark: such a repair is
    // not taken beside one.
    bool marksAreLetters = false;
    for (const std::string_view mark : {std::string_view("«"), std::string_view("»")})
        if (const auto shown = applySteps(most->steps, mark))
            marksAreLetters = marksAreLetters || readRun(dictionary, *shown).letters > 0;
    for (std::size_t i = 0; i < suspects.size(); ++i)
        if (taken[i] && marksAreLetters && (suspects[i].lead > 0 || suspects[i].trail > 0))
            return std::nullopt;
    // Neighbouring runs make one span where only ASCII lies between them (the same through
    // every step).
    for (std::size_t i = 0; i < suspects.size(); ++i) {
        if (!taken[i])
            continue;
        std::vector<engine::CharSpan>& out = candidate.steps.spans;
        if (i > 0 && taken[i - 1] && neighbours(i - 1, i) &&
            spans[i - 1].first + spans[i - 1].count ==
                suspects[i - 1].first + suspects[i - 1].offsets.size() - 1 &&
            spans[i].first == suspects[i].first)
            out.back().count = spans[i].first + spans[i].count - out.back().first;
        else if (out.size() == engine::kMaxActionSpans)
            return std::nullopt;
        else
            out.push_back(spans[i]);
    }
    engine::UnicodeActionError error{};
    const auto result = engine::applyUnicodeAction(candidate.steps, text, true, {}, error);
    if (!result)
        return std::nullopt;
    const std::string whole = engine::resultAsUtf8(*result);
    if (!betterWhereChanged(dictionary, text, whole))
        return std::nullopt;
    candidate.action = engine::unicodeActionString(candidate.steps);
    candidate.reading.plausibility = readsAsRussian(dictionary, whole);
    candidate.reading.confidence = candidate.reading.plausibility;
    candidate.label = textLabel(whole);
    return candidate;
}

// Whether Windows-1251 text holds Cyrillic letters enough to be read as Russian: eight at
// least, and twice as many as Latin ones.
bool mostlyCyrillic(std::string_view text) {
    int cyrillic = 0, latin = 0;
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        cyrillic += byte >= 0xC0 || byte == 0xA8 || byte == 0xB8;
        latin += (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
    }
    return cyrillic >= 8 && cyrillic >= 2 * latin;
}

// What a reading of a path's bytes says as Unicode text: the text of the page a chain of one
// filter reads them as, otherwise the chain's Windows-1251 bytes; nothing for a chain with a
// transliteration step.
std::optional<std::string> readingAsUtf8(std::string_view bytes, const engine::FilterList& chain) {
    const DisplayPage source = sourcePageOf(chain);
    if (source != DisplayPage::windows1251)
        return engine::showThrough(bytes, source);
    const std::optional<engine::ByteMap> map = engine::composeTables(chain);
    if (!map)
        return std::nullopt;
    std::string out(bytes);
    const std::span<std::uint8_t> data(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    engine::applyByteMap(*map, data, data);
    return engine::win1251ToUtf8(out);
}

// Whether `shorter` makes as many letters of known words as `longer` at least over the runs
// where they differ, and known words hold half of its letters there.
bool readsMoreWords(const Dictionary& dictionary, std::string_view shorter,
                    std::string_view longer) {
    const std::vector<std::string_view> a = runsOf(shorter), b = runsOf(longer);
    if (a.size() != b.size())
        return false;
    int knownShorter = 0, knownLonger = 0, letters = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        const RunReading s = readRun(dictionary, a[i]), l = readRun(dictionary, b[i]);
        // A lone letter is a known word by chance too often ("я", "с" of a table of letters).
        knownShorter += s.known && s.letters > 1 ? s.letters : 0;
        knownLonger += l.known && l.letters > 1 ? l.letters : 0;
        letters += s.letters;
    }
    return knownShorter > 0 && knownShorter >= knownLonger && 2 * knownShorter >= letters;
}

// How a candidate is ordered among those of all paths: plausible readings first, then by score.
// The 8-bit ranking of each path has the last word on its own candidates: it may put the text
// as it is before a recoding that scores a little better, and when its first is implausible
// (verdict none) the others of that path do not count as plausible either. So a path's first
// candidate takes the best score of its path, and the others count as plausible only after a
// plausible first.
struct Rank {
    bool plausible;
    double score;
};

bool better(const Rank& a, const Rank& b) {
    if (a.plausible != b.plausible)
        return a.plausible;
    return a.score > b.score;
}

} // namespace

UnicodeBest bestUnicodeRepair(const UnicodeRanking& ranking, std::string_view utf8,
                              const engine::LatinOptions& options) {
    UnicodeBest best;
    if (ranking.verdict == Verdict::none) {
        best.noPlausibleReading = true;
        return best;
    }
    for (const UnicodeCandidate& candidate : ranking.candidates) {
        if (candidate.reading.plausibility < kPlausibleFrom)
            break;
        engine::UnicodeActionError error{};
        if (const auto result =
                engine::applyUnicodeAction(candidate.steps, utf8, true, options, error)) {
            best.candidate = &candidate;
            best.utf8 = engine::resultAsUtf8(*result);
            return best;
        }
        // Not a later candidate in its place: that would be another answer.
        if (error == engine::UnicodeActionError::outOfMemory) {
            best.outOfMemory = true;
            return best;
        }
    }
    return best;
}

bool arrivesAsUnicode(std::string_view bytes) noexcept {
    return engine::isMultibyteUtf8(bytes);
}

UnicodeRanking rankUnicode(const Dictionary& dictionary, std::string_view utf8,
                           std::span<const engine::FilterList> storedChains,
                           std::size_t maxCandidates) {
    Search search{dictionary, storedChains, maxCandidates, {}, {}};
    const std::string_view start = utf8Prefix(utf8, kUnicodeSearchBytes);
    search.cut = start.size() < utf8.size();
    search.explore(start, {}, 0);

    std::vector<UnicodeCandidate> all;
    std::vector<const RefinedRanking*> leafOf;
    std::vector<Rank> ranks;
    for (const Leaf& found : search.leaves) {
        const RefinedRanking& leaf = found.ranking;
        double leafBest = -1e300;
        for (const RefinedCandidate& reading : leaf.candidates)
            leafBest = std::max(leafBest, reading.score);
        bool frontPlausible = leaf.plausible(0); // as judged again below, when it is
        bool front = true;
        const std::string plainFolded = foldedCopy(found.bytesLabel);
        // Below a UTF-8 step the text it gives comes first when it reads as Russian: the step
        // explains the damage, and no family runs a chain after it.
        std::vector<const RefinedCandidate*> readings;
        for (const RefinedCandidate& reading : leaf.candidates)
            readings.push_back(&reading);
        // Every damage that arrives as Unicode needs at most one filter after its steps (the
        // reading of another Cyrillic page). A longer chain first by the letter pairs alone gives
        // way to the best shorter reading of the path where that one makes more letters of known
        // words: the pairs count a no-break space after a dash against "- список", and a chain
        // of four that glues a letter to the word in its place ("-Усписок") came first.
        const auto caseOnly = [&](const RefinedCandidate& r) {
            return r.chain.count != 0 && r.label != found.bytesLabel &&
                   foldedCopy(r.label) == plainFolded;
        };
        if (!found.asItIsOnly && readings.size() > 1 && readings.front()->chain.count > 1) {
            const auto shorter = std::find_if(readings.begin() + 1, readings.end(), [&](auto r) {
                return r->chain.count <= 1 && !caseOnly(*r);
            });
            if (shorter != readings.end()) {
                const auto longText = readingAsUtf8(found.judged, readings.front()->chain);
                const auto shortText = readingAsUtf8(found.judged, (*shorter)->chain);
                if (longText && shortText &&
                    readsMoreWords(search.dictionary, *shortText, *longText))
                    std::rotate(readings.begin(), shorter, shorter + 1);
            }
        }
        const bool decoded = std::any_of(found.steps.begin(), found.steps.end(), [](auto step) {
            return step.kind == UnicodeStepKind::utf8Decode;
        });
        if (decoded && !found.asItIsOnly) {
            const auto plain = std::find_if(readings.begin(), readings.end(),
                                            [](auto r) { return r->chain.count == 0; });
            if (plain != readings.end() &&
                ((*plain)->plausibility >= kPlausibleFrom || mostlyCyrillic(found.judged)))
                std::rotate(readings.begin(), plain, plain + 1);
        }
        for (const RefinedCandidate* next : readings) {
            const RefinedCandidate& reading = *next;
            if (found.asItIsOnly && reading.chain.count != 0)
                continue;
            // A chain that only turns small letters into capitals or back repairs no damage
            // that arrives as Unicode ("будет перезапущен" as "БУДЕТ ПЕРЕЗАПУЩЕН").
            if (caseOnly(reading))
                continue;
            UnicodeCandidate candidate;
            candidate.steps.steps = found.steps;
            candidate.steps.chain = reading.chain;
            // Windows-1251 bytes left as they are read as the text itself.
            if (reading.chain.count == 0 && !found.asItIsOnly &&
                candidate.steps.steps.back().page == DisplayPage::windows1251)
                candidate.steps.steps.pop_back();
            // Bytes of another Cyrillic page are read as that page's text rather than turned
            // into Windows-1251: the same letters, and the signs that page has beyond them
            // (°, ², the no-break space, box drawing) kept, where a table would garble them.
            const DisplayPage source =
                found.asItIsOnly ? DisplayPage::windows1251 : sourcePageOf(reading.chain);
            const bool shows = source != DisplayPage::windows1251;
            candidate.reading = reading;
            if (shows) {
                candidate.steps.steps.push_back({UnicodeStepKind::show, source});
                candidate.steps.chain = {};
                // Judged as what it gives: the table's stand-ins for those signs are odd bytes.
                if (const auto text =
                        judgedThroughWin1251(engine::showThrough(found.judged, source)))
                    candidate.reading.plausibility = plausibility(search.dictionary, *text);
            }
            // Text that a lossless view turns into UTF-8 of Cyrillic letters was UTF-8 read as
            // 8-bit text: correct Russian text is no such UTF-8 through any page, so the
            // decoding is plausible however its words read (lists of capitals, names).
            if (candidate.steps.chain.count == 0 && !candidate.steps.steps.empty() &&
                candidate.steps.steps.back().kind == UnicodeStepKind::utf8Decode &&
                mostlyCyrillic(found.judged))
                candidate.reading.plausibility =
                    std::max(candidate.reading.plausibility, kPlausibleFrom);
            const bool plausible = candidate.reading.plausibility >= kPlausibleFrom;
            if (found.asItIsOnly)
                ranks.push_back({plausible, reading.score});
            else if (front) {
                ranks.push_back({plausible, leafBest});
                frontPlausible = plausible;
            } else
                ranks.push_back({plausible && frontPlausible, reading.score});
            front = false;
            candidate.action = engine::unicodeActionString(candidate.steps);
            candidate.label = utf8Head(found.asItIsOnly ? found.text
                                       : shows ? engine::showThrough(found.bytesLabel, source)
                                               : engine::win1251ToUtf8(reading.label));
            all.push_back(std::move(candidate));
            leafOf.push_back(&leaf);
        }
    }
    std::vector<std::size_t> order(all.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto sortOrder = [&] {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return better(ranks[a], ranks[b]); });
    };
    sortOrder();
    // A plausible repair that reads worse somewhere it changes the text is not taken.
    const std::string_view checked = checkedPart(utf8);
    bool demoted = false;
    for (std::size_t i = 0, tried = 0; i < order.size(); ++i) {
        Rank& rank = ranks[order[i]];
        const UnicodeCandidate& candidate = all[order[i]];
        if (!rank.plausible || candidate.action.empty())
            break;
        if (tried++ < kCheckedRepairs) {
            engine::UnicodeActionError error{};
            const auto result =
                engine::applyUnicodeAction(candidate.steps, checked, true, {}, error);
            const bool decodes = candidate.steps.chain.count == 0 &&
                                 !candidate.steps.steps.empty() &&
                                 candidate.steps.steps.back().kind == UnicodeStepKind::utf8Decode;
            if (!result || betterWhereChanged(search.dictionary, checked,
                                              engine::resultAsUtf8(*result), decodes))
                break;
        }
        // Implausible as a repair of this text, wherever it is listed.
        rank.plausible = false;
        all[order[i]].reading.plausibility = 0;
        demoted = true;
    }
    if (demoted)
        sortOrder();

    UnicodeRanking& ranking = search.ranking;
    for (std::size_t i = 0; i < order.size() && ranking.candidates.size() < maxCandidates; ++i)
        ranking.candidates.push_back(std::move(all[order[i]]));
    if (ranking.candidates.empty())
        return ranking;
    // No repair of the whole is taken: a damaged part may still be repaired on its own.
    if (ranking.candidates.front().reading.plausibility < kPlausibleFrom ||
        ranking.candidates.front().action.empty())
        if (std::optional<UnicodeCandidate> spans = repairSpans(search.dictionary, checked);
            spans && spans->reading.plausibility >= kPlausibleFrom) {
            ranking.candidates.insert(ranking.candidates.begin(), std::move(*spans));
            if (ranking.candidates.size() > maxCandidates)
                ranking.candidates.pop_back();
            ranking.verdict = Verdict::repair;
            return ranking;
        }
    const UnicodeCandidate& first = ranking.candidates.front();
    const RefinedRanking& leaf = *leafOf[order.front()];
    if (first.reading.plausibility < kPlausibleFrom)
        ranking.verdict = Verdict::none;
    else if (first.action.empty())
        ranking.verdict = Verdict::unchanged;
    else if (leaf.verdict == Verdict::ambiguous &&
             leaf.candidates.front().chain == first.steps.chain)
        ranking.verdict = Verdict::ambiguous;
    else
        ranking.verdict = Verdict::repair;
    ranking.ambiguous = ranking.verdict == Verdict::ambiguous;
    return ranking;
}

} // namespace vorlex::detect
