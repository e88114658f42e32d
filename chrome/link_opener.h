// Opening a web address in the user's browser, with the fallbacks of a desktop that knows no
// handler for it, and the words for each failure.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QUrl;

namespace vorlex::chrome {

/// Error numbers of a failed opening, as the link's failure texts know them.
inline constexpr int linkFileNotFound = 2;
inline constexpr int linkNoAssociation = 31;

struct LinkOpenResult {
    bool opened = false;
    int error = 0; ///< meaningful only when nothing was opened
};

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    /// Opens @p address in a browser.
    virtual LinkOpenResult open(const QString& address) = 0;
};

/// The browser commands of a BROWSER variable (entries separated by ':'), each as a program
/// and its arguments with @p address in place of the first "%s" or "%1" placeholder (quotes
/// around it go, as the command is split), or as a last argument when there is none. The
/// address is always one argument of its own, never read by a shell.
[[nodiscard]] QList<QStringList> browserCommands(const QString& browserVariable,
                                                 const QString& address);

/// "Unable to open hyperlink:\n\n" and the text for @p error.
[[nodiscard]] QString linkFailureText(int error);

/// The desktop's handler first (QDesktopServices), then each command of the BROWSER variable,
/// then xdg-open. Nothing started: error 31 (no application associated).
class SystemLinkOpener final : public LinkOpener {
public:
    /// How each step is carried out; tests replace them so that no real browser starts.
    struct Steps {
        std::function<bool(const QUrl&)> desktop;
        std::function<bool(const QString& program, const QStringList& arguments)> start;
        std::function<QString()> browserVariable;
        QString xdgOpen = QStringLiteral("xdg-open");
    };
    /// The real steps: QDesktopServices::openUrl, QProcess::startDetached, $BROWSER.
    [[nodiscard]] static Steps systemSteps();

    SystemLinkOpener() : steps_(systemSteps()) {}
    explicit SystemLinkOpener(Steps steps) : steps_(std::move(steps)) {}

    LinkOpenResult open(const QString& address) override;

private:
    Steps steps_;
};

} // namespace vorlex::chrome
