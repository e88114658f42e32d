// A second ranking after a recoding pass: the text as it is and every candidate chain (the
// scored stored schemes and the 17040 search chains, accepted by the pass or not) judged on the
// first part of the document by a Russian letter-bigram model, case consistency inside words,
// dictionary hits and a list of Russian word forms. Chains that give the same sample text are
// one candidate. Each candidate also gets an absolute plausibility (is this real Russian?), and
// the ranking a verdict: repair, leave the text as it is, no repair, or too close to call.
#pragma once

#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "engine/filters.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::detect {

/// Bytes of the document the refined ranking judges: its first 4 KiB, cut at a word boundary.
inline constexpr std::size_t kRefinedSampleBytes = 4096;

/// The part of `document` the refined ranking judges.
[[nodiscard]] std::string_view refinedSample(std::string_view document) noexcept;

/// What the refined ranking answers.
enum class Verdict {
    repair,    ///< the first candidate is a recoding that gives plausible Russian text
    unchanged, ///< the text as it is is the most plausible reading
    none,      ///< no candidate is plausible Russian: nothing can be repaired
    ambiguous, ///< the first two are plausible, close and give different letters
};
/// "repair", "unchanged", "none" or "ambiguous".
[[nodiscard]] std::string_view verdictName(Verdict verdict) noexcept;

/// A candidate counts as plausible Russian text from this plausibility up: on held-out text
/// about 0.1% of the right first readings fall below it and under 0.05% of the first readings
/// of non-Russian input reach it (at 0.1, twice as many right readings fell below and no fewer
/// non-Russian ones reached it: those lie far lower).
inline constexpr double kPlausibleFrom = 0.05;

struct RefinedCandidate {
    engine::FilterList chain; ///< empty for the text as it is
    std::string action;       ///< each filter code followed by one space
    std::string label;        ///< 199 characters, Windows-1251, as a list line shows it
    /// Log-likelihood of the recoded sample, in nats per byte the chains can change; higher is
    /// better. Comparable only among the candidates of one sample.
    double score = 0;
    /// Share of belief in this candidate among all candidates, 0..1.
    double confidence = 0;
    /// The whole judgement of the sample in nats (score before it is taken per byte).
    double sampleTotal = 0;
    /// How likely the recoded sample is real Russian text, 0..1, calibrated on held-out text
    /// of the same length; independent of the other candidates.
    double plausibility = 0;
    /// Every chain found that gives the same sample text, `chain` first, then by length (at
    /// most kMaxSameSampleChains): they may still differ on bytes past the sample.
    std::vector<engine::FilterList> sameSampleChains;
};

inline constexpr std::size_t kMaxSameSampleChains = 256;

struct RefinedRanking {
    std::vector<RefinedCandidate> candidates; ///< best first
    /// The first two candidates are too close to tell apart.
    bool ambiguous = false;
    Verdict verdict = Verdict::none;
    /// Whether candidate `i` is plausible Russian text (what a list of plausible readings shows).
    [[nodiscard]] bool plausible(std::size_t i) const noexcept {
        return i < candidates.size() && candidates[i].plausibility >= kPlausibleFrom;
    }
};

/// How the text as it is stands among the readings of a document.
struct ReadingPrior {
    /// The text as it is is the input itself: it needs no explanation and is kept against a
    /// recoding that reads only a little better. Off for bytes that are already a repair
    /// (Unicode text shown through another page): there it is one reading among the others.
    bool asItIsIsInput = true;
    /// Added per filter of a chain, in nats, to the preference for shorter chains.
    double extraFilterCost = 0;
};

/// Ranks every candidate on refinedSample(document); labels come from `sample` (the pass's
/// sample of the same document). Keeps at most `maxCandidates` (at least one when the judged
/// part holds a byte from 0x80 up; none otherwise: no chain can change such a text, and the
/// verdict is none).
[[nodiscard]] RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                                           std::string_view document,
                                           std::span<const engine::FilterList> storedChains,
                                           std::size_t maxCandidates = kDefaultVariants,
                                           const ReadingPrior& prior = {});

/// The same, judging the text sample of `sample` alone (when the document is not at hand).
[[nodiscard]] RefinedRanking refineRanking(const Dictionary& dictionary, const Sample& sample,
                                           std::span<const engine::FilterList> storedChains,
                                           std::size_t maxCandidates = kDefaultVariants);

/// The text as it is alone, judged as refineRanking judges each candidate (for a text that only
/// can be taken as it is): one candidate, or none without a byte from 0x80 up.
[[nodiscard]] RefinedRanking judgeAsItIs(const Dictionary& dictionary, const Sample& sample,
                                         std::string_view document);

/// Plausibility of one reading (Windows-1251 text) as real Russian, as candidates get it.
[[nodiscard]] double plausibility(const Dictionary& dictionary, std::string_view text);

/// How many of the first candidates documentChain compares: it looks at no others.
inline constexpr std::size_t kDocumentCandidates = 4;

/// The chain a whole-document output uses: among the same-sample chains of the first
/// candidate, the one whose reading of the rest of `document` (past the judged part) scores
/// best under the bigram model, so that a chain right only on the sample loses to one right
/// throughout. Another plausible candidate wins only when the rest of the document favours it
/// by more than the sample favoured the first. nullopt when the verdict is none.
[[nodiscard]] std::optional<engine::FilterList> documentChain(const RefinedRanking& ranking,
                                                              std::string_view document);

/// Scores of the refined stage for one recoded text (Windows-1251), for tests and tuning. The
/// text is judged without the markup of message catalogues (accelerator marks inside words,
/// printf directives, placeholders, HTML tags), as the reader of a message sees it.
struct TextJudgement {
    double bigram = 0;        ///< sum of ln P over letter transitions and odd-byte penalties
    int letters = 0;          ///< Cyrillic letters
    int capitals = 0;         ///< of them capitals
    int mixedCaseWords = 0;   ///< words neither all small, all capitals nor capitalised
    int dictionaryHits = 0;   ///< words of 2..4 letters found in the dictionary
    int words = 0;            ///< runs of Cyrillic letters
    int knownWords = 0;       ///< of them found in the list of Russian word forms
    int capitalisedWords = 0; ///< of them a capital followed by small letters (names, headings)
    int highBytes = 0;        ///< bytes from 0x80 up
    int oddBytes = 0;         ///< of them bytes no Russian text holds
    /// Of those the ones with a Cyrillic letter right before or after: a sign such as © or ’
    /// beside a space or a Latin letter is real text, inside a Cyrillic word it stands for a
    /// letter.
    int oddBesideLetters = 0;
    int transitions = 0;      ///< neighbouring pairs with a byte from 0x80 up (scored pairs)
    int mixedScriptWords = 0; ///< words of 1-3 letters with a Latin letter right before or after
    int numberedWords = 0;    ///< other words with a digit right before or after ("Лист1")
    int latinLetters = 0;     ///< letters a..z and A..Z
    /// Signs of damage that the letter bigrams cannot see (the score weighs them; the
    /// plausibility does not): a quote, dash or ellipsis from 0x80 up on a side of a Cyrillic
    /// letter where Russian text never puts it ("…сли", "ист“к", "–роцент")...
    int misplacedMarks = 0;
    /// ...a capitalised word right after a small letter and a space ("данных Ядра")...
    int midSentenceCapitals = 0;
    /// ...a lone letter that is no word: a capital after a small letter and a space
    /// ("вывода С это") or one glued to a bracket or a placeholder sign ("З{ $name }И").
    int strayLetters = 0;
    /// ...and a word glued to the end of something: right after a closing bracket, a percent
    /// sign or a closing quote ("50%КР", "\"?\"КР", "}со": a no-break space and a dash read as
    /// letters).
    int gluedWords = 0;
    /// ...and quotes that open a word („ “ ” before a letter) beyond those that close one (“ ”
    /// after a letter): "“становите" for "Установите".
    int unclosedQuotes = 0;
    /// Punctuation marks from 0x80 up (not the no-break space) between two Cyrillic letters:
    /// in real text a sign such as № or “ stands beside a word, not inside one.
    int punctuationInWords = 0;
    /// No-break spaces right after another (indentation): their pairs say nothing of the
    /// letters, so the features leave them out.
    int repeatedNoBreakSpaces = 0;
    int capitalWords = 0; ///< words of two letters or more all in capitals (names of functions)
    int bytes = 0;        ///< bytes of the text
    int controls = 0;     ///< of them control bytes other than tab and line breaks
};
/// Answers of the list of word forms remembered between judgements of related texts.
class WordFormMemo;
[[nodiscard]] TextJudgement judgeText(const Dictionary& dictionary, std::string_view text,
                                      WordFormMemo* memo = nullptr);

/// The features of a reading the plausibility model weighs (for fitting it).
inline constexpr int kPlausibilityFeatures = 20;
[[nodiscard]] std::array<double, kPlausibilityFeatures>
plausibilityFeatures(const TextJudgement& judgement);

} // namespace vorlex::detect
