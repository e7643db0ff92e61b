#include "ui/MessageLoop.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "ui/Form.h"

namespace ui {

namespace {

HWND applicationWindow = nullptr;

// The handlers whose handles the loops wait for, in the order they came.
std::vector<SignalHandler*> signalHandlers;

void Dispatch(::MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    // The dialog manager translates and dispatches a Form's messages itself.
    if (Form::FromWindow(root) && IsDialogMessageA(root, &message)) {
        // Under Wine, Tab takes the default frame from every button before it
        // moves the focus, and a move between two controls that are not
        // buttons gives no button a focus notification to put it back by: so
        // the frame is put right here, after Tab. The Form's handling of the
        // buttons' focus notifications stays for the focus moved by a click
        // or by code. Its handler may have closed the window.
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB)
            if (Form* form = Form::FromWindow(root))
                form->FrameFocusedButton();
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

} // namespace

// Waits for the handlers' handles, or for input too with QS_ALLINPUT: the
// index of the signalled handle, or another result of the wait.
DWORD WaitForSignals(DWORD timeout, DWORD input) {
    HANDLE handles[MAXIMUM_WAIT_OBJECTS];
    const auto count = static_cast<DWORD>(signalHandlers.size());
    for (DWORD i = 0; i < count; ++i)
        handles[i] = signalHandlers[i]->handle_;
    return MsgWaitForMultipleObjectsEx(count, handles, timeout, input, MWMO_INPUTAVAILABLE) -
           WAIT_OBJECT_0;
}

bool RunSignalled(DWORD index) {
    if (index >= signalHandlers.size())
        return false;
    signalHandlers[index]->onSignalled_();
    return true;
}

void RunMessagesUntil(const std::function<bool()>& done) {
    ::MSG message;
    while (!done()) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const DWORD woken = WaitForSignals(INFINITE, QS_ALLINPUT);
            if (woken == WAIT_FAILED - WAIT_OBJECT_0)
                WaitMessage();
            else
                RunSignalled(woken);
            continue;
        }
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void ProcessPendingMessages() {
    ::MSG message;
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (signalHandlers.empty() || !RunSignalled(WaitForSignals(0, 0)))
                return;
            continue;
        }
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

SignalHandler::SignalHandler(HANDLE handle, std::function<void()> onSignalled)
    : handle_(handle), onSignalled_(std::move(onSignalled)) {
    // A wait that takes input too has room for one handle less.
    if (signalHandlers.size() == MAXIMUM_WAIT_OBJECTS - 1)
        throw std::length_error("too many handles to wait for");
    signalHandlers.push_back(this);
}

SignalHandler::~SignalHandler() {
    std::erase(signalHandlers, this);
}

void SetApplicationWindow(HWND window) {
    applicationWindow = window;
}

HWND ApplicationWindow() {
    return applicationWindow && IsWindow(applicationWindow) ? applicationWindow : nullptr;
}

HWND DialogOwner() {
    if (HWND application = ApplicationWindow())
        return application;
    static HWND hidden = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
    return hidden;
}

} // namespace ui
