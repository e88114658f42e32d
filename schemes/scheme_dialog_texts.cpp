#include "schemes/scheme_dialog_texts.h"

#include "chrome/text_table.h"

namespace vorlex::schemes {

using namespace store;
namespace {

constexpr std::array<chrome::TextPair<SchemeText>, static_cast<std::size_t>(SchemeText::count_)>
    kTexts = {{
        {SchemeText::editTitle, "Edit scheme", "Редактирование схемы"},
        {SchemeText::createTitle, "Create new scheme", "Создание новой схемы"},
        {SchemeText::noFilter, "No", "нет"},
        {SchemeText::filter1Label, "Filter 1 :", "Фильтр 1 :"},
        {SchemeText::filter2Label, "Filter 2 :", "Фильтр 2 :"},
        {SchemeText::filter3Label, "Filter 3 :", "Фильтр 3 :"},
        {SchemeText::filter4Label, "Filter 4 :", "Фильтр 4 :"},
        {SchemeText::nameLabel, "Scheme name :", "Название схемы :"},
        {SchemeText::okButton, "OK", "OK"},
        {SchemeText::cancelButton, "Cancel", "Отмена"},
        {SchemeText::saveTitleBefore, "Save ", "Сохранить "},
        {SchemeText::saveTitleAfter, " as scheme", " как схему"},
        {SchemeText::saveButton, "Save", "Сохранить"},
        {SchemeText::enterNameLabel, "Enter scheme name", "Введите название схемы"},
        {SchemeText::configReadFailed, "Error reading config file",
         "Ошибка при чтении файла конфигурации"},
        {SchemeText::clashPrefix, "Scheme with this ", "Схема с таким "},
        {SchemeText::clashName, "name", "названием"},
        {SchemeText::clashAnd, " and ", " и "},
        {SchemeText::clashVariant, "variant of recoding", "вариантом перекодировки"},
        {SchemeText::clashSuffix, " already exists", " уже существует"},
        {SchemeText::noFreeNumber, "There is no room for another scheme: delete one first",
         "Больше нет места для новой схемы: сначала удалите одну из схем"},
        {SchemeText::deleteQuestion, "Do you really want to delete this scheme?",
         "Вы действительно хотите удалить эту схему?"},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists SchemeText in declaration order");

} // namespace

QString schemeText(SchemeText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

QString clashMessage(store::Clash clash, store::Language language) {
    const auto text = [language](SchemeText id) { return schemeText(id, language); };
    switch (clash) {
    case Clash::nameAndVariant:
        return text(SchemeText::clashPrefix) + text(SchemeText::clashName) +
               text(SchemeText::clashAnd) + text(SchemeText::clashVariant) +
               text(SchemeText::clashSuffix);
    case Clash::name:
        return text(SchemeText::clashPrefix) + text(SchemeText::clashName) +
               text(SchemeText::clashSuffix);
    case Clash::variant:
        return text(SchemeText::clashPrefix) + text(SchemeText::clashVariant) +
               text(SchemeText::clashSuffix);
    case Clash::none:
        break;
    }
    return {};
}

QString saveFailureMessage(const store::SaveResult& result, store::Language language) {
    switch (result.outcome) {
    case SaveResult::Outcome::stored:
        break;
    case SaveResult::Outcome::clash:
        return clashMessage(result.clash, language);
    case SaveResult::Outcome::noFreeNumber:
        return schemeText(SchemeText::noFreeNumber, language);
    }
    return {};
}

} // namespace vorlex::schemes
