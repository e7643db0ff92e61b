// What the window tests share: reading a built control back (its kind, its
// geometry in twips, its font), answering a modal window from a timer of the
// window's own message loop, and a window shown for the length of a case.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/Form.h"
#include "ui/MessageLoop.h"

namespace testing_support {

// A control as the layout describes it, written out again here so that the
// tests check the built windows against the layout and not against the code's
// own tables.
struct Expected {
    ui::Name name;
    int index;
    const char* kind; // "panel", "label", "check box", "text box", "push button", "image"
    ui::Name container;
    const char* caption; // nullptr: not checked (panels, images)
    int left;
    int top;
    int width;
    int height;
    bool enabled;
};

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The kind a control is, read from its window class and style.
inline std::string KindOf(HWND control) {
    const std::string windowClass = ClassOf(control);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    if (windowClass == "QuillmerePanel")
        return (style & WS_BORDER) ? "panel" : "panel without border";
    if (windowClass == "QuillmereImage")
        return "image";
    if (lstrcmpiA(windowClass.c_str(), "Static") == 0)
        return "label";
    if (lstrcmpiA(windowClass.c_str(), "Edit") == 0)
        return (style & ES_MULTILINE) ? "multi-line text box" : "text box";
    if (lstrcmpiA(windowClass.c_str(), "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
            return "check box";
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return "push button";
        }
    }
    return "unknown " + windowClass;
}

inline std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The control's rectangle in its container's client coordinates, in pixels.
inline RECT RectInContainer(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline double ToTwips(long pixels, int dpi) {
    return pixels * 1440.0 / dpi;
}

// Geometry measured back from pixels, within one pixel's rounding.
inline void ExpectGeometry(HWND control, int left, int top, int width, int height, int dpi) {
    const RECT rect = RectInContainer(control);
    const double pixel = 1440.0 / dpi;
    EXPECT_NEAR(ToTwips(rect.left, dpi), left, pixel) << "Left";
    EXPECT_NEAR(ToTwips(rect.top, dpi), top, pixel) << "Top";
    EXPECT_NEAR(ToTwips(rect.right - rect.left, dpi), width, pixel) << "Width";
    EXPECT_NEAR(ToTwips(rect.bottom - rect.top, dpi), height, pixel) << "Height";
}

// Checks every row of the layout against the built form.
inline void ExpectLayout(ui::Form& form, const std::vector<Expected>& layout) {
    const int dpi = form.Dpi();
    for (const Expected& row : layout) {
        SCOPED_TRACE(std::string(row.name.text) + "(" + std::to_string(row.index) + ")");
        HWND control = form.Control(row.name, row.index).Hwnd();
        EXPECT_EQ(row.kind, KindOf(control));
        HWND container = row.container == form.Description().name
                             ? form.Hwnd()
                             : form.Control(row.container).Hwnd();
        EXPECT_EQ(container, GetParent(control)) << "container " << row.container.text;
        if (row.caption) {
            EXPECT_EQ(row.caption, TextOf(control));
        }
        ExpectGeometry(control, row.left, row.top, row.width, row.height, dpi);
        EXPECT_EQ(row.enabled, IsWindowEnabled(control) != FALSE) << "enabled";
        EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(form.Hwnd())) << "visible";
    }
}

inline LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

// The point size the layout gives, as a font height at the DPI.
inline long FontHeight(double points, int dpi) {
    return -static_cast<long>(points * dpi / 72.0 + 0.5);
}

// Runs an action once the form is shown, from a timer that the modal loop
// showing it dispatches: the test answers its own dialogs without sleeping.
// A form that never shows fails the test and is unloaded after ten seconds.
class WhenShown {
public:
    WhenShown(ui::Form& form, std::function<void(ui::Form&)> action)
        : form_(form), action_(std::move(action)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~WhenShown() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

    bool Ran() const { return ran_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhenShown* self = current_;
        if (!self || self->ran_)
            return;
        if (self->form_.IsLoaded() && IsWindowVisible(self->form_.Hwnd())) {
            self->ran_ = true;
            self->action_(self->form_);
        } else if (++self->ticks_ > 1000) {
            self->ran_ = true;
            ADD_FAILURE() << self->form_.Description().name.text << " was never shown";
            self->form_.Unload();
        }
    }

    ui::Form& form_;
    std::function<void(ui::Form&)> action_;
    UINT_PTR timer_ = 0;
    int ticks_ = 0;
    bool ran_ = false;
    static inline WhenShown* current_ = nullptr;
};

// Posts a key press to the control that has the focus, as the keyboard would,
// and lets the window's loop handle it.
inline void PressKey(WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

inline void PressAltF4() {
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
}

inline void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

// Removes a WM_QUIT the window posted; true when there was one.
inline bool takeQuit() {
    ::MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// A window shown for each case and unloaded after it. Closing the main
// window ends the program with a WM_QUIT; it must not end the next case's
// message loops.
template <typename Window>
class ShownWindow : public ::testing::Test {
protected:
    void SetUp() override {
        main.Show();
        ui::ProcessPendingMessages();
    }
    void TearDown() override {
        main.Unload();
        takeQuit();
    }

    Window main;
};

} // namespace testing_support
