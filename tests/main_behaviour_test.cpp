// The working main window against the real (Wine's) registry: what loading
// shows for each kind of stored value, how edits move the window between
// Clean and Changed, what a save writes, and how closing asks and ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app/Main.h"
#include "app/Tools.h"
#include "dialogs/Ask.h"
#include "dialogs/MSG.h"
#include "tool_keys_support.h"
#include "window_test_support.h"

using namespace testing_support;
using namespace std::string_literals;

namespace {

constexpr int Default = 3, Apply = 4, About = 5, Ok = 6;

// Each case starts with the three tool keys absent and removes them again.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { removeToolKeys(); }
    void TearDown() override {
        if (main_.IsLoaded())
            main_.Unload();
        takeQuit();
        removeToolKeys();
    }

    void load() {
        main_.Load();
        main_.Show();
        ui::ProcessPendingMessages();
    }

    bool clean() { return main_.SettingsChanged == False && !main_.UCmd(Apply).Enabled(); }
    bool changed() { return main_.SettingsChanged == True && main_.UCmd(Apply).Enabled(); }
    bool rowEnabled(int row) {
        return main_.Txt(row).Enabled() && main_.UCmd(row).Enabled() && main_.ULPr(row).Enabled();
    }

    // Closes the window as its close box does, answering Ask with `answer`
    // ("Yes", "No" or "close box") and reading the MSG shown afterwards.
    struct CloseResult {
        bool asked = false;
        std::string message = "(none)";
        bool ended = false;
    };
    CloseResult closeAnswering(const std::string& answer) {
        CloseResult result;
        Answers answers;
        answers.When(dialogs::Ask::Instance(), [&](ui::Form& ask) {
            result.asked = true;
            if (answer == "close box")
                PostMessageA(ask.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                Click(ask.Control(answer == "Yes" ? dialogs::AskControls::Command1
                                                  : dialogs::AskControls::Command2)
                          .Hwnd());
        });
        answers.When(dialogs::MSG::Instance(), [&](ui::Form& msg) {
            result.message = msg.Control(dialogs::MsgControls::Label1).Caption();
            Click(msg.Control(dialogs::MsgControls::Command1).Hwnd());
        });
        SendMessageA(main_.Hwnd(), WM_CLOSE, 0, 0);
        result.ended = !main_.IsLoaded() && takeQuit();
        return result;
    }

    app::Main main_;
};

} // namespace

TEST_F(MainWindow, LoadsAbsentKeysAsSwitchedOffGreyedRowsInTheCleanState) {
    load();
    for (int row = 0; row < app::ToolCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(1, main_.UCh(row).Value());
        EXPECT_EQ("", main_.Txt(row).Caption());
        EXPECT_FALSE(main_.Txt(row).Enabled());
        EXPECT_FALSE(main_.UCmd(row).Enabled());
        EXPECT_FALSE(main_.ULPr(row).Enabled());
        EXPECT_TRUE(main_.UCh(row).Enabled()) << "a switched-off row can be switched on again";
    }
    EXPECT_TRUE(clean());
}

TEST_F(MainWindow, LoadsEachKindOfStoredValue) {
    storeText(0, REG_EXPAND_SZ, "%SystemRoot%\\system32\\ntbackup.exe");
    createKey(keyOf(1)); // a key without a default value
    store(keyOf(2), REG_DWORD, bytesOf(42));
    load();

    EXPECT_EQ(expanded("%SystemRoot%\\system32\\ntbackup.exe"), main_.Txt(0).Caption());
    EXPECT_EQ("", main_.Txt(1).Caption());
    EXPECT_EQ("42", main_.Txt(2).Caption());
    for (int row = 0; row < app::ToolCount; ++row) {
        EXPECT_EQ(0, main_.UCh(row).Value()) << row;
        EXPECT_TRUE(rowEnabled(row)) << row;
    }
    EXPECT_TRUE(clean());
}

TEST_F(MainWindow, EditsLeaveTheWindowChangedEvenWhenUndone) {
    storeText(0, REG_SZ, "C:\\tools\\backup.exe");
    load();
    main_.Txt(0).SetCaption("C:\\tools\\backup.exe2");
    main_.Txt(0).SetCaption("C:\\tools\\backup.exe");
    EXPECT_TRUE(changed());

    main_.Unload();
    load();
    ASSERT_TRUE(clean());
    // Ticking and clearing a box by the user re-enables the row, still Changed.
    Click(main_.UCh(0).Hwnd());
    ui::ProcessPendingMessages();
    EXPECT_EQ(1, main_.UCh(0).Value());
    EXPECT_FALSE(rowEnabled(0));
    Click(main_.UCh(0).Hwnd());
    ui::ProcessPendingMessages();
    EXPECT_TRUE(rowEnabled(0));
    EXPECT_TRUE(changed());
}

TEST_F(MainWindow, DefaultEnablesEveryRowAndWritesNothing) {
    load();
    SendMessageA(main_.UCmd(Default).Hwnd(), BM_CLICK, 0, 0);
    for (int row = 0; row < app::ToolCount; ++row) {
        EXPECT_EQ(app::Tools[row].defaultCommandLine, main_.Txt(row).Caption());
        EXPECT_EQ(0, main_.UCh(row).Value());
        EXPECT_TRUE(rowEnabled(row));
        EXPECT_FALSE(keyExists(keyOf(row)));
    }
    EXPECT_TRUE(changed());
}

// Saving: these cases also run with the shell object missing (a second ctest
// entry), and must give the same registry either way.
TEST_F(MainWindow, SavingDefaultsWritesExpandableStringsTheShellCanUse) {
    load();
    SendMessageA(main_.UCmd(Default).Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));

    // Nothing had been read, yet a REG_SZ holding %SystemRoot% would reach
    // the shell unexpanded: each stock line is stored as REG_EXPAND_SZ.
    for (int row = 0; row < app::ToolCount; ++row) {
        EXPECT_EQ((Stored{REG_EXPAND_SZ, app::Tools[row].defaultCommandLine}), storedValue(row));
        EXPECT_EQ(expanded(app::Tools[row].defaultCommandLine), main_.Txt(row).Caption());
    }
    EXPECT_TRUE(clean());
    EXPECT_EQ(False, main_.SaveSettings()) << "a second save right after writes nothing";
}

TEST_F(MainWindow, SavingStopsAtTheFirstEnabledRowWithoutACommandLine) {
    createKey(keyOf(0));
    storeText(1, REG_SZ, "C:\\clean.exe");
    createKey(keyOf(2));
    load();
    main_.Txt(1).SetCaption("C:\\other.exe");
    main_.Txt(0).SetCaption("   "); // spaces only count as missing

    EXPECT_EQ("No Backup Path Selected", clickAndReadMessage(main_, Apply));
    EXPECT_EQ((Stored{REG_SZ, "C:\\clean.exe"}), storedValue(1)) << "nothing is written";
    EXPECT_TRUE(changed());

    // The replaced caption lasts one showing: the next save confirms again.
    main_.Txt(0).SetCaption(" C:\\backup.exe ");
    main_.Txt(2).SetCaption("C:\\defrag.exe");
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));
    EXPECT_EQ((Stored{REG_SZ, " C:\\backup.exe "}), storedValue(0)) << "spaces are kept";
}

TEST_F(MainWindow, SavingASwitchedOffRowDeletesItsKeyWithEverythingBelow) {
    storeText(1, REG_SZ, "C:\\clean.exe");
    createKey(keyOf(1) + "\\Sub\\Deeper"s);
    load();
    Click(main_.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    main_.Txt(1).SetCaption(""); // a switched-off row needs no command line
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));
    EXPECT_FALSE(keyExists(keyOf(1)));
    EXPECT_EQ(1, main_.UCh(1).Value());
}

TEST_F(MainWindow, SavingWritesEveryEnabledRowAsAStringWhateverWasReadLast) {
    // The value read last is binary: the Registry object's type is then 3,
    // and a text would be refused. Each row is still saved as text.
    storeText(0, REG_SZ, "C:\\backup.exe");
    store(keyOf(1), REG_DWORD, bytesOf(7));
    store(keyOf(2), REG_BINARY, "\x01\x02"s);
    load();
    main_.Txt(1).SetCaption("C:\\clean.exe /D %c");
    main_.Txt(2).SetCaption("C:\\defrag.exe");
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));
    EXPECT_EQ((Stored{REG_SZ, "C:\\backup.exe"}), storedValue(0));
    EXPECT_EQ((Stored{REG_SZ, "C:\\clean.exe /D %c"}), storedValue(1));
    EXPECT_EQ((Stored{REG_SZ, "C:\\defrag.exe"}), storedValue(2));
}

// A row left as it was loaded keeps its key byte for byte: its type, an
// environment reference the load expanded, and its sub-keys. Text typed and
// taken back again counts as untouched; a changed row is written.
TEST_F(MainWindow, SavingLeavesUntouchedRowsAsStored) {
    store(keyOf(0), REG_EXPAND_SZ, "%SystemRoot%\\system32\\ntbackup.exe"s + '\0');
    store(keyOf(0) + "\\Kept"s, REG_SZ, "sub-key\0"s);
    store(keyOf(1), REG_DWORD, bytesOf(7));
    storeText(2, REG_SZ, "%systemroot%\\system32\\dfrg.msc %c:");
    load();
    ASSERT_EQ(expanded("%SystemRoot%\\system32\\ntbackup.exe"), main_.Txt(0).Caption());
    const std::string row2 = main_.Txt(2).Caption();
    main_.Txt(2).SetCaption(row2 + "x");
    main_.Txt(2).SetCaption(row2);
    main_.Txt(1).SetCaption("C:\\clean.exe /D %c");
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));
    const std::optional<Raw> row0 = rawValue(keyOf(0));
    ASSERT_TRUE(row0);
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), row0->type);
    EXPECT_EQ("%SystemRoot%\\system32\\ntbackup.exe"s + '\0', row0->bytes);
    EXPECT_TRUE(keyExists(keyOf(0) + "\\Kept"s));
    EXPECT_EQ((Stored{REG_SZ, "C:\\clean.exe /D %c"}), storedValue(1));
    EXPECT_EQ((Stored{REG_SZ, "%systemroot%\\system32\\dfrg.msc %c:"}), storedValue(2));
    EXPECT_TRUE(clean());
}

TEST_F(MainWindow, ClosingInTheCleanStateEndsWithoutAQuestion) {
    storeText(0, REG_SZ, "C:\\backup.exe");
    load();
    bool asked = false;
    WhenShown ask(dialogs::Ask::Instance(), [&](ui::Form& form) {
        asked = true;
        form.Unload();
    });
    SendMessageA(main_.UCmd(Ok).Hwnd(), BM_CLICK, 0, 0);
    ui::RunMessagesUntil([&] { return !main_.IsLoaded(); });
    EXPECT_FALSE(asked);
    EXPECT_TRUE(takeQuit()) << "closing ends the program";
}

TEST_F(MainWindow, ClosingChangedAndAnsweringNoOrTheCloseBoxEndsWithoutWriting) {
    for (const char* answer : {"No", "close box"}) {
        SCOPED_TRACE(answer);
        load();
        SendMessageA(main_.UCmd(Default).Hwnd(), BM_CLICK, 0, 0);
        const CloseResult closed = closeAnswering(answer);
        EXPECT_TRUE(closed.asked);
        EXPECT_EQ("(none)", closed.message);
        EXPECT_TRUE(closed.ended);
        EXPECT_FALSE(keyExists(keyOf(0)));
    }
}

TEST_F(MainWindow, ClosingChangedAndAnsweringYesSavesOrStaysOpen) {
    createKey(keyOf(0));
    load();
    main_.Txt(0).SetCaption("");
    CloseResult closed = closeAnswering("Yes");
    EXPECT_EQ("No Backup Path Selected", closed.message);
    EXPECT_FALSE(closed.ended) << "a save that writes nothing cancels the close";
    ASSERT_TRUE(main_.IsLoaded());
    EXPECT_TRUE(changed());

    main_.Txt(0).SetCaption("C:\\backup.exe");
    closed = closeAnswering("Yes");
    EXPECT_TRUE(closed.asked) << "Ask starts afresh";
    EXPECT_EQ("Changes has been save successful", closed.message);
    EXPECT_TRUE(closed.ended);
    EXPECT_EQ((Stored{REG_SZ, "C:\\backup.exe"}), storedValue(0));
}

TEST_F(MainWindow, KeepsItsOuterSizeWhenDraggedMinimisedAndRestored) {
    load();
    RECT before;
    GetWindowRect(main_.Hwnd(), &before);
    SetWindowPos(main_.Hwnd(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    RECT after;
    GetWindowRect(main_.Hwnd(), &after);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
    const int dpi = main_.Dpi();
    EXPECT_NEAR(6615, ToTwips(after.right - after.left, dpi), 1440.0 / dpi);
    EXPECT_NEAR(5970, ToTwips(after.bottom - after.top, dpi), 1440.0 / dpi);

    ShowWindow(main_.Hwnd(), SW_MINIMIZE);
    ShowWindow(main_.Hwnd(), SW_RESTORE);
    ui::ProcessPendingMessages();
    GetWindowRect(main_.Hwnd(), &after);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
}

TEST_F(MainWindow, TabFromAboutWrapsToTheBackupRowsCheckBox) {
    load();
    SetForegroundWindow(main_.Hwnd());
    main_.UCmd(About).SetFocus();
    ui::ProcessPendingMessages();
    ASSERT_EQ(main_.UCmd(About).Hwnd(), GetFocus());
    PressKey(VK_TAB);
    ui::ProcessPendingMessages();
    EXPECT_EQ(main_.UCh(0).Hwnd(), GetFocus());
}

namespace {

// The open-file dialog a browse button shows: found among this thread's
// windows, answered through its own controls as the user would.
struct OpenDialog {
    static BOOL CALLBACK find(HWND window, LPARAM param) {
        char title[16] = {};
        GetWindowTextA(window, title, sizeof title);
        if (ClassOf(window) == "#32770" && std::string(title) == "Open" &&
            IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    static HWND shown() {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), find, reinterpret_cast<LPARAM>(&dialog));
        return dialog;
    }
    // A direct child, by class and id: the dialog's list view shares id 1
    // with its "Open" button.
    static HWND child(HWND dialog, const char* windowClass, int id) {
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetDlgCtrlID(c) == id && lstrcmpiA(ClassOf(c).c_str(), windowClass) == 0)
                return c;
        return nullptr;
    }
    static HWND fileNameEdit(HWND dialog) {
        HWND box = child(dialog, "ComboBoxEx32", 1148);
        HWND combo = box ? FindWindowExA(box, nullptr, "ComboBox", nullptr) : nullptr;
        return combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    }
};

// Answers the next open-file dialog from a timer its modal loop dispatches:
// types `path` and presses "Open", or presses "Cancel" when `path` is empty.
// Notes the file-type filter it showed.
class AnswerOpenDialog {
public:
    explicit AnswerOpenDialog(std::wstring path) : path_(std::move(path)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~AnswerOpenDialog() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    AnswerOpenDialog(const AnswerOpenDialog&) = delete;
    AnswerOpenDialog& operator=(const AnswerOpenDialog&) = delete;

    bool answered = false;
    std::string filterShown;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        AnswerOpenDialog* self = current_;
        HWND dialog = self && !self->answered ? OpenDialog::shown() : nullptr;
        if (!dialog)
            return;
        self->answered = true;
        self->filterShown = TextOf(OpenDialog::child(dialog, "ComboBox", 1136));
        if (self->path_.empty()) {
            Click(OpenDialog::child(dialog, "Button", IDCANCEL));
            return;
        }
        SetWindowTextW(OpenDialog::fileNameEdit(dialog), self->path_.c_str());
        Click(OpenDialog::child(dialog, "Button", IDOK));
    }

    std::wstring path_;
    UINT_PTR timer_ = 0;
    static inline AnswerOpenDialog* current_ = nullptr;
};

std::string utf8(const std::wstring& text) {
    std::string converted(text.size() * 4, '\0');
    converted.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         converted.data(), static_cast<int>(converted.size()),
                                         nullptr, nullptr));
    return converted;
}

// A program file in a folder whose names need more than one code page.
class UnicodeProgram {
public:
    UnicodeProgram() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ =
            std::wstring(temp) + L"Quillmere \x0421\x043B\x0443\x0436\x0431\x0430 \x5DE5\x5177";
        path_ = folder_ + L"\\\x0430\x0440\x0445\x0438\x0432 \x5099\x4EFD.exe";
        CreateDirectoryW(folder_.c_str(), nullptr);
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    ~UnicodeProgram() {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    UnicodeProgram(const UnicodeProgram&) = delete;
    UnicodeProgram& operator=(const UnicodeProgram&) = delete;

    const std::wstring& path() const { return path_; }

private:
    std::wstring folder_, path_;
};

// Runs a command of Wine's own and waits for it; its exit code.
DWORD run(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// The whole of a UTF-16 file (what `reg export` writes), without its mark.
std::wstring readUtf16(const std::wstring& path) {
    std::wstring text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    const DWORD size = GetFileSize(file, nullptr);
    text.resize(size / sizeof(wchar_t));
    DWORD read = 0;
    ReadFile(file, text.data(), size, &read, nullptr);
    CloseHandle(file);
    if (!text.empty() && text.front() == 0xFEFF)
        text.erase(0, 1);
    return text;
}

} // namespace

// A confirmed path with a space arrives quoted, so that the shell does not
// cut it at the space; one without a space arrives as it is.
TEST_F(MainWindow, BrowsingPutsTheConfirmedPathIntoTheRowQuotedIfSpacedAndCancelKeepsIt) {
    const UnicodeProgram program;
    storeText(0, REG_SZ, "C:\\backup.exe");
    load();
    {
        AnswerOpenDialog answer(program.path());
        SendMessageA(main_.UCmd(0).Hwnd(), BM_CLICK, 0, 0);
        ASSERT_TRUE(answer.answered) << "no open-file dialog";
        EXPECT_EQ("Programs", answer.filterShown);
    }
    const std::string quoted = '"' + utf8(program.path()) + '"';
    EXPECT_EQ(quoted, main_.Txt(0).Caption());
    EXPECT_EQ("", main_.ULSt(0).Caption()) << "the quoted program is found";
    EXPECT_TRUE(changed());
    {
        AnswerOpenDialog cancel(L"");
        SendMessageA(main_.UCmd(0).Hwnd(), BM_CLICK, 0, 0);
        ASSERT_TRUE(cancel.answered);
    }
    EXPECT_EQ(quoted, main_.Txt(0).Caption()) << "cancel changes nothing";
    EXPECT_TRUE(changed());

    wchar_t system[MAX_PATH];
    const std::wstring spaceless =
        std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\notepad.exe";
    ASSERT_EQ(std::wstring::npos, spaceless.find(L' '));
    {
        AnswerOpenDialog answer(spaceless);
        SendMessageA(main_.UCmd(1).Hwnd(), BM_CLICK, 0, 0);
        ASSERT_TRUE(answer.answered);
    }
    EXPECT_EQ(utf8(spaceless), main_.Txt(1).Caption());
}

// The program runs with the UTF-8 code page, so the ANSI calls it makes carry
// any path: browsed, saved, seen by Wine's own reg tool, and loaded again.
TEST_F(MainWindow, APathInAnyScriptSurvivesBrowsingSavingAndLoading) {
    ASSERT_EQ(65001u, GetACP()) << "the manifest's code page is not in force";
    const UnicodeProgram program;
    storeText(0, REG_SZ, "C:\\backup.exe");
    load();
    {
        AnswerOpenDialog answer(program.path());
        SendMessageA(main_.UCmd(0).Hwnd(), BM_CLICK, 0, 0);
        ASSERT_TRUE(answer.answered);
    }
    EXPECT_EQ("Changes has been save successful", clickAndReadMessage(main_, Apply));

    wchar_t stored[MAX_PATH] = {};
    DWORD size = sizeof stored;
    EXPECT_EQ(0, RegGetValueW(HKEY_LOCAL_MACHINE,
                              L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
                              L"\\Explorer\\MyComputer\\BackupPath",
                              L"", RRF_RT_REG_SZ, nullptr, stored, &size));
    const std::wstring quoted = L'"' + program.path() + L'"';
    EXPECT_EQ(quoted, stored);

    // Wine's reg writes non-Latin text as "?" to a pipe, but exports it whole.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring exported = std::wstring(temp) + L"quillmere-backup.reg";
    ASSERT_EQ(0u, run("reg.exe export \"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                      "Explorer\\MyComputer\\BackupPath\" \"" +
                      utf8(exported) + "\" /y"));
    std::wstring escaped;
    for (wchar_t c : quoted) {
        if (c == L'\\' || c == L'"')
            escaped += L'\\';
        escaped += c;
    }
    EXPECT_NE(std::wstring::npos, readUtf16(exported).find(L"@=\"" + escaped + L"\""));
    DeleteFileW(exported.c_str());

    main_.Unload();
    load();
    EXPECT_EQ(utf8(quoted), main_.Txt(0).Caption());
    EXPECT_TRUE(clean());
}

// Each enabled row says when its program cannot be started, from the load
// on and while it is edited; a switched-off row says nothing. The status is
// never an edit: it leaves the window's state alone.
TEST_F(MainWindow, EachRowShowsItsProgramStatusAndKeepsItUpToDate) {
    // The short form stands in where the system's font makes the full one
    // too wide; whichever is shown fits its label.
    const auto says = [this](int row, const std::string& full,
                             const std::string& shortened) -> testing::AssertionResult {
        const std::string shown = main_.ULSt(row).Caption();
        if (shown != full && shown != shortened)
            return testing::AssertionFailure() << "row " << row << " says \"" << shown << '"';
        if (!main_.ULSt(row).Fits(shown))
            return testing::AssertionFailure() << '"' << shown << "\" does not fit";
        return testing::AssertionSuccess();
    };
    const auto notFound = [&](int row) { return says(row, "Program not found", "Not found"); };
    const UnicodeProgram program;
    storeText(0, REG_EXPAND_SZ, "%SystemRoot%\\system32\\quillmere-missing.exe");
    storeText(1, REG_SZ, utf8(program.path()) + " /D %c");
    storeText(2, REG_EXPAND_SZ, "%systemroot%\\system32\\notepad.exe %c:");
    load();
    EXPECT_TRUE(notFound(0));
    EXPECT_TRUE(says(1, "Path needs quotes", "Needs quotes"));
    EXPECT_EQ("", main_.ULSt(2).Caption());
    EXPECT_TRUE(clean());

    main_.Txt(1).SetCaption('"' + utf8(program.path()) + "\" /D %c");
    EXPECT_EQ("", main_.ULSt(1).Caption());
    main_.Txt(2).SetCaption("quillmere-missing /x");
    EXPECT_TRUE(notFound(2));
    main_.UCh(0).SetValue(1);
    EXPECT_EQ("", main_.ULSt(0).Caption()) << "a switched-off row says nothing";
    main_.UCh(0).SetValue(0);
    EXPECT_TRUE(notFound(0));
    main_.Txt(2).SetCaption("notepad");
    EXPECT_EQ("", main_.ULSt(2).Caption()) << "found as the system searches";
}

// A click on another button while "About" has the focus takes the focus
// there, and the button's press completes: the focus is not pulled back to
// the first row between the button's press and its release.
TEST_F(MainWindow, AClickOnAnotherButtonWhileAboutHasTheFocusIsNotStolen) {
    load();
    SetForegroundWindow(main_.Hwnd());
    main_.UCmd(About).SetFocus();
    ui::ProcessPendingMessages();
    ASSERT_EQ(main_.UCmd(About).Hwnd(), GetFocus());

    RECT button;
    GetWindowRect(main_.UCmd(Default).Hwnd(), &button);
    SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, press, sizeof(INPUT)));
    for (int i = 0; i < 100 && main_.Txt(0).Caption() != app::Tools[0].defaultCommandLine; ++i) {
        ui::ProcessPendingMessages();
        Sleep(20);
    }

    EXPECT_EQ(main_.UCmd(Default).Hwnd(), GetFocus());
    EXPECT_EQ(app::Tools[0].defaultCommandLine, main_.Txt(0).Caption()) << "the click was lost";
}

// Leaving the window for another one takes the focus away from "About"
// without the window pulling it back.
TEST_F(MainWindow, SwitchingAwayFromAboutLeavesTheFocusWhereItWent) {
    load();
    SetForegroundWindow(main_.Hwnd());
    main_.UCmd(About).SetFocus();
    ui::ProcessPendingMessages();
    ASSERT_EQ(main_.UCmd(About).Hwnd(), GetFocus());

    HWND other = CreateWindowExA(0, "Edit", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    SetFocus(other);
    ui::ProcessPendingMessages();
    EXPECT_EQ(other, GetFocus());
    EXPECT_EQ(other, GetForegroundWindow());
    DestroyWindow(other);
}

TEST(Program, StartsShowsItsWindowAndEndsWhenItIsClosed) {
    StartedProgram program;
    ASSERT_TRUE(program.Started()) << program.Path();
    ASSERT_NE(nullptr, program.Main()) << "no main window";
    char title[32] = {};
    GetWindowTextA(program.Main(), title, sizeof title);
    EXPECT_STREQ("Quillmere", title);
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    const std::optional<DWORD> exitCode = program.Ended();
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end";
    EXPECT_EQ(0u, *exitCode);
}
