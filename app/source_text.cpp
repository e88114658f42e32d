#include "app/source_text.h"

#include "detect/unicode_repair.h"
#include "engine/cp1251.h"
#include "engine/unicode_input.h"
#include "io/input_file.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace vorlex::app {

ClipboardBytes clipboardTextToBytes(const QString& text) {
    return engine::utf16ToEightBit(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

std::string unicodeToWin1251Lossy(std::string_view utf8, int* replaced) {
    std::size_t lost = 0;
    std::string bytes = engine::utf8ToWin1251Lossy(utf8, &lost);
    if (replaced != nullptr)
        *replaced = static_cast<int>(lost);
    return bytes;
}

QString bytesToShownText(std::string_view bytes) {
    return QString::fromStdString(engine::win1251ToUtf8(bytes));
}

std::shared_ptr<const std::string> unicodeTextOf(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return std::make_shared<const std::string>(text.toStdString());
    return nullptr;
}

std::optional<AnalysedFile> analyseFile(const QString& path, SourceReadFailure* failure) {
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
    AnalysedFile analysed;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), *got);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    try {
        if (detect::arrivesAsUnicode(text)) {
            analysed.unicode = std::make_shared<const std::string>(text);
            // The file's bytes are no longer needed: a large file is held twice, not thrice.
            std::vector<std::uint8_t>().swap(bytes);
            const std::string_view unicode(*analysed.unicode);
            // The common case without a detour through UTF-16; the clipboard's rule otherwise.
            engine::Utf8ToWin1251Result direct = engine::utf8ToEightBit(unicode);
            std::string eightBit;
            if (direct.ok()) {
                eightBit = std::move(direct.bytes);
            } else {
                std::string().swap(direct.bytes);
                ClipboardBytes lossy = clipboardTextToBytes(
                    QString::fromUtf8(unicode.data(), static_cast<qsizetype>(unicode.size())));
                analysed.replaced = lossy.replaced;
                eightBit = std::move(lossy.bytes);
            }
            analysed.eightBit = std::make_shared<const std::string>(std::move(eightBit));
            analysed.sample = detect::sampleSource(*analysed.eightBit);
            return analysed;
        }
    } catch (const std::bad_alloc&) {
        return fail(tools::ReadError::outOfMemory, {});
    }
    analysed.sample = detect::sampleSource(std::span<const std::uint8_t>(bytes).first(*got));
    return analysed;
}

} // namespace vorlex::app
