// The built Quillmere.exe started as a process of its own and driven through
// its windows from outside, as the user would; the fixture of the cases that
// start it; and running a program of the system's.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "ToolKeys.h"

namespace support {

bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// Runs a program and waits for it; its exit code, or nullopt when it did not
// start or did not end within a minute.
std::optional<DWORD> runAndWait(std::string commandLine);

// Quillmere.exe, started from its path relative to the test's own folder
// (QUILLMERE_FROM_TESTS); ended by force if a case leaves it running. Its main window is the one of
// its visible top-level windows that is no message box ("#32770") and has an "Apply" button: the
// program's other windows share its title.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& fromTests);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    const std::string& Path() const { return path_; }
    HWND Main() const { return main_; }
    // Waits for the process to end; its exit code, or nullopt when it ran on.
    std::optional<DWORD> Ended(DWORD milliseconds = 10000) const;

    // Controls of the main window, found as the user sees them: buttons by
    // caption, the rows' text boxes and check boxes from top to bottom.
    HWND Button(const std::string& caption) const;
    std::vector<HWND> TextBoxes() const;
    std::vector<HWND> CheckBoxes() const;
    // The message box of an error ("#32770") over the main window, or the
    // program's own message window.
    HWND ErrorBox() const;
    HWND MessageWindow() const;

private:
    std::vector<HWND> topLevelWindows() const;
    std::vector<HWND> byTop(bool (*wanted)(HWND)) const;

    std::string path_;
    base::unique_handle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

bool setRemoteText(HWND window, const std::string& text);
// A click that opens nothing modal: it has been handled when this returns.
bool clickRemote(HWND button);
// Clicks a button of the program that shows its message window, reads the
// message and closes the window with its "OK".
std::string clickRemoteAndReadMessage(const StartedProgram& program, HWND button);

// For the cases that start Quillmere.exe, which reads and writes the
// machine's own tool keys out of reach of a redirection: they run only where
// QUILLMERE_DISPOSABLE_REGISTRY=1 says the registry may be changed
// (scripts/test sets it for its private Wine prefix), and they put the three
// keys back as they found them, values, sub-keys and access lists, and check
// that they did.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::vector<std::optional<KeyContents>> saved_;
};

} // namespace support
