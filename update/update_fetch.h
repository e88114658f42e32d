// One GET of the update check over QtNetwork: the request headers, no automatic redirects, a
// time-out, and a body read no further than the check needs. The request runs in the caller's
// event loop and never waits in one of its own.
#pragma once

#include "update/update_answer.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;

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

/// Why a request brought no answer, where the user can be told more than the system's text.
enum class FetchFailure {
    none,         ///< answered
    refused,      ///< nothing accepted the connection
    hostNotFound, ///< the server's name is unknown
    noAnswer,     ///< the idle limit passed without an answer or new bytes
    tooSlow,      ///< the total limit passed
    other,        ///< any other network failure; the system's text says why
};

/// What one request brought back.
struct FetchResult {
    /// True when the server answered with a status; false on a network failure or time-out,
    /// with the text to show in error and the kind of failure in failure.
    bool answered = false;
    int status = 0;
    /// The Location header's value; nothing when the answer has none.
    std::optional<std::string> location;
    /// The start of the body, read only for status 200.
    BodyLines body;
    QString error;
    FetchFailure failure = FetchFailure::none;
};

/// The text shown when a request times out.
[[nodiscard]] QString timedOutText();

/// One GET for an URL through a manager with the agent name and the Accept header, no automatic
/// redirects. Reads the body of a 200 answer only until BodyLines is full, then drops the
/// connection; other answers are dropped after their headers. When the request ends, @p done
/// gets its result from the event loop, once; it may destroy the Fetch only with deleteLater().
/// Destroying a Fetch ends its request without a call.
class Fetch final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const FetchResult&)>;
    Fetch(QNetworkAccessManager& manager, const HttpUrl& url, const FetchLimits& limits, Done done,
          QObject* parent = nullptr);
    ~Fetch() override;
    Fetch(const Fetch&) = delete;
    Fetch& operator=(const Fetch&) = delete;

private:
    void metaDataChanged();
    void readyRead();
    void readBody();
    void timeOut(FetchFailure failure);
    void end();

    std::unique_ptr<QNetworkReply> reply_;
    Done done_;
    QTimer idle_;
    QTimer total_;
    FetchResult result_;
    FetchFailure timedOut_ = FetchFailure::none;
    bool haveStatus_ = false;
    bool ended_ = false;
};

/// A network access manager for the check: the system's proxy settings, no cookies kept.
/// The caller owns it.
[[nodiscard]] QNetworkAccessManager* newUpdateNetworkManager();

} // namespace vorlex::update
