// Form1's geometry as it was designed: in twips, a unit independent of the screen. Everything is
// turned into pixels by TwipsToPixels alone, with the DPI the system reports at start.
#pragma once

#include <windows.h>

namespace hostline::window {

constexpr int kTwipsPerInch = 1440;

struct TwipsRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr int kClientWidthTwips = 5100;
constexpr int kClientHeightTwips = 1830;

inline int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerInch);
}

inline RECT ToPixels(const TwipsRect& twips, int dpi) {
    const int left = TwipsToPixels(twips.Left, dpi);
    const int top = TwipsToPixels(twips.Top, dpi);
    return {left, top, left + TwipsToPixels(twips.Width, dpi), top + TwipsToPixels(twips.Height, dpi)};
}

}  // namespace hostline::window
