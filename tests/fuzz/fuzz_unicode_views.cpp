// Views, page and UTF-8 steps over any bytes: nothing is read past the input, Unicode results are
// valid UTF-8, views lose nothing, and no step grows the text beyond a fixed factor.
#include "engine/unicode_views.h"
#include "fuzz_chain.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vorlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto page = engine::kDisplayPages[input.ConsumeIntegralInRange<std::size_t>(0, 7)];
    const engine::LatinOptions options = fuzz::consumeLatinOptions(input);
    const std::string action = input.ConsumeRandomLengthString(64);
    // The text in a buffer of exactly its size, so a read past it is caught.
    const std::vector<char> buffer = input.ConsumeRemainingBytes<char>();
    const std::string_view text(buffer.data(), buffer.size());

    const std::string shown = engine::showThrough(text, page);
    fuzz::check(engine::isValidUtf8(shown) && shown.size() <= 3 * text.size());
    fuzz::check(engine::viewThrough(shown, page) == std::string(text));
    if (const auto viewed = engine::viewThrough(text, page)) {
        fuzz::check(engine::isValidUtf8(text) && viewed->size() <= text.size());
        fuzz::check(engine::showThrough(*viewed, page) == text);
    }
    // The view for a UTF-8 decoding differs only on Win, and never where the plain one gives
    // UTF-8 already (it takes back a byte 0x98 shown as U+FFFD or dropped).
    if (const auto forUtf8 = engine::viewOfUtf8Through(text, page)) {
        fuzz::check(engine::isValidUtf8(text) && forUtf8->size() <= text.size());
        const auto viewed = engine::viewThrough(text, page);
        fuzz::check(!viewed || !engine::isValidUtf8(*viewed) || *viewed == *forUtf8);
        fuzz::check(page == engine::DisplayPage::windows1251 || (viewed && *viewed == *forUtf8));
    }
    fuzz::check(engine::isMultibyteUtf8(text) <= engine::isValidUtf8(text));

    const auto parsed = engine::parseUnicodeAction(action);
    if (!parsed)
        return 0;
    fuzz::check(parsed->steps.size() <= engine::kMaxUnicodeSteps);
    fuzz::check(engine::parseUnicodeAction(engine::unicodeActionString(*parsed)) == parsed);
    (void)engine::unicodeActionDescription(*parsed);
    for (const bool unicode : {true, false}) {
        engine::UnicodeActionError error{};
        const auto result = engine::applyUnicodeAction(*parsed, text, unicode, options, error);
        fuzz::check(result.has_value() == (error == engine::UnicodeActionError::none));
        if (!result)
            continue;
        if (result->unicode)
            fuzz::check(engine::isValidUtf8(result->text));
        const std::string out = engine::resultAsUtf8(*result);
        fuzz::check(engine::isValidUtf8(out));
        // Views shrink, UTF-8 steps keep the length, reading bytes as a page's text at most
        // triples it, a chain at most quadruples it (markers around English words), Windows-1251
        // to UTF-8 at most triples it.
        std::size_t growth = 12;
        for (const engine::UnicodeStep& step : parsed->steps)
            growth *= step.kind == engine::UnicodeStepKind::show ? 3 : 1;
        fuzz::check(out.size() <= growth * text.size() + 16);
    }
    return 0;
}
