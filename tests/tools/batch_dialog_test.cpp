// The batch dialog under Qt Test, headless, answered through the queued prompter, converting
// real files in a temporary folder.
#include "engine/cp1251.h"
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/koi_text.h"
#include "tests/support/mojibake.h"
#include "tests/support/queued_prompter.h"
#include "tools/batch_dialog.h"
#include "tools/batch_dialog_texts.h"
#include "tools/batch_results_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

using vorlex::testing::Answer;
using vorlex::testing::QuestionIcon;
using vorlex::testing::QueuedPrompter;
using vorlex::tools::BatchDialog;
namespace store = vorlex::store;

const QByteArray kKoiPrivet("\xF0\xD2\xC9\xD7\xC5\xD4"); // "Привет" in KOI8-R
const QByteArray kWinPrivet("\xCF\xF0\xE8\xE2\xE5\xF2"); // the same in Windows-1251
const QByteArray kUtf8Privet("Привет");

const std::string kProse = vorlex::engine::win1251Literal(
    "Вчера вечером мы долго гуляли по старому парку и говорили о том, как быстро проходит "
    "время. Осенние листья шуршали под ногами, а в окнах домов уже зажигался свет. Потом мы "
    "пили чай с вареньем и вспоминали лето, море и друзей, которых давно не видели.\n");

// Windows-1251 letters as DOS code page 866 stores them.
QByteArray altFromWin1251(const std::string& win) {
    QByteArray alt;
    for (const char c : win) {
        const auto b = static_cast<unsigned char>(c);
        alt.push_back(static_cast<char>(b < 0xC0 ? b : b < 0xF0 ? b - 0x40 : b - 0x10));
    }
    return alt;
}

// What `vorlex-cli auto --best --to-utf8` writes for @p file with the settings of a first run:
// the output encoding the window's settings start with.
QByteArray autoBest(const QString& file, const QString& settings) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORLEX_SETTINGS", settings);
    process.setProcessEnvironment(env);
    process.start(VORLEX_CLI_PATH, {"auto", "--best", "--to-utf8", file});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<auto --best failed>";
    return process.readAllStandardOutput();
}

// Passes every prompt on to the queued prompter and notes, at each question, where the
// progress bar stood and whether the wait cursor was showing.
class ObservingPrompter final : public vorlex::chrome::Prompter {
public:
    explicit ObservingPrompter(QueuedPrompter& queued) : queued_(queued) {}
    QProgressBar* progress = nullptr;
    QList<int> progressAtQuestion;
    bool waitCursorAtQuestion = false;

    void message(QWidget* parent, const QString& caption, const QString& text) override {
        queued_.message(parent, caption, text);
    }
    void warning(QWidget* parent, const QString& caption, const QString& text) override {
        queued_.warning(parent, caption, text);
    }
    Answer ask(QWidget* parent, const QString& caption, const QString& text, QuestionIcon icon,
               bool withCancel) override {
        if (progress)
            progressAtQuestion.push_back(progress->value());
        waitCursorAtQuestion = waitCursorAtQuestion || QGuiApplication::overrideCursor() != nullptr;
        return queued_.ask(parent, caption, text, icon, withCancel);
    }
    std::optional<QString> openFile(QWidget* parent, const QString& title) override {
        return queued_.openFile(parent, title);
    }
    std::optional<QStringList> openFiles(QWidget* parent, const QString& title,
                                         const QString& filter) override {
        return queued_.openFiles(parent, title, filter);
    }
    std::optional<QString> saveFile(QWidget* parent, const QString& proposedPath,
                                    const QString& title) override {
        return queued_.saveFile(parent, proposedPath, title);
    }
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                        const QString& startFolder) override {
        return queued_.chooseFolder(parent, caption, startFolder);
    }
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override {
        return queued_.chooseFont(parent, initial);
    }

private:
    QueuedPrompter& queued_;
};

class BatchDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    store::MemorySettingsStore* store_ = nullptr;
    QueuedPrompter queued_;

    QString in(const QString& name) const { return dir_.filePath("in/" + name); }
    QString out(const QString& name) const { return dir_.filePath("out/" + name); }
    QString outFolder() const { return dir_.filePath("out"); }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return file.readAll();
    }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void storeSchemes() {
        store::writeScheme(*store_, 0, "Alt->Iso", "ai");
        store::writeScheme(*store_, 3, "Koi->Win", "kw");
        store::writeScheme(*store_, 7, "Koi->Latinica", "kw wl");
        store_->writeString("8", "Action", "wk"); // no Name: not a scheme
    }
    static QComboBox* schemeBox(BatchDialog& d) { return d.findChild<QComboBox*>("schemeBox"); }
    static QProgressBar* progressBar(BatchDialog& d) {
        return d.findChild<QProgressBar*>("progressBar");
    }
    void checkPrompts() {
        const QStringList problems = queued_.problems();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
    void selectScheme(BatchDialog& dialog, const QString& name) {
        QComboBox* box = schemeBox(dialog);
        box->setCurrentIndex(box->findText(name));
        QVERIFY(box->currentIndex() >= 0);
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.filePath("in")));
        QVERIFY(QDir().mkpath(dir_.filePath("out")));
        store_ = new store::MemorySettingsStore;
        queued_.clear();
    }
    void cleanup() {
        delete store_;
        store_ = nullptr;
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void listsTheStoredSchemesAndSelectsTheLastOneByPrefix() {
        storeSchemes();
        store::writeSetting(*store_, store::kLastScheme, "koi->l");
        BatchDialog dialog(*store_, queued_);
        QComboBox* box = schemeBox(dialog);
        QCOMPARE(box->count(), 4);
        QCOMPARE(box->itemText(0), QString("Alt->Iso"));
        QCOMPARE(box->itemData(1).toInt(), 3);
        QCOMPARE(box->itemData(2).toInt(), 7);
        QCOMPARE(box->itemText(3), QString("Auto (each file its own repair)"));
        QCOMPARE(box->currentText(), QString("Koi->Latinica"));
        QCOMPARE(dialog.selectedSchemeNumber(), 7);
        // The dialog only reads: the scan's count is not written back.
        QCOMPARE(store_->readInt("Parameters", "Total schemes", -5), -5);
    }

    void selectsTheFirstSchemeWhenTheLastIsAutoUnknownOrNotSaved() {
        storeSchemes();
        {
            BatchDialog dialog(*store_, queued_); // "Auto" by default
            QCOMPARE(schemeBox(dialog)->currentIndex(), 0);
        }
        store::writeSetting(*store_, store::kLastScheme, "Koi->Win");
        store::writeSetting(*store_, store::kSaveLastScheme, 0);
        BatchDialog dialog(*store_, queued_);
        QCOMPARE(schemeBox(dialog)->currentIndex(), 0);
        QVERIFY(!dialog.autoSelected());
    }

    void setsItsTextsInEitherLanguage() {
        storeSchemes();
        store::writeSetting(*store_, store::kLanguage, 0);
        {
            BatchDialog dialog(*store_, queued_);
            QCOMPARE(dialog.windowTitle(), QString("Пакетное преобразование"));
            QCOMPARE(dialog.findChild<QPushButton*>("closeButton")->text(), QString("Закрыть"));
            QCOMPARE(dialog.findChild<QPushButton*>("convertButton")->text(),
                     QString("Конвертировать"));
            QCOMPARE(dialog.findChild<QLineEdit*>("schemeLabel")->text(), QString("Схема"));
            QVERIFY(dialog.findChild<QLineEdit*>("schemeLabel")->isReadOnly());
        }
        store::writeSetting(*store_, store::kLanguage, 5);
        BatchDialog dialog(*store_, queued_);
        QCOMPARE(dialog.windowTitle(), QString("Batch convert"));
        QCOMPARE(dialog.findChild<QPushButton*>("closeButton")->text(), QString("Close"));
        QCOMPARE(dialog.findChild<QPushButton*>("convertButton")->text(), QString("Convert"));
        QCOMPARE(dialog.findChild<QLineEdit*>("schemeLabel")->text(), QString("Scheme"));
    }

    void withoutSchemesSaysSoAndClosesWithoutShowing() {
        store::writeSetting(*store_, store::kLanguage, 0);
        store_->writeString("4", "Name", "no action");
        BatchDialog dialog(*store_, queued_);
        QVERIFY(!dialog.hasSchemes());
        queued_.expectMessage("Не могу прочитать схемы");
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        checkPrompts();
    }

    void runsModallyUntilClose() {
        storeSchemes();
        BatchDialog dialog(*store_, queued_);
        bool shown = false;
        QTimer::singleShot(0, &dialog, [&] {
            shown = dialog.isVisible();
            dialog.findChild<QPushButton*>("closeButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(shown);
    }

    void convertsTheChosenFilesIntoTheChosenFolder() {
        storeSchemes();
        store::writeSetting(*store_, store::kLastScheme, "Koi->Win");
        writeFile(in("a.txt"), kKoiPrivet);
        writeFile(in("b.eml"), kKoiPrivet + "\n");
        store::writeSetting(*store_, store::kOutputEncoding, 0);
        BatchDialog dialog(*store_, queued_);
        queued_.expectOpenFiles("Select file(s) for converting",
                                QStringList{in("a.txt"), in("b.eml")});
        queued_.expectFolder("Select folder for output file(s)", outFolder());
        dialog.convert();
        checkPrompts();
        QCOMPARE(dialog.summaryText(), QString("2 files converted, 0 skipped, 0 failed"));
        QCOMPARE(queued_.lastFilter(), QString("Text Files (*.txt *.eml);;All Files (*)"));
        QCOMPARE(queued_.lastStartFolder(), QDir::currentPath());
        QCOMPARE(readFile(out("a.txt")), kWinPrivet);
        QCOMPARE(readFile(out("b.eml")), kWinPrivet + "\n");
        QCOMPARE(progressBar(dialog)->maximum(), 2);
        QCOMPARE(progressBar(dialog)->value(), 0);
    }

    void asksAboutEachProblemFileAndKeepsProgressWhereItWas() {
        storeSchemes();
        store::writeSetting(*store_, store::kLanguage, 1);
        store::writeSetting(*store_, store::kLastScheme, "Koi->Win");
        writeFile(in("a.txt"), kKoiPrivet);
        writeFile(in("b.txt"), kKoiPrivet);
        writeFile(in("c.txt"), kKoiPrivet);
        writeFile(out("b.txt"), "old b");
        writeFile(out("taken.txt"), "old taken");
        ObservingPrompter prompter(queued_);
        BatchDialog dialog(*store_, prompter);
        prompter.progress = progressBar(dialog);
        queued_.expectOpenFiles("Select file(s) for converting",
                                QStringList{in("a.txt"), in("gone.txt"), in("b.txt"), in("c.txt")});
        queued_.expectFolder("Select folder for output file(s)", outFolder() + "/");
        queued_.expectQuestionWithReason(
            "Can't open file " + in("gone.txt") + ". Terminate convert?", Answer::no);
        const QString exists = " already exists. Owerwrite, change file name or skip?";
        queued_.expectQuestion("File " + out("b.txt") + exists, Answer::no);
        queued_.expectSaveFile(out("taken.txt"));
        queued_.expectQuestion("File " + out("taken.txt") + exists, Answer::cancel);
        dialog.convert();
        checkPrompts();
        QCOMPARE(queued_.lastIcon(), QuestionIcon::question);
        QVERIFY(queued_.lastWithCancel());
        QCOMPARE(queued_.lastProposedPath(), out("b.txt"));
        QCOMPARE(queued_.lastSaveTitle(), QString("Save as (UTF-8)"));
        // a.txt done (1); gone.txt fails and leaves it at 1; b.txt is asked about at 1 twice.
        QCOMPARE(prompter.progressAtQuestion, (QList<int>{1, 1, 1}));
        QVERIFY(!prompter.waitCursorAtQuestion);
        // Written in the default output encoding, UTF-8.
        QCOMPARE(readFile(out("a.txt")), kUtf8Privet);
        QCOMPARE(readFile(out("b.txt")), QByteArray("old b"));
        QCOMPARE(readFile(out("taken.txt")), QByteArray("old taken"));
        QCOMPARE(readFile(out("c.txt")), kUtf8Privet);
        QCOMPARE(progressBar(dialog)->value(), 0);
        QCOMPARE(dialog.summaryText(), QString("2 files converted, 1 skipped, 1 failed"));
    }

    void yesToTheStopQuestionEndsTheBatchInRussian() {
        storeSchemes();
        store::writeSetting(*store_, store::kLanguage, 0);
        writeFile(in("empty.txt"), "");
        writeFile(in("b.txt"), kKoiPrivet);
        BatchDialog dialog(*store_, queued_);
        queued_.expectOpenFiles("Выберите файл(ы) для преобразования",
                                QStringList{in("empty.txt"), in("b.txt")});
        queued_.expectFolder("Выберите папку для выходных файлов", outFolder());
        queued_.expectQuestion("Не могу открыть файл " + in("empty.txt") +
                                   ". Прекратить преобразование?\nФайл пуст.",
                               Answer::yes);
        dialog.convert();
        checkPrompts();
        // b.txt, never reached, counts nowhere.
        QCOMPARE(dialog.summaryText(),
                 QString("Преобразовано файлов: 0, пропущено: 0, с ошибками: 1"));
        // Five-digit counts still fit the summary's lines in either language.
        auto* summary = dialog.findChild<QLabel*>("summaryLabel");
        for (const auto language : {store::Language::russian, store::Language::english}) {
            summary->setText(vorlex::tools::batchText(vorlex::tools::BatchText::summary, language)
                                 .arg(99999)
                                 .arg(99999)
                                 .arg(99999));
            QVERIFY2(summary->heightForWidth(summary->width()) <= summary->height(),
                     qPrintable(summary->text()));
        }
        QCOMPARE(queued_.lastIcon(), QuestionIcon::stop);
        QVERIFY(!queued_.lastWithCancel());
        QVERIFY(entries(outFolder()).isEmpty());
    }

    void aLostActionIsReportedAndNothingIsTouched() {
        storeSchemes();
        store::writeSetting(*store_, store::kLastScheme, "Koi->Win");
        writeFile(in("a.txt"), kKoiPrivet);
        BatchDialog dialog(*store_, queued_);
        store_->writeString("3", "Action", "~-^-~"); // lost after the dialog opened
        queued_.expectOpenFiles("Select file(s) for converting", QStringList{in("a.txt")});
        queued_.expectFolder("Select folder for output file(s)", outFolder());
        // A store without a file names only the scheme.
        queued_.expectMessage("Error reading config file\nThe scheme \"Koi->Win\" has no stored "
                              "action.");
        dialog.convert();
        checkPrompts();
        QVERIFY(entries(outFolder()).isEmpty());
        QCOMPARE(readFile(in("a.txt")), kKoiPrivet);
    }

    void theActionIsReadAfreshAtEachConvert() {
        storeSchemes();
        store::writeSetting(*store_, store::kLastScheme, "Koi->Win");
        writeFile(in("a.txt"), kKoiPrivet);
        BatchDialog dialog(*store_, queued_);
        store_->writeString("3", "Action", "kw wl");
        queued_.expectOpenFiles("Select file(s) for converting", QStringList{in("a.txt")});
        queued_.expectFolder("Select folder for output file(s)", outFolder());
        dialog.convert();
        checkPrompts();
        QCOMPARE(readFile(out("a.txt")), QByteArray("Privet"));
    }

    // A mixed folder through the Auto entry: each file gets what auto --best writes for it, the
    // correct, binary and non-Russian files are not written, an existing output is asked
    // about, and the results window lists every file with its answer.
    void autoGivesEachFileItsOwnRepair_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("existsQuestion");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("openQuestion");
        QTest::newRow("English") << 1 << "Auto (each file its own repair)"
                                 << " already exists. Owerwrite, change file name or skip?"
                                 << "2 repaired, 1 unchanged, 3 not repaired or failed"
                                 << QStringList{"repaired: Koi->Win", "left as it is",
                                                "repaired: Alt->Win", "skipped: not a text file",
                                                "not written",        "failed"}
                                 << "Can't open file %1. Terminate convert?";
        QTest::newRow("Russian")
            << 0 << "Авто (каждому файлу свой вариант)"
            << " уже существует. Перезаписать, изменить имя файла или пропустить?"
            << "Исправлено: 2, без изменений: 1, не исправлено или ошибка: 3"
            << QStringList{"исправлен: Koi->Win", "оставлен как есть",
                           "исправлен: Alt->Win", "пропущен: не текстовый файл",
                           "не записан",          "ошибка"}
            << "Не могу открыть файл %1. Прекратить преобразование?";
    }
    void autoGivesEachFileItsOwnRepair() {
        QFETCH(int, language);
        QFETCH(QString, entry);
        QFETCH(QString, existsQuestion);
        QFETCH(QString, openQuestion);
        QFETCH(QString, summary);
        QFETCH(QStringList, actions);
        store::writeBuiltInSchemes(*store_);
        store::writeSetting(*store_, store::kLanguage, language);
        const QStringList names{"a-koi.txt", "b-win.txt",   "c-alt.txt",
                                "d.png",     "e-latin.txt", "gone.txt"};
        writeFile(in(names[0]),
                  QByteArray::fromStdString(vorlex::testing::koiFromWin1251(kProse + kProse)));
        writeFile(in(names[1]), QByteArray::fromStdString(kProse));
        writeFile(in(names[2]), altFromWin1251(kProse));
        writeFile(in(names[3]), QByteArray("\x89PNG\r\n\x1a\n", 8) + kProse.c_str());
        writeFile(in(names[4]), "Plain English words only, and nothing Russian at all.\n");
        writeFile(out(names[0]), "old output");
        QStringList sources;
        for (const QString& name : names)
            sources.push_back(in(name));

        BatchDialog dialog(*store_, queued_);
        selectScheme(dialog, entry);
        QVERIFY(dialog.autoSelected());
        QCOMPARE(dialog.selectedSchemeNumber(), -1);
        queued_.expectOpenFiles(language ? "Select file(s) for converting"
                                         : "Выберите файл(ы) для преобразования",
                                sources);
        queued_.expectFolder(language ? "Select folder for output file(s)"
                                      : "Выберите папку для выходных файлов",
                             outFolder());
        const QString fileWord = language ? "File " : "Файл ";
        queued_.expectQuestion(fileWord + out(names[0]) + existsQuestion, Answer::yes);
        queued_.expectQuestionWithReason(openQuestion.arg(in(names[5])), Answer::no);
        // The window stays live while the files are judged.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(0);
        dialog.convert();
        ticker.stop();
        checkPrompts();
        QVERIFY(ticks > 0);

        const QString empty = dir_.filePath("first-run.ini");
        QCOMPARE(readFile(out(names[0])),
                 QByteArray::fromStdString(vorlex::engine::win1251ToUtf8(kProse + kProse)));
        QCOMPARE(readFile(out(names[0])), autoBest(in(names[0]), empty));
        QCOMPARE(readFile(out(names[2])),
                 QByteArray::fromStdString(vorlex::engine::win1251ToUtf8(kProse)));
        QCOMPARE(readFile(out(names[2])), autoBest(in(names[2]), empty));
        QCOMPARE(entries(outFolder()), (QStringList{names[0], names[2]}));
        QCOMPARE(progressBar(dialog)->value(), 0);

        auto* results = dialog.findChild<vorlex::tools::BatchResultsDialog*>();
        QVERIFY(results != nullptr);
        QVERIFY(results->isVisible());
        QCOMPARE(results->findChild<QLabel*>("summary")->text(), summary);
        auto* list = results->findChild<QTreeWidget*>("results");
        QCOMPARE(list->topLevelItemCount(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const QTreeWidgetItem* row = list->topLevelItem(i);
            QCOMPARE(row->text(0), names[i]);
            QCOMPARE(row->text(2), actions[i]);
            // Confidence for the files judged; none for the binary and the missing one.
            QCOMPARE(row->text(3).isEmpty(), i == 3 || i == 5);
        }
        QVERIFY(list->topLevelItem(0)->text(3).toDouble() > 0.5);
    }

    // The Auto entry and `vorlex-cli batch --auto` decide each file of a mixed folder alike:
    // the same files written, a UTF-8 mojibake file repaired into the same UTF-8 bytes, an
    // 8-bit repair the same text (the window writing UTF-8 by default), the same confidence.
    // With Windows-1251 output a repair holding a character without a code is not written.
    void autoDecidesEachFileAsTheCliBatchDoes() {
        store::writeBuiltInSchemes(*store_);
        const std::string prose = vorlex::engine::win1251ToUtf8(kProse);
        const QStringList names{"a-koi.txt", "b-utf8.txt", "c-correct.txt", "d.png"};
        writeFile(in(names[0]), QByteArray::fromStdString(vorlex::testing::koiFromWin1251(kProse)));
        writeFile(in(names[1]),
                  QByteArray::fromStdString(vorlex::test::misread(
                      prose + "Café ☕\n", {}, vorlex::engine::DisplayPage::windows1251)));
        writeFile(in(names[2]), QByteArray::fromStdString(prose));
        writeFile(in(names[3]), QByteArray("\x89PNG\r\n\x1a\n", 8) + kProse.c_str());
        QStringList sources;
        for (const QString& name : names)
            sources.push_back(in(name));

        const QString cliOut = dir_.filePath("cli");
        const QString report = dir_.filePath("report.jsonl");
        QVERIFY(QDir().mkpath(cliOut));
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VORLEX_SETTINGS", dir_.filePath("first-run.ini"));
        cli.setProcessEnvironment(env);
        cli.start(VORLEX_CLI_PATH,
                  QStringList{"batch", "--auto", "--out", cliOut, "--report", report} + sources);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QStringList reported;
        for (const QByteArray& line : readFile(report).split('\n'))
            if (!line.isEmpty())
                reported.push_back(
                    QJsonDocument::fromJson(line).object().value("action").toString());
        QCOMPARE(reported, (QStringList{"repaired", "repaired", "unchanged", "skipped"}));

        for (const int encoding : {1, 0}) {
            QDir(outFolder()).removeRecursively();
            QVERIFY(QDir().mkpath(outFolder()));
            store::writeSetting(*store_, store::kOutputEncoding, encoding);
            BatchDialog dialog(*store_, queued_);
            selectScheme(dialog, "Auto (each file its own repair)");
            queued_.expectOpenFiles("Select file(s) for converting", sources);
            queued_.expectFolder("Select folder for output file(s)", outFolder());
            dialog.convert();
            checkPrompts();
            const QByteArray cliKoi = readFile(cliOut + "/" + names[0]);
            QCOMPARE(readFile(out(names[0])),
                     encoding ? QByteArray::fromStdString(
                                    vorlex::engine::win1251ToUtf8(cliKoi.toStdString()))
                              : cliKoi);
            auto* list =
                dialog.findChild<vorlex::tools::BatchResultsDialog*>()->findChild<QTreeWidget*>(
                    "results");
            if (encoding) {
                QCOMPARE(entries(outFolder()), entries(cliOut));
                QCOMPARE(readFile(out(names[1])), readFile(cliOut + "/" + names[1]));
                QCOMPARE(readFile(out(names[1])), QByteArray::fromStdString(prose + "Café ☕\n"));
            } else {
                QCOMPARE(entries(outFolder()), QStringList{names[0]});
                QCOMPARE(list->topLevelItem(1)->text(2),
                         QString("not written: 2 characters not in Windows-1251"));
            }
            for (int i = 0; i < 3; ++i) {
                const QJsonObject line =
                    QJsonDocument::fromJson(readFile(report).split('\n')[i]).object();
                QCOMPARE(list->topLevelItem(i)->text(3),
                         QString::number(line.value("confidence").toDouble(), 'f', 2));
            }
        }
    }

    void closingDuringAnAutoBatchEndsItAfterTheFileInHand() {
        store::writeBuiltInSchemes(*store_);
        std::string big;
        while (big.size() < (1u << 20))
            big += kProse;
        writeFile(in("a.txt"), QByteArray::fromStdString(vorlex::testing::koiFromWin1251(big)));
        writeFile(in("b.txt"), QByteArray::fromStdString(vorlex::testing::koiFromWin1251(kProse)));
        BatchDialog dialog(*store_, queued_);
        selectScheme(dialog, "Auto (each file its own repair)");
        queued_.expectOpenFiles("Select file(s) for converting",
                                QStringList{in("a.txt"), in("b.txt")});
        queued_.expectFolder("Select folder for output file(s)", outFolder());
        bool convertEnabled = true;
        QTimer::singleShot(0, &dialog, [&] {
            convertEnabled = dialog.findChild<QPushButton*>("convertButton")->isEnabled();
            dialog.findChild<QPushButton*>("closeButton")->click();
        });
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.convert();
        checkPrompts();
        QVERIFY(!convertEnabled);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(entries(outFolder()), QStringList{"a.txt"});
        QCOMPARE(readFile(out("a.txt")),
                 QByteArray::fromStdString(vorlex::engine::win1251ToUtf8(big)));
        QVERIFY(dialog.findChild<vorlex::tools::BatchResultsDialog*>() == nullptr);
    }

    void cancellingAPickerStopsQuietly() {
        storeSchemes();
        writeFile(in("a.txt"), kKoiPrivet);
        BatchDialog dialog(*store_, queued_);
        queued_.expectOpenFiles("Select file(s) for converting", std::nullopt);
        dialog.convert();
        checkPrompts();
        queued_.expectOpenFiles("Select file(s) for converting", QStringList{in("a.txt")});
        queued_.expectFolder("Select folder for output file(s)", std::nullopt);
        dialog.convert();
        checkPrompts();
        QVERIFY(entries(outFolder()).isEmpty());
    }
};

} // namespace

QTEST_MAIN(BatchDialogTest)
#include "batch_dialog_test.moc"
