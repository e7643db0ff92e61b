// Start-up: the program is its main window; it ends when that window closes.
#include <windows.h>

#include <exception>

#include "app/Main.h"
#include "ui/FatalError.h"
#include "ui/MessageLoop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        app::Main main;
        main.Show();
        ui::RunMessagesUntil([&main] { return !main.IsLoaded(); });
    } catch (...) {
        ui::FailFast(std::current_exception());
    }
    return 0;
}
