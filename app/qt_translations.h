// Qt's own texts (the standard buttons of message boxes, the file, font and colour dialogs) in
// the program's interface language rather than the desktop's.
#pragma once

#include "store/language.h"

namespace vorlex::app {

/// Makes Qt's own texts and formats follow @p language: installs qtbase's Russian
/// translation for Russian and removes it otherwise (Qt's own texts are
/// English), and sets the default locale to the desktop's when that speaks the same language,
/// else to the language's own. Call again whenever the language changes. Returns false when
/// the Russian translation is not installed; Qt's texts then stay English.
bool applyQtTranslations(store::Language language);

} // namespace vorlex::app
