#include "detect/sample.h"

#include "detect/dictionary.h"

#include <algorithm>

namespace vorlex::detect {
namespace {

/// The folded words already kept for one length, to drop later duplicates whatever their case.
template <std::size_t Length> struct TakenWords {
    std::array<std::array<std::uint8_t, Length>, kSampleSlots> words{};
    int count = 0;

    bool has(const std::array<std::uint8_t, Length>& folded) const {
        return std::find(words.begin(), words.begin() + count, folded) != words.begin() + count;
    }
};

template <std::size_t Length, std::size_t Slot>
void keepWord(const std::uint8_t* word, TakenWords<Length>& taken,
              std::array<std::array<std::uint8_t, Slot>, kSampleSlots>& slots, int& count) {
    std::array<std::uint8_t, Length> folded{};
    for (std::size_t i = 0; i < Length; ++i)
        folded[i] = foldByte(word[i]);
    if (taken.has(folded) || count >= kSampleSlots)
        return;
    auto& slot = slots[static_cast<std::size_t>(count)];
    std::copy(word, word + Length, slot.begin());
    slot[Length] = 0;
    ++count;
    taken.words[static_cast<std::size_t>(taken.count++)] = folded;
}

} // namespace

int Sample::count(int length) const noexcept {
    switch (length) {
    case 2:
        return twoCount;
    case 3:
        return threeCount;
    case 4:
        return fourCount;
    default:
        return 0;
    }
}

std::string_view Sample::word(int length, int slot) const noexcept {
    if (slot < 0 || slot >= count(length))
        return {};
    const auto index = static_cast<std::size_t>(slot);
    const std::uint8_t* bytes = length == 2   ? twoLetter[index].data()
                                : length == 3 ? threeLetter[index].data()
                                              : fourLetter[index].data();
    return {reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)};
}

std::string_view Sample::textSample() const noexcept {
    const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(text.data()),
            static_cast<std::size_t>(end - text.begin())};
}

Sample sampleSource(std::span<const std::uint8_t> source) {
    Sample sample;
    TakenWords<2> taken2;
    TakenWords<3> taken3;
    TakenWords<4> taken4;
    const std::size_t size = source.size();

    auto copyIntoText = [&](std::size_t from) {
        const std::size_t n = std::min(size - from, kTextSampleMaxBytes);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(from), n, sample.text.begin());
        sample.text[n] = 0;
    };

    bool afterSeparator = true;
    bool sampleTaken = false;
    std::size_t position = 0;
    while (position < size &&
           !(sample.twoCount == kSampleSlots && sample.threeCount == kSampleSlots &&
             sample.fourCount == kSampleSlots)) {
        const std::uint8_t byte = source[position];
        if (byte < 128 || !afterSeparator) {
            // Not a word start; letters after a non-separator are skipped up to a separator.
            afterSeparator = isSeparator(byte);
            ++position;
            continue;
        }
        if (!sampleTaken) {
            copyIntoText(position);
            sampleTaken = true;
        }
        std::size_t length = 0;
        bool clean = false;
        for (;;) {
            if (position + length >= size || isSeparator(source[position + length])) {
                clean = true;
                break;
            }
            if (source[position + length] < 128)
                break;
            if (++length == 5)
                break;
        }
        std::size_t step = length + 1;
        afterSeparator = clean;
        const std::uint8_t* word = source.data() + position;
        if (clean && length == 2)
            keepWord(word, taken2, sample.twoLetter, sample.twoCount);
        else if (clean && length == 3)
            keepWord(word, taken3, sample.threeLetter, sample.threeCount);
        else if (clean && length == 4)
            keepWord(word, taken4, sample.fourLetter, sample.fourCount);
        else if (length == 5)
            step = 5;
        position += step;
    }

    if (!sample.hasWords())
        copyIntoText(0);

    // The length counts up to the first zero byte, so a source holding zeros is padded from
    // there; the bytes after the terminator are cleared so that nothing past it is left over.
    const std::size_t length = sample.textSample().size();
    if (length < kTextSampleMinLength) {
        std::fill(sample.text.begin() + static_cast<std::ptrdiff_t>(length),
                  sample.text.begin() + kTextSampleMinLength, std::uint8_t{' '});
        std::fill(sample.text.begin() + kTextSampleMinLength, sample.text.end(), std::uint8_t{0});
    } else {
        std::fill(sample.text.begin() + static_cast<std::ptrdiff_t>(length), sample.text.end(),
                  std::uint8_t{0});
    }
    return sample;
}

Sample sampleSource(std::string_view source) {
    return sampleSource(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(source.data()), source.size()));
}

} // namespace vorlex::detect
