// The list font as the settings store keeps it: the ten fields of a logical-font record, read
// and written in a fixed order, and their mapping to and from QFont.
#pragma once

#include "store/settings_store.h"

#include <QFont>
#include <string>
#include <string_view>

namespace vorlex::setup {

/// Longest face name stored, in characters.
inline constexpr int kFaceNameMaxLength = 31;

// Values of the one-byte fields that the mapping uses.
inline constexpr int kDefaultCharSet = 1;
inline constexpr int kOutDefaultPrecision = 0;
inline constexpr int kOutTrueTypePrecision = 4;
inline constexpr int kOutRasterPrecision = 6;
inline constexpr int kOutOutlinePrecision = 8;
inline constexpr int kDefaultQuality = 0;
inline constexpr int kNonAntialiasedQuality = 3;
inline constexpr int kAntialiasedQuality = 4;
inline constexpr int kFixedPitch = 1;
inline constexpr int kVariablePitch = 2;
inline constexpr int kFamilyRoman = 0x10;
inline constexpr int kFamilySwiss = 0x20;
inline constexpr int kFamilyModern = 0x30;
inline constexpr int kFamilyScript = 0x40;
inline constexpr int kFamilyDecorative = 0x50;

struct FontValues {
    int height = 0; ///< pixels; negative: the character height, positive: the cell height
    int width = 0;  ///< average character width, 0 for the face's own
    int weight = 0; ///< 0 for the default, otherwise 1-1000 (400 normal, 700 bold)
    int italic = 0;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    std::string faceName = " "; ///< UTF-8, at most 31 characters
    bool operator==(const FontValues&) const = default;
};

/// The first 31 characters (code points) of a UTF-8 face name.
[[nodiscard]] std::string cutFaceName(std::string_view name);

/// Reads the ten values (each default 0, the face name " ") in the order height, width, weight,
/// character set, pitch and family, output precision, clipping precision, quality, italic, face
/// name. A one-byte field stored outside 0-255 reads as 0; the face name is cut to 31
/// characters.
[[nodiscard]] FontValues readFontValues(const store::SettingsStore& store);

/// Writes the ten values in the order FontHeight, FontWidth, FontWeight, FontCharSet,
/// FontFamily, FontName, FontOut, FontClip, FontQualit, FontItalic; one-byte fields are cut to
/// 0-255 and the face name to 31 characters.
void writeFontValues(store::SettingsStore& store, const FontValues& values);

/// The description of @p font. Point sizes become a negative pixel height at @p dotsPerInch;
/// the width is left to the face (0), the character set is the default one, the style strategy
/// and hint give precision, quality, pitch and family.
[[nodiscard]] FontValues fontValuesOf(const QFont& font, int dotsPerInch);

/// The font described by @p values, starting from @p base for what the description leaves
/// open. A height of 0 means no font was chosen: the result is @p base. A weight outside 1-1000
/// is clamped (0 or less: normal); a blank face name keeps @p base's family.
[[nodiscard]] QFont fontOf(const FontValues& values, const QFont& base);

/// The list font from the store: fontOf(readFontValues(store), ownFont).
[[nodiscard]] QFont storedListFont(const store::SettingsStore& store, const QFont& ownFont);

} // namespace vorlex::setup
