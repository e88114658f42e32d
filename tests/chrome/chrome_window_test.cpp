// The window chrome on screen (offscreen platform): the caption bar of each variant, the title
// tip and the variant list, the hyperlink with real browser commands, the About box.
#include "chrome/about_dialog.h"
#include "chrome/about_dialog_texts.h"
#include "chrome/caption_bar.h"
#include "chrome/captioned_dialog.h"
#include "chrome/hyperlink_label.h"
#include "chrome/link_opener.h"
#include "chrome/title_tip.h"
#include "chrome/variant_list_box.h"
#include "tests/support/queued_prompter.h"
#include "vorlex_version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace vorlex;
using chrome::CaptionBar;
using chrome::CaptionedDialog;
using chrome::CaptionVariant;

namespace {

// An opener that records each address and answers with a set result.
class FakeOpener final : public chrome::LinkOpener {
public:
    chrome::LinkOpenResult result{true, 0};
    QStringList addresses;
    chrome::LinkOpenResult open(const QString& address) override {
        addresses.push_back(address);
        return result;
    }
};

// Refuses reject(), as the main window does, and closes from its close event instead.
class RefusesReject final : public CaptionedDialog {
public:
    RefusesReject() : CaptionedDialog(CaptionVariant::main) {}
    int closeEvents = 0;
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeEvents;
        done(QDialog::Rejected);
        event->accept();
    }
};

QString writeScript(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    // Writes its first argument to <name>.out next to itself.
    file.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.out\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

chrome::SystemLinkOpener::Steps stepsWithoutDesktop() {
    chrome::SystemLinkOpener::Steps steps = chrome::SystemLinkOpener::systemSteps();
    steps.desktop = [](const QUrl&) { return false; };
    return steps;
}

} // namespace

class ChromeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qunsetenv("BROWSER"); }

    void captionBarOfEachVariant() {
        for (const auto variant :
             {CaptionVariant::main, CaptionVariant::dialog, CaptionVariant::tool}) {
            CaptionedDialog dialog(variant);
            dialog.setBodySize(QSize(300, 100));
            CaptionBar* bar = dialog.captionBar();
            QVERIFY(bar);
            QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
            QCOMPARE(bar->variant(), variant);
            QCOMPARE(dialog.size(), QSize(300, 100 + bar->barHeight()));
            QCOMPARE(bar->geometry(), QRect(0, 0, 300, bar->barHeight()));
            QCOMPARE(dialog.body()->geometry(), QRect(0, bar->barHeight(), 300, 100));
            const chrome::CaptionLayout l = bar->layout();
            QCOMPARE(
                bar->closeButton()->geometry(),
                QRect(l.closeButton.x, l.closeButton.y, l.closeButton.width, l.closeButton.height));
            QCOMPARE(bar->minimiseButton() != nullptr, variant == CaptionVariant::main);
            QCOMPARE(l.smallFont, variant == CaptionVariant::tool);
        }
        // The tool window's small caption is lower than a dialog's.
        CaptionedDialog tool(CaptionVariant::tool);
        CaptionedDialog dialog(CaptionVariant::dialog);
        QVERIFY(tool.captionBar()->barHeight() < dialog.captionBar()->barHeight());
    }

    void gradientFollowsActivation() {
        CaptionedDialog dialog(CaptionVariant::dialog);
        dialog.setBodySize(QSize(320, 60));
        CaptionBar* bar = dialog.captionBar();
        const chrome::CaptionLayout l = bar->layout();
        for (const bool active : {true, false}) {
            bar->setActive(active);
            const QImage shot = bar->grab().toImage();
            const QColor base = chrome::captionColour(bar->palette(), active);
            const auto stripes =
                chrome::captionStripeColours(chrome::Rgb{base.red(), base.green(), base.blue()});
            // Away from the title: the bottom row of the painted area.
            const int y = l.painted.y + l.painted.height - 1;
            for (const int i : {0, 40, 80, 159}) {
                const int x = l.painted.x + chrome::captionStripeSpan(i, l.painted.width).x;
                const chrome::Rgb& expected = stripes[static_cast<std::size_t>(i)];
                QCOMPARE(shot.pixelColor(x, y),
                         QColor(expected.red, expected.green, expected.blue));
            }
            // Outside the painted area the bar keeps the caption colour.
            QCOMPARE(shot.pixelColor(0, 0), base);
        }
        bar->setActive(true);
        const QImage active = bar->grab().toImage();
        bar->setActive(false);
        QVERIFY(bar->grab().toImage() != active);
    }

    void inactiveCaptionColours() {
        QPalette distinct;
        distinct.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 128));
        distinct.setColor(QPalette::Inactive, QPalette::Highlight, QColor(128, 128, 128));
        distinct.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(212, 208, 200));
        QCOMPARE(chrome::captionColour(distinct, true), QColor(0, 0, 128));
        QCOMPARE(chrome::captionColour(distinct, false), QColor(128, 128, 128));
        QCOMPARE(chrome::captionTextColour(distinct, false), QColor(212, 208, 200));
        // A style with one highlight for both: the disabled highlight marks the inactive state.
        QPalette same;
        same.setColor(QPalette::Active, QPalette::Highlight, QColor(48, 140, 198));
        same.setColor(QPalette::Inactive, QPalette::Highlight, QColor(48, 140, 198));
        same.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
        QCOMPARE(chrome::captionColourGroup(same, false), QPalette::Disabled);
        QCOMPARE(chrome::captionColour(same, false), QColor(145, 145, 145));
        QCOMPARE(chrome::captionColour(same, true), QColor(48, 140, 198));
    }

    void activationChangeReachesTheBar() {
        CaptionedDialog dialog(CaptionVariant::dialog);
        dialog.setBodySize(QSize(200, 50));
        QVERIFY(!dialog.captionBar()->active());
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTRY_VERIFY(dialog.captionBar()->active());
        CaptionedDialog other(CaptionVariant::dialog);
        other.setBodySize(QSize(200, 50));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(!dialog.captionBar()->active());
        QVERIFY(other.captionBar()->active());
    }

    void titleFollowsWindowTitle() {
        CaptionedDialog dialog(CaptionVariant::dialog);
        dialog.setBodySize(QSize(300, 40));
        dialog.setWindowTitle(QStringLiteral("Settings"));
        CaptionBar* bar = dialog.captionBar();
        QCOMPARE(bar->title(), QStringLiteral("Settings"));
        const QImage english = bar->grab().toImage();
        dialog.setWindowTitle(QStringLiteral("Установки"));
        QCOMPARE(bar->title(), QStringLiteral("Установки"));
        QVERIFY(bar->grab().toImage() != english);
        dialog.setWindowTitle(QStringLiteral("Settings"));
        QCOMPARE(bar->grab().toImage(), english);
    }

    void closeButtonClosesLikeTheCloseBox() {
        CaptionedDialog dialog(CaptionVariant::dialog);
        dialog.setBodySize(QSize(200, 50));
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.show();
        QTest::mouseClick(dialog.captionBar()->closeButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        // A window that ignores reject() still closes through its close event.
        RefusesReject main;
        main.setBodySize(QSize(300, 80));
        main.show();
        QTest::mouseClick(main.captionBar()->closeButton(), Qt::LeftButton);
        QCOMPARE(main.closeEvents, 1);
        QVERIFY(!main.isVisible());
    }

    void minimiseButtonMinimises() {
        CaptionedDialog main(CaptionVariant::main);
        main.setBodySize(QSize(300, 80));
        main.show();
        QTest::mouseClick(main.captionBar()->minimiseButton(), Qt::LeftButton);
        QTRY_VERIFY(main.isMinimized());
    }

    void draggingTheBarMovesTheWindow() {
        CaptionedDialog dialog(CaptionVariant::dialog);
        dialog.setBodySize(QSize(300, 80));
        dialog.move(100, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();
        CaptionBar* bar = dialog.captionBar();
        QSignalSpy moveRequested(bar, &CaptionBar::moveRequested);
        const QPoint local(40, 8);
        const QPoint global = bar->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(bar, &press);
        QCOMPARE(moveRequested.count(), 1);
        // The offscreen platform has no system move, so the bar follows the pointer itself.
        QMouseEvent drag(QEvent::MouseMove, local + QPoint(30, 20), global + QPoint(30, 20),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &drag);
        QTRY_COMPARE(dialog.pos(), start + QPoint(30, 20));
        QMouseEvent release(QEvent::MouseButtonRelease, local + QPoint(30, 20),
                            global + QPoint(30, 20), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &release);
        QMouseEvent after(QEvent::MouseMove, local + QPoint(90, 90), global + QPoint(90, 90),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &after);
        QCOMPARE(dialog.pos(), start + QPoint(30, 20));
        QCOMPARE(chrome::draggedWindowPosition(QPoint(10, 10), QPoint(100, 50), QPoint(4, 30)),
                 QPoint(94, 70));
    }

    void titleTipMeasuresWrapsAndCuts() {
        const QFontMetrics metrics(QApplication::font());
        const QSize owner(300, 5 * metrics.lineSpacing());
        const chrome::TitleTipMeasure one =
            chrome::measureTitleTip(metrics, chrome::titleTipText(QStringLiteral("short")), owner);
        QCOMPARE(one.size.height(), metrics.height());
        QVERIFY(one.size.width() < owner.width());

        const QString words = QStringLiteral("word ").repeated(40);
        const chrome::TitleTipMeasure wrapped = chrome::measureTitleTip(metrics, words, owner);
        QVERIFY(wrapped.size.height() > metrics.height());
        QVERIFY(wrapped.size.width() <= owner.width());

        const chrome::TitleTipMeasure cut =
            chrome::measureTitleTip(metrics, QStringLiteral("word ").repeated(400), owner);
        QCOMPARE(cut.size.height(), owner.height());

        // One word wider than the list is broken inside it rather than run out of the tip.
        const chrome::TitleTipMeasure broken =
            chrome::measureTitleTip(metrics, QStringLiteral("x").repeated(300), owner);
        QVERIFY(broken.size.width() <= owner.width());
        QVERIFY(broken.size.height() > metrics.height());
    }

    void titleTipShowsAtThePointerAndHidesWhenItLeaves() {
        QWidget owner;
        QFont font = QApplication::font();
        font.setPointSize(15);
        owner.setFont(font);
        chrome::TitleTip tip(&owner);
        QPoint pointer(400, 300);
        tip.setPointerProbe([&pointer] { return pointer; });
        tip.setFocusProbe([] { return true; });

        const QRect ownerRect(100, 100, 300, 200);
        tip.showTip(ownerRect, QStringLiteral("Привет, мир"), 20, 50);
        QVERIFY(tip.isVisible());
        QCOMPARE(tip.font(), font);
        QCOMPARE(tip.shownText(), QStringLiteral("Привет, мир  "));
        QCOMPARE(tip.geometry().topLeft(), QPoint(120, 150));
        QCOMPARE(tip.size(), tip.textSize() + QSize(5, 5));
        QCOMPARE(tip.textSize().height(), QFontMetrics(font).height());
        QCOMPARE(tip.anchor(), pointer);
        QVERIFY(tip.checking());
        // A second call with the same arguments changes nothing.
        tip.showTip(ownerRect, QStringLiteral("Привет, мир"), 20, 50);
        QCOMPARE(tip.geometry(), QRect(QPoint(120, 150), tip.textSize() + QSize(5, 5)));

        pointer += QPoint(6, -6);
        tip.checkPointer();
        QVERIFY(tip.isVisible());
        QVERIFY(tip.armed());
        pointer += QPoint(-13, 0); // 7 pixels left of the anchor
        tip.checkPointer();
        QVERIFY(!tip.isVisible());
        QVERIFY(!tip.armed());
        QVERIFY(!tip.checking());

        // Disarmed, it stays hidden until armed again.
        tip.showTip(ownerRect, QStringLiteral("again"), 20, 50);
        QVERIFY(!tip.isVisible());
        tip.setArmed(true);
        tip.showTip(ownerRect, QStringLiteral("again"), 20, 50);
        QVERIFY(tip.isVisible());

        // The timer runs the same check on its own.
        pointer += QPoint(0, 7);
        QTRY_VERIFY(!tip.isVisible());
        QVERIFY(!tip.armed());
    }

    void titleTipNeverShowsWithoutTheFocusAndEmptyTextDisarms() {
        QWidget owner;
        chrome::TitleTip tip(&owner);
        bool focus = true;
        tip.setFocusProbe([&focus] { return focus; });
        tip.setPointerProbe([] { return QPoint(0, 0); });
        const QRect ownerRect(0, 0, 200, 100);
        tip.showTip(ownerRect, QStringLiteral("text"), 5, 5);
        QVERIFY(tip.isVisible());
        focus = false;
        tip.showTip(ownerRect, QStringLiteral("text"), 5, 5);
        QVERIFY(!tip.isVisible());
        QVERIFY(tip.armed());

        focus = true;
        tip.showTip(ownerRect, QString(), 5, 5);
        QVERIFY(!tip.armed());
        QVERIFY(!tip.isVisible());
        tip.showTip(ownerRect, QStringLiteral("text"), 5, 5);
        QVERIFY(!tip.isVisible());
    }

    void listBoxReportsRightButtonReleases() {
        chrome::VariantListBox list;
        list.resize(300, 200);
        list.addItems({QStringLiteral("first"), QStringLiteral("second")});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &chrome::VariantListBox::rightButtonReleased);
        const QPoint onSecond = list.visualItemRect(list.item(1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, onSecond);
        QCOMPARE(spy.count(), 0);
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, onSecond);
        QCOMPARE(spy.count(), 1);
        const QPoint reported = spy.at(0).at(0).toPoint();
        QCOMPARE(reported, onSecond);
        QCOMPARE(list.itemAt(reported), list.item(1));
        QCOMPARE(spy.at(0).at(1).toPoint(), list.viewport()->mapToGlobal(onSecond));
    }

    void listBoxShowsItsTitleTipBelowThePointer() {
        chrome::VariantListBox list;
        list.setGeometry(50, 60, 300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        chrome::TitleTip& tip = list.titleTip();
        QVERIFY(!tip.armed());
        const QPoint pointer = list.mapToGlobal(QPoint(40, 10));
        tip.setPointerProbe([pointer] { return pointer; });
        tip.setFocusProbe([] { return true; });
        list.showTitleTip(QStringLiteral("recoded text"));
        QVERIFY(tip.armed());
        QVERIFY(tip.isVisible());
        QCOMPARE(tip.geometry().topLeft(), pointer + QPoint(0, 20));
        QCOMPARE(tip.font(), list.font());
        // The next selection hides it first and shows the new line.
        list.showTitleTip(QStringLiteral("another line"));
        QCOMPARE(tip.shownText(), QStringLiteral("another line  "));
        QVERIFY(tip.isVisible());
    }

    void hyperlinkLooksLikeALink() {
        FakeOpener opener;
        testing::QueuedPrompter prompter;
        chrome::HyperlinkLabel link(opener, prompter);
        QCOMPARE(link.linkColour(), QColor(0, 0, 238));
        QCOMPARE(link.visitedColour(), QColor(85, 26, 139));
        QVERIFY(link.underline());
        QVERIFY(link.font().underline());
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
        QCOMPARE(link.cursor().shape(), Qt::ArrowCursor);

        // No text: the address is shown; no address: the text is the address.
        link.setUrl(QStringLiteral("https://a.example/"));
        QCOMPARE(link.text(), QStringLiteral("https://a.example/"));
        QCOMPARE(link.toolTip(), QStringLiteral("https://a.example/"));
        chrome::HyperlinkLabel bare(opener, prompter);
        bare.setText(QStringLiteral("https://b.example/"));
        QCOMPARE(bare.url(), QStringLiteral("https://b.example/"));

        link.setColours(QColor(1, 2, 3), QColor(4, 5, 6));
        link.setUnderline(false);
        QVERIFY(!link.font().underline());
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(1, 2, 3));
        link.setVisited(true);
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(4, 5, 6));
        link.setLinkCursor(Qt::PointingHandCursor);
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    }

    void hyperlinkClickOpensOrTellsWhy() {
        FakeOpener opener;
        testing::QueuedPrompter prompter;
        chrome::HyperlinkLabel link(opener, prompter);
        link.setText(QStringLiteral("home page"));
        link.setUrl(QStringLiteral("https://vorlex.example.org/"));
        link.resize(120, 20);
        link.show();
        QSignalSpy opened(&link, &chrome::HyperlinkLabel::opened);

        opener.result = {false, chrome::linkNoAssociation};
        prompter.expectWarning(chrome::linkFailureText(31));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(prompter.problems(), QStringList());
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Vorlex II"));
        QVERIFY(!link.visited());
        QCOMPARE(opened.count(), 0);

        QTest::mouseClick(&link, Qt::RightButton);
        QCOMPARE(opener.addresses.size(), 1);

        opener.result = {true, 0};
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(opener.addresses, QStringList(2, QStringLiteral("https://vorlex.example.org/")));
        QVERIFY(link.visited());
        QCOMPARE(link.palette().color(QPalette::WindowText), link.visitedColour());
        QCOMPARE(opened.count(), 1);
        QCOMPARE(prompter.problems(), QStringList());
    }

    void browserVariableStartsTheBrowserWithTheAddress() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString browser = writeScript(dir, QStringLiteral("my browser"));
        const QString xdg = writeScript(dir, QStringLiteral("xdg"));
        chrome::SystemLinkOpener::Steps steps = stepsWithoutDesktop();
        steps.xdgOpen = xdg;
        // The first entry does not exist; the second has the address in quotes.
        qputenv("BROWSER", (dir.filePath(QStringLiteral("missing")) + QStringLiteral(":\"") +
                            browser + QStringLiteral("\" \"%s\""))
                               .toLocal8Bit());
        chrome::SystemLinkOpener opener(steps);
        const QString address = QStringLiteral("https://vorlex.example.org/a b?q=\"x\"&y=1");
        QVERIFY(opener.open(address).opened);
        QTRY_VERIFY(QFile::exists(browser + QStringLiteral(".out")));
        QCOMPARE(readAll(browser + QStringLiteral(".out")), address);
        QVERIFY(!QFile::exists(xdg + QStringLiteral(".out")));
    }

    void xdgOpenWhenNoBrowserIsSetAndAMessageWhenNothingStarts() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString xdg = writeScript(dir, QStringLiteral("xdg"));
        chrome::SystemLinkOpener::Steps steps = stepsWithoutDesktop();
        steps.xdgOpen = xdg;
        qunsetenv("BROWSER");
        QVERIFY(chrome::SystemLinkOpener(steps).open(QStringLiteral("https://q.example/")).opened);
        QTRY_VERIFY(QFile::exists(xdg + QStringLiteral(".out")));
        QCOMPARE(readAll(xdg + QStringLiteral(".out")), QStringLiteral("https://q.example/"));

        steps.xdgOpen = dir.filePath(QStringLiteral("no-xdg-open"));
        qputenv("BROWSER", dir.filePath(QStringLiteral("no-browser")).toLocal8Bit());
        chrome::SystemLinkOpener nothing(steps);
        const chrome::LinkOpenResult result = nothing.open(QStringLiteral("https://q.example/"));
        QVERIFY(!result.opened);
        QCOMPARE(result.error, chrome::linkNoAssociation);

        testing::QueuedPrompter prompter;
        chrome::HyperlinkLabel link(nothing, prompter);
        link.setUrl(QStringLiteral("https://q.example/"));
        prompter.expectWarning(QStringLiteral("Unable to open hyperlink:\n\nThere is no "
                                              "application associated\nwith the given filename "
                                              "extension."));
        link.openLink();
        QCOMPARE(prompter.problems(), QStringList());
    }

    void aboutBoxInBothLanguages() {
        FakeOpener opener;
        testing::QueuedPrompter prompter;
        for (const int language : {0, 1}) {
            chrome::AboutDialog about(vorlex::store::languageOf(language), prompter, opener);
            QCOMPARE(about.captionVariant(), CaptionVariant::tool);
            QCOMPARE(about.windowTitle(), language == 0 ? QStringLiteral("О программе")
                                                        : QStringLiteral("About program"));
            QCOMPARE(about.closeButton()->text(),
                     language == 0 ? QStringLiteral("Закрыть") : QStringLiteral("Close"));
            QVERIFY(about.closeButton()->isDefault());
            QCOMPARE(about.versionField()->text(), QStringLiteral("Version " VORLEX_VERSION));
            QVERIFY(about.versionField()->isReadOnly());
            QCOMPARE(about.productLink()->text(), QStringLiteral("VORLEX official home page"));
            QCOMPARE(about.productLink()->url(), chrome::programHomePage());
            QCOMPARE(about.productLink()->toolTip(), chrome::programHomePage());
            QCOMPARE(about.companyLink()->url(), chrome::companyHomePage());
            QCOMPARE(about.productLink()->linkColour(), QColor(0, 0, 238));
            QCOMPARE(about.productLink()->visitedColour(), QColor(255, 0, 0));
            QCOMPARE(about.companyLink()->linkColour(), QColor(20, 20, 50));
            QCOMPARE(about.companyLink()->visitedColour(), QColor(40, 40, 100));
            for (const chrome::HyperlinkLabel* link : {about.productLink(), about.companyLink()}) {
                QVERIFY(link->underline());
                QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            }
            // Every control lies inside the body.
            for (const QWidget* child :
                 about.body()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(about.body()->rect().contains(child->geometry()),
                         qPrintable(child->objectName()));
            QCOMPARE(about.size().height(),
                     about.body()->height() + about.captionBar()->barHeight());
        }
        QCOMPARE(prompter.problems(), QStringList());
    }

    void aboutBoxProductLinkTurnsRedAndCloseCloses() {
        FakeOpener opener;
        testing::QueuedPrompter prompter;
        chrome::AboutDialog about(vorlex::store::languageOf(1), prompter, opener);
        about.show();
        QTest::mouseClick(about.productLink(), Qt::LeftButton);
        QCOMPARE(opener.addresses, QStringList{chrome::programHomePage()});
        QCOMPARE(about.productLink()->currentColour(), QColor(255, 0, 0));
        QCOMPARE(about.productLink()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QSignalSpy accepted(&about, &QDialog::accepted);
        QTest::mouseClick(about.closeButton(), Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!about.isVisible());
        QCOMPARE(prompter.problems(), QStringList());
    }
};

QTEST_MAIN(ChromeWindowTest)
#include "chrome_window_test.moc"
