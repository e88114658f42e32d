#include "store/scheme_commands.h"

#include "chrome/prompter.h"
#include "store/scheme_catalogue.h"
#include "store/scheme_dialog_texts.h"
#include "store/scheme_editor_dialog.h"
#include "store/scheme_name_dialog.h"

#include <QComboBox>
#include <QCoreApplication>

namespace vorlex::store {
namespace {

int selectedNumber(const QComboBox* box) {
    const QVariant data = box->currentData();
    return data.isValid() ? data.toInt() : kAutoSchemeNumber;
}

} // namespace

bool runSchemeEditor(EditorMode mode, QComboBox* schemeBox, SettingsStore& store,
                     chrome::Prompter& prompter, QWidget* parent) {
    if (mode == EditorMode::edit && (schemeBox == nullptr || selectedNumber(schemeBox) < 0))
        return false;
    SchemeEditorDialog dialog(mode, schemeBox, store, prompter, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool deleteSelectedScheme(QComboBox* schemeBox, SettingsStore& store, chrome::Prompter& prompter,
                          Language language, QWidget* parent) {
    if (schemeBox == nullptr)
        return false;
    schemeBox->setFocus();
    const int number = selectedNumber(schemeBox);
    if (number == kAutoSchemeNumber)
        return false;
    if (prompter.ask(parent, QCoreApplication::applicationName(),
                     schemeText(SchemeText::deleteQuestion, language),
                     chrome::QuestionIcon::question) != chrome::Answer::yes)
        return false;
    const int error = deleteStoredScheme(store, number);
    if (error != 0) {
        prompter.message(parent, QCoreApplication::applicationName(),
                         QString::fromStdString(errorMessage(error)));
        return false;
    }
    const int index = schemeBox->currentIndex();
    schemeBox->removeItem(index);
    schemeBox->setCurrentIndex(index > 0 ? index - 1 : 0);
    return true;
}

void fillSchemeBox(QComboBox* schemeBox, const CatalogueScan& scan) {
    schemeBox->clear();
    schemeBox->addItem(QString::fromUtf8(kAutoSchemeName), kAutoSchemeNumber);
    for (const StoredScheme& scheme : scan.schemes)
        schemeBox->addItem(QString::fromStdString(scheme.name), scheme.number);
    schemeBox->setCurrentIndex(0);
}

bool saveChainAsScheme(QWidget* parent, SettingsStore& store, chrome::Prompter& prompter,
                       const QString& actionText, std::span<const int> filters,
                       QComboBox* schemeBox) {
    SchemeNameDialog dialog(actionText, filters, store, prompter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const CatalogueScan scan = refreshCatalogue(store);
    if (schemeBox == nullptr)
        return true;
    fillSchemeBox(schemeBox, scan);
    if (const std::optional<int> number = selectionAfterSave(store, scan)) {
        const int index = schemeBox->findData(*number);
        if (index >= 0)
            schemeBox->setCurrentIndex(index);
    }
    return true;
}

} // namespace vorlex::store
