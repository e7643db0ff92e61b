#include "ui/Form.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <utility>

#include "base/Failure.h"
#include "base/SystemFunction.h"
#include "ui/Accessibility.h"
#include "ui/Dpi.h"
#include "ui/FatalError.h"
#include "ui/MessageLoop.h"
#include "ui/Widgets.h"

namespace ui {

namespace {

constexpr char FormClass[] = "QuillmereForm";
constexpr int FirstControlId = 1000;

// A window or control the window system refused to create, numbered by the
// thread's last error. One place builds the text, for both.
[[noreturn]] void NotCreated(const char* what, Name name) {
    const auto error = static_cast<std::int32_t>(GetLastError());
    std::string text;
    text.append("The ").append(what).append(" ").append(name.text).append(" could not be created");
    throw base::Failure(error, std::move(text));
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

DWORD TextAlignment(Align align) {
    switch (align) {
    case Align::Centre:
        return SS_CENTER;
    case Align::Right:
        return SS_RIGHT;
    default:
        return SS_LEFT;
    }
}

ChildClass ChildClassOf(const ControlRow& row) {
    const DWORD common = WS_CHILD | WS_CLIPSIBLINGS |
                         (row.state == State::Hidden ? 0 : WS_VISIBLE) |
                         (row.state == State::Disabled ? WS_DISABLED : 0);
    switch (row.kind) {
    case Kind::Panel:
        return {PanelClass, common | WS_BORDER, WS_EX_CONTROLPARENT};
    case Kind::Label:
    case Kind::StatusLabel:
        return {"STATIC", common | SS_NOPREFIX | TextAlignment(row.align), 0};
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

} // namespace

Form::Form(WindowDescription description, std::span<const ControlRow> table,
           std::span<const std::uint8_t> creationOrder)
    : description_(description), table_(table), creationOrder_(creationOrder.data()) {}

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
        NotCreated("window", description_.name);
    try {
        // The layout first, while there are no controls to move: they are
        // then created where it puts them, with its fonts.
        ApplyLayout(WindowDpi(window_));
        BuildControls();
        OnLoad();
    } catch (...) {
        Unload();
        throw;
    }
}

void Form::BuildControls() {
    HMODULE module = GetModuleHandleA(nullptr);
    built_.reserve(table_.size());
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const std::uint8_t index = creationOrder_[i];
        const ControlRow& row = table_[index];
        const ChildClass childClass = ChildClassOf(row);
        // Numbered in table order, whatever the order of creation.
        const int id = FirstControlId + index;
        HWND control = CreateWindowExA(
            childClass.exStyle, childClass.name, row.content.text, childClass.style,
            TwipsToPixels(row.left, layoutDpi_), TwipsToPixels(row.top, layoutDpi_),
            TwipsToPixels(row.width, layoutDpi_), TwipsToPixels(row.height, layoutDpi_),
            ContainerOf(row), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
        if (!control)
            NotCreated("control", row.name);
        // Not shown yet: nothing to redraw.
        if (HFONT font = FontOf(row.font))
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (row.kind == Kind::StatusLabel)
            MarkAsStatus(control);
        if (row.content.accessibleName != 0)
            AnswerWithAccessibleName(control);
        // A missing picture leaves its image blank.
        if (row.kind == Kind::Image && row.content.picture != 0)
            SetImagePicture(control, FindPicture(module, row.content.picture));
        built_.push_back({&row, control});
    }
}

HWND Form::ContainerOf(const ControlRow& row) const {
    if (row.container == description_.name)
        return window_;
    for (const Built& built : built_) {
        if (built.row->kind == Kind::Panel && built.row->name == row.container)
            return built.window;
    }
    throw std::logic_error("A container is built after its contents");
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
        const ControlRow& row = *built.row;
        SetWindowPos(built.window, nullptr, TwipsToPixels(row.left, dpi),
                     TwipsToPixels(row.top, dpi), TwipsToPixels(row.width, dpi),
                     TwipsToPixels(row.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The new fonts replace the old ones only once no control uses those.
    std::swap(defaultFont_, defaultFont);
    std::swap(titleFont_, titleFont);
    std::swap(dialogFont_, dialogFont);
    for (const Built& built : built_) {
        if (HFONT font = FontOf(built.row->font))
            SendMessageA(built.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }

    const SIZE outer = OuterSize(dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT Form::FontOf(Font font) const {
    switch (font) {
    case Font::None:
        return nullptr;
    case Font::Default:
        return defaultFont_.get();
    case Font::Title:
        return titleFont_.get();
    case Font::DialogText:
        return dialogFont_.get();
    }
    return nullptr;
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
    // Every control painted now, in one pass, rather than one WM_PAINT
    // fetched from the queue per control (some 60 wineserver requests fewer
    // at the program's start under Wine).
    UpdateWindow(window_);
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

ControlRef Form::Control(Name name, int index) {
    Load();
    for (const Built& built : built_) {
        if (built.row->name == name && built.row->index == index)
            return ControlRef(built.window, *built.row);
    }
    std::string text;
    text.append("No control ").append(name.text).append("(").append(std::to_string(index));
    text.append(") in ").append(description_.name.text);
    throw std::out_of_range(text);
}

const ControlRow* Form::RowOf(HWND control) {
    const Form* form = FromWindow(GetAncestor(control, GA_ROOT));
    const Built* built = form ? form->Find(control) : nullptr;
    return built ? built->row : nullptr;
}

const Form::Built* Form::Find(HWND window) const {
    for (const Built& built : built_) {
        if (built.window == window)
            return &built;
    }
    return nullptr;
}

void Form::OnControlCommand(Name, int, int) {}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (const Built* built = Find(reinterpret_cast<HWND>(lParam))) {
            const int notification = HIWORD(wParam);
            // As in the system's dialogs, a focused push button is the one
            // Enter presses and wears the default frame; otherwise the
            // keyboard button does.
            if (IsPushButton(built->row->kind) &&
                (notification == BN_SETFOCUS || notification == BN_KILLFOCUS))
                FrameDefaultButton(notification == BN_SETFOCUS ? built->window : KeyboardButton());
            OnControlCommand(built->row->name, built->row->index, notification);
            return 0;
        }
        // Esc, from the dialog manager: a dialog closes as by its close box;
        // the main window has no cancel button, so nothing happens there.
        if (wParam == IDCANCEL && lParam == 0) {
            if (description_.frame == Frame::FixedDialog)
                PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        break;
    case DM_GETDEFID:
        // The dialog manager's question for Enter when the focus is on no
        // push button.
        if (HWND button = KeyboardButton())
            return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (LRESULT brush =
                ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam),
                               WindowColour, WindowBrush()))
            return brush;
        break;
    case WM_ERASEBKGND:
        return FillBackground(window_, reinterpret_cast<HDC>(wParam), WindowBrush());
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
