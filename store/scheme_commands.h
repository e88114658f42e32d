// The scheme commands of the main window and the preview dialog, over the main window's scheme
// box (a QComboBox whose item data is the scheme number, -1 for "Auto").
#pragma once

#include "store/language.h"
#include "store/scheme_editing.h"
#include "store/settings_store.h"

#include <QString>
#include <span>

class QComboBox;
class QWidget;

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::store {

/// Runs the scheme editor modally over @p schemeBox (create mode, or edit mode on its selected
/// scheme). @return true when it ended with OK; the caller then refills the box with the
/// catalogue scan, selects its last scheme and applies the scheme-button rule. On false
/// nothing in the box changed. Edit mode with "Auto" selected does nothing and returns false.
bool runSchemeEditor(EditorMode mode, QComboBox* schemeBox, SettingsStore& store,
                     chrome::Prompter& prompter, QWidget* parent);

/// The delete-scheme command: gives @p schemeBox the focus; with a stored scheme selected asks
/// the question in @p language and, on Yes, removes its section, writes `Total schemes` - 1,
/// removes the item and selects the one before it. A failed removal shows the store's error
/// text and changes nothing. Nothing is rescanned and the scheme buttons are not touched.
/// @return true when the scheme was deleted.
bool deleteSelectedScheme(QComboBox* schemeBox, SettingsStore& store, chrome::Prompter& prompter,
                          Language language, QWidget* parent);

/// Fills @p schemeBox with "Auto" and @p scan's schemes, selecting "Auto".
void fillSchemeBox(QComboBox* schemeBox, const CatalogueScan& scan);

/// Save as scheme (the preview dialog's command): runs the scheme-name dialog on @p actionText
/// and @p filters (indices ended by -1); after a save refills @p schemeBox (may be null) from a
/// fresh catalogue scan, which rewrites `Total schemes`, and selects the stored last scheme
/// when `Save last scheme` is set. The scheme buttons are not updated. @return true when saved.
bool saveChainAsScheme(QWidget* parent, SettingsStore& store, chrome::Prompter& prompter,
                       const QString& actionText, std::span<const int> filters,
                       QComboBox* schemeBox);

} // namespace vorlex::store
