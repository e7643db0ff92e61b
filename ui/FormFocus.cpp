// A Form's keyboard and focus handling: the tab order across panels, Tab and
// Shift+Tab, Enter and Esc, the default-button look that follows the focus,
// and the focus a window gets back when it is activated again.
#include "ui/Form.h"

#include <algorithm>

namespace ui {

std::vector<HWND> Form::TabStops() const {
    std::vector<const Built*> stops;
    for (const Built& built : built_) {
        if (!TakesFocus(built.row->kind) || built.row->tab == NoTab)
            continue;
        bool usable = IsWindowVisible(built.window) != FALSE;
        // A control inside a disabled panel cannot take the focus either.
        for (HWND window = built.window; usable && window && window != window_;
             window = GetParent(window))
            usable = IsWindowEnabled(window) != FALSE;
        if (usable)
            stops.push_back(&built);
    }
    // By tab index, equal ones in table order: an insertion sort keeps that
    // order, in less code than a general stable sort, for a window's few stops.
    const auto byTab = [](const Built* a, const Built* b) { return a->row->tab < b->row->tab; };
    for (auto stop = stops.begin(); stop != stops.end(); ++stop)
        std::rotate(std::upper_bound(stops.begin(), stop, *stop, byTab), stop, stop + 1);
    std::vector<HWND> windows;
    for (const Built* stop : stops)
        windows.push_back(stop->window);
    return windows;
}

void Form::MoveFocus(int direction) {
    const std::vector<HWND> stops = TabStops();
    if (stops.empty())
        return;
    HWND focus = GetFocus();
    auto current = std::find_if(stops.begin(), stops.end(), [focus](HWND stop) {
        return stop == focus || IsChild(stop, focus);
    });
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t next;
    if (current == stops.end())
        next = direction > 0 ? 0 : count - 1;
    else
        next = ((current - stops.begin()) + (direction > 0 ? 1 : count - 1)) % count;
    HWND target = stops[static_cast<std::size_t>(next)];
    ::SetFocus(target);
    const Built* built = Find(target);
    if (built && built->row->kind == Kind::TextBox)
        SendMessageA(target, EM_SETSEL, 0, -1);
}

void Form::FocusFirst() {
    const std::vector<HWND> stops = TabStops();
    if (!stops.empty())
        ::SetFocus(stops.front());
}

HWND Form::KeyboardButton() const {
    for (const Built& built : built_) {
        if (built.row->state == State::KeyboardButton)
            return built.window;
    }
    return nullptr;
}

bool Form::HandleKey(const ::MSG& message) {
    if (!window_ || message.message != WM_KEYDOWN)
        return false;
    switch (message.wParam) {
    case VK_TAB: {
        if (GetKeyState(VK_CONTROL) < 0)
            return false;
        MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : +1);
        // Keyboard use shows the focus rectangle from now on.
        SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    }
    case VK_RETURN: {
        // The marked button is the window's default button: Enter presses the
        // focused push button, or the marked one when the focus is elsewhere.
        const Built* focused = Find(GetFocus());
        HWND button =
            focused && IsPushButton(focused->row->kind) ? focused->window : KeyboardButton();
        // Notified the way the system's dialogs do it: the focus stays where it
        // is, unlike a click.
        if (button && IsWindowEnabled(button) && IsWindowVisible(button))
            SendMessageA(GetParent(button), WM_COMMAND,
                         MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        return true;
    }
    case VK_ESCAPE:
        // Esc closes a dialog the way its close box does; the main window
        // has no cancel button, so Esc does nothing there.
        if (description_.frame == Frame::FixedDialog)
            PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    return false;
}

void Form::SetButtonDefault(HWND button, bool isDefault) {
    SendMessageA(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Form::OnButtonFocus(const Built& button, bool gotFocus) {
    // As in the system's dialogs, a focused push button is the one Enter
    // presses and wears the default frame; otherwise the marked button does.
    HWND keyboardButton = KeyboardButton();
    if (gotFocus) {
        if (keyboardButton && keyboardButton != button.window)
            SetButtonDefault(keyboardButton, false);
        SetButtonDefault(button.window, true);
    } else {
        if (button.window != keyboardButton)
            SetButtonDefault(button.window, false);
        if (keyboardButton)
            SetButtonDefault(keyboardButton, true);
    }
}

void Form::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus))
            lastFocus_ = focus;
        return;
    }
    if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_))
        ::SetFocus(lastFocus_);
    else
        FocusFirst();
}

} // namespace ui
