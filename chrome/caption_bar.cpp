#include "chrome/caption_bar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <qdrawutil.h>

namespace vorlex::chrome {

CaptionButton::CaptionButton(CaptionGlyph glyph, QWidget* parent)
    : QAbstractButton(parent), glyph_(glyph) {
    setFocusPolicy(Qt::NoFocus);
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect();
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinButton(&painter, box, palette(), isDown(), &face);

    // The glyph moves one pixel down and right while pressed, as a pushed key.
    const int shift = isDown() ? 1 : 0;
    const int size = std::max(4, std::min(box.width(), box.height()) / 2);
    const QPoint centre = box.center() + QPoint(shift, shift);
    const QRect glyphBox(centre.x() - size / 2, centre.y() - size / 2, size, size);
    QPen pen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    pen.setWidth(2);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    if (glyph_ == CaptionGlyph::close) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawLine(glyphBox.topLeft(), glyphBox.bottomRight());
        painter.drawLine(glyphBox.topRight(), glyphBox.bottomLeft());
    } else {
        painter.drawLine(glyphBox.left(), glyphBox.bottom(), glyphBox.right(), glyphBox.bottom());
    }
}

QPalette::ColorGroup captionColourGroup(const QPalette& palette, bool active) {
    if (active)
        return QPalette::Active;
    if (palette.color(QPalette::Inactive, QPalette::Highlight) !=
        palette.color(QPalette::Active, QPalette::Highlight))
        return QPalette::Inactive;
    return QPalette::Disabled;
}

QColor captionColour(const QPalette& palette, bool active) {
    return palette.color(captionColourGroup(palette, active), QPalette::Highlight);
}

QColor captionTextColour(const QPalette& palette, bool active) {
    return palette.color(captionColourGroup(palette, active), QPalette::HighlightedText);
}

QFont captionFont() {
    QFont font = QApplication::font();
    font.setBold(true);
    return font;
}

QFont smallCaptionFont() {
    QFont font = captionFont();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.9);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, font.pixelSize() * 9 / 10));
    return font;
}

QPoint draggedWindowPosition(QPoint pressGlobal, QPoint windowAtPress, QPoint nowGlobal) noexcept {
    return windowAtPress + (nowGlobal - pressGlobal);
}

CaptionBar::CaptionBar(CaptionVariant variant, QWidget* window)
    : QWidget(window), variant_(variant),
      metrics_(captionMetricsFor(QFontMetrics(captionFont()).height(),
                                 QFontMetrics(smallCaptionFont()).height())) {
    setObjectName(QStringLiteral("captionBar"));
    barHeight_ = captionLayout(variant_, 0, metrics_).barHeight;
    close_ = new CaptionButton(CaptionGlyph::close, this);
    close_->setObjectName(QStringLiteral("captionClose"));
    connect(close_, &QAbstractButton::clicked, this, &CaptionBar::closeClicked);
    if (variant_ == CaptionVariant::main) {
        minimise_ = new CaptionButton(CaptionGlyph::minimise, this);
        minimise_->setObjectName(QStringLiteral("captionMinimise"));
        connect(minimise_, &QAbstractButton::clicked, this, &CaptionBar::minimiseClicked);
    }
    setWidth(window ? window->width() : 0);
}

void CaptionBar::setWidth(int width) {
    setGeometry(0, 0, width, barHeight_);
    placeButtons();
}

CaptionLayout CaptionBar::layout() const noexcept {
    return captionLayout(variant_, width(), metrics_);
}

QString CaptionBar::title() const {
    return window()->windowTitle();
}

void CaptionBar::setActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    update();
}

void CaptionBar::paintEvent(QPaintEvent*) {
    const CaptionLayout l = layout();
    const QColor base = captionColour(palette(), active_);
    QPainter painter(this);
    painter.fillRect(rect(), base);

    // The backing store already buffers the widget, so the stripes go straight onto it.
    const auto colours = captionStripeColours(Rgb{base.red(), base.green(), base.blue()});
    const QRect area(l.painted.x, l.painted.y, l.painted.width, l.painted.height);
    painter.setClipRect(area);
    for (int i = 0; i < captionStripeCount; ++i) {
        const StripeSpan span = captionStripeSpan(i, area.width());
        const Rgb& c = colours[static_cast<std::size_t>(i)];
        painter.fillRect(area.x() + span.x, area.y(), span.width, area.height(),
                         QColor(c.red, c.green, c.blue));
    }

    if (variant_ == CaptionVariant::main && !window()->windowIcon().isNull()) {
        // The program icon sits in the room left of the gradient.
        painter.setClipping(false);
        const int side = std::min(metrics_.smallIconWidth, l.painted.height);
        const QRect iconBox(metrics_.edgeX + 1, l.painted.y + (l.painted.height - side) / 2, side,
                            side);
        window()->windowIcon().paint(&painter, iconBox);
    }

    const QRect titleBox(l.title.x, l.title.y, l.title.width, l.title.height);
    painter.setClipRect(titleBox);
    painter.setFont(l.smallFont ? smallCaptionFont() : captionFont());
    painter.setPen(captionTextColour(palette(), active_));
    // Left and top aligned; only the title's own line breaks start a new line.
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignTop, title());
}

void CaptionBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButtons();
}

void CaptionBar::placeButtons() {
    const CaptionLayout l = layout();
    close_->setGeometry(l.closeButton.x, l.closeButton.y, l.closeButton.width,
                        l.closeButton.height);
    if (minimise_ && l.minimiseButton)
        minimise_->setGeometry(l.minimiseButton->x, l.minimiseButton->y, l.minimiseButton->width,
                               l.minimiseButton->height);
}

void CaptionBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    emit moveRequested();
    // The window manager moves the window where it can; elsewhere the bar follows the pointer.
    QWindow* handle = window()->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    dragging_ = true;
    pressGlobal_ = event->globalPosition().toPoint();
    windowAtPress_ = window()->pos();
}

void CaptionBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    window()->move(
        draggedWindowPosition(pressGlobal_, windowAtPress_, event->globalPosition().toPoint()));
}

void CaptionBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace vorlex::chrome
