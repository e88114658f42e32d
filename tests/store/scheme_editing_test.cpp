// What the scheme dialogs decide and write, on a memory store.
#include "store/builtin_schemes.h"
#include "store/memory_settings_store.h"
#include "store/scheme_editing.h"
#include "store/settings_keys.h"
#include "tests/support/recording_store.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::store {
namespace {

using Strings = std::vector<std::string>;

// The store after the first start: the built-in schemes and their count.
void firstStart(SettingsStore& store) {
    writeBuiltInSchemes(store);
    writeSetting(store, kFlag, 1);
    writeSetting(store, kTotalSchemes, 23);
}

TEST(ActionStringTest, BuildsCodesUpToTheFirstEmptySlotAndAtMostFour) {
    EXPECT_EQ(buildActionString(std::vector<int>{11, 11, -1, -1, -1}), "wk wk");
    EXPECT_EQ(buildActionString(std::vector<int>{8, -2, -1}), "kw wl");
    EXPECT_EQ(buildActionString(std::vector<int>{-3, 13}), "lw wm");
    // Filter boxes 1 and 3 set, box 2 on none: box 1's code alone.
    EXPECT_EQ(buildActionString(std::vector<int>{1, -1, 3, -1}), "ak");
    EXPECT_EQ(buildActionString(std::vector<int>{0, 1, 2, 3, 4}), "ai ak aw ia");
    EXPECT_EQ(buildActionString(std::vector<int>{-1, 5}), "");
    EXPECT_EQ(buildActionString(std::vector<int>{99, 5}), "");
}

TEST(ActionStringTest, FilterBoxesShowTheFirstFourCodesUntilOneIsNotAFilter) {
    using Boxes = std::array<int, kSchemeFilterBoxes>;
    EXPECT_EQ(filterBoxesOf("wk wk"), (Boxes{11, 11, -1, -1}));
    EXPECT_EQ(filterBoxesOf("kw wl"), (Boxes{8, -2, -1, -1}));
    EXPECT_EQ(filterBoxesOf("ai ak aw ia ik"), (Boxes{0, 1, 2, 3}));
    EXPECT_EQ(filterBoxesOf("Wk kw"), (Boxes{-1, -1, -1, -1}));
    EXPECT_EQ(filterBoxesOf("kw xx wk"), (Boxes{8, -1, -1, -1}));
    EXPECT_EQ(filterBoxesOf("kw  wk"), (Boxes{8, -1, -1, -1}));
    EXPECT_EQ(filterBoxesOf(""), (Boxes{-1, -1, -1, -1}));
    // What is shown is what is stored again.
    EXPECT_EQ(buildActionString(filterBoxesOf("ai ak aw ia ik")), "ai ak aw ia");
}

TEST(ActionStringTest, FilterBoxItemsAreTheSixteenFiltersInBoxOrder) {
    const std::span<const int> filters = filterBoxFilters();
    ASSERT_EQ(filters.size(), 16u);
    EXPECT_EQ(filters.front(), 0);
    EXPECT_EQ(filters[13], 13);
    EXPECT_EQ(filters[14], -2);
    EXPECT_EQ(filters[15], -3);
}

TEST(EnablingTest, NameLengthAndFirstFilter) {
    EXPECT_FALSE(editorCanStore(2, 11));
    EXPECT_FALSE(editorCanStore(3, -1));
    EXPECT_TRUE(editorCanStore(3, 11));
    EXPECT_TRUE(editorCanStore(3, -3)); // Latinica->Win is a filter too
    EXPECT_FALSE(nameDialogCanSave(2));
    EXPECT_TRUE(nameDialogCanSave(3));
}

class ClashTest : public ::testing::Test {
protected:
    void SetUp() override { firstStart(store); }
    MemorySettingsStore store;
};

TEST_F(ClashTest, TellsNameVariantAndBothApart) {
    EXPECT_EQ(checkClashes(store, "Koi->Win", "ak ak", -1).clash(), Clash::name);
    EXPECT_EQ(checkClashes(store, "Twice", "wk wk", -1).clash(), Clash::variant);
    EXPECT_EQ(checkClashes(store, "Koi->Win", "kw", -1).clash(), Clash::nameAndVariant);
    // Names are compared exactly: a difference in letter case is no clash.
    const ClashCheck check = checkClashes(store, "koi->win", "ak ak", -1);
    EXPECT_EQ(check.clash(), Clash::none);
    EXPECT_EQ(check.count, 23);
    EXPECT_EQ(check.scanPosition, 23);
    EXPECT_EQ(check.afterLastFound, 23);
}

TEST_F(ClashTest, OwnSchemeIsCountedButNotCompared) {
    // Scheme 8 is "Koi->Win" / "kw": saving it unchanged clashes with nothing.
    EXPECT_EQ(checkClashes(store, "Koi->Win", "kw", 8).clash(), Clash::none);
    EXPECT_EQ(checkClashes(store, "Koi->Win", "kw", 8).count, 23);
    // Its filters changed to those of scheme 11: the variant only.
    EXPECT_EQ(checkClashes(store, "Koi->Win", "wk", 8).clash(), Clash::variant);
}

TEST_F(ClashTest, ScanFollowsTheStoredCount) {
    writeSetting(store, kTotalSchemes, 0);
    ClashCheck check = checkClashes(store, "Koi->Win", "kw", -1);
    EXPECT_EQ(check.clash(), Clash::none);
    EXPECT_EQ(check.count, 0);
    EXPECT_EQ(check.scanPosition, 0);

    // Too large a count: every number is visited.
    writeSetting(store, kTotalSchemes, 30);
    check = checkClashes(store, "Mine", "ak ak", -1);
    EXPECT_EQ(check.count, 23);
    EXPECT_EQ(check.scanPosition, kSchemeNumberLimit);
    EXPECT_EQ(check.afterLastFound, 23);

    // Too small a count: the schemes past it are not compared.
    writeSetting(store, kTotalSchemes, 10);
    check = checkClashes(store, "Win->Koi", "wk", -1);
    EXPECT_EQ(check.clash(), Clash::none);
    EXPECT_EQ(check.scanPosition, 10);
}

TEST_F(ClashTest, HalfStoredSectionsAreNotCountedButTheirActionClashes) {
    MemorySettingsStore sparse;
    writeScheme(sparse, 0, "A", "kw");
    writeScheme(sparse, 1, "B", "wk");
    writeScheme(sparse, 5, "C", "ka");
    sparse.writeString("3", kSchemeActionValue, "ik");
    writeSetting(sparse, kTotalSchemes, 3);
    const ClashCheck check = checkClashes(sparse, "D", "ik", -1);
    EXPECT_EQ(check.clash(), Clash::variant);
    EXPECT_EQ(check.count, 3);
    EXPECT_EQ(check.scanPosition, 6);
}

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        firstStart(store);
        store.clearWrites();
    }
    std::optional<StoredScheme> scheme(int number) const { return readScheme(store, number); }
    testing::RecordingStore store;
};

TEST_F(SaveTest, NewSchemeIsWrittenActionNameThenCount) {
    const SaveResult result =
        saveFromEditor(store, EditorMode::create, {"Auto", kAutoSchemeNumber}, "Mine", "ak ak");
    EXPECT_EQ(result.outcome, SaveResult::Outcome::stored);
    EXPECT_EQ(result.number, 23);
    // The box shows "Auto", which is also the last scheme: the new scheme becomes the last one.
    EXPECT_EQ(store.writes(), (Strings{"Parameters/Last scheme", "23/Action", "23/Name",
                                       "Parameters/Total schemes"}));
    EXPECT_EQ(readSetting(store, kLastScheme), "Mine");
    EXPECT_EQ(scheme(23), (StoredScheme{23, "Mine", "ak ak"}));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 24);
}

TEST_F(SaveTest, EditedSchemeKeepsItsNumberAndTheCount) {
    const SaveResult result =
        saveFromEditor(store, EditorMode::edit, {"Koi->Win", 8}, "Koi to Win", "kw wm");
    EXPECT_EQ(result.outcome, SaveResult::Outcome::stored);
    EXPECT_EQ(store.writes(), (Strings{"8/Action", "8/Name"}));
    EXPECT_EQ(scheme(8), (StoredScheme{8, "Koi to Win", "kw wm"}));
}

TEST_F(SaveTest, ClashWritesNothingButTheLastScheme) {
    writeSetting(store, kLastScheme, "Koi->Win");
    store.clearWrites();
    // Renaming the last scheme to a taken name: the last-scheme update stays.
    const SaveResult result =
        saveFromEditor(store, EditorMode::edit, {"Koi->Win", 8}, "Win->Koi", "kw");
    EXPECT_EQ(result.outcome, SaveResult::Outcome::clash);
    EXPECT_EQ(result.clash, Clash::name);
    EXPECT_EQ(store.writes(), (Strings{"Parameters/Last scheme"}));
    EXPECT_EQ(readSetting(store, kLastScheme), "Win->Koi");
    EXPECT_EQ(scheme(8), (StoredScheme{8, "Koi->Win", "kw"}));
}

TEST_F(SaveTest, LastSchemeFollowsOnlyTheSchemeTheBoxShows) {
    writeSetting(store, kLastScheme, "Koi->Win");
    // Another scheme renamed: the last scheme stays.
    saveFromEditor(store, EditorMode::edit, {"Win->Koi", 11}, "Win to Koi", "wk");
    EXPECT_EQ(readSetting(store, kLastScheme), "Koi->Win");
    // The last scheme renamed.
    store.clearWrites();
    saveFromEditor(store, EditorMode::edit, {"Koi->Win", 8}, "Koi to Win", "kw");
    EXPECT_EQ(store.writes(), (Strings{"Parameters/Last scheme", "8/Action", "8/Name"}));
    EXPECT_EQ(readSetting(store, kLastScheme), "Koi to Win");
    // Creating while the box shows the last scheme names the new one.
    saveFromEditor(store, EditorMode::create, {"Koi to Win", 8}, "Brand new", "ak ak");
    EXPECT_EQ(readSetting(store, kLastScheme), "Brand new");
}

TEST_F(SaveTest, NewSchemeAfterADeletionTakesTheNumberAfterTheLast) {
    ASSERT_EQ(deleteStoredScheme(store, 5), 0);
    EXPECT_EQ(readSetting(store, kTotalSchemes), 22);
    const SaveResult result = saveNewScheme(store, "Mine", "ak ak");
    EXPECT_EQ(result.number, 23);
    EXPECT_FALSE(scheme(5).has_value());
    EXPECT_EQ(readSetting(store, kTotalSchemes), 23);
}

// With a stored count below the real one the scan stops early; the new scheme used to be
// written over the stored scheme right after it.
TEST_F(SaveTest, NewSchemeNeverOverwritesAStoredOne) {
    writeSetting(store, kTotalSchemes, 10);
    store.inner().writeString("23", kSchemeNameValue, "half"); // a name without an action
    const SaveResult result = saveNewScheme(store, "Mine", "ak ak");
    EXPECT_EQ(result.number, 24);
    EXPECT_EQ(scheme(10), (StoredScheme{10, "Win->Iso", "wi"}));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 11);
}

// With a stored count above the real one the scan ends at 1000, a number no scan lists.
TEST_F(SaveTest, NewSchemeIsStoredWhereTheScanFindsIt) {
    writeSetting(store, kTotalSchemes, 30);
    EXPECT_EQ(saveNewScheme(store, "Mine", "ak ak").number, 23);
    EXPECT_EQ(readSetting(store, kTotalSchemes), 24);
}

TEST_F(SaveTest, NoFreeNumberWritesNothing) {
    MemorySettingsStore full;
    for (int number = 0; number < kSchemeNumberLimit; ++number)
        writeScheme(full, number, "S" + std::to_string(number), "kw");
    writeSetting(full, kTotalSchemes, kSchemeNumberLimit);
    const SaveResult result = saveNewScheme(full, "Mine", "ak ak");
    EXPECT_EQ(result.outcome, SaveResult::Outcome::noFreeNumber);
    EXPECT_EQ(readSetting(full, kTotalSchemes), kSchemeNumberLimit);
}

TEST_F(SaveTest, SavedVariantClashesWithTheBuiltInDoubleScheme) {
    writeSetting(store, kLastScheme, "Auto");
    store.clearWrites();
    const SaveResult result = saveNewScheme(store, "Twice", "wk wk");
    EXPECT_EQ(result.clash, Clash::variant);
    EXPECT_TRUE(store.writes().empty());
    // Saving a variant never touches the last scheme.
    saveNewScheme(store, "Auto", "ak ak");
    EXPECT_EQ(store.writes(), (Strings{"23/Action", "23/Name", "Parameters/Total schemes"}));
}

TEST(DeleteTest, FailedRemovalChangesNothing) {
    MemorySettingsStore store;
    firstStart(store);
    store.setDeleteError(EACCES);
    EXPECT_EQ(deleteStoredScheme(store, 3), EACCES);
    EXPECT_TRUE(readScheme(store, 3).has_value());
    EXPECT_EQ(readSetting(store, kTotalSchemes), 23);
}

TEST(DeleteTest, CountIsTheStoredOneLessOne) {
    MemorySettingsStore store;
    writeScheme(store, 4, "Only", "kw");
    // No stored count: its default, 30, less one.
    EXPECT_EQ(deleteStoredScheme(store, 4), 0);
    EXPECT_FALSE(readScheme(store, 4).has_value());
    EXPECT_EQ(readSetting(store, kTotalSchemes), 29);
    EXPECT_EQ(deleteStoredScheme(store, 4), ENOENT);
}

TEST(SelectionAfterSaveTest, FollowsTheStoredLastSchemeWhenItIsKept) {
    MemorySettingsStore store;
    firstStart(store);
    const CatalogueScan scan = scanCatalogue(store);
    writeSetting(store, kLastScheme, "koi->w");
    EXPECT_EQ(selectionAfterSave(store, scan), 8);
    writeSetting(store, kLastScheme, "Auto");
    EXPECT_EQ(selectionAfterSave(store, scan), kAutoSchemeNumber);
    writeSetting(store, kLastScheme, "No such");
    EXPECT_FALSE(selectionAfterSave(store, scan).has_value());
    writeSetting(store, kLastScheme, "Koi->Win");
    writeSetting(store, kSaveLastScheme, 0);
    EXPECT_FALSE(selectionAfterSave(store, scan).has_value());
}

} // namespace
} // namespace vorlex::store
