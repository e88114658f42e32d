// The caption every window draws for itself: the colours of its gradient stripes and where its
// painted area, title and buttons lie. Plain arithmetic, so it can be checked without a window.
#pragma once

#include <array>
#include <optional>

namespace vorlex::chrome {

/// The three geometric variants of the caption, by the buttons and icon it carries.
enum class CaptionVariant {
    main,   ///< program icon, minimise and close
    dialog, ///< close only
    tool,   ///< a small caption with close
};

/// A colour as three components of 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int captionStripeCount = 160;

/// The fill colour of each of the 160 stripes for a caption colour: from @p caption the
/// components brighten in proportion (the strongest by 1 a stripe, at most to 255) over the
/// first 80 stripes and fall back towards their start over the last 80.
[[nodiscard]] std::array<Rgb, captionStripeCount> captionStripeColours(Rgb caption) noexcept;

/// Where stripe @p index (0 to 159) of an area @p areaWidth wide starts and how wide it is.
struct StripeSpan {
    int x = 0;
    int width = 0;
};
[[nodiscard]] StripeSpan captionStripeSpan(int index, int areaWidth) noexcept;

/// A rectangle in the caption bar's coordinates.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

/// The sizes a caption is built from, in pixels: the counterparts of the system metrics
/// caption height, small caption height, caption button width, small icon width and edge.
struct CaptionMetrics {
    int captionHeight = 18;
    int smallCaptionHeight = 15;
    int buttonWidth = 18;
    int smallIconWidth = 16;
    int edgeX = 2;
    int edgeY = 2;
};

/// Metrics for title fonts whose line heights are @p captionFontHeight and
/// @p smallCaptionFontHeight: never smaller than the classic sizes, always tall enough for the
/// title below the title top.
[[nodiscard]] CaptionMetrics captionMetricsFor(int captionFontHeight,
                                               int smallCaptionFontHeight) noexcept;

/// Everything placed on the caption bar of a window @p windowWidth wide.
struct CaptionLayout {
    int barHeight = 0; ///< the whole bar; the window's body starts below it
    Box painted;       ///< the gradient
    Box title;         ///< where the title is drawn, cut at its right end
    bool smallFont = false;
    Box closeButton;
    std::optional<Box> minimiseButton;
};
[[nodiscard]] CaptionLayout captionLayout(CaptionVariant variant, int windowWidth,
                                          const CaptionMetrics& metrics) noexcept;

/// Whether a window paints its own caption on a screen of @p bitsPerPixel: not at 8 or less,
/// where the system's caption stays.
[[nodiscard]] constexpr bool drawsOwnCaption(int bitsPerPixel) noexcept {
    return bitsPerPixel > 8;
}

} // namespace vorlex::chrome
