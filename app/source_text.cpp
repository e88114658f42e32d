#include "app/source_text.h"

#include "engine/cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstdint>
#include <span>

namespace vorlex::app {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is unassigned.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte of a code point in Latin-1 or Windows-1252.
std::optional<std::uint8_t> westernByte(char32_t c) {
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i)
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == c)
            return static_cast<std::uint8_t>(0x80 + i);
    if (c <= 0xFF)
        return static_cast<std::uint8_t>(c);
    return std::nullopt;
}

} // namespace

ClipboardBytes clipboardTextToBytes(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    ClipboardBytes result;
    result.bytes.reserve(codePoints.size());
    bool allWin1251 = true;
    bool allWestern = true;
    for (uint c : codePoints) {
        if (!engine::unicodeToWin1251(c))
            allWin1251 = false;
        if (!westernByte(c))
            allWestern = false;
    }
    if (!allWin1251 && allWestern) {
        for (uint c : codePoints)
            result.bytes.push_back(static_cast<char>(*westernByte(c)));
        return result;
    }
    for (uint c : codePoints) {
        if (const auto byte = engine::unicodeToWin1251(c)) {
            result.bytes.push_back(static_cast<char>(*byte));
        } else {
            result.bytes.push_back('?');
            ++result.replaced;
        }
    }
    return result;
}

QString bytesToShownText(std::string_view bytes) {
    return QString::fromStdString(engine::win1251ToUtf8(bytes));
}

std::optional<detect::Sample> analyseFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxSourceFileSize)
        return std::nullopt;
    uchar* view = file.map(0, size);
    if (view == nullptr)
        return std::nullopt;
    detect::Sample sample =
        detect::sampleSource(std::span<const std::uint8_t>(view, static_cast<std::size_t>(size)));
    file.unmap(view);
    return sample;
}

} // namespace vorlex::app
