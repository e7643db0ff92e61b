#include "ui/Form.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <system_error>

#include "base/SystemFunction.h"
#include "ui/Dpi.h"
#include "ui/Failure.h"
#include "ui/MessageLoop.h"
#include "ui/Picture.h"
#include "ui/Widgets.h"

namespace ui {

namespace {

constexpr char FormClass[] = "QuillmereForm";
constexpr int FirstControlId = 1000;

base::unique_hfont CreateDefaultFont(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const ForDpi systemParametersInfoForDpi =
        base::SystemFunction<ForDpi>("user32.dll", "SystemParametersInfoForDpi");

    // The platform's dialog font is the message font of the non-client
    // metrics. The per-DPI query exists only in its wide form.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (systemParametersInfoForDpi &&
        systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                   static_cast<UINT>(dpi))) {
        font = metrics.lfMessageFont;
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    }
    font.lfWeight = FW_NORMAL;
    return base::unique_hfont(CreateFontIndirectW(&font));
}

// "MS Sans Serif", bold, character set 178: the title strip's and panel
// titles' font at 8.25 pt, the dialogs' labels' at 9.75 pt.
base::unique_hfont CreateBoldSansSerif(int hundredthsOfPoint, int dpi) {
    LOGFONTA font{};
    font.lfHeight = PointsToFontHeight(hundredthsOfPoint, dpi);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = 178;
    font.lfQuality = DEFAULT_QUALITY;
    std::string_view("MS Sans Serif").copy(font.lfFaceName, LF_FACESIZE - 1);
    return base::unique_hfont(CreateFontIndirectA(&font));
}

DWORD FrameStyle(Frame frame) {
    if (frame == Frame::Sizable)
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
               WS_CLIPCHILDREN;
    return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}

DWORD FrameExStyle(Frame frame) {
    if (frame == Frame::Sizable)
        return WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    return WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}

// One window class per icon, registered when a window first asks for it; the
// class keeps its icons for the process's life.
std::string RegisterFormClass(HINSTANCE instance, WNDPROC procedure, int icon) {
    std::string name = FormClass + std::to_string(icon);
    WNDCLASSEXA windowClass{};
    if (GetClassInfoExA(instance, name.c_str(), &windowClass))
        return name;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    // Shared icons; a missing icon resource leaves the system's default.
    if (icon != 0) {
        windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(icon),
                                                          IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                          GetSystemMetrics(SM_CYICON), LR_SHARED));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(icon), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassExA(&windowClass))
        throw std::runtime_error("The window class could not be registered");
    return name;
}

struct ChildClass {
    const char* name;
    DWORD style;
    DWORD exStyle;
};

ChildClass ChildClassOf(const Control& row) {
    const DWORD common =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (row.state == State::Disabled ? WS_DISABLED : 0);
    switch (row.kind) {
    case Kind::Panel:
        return {PanelClass, common | WS_BORDER, WS_EX_CONTROLPARENT};
    case Kind::Label:
        return {"STATIC", common | SS_NOPREFIX | (row.align == Align::Centre ? SS_CENTER : SS_LEFT),
                0};
    case Kind::CheckBox:
        return {"BUTTON", common | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case Kind::TextBox:
        return {"EDIT", common | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::PushButton:
        // BS_NOTIFY: the focus notifications drive the default-button look and
        // the lost-focus handlers of the windows.
        return {"BUTTON",
                common | WS_TABSTOP | BS_NOTIFY |
                    (row.state == State::KeyboardButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                0};
    case Kind::Image:
        return {ImageClass, common, 0};
    }
    throw std::logic_error("Unknown control kind");
}

bool IsPushButton(const Control& row) {
    return row.kind == Kind::PushButton;
}

} // namespace

// ControlRef

std::string ControlRef::Caption() const {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window_)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void ControlRef::SetCaption(const std::string& caption) const {
    SetWindowTextA(window_, caption.c_str());
}

bool ControlRef::Enabled() const {
    return IsWindowEnabled(window_) != FALSE;
}

void ControlRef::SetEnabled(bool enabled) const {
    EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool ControlRef::Visible() const {
    return IsWindowVisible(window_) != FALSE;
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

// Form

Form::Form(WindowDescription description, std::vector<ui::Control> table)
    : description_(description), table_(std::move(table)) {}

Form::~Form() {
    if (window_) {
        // The window must not call back into a half-destroyed object.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        HWND window = window_;
        Detach();
        DestroyWindow(window);
    }
}

Form* Form::FromWindow(HWND window) {
    char className[32] = {};
    if (!window || !GetClassNameA(window, className, sizeof className) ||
        std::strncmp(className, FormClass, sizeof FormClass - 1) != 0)
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void Form::Load() {
    if (window_)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::string formClass = RegisterFormClass(instance, Procedure, description_.icon);
    RegisterWidgetClasses(instance);

    HWND owner = description_.frame == Frame::FixedDialog ? DialogOwner() : nullptr;
    // The first size is a placeholder: ApplyLayout sizes the window once its
    // DPI is known.
    CreateWindowExA(FrameExStyle(description_.frame), formClass.c_str(), description_.title,
                    FrameStyle(description_.frame), CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                    nullptr, instance, this);
    if (!window_)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                std::string("The window ") + description_.name +
                                    " could not be created");
    try {
        BuildControls();
        ApplyLayout(WindowDpi(window_));
        OnLoad();
    } catch (...) {
        Unload();
        throw;
    }
}

void Form::BuildControls() {
    HMODULE module = GetModuleHandleA(nullptr);
    built_.reserve(table_.size());
    for (const ui::Control& row : table_) {
        const ChildClass childClass = ChildClassOf(row);
        const int id = FirstControlId + static_cast<int>(built_.size());
        HWND control = CreateWindowExA(
            childClass.exStyle, childClass.name, row.content.text, childClass.style, 0, 0, 0, 0,
            ContainerOf(row), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
        if (!control)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    std::string("The control ") + row.name +
                                        " could not be created");
        Built built{&row, control, nullptr};
        if (row.kind == Kind::Image && row.content.picture != 0) {
            built.picture = LoadGifResource(module, row.content.picture);
            SetImagePicture(control, built.picture);
        }
        built_.push_back(std::move(built));
    }
}

HWND Form::ContainerOf(const ui::Control& row) const {
    if (std::string_view(row.container) == description_.name)
        return window_;
    for (const Built& built : built_) {
        if (built.row->kind == Kind::Panel && std::string_view(built.row->name) == row.container)
            return built.window;
    }
    // Tables list containers before their children.
    throw std::logic_error(std::string("The control ") + row.name +
                           " names a container that is not built before it: " + row.container);
}

void Form::ApplyLayout(int dpi) {
    if (!window_)
        return;
    // Set first: the window's own size handling runs inside the resize below
    // and must already see the new DPI.
    layoutDpi_ = dpi;
    base::unique_hfont defaultFont = CreateDefaultFont(dpi);
    base::unique_hfont titleFont = CreateBoldSansSerif(825, dpi);
    base::unique_hfont dialogFont = CreateBoldSansSerif(975, dpi);

    for (const Built& built : built_) {
        const ui::Control& row = *built.row;
        SetWindowPos(built.window, nullptr, TwipsToPixels(row.left, dpi),
                     TwipsToPixels(row.top, dpi), TwipsToPixels(row.width, dpi),
                     TwipsToPixels(row.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = nullptr;
        switch (row.font) {
        case Font::None:
            break;
        case Font::Default:
            font = defaultFont.get();
            break;
        case Font::Title:
            font = titleFont.get();
            break;
        case Font::DialogText:
            font = dialogFont.get();
            break;
        }
        if (font)
            SendMessageA(built.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // The controls now use the new fonts; the old ones can go.
    defaultFont_ = std::move(defaultFont);
    titleFont_ = std::move(titleFont);
    dialogFont_ = std::move(dialogFont);

    const SIZE outer = OuterSize(dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Form::OuterSize(int dpi) const {
    RECT frame{0, 0, TwipsToPixels(description_.clientWidth, dpi),
               TwipsToPixels(description_.clientHeight, dpi)};
    if (description_.outerWidth > 0) {
        frame.right = TwipsToPixels(description_.outerWidth, dpi);
        frame.bottom = TwipsToPixels(description_.outerHeight, dpi);
    } else {
        using ForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
        static const ForDpi adjustWindowRectExForDpi =
            base::SystemFunction<ForDpi>("user32.dll", "AdjustWindowRectExForDpi");
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE));
        if (!adjustWindowRectExForDpi ||
            !adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
            AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    // The layout first: Main's size handling, run by the move below, must
    // already see the new DPI.
    ApplyLayout(dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Place() {
    RECT window;
    GetWindowRect(window_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    HWND owner = GetWindow(window_, GW_OWNER);
    const bool overOwner = description_.placement == Placement::CentreOwner && owner &&
                           IsWindowVisible(owner) && !IsIconic(owner);
    RECT centre{};
    HMONITOR monitor;
    if (overOwner) {
        GetWindowRect(owner, &centre);
        monitor = MonitorFromRect(&centre, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = MonitorFromWindow(overOwner ? owner : window_, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    if (!overOwner)
        centre = info.rcWork;

    int left = centre.left + (centre.right - centre.left - width) / 2;
    int top = centre.top + (centre.bottom - centre.top - height) / 2;
    // Over an owner near the screen's edge the window still lies on the screen.
    const int workLeft = info.rcWork.left, workTop = info.rcWork.top;
    const int workRight = info.rcWork.right, workBottom = info.rcWork.bottom;
    left = std::max(workLeft, std::min(left, workRight - width));
    top = std::max(workTop, std::min(top, workBottom - height));
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
    Load();
    if (!IsWindowVisible(window_))
        Place();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    FocusFirst();
}

void Form::ShowModal() {
    Load();
    HWND owner = GetWindow(window_, GW_OWNER);
    if (owner && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        disabledOwner_ = owner;
    }
    Place();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    FocusFirst();
    RunMessagesUntil([this] { return window_ == nullptr; });
    // Unload gave the owner its input back before the window went away, so
    // that the activation returns to it and not to another program.
    if (window_) {
        // A WM_QUIT ended the loop while the window was still shown.
        Unload();
    }
    if (owner && IsWindow(owner) && IsWindowVisible(owner))
        SetActiveWindow(owner);
}

void Form::Unload() {
    if (!window_)
        return;
    if (disabledOwner_) {
        EnableWindow(disabledOwner_, TRUE);
        disabledOwner_ = nullptr;
    }
    DestroyWindow(window_);
}

void Form::Detach() {
    window_ = nullptr;
    built_.clear();
    lastFocus_ = nullptr;
    defaultFont_.reset();
    titleFont_.reset();
    dialogFont_.reset();
}

ControlRef Form::Control(std::string_view name, int index) {
    Load();
    for (const Built& built : built_) {
        if (built.row->name == name && built.row->index == index)
            return ControlRef(built.window, *built.row);
    }
    throw std::out_of_range(std::string("No control ") + std::string(name) + "(" +
                            std::to_string(index) + ") in " + description_.name);
}

const Form::Built* Form::Find(HWND window) const {
    for (const Built& built : built_) {
        if (built.window == window)
            return &built;
    }
    return nullptr;
}

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
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Built* a, const Built* b) { return a->row->tab < b->row->tab; });
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
        HWND button = focused && IsPushButton(*focused->row) ? focused->window : KeyboardButton();
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

void Form::OnControlCommand(std::string_view, int, int) {}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (const Built* built = Find(reinterpret_cast<HWND>(lParam))) {
            const int notification = HIWORD(wParam);
            if (IsPushButton(*built->row) &&
                (notification == BN_SETFOCUS || notification == BN_KILLFOCUS))
                OnButtonFocus(*built, notification == BN_SETFOCUS);
            OnControlCommand(built->row->name, built->row->index, notification);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (LRESULT brush =
                ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam),
                               WindowColour, WindowBrush()))
            return brush;
        break;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, WindowBrush());
        return 1;
    }
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        OnActivate(true);
        return 0;
    case WM_GETDPISCALEDSIZE:
        // Asked before a change of DPI: the frame does not scale with the
        // client area, so the system's linear guess would be a little off.
        *reinterpret_cast<SIZE*>(lParam) = OuterSize(static_cast<int>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        // The system moves nothing itself: the window lays itself out and
        // takes the rectangle it suggests. Both halves of wParam hold the DPI.
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        if (OnCloseRequest())
            Unload();
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK Form::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        Form* form;
        if (message == WM_NCCREATE) {
            form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
            form->window_ = window;
        } else {
            form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        }
        if (!form)
            return DefWindowProcA(window, message, wParam, lParam);
        LRESULT result = form->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            form->Detach();
        }
        return result;
    } catch (...) {
        FailFast(std::current_exception());
    }
}

} // namespace ui
