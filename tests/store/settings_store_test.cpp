// Reading, writing and deleting: the rules both stores share.
#include "store/builtin_schemes.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "store_makers.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

namespace vorlex::store::testing {
namespace {

template <class Maker> using SettingsStoreTest = StoreTest<Maker>;
TYPED_TEST_SUITE(SettingsStoreTest, StoreMakers, StoreMakerNames);

TYPED_TEST(SettingsStoreTest, AbsentValuesReadAsTheDefaultWhichIsNotWrittenBack) {
    SettingsStore& store = *this->store;
    EXPECT_EQ(store.readInt("Parameters", "Flag", 0), 0);
    EXPECT_EQ(store.readInt("Parameters", "Flag", 42), 42);
    EXPECT_EQ(store.readString("Parameters", "Last scheme", "Auto"), "Auto");
    EXPECT_EQ(store.readString("Parameters", "Last scheme", "other"), "other");
    EXPECT_EQ(store.deleteSection("Parameters"), ENOENT);
}

TYPED_TEST(SettingsStoreTest, EmptyStoreGivesTheDocumentedDefaults) {
    const SettingsStore& store = *this->store;
    EXPECT_EQ(readSetting(store, kFlag), 0);
    EXPECT_EQ(readSetting(store, kLanguage), 1); // English
    EXPECT_EQ(readSetting(store, kTotalSchemes), 30);
    EXPECT_EQ(readSetting(store, kLastScheme), "Auto");
    EXPECT_EQ(readSetting(store, kFontName), " ");
    EXPECT_EQ(readSetting(store, kTotalShow), 20);
    EXPECT_EQ(readSetting(store, kPrecision), 7);
}

TYPED_TEST(SettingsStoreTest, ValuesReadBackAsWritten) {
    SettingsStore& store = *this->store;
    store.writeInt("Parameters", "FontHeight", -13);
    store.writeInt("Parameters", "FontWidth", INT_MIN);
    store.writeInt("Recoding Parameters", "Precision", INT_MAX);
    store.writeString("12", "Name", "\xD0\x94\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F");
    store.writeString("Parameters", "FontName", "");
    EXPECT_EQ(store.readInt("Parameters", "FontHeight", 0), -13);
    EXPECT_EQ(store.readInt("Parameters", "FontWidth", 0), INT_MIN);
    EXPECT_EQ(store.readInt("Recoding Parameters", "Precision", 0), INT_MAX);
    EXPECT_EQ(store.readString("12", "Name", ""),
              "\xD0\x94\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F");
    EXPECT_EQ(store.readString("Parameters", "FontName", "x"), "");
    // Names are case-sensitive: "precision" is another value.
    EXPECT_EQ(store.readInt("Recoding Parameters", "precision", 5), 5);
}

TYPED_TEST(SettingsStoreTest, IntegerReadOfAStringTakesOnlyA32BitDecimalNumber) {
    SettingsStore& store = *this->store;
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},
        {"-7", -7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"abc", -1},
        {"12x", -1},
        {"99999999999", -1},
        {"2147483648", -1},
        {"-2147483649", -1},
        {"", -1},
        {" 7", -1},
        {"+7", -1},
        {"0x10", -1},
        {"1.5", -1},
    };
    for (const auto& c : cases) {
        store.writeString("Parameters", "Precision", c.text);
        EXPECT_EQ(store.readInt("Parameters", "Precision", -1), c.expected) << '"' << c.text << '"';
    }
}

TYPED_TEST(SettingsStoreTest, StringReadOfAnIntegerGivesItsDecimalText) {
    SettingsStore& store = *this->store;
    store.writeInt("Parameters", "Total schemes", -23);
    EXPECT_EQ(store.readString("Parameters", "Total schemes", "none"), "-23");
}

TYPED_TEST(SettingsStoreTest, AWriteReplacesTheValueAndItsType) {
    SettingsStore& store = *this->store;
    store.writeString("Parameters", "Language", "abc");
    store.writeInt("Parameters", "Language", 0);
    EXPECT_EQ(store.readInt("Parameters", "Language", 1), 0);
    store.writeString("Parameters", "Language", "English");
    EXPECT_EQ(store.readInt("Parameters", "Language", 1), 1);
}

TYPED_TEST(SettingsStoreTest, DeleteSectionRemovesBothSchemeValuesAndNothingElse) {
    SettingsStore& store = *this->store;
    writeScheme(store, 4, "Four", "kw");
    writeScheme(store, 5, "Five", "wk");
    writeSetting(store, kFlag, 1);

    EXPECT_EQ(store.deleteSection("4"), 0);
    EXPECT_EQ(readSchemeValue(store, 4, "Name"), std::nullopt);
    EXPECT_EQ(readSchemeValue(store, 4, "Action"), std::nullopt);
    EXPECT_EQ(readScheme(store, 5), (StoredScheme{5, "Five", "wk"}));
    EXPECT_EQ(readSetting(store, kFlag), 1);

    EXPECT_EQ(store.deleteSection("4"), ENOENT);
    writeScheme(store, 4, "Again", "ka");
    EXPECT_EQ(readScheme(store, 4), (StoredScheme{4, "Again", "ka"}));
}

TYPED_TEST(SettingsStoreTest, DeletingASectionWithOnlyOneValueRemovesIt) {
    SettingsStore& store = *this->store;
    store.writeString("7", "Name", "Only a name");
    EXPECT_EQ(store.deleteSection("7"), 0);
    EXPECT_EQ(store.readString("7", "Name", "gone"), "gone");
}

TYPED_TEST(SettingsStoreTest, MalformedNamesAreRefusedAndTheDroppedWriteIsReported) {
    SettingsStore& store = *this->store;
    // With QSettings these would reach other groups, e.g. a nested group of "Parameters" that
    // deleting "Parameters" would take along, or the whole file for an empty group.
    store.writeInt("Parameters/Sub", "x", 1);
    store.writeInt("Parameters", "a\\b", 1);
    store.writeString("", "Name", "x");
    EXPECT_EQ(store.readInt("Parameters/Sub", "x", 9), 9);
    EXPECT_EQ(store.deleteSection("Parameters"), ENOENT);
    EXPECT_EQ(store.deleteSection(""), EINVAL);
    EXPECT_EQ(store.deleteSection("0/Name"), EINVAL);

    std::string error;
    EXPECT_FALSE(store.flush(&error));
    EXPECT_NE(error.find("Parameters/Sub"), std::string::npos) << error;
    error.clear();
    EXPECT_TRUE(store.flush(&error)) << "reported once";
    EXPECT_EQ(error, "");
}

TYPED_TEST(SettingsStoreTest, FlushSucceedsOnAHealthyStore) {
    SettingsStore& store = *this->store;
    std::string error;
    EXPECT_TRUE(store.flush(&error));
    writeSetting(store, kPrecision, 3);
    EXPECT_TRUE(store.flush(&error));
    EXPECT_TRUE(store.flush(nullptr));
    EXPECT_EQ(error, "");
    EXPECT_EQ(readSetting(store, kPrecision), 3);
}

// The recoding worker reads the stored actions while the interface thread goes on writing.
TYPED_TEST(SettingsStoreTest, AWorkerReadsSafelyWhileAnotherThreadWrites) {
    SettingsStore& store = *this->store;
    writeBuiltInSchemes(store);
    const auto builtIn = builtInSchemes();

    // Each side goes on until the other has done a share of its work, so that they overlap.
    std::atomic<int> passes{0};
    std::atomic<int> writes{0};
    std::atomic<int> wrongReads{0};
    std::thread worker([&] {
        while (passes.load() < 20 || writes.load() < 300) {
            for (int n = 0; n < 23; ++n) {
                if (readSchemeValue(store, n, "Action") != builtIn[static_cast<size_t>(n)].action)
                    ++wrongReads;
            }
            ++passes;
        }
    });
    int i = 0;
    for (; i < 300 || passes.load() < 20; ++i) {
        writeSetting(store, kTotalShow, i);
        // New values in new sections change the structures the reader walks through.
        store.writeString("Scratch " + std::to_string(i % 50), "Last",
                          "Scheme " + std::to_string(i));
        // A removal is saved at once, which the INI store pays for with a disk sync.
        if (i % 25 == 0) {
            writeScheme(store, 500, "Temporary", "kw kw");
            EXPECT_EQ(store.deleteSection("500"), 0);
            EXPECT_TRUE(store.flush(nullptr));
        }
        ++writes;
    }
    worker.join();
    EXPECT_EQ(wrongReads.load(), 0);
    EXPECT_EQ(readSetting(store, kTotalShow), i - 1);
}

TEST(ErrorMessage, IsTheSystemTextForTheCode) {
    EXPECT_EQ(errorMessage(ENOENT), std::strerror(ENOENT));
    EXPECT_EQ(errorMessage(EACCES), std::strerror(EACCES));
}

TEST(MemorySettingsStore, InjectedFailuresLeaveTheStoreUnchanged) {
    MemorySettingsStore store;
    writeScheme(store, 3, "Three", "kw");
    store.setDeleteError(EACCES);
    EXPECT_EQ(store.deleteSection("3"), EACCES);
    EXPECT_EQ(readScheme(store, 3), (StoredScheme{3, "Three", "kw"}));
    store.setDeleteError(0);
    store.setFlushError("disk full");
    std::string error;
    EXPECT_FALSE(store.flush(&error));
    EXPECT_EQ(error, "disk full");
    store.setFlushError({});
    EXPECT_TRUE(store.flush(&error));
    EXPECT_EQ(store.deleteSection("3"), 0);
}

} // namespace
} // namespace vorlex::store::testing
