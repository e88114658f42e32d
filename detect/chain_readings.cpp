#include "detect/chain_readings.h"

#include "detect/byte_hash.h"
#include "detect/candidates.h"
#include "engine/code_tables.h"
#include "engine/recode.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace vorlex::detect {
namespace {

using engine::ByteMap;
using engine::FilterList;

/// The search chains in search order, grouped by their byte maps. Built on first use and never
/// changed afterwards.
struct SearchGroups {
    std::vector<FilterList> chains;      ///< in the order they are offered
    std::vector<HighMap> maps;           ///< per group, groups in order of first appearance
    std::vector<std::uint32_t> shortest; ///< per group: its first chain of the fewest filters
    std::vector<std::uint32_t> start;    ///< per group: its first chain index in `members`
    std::vector<std::uint32_t> members;  ///< chain indices, group by group, ascending
};

/// Every chain in the order the search offers them: a filter, then (depth first) the chains
/// that put more filters in front of it; the byte map of each composed from its tail's.
void walk(const FilterList& tail, const ByteMap& tailMap, std::vector<FilterList>& chains,
          std::vector<HighMap>& maps) {
    for (int first = 0; first < kBasicFilterCount; ++first) {
        if (!mayPrecede(first, tail))
            continue;
        const FilterList chain = prependFilter(first, tail);
        const engine::CodeTable& table = engine::kCodeTables[static_cast<std::size_t>(first)];
        ByteMap map = tailMap;
        for (std::size_t x = 0; x < 128; ++x)
            map[0x80 + x] = tailMap[table[x]];
        chains.push_back(chain);
        HighMap& high = maps.emplace_back();
        std::copy(map.begin() + 0x80, map.end(), high.begin());
        if (chain.count < 4)
            walk(chain, map, chains, maps);
    }
}

SearchGroups buildSearchGroups() {
    SearchGroups groups;
    std::vector<HighMap> chainMaps;
    groups.chains.reserve(kSearchChainCount);
    chainMaps.reserve(kSearchChainCount);
    ByteMap identity;
    std::iota(identity.begin(), identity.end(), std::uint8_t{0});
    walk(FilterList{}, identity, groups.chains, chainMaps);

    std::vector<std::uint32_t> groupOf(groups.chains.size());
    std::vector<std::uint32_t> slots(std::bit_ceil(groups.chains.size() * 2), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t c = 0; c < groups.chains.size(); ++c) {
        const HighMap& map = chainMaps[c];
        std::size_t i = hashBytes(map.data(), map.size()) & mask;
        for (; slots[i] != 0; i = (i + 1) & mask)
            if (groups.maps[slots[i] - 1] == map)
                break;
        if (slots[i] == 0) {
            groups.maps.push_back(map);
            groups.shortest.push_back(static_cast<std::uint32_t>(c));
            slots[i] = static_cast<std::uint32_t>(groups.maps.size());
        }
        const std::uint32_t g = slots[i] - 1;
        groupOf[c] = g;
        if (groups.chains[c].count < groups.chains[groups.shortest[g]].count)
            groups.shortest[g] = static_cast<std::uint32_t>(c);
    }
    // Members group by group, each group's in search order.
    groups.start.assign(groups.maps.size() + 1, 0);
    for (const std::uint32_t g : groupOf)
        ++groups.start[g + 1];
    std::partial_sum(groups.start.begin(), groups.start.end(), groups.start.begin());
    groups.members.resize(groups.chains.size());
    std::vector<std::uint32_t> fill(groups.start.begin(), groups.start.end() - 1);
    for (std::size_t c = 0; c < groups.chains.size(); ++c)
        groups.members[fill[groupOf[c]]++] = static_cast<std::uint32_t>(c);
    return groups;
}

const SearchGroups& searchGroups() {
    static const SearchGroups groups = buildSearchGroups();
    return groups;
}

std::uint64_t mapWord(const HighMap& map, std::size_t w) noexcept {
    std::uint64_t value;
    std::memcpy(&value, map.data() + 8 * w, 8);
    return value;
}

} // namespace

std::span<const HighMap> searchReadingMaps() {
    return searchGroups().maps;
}

SampleReadings::SampleReadings(const std::array<bool, 128>& present,
                               std::span<const FilterList> storedChains) {
    storedMaps_.reserve(storedChains.size() + 1);
    HighMap& identity = storedMaps_.emplace_back();
    std::iota(identity.begin(), identity.end(), std::uint8_t{0x80});
    for (const FilterList& chain : storedChains) {
        const std::optional<ByteMap> map = engine::composeTables(chain);
        if (!map)
            continue;
        stored_.push_back(chain);
        HighMap& high = storedMaps_.emplace_back();
        std::copy(map->begin() + 0x80, map->end(), high.begin());
    }
    searchMaps_ = searchGroups().maps.size();
    // A map read on the sample's bytes alone: sixteen words with the bytes it lacks masked out.
    for (std::size_t b = 0; b < 128; ++b)
        if (present[b])
            mask_[b / 8] |= std::uint64_t{0xFF} << (8 * (b % 8));
    for (std::size_t w = 0; w < mask_.size(); ++w)
        if (mask_[w] != 0)
            active_[activeCount_++] = static_cast<std::uint8_t>(w);
}

const HighMap& SampleReadings::unitMap(std::size_t unit) const noexcept {
    return unit < storedMaps_.size() ? storedMaps_[unit]
                                     : searchGroups().maps[unit - storedMaps_.size()];
}

SampleReadings::Position SampleReadings::unitChain(std::size_t unit) const noexcept {
    if (unit < storedMaps_.size())
        return static_cast<Position>(unit);
    return static_cast<Position>(storedMaps_.size() +
                                 searchGroups().shortest[unit - storedMaps_.size()]);
}

void SampleReadings::merge(std::span<const std::uint32_t> units) {
    slots_.clear();
    readings_.clear();
    slots_.reserve(units.size());
    const auto hash = [this](const HighMap& map) {
        // Independent products, so that the processor can overlap them.
        std::uint64_t h = 0;
        for (std::size_t k = 0; k < activeCount_; ++k) {
            const std::size_t w = active_[k];
            h += (mapWord(map, w) & mask_[w]) * (0x9E3779B97F4A7C15ull + 2 * w);
        }
        h ^= h >> 31;
        h *= 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 29);
    };
    const auto same = [this](const HighMap& a, const HighMap& b) {
        std::uint64_t differ = 0;
        for (std::size_t k = 0; k < activeCount_; ++k) {
            const std::size_t w = active_[k];
            differ |= (mapWord(a, w) ^ mapWord(b, w)) & mask_[w];
        }
        return differ == 0;
    };
    std::vector<std::uint32_t> table(std::bit_ceil(std::max<std::size_t>(units.size(), 8) * 2), 0);
    const std::size_t tableMask = table.size() - 1;
    for (std::size_t k = 0; k < units.size(); ++k) {
        const std::uint32_t unit = units[k];
        // The maps lie far apart: the one needed a few units on is fetched meanwhile.
        if (k + 8 < units.size()) {
            const std::uint8_t* ahead = unitMap(units[k + 8]).data();
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const HighMap& map = unitMap(unit);
        std::size_t i = hash(map) & tableMask;
        for (; table[i] != 0; i = (i + 1) & tableMask)
            if (same(this->map(table[i] - 1), map))
                break;
        const auto slot = static_cast<std::uint32_t>(slots_.size());
        slots_.push_back({unit, -1});
        const Position chain = unitChain(unit);
        if (table[i] == 0) {
            readings_.push_back({slot, slot, chain});
            table[i] = static_cast<std::uint32_t>(readings_.size());
            continue;
        }
        Reading& reading = readings_[table[i] - 1];
        slots_[reading.lastSlot].next = static_cast<std::int32_t>(slot);
        reading.lastSlot = slot;
        // The shortest chain, the first offered of equal length.
        const int count = chainAt(chain).count, best = chainAt(reading.chain).count;
        if (count < best || (count == best && chain < reading.chain))
            reading.chain = chain;
    }
}

const FilterList& SampleReadings::chainAt(Position position) const noexcept {
    static constexpr FilterList kAsItIs{};
    if (position == 0)
        return kAsItIs;
    if (position <= stored_.size())
        return stored_[position - 1];
    return searchGroups().chains[position - storedMaps_.size()];
}

std::vector<FilterList> SampleReadings::members(std::size_t reading, std::size_t most) const {
    const SearchGroups& groups = searchGroups();
    const Reading& r = readings_[reading];
    const FilterList& own = chainAt(r.chain);
    const auto searchBase = static_cast<Position>(storedMaps_.size());
    std::vector<Position> others;
    for (std::int32_t s = static_cast<std::int32_t>(r.firstSlot); s >= 0;
         s = slots_[static_cast<std::size_t>(s)].next) {
        const std::uint32_t unit = slots_[static_cast<std::size_t>(s)].unit;
        if (unit < searchBase) {
            if (!(chainAt(unit) == own))
                others.push_back(unit);
            continue;
        }
        const std::size_t g = unit - searchBase;
        for (std::uint32_t m = groups.start[g]; m < groups.start[g + 1]; ++m) {
            const Position position = searchBase + groups.members[m];
            if (!(chainAt(position) == own))
                others.push_back(position);
        }
    }
    std::sort(others.begin(), others.end(), [this](Position a, Position b) {
        const int ca = chainAt(a).count, cb = chainAt(b).count;
        return ca != cb ? ca < cb : a < b;
    });
    std::vector<FilterList> result{own};
    for (const Position position : others) {
        if (result.size() >= most)
            break;
        result.push_back(chainAt(position));
    }
    return result;
}

} // namespace vorlex::detect
