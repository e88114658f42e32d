// The base of every window of the program: a dialog whose controls live in body(), below the
// caption the window draws for itself.
#pragma once

#include "chrome/caption_geometry.h"

#include <QDialog>
#include <QSize>

namespace vorlex::chrome {

class CaptionBar;

class CaptionedDialog : public QDialog {
    Q_OBJECT
public:
    /// On a screen of more than 8 bits per pixel the window is frameless and carries its own
    /// caption bar; otherwise the system's caption stays.
    explicit CaptionedDialog(CaptionVariant variant, QWidget* parent = nullptr);

    /// The area below the caption; controls are placed in it from dialog units.
    [[nodiscard]] QWidget* body() const noexcept { return body_; }
    /// Fixes the window's size: a body of @p size plus the caption bar.
    void setBodySize(QSize size);
    [[nodiscard]] CaptionVariant captionVariant() const noexcept { return variant_; }
    /// The window's own caption bar; null where the system draws the caption.
    [[nodiscard]] CaptionBar* captionBar() const noexcept { return bar_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void keepPlaceAfterRestore(Qt::WindowStates oldState);

    CaptionVariant variant_;
    QWidget* body_;
    CaptionBar* bar_ = nullptr;
};

} // namespace vorlex::chrome
