// vorlex-cli recode: one filter chain over a whole file or standard input.
#include "cli/cli_common.h"
#include "cli/cli_settings.h"
#include "cli/commands.h"
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <new>

namespace vorlex::cli {
namespace {

constexpr std::size_t kStreamChunk = std::size_t{4} << 20;

struct RecodeRequest {
    std::optional<std::string> action;
    std::optional<std::string> scheme;
    bool wAsVe = false;
    bool noSj = false;
    bool separateEnglish = false;
    bool fromUtf8 = false;
    bool toUtf8 = false;
    std::optional<std::string> output;
    std::optional<std::string> input;
};

// Parses the arguments; returns an error text for a usage error.
std::optional<std::string> parseRequest(std::vector<std::string> args, RecodeRequest& request) {
    ArgumentReader reader(std::move(args));
    bool onlyFiles = false;
    while (!reader.atEnd()) {
        std::string error;
        const std::string& next = reader.peek();
        if (!onlyFiles && next == "--") {
            reader.take();
            onlyFiles = true;
        } else if (!onlyFiles && reader.option("--action", request.action, error)) {
        } else if (!onlyFiles && reader.option("--scheme", request.scheme, error)) {
        } else if (!onlyFiles && (reader.option("-o", request.output, error) ||
                                  reader.option("--output", request.output, error))) {
        } else if (!onlyFiles && reader.flag("--w-as-ve")) {
            request.wAsVe = true;
        } else if (!onlyFiles && reader.flag("--no-sj")) {
            request.noSj = true;
        } else if (!onlyFiles && reader.flag("--separate-english")) {
            request.separateEnglish = true;
        } else if (!onlyFiles && reader.flag("--from-utf8")) {
            request.fromUtf8 = true;
        } else if (!onlyFiles && reader.flag("--to-utf8")) {
            request.toUtf8 = true;
        } else if (!onlyFiles && next.size() > 1 && next[0] == '-') {
            return "unknown option " + next;
        } else {
            if (request.input)
                return "only one input file can be recoded at a time";
            request.input = reader.take();
        }
        if (!error.empty())
            return error;
    }
    if (request.action && request.scheme)
        return "give either --action or --scheme, not both";
    if (!request.action && !request.scheme)
        return "recode needs --action CODES or --scheme NAME";
    if (request.output && request.output->empty())
        return "the output file name is empty";
    return std::nullopt;
}

// Writes Windows-1251 bytes, decoded to UTF-8 when asked.
bool emit(OutputSink& sink, std::span<const std::uint8_t> bytes, bool toUtf8, std::string& error) {
    if (!toUtf8)
        return sink.write(bytes, error);
    return sink.write(engine::win1251ToUtf8(bytes), error);
}

} // namespace

int runRecode(std::vector<std::string> args) {
    RecodeRequest request;
    if (const auto problem = parseRequest(std::move(args), request))
        return usageError(*problem);

    const std::unique_ptr<store::SettingsStore> settings = openSettings();
    const std::variant<std::string, int> chosen =
        chosenAction(*settings, request.action, request.scheme);
    if (const int* status = std::get_if<int>(&chosen))
        return *status;
    const std::string& actionText = std::get<std::string>(chosen);
    const engine::FilterList filters = engine::parseAction(actionText);

    const engine::LatinOptions options =
        latinOptions(*settings, {request.wAsVe, request.noSj, request.separateEnglish});

    const std::string inputPath = request.input.value_or("-");
    const std::string inputName = displayName(inputPath);
    OutputSink sink(request.output.value_or("-"));
    std::string error;

    const std::optional<engine::ByteMap> tables = engine::composeTables(filters);
    if (tables && !request.fromUtf8) {
        // Tables only: one lookup per byte, streamed, so any size runs in constant memory.
        if (!sink.open(error)) {
            printError(sink.name(), error);
            return kExitFailure;
        }
        bool outputFailed = false;
        const bool ok = streamInput(
            inputPath, kStreamChunk,
            [&](std::span<std::uint8_t> chunk, std::string& chunkError) {
                engine::applyByteMap(*tables, chunk, chunk);
                if (!emit(sink, chunk, request.toUtf8, chunkError)) {
                    outputFailed = true;
                    return false;
                }
                return true;
            },
            error);
        if (!ok) {
            sink.abandon();
            printError(outputFailed ? sink.name() : inputName, error);
            return kExitFailure;
        }
        if (!sink.commit(error)) {
            printError(sink.name(), error);
            return kExitFailure;
        }
        return kExitOk;
    }

    std::optional<std::vector<std::uint8_t>> document = readWholeInput(inputPath, error);
    if (!document) {
        printError(inputName, error);
        return kExitFailure;
    }
    if (request.fromUtf8) {
        document = utf8InputToWin1251(*document, error);
        if (!document) {
            printError(inputName, error);
            return kExitFailure;
        }
    }

    return writeRecodedDocument(std::move(*document), filters, options, request.toUtf8, sink,
                                inputName);
}

} // namespace vorlex::cli
