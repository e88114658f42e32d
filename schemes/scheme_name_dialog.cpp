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
    : CaptionedDialog(chrome::CaptionVariant::dialog, parent), store_(store), prompter_(prompter),
      language_(readLanguage(store)), action_(buildActionString(filters)) {
    buildControls();
    setWindowTitle(schemeText(SchemeText::saveTitleBefore, language_) + actionText +
                   schemeText(SchemeText::saveTitleAfter, language_));
    save_->setEnabled(false);
    applyLanguageTexts();
}

void SchemeNameDialog::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    setBodySize(QSize(du.x(274), du.y(50)));

    label_ = new QLabel(body());
    label_->setObjectName(QStringLiteral("enterNameLabel"));
    label_->setGeometry(du.rect(7, 9, 114, 8));
    name_ = new QLineEdit(body());
    name_->setObjectName(QStringLiteral("nameEdit"));
    name_->setGeometry(du.rect(121, 7, 146, 12));
    name_->setMaxLength(kSchemeNameMaxLength);
    connect(name_, &QLineEdit::textChanged, this, &SchemeNameDialog::changed);

    save_ = new QPushButton(body());
    save_->setObjectName(QStringLiteral("saveButton"));
    save_->setGeometry(du.rect(161, 29, 50, 14));
    save_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, &SchemeNameDialog::accept);
    cancel_ = new QPushButton(body());
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(du.rect(217, 29, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &SchemeNameDialog::reject);
}

void SchemeNameDialog::changed() {
    // A chain without a filter would be stored as a scheme that recodes nothing.
    save_->setEnabled(nameDialogCanSave(static_cast<int>(name_->text().size())) &&
                      !action_.empty());
}

void SchemeNameDialog::accept() {
    // Enter in the edit reaches here too: only what enables Save may save.
    if (!save_->isEnabled())
        return;
    const std::string name = name_->text().left(kSchemeNameMaxLength).toStdString();
    const SaveResult result = saveNewScheme(store_, name, action_);
    if (result.outcome == SaveResult::Outcome::stored) {
        storedNumber_ = result.number;
        CaptionedDialog::accept();
        return;
    }
    prompter_.message(this, QCoreApplication::applicationName(),
                      saveFailureMessage(result, language_));
}

void SchemeNameDialog::applyLanguageTexts() {
    save_->setText(schemeText(SchemeText::saveButton, language_));
    cancel_->setText(schemeText(SchemeText::cancelButton, language_));
    label_->setText(schemeText(SchemeText::enterNameLabel, language_));
}

} // namespace vorlex::schemes
