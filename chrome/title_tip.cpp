#include "chrome/title_tip.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace vorlex::chrome {
namespace {

const QColor kBackground(250, 250, 220);

} // namespace

TitleTip::TitleTip(QWidget* owner)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      owner_(owner), pointerProbe_([] { return QCursor::pos(); }),
      focusProbe_([] { return QGuiApplication::focusWindow() != nullptr; }) {
    setObjectName(QStringLiteral("titleTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    timer_.setInterval(titleTipTimerMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &TitleTip::checkPointer);
}

void TitleTip::showTip(const QRect& ownerOnScreen, const QString& text, int pointerX,
                       int pointerY) {
    if (!titleTipMayShow(focusProbe_(), armed_)) {
        hide();
        return;
    }
    if (text.isEmpty()) {
        armed_ = false;
        return;
    }
    if (owner_)
        setFont(owner_->font());
    shown_ = titleTipText(text);
    measure_ = measureTitleTip(fontMetrics(), shown_, ownerOnScreen.size());

    const QScreen* screen = QGuiApplication::screenAt(ownerOnScreen.center());
    if (!screen)
        screen = owner_ ? owner_->screen() : QGuiApplication::primaryScreen();
    const QRect bounds = screen ? screen->availableGeometry() : QRect();
    setGeometry(titleTipGeometry(ownerOnScreen, QPoint(pointerX, pointerY), measure_.size, bounds));
    show();
    update();

    anchor_ = pointerProbe_();
    timer_.start();
}

void TitleTip::checkPointer() {
    if (!titleTipPointerLeft(anchor_, pointerProbe_()))
        return;
    armed_ = false;
    hide();
    timer_.stop();
}

void TitleTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // The text sits 3 pixels in: the border, then 2 pixels of background.
    const QRect textBox(3, 3, measure_.size.width(), measure_.size.height());
    painter.save();
    painter.setClipRect(textBox);
    painter.drawText(textBox, measure_.flags, shown_);
    painter.restore();

    QPen dotted(palette().color(QPalette::ToolTipText));
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.drawRect(QRect(1, 1, measure_.size.width() + 2, measure_.size.height() + 2));
}

} // namespace vorlex::chrome
