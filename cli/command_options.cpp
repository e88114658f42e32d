#include "cli/command_options.h"

#include "cli/cli_settings.h"

namespace vorlex::cli {

std::optional<std::string> readArguments(
    std::vector<std::string> args,
    const std::function<bool(ArgumentReader&, std::string& error)>& option,
    const std::function<std::optional<std::string>(std::string, bool afterDashes)>& operand) {
    ArgumentReader reader(std::move(args));
    bool afterDashes = false;
    while (!reader.atEnd()) {
        std::string error;
        const std::string& next = reader.peek();
        if (!afterDashes && next == "--") {
            reader.take();
            afterDashes = true;
        } else if (!afterDashes && option(reader, error)) {
        } else if (!afterDashes && next.size() > 1 && next[0] == '-') {
            return "unknown option " + next;
        } else if (auto problem = operand(reader.take(), afterDashes)) {
            return problem;
        }
        if (!error.empty())
            return error;
    }
    return std::nullopt;
}

bool ChainOptions::take(ArgumentReader& reader, std::string& error) {
    if (reader.option("--action", action, error) || reader.option("--scheme", scheme, error))
        return true;
    for (const auto& [name, value] :
         {std::pair{"--w-as-ve", &switches.wAsVe}, std::pair{"--no-sj", &switches.noSj},
          std::pair{"--separate-english", &switches.separateEnglish}})
        if (reader.flag(name)) {
            *value = true;
            return true;
        }
    return false;
}

std::optional<std::string> ChainOptions::check(std::string_view command) const {
    if (action && scheme)
        return "give either --action or --scheme, not both";
    if (!action && !scheme)
        return std::string(command) + " needs --action CODES or --scheme NAME";
    return std::nullopt;
}

bool StreamOptions::take(ArgumentReader& reader, std::string& error) {
    if (reader.option("-o", output, error) || reader.option("--output", output, error))
        return true;
    std::optional<std::string> mode;
    if (reader.option("--input", mode, error)) {
        if (mode && *mode != "bytes")
            error = "--input takes bytes (read UTF-8 input as 8-bit bytes)";
        bytesInput = mode.has_value() && error.empty();
        return true;
    }
    for (const auto& [name, value] :
         {std::pair{"--from-utf8", &fromUtf8}, std::pair{"--to-utf8", &toUtf8}})
        if (reader.flag(name)) {
            *value = true;
            return true;
        }
    return false;
}

std::optional<std::string> StreamOptions::takeInput(std::string file, std::string_view oneOnly) {
    if (input)
        return std::string(oneOnly);
    input = std::move(file);
    return std::nullopt;
}

std::optional<std::string> StreamOptions::check() const {
    if (output && output->empty())
        return "the output file name is empty";
    if (bytesInput && fromUtf8)
        return "--input bytes and --from-utf8 contradict each other; give one of them";
    return std::nullopt;
}

std::variant<ChosenChain, int> chooseChain(const ChainOptions& chain, bool unicodeSteps) {
    const std::unique_ptr<store::SettingsStore> settings = openSettings();
    const std::variant<std::string, int> chosen =
        chosenAction(*settings, chain.action, chain.scheme, unicodeSteps);
    if (const int* status = std::get_if<int>(&chosen))
        return *status;
    return ChosenChain{engine::parseAction(std::get<std::string>(chosen)),
                       latinOptions(*settings, chain.switches), std::get<std::string>(chosen)};
}

} // namespace vorlex::cli
