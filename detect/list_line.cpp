#include "detect/list_line.h"

#include "engine/cp1251.h"
#include "engine/recode.h"

#include <array>
#include <cstdint>

namespace vorlex::detect {

std::string buildListLine(std::string_view label, std::string_view action) {
    std::string line;
    line.reserve(label.size() + kLineSeparator.size() + action.size());
    line.append(label).append(kLineSeparator).append(action);
    return line;
}

std::optional<std::string> readListLine(std::string_view line) {
    const std::size_t at = line.find(kLineSeparator);
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    return std::string(line.substr(at + kLineSeparator.size()));
}

std::string placeholderLine(int language) {
    if (language != 0)
        return "No recoding";
    return engine::win1251Literal("Перекодировок не производилось!");
}

std::string variantLabel(const Sample& sample, const engine::FilterList& chain,
                         const engine::LatinOptions& options) {
    constexpr std::size_t len = kLabelLength + 1;
    std::array<std::uint8_t, len> label{};
    // A failed transliteration keeps what the filters before it produced, as the label shows.
    (void)engine::recodeText(label, std::span<const std::uint8_t>(sample.text.data(), len), chain,
                             len, true, options);
    const auto* bytes = reinterpret_cast<const char*>(label.data());
    std::string text(bytes, kLabelLength);
    // A transliteration step may end the text early; the line holds it up to its terminator.
    text.resize(std::string_view(text.c_str()).size());
    return text;
}

std::string namedSchemeAction(const engine::ParsedAction& parsed) {
    std::string action = parsed.tokens[0];
    for (std::size_t i = 1; i < parsed.tokens.size(); ++i)
        action.append(" ").append(parsed.tokens[i]);
    return action;
}

std::string namedSchemeLine(const Sample& sample, std::string_view action,
                            const engine::LatinOptions& options) {
    const engine::ParsedAction parsed = engine::parseActionTokens(action);
    return buildListLine(variantLabel(sample, parsed.list, options), namedSchemeAction(parsed));
}

} // namespace vorlex::detect
