#include "tools/preview_texts.h"

#include <array>
#include <cstddef>

namespace vorlex::tools {
namespace {

struct TextPair {
    PreviewText id;
    const char* english;
    const char* russian;
};

constexpr std::array<TextPair, static_cast<std::size_t>(PreviewText::count_)> kTexts = {{
    {PreviewText::captionDocument, "Preview of the document", "Предварительный просмотр документа"},
    {PreviewText::captionSource, "Preview part of source text", "Просмотр части исходного текста"},
    {PreviewText::actionLabel, "Recoding :", "Проведенные перекодировки :"},
    {PreviewText::closeButton, "Close", "Закрыть"},
    {PreviewText::writeButton, "Write whole document to the file",
     "Сохранить весь документ в файл"},
    {PreviewText::putButton, "Put whole document to the clipboard",
     "Положить весь документ в буфер обмена"},
    {PreviewText::saveSchemeButton, "Save as scheme", "Сохранить как схему"},
    {PreviewText::noAction, "- -", "- -"},
    {PreviewText::readFailed, "Error reading file", "Ошибка при попытке считывания из файла"},
    {PreviewText::outOfMemory, "Can't allocate memory", "Ошибка при выделении памяти"},
    {PreviewText::outOfMemoryForData, "Can't allocate memory",
     "Ошибка при выделении памяти под данные"},
    {PreviewText::createFailed, "Error creating file", "Ошибка при попытке создания файла"},
    {PreviewText::writeFailed, "Error writing to file", "Ошибка при попытке записи в файл"},
}};

// The table is in enum order, so a look-up is an index.
constexpr bool inEnumOrder() {
    for (std::size_t i = 0; i < kTexts.size(); ++i)
        if (static_cast<std::size_t>(kTexts[i].id) != i)
            return false;
    return true;
}
static_assert(inEnumOrder());

} // namespace

QString previewText(PreviewText id, int language) {
    const TextPair& pair = kTexts[static_cast<std::size_t>(id)];
    return QString::fromUtf8(language != 0 ? pair.english : pair.russian);
}

} // namespace vorlex::tools
