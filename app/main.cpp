// vorlex: the main window; an optional file argument becomes the first source.
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "chrome/prompter.h"
#include "store/qsettings_store.h"
#include "store/settings.h"
#include "vorlex_version.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// The manual page vorlex(1) says the same at length; the install test holds the two together.
constexpr char kHelpText[] = R"(Usage: vorlex [FILE]

Repairs Russian text stored in the wrong Cyrillic 8-bit encoding: the window.
FILE, when given, is the first source; with "Auto recode file" on in the
settings it is recoded at once. Text also comes from a file chosen or dropped
onto the window, or from the clipboard.

Options:
  -h, --help   print this help and exit
  --version    print the version and exit
The standard Qt options (such as -platform, -style) are accepted as well.

Files:
  ~/.config/Quillmark/VORLEX.INI.conf  the settings and schemes, written when
                                       they change (with a .lock beside it)

Environment:
  VORLEX_SETTINGS    an INI file to use for the settings and schemes instead
  VORLEX_UPDATE_URL  the address the update check asks instead of
                     http://update.vorlex.example/vorlex/update
  BROWSER            the program that opens the links of the About box
)";

// --help and --version are answered before Qt starts, so they need no display.
std::optional<int> answerInformationOption(int argc, char* argv[]) {
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        std::fputs(kHelpText, stdout);
    else if (std::strcmp(argv[1], "--version") == 0)
        std::fputs("vorlex " VORLEX_VERSION "\n", stdout);
    else
        return std::nullopt;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerInformationOption(argc, argv))
        return *status;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlex II"));
    // On Wayland the window is matched to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(
        QString::fromUtf8(vorlex::kAppId.data(), static_cast<qsizetype>(vorlex::kAppId.size())));
    const std::unique_ptr<vorlex::store::SettingsStore> store = vorlex::store::openUserSettings();
    // The standard buttons and pickers speak the window's language, not the desktop's.
    vorlex::app::applyQtTranslations(vorlex::store::readLanguage(*store));
    vorlex::chrome::QtPrompter prompter;

    std::optional<QString> file;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        file = arguments.at(1);

    vorlex::app::MainWindow window(*store, prompter, file);
    window.exec();
    return 0;
}
