// The working program under faults: a tool key it may not write or may not
// delete, the shell object missing, bad data in the tool keys, and a whole
// session that must leave every key but the three tool keys as it found them.
// Some cases start the built Quillmere.exe and drive it from outside, since
// an error that no handler catches ends the process that raised it.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/Main.h"
#include "app/Tools.h"
#include "base/Handles.h"
#include "dialogs/Ask.h"
#include "dialogs/MSG.h"
#include "registry/RegistryError.h"
#include "tool_keys_support.h"
#include "window_test_support.h"

using namespace testing_support;
using namespace std::string_literals;

namespace {

using unique_local = base::unique_any<HLOCAL, decltype(&::LocalFree), ::LocalFree>;

constexpr int Apply = 4;
constexpr const char* Saved = "Changes has been save successful";

// Denies everyone some rights on a key for as long as it lives, then puts the
// key's own access list back, also when the case fails half-way. The handle
// it keeps was opened before the denial, so the restoring call never needs a
// right the denial took away.
class KeyDenial {
public:
    KeyDenial(const std::string& path, DWORD deniedRights) : path_(path) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC,
                          key_.put()))
            return;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetSecurityInfo(handle(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &original_, nullptr, &descriptor) != ERROR_SUCCESS)
            return;
        descriptor_.reset(descriptor);

        BYTE everyone[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof everyone;
        if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize))
            return;
        // Deny first, then what the key allowed before; a key without an access
        // list allowed everyone everything, so that is spelled out instead.
        const DWORD aceSize = sizeof(ACCESS_DENIED_ACE) - sizeof(DWORD) + sidSize;
        const DWORD size = sizeof(ACL) + aceSize + (original_ ? original_->AclSize : aceSize);
        acl_.assign(size, 0);
        auto* acl = reinterpret_cast<PACL>(acl_.data());
        const DWORD revision =
            std::max<DWORD>(ACL_REVISION, original_ ? original_->AclRevision : ACL_REVISION);
        if (!InitializeAcl(acl, size, revision) ||
            !AddAccessDeniedAce(acl, revision, deniedRights, everyone))
            return;
        if (original_) {
            for (DWORD i = 0; i < original_->AceCount; ++i) {
                void* ace = nullptr;
                if (!GetAce(original_, i, &ace) ||
                    !AddAce(acl, revision, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize))
                    return;
            }
        } else if (!AddAccessAllowedAce(acl, revision, KEY_ALL_ACCESS, everyone)) {
            return;
        }
        active_ = SetSecurityInfo(handle(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, acl, nullptr) == ERROR_SUCCESS;
    }
    ~KeyDenial() {
        if (active_) {
            EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
                      SetSecurityInfo(handle(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, original_, nullptr))
                << "the access list of " << path_ << " could not be restored";
        }
    }
    KeyDenial(const KeyDenial&) = delete;
    KeyDenial& operator=(const KeyDenial&) = delete;

    bool Active() const { return active_; }

private:
    HANDLE handle() const { return reinterpret_cast<HANDLE>(key_.get()); }

    std::string path_;
    base::unique_hkey key_;
    unique_local descriptor_;
    PACL original_ = nullptr; // inside descriptor_
    std::vector<BYTE> acl_;
    bool active_ = false;
};

// The status an open of the key for these rights gets.
LSTATUS openStatus(const std::string& path, REGSAM access) {
    base::unique_hkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.put());
}

// The text of a message box or a message window: its longest label.
std::string messageOf(HWND window) {
    std::string message;
    for (HWND child : childrenOf(window)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0)
            continue;
        std::string text = remoteText(child);
        if (text.size() > message.size())
            message = text;
    }
    return message;
}

// The built Quillmere.exe, driven through its windows as the user would.
class Program : public StartedProgram {
public:
    // Controls of the main window, found as the user sees them: buttons by
    // caption, the rows' text boxes and check boxes from top to bottom.
    HWND Button(const std::string& caption) const {
        return childWithText(Main(), "Button", caption);
    }
    std::vector<HWND> TextBoxes() const { return byTop(isTextBox); }
    std::vector<HWND> CheckBoxes() const { return byTop(isCheckBox); }

    // A modal window of the program over its main window: the message box of
    // an error ("#32770") or the program's own message window.
    HWND ErrorBox() const {
        HWND box = nullptr;
        EnumThreadWindows(
            ThreadId(),
            [](HWND window, LPARAM found) {
                if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
                    *reinterpret_cast<HWND*>(found) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&box));
        return box;
    }
    HWND MessageWindow() const {
        for (HWND window : topLevelWindows())
            if (window != Main() && ClassOf(window) != "#32770")
                return window;
        return nullptr;
    }

private:
    static bool isTextBox(HWND window) { return lstrcmpiA(ClassOf(window).c_str(), "Edit") == 0; }
    static bool isCheckBox(HWND window) {
        return lstrcmpiA(ClassOf(window).c_str(), "Button") == 0 &&
               (GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    }

    std::vector<HWND> byTop(bool (*wanted)(HWND)) const {
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
};

bool setRemoteText(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// A click that opens nothing modal: it has been handled when this returns.
bool clickRemote(HWND button) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// Clicks a button of the program that shows its message window, reads the
// message and closes the window with its "OK".
std::string clickRemoteAndReadMessage(const Program& program, HWND button) {
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

// Each case starts with the three tool keys absent and removes them again;
// the teardown's check that they are gone also shows that every denial was
// lifted.
class ToolKeys : public ::testing::Test {
protected:
    void SetUp() override { removeToolKeys(); }
    void TearDown() override {
        removeToolKeys();
        for (int row = 0; row < app::ToolCount; ++row)
            EXPECT_FALSE(keyExists(keyOf(row))) << keyOf(row) << " is left behind";
    }
};

} // namespace

// An error that no handler catches: the program shows it and ends. The save
// writes rows in order, so with the second row's key closed to writing the
// first row is written before the error and the third never.
TEST_F(ToolKeys, AnErrorWhileSavingEndsTheProgramAfterShowingItsNumberAndDescription) {
    storeText(0, REG_SZ, "C:\\old\\backup.exe");
    storeText(1, REG_SZ, "C:\\old\\clean.exe");
    storeText(2, REG_SZ, "C:\\old\\defrag.exe");
    KeyDenial denial(keyOf(1), KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    ASSERT_TRUE(denial.Active());
    ASSERT_EQ(ERROR_ACCESS_DENIED, openStatus(keyOf(1), KEY_SET_VALUE)) << "denial in force";
    ASSERT_EQ(ERROR_SUCCESS, openStatus(keyOf(1), KEY_QUERY_VALUE)) << "reading still allowed";

    Program program;
    ASSERT_NE(nullptr, program.Main()) << "no main window";
    const std::vector<HWND> rows = program.TextBoxes();
    ASSERT_EQ(3u, rows.size());
    const std::string texts[] = {"C:\\new\\backup.exe", "C:\\new\\clean.exe /D %c",
                                 "C:\\new\\defrag.exe %c:"};
    for (int row = 0; row < 3; ++row)
        ASSERT_TRUE(setRemoteText(rows[row], texts[row]));
    HWND apply = program.Button("Apply");
    ASSERT_TRUE(apply && IsWindowEnabled(apply)) << "an edit enables Apply";

    Click(apply);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = program.ErrorBox()) != nullptr; }))
        << "no message box; message window: "
        << (program.MessageWindow() ? messageOf(program.MessageWindow()) : "(none)");
    const std::string shown = messageOf(box);
    const std::string description =
        "Failed to set registry ValueData Key: '-2147483646',Section: '"s + keyOf(1) +
        "',Key: '' to ValueData: '" + texts[1] + "'";
    EXPECT_NE(std::string::npos, shown.find("26001")) << shown;
    EXPECT_NE(std::string::npos, shown.find(description)) << shown;
    EXPECT_EQ(nullptr, program.MessageWindow()) << "no success message";

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    const std::optional<DWORD> exitCode = program.Ended();
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end after its error";
    EXPECT_NE(0u, *exitCode);

    EXPECT_EQ((Stored{REG_SZ, texts[0]}), storedValue(0)) << "written before the error";
    EXPECT_EQ((Stored{REG_SZ, "C:\\old\\clean.exe"}), storedValue(1)) << "the failing row";
    EXPECT_EQ((Stored{REG_SZ, "C:\\old\\defrag.exe"}), storedValue(2)) << "after the error";
}

namespace {

// An error that no handler catches ends this process after its message box.
// The watch reports the box's text as a failure first, then dismisses it, so
// that such a run fails saying why instead of waiting for its time-out.
class ErrorBoxWatch {
public:
    ErrorBoxWatch() { timer_ = SetTimer(nullptr, 0, 50, Tick); }
    ~ErrorBoxWatch() { KillTimer(nullptr, timer_); }
    ErrorBoxWatch(const ErrorBoxWatch&) = delete;
    ErrorBoxWatch& operator=(const ErrorBoxWatch&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) {
                if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
                    ADD_FAILURE() << "the program ended with: " << messageOf(window);
                    std::fflush(stdout);
                    PostMessageA(window, WM_COMMAND, IDOK, 0);
                }
                return TRUE;
            },
            0);
    }
    UINT_PTR timer_ = 0;
};

// The working window in this process, against the tool keys of the test's
// registry.
class FaultWindow : public ToolKeys {
protected:
    void TearDown() override {
        if (main_.IsLoaded())
            main_.Unload();
        takeQuit();
        ToolKeys::TearDown();
    }

    void load() {
        main_.Load();
        main_.Show();
        ui::ProcessPendingMessages();
    }

    bool clean() { return main_.SettingsChanged == False && !main_.UCmd(Apply).Enabled(); }
    bool rowEnabled(int row) {
        return main_.Txt(row).Enabled() && main_.UCmd(row).Enabled() && main_.ULPr(row).Enabled();
    }

    // Closes the window with its close box, answers "Yes" and reads the MSG
    // shown afterwards; the message and whether the program ended.
    std::pair<std::string, bool> closeAnsweringYes() {
        std::string message = "(none)";
        Answers answers;
        answers.When(dialogs::Ask::Instance(), [](ui::Form& ask) {
            Click(ask.Control(dialogs::AskControls::Command1).Hwnd());
        });
        answers.When(dialogs::MSG::Instance(), [&](ui::Form& msg) {
            message = msg.Control(dialogs::MsgControls::Label1).Caption();
            Click(msg.Control(dialogs::MsgControls::Command1).Hwnd());
        });
        SendMessageA(main_.Hwnd(), WM_CLOSE, 0, 0);
        return {message, !main_.IsLoaded() && takeQuit()};
    }

    ErrorBoxWatch watch_;
    app::Main main_;
};

// The ctest entry that disables the shell object says so in the environment.
bool shellObjectDisabled() {
    char mode[16] = {};
    return GetEnvironmentVariableA("QUILLMERE_SHELL_OBJECT", mode, sizeof mode) > 0 &&
           std::string(mode) == "absent";
}

// REG_EXPAND_SZ when a second "%" follows the first at least two places on.
DWORD percentRuleType(const std::string& text) {
    const std::size_t first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos
               ? REG_EXPAND_SZ
               : REG_SZ;
}

// The saving cases run once with the shell object and once without it (a
// second ctest entry); either way a success message means every enabled row's
// key holds the row's text with a type the shell can use.
class SavingWindow : public FaultWindow {};

} // namespace

// Windows refuses the deletion for the denied DELETE right. Wine grants DELETE
// whatever the access list says, but enforces the denied listing: the sub-key
// then stays unseen, and a key with a sub-key cannot be deleted.
TEST_F(FaultWindow, AKeyThatCannotBeDeletedStaysAndShowsEnabledAfterApply) {
    storeText(1, REG_SZ, "C:\\clean.exe");
    store(keyOf(1) + "\\Sub"s, REG_SZ, "below\0"s);
    KeyDenial denial(keyOf(1), DELETE | KEY_ENUMERATE_SUB_KEYS);
    ASSERT_TRUE(denial.Active());
    ASSERT_EQ(ERROR_ACCESS_DENIED, openStatus(keyOf(1), KEY_ENUMERATE_SUB_KEYS))
        << "denial in force";
    load();
    ASSERT_TRUE(rowEnabled(1));
    Click(main_.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    ASSERT_EQ(1, main_.UCh(1).Value());
    ASSERT_FALSE(rowEnabled(1));

    // The refused deletion raises nothing, but the save does not confirm it.
    EXPECT_EQ("Disk Cleanup could not be switched off", clickAndReadMessage(main_, Apply));
    EXPECT_EQ(0, main_.UCh(1).Value()) << "reloaded: the key is still there";
    EXPECT_TRUE(rowEnabled(1));
    EXPECT_EQ("C:\\clean.exe", main_.Txt(1).Caption());
    EXPECT_TRUE(clean());
    EXPECT_EQ((Stored{REG_SZ, "C:\\clean.exe"}), storedValue(1));
    EXPECT_TRUE(keyExists(keyOf(1) + "\\Sub"s));
}

TEST(ShellObject, IsThereUnlessThisRunDisablesIt) {
    const bool absent = shellObjectDisabled();
    constexpr CLSID shell = {
        0x72C24DD5, 0xD70A, 0x438B, {0x8A, 0x42, 0x98, 0x42, 0x4B, 0x88, 0xAF, 0xB8}};
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IDispatch* object = nullptr;
    const HRESULT created =
        CoCreateInstance(shell, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&object));
    if (object)
        object->Release();
    CoUninitialize();
    if (absent) {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, created);
    } else {
        EXPECT_TRUE(SUCCEEDED(created)) << std::hex << created;
    }
}

TEST_F(SavingWindow, ConfirmsOnlyWithEveryRowWrittenWhateverTypesWereThere) {
    // Types for which the value setter alone would store nothing or refuse.
    store(keyOf(0), REG_MULTI_SZ, "a\0b\0\0"s);
    store(keyOf(1), REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x07"s);
    store(keyOf(2), REG_NONE, "\x01\x02"s);
    load();
    const std::string texts[] = {"C:\\Program Files\\Backup\\backup.exe",
                                 "%SystemRoot%\\system32\\cleanmgr.exe /D %c",
                                 "C:\\defrag.exe %c:"};
    for (int row = 0; row < 3; ++row)
        main_.Txt(row).SetCaption(texts[row]);

    EXPECT_EQ(Saved, clickAndReadMessage(main_, Apply));
    EXPECT_EQ((Stored{REG_SZ, texts[0]}), storedValue(0));
    EXPECT_EQ((Stored{REG_EXPAND_SZ, texts[1]}), storedValue(1));
    EXPECT_EQ((Stored{REG_SZ, texts[2]}), storedValue(2));
    EXPECT_EQ(expanded(texts[1]), main_.Txt(1).Caption()) << "reloaded";
    EXPECT_TRUE(clean());
}

TEST_F(SavingWindow, ClosingWithYesAfterAnExpandableReadWritesEveryRowExpandable) {
    storeText(0, REG_SZ, "C:\\a.exe");
    storeText(2, REG_EXPAND_SZ, "%SystemRoot%\\system32\\dfrg.msc %c:");
    load();
    ASSERT_EQ(1, main_.UCh(1).Value());
    Click(main_.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    main_.Txt(1).SetCaption("C:\\clean.exe");
    main_.Txt(0).SetCaption("C:\\b.exe");

    const auto [message, ended] = closeAnsweringYes();
    EXPECT_EQ(Saved, message);
    EXPECT_TRUE(ended);
    // The value read last was expandable, so the shell object writes every
    // changed row so. Without it the value setter's own write stands, typed by
    // the percent rule: no reference is left in a REG_SZ either way. The third
    // row was not touched and keeps its reference and type.
    const std::string texts[] = {"C:\\b.exe", "C:\\clean.exe"};
    EXPECT_EQ((Stored{REG_EXPAND_SZ, "%SystemRoot%\\system32\\dfrg.msc %c:"}), storedValue(2));
    for (int row = 0; row < 2; ++row) {
        const DWORD type = shellObjectDisabled() ? percentRuleType(texts[row]) : REG_EXPAND_SZ;
        EXPECT_EQ((Stored{type, texts[row]}), storedValue(row)) << row;
    }
}

namespace {

struct BadData {
    DWORD type;
    std::string bytes;
    const char* what;
};

std::string letters(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('A' + i % 26);
    return text;
}

// Every type code 0 to 11 and one beyond, at sizes around the terminator and
// the four bytes of a DWORD, up to 1 MiB; then texts as they are meant to be
// stored, with embedded NULs, and numbers whose sign and byte order show.
std::vector<BadData> badData() {
    std::vector<BadData> table;
    const DWORD types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13};
    const std::size_t sizes[] = {0, 1, 3, 4, 5, 8, 256, std::size_t{1} << 20};
    for (DWORD type : types)
        for (std::size_t size : sizes)
            table.push_back({type, letters(size), "letters, no terminator"});
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        table.push_back({type, "\0"s, "the terminator alone"});
        table.push_back({type, "abc\0"s, "terminated"});
        table.push_back({type, "ab\0cd\0"s, "embedded NUL"});
        table.push_back({type, "abc\0\0\0"s, "trailing NULs"});
    }
    table.push_back({REG_MULTI_SZ, "one\0two\0\0"s, "two strings"});
    table.push_back({REG_EXPAND_SZ, "%SystemRoot%\\system32\\ntbackup.exe\0"s, "a reference"});
    table.push_back({REG_EXPAND_SZ, "%QUILLMERE_UNSET%\\x.exe\0"s, "an unknown reference"});
    table.push_back({REG_EXPAND_SZ, "%\0"s, "a lone percent sign"});
    table.push_back({REG_DWORD, "\xFF\xFF\xFF\xFF"s, "-1"});
    table.push_back({REG_DWORD, "\x2A\x00\x00\x00"s, "42"});
    table.push_back({REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x2A"s, "42 big-endian"});
    table.push_back({REG_DWORD_BIG_ENDIAN, "\x80\x00\x00\x00"s, "the sign bit big-endian"});
    table.push_back({REG_BINARY, "\x00\x00"s, "zeros"});
    table.push_back({11, "\x01\x02\x03\x04\x05\x06\x07\x08"s, "a QWORD"});
    return table;
}

std::int32_t littleEndian(const std::string& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(number);
}

std::int32_t reversed(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>((bits >> 24) | ((bits >> 8) & 0xFF00u) |
                                     ((bits << 8) & 0xFF0000u) | (bits << 24));
}

struct Outcome {
    std::string text;
    std::optional<std::int32_t> error;
};

// What a row shows for the bytes that a plain reader gets, by the rules of the
// value getter: a text without its final byte (and a text box holds no NUL,
// so up to the first), expanded for REG_EXPAND_SZ, whose expansion may fail
// with the invalid-argument error 5; a DWORD's first four bytes as a signed
// decimal, little-endian or reversed; every other type its bytes and one more
// 0 as upper-case hex pairs, the text form chosen for byte arrays.
Outcome expectedRow(DWORD type, const std::string& bytes) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        std::string text = bytes.substr(0, bytes.empty() ? 0 : bytes.size() - 1);
        text = text.substr(0, text.find('\0'));
        // A text without a reference is its own expansion, however long;
        // beyond 32K characters the system's expansion cannot be the oracle.
        if (type != REG_EXPAND_SZ || text.find('%') == std::string::npos)
            return {text, std::nullopt};
        if (text.size() > 32766)
            return {"", 5};
        if (ExpandEnvironmentStringsA(text.c_str(), nullptr, 0) == 0)
            return {"", 5};
        return {expanded(text), std::nullopt};
    }
    case REG_DWORD:
        return {std::to_string(littleEndian(bytes)), std::nullopt};
    case REG_DWORD_BIG_ENDIAN:
        return {std::to_string(reversed(littleEndian(bytes))), std::nullopt};
    default: {
        static const char digits[] = "0123456789ABCDEF";
        std::string hex;
        for (char c : bytes + '\0') {
            const auto byte = static_cast<unsigned char>(c);
            hex += std::string(hex.empty() ? "" : " ") + digits[byte >> 4] + digits[byte & 15];
        }
        return {hex, std::nullopt};
    }
    }
}

// Equal, or where and how two long texts part.
::testing::AssertionResult sameText(const std::string& expected, const std::string& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure()
           << "expected " << expected.size() << " characters, shown " << actual.size()
           << "; they part at " << at << ": expected \"" << expected.substr(at, 40)
           << "\", shown \"" << actual.substr(at, 40) << "\"";
}

} // namespace

TEST_F(FaultWindow, BadDataInTheToolKeysLoadsAsADefinedTextOrTheDocumentedError) {
    load();
    for (const BadData& entry : badData()) {
        SCOPED_TRACE("type " + std::to_string(entry.type) + ", " +
                     std::to_string(entry.bytes.size()) + " bytes, " + entry.what);
        for (int row = 0; row < app::ToolCount; ++row)
            store(keyOf(row), entry.type, entry.bytes);
        // The registry may report other bytes than were stored (Wine adds a
        // missing terminator); the rules apply to what it reports.
        const std::optional<Raw> reported = rawValue(keyOf(0));
        ASSERT_TRUE(reported.has_value());
        ASSERT_EQ(entry.type, reported->type);
        const Outcome expected = expectedRow(entry.type, reported->bytes);

        std::optional<std::int32_t> error;
        try {
            main_.LoadSettings();
        } catch (const RegistryError& raised) {
            error = raised.Number();
        } catch (const std::exception& other) {
            ADD_FAILURE() << "undocumented error: " << other.what();
            continue;
        }
        EXPECT_EQ(expected.error, error);
        if (expected.error || error)
            continue;
        for (int row = 0; row < app::ToolCount; ++row) {
            EXPECT_EQ(0, main_.UCh(row).Value()) << row;
            EXPECT_TRUE(sameText(expected.text, main_.Txt(row).Caption())) << "row " << row;
        }
    }
}

namespace {

// Runs a program of the system and waits for it; its exit code.
std::optional<DWORD> runSystemProgram(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started))
        return std::nullopt;
    base::unique_handle process(started.hProcess);
    CloseHandle(started.hThread);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return std::nullopt;
    }
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

std::string readFile(const std::string& path) {
    base::unique_handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    std::string data(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    data.resize(read);
    return data;
}

std::string utf16ToUtf8(const std::string& bytes) {
    std::size_t start = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? 2 : 0;
    const auto* wide = reinterpret_cast<const wchar_t*>(bytes.data() + start);
    const int length = static_cast<int>((bytes.size() - start) / 2);
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), size, nullptr, nullptr);
    return text;
}

// An exported registry as a set of records: each key on its own, and each
// value as its key, a line break and its whole (unwrapped) line.
std::set<std::string> parseExport(const std::string& text) {
    std::set<std::string> records;
    std::string key;
    std::string pending;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!pending.empty())
            line = pending + line.substr(std::min(line.find_first_not_of(' '), line.size()));
        pending.clear();
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            key = line.substr(1, line.size() - 2);
            records.insert(key);
        } else if (line.back() == '\\') {
            pending = line.substr(0, line.size() - 1);
        } else if (!key.empty()) {
            records.insert(key + "\n" + line);
        }
    }
    return records;
}

// The whole registry of the test's prefix as Wine's reg.exe exports it.
// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_CURRENT_CONFIG are views of
// keys below these two roots.
std::set<std::string> exportRegistry() {
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::set<std::string> records;
    for (const char* root : {"HKLM", "HKU"}) {
        const std::string file = std::string(directory) + "quillmere-faults-" + root + ".reg";
        const std::optional<DWORD> code = runSystemProgram(
            "\"" + std::string(system) + "\\reg.exe\" export " + root + " \"" + file + "\" /y");
        EXPECT_EQ(std::optional<DWORD>(0), code) << "reg export " << root;
        std::set<std::string> part = parseExport(utf16ToUtf8(readFile(file)));
        DeleteFileA(file.c_str());
        EXPECT_LT(100u, part.size()) << "reg export " << root << " gave too little";
        records.merge(part);
    }
    return records;
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                          static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

// A record of one of the tool keys or of a key below one.
bool insideAToolKey(const std::string& record) {
    const std::string key = record.substr(0, record.find('\n'));
    for (int row = 0; row < app::ToolCount; ++row) {
        const std::string tool = "HKEY_LOCAL_MACHINE\\"s + keyOf(row);
        if (startsWithNoCase(key, tool) && (key.size() == tool.size() || key[tool.size()] == '\\'))
            return true;
    }
    return false;
}

// What Wine itself changes while the session runs: it keeps system parameters
// that are set without being saved in a volatile key of its own below the
// user's Software\Wine (here an empty "Control Panel\Mouse" appears). The
// program makes no call below HKEY_CURRENT_USER.
bool changedByWine(const std::string& record) {
    const std::string key = record.substr(0, record.find('\n'));
    const std::string volatileParameters = "\\Software\\Wine\\Temporary System Parameters\\";
    return startsWithNoCase(key, "HKEY_USERS\\") &&
           key.find(volatileParameters) == key.find('\\', sizeof "HKEY_USERS");
}

} // namespace

TEST_F(ToolKeys, AWholeSessionChangesNothingOutsideTheThreeToolKeys) {
    storeText(0, REG_SZ, "C:\\old\\backup.exe");
    storeText(1, REG_EXPAND_SZ, "%SystemRoot%\\system32\\cleanmgr.exe /D %c");
    store(keyOf(1) + "\\Options"s, REG_DWORD, "\x01\x00\x00\x00"s, "Level");
    const std::set<std::string> before = exportRegistry();
    ASSERT_EQ(6, std::count_if(before.begin(), before.end(), insideAToolKey))
        << "the export holds the two keys, their values and the sub-key with its value";

    {
        Program program;
        ASSERT_NE(nullptr, program.Main()) << "no main window";
        const std::vector<HWND> rows = program.TextBoxes();
        const std::vector<HWND> switches = program.CheckBoxes();
        ASSERT_EQ(3u, rows.size());
        ASSERT_EQ(3u, switches.size());

        // Change each row (the third is switched off and is switched on).
        ASSERT_TRUE(clickRemote(switches[2]));
        const std::string texts[] = {"C:\\session\\backup.exe", "C:\\session\\clean.exe /D %c",
                                     "C:\\session\\defrag.exe %c:"};
        for (int row = 0; row < 3; ++row)
            ASSERT_TRUE(setRemoteText(rows[row], texts[row]));
        EXPECT_EQ(Saved, clickRemoteAndReadMessage(program, program.Button("Apply")));
        EXPECT_EQ(texts[2], storedValue(2).value_or(Stored{}).text);

        ASSERT_TRUE(clickRemote(program.Button("Default")));
        EXPECT_EQ(Saved, clickRemoteAndReadMessage(program, program.Button("Apply")));
        EXPECT_EQ((Stored{REG_EXPAND_SZ, app::Tools[0].defaultCommandLine}), storedValue(0));

        ASSERT_TRUE(clickRemote(switches[1]));
        EXPECT_EQ(Saved, clickRemoteAndReadMessage(program, program.Button("Apply")));
        EXPECT_FALSE(keyExists(keyOf(1)));

        Click(program.Button("OK"));
        EXPECT_EQ(std::optional<DWORD>(0), program.Ended()) << "OK ends the program";
    }

    const std::set<std::string> after = exportRegistry();
    std::vector<std::string> unexpected;
    for (const auto& [from, to, sign] :
         {std::tuple{&before, &after, "- "}, std::tuple{&after, &before, "+ "}}) {
        for (const std::string& record : *from)
            if (!to->count(record) && !insideAToolKey(record) && !changedByWine(record))
                unexpected.push_back(sign + record);
    }
    std::string listed;
    for (std::size_t i = 0; i < unexpected.size() && i < 30; ++i)
        listed += unexpected[i] + "\n";
    EXPECT_TRUE(unexpected.empty()) << unexpected.size() << " changes outside the tool keys:\n"
                                    << listed;
}
