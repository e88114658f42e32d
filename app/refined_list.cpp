#include "app/refined_list.h"

#include "app/source_text.h"
#include "detect/list_line.h"

#include <cmath>

namespace vorlex::app {
namespace {

std::string win1251Of(const QString& text) {
    return unicodeToWin1251Lossy(text.toStdString());
}

// The line of a reading. A reading that leaves the text's own bytes (the text as it is, a
// repair through Unicode alone) keeps its line breaks and tabs: a list line shows them as
// spaces, as every other label does.
std::string readingLine(std::string label, std::string_view action) {
    for (char& c : label)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return detect::buildListLine(label, action);
}

void add(RefinedList& list, std::string line, double confidence, bool asItIs,
         store::Language language) {
    RefinedListLine entry;
    entry.line = std::move(line);
    entry.column = confidenceColumn(confidence, asItIs, language);
    entry.percent = static_cast<int>(std::lround(confidence * 100));
    entry.asItIs = asItIs;
    list.lines.push_back(std::move(entry));
    ++list.found;
}

// A list without a plausible reading says so in a line of its own.
RefinedList noneUnlessFilled(RefinedList list, store::Language language) {
    if (list.lines.empty())
        list.lines.push_back({noPlausibleLine(language), QString(), -1, false});
    return list;
}

} // namespace

QString confidenceColumn(double confidence, bool asItIs, store::Language language) {
    const long percent = std::lround(confidence * 100);
    const QString number =
        percent < 1 ? QStringLiteral("<1%") : QString::number(percent) + QLatin1Char('%');
    return asItIs ? mainText(MainText::asItIs, language) + QStringLiteral(" \u00B7 ") + number
                  : number;
}

QStringList longestConfidenceColumns(store::Language language) {
    return {confidenceColumn(1.0, false, language), confidenceColumn(1.0, true, language)};
}

RefinedList refinedList(const detect::RefinedRanking& ranking, store::Language language) {
    RefinedList list;
    if (ranking.verdict != detect::Verdict::none)
        for (std::size_t i = 0; i < ranking.candidates.size(); ++i) {
            if (!ranking.plausible(i))
                continue;
            const detect::RefinedCandidate& candidate = ranking.candidates[i];
            add(list, readingLine(candidate.label, candidate.action), candidate.confidence,
                candidate.chain.count == 0, language);
        }
    return noneUnlessFilled(std::move(list), language);
}

RefinedList refinedList(const detect::UnicodeRanking& ranking, store::Language language) {
    RefinedList list;
    if (ranking.verdict != detect::Verdict::none)
        for (const detect::UnicodeCandidate& candidate : ranking.candidates) {
            if (candidate.reading.plausibility < detect::kPlausibleFrom)
                continue;
            add(list,
                readingLine(win1251Of(QString::fromStdString(candidate.label)), candidate.action),
                candidate.reading.confidence, candidate.action.empty(), language);
        }
    return noneUnlessFilled(std::move(list), language);
}

std::string noPlausibleLine(store::Language language) {
    return win1251Of(mainText(MainText::noPlausibleReading, language));
}

bool isNoPlausibleLine(std::string_view line) {
    return line == noPlausibleLine(store::Language::russian) ||
           line == noPlausibleLine(store::Language::english);
}

} // namespace vorlex::app
