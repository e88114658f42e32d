// The caption bar a frameless window carries in place of the system's: the gradient, the title
// and the buttons its variant has room for. Dragging it moves the window.
#pragma once

#include "chrome/caption_geometry.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QWidget>

namespace vorlex::chrome {

/// What a caption button draws.
enum class CaptionGlyph { close, minimise };

/// A small raised button of the caption bar.
class CaptionButton final : public QAbstractButton {
    Q_OBJECT
public:
    CaptionButton(CaptionGlyph glyph, QWidget* parent);
    [[nodiscard]] CaptionGlyph glyph() const noexcept { return glyph_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CaptionGlyph glyph_;
};

/// The caption colour and title colour of a window in each activation state: the palette's
/// highlight and highlighted text of the Active group, and of the Inactive group for an
/// inactive window; where a style gives both groups the same highlight, the Disabled group's
/// stands for the inactive caption, so the two states can be told apart.
[[nodiscard]] QPalette::ColorGroup captionColourGroup(const QPalette& palette, bool active);
[[nodiscard]] QColor captionColour(const QPalette& palette, bool active);
[[nodiscard]] QColor captionTextColour(const QPalette& palette, bool active);

/// The caption font (the application font in bold) and the small caption font of tool windows.
[[nodiscard]] QFont captionFont();
[[nodiscard]] QFont smallCaptionFont();

/// Where the window goes when the pointer, pressed at @p pressGlobal while the window stood at
/// @p windowAtPress, is now at @p nowGlobal.
[[nodiscard]] QPoint draggedWindowPosition(QPoint pressGlobal, QPoint windowAtPress,
                                           QPoint nowGlobal) noexcept;

class CaptionBar final : public QWidget {
    Q_OBJECT
public:
    /// A bar for @p variant at the top of @p window, as wide as the window is now.
    CaptionBar(CaptionVariant variant, QWidget* window);

    /// Makes the bar @p width wide and places its buttons at once (a hidden widget would get
    /// its resize event only when shown).
    void setWidth(int width);

    [[nodiscard]] CaptionVariant variant() const noexcept { return variant_; }
    /// The bar's height for this variant and the caption fonts.
    [[nodiscard]] int barHeight() const noexcept { return barHeight_; }
    [[nodiscard]] CaptionLayout layout() const noexcept;
    /// The text shown: the window's current title.
    [[nodiscard]] QString title() const;

    [[nodiscard]] bool active() const noexcept { return active_; }
    /// Repaints in the active or inactive colours.
    void setActive(bool active);

    [[nodiscard]] CaptionButton* closeButton() const noexcept { return close_; }
    /// Null unless the variant has one.
    [[nodiscard]] CaptionButton* minimiseButton() const noexcept { return minimise_; }

signals:
    void closeClicked();
    void minimiseClicked();
    /// A left press on the bar outside its buttons: the window is about to be moved.
    void moveRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeButtons();

    CaptionVariant variant_;
    CaptionMetrics metrics_;
    int barHeight_ = 0;
    bool active_ = false;
    CaptionButton* close_ = nullptr;
    CaptionButton* minimise_ = nullptr;
    // Set while the bar moves the window itself, where the platform offers no system move.
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint windowAtPress_;
};

} // namespace vorlex::chrome
