// The base of every window of the program: a dialog whose controls live in body(), below the
// caption the window draws for itself.
#pragma once

#include <QDialog>
#include <QSize>

namespace vorlex::chrome {

/// The three geometric variants of the caption, by the buttons and icon it carries.
enum class CaptionVariant {
    main,   ///< program icon, minimise and close
    dialog, ///< close only
    tool,   ///< a small caption with close
};

class CaptionedDialog : public QDialog {
    Q_OBJECT
public:
    explicit CaptionedDialog(CaptionVariant variant, QWidget* parent = nullptr);

    /// The area below the caption; controls are placed in it from dialog units.
    [[nodiscard]] QWidget* body() const noexcept { return body_; }
    /// Fixes the window's size: a body of @p size plus the caption.
    void setBodySize(QSize size);
    [[nodiscard]] CaptionVariant captionVariant() const noexcept { return variant_; }

private:
    CaptionVariant variant_;
    QWidget* body_;
};

} // namespace vorlex::chrome
