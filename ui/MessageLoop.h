// The thread's message loops: the program's, the modal windows' and the one
// tests pump. All of them give a Form's messages to the system's dialog
// manager, for Tab, Enter and Esc.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// Runs the thread's messages until done() holds. A WM_QUIT ends the loop too
// and is posted again, so that every enclosing loop ends as well.
void RunMessagesUntil(const std::function<bool()>& done);

// Handles every message already waiting and every handle already signalled,
// then returns.
void ProcessPendingMessages();

// While it lives, the thread's own message loops above call onSignalled
// whenever the handle is signalled; the loops of the system's modal windows
// (message boxes, the open-file dialog) do not, so a signal that comes while
// one is up is handled once it has closed. The wait resets an auto-reset
// event.
class SignalHandler {
public:
    SignalHandler(HANDLE handle, std::function<void()> onSignalled);
    ~SignalHandler();
    SignalHandler(const SignalHandler&) = delete;
    SignalHandler& operator=(const SignalHandler&) = delete;

private:
    friend bool RunSignalled(DWORD index);
    friend DWORD WaitForSignals(DWORD timeout, DWORD input);
    HANDLE handle_;
    std::function<void()> onSignalled_;
};

// The program's main window, over which dialogs shown without an owner of
// their own are centred and which they disable while modal. Main registers
// itself when it is created and clears this when it is destroyed.
void SetApplicationWindow(HWND window);
HWND ApplicationWindow();

// The owner a dialog is created with: the application window, or else a
// hidden window, so that a dialog never appears in the taskbar on its own.
HWND DialogOwner();

} // namespace ui
