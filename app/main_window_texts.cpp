#include "app/main_window_texts.h"

#include "chrome/text_table.h"

namespace vorlex::app {
namespace {

constexpr std::array<chrome::TextPair<MainText>, static_cast<std::size_t>(MainText::count_)>
    kTexts = {{
        {MainText::caption, "Vorlex II", "Vorlex II"},
        {MainText::exitButton, "EXIT", "ВЫХОД"},
        {MainText::heading, "Select one variant of recoding :",
         "Варианты перекодировки (выберите подходящий вариант) :"},
        {MainText::timeLabel, "Time of last recoding :", "Время последней перекодировки :"},
        {MainText::secondsLabel, "sec.", "сек."},
        {MainText::foundLabel, "Whole found :", "Всего найдено :"},
        {MainText::foundUnitLabel, "var.", "вариант."},
        {MainText::limitLabel, "Don't show more than :", "Выводить не более :"},
        {MainText::limitUnitLabel, "var.", "вариант."},
        {MainText::noValue, "- -", "- -"},
        {MainText::tipFromFile, "From file", "Из файла"},
        {MainText::tipFromClipboard, "From clipboard", "Из буфера обмена"},
        {MainText::tipBatch, "Batch convert", "Пакетный режим"},
        {MainText::tipToFile, "To file", "Записать в файл"},
        {MainText::tipToClipboard, "To clipboard", "Положить в буфер обмена"},
        {MainText::tipSaveAsScheme, "Save as scheme", "Сохранить как схему"},
        {MainText::tipViewSource, "View source text", "Просмотр исходного текста"},
        {MainText::tipViewResult, "View result of recoding", "Просмотр результата перекодирования"},
        {MainText::tipSettings, "Settings", "Установки"},
        {MainText::tipAbout, "About", "О программе"},
        {MainText::tipCheckVersions, "Check the new versions", "Проверка новых версий"},
        {MainText::menuWriteDocument, "Write whole document to the file",
         "Записать весь документ в файл"},
        {MainText::menuPutDocument, "Put whole document to the clipboard",
         "Положить весь документ в буфер обмена"},
        {MainText::menuSaveAsScheme, "Save as scheme", "Сохранить как схему"},
        {MainText::menuPreviewResult, "Preview result of recoding",
         "Просмотреть результат перекодирования"},
        {MainText::tipRecode, "Recode", "Перекодировать"},
        {MainText::tipStop, "Stop recode", "Остановить перекодирование"},
        {MainText::tipNewScheme, "Create new scheme", "Создать новую схему"},
        {MainText::tipEditScheme, "Edit scheme", "Редактировать схему"},
        {MainText::tipSchemeBox, "Schemes for recoding", "Схемы для перекодирования"},
        {MainText::tipVariantList, "Variants of recoding", "Варианты перекодировки"},
        {MainText::tipDeleteScheme, "Delete scheme", "Удалить схему"},
        {MainText::clipboardNoWords, "This text can not be auto-recoding",
         "К сожалению, этот текст не может быть автоматически перекодирован"},
        {MainText::clipboardReadFailed, "Clipboard contains wrong data format",
         "Буфер обмена содержит неправильный формат данных"},
        {MainText::fileNoWords, "This text can not be auto-recoding",
         "К сожалению, этот файл не может быть автоматически перекодирован"},
        {MainText::fileReadFailed, "Error reading file", "Ошибка при попытке считывания из файла"},
        {MainText::droppedNoWords, "This tex can not be auto-recoding",
         "К сожалению, этот файл не может быть автоматически перекодирован"},
        {MainText::commandLineNoWords, "This text can not be auto-recoding",
         "К сожалению, этот файл не может быть автоматически перекодирован"},
        {MainText::commandLineReadFailed, "Error reading from file",
         "Ошибка при попытке считывания из файла"},
        {MainText::configReadFailed, "Error reading config file",
         "Ошибка при чтении файла конфигурации"},
        {MainText::selectFileTitle, "Select file for converting",
         "Выберите файл для преобразования"},
        {MainText::limitOutOfRange, "Please enter an integer between 1 and 99.",
         "Введите целое число от 1 до 99."},
        {MainText::limitNotANumber, "Please enter an integer.", "Введите целое число."},
        {MainText::clipboardCharactersReplaced,
         "%1 characters of the clipboard text have no Windows-1251 code and were replaced by "
         "\"?\".",
         "Символов текста из буфера обмена, которых нет в кодировке Windows-1251: %1. Они заменены "
         "на \"?\"."},
        {MainText::settingsNotSaved, "The settings could not be saved to the file %1: %2.",
         "Не удалось сохранить настройки в файл %1: %2."},
        {MainText::settingsReadOnly, "the file or its folder cannot be written",
         "файл или его папка недоступны для записи"},
        {MainText::settingsDiskFull, "the disk is full", "диск переполнен"},
        {MainText::settingsLocked, "another program keeps the file locked",
         "файл заблокирован другой программой"},
        {MainText::settingsIsFolder, "there is a folder of that name", "так называется папка"},
        {MainText::settingsWriteFailed, "the file could not be written",
         "файл не удалось записать"},
        {MainText::copiedCharacters, "Copied %1 characters", "Скопировано символов: %1"},
        {MainText::asItIs, "as it is", "без изменений"},
        {MainText::noPlausibleReading,
         "No reading of this text is plausible Russian: there is nothing to repair",
         "Ни одно прочтение текста не похоже на русский текст: исправлять нечего"},
        {MainText::unicodeRepairMisfits,
         "The repair found on the start of the text does not fit the rest of it.",
         "Исправление, найденное по началу текста, не подходит к остальному тексту."},
        {MainText::unicodeRepairNoScheme,
         "A repair through Unicode cannot be saved as a scheme: schemes hold 8-bit recodings "
         "only.",
         "Исправление через Юникод нельзя сохранить как схему: схемы хранят только 8-битные "
         "перекодировки."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists MainText in declaration order");

} // namespace

QString mainText(MainText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

} // namespace vorlex::app
