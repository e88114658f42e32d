// The settings dialog's values and what the main window re-reads after it.
#include "setup/settings_values.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/recording_store.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::setup {
namespace {

using store::readSetting;
using store::writeSetting;

TEST(SettingsValuesTest, EmptyStoreGivesTheDefaults) {
    const store::MemorySettingsStore store;
    EXPECT_EQ(readSettingsValues(store), SettingsValues{});
}

TEST(SettingsValuesTest, StoredPrecisionIsClamped) {
    store::MemorySettingsStore store;
    writeSetting(store, store::kPrecision, 12);
    EXPECT_EQ(readSettingsValues(store).precision, 9);
    EXPECT_EQ(readSettingsAfterDialog(store).precision, 9);
    writeSetting(store, store::kPrecision, -3);
    EXPECT_EQ(readSettingsValues(store).precision, 0);
    writeSetting(store, store::kLanguage, 5);
    EXPECT_EQ(readSettingsValues(store).language, 5);
}

TEST(SettingsValuesTest, WritesEveryValueInOrderAndRefinedRankingLast) {
    testing::RecordingStore store;
    SettingsValues values;
    values.precision = 3;
    values.showNoAutoRecoding = 1;
    values.language = kNoLanguageChosen;
    values.setClipboardViewer = 0;
    values.separateEnglish = 1;
    values.refineRanking = 1;
    writeSettingsValues(store, values, true);
    EXPECT_EQ(store.writes(),
              (std::vector<std::string>{
                  "Recoding Parameters/Precision", "Parameters/Show no auto recoding",
                  "Parameters/Show wrong clipboard format", "Parameters/Auto recode",
                  "Parameters/Auto recode file", "Parameters/Auto recode clipboard",
                  "Parameters/Save last scheme", "Parameters/No Sj", "Parameters/W as Ve",
                  "Parameters/Show preview on dblckl", "Parameters/Language",
                  "Parameters/Set clipboard viewer", "Parameters/Sparate english",
                  "Recoding Parameters/Refine ranking"}));
    EXPECT_EQ(readSettingsValues(store), values);

    // A precision that failed its check is not written.
    store.clearWrites();
    writeSettingsValues(store, values, false);
    EXPECT_EQ(store.writes().size(), 13u);
    EXPECT_EQ(store.writes().front(), "Parameters/Show no auto recoding");
}

TEST(PrecisionCheckTest, DigitsZeroToNine) {
    using Result = PrecisionCheck::Result;
    EXPECT_EQ(checkPrecision(QStringLiteral("0")).result, Result::ok);
    EXPECT_EQ(checkPrecision(QStringLiteral("9")).value, 9);
    EXPECT_EQ(checkPrecision(QStringLiteral("07")).value, 7);
    EXPECT_EQ(checkPrecision(QStringLiteral("10")).result, Result::outOfRange);
    EXPECT_EQ(checkPrecision(QStringLiteral("99999999999")).result, Result::notANumber);
    EXPECT_EQ(checkPrecision(QString()).result, Result::notANumber);
}

TEST(AfterDialogTest, LastSchemeOnlyWhenItIsKept) {
    store::MemorySettingsStore store;
    writeSetting(store, store::kLastScheme, "Koi->Win");
    SettingsAfterDialog after = readSettingsAfterDialog(store);
    EXPECT_EQ(after.lastScheme, std::optional<std::string>("Koi->Win"));
    EXPECT_EQ(after.language, 1);
    EXPECT_EQ(after.setClipboardViewer, 1);
    writeSetting(store, store::kSaveLastScheme, 0);
    writeSetting(store, store::kNoSj, 1);
    writeSetting(store, store::kLanguage, 0);
    after = readSettingsAfterDialog(store);
    EXPECT_FALSE(after.lastScheme.has_value());
    EXPECT_EQ(after.noSj, 1);
    EXPECT_EQ(after.language, 0);
}

TEST(AfterDialogTest, WatchingChange) {
    EXPECT_EQ(watchingChange(true, 0), WatchingChange::leave);
    EXPECT_EQ(watchingChange(false, 1), WatchingChange::join);
    EXPECT_EQ(watchingChange(false, 7), WatchingChange::join);
    EXPECT_EQ(watchingChange(true, 1), WatchingChange::none);
    EXPECT_EQ(watchingChange(false, 0), WatchingChange::none);
}

} // namespace
} // namespace vorlex::setup
