#include "chrome/variant_list_box.h"

#include "chrome/title_tip.h"

#include <QMouseEvent>

namespace vorlex::chrome {

VariantListBox::VariantListBox(QWidget* parent)
    : QListWidget(parent), tip_(std::make_unique<TitleTip>(this)) {
    tip_->setArmed(false);
}

VariantListBox::~VariantListBox() = default;

void VariantListBox::showTitleTip(const QString& text) {
    if (tip_->armed())
        tip_->hideTip();
    const QPoint pointer = mapFromGlobal(tip_->pointer() + QPoint(0, 20));
    const QRect onScreen(mapToGlobal(QPoint(0, 0)), size());
    tip_->setArmed(true);
    tip_->showTip(onScreen, text, pointer.x(), pointer.y());
}

void VariantListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        emit rightButtonReleased(event->position().toPoint());
    QListWidget::mouseReleaseEvent(event);
}

} // namespace vorlex::chrome
