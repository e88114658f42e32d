#include "chrome/title_tip_logic.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdlib>

namespace vorlex::chrome {

QString titleTipText(const QString& text) {
    return text + QStringLiteral("  ");
}

TitleTipMeasure measureTitleTip(const QFontMetrics& metrics, const QString& shownText,
                                QSize ownerSize) {
    const int width = std::max(1, ownerSize.width());
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    QRect measured = metrics.boundingRect(QRect(0, 0, width, 0), flags, shownText);
    if (measured.width() > width) {
        flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
        measured = metrics.boundingRect(QRect(0, 0, width, 0), flags, shownText);
    }
    const QSize size(std::min(measured.width(), width),
                     std::min(measured.height(), std::max(0, ownerSize.height())));
    return TitleTipMeasure{size, flags};
}

QRect titleTipGeometry(const QRect& ownerOnScreen, QPoint pointerInOwner, QSize measured,
                       const QRect& screen) {
    QRect tip(ownerOnScreen.topLeft() + pointerInOwner,
              QSize(measured.width() + titleTipPadding, measured.height() + titleTipPadding));
    if (!screen.isNull()) {
        if (tip.right() > screen.right())
            tip.moveRight(screen.right());
        if (tip.bottom() > screen.bottom())
            tip.moveBottom(screen.bottom());
        if (tip.left() < screen.left())
            tip.moveLeft(screen.left());
        if (tip.top() < screen.top())
            tip.moveTop(screen.top());
    }
    return tip;
}

bool titleTipPointerLeft(QPoint anchor, QPoint now) noexcept {
    return std::abs(now.x() - anchor.x()) > titleTipStrayPixels ||
           std::abs(now.y() - anchor.y()) > titleTipStrayPixels;
}

} // namespace vorlex::chrome
