// Saves pictures of the preview window in document and source mode, both languages:
//   tools_preview_screenshot OUT_DIR
// writes OUT_DIR/preview-{document,source,unicode,unencodable}-{en,ru}.png.
#include "chrome/prompter.h"
#include "engine/cp1251.h"
#include "engine/recode.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"
#include "tools/preview_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tools_preview_screenshot OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::string win = vorlex::engine::win1251Literal(
        "Привет, мир! Как у вас дела? Мы были дома все вместе, и он нам не сказал, что она "
        "уже тут.\r\nВторая строка письма: завтра в десять у входа.\r\n\r\nС уважением,\r\nИван");
    // The document as it arrived: Windows-1251 text sent as KOI8-R.
    std::vector<std::uint8_t> koi(win.size() * 2);
    const auto result = vorlex::engine::recodeDocument(
        {reinterpret_cast<const std::uint8_t*>(win.data()), win.size()}, koi,
        vorlex::engine::parseAction("wk"), {});
    koi.resize(result.length);

    int status = 0;
    for (int language : {1, 0}) {
        vorlex::store::MemorySettingsStore store;
        vorlex::store::writeSetting(store, vorlex::store::kLanguage, language);
        vorlex::testing::QueuedPrompter prompter;
        for (bool source : {false, true}) {
            vorlex::tools::PreviewInputs inputs;
            inputs.sourceMode = source;
            inputs.documentData = std::make_shared<const std::string>(koi.begin(), koi.end());
            inputs.filters = vorlex::engine::parseAction("kw");
            inputs.actionText = QStringLiteral("Koi->Win  ");
            inputs.shownText.assign(koi.begin(), koi.end());
            vorlex::tools::PreviewCallbacks callbacks;
            callbacks.putOnClipboard = [](std::span<const std::uint8_t>) {};
            callbacks.saveAsScheme = [](QWidget*, const QString&,
                                        const vorlex::engine::FilterList&) {};
            vorlex::tools::PreviewDialog dialog(store, prompter, inputs, callbacks);
            const QString name =
                QStringLiteral("preview-%1-%2.png")
                    .arg(source ? QStringLiteral("source") : QStringLiteral("document"),
                         language != 0 ? QStringLiteral("en") : QStringLiteral("ru"));
            QTimer::singleShot(300, &dialog, [&] {
                if (!dialog.grab().save(out.filePath(name)))
                    status = 1;
                dialog.accept();
            });
            dialog.exec();
        }
        for (const QString& problem : prompter.problems())
            std::fprintf(stderr, "%s\n", qPrintable(problem));

        // A repair through Unicode, and the question its Windows-1251 file asks.
        vorlex::store::writeSetting(store, vorlex::store::kOutputEncoding, 0);
        vorlex::chrome::QtPrompter real;
        // The box's standard buttons in the window's language, as the program loads them.
        QTranslator qtbase;
        if (language == 0 && qtbase.load(QStringLiteral("qtbase_ru"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtbase);
        vorlex::tools::PreviewInputs unicode;
        unicode.documentIsUnicode = true;
        unicode.documentData = std::make_shared<const std::string>(
            vorlex::engine::win1251ToUtf8(win) + "\r\nP.S. Кафе «Café» — ☕ и 😀.");
        unicode.actionText = QStringLiteral("Unicode->Win  UTF-8->Unicode  ");
        vorlex::tools::PreviewCallbacks callbacks;
        callbacks.putTextOnClipboard = [](const QString&) {};
        vorlex::tools::PreviewDialog dialog(store, real, unicode, callbacks);
        const QString suffix = language != 0 ? QStringLiteral("en") : QStringLiteral("ru");
        QTimer::singleShot(300, &dialog, [&] {
            if (!dialog.grab().save(out.filePath("preview-unicode-" + suffix + ".png")))
                status = 1;
            QTimer::singleShot(300, &dialog, [&] {
                QWidget* box = QApplication::activeModalWidget();
                if (box == nullptr || box == &dialog ||
                    !box->grab().save(out.filePath("preview-unencodable-" + suffix + ".png")))
                    status = 1;
                if (auto* question = qobject_cast<QDialog*>(box); question && box != &dialog)
                    question->reject(); // No: nothing is written
            });
            dialog.writeDocumentToFile();
            dialog.accept();
        });
        dialog.exec();
    }
    return status;
}
