#include "chrome/captioned_dialog.h"

namespace vorlex::chrome {

CaptionedDialog::CaptionedDialog(CaptionVariant variant, QWidget* parent)
    : QDialog(parent), variant_(variant), body_(new QWidget(this)) {
    body_->setObjectName(QStringLiteral("body"));
    if (variant == CaptionVariant::main)
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void CaptionedDialog::setBodySize(QSize size) {
    body_->setGeometry(0, 0, size.width(), size.height());
    setFixedSize(size);
}

} // namespace vorlex::chrome
