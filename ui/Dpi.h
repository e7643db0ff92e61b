// Twips (1/1440 inch) to pixels at a window's DPI: the one conversion every
// layout goes through, so that a change of DPI only needs a new layout pass.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr int TwipsPerInch = 1440;

// The DPI the window is shown at: the per-window DPI where the system has it
// (Windows 10 1607 on), otherwise the screen's logical DPI.
int WindowDpi(HWND window);

// The screen's logical DPI (LOGPIXELSX of the screen DC).
int ScreenDpi();

// Rounded to the nearest pixel, as MulDiv rounds.
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

// A font height in points (hundredths, 825 for 8.25 pt) as a LOGFONT height.
int PointsToFontHeight(int hundredthsOfPoint, int dpi);

} // namespace ui
