#include "ui/MessageLoop.h"

#include "ui/Form.h"

namespace ui {

namespace {

HWND applicationWindow = nullptr;

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

void RunMessagesUntil(const std::function<bool()>& done) {
    ::MSG message;
    while (!done()) {
        BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (result == -1)
            return;
        Dispatch(message);
    }
}

void ProcessPendingMessages() {
    ::MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
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
