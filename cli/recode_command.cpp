// vorlex-cli recode: one filter chain over a whole file or standard input.
#include "cli/cli_common.h"
#include "cli/command_options.h"
#include "cli/commands.h"
#include "engine/cp1251.h"
#include "engine/recode.h"
#include "engine/unicode_views.h"

#include <new>

namespace vorlex::cli {
namespace {

constexpr std::size_t kStreamChunk = std::size_t{4} << 20;

struct RecodeRequest {
    ChainOptions chain;
    StreamOptions stream;
};

// Parses the arguments; returns an error text for a usage error.
std::optional<std::string> parseRequest(std::vector<std::string> args, RecodeRequest& request) {
    if (auto problem = readArguments(
            std::move(args),
            [&](ArgumentReader& reader, std::string& error) {
                return request.chain.take(reader, error) || request.stream.take(reader, error);
            },
            [&](std::string file, bool) {
                return request.stream.takeInput(std::move(file),
                                                "only one input file can be recoded at a time");
            }))
        return problem;
    if (auto problem = request.chain.check("recode"))
        return problem;
    return request.stream.check();
}

// Writes Windows-1251 bytes, decoded to UTF-8 when asked.
bool emit(OutputSink& sink, std::span<const std::uint8_t> bytes, bool toUtf8, std::string& error) {
    if (!toUtf8)
        return sink.write(bytes, error);
    return sink.write(engine::win1251ToUtf8(bytes), error);
}

std::string_view textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// An action with Unicode steps: the input is Unicode text unless the action starts by decoding
// bytes; the result is UTF-8 unless it is bytes made from bytes.
int runUnicodeAction(const RecodeRequest& request, const engine::UnicodeAction& action,
                     const engine::LatinOptions& options) {
    const std::string inputPath = request.stream.input.value_or("-");
    const std::string inputName = displayName(inputPath);
    std::string error;
    const std::optional<std::vector<std::uint8_t>> document = readWholeInput(inputPath, error);
    if (!document) {
        printError(inputName, error);
        return kExitFailure;
    }
    std::string_view text = textOf(*document);
    const bool fromUnicode = !engine::startsOnBytes(action);
    if (fromUnicode && request.stream.bytesInput)
        return usageError("the action starts with a view of Unicode text; --input bytes "
                          "cannot give it");
    if (fromUnicode && text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    engine::UnicodeActionError failure{};
    const std::optional<engine::UnicodeActionResult> result =
        engine::applyUnicodeAction(action, text, fromUnicode, options, failure);
    if (!result) {
        switch (failure) {
        case engine::UnicodeActionError::lossyView:
            error = "the text holds a character the action's view page lacks";
            break;
        case engine::UnicodeActionError::invalidUtf8:
            error = "the text is not valid UTF-8";
            break;
        case engine::UnicodeActionError::outOfMemory:
            error = "not enough memory";
            break;
        case engine::UnicodeActionError::spanOutside:
            error = "the action names characters past the end of the text";
            break;
        default:
            error = "the action's steps do not fit together";
        }
        printError(inputName, error + "; nothing was written");
        return kExitFailure;
    }
    OutputSink sink(request.stream.output.value_or("-"));
    if (!fromUnicode && !result->unicode && !request.stream.toUtf8)
        return writeWholeOutput(sink, result->text);
    return writeWholeOutput(sink, engine::resultAsUtf8(*result));
}

} // namespace

int runRecode(std::vector<std::string> args) {
    RecodeRequest request;
    if (const auto problem = parseRequest(std::move(args), request))
        return usageError(*problem);

    const std::variant<ChosenChain, int> chosen = chooseChain(request.chain, true);
    if (const int* status = std::get_if<int>(&chosen))
        return *status;
    const auto& [filters, options, actionText] = std::get<ChosenChain>(chosen);
    if (engine::holdsUnicodeStep(actionText)) {
        const std::optional<engine::UnicodeAction> action = engine::parseUnicodeAction(actionText);
        if (!action)
            return usageError("the action \"" + actionText +
                              "\" mixes Unicode steps with codes it cannot run: spans of "
                              "characters (@F+N, in the order of the text) come first, then "
                              "Unicode steps, then at most five filter codes");
        return runUnicodeAction(request, *action, options);
    }

    const std::string inputPath = request.stream.input.value_or("-");
    const std::string inputName = displayName(inputPath);
    OutputSink sink(request.stream.output.value_or("-"));
    std::string error;

    const std::optional<engine::ByteMap> tables = engine::composeTables(filters);
    if (tables && !request.stream.fromUtf8) {
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
                if (!emit(sink, chunk, request.stream.toUtf8, chunkError)) {
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
    if (request.stream.fromUtf8) {
        document = utf8InputToWin1251(*document, error);
        if (!document) {
            printError(inputName, error);
            return kExitFailure;
        }
    }

    return writeRecodedDocument(std::move(*document), filters, options, request.stream.toUtf8, sink,
                                inputName);
}

} // namespace vorlex::cli
