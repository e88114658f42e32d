#include "app/source_text.h"

#include "engine/cp1251.h"
#include "io/input_file.h"

#include <QFile>
#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace vorlex::app {

ClipboardBytes clipboardTextToBytes(const QString& text) {
    return engine::utf16ToEightBit(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

QString bytesToShownText(std::string_view bytes) {
    return QString::fromStdString(engine::win1251ToUtf8(bytes));
}

std::optional<detect::Sample> analyseFile(const QString& path) {
    std::string error;
    std::optional<io::InputFile> file = io::InputFile::open(QFile::encodeName(path).toStdString(),
                                                            io::InputKind::regularFile, error);
    if (!file || file->size() == 0 || file->size() > kMaxSourceFileSize)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(file->size()));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const std::optional<std::size_t> got = file->readFull(bytes, error);
    if (!got || *got == 0)
        return std::nullopt;
    return detect::sampleSource(std::span<const std::uint8_t>(bytes).first(*got));
}

} // namespace vorlex::app
