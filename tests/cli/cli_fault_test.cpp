// vorlex-cli against what a disk and a settings file can do to it: a file past 4 GiB, a full
// file system, a read-only folder, a pipe as the settings file and integers at their limits.
// Each must end in a clear message or a sound result, with the old target file whole.
#include "engine/cp1251.h"
#include "tests/support/cli_runner.h"
#include "tests/support/koi_text.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/test_files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using vorlex::engine::win1251Literal;

using namespace vorlex::testing; // the runner, its fixture and the file helpers

class CliFaultTest : public ProgramTest {
protected:
    // Runs vorlex-cli through the shell, so that a test can set limits first.
    CliRun runShell(const QString& command, const QByteArray& input = {}) {
        return runProgram("/bin/sh", {"-c", command}, settings_, input,
                          {QStringLiteral("CLI=") + VORLEX_CLI_PATH}, {}, 300000);
    }

    static QString quoted(const QString& text) { return "'" + text + "'"; }
};

constexpr qint64 kPastFourGiB = (qint64{1} << 32) + 1;

TEST_F(CliFaultTest, AFileOfFourGibibytesAndOneByte) {
    // Sparse: zeros up to the last byte, a KOI8-R letter "я" (0xD1) that Koi->Win makes 0xFF.
    const QString big = path("big.bin");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.seek(kPastFourGiB - 1));
        ASSERT_EQ(file.write("\xD1", 1), 1);
    }
    ASSERT_EQ(QFileInfo(big).size(), kPastFourGiB);

    // Tables stream the file: every byte arrives, the last one recoded.
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORLEX_SETTINGS", settings_);
    process.setProcessEnvironment(env);
    process.start(VORLEX_CLI_PATH, {"recode", "--action", "kw", big});
    ASSERT_TRUE(process.waitForStarted());
    qint64 received = 0;
    char last = 0;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        if (process.bytesAvailable() == 0 && !process.waitForReadyRead(300000))
            continue;
        const QByteArray chunk = process.readAll();
        if (chunk.isEmpty())
            continue;
        received += chunk.size();
        last = chunk.back();
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(received, kPastFourGiB);
    EXPECT_EQ(static_cast<unsigned char>(last), 0xFF);

#ifdef VORLEX_SANITIZED_BUILD
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit under a limit of 1 GiB";
#endif
    // A chain that needs the whole file in memory, in a process allowed 1 GiB: refused with
    // a message, the old output whole.
    writeFile(path("out.txt"), "previous contents");
    const CliRun limited = runShell("ulimit -v 1048576; exec \"$CLI\" recode --action 'kw wl' " +
                                    quoted(big) + " -o " + quoted(path("out.txt")));
    EXPECT_EQ(limited.exitCode, 1) << limited.err.toStdString();
    EXPECT_TRUE(limited.err.contains("big.bin: not enough memory")) << limited.err.toStdString();
    EXPECT_EQ(readFile(path("out.txt")), QByteArray("previous contents"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList({"big.bin", "out.txt"}));
}

TEST_F(CliFaultTest, AFullFileSystemLeavesTheTargetWhole) {
    const QString folder = path("full");
    vorlex::testing::SmallTmpfs small(folder);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << small.reason();
    const QString target = folder + "/out.txt";
    writeFile(target, "previous contents");
    writeFile(path("in.txt"), QByteArray(1 << 20, static_cast<char>(0xC1)));

    for (const char* action : {"kw", "kw wl", "wl"}) {
        const CliRun run = runShell(QString("exec \"$CLI\" recode --action '%1' %2 -o %3")
                                        .arg(action, quoted(path("in.txt")), quoted(target)));
        EXPECT_EQ(run.exitCode, 1) << action;
        EXPECT_TRUE(run.err.contains("out.txt")) << action << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("No space left on device"))
            << action << ": " << run.err.toStdString();
        EXPECT_EQ(readFile(target), QByteArray("previous contents")) << action;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"out.txt"}))
            << action << ": a temporary file was left";
    }

    // Standard output on the full disk: the failure is reported, not taken for success.
    const CliRun toStdout = runShell("exec \"$CLI\" recode --action kw " + quoted(path("in.txt")) +
                                     " > " + quoted(folder + "/stdout.txt"));
    EXPECT_EQ(toStdout.exitCode, 1) << toStdout.err.toStdString();
    EXPECT_TRUE(toStdout.err.contains("standard output")) << toStdout.err.toStdString();
}

// A batch onto a disk that fills up stops there: the outputs written are whole, none is half
// written, and the message says why. In place, a file the disk has no room for stays as it was.
TEST_F(CliFaultTest, ABatchOntoAFullDiskStopsWithTheFilesDoneWhole) {
    const QString folder = path("full");
    vorlex::testing::SmallTmpfs small(folder);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << small.reason();
    const std::string text = win1251Literal(
        "Вчера вечером мы долго гуляли по старому парку и говорили о том, как быстро проходит "
        "время. Осенние листья шуршали под ногами, а в окнах домов уже зажигался свет.\n");
    QDir().mkpath(path("in"));
    constexpr int kFiles = 60; // about 3 KB each, far more than 64 KB
    for (int i = 0; i < kFiles; ++i)
        writeFile(path(QString("in/%1.txt").arg(i, 2, 10, QChar('0'))),
                  QByteArray::fromStdString(koiFromWin1251(text + std::to_string(i) + '\n'))
                      .repeated(12));

    const CliRun run = runShell("exec \"$CLI\" batch --auto -r -j 2 --out " + quoted(folder) +
                                " --report " + quoted(path("r.jsonl")) + " " + quoted(path("in")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("No space left on device")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("the disk is full: stopped after")) << run.err.toStdString();
    const QStringList written = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_FALSE(written.isEmpty());
    for (const QString& name : written) {
        EXPECT_FALSE(name.startsWith('.')) << "a temporary file: " << name.toStdString();
        const std::string number = name.left(2).toStdString();
        EXPECT_EQ(
            readFile(folder + "/" + name),
            QByteArray::fromStdString(text + std::to_string(std::stoi(number)) + '\n').repeated(12))
            << name.toStdString();
    }
    // It stopped: a file or two in flight after the first that found no room, no more.
    const int lines = readFile(path("r.jsonl")).count('\n');
    EXPECT_LE(lines, written.size() + 2) << run.err.toStdString();

    // In place on a disk filled with the sources: no file is lost or half replaced.
    vorlex::testing::SmallTmpfs filled(path("filled"));
    ASSERT_TRUE(filled.mounted());
    const QByteArray koi = QByteArray::fromStdString(koiFromWin1251(text)).repeated(12);
    int sources = 0;
    for (;; ++sources) {
        QFile file(path(QString("filled/%1.txt").arg(sources)));
        if (!file.open(QIODevice::WriteOnly) || file.write(koi) != koi.size() || !file.flush()) {
            file.remove();
            break;
        }
    }
    const CliRun inPlace =
        runShell("exec \"$CLI\" batch --auto --in-place -r " + quoted(path("filled")));
    EXPECT_EQ(inPlace.exitCode, 1);
    EXPECT_TRUE(inPlace.err.contains("the disk is full")) << inPlace.err.toStdString();
    for (int i = 0; i < sources; ++i) {
        const QString file = path(QString("filled/%1.txt").arg(i));
        if (QFile::exists(file + ".orig"))
            EXPECT_EQ(readFile(file + ".orig"), koi) << i;
        else
            EXPECT_EQ(readFile(file), koi) << i;
    }
    for (const QString& name : QDir(path("filled")).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(name.startsWith('.')) << "a temporary file: " << name.toStdString();
}

// A file another program keeps saving (a new file renamed over it) while a batch reads it:
// reported, or repaired whole from one of its versions, never a mix of the two.
TEST_F(CliFaultTest, AFileSavedWhileABatchReadsItIsNotHalfConverted) {
    const std::string win = win1251Literal("Мы долго гуляли по старому парку и говорили о том, "
                                           "как быстро проходит время.\n");
    const std::string second = win1251Literal("ЭТО ВТОРАЯ ВЕРСИЯ: ") + win.substr(19);
    const QByteArray versions[] = {
        QByteArray::fromStdString(koiFromWin1251(win)).repeated(50000),
        QByteArray::fromStdString(koiFromWin1251(second)).repeated(50000)};
    const QString source = path("busy.txt");
    writeFile(source, versions[0]);

    std::atomic<bool> stop{false};
    std::thread editor([&] {
        const QByteArray temporary = QFile::encodeName(path("busy.tmp"));
        for (int round = 1; !stop.load(); ++round) {
            const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const QByteArray& bytes = versions[round % 2];
            if (fd < 0 || ::write(fd, bytes.constData(), bytes.size()) != bytes.size())
                break;
            ::close(fd);
            ::rename(temporary.constData(), QFile::encodeName(source).constData());
        }
    });
    // Read whole for the automatic repair, a piece at a time through one chain of tables.
    for (const char* chain : {"--auto", "--action kw"}) {
        QDir(path("out")).removeRecursively();
        QDir().mkpath(path("out"));
        const CliRun run = runShell(QString("exec \"$CLI\" batch %1 -j 1 --out %2 %3")
                                        .arg(chain, quoted(path("out")), quoted(source)));
        if (run.exitCode != 0) {
            EXPECT_TRUE(run.err.contains("busy.txt: the file changed"))
                << chain << ": " << run.err.toStdString();
            EXPECT_TRUE(QDir(path("out")).isEmpty(QDir::Files | QDir::Hidden)) << chain;
            continue;
        }
        const QByteArray written = readFile(path("out/busy.txt"));
        const QByteArray back = QByteArray::fromStdString(koiFromWin1251(written.toStdString()));
        EXPECT_TRUE(back == versions[0] || back == versions[1]) << chain;
    }
    stop.store(true);
    editor.join();
}

TEST_F(CliFaultTest, AReadOnlyFolderIsRefusedWithTheReason) {
    const QString folder = path("ro");
    vorlex::testing::SmallTmpfs small(folder);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << small.reason();
    const QString target = folder + "/out.txt";
    writeFile(target, "previous contents");
    ASSERT_TRUE(small.makeReadOnly());
    writeFile(path("in.txt"), win1251Literal("Текст").c_str());

    for (const char* action : {"kw", "wl"}) {
        // Over an existing file, and as a new file.
        for (const QString& output : {target, folder + "/new.txt"}) {
            const CliRun run = runShell(QString("exec \"$CLI\" recode --action '%1' %2 -o %3")
                                            .arg(action, quoted(path("in.txt")), quoted(output)));
            EXPECT_EQ(run.exitCode, 1) << action;
            EXPECT_TRUE(
                run.err.contains(QFileInfo(output).fileName().toUtf8()) &&
                (run.err.contains("Read-only file system") || run.err.contains("is not writable")))
                << action << ": " << run.err.toStdString();
        }
        EXPECT_EQ(readFile(target), QByteArray("previous contents")) << action;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"out.txt"}));
    }
}

TEST_F(CliFaultTest, APipeAsTheSettingsFileIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(settings_.toLocal8Bit().constData(), 0600), 0);
    const CliRun schemes = runShell("exec \"$CLI\" schemes");
    EXPECT_EQ(schemes.exitCode, 0) << schemes.err.toStdString();
    EXPECT_TRUE(schemes.out.contains("Koi->Win")) << "the built-in schemes are listed";
    const CliRun recode = runShell("exec \"$CLI\" recode --action lw", "w");
    EXPECT_EQ(recode.exitCode, 0) << recode.err.toStdString();
    EXPECT_EQ(recode.out, QByteArray::fromStdString(win1251Literal("щ")));
}

TEST_F(CliFaultTest, StoredIntegersAtTheirLimits) {
    const QByteArray koiProse = [] {
        // "это был дом, где мы и они жили еще летом" in KOI8-R.
        return QByteArray("\xDC\xD4\xCF \xC2\xD9\xCC \xC4\xCF\xCD, \xC7\xC4\xC5 \xCD\xD9 \xC9 "
                          "\xCF\xCE\xC9 \xD6\xC9\xCC\xC9 \xC5\xDD\xC5 \xCC\xC5\xD4\xCF\xCD");
    }();
    struct Case {
        const char* value;
        bool switchOn; // a transliteration switch stored with this value is on
    };
    for (const Case& c : {Case{"-2147483648", true}, Case{"-1", true}, Case{"0", false},
                          Case{"2147483647", true}, Case{"99999999999", false}}) {
        writeFile(settings_, QByteArray("[Parameters]\nFlag=") + c.value +
                                 "\nTotal%20schemes=" + c.value + "\nW%20as%20Ve=" + c.value +
                                 "\n\n[Recoding%20Parameters]\nPrecision=" + c.value +
                                 "\nTotal%20Show=" + c.value + "\n");
        const CliRun listing = runShell("exec \"$CLI\" auto", koiProse);
        EXPECT_EQ(listing.exitCode, 0) << c.value << ": " << listing.err.toStdString();
        const QList<QByteArray> lines = listing.out.trimmed().split('\n');
        ASSERT_FALSE(lines.isEmpty()) << c.value;
        EXPECT_TRUE(lines.back().startsWith("found ")) << c.value;
        EXPECT_LE(lines.size() - 1, 99) << c.value;

        const CliRun schemes = runShell("exec \"$CLI\" schemes");
        EXPECT_EQ(schemes.exitCode, 0) << c.value << ": " << schemes.err.toStdString();

        const CliRun latin = runShell("exec \"$CLI\" recode --action lw", "w");
        EXPECT_EQ(latin.out, QByteArray::fromStdString(win1251Literal(c.switchOn ? "в" : "щ")))
            << c.value;
    }
}

} // namespace
