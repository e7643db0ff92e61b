// The main window as built: every control of its layout, its frame, size,
// position, colours, fonts, pictures, tab order, keyboard, what screen readers
// are told, and the dispatch of control notifications to the group handlers.
#include <gtest/gtest.h>

#include <cstdint>
// Before <oleacc.h>, so that IID_IAccessible is this program's own.
#include <initguid.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <vector>

#include "app/Main.h"
#include "base/Handles.h"
#include "dialogs/About.h"
#include "support/Answers.h"
#include "support/Layouts.h"
#include "support/MainWindow.h"
#include "support/Text.h"
#include "support/WindowAccess.h"
#include "ui/MessageLoop.h"
#include "ui/Widgets.h"

using namespace support;

namespace {

// Records which group handler ran with which index, and nothing else: the
// OK button then leaves the window open.
class RecordingMain : public AsCreatedMain {
public:
    std::vector<std::string> calls;

protected:
    void OnTxtChange(int index) override { calls.push_back("Txt " + std::to_string(index)); }
    void OnUChClick(int index) override { calls.push_back("UCh " + std::to_string(index)); }
    void OnUCmdClick(int index) override { calls.push_back("UCmd " + std::to_string(index)); }
    void OnUCmdLostFocus(int index) override {
        calls.push_back("UCmd lost focus " + std::to_string(index));
    }
};

using MainWindow = ShownMainWindowTest<AsCreatedMain>;
using MainWindowHandlers = ShownMainWindowTest<RecordingMain>;

// The control that has the focus, as (name, index) of the layout.
std::string Focused(app::Main& main) {
    for (const Expected& row : MainLayout) {
        if (main.Control(row.name, row.index).Hwnd() == GetFocus())
            return std::string(row.name.text) + " " + std::to_string(row.index);
    }
    return "(none)";
}

COLORREF ErasedColour(HWND window) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    COLORREF colour = GetPixel(memory, 4, 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The background a control is given by its container, and whether its text
// is drawn transparently over it.
struct Background {
    COLORREF colour = CLR_INVALID;
    bool transparent = false;
    COLORREF text = CLR_INVALID;
};

Background BackgroundOf(HWND control) {
    HDC dc = GetDC(control);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(control), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    Background background;
    background.transparent = GetBkMode(dc) == TRANSPARENT;
    background.text = GetTextColor(dc);
    ReleaseDC(control, dc);
    LOGBRUSH logBrush{};
    if (brush && GetObjectA(brush, sizeof logBrush, &logBrush))
        background.colour = logBrush.lbColor;
    return background;
}

// 0xRRGGBB pixels, top row first, of a device context's rectangle.
std::vector<std::uint32_t> PixelsOf(HDC dc, const RECT& area) {
    const Canvas canvas(area.right - area.left, area.bottom - area.top);
    BitBlt(canvas.Dc(), 0, 0, area.right - area.left, area.bottom - area.top, dc, area.left,
           area.top, SRCCOPY);
    return canvas.Pixels();
}

// What a control shows where it is visible, and that part of its rectangle.
std::vector<std::uint32_t> ShownPixels(HWND control, RECT& visible) {
    UpdateWindow(GetAncestor(control, GA_ROOT));
    HDC dc = GetDC(control);
    GetClipBox(dc, &visible);
    std::vector<std::uint32_t> pixels = PixelsOf(dc, visible);
    ReleaseDC(control, dc);
    return pixels;
}

// The picture drawn to the rectangle, clipped as it is on the screen: under
// Wine the averaging of a picture drawn smaller depends on the clipping.
std::vector<std::uint32_t> DrawnPixels(const BITMAPINFO* picture, const RECT& area,
                                       const RECT& visible) {
    HDC screen = GetDC(nullptr);
    base::unique_hdc memory(CreateCompatibleDC(screen));
    base::unique_hbitmap canvas(CreateCompatibleBitmap(screen, area.right, area.bottom));
    ReleaseDC(nullptr, screen);
    const HGDIOBJ original = SelectObject(memory.get(), canvas.get());
    IntersectClipRect(memory.get(), visible.left, visible.top, visible.right, visible.bottom);
    ui::DrawPicture(memory.get(), picture, area);
    std::vector<std::uint32_t> pixels = PixelsOf(memory.get(), visible);
    SelectObject(memory.get(), original);
    return pixels;
}

// What a screen reader in this process is told about a control: its name, or
// why there is none, and its role.
struct Accessible {
    std::string name;
    long role = 0;
};

// As the control answers a screen reader, or as the system's own object for
// it (`standard`) would.
Accessible AccessibleOf(HWND control, bool standard = false) {
    Microsoft::WRL::ComPtr<IAccessible> object;
    void** put = reinterpret_cast<void**>(object.GetAddressOf());
    if (FAILED(standard ? CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible, put)
                        : AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                                     IID_IAccessible, put)))
        return {"(no object)"};
    // A client may ask for another interface and back: the name must survive.
    Microsoft::WRL::ComPtr<IOleWindow> window;
    if (SUCCEEDED(object.As(&window)))
        window.As(&object);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    base::unique_bstr name;
    base::unique_variant role;
    Accessible result;
    result.name = SUCCEEDED(object->get_accName(self, name.put())) && name
                      ? utf8(std::wstring(name.get(), SysStringLen(name.get())))
                      : "(no name)";
    if (SUCCEEDED(object->get_accRole(self, role.get())) && role->vt == VT_I4)
        result.role = role->lVal;
    return result;
}

// The live-region events this thread raises, each with the text its window
// had when the event came: a hook in context runs inside NotifyWinEvent.
struct LiveRegionEvent {
    HWND window;
    LONG object;
    LONG child;
    std::string text;
};
std::vector<LiveRegionEvent> liveRegionEvents;

void CALLBACK RecordLiveRegionEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                                    DWORD, DWORD) {
    liveRegionEvents.push_back({window, object, child, TextOf(window)});
}

} // namespace

TEST_F(MainWindow, EveryControlMatchesTheLayout) {
    EXPECT_EQ(31u + 3u, main.Table().size())
        << "one row per control of the layout, and a hidden name for each text box";
    EXPECT_LAYOUT(main, MainLayout);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(0, main.UCh(row).Value()) << "UCh(" << row << ") starts cleared";
}

TEST_F(MainWindow, GroupsAreAddressedByIndexWhateverTheirPanel) {
    EXPECT_EQ(main.Control(mc::Picture1).Hwnd(), GetParent(main.UCh(0).Hwnd()));
    EXPECT_EQ(main.Control(mc::Picture2).Hwnd(), GetParent(main.Txt(1).Hwnd()));
    EXPECT_EQ(main.Control(mc::Picture5).Hwnd(), GetParent(main.ULPr(2).Hwnd()));
    EXPECT_EQ("Apply", main.UCmd(mc::ApplyButton).Caption());
    EXPECT_THROW(main.Control(mc::UCmd, 7), std::out_of_range);
    EXPECT_THROW(main.Control(ui::Name{"Cmd"}), std::out_of_range)
        << "the open-file dialog has no window";
}

TEST_F(MainWindow, FrameIsSizableWithMinimiseOnlyAndShownInTheTaskbar) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(main.Hwnd(), GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(main.Hwnd(), GWL_EXSTYLE));
    EXPECT_EQ("Quillmere", TextOf(main.Hwnd()));
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ(static_cast<DWORD>(WS_CAPTION), style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(nullptr, GetWindow(main.Hwnd(), GW_OWNER));
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(GetClassLongPtrA(main.Hwnd(), GCLP_HICON)));
    EXPECT_EQ(main.Hwnd(), ui::ApplicationWindow());
}

TEST_F(MainWindow, OuterSizeIsFixedInTwipsAndTheWindowIsCentredOnTheScreen) {
    RECT window;
    GetWindowRect(main.Hwnd(), &window);
    const int dpi = main.Dpi();
    EXPECT_NEAR(ToTwips(window.right - window.left, dpi), 6615, 1440.0 / dpi);
    EXPECT_NEAR(ToTwips(window.bottom - window.top, dpi), 5970, 1440.0 / dpi);
    RECT client;
    GetClientRect(main.Hwnd(), &client);
    // Frame metrics differ between systems; the width is the reliable part.
    EXPECT_NEAR(ToTwips(client.right, dpi), 6495, 2 * 1440.0 / dpi);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(main.Hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR((window.left + window.right) / 2.0,
                (monitor.rcWork.left + monitor.rcWork.right) / 2.0, 1.0);
    EXPECT_NEAR((window.top + window.bottom) / 2.0,
                (monitor.rcWork.top + monitor.rcWork.bottom) / 2.0, 1.0);
}

TEST_F(MainWindow, PanelsAndWindowHaveTheirColoursAndLabelsAreTransparent) {
    EXPECT_EQ(RGB(237, 242, 255), ErasedColour(main.Hwnd()));
    for (ui::Name panel : {mc::Picture1, mc::Picture2, mc::Picture3, mc::Picture5})
        EXPECT_EQ(RGB(175, 211, 249), ErasedColour(main.Control(panel).Hwnd())) << panel.text;
    for (HWND control :
         {main.ULPr(0).Hwnd(), main.Control(mc::Label4).Hwnd(), main.UCh(2).Hwnd()}) {
        const Background background = BackgroundOf(control);
        EXPECT_EQ(RGB(175, 211, 249), background.colour) << TextOf(control);
        EXPECT_TRUE(background.transparent) << TextOf(control);
    }
    // A row's program status stands out in dark red on its panel.
    const Background status = BackgroundOf(main.ULSt(1).Hwnd());
    EXPECT_EQ(RGB(175, 211, 249), status.colour);
    EXPECT_TRUE(status.transparent);
    EXPECT_EQ(RGB(139, 0, 0), status.text);
    // A disabled text box asks too; it keeps the system's colours.
    main.Txt(1).SetEnabled(false);
    const Background textBox = BackgroundOf(main.Txt(1).Hwnd());
    EXPECT_NE(RGB(175, 211, 249), textBox.colour);
    EXPECT_FALSE(textBox.transparent);
}

TEST_F(MainWindow, TitlesUseBoldSansSerifAndEverythingElseTheDefaultFont) {
    const int dpi = main.Dpi();
    for (ui::Name title : {mc::Label4, mc::Label2, mc::Label3, mc::Label1}) {
        SCOPED_TRACE(title.text);
        ExpectTitleFont(main.Control(title).Hwnd(), 8.25, dpi);
    }
    const LOGFONTA standard = FontOf(main.UCh(0).Hwnd());
    EXPECT_EQ(FW_NORMAL, standard.lfWeight);
    EXPECT_STRNE("", standard.lfFaceName);
    for (HWND control : {main.Txt(1).Hwnd(), main.ULPr(2).Hwnd(), main.UCmd(mc::OkButton).Hwnd()}) {
        const LOGFONTA font = FontOf(control);
        EXPECT_STREQ(standard.lfFaceName, font.lfFaceName);
        EXPECT_EQ(standard.lfHeight, font.lfHeight);
    }
}

TEST_F(MainWindow, ImagesHoldTheirPictures) {
    struct Picture {
        ui::Name image;
        long width, height;
    };
    for (const Picture& expected : {Picture{mc::Image3, 62, 62}, Picture{mc::Image4, 64, 65},
                                    Picture{mc::Image1, 72, 71}, Picture{mc::Image2, 65, 66}}) {
        SCOPED_TRACE(expected.image.text);
        HWND image = main.Control(expected.image).Hwnd();
        const BITMAPINFO* picture = ui::ImagePicture(image);
        ASSERT_NE(nullptr, picture);
        EXPECT_EQ(expected.width, picture->bmiHeader.biWidth);
        EXPECT_EQ(expected.height, picture->bmiHeader.biHeight);
        // What the control shows is its picture drawn to its size.
        RECT client;
        GetClientRect(image, &client);
        RECT visible{};
        const std::vector<std::uint32_t> shown = ShownPixels(image, visible);
        EXPECT_GT(visible.bottom, client.bottom / 2);
        EXPECT_EQ(DrawnPixels(picture, client, visible), shown);
    }
}

TEST_F(MainWindow, TheDefaultFrameFollowsTheFocusedPushButton) {
    const auto framed = [this] {
        std::vector<std::string> buttons;
        for (const Expected& row : MainLayout) {
            HWND control = main.Control(row.name, row.index).Hwnd();
            if ((GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                buttons.push_back(std::string(row.name.text) + " " + std::to_string(row.index));
        }
        return buttons;
    };
    EXPECT_EQ(std::vector<std::string>{"UCmd 6"}, framed()) << "focus on UCh(0)";
    for (int step = 0; step < 2; ++step) {
        PressKey(VK_TAB);
        ui::ProcessPendingMessages();
    }
    EXPECT_EQ(std::vector<std::string>{"UCmd 0"}, framed()) << "focus on the first Browes";
    PressKey(VK_TAB);
    ui::ProcessPendingMessages();
    EXPECT_EQ(std::vector<std::string>{"UCmd 6"}, framed()) << "focus on UCh(1)";
    main.UCmd(mc::DefaultButton).SetFocus();
    EXPECT_EQ(std::vector<std::string>{"UCmd 3"}, framed()) << "focus on Default";
    main.Txt(2).SetFocus();
    EXPECT_EQ(std::vector<std::string>{"UCmd 6"}, framed()) << "focus on Txt(2)";
}

TEST_F(MainWindow, TabRunsThroughTheRowsThenTheButtonsAcrossPanels) {
    EXPECT_EQ("UCh 0", Focused(main));
    const std::vector<std::string> order{"Txt 0", "UCmd 0", "UCh 1",  "Txt 1",  "UCmd 1", "UCh 2",
                                         "Txt 2", "UCmd 2", "UCmd 3", "UCmd 6", "UCmd 5", "UCh 0"};
    for (const std::string& expected : order) {
        PressKey(VK_TAB);
        ui::ProcessPendingMessages();
        EXPECT_EQ(expected, Focused(main)) << "Apply is disabled and passed over";
    }
}

TEST_F(MainWindow, TabIncludesApplyWhenEnabledAndShiftTabGoesBack) {
    main.UCmd(mc::ApplyButton).SetEnabled(true);
    main.UCmd(mc::DefaultButton).SetFocus();
    PressKey(VK_TAB);
    ui::ProcessPendingMessages();
    EXPECT_EQ("UCmd 4", Focused(main));

    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    std::vector<std::string> back;
    for (int step = 0; step < 3; ++step) {
        PressKey(VK_TAB);
        ui::ProcessPendingMessages();
        back.push_back(Focused(main));
    }
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ((std::vector<std::string>{"UCmd 3", "UCmd 2", "Txt 2"}), back);
}

// A screen reader tells the rows apart: each text box and each browse button
// is named for its tool, while the captions on screen stay as they are.
TEST_F(MainWindow, ScreenReadersHearEachRowsControlsNamedForItsTool) {
    const char* const textBoxes[] = {"Backup program", "Disk cleanup program",
                                     "Defragmenter program"};
    const char* const buttons[] = {"Browse for the backup program",
                                   "Browse for the disk cleanup program",
                                   "Browse for the defragmenter program"};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(textBoxes[row], AccessibleOf(main.Txt(row).Hwnd()).name);
        const Accessible button = AccessibleOf(main.UCmd(row).Hwnd());
        EXPECT_EQ(buttons[row], button.name);
        EXPECT_EQ(AccessibleOf(main.UCmd(row).Hwnd(), true).role, button.role)
            << "all but the name is the system's answer";
        EXPECT_EQ("Browes", main.UCmd(row).Caption());
        EXPECT_EQ("Program", main.ULPr(row).Caption());
        EXPECT_TRUE(main.ULPr(row).Visible());
        EXPECT_FALSE(main.TxtName(row).Visible());
    }
    EXPECT_EQ("Default", AccessibleOf(main.UCmd(mc::DefaultButton).Hwnd()).name);
}

// A status change is announced once, after its text is set; an edit that
// leaves the status as it was announces nothing.
TEST_F(MainWindow, AStatusChangeIsAnnouncedOnceWithItsNewText) {
    liveRegionEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, GetModuleHandleA(nullptr),
        RecordLiveRegionEvent, GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    ASSERT_NE(nullptr, hook);
    main.Txt(1).SetCaption("quillmere-missing /x");
    const std::vector<LiveRegionEvent> afterChange = liveRegionEvents;
    main.Txt(1).SetCaption("quillmere-missing-too /x");
    const std::size_t afterSameStatus = liveRegionEvents.size();
    UnhookWinEvent(hook);

    ASSERT_EQ(1u, afterChange.size());
    EXPECT_EQ(main.ULSt(1).Hwnd(), afterChange[0].window);
    EXPECT_EQ(OBJID_CLIENT, afterChange[0].object);
    EXPECT_EQ(CHILDID_SELF, afterChange[0].child);
    EXPECT_NE("", afterChange[0].text);
    EXPECT_EQ(main.ULSt(1).Caption(), afterChange[0].text);
    EXPECT_EQ(1u, afterSameStatus) << "the status did not change";
}

TEST_F(MainWindow, ALayoutForAnotherDpiScalesGeometryAndFonts) {
    main.ApplyLayout(144);
    ASSERT_EQ(144, main.Dpi());
    EXPECT_LAYOUT(main, MainLayout);
    RECT window;
    GetWindowRect(main.Hwnd(), &window);
    EXPECT_NEAR(ToTwips(window.right - window.left, 144), 6615, 10);
    EXPECT_NEAR(ToTwips(window.bottom - window.top, 144), 5970, 10);
    EXPECT_EQ(FontHeight(8.25, 144), FontOf(main.Control(mc::Label2).Hwnd()).lfHeight);
}

TEST_F(MainWindow, AboutIsShownModallyOverTheWindow) {
    bool mainDisabled = false;
    HWND owner = nullptr;
    Answers answer(dialogs::About::Instance(), [&](ui::Form& about) {
        mainDisabled = !IsWindowEnabled(main.Hwnd());
        owner = GetWindow(about.Hwnd(), GW_OWNER);
        Click(about.Control(dialogs::AboutControls::Command1).Hwnd());
    });
    Click(main.UCmd(mc::AboutButton).Hwnd());
    // The click opens About inside this call; it returns when About closes.
    ui::ProcessPendingMessages();
    EXPECT_TRUE(answer.Ran());
    EXPECT_TRUE(mainDisabled);
    EXPECT_EQ(main.Hwnd(), owner);
    EXPECT_TRUE(IsWindowEnabled(main.Hwnd()));
    EXPECT_FALSE(dialogs::About::Instance().IsLoaded());
}

TEST_F(MainWindow, OKClosesTheWindow) {
    Click(main.UCmd(mc::OkButton).Hwnd());
    ui::ProcessPendingMessages();
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_EQ(nullptr, ui::ApplicationWindow());
}

TEST_F(MainWindowHandlers, NotificationsReachTheGroupHandlerWithTheIndex) {
    Click(main.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    EXPECT_EQ(1, main.UCh(1).Value());
    main.Txt(2).SetCaption("C:\\tools\\defrag.exe");
    Click(main.UCmd(mc::DefaultButton).Hwnd());
    ui::ProcessPendingMessages();
    main.UCmd(0).SetFocus();
    main.Txt(0).SetFocus();
    // A click moves the focus to the button it clicks.
    EXPECT_EQ((std::vector<std::string>{"UCh 1", "Txt 2", "UCmd 3", "UCmd lost focus 3",
                                        "UCmd lost focus 0"}),
              main.calls);
}

TEST_F(MainWindowHandlers, EnterPressesTheFocusedButtonOrElseOK) {
    PressKey(VK_RETURN); // focus on UCh(0)
    ui::ProcessPendingMessages();
    main.UCmd(mc::DefaultButton).SetFocus();
    PressKey(VK_RETURN);
    ui::ProcessPendingMessages();
    main.Txt(1).SetFocus();
    PressKey(VK_RETURN);
    ui::ProcessPendingMessages();
    PressKey(VK_ESCAPE); // no cancel button in the main window: nothing happens
    ui::ProcessPendingMessages();
    EXPECT_EQ((std::vector<std::string>{"UCmd 6", "UCmd 3", "UCmd lost focus 3", "UCmd 6"}),
              main.calls);
    EXPECT_TRUE(main.IsLoaded());
}
