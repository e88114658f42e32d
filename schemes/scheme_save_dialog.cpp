#include "schemes/scheme_save_dialog.h"

#include "chrome/prompter.h"
#include "schemes/scheme_dialog_texts.h"
#include "store/settings.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

namespace vorlex::schemes {

SchemeSaveDialog::SchemeSaveDialog(store::SettingsStore& store, chrome::Prompter& prompter,
                                   QWidget* parent)
    : CaptionedDialog(chrome::CaptionVariant::dialog, parent), store_(store), prompter_(prompter),
      language_(store::readLanguage(store)) {}

void SchemeSaveDialog::addNameAndButtons(const QRect& name, const QRect& storeButton,
                                         const QString& storeName, const QRect& cancelButton) {
    name_ = new QLineEdit(body());
    name_->setObjectName(QStringLiteral("nameEdit"));
    name_->setGeometry(name);
    name_->setMaxLength(store::kSchemeNameMaxLength);

    storeButton_ = new QPushButton(body());
    storeButton_->setObjectName(storeName);
    storeButton_->setGeometry(storeButton);
    storeButton_->setDefault(true);
    connect(storeButton_, &QPushButton::clicked, this, &SchemeSaveDialog::accept);
    cancel_ = new QPushButton(body());
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(cancelButton);
    connect(cancel_, &QPushButton::clicked, this, &SchemeSaveDialog::reject);
}

std::string SchemeSaveDialog::schemeName() const {
    return name_->text().left(store::kSchemeNameMaxLength).toStdString();
}

void SchemeSaveDialog::finishSave(const store::SaveResult& result) {
    if (result.outcome == store::SaveResult::Outcome::stored) {
        storedNumber_ = result.number;
        CaptionedDialog::accept();
        return;
    }
    prompter_.message(this, QCoreApplication::applicationName(),
                      saveFailureMessage(result, language_));
}

} // namespace vorlex::schemes
