#include "chrome/dialog_units.h"

#include <QApplication>
#include <QFontMetrics>
#include <algorithm>

namespace vorlex::chrome {
namespace {

// Rounded a * b / c, as the platform's conversion rounds.
int mulDiv(int a, int b, int c) noexcept {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogUnits::DialogUnits(const QFont& font) : DialogUnits(1, 1) {
    const QFontMetrics metrics(font);
    // The average of the 52 Latin letters, rounded.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    averageCharWidth_ = std::max(1, (letters / 26 + 1) / 2);
    charHeight_ = std::max(1, metrics.height());
}

DialogUnits::DialogUnits(int averageCharWidth, int charHeight) noexcept
    : averageCharWidth_(std::max(1, averageCharWidth)), charHeight_(std::max(1, charHeight)) {}

int DialogUnits::x(int units) const noexcept {
    return mulDiv(units, averageCharWidth_, 4);
}

int DialogUnits::y(int units) const noexcept {
    return mulDiv(units, charHeight_, 8);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const noexcept {
    // Each edge is converted on its own, as the platform maps a dialog rectangle.
    return QRect(QPoint(x(left), y(top)), QPoint(x(left + width) - 1, y(top + height) - 1));
}

QFont dialogFont() {
    return QApplication::font();
}

} // namespace vorlex::chrome
