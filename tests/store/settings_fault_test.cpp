// Settings files a user's disk may really hold, and values at the limits of their type, read
// through the readers the programs use: the store, the main window's switches, the command
// line's switches and the pass that takes the precision and the variant limit.
#include "cli/cli_settings.h"
#include "detect/candidates.h"
#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/sample.h"
#include "engine/cp1251.h"
#include "store/builtin_schemes.h"
#include "store/qsettings_store.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"
#include "store/settings_keys.h"
#include "tests/support/test_files.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vorlex::store {
namespace {

using vorlex::testing::readFile;
using vorlex::testing::writeFile;

class SettingsFaultTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const {
        return (dir.path() + u'/' + QString::fromStdString(name)).toStdString();
    }

    // Every switch as a fresh store without the value would give it.
    static void expectDefaults(const SettingsStore& store, const std::string& what) {
        EXPECT_EQ(readSettings(store), Settings{}) << what;
        const engine::LatinOptions latin = cli::storedLatinOptions(store);
        EXPECT_FALSE(latin.wAsVe || latin.noSj || latin.separateEnglish) << what;
        EXPECT_EQ(scanCatalogue(store).count(), 0) << what;
        EXPECT_EQ(availableSchemes(store).size(), builtInSchemes().size()) << what;
    }

    QTemporaryDir dir;
};

TEST_F(SettingsFaultTest, GarbageFilesGiveTheDefaultsAndAreNotRewrittenByReading) {
    std::mt19937 random(20261209);
    QByteArray noise(64 << 10, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random() & 0xFF);
    // One line of 16 MiB: a number far too long for any integer, then printable noise.
    QByteArray hugeNumber = "[Parameters]\nLanguage=" + QByteArray(16 << 20, '9') + "\n";
    QByteArray hugeLine(8 << 20, 'x');
    for (qsizetype i = 0; i < hugeLine.size(); i += 97)
        hugeLine[i] = static_cast<char>(' ' + random() % 95);
    const QByteArray zeros(4096, '\0');
    const std::pair<const char*, QByteArray> files[] = {
        {"random bytes", noise},
        {"a huge number", hugeNumber},
        {"a huge line", hugeLine},
        {"zero bytes", zeros},
    };
    for (const auto& [what, bytes] : files) {
        const std::string file = path(std::string(what) + ".ini");
        writeFile(file, bytes);
        {
            QSettingsStore store(file);
            expectDefaults(store, what);
        }
        EXPECT_EQ(readFile(file), bytes) << what << ": a store that only reads changed the file";
    }
}

TEST_F(SettingsFaultTest, APipeInPlaceOfTheFileIsNotWaitedFor) {
    // Opening a pipe for reading would wait for a writer for ever.
    const std::string fifo = path("VORLEX.INI");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QSettingsStore store(fifo);
    expectDefaults(store, "a pipe");
    EXPECT_EQ(store.location(), fifo);
    writeSetting(store, kLanguage, 0);
    EXPECT_EQ(readSetting(store, kLanguage), 0) << "kept for this run";
    std::string error;
    EXPECT_FALSE(store.flush(&error));
    EXPECT_NE(error.find(fifo), std::string::npos) << error;
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was replaced";
}

TEST_F(SettingsFaultTest, AnotherWriterHoldingTheLockIsWaitedForAndBothValuesSurvive) {
    const std::string file = path("VORLEX.INI");
    writeFile(file, "[Parameters]\nLanguage=1\n");
    QSettingsStore store(file);
    writeSetting(store, kLanguage, 0);

    // The other writer: holds the lock QSettings takes around a save and rewrites the file.
    QLockFile lock(QString::fromStdString(file) + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.lock());
    bool saved = false;
    std::string error;
    std::thread saver([&] { saved = store.flush(&error); });
    QSaveFile other(QString::fromStdString(file));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("[Parameters]\nLanguage=1\n\n[Recoding%20Parameters]\nPrecision=3\n");
    ASSERT_TRUE(other.commit());
    lock.unlock();
    saver.join();

    EXPECT_TRUE(saved) << error;
    const QByteArray text = readFile(file);
    EXPECT_TRUE(text.contains("Language=0")) << text.toStdString();
    EXPECT_TRUE(text.contains("Precision=3"))
        << "the other writer's value was lost: " << text.toStdString();
}

// A writer that never lets go of the lock: saving gives up with a message instead of waiting
// for ever, and closing the store does not hang either; the file stays as it was.
TEST_F(SettingsFaultTest, AStuckWriterHoldingTheLockDoesNotFreezeSavingOrClosing) {
    const std::string file = path("VORLEX.INI");
    writeFile(file, "[Parameters]\nLanguage=1\n");
    QLockFile lock(QString::fromStdString(file) + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.lock());
    {
        QSettingsStore store(file);
        writeSetting(store, kLanguage, 0);
        std::string error;
        EXPECT_FALSE(store.flush(&error));
        EXPECT_NE(error.find("locked by another program"), std::string::npos) << error;
        EXPECT_EQ(readSetting(store, kLanguage), 0); // kept in memory for the next save
    }
    lock.unlock();
    EXPECT_EQ(readFile(file), QByteArray("[Parameters]\nLanguage=1\n"));

    // Once the lock is free again, saving works as before.
    QSettingsStore store(file);
    writeSetting(store, kLanguage, 0);
    std::string error;
    EXPECT_TRUE(store.flush(&error)) << error;
    EXPECT_TRUE(readFile(file).contains("Language=0"));
}

TEST_F(SettingsFaultTest, ALockLeftByAWriterThatDiedDoesNotStopSaving) {
    const std::string file = path("VORLEX.INI");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    // QLockFile's own layout: process id, application name, host name, machine and boot.
    writeFile(file + ".lock",
              QByteArray::number(child) + "\nvorlex\n" + QSysInfo::machineHostName().toUtf8() +
                  '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
    QSettingsStore store(file);
    writeSetting(store, kPrecision, 2);
    std::string error;
    EXPECT_TRUE(store.flush(&error)) << error;
    EXPECT_TRUE(readFile(file).contains("Precision=2"));
}

// Each integer as the program itself could have stored it, and as a hand edit could leave it.
TEST_F(SettingsFaultTest, IntegersAtTheLimitsGiveSoundValuesEverywhere) {
    struct Stored {
        const char* text;
        std::optional<int> value; // what the store reads; nothing: the default
    };
    const Stored cases[] = {{"-2147483648", INT_MIN}, {"-1", -1},          {"0", 0},
                            {"2147483647", INT_MAX},  {"99999999999", {}}, {"-99999999999", {}}};
    const IntSetting* const settings[] = {&kFlag,
                                          &kLanguage,
                                          &kTotalSchemes,
                                          &kSaveLastScheme,
                                          &kAutoRecode,
                                          &kAutoRecodeFile,
                                          &kAutoRecodeClipboard,
                                          &kSetClipboardViewer,
                                          &kShowPreviewOnDoubleClick,
                                          &kShowNoAutoRecoding,
                                          &kShowWrongClipboardFormat,
                                          &kWAsVe,
                                          &kNoSj,
                                          &kSeparateEnglish,
                                          &kTotalShow,
                                          &kPrecision,
                                          &kRefineRanking,
                                          &kOutputEncoding};

    const detect::Dictionary dictionary;
    const detect::Sample sample =
        detect::sampleSource(engine::win1251Literal("это мы и они был дом еще, где же он"));
    for (const Stored& stored : cases) {
        QByteArray ini = "[Parameters]\n";
        QByteArray recoding = "[Recoding%20Parameters]\n";
        for (const IntSetting* setting : settings) {
            const QByteArray line =
                QByteArray::fromStdString(std::string(setting->name)).replace(' ', "%20") + '=' +
                stored.text + '\n';
            (setting->section == kParametersSection ? ini : recoding) += line;
        }
        const std::string file = path(std::string("limits") + stored.text + ".ini");
        writeFile(file, ini + '\n' + recoding);
        const QSettingsStore store(file);
        for (const IntSetting* setting : settings)
            EXPECT_EQ(readSetting(store, *setting), stored.value.value_or(setting->defaultValue))
                << setting->name << " = " << stored.text;

        const Settings s = readSettings(store);
        // Language: 0 Russian, any other value English.
        EXPECT_EQ(isRussian(s.language), stored.value == 0) << stored.text;
        // Output encoding: 0 Windows-1251; garbage and every other value the default, UTF-8.
        EXPECT_EQ(s.outputEncoding,
                  stored.value == 0 ? OutputEncoding::win1251 : OutputEncoding::utf8)
            << stored.text;
        const int precision = s.precision;
        EXPECT_TRUE(precision >= 0 && precision <= 9) << stored.text;
        EXPECT_TRUE(
            std::isfinite(detect::kPrecisionThresholds[static_cast<std::size_t>(precision)]));
        const engine::LatinOptions latin = cli::storedLatinOptions(store);
        const bool on = stored.value.value_or(0) != 0;
        EXPECT_EQ(latin.wAsVe, on) << stored.text;
        EXPECT_EQ(latin.separateEnglish, on) << stored.text;

        // The pass takes the precision and the limit as the window hands them over.
        detect::PassSetup setup;
        setup.sample = sample;
        setup.precision = s.precision;
        setup.maxVariants = s.totalShow;
        setup.schemeItems = {detect::kAutoItem};
        const detect::PassResult result = detect::runPass(dictionary, setup);
        EXPECT_LE(result.variants.size(), static_cast<std::size_t>(detect::kMaxVariants))
            << stored.text;
        EXPECT_GE(result.found, static_cast<int>(result.variants.size())) << stored.text;
        if (stored.value == INT_MIN) {
            // Precision 0 accepts every chain that makes a word; a limit of 1 keeps one line.
            EXPECT_GT(result.found, 1);
            EXPECT_EQ(result.variants.size(), 1u);
        }

        // A count of schemes at the limits: never more than the stored sections, nothing at 0
        // or below, and the next scan writes the true count back.
        const CatalogueScan scan = scanCatalogue(store);
        EXPECT_EQ(scan.count(), 0) << stored.text;
    }
}

TEST_F(SettingsFaultTest, AMillionSchemesCountedWithAThousandSectionsPresent) {
    const std::string file = path("VORLEX.INI");
    {
        QSettingsStore store(file);
        initialiseOnStart(store);
        for (int number = 0; number < kSchemeNumberLimit; ++number)
            writeScheme(store, number, "Scheme " + std::to_string(number), "kw wk");
        writeSetting(store, kTotalSchemes, 1000000);
        std::string error;
        ASSERT_TRUE(store.flush(&error)) << error;
    }
    const std::string copy = path("copy.ini");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(file), QString::fromStdString(copy)));
    QSettingsStore store(copy);
    const CatalogueScan scan = refreshCatalogue(store);
    ASSERT_EQ(scan.count(), kSchemeNumberLimit);
    for (int number = 0; number < kSchemeNumberLimit; ++number) {
        ASSERT_EQ(scan.schemes[static_cast<std::size_t>(number)].number, number);
        ASSERT_EQ(scan.schemes[static_cast<std::size_t>(number)].name,
                  "Scheme " + std::to_string(number));
    }
    EXPECT_EQ(readSetting(store, kTotalSchemes), kSchemeNumberLimit) << "the count is healed";
}

} // namespace
} // namespace vorlex::store
