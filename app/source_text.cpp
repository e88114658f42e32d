#include "app/source_text.h"

#include "engine/cp1251.h"

#include <QFile>
#include <array>
#include <cstdint>
#include <fcntl.h>
#include <span>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlex::app {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 where the byte is unassigned.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr std::int16_t kNoByte = -1;

// For every UTF-16 unit of the Basic Multilingual Plane: its Windows-1251 byte and its Latin-1
// or Windows-1252 byte, or kNoByte. Built once; a 100 MB clipboard is then one look-up a unit.
struct ByteTables {
    std::array<std::int16_t, 0x10000> win1251{};
    std::array<std::int16_t, 0x10000> western{};
    ByteTables() {
        win1251.fill(kNoByte);
        western.fill(kNoByte);
        for (char32_t c = 0; c < 0x10000; ++c)
            if (const auto byte = engine::unicodeToWin1251(c))
                win1251[c] = *byte;
        for (char32_t c = 0; c <= 0xFF; ++c)
            western[c] = static_cast<std::int16_t>(c);
        for (std::size_t i = 0; i < kWindows1252High.size(); ++i)
            if (kWindows1252High[i] != 0)
                western[kWindows1252High[i]] = static_cast<std::int16_t>(0x80 + i);
    }
};

const ByteTables& byteTables() {
    static const ByteTables tables;
    return tables;
}

} // namespace

ClipboardBytes clipboardTextToBytes(const QString& text) {
    const ByteTables& tables = byteTables();
    ClipboardBytes result;
    result.bytes.resize(static_cast<std::size_t>(text.size()));
    bool allWestern = true;
    std::size_t length = 0;
    const QChar* units = text.constData();
    const qsizetype count = text.size();
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t unit = units[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < count &&
            QChar::isLowSurrogate(units[i + 1].unicode()))
            ++i; // one character outside both code pages, one '?'
        const std::int16_t byte = QChar::isSurrogate(unit) ? kNoByte : tables.win1251[unit];
        if (QChar::isSurrogate(unit) || tables.western[unit] == kNoByte)
            allWestern = false;
        if (byte == kNoByte) {
            result.bytes[length++] = '?';
            ++result.replaced;
        } else {
            result.bytes[length++] = static_cast<char>(byte);
        }
    }
    result.bytes.resize(length);
    // Windows-1251 bytes shown as Western text: take the bytes themselves.
    if (result.replaced > 0 && allWestern) {
        for (qsizetype i = 0; i < count; ++i)
            result.bytes[static_cast<std::size_t>(i)] =
                static_cast<char>(tables.western[units[i].unicode()]);
        result.replaced = 0;
    }
    return result;
}

QString bytesToShownText(std::string_view bytes) {
    return QString::fromStdString(engine::win1251ToUtf8(bytes));
}

std::optional<detect::Sample> analyseFile(const QString& path) {
    // One open, then checks on what was opened: a FIFO or device put in the file's place
    // between a check and the open must neither block nor be read.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const qint64 size = regular ? static_cast<qint64>(info.st_size) : 0;
    if (size <= 0 || size > kMaxSourceFileSize) {
        ::close(fd);
        return std::nullopt;
    }
    // Mapped only while it is sampled.
    void* view = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED)
        return std::nullopt;
    detect::Sample sample = detect::sampleSource(std::span<const std::uint8_t>(
        static_cast<const std::uint8_t*>(view), static_cast<std::size_t>(size)));
    ::munmap(view, static_cast<std::size_t>(size));
    return sample;
}

} // namespace vorlex::app
