// Saves pictures of the batch dialog in both languages, idle, half-way through a batch, after
// one (with its summary line), with the Auto entry chosen, and the results window after an
// automatic batch of a mixed folder:
//   tools_batch_screenshot OUT_DIR
// writes OUT_DIR/batch-{idle,running,done,auto,auto-list,auto-done,results}-{en,ru}.png.
#include "engine/cp1251.h"
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/mojibake.h"
#include "tests/support/queued_prompter.h"
#include "tools/batch_dialog.h"
#include "tools/batch_dialog_texts.h"
#include "tools/batch_results_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// A folder broken in several ways: KOI8-R, CP866 and UTF-8 mojibake files, a correct one, a
// binary one.
QStringList mixedFolder(const QDir& folder) {
    const QByteArray win("\xCF\xF0\xE8\xE2\xE5\xF2, \xEA\xE0\xEA \xE4\xE5\xEB\xE0? "
                         "\xD7\xF2\xEE \xED\xEE\xE2\xEE\xE3\xEE \xE2 \xE3\xEE\xF0\xEE\xE4\xE5?\n");
    QByteArray koi, alt;
    for (const char c : win) {
        const auto b = static_cast<unsigned char>(c);
        static const char* const koiLetters =
            "\xE1\xE2\xF7\xE7\xE4\xE5\xF6\xFA\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0"
            "\xF2\xF3\xF4\xF5\xE6\xE8\xE3\xFE\xFB\xFD\xFF\xF9\xF8\xFC\xE0\xF1"
            "\xC1\xC2\xD7\xC7\xC4\xC5\xD6\xDA\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0"
            "\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1";
        koi.push_back(b >= 0xC0 ? koiLetters[b - 0xC0] : c);
        alt.push_back(static_cast<char>(b < 0xC0 ? b : b < 0xF0 ? b - 0x40 : b - 0x10));
    }
    // UTF-8 pages opened as Windows-1251; the second holds characters Windows-1251 lacks.
    const std::string utf8 = vorlex::engine::win1251ToUtf8(win.repeated(20).toStdString());
    const auto misread = [](const std::string& text) {
        return QByteArray::fromStdString(
            vorlex::test::misread(text, {}, vorlex::engine::DisplayPage::windows1251));
    };
    const std::pair<const char*, QByteArray> files[] = {
        {"letter-from-moscow.txt", koi.repeated(20)},
        {"correct.txt", win.repeated(20)},
        {"old-dos-note.txt", alt.repeated(20)},
        {"picture.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + win},
        {"web-page.txt", misread(utf8)},
        {"cafe-menu.txt", misread(utf8 + "Café ☕\n")},
    };
    QStringList paths;
    for (const auto& [name, bytes] : files) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        paths.push_back(file.fileName());
    }
    return paths;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tools_batch_screenshot OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    int status = 0;
    for (int language : {1, 0}) {
        vorlex::store::MemorySettingsStore store;
        vorlex::store::writeBuiltInSchemes(store);
        vorlex::store::writeSetting(store, vorlex::store::kLanguage, language);
        vorlex::store::writeSetting(store, vorlex::store::kLastScheme, "Koi->Win");
        vorlex::testing::QueuedPrompter prompter;
        vorlex::tools::BatchDialog dialog(store, prompter);
        const QString suffix = language != 0 ? QStringLiteral("en") : QStringLiteral("ru");
        QTimer::singleShot(300, &dialog, [&] {
            if (!dialog.grab().save(out.filePath("batch-idle-" + suffix + ".png")))
                status = 1;
            auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progressBar"));
            progress->setRange(0, 3);
            progress->setValue(2);
            if (!dialog.grab().save(out.filePath("batch-running-" + suffix + ".png")))
                status = 1;

            // A real batch: one file converted, one gone.
            const QTemporaryDir work;
            QFile source(work.filePath(QStringLiteral("a.txt")));
            if (!source.open(QIODevice::WriteOnly) || source.write("\xf0\xd2\xc9\xd7\xc5\xd4") != 6)
                status = 1;
            source.close();
            const QString gone = work.filePath(QStringLiteral("gone.txt"));
            const auto lang = vorlex::store::languageOf(language);
            using vorlex::tools::BatchText;
            prompter.expectOpenFiles(batchText(BatchText::selectFilesTitle, lang),
                                     QStringList{source.fileName(), gone});
            prompter.expectFolder(batchText(BatchText::selectFolderTitle, lang),
                                  work.path() + QStringLiteral("/out"));
            QDir(work.path()).mkdir(QStringLiteral("out"));
            prompter.expectQuestionWithReason(batchText(BatchText::cantOpenFile, lang).arg(gone),
                                              vorlex::chrome::Answer::no);
            dialog.convert();
            if (!dialog.grab().save(out.filePath("batch-done-" + suffix + ".png")))
                status = 1;

            progress->setValue(0);
            auto* box = dialog.findChild<QComboBox*>(QStringLiteral("schemeBox"));
            box->setCurrentIndex(box->count() - 1);
            if (!dialog.grab().save(out.filePath("batch-auto-" + suffix + ".png")))
                status = 1;
            box->showPopup();
            if (!box->view()->window()->grab().save(
                    out.filePath("batch-auto-list-" + suffix + ".png")))
                status = 1;
            box->hidePopup();

            // Windows-1251 output, so that the list shows a repair through Unicode it cannot hold.
            vorlex::store::writeSetting(store, vorlex::store::kOutputEncoding, 0);
            const QTemporaryDir mixed;
            QDir(mixed.path()).mkdir(QStringLiteral("out"));
            prompter.expectOpenFiles(batchText(BatchText::selectFilesTitle, lang),
                                     mixedFolder(QDir(mixed.path())));
            prompter.expectFolder(batchText(BatchText::selectFolderTitle, lang),
                                  mixed.filePath(QStringLiteral("out")));
            dialog.convert();
            if (!dialog.grab().save(out.filePath("batch-auto-done-" + suffix + ".png")))
                status = 1;
            auto* results = dialog.findChild<vorlex::tools::BatchResultsDialog*>();
            if (!results || !results->grab().save(out.filePath("batch-results-" + suffix + ".png")))
                status = 1;
            dialog.accept();
        });
        dialog.exec();
        for (const QString& problem : prompter.problems()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
            status = 1;
        }
    }
    return status;
}
