// Pictures of the window chrome for a look by eye: each caption variant, the About box in both
// languages and the title tip over a list. Usage: chrome_screenshot <folder>
#include "chrome/about_dialog.h"
#include "chrome/caption_bar.h"
#include "chrome/captioned_dialog.h"
#include "chrome/dialog_units.h"
#include "chrome/link_opener.h"
#include "chrome/title_tip.h"
#include "chrome/variant_list_box.h"
#include "tests/support/queued_prompter.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

using namespace vorlex;

namespace {

class NoOpener final : public chrome::LinkOpener {
public:
    chrome::LinkOpenResult open(const QString&) override { return {false, 31}; }
};

void settle() {
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

bool save(QWidget& window, const QString& path) {
    window.show();
    settle();
    return window.grab().save(path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    bool ok = true;

    const struct {
        chrome::CaptionVariant variant;
        const char* name;
        const char* title;
    } variants[] = {
        {chrome::CaptionVariant::main, "caption-main", "Vorlex II"},
        {chrome::CaptionVariant::dialog, "caption-dialog", "Установки"},
        {chrome::CaptionVariant::tool, "caption-tool", "About program"},
    };
    for (const auto& v : variants) {
        for (const bool active : {true, false}) {
            chrome::CaptionedDialog dialog(v.variant);
            dialog.setWindowTitle(QString::fromUtf8(v.title));
            if (v.variant == chrome::CaptionVariant::main)
                dialog.setWindowIcon(QIcon(QStringLiteral(":/res/vorlex_logo.svg")));
            dialog.setBodySize(QSize(360, 60));
            auto* label = new QLabel(QStringLiteral("Body of the window"), dialog.body());
            label->setGeometry(10, 10, 300, 20);
            dialog.show();
            settle();
            if (dialog.captionBar())
                dialog.captionBar()->setActive(active);
            ok &= dialog.grab().save(
                folder + QStringLiteral("/chrome-%1-%2.png")
                             .arg(QString::fromLatin1(v.name),
                                  active ? QStringLiteral("active") : QStringLiteral("inactive")));
        }
    }
    // A title longer than the caption is cut at its right end.
    {
        chrome::CaptionedDialog dialog(chrome::CaptionVariant::dialog);
        dialog.setWindowTitle(QStringLiteral("A very long title that does not fit into the "
                                             "caption of this small dialog at all"));
        dialog.setBodySize(QSize(240, 40));
        ok &= save(dialog, folder + QStringLiteral("/chrome-caption-long-title.png"));
    }

    NoOpener opener;
    testing::QueuedPrompter prompter;
    for (const int language : {0, 1}) {
        chrome::AboutDialog about(vorlex::store::languageOf(language), prompter, opener);
        ok &= save(about,
                   folder + QStringLiteral("/chrome-about-%1.png")
                                .arg(language == 0 ? QStringLiteral("ru") : QStringLiteral("en")));
    }

    // The title tip over a list: the screen region holding both.
    {
        chrome::VariantListBox list;
        list.setGeometry(100, 100, 420, 160);
        list.addItems({QStringLiteral("Привет, как дела? Это перекодированный текст..."),
                       QStringLiteral("Second variant line")});
        list.show();
        list.activateWindow();
        settle();
        chrome::TitleTip& tip = list.titleTip();
        const QPoint pointer = list.mapToGlobal(QPoint(30, 8));
        tip.setPointerProbe([pointer] { return pointer; });
        tip.setFocusProbe([] { return true; });
        list.showTitleTip(QStringLiteral(
            "Привет, как дела? Это перекодированный текст, который показывается целиком во "
            "всплывающей подсказке, с переносом по словам в пределах ширины списка и обрезкой "
            "по его высоте. Текст может быть длинным, и тогда он обрезается по высоте списка, "
            "чтобы подсказка не закрывала весь экран."));
        settle();
        ok &= tip.grab().save(folder + QStringLiteral("/chrome-title-tip.png"));
        const QRect region = list.frameGeometry().united(tip.geometry()).adjusted(-10, -10, 10, 10);
        ok &= QGuiApplication::primaryScreen()
                  ->grabWindow(0, region.x(), region.y(), region.width(), region.height())
                  .save(folder + QStringLiteral("/chrome-title-tip-screen.png"));
    }
    return ok ? 0 : 1;
}
