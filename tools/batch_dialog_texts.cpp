#include "tools/batch_dialog_texts.h"

#include "chrome/text_table.h"

namespace vorlex::tools {
namespace {

constexpr std::array<chrome::TextPair<BatchText>, static_cast<std::size_t>(BatchText::count_)>
    kTexts = {{
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
        {BatchText::saveAsTitle, "Save as (%1)", "Сохранить как (%1)"},
        {BatchText::summary, "%1 files converted, %2 skipped, %3 failed",
         "Преобразовано файлов: %1, пропущено: %2, с ошибками: %3"},
        {BatchText::autoScheme, "Auto (each file its own repair)",
         "Авто (каждому файлу свой вариант)"},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists BatchText in declaration order");

} // namespace

QString batchText(BatchText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

} // namespace vorlex::tools
