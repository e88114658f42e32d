#include "schemes/scheme_name_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/prompter.h"
#include "schemes/scheme_dialog_texts.h"
#include "store/scheme_editing.h"
#include "store/settings.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vorlex::schemes {

using namespace store;

SchemeNameDialog::SchemeNameDialog(const QString& actionText, std::span<const int> filters,
                                   SettingsStore& store, chrome::Prompter& prompter,
                                   QWidget* parent)
    : SchemeSaveDialog(store, prompter, parent), action_(buildActionString(filters)) {
    buildControls();
    setWindowTitle(schemeText(SchemeText::saveTitleBefore, language_) + actionText +
                   schemeText(SchemeText::saveTitleAfter, language_));
    storeButton_->setEnabled(false);
    applyLanguageTexts();
}

void SchemeNameDialog::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    setBodySize(QSize(du.x(274), du.y(50)));

    label_ = new QLabel(body());
    label_->setObjectName(QStringLiteral("enterNameLabel"));
    label_->setGeometry(du.rect(7, 9, 114, 8));
    addNameAndButtons(du.rect(121, 7, 146, 12), du.rect(161, 29, 50, 14),
                      QStringLiteral("saveButton"), du.rect(217, 29, 50, 14));
    connect(name_, &QLineEdit::textChanged, this, &SchemeNameDialog::changed);
}

void SchemeNameDialog::changed() {
    // A chain without a filter would be stored as a scheme that recodes nothing.
    storeButton_->setEnabled(nameDialogCanSave(static_cast<int>(name_->text().size())) &&
                             !action_.empty());
}

void SchemeNameDialog::accept() {
    // Enter in the edit reaches here too: only what enables Save may save.
    if (!storeButton_->isEnabled())
        return;
    finishSave(saveNewScheme(store_, schemeName(), action_));
}

void SchemeNameDialog::applyLanguageTexts() {
    storeButton_->setText(schemeText(SchemeText::saveButton, language_));
    cancel_->setText(schemeText(SchemeText::cancelButton, language_));
    label_->setText(schemeText(SchemeText::enterNameLabel, language_));
}

} // namespace vorlex::schemes
