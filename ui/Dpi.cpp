#include "ui/Dpi.h"

#include <string_view>

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

base::unique_hfont CreateDefaultFont(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const ForDpi systemParametersInfoForDpi =
        base::SystemFunction<ForDpi>("user32.dll", "SystemParametersInfoForDpi");

    // The platform's dialog font is the message font of the non-client
    // metrics. The per-DPI query exists only in its wide form.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (systemParametersInfoForDpi &&
        systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                   static_cast<UINT>(dpi))) {
        font = metrics.lfMessageFont;
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    }
    font.lfWeight = FW_NORMAL;
    return base::unique_hfont(CreateFontIndirectW(&font));
}

base::unique_hfont CreateBoldSansSerif(int hundredthsOfPoint, int dpi) {
    LOGFONTA font{};
    font.lfHeight = PointsToFontHeight(hundredthsOfPoint, dpi);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = ARABIC_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::string_view("MS Sans Serif").copy(font.lfFaceName, LF_FACESIZE - 1);
    return base::unique_hfont(CreateFontIndirectA(&font));
}

} // namespace ui
