#include "update/update_answer.h"

#include <climits>

namespace vorlex::update {
namespace {

bool isAsciiLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) noexcept {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// atoi's blanks: what isspace accepts in the C locale.
bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
// Control characters and blanks would break the request line, so no URL may hold them.
bool isUnsafeInUrl(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7f;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool validHostName(std::string_view host) noexcept {
    if (host.empty())
        return false;
    for (const char c : host)
        if (!isAsciiLetter(c) && !isDigit(c) && c != '-' && c != '.' && c != '_')
            return false;
    return true;
}

bool validIpv6(std::string_view address) noexcept {
    if (address.find(':') == std::string_view::npos)
        return false;
    for (const char c : address)
        if (!isHexDigit(c) && c != ':' && c != '.')
            return false;
    return true;
}

// The port after ':'; an empty port means the default.
std::optional<std::uint16_t> parsePort(std::string_view digits) noexcept {
    if (digits.empty())
        return std::uint16_t{80};
    if (digits.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

UrlSplit unparsable() {
    return UrlSplit{UrlSplit::Kind::unparsable, {}};
}

UpdateAnswer answerOf(UpdateAnswer::Kind kind, int status) {
    UpdateAnswer answer;
    answer.kind = kind;
    answer.status = status;
    return answer;
}

} // namespace

UrlSplit splitUrl(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    for (const char c : text)
        if (isUnsafeInUrl(c))
            return unparsable();

    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(text.front()))
        return unparsable();
    const std::string_view scheme = text.substr(0, colon);
    for (const char c : scheme)
        if (!isAsciiLetter(c) && !isDigit(c) && c != '+' && c != '-' && c != '.')
            return unparsable();
    std::string_view rest = text.substr(colon + 1);
    if (!equalsIgnoringCase(scheme, "http"))
        return UrlSplit{UrlSplit::Kind::notHttp, {}};
    if (rest.substr(0, 2) != "//")
        return unparsable();
    rest.remove_prefix(2);

    // The fragment is the client's own business and never goes to the server.
    rest = rest.substr(0, rest.find('#'));
    const std::size_t authorityEnd = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view path =
        authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    HttpUrl url;
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return unparsable();
        const std::string_view address = authority.substr(1, close - 1);
        if (!validIpv6(address))
            return unparsable();
        url.host = std::string(address);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return unparsable();
            portText = after.substr(1);
        }
    } else {
        const std::size_t portColon = authority.find(':');
        const std::string_view host = authority.substr(0, portColon);
        if (!validHostName(host))
            return unparsable();
        url.host = std::string(host);
        if (portColon != std::string_view::npos)
            portText = authority.substr(portColon + 1);
    }
    const std::optional<std::uint16_t> port = parsePort(portText);
    if (!port)
        return unparsable();
    url.port = *port;

    if (path.empty())
        url.path = "/";
    else if (path.front() == '?')
        url.path = "/" + std::string(path);
    else
        url.path = std::string(path);
    return UrlSplit{UrlSplit::Kind::http, std::move(url)};
}

int atoiLike(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        // Past the int range already: the rest of the digits cannot bring it back.
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool isNewerBuild(std::string_view versionLine, std::string_view ownBuild) noexcept {
    const int offered = atoiLike(versionLine);
    if (offered < 0)
        return false;
    return static_cast<unsigned>(offered) > static_cast<unsigned>(atoiLike(ownBuild));
}

std::size_t BodyLines::feed(std::string_view bytes) {
    std::size_t taken = 0;
    while (taken < bytes.size() && !full()) {
        const char c = bytes[taken++];
        current().push_back(c);
        ++currentLength_;
        if (c == '\n' || currentLength_ == kMaxLineLength) {
            ++lines_;
            currentLength_ = 0;
        }
    }
    return taken;
}

void BodyLines::finish() {
    if (currentLength_ > 0) {
        ++lines_;
        currentLength_ = 0;
    }
}

UpdateAnswer redirectTarget(std::optional<std::string_view> location) {
    if (!location)
        return answerOf(UpdateAnswer::Kind::redirectWithoutLocation, 0);
    std::string_view target = location->substr(0, location->find('\n'));
    if (!target.empty() && target.back() == '\r')
        target.remove_suffix(1);
    UrlSplit split = splitUrl(target);
    switch (split.kind) {
    case UrlSplit::Kind::unparsable:
        return answerOf(UpdateAnswer::Kind::redirectUnparsable, 0);
    case UrlSplit::Kind::notHttp:
        return answerOf(UpdateAnswer::Kind::redirectNotHttp, 0);
    case UrlSplit::Kind::http:
        break;
    }
    UpdateAnswer answer = answerOf(UpdateAnswer::Kind::redirect, 0);
    answer.redirectTo = std::move(split.url);
    return answer;
}

UpdateAnswer decideUpdateAnswer(int status, std::optional<std::string_view> location,
                                const BodyLines& lines, Exchange exchange) {
    if (status != 200) {
        if (exchange == Exchange::first) {
            if (status == 401)
                return answerOf(UpdateAnswer::Kind::accessDenied, status);
            if (status == 301 || status == 302 || status == 303) {
                UpdateAnswer answer = redirectTarget(location);
                answer.status = status;
                return answer;
            }
        }
        return answerOf(UpdateAnswer::Kind::serverError, status);
    }
    if (!isNewerBuild(lines.versionLine()))
        return answerOf(UpdateAnswer::Kind::noNewVersion, status);
    UpdateAnswer answer = answerOf(UpdateAnswer::Kind::newVersion, status);
    answer.news = lines.news();
    return answer;
}

UpdateAnswer parseUpdateAnswer(int status, std::optional<std::string_view> location,
                               std::string_view body, Exchange exchange) {
    BodyLines lines;
    if (status == 200) {
        lines.feed(body);
        lines.finish();
    }
    return decideUpdateAnswer(status, location, lines, exchange);
}

} // namespace vorlex::update
