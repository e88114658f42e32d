// Saves pictures of the batch dialog in both languages, idle, half-way through a batch and
// after one (with its summary line):
//   tools_batch_screenshot OUT_DIR
// writes OUT_DIR/batch-{idle,running,done}-{en,ru}.png.
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"
#include "tools/batch_dialog.h"
#include "tools/batch_dialog_texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

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
