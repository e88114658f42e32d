// The windows against bad input: a source that changes between loading and output, output
// folders that are read-only or full, damaged and extreme settings, a huge scheme count, huge
// and binary clipboard texts, a file of more than 4 GiB. Each must end in a clear message or a
// sound result, with the window still running and nothing lost.
#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/source_text.h"
#include "engine/cp1251.h"
#include "setup/settings_dialog.h"
#include "store/qsettings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/koi_text.h"
#include "tests/support/queued_prompter.h"
#include "tests/support/small_tmpfs.h"
#include "tools/batch_dialog.h"
#include "tools/preview_dialog.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <climits>
#include <cstdio>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using vorlex::app::ListCommand;
using vorlex::app::MainWindow;
using vorlex::testing::Answer;
using vorlex::testing::QueuedPrompter;
namespace store = vorlex::store;

namespace {

using vorlex::testing::SmallTmpfs;

const char* const kText = "Привет, мир! Как у вас дела? Мы были дома все вместе, и он нам не "
                          "сказал, что она уже тут.";
const char* const kOtherText = "Другой текст: мы его не видели, но он был там, где она.";

QByteArray win(const char* utf8) {
    return QByteArray::fromStdString(vorlex::engine::win1251Literal(utf8));
}
QByteArray koi(const char* utf8) {
    return QByteArray::fromStdString(
        vorlex::testing::koiFromWin1251(vorlex::engine::win1251Literal(utf8)));
}
QString shown(const QByteArray& winBytes) {
    return vorlex::app::bytesToShownText(std::string_view(winBytes.constData(), winBytes.size()));
}

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

// How a loaded source is changed before an output reads it again.
enum class Change { deleted, emptied, halved, otherFile, folder, fifo };

} // namespace

Q_DECLARE_METATYPE(Change)

class WindowFaultsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<store::QSettingsStore> store_;
    QueuedPrompter prompter_;

    QString iniPath() const { return dir_->filePath(QStringLiteral("v.ini")); }
    void reopenStore() {
        store_.reset();
        store_ = std::make_unique<store::QSettingsStore>(iniPath().toStdString());
    }
    std::unique_ptr<MainWindow> open(const std::optional<QString>& file = std::nullopt) {
        return std::make_unique<MainWindow>(*store_, prompter_, file);
    }
    template <typename T> static T* control(QWidget& w, MainWindow::Control id) {
        T* found = w.findChild<T*>(MainWindow::objectNameOf(id));
        if (found == nullptr)
            qFatal("no control %s", qPrintable(MainWindow::objectNameOf(id)));
        return found;
    }
    static QListWidget* list(MainWindow& w) {
        return control<QListWidget>(w, MainWindow::variantList);
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir_->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    void set(const store::IntSetting& s, int v) { store::writeSetting(*store_, s, v); }
    int get(const store::IntSetting& s) { return store::readSetting(*store_, s); }
    static void waitForPass(MainWindow& w) {
        if (!w.passRunning())
            return;
        QSignalSpy finished(&w, &MainWindow::passFinished);
        QVERIFY(finished.wait(120000));
    }
    // The window on @p path with "Koi->Win" chosen and recoded: one variant line, selected.
    // Clipboard watching is off, so the test's own clipboard writes load nothing.
    std::unique_ptr<MainWindow> openWithKoiToWin(const QString& path) {
        set(store::kAutoRecodeFile, 0);
        set(store::kSetClipboardViewer, 0);
        auto w = open(path);
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        const int index = box->findText(QStringLiteral("Koi->Win"));
        box->setCurrentIndex(index);
        emit box->activated(index);
        w->recode();
        list(*w)->setCurrentRow(0);
        return w;
    }
    // Runs View result; returns the preview's shown text (the window is closed at once).
    QString viewResult(MainWindow& w) {
        QString text = QStringLiteral("<no preview>");
        QTimer::singleShot(0, [&] {
            auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (preview == nullptr)
                return;
            text = preview->findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText();
            preview->done(0);
        });
        w.runListCommand(ListCommand::viewResult);
        return text;
    }
    void change(Change how, const QString& path) {
        switch (how) {
        case Change::deleted:
            QVERIFY(QFile::remove(path));
            break;
        case Change::emptied:
            QVERIFY(QFile::resize(path, 0));
            break;
        case Change::halved:
            QVERIFY(QFile::resize(path, koi(kText).size() / 2));
            break;
        case Change::otherFile:
            // Replaced, as an editor saves: a new file renamed over the old one.
            QCOMPARE(
                ::rename(QFile::encodeName(writeFile(QStringLiteral("new.tmp"), koi(kOtherText)))
                             .constData(),
                         QFile::encodeName(path).constData()),
                0);
            break;
        case Change::folder:
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkdir(path));
            break;
        case Change::fifo:
            QVERIFY(QFile::remove(path));
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            break;
        }
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<store::QSettingsStore>(iniPath().toStdString());
        prompter_.clear();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() {
        const QStringList problems = prompter_.problems();
        store_.reset();
        dir_.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // --- a source that changes after it was loaded ---

    void sourceChangedBeforeOutput_data() {
        QTest::addColumn<Change>("how");
        // The bytes the outputs should find; empty: "Error reading file".
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("deleted") << Change::deleted << QByteArray();
        QTest::newRow("emptied") << Change::emptied << QByteArray();
        QTest::newRow("halved") << Change::halved << win(kText).left(koi(kText).size() / 2);
        QTest::newRow("other file") << Change::otherFile << win(kOtherText);
        QTest::newRow("folder") << Change::folder << QByteArray();
        QTest::newRow("fifo") << Change::fifo << QByteArray();
    }
    void sourceChangedBeforeOutput() {
        QFETCH(Change, how);
        QFETCH(QByteArray, expected);
        const QString path = writeFile(QStringLiteral("koi.txt"), koi(kText));
        auto w = openWithKoiToWin(path);
        QCOMPARE(list(*w)->count(), 1);
        QVERIFY(list(*w)->item(0)->text().startsWith(QString::fromUtf8(kText).left(40)));
        change(how, path);
        const QString readFailed = QStringLiteral("Error reading file");
        // The outputs are compared with the recoded bytes themselves.
        set(store::kOutputEncoding, 0);

        // To clipboard.
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        if (expected.isEmpty())
            prompter_.expectFileFailure(readFailed, path);
        w->runListCommand(ListCommand::toClipboard);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 expected.isEmpty() ? QStringLiteral("before") : shown(expected));

        // To file: an unreadable source is reported before a name is asked for.
        const QString target = dir_->filePath(QStringLiteral("out.txt"));
        if (expected.isEmpty()) {
            prompter_.expectFileFailure(readFailed, path);
        } else {
            prompter_.expectSaveFile(target);
        }
        w->runListCommand(ListCommand::toFile);
        QCOMPARE(QFileInfo::exists(target), !expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(readAll(target), expected);

        // View result.
        if (expected.isEmpty())
            prompter_.expectFileFailure(readFailed, path);
        const QString text = viewResult(*w);
        QCOMPARE(text, expected.isEmpty() ? QString() : shown(expected));

        // Batch over it: one question, or one output.
        const QString out = dir_->filePath(QStringLiteral("batch"));
        QVERIFY(QDir().mkdir(out));
        {
            vorlex::tools::BatchDialog batch(*store_, prompter_, w.get());
            prompter_.expectOpenFiles(QStringLiteral("Select file(s) for converting"),
                                      QStringList{path});
            prompter_.expectFolder(QStringLiteral("Select folder for output file(s)"), out);
            if (expected.isEmpty())
                prompter_.expectQuestionWithReason(
                    QStringLiteral("Can't open file %1. Terminate convert?").arg(path),
                    Answer::yes);
            batch.convert();
        }
        const QString output = out + QStringLiteral("/koi.txt");
        QCOMPARE(QFileInfo::exists(output), !expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(readAll(output), expected);

        // The window goes on: a new source loads.
        w->loadDroppedFile(writeFile(QStringLiteral("again.txt"), koi(kText)));
        QCOMPARE(w->sourcePath(), dir_->filePath(QStringLiteral("again.txt")));
        QVERIFY(w->command(MainWindow::viewSource)->isEnabled());
    }

    // A source that became a file of more than 4 GiB (sparse) is refused with a message, not
    // read into memory whole; the same file named on the command line is refused at load.
    void sourceGrownBeyondFourGiB() {
        const QString path = writeFile(QStringLiteral("koi.txt"), koi(kText));
        auto w = openWithKoiToWin(path);
        QVERIFY(QFile::resize(path, (qint64(1) << 32) + 1));
        struct Remove {
            QString path;
            ~Remove() { QFile::remove(path); }
        } removeAtEnd{path};

        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        prompter_.expectFileFailure(QStringLiteral("Can't allocate memory"), path);
        w->runListCommand(ListCommand::toClipboard);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

        const QString target = dir_->filePath(QStringLiteral("out.txt"));
        prompter_.expectFileFailure(QStringLiteral("Can't allocate memory"), path);
        w->runListCommand(ListCommand::toFile);
        QVERIFY(!QFileInfo::exists(target));

        // The preview shows the beginning (the recoded start, then zero bytes: nothing more).
        QCOMPARE(viewResult(*w), shown(win(kText)));
        QVERIFY(prompter_.idle());

        prompter_.expectFileFailure(QStringLiteral("Error reading from file"), path);
        auto fromCommandLine = open(path);
        fromCommandLine->show(); // the message comes over the window
        QTRY_VERIFY(prompter_.idle());
        QVERIFY(!fromCommandLine->passRunning());
        QVERIFY(!fromCommandLine->command(MainWindow::viewSource)->isEnabled());
    }

    // --- output folders ---

    void readOnlyOrFullOutputFolderKeepsTheOldFile_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << true << QStringLiteral("Error creating file");
        QTest::newRow("full") << false << QStringLiteral("Error writing to file");
    }
    void readOnlyOrFullOutputFolderKeepsTheOldFile() {
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        // Larger than the 64 KiB folder once recoded.
        QByteArray big;
        while (big.size() < 200 * 1024)
            big += koi(kText);
        const QString path = writeFile(QStringLiteral("big.txt"), big);
        auto w = openWithKoiToWin(path);
        const QString folder = dir_->filePath(QStringLiteral("small"));
        SmallTmpfs small(folder, "size=64k");
        if (!small.mounted())
            QSKIP("mounting a small tmpfs needs root");
        const QString target = folder + QStringLiteral("/old.txt");
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the user's old text");
        }
        if (readOnly && !small.makeReadOnly())
            QSKIP("remounting read-only is not permitted here");
        prompter_.expectSaveFile(target);
        prompter_.expectFileFailure(message, target);
        w->runListCommand(ListCommand::toFile);
        QCOMPARE(readAll(target), QByteArray("the user's old text"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
        QVERIFY(w->command(MainWindow::toFile)->isEnabled());
    }

    // --- damaged settings ---

    void damagedSettingsFileStartsWithDefaults_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("random bytes") << randomBytes(64 * 1024, 7);
        QTest::newRow("1 MB line") << QByteArray(1024 * 1024, 'x');
        QTest::newRow("1 MB value")
            << QByteArray("[Parameters]\nLanguage=") + QByteArray(1024 * 1024, '7') + "\n";
        QTest::newRow("invalid UTF-8")
            << QByteArray("[Parameters]\n\xff\xfe\xc3=\x80\x80\nLast scheme=\xc3\x28\xa0\xa1\n");
        QTest::newRow("zero bytes") << QByteArray("[Parameters]\nLanguage=\0\0\0\n", 26);
        QTest::newRow("bad numbers") << QByteArray("[Parameters]\nLanguage=abc\nFlag=1e9\n"
                                                   "Total%20schemes=\nSave%20last%20scheme=-\n"
                                                   "[Recoding%20Parameters]\nTotal%20Show=abc\n"
                                                   "Precision=1e9\n");
    }
    void damagedSettingsFileStartsWithDefaults() {
        QFETCH(QByteArray, content);
        // The user's own scheme, at the end of the damaged file, must survive.
        writeFile(QStringLiteral("v.ini"),
                  content + "\n[Parameters]\nFlag=1\n[0]\nName=Mine\nAction=kw\n");
        reopenStore();
        {
            auto w = open();
            auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
            QVERIFY(box->findText(QStringLiteral("Mine")) >= 1);
            QVERIFY(w->maximumVariants() >= 1 && w->maximumVariants() <= 99);
            QVERIFY(w->settingsInUse().precision >= 0 && w->settingsInUse().precision <= 9);
            QVERIFY(w->close());
        }
        reopenStore();
        QCOMPARE(store_->readString("0", "Name", "-"), std::string("Mine"));
        QCOMPARE(store_->readString("0", "Action", "-"), std::string("kw"));
    }

    // A folder where the settings file should be: the window starts on defaults and ends.
    void settingsFileThatIsAFolder() {
        QVERIFY(QDir().mkdir(iniPath()));
        reopenStore();
        auto w = open();
        QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->count(), 24);
        QCOMPARE(w->language(), vorlex::store::Language::english);
        prompter_.expectWarning(
            QStringLiteral("The settings could not be saved to the file %1: there is a folder of "
                           "that name.")
                .arg(iniPath()));
        QVERIFY(w->close());
        QVERIFY(QFileInfo(iniPath()).isDir());
    }

    // A lock left by a writer that died does not stop the window nor its saving.
    void staleLockOnTheSettingsFile() {
        set(store::kTotalShow, 7);
        QVERIFY(store_->flush(nullptr));
        writeFile(QStringLiteral("v.ini.lock"),
                  QByteArray("999999\nvorlex\n") + QSysInfo::machineHostName().toUtf8() + "\n");
        reopenStore();
        {
            auto w = open();
            QCOMPARE(w->maximumVariants(), 7);
            control<QLineEdit>(*w, MainWindow::limitEdit)->setText(QStringLiteral("9"));
            QVERIFY(w->close());
        }
        reopenStore();
        QCOMPARE(get(store::kTotalShow), 9);
        QCOMPARE(get(store::kFlag), 1);
    }

    // Another program that holds the settings lock and never lets go: the window's saves,
    // from the event loop and at the end, give up instead of freezing it; the file is intact.
    void stuckLockOnTheSettingsFile() {
        set(store::kTotalShow, 7);
        QVERIFY(store_->flush(nullptr));
        const QByteArray before = [&] {
            QFile f(iniPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        reopenStore();
        QLockFile lock(iniPath() + QStringLiteral(".lock"));
        QVERIFY(lock.lock());
        {
            auto w = open();
            control<QLineEdit>(*w, MainWindow::limitEdit)->setText(QStringLiteral("9"));
            QCoreApplication::processEvents(); // QSettings' own save request
            prompter_.expectWarning(QStringLiteral("The settings could not be saved to the file "
                                                   "%1: another program keeps the file locked.")
                                        .arg(iniPath()));
            QVERIFY(w->close());
        }
        store_.reset();
        lock.unlock();
        QFile after(iniPath());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        reopenStore();
    }

    // A save that fails on a read-only or full disk is told once, in the window's language,
    // naming the file and the reason; the file keeps what it held.
    void failedSettingsSaveIsTold_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << true
                                   << QStringLiteral("The settings could not be saved to the "
                                                     "file %1: the file or its folder cannot be "
                                                     "written.");
        QTest::newRow("full, Russian")
            << false
            << QStringLiteral("Не удалось сохранить настройки в файл %1: диск переполнен.");
    }
    void failedSettingsSaveIsTold() {
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        const QString folder = dir_->filePath(QStringLiteral("small"));
        SmallTmpfs small(folder, "size=8k");
        if (!small.mounted())
            QSKIP("mounting a small tmpfs needs root");
        const QString ini = folder + QStringLiteral("/v.ini");
        writeFile(QStringLiteral("small/v.ini"),
                  QByteArray("[Parameters]\nLanguage=") + (readOnly ? "1" : "0") + "\n");
        if (readOnly && !small.makeReadOnly())
            QSKIP("remounting read-only is not permitted here");
        if (!readOnly) {
            // Fill what is left of the disk.
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(512, 'x')) > 0 && filler.flush()) {
            }
        }
        store_ = std::make_unique<store::QSettingsStore>(ini.toStdString());
        auto w = open();
        control<QLineEdit>(*w, MainWindow::limitEdit)->setText(QStringLiteral("9"));
        prompter_.expectWarning(message.arg(ini));
        QVERIFY(w->close());
        w.reset();
        QCOMPARE(readAll(ini),
                 QByteArray("[Parameters]\nLanguage=") + (readOnly ? "1" : "0") + "\n");
        store_.reset();
    }

    // Every integer of the main window and the settings dialog at an extreme.
    void extremeIntegerSettings_data() {
        QTest::addColumn<QString>("value");
        for (const char* v : {"-2147483648", "-1", "0", "2147483647", "99999999999"})
            QTest::newRow(v) << QString::fromLatin1(v);
    }
    void extremeIntegerSettings() {
        QFETCH(QString, value);
        const std::string v = value.toStdString();
        for (const store::IntSetting* s : {&store::kLanguage,
                                           &store::kTotalSchemes,
                                           &store::kSaveLastScheme,
                                           &store::kAutoRecode,
                                           &store::kAutoRecodeFile,
                                           &store::kAutoRecodeClipboard,
                                           &store::kShowPreviewOnDoubleClick,
                                           &store::kShowNoAutoRecoding,
                                           &store::kShowWrongClipboardFormat,
                                           &store::kWAsVe,
                                           &store::kNoSj,
                                           &store::kSeparateEnglish,
                                           &store::kFontHeight,
                                           &store::kFontWidth,
                                           &store::kFontWeight,
                                           &store::kFontItalic,
                                           &store::kFontCharSet,
                                           &store::kFontOut,
                                           &store::kFontClip,
                                           &store::kFontQuality,
                                           &store::kFontFamily,
                                           &store::kTotalShow,
                                           &store::kPrecision,
                                           &store::kRefineRanking})
            store_->writeString(std::string(s->section), std::string(s->name), v);
        // Flag stays 1: the built-in schemes are not written over the user's.
        set(store::kFlag, 1);
        store::writeScheme(*store_, 0, "Mine", "kw");
        store_->writeString(std::string(store::kParametersSection), "FontName",
                            std::string(10000, 'F'));
        const QString path = writeFile(QStringLiteral("koi.txt"), koi(kText));
        const bool parses = value != QStringLiteral("99999999999");
        const int number = parses ? value.toInt() : 0;
        auto w = open(path);
        waitForPass(*w);
        // The list limit within 1-99, also where it decides the refined list.
        QVERIFY(w->maximumVariants() >= 1 && w->maximumVariants() <= 99);
        const int shownLimit = control<QLineEdit>(*w, MainWindow::limitEdit)->text().toInt();
        QVERIFY(shownLimit >= 1 && shownLimit <= 99);
        QVERIFY(list(*w)->count() <= 99);
        QCOMPARE(!vorlex::store::isRussian(w->language()), parses ? number != 0 : true);
        const QFont listFont = list(*w)->font();
        QVERIFY(listFont.pixelSize() <= 1000);
        QVERIFY(listFont.family().size() <= 31);

        // The settings dialog shows sane values and stores them back when closed.
        {
            vorlex::setup::SettingsDialog dialog(*store_, prompter_, w.get());
            const int precision = dialog.precisionEdit()->text().toInt();
            QVERIFY(precision >= 0 && precision <= 9);
            dialog.done(QDialog::Accepted);
        }
        const int precision = get(store::kPrecision);
        QVERIFY(precision >= 0 && precision <= 9);
        QVERIFY(w->close());
        QCOMPARE(store_->readString("0", "Name", "-"), std::string("Mine"));
    }

    // A million schemes claimed, sections 0-999 all present: every number up to 999 is listed
    // and the count is corrected.
    void millionSchemesClaimed() {
        set(store::kFlag, 1);
        for (int n = 0; n < 1000; ++n)
            store::writeScheme(*store_, n, "S" + std::to_string(n), "kw");
        set(store::kTotalSchemes, 1000000);
        QVERIFY(store_->flush(nullptr));
        reopenStore();
        QElapsedTimer timer;
        timer.start();
        auto w = open();
        qInfo("start-up with 1000 schemes: %lld ms", static_cast<long long>(timer.elapsed()));
        QCOMPARE(control<QComboBox>(*w, MainWindow::schemeBox)->count(), 1001);
        QCOMPARE(get(store::kTotalSchemes), 1000);
    }

    // --- clipboard ---

    // A large clipboard text loads as one private copy; its sample is taken, and the whole
    // document goes back out recoded. 100 MB unless VORLEX_BIG_CLIPBOARD_MB says otherwise.
    void largeClipboardText() {
        const int megabytes = qEnvironmentVariableIntValue("VORLEX_BIG_CLIPBOARD_MB");
        const qsizetype size = qsizetype(megabytes > 0 ? megabytes : 100) * 1024 * 1024;
        QString text = QString::fromUtf8(kText) + QLatin1Char('\n');
        QString big;
        big.reserve(size + text.size());
        while (big.size() < size)
            big += text;
        set(store::kAutoRecodeClipboard, 0);
        auto w = open();
        QElapsedTimer timer;
        timer.start();
        QGuiApplication::clipboard()->setText(big);
        QTRY_VERIFY(w->command(MainWindow::viewSource)->isEnabled());
        qInfo("clipboard of %lld characters loaded in %lld ms", static_cast<long long>(big.size()),
              static_cast<long long>(timer.elapsed()));
        QVERIFY(!w->sourceIsFile());
        QVERIFY(w->sample().hasWords());
        // Koi->Win of plain Windows-1251 text changes it; put it back with Win->Koi.
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        const int index = box->findText(QStringLiteral("Win->Koi"));
        box->setCurrentIndex(index);
        w->recode();
        list(*w)->setCurrentRow(0);
        w->runListCommand(ListCommand::toClipboard);
        const QString out = QGuiApplication::clipboard()->text();
        QCOMPARE(out.size(), big.size());
        QCOMPARE(out.left(10), shown(koi(kText).left(10)));
    }

    // Random bytes with zeros: as a file, a pass runs and ends; on the clipboard, the text up to
    // its end loads and the outputs work.
    void binaryFileSource() {
        const QByteArray bytes = randomBytes(100000, 11);
        QVERIFY(bytes.contains('\0'));
        const QString path = writeFile(QStringLiteral("bin.dat"), bytes);
        set(store::kShowNoAutoRecoding, 1);
        set(store::kOutputEncoding, 0); // byte for byte
        auto w = open(path);
        waitForPass(*w);
        QVERIFY(w->command(MainWindow::viewSource)->isEnabled());
        // Named scheme: the whole document, zeros and all, goes to a file.
        auto* box = control<QComboBox>(*w, MainWindow::schemeBox);
        const int index = box->findText(QStringLiteral("Koi->Win"));
        box->setCurrentIndex(index);
        emit box->activated(index);
        w->recode();
        list(*w)->setCurrentRow(0);
        const QString target = dir_->filePath(QStringLiteral("out.bin"));
        prompter_.expectSaveFile(target);
        w->runListCommand(ListCommand::toFile);
        QCOMPARE(readAll(target).size(), bytes.size());
        w->runListCommand(ListCommand::toClipboard);
        QVERIFY(QGuiApplication::clipboard()->text().size() < bytes.size());
    }

    void binaryClipboardText() {
        QString text;
        QRandomGenerator random(13);
        for (int i = 0; i < 50000; ++i)
            text.append(QChar(static_cast<char16_t>(random.bounded(0x500))));
        text[100] = QChar(0);
        set(store::kShowNoAutoRecoding, 1);
        set(store::kShowWrongClipboardFormat, 1);
        const int replaced = vorlex::app::clipboardTextToBytes(text).replaced;
        QVERIFY(replaced > 0);
        // Characters without a Windows-1251 code are counted in one message.
        prompter_.expectMessage(QStringLiteral("%1 characters of the clipboard text have no "
                                               "Windows-1251 code and were replaced by \"?\".")
                                    .arg(replaced));
        auto w = open();
        QGuiApplication::clipboard()->setText(text);
        QTRY_VERIFY(prompter_.idle());
        waitForPass(*w);
        QVERIFY(w->command(MainWindow::viewSource)->isEnabled());
        QVERIFY(w->command(MainWindow::fromClipboard)->isEnabled());
    }
};

QTEST_MAIN(WindowFaultsTest)
#include "window_faults_test.moc"
