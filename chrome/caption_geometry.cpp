#include "chrome/caption_geometry.h"

#include <algorithm>

namespace vorlex::chrome {

std::array<Rgb, captionStripeCount> captionStripeColours(Rgb caption) noexcept {
    const double start[3] = {static_cast<double>(std::clamp(caption.red, 0, 255)),
                             static_cast<double>(std::clamp(caption.green, 0, 255)),
                             static_cast<double>(std::clamp(caption.blue, 0, 255))};
    const double strongest = std::max({start[0], start[1], start[2]});
    double step[3] = {0.0, 0.0, 0.0};
    if (strongest > 0.0) {
        // Steps in proportion keep the hue while the colour brightens.
        for (int c = 0; c < 3; ++c)
            step[c] = start[c] / strongest;
    }
    double running[3] = {start[0], start[1], start[2]};

    std::array<Rgb, captionStripeCount> stripes{};
    const int half = captionStripeCount / 2;
    for (int i = 0; i < captionStripeCount; ++i) {
        stripes[static_cast<std::size_t>(i)] =
            Rgb{static_cast<int>(running[0]), static_cast<int>(running[1]),
                static_cast<int>(running[2])};
        for (int c = 0; c < 3; ++c) {
            if (i < half)
                running[c] = std::min(running[c] + step[c], 255.0);
            else if (running[c] > start[c])
                running[c] = std::max(running[c] - step[c], 0.0);
        }
    }
    return stripes;
}

StripeSpan captionStripeSpan(int index, int areaWidth) noexcept {
    const double pitch = std::max(areaWidth, 0) * 0.00625;
    return StripeSpan{static_cast<int>(pitch * index), static_cast<int>(pitch) + 1};
}

CaptionMetrics captionMetricsFor(int captionFontHeight, int smallCaptionFontHeight) noexcept {
    CaptionMetrics m;
    // The title starts at edge + 1 + title top and must fit above the bar's last row.
    m.captionHeight = std::max(m.captionHeight, captionFontHeight + m.edgeY + 2);
    m.smallCaptionHeight = std::max(m.smallCaptionHeight, smallCaptionFontHeight + m.edgeY + 1);
    m.buttonWidth = m.captionHeight;
    return m;
}

CaptionLayout captionLayout(CaptionVariant variant, int windowWidth,
                            const CaptionMetrics& m) noexcept {
    CaptionLayout layout;
    const bool tool = variant == CaptionVariant::tool;
    const int captionHeight = tool ? m.smallCaptionHeight : m.captionHeight;
    int left = m.edgeX + 3;
    int right = windowWidth - 3;
    int titleTop = m.edgeY;
    switch (variant) {
    case CaptionVariant::main:
        left = m.smallIconWidth + m.edgeX + 3;
        right = windowWidth - 3 * (m.buttonWidth + 1);
        break;
    case CaptionVariant::dialog:
        right = windowWidth - m.buttonWidth - 4;
        break;
    case CaptionVariant::tool:
        titleTop = m.edgeY - 1;
        break;
    }
    const int top = m.edgeY + 1;
    layout.painted = Box{left, top, std::max(0, right - left), captionHeight + 2 - top};
    layout.smallFont = tool;
    // One row below the painted area, as the frame's line under a caption.
    layout.barHeight = captionHeight + 3;

    const int buttonWidth = (tool ? captionHeight : m.buttonWidth) - 2;
    const int buttonHeight = captionHeight - 4;
    const int buttonTop = top + (layout.painted.height - buttonHeight) / 2;
    layout.closeButton =
        Box{windowWidth - m.edgeX - 1 - buttonWidth, buttonTop, buttonWidth, buttonHeight};
    if (variant == CaptionVariant::main)
        layout.minimiseButton =
            Box{layout.closeButton.x - 2 - buttonWidth, buttonTop, buttonWidth, buttonHeight};

    // The title is cut at the painted area's right end, and never runs under a button.
    const int titleLeft = left + 2;
    const int titleRight = std::min(left + layout.painted.width, layout.closeButton.x - 2);
    layout.title = Box{titleLeft, top + titleTop, std::max(0, titleRight - titleLeft),
                       std::max(0, layout.painted.height - titleTop)};
    return layout;
}

} // namespace vorlex::chrome
