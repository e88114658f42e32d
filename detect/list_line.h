// The text of a variant list line: a 199-character label, a hidden separator of 57 spaces and
// "~^~", and the action string of the variant. Lines are Windows-1251 byte strings.
#pragma once

#include "detect/sample.h"
#include "engine/filters.h"
#include "engine/latin.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorlex::detect {

/// 57 spaces and "~^~".
inline constexpr std::string_view kLineSeparator =
    "                                                         ~^~";
static_assert(kLineSeparator.size() == 60);

/// Characters of a label: the first 200 bytes of the text sample less the terminator.
inline constexpr std::size_t kLabelLength = 199;

/// label + separator + action.
[[nodiscard]] std::string buildListLine(std::string_view label, std::string_view action);

/// The action string of a line: everything after the first separator when it stands at index 1
/// or later; nullopt for a line without one (the placeholder line) or with it at index 0.
[[nodiscard]] std::optional<std::string> readListLine(std::string_view line);

/// The line shown when no variant was produced: "No recoding" (English) or
/// "Перекодировок не производилось!" (Russian) in Windows-1251. `language` is the interface
/// language flag: 0 Russian, anything else English.
[[nodiscard]] std::string placeholderLine(int language);

/// The first 200 bytes of the text sample recoded through `chain` with control characters
/// turned into spaces: 199 characters.
[[nodiscard]] std::string variantLabel(const Sample& sample, const engine::FilterList& chain,
                                       const engine::LatinOptions& options = {});

/// The action part of the line a named scheme writes: the five tokens of the parsed action
/// joined by single spaces, empty tokens included ("wk wk" gives "wk wk" and three spaces).
[[nodiscard]] std::string namedSchemeAction(const engine::ParsedAction& parsed);

/// The one line a named scheme shows: its label and namedSchemeAction of its action string.
[[nodiscard]] std::string namedSchemeLine(const Sample& sample, std::string_view action,
                                          const engine::LatinOptions& options = {});

} // namespace vorlex::detect
