// The preview window and its silent runs, headless, on real files in a temporary folder, the
// real clipboard and a tmpfs that fills up.
#include "engine/code_tables.h"
#include "engine/cp1251.h"
#include "engine/filters.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/queued_prompter.h"
#include "tests/support/small_tmpfs.h"
#include "tools/preview_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>

using vorlex::engine::FilterList;
using vorlex::engine::parseAction;
using vorlex::testing::QueuedPrompter;
using namespace vorlex::tools;
namespace store = vorlex::store;

namespace {

using vorlex::testing::SmallTmpfs;

// KOI8-R "Привет " and the same in Windows-1251.
const std::string kKoiWord = "\xF0\xD2\xC9\xD7\xC5\xD4 ";
const std::string kWinWord = "\xCF\xF0\xE8\xE2\xE5\xF2 ";

std::string repeated(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

QString shown(const std::string& win) {
    return QString::fromStdString(vorlex::engine::win1251ToUtf8(win));
}

std::string readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

void writeRaw(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

// Records every window that is shown anywhere in the program.
class ShowRecorder final : public QObject {
public:
    ShowRecorder() { qApp->installEventFilter(this); }
    ~ShowRecorder() override { qApp->removeEventFilter(this); }
    QStringList shownWindows;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::ShowToParent) {
            auto* widget = qobject_cast<QWidget*>(object);
            if (widget != nullptr && widget->isWindow())
                shownWindows.push_back(QString::fromLatin1(object->metaObject()->className()));
        }
        return false;
    }
};

// A file size limit for this process, with the signal that would end it ignored.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// Answers the Save-as dialog after running @p whileOpen, as if the user had done something
// elsewhere meanwhile; any other prompt is a failure.
class SaveAnswering final : public vorlex::chrome::Prompter {
public:
    SaveAnswering(QString answer, std::function<void()> whileOpen)
        : answer_(std::move(answer)), whileOpen_(std::move(whileOpen)) {}
    QStringList unexpected;

    std::optional<QString> saveFile(QWidget*, const QString&, const QString&) override {
        whileOpen_();
        return answer_;
    }
    void message(QWidget*, const QString&, const QString& text) override { unexpected << text; }
    void warning(QWidget*, const QString&, const QString& text) override { unexpected << text; }
    vorlex::chrome::Answer ask(QWidget*, const QString&, const QString& text,
                               vorlex::chrome::QuestionIcon, bool) override {
        unexpected << text;
        return vorlex::chrome::Answer::no;
    }
    std::optional<QString> openFile(QWidget*, const QString& title) override {
        unexpected << title;
        return std::nullopt;
    }
    std::optional<QStringList> openFiles(QWidget*, const QString& title, const QString&) override {
        unexpected << title;
        return std::nullopt;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& caption, const QString&) override {
        unexpected << caption;
        return std::nullopt;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override {
        unexpected << QStringLiteral("font");
        return std::nullopt;
    }

private:
    QString answer_;
    std::function<void()> whileOpen_;
};

} // namespace

class PreviewDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void documentModeShowsTheFirst64000BytesRecoded_data();
    void documentModeShowsTheFirst64000BytesRecoded();
    void aZeroByteCutsTheShownTextButNotTheWrittenFile();
    void anEmptyOrMissingFileIsAReadError();
    void sourceModeShowsTheSampleAndHidesTheOutputs();
    void silentRunsNeverShowAWindow();
    void runOpensTheWindowModally();
    void newFilesAreNumberedAndCancelDoesNotCount();
    void theButtonsRunTheirOutputs();
    void theSourceFileChosenAsTargetComesOutRecodedAndWhole();
    void a200MegabyteDocumentIsWrittenWhole();
    void aFullDiskKeepsTheOldFile_data();
    void aFullDiskKeepsTheOldFile();
    void aFolderThatCannotTakeAFileIsACreateError_data();
    void aFolderThatCannotTakeAFileIsACreateError();
    void theClipboardGetsTheRecodedTextUpToAZeroByte();
    void aWinToLatinVariantWritesTheLongerResult();
    void aFileDeletedAfterAnalysisIsAReadError();
    void saveAsSchemeHandsOverOrIsDisabled();
    void aNewSourceWhileTheFileDialogIsOpenDoesNotChangeTheOutput();

private:
    PreviewInputs bufferDocument(const std::string& bytes, const char* action);
    PreviewInputs fileDocument(const QString& path, const char* action);
    PreviewCallbacks clipboardCallbacks();

    std::unique_ptr<store::MemorySettingsStore> store_;
    std::unique_ptr<QueuedPrompter> prompter_;
    std::unique_ptr<QTemporaryDir> dir_;
    int counter_ = 0;
    int clipboardWrites_ = 0;
    bool waitCursorDuringWrite_ = false;
};

void PreviewDialogTest::init() {
    store_ = std::make_unique<store::MemorySettingsStore>();
    // The written files are compared with the recoded bytes themselves; the UTF-8 default is
    // tested on its own.
    store::writeSetting(*store_, store::kOutputEncoding, 0);
    prompter_ = std::make_unique<QueuedPrompter>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    counter_ = 0;
    clipboardWrites_ = 0;
    waitCursorDuringWrite_ = false;
}

void PreviewDialogTest::cleanup() {
    QCOMPARE(prompter_->problems(), QStringList());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

PreviewInputs PreviewDialogTest::bufferDocument(const std::string& bytes, const char* action) {
    PreviewInputs inputs;
    inputs.documentData = std::make_shared<const std::string>(bytes);
    inputs.filters = parseAction(action);
    inputs.actionText = QStringLiteral("Koi->Win  ");
    inputs.newFileCounter = &counter_;
    return inputs;
}

PreviewInputs PreviewDialogTest::fileDocument(const QString& path, const char* action) {
    PreviewInputs inputs;
    inputs.documentIsFile = true;
    inputs.documentPath = path;
    inputs.filters = parseAction(action);
    inputs.actionText = QStringLiteral("Koi->Win  ");
    inputs.newFileCounter = &counter_;
    return inputs;
}

PreviewCallbacks PreviewDialogTest::clipboardCallbacks() {
    PreviewCallbacks callbacks;
    callbacks.putOnClipboard = [this](std::span<const std::uint8_t> bytes) {
        ++clipboardWrites_;
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorDuringWrite_ = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(vorlex::engine::win1251ToUtf8(bytes)));
    };
    return callbacks;
}

void PreviewDialogTest::documentModeShowsTheFirst64000BytesRecoded_data() {
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::newRow("buffer, English") << false << 1 << "Preview of the document"
                                     << "Recoding :";
    QTest::newRow("file, Russian") << true << 0 << "Предварительный просмотр документа"
                                   << "Проведенные перекодировки :";
}

void PreviewDialogTest::documentModeShowsTheFirst64000BytesRecoded() {
    QFETCH(bool, fromFile);
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    store::writeSetting(*store_, store::kLanguage, language);
    // 70000 bytes: 9142 whole words and the six letters of the next one fit in 64000.
    const std::string koi = repeated(kKoiWord, 10000);
    const QString path = dir_->filePath(QStringLiteral("long.txt"));
    writeRaw(path, koi);
    const PreviewInputs inputs = fromFile ? fileDocument(path, "kw") : bufferDocument(koi, "kw");

    PreviewDialog dialog(*store_, *prompter_, inputs, {});
    const QString expected = shown(repeated(kWinWord, 9142) + kWinWord.substr(0, 6));
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText(), expected);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("actionField"))->text(),
             QStringLiteral("Koi->Win  "));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("actionLabel"))->text(), label);
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.language(), vorlex::store::languageOf(language));

    // The whole-document output still takes every byte.
    const QString target = dir_->filePath(QStringLiteral("out.txt"));
    prompter_->expectSaveFile(target);
    dialog.writeDocumentToFile();
    QCOMPARE(readAll(target), repeated(kWinWord, 10000));
}

void PreviewDialogTest::aZeroByteCutsTheShownTextButNotTheWrittenFile() {
    const std::string koi = kKoiWord + std::string(1, '\0') + kKoiWord;
    PreviewDialog dialog(*store_, *prompter_, bufferDocument(koi, "kw"), clipboardCallbacks());
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText(),
             shown(kWinWord));
    const QString target = dir_->filePath(QStringLiteral("zero.txt"));
    prompter_->expectSaveFile(target);
    dialog.writeDocumentToFile();
    QCOMPARE(readAll(target), kWinWord + std::string(1, '\0') + kWinWord);
}

void PreviewDialogTest::anEmptyOrMissingFileIsAReadError() {
    const QString empty = dir_->filePath(QStringLiteral("empty.txt"));
    writeRaw(empty, {});
    for (const QString& path :
         {empty, dir_->filePath(QStringLiteral("missing.txt")), dir_->path()}) {
        prompter_->expectFileFailure(QStringLiteral("Error reading file"), path);
        PreviewDialog dialog(*store_, *prompter_, fileDocument(path, "kw"), {});
        QVERIFY(
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText().isEmpty());
        // Each output reports it again and asks nothing.
        prompter_->expectFileFailure(QStringLiteral("Error reading file"), path);
        dialog.writeDocumentToFile();
    }
}

void PreviewDialogTest::sourceModeShowsTheSampleAndHidesTheOutputs() {
    store::writeSetting(*store_, store::kLanguage, 0);
    PreviewInputs inputs;
    inputs.sourceMode = true;
    inputs.shownText = kKoiWord + "\r\n" + kKoiWord;
    PreviewDialog dialog(*store_, *prompter_, inputs, clipboardCallbacks());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Просмотр части исходного текста"));
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("textBox"))->toPlainText(),
             shown(kKoiWord + "\n" + kKoiWord));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("actionField"))->text(),
             QStringLiteral("- -"));
    for (const char* name :
         {"writeButton", "putButton", "saveSchemeButton", "actionField", "actionLabel"})
        QVERIFY2(dialog.findChild<QWidget*>(QString::fromLatin1(name))->isHidden(), name);
    QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("closeButton"))->isHidden());
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("closeButton"))->text(),
             QStringLiteral("Закрыть"));
}

void PreviewDialogTest::silentRunsNeverShowAWindow() {
    const ShowRecorder recorder;
    QWidget parent; // never shown: the main window's place
    PreviewInputs toFile = bufferDocument(kKoiWord, "kw");
    toFile.silent = true;
    const QString target = dir_->filePath(QStringLiteral("silent.txt"));
    prompter_->expectSaveFile(target);
    QCOMPARE(PreviewDialog::run(*store_, *prompter_, toFile, {}, &parent), int(QDialog::Accepted));
    QCOMPARE(readAll(target), kWinWord);

    PreviewInputs toClipboard = toFile;
    toClipboard.silentAction = SilentAction::putOnClipboard;
    PreviewDialog::runSilently(*store_, *prompter_, toClipboard, clipboardCallbacks(), &parent);
    QCOMPARE(clipboardWrites_, 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), shown(kWinWord));

    QCoreApplication::processEvents();
    QCOMPARE(recorder.shownWindows, QStringList());
    for (QWidget* widget : QApplication::allWidgets())
        QVERIFY(qobject_cast<PreviewDialog*>(widget) == nullptr);
}

void PreviewDialogTest::runOpensTheWindowModally() {
    bool sawIt = false;
    QTimer::singleShot(0, this, [&sawIt] {
        auto* dialog = qobject_cast<PreviewDialog*>(QApplication::activeModalWidget());
        sawIt = dialog != nullptr && dialog->isVisible();
        if (dialog != nullptr)
            dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
    });
    QCOMPARE(PreviewDialog::run(*store_, *prompter_, bufferDocument(kKoiWord, "kw"), {}, nullptr),
             int(QDialog::Accepted));
    QVERIFY(sawIt);
}

void PreviewDialogTest::newFilesAreNumberedAndCancelDoesNotCount() {
    PreviewDialog dialog(*store_, *prompter_, bufferDocument(kKoiWord, "kw"), {});
    prompter_->expectSaveFile(dir_->filePath(QStringLiteral("a.txt")));
    dialog.writeDocumentToFile();
    QCOMPARE(prompter_->lastProposedPath(), QStringLiteral("newfile_0"));
    QCOMPARE(counter_, 1);
    prompter_->expectSaveFile(dir_->filePath(QStringLiteral("b.txt")));
    dialog.writeDocumentToFile();
    QCOMPARE(prompter_->lastProposedPath(), QStringLiteral("newfile_1"));
    QCOMPARE(counter_, 2);
    prompter_->expectSaveFile(std::nullopt);
    dialog.writeDocumentToFile();
    QCOMPARE(prompter_->lastProposedPath(), QStringLiteral("newfile_2"));
    QCOMPARE(counter_, 2);
    QCOMPARE(readAll(dir_->filePath(QStringLiteral("b.txt"))), kWinWord);

    // A file document proposes its own name and counts nothing.
    const QString source = dir_->filePath(QStringLiteral("letter.txt"));
    writeRaw(source, kKoiWord);
    PreviewDialog fromFile(*store_, *prompter_, fileDocument(source, "kw"), {});
    prompter_->expectSaveFile(dir_->filePath(QStringLiteral("c.txt")));
    fromFile.writeDocumentToFile();
    QCOMPARE(prompter_->lastProposedPath(), QStringLiteral("letter.txt"));
    QCOMPARE(counter_, 2);
}

void PreviewDialogTest::theButtonsRunTheirOutputs() {
    PreviewDialog dialog(*store_, *prompter_, bufferDocument(kKoiWord, "kw"), clipboardCallbacks());
    dialog.show();
    const QString target = dir_->filePath(QStringLiteral("button.txt"));
    prompter_->expectSaveFile(target);
    dialog.findChild<QPushButton*>(QStringLiteral("writeButton"))->click();
    QCOMPARE(readAll(target), kWinWord);
    dialog.findChild<QPushButton*>(QStringLiteral("putButton"))->click();
    QCOMPARE(clipboardWrites_, 1);
    dialog.findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void PreviewDialogTest::theSourceFileChosenAsTargetComesOutRecodedAndWhole() {
    const QString source = dir_->filePath(QStringLiteral("self.txt"));
    const std::string koi = repeated(kKoiWord, 30000); // larger than what is shown
    writeRaw(source, koi);
    PreviewInputs inputs = fileDocument(source, "kw");
    inputs.silent = true;
    prompter_->expectSaveFile(source);
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
    QCOMPARE(readAll(source), repeated(kWinWord, 30000));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"self.txt"});
}

// A 200 MB file written through Koi->Win: every byte of the output is the table's image of
// the source byte at the same place.
void PreviewDialogTest::a200MegabyteDocumentIsWrittenWhole() {
    constexpr qint64 kSize = 200LL * 1024 * 1024;
    const QString source = dir_->filePath(QStringLiteral("big.txt"));
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        for (qint64 done = 0; done < kSize; done += block.size()) {
            for (int i = 0; i < block.size(); ++i)
                block[i] = char((done / block.size() + i * 7) & 0xFF);
            QCOMPARE(file.write(block), qint64(block.size()));
        }
    }
    const QString target = dir_->filePath(QStringLiteral("big-out.txt"));
    PreviewInputs inputs = fileDocument(source, "kw");
    inputs.silent = true;
    prompter_->expectSaveFile(target);
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);

    const auto& table = vorlex::engine::kCodeTables[vorlex::engine::kKoiToWin];
    QFile in(source);
    QFile out(target);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.size(), kSize);
    qint64 offset = 0;
    while (!in.atEnd()) {
        const QByteArray a = in.read(1024 * 1024);
        const QByteArray b = out.read(a.size());
        QCOMPARE(b.size(), a.size());
        for (int i = 0; i < a.size(); ++i) {
            if (uchar(b[i]) != vorlex::engine::applyTable(table, uchar(a[i])))
                QFAIL(qPrintable(QStringLiteral("byte %1 differs").arg(offset + i)));
        }
        offset += a.size();
    }
    QCOMPARE(offset, kSize);
}

void PreviewDialogTest::aFullDiskKeepsTheOldFile_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("English") << 1 << "Error writing to file";
    QTest::newRow("Russian") << 0 << "Ошибка при попытке записи в файл";
}

void PreviewDialogTest::aFullDiskKeepsTheOldFile() {
    QFETCH(int, language);
    QFETCH(QString, message);
    store::writeSetting(*store_, store::kLanguage, language);
    const SmallTmpfs disk(dir_->filePath(QStringLiteral("disk")));
    std::optional<FileSizeLimit> limit;
    if (!disk.mounted())
        limit.emplace(64 * 1024); // not root: the size limit fails the write the same way
    const QString target = dir_->filePath(QStringLiteral("disk/old.txt"));
    writeRaw(target, "old contents");

    PreviewInputs inputs = bufferDocument(repeated(kKoiWord, 20000), "kw"); // 140000 bytes
    inputs.silent = true;
    prompter_->expectSaveFile(target);
    prompter_->expectFileFailure(message, target);
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
    QCOMPARE(readAll(target), std::string("old contents"));
    QCOMPARE(QDir(dir_->filePath(QStringLiteral("disk"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{"old.txt"});
    QCOMPARE(counter_, 1); // the file was made, so the name is used up
}

void PreviewDialogTest::aFolderThatCannotTakeAFileIsACreateError_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("English") << 1 << "Error creating file";
    QTest::newRow("Russian") << 0 << "Ошибка при попытке создания файла";
}

void PreviewDialogTest::aFolderThatCannotTakeAFileIsACreateError() {
    QFETCH(int, language);
    QFETCH(QString, message);
    store::writeSetting(*store_, store::kLanguage, language);
    PreviewInputs inputs = bufferDocument(kKoiWord, "kw");
    inputs.silent = true;

    const QString nowhere = dir_->filePath(QStringLiteral("no such folder/new.txt"));
    prompter_->expectSaveFile(nowhere);
    prompter_->expectFileFailure(message, nowhere);
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
    QCOMPARE(counter_, 0);

    SmallTmpfs disk(dir_->filePath(QStringLiteral("ro")));
    if (!disk.mounted())
        QSKIP("a read-only folder needs a mount (root)");
    const QString target = dir_->filePath(QStringLiteral("ro/old.txt"));
    writeRaw(target, "old contents");
    QVERIFY(disk.makeReadOnly());
    prompter_->expectSaveFile(target);
    prompter_->expectFileFailure(message, target);
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
    QCOMPARE(readAll(target), std::string("old contents"));
    QCOMPARE(counter_, 0);
}

void PreviewDialogTest::theClipboardGetsTheRecodedTextUpToAZeroByte() {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const QString path = dir_->filePath(QStringLiteral("clip.txt"));
    writeRaw(path, kKoiWord + kKoiWord + std::string(1, '\0') + "tail");
    PreviewInputs inputs = fileDocument(path, "kw");
    inputs.silent = true;
    inputs.silentAction = SilentAction::putOnClipboard;
    PreviewDialog::runSilently(*store_, *prompter_, inputs, clipboardCallbacks(), nullptr);
    QCOMPARE(clipboardWrites_, 1);
    QVERIFY(waitCursorDuringWrite_);
    QCOMPARE(QGuiApplication::clipboard()->text(), shown(kWinWord + kWinWord));
}

void PreviewDialogTest::aWinToLatinVariantWritesTheLongerResult() {
    const std::string win = "\xE6\xE6\xE6\xE6"; // жжжж
    PreviewInputs inputs = bufferDocument(win, "wl");
    inputs.silent = true;
    const QString target = dir_->filePath(QStringLiteral("latin.txt"));
    // Transliterated text is plain ASCII: the same bytes in either output encoding.
    for (const int encoding : {0, 1}) {
        store::writeSetting(*store_, store::kOutputEncoding, encoding);
        prompter_->expectSaveFile(target);
        PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
        QCOMPARE(readAll(target), std::string("zhzhzhzh"));
    }

    inputs.silentAction = SilentAction::putOnClipboard;
    PreviewDialog::runSilently(*store_, *prompter_, inputs, clipboardCallbacks(), nullptr);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("zhzhzhzh"));
}

void PreviewDialogTest::aFileDeletedAfterAnalysisIsAReadError() {
    const QString path = dir_->filePath(QStringLiteral("gone.txt"));
    writeRaw(path, kKoiWord);
    PreviewInputs inputs = fileDocument(path, "kw");
    inputs.silent = true;
    QVERIFY(QFile::remove(path));

    // Before any file dialog; the message names the file and why, in the window's language.
    prompter_->expectMessage(
        QStringLiteral("Error reading file\nFile: %1\nThere is no such file or folder.").arg(path));
    PreviewDialog::runSilently(*store_, *prompter_, inputs, {}, nullptr);
    inputs.silentAction = SilentAction::putOnClipboard;
    store::writeSetting(*store_, store::kLanguage, 0);
    prompter_->expectMessage(
        QStringLiteral("Ошибка при попытке считывания из файла\nФайл: %1\nТакого файла или "
                       "папки нет.")
            .arg(path));
    PreviewDialog::runSilently(*store_, *prompter_, inputs, clipboardCallbacks(), nullptr);
    QCOMPARE(clipboardWrites_, 0);
    QCOMPARE(counter_, 0);
}

void PreviewDialogTest::saveAsSchemeHandsOverOrIsDisabled() {
    PreviewInputs inputs = bufferDocument(kKoiWord, "wk ki");
    inputs.actionText = QStringLiteral("Win->Koi  Koi->Iso  ");
    {
        PreviewDialog dialog(*store_, *prompter_, inputs, {});
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("saveSchemeButton"))->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("putButton"))->isEnabled());
    }
    QWidget parent;
    QWidget* givenParent = nullptr;
    QString givenText;
    FilterList givenFilters;
    PreviewCallbacks callbacks;
    callbacks.saveAsScheme = [&](QWidget* p, const QString& text, const FilterList& filters) {
        givenParent = p;
        givenText = text;
        givenFilters = filters;
    };
    inputs.silent = true;
    inputs.silentAction = SilentAction::saveAsScheme;
    PreviewDialog::run(*store_, *prompter_, inputs, callbacks, &parent);
    QCOMPARE(givenParent, &parent);
    QCOMPARE(givenText, QStringLiteral("Win->Koi  Koi->Iso  "));
    QVERIFY(givenFilters == parseAction("wk ki"));

    PreviewDialog dialog(*store_, *prompter_, inputs, callbacks);
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("saveSchemeButton"));
    QVERIFY(button->isEnabled());
    givenParent = nullptr;
    dialog.show();
    button->click();
    QCOMPARE(givenParent, static_cast<QWidget*>(&dialog));
}

void PreviewDialogTest::aNewSourceWhileTheFileDialogIsOpenDoesNotChangeTheOutput() {
    // The file dialog runs an event loop, in which the main window may take a new clipboard
    // text as its source and drop the old copy.
    auto mainWindowCopy = std::make_shared<const std::string>(repeated(kKoiWord, 1000));
    PreviewInputs inputs;
    inputs.silent = true;
    inputs.filters = parseAction("kw");
    inputs.documentData = mainWindowCopy;
    const QString target = dir_->filePath(QStringLiteral("kept.txt"));
    SaveAnswering prompter(target, [&mainWindowCopy] {
        mainWindowCopy = std::make_shared<const std::string>("new source");
    });
    PreviewDialog::runSilently(*store_, prompter, inputs, {}, nullptr);
    inputs.documentData.reset();
    QCOMPARE(prompter.unexpected, QStringList());
    QCOMPARE(readAll(target), repeated(kWinWord, 1000));
}

QTEST_MAIN(PreviewDialogTest)
#include "preview_dialog_test.moc"
