// The one fixture of the window tests: the main window of a case, built in
// this process while HKEY_LOCAL_MACHINE is redirected to a scratch key, so
// that the tool keys it reads and writes are the case's own and start absent.
// Closing the window ends the program with a WM_QUIT; it must not end the
// next case's message loops.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Main.h"
#include "ToolKeys.h"
#include "ui/MessageLoop.h"
#include "WindowAccess.h"

namespace support {

namespace mc = app::MainControls;

// The window as it is created, before its load handler fills the rows from the
// registry: what the layout describes.
class AsCreatedMain : public app::Main {
protected:
    void OnLoad() override {}
};

template <typename Window = app::Main>
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine.Active()) << "HKEY_LOCAL_MACHINE could not be redirected";
    }
    void TearDown() override {
        if (main.IsLoaded())
            main.Unload();
        takeQuit();
    }

    // Loads and shows the window, and lets it handle what that set off.
    void load() {
        main.Show();
        ui::ProcessPendingMessages();
    }

    RedirectedMachine machine;
    Window main;
};

// Shown from the start of each case.
template <typename Window = app::Main>
class ShownMainWindowTest : public MainWindowTest<Window> {
protected:
    void SetUp() override {
        MainWindowTest<Window>::SetUp();
        if (!this->HasFatalFailure())
            this->load();
    }
};

// Clean: nothing unsaved and Apply disabled; changed: the opposite.
::testing::AssertionResult clean(app::Main& main);
::testing::AssertionResult changed(app::Main& main);
// The row's text box, browse button and label are enabled.
::testing::AssertionResult rowEnabled(app::Main& main, int row);

// Runs this thread's message loop, the handles it waits for included, until
// the condition holds; false when it did not within the time.
bool runUntil(const std::function<bool()>& condition, DWORD milliseconds = 1500);

// Runs the work on a thread of its own and waits for it: another program's
// writes, seen through the same redirected HKEY_LOCAL_MACHINE.
void elsewhere(const std::function<void()>& work);

// Clicks a button of the window and answers the MSG window it shows, noting
// its text.
std::string clickAndReadMessage(app::Main& main, int button);

// Closes the window as its close box does, answering Ask with `answer`
// ("Yes", "No" or "close box") and reading the MSG shown afterwards.
struct CloseResult {
    bool asked = false;
    std::string message = "(none)";
    bool ended = false;
};
CloseResult closeAnswering(app::Main& main, const std::string& answer);

} // namespace support
