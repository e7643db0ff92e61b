#include "WindowAccess.h"

namespace support {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsClass(HWND window, const char* windowClass) {
    return lstrcmpiA(ClassOf(window).c_str(), windowClass) == 0;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

double ToTwips(long pixels, int dpi) {
    return pixels * 1440.0 / dpi;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

long FontHeight(double points, int dpi) {
    return -static_cast<long>(points * dpi / 72.0 + 0.5);
}

void PressKey(WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void PressAltF4() {
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

bool takeQuit() {
    ::MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

std::string remoteText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "(no answer)";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND childWithText(HWND parent, const char* windowClass, const std::string& text) {
    for (HWND child : childrenOf(parent))
        if (IsClass(child, windowClass) && remoteText(child) == text)
            return child;
    return nullptr;
}

std::string messageOf(HWND window) {
    std::string message;
    for (HWND child : childrenOf(window)) {
        if (!IsClass(child, "Static"))
            continue;
        std::string text = remoteText(child);
        if (text.size() > message.size())
            message = text;
    }
    return message;
}

} // namespace support
