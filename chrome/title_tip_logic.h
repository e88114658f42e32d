// The title tip's decisions, apart from its window: whether it may show, what it shows, how big
// it is, where it goes and when the pointer has left it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFontMetrics;

namespace vorlex::chrome {

/// How far the pointer may stray from where the tip was drawn, in each direction.
inline constexpr int titleTipStrayPixels = 6;
/// The period of the tip's pointer check.
inline constexpr int titleTipTimerMilliseconds = 100;
/// What the tip window adds to the measured text, both ways.
inline constexpr int titleTipPadding = 5;

/// Only while a window of this program has the keyboard focus, and only when armed.
[[nodiscard]] constexpr bool titleTipMayShow(bool programHasFocus, bool armed) noexcept {
    return programHasFocus && armed;
}

/// The text as the tip draws it: two spaces follow it.
[[nodiscard]] QString titleTipText(const QString& text);

/// The measured text: its size and the drawing flags it was measured with.
struct TitleTipMeasure {
    QSize size;
    int flags = 0;
};

/// Measures @p shownText wrapped at word boundaries within the owner's width, at most as high
/// as the owner. A word longer than the owner's width is broken inside it, so that nothing
/// runs out of the tip.
[[nodiscard]] TitleTipMeasure measureTitleTip(const QFontMetrics& metrics, const QString& shownText,
                                              QSize ownerSize);

/// The tip window's screen rectangle: at the owner's top-left plus @p pointerInOwner, the
/// measured size plus padding; moved back inside @p screen when it would leave it (a null
/// @p screen leaves it where it is).
[[nodiscard]] QRect titleTipGeometry(const QRect& ownerOnScreen, QPoint pointerInOwner,
                                     QSize measured, const QRect& screen);

/// Whether the pointer at @p now is more than titleTipStrayPixels away from @p anchor in
/// either direction.
[[nodiscard]] bool titleTipPointerLeft(QPoint anchor, QPoint now) noexcept;

} // namespace vorlex::chrome
