#include "schemes/scheme_editor_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/prompter.h"
#include "engine/filters.h"
#include "schemes/scheme_dialog_texts.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"
#include "tools/file_failure.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vorlex::schemes {

using namespace store;
namespace {} // namespace

SchemeEditorDialog::SchemeEditorDialog(store::EditorMode mode, store::SchemeBoxSelection selected,
                                       store::SettingsStore& store, chrome::Prompter& prompter,
                                       QWidget* parent)
    : SchemeSaveDialog(store, prompter, parent), mode_(mode), box_(std::move(selected)) {
    buildControls();
    storeButton_->setEnabled(false);
    if (mode_ == EditorMode::edit) {
        setWindowTitle(schemeText(SchemeText::editTitle, language_) + QStringLiteral(" \"") +
                       QString::fromStdString(box_.text) + QLatin1Char('"'));
        name_->setText(QString::fromStdString(box_.text));
        loadScheme();
    } else {
        setWindowTitle(schemeText(SchemeText::createTitle, language_));
    }
    applyLanguageTexts();
    // Filling the controls is not a change by the user: OK waits for one.
    storeButton_->setEnabled(false);
}

void SchemeEditorDialog::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    setBodySize(QSize(du.x(324), du.y(62)));

    struct Place {
        QRect box;
        QRect labelRect;
    };
    const std::array<Place, kSchemeFilterBoxes> places = {{
        {du.rect(65, 3, 97, 12), du.rect(1, 4, 64, 8)},
        {du.rect(223, 3, 97, 12), du.rect(167, 5, 56, 8)},
        {du.rect(65, 25, 97, 12), du.rect(1, 27, 64, 8)},
        {du.rect(223, 25, 97, 12), du.rect(167, 27, 56, 8)},
    }};
    for (std::size_t i = 0; i < places.size(); ++i) {
        auto* label = new QLabel(body());
        label->setObjectName(QStringLiteral("filterLabel%1").arg(i + 1));
        label->setGeometry(places[i].labelRect);
        filterLabels_[i] = label;

        auto* box = new QComboBox(body());
        box->setObjectName(QStringLiteral("filterBox%1").arg(i + 1));
        box->setGeometry(places[i].box);
        box->setMaxVisibleItems(17);
        box->addItem(schemeText(SchemeText::noFilter, language_), engine::kEndOfFilters);
        for (const int filter : filterBoxFilters())
            box->addItem(QString::fromUtf8(engine::filterByIndex(filter)->displayName), filter);
        box->setCurrentIndex(0);
        connect(box, &QComboBox::activated, this, &SchemeEditorDialog::changed);
        filters_[i] = box;
    }

    nameLabel_ = new QLabel(body());
    nameLabel_->setObjectName(QStringLiteral("nameLabel"));
    nameLabel_->setGeometry(du.rect(1, 49, 64, 8));
    addNameAndButtons(du.rect(65, 47, 97, 12), du.rect(215, 44, 50, 14), QStringLiteral("okButton"),
                      du.rect(270, 44, 50, 14));
    connect(name_, &QLineEdit::textChanged, this, &SchemeEditorDialog::changed);
}

void SchemeEditorDialog::loadScheme() {
    const std::optional<std::string> action =
        readSchemeValue(store_, box_.number, kSchemeActionValue);
    if (!action) {
        prompter_.message(
            this, QCoreApplication::applicationName(),
            tools::configFailureText(schemeText(SchemeText::configReadFailed, language_),
                                     QString::fromStdString(store_.location()),
                                     QString::fromStdString(box_.text), language_));
        return;
    }
    const std::array<int, kSchemeFilterBoxes> chosen = filterBoxesOf(*action);
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const int index = filters_[i]->findData(chosen[i]);
        filters_[i]->setCurrentIndex(index < 0 ? 0 : index);
    }
}

void SchemeEditorDialog::changed() {
    storeButton_->setEnabled(
        editorCanStore(static_cast<int>(name_->text().size()), filters_[0]->currentData().toInt()));
}

std::array<int, kSchemeFilterBoxes> SchemeEditorDialog::chosenFilters() const {
    std::array<int, kSchemeFilterBoxes> chosen{};
    for (std::size_t i = 0; i < chosen.size(); ++i)
        chosen[i] = filters_[i]->currentData().toInt();
    return chosen;
}

void SchemeEditorDialog::accept() {
    // Only a change handler enables OK; Enter in the name edit must not bypass it.
    if (!storeButton_->isEnabled())
        return;
    finishSave(
        saveFromEditor(store_, mode_, box_, schemeName(), buildActionString(chosenFilters())));
}

void SchemeEditorDialog::applyLanguageTexts() {
    const std::array<SchemeText, kSchemeFilterBoxes> labels = {
        SchemeText::filter1Label, SchemeText::filter2Label, SchemeText::filter3Label,
        SchemeText::filter4Label};
    for (std::size_t i = 0; i < labels.size(); ++i)
        filterLabels_[i]->setText(schemeText(labels[i], language_));
    nameLabel_->setText(schemeText(SchemeText::nameLabel, language_));
    storeButton_->setText(schemeText(SchemeText::okButton, language_));
    cancel_->setText(schemeText(SchemeText::cancelButton, language_));
}

} // namespace vorlex::schemes
