// Whether a tool's command line starts what it names: the rules against a
// made-up machine, natively and under Wine; under Windows also the system's
// answers, for files the test makes in a folder whose name has a blank.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "rules/CommandLine.h"

namespace rules {

void PrintTo(ProgramStatus status, std::ostream* out) {
    constexpr const char* names[] = {"Fine", "NotFound", "NeedsQuotes", "NotProbed", "Replaceable"};
    *out << names[static_cast<int>(status)];
}

} // namespace rules

namespace {

using rules::ProgramStatus;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

// Windows on D:, programs below C:\Program Files, and E: a drive that must not
// be probed although it holds a program. Every file probe is logged, so that
// a case shows which candidates were tried, in which order.
class FakeMachine final : public rules::ProgramFacts {
public:
    std::vector<std::string> probes;
    std::vector<std::string> rightsAsked;
    int searchFolderLookups = 0;

    // Unknown names stay as written, as the system leaves them.
    std::string ExpandEnvironment(std::string_view text) override {
        std::string result;
        std::size_t at = 0;
        for (;;) {
            const std::size_t open = text.find('%', at);
            const std::size_t close =
                open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos)
                return result.append(text.substr(at));
            result.append(text.substr(at, open - at));
            const auto variable = variables_.find(upper(text.substr(open + 1, close - open - 1)));
            if (variable == variables_.end())
                result.append(text.substr(open, close - open + 1));
            else
                result.append(variable->second);
            at = close + 1;
        }
    }

    char WindowsDriveLetter() override { return 'D'; }

    bool IsLocalFixedDrive(std::string_view root) override {
        return upper(root) == "C:\\" || upper(root) == "D:\\";
    }

    bool FileExists(std::string_view path) override {
        probes.push_back("file " + std::string(path));
        return files_.contains(std::string(path));
    }

    std::vector<std::string> SearchFolders() override {
        ++searchFolderLookups;
        return folders;
    }

    std::string WhoCanReplace(std::string_view path) override {
        rightsAsked.emplace_back(path);
        return path.starts_with("D:\\Tools\\") ? "Everyone can change the program" : "";
    }

    // Where a name without a drive is looked for; a case may add a share.
    std::vector<std::string> folders{"D:\\Windows", "D:\\Windows\\system32\\"};

private:
    const std::map<std::string, std::string> variables_{{"SYSTEMROOT", "D:\\Windows"},
                                                        {"PROGRAMFILES", "C:\\Program Files"}};
    const std::set<std::string> files_{"C:\\Program Files\\Vendor\\tool.exe",
                                       "C:\\Tools\\report",
                                       "C:\\Tools.v2\\run.exe",
                                       "D:\\Windows\\system32\\ntbackup.exe",
                                       "D:\\Windows\\system32\\cleanmgr.exe",
                                       "D:\\Windows\\system32\\dfrg.msc",
                                       "D:\\Tools\\fix.exe",
                                       "D:\\Windows\\notepad.exe",
                                       "D:\\Windows\\system32\\compmgmt.msc",
                                       "E:\\tool.exe"};
};

struct Case {
    const char* line;
    ProgramStatus status;
    std::vector<std::string> probes;
};

const Case cases[] = {
    // Quoted, the program must be the quoted path; unquoted, the line is cut
    // at each blank in turn, then taken whole.
    {R"("C:\Program Files\Vendor\tool.exe" /x)",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"(C:\Program Files\Vendor\tool.exe /x)",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"(C:\Program Files\Vendor\missing.exe /D %c)",
     ProgramStatus::NotFound,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\missing.exe)",
      R"(file C:\Program Files\Vendor\missing.exe /D.exe)",
      R"(file C:\Program Files\Vendor\missing.exe /D D.exe)"}},
    {R"("C:\Program Files\Vendor\missing.exe" /x)",
     ProgramStatus::NotFound,
     {R"(file C:\Program Files\Vendor\missing.exe)"}},
    {R"("C:\Program Files\Vendor\tool.exe)",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"("" /x)", ProgramStatus::NotFound, {}},

    // References are expanded before the line is cut; "%c" is the drive
    // that holds Windows, in the program's path and in its arguments.
    {R"(%SystemRoot%\system32\ntbackup.exe)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\ntbackup.exe)"}},
    {R"(%SystemRoot%\system32\cleanmgr.exe /D %c)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\cleanmgr.exe)"}},
    {R"(%systemroot%\system32\dfrg.msc %c:)",
     ProgramStatus::Fine,
     {R"(file D:\Windows\system32\dfrg.msc)"}},
    {R"(%c:\Tools\fix.exe)", ProgramStatus::Replaceable, {R"(file D:\Tools\fix.exe)"}},
    {R"(%ProgramFiles%\Vendor\tool.exe)",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {R"("%programfiles%\Vendor\tool.exe")",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},

    // A name without a drive is looked for in the search folders in turn;
    // ".exe" is added only where the last part of the name has no extension.
    {"notepad", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {"notepad.exe /p notes.txt", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {R"("notepad" /p)", ProgramStatus::Fine, {R"(file D:\Windows\notepad.exe)"}},
    {"compmgmt.msc /s",
     ProgramStatus::Fine,
     {R"(file D:\Windows\compmgmt.msc)", R"(file D:\Windows\system32\compmgmt.msc)"}},
    {"nosuch /x",
     ProgramStatus::NotFound,
     {R"(file D:\Windows\nosuch.exe)", R"(file D:\Windows\system32\nosuch.exe)",
      R"(file D:\Windows\nosuch /x.exe)", R"(file D:\Windows\system32\nosuch /x.exe)"}},
    {R"(\Tools\fix)", ProgramStatus::Replaceable, {R"(file D:\Tools\fix.exe)"}},
    {R"(C:\Tools\report)", ProgramStatus::NotFound, {R"(file C:\Tools\report.exe)"}},
    {R"(C:\Tools.v2\run)", ProgramStatus::Fine, {R"(file C:\Tools.v2\run.exe)"}},

    // Shares and drives other than local disks are never asked about.
    {R"(\\server\share\tool.exe)", ProgramStatus::NotProbed, {}},
    {R"("\\server\share\Program Files\tool.exe" /x)", ProgramStatus::NotProbed, {}},
    {"//server/share/tool.exe", ProgramStatus::NotProbed, {}},
    {R"(E:\tool.exe)", ProgramStatus::NotProbed, {}},
    {R"(E:\Program Files\tool.exe /x)", ProgramStatus::NotProbed, {}},

    // Blank lines are left to saving; blanks around a line are skipped, and
    // a run of blanks is one cut.
    {"", ProgramStatus::NotProbed, {}},
    {" \t ", ProgramStatus::NotProbed, {}},
    {R"(  "C:\Program Files\Vendor\tool.exe"  )",
     ProgramStatus::Fine,
     {R"(file C:\Program Files\Vendor\tool.exe)"}},
    {"\t C:\\Program Files\\Vendor\\tool.exe  ",
     ProgramStatus::NeedsQuotes,
     {R"(file C:\Program.exe)", R"(file C:\Program Files\Vendor\tool.exe)"}},
    {"nosuch  \t /x",
     ProgramStatus::NotFound,
     {R"(file D:\Windows\nosuch.exe)", R"(file D:\Windows\system32\nosuch.exe)",
      "file D:\\Windows\\nosuch  \t /x.exe", "file D:\\Windows\\system32\\nosuch  \t /x.exe"}},
};

TEST(CommandLine, StatusAndTheCandidatesProbedInOrder) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        FakeMachine machine;
        const rules::ProgramCheck check = rules::CheckCommandLine(c.line, machine);
        EXPECT_EQ(c.status, check.status);
        EXPECT_EQ(c.status == ProgramStatus::Replaceable ? "Everyone can change the program" : "",
                  check.replaceableBy);
        EXPECT_EQ(c.probes, machine.probes);
        // Only a program found and quoted right is asked who can replace it.
        const bool asked =
            c.status == ProgramStatus::Fine || c.status == ProgramStatus::Replaceable;
        EXPECT_EQ(asked ? std::vector{c.probes.back().substr(5)} : std::vector<std::string>{},
                  machine.rightsAsked);
        // The search folders (the PATH among them) are read once per line.
        EXPECT_LE(machine.searchFolderLookups, 1);
    }
}

// A name in none of the local folders may still be in a folder on a share or
// another drive, which is never looked at: the row then says nothing.
TEST(CommandLine, ANameMissingLocallyIsUnknownWhenTheSearchReachesAShare) {
    FakeMachine machine;
    machine.folders = {R"(\\server\tools)", "D:\\Windows", R"(E:\bin)"};
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckCommandLine("notepad", machine).status);
    EXPECT_EQ(ProgramStatus::NotProbed, rules::CheckCommandLine("nosuch", machine).status);
    EXPECT_EQ((std::vector<std::string>{R"(file D:\Windows\notepad.exe)",
                                        R"(file D:\Windows\nosuch.exe)"}),
              machine.probes);
}

// CreateProcess takes at most 32,767 characters with the terminator: a longer
// line is not found, and no name cut from it is looked for.
TEST(CommandLine, ALineLongerThanAProcessTakesIsNotFoundUnprobed) {
    FakeMachine machine;
    const std::string longest = "notepad " + std::string(32766 - 8, 'x');
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckCommandLine(longest, machine).status);
    EXPECT_EQ(ProgramStatus::NotFound, rules::CheckCommandLine(longest + 'x', machine).status);
    EXPECT_EQ(std::vector<std::string>{R"(file D:\Windows\notepad.exe)"}, machine.probes);
}

TEST(CommandLine, ABrowsedPathIsQuotedOnlyWhenItHoldsASpace) {
    EXPECT_EQ(R"("C:\Program Files\Vendor\tool.exe")",
              rules::QuotedIfSpaced(R"(C:\Program Files\Vendor\tool.exe)"));
    EXPECT_EQ(R"(C:\Tools\tool.exe)", rules::QuotedIfSpaced(R"(C:\Tools\tool.exe)"));
}

} // namespace

#ifdef _WIN32

#include <windows.h>

#include <sddl.h>

#include "rules/ProgramProbe.h"
#include "rules/ProgramRights.h"

namespace {

// Descriptors as SDDL ("O:SY" has no DACL: Wine reads "D:NO_ACCESS_CONTROL"
// as an empty one), checked for S-1-5-21-1-2-3-1001; each answer as a SID.
TEST(ProgramRights, WhoCanChangeTheProgramOrItsFolder) {
    using enum rules::Guarded;
    const std::tuple<const wchar_t*, rules::Guarded, const wchar_t*> rightsCases[] = {
        {L"O:S-1-5-21-1-2-3-1002D:(A;;FA;;;SY)", Program, L"S-1-5-21-1-2-3-1002"},
        {L"O:SY", Folder, L"S-1-1-0"},
        {L"O:SYD:(A;;FA;;;SY)(A;;0x1301ff;;;WD)", Program, L"S-1-1-0"},
        {L"O:SYD:(A;;0x2;;;BU)", Folder, L"S-1-5-32-545"},
        {L"O:SYD:(A;;0x4;;;BU)", Folder, L""},
        {L"O:SYD:(A;;0x4;;;BU)", Program, L"S-1-5-32-545"},
        {L"O:SYD:(A;;0x40;;;AU)", Folder, L"S-1-5-11"},
        {L"O:SYD:(A;;0x10000;;;IU)", Program, L"S-1-5-4"},
        {L"O:SYD:(A;;0x40000;;;IU)", Folder, L"S-1-5-4"},
        {L"O:SYD:(A;;0x80000;;;IU)", Program, L"S-1-5-4"},
        {L"O:SYD:(A;OICIIO;FA;;;BU)", Folder, L""},
        {L"O:SYD:(D;;0x2;;;BU)(A;;0x6;;;BU)", Folder, L""},
        {L"O:SYD:(A;;0x2;;;BU)(D;;0x2;;;BU)", Folder, L"S-1-5-32-545"},
        {L"O:SYD:(A;;GW;;;BU)", Program, L"S-1-5-32-545"},
        {L"O:SYD:(A;;GA;;;WD)", Folder, L"S-1-1-0"},
        {L"O:SYD:(A;;GR;;;WD)(A;;GX;;;WD)", Folder, L""},
        {L"O:BAD:(A;;FA;;;SY)"
         L"(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)",
         Folder, L""},
        {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;S-1-5-21-1-2-3-1001)", Program, L""},
    };
    PSID running = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1-2-3-1001", &running));
    for (const auto& [sddl, what, expected] : rightsCases) {
        SCOPED_TRACE(sddl);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        LPWSTR who = nullptr;
        if (const PSID account = rules::WhoCanChange(descriptor, what, running))
            ConvertSidToStringSidW(account, &who);
        EXPECT_EQ(std::wstring(expected), who ? who : L"");
        LocalFree(who);
        LocalFree(descriptor);
    }
    LocalFree(running);
}

constexpr const char* folderVariable = "QuillmereProbeFolder";

// Below %TEMP%: a program, a console file and a folder named like a program,
// in a folder whose name has blanks; the folder's path is also in a variable.
class ProgramProbe : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        const DWORD length = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(length > 0 && length < MAX_PATH);
        folder_ = std::string(temp) + "Quillmere probe " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << GetLastError();
        for (const char* name : {"tool.exe", "snap.msc"}) {
            const HANDLE file = CreateFileA((folder_ + "\\" + name).c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file) << name << ": " << GetLastError();
            CloseHandle(file);
        }
        ASSERT_TRUE(CreateDirectoryA((folder_ + "\\folder.exe").c_str(), nullptr));
        ASSERT_TRUE(SetEnvironmentVariableA(folderVariable, folder_.c_str()));
    }

    void TearDown() override {
        SetEnvironmentVariableA(folderVariable, nullptr);
        DeleteFileA((folder_ + "\\tool.exe").c_str());
        DeleteFileA((folder_ + "\\snap.msc").c_str());
        RemoveDirectoryA((folder_ + "\\folder.exe").c_str());
        EXPECT_TRUE(RemoveDirectoryA(folder_.c_str())) << GetLastError();
    }

    std::string folder_;
};

TEST_F(ProgramProbe, AnswersFromTheSystem) {
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(length > 2 && length < MAX_PATH && system[1] == ':');
    // "C:\windows\system32" as "%c:\windows\system32".
    const std::string systemOnWindowsDrive = "%c" + std::string(system + 1);

    const struct {
        std::string line;
        ProgramStatus status;
    } systemCases[] = {
        {'"' + folder_ + "\\tool.exe\" /x", ProgramStatus::Fine},
        {folder_ + "\\tool.exe /x", ProgramStatus::NeedsQuotes},
        {folder_ + "\\tool /x", ProgramStatus::NeedsQuotes},
        {"%quillmereprobefolder%\\tool.exe", ProgramStatus::NeedsQuotes},
        {"\"%QUILLMEREPROBEFOLDER%\\snap.msc\" %c:", ProgramStatus::Fine},
        {'"' + folder_ + "\\missing.exe\"", ProgramStatus::NotFound},
        {'"' + folder_ + "\\folder.exe\"", ProgramStatus::NotFound},
        {systemOnWindowsDrive + "\\kernel32.dll /D %c", ProgramStatus::Fine},
        {"%systemroot%\\system32\\kernel32.dll", ProgramStatus::Fine},
        // Longer than the system expands: read as it stands, never overrun.
        {"%systemroot%\\" + std::string(40000, 'x') + ".exe", ProgramStatus::NotFound},
        {"kernel32.dll", ProgramStatus::Fine},
        {"quillmere-no-such-program /x", ProgramStatus::NotFound},
    };
    for (const auto& c : systemCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.status, rules::ProbeProgram(c.line));
    }
}

// Everyone may write the folder, then also the program. Under Wine the grant
// becomes the file's Unix mode (o+w), from which Wine reads the rights back.
TEST_F(ProgramProbe, NamesWhoCanReplaceTheProgram) {
    const std::string line = '"' + folder_ + "\\tool.exe\" /x";
    EXPECT_EQ(ProgramStatus::Fine, rules::CheckProgram(line).status);
    for (const std::string& path : {folder_, folder_ + "\\tool.exe"}) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301ff;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
        const BOOL set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
        ASSERT_TRUE(set) << GetLastError();
        const rules::ProgramCheck check = rules::CheckProgram(line);
        EXPECT_EQ(ProgramStatus::Replaceable, check.status);
        EXPECT_EQ(path == folder_ ? "Everyone can change the program's folder"
                                  : "Everyone can change the program",
                  check.replaceableBy);
    }
}

} // namespace

#endif
