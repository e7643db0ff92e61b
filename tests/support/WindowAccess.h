// Reading windows back and driving them as the user would: a control's kind,
// text, geometry in twips and font; keys and clicks posted to this thread's
// windows; the text and children of another process's windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace support {

std::string ClassOf(HWND window);
bool IsClass(HWND window, const char* windowClass); // ignoring case, as the system does
std::string TextOf(HWND window);
double ToTwips(long pixels, int dpi);
LOGFONTA FontOf(HWND control);
// The point size the layout gives, as a font height at the DPI.
long FontHeight(double points, int dpi);

// Posts a key press to the control that has the focus, as the keyboard would,
// and lets the window's loop handle it.
void PressKey(WPARAM key);
void PressAltF4();
// Posted, so that a modal window the click opens does not block the caller.
void Click(HWND button);
// Removes a WM_QUIT the window posted; true when there was one.
bool takeQuit();

// Text of a window, also of another process's: GetWindowText would not ask it.
std::string remoteText(HWND window);
std::vector<HWND> childrenOf(HWND parent);
HWND childWithText(HWND parent, const char* windowClass, const std::string& text);
// The text of a message box or a message window: its longest label.
std::string messageOf(HWND window);

// A 32-bit memory canvas, filled with a colour none of the pictures has.
constexpr std::uint32_t Unpainted = 0xFF00FF;

class Canvas {
public:
    Canvas(int width, int height)
        : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        original_ = SelectObject(dc_.get(), bitmap_.get());
        for (int i = 0; i < width * height; ++i)
            bits_[i] = Unpainted;
    }
    ~Canvas() { SelectObject(dc_.get(), original_); }

    HDC Dc() const { return dc_.get(); }
    RECT Whole() const { return {0, 0, width_, height_}; }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        std::vector<std::uint32_t> pixels(bits_, bits_ + width_ * height_);
        for (std::uint32_t& pixel : pixels)
            pixel &= 0xFFFFFF;
        return pixels;
    }

private:
    int width_;
    int height_;
    base::unique_hdc dc_;
    base::unique_hbitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    HGDIOBJ original_ = nullptr;
};

} // namespace support
