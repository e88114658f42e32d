// Server answers of any bytes: the update check's decisions never read out of bounds, a
// redirect target is always a usable http URL, and the body reads keep to their cap however the
// body arrives.
#include "update/update_answer.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

using namespace vorlex::update;

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

constexpr int kStatuses[] = {200, 301, 302, 303, 401, 404, 307, 500};

} // namespace

// Input: one byte choosing the status and whether a Location is there, then the Location and
// the body separated by the first zero byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int status = kStatuses[data[0] % std::size(kStatuses)];
    const bool hasLocation = (data[0] & 0x80) != 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t zero = rest.find('\0');
    const std::string_view location = rest.substr(0, zero);
    const std::string_view body =
        zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);

    for (const Exchange exchange : {Exchange::first, Exchange::afterRedirect}) {
        const UpdateAnswer answer = parseUpdateAnswer(
            status, hasLocation ? std::optional(location) : std::nullopt, body, exchange);
        if (answer.kind == UpdateAnswer::Kind::redirect) {
            check(exchange == Exchange::first);
            check(!answer.redirectTo.host.empty() && answer.redirectTo.port != 0);
            check(!answer.redirectTo.path.empty() && answer.redirectTo.path.front() == '/');
            for (const char c : answer.redirectTo.path)
                check(static_cast<unsigned char>(c) > 0x20 && c != 0x7f);
        }
        check(answer.news.size() <= (kMaxBodyLines - 1) * kMaxLineLength);
    }

    // The same reads whether the body comes whole or in pieces whose sizes the input chooses.
    BodyLines whole;
    whole.feed(body);
    whole.finish();
    if (!location.empty()) {
        BodyLines pieces;
        std::size_t at = 0;
        for (std::size_t n = 0; at < body.size() && !pieces.full(); ++n) {
            const std::size_t piece = 1 + static_cast<unsigned char>(location[n % location.size()]);
            at += pieces.feed(body.substr(at, piece));
        }
        pieces.finish();
        check(pieces.lines() == whole.lines());
        check(pieces.versionLine() == whole.versionLine());
        check(pieces.news() == whole.news());
    }
    check(whole.versionLine().size() + whole.news().size() <= kMaxBodyLines * kMaxLineLength);

    (void)splitUrl(rest);
    (void)isNewerBuild(rest);
    return 0;
}
