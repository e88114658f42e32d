// What the update check makes of the server's answers, without any network: URL splitting, the
// status rules, the redirect target, the capped reading of the body and the comparison of build
// numbers. Standard C++ only, so that a fuzzer can drive every step.
#pragma once

#include "vorlex_version.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlex::update {

/// The agent name sent as User-Agent.
inline constexpr std::string_view kAgentName = "VORLEX_Update_Checker";
/// The Accept header's value.
inline constexpr std::string_view kAcceptTypes = "text/*";
/// This program's own build number, compared with the first line of the answer.
inline constexpr std::string_view kOwnBuild = kBuildNumber;
/// Where the check asks when VORLEX_UPDATE_URL does not name another URL.
inline constexpr std::string_view kDefaultUpdateUrl = "http://update.vorlex.example/vorlex/update";

/// How many lines of the body are read: the version line and up to 50 lines of news.
inline constexpr int kMaxBodyLines = 51;
/// How many characters one line read takes at most; the rest of a longer line is the next read.
inline constexpr std::size_t kMaxLineLength = 1023;

/// An http URL split into what the request needs.
struct HttpUrl {
    std::string host; ///< a name or an address; an IPv6 address without its brackets
    std::uint16_t port = 80;
    std::string path = "/"; ///< the object path with its query, never empty, no fragment
    bool operator==(const HttpUrl&) const = default;
};

/// The result of splitting a URL.
struct UrlSplit {
    enum class Kind {
        http,       ///< an http URL; url holds its parts
        notHttp,    ///< a well-formed URL of another service (https, ftp, mailto...)
        unparsable, ///< no service, no host, a bad port, control characters or blanks
    };
    Kind kind = Kind::unparsable;
    HttpUrl url;
};

/// Splits @p text into service, host, port and object path. Only "scheme://" URLs with a host
/// count as well-formed; the scheme is compared without regard to case. User information before
/// '@' is dropped (the request never carries credentials) and so is a fragment after '#'.
[[nodiscard]] UrlSplit splitUrl(std::string_view text);

/// The number at the start of @p text the way atoi reads it: leading blanks (space, \t \n \v \f
/// \r) skipped, an optional sign, decimal digits up to the first non-digit; 0 when there are no
/// digits. Values beyond the int range are clamped to INT_MAX or INT_MIN.
[[nodiscard]] int atoiLike(std::string_view text) noexcept;

/// Whether the build number on @p versionLine is newer than @p ownBuild, both read by atoiLike
/// and compared as unsigned numbers. A negative number on the version line is never newer (as
/// an unsigned number it would look like a huge build).
[[nodiscard]] bool isNewerBuild(std::string_view versionLine,
                                std::string_view ownBuild = kOwnBuild) noexcept;

/// Reads a body as the line reads of the check do: each read takes up to kMaxLineLength
/// characters, ending after the first line feed; at most kMaxBodyLines reads are made. Feed the
/// body in pieces as it arrives; once full() is true nothing more is taken, so at most
/// kMaxBodyLines * kMaxLineLength bytes are ever held.
class BodyLines {
public:
    /// Takes bytes from the front of @p bytes until the reads are complete. Returns how many
    /// bytes were taken; fewer than @p bytes.size() only when full() has become true.
    std::size_t feed(std::string_view bytes);
    /// Ends the body: a last line without a line feed counts as a read.
    void finish();
    /// True when all kMaxBodyLines reads are complete; more body is of no interest.
    [[nodiscard]] bool full() const noexcept { return lines_ == kMaxBodyLines; }
    /// The complete reads so far (after finish(), including a last line without line feed).
    [[nodiscard]] int lines() const noexcept { return lines_; }
    /// The first read with its line end, empty when the body was empty.
    [[nodiscard]] const std::string& versionLine() const noexcept { return version_; }
    /// Reads 2 to 51 joined with their line ends.
    [[nodiscard]] const std::string& news() const noexcept { return news_; }

private:
    std::string& current() { return lines_ == 0 ? version_ : news_; }

    int lines_ = 0;
    std::size_t currentLength_ = 0; ///< characters of the read in progress
    std::string version_;
    std::string news_;
};

/// What one exchange with the server means for the check.
struct UpdateAnswer {
    enum class Kind {
        accessDenied,            ///< 401 on the first request
        redirect,                ///< 301, 302 or 303 with a usable http target in redirectTo
        redirectWithoutLocation, ///< a redirect that names no Location
        redirectUnparsable,      ///< the Location could not be split
        redirectNotHttp,         ///< the Location names another service
        serverError,             ///< any other status; the status is in status
        noNewVersion,            ///< 200, the first line is not a newer build
        newVersion,              ///< 200, the first line is a newer build; news holds the rest
    };
    Kind kind = Kind::serverError;
    int status = 0;
    HttpUrl redirectTo;
    std::string news;
};

/// Which request of the check an answer belongs to: only the first may redirect.
enum class Exchange { first, afterRedirect };

/// The meaning of a redirect's Location value: the text up to the first line feed with a
/// carriage return before it removed. Nothing: the answer named no Location.
[[nodiscard]] UpdateAnswer redirectTarget(std::optional<std::string_view> location);

/// Decides what an answer with @p status, the Location header @p location (nothing when absent)
/// and the start of its @p body means. The body is read as BodyLines does. After a redirect any
/// status but 200 is a server error, a 401 and a further redirect included.
[[nodiscard]] UpdateAnswer parseUpdateAnswer(int status, std::optional<std::string_view> location,
                                             std::string_view body,
                                             Exchange exchange = Exchange::first);

/// The same for a body already read into @p lines.
[[nodiscard]] UpdateAnswer decideUpdateAnswer(int status, std::optional<std::string_view> location,
                                              const BodyLines& lines, Exchange exchange);

} // namespace vorlex::update
