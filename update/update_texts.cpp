#include "update/update_texts.h"

#include "chrome/text_table.h"

namespace vorlex::update {
namespace {

constexpr std::array<chrome::TextPair<UpdateText>, static_cast<std::size_t>(UpdateText::count_)>
    kTexts = {{
        {UpdateText::badUrl, "Error: can only use URLs beginning with http://", nullptr},
        {UpdateText::accessDenied, "Access denied", nullptr},
        {UpdateText::redirectWithoutLocation, "Site redirects with no new location", nullptr},
        {UpdateText::redirectUnparsable, "The redirected URL could not be parsed.", nullptr},
        {UpdateText::redirectNotHttp, "The redirected URL does not reference a HTTP resource.",
         nullptr},
        {UpdateText::serverError, "Error on server. Status code is ", nullptr},
        {UpdateText::noNewVersion, "No new version.", "Нет новой версии."},
        {UpdateText::newVersionFound, "NEW VERSION FOUND!!!\nWould you like to see more info?",
         "НОВАЯ ВЕРСИЯ НАЙДЕНА!!!\nХотите увидеть дополнительную информацию?"},
        {UpdateText::checking, "Asking for a new version at", "Запрос новой версии по адресу"},
        {UpdateText::cancel, "Cancel", "Отмена"},
        {UpdateText::address, "Address: ", "Адрес: "},
        {UpdateText::refused, "Nothing accepts connections there.",
         "По этому адресу соединения не принимаются."},
        {UpdateText::hostNotFound, "The server's name is unknown.", "Имя сервера не найдено."},
        {UpdateText::noAnswer, "No answer for %1 s.", "Нет ответа %1 с."},
        {UpdateText::tooSlow, "The answer took longer than %1 s.", "Ответ шёл дольше %1 с."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists UpdateText in declaration order");

} // namespace

QString updateText(UpdateText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

} // namespace vorlex::update
