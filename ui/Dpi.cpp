#include "ui/Dpi.h"

#include "base/SystemFunction.h"

namespace ui {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    // Looked up at run time: the program also runs on systems older than the
    // per-monitor DPI functions.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        base::SystemFunction<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window) {
        UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, TwipsPerInch);
}

int PixelsToTwips(int pixels, int dpi) {
    return MulDiv(pixels, TwipsPerInch, dpi);
}

int PointsToFontHeight(int hundredthsOfPoint, int dpi) {
    return -MulDiv(hundredthsOfPoint, dpi, 72 * 100);
}

} // namespace ui
