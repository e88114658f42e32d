// Whole-document input and output on real files in a temporary folder.
#include "engine/filters.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"
#include "tools/document_io.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vorlex::engine::LatinOptions;
using vorlex::engine::makeFilterList;
using vorlex::engine::parseAction;
using namespace vorlex::tools;

using vorlex::testing::readAll;
using vorlex::testing::writeRaw;

std::span<const std::uint8_t> asBytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string asString(std::span<const std::uint8_t> bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Files left in the folder other than the ones named: a stray temporary file shows up here.
QStringList entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

class DocumentIo : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
};

TEST_F(DocumentIo, RecodesAFileWithZeroBytesAndLatinGrowthInPlace) {
    // KOI8-R "Привет" with a zero byte in the middle; kw then wl makes it longer than the file.
    const std::string koi = "\xF0\xD2\xC9\xD7\xC5\xD4";
    writeRaw(path("in.txt"), koi + std::string(1, '\0') + koi);
    RecodedDocument doc;
    ASSERT_EQ(DocumentReader::recodeFile(path("in.txt"), parseAction("kw"), {}, doc),
              ReadError::none);
    const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2";
    EXPECT_EQ(asString(doc.bytes()), win + std::string(1, '\0') + win);

    // KOI8-R "жук": transliterated it is longer than the file.
    writeRaw(path("short.txt"), "\xD6\xD5\xCB");
    ASSERT_EQ(DocumentReader::recodeFile(path("short.txt"), parseAction("kw wl"), {}, doc),
              ReadError::none);
    EXPECT_EQ(asString(doc.bytes()), "zhuk");
}

TEST_F(DocumentIo, RefusesMissingEmptyFolderAndFifoSourcesWithoutHanging) {
    RecodedDocument doc;
    QString reason;
    EXPECT_EQ(DocumentReader::recodeFile(path("missing"), parseAction("kw"), {}, doc, &reason),
              ReadError::openFailed);
    EXPECT_FALSE(reason.isEmpty());
    writeRaw(path("empty"), "");
    EXPECT_EQ(DocumentReader::recodeFile(path("empty"), parseAction("kw"), {}, doc),
              ReadError::empty);
    EXPECT_EQ(DocumentReader::recodeFile(dir_.path(), parseAction("kw"), {}, doc),
              ReadError::openFailed);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    EXPECT_EQ(DocumentReader::recodeFile(path("fifo"), parseAction("kw"), {}, doc),
              ReadError::openFailed);
    EXPECT_EQ(DocumentReader::recodeBuffer({}, parseAction("kw"), {}, doc), ReadError::empty);
}

TEST_F(DocumentIo, WritesNewFilesAndKeepsOrReplacesExistingOnes) {
    const std::string first = "first";
    ASSERT_EQ(writeFileAtomically(path("out.txt"), asBytes(first), Existing::keep),
              WriteError::none);
    EXPECT_EQ(readAll(path("out.txt")), first);

    const std::string second = "second, longer text";
    EXPECT_EQ(writeFileAtomically(path("out.txt"), asBytes(second), Existing::keep),
              WriteError::exists);
    EXPECT_EQ(readAll(path("out.txt")), first);

    ASSERT_EQ(::chmod(QFile::encodeName(path("out.txt")).constData(), 0640), 0);
    ASSERT_EQ(writeFileAtomically(path("out.txt"), asBytes(second), Existing::replace),
              WriteError::none);
    EXPECT_EQ(readAll(path("out.txt")), second);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path("out.txt")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir_), QStringList{QStringLiteral("out.txt")});
}

TEST_F(DocumentIo, ASourceRewrittenAsItsOwnTargetComesOutRecodedAndWhole) {
    std::string koi;
    for (int i = 0; i < 100000; ++i)
        koi += "\xF0\xD2\xC9\xD7\xC5\xD4 ";
    writeRaw(path("doc.txt"), koi);
    RecodedDocument doc;
    ASSERT_EQ(DocumentReader::recodeFile(path("doc.txt"), parseAction("kw"), {}, doc),
              ReadError::none);
    ASSERT_EQ(writeFileAtomically(path("doc.txt"), doc.bytes(), Existing::replace),
              WriteError::none);
    const std::string written = readAll(path("doc.txt"));
    ASSERT_EQ(written.size(), koi.size());
    EXPECT_EQ(written.substr(0, 7), "\xCF\xF0\xE8\xE2\xE5\xF2 ");
    EXPECT_EQ(written.substr(written.size() - 7), "\xCF\xF0\xE8\xE2\xE5\xF2 ");
}

TEST_F(DocumentIo, WritesThroughASymbolicLinkToTheFileItNames) {
    writeRaw(path("real.txt"), "old");
    ASSERT_EQ(::symlink("real.txt", QFile::encodeName(path("link.txt")).constData()), 0);
    const std::string text = "new";
    ASSERT_EQ(writeFileAtomically(path("link.txt"), asBytes(text), Existing::replace),
              WriteError::none);
    EXPECT_EQ(readAll(path("real.txt")), "new");
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
}

TEST_F(DocumentIo, AMissingFolderOrAFolderAsTargetIsACreateFailure) {
    const std::string text = "x";
    QString reason;
    EXPECT_EQ(
        writeFileAtomically(path("no/such/folder.txt"), asBytes(text), Existing::replace, &reason),
        WriteError::createFailed);
    EXPECT_FALSE(reason.isEmpty());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("sub")));
    EXPECT_EQ(writeFileAtomically(path("sub"), asBytes(text), Existing::replace),
              WriteError::createFailed);
}

TEST_F(DocumentIo, AWriteCutShortByAFileSizeLimitLeavesTheOldFileAndNoTemporaryFile) {
    writeRaw(path("target.txt"), "the old contents");
    const std::string big(256 * 1024, 'x');
    EXPECT_TRUE(vorlex::testing::passesUnderFileSizeLimit(64 * 1024, [&] {
        return writeFileAtomically(path("target.txt"), asBytes(big), Existing::replace) ==
               WriteError::writeFailed;
    }));
    EXPECT_EQ(readAll(path("target.txt")), "the old contents");
    EXPECT_EQ(entries(dir_), QStringList{QStringLiteral("target.txt")});
}

} // namespace
