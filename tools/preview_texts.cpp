#include "tools/preview_texts.h"

#include "chrome/text_table.h"

namespace vorlex::tools {
namespace {

constexpr std::array<chrome::TextPair<PreviewText>, static_cast<std::size_t>(PreviewText::count_)>
    kTexts = {{
        {PreviewText::captionDocument, "Preview of the document",
         "Предварительный просмотр документа"},
        {PreviewText::captionSource, "Preview part of source text",
         "Просмотр части исходного текста"},
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
        {PreviewText::saveAsTitle, "Save as (%1)", "Сохранить как (%1)"},
        {PreviewText::unencodableQuestion,
         "%1 characters of the text have no Windows-1251 code: a Windows-1251 file would "
         "hold \"?\" for them. Write it anyway?\n\nTo keep every character, choose UTF-8 "
         "under \"Write files as\" in the settings.",
         "Символов текста, которых нет в кодировке Windows-1251: %1. В файле Windows-1251 "
         "они будут записаны как \"?\". Всё равно записать?\n\nЧтобы сохранить все "
         "символы, выберите UTF-8 в пункте «Записывать файлы в» настроек."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists PreviewText in declaration order");

} // namespace

QString previewText(PreviewText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

} // namespace vorlex::tools
