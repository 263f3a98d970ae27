#pragma once

namespace manage {

// Sizes and positions the windows remember or lay out are kept in twips, the
// unit the add-in has always stored (1/1440 inch). A Qt logical pixel is
// 1/96 inch at the usual scale, and Qt already keeps logical pixels
// independent of the screen's dpi, so one pixel is always 15 twips.
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace manage
