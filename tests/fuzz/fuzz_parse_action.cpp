// Action strings of any bytes: parsing never reads past the string, and what it gives back is
// consistent with the tokens it reports.
#include "engine/filters.h"
#include "fuzz_chain.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vorlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view action(reinterpret_cast<const char*>(data), size);
    const engine::ParsedAction parsed = engine::parseActionTokens(action);
    const engine::FilterList& list = parsed.list;
    fuzz::check(list == engine::parseAction(action));
    fuzz::check(list.count >= 0 && list.count <= engine::kMaxFilters);

    // Each parsed filter is a real filter whose code is the token it came from; the slots after
    // the last one are empty.
    for (int n = 0; n < engine::kMaxFilters; ++n) {
        const int index = list.filters[static_cast<std::size_t>(n)];
        if (n >= list.count) {
            fuzz::check(index == engine::kEndOfFilters);
            continue;
        }
        const engine::FilterInfo* info = engine::filterByIndex(index);
        fuzz::check(info != nullptr);
        fuzz::check(parsed.tokens[static_cast<std::size_t>(n)] == info->code);
    }

    // The chain's own action string parses back into the same chain.
    const std::string written = engine::chainActionString(list);
    fuzz::check(engine::parseAction(written) == list);
    (void)engine::chainDescription(list);
    return 0;
}
