// Whole-document recoding of any bytes through any chain, Latin steps and all three switches
// included, in a work buffer of exactly the size asked for (or a shorter one that still holds
// the document, which the routine must cut at its end).
#include "engine/recode.h"
#include "fuzz_chain.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace vorlex;

namespace {

bool isClosedTable(int index) {
    return index >= 0 && index < 12; // the twelve tables among Win, Koi, Iso and Alt
}

// The used part of a list (up to the first end marker).
int usedCount(const engine::FilterList& list) {
    int n = 0;
    while (n < list.count && list.filters[static_cast<std::size_t>(n)] != engine::kEndOfFilters)
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const engine::FilterList filters = fuzz::consumeFilterList(input);
    const engine::LatinOptions options = fuzz::consumeLatinOptions(input);
    const int shortBy = input.ConsumeIntegralInRange(0, 3); // 0: the full work buffer
    const std::vector<std::uint8_t> document = input.ConsumeRemainingBytes<std::uint8_t>();

    const std::size_t full = engine::workBufferSize(document.size(), filters, options);
    fuzz::check(full >= document.size());
    std::size_t workSize = full;
    if (shortBy == 1)
        workSize = document.size(); // holds the document and no more
    else if (shortBy == 2)
        workSize = document.size() + (full - document.size()) / 2;
    else if (shortBy == 3 && document.size() > 0)
        workSize = document.size() - 1; // too short: nothing may be done
    std::vector<std::uint8_t> work(workSize, 0xAA);

    const engine::DocumentResult result = engine::recodeDocument(document, work, filters, options);
    fuzz::check(result.length <= work.size());
    if (work.size() < document.size()) {
        fuzz::check(result.length == 0);
        return 0;
    }
    if (result.status != engine::RecodeStatus::ok)
        return 0;

    // A chain of tables alone keeps the length and maps each byte through the composed tables.
    const std::optional<engine::ByteMap> map = engine::composeTables(filters);
    bool tablesOnly = map.has_value();
    for (int n = 0; n < usedCount(filters); ++n)
        tablesOnly =
            tablesOnly && engine::isTableFilter(filters.filters[static_cast<std::size_t>(n)]);
    if (!tablesOnly)
        return 0;
    fuzz::check(result.length == document.size());
    for (std::size_t i = 0; i < document.size(); ++i)
        fuzz::check(work[i] == (*map)[document[i]]);

    // Closed tables then their inverse in reverse order give the document back byte for byte.
    bool closed = true;
    engine::FilterList inverse;
    for (int n = usedCount(filters) - 1; n >= 0 && closed; --n) {
        const int index = filters.filters[static_cast<std::size_t>(n)];
        closed = isClosedTable(index);
        if (closed) {
            const std::string_view code = engine::filterByIndex(index)->code;
            inverse.append(*engine::filterIndexOfCode(std::string{code[1], code[0]}));
        }
    }
    if (closed) {
        std::vector<std::uint8_t> back(document.size());
        const engine::DocumentResult again = engine::recodeDocument(
            std::span<const std::uint8_t>(work.data(), result.length), back, inverse, options);
        fuzz::check(again.length == document.size());
        fuzz::check(back == document);
    }
    return 0;
}
