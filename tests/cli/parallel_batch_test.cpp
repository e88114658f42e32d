// vorlex-cli batch with --auto, -j, -r, --in-place and --report, run as a user would on real
// files in a temporary folder, and interrupted at random moments.
#include "cli/worker_pool.h"
#include "engine/cp1251.h"
#include "tests/support/cli_runner.h"
#include "tests/support/koi_text.h"
#include "tests/support/mojibake.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <random>

namespace {

using namespace vorlex::testing;

const std::string kText = vorlex::engine::win1251Literal(
    "Вчера вечером мы долго гуляли по старому парку и говорили о том, как быстро проходит "
    "время. Осенние листья шуршали под ногами, а в окнах домов уже зажигался свет. Потом мы "
    "пили чай с вареньем и вспоминали лето, море и друзей, которых давно не видели.\n");

QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

class ParallelBatch : public ProgramTest {
protected:
    CliRun run(const QStringList& args) { return runProgram(VORLEX_CLI_PATH, args, settings_); }
    /// The report's objects, one a line.
    static std::vector<QJsonObject> report(const QString& file) {
        std::vector<QJsonObject> lines;
        for (const QByteArray& line : readFile(file).split('\n'))
            if (!line.isEmpty())
                lines.push_back(QJsonDocument::fromJson(line).object());
        return lines;
    }
};

TEST_F(ParallelBatch, EachFileGetsWhatAutoBestGivesItInInputOrder) {
    QDir().mkpath(path("in/sub"));
    QDir().mkpath(path("out"));
    writeFile(path("in/a-koi.txt"), bytes(koiFromWin1251(kText)));
    writeFile(path("in/b-win.txt"), bytes(kText));
    writeFile(path("in/c.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + bytes(kText));
    writeFile(path("in/sub/d-koi.txt"), bytes(koiFromWin1251(kText + kText)));
    writeFile(path("in/sub/e.bin"), QByteArray("ab\0cd", 5));
    ASSERT_TRUE(QFile::link(path("in/a-koi.txt"), path("in/sub/f-link.txt")));

    const CliRun result = run({"batch", "--auto", "-r", "-j", "3", "--copy-unchanged", "--out",
                               path("out"), "--report", path("r.jsonl"), path("in")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const std::vector<QJsonObject> lines = report(path("r.jsonl"));
    const QStringList names{"a-koi.txt",     "b-win.txt", "c.png",
                            "sub/d-koi.txt", "sub/e.bin", "sub/f-link.txt"};
    const QStringList actions{"repaired", "copied", "skipped", "repaired", "skipped", "skipped"};
    ASSERT_EQ(lines.size(), std::size_t(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        const QString source = path("in/" + names[i]);
        EXPECT_EQ(lines[i]["path"].toString(), source);
        EXPECT_EQ(lines[i]["action"].toString(), actions[i]) << names[i].toStdString();
        if (actions[i] == "skipped") {
            EXPECT_FALSE(QFile::exists(path("out/" + names[i])));
            continue;
        }
        // The verdict auto --refined gives, the document auto --best writes.
        const CliRun refined = run({"auto", "--refined", "--json", source});
        EXPECT_EQ(lines[i]["verdict"].toString(),
                  QJsonDocument::fromJson(refined.out).object()["verdict"].toString());
        const CliRun best = run({"auto", "--best", source});
        EXPECT_EQ(readFile(path("out/" + names[i])), best.out) << names[i].toStdString();
        EXPECT_EQ(lines[i]["output"].toString(), path("out/" + names[i]));
        EXPECT_EQ(lines[i]["bytes_in"].toInt(), QFileInfo(source).size());
    }
    EXPECT_EQ(readFile(path("out/a-koi.txt")), bytes(kText));
    EXPECT_EQ(lines[2]["error"].toString(), "a binary file");

    // Run again: the outputs exist, each is a failure line naming its file unless --skip.
    const CliRun again = run({"batch", "--auto", "-r", "--out", path("out"), path("in")});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("a-koi.txt: ")) << again.err.toStdString();
    EXPECT_EQ(run({"batch", "--auto", "-r", "--skip", "--out", path("out"), path("in")}).exitCode,
              0);
}

TEST_F(ParallelBatch, TextThatArrivesAsUnicodeIsRepairedAsAutoBestRepairsIt) {
    QDir().mkpath(path("in"));
    QDir().mkpath(path("out"));
    const std::string utf8 = vorlex::engine::win1251ToUtf8(kText);
    const auto& families = vorlex::test::mojibakeFamilies();
    for (const vorlex::test::MojibakeFamily& family : families)
        writeFile(path("in/" + QString::fromLatin1(family.name.data(), int(family.name.size()))),
                  bytes(family.damage(utf8)));
    const CliRun result =
        run({"batch", "--auto", "-r", "-j", "2", "--out", path("out"), path("in")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    for (const vorlex::test::MojibakeFamily& family : families) {
        const QString name = QString::fromLatin1(family.name.data(), int(family.name.size()));
        const CliRun best = run({"auto", "--best", path("in/" + name)});
        EXPECT_EQ(best.out, bytes(utf8)) << family.name;
        EXPECT_EQ(readFile(path("out/" + name)), best.out) << family.name;
    }
}

TEST_F(ParallelBatch, InPlaceKeepsTheOriginalAndNeverReplacesABackup) {
    const QByteArray koi = bytes(koiFromWin1251(kText));
    writeFile(path("a.txt"), koi);
    writeFile(path("b.txt"), koi);
    writeFile(path("b.txt.orig"), "older backup");
    writeFile(path("c.txt"), bytes("No Russian here at all, only plain English words.\n"));
    writeFile(path("d.txt"), koi);
    const CliRun result =
        run({"batch", "--auto", "--in-place", path("a.txt"), path("b.txt"), path("c.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(readFile(path("a.txt")), bytes(kText));
    EXPECT_EQ(readFile(path("a.txt.orig")), koi);
    EXPECT_EQ(readFile(path("b.txt")), koi) << "left untouched";
    EXPECT_EQ(readFile(path("b.txt.orig")), QByteArray("older backup"));
    EXPECT_EQ(readFile(path("c.txt")).size(), 50) << "no plausible reading: not written";
    EXPECT_EQ(result.err.count('\n'), 2) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("b.txt: the backup"));
    EXPECT_TRUE(result.err.contains("c.txt: no reading"));

    EXPECT_EQ(run({"batch", "--auto", "--in-place", "--backup", "~", path("d.txt")}).exitCode, 0);
    EXPECT_EQ(readFile(path("d.txt~")), koi);
    // A rerun over the folder: the backups are not sources, the repaired file stays as it is.
    QDir().mkpath(path("again"));
    writeFile(path("again/f.txt"), koi);
    EXPECT_EQ(run({"batch", "--auto", "--in-place", "-r", path("again")}).exitCode, 0);
    const CliRun rerun =
        run({"batch", "--auto", "--in-place", "-r", "--report", "-", path("again")});
    EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
    EXPECT_TRUE(rerun.out.contains("a backup of")) << rerun.out.toStdString();
    // Nor with another suffix (or none) this time: the default backup stays a backup.
    EXPECT_EQ(
        run({"batch", "--auto", "--in-place", "-r", "--backup", ".bak", path("again")}).exitCode,
        0);
    EXPECT_EQ(run({"batch", "--auto", "--in-place", "-r", "--no-backup", path("again")}).exitCode,
              0);
    EXPECT_EQ(QDir(path("again")).entryList(QDir::Files), QStringList({"f.txt", "f.txt.orig"}));
    EXPECT_EQ(readFile(path("again/f.txt.orig")), koi);
    // A symbolic link named on the command line: its file is repaired, the backup keeps the
    // original bytes (not a second link to the repaired file).
    writeFile(path("real.txt"), koi);
    ASSERT_TRUE(QFile::link(path("real.txt"), path("named.txt")));
    EXPECT_EQ(run({"batch", "--auto", "--in-place", path("named.txt")}).exitCode, 0);
    EXPECT_EQ(readFile(path("real.txt")), bytes(kText));
    EXPECT_EQ(readFile(path("named.txt.orig")), koi);
    // One chain for all, in place without backup.
    writeFile(path("e.txt"), koi);
    EXPECT_EQ(
        run({"batch", "--action", "kw", "--in-place", "--no-backup", "-j", "2", path("e.txt")})
            .exitCode,
        0);
    EXPECT_EQ(readFile(path("e.txt")), bytes(kText));
    EXPECT_FALSE(QFile::exists(path("e.txt.orig")));
}

// A chain of code tables goes through a file a piece at a time: a file of many pieces (and a
// last one cut short) comes out as recode gives it, and an output that exists is kept.
TEST_F(ParallelBatch, ATableChainConvertsALargeFileAsRecodeDoes) {
    QDir().mkpath(path("out"));
    QByteArray large = bytes(koiFromWin1251(kText)).repeated(4000) + "\xC1\xE2";
    for (int i = 0; i < 256; ++i)
        large[10000 + i * 3001] = char(i); // every byte value, past the binary probe
    writeFile(path("large.txt"), large);
    writeFile(path("kept.txt"), "older");
    writeFile(path("out/kept.txt"), "previous output");
    writeFile(path("e.bin"), QByteArray("ab\0cd", 5));
    const CliRun result =
        run({"batch", "--action", "kw wk kw", "-j", "2", "--out", path("out"), "--report",
             path("r.jsonl"), path("large.txt"), path("kept.txt"), path("e.bin")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("kept.txt exists already")) << result.err.toStdString();
    const CliRun recoded = run({"recode", "--action", "kw wk kw", path("large.txt")});
    ASSERT_EQ(recoded.out.size(), large.size());
    EXPECT_TRUE(readFile(path("out/large.txt")) == recoded.out);
    EXPECT_EQ(readFile(path("out/kept.txt")), QByteArray("previous output"));
    EXPECT_FALSE(QFile::exists(path("out/e.bin")));
    const std::vector<QJsonObject> lines = report(path("r.jsonl"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["bytes_out"].toInteger(), large.size());
    EXPECT_EQ(lines[2]["action"].toString(), "skipped");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden),
              QStringList({"kept.txt", "large.txt"}));
}

TEST_F(ParallelBatch, DryRunWritesOnlyTheReportAndBadUsageIsRefused) {
    writeFile(path("a.txt"), bytes(koiFromWin1251(kText)));
    const CliRun dry =
        run({"batch", "--auto", "--in-place", "--dry-run", "--report", "-", path("a.txt")});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    const QJsonObject line = QJsonDocument::fromJson(dry.out.trimmed()).object();
    EXPECT_EQ(line["action"].toString(), "repaired");
    EXPECT_GT(line["confidence"].toDouble(), 0.5);
    EXPECT_EQ(readFile(path("a.txt")), bytes(koiFromWin1251(kText)));
    EXPECT_FALSE(QFile::exists(path("a.txt.orig")));

    for (const QStringList& args : {QStringList{"--auto", path("a.txt")},
                                    {"--auto", "--in-place", "--out", path(""), "x"},
                                    {"--auto", "--action", "kw", "--in-place", "x"},
                                    {"--auto", "-j", "0", "--in-place", "x"},
                                    {"--auto", "--min-confidence", "2", "--in-place", "x"},
                                    {"--auto", "--in-place", "--no-backup", "--backup", ".b", "x"}})
        EXPECT_EQ(run(QStringList{"batch"} + args).exitCode, 2) << args.join(' ').toStdString();
    EXPECT_EQ(run({"batch", "--auto", "--in-place", dir_.path()}).exitCode, 1)
        << "a folder without -r";
}

// Interrupted at random moments by SIGINT or SIGTERM, runs in place over a folder of 2,000
// files leave every file either as it was without a backup, or repaired beside its backup; no
// temporary file, and the report holds the files finished, in order.
TEST_F(ParallelBatch, InterruptedRunsLeaveNoTemporaryAndLoseNoOriginal) {
    constexpr int kFiles = 2000;
    const QString folder = path("in");
    QDir().mkpath(folder);
    const auto name = [&](int i) { return folder + QString("/%1.txt").arg(i, 4, 10, QChar('0')); };
    std::vector<QByteArray> originals, repairs;
    for (int i = 0; i < kFiles; ++i) {
        repairs.push_back(bytes(kText + std::to_string(i) + '\n' + kText));
        originals.push_back(bytes(koiFromWin1251(repairs.back().toStdString())));
        writeFile(name(i), originals.back());
    }
    std::mt19937 random(20261209);
    for (int round = 0; round < 10; ++round) {
        const QString report = path(QString("r%1.jsonl").arg(round));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VORLEX_SETTINGS", settings_);
        process.setProcessEnvironment(env);
        process.start(VORLEX_CLI_PATH, {"batch", "--auto", "--in-place", "-r", "-j", "2",
                                        "--report", report, folder});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(std::uniform_int_distribution<int>(0, 1500)(random));
        ::kill(pid_t(process.processId()), round % 2 == 0 ? SIGINT : SIGTERM);
        ASSERT_TRUE(process.waitForFinished(60000));
        // A signal before the tool set its handlers ends it before it touched anything.
        const bool handled = process.exitStatus() == QProcess::NormalExit;
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(!handled || process.exitCode() == 0 || err.contains("interrupted after"))
            << err.toStdString();

        int seen = 0;
        for (QDirIterator entries(folder, QDir::Files | QDir::Hidden); entries.hasNext();) {
            const QString entry = entries.next();
            ++seen;
            EXPECT_FALSE(entries.fileName().startsWith('.'))
                << "a temporary file: " << entry.toStdString();
        }
        int repaired = 0;
        for (int i = 0; i < kFiles; ++i) {
            if (QFile::exists(name(i) + ".orig")) {
                EXPECT_EQ(readFile(name(i) + ".orig"), originals[i]) << i;
                EXPECT_EQ(readFile(name(i)), repairs[i]) << i;
                ++repaired;
                // The next run starts from the untouched folder again.
                ASSERT_TRUE(QFile::remove(name(i)));
                ASSERT_TRUE(QFile::rename(name(i) + ".orig", name(i)));
            } else {
                EXPECT_EQ(readFile(name(i)), originals[i]) << i;
            }
        }
        EXPECT_EQ(seen, kFiles + repaired);
        if (!handled) {
            EXPECT_EQ(repaired, 0);
            continue;
        }
        // One line a file finished, in order.
        const std::vector<QJsonObject> lines = ParallelBatch::report(report);
        EXPECT_EQ(int(lines.size()), repaired) << round;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i]["path"].toString(), name(int(i))) << round;
    }
}

// The pool itself: results of jobs that end out of order are taken in order, by one thread at a
// time, and after a stop no job starts (but for one a worker had already picked) and the jobs
// running end and are taken.
TEST(WorkerPool, TakesResultsInOrderOneAtATimeAndStopsCleanly) {
    for (const std::size_t stopAt : {std::size_t{0}, std::size_t{300}}) {
        std::atomic<bool> stop{false};
        std::atomic<int> inside{0}, lateStarts{0};
        std::size_t next = 0;
        bool overlapped = false;
        const std::size_t taken = vorlex::cli::runInOrder<std::size_t>(
            1000, 4,
            [&](std::size_t i) {
                lateStarts += stop.load() ? 1 : 0;
                volatile std::size_t spin = 0; // jobs of unequal length end out of order
                for (std::size_t k = 0; k < (i * 7919) % 20000; ++k)
                    spin = spin + k;
                return i * 3;
            },
            [&](std::size_t i, std::size_t& result) {
                overlapped = overlapped || inside.fetch_add(1) != 0;
                EXPECT_EQ(i, next);
                EXPECT_EQ(result, i * 3);
                ++next;
                if (stopAt != 0 && i == stopAt)
                    stop.store(true);
                inside.fetch_sub(1);
            },
            stop);
        EXPECT_FALSE(overlapped);
        EXPECT_EQ(taken, next);
        EXPECT_LE(lateStarts.load(), 4);
        EXPECT_TRUE(stopAt == 0 ? taken == 1000u : taken > stopAt) << taken;
    }
}

} // namespace
