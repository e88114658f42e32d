// Dialog units to pixels for every window: a horizontal unit is a quarter of the dialog font's
// average character width, a vertical unit an eighth of its character height.
#pragma once

#include <QFont>
#include <QRect>

namespace vorlex::chrome {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& dialogFont);
    /// From measured metrics: average character width and character height in pixels.
    DialogUnits(int averageCharWidth, int charHeight) noexcept;

    [[nodiscard]] int x(int units) const noexcept;
    [[nodiscard]] int y(int units) const noexcept;
    [[nodiscard]] QRect rect(int x, int y, int width, int height) const noexcept;

    [[nodiscard]] int averageCharWidth() const noexcept { return averageCharWidth_; }
    [[nodiscard]] int charHeight() const noexcept { return charHeight_; }

private:
    int averageCharWidth_;
    int charHeight_;
};

/// The font every dialog of the program is laid out with.
[[nodiscard]] QFont dialogFont();

} // namespace vorlex::chrome
