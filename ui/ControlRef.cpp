#include "ui/ControlRef.h"

namespace ui {

std::string ControlRef::Caption() const {
    // Sized by resize, compiled once in the C++ library, rather than by a
    // constructor compiled here.
    std::string text;
    text.resize(static_cast<std::size_t>(GetWindowTextLengthA(window_)) + 1);
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void ControlRef::SetCaption(const std::string& caption) const {
    SetWindowTextA(window_, caption.c_str());
}

bool ControlRef::Fits(const std::string& text) const {
    RECT client{};
    GetClientRect(window_, &client);
    HDC dc = GetDC(window_);
    if (!dc)
        return true;
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return size.cx <= client.right;
}

void ControlRef::SetEnabled(bool enabled) const {
    EnableWindow(window_, enabled ? TRUE : FALSE);
}

int ControlRef::Value() const {
    return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void ControlRef::SetValue(int value) const {
    if (Value() == value)
        return;
    SendMessageA(window_, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    // A change made from code runs the check box's click handler, as the
    // user's click does; the system sends nothing for BM_SETCHECK.
    SendMessageA(GetAncestor(window_, GA_ROOT), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(window_), BN_CLICKED), reinterpret_cast<LPARAM>(window_));
}

void ControlRef::SetFocus() const {
    ::SetFocus(window_);
}

} // namespace ui
