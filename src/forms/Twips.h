#pragma once

#include <QRect>
#include <QWidget>

// Screen designs are measured in twips: 1/1440 inch, 15 to a pixel at 96 dpi.
namespace forms {

inline constexpr int TwipsPerPixel = 15;

// Nearest whole pixel; a design value such as 3965 twips (264.33 px) lands on 264.
constexpr int toPixels(int twips) {
    return twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel
                      : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel);
}

constexpr QRect pixelRect(int left, int top, int width, int height) {
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

// Places a control at a rectangle given in twips.
inline void placeTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(pixelRect(left, top, width, height));
}

} // namespace forms
