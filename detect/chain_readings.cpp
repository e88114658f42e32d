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

/// A map read on the sample's bytes alone, as sixteen words with the bytes it lacks masked out.
struct SampleMask {
    std::array<std::uint64_t, 16> words{};
    std::array<std::uint8_t, 16> active{}; ///< indices of the words with a byte of the sample
    std::size_t activeCount = 0;

    explicit SampleMask(const std::array<bool, 128>& present) {
        for (std::size_t b = 0; b < 128; ++b)
            if (present[b])
                words[b / 8] |= std::uint64_t{0xFF} << (8 * (b % 8));
        for (std::size_t w = 0; w < words.size(); ++w)
            if (words[w] != 0)
                active[activeCount++] = static_cast<std::uint8_t>(w);
    }

    static std::uint64_t word(const HighMap& map, std::size_t w) noexcept {
        std::uint64_t value;
        std::memcpy(&value, map.data() + 8 * w, 8);
        return value;
    }

    [[nodiscard]] std::uint64_t hash(const HighMap& map) const noexcept {
        // Independent products, so that the processor can overlap them.
        constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
        std::uint64_t h = 0;
        for (std::size_t k = 0; k < activeCount; ++k) {
            const std::size_t w = active[k];
            h += (word(map, w) & words[w]) * (kOdd + 2 * w);
        }
        h ^= h >> 31;
        h *= 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 29);
    }

    [[nodiscard]] bool same(const HighMap& a, const HighMap& b) const noexcept {
        std::uint64_t differ = 0;
        for (std::size_t k = 0; k < activeCount; ++k) {
            const std::size_t w = active[k];
            differ |= (word(a, w) ^ word(b, w)) & words[w];
        }
        return differ == 0;
    }
};

} // namespace

SampleReadings::SampleReadings(const std::array<bool, 128>& present,
                               std::span<const FilterList> storedChains) {
    const SearchGroups& groups = searchGroups();
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

    // Units in order of first offer: the text as it is, the stored chains, the search groups.
    const auto searchBase = static_cast<Position>(storedMaps_.size());
    units_.reserve(storedMaps_.size() + groups.maps.size());
    for (std::size_t s = 0; s < storedMaps_.size(); ++s)
        units_.push_back({&storedMaps_[s], static_cast<Position>(s), -1});
    for (std::size_t g = 0; g < groups.maps.size(); ++g)
        units_.push_back({&groups.maps[g], searchBase + groups.shortest[g], static_cast<int>(g)});

    const SampleMask mask(present);
    std::vector<std::uint32_t> slots(std::bit_ceil(units_.size() * 2), 0);
    const std::size_t slotMask = slots.size() - 1;
    readings_.reserve(units_.size());
    for (std::size_t u = 0; u < units_.size(); ++u) {
        Unit& unit = units_[u];
        std::size_t i = mask.hash(*unit.map) & slotMask;
        for (; slots[i] != 0; i = (i + 1) & slotMask)
            if (mask.same(*units_[readings_[slots[i] - 1].firstUnit].map, *unit.map))
                break;
        const auto index = static_cast<std::uint32_t>(u);
        if (slots[i] == 0) {
            readings_.push_back({index, index, unit.chain});
            slots[i] = static_cast<std::uint32_t>(readings_.size());
            continue;
        }
        Reading& reading = readings_[slots[i] - 1];
        units_[reading.lastUnit].next = static_cast<std::int32_t>(u);
        reading.lastUnit = index;
        // The shortest chain, the first offered of equal length.
        const int count = chainAt(unit.chain).count, best = chainAt(reading.chain).count;
        if (count < best || (count == best && unit.chain < reading.chain))
            reading.chain = unit.chain;
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
    for (std::int32_t u = static_cast<std::int32_t>(r.firstUnit); u >= 0;
         u = units_[static_cast<std::size_t>(u)].next) {
        const Unit& unit = units_[static_cast<std::size_t>(u)];
        if (unit.group < 0) {
            if (!(chainAt(unit.chain) == own))
                others.push_back(unit.chain);
            continue;
        }
        const auto g = static_cast<std::size_t>(unit.group);
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
