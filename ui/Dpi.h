// Twips (1/1440 inch) to pixels at a window's DPI: the one conversion every
// layout goes through, so that a change of DPI only needs a new layout pass;
// and the fonts the layouts use, made for a DPI.
#pragma once

#include <windows.h>

#include "base/Handles.h"

namespace ui {

inline constexpr int TwipsPerInch = 1440;

// The DPI the window is shown at: the per-window DPI where the system has it
// (Windows 10 1607 on), otherwise the screen's logical DPI.
int WindowDpi(HWND window);

// The screen's logical DPI (LOGPIXELSX of the screen DC).
int ScreenDpi();

// Rounded to the nearest pixel, as MulDiv rounds.
int TwipsToPixels(int twips, int dpi);
// Defined here: only the tests convert back, and an inline function is
// compiled only into what uses it.
inline int PixelsToTwips(int pixels, int dpi) {
    return MulDiv(pixels, TwipsPerInch, dpi);
}

// A font height in points (hundredths, 825 for 8.25 pt) as a LOGFONT height.
inline int PointsToFontHeight(int hundredthsOfPoint, int dpi) {
    return -MulDiv(hundredthsOfPoint, dpi, 72 * 100);
}

// The platform's dialog font (the message font of the non-client metrics) at
// regular weight, for controls that name no font of their own.
base::unique_hfont CreateDefaultFont(int dpi);

// "MS Sans Serif", bold, Arabic character set: the title strip's and panel
// titles' font at 8.25 pt (825), the dialogs' labels' at 9.75 pt (975).
base::unique_hfont CreateBoldSansSerif(int hundredthsOfPoint, int dpi);

} // namespace ui
