// vorlex: the main window; an optional file argument becomes the first source.
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "chrome/prompter.h"
#include "store/qsettings_store.h"
#include "store/settings_keys.h"

#include <QApplication>
#include <QStringList>
#include <memory>
#include <optional>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlex II"));
    const std::unique_ptr<vorlex::store::SettingsStore> store = vorlex::store::openUserSettings();
    // The standard buttons and pickers speak the window's language, not the desktop's.
    vorlex::app::applyQtTranslations(vorlex::store::readSetting(*store, vorlex::store::kLanguage));
    vorlex::chrome::QtPrompter prompter;

    std::optional<QString> file;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        file = arguments.at(1);

    vorlex::app::MainWindow window(*store, prompter, file);
    window.exec();
    return 0;
}
