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

// Handles every message already waiting, then returns.
void ProcessPendingMessages();

// The program's main window, over which dialogs shown without an owner of
// their own are centred and which they disable while modal. Main registers
// itself when it is created and clears this when it is destroyed.
void SetApplicationWindow(HWND window);
HWND ApplicationWindow();

// The owner a dialog is created with: the application window, or else a
// hidden window, so that a dialog never appears in the taskbar on its own.
HWND DialogOwner();

} // namespace ui
