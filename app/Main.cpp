// The main window's handlers: load, resize, close, and one handler per
// control group. Changes made from code (loading, "Default", a browse) run
// the same handlers as the user's edits, nested inside the change.
#include "app/Main.h"

#include "dialogs/About.h"
#include "dialogs/Functions.h"
#include "dialogs/MSG.h"
#include "registry/ValueCodec.h"
#include "rules/CommandLine.h"
#include "rules/ProgramProbe.h"
#include "rules/ProgramRights.h"
#include "rules/Tools.h"
#include "ui/Accessibility.h"
#include "ui/Dpi.h"
#include "ui/MessageLoop.h"
#include "ui/Widgets.h"

namespace app {

using namespace MainControls;

namespace {

// Posted to itself when "About" loses the focus, so that the focus moves on
// only once the system has finished moving it.
constexpr UINT WM_ABOUT_LOST_FOCUS = WM_APP + 1;

// The refresh after a change made elsewhere waits this long for the rest of a
// burst of writes (a policy refresh writes all three keys at once).
constexpr UINT_PTR RefreshTimer = 1;
constexpr UINT RefreshDelay = 300;

// A watch that could not be armed is tried again after this long.
constexpr UINT_PTR WatchRetryTimer = 2;
constexpr UINT WatchRetryDelay = 1000;

} // namespace

void Main::OnLoad() {
    registry_ = std::make_unique<Registry>();
    registry_->KeyClass(RootKey::LocalMachine);
    // Armed before the load, so that no change between the two goes unseen.
    WatchToolKeys();
    // Account names are looked up on another thread; each that comes in
    // completes the sentences that named the account by its SID.
    namesHandler_ = std::make_unique<ui::SignalHandler>(rules::NamesFound(), [this] {
        for (int row = 0; row < ToolCount; ++row)
            ShowProgramStatus(row);
    });
    {
        // The rows' checks read the folders their programs share once.
        const SharedReads sharedReads;
        LoadSettings();
    }
    SettingsChanged = False;
    UCmd(ApplyButton).SetEnabled(false);
    Cmd.Filter = "Programs|*.exe|All Files|*.*";
}

void Main::MarkChanged() {
    SettingsChanged = True;
    UCmd(ApplyButton).SetEnabled(true);
}

void Main::OnTxtChange(int index) {
    MarkChanged();
    ShowProgramStatus(index);
}

void Main::OnUChClick(int index) {
    const bool enabled = UCh(index).Value() != 1;
    Txt(index).SetEnabled(enabled);
    UCmd(index).SetEnabled(enabled);
    ULPr(index).SetEnabled(enabled);
    MarkChanged();
    ShowProgramStatus(index);
}

void Main::ShowProgramStatus(int row) {
    const StatusText* text = nullptr;
    ProgramCheck check{ProgramStatus::NotProbed, {}};
    const Row current = RowOf(row);
    if (changedElsewhere_[row]) {
        text = &ChangedElsewhereText;
    } else if (unreadable_[row]) {
        text = &UnreadableText;
    } else {
        switch (KeyStatusOf(current, read_[row])) {
        case KeyStatus::NoLine:
            text = &NoLineText;
            break;
        case KeyStatus::Unexpanded:
            text = &UnexpandedText;
            break;
        case KeyStatus::LostInCodePage:
            text = &CodePageText;
            break;
        case KeyStatus::Usable:
            check = StatusOf(current);
            break;
        }
        switch (check.status) {
        case ProgramStatus::NotFound:
            text = &NotFoundText;
            break;
        case ProgramStatus::NeedsQuotes:
            // A place the shell tries first that others can fill is more
            // than untidy: the row can be taken over today.
            text = check.replaceableBy.empty() ? &NeedsQuotesText : &ReplaceableText;
            break;
        case ProgramStatus::Replaceable:
            text = &ReplaceableText;
            break;
        case ProgramStatus::CannotCheck:
            text = &CannotCheckText;
            break;
        case ProgramStatus::Fine:
        case ProgramStatus::NotProbed:
            break;
        }
    }
    const ui::ControlRef status = ULSt(row);
    // Who can replace the program takes a sentence: the label gives it to
    // screen readers and to the mouse. A missing program keeps its status and
    // says who could put one there.
    ui::SetDescription(status.Hwnd(), check.replaceableBy);
    const std::string shown = !text ? "" : status.Fits(text->full) ? text->full : text->shortened;
    // Screen readers hear of a status when it changes, not at every keystroke,
    // and only once the new text is there to be read.
    if (shown == status.Caption())
        return;
    status.SetCaption(shown);
    ui::AnnounceStatus(status.Hwnd());
}

void Main::OnUCmdClick(int index) {
    switch (index) {
    case 0:
    case 1:
    case 2:
        if (Cmd.ShowOpen(Hwnd()))
            Txt(index).SetCaption(QuotedIfSpaced(Cmd.FileName));
        break;
    case DefaultButton:
        SetDefault();
        break;
    case ApplyButton:
        if (SaveSettings() == False)
            break;
        ReloadSettings();
        SettingsChanged = False;
        UCmd(ApplyButton).SetEnabled(false);
        dialogs::MSG::Instance().ShowModal();
        break;
    case AboutButton:
        dialogs::About::Instance().ShowModal();
        break;
    case OkButton:
        PostMessageA(Hwnd(), WM_CLOSE, 0, 0);
        break;
    }
}

void Main::OnUCmdLostFocus(int index) {
    if (index == AboutButton)
        PostMessageA(Hwnd(), WM_ABOUT_LOST_FOCUS, 0, 0);
}

void Main::WatchToolKeys() {
    // The three keys share their parent; watching it sees each of them come
    // and go as well as change. While it is absent, its parent Explorer
    // stands in, and nothing higher.
    std::string parent = Tools[0].keyPath;
    parent.erase(parent.rfind('\\'));
    watch_ = std::make_unique<KeyWatch>(HKEY_LOCAL_MACHINE, parent,
                                        parent.substr(0, parent.rfind('\\')));
    if (!watch_->Event())
        return;
    ArmWatch();
    watchHandler_ =
        std::make_unique<ui::SignalHandler>(watch_->Event(), [this] { OnToolKeysChanged(); });
}

void Main::ArmWatch() {
    // Watching stops for no longer than the retry's delay, and each retry
    // refreshes the rows: a change made while nothing watched still shows.
    if (watch_->Arm())
        KillTimer(Hwnd(), WatchRetryTimer);
    else
        SetTimer(Hwnd(), WatchRetryTimer, WatchRetryDelay, nullptr);
}

void Main::OnToolKeysChanged() {
    // Armed again at once, so that nothing written during the wait is missed;
    // the timer is not restarted, so that a long burst is still shown soon.
    ArmWatch();
    if (!refreshPending_)
        refreshPending_ = SetTimer(Hwnd(), RefreshTimer, RefreshDelay, nullptr) != 0;
}

bool Main::OnCloseRequest() {
    if (SettingsChanged == True && Functions::AskToSave() == True) {
        if (SaveSettings() == False)
            return false;
        dialogs::MSG::Instance().ShowModal();
    }
    // The program ends with this window; every enclosing message loop, a
    // modal one included, ends on the WM_QUIT.
    PostQuitMessage(0);
    return true;
}

void Main::KeepOuterSize() {
    if (IsIconic(Hwnd()))
        return;
    // The layout's DPI, not the system's: a change of DPI sets it before the
    // window is moved and resized to the new monitor.
    const int dpi = Dpi();
    const int width = ui::TwipsToPixels(Description().outerWidth, dpi);
    const int height = ui::TwipsToPixels(Description().outerHeight, dpi);
    RECT outer;
    GetWindowRect(Hwnd(), &outer);
    if (outer.right - outer.left != width || outer.bottom - outer.top != height)
        SetWindowPos(Hwnd(), nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Main::OnControlCommand(ui::Name name, int index, int notification) {
    if (name == MainControls::Txt && notification == EN_CHANGE)
        OnTxtChange(index);
    else if (name == MainControls::UCh && notification == BN_CLICKED)
        OnUChClick(index);
    else if (name == MainControls::UCmd && notification == BN_CLICKED)
        OnUCmdClick(index);
    else if (name == MainControls::UCmd && notification == BN_KILLFOCUS)
        OnUCmdLostFocus(index);
}

LRESULT Main::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The dialogs are owned by, centred over and disable this window.
        ui::SetApplicationWindow(Hwnd());
        break;
    case WM_DESTROY:
        if (ui::ApplicationWindow() == Hwnd())
            ui::SetApplicationWindow(nullptr);
        watchHandler_.reset();
        namesHandler_.reset();
        watch_.reset();
        refreshPending_ = false;
        break;
    case WM_TIMER:
        if (wParam == WatchRetryTimer) {
            OnToolKeysChanged();
            return 0;
        }
        if (wParam != RefreshTimer)
            break;
        // The timer keeps ticking until a save has finished.
        if (!saving_) {
            KillTimer(Hwnd(), RefreshTimer);
            refreshPending_ = false;
            RefreshChangedRows();
        }
        return 0;
    case WM_SIZE:
        // The window keeps one size: a drag of its frame is undone at once.
        if (wParam != SIZE_MINIMIZED)
            KeepOuterSize();
        break;
    case WM_ABOUT_LOST_FOCUS: {
        // Tab from "About" wraps to the first row. The focus stays where it
        // went when a mouse click put it there (the click must reach its
        // button) or when it left this window altogether.
        HWND focus = GetFocus();
        const bool mouseDown = (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON)) < 0;
        if (focus && focus != UCmd(AboutButton).Hwnd() && IsChild(Hwnd(), focus) && !mouseDown &&
            GetForegroundWindow() == Hwnd())
            UCh(0).SetFocus();
        return 0;
    }
    }
    return Form::HandleMessage(message, wParam, lParam);
}

} // namespace app
