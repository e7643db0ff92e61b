// Shows one of the program's four windows for scripts/screenshots: builds the
// main window, opens the named dialog modally over it, writes the shown
// window's screen rectangle to the marker file and waits until the file
// "<marker>.done" appears before closing everything.
//
//   show_window.exe Main|Ask|MSG|About <marker file>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/Ask.h"
#include "dialogs/Functions.h"
#include "dialogs/MSG.h"
#include "ui/FatalError.h"
#include "ui/MessageLoop.h"

namespace {

std::string marker;
ui::Form* shown = nullptr;
int ticks = 0;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    try {
        // A few ticks first, so that every control has painted.
        if (!shown || !shown->IsLoaded() || ++ticks < 5)
            return;
        if (ticks == 5) {
            RECT rect;
            GetWindowRect(shown->Hwnd(), &rect);
            std::ofstream(marker, std::ios::binary)
                << rect.left << ' ' << rect.top << ' ' << rect.right << ' ' << rect.bottom << '\n';
            return;
        }
        if (GetFileAttributesA((marker + ".done").c_str()) != INVALID_FILE_ATTRIBUTES)
            ExitProcess(0);
    } catch (...) {
        ui::FailFast(std::current_exception());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: show_window Main|Ask|MSG|About <marker file>\n");
        return 2;
    }
    const std::string name = argv[1];
    marker = argv[2];
    try {
        app::Main main;
        main.Show();
        SetTimer(nullptr, 0, 100, Tick);
        if (name == "Main") {
            shown = &main;
            ui::RunMessagesUntil([&main] { return !main.IsLoaded(); });
        } else if (name == "Ask") {
            shown = &dialogs::Ask::Instance();
            Functions::AskToSave();
        } else if (name == "MSG") {
            shown = &dialogs::MSG::Instance();
            dialogs::MSG::Instance().ShowModal();
        } else if (name == "About") {
            shown = &dialogs::About::Instance();
            dialogs::About::Instance().ShowModal();
        } else {
            std::fprintf(stderr, "unknown window %s\n", name.c_str());
            return 2;
        }
    } catch (...) {
        ui::FailFast(std::current_exception());
    }
    return 0;
}
