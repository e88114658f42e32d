// vorlex-cli batch, run as a user would on real files in a temporary folder.
#include "tests/support/cli_runner.h"
#include "tests/support/test_files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray kKoiPrivet("\xF0\xD2\xC9\xD7\xC5\xD4"); // "Привет" in KOI8-R
const QByteArray kWinPrivet("\xCF\xF0\xE8\xE2\xE5\xF2"); // the same in Windows-1251

using namespace vorlex::testing; // the runner, its fixture and the file helpers

class BatchCli : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(dir_.filePath("in")));
        ASSERT_TRUE(QDir().mkpath(dir_.filePath("out")));
    }

    CliRun run(const QStringList& args, const QString& workingFolder = {}) {
        return runProgram(VORLEX_CLI_PATH, QStringList{"batch"} + args, settings_, {}, {},
                          workingFolder);
    }

    QString in(const QString& name) const { return dir_.filePath("in/" + name); }
    QString out(const QString& name) const { return dir_.filePath("out/" + name); }
    QString outFolder() const { return dir_.filePath("out"); }

    static int lines(const QByteArray& text) { return int(text.count('\n')); }
};

TEST_F(BatchCli, ConvertsEveryFileIntoTheFolderUnderItsOwnName) {
    writeFile(in("a.txt"), kKoiPrivet);
    writeFile(in("b.eml"), kKoiPrivet + "\n");
    const CliRun result = run({"--action", "kw", "--out", outFolder(), in("a.txt"), in("b.eml")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty());
    EXPECT_EQ(readFile(out("a.txt")), kWinPrivet);
    EXPECT_EQ(readFile(out("b.eml")), kWinPrivet + "\n");
}

TEST_F(BatchCli, AStoredSchemeAndTheStoredLatinSwitchesAreUsed) {
    writeFile(settings_, "[Parameters]\nFlag=1\nTotal%20schemes=1\nSparate%20english=1\n"
                         "[5]\nName=Mine\nAction=kw wl\n");
    writeFile(in("a.txt"), kKoiPrivet + " John");
    const CliRun result = run({"--scheme", "Mine", "--out", outFolder(), in("a.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), QByteArray("Privet \\ John"));
    EXPECT_EQ(run({"--scheme", "Nobody", "--out", outFolder(), in("a.txt")}).exitCode, 1);
}

TEST_F(BatchCli, AnExistingOutputIsAnErrorUnlessOverwriteOrSkipIsGiven) {
    writeFile(in("a.txt"), kKoiPrivet);
    writeFile(in("b.txt"), kKoiPrivet);
    writeFile(out("a.txt"), "old a");

    CliRun result = run({"--action", "kw", "--out", outFolder(), in("a.txt"), in("b.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(lines(result.err), 1);
    EXPECT_TRUE(result.err.contains(QFile::encodeName(out("a.txt")))) << result.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), QByteArray("old a"));
    EXPECT_EQ(readFile(out("b.txt")), kWinPrivet);

    result = run({"--action", "kw", "--skip", "--out", outFolder(), in("a.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), QByteArray("old a"));

    result = run({"--action", "kw", "--overwrite", "--out", outFolder(), in("a.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), kWinPrivet);
}

TEST_F(BatchCli, TheSourceFolderAsOutputWithOverwriteReplacesEachSource) {
    writeFile(in("a.txt"), kKoiPrivet);
    const CliRun result =
        run({"--action", "kw", "--overwrite", "--out", dir_.filePath("in"), in("a.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readFile(in("a.txt")), kWinPrivet);
    EXPECT_EQ(QDir(dir_.filePath("in")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"a.txt"});
}

TEST_F(BatchCli, FailingFilesAreReportedOneLineEachAndTheOthersAreConverted) {
    writeFile(in("good1.txt"), kKoiPrivet);
    writeFile(in("empty.txt"), "");
    writeFile(in("good2.txt"), kKoiPrivet);
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("other")));
    writeFile(dir_.filePath("other/good1.txt"), "same name, other folder");
    const CliRun result =
        run({"--action", "kw", "--out", outFolder(), in("good1.txt"), in("missing.txt"),
             in("empty.txt"), dir_.filePath("other/good1.txt"), in("good2.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(lines(result.err), 3) << result.err.toStdString();
    for (const QString& name :
         {in("missing.txt"), in("empty.txt"), dir_.filePath("other/good1.txt")})
        EXPECT_TRUE(result.err.contains("vorlex-cli: " + QFile::encodeName(name) + ": "))
            << name.toStdString() << "\n"
            << result.err.toStdString();
    EXPECT_EQ(readFile(out("good1.txt")), kWinPrivet); // not replaced by the second good1.txt
    EXPECT_EQ(readFile(out("good2.txt")), kWinPrivet);
    EXPECT_EQ(QDir(outFolder()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"good1.txt", "good2.txt"}));
}

TEST_F(BatchCli, AnOutputFolderThatIsMissingOrNotAFolderFails) {
    writeFile(in("a.txt"), kKoiPrivet);
    CliRun result = run({"--action", "kw", "--out", dir_.filePath("nowhere"), in("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("nowhere")) << result.err.toStdString();
    result = run({"--action", "kw", "--out", in("a.txt"), in("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(readFile(in("a.txt")), kKoiPrivet);
}

TEST_F(BatchCli, UsageErrorsExitWithTwoAndConvertNothing) {
    writeFile(in("a.txt"), kKoiPrivet);
    const QList<QStringList> cases = {
        {"--action", "kw", in("a.txt")},     // no --out
        {"--out", outFolder(), in("a.txt")}, // no action
        {"--action", "kw", "--scheme", "Koi->Win", "--out", outFolder(), in("a.txt")},
        {"--action", "kw", "--out", outFolder()}, // no file
        {"--action", "kw", "--out", outFolder(), "--overwrite", "--skip", in("a.txt")},
        {"--action", "Kw", "--out", outFolder(), in("a.txt")}, // no filter
        {"--action", "kw", "--out", "", in("a.txt")},
        {"--action", "kw", "--out", outFolder(), "--bogus", in("a.txt")},
        {"--action", "kw", "--out", outFolder(), "-"},
        {"--action", "kw", "--out"},
    };
    for (const QStringList& args : cases) {
        const CliRun result = run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty()) << args.join(' ').toStdString();
    }
    EXPECT_TRUE(QDir(outFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(BatchCli, AFileNamedLikeAnOptionIsConvertedAfterTheDoubleDash) {
    writeFile(in("-x.txt"), kKoiPrivet);
    const CliRun result =
        run({"--action", "kw", "--out", outFolder(), "--", "-x.txt"}, dir_.filePath("in"));
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readFile(out("-x.txt")), kWinPrivet);
}

} // namespace

namespace {

// Two thousand files in one run, each with its own bytes: every output is checked whole.
TEST_F(BatchCli, ConvertsTwoThousandFilesByteForByte) {
    constexpr int kFiles = 2000;
    QStringList args{"--action", "kw", "--out", outFolder()};
    for (int i = 0; i < kFiles; ++i) {
        // All 256 byte values, shifted per file, so that a mixed-up output shows.
        QByteArray bytes = QByteArray::number(i) + ':';
        for (int b = 0; b < 256; ++b)
            bytes.append(char((b + i) & 0xFF));
        bytes.append(kKoiPrivet);
        const QString name = QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        writeFile(in(name), bytes);
        args << in(name);
    }
    const CliRun result = run(args);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty());

    // The Koi->Win table, read off the tool itself on all 256 bytes in a file of their own.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    writeFile(in("table.bin"), all);
    ASSERT_EQ(run({"--action", "kw", "--out", outFolder(), in("table.bin")}).exitCode, 0);
    const QByteArray table = readFile(out("table.bin"));
    ASSERT_EQ(table.size(), 256);
    // Spot checks of the table against known letters: KOI8-R "П" is Windows-1251 0xCF.
    ASSERT_EQ(uchar(table[0xF0]), 0xCF);
    ASSERT_EQ(uchar(table['A']), uchar('A'));

    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        QByteArray expected = QByteArray::number(i) + ':';
        for (int b = 0; b < 256; ++b)
            expected.append(table[(b + i) & 0xFF]);
        expected.append(kWinPrivet);
        ASSERT_EQ(readFile(out(name)), expected) << name.toStdString();
    }
}

} // namespace
