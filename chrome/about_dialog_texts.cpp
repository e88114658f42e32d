#include "chrome/about_dialog_texts.h"

#include "chrome/text_table.h"
#include "vorlex_version.h"

namespace vorlex::chrome {
namespace {

constexpr std::array<chrome::TextPair<AboutText>, static_cast<std::size_t>(AboutText::count_)>
    kTexts = {{
        {AboutText::caption, "About program", "О программе"},
        {AboutText::closeButton, "Close", "Закрыть"},
        {AboutText::productName, "VORLEX II", "VORLEX II"},
        {AboutText::version, "Version " VORLEX_VERSION, "Version " VORLEX_VERSION},
        {AboutText::productLink, "VORLEX official home page", "VORLEX official home page"},
        {AboutText::companyNotice, "Quillmark, 2001", "Quillmark, 2001"},
    }};
static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists AboutText in declaration order");

} // namespace

QString aboutText(AboutText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

QString programHomePage() {
    return QStringLiteral("https://vorlex.example.org/");
}

QString companyHomePage() {
    return QStringLiteral("https://quillmark.example.org/");
}

} // namespace vorlex::chrome
