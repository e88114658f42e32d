// Batch conversion on real files in a temporary folder, answered by a scripted user.
#include "engine/filters.h"
#include "store/memory_settings_store.h"
#include "store/scheme_catalogue.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/test_files.h"
#include "tools/batch_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using vorlex::engine::parseAction;
using namespace vorlex::tools;

const std::string kKoiPrivet = "\xF0\xD2\xC9\xD7\xC5\xD4"; // "Привет" in KOI8-R
const std::string kWinPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2"; // the same in Windows-1251

using vorlex::testing::readAll;
using vorlex::testing::writeRaw;

// Every question and progress step in order, as one line each; answers come from queues.
class ScriptedAnswers final : public BatchAnswers {
public:
    std::vector<std::string> log;
    std::deque<bool> stops;
    std::deque<ExistingOutput> existing;
    std::deque<std::optional<QString>> otherPaths;

    bool stopAfterOpenFailure(const QString& path, ReadError error, const QString&) override {
        log.push_back((error == ReadError::empty ? "empty " : "open ") + path.toStdString());
        return nextStop();
    }
    bool stopAfterMemoryFailure(const QString& path) override {
        log.push_back("memory " + path.toStdString());
        return nextStop();
    }
    ExistingOutput outputExists(const QString& path) override {
        log.push_back("exists " + path.toStdString());
        if (existing.empty()) {
            ADD_FAILURE() << "unexpected exists question for " << path.toStdString();
            return ExistingOutput::skip;
        }
        const ExistingOutput answer = existing.front();
        existing.pop_front();
        return answer;
    }
    std::optional<QString> otherOutputPath(const QString& proposed) override {
        log.push_back("save-as " + proposed.toStdString());
        if (otherPaths.empty()) {
            ADD_FAILURE() << "unexpected save-as for " << proposed.toStdString();
            return std::nullopt;
        }
        std::optional<QString> answer = otherPaths.front();
        otherPaths.pop_front();
        return answer;
    }
    bool stopAfterWriteFailure(const QString& path, WriteError, const QString&) override {
        log.push_back("write " + path.toStdString());
        return nextStop();
    }
    void progress(int position) override { log.push_back("progress " + std::to_string(position)); }

    void expectAllAnswersUsed() const {
        EXPECT_TRUE(stops.empty());
        EXPECT_TRUE(existing.empty());
        EXPECT_TRUE(otherPaths.empty());
    }

private:
    bool nextStop() {
        if (stops.empty()) {
            ADD_FAILURE() << "unexpected stop question";
            return false;
        }
        const bool answer = stops.front();
        stops.pop_front();
        return answer;
    }
};

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("in")));
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("out")));
    }
    QString in(const char* name) const {
        return dir_.filePath(QStringLiteral("in/") + QString::fromLatin1(name));
    }
    QString out(const char* name) const {
        return dir_.filePath(QStringLiteral("out/") + QString::fromLatin1(name));
    }
    std::string s(const QString& path) const { return path.toStdString(); }
    BatchRequest request(const QStringList& sources, const char* action = "kw") const {
        BatchRequest r;
        r.sources = sources;
        r.outputFolder = dir_.filePath(QStringLiteral("out"));
        r.filters = parseAction(action);
        return r;
    }
    // Files in a folder, hidden ones included: a stray temporary file shows up here.
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir dir_;
    ScriptedAnswers answers_;
};

TEST_F(BatchRun, OutputPathIsTheFolderThenTheSourceFileName) {
    EXPECT_EQ(batchOutputPath("/tmp/out", "/home/u/a.txt"), "/tmp/out/a.txt");
    EXPECT_EQ(batchOutputPath("/tmp/out/", "/home/u/a.txt"), "/tmp/out/a.txt");
    EXPECT_EQ(batchOutputPath("/", "/home/u/a.txt"), "/a.txt");
    EXPECT_EQ(batchOutputPath("out", "plain.txt"), "out/plain.txt");
}

TEST_F(BatchRun, ConvertsEveryFileUnderItsOwnNameAndCountsProgress) {
    writeRaw(in("a.txt"), kKoiPrivet + "\r\n" + std::string(1, '\0') + kKoiPrivet);
    writeRaw(in("b.eml"), "plain ascii\n");
    const BatchSummary summary = runBatchConversion(request({in("a.txt"), in("b.eml")}), answers_);
    EXPECT_EQ(readAll(out("a.txt")), kWinPrivet + "\r\n" + std::string(1, '\0') + kWinPrivet);
    EXPECT_EQ(readAll(out("b.eml")), "plain ascii\n");
    EXPECT_EQ(answers_.log, (std::vector<std::string>{"progress 1", "progress 2", "progress 0"}));
    EXPECT_EQ(summary.written, 2);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(readAll(in("a.txt")).substr(0, 6), kKoiPrivet); // the source is untouched
}

TEST_F(BatchRun, TheSourceFolderAsOutputAsksForEachFileAndYesReplacesItWhole) {
    std::string big;
    for (int i = 0; i < 50000; ++i)
        big += kKoiPrivet + " ";
    writeRaw(in("big.txt"), big);
    writeRaw(in("small.txt"), kKoiPrivet);
    BatchRequest r = request({in("big.txt"), in("small.txt")});
    r.outputFolder = dir_.filePath(QStringLiteral("in"));
    answers_.existing = {ExistingOutput::overwrite, ExistingOutput::overwrite};
    const BatchSummary summary = runBatchConversion(r, answers_);
    EXPECT_EQ(answers_.log, (std::vector<std::string>{"exists " + s(in("big.txt")), "progress 1",
                                                      "exists " + s(in("small.txt")), "progress 2",
                                                      "progress 0"}));
    const std::string written = readAll(in("big.txt"));
    ASSERT_EQ(written.size(), big.size());
    EXPECT_EQ(written.substr(written.size() - 7), kWinPrivet + " ");
    EXPECT_EQ(readAll(in("small.txt")), kWinPrivet);
    EXPECT_EQ(entries(dir_.filePath(QStringLiteral("in"))),
              (QStringList{QStringLiteral("big.txt"), QStringLiteral("small.txt")}));
    EXPECT_EQ(summary.written, 2);
    answers_.expectAllAnswersUsed();
}

TEST_F(BatchRun, SkipAndACancelledSaveAsLeaveTheOutputAndStillAdvanceProgress) {
    writeRaw(in("a.txt"), kKoiPrivet);
    writeRaw(in("b.txt"), kKoiPrivet);
    writeRaw(out("a.txt"), "old a");
    writeRaw(out("b.txt"), "old b");
    answers_.existing = {ExistingOutput::skip, ExistingOutput::rename};
    answers_.otherPaths = {std::nullopt};
    const BatchSummary summary = runBatchConversion(request({in("a.txt"), in("b.txt")}), answers_);
    EXPECT_EQ(answers_.log,
              (std::vector<std::string>{"exists " + s(out("a.txt")), "progress 1",
                                        "exists " + s(out("b.txt")), "save-as " + s(out("b.txt")),
                                        "progress 2", "progress 0"}));
    EXPECT_EQ(readAll(out("a.txt")), "old a");
    EXPECT_EQ(readAll(out("b.txt")), "old b");
    EXPECT_EQ(summary.skipped, 2);
    EXPECT_EQ(summary.written, 0);
    answers_.expectAllAnswersUsed();
}

TEST_F(BatchRun, ANewNameThatExistsTooIsAskedAboutAgain) {
    writeRaw(in("a.txt"), kKoiPrivet);
    writeRaw(out("a.txt"), "old a");
    writeRaw(out("taken.txt"), "old taken");
    answers_.existing = {ExistingOutput::rename, ExistingOutput::rename};
    answers_.otherPaths = {out("taken.txt"), out("fresh.txt")};
    runBatchConversion(request({in("a.txt")}), answers_);
    EXPECT_EQ(answers_.log, (std::vector<std::string>{
                                "exists " + s(out("a.txt")), "save-as " + s(out("a.txt")),
                                "exists " + s(out("taken.txt")), "save-as " + s(out("taken.txt")),
                                "progress 1", "progress 0"}));
    EXPECT_EQ(readAll(out("a.txt")), "old a");
    EXPECT_EQ(readAll(out("taken.txt")), "old taken");
    EXPECT_EQ(readAll(out("fresh.txt")), kWinPrivet);
    answers_.expectAllAnswersUsed();
}

TEST_F(BatchRun, KoiToLatinWritesTheLongerTextWhole) {
    writeRaw(in("koi.txt"), "\xD6\xD5\xCB \xDD\xC9 " + kKoiPrivet); // "жук щи Привет"
    runBatchConversion(request({in("koi.txt")}, "kw wl"), answers_);
    EXPECT_EQ(readAll(out("koi.txt")), "zhuk wi Privet");
}

TEST_F(BatchRun, UnreadableMissingAndEmptySourcesAskAndNoGoesOn) {
    writeRaw(in("empty.txt"), "");
    writeRaw(in("good.txt"), kKoiPrivet);
    answers_.stops = {false, false, false};
    const BatchSummary summary =
        runBatchConversion(request({in("missing.txt"), in("empty.txt"),
                                    dir_.filePath(QStringLiteral("in")), in("good.txt")}),
                           answers_);
    EXPECT_EQ(answers_.log,
              (std::vector<std::string>{
                  "open " + s(in("missing.txt")), "empty " + s(in("empty.txt")),
                  "open " + s(dir_.filePath(QStringLiteral("in"))), "progress 1", "progress 0"}));
    EXPECT_EQ(readAll(out("good.txt")), kWinPrivet);
    EXPECT_EQ(entries(dir_.filePath(QStringLiteral("out"))), QStringList{"good.txt"});
    EXPECT_EQ(summary.failed, 3);
    EXPECT_EQ(summary.written, 1);
}

TEST_F(BatchRun, YesToAStopQuestionEndsTheBatchAndResetsProgress) {
    writeRaw(in("a.txt"), kKoiPrivet);
    writeRaw(in("c.txt"), kKoiPrivet);
    answers_.stops = {true};
    const BatchSummary summary =
        runBatchConversion(request({in("a.txt"), in("missing.txt"), in("c.txt")}), answers_);
    EXPECT_EQ(answers_.log, (std::vector<std::string>{"progress 1", "open " + s(in("missing.txt")),
                                                      "progress 0"}));
    EXPECT_FALSE(QFile::exists(out("c.txt")));
    EXPECT_TRUE(summary.stopped);
}

TEST_F(BatchRun, AnOutputNamedLikeAFolderIsAWriteFailureAndTheNextFileIsStillConverted) {
    writeRaw(in("a.txt"), kKoiPrivet);
    writeRaw(in("b.txt"), kKoiPrivet);
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("out/a.txt")));
    answers_.existing = {ExistingOutput::overwrite};
    answers_.stops = {false};
    const BatchSummary summary = runBatchConversion(request({in("a.txt"), in("b.txt")}), answers_);
    EXPECT_EQ(answers_.log,
              (std::vector<std::string>{"exists " + s(out("a.txt")), "write " + s(out("a.txt")),
                                        "progress 1", "progress 0"}));
    EXPECT_EQ(readAll(out("b.txt")), kWinPrivet);
    EXPECT_EQ(summary.failed, 1);
}

TEST_F(BatchRun, AWriteCutShortByAFileSizeLimitKeepsTheOldOutput) {
    writeRaw(in("big.txt"), std::string(256 * 1024, '\xF0'));
    writeRaw(out("big.txt"), "the old output");
    EXPECT_TRUE(vorlex::testing::passesUnderFileSizeLimit(64 * 1024, [&] {
        ScriptedAnswers answers;
        answers.existing = {ExistingOutput::overwrite};
        answers.stops = {false};
        const BatchSummary summary = runBatchConversion(request({in("big.txt")}), answers);
        const std::vector<std::string> expected = {"exists " + s(out("big.txt")),
                                                   "write " + s(out("big.txt")), "progress 0"};
        return summary.failed == 1 && answers.log == expected;
    }));
    EXPECT_EQ(readAll(out("big.txt")), "the old output");
    EXPECT_EQ(entries(dir_.filePath(QStringLiteral("out"))), QStringList{"big.txt"});
}

// A full disk: a 64 KiB tmpfs (mounting needs root; elsewhere the test is skipped).
TEST_F(BatchRun, AFullDiskKeepsTheOldOutputAndGoesOnWithTheNextFile) {
    const QString small = dir_.filePath(QStringLiteral("small"));
    const vorlex::testing::SmallTmpfs disk(small);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.reason();

    writeRaw(in("big.txt"), std::string(256 * 1024, '\xF0'));
    writeRaw(in("next.txt"), kKoiPrivet);
    writeRaw(small + "/big.txt", "the old output");
    BatchRequest r = request({in("big.txt"), in("next.txt")});
    r.outputFolder = small;
    answers_.existing = {ExistingOutput::overwrite};
    answers_.stops = {false};
    const BatchSummary summary = runBatchConversion(r, answers_);
    EXPECT_EQ(answers_.log, (std::vector<std::string>{"exists " + s(small) + "/big.txt",
                                                      "write " + s(small) + "/big.txt",
                                                      "progress 1", "progress 0"}));
    EXPECT_EQ(readAll(small + "/big.txt"), "the old output");
    EXPECT_EQ(readAll(small + "/next.txt"), kWinPrivet);
    EXPECT_EQ(entries(small), (QStringList{QStringLiteral("big.txt"), QStringLiteral("next.txt")}));
    EXPECT_EQ(summary.failed, 1);
}

TEST(BatchFilters, ReadsTheActionAfreshAndReportsALostOne) {
    vorlex::store::MemorySettingsStore store;
    vorlex::store::writeScheme(store, 14, "Koi->Latinica", "kw wl");
    EXPECT_EQ(readBatchFilters(store, 14), parseAction("kw wl"));
    store.writeString("14", "Action", "wk");
    EXPECT_EQ(readBatchFilters(store, 14), parseAction("wk"));
    store.writeString("14", "Action", "~-^-~");
    EXPECT_EQ(readBatchFilters(store, 14), std::nullopt);
    EXPECT_EQ(readBatchFilters(store, 3), std::nullopt);
}

} // namespace
