// Not a test: saves pictures of the settings dialog and the two scheme dialogs in both
// languages into the folder named on the command line, for a look at their layout.
#include "schemes/scheme_commands.h"
#include "schemes/scheme_editor_dialog.h"
#include "schemes/scheme_name_dialog.h"
#include "setup/settings_dialog.h"
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <array>
#include <cstdio>

using namespace vorlex;

namespace {

bool save(QWidget& window, const QString& path) {
    window.show();
    QApplication::processEvents();
    // The whole window with its frame when the platform has one, otherwise the widget.
    QPixmap shot = window.screen()->grabWindow(
        0, window.frameGeometry().x(), window.frameGeometry().y(), window.frameGeometry().width(),
        window.frameGeometry().height());
    if (shot.isNull() || shot.width() < window.width())
        shot = window.grab();
    window.hide();
    return shot.save(path);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlex II"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    testing::QueuedPrompter prompter;
    bool ok = true;
    for (int language : {0, 1}) {
        const QString suffix = language == 0 ? QStringLiteral("ru") : QStringLiteral("en");
        store::MemorySettingsStore store;
        store::writeBuiltInSchemes(store);
        store::writeSetting(store, store::kFlag, 1);
        store::writeSetting(store, store::kLanguage, language);
        store::SchemeList list;
        list.assign(store::refreshCatalogue(store).schemes);
        list.selectNumber(14);

        {
            setup::SettingsDialog dialog(store, prompter);
            ok &= save(dialog, folder + QStringLiteral("/setup-settings-%1.png").arg(suffix));
            dialog.done(QDialog::Accepted);
        }
        {
            schemes::SchemeEditorDialog dialog(store::EditorMode::edit,
                                               {list.selectedName(), list.selectedNumber()}, store,
                                               prompter);
            ok &= save(dialog, folder + QStringLiteral("/setup-editor-%1.png").arg(suffix));
        }
        {
            const std::array<int, 5> chain{8, -2, -1, -1, -1};
            schemes::SchemeNameDialog dialog(QStringLiteral("kw wl "), chain, store, prompter);
            dialog.nameEdit()->setText(QStringLiteral("Koi->Latinica"));
            ok &= save(dialog, folder + QStringLiteral("/setup-name-%1.png").arg(suffix));
        }
    }
    if (!prompter.problems().isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(prompter.problems().join(QLatin1Char('\n'))));
    return ok ? 0 : 1;
}
