#include "schemes/scheme_commands.h"

#include "chrome/prompter.h"
#include "schemes/scheme_dialog_texts.h"
#include "schemes/scheme_editor_dialog.h"
#include "schemes/scheme_name_dialog.h"
#include "store/scheme_catalogue.h"

#include <QCoreApplication>

namespace vorlex::schemes {

bool runSchemeEditor(store::EditorMode mode, const store::SchemeList& list,
                     store::SettingsStore& store, chrome::Prompter& prompter, QWidget* parent) {
    if (mode == store::EditorMode::edit && list.selectedScheme() == nullptr)
        return false;
    SchemeEditorDialog dialog(mode, {list.selectedName(), list.selectedNumber()}, store, prompter,
                              parent);
    return dialog.exec() == QDialog::Accepted;
}

bool deleteSelectedScheme(store::SchemeList& list, store::SettingsStore& store,
                          chrome::Prompter& prompter, store::Language language, QWidget* parent) {
    const store::StoredScheme* scheme = list.selectedScheme();
    if (scheme == nullptr)
        return false;
    if (prompter.ask(parent, QCoreApplication::applicationName(),
                     schemeText(SchemeText::deleteQuestion, language),
                     chrome::QuestionIcon::question) != chrome::Answer::yes)
        return false;
    const int error = store::deleteStoredScheme(store, scheme->number);
    if (error != 0) {
        prompter.message(parent, QCoreApplication::applicationName(),
                         QString::fromStdString(store::errorMessage(error)));
        return false;
    }
    list.removeSelected();
    return true;
}

bool saveChainAsScheme(QWidget* parent, store::SettingsStore& store, chrome::Prompter& prompter,
                       const QString& actionText, std::span<const int> filters,
                       store::SchemeList* list) {
    SchemeNameDialog dialog(actionText, filters, store, prompter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const store::CatalogueScan scan = store::refreshCatalogue(store);
    if (list == nullptr)
        return true;
    list->assign(scan.schemes);
    if (const std::optional<int> number = store::selectionAfterSave(store, scan))
        list->selectNumber(*number);
    return true;
}

} // namespace vorlex::schemes
