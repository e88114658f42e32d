// Every text the main window shows, in English and Russian, in one table. Look-ups go through
// the interface language flag.
#pragma once

#include "store/language.h"

#include <QString>

namespace vorlex::app {

enum class MainText {
    caption,
    // Control texts.
    exitButton,
    heading,
    timeLabel,
    secondsLabel,
    foundLabel,
    foundUnitLabel,
    limitLabel,
    limitUnitLabel,
    noValue,
    // Toolbar tips.
    tipFromFile,
    tipFromClipboard,
    tipBatch,
    tipToFile,
    tipToClipboard,
    tipSaveAsScheme,
    tipViewSource,
    tipViewResult,
    tipSettings,
    tipAbout,
    tipCheckVersions,
    // List popup menu.
    menuWriteDocument,
    menuPutDocument,
    menuSaveAsScheme,
    menuPreviewResult,
    // Control tips.
    tipRecode,
    tipStop,
    tipNewScheme,
    tipEditScheme,
    tipSchemeBox,
    tipVariantList,
    tipDeleteScheme,
    // Messages.
    clipboardNoWords,
    clipboardReadFailed,
    fileNoWords,
    fileReadFailed,
    droppedNoWords,
    commandLineNoWords,
    commandLineReadFailed,
    configReadFailed,
    selectFileTitle,
    limitOutOfRange,
    limitNotANumber,
    clipboardCharactersReplaced, ///< %1: number of characters
    settingsNotSaved,            ///< %1: the settings file, %2: one of the reasons below
    settingsReadOnly,
    settingsDiskFull,
    settingsLocked,
    settingsIsFolder,
    settingsWriteFailed,
    copiedCharacters, ///< %1: number of characters put on the clipboard
    // The refined list.
    asItIs,                ///< the confidence column of the line for the text as it is
    noPlausibleReading,    ///< the one line of a refined list without a plausible reading
    unicodeRepairMisfits,  ///< a repair through Unicode that the rest of the text does not take
    unicodeRepairNoScheme, ///< Save as scheme on a repair through Unicode
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString mainText(MainText id, store::Language language);

} // namespace vorlex::app
