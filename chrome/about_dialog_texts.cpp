#include "chrome/about_dialog_texts.h"

#include "vorlex_version.h"

#include <array>
#include <cstddef>

namespace vorlex::chrome {
namespace {

struct TextPair {
    AboutText id;
    const char* english;
    const char* russian;
};

constexpr std::array<TextPair, static_cast<std::size_t>(AboutText::count_)> kTexts = {{
    {AboutText::caption, "About program", "О программе"},
    {AboutText::closeButton, "Close", "Закрыть"},
    {AboutText::productName, "VORLEX II", "VORLEX II"},
    {AboutText::version, "Version " VORLEX_VERSION, "Version " VORLEX_VERSION},
    {AboutText::productLink, "VORLEX official home page", "VORLEX official home page"},
    {AboutText::companyNotice, "Quillmark, 2001", "Quillmark, 2001"},
}};

} // namespace

QString aboutText(AboutText id, int language) {
    const TextPair& pair = kTexts[static_cast<std::size_t>(id)];
    return QString::fromUtf8(language == 0 ? pair.russian : pair.english);
}

QString programHomePage() {
    return QStringLiteral("https://vorlex.example.org/");
}

QString companyHomePage() {
    return QStringLiteral("https://quillmark.example.org/");
}

} // namespace vorlex::chrome
