#include "ui/MessageLoop.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "ui/Form.h"

namespace ui {

namespace {

HWND applicationWindow = nullptr;

// The handles the loops wait for, and beside each its handler: the program
// waits for one, and a few are room to spare.
constexpr DWORD MostSignals = 4;
HANDLE signalHandles[MostSignals];
SignalHandler* signalHandlers[MostSignals];
DWORD signalCount = 0;

void Dispatch(::MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    // The dialog manager translates and dispatches a Form's messages itself.
    if (Form::FromWindow(root) && IsDialogMessageA(root, &message)) {
        // Its handler may have closed the window.
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB)
            if (Form* form = Form::FromWindow(root))
                form->FrameFocusedButton();
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

} // namespace

bool RunSignalled(DWORD index) {
    if (index >= signalCount)
        return false;
    const SignalHandler& handler = *signalHandlers[index];
    handler.onSignalled_(handler.context_);
    return true;
}

void RunMessagesUntil(const std::function<bool()>& done) {
    ::MSG message;
    while (!done()) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const DWORD woken = MsgWaitForMultipleObjectsEx(signalCount, signalHandles, INFINITE,
                                                            QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woken == WAIT_FAILED)
                WaitMessage();
            else
                RunSignalled(woken - WAIT_OBJECT_0);
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
            if (signalCount == 0 ||
                !RunSignalled(WaitForMultipleObjects(signalCount, signalHandles, FALSE, 0) -
                              WAIT_OBJECT_0))
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

SignalHandler::SignalHandler(HANDLE handle, void (*onSignalled)(void*), void* context)
    : onSignalled_(onSignalled), context_(context) {
    if (signalCount == std::size(signalHandles))
        throw std::length_error("too many handles to wait for");
    signalHandles[signalCount] = handle;
    signalHandlers[signalCount++] = this;
}

SignalHandler::~SignalHandler() {
    const auto at = std::find(signalHandlers, signalHandlers + signalCount, this) - signalHandlers;
    std::copy(signalHandles + at + 1, signalHandles + signalCount, signalHandles + at);
    std::copy(signalHandlers + at + 1, signalHandlers + signalCount, signalHandlers + at);
    --signalCount;
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
