#include "ui/MessageLoop.h"

#include <algorithm>

#include "ui/Form.h"

namespace ui {

namespace {

HWND applicationWindow = nullptr;

// The handles the loops wait for, and beside each its handler.
std::vector<HANDLE> signalHandles;
std::vector<SignalHandler*> signalHandlers;

void Dispatch(const ::MSG& message) {
    if (!PreTranslate(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

bool PreTranslate(const ::MSG& message) {
    if (!message.hwnd)
        return false;
    Form* form = Form::FromWindow(GetAncestor(message.hwnd, GA_ROOT));
    return form && form->HandleKey(message);
}

bool RunSignalled(DWORD index) {
    if (index >= signalHandlers.size())
        return false;
    // A copy: the handler may end its own registration.
    const std::function<void()> onSignalled = signalHandlers[index]->onSignalled_;
    onSignalled();
    return true;
}

void RunMessagesUntil(const std::function<bool()>& done) {
    ::MSG message;
    while (!done()) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const auto count = static_cast<DWORD>(signalHandles.size());
            const DWORD woken = MsgWaitForMultipleObjectsEx(count, signalHandles.data(), INFINITE,
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
            const auto count = static_cast<DWORD>(signalHandles.size());
            if (count == 0 ||
                !RunSignalled(WaitForMultipleObjects(count, signalHandles.data(), FALSE, 0) -
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

SignalHandler::SignalHandler(HANDLE handle, std::function<void()> onSignalled)
    : handle_(handle), onSignalled_(std::move(onSignalled)) {
    signalHandles.push_back(handle_);
    signalHandlers.push_back(this);
}

SignalHandler::~SignalHandler() {
    const auto at = std::find(signalHandlers.begin(), signalHandlers.end(), this);
    signalHandles.erase(signalHandles.begin() + (at - signalHandlers.begin()));
    signalHandlers.erase(at);
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
