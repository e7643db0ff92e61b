#include "support/Layouts.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Windows.h"

namespace support {

const std::vector<Expected> MainLayout{
    {"Picture3", -1, "panel", "Main", nullptr, 120, 120, 6255, 495, true},
    {"Image3", -1, "image", "Picture3", nullptr, 0, 0, 600, 480, true},
    {"Label4", -1, "label", "Picture3", "Change abability of Quillmere and it's programs", 840, 120,
     4455, 375, true},
    {"Picture1", -1, "panel", "Main", nullptr, 120, 720, 6255, 1335, true},
    {"Label2", -1, "label", "Picture1", "Backup  Utility", 240, 120, 3975, 255, true},
    {"UCh", 0, "check box", "Picture1", "Disable Backup Utility", 480, 480, 3375, 255, true},
    {"ULPr", 0, "label", "Picture1", "Program", 480, 840, 855, 375, true},
    {"Txt", 0, "text box", "Picture1", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 0, "push button", "Picture1", "Browes", 5280, 840, 810, 330, true},
    {"Image4", -1, "image", "Picture1", nullptr, 5520, 120, 495, 495, true},
    {"Picture2", -1, "panel", "Main", nullptr, 120, 2160, 6255, 1335, true},
    {"Label3", -1, "label", "Picture2", "Disk Cleanup Utility", 240, 120, 3975, 255, true},
    {"UCh", 1, "check box", "Picture2", "Disable Disk Cleanup", 480, 480, 3375, 255, true},
    {"ULPr", 1, "label", "Picture2", "Program", 480, 840, 855, 375, true},
    {"Txt", 1, "text box", "Picture2", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 1, "push button", "Picture2", "Browes", 5280, 840, 855, 330, true},
    {"Image1", -1, "image", "Picture2", nullptr, 5520, 120, 495, 495, true},
    {"Picture5", -1, "panel", "Main", nullptr, 120, 3600, 6255, 1335, true},
    {"Label1", -1, "label", "Picture5", "Disk Defragment Utility", 240, 120, 3975, 255, true},
    {"UCh", 2, "check box", "Picture5", "Disable Disk Defragmenter ", 480, 480, 3375, 255, true},
    {"ULPr", 2, "label", "Picture5", "Program", 480, 840, 855, 375, true},
    {"Txt", 2, "text box", "Picture5", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 2, "push button", "Picture5", "Browes", 5280, 840, 855, 330, true},
    {"Image2", -1, "image", "Picture5", nullptr, 5520, 120, 495, 495, true},
    {"UCmd", 5, "push button", "Main", "About", 120, 5040, 1095, 330, true},
    {"UCmd", 6, "push button", "Main", "OK", 2880, 5040, 1095, 330, true},
    {"UCmd", 3, "push button", "Main", "Default", 4080, 5040, 1095, 330, true},
    {"UCmd", 4, "push button", "Main", "Apply", 5280, 5040, 1095, 330, false},
};
const std::vector<Expected> AskLayout{
    {"Picture4", -1, "panel", "Ask", nullptr, 120, 120, 5295, 1215, true},
    {"Label1", -1, "label", "Picture4", "You want to save the last changes of utilities ?", 90, 240,
     5115, 345, true},
    {"Command1", -1, "push button", "Picture4", "Yes", 1200, 720, 1095, 330, true},
    {"Command2", -1, "push button", "Picture4", "No", 3000, 720, 1095, 330, true},
};
const std::vector<Expected> MsgLayout{
    {"Picture4", -1, "panel", "MSG", nullptr, 120, 120, 4455, 1215, true},
    {"Label1", -1, "label", "Picture4", "Changes has been save successful", 120, 240, 4155, 360,
     true},
    {"Command1", -1, "push button", "Picture4", "OK", 1680, 720, 1095, 330, true},
};
const std::vector<Expected> AboutLayout{
    {"Picture4", -1, "panel", "About", nullptr, 120, 120, 4815, 1335, true},
    {"Command1", -1, "push button", "Picture4", "Close", 3360, 840, 1095, 330, true},
    {"Image1", -1, "image", "Picture4", nullptr, 120, 480, 585, 480, true},
    {"Label2", -1, "label", "Picture4", "Quillmere, by the Quillmere team", 480, 120, 3615, 240,
     true},
    {"Label3", -1, "label", "Picture4", "Lisbon, Portugal", 840, 840, 1665, 240, true},
    {"Label4", -1, "label", "Picture4", "quillmere@example.org", 1200, 480, 3045, 240, true},
};

namespace {

std::string KindOf(HWND control) {
    const std::string windowClass = ClassOf(control);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    if (windowClass == "QuillmerePanel")
        return (style & WS_BORDER) ? "panel" : "panel without border";
    if (windowClass == "QuillmereImage")
        return "image";
    if (IsClass(control, "Static"))
        return "label";
    if (IsClass(control, "Edit"))
        return (style & ES_MULTILINE) ? "multi-line text box" : "text box";
    if (IsClass(control, "Button")) {
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

RECT RectInContainer(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void ExpectLayout(ui::Form& form, const std::vector<Expected>& layout,
                  std::source_location caller) {
    const ::testing::ScopedTrace called(caller.file_name(), static_cast<int>(caller.line()),
                                        "layout of " + std::string(form.Description().name));
    const int dpi = form.Dpi();
    const double pixel = 1440.0 / dpi;
    for (const Expected& row : layout) {
        SCOPED_TRACE(std::string(row.name) + "(" + std::to_string(row.index) + ")");
        HWND control = form.Control(row.name, row.index).Hwnd();
        EXPECT_EQ(row.kind, KindOf(control));
        HWND container = std::string(row.container) == form.Description().name
                             ? form.Hwnd()
                             : form.Control(row.container).Hwnd();
        EXPECT_EQ(container, GetParent(control)) << "container " << row.container;
        if (row.caption) {
            EXPECT_EQ(row.caption, TextOf(control));
        }
        const RECT rect = RectInContainer(control);
        EXPECT_NEAR(ToTwips(rect.left, dpi), row.left, pixel) << "Left";
        EXPECT_NEAR(ToTwips(rect.top, dpi), row.top, pixel) << "Top";
        EXPECT_NEAR(ToTwips(rect.right - rect.left, dpi), row.width, pixel) << "Width";
        EXPECT_NEAR(ToTwips(rect.bottom - rect.top, dpi), row.height, pixel) << "Height";
        EXPECT_EQ(row.enabled, IsWindowEnabled(control) != FALSE) << "enabled";
        EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(form.Hwnd())) << "visible";
    }
}

} // namespace support
