// The list font's stored values and their mapping to and from QFont.
#include "setup/font_values.h"
#include "store/memory_settings_store.h"
#include "store/settings_keys.h"
#include "tests/support/recording_store.h"

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::setup {
namespace {

using store::readSetting;
using store::writeSetting;

TEST(FaceNameTest, CutAtThirtyOneCharactersNotBytes) {
    EXPECT_EQ(cutFaceName("Arial"), "Arial");
    EXPECT_EQ(cutFaceName(std::string(31, 'a')), std::string(31, 'a'));
    EXPECT_EQ(cutFaceName(std::string(10000, 'b')), std::string(31, 'b'));
    // Two bytes a letter: 31 letters, 62 bytes, never half a letter.
    std::string cyrillic;
    for (int i = 0; i < 40; ++i)
        cyrillic += "Ж";
    EXPECT_EQ(cutFaceName(cyrillic).size(), 62u);
    EXPECT_EQ(cutFaceName(""), "");
}

TEST(FontStoreTest, EmptyStoreReadsTheDefaults) {
    const store::MemorySettingsStore store;
    EXPECT_EQ(readFontValues(store), FontValues{});
    EXPECT_EQ(readFontValues(store).faceName, " ");
}

TEST(FontStoreTest, EveryFieldGoesToItsOwnValueInOrder) {
    testing::RecordingStore store;
    const FontValues values{-13, 6, 700, 255, 204, 4, 2, 5, 0x31, "DejaVu Sans Mono"};
    writeFontValues(store, values);
    EXPECT_EQ(store.writes(),
              (std::vector<std::string>{"Parameters/FontHeight", "Parameters/FontWidth",
                                        "Parameters/FontWeight", "Parameters/FontCharSet",
                                        "Parameters/FontFamily", "Parameters/FontName",
                                        "Parameters/FontOut", "Parameters/FontClip",
                                        "Parameters/FontQualit", "Parameters/FontItalic"}));
    EXPECT_EQ(readSetting(store, store::kFontHeight), -13);
    EXPECT_EQ(readSetting(store, store::kFontWidth), 6);
    EXPECT_EQ(readSetting(store, store::kFontWeight), 700);
    EXPECT_EQ(readSetting(store, store::kFontItalic), 255);
    EXPECT_EQ(readSetting(store, store::kFontCharSet), 204);
    EXPECT_EQ(readSetting(store, store::kFontOut), 4);
    EXPECT_EQ(readSetting(store, store::kFontClip), 2);
    EXPECT_EQ(readSetting(store, store::kFontQuality), 5);
    EXPECT_EQ(readSetting(store, store::kFontFamily), 0x31);
    EXPECT_EQ(readSetting(store, store::kFontName), "DejaVu Sans Mono");
    EXPECT_EQ(readFontValues(store), values);
}

TEST(FontStoreTest, GarbageStoredValuesAreTamed) {
    store::MemorySettingsStore store;
    writeSetting(store, store::kFontHeight, -20);
    writeSetting(store, store::kFontWeight, 5000);
    writeSetting(store, store::kFontItalic, -1);
    writeSetting(store, store::kFontCharSet, 256);
    writeSetting(store, store::kFontQuality, 300);
    writeSetting(store, store::kFontName, std::string(10000, 'F'));
    const FontValues values = readFontValues(store);
    EXPECT_EQ(values.italic, 0);
    EXPECT_EQ(values.charSet, 0);
    EXPECT_EQ(values.quality, 0);
    EXPECT_EQ(values.faceName, std::string(31, 'F'));

    const QFont font = fontOf(values, QFont(QStringLiteral("Sans"), 10));
    EXPECT_EQ(font.weight(), 1000);
    EXPECT_EQ(font.pixelSize(), 20);
    EXPECT_FALSE(font.italic());
    EXPECT_EQ(font.family(), QString(31, QLatin1Char('F')));

    FontValues negative = values;
    negative.weight = -1;
    negative.height = -2000000000;
    const QFont tamed = fontOf(negative, QFont());
    EXPECT_EQ(tamed.weight(), QFont::Normal);
    EXPECT_EQ(tamed.pixelSize(), 500);

    // Written garbage is cut to what the fields hold.
    testing::RecordingStore written;
    FontValues odd;
    odd.height = -12;
    odd.italic = 1000;
    odd.faceName = std::string(50, 'x');
    writeFontValues(written, odd);
    EXPECT_EQ(readSetting(written, store::kFontItalic), 0);
    EXPECT_EQ(readSetting(written, store::kFontName), std::string(31, 'x'));
}

TEST(FontMappingTest, HeightZeroMeansTheOwnFont) {
    QFont own(QStringLiteral("Serif"), 11);
    FontValues values;
    values.faceName = "Monospace";
    EXPECT_EQ(fontOf(values, own), own);
}

TEST(FontMappingTest, PointSizeBecomesANegativePixelHeight) {
    QFont font(QStringLiteral("DejaVu Sans"), 12);
    EXPECT_EQ(fontValuesOf(font, 96).height, -16);
    EXPECT_EQ(fontValuesOf(font, 72).height, -12);
    font.setPixelSize(19);
    EXPECT_EQ(fontValuesOf(font, 96).height, -19);
    // A positive (cell) height is taken as the pixel size too.
    FontValues cell;
    cell.height = 15;
    EXPECT_EQ(fontOf(cell, QFont()).pixelSize(), 15);
}

TEST(FontMappingTest, RoundTripKeepsWhatQtKnows) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace,
                      static_cast<QFont::StyleStrategy>(QFont::ForceOutline | QFont::NoAntialias));
    const FontValues values = fontValuesOf(font, 96);
    EXPECT_EQ(values.height, -14);
    EXPECT_EQ(values.width, 0);
    EXPECT_EQ(values.weight, 700);
    EXPECT_EQ(values.italic, 1);
    EXPECT_EQ(values.charSet, kDefaultCharSet);
    EXPECT_EQ(values.outPrecision, kOutOutlinePrecision);
    EXPECT_EQ(values.clipPrecision, 0);
    EXPECT_EQ(values.quality, kNonAntialiasedQuality);
    EXPECT_EQ(values.pitchAndFamily, kFixedPitch | kFamilyModern);
    EXPECT_EQ(values.faceName, "DejaVu Sans Mono");

    const QFont back = fontOf(values, QFont());
    EXPECT_EQ(back.family(), font.family());
    EXPECT_EQ(back.pixelSize(), 14);
    EXPECT_EQ(back.weight(), QFont::Bold);
    EXPECT_TRUE(back.italic());
    EXPECT_TRUE(back.fixedPitch());
    EXPECT_EQ(back.styleHint(), QFont::Monospace);
    EXPECT_EQ(back.styleStrategy(), font.styleStrategy());
    EXPECT_EQ(fontValuesOf(back, 96), values);
}

TEST(FontMappingTest, FamiliesAndQualities) {
    const std::pair<QFont::StyleHint, int> families[] = {
        {QFont::Serif, kFamilyRoman},           {QFont::SansSerif, kFamilySwiss},
        {QFont::TypeWriter, kFamilyModern},     {QFont::Cursive, kFamilyScript},
        {QFont::Decorative, kFamilyDecorative}, {QFont::AnyStyle, 0}};
    for (const auto& [hint, family] : families) {
        QFont font;
        font.setPixelSize(10);
        font.setStyleHint(hint, QFont::PreferAntialias);
        const FontValues values = fontValuesOf(font, 96);
        EXPECT_EQ(values.pitchAndFamily, family) << hint;
        EXPECT_EQ(values.quality, kAntialiasedQuality);
        EXPECT_EQ(values.outPrecision, kOutDefaultPrecision);
    }
    // A blank face name keeps the base family.
    FontValues blank;
    blank.height = -12;
    EXPECT_EQ(fontOf(blank, QFont(QStringLiteral("Serif"))).family(), QStringLiteral("Serif"));
}

TEST(FontMappingTest, StoredListFontReadsTheStore) {
    store::MemorySettingsStore store;
    const QFont own(QStringLiteral("Serif"), 9);
    writeSetting(store, store::kFontName, "Monospace");
    EXPECT_EQ(storedListFont(store, own), own); // no height: no font chosen yet
    writeSetting(store, store::kFontHeight, -17);
    const QFont list = storedListFont(store, own);
    EXPECT_EQ(list.family(), QStringLiteral("Monospace"));
    EXPECT_EQ(list.pixelSize(), 17);
}

} // namespace
} // namespace vorlex::setup

// QFont needs a GUI application.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
