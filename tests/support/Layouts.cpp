#include "Layouts.h"

#include <gtest/gtest.h>

#include <string>

#include "WindowAccess.h"

namespace support {

const std::vector<Expected> MainLayout{
    {mc::Picture3, -1, "panel", mc::MainForm, nullptr, 120, 120, 6255, 495, true},
    {mc::Image3, -1, "image", mc::Picture3, nullptr, 0, 0, 600, 480, true},
    {mc::Label4, -1, "label", mc::Picture3, "Change abability of Quillmere and it's programs", 840,
     120, 4455, 375, true},
    {mc::Picture1, -1, "panel", mc::MainForm, nullptr, 120, 720, 6255, 1335, true},
    {mc::Label2, -1, "label", mc::Picture1, "Backup  Utility", 240, 120, 3975, 255, true},
    {mc::UCh, 0, "check box", mc::Picture1, "Disable Backup Utility", 480, 480, 3375, 255, true},
    {mc::ULPr, 0, "label", mc::Picture1, "Program", 480, 840, 855, 375, true},
    {mc::Txt, 0, "text box", mc::Picture1, "Text1", 1320, 840, 3855, 330, true},
    {mc::UCmd, 0, "push button", mc::Picture1, "Browes", 5280, 840, 810, 330, true},
    {mc::Image4, -1, "image", mc::Picture1, nullptr, 5520, 120, 495, 495, true},
    {mc::ULSt, 0, "label", mc::Picture1, "", 3900, 480, 1560, 255, true},
    {mc::Picture2, -1, "panel", mc::MainForm, nullptr, 120, 2160, 6255, 1335, true},
    {mc::Label3, -1, "label", mc::Picture2, "Disk Cleanup Utility", 240, 120, 3975, 255, true},
    {mc::UCh, 1, "check box", mc::Picture2, "Disable Disk Cleanup", 480, 480, 3375, 255, true},
    {mc::ULPr, 1, "label", mc::Picture2, "Program", 480, 840, 855, 375, true},
    {mc::Txt, 1, "text box", mc::Picture2, "Text1", 1320, 840, 3855, 330, true},
    {mc::UCmd, 1, "push button", mc::Picture2, "Browes", 5280, 840, 855, 330, true},
    {mc::Image1, -1, "image", mc::Picture2, nullptr, 5520, 120, 495, 495, true},
    {mc::ULSt, 1, "label", mc::Picture2, "", 3900, 480, 1560, 255, true},
    {mc::Picture5, -1, "panel", mc::MainForm, nullptr, 120, 3600, 6255, 1335, true},
    {mc::Label1, -1, "label", mc::Picture5, "Disk Defragment Utility", 240, 120, 3975, 255, true},
    {mc::UCh, 2, "check box", mc::Picture5, "Disable Disk Defragmenter ", 480, 480, 3375, 255,
     true},
    {mc::ULPr, 2, "label", mc::Picture5, "Program", 480, 840, 855, 375, true},
    {mc::Txt, 2, "text box", mc::Picture5, "Text1", 1320, 840, 3855, 330, true},
    {mc::UCmd, 2, "push button", mc::Picture5, "Browes", 5280, 840, 855, 330, true},
    {mc::Image2, -1, "image", mc::Picture5, nullptr, 5520, 120, 495, 495, true},
    {mc::ULSt, 2, "label", mc::Picture5, "", 3900, 480, 1560, 255, true},
    {mc::UCmd, 5, "push button", mc::MainForm, "About", 120, 5040, 1095, 330, true},
    {mc::UCmd, 6, "push button", mc::MainForm, "OK", 2880, 5040, 1095, 330, true},
    {mc::UCmd, 3, "push button", mc::MainForm, "Default", 4080, 5040, 1095, 330, true},
    {mc::UCmd, 4, "push button", mc::MainForm, "Apply", 5280, 5040, 1095, 330, false},
};

const std::vector<Expected> AskLayout{
    {askc::Picture4, -1, "panel", askc::AskForm, nullptr, 120, 120, 5295, 1215, true},
    {askc::Label1, -1, "label", askc::Picture4, "You want to save the last changes of utilities ?",
     90, 240, 5115, 345, true},
    {askc::Command1, -1, "push button", askc::Picture4, "Yes", 1200, 720, 1095, 330, true},
    {askc::Command2, -1, "push button", askc::Picture4, "No", 3000, 720, 1095, 330, true},
};

const std::vector<Expected> MsgLayout{
    {msgc::Picture4, -1, "panel", msgc::MsgForm, nullptr, 120, 120, 4455, 1215, true},
    {msgc::Label1, -1, "label", msgc::Picture4, "Changes has been save successful", 120, 240, 4155,
     360, true},
    {msgc::Command1, -1, "push button", msgc::Picture4, "OK", 1680, 720, 1095, 330, true},
};

const std::vector<Expected> AboutLayout{
    {aboutc::Picture4, -1, "panel", aboutc::AboutForm, nullptr, 120, 120, 4815, 1335, true},
    {aboutc::Command1, -1, "push button", aboutc::Picture4, "Close", 3360, 840, 1095, 330, true},
    {aboutc::Image1, -1, "image", aboutc::Picture4, nullptr, 120, 480, 585, 480, true},
    {aboutc::Label2, -1, "label", aboutc::Picture4, "Quillmere, by the Quillmere team", 480, 120,
     3615, 240, true},
    {aboutc::Label3, -1, "label", aboutc::Picture4, "Lisbon, Portugal", 840, 840, 1665, 240, true},
    {aboutc::Label4, -1, "label", aboutc::Picture4, "quillmere@example.org", 1200, 480, 3045, 240,
     true},
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

void ExpectLayout(ui::Form& form, const std::vector<Expected>& layout) {
    SCOPED_TRACE("layout of " + std::string(form.Description().name.text));
    const int dpi = form.Dpi();
    const double pixel = 1440.0 / dpi;
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
        const RECT rect = RectInContainer(control);
        EXPECT_NEAR(ToTwips(rect.left, dpi), row.left, pixel) << "Left";
        EXPECT_NEAR(ToTwips(rect.top, dpi), row.top, pixel) << "Top";
        EXPECT_NEAR(ToTwips(rect.right - rect.left, dpi), row.width, pixel) << "Width";
        EXPECT_NEAR(ToTwips(rect.bottom - rect.top, dpi), row.height, pixel) << "Height";
        EXPECT_EQ(row.enabled, IsWindowEnabled(control) != FALSE) << "enabled";
        EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(form.Hwnd())) << "visible";
    }
}

void ExpectTitleFont(HWND control, double points, int dpi) {
    const LOGFONTA font = FontOf(control);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
    EXPECT_EQ(FW_BOLD, font.lfWeight);
    EXPECT_EQ(178, font.lfCharSet);
    EXPECT_EQ(FontHeight(points, dpi), font.lfHeight);
}

} // namespace support
