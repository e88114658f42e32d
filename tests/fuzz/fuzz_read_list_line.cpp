// Variant list lines of any bytes: reading never fails on a line without a separator, what it
// gives back is the line's tail after the first separator, and a built line reads back its
// action.
#include "detect/list_line.h"
#include "fuzz_chain.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using namespace vorlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> action = detect::readListLine(line);
    const std::size_t at = line.find(detect::kLineSeparator);
    if (at == std::string_view::npos || at == 0) {
        fuzz::check(!action);
    } else {
        fuzz::check(action.has_value());
        fuzz::check(line.substr(at + detect::kLineSeparator.size()) == *action);
    }

    // The same bytes cut into a label and an action: a non-empty label without a separator of
    // its own gives the action back unchanged.
    FuzzedDataProvider input(data, size);
    const std::string label = input.ConsumeRandomLengthString(300);
    const std::string tail = input.ConsumeRemainingBytesAsString();
    const std::optional<std::string> back =
        detect::readListLine(detect::buildListLine(label, tail));
    if (!label.empty() && label.find(detect::kLineSeparator) == std::string::npos) {
        fuzz::check(back.has_value() && *back == tail);
    } else if (label.empty()) {
        fuzz::check(!back.has_value());
    }
    return 0;
}
