// Every text of the settings dialog, in English and Russian, in one table. Look-ups go through
// the dialog's text language.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::setup {

enum class SetupText {
    title,
    closeButton,
    fontsButton,
    noAutoRecodingMessage, ///< check box 1013
    wrongFormatMessage,    ///< check box 1014
    recodeAfterHeading,    ///< label 1022
    afterSchemeChanged,    ///< check box 1015
    afterFileRead,         ///< check box 1020
    afterClipboardRead,    ///< check box 1021
    saveLastScheme,        ///< check box 1016
    previewOnDoubleClick,  ///< check box 1019
    precisionLabel,        ///< label 1025
    wAsVe,                 ///< check box 1017
    noSj,                  ///< check box 1018
    clipboardViewer,       ///< check box 1026
    separateEnglish,       ///< check box 1028
    refineRanking,
    outputEncodingLabel,
    // Texts that stay the same in both languages.
    languageLabel,
    russianButton,
    englishButton,
    latinicaHeading,
    win1251Item, ///< the items of the output-encoding box
    utf8Item,
    // Messages of the precision check.
    precisionOutOfRange,
    precisionNotANumber,
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString setupText(SetupText id, store::Language language);

} // namespace vorlex::setup
