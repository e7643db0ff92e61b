// A built control, addressed through its Form by name (and index): what the
// handlers and tests read and change. Valid while the Form's window exists.
#pragma once

#include <windows.h>

#include <string>

#include "ui/ControlRow.h"

namespace ui {

class ControlRef {
public:
    ControlRef(HWND window, const ControlRow& row) : window_(window), row_(&row) {}

    HWND Hwnd() const { return window_; }
    const ControlRow& Row() const { return *row_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption) const;
    // Whether the text fits on one line of the control in its own font.
    bool Fits(const std::string& text) const;
    // Defined here: only the tests ask, and an inline function is compiled
    // only into what uses it.
    bool Enabled() const { return IsWindowEnabled(window_) != FALSE; }
    void SetEnabled(bool enabled) const;
    bool Visible() const { return IsWindowVisible(window_) != FALSE; }
    // Check boxes: 0 cleared, 1 ticked. Changing the value runs the click
    // handler, as a click does.
    int Value() const;
    void SetValue(int value) const;
    void SetFocus() const;

private:
    HWND window_;
    const ControlRow* row_;
};

} // namespace ui
