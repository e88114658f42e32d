#include "setup/settings_texts.h"

#include "chrome/text_table.h"

namespace vorlex::setup {
namespace {

constexpr std::array<chrome::TextPair<SetupText>, static_cast<std::size_t>(SetupText::count_)>
    kTexts = {{
        {SetupText::title, "Program setup", "Установки программы"},
        {SetupText::closeButton, "Close", "Закрыть"},
        {SetupText::fontsButton, "Fonts", "Шрифты"},
        {SetupText::noAutoRecodingMessage,
         "Don't show warning message about impossibility of auto-recoding",
         "Не выводить сообщение о невозможности автоматической перекодировки"},
        {SetupText::wrongFormatMessage,
         "Don't show warning message about wrong format of data in clipboard",
         "Не выводить сообщение о неправильном формате данных в буфере обмена"},
        {SetupText::recodeAfterHeading, "Recode immediately after:", "Перекодировать сразу после:"},
        {SetupText::afterSchemeChanged, "scheme changed", "выбора схемы"},
        {SetupText::afterFileRead, "read from file", "счит. из файла"},
        {SetupText::afterClipboardRead, "read from clipb.", "счит. из буф. об."},
        {SetupText::saveLastScheme, "Save last used scheme",
         "Запоминать последнюю использованную схему"},
        {SetupText::previewOnDoubleClick, "Show preview window by double click",
         "Выводить окно просмотра по двойному щелчку мыши"},
        // The spaces push the second part onto the label's second line.
        {SetupText::precisionLabel,
         "Precision of auto-recoding                                                  "
         "(7-optimal, 0-show all)",
         "Точность автоматической перекодировки  (7-оптимальная, 0-выводить все)"},
        {SetupText::wAsVe, "Recode \"W\" as \"В\" (otherwise as \"Щ\")",
         "Перекодировать \"W\" как \"В\" (иначе как \"Щ\")"},
        {SetupText::noSj, "Don't recode \"SJ\" as \"Щ\"", "Не перекодировать \"SJ\" как \"Щ\""},
        {SetupText::clipboardViewer, "Auto-refresh from clipboard",
         "Автоматическое обновление данных из буфера обмена"},
        {SetupText::separateEnglish, "Separate english words", "Отделять английские слова"},
        {SetupText::refineRanking, "Refine the order of variants", "Уточнять порядок вариантов"},
        {SetupText::outputEncodingLabel, "Write files as", "Записывать файлы в"},
        {SetupText::languageLabel, "Interface language  :", "Interface language  :"},
        {SetupText::russianButton, "Russian", "Russian"},
        {SetupText::englishButton, "English", "English"},
        {SetupText::latinicaHeading, "Latinica:", "Latinica:"},
        {SetupText::win1251Item, "Windows-1251", "Windows-1251"},
        {SetupText::utf8Item, "UTF-8", "UTF-8"},
        {SetupText::precisionOutOfRange, "Please enter an integer between 0 and 9.",
         "Введите целое число от 0 до 9."},
        {SetupText::precisionNotANumber, "Please enter an integer.", "Введите целое число."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists SetupText in declaration order");

} // namespace

QString setupText(SetupText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

} // namespace vorlex::setup
