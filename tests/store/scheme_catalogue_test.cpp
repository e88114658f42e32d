// Built-in schemes, the first-run rule and the catalogue scan, on both stores.
#include "store/builtin_schemes.h"
#include "store/scheme_catalogue.h"
#include "store/scheme_list.h"
#include "store/settings_keys.h"
#include "store_makers.h"

#include <initializer_list>
#include <vector>

namespace vorlex::store::testing {
namespace {

// "Двойная Win->Koi" in UTF-8, spelled out so that the source file's encoding cannot matter.
constexpr std::string_view kDoubleWinKoi =
    "\xD0\x94\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F Win->Koi";

void writeNumbered(SettingsStore& store, std::initializer_list<int> numbers) {
    for (int n : numbers)
        writeScheme(store, n, "Scheme " + std::to_string(n), "kw");
}

std::vector<int> numbersOf(const std::vector<StoredScheme>& schemes) {
    std::vector<int> numbers;
    for (const StoredScheme& s : schemes)
        numbers.push_back(s.number);
    return numbers;
}

std::vector<int> range(int first, int end) {
    std::vector<int> numbers;
    for (int n = first; n < end; ++n)
        numbers.push_back(n);
    return numbers;
}

template <class Maker> using SchemeStoreTest = StoreTest<Maker>;
TYPED_TEST_SUITE(SchemeStoreTest, StoreMakers, StoreMakerNames);

TYPED_TEST(SchemeStoreTest, FirstStartWritesTheBuiltInSchemesAndTheScanCountsThem) {
    SettingsStore& store = *this->store;
    initialiseOnStart(store);
    EXPECT_EQ(readSetting(store, kFlag), 1);
    EXPECT_EQ(store.readInt("Parameters", "Total schemes", -1), -1) << "not written by the writer";

    const CatalogueScan scan = refreshCatalogue(store);
    ASSERT_EQ(scan.count(), 23);
    EXPECT_EQ(readSetting(store, kTotalSchemes), 23);
    EXPECT_EQ(scan.schemes[0], (StoredScheme{0, "Alt->Iso", "ai"}));
    EXPECT_EQ(scan.schemes[12], (StoredScheme{12, std::string(kDoubleWinKoi), "wk wk"}));
    EXPECT_EQ(scan.schemes[14], (StoredScheme{14, "Koi->Latinica", "kw wl"}));
    EXPECT_EQ(scan.schemes[22], (StoredScheme{22, "Win->Mac", "wm"}));
    EXPECT_EQ(numbersOf(scan.schemes), range(0, 23));
}

TYPED_TEST(SchemeStoreTest, BuiltInSchemesAreWrittenOnlyWhileFlagIsZero) {
    SettingsStore& store = *this->store;
    writeSetting(store, kFlag, 1);
    writeBuiltInSchemes(store);
    EXPECT_EQ(readScheme(store, 0), std::nullopt);
    EXPECT_EQ(scanCatalogue(store).count(), 0) << "only Auto is listed";

    // A user who deleted a built-in scheme does not get it back on the next start...
    writeSetting(store, kFlag, 0);
    initialiseOnStart(store);
    ASSERT_EQ(store.deleteSection("3"), 0);
    initialiseOnStart(store);
    EXPECT_EQ(readScheme(store, 3), std::nullopt);
}

TYPED_TEST(SchemeStoreTest, ClearingFlagRestoresSections0To22AndLeavesTheOthers) {
    SettingsStore& store = *this->store;
    initialiseOnStart(store);
    writeScheme(store, 5, "Renamed", "kw kw");
    writeScheme(store, 23, "Mine", "ka");
    ASSERT_EQ(store.deleteSection("7"), 0);

    writeSetting(store, kFlag, 0);
    initialiseOnStart(store);
    EXPECT_EQ(readScheme(store, 5), (StoredScheme{5, "Iso->Win", "iw"}));
    EXPECT_EQ(readScheme(store, 7), (StoredScheme{7, "Koi->Iso", "ki"}));
    EXPECT_EQ(readScheme(store, 23), (StoredScheme{23, "Mine", "ka"}));
}

TYPED_TEST(SchemeStoreTest, TotalAboveTheStoredCountScansTo999AndCorrectsIt) {
    SettingsStore& store = *this->store;
    writeNumbered(store, {0, 1, 2, 998, 999});
    writeScheme(store, 1000, "Beyond the scan", "kw");
    writeSetting(store, kTotalSchemes, 25);
    const CatalogueScan scan = refreshCatalogue(store);
    EXPECT_EQ(numbersOf(scan.schemes), (std::vector<int>{0, 1, 2, 998, 999}));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 5);
}

TYPED_TEST(SchemeStoreTest, TotalBelowTheStoredCountListsOnlyThatMany) {
    SettingsStore& store = *this->store;
    initialiseOnStart(store);
    writeSetting(store, kTotalSchemes, 10);
    const CatalogueScan scan = refreshCatalogue(store);
    EXPECT_EQ(numbersOf(scan.schemes), range(0, 10));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 10);
    EXPECT_EQ(readScheme(store, 22), (StoredScheme{22, "Win->Mac", "wm"})) << "left in the store";
}

TYPED_TEST(SchemeStoreTest, TotalOfZeroOrLessListsNothingAndWritesZero) {
    SettingsStore& store = *this->store;
    initialiseOnStart(store);
    for (int total : {0, -1, INT_MIN}) {
        writeSetting(store, kTotalSchemes, total);
        EXPECT_EQ(refreshCatalogue(store).count(), 0) << total;
        EXPECT_EQ(readSetting(store, kTotalSchemes), 0) << total;
    }
}

TYPED_TEST(SchemeStoreTest, HolesInTheNumberingDoNotMatter) {
    SettingsStore& store = *this->store;
    writeNumbered(store, {0, 1, 5});
    writeSetting(store, kTotalSchemes, 3);
    const CatalogueScan scan = refreshCatalogue(store);
    EXPECT_EQ(numbersOf(scan.schemes), (std::vector<int>{0, 1, 5}));
    EXPECT_EQ(scan.schemes[2], (StoredScheme{5, "Scheme 5", "kw"}));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 3);
}

TYPED_TEST(SchemeStoreTest, HalfStoredSchemesAndMarkerValuesAreNeitherListedNorCounted) {
    SettingsStore& store = *this->store;
    store.writeString("0", "Action", "kw");                  // no Name
    store.writeString("1", "Name", "No action");             // no Action
    writeScheme(store, 2, std::string(kMissingValue), "wk"); // Name equal to the marker
    writeScheme(store, 3, "Marker action", kMissingValue);
    writeScheme(store, 4, "Real", "ka");
    writeSetting(store, kTotalSchemes, 1);
    const CatalogueScan scan = refreshCatalogue(store);
    EXPECT_EQ(scan.schemes, (std::vector<StoredScheme>{{4, "Real", "ka"}}));
    EXPECT_EQ(readSchemeValue(store, 0, "Name"), std::nullopt);
    EXPECT_EQ(readSchemeValue(store, 2, "Name"), std::nullopt);
    EXPECT_EQ(readSchemeValue(store, 2, "Action"), "wk");
}

TYPED_TEST(SchemeStoreTest, ScanOnlyReads) {
    SettingsStore& store = *this->store;
    writeNumbered(store, {0, 1});
    const CatalogueScan scan = scanCatalogue(store);
    EXPECT_EQ(scan.count(), 2);
    EXPECT_EQ(store.readInt("Parameters", "Total schemes", -1), -1);
    writeSchemeCount(store, scan);
    EXPECT_EQ(readSetting(store, kTotalSchemes), 2);
}

TYPED_TEST(SchemeStoreTest, AvailableSchemesBeforeTheFirstRunAreTheBuiltInOnes) {
    SettingsStore& store = *this->store;
    const std::vector<StoredScheme> schemes = availableSchemes(store);
    ASSERT_EQ(schemes.size(), 23u);
    EXPECT_EQ(schemes[12], (StoredScheme{12, std::string(kDoubleWinKoi), "wk wk"}));
    EXPECT_EQ(readSetting(store, kFlag), 0) << "nothing written";
    EXPECT_EQ(readScheme(store, 0), std::nullopt);

    // With Flag cleared, leftovers beyond 22 are listed as the window would after its start.
    writeScheme(store, 3, "Old three", "kw");
    writeScheme(store, 30, "Mine", "ka");
    const std::vector<StoredScheme> overlaid = availableSchemes(store);
    ASSERT_EQ(overlaid.size(), 24u);
    EXPECT_EQ(overlaid[3], (StoredScheme{3, "Iso->Alt", "ia"}));
    EXPECT_EQ(overlaid[23], (StoredScheme{30, "Mine", "ka"}));
    EXPECT_EQ(readScheme(store, 3), (StoredScheme{3, "Old three", "kw"}));
}

TYPED_TEST(SchemeStoreTest, AvailableSchemesAfterTheFirstRunAreTheScan) {
    SettingsStore& store = *this->store;
    writeSetting(store, kFlag, 1);
    writeNumbered(store, {4, 9});
    writeSetting(store, kTotalSchemes, 7);
    EXPECT_EQ(numbersOf(availableSchemes(store)), (std::vector<int>{4, 9}));
    EXPECT_EQ(readSetting(store, kTotalSchemes), 7) << "not corrected: nothing is written";
}

TEST(BuiltInSchemes, TableHoldsTheTwentyThreeSchemesInNumberOrder) {
    const auto table = builtInSchemes();
    ASSERT_EQ(table.size(), 23u);
    const std::string_view names[] = {
        "Alt->Iso",      "Alt->Koi",      "Alt->Win",      "Iso->Alt",      "Iso->Koi",
        "Iso->Win",      "Koi->Alt",      "Koi->Iso",      "Koi->Win",      "Win->Alt",
        "Win->Iso",      "Win->Koi",      kDoubleWinKoi,   "Win->Latinica", "Koi->Latinica",
        "Alt->Latinica", "Iso->Latinica", "Latinica->Win", "Latinica->Koi", "Latinica->Alt",
        "Latinica->Iso", "Mac->Win",      "Win->Mac"};
    const std::string_view actions[] = {
        "ai",    "ak", "aw",    "ia",    "ik",    "iw", "ka",    "ki",    "kw",    "wa", "wi", "wk",
        "wk wk", "wl", "kw wl", "aw wl", "iw wl", "lw", "lw wk", "lw wa", "lw wi", "mw", "wm"};
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].name, names[i]) << i;
        EXPECT_EQ(table[i].action, actions[i]) << i;
    }
}

TEST(SchemeSectionName, IsPlainDecimal) {
    EXPECT_EQ(schemeSectionName(0), "0");
    EXPECT_EQ(schemeSectionName(22), "22");
    EXPECT_EQ(schemeSectionName(999), "999");
    EXPECT_EQ(schemeSectionName(kAutoSchemeNumber), "") << "refused by every store operation";
}

TEST(StoredSettingNames, KeepTheirStoredSpelling) {
    // Users' stores hold these exact names; a "corrected" spelling would lose their settings.
    EXPECT_EQ(kSeparateEnglish.name, "Sparate english");
    EXPECT_EQ(kShowPreviewOnDoubleClick.name, "Show preview on dblckl");
    EXPECT_EQ(kFontQuality.name, "FontQualit");
    EXPECT_EQ(kTotalSchemes.name, "Total schemes");
    EXPECT_EQ(kTotalShow.section, "Recoding Parameters");
    EXPECT_EQ(kTotalShow.name, "Total Show");
    EXPECT_EQ(kPrecision.section, "Recoding Parameters");
    EXPECT_EQ(kMissingValue, "~-^-~");
}

TEST(FindSchemeByName, ComparesBytesExactly) {
    const std::vector<StoredScheme> schemes = {
        {0, "Koi->Win", "kw"}, {4, "koi->win", "kw kw"}, {7, "Koi->Win", "wk"}};
    ASSERT_NE(findSchemeByName(schemes, "Koi->Win"), nullptr);
    EXPECT_EQ(findSchemeByName(schemes, "Koi->Win")->number, 0) << "the first of two";
    EXPECT_EQ(findSchemeByName(schemes, "koi->win")->number, 4);
    EXPECT_EQ(findSchemeByName(schemes, "Koi->Wi"), nullptr) << "no prefix match";
    EXPECT_EQ(findSchemeByName(schemes, "Koi->Win "), nullptr);
    EXPECT_EQ(findSchemeByName({}, "Koi->Win"), nullptr);
}

TEST(LastSchemeSelection, PicksTheFirstItemThatBeginsWithTheNameIgnoringCase) {
    const std::vector<StoredScheme> schemes = {{0, "Koi->Win", "kw"},
                                               {1, "Koi->Win (mail)", "kw"},
                                               {5, "Win->Koi", "wk"},
                                               {12, std::string(kDoubleWinKoi), "wk wk"}};
    EXPECT_EQ(lastSchemeSelection(schemes, "Auto"), kAutoSchemeNumber);
    EXPECT_EQ(lastSchemeSelection(schemes, "auto"), kAutoSchemeNumber);
    EXPECT_EQ(lastSchemeSelection(schemes, "Koi->Win (mail)"), 1);
    EXPECT_EQ(lastSchemeSelection(schemes, "Koi"), 0) << "the first of two in box order";
    EXPECT_EQ(lastSchemeSelection(schemes, "WIN->KOI"), 5);
    // "ДВОЙНАЯ" and "двойная": Cyrillic letters compare without case too.
    EXPECT_EQ(
        lastSchemeSelection(schemes, "\xD0\x94\xD0\x92\xD0\x9E\xD0\x99\xD0\x9D\xD0\x90\xD0\xAF"),
        12);
    EXPECT_EQ(lastSchemeSelection(schemes,
                                  "\xD0\xB4\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F"
                                  " win->koi"),
              12);
    EXPECT_EQ(lastSchemeSelection(schemes, "Koi->Win (mail) old"), std::nullopt);
    EXPECT_EQ(lastSchemeSelection(schemes, "Mac"), std::nullopt);
    EXPECT_EQ(lastSchemeSelection({}, "Koi->Win"), std::nullopt);
}

TEST(SchemeList, SelectsByNumberAndLastSchemeAndRemovesTheSelected) {
    SchemeList list;
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(list.selectedName(), "Auto");
    EXPECT_EQ(list.selectedScheme(), nullptr);
    list.assign({{4, "Koi->Win", "kw"}, {9, "Alt->Win", "aw"}});
    EXPECT_EQ(list.size(), 3);
    EXPECT_EQ(list.selectedNumber(), kAutoSchemeNumber);
    list.selectLastScheme("alt");
    EXPECT_EQ(list.selectedNumber(), 9);
    list.selectLastScheme("nothing like it");
    EXPECT_EQ(list.selectedIndex(), 2);
    list.select(7);
    EXPECT_EQ(list.selectedIndex(), 2);
    EXPECT_FALSE(list.selectNumber(5));
    ASSERT_TRUE(list.selectNumber(4));
    list.removeSelected();
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(list.size(), 2);
    EXPECT_EQ(list.name(1), "Alt->Win");
}

TEST(FindFirstByPrefixIgnoringCase, SearchesFromTheTop) {
    const std::vector<std::string> texts = {"Alt->Iso", "Koi->Win", "koi->alt"};
    EXPECT_EQ(findFirstByPrefixIgnoringCase(texts, "KOI"), 1u);
    EXPECT_EQ(findFirstByPrefixIgnoringCase(texts, "koi->a"), 2u);
    EXPECT_EQ(findFirstByPrefixIgnoringCase(texts, ""), 0u);
    EXPECT_EQ(findFirstByPrefixIgnoringCase(texts, "Iso"), std::nullopt) << "prefix, not substring";
    EXPECT_EQ(findFirstByPrefixIgnoringCase({}, ""), std::nullopt);
}

} // namespace
} // namespace vorlex::store::testing
