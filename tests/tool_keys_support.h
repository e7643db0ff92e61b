// What the tests of the working program share: the three tool keys as the
// registry holds them, answering the modal windows the main window shows, and
// starting the built Quillmere.exe beside the test and finding its window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/Tools.h"
#include "base/Handles.h"
#include "dialogs/MSG.h"
#include "window_test_support.h"

namespace testing_support {

inline const char* keyOf(int row) {
    return app::Tools[row].keyPath;
}

inline void removeToolKeys() {
    for (int row = 0; row < app::ToolCount; ++row)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyOf(row));
}

inline bool keyExists(const std::string& path) {
    base::unique_hkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == 0;
}

// The unnamed value of a key as the registry reports it to a plain reader.
struct Raw {
    DWORD type;
    std::string bytes;
};

inline std::optional<Raw> rawValue(const std::string& path) {
    base::unique_hkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()))
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), "", nullptr, &type, nullptr, &size))
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(key.get(), "", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size))
        return std::nullopt;
    data.resize(size);
    return Raw{type, data};
}

struct Stored {
    DWORD type;
    std::string text; // without its terminator
    bool operator==(const Stored&) const = default;
};

inline void PrintTo(const Stored& value, std::ostream* out) {
    *out << "type " << value.type << " \"" << value.text << "\"";
}

// The row's unnamed value as text; nullopt when the key or the value is
// missing.
inline std::optional<Stored> storedValue(int row) {
    std::optional<Raw> raw = rawValue(keyOf(row));
    if (!raw)
        return std::nullopt;
    if (!raw->bytes.empty() && raw->bytes.back() == '\0')
        raw->bytes.pop_back();
    return Stored{raw->type, raw->bytes};
}

// A key without a default value.
inline void createKey(const std::string& path) {
    base::unique_hkey key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, key.put(), nullptr))
        << path;
}

// Stores the bytes as they are: a text needs its terminator spelled out.
inline void store(const std::string& path, DWORD type, const std::string& data,
                  const char* name = "") {
    base::unique_hkey key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, key.put(), nullptr))
        << path;
    ASSERT_EQ(0,
              RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())))
        << path;
}

inline void storeText(int row, DWORD type, const std::string& text) {
    store(keyOf(row), type, text + '\0');
}

// A number's bytes in the machine's order, as REG_DWORD holds them.
inline std::string bytesOf(DWORD number) {
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}

inline std::string expanded(const std::string& text) {
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    std::string buffer(needed, '\0');
    ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
    return buffer.substr(0, needed ? needed - 1 : 0);
}

// Answers modal windows in the order they come, from a timer that their
// modal loops dispatch: each step waits until its window is shown.
class Answers {
public:
    Answers() {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~Answers() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    Answers(const Answers&) = delete;
    Answers& operator=(const Answers&) = delete;

    void When(ui::Form& form, std::function<void(ui::Form&)> action) {
        steps_.push_back({&form, std::move(action)});
    }

private:
    struct Step {
        ui::Form* form;
        std::function<void(ui::Form&)> action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Answers* self = current_;
        if (!self || self->next_ >= self->steps_.size())
            return;
        Step& step = self->steps_[self->next_];
        if (step.form->IsLoaded() && IsWindowVisible(step.form->Hwnd())) {
            ++self->next_;
            step.action(*step.form);
        }
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    static inline Answers* current_ = nullptr;
};

// Clicks a button of the window and answers the MSG window it shows, noting
// its text.
inline std::string clickAndReadMessage(app::Main& main, int button) {
    std::string shown = "(not shown)";
    WhenShown answer(dialogs::MSG::Instance(), [&](ui::Form& msg) {
        shown = msg.Control(dialogs::MsgControls::Label1).Caption();
        Click(msg.Control(dialogs::MsgControls::Command1).Hwnd());
    });
    SendMessageA(main.UCmd(button).Hwnd(), BM_CLICK, 0, 0);
    return shown;
}

inline bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

// Text of a window of another process: GetWindowText would not ask it.
inline std::string remoteText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return "(no answer)";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

inline std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

inline HWND childWithText(HWND parent, const std::string& className, const std::string& text) {
    for (HWND child : childrenOf(parent))
        if (lstrcmpiA(ClassOf(child).c_str(), className.c_str()) == 0 && remoteText(child) == text)
            return child;
    return nullptr;
}

// The built Quillmere.exe, started from the test's own folder; ended by force
// if a case leaves it running. Its main window is the one of its visible
// top-level windows that is no message box ("#32770") and has an "Apply"
// button: the program's other windows share its title.
class StartedProgram {
public:
    StartedProgram() {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        path_ = path;
        path_ = path_.substr(0, path_.find_last_of("\\/") + 1) + QUILLMERE_FROM_TESTS;
        std::string commandLine = "\"" + path_ + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started))
            return;
        process_.reset(started.hProcess);
        const base::unique_handle thread(started.hThread);
        processId_ = started.dwProcessId;
        threadId_ = started.dwThreadId;
        WaitForInputIdle(process_.get(), 10000);
        waitUntil([this] { return (main_ = findMain()) != nullptr; });
    }
    ~StartedProgram() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 10000);
        }
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    const std::string& Path() const { return path_; }
    HWND Main() const { return main_; }

    // Waits for the process to end; its exit code, or nullopt when it ran on.
    std::optional<DWORD> Ended(DWORD milliseconds = 10000) const {
        if (!process_ || WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

protected:
    DWORD ThreadId() const { return threadId_; }

    std::vector<HWND> topLevelWindows() const {
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

private:
    HWND findMain() const {
        for (HWND window : topLevelWindows())
            if (ClassOf(window) != "#32770" && childWithText(window, "Button", "Apply"))
                return window;
        return nullptr;
    }

    std::string path_;
    base::unique_handle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND main_ = nullptr;
};

} // namespace testing_support
