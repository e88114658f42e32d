// Helpers shared by the fuzz targets: filter chains and options taken from the input bytes.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace vorlex::fuzz {

/// A filter list of 0..5 entries drawn from all sixteen filters, the end marker and a few
/// indices that name no filter (the engine must stop at those, not read past its tables).
inline engine::FilterList consumeFilterList(FuzzedDataProvider& input) {
    engine::FilterList list;
    const int count = input.ConsumeIntegralInRange(0, engine::kMaxFilters);
    for (int n = 0; n < count; ++n) {
        const int pick = input.ConsumeIntegralInRange(0, 19);
        int index;
        if (pick < 16)
            index = engine::kFilters[static_cast<std::size_t>(pick)].index;
        else if (pick == 16)
            index = engine::kEndOfFilters;
        else if (pick == 17)
            index = 14; // one past the last table
        else if (pick == 18)
            index = -4;
        else
            index = 1000;
        list.append(index);
    }
    return list;
}

inline engine::LatinOptions consumeLatinOptions(FuzzedDataProvider& input) {
    engine::LatinOptions options;
    options.wAsVe = input.ConsumeBool();
    options.noSj = input.ConsumeBool();
    options.separateEnglish = input.ConsumeBool();
    return options;
}

/// Stops the run with a crash libFuzzer reports, when a property does not hold.
inline void check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace vorlex::fuzz
