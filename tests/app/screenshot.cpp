// Saves a picture of the main window after an automatic recoding of a file:
//   app_screenshot OUT.png LANGUAGE FILE [refined]
// (LANGUAGE 0 Russian, 1 English; "refined" turns the refined order on). Uses a fresh settings
// file beside OUT.png.
#include "app/main_window.h"
#include "store/qsettings_store.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool refined = argc == 5 && QString::fromLocal8Bit(argv[4]) == QStringLiteral("refined");
    if (argc != 4 && !refined) {
        std::fprintf(stderr, "usage: app_screenshot OUT.png LANGUAGE FILE [refined]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString ini = out + QStringLiteral(".ini");
    QFile::remove(ini);
    vorlex::store::QSettingsStore store(ini.toStdString());
    vorlex::store::writeSetting(store, vorlex::store::kLanguage, std::atoi(argv[2]));
    vorlex::store::writeSetting(store, vorlex::store::kRefineRanking, refined ? 1 : 0);
    vorlex::testing::QueuedPrompter prompter;
    vorlex::app::MainWindow window(store, prompter, QString::fromLocal8Bit(argv[3]));
    window.show();
    int status = 1;
    auto save = [&] {
        window.activateWindow();
        QTimer::singleShot(300, &window, [&] {
            status = window.grab().save(out) ? 0 : 1;
            window.accept();
        });
    };
    if (window.passRunning())
        QObject::connect(&window, &vorlex::app::MainWindow::passFinished, &window, save);
    else
        save();
    window.exec();
    QFile::remove(ini);
    for (const QString& problem : prompter.problems())
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    return status;
}
