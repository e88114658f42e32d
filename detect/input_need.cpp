#include "detect/input_need.h"

#include "detect/refined_ranking.h"
#include "detect/sample.h"

#include <algorithm>

namespace vorlex::detect {
namespace {

bool full(const Sample& sample) {
    return sample.twoCount == kSampleSlots && sample.threeCount == kSampleSlots &&
           sample.fourCount == kSampleSlots;
}

bool same(const Sample& a, const Sample& b) {
    return a.twoLetter == b.twoLetter && a.threeLetter == b.threeLetter &&
           a.fourLetter == b.fourLetter && a.text == b.text;
}

// The sampler looks at most five bytes past a word start and copies 499 bytes of text; a
// sample that is full a little before the end of the prefix, and the same with those last
// bytes, was decided before them.
constexpr std::size_t kLookAhead = 16;

} // namespace

bool prefixSuffices(std::span<const std::uint8_t> prefix) {
    if (prefix.size() < kRefinedSampleBytes + kLookAhead)
        return false;
    const Sample shorter = sampleSource(prefix.first(prefix.size() - kLookAhead));
    return full(shorter) && same(shorter, sampleSource(prefix));
}

} // namespace vorlex::detect
