#include "update/update_texts.h"

#include <array>
#include <cstddef>

namespace vorlex::update {
namespace {

struct TextPair {
    UpdateText id;
    const char* english;
    const char* russian; ///< nullptr: the English text in both languages
};

constexpr std::array<TextPair, static_cast<std::size_t>(UpdateText::count_)> kTexts = {{
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

// The table is indexed by the enumeration: keep both in the same order.
constexpr bool tableInOrder() {
    for (std::size_t i = 0; i < kTexts.size(); ++i)
        if (static_cast<std::size_t>(kTexts[i].id) != i)
            return false;
    return true;
}
static_assert(tableInOrder(), "kTexts must list UpdateText in declaration order");

} // namespace

QString updateText(UpdateText id, int language) {
    const TextPair& pair = kTexts[static_cast<std::size_t>(id)];
    return QString::fromUtf8(language != 0 || pair.russian == nullptr ? pair.english
                                                                      : pair.russian);
}

} // namespace vorlex::update
