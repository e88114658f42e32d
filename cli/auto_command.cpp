// vorlex-cli auto: one automatic-recoding pass over a sample of the input.
#include "cli/cli_common.h"
#include "cli/cli_settings.h"
#include "cli/command_options.h"
#include "cli/commands.h"
#include "detect/file_decision.h"
#include "detect/input_need.h"
#include "detect/pass.h"
#include "detect/refined_ranking.h"
#include "detect/unicode_repair.h"
#include "engine/cp1251.h"
#include "engine/recode.h"
#include "engine/unicode_views.h"
#include "store/pass_setup.h"
#include "store/settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <new>
#include <sys/stat.h>

namespace vorlex::cli {
namespace {

struct AutoRequest {
    std::optional<int> precision;
    std::optional<int> maxVariants;
    bool noSchemes = false;
    bool json = false;
    bool best = false;
    bool refined = false;
    bool classic = false;
    StreamOptions stream;
};

std::optional<int> parseNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> parseRequest(std::vector<std::string> args, AutoRequest& request) {
    const auto option = [&](ArgumentReader& reader, std::string& error) {
        std::optional<std::string> precision, maximum;
        if (reader.option("--precision", precision, error)) {
            if (precision) {
                request.precision = parseNumber(*precision);
                if (!request.precision || *request.precision < 0 || *request.precision > 9)
                    error = "--precision takes a whole number from 0 to 9";
            }
            return true;
        }
        if (reader.option("--max", maximum, error)) {
            if (maximum) {
                request.maxVariants = parseNumber(*maximum);
                if (!request.maxVariants || *request.maxVariants < detect::kMinVariants ||
                    *request.maxVariants > detect::kMaxVariants)
                    error = "--max takes a whole number from 1 to 99";
            }
            return true;
        }
        for (const auto& [name, value] :
             {std::pair{"--no-schemes", &request.noSchemes}, std::pair{"--json", &request.json},
              std::pair{"--best", &request.best}, std::pair{"--refined", &request.refined},
              std::pair{"--classic", &request.classic}})
            if (reader.flag(name)) {
                *value = true;
                return true;
            }
        return request.stream.take(reader, error);
    };
    if (auto problem = readArguments(std::move(args), option, [&](std::string file, bool) {
            return request.stream.takeInput(std::move(file),
                                            "only one input file can be analysed at a time");
        }))
        return problem;
    if (request.best && request.json)
        return "--best writes the recoded document; it cannot be combined with --json";
    if (request.refined && request.classic)
        return "--refined and --classic choose different rankings; give one of them";
    if (request.best && request.refined)
        return "--best already uses the refined ranking (--classic for the classic one)";
    if (request.stream.toUtf8 && !request.best)
        return "--to-utf8 applies to the document written by --best";
    return request.stream.check();
}

std::string jsonText(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '\n';
}

// One listed variant: its action, its label as UTF-8, its score and one more figure.
template <typename Entry>
QJsonObject jsonVariant(const Entry& entry, const char* figure, double value) {
    return {{"action", QString::fromStdString(entry.action)},
            {"label", QString::fromStdString(engine::win1251ToUtf8(entry.label))},
            {"score", entry.score},
            {QLatin1StringView(figure), value}};
}

std::string jsonListing(const detect::PassResult& result) {
    QJsonArray variants;
    for (const detect::VariantEntry& variant : result.variants)
        variants.append(jsonVariant(variant, "maximum", variant.maximum));
    return jsonText({{"found", result.found}, {"variants", variants}});
}

std::string jsonRefinedListing(const detect::PassResult& result,
                               const detect::RefinedRanking& ranking) {
    QJsonArray variants;
    for (const detect::RefinedCandidate& candidate : ranking.candidates) {
        QJsonObject variant = jsonVariant(candidate, "confidence", candidate.confidence);
        variant.insert("plausibility", candidate.plausibility);
        variants.append(variant);
    }
    return jsonText({{"found", result.found},
                     {"ambiguous", ranking.ambiguous},
                     {"verdict", QString::fromUtf8(detect::verdictName(ranking.verdict))},
                     {"variants", variants}});
}

std::string jsonUnicodeListing(const detect::PassResult& result,
                               const detect::UnicodeRanking& ranking) {
    QJsonArray variants;
    for (const detect::UnicodeCandidate& candidate : ranking.candidates)
        variants.append(QJsonObject{{"action", QString::fromStdString(candidate.action)},
                                    {"label", QString::fromStdString(candidate.label)},
                                    {"score", candidate.reading.score},
                                    {"confidence", candidate.reading.confidence},
                                    {"plausibility", candidate.reading.plausibility}});
    return jsonText({{"found", result.found},
                     {"input", "unicode"},
                     {"ambiguous", ranking.ambiguous},
                     {"verdict", QString::fromUtf8(detect::verdictName(ranking.verdict))},
                     {"variants", variants}});
}

std::string plainUnicodeListing(const detect::PassResult& result,
                                const detect::UnicodeRanking& ranking) {
    std::string text;
    for (const detect::UnicodeCandidate& candidate : ranking.candidates) {
        char confidence[16];
        std::snprintf(confidence, sizeof confidence, "%.2f", candidate.reading.confidence);
        text += candidate.action.empty() ? std::string("As it is")
                                         : engine::unicodeActionDescription(candidate.steps);
        text += '\t';
        text += confidence;
        text += '\t';
        text += candidate.label;
        text += '\n';
    }
    if (ranking.ambiguous)
        text += "ambiguous\n";
    text += "verdict " + std::string(detect::verdictName(ranking.verdict)) + '\n';
    text += "found " + std::to_string(result.found) + '\n';
    return text;
}

// --best with the refined ranking: what the whole document decides.
int writeRefinedBest(const detect::FileDecision& decision, std::vector<std::uint8_t> document,
                     const engine::LatinOptions& options, bool toUtf8, OutputSink& sink,
                     const std::string& inputName) {
    switch (decision.answer) {
    case detect::FileAnswer::binary: // not judged here
    case detect::FileAnswer::noRepair:
        printError(inputName, "no reading of the text is plausible Russian (it is no Russian "
                              "text, or damaged beyond repair): nothing was written");
        return kExitFailure;
    case detect::FileAnswer::misfit:
        printError(inputName, "the repair found on the start of the text does not fit the rest "
                              "of it: nothing was written");
        return kExitFailure;
    case detect::FileAnswer::unchanged:
    case detect::FileAnswer::chain:
    case detect::FileAnswer::unicodeRepair:
        break;
    }
    // Text that arrived as Unicode goes out as UTF-8, as it is when it reads best so.
    if (decision.unicode)
        return writeWholeOutput(sink, decision.utf8);
    return writeRecodedDocument(std::move(document), decision.chain, options, toUtf8, sink,
                                inputName);
}

std::string plainRefinedListing(const detect::PassResult& result,
                                const detect::RefinedRanking& ranking) {
    std::string text;
    for (const detect::RefinedCandidate& candidate : ranking.candidates) {
        char confidence[16];
        std::snprintf(confidence, sizeof confidence, "%.2f", candidate.confidence);
        text += candidate.chain.count == 0 ? std::string("As it is")
                                           : engine::chainDescription(candidate.chain);
        text += '\t';
        text += confidence;
        text += '\t';
        text += engine::win1251ToUtf8(candidate.label);
        text += '\n';
    }
    if (ranking.ambiguous)
        text += "ambiguous\n";
    text += "verdict " + std::string(detect::verdictName(ranking.verdict)) + '\n';
    text += "found " + std::to_string(result.found) + '\n';
    return text;
}

/// Largest input --best recodes, as the window's file source.
constexpr std::size_t kMostSourceBytes = 0x7fffffff;

/// The input as auto needs it: for `whole` all of it (at most kMostSourceBytes), otherwise only
/// as much as the rankings take from it. A FILE that is no regular file (a device, a FIFO) is
/// refused; standard input may be a pipe.
std::optional<std::vector<std::uint8_t>> readAutoInput(const std::string& path, bool whole,
                                                       bool utf8, std::string& error) {
    struct stat info {};
    if (path != "-" && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return std::nullopt;
    }
    std::vector<std::uint8_t> data;
    // The whole of a regular file in one allocation: grown by doubling, a vector of a large
    // file would hold up to twice its size while it moves.
    if (whole && path != "-" && S_ISREG(info.st_mode) && info.st_size > 0) {
        try {
            data.reserve(
                std::min<std::size_t>(static_cast<std::size_t>(info.st_size), kMostSourceBytes) +
                1);
        } catch (const std::bad_alloc&) {
            error = "not enough memory to read the whole file";
            return std::nullopt;
        }
    }
    bool tooLarge = false, enough = false;
    std::size_t nextCheck = std::size_t{64} << 10; // checked as the data doubles
    bool read = false;
    try {
        read = streamInput(
            path, std::size_t{1} << 20,
            [&](std::span<std::uint8_t> chunk, std::string&) {
                if (whole && chunk.size() > kMostSourceBytes - data.size()) {
                    tooLarge = true;
                    return false;
                }
                data.insert(data.end(), chunk.begin(), chunk.end());
                if (!whole && data.size() >= nextCheck) {
                    nextCheck *= 2;
                    enough =
                        data.size() >= detect::kMostListingBytes || detect::prefixSuffices(data);
                }
                return !enough;
            },
            error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read the whole file";
        return std::nullopt;
    }
    if (tooLarge) {
        error = "the input is larger than the 2 GiB limit; nothing was written";
        return std::nullopt;
    }
    if (!read && !enough)
        return std::nullopt;
    if (enough && utf8) {
        // Not a character cut in two at the end of what was read.
        data.resize(engine::lengthWithoutCutCharacter(
            {reinterpret_cast<const char*>(data.data()), data.size()}));
    }
    return data;
}

std::string plainListing(const detect::PassResult& result) {
    std::string text;
    for (const detect::VariantEntry& variant : result.variants) {
        text += engine::chainDescription(engine::parseAction(variant.action));
        text += '\t';
        text += engine::win1251ToUtf8(variant.label);
        text += '\n';
    }
    text += "found " + std::to_string(result.found) + '\n';
    return text;
}

} // namespace

int runAuto(std::vector<std::string> args) {
    AutoRequest request;
    if (const auto problem = parseRequest(std::move(args), request))
        return usageError(*problem);

    const std::string inputPath = request.stream.input.value_or("-");
    const std::string inputName = displayName(inputPath);
    std::string error;
    // The refined ranking and --best read text that arrives as Unicode (valid UTF-8 with a
    // character above U+007F, or any input with --from-utf8) as Unicode; the classic list
    // stays byte-based.
    const bool refined = request.refined || (request.best && !request.classic);
    const bool mayBeUnicode = refined && !request.stream.bytesInput;
    std::optional<std::vector<std::uint8_t>> document =
        readAutoInput(inputPath, request.best, request.stream.fromUtf8 || mayBeUnicode, error);
    std::optional<std::string> unicodeText;
    if (document && mayBeUnicode) {
        std::string_view text(reinterpret_cast<const char*>(document->data()), document->size());
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        if (detect::arrivesAsUnicode(text) ||
            (request.stream.fromUtf8 && engine::isValidUtf8(text)))
            unicodeText = std::string(text);
    }
    if (document && (request.stream.fromUtf8 || unicodeText)) {
        // The classic pass sees the 8-bit form; a Unicode text it cannot take is still ranked.
        std::string ignored;
        auto bytes = utf8InputToWin1251(*document, unicodeText ? ignored : error);
        if (bytes || !unicodeText)
            document = std::move(bytes);
    }
    if (!document) {
        printError(inputName, error);
        return kExitFailure;
    }
    // As batch says of an empty file: not a text that reads as no Russian.
    if (request.best && document->empty()) {
        printError(inputName, "the text is empty, there is nothing to convert");
        return kExitFailure;
    }

    const std::unique_ptr<store::SettingsStore> settings = openSettings();
    // The stored schemes as the window's scheme list would show them.
    const std::vector<store::StoredScheme> schemes =
        request.noSchemes ? std::vector<store::StoredScheme>() : storedSchemes(*settings);
    detect::PassSetup setup =
        store::passSetup(detect::sampleSource(*document), store::readSettings(*settings), schemes,
                         {request.precision, request.maxVariants});

    OutputSink sink(request.stream.output.value_or("-"));
    // The refined ranking follows the pass: for --refined and for --best unless --classic. It
    // judges a sample of its own and answers every text; the classic pass may refuse.
    if (!setup.sample.hasWords() && !refined) {
        printError(inputName, "the text cannot be recoded automatically: it has no Cyrillic "
                              "words of two to four letters");
        if (request.best)
            return kExitFailure;
        const detect::PassResult none;
        const std::string listing = !request.json ? "found 0\n" : jsonListing(none);
        return writeWholeOutput(sink, listing);
    }

    const detect::Dictionary dictionary;
    const std::vector<engine::FilterList> storedChains = detect::storedSchemeChains(setup);
    const detect::Sample sample = setup.sample;
    // Both the option and the stored value are within bounds.
    const auto shown = static_cast<std::size_t>(setup.maxVariants);
    // --best with the refined ranking writes what the refined answer decides: the classic list
    // is not needed there.
    const bool classicList = !(request.best && refined);
    const detect::PassResult result = classicList && sample.hasWords()
                                          ? detect::runPass(dictionary, std::move(setup))
                                          : detect::PassResult{};
    const std::string_view text(reinterpret_cast<const char*>(document->data()), document->size());
    if (!classicList) {
        const engine::LatinOptions options = storedLatinOptions(*settings);
        const detect::FileDecision decision =
            detect::decideText(dictionary, unicodeText ? *unicodeText : text,
                               unicodeText.has_value(), storedChains, shown, options);
        return writeRefinedBest(decision, std::move(*document), options, request.stream.toUtf8,
                                sink, inputName);
    }
    if (unicodeText) {
        const detect::UnicodeRanking unicode =
            detect::rankUnicode(dictionary, *unicodeText, storedChains, shown);
        return writeWholeOutput(sink, request.json ? jsonUnicodeListing(result, unicode)
                                                   : plainUnicodeListing(result, unicode));
    }
    if (refined) {
        const detect::RefinedRanking ranking =
            detect::refineRanking(dictionary, sample, text, storedChains, shown);
        return writeWholeOutput(sink, request.json ? jsonRefinedListing(result, ranking)
                                                   : plainRefinedListing(result, ranking));
    }
    if (!request.best)
        return writeWholeOutput(sink, request.json ? jsonListing(result) : plainListing(result));
    if (result.variants.empty()) {
        printError(inputName, "no recoding was found (try a lower --precision)");
        return kExitFailure;
    }
    return writeRecodedDocument(
        std::move(*document), engine::parseAction(result.variants.front().action),
        storedLatinOptions(*settings), request.stream.toUtf8, sink, inputName);
}

} // namespace vorlex::cli
