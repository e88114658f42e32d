// The stored multi-filter schemes a pass scores before its search, as the pass and the refined
// ranking both read them from the scheme items of a setup.
#pragma once

#include "detect/pass.h"
#include "engine/filters.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace vorlex::detect {

/// The chain of a stored scheme's @p action when a pass scores it (see isScoredStoredScheme).
[[nodiscard]] std::optional<engine::FilterList> scoredSchemeChain(std::string_view action);

/// Calls `use` with the chain of every stored scheme a pass scores (see isScoredStoredScheme),
/// in item order: item 0 and items with data kAutoItem are skipped, and so are absent actions.
/// `stopped` is asked before each item is read; once it answers true nothing more is read.
void forEachScoredStoredScheme(const PassSetup& setup,
                               const std::function<void(const engine::FilterList&)>& use,
                               const std::function<bool()>& stopped = {});

/// The chains forEachScoredStoredScheme visits, in item order.
[[nodiscard]] std::vector<engine::FilterList> storedSchemeChains(const PassSetup& setup);

} // namespace vorlex::detect
