// The window's logic without a window: clipboard text to bytes, file sources, the check of the
// maximum-variants field, the switches read at start, the text table and dialog units.
#include "app/main_window_logic.h"
#include "app/main_window_texts.h"
#include "app/source_text.h"
#include "app/variant_queue.h"
#include "chrome/dialog_units.h"
#include "detect/pass.h"
#include "engine/cp1251.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorlex::app {
namespace {

std::string win1251(const char* utf8) {
    return engine::win1251Literal(utf8);
}

TEST(ClipboardText, CyrillicTextBecomesWindows1251) {
    const ClipboardBytes bytes = clipboardTextToBytes(QStringLiteral("Привет, мир! №1 — «да»"));
    EXPECT_EQ(bytes.bytes, win1251("Привет, мир! №1 — «да»"));
    EXPECT_EQ(bytes.replaced, 0);
}

TEST(ClipboardText, WesternLookingWindows1251TakesTheWesternBytes) {
    // "Привет" stored as Windows-1251 and shown as Latin-1.
    const ClipboardBytes bytes =
        clipboardTextToBytes(QString::fromLatin1("\xCF\xF0\xE8\xE2\xE5\xF2"));
    EXPECT_EQ(bytes.bytes, win1251("Привет"));
    EXPECT_EQ(bytes.replaced, 0);
    // Windows-1252 letters above 0x7F that Latin-1 lacks: Ž (0x8E), œ (0x9C), € (0x80).
    const ClipboardBytes western = clipboardTextToBytes(QStringLiteral("\u017D\u0153\u20AC\u00E9"));
    EXPECT_EQ(western.bytes, std::string("\x8E\x9C\x80\xE9"));
    EXPECT_EQ(western.replaced, 0);
}

TEST(ClipboardText, UnmappableCharactersBecomeQuestionMarksAndAreCounted) {
    // Greek and CJK have no byte in any of the three code pages; the emoji is one character.
    const ClipboardBytes bytes =
        clipboardTextToBytes(QStringLiteral("Да \u03A9\u4E2D \U0001F600!"));
    EXPECT_EQ(bytes.bytes, win1251("Да ?? ?!"));
    EXPECT_EQ(bytes.replaced, 3);
    // Mixed Cyrillic and Latin-1-only letters: neither rule covers all, so the Latin one goes.
    const ClipboardBytes mixed = clipboardTextToBytes(QStringLiteral("Жé"));
    EXPECT_EQ(mixed.bytes, win1251("Ж?"));
    EXPECT_EQ(mixed.replaced, 1);
}

TEST(ClipboardText, LossyWindows1251CountsWhatItReplaces) {
    int replaced = -1;
    // Latin-1 letters stay '?' too: this is Windows-1251, not the Western rule.
    EXPECT_EQ(unicodeToWin1251Lossy("Да 😀 é\xFF.", &replaced), win1251("Да ? ??."));
    EXPECT_EQ(replaced, 3);
    EXPECT_EQ(unicodeToWin1251Lossy("Всё — «так»", &replaced), win1251("Всё — «так»"));
    EXPECT_EQ(replaced, 0);
}

TEST(ClipboardText, ShownTextRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString shown = bytesToShownText(all);
    EXPECT_EQ(shown.size(), 255);
    EXPECT_EQ(clipboardTextToBytes(shown).bytes, all);
}

class FileSource : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(FileSource, ReadsAndSamplesARegularFile) {
    const QString path =
        write(QStringLiteral("a.txt"),
              QByteArray::fromStdString(win1251("Мы были дома, он нам не сказал.")));
    const auto file = analyseFile(path);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->sample.hasWords());
    EXPECT_EQ(file->sample.textSample().substr(0, 6), win1251("Мы был"));
    EXPECT_FALSE(file->unicode); // Windows-1251 bytes stay bytes
}

TEST_F(FileSource, Utf8FileIsKeptAsUnicodeAndSampledInItsEightBitForm) {
    // With a byte-order mark, which is no part of the text.
    const QString path =
        write(QStringLiteral("u.txt"), QByteArray("\xEF\xBB\xBF") + "Мы были дома 😀");
    const auto file = analyseFile(path);
    ASSERT_TRUE(file && file->unicode && file->eightBit);
    EXPECT_EQ(*file->unicode, "Мы были дома 😀");
    EXPECT_EQ(*file->eightBit, win1251("Мы были дома ?"));
    EXPECT_EQ(file->replaced, 1);
    EXPECT_EQ(file->sample.textSample().substr(0, 6), win1251("Мы был"));
    // Plain ASCII reads the same either way: no Unicode copy.
    const auto ascii = analyseFile(write(QStringLiteral("a.txt"), "plain text"));
    ASSERT_TRUE(ascii);
    EXPECT_FALSE(ascii->unicode);
}

TEST_F(FileSource, BinaryDataIsReadButHasNoWords) {
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 37) & 0x3F)); // control bytes and digits
    const auto file = analyseFile(write(QStringLiteral("b.bin"), binary));
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->sample.hasWords());
}

TEST_F(FileSource, RefusesWhatIsNoReadableNonEmptyFile) {
    EXPECT_FALSE(analyseFile(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(analyseFile(dir.path()));
    EXPECT_FALSE(analyseFile(write(QStringLiteral("empty.txt"), {})));
    EXPECT_FALSE(analyseFile(QString()));
    // A pipe would block the open until a writer came: it is refused before opening.
    const QByteArray fifo = dir.filePath(QStringLiteral("pipe")).toLocal8Bit();
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(analyseFile(QString::fromLocal8Bit(fifo)));
    EXPECT_FALSE(analyseFile(QStringLiteral("/dev/zero")));
}

TEST_F(FileSource, RefusesAFileLargerThanA32BitSize) {
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Sparse: 3 GB of size, hardly any disk.
    if (!file.resize(3LL * 1024 * 1024 * 1024))
        GTEST_SKIP() << "cannot create a 3 GB sparse file here";
    file.close();
    EXPECT_FALSE(analyseFile(path));
}

TEST_F(FileSource, RefusesAnUnreadableFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = write(QStringLiteral("locked.txt"), "text");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    EXPECT_FALSE(analyseFile(path));
}

TEST_F(FileSource, AFileShortenedWhileItIsReadIsNoCrash) {
    // Another program empties and refills the file all the while; a mapped file would raise
    // SIGBUS on the first page that is gone.
    const std::string text(std::size_t{4} << 20, 'a'); // no words: the sample reads it all
    const QString path = write(QStringLiteral("busy.txt"), QByteArray::fromStdString(text));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop.load())
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) < 0)
                break;
    });
    // Each read may be refused (the file changed under it) or sampled; what matters is that
    // none of them brings the program down.
    for (int i = 0; i < 200; ++i)
        (void)analyseFile(path);
    stop = true;
    writer.join();
    ::close(fd);
    // The writer always ends with a whole file, which then samples as usual.
    EXPECT_TRUE(analyseFile(path).has_value());
}

TEST(VariantLimit, AcceptsOneToNinetyNine) {
    EXPECT_EQ(checkVariantLimit(QStringLiteral("5")).result, VariantLimitCheck::Result::ok);
    EXPECT_EQ(checkVariantLimit(QStringLiteral("5")).value, 5);
    EXPECT_EQ(checkVariantLimit(QStringLiteral("1")).result, VariantLimitCheck::Result::ok);
    EXPECT_EQ(checkVariantLimit(QStringLiteral("99")).result, VariantLimitCheck::Result::ok);
    for (const char* bad : {"0", "100", "150", "-3"})
        EXPECT_EQ(checkVariantLimit(QString::fromLatin1(bad)).result,
                  VariantLimitCheck::Result::outOfRange)
            << bad;
    for (const char* bad : {"", "abc", "5x", "1.5"})
        EXPECT_EQ(checkVariantLimit(QString::fromLatin1(bad)).result,
                  VariantLimitCheck::Result::notANumber)
            << bad;
}

TEST(MainTexts, ZeroIsRussianAnythingElseEnglish) {
    EXPECT_EQ(mainText(MainText::exitButton, vorlex::store::languageOf(0)),
              QStringLiteral("ВЫХОД"));
    EXPECT_EQ(mainText(MainText::exitButton, vorlex::store::languageOf(1)), QStringLiteral("EXIT"));
    EXPECT_EQ(mainText(MainText::exitButton, vorlex::store::languageOf(2)), QStringLiteral("EXIT"));
    EXPECT_EQ(mainText(MainText::exitButton, vorlex::store::languageOf(-1)),
              QStringLiteral("EXIT"));
    // Every text exists in both languages.
    for (int id = 0; id < static_cast<int>(MainText::count_); ++id) {
        EXPECT_FALSE(mainText(static_cast<MainText>(id), vorlex::store::languageOf(0)).isEmpty())
            << id;
        EXPECT_FALSE(mainText(static_cast<MainText>(id), vorlex::store::languageOf(1)).isEmpty())
            << id;
    }
}

TEST(MainTexts, EachSourceHasItsOwnMessages) {
    EXPECT_EQ(mainText(noWordsMessage(SourceKind::droppedFile), vorlex::store::languageOf(1)),
              QStringLiteral("This tex can not be auto-recoding"));
    EXPECT_EQ(mainText(noWordsMessage(SourceKind::clipboard), vorlex::store::languageOf(0)),
              QStringLiteral("К сожалению, этот текст не может быть автоматически перекодирован"));
    EXPECT_EQ(mainText(noWordsMessage(SourceKind::chosenFile), vorlex::store::languageOf(0)),
              QStringLiteral("К сожалению, этот файл не может быть автоматически перекодирован"));
    EXPECT_EQ(
        mainText(readFailedMessage(SourceKind::commandLineFile), vorlex::store::languageOf(1)),
        QStringLiteral("Error reading from file"));
    EXPECT_EQ(mainText(readFailedMessage(SourceKind::chosenFile), vorlex::store::languageOf(1)),
              QStringLiteral("Error reading file"));
    EXPECT_EQ(mainText(readFailedMessage(SourceKind::clipboard), vorlex::store::languageOf(1)),
              QStringLiteral("Clipboard contains wrong data format"));
}

TEST(VariantQueueTest, AppliedOperationsGiveThePassesFinalList) {
    const detect::Dictionary dictionary;
    detect::PassSetup setup;
    setup.sample = detect::sampleSource(
        win1251("Мы были дома все вместе, и он нам не сказал, что она уже тут. Как дела?"));
    setup.schemeItems = {detect::kAutoItem};
    setup.maxVariants = 4; // small, so lines are inserted, pushed down and removed
    setup.precision = 0;
    const detect::PassResult reference = detect::runPass(dictionary, setup);

    VariantQueue queue;
    detect::RecodingPass pass(dictionary);
    ASSERT_TRUE(pass.start(setup, queue));
    pass.wait();
    const std::vector<ListOperation> operations = queue.take();
    EXPECT_TRUE(queue.take().empty());
    bool removed = false;
    for (const ListOperation& op : operations)
        removed = removed || op.kind == ListOperation::Kind::remove;
    EXPECT_TRUE(removed) << "the sample should overflow four lines";

    std::vector<std::string> lines;
    applyOperations(operations, lines);
    ASSERT_EQ(lines.size(), reference.variants.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], reference.variants[i].line) << i;
}

TEST(VariantQueueTest, OutOfRangeOperationsAreHarmless) {
    std::vector<std::string> lines = {"a"};
    applyOperations({{ListOperation::Kind::remove, 5, {}},
                     {ListOperation::Kind::insert, 9, "b"},
                     {ListOperation::Kind::insert, -1, "c"},
                     {ListOperation::Kind::remove, -1, {}}},
                    lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"c", "a", "b"}));
}

TEST(DialogUnitsTest, ConvertsEachEdgeWithRounding) {
    const vorlex::chrome::DialogUnits du(6,
                                         13); // a 6-pixel average width, 13-pixel character height
    EXPECT_EQ(du.x(4), 6);
    EXPECT_EQ(du.x(403), 605); // 604.5 rounds up
    EXPECT_EQ(du.y(8), 13);
    EXPECT_EQ(du.y(12), 20); // 19.5
    // Edges are converted, not the width: 1 + 1 units is not twice one unit's width here.
    const QRect r = du.rect(1, 0, 1, 8);
    EXPECT_EQ(r.left(), 2);      // 1.5 -> 2
    EXPECT_EQ(r.right(), 3 - 1); // 2 units -> 3 pixels
    EXPECT_EQ(r.height(), 13);
}

} // namespace
} // namespace vorlex::app
