#include "ui/Widgets.h"

#include <cstring>
#include <exception>

#include "base/Handles.h"
#include "ui/Accessibility.h"
#include "ui/FatalError.h"

namespace ui {

HBRUSH WindowBrush() {
    static const base::unique_hbrush brush(CreateSolidBrush(WindowColour));
    return brush.get();
}

HBRUSH PanelBrush() {
    static const base::unique_hbrush brush(CreateSolidBrush(PanelColour));
    return brush.get();
}

LRESULT FillBackground(HWND window, HDC dc, HBRUSH brush) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
    return 1;
}

namespace {

// Kept in the label's user data, which the system's label class leaves to
// the program; the second mark also says that screen readers have been told
// that the label is a live region.
constexpr LONG_PTR StatusMark = 0x5354;
constexpr LONG_PTR LiveStatusMark = 0x5355;

bool IsStatus(HWND label) {
    const LONG_PTR mark = GetWindowLongPtrA(label, GWLP_USERDATA);
    return mark == StatusMark || mark == LiveStatusMark;
}

bool HighContrast() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

} // namespace

void MarkAsStatus(HWND label) {
    SetWindowLongPtrA(label, GWLP_USERDATA, StatusMark);
}

void AnnounceStatus(HWND label) {
    if (!IsWindowVisible(label))
        return;
    // Marked on its first news rather than when built: the services that
    // mark it are not worth loading at every start.
    if (GetWindowLongPtrA(label, GWLP_USERDATA) == StatusMark) {
        MakePoliteLiveRegion(label);
        SetWindowLongPtrA(label, GWLP_USERDATA, LiveStatusMark);
    }
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, label, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT ControlColours(HWND control, HDC dc, COLORREF background, HBRUSH brush) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Edit") == 0)
        return 0;
    if (IsStatus(control)) {
        if (HighContrast()) {
            // The system's own pair, so the text is as legible as any other.
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        SetBkMode(dc, TRANSPARENT);
        SetBkColor(dc, background);
        SetTextColor(dc, StatusColour);
        return reinterpret_cast<LRESULT>(brush);
    }
    // Labels are transparent: their background is the container's colour,
    // with nothing else behind them to show through.
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, background);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(brush);
}

namespace {

LRESULT PanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return FillBackground(panel, reinterpret_cast<HDC>(wParam), PanelBrush());
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (LRESULT brush =
                ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam),
                               PanelColour, PanelBrush()))
            return brush;
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
        // A panel only contains: the window that owns the controls' handlers
        // is the top-level one, however deep the control sits.
        return SendMessageA(GetAncestor(panel, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}

LRESULT ImageMessage(HWND image, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(image, &paint);
        RECT client;
        GetClientRect(image, &client);
        if (const BITMAPINFO* picture = ImagePicture(image)) {
            // The pictures are opaque: nothing is drawn beneath them.
            DrawPicture(dc, picture, client);
        } else {
            // A missing picture leaves the container's colour, as around its
            // labels.
            auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(image), WM_CTLCOLORSTATIC,
                                                               reinterpret_cast<WPARAM>(dc),
                                                               reinterpret_cast<LPARAM>(image)));
            FillRect(dc, &client, brush ? brush : PanelBrush());
        }
        EndPaint(image, &paint);
        return 0;
    }
    }
    return DefWindowProcA(image, message, wParam, lParam);
}

template <LRESULT (*handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return handle(window, message, wParam, lParam);
    } catch (...) {
        FailFast(std::current_exception());
    }
}

void Register(HINSTANCE instance, const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

} // namespace

void RegisterWidgetClasses(HINSTANCE instance) {
    static bool registered = false;
    if (registered)
        return;
    Register(instance, PanelClass, Procedure<PanelMessage>);
    Register(instance, ImageClass, Procedure<ImageMessage>);
    registered = true;
}

const BITMAPINFO* FindPicture(HMODULE module, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_BITMAP);
    return resource ? static_cast<const BITMAPINFO*>(LockResource(LoadResource(module, resource)))
                    : nullptr;
}

void SetImagePicture(HWND image, const BITMAPINFO* picture) {
    SetWindowLongPtrA(image, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
    InvalidateRect(image, nullptr, TRUE);
}

const BITMAPINFO* ImagePicture(HWND image) {
    return reinterpret_cast<const BITMAPINFO*>(GetWindowLongPtrA(image, GWLP_USERDATA));
}

void DrawPicture(HDC dc, const BITMAPINFO* picture, const RECT& target) {
    if (!picture)
        return;
    const BITMAPINFOHEADER& header = picture->bmiHeader;
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;
    if (width < header.biWidth || height < header.biHeight) {
        // Averaging rather than dropping rows and columns; the mode wants the
        // brush origin set after it.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    // The pixels follow the palette, whose size 0 means all the bit depth allows.
    const DWORD colours = header.biClrUsed         ? header.biClrUsed
                          : header.biBitCount <= 8 ? 1u << header.biBitCount
                                                   : 0;
    StretchDIBits(dc, target.left, target.top, width, height, 0, 0, header.biWidth, header.biHeight,
                  reinterpret_cast<const BYTE*>(picture) + header.biSize +
                      colours * sizeof(RGBQUAD),
                  picture, DIB_RGB_COLORS, SRCCOPY);
}

} // namespace ui
