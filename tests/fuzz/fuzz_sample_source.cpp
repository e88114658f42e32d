// Sampling of any source bytes (zeros included): the kept words are the source's own words of
// the right length, the text sample is terminated and padded, and every label built from it
// has its fixed size.
#include "detect/list_line.h"
#include "detect/sample.h"
#include "fuzz_chain.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using namespace vorlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const engine::FilterList chain = fuzz::consumeFilterList(input);
    const engine::LatinOptions options = fuzz::consumeLatinOptions(input);
    const std::vector<std::uint8_t> source = input.ConsumeRemainingBytes<std::uint8_t>();
    const std::string_view sourceText(reinterpret_cast<const char*>(source.data()), source.size());

    const detect::Sample sample = detect::sampleSource(std::span<const std::uint8_t>(source));
    for (int length = 2; length <= 4; ++length) {
        const int count = sample.count(length);
        fuzz::check(count >= 0 && count <= detect::kSampleSlots);
        for (int slot = 0; slot < count; ++slot) {
            const std::string_view word = sample.word(length, slot);
            fuzz::check(word.size() == static_cast<std::size_t>(length));
            fuzz::check(sourceText.find(word) != std::string_view::npos);
            for (int other = 0; other < slot; ++other)
                fuzz::check(sample.word(length, other) != word);
        }
        fuzz::check(sample.word(length, count).empty());
    }
    const std::string_view text = sample.textSample();
    fuzz::check(text.size() >= detect::kTextSampleMinLength);
    fuzz::check(text.size() <= detect::kTextSampleMaxBytes);
    fuzz::check(sample.text[detect::kTextSampleSize - 1] == 0);

    const std::string label = detect::variantLabel(sample, chain, options);
    fuzz::check(label.size() <= detect::kLabelLength);
    fuzz::check(label.find('\0') == std::string::npos);
    const std::string action = engine::chainActionString(chain);
    const std::string line = detect::namedSchemeLine(sample, action, options);
    fuzz::check(line.size() >= detect::kLineSeparator.size());
    return 0;
}
