// One GET of the update check over QtNetwork: the request headers, no automatic redirects, a
// time-out, and a body read no further than the check needs.
#pragma once

#include "update/update_answer.h"

#include <QString>
#include <chrono>
#include <optional>
#include <string>

class QNetworkAccessManager;

namespace vorlex::update {

/// How long a request may wait. A request without limits could wait for ever on a server that
/// accepts and never answers; these bound the wait.
struct FetchLimits {
    /// The longest time without any answer or new body bytes.
    std::chrono::milliseconds idle{15000};
    /// The longest time one request may take in all, so that a server trickling bytes cannot
    /// hold the program either.
    std::chrono::milliseconds total{60000};
};

/// What one request brought back.
struct FetchResult {
    /// True when the server answered with a status; false on a network failure or time-out,
    /// with the text to show in error.
    bool answered = false;
    int status = 0;
    /// The Location header's value; nothing when the answer has none.
    std::optional<std::string> location;
    /// The start of the body, read only for status 200.
    BodyLines body;
    QString error;
};

/// The text shown when a request times out.
[[nodiscard]] QString timedOutText();

/// Sends one GET for @p url through @p manager with the agent name and the Accept header, no
/// automatic redirects, and waits for the answer in a local event loop that leaves out user
/// input (timers, sockets and painting go on). Reads the body of a 200 answer only until
/// BodyLines is full, then drops the connection; other answers are dropped after their headers.
[[nodiscard]] FetchResult fetchOnce(QNetworkAccessManager& manager, const HttpUrl& url,
                                    const FetchLimits& limits);

/// A network access manager for the check: the system's proxy settings, no cookies kept.
/// The caller owns it.
[[nodiscard]] QNetworkAccessManager* newUpdateNetworkManager();

} // namespace vorlex::update
