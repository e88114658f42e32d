// The update check behind the toolbar command 32790 ("Check the new versions"): one GET for the
// update URL, at most one redirect followed, and the answer told to the user.
#pragma once

#include "store/language.h"
#include "update/update_fetch.h"

#include <QString>
#include <string>

class QWidget;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::update {

/// How a check ended; each kind is one message to the user.
struct UpdateOutcome {
    enum class Kind {
        badUrl,                  ///< the update URL is not an http URL
        accessDenied,            ///< 401 on the first request
        redirectWithoutLocation, ///< a redirect without Location
        redirectUnparsable,      ///< a redirect to a URL that cannot be split
        redirectNotHttp,         ///< a redirect to another service
        serverError,             ///< any other status than 200; status holds it
        networkError,            ///< no answer: errorText says why
        noNewVersion,            ///< the answer names no newer build
        newVersion,              ///< a newer build; news holds lines 2 to 51 of the answer
    };
    Kind kind = Kind::networkError;
    int status = 0;
    QString errorText;
    QString news;
};

/// The URL the check asks: VORLEX_UPDATE_URL when it is set and not empty, else
/// kDefaultUpdateUrl.
[[nodiscard]] QString updateUrl();

/// Runs the check against @p url without telling the user anything; waits in a local event loop
/// that leaves out user input, so windows keep painting. Each check uses its own connections.
[[nodiscard]] UpdateOutcome checkForUpdate(const QString& url, const FetchLimits& limits = {});

/// Decodes the news as UTF-8 when it is valid UTF-8, otherwise as Windows-1251, the program's
/// own 8-bit code page.
[[nodiscard]] QString newsText(const std::string& bytes);

/// Tells the user what @p outcome means, through @p prompter: the failures in English with the
/// exclamation icon, the results in the interface language @p language (0 Russian, anything else
/// English); a new version asks whether to show the news and shows them on Yes.
void showUpdateOutcome(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                       const UpdateOutcome& outcome);

/// Options of runUpdateCheck; the defaults are what the program uses.
struct UpdateCheckOptions {
    QString url = updateUrl();
    FetchLimits limits;
};

/// The toolbar command: checks with the wait cursor shown and user input held back, then tells
/// the user the result over @p parent. Returns when the user has seen every message. @p parent
/// may be destroyed while the check waits; the messages then have no parent.
void runUpdateCheck(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                    const UpdateCheckOptions& options = {});

} // namespace vorlex::update
