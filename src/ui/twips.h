// Window layouts are measured in twips (1/1440 inch); at 96 dots per inch 15 twips make one
// pixel. Controls are placed from the twips of their design.
#pragma once

#include <QRect>

inline constexpr int kTwipsPerPixel = 15;

namespace Twips {

// Twips to whole pixels, rounded to the nearest pixel.
constexpr int toPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// A rectangle given in twips, in pixels.
inline QRect rect(int left, int top, int width, int height) {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

// A rectangle of a design, in twips.
struct Rect {
    int left;
    int top;
    int width;
    int height;
};

inline QRect rect(const Rect& twips) {
    return rect(twips.left, twips.top, twips.width, twips.height);
}

}  // namespace Twips
