#include "tools/batch_dialog_texts.h"

#include <array>
#include <cstddef>

namespace vorlex::tools {
namespace {

struct TextPair {
    BatchText id;
    const char* english;
    const char* russian;
};

constexpr std::array<TextPair, static_cast<std::size_t>(BatchText::count_)> kTexts = {{
    {BatchText::caption, "Batch convert", "Пакетное преобразование"},
    {BatchText::closeButton, "Close", "Закрыть"},
    {BatchText::schemeLabel, "Scheme", "Схема"},
    {BatchText::convertButton, "Convert", "Конвертировать"},
    {BatchText::messageCaption, "Vorlex II", "Vorlex II"},
    {BatchText::cantReadSchemes, "Can't read schemes", "Не могу прочитать схемы"},
    {BatchText::selectFilesTitle, "Select file(s) for converting",
     "Выберите файл(ы) для преобразования"},
    {BatchText::filesFilter, "Text Files (*.txt *.eml);;All Files (*)",
     "Text Files (*.txt *.eml);;All Files (*)"},
    {BatchText::selectFolderTitle, "Select folder for output file(s)",
     "Выберите папку для выходных файлов"},
    {BatchText::configReadFailed, "Error reading config file",
     "Ошибка при чтении файла конфигурации"},
    {BatchText::cantOpenFile, "Can't open file %1. Terminate convert?",
     "Не могу открыть файл %1. Прекратить преобразование?"},
    {BatchText::cantAllocate, "Can't allocate memory. Terminate convert?",
     "Не могу выделить память. Прекратить преобразование?"},
    {BatchText::cantWriteFile, "Can't write to file %1. Terminate convert?",
     "Не могу записать в файл %1. Прекратить преобразование?"},
    {BatchText::outputExists, "File %1 already exists. Owerwrite, change file name or skip?",
     "Файл %1 уже существует. Перезаписать, изменить имя файла или пропустить?"},
}};

constexpr bool idsInOrder() {
    for (std::size_t i = 0; i < kTexts.size(); ++i)
        if (static_cast<std::size_t>(kTexts[i].id) != i)
            return false;
    return true;
}
static_assert(idsInOrder(), "the table lists every text once, in the order of BatchText");

} // namespace

QString batchText(BatchText id, int language) {
    const TextPair& pair = kTexts[static_cast<std::size_t>(id)];
    return QString::fromUtf8(language != 0 ? pair.english : pair.russian);
}

} // namespace vorlex::tools
