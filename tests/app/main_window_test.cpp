// The main window driven headless: start-up, sources, clipboard watching, Recode, the pass,
// the maximum-variants field, languages and closing. Every test starts from a fresh INI file.
#include "app/main_window.h"
#include "app/refined_list.h"
#include "chrome/caption_bar.h"
#include "chrome/title_tip.h"
#include "chrome/variant_list_box.h"
#include "detect/list_line.h"
#include "detect/refined_ranking.h"
#include "engine/cp1251.h"
#include "setup/settings_dialog.h"
#include "store/builtin_schemes.h"
#include "store/qsettings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/build_numbers.h"
#include "tests/support/koi_text.h"
#include "tests/support/mojibake.h"
#include "tests/support/queued_prompter.h"
#include "tests/update/http_test_server.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <sys/fsuid.h>
#include <unistd.h>

using vorlex::app::MainWindow;
using vorlex::testing::QueuedPrompter;
namespace store = vorlex::store;

namespace {

const char* const kRepaired = "Привет, мир! Как у вас дела? Мы были дома все вместе, и он нам не "
                              "сказал, что она уже тут.";

// kRepaired in KOI8-R, read as Windows-1251: what a Russian desktop shows ("рТЙЧЕФ, НЙТ!").
// The text Qt gives a standard button now: a new box takes the installed translation.
QString standardButtonText(QDialogButtonBox::StandardButton which) {
    const QDialogButtonBox box(which);
    return box.button(which)->text();
}

// Sets the file-system user of this thread for its lifetime when running as root, so that the
// test meets file permissions as another user would.
class FsUser {
public:
    explicit FsUser(int uid) {
        if (::geteuid() == 0)
            previous_ = ::setfsuid(static_cast<uid_t>(uid));
    }
    ~FsUser() {
        if (previous_ >= 0)
            ::setfsuid(static_cast<uid_t>(previous_));
    }
    FsUser(const FsUser&) = delete;
    FsUser& operator=(const FsUser&) = delete;

private:
    int previous_ = -1;
};

QString koiShownAsWin() {
    const std::string win = vorlex::engine::win1251Literal(kRepaired);
    const std::string koi = vorlex::testing::koiFromWin1251(win);
    return QString::fromStdString(vorlex::engine::win1251ToUtf8(koi));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<store::QSettingsStore> store_;
    QueuedPrompter prompter_;

    std::unique_ptr<MainWindow> open(const std::optional<QString>& file = std::nullopt) {
        return std::make_unique<MainWindow>(*store_, prompter_, file);
    }
    template <typename T> static T* control(MainWindow& w, MainWindow::Control id) {
        T* found = w.findChild<T*>(MainWindow::objectNameOf(id));
        if (found == nullptr)
            qFatal("no control %s", qPrintable(MainWindow::objectNameOf(id)));
        return found;
    }
    static QListWidget* list(MainWindow& w) {
        return control<QListWidget>(w, MainWindow::variantList);
    }
    static QPushButton* button(MainWindow& w, MainWindow::Control id) {
        return control<QPushButton>(w, id);
    }
    static QString field(MainWindow& w, MainWindow::Control id) {
        return control<QLabel>(w, id)->text();
    }
    static QString firstLine(MainWindow& w) {
        return list(w)->count() == 0 ? QString() : list(w)->item(0)->text();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir_->filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    static QByteArray readBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QString koiFile() {
        const QString text = koiShownAsWin();
        return writeFile(
            QStringLiteral("koi.txt"),
            QByteArray::fromStdString(vorlex::engine::win1251Literal(text.toStdString())));
    }
    void set(const store::IntSetting& s, int v) { store::writeSetting(*store_, s, v); }
    int get(const store::IntSetting& s) { return store::readSetting(*store_, s); }
    // Puts text on the clipboard and waits until the pass it starts has ended. The pass may be
    // over before a poll of passRunning() would see it, so this waits for its end signal.
    static void copyAndWaitForPass(MainWindow& w, const QString& text) {
        QSignalSpy finished(&w, &MainWindow::passFinished);
        QGuiApplication::clipboard()->setText(text);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 60000);
    }
    static void waitForPass(MainWindow& w) {
        if (!w.passRunning())
            return;
        QSignalSpy finished(&w, &MainWindow::passFinished);
        QVERIFY(finished.wait(60000));
    }
    static int indexOf(MainWindow& w, const char* name) {
        return control<QComboBox>(w, MainWindow::schemeBox)->findText(QString::fromUtf8(name));
    }
    static void choose(MainWindow& w, int index) {
        auto* box = control<QComboBox>(w, MainWindow::schemeBox);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<store::QSettingsStore>(
            dir_->filePath(QStringLiteral("v.ini")).toStdString());
        prompter_.clear();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() {
        const QStringList problems = prompter_.problems();
        store_.reset();
        dir_.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // The main window's own caption followed activation only in dialogs: the window's
    // changeEvent went past its captioned base, so its caption stayed grey while focused.
    void captionFollowsActivation() {
        auto w = open();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QVERIFY(w->captionBar() != nullptr);
        QTRY_VERIFY(w->captionBar()->active());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(!w->captionBar()->active());
    }

    // Every label and number of the lower panel fits its longest value in both languages
    // ("Whole found :" once ran into a four-digit count), and at the largest list font the
    // font dialog offers a refined line still shows its whole confidence column.
    void textsFitTheirLongestValues() {
        set(store::kRefineRanking, 1);
        const int largestPoints = QFontDatabase::standardSizes().constLast();
        for (const int language : {0, 1}) {
            set(store::kLanguage, language);
            store::writeSetting(*store_, store::kFontHeight, -largestPoints * 96 / 72);
            auto w = open(koiFile());
            waitForPass(*w);
            const auto fits = [](const QWidget* widget, const QString& text, int margin) {
                const int need = widget->fontMetrics().horizontalAdvance(text) + margin;
                return std::make_pair(need <= widget->width(),
                                      widget->objectName() +
                                          QStringLiteral(": \"%1\" needs %2, has %3")
                                              .arg(text)
                                              .arg(need)
                                              .arg(widget->width()));
            };
            const auto check = [](const std::pair<bool, QString>& result) {
                QVERIFY2(result.first, qPrintable(result.second));
            };
            for (const MainWindow::Control id :
                 {MainWindow::headingField, MainWindow::timeLabel, MainWindow::secondsLabel,
                  MainWindow::foundLabel, MainWindow::foundUnitLabel, MainWindow::limitLabel,
                  MainWindow::limitUnitLabel}) {
                const auto* label = control<QLabel>(*w, id);
                check(fits(label, label->text(), 0));
            }
            // The numbers: a count of every chain and stored scheme, a pass of 999 s, the
            // highest limit; a field's frame and margins take a few pixels.
            check(fits(control<QLabel>(*w, MainWindow::foundField), QStringLiteral("17063"), 4));
            check(fits(control<QLabel>(*w, MainWindow::timeField), QStringLiteral("999"), 2));
            check(fits(control<QLineEdit>(*w, MainWindow::limitEdit), QStringLiteral("99"), 6));
            check(fits(button(*w, MainWindow::exitButton),
                       button(*w, MainWindow::exitButton)->text(), 4));
            // The status after To clipboard with the largest text a source can be.
            check(fits(control<QLabel>(*w, MainWindow::statusLine),
                       vorlex::app::mainText(vorlex::app::MainText::copiedCharacters,
                                             store::languageOf(language))
                           .arg(2147483647),
                       0));
            // No two of them overlap.
            const QList<QWidget*> panel = {control<QLabel>(*w, MainWindow::timeLabel),
                                           control<QLabel>(*w, MainWindow::timeField),
                                           control<QLabel>(*w, MainWindow::secondsLabel),
                                           control<QLabel>(*w, MainWindow::limitLabel),
                                           control<QLineEdit>(*w, MainWindow::limitEdit),
                                           control<QLabel>(*w, MainWindow::limitUnitLabel),
                                           control<QLabel>(*w, MainWindow::foundLabel),
                                           control<QLabel>(*w, MainWindow::foundField),
                                           control<QLabel>(*w, MainWindow::foundUnitLabel),
                                           button(*w, MainWindow::exitButton)};
            for (int i = 0; i < panel.size(); ++i)
                for (int j = i + 1; j < panel.size(); ++j)
                    QVERIFY2(!panel[i]->geometry().intersects(panel[j]->geometry()),
                             qPrintable(panel[i]->objectName() + QLatin1Char('/') +
                                        panel[j]->objectName()));

            auto* box = qobject_cast<vorlex::chrome::VariantListBox*>(list(*w));
            QVERIFY(box != nullptr);
            QVERIFY(box->font().pixelSize() >= largestPoints);
            QVERIFY(box->count() > 0);
            const QString column =
                box->item(0)->data(vorlex::chrome::VariantListBox::kColumnRole).toString();
            QVERIFY(column.endsWith(QLatin1Char('%')));
            const QRect item = box->visualItemRect(box->item(0));
            QVERIFY(item.height() >= QFontMetrics(box->font()).height());
            const QRect columnRect = box->columnRect(item);
            QVERIFY(box->viewport()->rect().contains(columnRect));
            const QFontMetrics columnMetrics(box->columnFont());
            QVERIFY(columnMetrics.height() <= item.height());
            for (const int lang : {0, 1})
                for (const QString& longest :
                     vorlex::app::longestConfidenceColumns(store::languageOf(lang)))
                    QVERIFY2(columnMetrics.horizontalAdvance(longest) <= columnRect.width(),
                             qPrintable(longest));
            // The line's own text keeps most of the row.
            QVERIFY(columnRect.width() < item.width() / 2);
        }
    }

    void firstStartOnAnEmptyStore() {
        auto w = open();
        QCOMPARE(get(store::kFlag), 1);
        QCOMPARE(get(store::kTotalSchemes), 23);
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        QCOMPARE(box->count(), 24);
        QCOMPARE(box->itemText(0), QStringLiteral("Auto"));
        QCOMPARE(box->itemData(0).toInt(), -1);
        QCOMPARE(box->itemText(9), QStringLiteral("Koi->Win"));
        QCOMPARE(box->itemData(9).toInt(), 8);
        QCOMPARE(box->currentIndex(), 0);
        // English, 20 variants, the placeholder line.
        QCOMPARE(button(*w, MainWindow::exitButton)->text(), QStringLiteral("EXIT"));
        QCOMPARE(control<QLineEdit>(*w, MainWindow::limitEdit)->text(), QStringLiteral("20"));
        QCOMPARE(w->settingsInUse().precision, 7);
        QCOMPARE(list(*w)->count(), 1);
        QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
        QCOMPARE(field(*w, MainWindow::timeField), QStringLiteral("- -"));
        QCOMPARE(field(*w, MainWindow::foundField), QStringLiteral("- -"));
        // Nothing to recode yet.
        QVERIFY(!button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::stopButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::editSchemeButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::deleteSchemeButton)->isEnabled());
        QVERIFY(button(*w, MainWindow::newSchemeButton)->isEnabled());
        QVERIFY(!w->command(MainWindow::viewSource)->isEnabled());
        for (auto id : {MainWindow::toFile, MainWindow::toClipboard, MainWindow::saveAsScheme,
                        MainWindow::viewResult})
            QVERIFY(!w->command(id)->isEnabled());
        for (auto id : {MainWindow::fromFile, MainWindow::fromClipboard, MainWindow::batchConvert,
                        MainWindow::settings, MainWindow::about, MainWindow::checkVersions})
            QVERIFY(w->command(id)->isEnabled());
        QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
    }

    void builtInSchemesAreNotWrittenAgain() {
        set(store::kFlag, 1);
        store::writeScheme(*store_, 4, "Mine", "kw");
        auto w = open();
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(1), QStringLiteral("Mine"));
        QCOMPARE(get(store::kTotalSchemes), 1);
    }

    void wrongTotalSchemesIsCorrected() {
        set(store::kFlag, 1);
        for (int n : {0, 3, 500, 998})
            store::writeScheme(*store_, n, "S" + std::to_string(n), "kw");
        store_->writeString("7", "Action", "wk"); // no Name: skipped, not counted
        set(store::kTotalSchemes, 25);
        {
            auto w = open();
            QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->count(), 5);
            QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->itemData(4).toInt(), 998);
        }
        QCOMPARE(get(store::kTotalSchemes), 4);
        set(store::kTotalSchemes, 2);
        auto w = open();
        QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->count(), 3);
        QCOMPARE(get(store::kTotalSchemes), 2);
    }

    void lastSchemeSelectsTheFirstPrefixMatch() {
        // "koi->" begins "Koi->Alt", "Koi->Iso" and "Koi->Win": the first in the box wins.
        store::writeSetting(*store_, store::kLastScheme, "koi->");
        auto w = open();
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        QCOMPARE(box->currentText(), QStringLiteral("Koi->Alt"));
        QVERIFY(button(*w, MainWindow::editSchemeButton)->isEnabled());
        QVERIFY(button(*w, MainWindow::deleteSchemeButton)->isEnabled());
        // A selection at start is no choice: nothing recoded, nothing written.
        QCOMPARE(QString::fromStdString(store::readSetting(*store_, store::kLastScheme)),
                 QStringLiteral("koi->"));
    }

    void lastSchemeAutoOrUnknownOrNotSaved() {
        store::writeSetting(*store_, store::kLastScheme, "Auto");
        QCOMPARE(control<QComboBox>(*open(), MainWindow::schemeBox)->currentIndex(), 0);
        store::writeSetting(*store_, store::kLastScheme, "No such scheme");
        QCOMPARE(control<QComboBox>(*open(), MainWindow::schemeBox)->currentIndex(), 0);
        store::writeSetting(*store_, store::kLastScheme, "Mac->Win");
        set(store::kSaveLastScheme, 0);
        auto w = open();
        QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->currentIndex(), 0);
        QVERIFY(!button(*w, MainWindow::editSchemeButton)->isEnabled());
    }

    void escapeAndEnterDoNotCloseTheWindow() {
        auto w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        list(*w)->setFocus();
        QTest::keyClick(list(*w), Qt::Key_Return);
        QTest::keyClick(list(*w), Qt::Key_Enter);
        QVERIFY(w->isVisible());
        QCOMPARE(w->result(), 0);
        // The caption's close button ends it.
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
    }

    void exitButtonEndsTheDialog() {
        auto w = open();
        w->show();
        QTest::mouseClick(button(*w, MainWindow::exitButton), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Accepted));
    }

    void commandLineFileIsRecodedAutomatically() {
        const QString path = koiFile();
        auto w = open(path);
        QVERIFY(w->passRunning());
        QVERIFY(!button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(button(*w, MainWindow::stopButton)->isEnabled());
        QVERIFY(!w->command(MainWindow::fromFile)->isEnabled());
        waitForPass(*w);
        QTRY_VERIFY(list(*w)->count() > 0);
        QVERIFY(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)));
        QVERIFY(vorlex::detect::readListLine(w->listLine(0)).has_value());
        QVERIFY(field(*w, MainWindow::foundField).toInt() > 0);
        bool number = false;
        field(*w, MainWindow::timeField).toInt(&number);
        QVERIFY(number);
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::stopButton)->isEnabled());
        QVERIFY(w->command(MainWindow::fromFile)->isEnabled());
        QVERIFY(w->command(MainWindow::viewSource)->isEnabled());
        QCOMPARE(control<QProgressBar>(*w, MainWindow::progressBar)->value(), 0);
        QCOMPARE(w->sourcePath(), path);
    }

    void aPassThatFindsNothingLeavesTheListEmpty() {
        const QString path = writeFile(
            QStringLiteral("none.txt"),
            QByteArray::fromStdString(vorlex::engine::win1251Literal("ЪЪ ЬЬЬ ЫЫЫЫ ЪЬ ЬЪЪ")));
        auto w = open(path);
        QVERIFY(w->passRunning());
        waitForPass(*w);
        QCOMPARE(list(*w)->count(), 0);
        QCOMPARE(field(*w, MainWindow::foundField), QStringLiteral("0"));
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
    }

    // With "Refine ranking" on, the list ends in the refined order (at most the limit, only
    // plausible readings, each with its confidence).
    void refinedRankingReordersTheListWhenThePassEnds() {
        const QString path = koiFile();
        set(store::kRefineRanking, 1);
        set(store::kTotalShow, 5);
        auto w = open(path);
        waitForPass(*w);

        vorlex::detect::PassSetup setup;
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        for (int i = 0; i < box->count(); ++i)
            setup.schemeItems.push_back(box->itemData(i).toInt());
        setup.readAction = vorlex::detect::snapshotActions(setup.schemeItems, [&](int number) {
            return store_->readString(store::schemeSectionName(number), store::kSchemeActionValue,
                                      std::string(store::kMissingValue));
        });
        const vorlex::detect::Dictionary dictionary;
        const auto ranking = vorlex::detect::refineRanking(
            dictionary, w->sample(), vorlex::detect::storedSchemeChains(setup), 5);
        const vorlex::app::RefinedList shown =
            vorlex::app::refinedList(ranking, store::Language::english);
        QVERIFY(!shown.lines.empty());
        QVERIFY(shown.lines.size() <= ranking.candidates.size());
        QCOMPARE(list(*w)->count(), static_cast<int>(shown.lines.size()));
        for (int row = 0; row < list(*w)->count(); ++row) {
            const auto& line = shown.lines[static_cast<std::size_t>(row)];
            QCOMPARE(w->listLine(row), line.line);
            QCOMPARE(
                list(*w)->item(row)->data(vorlex::chrome::VariantListBox::kColumnRole).toString(),
                line.column);
        }
        // The count is of what the list shows, not of the classic pass.
        QCOMPARE(field(*w, MainWindow::foundField), QString::number(shown.found));
        QVERIFY(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)));
    }

    // A text the classic threshold rejects everywhere still gets its repair when refined.
    void refinedRankingAnswersWhereTheClassicPassFoundNothing() {
        // "Лось ест мох" in KOI8-R read as Windows-1251: no word of it is a dictionary word.
        const QString path = writeFile(QStringLiteral("short.txt"),
                                       QByteArray("\xEC\xCF\xD3\xD8 \xC5\xD3\xD4 \xCD\xCF\xC8"));
        set(store::kRefineRanking, 1);
        auto w = open(path);
        waitForPass(*w);
        QVERIFY(list(*w)->count() > 0);
        QCOMPARE(field(*w, MainWindow::foundField), QString::number(list(*w)->count()));
        QVERIFY(vorlex::detect::readListLine(w->listLine(0)).has_value());
        QVERIFY(firstLine(*w).startsWith(QString::fromUtf8("Лось ест мох")));
    }

    // Check for new versions asks the server named by VORLEX_UPDATE_URL and reports in the
    // window's language; the window goes on watching the clipboard meanwhile.
    void checkVersionsAsksTheServerAndReports() {
        vorlex::testing::HttpTestServer server;
        server.answerBody("/update",
                          QByteArray::fromStdString(vorlex::testing::ownBuild()) + "\r\n");
        qputenv("VORLEX_UPDATE_URL", server.url(QStringLiteral("/update")).toUtf8());
        set(store::kLanguage, 0);
        auto w = open();
        prompter_.expectMessage(QStringLiteral("Нет новой версии."));
        QAction* check = w->command(MainWindow::checkVersions);
        check->trigger();
        QVERIFY(!check->isEnabled()); // one check at a time, the window working meanwhile
        QTRY_VERIFY(check->isEnabled());
        qunsetenv("VORLEX_UPDATE_URL");
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
    }

    // The right-click rules: empty area, the placeholder line, a variant line.
    void rightClickOnEmptyAreaPlaceholderAndVariantLine() {
        set(store::kShowPreviewOnDoubleClick, 1); // no title tip in the way
        auto w = open();
        QListWidget* l = list(*w);
        QCOMPARE(l->count(), 1); // the placeholder
        const QPoint below(5, l->viewport()->height() - 3);
        QTest::mouseClick(l->viewport(), Qt::RightButton, {}, below);
        QVERIFY(!w->listMenu()->isVisible());
        QCOMPARE(l->currentRow(), -1);

        const QPoint first = l->visualItemRect(l->item(0)).center();
        QTest::mouseClick(l->viewport(), Qt::RightButton, {}, first);
        QCOMPARE(l->currentRow(), 0);
        QVERIFY(!w->listMenu()->isVisible());
        QVERIFY(!w->command(MainWindow::toFile)->isEnabled());

        w->loadDroppedFile(koiFile());
        waitForPass(*w);
        QVERIFY(!w->command(MainWindow::toFile)->isEnabled());
        QTest::mouseClick(l->viewport(), Qt::RightButton, {},
                          l->visualItemRect(l->item(0)).center());
        QCOMPARE(l->currentRow(), 0);
        QTRY_VERIFY(w->listMenu()->isVisible());
        for (MainWindow::Command id : {MainWindow::toFile, MainWindow::toClipboard,
                                       MainWindow::saveAsScheme, MainWindow::viewResult})
            QVERIFY(w->command(id)->isEnabled());
        w->listMenu()->hide();
    }

    // With "Show preview on dblckl" at 0 a selection shows the title tip and a double-click does
    // nothing; at 1 no tip, and a double-click opens the preview of the document.
    void selectionTipOrDoubleClickPreview() {
        auto w = open(koiFile());
        waitForPass(*w);
        auto* box = qobject_cast<vorlex::chrome::VariantListBox*>(list(*w));
        QVERIFY(box != nullptr);
        box->setCurrentRow(0);
        QVERIFY(box->titleTip().armed());
        QVERIFY(w->command(MainWindow::viewResult)->isEnabled());
        const QPoint first = box->visualItemRect(box->item(0)).center();
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = true;
                qobject_cast<QDialog*>(modal)->done(0);
            }
        });
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, first);
        QCoreApplication::processEvents();
        QVERIFY(!opened);
    }

    void doubleClickOpensThePreviewWhenAsked() {
        set(store::kShowPreviewOnDoubleClick, 1);
        auto w = open(koiFile());
        waitForPass(*w);
        auto* box = qobject_cast<vorlex::chrome::VariantListBox*>(list(*w));
        box->setCurrentRow(0);
        QString shownText;
        bool opened = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            opened = true;
            if (auto* text = modal->findChild<QPlainTextEdit*>())
                shownText = text->toPlainText();
            else if (auto* edit = modal->findChild<QTextEdit*>())
                shownText = edit->toPlainText();
            qobject_cast<QDialog*>(modal)->done(0);
        });
        const QPoint first = box->visualItemRect(box->item(0)).center();
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(opened);
        QVERIFY2(shownText.startsWith(QString::fromUtf8(kRepaired)), qPrintable(shownText));
        QVERIFY(shownText.startsWith(QString::fromUtf8(kRepaired)));
    }

    // To file: a clipboard source proposes newfile_0, then newfile_1; a file source its own
    // name; the whole document is written recoded.
    void toFileWritesTheWholeDocument() {
        auto w = open();
        copyAndWaitForPass(*w, koiShownAsWin());
        list(*w)->setCurrentRow(0);
        const QString out = dir_->filePath(QStringLiteral("out.txt"));
        prompter_.expectSaveFile(out);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(prompter_.lastProposedPath(), QStringLiteral("newfile_0"));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray(kRepaired)); // UTF-8 by default
        prompter_.expectSaveFile(std::nullopt);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(prompter_.lastProposedPath(), QStringLiteral("newfile_1"));

        w->loadDroppedFile(koiFile());
        waitForPass(*w);
        list(*w)->setCurrentRow(0);
        prompter_.expectSaveFile(std::nullopt);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(QFileInfo(prompter_.lastProposedPath()).fileName(), QStringLiteral("koi.txt"));
    }

    // A KOI8-R file through To file: by default what iconv makes of it as UTF-8, with
    // `Output encoding` 0 what it makes as Windows-1251; the Save-as title names the encoding.
    void toFileWritesTheOutputEncoding() {
        const QString koi = koiFile();
        const auto iconv = [&koi](const char* to) {
            QProcess process;
            process.start(QStringLiteral("iconv"),
                          {QStringLiteral("-f"), QStringLiteral("koi8-r"), QStringLiteral("-t"),
                           QString::fromLatin1(to), koi});
            return process.waitForFinished() && process.exitCode() == 0
                       ? std::optional(process.readAllStandardOutput())
                       : std::nullopt;
        };
        const std::optional<QByteArray> utf8 = iconv("utf-8");
        const std::optional<QByteArray> cp1251 = iconv("cp1251");
        if (!utf8 || !cp1251)
            QSKIP("iconv is not available");
        auto w = open(koi);
        waitForPass(*w);
        list(*w)->setCurrentRow(0);
        const QString out = dir_->filePath(QStringLiteral("out.txt"));
        prompter_.expectSaveFile(out);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(prompter_.lastSaveTitle(), QStringLiteral("Save as (UTF-8)"));
        const QByteArray written = readBytes(out);
        QCOMPARE(written, *utf8);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decoded = decoder(written);
        QVERIFY(!decoder.hasError());
        QVERIFY(decoded.startsWith(QString::fromUtf8(kRepaired)));

        set(store::kOutputEncoding, 0);
        set(store::kLanguage, 0); // read by the preview when it opens
        prompter_.expectSaveFile(out);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(prompter_.lastSaveTitle(), QStringLiteral("Сохранить как (Windows-1251)"));
        QCOMPARE(readBytes(out), *cp1251);
    }

    // To clipboard from the popup menu: the repaired text lands on the clipboard and is not
    // taken as a new source.
    void toClipboardFromTheMenuDoesNotReload() {
        auto w = open(koiFile());
        waitForPass(*w);
        list(*w)->setCurrentRow(0);
        const int lines = list(*w)->count();
        QAction* put = w->listMenu()->findChild<QAction*>(QStringLiteral("putDocumentItem"));
        QVERIFY(put != nullptr);
        put->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(kRepaired));
        // The status line counts characters, not the bytes of either encoding.
        QCOMPARE(w->statusText(),
                 QStringLiteral("Copied %1 characters").arg(QString::fromUtf8(kRepaired).size()));
        QCoreApplication::processEvents();
        QVERIFY(!w->passRunning());
        QCOMPARE(list(*w)->count(), lines);
        QVERIFY(w->sourceIsFile());
    }

    // The toolbar's windows open modally in the window's language and close again.
    void batchAndAboutOpenInTheWindowsLanguage() {
        set(store::kLanguage, 0);
        auto w = open();
        for (const auto& [id, title] :
             {std::pair{MainWindow::batchConvert, QStringLiteral("Пакетное преобразование")},
              std::pair{MainWindow::about, QString()}}) {
            QString shownTitle;
            bool opened = false;
            QTimer::singleShot(0, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    opened = true;
                    shownTitle = modal->windowTitle();
                    qobject_cast<QDialog*>(modal)->done(0);
                }
            });
            w->command(id)->trigger();
            QVERIFY(opened);
            if (!title.isEmpty())
                QCOMPARE(shownTitle, title);
        }
    }

    // After the settings dialog the window takes the new language and leaves or rejoins
    // clipboard watching; a font chosen there becomes the list's.
    void settingsDialogIsAppliedWhenItCloses() {
        auto w = open();
        QVERIFY(w->clipboardWatching() == int(MainWindow::watchingOn));
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPixelSize(19);
        chosen.setItalic(true);
        prompter_.expectFont(chosen);
        const auto runSettings =
            [&](const std::function<void(vorlex::setup::SettingsDialog&)>& edit) {
                bool opened = false;
                QTimer::singleShot(0, [&] {
                    auto* dialog = qobject_cast<vorlex::setup::SettingsDialog*>(
                        QApplication::activeModalWidget());
                    if (dialog == nullptr)
                        return;
                    opened = true;
                    edit(*dialog);
                    dialog->reject(); // Esc also stores every value
                });
                w->command(MainWindow::settings)->trigger();
                QVERIFY(opened);
            };
        runSettings([](vorlex::setup::SettingsDialog& d) {
            d.russianButton()->click();
            d.checkBox(vorlex::setup::SettingsDialog::clipboardViewerBox)->setChecked(false);
            d.fontsButton()->click();
        });
        QCOMPARE(w->language(), vorlex::store::Language::russian);
        QCOMPARE(
            field(*w, MainWindow::headingField),
            vorlex::app::mainText(vorlex::app::MainText::heading, vorlex::store::languageOf(0)));
        // Qt's own texts follow the window's language.
        QCOMPARE(standardButtonText(QDialogButtonBox::Yes), QStringLiteral("&Да"));
        QCOMPARE(standardButtonText(QDialogButtonBox::Cancel), QStringLiteral("Отмена"));
        QCOMPARE(list(*w)->font().pixelSize(), 19);
        QVERIFY(list(*w)->font().italic());
        // Out of the chain: another program's copy is not loaded.
        QGuiApplication::clipboard()->setText(koiShownAsWin());
        QCoreApplication::processEvents();
        QVERIFY(!w->passRunning());
        QVERIFY(!w->command(MainWindow::viewSource)->isEnabled());

        runSettings([](vorlex::setup::SettingsDialog& d) {
            d.englishButton()->click();
            d.checkBox(vorlex::setup::SettingsDialog::clipboardViewerBox)->setChecked(true);
        });
        QCOMPARE(standardButtonText(QDialogButtonBox::Yes), QStringLiteral("&Yes"));
        QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
        copyAndWaitForPass(*w, koiShownAsWin() + QStringLiteral(" "));
    }

    // New scheme stores the editor's chain, refills the box and keeps Auto selected; Delete asks
    // first and removes the item.
    void newAndDeleteSchemeFromTheSchemeButtons() {
        set(store::kSaveLastScheme, 0);
        auto w = open();
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        const int before = box->count();
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            auto* name = modal->findChild<QLineEdit*>(QStringLiteral("nameEdit"));
            const QList<QComboBox*> filters = modal->findChildren<QComboBox*>();
            if (name == nullptr || filters.isEmpty())
                return;
            // A three-filter chain no built-in scheme has.
            for (int i = 0; i < 3 && i < filters.size(); ++i) {
                filters[i]->setCurrentIndex(i + 2);
                emit filters[i]->activated(i + 2);
            }
            name->setText(QStringLiteral("My scheme"));
            if (auto* ok = modal->findChild<QPushButton*>(QStringLiteral("okButton")))
                ok->click();
            // Never leave the test waiting on a dialog that refused to close.
            if (modal->isVisible())
                qobject_cast<QDialog*>(modal)->reject();
        });
        QTest::mouseClick(button(*w, MainWindow::newSchemeButton), Qt::LeftButton);
        QCOMPARE(box->count(), before + 1);
        QCOMPARE(box->itemText(box->count() - 1), QStringLiteral("My scheme"));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(!button(*w, MainWindow::deleteSchemeButton)->isEnabled());

        box->setCurrentIndex(box->count() - 1);
        emit box->activated(box->count() - 1);
        QVERIFY(button(*w, MainWindow::deleteSchemeButton)->isEnabled());
        prompter_.expectQuestion(QStringLiteral("Do you really want to delete this scheme?"),
                                 vorlex::testing::Answer::yes);
        QTest::mouseClick(button(*w, MainWindow::deleteSchemeButton), Qt::LeftButton);
        QCOMPARE(box->count(), before);
        QCOMPARE(box->findText(QStringLiteral("My scheme")), -1);
    }

    // Save as scheme on a variant line asks for a name and lists the new scheme in the box.
    void saveAsSchemeStoresTheLinesChain() {
        auto w = open(koiFile());
        waitForPass(*w);
        // The second line: the first is Koi->Win, which is stored already.
        list(*w)->setCurrentRow(1);
        const std::string action =
            vorlex::detect::readListLine(w->listLine(1)).value_or(std::string());
        QVERIFY(!action.empty());
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            if (auto* name = modal->findChild<QLineEdit*>(QStringLiteral("nameEdit")))
                name->setText(QStringLiteral("From the list"));
            if (auto* save = modal->findChild<QPushButton*>(QStringLiteral("saveButton")))
                save->click();
            if (modal->isVisible())
                qobject_cast<QDialog*>(modal)->reject();
        });
        w->command(MainWindow::saveAsScheme)->trigger();
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        const int index = box->findText(QStringLiteral("From the list"));
        QVERIFY(index > 0);
        const std::string stored =
            store_->readString(store::schemeSectionName(box->itemData(index).toInt()),
                               store::kSchemeActionValue, std::string(store::kMissingValue));
        QCOMPARE(vorlex::engine::parseAction(stored).filters,
                 vorlex::engine::parseAction(action).filters);
    }

    // Opens the window with @p file and shows it: start-up messages wait for the window.
    std::unique_ptr<MainWindow> openShown(const QString& file) {
        auto w = open(file);
        w->show();
        (void)QTest::qWaitFor([this] { return prompter_.idle(); }); // checked by cleanup()
        return w;
    }

    void commandLineFileWithoutWords() {
        const QString path = writeFile(QStringLiteral("latin.txt"), "Hello, world! 12345 ok.");
        prompter_.expectMessage(QStringLiteral("This text can not be auto-recoding"));
        auto w = openShown(path);
        QVERIFY(!w->passRunning());
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
        // Russian: the file text of the message.
        set(store::kLanguage, 0);
        prompter_.expectMessage(
            QStringLiteral("К сожалению, этот файл не может быть автоматически перекодирован"));
        auto ru = openShown(path);
        QCOMPARE(firstLine(*ru), QStringLiteral("Перекодировок не производилось!"));
        // Switched off: no message at all.
        set(store::kShowNoAutoRecoding, 1);
        auto quiet = openShown(path);
        QVERIFY(button(*quiet, MainWindow::recodeButton)->isEnabled());
    }

    // A command-line file that cannot be read: the window comes first, then the message over
    // it, naming the file and the reason in the window's language.
    void commandLineFileThatCannotBeRead_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "empty.txt" << 1
                               << "Error reading from file\nFile: %1\nThe file is empty.";
        QTest::newRow("folder") << "folder" << 1
                                << "Error reading from file\nFile: %1\nIt is a folder, not a file.";
        QTest::newRow("missing") << "vanished.txt" << 1
                                 << "Error reading from file\nFile: %1\nThere is no such file or "
                                    "folder.";
        QTest::newRow("unreadable, Russian")
            << "secret.txt" << 0
            << "Ошибка при попытке считывания из файла\nФайл: %1\nДоступ запрещён.";
    }
    void commandLineFileThatCannotBeRead() {
        QFETCH(QString, name);
        QFETCH(int, language);
        QFETCH(QString, expected);
        set(store::kLanguage, language);
        const QString path = dir_->filePath(name);
        if (name == QLatin1String("empty.txt"))
            writeFile(name, {});
        else if (name == QLatin1String("folder"))
            QVERIFY(QDir(dir_->path()).mkdir(name));
        else if (name == QLatin1String("secret.txt"))
            QVERIFY(QFile::setPermissions(writeFile(name, koiShownAsWin().toUtf8()),
                                          QFileDevice::WriteOwner));
        // Root reads every file whatever its mode: the file-system user of this thread drops
        // that for the load (setfsuid is per thread and takes the override capabilities away).
        std::optional<FsUser> nobody;
        if (name == QLatin1String("secret.txt"))
            nobody.emplace(65534);
        prompter_.expectMessage(expected.arg(path));
        auto w = open(path);
        nobody.reset();
        QVERIFY2(!prompter_.idle(), "the message waits for the window");
        w->show();
        QTRY_VERIFY(prompter_.idle());
        QCOMPARE(prompter_.lastMessageParent(), w.get());
        QVERIFY(prompter_.lastMessageParentVisible());
        QVERIFY(!button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(!w->command(MainWindow::viewSource)->isEnabled());
        QCOMPARE(firstLine(*w), language == 0 ? QStringLiteral("Перекодировок не производилось!")
                                              : QStringLiteral("No recoding"));
    }

    void fromFileFailuresAndCancel() {
        set(store::kAutoRecodeFile, 0);
        auto w = open();
        const QString title = QStringLiteral("Select file for converting");
        const QString good = koiFile();
        prompter_.expectOpenFile(title, good);
        w->loadFromFile();
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QCOMPARE(w->sourcePath(), good);
        // Cancel changes nothing.
        prompter_.expectOpenFile(title, std::nullopt);
        w->loadFromFile();
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QCOMPARE(w->sourcePath(), good);

        QFile big(dir_->filePath(QStringLiteral("big.txt")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        const bool haveBig = big.resize(3LL * 1024 * 1024 * 1024);
        big.close();
        QStringList bad = {dir_->filePath(QStringLiteral("gone.txt")), dir_->path(),
                           writeFile(QStringLiteral("empty.txt"), {})};
        if (haveBig)
            bad << big.fileName();
        for (const QString& path : bad) {
            prompter_.expectOpenFile(title, path);
            prompter_.expectFileFailure(QStringLiteral("Error reading file"), path);
            w->loadFromFile();
            QVERIFY2(!button(*w, MainWindow::recodeButton)->isEnabled(), qPrintable(path));
            QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
            QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
        }
        // Binary data reads but holds no word.
        QByteArray binary(2048, '\x01');
        prompter_.expectOpenFile(title, writeFile(QStringLiteral("b.bin"), binary));
        prompter_.expectMessage(QStringLiteral("This text can not be auto-recoding"));
        w->loadFromFile();
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
    }

    void fromClipboardFailures() {
        auto w = open();
        QGuiApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
        prompter_.expectMessage(QStringLiteral("Clipboard contains wrong data format"));
        w->loadFromClipboard();
        QVERIFY(!button(*w, MainWindow::recodeButton)->isEnabled());
        QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
        QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
        set(store::kShowWrongClipboardFormat, 1);
        auto quiet = open();
        quiet->loadFromClipboard();
        QVERIFY(!button(*quiet, MainWindow::recodeButton)->isEnabled());
    }

    void clipboardReplacementsAreReportedOnce() {
        set(store::kAutoRecodeClipboard, 0);
        auto w = open();
        QGuiApplication::clipboard()->setText(QStringLiteral("Мы были дома \u03A9\u03A8 вместе"));
        prompter_.expectMessage(QStringLiteral("2 characters of the clipboard text have no "
                                               "Windows-1251 code and were replaced by \"?\"."));
        w->loadFromClipboard();
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(!w->sourceIsFile());
    }

    void watchedClipboardWithKoiTextIsRepaired() {
        auto w = open();
        copyAndWaitForPass(*w, koiShownAsWin());
        QTRY_VERIFY(list(*w)->count() > 0);
        QVERIFY2(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)), qPrintable(firstLine(*w)));
    }

    void clipboardImageWhileWatchingDoesNothing() {
        set(store::kAutoRecodeFile, 0);
        const QString path = koiFile();
        auto w = open(path);
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        QCoreApplication::processEvents();
        QVERIFY(w->sourceIsFile());
        QCOMPARE(w->sourcePath(), path);
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
    }

    void clipboardChangeDuringAPassIsIgnored() {
        auto w = open();
        QGuiApplication::clipboard()->setText(koiShownAsWin());
        QTRY_VERIFY(w->passRunning());
        const std::string sampleBefore(w->sample().textSample());
        QGuiApplication::clipboard()->setText(QStringLiteral("Совсем другой текст для нас"));
        QCoreApplication::processEvents();
        QCOMPARE(std::string(w->sample().textSample()), sampleBefore);
        waitForPass(*w);
        QCoreApplication::processEvents();
        QCOMPARE(std::string(w->sample().textSample()), sampleBefore);
    }

    void ownClipboardWriteNeverReloads() {
        auto w = open();
        copyAndWaitForPass(*w, koiShownAsWin());
        const std::string sampleBefore(w->sample().textSample());
        const int linesBefore = list(*w)->count();
        QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);
        w->putOnClipboard(vorlex::engine::win1251Literal(kRepaired));
        QTRY_VERIFY(changes.count() > 0);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(kRepaired));
        // A notification that arrives late, after the write has returned.
        emit QGuiApplication::clipboard()->dataChanged();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(!w->passRunning());
        QCOMPARE(std::string(w->sample().textSample()), sampleBefore);
        QCOMPARE(list(*w)->count(), linesBefore);
        QCOMPARE(w->clipboardWatching(), int(MainWindow::watchingOn));
        // Another program's text afterwards is loaded again.
        copyAndWaitForPass(*w, QStringLiteral("Мы были дома все вместе"));
    }

    void anotherProgramsCopyIsRepaired() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs a clipboard shared between programs (X11)");
        auto w = open();
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--own-clipboard"), koiShownAsWin()});
        QVERIFY(other.waitForReadyRead(30000));
        QTRY_VERIFY_WITH_TIMEOUT(w->passRunning(), 15000);
        waitForPass(*w);
        QTRY_VERIFY(list(*w)->count() > 0);
        QVERIFY2(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)), qPrintable(firstLine(*w)));
        // Our own write while the other program owned the clipboard does not reload.
        const std::string sampleBefore(w->sample().textSample());
        QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);
        w->putOnClipboard(vorlex::engine::win1251Literal(kRepaired));
        QTRY_VERIFY(changes.count() > 0);
        QCoreApplication::processEvents();
        QVERIFY(!w->passRunning());
        QCOMPARE(std::string(w->sample().textSample()), sampleBefore);
        other.kill();
        other.waitForFinished();
    }

    // Russian text damaged on its way through Unicode, copied in another program (the real X11
    // clipboard under Xvfb) or loaded from a UTF-8 file, lists first the repair that vorlex-cli
    // auto --best writes for the same file; To clipboard puts the whole repair there as
    // Unicode text.
    void unicodeMojibakeIsRepairedAsTheCliRepairsIt() {
        using vorlex::engine::DisplayPage;
        using vorlex::test::misread;
        set(store::kRefineRanking, 1);
        const bool x11 = QGuiApplication::platformName() == QStringLiteral("xcb");
        const std::string whole = std::string(kRepaired) + " Ещё строка, и конец.";
        const struct {
            const char* name;
            std::string damaged;
        } families[] = {
            {"UTF-8 read as Windows-1251", misread(whole, {}, DisplayPage::windows1251)},
            {"UTF-8 read as Windows-1252", misread(whole, {}, DisplayPage::windows1252)},
            {"Windows-1251 read as Windows-1252",
             misread(whole, DisplayPage::windows1251, DisplayPage::windows1252)},
            {"KOI8-R read as Windows-1251",
             misread(whole, DisplayPage::koi8r, DisplayPage::windows1251)},
        };
        for (const auto& family : families) {
            const QString path = writeFile(QStringLiteral("mojibake.txt"),
                                           QByteArray::fromStdString(family.damaged));
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("VORLEX_SETTINGS"),
                       dir_->filePath(QStringLiteral("cli.ini")));
            cli.setProcessEnvironment(env);
            cli.start(QStringLiteral(VORLEX_CLI_PATH),
                      {QStringLiteral("auto"), QStringLiteral("--best"),
                       QStringLiteral("--to-utf8"), path});
            QVERIFY(cli.waitForFinished(60000));
            QCOMPARE(cli.exitCode(), 0);
            const QString repaired = QString::fromUtf8(cli.readAllStandardOutput());
            QVERIFY2(repaired == QString::fromStdString(whole), family.name);

            // The whole repair, as Unicode text.
            const auto copiedByToClipboard = [&](MainWindow& w) {
                list(w)->setCurrentRow(0);
                w.runListCommand(vorlex::app::ListCommand::toClipboard);
                if (!x11)
                    return QGuiApplication::clipboard()->text();
                // Read by another program, as a desktop would.
                QProcess reader;
                QSignalSpy done(&reader, &QProcess::finished);
                reader.start(QStringLiteral("xclip"),
                             {QStringLiteral("-o"), QStringLiteral("-selection"),
                              QStringLiteral("clipboard")});
                if (!done.wait(10000))
                    return QStringLiteral("(xclip did not answer)");
                return QString::fromUtf8(reader.readAllStandardOutput());
            };

            std::string pastedLine;
            {
                auto pasted = open();
                QProcess other;
                if (x11) {
                    other.start(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--own-clipboard"),
                                 QString::fromStdString(family.damaged)});
                    QVERIFY(other.waitForReadyRead(30000));
                } else {
                    QGuiApplication::clipboard()->setText(QString::fromStdString(family.damaged));
                }
                const QString start = QString::fromUtf8(kRepaired).left(40);
                QTRY_VERIFY_WITH_TIMEOUT(
                    !pasted->passRunning() && firstLine(*pasted).startsWith(start), 60000);
                pastedLine = pasted->listLine(0);
                QVERIFY2(copiedByToClipboard(*pasted) == repaired, family.name);
                if (x11) {
                    other.kill();
                    other.waitForFinished();
                }
            }
            // Not watching: the clipboard writes above and below must not reload it.
            set(store::kSetClipboardViewer, 0);
            auto loaded = open(path);
            waitForPass(*loaded);
            QVERIFY2(loaded->listLine(0) == pastedLine, family.name);
            QVERIFY2(copiedByToClipboard(*loaded) == repaired, family.name);
            // The preview shows the repair; a repair through Unicode is no scheme.
            QString shown;
            bool savable = true;
            QTimer::singleShot(0, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    shown =
                        modal->findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText();
                    savable = modal->findChild<QPushButton*>(QStringLiteral("saveSchemeButton"))
                                  ->isEnabled();
                    qobject_cast<QDialog*>(modal)->done(0);
                }
            });
            loaded->runListCommand(vorlex::app::ListCommand::viewResult);
            QVERIFY2(shown == repaired, family.name);
            QCOMPARE(savable, !vorlex::app::isUnicodeLine(pastedLine));
            loaded.reset();
            set(store::kSetClipboardViewer, 1);
        }
    }

    // A repair through Unicode holding characters Windows-1251 has no code for ("é", "☕",
    // "😀"): To file writes the exact text as UTF-8, the preview shows it whole; with
    // `Output encoding` 0 the user is asked, and "?" is written only after a Yes.
    void unicodeRepairFollowsTheOutputEncoding() {
        set(store::kRefineRanking, 1);
        set(store::kSetClipboardViewer, 0);
        const std::string whole = std::string(kRepaired) + " Кафе «Café» — ☕ и 😀 до вечера.";
        const QString path = writeFile(QStringLiteral("mojibake.txt"),
                                       QByteArray::fromStdString(vorlex::test::misread(
                                           whole, {}, vorlex::engine::DisplayPage::windows1251)));
        auto w = open(path);
        waitForPass(*w);
        QVERIFY(vorlex::app::isUnicodeLine(w->listLine(0)));
        list(*w)->setCurrentRow(0);
        const QString utf8Out = dir_->filePath(QStringLiteral("utf8.txt"));
        prompter_.expectSaveFile(utf8Out);
        w->command(MainWindow::toFile)->trigger();
        QCOMPARE(prompter_.lastSaveTitle(), QStringLiteral("Save as (UTF-8)"));
        QCOMPARE(readBytes(utf8Out), QByteArray::fromStdString(whole));

        QString shown;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = modal->findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText();
                qobject_cast<QDialog*>(modal)->done(0);
            }
        });
        w->runListCommand(vorlex::app::ListCommand::viewResult);
        QCOMPARE(shown, QString::fromStdString(whole));
        // The clipboard as well, and the status counts characters, not UTF-16 units.
        w->runListCommand(vorlex::app::ListCommand::toClipboard);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(whole));
        QCOMPARE(w->statusText(), QStringLiteral("Copied %1 characters")
                                      .arg(QString::fromStdString(whole).toUcs4().size()));

        set(store::kOutputEncoding, 0);
        const QString question = QStringLiteral(
            "3 characters of the text have no Windows-1251 code: a Windows-1251 file would hold "
            "\"?\" for them. Write it anyway?\n\nTo keep every character, choose UTF-8 under "
            "\"Write files as\" in the settings.");
        const QString winOut = dir_->filePath(QStringLiteral("win.txt"));
        prompter_.expectQuestion(question, vorlex::chrome::Answer::no);
        w->command(MainWindow::toFile)->trigger();
        QVERIFY(!QFileInfo::exists(winOut));
        prompter_.expectQuestion(question, vorlex::chrome::Answer::yes);
        prompter_.expectSaveFile(winOut);
        w->command(MainWindow::toFile)->trigger();
        const std::string lossy = std::string(kRepaired) + " Кафе «Caf?» — ? и ? до вечера.";
        QCOMPARE(readBytes(winOut),
                 QByteArray::fromStdString(vorlex::engine::win1251Literal(lossy)));
    }

    void watchingOffWithoutClipboardViewer() {
        set(store::kSetClipboardViewer, 0);
        auto w = open();
        QGuiApplication::clipboard()->setText(koiShownAsWin());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(!w->passRunning());
        QVERIFY(!button(*w, MainWindow::recodeButton)->isEnabled());
    }

    void choosingASchemeRecodesWhenAutoRecodeIsOn() {
        set(store::kAutoRecodeFile, 0);
        auto w = open(koiFile());
        choose(*w, indexOf(*w, "Koi->Win"));
        QCOMPARE(list(*w)->count(), 1);
        QVERIFY(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)));
        QCOMPARE(vorlex::detect::readListLine(w->listLine(0)).value_or("none"),
                 std::string("kw    "));
        QCOMPARE(w->listLine(0).size(), std::size_t(199 + 60 + 6));
        // Found count and time stay; the scheme is remembered; its buttons work.
        QCOMPARE(field(*w, MainWindow::foundField), QStringLiteral("- -"));
        QCOMPARE(field(*w, MainWindow::timeField), QStringLiteral("- -"));
        QCOMPARE(QString::fromStdString(store::readSetting(*store_, store::kLastScheme)),
                 QStringLiteral("Koi->Win"));
        QVERIFY(button(*w, MainWindow::editSchemeButton)->isEnabled());
        // A two-filter scheme: one line again, with its own action.
        choose(*w, indexOf(*w, "Двойная Win->Koi"));
        QCOMPARE(list(*w)->count(), 1);
        QCOMPARE(vorlex::detect::readListLine(w->listLine(0)).value_or("none"),
                 std::string("wk wk   "));
        // Back to Auto: a pass, and the scheme buttons go off.
        choose(*w, 0);
        QVERIFY(w->passRunning());
        QVERIFY(!button(*w, MainWindow::editSchemeButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::deleteSchemeButton)->isEnabled());
        waitForPass(*w);
    }

    void choosingASchemeWithAutoRecodeOff() {
        set(store::kAutoRecodeFile, 0);
        set(store::kAutoRecode, 0);
        auto w = open(koiFile());
        choose(*w, indexOf(*w, "Koi->Win"));
        QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
        QVERIFY(button(*w, MainWindow::editSchemeButton)->isEnabled());
        // Recode itself still works.
        QTest::mouseClick(button(*w, MainWindow::recodeButton), Qt::LeftButton);
        QVERIFY(firstLine(*w).startsWith(QString::fromUtf8(kRepaired)));
    }

    void namedSchemeWithoutActionKeepsTheList() {
        set(store::kAutoRecodeFile, 0);
        set(store::kAutoRecode, 0);
        auto w = open(koiFile());
        choose(*w, indexOf(*w, "Koi->Win"));
        QCOMPARE(store_->deleteSection("8"), 0);
        // The settings file and the scheme that lost its action.
        prompter_.expectMessage(QStringLiteral("Error reading config file\nFile: %1\nThe scheme "
                                               "\"Koi->Win\" has no stored action.")
                                    .arg(QString::fromStdString(store_->location())));
        QTest::mouseClick(button(*w, MainWindow::recodeButton), Qt::LeftButton);
        QCOMPARE(firstLine(*w), QStringLiteral("No recoding"));
    }

    void stopKeepsTheLinesFound() {
        auto w = open(koiFile());
        QVERIFY(w->passRunning());
        QTRY_VERIFY(list(*w)->count() > 0);
        QTest::mouseClick(button(*w, MainWindow::stopButton), Qt::LeftButton);
        waitForPass(*w);
        const int kept = list(*w)->count();
        QVERIFY(kept > 0);
        QCoreApplication::processEvents();
        QVERIFY(list(*w)->count() >= kept);
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        QVERIFY(!button(*w, MainWindow::stopButton)->isEnabled());
        QVERIFY(w->command(MainWindow::fromClipboard)->isEnabled());
        QCOMPARE(control<QProgressBar>(*w, MainWindow::progressBar)->value(), 0);
    }

    void limitEditAccepts5AndRefuses150() {
        auto limit = [&](MainWindow& w) { return control<QLineEdit>(w, MainWindow::limitEdit); };
        auto w = open(koiFile()); // a pass is running
        QVERIFY(w->passRunning());
        limit(*w)->setText(QStringLiteral("5"));
        QCOMPARE(w->maximumVariants(), 5);
        QCOMPARE(get(store::kTotalShow), 5);
        prompter_.expectMessage(QStringLiteral("Please enter an integer between 1 and 99."));
        limit(*w)->setText(QStringLiteral("150"));
        QCOMPARE(w->maximumVariants(), 5);
        QCOMPARE(get(store::kTotalShow), 5);
        // The field shows what the next pass takes again.
        QCOMPARE(limit(*w)->text(), QStringLiteral("5"));
        waitForPass(*w);
        // The next pass shows at most five (lines already shown by this one may stay).
        QTest::mouseClick(button(*w, MainWindow::recodeButton), Qt::LeftButton);
        waitForPass(*w);
        QTRY_VERIFY(list(*w)->count() > 0);
        QCoreApplication::processEvents();
        QVERIFY(list(*w)->count() <= 5);
        prompter_.expectMessage(QStringLiteral("Please enter an integer."));
        limit(*w)->setText(QStringLiteral("x"));
        QCOMPARE(get(store::kTotalShow), 5);
        QCOMPARE(limit(*w)->text(), QStringLiteral("5"));
    }

    void closingDuringAPassJoinsTheWorker() {
        auto w = open(koiFile());
        QVERIFY(w->passRunning());
        w->show();
        QVERIFY(w->close());
        QVERIFY(!w->passRunning());
        w.reset(); // queued list lines die with the window
        QCoreApplication::processEvents();
        // And through the destructor alone.
        auto again = open(koiFile());
        QVERIFY(again->passRunning());
        again.reset();
        QCoreApplication::processEvents();
    }

    void droppedFilesLoadTheFirstOnly() {
        set(store::kAutoRecodeFile, 0);
        auto w = open();
        const QString first = koiFile();
        const QString second = writeFile(QStringLiteral("second.txt"), "Мы были дома");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QDragEnterEvent enter(QPoint(10, 60), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &drop);
        QCOMPARE(w->sourcePath(), first);
        QVERIFY(button(*w, MainWindow::recodeButton)->isEnabled());
        // No words: the dropped file's own text.
        const QString latin = writeFile(QStringLiteral("latin.txt"), "Hello there");
        prompter_.expectMessage(QStringLiteral("This tex can not be auto-recoding"));
        w->loadDroppedFile(latin);
        // During a pass a drop is ignored.
        set(store::kAutoRecodeFile, 1);
        auto busy = open(first);
        QVERIFY(busy->passRunning());
        busy->loadDroppedFile(second);
        QCOMPARE(busy->sourcePath(), first);
        waitForPass(*busy);
    }

    void russianTextsAndApplyingTwice() {
        set(store::kLanguage, 0);
        auto w = open();
        QCOMPARE(button(*w, MainWindow::exitButton)->text(), QStringLiteral("ВЫХОД"));
        QCOMPARE(field(*w, MainWindow::headingField),
                 QStringLiteral("Варианты перекодировки (выберите подходящий вариант) :"));
        QCOMPARE(field(*w, MainWindow::limitLabel), QStringLiteral("Выводить не более :"));
        QCOMPARE(w->command(MainWindow::checkVersions)->toolTip(),
                 QStringLiteral("Проверка новых версий"));
        QCOMPARE(button(*w, MainWindow::stopButton)->toolTip(),
                 QStringLiteral("Остановить перекодирование"));
        w->applyInterfaceTexts();
        w->applyInterfaceTexts();
        QCOMPARE(w->findChildren<QMenu*>(QStringLiteral("listMenu")).size(), 1);
        QCOMPARE(w->listMenu()->actions().size(), 4);
        QCOMPARE(w->listMenu()->actions().at(1)->text(),
                 QStringLiteral("Положить весь документ в буфер обмена"));
        QCOMPARE(button(*w, MainWindow::recodeButton)->toolTip(), QStringLiteral("Перекодировать"));
        QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->toolTip(),
                 QStringLiteral("Схемы для перекодирования"));
    }

    void anyNonZeroLanguageIsEnglish() {
        set(store::kLanguage, 2);
        auto w = open();
        QCOMPARE(field(*w, MainWindow::timeLabel), QStringLiteral("Time of last recoding :"));
        QCOMPARE(list(*w)->toolTip(), QStringLiteral("Variants of recoding"));
        QCOMPARE(w->command(MainWindow::fromFile)->toolTip(), QStringLiteral("From file"));
    }

    void minimisedStateIsTrackedAndAPassRestoresTheWindow() {
        auto w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(w->isMinimisedState());
        w->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!w->isMinimisedState());
        // A pass that ends minimised with variants found restores the window.
        w->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(w->isMinimisedState());
        copyAndWaitForPass(*w, koiShownAsWin());
        QTRY_VERIFY(!w->isMinimisedState());
        QVERIFY(!(w->windowState() & Qt::WindowMinimized));
    }

    void listFontFollowsTheStore() {
        store::writeSetting(*store_, store::kFontName, "DejaVu Sans Mono");
        auto w = open();
        QCOMPARE(list(*w)->font(), w->font()); // height 0: the dialog's font
        set(store::kFontHeight, -17);
        set(store::kFontWeight, 700);
        auto bold = open();
        QCOMPARE(list(*bold)->font().pixelSize(), 17);
        QCOMPARE(list(*bold)->font().weight(), QFont::Bold);
        QCOMPARE(list(*bold)->font().family(), QStringLiteral("DejaVu Sans Mono"));
    }
};

// "--own-clipboard TEXT": a second program that puts TEXT on the clipboard and keeps it there
// (an X11 selection lives as long as its owner) until it is killed.
int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--own-clipboard") == 0) {
        QApplication app(argc, argv);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(argv[2]));
        std::printf("ready\n");
        std::fflush(stdout);
        QTimer::singleShot(60000, &app, &QCoreApplication::quit); // never outlive a lost test
        return app.exec();
    }
    QApplication app(argc, argv);
    MainWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
