// A Form's focus: the first tab stop, the default-button look that follows the
// focus, and the focus a window gets back when it is activated again. Tab,
// Enter and Esc are the system's dialog manager's (IsDialogMessage, run by the
// message loops), which follows the controls' z-order: BuildControls creates
// them in tab order.
#include "ui/Form.h"

namespace ui {

void Form::FocusFirst() {
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE))
        ::SetFocus(first);
}

HWND Form::KeyboardButton() const {
    for (const Built& built : built_) {
        if (built.row->state == State::KeyboardButton)
            return built.window;
    }
    return nullptr;
}

void Form::FrameDefaultButton(HWND button) {
    // One push button at a time wears the default frame: the one Enter presses.
    for (const Built& built : built_) {
        if (!IsPushButton(built.row->kind))
            continue;
        const bool framed =
            (GetWindowLongPtrA(built.window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (framed != (built.window == button))
            SendMessageA(built.window, BM_SETSTYLE, framed ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON,
                         TRUE);
    }
}

void Form::FrameFocusedButton() {
    // The dialog manager moves the frame itself on Tab, but not always so:
    // under Wine it takes it from every button when Tab reaches no button.
    const Built* focused = Find(GetFocus());
    FrameDefaultButton(focused && IsPushButton(focused->row->kind) ? focused->window
                                                                   : KeyboardButton());
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
