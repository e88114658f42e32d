// Every text the About box shows, in English and Russian, in one table. Look-ups go through the
// interface language flag.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::chrome {

enum class AboutText {
    caption,
    closeButton,
    productName,
    version,
    productLink,
    companyNotice,
    count_
};

[[nodiscard]] QString aboutText(AboutText id, store::Language language);

/// The program's and the company's home pages.
[[nodiscard]] QString programHomePage();
[[nodiscard]] QString companyHomePage();

} // namespace vorlex::chrome
