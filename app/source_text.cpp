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

std::optional<detect::Sample> analyseFile(const QString& path, SourceReadFailure* failure) {
    const auto fail = [failure](tools::ReadError error, const std::string& words) {
        if (failure != nullptr)
            *failure = {error, QString::fromLocal8Bit(words)};
        return std::nullopt;
    };
    std::string error;
    std::optional<io::InputFile> file = io::InputFile::open(QFile::encodeName(path).toStdString(),
                                                            io::InputKind::regularFile, error);
    if (!file)
        return fail(tools::ReadError::openFailed, error);
    if (file->size() == 0)
        return fail(tools::ReadError::empty, {});
    if (file->size() > kMaxSourceFileSize)
        return fail(tools::ReadError::outOfMemory, {});
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(file->size()));
    } catch (const std::bad_alloc&) {
        return fail(tools::ReadError::outOfMemory, {});
    }
    const std::optional<std::size_t> got = file->readFull(bytes, error);
    if (!got)
        return fail(tools::ReadError::openFailed, error);
    if (*got == 0)
        return fail(tools::ReadError::empty, {});
    return detect::sampleSource(std::span<const std::uint8_t>(bytes).first(*got));
}

} // namespace vorlex::app
