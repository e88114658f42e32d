// The typed settings: defaults, bounds, the language values and the dialog's writes.
#include "store/memory_settings_store.h"
#include "store/settings.h"
#include "tests/support/recording_store.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::store {
namespace {

TEST(SettingsTest, EmptyStoreGivesTheDefaults) {
    const MemorySettingsStore store;
    const Settings s = readSettings(store);
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.language, Language::english);
    EXPECT_EQ(s.totalShow, 20);
    EXPECT_EQ(s.precision, 7);
    EXPECT_TRUE(s.autoRecode && s.autoRecodeFile && s.autoRecodeClipboard && s.saveLastScheme &&
                s.setClipboardViewer);
    EXPECT_FALSE(s.showNoAutoRecoding || s.showWrongClipboardFormat || s.noSj || s.wAsVe ||
                 s.separateEnglish || s.refineRanking || s.showPreviewOnDoubleClick);
    EXPECT_EQ(s.lastScheme, "Auto");
    EXPECT_EQ(s.outputEncoding, OutputEncoding::utf8);
}

TEST(SettingsTest, BoundsLanguageAndSwitchesAsRead) {
    MemorySettingsStore store;
    writeSetting(store, kPrecision, 12);
    writeSetting(store, kTotalShow, 0);
    writeSetting(store, kLanguage, 5);
    writeSetting(store, kNoSj, 7);
    writeSetting(store, kLastScheme, "Koi->Win");
    Settings s = readSettings(store);
    EXPECT_EQ(s.precision, 9);
    EXPECT_EQ(s.totalShow, 1);
    EXPECT_EQ(s.language, Language::neither);
    EXPECT_FALSE(isRussian(s.language));
    EXPECT_TRUE(s.noSj);
    EXPECT_EQ(s.lastScheme, "Koi->Win");
    writeSetting(store, kOutputEncoding, 0);
    EXPECT_EQ(readSettings(store).outputEncoding, OutputEncoding::win1251);

    writeSetting(store, kPrecision, -3);
    writeSetting(store, kTotalShow, 150);
    writeSetting(store, kLanguage, 0);
    writeSetting(store, kSaveLastScheme, 0);
    s = readSettings(store);
    EXPECT_EQ(s.precision, 0);
    EXPECT_EQ(s.totalShow, 99);
    EXPECT_EQ(s.language, Language::russian);
    EXPECT_EQ(readLanguage(store), Language::russian);
    EXPECT_EQ(s.lastScheme, "Auto") << "read only while it is kept";
}

TEST(SettingsTest, WritesTheDialogsValuesInOrder) {
    testing::RecordingStore store;
    Settings s;
    s.precision = 3;
    s.showNoAutoRecoding = true;
    s.language = Language::neither;
    s.setClipboardViewer = false;
    s.separateEnglish = true;
    s.refineRanking = true;
    s.outputEncoding = OutputEncoding::win1251;
    writeSettings(store, s);
    EXPECT_EQ(store.writes(),
              (std::vector<std::string>{
                  "Recoding Parameters/Precision", "Parameters/Show no auto recoding",
                  "Parameters/Show wrong clipboard format", "Parameters/Auto recode",
                  "Parameters/Auto recode file", "Parameters/Auto recode clipboard",
                  "Parameters/Save last scheme", "Parameters/No Sj", "Parameters/W as Ve",
                  "Parameters/Show preview on dblckl", "Parameters/Language",
                  "Parameters/Set clipboard viewer", "Parameters/Sparate english",
                  "Recoding Parameters/Refine ranking", "Recoding Parameters/Output encoding"}));
    EXPECT_EQ(readSettings(store), s);
    EXPECT_EQ(readSetting(store, kLanguage), -1);
    EXPECT_EQ(readSetting(store, kSeparateEnglish), 1);

    // A precision that failed its check is not written.
    store.clearWrites();
    writeSettings(store, s, PrecisionWrite::keepStored);
    EXPECT_EQ(store.writes().size(), 14u);
    EXPECT_EQ(store.writes().front(), "Parameters/Show no auto recoding");
}

} // namespace
} // namespace vorlex::store
