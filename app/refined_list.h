// The variant list after the refined ranking, as the window shows it: only the plausible
// readings, each with how sure the ranking is of it; the text as it is named as such; and one
// line that says so when no reading is plausible, instead of lines of junk.
#pragma once

#include "app/main_window_texts.h"
#include "detect/refined_ranking.h"
#include "detect/unicode_repair.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::app {

struct RefinedListLine {
    std::string line; ///< a Windows-1251 list line, or the no-plausible-reading line
    QString column;   ///< the text of the confidence column; empty for the no-reading line
    int percent = -1; ///< the confidence in whole percent; -1 for the no-reading line
    bool asItIs = false;
};

struct RefinedList {
    std::vector<RefinedListLine> lines;
    int found = 0; ///< the readings listed (0 for the no-reading line)
};

/// The list for a ranking of 8-bit chains.
[[nodiscard]] RefinedList refinedList(const detect::RefinedRanking& ranking,
                                      store::Language language);
/// The list for a ranking of text that arrived as Unicode: labels become Windows-1251 (a
/// character without a byte shows as '?'), actions keep their Unicode steps.
[[nodiscard]] RefinedList refinedList(const detect::UnicodeRanking& ranking,
                                      store::Language language);

/// The confidence column: "97%", "<1%" for under half a percent, "as it is · 97%".
[[nodiscard]] QString confidenceColumn(double confidence, bool asItIs, store::Language language);
/// The widest texts the column may show in @p language.
[[nodiscard]] QStringList longestConfidenceColumns(store::Language language);

/// The no-plausible-reading line in @p language (Windows-1251; it carries no action).
[[nodiscard]] std::string noPlausibleLine(store::Language language);
/// Whether @p line is the no-plausible-reading line of either language.
[[nodiscard]] bool isNoPlausibleLine(std::string_view line);

} // namespace vorlex::app
