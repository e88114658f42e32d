// Every text of the scheme editor, the scheme-name dialog and the deletion of a scheme, in
// English and Russian, in one table: the dialogs share their clash messages. Look-ups go through
// the language.
#pragma once

#include "store/language.h"
#include "store/scheme_editing.h"

#include <QString>

namespace vorlex::schemes {

enum class SchemeText {
    // Scheme editor.
    editTitle, ///< followed by a space and the quoted scheme name
    createTitle,
    noFilter, ///< item 0 of the filter boxes
    filter1Label,
    filter2Label,
    filter3Label,
    filter4Label,
    nameLabel,
    okButton,
    cancelButton,
    // Scheme-name dialog; the titles are put around the action text.
    saveTitleBefore,
    saveTitleAfter,
    saveButton,
    enterNameLabel,
    // Messages.
    configReadFailed,
    clashPrefix,
    clashName,
    clashAnd,
    clashVariant,
    clashSuffix,
    noFreeNumber,
    deleteQuestion,
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString schemeText(SchemeText id, store::Language language);

/// The message for @p clash ("Scheme with this name already exists"); empty for none.
[[nodiscard]] QString clashMessage(store::Clash clash, store::Language language);

/// What the user is told when a scheme was not stored; empty when it was.
[[nodiscard]] QString saveFailureMessage(const store::SaveResult& result, store::Language language);

} // namespace vorlex::schemes
