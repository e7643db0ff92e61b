// The working program under faults: a tool key it may not write or may not
// delete, the shell object missing, bad data in the tool keys, and a whole
// session that must leave every key but the three tool keys as it found them.
// Some cases start the built Quillmere.exe and drive it from outside, since
// an error that no handler catches ends the process that raised it.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/Main.h"
#include "registry/RegistryError.h"
#include "rules/Tools.h"
#include "support/Answers.h"
#include "support/MainWindow.h"
#include "support/Program.h"
#include "support/Text.h"
#include "support/ToolKeys.h"

using namespace support;
using namespace std::string_literals;

namespace {

constexpr const char* Saved = "Changes has been save successful";

// Removes the three tool keys; the check that they are gone also shows that
// every denial was lifted.
void expectToolKeysRemoved() {
    removeToolKeys();
    for (int row = 0; row < rules::ToolCount; ++row)
        EXPECT_FALSE(LocalMachine.exists(keyOf(row))) << keyOf(row) << " is left behind";
}

// Each case starts with the machine's three tool keys absent and removes them
// again before they are put back as they were.
class ToolKeys : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!IsSkipped())
            removeToolKeys();
    }
    void TearDown() override {
        if (!IsSkipped())
            expectToolKeysRemoved();
        ProgramTest::TearDown();
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
    KeyDenial denial(HKEY_LOCAL_MACHINE, keyOf(1), KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    ASSERT_TRUE(denial.Active());
    ASSERT_EQ(ERROR_ACCESS_DENIED, LocalMachine.openStatus(keyOf(1), KEY_SET_VALUE))
        << "denial in force";
    ASSERT_EQ(ERROR_SUCCESS, LocalMachine.openStatus(keyOf(1), KEY_QUERY_VALUE))
        << "reading still allowed";

    StartedProgram program(QUILLMERE_FROM_TESTS);
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

// The working window in this process, against the tool keys of its
// redirected HKEY_LOCAL_MACHINE. An error that no handler catches ends the
// process after its message box: the case then fails saying why.
class FaultWindow : public MainWindowTest<> {
protected:
    FaultWindow() { errorBoxes_.When(AnyMessageBox, ReportAndClose); }
    void TearDown() override {
        MainWindowTest::TearDown();
        expectToolKeysRemoved();
    }

    Answers errorBoxes_;
};

// The ctest entry that disables the shell object says so in the environment.
bool shellObjectDisabled() {
    return environment("QUILLMERE_SHELL_OBJECT") == "absent";
}

// REG_EXPAND_SZ when a second "%" follows the first at least two places on.
DWORD percentRuleType(const std::string& text) {
    const std::size_t first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos
               ? REG_EXPAND_SZ
               : REG_SZ;
}

// The status of a row whose key cannot be read, in the form that fits.
bool saysUnreadable(app::Main& main, int row) {
    const std::string shown = main.ULSt(row).Caption();
    return shown == "Key cannot be read" || shown == "Unreadable";
}

// The saving cases run once with the shell object and once without it (a
// second ctest entry); either way a success message means every enabled row's
// key holds the row's text with a type the shell can use.
class SavingWindow : public FaultWindow {};

} // namespace

// A key the account may not read is no switched-off tool: its row says it
// cannot be read, and a save leaves it alone.
TEST_F(FaultWindow, AKeyThatCannotBeReadIsNeitherOffNorWritten) {
    storeText(1, REG_SZ, "C:\\clean.exe");
    KeyDenial denial(HKEY_LOCAL_MACHINE, keyOf(1), KEY_QUERY_VALUE);
    ASSERT_TRUE(denial.Active());
    load();
    EXPECT_TRUE(saysUnreadable(main, 1)) << main.ULSt(1).Caption();
    main.Txt(0).SetCaption("C:\\backup.exe");
    EXPECT_EQ(True, main.SaveSettings());
    EXPECT_EQ(ERROR_ACCESS_DENIED, LocalMachine.openStatus(keyOf(1), KEY_QUERY_VALUE));
}

// Windows refuses the deletion for the denied DELETE right. Wine grants DELETE
// whatever the access list says, but enforces the denied listing: the sub-key
// then stays unseen, and a key with a sub-key cannot be deleted.
TEST_F(FaultWindow, AKeyThatCannotBeDeletedStaysAndShowsEnabledAfterApply) {
    storeText(1, REG_SZ, "C:\\clean.exe");
    store(keyOf(1) + "\\Sub"s, REG_SZ, "below\0"s);
    KeyDenial denial(HKEY_LOCAL_MACHINE, keyOf(1), DELETE | KEY_ENUMERATE_SUB_KEYS);
    ASSERT_TRUE(denial.Active());
    ASSERT_EQ(ERROR_ACCESS_DENIED, LocalMachine.openStatus(keyOf(1), KEY_ENUMERATE_SUB_KEYS))
        << "denial in force";
    load();
    ASSERT_TRUE(rowEnabled(main, 1));
    Click(main.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    ASSERT_EQ(1, main.UCh(1).Value());
    ASSERT_FALSE(rowEnabled(main, 1));

    // The refused deletion raises nothing, but the save does not confirm it.
    EXPECT_EQ("Disk Cleanup could not be switched off", clickAndReadMessage(main, mc::ApplyButton));
    EXPECT_EQ(0, main.UCh(1).Value()) << "reloaded: the key is still there";
    EXPECT_TRUE(rowEnabled(main, 1));
    EXPECT_EQ("C:\\clean.exe", main.Txt(1).Caption());
    EXPECT_TRUE(clean(main));
    EXPECT_EQ((Stored{REG_SZ, "C:\\clean.exe"}), storedValue(1));
    EXPECT_TRUE(LocalMachine.exists(keyOf(1) + "\\Sub"s));
}

TEST(ShellObject, IsThereUnlessThisRunDisablesIt) {
    const HRESULT created = createShellObject();
    if (shellObjectDisabled()) {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, created);
    } else {
        EXPECT_TRUE(SUCCEEDED(created)) << std::hex << created;
    }
}

// The redirection keeps the cases in this process off the machine's own keys,
// the shell object's writes included: COM finds the object's class below
// HKEY_CLASSES_ROOT, which the redirection leaves alone, and its RegWrite runs
// in this process. After an expandable read a save writes every row through
// it as REG_EXPAND_SZ; the value setter alone writes "C:\new.exe" as REG_SZ.
TEST_F(SavingWindow, TheShellObjectWritesIntoTheRedirectionAndNotTheMachine) {
    std::vector<std::optional<KeyContents>> machineKeys;
    for (int row = 0; row < rules::ToolCount; ++row)
        machineKeys.push_back(machine.MachineKey(keyOf(row)));
    const HRESULT created = createShellObject();
    if (shellObjectDisabled()) {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, created);
    } else {
        EXPECT_TRUE(SUCCEEDED(created)) << "under the redirection: " << std::hex << created;
    }
    storeText(0, REG_SZ, "C:\\old.exe");
    storeText(2, REG_EXPAND_SZ, "%SystemRoot%\\system32\\dfrg.msc %c:");
    load();
    main.Txt(0).SetCaption("C:\\new.exe");

    EXPECT_EQ(Saved, clickAndReadMessage(main, mc::ApplyButton));
    const DWORD type = shellObjectDisabled() ? REG_SZ : REG_EXPAND_SZ;
    EXPECT_EQ((RawValue{type, bytesOf("C:\\new.exe\0"s)}), machine.Scratch().get("", keyOf(0)))
        << "seen in the scratch key itself";
    for (int row = 0; row < rules::ToolCount; ++row)
        EXPECT_EQ(machineKeys[row], machine.MachineKey(keyOf(row)))
            << "the machine's own " << keyOf(row);
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
        main.Txt(row).SetCaption(texts[row]);

    EXPECT_EQ(Saved, clickAndReadMessage(main, mc::ApplyButton));
    EXPECT_EQ((Stored{REG_SZ, texts[0]}), storedValue(0));
    EXPECT_EQ((Stored{REG_EXPAND_SZ, texts[1]}), storedValue(1));
    EXPECT_EQ((Stored{REG_SZ, texts[2]}), storedValue(2));
    EXPECT_EQ(expanded(texts[1]), main.Txt(1).Caption()) << "reloaded";
    EXPECT_TRUE(clean(main));
}

TEST_F(SavingWindow, ClosingWithYesAfterAnExpandableReadWritesEveryRowExpandable) {
    storeText(0, REG_SZ, "C:\\a.exe");
    storeText(2, REG_EXPAND_SZ, "%SystemRoot%\\system32\\dfrg.msc %c:");
    load();
    ASSERT_EQ(1, main.UCh(1).Value());
    Click(main.UCh(1).Hwnd());
    ui::ProcessPendingMessages();
    main.Txt(1).SetCaption("C:\\clean.exe");
    main.Txt(0).SetCaption("C:\\b.exe");

    const CloseResult closed = closeAnswering(main, "Yes");
    EXPECT_EQ(Saved, closed.message);
    EXPECT_TRUE(closed.ended);
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
    table.push_back({REG_EXPAND_SZ, "%SystemRoot%" + letters(40000) + '\0', "an expansion refused"});
    table.push_back({REG_DWORD, "\xFF\xFF\xFF\xFF"s, "-1"});
    table.push_back({REG_DWORD, "\x2A\x00\x00\x00"s, "42"});
    table.push_back({REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x2A"s, "42 big-endian"});
    table.push_back({REG_DWORD_BIG_ENDIAN, "\x80\x00\x00\x00"s, "the sign bit big-endian"});
    table.push_back({REG_BINARY, "\x00\x00"s, "zeros"});
    table.push_back({11, "\x01\x02\x03\x04\x05\x06\x07\x08"s, "a QWORD"});
    return table;
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

// A value whose expansion fails with the documented error leaves its row as
// it was, saying so, and the window goes on.
TEST_F(FaultWindow, BadDataInTheToolKeysLoadsAsADefinedTextOrSaysTheKeyCannotBeRead) {
    load();
    for (const BadData& entry : badData()) {
        SCOPED_TRACE("type " + std::to_string(entry.type) + ", " +
                     std::to_string(entry.bytes.size()) + " bytes, " + entry.what);
        for (int row = 0; row < rules::ToolCount; ++row)
            store(keyOf(row), entry.type, entry.bytes);
        // The registry may report other bytes than were stored (Wine adds a
        // missing terminator); the rules apply to what it reports.
        const std::optional<RawValue> reported = LocalMachine.get("", keyOf(0));
        ASSERT_TRUE(reported.has_value());
        ASSERT_EQ(entry.type, reported->type);
        const Outcome expected =
            expectedRow(entry.type, std::string(reported->data.begin(), reported->data.end()));

        std::optional<std::int32_t> error;
        try {
            main.LoadSettings();
        } catch (const RegistryError& raised) {
            error = raised.Number();
        } catch (const std::exception& other) {
            ADD_FAILURE() << "undocumented error: " << other.what();
            continue;
        }
        EXPECT_EQ(std::nullopt, error);
        for (int row = 0; expected.error && row < rules::ToolCount; ++row)
            EXPECT_TRUE(saysUnreadable(main, row)) << main.ULSt(row).Caption();
        if (expected.error || error)
            continue;
        for (int row = 0; row < rules::ToolCount; ++row) {
            EXPECT_EQ(0, main.UCh(row).Value()) << row;
            EXPECT_TRUE(sameText(expected.text, main.Txt(row).Caption())) << "row " << row;
        }
    }
}

namespace {

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
        const std::optional<DWORD> code = runAndWait(
            "\"" + std::string(system) + "\\reg.exe\" export " + root + " \"" + file + "\" /y");
        EXPECT_EQ(std::optional<DWORD>(0), code) << "reg export " << root;
        std::set<std::string> part = parseExport(utf8FromUtf16(readFile(file)));
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
    for (int row = 0; row < rules::ToolCount; ++row) {
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
        StartedProgram program(QUILLMERE_FROM_TESTS);
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
        EXPECT_EQ((Stored{REG_EXPAND_SZ, rules::Tools[0].defaultCommandLine}), storedValue(0));

        ASSERT_TRUE(clickRemote(switches[1]));
        EXPECT_EQ(Saved, clickRemoteAndReadMessage(program, program.Button("Apply")));
        EXPECT_FALSE(LocalMachine.exists(keyOf(1)));

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
