#include "Program.h"

#include <algorithm>

#include "rules/Tools.h"
#include "Text.h"
#include "WindowAccess.h"

namespace support {

namespace {

base::unique_handle start(std::string commandLine, DWORD flags, DWORD* processId = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        nullptr, &startup, &started))
        return {};
    CloseHandle(started.hThread);
    if (processId)
        *processId = started.dwProcessId;
    return base::unique_handle(started.hProcess);
}

// nullopt when the process has not ended within the time.
std::optional<DWORD> exitCode(HANDLE process, DWORD milliseconds) {
    DWORD code = 0;
    if (!process || WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process, &code))
        return std::nullopt;
    return code;
}

bool isTextBox(HWND window) {
    return IsClass(window, "Edit");
}

bool isCheckBox(HWND window) {
    return IsClass(window, "Button") &&
           (GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

std::optional<DWORD> runAndWait(std::string commandLine) {
    const base::unique_handle process = start(std::move(commandLine), CREATE_NO_WINDOW);
    const std::optional<DWORD> code = exitCode(process.get(), 60000);
    if (process && !code)
        TerminateProcess(process.get(), 1);
    return code;
}

StartedProgram::StartedProgram(const std::string& fromTests) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    path_ = path;
    path_ = path_.substr(0, path_.find_last_of("\\/") + 1) + fromTests;
    process_ = start("\"" + path_ + "\"", 0, &processId_);
    if (!process_)
        return;
    WaitForInputIdle(process_.get(), 10000);
    waitUntil([this] {
        for (HWND window : topLevelWindows())
            if (ClassOf(window) != "#32770" && childWithText(window, "Button", "Apply"))
                main_ = window;
        return main_ != nullptr;
    });
}

StartedProgram::~StartedProgram() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 10000);
    }
}

std::optional<DWORD> StartedProgram::Ended(DWORD milliseconds) const {
    return exitCode(process_.get(), milliseconds);
}

HWND StartedProgram::Button(const std::string& caption) const {
    return childWithText(Main(), "Button", caption);
}

std::vector<HWND> StartedProgram::TextBoxes() const {
    return byTop(isTextBox);
}

std::vector<HWND> StartedProgram::CheckBoxes() const {
    return byTop(isCheckBox);
}

HWND StartedProgram::ErrorBox() const {
    for (HWND window : topLevelWindows())
        if (ClassOf(window) == "#32770")
            return window;
    return nullptr;
}

HWND StartedProgram::MessageWindow() const {
    for (HWND window : topLevelWindows())
        if (window != Main() && ClassOf(window) != "#32770")
            return window;
    return nullptr;
}

std::vector<HWND> StartedProgram::topLevelWindows() const {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId_, {}};
    EnumWindows(
        [](HWND window, LPARAM param) {
            auto* search = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->processId && IsWindowVisible(window))
                search->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> StartedProgram::byTop(bool (*wanted)(HWND)) const {
    std::vector<HWND> found;
    for (HWND child : childrenOf(Main()))
        if (wanted(child))
            found.push_back(child);
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return found;
}

bool setRemoteText(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

bool clickRemote(HWND button) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

std::string clickRemoteAndReadMessage(const StartedProgram& program, HWND button) {
    Click(button);
    HWND window = nullptr;
    if (!waitUntil([&] { return (window = program.MessageWindow()) != nullptr; }))
        return "(not shown)";
    // The label is filled in before the window shows; read it once it has.
    const std::string message = messageOf(window);
    Click(childWithText(window, "Button", "OK"));
    waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
    return message;
}

void ProgramTest::SetUp() {
    if (environment("QUILLMERE_DISPOSABLE_REGISTRY") != "1")
        GTEST_SKIP() << "this case starts Quillmere.exe, which changes the machine's own tool "
                        "keys; it runs only where QUILLMERE_DISPOSABLE_REGISTRY=1 says the "
                        "registry is disposable, as scripts/test does for its Wine prefix";
    for (int row = 0; row < rules::ToolCount; ++row)
        saved_.push_back(snapshotKey(HKEY_LOCAL_MACHINE, keyOf(row)));
}

void ProgramTest::TearDown() {
    for (int row = 0; row < static_cast<int>(saved_.size()); ++row) {
        restoreKey(HKEY_LOCAL_MACHINE, keyOf(row), saved_[row]);
        EXPECT_EQ(saved_[row], snapshotKey(HKEY_LOCAL_MACHINE, keyOf(row)))
            << keyOf(row) << " as it was before the case";
    }
}

} // namespace support
