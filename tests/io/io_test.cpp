// Reading and atomic writing on real files in a temporary folder.
#include "io/atomic_file.h"
#include "io/input_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlex::io {
namespace {

namespace fs = std::filesystem;

class IoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "io_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return in ? out.str() : "<unreadable>";
    }
    static void put(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(IoTest, ReadsWholeFilesUpToALimit) {
    put(path("a"), "12345");
    std::string error;
    std::vector<std::uint8_t> bytes;
    auto file = InputFile::open(path("a"), InputKind::regularFile, error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->size(), 5u);
    EXPECT_EQ(file->readAll(bytes, 5, error), ReadFailure::none);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "12345");
    file = InputFile::open(path("a"), InputKind::anyStream, error);
    EXPECT_EQ(file->readAll(bytes, 4, error), ReadFailure::tooLarge);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(IoTest, RefusesFoldersAndWhereAskedStreamsWithoutBlocking) {
    std::string error;
    EXPECT_FALSE(InputFile::open(dir_.string(), InputKind::anyStream, error));
    EXPECT_EQ(error, "Is a directory");
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(InputFile::open(path("fifo"), InputKind::regularFile, error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(InputFile::open(path("missing"), InputKind::regularFile, error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST_F(IoTest, NothingIsSeenBeforeTheCommitAndNothingStaysAfterAnAbandon) {
    put(path("t"), "old");
    ::chmod(path("t").c_str(), 0640);
    std::string reason;
    {
        AtomicFile file(path("t"), Existing::replace);
        ASSERT_EQ(file.open(reason), WriteError::none) << reason;
        ASSERT_TRUE(file.write(std::string_view("ne"), reason));
        ASSERT_TRUE(file.write(std::string_view("w"), reason));
        EXPECT_EQ(contents(path("t")), "old");
        EXPECT_EQ(entries(), 2u); // the target and the temporary file
        AtomicFile dropped(path("t"), Existing::replace);
        ASSERT_EQ(dropped.open(reason), WriteError::none);
        ASSERT_TRUE(dropped.write(std::string_view("lost"), reason));
        dropped.abandon();
        ASSERT_EQ(file.commit(reason), WriteError::none) << reason;
    }
    EXPECT_EQ(contents(path("t")), "new");
    EXPECT_EQ(fs::status(path("t")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(IoTest, KeepRefusesATargetThatAppearsBeforeTheRename) {
    std::string reason;
    AtomicFile file(path("t"), Existing::keep);
    ASSERT_EQ(file.open(reason), WriteError::none);
    ASSERT_TRUE(file.write(std::string_view("mine"), reason));
    put(path("t"), "theirs");
    EXPECT_EQ(file.commit(reason), WriteError::exists);
    EXPECT_EQ(contents(path("t")), "theirs");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(IoTest, ALinkToAFileNotThereYetIsFollowed) {
    fs::create_symlink("real", path("link"));
    std::string reason;
    const std::string text = "text";
    ASSERT_EQ(writeAtomically(path("link"),
                              {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                              Existing::keep, reason),
              WriteError::none)
        << reason;
    EXPECT_TRUE(fs::is_symlink(path("link")));
    EXPECT_EQ(contents(path("real")), "text");
}

} // namespace
} // namespace vorlex::io
