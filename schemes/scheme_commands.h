// The scheme commands of the main window and the preview dialog, over the window's scheme list.
#pragma once

#include "store/language.h"
#include "store/scheme_editing.h"
#include "store/scheme_list.h"
#include "store/settings_store.h"

#include <QString>
#include <span>

class QWidget;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::schemes {

/// Runs the scheme editor modally (create mode, or edit mode on @p list's selected scheme).
/// @return true when it ended with OK; the caller then refills the list with the catalogue
/// scan, selects its last scheme and applies the scheme-button rule. On false nothing changed.
/// Edit mode with "Auto" selected does nothing and returns false.
bool runSchemeEditor(store::EditorMode mode, const store::SchemeList& list,
                     store::SettingsStore& store, chrome::Prompter& prompter, QWidget* parent);

/// The delete-scheme command: with a stored scheme selected in @p list asks the question in
/// @p language and, on Yes, removes its section, writes `Total schemes` - 1, removes it from
/// @p list and selects the item before it. A failed removal shows the store's error text and
/// changes nothing. Nothing is rescanned. @return true when the scheme was deleted.
bool deleteSelectedScheme(store::SchemeList& list, store::SettingsStore& store,
                          chrome::Prompter& prompter, store::Language language, QWidget* parent);

/// Save as scheme (the preview dialog's command): runs the scheme-name dialog on @p actionText
/// and @p filters (indices ended by -1); after a save refills @p list (may be null) from a fresh
/// catalogue scan, which rewrites `Total schemes`, and selects the stored last scheme when
/// `Save last scheme` is set. @return true when saved.
bool saveChainAsScheme(QWidget* parent, store::SettingsStore& store, chrome::Prompter& prompter,
                       const QString& actionText, std::span<const int> filters,
                       store::SchemeList* list);

} // namespace vorlex::schemes
