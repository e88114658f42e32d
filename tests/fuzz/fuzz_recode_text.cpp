// Short-text recoding of any length 1..1000 through any filter list: buffers of exactly the
// given length, so a write or read past the terminator shows at once.
#include "engine/recode.h"
#include "fuzz_chain.h"

#include <algorithm>
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

// The list of the reverse tables in reverse order, or nothing when a step has no exact inverse.
std::optional<engine::FilterList> inverseChain(const engine::FilterList& list) {
    engine::FilterList inverse;
    for (int n = list.count - 1; n >= 0; --n) {
        const int index = list.filters[static_cast<std::size_t>(n)];
        if (!isClosedTable(index))
            return std::nullopt;
        const std::string_view code = engine::filterByIndex(index)->code;
        const std::string reversed{code[1], code[0]};
        inverse.append(*engine::filterIndexOfCode(reversed));
    }
    return inverse;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t len = input.ConsumeIntegralInRange<std::size_t>(1, 1000);
    const engine::FilterList filters = fuzz::consumeFilterList(input);
    const engine::LatinOptions options = fuzz::consumeLatinOptions(input);
    const bool controlToSpace = input.ConsumeBool();
    std::vector<std::uint8_t> source = input.ConsumeRemainingBytes<std::uint8_t>();
    source.resize(len);

    std::vector<std::uint8_t> dest(len, 0xAA);
    if (engine::recodeText(dest, source, filters, len, controlToSpace, options) !=
        engine::RecodeStatus::ok)
        return 0;

    const int first = filters.count > 0 ? filters.filters[0] : engine::kEndOfFilters;
    if (filters.count == 0)
        fuzz::check(dest == source);
    if (engine::isTableFilter(first) || first == engine::kWinToLatinFilter)
        fuzz::check(dest[len - 1] == 0);

    // A chain of the closed tables followed by its inverse gives the text back.
    if (!controlToSpace && filters.count > 0) {
        if (const std::optional<engine::FilterList> inverse = inverseChain(filters)) {
            std::vector<std::uint8_t> back(len);
            fuzz::check(engine::recodeText(back, dest, *inverse, len, false, options) ==
                        engine::RecodeStatus::ok);
            fuzz::check(std::equal(back.begin(), back.end() - 1, source.begin()));
            fuzz::check(back[len - 1] == 0);
        }
    }

    // Table steps agree with the whole-document routine on every position but the terminator.
    if (!controlToSpace && filters.count > 0) {
        if (const std::optional<engine::ByteMap> map = engine::composeTables(filters)) {
            for (std::size_t i = 0; i + 1 < len; ++i)
                fuzz::check(dest[i] == (*map)[source[i]]);
        }
    }
    return 0;
}
