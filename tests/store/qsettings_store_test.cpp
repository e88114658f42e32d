// The INI file behind QSettingsStore: what reaches the disk, and damaged or blocked files.
#include "store/builtin_schemes.h"
#include "store/qsettings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tests/support/test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace vorlex::store {
namespace {

using vorlex::testing::readFile;
using vorlex::testing::writeFile;

constexpr std::string_view kDoubleWinKoi =
    "\xD0\x94\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F Win->Koi";

class IniFileTest : public ::testing::Test {
protected:
    std::string path(const char* name) const {
        return (dir.path() + u'/' + QString::fromUtf8(name)).toStdString();
    }

    // A copy under a new name is parsed from disk: QSettings shares what it has parsed between
    // objects on the same file, so reopening the same name could be answered from memory.
    std::unique_ptr<QSettingsStore> reopenCopy(const std::string& file) {
        const std::string copy = path(("copy" + std::to_string(++copies_) + ".ini").c_str());
        EXPECT_TRUE(QFile::copy(QString::fromStdString(file), QString::fromStdString(copy)));
        return std::make_unique<QSettingsStore>(copy);
    }

    QTemporaryDir dir;

private:
    int copies_ = 0;
};

TEST_F(IniFileTest, ValuesSurviveInTheFile) {
    const std::string file = path("VORLEX.INI");
    {
        QSettingsStore store(file);
        initialiseOnStart(store);
        refreshCatalogue(store);
        writeSetting(store, kSeparateEnglish, 1);
        writeSetting(store, kPrecision, 0);
        writeSetting(store, kFontHeight, -13);
        writeSetting(store, kFontName, " ");
        writeSetting(store, kLastScheme, kDoubleWinKoi);
        // Text that the INI syntax would otherwise take for its own.
        writeScheme(store, 23, "a, b; c = \"d\" \\ @Variant(x)", "kw wl");
        writeScheme(store, 24, "", "ka");
        std::string error;
        ASSERT_TRUE(store.flush(&error)) << error;
    }
    const auto reopened = reopenCopy(file);
    EXPECT_EQ(readSetting(*reopened, kFlag), 1);
    EXPECT_EQ(readSetting(*reopened, kTotalSchemes), 23);
    EXPECT_EQ(readSetting(*reopened, kSeparateEnglish), 1);
    EXPECT_EQ(readSetting(*reopened, kPrecision), 0);
    EXPECT_EQ(readSetting(*reopened, kFontHeight), -13);
    EXPECT_EQ(readSetting(*reopened, kFontName), " ");
    EXPECT_EQ(readSetting(*reopened, kLastScheme), kDoubleWinKoi);
    EXPECT_EQ(readScheme(*reopened, 12), (StoredScheme{12, std::string(kDoubleWinKoi), "wk wk"}));
    EXPECT_EQ(readScheme(*reopened, 23),
              (StoredScheme{23, "a, b; c = \"d\" \\ @Variant(x)", "kw wl"}));
    EXPECT_EQ(readScheme(*reopened, 24), (StoredScheme{24, "", "ka"}));
    EXPECT_EQ(scanCatalogue(*reopened).count(), 23);

    // Cyrillic is kept as UTF-8 text, so the file stays readable and editable by hand.
    EXPECT_TRUE(readFile(file).contains(
        QByteArray(kDoubleWinKoi.data(), static_cast<qsizetype>(kDoubleWinKoi.size()))));
}

TEST_F(IniFileTest, ReadsAHandWrittenFile) {
    const std::string file = path("hand.ini");
    writeFile(file, "[Parameters]\n"
                    "Flag=1\n"
                    "Total schemes = 2\n"
                    "Language=12x\n"
                    "Auto recode=99999999999\n"
                    "Save last scheme=abc\n"
                    "Last scheme=Koi, Win\n"
                    "[Recoding Parameters]\n"
                    "Precision=3\n"
                    "[0]\n"
                    "Name=Koi, Win\n"
                    "Action=kw\n"
                    "[1]\n"
                    "Name=\xD0\x9A\xD0\xBE\xD0\xB8\n"
                    "Action=kw kw\n");
    QSettingsStore store(file);
    EXPECT_EQ(readSetting(store, kTotalSchemes), 2);
    EXPECT_EQ(readSetting(store, kLanguage), 1);
    EXPECT_EQ(readSetting(store, kAutoRecode), 1);
    EXPECT_EQ(readSetting(store, kSaveLastScheme), 1);
    EXPECT_EQ(readSetting(store, kPrecision), 3);
    // Unquoted commas make QSettings split a value into a list; it reads as the text typed.
    EXPECT_EQ(readSetting(store, kLastScheme), "Koi, Win");
    EXPECT_EQ(scanCatalogue(store).schemes,
              (std::vector<StoredScheme>{{0, "Koi, Win", "kw"},
                                         {1, "\xD0\x9A\xD0\xBE\xD0\xB8", "kw kw"}}));
}

TEST_F(IniFileTest, GarbageGivesDefaultsAndTheNextSaveRepairsTheFile) {
    const std::string file = path("garbage.ini");
    writeFile(file,
              QByteArray("\x00\x01\xff\xfe[[[=\nno equals sign\n[Parameters\n=\n"
                         "[Parameters]\nFlag=@Variant(\\0\\0\\0\x7f)\nLanguage\n\xc3\x28=\xa0\n",
                         72));
    {
        QSettingsStore store(file);
        EXPECT_EQ(readSetting(store, kFlag), 0);
        EXPECT_EQ(readSetting(store, kLanguage), 1);
        EXPECT_EQ(scanCatalogue(store).count(), 0);
        initialiseOnStart(store);
        EXPECT_EQ(refreshCatalogue(store).count(), 23);
        std::string error;
        EXPECT_TRUE(store.flush(&error)) << error;
    }
    const auto reopened = reopenCopy(file);
    EXPECT_EQ(readSetting(*reopened, kFlag), 1);
    EXPECT_EQ(scanCatalogue(*reopened).count(), 23);
}

TEST_F(IniFileTest, AFolderInPlaceOfTheFileFailsToSaveWithoutLosingTheValues) {
    const std::string file = path("VORLEX.INI");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(file)));
    QSettingsStore store(file);
    EXPECT_EQ(readSetting(store, kLanguage), 1);
    writeSetting(store, kLanguage, 0);
    writeScheme(store, 0, "Koi->Win", "kw");

    std::string error;
    EXPECT_FALSE(store.flush(&error));
    EXPECT_NE(error.find(file), std::string::npos) << error;
    EXPECT_EQ(readSetting(store, kLanguage), 0) << "still readable in this run";

    // A removal that cannot be saved is undone: the scheme stays, as the window shows it.
    EXPECT_EQ(store.deleteSection("0"), EACCES);
    EXPECT_EQ(readScheme(store, 0), (StoredScheme{0, "Koi->Win", "kw"}));
}

// QSettings keeps the first error of an object for good; a failure that has been put right
// must not be reported again and again.
TEST_F(IniFileTest, SavingWorksAgainOnceTheFolderCanBeCreated) {
    const std::string blocker = path("settings");
    const std::string file = blocker + "/VORLEX.INI";
    writeFile(blocker, "a regular file where a folder should be");
    QSettingsStore store(file);
    writeSetting(store, kPrecision, 4);
    writeSetting(store, kTotalShow, 50);
    writeSetting(store, kLanguage, 0);
    EXPECT_FALSE(store.flush(nullptr));
    EXPECT_EQ(store.deleteSection("Recoding Parameters"), EACCES);
    EXPECT_EQ(readSetting(store, kPrecision), 4);

    ASSERT_TRUE(QFile::remove(QString::fromStdString(blocker)));
    std::string error;
    EXPECT_TRUE(store.flush(&error)) << error;
    const auto reopened = reopenCopy(file);
    EXPECT_EQ(readSetting(*reopened, kPrecision), 4);
    EXPECT_EQ(readSetting(*reopened, kTotalShow), 50);
    EXPECT_EQ(readSetting(*reopened, kLanguage), 0);

    EXPECT_EQ(store.deleteSection("Recoding Parameters"), 0);
    EXPECT_EQ(readSetting(*reopenCopy(file), kPrecision), 7);
}

TEST_F(IniFileTest, AnUnreadableFileIsNeitherReadNorOverwritten) {
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root";
    const std::string file = path("VORLEX.INI");
    writeFile(file, "[Parameters]\nLanguage=0\n");
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(file), QFileDevice::Permissions{}));
    {
        QSettingsStore store(file);
        EXPECT_EQ(readSetting(store, kLanguage), 1);
        writeSetting(store, kPrecision, 2);
        EXPECT_FALSE(store.flush(nullptr));
    }
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(file),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(file), "[Parameters]\nLanguage=0\n");
}

TEST_F(IniFileTest, AReadOnlyFolderIsReportedByFlush) {
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root";
    const QString folder = QString::fromStdString(path("ro"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        QSettingsStore store((folder + QStringLiteral("/VORLEX.INI")).toStdString());
        writeSetting(store, kFlag, 1);
        EXPECT_FALSE(store.flush(nullptr));
        EXPECT_EQ(readSetting(store, kFlag), 1);
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

class UserSettingsTest : public IniFileTest {
protected:
    void TearDown() override {
        unsetenv(kSettingsFileVariable);
        unsetenv("XDG_CONFIG_HOME");
    }
};

TEST_F(UserSettingsTest, TheEnvironmentVariableNamesTheFile) {
    const std::string file = path("chosen.ini");
    ASSERT_EQ(setenv(kSettingsFileVariable, file.c_str(), 1), 0);
    {
        const auto store = openUserSettings();
        writeSetting(*store, kLanguage, 0);
        ASSERT_TRUE(store->flush(nullptr));
    }
    EXPECT_EQ(readSetting(*reopenCopy(file), kLanguage), 0);
}

TEST_F(UserSettingsTest, WithoutTheVariableTheUsersConfigFolderIsUsed) {
    // An empty variable counts as unset; the user's folder is redirected into the test's own.
    ASSERT_EQ(setenv(kSettingsFileVariable, "", 1), 0);
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1), 0);
    const std::string expected = path("Quillmark/VORLEX.INI.conf");
    {
        const auto store = openUserSettings();
        writeSetting(*store, kPrecision, 5);
        ASSERT_TRUE(store->flush(nullptr));
        EXPECT_EQ(QSettingsStore::openNative()->location(), expected);
    }
    EXPECT_EQ(readSetting(*reopenCopy(expected), kPrecision), 5);
}

// With an event loop QSettings also saves on its own after writes; that save runs on the
// interface thread and must be kept apart from the worker's reads too.
TEST_F(IniFileTest, WorkerReadsWhileTheEventLoopSaves) {
    int argc = 1;
    char name[] = "store_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    QSettingsStore store(path("VORLEX.INI"));
    writeBuiltInSchemes(store);
    std::atomic<bool> writing{true};
    std::atomic<int> wrongReads{0};
    std::thread worker([&] {
        do {
            for (int n = 0; n < 23; ++n) {
                if (readSchemeValue(store, n, "Action") !=
                    builtInSchemes()[static_cast<std::size_t>(n)].action)
                    ++wrongReads;
            }
        } while (writing.load());
    });
    for (int i = 0; i < 40; ++i) {
        writeSetting(store, kTotalShow, i);
        QCoreApplication::processEvents();
    }
    writing = false;
    worker.join();
    EXPECT_EQ(wrongReads.load(), 0);
    EXPECT_EQ(readSetting(*reopenCopy(path("VORLEX.INI")), kTotalShow), 39)
        << "saved by the event loop, without a flush";
}

} // namespace
} // namespace vorlex::store
