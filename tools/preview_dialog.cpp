#include "tools/preview_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/prompter.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace vorlex::tools {
namespace {

// A label wider than its box (a font broader than the layout's) gets a slightly smaller font
// rather than losing its ends.
void fitText(QLineEdit* edit) {
    QFont font = edit->parentWidget()->font();
    edit->setFont(font);
    // The frame and the edit's own margin on each side.
    const int room =
        edit->width() - 2 * (edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2);
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(edit->text()) > room) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        edit->setFont(font);
    }
    edit->setCursorPosition(0);
}

} // namespace

PreviewDialog::PreviewDialog(const store::SettingsStore& store, chrome::Prompter& prompter,
                             PreviewInputs inputs, PreviewCallbacks callbacks, QWidget* parent)
    : CaptionedDialog(chrome::CaptionVariant::dialog, parent), inputs_(std::move(inputs)),
      callbacks_(std::move(callbacks)), outputs_(store, prompter, inputs_, callbacks_) {
    setObjectName(QStringLiteral("previewDialog"));
    buildControls();
    if (inputs_.fontSource != nullptr)
        text_->setFont(inputs_.fontSource->font());
    if (inputs_.sourceMode)
        showSourceText();
    else
        showFirstPart();
    applyTexts();
}

int PreviewDialog::run(const store::SettingsStore& store, chrome::Prompter& prompter,
                       const PreviewInputs& inputs, const PreviewCallbacks& callbacks,
                       QWidget* parent) {
    if (inputs.silent) {
        runSilently(store, prompter, inputs, callbacks, parent);
        return QDialog::Accepted;
    }
    PreviewDialog dialog(store, prompter, inputs, callbacks, parent);
    return dialog.exec();
}

void PreviewDialog::runSilently(const store::SettingsStore& store, chrome::Prompter& prompter,
                                const PreviewInputs& inputs, const PreviewCallbacks& callbacks,
                                QWidget* parent) {
    PreviewOutputs outputs(store, prompter, inputs, callbacks);
    outputs.perform(inputs.silentAction, parent);
}

void PreviewDialog::buildControls() {
    const chrome::DialogUnits units(chrome::dialogFont());
    QWidget* area = body();
    area->setFont(chrome::dialogFont());

    text_ = new QPlainTextEdit(area);
    text_->setObjectName(QStringLiteral("textBox"));
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setGeometry(units.rect(7, 24, 350, 121));

    label_ = new QLineEdit(area);
    label_->setObjectName(QStringLiteral("actionLabel"));
    label_->setReadOnly(true);
    label_->setFocusPolicy(Qt::NoFocus);
    label_->setGeometry(units.rect(7, 9, 112, 12));

    action_ = new QLineEdit(area);
    action_->setObjectName(QStringLiteral("actionField"));
    action_->setReadOnly(true);
    action_->setGeometry(units.rect(124, 9, 144, 12));

    saveScheme_ = new QPushButton(area);
    saveScheme_->setObjectName(QStringLiteral("saveSchemeButton"));
    saveScheme_->setAutoDefault(false);
    saveScheme_->setGeometry(units.rect(273, 5, 84, 14));
    saveScheme_->setEnabled(outputs_.canSaveAsScheme());

    write_ = new QPushButton(area);
    write_->setObjectName(QStringLiteral("writeButton"));
    write_->setAutoDefault(false);
    write_->setGeometry(units.rect(7, 149, 125, 17));

    put_ = new QPushButton(area);
    put_->setObjectName(QStringLiteral("putButton"));
    put_->setAutoDefault(false);
    put_->setGeometry(units.rect(134, 149, 156, 17));
    put_->setEnabled(outputs_.canPutOnClipboard());

    close_ = new QPushButton(area);
    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setDefault(true);
    close_->setGeometry(units.rect(310, 149, 47, 17));

    setBodySize(QSize(units.x(364), units.y(173)));

    connect(write_, &QPushButton::clicked, this, &PreviewDialog::writeDocumentToFile);
    connect(put_, &QPushButton::clicked, this, &PreviewDialog::putDocumentOnClipboard);
    connect(saveScheme_, &QPushButton::clicked, this, &PreviewDialog::saveAsScheme);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

void PreviewDialog::applyTexts() {
    setWindowTitle(outputs_.text(inputs_.sourceMode ? PreviewText::captionSource
                                                    : PreviewText::captionDocument));
    label_->setText(outputs_.text(PreviewText::actionLabel));
    fitText(label_);
    close_->setText(outputs_.text(PreviewText::closeButton));
    write_->setText(outputs_.text(PreviewText::writeButton));
    put_->setText(outputs_.text(PreviewText::putButton));
    saveScheme_->setText(outputs_.text(PreviewText::saveSchemeButton));
}

void PreviewDialog::showSourceText() {
    action_->setText(outputs_.text(PreviewText::noAction));
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{write_, put_, saveScheme_, action_, label_})
        hidden->hide();
    const std::string& shown = inputs_.shownText;
    setShownText(shownTextOf({reinterpret_cast<const std::uint8_t*>(shown.data()), shown.size()}));
}

void PreviewDialog::showFirstPart() {
    action_->setText(inputs_.actionText);
    action_->setCursorPosition(0);
    const FirstPart part = outputs_.firstPart();
    if (part.failure) {
        outputs_.say(this, *part.failure);
        return;
    }
    setShownText(part.text);
}

void PreviewDialog::setShownText(const QString& text) {
    // The box breaks lines at '\n' only; documents from DOS and old Macs use "\r\n" and '\r'.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text_->setPlainText(lines);
}

} // namespace vorlex::tools
