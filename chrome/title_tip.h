// The title tip: a pop-up beside the variant list that shows a line's whole text in the list's
// font, and hides itself once the pointer moves away.
#pragma once

#include "chrome/title_tip_logic.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace vorlex::chrome {

class TitleTip final : public QWidget {
    Q_OBJECT
public:
    /// A top-level pop-up (no parent, kept on top, never activated) bound to @p owner, whose
    /// font it uses. It starts armed and hidden.
    explicit TitleTip(QWidget* owner);

    /// Shows @p text next to the pointer: @p ownerOnScreen is the owner's window rectangle in
    /// screen coordinates, @p pointerX and @p pointerY the place in the owner's coordinates.
    /// Hides instead when the tip is not armed or no window of the program has the focus; an
    /// empty text disarms it. One call places, sizes and draws the tip; calling again with
    /// the same arguments changes nothing.
    void showTip(const QRect& ownerOnScreen, const QString& text, int pointerX, int pointerY);
    /// Hides the window; arming and the pointer check stay as they are.
    void hideTip() { hide(); }

    [[nodiscard]] bool armed() const noexcept { return armed_; }
    void setArmed(bool armed) noexcept { armed_ = armed; }

    /// The pointer check the timer runs every 100 ms: once the pointer is more than 6 pixels
    /// from where the tip was drawn, the tip is disarmed and hidden and the check stops.
    void checkPointer();

    /// The text as drawn (with its two trailing spaces), its measured size, the pointer
    /// position at the last draw, and whether the pointer check runs.
    [[nodiscard]] const QString& shownText() const noexcept { return shown_; }
    [[nodiscard]] QSize textSize() const noexcept { return measure_.size; }
    [[nodiscard]] QPoint anchor() const noexcept { return anchor_; }
    [[nodiscard]] bool checking() const noexcept { return timer_.isActive(); }

    /// The pointer's screen position, as the tip reads it (QCursor::pos() unless replaced).
    [[nodiscard]] QPoint pointer() const { return pointerProbe_(); }
    /// Replace how the tip learns the pointer position and whether the program has the focus.
    void setPointerProbe(std::function<QPoint()> probe) { pointerProbe_ = std::move(probe); }
    void setFocusProbe(std::function<bool()> probe) { focusProbe_ = std::move(probe); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> owner_;
    bool armed_ = true;
    QTimer timer_;
    QPoint anchor_;
    QString shown_;
    TitleTipMeasure measure_;
    std::function<QPoint()> pointerProbe_;
    std::function<bool()> focusProbe_;
};

} // namespace vorlex::chrome
