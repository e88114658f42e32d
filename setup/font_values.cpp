#include "setup/font_values.h"

#include "store/settings_keys.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace vorlex::setup {
namespace {

// Beyond this a stored height is garbage, not a font anyone reads a list in.
constexpr int kMaxPixelHeight = 500;

int byteField(int value) {
    return value >= 0 && value <= 255 ? value : 0;
}

int readByte(const store::SettingsStore& store, const store::IntSetting& setting) {
    return byteField(store::readSetting(store, setting));
}

int familyOf(QFont::StyleHint hint) {
    switch (hint) {
    case QFont::Serif:
        return kFamilyRoman;
    case QFont::SansSerif:
        return kFamilySwiss;
    case QFont::Monospace:
    case QFont::TypeWriter:
        return kFamilyModern;
    case QFont::Cursive:
        return kFamilyScript;
    case QFont::Decorative:
    case QFont::Fantasy:
        return kFamilyDecorative;
    default:
        return 0;
    }
}

QFont::StyleHint hintOf(int pitchAndFamily) {
    switch (pitchAndFamily & 0xF0) {
    case kFamilyRoman:
        return QFont::Serif;
    case kFamilySwiss:
        return QFont::SansSerif;
    case kFamilyModern:
        return QFont::Monospace;
    case kFamilyScript:
        return QFont::Cursive;
    case kFamilyDecorative:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

} // namespace

std::string cutFaceName(std::string_view name) {
    std::size_t end = 0;
    int characters = 0;
    while (end < name.size() && characters < kFaceNameMaxLength) {
        // Skip the continuation bytes of this character.
        ++end;
        while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
            ++end;
        ++characters;
    }
    return std::string(name.substr(0, end));
}

FontValues readFontValues(const store::SettingsStore& store) {
    using store::readSetting;
    FontValues values;
    values.height = readSetting(store, store::kFontHeight);
    values.width = readSetting(store, store::kFontWidth);
    values.weight = readSetting(store, store::kFontWeight);
    values.charSet = readByte(store, store::kFontCharSet);
    values.pitchAndFamily = readByte(store, store::kFontFamily);
    values.outPrecision = readByte(store, store::kFontOut);
    values.clipPrecision = readByte(store, store::kFontClip);
    values.quality = readByte(store, store::kFontQuality);
    values.italic = readByte(store, store::kFontItalic);
    values.faceName = cutFaceName(readSetting(store, store::kFontName));
    return values;
}

void writeFontValues(store::SettingsStore& store, const FontValues& values) {
    using store::writeSetting;
    writeSetting(store, store::kFontHeight, values.height);
    writeSetting(store, store::kFontWidth, values.width);
    writeSetting(store, store::kFontWeight, values.weight);
    writeSetting(store, store::kFontCharSet, byteField(values.charSet));
    writeSetting(store, store::kFontFamily, byteField(values.pitchAndFamily));
    writeSetting(store, store::kFontName, cutFaceName(values.faceName));
    writeSetting(store, store::kFontOut, byteField(values.outPrecision));
    writeSetting(store, store::kFontClip, byteField(values.clipPrecision));
    writeSetting(store, store::kFontQuality, byteField(values.quality));
    writeSetting(store, store::kFontItalic, byteField(values.italic));
}

FontValues fontValuesOf(const QFont& font, int dotsPerInch) {
    FontValues values;
    if (font.pixelSize() > 0) {
        values.height = -font.pixelSize();
    } else {
        const double pixels = font.pointSizeF() * std::max(1, dotsPerInch) / 72.0;
        // Never 0: that would mean that no font was chosen.
        values.height = -std::clamp(static_cast<int>(std::lround(pixels)), 1, kMaxPixelHeight);
    }
    values.width = 0;
    values.weight = std::clamp(static_cast<int>(font.weight()), 1, 1000);
    values.italic = font.italic() ? 1 : 0;
    values.charSet = kDefaultCharSet;

    const QFont::StyleStrategy strategy = font.styleStrategy();
    if (strategy & QFont::ForceOutline)
        values.outPrecision = kOutOutlinePrecision;
    else if (strategy & QFont::PreferOutline)
        values.outPrecision = kOutTrueTypePrecision;
    else if (strategy & QFont::PreferBitmap)
        values.outPrecision = kOutRasterPrecision;
    else
        values.outPrecision = kOutDefaultPrecision;
    values.clipPrecision = 0;
    if (strategy & QFont::NoAntialias)
        values.quality = kNonAntialiasedQuality;
    else if (strategy & QFont::PreferAntialias)
        values.quality = kAntialiasedQuality;
    else
        values.quality = kDefaultQuality;

    values.pitchAndFamily = (font.fixedPitch() ? kFixedPitch : 0) | familyOf(font.styleHint());
    values.faceName = cutFaceName(font.family().toStdString());
    return values;
}

QFont fontOf(const FontValues& values, const QFont& base) {
    if (values.height == 0)
        return base;
    QFont font(base);
    const QString face = QString::fromStdString(cutFaceName(values.faceName));
    if (!face.trimmed().isEmpty())
        font.setFamily(face);
    // A negative height is the character height, a positive one the cell height; Qt knows
    // only the first, and the two differ by the face's internal leading.
    const long long magnitude = std::llabs(static_cast<long long>(values.height));
    font.setPixelSize(static_cast<int>(std::clamp<long long>(magnitude, 1, kMaxPixelHeight)));
    font.setWeight(values.weight > 0
                       ? static_cast<QFont::Weight>(std::clamp(values.weight, 1, 1000))
                       : QFont::Normal);
    font.setItalic(values.italic != 0);

    int strategy = 0;
    switch (values.outPrecision) {
    case kOutOutlinePrecision:
        strategy |= QFont::ForceOutline;
        break;
    case kOutTrueTypePrecision:
        strategy |= QFont::PreferOutline;
        break;
    case kOutRasterPrecision:
        strategy |= QFont::PreferBitmap;
        break;
    default:
        break;
    }
    if (values.quality == kNonAntialiasedQuality)
        strategy |= QFont::NoAntialias;
    else if (values.quality == kAntialiasedQuality)
        strategy |= QFont::PreferAntialias;
    font.setStyleHint(hintOf(values.pitchAndFamily),
                      strategy == 0 ? QFont::PreferDefault
                                    : static_cast<QFont::StyleStrategy>(strategy));
    font.setFixedPitch((values.pitchAndFamily & 0x03) == kFixedPitch);
    return font;
}

QFont storedListFont(const store::SettingsStore& store, const QFont& ownFont) {
    return fontOf(readFontValues(store), ownFont);
}

} // namespace vorlex::setup
