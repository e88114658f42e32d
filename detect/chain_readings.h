// The distinct readings of one sample that the refined ranking judges: the text as it is, the
// stored chains and the 17040 search chains, merged when they give the same bytes on the
// sample.
//
// Many search chains do the same thing to every byte (17040 chains make about 9400 distinct
// byte maps), and what a chain does does not depend on the sample. So the chains are grouped by
// their byte map once, and a sample only merges the groups that agree on the bytes it holds.
// The readings come out exactly as if every chain had been offered one by one in search order
// after the text as it is and the stored chains: numbered in order of first appearance, each
// with the shortest of its chains (the first offered of equal length) and every chain offered.
#pragma once

#include "engine/filters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vorlex::detect {

/// What a reading does to the bytes from 0x80 up: entry b - 0x80 is the byte b becomes. Bytes
/// below 0x80 pass every chain unchanged.
using HighMap = std::array<std::uint8_t, 128>;

/// The byte maps of the search chains, one per distinct map in order of first appearance: the
/// search units of every SampleReadings, the same for every sample.
[[nodiscard]] std::span<const HighMap> searchReadingMaps();

class SampleReadings {
public:
    /// `present[b - 0x80]` tells whether the sample holds byte b. Stored chains whose tables
    /// cannot be composed are left out.
    SampleReadings(const std::array<bool, 128>& present,
                   std::span<const engine::FilterList> storedChains);

    /// Units are what the readings are merged from, in order of first offer: the text as it is
    /// (unit 0), the stored chains, then the search chains with one byte map (the first
    /// appearance of each map in search order). Units that give the same sample text give the
    /// same judgement of it.
    [[nodiscard]] std::size_t unitCount() const noexcept {
        return storedMaps_.size() + searchMaps_;
    }
    [[nodiscard]] const HighMap& unitMap(std::size_t unit) const noexcept;
    /// Units below this are the text as it is and the stored chains; the search maps follow,
    /// in the order of searchReadingMaps().
    [[nodiscard]] std::size_t ownUnitCount() const noexcept { return storedMaps_.size(); }

    /// Merges `units` (ascending; every unit that gives the same sample text as one of them
    /// among them) into readings, numbered in order of their first unit; replaces the readings
    /// of an earlier merge. Merging every unit gives every reading.
    void merge(std::span<const std::uint32_t> units);

    [[nodiscard]] std::size_t size() const noexcept { return readings_.size(); }
    /// The reading's byte map (only the sample's own bytes tell readings apart).
    [[nodiscard]] const HighMap& map(std::size_t reading) const noexcept {
        return unitMap(slots_[readings_[reading].firstSlot].unit);
    }
    [[nodiscard]] std::uint32_t firstUnit(std::size_t reading) const noexcept {
        return slots_[readings_[reading].firstSlot].unit;
    }
    /// The shortest chain giving the reading, the first offered of equal length.
    [[nodiscard]] const engine::FilterList& chain(std::size_t reading) const noexcept {
        return chainAt(readings_[reading].chain);
    }
    /// The reading's chains: its own chain first, then every other chain offered (a stored
    /// chain that the search makes again counts twice), shorter first, then in the order
    /// offered; at most `most`.
    [[nodiscard]] std::vector<engine::FilterList> members(std::size_t reading,
                                                          std::size_t most) const;

private:
    /// A chain's place in the order of offers: 0 the text as it is, 1.. the stored chains,
    /// then the search chains.
    using Position = std::uint32_t;
    struct Slot {
        std::uint32_t unit;
        std::int32_t next; ///< the next slot of the same reading, or -1
    };
    struct Reading {
        std::uint32_t firstSlot, lastSlot;
        Position chain;
    };

    [[nodiscard]] Position unitChain(std::size_t unit) const noexcept;
    [[nodiscard]] const engine::FilterList& chainAt(Position position) const noexcept;

    std::vector<engine::FilterList> stored_;
    std::vector<HighMap> storedMaps_; ///< identity first, then the stored chains
    std::size_t searchMaps_ = 0;
    std::array<std::uint64_t, 16> mask_{};  ///< the sample's bytes, as words of a map
    std::array<std::uint8_t, 16> active_{}; ///< the words with a byte of the sample
    std::size_t activeCount_ = 0;
    std::vector<Slot> slots_;
    std::vector<Reading> readings_;
};

} // namespace vorlex::detect
