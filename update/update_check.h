// The update check behind the toolbar command 32790 ("Check the new versions"): one GET for the
// update URL, at most one redirect followed, and the answer told to the user. The check runs in
// the event loop of the window: the window keeps painting and taking input while it waits.
#pragma once

#include "store/language.h"
#include "update/update_fetch.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QNetworkAccessManager;
class QWidget;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::update {

/// How a check ended; each kind but cancelled is one message to the user.
struct UpdateOutcome {
    enum class Kind {
        badUrl,                  ///< the update URL is not an http URL
        accessDenied,            ///< 401 on the first request
        redirectWithoutLocation, ///< a redirect without Location
        redirectUnparsable,      ///< a redirect to a URL that cannot be split
        redirectNotHttp,         ///< a redirect to another service
        serverError,             ///< any other status than 200; status holds it
        networkError,            ///< no answer: errorText and failure say why
        noNewVersion,            ///< the answer names no newer build
        newVersion,              ///< a newer build; news holds lines 2 to 51 of the answer
        cancelled,               ///< the user ended the wait; nothing is told
    };
    Kind kind = Kind::networkError;
    int status = 0;
    QString errorText;
    QString news;
    /// The address the failure concerns: the update URL, or the redirect's target.
    QString address;
    FetchFailure failure = FetchFailure::none;
    /// For a time-out, the limit that passed.
    std::chrono::milliseconds limit{0};
};

/// The URL the check asks: VORLEX_UPDATE_URL when it is set and not empty, else
/// kDefaultUpdateUrl.
[[nodiscard]] QString updateUrl();

/// Decodes the news as UTF-8 when it is valid UTF-8, otherwise as Windows-1251, the program's
/// own 8-bit code page.
[[nodiscard]] QString newsText(const std::string& bytes);

/// One check at a time, without telling the user anything. Each check uses its own
/// connections; destroying the object ends a running check without a signal.
class UpdateCheck final : public QObject {
    Q_OBJECT
public:
    explicit UpdateCheck(QObject* parent = nullptr);
    ~UpdateCheck() override;
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    /// Asks @p url, ending a check still running first (without a signal). finished() follows
    /// once, from the event loop, also for a URL that is not an http URL.
    void start(const QString& url, const FetchLimits& limits = {});
    /// Ends a running check at once; finished() comes at once with Kind::cancelled. Does
    /// nothing when no check runs.
    void cancel();
    [[nodiscard]] bool running() const noexcept { return running_; }

signals:
    /// The check has ended. A receiver may start the next check or delete the object with
    /// deleteLater().
    void finished(const vorlex::update::UpdateOutcome& outcome);

private:
    void firstAnswered(const FetchResult& result);
    void secondAnswered(const FetchResult& result);
    void finish(UpdateOutcome outcome);

    std::unique_ptr<QNetworkAccessManager> manager_;
    std::unique_ptr<Fetch> fetch_; ///< after manager_: its request goes first
    QString url_;
    QString redirectAddress_;
    FetchLimits limits_;
    bool running_ = false;
    unsigned generation_ = 0; ///< tells a queued end of an earlier check from the current one
};

/// Tells the user what @p outcome means, through @p prompter: the failures with the exclamation
/// icon, their first line in English, then the address and the reason in the interface language
/// @p language; the results in the interface language; a new
/// version asks whether to show the news and shows them on Yes. A cancelled check tells nothing.
void showUpdateOutcome(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                       const UpdateOutcome& outcome);

/// Options of startUpdateCheck; the defaults are what the program uses.
struct UpdateCheckOptions {
    QString url = updateUrl();
    FetchLimits limits;
};

/// The toolbar command: starts a check and returns at once. While the check waits, a small
/// progress box with Cancel shows over @p parent, which keeps working; at the end the result is
/// told over @p parent, then @p ended is called (after Cancel too). The check and the box belong
/// to @p parent: destroying it ends the check silently, without calling @p ended. Returns the
/// running check.
UpdateCheck* startUpdateCheck(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                              const UpdateCheckOptions& options = {},
                              std::function<void()> ended = {});

} // namespace vorlex::update
