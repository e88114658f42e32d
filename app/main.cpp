// vorlex: the main window; an optional file argument becomes the first source.
#include "app/main_window.h"
#include "chrome/prompter.h"
#include "store/qsettings_store.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <optional>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlex II"));
    // The standard buttons of message boxes and pickers speak the desktop's language, as the
    // system's own boxes do (when Qt's translations are installed).
    QTranslator standardTexts;
    if (standardTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&standardTexts);
    const std::unique_ptr<vorlex::store::SettingsStore> store = vorlex::store::openUserSettings();
    vorlex::chrome::QtPrompter prompter;

    std::optional<QString> file;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        file = arguments.at(1);

    vorlex::app::MainWindow window(*store, prompter, file);
    window.exec();
    return 0;
}
