#include "chrome/link_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace vorlex::chrome {

QList<QStringList> browserCommands(const QString& browserVariable, const QString& address) {
    QList<QStringList> commands;
    for (const QString& entry : browserVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        QStringList words = QProcess::splitCommand(entry);
        if (words.isEmpty())
            continue;
        bool placed = false;
        for (QString& word : words) {
            if (placed)
                break;
            for (const QLatin1String placeholder : {QLatin1String("%s"), QLatin1String("%1")}) {
                const qsizetype at = word.indexOf(placeholder);
                if (at >= 0) {
                    word.replace(at, placeholder.size(), address);
                    placed = true;
                    break;
                }
            }
        }
        if (!placed)
            words.push_back(address);
        commands.push_back(words);
    }
    return commands;
}

QString linkFailureText(int error) {
    QString reason;
    switch (error) {
    case 0:
        reason = QStringLiteral("The operating system is out\nof memory or resources.");
        break;
    case 2:
        reason = QStringLiteral("The specified file was not found.");
        break;
    case 3:
        reason = QStringLiteral("The specified path was not found.");
        break;
    case 5:
        reason = QStringLiteral("The operating system denied\naccess to the specified file.");
        break;
    case 8:
        reason = QStringLiteral("There was not enough memory to complete the operation.");
        break;
    case 11:
        reason =
            QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        break;
    case 26:
        reason = QStringLiteral("A sharing violation occurred. ");
        break;
    case 27:
        reason = QStringLiteral("The filename association is\nincomplete or invalid.");
        break;
    case 28:
        reason = QStringLiteral(
            "The DDE transaction could not\nbe completed because the request timed out.");
        break;
    case 29:
        reason = QStringLiteral("The DDE transaction failed.");
        break;
    case 30:
        reason = QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                                "transactions\nwere being processed.");
        break;
    case 31:
        reason = QStringLiteral(
            "There is no application associated\nwith the given filename extension.");
        break;
    case 32:
        reason = QStringLiteral("The specified dynamic-link library was not found.");
        break;
    default:
        reason = QStringLiteral("Unknown Error (%1) occurred.").arg(error);
        break;
    }
    return QStringLiteral("Unable to open hyperlink:\n\n") + reason;
}

SystemLinkOpener::Steps SystemLinkOpener::systemSteps() {
    Steps steps;
    steps.desktop = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    steps.start = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    steps.browserVariable = [] { return qEnvironmentVariable("BROWSER"); };
    return steps;
}

LinkOpenResult SystemLinkOpener::open(const QString& address) {
    const QUrl url(address);
    if (address.trimmed().isEmpty() || !url.isValid())
        return LinkOpenResult{false, linkFileNotFound};
    if (steps_.desktop && steps_.desktop(url))
        return LinkOpenResult{true, 0};
    if (steps_.start) {
        const QString variable = steps_.browserVariable ? steps_.browserVariable() : QString();
        for (QStringList command : browserCommands(variable, address)) {
            const QString program = command.takeFirst();
            if (steps_.start(program, command))
                return LinkOpenResult{true, 0};
        }
        if (!steps_.xdgOpen.isEmpty() && steps_.start(steps_.xdgOpen, QStringList{address}))
            return LinkOpenResult{true, 0};
    }
    return LinkOpenResult{false, linkNoAssociation};
}

} // namespace vorlex::chrome
