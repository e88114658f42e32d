#include "detect/stored_schemes.h"

#include "detect/candidates.h"
#include "engine/recode.h"

namespace vorlex::detect {

std::optional<engine::FilterList> scoredSchemeChain(std::string_view action) {
    const engine::FilterList chain = engine::parseAction(action);
    if (!isScoredStoredScheme(chain))
        return std::nullopt;
    return chain;
}

void forEachScoredStoredScheme(const PassSetup& setup,
                               const std::function<void(const engine::FilterList&)>& use,
                               const std::function<bool()>& stopped) {
    const std::vector<int>& items = setup.schemeItems;
    if (items.size() <= 1 || !setup.readAction)
        return;
    for (std::size_t item = 1; item < items.size() && !(stopped && stopped()); ++item) {
        if (items[item] == kAutoItem)
            continue;
        const std::string action = setup.readAction(items[item]);
        if (action == kMissingValue)
            continue;
        if (const std::optional<engine::FilterList> chain = scoredSchemeChain(action))
            use(*chain);
    }
}

std::vector<engine::FilterList> storedSchemeChains(const PassSetup& setup) {
    std::vector<engine::FilterList> chains;
    forEachScoredStoredScheme(
        setup, [&chains](const engine::FilterList& chain) { chains.push_back(chain); });
    return chains;
}

} // namespace vorlex::detect
