#include "engine/filters.h"

namespace vorlex::engine {

const FilterInfo* filterByIndex(int index) noexcept {
    for (const FilterInfo& filter : kFilters) {
        if (filter.index == index)
            return &filter;
    }
    return nullptr;
}

std::optional<int> filterIndexOfCode(std::string_view code) noexcept {
    for (const FilterInfo& filter : kFilters) {
        if (filter.code == code)
            return filter.index;
    }
    return std::nullopt;
}

bool FilterList::append(int index) noexcept {
    if (count >= kMaxFilters)
        return false;
    filters[static_cast<std::size_t>(count++)] = index;
    return true;
}

FilterList makeFilterList(std::initializer_list<int> indices) noexcept {
    FilterList list;
    for (int index : indices) {
        if (index == kEndOfFilters || !list.append(index))
            break;
    }
    return list;
}

ParsedAction parseActionTokens(std::string_view action) {
    ParsedAction parsed;
    std::string_view rest = action;
    int spacesFound = 0;
    for (std::size_t slot = 0; slot < 4; ++slot) {
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos || space == 0) {
            parsed.tokens[slot] = std::string(rest.substr(0, 2));
            rest = {};
            break;
        }
        parsed.tokens[slot] = std::string(rest.substr(0, space));
        rest.remove_prefix(space + 1);
        ++spacesFound;
    }
    if (spacesFound == 4)
        parsed.tokens[4] = std::string(rest.substr(0, 2));

    for (const std::string& token : parsed.tokens) {
        const std::optional<int> index = filterIndexOfCode(token);
        if (!index)
            break;
        parsed.list.append(*index);
    }
    return parsed;
}

FilterList parseAction(std::string_view action) {
    return parseActionTokens(action).list;
}

std::string chainActionString(const FilterList& list) {
    std::string action;
    for (int n = 0; n < list.count; ++n) {
        if (const FilterInfo* filter = filterByIndex(list.filters[static_cast<std::size_t>(n)])) {
            action += filter->code;
            action += ' ';
        }
    }
    return action;
}

std::string chainDescription(const FilterList& list, std::string_view separator) {
    std::string description;
    for (int n = 0; n < list.count; ++n) {
        const FilterInfo* filter = filterByIndex(list.filters[static_cast<std::size_t>(n)]);
        if (!filter)
            continue;
        if (!description.empty())
            description += separator;
        description += filter->displayName;
    }
    return description;
}

} // namespace vorlex::engine
