// The options recode, batch and auto share, and the loop that reads a command's arguments.
#pragma once

#include "cli/cli_common.h"
#include "engine/filters.h"
#include "engine/latin.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vorlex::cli {

/// Reads the arguments of a command. "--" ends the options; `option` takes an option it knows
/// when it is next (returning whether it took one, with `error` set for a bad value); any
/// other argument starting with '-' is an unknown option; every other argument goes to
/// `operand` (told whether it came after "--"), which returns a usage error or nothing.
std::optional<std::string> readArguments(
    std::vector<std::string> args,
    const std::function<bool(ArgumentReader&, std::string& error)>& option,
    const std::function<std::optional<std::string>(std::string, bool afterDashes)>& operand);

/// The chain of recode and batch: --action CODES or --scheme NAME, and the transliteration
/// switches --w-as-ve, --no-sj and --separate-english.
struct ChainOptions {
    std::optional<std::string> action;
    std::optional<std::string> scheme;
    engine::LatinOptions switches; ///< each one set only when given

    /// Takes one of these options if it is next.
    bool take(ArgumentReader& reader, std::string& error);
    /// The usage error when neither or both of --action and --scheme were given.
    [[nodiscard]] std::optional<std::string> check(std::string_view command) const;
};

/// Input and output of recode and auto: one input file (standard input without one),
/// -o/--output FILE, --from-utf8 and --to-utf8.
struct StreamOptions {
    std::optional<std::string> input;
    std::optional<std::string> output;
    bool fromUtf8 = false;
    bool toUtf8 = false;
    /// --input bytes: read the input as 8-bit bytes even when it is UTF-8.
    bool bytesInput = false;

    /// Takes one of the options if it is next.
    bool take(ArgumentReader& reader, std::string& error);
    /// Takes the input file; `oneOnly` is the usage error of a second one.
    std::optional<std::string> takeInput(std::string file, std::string_view oneOnly);
    /// The usage error of an empty output name.
    [[nodiscard]] std::optional<std::string> check() const;
};

/// The filters and transliteration options a command runs with.
struct ChosenChain {
    engine::FilterList filters;
    engine::LatinOptions options;
    std::string action; ///< the action string the filters were parsed from
};

/// The chain of @p chain, from the command line and the user's settings. When there is none,
/// the reason has been printed and the exit status comes back instead. With `unicodeSteps` an
/// action holding Unicode steps is passed on unchecked (the command parses it whole).
std::variant<ChosenChain, int> chooseChain(const ChainOptions& chain, bool unicodeSteps = false);

} // namespace vorlex::cli
