#include "update/update_progress_box.h"

#include "chrome/dialog_units.h"
#include "update/update_texts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace vorlex::update {
namespace {

// The width of the lines, in dialog units; a longer address is cut in its middle.
constexpr int kAddressWidthUnits = 180;

} // namespace

UpdateProgressBox::UpdateProgressBox(store::Language language, const QString& address,
                                     QWidget* parent)
    : CaptionedDialog(chrome::CaptionVariant::dialog, parent) {
    setObjectName(QStringLiteral("updateProgressBox"));
    setWindowTitle(QCoreApplication::applicationName());
    setFont(chrome::dialogFont());
    const chrome::DialogUnits du(chrome::dialogFont());
    setBodySize(QSize(du.x(196), du.y(62)));

    auto* asking = new QLabel(updateText(UpdateText::checking, language), body());
    asking->setGeometry(du.rect(8, 6, kAddressWidthUnits, 10));
    auto* where = new QLabel(body());
    where->setObjectName(QStringLiteral("updateAddress"));
    where->setGeometry(du.rect(8, 16, kAddressWidthUnits, 10));
    where->setText(
        QFontMetrics(where->font()).elidedText(address, Qt::ElideMiddle, where->width()));
    where->setToolTip(address);

    auto* busy = new QProgressBar(body());
    busy->setGeometry(du.rect(8, 29, kAddressWidthUnits, 9));
    busy->setRange(0, 0);
    busy->setTextVisible(false);

    cancel_ = new QPushButton(updateText(UpdateText::cancel, language), body());
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(du.rect(73, 43, 50, 14));
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace vorlex::update
