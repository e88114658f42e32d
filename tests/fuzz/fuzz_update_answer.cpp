// The update check's reading of a server answer: any status, any Location header (or none) and
// any body, the body fed in pieces of any size as the network hands them over.
#include "fuzz_chain.h"
#include "update/update_answer.h"

#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace vorlex;
using update::UpdateAnswer;

namespace {

// The C library's reading of the same number, clamped to int.
int referenceAtoi(std::string_view text) {
    const std::string terminated(text);
    const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

void checkUrl(const update::UrlSplit& split) {
    if (split.kind != update::UrlSplit::Kind::http)
        return;
    fuzz::check(!split.url.host.empty());
    fuzz::check(!split.url.path.empty());
    fuzz::check(split.url.path.find('#') == std::string::npos);
    for (const char c : split.url.host + split.url.path)
        fuzz::check(static_cast<unsigned char>(c) > ' ' && c != 0x7F);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    static constexpr int kStatuses[] = {200, 301, 302, 303, 401, 404, 500};
    const int status =
        input.ConsumeBool() ? input.PickValueInArray(kStatuses) : input.ConsumeIntegral<int>();
    const update::Exchange exchange =
        input.ConsumeBool() ? update::Exchange::first : update::Exchange::afterRedirect;
    std::optional<std::string> location;
    if (input.ConsumeBool())
        location = input.ConsumeRandomLengthString(600);
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 4096);
    const std::string body = input.ConsumeRemainingBytesAsString();

    if (location) {
        checkUrl(update::splitUrl(*location));
        fuzz::check(update::atoiLike(*location) == referenceAtoi(*location));
    }
    fuzz::check(update::atoiLike(body) == referenceAtoi(body));

    // The body in pieces reads as the body in one go, and never holds more than the reads.
    update::BodyLines pieces;
    std::size_t offset = 0;
    while (offset < body.size() && !pieces.full()) {
        const std::string_view next = std::string_view(body).substr(offset, piece);
        const std::size_t taken = pieces.feed(next);
        fuzz::check(taken <= next.size());
        fuzz::check(taken == next.size() || pieces.full());
        offset += taken;
    }
    pieces.finish();
    update::BodyLines whole;
    whole.feed(body);
    whole.finish();
    fuzz::check(pieces.lines() == whole.lines());
    fuzz::check(pieces.versionLine() == whole.versionLine());
    fuzz::check(pieces.news() == whole.news());
    fuzz::check(whole.lines() <= update::kMaxBodyLines);
    fuzz::check(whole.versionLine().size() <= update::kMaxLineLength);
    fuzz::check(whole.versionLine().size() + whole.news().size() <=
                static_cast<std::size_t>(update::kMaxBodyLines) * update::kMaxLineLength);

    const std::optional<std::string_view> header =
        location ? std::optional<std::string_view>(*location) : std::nullopt;
    const UpdateAnswer answer = update::parseUpdateAnswer(status, header, body, exchange);
    const UpdateAnswer again = update::decideUpdateAnswer(status, header, pieces, exchange);
    fuzz::check(answer.kind == again.kind && answer.news == again.news &&
                answer.redirectTo == again.redirectTo);

    switch (answer.kind) {
    case UpdateAnswer::Kind::redirect:
        fuzz::check(exchange == update::Exchange::first);
        fuzz::check(status == 301 || status == 302 || status == 303);
        fuzz::check(!answer.redirectTo.host.empty());
        break;
    case UpdateAnswer::Kind::accessDenied:
        fuzz::check(exchange == update::Exchange::first && status == 401);
        break;
    case UpdateAnswer::Kind::newVersion:
        fuzz::check(status == 200 && update::isNewerBuild(whole.versionLine()));
        fuzz::check(answer.news == whole.news());
        break;
    case UpdateAnswer::Kind::noNewVersion:
        fuzz::check(status == 200 && !update::isNewerBuild(whole.versionLine()));
        break;
    case UpdateAnswer::Kind::serverError:
        fuzz::check(status != 200);
        break;
    default:
        fuzz::check(status == 301 || status == 302 || status == 303);
        break;
    }
    return 0;
}
